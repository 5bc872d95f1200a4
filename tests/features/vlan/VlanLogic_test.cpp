// VLAN logic against the simulated switch: a refused step of a VLAN's write stopping it and leaving no
// half-made VLAN, the switch's own VLAN rules, the PVID writes of a large switch stopping at a refused
// port, and the grid's untagged-once port lists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/SnmpReply.h"
#include "features/vlan/PvidSettingLogic.h"
#include "features/vlan/VlanAddLogic.h"
#include "features/vlan/VlanTable.h"
#include "platform/snmplib/Tripwire.h"
#include "platform/sys/Globals.h"
#include "tests/support/ModuleBaseFixture.h"

namespace {

using ksx::test::SetLines;
using Flags = CVlanAddLogic::PortFlags;

const std::string kTable = "1.3.6.1.4.1.7393.10.76.20.1.7.6.1";
const size_t kCut = kTable.size() + 1;  // set lines show "<column>.<vid>=..."

Flags PortsOf(int count, std::initializer_list<int> ports) {
    Flags flags(static_cast<size_t>(count), 0);
    for (int p : ports) {
        flags[static_cast<size_t>(p - 1)] = 1;
    }
    return flags;
}

// Every step of the write on this thread, up to the first that failed, as the dialog's run does.
CVlanAddLogic::WriteResult WriteVlan(CVlanAddLogic& logic, const CVlanAddLogic::VlanWrite& write,
                                     const CVlanAddLogic::VlanMembers& original) {
    CVlanAddLogic::WriteResult result;
    logic.ResetProgress();
    for (CVlanAddLogic::Step step : CVlanAddLogic::Steps(write)) {
        if (!logic.RunStep(step, write, original, result).ok) {
            break;
        }
    }
    return result;
}

class VlanWrite28 : public ksx::test::ModuleBaseSuite {
protected:
    void SetUp() override {
        ModuleBaseSuite::SetUp();
        g_nPortNum = 28;
    }
};

TEST_F(VlanWrite28, ARefusedStepStopsAndLeavesNoHalfMadeVlan) {
    CVlanAddLogic logic;
    // Add: the all-ports step is refused; the created row is destroyed again.
    s_sim->ErrorStatus(kTable + ".2.30", 5);
    CVlanAddLogic::VlanWrite add{true, "30", "lab", PortsOf(28, {5}), Flags(28, 0), Flags(28, 0)};
    auto result = WriteVlan(logic, add, {});
    EXPECT_EQ(result.failed, CVlanAddLogic::kAllPorts);
    EXPECT_TRUE(result.undone);
    EXPECT_EQ(SetLines(s_sim->Requests(), kCut),
              (std::vector<std::string>{"5.30=i:5", "2.30=x:fffffff000000000", "5.30=i:6"}));
    EXPECT_EQ(s_sim->Get(kTable + ".5.30"), "");
    s_sim->ErrorStatus(kTable + ".2.30", 0);

    // Edit: the name is refused after the ports were written; the members go back as they were read.
    s_sim->ClearLog();
    s_sim->ErrorStatus(kTable + ".1.100", 5);
    CVlanAddLogic::VlanWrite edit{false,       "100", "renamed", PortsOf(28, {1, 2}), PortsOf(28, {1}),
                                  Flags(28, 0)};
    CVlanAddLogic::VlanMembers original{PortsOf(28, {1, 2, 3, 4, 5, 6, 7, 8}), Flags(28, 0),
                                        PortsOf(28, {20}), "office"};
    result = WriteVlan(logic, edit, original);
    EXPECT_EQ(result.failed, CVlanAddLogic::kName);
    EXPECT_EQ(CVlanAddLogic::StepName(result.failed), "VLAN name");
    EXPECT_EQ(CVlanAddLogic::FailureText(edit, result),
              "The device did not accept the VLAN name of VLAN 100. VLAN 100 was put back as it was.");
    EXPECT_EQ(
        SetLines(s_sim->Requests(), kCut),
        (std::vector<std::string>{"5.100=i:2", "2.100=x:fffffff000000000", "4.100=x:8000000000000000",
                                  "2.100=x:c000000000000000", "3.100=x:0000000000000000", "1.100=s:renamed",
                                  "2.100=x:ff00000000000000", "4.100=x:0000000000000000",
                                  "3.100=x:0000100000000000", "5.100=i:1"}));
    EXPECT_EQ(s_sim->Get(kTable + ".2.100"), "ff00000000000000");
    EXPECT_EQ(s_sim->Get(kTable + ".3.100"), "0000100000000000");
    EXPECT_EQ(s_sim->Get(kTable + ".5.100"), "1");
    s_sim->ErrorStatus(kTable + ".1.100", 0);

    // The device refusing the first change sends nothing more.
    s_sim->ClearLog();
    CVlanAddLogic::VlanWrite clash{true, "100", "dup", Flags(28, 0), Flags(28, 0), Flags(28, 0)};
    result = WriteVlan(logic, clash, {});
    EXPECT_EQ(result.failed, CVlanAddLogic::kPrepareRow);
    EXPECT_EQ(SetLines(s_sim->Requests(), kCut), std::vector<std::string>{"5.100=i:5"});
    EXPECT_EQ(CVlanAddLogic::FailureText(clash, result),
              "The device already holds VLAN 100; it was left as it is.");

    // A step not answered is told as such.
    result = {CVlanAddLogic::kEgress, {SnmpOutcome::kUnanswered}, false, true, {}};
    EXPECT_EQ(CVlanAddLogic::FailureText(add, result),
              "The device did not answer: it did not confirm whether the member ports of VLAN 30 were "
              "written. The VLAN was not added.");

    // The put-back refused part-way: the VLAN stays out of service, and the text says what went back.
    s_sim->ClearLog();
    s_sim->ErrorStatus(kTable + ".3.100", 5);
    result = WriteVlan(logic, edit, original);
    EXPECT_EQ(result.failed, CVlanAddLogic::kForbidden);
    EXPECT_EQ(
        CVlanAddLogic::FailureText(edit, result),
        "The device did not accept the forbidden ports of VLAN 100. VLAN 100 could not be put back as it "
        "was: the device did not accept the forbidden ports. The member ports and the untagged ports "
        "were written; the activation was not written. VLAN 100 is left out of service: it is not "
        "listed, and adding it again replaces it.");
    EXPECT_EQ(s_sim->Get(kTable + ".2.100"), "ff00000000000000");
    EXPECT_EQ(s_sim->Get(kTable + ".5.100"), "2");
    s_sim->ErrorStatus(kTable + ".3.100", 0);
    // A refused out-of-service write leaves VLAN 40 not this module's to replace.
    CVlanAddLogic::VlanWrite vlan40{true, "40", "lab", PortsOf(28, {5}), Flags(28, 0), Flags(28, 0)};
    ASSERT_TRUE(WriteVlan(logic, vlan40, {}).Ok());
    s_sim->RefuseWrites(kTable + ".5.40", 5);
    vlan40.add = false;
    EXPECT_EQ(WriteVlan(logic, vlan40, original).failed, CVlanAddLogic::kPrepareRow);
    s_sim->RefuseWrites(kTable + ".5.40", 0);
    s_sim->Set(kTable + ".5.40", "i", "2");
    vlan40.add = true;
    EXPECT_EQ(WriteVlan(logic, vlan40, {}).failed, CVlanAddLogic::kPrepareRow);
    EXPECT_TRUE(logic.Other().Found());  // asked, not replaced
}

TEST_F(VlanWrite28, DeviceKeepsUntaggedWithinEgressAndTheDefaultVlan) {
    auto set = [](const std::string& oid, int type, const std::string& value) {
        CCommonSNMP session;
        session.Open(CCommonSNMP::REQUEST_SET);
        if (type == 2) {
            session.AddVarBind(oid, type, value.data(), static_cast<int>(value.size()));
        } else {
            session.AddVarBind(oid, type, value.c_str());
        }
        // The destroys below stand for the user's Delete of a listed VLAN.
        return ksx::tripwire::AsUserDelete([&] { return ksx::SendAccepted(session); });
    };
    // VLAN 100 has ports 1 to 8 and no untagged port.
    EXPECT_FALSE(set(kTable + ".4.100", 2, std::string("\x00\x80\x00\x00", 4)));  // port 9: not a member
    EXPECT_TRUE(set(kTable + ".4.100", 2, std::string("\xC0\x00\x00\x00", 4)));
    EXPECT_TRUE(set(kTable + ".2.100", 2, std::string("\x80\x00\x00\x00", 4)));  // port 2 leaves both
    EXPECT_EQ(s_sim->Get(kTable + ".4.100"), "80000000");
    EXPECT_FALSE(set(kTable + ".5.1", 1, "6"));
    EXPECT_FALSE(set(kTable + ".5.1", 1, "2"));
    EXPECT_TRUE(set(kTable + ".5.1", 1, "1"));
    EXPECT_EQ(s_sim->Get(kTable + ".5.1"), "1");
    EXPECT_TRUE(set(kTable + ".5.100", 1, "6"));  // any other VLAN can go
    EXPECT_EQ(s_sim->Get(kTable + ".5.100"), "");
}

class VlanWrite52 : public ksx::test::ModuleBaseSuite {
public:
    static void SetUpTestSuite() {
        SnmpInit();
        StartSim({"ksx-4200-52", {}});
    }

protected:
    void SetUp() override {
        ModuleBaseSuite::SetUp();
        g_nPortNum = 52;
    }
    void TearDown() override {
        g_nPortNum = 28;
        ModuleBaseSuite::TearDown();
    }
};

TEST_F(VlanWrite52, PvidWritesSplitAfterPortFortyAndStopAtARefusal) {
    CPvidSettingLogic logic;
    std::vector<int> pvids(52, 1);
    pvids[4] = 10;
    EXPECT_EQ(logic.WritePvids(pvids), 0);
    std::vector<std::string> expected;
    for (int p = 1; p <= 52; ++p) {
        expected.push_back("7.1.1." + std::to_string(p) + "=u:" + (p == 5 ? "10" : "1"));
    }
    const size_t cut = std::string("1.3.6.1.4.1.7393.10.76.20.1.7.").size();
    EXPECT_EQ(SetLines(s_sim->Requests(), cut), expected);

    // Port 41 refused: ports 1 to 40 are written, nothing after; the port is reported.
    s_sim->ClearLog();
    s_sim->ErrorStatus("1.3.6.1.4.1.7393.10.76.20.1.7.7.1.1.41", 5);
    EXPECT_EQ(logic.WritePvids(pvids), 41);
    expected.resize(41);
    EXPECT_EQ(SetLines(s_sim->Requests(), cut), expected);
    s_sim->ErrorStatus("1.3.6.1.4.1.7393.10.76.20.1.7.7.1.1.41", 0);
}

TEST(VlanGrid, UntaggedOnceLists) {
    VlanList list(3);
    list[0].nVid = 1;
    list[0].szUntaggedPorts = "1,2,3,12";
    list[1].nVid = 10;
    list[2].nVid = 20;
    list[2].szUntaggedPorts = "2,21";
    std::string all = CVlanAddLogic::JoinUntaggedLists(list);
    EXPECT_EQ(all, "1,2,3,12,,2,21");
    EXPECT_FALSE(CVlanAddLogic::IsPortNotInList(2, all));
    EXPECT_FALSE(CVlanAddLogic::IsPortNotInList(21, all));
    EXPECT_TRUE(CVlanAddLogic::IsPortNotInList(4, all));  // "12" and "21" are not port 1 or 2
    EXPECT_TRUE(CVlanAddLogic::IsPortNotInList(5, ""));
    CVlanAddLogic::RemovePortFromList(2, all);  // every occurrence goes
    EXPECT_TRUE(CVlanAddLogic::IsPortNotInList(2, all));
    EXPECT_FALSE(CVlanAddLogic::IsPortNotInList(12, all));
    EXPECT_TRUE(CVlanAddLogic::JoinUntaggedLists({}).empty());

    VlanEntry entry;
    entry.szEgressPorts = "1,2,3";
    entry.szUntaggedPorts = "2";
    entry.szForbiddenPorts = "5,40";  // past the port count: ignored
    Flags egress, untagged, notMember, forbidden;
    CVlanAddLogic::LoadPortFlags(entry, 6, egress, untagged, notMember, forbidden);
    EXPECT_EQ(egress, (Flags{1, 1, 1, 0, 0, 0}));
    EXPECT_EQ(untagged, (Flags{0, 1, 0, 0, 0, 0}));
    EXPECT_EQ(forbidden, (Flags{0, 0, 0, 0, 1, 0}));
    EXPECT_EQ(notMember, (Flags{0, 0, 0, 1, 0, 1}));
}

}  // namespace
