// The host's command line: positional values after a slash and one letter, spaces dropped, the
// SNMPv3 values only for versions other than "1".
#include <gtest/gtest.h>

#include <string>

#include "app/CommandLine.h"
#include "platform/sys/Globals.h"

namespace {

using ksx::ParseCommandLine;

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override { ksx::ResetConnectionSettings(); }
    void TearDown() override { ksx::ResetConnectionSettings(); }
};

TEST_F(CommandLineTest, AllSixteenValuesForSnmpV3) {
    EXPECT_EQ(ParseCommandLine(
                  "/P7/I10.0.0.1/Rpub/Wpriv/Vtrue/S3/O1161/x8/x9/Z2/L3/Uadmin/Aauthpass1/Xprivpass1/H3/Y2"),
              1);
    EXPECT_EQ(g_strParam1, "7");
    EXPECT_EQ(g_strDeviceIP, "10.0.0.1");
    EXPECT_EQ(g_strReadCommunity, "pub");
    EXPECT_EQ(g_strWriteCommunity, "priv");
    EXPECT_EQ(g_bVlanConfigEnabled, 1);
    EXPECT_EQ(g_strSnmpVersion, "3");
    EXPECT_EQ(g_strSnmpPort, "1161");
    EXPECT_EQ(g_strParam10, "2");
    EXPECT_EQ(g_strV3SecurityLevel, "3");
    EXPECT_EQ(g_strV3UserName, "admin");
    EXPECT_EQ(g_strV3AuthPassword, "authpass1");
    EXPECT_EQ(g_strV3PrivPassword, "privpass1");
    EXPECT_EQ(g_strV3AuthProtocol, "3");
    EXPECT_EQ(g_strV3PrivProtocol, "2");
}

TEST_F(CommandLineTest, VersionOneIgnoresEverythingAfterTheSeventhValue) {
    ParseCommandLine("/P0/I10.0.0.2/Rr/Ww/VTRUE/S1/O161/x/x/Z9/L3/Uuser/Aa/Xx/H3/Y2");
    EXPECT_EQ(g_strDeviceIP, "10.0.0.2");
    EXPECT_EQ(g_strSnmpVersion, "1");
    EXPECT_EQ(g_bVlanConfigEnabled, 1);
    EXPECT_EQ(g_strParam10, "1");
    EXPECT_EQ(g_strV3SecurityLevel, "1");
    EXPECT_EQ(g_strV3UserName, "");
    EXPECT_EQ(g_strV3AuthProtocol, "1");
    EXPECT_EQ(g_strV3PrivProtocol, "1");
}

TEST_F(CommandLineTest, WithoutSlashICapitalOnlyTheFirstValueIsStored) {
    EXPECT_EQ(ParseCommandLine("/P0/R10.0.0.1"), 0);
    EXPECT_EQ(g_strParam1, "0");
    EXPECT_EQ(g_strDeviceIP, "");
    EXPECT_EQ(g_strReadCommunity, "quaint");
    // Lower case does not count either.
    EXPECT_EQ(ParseCommandLine("/P5/i10.0.0.1"), 0);
    EXPECT_EQ(g_strParam1, "5");
    EXPECT_EQ(g_strDeviceIP, "");
}

TEST_F(CommandLineTest, TheFirstPairIsSkippedByPositionNotBySearch) {
    EXPECT_EQ(ParseCommandLine("/I/I10.0.0.1"), 1);
    EXPECT_EQ(g_strParam1, "");
    EXPECT_EQ(g_strDeviceIP, "10.0.0.1");
}

TEST_F(CommandLineTest, EmptyValuesKeepTheDefaultsAndTheNextLetterIsStillSkipped) {
    ParseCommandLine("/P0/I10.0.0.3/R/W/V/S/O");
    EXPECT_EQ(g_strReadCommunity, "quaint");
    EXPECT_EQ(g_strWriteCommunity, "harbour");
    EXPECT_EQ(g_bVlanConfigEnabled, 0);  // an empty fifth value gives 0
    EXPECT_EQ(g_strSnmpVersion, "1");
    EXPECT_EQ(g_strSnmpPort, "161");

    ksx::ResetConnectionSettings();
    ParseCommandLine("/P0/I10.0.0.3/R/Wsecret");
    EXPECT_EQ(g_strReadCommunity, "quaint");
    EXPECT_EQ(g_strWriteCommunity, "secret");
}

TEST_F(CommandLineTest, SpacesAreDroppedWhereverTheyStand) {
    // The host's arguments joined by spaces, as main() sees them.
    const char* argv[] = {"ksx-module", "/P0", "/I", "10.0.0.1 ", "/Rmy community", "/W priv "};
    const std::string line = ksx::JoinArguments(6, argv);
    EXPECT_EQ(line, "/P0 /I 10.0.0.1  /Rmy community /W priv ");
    ParseCommandLine(line);
    EXPECT_EQ(g_strDeviceIP, "10.0.0.1");
    EXPECT_EQ(g_strReadCommunity, "mycommunity");
    EXPECT_EQ(g_strWriteCommunity, "priv");
}

TEST_F(CommandLineTest, ACommunityCannotCarryASlash) {
    ParseCommandLine("/P0/I10.0.0.1/Rab/cd/Wx");
    EXPECT_EQ(g_strReadCommunity, "ab");
    EXPECT_EQ(g_strWriteCommunity, "d");  // "/c" was taken for the fourth marker
    EXPECT_EQ(g_bVlanConfigEnabled, 0);   // "/Wx" is the fifth value
}

TEST_F(CommandLineTest, VlanFlagIsSetOnlyByExactTrue) {
    for (const char* v : {"TRUE", "true"}) {
        ksx::ResetConnectionSettings();
        ParseCommandLine(std::string("/P0/I1.2.3.4/Rr/Ww/V") + v);
        EXPECT_EQ(g_bVlanConfigEnabled, 1) << v;
    }
    for (const char* v : {"True", "1", "yes"}) {
        ksx::ResetConnectionSettings();
        ParseCommandLine(std::string("/P0/I1.2.3.4/Rr/Ww/V") + v);
        EXPECT_EQ(g_bVlanConfigEnabled, 0) << v;
    }
    // A line shorter than five values leaves the flag at 1.
    ksx::ResetConnectionSettings();
    ParseCommandLine("/P0/I1.2.3.4/Rr/Ww");
    EXPECT_EQ(g_bVlanConfigEnabled, 1);
}

TEST_F(CommandLineTest, EmptyAndDegenerateLines) {
    EXPECT_EQ(ParseCommandLine(""), 0);
    EXPECT_EQ(g_strParam1, "0");
    // A single value ends at the end of the line.
    EXPECT_EQ(ParseCommandLine("/P"), 1);
    EXPECT_EQ(g_strParam1, "");
    EXPECT_EQ(ParseCommandLine("/"), 1);
    // An empty address stops before the communities.
    ksx::ResetConnectionSettings();
    EXPECT_EQ(ParseCommandLine("/P0/I/Rpub"), 0);
    EXPECT_EQ(g_strReadCommunity, "quaint");
    // A trailing slash: the next value is read past the end as empty.
    ksx::ResetConnectionSettings();
    EXPECT_EQ(ParseCommandLine("/P0/I10.0.0.9/"), 1);
    EXPECT_EQ(g_strDeviceIP, "10.0.0.9");
    EXPECT_EQ(g_strReadCommunity, "quaint");
}

TEST_F(CommandLineTest, GetNextTokenStopsOnTheSlash) {
    const std::string line = "/Pa b/Ic";
    std::size_t pos = 2;
    EXPECT_EQ(ksx::GetNextToken(line, pos), "ab");
    EXPECT_EQ(pos, 5u);
    pos = 100;
    EXPECT_EQ(ksx::GetNextToken(line, pos), "");
    EXPECT_EQ(pos, line.size());
}

}  // namespace
