// Power saving dialog against the simulated switch: the summary and boxes as read, picking types and
// states, applying each function enabled and disabled with profiles and ports, the port-list messages,
// the global link-status switch, and profile names that arrive after a slow walk.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QHeaderView>
#include <string>
#include <vector>

#include "controls/ListCtrlEx.h"
#include "features/port_system/PowerSaveDlg.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_power.h"
#include "tests/features/StepRunTest.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using ksx::test::DialogDriver;
using ksx::test::SimRequest;
using ksx::test::WaitUntil;

const std::string kRoot = "1.3.6.1.4.1.7393.10.76.20.1.31";

// The sets, each binding's OID below the power-saving group.
std::vector<std::string> SetTexts(const std::vector<SimRequest>& log) {
    return test::SetLines(log, kRoot.size());
}

std::vector<std::string> Items(QComboBox* combo) {
    std::vector<std::string> out;
    for (int i = 0; i < combo->count(); ++i) {
        out.push_back(combo->itemText(i).toStdString());
    }
    return out;
}

const char kReadFailed[] = "Failed to read the power saving settings; press Refresh to try again.";
const std::string kProfileNames = "1.3.6.1.4.1.7393.10.76.20.1.32.1.1.2";

class PowerSaveDlgTest : public test::SimTest {
protected:
    PowerSaveDlgTest() : SimTest("1000") {}

    static void WaitLoaded(CPowerSaveDlg& dlg) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.ProfileNamesLoaded() && dlg.Logic().IsWalkDone(); }));
    }
    static std::vector<std::string> Row(CPowerSaveDlg& dlg, int row) {
        auto* list = static_cast<CListCtrlEx*>(dlg.GetDlgItem(IDC_PS_SUMMARY));
        std::vector<std::string> out;
        for (int c = 0; c < list->GetColumnCount(); ++c) {
            out.push_back(list->GetItemText(row, c).toStdString());
        }
        return out;
    }
    // Clicks an Apply and waits for its write and read-back to end.
    static void Apply(DialogDriver& drv, CPowerSaveDlg& dlg, int button) {
        ASSERT_TRUE(drv.Click(button));
        ASSERT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }));
    }
    // Picks a type and a state and fills profiles and ports as a user would.
    static void Fill(DialogDriver& drv, int type, bool enabled, int profile1, int profile2,
                     const std::string& ports) {
        ASSERT_TRUE(drv.Select(IDC_PS_TYPE, type));
        ASSERT_TRUE(drv.Select(IDC_PS_STATE, enabled ? 0 : 1));
        if (enabled) {
            ASSERT_TRUE(drv.Select(IDC_PS_PROFILE1, profile1));
            ASSERT_TRUE(drv.Select(IDC_PS_PROFILE2, profile2));
            if (type != 2) {
                ASSERT_TRUE(drv.Type(IDC_PS_PORT, ports));
            }
        }
    }

    test::ScriptedMessageBox boxes;
};

TEST_F(PowerSaveDlgTest, OpensWithTheSummaryAndAnUnloadedForm) {
    CPowerSaveDlg dlg;
    DialogDriver drv(dlg);
    WaitLoaded(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "Power Saving Settings ");
    EXPECT_TRUE(ksx::ui::FeatureRegistry::Instance().Has(ID_MENU_POWER_SAVING_SETTINGS));

    auto* list = drv.ItemAs<CListCtrlEx>(IDC_PS_SUMMARY);
    ASSERT_EQ(list->GetColumnCount(), 5);
    const std::vector<std::pair<std::string, int>> columns = {
        {"Type", 140}, {"State", 80}, {"Time Profile 1 ", 120}, {"Time Profile 2", 120}, {"Port ", 120}};
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(list->horizontalHeaderItem(c)->text().toStdString(), columns[c].first);
        EXPECT_EQ(list->GetColumnWidth(c), columns[c].second);
    }
    ASSERT_EQ(list->GetItemCount(), 3);
    EXPECT_EQ(Row(dlg, 0), (std::vector<std::string>{"LED_Shutoff", "Enabled", "Night", "", "1-4,6"}));
    EXPECT_EQ(Row(dlg, 1), (std::vector<std::string>{"Port_Shutoff", "Disabled", "Weekend", "", "10-12"}));
    EXPECT_EQ(Row(dlg, 2), (std::vector<std::string>{"System_Hibernation", "Disabled", "", "", "All Port"}));

    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_PS_LINK_STATUS), 1);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_PS_CABLE_LENGTH), 0);
    EXPECT_FALSE(drv.Item(IDC_PS_CABLE_LENGTH)->isVisible());
    EXPECT_EQ(Items(drv.ItemAs<QComboBox>(IDC_PS_TYPE)),
              (std::vector<std::string>{"LED Shut-off", "Port Shut-off", "System Hibernation"}));
    EXPECT_EQ(Items(drv.ItemAs<QComboBox>(IDC_PS_STATE)), (std::vector<std::string>{"Enabled", "Disabled"}));
    const std::vector<std::string> names = {"None", "Night", "Weekend", "Holiday"};
    EXPECT_EQ(Items(drv.ItemAs<QComboBox>(IDC_PS_PROFILE1)), names);
    EXPECT_EQ(Items(drv.ItemAs<QComboBox>(IDC_PS_PROFILE2)), names);

    // Whatever the device holds, the form starts on LED shut-off, disabled, with nothing loaded.
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PS_TYPE), "LED Shut-off");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PS_STATE), "Disabled");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PS_PROFILE1), "None");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PS_PORT), "");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_PS_PROFILE1));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_PS_PROFILE2));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_PS_PORT));
    EXPECT_EQ(boxes.Count(), 0u);

    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/power";
    QDir().mkpath(dir);
    ASSERT_TRUE(drv.Select(IDC_PS_TYPE, 0));
    test::PumpEvents();
    EXPECT_TRUE(test::GrabScreenshot(&dlg, (dir + "/power_saving.png").toStdString()));
}

TEST_F(PowerSaveDlgTest, PickingATypeLoadsItsValuesAndTheStateDrivesTheControls) {
    CPowerSaveDlg dlg;
    DialogDriver drv(dlg);
    WaitLoaded(dlg);

    ASSERT_TRUE(drv.Select(IDC_PS_TYPE, 0));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PS_STATE), "Enabled");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PS_PROFILE1), "Night");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PS_PROFILE2), "None");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PS_PORT), "1-4,6");
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_PS_PROFILE1));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_PS_PORT));

    ASSERT_TRUE(drv.Select(IDC_PS_TYPE, 1));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PS_STATE), "Disabled");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PS_PROFILE1), "Weekend");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PS_PORT), "10-12");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_PS_PROFILE1));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_PS_PORT));
    ASSERT_TRUE(drv.Select(IDC_PS_STATE, 0));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_PS_PROFILE2));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_PS_PORT));

    // System hibernation: "All Port", and the edit never follows the state.
    ASSERT_TRUE(drv.Select(IDC_PS_TYPE, 2));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PS_PORT), "All Port");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_PS_PORT));
    ASSERT_TRUE(drv.Select(IDC_PS_STATE, 0));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_PS_PROFILE1));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_PS_PORT));

    // An enabled hibernation loads with the edit enabled; a state change then disables it.
    sim.Set(kRoot + ".4.1.0", "i", "1");
    sim.Set(kRoot + ".4.2.0", "s", "hol");
    ASSERT_TRUE(drv.Click(IDC_PS_REFRESH));
    WaitLoaded(dlg);
    ASSERT_TRUE(drv.Select(IDC_PS_TYPE, 2));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_PS_PORT));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PS_PROFILE1), "Holiday");  // prefix, case ignored
    ASSERT_TRUE(drv.Select(IDC_PS_STATE, 0));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_PS_PORT));
}

TEST_F(PowerSaveDlgTest, ApplyWritesEachFunctionAndRefreshes) {
    CPowerSaveDlg dlg;
    DialogDriver drv(dlg);
    WaitLoaded(dlg);

    struct Case {
        int type;
        bool enabled;
        int profile1;
        int profile2;
        std::string ports;
        std::string expected;
        std::vector<std::string> row;
    };
    const std::vector<Case> cases = {
        {0,
         true,
         2,
         3,
         "5-8",
         ".1.2.0=i:1 .1.1.0=x:0f000000 .1.3.0=s:Weekend .1.4.0=s:Holiday",
         {"LED_Shutoff", "Enabled", "Weekend", "Holiday", "5-8"}},
        {0, false, 0, 0, "", ".1.2.0=i:2", {"LED_Shutoff", "Disabled", "Weekend", "Holiday", "5-8"}},
        {1,
         true,
         1,
         0,
         "1,25-28",
         ".2.2.0=i:1 .2.1.0=x:800000f0 .2.3.0=s:Night .2.4.0=s:",
         {"Port_Shutoff", "Enabled", "Night", "", "1,25-28"}},
        {1, false, 0, 0, "", ".2.2.0=i:2", {"Port_Shutoff", "Disabled", "Night", "", "1,25-28"}},
        {2,
         true,
         3,
         1,
         "",
         ".4.1.0=i:1 .4.2.0=s:Holiday .4.3.0=s:Night",
         {"System_Hibernation", "Enabled", "Holiday", "Night", "All Port"}},
        {2,
         false,
         0,
         0,
         "",
         ".4.1.0=i:2",
         {"System_Hibernation", "Disabled", "Holiday", "Night", "All Port"}},
    };
    for (const Case& c : cases) {
        sim.ClearLog();
        Fill(drv, c.type, c.enabled, c.profile1, c.profile2, c.ports);
        Apply(drv, dlg, IDC_PS_APPLY_ENTRY);
        EXPECT_EQ(SetTexts(sim.Requests()), std::vector<std::string>{c.expected}) << c.expected;
        WaitLoaded(dlg);
        EXPECT_EQ(Row(dlg, c.type), c.row) << c.expected;
        // The refresh puts the form back.
        EXPECT_EQ(dlg.GetDlgItemText(IDC_PS_TYPE), "LED Shut-off");
        EXPECT_EQ(dlg.GetDlgItemText(IDC_PS_STATE), "Disabled");
    }
    EXPECT_EQ(boxes.Count(), 0u);
}

// A name that begins another listed before it ("Night2" before "Night") is still the one shown for a
// function that uses it, and an Apply that changes only the ports writes it back; a name the list lacks
// is shown as the device holds it.
TEST_F(PowerSaveDlgTest, TheFormShowsAndWritesBackTheProfileOfTheDevicesName) {
    sim.Set(kProfileNames + ".1", "s", "Night2");
    sim.Set(kProfileNames + ".3", "s", "Night");
    sim.Set(kRoot + ".4.3.0", "s", "Gone");
    CPowerSaveDlg dlg;
    DialogDriver drv(dlg);
    WaitLoaded(dlg);
    ASSERT_TRUE(drv.Select(IDC_PS_TYPE, 2));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PS_PROFILE2), "Gone");
    ASSERT_TRUE(drv.Select(IDC_PS_TYPE, 0));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PS_PROFILE1), "Night");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PS_PROFILE2), "None");
    sim.ClearLog();
    ASSERT_TRUE(drv.Type(IDC_PS_PORT, "1-4"));
    Apply(drv, dlg, IDC_PS_APPLY_ENTRY);
    EXPECT_EQ(SetTexts(sim.Requests()),
              std::vector<std::string>{".1.2.0=i:1 .1.1.0=x:f0000000 .1.3.0=s:Night .1.4.0=s:"});
}

// Against a device answering 700 ms late (1 s time-out) the write and its read-back go while the window
// takes events. Closed with a write on its way, the Apply is stopped: the write is unconfirmed, and
// nothing is sent after it.
TEST_F(PowerSaveDlgTest, ApplyRunsOffTheWindowsThreadAndACloseIsAStop) {
    CPowerSaveDlg dlg;
    DialogDriver drv(dlg);
    WaitLoaded(dlg);
    ASSERT_TRUE(drv.Check(IDC_PS_LINK_STATUS, false));
    test::SlowRun slow(sim, 700);
    ASSERT_NO_FATAL_FAILURE(slow.Click(dlg, drv, IDC_PS_APPLY_GLOBAL,
                                       {IDC_PS_APPLY_GLOBAL, IDC_PS_APPLY_ENTRY, IDC_PS_REFRESH}, 2));
    ASSERT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }));
    EXPECT_LT(slow.MaxGapMs(), 250);
    const auto sent = test::DistinctRequests(sim);
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(SetTexts({sent[0]}), std::vector<std::string>{".6.0=i:2"});
    EXPECT_EQ(sent[1].pdu, "get");
    EXPECT_EQ(sim.Get(kRoot + ".6.0"), "2");

    sim.DelayMs(0);
    WaitLoaded(dlg);
    Fill(drv, 0, false, 0, 0, "");
    sim.LoseAnswer(kRoot + ".1.2.0");
    test::SlowRun stopped(sim, 0);
    ASSERT_NO_FATAL_FAILURE(stopped.Click(dlg, drv, IDC_PS_APPLY_ENTRY, {IDC_PS_REFRESH}, 1));
    ASSERT_NO_FATAL_FAILURE(stopped.Close(
        drv, boxes, {"Stopped: the device did not confirm whether the LED shut-off settings were written."}));
}

TEST_F(PowerSaveDlgTest, PortListFaultsStopBeforeAnythingIsSent) {
    CPowerSaveDlg dlg;
    DialogDriver drv(dlg);
    WaitLoaded(dlg);
    sim.ClearLog();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"1-3,a", "Invalid Portlist"},  // characters
        {"6-2", "Invalid Portlist"},    // descending range
        {"29", "Invalid Portlist"},     // past the port count
        {"20-26", "Not support fiber Port."},
    };
    for (const auto& [ports, text] : cases) {
        boxes.Clear();
        Fill(drv, 0, true, 1, 0, ports);
        ASSERT_TRUE(drv.Click(IDC_PS_APPLY_ENTRY));
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{text}) << ports;
        WaitLoaded(dlg);
    }
    EXPECT_TRUE(SetTexts(sim.Requests()).empty());
    // Port shut-off takes the fibre ports.
    boxes.Clear();
    Fill(drv, 1, true, 0, 0, "20-26");
    Apply(drv, dlg, IDC_PS_APPLY_ENTRY);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(SetTexts(sim.Requests()).size(), 1u);
    WaitLoaded(dlg);
}

TEST_F(PowerSaveDlgTest, GlobalApplyWritesOnlyTheLinkStatusSwitch) {
    CPowerSaveDlg dlg;
    DialogDriver drv(dlg);
    WaitLoaded(dlg);
    sim.ClearLog();
    ASSERT_TRUE(drv.Check(IDC_PS_LINK_STATUS, false));
    dlg.CheckDlgButton(IDC_PS_CABLE_LENGTH, 1);  // hidden: never sent, cleared by the read
    Apply(drv, dlg, IDC_PS_APPLY_GLOBAL);
    EXPECT_EQ(SetTexts(sim.Requests()), std::vector<std::string>{".6.0=i:2"});
    WaitLoaded(dlg);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_PS_LINK_STATUS), 0);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_PS_CABLE_LENGTH), 0);

    ASSERT_TRUE(drv.Check(IDC_PS_LINK_STATUS, true));
    sim.ClearLog();
    Apply(drv, dlg, IDC_PS_APPLY_GLOBAL);
    EXPECT_EQ(SetTexts(sim.Requests()), std::vector<std::string>{".6.0=i:1"});
    WaitLoaded(dlg);
    EXPECT_EQ(sim.Get(kRoot + ".6.0"), "1");

    // A refused set is said and the device's value shown again (the read that meets the same refusal
    // may say so too).
    sim.ErrorStatus(kRoot + ".6.0", 5);
    ASSERT_TRUE(drv.Check(IDC_PS_LINK_STATUS, false));
    sim.ClearLog();
    Apply(drv, dlg, IDC_PS_APPLY_GLOBAL);
    EXPECT_EQ(SetTexts(sim.Requests()).size(), 1u);
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(
        boxes.Texts().back(),
        "The device did not accept the link status detection setting. The settings it holds are shown.");
    sim.ErrorStatus(kRoot + ".6.0", 0);
    EXPECT_EQ(sim.Get(kRoot + ".6.0"), "1");
}

TEST_F(PowerSaveDlgTest, NamesFromASlowWalkReachTheBoxesWhenItEnds) {
    // Each step answers after 300 ms: the walk takes well over the old fixed half second.
    sim.DelayMs(300);
    CPowerSaveDlg dlg;
    DialogDriver drv(dlg);
    EXPECT_EQ(Items(drv.ItemAs<QComboBox>(IDC_PS_PROFILE1)), std::vector<std::string>{"None"});
    // The user picks a type before the names came: its profiles are selected once they arrive.
    ASSERT_TRUE(drv.Select(IDC_PS_TYPE, 1));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PS_PROFILE1), "None");
    ASSERT_TRUE(WaitUntil([&] { return dlg.ProfileNamesLoaded(); }, 8000));
    EXPECT_EQ(Items(drv.ItemAs<QComboBox>(IDC_PS_PROFILE2)),
              (std::vector<std::string>{"None", "Night", "Weekend", "Holiday"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PS_PROFILE1), "Weekend");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PS_PROFILE2), "None");

    // A refresh while names are on their way shows only the later walk's names, once.
    sim.DelayMs(0);
    ASSERT_TRUE(drv.Click(IDC_PS_REFRESH));
    ASSERT_TRUE(drv.Click(IDC_PS_REFRESH));
    WaitLoaded(dlg);
    test::PumpEvents();
    EXPECT_EQ(Items(drv.ItemAs<QComboBox>(IDC_PS_PROFILE1)),
              (std::vector<std::string>{"None", "Night", "Weekend", "Holiday"}));
}

TEST_F(PowerSaveDlgTest, AnUnansweredReadLeavesTheListEmpty) {
    test::UseSimV1(sim, "300");
    sim.Silence(true);
    CPowerSaveDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return dlg.ProfileNamesLoaded(); }));
    EXPECT_EQ(drv.ItemAs<CListCtrlEx>(IDC_PS_SUMMARY)->GetItemCount(), 0);
    EXPECT_EQ(Items(drv.ItemAs<QComboBox>(IDC_PS_PROFILE1)), std::vector<std::string>{"None"});
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{kReadFailed});
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_PS_APPLY_GLOBAL));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_PS_APPLY_ENTRY));
}

// A function whose state is not a number, and a link-status switch missing from the reply, were not
// read: the summary shows nothing of the function, the dialog says so once, and neither Apply writes
// them back. A function that was read is written only once its type was picked (its values loaded).
TEST_F(PowerSaveDlgTest, ValuesNotReadAreSaidAndNeverWrittenBack) {
    sim.Set(kRoot + ".2.2.0", "s", "zz");
    sim.Omit(kRoot + ".6.0");
    CPowerSaveDlg dlg;
    DialogDriver drv(dlg);
    WaitLoaded(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{kReadFailed});
    EXPECT_EQ(Row(dlg, 1), (std::vector<std::string>{"Port_Shutoff", "", "", "", ""}));
    EXPECT_EQ(Row(dlg, 0)[1], "Enabled");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_PS_APPLY_GLOBAL));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_PS_APPLY_ENTRY));  // no type picked yet
    ASSERT_TRUE(drv.Select(IDC_PS_TYPE, 1));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_PS_APPLY_ENTRY));
    ASSERT_TRUE(drv.Select(IDC_PS_TYPE, 0));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_PS_APPLY_ENTRY));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PS_STATE), "Enabled");
    sim.ClearLog();
    ASSERT_TRUE(drv.Click(IDC_PS_APPLY_GLOBAL));
    ASSERT_TRUE(drv.Select(IDC_PS_TYPE, 1));
    ASSERT_TRUE(drv.Click(IDC_PS_APPLY_ENTRY));
    EXPECT_TRUE(SetTexts(sim.Requests()).empty());
    EXPECT_EQ(boxes.Count(), 1u);
}

// A profile name of the wrong type leaves the names not read: the entry Apply would otherwise write
// "None" over the device's profiles.
TEST_F(PowerSaveDlgTest, ProfileNamesNotReadKeepTheEntryApplyUnavailable) {
    sim.Set(kProfileNames + ".2", "i", "7");
    CPowerSaveDlg dlg;
    DialogDriver drv(dlg);
    WaitLoaded(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{kReadFailed});
    ASSERT_TRUE(drv.Select(IDC_PS_TYPE, 0));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_PS_APPLY_ENTRY));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_PS_APPLY_GLOBAL));
}

}  // namespace
