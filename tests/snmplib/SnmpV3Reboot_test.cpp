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
#include <net-snmp/library/scapi.h>
#include <net-snmp/library/snmpusm.h>
// clang-format on

#include <arpa/inet.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/snmplib/UsmHeader.h"
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

// ---- Forged messages slipped in by a relay on loopback in front of a real agent ----

std::string Tlv(int tag, const std::string& v) {  // long form from 128 octets on
    return std::string(1, char(tag)) + (v.size() >= 128 ? std::string{'\x82', char(v.size() >> 8)} : "") +
           char(v.size() & 0xff) + v;
}
std::string Int(unsigned long v, size_t octets = 1) {  // `octets`: at least so many
    std::string c(1, char(v & 0xff));
    while ((v >>= 8) || c.size() < octets) {
        c.insert(c.begin(), char(v & 0xff));
    }
    return Tlv(ASN_INTEGER, (c[0] & 0x80) ? '\0' + c : c);
}
// Encodings the library reads as well as the plain one; kSigned: plain, with our key's digest (kSignedHere:
// and from the agent's address).
enum Form { kPlain, kInstance1, kLongMsgId, kLongOuter, kPduInParams, kSigned, kSignedHere };
// An SNMPv3 message answering `msgId` (and request `reqId`) for `user`: a report of USM counter `counter`
// (0: a response); flagged authenticated, its digest is 12 octets of zeros.
std::string Message(unsigned long msgId, int flags, const std::string& engine, int counter, Form odd = kPlain,
                    const std::string& user = RealSnmpd::kV3Writer, unsigned long reqId = 1) {
    const std::string usm = Tlv(4, engine) + Int(0) + Int(0) + Tlv(4, user) +
                            Tlv(4, std::string(flags & 1 ? 12 : 0, '\0')) + Tlv(4, "");
    const std::string name =
        counter ? std::string("\x2b\6\1\6\3\x0f\1\1", 8) + char(counter) + char(odd == kInstance1)
                : std::string("\x2b\6\1\2\1\1\4\0", 8);
    const std::string binds = Tlv(0x30, Tlv(0x30, Tlv(ASN_OBJECT_ID, name) + Tlv(ASN_COUNTER, "\x01")));
    const int pdu = counter ? SNMP_MSG_REPORT : SNMP_MSG_RESPONSE;
    const std::string scoped =
        Tlv(0x30, Tlv(4, engine) + Tlv(4, "") + Tlv(pdu, Int(reqId) + Int(0) + Int(0) + binds));
    const std::string body =
        Int(3) +
        Tlv(0x30, Int(msgId, odd == kLongMsgId ? 6 : 1) + Int(65507) + Tlv(4, std::string(1, char(flags))) +
                      Int(3)) +
        (odd == kPduInParams ? Tlv(4, Tlv(0x30, usm) + scoped) : Tlv(4, Tlv(0x30, usm)) + scoped);
    return odd == kLongOuter
               ? std::string("\x30\x85\0\0\0", 5) + char(body.size() >> 8) + char(body.size()) + body
               : Tlv(0x30, body);
}

// Passes datagrams between one session and the agent (for at most 12000 waits of 20 ms). Armed, it forges
// ahead of the next request (or swallows it and every later copy) and of each probe, replays after it or
// before each answer, and holds the agent's answers back for delayMs.
struct LoopbackRelay {
    explicit LoopbackRelay(int agentPort) {
        sockaddr_in a{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}}, to = a, from{}, client{};
        socklen_t len = sizeof a;
        const timeval tick{0, 20000};
        setsockopt(front, SOL_SOCKET, SO_RCVTIMEO, &tick, sizeof tick);
        bind(side, reinterpret_cast<sockaddr*>(&a), len);
        bind(front, reinterpret_cast<sockaddr*>(&a), len);
        getsockname(front, reinterpret_cast<sockaddr*>(&a), &len);
        agent = "127.0.0.1:" + std::to_string(ntohs(a.sin_port));
        to.sin_port = htons(static_cast<uint16_t>(agentPort));
        thread = std::thread([=, this]() mutable {
            std::vector<uint8_t> buf(65536);
            for (int waits = 0; waits < 12000 && !stop; ++waits) {
                const ssize_t n =
                    recvfrom(front, buf.data(), buf.size(), 0, reinterpret_cast<sockaddr*>(&from), &len);
                std::lock_guard<std::mutex> lk(mu);
                const auto now = std::chrono::steady_clock::now();
                for (; !held.empty() && held.front().first <= now; held.pop_front()) {
                    const std::string& m = held.front().second;
                    sendto(front, m.data(), m.size(), 0, reinterpret_cast<const sockaddr*>(&client), len);
                }
                if (n <= 0) {
                    continue;
                }
                const bool fromAgent = from.sin_port == to.sin_port;
                ksx::snmp::UsmHeader h;
                std::string f, after;
                if (!fromAgent && ksx::snmp::ParseUsmHeader(buf.data(), static_cast<size_t>(n), h)) {
                    client = from;
                    if (h.user.empty() && forgeProbe) {
                        f = forgeProbe(h.msgId);
                    } else if (!h.user.empty() && ++requests == 1) {
                        requestId = h.requestId;
                        f = forge ? forge(h.msgId) : "", after = replayEach ? "" : replay;
                    }
                } else if (fromAgent) {
                    last.assign(buf.begin(), buf.begin() + n), f = replayEach ? replay : "";
                }
                auto out = [&](int sock, const std::string& m, const sockaddr_in& dest) {  // none when empty
                    if (!m.empty()) {
                        sendto(sock, m.data(), m.size(), 0, reinterpret_cast<const sockaddr*>(&dest), len);
                    }
                };
                out(elsewhere ? side : front, f, client);
                if (fromAgent && delayMs > 0) {
                    held.emplace_back(now + std::chrono::milliseconds(delayMs),
                                      std::string(buf.begin(), buf.begin() + n));
                } else if (!(swallow && requests >= 1 && !fromAgent)) {
                    out(front, {buf.begin(), buf.begin() + n}, fromAgent ? client : to);
                }
                out(front, after, client);
            }
        });
    }
    ~LoopbackRelay() {
        stop = true;
        thread.join();
        close(front), close(side);
    }
    int front = socket(AF_INET, SOCK_DGRAM, 0), side = socket(AF_INET, SOCK_DGRAM, 0);
    std::string agent;
    std::atomic<bool> stop{false};
    std::mutex mu;  // guards what follows
    std::function<std::string(unsigned long msgId)> forge, forgeProbe;
    std::string replay, last;  // last: the agent's last answer
    bool elsewhere = false, swallow = false, replayEach = false;
    int requests = 0, delayMs = 0;  // requests passed on since armed
    long requestId = 0;             // of the first, when in the clear
    std::deque<std::pair<std::chrono::steady_clock::time_point, std::string>> held;
    std::thread thread;
};

TEST(RealAgentForgery, NoMessageWithoutVerifiedAuthenticationEndsRepeatsOrRedirectsARequest) {
    if (!RealSnmpd::Available()) {
        GTEST_SKIP() << "snmpd is not installed";
    }
    SnmpInit();
    RealSnmpd snmpd("ksx-00:11:22:33:44:77");
    LoopbackRelay relay(snmpd.Port());
    const std::string engine = snmpd.Get({"1.3.6.1.6.3.10.2.1.1.0"}).at(0).value,
                      other("\x80\0\0\0\x04xx", 7);
    auto sign = [&engine](std::string m) {  // the digest the agent gives it: our key localized to its engine
        usmUser* u = usm_get_user(reinterpret_cast<const u_char*>(engine.data()), engine.size(),
                                  const_cast<char*>(RealSnmpd::kV3Writer));
        u_char mac[64];
        size_t macLen = sizeof mac;
        sc_generate_keyed_hash(u->authProtocol, u->authProtocolLen, u->authKey, u->authKeyLen,
                               reinterpret_cast<const u_char*>(m.data()), m.size(), mac, &macLen);
        ksx::snmp::UsmHeader h;
        ksx::snmp::ParseUsmHeader(reinterpret_cast<const uint8_t*>(m.data()), m.size(), h);
        return m.replace(h.authOffset, 12, reinterpret_cast<char*>(mac), 12);
    };
    auto arm = [&relay](const std::function<void(LoopbackRelay&)>& how) {
        std::lock_guard<std::mutex> lk(relay.mu);
        relay.forge = relay.forgeProbe = nullptr, relay.replay.clear(), relay.requests = 0;
        relay.elsewhere = relay.swallow = relay.replayEach = false, relay.delayMs = 0;
        how(relay);
    };
    auto setsDone = [&snmpd] { return std::stoul(snmpd.Get({"1.3.6.1.2.1.11.17.0"}).at(0).value); };
    // The agent applies the SET once and its answer is taken, whatever came before it.
    auto setOnce = [&](CSnmpV3& set, const std::string& value) {
        const unsigned long before = setsDone();
        set.setType(3);
        set.clearVarBindList();
        set.addValue(kSysContact.c_str(), SNMP_TYPE_OCTETS, value.c_str());
        ReplyPtr reply;
        ASSERT_EQ(0, SendTo(set, relay.agent, reply, 6000));
        EXPECT_TRUE(ClassifyAnswer(0, reply.get(), set.lastRequestSent()).Accepted());
        EXPECT_EQ(before + 1, setsDone());
    };
    // Forged ahead of the agent's answer; signed, it comes from another port; a report of another engine id
    // gets its probe answered naming yet another.
    const std::tuple<const char*, int, int, bool, Form> kForgeries[] = {
        {"time report, instance .2.1", 0, 2, false, kInstance1},
        {"time report, msgID in 6 octets", 0, 2, false, kLongMsgId},
        {"time report, outer length 0x85", 0, 2, false, kLongOuter},
        {"time report, PDU in the security string", 0, 2, false, kPduInParams},
        {"wrong digest report", 0, 5, false, kPlain},
        {"unknown user report", 0, 3, false, kPlain},
        {"decryption error report", 0, 6, false, kPlain},
        {"unknown engine report, instance .4.1", 0, 4, false, kInstance1},
        {"unknown engine report, another engine", 0, 4, true, kPlain},
        {"wrong digest, another engine id", 1, 0, true, kPlain},
        {"wrong digest, boots 0, reportable", 5, 0, false, kPlain},
        {"authentic time report with boots 0", 1, 2, false, kSigned},
        {"authentic response with boots 0, an engine reset: the answer", 1, 0, false, kSignedHere}};
    for (const int flags : {1, 3}) {
        SCOPED_TRACE(flags == 3 ? "authPriv" : "authNoPriv");
        auto set = V3Request(0, RealSnmpd::kV3Writer, static_cast<char>(flags), 1, RealSnmpd::kV3AuthPassword,
                             0, flags == 3 ? RealSnmpd::kV3PrivPassword : "");
        ASSERT_EQ(0, GetOne(*set, relay.agent, kSysName).status);  // the engine found, its clock known
        for (const auto& [name, msgFlags, counter, otherEngine, form] : kForgeries) {
            SCOPED_TRACE(name);
            arm([&](LoopbackRelay& r) {
                r.forge = [&](unsigned long id) {
                    const std::string m =
                        Message(id, msgFlags, otherEngine ? other : engine, counter, form,
                                RealSnmpd::kV3Writer, static_cast<unsigned long>(relay.requestId));
                    return form >= kSigned ? sign(m) : m;
                };
                if (otherEngine && counter == 4) {
                    r.forgeProbe = [&](unsigned long id) {
                        return Message(id, 0, other + 'y', 4, kPlain, "");
                    };
                }
                r.elsewhere = form == kSigned;
            });
            setOnce(*set, name);
        }
        // Twenty forged engine ids leave one user entry per engine that answered with our key.
        auto entries = [] {
            int count = 0;
            for (usmUser* u = usm_get_userList(); u; u = u->next) {
                count += u->name && std::string(u->name) == RealSnmpd::kV3Writer;
            }
            return count;
        };
        const int entriesBefore = entries();
        for (char i = 0; i < 20; ++i) {
            arm([&](LoopbackRelay& r) {
                r.forge = [&, i](unsigned long id) { return Message(id, 0, other + i, 4); };
                r.forgeProbe = [&, i](unsigned long id) {
                    return Message(id, 0, other + i + 'y', 4, kPlain, "");
                };
            });
            EXPECT_EQ(0, GetOne(*set, relay.agent, kSysName).status);
        }
        EXPECT_EQ(entriesBefore, entries());
        // With a forged report and no answer to any copy (an answer to a copy would be taken), a write is
        // unanswered at its time-out, the report naming the cause.
        auto forgedReport = [&](LoopbackRelay& r) {
            r.forge = [&](unsigned long id) { return Message(id, 0, engine, 5); };
        };
        arm([&](LoopbackRelay& r) { forgedReport(r), r.swallow = true; });
        ReplyPtr reply;
        EXPECT_EQ(CSnmp4w::EC_AUTH_FAILED, SendTo(*set, relay.agent, reply, 6000));
        EXPECT_TRUE(ClassifyAnswer(CSnmp4w::EC_AUTH_FAILED, nullptr, set->lastRequestSent()).Unanswered());
        // The report went with that request: one forged report ends neither the next nor a slow answer's
        // wait (the agent answering after half the time-out).
        for (const int delayMs : {0, 1500}) {
            arm([&](LoopbackRelay& r) { forgedReport(r), r.delayMs = delayMs; });
            const Read r = GetOne(*set, relay.agent, kSysName);
            EXPECT_EQ(0, r.status) << "answer delayed " << delayMs << " ms";
            EXPECT_EQ(snmpd.Get({kSysName}).at(0).value, r.value);
        }
        // A fresh session's discovery takes only a usable engine id (5 to 32 octets) and waits on past the
        // rest; an engine taken on a forged answer, never heard with our key, leaves no user entry and no
        // clock record once the request found the agent's, or once its session closed.
        auto leftBehind = [](const std::string& id) {
            const auto* e = reinterpret_cast<const u_char*>(id.data());
            return usm_get_user(const_cast<u_char*>(e), id.size(), const_cast<char*>(RealSnmpd::kV3Writer)) ||
                   search_enginetime_list(const_cast<u_char*>(e), static_cast<u_int>(id.size()));
        };
        for (const size_t octets : {0, 1, 32, 33}) {
            const std::string forged(octets, char(0x80 + octets));
            arm([&](LoopbackRelay& r) {
                r.forgeProbe = [forged](unsigned long id) { return Message(id, 0, forged, 4, kPlain, ""); };
            });
            auto fresh =
                V3Request(0, RealSnmpd::kV3Writer, static_cast<char>(flags), 1, RealSnmpd::kV3AuthPassword, 0,
                          flags == 3 ? RealSnmpd::kV3PrivPassword : "");
            EXPECT_EQ(0, GetOne(*fresh, relay.agent, kSysName).status) << octets << " octets";
            EXPECT_FALSE(leftBehind(forged)) << octets << " octets";
        }
        const std::string forged(32, '\xa0');
        arm([&](LoopbackRelay& r) {
            r.forgeProbe = [forged](unsigned long id) { return Message(id, 0, forged, 4, kPlain, ""); };
            r.swallow = true;
        });
        auto closed = V3Request(0, RealSnmpd::kV3Writer, static_cast<char>(flags), 1,
                                RealSnmpd::kV3AuthPassword, 0, flags == 3 ? RealSnmpd::kV3PrivPassword : "");
        closed->addValue(kSysName.c_str(), SNMP_TYPE_NULL, nullptr);
        EXPECT_NE(0, SendTo(*closed, relay.agent, reply, 1000));
        closed.reset();
        EXPECT_FALSE(leftBehind(forged)) << "session closed";
        arm([](LoopbackRelay&) {});
        // An authenticated answer from before a reset (boots 3, then 1, the engine id kept) replayed once
        // after the SET, then before every answer, moves nothing.
        snmpd.Restart();
        snmpd.Restart();
        ASSERT_EQ(0, GetOne(*set, relay.agent, kSysName).status);
        std::string replay;
        arm([&](LoopbackRelay& r) { replay = r.last; });
        snmpd.Restart(true);
        arm([&](LoopbackRelay& r) { r.replay = replay; });
        setOnce(*set, "after the reset");
        arm([&](LoopbackRelay& r) { r.replay = replay, r.replayEach = true; });
        for (const std::string& oid : {kSysName, kSysContact, kSysLocation}) {
            EXPECT_EQ(snmpd.Get({oid}).at(0).value, GetOne(*set, relay.agent, oid).value) << oid;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(, RealAgentReboot,
                         ::testing::Values(Reset{"NewEngineId", "", false},
                                           Reset{"EngineIdKept", "ksx-00:11:22:33:44:55", false},
                                           Reset{"EngineIdKeptClockAhead", "ksx-00:11:22:33:44:66", true}),
                         [](const ::testing::TestParamInfo<Reset>& info) { return info.param.name; });

}  // namespace
