// libFuzzer target over the reading of a received SNMPv3 message's security header and the check of its
// digest, both run on every datagram before Net-SNMP sees it: no read past the input's end, and what the
// header says of the digest's place lies within the input.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/snmplib/Snmp.h"
#include "platform/snmplib/UsmHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool once = (SnmpInit(), true);
    (void)once;
    ksx::snmp::UsmHeader h;
    if (!ksx::snmp::ParseUsmHeader(data, size, h)) {
        return 0;
    }
    if (h.authOffset > size || h.authLength > size - h.authOffset) {
        __builtin_trap();
    }
    static const std::vector<uint8_t> key(20, 0x5a);
    for (int arith : {0, 1}) {
        ksx::snmp::UsmAuthentic(data, size, h, arith, key);
    }
    ksx::snmp::IsUsmCounter(h.firstName, 2);
    return 0;
}
