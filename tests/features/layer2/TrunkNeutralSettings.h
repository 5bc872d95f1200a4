// Alike settings on every port for the other areas the trunk member checks read (spanning tree ports,
// loopback detection, MAC learning and static MAC entries, port mirroring, auto surveillance ports), set
// through the simulator's control protocol. With them any set of free ports may form a trunk; a test then
// changes single values to make ports differ.
#pragma once

#include <string>
#include <utility>

#include "tests/support/SimSwitch.h"

namespace ksx::test {

// A port bitmap, most significant bit first, of `ports` ports all set (4 octets up to 32 ports, else 8).
inline std::string AllPortsBitmap(int ports) {
    const int octets = ports <= 32 ? 4 : 8;
    std::string hex;
    for (int octet = 0; octet < octets; ++octet) {
        int bits = 0;
        for (int bit = 0; bit < 8; ++bit) {
            if (octet * 8 + bit < ports) {
                bits |= 0x80 >> bit;
            }
        }
        static const char* const digits = "0123456789abcdef";
        hex += digits[bits >> 4];
        hex += digits[bits & 0xf];
    }
    return hex;
}

inline void SetNeutralTrunkLoads(SimSwitch& sim, int ports) {
    const std::string p = "1.3.6.1.4.1.7393.10.76.20.1";
    const std::string none = std::string(ports <= 32 ? 8 : 16, '0');

    // Spanning tree on; every port forwarding alike: priority 128, status 5, state 1, automatic cost,
    // migrate, point-to-point, edge and the restricted settings all 2.
    sim.Set(p + ".6.1.1.0", "i", "1");
    const std::pair<int, const char*> stpColumns[] = {{2, "128"},    {3, "5"},  {4, "1"},  {5, "0"},
                                                      {6, "200000"}, {12, "2"}, {14, "2"}, {16, "2"},
                                                      {17, "2"},     {18, "2"}};
    for (const auto& [column, value] : stpColumns) {
        for (int port = 1; port <= ports; ++port) {
            sim.Set(p + ".6.2.1." + std::to_string(column) + "." + std::to_string(port), "i", value);
        }
    }

    for (int port = 1; port <= ports; ++port) {
        sim.Set(p + ".17.5.1.2." + std::to_string(port), "i", "2");    // loopback detection off
        sim.Set(p + ".26.1.5.1.2." + std::to_string(port), "i", "2");  // surveillance auto detection off
        sim.Set(p + ".26.1.5.1.3." + std::to_string(port), "i", "3");  // surveillance status none
    }

    // Every port learns; the sample's static MAC entries give way to one entry, VLAN 1,
    // MAC 00-1E-94-00-00-18, on port 24.
    sim.Set(p + ".9.2.0", "x", AllPortsBitmap(ports));
    for (const char* index :
         {".1.0.17.34.51.68.85.7", ".1.0.10.11.12.13.14.3", ".1.0.170.187.204.221.238.4"}) {
        for (int column = 1; column <= 4; ++column) {
            sim.Command("unset " + p + ".9.3.1." + std::to_string(column) + index);
        }
    }
    const std::string entry = ".1.0.30.148.0.0.24.24";
    sim.Set(p + ".9.3.1.1" + entry, "i", "1");
    sim.Set(p + ".9.3.1.2" + entry, "x", "001e94000018");
    sim.Set(p + ".9.3.1.3" + entry, "i", "24");
    sim.Set(p + ".9.3.1.4" + entry, "i", "1");

    // Port mirroring off, target port 1, no source port.
    sim.Set(p + ".18.1.0", "i", "2");
    sim.Set(p + ".18.2.0", "i", "1");
    sim.Set(p + ".18.3.0", "x", none);
    sim.Set(p + ".18.4.0", "x", none);
}

}  // namespace ksx::test
