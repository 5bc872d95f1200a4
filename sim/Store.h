// Object store of the simulated switch: OIDs, typed values, the profile text format and the escaping
// used by the control protocol. No Net-SNMP here.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ksxsim {

using Oid = std::vector<uint32_t>;

// Dotted text ("1.3.6.1" or ".1.3.6.1") to OID; nullopt on malformed text.
std::optional<Oid> ParseOid(const std::string& text);
std::string OidText(const Oid& oid);
bool HasPrefix(const Oid& oid, const Oid& prefix);

// Type letters of profiles and of the control protocol:
// i INTEGER, u Unsigned32, c Counter32, C Counter64, g Gauge32, t TimeTicks, s OCTET STRING (text),
// x OCTET STRING (hex), o OBJECT IDENTIFIER, a IpAddress, n NULL.
struct Value {
    char type = 'n';
    // i u c C g t: decimal text; s x: the raw octets; o a: dotted text; n: empty.
    std::string data;
    bool operator==(const Value&) const = default;
};

bool IsTypeLetter(char type);
// Two letters describe the same wire type (s/x are both OCTET STRING, u/g both Unsigned32).
bool SameWireType(char a, char b);
// Value from its text form as in profiles (x: hex digits, s: text as is); nullopt when malformed.
std::optional<Value> ParseValue(char type, const std::string& text);
// Text form as in profiles: hex for x, the octets for s, decimal or dotted text otherwise.
std::string ValueText(const Value& value);
std::string HexOf(const std::string& octets);

// Escaping for space-separated protocol fields: bytes outside 0x21..0x7e and the characters
// backslash, '|' and '=' become \xHH. Unescape reverses it; nullopt on a malformed escape.
std::string Escape(const std::string& raw);
std::optional<std::string> Unescape(const std::string& text);

struct Entry {
    Value value;
};

class ObjectStore {
public:
    using Map = std::map<Oid, Entry>;

    const Entry* Find(const Oid& oid) const;
    Entry* Find(const Oid& oid);
    // First object strictly after oid, or nullptr.
    const Map::value_type* Next(const Oid& oid) const;
    void Put(const Oid& oid, const Value& value);
    bool Remove(const Oid& oid);
    // True when any object lies strictly below prefix.
    bool AnyBelow(const Oid& prefix) const;
    void Clear() { m_objects.clear(); }
    size_t Size() const { return m_objects.size(); }
    const Map& Objects() const { return m_objects; }

private:
    Map m_objects;
};

}  // namespace ksxsim
