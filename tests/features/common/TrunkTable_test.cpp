// Shared trunk table: rows decoded from the device's member-port column, the per-port trunk-group array
// and its all-or-none checks, the channel-mode texts; and the array built from a real walk of the
// simulated switch agreeing with the module base's own trunk reader.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ModuleBase.h"
#include "core/SnmpReply.h"
#include "features/common/TrunkTable.h"
#include "platform/sys/Globals.h"
#include "tests/support/ModuleBaseFixture.h"
#include "tests/support/ui/DialogDriver.h"

namespace {

using ksx::trunk::ChannelModeText;
using ksx::trunk::ParseTrunkRow;

std::string Octets(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes) {
        s.push_back(static_cast<char>(b));
    }
    return s;
}

TEST(TrunkTable, ModeTextsAndRowDecoding) {
    EXPECT_EQ(ChannelModeText("1"), "LACP");
    EXPECT_EQ(ChannelModeText("2"), "Static");
    for (const char* other : {"3", "0", "", "12", "x"}) {
        EXPECT_EQ(ChannelModeText(other), "Disable") << other;
    }
    g_nPortNum = 28;
    // Trunk 3 with ports 25 and 26 (octet 4, bits 0x80 and 0x40); the value is longer than the port
    // count needs: the bits past port 28 are not ports.
    auto row = ParseTrunkRow(".3", Octets({0, 0, 0, 0xC0, 0xFF}), "2");
    EXPECT_EQ(row.id, 3);
    EXPECT_EQ(row.members, "25,26");
    EXPECT_EQ(row.memberCount, 2);
    EXPECT_EQ(row.ModeText(), "Static");
    auto empty = ParseTrunkRow(".8", Octets({0, 0, 0, 0}), "3");
    EXPECT_EQ(empty.members, "");
    EXPECT_EQ(empty.memberCount, 0);
    EXPECT_EQ(empty.ModeText(), "Disable");
    EXPECT_EQ(ParseTrunkRow("", Octets({0x80}), "1").id, 0);
    EXPECT_EQ(ParseTrunkRow(".2.1", Octets({0x80}), "1").id, 0);  // not a trunk-table index

    // Written member bitmaps: the device object's size, 4 octets up to 28 ports, 8 for 52.
    std::vector<int> flags(52, 0);
    flags[24] = flags[25] = 1;
    EXPECT_EQ(ksx::trunk::MemberBitmap(flags.data()), Octets({0, 0, 0, 0xC0}));
    g_nPortNum = 52;
    flags[51] = 1;
    EXPECT_EQ(ksx::trunk::MemberBitmap(flags.data()), Octets({0, 0, 0, 0xC0, 0, 0, 0x10, 0}));
    g_nPortNum = 28;
}

TEST(TrunkTable, GroupArrayFromRows) {
    CTrunkGroups groups(28);
    EXPECT_EQ(groups.GetState(), CTrunkGroups::State::kNotRead);
    groups.BeginRead();
    EXPECT_EQ(groups.AddRow(".1", Octets({0xC0})), 2);                 // ports 1, 2; a short value
    EXPECT_EQ(groups.AddRow(".2", Octets({0, 0, 0, 0x30})), 2);        // ports 27, 28
    EXPECT_EQ(groups.AddRow(".3", Octets({0, 0, 0, 0x0F, 0xFF})), 0);  // past the port count only
    EXPECT_EQ(groups.AddRow(".4", Octets({0, 0, 0, 0})), 0);           // a trunk without members
    EXPECT_EQ(groups.AddRow("", Octets({0xFF})), 0);                   // no id: ignored
    EXPECT_FALSE(groups.Ended());
    groups.EndRead(-2);
    EXPECT_TRUE(groups.Ended());
    EXPECT_EQ(groups.GroupOf(1), 1);
    EXPECT_EQ(groups.GroupOf(3), 0);
    EXPECT_EQ(groups.GroupOf(28), 2);
    EXPECT_EQ(groups.GroupOf(0), 0);
    EXPECT_EQ(groups.GroupOf(29), 0);
    EXPECT_EQ(groups.MembersOf(2), (std::vector<int>{27, 28}));
    EXPECT_TRUE(groups.MembersOf(0).empty());

    // A port that left its trunk keeps its id until the array is reset; a read that times out fails.
    groups.BeginRead();
    groups.AddRow(".1", Octets({0x80}));
    groups.EndRead(-1);
    EXPECT_TRUE(groups.Failed());
    EXPECT_EQ(groups.GroupOf(2), 1);
    groups.Reset();
    EXPECT_EQ(groups.GroupOf(1), 0);
    EXPECT_EQ(groups.GetState(), CTrunkGroups::State::kNotRead);
}

TEST(TrunkTable, AllOrNoneOfATrunk) {
    CTrunkGroups groups(8);
    groups.AddRow(".1", Octets({0x30}));  // ports 3, 4
    groups.AddRow(".2", Octets({0x03}));  // ports 7, 8
    std::vector<int> flags(8, 0);
    EXPECT_EQ(groups.FirstPartlySetTrunkPort(flags.data()), 0);  // no trunk touched
    flags = {1, 1, 1, 1, 0, 0, 0, 0};
    EXPECT_EQ(groups.FirstPartlySetTrunkPort(flags.data()), 0);  // trunk 1 whole
    flags = {0, 0, 0, 1, 0, 0, 2, 0};
    EXPECT_EQ(groups.FirstPartlySetTrunkPort(flags.data()), 4);  // first port of a split trunk
    flags = {0, 0, 0, 0, 0, 0, 0, 5};
    EXPECT_EQ(groups.FirstPartlySetTrunkPort(flags.data()), 8);

    std::vector<int> values = {9, 9, 4, 4, 1, 1, 3, 3};
    EXPECT_EQ(groups.FirstMixedTrunkPort(values.data()), 0);
    values = {9, 9, 4, 5, 1, 1, 3, 3};
    EXPECT_EQ(groups.FirstMixedTrunkPort(values.data()), 3);
    values = {0, 0, 0, 0, 0, 0, 0, 3};  // a zero value is "left alone" only on its own port
    EXPECT_EQ(groups.FirstMixedTrunkPort(values.data()), 8);
}

class TrunkTableWalk : public ksx::test::ModuleBaseSuite {};

TEST_F(TrunkTableWalk, WalkOfTheSwitchMatchesTheModuleBaseReader) {
    g_nPortNum = 28;
    s_sim->Set(std::string(ksx::trunk::kMemberColumn) + ".2", "x", "00000030");  // ports 27, 28
    s_sim->Set(std::string(ksx::trunk::kModeColumn) + ".2", "i", "1");

    CTrunkGroups groups(g_nPortNum);
    std::vector<ksx::trunk::TrunkRow> rows;
    groups.BeginRead();
    CCommonSNMP session;
    session.Open(CCommonSNMP::REQUEST_GETNEXT);
    session.AddVarBind(ksx::trunk::kMemberColumn, 4, nullptr);
    session.AddVarBind(ksx::trunk::kModeColumn, 4, nullptr);
    int status = 0;
    while (status == 0) {
        ksx::SnmpReply reply = ksx::GetNextRequest(session);
        status = reply.status;
        if (status != 0) {
            break;
        }
        char* suffix = nullptr;
        session.GetResponseOid(0, reply.response.get(), &suffix);
        groups.AddRow(suffix, reply.Value(0));
        rows.push_back(ParseTrunkRow(suffix, reply.Value(0), reply.Value(1)));
    }
    groups.EndRead(status);
    EXPECT_TRUE(groups.Ended());
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(rows[0].members, "25,26");
    EXPECT_EQ(rows[0].ModeText(), "Static");
    EXPECT_EQ(rows[1].ModeText(), "LACP");
    EXPECT_EQ(rows[7].ModeText(), "Disable");
    EXPECT_EQ(groups.MembersOf(1), (std::vector<int>{25, 26}));
    EXPECT_EQ(groups.MembersOf(2), (std::vector<int>{27, 28}));

    // The module base's trunk reader gives the same array, on this (the UI) thread.
    CTrunkMembership membership(g_nPortNum);
    int ends = 0;
    membership.Read([&](const CTrunkGroups& read) {
        ++ends;
        EXPECT_TRUE(read.Ended());
    });
    ASSERT_TRUE(ksx::test::WaitUntil([&] { return ends == 1; }));
    EXPECT_EQ(membership.Groups().Groups(), groups.Groups());
    EXPECT_EQ(membership.TrunkPortsSnapshot(), groups.Groups());
    CTrunkGroups adopted(g_nPortNum);
    adopted.Assign(membership.TrunkPortsSnapshot());
    EXPECT_EQ(adopted.Groups(), groups.Groups());

    // A switch that stops answering: the read fails, and says so.
    s_sim->Silence(true);
    membership.Read([&](const CTrunkGroups&) { ++ends; });
    ASSERT_TRUE(ksx::test::WaitUntil([&] { return ends == 2; }, 15000));
    EXPECT_TRUE(membership.Groups().Failed());
    EXPECT_EQ(membership.Groups().GroupOf(25), 1);  // entries read before stay
    s_sim->Silence(false);
}

}  // namespace
