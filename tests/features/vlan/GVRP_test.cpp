// GVRP dialogs against the simulated switch: the port list as read, the range write and its refusals
// (PVID range, typed ports, link-aggregation groups), the wait for the trunk membership; the global
// state and timers with their rules and the requests of each state change.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <string>
#include <vector>

#include "features/vlan/GVRPSettings.h"
#include "features/vlan/GVRPTime.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_gvrp.h"
#include "res/resource.h"
#include "tests/features/DialogTest.h"
#include "tests/features/StepRunTest.h"

namespace {

using namespace ksx;
using namespace ksx::dialogtest;

const std::string kG = "1.3.6.1.4.1.7393.10.76.20.1.30";
const std::string kState = kG + ".1.0";
const std::string kJoin = kG + ".2.0";
const std::string kLeave = kG + ".3.0";
const std::string kLeaveAll = kG + ".4.0";
const std::string kTrunkColumn = "1.3.6.1.4.1.7393.10.76.20.1.8.1.3.1.2";
const size_t kCut = kG.size() + 1;  // set lines show "5.1.2.3=i:1"

class Gvrp : public test::SharedSimTest {
protected:
    std::string Screens() {
        const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/vlan";
        QDir().mkpath(dir);
        test::PumpEvents();
        return dir.toStdString();
    }
    test::ScriptedMessageBox boxes;
};

// ---- port settings ----

class GvrpPorts : public Gvrp {
protected:
    static void WaitRead(CGVRPSettings& dlg) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_GVRP_APPLY); }));
    }
    void Apply(DialogDriver& drv, int from, int to, const std::string& pvid) {
        ASSERT_TRUE(drv.Select(IDC_GVRP_FROM, from - 1));
        ASSERT_TRUE(drv.Select(IDC_GVRP_TO, to - 1));
        ASSERT_TRUE(drv.Type(IDC_GVRP_PVID, pvid));
        boxes.Clear();
        s_sim->ClearLog();
        ASSERT_TRUE(drv.Click(IDC_GVRP_APPLY));
        WaitWrite(static_cast<CGVRPSettings&>(drv.Dialog()));
    }
    // The range write runs off the window's thread: waits for its end.
    static void WaitWrite(CGVRPSettings& dlg) {
        ASSERT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }, 60000));
    }
};

TEST_F(GvrpPorts, ListsThePortTable) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_GVRP_SETTINGS));
    CGVRPSettings dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "GVRP Settings");
    ASSERT_EQ(drv.Rows(IDC_GVRP_LIST), 28);
    EXPECT_EQ(drv.Row(IDC_GVRP_LIST, 0),
              (std::vector<std::string>{"1", "1", "Enabled", "Enabled", "AllFrames"}));
    EXPECT_EQ(drv.Row(IDC_GVRP_LIST, 6),
              (std::vector<std::string>{"7", "1", "Disabled", "Disabled", "AllFrames"}));
    EXPECT_EQ(drv.Row(IDC_GVRP_LIST, 8),
              (std::vector<std::string>{"9", "300", "Enabled", "Enabled", "TaggedOnly"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_GVRP_STATE), "Disabled");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_GVRP_INGRESS), "Enabled");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_GVRP_FRAME_TYPE), "Admit All");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_GVRP_TO), "28");
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_GVRP_STATE));
    ASSERT_TRUE(drv.Select(IDC_GVRP_FROM, 5));  // From 6 moves To to 6
    EXPECT_EQ(dlg.GetDlgItemText(IDC_GVRP_TO), "6");
    ASSERT_TRUE(drv.Select(IDC_GVRP_TO, 2));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"'To Port' can not be smaller than 'From Port'"});
    EXPECT_EQ(dlg.GetDlgItemText(IDC_GVRP_TO), "6");
    EXPECT_TRUE(test::GrabScreenshot(&dlg, Screens() + "/gvrp_settings.png"));
}

TEST_F(GvrpPorts, WritesOnePduPerPortAndRereads) {
    CGVRPSettings dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    ASSERT_TRUE(drv.Select(IDC_GVRP_STATE, 1));
    ASSERT_TRUE(drv.Select(IDC_GVRP_INGRESS, 0));
    ASSERT_TRUE(drv.Select(IDC_GVRP_FRAME_TYPE, 1));
    Apply(drv, 3, 3, "10");
    EXPECT_EQ(SetLines(s_sim->Requests(), kCut),
              std::vector<std::string>{"5.1.2.3=i:10 5.1.3.3=i:1 5.1.4.3=i:2 5.1.5.3=i:2"});
    WaitRead(dlg);
    EXPECT_EQ(drv.Row(IDC_GVRP_LIST, 2),
              (std::vector<std::string>{"3", "10", "Enabled", "Disabled", "TaggedOnly"}));

    Apply(drv, 1, 2, "4094");
    EXPECT_EQ(SetLines(s_sim->Requests(), kCut),
              (std::vector<std::string>{"5.1.2.1=i:4094 5.1.3.1=i:1 5.1.4.1=i:2 5.1.5.1=i:2",
                                        "5.1.2.2=i:4094 5.1.3.2=i:1 5.1.4.2=i:2 5.1.5.2=i:2"}));
    WaitRead(dlg);
    EXPECT_EQ(boxes.Count(), 0u);
}

// A refused port ends the write with its own text; an unanswered one is unconfirmed, not refused.
TEST_F(GvrpPorts, ARefusedOrUnansweredPortEndsTheWriteAndIsSaidAsSuch) {
    CGVRPSettings dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    s_sim->ErrorStatus(kG + ".5.1.2.4", 10);
    Apply(drv, 3, 6, "10");
    s_sim->ErrorStatus(kG + ".5.1.2.4", 0);
    EXPECT_EQ(SetLines(s_sim->Requests(), kCut).size(), 2u);
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(boxes.Texts()[0],
              "The device did not accept the GVRP port settings of port 4. 1 of 4 ports were "
              "written; ports 5-6 were not written. The settings it holds are shown.");
    WaitRead(dlg);
    test::UseSimV1(*s_sim, "1000");
    s_sim->Silence(true);
    Apply(drv, 3, 6, "10");
    EXPECT_EQ(test::DistinctSets(*s_sim).size(), 1u);
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(boxes.Texts()[0],
              "The device did not answer: it did not confirm whether port 3 was written; ports 4-6 were not "
              "written.");
    s_sim->Silence(false);
}

TEST_F(GvrpPorts, RefusesPvidTypedPortsAndSplitGroups) {
    CGVRPSettings dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    for (const char* pvid : {"0", "4095", ""}) {
        Apply(drv, 1, 4, pvid);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"PVID Range is 1-4094"}) << pvid;
        EXPECT_TRUE(s_sim->Requests().empty());
    }
    // Ports 25 and 26 form one link-aggregation group.
    Apply(drv, 20, 25, "5");
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Some ports in the same LA Group are not be included."});
    EXPECT_TRUE(s_sim->Requests().empty());
    Apply(drv, 26, 28, "5");
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Some ports in the same LA Group are not be included."});
    // Typed ports outside the device are refused before they are used.
    for (const char* typed : {"0", "99", "x", ""}) {
        ASSERT_TRUE(drv.Type(IDC_GVRP_FROM, typed));
        ASSERT_TRUE(drv.Type(IDC_GVRP_PVID, "5"));
        boxes.Clear();
        ASSERT_TRUE(drv.Click(IDC_GVRP_APPLY));
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Port Range is 1-28"}) << typed;
        EXPECT_TRUE(s_sim->Requests().empty());
    }
    ASSERT_TRUE(drv.Type(IDC_GVRP_FROM, "25"));
    ASSERT_TRUE(drv.Type(IDC_GVRP_TO, "26"));
    boxes.Clear();
    ASSERT_TRUE(drv.Click(IDC_GVRP_APPLY));
    WaitWrite(dlg);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(test::Sets(s_sim->Requests()).size(), 2u);
    WaitRead(dlg);
}

TEST_F(GvrpPorts, ApplyWaitsForTheTrunkMembership) {
    // Until the trunk walk ended a split group could pass the check.
    s_sim->DelayMs(300);
    CGVRPSettings dlg;
    DialogDriver drv(dlg);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_GVRP_APPLY));
    dlg.OnApply();
    s_sim->DelayMs(0);
    WaitRead(dlg);
    EXPECT_TRUE(test::Sets(s_sim->Requests()).empty());

    // A trunk read that fails says so and keeps Apply off; Refresh tries again.
    s_sim->ErrorStatus(kTrunkColumn, 5);
    ASSERT_TRUE(drv.Click(IDC_GVRP_REFRESH));
    ASSERT_TRUE(boxes.WaitForCount(1));
    EXPECT_EQ(boxes.LastText(), "Failed to read the link aggregation members; press Refresh to try again.");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_GVRP_APPLY));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_GVRP_REFRESH));
    s_sim->ErrorStatus(kTrunkColumn, 0);
    ASSERT_TRUE(drv.Click(IDC_GVRP_REFRESH));
    WaitRead(dlg);
}

TEST_F(GvrpPorts, DisabledGvrpGreysTheSettingCombosButApplyStillWrites) {
    s_sim->Set(kState, "i", "2");
    CGVRPSettings dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    for (int id : {IDC_GVRP_STATE, IDC_GVRP_INGRESS, IDC_GVRP_FRAME_TYPE}) {
        EXPECT_FALSE(dlg.IsDlgItemEnabled(id));
    }
    Apply(drv, 5, 5, "7");
    EXPECT_EQ(SetLines(s_sim->Requests(), kCut),
              std::vector<std::string>{"5.1.2.5=i:7 5.1.3.5=i:2 5.1.4.5=i:1 5.1.5.5=i:1"});
    WaitRead(dlg);
}

// ---- global settings ----

class GvrpGlobal : public Gvrp {
protected:
    static void WaitRead(CGVRPTime& dlg) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_GVRPT_REFRESH); }));
    }
    void Apply(DialogDriver& drv, const char* join, const char* leave, const char* leaveAll) {
        ASSERT_TRUE(drv.Type(IDC_GVRPT_JOIN, join));
        ASSERT_TRUE(drv.Type(IDC_GVRPT_LEAVE, leave));
        ASSERT_TRUE(drv.Type(IDC_GVRPT_LEAVE_ALL, leaveAll));
        boxes.Clear();
        s_sim->ClearLog();
        ASSERT_TRUE(drv.Click(IDC_GVRPT_APPLY));
    }
};

TEST_F(GvrpGlobal, ReadsStateAndTimers) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_GVRP_TIME));
    CGVRPTime dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(RequestLines(s_sim->Requests()),
              (std::vector<std::string>{"get " + kState + "=n:", "get " + kState + "=n: " + kJoin + "=n: " +
                                                                     kLeave + "=n: " + kLeaveAll + "=n:"}));
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_GVRPT_ENABLED), 1);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_GVRPT_JOIN), "200");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_GVRPT_LEAVE), "600");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_GVRPT_LEAVE_ALL), "10000");
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_GVRPT_JOIN));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_GVRPT_APPLY));
    EXPECT_TRUE(test::GrabScreenshot(&dlg, Screens() + "/gvrp_global.png"));
}

TEST_F(GvrpGlobal, TimerRulesInOrder) {
    CGVRPTime dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    struct Case {
        const char *join, *leave, *leaveAll, *message;
    };
    const Case refused[] = {
        {"99", "1", "1", "Join Time(100-100000)."},
        {"100001", "300", "400", "Join Time(100-100000)."},
        {"100", "99", "400", "Leave Time(100-100000)."},
        {"100", "300", "100001", "Leave_All Time(100-100000)."},
        {"100", "200", "400", "Leave Time should be greater than 2*Join Time."},
        {"100", "201", "201", "Leave_All Time should be greater than Leave Time. "},
    };
    for (const Case& c : refused) {
        Apply(drv, c.join, c.leave, c.leaveAll);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{c.message});
        EXPECT_TRUE(test::Sets(s_sim->Requests()).empty()) << c.message;
        WaitRead(dlg);
    }
    Apply(drv, "100", "201", "202");
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(SetLines(s_sim->Requests(), kCut), std::vector<std::string>{"2.0=i:100 3.0=i:201 4.0=i:202"});
    WaitRead(dlg);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_GVRPT_LEAVE_ALL), "202");
}

TEST_F(GvrpGlobal, StateChangesSendWhatTheyMust) {
    {
        // Enabled to disabled: the state alone, whatever the timers hold.
        CGVRPTime dlg;
        DialogDriver drv(dlg);
        WaitRead(dlg);
        ASSERT_TRUE(drv.Type(IDC_GVRPT_JOIN, "5"));
        ASSERT_TRUE(drv.Click(IDC_GVRPT_DISABLED));
        EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_GVRPT_JOIN));
        s_sim->ClearLog();
        ASSERT_TRUE(drv.Click(IDC_GVRPT_APPLY));
        EXPECT_EQ(SetLines(s_sim->Requests(), kCut), std::vector<std::string>{"1.0=i:2"});
        WaitRead(dlg);
        EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_GVRPT_DISABLED), 1);
        EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_GVRPT_JOIN));
        // Disabled again on a disabled device: nothing.
        s_sim->ClearLog();
        ASSERT_TRUE(drv.Click(IDC_GVRPT_APPLY));
        EXPECT_TRUE(test::Sets(s_sim->Requests()).empty());
        WaitRead(dlg);
        // Disabled to enabled: the state first, then the timers, in one PDU; a refusal sends nothing.
        ASSERT_TRUE(drv.Click(IDC_GVRPT_ENABLED));
        Apply(drv, "100", "150", "400");
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Leave Time should be greater than 2*Join Time."});
        EXPECT_TRUE(test::Sets(s_sim->Requests()).empty());
        WaitRead(dlg);
        ASSERT_TRUE(drv.Click(IDC_GVRPT_ENABLED));
        Apply(drv, "100", "300", "400");
        EXPECT_EQ(SetLines(s_sim->Requests(), kCut),
                  std::vector<std::string>{"1.0=i:1 2.0=i:100 3.0=i:300 4.0=i:400"});
        WaitRead(dlg);
    }
    EXPECT_EQ(s_sim->Get(kState), "1");
}

TEST_F(GvrpGlobal, UnansweredReadGivesTheButtonsBack) {
    s_sim->ErrorStatus(kJoin, 5);  // the state reads, the timers do not
    CGVRPTime dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_GVRPT_CLOSE));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_GVRPT_REFRESH));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_GVRPT_APPLY));  // the edits hold nothing read
    s_sim->ErrorStatus(kJoin, 0);
    ASSERT_TRUE(drv.Click(IDC_GVRPT_REFRESH));
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_GVRPT_APPLY); }));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_GVRPT_JOIN), "200");

    // A failed state read would make Apply write a state nobody chose: Apply stays off.
    s_sim->ErrorStatus(kState, 5);
    ASSERT_TRUE(drv.Click(IDC_GVRPT_REFRESH));
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_GVRPT_REFRESH); }));
    // Neither state is shown as if it had been read.
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_GVRPT_DISABLED), 0);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_GVRPT_ENABLED), 0);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_GVRPT_APPLY));
    s_sim->ClearLog();
    dlg.OnApply();
    s_sim->ErrorStatus(kState, 0);
    EXPECT_TRUE(test::Sets(s_sim->Requests()).empty());
    ASSERT_TRUE(drv.Click(IDC_GVRPT_CLOSE));
    ASSERT_TRUE(drv.WaitEnded());
}

// Values of another type, a binding left out, a dead device: nothing of it shows as a value, the dialog
// says once that it could not read, and Apply stays unavailable until a read gave every value.
TEST_F(GvrpGlobal, SettingsNotReadAreSaidAndNeverWrittenBack) {
    s_sim->Set(kJoin, "s", "zz");
    {
        CGVRPTime dlg;
        DialogDriver drv(dlg);
        WaitRead(dlg);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{
                                     "Failed to read the GVRP global settings; press Refresh to try again."});
        EXPECT_EQ(dlg.GetDlgItemText(IDC_GVRPT_JOIN), "");
        EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_GVRPT_APPLY));
        s_sim->Set(kJoin, "i", "200");
        s_sim->Set(kState, "s", "zz");
        boxes.Clear();
        ASSERT_TRUE(drv.Click(IDC_GVRPT_REFRESH));
        ASSERT_TRUE(boxes.WaitForCount(1));
        WaitRead(dlg);
        EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_GVRPT_ENABLED), 0);
        EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_GVRPT_DISABLED), 0);
        EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_GVRPT_APPLY));
        s_sim->Set(kState, "i", "1");
    }
    // A dead device: the window opens at once and says so when the read gives up.
    test::UseSimV1(*s_sim, "1000");
    s_sim->Silence(true);
    boxes.Clear();
    CGVRPTime dlg;
    QElapsedTimer opening;
    opening.start();
    DialogDriver drv(dlg);
    EXPECT_LT(opening.elapsed(), 800);
    ASSERT_TRUE(boxes.WaitForCount(1, 10000));
    EXPECT_EQ(boxes.LastText(), "Failed to read the GVRP global settings; press Refresh to try again.");
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_GVRPT_DISABLED), 0);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_GVRPT_APPLY));
    s_sim->Silence(false);
    drv.Click(IDC_GVRPT_APPLY);
    EXPECT_TRUE(test::Sets(s_sim->Requests()).empty());
}

TEST_F(GvrpGlobal, ARefusedWriteIsSaidAndTheDeviceValuesShownAgain) {
    CGVRPTime dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    s_sim->ErrorStatus(kLeave, 10);
    Apply(drv, "100", "300", "400");
    s_sim->ErrorStatus(kLeave, 0);
    ASSERT_GE(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Texts()[0],
              "The device did not accept the GVRP global settings. The settings it holds are shown.");
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_GVRPT_REFRESH); }));
    ASSERT_TRUE(drv.Click(IDC_GVRPT_REFRESH));
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_GVRPT_APPLY); }));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_GVRPT_JOIN), "200");
    // Unanswered is not refused: the device may have applied it.
    boxes.Clear();
    s_sim->Silence(true);
    Apply(drv, "100", "300", "400");
    s_sim->Silence(false);
    ASSERT_TRUE(boxes.WaitForCount(1));
    EXPECT_EQ(boxes.Texts()[0],
              "The device did not answer: it did not confirm whether the GVRP global settings were "
              "written. The settings it holds are shown.");
}

TEST_F(GvrpPorts, ValuesNotReadShowEmptyAndADeadDeviceIsSaid) {
    s_sim->Set(kG + ".5.1.2.4", "s", "zz");
    {
        CGVRPSettings dlg;
        DialogDriver drv(dlg);
        WaitRead(dlg);
        EXPECT_EQ(drv.Row(IDC_GVRP_LIST, 3)[1], "");
        EXPECT_EQ(boxes.Count(), 0u);
    }
    test::UseSimV1(*s_sim, "1000");
    s_sim->Silence(true);
    CGVRPSettings dlg;
    QElapsedTimer opening;
    opening.start();
    DialogDriver drv(dlg);
    EXPECT_LT(opening.elapsed(), 800);
    ASSERT_TRUE(boxes.WaitForCount(2, 20000));
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{
                  "Failed to read the GVRP port settings; press Refresh to try again.",
                  "Failed to read the link aggregation members; press Refresh to try again."}));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_GVRP_STATE));
    s_sim->Silence(false);
}

}  // namespace
