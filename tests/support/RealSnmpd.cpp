#include "tests/support/RealSnmpd.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "platform/sys/Globals.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/ToolRun.h"

namespace ksx::test {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kSnmpd = "/usr/sbin/snmpd";
constexpr int kStartLimitMs = 15000;
constexpr int kToolLimitMs = 15000;

// A UDP port on 127.0.0.1 that nothing uses right now.
int FreeUdpPort() {
    int s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (s < 0) {
        return 0;
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    inet_pton(AF_INET, "127.0.0.1", &addr.sin_addr);
    socklen_t len = sizeof(addr);
    int port = 0;
    if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) == 0) {
        port = ntohs(addr.sin_port);
    }
    close(s);
    return port;
}

// A tool's run against the agent: its output, or nothing when it failed, said on stderr (the
// test's output) with what the tool said there.
std::optional<std::string> Output(const std::vector<std::string>& args, const std::string& dir, bool quiet) {
    ToolOptions options;
    options.snmpDir = dir;
    options.limitMs = kToolLimitMs;
    ToolResult r = RunTool(args, options);
    if (!r.Ok()) {
        if (!quiet) {
            std::cerr << "RealSnmpd: " << r << std::endl;
        }
        return std::nullopt;
    }
    return std::move(r.out);
}

// What a file holds (empty when it cannot be read).
std::string FileText(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Trim(const std::string& s) {
    const size_t b = s.find_first_not_of(" \t\r\n");
    const size_t e = s.find_last_not_of(" \t\r\n");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

std::string HexToOctets(const std::string& hex) {
    std::string out;
    std::istringstream in(hex);
    std::string byte;
    while (in >> byte) {
        out += static_cast<char>(std::stoi(byte, nullptr, 16));
    }
    return out;
}

}  // namespace

bool RealSnmpd::Available() {
    return access(kSnmpd, X_OK) == 0 && access("/usr/bin/snmpget", X_OK) == 0 &&
           access("/usr/bin/snmpwalk", X_OK) == 0;
}

RealSnmpd::RealSnmpd(const std::string& engineId) {
    char tmpl[] = "/tmp/ksx-snmpd-XXXXXX";
    if (mkdtemp(tmpl) == nullptr) {
        throw std::runtime_error("RealSnmpd: cannot make a directory");
    }
    m_dir = tmpl;
    std::filesystem::create_directories(m_dir + "/persist");
    std::filesystem::create_directories(m_dir + "/nomibs");

    // A port taken between the probe and the agent's bind makes the start fail: try a few.
    for (int attempt = 0; attempt < 5 && m_pid < 0; ++attempt) {
        m_port = FreeUdpPort();
        {
            std::ofstream conf(m_dir + "/snmpd.conf");
            conf << "agentAddress udp:127.0.0.1:" << m_port << "\n"
                 << "rocommunity quaint 127.0.0.1\n"
                 << "rwcommunity harbour 127.0.0.1\n"
                 << "createUser " << kV3User << " SHA \"" << kV3AuthPassword << "\" DES \"" << kV3PrivPassword
                 << "\"\n"
                 << "rouser " << kV3User << " auth\n"
                 << "createUser " << kV3Writer << " SHA \"" << kV3AuthPassword << "\" DES \""
                 << kV3PrivPassword << "\"\n"
                 << "rwuser " << kV3Writer << " auth\n"
                 << (engineId.empty() ? "" : "engineID " + engineId + "\n");
        }
        const pid_t pid = Launch(false);
        if (pid < 0) {
            break;
        }
        m_pid = pid;
        // Ready when it answers a get of sysUpTime.
        const auto deadline = Clock::now() + std::chrono::milliseconds(kStartLimitMs);
        bool ready = false;
        while (!ready && Clock::now() < deadline) {
            if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
                m_pid = -1;  // it ended (port taken): next attempt
                break;
            }
            ready = Output({"/usr/bin/snmpget", "-v1", "-c", "quaint", "-t", "1", "-r", "1", Target(),
                            "1.3.6.1.2.1.1.3.0"},
                           m_dir, true)
                        .has_value();
        }
        if (!ready && m_pid > 0) {
            Stop();
        }
    }
    if (m_pid < 0) {
        const std::string said = FileText(m_dir + "/snmpd.stderr") + FileText(m_dir + "/snmpd.log");
        std::filesystem::remove_all(m_dir);
        throw std::runtime_error("RealSnmpd: snmpd did not start\n" + said);
    }
}

pid_t RealSnmpd::Launch(bool again) const {
    // -C reads no file but those named: started again, the one the agent saved its state to on the way
    // down (its engine id and boots) is named too.
    std::string conf = m_dir + "/snmpd.conf";
    if (again) {
        conf += "," + m_dir + "/persist/snmpd.conf";
    }
    // What the agent says on stderr goes to a file of its own, told when it does not start.
    const int errFd =
        open((m_dir + "/snmpd.stderr").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    const pid_t pid = SpawnTool({kSnmpd, "-f", "-Lf", m_dir + "/snmpd.log", "-C", "-c", conf, "-M",
                                 m_dir + "/nomibs", "-m", "", "-p", m_dir + "/snmpd.pid"},
                                m_dir, -1, errFd);
    if (errFd >= 0) {
        close(errFd);
    }
    return pid;
}

void RealSnmpd::Restart(bool wipe) {
    Stop();  // SIGTERM: the agent writes its engine id and boots to the persistent directory
    if (wipe) {
        std::filesystem::remove_all(m_dir + "/persist");
        std::filesystem::create_directories(m_dir + "/persist");
    }
    // The port was ours a moment ago; another process may take it meanwhile: that is a failure.
    m_pid = Launch(!wipe);
    const auto deadline = Clock::now() + std::chrono::milliseconds(kStartLimitMs);
    while (m_pid > 0 && Clock::now() < deadline) {
        if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
            m_pid = -1;
            break;
        }
        if (!Get({"1.3.6.1.2.1.1.3.0"}).empty()) {
            return;
        }
    }
    Stop();
    throw std::runtime_error("RealSnmpd: snmpd did not start again");
}

RealSnmpd::~RealSnmpd() {
    Stop();
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
}

void RealSnmpd::Stop() {
    if (m_pid <= 0) {
        return;
    }
    kill(m_pid, SIGTERM);
    const auto deadline = Clock::now() + std::chrono::milliseconds(3000);
    bool reaped = false;
    while (!reaped && Clock::now() < deadline) {
        const pid_t r = waitpid(m_pid, nullptr, WNOHANG);
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

std::string RealSnmpd::Target() const {
    return "udp:127.0.0.1:" + std::to_string(m_port);
}

std::vector<ToolBinding> RealSnmpd::ParseToolOutput(const std::string& text) {
    std::vector<ToolBinding> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) {
            continue;
        }
        if (line[0] != '.') {
            // A hex string continued on the next line.
            if (!out.empty() && out.back().type == "Hex-STRING") {
                out.back().value += HexToOctets(line);
            }
            continue;
        }
        const size_t eq = line.find(" = ");
        if (eq == std::string::npos) {
            continue;
        }
        ToolBinding b;
        b.oid = line.substr(1, eq - 1);
        std::string rest = line.substr(eq + 3);
        const size_t colon = rest.find(": ");
        if (colon == std::string::npos) {
            // "" (an empty string) or an exception text such as "No Such Object ..."
            if (rest == "\"\"") {
                b.type = "STRING";
                out.push_back(b);
            }
            continue;
        }
        b.type = rest.substr(0, colon);
        std::string value = rest.substr(colon + 2);
        if (b.type == "Hex-STRING") {
            b.value = HexToOctets(value);
        } else if (b.type == "STRING") {
            value = Trim(value);
            b.value = value.size() >= 2 && value.front() == '"' && value.back() == '"'
                          ? value.substr(1, value.size() - 2)
                          : value;
        } else if (b.type == "Timeticks") {
            // "(12345) 0:02:03.45": the hundredths in brackets
            const size_t open = value.find('(');
            const size_t close = value.find(')');
            b.value = open != std::string::npos && close != std::string::npos && close > open
                          ? value.substr(open + 1, close - open - 1)
                          : Trim(value);
        } else if (b.type == "OID") {
            value = Trim(value);
            b.value = !value.empty() && value[0] == '.' ? value.substr(1) : value;
        } else {
            b.value = Trim(value);
        }
        out.push_back(b);
    }
    // Octet strings read as hex are strings all the same.
    for (auto& b : out) {
        if (b.type == "Hex-STRING") {
            b.type = "STRING";
        }
    }
    return out;
}

std::vector<ToolBinding> RealSnmpd::Get(const std::vector<std::string>& oids) const {
    std::vector<std::string> args = {"/usr/bin/snmpget",
                                     "-v1",
                                     "-c",
                                     "quaint",
                                     "-t",
                                     "1",
                                     "-r",
                                     "1",
                                     "-On",
                                     "-Oe",
                                     "-OU",
                                     "-Ox",
                                     Target()};
    args.insert(args.end(), oids.begin(), oids.end());
    const std::optional<std::string> out = Output(args, m_dir, false);
    return out ? ParseToolOutput(*out) : std::vector<ToolBinding>{};
}

std::vector<ToolBinding> RealSnmpd::Walk(const std::string& oid) const {
    const std::optional<std::string> out = Output({"/usr/bin/snmpwalk", "-v1", "-c", "quaint", "-t", "1",
                                                   "-r", "1", "-On", "-Oe", "-OU", "-Ox", Target(), oid},
                                                  m_dir, false);
    return out ? ParseToolOutput(*out) : std::vector<ToolBinding>{};
}

bool RealSnmpd::Set(const std::string& oid, const std::string& type, const std::string& value) const {
    return Output(
               {"/usr/bin/snmpset", "-v1", "-c", "harbour", "-t", "1", "-r", "1", Target(), oid, type, value},
               m_dir, false)
        .has_value();
}

void UseSnmpdV1(const RealSnmpd& agent, const std::string& timeoutMs) {
    UseAgentV1(agent.Address(), agent.Port(), timeoutMs);
}

void UseSnmpdV3(const RealSnmpd& agent, const std::string& level, const std::string& authPassword,
                const std::string& privPassword) {
    UseAgentV1(agent.Address(), agent.Port(), "3000");
    g_strSnmpVersion = "3";
    g_strV3SecurityLevel = level;
    g_strV3UserName = RealSnmpd::kV3User;
    g_strV3AuthProtocol = "3";
    g_strV3AuthPassword = authPassword;
    g_strV3PrivProtocol = level == "3" ? "2" : "1";
    g_strV3PrivPassword = level == "3" ? privPassword : std::string();
}

}  // namespace ksx::test
