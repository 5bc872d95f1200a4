// The feature logic base against the simulated switch: the trunk and VLAN walks on the worker thread.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/ModuleBase.h"
#include "platform/snmplib/Snmp.h"
#include "platform/sys/DeliveryGate.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "tests/support/ModuleBaseFixture.h"
#include "tests/support/SimSwitch.h"

namespace {

const std::string kP = "1.3.6.1.4.1.7393.10.76.20.1";
const std::string kTrunkMembers = kP + ".8.1.3.1.2";
const std::string kVlanName = kP + ".7.6.1.1";
const std::string kVlanRowStatus = kP + ".7.6.1.5";

// An owner window: messages sent from a worker are delivered on the test thread through the delivery
// gate, as the UI thread would handle them, and recorded.
class RecordingOwner : public ksx::IMessageTarget {
public:
    struct Message {
        unsigned msg;
        ksx::WPARAM wParam;
        ksx::LPARAM lParam;
        std::thread::id thread;
    };
    RecordingOwner() {
        auto& gate = ksx::DeliveryGate::Instance();
        gate.SetOwnerThread(std::this_thread::get_id());
        gate.SetWakeup([this] {
            std::lock_guard<std::mutex> guard(m_wakeMutex);
            m_woken = true;
            m_wake.notify_all();
        });
        m_target = gate.RegisterTarget();
    }
    ~RecordingOwner() override {
        auto& gate = ksx::DeliveryGate::Instance();
        gate.UnregisterTarget(m_target);
        gate.SetWakeup(nullptr);
    }
    ksx::LRESULT SendMessage(unsigned msg, ksx::WPARAM wParam, ksx::LPARAM lParam) override {
        return ksx::DeliveryGate::Instance().Send(m_target, [=, this] {
            m_messages.push_back({msg, wParam, lParam, std::this_thread::get_id()});
            return ksx::LRESULT{1};
        });
    }
    bool PostMessage(unsigned msg, ksx::WPARAM wParam, ksx::LPARAM lParam) override {
        ksx::DeliveryGate::Instance().Post(m_target, [=, this] {
            m_messages.push_back({msg, wParam, lParam, std::this_thread::get_id()});
        });
        return true;
    }
    // Runs queued calls on this (the test) thread until pred holds or the limit passes.
    bool PumpUntil(const std::function<bool()>& pred, int limitMs = 10000) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        for (;;) {
            ksx::DeliveryGate::Instance().RunPending();
            if (pred()) {
                return true;
            }
            std::unique_lock<std::mutex> lock(m_wakeMutex);
            if (!m_wake.wait_until(lock, deadline, [this] { return m_woken; })) {
                ksx::DeliveryGate::Instance().RunPending();
                return pred();
            }
            m_woken = false;
        }
    }
    std::vector<Message> m_messages;  // touched on the test thread only

private:
    ksx::GateTarget m_target = 0;
    std::mutex m_wakeMutex;
    std::condition_variable m_wake;
    bool m_woken = false;
};

class ModuleBaseTest : public ksx::test::ModuleBaseSuite {
protected:
    // Every trunk row of the profile emptied, so a test sets exactly the rows it needs.
    static void ClearTrunkRows() {
        for (int row = 1; row <= 8; ++row) {
            std::string oid = kTrunkMembers + "." + std::to_string(row);
            if (!s_sim->Get(oid).empty()) {
                s_sim->Set(oid, "x", "00000000");
            }
        }
    }
};

TEST_F(ModuleBaseTest, TrunkWalkFillsPortsAndDrivesTheConsistencyCheck) {
    ClearTrunkRows();
    s_sim->Set(kTrunkMembers + ".1", "x", "c0000000");  // ports 1 and 2
    s_sim->Set(kTrunkMembers + ".2", "x", "00000000");  // a row without ports changes nothing
    s_sim->Set(kTrunkMembers + ".3", "x", "0e000010");  // ports 5, 6, 7 and 28

    CModuleBase logic;
    std::vector<int> values(28, 0);
    values[0] = 5;
    EXPECT_TRUE(logic.CheckTrunkConsistency(values.data()));  // nothing loaded yet

    logic.ReadTrunkPorts();
    ASSERT_TRUE(logic.WaitTableDone(10000));
    EXPECT_TRUE(logic.TrunkLoaded());
    std::vector<int> expected(28, 0);
    expected[0] = expected[1] = 1;
    expected[4] = expected[5] = expected[6] = expected[27] = 3;
    EXPECT_EQ(logic.TrunkPortsSnapshot(), expected);

    EXPECT_FALSE(logic.CheckTrunkConsistency(values.data()));  // 5 and 0 in group 1
    values[1] = 5;
    EXPECT_TRUE(logic.CheckTrunkConsistency(values.data()));  // 5 and 5
    values[4] = 1;
    values[5] = 1;
    values[6] = 1;
    EXPECT_FALSE(logic.CheckTrunkConsistency(values.data()));  // port 28 of group 3 differs
    values[27] = 1;
    EXPECT_TRUE(logic.CheckTrunkConsistency(values.data()));
    values[6] = 2;
    EXPECT_FALSE(logic.CheckTrunkConsistency(values.data()));  // same group, different values
    std::vector<int> outside(28, 0);
    outside[2] = 9;  // port 3 is in no trunk
    EXPECT_TRUE(logic.CheckTrunkConsistency(outside.data()));

    // A second read keeps entries of ports that left their trunk (the device's rows only add).
    s_sim->Set(kTrunkMembers + ".1", "x", "40000000");
    logic.ReadTrunkPorts();
    ASSERT_TRUE(logic.WaitTableDone(10000));
    EXPECT_EQ(logic.TrunkPortsSnapshot()[0], 1);
}

TEST_F(ModuleBaseTest, TrunkTableWithoutMembersLeavesTheDataUnloaded) {
    ClearTrunkRows();
    CModuleBase logic;
    logic.ReadTrunkPorts();
    ASSERT_TRUE(logic.WaitTableDone(10000));
    EXPECT_EQ(logic.TrunkPortsSnapshot(), std::vector<int>(28, 0));
    std::vector<int> values(28, 1);
    values[3] = 0;
    EXPECT_TRUE(logic.CheckTrunkConsistency(values.data()));
}

TEST_F(ModuleBaseTest, VlanListInWalkOrderAndItsDoneMessage) {
    s_sim->Set(kVlanName + ".300", "s", "cameras");
    s_sim->Set(kVlanRowStatus + ".300", "i", "1");
    RecordingOwner owner;
    CModuleBase logic;
    EXPECT_FALSE(logic.SetOwnerWnd(nullptr));
    EXPECT_TRUE(logic.SetOwnerWnd(&owner));

    logic.ReadVlanList();
    ASSERT_TRUE(owner.PumpUntil([&] { return !owner.m_messages.empty(); }));
    ASSERT_EQ(owner.m_messages.size(), 1u);
    EXPECT_EQ(owner.m_messages[0].msg, WM_VLANLIST_DONE);
    EXPECT_EQ(owner.m_messages[0].msg, 0x46Bu);
    EXPECT_EQ(owner.m_messages[0].wParam, 2u);
    EXPECT_EQ(owner.m_messages[0].lParam, 0);
    EXPECT_EQ(owner.m_messages[0].thread, std::this_thread::get_id());
    ASSERT_TRUE(logic.WaitTableDone(10000));

    std::vector<CModuleBase::VlanRow> rows = logic.VlanListSnapshot();
    ASSERT_GE(rows.size(), 2u);
    int last = 0;
    bool found = false;
    for (const auto& row : rows) {
        int id = std::stoi(row.id);
        EXPECT_GT(id, last) << "rows keep the device's order";
        last = id;
        EXPECT_EQ(row.rowStatus, s_sim->Get(kVlanRowStatus + "." + row.id));
        if (row.id == "300") {
            found = true;
            EXPECT_EQ(row.name, "cameras");
            EXPECT_EQ(row.rowStatus, "1");
        }
    }
    EXPECT_TRUE(found);

    // A new read starts from an empty list.
    logic.ReadVlanList();
    ASSERT_TRUE(owner.PumpUntil([&] { return owner.m_messages.size() == 2; }));
    ASSERT_TRUE(logic.WaitTableDone(10000));
    EXPECT_EQ(logic.VlanListSnapshot().size(), rows.size());
}

}  // namespace
