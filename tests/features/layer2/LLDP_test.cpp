// LLDP dialogs against the simulated switch: the global settings read and its texts, the timer checks
// with their accepted and refused values, the order of the timer writes, the state write and its
// retries; the remote neighbour list; the LLDP-MED list and range write, off the window's thread
// against a slow device.
#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <QCoreApplication>
#include <QDir>
#include <string>
#include <vector>

#include "features/layer2/LLDPGroup.h"
#include "features/layer2/LLDPMED.h"
#include "features/layer2/LLDPREMOTEINFO.h"
#include "features/layer2/LLDPText.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_lldp.h"
#include "res/resource.h"
#include "tests/features/DialogTest.h"
#include "tests/features/StepRunTest.h"

namespace {

using namespace ksx;
using namespace ksx::dialogtest;

const std::string kG = "1.3.6.1.4.1.7393.10.76.20.1.24";
const std::string kState = kG + ".1.0";
const std::string kHold = kG + ".2.0";
const std::string kInterval = kG + ".3.0";
const std::string kReinit = kG + ".4.0";
const std::string kTxDelay = kG + ".5.0";
const std::string kLoc = "1.0.8802.1.1.2.1.3";
const std::string kRem = "1.0.8802.1.1.2.1.4.1.1";
const size_t kCut = kG.size() + 1;  // set lines show "3.0=i:30"

class Lldp : public test::SharedSimTest {
protected:
    std::string Screens() {
        const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/layer2";
        QDir().mkpath(dir);
        test::PumpEvents();
        return dir.toStdString();
    }
    test::ScriptedMessageBox boxes;
};

// ---- texts ----

TEST(LldpText, SubtypeNames) {
    const char* local[] = {"chassisComponent", "interfaceAlias", "portComponent", "macAddress",
                           "networkAddress",   "interfaceName",  "local"};
    const char* chassis[] = {"ChassisComponent", "InterfaceAlias", "PortComponent", "MacAddress",
                             "NetworkAddress",   "InterfaceName",  "Local"};
    const char* port[] = {"InterfaceAlias", "PortComponent",  "MacAddress", "NetworkAddress",
                          "InterfaceName",  "AgentCircuitld", "Local"};
    for (int v = 1; v <= 7; ++v) {
        const std::string s = std::to_string(v);
        EXPECT_EQ(lldp::LocalChassisSubtypeText(s), local[v - 1]);
        EXPECT_EQ(lldp::RemoteChassisSubtypeText(s), chassis[v - 1]);
        EXPECT_EQ(lldp::RemotePortSubtypeText(s), port[v - 1]);
    }
    for (const char* other : {"0", "8", "", "17", "x"}) {
        EXPECT_EQ(lldp::LocalChassisSubtypeText(other), other);  // shown as read
        EXPECT_EQ(lldp::RemoteChassisSubtypeText(other), "");    // empty cell
        EXPECT_EQ(lldp::RemotePortSubtypeText(other), "");
    }
}

TEST(LldpText, ChassisIdShowsAtMostSixOctetsAndNoneThatAreNotThere) {
    EXPECT_EQ(lldp::ChassisIdText(std::string("\x00\x1e\x94\x4c\x20\x00", 6)), "00-1E-94-4C-20-00");
    EXPECT_EQ(lldp::ChassisIdText(std::string("\xaa\xbb\xcc\xdd\xee\xff\x11", 7)), "AA-BB-CC-DD-EE-FF");
    EXPECT_EQ(lldp::ChassisIdText("sw-3"), "73-77-2D-33");
    EXPECT_EQ(lldp::ChassisIdText(""), "");
}

TEST(LldpText, TimerChecksInOrderWithTheirLimits) {
    // multiplier, interval, reinit, TX delay
    EXPECT_EQ(lldp::CheckTimers(10, 6553, 1, 1), "");
    EXPECT_EQ(lldp::CheckTimers(10, 6554, 1, 1),
              "(Message TX Interval * Message TX Hold Multiplier) > 65535. ");
    EXPECT_EQ(lldp::CheckTimers(2, 32768, 1, 1),
              "(Message TX Interval * Message TX Hold Multiplier) > 65535. ");
    EXPECT_EQ(lldp::CheckTimers(2, 32767, 1, 1), "");
    EXPECT_EQ(lldp::CheckTimers(4, 5, 1, 1), "");
    EXPECT_EQ(lldp::CheckTimers(4, 5, 1, 2), "LLDP TX Delay should be <= 0.25 * (Message TX Interval)");
    EXPECT_EQ(lldp::CheckTimers(1, 30, 2, 2), "The Message TX Hold Multipier should be 2-10");
    EXPECT_EQ(lldp::CheckTimers(11, 30, 2, 2), "The Message TX Hold Multipier should be 2-10");
    EXPECT_EQ(lldp::CheckTimers(4, 4, 2, 2), "The Message TX Interval should be 5-32768");
    EXPECT_EQ(lldp::CheckTimers(2, 32769, 2, 2), "The Message TX Interval should be 5-32768");
    EXPECT_EQ(lldp::CheckTimers(2, 30000, 2, 0), "The LLDP TX Delay should be 1-8192");
    EXPECT_EQ(lldp::CheckTimers(2, 32767, 2, 8193), "The LLDP TX Delay should be 1-8192");
    EXPECT_EQ(lldp::CheckTimers(4, 30, 0, 2), "The LLDP Reinit Delay should be 1-10");
    EXPECT_EQ(lldp::CheckTimers(4, 30, 11, 2), "The LLDP Reinit Delay should be 1-10");
    // The first failing check speaks: multiplier before everything else.
    EXPECT_EQ(lldp::CheckTimers(0, 0, 0, 0), "The Message TX Hold Multipier should be 2-10");
}

// ---- global settings ----

class LldpGroup : public Lldp {
protected:
    static void WaitRead(CLLDPGroup& dlg) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_LLDP_ENABLE_APPLY); }));
    }
    // Clicks `id` and waits for the write it starts to end.
    static void Apply(DialogDriver& drv, CLLDPGroup& dlg, int id) {
        ASSERT_TRUE(drv.Click(id));
        ASSERT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }, 30000));
    }
    // Device timers, then the dialog opened on them with the settling pauses shortened.
    void Device(const char* hold, const char* interval, const char* reinit, const char* delay) {
        s_sim->Set(kHold, "i", hold);
        s_sim->Set(kInterval, "i", interval);
        s_sim->Set(kReinit, "i", reinit);
        s_sim->Set(kTxDelay, "i", delay);
    }
    void Type(DialogDriver& drv, const char* hold, const char* interval, const char* reinit,
              const char* delay) {
        ASSERT_TRUE(drv.Type(IDC_LLDP_HOLD, hold));
        ASSERT_TRUE(drv.Type(IDC_LLDP_INTERVAL, interval));
        ASSERT_TRUE(drv.Type(IDC_LLDP_REINIT, reinit));
        ASSERT_TRUE(drv.Type(IDC_LLDP_TX_DELAY, delay));
    }
};

TEST_F(LldpGroup, ShowsStateTimersAndTheLocalSystem) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_LLDP_GLOBAL));
    CLLDPGroup dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "LLDP Global Settings");
    EXPECT_EQ(RequestLines(s_sim->Requests()),
              std::vector<std::string>{"get " + kState + "=n: " + kHold + "=n: " + kInterval + "=n: " +
                                       kReinit + "=n: " + kTxDelay + "=n: " + kLoc + ".1.0=n: " + kLoc +
                                       ".2.0=n: " + kLoc + ".3.0=n: " + kLoc + ".4.0=n:"});
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_LLDP_ENABLE), 1);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_LLDP_HOLD), "4");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_LLDP_INTERVAL), "30");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_LLDP_REINIT), "2");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_LLDP_TX_DELAY), "2");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_LLDP_CHASSIS_SUBTYPE), "macAddress");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_LLDP_CHASSIS_ID), "00-1E-94-4C-20-00");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_LLDP_SYS_NAME), "KSX-4200-28Z1");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_LLDP_SYS_DESC), "KSX-4200-28Z1 Managed Switch");
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_LLDP_TIMER_APPLY));
    EXPECT_TRUE(test::GrabScreenshot(&dlg, Screens() + "/lldp_global.png"));
}

TEST_F(LldpGroup, DisabledDeviceShowsTimersThatCannotBeApplied) {
    s_sim->Set(kState, "i", "2");
    s_sim->Set(kLoc + ".1.0", "i", "7");
    s_sim->Set(kLoc + ".2.0", "x", "7377");  // a locally assigned chassis ID of two octets
    CLLDPGroup dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_LLDP_ENABLE), 0);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_LLDP_INTERVAL), "30");
    for (int id :
         {IDC_LLDP_HOLD, IDC_LLDP_INTERVAL, IDC_LLDP_REINIT, IDC_LLDP_TX_DELAY, IDC_LLDP_TIMER_APPLY}) {
        EXPECT_FALSE(dlg.IsDlgItemEnabled(id)) << id;
    }
    EXPECT_EQ(dlg.GetDlgItemText(IDC_LLDP_CHASSIS_SUBTYPE), "local");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_LLDP_CHASSIS_ID), "73-77");
}

TEST_F(LldpGroup, RefusedTimersSendNothing) {
    CLLDPGroup dlg;
    dlg.SetSettleTimes(0, 0);
    DialogDriver drv(dlg);
    WaitRead(dlg);
    struct Case {
        const char *hold, *interval, *reinit, *delay, *message;
    };
    const Case cases[] = {
        {"10", "6554", "2", "2", "(Message TX Interval * Message TX Hold Multiplier) > 65535. "},
        {"2", "32768", "2", "2", "(Message TX Interval * Message TX Hold Multiplier) > 65535. "},
        {"4", "5", "2", "2", "LLDP TX Delay should be <= 0.25 * (Message TX Interval)"},
        {"", "30", "2", "2", "The Message TX Hold Multipier should be 2-10"},
        {"4", "30", "11", "2", "The LLDP Reinit Delay should be 1-10"},
    };
    for (const Case& c : cases) {
        Type(drv, c.hold, c.interval, c.reinit, c.delay);
        boxes.Clear();
        s_sim->ClearLog();
        ASSERT_TRUE(drv.Click(IDC_LLDP_TIMER_APPLY));
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{c.message});
        EXPECT_TRUE(s_sim->Requests().empty()) << c.message;
        EXPECT_EQ(dlg.GetDlgItemText(IDC_LLDP_INTERVAL), c.interval);  // the typed values stay
    }
}

TEST_F(LldpGroup, TimerWritesFollowTheOldAndNewValues) {
    struct Case {
        const char* name;
        const char *oldHold, *oldInterval, *oldDelay;
        const char *hold, *interval, *reinit, *delay;
        std::vector<std::string> sets;
    };
    const std::string delay = "5.0=i:", reinit = "4.0=i:", interval = "3.0=i:", hold = "2.0=i:";
    const Case cases[] = {
        // The device holds TX delay 8 and interval 40; the user lowers them to 4 and 20: delay first.
        {"delay first",
         "4",
         "40",
         "8",
         "4",
         "20",
         "2",
         "4",
         {delay + "4", hold + "4", delay + "4 " + reinit + "2 " + interval + "20",
          delay + "4 " + reinit + "2 " + interval + "20"}},
        {"delay first, multiplier late",
         "2",
         "30000",
         "8",
         "4",
         "20",
         "2",
         "4",
         {delay + "4", delay + "4 " + reinit + "2 " + interval + "20", hold + "4",
          delay + "4 " + reinit + "2 " + interval + "20"}},
        {"interval first, multiplier late",
         "2",
         "30000",
         "2",
         "3",
         "20000",
         "5",
         "2",
         {interval + "20000", hold + "3", interval + "20000 " + reinit + "5 " + delay + "2"}},
        {"multiplier first",
         "4",
         "30",
         "2",
         "5",
         "40",
         "3",
         "10",
         {hold + "5", interval + "40", interval + "40 " + reinit + "3 " + delay + "10"}},
    };
    for (const Case& c : cases) {
        Device(c.oldHold, c.oldInterval, "2", c.oldDelay);
        CLLDPGroup dlg;
        dlg.SetSettleTimes(0, 0);
        DialogDriver drv(dlg);
        WaitRead(dlg);
        Type(drv, c.hold, c.interval, c.reinit, c.delay);
        s_sim->ClearLog();
        Apply(drv, dlg, IDC_LLDP_TIMER_APPLY);
        EXPECT_EQ(SetLines(s_sim->Requests(), kCut), c.sets) << c.name;
        for (const test::SimRequest& r : test::Sets(s_sim->Requests())) {
            EXPECT_EQ(r.principal, "harbour");
        }
        EXPECT_EQ(s_sim->Get(kInterval), c.interval) << c.name;
        EXPECT_EQ(s_sim->Get(kHold), c.hold) << c.name;
        // The values are read back.
        ASSERT_TRUE(WaitUntil([&] { return test::OfKind(s_sim->Requests(), "get").size() == 1; }));
    }
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(LldpGroup, StateWriteIsTriedThreeTimesThenReread) {
    CLLDPGroup dlg;
    dlg.SetSettleTimes(0, 0);
    DialogDriver drv(dlg);
    WaitRead(dlg);
    ASSERT_TRUE(drv.Check(IDC_LLDP_ENABLE, false));
    s_sim->ClearLog();
    Apply(drv, dlg, IDC_LLDP_ENABLE_APPLY);
    EXPECT_EQ(SetLines(s_sim->Requests(), kCut), std::vector<std::string>{"1.0=i:2"});
    ASSERT_TRUE(WaitUntil([&] { return !dlg.IsDlgItemEnabled(IDC_LLDP_TIMER_APPLY); }));
    EXPECT_EQ(s_sim->Get(kState), "2");
    WaitRead(dlg);  // the read after the write has ended: Apply takes the next click

    // A refused write (error status, not only a missing reply) is a failure: three tries, then it is said.
    s_sim->ErrorStatus(kState, 5);
    ASSERT_TRUE(drv.Check(IDC_LLDP_ENABLE, true));
    s_sim->ClearLog();
    Apply(drv, dlg, IDC_LLDP_ENABLE_APPLY);
    EXPECT_EQ(SetLines(s_sim->Requests(), kCut), (std::vector<std::string>{"1.0=i:1", "1.0=i:1", "1.0=i:1"}));
    s_sim->ErrorStatus(kState, 0);
    EXPECT_EQ(s_sim->Get(kState), "2");
    // The read that follows may still meet the refusal, and then says so too.
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(boxes.Texts().front(),
              "The device did not accept the LLDP state. The settings it holds are shown.");
}

// A write that gets no answer (a wrong write community) is not tried again: it ends after one time-out,
// not three with their pauses, and the failure is said.
TEST_F(LldpGroup, AnUnansweredStateWriteHoldsTheWindowOneTimeOutAtMost) {
    test::UseSimV1(*s_sim, "1000");
    g_strWriteCommunity = "wrong";
    CLLDPGroup dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    ASSERT_TRUE(drv.Check(IDC_LLDP_ENABLE, false));
    QElapsedTimer took;
    took.start();
    Apply(drv, dlg, IDC_LLDP_ENABLE_APPLY);
    EXPECT_LT(took.elapsed(), 1800);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{
                                 "The device did not answer: it did not confirm whether the LLDP state was "
                                 "written. The settings it holds are shown."});
    EXPECT_EQ(s_sim->Get(kState), "1");
    WaitRead(dlg);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_LLDP_ENABLE), 1);  // the device's state again
}

// A refused step of the timer write ends it and is said; values of another type are not read: the
// dialog says so, and the writes that would put them back stay unavailable.
TEST_F(LldpGroup, RefusedTimerStepsAndValuesNotReadAreSaid) {
    {
        Device("4", "30", "2", "2");
        test::UseSimV1(*s_sim, "500");
        g_strWriteCommunity = "wrong";  // no answer to any write
        CLLDPGroup dlg;
        dlg.SetSettleTimes(0, 0);
        DialogDriver drv(dlg);
        WaitRead(dlg);
        Type(drv, "5", "40", "3", "10");  // the multiplier goes first, alone
        s_sim->ClearLog();
        Apply(drv, dlg, IDC_LLDP_TIMER_APPLY);
        test::UseSimV1(*s_sim);
        const auto sets = test::Sets(s_sim->Requests());
        ASSERT_FALSE(sets.empty());
        for (const test::SimRequest& r : sets) {
            EXPECT_EQ(test::BindingText(r.varbinds[0], kCut), "2.0=i:5");  // resends of the first step only
        }
        EXPECT_EQ(boxes.Texts(),
                  std::vector<std::string>{"The device did not answer: it did not confirm whether "
                                           "the LLDP timers were written. The settings it holds "
                                           "are shown."});
        ASSERT_TRUE(WaitUntil([&] { return dlg.GetDlgItemText(IDC_LLDP_HOLD) == "4"; }));
    }
    boxes.Clear();
    s_sim->Set(kState, "s", "zz");
    s_sim->Set(kInterval, "s", "30");
    CLLDPGroup dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(boxes.WaitForCount(1));
    EXPECT_EQ(boxes.LastText(), "Failed to read the LLDP global settings.");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_LLDP_ENABLE_APPLY));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_LLDP_TIMER_APPLY));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_LLDP_INTERVAL), "");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_LLDP_SYS_NAME), "KSX-4200-28Z1");  // what was read is shown
    s_sim->ClearLog();
    dlg.OnBUTTONLldpEnableApply();
    dlg.OnApplyTimers();
    EXPECT_TRUE(test::Sets(s_sim->Requests()).empty());
}

// Answers 1 s late: the timer write leaves the window live with its progress shown; Close during its
// second request says the timers unconfirmed and sends nothing more.
TEST_F(LldpGroup, SlowDeviceTimerWriteStaysLiveAndCloseStopsIt) {
    CLLDPGroup dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    Type(drv, "5", "40", "3", "10");
    test::SlowRun run(*s_sim);
    ASSERT_NO_FATAL_FAILURE(
        run.Click(dlg, drv, IDC_LLDP_TIMER_APPLY, {IDC_LLDP_TIMER_APPLY}, 2, "Writing the LLDP timers..."));
    ASSERT_NO_FATAL_FAILURE(
        run.Close(drv, boxes, {"Stopped: the device did not confirm whether the LLDP timers were written."}));
    EXPECT_EQ(SetLines(test::DistinctRequests(*s_sim), kCut),
              (std::vector<std::string>{"2.0=i:5", "3.0=i:40"}));
}

TEST_F(LldpGroup, NothingIsWrittenBeforeTheStateWasRead) {
    // Before a read the box is clear; writing it would switch LLDP off unasked.
    s_sim->Silence(true);
    CLLDPGroup dlg;
    dlg.SetSettleTimes(0, 0);
    DialogDriver drv(dlg);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_LLDP_ENABLE_APPLY));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_LLDP_TIMER_APPLY));
    dlg.OnBUTTONLldpEnableApply();
    dlg.OnApplyTimers();
    s_sim->Silence(false);
    EXPECT_TRUE(test::Sets(s_sim->Requests()).empty());
    EXPECT_EQ(s_sim->Get(kState), "1");
}

// ---- remote neighbours ----

class LldpRemote : public Lldp {
protected:
    static void WaitWalked(CLLDPREMOTEINFO& dlg) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_LLDPR_REFRESH); }));
    }
};

TEST_F(LldpRemote, ListsEveryNeighbourWithItsLocalPortAndNames) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_LLDP_REMOTE));
    CLLDPREMOTEINFO dlg;
    DialogDriver drv(dlg);
    WaitWalked(dlg);
    const auto log = RequestLines(s_sim->Requests());
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0], "get " + kState + "=n:");
    EXPECT_EQ(log[1], "getnext " + kRem + ".4=n: " + kRem + ".5=n: " + kRem + ".6=n: " + kRem +
                          ".7=n: " + kRem + ".8=n: " + kRem + ".9=n: " + kRem + ".10=n:");
    ASSERT_EQ(drv.Rows(IDC_LLDPR_LIST), 4);
    EXPECT_EQ(
        drv.Row(IDC_LLDPR_LIST, 0),
        (std::vector<std::string>{"5", "  1", "MacAddress", "00-04-F2-A1-B2-C3", "MacAddress",
                                  "00:04:f2:a1:b2:c3", "LAN port", "SEP0004F2A1B2C3", "IP phone 7940"}));
    EXPECT_EQ(drv.Row(IDC_LLDPR_LIST, 1),
              (std::vector<std::string>{"5", "  2", "MacAddress", "00-E0-FC-11-22-33", "InterfaceName",
                                        "Gi0/7", "GigabitEthernet0/7", "floor-2", "Access switch, rev 3"}));
    // A locally assigned chassis ID of four octets shows those four.
    EXPECT_EQ(drv.Row(IDC_LLDPR_LIST, 2),
              (std::vector<std::string>{"25", "  3", "Local", "73-77-2D-33", "Local", "48", "uplink", "sw-3",
                                        "Core switch"}));
    EXPECT_EQ(drv.Cell(IDC_LLDPR_LIST, 3, 0), "26");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_LLDPR_COUNT), "  4");
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_LLDPR_LIST));
    EXPECT_TRUE(test::GrabScreenshot(&dlg, Screens() + "/lldp_remote.png"));

    s_sim->Set(kRem + ".4.0.5.1", "i", "9");  // an unknown subtype: empty cell
    ASSERT_TRUE(drv.Click(IDC_LLDPR_REFRESH));
    WaitWalked(dlg);
    EXPECT_EQ(drv.Cell(IDC_LLDPR_LIST, 0, 2), "");
    EXPECT_EQ(drv.Rows(IDC_LLDPR_LIST), 4);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(LldpRemote, DisabledLldpGreysTheListButStillWalks) {
    s_sim->Set(kState, "i", "2");
    CLLDPREMOTEINFO dlg;
    DialogDriver drv(dlg);
    WaitWalked(dlg);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_LLDPR_LIST));
    EXPECT_EQ(drv.Rows(IDC_LLDPR_LIST), 4);
}

TEST_F(LldpRemote, FailedStateReadSaysSoAndRefreshStillWalks) {
    s_sim->ErrorStatus(kState, 5);
    CLLDPREMOTEINFO dlg;
    DialogDriver drv(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Get LLDP remote port information unsuccessful!"});
    EXPECT_EQ(drv.Rows(IDC_LLDPR_LIST), 0);
    ASSERT_TRUE(drv.Click(IDC_LLDPR_REFRESH));
    WaitWalked(dlg);
    s_sim->ErrorStatus(kState, 0);
    EXPECT_EQ(drv.Rows(IDC_LLDPR_LIST), 4);
}

TEST_F(LldpRemote, EmptyTableEndsQuietly) {
    for (int c = 4; c <= 10; ++c) {
        for (const char* row : {".0.5.1", ".0.5.2", ".0.25.1", ".120.26.3"}) {
            s_sim->Command("unset " + kRem + "." + std::to_string(c) + row);
        }
    }
    CLLDPREMOTEINFO dlg;
    DialogDriver drv(dlg);
    WaitWalked(dlg);
    EXPECT_EQ(drv.Rows(IDC_LLDPR_LIST), 0);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_LLDPR_COUNT), "0");
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{});
}

TEST_F(LldpRemote, OtherSnmpVersionsStartEmptyUntilRefresh) {
    test::UseSimV3(*s_sim, "1", "noauthuser", "1", "", "1", "");
    CLLDPREMOTEINFO dlg;
    DialogDriver drv(dlg);
    test::PumpEvents();
    EXPECT_TRUE(s_sim->Requests().empty());
    EXPECT_EQ(dlg.GetDlgItemText(IDC_LLDPR_COUNT), "0");
    ASSERT_TRUE(drv.Click(IDC_LLDPR_REFRESH));
    WaitWalked(dlg);
    EXPECT_EQ(drv.Rows(IDC_LLDPR_LIST), 4);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_LLDPR_COUNT), "  4");
}

TEST(LldpRemotePort, IsTheSecondToLastNumberOfTheIndex) {
    EXPECT_EQ(CLLDPREMOTEINFO::LocalPortOf(".0.5.1"), "5");
    EXPECT_EQ(CLLDPREMOTEINFO::LocalPortOf(".120.26.3"), "26");
    EXPECT_EQ(CLLDPREMOTEINFO::LocalPortOf(".7"), "");
    EXPECT_EQ(CLLDPREMOTEINFO::LocalPortOf(""), "");
}

// ---- LLDP-MED ----

class LldpMed : public Lldp {
protected:
    static void WaitWalked(CLLDPMED& dlg) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_MED_REFRESH); }));
    }
    // The state read, or Apply's writes, ended.
    static void WaitRun(CLLDPMED& dlg) {
        ASSERT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }));
    }
};

TEST_F(LldpMed, ListsEachRowUnderItsOwnPort) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_LLDP_MED));
    s_sim->Command("unset " + kG + ".7.1.2.2");  // no row for port 2
    CLLDPMED dlg;
    DialogDriver drv(dlg);
    WaitRun(dlg);
    WaitWalked(dlg);
    ASSERT_EQ(drv.Rows(IDC_MED_LIST), 27);
    EXPECT_EQ(drv.Row(IDC_MED_LIST, 0), (std::vector<std::string>{"    1", "Enable"}));
    EXPECT_EQ(drv.Row(IDC_MED_LIST, 1), (std::vector<std::string>{"    3", "Disable"}));
    EXPECT_EQ(drv.Row(IDC_MED_LIST, 26), (std::vector<std::string>{"    28", "Enable"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_MED_FROM), "   1 ");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_MED_TLV), "Disable");
    EXPECT_TRUE(test::GrabScreenshot(&dlg, Screens() + "/lldp_med.png"));
}

TEST_F(LldpMed, RangeWriteSendsOneRequestPerPortAndRangeStaysOrdered) {
    CLLDPMED dlg;
    dlg.SetSettleTime(0);
    DialogDriver drv(dlg);
    WaitRun(dlg);
    WaitWalked(dlg);
    ASSERT_TRUE(drv.Select(IDC_MED_FROM, 5));  // From 6 moves To to 6
    EXPECT_EQ(dlg.GetDlgItemText(IDC_MED_TO), "   6 ");
    ASSERT_TRUE(drv.Select(IDC_MED_TO, 1));  // To 2 is refused
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"'To Port' can not be smaller than 'From Port'"});
    EXPECT_EQ(dlg.GetDlgItemText(IDC_MED_TO), "   6 ");

    ASSERT_TRUE(drv.Select(IDC_MED_FROM, 2));
    ASSERT_TRUE(drv.Select(IDC_MED_TO, 4));
    ASSERT_TRUE(drv.Select(IDC_MED_TLV, 0));
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_MED_APPLY));
    WaitRun(dlg);
    EXPECT_EQ(SetLines(s_sim->Requests(), kCut),
              (std::vector<std::string>{"7.1.2.3=i:1", "7.1.2.4=i:1", "7.1.2.5=i:1"}));
    WaitWalked(dlg);
    EXPECT_EQ(drv.Row(IDC_MED_LIST, 3), (std::vector<std::string>{"    4", "Enable"}));
}

TEST_F(LldpMed, DisabledLldpSaysSoGreysTheFormAndStillLists) {
    s_sim->Set(kState, "i", "2");
    CLLDPMED dlg;
    DialogDriver drv(dlg);
    WaitRun(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"The LLDP is disable ,so can not set LLDP MED !"});
    ASSERT_TRUE(WaitUntil([&] { return drv.Rows(IDC_MED_LIST) == 28; }));
    for (int id : {IDC_MED_FROM, IDC_MED_TO, IDC_MED_TLV, IDC_MED_LIST, IDC_MED_APPLY}) {
        EXPECT_FALSE(dlg.IsDlgItemEnabled(id)) << id;
    }
}

// A state not read (a dead device, a value of another type) leaves nothing writable and is said; a
// refused port ends the range write, is named and the table is read again.
TEST_F(LldpMed, AStateNotReadBlocksTheWriteAndARefusedPortIsSaid) {
    test::UseSimV1(*s_sim, "300");
    s_sim->Silence(true);
    {
        CLLDPMED dlg;
        DialogDriver drv(dlg);
        WaitRun(dlg);
        EXPECT_EQ(boxes.Texts(),
                  std::vector<std::string>{"Failed to read the LLDP state; press Refresh to try again."});
        EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_MED_APPLY));
        EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_MED_REFRESH));
        s_sim->Silence(false);
        s_sim->ClearLog();
        drv.Click(IDC_MED_APPLY);
        WaitRun(dlg);
        EXPECT_TRUE(test::Sets(s_sim->Requests()).empty());
    }
    test::UseSimV1(*s_sim);
    boxes.Clear();
    s_sim->Set(kState, "s", "zz");
    {
        CLLDPMED dlg;
        DialogDriver drv(dlg);
        WaitRun(dlg);
        EXPECT_EQ(boxes.Texts(),
                  std::vector<std::string>{"Failed to read the LLDP state; press Refresh to try again."});
        EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_MED_APPLY));
    }
    s_sim->Set(kState, "i", "1");
    boxes.Clear();
    CLLDPMED dlg;
    dlg.SetSettleTime(0);
    DialogDriver drv(dlg);
    WaitRun(dlg);
    WaitWalked(dlg);
    ASSERT_TRUE(drv.Select(IDC_MED_FROM, 2));
    ASSERT_TRUE(drv.Select(IDC_MED_TO, 5));
    ASSERT_TRUE(drv.Select(IDC_MED_TLV, 0));
    s_sim->RefuseWrites(kG + ".7.1.2.4", 5);
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_MED_APPLY));
    WaitRun(dlg);
    s_sim->RefuseWrites(kG + ".7.1.2.4", 0);
    EXPECT_EQ(SetLines(s_sim->Requests(), kCut), (std::vector<std::string>{"7.1.2.3=i:1", "7.1.2.4=i:1"}));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{
                                 "The device did not accept the Power PSE TLV setting of port 4. 1 of 4 "
                                 "ports were written; ports 5-6 were not written. The settings it holds "
                                 "are shown."});

    // Closed in the device's settling time after the refusal: the refusal still stands.
    dlg.SetSettleTime(60000);
    WaitWalked(dlg);
    boxes.Clear();
    s_sim->RefuseWrites(kG + ".7.1.2.4", 5);
    ASSERT_TRUE(drv.Click(IDC_MED_APPLY));
    ASSERT_TRUE(WaitUntil([&] { return dlg.Settling(); }));
    drv.CloseBox();
    ASSERT_TRUE(drv.WaitEnded());
    s_sim->RefuseWrites(kG + ".7.1.2.4", 0);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"The device did not accept the Power PSE TLV setting of "
                                       "port 4. 1 of 4 ports were written; ports 5-6 were not "
                                       "written."});
}

// Answers 1 s late: the range write leaves the window live, shows its
// progress after a second and keeps Apply and Refresh unavailable; Close during the second port says
// what was and was not confirmed and sends nothing more.
TEST_F(LldpMed, SlowDeviceRangeWriteStaysLiveAndCloseSaysWhatWasConfirmed) {
    CLLDPMED dlg;
    dlg.SetSettleTime(0);
    DialogDriver drv(dlg);
    WaitWalked(dlg);
    ASSERT_TRUE(drv.Select(IDC_MED_FROM, 2));
    ASSERT_TRUE(drv.Select(IDC_MED_TO, 5));
    test::SlowRun run(*s_sim);
    ASSERT_NO_FATAL_FAILURE(run.Click(dlg, drv, IDC_MED_APPLY, {IDC_MED_APPLY, IDC_MED_REFRESH}, 2,
                                      "Writing port 4 (2 of 4)..."));
    EXPECT_TRUE(test::GrabScreenshot(&dlg, Screens() + "/lldp_med_writing.png"));
    ASSERT_NO_FATAL_FAILURE(run.Close(drv, boxes,
                                      {"Stopped: 1 of 4 ports were written; the device did not "
                                       "confirm whether port 4 was written; ports 5-6 were "
                                       "not written."}));
    EXPECT_EQ(SetLines(test::DistinctRequests(*s_sim), kCut),
              (std::vector<std::string>{"7.1.2.3=i:2", "7.1.2.4=i:2"}));
}

// A slow device that falls silent at the second port: the write ends there and says that port is
// unconfirmed and the rest not written; the table is read again.
TEST_F(LldpMed, SlowDeviceFallingSilentHalfwayEndsTheWriteThere) {
    CLLDPMED dlg;
    dlg.SetSettleTime(0);
    DialogDriver drv(dlg);
    WaitWalked(dlg);
    ASSERT_TRUE(drv.Select(IDC_MED_FROM, 2));
    ASSERT_TRUE(drv.Select(IDC_MED_TO, 5));
    test::SlowRun run(*s_sim);
    ASSERT_TRUE(drv.Click(IDC_MED_APPLY));
    ASSERT_TRUE(WaitUntil([&] { return test::DistinctRequests(*s_sim).size() >= 2; }, 30000));
    s_sim->Silence(true);
    ASSERT_TRUE(boxes.WaitForCount(1, 30000));
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"The device did not answer: 1 of 4 ports were written; it did "
                                       "not confirm whether port 4 was written; ports 5-6 were not "
                                       "written. The settings it holds are shown."});
    EXPECT_EQ(SetLines(test::DistinctRequests(*s_sim), kCut),
              (std::vector<std::string>{"7.1.2.3=i:2", "7.1.2.4=i:2"}));
    EXPECT_LT(run.MaxGapMs(), 250);
    s_sim->Silence(false);
}

}  // namespace
