// Conversion between the class library's values and Net-SNMP's: OIDs and typed values as text, the
// request PDU built from bindings, a received binding as text, and the agent text split into its parts.
#include "platform/snmplib/SnmpSessionState.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cstdio>

namespace ksx::snmp {

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

namespace {

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

}  // namespace

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

bool IsValueless(int type) {
    return IsNoValue(type);
}

SnmpVarBind ConvertVariable(const void* netsnmpVariable) {
    return ConvertBinding(static_cast<const netsnmp_variable_list*>(netsnmpVariable));
}

}  // namespace ksx::snmp
