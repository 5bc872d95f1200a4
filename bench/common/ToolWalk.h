// The reference a dialog benchmark measures against: snmpwalk once per column of the same table on the
// same simulator, as a user would read the same columns.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

extern char** environ;

namespace ksx::bench {

// Runs a reference tool (found on PATH) with its output thrown away; true when it exited with 0.
inline bool RunQuiet(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (auto& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, argv[0], &fa, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    int status = 0;
    return rc == 0 && waitpid(pid, &status, 0) >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Seconds for one snmpwalk -v1 of each column in turn, or -1 when one of them failed.
inline double SnmpwalkColumns(int port, const std::vector<std::string>& columns) {
    const auto t0 = std::chrono::steady_clock::now();
    for (const std::string& column : columns) {
        if (!RunQuiet({"snmpwalk", "-v1", "-c", "quaint", "-r", "0", "-t", "3", "-On",
                       "127.0.0.1:" + std::to_string(port), column})) {
            std::fprintf(stderr, "snmpwalk of %s failed\n", column.c_str());
            return -1;
        }
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace ksx::bench
