// The loopback detection logic against the simulated switch: the global write's checks and request, a
// refused write reported, the spanning tree check (a failed read refuses), the VLAN-loop texts by port
// (at most 100 ports) and stale replies dropped.
#include "features/layer2/LBDetectionFunLogic.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "platform/snmplib/Snmp.h"
#include "platform/sys/Globals.h"
#include "tests/support/ModuleBaseFixture.h"
#include "tests/support/ui/DialogDriver.h"

namespace {

using namespace ksx;
using test::SetLines;

const std::string kLbd = CLBDetectionFunLogic::kRoot;

// Owner window stand-in: the wParam codes of the results, in order.
class Owner : public IMessageTarget {
public:
    LRESULT SendMessage(unsigned msg, WPARAM w, LPARAM l) override {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (msg == WM_SNMP_RESULT) {
            codes.push_back(static_cast<unsigned>(w));
            if (w == LBD_PORT_ROW && l != 0) {
                ports.push_back(reinterpret_cast<const LbdPortRow*>(l)->port);
            }
        }
        return 0;
    }
    bool PostMessage(unsigned msg, WPARAM w, LPARAM l) override { return SendMessage(msg, w, l) == 0; }
    std::vector<unsigned> Codes() {
        std::lock_guard<std::mutex> guard(m_mutex);
        return codes;
    }
    bool WaitFor(unsigned code) {
        return test::WaitUntil([&] {
            for (unsigned c : Codes()) {
                if (c == code) {
                    return true;
                }
            }
            return false;
        });
    }
    std::mutex m_mutex;
    std::vector<unsigned> codes;
    std::vector<std::string> ports;
};

// Exposes the walk callbacks.
class Logic : public CLBDetectionFunLogic {
public:
    using CLBDetectionFunLogic::OnVlanLoopWalk;
};

class LbdLogicTest : public test::ModuleBaseSuite {
protected:
    void TearDown() override {
        s_sim->ErrorStatus(kLbd + ".3.0", 0);
        g_nPortNum = 28;
        ModuleBaseSuite::TearDown();
    }
    std::vector<std::string> Sets() { return SetLines(s_sim->Requests(), kLbd.size()); }
};

TEST_F(LbdLogicTest, GlobalWriteChecksTheRangesAndWritesTheNumbersInOneRequest) {
    Logic logic;
    for (const char* recover : {"0", "60", "1000000"}) {
        EXPECT_EQ(logic.SetGlobalSettings("1", "2", "10", recover, "10,20"), CLBDetectionFunLogic::kWritten)
            << recover;
    }
    EXPECT_EQ(Sets(), (std::vector<std::string>{".1.0=i:1 .2.0=i:2 .3.0=i:10 .4.0=i:0 .7.0=s:10,20",
                                                ".1.0=i:1 .2.0=i:2 .3.0=i:10 .4.0=i:60 .7.0=s:10,20",
                                                ".1.0=i:1 .2.0=i:2 .3.0=i:10 .4.0=i:1000000 .7.0=s:10,20"}));
    s_sim->ClearLog();
    for (const char* recover : {"59", "1000001", "-5"}) {
        EXPECT_EQ(logic.SetGlobalSettings("1", "1", "10", recover, ""), CLBDetectionFunLogic::kRefused);
    }
    for (const char* interval : {"0", "32768"}) {
        EXPECT_EQ(logic.SetGlobalSettings("1", "1", interval, "60", ""), CLBDetectionFunLogic::kRefused);
    }
    EXPECT_EQ(logic.SetGlobalSettings("1", "2", "10", "60", "1-9"), CLBDetectionFunLogic::kRefused);
    EXPECT_EQ(boxes_.Texts(),
              (std::vector<std::string>{
                  "The value range is 60 - 1000000 or 0.", "The value range is 60 - 1000000 or 0.",
                  "The value range is 60 - 1000000 or 0.", "The value range is 1 - 32767.",
                  "The value range is 1 - 32767.", "LBD VLAN mode maximum support 8 VLAN groups."}));
    EXPECT_TRUE(Sets().empty());

    // Disabling still checks everything, then writes the state alone; typed numbers go as numbers.
    EXPECT_EQ(logic.SetGlobalSettings("2", "1", "0", "60", ""), CLBDetectionFunLogic::kRefused);
    EXPECT_EQ(logic.SetGlobalSettings("2", "1", "5", "60", ""), CLBDetectionFunLogic::kWritten);
    EXPECT_EQ(logic.SetGlobalSettings("1", "1", " 7", "120", ""), CLBDetectionFunLogic::kWritten);
    EXPECT_EQ(Sets(),
              (std::vector<std::string>{".1.0=i:2", ".1.0=i:1 .2.0=i:1 .3.0=i:7 .4.0=i:120 .7.0=s:"}));
}

TEST_F(LbdLogicTest, ARefusedGlobalWriteIsReportedAsAFailure) {
    Logic logic;
    s_sim->ErrorStatus(kLbd + ".3.0", 10);
    EXPECT_EQ(logic.SetGlobalSettings("1", "1", "10", "60", ""), CLBDetectionFunLogic::kWriteFailed);
    EXPECT_EQ(s_sim->Get(kLbd + ".4.0"), "60");
}

TEST_F(LbdLogicTest, SpanningTreeCheckRefusesWhenItCannotRead) {
    using C = CLBDetectionFunLogic::StpConflict;
    EXPECT_EQ(CLBDetectionFunLogic::CheckStpConflict(2), C::kConflict);
    EXPECT_EQ(CLBDetectionFunLogic::CheckStpConflict(10), C::kNone);  // spanning tree off on port 10
    const auto gets = test::OfKind(s_sim->Requests(), "get");
    ASSERT_EQ(gets.size(), 2u);
    EXPECT_EQ(test::Bindings(gets[0]), (std::vector<std::string>{"1.3.6.1.4.1.7393.10.76.20.1.6.2.1.4.2=n:",
                                                                 "1.3.6.1.4.1.7393.10.76.20.1.6.1.1.0=n:"}));
    s_sim->Set("1.3.6.1.4.1.7393.10.76.20.1.6.1.1.0", "i", "2");
    EXPECT_EQ(CLBDetectionFunLogic::CheckStpConflict(2), C::kNone);  // off for the device
    // A state of another type, or left out of the reply, is no state: the check cannot pass on a guess.
    s_sim->Set("1.3.6.1.4.1.7393.10.76.20.1.6.1.1.0", "s", "1");
    EXPECT_EQ(CLBDetectionFunLogic::CheckStpConflict(2), C::kReadFailed);
    s_sim->Set("1.3.6.1.4.1.7393.10.76.20.1.6.1.1.0", "i", "1");
    s_sim->Omit("1.3.6.1.4.1.7393.10.76.20.1.6.2.1.4.2");
    EXPECT_EQ(CLBDetectionFunLogic::CheckStpConflict(2), C::kReadFailed);
    s_sim->OmitNone();
    s_sim->Silence(true);
    EXPECT_EQ(CLBDetectionFunLogic::CheckStpConflict(2), C::kReadFailed);
}

TEST_F(LbdLogicTest, VlanLoopTextsArePerPortUpToPort100) {
    g_nPortNum = 128;
    // VLAN 30 loops on ports 3 and 101 (16 octets for 128 ports).
    s_sim->Set(kLbd + ".6.1.1.30", "i", "30");
    s_sim->Set(kLbd + ".6.1.2.30", "x", "20000000000000000000000008000000");
    Logic logic;
    Owner owner;
    logic.SetOwnerWnd(&owner);
    logic.ReadVlanLoops();
    ASSERT_TRUE(owner.WaitFor(LBD_VLAN_LOOPS_DONE));
    EXPECT_EQ(logic.VlanLoopText(7), "10,20");
    EXPECT_EQ(logic.VlanLoopText(9), "10");
    EXPECT_EQ(logic.VlanLoopText(3), "30");
    EXPECT_EQ(logic.VlanLoopText(1), "");
    EXPECT_EQ(logic.VlanLoopText(101), "");
}

TEST_F(LbdLogicTest, StaleRepliesAreDropped) {
    Logic logic;
    Owner owner;
    logic.SetOwnerWnd(&owner);
    s_sim->DelayMs(200);
    logic.ReadVlanLoops();
    // A reply with status 0 that no walk waits for, while the real walk is under way.
    Logic::OnVlanLoopWalk(nullptr, 999999, &logic, 0);
    ASSERT_TRUE(owner.WaitFor(LBD_VLAN_LOOPS_DONE));
    test::PumpEvents();
    EXPECT_EQ(owner.Codes(), std::vector<unsigned>{LBD_VLAN_LOOPS_DONE});
    EXPECT_EQ(logic.VlanLoopText(7), "10,20");
}

TEST_F(LbdLogicTest, RefreshReadsPortRowsAndEndsWithFinished) {
    Logic logic;
    Owner owner;
    logic.SetOwnerWnd(&owner);
    logic.ReadPortStates();
    ASSERT_TRUE(owner.WaitFor(LBD_PORTS_FINISHED));
    EXPECT_EQ(owner.ports.size(), 28u);
    EXPECT_EQ(owner.ports.front(), "1");
    EXPECT_EQ(owner.Codes().back(), static_cast<unsigned>(LBD_PORTS_FINISHED));

    // Port writes: one request each, stopping at the first refusal, and the end reported both times.
    s_sim->ClearLog();
    EXPECT_TRUE(logic.SetPortStates(3, 4, "1"));
    s_sim->ErrorStatus(kLbd + ".5.1.2.6", 10);
    EXPECT_FALSE(logic.SetPortStates(5, 8, "2"));
    s_sim->ErrorStatus(kLbd + ".5.1.2.6", 0);
    EXPECT_EQ(Sets(),
              (std::vector<std::string>{".5.1.2.3=i:1", ".5.1.2.4=i:1", ".5.1.2.5=i:2", ".5.1.2.6=i:2"}));
}

}  // namespace
