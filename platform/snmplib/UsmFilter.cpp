#include "platform/snmplib/UsmFilter.h"

// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/library/scapi.h>
#include <net-snmp/library/transform_oids.h>
// clang-format on

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/snmplib/UsmHeader.h"

namespace ksx::snmp {
namespace {

// RFC 3414's time window: a message this many seconds behind the engine time known is out of it.
constexpr unsigned long kTimeWindowS = 150;

constexpr uint8_t kAuthFlag = 1, kPrivFlag = 2, kReportableFlag = 4;
constexpr uint8_t kResponsePdu = 0xa2, kReportPdu = 0xa8;
constexpr int kNoAuth = 1, kAuthNoPriv = 2;

int LevelOf(uint8_t flags) {
    return (flags & kAuthFlag) ? ((flags & kPrivFlag) ? 3 : kAuthNoPriv) : kNoAuth;
}

UsmVerdict Verdict(UsmVerdict::Kind kind, const UsmHeader& h) {
    UsmVerdict v;
    v.kind = kind;
    v.msgId = h.msgId;
    v.pduType = h.pduType;
    return v;
}

// Without authentication: a report is a hint (the agent's answer to the discovery probe goes to the
// library); a response at our level passes only on a session without authentication.
UsmVerdict DecideUnauthenticated(const UsmHeader& h, const UsmFilterState& st, bool ourUser) {
    if (h.pduType == kReportPdu) {
        // The agent names our user in a report, or none (the probe's empty user).
        if (!ourUser && !h.user.empty()) {
            return {};
        }
        const bool discovery = h.msgId == st.discovery && (h.report == UsmReport::kUnknownEngineId ||
                                                           h.report == UsmReport::kUnknownUserName);
        UsmVerdict v = Verdict(discovery ? UsmVerdict::kPass : UsmVerdict::kHint, h);
        v.report = h.report;
        v.engineId = h.engineId;
        return v;
    }
    if (st.securityLevel == kNoAuth && h.pduType == kResponsePdu && ourUser &&
        (st.engineId.empty() || h.engineId == st.engineId)) {
        return Verdict(UsmVerdict::kPass, h);
    }
    return {};
}

// True when the encrypted message `h` (authenticated: its envelope is the agent's) decrypts with our privacy
// key, as the library decrypts it, to a report of the engine's clock.
bool EncryptedClockReport(const uint8_t* data, size_t size, const UsmHeader& h, const UsmFilterState& st) {
    constexpr size_t kKey = 16, kSalt = 8;
    if (st.privKey.size() < kKey || h.authOffset + h.authLength > size) {
        return false;
    }
    // The privacy parameters (the salt) follow the authentication parameters; the encrypted PDU follows.
    size_t left = size - (h.authOffset + h.authLength);
    u_char type = 0;
    u_char salt[kSalt];
    size_t saltLen = sizeof salt;
    u_char* p = asn_parse_string(const_cast<u_char*>(data + h.authOffset + h.authLength), &left, &type, salt,
                                 &saltLen);
    std::vector<u_char> cipher(left), plain(left + kKey);
    size_t cipherLen = cipher.size();
    if (!p || saltLen != kSalt || !asn_parse_string(p, &left, &type, cipher.data(), &cipherLen) ||
        !cipherLen) {
        return false;
    }
    const bool aes = st.privArith == 1;
    u_char iv[kKey];
    if (aes) {  // the engine's boots and time, then the salt
        const uint32_t boots = htonl(static_cast<uint32_t>(h.boots)),
                       time = htonl(static_cast<uint32_t>(h.time));
        std::memcpy(iv, &boots, 4);
        std::memcpy(iv + 4, &time, 4);
        std::memcpy(iv + 8, salt, kSalt);
    } else {  // the salt and the key's second half
        for (size_t i = 0; i < kSalt; ++i) {
            iv[i] = salt[i] ^ st.privKey[kSalt + i];
        }
    }
    size_t plainLen = plain.size();
    if (sc_decrypt(aes ? usmAESPrivProtocol : usmDESPrivProtocol,
                   aes ? OID_LENGTH(usmAESPrivProtocol) : OID_LENGTH(usmDESPrivProtocol),
                   const_cast<u_char*>(st.privKey.data()), kKey, iv, aes ? kKey : kSalt, cipher.data(),
                   static_cast<u_int>(cipherLen), plain.data(), &plainLen) != SNMPERR_SUCCESS) {
        return false;
    }
    // The scoped PDU: context engine id and name, then a report, whose counter is read as the library
    // reads it.
    size_t len = plainLen;
    u_char* q = asn_parse_sequence(plain.data(), &len, &type, ASN_SEQUENCE | ASN_CONSTRUCTOR, "scoped PDU");
    u_char text[1024];
    for (int i = 0; i < 2 && q; ++i) {
        size_t textLen = sizeof text;
        q = asn_parse_string(q, &len, &type, text, &textLen);
    }
    if (!q || len == 0 || *q != kReportPdu) {
        return false;
    }
    std::unique_ptr<netsnmp_pdu, void (*)(netsnmp_pdu*)> pdu(snmp_pdu_create(SNMP_MSG_REPORT),
                                                             [](netsnmp_pdu* p) { snmp_free_pdu(p); });
    return pdu && snmp_pdu_parse(pdu.get(), q, &len) == 0 &&
           snmpv3_get_report_type(pdu.get()) == SNMPERR_NOT_IN_TIME_WINDOW;
}

}  // namespace

bool SameUdpAddress(const sockaddr_storage& a, const sockaddr_storage& b) {
    if (a.ss_family != b.ss_family) {
        return false;
    }
    if (a.ss_family == AF_INET) {
        const auto& x = reinterpret_cast<const sockaddr_in&>(a);
        const auto& y = reinterpret_cast<const sockaddr_in&>(b);
        return x.sin_port == y.sin_port && x.sin_addr.s_addr == y.sin_addr.s_addr;
    }
    if (a.ss_family == AF_INET6) {
        const auto& x = reinterpret_cast<const sockaddr_in6&>(a);
        const auto& y = reinterpret_cast<const sockaddr_in6&>(b);
        return x.sin6_port == y.sin6_port && std::memcmp(&x.sin6_addr, &y.sin6_addr, sizeof x.sin6_addr) == 0;
    }
    return false;
}

UsmVerdict DecideUsm(const uint8_t* data, size_t size, const sockaddr_storage& from,
                     const UsmFilterState& st) {
    UsmHeader h;
    // Only what the library reads as we do, from the agent, answering a message still awaited; an answer
    // is never flagged reportable.
    if (!ParseUsmHeader(data, size, h) || !SameUdpAddress(from, st.agent) || (h.flags & kReportableFlag) ||
        std::find(st.awaited.begin(), st.awaited.end(), h.msgId) == st.awaited.end()) {
        return {};
    }
    const bool ourUser = h.user == std::vector<uint8_t>(st.user.begin(), st.user.end());
    if (!(h.flags & kAuthFlag)) {
        return DecideUnauthenticated(h, st, ourUser);
    }
    // Authenticated: a response or report (unseen when encrypted), of our user at our level (an agent
    // reports its clock authenticated without privacy).
    const int level = LevelOf(h.flags);
    const bool answer = (h.flags & kPrivFlag) || h.pduType == kResponsePdu || h.pduType == kReportPdu;
    if (st.securityLevel < kAuthNoPriv || !ourUser || !answer ||
        !(level == st.securityLevel || (level == kAuthNoPriv && h.pduType == kReportPdu))) {
        return {};
    }
    if (st.engineId.empty() || h.engineId != st.engineId) {
        const std::vector<uint8_t> key =
            st.localize && !h.engineId.empty() ? st.localize(h.engineId) : std::vector<uint8_t>{};
        if (!UsmAuthentic(data, size, h, st.authArith, key)) {
            return {};
        }
        UsmVerdict v = Verdict(UsmVerdict::kReplaced, h);
        v.engineId = h.engineId;
        return v;
    }
    if (!UsmAuthentic(data, size, h, st.authArith, st.authKey)) {
        return {};
    }
    if (st.timeKnown && (h.boots < st.boots || (h.boots == st.boots && h.time + kTimeWindowS < st.time))) {
        UsmVerdict v = Verdict(UsmVerdict::kReset, h);
        v.boots = h.boots;
        v.time = h.time;
        return v;
    }
    // A report of the engine's clock that brings no news (the record holds its boots and a time within
    // the window) is a replay or a duplicate: the library would send the request once more for it. An
    // encrypted one is read with our privacy key.
    if (st.timeKnown && h.boots == st.boots && h.time <= st.time + kTimeWindowS &&
        ((h.pduType == kReportPdu && h.report == UsmReport::kNotInTimeWindow) ||
         ((h.flags & kPrivFlag) && EncryptedClockReport(data, size, h, st)))) {
        return {};
    }
    return Verdict(UsmVerdict::kPass, h);
}

}  // namespace ksx::snmp
