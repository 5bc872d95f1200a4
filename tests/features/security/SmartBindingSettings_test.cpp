// The binding settings dialog against the simulated switch: the per-port list, the range writes with
// the trunk and all-ports rules, a write that stops at the first refused port, and Apply kept
// unavailable until the trunk membership was read.
#include <gtest/gtest.h>

#include <QComboBox>

#include <string>
#include <vector>

#include "features/security/SmartBindingSettings.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_impb.h"
#include "res/resource.h"
#include "tests/features/StepRunTest.h"
#include "tests/features/layer2/Layer2SimTest.h"
#include "tests/support/ui/DialogDriver.h"

namespace {

using namespace ksx;
using ksx::test::DialogDriver;
using ksx::test::WaitUntil;
using namespace ksx::test::layer2;

const std::string kBranch = kP + ".14.10.";
const std::string kTrunkMembers = kP + ".8.1.3.1.2";

class SmartBindingSettingsTest : public Layer2SimTest {
protected:
    static bool WaitRead(CSmartBindingSettings& dlg) {
        return WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_IMPBSET_REFRESH); });
    }
    std::vector<std::string> Sets() { return SetLines(s_sim->Requests(), kBranch.size()); }
    // Picks the range and the three settings (combo indexes) and presses Apply.
    void Apply(DialogDriver& drv, int from, int to, int admin, int inspection, int dhcp) {
        ASSERT_TRUE(drv.Select(IDC_IMPBSET_FROM, from - 1));
        ASSERT_TRUE(drv.Select(IDC_IMPBSET_TO, to - 1));
        ASSERT_TRUE(drv.Select(IDC_IMPBSET_ADMIN, admin));
        ASSERT_TRUE(drv.Select(IDC_IMPBSET_INSPECTION, inspection));
        ASSERT_TRUE(drv.Select(IDC_IMPBSET_DHCP, dhcp));
        s_sim->ClearLog();
        boxes.Clear();
        ASSERT_TRUE(drv.Click(IDC_IMPBSET_APPLY));
        // The write runs off the window's thread: wait for its end.
        auto& dlg = static_cast<CSmartBindingSettings&>(drv.Dialog());
        ASSERT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }, 60000));
    }
    // The port a logged write of this dialog names (the instance of its first binding).
    static int PortOf(const test::SimRequest& set) {
        const std::string& oid = set.varbinds.at(0).oid;
        return std::stoi(oid.substr(oid.rfind('.') + 1));
    }
    static std::string PortSet(int port, const char* admin, const char* inspection, const char* dhcp) {
        const std::string p = "." + std::to_string(port);
        return "1.1.2" + p + "=i:" + admin + " 1.1.3" + p + "=i:" + inspection + " 1.1.4" + p + "=i:" + dhcp;
    }
};

TEST_F(SmartBindingSettingsTest, OpensWithEveryPortAndTheRangeOfAllPorts) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_SMART_BINDING_SETTINGS));
    s_sim->Set(kBranch + "1.1.2.3", "i", "1");
    s_sim->Set(kBranch + "1.1.3.3", "i", "1");
    CSmartBindingSettings dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_EQ(dlg.GetWindowText(), "Smart Binding Settings");
    ASSERT_EQ(drv.Rows(IDC_IMPBSET_LIST), 28);
    EXPECT_EQ(drv.Row(IDC_IMPBSET_LIST, 0),
              (std::vector<std::string>{"1", "Disabled", "Disabled", "Disabled"}));
    EXPECT_EQ(drv.Row(IDC_IMPBSET_LIST, 2),
              (std::vector<std::string>{"3", "Enabled", "Enabled", "Disabled"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IMPBSET_FROM), "1");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IMPBSET_TO), "28");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IMPBSET_ADMIN), "Disabled");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IMPBSET_INSPECTION), "ARP Inspection");
    EXPECT_EQ(dlg.Item<QComboBox>(IDC_IMPBSET_DHCP)->count(), 2);
    // The walk asks for the four columns in order (beside it runs the trunk read).
    std::string first;
    for (const std::string& line : test::RequestLines(test::OfKind(s_sim->Requests(), "getnext"))) {
        if (first.empty() && line.find(kBranch) != std::string::npos) {
            first = line;
        }
    }
    EXPECT_EQ(first, "getnext " + kBranch + "1.1.1=n: " + kBranch + "1.1.2=n: " + kBranch +
                         "1.1.3=n: " + kBranch + "1.1.4=n:");
}

TEST_F(SmartBindingSettingsTest, WritesOneSetPerPortAndReadsTheListAgain) {
    CSmartBindingSettings dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    Apply(drv, 3, 5, 1, 1, 1);
    EXPECT_EQ(Sets(), (std::vector<std::string>{PortSet(3, "1", "1", "1"), PortSet(4, "1", "1", "1"),
                                                PortSet(5, "1", "1", "1")}));
    EXPECT_TRUE(boxes.Texts().empty());
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_EQ(drv.Row(IDC_IMPBSET_LIST, 3), (std::vector<std::string>{"4", "Enabled", "Enabled", "Enabled"}));
    // The choices stay; a one-port range is one SET.
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IMPBSET_ADMIN), "Enabled");
    Apply(drv, 9, 9, 0, 0, 0);
    EXPECT_EQ(Sets(), (std::vector<std::string>{PortSet(9, "0", "0", "0")}));
}

TEST_F(SmartBindingSettingsTest, EnablingEveryPortAtOnceIsRefusedDisablingIsNot) {
    CSmartBindingSettings dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    // Ports 25 and 26 form a trunk: leave them out of the enabling ranges.
    s_sim->Set(kTrunkMembers + ".1", "x", "00000000");
    ASSERT_TRUE(drv.Click(IDC_IMPBSET_REFRESH));
    ASSERT_TRUE(WaitRead(dlg));
    Apply(drv, 1, 28, 1, 0, 0);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"This operation will cause device to out of control."});
    EXPECT_TRUE(Sets().empty());
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IMPBSET_ADMIN), "Disabled");

    Apply(drv, 1, 27, 1, 0, 0);
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ(Sets().size(), 27u);
    ASSERT_TRUE(WaitRead(dlg));

    Apply(drv, 1, 28, 0, 0, 0);
    EXPECT_TRUE(boxes.Texts().empty());
    const auto sets = Sets();
    ASSERT_EQ(sets.size(), 28u);
    EXPECT_EQ(sets.back(), PortSet(28, "0", "0", "0"));
}

TEST_F(SmartBindingSettingsTest, ARangeWithATrunkMemberIsRefusedOnlyWhenEnabling) {
    CSmartBindingSettings dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    Apply(drv, 20, 25, 1, 0, 0);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Cannot add a port-security enabled port to an aggregated link."});
    EXPECT_TRUE(Sets().empty());
    ASSERT_TRUE(WaitRead(dlg));
    Apply(drv, 25, 26, 0, 1, 0);
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ(Sets(), (std::vector<std::string>{PortSet(25, "0", "1", "0"), PortSet(26, "0", "1", "0")}));
}

TEST_F(SmartBindingSettingsTest, ARefusedPortStopsTheWriteAndIsNamed) {
    CSmartBindingSettings dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    Fail(kBranch + "1.1.2.4", 5);
    Apply(drv, 3, 6, 0, 1, 1);
    EXPECT_EQ(Sets(), (std::vector<std::string>{PortSet(3, "0", "1", "1"), PortSet(4, "0", "1", "1")}));
    ASSERT_TRUE(WaitRead(dlg));
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(boxes.Texts().front(),
              "Failed to write the binding settings of port 4: the device did not accept "
              "them. 1 of 4 ports were written; ports 5-6 were not written.");
    EXPECT_EQ(drv.Cell(IDC_IMPBSET_LIST, 2, 2), "Enabled");
}

TEST_F(SmartBindingSettingsTest, ApplyWaitsForATrunkReadThatEndedAndSaysWhenItFailed) {
    Fail(kTrunkMembers, 5);
    CSmartBindingSettings dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_IMPBSET_APPLY));
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{
                  "Failed to read the trunk membership of the ports. Press Refresh to read it again."});
    // Without the membership a trunk port would be enabled: nothing is sent.
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Select(IDC_IMPBSET_FROM, 24));
    ASSERT_TRUE(drv.Select(IDC_IMPBSET_ADMIN, 1));
    drv.Click(IDC_IMPBSET_APPLY);
    EXPECT_TRUE(Sets().empty());
    s_sim->ErrorStatus(kTrunkMembers, 0);
    boxes.Clear();
    ASSERT_TRUE(drv.Click(IDC_IMPBSET_REFRESH));
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_IMPBSET_APPLY));
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(SmartBindingSettingsTest, ASlowDeviceKeepsTheWindowLiveAndCloseStopsTheWrite) {
    CSmartBindingSettings dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    // Every request answered a second late: 28 ports take half a minute.
    s_sim->DelayMs(1000);
    s_sim->ClearLog();
    boxes.Clear();
    test::TickGap ticks;
    ASSERT_TRUE(drv.Click(IDC_IMPBSET_APPLY));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_IMPBSET_APPLY));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_IMPBSET_REFRESH));
    // Port 3 under way: the progress shows which.
    ASSERT_TRUE(WaitUntil([&] { return test::DistinctSets(*s_sim).size() >= 3; }, 20000));
    ASSERT_TRUE(WaitUntil([&] {
        return dlg.Run().ProgressShown() && dlg.Run().ProgressText() == "Writing port 3 (3 of 28)...";
    }));
    EXPECT_EQ(dlg.Run().ProgressText().toStdString(), "Writing port 3 (3 of 28)...");
    const long long liveGapMs = ticks.MaxGapMs();  // while the run went on
    drv.PressEscape();
    ASSERT_TRUE(drv.WaitEnded());
    EXPECT_FALSE(dlg.Run().Running());
    const std::vector<test::SimRequest> atStop = test::DistinctSets(*s_sim);
    ASSERT_EQ(atStop.size(), 3u);
    // The write of port 3 was cut off unanswered: two ports were written, port 3 is unconfirmed.
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{
                                 "Stopped: 2 of 28 ports were written; the device did not confirm whether "
                                 "port 3 was written; ports 4-28 were not written."});
    EXPECT_LT(liveGapMs, 250);
    EXPECT_GT(ticks.Ticks(), 0);
    // Nothing follows the write that was in flight.
    EXPECT_FALSE(WaitUntil([&] { return test::DistinctSets(*s_sim).size() > atStop.size(); }, 2000));
    for (size_t i = 0; i < atStop.size(); ++i) {
        EXPECT_EQ(PortOf(atStop[i]), static_cast<int>(i) + 1);
    }
}

TEST_F(SmartBindingSettingsTest, ADeviceFallingSilentMidWriteEndsItAtThePortNotAnswered) {
    CSmartBindingSettings dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    s_sim->DelayMs(100);
    s_sim->ClearLog();
    boxes.Clear();
    test::TickGap ticks;
    ASSERT_TRUE(drv.Select(IDC_IMPBSET_TO, 19));
    ASSERT_TRUE(drv.Select(IDC_IMPBSET_DHCP, 1));
    ASSERT_TRUE(drv.Click(IDC_IMPBSET_APPLY));
    ASSERT_TRUE(WaitUntil([&] { return test::DistinctSets(*s_sim).size() >= 5; }));
    s_sim->Silence(true);
    // The port not answered ends the write within its time-out; the window stays live meanwhile.
    ASSERT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }, 20000));
    const std::vector<test::SimRequest> sets = test::DistinctSets(*s_sim);
    ASSERT_FALSE(sets.empty());
    const int silent = PortOf(sets.back());
    EXPECT_GE(silent, 5);
    EXPECT_LT(silent, 20);
    ASSERT_FALSE(boxes.Texts().empty());
    // Unanswered, not refused: the device may have taken it.
    EXPECT_EQ(boxes.Texts().front(), "The device did not answer: " + std::to_string(silent - 1) +
                                         " of 20 ports were written; it did not confirm whether port " +
                                         std::to_string(silent) + " was written; " +
                                         PortsSpan(silent + 1, 20) + (silent + 1 < 20 ? " were" : " was") +
                                         " not written.");
    EXPECT_LT(ticks.MaxGapMs(), 250);
    // The ports before it hold the new setting; nothing was sent past it.
    for (size_t i = 0; i < sets.size(); ++i) {
        EXPECT_EQ(PortOf(sets[i]), static_cast<int>(i) + 1);
    }
    EXPECT_EQ(s_sim->Get(kBranch + "1.1.4.1"), "1");
    EXPECT_EQ(s_sim->Get(kBranch + "1.1.4.20"), "0");
    // Answering again, Refresh shows the device's values.
    s_sim->Silence(false);
    ASSERT_TRUE(WaitRead(dlg));
    ASSERT_TRUE(drv.Click(IDC_IMPBSET_REFRESH));
    ASSERT_TRUE(WaitUntil(
        [&] { return dlg.IsDlgItemEnabled(IDC_IMPBSET_APPLY) && drv.Rows(IDC_IMPBSET_LIST) == 28; }));
    EXPECT_EQ(drv.Cell(IDC_IMPBSET_LIST, 0, 3), "Enabled");
    EXPECT_EQ(drv.Cell(IDC_IMPBSET_LIST, 19, 3), "Disabled");
}

}  // namespace
