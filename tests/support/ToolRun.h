// Runs command-line tools for tests and benchmarks (the Net-SNMP tools above all) so that nothing of the
// machine's own Net-SNMP set-up reaches them: each tool gets a configuration path, a persistent
// directory and a home of its own (SNMPCONFPATH, SNMP_PERSISTENT_DIR, HOME; no MIB is loaded), so
// /etc/snmp/snmp.conf, ~/.snmp and the state a first run leaves behind change nothing, and nothing is
// written there. Standard output and standard error are kept apart: what a tool says on stderr (such as
// "Created directory: ..." on its first run in a new persistent directory) is never part of its output,
// and a result printed into a failure message shows both.
#pragma once

#include <sys/types.h>

#include <ostream>
#include <string>
#include <vector>

namespace ksx::test {

struct ToolResult {
    std::vector<std::string> args;
    int exitCode = -1;  // -1: did not start, was killed at its time limit or ended by a signal
    bool timedOut = false;
    std::string out;  // standard output
    std::string err;  // standard error

    bool Ok() const { return exitCode == 0; }
};

// "snmpget -v1 ... exited with 1" and the tool's stdout and stderr, for failure messages.
std::ostream& operator<<(std::ostream& os, const ToolResult& r);

struct ToolOptions {
    // The folder whose files the Net-SNMP tools and agent use: SNMPCONFPATH is the folder itself,
    // SNMP_PERSISTENT_DIR its "persist" and MIBDIRS its "nomibs" subfolder (neither needs to exist).
    // Empty: a temporary folder of this process, made on first use and removed when the process ends.
    std::string snmpDir;
    int limitMs = 30000;  // the tool is killed after this long
};

// The environment the tools run with: this process's, with the Net-SNMP variables and HOME replaced.
std::vector<std::string> ToolEnvironment(const std::string& snmpDir);
// This process's temporary Net-SNMP folder (see ToolOptions::snmpDir).
const std::string& DefaultSnmpDir();

// Starts args[0] (searched on PATH when it has no slash) in the tool environment of `snmpDir`, stdin
// from /dev/null, stdout and stderr onto the descriptors given (-1: /dev/null). The process id, or -1.
pid_t SpawnTool(const std::vector<std::string>& args, const std::string& snmpDir, int outFd, int errFd);

// Runs a tool to its end (bounded by the time limit) and collects what it printed.
ToolResult RunTool(const std::vector<std::string>& args, const ToolOptions& options = {});

}  // namespace ksx::test
