// SNMPv3 after the agent rebooted with the same engine id: the first authenticated request draws a report
// that the engine time moved. However the library hands such a report over (to the response callback,
// then resending the request itself on the same request record, or not at all), every request gets its
// own answer and nothing the library may still call back with is freed.
//
// This executable is linked with the library's asynchronous send and session close wrapped (see
// CMakeLists.txt): while a test asks for it, the wrapper stands between the library and our callback as
// a library would that delivers the report to the callback first.
#include <gtest/gtest.h>

// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
// clang-format on

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "tests/snmplib/SnmpTestUtil.h"
#include "tests/support/RealSnmpd.h"

using namespace ksx::test;

extern "C" {
int __real_snmp_sess_async_send(void* handle, netsnmp_pdu* pdu, snmp_callback cb, void* magic);
int __wrap_snmp_sess_async_send(void* handle, netsnmp_pdu* pdu, snmp_callback cb, void* magic);
int __real_snmp_sess_close(void* handle);
int __wrap_snmp_sess_close(void* handle);
}

namespace {

// ---- The report-first library ----

struct Relay {
    void* handle;
    snmp_callback cb;
    void* magic;
    bool authenticated;
};
// An answer the relay holds back: it stands for the answer to the library's resend on the same request
// record, and reaches the callback with the next message the session receives.
struct Held {
    void* handle;
    int reqid;
    netsnmp_pdu* answer;
    snmp_callback cb;
    void* magic;
};

std::mutex g_relayLock;
bool g_relaying = false;
int g_reportsLeft = 0;  // answers still to be preceded by a report
std::deque<std::unique_ptr<Relay>> g_relays;
std::vector<Held> g_held;

netsnmp_pdu* TimeWindowReport(const netsnmp_pdu* answer) {
    static const oid kNotInTimeWindows[] = {1, 3, 6, 1, 6, 3, 15, 1, 1, 2, 0};
    netsnmp_pdu* report = snmp_clone_pdu(const_cast<netsnmp_pdu*>(answer));
    snmp_free_varbind(report->variables);
    report->variables = nullptr;
    report->command = SNMP_MSG_REPORT;
    report->errstat = 0;
    report->errindex = 0;
    const u_long count = 1;
    snmp_pdu_add_variable(report, kNotInTimeWindows, OID_LENGTH(kNotInTimeWindows), ASN_COUNTER, &count,
                          sizeof count);
    return report;
}

int RelayCallback(int op, netsnmp_session* sess, int reqid, netsnmp_pdu* pdu, void* data) {
    auto* relay = static_cast<Relay*>(data);
    std::vector<Held> due;
    {
        std::lock_guard<std::mutex> lk(g_relayLock);
        for (auto it = g_held.begin(); it != g_held.end();) {
            if (it->handle == relay->handle) {
                due.push_back(*it);
                it = g_held.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (Held& h : due) {
        h.cb(NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE, sess, h.reqid, h.answer, h.magic);
        snmp_free_pdu(h.answer);
    }
    bool report = false;
    {
        std::lock_guard<std::mutex> lk(g_relayLock);
        if (op == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE && pdu && pdu->command == SNMP_MSG_RESPONSE &&
            relay->authenticated && g_reportsLeft > 0) {
            --g_reportsLeft;
            report = true;
        }
    }
    if (!report) {
        return relay->cb(op, sess, reqid, pdu, relay->magic);
    }
    // The report to the callback first, whatever it returns; the library resends the request on the
    // same record, whose answer comes later.
    netsnmp_pdu* timeReport = TimeWindowReport(pdu);
    relay->cb(NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE, sess, reqid, timeReport, relay->magic);
    snmp_free_pdu(timeReport);
    std::lock_guard<std::mutex> lk(g_relayLock);
    g_held.push_back({relay->handle, reqid, snmp_clone_pdu(pdu), relay->cb, relay->magic});
    return 1;
}

}  // namespace

extern "C" int __wrap_snmp_sess_async_send(void* handle, netsnmp_pdu* pdu, snmp_callback cb, void* magic) {
    std::unique_lock<std::mutex> lk(g_relayLock);
    if (!g_relaying) {
        lk.unlock();
        return __real_snmp_sess_async_send(handle, pdu, cb, magic);
    }
    // A PDU without a level of its own goes out at the session's.
    const netsnmp_session* ss = snmp_sess_session(handle);
    const int level = pdu->securityLevel != 0 ? pdu->securityLevel : ss->securityLevel;
    const bool authenticated =
        ss->version == SNMP_VERSION_3 && level >= SNMP_SEC_LEVEL_AUTHNOPRIV && pdu->variables != nullptr;
    g_relays.push_back(std::make_unique<Relay>(Relay{handle, cb, magic, authenticated}));
    Relay* relay = g_relays.back().get();
    lk.unlock();
    return __real_snmp_sess_async_send(handle, pdu, RelayCallback, relay);
}

extern "C" int __wrap_snmp_sess_close(void* handle) {
    {
        // The library lets go of every request of a closed session: nothing held reaches a callback.
        std::lock_guard<std::mutex> lk(g_relayLock);
        for (auto it = g_held.begin(); it != g_held.end();) {
            if (it->handle == handle) {
                snmp_free_pdu(it->answer);
                it = g_held.erase(it);
            } else {
                ++it;
            }
        }
    }
    return __real_snmp_sess_close(handle);
}

namespace {

const std::string kSystem = "1.3.6.1.2.1.1";
const std::string kSysDescr = kSystem + ".1.0";
const std::string kSysObjectID = kSystem + ".2.0";
const std::string kSysUpTime = kSystem + ".3.0";
const std::string kSysContact = kSystem + ".4.0";
const std::string kSysName = kSystem + ".5.0";
const std::string kSysLocation = kSystem + ".6.0";

// One get of `oid` on the request object: the status, and the reply's OID and value.
struct Read {
    int status = -100;
    std::string oid;
    std::string value;
};
Read GetOne(CSnmpV3& request, const std::string& agent, const std::string& oid) {
    request.setType(0);
    request.clearVarBindList();
    request.addValue(oid.c_str(), SNMP_TYPE_NULL, nullptr);
    ReplyPtr reply;
    Read r;
    r.status = SendTo(request, agent, reply, 3000);
    if (reply && reply->getVarBindCount() == 1) {
        r.oid = reply->getOid(0);
        r.value = ValueOf(*reply, 0);
    }
    return r;
}

// Walks `table` on to its end, each row's OID added to *oids; beforeStep(step) runs before each step.
void WalkToEnd(CSnmpTable& table, const std::string& agent, std::vector<std::string>* oids,
               const std::function<void(int)>& beforeStep = nullptr) {
    for (int step = 0;; ++step) {
        if (beforeStep) {
            beforeStep(step);
        }
        CSnmp* raw = nullptr;
        const int st = table.getNext(agent.c_str(), raw, 3000);
        ReplyPtr row(raw);
        if (st != 0) {
            EXPECT_EQ(CSnmp4w::EC_END_OF_WALK, st);
            return;
        }
        oids->push_back(row->getOid(0));
    }
}

class ReportFirstLibrary : public SimSuite {
protected:
    void SetUp() override {
        std::lock_guard<std::mutex> lk(g_relayLock);
        g_relaying = true;
        g_reportsLeft = 0;
    }
    void TearDown() override {
        std::lock_guard<std::mutex> lk(g_relayLock);
        g_relaying = false;
    }
    static void ReportBeforeNextAnswer() {
        std::lock_guard<std::mutex> lk(g_relayLock);
        g_reportsLeft = 1;
    }
    static std::string SimValue(const std::string& oid) {
        const std::string reply = s_sim->Command("get " + oid);  // "OK <type> <value>"
        const size_t second = reply.find(' ', 3);
        return second == std::string::npos ? std::string() : reply.substr(second + 1);
    }
};

TEST_F(ReportFirstLibrary, EveryRequestGetsItsOwnAnswerAfterAReportOfTheEngineTime) {
    const std::string agent = AgentOf(*s_sim);
    for (const auto& [user, flags, priv] : {std::tuple{"shauser", 1, ""}, {"shadesuser", 3, "desprivpass"}}) {
        SCOPED_TRACE(user);
        auto request = V3Request(0, user, static_cast<char>(flags), 1, "shaauthpass", 0, priv);
        ASSERT_EQ(0, GetOne(*request, agent, kSysUpTime).status);  // engine known, time synchronised
        // Each request's first answer comes after a report; the answer to the library's resend reaches
        // the callback only with the next message.
        for (const std::string& oid : {kSysName, kSysContact, kSysLocation, kSysObjectID, kSysName}) {
            ReportBeforeNextAnswer();
            const Read r = GetOne(*request, agent, oid);
            EXPECT_EQ(0, r.status) << oid;
            EXPECT_EQ(oid, r.oid);
            EXPECT_EQ(SimValue(oid), r.value) << oid;
        }
        // A write the agent refuses stays refused.
        request->setType(3);
        request->clearVarBindList();
        request->addValue(kSysUpTime.c_str(), SNMP_TYPE_INTEGER, "5");
        ReportBeforeNextAnswer();
        ReplyPtr reply;
        ASSERT_EQ(0, SendTo(*request, agent, reply, 3000));
        int errorStatus = 0, errorIndex = 0;
        reply->getErrorStatus(&errorStatus, &errorIndex);
        EXPECT_NE(0, errorStatus);
        // A walk whose second step meets the report reads every row once, in order.
        auto next = V3Request(1, user, static_cast<char>(flags), 1, "shaauthpass", 0, priv);
        next->addValue(kSystem.c_str(), SNMP_TYPE_NULL, nullptr);
        CSnmpTable table(next.get());
        std::vector<std::string> rows;
        WalkToEnd(table, agent, &rows, [](int step) {
            if (step == 1) {
                ReportBeforeNextAnswer();
            }
        });
        ASSERT_GE(rows.size(), 6u);
        EXPECT_EQ(kSysDescr, rows[0]);
        for (size_t i = 1; i < rows.size(); ++i) {
            EXPECT_NE(rows[i - 1], rows[i]);
        }
    }
}

// ---- A real agent restarted on its persistent directory, then reset to its factory state ----

struct Reset {
    const char* name;
    const char* engineId;  // kept by the reset (a switch derives it from its MAC address); "": a new one
    bool clockAhead;       // the engine time known from before is a day ahead of the reset agent's clock
};
class RealAgentReboot : public ::testing::TestWithParam<Reset> {};

TEST_P(RealAgentReboot, ReadsInARowEachGetTheirOwnValueAcrossRestartsAndAReset) {
    if (!RealSnmpd::Available()) {
        GTEST_SKIP() << "snmpd is not installed";
    }
    SnmpInit();
    RealSnmpd snmpd(GetParam().engineId);
    const std::string agent = snmpd.Address() + ":" + std::to_string(snmpd.Port());
    auto expected = [&snmpd](const std::string& oid) {
        const std::vector<ToolBinding> b = snmpd.Get({oid});
        return b.size() == 1 ? b[0].value : std::string("<unread>");
    };
    auto request = [](int flags, const char* privPwd = RealSnmpd::kV3PrivPassword) {
        return V3Request(0, RealSnmpd::kV3User, static_cast<char>(flags), 1, RealSnmpd::kV3AuthPassword, 0,
                         flags == 3 ? privPwd : "");
    };
    auto noPriv = request(1);
    auto priv = request(3);
    for (CSnmpV3* request : {noPriv.get(), priv.get()}) {
        ASSERT_EQ(0, GetOne(*request, agent, kSysName).status);
    }
    // A walk of the system group with the agent rebooted after its second row.
    auto next =
        V3Request(1, RealSnmpd::kV3User, 3, 1, RealSnmpd::kV3AuthPassword, 0, RealSnmpd::kV3PrivPassword);
    next->addValue(kSystem.c_str(), SNMP_TYPE_NULL, nullptr);
    CSnmpTable table(next.get());
    std::vector<std::string> walked;
    for (int step = 0; step < 2; ++step) {
        CSnmp* raw = nullptr;
        ASSERT_EQ(0, table.getNext(agent.c_str(), raw, 3000));
        ReplyPtr row(raw);
        walked.push_back(row->getOid(0));
    }
    const std::string kEngineId = "1.3.6.1.6.3.10.2.1.1.0", kEngineBoots = "1.3.6.1.6.3.10.2.1.2.0";
    for (int restart = 0; restart < 3; ++restart) {
        SCOPED_TRACE("restart " + std::to_string(restart));
        if (restart < 2) {
            snmpd.Restart();
        } else {
            const std::string old = snmpd.Get({kEngineId}).at(0).value;
            if (GetParam().clockAhead) {
                set_enginetime(reinterpret_cast<const u_char*>(old.data()), static_cast<u_int>(old.size()), 1,
                               86400, TRUE);
            }
            snmpd.Restart(true);
            const std::vector<ToolBinding> now = snmpd.Get({kEngineId, kEngineBoots});
            EXPECT_EQ("1", now.at(1).value);
            EXPECT_EQ(*GetParam().engineId != 0, old == now.at(0).value);
        }
        // Sessions open before the restart read at once, and so do sessions opened after it.
        auto freshNoPriv = request(1);
        auto freshPriv = request(3);
        for (const std::string& oid : {kSysName, kSysContact, kSysLocation, kSysDescr, kSysContact}) {
            for (CSnmpV3* request : {noPriv.get(), priv.get(), freshNoPriv.get(), freshPriv.get()}) {
                const Read r = GetOne(*request, agent, oid);
                EXPECT_EQ(0, r.status)
                    << oid
                    << (request == priv.get() || request == freshPriv.get() ? " authPriv" : " authNoPriv");
                EXPECT_EQ(oid, r.oid);
                EXPECT_EQ(expected(oid), r.value) << oid;
            }
        }
        // The user may only read: a write is refused, never taken for accepted.
        priv->setType(3);
        priv->clearVarBindList();
        priv->addValue(kSysContact.c_str(), SNMP_TYPE_OCTETS, "someone else");
        ReplyPtr reply;
        const int st = SendTo(*priv, agent, reply, 3000);
        int errorStatus = 0, errorIndex = 0;
        if (reply) {
            reply->getErrorStatus(&errorStatus, &errorIndex);
        }
        EXPECT_TRUE(st != 0 || errorStatus != 0);
    }
    EXPECT_EQ(CSnmp4w::EC_PRIV_FAILED, GetOne(*request(3, "wrongprivpass"), agent, kSysName).status);
    WalkToEnd(table, agent, &walked);
    std::vector<std::string> toolWalk;
    for (const ToolBinding& b : snmpd.Walk(kSystem)) {
        toolWalk.push_back(b.oid);
    }
    EXPECT_EQ(toolWalk, walked);
}

INSTANTIATE_TEST_SUITE_P(, RealAgentReboot,
                         ::testing::Values(Reset{"NewEngineId", "", false},
                                           Reset{"EngineIdKept", "ksx-00:11:22:33:44:55", false},
                                           Reset{"EngineIdKeptClockAhead", "ksx-00:11:22:33:44:66", true}),
                         [](const ::testing::TestParamInfo<Reset>& info) { return info.param.name; });

}  // namespace
