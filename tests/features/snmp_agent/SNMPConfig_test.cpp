// The agent configuration access against the simulated switch: the row keys, the writes as the device
// receives them, the trap-switch read, and what the walks make of the rows (the community walk handing
// over to the user walk, host addresses that do not fit their type, views, the engine ID).
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "features/snmp_agent/SNMPConfig.h"
#include "platform/snmplib/Tripwire.h"
#include "tests/features/snmp_agent/SnmpAgentTest.h"

namespace {

using namespace ksx;
using namespace ksx::snmpagenttest;
using test::WaitUntil;

TEST(SnmpAgentKeys, IndexTextsOfNamesModelsLevelsViewsAndHosts) {
    EXPECT_EQ(CSNMPConfig::StringToOidIndex("ab"), ".2.97.98");
    EXPECT_EQ(CSNMPConfig::StringToOidIndex(""), ".0");
    EXPECT_EQ(CSNMPConfig::StringToOidIndex("\xC8"), ".1.200");  // octets read unsigned
    EXPECT_EQ(CSNMPConfig::MakeGroupIndex("g", "V2c"), ".1.103.2");
    EXPECT_EQ(CSNMPConfig::MakeGroupIndex("g", "v2c"), ".1.103.2");
    EXPECT_EQ(CSNMPConfig::MakeGroupIndex("g", "V1"), ".1.103.1");
    EXPECT_EQ(CSNMPConfig::MakeGroupIndex("g", "v3"), ".1.103.3");
    EXPECT_EQ(CSNMPConfig::MakeGroupIndex("g", "v4"), ".1.103");
    EXPECT_EQ(CSNMPConfig::MakeGroupIndex("g", "V2C"), ".1.103");
    EXPECT_EQ(CSNMPConfig::MakeGroupKey("g", "v3", "NoAuthNoPriv"), ".1.103.3.1");
    EXPECT_EQ(CSNMPConfig::MakeGroupKey("g", "v3", "AuthNoPriv"), ".1.103.3.2");
    EXPECT_EQ(CSNMPConfig::MakeGroupKey("g", "v3", "AuthPriv"), ".1.103.3.3");
    EXPECT_EQ(CSNMPConfig::MakeGroupKey("g", "v3", "anything"), ".1.103.3.3");
    EXPECT_EQ(CSNMPConfig::MakeViewKey("v", "1.3.6.1.4.1"), ".1.118.6.1.3.6.1.4.1");
    EXPECT_EQ(CSNMPConfig::MakeViewKey("ab", "1.3.6.1"), ".2.97.98.4.1.3.6.1");
    EXPECT_EQ(CSNMPConfig::MakeHostKey(4, "192.168.0.10", "1"), ".4.192.168.0.10.1");
}

TEST(SnmpAgentKeys, NamesRefuseTheTwentySixCharacters) {
    const std::string refused = "~`!@#$%^&*{}[]|\\:;\"'<>,.?/";
    ASSERT_EQ(refused.size(), 26u);
    for (char c : refused) {
        EXPECT_FALSE(CSNMPConfig::IsValidName(std::string("ab") + c + "cd")) << c;
    }
    EXPECT_TRUE(CSNMPConfig::IsValidName("pub-lic_2 x+y=(z)"));
    EXPECT_TRUE(CSNMPConfig::IsValidName(""));
}

class SnmpConfig : public AgentSimTest {
protected:
    // Made once the connection settings point at the switch: sessions take them when they are made.
    void SetUp() override {
        AgentSimTest::SetUp();
        config = std::make_unique<CSNMPConfig>();
    }
    void TearDown() override {
        config.reset();
        AgentSimTest::TearDown();
    }
    std::unique_ptr<CSNMPConfig> config;
};

TEST_F(SnmpConfig, RowStatusWritesOnlyActiveCreateAndWaitOrDestroy) {
    const std::string object = kB + ".5.1.1.3" + NameIndex("lab");
    for (const char* status : {"4", "2", "", "1 "}) {
        EXPECT_FALSE(config->SetRowStatus(object, status));
    }
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>(4, "error istatus value!"));
    EXPECT_TRUE(Log().empty());
    EXPECT_TRUE(config->SetRowStatus(object, "5"));
    EXPECT_TRUE(tripwire::AsUserDelete([&] { return config->SetRowStatus(object, "6"); }));
    EXPECT_FALSE(config->SetRowStatus(object, "1"));  // no such row any more: refused, and said so
    const std::string key = ".5.1.1.3.3.108.97.98";
    EXPECT_EQ(Log(), (std::vector<std::string>{"set " + key + "=i:5", "set " + key + "=i:6",
                                               "set " + key + "=i:1"}));
}

TEST_F(SnmpConfig, UserGroupViewAndEngineWritesAsTheDeviceGetsThem) {
    // A user row that does not exist: the first request is refused and nothing follows it.
    EXPECT_EQ(config->SetUser("u9", "V3", "grp", "MD5", "authpass1", "DES", "privpass1"), 1);
    EXPECT_EQ(Log(), std::vector<std::string>{"set .2.1.1.3" + NameIndex("u9") + ".3=s:grp"});
    const std::string v2c = NameIndex("u2") + ".2";
    const std::string none = NameIndex("u3") + ".3";
    const std::string md5 = NameIndex("u4") + ".3";
    for (const std::string& key : {v2c, none, md5}) {
        ASSERT_TRUE(config->SetRowStatus(kB + ".2.1.1.8" + key, "5"));
    }
    s_sim->ClearLog();
    EXPECT_EQ(config->SetUser("u2", "V2c", "grp", "MD5", "authpass1", "DES", "privpass1"), 0);
    // A V3 user without authentication: the protocol reads "1" and no password travels.
    EXPECT_EQ(config->SetUser("u3", "V3", "grp", "None", "", "None", ""), 0);
    EXPECT_EQ(config->SetUser("u4", "V3", "grp", "MD5", "authpass1", "DES", "privpass1"), 0);
    EXPECT_EQ(Log(), (std::vector<std::string>{
                         "set .2.1.1.3" + v2c + "=s:grp",
                         "set .2.1.1.3" + none + "=s:grp",
                         "set .2.1.1.4" + none + "=i:1",
                         "set .2.1.1.3" + md5 + "=s:grp",
                         "set .2.1.1.4" + md5 + "=i:2 .2.1.1.6" + md5 + "=i:2",
                         "set .2.1.1.5" + md5 + "=s:authpass1 .2.1.1.7" + md5 + "=s:privpass1",
                     }));
    s_sim->ClearLog();
    EXPECT_TRUE(config->SetRowStatus(kB + ".4.1.1.5" + CSNMPConfig::MakeViewKey("v", "1.3.6"), "5"));
    EXPECT_TRUE(config->SetView("v", "1.3.6", "1.1.0", "Excluded"));
    const std::string view = ".1.118.3.1.3.6";
    EXPECT_EQ(Log(),
              (std::vector<std::string>{"set .4.1.1.5" + view + "=i:5",
                                        "set .4.1.1.3" + view + "=x:010100 .4.1.1.4" + view + "=i:2"}));
    s_sim->ClearLog();
    EXPECT_TRUE(config->SetEngineId("abc", false));
    EXPECT_TRUE(config->SetEngineId("800007E580", false));
    EXPECT_EQ(Log(), (std::vector<std::string>{"set .7.0=x:0abc", "set .7.0=x:800007e580"}));
}

TEST_F(SnmpConfig, DefaultEngineIdOnlyWhereTheModelHasOne) {
    const std::string id20 = "4b53582d343630302d3230000102030405";
    for (const char* model : {"KSX-4600-20", "KSX-4600-28"}) {
        g_strDeviceName = model;
        EXPECT_TRUE(config->SetEngineId("ignored", true));
    }
    g_strDeviceName = "KSX-4600-52";
    EXPECT_TRUE(config->SetEngineId("", true));
    // Any other model: nothing to write, and an empty engine ID is not written.
    g_strDeviceName = "KSX-4200-28Z1";
    EXPECT_FALSE(config->SetEngineId("", true));
    EXPECT_EQ(Log(), (std::vector<std::string>{"set .7.0=x:" + id20, "set .7.0=x:" + id20,
                                               "set .7.0=x:4b53582d343630302d3532001500062052"}));
}

TEST_F(SnmpConfig, TrapSwitchesReadInTheirOrderAndWrittenWhenGiven) {
    const std::optional<SNMP_TRAP_SETTINGS> read = config->ReadTrapSettings(0);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(Log(),
              (std::vector<std::string>{"get .8.1.0=n: .8.2.0=n: .8.3.0=n: .8.4.0=n: .8.5.0=n: .8.11.0=n: "
                                        ".8.5.0=n:"}));
    EXPECT_EQ(read->slot, (std::array<std::string, 11>{"1", "1", "1", "2", "1", "", "1", "", "", "", "2"}));
    // The PoE switches do not exist on this model: asking for them is a failed read, not a record.
    EXPECT_FALSE(config->ReadTrapSettings(1).has_value());
    s_sim->ClearLog();
    SNMP_TRAP_SETTINGS write;
    EXPECT_TRUE(config->SetTrapSettings(write, 0));  // nothing to write
    write.slot = {"2", "", "", "", "1", "1", "2", "1", "1", "1", "1"};
    EXPECT_TRUE(config->SetTrapSettings(write, 0));
    EXPECT_EQ(Log(), (std::vector<std::string>{"set .8.1.0=i:2 .8.5.0=i:1 .8.11.0=i:1"}));
    s_sim->ErrorStatus(kB + ".8.5.0", 5);
    EXPECT_FALSE(config->SetTrapSettings(write, 0));  // a refused write is no success
    s_sim->ErrorStatus(kB + ".8.5.0", 0);
}

TEST_F(SnmpConfig, CommunityRowsThenUserRowsThenOneEnd) {
    std::vector<std::string> events;
    config->onCommunityRow = [&](const SNMP_COMMUNITY_ROW& r) {
        events.push_back("c " + r.community + "/" + r.userName + "/" + r.rowStatus);
    };
    config->onCommunityEnd = [&](const WalkEnd& e) { events.push_back(e.AtEnd() ? "c end" : "c failed"); };
    config->onUserRow = [&](const SNMP_USER_ROW& r) {
        events.push_back("u " + r.userName + "/" + r.version + "/" + r.groupName + "/" + r.authProtocol +
                         "/" + r.privProtocol + "/" + r.rowStatus);
    };
    config->onTableEnd = [&](const WalkEnd& e) { events.push_back(e.AtEnd() ? "end" : "failed"); };
    config->ReadCommunityTable();
    ASSERT_TRUE(WaitUntil([&] { return !events.empty() && events.back() == "end"; }));
    EXPECT_EQ(events, (std::vector<std::string>{
                          "c public/public/1", "c private/private/1", "c staging/public/2", "c end",
                          "u admin/V3/admin/MD5/DES_CBC/1", "u guest/V2c/public/None/None/2",
                          "u public/V1/public/None/None/1", "u public/V2c/public/None/None/1",
                          "u private/V2c/private/None/None/1", "end"}));
    const auto log = Log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "getnext .5.1.1.1=n: .5.1.1.2=n: .5.1.1.3=n:");
    EXPECT_EQ(log.back(), "getnext .2.1.1.1" + NameIndex("private") + ".2=n: .2.1.1.2" +
                              NameIndex("private") + ".2=n: .2.1.1.3" + NameIndex("private") +
                              ".2=n: .2.1.1.4" + NameIndex("private") + ".2=n: .2.1.1.5" +
                              NameIndex("private") + ".2=n: .2.1.1.6" + NameIndex("private") +
                              ".2=n: .2.1.1.7" + NameIndex("private") + ".2=n: .2.1.1.8" +
                              NameIndex("private") + ".2=n:");
}

TEST_F(SnmpConfig, HostAddressesAreShownOnlyWhenTheyFitTheirType) {
    const std::string h = kB + ".6.2.1";
    const auto addRow = [&](const std::string& index, const std::string& hex, const std::string& type) {
        s_sim->Set(h + ".1" + index, "x", hex);
        s_sim->Set(h + ".2" + index, "i", type);
        s_sim->Set(h + ".3" + index, "s", "c" + type);
        s_sim->Set(h + ".4" + index, "i", "9");  // no version of the list
        s_sim->Set(h + ".5" + index, "s", "");
        s_sim->Set(h + ".6" + index, "i", "1");
    };
    addRow(".4.10.0.0.1.1", "0a000001", "1");
    addRow(".4.10.0.0.2.1", "0a00000203", "1");  // five octets of an IPv4 address
    addRow(".4.10.0.0.3.1", "0a000003", "2");    // four octets said to be IPv6
    addRow(".4.10.0.0.4.1", "", "1");            // none at all
    addRow(".16.254.128.0.0.0.0.0.0.0.0.0.0.0.0.0.1.2", "fe800000000000000000000000000001", "2");
    std::vector<SNMP_HOST_ROW> rows;
    bool ended = false;
    config->onHostRow = [&](const SNMP_HOST_ROW& r) { rows.push_back(r); };
    config->onTableEnd = [&](const WalkEnd&) { ended = true; };
    config->ReadHostTable();
    ASSERT_TRUE(WaitUntil([&] { return ended; }));
    std::vector<std::string> seen;
    for (const SNMP_HOST_ROW& r : rows) {
        seen.push_back(r.address + "|" + r.addressType + "|" + r.version + "|" + r.name);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"10.0.0.1|1||c1", "|1||c1", "|2||c2", "|1||c1",
                                              "192.168.1.50|1|V2c|public", "2001:db8::10|2|V2c|private",
                                              "fe80::1|2||c2"}));
    EXPECT_EQ(Log().front(),
              "getnext .6.2.1.3=n: .6.2.1.2=n: .6.2.1.1=n: .6.2.1.4=n: .6.2.1.6=n: .6.2.1.5=n:");
}

TEST_F(SnmpConfig, ViewSubtreeFromTheIndexAndMaskBoundedByTheValue) {
    const std::string v = kB + ".4.1.1";
    const std::string index = CSNMPConfig::MakeViewKey("w", "1.3.6.1.2");
    s_sim->Set(v + ".1" + index, "s", "w");
    s_sim->Set(v + ".3" + index, "x", "0101");  // shorter than the subtree
    s_sim->Set(v + ".4" + index, "i", "2");
    s_sim->Set(v + ".5" + index, "i", "1");
    std::vector<std::string> seen;
    bool ended = false;
    config->onViewRow = [&](const SNMP_VIEW_ROW& r) {
        seen.push_back(r.viewName + "|" + r.subtree + "|" + r.mask + "|" + r.type + "|" + r.rowStatus);
    };
    config->onTableEnd = [&](const WalkEnd&) { ended = true; };
    config->ReadViewTable();
    ASSERT_TRUE(WaitUntil([&] { return ended; }));
    EXPECT_EQ(seen, (std::vector<std::string>{"w|1.3.6.1.2|1.1|Excluded|1", "default|1.3.6.1||Included|1",
                                              "restricted|1.3.6.1.2.1.1|255.255.255.255|Included|1"}));
    EXPECT_EQ(Log().front(), "getnext .4.1.1.1=n: .4.1.1.3=n: .4.1.1.4=n: .4.1.1.5=n:");
}

TEST_F(SnmpConfig, StateAndEngineIdReadsGiveAValueOrNothing) {
    std::vector<std::optional<std::string>> states;
    std::vector<std::optional<std::string>> ids;
    config->onState = [&](const std::optional<std::string>& v) { states.push_back(v); };
    config->onEngineId = [&](const std::optional<std::string>& v) { ids.push_back(v); };
    config->GetSnmpState();
    config->GetEngineId();
    ASSERT_TRUE(WaitUntil([&] { return states.size() == 1 && ids.size() == 1; }));
    EXPECT_EQ(states[0], std::optional<std::string>("1"));
    EXPECT_EQ(config->m_strStateValue, "1");
    EXPECT_EQ(ids[0], std::optional<std::string>("800007e58000112233"));
    // An empty engine ID is a value; a state that is no integer, or no answer, is none.
    s_sim->Set(kB + ".7.0", "x", "");
    s_sim->Set(kB + ".1.0", "s", "1");
    config->GetSnmpState();
    config->GetEngineId();
    ASSERT_TRUE(WaitUntil([&] { return states.size() == 2 && ids.size() == 2; }));
    EXPECT_EQ(states[1], std::nullopt);
    EXPECT_EQ(ids[1], std::optional<std::string>(""));
    ShortTimeout();
    CSNMPConfig quick;  // sessions take the time-out when they are made
    quick.onState = config->onState;
    s_sim->Silence(true);
    quick.GetSnmpState();
    ASSERT_TRUE(WaitUntil([&] { return states.size() == 3; }));
    EXPECT_EQ(states[2], std::nullopt);
    EXPECT_EQ(config->m_strStateValue, "1");
}

TEST_F(SnmpConfig, NothingArrivesAfterTheSessionsAreClosed) {
    s_sim->DelayMs(150);
    int rows = 0;
    int ends = 0;
    config->onCommunityRow = [&](const SNMP_COMMUNITY_ROW&) { ++rows; };
    config->onUserRow = [&](const SNMP_USER_ROW&) { ++rows; };
    config->onTableEnd = [&](const WalkEnd&) { ++ends; };
    config->ReadCommunityTable();
    ASSERT_TRUE(WaitUntil([&] { return rows >= 1; }));
    config->CloseAll();
    const int seen = rows;
    EXPECT_FALSE(WaitUntil([&] { return rows > seen || ends > 0; }, 600));
    EXPECT_EQ(ends, 0);
}

}  // namespace
