// Internal: the header of a received SNMPv3 message read before Net-SNMP takes it, and the check of its
// authentication parameters. Both read bytes straight from the network.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/snmplib/UsmFilter.h"

namespace ksx::snmp {

// The user-based security header of an SNMPv3 message, and what its scoped PDU says when sent in the clear.
struct UsmHeader {
    unsigned long msgId = 0;
    uint8_t flags = 0;              // msgFlags: 1 authenticated, 2 encrypted, 4 reportable
    std::vector<uint8_t> engineId;  // of the engine that sent it, and that engine's boots and time
    unsigned long boots = 0;
    unsigned long time = 0;
    std::vector<uint8_t> user;
    // Where the authentication parameters lie in the message, and the message's length as encoded.
    size_t authOffset = 0;
    size_t authLength = 0;
    size_t length = 0;
    // A scoped PDU in the clear: the PDU's tag (0 when unread or encrypted) and the encoded name of its
    // first binding (a report's counter), empty when there is none.
    uint8_t pduType = 0;
    std::vector<uint8_t> firstName;
    UsmReport report = UsmReport::kOther;  // a report's counter, as its first binding names it
};

// False when the data is no SNMPv3 message of the user-based security model. The message may be cut short
// after the security parameters.
bool ParseUsmHeader(const uint8_t* data, size_t size, UsmHeader& out);

// True when `data` is the whole message `h` was read from, it is flagged authenticated, and its
// authentication parameters are the keyed hash (authArith 0 HMAC-MD5-96, 1 HMAC-SHA-1-96, any other none,
// with `key` localized to the message's engine) of the message with those parameters zeroed.
bool UsmAuthentic(const uint8_t* data, size_t size, const UsmHeader& h, int authArith,
                  const std::vector<uint8_t>& key);

// The name of the USM statistics counter `n` (1.3.6.1.6.3.15.1.1.n.0) as a report's first binding carries
// it: 2 notInTimeWindows, 4 unknownEngineIDs.
bool IsUsmCounter(const std::vector<uint8_t>& name, int n);

}  // namespace ksx::snmp
