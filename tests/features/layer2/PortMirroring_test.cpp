// Port mirroring dialog against the simulated switch: the read configuration as boxes, the write
// sequences after an enabled and a disabled read, a step the device refuses, the trunk and source
// refusals, target ports typed, chosen and reported out of range, the "All" rows and the 52-port
// layout; against a slow device, Apply's requests off the window's thread, Close during them and a
// device that falls silent halfway.
#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QLabel>
#include <cstdlib>
#include <string>
#include <vector>

#include "features/layer2/PortMirroringdlg.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_mirroring.h"
#include "res/resource.h"
#include "tests/features/DialogTest.h"
#include "tests/features/StepRunTest.h"

namespace {

using namespace ksx;
using namespace ksx::dialogtest;

const std::string kP = "1.3.6.1.4.1.7393.10.76.20.1";
const std::string kState = kP + ".18.1.0";
const std::string kTarget = kP + ".18.2.0";
const std::string kRx = kP + ".18.3.0";
const std::string kTx = kP + ".18.4.0";
const size_t kCut = kP.size() + 1;  // set lines show "18.1.0=i:1"

enum { TX = CPortMirroringdlg::MODE_TX, RX, BOTH, NONE };
const char* const kModeNames[4] = {"TX", "RX", "Both", "None"};

class PortMirroring : public test::SharedSimTest {
protected:
    // Waits until the read and the trunk walk arrived (Apply usable).
    static void WaitRead(CPortMirroringdlg& dlg) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_MIR_APPLY); }));
    }
    // Opens the dialog on the given device values and waits for them.
    void Configure(const std::string& state, const std::string& target, const std::string& rx,
                   const std::string& tx) {
        s_sim->Set(kState, "i", state);
        s_sim->Set(kTarget, "i", target);
        s_sim->Set(kRx, "x", rx);
        s_sim->Set(kTx, "x", tx);
        s_sim->ClearLog();
    }
    static std::vector<int> Modes(CPortMirroringdlg& dlg, int first, int last) {
        std::vector<int> out;
        for (int p = first; p <= last; ++p) {
            out.push_back(dlg.PortMode(p));
        }
        return out;
    }
    static bool PortEnabled(CPortMirroringdlg& dlg, int port) {
        bool all = true;
        for (int first : {IDC_MIR_TX1, IDC_MIR_RX1, IDC_MIR_BOTH1, IDC_MIR_NONE1}) {
            all = all && dlg.IsDlgItemEnabled(first + port - 1);
        }
        return all;
    }
    // Waits until Apply's requests ended.
    static void WaitRun(CPortMirroringdlg& dlg) {
        ASSERT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }));
    }
    // Waits for the re-read that follows a write or a refusal.
    void WaitReread(CPortMirroringdlg& dlg, size_t gets) {
        ASSERT_TRUE(WaitUntil([&] { return test::OfKind(s_sim->Requests(), "get").size() >= gets; }));
        WaitRead(dlg);
    }

    test::ScriptedMessageBox boxes;
};

TEST_F(PortMirroring, ShowsTheReadConfiguration) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_PORT_MIRRORING));
    // Target "0" is port 1; ports 29-32 of the bitmap are not on this device.
    Configure("1", "0", "6000000f", "30000000");
    CPortMirroringdlg dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "PortMirroringConfiguration");
    EXPECT_EQ(
        RequestLines(test::OfKind(s_sim->Requests(), "get")),
        std::vector<std::string>{"get " + kState + "=n: " + kTarget + "=n: " + kRx + "=n: " + kTx + "=n:"});
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_MIR_ENABLED), 1);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_MIR_DISABLED), 0);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_MIR_TARGET), "1");
    EXPECT_FALSE(PortEnabled(dlg, 1));
    EXPECT_TRUE(PortEnabled(dlg, 2));
    EXPECT_EQ(Modes(dlg, 1, 6), (std::vector<int>{NONE, RX, BOTH, TX, NONE, NONE}));
    EXPECT_EQ(dlg.PortMode(28), NONE);
    // Exactly one box per port.
    int checked = 0;
    for (int first : {IDC_MIR_TX1, IDC_MIR_RX1, IDC_MIR_BOTH1, IDC_MIR_NONE1}) {
        for (int p = 1; p <= 28; ++p) {
            checked += dlg.IsDlgButtonChecked(first + p - 1);
        }
    }
    EXPECT_EQ(checked, 28);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_MIR_PORT_LABEL1 + 27), "28");

    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/layer2";
    QDir().mkpath(dir);
    test::PumpEvents();
    EXPECT_TRUE(test::GrabScreenshot(&dlg, (dir + "/port_mirroring_28.png").toStdString()));
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(PortMirroring, DisabledDeviceGreysTheFormAndApplyWritesTheStateAlone) {
    Configure("2", "5", "60000000", "30000000");
    CPortMirroringdlg dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_MIR_DISABLED), 1);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_MIR_TARGET));
    EXPECT_FALSE(PortEnabled(dlg, 2));
    EXPECT_FALSE(PortEnabled(dlg, 28));
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_MIR_APPLY));
    WaitRun(dlg);
    EXPECT_EQ(SetLines(s_sim->Requests(), kCut), std::vector<std::string>{"18.1.0=i:2"});
    WaitReread(dlg, 1);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(PortMirroring, EnablingSendsFourRequestsAfterAnEnabledReadAndThreeAfterADisabledOne) {
    {
        Configure("1", "24", "60000000", "30000000");
        CPortMirroringdlg dlg;
        DialogDriver drv(dlg);
        WaitRead(dlg);
        ASSERT_TRUE(drv.Click(IDC_MIR_TX1 + 9));    // port 10 TX
        ASSERT_TRUE(drv.Click(IDC_MIR_NONE1 + 2));  // port 3 None
        s_sim->ClearLog();
        ASSERT_TRUE(drv.Click(IDC_MIR_APPLY));
        WaitRun(dlg);
        // Sources cleared, target, sources (TX first), state; every one with the write community.
        EXPECT_EQ(SetLines(s_sim->Requests(), kCut),
                  (std::vector<std::string>{"18.4.0=x:00000000 18.3.0=x:00000000", "18.2.0=i:24",
                                            "18.4.0=x:10400000 18.3.0=x:40000000", "18.1.0=i:1"}));
        for (const test::SimRequest& r : test::Sets(s_sim->Requests())) {
            EXPECT_EQ(r.principal, "harbour");
        }
        WaitReread(dlg, 1);
        EXPECT_EQ(Modes(dlg, 2, 4), (std::vector<int>{RX, NONE, TX}));
        EXPECT_EQ(dlg.PortMode(10), TX);
    }
    {
        Configure("2", "24", "60000000", "00000000");
        CPortMirroringdlg dlg;
        DialogDriver drv(dlg);
        WaitRead(dlg);
        ASSERT_TRUE(drv.Click(IDC_MIR_ENABLED));
        EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_MIR_TARGET));
        EXPECT_TRUE(PortEnabled(dlg, 2));
        EXPECT_FALSE(PortEnabled(dlg, 24));
        ASSERT_TRUE(drv.Select(IDC_MIR_TARGET, 6));  // port 7
        EXPECT_FALSE(PortEnabled(dlg, 7));
        EXPECT_TRUE(PortEnabled(dlg, 24));
        s_sim->ClearLog();
        ASSERT_TRUE(drv.Click(IDC_MIR_APPLY));
        WaitRun(dlg);
        EXPECT_EQ(
            SetLines(s_sim->Requests(), kCut),
            (std::vector<std::string>{"18.2.0=i:7", "18.4.0=x:00000000 18.3.0=x:60000000", "18.1.0=i:1"}));
        EXPECT_EQ(s_sim->Get(kState), "1");
        WaitReread(dlg, 1);
    }
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(PortMirroring, StopsAtTheFirstRefusedStepSaysSoAndRereads) {
    // The device refuses the target: the cleared sources went out, nothing after them.
    Configure("1", "24", "60000000", "30000000");
    CPortMirroringdlg dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    s_sim->ErrorStatus(kTarget, 5);
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_MIR_APPLY));
    WaitRun(dlg);
    EXPECT_EQ(SetLines(s_sim->Requests(), kCut),
              (std::vector<std::string>{"18.4.0=x:00000000 18.3.0=x:00000000", "18.2.0=i:24"}));
    // The re-read that follows fails while the device refuses the target, and says so too.
    ASSERT_GE(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Texts()[0],
              "The device did not accept the target port. The clearing of the source ports was written; the "
              "source ports and the mirroring state were not written. The settings it holds are shown.");
    // The re-read went out (and fails while the device refuses the target); Refresh shows what the
    // device holds once it answers again: no sources left.
    ASSERT_TRUE(WaitUntil([&] { return !test::OfKind(s_sim->Requests(), "get").empty(); }));
    s_sim->ErrorStatus(kTarget, 0);
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_MIR_REFRESH); }));
    ASSERT_TRUE(drv.Click(IDC_MIR_REFRESH));
    WaitRead(dlg);
    EXPECT_EQ(Modes(dlg, 2, 4), (std::vector<int>{NONE, NONE, NONE}));
    EXPECT_EQ(s_sim->Get(kState), "1");
}

TEST_F(PortMirroring, ApplyIsUnavailableUntilTheFirstRead) {
    s_sim->Silence(true);
    CPortMirroringdlg dlg;
    DialogDriver drv(dlg);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_MIR_APPLY));
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_MIR_ENABLED), 0);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_MIR_DISABLED), 0);
    drv.Click(IDC_MIR_APPLY);
    WaitRun(dlg);
    dlg.OnApply();  // even called directly it writes nothing
    s_sim->Silence(false);
    EXPECT_TRUE(test::Sets(s_sim->Requests()).empty());
    EXPECT_EQ(s_sim->Get(kState), "1");
}

// Settings not read whole are no settings: a reply without one of its bindings, or with a value of
// another type, is said once and leaves Apply unavailable, so that nothing the device did not report
// (an empty source set, a state) is written back; the next Refresh that reads them makes Apply usable.
TEST_F(PortMirroring, SettingsNotReadWholeAreSaidAndNeverWrittenBack) {
    for (const std::string fault : {"omit", "type"}) {
        SCOPED_TRACE(fault);
        boxes.Clear();
        Configure("1", "24", "60000000", "30000000");
        if (fault == "omit") {
            s_sim->Omit(kTx);
        } else {
            s_sim->Set(kState, "s", "zz");
        }
        CPortMirroringdlg dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(boxes.WaitForCount(1));
        EXPECT_EQ(boxes.LastText(),
                  "Failed to read the port mirroring settings; press Refresh to try again.");
        EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_MIR_APPLY));
        s_sim->OmitNone();
        s_sim->Set(kState, "i", "1");
        drv.Click(IDC_MIR_APPLY);
        WaitRun(dlg);
        EXPECT_TRUE(test::Sets(s_sim->Requests()).empty());
        ASSERT_TRUE(drv.Click(IDC_MIR_REFRESH));
        WaitRead(dlg);
        EXPECT_EQ(Modes(dlg, 2, 4), (std::vector<int>{RX, BOTH, TX}));
        EXPECT_EQ(boxes.Count(), 1u);
    }
}

TEST_F(PortMirroring, TrunkTargetAndMixedTrunkModesAreRefused) {
    Configure("1", "24", "60000000", "30000000");
    CPortMirroringdlg dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    // Ports 25 and 26 form trunk 1.
    ASSERT_TRUE(drv.Select(IDC_MIR_TARGET, 24));
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_MIR_APPLY));
    WaitRun(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Target Port is Trunking Port!"});
    EXPECT_TRUE(s_sim->Requests().empty());  // no write, no re-read
    EXPECT_EQ(dlg.GetDlgItemText(IDC_MIR_TARGET), "25");

    ASSERT_TRUE(drv.Select(IDC_MIR_TARGET, 0));
    ASSERT_TRUE(drv.Click(IDC_MIR_TX1 + 24));
    ASSERT_TRUE(drv.Click(IDC_MIR_BOTH1 + 25));
    boxes.Clear();
    ASSERT_TRUE(drv.Click(IDC_MIR_APPLY));
    WaitRun(dlg);
    EXPECT_EQ(
        boxes.Texts(),
        std::vector<std::string>{
            "Must select whole ports of the aggregated link with the same Sniffer Mode to source port."});
    EXPECT_TRUE(test::Sets(s_sim->Requests()).empty());
    WaitReread(dlg, 1);  // the device's settings replace the selection
    EXPECT_EQ(dlg.PortMode(25), NONE);

    // Both members alike: accepted.
    ASSERT_TRUE(drv.Click(IDC_MIR_BOTH1 + 24));
    ASSERT_TRUE(drv.Click(IDC_MIR_BOTH1 + 25));
    boxes.Clear();
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_MIR_APPLY));
    WaitRun(dlg);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(SetLines(s_sim->Requests(), kCut).size(), 4u);
    EXPECT_EQ(s_sim->Get(kTx), "300000c0");
    EXPECT_EQ(s_sim->Get(kRx), "600000c0");
    WaitReread(dlg, 1);
}

TEST_F(PortMirroring, NoSourcePortIsRefusedAndReread) {
    Configure("1", "24", "60000000", "30000000");
    CPortMirroringdlg dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    ASSERT_TRUE(drv.Click(IDC_MIR_ALL_NONE));
    EXPECT_EQ(dlg.PortMode(24), NONE);
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_MIR_APPLY));
    WaitRun(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Must at least select one source port."});
    EXPECT_TRUE(test::Sets(s_sim->Requests()).empty());
    WaitReread(dlg, 1);
    EXPECT_EQ(Modes(dlg, 2, 4), (std::vector<int>{RX, BOTH, TX}));
}

TEST_F(PortMirroring, AllRowsSpareTheTargetExceptNone) {
    Configure("1", "24", "00000000", "00000000");
    CPortMirroringdlg dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    for (int row : {TX, RX, BOTH}) {
        ASSERT_TRUE(drv.Click(IDC_MIR_ALL_TX + row));
        EXPECT_EQ(dlg.PortMode(1), row);
        EXPECT_EQ(dlg.PortMode(28), row);
        EXPECT_EQ(dlg.PortMode(24), NONE) << row;
    }
    ASSERT_TRUE(drv.Click(IDC_MIR_ALL_TX));
    dlg.Strip(TX)->SetCheck(1, 23);  // the target as if it had been a source
    dlg.Strip(NONE)->SetCheck(0, 23);
    ASSERT_TRUE(drv.Click(IDC_MIR_ALL_NONE));
    EXPECT_EQ(Modes(dlg, 23, 25), (std::vector<int>{NONE, NONE, NONE}));
    // A port's four boxes act as one radio group; clicking a checked box keeps it.
    ASSERT_TRUE(drv.Click(IDC_MIR_RX1 + 4));
    ASSERT_TRUE(drv.Click(IDC_MIR_RX1 + 4));
    EXPECT_EQ(dlg.PortMode(5), RX);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_MIR_NONE1 + 4), 0);
}

TEST_F(PortMirroring, TargetPortsOutsideThePortsAreNeverUsed) {
    // Reported by the device: no target shown, no box disabled.
    Configure("1", "40", "60000000", "00000000");
    CPortMirroringdlg dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_MIR_TARGET), "");
    for (int p = 1; p <= 28; ++p) {
        EXPECT_TRUE(PortEnabled(dlg, p)) << p;
    }
    // Typed: follows the rules of a chosen port...
    ASSERT_TRUE(drv.Type(IDC_MIR_TARGET, "5"));
    EXPECT_FALSE(PortEnabled(dlg, 5));
    EXPECT_EQ(dlg.PortMode(5), NONE);
    // ...and one outside the ports is refused before anything is looked up or sent.
    for (const char* typed : {"99", "0", "x", "29", ""}) {
        ASSERT_TRUE(drv.Type(IDC_MIR_TARGET, typed));
        boxes.Clear();
        s_sim->ClearLog();
        ASSERT_TRUE(drv.Click(IDC_MIR_APPLY));
        WaitRun(dlg);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Target Port should be 1-28"}) << typed;
        EXPECT_TRUE(s_sim->Requests().empty()) << typed;
    }
    ASSERT_TRUE(drv.Type(IDC_MIR_TARGET, "28"));
    boxes.Clear();
    ASSERT_TRUE(drv.Click(IDC_MIR_APPLY));
    WaitRun(dlg);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(s_sim->Get(kTarget), "28");
    WaitReread(dlg, 1);
}

// Answers 1 s late: Apply's four requests leave the window live, show their progress after a second
// and keep Apply and Refresh unavailable; Close during the second says what was and was not confirmed
// and sends nothing more.
TEST_F(PortMirroring, SlowDeviceApplyStaysLiveAndCloseSaysWhatWasConfirmed) {
    Configure("1", "24", "60000000", "30000000");
    CPortMirroringdlg dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    test::SlowRun run(*s_sim);
    ASSERT_NO_FATAL_FAILURE(run.Click(dlg, drv, IDC_MIR_APPLY, {IDC_MIR_APPLY, IDC_MIR_REFRESH}, 2,
                                      "Writing the target port (2 of 4)..."));
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/layer2";
    QDir().mkpath(dir);
    EXPECT_TRUE(test::GrabScreenshot(&dlg, (dir + "/port_mirroring_writing.png").toStdString()));
    ASSERT_NO_FATAL_FAILURE(
        run.Close(drv, boxes,
                  {"Stopped: the clearing of the source ports was written; the device did not "
                   "confirm whether the target port was written; the source ports and the "
                   "mirroring state were not written."}));
    EXPECT_EQ(SetLines(test::DistinctRequests(*s_sim), kCut),
              (std::vector<std::string>{"18.4.0=x:00000000 18.3.0=x:00000000", "18.2.0=i:24"}));
}

// A slow device that falls silent at the third request: the write ends there, says which requests the
// device confirmed, and the window stayed live all along.
TEST_F(PortMirroring, SlowDeviceFallingSilentHalfwayEndsTheWriteThere) {
    Configure("1", "24", "60000000", "30000000");
    CPortMirroringdlg dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    test::SlowRun run(*s_sim);
    ASSERT_TRUE(drv.Click(IDC_MIR_APPLY));
    ASSERT_TRUE(WaitUntil([&] { return test::DistinctRequests(*s_sim).size() >= 3; }, 30000));
    s_sim->Silence(true);
    ASSERT_TRUE(boxes.WaitForCount(1, 30000));
    EXPECT_EQ(
        boxes.Texts()[0],
        "The device did not answer: the clearing of the source ports and the target port were written; "
        "it did not confirm whether the source ports were written; the mirroring state was not written. "
        "The settings it holds are shown.");
    EXPECT_EQ(SetLines(test::DistinctRequests(*s_sim), kCut),
              (std::vector<std::string>{"18.4.0=x:00000000 18.3.0=x:00000000", "18.2.0=i:24",
                                        "18.4.0=x:30000000 18.3.0=x:60000000"}));
    EXPECT_LT(run.MaxGapMs(), 250);
    s_sim->Silence(false);
}

class PortMirroring52 : public PortMirroring {
public:
    static void SetUpTestSuite() {
        test::SimSwitch::Options options;
        options.profile = "ksx-4200-52";
        StartSim(options);
    }

protected:
    void SetUp() override {
        PortMirroring::SetUp();
        g_nPortNum = 52;
    }
};

TEST_F(PortMirroring52, TwoRowsPerStripTxUnderTheLabelsAndEightOctetBitmaps) {
    Configure("1", "52", "6000000000000000", "0000000000000010");
    CPortMirroringdlg dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(dlg.PortMode(2), RX);
    EXPECT_EQ(dlg.PortMode(60), NONE);  // outside the ports: none
    EXPECT_EQ(dlg.PortMode(52), NONE);
    EXPECT_EQ(dlg.Strip(TX)->GetFirstRowCount(), 26);
    const QRect label1 = dlg.GetDlgItem(IDC_MIR_PORT_LABEL1)->geometry();
    const QRect tx1 = dlg.GetDlgItem(IDC_MIR_TX1)->geometry();
    const QRect label27 = dlg.GetDlgItem(IDC_MIR_PORT_LABEL1 + 26)->geometry();
    const QRect tx27 = dlg.GetDlgItem(IDC_MIR_TX1 + 26)->geometry();
    EXPECT_EQ(tx1.x(), label1.x());
    EXPECT_EQ(tx1.y(), label1.y() + label1.height());
    EXPECT_EQ(tx27.x(), label27.x());
    EXPECT_EQ(tx27.y(), label27.y() + label27.height());
    EXPECT_LT(tx1.bottom(), label27.top());
    // Rows stay inside their group box, and the bottom buttons end with the strips.
    const QRect group = dlg.GetDlgItem(IDC_MIR_PORTS_GROUP)->geometry();
    EXPECT_LE(dlg.GetDlgItem(IDC_MIR_NONE1 + 51)->geometry().bottom(), group.bottom());
    EXPECT_EQ(dlg.GetDlgItem(IDC_MIR_CLOSE)->geometry().right(), dlg.Strip(NONE)->GetStripRect().right());

    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/layer2";
    QDir().mkpath(dir);
    test::PumpEvents();
    EXPECT_TRUE(test::GrabScreenshot(&dlg, (dir + "/port_mirroring_52.png").toStdString()));

    ASSERT_TRUE(drv.Click(IDC_MIR_TX1 + 47));  // port 48 TX
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_MIR_APPLY));
    WaitRun(dlg);
    EXPECT_EQ(
        SetLines(s_sim->Requests(), kCut),
        (std::vector<std::string>{"18.4.0=x:0000000000000000 18.3.0=x:0000000000000000", "18.2.0=i:52",
                                  "18.4.0=x:0000000000010000 18.3.0=x:6000000000000000", "18.1.0=i:1"}));
    WaitReread(dlg, 1);
}

// At the default font and at one and a half times it: every control inside the dialog and at least its
// own minimum size, every port box and number inside the ports group, none overlapping the next.
TEST_F(PortMirroring52, GrowsWithTheFontAndCutsNothing) {
    Configure("1", "52", "6000000000000000", "0000000000000010");
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/layer2";
    QDir().mkpath(dir);
    for (double scale : {1.0, 1.5}) {
        const QFont original = QApplication::font();
        QFont font = original;
        font.setPointSizeF(original.pointSizeF() * scale);
        QApplication::setFont(font);
        {
            CPortMirroringdlg dlg;
            DialogDriver drv(dlg);
            WaitRead(dlg);
            test::PumpEvents();
            const std::string name =
                scale > 1.0 ? "port_mirroring_52-large.png" : "port_mirroring_52-default.png";
            EXPECT_TRUE(test::GrabScreenshot(&dlg, (dir + "/" + QString::fromStdString(name)).toStdString()));
            const QRect inside = dlg.rect();
            for (QWidget* w : dlg.findChildren<QWidget*>()) {
                if (!w->isVisible() || w->isWindow() ||
                    qobject_cast<QAbstractScrollArea*>(w->parentWidget()) ||
                    qobject_cast<QComboBox*>(w->parentWidget())) {
                    continue;  // parts a list or a combo box sizes itself
                }
                const QRect r(w->mapTo(&dlg, QPoint(0, 0)), w->size());
                EXPECT_TRUE(inside.contains(r)) << name << ": " << w->metaObject()->className() << " outside";
                const QSize need = w->minimumSizeHint();
                if (need.isValid()) {
                    EXPECT_GE(w->width(), need.width()) << name << ": " << w->metaObject()->className();
                    EXPECT_GE(w->height(), need.height()) << name << ": " << w->metaObject()->className();
                }
            }
            QWidget* group = dlg.GetDlgItem(IDC_MIR_PORTS_GROUP);
            QWidget* allTx = dlg.GetDlgItem(IDC_MIR_ALL_TX);
            for (int first : {IDC_MIR_PORT_LABEL1, IDC_MIR_TX1, IDC_MIR_RX1, IDC_MIR_BOTH1, IDC_MIR_NONE1}) {
                for (int i = 0; i < 52; ++i) {
                    QWidget* w = dlg.GetDlgItem(first + i);
                    ASSERT_NE(w, nullptr);
                    const QRect r(w->mapTo(group, QPoint(0, 0)), w->size());
                    EXPECT_TRUE(group->rect().contains(r)) << name << " control " << first + i;
                    EXPECT_FALSE(r.intersects(QRect(allTx->mapTo(group, QPoint(0, 0)), allTx->size())))
                        << name << " control " << first + i;
                }
            }
            // Neighbouring rows of boxes never overlap, in either block of the grid.
            for (int pair : {IDC_MIR_RX1, IDC_MIR_BOTH1, IDC_MIR_NONE1}) {
                const int above = pair - (IDC_MIR_RX1 - IDC_MIR_TX1);
                for (int i : {0, 26}) {
                    EXPECT_LT(dlg.GetDlgItem(above + i)->geometry().bottom(),
                              dlg.GetDlgItem(pair + i)->geometry().top())
                        << name;
                }
            }
            // Every row of boxes has its mode's name on its left, level with it.
            for (int mode = 0; mode < 4; ++mode) {
                const int first = (IDC_MIR_RX1 - IDC_MIR_TX1) * mode + IDC_MIR_TX1;
                for (int i : {0, 26}) {
                    QWidget* boxWidget = dlg.GetDlgItem(first + i);
                    const QRect box(boxWidget->mapTo(group, QPoint(0, 0)), boxWidget->size());
                    int named = 0;
                    for (QLabel* label : group->findChildren<QLabel*>()) {
                        const QRect r(label->mapTo(group, QPoint(0, 0)), label->size());
                        named += label->text() == QString(kModeNames[mode]) && r.right() < box.left() &&
                                 std::abs(r.center().y() - box.center().y()) <= box.height() / 2;
                    }
                    EXPECT_EQ(named, 1) << name << " mode " << mode << " port " << i + 1;
                }
            }
        }
        QApplication::setFont(original);
    }
}

}  // namespace
