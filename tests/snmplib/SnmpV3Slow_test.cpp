// SNMPv3 over a slow link: an answer to any attempt of a request is the answer (engine discovery and time
// synchronisation included), answers arriving after their request ended are dropped, and an authPriv
// request that goes unanswered is told apart: a wrong privacy password, or a dead or stalled device.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/snmplib/SnmpTestUtil.h"

using namespace ksx::test;

namespace {

const char* const kSysName = "1.3.6.1.2.1.1.5.0";
const char* const kSysContact = "1.3.6.1.2.1.1.4.0";
const std::string kTable = "1.3.6.1.4.1.99999.43";  // generated: kTable.1.c.r
constexpr int kRows = 3;
constexpr unsigned long kTimeoutMs = 3000;

struct User {
    const char* name;
    char flags;
    const char* privPwd;
};
const User kUsers[] = {{"shauser", 1, ""}, {"shadesuser", 3, "desprivpass"}};

std::unique_ptr<CSnmpV3> RequestAs(const User& u, int type, const char* privPwd = nullptr) {
    return V3Request(type, u.name, u.flags, 1, "shaauthpass", 0, privPwd ? privPwd : u.privPwd);
}

// What one user's reads gave; checked on the test's thread.
struct Outcome {
    int getStatus = -100;
    std::string value;
    int walkStatus = -100;
    std::vector<std::string> rows;  // instance of each row read, in order
};

class SnmpV3Slow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        SnmpInit();
        SimSwitch::Options options;
        options.extraArgs = {"--table", kTable + ":" + std::to_string(kRows) + ":2"};
        s_sim = new SimSwitch(options);
    }
    static void TearDownTestSuite() {
        delete s_sim;
        s_sim = nullptr;
    }
    void SetUp() override {
        s_sim->Silence(false);
        s_sim->DelayMs(0);
        s_sim->Command("decrypterror off");
        s_sim->ClearLog();
    }
    static std::string Agent() { return AgentOf(*s_sim); }

    // A new request object (so engine discovery included) reads sysName.0, then walks the table's first
    // column to its end.
    static Outcome ReadAndWalk(const User& u) {
        Outcome o;
        auto get = RequestAs(u, 0);
        get->addValue(kSysName, SNMP_TYPE_NULL, nullptr);
        ReplyPtr reply;
        o.getStatus = SendTo(*get, Agent(), reply, kTimeoutMs);
        if (reply) {
            o.value = ValueOf(*reply, 0);
        }
        auto next = RequestAs(u, 1);
        next->addValue((kTable + ".1.1").c_str(), SNMP_TYPE_NULL, nullptr);
        CSnmpTable table(next.get());
        for (;;) {
            CSnmp* raw = nullptr;
            o.walkStatus = table.getNext(Agent().c_str(), raw, kTimeoutMs);
            ReplyPtr row(raw);
            if (o.walkStatus != 0) {
                return o;
            }
            char* suffix = nullptr;
            table.getOidSuffix(0, row.get(), &suffix);
            o.rows.push_back(suffix ? suffix : "?");
        }
    }
    // Request ids in the log of the user's requests.
    static std::vector<long> IdsOf(const std::string& user) {
        std::istringstream in(s_sim->Command("ids"));
        std::string ok;
        in >> ok;
        std::vector<long> ids;
        long id = 0;
        for (const SimRequest& r : s_sim->Requests()) {
            if (!(in >> id)) {
                break;
            }
            if (r.principal == user) {
                ids.push_back(id);
            }
        }
        return ids;
    }
    static SimSwitch* s_sim;
};
SimSwitch* SnmpV3Slow::s_sim = nullptr;

TEST_F(SnmpV3Slow, ADeviceAnsweringLaterThanAnAttemptIsReadAtEachSecurityLevel) {
    for (int delay : {700, 2500}) {
        SCOPED_TRACE("delay " + std::to_string(delay));
        s_sim->DelayMs(delay);
        s_sim->ClearLog();
        Outcome outcomes[2];
        std::thread readers[2];
        for (int i = 0; i < 2; ++i) {
            readers[i] = std::thread([&outcomes, i] { outcomes[i] = ReadAndWalk(kUsers[i]); });
        }
        for (auto& t : readers) {
            t.join();
        }
        for (int i = 0; i < 2; ++i) {
            const Outcome& o = outcomes[i];
            SCOPED_TRACE(kUsers[i].name);
            EXPECT_EQ(0, o.getStatus);
            EXPECT_EQ("KSX-4200-28Z1", o.value);
            EXPECT_EQ(CSnmp4w::EC_END_OF_WALK, o.walkStatus);
            EXPECT_EQ((std::vector<std::string>{".1", ".2", ".3"}), o.rows);
            // The get, three rows and the step past the end: five requests, each resent with its own
            // request id while its answer was on the way.
            const std::vector<long> ids = IdsOf(kUsers[i].name);
            EXPECT_EQ(5u, std::set<long>(ids.begin(), ids.end()).size());
            EXPECT_GT(ids.size(), 5u);
        }
    }
}

TEST_F(SnmpV3Slow, AnswersAfterTheRequestEndedAreDroppedAndTheTimeOutIsTheBound) {
    for (const User& u : kUsers) {
        SCOPED_TRACE(u.name);
        auto get = RequestAs(u, 0);
        get->addValue(kSysName, SNMP_TYPE_NULL, nullptr);
        ReplyPtr reply;
        ASSERT_EQ(0, SendTo(*get, Agent(), reply, kTimeoutMs));  // engine known, time synchronised
        s_sim->DelayMs(3500);
        s_sim->ClearLog();
        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_EQ(CSnmp4w::EC_TIMEOUT, SendTo(*get, Agent(), reply, kTimeoutMs));
        const long long ms = ElapsedMs(t0);
        EXPECT_GE(ms, 2995);
        // authPriv: the device answers discovery, so one probe without privacy was sent after the
        // request's time-out; it is as slow, and the check gives up after at most 1000 ms more.
        EXPECT_LT(ms, u.flags == 3 ? 4600 : 3600);
        EXPECT_FALSE(reply);
        // The next request, given a longer time-out, is out while the answers to every attempt of the
        // last one come in: its own answer is its answer.
        get->clearVarBindList();
        get->addValue(kSysContact, SNMP_TYPE_NULL, nullptr);
        ASSERT_EQ(0, SendTo(*get, Agent(), reply, 5000));
        EXPECT_EQ(kSysContact, std::string(reply->getOid(0)));
        s_sim->DelayMs(0);
        // Answers to the attempts still to come are dropped; the session reads on as before.
        get->clearVarBindList();
        get->addValue(kSysName, SNMP_TYPE_NULL, nullptr);
        ASSERT_EQ(0, SendTo(*get, Agent(), reply, kTimeoutMs));
        EXPECT_EQ(kSysName, std::string(reply->getOid(0)));
        EXPECT_EQ("KSX-4200-28Z1", ValueOf(*reply, 0));
    }
}

TEST_F(SnmpV3Slow, AWrongPrivacyPasswordIsNamedAfterOneProbeAndOneCheckWithPrivacy) {
    const User& u = kUsers[1];
    auto get = RequestAs(u, 0, "wrongprivpass");
    get->addValue(kSysName, SNMP_TYPE_NULL, nullptr);
    const std::vector<std::string> probe = {"v=3 shadesuser get 1.3.6.1.2.1.1.3.0|n|"};
    auto logged = [] {
        std::vector<std::string> out;
        for (const SimRequest& r : s_sim->Requests()) {
            std::string line = "v=" + std::to_string(r.version) + " " + r.principal + " " + r.pdu;
            for (const auto& vb : r.varbinds) {
                line += " " + vb.oid + "|" + vb.type + "|" + vb.value;
            }
            out.push_back(line);
        }
        return out;
    };
    // A new session: discovery is answered, the request that the agent cannot decrypt is not, nor is the
    // get with privacy sent right after the probe without privacy was answered.
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "engine found by the request" : "engine known before");
        s_sim->ClearLog();
        ReplyPtr reply;
        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_EQ(CSnmp4w::EC_PRIV_FAILED, SendTo(*get, Agent(), reply, 1500));
        const long long ms = ElapsedMs(t0);
        // The request's time-out, then the check's least wait after a quick probe: not a second time-out.
        EXPECT_GE(ms, 1500 + 400 - 10);
        EXPECT_LT(ms, 1500 + 1500);
        EXPECT_FALSE(reply);
        // Undecryptable requests never reach the agent's log; the one probe without privacy does.
        EXPECT_EQ(probe, logged());
    }
    // The right password reads.
    auto good = RequestAs(u, 0);
    good->addValue(kSysName, SNMP_TYPE_NULL, nullptr);
    ReplyPtr reply;
    EXPECT_EQ(0, SendTo(*good, Agent(), reply, kTimeoutMs));
}

TEST_F(SnmpV3Slow, AStallPastTheTimeOutThatEndsIsATimeOutNotAPrivacyFailure) {
    const User& u = kUsers[1];
    auto get = RequestAs(u, 0);
    get->addValue(kSysName, SNMP_TYPE_NULL, nullptr);
    ReplyPtr reply;
    ASSERT_EQ(0, SendTo(*get, Agent(), reply, kTimeoutMs));
    // Busy for 3.5 s: the request times out, the probe without privacy waits for the stall's end and is
    // answered, and so is the get with privacy right after it.
    s_sim->Command("stall 3500");
    s_sim->ClearLog();
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(CSnmp4w::EC_TIMEOUT, SendTo(*get, Agent(), reply, kTimeoutMs));
    EXPECT_LT(ElapsedMs(t0), 2 * kTimeoutMs);
    EXPECT_FALSE(reply);
    int uptimeGets = 0;
    for (const SimRequest& r : s_sim->Requests()) {
        uptimeGets += r.varbinds.size() == 1 && r.varbinds[0].oid == "1.3.6.1.2.1.1.3.0";
    }
    EXPECT_EQ(2, uptimeGets);  // one without privacy, one with
    ASSERT_EQ(0, SendTo(*get, Agent(), reply, kTimeoutMs));
    EXPECT_EQ("KSX-4200-28Z1", ValueOf(*reply, 0));
}

// The report (unauthenticated: anyone may send one) names the cause once the request's time-out has passed
// without an answer; the request is unanswered.
TEST_F(SnmpV3Slow, ADecryptionErrorReportIsNamedAsPrivacyAtTheTimeOut) {
    s_sim->Command("decrypterror on");
    for (const User& u : kUsers) {
        SCOPED_TRACE(u.name);
        auto get = RequestAs(u, 0);
        get->addValue(kSysName, SNMP_TYPE_NULL, nullptr);
        ReplyPtr reply;
        const int status = SendTo(*get, Agent(), reply, kTimeoutMs);
        // Only authPriv requests draw the report.
        EXPECT_EQ(u.flags == 3 ? CSnmp4w::EC_PRIV_FAILED : 0, status);
        EXPECT_EQ(u.flags == 3, ClassifyAnswer(status, reply.get(), get->lastRequestSent()).Unanswered());
    }
}

TEST_F(SnmpV3Slow, ADeadDeviceStaysATimeOutWithoutAProbe) {
    for (const User& u : kUsers) {
        SCOPED_TRACE(u.name);
        s_sim->Silence(true);
        s_sim->ClearLog();
        // Nothing answers discovery: nothing else is sent.
        auto fresh = RequestAs(u, 0);
        fresh->addValue(kSysName, SNMP_TYPE_NULL, nullptr);
        ReplyPtr reply;
        auto t0 = std::chrono::steady_clock::now();
        EXPECT_EQ(CSnmp4w::EC_TIMEOUT, SendTo(*fresh, Agent(), reply, 1500));
        EXPECT_LT(ElapsedMs(t0), 2100);
        EXPECT_TRUE(s_sim->Requests().empty());
        // The engine known from before: the request is resent within its time-out, and discovery asked
        // once more goes unanswered, so no probe follows.
        s_sim->Silence(false);
        auto known = RequestAs(u, 0);
        known->addValue(kSysName, SNMP_TYPE_NULL, nullptr);
        ASSERT_EQ(0, SendTo(*known, Agent(), reply, kTimeoutMs));
        s_sim->Silence(true);
        s_sim->ClearLog();
        t0 = std::chrono::steady_clock::now();
        EXPECT_EQ(CSnmp4w::EC_TIMEOUT, SendTo(*known, Agent(), reply, 1500));
        EXPECT_LT(ElapsedMs(t0), u.flags == 3 ? 3100 : 2100);
        const std::vector<SimRequest> log = s_sim->Requests();
        EXPECT_GT(log.size(), 1u);
        for (const SimRequest& r : log) {
            ASSERT_EQ(1u, r.varbinds.size());
            EXPECT_EQ(kSysName, r.varbinds[0].oid);
        }
        const std::vector<long> ids = IdsOf(u.name);
        EXPECT_EQ(1u, std::set<long>(ids.begin(), ids.end()).size());
    }
}

}  // namespace
