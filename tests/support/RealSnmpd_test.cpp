// The real-agent fixture: the tools' output is read back exactly (hex strings over several lines, empty
// strings, OIDs, time ticks), and an agent started by the fixture answers, takes a write of sysName and
// goes away with the fixture.
#include "tests/support/RealSnmpd.h"

#include <gtest/gtest.h>

namespace ksx::test {
namespace {

TEST(RealSnmpdOutput, ReadsEveryValueShapeTheToolsPrint) {
    const std::string text =
        ".1.3.6.1.2.1.1.1.0 = Hex-STRING: 4C 69 6E 75 78 20 76 6D 20 36 2E 31 38 2E 34 34 \n"
        "2D 66 63 \n"
        ".1.3.6.1.2.1.1.2.0 = OID: .1.3.6.1.4.1.8072.3.2.10\n"
        ".1.3.6.1.2.1.1.3.0 = Timeticks: (4294967295) 497 days, 2:27:52.95\n"
        ".1.3.6.1.2.1.1.4.0 = \"\"\n"
        ".1.3.6.1.2.1.2.2.1.5.1 = Gauge32: 4294967295\n"
        ".1.3.6.1.2.1.4.20.1.1.127.0.0.1 = IpAddress: 127.0.0.1\n"
        ".1.3.6.1.2.1.1.9.0 = No Such Object available on this agent at this OID\n";
    const auto b = RealSnmpd::ParseToolOutput(text);
    ASSERT_EQ(b.size(), 6u);
    EXPECT_EQ(b[0].oid, "1.3.6.1.2.1.1.1.0");
    EXPECT_EQ(b[0].type, "STRING");
    EXPECT_EQ(b[0].value, "Linux vm 6.18.44-fc");
    EXPECT_EQ(b[1].value, "1.3.6.1.4.1.8072.3.2.10");
    EXPECT_EQ(b[2].value, "4294967295");
    EXPECT_EQ(b[3].type, "STRING");
    EXPECT_EQ(b[3].value, "");
    EXPECT_EQ(b[4].type, "Gauge32");
    EXPECT_EQ(b[5].value, "127.0.0.1");
}

TEST(RealSnmpdAgent, AnswersTakesWritesAndStops) {
    if (!RealSnmpd::Available()) {
        GTEST_SKIP() << "snmpd or the Net-SNMP tools are not installed";
    }
    int port = 0;
    {
        RealSnmpd agent;
        port = agent.Port();
        const auto got = agent.Get({"1.3.6.1.2.1.1.3.0", "1.3.6.1.2.1.1.5.0"});
        ASSERT_EQ(got.size(), 2u);
        EXPECT_EQ(got[0].type, "Timeticks");
        ASSERT_TRUE(agent.Set("1.3.6.1.2.1.1.5.0", "s", "lab-switch \xC3\xA4"));
        const auto name = agent.Get({"1.3.6.1.2.1.1.5.0"});
        ASSERT_EQ(name.size(), 1u);
        EXPECT_EQ(name[0].value, "lab-switch \xC3\xA4");
        EXPECT_FALSE(agent.Walk("1.3.6.1.2.1.2.2.1.2").empty());  // every host has an interface
    }
    EXPECT_GT(port, 0);
}

}  // namespace
}  // namespace ksx::test
