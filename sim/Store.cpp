#include "sim/Store.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace ksxsim {

std::optional<Oid> ParseOid(const std::string& text) {
    Oid oid;
    size_t pos = 0;
    if (!text.empty() && text[0] == '.') {
        pos = 1;
    }
    if (pos >= text.size()) {
        return std::nullopt;
    }
    while (pos <= text.size()) {
        size_t dot = text.find('.', pos);
        if (dot == std::string::npos) {
            dot = text.size();
        }
        if (dot == pos || dot - pos > 10) {
            return std::nullopt;
        }
        uint64_t n = 0;
        for (size_t i = pos; i < dot; ++i) {
            if (text[i] < '0' || text[i] > '9') {
                return std::nullopt;
            }
            n = n * 10 + static_cast<uint64_t>(text[i] - '0');
        }
        if (n > 0xffffffffULL) {
            return std::nullopt;
        }
        oid.push_back(static_cast<uint32_t>(n));
        pos = dot + 1;
    }
    if (oid.size() > 128) {
        return std::nullopt;
    }
    return oid;
}

std::string OidText(const Oid& oid) {
    std::string text;
    for (size_t i = 0; i < oid.size(); ++i) {
        if (i) {
            text += '.';
        }
        text += std::to_string(oid[i]);
    }
    return text;
}

bool HasPrefix(const Oid& oid, const Oid& prefix) {
    return oid.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), oid.begin());
}

bool IsTypeLetter(char type) {
    return std::string_view("iucCgtsxoan").find(type) != std::string_view::npos;
}

static char WireClass(char type) {
    switch (type) {
        case 'x':
            return 's';
        case 'g':
            return 'u';
        default:
            return type;
    }
}

bool SameWireType(char a, char b) {
    return WireClass(a) == WireClass(b);
}

static bool ParseDecimal(const std::string& text, bool allowSign, long double lo, long double hi) {
    if (text.empty() || text.size() > 21) {
        return false;
    }
    size_t i = 0;
    if (allowSign && text[0] == '-') {
        i = 1;
    }
    if (i >= text.size()) {
        return false;
    }
    for (size_t k = i; k < text.size(); ++k) {
        if (text[k] < '0' || text[k] > '9') {
            return false;
        }
    }
    errno = 0;
    long double v = std::strtold(text.c_str(), nullptr);
    return errno == 0 && v >= lo && v <= hi;
}

static int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

static bool ValidIpv4(const std::string& text) {
    auto oid = ParseOid(text);
    if (!oid || oid->size() != 4 || text[0] == '.') {
        return false;
    }
    return std::all_of(oid->begin(), oid->end(), [](uint32_t n) { return n <= 255; });
}

std::optional<Value> ParseValue(char type, const std::string& text) {
    Value v;
    v.type = type;
    switch (type) {
        case 'i':
            if (!ParseDecimal(text, true, -2147483648.0L, 2147483647.0L)) {
                return std::nullopt;
            }
            v.data = text;
            break;
        case 'u':
        case 'c':
        case 'g':
        case 't':
            if (!ParseDecimal(text, false, 0, 4294967295.0L)) {
                return std::nullopt;
            }
            v.data = text;
            break;
        case 'C':
            if (!ParseDecimal(text, false, 0, 18446744073709551615.0L)) {
                return std::nullopt;
            }
            v.data = text;
            break;
        case 's':
            v.data = text;
            break;
        case 'x': {
            if (text.size() % 2) {
                return std::nullopt;
            }
            for (size_t i = 0; i < text.size(); i += 2) {
                int hi = HexDigit(text[i]);
                int lo = HexDigit(text[i + 1]);
                if (hi < 0 || lo < 0) {
                    return std::nullopt;
                }
                v.data += static_cast<char>(hi * 16 + lo);
            }
            break;
        }
        case 'o': {
            auto oid = ParseOid(text);
            if (!oid || oid->size() < 2) {
                return std::nullopt;
            }
            v.data = OidText(*oid);
            break;
        }
        case 'a':
            if (!ValidIpv4(text)) {
                return std::nullopt;
            }
            v.data = text;
            break;
        case 'n':
            break;
        default:
            return std::nullopt;
    }
    return v;
}

std::string HexOf(const std::string& octets) {
    static const char* digits = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : octets) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

std::string ValueText(const Value& value) {
    return value.type == 'x' ? HexOf(value.data) : value.data;
}

std::string Escape(const std::string& raw) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : raw) {
        if (c < 0x21 || c > 0x7e || c == '\\' || c == '|' || c == '=') {
            out += "\\x";
            out += digits[c >> 4];
            out += digits[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::optional<std::string> Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (i + 3 >= text.size() || text[i + 1] != 'x') {
            return std::nullopt;
        }
        int hi = HexDigit(text[i + 2]);
        int lo = HexDigit(text[i + 3]);
        if (hi < 0 || lo < 0) {
            return std::nullopt;
        }
        out += static_cast<char>(hi * 16 + lo);
        i += 3;
    }
    return out;
}

const Entry* ObjectStore::Find(const Oid& oid) const {
    auto it = m_objects.find(oid);
    return it == m_objects.end() ? nullptr : &it->second;
}

Entry* ObjectStore::Find(const Oid& oid) {
    auto it = m_objects.find(oid);
    return it == m_objects.end() ? nullptr : &it->second;
}

const ObjectStore::Map::value_type* ObjectStore::Next(const Oid& oid) const {
    auto it = m_objects.upper_bound(oid);
    return it == m_objects.end() ? nullptr : &*it;
}

void ObjectStore::Put(const Oid& oid, const Value& value) {
    m_objects[oid].value = value;
}

bool ObjectStore::Remove(const Oid& oid) {
    return m_objects.erase(oid) > 0;
}

bool ObjectStore::AnyBelow(const Oid& prefix) const {
    auto it = m_objects.upper_bound(prefix);
    return it != m_objects.end() && HasPrefix(it->first, prefix) && it->first.size() > prefix.size();
}

}  // namespace ksxsim
