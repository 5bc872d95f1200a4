// DHCP server screening port settings against the simulated switch: the bitmap shown per port, range
// writes as 4 or 8 octets, the trunk rule, states kept only once the device took them, short and
// failed reads, Apply off the window's thread and a Close during it; pictures on 28 and 52 ports at two
// font sizes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <algorithm>
#include <string>
#include <vector>

#include "features/security/DHCPServerConfig.h"
#include "platform/snmplib/Snmp.h"
#include "platform/sys/Globals.h"
#include "res/ids_legacy.h"
#include "tests/features/StepRunTest.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/LookCheck.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::DialogDriver;
using test::WaitUntil;

const std::string kBitmap = "1.3.6.1.4.1.7393.10.76.20.1.14.7.1.0";
const std::string kTrunk = "1.3.6.1.4.1.7393.10.76.20.1.8.1.3.1.2.";

class ScreeningPorts : public test::SharedSimTest {
public:
    static void SetUpTestSuite() {
        SnmpInit();
        SharedSimTest::SetUpTestSuite();
    }

protected:
    void TearDown() override {
        s_sim->ErrorStatus(kBitmap, 0);
        SharedSimTest::TearDown();
    }
    void Ready(CDHCPServerConfig& dlg, int refreshes = 1) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.RefreshesEnded() >= refreshes; }));
        test::PumpEvents();
    }
    // Picks the range and the state and applies; the writes as "x:<hex>".
    std::vector<std::string> Apply(CDHCPServerConfig& dlg, DialogDriver& drv, int from, int to, bool enable) {
        s_sim->ClearLog();
        const int refreshes = dlg.RefreshesEnded();
        EXPECT_TRUE(drv.Select(IDC_LDS_FROM, from - 1));
        EXPECT_TRUE(drv.Select(IDC_LDS_TO, to - 1));
        EXPECT_TRUE(drv.Select(IDC_LDS_STATE, enable ? 1 : 0));
        EXPECT_TRUE(drv.Click(IDC_LDS_APPLY));
        EXPECT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }));  // the write and its read-back
        std::vector<std::string> out;
        for (const test::SimRequest& r : test::Sets(s_sim->Requests())) {
            for (const test::SimVarBind& vb : r.varbinds) {
                out.push_back(vb.oid == kBitmap ? vb.type + ":" + vb.value : vb.oid);
            }
        }
        if (!out.empty()) {
            Ready(dlg, refreshes + 1);
        }
        return out;
    }
    std::vector<std::string> States(DialogDriver& drv) {
        std::vector<std::string> out;
        for (int r = 0; r < drv.Rows(IDC_LDS_LIST); ++r) {
            out.push_back(drv.Cell(IDC_LDS_LIST, r, 1));
        }
        return out;
    }

    test::ScriptedMessageBox boxes;
};

std::vector<std::string> Expect(int ports, std::initializer_list<int> enabled,
                                const char* other = "Disabled") {
    std::vector<std::string> out(static_cast<size_t>(ports), other);
    for (int p : enabled) {
        out[static_cast<size_t>(p - 1)] = "Enabled";
    }
    return out;
}

TEST_F(ScreeningPorts, ShowsTheBitmapAndWritesRanges) {
    s_sim->Set(kBitmap, "x", "80000000");
    CDHCPServerConfig dlg;
    DialogDriver drv(dlg);
    Ready(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "DHCP Server Screening Port Settings");
    const std::vector<std::string> log = test::RequestLines(s_sim->Requests());
    ASSERT_FALSE(log.empty());
    EXPECT_NE(std::find(log.begin(), log.end(), "getnext " + kTrunk.substr(0, kTrunk.size() - 1) + "=n:"),
              log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "get " + kBitmap + "=n:"), log.end());
    EXPECT_EQ(drv.Row(IDC_LDS_LIST, 0), (std::vector<std::string>{"1", "Enabled"}));
    EXPECT_EQ(drv.Row(IDC_LDS_LIST, 27), (std::vector<std::string>{"28", "Disabled"}));
    EXPECT_EQ(States(drv), Expect(28, {1}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_LDS_TO), "28");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_LDS_STATE), "Disabled");

    s_sim->Set(kBitmap, "x", "00000000");
    ASSERT_TRUE(drv.Click(IDC_LDS_REFRESH));
    Ready(dlg, 2);
    EXPECT_EQ(Apply(dlg, drv, 1, 4, true), std::vector<std::string>{"x:f0000000"});
    EXPECT_EQ(test::Sets(s_sim->Requests())[0].principal, "harbour");
    EXPECT_EQ(States(drv), Expect(28, {1, 2, 3, 4}));
    EXPECT_EQ(Apply(dlg, drv, 2, 3, false), std::vector<std::string>{"x:90000000"});
    EXPECT_EQ(Apply(dlg, drv, 28, 28, true), std::vector<std::string>{"x:90000010"});
    EXPECT_EQ(States(drv), Expect(28, {1, 4, 28}));
    EXPECT_EQ(boxes.Count(), 0u);
    // The range pair: To follows From; a To below From is put back after the message.
    ASSERT_TRUE(drv.Select(IDC_LDS_FROM, 5));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_LDS_TO), "6");
    ASSERT_TRUE(drv.Select(IDC_LDS_TO, 1));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"'To Port' can not be smaller than 'From Port'"});
    EXPECT_EQ(dlg.GetDlgItemText(IDC_LDS_TO), "6");
}

TEST_F(ScreeningPorts, TrunkMembersKeepOneStateAndRefusedStatesAreNotKept) {
    s_sim->Set(kTrunk + "1", "x", "00000000");
    s_sim->Set(kTrunk + "2", "x", "30000000");  // ports 3 and 4
    CDHCPServerConfig dlg;
    DialogDriver drv(dlg);
    Ready(dlg);
    EXPECT_EQ(Apply(dlg, drv, 3, 3, true), std::vector<std::string>{});
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Cannot add ports with different DHCP Server Screening Port "
                                       "Settings to an aggregated link."});
    // The refused port 3 is not carried into the next write.
    EXPECT_EQ(Apply(dlg, drv, 10, 10, true), std::vector<std::string>{"x:00400000"});
    EXPECT_EQ(Apply(dlg, drv, 3, 4, true), std::vector<std::string>{"x:30400000"});
    EXPECT_EQ(States(drv), Expect(28, {3, 4, 10}));

    // A write the device refuses: the user is told, and the device's states are shown again.
    boxes.Clear();
    s_sim->ErrorStatus(kBitmap, 5);
    EXPECT_EQ(Apply(dlg, drv, 20, 20, true), std::vector<std::string>{"x:30401000"});
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(boxes.Texts()[0],
              "Failed to write the DHCP server screening ports: the device did not accept them.");
    s_sim->ErrorStatus(kBitmap, 0);
    boxes.Clear();
    const int refreshes = dlg.RefreshesEnded();
    ASSERT_TRUE(drv.Click(IDC_LDS_REFRESH));
    Ready(dlg, refreshes + 1);
    EXPECT_EQ(States(drv), Expect(28, {3, 4, 10}));
    EXPECT_EQ(Apply(dlg, drv, 11, 11, true), std::vector<std::string>{"x:30600000"});
}

TEST_F(ScreeningPorts, PortsNotSentShowNoStateAndBlockApply) {
    s_sim->Set(kBitmap, "x", "ff");  // one octet: ports 1 to 8 only
    CDHCPServerConfig dlg;
    DialogDriver drv(dlg);
    Ready(dlg);
    EXPECT_EQ(States(drv), Expect(28, {1, 2, 3, 4, 5, 6, 7, 8}, ""));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{
                                 "The device did not send the DHCP server screening state of every port."});
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_LDS_APPLY));
    EXPECT_EQ(dlg.PortStates()[8], 0);

    // A value of the wrong type is no bitmap at all.
    s_sim->Set(kBitmap, "i", "1");
    boxes.Clear();
    ASSERT_TRUE(drv.Click(IDC_LDS_REFRESH));
    Ready(dlg, 2);
    EXPECT_EQ(States(drv), Expect(28, {}, ""));
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Failed to read the DHCP server screening state of the ports."});
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_LDS_APPLY));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_LDS_REFRESH));
    s_sim->Set(kBitmap, "x", "00000000");
    ASSERT_TRUE(drv.Click(IDC_LDS_REFRESH));
    Ready(dlg, 3);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_LDS_APPLY));
}

void Pictures(const char* ports) {
    const QFont normal = QApplication::font();
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/security";
    QDir().mkpath(dir);
    for (double scale : {1.0, 1.5}) {
        QFont font = normal;
        font.setPointSizeF(normal.pointSizeF() * scale);
        QApplication::setFont(font);
        CDHCPServerConfig dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(WaitUntil([&] { return dlg.RefreshesEnded() >= 1; }));
        test::PumpEvents();
        EXPECT_EQ(test::SettledLookProblems(&dlg), std::vector<std::string>{});
        const QString file =
            QString("%1/dhcp_screening_ports_%2_%3.png").arg(dir, ports, scale == 1.0 ? "1x" : "1.5x");
        EXPECT_TRUE(test::GrabScreenshot(&dlg, file.toStdString()));
    }
    QApplication::setFont(normal);
}

// Against a device answering 700 ms late the write and its read-back go while the window takes events.
// Closed with the write on its way, the Apply is stopped: the write is unconfirmed, nothing follows it.
TEST_F(ScreeningPorts, ApplyRunsOffTheWindowsThreadAndACloseIsAStop) {
    CDHCPServerConfig dlg;
    DialogDriver drv(dlg);
    Ready(dlg);
    ASSERT_TRUE(drv.Select(IDC_LDS_STATE, 1));
    test::SlowRun slow(*s_sim, 700);
    ASSERT_NO_FATAL_FAILURE(slow.Click(dlg, drv, IDC_LDS_APPLY, {IDC_LDS_APPLY, IDC_LDS_REFRESH}, 2));
    ASSERT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }));
    EXPECT_LT(slow.MaxGapMs(), 250);
    const std::vector<test::SimRequest> sent = s_sim->DistinctRequests();
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(sent[0].pdu, "set");
    EXPECT_EQ(test::RequestLines({sent[1]}), std::vector<std::string>{"get " + kBitmap + "=n:"});
    Ready(dlg, 2);
    EXPECT_EQ(States(drv), Expect(28, {}, "Enabled"));

    s_sim->DelayMs(0);
    s_sim->LoseAnswer(kBitmap);
    test::SlowRun stopped(*s_sim, 0);
    ASSERT_NO_FATAL_FAILURE(stopped.Click(dlg, drv, IDC_LDS_APPLY, {IDC_LDS_REFRESH}, 1));
    ASSERT_NO_FATAL_FAILURE(stopped.Close(
        drv, boxes,
        {"Stopped: the device did not confirm whether the DHCP server screening ports were written."}));
}

TEST_F(ScreeningPorts, Pictures) {
    s_sim->Set(kBitmap, "x", "c0000000");
    Pictures("28");
}

class ScreeningPorts52 : public ScreeningPorts {
public:
    static void SetUpTestSuite() {
        SnmpInit();
        StartSim({"ksx-4200-52", {}});
    }

protected:
    void SetUp() override {
        ScreeningPorts::SetUp();
        g_nPortNum = 52;
    }
};

TEST_F(ScreeningPorts52, EightOctetBitmaps) {
    CDHCPServerConfig dlg;
    DialogDriver drv(dlg);
    Ready(dlg);
    EXPECT_EQ(drv.Rows(IDC_LDS_LIST), 52);
    EXPECT_EQ(Apply(dlg, drv, 49, 52, true), std::vector<std::string>{"x:000000000000f000"});
    EXPECT_EQ(States(drv), Expect(52, {49, 50, 51, 52}));
    Pictures("52");
}

}  // namespace
