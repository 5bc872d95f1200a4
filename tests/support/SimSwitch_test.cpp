// The simulated switch and its fixture, driven with the Net-SNMP command-line tools and the control
// protocol.
#include "tests/support/SimSwitch.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <thread>

#include "platform/sys/Globals.h"
#include "sim/Store.h"
#include "tests/support/ToolRun.h"

namespace {

using ksx::test::SimRequest;
using ksx::test::SimSwitch;

const std::string kEnt = "1.3.6.1.4.1.7393.10.76.20.1";
const std::string kSysName = "1.3.6.1.2.1.1.5.0";
const std::string kVlan = kEnt + ".7.6.1";
const std::string kSyslogHost = kEnt + ".16.2.5.1";
const std::string kPoePort = kEnt + ".22.1.1";

std::vector<std::string> Common(const SimSwitch& sim, std::vector<std::string> auth) {
    std::vector<std::string> args = {"-m", "", "-t", "1", "-r", "0", "-On"};
    args.insert(args.end(), auth.begin(), auth.end());
    args.push_back(sim.Address() + ":" + std::to_string(sim.Port()));
    return args;
}

ksx::test::ToolResult Tool(const std::string& tool, const SimSwitch& sim, std::vector<std::string> auth,
                           std::vector<std::string> rest) {
    std::vector<std::string> args = {tool};
    auto common = Common(sim, std::move(auth));
    args.insert(args.end(), common.begin(), common.end());
    args.insert(args.end(), rest.begin(), rest.end());
    return ksx::test::RunTool(args);
}

std::vector<std::string> V1(const std::string& community = "quaint") {
    return {"-v1", "-c", community};
}
std::vector<std::string> V2(const std::string& community = "quaint") {
    return {"-v2c", "-c", community};
}
std::vector<std::string> V3(const std::string& user, const std::string& level, const std::string& auth = "",
                            const std::string& authPass = "", const std::string& priv = "",
                            const std::string& privPass = "") {
    std::vector<std::string> a = {"-v3", "-u", user, "-l", level};
    if (!auth.empty()) {
        a.insert(a.end(), {"-a", auth, "-A", authPass});
    }
    if (!priv.empty()) {
        a.insert(a.end(), {"-x", priv, "-X", privPass});
    }
    return a;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Values of several objects read in one GET (so from one moment of the device), by OID without the
// leading dot; text without quotes. Objects the GET did not return are absent.
std::map<std::string, std::string> GetAll(const SimSwitch& sim, const std::vector<std::string>& oids) {
    auto r = Tool("snmpget", sim, V2(), oids);
    std::map<std::string, std::string> values;
    std::istringstream lines(r.out);
    std::string line;
    std::smatch m;
    while (std::getline(lines, line)) {
        if (std::regex_match(line, m, std::regex(R"re(\.([0-9.]+) = [A-Za-z0-9]+: "?([^"]*)"?)re"))) {
            values[m[1]] = m[2];
        }
    }
    return values;
}

// A profile file of its own for one test, removed afterwards.
class TempProfile {
public:
    explicit TempProfile(const std::string& text) {
        m_path = (std::filesystem::temp_directory_path() /
                  ("ksx-sim-test-" + std::to_string(getpid()) + "-" + std::to_string(s_counter++) + ".txt"))
                     .string();
        std::ofstream(m_path) << text;
    }
    ~TempProfile() { std::filesystem::remove(m_path); }
    const std::string& Path() const { return m_path; }

private:
    static inline int s_counter = 0;
    std::string m_path;
};

// --- the store's text forms -------------------------------------------------------------------

TEST(SimStore, OidAndValueTextForms) {
    EXPECT_EQ(ksxsim::OidText(*ksxsim::ParseOid(".1.3.6.1.2.1.1.5.0")), "1.3.6.1.2.1.1.5.0");
    EXPECT_FALSE(ksxsim::ParseOid("1..3"));
    EXPECT_FALSE(ksxsim::ParseOid("1.3.x"));
    EXPECT_FALSE(ksxsim::ParseOid("1.4294967296"));
    EXPECT_FALSE(ksxsim::ParseValue('i', "2147483648"));
    EXPECT_TRUE(ksxsim::ParseValue('i', "-2147483648"));
    EXPECT_FALSE(ksxsim::ParseValue('u', "-1"));
    EXPECT_FALSE(ksxsim::ParseValue('x', "abc"));
    EXPECT_EQ(ksxsim::ParseValue('x', "00FF10")->data, std::string("\x00\xff\x10", 3));
    EXPECT_FALSE(ksxsim::ParseValue('a', "10.0.0.256"));
    std::string raw("a b|c=\\\n\x00\xff", 10);
    EXPECT_EQ(*ksxsim::Unescape(ksxsim::Escape(raw)), raw);
    EXPECT_EQ(ksxsim::Escape(raw).find_first_of(" |=\n"), std::string::npos);
    EXPECT_FALSE(ksxsim::Unescape("\\x4"));
}

TEST(SimSwitchFixture, ParsesLogLines) {
    SimRequest r;
    ASSERT_TRUE(SimSwitch::ParseLogLine("v=3 p=md5user t=set b=1.3.6.1|s|a\\x20b b=1.3.6.2|x|00ff", &r));
    EXPECT_EQ(r.version, 3);
    EXPECT_EQ(r.principal, "md5user");
    EXPECT_EQ(r.pdu, "set");
    ASSERT_EQ(r.varbinds.size(), 2u);
    EXPECT_EQ(r.varbinds[0].value, "a b");
    EXPECT_EQ(r.varbinds[1].type, "x");
    EXPECT_EQ(r.varbinds[1].value, "00ff");
    ASSERT_TRUE(SimSwitch::ParseLogLine("v=1 p= t=get", &r));
    EXPECT_EQ(r.principal, "");
    EXPECT_FALSE(SimSwitch::ParseLogLine("v=1 t=get", &r));
    EXPECT_FALSE(SimSwitch::ParseLogLine("v=1 p=x t=get b=1.3", &r));
}

// --- one simulator shared by the read-mostly tests ---------------------------------------------

class SimTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_sim = new SimSwitch(SimSwitch::Options{"ksx-4200-28z1", {"--user", "extra:MD5:extrapass1"}});
    }
    static void TearDownTestSuite() {
        delete s_sim;
        s_sim = nullptr;
    }
    void SetUp() override {
        s_sim->Restart();
        s_sim->DropPercent(0);
        s_sim->DelayMs(0);
        s_sim->Silence(false);
        s_sim->WritesSilent(false);
        s_sim->WritesRefused(0);
        s_sim->ClearLog();
    }
    SimSwitch& sim() { return *s_sim; }

    static SimSwitch* s_sim;
};

SimSwitch* SimTest::s_sim = nullptr;

TEST_F(SimTest, ProfileLooksLikeThe28PortSwitch) {
    auto r = Tool("snmpwalk", sim(), V2(), {"1.3.6.1.2.1.2.2.1.1"});
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 28) << r;
    EXPECT_EQ(sim().Get("1.3.6.1.2.1.2.1.0"), "28");
    EXPECT_EQ(sim().Get(kSysName), "KSX-4200-28Z1");
    EXPECT_EQ(sim().Get("1.3.6.1.2.1.2.2.1.6.1").size(), 12u);  // six octets as hex
    EXPECT_EQ(sim().Get(kVlan + ".1.1"), "default");
    EXPECT_EQ(sim().Get(kVlan + ".5.1"), "1");
    EXPECT_EQ(sim().Get(kEnt + ".1.12.0"), "2");
    EXPECT_EQ(sim().Get(kEnt + ".1.15.1.0"), "1");
    int down = 0;
    for (int p = 1; p <= 28; ++p) {
        std::string port = std::to_string(p);
        int speed = std::stoi(sim().Get(kEnt + ".1.13.1.2." + port));
        int link = std::stoi(sim().Get(kEnt + ".1.13.1.3." + port));
        EXPECT_TRUE(speed >= 1 && speed <= 7) << port;
        EXPECT_TRUE(link >= 1 && link <= 6) << port;
        EXPECT_EQ(link == 1, sim().Get("1.3.6.1.2.1.2.2.1.8." + port) != "1") << port;
        down += link == 1;
    }
    EXPECT_GT(down, 0);
    EXPECT_LT(down, 28);
}

TEST_F(SimTest, V1GetGetNextAndSet) {
    auto r = Tool("snmpget", sim(), V1(), {kSysName});
    EXPECT_TRUE(Contains(r.out, "STRING: \"KSX-4200-28Z1\"")) << r;
    r = Tool("snmpgetnext", sim(), V1(), {"1.3.6.1.2.1.1.5"});
    EXPECT_TRUE(Contains(r.out, ".1.3.6.1.2.1.1.5.0 = STRING")) << r;

    r = Tool("snmpset", sim(), V1("harbour"), {kSysName, "s", "lab switch"});
    EXPECT_EQ(r.exitCode, 0) << r;
    EXPECT_EQ(sim().Get(kSysName), "lab switch");

    // The read community may not write; the value stays.
    r = Tool("snmpset", sim(), V1("quaint"), {kSysName, "s", "other"});
    EXPECT_TRUE(Contains(r.err, "noSuchName")) << r;
    EXPECT_EQ(sim().Get(kSysName), "lab switch");

    // A wrong community gets no answer at all, but the request is logged.
    r = Tool("snmpget", sim(), V1("public"), {kSysName});
    EXPECT_TRUE(Contains(r.err, "Timeout")) << r;
    auto log = sim().Requests();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().principal, "public");
    EXPECT_EQ(log.back().version, 1);
}

TEST_F(SimTest, MissingObjectsAndEndOfMib) {
    auto r = Tool("snmpget", sim(), V1(), {"1.3.6.1.2.1.1.9.0"});
    EXPECT_TRUE(Contains(r.err, "noSuchName")) << r;
    r = Tool("snmpget", sim(), V2(), {"1.3.6.1.2.1.1.5.1", "1.3.6.1.2.1.77.1.0"});
    EXPECT_TRUE(Contains(r.out, "No Such Instance")) << r;
    EXPECT_TRUE(Contains(r.out, "No Such Object")) << r;
    r = Tool("snmpgetnext", sim(), V1(), {"1.3.6.2"});
    EXPECT_TRUE(Contains(r.err, "noSuchName")) << r;
    r = Tool("snmpgetnext", sim(), V2(), {"1.3.6.2"});
    EXPECT_TRUE(Contains(r.out, "No more variables left")) << r;
}

TEST_F(SimTest, SetChecksTypesRangesAndWritability) {
    auto r = Tool("snmpset", sim(), V1("harbour"), {kEnt + ".1.12.0", "s", "1"});
    EXPECT_TRUE(Contains(r.err, "badValue")) << r;
    r = Tool("snmpset", sim(), V2("harbour"), {kEnt + ".1.12.0", "i", "3"});
    EXPECT_TRUE(Contains(r.err, "wrongValue")) << r;
    r = Tool("snmpset", sim(), V2("harbour"), {"1.3.6.1.2.1.1.1.0", "s", "x"});
    EXPECT_TRUE(Contains(r.err, "notWritable")) << r;
    r = Tool("snmpset", sim(), V1("harbour"), {"1.3.6.1.4.1.7393.99.0", "i", "1"});
    EXPECT_TRUE(Contains(r.err, "noSuchName")) << r;

    // A failing binding leaves the others of the PDU unapplied.
    r = Tool("snmpset", sim(), V1("harbour"), {kEnt + ".1.12.0", "i", "1", kEnt + ".1.13.1.2.3", "i", "9"});
    EXPECT_TRUE(Contains(r.err, "badValue")) << r;
    EXPECT_TRUE(Contains(r.err, "1.13.1.2.3")) << r;
    EXPECT_EQ(sim().Get(kEnt + ".1.12.0"), "2");

    r = Tool("snmpset", sim(), V1("harbour"), {kEnt + ".1.12.0", "i", "1", kEnt + ".7.7.1.1.3", "u", "10"});
    EXPECT_EQ(r.exitCode, 0) << r;
    EXPECT_EQ(sim().Get(kEnt + ".1.12.0"), "1");
    EXPECT_EQ(sim().Get(kEnt + ".7.7.1.1.3"), "10");
}

TEST_F(SimTest, V3UsersAtTheirLevels) {
    struct Case {
        std::vector<std::string> auth;
    };
    std::vector<Case> ok = {
        {V3("noauthuser", "noAuthNoPriv")},
        {V3("md5user", "authNoPriv", "MD5", "md5authpass")},
        {V3("shauser", "authNoPriv", "SHA", "shaauthpass")},
        {V3("shadesuser", "authPriv", "SHA", "shaauthpass", "DES", "desprivpass")},
        {V3("shaaesuser", "authPriv", "SHA", "shaauthpass", "AES", "aesprivpass")},
        {V3("extra", "authNoPriv", "MD5", "extrapass1")},
    };
    for (const auto& c : ok) {
        auto r = Tool("snmpget", sim(), c.auth, {kSysName});
        EXPECT_TRUE(Contains(r.out, "KSX-4200-28Z1")) << c.auth[2] << ": " << r;
    }
    auto r = Tool("snmpset", sim(), V3("shadesuser", "authPriv", "SHA", "shaauthpass", "DES", "desprivpass"),
                  {kSysName, "s", "v3 name"});
    EXPECT_EQ(r.exitCode, 0) << r;
    EXPECT_EQ(sim().Get(kSysName), "v3 name");

    r = Tool("snmpget", sim(), V3("md5user", "authNoPriv", "MD5", "wrongpassword"), {kSysName});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_FALSE(Contains(r.out, "v3 name")) << r;
    r = Tool("snmpget", sim(), V3("md5user", "noAuthNoPriv"), {kSysName});
    EXPECT_TRUE(Contains(r.err, "authorizationError")) << r;

    auto log = sim().Requests();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front().version, 3);
    EXPECT_EQ(log.front().principal, "noauthuser");
}

TEST_F(SimTest, RowStatusCreateActivateDestroy) {
    // createAndGo with a name in the same PDU.
    auto r =
        Tool("snmpset", sim(), V2("harbour"), {kVlan + ".5.10", "i", "4", kVlan + ".1.10", "s", "voice"});
    EXPECT_EQ(r.exitCode, 0) << r;
    EXPECT_EQ(sim().Get(kVlan + ".5.10"), "1");
    EXPECT_EQ(sim().Get(kVlan + ".1.10"), "voice");
    EXPECT_EQ(sim().Get(kVlan + ".2.10"), "00000000");
    // Creating it again is inconsistent.
    r = Tool("snmpset", sim(), V2("harbour"), {kVlan + ".5.10", "i", "4"});
    EXPECT_TRUE(Contains(r.err, "inconsistentValue")) << r;

    // createAndWait, fill in, activate.
    r = Tool("snmpset", sim(), V1("harbour"), {kVlan + ".5.20", "i", "5"});
    EXPECT_EQ(r.exitCode, 0) << r;
    EXPECT_EQ(sim().Get(kVlan + ".5.20"), "2");
    r = Tool("snmpset", sim(), V1("harbour"), {kVlan + ".2.20", "x", "c0000000", kVlan + ".5.20", "i", "1"});
    EXPECT_EQ(r.exitCode, 0) << r;
    EXPECT_EQ(sim().Get(kVlan + ".5.20"), "1");
    EXPECT_EQ(sim().Get(kVlan + ".2.20"), "c0000000");

    // Columns of absent rows: v1 noSuchName, v2 noCreation; only existing rows are walked.
    r = Tool("snmpset", sim(), V1("harbour"), {kVlan + ".1.30", "s", "x"});
    EXPECT_TRUE(Contains(r.err, "noSuchName")) << r;
    r = Tool("snmpset", sim(), V3("md5user", "authNoPriv", "MD5", "md5authpass"),
             {kVlan + ".1.30", "s", "x"});
    EXPECT_TRUE(Contains(r.err, "noCreation")) << r;
    r = Tool("snmpset", sim(), V1("harbour"), {kVlan + ".5.10", "i", "6"});
    EXPECT_EQ(r.exitCode, 0) << r;
    r = Tool("snmpwalk", sim(), V2(), {kVlan + ".5"});
    EXPECT_TRUE(Contains(r.out, kVlan + ".5.1 = INTEGER: 1")) << r;
    EXPECT_TRUE(Contains(r.out, kVlan + ".5.20 = INTEGER: 1")) << r;
    EXPECT_FALSE(Contains(r.out, kVlan + ".5.10 ")) << r;
    EXPECT_EQ(sim().Get(kVlan + ".1.10"), "");
    r = Tool("snmpset", sim(), V1("harbour"), {kVlan + ".5.20", "i", "3"});
    EXPECT_TRUE(Contains(r.err, "badValue")) << r;
}

TEST_F(SimTest, CreatedRowsTakeColumnsFromTheirIndex) {
    // Syslog hosts: the address type is index arc 1, the address the octets after the length arc 2.
    const std::string v4 = ".1.4.10.0.0.1";
    auto r = Tool("snmpset", sim(), V2("harbour"),
                  {kSyslogHost + ".5" + v4, "i", "4", kSyslogHost + ".3" + v4, "i", "1514"});
    EXPECT_EQ(r.exitCode, 0) << r;
    EXPECT_EQ(sim().Get(kSyslogHost + ".5" + v4), "1");
    EXPECT_EQ(sim().Get(kSyslogHost + ".1" + v4), "1");
    EXPECT_EQ(sim().Get(kSyslogHost + ".2" + v4), "0a000001");
    EXPECT_EQ(sim().Get(kSyslogHost + ".3" + v4), "1514");
    const std::string v6 = ".2.16.32.1.13.184.0.0.0.0.0.0.0.0.0.0.0.16";
    r = Tool("snmpset", sim(), V1("harbour"), {kSyslogHost + ".5" + v6, "i", "5"});
    EXPECT_EQ(r.exitCode, 0) << r;
    EXPECT_EQ(sim().Get(kSyslogHost + ".5" + v6), "2");  // notInService: every column has its value
    EXPECT_EQ(sim().Get(kSyslogHost + ".1" + v6), "2");
    EXPECT_EQ(sim().Get(kSyslogHost + ".2" + v6), "20010db8000000000000000000000010");
    EXPECT_EQ(sim().Get(kSyslogHost + ".3" + v6), "514");
    r = Tool("snmpwalk", sim(), V2(), {kSyslogHost + ".2"});
    EXPECT_TRUE(Contains(r.out, kSyslogHost + ".2" + v4 + " = Hex-STRING: 0A 00 00 01")) << r;
    // The device fills them; SNMP cannot change them.
    r = Tool("snmpset", sim(), V2("harbour"), {kSyslogHost + ".1" + v6, "i", "1"});
    EXPECT_TRUE(Contains(r.err, "notWritable")) << r;

    // An index without all the octets its length arc announces, or with an octet arc above 255,
    // gives no address: createAndGo is inconsistent and createAndWait stays notReady.
    for (const char* bad : {".1.4.10.0.0", ".1.4.10.0.0.256"}) {
        r = Tool("snmpset", sim(), V2("harbour"), {kSyslogHost + ".5" + bad, "i", "4"});
        EXPECT_TRUE(Contains(r.err, "inconsistentValue")) << bad << ": " << r;
        EXPECT_EQ(sim().Get(kSyslogHost + ".5" + bad), "") << bad;
    }
    r = Tool("snmpset", sim(), V2("harbour"), {kSyslogHost + ".5.1.4.10.0.0", "i", "5"});
    EXPECT_EQ(r.exitCode, 0) << r;
    EXPECT_EQ(sim().Get(kSyslogHost + ".5.1.4.10.0.0"), "3");
    EXPECT_EQ(sim().Get(kSyslogHost + ".1.1.4.10.0.0"), "1");
    EXPECT_EQ(sim().Get(kSyslogHost + ".2.1.4.10.0.0"), "");

    // Time profiles: the index column reads the row's own index, also when createAndGo alone makes it.
    const std::string profiles = kEnt + ".32.1.1";
    r = Tool("snmpset", sim(), V2("harbour"), {profiles + ".21.6", "i", "4"});
    EXPECT_EQ(r.exitCode, 0) << r;
    EXPECT_EQ(sim().Get(profiles + ".21.6"), "1");
    EXPECT_EQ(sim().Get(profiles + ".1.6"), "6");
}

TEST_F(SimTest, ErrorInjection) {
    sim().ErrorStatus(kEnt + ".1.12", 5);
    auto r = Tool("snmpget", sim(), V1(), {kSysName, kEnt + ".1.12.0"});
    EXPECT_TRUE(Contains(r.err, "genErr")) << r;
    EXPECT_TRUE(Contains(r.err, kEnt + ".1.12.0")) << r;  // the failed object is binding 2
    r = Tool("snmpset", sim(), V2("harbour"), {kEnt + ".1.12.0", "i", "1"});
    EXPECT_TRUE(Contains(r.err, "genErr")) << r;
    EXPECT_EQ(sim().Get(kEnt + ".1.12.0"), "2");
    r = Tool("snmpgetnext", sim(), V2(), {kEnt + ".1.11"});
    EXPECT_TRUE(Contains(r.err, "genErr")) << r;
    sim().ErrorStatus(kEnt + ".1.12", 0);
    r = Tool("snmpget", sim(), V1(), {kEnt + ".1.12.0"});
    EXPECT_TRUE(Contains(r.out, "INTEGER: 2")) << r;
}

// Writes go unanswered, or are refused, and are not applied; reads are answered all the while.
TEST_F(SimTest, WritesSilentOrRefused) {
    sim().WritesSilent(true);
    auto r = Tool("snmpset", sim(), V2("harbour"), {kSysName, "s", "quiet"});
    EXPECT_TRUE(Contains(r.err, "Timeout")) << r;
    EXPECT_TRUE(Contains(Tool("snmpget", sim(), V2(), {kSysName}).out, "KSX-4200-28Z1"));
    sim().WritesSilent(false);
    sim().WritesRefused(5);
    r = Tool("snmpset", sim(), V2("harbour"), {kSysName, "s", "refused"});
    EXPECT_TRUE(Contains(r.err, "genErr")) << r;
    EXPECT_EQ(sim().Get(kSysName), "KSX-4200-28Z1");
    sim().WritesRefused(0);
    r = Tool("snmpset", sim(), V2("harbour"), {kSysName, "s", "taken"});
    EXPECT_EQ(r.exitCode, 0) << r;
}

TEST_F(SimTest, SilenceDropAndDelay) {
    sim().Silence(true);
    auto r = Tool("snmpget", sim(), V1(), {kSysName});
    EXPECT_TRUE(Contains(r.err, "Timeout")) << r;
    EXPECT_EQ(sim().Requests().size(), 1u);  // silenced requests are logged too
    sim().Silence(false);
    r = Tool("snmpget", sim(), V1(), {kSysName});
    EXPECT_TRUE(Contains(r.out, "KSX-4200-28Z1")) << r;

    // Every second request is dropped.
    sim().DropPercent(50);
    int answered = 0;
    for (int i = 0; i < 4; ++i) {
        answered += Contains(Tool("snmpget", sim(), V1(), {kSysName}).out, "KSX-4200-28Z1");
    }
    EXPECT_EQ(answered, 2);
    sim().DropPercent(0);

    // A delay beyond the client's time-out loses the answer; a shorter one does not.
    sim().DelayMs(1500);
    r = Tool("snmpget", sim(), V1(), {kSysName});
    EXPECT_TRUE(Contains(r.err, "Timeout")) << r;
    sim().DelayMs(200);
    auto start = std::chrono::steady_clock::now();
    r = Tool("snmpget", sim(), V1(), {kSysName});
    EXPECT_TRUE(Contains(r.out, "KSX-4200-28Z1")) << r;
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
}

TEST_F(SimTest, RequestLogRecordsPdusAsReceived) {
    Tool("snmpset", sim(), V1("harbour"),
         {kVlan + ".1.1", "s", "a b|c", kVlan + ".2.1", "x", "FFFF0000", kEnt + ".7.7.1.1.1", "u", "7",
          kEnt + ".3.9.1.0", "x", "0a000001"});
    Tool("snmpbulkget", sim(), V2(), {"-Cn0", "-Cr3", "1.3.6.1.2.1.2.2.1.1"});
    Tool("snmpgetnext", sim(), V3("md5user", "authNoPriv", "MD5", "md5authpass"), {kSysName});
    auto log = sim().Requests();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].version, 1);
    EXPECT_EQ(log[0].principal, "harbour");
    EXPECT_EQ(log[0].pdu, "set");
    ASSERT_EQ(log[0].varbinds.size(), 4u);
    EXPECT_EQ(log[0].varbinds[0].oid, kVlan + ".1.1");
    EXPECT_EQ(log[0].varbinds[0].type, "s");
    EXPECT_EQ(log[0].varbinds[0].value, "a b|c");
    EXPECT_EQ(log[0].varbinds[1].type, "x");
    EXPECT_EQ(log[0].varbinds[1].value, "ffff0000");
    EXPECT_EQ(log[0].varbinds[2].type, "u");
    EXPECT_EQ(log[0].varbinds[2].value, "7");
    EXPECT_EQ(log[0].varbinds[3].value, "0a000001");
    EXPECT_EQ(log[1].pdu, "getbulk");
    EXPECT_EQ(log[1].version, 2);
    ASSERT_EQ(log[1].varbinds.size(), 1u);
    EXPECT_EQ(log[1].varbinds[0].type, "n");
    EXPECT_EQ(log[2].pdu, "getnext");
    EXPECT_EQ(log[2].principal, "md5user");
    EXPECT_EQ(sim().Get(kVlan + ".1.1"), "a b|c");

    sim().ClearLog();
    EXPECT_TRUE(sim().Requests().empty());
}

TEST_F(SimTest, SaveAndTransferProgress) {
    auto r = Tool("snmpset", sim(), V1("harbour"), {kEnt + ".1.10.0", "i", "1"});
    EXPECT_EQ(r.exitCode, 0) << r;
    EXPECT_EQ(sim().Get(kEnt + ".1.10.0"), "1");
    auto until = [&](const std::string& oid, const std::string& value) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (sim().Get(oid) != value && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return sim().Get(oid) == value;
    };
    EXPECT_TRUE(until(kEnt + ".1.10.0", "2"));

    r = Tool("snmpset", sim(), V1("harbour"), {kEnt + ".3.10.5.0", "i", "2"});
    EXPECT_EQ(r.exitCode, 0) << r;
    EXPECT_EQ(sim().Get(kEnt + ".3.10.6.0"), "4");
    EXPECT_TRUE(until(kEnt + ".3.10.6.0", "3"));
    EXPECT_TRUE(until(kEnt + ".3.10.6.0", "1"));
}

TEST_F(SimTest, ControlSetGetUnsetAndRestart) {
    sim().Set(kEnt + ".22.1.1.13.1.3", "s", "POWER ON");
    EXPECT_EQ(sim().Get(kEnt + ".22.1.1.13.1.3"), "POWER ON");
    auto r = Tool("snmpget", sim(), V1(), {kEnt + ".22.1.1.13.1.3"});
    EXPECT_TRUE(Contains(r.out, "\"POWER ON\"")) << r;
    sim().Set("1.3.6.1.2.1.2.2.1.8.1", "i", "2");
    EXPECT_EQ(sim().Command("unset " + kSysName), "OK");
    EXPECT_EQ(sim().Get(kSysName), "");
    EXPECT_THROW(sim().Set(kSysName, "i", "abc"), std::runtime_error);
    EXPECT_EQ(sim().Command("bogus").rfind("ERR", 0), 0u);

    sim().Restart();
    EXPECT_EQ(sim().Get(kSysName), "KSX-4200-28Z1");
    EXPECT_EQ(sim().Get("1.3.6.1.2.1.2.2.1.8.1"), "1");
    EXPECT_EQ(sim().Get(kEnt + ".22.1.1.13.1.3"), "");
}

TEST_F(SimTest, WaitForRequestsSeesLaterRequests) {
    std::thread client([&] { Tool("snmpget", sim(), V1(), {kSysName}); });
    bool seen = sim().WaitForRequests([](const std::vector<SimRequest>& log) {
        return !log.empty() && log.back().varbinds.size() == 1 && log.back().varbinds[0].oid == kSysName;
    });
    client.join();
    EXPECT_TRUE(seen);
    EXPECT_FALSE(
        sim().WaitForRequests([](const std::vector<SimRequest>& log) { return log.size() > 5; }, 100));
}

TEST_F(SimTest, UseSimPointsTheConnectionSettingsAtTheSimulator) {
    ksx::test::UseSimV3(sim(), "3", "shadesuser", "3", "shaauthpass", "2", "desprivpass");
    EXPECT_EQ(g_strSnmpVersion, "3");
    EXPECT_EQ(g_strV3UserName, "shadesuser");
    EXPECT_EQ(g_strV3PrivPassword, "desprivpass");
    ksx::test::UseSimV1(sim(), "1500");
    EXPECT_EQ(g_strDeviceIP, "127.0.0.1");
    EXPECT_EQ(g_strSnmpPort, std::to_string(sim().Port()));
    EXPECT_EQ(g_strSnmpVersion, "1");
    EXPECT_EQ(g_strReadCommunity, "quaint");
    EXPECT_EQ(g_strWriteCommunity, "harbour");
    EXPECT_EQ(g_strSnmpTimeout, "1500");
    EXPECT_EQ(g_strV3UserName, "");
}

// --- simulators with options of their own ------------------------------------------------------

TEST(SimSwitchOptions, GeneratedTable) {
    SimSwitch sim(SimSwitch::Options{"ksx-4200-28z1", {"--table", "1.3.6.1.4.1.99999.5:3:4"}});
    auto r = Tool("snmpbulkwalk", sim, V2(), {"1.3.6.1.4.1.99999.5"});
    std::regex value(" = (INTEGER|STRING): ");
    EXPECT_EQ(std::distance(std::sregex_iterator(r.out.begin(), r.out.end(), value), std::sregex_iterator()),
              12)
        << r;
    EXPECT_TRUE(Contains(r.out, ".1.3.6.1.4.1.99999.5.1.1.3 = INTEGER: 3")) << r;
    EXPECT_TRUE(Contains(r.out, ".1.3.6.1.4.1.99999.5.1.2.2 = STRING: \"row2-col2\"")) << r;
    EXPECT_TRUE(Contains(r.out, ".1.3.6.1.4.1.99999.5.1.3.2 = INTEGER: 6")) << r;
}

TEST(SimSwitchOptions, RebootSilencesThenComesBack) {
    SimSwitch sim(SimSwitch::Options{"ksx-4200-28z1", {"--reboot-ms", "1500"}});
    auto r = Tool("snmpset", sim, V1("harbour"), {kEnt + ".1.9.0", "i", "1"});
    EXPECT_EQ(r.exitCode, 0) << r;
    r = Tool("snmpget", sim, V1(), {kSysName});
    EXPECT_TRUE(Contains(r.err, "Timeout")) << r;
    // Back within a few tries; the uptime starts again.
    bool back = false;
    for (int i = 0; i < 5 && !back; ++i) {
        r = Tool("snmpget", sim, V1(), {"1.3.6.1.2.1.1.3.0"});
        back = Contains(r.out, "Timeticks");
    }
    ASSERT_TRUE(back) << r;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(r.out, m, std::regex("Timeticks: \\((\\d+)\\)")));
    EXPECT_LT(std::stol(m[1]), 500);
}

TEST(SimSwitchOptions, TableLimitsAndRmonEntryStatus) {
    TempProfile profile(
        "@rowstatus 1.3.6.1.4.1.99.1.1 3 max=2 1:s=none 2:i\n"
        "@entrystatus 1.3.6.1.4.1.99.2.1 4 1:i=0 2:s=\n"
        "1.3.6.1.4.1.99.1.1.1.1|s|first\n"
        "1.3.6.1.4.1.99.1.1.2.1|i|5\n"
        "1.3.6.1.4.1.99.1.1.3.1|i|1\n");
    SimSwitch sim(SimSwitch::Options{profile.Path(), {}});
    const std::string t = "1.3.6.1.4.1.99.1.1";
    // Column 2 has no default: createAndGo alone is inconsistent, createAndWait reads notReady.
    auto r = Tool("snmpset", sim, V2("harbour"), {t + ".3.2", "i", "4"});
    EXPECT_TRUE(Contains(r.err, "inconsistentValue")) << r;
    r = Tool("snmpset", sim, V2("harbour"), {t + ".3.2", "i", "5"});
    EXPECT_EQ(r.exitCode, 0) << r;
    EXPECT_EQ(sim.Get(t + ".3.2"), "3");
    EXPECT_EQ(sim.Get(t + ".1.2"), "none");
    r = Tool("snmpset", sim, V2("harbour"), {t + ".3.2", "i", "1"});
    EXPECT_TRUE(Contains(r.err, "inconsistentValue")) << r;
    r = Tool("snmpset", sim, V2("harbour"), {t + ".2.2", "i", "8", t + ".3.2", "i", "1"});
    EXPECT_EQ(r.exitCode, 0) << r;
    EXPECT_EQ(sim.Get(t + ".3.2"), "1");
    // A third row is beyond max=2.
    r = Tool("snmpset", sim, V2("harbour"), {t + ".3.3", "i", "4", t + ".2.3", "i", "1"});
    EXPECT_TRUE(Contains(r.err, "resourceUnavailable")) << r;
    r = Tool("snmpset", sim, V1("harbour"), {t + ".3.3", "i", "4", t + ".2.3", "i", "1"});
    EXPECT_TRUE(Contains(r.err, "genErr")) << r;

    const std::string e = "1.3.6.1.4.1.99.2.1";
    r = Tool("snmpset", sim, V1("harbour"), {e + ".4.7", "i", "2"});
    EXPECT_EQ(r.exitCode, 0) << r;
    EXPECT_EQ(sim.Get(e + ".4.7"), "3");
    EXPECT_EQ(sim.Get(e + ".1.7"), "0");
    r = Tool("snmpset", sim, V1("harbour"), {e + ".1.7", "i", "42", e + ".4.7", "i", "1"});
    EXPECT_EQ(r.exitCode, 0) << r;
    EXPECT_EQ(sim.Get(e + ".4.7"), "1");
    EXPECT_EQ(sim.Get(e + ".1.7"), "42");
    r = Tool("snmpset", sim, V1("harbour"), {e + ".4.7", "i", "4"});
    EXPECT_EQ(r.exitCode, 0) << r;
    EXPECT_EQ(sim.Get(e + ".4.7"), "");
    EXPECT_EQ(sim.Get(e + ".1.7"), "");
}

TEST(SimSwitchOptions, IndexDerivedDefaults) {
    TempProfile profile("@rowstatus 1.3.6.1.4.1.99.1.1 9 1:u=@arc:3 2:s=@octets:1 3:i=@index 4:i=0\n");
    SimSwitch sim(SimSwitch::Options{profile.Path(), {}});
    const std::string t = "1.3.6.1.4.1.99.1.1";
    auto r = Tool("snmpset", sim, V2("harbour"), {t + ".9.2.72.73.7", "i", "4"});
    EXPECT_EQ(r.exitCode, 0) << r;
    EXPECT_EQ(sim.Get(t + ".1.2.72.73.7"), "73");
    EXPECT_EQ(sim.Get(t + ".2.2.72.73.7"), "HI");
    EXPECT_EQ(sim.Get(t + ".3.2.72.73.7"), "7");
    // Arc 3 missing: no value for column 1. Arc 3 beyond the integer range of column 3's type: none.
    r = Tool("snmpset", sim, V2("harbour"), {t + ".9.0.5", "i", "4"});
    EXPECT_TRUE(Contains(r.err, "inconsistentValue")) << r;
    r = Tool("snmpset", sim, V2("harbour"), {t + ".9.0.1.2147483648", "i", "4"});
    EXPECT_TRUE(Contains(r.err, "inconsistentValue")) << r;
    r = Tool("snmpset", sim, V2("harbour"), {t + ".9.0.1.2147483647", "i", "4"});
    EXPECT_EQ(r.exitCode, 0) << r;
    EXPECT_EQ(sim.Get(t + ".1.0.1.2147483647"), "2147483647");
    EXPECT_EQ(sim.Get(t + ".2.0.1.2147483647"), "");  // zero octets
    EXPECT_EQ(sim.Command("get " + t + ".2.0.1.2147483647"), "OK s ");

    for (const char* column : {"1:i=@arc:0", "1:i=@arc:", "1:i=@arc:x", "1:i=@octets:1", "1:u=@octets:2"}) {
        TempProfile bad(std::string("@rowstatus 1.3.6.1.4.1.99.1.1 9 ") + column + "\n");
        EXPECT_THROW(SimSwitch(SimSwitch::Options{bad.Path(), {}}), std::runtime_error) << column;
    }
}

// One moment's PoE readings of the sample switch: the powered ports' power, voltage and current, an
// unpowered port's power, and the budget, used, left and percentage scalars.
const std::vector<int> kPowered = {1, 2, 5, 8};
std::vector<std::string> PoeReadingOids() {
    std::vector<std::string> oids;
    for (int p : kPowered) {
        for (int c : {9, 10, 11}) {
            oids.push_back(kPoePort + "." + std::to_string(c) + ".1." + std::to_string(p));
        }
    }
    oids.push_back(kPoePort + ".9.1.3");
    for (int c : {4, 5, 6, 7}) {
        oids.push_back(kEnt + ".22." + std::to_string(c) + ".0");
    }
    return oids;
}

TEST(SimSwitchOptions, PoeReadingsStayWithoutLive) {
    SimSwitch sim(SimSwitch::Options{"ksx-4200-28p", {"--save-ms", "50"}});
    const auto oids = PoeReadingOids();
    const auto before = GetAll(sim, oids);
    ASSERT_EQ(before.size(), oids.size());
    EXPECT_EQ(before.at(kPoePort + ".9.1.2"), "12.8");
    EXPECT_EQ(before.at(kPoePort + ".10.1.2"), "53.5");
    EXPECT_EQ(before.at(kPoePort + ".11.1.2"), "239");
    EXPECT_EQ(before.at(kEnt + ".22.5.0"), "29.6");
    EXPECT_EQ(before.at(kEnt + ".22.6.0"), "155.4");
    EXPECT_EQ(before.at(kEnt + ".22.7.0"), "16");
    // The device has run its timed behaviours past a save; the readings have not moved.
    auto r = Tool("snmpset", sim, V1("harbour"), {kEnt + ".1.10.0", "i", "1"});
    EXPECT_EQ(r.exitCode, 0) << r;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (sim.Get(kEnt + ".1.10.0") != "2" && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(sim.Get(kEnt + ".1.10.0"), "2");
    EXPECT_EQ(GetAll(sim, oids), before);
}

TEST(SimSwitchOptions, PoeReadingsDriftInLiveModeAndStayConsistent) {
    const auto oids = PoeReadingOids();
    // The profile's readings come from a device without --live: a live one may have moved them before
    // its first read.
    const auto profile = [&] {
        SimSwitch still(SimSwitch::Options{"ksx-4200-28p", {}});
        return GetAll(still, oids);
    }();
    ASSERT_EQ(profile.size(), oids.size());
    SimSwitch sim(SimSwitch::Options{"ksx-4200-28p", {"--live", "--live-ms", "20"}});
    const std::regex oneDecimal(R"(\d+\.\d)");
    std::map<std::string, bool> moved;  // power and voltage objects seen away from their profile value
    int snapshots = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (moved.size() < 2 * kPowered.size() && std::chrono::steady_clock::now() < deadline) {
        const auto now = GetAll(sim, oids);
        ASSERT_EQ(now.size(), oids.size());
        ++snapshots;
        double sum = 0;
        for (int p : kPowered) {
            const std::string port = ".1." + std::to_string(p);
            const std::string power = now.at(kPoePort + ".9" + port);
            const std::string volts = now.at(kPoePort + ".10" + port);
            ASSERT_TRUE(std::regex_match(power, oneDecimal)) << power;
            ASSERT_TRUE(std::regex_match(volts, oneDecimal)) << volts;
            const double w = std::stod(power);
            const double v = std::stod(volts);
            // Within 300 mW of the profile's reading, the voltage near 53.5 V, current = P / U.
            EXPECT_LE(std::fabs(w - std::stod(profile.at(kPoePort + ".9" + port))), 0.3 + 1e-9) << p;
            EXPECT_TRUE(v >= 53.2 - 1e-9 && v <= 53.8 + 1e-9) << p << ": " << volts;
            EXPECT_EQ(now.at(kPoePort + ".11" + port), std::to_string(std::lround(w / v * 1000))) << p;
            for (int c : {9, 10}) {
                const std::string oid = kPoePort + "." + std::to_string(c) + port;
                if (now.at(oid) != profile.at(oid)) {
                    moved[oid] = true;
                }
            }
            sum += w;
        }
        EXPECT_EQ(now.at(kPoePort + ".9.1.3"), "0.0");  // no power, nothing to drift
        // Used is the sum of the ports, left the rest of the budget, the percentage of it in use.
        const double used = std::stod(now.at(kEnt + ".22.5.0"));
        EXPECT_NEAR(used, sum, 1e-6);
        EXPECT_EQ(now.at(kEnt + ".22.4.0"), "185.0");
        EXPECT_NEAR(std::stod(now.at(kEnt + ".22.6.0")), 185.0 - used, 1e-6);
        EXPECT_EQ(now.at(kEnt + ".22.7.0"), std::to_string(std::lround(used / 185.0 * 100)));
        if (::testing::Test::HasFailure()) {
            break;
        }
    }
    EXPECT_EQ(moved.size(), 2 * kPowered.size()) << snapshots << " snapshots";
}

TEST(SimSwitchOptions, DriftSumAndRatioDirectives) {
    const std::string x = "1.3.6.1.4.1.99.3";
    TempProfile profile(x + ".1.0|i|100\n" + x + ".2.0|s|2.50\n" + x + ".3.0|s|40.0\n" + x + ".4.0|u|60\n" +
                        "@drift " + x + ".1.0 95 105 2\n@drift " + x + ".2.0 2.4 2.6 0.05\n@ratio " + x +
                        ".3.0 " + x + ".1.0 " + x + ".2.0 1\n@sum " + x + ".4.0 " + x + ".1.0 -" + x +
                        ".3.0\n");
    SimSwitch sim(SimSwitch::Options{profile.Path(), {"--live", "--live-ms", "20"}});
    const std::vector<std::string> oids = {x + ".1.0", x + ".2.0", x + ".3.0", x + ".4.0"};
    bool movedInt = false;
    bool movedText = false;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!(movedInt && movedText) && std::chrono::steady_clock::now() < deadline &&
           !::testing::Test::HasFailure()) {
        auto now = GetAll(sim, oids);
        ASSERT_EQ(now.size(), oids.size());
        const long n = std::stol(now.at(x + ".1.0"));
        ASSERT_TRUE(std::regex_match(now.at(x + ".2.0"), std::regex(R"(2\.\d\d)"))) << now.at(x + ".2.0");
        const double d = std::stod(now.at(x + ".2.0"));
        EXPECT_TRUE(n >= 95 && n <= 105) << n;
        EXPECT_TRUE(d >= 2.4 - 1e-9 && d <= 2.6 + 1e-9) << d;
        // The ratio keeps its one decimal; the unsigned sum is rounded to a whole number.
        char ratio[32];
        std::snprintf(ratio, sizeof(ratio), "%.1f", std::round(n / d * 10) / 10);
        EXPECT_EQ(now.at(x + ".3.0"), ratio);
        EXPECT_EQ(now.at(x + ".4.0"), std::to_string(std::lround(n - std::stod(ratio))));
        movedInt = movedInt || n != 100;
        movedText = movedText || now.at(x + ".2.0") != "2.50";
    }
    EXPECT_TRUE(movedInt && movedText);

    // Bounds the wrong way round, no step, objects that are absent or not numbers.
    for (const std::string& line :
         {"@drift " + x + ".1.0 5 1 1", "@drift " + x + ".1.0 1 5 0", "@drift " + x + ".9.0 1 5 1",
          "@drift " + x + ".5.0 1 5 1", "@sum " + x + ".1.0 " + x + ".9.0", "@sum " + x + ".1.0 -",
          "@ratio " + x + ".1.0 " + x + ".2.0 " + x + ".5.0 1",
          "@ratio " + x + ".1.0 " + x + ".2.0 " + x + ".3.0 abc"}) {
        TempProfile bad(x + ".1.0|i|1\n" + x + ".2.0|s|2.5\n" + x + ".3.0|s|3\n" + x + ".5.0|s|abc\n" + line +
                        "\n");
        EXPECT_THROW(SimSwitch(SimSwitch::Options{bad.Path(), {}}), std::runtime_error) << line;
    }
}

TEST(SimSwitchOptions, LiveModeChangesLinks) {
    SimSwitch sim(SimSwitch::Options{"ksx-4200-28p", {"--live", "--live-ms", "20"}});
    std::vector<std::string> before;
    for (int p = 1; p <= 28; ++p) {
        before.push_back(sim.Get("1.3.6.1.2.1.2.2.1.8." + std::to_string(p)));
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    bool changed = false;
    while (!changed && std::chrono::steady_clock::now() < deadline) {
        for (int p = 1; p <= 28 && !changed; ++p) {
            std::string port = std::to_string(p);
            std::string oper = sim.Get("1.3.6.1.2.1.2.2.1.8." + port);
            std::string link = sim.Get(kEnt + ".1.13.1.3." + port);
            // Compare only when the port did not flip between the two reads.
            if (oper != before[p - 1] && oper == sim.Get("1.3.6.1.2.1.2.2.1.8." + port)) {
                changed = true;
                // The enterprise link status follows the interface.
                EXPECT_EQ(oper == "1", link != "1") << port;
            }
        }
    }
    EXPECT_TRUE(changed);
}

TEST(SimSwitchOptions, BadStartIsReported) {
    EXPECT_THROW(SimSwitch(SimSwitch::Options{"no-such-profile", {}}), std::runtime_error);
    EXPECT_THROW(SimSwitch(SimSwitch::Options{"ksx-4200-28z1", {"--user", "bad:XYZ:pw"}}),
                 std::runtime_error);
}

}  // namespace
