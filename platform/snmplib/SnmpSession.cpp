// Net-SNMP single sessions driven by our own wait: asynchronous send, then poll on the session socket and a
// wake-up eventfd, so that every step ends at its deadline or at once when cancelled.
#include "platform/snmplib/SnmpSession.h"

#include "platform/snmplib/UsmFilter.h"

// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/library/large_fd_set.h>
#include <net-snmp/library/snmpusm.h>
// clang-format on

#include <arpa/inet.h>
#include <netdb.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <list>
#include <mutex>
#include <thread>

namespace ksx::snmp {
namespace {

// Net-SNMP is built without its own locking: request ids, the USM user list and the engine-time cache are
// process-wide. Every call into it holds this lock; the waits do not.
std::mutex g_lib;
std::once_flag g_initOnce;
std::atomic<int> g_defaultTimeout{5000};
std::atomic<uint64_t> g_generation{0};
std::atomic<int> g_requestId{0};

// A step's status of our own, never handed to callers: an authenticated answer showed that the agent's
// engine started afresh with the same engine id (Decide).
constexpr int kEngineChanged = -100;

// SnmpCancelAll: a latch read by every wait, and a descriptor that every wait polls and that stays
// readable once written (never drained), so a request waiting when the latch is set wakes at once.
std::atomic<bool> g_cancelAll{false};
std::atomic<int> g_cancelAllFd{-1};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "SnmpCancelAll runs in signal handlers");

long long NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool ParseUnsigned(const std::string& s, unsigned long long max, unsigned long long& out) {
    if (s.empty() || s.size() > 20) {
        return false;
    }
    unsigned long long v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') {
            return false;
        }
        v = v * 10 + static_cast<unsigned>(c - '0');
        if (v > max) {
            return false;
        }
    }
    out = v;
    return true;
}

std::string Trim(const char* text) {
    std::string s = text ? text : "";
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) {
        return {};
    }
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

// Dotted OID text (leading dot allowed) into sub-identifiers.
bool ParseOid(const std::string& text, oid* out, size_t& len) {
    std::string s = text;
    if (!s.empty() && s[0] == '.') {
        s.erase(0, 1);
    }
    len = 0;
    if (s.empty()) {
        return false;
    }
    size_t pos = 0;
    while (pos <= s.size()) {
        size_t dot = s.find('.', pos);
        std::string part = s.substr(pos, dot == std::string::npos ? std::string::npos : dot - pos);
        unsigned long long v = 0;
        if (len >= MAX_OID_LEN || !ParseUnsigned(part, 0xffffffffULL, v)) {
            return false;
        }
        out[len++] = static_cast<oid>(v);
        if (dot == std::string::npos) {
            break;
        }
        pos = dot + 1;
    }
    return len >= 1;
}

std::string OidText(const oid* name, size_t len) {
    std::string s;
    if (!name) {
        return s;
    }
    char buf[24];
    for (size_t i = 0; i < len; ++i) {
        std::snprintf(buf, sizeof buf, i ? ".%lu" : "%lu", static_cast<unsigned long>(name[i]));
        s += buf;
    }
    return s;
}

bool ParseLong(const std::string& text, long long lo, long long hi, long long& out) {
    std::string s = Trim(text.c_str());
    bool neg = !s.empty() && s[0] == '-';
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        s.erase(0, 1);
    }
    unsigned long long v = 0;
    if (!ParseUnsigned(s, 1ULL << 33, v)) {
        return false;
    }
    long long r = neg ? -static_cast<long long>(v) : static_cast<long long>(v);
    if (r < lo || r > hi) {
        return false;
    }
    out = r;
    return true;
}

// Name lookups run on a thread of their own so that a slow resolver never holds a step past its deadline.
// A lookup given up before it ends is parked here and joined once it has ended.
struct Lookup {
    std::mutex mu;
    std::condition_variable cv;
    bool done = false;
    int status = 0;
    std::string peer;
};
struct ParkedLookups {
    std::mutex mu;
    std::list<std::pair<std::shared_ptr<Lookup>, std::thread>> list;
    ~ParkedLookups() {
        // At exit a resolver still waiting on the network is left to end with the process.
        for (auto& p : list) {
            if (p.second.joinable()) {
                p.second.detach();
            }
        }
    }
};
ParkedLookups g_parked;

void SweepParked() {
    std::lock_guard<std::mutex> lk(g_parked.mu);
    for (auto it = g_parked.list.begin(); it != g_parked.list.end();) {
        bool done = false;
        {
            std::lock_guard<std::mutex> l(it->first->mu);
            done = it->first->done;
        }
        if (done) {
            it->second.join();
            it = g_parked.list.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace

void EnsureInit() {
    std::call_once(g_initOnce, [] {
        g_cancelAllFd.store(eventfd(g_cancelAll.load() ? 1 : 0, EFD_NONBLOCK | EFD_CLOEXEC));
        std::lock_guard<std::mutex> lk(g_lib);
        // No configuration files, no persistent state, no MIB files: behaviour does not depend on the host.
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_LOAD_HOST_FILES, 1);
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_NO_TOKEN_WARNINGS, 1);
        netsnmp_set_mib_directory("/nonexistent-ksx-mibs");
        // The library still makes folders in its persistent directory at start-up (cert_indexes): one
        // under which nothing can be made keeps the host's Net-SNMP folders untouched.
        netsnmp_ds_set_string(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_PERSISTENT_DIR, "/dev/null");
        netsnmp_ds_set_int(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_MIB_WARNINGS, 0);
        if (!std::getenv("KSX_DEBUG")) {
            // A handler that goes nowhere: without any handler Net-SNMP writes to stderr.
            snmp_disable_log();
            netsnmp_register_loghandler(NETSNMP_LOGHANDLER_CALLBACK, LOG_DEBUG);
        }
        init_snmp("ksx-snmplib");
    });
}

uint64_t NextGeneration() {
    return ++g_generation;
}

int NextRequestId() {
    int id = ++g_requestId;
    if (id <= 0) {  // wrapped: ids stay positive
        g_requestId.store(1);
        id = 1;
    }
    return id;
}

bool ParseAgent(const std::string& text, AgentAddress& out) {
    std::string s = Trim(text.c_str());
    std::string portText;
    if (s.empty()) {
        return false;
    }
    if (s[0] == '[') {
        size_t close = s.find(']');
        if (close == std::string::npos) {
            return false;
        }
        out.host = s.substr(1, close - 1);
        std::string rest = s.substr(close + 1);
        if (!rest.empty()) {
            if (rest[0] != ':') {
                return false;
            }
            portText = rest.substr(1);
            if (portText.empty()) {
                return false;
            }
        }
    } else {
        size_t colons = std::count(s.begin(), s.end(), ':');
        if (colons == 1) {
            size_t c = s.find(':');
            out.host = s.substr(0, c);
            portText = s.substr(c + 1);
            if (portText.empty()) {
                return false;
            }
        } else {
            out.host = s;  // no port, or a bare IPv6 address
        }
    }
    out.port = 161;
    if (!portText.empty()) {
        unsigned long long p = 0;
        if (!ParseUnsigned(portText, 65535, p) || p == 0) {
            return false;
        }
        out.port = static_cast<int>(p);
    }
    return !out.host.empty();
}

bool ValidBinding(const SnmpVarBind& vb) {
    oid name[MAX_OID_LEN];
    size_t len = 0;
    if (!ParseOid(vb.oid, name, len)) {
        return false;
    }
    long long v = 0;
    switch (vb.type) {
        case SNMP_TYPE_NULL:
        case SNMP_TYPE_OCTETS:
            return true;
        case SNMP_TYPE_INTEGER:
            return ParseLong(vb.value, INT32_MIN, INT32_MAX, v);
        case SNMP_TYPE_UNSIGNED:
            return ParseLong(vb.value, 0, UINT32_MAX, v);
        case SNMP_TYPE_OID:
            return ParseOid(Trim(vb.value.c_str()), name, len);
        case SNMP_TYPE_IPADDRESS: {
            in_addr a{};
            return inet_pton(AF_INET, Trim(vb.value.c_str()).c_str(), &a) == 1;
        }
        default:
            return false;
    }
}

namespace {

netsnmp_pdu* BuildPdu(int pduType, const std::vector<SnmpVarBind>& binds) {
    int command = pduType == 0 ? SNMP_MSG_GET : pduType == 1 ? SNMP_MSG_GETNEXT : SNMP_MSG_SET;
    netsnmp_pdu* pdu = snmp_pdu_create(command);
    if (!pdu) {
        return nullptr;
    }
    for (const SnmpVarBind& vb : binds) {
        oid name[MAX_OID_LEN];
        size_t len = 0;
        long long v = 0;
        netsnmp_variable_list* added = nullptr;
        if (!ParseOid(vb.oid, name, len)) {
            snmp_free_pdu(pdu);
            return nullptr;
        }
        switch (vb.type) {
            case SNMP_TYPE_NULL:
                added = snmp_pdu_add_variable(pdu, name, len, ASN_NULL, nullptr, 0);
                break;
            case SNMP_TYPE_INTEGER:
                if (ParseLong(vb.value, INT32_MIN, INT32_MAX, v)) {
                    long lv = static_cast<long>(v);
                    added = snmp_pdu_add_variable(pdu, name, len, ASN_INTEGER, &lv, sizeof lv);
                }
                break;
            case SNMP_TYPE_UNSIGNED:
                if (ParseLong(vb.value, 0, UINT32_MAX, v)) {
                    u_long uv = static_cast<u_long>(v);
                    added = snmp_pdu_add_variable(pdu, name, len, ASN_UNSIGNED, &uv, sizeof uv);
                }
                break;
            case SNMP_TYPE_OCTETS:
                added =
                    snmp_pdu_add_variable(pdu, name, len, ASN_OCTET_STR, vb.value.data(), vb.value.size());
                break;
            case SNMP_TYPE_OID: {
                oid val[MAX_OID_LEN];
                size_t vlen = 0;
                if (ParseOid(Trim(vb.value.c_str()), val, vlen)) {
                    added = snmp_pdu_add_variable(pdu, name, len, ASN_OBJECT_ID, val, vlen * sizeof(oid));
                }
                break;
            }
            case SNMP_TYPE_IPADDRESS: {
                in_addr a{};
                if (inet_pton(AF_INET, Trim(vb.value.c_str()).c_str(), &a) == 1) {
                    added = snmp_pdu_add_variable(pdu, name, len, ASN_IPADDRESS, &a.s_addr, 4);
                }
                break;
            }
            default:
                break;
        }
        if (!added) {
            snmp_free_pdu(pdu);
            return nullptr;
        }
    }
    return pdu;
}

bool IsNoValue(int type) {
    return type == ASN_NULL || type == SNMP_NOSUCHOBJECT || type == SNMP_NOSUCHINSTANCE ||
           type == SNMP_ENDOFMIBVIEW;
}

SnmpVarBind ConvertBinding(const netsnmp_variable_list* vb) {
    SnmpVarBind out;
    out.oid = OidText(vb->name, vb->name_length);
    out.type = vb->type;
    char buf[64];
    buf[0] = 0;
    const bool hasInt = vb->val.integer && vb->val_len >= sizeof(long);
    const bool hasC64 = vb->val.counter64 && vb->val_len >= sizeof(counter64);
    switch (vb->type) {
        case ASN_INTEGER:
            if (hasInt) {
                std::snprintf(buf, sizeof buf, "%ld", *vb->val.integer);
            }
            out.value = buf;
            break;
        case ASN_COUNTER:
        case ASN_GAUGE:
        case ASN_TIMETICKS:
        case ASN_UINTEGER:
            if (hasInt) {
                std::snprintf(buf, sizeof buf, "%lu",
                              static_cast<unsigned long>(*vb->val.integer) & 0xffffffffUL);
            }
            out.value = buf;
            break;
        case ASN_COUNTER64:
#ifdef NETSNMP_WITH_OPAQUE_SPECIAL_TYPES
        case ASN_OPAQUE_COUNTER64:
        case ASN_OPAQUE_U64:
#endif
            if (hasC64) {
                unsigned long long v =
                    (static_cast<unsigned long long>(vb->val.counter64->high & 0xffffffffUL) << 32) |
                    (vb->val.counter64->low & 0xffffffffUL);
                std::snprintf(buf, sizeof buf, "%llu", v);
            }
            out.value = buf;
            break;
#ifdef NETSNMP_WITH_OPAQUE_SPECIAL_TYPES
        case ASN_OPAQUE_I64:
            if (hasC64) {
                unsigned long long v =
                    (static_cast<unsigned long long>(vb->val.counter64->high & 0xffffffffUL) << 32) |
                    (vb->val.counter64->low & 0xffffffffUL);
                std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(v));
            }
            out.value = buf;
            break;
        case ASN_OPAQUE_FLOAT:
            if (vb->val.floatVal && vb->val_len >= sizeof(float)) {
                std::snprintf(buf, sizeof buf, "%g", static_cast<double>(*vb->val.floatVal));
            }
            out.value = buf;
            break;
        case ASN_OPAQUE_DOUBLE:
            if (vb->val.doubleVal && vb->val_len >= sizeof(double)) {
                std::snprintf(buf, sizeof buf, "%g", *vb->val.doubleVal);
            }
            out.value = buf;
            break;
#endif
        case ASN_IPADDRESS:
            if (vb->val.string && vb->val_len == 4) {
                std::snprintf(buf, sizeof buf, "%u.%u.%u.%u", vb->val.string[0], vb->val.string[1],
                              vb->val.string[2], vb->val.string[3]);
                out.value = buf;
            } else if (vb->val.string) {
                out.value.assign(reinterpret_cast<const char*>(vb->val.string), vb->val_len);
            }
            break;
        case ASN_OBJECT_ID:
            if (vb->val.objid) {
                out.value = OidText(vb->val.objid, vb->val_len / sizeof(oid));
            }
            break;
        case ASN_OCTET_STR:
        case ASN_OPAQUE:
        case ASN_BIT_STR:
        case ASN_NSAP:
            if (vb->val.string && vb->val_len) {
                out.value.assign(reinterpret_cast<const char*>(vb->val.string), vb->val_len);
            }
            break;
        default:
            break;  // NULL, exceptions and types we do not know: no value
    }
    return out;
}

}  // namespace

// Per-object Net-SNMP state. The response callback writes here; it only runs inside our own read calls.
struct CSnmpSession::Net {
    // What the library hands back to the callback for one message sent: the step it belongs to. A token
    // stays until the library has let go of its request: an answer taken (callback result 1), its time-out,
    // or the session closed. After a report the callback keeps the request pending (result 0: see
    // OnResponse), so the library may still call back with the token; it is not freed then.
    struct Attempt {
        // The library's synchronous wait reads the callback data of a request as a struct synch_state
        // and may clear its first int once a report ended it; nothing of ours lives there.
        int librarySlot = 0;
        Net* net = nullptr;
        uint64_t step = 0;
        bool released = false;
    };

    void* sess = nullptr;
    std::string peer;
    std::string agentText, agentPeer;  // last agent text and what it resolved to
    Credentials cred;
    bool engineKnown = false;
    uint64_t step = 0;         // the step being waited for; answers to the attempts of others are dropped
    bool outstanding = false;  // a step ended before its answer: the library still holds its request
    bool done = false;
    int op = 0;
    netsnmp_pdu* response = nullptr;
    // Of the step being waited for: messages that went out (the library's own resends included), those
    // the network refused (an ICMP error on the socket), and authenticated reports that the agent's engine
    // time moved (the library has taken the new time from the report: the request is sent again).
    int messagesOut = 0;
    int refusals = 0;
    int resyncs = 0;
    int resyncsSent = 0;
    // SNMPv3: the message ids of the step's messages; only messages answering one of them reach the
    // library (Screen).
    std::vector<long> msgIds;
    long long deadline = 0;  // the step's
    int level = 0;           // the security level of the step's messages
    long long shareNs = 0;   // one attempt's share of its time-out
    // An unauthenticated report answering the step (a hint, Screen): the cause it names (a status of
    // CSnmp4w, with the report's kind), and when it is taken for the step's result unless an
    // authenticated answer comes first (0: no hint). hintWaitNs: that wait, -1 for one attempt's share.
    int hintStatus = 0;
    UsmReport hintReport = UsmReport::kOther;
    long long hintAt = 0;
    long long hintWaitNs = -1;
    bool inferred = false;  // the step ended on a hint
    // When the first of the reports without authentication came that no answer has followed since, on
    // this session with these credentials, across requests (0: none): a request ended before its share
    // (a poll that starts over) still leaves the wait counted.
    long long hintSince = 0;
    // Engines a copy of the step's request was sent to after a report of an unknown engine id named them,
    // with whether we made our user's entry for them; the entry goes with the step unless the engine
    // answered with our key (and was taken).
    struct Trial {
        std::vector<u_char> engine;
        bool userMade = false;
    };
    std::vector<Trial> trials;
    bool engineVerified = false;  // the session's engine has answered with our key (or without auth, at all)
    // The discovery probe that a report of another engine id sent for the request (its message id, or -1;
    // at most one is sent per request).
    long probeMsgId = -1;
    bool probed = false;
    sockaddr_storage agentAddr{};  // where the requests go: only the agent's messages tell of its engine
    std::vector<u_char> authKey, privKey;  // our localized keys, to spot another session's user entry
    std::list<Attempt> attempts;

    void dropResponse() {
        if (response) {
            snmp_free_pdu(response);
            response = nullptr;
        }
    }
    Attempt* newAttempt() {
        attempts.remove_if([](const Attempt& a) { return a.released; });
        attempts.push_back({0, this, step, false});
        return &attempts.back();
    }
};

namespace {

// A report of the agent's engine time (notInTimeWindow) is sent again at most this often per step; an
// agent that keeps reporting it leaves the step to its time-out.
constexpr int kMaxResyncs = 2;

// The library calls back for each of our messages. Its order, as snmp_api.h documents the callback: the
// result 1 ends the request (the library forgets it and its callback data), 0 keeps it pending. A
// library may hand an SNMPv3 report to the callback and then, on the same request and callback data,
// resend the request itself with a new message id (a report of the engine's time or id), or handle such
// a report without any callback. So a report never ends the request for the library (result 0: it stays
// pending until answered or timed out, its token alive), and the step decides what the report means:
// the agent's engine time moved (the step goes on and sends the request again; an answer to any of its
// messages, the library's resend included, is the answer), or the request's end (the report is the
// step's result).
int OnResponse(int op, netsnmp_session*, int, netsnmp_pdu* pdu, void* magic) {
    auto* attempt = static_cast<CSnmpSession::Net::Attempt*>(magic);
    CSnmpSession::Net* net = attempt->net;
    const bool received = op == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE;
    const bool report = received && pdu && pdu->command == SNMP_MSG_REPORT;
    if ((received && !report) || op == NETSNMP_CALLBACK_OP_TIMED_OUT ||
        op == NETSNMP_CALLBACK_OP_DISCONNECT) {
        attempt->released = true;  // the library forgets this message now
    }
    const int result = report ? 0 : 1;
    // The library matched the message to one of our attempts (by message id in SNMPv3, which also checks
    // the engine id, user and security level; the security model checks the engine time). An answer to
    // an attempt of a step that has ended is dropped.
    if (net->done || attempt->step != net->step) {
        return result;
    }
    switch (op) {
        case NETSNMP_CALLBACK_OP_RESEND:
            // The library sent the request again (after an authenticated report of the engine's time, with
            // a message id of its own): still waiting for its answer, which may answer that message.
            ++net->messagesOut;
            if (pdu && net->cred.version == 3) {
                net->msgIds.push_back(pdu->msgid);
            }
            return result;
        case NETSNMP_CALLBACK_OP_SEC_ERROR:
            return result;  // a message that failed the security checks: a report may follow
        case NETSNMP_CALLBACK_OP_SEND_FAILED:
            // One resend refused. The library has let go of that request: an SNMPv3 step's other
            // messages may still be answered; an SNMPv1 step had that one request, and ends here.
            attempt->released = true;
            if (net->cred.version == 3) {
                return result;
            }
            break;
        case NETSNMP_CALLBACK_OP_CONNECT:
            return result;
        case NETSNMP_CALLBACK_OP_TIMED_OUT:
            if (net->cred.version == 3) {
                return result;  // one SNMPv3 attempt let go: the step's own deadline decides
            }
            break;
        default:
            break;
    }
    if (report) {
        const int kind = snmpv3_get_report_type(pdu);
        if (kind == SNMPERR_NOT_IN_TIME_WINDOW) {
            if (net->resyncs < kMaxResyncs) {
                ++net->resyncs;
            }
            return result;
        }
    }
    net->done = true;
    net->op = op;
    net->dropResponse();
    if (received && pdu) {
        net->response = snmp_clone_pdu(pdu);
    }
    return result;
}

bool SameOid(const oid* a, size_t alen, const oid* b, size_t blen) {
    return alen == blen && (alen == 0 || (a && b && std::memcmp(a, b, alen * sizeof(oid)) == 0));
}

bool SameBytes(const u_char* p, size_t len, const std::vector<u_char>& v) {
    return len == v.size() && (len == 0 || (p && std::memcmp(p, v.data(), len) == 0));
}

// The address of a peer text as ResolveHost makes it ("udp:a.b.c.d:port", "udp6:[v6]:port"); an empty
// address (family 0) when it is neither.
sockaddr_storage PeerAddress(const std::string& peer) {
    sockaddr_storage out{};
    const size_t colon = peer.rfind(':');
    unsigned long long port = 0;
    if (colon == std::string::npos || !ParseUnsigned(peer.substr(colon + 1), 65535, port)) {
        return out;
    }
    if (peer.rfind("udp6:[", 0) == 0 && colon > 6 && peer[colon - 1] == ']') {
        std::string host = peer.substr(6, colon - 7);
        host = host.substr(0, host.find('%'));  // the scope is the socket's
        auto* a = reinterpret_cast<sockaddr_in6*>(&out);
        if (inet_pton(AF_INET6, host.c_str(), &a->sin6_addr) == 1) {
            a->sin6_family = AF_INET6;
            a->sin6_port = htons(static_cast<uint16_t>(port));
        }
    } else if (peer.rfind("udp:", 0) == 0) {
        auto* a = reinterpret_cast<sockaddr_in*>(&out);
        if (inet_pton(AF_INET, peer.substr(4, colon - 4).c_str(), &a->sin_addr) == 1) {
            a->sin_family = AF_INET;
            a->sin_port = htons(static_cast<uint16_t>(port));
        }
    }
    return out;
}

// Our authentication key localized to `engine`; empty for a session without authentication.
std::vector<u_char> LocalizedKey(netsnmp_session* ss, const std::vector<u_char>& engine) {
    u_char key[USM_AUTH_KU_LEN];
    size_t keyLen = sizeof key;
    if (!ss->securityAuthKeyLen || engine.empty() ||
        generate_kul(ss->securityAuthProto, static_cast<u_int>(ss->securityAuthProtoLen), engine.data(),
                     engine.size(), ss->securityAuthKey, ss->securityAuthKeyLen, key,
                     &keyLen) != SNMPERR_SUCCESS) {
        return {};
    }
    return {key, key + keyLen};
}

netsnmp_pdu* EngineProbe();
void TakeEngine(CSnmpSession::Net& n, const u_char* engine, size_t len);

// Our user's entry for `engine` in the library's USM user list, made from the session's keys (another
// session may name the same user with other keys or level: its entry is replaced, and that session puts
// its own back before it sends: InstallUser). True when the entry is there; *made: there was none.
bool MakeUserFor(netsnmp_session* ss, const std::vector<u_char>& engine, bool* made) {
    usmUser* old = usm_get_user(engine.data(), engine.size(), ss->securityName);
    *made = old == nullptr;
    if (old) {
        usm_remove_user(old);
        usm_free_user(old);
    }
    // Made as for the session's own engine, from the session's master keys: any keys the library
    // localized for the session's engine are set aside meanwhile.
    netsnmp_session saved = *ss;
    ss->securityEngineID = const_cast<u_char*>(engine.data());
    ss->securityEngineIDLen = engine.size();
    ss->securityAuthLocalKey = nullptr;
    ss->securityAuthLocalKeyLen = 0;
    ss->securityPrivLocalKey = nullptr;
    ss->securityPrivLocalKeyLen = 0;
    ss->flags &= ~SNMP_FLAGS_USER_CREATED;
    usm_create_user_from_session(ss);
    ss->securityEngineID = saved.securityEngineID;
    ss->securityEngineIDLen = saved.securityEngineIDLen;
    ss->securityAuthLocalKey = saved.securityAuthLocalKey;
    ss->securityAuthLocalKeyLen = saved.securityAuthLocalKeyLen;
    ss->securityPrivLocalKey = saved.securityPrivLocalKey;
    ss->securityPrivLocalKeyLen = saved.securityPrivLocalKeyLen;
    ss->flags = saved.flags;
    return usm_get_user(engine.data(), engine.size(), ss->securityName) != nullptr;
}

void RemoveUserFor(netsnmp_session* ss, const u_char* engine, size_t len) {
    if (usmUser* u = usm_get_user(engine, len, ss->securityName)) {
        usm_remove_user(u);
        usm_free_user(u);
    }
}

// Takes the engine of a trial that answered with our key (or, without authentication, at all): the user
// entry of the engine given up goes when that engine never answered so. Under g_lib.
void TakeTrial(CSnmpSession::Net& n, const std::vector<u_char>& engine) {
    netsnmp_session* ss = snmp_sess_session(n.sess);
    if (!n.engineVerified && ss->securityEngineIDLen) {
        RemoveUserFor(ss, ss->securityEngineID, ss->securityEngineIDLen);
    }
    TakeEngine(n, engine.data(), engine.size());
    n.engineVerified = true;
    std::erase_if(n.trials, [&engine](const CSnmpSession::Net::Trial& t) { return t.engine == engine; });
}

// What becomes of a datagram waiting on an SNMPv3 session's socket (Screen).
enum class Verdict {
    kPass,   // the library reads it
    kDrop,   // taken off unread
    kReset,  // taken off: an authenticated answer shows the agent started afresh with its engine id
};

// At most this many engines named by reports of an unknown engine id are tried per step.
constexpr size_t kMaxTrials = 3;

// Decides on a datagram before the library may read it. The library takes far more from a message than an
// answer: the agent's boots and time, a report that makes it send the request again on its own, the end of
// a request. So on an SNMPv3 session the filter (DecideUsm) lets through only what it has read as the
// library will, from the agent's address, answering a message of the step still awaited, and authenticated
// with our key (on a session without authentication: a response), and here:
// - an authenticated answer from an engine being tried takes that engine (any other engine is no answer:
//   the library holds no user of ours for it);
// - an authenticated answer showing the engine started afresh with its engine id ends the step (kReset);
// - a report without authentication (anyone may send one) is a hint only: it is taken off, and names the
//   cause (wrong password, unknown user, privacy) only when no answer has come within one attempt's share
//   after it. In a discovery step the agent's report naming its engine is the answer awaited. A report of
//   an unknown engine id sends one discovery probe for the request, and each engine an answer to that
//   probe names is tried with a copy of the request, the copies sent before staying awaited.
// Under g_lib.
Verdict Decide(CSnmpSession::Net& n, const uint8_t* data, size_t size, const sockaddr_storage& from,
               bool discovery, const std::function<void(const std::vector<u_char>&)>& tryEngine) {
    netsnmp_session* ss = snmp_sess_session(n.sess);
    auto tried = [&n](const std::vector<uint8_t>& engine) {
        return std::any_of(n.trials.begin(), n.trials.end(),
                           [&engine](const CSnmpSession::Net::Trial& t) { return t.engine == engine; });
    };
    UsmFilterState st;
    st.user.assign(ss->securityName ? ss->securityName : "", ss->securityNameLen);
    st.securityLevel = n.level;
    st.authArith = n.cred.authArith;
    st.authKey = n.authKey;
    st.localize = [&](const std::vector<uint8_t>& engine) {
        return tried(engine) ? LocalizedKey(ss, engine) : std::vector<uint8_t>();
    };
    st.agent = n.agentAddr;
    if (ss->securityEngineIDLen) {
        st.engineId.assign(ss->securityEngineID, ss->securityEngineID + ss->securityEngineIDLen);
        Enginetime e =
            search_enginetime_list(ss->securityEngineID, static_cast<u_int>(ss->securityEngineIDLen));
        if (e && e->authenticatedFlag) {
            st.timeKnown = true;
            st.boots = e->engineBoot;
            st.time = e->engineTime;
        }
    }
    st.awaited = n.msgIds;
    if (n.probeMsgId >= 0) {
        st.awaited.push_back(n.probeMsgId);
    }
    UsmVerdict v = DecideUsm(data, size, from, st);
    // Without authentication the filter takes a response only from the engine it is given: each one tried.
    for (size_t i = 0;
         v.kind == UsmVerdict::kDrop && st.securityLevel == SNMP_SEC_LEVEL_NOAUTH && i < n.trials.size();
         ++i) {
        st.engineId = n.trials[i].engine;
        if (DecideUsm(data, size, from, st).kind == UsmVerdict::kPass) {
            v.kind = UsmVerdict::kReplaced;
            v.engineId = st.engineId;
        }
    }
    switch (v.kind) {
        case UsmVerdict::kPass:
            n.engineVerified = true;
            n.hintSince = discovery ? n.hintSince : 0;
            return Verdict::kPass;
        case UsmVerdict::kReplaced:
            if (!tried(v.engineId)) {
                return Verdict::kDrop;
            }
            TakeTrial(n, v.engineId);
            n.hintSince = 0;
            return Verdict::kPass;
        case UsmVerdict::kReset:
            return Verdict::kReset;
        case UsmVerdict::kDrop:
            return Verdict::kDrop;
        case UsmVerdict::kHint:
            break;
    }
    const bool otherEngine = v.engineId != st.engineId && !v.engineId.empty();
    if (v.msgId == n.probeMsgId) {  // the probe a report of an unknown engine id sent
        if (otherEngine && !tried(v.engineId) && n.trials.size() < kMaxTrials) {
            tryEngine(v.engineId);
        }
        return Verdict::kDrop;
    }
    if (discovery) {
        return v.report == UsmReport::kUnknownEngineId || v.report == UsmReport::kUnknownUserName
                   ? Verdict::kPass
                   : Verdict::kDrop;
    }
    if (v.report == UsmReport::kUnknownEngineId) {  // ask the engine at the address, once per request
        netsnmp_pdu* probe = otherEngine && !n.probed ? EngineProbe() : nullptr;
        if (probe) {
            n.probed = true;
            CSnmpSession::Net::Attempt* token = n.newAttempt();
            if (snmp_sess_async_send(n.sess, probe, OnResponse, token) == 0) {
                token->released = true;
                snmp_free_pdu(probe);
            } else {
                n.probeMsgId = probe->msgid;  // the library keeps the message until it lets go of the token
            }
        }
        return Verdict::kDrop;
    }
    const int status = v.report == UsmReport::kDecryptionError ? CSnmp4w::EC_PRIV_FAILED
                       : v.report == UsmReport::kWrongDigest || v.report == UsmReport::kUnknownUserName ||
                               v.report == UsmReport::kUnsupportedSecLevel
                           ? CSnmp4w::EC_AUTH_FAILED
                           : 0;
    if (status != 0 && n.hintAt == 0) {
        n.hintSince = n.hintSince ? n.hintSince : NowNs();
        n.hintStatus = status;
        n.hintReport = v.report;
        n.hintAt =
            std::min(n.deadline, (n.hintWaitNs >= 0 ? NowNs() + n.hintWaitNs : n.hintSince + n.shareNs));
    }
    return Verdict::kDrop;
}

// Peeks at the datagram waiting on the session's socket and decides on it (Decide); one not passed is
// taken off the socket. An error queued on the socket (an ICMP refusal) is the library's to read.
Verdict Screen(CSnmpSession::Net& n, int sock, bool discovery,
               const std::function<void(const std::vector<u_char>&)>& tryEngine) {
    static std::vector<uint8_t> buf(65536);  // a whole datagram
    sockaddr_storage from{};
    socklen_t fromLen = sizeof from;
    const ssize_t got = ::recvfrom(sock, buf.data(), buf.size(), MSG_PEEK | MSG_DONTWAIT,
                                   reinterpret_cast<sockaddr*>(&from), &fromLen);
    if (got < 0) {
        return Verdict::kPass;
    }
    const Verdict v = Decide(n, buf.data(), static_cast<size_t>(got), from, discovery, tryEngine);
    if (v != Verdict::kPass) {
        ::recv(sock, buf.data(), 1, MSG_DONTWAIT);  // the rest of a datagram goes with it
    }
    return v;
}

// This session forgets the agent's engine id, so that the next step discovers the engine anew. `reset`: the
// engine started afresh (on authenticated evidence); its boots and time are forgotten too, also by the
// library's process-wide engine-time cache, where every session to that engine reads them, so that the
// next step synchronises with its clock anew. Under g_lib.
void ForgetEngine(CSnmpSession::Net& n, bool reset) {
    netsnmp_session* ss = snmp_sess_session(n.sess);
    if (std::getenv("KSX_DEBUG")) {
        std::fprintf(stderr,
                     "snmplib: %s: the agent's engine changed or restarted afresh; discovering it again\n",
                     n.peer.c_str());
    }
    if (reset && ss->securityEngineID && ss->securityEngineIDLen) {
        // Boots and time 0 (the library keeps an authenticated entry over an unauthenticated one): the
        // engine reports its own in answer to the next authenticated message, and the library takes them.
        set_enginetime(ss->securityEngineID, static_cast<u_int>(ss->securityEngineIDLen), 0, 0, TRUE);
    }
    SNMP_FREE(ss->securityEngineID);
    ss->securityEngineIDLen = 0;
    SNMP_FREE(ss->contextEngineID);
    ss->contextEngineIDLen = 0;
    n.engineKnown = false;
}

// Makes the process-wide USM user entry for this session's user and engine carry this session's keys.
// Called under g_lib before each send: two sessions may name the same user with different passwords.
void InstallUser(CSnmpSession::Net& n) {
    netsnmp_session* ss = snmp_sess_session(n.sess);
    if (!ss || !ss->securityEngineIDLen) {
        return;
    }
    usmUser* u = usm_get_user(ss->securityEngineID, ss->securityEngineIDLen, ss->securityName);
    if (u && !n.authKey.empty() == (u->authKeyLen != 0) && SameBytes(u->authKey, u->authKeyLen, n.authKey) &&
        SameBytes(u->privKey, u->privKeyLen, n.privKey) &&
        SameOid(u->authProtocol, u->authProtocolLen, ss->securityAuthProto, ss->securityAuthProtoLen) &&
        (ss->securityLevel != SNMP_SEC_LEVEL_AUTHPRIV ||
         SameOid(u->privProtocol, u->privProtocolLen, ss->securityPrivProto, ss->securityPrivProtoLen))) {
        return;
    }
    if (u) {
        usm_remove_user(u);
        usm_free_user(u);
    }
    ss->flags &= ~SNMP_FLAGS_USER_CREATED;
    usm_create_user_from_session(ss);
    u = usm_get_user(ss->securityEngineID, ss->securityEngineIDLen, ss->securityName);
    n.authKey.clear();
    n.privKey.clear();
    if (u) {
        if (u->authKey) {
            n.authKey.assign(u->authKey, u->authKey + u->authKeyLen);
        }
        if (u->privKey) {
            n.privKey.assign(u->privKey, u->privKey + u->privKeyLen);
        }
    }
}

// The empty user the engine-ID probe is sent as; the agent's report is read back against it.
void EnsureProbeUser() {
    if (usm_get_user(nullptr, 0, const_cast<char*>(""))) {
        return;
    }
    usmUser* u = usm_create_user();
    if (!u) {
        return;
    }
    u->name = strdup("");
    u->secName = strdup("");
    usm_add_user(u);
}

// An unauthenticated get without bindings as the empty user: the agent answers it with a report (of its
// engine id, or of an unknown user once the engine id is known) that names its engine id. Under g_lib.
netsnmp_pdu* EngineProbe() {
    EnsureProbeUser();
    netsnmp_pdu* probe = snmp_pdu_create(SNMP_MSG_GET);
    if (probe) {
        probe->version = SNMP_VERSION_3;
        probe->securityName = strdup("");
        probe->securityNameLen = 0;
        probe->securityLevel = SNMP_SEC_LEVEL_NOAUTH;
        probe->securityModel = SNMP_SEC_MODEL_USM;
    }
    return probe;
}

// Takes `engine` as the agent's engine id: the session's security and context engine, our user's keys
// localized to it. Under g_lib.
void TakeEngine(CSnmpSession::Net& n, const u_char* engine, size_t len) {
    netsnmp_session* ss = snmp_sess_session(n.sess);
    SNMP_FREE(ss->securityEngineID);
    ss->securityEngineID = static_cast<u_char*>(netsnmp_memdup(engine, len));
    ss->securityEngineIDLen = len;
    SNMP_FREE(ss->contextEngineID);
    ss->contextEngineID = static_cast<u_char*>(netsnmp_memdup(engine, len));
    ss->contextEngineIDLen = len;
    n.authKey.clear();
    n.privKey.clear();
    InstallUser(n);
    n.engineKnown = true;
    n.engineVerified = false;
}

int ResolveHost(const std::string& host, int port, long long deadline, const std::function<bool()>& cancelled,
                std::string& peer) {
    in_addr a4{};
    in6_addr a6{};
    if (inet_pton(AF_INET, host.c_str(), &a4) == 1) {
        peer = "udp:" + host + ":" + std::to_string(port);
        return 0;
    }
    if (inet_pton(AF_INET6, host.c_str(), &a6) == 1) {
        peer = "udp6:[" + host + "]:" + std::to_string(port);
        return 0;
    }
    SweepParked();
    auto lookup = std::make_shared<Lookup>();
    std::thread resolver([lookup, host, port] {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_DGRAM;
        addrinfo* res = nullptr;
        std::string result;
        int status = CSnmp4w::EC_BAD_AGENT;
        if (getaddrinfo(host.c_str(), nullptr, &hints, &res) == 0) {
            const addrinfo* pick = nullptr;
            for (const addrinfo* p = res; p; p = p->ai_next) {
                if (p->ai_family == AF_INET) {
                    pick = p;
                    break;
                }
                if (!pick && p->ai_family == AF_INET6) {
                    pick = p;
                }
            }
            char text[INET6_ADDRSTRLEN];
            if (pick && pick->ai_family == AF_INET) {
                inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(pick->ai_addr)->sin_addr, text,
                          sizeof text);
                result = std::string("udp:") + text + ":" + std::to_string(port);
                status = 0;
            } else if (pick) {
                inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(pick->ai_addr)->sin6_addr, text,
                          sizeof text);
                result = std::string("udp6:[") + text + "]:" + std::to_string(port);
                status = 0;
            }
            freeaddrinfo(res);
        }
        std::lock_guard<std::mutex> lk(lookup->mu);
        lookup->status = status;
        lookup->peer = result;
        lookup->done = true;
        lookup->cv.notify_all();
    });
    int status = 0;
    bool done = false;
    {
        std::unique_lock<std::mutex> lk(lookup->mu);
        for (;;) {
            if (lookup->done) {
                done = true;
                status = lookup->status;
                peer = lookup->peer;
                break;
            }
            long long left = deadline - NowNs();
            if (cancelled() || left <= 0) {
                status = cancelled() ? CSnmp4w::EC_CANCELLED : CSnmp4w::EC_TIMEOUT;
                break;
            }
            lookup->cv.wait_for(lk, std::chrono::nanoseconds(std::min<long long>(left, 20'000'000)));
        }
    }
    if (done) {
        resolver.join();
    } else {
        std::lock_guard<std::mutex> lk(g_parked.mu);
        g_parked.list.emplace_back(lookup, std::move(resolver));
    }
    return status;
}

}  // namespace

CSnmpSession::CSnmpSession() : m_net(std::make_unique<Net>()) {
    EnsureInit();
    m_wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

CSnmpSession::~CSnmpSession() {
    closeSession();
    if (m_wakeFd >= 0) {
        ::close(m_wakeFd);
    }
}

void CSnmpSession::cancel(uint64_t generation) {
    m_cancelGen.store(generation + 1);
    if (m_wakeFd >= 0) {
        uint64_t one = 1;
        ssize_t r = ::write(m_wakeFd, &one, sizeof one);
        (void)r;
    }
}

void CSnmpSession::drainWake() {
    uint64_t v = 0;
    while (m_wakeFd >= 0 && ::read(m_wakeFd, &v, sizeof v) > 0) {
    }
}

void CSnmpSession::closeSession() {
    std::lock_guard<std::mutex> lk(g_lib);
    if (m_net->sess) {
        snmp_sess_close(m_net->sess);
        m_net->sess = nullptr;
    }
    m_net->attempts.clear();  // the library has let go of every request of the session
    m_net->dropResponse();
    m_net->outstanding = false;
    m_net->engineKnown = false;
    m_net->authKey.clear();
    m_net->privKey.clear();
}

int CSnmpSession::openSession(const Credentials& cred, const std::string& peer, unsigned long timeoutMs) {
    Net& n = *m_net;
    if (n.sess && n.peer == peer && n.cred == cred) {
        return 0;
    }
    if (n.peer != peer || !(n.cred == cred)) {
        n.hintSince = 0;
    }
    closeSession();
    const bool v3 = cred.version == 3;
    const bool auth = v3 && (cred.msgFlags & 1) != 0;
    const bool priv = auth && (cred.msgFlags & 2) != 0;
    oid* authProto = cred.authArith == 1 ? usmHMACSHA1AuthProtocol : usmHMACMD5AuthProtocol;
    const size_t authProtoLen =
        cred.authArith == 1 ? OID_LENGTH(usmHMACSHA1AuthProtocol) : OID_LENGTH(usmHMACMD5AuthProtocol);
    // The keys from the passwords (a megabyte hashed each) outside the library lock: pure computation.
    u_char authKey[USM_AUTH_KU_LEN];
    size_t authKeyLen = sizeof authKey;
    u_char privKey[USM_PRIV_KU_LEN];
    size_t privKeyLen = sizeof privKey;
    if (auth && generate_Ku(authProto, static_cast<u_int>(authProtoLen),
                            reinterpret_cast<const u_char*>(cred.authPwd.data()), cred.authPwd.size(),
                            authKey, &authKeyLen) != SNMPERR_SUCCESS) {
        return CSnmp4w::EC_REFUSED;
    }
    if (priv && generate_Ku(authProto, static_cast<u_int>(authProtoLen),
                            reinterpret_cast<const u_char*>(cred.priPwd.data()), cred.priPwd.size(), privKey,
                            &privKeyLen) != SNMPERR_SUCCESS) {
        return CSnmp4w::EC_REFUSED;
    }
    std::lock_guard<std::mutex> lk(g_lib);
    netsnmp_session s;
    snmp_sess_init(&s);
    std::string peerCopy = peer;
    s.peername = peerCopy.data();
    s.retries = 0;
    s.timeout = static_cast<long>(timeoutMs) * 1000L;
    std::string community = cred.community;
    std::string user = cred.user;
    if (v3) {
        s.version = SNMP_VERSION_3;
        s.flags |= SNMP_FLAGS_DONT_PROBE;  // discovery runs through our own cancellable wait
        s.securityModel = SNMP_SEC_MODEL_USM;
        s.securityName = user.data();
        s.securityNameLen = user.size();
        s.securityLevel = priv   ? SNMP_SEC_LEVEL_AUTHPRIV
                          : auth ? SNMP_SEC_LEVEL_AUTHNOPRIV
                                 : SNMP_SEC_LEVEL_NOAUTH;
        if (auth) {
            s.securityAuthProto = authProto;
            s.securityAuthProtoLen = authProtoLen;
            std::memcpy(s.securityAuthKey, authKey, authKeyLen);
            s.securityAuthKeyLen = authKeyLen;
        }
        if (priv) {
            if (cred.priArith == 1) {
                s.securityPrivProto = usmAESPrivProtocol;
                s.securityPrivProtoLen = OID_LENGTH(usmAESPrivProtocol);
            } else {
                s.securityPrivProto = usmDESPrivProtocol;
                s.securityPrivProtoLen = OID_LENGTH(usmDESPrivProtocol);
            }
            std::memcpy(s.securityPrivKey, privKey, privKeyLen);
            s.securityPrivKeyLen = privKeyLen;
        }
    } else {
        s.version = SNMP_VERSION_1;
        s.community = reinterpret_cast<u_char*>(community.data());
        s.community_len = community.size();
    }
    n.sess = snmp_sess_open(&s);
    if (!n.sess) {
        return CSnmp4w::EC_SEND_FAILED;
    }
    if (cred.version == 3) {
        snmp_sess_session(n.sess)->flags |= SNMP_FLAGS_DONT_PROBE;  // the library would probe inside send
    }
    n.peer = peer;
    n.agentAddr = PeerAddress(peer);
    n.cred = cred;
    n.engineKnown = cred.version != 3;
    return 0;
}

// Attempts of one request within the caller's time-out: each waits an equal share of it, at least
// kMinAttemptMs, at most kMaxAttempts of them. A short time-out gets a single attempt.
constexpr long long kMinAttemptMs = 250;
constexpr long long kMaxAttempts = 6;

namespace {
// The time left is a little short of the caller's time-out by the time the request goes out.
long long AttemptsFor(long long leftNs) {
    return std::clamp<long long>((leftNs + 50'000'000LL) / (kMinAttemptMs * 1'000'000LL), 1, kMaxAttempts);
}
}  // namespace

// One PDU out, its answer in n.response. The PDU is ours to free. Within the time left the request is
// sent up to AttemptsFor times (at most maxAttempts, 0 = no limit of our own), each attempt waiting an
// equal share; an answer to any attempt is the answer.
//
// SNMPv1: the library resends the same message (same request id) and matches its answer by request id.
// SNMPv3: the library would give each resend a new message id and forget the one before, so the answer
// to an earlier attempt would be dropped on a link slower than an attempt's share. Each attempt is sent
// here as a request of its own instead: a copy of the PDU (same request id) with a message id of its
// own, which stays matchable until the step's deadline. An authenticated report that the agent's engine
// time moved (the agent restarted) sends the request once more at once, beside any resend of the
// library's own. Every datagram is screened before the library reads it (Screen); a report without
// authentication ends the step only when no answer came within hintWaitNs after it (-1: one attempt's
// share), with the cause it names.
//
// One message refused on its way (a send error, an ICMP error) ends the step only when every message of
// it that went out was refused; otherwise the others may still be answered.
int CSnmpSession::transact(void* pduPtr, uint64_t generation, long long deadline, bool probe, int maxAttempts,
                           long long hintWaitNs) {
    Net& n = *m_net;
    std::unique_ptr<netsnmp_pdu, void (*)(netsnmp_pdu*)> pdu(static_cast<netsnmp_pdu*>(pduPtr),
                                                             [](netsnmp_pdu* p) { snmp_free_pdu(p); });
    const bool ownAttempts = n.cred.version == 3;
    long long attempts = 1;
    long long shareNs = 0;
    long long sent = 0;
    const long long start = NowNs();
    int sock = -1;
    // Sends one more message of the step (to `engine` when given, the session's otherwise); under g_lib.
    // False when the library refused it.
    auto sendMessage = [&](const std::vector<u_char>* engine = nullptr) -> bool {
        netsnmp_pdu* copy = ownAttempts ? snmp_clone_pdu(pdu.get()) : pdu.release();
        if (!copy) {
            return false;
        }
        netsnmp_session* ss = snmp_sess_session(n.sess);
        if (ownAttempts) {
            ss->retries = 0;
            ss->timeout = static_cast<long>(std::max<long long>(deadline - NowNs(), 1'000'000) / 1000);
            if (n.messagesOut > 0 || n.refusals > 0 || sent > 0) {
                copy->msgid = snmp_get_next_msgid();
            }
            if (engine) {
                SNMP_FREE(copy->securityEngineID);
                copy->securityEngineID = static_cast<u_char*>(netsnmp_memdup(engine->data(), engine->size()));
                copy->securityEngineIDLen = engine->size();
                SNMP_FREE(copy->contextEngineID);
                copy->contextEngineID = static_cast<u_char*>(netsnmp_memdup(engine->data(), engine->size()));
                copy->contextEngineIDLen = engine->size();
            }
        }
        Net::Attempt* token = n.newAttempt();
        if (snmp_sess_async_send(n.sess, copy, OnResponse, token) == 0) {
            token->released = true;
            if (std::getenv("KSX_DEBUG")) {
                char* err = nullptr;
                snmp_sess_error(n.sess, nullptr, nullptr, &err);
                std::fprintf(stderr, "snmplib: send failed: %s\n", err ? err : "?");
                std::free(err);
            }
            snmp_free_pdu(copy);
            return false;
        }
        if (ownAttempts) {
            n.msgIds.push_back(copy->msgid);  // the library keeps the message until it lets go of the token
        }
        ++n.messagesOut;
        return true;
    };
    // A copy of the request to an engine a probe's answer named (Decide); under g_lib.
    auto tryEngine = [&](const std::vector<u_char>& engine) {
        Net::Trial t{engine, false};
        if (MakeUserFor(snmp_sess_session(n.sess), engine, &t.userMade)) {
            n.trials.push_back(t);
            sendMessage(&engine);
        }
    };
    // The user entries made for engines tried and not taken go with the step.
    struct TrialsEnd {
        Net& n;
        ~TrialsEnd() {
            std::lock_guard<std::mutex> lk(g_lib);
            for (const Net::Trial& t : n.trials) {
                if (t.userMade && n.sess) {
                    RemoveUserFor(snmp_sess_session(n.sess), t.engine.data(), t.engine.size());
                }
            }
            n.trials.clear();
        }
    } trialsEnd{n};
    {
        std::lock_guard<std::mutex> lk(g_lib);
        ++n.step;
        n.messagesOut = 0;
        n.refusals = 0;
        n.resyncs = 0;
        n.resyncsSent = 0;
        n.msgIds.clear();
        n.hintStatus = 0;
        n.hintReport = UsmReport::kOther;
        n.hintAt = 0;
        n.hintWaitNs = hintWaitNs;
        n.inferred = false;
        netsnmp_session* ss = snmp_sess_session(n.sess);
        ss->retries = 0;
        snmp_sess_timeout(n.sess);  // reaps requests of earlier steps whose time has passed
        long long left = std::max<long long>(deadline - NowNs(), 1'000'000);
        attempts = AttemptsFor(left);
        if (maxAttempts > 0) {
            attempts = std::min<long long>(attempts, maxAttempts);
        }
        shareNs = left / attempts;
        n.deadline = deadline;
        n.shareNs = shareNs;
        n.level = pdu->securityLevel ? pdu->securityLevel : ss->securityLevel;
        if (!ownAttempts) {
            ss->timeout = static_cast<long>(shareNs / 1000);
            ss->retries = static_cast<int>(attempts - 1);
        }
        if (!probe && n.cred.version == 3) {
            InstallUser(n);
        }
        n.done = false;
        n.dropResponse();
        if (!sendMessage()) {
            return CSnmp4w::EC_SEND_FAILED;
        }
        ++sent;
        n.outstanding = true;
        netsnmp_transport* t = snmp_sess_transport(n.sess);
        sock = t ? t->sock : -1;
    }
    if (sock < 0) {
        return CSnmp4w::EC_SEND_FAILED;
    }
    // The answer ends the step; the library's time-out handling runs at each of its resend times.
    auto finished = [&n]() -> int {
        n.outstanding = false;
        if (n.op == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE && n.response) {
            return 0;
        }
        return n.op == NETSNMP_CALLBACK_OP_TIMED_OUT ? CSnmp4w::EC_TIMEOUT : CSnmp4w::EC_SEND_FAILED;
    };
    for (;;) {
        if (isCancelled(generation)) {
            return CSnmp4w::EC_CANCELLED;
        }
        const long long now = NowNs();
        long long left = deadline - now;
        if (n.hintAt != 0 && now >= n.hintAt) {
            n.inferred =
                true;  // no answer after the report (by the time-out at the latest): it names the cause
            return n.hintStatus;
        }
        if (left <= 0) {
            return CSnmp4w::EC_TIMEOUT;
        }
        if (ownAttempts && n.resyncsSent < n.resyncs) {
            std::lock_guard<std::mutex> lk(g_lib);
            ++n.resyncsSent;
            sendMessage();  // refused: the messages already out may still be answered
            continue;
        }
        if (ownAttempts && sent < attempts && now >= start + sent * shareNs) {
            std::lock_guard<std::mutex> lk(g_lib);
            ++sent;
            sendMessage();
            continue;
        }
        long long waitNs = left;
        if (ownAttempts && sent < attempts) {
            waitNs = std::min(waitNs, start + sent * shareNs - now);
        }
        if (n.hintAt != 0) {
            waitNs = std::min(waitNs, n.hintAt - now);
        }
        {
            std::lock_guard<std::mutex> lk(g_lib);
            int numfds = 0;
            int block = 1;
            timeval tv{};
            netsnmp_large_fd_set set;
            netsnmp_large_fd_set_init(&set, sock + 1);
            snmp_sess_select_info2_flags(n.sess, &numfds, &set, &tv, &block, NETSNMP_SELECT_NOALARMS);
            netsnmp_large_fd_set_cleanup(&set);
            if (!block) {
                waitNs = std::min<long long>(waitNs, tv.tv_sec * 1'000'000'000LL + tv.tv_usec * 1000LL);
            }
        }
        const int cancelAllFd = outlivesCancelAll() ? -1 : g_cancelAllFd.load();
        pollfd fds[3] = {{sock, POLLIN, 0}, {m_wakeFd, POLLIN, 0}, {cancelAllFd, POLLIN, 0}};
        int ms = static_cast<int>(std::min<long long>((waitNs + 999'999) / 1'000'000, INT_MAX));
        int r = ::poll(fds, 3, ms);  // a negative descriptor is left out by poll
        if (r < 0) {
            if (errno == EINTR) {
                continue;
            }
            return CSnmp4w::EC_SEND_FAILED;
        }
        if (r > 0 && fds[1].revents) {
            drainWake();
        }
        if (r > 0 && fds[0].revents) {
            std::lock_guard<std::mutex> lk(g_lib);
            if (ownAttempts) {
                const Verdict v = Screen(n, sock, probe, tryEngine);
                if (v == Verdict::kReset) {
                    return kEngineChanged;  // the messages out are for the engine's life before
                }
                if (v == Verdict::kDrop) {
                    continue;
                }
            }
            netsnmp_large_fd_set set;
            netsnmp_large_fd_set_init(&set, sock + 1);
            NETSNMP_LARGE_FD_SET(sock, &set);
            int rr = snmp_sess_read2(n.sess, &set);
            netsnmp_large_fd_set_cleanup(&set);
            if (n.done) {
                return finished();
            }
            if (rr < 0 && (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL))) {
                // e.g. the port is closed: the end once every message out was refused
                if (++n.refusals >= n.messagesOut) {
                    return CSnmp4w::EC_SEND_FAILED;
                }
            }
        }
        if (r == 0) {
            std::lock_guard<std::mutex> lk(g_lib);
            snmp_sess_timeout(n.sess);  // resends the request when its attempt has run out
            if (n.done) {
                return finished();
            }
        }
    }
}

// A step that ended before its answer leaves its request with the library, which would resend it during
// later steps. Such a session is opened afresh; a known SNMPv3 engine is kept.
void CSnmpSession::dropOutstanding(unsigned long timeoutMs) {
    Net& n = *m_net;
    if (!n.sess || !n.outstanding) {
        return;
    }
    const Credentials cred = n.cred;
    const std::string peer = n.peer;
    const bool engineKnown = n.engineKnown && cred.version == 3;
    std::vector<u_char> engine;
    {
        std::lock_guard<std::mutex> lk(g_lib);
        netsnmp_session* ss = snmp_sess_session(n.sess);
        if (engineKnown && ss->securityEngineID) {
            engine.assign(ss->securityEngineID, ss->securityEngineID + ss->securityEngineIDLen);
        }
    }
    closeSession();
    n.outstanding = false;
    if (openSession(cred, peer, timeoutMs) != 0 || engine.empty()) {
        return;  // the next step opens or discovers again
    }
    std::lock_guard<std::mutex> lk(g_lib);
    netsnmp_session* ss = snmp_sess_session(n.sess);
    ss->securityEngineID = static_cast<u_char*>(netsnmp_memdup(engine.data(), engine.size()));
    ss->securityEngineIDLen = engine.size();
    ss->contextEngineID = static_cast<u_char*>(netsnmp_memdup(engine.data(), engine.size()));
    ss->contextEngineIDLen = engine.size();
    InstallUser(n);
    n.engineKnown = true;
    n.engineVerified = true;
}

// The agent's engine asked (EngineProbe): status 0 and the report in n.response.
int CSnmpSession::askEngine(uint64_t generation, long long deadline, int maxAttempts) {
    netsnmp_pdu* probe = nullptr;
    {
        std::lock_guard<std::mutex> lk(g_lib);
        probe = EngineProbe();
    }
    if (!probe) {
        return CSnmp4w::EC_SEND_FAILED;
    }
    return transact(probe, generation, deadline, true, maxAttempts);
}

int CSnmpSession::discoverEngine(uint64_t generation, long long deadline) {
    Net& n = *m_net;
    int st = askEngine(generation, deadline, 0);
    if (st != 0) {
        return st;
    }
    std::lock_guard<std::mutex> lk(g_lib);
    netsnmp_pdu* resp = n.response;
    if (!resp || !resp->securityEngineIDLen || !resp->securityEngineID) {
        n.dropResponse();
        return CSnmp4w::EC_REFUSED;
    }
    TakeEngine(n, resp->securityEngineID, resp->securityEngineIDLen);
    n.dropResponse();
    return 0;
}

// The wait the probe without privacy may add after an authPriv request's time-out: at most this, and
// never more than the request's own time-out.
constexpr long long kPrivProbeMs = 1000;
// The get with privacy after an answered probe waits this many times the probe's round trip, at least
// kPrivCheckMinMs, never more than the request's own time-out.
constexpr long long kPrivCheckRoundTrips = 4;
constexpr long long kPrivCheckMinMs = 400;

// An authPriv request went unanswered. An agent drops a message its privacy key does not decrypt, without
// a report, so a wrong privacy password looks like a dead device, and a device that stalls for a while
// (a flash write, an outage) looks like either. The privacy password is named wrong only on evidence:
// when the agent answers discovery (in this exchange, or asked once more now) and one authenticated get
// of sysUpTime.0 without privacy (an answer, or a report of a security level the user does not have:
// the user and the authentication password are right), and then the same get with privacy, sent right
// after, goes unanswered within a few of the probe's round trips. The probe has just shown how fast the
// device answers now (a stall has ended by the time it is answered), so that get needs no more; waiting
// the request's whole time-out again would keep callers that give a request its time-out and a little
// more (a poll that starts over, a close) from ever learning the cause. An answer to that get (the
// device is well again and decrypts our messages) leaves the request a time-out; so does any step that
// goes unanswered before it. The get is a read of its own, never the request again: a slow write would
// be slow again.
int CSnmpSession::checkPrivacy(uint64_t generation, unsigned long timeoutMs, bool engineJustFound) {
    Net& n = *m_net;
    const long long probeDeadline =
        NowNs() + std::min<long long>(static_cast<long long>(timeoutMs), kPrivProbeMs) * 1'000'000LL;
    int st = 0;
    if (!engineJustFound) {
        st = askEngine(generation, probeDeadline, 1);
        {
            // Another engine named here is no evidence (a report anyone may send): the request itself
            // follows an agent replaced, on an authenticated answer.
            std::lock_guard<std::mutex> lk(g_lib);
            netsnmp_session* ss = snmp_sess_session(n.sess);
            if (st == 0 && !SameBytes(n.response->securityEngineID, n.response->securityEngineIDLen,
                                      std::vector<u_char>(ss->securityEngineID,
                                                          ss->securityEngineID + ss->securityEngineIDLen))) {
                st = CSnmp4w::EC_TIMEOUT;
            }
            n.dropResponse();
        }
        if (st != 0) {
            return st == CSnmp4w::EC_CANCELLED ? st : CSnmp4w::EC_TIMEOUT;
        }
    }
    static const oid kSysUpTime[] = {1, 3, 6, 1, 2, 1, 1, 3, 0};
    auto uptimeGet = [](int level) -> netsnmp_pdu* {
        netsnmp_pdu* get = snmp_pdu_create(SNMP_MSG_GET);
        if (get) {
            snmp_add_null_var(get, kSysUpTime, OID_LENGTH(kSysUpTime));
            get->securityLevel = level;
        }
        return get;
    };
    netsnmp_pdu* probe = nullptr;
    {
        std::lock_guard<std::mutex> lk(g_lib);
        probe = uptimeGet(SNMP_SEC_LEVEL_AUTHNOPRIV);
    }
    if (!probe) {
        return CSnmp4w::EC_TIMEOUT;
    }
    // A report to the probe is taken at once: the outcome rests on inference whatever it says.
    const long long probeSent = NowNs();
    st = transact(probe, generation, probeDeadline, false, 1, 0);
    const long long roundTripNs = NowNs() - probeSent;
    if (st == kEngineChanged) {
        std::lock_guard<std::mutex> lk(g_lib);
        ForgetEngine(n, true);
        return CSnmp4w::EC_TIMEOUT;
    }
    if (st == CSnmp4w::EC_AUTH_FAILED && n.hintReport == UsmReport::kUnsupportedSecLevel) {
        st =
            0;  // a security level the user does not have: the user and the authentication password are right
    } else if (st != 0) {
        return st == CSnmp4w::EC_CANCELLED || st == CSnmp4w::EC_AUTH_FAILED ? st : CSnmp4w::EC_TIMEOUT;
    }
    netsnmp_pdu* check = nullptr;
    {
        std::lock_guard<std::mutex> lk(g_lib);
        netsnmp_pdu* resp = n.response;
        if (resp && resp->command == SNMP_MSG_REPORT) {
            const int kind = snmpv3_get_report_type(resp);
            st = kind == SNMPERR_UNSUPPORTED_SEC_LEVEL ? 0
                 : kind == SNMPERR_AUTHENTICATION_FAILURE || kind == SNMPERR_UNKNOWN_USER_NAME
                     ? CSnmp4w::EC_AUTH_FAILED
                     : CSnmp4w::EC_TIMEOUT;
        }
        n.dropResponse();
        if (st != 0) {
            return st;
        }
        check = uptimeGet(SNMP_SEC_LEVEL_AUTHPRIV);
    }
    if (!check) {
        return CSnmp4w::EC_TIMEOUT;
    }
    const long long checkNs =
        std::min(static_cast<long long>(timeoutMs) * 1'000'000LL,
                 std::max(kPrivCheckMinMs * 1'000'000LL, kPrivCheckRoundTrips * roundTripNs));
    st = transact(check, generation, NowNs() + checkNs, false, 0, 0);
    if (st == CSnmp4w::EC_CANCELLED || st == CSnmp4w::EC_PRIV_FAILED) {
        return st;
    }
    if (st == CSnmp4w::EC_TIMEOUT) {
        return CSnmp4w::EC_PRIV_FAILED;
    }
    std::lock_guard<std::mutex> lk(g_lib);
    st = CSnmp4w::EC_TIMEOUT;
    if (n.response && n.response->command == SNMP_MSG_REPORT &&
        snmpv3_get_report_type(n.response) == SNMPERR_DECRYPTION_ERR) {
        st = CSnmp4w::EC_PRIV_FAILED;
    }
    n.dropResponse();
    return st;
}

int CSnmpSession::exchange(const Credentials& cred, const char* agent, int pduType,
                           const std::vector<SnmpVarBind>& binds, unsigned long timeoutMs,
                           uint64_t generation, CSnmp*& reply) {
    reply = nullptr;
    m_lastSent.store(false);
    m_lastResent.store(false);
    m_lastInferred.store(false);
    if (isCancelled(generation)) {
        return CSnmp4w::EC_CANCELLED;
    }
    if (pduType != 0 && pduType != 1 && pduType != 3) {
        return CSnmp4w::EC_REFUSED;
    }
    if (timeoutMs == 0) {
        timeoutMs = static_cast<unsigned long>(g_defaultTimeout.load());
    }
    const long long deadline = NowNs() + static_cast<long long>(timeoutMs) * 1'000'000LL;
    AgentAddress addr;
    if (!ParseAgent(agent ? agent : "", addr)) {
        return CSnmp4w::EC_BAD_AGENT;
    }
    std::string peer;
    int st = ResolveHost(
        addr.host, addr.port, deadline, [&] { return isCancelled(generation); }, peer);
    if (st != 0) {
        return st;
    }
    for (const SnmpVarBind& vb : binds) {
        if (!ValidBinding(vb)) {
            return CSnmp4w::EC_REFUSED;
        }
    }
    dropOutstanding(timeoutMs);
    st = openSession(cred, peer, timeoutMs);
    if (st != 0) {
        return st;
    }
    m_net->probed = false;
    m_net->probeMsgId = -1;
    bool engineJustFound = false;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!m_net->engineKnown) {
            st = discoverEngine(generation, deadline);
            if (st != 0) {
                return st;
            }
            engineJustFound = true;
        }
        netsnmp_pdu* pdu = nullptr;
        {
            std::lock_guard<std::mutex> lk(g_lib);
            pdu = BuildPdu(pduType, binds);
        }
        if (!pdu) {
            return CSnmp4w::EC_REFUSED;
        }
        st = transact(pdu, generation, deadline, false);
        // A copy sent again after the engine changed is a resend as much as one after a time-out share.
        const bool resent = m_net->messagesOut > 1 || (attempt > 0 && m_lastSent.load());
        if (m_net->messagesOut > 0) {
            m_lastSent.store(true);
        }
        m_lastResent.store(resent);
        m_lastInferred.store(m_net->inferred);
        if (st == kEngineChanged) {
            std::lock_guard<std::mutex> lk(g_lib);
            ForgetEngine(*m_net, true);
            if (attempt == 0) {
                continue;  // sent once more to the engine as it is now
            }
            return CSnmp4w::EC_TIMEOUT;
        }
        if (st == CSnmp4w::EC_TIMEOUT && cred.version == 3 && (cred.msgFlags & 3) == 3) {
            // Whatever the probes find, it is no word of the device about this request.
            st = checkPrivacy(generation, timeoutMs, engineJustFound);
            m_lastInferred.store(st == CSnmp4w::EC_PRIV_FAILED || st == CSnmp4w::EC_AUTH_FAILED);
            return st;
        }
        if (st != 0) {
            return st;
        }
        std::lock_guard<std::mutex> lk(g_lib);
        netsnmp_pdu* resp = m_net->response;
        if (resp->command == SNMP_MSG_REPORT) {
            int kind = snmpv3_get_report_type(resp);
            m_net->dropResponse();
            if (kind == SNMPERR_DECRYPTION_ERR) {
                return CSnmp4w::EC_PRIV_FAILED;  // usmStatsDecryptionErrors: the privacy key is wrong
            }
            if (kind == SNMPERR_AUTHENTICATION_FAILURE || kind == SNMPERR_UNKNOWN_USER_NAME ||
                kind == SNMPERR_UNSUPPORTED_SEC_LEVEL) {
                return CSnmp4w::EC_AUTH_FAILED;
            }
            return CSnmp4w::EC_REFUSED;
        }
        auto* r = new SnmpReply();
        int errorStatus = static_cast<int>(resp->errstat);
        int errorIndex = static_cast<int>(resp->errindex);
        int index = 0;
        for (netsnmp_variable_list* vb = resp->variables; vb; vb = vb->next_variable) {
            ++index;
            r->binds().push_back(ConvertBinding(vb));
            const int t = vb->type;
            if (errorStatus == 0 &&
                (t == SNMP_NOSUCHOBJECT || t == SNMP_NOSUCHINSTANCE || t == SNMP_ENDOFMIBVIEW)) {
                errorStatus = SNMP_ERR_NOSUCHNAME;  // read the way a v1 agent would answer
                errorIndex = index;
            }
        }
        r->setHeader(pduType, static_cast<int>(resp->reqid), errorStatus, errorIndex);
        r->version = cred.version;
        r->agentErrorStatus = static_cast<int>(resp->errstat);
        r->setAfterResend(resent);
        m_net->dropResponse();
        reply = r;
        return 0;
    }
    return CSnmp4w::EC_REFUSED;
}

bool IsValueless(int type) {
    return IsNoValue(type);
}

SnmpVarBind ConvertVariable(const void* netsnmpVariable) {
    return ConvertBinding(static_cast<const netsnmp_variable_list*>(netsnmpVariable));
}

}  // namespace ksx::snmp

int SnmpInit(void*) {
    ksx::snmp::EnsureInit();
    return 0;
}

void SetSnmpTimeout(int milliseconds) {
    if (milliseconds > 0) {
        ksx::snmp::g_defaultTimeout.store(milliseconds);
    }
}

int GetSnmpTimeout() {
    return ksx::snmp::g_defaultTimeout.load();
}

void SnmpCancelAll() {
    ksx::snmp::g_cancelAll.store(true);
    const int fd = ksx::snmp::g_cancelAllFd.load();
    if (fd >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(fd, &one, sizeof one);
    }
}

bool SnmpAllCancelled() {
    return ksx::snmp::g_cancelAll.load();
}
