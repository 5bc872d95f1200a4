// Typed table reads against the simulated switch, the test thread playing the UI thread: rows and the
// end arrive there in walk order; stale and error replies end the walk and release its waiter; a reply
// shorter than the columns reads as empty cells; nothing of a walk reaches the owner once it was closed.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/TableRead.h"
#include "platform/snmplib/Snmp.h"
#include "tests/support/GateOwner.h"
#include "tests/support/ModuleBaseFixture.h"

namespace {

using namespace ksx;

const std::string kP = "1.3.6.1.4.1.7393.10.76.20.1";
const std::string kDescPort = kP + ".1.16.1.1";
const std::string kDesc = kP + ".1.16.1.2";
const std::string kJumbo = kP + ".1.12.0";

struct DescRow {
    int port = 0;
    std::string index;
    std::string text;
    std::thread::id thread;
};

class TableReadTest : public test::ModuleBaseSuite, public test::GateOwner {
protected:
    static std::optional<DescRow> Parse(const WalkStep& s) {
        return DescRow{s.Int(0), s.Index(0), s.Text(1), {}};
    }
    // Made once the suite's switch is the device (the connection settings are read at construction).
    void SetUp() override {
        test::ModuleBaseSuite::SetUp();
        m_session = std::make_unique<CCommonSNMP>();
    }
    void TearDown() override {
        m_session.reset();
        test::ModuleBaseSuite::TearDown();
    }
    std::unique_ptr<CCommonSNMP> m_session;
};

TEST_F(TableReadTest, RowsAndTheEndReachTheOwnerThreadInWalkOrder) {
    CCommonSNMP& session = *m_session;
    TableRead<DescRow> read(session, {kDescPort, kDesc}, Parse);
    std::vector<DescRow> rows;
    std::optional<WalkEnd> end;
    read.onRow = [&](const DescRow& r) {
        rows.push_back(r);
        rows.back().thread = std::this_thread::get_id();
    };
    read.onEnd = [&](const WalkEnd& e) { end = e; };
    read.Walk();
    EXPECT_TRUE(read.Running());
    ASSERT_TRUE(PumpUntil([&] { return end.has_value(); }));
    EXPECT_TRUE(end->AtEnd());
    EXPECT_TRUE(end->Ok());
    EXPECT_FALSE(read.Running());
    ASSERT_EQ(rows.size(), 28u);
    EXPECT_EQ(end->rows, 28);
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].port, static_cast<int>(i) + 1);
        EXPECT_EQ(rows[i].index, std::to_string(i + 1));
        EXPECT_EQ(rows[i].thread, std::this_thread::get_id());
    }
    EXPECT_EQ(rows[0].text, "Uplink to core");
    EXPECT_TRUE(session.IsDone());

    // The walk's requests: the two columns, then each step from the OIDs the last one returned.
    const auto log = test::OfKind(s_sim->Requests(), "getnext");
    ASSERT_EQ(log.size(), 29u);
    EXPECT_EQ(log[0].varbinds[0].oid, kDescPort);
    EXPECT_EQ(log[0].varbinds[1].oid, kDesc);
    EXPECT_EQ(log[1].varbinds[1].oid, kDesc + ".1");
}

TEST_F(TableReadTest, OneStepReadGivesOneRowThenAnAnsweredEnd) {
    CCommonSNMP& session = *m_session;
    s_sim->Set(kJumbo, "i", "1");
    struct Scalar {
        std::string value;
    };
    TableRead<Scalar> read(session, {kJumbo}, [](const WalkStep& s) { return Scalar{s.Text(0)}; });
    std::vector<std::string> seen;
    std::optional<WalkEnd> end;
    read.onRow = [&](const Scalar& r) { seen.push_back(r.value); };
    read.onEnd = [&](const WalkEnd& e) { end = e; };
    read.Read();
    ASSERT_TRUE(PumpUntil([&] { return end.has_value(); }));
    EXPECT_EQ(seen, std::vector<std::string>{"1"});
    EXPECT_EQ(end->status, 0);
    EXPECT_TRUE(end->Ok());
    EXPECT_EQ(test::OfKind(s_sim->Requests(), "get").size(), 1u);
}

TEST_F(TableReadTest, ErrorRepliesTimeOutsAndRejectedRowsEndTheWalk) {
    CCommonSNMP& session = *m_session;
    // A reply with an SNMP error status is no row: the walk ends with a failure status.
    s_sim->ErrorStatus(kDescPort, 5);
    TableRead<DescRow> read(session, {kDescPort, kDesc}, Parse);
    int rows = 0;
    std::optional<WalkEnd> end;
    read.onRow = [&](const DescRow&) { ++rows; };
    read.onEnd = [&](const WalkEnd& e) { end = e; };
    read.Walk();
    ASSERT_TRUE(PumpUntil([&] { return end.has_value(); }));
    EXPECT_NE(end->status, 0);
    EXPECT_FALSE(end->AtEnd());
    EXPECT_FALSE(end->Ok());
    EXPECT_EQ(rows, 0);
    s_sim->ErrorStatus(kDescPort, 0);

    // A time-out ends it with the library's status.
    end.reset();
    s_sim->Silence(true);
    read.Walk(300);
    ASSERT_TRUE(PumpUntil([&] { return end.has_value(); }));
    EXPECT_TRUE(end->TimedOut());
    s_sim->Silence(false);

    // A parse that rejects the reply ends the walk at that row.
    TableRead<DescRow> picky(session, {kDescPort, kDesc}, [](const WalkStep& s) -> std::optional<DescRow> {
        if (s.Int(0) == 3) {
            s.Reject();
        }
        return DescRow{s.Int(0), {}, {}, {}};
    });
    end.reset();
    std::vector<int> ports;
    picky.onRow = [&](const DescRow& r) { ports.push_back(r.port); };
    picky.onEnd = [&](const WalkEnd& e) { end = e; };
    picky.Walk();
    ASSERT_TRUE(PumpUntil([&] { return end.has_value(); }));
    EXPECT_EQ(end->status, kWalkBadReply);
    EXPECT_EQ(ports, (std::vector<int>{1, 2}));
}

// The checked reads of a step: a value only of its type; a row missing from the table is simply not
// delivered (the owner keys rows by index and sees which ports came); a binding left out of a one-step
// reply is no value.
TEST_F(TableReadTest, CheckedReadsOfAStepGiveOnlyValuesOfTheirType) {
    CCommonSNMP& session = *m_session;
    s_sim->Set(kDescPort + ".2", "s", "zz");  // port column of row 2: text instead of a number
    s_sim->Unset(kDescPort + ".3");           // row 3 has no port cell
    s_sim->Unset(kDesc + ".3");
    struct Typed {
        std::string index;
        std::optional<long long> port;
        std::optional<std::string> desc;
        bool portAsText = false;
    };
    TableRead<Typed> read(session, {kDescPort, kDesc}, [](const WalkStep& s) {
        return std::optional<Typed>(Typed{s.Index(0), s.Integer(0), s.Octets(1), s.Octets(0).has_value()});
    });
    std::vector<Typed> rows;
    std::optional<WalkEnd> end;
    read.onRow = [&](const Typed& r) { rows.push_back(r); };
    read.onEnd = [&](const WalkEnd& e) { end = e; };
    read.Walk();
    ASSERT_TRUE(PumpUntil([&] { return end.has_value(); }));
    EXPECT_TRUE(end->AtEnd());
    ASSERT_EQ(rows.size(), 27u);
    EXPECT_EQ(rows[0].port, 1);
    EXPECT_EQ(rows[0].desc, "Uplink to core");
    EXPECT_EQ(rows[1].index, "2");
    EXPECT_EQ(rows[1].port, std::nullopt);
    EXPECT_TRUE(rows[1].portAsText);
    EXPECT_EQ(rows[2].index, "4");  // no row 3
    EXPECT_EQ(rows[2].port, 4);

    struct Pair {
        std::optional<long long> jumbo;
        std::optional<std::string> any;
    };
    s_sim->Omit(kJumbo);
    TableRead<Pair> one(session, {kDesc + ".1", kJumbo}, [](const WalkStep& s) {
        return std::optional<Pair>(Pair{s.Integer(1), s.Any(0)});
    });
    std::optional<Pair> got;
    end.reset();
    one.onRow = [&](const Pair& p) { got = p; };
    one.onEnd = [&](const WalkEnd& e) { end = e; };
    one.Read();
    ASSERT_TRUE(PumpUntil([&] { return end.has_value(); }));
    s_sim->OmitNone();
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->jumbo, std::nullopt);
    EXPECT_EQ(got->any, "Uplink to core");
}

TEST_F(TableReadTest, StaleReplyIsReleasedSignalsDoneAndEndsAsStale) {
    CCommonSNMP& session = *m_session;
    TableRead<DescRow> read(session, {kDescPort, kDesc}, Parse);
    std::optional<WalkEnd> end;
    int rows = 0;
    read.onRow = [&](const DescRow&) { ++rows; };
    read.onEnd = [&](const WalkEnd& e) { end = e; };
    read.Walk();
    ASSERT_TRUE(PumpUntil([&] { return end.has_value(); }));
    rows = 0;
    end.reset();

    // A reply whose id is not pending: dropped (its response freed, which ASan checks), done signalled.
    CSnmp* reply = nullptr;
    CCommonSNMP other;
    other.Open(CCommonSNMP::REQUEST_GET);
    other.AddVarBind(kJumbo, 4, nullptr);
    ASSERT_EQ(other.Send(reply), 0);
    EXPECT_EQ(read.Step(reply, 987654, 0), 0);
    ASSERT_TRUE(PumpUntil([&] { return end.has_value(); }));
    EXPECT_TRUE(end->stale);
    EXPECT_FALSE(end->Ok());
    EXPECT_EQ(rows, 0);
    EXPECT_TRUE(session.IsDone());
}

TEST_F(TableReadTest, ShortRepliesReadAsEmptyCellsNeverPastTheReply) {
    CCommonSNMP& session = *m_session;
    // A reply carrying one binding read by a step that expects three columns.
    CSnmp* reply = nullptr;
    session.Open(CCommonSNMP::REQUEST_GET);
    session.AddVarBind(kJumbo, 4, nullptr);
    ASSERT_EQ(session.Send(reply), 0);
    std::unique_ptr<CSnmp> owned(reply);
    const WalkStep step(reply, {0, -1, -1}, {});
    EXPECT_EQ(step.Count(), 1);
    EXPECT_EQ(step.Columns(), 3);
    EXPECT_TRUE(step.Has(0));
    EXPECT_FALSE(step.Has(1));
    EXPECT_EQ(step.Text(2), "");
    EXPECT_EQ(step.Text(-1), "");
    EXPECT_EQ(step.Int(2, -7), -7);
    EXPECT_EQ(step.Index(5), "");
    // A value that is no number gives the fallback, not a guess.
    s_sim->Set(kDesc + ".2", "s", "abc");
    session.Open(CCommonSNMP::REQUEST_GET);
    session.AddVarBind(kDesc + ".2", 4, nullptr);
    CSnmp* text = nullptr;
    ASSERT_EQ(session.Send(text), 0);
    std::unique_ptr<CSnmp> ownedText(text);
    const WalkStep textStep(text, {0}, {});
    EXPECT_EQ(textStep.Int(0, -1), -1);
    EXPECT_EQ(textStep.Text(0), "abc");
}

// ---- each binding to its own column and row ----

const std::string kIf = "1.3.6.1.2.1.2.2.1";
const std::string kIfIndex = kIf + ".1";
const std::string kIfDescr = kIf + ".2";
const std::string kIfType = kIf + ".3";

struct Cells {
    std::string index;
    std::vector<std::optional<std::string>> cells;
};

class ColumnRuleTest : public TableReadTest {
protected:
    // Walks the columns to their end; the rows as delivered.
    std::vector<Cells> WalkAll(const std::vector<std::string>& columns, std::vector<int> groups = {}) {
        TableRead<Cells> read(*m_session, columns, [](const WalkStep& s) {
            Cells c{s.Index(), {}};
            for (int i = 0; i < s.Columns(); ++i) {
                c.cells.push_back(s.Any(i));
            }
            return std::optional<Cells>(c);
        });
        read.SetGroups(std::move(groups));
        std::vector<Cells> rows;
        std::optional<WalkEnd> end;
        read.onRow = [&](const Cells& c) { rows.push_back(c); };
        read.onEnd = [&](const WalkEnd& e) { end = e; };
        read.Walk();
        EXPECT_TRUE(PumpUntil([&] { return end.has_value(); }));
        EXPECT_TRUE(end && end->AtEnd());
        return rows;
    }
    // The OIDs of every get-next, in order.
    static std::vector<std::vector<std::string>> Asked() {
        std::vector<std::vector<std::string>> out;
        for (const test::SimRequest& r : test::OfKind(s_sim->Requests(), "getnext")) {
            std::vector<std::string> oids;
            for (const test::SimVarBind& vb : r.varbinds) {
                oids.push_back(vb.oid);
            }
            out.push_back(oids);
        }
        return out;
    }
    // The request of a plain walk of `columns` from row `row` (0: the bare columns).
    static std::vector<std::string> From(const std::vector<std::string>& columns, int row) {
        std::vector<std::string> oids;
        for (const std::string& c : columns) {
            oids.push_back(row == 0 ? c : c + "." + std::to_string(row));
        }
        return oids;
    }
    // Every row 1..28 of the three interface columns, with `expect(row, column)` its cell.
    template <class Expect>
    static void ExpectRows(const std::vector<Cells>& rows, Expect expect) {
        ASSERT_EQ(rows.size(), 28u);
        for (int r = 1; r <= 28; ++r) {
            const Cells& row = rows[static_cast<size_t>(r - 1)];
            EXPECT_EQ(row.index, std::to_string(r));
            ASSERT_EQ(row.cells.size(), 3u);
            for (int c = 0; c < 3; ++c) {
                EXPECT_EQ(row.cells[static_cast<size_t>(c)], expect(r, c)) << "row " << r << " column " << c;
            }
        }
    }
    static std::optional<std::string> Own(int row, int column) {
        return column == 0 ? std::to_string(row) : column == 1 ? "Port " + std::to_string(row) : "6";
    }
};

// A column left out of every reply (first, middle or last binding): its cells are empty, every other
// cell is its own row's, and the requests are those of the whole walk.
TEST_F(ColumnRuleTest, ColumnLeftOutOfEveryReplyLeavesOnlyItsCellsEmpty) {
    const std::vector<std::string> columns{kIfIndex, kIfDescr, kIfType};
    for (int left = 0; left < 3; ++left) {
        SCOPED_TRACE(left);
        s_sim->ClearLog();
        s_sim->Omit(columns[static_cast<size_t>(left)]);
        const std::vector<Cells> rows = WalkAll(columns);
        s_sim->OmitNone();
        ExpectRows(rows, [&](int r, int c) { return c == left ? std::nullopt : Own(r, c); });
        const auto asked = Asked();
        ASSERT_EQ(asked.size(), 29u);
        for (int step = 0; step < 29; ++step) {
            EXPECT_EQ(asked[static_cast<size_t>(step)], From(columns, step)) << step;
        }
    }
}

// One cell of one row missing: that cell is empty, the next row's cell is that row's own, and the
// column is asked again from the row (never from the later row it answered with).
TEST_F(ColumnRuleTest, OneMissingCellStaysEmptyAndItsColumnIsAskedAgainFromTheRow) {
    const std::vector<std::string> columns{kIfIndex, kIfDescr, kIfType};
    s_sim->Unset(kIfDescr + ".5");
    s_sim->Unset(kIfIndex + ".9");  // and the first column's cell of another row
    const std::vector<Cells> rows = WalkAll(columns);
    ExpectRows(rows, [](int r, int c) {
        return (r == 5 && c == 1) || (r == 9 && c == 0) ? std::nullopt : Own(r, c);
    });
    const auto asked = Asked();
    ASSERT_EQ(asked.size(), 29u);
    for (int step = 0; step < 29; ++step) {
        EXPECT_EQ(asked[static_cast<size_t>(step)], From(columns, step)) << step;
    }
}

// A column whose values end early runs into the next column's subtree: it ends for itself only (its
// cells empty, never the next column's values) and is no longer asked; the others go on.
TEST_F(ColumnRuleTest, ColumnEndingEarlyEndsAloneAndIsNoLongerAsked) {
    const std::vector<std::string> columns{kIfIndex, kIfDescr, kIfType};
    for (int r = 20; r <= 28; ++r) {
        s_sim->Unset(kIfDescr + "." + std::to_string(r));
    }
    const std::vector<Cells> rows = WalkAll(columns);
    ExpectRows(rows, [](int r, int c) { return c == 1 && r >= 20 ? std::nullopt : Own(r, c); });
    const auto asked = Asked();
    ASSERT_EQ(asked.size(), 29u);
    for (int step = 0; step < 20; ++step) {
        EXPECT_EQ(asked[static_cast<size_t>(step)], From(columns, step)) << step;
    }
    for (int step = 20; step < 29; ++step) {
        EXPECT_EQ(asked[static_cast<size_t>(step)], From({kIfIndex, kIfType}, step)) << step;
    }

    // The first column ending early: the walk goes on with the others.
    s_sim->Restart();
    s_sim->ClearLog();
    for (int r = 25; r <= 28; ++r) {
        s_sim->Unset(kIfIndex + "." + std::to_string(r));
    }
    ExpectRows(WalkAll(columns), [](int r, int c) { return c == 0 && r >= 25 ? std::nullopt : Own(r, c); });
    const auto second = Asked();
    ASSERT_EQ(second.size(), 29u);
    EXPECT_EQ(second[24], From(columns, 24));
    EXPECT_EQ(second[25], From({kIfDescr, kIfType}, 25));
}

// Two tables walked beside each other keep rows of their own; the walk ends with the first.
TEST_F(ColumnRuleTest, GroupedColumnsKeepRowsOfTheirOwnTable) {
    const std::vector<std::string> columns{kDescPort, kIfDescr, kDesc};
    for (int r = 1; r <= 28; r += 2) {
        s_sim->Unset(kIfDescr + "." + std::to_string(r));  // the interface table: even rows only
    }
    const std::vector<Cells> rows = WalkAll(columns, {0, 1, 0});
    ASSERT_EQ(rows.size(), 28u);
    // Row r of the first table goes with the r-th entry the second table gave (2, 4, ... 28).
    for (int r = 1; r <= 28; ++r) {
        const Cells& row = rows[static_cast<size_t>(r - 1)];
        EXPECT_EQ(row.cells[0], std::to_string(r));
        EXPECT_EQ(row.cells[1],
                  r <= 14 ? std::optional<std::string>("Port " + std::to_string(2 * r)) : std::nullopt);
    }
    const auto asked = Asked();
    ASSERT_EQ(asked.size(), 29u);
    EXPECT_EQ(asked[3], (std::vector<std::string>{kDescPort + ".3", kIfDescr + ".6", kDesc + ".3"}));
    EXPECT_EQ(asked[15], (std::vector<std::string>{kDescPort + ".15", kDesc + ".15"}));
}

// SNMPv3: a column that reaches the end of the MIB answers with an exception value; it ends alone, the
// other table walked beside it goes on to its own end, and the column is no longer asked.
TEST_F(ColumnRuleTest, ExceptionValueEndsOnlyItsColumn) {
    const std::string kStorage = "1.3.6.1.6.3.18.1.1.1.7";  // the last column of the MIB: two rows
    test::UseSimV3(*s_sim, "1", "noauthuser", "1", "", "1", "");
    m_session = std::make_unique<CCommonSNMP>();
    const std::vector<Cells> rows = WalkAll({kIfIndex, kStorage}, {0, 1});
    ASSERT_EQ(rows.size(), 28u);
    for (int r = 1; r <= 28; ++r) {
        const Cells& row = rows[static_cast<size_t>(r - 1)];
        EXPECT_EQ(row.index, std::to_string(r));
        EXPECT_EQ(row.cells[0], std::to_string(r));
        EXPECT_EQ(row.cells[1], r == 1   ? std::optional<std::string>("3")
                                : r == 2 ? std::optional<std::string>("2")
                                         : std::nullopt)
            << r;
    }
    const auto asked = Asked();
    ASSERT_EQ(asked.size(), 29u);
    EXPECT_EQ(asked[2], (std::vector<std::string>{kIfIndex + ".2", kStorage + ".2.99.50"}));
    EXPECT_EQ(asked[3], std::vector<std::string>{kIfIndex + ".3"});
}

TEST_F(TableReadTest, NothingReachesTheOwnerOnceTheWalkWasClosed) {
    CCommonSNMP& session = *m_session;
    s_sim->DelayMs(30);
    TableRead<DescRow> read(session, {kDescPort, kDesc}, Parse);
    int rows = 0;
    int ends = 0;
    read.onRow = [&](const DescRow&) { ++rows; };
    read.onEnd = [&](const WalkEnd&) { ++ends; };
    read.Walk();
    // The first row is queued for this thread (a wake-up) but not yet run: close now, as a dialog that
    // begins to close while a row is on its way.
    const int before = Wakeups();
    ASSERT_TRUE(WaitForWakeups(before + 1));
    read.Close();
    EXPECT_FALSE(read.Running());
    ASSERT_TRUE(PumpUntil([&] { return session.IsDone(); }));
    gate.RunPending();
    EXPECT_EQ(rows, 0);
    EXPECT_EQ(ends, 0);
    EXPECT_TRUE(session.IsDone());
    EXPECT_TRUE(session.IsClosed());

    // A later walk on the same reader delivers again; rows of the closed walk never reappear.
    s_sim->DelayMs(0);
    bool ended = false;
    read.onEnd = [&](const WalkEnd&) { ended = true; };
    read.Walk();
    ASSERT_TRUE(PumpUntil([&] { return ended; }));
    EXPECT_EQ(rows, 28);
}

TEST_F(TableReadTest, ClosingTheSessionSetDetachesReadersThenClosesSessions) {
    CCommonSNMP& session = *m_session;
    s_sim->DelayMs(30);
    CCommonSNMP second;
    TableRead<DescRow> read(session, {kDescPort, kDesc}, Parse);
    int rows = 0;
    read.onRow = [&](const DescRow&) { ++rows; };
    SessionSet set;
    set.Add(read);
    set.Add(session);
    set.Add(second);
    read.Walk();
    const int before = Wakeups();
    ASSERT_TRUE(WaitForWakeups(before + 1));
    set.CloseAll();
    ASSERT_TRUE(PumpUntil([&] { return session.IsDone(); }));
    gate.RunPending();
    EXPECT_EQ(rows, 0);
    EXPECT_TRUE(session.IsClosed());
    EXPECT_TRUE(second.IsClosed());
}

}  // namespace
