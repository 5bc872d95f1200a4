// Surveillance VLAN port settings against the simulated 52-port switch: the port list, batches of thirty
// ports each carrying its own ports only, a trunk port refusing an enable before any request, the
// From/To pair, and Apply offered only while the surveillance VLAN is enabled.
#include <gtest/gtest.h>

#include <QComboBox>
#include <string>
#include <vector>

#include "controls/ListCtrl.h"
#include "features/vlan/CameraVlanPortSetting.h"
#include "features/vlan/CameraVlanRules.h"
#include "platform/sys/Globals.h"
#include "res/ids_surveillance.h"
#include "res/resource.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using namespace camvlan;
using test::DialogDriver;
using test::WaitUntil;

class SurveillancePorts : public test::SharedSimTest {
public:
    static void SetUpTestSuite() {
        test::SimSwitch::Options options;
        options.profile = "ksx-4200-52";
        StartSim(options);
    }

protected:
    void SetUp() override {
        SharedSimTest::SetUp();
        g_nPortNum = 52;
    }
    void TearDown() override {
        g_nPortNum = 28;
        SharedSimTest::TearDown();
    }
    static void WaitWalk(CCameraVlanPortSetting& dlg, int walks) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.WalksEnded() >= walks; }));
    }
    static std::vector<std::string> Sets() { return test::SetLines(s_sim->Requests(), kPortEntry.size()); }
    static std::string Range(int from, int to, const std::string& value) {
        std::string line;
        for (int p = from; p <= to; ++p) {
            line += (line.empty() ? "" : " ") + std::string(".2.") + std::to_string(p) + "=i:" + value;
        }
        return line;
    }

    test::ScriptedMessageBox boxes;
};

TEST_F(SurveillancePorts, ListsPortsAndWritesBatchesOfThirty) {
    CCameraVlanPortSetting dlg;
    dlg.m_strVlanId = "100";
    dlg.m_strState = "1";
    DialogDriver drv(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "Auto Camera Vlan Port Settings");
    WaitWalk(dlg, 1);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SPORT_VLAN_ID), "100");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SPORT_FROM), "1");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SPORT_TO), "52");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SPORT_AUTO_DETECTION), "Disable");
    auto* list = dlg.Item<CListCtrl>(IDC_SPORT_LIST);
    ASSERT_EQ(list->GetItemCount(), 52);
    EXPECT_EQ(list->GetItemText(2, 0).toStdString(), "3");
    EXPECT_EQ(list->GetItemText(2, 1).toStdString(), "Enabled");
    EXPECT_EQ(list->GetItemText(2, 2).toStdString(), "Dynamic");
    EXPECT_EQ(list->GetItemText(6, 1).toStdString(), "Disabled");
    EXPECT_EQ(list->GetItemText(6, 2).toStdString(), "Static");
    EXPECT_EQ(list->GetItemText(0, 2).toStdString(), "None");
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_SPORT_APPLY); }));

    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_SPORT_APPLY));
    WaitWalk(dlg, 2);
    EXPECT_EQ(Sets(), (std::vector<std::string>{Range(1, 30, "2"), Range(31, 52, "2")}));
    EXPECT_EQ(s_sim->Get(kPortEntry + ".2.3"), "2");

    // A range of 28 ports goes in one request.
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Select(IDC_SPORT_FROM, 0));
    ASSERT_TRUE(drv.Select(IDC_SPORT_TO, 27));
    ASSERT_TRUE(drv.Click(IDC_SPORT_APPLY));
    WaitWalk(dlg, 3);
    EXPECT_EQ(Sets(), (std::vector<std::string>{Range(1, 28, "2")}));
    EXPECT_TRUE(boxes.Texts().empty());
}

// Ports 45 and 46 form a trunk, past the first batch: an enable over them is refused before the first
// batch goes out.
TEST_F(SurveillancePorts, TrunkPortRefusesEnableBeforeAnyRequest) {
    s_sim->Set(kTrunkMembersCol + ".1", "x", "00000000000c0000");
    CCameraVlanPortSetting dlg;
    dlg.m_strVlanId = "100";
    dlg.m_strState = "1";
    DialogDriver drv(dlg);
    WaitWalk(dlg, 1);
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_SPORT_APPLY); }));
    ASSERT_TRUE(drv.Select(IDC_SPORT_AUTO_DETECTION, 0));
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_SPORT_APPLY));
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{kTextLaPort}));
    EXPECT_TRUE(Sets().empty());

    // A port that left its trunk is free after a refresh.
    s_sim->Set(kTrunkMembersCol + ".1", "x", "0000000000000000");
    ASSERT_TRUE(drv.Click(IDC_SPORT_REFRESH));
    WaitWalk(dlg, 2);
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_SPORT_APPLY); }));
    ASSERT_TRUE(drv.Click(IDC_SPORT_APPLY));
    WaitWalk(dlg, 3);
    EXPECT_EQ(Sets(), (std::vector<std::string>{Range(1, 30, "1"), Range(31, 52, "1")}));
}

TEST_F(SurveillancePorts, FromToPairAndApplyFollowingTheState) {
    CCameraVlanPortSetting dlg;
    dlg.m_strVlanId = "100";
    dlg.m_strState = "2";
    DialogDriver drv(dlg);
    WaitWalk(dlg, 1);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_SPORT_APPLY));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_SPORT_REFRESH));
    ASSERT_TRUE(drv.Select(IDC_SPORT_FROM, 9));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SPORT_TO), "10");
    ASSERT_TRUE(drv.Select(IDC_SPORT_TO, 4));
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{kTextToBelowFrom}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SPORT_TO), "10");
}

}  // namespace
