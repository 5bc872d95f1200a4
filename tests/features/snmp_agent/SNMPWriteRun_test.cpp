// The agent dialogs' adds, deletes and trap-switch writes off the window's thread, against a device that
// answers each request late, stops answering in the middle of an add, or is left by a Close: the window
// keeps taking events, shows the step under way, sends exactly the requests of the sequence, sends
// nothing after the one in flight once closed, and says what was and was not done.
#include <gtest/gtest.h>

#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "features/snmp_agent/SNMPCommunity.h"
#include "features/snmp_agent/SNMPHost.h"
#include "features/snmp_agent/SNMPTrapSetting.h"
#include "features/snmp_agent/SNMPUser.h"
#include "features/snmp_agent/SNMPViewTree.h"
#include "platform/sys/Tunable.h"
#include "res/ids_snmp_agent.h"
#include "tests/features/StepRunTest.h"
#include "tests/features/snmp_agent/SnmpAgentTest.h"

namespace {

using namespace ksx;
using namespace ksx::snmpagenttest;
using test::DialogDriver;
using test::DistinctSets;
using test::TickGap;
using test::WaitUntil;

class AgentWrites : public AgentSimTest {
protected:
    // The sets the device received, each once, without the "set " in front.
    static std::vector<std::string> SetLines() {
        std::vector<std::string> out;
        for (const std::string& line : Lines(DistinctSets(*s_sim))) {
            out.push_back(line.substr(4));
        }
        return out;
    }
    template <class Dialog>
    static void WaitRead(Dialog& dlg, int reads) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.ReadsEnded() >= reads; }, 20000));
    }
    // A V3 user with authentication and privacy: five requests.
    static void FillUser(DialogDriver& drv) {
        ASSERT_TRUE(drv.Type(IDC_USER_NAME, "ops"));
        ASSERT_TRUE(drv.Type(IDC_USER_GROUP, "admin"));
        ASSERT_TRUE(drv.Select(IDC_USER_VERSION, 2));
        ASSERT_TRUE(drv.Check(IDC_USER_ENCRYPTED, true));
        ASSERT_TRUE(drv.Select(IDC_USER_AUTH, 1));
        ASSERT_TRUE(drv.Select(IDC_USER_PRIV, 0));
        ASSERT_TRUE(drv.Type(IDC_USER_AUTH_PASSWORD, "authpass1"));
        ASSERT_TRUE(drv.Type(IDC_USER_PRIV_PASSWORD, "privpass1"));
    }
    static void FillCommunity(DialogDriver& drv) {
        ASSERT_TRUE(drv.Type(IDC_COMM_NAME, "ops"));
        ASSERT_TRUE(drv.SelectText(IDC_COMM_USER, "private"));
    }
    // Closes a `Dialog` filled by `fill` while request `inFlight` (1-based) of its add is on its way.
    // The device answers each request a second late and applies it then, or (`lost`) drops it
    // unapplied; `applied` tells when the late request has been applied.
    template <class Dialog>
    void CloseAddAt(void (*fill)(DialogDriver&), int apply, int close, size_t inFlight, bool lost,
                    const std::function<bool()>& applied) {
        Dialog dlg;
        DialogDriver drv(dlg);
        WaitRead(dlg, 1);
        fill(drv);
        s_sim->DelayMs(1000);
        s_sim->ClearLog();
        ASSERT_TRUE(drv.Click(apply));
        ASSERT_TRUE(
            WaitUntil([&] { return DistinctSets(*s_sim).size() >= inFlight - (lost ? 1 : 0); }, 20000));
        if (lost) {
            s_sim->DropPercent(100);  // the one answered late goes through, the next is lost
            ASSERT_TRUE(WaitUntil([&] { return DistinctSets(*s_sim).size() >= inFlight; }, 20000));
        }
        ASSERT_TRUE(drv.Click(close));
        ASSERT_TRUE(drv.WaitEnded());
        ASSERT_TRUE(WaitUntil(applied, 20000));
        ClearFaults();
        s_sim->ClearLog();
    }
    // Opens a `Dialog` again and adds the same entry: it is listed, its row is active, nothing but `told`
    // is told.
    template <class Dialog>
    void AddAgain(void (*fill)(DialogDriver&), int apply, int list, const std::string& statusOid,
                  const std::vector<std::string>& row, const std::vector<std::string>& told = {}) {
        Dialog dlg;
        DialogDriver drv(dlg);
        WaitRead(dlg, 1);
        fill(drv);
        ASSERT_TRUE(drv.Click(apply));
        WaitRead(dlg, 2);
        EXPECT_FALSE(dlg.Writing());
        bool listed = false;
        for (int r = 0; r < drv.Rows(list); ++r) {
            std::vector<std::string> cells = drv.Row(list, r);
            cells.resize(row.size());
            listed = listed || cells == row;
        }
        EXPECT_TRUE(listed);
        EXPECT_EQ(s_sim->Get(statusOid), "1");
        EXPECT_EQ(boxes.Texts(), told);
    }
    static std::vector<std::string> UserSequence() {
        const std::string key = NameIndex("ops") + ".3";
        return {".2.1.1.8" + key + "=i:5", ".2.1.1.3" + key + "=s:admin",
                ".2.1.1.4" + key + "=i:3 .2.1.1.6" + key + "=i:2",
                ".2.1.1.5" + key + "=s:authpass1 .2.1.1.7" + key + "=s:privpass1", ".2.1.1.8" + key + "=i:1"};
    }
};

TEST_F(AgentWrites, ASlowAddKeepsTheWindowLiveShowsItsStepAndSendsTheSameRequests) {
    CSNMPUser dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg, 1);
    FillUser(drv);
    s_sim->DelayMs(1000);
    s_sim->ClearLog();
    TickGap ticks;
    ASSERT_TRUE(drv.Click(IDC_USER_APPLY));
    EXPECT_TRUE(dlg.Writing());
    for (int id : {IDC_USER_APPLY, IDC_USER_DELETE, IDC_USER_REFRESH, IDC_USER_CANCEL}) {
        EXPECT_FALSE(dlg.IsDlgItemEnabled(id)) << id;
    }
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_USER_CLOSE));
    EXPECT_FALSE(dlg.Run().ProgressShown());  // not in the first second
    // The three requests of the user's columns are one step.
    ASSERT_TRUE(WaitUntil(
        [&] {
            return dlg.Run().ProgressShown() &&
                   dlg.Run().ProgressText() == "Adding the user: writing its settings...";
        },
        20000));
    ASSERT_TRUE(WaitUntil([&] { return !dlg.Writing(); }, 30000));
    EXPECT_LT(ticks.MaxGapMs(), 250);
    EXPECT_FALSE(dlg.Run().ProgressShown());
    s_sim->DelayMs(0);
    EXPECT_EQ(SetLines(), UserSequence());
    WaitRead(dlg, 2);
    EXPECT_EQ(drv.Row(IDC_USER_LIST, 0), (std::vector<std::string>{"ops", "admin", "V3", "SHA", "DES_CBC"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_USER_NAME), "");
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_USER_APPLY));
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(AgentWrites, CloseDuringAnAddStopsItAfterTheRequestInFlightAndSaysSo) {
    CSNMPUser dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg, 1);
    FillUser(drv);
    s_sim->DelayMs(1000);
    s_sim->ClearLog();
    TickGap ticks;
    ASSERT_TRUE(drv.Click(IDC_USER_APPLY));
    // The row is created; its group name is in flight.
    ASSERT_TRUE(WaitUntil(
        [&] {
            return dlg.Run().ProgressText() == "Adding the user: writing its settings..." &&
                   DistinctSets(*s_sim).size() >= 2;
        },
        20000));
    const long long liveGapMs = ticks.MaxGapMs();  // while the run went on
    ASSERT_TRUE(drv.Click(IDC_USER_CLOSE));
    ASSERT_TRUE(drv.WaitEnded());
    EXPECT_LT(liveGapMs, 250);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Stopped: a row for the user was created on the device "
                                       "but not activated. Adding the user again replaces it."});
    // Nothing follows: neither the rest of the columns, nor the activation, nor a destroy.
    EXPECT_FALSE(WaitUntil([&] { return DistinctSets(*s_sim).size() > 2; }, 2000));
    const std::vector<std::string> sequence = UserSequence();
    EXPECT_EQ(SetLines(), std::vector<std::string>(sequence.begin(), sequence.begin() + 2));
}

TEST_F(AgentWrites, AnAddWritesTheFieldsAsTheyWereWhenApplyWasPressed) {
    Tunable::Override pause{"snmp-host.refresh-pause-ms", 0};
    CSNMPHost dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg, 1);
    ASSERT_TRUE(drv.Type(IDC_HOST_ADDRESS, "fe80::1%eth0"));
    ASSERT_TRUE(drv.Select(IDC_HOST_VERSION, 4));
    ASSERT_TRUE(drv.Type(IDC_HOST_NAME, "u1"));
    s_sim->DelayMs(1000);
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_HOST_APPLY));
    // Edited while the row is being created: the columns still carry what was applied.
    ASSERT_TRUE(WaitUntil([&] { return DistinctSets(*s_sim).size() >= 1; }, 20000));
    ASSERT_TRUE(drv.Type(IDC_HOST_ADDRESS, "10.0.0.5"));
    ASSERT_TRUE(drv.Select(IDC_HOST_VERSION, 0));
    ASSERT_TRUE(drv.Type(IDC_HOST_NAME, "other"));
    ASSERT_TRUE(WaitUntil([&] { return !dlg.Writing(); }, 20000));
    s_sim->DelayMs(0);
    const std::string key = ".16.254.128.0.0.0.0.0.0.0.0.0.0.0.0.0.1.2";
    EXPECT_EQ(SetLines(), (std::vector<std::string>{
                              ".6.2.1.6" + key + "=i:5",
                              ".6.2.1.3" + key + "=s:u1 .6.2.1.4" + key + "=i:5 .6.2.1.5" + key + "=s:eth0",
                              ".6.2.1.6" + key + "=i:1",
                          }));
    WaitRead(dlg, 2);
    EXPECT_EQ(drv.Row(IDC_HOST_LIST, 2), (std::vector<std::string>{"fe80::1%eth0", "V3-AuthPriv", "u1"}));
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(AgentWrites, CloseDuringTheCreateSaysItIsUnconfirmed) {
    CSNMPViewTree dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg, 1);
    ASSERT_TRUE(drv.Type(IDC_VIEW_NAME, "v"));
    ASSERT_TRUE(drv.Type(IDC_VIEW_SUBTREE, "1.3"));
    ASSERT_TRUE(drv.Type(IDC_VIEW_MASK, "1"));
    s_sim->DelayMs(1000);
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_VIEW_APPLY));
    ASSERT_TRUE(WaitUntil([&] { return DistinctSets(*s_sim).size() >= 1; }, 20000));
    ASSERT_TRUE(drv.Click(IDC_VIEW_CLOSE));
    ASSERT_TRUE(drv.WaitEnded());
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Stopped: the device did not confirm whether a row for the "
                                       "view was created; the view is not active. Adding it again "
                                       "replaces that row."});
    EXPECT_FALSE(WaitUntil([&] { return DistinctSets(*s_sim).size() > 1; }, 1500));
    EXPECT_EQ(SetLines(), std::vector<std::string>{".4.1.1.5.1.118.2.1.3=i:5"});
}

TEST_F(AgentWrites, ADeviceThatStopsAnsweringMidwayIsToldAndRefreshStaysUsable) {
    ShortTimeout("1500");
    CSNMPViewTree dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg, 1);
    const int listed = drv.Rows(IDC_VIEW_LIST);
    ASSERT_TRUE(drv.Type(IDC_VIEW_NAME, "v"));
    ASSERT_TRUE(drv.Type(IDC_VIEW_SUBTREE, "1.3"));
    ASSERT_TRUE(drv.Type(IDC_VIEW_MASK, "1"));
    s_sim->DelayMs(600);
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_VIEW_APPLY));
    // The row was created; the device falls silent while its mask and type are in flight.
    ASSERT_TRUE(WaitUntil([&] { return DistinctSets(*s_sim).size() >= 2; }, 20000));
    s_sim->Silence(true);
    WaitRead(dlg, 2);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Failed to add the view: the device did not answer: it did not "
                                       "confirm whether the mask and type were written. The device did not "
                                       "answer: it did not confirm whether the removal of its row was "
                                       "written. The view is not active; adding it again replaces any row "
                                       "left of it."});
    // The row made is destroyed again (unanswered as well), and what that may leave is said.
    const std::string key = ".1.118.2.1.3";
    EXPECT_EQ(SetLines(), (std::vector<std::string>{".4.1.1.5" + key + "=i:5",
                                                    ".4.1.1.3" + key + "=x:01 .4.1.1.4" + key + "=i:1",
                                                    ".4.1.1.5" + key + "=i:6"}));
    // The read after it failed too: said, Refresh back, Apply waiting for a whole table.
    EXPECT_EQ(dlg.GetDlgItemText(IDC_VIEW_READ_STATUS), CSNMPViewTree::kTextReadFailed);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_VIEW_REFRESH));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_VIEW_APPLY));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_VIEW_NAME), "v");  // kept for another try
    s_sim->Silence(false);
    s_sim->DelayMs(0);
    ASSERT_TRUE(drv.Click(IDC_VIEW_REFRESH));
    WaitRead(dlg, 3);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_VIEW_READ_STATUS), "");
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_VIEW_APPLY));
    EXPECT_EQ(drv.Rows(IDC_VIEW_LIST), listed);
}

TEST_F(AgentWrites, CloseDuringADeleteSaysTheDeviceDidNotConfirmIt) {
    CSNMPCommunity dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg, 1);
    ASSERT_EQ(drv.Cell(IDC_COMM_LIST, 0, 0), "public");
    ASSERT_TRUE(drv.ClickRow(IDC_COMM_LIST, 0));
    s_sim->DelayMs(1000);
    s_sim->ClearLog();
    TickGap ticks;
    ASSERT_TRUE(drv.Click(IDC_COMM_DELETE));
    EXPECT_TRUE(dlg.Writing());
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_COMM_APPLY));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_COMM_REFRESH));
    ASSERT_TRUE(WaitUntil([&] { return DistinctSets(*s_sim).size() >= 1; }, 20000));
    const long long liveGapMs = ticks.MaxGapMs();  // while the run went on
    ASSERT_TRUE(drv.Click(IDC_COMM_CLOSE));
    ASSERT_TRUE(drv.WaitEnded());
    EXPECT_LT(liveGapMs, 250);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{
                                 "Stopped: the device did not confirm whether the community was deleted."});
    EXPECT_FALSE(WaitUntil([&] { return DistinctSets(*s_sim).size() > 1; }, 1500));
    EXPECT_EQ(SetLines(), std::vector<std::string>{".5.1.1.3" + NameIndex("public") + "=i:6"});
}

TEST_F(AgentWrites, ASlowTrapWriteKeepsTheWindowLiveAndCloseStopsIt) {
    g_strDeviceName = "KSX-4200-28Z1";
    CSNMPTrapSetting dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(dlg.IsDlgItemEnabled(IDC_TRAP_APPLY));
    ASSERT_TRUE(drv.Check(IDC_TRAP_AUTH, false));
    s_sim->DelayMs(1000);
    s_sim->ClearLog();
    TickGap ticks;
    ASSERT_TRUE(drv.Click(IDC_TRAP_APPLY));
    EXPECT_TRUE(dlg.Writing());
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_TRAP_APPLY));
    ASSERT_TRUE(WaitUntil([&] { return !dlg.Writing(); }, 20000));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_TRAP_APPLY));
    EXPECT_EQ(SetLines(), std::vector<std::string>{".8.1.0=i:2"});
    // Again, closed while the write is in flight.
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Check(IDC_TRAP_LINK, false));
    ASSERT_TRUE(drv.Click(IDC_TRAP_APPLY));
    ASSERT_TRUE(WaitUntil([&] { return DistinctSets(*s_sim).size() >= 1; }, 20000));
    const long long liveGapMs = ticks.MaxGapMs();  // while the run went on
    ASSERT_TRUE(drv.Click(IDC_TRAP_CLOSE));
    ASSERT_TRUE(drv.WaitEnded());
    EXPECT_LT(liveGapMs, 250);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{
                  "Stopped: the device did not confirm whether the trap settings were written."});
    EXPECT_FALSE(WaitUntil([&] { return test::DistinctRequests(*s_sim).size() > 1; }, 1500));
    EXPECT_EQ(SetLines(), std::vector<std::string>{".8.3.0=i:2"});
}

// Closed at each step of an add, with the device applying the request in flight late (or, for the
// activation, losing it): the dialog says what was confirmed, and the same entry added again after
// reopening is listed and active, the row left behind replaced.
TEST_F(AgentWrites, AnAddClosedAtAnyStepLeavesNothingThatBlocksAddingItAgain) {
    const std::string userStatus = kB + ".2.1.1.8" + NameIndex("ops") + ".3";
    const std::vector<std::string> userRow{"ops", "admin", "V3", "SHA", "DES_CBC"};
    const std::string unconfirmedCreate =
        "Stopped: the device did not confirm whether a row for the user was created; the user is not active. "
        "Adding it again replaces that row.";
    const std::string notActivated =
        "Stopped: a row for the user was created on the device but not activated. Adding the user again "
        "replaces it.";
    const std::string unconfirmedActivation =
        "Stopped: the device did not confirm whether the user was added. If it is not listed, add it again.";
    const auto exists = [&] { return !s_sim->Get(userStatus).empty(); };
    const auto grouped = [&] { return s_sim->Get(kB + ".2.1.1.3" + NameIndex("ops") + ".3") == "admin"; };

    CloseAddAt<CSNMPUser>(FillUser, IDC_USER_APPLY, IDC_USER_CLOSE, 1, false, exists);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{unconfirmedCreate});
    EXPECT_NE(s_sim->Get(userStatus), "1");
    boxes.Clear();
    AddAgain<CSNMPUser>(FillUser, IDC_USER_APPLY, IDC_USER_LIST, userStatus, userRow);
    // The refused create, the status read, the row replaced, then the add as usual.
    const std::vector<std::string> sequence = UserSequence();
    std::vector<std::string> replaced{sequence[0], sequence[0].substr(0, sequence[0].size() - 1) + "6"};
    replaced.insert(replaced.end(), sequence.begin(), sequence.end());
    EXPECT_EQ(SetLines(), replaced);

    for (const bool lostActivation : {false, true}) {
        SCOPED_TRACE(lostActivation);
        s_sim->Restart();
        boxes.Clear();
        if (lostActivation) {
            CloseAddAt<CSNMPUser>(FillUser, IDC_USER_APPLY, IDC_USER_CLOSE, 5, true, [] { return true; });
        } else {
            CloseAddAt<CSNMPUser>(FillUser, IDC_USER_APPLY, IDC_USER_CLOSE, 2, false, grouped);
        }
        EXPECT_EQ(boxes.Texts(),
                  std::vector<std::string>{lostActivation ? unconfirmedActivation : notActivated});
        EXPECT_EQ(s_sim->Get(userStatus), "2");
        boxes.Clear();
        AddAgain<CSNMPUser>(FillUser, IDC_USER_APPLY, IDC_USER_LIST, userStatus, userRow);
    }
}

TEST_F(AgentWrites, ACommunityAddClosedAtAnyStepCanBeAddedAgain) {
    const std::string status = kB + ".5.1.1.3" + NameIndex("ops");
    const std::string user = kB + ".5.1.1.2" + NameIndex("ops");
    const std::vector<std::string> row{"ops", "private"};
    struct Case {
        size_t inFlight;
        bool lost;
        std::function<bool()> applied;
        std::string text;
    };
    const Case cases[] = {
        {1, false, [&] { return !s_sim->Get(status).empty(); },
         "Stopped: the device did not confirm whether a row for the community was created; the community is "
         "not "
         "active. Adding it again replaces that row."},
        {2, false, [&] { return s_sim->Get(user) == "private"; },
         "Stopped: a row for the community was created on the device but not activated. Adding the community "
         "again replaces it."},
        {3, true, [] { return true; },
         "Stopped: the device did not confirm whether the community was added. If it is not listed, add it "
         "again."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.inFlight);
        s_sim->Restart();
        boxes.Clear();
        CloseAddAt<CSNMPCommunity>(FillCommunity, IDC_COMM_APPLY, IDC_COMM_CLOSE, c.inFlight, c.lost,
                                   c.applied);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{c.text});
        EXPECT_NE(s_sim->Get(status), "1");
        boxes.Clear();
        AddAgain<CSNMPCommunity>(FillCommunity, IDC_COMM_APPLY, IDC_COMM_LIST, status, row);
    }
    // A row another manager left not active ("staging") is replaced on the user's Yes.
    s_sim->ClearLog();
    AddAgain<CSNMPCommunity>(
        [](DialogDriver& drv) {
            ASSERT_TRUE(drv.Type(IDC_COMM_NAME, "staging"));
            ASSERT_TRUE(drv.SelectText(IDC_COMM_USER, "private"));
        },
        IDC_COMM_APPLY, IDC_COMM_LIST, kB + ".5.1.1.3" + NameIndex("staging"), {"staging", "private"},
        {"The device already holds the community, not in service. Replace it?"});
}

}  // namespace
