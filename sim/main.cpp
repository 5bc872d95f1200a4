// ksx-sim: the simulated KSX-4200 switch. See sim/README.md for the options and the control protocol.

// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/agent/net-snmp-agent-includes.h>
// clang-format on

#include <sys/select.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <string>

#include "sim/Agent.h"
#include "sim/Control.h"
#include "sim/Device.h"

namespace {

volatile sig_atomic_t g_stop = 0;

void OnSignal(int) {
    g_stop = 1;
}

void Usage() {
    std::cerr << "usage: ksx-sim --profile PATH [--port N] [--address A] [--control-port N]\n"
                 "               [--community-read C] [--community-write C] [--user SPEC]...\n"
                 "               [--table OIDPREFIX:ROWS:COLS]... [--fdb N] [--live] [--live-ms MS]\n"
                 "               [--reboot-ms MS] [--save-ms MS] [--transfer-ms MS]\n";
}

bool ToInt(const char* text, int lo, int hi, int* out) {
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < lo || v > hi) {
        return false;
    }
    *out = static_cast<int>(v);
    return true;
}

// Removes the private state directory when the process ends normally.
struct StateDir {
    std::string path;
    ~StateDir() {
        if (!path.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    ksxsim::DeviceOptions deviceOptions;
    ksxsim::AgentOptions agentOptions;
    int controlPort = 0;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        bool ok = true;
        if (arg == "--live") {
            deviceOptions.live = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            Usage();
            return 0;
        }
        if (!value) {
            Usage();
            return 2;
        }
        ++i;
        if (arg == "--port") {
            ok = ToInt(value, 0, 65535, &agentOptions.port);
        } else if (arg == "--address") {
            agentOptions.address = value;
        } else if (arg == "--profile") {
            deviceOptions.profilePath = value;
        } else if (arg == "--control-port") {
            ok = ToInt(value, 0, 65535, &controlPort);
        } else if (arg == "--community-read") {
            agentOptions.readCommunity = value;
        } else if (arg == "--community-write") {
            agentOptions.writeCommunity = value;
        } else if (arg == "--user") {
            ksxsim::UserSpec user;
            ok = ksxsim::ParseUserSpec(value, &user);
            agentOptions.users.push_back(user);
        } else if (arg == "--table") {
            deviceOptions.tables.push_back(value);
        } else if (arg == "--fdb") {
            // Generated like --table, by its own spec form.
            int entries = 0;
            ok = ToInt(value, 0, 1000000, &entries);
            deviceOptions.tables.push_back("fdb:" + std::to_string(entries));
        } else if (arg == "--live-ms") {
            ok = ToInt(value, 10, 3600000, &deviceOptions.liveMs);
        } else if (arg == "--reboot-ms") {
            ok = ToInt(value, 0, 3600000, &deviceOptions.rebootMs);
        } else if (arg == "--save-ms") {
            ok = ToInt(value, 0, 3600000, &deviceOptions.saveMs);
        } else if (arg == "--debug") {
            // Net-SNMP debug tokens, e.g. "snmp_agent,sess_process_packet"
            debug_register_tokens(value);
            snmp_set_do_debugging(1);
        } else if (arg == "--transfer-ms") {
            ok = ToInt(value, 0, 3600000, &deviceOptions.transferMs);
        } else {
            ok = false;
        }
        if (!ok) {
            std::cerr << "ksx-sim: bad option " << arg << " " << value << "\n";
            Usage();
            return 2;
        }
    }
    for (const std::string* c : {&agentOptions.readCommunity, &agentOptions.writeCommunity}) {
        if (c->empty() || c->find_first_of(" \t\r\n\"'#") != std::string::npos) {
            std::cerr << "ksx-sim: a community is one word\n";
            return 2;
        }
    }
    if (deviceOptions.profilePath.empty()) {
        Usage();
        return 2;
    }

    // Built-in SNMPv3 users, before those of the command line.
    std::vector<ksxsim::UserSpec> users = {
        {"noauthuser", "", "", "", ""},
        {"md5user", "MD5", "md5authpass", "", ""},
        {"shauser", "SHA", "shaauthpass", "", ""},
        {"shadesuser", "SHA", "shaauthpass", "DES", "desprivpass"},
        {"shaaesuser", "SHA", "shaauthpass", "AES", "aesprivpass"},
    };
    users.insert(users.end(), agentOptions.users.begin(), agentOptions.users.end());
    agentOptions.users = users;

    std::srand(static_cast<unsigned>(std::time(nullptr)) ^ static_cast<unsigned>(getpid()));

    ksxsim::Device device;
    std::string error;
    if (!device.Load(deviceOptions, &error)) {
        std::cerr << "ksx-sim: " << error << "\n";
        return 1;
    }

    StateDir state;
    std::string tmpl = (std::filesystem::temp_directory_path() / "ksx-sim.XXXXXX").string();
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) {
        std::cerr << "ksx-sim: cannot create a temporary directory\n";
        return 1;
    }
    state.path = buf.data();

    ksxsim::Agent agent(device);
    if (!agent.Start(agentOptions, state.path, &error)) {
        std::cerr << "ksx-sim: " << error << "\n";
        return 1;
    }
    // The library has read its (generated) configuration; nothing is written there later, so the
    // directory goes now and even a killed simulator leaves nothing behind.
    {
        std::error_code ec;
        std::filesystem::remove_all(state.path, ec);
    }
    ksxsim::ControlServer control(device, agent);
    if (!control.Start(agentOptions.address, controlPort, &error)) {
        std::cerr << "ksx-sim: " << error << "\n";
        return 1;
    }
    // After the library's set-up, which installs handlers of its own.
    struct sigaction stop {};
    stop.sa_handler = OnSignal;
    sigaction(SIGTERM, &stop, nullptr);
    sigaction(SIGINT, &stop, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::printf("READY udp=%d control=%d\n", agent.Port(), control.Port());
    std::fflush(stdout);

    while (!g_stop && !control.QuitRequested()) {
        int maxFd = 0;
        fd_set fds;
        FD_ZERO(&fds);
        timeval tv{};
        int block = 1;
        snmp_select_info(&maxFd, &fds, &tv, &block);
        --maxFd;  // snmp_select_info gives the count (highest descriptor + 1)
        control.AddFds(&fds, &maxFd);

        // Wake for the next library time-out, delayed answer or timed device change; at most 1 s.
        auto now = ksxsim::Clock::now();
        auto wake = now + std::chrono::seconds(1);
        if (!block) {
            wake =
                std::min(wake, now + std::chrono::seconds(tv.tv_sec) + std::chrono::microseconds(tv.tv_usec));
        }
        if (auto t = agent.NextDelayed()) {
            wake = std::min(wake, *t);
        }
        if (auto t = device.NextEvent()) {
            wake = std::min(wake, *t);
        }
        auto waitUs =
            std::max<long long>(0, std::chrono::duration_cast<std::chrono::microseconds>(wake - now).count());
        timeval timeout{static_cast<time_t>(waitUs / 1000000), static_cast<suseconds_t>(waitUs % 1000000)};
        int n = select(maxFd + 1, &fds, nullptr, nullptr, &timeout);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            std::perror("ksx-sim: select");
            break;
        }
        if (n > 0) {
            snmp_read(&fds);
            control.Handle(fds);
        } else {
            snmp_timeout();
        }
        run_alarms();
        netsnmp_check_outstanding_agent_requests();
        now = ksxsim::Clock::now();
        device.Tick(now);
        agent.RunDelayed(now);
    }
    agent.DropDelayed();  // the requests still held carry security state the library's shutdown frees
    snmp_shutdown("ksx-sim");
    return 0;
}
