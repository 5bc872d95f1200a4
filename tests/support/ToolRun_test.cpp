// The tool runner of tests and benchmarks: stdout and stderr kept apart, failures told with both, the
// machine's Net-SNMP set-up replaced by a folder of the process's own, a hung tool killed.
#include "tests/support/ToolRun.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <sstream>

namespace {

using ksx::test::RunTool;
using ksx::test::ToolResult;

TEST(ToolRun, StderrIsKeptApartAndShownWhenTheToolFails) {
    ToolResult r = RunTool({"sh", "-c", "printf 'one\\ntwo\\n'; echo 'Created directory: x' >&2"});
    EXPECT_TRUE(r.Ok()) << r;
    EXPECT_EQ(r.out, "one\ntwo\n");
    EXPECT_EQ(r.err, "Created directory: x\n");

    r = RunTool({"sh", "-c", "echo partial; echo 'Timeout: No Response' >&2; exit 3"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.out, "partial\n");
    EXPECT_NONFATAL_FAILURE(EXPECT_TRUE(r.Ok()) << r, "exited with 3");
    EXPECT_NONFATAL_FAILURE(EXPECT_TRUE(r.Ok()) << r, "Timeout: No Response");

    r = RunTool({"/nonexistent/tool"});
    EXPECT_EQ(r.exitCode, -1);
    EXPECT_NE(r.err.find("cannot start /nonexistent/tool"), std::string::npos) << r;
}

TEST(ToolRun, TheMachinesNetSnmpSetUpDoesNotReachTheTool) {
    setenv("SNMPCONFPATH", "/etc/snmp", 1);
    setenv("SNMP_PERSISTENT_DIR", "/var/lib/snmp", 1);
    setenv("MIBS", "ALL", 1);
    const ToolResult r =
        RunTool({"sh", "-c", "echo \"$SNMPCONFPATH|$SNMP_PERSISTENT_DIR|$MIBS|$HOME\""}, {"/tmp/own", 5000});
    EXPECT_EQ(r.out, "/tmp/own|/tmp/own/persist||/tmp/own\n") << r;
    const std::string dir = ksx::test::DefaultSnmpDir();
    EXPECT_EQ(RunTool({"sh", "-c", "echo \"$SNMPCONFPATH\""}).out, dir + "\n");
    unsetenv("SNMPCONFPATH");
    unsetenv("SNMP_PERSISTENT_DIR");
    unsetenv("MIBS");
}

TEST(ToolRun, AToolPastItsTimeLimitIsKilled) {
    const auto t0 = std::chrono::steady_clock::now();
    const ToolResult r = RunTool({"sleep", "30"}, {"", 200});
    EXPECT_TRUE(r.timedOut);
    EXPECT_FALSE(r.Ok());
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(10));
    std::ostringstream text;
    text << r;
    EXPECT_NE(text.str().find("killed at its time limit"), std::string::npos) << text.str();
}

}  // namespace
