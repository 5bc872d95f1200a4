// Trunk member checks against the simulated switch: the sixteen checks in their order with their exact
// texts, the reference rules, rows stored under their own port, every static MAC and ARP entry, the
// spanning tree records of a port count above 52, reads that fail, and no read while checking.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "features/layer2/TrunkSettingLogic.h"
#include "platform/sys/Globals.h"
#include "tests/features/layer2/TrunkNeutralSettings.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::WaitUntil;

const std::string P = "1.3.6.1.4.1.7393.10.76.20.1";

const char* const kOtherTrunk = "Cannot add the port as it is a member of another aggregated link !";
const char* const kHalfDuplex = "Cannot add a port in half-duplex mode to an aggregated link.";
const char* const kSpeed = "Cannot add ports of different speed to an aggregated link.";
const char* const kDhcp =
    "Cannot add ports with different DHCP Server Screening Port Settings to an aggregated link.";
const char* const kDot1x = "Cannot add the 802.1X-enabled port to an aggregated link.";
const char* const kDot1xUnauthorized = "Setting the Channel Mode Fail.";
const char* const kVlan = "Cannot add ports with different VLAN configurations to an aggregated link !";
const char* const kLearn = "Cannot add a Auto-learn disabled port to an aggregated link.";
const char* const kPriority =
    "Cannot add ports with different 802.1p default priorities to an aggregated link.";
const char* const kPvid = "Cannot add ports with different PVIDs to an aggregated link.";
const char* const kPortSecurity = "Cannot add a port-security anabled port to an aggregated link.";
const char* const kLbd = "Cannot add a LBD-enabled port to an aggregated link.";
const char* const kMirrorSources = "Cannot add ports of Port Mirror enable ports to an aggregated link.";
const char* const kMirrorTarget = "Cannot add a mirror port to an aggregated link.";
const char* const kArp = "Cannot add ports of ARP Spoofing Prevent enable ports to an aggregated link.";
const char* const kRate =
    "Cannot add ports with different rate control configurations to an aggregated link.";
const char* const kRstp = "Cannot add a port with different RSTP port setting to an aggregated link. ";
const char* const kVoice = "Cannot add a port in Voice Vlan Auto mode to an aggregated link.";
const char* const kFdb =
    "Cannot add ports with different FDB-destination-hit configurations to an aggregated link.";
const char* const kAcl = "Cannot add an ACL enabled port to an aggregated link.";
const char* const kSurveillanceAuto =
    "Cannot add a port in  Auto Surveillance VLAN Auto mode to an aggregated link";
const char* const kSurveillanceDynamic =
    "Cannot add a port in Auto Surveillance Vlan Auto dynamic mode to an aggregated link";

// The sample device: trunk 1 holds ports 25 and 26; port 22 is administratively down; every other
// setting alike on all ports (the sample's rate limits, VLANs past VLAN 1 and PVIDs other than 1 are
// taken off, the other areas' port settings made alike with one static MAC entry on port 24).
class TrunkChecks : public test::SharedSimTest {
protected:
    void SetUp() override {
        SharedSimTest::SetUp();
        test::SetNeutralTrunkLoads(*s_sim, 28);
        for (int port : {3, 7, 12}) {
            for (int column : {2, 3}) {
                s_sim->Set(P + ".13.1.2.1." + std::to_string(column) + "." + std::to_string(port), "i", "0");
            }
        }
        for (const char* vlan : {".100", ".200"}) {
            s_sim->Set(P + ".7.6.1.2" + vlan, "x", "00000000");
            s_sim->Set(P + ".7.6.1.4" + vlan, "x", "00000000");
        }
        for (int port = 1; port <= 28; ++port) {
            s_sim->Set(P + ".7.7.1.1." + std::to_string(port), "u", "1");
        }
    }
    // Reads the device afresh (every read must end well).
    void Load() {
        logic = std::make_unique<CTrunkSettingLogic>();
        ASSERT_EQ(logic->Init(), 1);
        ASSERT_TRUE(WaitUntil([&] { return !logic->AnyLoadPending(); }, 20000));
        ASSERT_TRUE(logic->AllLoaded());
    }
    // The messages the checks show for `ports` proposed for a trunk whose members are `current` ("" when
    // they pass).
    std::string Propose(const std::vector<int>& ports, const std::string& current = "") {
        flags.assign(static_cast<size_t>(g_nPortNum), 0);
        for (int p : ports) {
            flags[static_cast<size_t>(p - 1)] = 1;
        }
        logic->SetMembers(flags.data(), current);
        boxes.Clear();
        const int result = logic->CheckMembers();
        logic->ReleaseMembers();
        const auto texts = boxes.Texts();
        EXPECT_LE(texts.size(), 1u) << "a failing check shows one message";
        EXPECT_EQ(result, texts.empty() ? 1 : 0);
        return texts.empty() ? "" : texts.front();
    }
    std::string LoadAndPropose(const std::vector<int>& ports, const std::string& current = "") {
        Load();
        return logic ? Propose(ports, current) : "not loaded";
    }
    void Unset(const std::string& oid) { s_sim->Command("unset " + oid); }

    test::ScriptedMessageBox boxes;
    std::unique_ptr<CTrunkSettingLogic> logic;
    std::vector<int> flags;
};

TEST_F(TrunkChecks, EachCheckInItsOrderStopsAtTheFirstFailure) {
    // Ports 1 and 2 proposed for trunk 2 conflict in every check; each conflict is removed in turn and
    // the next check's message must follow.
    struct Conflict {
        const char* message;
        std::vector<std::pair<std::string, std::string>> make;  // oid, "type value"
        std::vector<std::pair<std::string, std::string>> clear;
    };
    const std::vector<Conflict> conflicts = {
        {kOtherTrunk, {{P + ".8.1.3.1.2.3", "x 40000000"}}, {{P + ".8.1.3.1.2.3", "x 00000000"}}},
        {kSpeed, {{P + ".1.13.1.2.2", "i 4"}}, {{P + ".1.13.1.2.2", "i 6"}}},
        {kDhcp, {{P + ".14.7.1.0", "x 80000000"}}, {{P + ".14.7.1.0", "x 00000000"}}},
        {kDot1x, {{P + ".11.2.1.0", "i 1"}, {P + ".23.2.1.1.9.2", "i 2"}}, {{P + ".23.2.1.1.9.2", "i 3"}}},
        {kVlan, {{P + ".7.6.1.2.2", "x 60000000"}}, {{P + ".7.6.1.2.2", "x 00000000"}}},
        {kLearn, {{P + ".9.2.0", "x bffffff0"}}, {{P + ".9.2.0", "x fffffff0"}}},
        {kPriority, {{P + ".12.3.1.1.2.1", "i 3"}}, {{P + ".12.3.1.1.2.1", "i 0"}}},
        {kMirrorSources, {{P + ".18.3.0", "x 80000000"}}, {{P + ".18.3.0", "x 00000000"}}},
        {kMirrorTarget, {{P + ".18.1.0", "i 1"}, {P + ".18.2.0", "i 2"}}, {{P + ".18.1.0", "i 2"}}},
        {kArp,
         {{P + ".14.3.1.1.3.192.168.1.254", "x 88000000"}},
         {{P + ".14.3.1.1.3.192.168.1.254", "x 00000000"}}},
        {kRate, {{P + ".13.1.2.1.3.2", "i 512"}}, {{P + ".13.1.2.1.3.2", "i 0"}}},
        {kRstp, {{P + ".6.2.1.16.2", "i 1"}}, {{P + ".6.2.1.16.2", "i 2"}}},
        {kVoice, {{P + ".21.1.6.1.2.1", "i 1"}}, {{P + ".21.1.6.1.2.1", "i 2"}}},
        {kFdb,
         {{P + ".9.3.1.3.1.0.30.148.0.0.24.24", "i 2"}},
         {{P + ".9.3.1.3.1.0.30.148.0.0.24.24", "i 24"}}},
        {kAcl, {{P + ".15.2.1.1.10.1", "x a0000000"}}, {{P + ".15.2.1.1.10.1", "x 00000000"}}},
        {kSurveillanceAuto,
         {{P + ".26.1.1.0", "i 1"}, {P + ".26.1.5.1.2.1", "i 1"}},
         {{P + ".26.1.5.1.2.1", "i 2"}}},
    };
    auto apply = [](const std::vector<std::pair<std::string, std::string>>& sets) {
        for (const auto& [oid, typed] : sets) {
            s_sim->Set(oid, typed.substr(0, 1), typed.substr(2));
        }
    };
    for (const Conflict& c : conflicts) {
        apply(c.make);
    }
    for (const Conflict& c : conflicts) {
        EXPECT_EQ(LoadAndPropose({1, 2}), c.message);
        apply(c.clear);
    }
    EXPECT_EQ(LoadAndPropose({1, 2}), "");
}

TEST_F(TrunkChecks, OtherTrunksRefuseTheirPortsButTheEditedTrunkKeepsItsOwn) {
    Load();
    EXPECT_EQ(Propose({1, 25}), kOtherTrunk);
    EXPECT_EQ(Propose({25, 26}, "25,26"), "");
    EXPECT_EQ(Propose({24, 25, 26}, "25,26"), kFdb);  // port 24 carries the static MAC entry
    EXPECT_EQ(Propose({1, 2, 25, 26}, "25,26"), "");
    // Port 2 joins trunk 2 on the device.
    s_sim->Set(P + ".8.1.3.1.2.2", "x", "40000000");
    EXPECT_EQ(LoadAndPropose({1, 2}), kOtherTrunk);
    EXPECT_EQ(Propose({1, 2}, "2"), "");
}

TEST_F(TrunkChecks, SpeedTakesTheFirstNonZeroPortAsReference) {
    s_sim->Set(P + ".1.13.1.2.2", "i", "4");
    s_sim->Set(P + ".1.13.1.2.5", "i", "5");
    s_sim->Set(P + ".1.13.1.2.8", "i", "3");
    s_sim->Set(P + ".1.13.1.2.9", "i", "0");
    s_sim->Set(P + ".1.13.1.2.11", "i", "0");
    Load();
    EXPECT_EQ(Propose({1, 3}), "");      // 6 and 6
    EXPECT_EQ(Propose({1, 2}), kSpeed);  // 6 and 4
    EXPECT_EQ(Propose({5, 6}), kHalfDuplex);
    EXPECT_EQ(Propose({8, 10}), kHalfDuplex);
    EXPECT_EQ(Propose({9, 10}), "");       // 0 is skipped before the reference
    EXPECT_EQ(Propose({10, 11}), kSpeed);  // but compared after it
    EXPECT_EQ(Propose({9, 10, 12}), "");
    EXPECT_EQ(Propose({1, 9, 10}), kSpeed);
}

TEST_F(TrunkChecks, Dot1XPortsCountOnlyWhileDot1XIsOn) {
    s_sim->Set(P + ".23.2.1.1.9.3", "i", "2");
    s_sim->Set(P + ".23.2.1.1.9.5", "i", "1");
    Load();
    EXPECT_EQ(Propose({3, 4}), "");
    EXPECT_EQ(Propose({5, 6}), "");
    s_sim->Set(P + ".11.2.1.0", "i", "1");
    Load();
    EXPECT_EQ(Propose({3, 4}), kDot1x);
    EXPECT_EQ(Propose({5, 6}), kDot1xUnauthorized);
    EXPECT_EQ(Propose({1, 2}), "");
    EXPECT_EQ(Propose({3, 5}), kDot1x);  // ports in ascending order: port 3 first
}

TEST_F(TrunkChecks, VlanSetsAndListsTakeAllOrNoneOfTheProposedPorts) {
    // VLAN 2: egress ports 1, 2 and 3; VLAN 3: untagged ports 7 and 8 (egress is all ports).
    s_sim->Set(P + ".7.6.1.2.2", "x", "e0000000");
    s_sim->Set(P + ".7.6.1.4.2", "x", "00000000");
    s_sim->Set(P + ".7.6.1.2.3", "x", "fffffff0");
    s_sim->Set(P + ".7.6.1.4.3", "x", "03000000");
    Load();
    EXPECT_EQ(Propose({3, 4}), kVlan);
    EXPECT_EQ(Propose({1, 2}), "");
    EXPECT_EQ(Propose({4, 5}), "");
    EXPECT_EQ(Propose({7, 8}), "");
    EXPECT_EQ(Propose({8, 9}), kVlan);
    EXPECT_EQ(logic->IsAllOrNone(""), 1);
    flags.assign(28, 0);
    flags[0] = flags[1] = 1;
    logic->SetMembers(flags.data(), "");
    EXPECT_EQ(logic->IsAllOrNone("2,40"), 0);
    EXPECT_EQ(logic->IsAllOrNone("1,2,40"), 1);  // numbers above the port count are ignored
    EXPECT_EQ(logic->IsAllOrNone("3,29"), 1);
    logic->ReleaseMembers();
}

TEST_F(TrunkChecks, LearningPortsMustHoldEveryProposedPort) {
    s_sim->Set(P + ".9.2.0", "x", "00000000");
    EXPECT_EQ(LoadAndPropose({1, 2}), kLearn);
    EXPECT_EQ(Propose({25, 26}, "25,26"), kLearn);
    s_sim->Set(P + ".9.2.0", "x", "c0000000");
    EXPECT_EQ(LoadAndPropose({1, 2}), "");
    EXPECT_EQ(Propose({1, 3}), kLearn);
}

TEST_F(TrunkChecks, PortSettingsComparePriorityThenPvidThenRefuseSecurityThenLoopbackPorts) {
    s_sim->Set(P + ".12.3.1.1.2.2", "i", "3");
    s_sim->Set(P + ".7.7.1.1.2", "u", "5");
    s_sim->Set(P + ".7.7.1.1.4", "u", "5");
    s_sim->Set(P + ".14.2.1.1.2.4", "i", "1");
    s_sim->Set(P + ".17.5.1.2.4", "i", "1");
    s_sim->Set(P + ".17.5.1.2.6", "i", "1");
    s_sim->Set(P + ".12.3.1.1.2.8", "i", "0");
    s_sim->Set(P + ".12.3.1.1.2.9", "i", "3");
    Load();
    EXPECT_EQ(Propose({8, 9}), "");         // priority 0 then 3: the first non-zero is the reference
    EXPECT_EQ(Propose({1, 2}), kPvid);      // the same for port 1's priority, but the PVIDs differ
    EXPECT_EQ(Propose({2, 3}), kPriority);  // priority before PVID
    EXPECT_EQ(Propose({1, 4}), kPvid);      // the PVIDs differ, port 4 is also security- and LBD-enabled
    EXPECT_EQ(Propose({2, 4}), kPriority);
    s_sim->Set(P + ".7.7.1.1.4", "u", "1");
    Load();
    EXPECT_EQ(Propose({1, 4}), kPortSecurity);
    EXPECT_EQ(Propose({5, 6}), kLbd);
}

TEST_F(TrunkChecks, MirroringRefusesSplitSourcesAndTheTargetWhileOn) {
    s_sim->Set(P + ".18.4.0", "x", "30000000");  // Tx sources 3 and 4
    s_sim->Set(P + ".18.2.0", "i", "5");
    Load();
    EXPECT_EQ(Propose({3, 4}), "");
    EXPECT_EQ(Propose({4, 5}), kMirrorSources);
    EXPECT_EQ(Propose({5, 6}), "");  // mirroring off: the target may join
    s_sim->Set(P + ".18.1.0", "i", "1");
    Load();
    EXPECT_EQ(Propose({5, 6}), kMirrorTarget);
    EXPECT_EQ(Propose({6, 7}), "");
}

TEST_F(TrunkChecks, RateControlComparesRxThenTxWithTheFirstPort) {
    s_sim->Set(P + ".13.1.2.1.2.3", "i", "1024");
    s_sim->Set(P + ".13.1.2.1.3.7", "i", "512000");
    s_sim->Set(P + ".13.1.2.1.2.12", "i", "64");
    s_sim->Set(P + ".13.1.2.1.3.12", "i", "64");
    Load();
    EXPECT_EQ(Propose({1, 2}), "");
    EXPECT_EQ(Propose({2, 3}), kRate);  // port 3: Tx 1024
    EXPECT_EQ(Propose({7, 8}), kRate);  // port 7: Rx 512000
    EXPECT_EQ(Propose({12, 13}), kRate);
    s_sim->Set(P + ".13.1.2.1.2.13", "i", "64");
    s_sim->Set(P + ".13.1.2.1.3.13", "i", "64");
    EXPECT_EQ(LoadAndPropose({12, 13}), "");
}

TEST_F(TrunkChecks, SpanningTreePortsAreComparedOnlyWhileSpanningTreeIsOn) {
    const char* columns[] = {".4", ".2", ".5", ".16", ".18", ".17", ".14"};
    const char* values[] = {"2", "64", "20000", "1", "1", "1", "0"};
    for (int i = 0; i < 7; ++i) {
        s_sim->Set(P + ".6.2.1" + columns[i] + "." + std::to_string(3 + i), "i", values[i]);
    }
    Load();
    EXPECT_EQ(Propose({1, 2}), "");
    for (int port = 3; port <= 9; ++port) {
        EXPECT_EQ(Propose({1, port}), kRstp) << "port " << port;
        EXPECT_EQ(Propose({port, 10}), kRstp) << "port " << port;
    }
    s_sim->Set(P + ".6.1.1.0", "i", "2");
    EXPECT_EQ(LoadAndPropose({1, 3, 4}), "");
}

TEST_F(TrunkChecks, VoiceAndSurveillanceAutoModesAreRefused) {
    s_sim->Set(P + ".21.1.6.1.2.3", "i", "1");
    s_sim->Set(P + ".26.1.5.1.2.5", "i", "1");
    s_sim->Set(P + ".26.1.5.1.3.6", "i", "2");
    s_sim->Set(P + ".26.1.5.1.3.7", "i", "1");
    Load();
    EXPECT_EQ(Propose({2, 3}), kVoice);
    EXPECT_EQ(Propose({5, 6}), "");  // surveillance VLAN off
    s_sim->Set(P + ".26.1.1.0", "i", "1");
    Load();
    EXPECT_EQ(Propose({5, 6}), kSurveillanceAuto);
    EXPECT_EQ(Propose({6, 7}), kSurveillanceDynamic);
    EXPECT_EQ(Propose({7, 8}), "");
}

TEST_F(TrunkChecks, AclAndArpEntriesEachTakeAllOrNoneOfTheProposedPorts) {
    Load();
    EXPECT_EQ(Propose({1, 2}), "");  // no ACL rule, no ARP entry, no mirror source
    s_sim->Set(P + ".15.2.1.1.10.1", "x", "c0000000");
    s_sim->Set(P + ".15.2.1.1.10.2", "x", "00000000");
    s_sim->Set(P + ".15.2.1.1.10.3", "x", "20000000");
    Load();
    EXPECT_EQ(Propose({1, 2}), "");
    EXPECT_EQ(Propose({3, 4}), kAcl);
    EXPECT_EQ(Propose({2, 3}), kAcl);
    // Two gateways: the first in walk order on ports 3 and 9, the last on ports 1 and 2. Each entry is
    // checked, not only the last one.
    s_sim->Set(P + ".15.2.1.1.10.3", "x", "00000000");
    s_sim->Set(P + ".14.3.1.1.3.10.0.0.1", "x", "20800000");
    s_sim->Set(P + ".14.3.1.1.3.10.0.0.2", "x", "c0000000");
    Load();
    EXPECT_EQ(Propose({3, 4}), kArp);
    EXPECT_EQ(Propose({1, 3}), kArp);
    EXPECT_EQ(Propose({3, 9}), "");
    EXPECT_EQ(Propose({5, 6}), "");
}

TEST_F(TrunkChecks, EveryStaticMacEntryCountsBeyondThePortCount) {
    // 30 entries on a 28-port device; the last in walk order is on port 5.
    for (int i = 1; i <= 30; ++i) {
        const std::string index =
            ".1.0.30.148.0.1." + std::to_string(i) + "." + std::to_string(i == 30 ? 5 : 24);
        s_sim->Set(P + ".9.3.1.3" + index, "i", i == 30 ? "5" : "24");
    }
    EXPECT_EQ(LoadAndPropose({5, 6}), kFdb);
    EXPECT_EQ(logic->Snapshot().staticMacPorts.size(), 31u);
    EXPECT_EQ(Propose({1, 2}), "");
}

TEST_F(TrunkChecks, RowsAreStoredUnderTheirOwnPortWhenATableLacksARow) {
    // Port 1 has no row in the 802.1X table nor in the port security column: the rows that follow
    // must not move up one port.
    s_sim->Set(P + ".11.2.1.0", "i", "1");
    Unset(P + ".23.2.1.1.9.1");
    s_sim->Set(P + ".23.2.1.1.9.3", "i", "2");
    Unset(P + ".14.2.1.1.2.1");
    s_sim->Set(P + ".14.2.1.1.2.6", "i", "1");
    Load();
    const auto tables = logic->Snapshot();
    EXPECT_EQ(tables.dot1x[0], 0);
    EXPECT_EQ(tables.dot1x[1], 3);
    EXPECT_EQ(tables.dot1x[2], 2);
    EXPECT_EQ(tables.voice[0], 2);  // the voice column beside it is complete
    EXPECT_EQ(tables.rstp[27][1], 128);
    EXPECT_EQ(Propose({3, 4}), kDot1x);
    EXPECT_EQ(Propose({6, 7}), kPortSecurity);
    EXPECT_EQ(Propose({4, 5}), "");
}

TEST_F(TrunkChecks, NothingIsReadWhileTheChecksRun) {
    Load();
    s_sim->ClearLog();
    EXPECT_EQ(Propose({1, 2}), "");
    EXPECT_EQ(Propose({1, 25}), kOtherTrunk);
    EXPECT_TRUE(s_sim->Requests().empty());
}

TEST_F(TrunkChecks, ReadsGoOutInTheirOrderWithTheirColumns) {
    Load();
    const auto log = s_sim->Requests();
    auto first = [&](const std::string& oid) {
        for (size_t i = 0; i < log.size(); ++i) {
            if (!log[i].varbinds.empty() && log[i].varbinds[0].oid == oid) {
                return static_cast<int>(i);
            }
        }
        return -1;
    };
    // The port table walk starts after the pause that follows the others of the first group.
    EXPECT_LT(first(P + ".6.2.1.4"), first(P + ".1.13.1.2"));
    for (const auto& r : log) {
        if (r.pdu == "getnext" && !r.varbinds.empty() && r.varbinds[0].oid == P + ".6.2.1.4") {
            std::vector<std::string> oids;
            for (const auto& vb : r.varbinds) {
                oids.push_back(vb.oid.substr(P.size()));
            }
            EXPECT_EQ(oids,
                      (std::vector<std::string>{".6.2.1.4", ".6.2.1.2", ".6.2.1.5", ".6.2.1.16", ".6.2.1.18",
                                                ".6.2.1.17", ".6.2.1.14", ".23.2.1.1.9", ".21.1.6.1.2"}));
        }
        if (r.pdu == "get" && r.varbinds.size() == 3 && r.varbinds[0].oid == P + ".11.2.1.0") {
            EXPECT_EQ(r.varbinds[1].oid, P + ".6.1.1.0");
            EXPECT_EQ(r.varbinds[2].oid, P + ".26.1.1.0");
        }
    }
    EXPECT_GE(first(P + ".18.3.0"), 0);
    EXPECT_GE(first(P + ".18.1.0"), 0);
    EXPECT_GE(first(P + ".14.7.1.0"), 0);
    EXPECT_TRUE(test::Sets(log).empty());
}

TEST_F(TrunkChecks, AFailedReadIsNamedAndKeepsTheChecksFromRunning) {
    s_sim->ErrorStatus(P + ".18.1.0", 5);
    logic = std::make_unique<CTrunkSettingLogic>();
    ASSERT_EQ(logic->Init(), 1);
    ASSERT_TRUE(WaitUntil([&] { return !logic->AnyLoadPending(); }, 20000));
    EXPECT_FALSE(logic->AllLoaded());
    EXPECT_EQ(logic->GetLoadState(CTrunkSettingLogic::LOAD_MIRROR_TARGET), CTrunkSettingLogic::LOAD_FAILED);
    EXPECT_EQ(logic->GetLoadStatus(CTrunkSettingLogic::LOAD_MIRROR_TARGET), kWalkErrorStatus);
    EXPECT_EQ(logic->GetLoadState(CTrunkSettingLogic::LOAD_TRUNK), CTrunkSettingLogic::LOAD_DONE);
    flags.assign(28, 0);
    flags[0] = flags[1] = 1;
    logic->SetMembers(flags.data(), "");
    EXPECT_EQ(logic->CheckMembers(), 0);
    EXPECT_TRUE(boxes.Texts().empty());
    s_sim->ErrorStatus(P + ".18.1.0", 0);
    logic->LoadSettings();
    ASSERT_TRUE(WaitUntil([&] { return !logic->AnyLoadPending(); }, 20000));
    EXPECT_TRUE(logic->AllLoaded());
}

TEST_F(TrunkChecks, ASilentDeviceEndsEveryReadAsFailedWithinTheTimeout) {
    test::UseSimV1(*s_sim, "400");
    s_sim->Silence(true);
    logic = std::make_unique<CTrunkSettingLogic>();
    ASSERT_EQ(logic->Init(), 1);
    ASSERT_TRUE(WaitUntil([&] { return !logic->AnyLoadPending(); }, 20000));
    for (int load = 0; load < CTrunkSettingLogic::LOAD_COUNT; ++load) {
        EXPECT_EQ(logic->GetLoadState(load), CTrunkSettingLogic::LOAD_FAILED)
            << CTrunkSettingLogic::LoadName(load);
    }
}

class TrunkChecksAbove52Ports : public TrunkChecks {
protected:
    void SetUp() override {
        TrunkChecks::SetUp();
        g_nPortNum = 60;
    }
};

TEST_F(TrunkChecksAbove52Ports, SpanningTreeRecordsAreSizedByThePortCount) {
    // Ports 53 to 56 beyond the 28 of the profile; port 56's edge setting differs.
    const char* columns[] = {".4", ".2", ".5", ".16", ".18", ".17", ".14"};
    for (int port = 53; port <= 56; ++port) {
        for (const char* c : columns) {
            s_sim->Set(P + ".6.2.1" + c + "." + std::to_string(port), "i",
                       port == 56 && std::string(c) == ".16" ? "1" : "2");
        }
    }
    s_sim->Set(P + ".9.2.0", "x", "ffffffffffffffff");
    Load();
    EXPECT_EQ(logic->Snapshot().rstp.size(), 60u);
    EXPECT_EQ(Propose({53, 54, 55}), "");
    EXPECT_EQ(Propose({55, 56}), kRstp);
}

}  // namespace
