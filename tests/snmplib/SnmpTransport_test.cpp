// Reaching the agent: address forms, unreachable agents within the time-out, SNMPv3 security levels and
// wrong credentials.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/snmplib/SnmpTestUtil.h"

using namespace ksx::test;

namespace {

const char* const kSysName = "1.3.6.1.2.1.1.5.0";

class SnmpTransport : public SimSuite {
protected:
    void SetUp() override {
        s_sim->Silence(false);
        s_sim->DropPercent(0);
        s_sim->DelayMs(0);
    }
    static std::string Agent() { return AgentOf(*s_sim); }

    static std::unique_ptr<CSnmpV1> V1Get() {
        auto get = std::make_unique<CSnmpV1>(0);
        get->setCommunity("quaint");
        get->addValue(kSysName, SNMP_TYPE_NULL, nullptr);
        return get;
    }
};

TEST_F(SnmpTransport, AddressForms) {
    const std::string port = std::to_string(s_sim->Port());
    for (const std::string& agent : {"127.0.0.1:" + port, " 127.0.0.1:" + port + " ", "localhost:" + port}) {
        ReplyPtr reply;
        EXPECT_EQ(0, SendTo(*V1Get(), agent, reply)) << agent;
    }
    // Refused at once, without waiting: no address, a malformed port, a name that does not resolve.
    for (const std::string& agent : std::vector<std::string>{
             std::string(), std::string("   "), "127.0.0.1:", "127.0.0.1:99999", "127.0.0.1:abc", "[::1",
             "no-such-host.invalid", "no-such-host.invalid:" + port}) {
        ReplyPtr reply;
        auto t0 = std::chrono::steady_clock::now();
        EXPECT_EQ(CSnmp4w::EC_BAD_AGENT, SendTo(*V1Get(), agent, reply, 2000)) << "'" << agent << "'";
        EXPECT_FALSE(reply);
        EXPECT_LT(ElapsedMs(t0), 1900) << agent;
    }
    CSnmp* raw = nullptr;
    EXPECT_EQ(CSnmp4w::EC_BAD_AGENT, V1Get()->send(nullptr, raw, 500));
    EXPECT_EQ(nullptr, raw);
}

TEST_F(SnmpTransport, Ipv6AgentAddress) {
    SimSwitch::Options options;
    options.extraArgs = {"--address", "::1"};
    std::unique_ptr<SimSwitch> sim6;
    try {
        sim6 = std::make_unique<SimSwitch>(options);
    } catch (const std::exception& e) {
        GTEST_SKIP() << "no IPv6 loopback here: " << e.what();
    }
    ReplyPtr reply;
    EXPECT_EQ(0, SendTo(*V1Get(), "[::1]:" + std::to_string(sim6->Port()), reply));
}

TEST_F(SnmpTransport, NoAnswerEndsAtTheTimeOut) {
    s_sim->Silence(true);
    for (unsigned long timeout : {200UL, 700UL}) {
        ReplyPtr reply;
        auto t0 = std::chrono::steady_clock::now();
        EXPECT_EQ(CSnmp4w::EC_TIMEOUT, SendTo(*V1Get(), Agent(), reply, timeout));
        long long ms = ElapsedMs(t0);
        EXPECT_GE(ms, static_cast<long long>(timeout) - 5);
        EXPECT_LT(ms, static_cast<long long>(timeout) + 500);
    }
    // No retries: one request per send.
    s_sim->ClearLog();
    ReplyPtr reply;
    SendTo(*V1Get(), Agent(), reply, 200);
    EXPECT_EQ(1u, s_sim->Requests().size());

    // Time-out 0 takes the library default.
    const int saved = GetSnmpTimeout();
    SetSnmpTimeout(300);
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(CSnmp4w::EC_TIMEOUT, SendTo(*V1Get(), Agent(), reply, 0));
    EXPECT_GE(ElapsedMs(t0), 295);
    EXPECT_LT(ElapsedMs(t0), 1000);
    SetSnmpTimeout(saved);
    s_sim->Silence(false);
    EXPECT_EQ(0, SendTo(*V1Get(), Agent(), reply));
}

TEST_F(SnmpTransport, DroppedRequestsTimeOutAndLateAnswersAreNotMixedUp) {
    s_sim->DropPercent(50);  // every second request is dropped
    auto get = V1Get();
    int answered = 0;
    int timedOut = 0;
    for (int i = 0; i < 6; ++i) {
        ReplyPtr reply;
        int status = SendTo(*get, Agent(), reply, 300);
        if (status == 0) {
            ++answered;
        } else {
            EXPECT_EQ(CSnmp4w::EC_TIMEOUT, status);
            ++timedOut;
        }
    }
    EXPECT_EQ(3, answered);
    EXPECT_EQ(3, timedOut);

    // A slow answer that lands during the next step is not taken for that step's answer.
    s_sim->DropPercent(0);
    s_sim->DelayMs(400);
    ReplyPtr reply;
    EXPECT_EQ(CSnmp4w::EC_TIMEOUT, SendTo(*get, Agent(), reply, 100));
    get->clearVarBindList();
    get->addValue("1.3.6.1.2.1.1.1.0", SNMP_TYPE_NULL, nullptr);
    ASSERT_EQ(0, SendTo(*get, Agent(), reply, 3000));
    EXPECT_EQ("1.3.6.1.2.1.1.1.0", std::string(reply->getOid(0)));
    s_sim->DelayMs(0);
}

TEST_F(SnmpTransport, ClosedPortFailsWithinTheTimeOut) {
    SimSwitch::Options options;
    auto gone = std::make_unique<SimSwitch>(options);
    const std::string agent = AgentOf(*gone);
    gone.reset();  // nothing listens there any more
    ReplyPtr reply;
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_NE(0, SendTo(*V1Get(), agent, reply, 500));
    EXPECT_LT(ElapsedMs(t0), 1000);
    EXPECT_FALSE(reply);
}

TEST_F(SnmpTransport, V3SecurityLevels) {
    struct Case {
        const char* user;
        char flags;
        int auth;
        const char* authPwd;
        int priv;
        const char* privPwd;
    } cases[] = {
        {"noauthuser", 0, 0, "", 0, ""},
        {"md5user", 1, 0, "md5authpass", 0, ""},
        {"shauser", 1, 1, "shaauthpass", 0, ""},
        {"shadesuser", 3, 1, "shaauthpass", 0, "desprivpass"},
        {"shaaesuser", 3, 1, "shaauthpass", 1, "aesprivpass"},
    };
    for (const Case& c : cases) {
        auto set = V3Request(3, c.user, c.flags, c.auth, c.authPwd, c.priv, c.privPwd);
        const std::string name = std::string("by-") + c.user;
        set->addValue(kSysName, SNMP_TYPE_OCTETS, name.c_str());
        s_sim->ClearLog();
        ReplyPtr reply;
        ASSERT_EQ(0, SendTo(*set, Agent(), reply)) << c.user;
        int status = -1;
        reply->getErrorStatus(&status, nullptr);
        EXPECT_EQ(0, status) << c.user;
        EXPECT_EQ(name, s_sim->Get(kSysName)) << c.user;
        // The second request reuses the discovered engine: one request on the wire.
        s_sim->ClearLog();
        auto& get = *set;
        get.setType(0);
        get.clearVarBindList();
        get.addValue(kSysName, SNMP_TYPE_NULL, nullptr);
        ASSERT_EQ(0, SendTo(get, Agent(), reply)) << c.user;
        EXPECT_EQ(name, ValueOf(*reply, 0)) << c.user;
        auto log = s_sim->Requests();
        ASSERT_EQ(1u, log.size()) << c.user;
        EXPECT_EQ(3, log[0].version);
        EXPECT_EQ(c.user, log[0].principal);
    }
}

TEST_F(SnmpTransport, V3WrongCredentialsFailWithinTheTimeOut) {
    struct Case {
        const char* user;
        char flags;
        int auth;
        const char* authPwd;
        int priv;
        const char* privPwd;
    } cases[] = {
        {"shadesuser", 3, 1, "wrongauthpass", 0, "desprivpass"},  // wrong authentication password
        {"shadesuser", 3, 1, "shaauthpass", 0, "wrongprivpass"},  // wrong privacy password
        {"shadesuser", 3, 0, "shaauthpass", 0, "desprivpass"},    // wrong algorithm
        {"nobody-here", 1, 1, "shaauthpass", 0, ""},              // unknown user
        {"shadesuser", 1, 1, "short", 0, ""},                     // password too short for a key
    };
    for (const Case& c : cases) {
        auto get = V3Request(0, c.user, c.flags, c.auth, c.authPwd, c.priv, c.privPwd);
        get->addValue(kSysName, SNMP_TYPE_NULL, nullptr);
        ReplyPtr reply;
        auto t0 = std::chrono::steady_clock::now();
        const int status = SendTo(*get, Agent(), reply, 600);
        EXPECT_NE(0, status) << c.user << " " << c.authPwd << " " << c.privPwd;
        // A wrong privacy password: the request's time-out, a probe without privacy and a get with
        // privacy within the time-out again.
        EXPECT_LT(ElapsedMs(t0), std::string(c.privPwd) == "wrongprivpass" ? 1900 : 1200);
        EXPECT_FALSE(reply);
        // What the agent reports refusing is named as such, not as a dead device. A wrong privacy key
        // makes the request undecryptable: the agent drops it unanswered. A password too short for a
        // key never leaves the process.
        if (std::string(c.authPwd) != "short" && std::string(c.privPwd) != "wrongprivpass") {
            EXPECT_EQ(CSnmp4w::EC_AUTH_FAILED, status) << c.user << " " << c.authPwd << " " << c.privPwd;
            // Again on the same object: still named, not a time-out.
            EXPECT_EQ(CSnmp4w::EC_AUTH_FAILED, SendTo(*get, Agent(), reply, 600)) << c.user;
        }
    }

    // The right credentials for the same user still work afterwards in the same process.
    auto good = V3Request(0, "shadesuser", 3, 1, "shaauthpass", 0, "desprivpass");
    good->addValue(kSysName, SNMP_TYPE_NULL, nullptr);
    ReplyPtr reply;
    EXPECT_EQ(0, SendTo(*good, Agent(), reply));
}

TEST_F(SnmpTransport, V3AfterAgentRestart) {
    auto get = V3Request(0, "md5user", 1, 0, "md5authpass", 0, "");
    get->addValue(kSysName, SNMP_TYPE_NULL, nullptr);
    ReplyPtr reply;
    ASSERT_EQ(0, SendTo(*get, Agent(), reply));
    s_sim->Restart();
    EXPECT_EQ(0, SendTo(*get, Agent(), reply));
}

}  // namespace
