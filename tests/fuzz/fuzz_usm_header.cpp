// libFuzzer target over the reading of a received SNMPv3 message's security header and the check of its
// digest, run on every datagram before Net-SNMP sees it: the digest's place lies within the input.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/snmplib/Snmp.h"
#include "platform/snmplib/UsmHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool once = (SnmpInit(), true);
    static const std::vector<uint8_t> key(20, 0x5a);
    ksx::snmp::UsmHeader h;
    if (once && ksx::snmp::ParseUsmHeader(data, size, h)) {
        if (h.authOffset > size || h.authLength > size - h.authOffset) {
            __builtin_trap();
        }
        ksx::snmp::UsmAuthentic(data, size, h, data[size - 1] & 1, key);
    }
    return 0;
}
