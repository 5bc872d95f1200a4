// bench_startup: the module started against the simulated switch, from process start to its first
// painted panel with port states read from the device (the module prints a line then and closes),
// against the time of one snmpget round trip to the same simulator; and the module's resident memory
// (VmRSS, VmHWM) at that moment. Prints medians and the ratio (start-up / snmpget).
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "tests/support/ToolRun.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kRuns = 5;
constexpr int kLimitMs = 20000;

double Ms(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

fs::path BinDir() {
    return fs::read_symlink("/proc/self/exe").parent_path();
}

// A child process with its stdout on a pipe; killed and reaped when dropped.
class Child {
public:
    bool Start(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv = {}) {
        int out[2];
        if (pipe(out) != 0) {
            return false;
        }
        std::vector<std::string> a = args;
        std::vector<char*> argv;
        for (auto& s : a) {
            argv.push_back(s.data());
        }
        argv.push_back(nullptr);
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e) {
            env.emplace_back(*e);
        }
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        std::vector<char*> envp;
        for (auto& s : env) {
            envp.push_back(s.data());
        }
        envp.push_back(nullptr);
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_adddup2(&fa, out[1], 1);
        posix_spawn_file_actions_addclose(&fa, out[0]);
        posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
        const int rc = posix_spawnp(&m_pid, a[0].c_str(), &fa, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&fa);
        close(out[1]);
        if (rc != 0) {
            close(out[0]);
            m_pid = -1;
            return false;
        }
        m_out = out[0];
        return true;
    }
    // The next stdout line, or false after limitMs or at the end of the output.
    bool ReadLine(std::string& line, int limitMs) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
        for (;;) {
            const std::size_t nl = m_buffer.find('\n');
            if (nl != std::string::npos) {
                line = m_buffer.substr(0, nl);
                m_buffer.erase(0, nl + 1);
                return true;
            }
            const int left = static_cast<int>(
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
            if (left <= 0) {
                return false;
            }
            pollfd p{m_out, POLLIN, 0};
            if (poll(&p, 1, left) <= 0) {
                continue;
            }
            char buf[512];
            const ssize_t n = read(m_out, buf, sizeof buf);
            if (n <= 0) {
                return false;
            }
            m_buffer.append(buf, static_cast<std::size_t>(n));
        }
    }
    // Waits for the end; true when it exited by itself within the limit.
    bool Wait(int limitMs) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
        while (Clock::now() < deadline) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return true;
            }
            usleep(5000);
        }
        return false;
    }
    ~Child() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_out >= 0) {
            close(m_out);
        }
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_buffer;
};

long Field(const std::string& line, const std::string& key) {
    const std::size_t at = line.find(key + "=");
    return at == std::string::npos ? -1 : std::strtol(line.c_str() + at + key.size() + 1, nullptr, 10);
}

}  // namespace

int main() {
    const char* simEnv = std::getenv("KSX_SIM_BIN");
    const std::string sim = simEnv != nullptr ? simEnv : (BinDir() / "ksx-sim").string();
    const fs::path module = BinDir() / "ksx-module";
    const std::string source = KSX_SOURCE_DIR;
    if (!fs::exists(module) || !fs::exists(sim)) {
        std::fprintf(stderr, "bench_startup: ksx-module or ksx-sim is not built\n");
        return 1;
    }

    Child simulator;
    std::string ready;
    if (!simulator.Start(
            {sim, "--profile", source + "/sim/profiles/ksx-4200-28z1.txt", "--address", "127.0.0.1"}) ||
        !simulator.ReadLine(ready, 10000)) {
        std::fprintf(stderr, "bench_startup: the simulator did not start\n");
        return 1;
    }
    const long udp = Field(ready, "udp");

    // A copy of the module with its own User.ini, so the build's bin/User.ini is left alone.
    char tmpl[] = "/tmp/ksx-bench-startup-XXXXXX";
    if (mkdtemp(tmpl) == nullptr) {
        return 1;
    }
    const fs::path dir = tmpl;
    fs::copy_file(module, dir / "ksx-module");
    std::ofstream(dir / "User.ini") << "[DeviceInfo]\nDeviceName=KSX-4200-28Z1\nDevicePortNum=28\nXMLName="
                                    << source << "/res/panels/ksx-4200-28z1.xml\nIsAllGiga=N\nIsHasFan=Y\n";

    const std::vector<std::string> env = {
        std::string("QT_QPA_PLATFORM=") +
            (std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "offscreen"),
        "KSX_FIRST_LIVE_PAINT=1"};
    std::vector<double> startup;
    long rss = -1, hwm = -1;
    for (int i = 0; i < kRuns; ++i) {
        Child run;
        const auto t0 = Clock::now();
        if (!run.Start({(dir / "ksx-module").string(), "/P0", "/I127.0.0.1", "/Rquaint", "/Wharbour",
                        "/Vtrue", "/S1", "/O" + std::to_string(udp)},
                       env)) {
            std::fprintf(stderr, "bench_startup: cannot start the module\n");
            return 1;
        }
        std::string line;
        bool seen = false;
        while (run.ReadLine(line, kLimitMs)) {
            if (line.rfind("FIRST_LIVE_PAINT", 0) == 0) {
                seen = true;
                break;
            }
        }
        const auto t1 = Clock::now();
        if (!seen) {
            std::fprintf(stderr, "bench_startup: no live panel within %d ms\n", kLimitMs);
            return 1;
        }
        startup.push_back(Ms(t0, t1));
        rss = std::max(rss, Field(line, "vmrss_kb"));
        hwm = std::max(hwm, Field(line, "vmhwm_kb"));
        if (!run.Wait(5000)) {
            std::fprintf(stderr, "bench_startup: the module did not close within 5000 ms\n");
        }
    }

    // One snmpget round trip (the tool's whole run) to the same simulator.
    std::vector<double> snmpget;
    for (int i = 0; i < kRuns; ++i) {
        const auto t0 = Clock::now();
        const ksx::test::ToolResult r =
            ksx::test::RunTool({"snmpget", "-v1", "-cquaint", "-r0", "-t3", "-On",
                                "127.0.0.1:" + std::to_string(udp), "1.3.6.1.2.1.1.5.0"},
                               {"", 5000});
        snmpget.push_back(Ms(t0, Clock::now()));
        if (!r.Ok()) {
            std::cerr << "bench_startup: " << r << std::endl;
            return 1;
        }
    }
    fs::remove_all(dir);

    const double s = Median(startup);
    const double g = Median(snmpget);
    std::printf(
        "start-up to first live panel: %.1f ms (median of %d; the first poll waits 500 ms by design)\n", s,
        kRuns);
    std::printf("snmpget round trip:           %.1f ms (median of %d)\n", g, kRuns);
    std::printf("ratio start-up / snmpget:     %.1f\n", g > 0 ? s / g : 0.0);
    std::printf("module memory at first live panel: VmRSS %ld kB, VmHWM %ld kB\n", rss, hwm);
    return 0;
}
