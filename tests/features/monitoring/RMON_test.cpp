// The RMON logic against the simulated switch: the EntryStatus creation sequence for an absent row, a
// row left under creation and an existing valid row; the event's community rules; and the walks keyed by
// the row index: an empty table, a counter row without a control row, a walk cut short by a time-out.
#include <map>

#include "features/monitoring/RMON.h"
#include "res/ids_rmon.h"
#include "tests/features/monitoring/RmonTestSupport.h"

namespace {

using namespace ksx;
using namespace ksx::test;
using namespace ksx::test::rmon;

class RMONLogicTest : public RmonTest {
protected:
    // Sets of the request log, each OID without the table entry.
    static std::vector<std::string> SetsBelow(const std::string& entry) {
        return SetLines(s_sim->Requests(), entry.size() + 1);
    }
};

TEST_F(RMONLogicTest, CreationFollowsTheEntryStatusProtocol) {
    CRMON rmon;
    // Absent row: the status read, "2", the columns, "1"; no "4".
    RMON_event_configuration event;
    event.index = 20;
    event.description = "d";
    event.type = 3;
    event.community = "public";
    event.owner = "o";
    ASSERT_TRUE(rmon.SetEventEntry(event));
    EXPECT_EQ(RequestLines(OfKind(s_sim->Requests(), "get")),
              std::vector<std::string>{"get " + kEvent + ".6.20=n:"});
    EXPECT_EQ(SetsBelow(kEvent), (std::vector<std::string>{"6.20=i:2", "2.20=s:d", "3.20=i:3",
                                                           "4.20=s:public", "5.20=s:o", "6.20=i:1"}));
    EXPECT_EQ(s_sim->Get(kEvent + ".6.20"), "1");

    // A row left in create request ("3" or "2") by another manager is left as it is; on the user's Yes
    // it is set invalid first.
    for (const char* status : {"3", "2"}) {
        rmon.ResetProgress();
        s_sim->Set(kEvent + ".1.21", "i", "21");
        s_sim->Set(kEvent + ".6.21", "i", status);
        s_sim->ClearLog();
        RMON_event_configuration log;
        log.index = 21;
        log.description = "l";
        log.type = 2;
        log.community = "public";  // dropped for a log event
        EXPECT_FALSE(rmon.SetEventEntry(log));
        EXPECT_TRUE(rmon.Other().Found());
        EXPECT_TRUE(SetsBelow(kEvent).empty());
        rmon.Other().Consent();
        rmon.ResetProgress();
        ASSERT_TRUE(rmon.SetEventEntry(log)) << status;
        EXPECT_TRUE(log.community.empty());
        EXPECT_EQ(SetsBelow(kEvent), (std::vector<std::string>{"6.21=i:4", "6.21=i:2", "2.21=s:l", "3.21=i:2",
                                                               "5.21=s:", "6.21=i:1"}))
            << status;
        s_sim->Set(kEvent + ".6.21", "i", "4");
    }

    // A trap event without a community is created without one.
    s_sim->ClearLog();
    RMON_event_configuration trap;
    trap.index = 22;
    trap.type = 4;
    ASSERT_TRUE(rmon.SetEventEntry(trap));
    EXPECT_EQ(SetsBelow(kEvent),
              (std::vector<std::string>{"6.22=i:2", "2.22=s:", "3.22=i:4", "5.22=s:", "6.22=i:1"}));
}

TEST_F(RMONLogicTest, AValidRowIsNeverDestroyedByAFailedCreation) {
    CRMON rmon;
    RMON_history_control_configuration h;
    h.index = 1;  // valid on the device
    h.port = 4;
    h.buckets_requested = 10;
    h.interval = 60;
    EXPECT_FALSE(rmon.SetHistoryControlEntry(h));
    EXPECT_EQ(rmon.LastError(),
              "Failed to create the RMON history control entry 1: the device already holds the RMON history "
              "control entry 1; it was left as it is.");
    EXPECT_EQ(SetsBelow(kHistory), std::vector<std::string>{"6.1=i:2"});
    EXPECT_EQ(s_sim->Get(kHistory + ".6.1"), "1");
    EXPECT_EQ(s_sim->Get(kHistory + ".2.1"), "1.3.6.1.2.1.2.2.1.1.1");
}

TEST_F(RMONLogicTest, WalksKeyRowsByTheirIndex) {
    CRMON rmon;
    CDialog owner(0);
    DialogDriver drv(owner);
    std::vector<std::pair<unsigned, WPARAM>> ends;
    for (unsigned msg : {WM_SNMP_WALK_END, WM_SNMP_WALK_STALE}) {
        owner.OnMessage(msg, [&ends, msg](WPARAM w, LPARAM) -> LRESULT {
            ends.emplace_back(msg, w);
            return 0;
        });
    }
    ASSERT_TRUE(rmon.SetOwnerWnd(&owner));

    // An empty table ends at once, read whole (the standard counters still hold their rows).
    for (int row : {1, 2, 3, 10}) {
        ASSERT_TRUE(rmon.DeleteStatisticsEntry(row));
        PumpEvents();  // one Delete a turn, as the user gives them
    }
    rmon.StartStatisticsWalk();
    ASSERT_TRUE(WaitUntil([&] { return !ends.empty(); }));
    EXPECT_EQ(ends, (std::vector<std::pair<unsigned, WPARAM>>{{WM_SNMP_WALK_END, CRMON::kStatistics}}));
    EXPECT_TRUE(rmon.TableWasRead(CRMON::kStatistics));
    EXPECT_TRUE(rmon.m_lstStatistics.empty());  // the walk stops with its first column

    s_sim->Set(kStatistics + ".1.2", "i", "2");
    s_sim->Set(kStatistics + ".4.2", "i", "1");
    s_sim->Set(kStatistics + ".1.7", "i", "7");  // only the index column: no counters of its own
    ends.clear();
    rmon.StartStatisticsWalk();
    ASSERT_TRUE(WaitUntil([&] { return !ends.empty(); }));
    std::map<int, RMON_ethernet_statistics_info> rows;
    for (const auto& r : rmon.m_lstStatistics) {
        rows[r.control.index] = r;
    }
    ASSERT_TRUE(rows.count(2));
    EXPECT_EQ(rows[2].control.status, 1);
    EXPECT_EQ(rows[2].octets, 4294967295u);
    EXPECT_EQ(rows[2].control.port, -1);  // no data source
    // The counters of row 1 arrived beside the control row 2: a record of index 1 that is not shown.
    ASSERT_TRUE(rows.count(1));
    EXPECT_EQ(rows[1].control.status, 4);
    EXPECT_EQ(rows[1].octets, 3000000000u);

    // A walk that fails after some rows keeps what it read and ends like any other, as not read whole.
    s_sim->Set(kAlarm + ".1.5", "i", "5");
    s_sim->Set(kAlarm + ".2.5", "i", "60");
    FailOn(kAlarm + ".2.5");
    ends.clear();
    rmon.StartAlarmWalk();
    ASSERT_TRUE(WaitUntil([&] { return !ends.empty(); }));
    EXPECT_EQ(ends, (std::vector<std::pair<unsigned, WPARAM>>{{WM_SNMP_WALK_END, CRMON::kAlarm}}));
    EXPECT_FALSE(rmon.TableWasRead(CRMON::kAlarm));
    ASSERT_EQ(rmon.m_lstAlarm.size(), 1u);
    EXPECT_EQ(rmon.m_lstAlarm[0].variable, "1.3.6.1.2.1.2.2.1.10.1");
    EXPECT_EQ(rmon.m_lstAlarm[0].falling_event_index, 2);
}

TEST_F(RMONLogicTest, DataSourcesNameAPortOnlyInTheirWholeForm) {
    EXPECT_EQ(CRMON::PortOfDataSource("1.3.6.1.2.1.2.2.1.1.5"), 5);
    EXPECT_EQ(CRMON::PortOfDataSource("1.3.6.1.2.1.2.2.1.1"), std::nullopt);
    EXPECT_EQ(CRMON::PortOfDataSource("1.3.6.1.2.1.2.2.1.1.5.1"), std::nullopt);
    EXPECT_EQ(CRMON::PortOfDataSource("0.0"), std::nullopt);
}

}  // namespace
