// One request's exchange on a session: its message and copies, the wait for their answer, and what the
// datagrams that arrive meanwhile mean (Screen). Everything a step learns lives in its Step and goes with
// it.
#include "platform/snmplib/SnmpSessionState.h"

// clang-format off
#include <net-snmp/library/large_fd_set.h>
#include <net-snmp/library/snmpusm.h>
// clang-format on

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace ksx::snmp {
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
    CSnmpSession::Step* step = net->current;
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
    if (!step || step->done || attempt->step != net->stepId) {
        return result;
    }
    switch (op) {
        case NETSNMP_CALLBACK_OP_RESEND:
            // The library sent the request again (after an authenticated report of the engine's time, with
            // a message id of its own): still waiting for its answer, which may answer that message.
            ++step->messagesOut;
            if (pdu && net->cred.version == 3) {
                step->msgIds.push_back(pdu->msgid);
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
            if (step->resyncs < kMaxResyncs) {
                ++step->resyncs;
            }
            return result;
        }
    }
    step->done = true;
    step->op = op;
    step->setResponse(received && pdu ? snmp_clone_pdu(pdu) : nullptr);
    return result;
}

// What becomes of a datagram waiting on an SNMPv3 session's socket (Screen).
enum class Verdict {
    kPass,   // the library reads it
    kDrop,   // taken off unread
    kReset,  // taken off: an authenticated report shows the agent started afresh with its engine id
};

// At most this many engines named by reports of an unknown engine id are tried per step.
constexpr size_t kMaxTrials = 3;

constexpr uint8_t kReportPdu = 0xa8;

// Decides on a datagram before the library may read it. The library takes far more from a message than an
// answer: the agent's boots and time, a report that makes it send the request again on its own, the end of
// a request. So on an SNMPv3 session the filter (DecideUsm) lets through only what it has read as the
// library will, from the agent's address, answering a message of the step still awaited, and authenticated
// with our key (on a session without authentication: a response), and here:
// - an authenticated answer from an engine being tried takes that engine (any other engine is no answer:
//   the library holds no user of ours for it);
// - an authenticated report showing the engine started afresh with its engine id ends the step (kReset);
//   an authenticated response showing so is the answer (the copy it answers was applied): the engine's
//   boots and time are taken from it, so that the library reads it within the time window;
// - a report without authentication (anyone may send one) is a hint only: it is taken off, and names the
//   cause (wrong password, unknown user, privacy) only when no answer has come by the step's deadline.
//   In a discovery step the agent's report naming a usable engine id is the answer awaited. A report of
//   an unknown engine id sends one discovery probe for the step, and each engine an answer to that probe
//   names is tried with a copy of the request, the copies sent before staying awaited.
// Under g_lib.
Verdict Decide(CSnmpSession::Net& n, CSnmpSession::Step& s, const uint8_t* data, size_t size,
               const sockaddr_storage& from,
               const std::function<void(const std::vector<u_char>&)>& tryEngine) {
    netsnmp_session* ss = snmp_sess_session(n.sess);
    auto tried = [&s](const std::vector<uint8_t>& engine) {
        return std::any_of(s.trials.begin(), s.trials.end(),
                           [&engine](const CSnmpSession::Step::Trial& t) { return t.engine == engine; });
    };
    UsmFilterState st;
    st.user.assign(ss->securityName ? ss->securityName : "", ss->securityNameLen);
    st.securityLevel = s.level;
    st.authArith = n.cred.authArith;
    st.authKey = n.authKey;
    st.privKey = n.privKey;
    st.privArith = n.cred.priArith;
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
    st.awaited = s.msgIds;
    if (s.probeMsgId >= 0) {
        st.awaited.push_back(s.probeMsgId);
    }
    UsmVerdict v = DecideUsm(data, size, from, st);
    // Without authentication the filter takes a response only from the engine it is given: each one tried.
    for (size_t i = 0;
         v.kind == UsmVerdict::kDrop && st.securityLevel == SNMP_SEC_LEVEL_NOAUTH && i < s.trials.size();
         ++i) {
        st.engineId = s.trials[i].engine;
        if (DecideUsm(data, size, from, st).kind == UsmVerdict::kPass) {
            v.kind = UsmVerdict::kReplaced;
            v.engineId = st.engineId;
        }
    }
    switch (v.kind) {
        case UsmVerdict::kPass:
            NoteVerified(n);
            InstallUser(n);  // the library reads the answer with our entry, whatever another session did
            return Verdict::kPass;
        case UsmVerdict::kReplaced:
            if (!tried(v.engineId)) {
                return Verdict::kDrop;
            }
            TakeTrial(n, v.engineId);
            std::erase_if(s.trials,
                          [&v](const CSnmpSession::Step::Trial& t) { return t.engine == v.engineId; });
            return Verdict::kPass;
        case UsmVerdict::kReset:
            if (v.pduType == kReportPdu) {
                return Verdict::kReset;
            }
            set_enginetime(ss->securityEngineID, static_cast<u_int>(ss->securityEngineIDLen),
                           static_cast<u_int>(v.boots), static_cast<u_int>(v.time), TRUE);
            NoteVerified(n);
            InstallUser(n);
            return Verdict::kPass;
        case UsmVerdict::kDrop:
            return Verdict::kDrop;
        case UsmVerdict::kHint:
            break;
    }
    const bool otherEngine = v.engineId != st.engineId && !v.engineId.empty();
    const bool usable = UsableEngineId(v.engineId.data(), v.engineId.size());
    if (v.msgId == s.probeMsgId) {  // the probe a report of an unknown engine id sent
        if (otherEngine && usable && !tried(v.engineId) && s.trials.size() < kMaxTrials) {
            tryEngine(v.engineId);
        }
        return Verdict::kDrop;
    }
    if (s.discovery) {
        return usable && (v.report == UsmReport::kUnknownEngineId || v.report == UsmReport::kUnknownUserName)
                   ? Verdict::kPass
                   : Verdict::kDrop;
    }
    if (v.report == UsmReport::kUnknownEngineId) {  // ask the engine at the address, once per step
        netsnmp_pdu* probe = otherEngine && !s.probed ? EngineProbe() : nullptr;
        if (probe) {
            s.probed = true;
            CSnmpSession::Net::Attempt* token = n.newAttempt();
            if (snmp_sess_async_send(n.sess, probe, OnResponse, token) == 0) {
                token->released = true;
                snmp_free_pdu(probe);
            } else {
                s.probeMsgId = probe->msgid;  // the library keeps the message until it lets go of the token
            }
        }
        return Verdict::kDrop;
    }
    const int status = v.report == UsmReport::kDecryptionError ? CSnmp4w::EC_PRIV_FAILED
                       : v.report == UsmReport::kWrongDigest || v.report == UsmReport::kUnknownUserName ||
                               v.report == UsmReport::kUnsupportedSecLevel
                           ? CSnmp4w::EC_AUTH_FAILED
                           : 0;
    if (status != 0 && s.hintStatus == 0) {
        s.hintStatus = status;
        s.hintReport = v.report;
    }
    return Verdict::kDrop;
}

// Peeks at the datagram waiting on the session's socket and decides on it (Decide); one not passed is
// taken off the socket. An error queued on the socket (an ICMP refusal) is the library's to read.
Verdict Screen(CSnmpSession::Net& n, CSnmpSession::Step& s, int sock,
               const std::function<void(const std::vector<u_char>&)>& tryEngine) {
    static std::vector<uint8_t> buf(65536);  // a whole datagram
    sockaddr_storage from{};
    socklen_t fromLen = sizeof from;
    const ssize_t got = ::recvfrom(sock, buf.data(), buf.size(), MSG_PEEK | MSG_DONTWAIT,
                                   reinterpret_cast<sockaddr*>(&from), &fromLen);
    if (got < 0) {
        return Verdict::kPass;
    }
    const Verdict v = Decide(n, s, buf.data(), static_cast<size_t>(got), from, tryEngine);
    if (v != Verdict::kPass) {
        ::recv(sock, buf.data(), 1, MSG_DONTWAIT);  // the rest of a datagram goes with it
    }
    return v;
}

}  // namespace

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

// One PDU out, its answer in s.response. The PDU is ours to free. Within the time left the request is
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
// authentication never ends the step before its deadline: an answer to any copy is taken until then, and
// only at the deadline does the report name the cause.
//
// One message refused on its way (a send error, an ICMP error) ends the step only when every message of
// it that went out was refused; otherwise the others may still be answered.
int CSnmpSession::transact(void* pduPtr, Step& s, uint64_t generation, long long deadline, bool discovery,
                           int maxAttempts) {
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
            if (s.messagesOut > 0 || s.refusals > 0 || sent > 0) {
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
            s.msgIds.push_back(copy->msgid);  // the library keeps the message until it lets go of the token
        }
        ++s.messagesOut;
        return true;
    };
    // A copy of the request to an engine a probe's answer named (Decide); under g_lib.
    auto tryEngine = [&](const std::vector<u_char>& engine) {
        Step::Trial t{engine, false};
        if (MakeUserFor(snmp_sess_session(n.sess), engine, &t.userMade)) {
            s.trials.push_back(t);
            sendMessage(&engine);
        }
    };
    // The step is waited for until it ends; what the engines tried and not taken left goes with it.
    struct StepEnd {
        Net& n;
        Step& s;
        ~StepEnd() {
            std::lock_guard<std::mutex> lk(g_lib);
            n.current = nullptr;
            for (const Step::Trial& t : s.trials) {
                if (n.sess) {
                    DropUnverified(n, t.engine, &t.userMade);
                }
            }
            s.trials.clear();
        }
    } stepEnd{n, s};
    {
        std::lock_guard<std::mutex> lk(g_lib);
        ++n.stepId;
        n.current = &s;
        s.discovery = discovery;
        netsnmp_session* ss = snmp_sess_session(n.sess);
        ss->retries = 0;
        snmp_sess_timeout(n.sess);  // reaps requests of earlier steps whose time has passed
        long long left = std::max<long long>(deadline - NowNs(), 1'000'000);
        attempts = AttemptsFor(left);
        if (maxAttempts > 0) {
            attempts = std::min<long long>(attempts, maxAttempts);
        }
        shareNs = left / attempts;
        s.level = pdu->securityLevel ? pdu->securityLevel : ss->securityLevel;
        if (!ownAttempts) {
            ss->timeout = static_cast<long>(shareNs / 1000);
            ss->retries = static_cast<int>(attempts - 1);
        }
        if (!discovery && n.cred.version == 3) {
            InstallUser(n);
        }
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
    auto finished = [&n, &s]() -> int {
        n.outstanding = false;
        if (s.op == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE && s.response) {
            return 0;
        }
        return s.op == NETSNMP_CALLBACK_OP_TIMED_OUT ? CSnmp4w::EC_TIMEOUT : CSnmp4w::EC_SEND_FAILED;
    };
    for (;;) {
        if (isCancelled(generation)) {
            return CSnmp4w::EC_CANCELLED;
        }
        const long long now = NowNs();
        long long left = deadline - now;
        if (left <= 0) {
            if (s.hintStatus != 0) {
                s.inferred = true;  // no answer after the report by the time-out: it names the cause
                return s.hintStatus;
            }
            return CSnmp4w::EC_TIMEOUT;
        }
        if (ownAttempts && s.resyncsSent < s.resyncs) {
            std::lock_guard<std::mutex> lk(g_lib);
            ++s.resyncsSent;
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
        std::lock_guard<std::mutex> lk(g_lib);
        if (r > 0 && fds[0].revents) {
            const Verdict v = ownAttempts ? Screen(n, s, sock, tryEngine) : Verdict::kPass;
            if (v == Verdict::kReset) {
                // The messages out are for the engine's life before: every caller starts from an engine
                // to discover anew.
                ForgetEngine(n, true);
                return kEngineChanged;
            }
            if (v == Verdict::kPass) {
                netsnmp_large_fd_set set;
                netsnmp_large_fd_set_init(&set, sock + 1);
                NETSNMP_LARGE_FD_SET(sock, &set);
                int rr = snmp_sess_read2(n.sess, &set);
                netsnmp_large_fd_set_cleanup(&set);
                if (s.done) {
                    return finished();
                }
                if (rr < 0 && (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL))) {
                    // e.g. the port is closed: the end once every message out was refused
                    if (++s.refusals >= s.messagesOut) {
                        return CSnmp4w::EC_SEND_FAILED;
                    }
                }
            }
        }
        // Resends the request when its attempt has run out, also while datagrams keep arriving: a
        // stream of them (other senders, late answers) must not stand in for the library's clock.
        snmp_sess_timeout(n.sess);
        if (s.done) {
            return finished();
        }
    }
}

}  // namespace ksx::snmp
