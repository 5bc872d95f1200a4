// Differential libFuzzer target: the SNMPv3 filter's decision on a datagram against Net-SNMP's own parse of
// the same bytes. Whenever the decision lets a datagram through (passed to the library, or acted on as a
// hint or as news of the agent's engine), the library must read the same message id, flags, security
// model, engine id, boots and time, user, PDU type, request id and first binding, and must act as the
// verdict assumes (take a passed answer, read a hint as the same report, refuse a reset engine's message
// as out of its time window). A genuine answer the library would take is never dropped.
//
// Authentication parameters of the right length that are all zero are filled with the keyed hash where
// our reader found them, so that mutations reach the authenticated paths; where the library reads them
// elsewhere, its check fails and the difference shows. Three sessions are tried on each input: authPriv
// with HMAC-MD5, authNoPriv with HMAC-SHA-1, noAuthNoPriv.
#include <arpa/inet.h>
#include <netinet/in.h>

// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/library/lcd_time.h>
#include <net-snmp/library/scapi.h>
#include <net-snmp/library/snmpusm.h>
#include <net-snmp/library/transform_oids.h>
// clang-format on

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/snmplib/Snmp.h"
#include "platform/snmplib/UsmFilter.h"
#include "platform/snmplib/UsmHeader.h"

namespace {

using ksx::snmp::UsmFilterState;
using ksx::snmp::UsmHeader;
using ksx::snmp::UsmVerdict;
using Bytes = std::vector<uint8_t>;

// The agent's engine and its authenticated clock, the messages awaited (7 the discovery probe).
const Bytes kEngine = {0x80, 0x00, 0x1f, 0x88, 0x80, 'k', 's', 'x', '-', 'a', 'g', 'e', 'n', 't'};
constexpr unsigned long kBoots = 5, kTime = 1000;
const std::vector<long> kAwaited = {7, 300, 0x12345678};
constexpr long kDiscovery = 7;

[[noreturn]] void Disagree(const char* what) {
    std::fprintf(stderr, "fuzz_usm_filter: %s\n", what);
    __builtin_trap();
}

struct Session {
    const char* user;
    int level, authArith;
    oid* authProto;
    size_t authProtoLen;
    Bytes ku, kuPriv;  // the keys from the passwords
    UsmFilterState state;
};

Bytes Ku(oid* proto, size_t protoLen, const char* password) {
    u_char key[USM_AUTH_KU_LEN];
    size_t len = sizeof key;
    generate_Ku(proto, static_cast<u_int>(protoLen), reinterpret_cast<const u_char*>(password),
                std::strlen(password), key, &len);
    return {key, key + len};
}

Bytes Localize(const Session& s, const Bytes& engine, const Bytes& ku) {
    u_char key[USM_AUTH_KU_LEN];
    size_t len = sizeof key;
    if (ku.empty() || engine.empty() ||
        generate_kul(s.authProto, static_cast<u_int>(s.authProtoLen), engine.data(), engine.size(),
                     const_cast<u_char*>(ku.data()), ku.size(), key, &len) != SNMPERR_SUCCESS) {
        return {};
    }
    return {key, key + len};
}

Bytes Localize(const Session& s, const Bytes& engine) {
    return Localize(s, engine, s.ku);
}

// The library's user entry for `s` at `engine`; true when it was made here (to be removed after).
bool AddUser(const Session& s, const Bytes& engine) {
    if (engine.empty() || usm_get_user(engine.data(), engine.size(), const_cast<char*>(s.user))) {
        return false;
    }
    netsnmp_session ss;
    snmp_sess_init(&ss);
    ss.version = SNMP_VERSION_3;
    ss.securityModel = SNMP_SEC_MODEL_USM;
    ss.securityName = const_cast<char*>(s.user);
    ss.securityNameLen = std::strlen(s.user);
    ss.securityLevel = s.level;
    ss.securityEngineID = const_cast<u_char*>(engine.data());
    ss.securityEngineIDLen = engine.size();
    // Protocols as an opened session has them (its defaults where unused), keys as the level needs.
    ss.securityAuthProto = s.authProto ? s.authProto : usmHMACMD5AuthProtocol;
    ss.securityAuthProtoLen = s.authProto ? s.authProtoLen : OID_LENGTH(usmHMACMD5AuthProtocol);
    ss.securityPrivProto = usmDESPrivProtocol;
    ss.securityPrivProtoLen = OID_LENGTH(usmDESPrivProtocol);
    if (s.level >= SNMP_SEC_LEVEL_AUTHNOPRIV) {
        std::memcpy(ss.securityAuthKey, s.ku.data(), s.ku.size());
        ss.securityAuthKeyLen = s.ku.size();
    }
    if (s.level == SNMP_SEC_LEVEL_AUTHPRIV) {
        std::memcpy(ss.securityPrivKey, s.kuPriv.data(), s.kuPriv.size());
        ss.securityPrivKeyLen = s.kuPriv.size();
    }
    return usm_create_user_from_session(&ss) == SNMPERR_SUCCESS;
}

std::vector<Session>& Sessions() {
    static std::vector<Session> sessions = [] {
        SnmpInit();
        std::vector<Session> v = {
            {"ksx-ap",
             SNMP_SEC_LEVEL_AUTHPRIV,
             0,
             usmHMACMD5AuthProtocol,
             OID_LENGTH(usmHMACMD5AuthProtocol),
             {},
             {},
             {}},
            {"ksx-an",
             SNMP_SEC_LEVEL_AUTHNOPRIV,
             1,
             usmHMACSHA1AuthProtocol,
             OID_LENGTH(usmHMACSHA1AuthProtocol),
             {},
             {},
             {}},
            {"ksx-n", SNMP_SEC_LEVEL_NOAUTH, 0, nullptr, 0, {}, {}, {}},
        };
        for (Session& s : v) {
            if (s.level >= SNMP_SEC_LEVEL_AUTHNOPRIV) {
                s.ku = Ku(s.authProto, s.authProtoLen, "fuzz-auth-pass");
                s.kuPriv = Ku(s.authProto, s.authProtoLen, "fuzz-priv-pass");
            }
            UsmFilterState& st = s.state;
            st.user = s.user;
            st.securityLevel = s.level;
            st.authArith = s.authArith;
            st.engineId = kEngine;
            st.authKey = Localize(s, kEngine);
            if (s.level == SNMP_SEC_LEVEL_AUTHPRIV) {
                st.privKey = Localize(s, kEngine, s.kuPriv);  // CBC-DES, as the library's user entry has it
                st.privArith = 0;
            }
            const Session* self = &s;
            st.localize = [self](const Bytes& engine) { return Localize(*self, engine); };
            auto& a = reinterpret_cast<sockaddr_in&>(st.agent);
            a.sin_family = AF_INET;
            a.sin_port = htons(161);
            a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            st.timeKnown = true;
            st.boots = kBoots;
            st.time = kTime;
            st.awaited = kAwaited;
            st.discovery = kDiscovery;
            AddUser(s, kEngine);
        }
        return v;
    }();
    return sessions;
}

Bytes Of(const u_char* p, size_t n) {
    return p ? Bytes(p, p + n) : Bytes{};
}

// The library's parse of `msg` for session `s`, compared with what the verdict `v` took from it.
void Check(const Session& s, const Bytes& msg, const UsmHeader& h, const UsmVerdict& v) {
    const bool added = AddUser(s, h.engineId);
    // Each input meets the same clocks: the agent's as the session knows it, any other engine unknown.
    if (!h.engineId.empty()) {
        const bool agent = h.engineId == kEngine;
        set_enginetime(h.engineId.data(), static_cast<u_int>(h.engineId.size()), agent ? kBoots : 0,
                       agent ? kTime : 0, TRUE);
    }
    netsnmp_session ss;
    snmp_sess_init(&ss);
    ss.version = SNMP_VERSION_3;
    ss.securityModel = SNMP_SEC_MODEL_USM;
    auto* pdu = static_cast<netsnmp_pdu*>(std::calloc(1, sizeof(netsnmp_pdu)));
    Bytes copy = msg;  // the library zeroes the digest where it reads it
    const int rc = snmp_parse(nullptr, &ss, pdu, copy.data(), copy.size());
    const bool encrypted = (h.flags & SNMP_MSG_FLAG_PRIV_BIT) != 0;
    const bool authenticated = (h.flags & SNMP_MSG_FLAG_AUTH_BIT) != 0;
    u_int boots = 0, time = 0, last = 0;
    if (authenticated && !h.engineId.empty()) {
        get_enginetime_ex(const_cast<u_char*>(h.engineId.data()), static_cast<u_int>(h.engineId.size()),
                          &boots, &time, &last, TRUE);
    }
    if (added) {
        if (usmUser* u = usm_get_user(h.engineId.data(), h.engineId.size(), const_cast<char*>(s.user))) {
            usm_remove_user(u);
            usm_free_user(u);
        }
    }
    if (!h.engineId.empty() && h.engineId != kEngine) {
        free_enginetime(const_cast<u_char*>(h.engineId.data()), h.engineId.size());
    }
    const int level = authenticated ? (encrypted ? SNMP_SEC_LEVEL_AUTHPRIV : SNMP_SEC_LEVEL_AUTHNOPRIV)
                                    : SNMP_SEC_LEVEL_NOAUTH;
    // What the library took from the message (an encrypted scoped PDU garbled by a mutation may still fail
    // to parse after the security parameters checked out).
    const bool read = rc == SNMPERR_SUCCESS ||
                      (encrypted && (rc == SNMPERR_ASN_PARSE_ERR || rc == SNMPERR_USM_DECRYPTIONERROR));
    const bool reset = v.kind == UsmVerdict::kReset;
    if (!(reset ? rc == SNMPERR_USM_NOTINTIMEWINDOW : read)) {
        std::fprintf(stderr, "verdict %d, library %d\n", v.kind, rc);
        Disagree("the library does not take the message as the verdict assumes");
    }
    if (pdu->msgid != h.msgId || v.msgId != h.msgId || pdu->securityModel != SNMP_SEC_MODEL_USM ||
        pdu->securityLevel != level ||
        (pdu->flags & SNMP_MSG_FLAG_RPRT_BIT) != (h.flags & SNMP_MSG_FLAG_RPRT_BIT) ||
        Of(pdu->securityEngineID, pdu->securityEngineIDLen) != h.engineId ||
        Of(reinterpret_cast<u_char*>(pdu->securityName), pdu->securityNameLen) != h.user) {
        Disagree("the library reads another header");
    }
    // A message the library fails to decrypt leaves the clock as it was.
    if (authenticated && !reset && rc != SNMPERR_USM_DECRYPTIONERROR &&
        !(boots == h.boots && last == h.time) &&
        !(boots == kBoots && h.boots == kBoots && h.time <= kTime && h.engineId == kEngine)) {
        std::fprintf(stderr, "library %d: boots %u time %u\n", rc, boots, last);
        Disagree("the library reads other boots or time");
    }
    if (!encrypted && rc == SNMPERR_SUCCESS) {
        const std::vector<unsigned long> first =
            pdu->variables ? std::vector<unsigned long>(pdu->variables->name,
                                                        pdu->variables->name + pdu->variables->name_length)
                           : std::vector<unsigned long>{};
        if (pdu->command != h.pduType || pdu->reqid != h.requestId || first != h.firstName) {
            Disagree("the library reads another PDU");
        }
        if (v.kind == UsmVerdict::kHint && pdu->command != SNMP_MSG_REPORT) {
            Disagree("a hint the library takes for no report");
        }
        if (v.kind == UsmVerdict::kPass && pdu->command != SNMP_MSG_RESPONSE &&
            pdu->command != SNMP_MSG_REPORT) {
            Disagree("a message passed that the library takes for no answer");
        }
    }
    snmp_free_pdu(pdu);
}

// A genuine answer the library takes must not be dropped: authenticated with our key at our level, of our
// user and engine, answering an awaited message in a clock the session knows.
void CheckDropped(const Session& s, const Bytes& msg, const UsmHeader& h) {
    const UsmFilterState& st = s.state;
    if (s.level < SNMP_SEC_LEVEL_AUTHNOPRIV || h.engineId != kEngine ||
        (h.flags & 3) != (s.level == 3 ? 3 : 1) || h.user != Bytes(st.user.begin(), st.user.end()) ||
        h.pduType != SNMP_MSG_RESPONSE ||
        std::find(kAwaited.begin(), kAwaited.end(), h.msgId) == kAwaited.end() || h.boots != kBoots ||
        h.time < kTime || (h.flags & SNMP_MSG_FLAG_RPRT_BIT)) {
        return;
    }
    set_enginetime(kEngine.data(), static_cast<u_int>(kEngine.size()), kBoots, kTime, TRUE);
    netsnmp_session ss;
    snmp_sess_init(&ss);
    ss.version = SNMP_VERSION_3;
    auto* pdu = static_cast<netsnmp_pdu*>(std::calloc(1, sizeof(netsnmp_pdu)));
    Bytes copy = msg;
    if (snmp_parse(nullptr, &ss, pdu, copy.data(), copy.size()) == SNMPERR_SUCCESS &&
        pdu->command == SNMP_MSG_RESPONSE) {
        Disagree("a genuine answer the library takes was dropped");
    }
    snmp_free_pdu(pdu);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (const Session& s : Sessions()) {
        Bytes msg(data, data + size);
        UsmHeader h;
        if (!ksx::snmp::ParseUsmHeader(msg.data(), msg.size(), h)) {
            continue;
        }
        if (h.authOffset > size || h.authLength > size - h.authOffset) {
            Disagree("authentication parameters outside the message");
        }
        // All-zero parameters of the right length: signed where we read them.
        const int macLen = s.authProto ? sc_get_auth_maclen(sc_get_authtype(s.authProto, s.authProtoLen)) : 0;
        const Bytes key = Localize(s, h.engineId);
        if ((h.flags & SNMP_MSG_FLAG_AUTH_BIT) && macLen > 0 && h.authLength == static_cast<size_t>(macLen) &&
            !key.empty() &&
            std::all_of(msg.begin() + h.authOffset, msg.begin() + h.authOffset + h.authLength,
                        [](uint8_t b) { return b == 0; })) {
            u_char mac[SNMP_MAXBUF_SMALL];
            size_t macBuf = sizeof mac;
            if (sc_generate_keyed_hash(s.authProto, s.authProtoLen, key.data(),
                                       static_cast<u_int>(key.size()), msg.data(),
                                       static_cast<u_int>(msg.size()), mac, &macBuf) == SNMPERR_SUCCESS) {
                std::memcpy(msg.data() + h.authOffset, mac, h.authLength);
            }
        }
        const UsmVerdict v = ksx::snmp::DecideUsm(msg.data(), msg.size(), s.state.agent, s.state);
        if (v.kind == UsmVerdict::kDrop) {
            CheckDropped(s, msg, h);
        } else {
            Check(s, msg, h, v);
        }
    }
    return 0;
}
