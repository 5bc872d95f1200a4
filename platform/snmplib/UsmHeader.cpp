#include "platform/snmplib/UsmHeader.h"

// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/library/scapi.h>
#include <net-snmp/library/transform_oids.h>
// clang-format on

#include <algorithm>
#include <climits>
#include <cstring>
#include <iterator>

namespace ksx::snmp {
namespace {

constexpr u_char kSequence = ASN_SEQUENCE | ASN_CONSTRUCTOR;

// Reads BER values of a received message; every read fails past the end of what was received.
class BerReader {
public:
    BerReader() = default;
    BerReader(const u_char* p, size_t n) : m_p(p), m_end(p + n) {}
    // The contents of a value of `tag`; `lenient`: cut at the end of what was received. `whole`: the
    // value's length as encoded, its tag and length included.
    bool take(u_char tag, BerReader& contents, bool lenient = false, size_t* whole = nullptr) {
        const u_char* start = m_p;
        size_t len = 0;
        if (!header(tag, len)) {
            return false;
        }
        const size_t left = size();
        if (len > left && !lenient) {
            return false;
        }
        if (whole) {
            *whole = static_cast<size_t>(m_p - start) + len;
        }
        len = std::min(len, left);
        contents = BerReader(m_p, len);
        m_p += len;
        return true;
    }
    // A PDU: a constructed value of the context class, its tag in `tag`; cut at the end of what was received.
    bool takePdu(u_char& tag, BerReader& contents) {
        if (size() < 1 || (*m_p & 0xe0) != (ASN_CONTEXT | ASN_CONSTRUCTOR)) {
            return false;
        }
        tag = *m_p;
        return take(tag, contents, true);
    }
    // A non-negative INTEGER of at most 31 bits (message ids, engine boots and time).
    bool number(unsigned long& v) {
        BerReader c;
        if (!take(ASN_INTEGER, c) || c.m_p == c.m_end || c.m_end - c.m_p > 5 || (*c.m_p & 0x80)) {
            return false;
        }
        v = 0;
        for (const u_char* q = c.m_p; q < c.m_end; ++q) {
            v = v << 8 | *q;
        }
        return v <= 0x7fffffffUL;
    }
    const u_char* begin() const { return m_p; }
    size_t size() const { return static_cast<size_t>(m_end - m_p); }
    std::vector<uint8_t> bytes() const { return {m_p, m_end}; }

private:
    bool header(u_char tag, size_t& len) {
        if (size() < 2 || *m_p != tag) {
            return false;
        }
        ++m_p;
        len = *m_p++;
        if (len & 0x80) {
            size_t bytes = len & 0x7f;
            if (bytes == 0 || bytes > 4 || size() < bytes) {
                return false;
            }
            for (len = 0; bytes > 0; --bytes) {
                len = len << 8 | *m_p++;
            }
        }
        return true;
    }
    const u_char* m_p = nullptr;
    const u_char* m_end = nullptr;
};

}  // namespace

bool ParseUsmHeader(const uint8_t* data, size_t size, UsmHeader& out) {
    out = UsmHeader{};
    BerReader msg, global, flags, params, usm, engine, user, auth, priv;
    unsigned long version = 0, maxSize = 0, model = 0;
    if (!BerReader(data, size).take(kSequence, msg, true, &out.length) || !msg.number(version) ||
        version != SNMP_VERSION_3 || !msg.take(kSequence, global) || !global.number(out.msgId) ||
        !global.number(maxSize) || !global.take(ASN_OCTET_STR, flags) || flags.size() != 1 ||
        !global.number(model) || model != SNMP_SEC_MODEL_USM || !msg.take(ASN_OCTET_STR, params) ||
        !params.take(kSequence, usm) || !usm.take(ASN_OCTET_STR, engine) || !usm.number(out.boots) ||
        !usm.number(out.time) || !usm.take(ASN_OCTET_STR, user) || !usm.take(ASN_OCTET_STR, auth) ||
        !usm.take(ASN_OCTET_STR, priv)) {
        return false;
    }
    out.flags = *flags.begin();
    out.engineId = engine.bytes();
    out.user = user.bytes();
    out.authOffset = static_cast<size_t>(auth.begin() - data);
    out.authLength = auth.size();
    // The scoped PDU in the clear: the PDU's type and its first binding's name. Anything unread leaves them
    // empty; the header stands.
    BerReader scoped, skip, pdu, binds, bind, name;
    u_char tag = 0;
    if ((out.flags & 2) || !msg.take(kSequence, scoped, true) || !scoped.take(ASN_OCTET_STR, skip) ||
        !scoped.take(ASN_OCTET_STR, skip) || !scoped.takePdu(tag, pdu)) {
        return true;
    }
    out.pduType = tag;
    if (pdu.take(ASN_INTEGER, skip) && pdu.take(ASN_INTEGER, skip) && pdu.take(ASN_INTEGER, skip) &&
        pdu.take(kSequence, binds, true) && binds.take(kSequence, bind, true) &&
        bind.take(ASN_OBJECT_ID, name)) {
        out.firstName = name.bytes();
        static const UsmReport kCounters[] = {UsmReport::kUnsupportedSecLevel, UsmReport::kNotInTimeWindow,
                                              UsmReport::kUnknownUserName,     UsmReport::kUnknownEngineId,
                                              UsmReport::kWrongDigest,         UsmReport::kDecryptionError};
        for (int i = 1; i <= 6; ++i) {
            if (IsUsmCounter(out.firstName, i)) {
                out.report = kCounters[i - 1];
            }
        }
    }
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
    const oid* proto = kProtocols[authArith].id;
    const size_t protoLen = kProtocols[authArith].length;
    const int macLength = sc_get_auth_maclen(sc_get_authtype(proto, static_cast<u_int>(protoLen)));
    if (!(h.flags & 1) || key.empty() || key.size() > UINT_MAX || size > UINT_MAX || h.length != size ||
        macLength <= 0 || h.authLength != static_cast<size_t>(macLength) || h.authOffset > size ||
        h.authLength > size - h.authOffset) {
        return false;
    }
    std::vector<u_char> zeroed(data, data + size);
    std::memset(zeroed.data() + h.authOffset, 0, h.authLength);
    return sc_check_keyed_hash(proto, protoLen, key.data(), static_cast<u_int>(key.size()), zeroed.data(),
                               static_cast<u_int>(size), data + h.authOffset,
                               static_cast<u_int>(h.authLength)) == SNMPERR_SUCCESS;
}

bool IsUsmCounter(const std::vector<uint8_t>& name, int n) {
    // 1.3.6.1.6.3.15.1.1.n.0
    const uint8_t encoded[] = {0x2b, 6, 1, 6, 3, 15, 1, 1, static_cast<uint8_t>(n), 0};
    return name.size() == sizeof encoded && std::memcmp(name.data(), encoded, sizeof encoded) == 0;
}

}  // namespace ksx::snmp
