// The reference a dialog benchmark measures against: snmpwalk once per column of the same table on the
// same simulator, as a user would read the same columns. The tools run through the tests' tool runner
// (tests/support/ToolRun.h): none of the machine's Net-SNMP set-up reaches them.
#pragma once

#include <chrono>
#include <iostream>
#include <string>
#include <vector>

#include "tests/support/ToolRun.h"

namespace ksx::bench {

// Seconds for one snmpwalk -v1 of each column in turn, or -1 when one of them failed (told on stderr).
inline double SnmpwalkColumns(int port, const std::vector<std::string>& columns) {
    const auto t0 = std::chrono::steady_clock::now();
    for (const std::string& column : columns) {
        const test::ToolResult r = test::RunTool({"snmpwalk", "-v1", "-c", "quaint", "-r", "0", "-t", "3",
                                                  "-On", "127.0.0.1:" + std::to_string(port), column});
        if (!r.Ok()) {
            std::cerr << r << std::endl;
            return -1;
        }
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace ksx::bench
