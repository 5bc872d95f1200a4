#include "tests/support/ToolRun.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <stdexcept>

extern char** environ;

namespace ksx::test {

namespace {

using Clock = std::chrono::steady_clock;

bool StartsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

// The process's temporary Net-SNMP folder, removed when the process ends.
class TempSnmpDir {
public:
    TempSnmpDir() {
        std::error_code ec;
        std::string pattern = (std::filesystem::temp_directory_path(ec) / "ksx-snmptools-XXXXXX").string();
        if (ec) {
            pattern = "/tmp/ksx-snmptools-XXXXXX";
        }
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a folder for the Net-SNMP tools from " + pattern);
        }
        m_path = pattern;
    }
    ~TempSnmpDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempSnmpDir(const TempSnmpDir&) = delete;
    TempSnmpDir& operator=(const TempSnmpDir&) = delete;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

void CloseBoth(int fds[2]) {
    for (int i = 0; i < 2; ++i) {
        if (fds[i] >= 0) {
            close(fds[i]);
            fds[i] = -1;
        }
    }
}

}  // namespace

const std::string& DefaultSnmpDir() {
    static const TempSnmpDir dir;
    return dir.Path();
}

std::vector<std::string> ToolEnvironment(const std::string& snmpDir) {
    const std::string dir = snmpDir.empty() ? DefaultSnmpDir() : snmpDir;
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string var = *e;
        if (!StartsWith(var, "SNMP") && !StartsWith(var, "MIBS=") && !StartsWith(var, "MIBDIRS=") &&
            !StartsWith(var, "MIBFILES=") && !StartsWith(var, "HOME=")) {
            env.push_back(var);
        }
    }
    env.push_back("SNMPCONFPATH=" + dir);
    env.push_back("SNMP_PERSISTENT_DIR=" + dir + "/persist");
    env.push_back("MIBS=");
    env.push_back("MIBDIRS=" + dir + "/nomibs");
    env.push_back("HOME=" + dir);
    return env;
}

pid_t SpawnTool(const std::vector<std::string>& args, const std::string& snmpDir, int outFd, int errFd) {
    if (args.empty()) {
        return -1;
    }
    std::vector<std::string> env = ToolEnvironment(snmpDir);
    std::vector<std::string> copy = args;
    std::vector<char*> argv;
    for (auto& a : copy) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (outFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    }
    if (errFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, errFd, 2);
    } else {
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

ToolResult RunTool(const std::vector<std::string>& args, const ToolOptions& options) {
    ToolResult result;
    result.args = args;
    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        CloseBoth(out);
        result.err = "cannot make a pipe";
        return result;
    }
    const pid_t pid = SpawnTool(args, options.snmpDir, out[1], err[1]);
    close(out[1]);
    close(err[1]);
    if (pid < 0) {
        close(out[0]);
        close(err[0]);
        result.err = "cannot start " + (args.empty() ? std::string("(nothing)") : args[0]);
        return result;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(options.limitMs);
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            kill(pid, SIGKILL);
            result.timedOut = true;
            break;
        }
        const int n = poll(fds, 2, static_cast<int>(left));
        if (n < 0 && errno != EINTR) {
            break;
        }
        for (int i = 0; i < 2 && n > 0; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            char buf[4096];
            const ssize_t got = read(fds[i].fd, buf, sizeof(buf));
            if (got > 0) {
                sinks[i]->append(buf, static_cast<size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                close(fds[i].fd);
                fds[i].fd = -1;  // poll ignores it from now on
            }
        }
    }
    for (const pollfd& p : fds) {
        if (p.fd >= 0) {
            close(p.fd);
        }
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = !result.timedOut && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::ostream& operator<<(std::ostream& os, const ToolResult& r) {
    for (size_t i = 0; i < r.args.size(); ++i) {
        os << (i > 0 ? " " : "") << r.args[i];
    }
    if (r.timedOut) {
        os << ": killed at its time limit";
    } else if (r.exitCode < 0) {
        os << ": did not start or did not exit";
    } else {
        os << ": exited with " << r.exitCode;
    }
    os << "\n--- stdout ---\n" << r.out;
    if (!r.out.empty() && r.out.back() != '\n') {
        os << '\n';
    }
    os << "--- stderr ---\n" << r.err;
    return os;
}

}  // namespace ksx::test
