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
    const WalkStep step(session, reply, 3);
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
    const WalkStep textStep(session, text, 1);
    EXPECT_EQ(textStep.Int(0, -1), -1);
    EXPECT_EQ(textStep.Text(0), "abc");
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
