// The port configuration logic against the simulated switch: the port-table walk bounded by the port
// count, writes that count an error status as a failure, bounded trunk lookups, and the description
// walk and range write.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "features/port_system/PortConfigLogic.h"
#include "platform/sys/Globals.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using ksx::test::OfKind;

const std::string kPortTable = "1.3.6.1.4.1.7393.10.76.20.1.1.13.1";
const std::string kDescTable = "1.3.6.1.4.1.7393.10.76.20.1.1.16.1";
const std::string kTrunkMembers = "1.3.6.1.4.1.7393.10.76.20.1.8.1.3.1.2";

// Owner window stand-in: records the messages the walks send from their worker thread.
class Owner : public IMessageTarget {
public:
    LRESULT SendMessage(unsigned msg, WPARAM, LPARAM) override {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_messages.push_back(msg);
        return 1;
    }
    bool PostMessage(unsigned msg, WPARAM w, LPARAM l) override { return SendMessage(msg, w, l) != 0; }
    std::vector<unsigned> Messages() const {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_messages;
    }
    bool WaitFor(unsigned msg, int limitMs = 10000) const {
        return test::WaitUntil(
            [&] {
                for (unsigned m : Messages()) {
                    if (m == msg) {
                        return true;
                    }
                }
                return false;
            },
            limitMs);
    }

private:
    mutable std::mutex m_mutex;
    std::vector<unsigned> m_messages;
};

class PortConfigLogicTest : public test::SharedSimTest {
protected:
    void TearDown() override {
        s_sim->ErrorStatus(kPortTable, 0);
        s_sim->ErrorStatus(kDescTable, 0);
        SharedSimTest::TearDown();
    }
};

TEST_F(PortConfigLogicTest, PortWalkReadsSixColumnsAndDropsRowsPastThePortCount) {
    g_nPortNum = 24;
    CPortConfigLogic logic;
    Owner owner;
    logic.SetOwnerWnd(&owner);
    ASSERT_TRUE(logic.ReadPortTable());
    ASSERT_TRUE(owner.WaitFor(WM_SNMP_WALK_STALE));
    EXPECT_EQ(owner.Messages(), std::vector<unsigned>{WM_SNMP_WALK_STALE});
    EXPECT_EQ(logic.RowCount(), 28);  // all read, four dropped
    const auto rows = logic.PortRows();
    ASSERT_EQ(rows.size(), 24u);
    EXPECT_EQ(rows[0].port, 1);
    EXPECT_EQ(rows[0].speed, 6);
    EXPECT_EQ(rows[0].linkStatus, 3);
    EXPECT_EQ(rows[0].mdix, 1);
    EXPECT_EQ(rows[0].flowControl, 2);
    EXPECT_EQ(rows[0].medium, 2);
    EXPECT_EQ(rows[1].flowControl, 1);  // port 2 has flow control on
    EXPECT_EQ(rows[21].speed, 7);       // port 22 disabled
    EXPECT_EQ(rows[23].port, 24);

    // The first request names the six columns, in order, with no instance.
    const auto reads = OfKind(s_sim->Requests(), "getnext");
    ASSERT_FALSE(reads.empty());
    const auto& first = reads.front();
    EXPECT_EQ(first.principal, "quaint");
    ASSERT_EQ(first.varbinds.size(), 6u);
    const char* columns[] = {"1", "2", "3", "4", "5", "7"};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(first.varbinds[i].oid, kPortTable + "." + columns[i]);
        EXPECT_EQ(first.varbinds[i].type, "n");
    }
    EXPECT_EQ(reads.size(), 29u);  // 28 rows and the step past the end
}

TEST_F(PortConfigLogicTest, RowsTheTableLacksKeepTheirConstructionValues) {
    g_nPortNum = 30;
    CPortConfigLogic logic;
    Owner owner;
    logic.SetOwnerWnd(&owner);
    logic.ReadPortTable();
    ASSERT_TRUE(owner.WaitFor(WM_SNMP_WALK_STALE));
    const auto rows = logic.PortRows();
    ASSERT_EQ(rows.size(), 30u);
    EXPECT_EQ(rows[27].port, 28);
    EXPECT_EQ(rows[27].medium, 4);  // fibre slot
    for (int i : {28, 29}) {
        const PortConfigRow& r = rows[static_cast<size_t>(i)];
        EXPECT_EQ(r.port, 0);
        EXPECT_EQ(r.speed, 1);
        EXPECT_EQ(r.mdix, 1);
        EXPECT_EQ(r.flowControl, 2);
        EXPECT_EQ(r.linkStatus, 1);
        EXPECT_EQ(r.medium, 1);
    }
}

// A row the table lacks leaves its port not read instead of shifting the later rows into its place;
// the description table is keyed the same way.
TEST_F(PortConfigLogicTest, RowsAreKeyedByTheirPortIndex) {
    for (const char* column : {"1", "2", "3", "4", "5", "7"}) {
        s_sim->Unset(kPortTable + "." + column + ".3");
    }
    s_sim->Unset(kDescTable + ".1.1");
    s_sim->Unset(kDescTable + ".2.1");
    CPortConfigLogic logic;
    Owner owner;
    logic.SetOwnerWnd(&owner);
    logic.ReadPortTable();
    ASSERT_TRUE(owner.WaitFor(WM_SNMP_WALK_STALE));
    const auto rows = logic.PortRows();
    EXPECT_FALSE(rows[2].read);
    EXPECT_FALSE(logic.RowRead(2));
    EXPECT_TRUE(rows[3].read);
    EXPECT_EQ(rows[3].port, 4);
    EXPECT_EQ(rows[27].port, 28);

    logic.ReadDescriptions();
    ASSERT_TRUE(owner.WaitFor(WM_SNMP_WALK_END));
    const auto descriptions = logic.DescriptionRows();
    EXPECT_EQ(descriptions[0].port, 0);
    EXPECT_EQ(descriptions[0].description, "");
    EXPECT_EQ(descriptions[24].port, 25);
    EXPECT_EQ(descriptions[24].description, "Server A");
}

TEST_F(PortConfigLogicTest, WriteIsOneSetOfThreeColumnsAndAnErrorStatusIsAFailure) {
    CPortConfigLogic logic;
    PortConfigRow row;
    row.port = 3;
    row.speed = 2;
    row.mdix = 3;
    row.flowControl = 1;
    EXPECT_TRUE(logic.WritePortSettings(row).Accepted());
    auto sets = OfKind(s_sim->Requests(), "set");
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].principal, "harbour");
    ASSERT_EQ(sets[0].varbinds.size(), 3u);
    EXPECT_EQ(sets[0].varbinds[0].oid, kPortTable + ".2.3");
    EXPECT_EQ(sets[0].varbinds[1].oid, kPortTable + ".4.3");
    EXPECT_EQ(sets[0].varbinds[2].oid, kPortTable + ".5.3");
    for (const auto& vb : sets[0].varbinds) {
        EXPECT_EQ(vb.type, "i");
    }
    EXPECT_EQ(sets[0].varbinds[0].value, "2");
    EXPECT_EQ(sets[0].varbinds[1].value, "3");
    EXPECT_EQ(sets[0].varbinds[2].value, "1");
    EXPECT_EQ(s_sim->Get(kPortTable + ".2.3"), "2");

    // A value the device refuses (badValue) and an injected genErr: answered, yet not written.
    row.speed = 9;
    EXPECT_TRUE(logic.WritePortSettings(row).Refused());
    row.speed = 4;
    s_sim->ErrorStatus(kPortTable + ".5.3", 5);
    EXPECT_TRUE(logic.WritePortSettings(row).Refused());
    s_sim->ErrorStatus(kPortTable + ".5.3", 0);
    EXPECT_EQ(OfKind(s_sim->Requests(), "set").size(), 3u);

    // No answer at all.
    test::UseSimV1(*s_sim, "300");
    CPortConfigLogic quick;
    s_sim->Silence(true);
    EXPECT_TRUE(quick.WritePortSettings(row).Unanswered());
    s_sim->Silence(false);
}

TEST_F(PortConfigLogicTest, ChecksBoundRowIndexesAndPortNumbersFromTheDevice) {
    test::ScriptedMessageBox boxes;
    boxes.FailOnUnexpected();
    CPortConfigLogic logic;
    Owner owner;
    logic.SetOwnerWnd(&owner);
    logic.ReadTrunkPorts();
    ASSERT_TRUE(test::WaitUntil([&] { return logic.TrunkLoaded() && logic.TableSession().IsDone(); }));
    logic.ReadPortTable();
    ASSERT_TRUE(owner.WaitFor(WM_SNMP_WALK_STALE));
    ASSERT_EQ(logic.TrunkPortsSnapshot()[24], 1);

    // Row indexes outside the list refuse without a message.
    for (int bad : {-1, 28, 1000}) {
        EXPECT_FALSE(logic.CheckTrunkSpeed(bad, 25, 6));
        EXPECT_FALSE(logic.CheckTrunkFlowControl(bad, 25, 2));
        EXPECT_FALSE(logic.CheckTrunkMdix(bad, 25, 1));
        EXPECT_FALSE(logic.CheckFiberMdix(bad, 25, 1));
        EXPECT_FALSE(logic.CheckSpeed(bad, 25, 6));
        EXPECT_FALSE(logic.CheckDisableAll(bad, 7));
    }
    // Port numbers outside 1..N (as a device may send them) are in no trunk.
    for (int port : {0, -3, 29, 99, 1 << 30}) {
        EXPECT_TRUE(logic.CheckTrunkSpeed(0, port, 2));
        EXPECT_TRUE(logic.CheckTrunkFlowControl(0, port, 1));
        EXPECT_TRUE(logic.CheckTrunkMdix(0, port, 3));
    }
    // The trunk member itself: only its current values pass; its partner's group decides.
    EXPECT_TRUE(logic.CheckTrunkSpeed(24, 25, 6));
    EXPECT_FALSE(logic.CheckTrunkSpeed(24, 25, 1));
    EXPECT_FALSE(logic.CheckTrunkFlowControl(24, 25, 1));
    EXPECT_TRUE(logic.CheckTrunkFlowControl(24, 25, 2));
    EXPECT_FALSE(logic.CheckTrunkMdix(24, 25, 2));
    // Fibre port 27 set to auto or disabled asks nothing.
    EXPECT_TRUE(logic.CheckSpeed(26, 27, 6));
    EXPECT_TRUE(logic.CheckSpeed(26, 27, 7));
    EXPECT_TRUE(logic.CheckFiberMdix(26, 27, 1));
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_TRUE(OfKind(s_sim->Requests(), "set").empty());
}

TEST_F(PortConfigLogicTest, DescriptionWalkAndRangeWrite) {
    CPortConfigLogic logic;
    Owner owner;
    logic.SetOwnerWnd(&owner);
    EXPECT_FALSE(logic.ReadDescriptions());
    ASSERT_TRUE(owner.WaitFor(WM_SNMP_WALK_END));
    auto rows = logic.DescriptionRows();
    ASSERT_EQ(rows.size(), 28u);
    EXPECT_EQ(rows[0].port, 1);
    EXPECT_EQ(rows[0].description, "Uplink to core");
    EXPECT_EQ(rows[1].description, "");
    EXPECT_EQ(rows[24].description, "Server A");

    s_sim->ClearLog();
    PortDescriptionRequest request{3, 5, "Lab bench"};
    EXPECT_TRUE(logic.WriteDescriptions(request));
    auto sets = OfKind(s_sim->Requests(), "set");
    ASSERT_EQ(sets.size(), 1u);
    ASSERT_EQ(sets[0].varbinds.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(sets[0].varbinds[static_cast<size_t>(i)].oid, kDescTable + ".2." + std::to_string(3 + i));
        EXPECT_EQ(sets[0].varbinds[static_cast<size_t>(i)].type, "s");
        EXPECT_EQ(sets[0].varbinds[static_cast<size_t>(i)].value, "Lab bench");
    }

    // Nothing is sent for a range starting below 1 or ending before its start.
    s_sim->ClearLog();
    EXPECT_FALSE(logic.WriteDescriptions({0, 5, "x"}));
    EXPECT_FALSE(logic.WriteDescriptions({5, 4, "x"}));
    EXPECT_TRUE(s_sim->Requests().empty());

    // A refused write is a failure.
    s_sim->ErrorStatus(kDescTable + ".2.4", 5);
    EXPECT_FALSE(logic.WriteDescriptions({4, 4, "y"}));
    s_sim->ErrorStatus(kDescTable + ".2.4", 0);

    // A new read overwrites the rows from the first one.
    logic.ReadDescriptions();
    ASSERT_TRUE(test::WaitUntil([&] { return owner.Messages().size() == 2u; }));
    EXPECT_EQ(owner.Messages().back(), WM_SNMP_WALK_END);
    rows = logic.DescriptionRows();
    EXPECT_EQ(rows[2].description, "Lab bench");
    EXPECT_EQ(rows[4].description, "Lab bench");
    EXPECT_EQ(rows[5].description, "");
}

}  // namespace
