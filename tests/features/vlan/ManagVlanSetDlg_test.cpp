// Management VLAN dialog against the simulated switch: the VLAN walk and the settings read at its end,
// only active VLANs offered, the member check, the one SET of state and id, and Enable refused without
// a VLAN while Disable writes the state alone; against a slow device the window stays live through
// Apply's requests and Close stops them.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <string>
#include <vector>

#include "features/vlan/ManagVlanSetDlg.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_surveillance.h"
#include "res/resource.h"
#include "tests/features/StepRunTest.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::DialogDriver;
using test::WaitUntil;

const std::string kP = "1.3.6.1.4.1.7393.10.76.20.1";
const std::string kState = kP + ".7.2.0";
const std::string kId = kP + ".7.3.0";
const std::string kVlan = kP + ".7.6.1";

const std::string kWalk = "getnext " + kVlan + ".1=n: " + kVlan + ".5=n:";
const std::string kReadSettings = "get " + kState + "=n: " + kId + "=n:";

class ManagVlan : public test::SharedSimTest {
protected:
    void SetUp() override {
        SharedSimTest::SetUp();
        AddVlan(10, "cameras", "f0000000", 1);
        AddVlan(20, "parked", "0f000000", 2);  // not active
        AddVlan(30, "empty", "00000000", 1);
        s_sim->ClearLog();
    }
    static void AddVlan(int id, const std::string& name, const std::string& members, int status) {
        const std::string i = "." + std::to_string(id);
        s_sim->Set(kVlan + ".1" + i, "s", name);
        s_sim->Set(kVlan + ".2" + i, "x", members);
        s_sim->Set(kVlan + ".3" + i, "x", "00000000");
        s_sim->Set(kVlan + ".4" + i, "x", members);
        s_sim->Set(kVlan + ".5" + i, "i", std::to_string(status));
    }
    static std::vector<std::string> Offered(CManagVlanSetDlg& dlg) {
        std::vector<std::string> out;
        auto* box = dlg.Item<QComboBox>(IDC_MGMT_VLAN_ID);
        for (int i = 0; i < box->count(); ++i) {
            out.push_back(box->itemText(i).toStdString());
        }
        return out;
    }
    // The walk and the settings read after it.
    static void WaitWalk(CManagVlanSetDlg& dlg, int walks) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.WalksEnded() >= walks && !dlg.Run().Running(); }));
    }
    static void WaitRun(CManagVlanSetDlg& dlg) {
        ASSERT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }));
    }
    static std::vector<std::string> Lines() { return test::RequestLines(s_sim->Requests()); }
    static std::vector<std::string> Sets() { return test::SetLines(s_sim->Requests(), 0); }

    test::ScriptedMessageBox boxes;
};

TEST_F(ManagVlan, OpensWithActiveVlansAndTheDeviceSettings) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_MANAGEMENT_VLAN));
    s_sim->Set(kState, "i", "1");
    s_sim->Set(kId, "i", "10");
    CManagVlanSetDlg dlg;
    DialogDriver drv(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "IEEE 802.1Q Management VLAN Configuration");
    WaitWalk(dlg, 1);
    EXPECT_EQ(Offered(dlg), (std::vector<std::string>{"1", "10", "30", "100", "200"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_MGMT_VLAN_ID), "10");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_MGMT_VLAN_NAME), "cameras");
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_MGMT_ENABLE), 1);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_MGMT_VLAN_ID));
    const auto lines = Lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], kWalk);
    EXPECT_EQ(lines[lines.size() - 2], kReadSettings);
    EXPECT_EQ(lines.back(), "get " + kVlan + ".1.10=n:");  // the name of the current VLAN

    // Refreshing again offers each active VLAN once; Disable greys the list, Enable frees it.
    ASSERT_TRUE(drv.Click(IDC_MGMT_REFRESH));
    WaitWalk(dlg, 2);
    EXPECT_EQ(Offered(dlg), (std::vector<std::string>{"1", "10", "30", "100", "200"}));
    ASSERT_TRUE(drv.Click(IDC_MGMT_DISABLE));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_MGMT_VLAN_ID));
    ASSERT_TRUE(drv.Click(IDC_MGMT_ENABLE));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_MGMT_VLAN_ID));
    EXPECT_TRUE(Sets().empty());
}

TEST_F(ManagVlan, ApplyChecksMembersThenWritesStateAndIdInOneSet) {
    CManagVlanSetDlg dlg;
    DialogDriver drv(dlg);
    WaitWalk(dlg, 1);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_MGMT_VLAN_NAME), "default");
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_MGMT_DISABLE), 1);
    ASSERT_TRUE(drv.Click(IDC_MGMT_ENABLE));
    s_sim->ClearLog();
    ASSERT_TRUE(drv.SelectText(IDC_MGMT_VLAN_ID, "10"));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_MGMT_VLAN_NAME), "cameras");
    ASSERT_TRUE(drv.Click(IDC_MGMT_APPLY));
    WaitRun(dlg);
    EXPECT_EQ(Lines(), (std::vector<std::string>{
                           "get " + kVlan + ".1.10=n:",  // the selection's name
                           "get " + kVlan + ".2.10=n:",  // the member check
                           "set " + kState + "=i:1 " + kId + "=i:10",
                           kReadSettings,
                           "get " + kVlan + ".1.10=n:",
                       }));
    EXPECT_EQ(s_sim->Get(kState), "1");
    EXPECT_TRUE(boxes.Texts().empty());

    // VLAN 1 is never checked for members.
    s_sim->ClearLog();
    ASSERT_TRUE(drv.SelectText(IDC_MGMT_VLAN_ID, "1"));
    ASSERT_TRUE(drv.Click(IDC_MGMT_APPLY));
    WaitRun(dlg);
    EXPECT_EQ(Sets(), (std::vector<std::string>{kState + "=i:1 " + kId + "=i:1"}));
    for (const std::string& line : Lines()) {
        EXPECT_EQ(line.find(kVlan + ".2."), std::string::npos) << line;
    }
}

TEST_F(ManagVlan, VlanWithoutMembersIsRefusedAndTheListReadAgain) {
    CManagVlanSetDlg dlg;
    DialogDriver drv(dlg);
    WaitWalk(dlg, 1);
    ASSERT_TRUE(drv.Click(IDC_MGMT_ENABLE));
    ASSERT_TRUE(drv.SelectText(IDC_MGMT_VLAN_ID, "30"));
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_MGMT_APPLY));
    WaitRun(dlg);
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"Management VLAN could not be empty."}));
    WaitWalk(dlg, 2);
    const auto lines = Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "get " + kVlan + ".2.30=n:");
    EXPECT_EQ(lines[1], kWalk);
    EXPECT_TRUE(Sets().empty());
}

// The current VLAN is not active, so none is selected: Enable has no VLAN to write and is refused,
// Disable writes the state alone.
TEST_F(ManagVlan, EnableWithoutVlanRefusedDisableWritesStateAlone) {
    s_sim->Set(kState, "i", "1");
    s_sim->Set(kId, "i", "20");
    CManagVlanSetDlg dlg;
    DialogDriver drv(dlg);
    WaitWalk(dlg, 1);
    EXPECT_EQ(dlg.Item<QComboBox>(IDC_MGMT_VLAN_ID)->currentIndex(), -1);
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_MGMT_APPLY));
    WaitRun(dlg);
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{CManagVlanSetDlg::kTextSelectVlan}));
    EXPECT_TRUE(Lines().empty());

    ASSERT_TRUE(drv.Click(IDC_MGMT_DISABLE));
    ASSERT_TRUE(drv.Click(IDC_MGMT_APPLY));
    WaitRun(dlg);
    EXPECT_EQ(Sets(), (std::vector<std::string>{kState + "=i:2"}));
    EXPECT_EQ(s_sim->Get(kId), "20");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_MGMT_VLAN_ID));  // follows the device's state
}

// A walk that times out leaves Apply unavailable (the state and id were never read) and says so;
// Refresh stays usable and a good read frees Apply.
TEST_F(ManagVlan, ApplyWaitsForAGoodRead) {
    g_strSnmpTimeout = "300";
    s_sim->Silence(true);
    CManagVlanSetDlg dlg;
    DialogDriver drv(dlg);
    WaitWalk(dlg, 1);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_MGMT_APPLY));
    EXPECT_FALSE(dlg.GetDlgItemText(IDC_MGMT_READ_STATUS).empty());
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_MGMT_REFRESH));
    s_sim->Silence(false);
    ASSERT_TRUE(drv.Click(IDC_MGMT_REFRESH));
    WaitWalk(dlg, 2);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_MGMT_APPLY));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_MGMT_READ_STATUS), "");
}

// A state or VLAN id of another type, or left out of the reply, is no setting: Apply stays unavailable
// and the dialog says it could not read. A refused write is said and the device's settings shown again.
TEST_F(ManagVlan, SettingsNotReadAreNeverWrittenBackAndARefusedWriteIsSaid) {
    for (const std::string fault : {"omit", "type"}) {
        SCOPED_TRACE(fault);
        s_sim->Set(kState, "i", "1");
        if (fault == "omit") {
            s_sim->Omit(kState);
        } else {
            s_sim->Set(kState, "s", "zz");
        }
        CManagVlanSetDlg dlg;
        DialogDriver drv(dlg);
        WaitWalk(dlg, 1);
        EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_MGMT_APPLY));
        EXPECT_EQ(dlg.GetDlgItemText(IDC_MGMT_READ_STATUS),
                  "Reading the device failed. Press Refresh to try again.");
        s_sim->OmitNone();
    }
    s_sim->Set(kState, "i", "1");
    s_sim->Set(kId, "i", "10");
    CManagVlanSetDlg dlg;
    DialogDriver drv(dlg);
    WaitWalk(dlg, 1);
    ASSERT_TRUE(dlg.IsDlgItemEnabled(IDC_MGMT_APPLY));
    ASSERT_TRUE(drv.Check(IDC_MGMT_DISABLE, true));
    s_sim->RefuseWrites(kState, 3);
    ASSERT_TRUE(drv.Click(IDOK));
    WaitRun(dlg);
    s_sim->RefuseWrites(kState, 0);
    EXPECT_EQ(
        boxes.Texts(),
        std::vector<std::string>{
            "The device did not accept the management VLAN settings. The settings it holds are shown."});
    EXPECT_EQ(s_sim->Get(kState), "1");
}

// Answers 1 s late: the window takes events through Apply's requests, which leave Apply and Refresh
// unavailable; Close during the write says the device did not confirm it and sends nothing more.
TEST_F(ManagVlan, SlowDeviceApplyStaysLiveAndCloseLeavesTheWriteUnconfirmed) {
    CManagVlanSetDlg dlg;
    DialogDriver drv(dlg);
    WaitWalk(dlg, 1);
    ASSERT_TRUE(drv.Click(IDC_MGMT_ENABLE));
    ASSERT_TRUE(drv.SelectText(IDC_MGMT_VLAN_ID, "10"));
    test::SlowRun run(*s_sim);
    ASSERT_NO_FATAL_FAILURE(run.Click(dlg, drv, IDC_MGMT_APPLY, {IDC_MGMT_APPLY, IDC_MGMT_REFRESH}, 2));
    ASSERT_NO_FATAL_FAILURE(run.Close(
        drv, boxes,
        {"Stopped: the device did not confirm whether the management VLAN settings were written."}));
    EXPECT_EQ(
        test::RequestLines(test::DistinctRequests(*s_sim)),
        (std::vector<std::string>{"get " + kVlan + ".2.10=n:", "set " + kState + "=i:1 " + kId + "=i:10"}));
}

}  // namespace
