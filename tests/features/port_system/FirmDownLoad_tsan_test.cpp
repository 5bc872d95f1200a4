// The firmware and configuration transfer dialog against the simulated switch: the requests it sends,
// the status it polls, and every way a transfer ends (success, failure, time-outs, a device that cannot
// be reached or stops answering), driven through its controls with scripted message boxes.
//
// The simulator runs a started transfer as "pending" (4) for 500 ms and then "in progress" (3); with
// --transfer-ms long enough it stays there, and a test decides the outcome by putting the status value
// (which cancels the simulator's own progression) or by silencing the device.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <string>
#include <vector>

#include "controls/GradientProgressCtrl.h"
#include "features/port_system/FirmDownLoad.h"
#include "features/port_system/ResetDevice.h"
#include "platform/sys/Globals.h"
#include "res/ids_firmware.h"
#include "tests/features/port_system/FirmTiming.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::Describe;
using test::DialogDriver;
using test::SimRequest;
using test::SimSwitch;
using test::WaitUntil;

const std::string kUpgradeQuestion =
    "The connection will be disconnected.\nPlease do not apply other changes when uploading.\nReconnect to "
    "the device later when uploading completes.";
const unsigned kQuestionFlags = MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2;

test::FirmTimes FastTiming() {
    test::FirmTimes t;
    t.firmwareFirstPollMs = 250;
    t.configFirstPollMs = 200;
    t.pendingPollMs = 40;
    t.retryPollMs = 50;
    t.runningPollMs = 60;
    t.firmwareOverallMs = 1000;
    t.configOverallMs = 800;
    t.progressFirstMs = 30;
    t.progressNextMs = 20;
    t.finishMs = 5;
    t.fileSetTimeoutMs = 600;
    t.operationTimeoutMs = 600;
    t.statusTimeoutMs = 250;
    return t;
}

std::string Poll(const char* statusOid) {
    return std::string("get quaint ") + statusOid + "|n|";
}

struct Branch {
    bool firmware;
    const char* server;
    const char* file;
    const char* operation;
    const char* status;
};
const Branch kFirmware{true, CFirmDownLoad::kFirmServerOid, CFirmDownLoad::kFirmFileOid,
                       CFirmDownLoad::kFirmOperationOid, CFirmDownLoad::kFirmStatusOid};
const Branch kConfig{false, CFirmDownLoad::kConfServerOid, CFirmDownLoad::kConfFileOid,
                     CFirmDownLoad::kConfOperationOid, CFirmDownLoad::kConfStatusOid};

int CountPolls(const std::vector<SimRequest>& log, const char* statusOid) {
    int n = 0;
    for (const auto& r : log) {
        n += Describe(r) == Poll(statusOid) ? 1 : 0;
    }
    return n;
}

// The requests of one branch: a resend of the other branch's last poll may still reach the device
// after the log was cleared.
std::vector<SimRequest> OfBranch(const std::vector<SimRequest>& log, const Branch& b) {
    std::vector<SimRequest> out;
    for (const auto& r : log) {
        const std::string first = r.varbinds.empty() ? std::string() : r.varbinds[0].oid;
        if ((first == b.server || first == b.operation || first == b.status) &&
            !(r.pdu == "get" && r.varbinds.size() == 2)) {
            out.push_back(r);
        }
    }
    return out;
}

bool HasOperation(const std::vector<SimRequest>& log, const Branch& b) {
    for (const auto& r : log) {
        if (r.pdu == "set" && !r.varbinds.empty() && r.varbinds[0].oid == b.operation) {
            return true;
        }
    }
    return false;
}

// Records the progress bar's position each time a box is shown, then lets the script answer.
class BarAtBox : public IMessageBoxService {
public:
    BarAtBox(test::ScriptedMessageBox& inner, CGradientProgressCtrl* bar) : m_inner(inner), m_bar(bar) {
        SetMessageBoxService(this);
    }
    ~BarAtBox() override { SetMessageBoxService(&m_inner); }
    int Show(const std::string& text, const std::string& caption, unsigned flags) override {
        positions.push_back(m_bar->GetPos());
        return m_inner.Show(text, caption, flags);
    }
    std::vector<int> positions;

private:
    test::ScriptedMessageBox& m_inner;
    CGradientProgressCtrl* m_bar;
};

class FirmDownLoadTest : public test::SharedSimTest {
protected:
    static void SetUpTestSuite() {
        SimSwitch::Options options;
        options.extraArgs = {"--transfer-ms", "3600000"};
        StartSim(options);
    }
    void SetUp() override {
        SharedSimTest::SetUp();
        // No transfer an earlier test started is still running on the device: a dialog would follow it.
        s_sim->Set(kFirmware.status, "i", "1");
        s_sim->Set(kConfig.status, "i", "1");
        m_fast = std::make_unique<test::FirmTiming>(FastTiming());
        ASSERT_TRUE(m_fast->Applied());
    }
    void TearDown() override {
        m_fast.reset();
        SharedSimTest::TearDown();
    }
    std::unique_ptr<test::FirmTiming> m_fast;

    // Fills the form and clicks Apply.
    static void Start(DialogDriver& drv, const Branch& b, bool backup, const std::string& server,
                      const std::string& file) {
        ASSERT_TRUE(drv.Type(IDC_FIRM_SERVER_IP, server));
        ASSERT_TRUE(drv.Type(IDC_FIRM_FILE_NAME, file));
        ASSERT_TRUE(drv.Select(IDC_FIRM_FILETYPE, b.firmware ? 1 : 0));
        ASSERT_TRUE(drv.Select(IDC_FIRM_OPERATION, backup ? 1 : 0));
        ASSERT_TRUE(drv.Click(IDC_FIRM_APPLY));
    }
    // Waits (pumping the dialog) until the operation SET reached the device; it has been answered then.
    static bool WaitOperation(const Branch& b, int limitMs = 20000) {
        return WaitUntil([&] { return HasOperation(s_sim->Requests(), b); }, limitMs);
    }
    static bool WaitPolls(const Branch& b, int count, int limitMs = 20000) {
        return WaitUntil([&] { return CountPolls(s_sim->Requests(), b.status) >= count; }, limitMs);
    }
    static bool WaitIdle(CFirmDownLoad& dlg, int limitMs = 20000) {
        return WaitUntil([&] { return dlg.IsFinish() && !dlg.IsBusy(); }, limitMs);
    }
    static void ExpectInputsEnabled(CFirmDownLoad& dlg, bool enabled) {
        for (int id : {IDC_FIRM_SERVER_IP, IDC_FIRM_FILE_NAME, IDC_FIRM_OPERATION, IDC_FIRM_FILETYPE,
                       IDC_FIRM_APPLY, IDC_FIRM_CLOSE}) {
            EXPECT_EQ(dlg.IsDlgItemEnabled(id), enabled) << "control " << id;
        }
    }
};

TEST_F(FirmDownLoadTest, InitialFormAndInputRefusals) {
    test::ScriptedMessageBox boxes;
    boxes.FailOnUnexpected();
    CFirmDownLoad dlg;
    DialogDriver drv(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "Firmware and Configuration Upgrade/Backup");
    auto* op = drv.ItemAs<QComboBox>(IDC_FIRM_OPERATION);
    auto* type = drv.ItemAs<QComboBox>(IDC_FIRM_FILETYPE);
    ASSERT_TRUE(op && type);
    ASSERT_EQ(op->count(), 2);
    EXPECT_EQ(op->itemText(0).toStdString(), "Upgrade");
    EXPECT_EQ(op->itemText(1).toStdString(), "Backup");
    ASSERT_EQ(type->count(), 2);
    EXPECT_EQ(type->itemText(0).toStdString(), "Configuration");
    EXPECT_EQ(type->itemText(1).toStdString(), "Firmware");
    EXPECT_EQ(op->currentIndex(), 0);
    EXPECT_EQ(type->currentIndex(), 0);
    EXPECT_FALSE(drv.Item(IDC_FIRM_PROGRESS)->isVisible());
    EXPECT_FALSE(drv.Item(IDC_FIRM_PROGRESS_LABEL)->isVisible());
    EXPECT_EQ(dlg.GetDlgItemText(IDC_FIRM_APPLY), "&Apply");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_FIRM_CLOSE), "&Close");
    EXPECT_EQ(dlg.FileKind(), CFirmDownLoad::FILE_NONE);

    // Upgrade not confirmed: nothing at all, the bar stays hidden.
    ASSERT_TRUE(drv.Type(IDC_FIRM_SERVER_IP, "192.168.1.100"));
    ASSERT_TRUE(drv.Type(IDC_FIRM_FILE_NAME, "image.bin"));
    boxes.Answer(IDCANCEL);
    drv.Click(IDC_FIRM_APPLY);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, kUpgradeQuestion);
    EXPECT_EQ(boxes.Boxes()[0].flags, kQuestionFlags);
    EXPECT_FALSE(drv.Item(IDC_FIRM_PROGRESS)->isVisible());

    // No valid server address: refused after the question; label and bar stay visible.
    ASSERT_TRUE(drv.Type(IDC_FIRM_SERVER_IP, "192.168.1.300"));
    boxes.Answer(IDOK);
    boxes.Answer(IDOK);
    drv.Click(IDC_FIRM_APPLY);
    ASSERT_EQ(boxes.Count(), 3u);
    EXPECT_EQ(boxes.Boxes()[1].text, kUpgradeQuestion);
    EXPECT_EQ(boxes.Boxes()[2].text, "Invalid TFTP server IP.");
    EXPECT_EQ(boxes.Boxes()[2].flags, static_cast<unsigned>(MB_OK));
    EXPECT_TRUE(drv.Item(IDC_FIRM_PROGRESS)->isVisible());
    EXPECT_TRUE(drv.Item(IDC_FIRM_PROGRESS_LABEL)->isVisible());

    // Empty file name (a backup asks nothing first).
    ASSERT_TRUE(drv.Type(IDC_FIRM_SERVER_IP, "10.0.0.2"));
    ASSERT_TRUE(drv.Type(IDC_FIRM_FILE_NAME, ""));
    ASSERT_TRUE(drv.Select(IDC_FIRM_OPERATION, 1));
    boxes.Answer(IDOK);
    drv.Click(IDC_FIRM_APPLY);
    ASSERT_EQ(boxes.Count(), 4u);
    EXPECT_EQ(boxes.Boxes()[3].text, "Invalid file.");
    ExpectInputsEnabled(dlg, true);

    // A file name longer than 64 characters is cut, with a message.
    const std::string name65(65, 'f');
    boxes.Answer(IDOK);
    ASSERT_TRUE(drv.Type(IDC_FIRM_FILE_NAME, name65));
    ASSERT_EQ(boxes.Count(), 5u);
    EXPECT_EQ(boxes.Boxes()[4].text, "The maximum length of file name is 64!");
    EXPECT_EQ(drv.ItemAs<QLineEdit>(IDC_FIRM_FILE_NAME)->text().toStdString(), std::string(64, 'f'));

    test::PumpEvents();
    EXPECT_TRUE(test::Sets(s_sim->Requests()).empty()) << "nothing may be sent";
}

TEST_F(FirmDownLoadTest, FirmwareUpgradeRunsThroughPendingAndInProgressToSuccess) {
    test::ScriptedMessageBox boxes;
    CFirmDownLoad dlg;
    DialogDriver drv(dlg);
    BarAtBox probe(boxes, drv.ItemAs<CGradientProgressCtrl>(IDC_FIRM_PROGRESS));
    boxes.Answer(IDOK);
    Start(drv, kFirmware, false, "192.168.1.100", "ksx4200.bin");
    EXPECT_TRUE(dlg.IsBusy());
    ExpectInputsEnabled(dlg, false);
    EXPECT_EQ(dlg.FileKind(), CFirmDownLoad::FILE_FIRMWARE);

    // Pending first (polls every pendingPollMs), then in progress: the bar advances and stops at 89.
    ASSERT_TRUE(WaitOperation(kFirmware));
    ASSERT_TRUE(WaitUntil([&] { return dlg.ProgressTimes() >= 91; }, 10000));
    EXPECT_EQ(drv.ItemAs<CGradientProgressCtrl>(IDC_FIRM_PROGRESS)->GetPos(), 89);
    ASSERT_TRUE(WaitPolls(kFirmware, 12));
    EXPECT_TRUE(dlg.IsBusy());
    EXPECT_EQ(boxes.Count(), 1u);
    // Enter does not end a running transfer (the Close button is disabled meanwhile).
    drv.PressEnter();
    test::PumpEvents();
    EXPECT_FALSE(dlg.IsDialogEnded());

    s_sim->Set(kFirmware.status, "i", "1");
    ASSERT_TRUE(boxes.WaitForCount(2));
    ASSERT_TRUE(WaitIdle(dlg));
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{kUpgradeQuestion, "Success!"}));
    EXPECT_EQ(boxes.Boxes()[1].flags, static_cast<unsigned>(MB_OK));
    ASSERT_EQ(probe.positions.size(), 2u);
    EXPECT_EQ(probe.positions[1], 99) << "the bar shows 99 while Success! is up";
    EXPECT_EQ(drv.ItemAs<CGradientProgressCtrl>(IDC_FIRM_PROGRESS)->GetPos(), 0);
    EXPECT_TRUE(drv.Item(IDC_FIRM_PROGRESS)->isVisible());
    ExpectInputsEnabled(dlg, true);

    const auto log = Describe(OfBranch(s_sim->DistinctRequests(), kFirmware));
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(log[0], std::string("set harbour ") + kFirmware.server + "|x|c0a80164 " + kFirmware.file +
                          "|s|ksx4200.bin");
    EXPECT_EQ(log[1], std::string("set harbour ") + kFirmware.operation + "|i|1");
    for (std::size_t i = 2; i < log.size(); ++i) {
        EXPECT_EQ(log[i], Poll(kFirmware.status)) << "request " << i;
    }
    // Nothing further after the end.
    const std::size_t atEnd = s_sim->Requests().size();
    EXPECT_FALSE(WaitUntil([&] { return s_sim->Requests().size() > atEnd; }, 300));
}

TEST_F(FirmDownLoadTest, EscAndTheCloseBoxEndATransferringDialog) {
    for (bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox ? "close box" : "Esc");
        test::ScriptedMessageBox boxes;
        CFirmDownLoad dlg;
        DialogDriver drv(dlg);
        boxes.Answer(IDOK);
        Start(drv, kFirmware, false, "192.168.1.100", "ksx4200.bin");
        ASSERT_TRUE(WaitOperation(kFirmware));
        ASSERT_TRUE(WaitPolls(kFirmware, 1));
        ASSERT_TRUE(dlg.IsBusy());
        EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_FIRM_CLOSE));
        if (closeBox) {
            drv.CloseBox();
        } else {
            drv.PressEscape();
        }
        ASSERT_TRUE(WaitUntil([&] { return dlg.IsWindowDestroyed(); }));
        EXPECT_EQ(dlg.GetDialogResult(), IDCANCEL);
        // The polls stopped with the window: no request and no box after it.
        const std::size_t requests = s_sim->Requests().size();
        s_sim->Set(kFirmware.status, "i", "1");
        EXPECT_FALSE(
            WaitUntil([&] { return s_sim->Requests().size() > requests || boxes.Count() > 1; }, 400));
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{kUpgradeQuestion});
        s_sim->ClearLog();
    }
}

TEST_F(FirmDownLoadTest, SimulatorProgressionEndsInSuccessForBothBranches) {
    // The simulator's own progression: pending, in progress, then success after --transfer-ms.
    SimSwitch::Options options;
    options.extraArgs = {"--transfer-ms", "900"};
    SimSwitch sim(options);
    test::UseSimV1(sim);
    for (const Branch* b : {&kConfig, &kFirmware}) {
        test::ScriptedMessageBox boxes;
        boxes.FailOnUnexpected();
        CFirmDownLoad dlg;
        DialogDriver drv(dlg);
        boxes.Answer(IDOK);
        Start(drv, *b, true, "10.1.2.3", "backup.cfg");
        ASSERT_TRUE(boxes.WaitForCount(1, 8000));
        ASSERT_TRUE(WaitIdle(dlg));
        EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"Success!"}));
        // Distinct requests: a request resent after an unanswered attempt is counted once.
        const auto log = Describe(OfBranch(sim.DistinctRequests(), *b));
        ASSERT_GE(log.size(), 3u);
        EXPECT_EQ(log[1], std::string("set harbour ") + b->operation + "|i|2");
        EXPECT_EQ(log.back(), Poll(b->status));
        sim.ClearLog();
    }
}

TEST_F(FirmDownLoadTest, FailureTextsByFileKindAndOperation) {
    struct Case {
        const Branch* branch;
        bool backup;
        const char* server;
        const char* serverHex;
        const char* text;
    };
    const Case cases[] = {
        {&kFirmware, false, "192.168.0.10", "c0a8000a", "Firmware Upgrade Fail!"},
        {&kFirmware, true, "10.0.0.1", "0a000001", "Firmware Backup Fail!"},
        {&kConfig, false, "2001:db8::1", "20010db8000000000000000000000001", "Config File Upgrade Fail!"},
        {&kConfig, true, "fe80::1%eth0", "fe800000000000000000000000000001", "Config File Backup Fail!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        s_sim->Restart();
        s_sim->ClearLog();
        test::ScriptedMessageBox boxes;
        boxes.FailOnUnexpected();
        CFirmDownLoad dlg;
        DialogDriver drv(dlg);
        if (!c.backup) {
            boxes.Answer(IDOK);
        }
        boxes.Answer(IDOK);
        Start(drv, *c.branch, c.backup, c.server, "file.img");
        ASSERT_TRUE(WaitOperation(*c.branch));
        ASSERT_TRUE(WaitPolls(*c.branch, 1));
        s_sim->Set(c.branch->status, "i", "2");
        ASSERT_TRUE(boxes.WaitForCount(c.backup ? 1 : 2));
        ASSERT_TRUE(WaitIdle(dlg));
        EXPECT_EQ(boxes.LastText(), c.text);
        ExpectInputsEnabled(dlg, true);
        const auto log = Describe(OfBranch(s_sim->Requests(), *c.branch));
        ASSERT_GE(log.size(), 3u);
        EXPECT_EQ(log[0], std::string("set harbour ") + c.branch->server + "|x|" + c.serverHex + " " +
                              c.branch->file + "|s|file.img");
        EXPECT_EQ(log[1], std::string("set harbour ") + c.branch->operation + "|i|" + (c.backup ? "2" : "1"));
        EXPECT_EQ(log.back(), Poll(c.branch->status));
    }
}

TEST_F(FirmDownLoadTest, PendingKeepsPollingWithoutAnOverallTimeOut) {
    test::ScriptedMessageBox boxes;
    boxes.FailOnUnexpected();
    CFirmDownLoad dlg;
    DialogDriver drv(dlg);
    Start(drv, kConfig, true, "10.0.0.5", "c.cfg");
    ASSERT_TRUE(WaitOperation(kConfig));
    s_sim->Set(kConfig.status, "i", "4");  // held pending
    // Far longer than the overall time-out, which only an "in progress" starts.
    ASSERT_TRUE(WaitPolls(kConfig, 40));
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_TRUE(dlg.IsBusy());
    boxes.Answer(IDOK);
    s_sim->Set(kConfig.status, "i", "0");
    ASSERT_TRUE(boxes.WaitForCount(1));
    EXPECT_EQ(boxes.LastText(), "Success!");
    ASSERT_TRUE(WaitIdle(dlg));
}

TEST_F(FirmDownLoadTest, UnreachableDeviceEndsWithTheFileNameTimeOut) {
    test::ScriptedMessageBox boxes;
    CFirmDownLoad dlg;
    DialogDriver drv(dlg);
    s_sim->Silence(true);  // at the status read that comes first: nothing is sent
    boxes.Answer(IDOK);
    Start(drv, kFirmware, false, "192.168.1.100", "a.bin");
    ASSERT_TRUE(boxes.WaitForCount(2, 5000));
    ASSERT_TRUE(WaitIdle(dlg));
    EXPECT_EQ(boxes.LastText(), "Get Info Fail ! The device did not answer: nothing was sent.");
    s_sim->Silence(false);
    s_sim->WritesSilent(true);
    Start(drv, kFirmware, false, "192.168.1.100", "b.bin");
    ASSERT_TRUE(boxes.WaitForCount(4, 5000));
    ASSERT_TRUE(WaitIdle(dlg));
    EXPECT_EQ(boxes.LastText(), "Setting file name TimeOut !");
    ExpectInputsEnabled(dlg, true);
    s_sim->WritesSilent(false);
    // The file SET, sent again within its time-out, and no operation after it.
    const auto log = Describe(test::Sets(s_sim->Requests()));
    ASSERT_GE(log.size(), 1u);
    for (const auto& line : log) {
        EXPECT_EQ(line, log[0]) << "no operation after an unanswered file SET";
    }
}

TEST_F(FirmDownLoadTest, ErrorRepliesAndUnknownStatusEndTheTransferWithAMessage) {
    // Each of these used to leave every control disabled with nothing running.
    struct Case {
        const char* name;
        const char* errorOid;     // answered with genErr, or null
        const char* statusValue;  // put after the operation, or null
        const char* text;
    };
    const Case cases[] = {
        {"file SET refused", CFirmDownLoad::kConfFileOid, nullptr, "Setting file name Fail !"},
        {"operation SET refused", CFirmDownLoad::kConfOperationOid, nullptr, "Setting operation Fail !"},
        {"status read refused", CFirmDownLoad::kConfStatusOid, nullptr, "Get Info Fail ! Nothing was sent."},
        {"status value unknown", nullptr, "7", "Get Info Fail !"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        s_sim->Restart();
        s_sim->ClearLog();
        if (c.errorOid != nullptr) {
            s_sim->ErrorStatus(c.errorOid, 5);
        }
        test::ScriptedMessageBox boxes;
        CFirmDownLoad dlg;
        DialogDriver drv(dlg);
        Start(drv, kConfig, true, "10.0.0.7", "y.cfg");
        if (c.statusValue != nullptr) {
            ASSERT_TRUE(WaitOperation(kConfig));
            s_sim->Set(kConfig.status, "i", c.statusValue);
        }
        ASSERT_TRUE(boxes.WaitForCount(1));
        ASSERT_TRUE(WaitIdle(dlg));
        EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{c.text}));
        ExpectInputsEnabled(dlg, true);
        if (c.errorOid != nullptr) {
            s_sim->ErrorStatus(c.errorOid, 0);
        }
        // Usable again at once: the next transfer runs to its end. No transfer of an earlier case may
        // still be running on the device: the dialog would follow it and send nothing.
        s_sim->Restart();
        s_sim->Set(kConfig.status, "i", "1");
        s_sim->ClearLog();
        Start(drv, kConfig, true, "10.0.0.7", "y.cfg");
        ASSERT_TRUE(WaitOperation(kConfig)) << ::testing::PrintToString(boxes.Texts()) << " "
                                            << ::testing::PrintToString(Describe(s_sim->Requests()));
        // The device reports success until the dialog has seen it (a slow build may still be moving the
        // simulated transfer along when the first value is put).
        ASSERT_TRUE(WaitUntil([&] {
            if (s_sim->Get(kConfig.status) != "1") {
                s_sim->Set(kConfig.status, "i", "1");
            }
            return boxes.Count() >= 2;
        })) << ::testing::PrintToString(Describe(s_sim->Requests()))
            << " busy " << dlg.IsBusy() << " finish " << dlg.IsFinish();
        EXPECT_EQ(boxes.LastText(), "Success!");
        ASSERT_TRUE(WaitIdle(dlg));
    }
}

TEST_F(FirmDownLoadTest, DeviceDisconnectingAfterInProgressEndsWithTheOverallTimeOut) {
    struct Case {
        const Branch* branch;
        const char* text;
    };
    const Case cases[] = {
        {&kFirmware, "Time out! Please check TFTP Server IP and network."},
        {&kConfig,
         "Time out! Please check TFTP Server IP and network.\n You may close the current device Zelvion "
         "Module and "
         "implement 'Device Discovery'to restart it"},
    };
    // Overall time-outs longer than four unanswered polls: only uncounted polls let it come to that.
    auto timing = FastTiming();
    timing.firmwareOverallMs = 2000;
    timing.configOverallMs = 1600;
    test::FirmTiming slower(timing);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.branch->firmware ? "firmware" : "configuration");
        s_sim->Restart();
        s_sim->Silence(false);
        s_sim->ClearLog();
        test::ScriptedMessageBox boxes;
        CFirmDownLoad dlg;
        DialogDriver drv(dlg);
        boxes.Answer(IDOK);
        Start(drv, *c.branch, false, "192.168.1.100", "z.bin");
        ASSERT_TRUE(WaitOperation(*c.branch));
        s_sim->Set(c.branch->status, "i", "3");
        ASSERT_TRUE(WaitPolls(*c.branch, 2));
        s_sim->Silence(true);  // the device restarts into its new image
        const int before = CountPolls(s_sim->Requests(), c.branch->status);
        ASSERT_TRUE(boxes.WaitForCount(2, 8000));
        ASSERT_TRUE(WaitIdle(dlg));
        EXPECT_EQ(boxes.LastText(), c.text);
        // Unanswered polls after "in progress" are not counted: polling went on until the overall time-out.
        EXPECT_GE(CountPolls(s_sim->Requests(), c.branch->status) - before, 4);
        ExpectInputsEnabled(dlg, true);
    }
}

TEST_F(FirmDownLoadTest, ConfigurationDeviceLostBeforeInProgressEndsWithTheOverallTimeOut) {
    // Configuration polls are never counted, so without a guard a device lost before "in progress"
    // would keep the dialog busy (and unclosable) for ever.
    auto timing = FastTiming();
    timing.configOverallMs = 1200;
    test::FirmTiming slower(timing);
    s_sim->Restart();
    s_sim->Silence(false);
    s_sim->ClearLog();
    test::ScriptedMessageBox boxes;
    CFirmDownLoad dlg;
    DialogDriver drv(dlg);
    boxes.Answer(IDOK);
    Start(drv, kConfig, false, "192.168.1.100", "c.cfg");
    ASSERT_TRUE(WaitOperation(kConfig));
    s_sim->Silence(true);
    ASSERT_TRUE(boxes.WaitForCount(2, 8000));
    ASSERT_TRUE(WaitIdle(dlg));
    EXPECT_EQ(boxes.LastText(),
              "Time out! Please check TFTP Server IP and network.\n You may close the current device Zelvion "
              "Module and implement 'Device Discovery'to restart it");
    s_sim->Silence(false);
}

TEST_F(FirmDownLoadTest, UnansweredFirmwarePollsEndItAndTheNextTransferCountsAfresh) {
    test::ScriptedMessageBox boxes;
    CFirmDownLoad dlg;
    DialogDriver drv(dlg);
    boxes.Answer(IDOK);
    Start(drv, kFirmware, false, "192.168.1.100", "first.bin");
    ASSERT_TRUE(WaitOperation(kFirmware));
    s_sim->Silence(true);  // before the first poll: the device never reports "in progress"
    ASSERT_TRUE(boxes.WaitForCount(2, 8000));
    ASSERT_TRUE(WaitIdle(dlg));
    EXPECT_EQ(boxes.LastText(), "Get Firmware BackUp/Upgrade status Time Out !");
    EXPECT_EQ(CountPolls(s_sim->Requests(), kFirmware.status), 4);
    ExpectInputsEnabled(dlg, true);

    // Second transfer: its first poll goes unanswered, then the device answers. A counter left over from
    // the aborted transfer would end this one at once.
    s_sim->Silence(false);
    s_sim->Restart();
    s_sim->ClearLog();
    boxes.Answer(IDOK);
    Start(drv, kFirmware, false, "192.168.1.100", "second.bin");
    ASSERT_TRUE(WaitOperation(kFirmware));
    s_sim->Silence(true);
    ASSERT_TRUE(WaitPolls(kFirmware, 1));
    s_sim->Silence(false);
    ASSERT_TRUE(WaitPolls(kFirmware, 3));
    EXPECT_EQ(boxes.Count(), 3u) << boxes.LastText();
    s_sim->Set(kFirmware.status, "i", "1");
    ASSERT_TRUE(boxes.WaitForCount(4));
    EXPECT_EQ(boxes.LastText(), "Success!");
    ASSERT_TRUE(WaitIdle(dlg));
}

TEST_F(FirmDownLoadTest, RebootIsRefusedWhileATransferRuns) {
    test::ScriptedMessageBox boxes;
    CFirmDownLoad dlg;
    DialogDriver drv(dlg);
    boxes.Answer(IDOK);
    Start(drv, kFirmware, false, "192.168.1.100", "fw.bin");
    ASSERT_TRUE(WaitOperation(kFirmware));
    ASSERT_TRUE(WaitUntil([&] { return s_sim->Get(kFirmware.status) == "3"; }));
    s_sim->ClearLog();

    boxes.Answer(IDOK);
    RebootCommand reboot;
    reboot.Run();
    ASSERT_TRUE(boxes.WaitForCount(3));
    EXPECT_EQ(boxes.Boxes()[1].text, "Do you want to reboot the device?");
    EXPECT_EQ(boxes.Boxes()[2].text, "FW upgrade/backup or config backup/restore is already progressing. ");
    for (const auto& r : s_sim->Requests()) {
        EXPECT_NE(r.pdu, "set") << Describe(r);
    }
    s_sim->Set(kFirmware.status, "i", "1");
    ASSERT_TRUE(boxes.WaitForCount(4));
    ASSERT_TRUE(WaitIdle(dlg));
}

TEST_F(FirmDownLoadTest, ARunningTransferIsFollowedNotStartedAgain) {
    test::ScriptedMessageBox boxes;
    {
        CFirmDownLoad dlg;  // a firmware upgrade asked for while a configuration transfer is pending
        DialogDriver drv(dlg);
        ASSERT_TRUE(WaitUntil([] { return !s_sim->Requests().empty(); }));  // the opening's read: idle
        s_sim->Set(kConfig.status, "i", "4");
        Start(drv, kFirmware, false, "10.0.0.4", "new.bin");
        ASSERT_TRUE(WaitPolls(kConfig, 2));
        EXPECT_EQ(boxes.LastText(),
                  "FW upgrade/backup or config backup/restore is already progressing. Nothing was sent.");
        drv.PressEscape();  // closed, it leaves the transfer running; the next dialog follows it at once
    }
    CFirmDownLoad again;
    DialogDriver drv(again);
    ASSERT_TRUE(WaitUntil([&] { return again.IsBusy() && again.FileKind() == CFirmDownLoad::FILE_CONFIG; }));
    s_sim->Set(kConfig.status, "i", "1");
    ASSERT_TRUE(WaitIdle(again));
    EXPECT_EQ(boxes.LastText(), "Success!");
    EXPECT_TRUE(test::Sets(s_sim->Requests()).empty());
}

TEST_F(FirmDownLoadTest, ClosingTheDialogMidTransferIsPromptAndQuiet) {
    test::ScriptedMessageBox boxes;
    {
        CFirmDownLoad dlg;
        DialogDriver drv(dlg);
        Start(drv, kConfig, true, "10.0.0.3", "q.cfg");
        ASSERT_TRUE(WaitOperation(kConfig));
        s_sim->Silence(true);
        ASSERT_TRUE(WaitPolls(kConfig, 1));
        dlg.DestroyWindow();  // a poll is in flight
        EXPECT_TRUE(dlg.IsWindowDestroyed());
    }
    test::PumpEvents();
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(FirmDownLoadTest, UnansweredOperationEndsWithTheOperationTimeOut) {
    auto timing = FastTiming();
    timing.fileSetTimeoutMs = 3000;  // the delayed answer to the file SET still counts
    test::FirmTiming slower(timing);
    test::ScriptedMessageBox boxes;
    CFirmDownLoad dlg;
    DialogDriver drv(dlg);
    s_sim->DelayMs(900);  // longer than the operation's time-out
    Start(drv, kConfig, true, "10.0.0.9", "x.cfg");
    ASSERT_TRUE(boxes.WaitForCount(1, 8000));
    ASSERT_TRUE(WaitIdle(dlg));
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"Setting operation TimeOut !"}));
    ExpectInputsEnabled(dlg, true);
    // The first poll fell due while the operation was unanswered: it waited for that answer, so the
    // device saw the operation and no poll.
    EXPECT_TRUE(HasOperation(s_sim->Requests(), kConfig));
    EXPECT_EQ(CountPolls(s_sim->Requests(), kConfig.status), 0);
    // The device still carries out the late operation, and copies of it sent again may come later still:
    // this test comes last, so that nothing runs after them.
    ASSERT_TRUE(WaitUntil([] { return s_sim->Get(kConfig.status) != "1"; }));
}

}  // namespace
