// The session's synchronous requests against the simulated switch: the PDUs it sends, SNMPv1 and the
// three SNMPv3 levels, time-outs, unreachable devices, and sessions without library objects.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "core/CommonSNMP.h"
#include "platform/sys/Event.h"
#include "platform/sys/Globals.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"

using namespace std::chrono;
using ksx::test::SimRequest;

namespace {

const std::string kPortColumn = "1.3.6.1.4.1.7393.10.76.20.1.1.13.1.1";
const std::string kSpeedColumn = "1.3.6.1.4.1.7393.10.76.20.1.1.13.1.2";
const std::string kJumbo = "1.3.6.1.4.1.7393.10.76.20.1.1.12.0";

long MsSince(steady_clock::time_point start) {
    return static_cast<long>(duration_cast<milliseconds>(steady_clock::now() - start).count());
}

std::string Value(CSnmp* response, int index) {
    int length = 0;
    char* value = nullptr;
    if (response == nullptr || response->getValue(index, &length, &value) != 0 || value == nullptr) {
        return "<none>";
    }
    return std::string(value, static_cast<size_t>(length));
}

// Reads one object; the status, and the value when it is 0.
int GetOne(CCommonSNMP& session, const std::string& oid, std::string* value, int timeoutMs = 0) {
    if (!session.Open(0)) {
        return -100;
    }
    session.AddVarBind(oid, 4, nullptr);
    CSnmp* response = nullptr;
    const int status = session.Send(response, timeoutMs);
    std::unique_ptr<CSnmp> owned(response);
    if (status == 0 && value != nullptr) {
        int errorStatus = -1;
        int errorIndex = -1;
        response->getErrorStatus(&errorStatus, &errorIndex);
        *value = errorStatus == 0 ? Value(response, 0) : "<error " + std::to_string(errorStatus) + ">";
    }
    return status;
}

struct OneStep {
    CCommonSNMP* session = nullptr;
    std::atomic<int> calls{0};
    std::atomic<int> status{1};
    ksx::CEvent ran{true, false};
    static int Callback(CSnmp* response, int requestId, void* userData, int status) {
        auto* self = static_cast<OneStep*>(userData);
        delete response;
        ++self->calls;
        if (self->session->FindRequestID(requestId)) {
            self->session->SetDone();
            self->status = status;
            self->ran.Set();
        }
        return 0;
    }
};

class SessionTest : public ksx::test::SharedSimTest {};

}  // namespace

TEST_F(SessionTest, GetAndSetSendTheExactPdus) {
    CCommonSNMP session;
    // A set of an integer, a text and octets given with their length (a zero octet inside, and none).
    ASSERT_TRUE(session.Open(3));
    EXPECT_EQ(session.AddVarBind(kJumbo, 1, "1"), 0);
    EXPECT_EQ(session.AddVarBind(kSpeedColumn + ".3", 1, "6"), 0);
    CSnmp* response = nullptr;
    ASSERT_EQ(session.Send(response, 0), 0);
    {
        std::unique_ptr<CSnmp> owned(response);
        int errorStatus = -1;
        int errorIndex = -1;
        response->getErrorStatus(&errorStatus, &errorIndex);
        EXPECT_EQ(errorStatus, 0);
    }
    // Read both back in one PDU.
    ASSERT_TRUE(session.Open(0));
    session.AddVarBind(kJumbo, 4, nullptr);
    session.AddVarBind(kSpeedColumn + ".3", 4, nullptr);
    response = nullptr;
    ASSERT_EQ(session.Send(response, 0), 0);
    {
        std::unique_ptr<CSnmp> owned(response);
        ASSERT_EQ(response->getVarBindCount(), 2);
        EXPECT_EQ(Value(response, 0), "1");
        EXPECT_EQ(Value(response, 1), "6");
    }

    const auto log = s_sim->Requests();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].version, 1);
    EXPECT_EQ(log[0].principal, "harbour");
    EXPECT_EQ(log[0].pdu, "set");
    ASSERT_EQ(log[0].varbinds.size(), 2u);
    EXPECT_EQ(log[0].varbinds[0].oid, kJumbo);
    EXPECT_EQ(log[0].varbinds[0].type, "i");
    EXPECT_EQ(log[0].varbinds[0].value, "1");
    EXPECT_EQ(log[0].varbinds[1].oid, kSpeedColumn + ".3");
    EXPECT_EQ(log[0].varbinds[1].value, "6");
    EXPECT_EQ(log[1].principal, "quaint");
    EXPECT_EQ(log[1].pdu, "get");
    ASSERT_EQ(log[1].varbinds.size(), 2u);
    EXPECT_EQ(log[1].varbinds[0].oid, kJumbo);
    EXPECT_EQ(log[1].varbinds[0].type, "n");
}

TEST_F(SessionTest, OctetStringsWithALengthTravelAsTheyAre) {
    // Objects the device does not declare: only the request log matters here, not the reply.
    const std::string bitmap = "1.3.6.1.4.1.7393.10.76.20.1.99.1.0";
    const std::string empty = "1.3.6.1.4.1.7393.10.76.20.1.99.2.0";
    CCommonSNMP session;
    ASSERT_TRUE(session.Open(3));
    const char octets[] = {'\x00', '\x7f', '\x10', '\xff'};
    EXPECT_EQ(session.AddVarBind(bitmap, 2, octets, 4), 0);
    EXPECT_EQ(session.AddVarBind(empty, 2, "", 0), 0);
    CSnmp* response = nullptr;
    const int status = session.Send(response, 0);
    delete response;
    ASSERT_EQ(status, 0);
    const auto log = s_sim->Requests();
    ASSERT_EQ(log.size(), 1u);
    ASSERT_EQ(log[0].varbinds.size(), 2u);
    EXPECT_EQ(log[0].varbinds[0].oid, bitmap);
    EXPECT_EQ(log[0].varbinds[0].type, "x");
    EXPECT_EQ(log[0].varbinds[0].value, "007f10ff");
    EXPECT_EQ(log[0].varbinds[1].oid, empty);
    EXPECT_EQ(log[0].varbinds[1].value, "");
}

TEST_F(SessionTest, GetNextWalksSynchronouslyToTheEndOfTheColumn) {
    CCommonSNMP session;
    ASSERT_TRUE(session.Open(1));
    session.AddVarBind(kPortColumn, 4, nullptr);
    std::vector<std::string> suffixes;
    int status = 0;
    for (int step = 0; step < 40; ++step) {
        CSnmp* response = nullptr;
        status = session.GetNext(response, 0);
        std::unique_ptr<CSnmp> owned(response);
        if (status != 0) {
            break;
        }
        char* suffix = nullptr;
        ASSERT_EQ(session.GetResponseOid(0, response, &suffix), 0);
        suffixes.push_back(suffix);
    }
    EXPECT_EQ(status, -2);
    ASSERT_EQ(suffixes.size(), 28u);
    EXPECT_EQ(suffixes.front(), ".1");
    EXPECT_EQ(suffixes.back(), ".28");
}

TEST_F(SessionTest, RequestKindsAndEmptyPdus) {
    CCommonSNMP session;
    CSnmp* response = nullptr;
    // Nothing added: refused without sending.
    ASSERT_TRUE(session.Open(0));
    EXPECT_EQ(session.Send(response, 0), -1);
    EXPECT_EQ(session.GetNext(response, 0), -1);
    char* suffix = nullptr;
    EXPECT_EQ(session.GetResponseOid(0, nullptr, &suffix), -1);

    // Kind 2 and unknown kinds are refused on SNMPv1, after the PDU was emptied.
    session.AddVarBind(kJumbo, 4, nullptr);
    EXPECT_FALSE(session.Open(2));
    EXPECT_EQ(session.Send(response, 0), -1);
    EXPECT_FALSE(session.Open(-1));
    EXPECT_FALSE(session.Open(4));
    EXPECT_EQ(response, nullptr);
    EXPECT_TRUE(s_sim->Requests().empty());

    std::string value;
    EXPECT_EQ(GetOne(session, kPortColumn + ".7", &value), 0);
    EXPECT_EQ(value, "7");
}

TEST_F(SessionTest, ZeroTimeoutMeansTheSetting) {
    g_strSnmpTimeout = "400";
    CCommonSNMP session;
    s_sim->Silence(true);
    auto start = steady_clock::now();
    EXPECT_EQ(GetOne(session, kJumbo, nullptr, 0), -1);
    long elapsed = MsSince(start);
    EXPECT_GE(elapsed, 350);
    EXPECT_LT(elapsed, 2500);

    ASSERT_TRUE(session.Open(1));
    session.AddVarBind(kPortColumn, 4, nullptr);
    CSnmp* response = nullptr;
    start = steady_clock::now();
    EXPECT_EQ(session.GetNext(response, 0), -1);
    elapsed = MsSince(start);
    EXPECT_GE(elapsed, 350);
    EXPECT_LT(elapsed, 2500);

    // A time-out given by the caller wins.
    start = steady_clock::now();
    EXPECT_EQ(GetOne(session, kJumbo, nullptr, 900), -1);
    EXPECT_GE(MsSince(start), 850);
}

TEST_F(SessionTest, SynchronousRequestNeverWaitsPastItsOwnTimeOut) {
    // A walk step of the session's worker waits 4 s on a silent device; a Send and a GetNext given
    // 400 ms return within about that, instead of waiting for the step first.
    g_strSnmpTimeout = "3000";
    CCommonSNMP session;
    s_sim->Silence(true);
    ASSERT_TRUE(session.Open(1));
    session.AddVarBind(kPortColumn, 4, nullptr);
    OneStep step;
    step.session = &session;
    session.StartAsyncWalk(&OneStep::Callback, &step, 4000);
    ASSERT_TRUE(s_sim->WaitForRequests([](const std::vector<SimRequest>& log) { return !log.empty(); }));
    for (bool walk : {false, true}) {
        CSnmp* response = nullptr;
        const auto start = steady_clock::now();
        const int status = walk ? session.GetNext(response, 400) : session.Send(response, 400);
        EXPECT_EQ(status, -1) << walk;
        EXPECT_EQ(response, nullptr);
        EXPECT_LT(MsSince(start), 900) << walk;
    }
    session.Close();
    s_sim->Silence(false);
}

TEST_F(SessionTest, LossyDeviceNeverHangsARequest) {
    g_strSnmpTimeout = "300";
    s_sim->DropPercent(50);
    CCommonSNMP session;
    int answered = 0;
    int timedOut = 0;
    const auto start = steady_clock::now();
    for (int i = 0; i < 20; ++i) {
        std::string value;
        const int status = GetOne(session, kPortColumn + ".1", &value);
        if (status == 0) {
            EXPECT_EQ(value, "1");
            ++answered;
        } else {
            EXPECT_EQ(status, -1);
            ++timedOut;
        }
    }
    EXPECT_EQ(answered + timedOut, 20);
    EXPECT_LT(MsSince(start), 20 * 300 + 3000);
}

TEST_F(SessionTest, UdpPortSettingIsHonoured) {
    g_strSnmpTimeout = "500";
    {
        CCommonSNMP session;
        EXPECT_EQ(session.Agent(), s_sim->Address() + ":" + std::to_string(s_sim->Port()));
        std::string value;
        EXPECT_EQ(GetOne(session, kPortColumn + ".2", &value), 0);
        EXPECT_EQ(value, "2");
    }
    // The same device address on another port is another (absent) agent.
    g_strSnmpPort = std::to_string(s_sim->Port() == 65000 ? 65001 : 65000);
    CCommonSNMP elsewhere;
    const auto start = steady_clock::now();
    EXPECT_NE(GetOne(elsewhere, kPortColumn + ".2", nullptr), 0);
    EXPECT_LT(MsSince(start), 2000);
}

TEST_F(SessionTest, UnreachableAgentsFailWithinTheTimeout) {
    g_strSnmpTimeout = "500";
    struct Case {
        std::string address;
        std::string port;
    };
    const std::vector<Case> cases = {
        {"192.0.2.1", "161"},             // nobody there
        {"no-such-host.invalid", "161"},  // unknown host name
        {"", "161"},                      // no address given
        {"127.0.0.1", "9"},               // closed port
        {"300.1.2.3", "161"},             // not an address
    };
    for (const Case& c : cases) {
        g_strDeviceIP = c.address;
        g_strSnmpPort = c.port;
        CCommonSNMP session;
        const auto start = steady_clock::now();
        EXPECT_NE(GetOne(session, kJumbo, nullptr), 0) << c.address;
        EXPECT_LT(MsSince(start), 3000) << c.address;

        // A walk on it ends with a non-zero status too.
        ASSERT_TRUE(session.Open(1));
        session.AddVarBind(kPortColumn, 4, nullptr);
        OneStep step;
        step.session = &session;
        session.StartAsyncWalk(&OneStep::Callback, &step, 0);
        ASSERT_TRUE(step.ran.Wait(5000)) << c.address;
        EXPECT_NE(step.status.load(), 0) << c.address;
    }
}

TEST_F(SessionTest, VersionsWithoutLibraryObjectsFailEverything) {
    for (const char* version : {"2", "x", ""}) {
        g_strSnmpVersion = version;
        CCommonSNMP session;
        EXPECT_FALSE(session.Open(0)) << version;
        EXPECT_FALSE(session.Open(1));
        EXPECT_EQ(session.AddVarBind(kJumbo, 4, nullptr), -1);
        EXPECT_EQ(session.AddVarBind(kJumbo, 2, "ab", 2), -1);
        CSnmp* response = nullptr;
        EXPECT_EQ(session.Send(response, 0), -1);
        EXPECT_EQ(session.GetNext(response, 0), -1);
        char* suffix = nullptr;
        EXPECT_EQ(session.GetResponseOid(0, nullptr, &suffix), -1);
        OneStep step;
        step.session = &session;
        EXPECT_EQ(session.StartAsyncWalk(&OneStep::Callback, &step, 0), -1);
        EXPECT_TRUE(session.IsDone());
        EXPECT_EQ(session.PendingRequestCount(), 0);
        session.Close();
        EXPECT_EQ(step.calls.load(), 0);
        EXPECT_EQ(response, nullptr);
    }
    EXPECT_TRUE(s_sim->Requests().empty());
}

TEST_F(SessionTest, SnmpV3SecurityLevels) {
    struct Case {
        std::string level, user, authProto, authPwd, privProto, privPwd;
        bool works;
    };
    const std::vector<Case> cases = {
        {"1", "noauthuser", "1", "", "1", "", true},
        {"2", "md5user", "2", "md5authpass", "1", "", true},
        {"2", "shauser", "3", "shaauthpass", "1", "", true},
        {"3", "shadesuser", "3", "shaauthpass", "2", "desprivpass", true},
        {"2", "md5user", "2", "wrongpassword", "1", "", false},  // wrong key
        {"2", "md5user", "3", "md5authpass", "1", "", false},    // wrong algorithm
        {"3", "shadesuser", "3", "shaauthpass", "2", "wrongpriv", false},
        {"1", "nosuchuser", "1", "", "1", "", false},
    };
    g_strSnmpTimeout = "1500";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.user + " level " + c.level + " pwd " + c.authPwd + "/" + c.privPwd);
        ksx::test::UseSimV3(*s_sim, c.level, c.user, c.authProto, c.authPwd, c.privProto, c.privPwd);
        g_strSnmpTimeout = "1500";
        s_sim->ClearLog();
        CCommonSNMP session;
        std::string value;
        const auto start = steady_clock::now();
        const int status = GetOne(session, kPortColumn + ".4", &value);
        EXPECT_LT(MsSince(start), 1500 * 2 + 1000);  // engine discovery and the request
        if (c.works) {
            ASSERT_EQ(status, 0);
            EXPECT_EQ(value, "4");
            // Sets go out with the same user.
            ASSERT_TRUE(session.Open(3));
            session.AddVarBind(kJumbo, 1, "2");
            CSnmp* response = nullptr;
            EXPECT_EQ(session.Send(response, 0), 0);
            delete response;
            const auto log = s_sim->Requests();
            ASSERT_FALSE(log.empty());
            EXPECT_EQ(log.back().version, 3);
            EXPECT_EQ(log.back().principal, c.user);
            EXPECT_EQ(log.back().pdu, "set");
        } else {
            EXPECT_TRUE(status != 0 || value.rfind("<error", 0) == 0) << status << " " << value;
        }
    }
}
