// Net-SNMP single sessions driven by our own wait: asynchronous send, then poll on the session socket and a
// wake-up eventfd, so that every step ends at its deadline or at once when cancelled. This unit opens and
// closes the sessions and runs a request's steps (discovery, the request, the privacy check); one step's
// exchange is SnmpExchange.cpp's, the engine and user record UsmRecord.cpp's.
#include "platform/snmplib/SnmpSession.h"

#include "platform/snmplib/SnmpSessionState.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <list>
#include <thread>

namespace ksx::snmp {

std::mutex g_lib;
// SnmpCancelAll: a latch read by every wait, and a descriptor that every wait polls and that stays
// readable once written (never drained), so a request waiting when the latch is set wakes at once.
std::atomic<int> g_cancelAllFd{-1};

long long NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

namespace {

std::once_flag g_initOnce;
std::atomic<int> g_defaultTimeout{5000};
std::atomic<uint64_t> g_generation{0};
std::atomic<int> g_requestId{0};
std::atomic<bool> g_cancelAll{false};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "SnmpCancelAll runs in signal handlers");

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

namespace {

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
    std::lock_guard<std::mutex> lk(g_lib);
    NoteSession(*m_net, true);
}

CSnmpSession::~CSnmpSession() {
    closeSession();
    {
        std::lock_guard<std::mutex> lk(g_lib);
        NoteSession(*m_net, false);
    }
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
        // An engine taken on a report alone (a discovery answer anyone may send) and never heard to answer
        // with our key leaves nothing behind.
        netsnmp_session* ss = snmp_sess_session(m_net->sess);
        if (m_net->cred.version == 3 && !m_net->engineVerified && ss->securityEngineIDLen) {
            DropUnverified(*m_net, std::vector<u_char>(ss->securityEngineID,
                                                       ss->securityEngineID + ss->securityEngineIDLen));
        }
        snmp_sess_close(m_net->sess);
        m_net->sess = nullptr;
    }
    m_net->attempts.clear();  // the library has let go of every request of the session
    m_net->outstanding = false;
    m_net->engineVerified = false;
    m_net->engineKnown = false;
    m_net->authKey.clear();
    m_net->privKey.clear();
}

int CSnmpSession::openSession(const Credentials& cred, const std::string& peer, unsigned long timeoutMs) {
    Net& n = *m_net;
    if (n.sess && n.peer == peer && n.cred == cred) {
        return 0;
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
    const bool verified = n.engineVerified;
    std::vector<u_char> engine;
    {
        std::lock_guard<std::mutex> lk(g_lib);
        netsnmp_session* ss = snmp_sess_session(n.sess);
        if (engineKnown && ss->securityEngineID) {
            engine.assign(ss->securityEngineID, ss->securityEngineID + ss->securityEngineIDLen);
        }
    }
    n.engineVerified = true;  // kept: what it left stays with the session
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
    n.engineVerified = verified;
}

// The agent's engine asked (EngineProbe): status 0 and the report in s.response.
int CSnmpSession::askEngine(Step& s, uint64_t generation, long long deadline, int maxAttempts) {
    netsnmp_pdu* probe = nullptr;
    {
        std::lock_guard<std::mutex> lk(g_lib);
        probe = EngineProbe();
    }
    if (!probe) {
        return CSnmp4w::EC_SEND_FAILED;
    }
    return transact(probe, s, generation, deadline, true, maxAttempts);
}

// The engine id a report answering the probe names (only a usable one reaches the library: Decide).
int CSnmpSession::discoverEngine(uint64_t generation, long long deadline) {
    Net& n = *m_net;
    Step s;
    int st = askEngine(s, generation, deadline, 0);
    if (st != 0) {
        return st;
    }
    std::lock_guard<std::mutex> lk(g_lib);
    netsnmp_pdu* resp = s.response.get();
    if (!resp || !UsableEngineId(resp->securityEngineID, resp->securityEngineIDLen)) {
        return CSnmp4w::EC_REFUSED;
    }
    TakeEngine(n, resp->securityEngineID, resp->securityEngineIDLen);
    return 0;
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
        Step s;
        st = transact(pdu, s, generation, deadline, false);
        // A copy sent again after the engine changed is a resend as much as one after a time-out share.
        const bool resent = s.messagesOut > 1 || (attempt > 0 && m_lastSent.load());
        if (s.messagesOut > 0) {
            m_lastSent.store(true);
        }
        m_lastResent.store(resent);
        m_lastInferred.store(s.inferred);
        if (st == kEngineChanged) {
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
        netsnmp_pdu* resp = s.response.get();
        if (resp->command == SNMP_MSG_REPORT) {
            int kind = snmpv3_get_report_type(resp);
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
        reply = r;
        return 0;
    }
    return CSnmp4w::EC_REFUSED;
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
