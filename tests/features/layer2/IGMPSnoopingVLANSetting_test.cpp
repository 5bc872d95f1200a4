// The IGMP per-VLAN settings dialog and the multicast entry table against the simulated switch: the
// list as read, the per-VLAN request sequences, the router-port grid (member ports, trunk check, the
// bitmap lengths of 28 and 52 ports, boxes kept as written and failures reported), and the group list.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <string>
#include <vector>

#include "controls/ListCtrlEx.h"
#include "features/layer2/IGMPMulticastEntryTable.h"
#include "features/layer2/IGMPSnoopingVLANSetting.h"
#include "platform/sys/Globals.h"
#include "res/ids_igmp.h"
#include "tests/features/layer2/Layer2SimTest.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using ksx::test::DialogDriver;
using ksx::test::WaitUntil;
using namespace ksx::test::layer2;

class IGMPVlanSettingTest : public test::layer2::Layer2SimTest {
protected:
    static CListCtrl* List(CIGMPSnoopingVLANSetting& dlg) { return dlg.Item<CListCtrl>(IDC_IGMPV_LIST); }
    // Waits for the walk and the trunk read of the last refresh.
    static void WaitRead(CIGMPSnoopingVLANSetting& dlg) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_IGMPV_REFRESH) && dlg.m_bTrunksRead; }));
    }
    // Clicks the row of the VLAN as a user would.
    static void Pick(DialogDriver& drv, CIGMPSnoopingVLANSetting& dlg, const std::string& vlan) {
        CListCtrl* list = List(dlg);
        for (int row = 0; row < list->GetItemCount(); ++row) {
            if (list->GetItemText(row, 0).toStdString() == vlan) {
                ASSERT_TRUE(drv.ClickRow(IDC_IGMPV_LIST, row));
                return;
            }
        }
        ADD_FAILURE() << "no row of VLAN " << vlan;
    }
    static QCheckBox* Box(DialogDriver& drv, int port) {
        return drv.ItemAs<QCheckBox>(IDC_IGMPV_PORT_CHECK + port);
    }
};

TEST_F(IGMPVlanSettingTest, ListsEveryVlanAndGreysTheAppliesWhenSnoopingIsOff) {
    CIGMPSnoopingVLANSetting dlg("1");
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "The VLAN Settings of IGMP snooping ");
    CListCtrl* list = List(dlg);
    const std::vector<std::pair<std::string, int>> columns = {
        {"VLAN ID", 80},        {"VLAN Name", 80},   {"State ", 80},
        {"Querier State", 120}, {"Fast Leave", 100}, {"Static Router Ports ", 160}};
    ASSERT_EQ(list->GetColumnCount(), 6);
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(list->horizontalHeaderItem(c)->text().toStdString(), columns[c].first);
        EXPECT_EQ(list->GetColumnWidth(c), columns[c].second);
    }
    ASSERT_EQ(list->GetItemCount(), 3);
    EXPECT_EQ(Row(list, 0),
              (std::vector<std::string>{"1", "default", "Enabled", "Disabled", "Disabled", "1,2"}));
    EXPECT_EQ(Row(list, 1), (std::vector<std::string>{"100", "office", "Enabled", "Enabled", "Enabled", ""}));
    EXPECT_EQ(Row(list, 2),
              (std::vector<std::string>{"200", "voice", "Disabled", "Disabled", "Disabled", ""}));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_IGMPV_APPLY));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_IGMPV_ROUTER_APPLY));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IGMPV_STATE), "Enabled");

    // One row of 28 boxes, labelled 1 to 28.
    EXPECT_EQ(Box(drv, 1)->y(), Box(drv, 28)->y());
    EXPECT_LT(Box(drv, 1)->x(), Box(drv, 28)->x());
    EXPECT_EQ(drv.ItemAs<QLabel>(IDC_IGMPV_PORT_LABEL + 28)->text(), "28");

    Pick(drv, dlg, "1");
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/igmp";
    QDir().mkpath(dir);
    test::PumpEvents();
    EXPECT_TRUE(test::GrabScreenshot(&dlg, (dir + "/igmp_vlan_settings.png").toStdString()));

    CIGMPSnoopingVLANSetting off("2");
    DialogDriver offDrv(off);
    WaitRead(off);
    EXPECT_FALSE(off.IsDlgItemEnabled(IDC_IGMPV_APPLY));
    EXPECT_FALSE(off.IsDlgItemEnabled(IDC_IGMPV_ROUTER_APPLY));
    EXPECT_EQ(List(off)->GetItemCount(), 3);
}

TEST_F(IGMPVlanSettingTest, SettingsApplyRequestsAndTheQuestionBeforeDisabling) {
    CIGMPSnoopingVLANSetting dlg("1");
    DialogDriver drv(dlg);
    WaitRead(dlg);

    // A disabled VLAN greys querier and fast leave until State says Enabled.
    Pick(drv, dlg, "200");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IGMPV_VLAN_ID), "200");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IGMPV_VLAN_NAME), "voice");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IGMPV_STATE), "Disabled");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_IGMPV_QUERIER));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_IGMPV_FAST_LEAVE));
    ASSERT_TRUE(drv.Select(IDC_IGMPV_STATE, 0));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_IGMPV_QUERIER));
    ASSERT_TRUE(drv.Select(IDC_IGMPV_FAST_LEAVE, 0));
    s_sim->DelayMs(300);  // the writes are still out: the router ports' Apply waits for them
    ASSERT_TRUE(drv.Click(IDC_IGMPV_APPLY));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_IGMPV_ROUTER_APPLY));
    s_sim->DelayMs(0);
    WaitRead(dlg);  // the writes, then the read that follows them
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_IGMPV_ROUTER_APPLY));
    EXPECT_EQ(SetsSent(),
              (std::vector<std::string>{"10.3.4.1.2.200=i:1",
                                        "10.3.4.1.2.200=i:1 10.3.4.1.4.200=i:2 10.3.4.1.8.200=i:1"}));
    EXPECT_EQ(boxes.Count(), 0u);
    // The form is emptied and the list read again.
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IGMPV_VLAN_ID), "");
    WaitRead(dlg);
    EXPECT_EQ(Row(List(dlg), 2)[2], "Enabled");

    // Disabling asks first; Cancel writes nothing and keeps the form.
    s_sim->ClearLog();
    Pick(drv, dlg, "100");
    ASSERT_TRUE(drv.Select(IDC_IGMPV_STATE, 1));
    boxes.Answer(IDCANCEL);
    ASSERT_TRUE(drv.Click(IDC_IGMPV_APPLY));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"All router ports of this VLAN will be deleted."});
    EXPECT_TRUE(SetsSent().empty());
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IGMPV_VLAN_ID), "100");
    // OK: querier and fast leave (as the greyed combos show them), the state last.
    ASSERT_TRUE(drv.Click(IDC_IGMPV_APPLY));
    WaitRead(dlg);
    EXPECT_EQ(SetsSent(),
              std::vector<std::string>{"10.3.4.1.4.100=i:1 10.3.4.1.8.100=i:1 10.3.4.1.2.100=i:2"});
    WaitRead(dlg);

    // Applying "Disabled" to a disabled VLAN still asks; OK sends nothing.
    s_sim->ClearLog();
    boxes.Clear();
    Pick(drv, dlg, "100");
    ASSERT_TRUE(drv.Click(IDC_IGMPV_APPLY));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"All router ports of this VLAN will be deleted."});
    EXPECT_TRUE(SetsSent().empty());
}

// A VLAN state of another type is no state: its cell stays empty and Apply sends nothing (it would pick
// the enabling or disabling sequence by a guess). A refused state write ends the write and is said.
TEST_F(IGMPVlanSettingTest, AStateNotReadIsNeverWrittenAndARefusedWriteIsSaid) {
    s_sim->Set(kP + ".10.3.4.1.2.200", "s", "zz");
    CIGMPSnoopingVLANSetting dlg("1");
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(Row(List(dlg), 2)[2], "");
    Pick(drv, dlg, "200");
    ASSERT_TRUE(drv.Select(IDC_IGMPV_STATE, 0));
    ASSERT_TRUE(drv.Click(IDC_IGMPV_APPLY));
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{
                  "The IGMP snooping state of this VLAN was not read; press Refresh to read it again."});
    EXPECT_TRUE(SetsSent().empty());

    s_sim->Set(kP + ".10.3.4.1.2.200", "i", "2");
    ASSERT_TRUE(drv.Click(IDC_IGMPV_REFRESH));
    WaitRead(dlg);
    Pick(drv, dlg, "200");
    ASSERT_TRUE(drv.Select(IDC_IGMPV_STATE, 0));
    boxes.Clear();
    s_sim->ClearLog();
    Fail(kP + ".10.3.4.1.2.200", 3);
    ASSERT_TRUE(drv.Click(IDC_IGMPV_APPLY));
    WaitRead(dlg);
    EXPECT_EQ(SetsSent(), std::vector<std::string>{"10.3.4.1.2.200=i:1"});
    ASSERT_GE(boxes.Count(), 1u);
    EXPECT_EQ(
        boxes.Texts()[0],
        "The device did not accept the IGMP snooping settings of VLAN 200. The settings it holds are shown.");
}

TEST_F(IGMPVlanSettingTest, RouterPortBoxesFollowTheVlanAndStayAsWritten) {
    CIGMPSnoopingVLANSetting dlg("1");
    DialogDriver drv(dlg);
    WaitRead(dlg);

    // Without a VLAN: refused.
    ASSERT_TRUE(drv.Click(IDC_IGMPV_ROUTER_APPLY));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Please select Vlan first."});

    // VLAN 1: its router ports checked, every port a member.
    Pick(drv, dlg, "1");
    EXPECT_TRUE(Box(drv, 1)->isChecked());
    EXPECT_TRUE(Box(drv, 2)->isChecked());
    EXPECT_FALSE(Box(drv, 3)->isChecked());
    EXPECT_TRUE(Box(drv, 9)->isEnabled());
    // VLAN 100: no router ports, only its members can be checked.
    Pick(drv, dlg, "100");
    EXPECT_FALSE(Box(drv, 1)->isChecked());
    EXPECT_TRUE(Box(drv, 8)->isEnabled());
    EXPECT_FALSE(Box(drv, 9)->isEnabled());
    EXPECT_EQ(dlg.m_portValue, std::vector<int>(28, 0));

    ASSERT_TRUE(drv.Check(IDC_IGMPV_PORT_CHECK + 3, true));
    ASSERT_TRUE(drv.Check(IDC_IGMPV_PORT_CHECK + 8, true));
    boxes.Clear();
    ASSERT_TRUE(drv.Click(IDC_IGMPV_ROUTER_APPLY));
    // Eight octets on a 28-port switch.
    EXPECT_EQ(SetsSent(), std::vector<std::string>{"10.3.4.1.6.100=x:2100000000000000"});
    EXPECT_EQ(boxes.Count(), 0u);
    WaitRead(dlg);
    EXPECT_EQ(Row(List(dlg), 1)[5], "3,8");
    // The boxes show what was written: a second Apply writes the same ports, not an empty set.
    EXPECT_TRUE(Box(drv, 3)->isChecked());
    EXPECT_TRUE(Box(drv, 8)->isChecked());
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_IGMPV_ROUTER_APPLY));
    EXPECT_EQ(SetsSent(), std::vector<std::string>{"10.3.4.1.6.100=x:2100000000000000"});
    WaitRead(dlg);

    // A refused write says so and keeps the boxes.
    Fail(kP + ".10.3.4.1.6.100", 5);
    ASSERT_TRUE(drv.Check(IDC_IGMPV_PORT_CHECK + 7, true));
    ASSERT_TRUE(drv.Click(IDC_IGMPV_ROUTER_APPLY));
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"The device did not accept the static router ports of this VLAN."});
    EXPECT_TRUE(Box(drv, 7)->isChecked());
    EXPECT_EQ(dlg.m_portValue[6], 1);
}

TEST_F(IGMPVlanSettingTest, TrunkMembersMustShareTheirRouterPortState) {
    s_sim->DelayMs(
        300);  // the reads are still out when the dialog is first looked at, however fast the machine
    CIGMPSnoopingVLANSetting dlg("1");
    DialogDriver drv(dlg);
    // Until the trunk membership is in, the check could not refuse anything: no Apply yet.
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_IGMPV_ROUTER_APPLY));
    WaitRead(dlg);
    s_sim->DelayMs(0);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_IGMPV_ROUTER_APPLY));
    Pick(drv, dlg, "1");
    ASSERT_TRUE(drv.Check(IDC_IGMPV_PORT_CHECK + 25, true));  // trunk 1 is ports 25 and 26
    ASSERT_TRUE(drv.Click(IDC_IGMPV_ROUTER_APPLY));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Members of port channel must have the same status."});
    EXPECT_TRUE(SetsSent().empty());
    ASSERT_TRUE(drv.Check(IDC_IGMPV_PORT_CHECK + 26, true));
    ASSERT_TRUE(drv.Click(IDC_IGMPV_ROUTER_APPLY));
    EXPECT_EQ(SetsSent(), std::vector<std::string>{"10.3.4.1.6.1=x:c00000c000000000"});
}

TEST_F(IGMPVlanSettingTest, MulticastEntriesNumberedFromOneOnEveryRefresh) {
    CIGMPMulticastEntryTable dlg;
    DialogDriver drv(dlg);
    auto* list = dlg.Item<CListCtrl>(IDC_IGMPM_LIST);
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_IGMPM_REFRESH); }));
    EXPECT_EQ(dlg.GetWindowText(), "Multicast Entry Table");
    const std::vector<std::pair<std::string, int>> columns = {{"Group ID", 80},
                                                              {"VLAN ID", 80},
                                                              {"Multicast  Group", 150},
                                                              {"Multicast MAC address", 180},
                                                              {"Port Members", 140}};
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(list->horizontalHeaderItem(c)->text().toStdString(), columns[c].first);
        EXPECT_EQ(list->GetColumnWidth(c), columns[c].second);
    }
    ASSERT_EQ(list->GetItemCount(), 3);
    EXPECT_EQ(Row(list, 0), (std::vector<std::string>{"1", "1", "239.1.1.1", "01-00-5E-01-01-01", "3,5"}));
    EXPECT_EQ(Row(list, 2), (std::vector<std::string>{"3", "100", "224.1.2.3", "01-00-5E-01-02-03", "9"}));

    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/igmp";
    QDir().mkpath(dir);
    test::PumpEvents();
    EXPECT_TRUE(test::GrabScreenshot(&dlg, (dir + "/igmp_multicast_entries.png").toStdString()));

    for (int c = 1; c <= 4; ++c) {
        s_sim->Command("unset " + kP + ".10.3.5.1." + std::to_string(c) + ".1.239.1.1.1");
    }
    ASSERT_TRUE(drv.Click(IDC_IGMPM_REFRESH));
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_IGMPM_REFRESH); }));
    ASSERT_EQ(list->GetItemCount(), 2);
    EXPECT_EQ(Row(list, 0)[0], "1");
    EXPECT_EQ(Row(list, 0)[2], "239.255.255.250");
    EXPECT_EQ(Row(list, 1)[0], "2");
}

// The 52-port switch: two rows of 26 boxes and a 12-octet router-port bitmap.
class IGMPVlanSetting52Test : public IGMPVlanSettingTest {
public:
    static void SetUpTestSuite() {
        test::SimSwitch::Options options;
        options.profile = "ksx-4200-52";
        StartSim(options);
    }

protected:
    void SetUp() override {
        IGMPVlanSettingTest::SetUp();
        g_nPortNum = 52;
    }
    void TearDown() override {
        IGMPVlanSettingTest::TearDown();
        g_nPortNum = 28;
    }
};

TEST_F(IGMPVlanSetting52Test, TwoRowsOfBoxesAndTwelveOctets) {
    CIGMPSnoopingVLANSetting dlg("1");
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(Box(drv, 1)->y(), Box(drv, 26)->y());
    EXPECT_LT(Box(drv, 26)->y(), Box(drv, 27)->y());
    EXPECT_EQ(Box(drv, 1)->x(), Box(drv, 27)->x());
    Pick(drv, dlg, "1");
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/igmp";
    QDir().mkpath(dir);
    test::PumpEvents();
    EXPECT_TRUE(test::GrabScreenshot(&dlg, (dir + "/igmp_vlan_settings_52.png").toStdString()));
    ASSERT_TRUE(drv.Check(IDC_IGMPV_PORT_CHECK + 52, true));
    ASSERT_TRUE(drv.Click(IDC_IGMPV_ROUTER_APPLY));
    EXPECT_EQ(SetsSent(), std::vector<std::string>{"10.3.4.1.6.1=x:c00000000000100000000000"});
}

}  // namespace
