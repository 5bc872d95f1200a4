// bench_walk: an asynchronous three-column walk of a generated 10,000-row table through CCommonSNMP,
// against snmpwalk of the same columns on the same simulator, for SNMPv1 and SNMPv3 authPriv.
// Prints one line per case with both medians and the ratio (ours / snmpwalk).
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "core/CommonSNMP.h"
#include "platform/snmplib/Snmp.h"
#include "platform/sys/Globals.h"
#include "tests/support/ToolRun.h"

extern char** environ;

namespace {

constexpr int kRows = 10000;
constexpr int kCols = 3;
constexpr const char* kPrefix = "1.3.6.1.4.1.99999.77";
constexpr int kRepeats = 3;

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::string SimBinary() {
    if (const char* env = std::getenv("KSX_SIM_BIN")) {
        return env;
    }
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "ksx-sim").string();
}

// The simulator process, started with the generated table; stopped and reaped at the end.
class Sim {
public:
    bool Start() {
        int out[2];
        if (pipe(out) != 0) {
            return false;
        }
        std::string bin = SimBinary();
        std::string profile = std::string(KSX_SOURCE_DIR) + "/sim/profiles/ksx-4200-28z1.txt";
        std::string table = std::string(kPrefix) + ":" + std::to_string(kRows) + ":" + std::to_string(kCols);
        std::vector<std::string> args = {bin,         "--profile", profile, "--address",
                                         "127.0.0.1", "--table",   table};
        std::vector<char*> argv;
        for (auto& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_adddup2(&fa, out[1], 1);
        posix_spawn_file_actions_addclose(&fa, out[0]);
        int rc = posix_spawn(&m_pid, bin.c_str(), &fa, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&fa);
        close(out[1]);
        if (rc != 0) {
            close(out[0]);
            std::fprintf(stderr, "bench_walk: cannot start %s\n", bin.c_str());
            m_pid = -1;
            return false;
        }
        std::string line;
        char c;
        while (read(out[0], &c, 1) == 1 && c != '\n') {
            line += c;
        }
        close(out[0]);
        int control = 0;
        if (std::sscanf(line.c_str(), "READY udp=%d control=%d", &m_port, &control) != 2) {
            std::fprintf(stderr, "bench_walk: simulator did not start: %s\n", line.c_str());
            return false;
        }
        return true;
    }
    ~Sim() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            int status = 0;
            waitpid(m_pid, &status, 0);
        }
    }
    int Port() const { return m_port; }

private:
    pid_t m_pid = -1;
    int m_port = 0;
};

struct WalkState {
    CCommonSNMP* session = nullptr;
    std::atomic<int> rows{0};
    std::atomic<int> status{0};
    std::string sink;
};

int OnStep(CSnmp* response, int requestId, void* userData, int status) {
    auto* st = static_cast<WalkState*>(userData);
    if (!st->session->FindRequestID(requestId)) {
        delete response;
        return 0;
    }
    if (status != 0) {
        st->status = status;
        delete response;
        st->session->SetDone();
        return 0;
    }
    for (int i = 0; i < response->getVarBindCount(); ++i) {
        int len = 0;
        char* value = nullptr;
        char* suffix = nullptr;
        response->getValue(i, &len, &value);
        st->session->GetResponseOid(i, response, &suffix);
        st->sink.assign(value, static_cast<size_t>(len));
    }
    ++st->rows;
    st->session->StartAsyncWalk(OnStep, st, 0);
    delete response;
    return 0;
}

// One asynchronous walk of the three columns; returns seconds, or a negative value on failure.
double OurWalk() {
    CCommonSNMP session;
    WalkState st;
    st.session = &session;
    auto t0 = Clock::now();
    if (!session.Open(1)) {
        return -1;
    }
    for (int c = 1; c <= kCols; ++c) {
        session.AddVarBind(std::string(kPrefix) + ".1." + std::to_string(c), 4, "");
    }
    session.StartAsyncWalk(OnStep, &st, 0);
    if (!session.WaitDone(600000)) {
        return -1;
    }
    auto t1 = Clock::now();
    session.Close();
    if (st.rows != kRows || st.status != CSnmp4w::EC_END_OF_WALK) {
        std::fprintf(stderr, "bench_walk: our walk read %d rows, status %d\n", st.rows.load(),
                     st.status.load());
        return -1;
    }
    return Seconds(t0, t1);
}

// snmpwalk once per column, as a user would; returns seconds for the three.
double ToolWalk(const std::vector<std::string>& security, int port) {
    auto t0 = Clock::now();
    for (int c = 1; c <= kCols; ++c) {
        std::vector<std::string> args = {"snmpwalk"};
        args.insert(args.end(), security.begin(), security.end());
        args.insert(args.end(), {"-r", "0", "-t", "3", "127.0.0.1:" + std::to_string(port),
                                 std::string(kPrefix) + ".1." + std::to_string(c)});
        const ksx::test::ToolResult r = ksx::test::RunTool(args);
        if (!r.Ok()) {
            std::cerr << "bench_walk: " << r << std::endl;
            return -1;
        }
    }
    return Seconds(t0, Clock::now());
}

bool RunCase(const char* name, const std::vector<std::string>& security, int port) {
    std::vector<double> ours;
    std::vector<double> tool;
    for (int i = 0; i < kRepeats; ++i) {
        double a = OurWalk();
        double b = ToolWalk(security, port);
        if (a < 0 || b < 0) {
            std::printf("%-28s failed\n", name);
            return false;
        }
        ours.push_back(a);
        tool.push_back(b);
    }
    double a = Median(ours);
    double b = Median(tool);
    std::printf("%-28s ours %8.3f s   snmpwalk %8.3f s   ratio %.2f\n", name, a, b, a / b);
    std::fflush(stdout);
    return true;
}

}  // namespace

int main() {
    SnmpInit();
    Sim sim;
    if (!sim.Start()) {
        return 1;
    }
    std::printf("walk of %d rows x %d columns, median of %d; snmpwalk runs once per column\n", kRows, kCols,
                kRepeats);
    ksx::ResetConnectionSettings();
    g_strDeviceIP = "127.0.0.1";
    g_strSnmpPort = std::to_string(sim.Port());
    g_strSnmpTimeout = "3000";

    bool ok = true;
    g_strSnmpVersion = "1";
    ok &= RunCase("SNMPv1", {"-v1", "-c", "quaint"}, sim.Port());

    g_strSnmpVersion = "3";
    g_strV3SecurityLevel = "3";
    g_strV3UserName = "shadesuser";
    g_strV3AuthProtocol = "3";
    g_strV3AuthPassword = "shaauthpass";
    g_strV3PrivProtocol = "2";
    g_strV3PrivPassword = "desprivpass";
    ok &= RunCase("SNMPv3 authPriv SHA+DES",
                  {"-v3", "-l", "authPriv", "-u", "shadesuser", "-a", "SHA", "-A", "shaauthpass", "-x", "DES",
                   "-X", "desprivpass"},
                  sim.Port());
    return ok ? 0 : 1;
}
