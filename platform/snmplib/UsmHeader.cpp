#include "platform/snmplib/UsmHeader.h"

// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/library/scapi.h>
#include <net-snmp/library/snmpusm.h>
#include <net-snmp/library/transform_oids.h>
// clang-format on

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>

namespace ksx::snmp {
namespace {

constexpr u_char kSequence = ASN_SEQUENCE | ASN_CONSTRUCTOR;
constexpr u_char kOctets = ASN_UNIVERSAL | ASN_PRIMITIVE | ASN_OCTET_STR;
constexpr u_char kInteger = ASN_UNIVERSAL | ASN_PRIMITIVE | ASN_INTEGER;

// The library's buffers for the fields of the security parameters: a field longer than its buffer makes
// the message unreadable.
constexpr size_t kEngineIdMax = SNMP_MAX_ENG_SIZE * 2;
constexpr size_t kUserBuffer = SNMP_MAX_SEC_NAME_SIZE;
constexpr size_t kUserMax = 32;
constexpr size_t kAuthParamsMax = USM_MAX_AUTHSIZE;
constexpr size_t kPrivParamsMax = BYTESIZE(USM_MAX_SALT_LENGTH);
constexpr size_t kSaltLength = 8;

// A scoped PDU read by the library's own parser. The PDU and everything the parser hangs on it (bindings
// and their values, the context fields, a v1 trap's enterprise) belong to the library's own free function,
// which runs whatever the datagram held and wherever the parse stopped.
class ScopedPdu {
public:
    ScopedPdu() : m_pdu(static_cast<netsnmp_pdu*>(std::calloc(1, sizeof(netsnmp_pdu)))) {
        if (m_pdu) {
            m_pdu->version = SNMP_VERSION_3;
            m_pdu->contextEngineID = static_cast<u_char*>(std::calloc(1, SNMP_MAX_ENG_SIZE));
            m_pdu->contextEngineIDLen = SNMP_MAX_ENG_SIZE;
        }
    }
    bool parse(u_char* data, size_t length) {
        if (!m_pdu || !m_pdu->contextEngineID) {
            return false;
        }
        u_char* pdu = snmpv3_scopedPDU_parse(m_pdu.get(), data, &length);
        return pdu && snmp_pdu_parse(m_pdu.get(), pdu, &length) == SNMPERR_SUCCESS;
    }
    netsnmp_pdu& pdu() { return *m_pdu; }

private:
    struct Free {
        void operator()(netsnmp_pdu* p) const { snmp_free_pdu(p); }
    };
    std::unique_ptr<netsnmp_pdu, Free> m_pdu;
};

UsmReport ReportOf(netsnmp_pdu& pdu) {
    switch (snmpv3_get_report_type(&pdu)) {
        case SNMPERR_NOT_IN_TIME_WINDOW:
            return UsmReport::kNotInTimeWindow;
        case SNMPERR_UNKNOWN_ENG_ID:
            return UsmReport::kUnknownEngineId;
        case SNMPERR_UNKNOWN_USER_NAME:
            return UsmReport::kUnknownUserName;
        case SNMPERR_AUTHENTICATION_FAILURE:
            return UsmReport::kWrongDigest;
        case SNMPERR_DECRYPTION_ERR:
            return UsmReport::kDecryptionError;
        case SNMPERR_UNSUPPORTED_SEC_LEVEL:
            return UsmReport::kUnsupportedSecLevel;
        default:
            return UsmReport::kOther;
    }
}

// The security parameters as the library's user-based security model reads them: `p` where they start,
// `remaining` the bytes of the message from there. Sets `scoped` where the scoped PDU starts: right after
// the privacy parameters, wherever the encoded lengths around them end.
bool ParseSecurityParameters(u_char* whole, u_char* p, size_t remaining, UsmHeader& out, u_char*& scoped) {
    u_char type = 0;
    size_t octets = remaining;
    u_char* v = asn_parse_sequence(p, &octets, &type, kOctets, "usm first octet");
    if (!v) {
        return false;
    }
    size_t left = octets;
    v = asn_parse_sequence(v, &left, &type, kSequence, "usm sequence");
    if (!v) {
        return false;
    }
    u_char engine[kEngineIdMax];
    size_t engineLen = sizeof engine;
    long boots = 0, time = 0;
    v = asn_parse_string(v, &left, &type, engine, &engineLen);
    if (!v || type != kOctets) {
        return false;
    }
    v = asn_parse_int(v, &left, &type, &boots, sizeof boots);
    if (!v || type != kInteger) {
        return false;
    }
    v = asn_parse_int(v, &left, &type, &time, sizeof time);
    if (!v || type != kInteger) {
        return false;
    }
    // Kept as the library keeps them: the low 32 bits.
    const auto bootsU = static_cast<u_int>(boots), timeU = static_cast<u_int>(time);
    if (bootsU > ENGINEBOOT_MAX || timeU > ENGINETIME_MAX) {
        return false;
    }
    u_char user[kUserBuffer];
    size_t userLen = sizeof user;
    v = asn_parse_string(v, &left, &type, user, &userLen);
    if (!v || userLen + 1 > kUserBuffer || userLen > kUserMax || type != kOctets) {
        return false;
    }
    u_char auth[kAuthParamsMax];
    size_t authLen = sizeof auth;
    v = asn_parse_string(v, &left, &type, auth, &authLen);
    if (!v || type != kOctets) {
        return false;
    }
    u_char priv[kPrivParamsMax];
    size_t privLen = sizeof priv;
    scoped = asn_parse_string(v, &left, &type, priv, &privLen);
    if (!scoped || type != kOctets) {
        return false;
    }
    out.engineId.assign(engine, engine + engineLen);
    out.boots = bootsU;
    out.time = timeU;
    out.user.assign(user, user + userLen);
    out.authOffset = static_cast<size_t>(v - whole) - authLen;
    out.authLength = authLen;
    out.privLength = privLen;
    return true;
}

}  // namespace

bool ParseUsmHeader(const uint8_t* data, size_t size, UsmHeader& out) {
    out = UsmHeader{};
    if (!data || size == 0) {
        return false;
    }
    // The library's primitives take writable pointers and write nothing through them.
    u_char* const whole = const_cast<u_char*>(data);
    size_t length = size;
    u_char type = 0;
    long version = 0, maxSize = 0, model = 0;
    u_char* p = asn_parse_sequence(whole, &length, &type, kSequence, "message");
    if (!p) {
        return false;
    }
    out.length = static_cast<size_t>(p - whole) + length;
    p = asn_parse_int(p, &length, &type, &version, sizeof version);
    if (!p || version != SNMP_VERSION_3) {
        return false;
    }
    // msgGlobalData: its header is taken off; its fields are read within the message's length, not its own.
    size_t globalLen = length;
    u_char* const global = p;
    p = asn_parse_sequence(p, &globalLen, &type, kSequence, "msgGlobalData");
    if (!p) {
        return false;
    }
    length -= static_cast<size_t>(p - global);
    p = asn_parse_int(p, &length, &type, &out.msgId, sizeof out.msgId);
    if (!p || type != ASN_INTEGER || out.msgId < 0 || out.msgId > SNMP_MAX_PACKET_LEN) {
        return false;
    }
    p = asn_parse_int(p, &length, &type, &maxSize, sizeof maxSize);
    if (!p || type != ASN_INTEGER || maxSize < SNMP_MIN_MAX_LEN || maxSize > SNMP_MAX_PACKET_LEN) {
        return false;
    }
    u_char flags[SNMP_MAX_MSG_SIZE];
    size_t flagsLen = sizeof flags;
    p = asn_parse_string(p, &length, &type, flags, &flagsLen);
    if (!p || type != ASN_OCTET_STR || flagsLen != 1) {
        return false;
    }
    out.flags = flags[0];
    p = asn_parse_int(p, &length, &type, &model, sizeof model);
    if (!p || type != ASN_INTEGER || model != SNMP_SEC_MODEL_USM ||
        ((out.flags & SNMP_MSG_FLAG_PRIV_BIT) && !(out.flags & SNMP_MSG_FLAG_AUTH_BIT))) {
        return false;
    }
    u_char* scoped = nullptr;
    if (!ParseSecurityParameters(whole, p, size - static_cast<size_t>(p - whole), out, scoped)) {
        return false;
    }
    size_t scopedLen = size - static_cast<size_t>(scoped - whole);
    // Encrypted: both privacy protocols take an 8-octet salt (the library fails to decrypt with another).
    if (out.flags & SNMP_MSG_FLAG_PRIV_BIT) {
        return out.privLength == kSaltLength &&
               asn_parse_sequence(scoped, &scopedLen, &type, kOctets, "encrypted sPDU") != nullptr;
    }
    ScopedPdu pdu;
    if (!pdu.parse(scoped, scopedLen)) {
        return false;
    }
    out.pduType = static_cast<uint8_t>(pdu.pdu().command);
    out.requestId = pdu.pdu().reqid;
    if (const netsnmp_variable_list* first = pdu.pdu().variables) {
        out.firstName.assign(first->name, first->name + first->name_length);
    }
    out.report = ReportOf(pdu.pdu());
    return true;
}

bool UsmAuthentic(const uint8_t* data, size_t size, const UsmHeader& h, int authArith,
                  const std::vector<uint8_t>& key) {
    // The authentication protocols by Credentials::authArith; another is a new entry here.
    struct Protocol {
        const oid* id;
        size_t length;
    };
    static const Protocol kProtocols[] = {
        {usmHMACMD5AuthProtocol, OID_LENGTH(usmHMACMD5AuthProtocol)},
        {usmHMACSHA1AuthProtocol, OID_LENGTH(usmHMACSHA1AuthProtocol)},
    };
    if (authArith < 0 || static_cast<size_t>(authArith) >= std::size(kProtocols)) {
        return false;
    }
    const Protocol& proto = kProtocols[authArith];
    const int macLength = sc_get_auth_maclen(sc_get_authtype(proto.id, static_cast<u_int>(proto.length)));
    if (!(h.flags & SNMP_MSG_FLAG_AUTH_BIT) || key.empty() || key.size() > UINT_MAX || size > UINT_MAX ||
        macLength <= 0 || h.authLength != static_cast<size_t>(macLength) || h.authOffset > size ||
        h.authLength > size - h.authOffset) {
        return false;
    }
    // The library hashes the whole datagram, its authentication parameters zeroed where it read them.
    std::vector<u_char> zeroed(data, data + size);
    std::memset(zeroed.data() + h.authOffset, 0, h.authLength);
    return sc_check_keyed_hash(proto.id, proto.length, key.data(), static_cast<u_int>(key.size()),
                               zeroed.data(), static_cast<u_int>(size), data + h.authOffset,
                               static_cast<u_int>(h.authLength)) == SNMPERR_SUCCESS;
}

}  // namespace ksx::snmp
