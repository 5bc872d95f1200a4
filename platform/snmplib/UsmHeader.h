// Internal: a received SNMPv3 message read as Net-SNMP reads it, with the library's own parsing primitives in
// the library's order, and the check of its authentication parameters. Both read bytes straight from the
// network; neither touches the library's state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/snmplib/UsmFilter.h"

namespace ksx::snmp {

// An SNMPv3 message of the user-based security model as the library reads it.
struct UsmHeader {
    long msgId = 0;
    uint8_t flags = 0;              // msgFlags: 1 authenticated, 2 encrypted, 4 reportable
    std::vector<uint8_t> engineId;  // of the engine that sent it, and that engine's boots and time
    unsigned long boots = 0;
    unsigned long time = 0;
    std::vector<uint8_t> user;
    // Where the authentication parameters lie in the message, the length of the privacy parameters, and
    // the message's outer length as encoded.
    size_t authOffset = 0;
    size_t authLength = 0;
    size_t privLength = 0;
    size_t length = 0;
    // A scoped PDU in the clear (all zero or empty when encrypted): its tag, request id, the name of its
    // first binding (a report's counter) and the counter as the library classes it.
    uint8_t pduType = 0;
    long requestId = 0;
    std::vector<unsigned long> firstName;
    UsmReport report = UsmReport::kOther;
};

// False when the library would not read the data as an SNMPv3 message of the user-based security model
// with a readable scoped PDU (an encrypted one: a readable envelope). Users, keys and the clock are not
// looked at.
bool ParseUsmHeader(const uint8_t* data, size_t size, UsmHeader& out);

// True when `data` is the whole message `h` was read from, it is flagged authenticated, and its
// authentication parameters are the keyed hash (authArith: Credentials::authArith, 0 HMAC-MD5-96,
// 1 HMAC-SHA-1-96; any other authenticates nothing) with `key` (localized to the message's engine) of the
// message with those parameters zeroed.
bool UsmAuthentic(const uint8_t* data, size_t size, const UsmHeader& h, int authArith,
                  const std::vector<uint8_t>& key);

}  // namespace ksx::snmp
