// DHCP local relay settings against the simulated switch: the global state and the VLAN rows, each
// relay entry paired with the VLAN table entry of its own VLAN id (also when the two tables differ),
// the two writes, failed reads and refused writes; pictures at two font sizes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <algorithm>
#include <string>
#include <vector>

#include "features/security/DHCPLocalRelayDlg.h"
#include "platform/snmplib/Snmp.h"
#include "res/ids_legacy.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/LookCheck.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::DialogDriver;
using test::WaitUntil;

const std::string P = "1.3.6.1.4.1.7393.10.76.20.1";
const std::string kState = P + ".29.1.0";
const std::string kRelay = P + ".29.2.1";
const std::string kVlan = P + ".7.6.1";

class LocalRelay : public test::SharedSimTest {
public:
    static void SetUpTestSuite() {
        SnmpInit();
        SharedSimTest::SetUpTestSuite();
    }

protected:
    void TearDown() override {
        s_sim->ErrorStatus(kState, 0);
        s_sim->ErrorStatus(kRelay + ".2.100", 0);
        SharedSimTest::TearDown();
    }
    void Ready(CDHCPLocalRelayDlg& dlg, int walks = 1) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.WalksEnded() >= walks; }));
        test::PumpEvents();
    }
    std::vector<std::string> Rows(DialogDriver& drv) {
        std::vector<std::string> out;
        for (int r = 0; r < drv.Rows(IDC_RLL_LIST); ++r) {
            const std::vector<std::string> row = drv.Row(IDC_RLL_LIST, r);
            out.push_back(row[0] + " " + row[1] + " " + row[2]);
        }
        return out;
    }
    // Clicks an Apply and returns the writes (each request once: on a busy machine an attempt may be
    // resent); waits for the read after them.
    std::vector<std::string> Apply(CDHCPLocalRelayDlg& dlg, DialogDriver& drv, int id) {
        s_sim->ClearLog();
        const int walks = dlg.WalksEnded();
        EXPECT_TRUE(drv.Click(id));
        EXPECT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }));  // the write and the state's read
        const std::vector<std::string> sets = test::SetLines(s_sim->DistinctRequests(), P.size() + 1);
        if (!sets.empty()) {
            Ready(dlg, walks + 1);
        }
        return sets;
    }
    void AddVlan(int vid, const std::string& name) {
        s_sim->Set(kVlan + ".1." + std::to_string(vid), "s", name);
        s_sim->Set(kVlan + ".5." + std::to_string(vid), "i", "1");
    }
    void AddRelay(int vid, int state) {
        s_sim->Set(kRelay + ".1." + std::to_string(vid), "i", std::to_string(vid));
        s_sim->Set(kRelay + ".2." + std::to_string(vid), "i", std::to_string(state));
    }

    test::ScriptedMessageBox boxes;
};

TEST_F(LocalRelay, ShowsTheVlansAndWritesTheStates) {
    CDHCPLocalRelayDlg dlg;
    DialogDriver drv(dlg);
    Ready(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "DHCP Local Relay Settings");
    const std::vector<std::string> log = test::RequestLines(s_sim->DistinctRequests());
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0], "get " + kState + "=n:");
    EXPECT_EQ(log[1],
              "getnext " + kRelay + ".1=n: " + kVlan + ".1=n: " + kRelay + ".2=n: " + kVlan + ".5=n:");
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_RLL_ENABLE), 0);
    EXPECT_EQ(Rows(drv),
              (std::vector<std::string>{"1 default Disabled", "100 office Enabled", "200 voice Disabled"}));
    // The lists describe the first VLAN.
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RLL_VID), "1");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RLL_NAME), "default");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RLL_STATUS), "Disabled");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_RLL_NAME));
    ASSERT_TRUE(drv.Select(IDC_RLL_VID, 1));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RLL_NAME), "office");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RLL_STATUS), "Enabled");

    ASSERT_TRUE(drv.Select(IDC_RLL_STATUS, 1));
    EXPECT_EQ(Apply(dlg, drv, IDC_RLL_APPLY_VLAN), std::vector<std::string>{"29.2.1.2.100=i:2"});
    EXPECT_EQ(test::Sets(s_sim->Requests())[0].principal, "harbour");
    EXPECT_EQ(Rows(drv)[1], "100 office Disabled");
    ASSERT_TRUE(drv.Check(IDC_RLL_ENABLE, true));
    EXPECT_EQ(Apply(dlg, drv, IDC_RLL_APPLY_STATE), std::vector<std::string>{"29.1.0=i:1"});
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_RLL_ENABLE), 1);
    EXPECT_TRUE(dlg.isEnabled());
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(LocalRelay, StatesThatDidNotReadAreNeitherEnabledNorDisabled) {
    s_sim->Set(kState, "s", "1");           // the global state as text
    s_sim->Set(kRelay + ".2.1", "s", "1");  // VLAN 1's state as text
    CDHCPLocalRelayDlg dlg;
    DialogDriver drv(dlg);
    Ready(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the DHCP local relay settings."});
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_RLL_ENABLE), 2);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_RLL_ENABLE));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_RLL_APPLY_STATE));
    EXPECT_EQ(Rows(drv),
              (std::vector<std::string>{"1 default ", "100 office Enabled", "200 voice Disabled"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RLL_STATUS), "");
    // Apply on VLAN 1 without a state chosen writes nothing.
    EXPECT_EQ(Apply(dlg, drv, IDC_RLL_APPLY_VLAN), std::vector<std::string>{});
    ASSERT_TRUE(drv.Select(IDC_RLL_VID, 1));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RLL_STATUS), "Enabled");
    ASSERT_TRUE(drv.Select(IDC_RLL_VID, 0));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RLL_STATUS), "");
}

TEST_F(LocalRelay, RelayEntriesGoWithTheirOwnVlan) {
    // The relay table has VLAN 50, which the VLAN table lacks; the VLAN table has 30, which the relay
    // table lacks: side by side, the entries of the same position belong to different VLANs.
    AddRelay(50, 1);
    AddVlan(30, "cameras");
    CDHCPLocalRelayDlg dlg;
    DialogDriver drv(dlg);
    Ready(dlg);
    EXPECT_EQ(Rows(drv),
              (std::vector<std::string>{"1 default Disabled", "100 office Enabled", "200 voice Disabled"}));
    EXPECT_EQ(drv.ItemAs<QComboBox>(IDC_RLL_VID)->count(), 3);
}

TEST_F(LocalRelay, VlansBeyondTheWalkAreReadByThemselves) {
    // More VLANs than relay entries before VLAN 100: the walk beside the relay table does not reach it.
    AddVlan(30, "cameras");
    AddVlan(40, "printers");
    AddVlan(60, "guests");
    CDHCPLocalRelayDlg dlg;
    DialogDriver drv(dlg);
    Ready(dlg);
    EXPECT_EQ(Rows(drv),
              (std::vector<std::string>{"1 default Disabled", "100 office Enabled", "200 voice Disabled"}));
    const std::vector<std::string> log = test::RequestLines(s_sim->Requests());
    EXPECT_NE(std::find(log.begin(), log.end(), "get " + kVlan + ".1.100=n: " + kVlan + ".5.100=n:"),
              log.end());
    // A VLAN that is not active is not listed.
    s_sim->Set(kVlan + ".5.200", "i", "2");
    ASSERT_TRUE(drv.Click(IDC_RLL_REFRESH));
    Ready(dlg, 2);
    EXPECT_EQ(Rows(drv), (std::vector<std::string>{"1 default Disabled", "100 office Enabled"}));
}

TEST_F(LocalRelay, FailedReadsAndRefusedWritesAreReported) {
    s_sim->Set(kState, "s", "1");  // wrong type: not read
    CDHCPLocalRelayDlg dlg;
    DialogDriver drv(dlg);
    Ready(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the DHCP local relay settings."});
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_RLL_APPLY_STATE));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_RLL_APPLY_VLAN));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_RLL_REFRESH));
    EXPECT_EQ(Apply(dlg, drv, IDC_RLL_APPLY_STATE), std::vector<std::string>{});
    s_sim->Set(kState, "i", "2");
    boxes.Clear();
    ASSERT_TRUE(drv.Click(IDC_RLL_REFRESH));
    Ready(dlg, 2);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_RLL_APPLY_STATE));

    s_sim->ErrorStatus(kRelay + ".2.100", 5);
    ASSERT_TRUE(drv.Select(IDC_RLL_VID, 1));
    EXPECT_EQ(Apply(dlg, drv, IDC_RLL_APPLY_VLAN), std::vector<std::string>{"29.2.1.2.100=i:1"});
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(boxes.Texts()[0], "The device did not accept the DHCP local relay state of VLAN 100.");
}

TEST_F(LocalRelay, Pictures) {
    const QFont normal = QApplication::font();
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/security";
    QDir().mkpath(dir);
    for (double scale : {1.0, 1.5}) {
        QFont font = normal;
        font.setPointSizeF(normal.pointSizeF() * scale);
        QApplication::setFont(font);
        CDHCPLocalRelayDlg dlg;
        DialogDriver drv(dlg);
        Ready(dlg);
        EXPECT_EQ(test::SettledLookProblems(&dlg), std::vector<std::string>{});
        const QString file = QString("%1/dhcp_local_relay_%2.png").arg(dir, scale == 1.0 ? "1x" : "1.5x");
        EXPECT_TRUE(test::GrabScreenshot(&dlg, file.toStdString()));
    }
    QApplication::setFont(normal);
}

}  // namespace
