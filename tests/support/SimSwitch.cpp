#include "tests/support/SimSwitch.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <tuple>

#include "platform/sys/Globals.h"

extern char** environ;

namespace ksx::test {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kStartLimitMs = 10000;
constexpr int kReplyLimitMs = 10000;

std::string SimBinary() {
    if (const char* env = std::getenv("KSX_SIM_BIN"); env && *env) {
        return env;
    }
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return (exe.parent_path() / "ksx-sim").string();
}

std::string ProfilePath(const std::string& profile) {
    if (profile.find('/') != std::string::npos) {
        return profile;
    }
    const char* env = std::getenv("KSX_SOURCE_DIR");
    std::string source = env && *env ? env : KSX_SOURCE_DIR_DEFAULT;
    return source + "/sim/profiles/" + profile + ".txt";
}

int RemainingMs(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
            out += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

SimSwitch::SimSwitch() : SimSwitch(Options{}) {}

SimSwitch::SimSwitch(Options options) {
    std::vector<std::string> args = {SimBinary(), "--profile", ProfilePath(options.profile)};
    args.insert(args.end(), options.extraArgs.begin(), options.extraArgs.end());
    std::vector<char*> argv;
    for (auto& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);

    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        throw std::runtime_error("SimSwitch: pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    int rc = posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        m_pid = -1;
        throw std::runtime_error("SimSwitch: cannot start " + args[0] + ": " + std::strerror(rc));
    }

    // The first stdout line announces the ports.
    std::string line;
    auto deadline = Clock::now() + std::chrono::milliseconds(kStartLimitMs);
    bool done = false;
    while (!done) {
        pollfd p{out[0], POLLIN, 0};
        int n = poll(&p, 1, RemainingMs(deadline));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        char c = 0;
        if (n <= 0 || read(out[0], &c, 1) != 1) {
            break;
        }
        if (c == '\n') {
            done = true;
        } else {
            line += c;
        }
    }
    close(out[0]);
    if (!done || std::sscanf(line.c_str(), "READY udp=%d control=%d", &m_port, &m_controlPort) != 2) {
        Stop();
        throw std::runtime_error("SimSwitch: " + args[0] + " did not become ready (got \"" + line + "\")");
    }

    m_control = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(m_controlPort));
    inet_pton(AF_INET, "127.0.0.1", &addr.sin_addr);
    if (m_control < 0 || connect(m_control, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
        Stop();
        throw std::runtime_error("SimSwitch: cannot connect to the control port");
    }
    int one = 1;
    setsockopt(m_control, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
}

SimSwitch::~SimSwitch() {
    Stop();
}

void SimSwitch::Stop() {
    if (m_control >= 0) {
        static const char quit[] = "quit\n";
        (void)send(m_control, quit, sizeof(quit) - 1, MSG_NOSIGNAL);
    }
    if (m_pid > 0) {
        // A polite end first (it removes its scratch directory), then the hard one.
        auto deadline = Clock::now() + std::chrono::milliseconds(2000);
        bool reaped = false;
        if (m_control < 0) {
            kill(m_pid, SIGTERM);
        }
        while (!reaped && Clock::now() < deadline) {
            pid_t r = waitpid(m_pid, nullptr, WNOHANG);
            reaped = r == m_pid || (r < 0 && errno != EINTR);
            if (!reaped) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }
        if (!reaped) {
            kill(m_pid, SIGKILL);
            while (waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }
        m_pid = -1;
    }
    if (m_control >= 0) {
        close(m_control);
        m_control = -1;
    }
}

std::string SimSwitch::Address() const {
    return m_address;
}

int SimSwitch::Port() const {
    return m_port;
}

std::string SimSwitch::ReadLine() {
    auto deadline = Clock::now() + std::chrono::milliseconds(kReplyLimitMs);
    size_t nl;
    while ((nl = m_buffer.find('\n')) == std::string::npos) {
        pollfd p{m_control, POLLIN, 0};
        int n = poll(&p, 1, RemainingMs(deadline));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            throw std::runtime_error("SimSwitch: no reply on the control port");
        }
        char buf[65536];
        ssize_t got = recv(m_control, buf, sizeof(buf), 0);
        if (got <= 0) {
            throw std::runtime_error("SimSwitch: control connection closed");
        }
        m_buffer.append(buf, static_cast<size_t>(got));
    }
    std::string line = m_buffer.substr(0, nl);
    m_buffer.erase(0, nl + 1);
    return line;
}

namespace {
thread_local long long t_controlWaitNs = 0;

// Adds the time from construction to destruction to the thread's control wait.
class ControlWaitClock {
public:
    ControlWaitClock() : m_start(std::chrono::steady_clock::now()) {}
    ~ControlWaitClock() {
        t_controlWaitNs +=
            std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - m_start)
                .count();
    }
    ControlWaitClock(const ControlWaitClock&) = delete;
    ControlWaitClock& operator=(const ControlWaitClock&) = delete;

private:
    std::chrono::steady_clock::time_point m_start;
};
}  // namespace

long long SimSwitch::ControlWaitNs() {
    return t_controlWaitNs;
}

std::string SimSwitch::Command(const std::string& line) {
    if (line.find('\n') != std::string::npos) {
        throw std::invalid_argument("SimSwitch: a command is one line");
    }
    const ControlWaitClock clock;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_control < 0) {
        throw std::runtime_error("SimSwitch: not running");
    }
    std::string data = line + "\n";
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = send(m_control, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            throw std::runtime_error("SimSwitch: control connection lost");
        }
        done += static_cast<size_t>(n);
    }
    std::string reply = ReadLine();
    // "log" answers "OK <n>" followed by n lines.
    std::istringstream words(line);
    std::string cmd;
    words >> cmd;
    if (cmd == "log" && reply.rfind("OK ", 0) == 0) {
        long count = std::stol(reply.substr(3));
        for (long i = 0; i < count; ++i) {
            reply += "\n" + ReadLine();
        }
    }
    return reply;
}

static void Expect(const std::string& reply, const std::string& what) {
    if (reply != "OK") {
        throw std::runtime_error("SimSwitch: " + what + ": " + reply);
    }
}

void SimSwitch::Set(const std::string& oid, const std::string& type, const std::string& value) {
    Expect(Command("set " + oid + " " + type + " " + value), "set " + oid);
}

std::string SimSwitch::Get(const std::string& oid) {
    std::string reply = Command("get " + oid);
    // "OK <type> <escaped value>"; an empty value leaves nothing after the type.
    if (reply.rfind("OK ", 0) != 0 || reply.size() < 4) {
        return "";
    }
    return reply.size() > 5 ? Unescape(reply.substr(5)) : "";
}

void SimSwitch::DropPercent(int percent) {
    Expect(Command("drop " + std::to_string(percent)), "drop");
}

void SimSwitch::DelayMs(int ms) {
    Expect(Command("delay " + std::to_string(ms)), "delay");
}

void SimSwitch::ErrorStatus(const std::string& oid, int status) {
    Expect(Command("error " + oid + " " + std::to_string(status)), "error");
}

void SimSwitch::RefuseWrites(const std::string& oid, int status) {
    Expect(Command("error " + oid + " " + std::to_string(status) + " *"), "error");
}

void SimSwitch::Silence(bool on) {
    Expect(Command(on ? "silence on" : "silence off"), "silence");
}

void SimSwitch::WritesSilent(bool on) {
    Expect(Command(on ? "writes silent on" : "writes silent off"), "writes silent");
}

void SimSwitch::WritesRefused(int status) {
    Expect(Command("writes refuse " + (status == 0 ? std::string("off") : std::to_string(status))),
           "writes refuse");
}

void SimSwitch::LoseAnswer(const std::string& oid, bool once) {
    Expect(Command("loseanswer " + oid + (once ? " once" : "")), "loseanswer");
}

void SimSwitch::Omit(const std::string& oid, bool on) {
    Expect(Command("omit " + oid + (on ? " on" : " off")), "omit");
}

void SimSwitch::OmitNone() {
    Expect(Command("omit off"), "omit");
}

void SimSwitch::Unset(const std::string& oid) {
    Expect(Command("unset " + oid), "unset");
}

void SimSwitch::Restart() {
    Expect(Command("restart"), "restart");
}

void SimSwitch::ClearLog() {
    Expect(Command("clearlog"), "clearlog");
}

bool SimSwitch::ParseLogLine(const std::string& line, SimRequest* out) {
    std::istringstream in(line);
    std::string field;
    SimRequest r{};
    int seen = 0;
    while (in >> field) {
        size_t eq = field.find('=');
        if (eq == std::string::npos) {
            return false;
        }
        std::string key = field.substr(0, eq);
        std::string value = field.substr(eq + 1);
        if (key == "v") {
            r.version = std::atoi(value.c_str());
            seen |= 1;
        } else if (key == "p") {
            r.principal = Unescape(value);
            seen |= 2;
        } else if (key == "t") {
            r.pdu = value;
            seen |= 4;
        } else if (key == "b") {
            size_t p1 = value.find('|');
            size_t p2 = p1 == std::string::npos ? p1 : value.find('|', p1 + 1);
            if (p2 == std::string::npos) {
                return false;
            }
            r.varbinds.push_back(
                {value.substr(0, p1), value.substr(p1 + 1, p2 - p1 - 1), Unescape(value.substr(p2 + 1))});
        } else {
            return false;
        }
    }
    if (seen != 7) {
        return false;
    }
    *out = std::move(r);
    return true;
}

std::vector<SimRequest> SimSwitch::Requests() {
    std::string reply = Command("log");
    std::vector<SimRequest> requests;
    std::istringstream in(reply);
    std::string line;
    std::getline(in, line);  // "OK <n>"
    while (std::getline(in, line)) {
        SimRequest r;
        if (!ParseLogLine(line, &r)) {
            throw std::runtime_error("SimSwitch: malformed log line: " + line);
        }
        requests.push_back(std::move(r));
    }
    return requests;
}

std::vector<SimRequest> SimSwitch::DistinctRequests() {
    // The log first: "ids" then names at least as many requests, the log's ones first and in its order.
    std::vector<SimRequest> all = Requests();
    std::istringstream ids(Command("ids"));
    std::string word;
    ids >> word;  // "OK"
    std::set<std::tuple<std::string, std::string, std::string>> seen;
    std::vector<SimRequest> out;
    for (SimRequest& r : all) {
        if (!(ids >> word)) {
            throw std::runtime_error("SimSwitch: fewer request ids than logged requests");
        }
        if (seen.emplace(word, r.principal, r.pdu).second) {
            out.push_back(std::move(r));
        }
    }
    return out;
}

bool SimSwitch::WaitForRequests(const std::function<bool(const std::vector<SimRequest>&)>& pred,
                                int limitMs) {
    auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    while (true) {
        if (pred(Requests())) {
            return true;
        }
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void UseSimV1(const SimSwitch& sim, const std::string& timeoutMs) {
    UseAgentV1(sim.Address(), sim.Port(), timeoutMs);
}

void UseAgentV1(const std::string& address, int port, const std::string& timeoutMs) {
    g_strDeviceIP = address;
    g_strSnmpPort = std::to_string(port);
    g_strSnmpVersion = "1";
    g_strReadCommunity = "quaint";
    g_strWriteCommunity = "harbour";
    g_strSnmpTimeout = timeoutMs;
    g_strV3SecurityLevel = "1";
    g_strV3UserName.clear();
    g_strV3AuthPassword.clear();
    g_strV3PrivPassword.clear();
    g_strV3AuthProtocol = "1";
    g_strV3PrivProtocol = "1";
}

void UseSimV3(const SimSwitch& sim, const std::string& level, const std::string& user,
              const std::string& authProto, const std::string& authPwd, const std::string& privProto,
              const std::string& privPwd) {
    g_strDeviceIP = sim.Address();
    g_strSnmpPort = std::to_string(sim.Port());
    g_strSnmpVersion = "3";
    g_strReadCommunity = "quaint";
    g_strWriteCommunity = "harbour";
    g_strSnmpTimeout = "3000";
    g_strV3SecurityLevel = level;
    g_strV3UserName = user;
    g_strV3AuthProtocol = authProto;
    g_strV3AuthPassword = authPwd;
    g_strV3PrivProtocol = privProto;
    g_strV3PrivPassword = privPwd;
}

}  // namespace ksx::test
