// The 802.1X port walk against the simulated switch when a reply lacks bindings: every field of every
// port is that port's own column's value or not read (an empty number, never 0 and never a
// neighbour's), and each step asks every column from the last port read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "features/security/8021XSettingLogic.h"
#include "platform/snmplib/Snmp.h"
#include "tests/features/DialogTest.h"

namespace {

using namespace ksx;
using namespace ksx::dialogtest;

// The walked columns in binding order (port, direction, control, then the six numbers, re-auth,
// capability).
const int kColumns[] = {1, 11, 9, 6, 2, 3, 4, 5, 7, 8, 10};
// The number columns, in the order of X8021_statistics_info's numbers.
const int kNumberColumns[] = {6, 2, 3, 4, 5, 7};

std::string Cell(int column, int port) {
    return C8021XSettingLogic::PortColumn(column) + "." + std::to_string(port);
}

// A number of its own for every port and number column: a value in the wrong field or row shows.
int Own(int column, int port) {
    return column * 100 + port;
}

class Dot1xPortWalk : public test::SharedSimTest {
public:
    static void SetUpTestSuite() {
        SnmpInit();
        SharedSimTest::SetUpTestSuite();
    }

protected:
    void SetUp() override {
        SharedSimTest::SetUp();
        for (int port = 1; port <= 28; ++port) {
            for (int column : kNumberColumns) {
                s_sim->Set(Cell(column, port), "i", std::to_string(Own(column, port)));
            }
            s_sim->Set(Cell(10, port), "i", port % 2 == 0 ? "1" : "2");  // capability alternates
        }
        s_sim->ClearLog();
    }

    // Walks the port table; the rows it gave.
    std::vector<X8021_statistics_info> Walk(C8021XSettingLogic& logic) {
        logic.ReadPortSettings();
        EXPECT_TRUE(WaitUntil([&] { return logic.LastEnd().AtEnd(); }, 20000));
        return logic.m_PortList;
    }

    // Every field of port `port` as its own columns have it; `unread` the columns not read for it.
    static void ExpectPort(const X8021_statistics_info& row, int port, const std::vector<int>& unread) {
        SCOPED_TRACE("port " + std::to_string(port));
        auto read = [&](int column) {
            for (int c : unread) {
                if (c == column) {
                    return false;
                }
            }
            return true;
        };
        EXPECT_EQ(row.port, port);
        EXPECT_EQ(row.direction, read(11) ? "Both" : "");
        EXPECT_EQ(row.portControl, read(9) ? "Force Authorized" : "");
        for (int n = 0; n < X8021_statistics_info::kNumbers; ++n) {
            const int column = kNumberColumns[n];
            EXPECT_EQ(row.NumberText(static_cast<X8021_statistics_info::Number>(n)),
                      read(column) ? std::to_string(Own(column, port)) : "")
                << "column " << column;
        }
        EXPECT_EQ(row.reAuth, read(8) ? "Disabled" : "");
        EXPECT_EQ(row.capability, !read(10) ? "" : port % 2 == 0 ? "Authenticator" : "None");
    }

    // The get-next requests, each as its OIDs.
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
    // A step asking every column from port `port` (0: the bare columns).
    static std::vector<std::string> From(int port) {
        std::vector<std::string> oids;
        for (int column : kColumns) {
            oids.push_back(port == 0 ? C8021XSettingLogic::PortColumn(column) : Cell(column, port));
        }
        return oids;
    }
    static void ExpectWholeWalkRequests() {
        const auto asked = Asked();
        ASSERT_EQ(asked.size(), 29u);
        for (int step = 0; step < 29; ++step) {
            EXPECT_EQ(asked[static_cast<size_t>(step)], From(step)) << "step " << step;
        }
    }
};

TEST_F(Dot1xPortWalk, FullRepliesFillEveryFieldFromItsOwnColumn) {
    C8021XSettingLogic logic;
    const auto rows = Walk(logic);
    ASSERT_EQ(rows.size(), 28u);
    for (int port = 1; port <= 28; ++port) {
        ExpectPort(rows[static_cast<size_t>(port - 1)], port, {});
    }
    ExpectWholeWalkRequests();
}

// The transmit period (first, middle and last walked columns too) left out of every reply: that field
// is unread on every port, every other field its own; every step still asks every column.
TEST_F(Dot1xPortWalk, ColumnLeftOutOfEveryReplyLeavesOnlyItsField) {
    for (int column : {6, 1, 3, 10}) {
        SCOPED_TRACE("without column " + std::to_string(column));
        s_sim->ClearLog();
        s_sim->Omit(C8021XSettingLogic::PortColumn(column));
        C8021XSettingLogic logic;
        const auto rows = Walk(logic);
        s_sim->OmitNone();
        ASSERT_EQ(rows.size(), 28u);
        for (int port = 1; port <= 28; ++port) {
            ExpectPort(rows[static_cast<size_t>(port - 1)], port, {column});
        }
        ExpectWholeWalkRequests();
    }
}

// One cell of one port missing, and a value of another type: only that port's field is unread; the
// next port keeps its own capability, and the column is asked again from the port read.
TEST_F(Dot1xPortWalk, OneMissingCellOrAWrongTypeLeavesOnlyThatField) {
    s_sim->Unset(Cell(10, 2));
    s_sim->Set(Cell(2, 4), "s", "60");  // the quiet period of port 4 as text
    s_sim->ClearLog();
    C8021XSettingLogic logic;
    const auto rows = Walk(logic);
    ASSERT_EQ(rows.size(), 28u);
    for (int port = 1; port <= 28; ++port) {
        ExpectPort(rows[static_cast<size_t>(port - 1)], port,
                   port == 2   ? std::vector<int>{10}
                   : port == 4 ? std::vector<int>{2}
                               : std::vector<int>{});
    }
    EXPECT_EQ(rows[3].quietPeriod, 0);  // not read: the field keeps its start value
    ExpectWholeWalkRequests();
}

// A column whose values end early (its last ports missing) ends alone: those ports' fields stay
// unread, and once it ran into the next column it is no longer asked.
TEST_F(Dot1xPortWalk, ColumnEndingEarlyIsNoLongerAskedAndFillsNothingMore) {
    for (int port = 26; port <= 28; ++port) {
        s_sim->Unset(Cell(11, port));  // the direction column, the last of the table's
    }
    s_sim->ClearLog();
    C8021XSettingLogic logic;
    const auto rows = Walk(logic);
    ASSERT_EQ(rows.size(), 28u);
    for (int port = 1; port <= 28; ++port) {
        ExpectPort(rows[static_cast<size_t>(port - 1)], port,
                   port >= 26 ? std::vector<int>{11} : std::vector<int>{});
    }
    const auto asked = Asked();
    ASSERT_EQ(asked.size(), 29u);
    EXPECT_EQ(asked[25], From(25));
    std::vector<std::string> without = From(26);
    without.erase(without.begin() + 1);  // the direction column is the second binding
    EXPECT_EQ(asked[26], without);
}

}  // namespace
