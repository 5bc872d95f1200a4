// The privacy check of an authPriv request that went unanswered: a wrong privacy password told apart from
// a dead or stalled device on evidence only.
#include "platform/snmplib/SnmpSessionState.h"

#include <algorithm>

namespace ksx::snmp {

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
        Step ask;
        st = askEngine(ask, generation, probeDeadline, 1);
        {
            // Another engine named here is no evidence (a report anyone may send): the request itself
            // follows an agent replaced, on an authenticated answer.
            std::lock_guard<std::mutex> lk(g_lib);
            netsnmp_session* ss = snmp_sess_session(n.sess);
            if (st == 0 && !SameBytes(ask.response->securityEngineID, ask.response->securityEngineIDLen,
                                      std::vector<u_char>(ss->securityEngineID,
                                                          ss->securityEngineID + ss->securityEngineIDLen))) {
                st = CSnmp4w::EC_TIMEOUT;
            }
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
    // A report to the probe names its cause at the probe's deadline: the outcome rests on inference
    // whatever it says.
    const long long probeSent = NowNs();
    Step probeStep;
    st = transact(probe, probeStep, generation, probeDeadline, false, 1);
    const long long roundTripNs = NowNs() - probeSent;
    if (st == kEngineChanged) {
        return CSnmp4w::EC_TIMEOUT;
    }
    if (st == CSnmp4w::EC_AUTH_FAILED && probeStep.hintReport == UsmReport::kUnsupportedSecLevel) {
        st =
            0;  // a security level the user does not have: the user and the authentication password are right
    } else if (st != 0) {
        return st == CSnmp4w::EC_CANCELLED || st == CSnmp4w::EC_AUTH_FAILED ? st : CSnmp4w::EC_TIMEOUT;
    }
    netsnmp_pdu* check = nullptr;
    {
        std::lock_guard<std::mutex> lk(g_lib);
        netsnmp_pdu* resp = probeStep.response.get();
        if (resp && resp->command == SNMP_MSG_REPORT) {
            const int kind = snmpv3_get_report_type(resp);
            st = kind == SNMPERR_UNSUPPORTED_SEC_LEVEL ? 0
                 : kind == SNMPERR_AUTHENTICATION_FAILURE || kind == SNMPERR_UNKNOWN_USER_NAME
                     ? CSnmp4w::EC_AUTH_FAILED
                     : CSnmp4w::EC_TIMEOUT;
        }
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
    Step checkStep;
    st = transact(check, checkStep, generation, NowNs() + checkNs, false, 0);
    if (st == CSnmp4w::EC_CANCELLED || st == CSnmp4w::EC_PRIV_FAILED) {
        return st;
    }
    if (st == CSnmp4w::EC_TIMEOUT) {
        return CSnmp4w::EC_PRIV_FAILED;
    }
    std::lock_guard<std::mutex> lk(g_lib);
    st = CSnmp4w::EC_TIMEOUT;
    if (checkStep.response && checkStep.response->command == SNMP_MSG_REPORT &&
        snmpv3_get_report_type(checkStep.response.get()) == SNMPERR_DECRYPTION_ERR) {
        st = CSnmp4w::EC_PRIV_FAILED;
    }
    return st;
}

}  // namespace ksx::snmp
