#include "platform/sys/Process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace ksx {

std::string GetModuleFolder() {
    std::string path(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0) {
        return std::string();
    }
    path.resize(static_cast<std::size_t>(length));
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return std::string();
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool StartProcess(const std::vector<std::string>& argv) {
    if (argv.empty() || argv[0].empty()) {
        return false;
    }
    // A short-lived shell checks that the program exists, starts it in the background and exits at
    // once; it is reaped here, and the program itself is adopted by init, so no zombie is left.
    static const char* script =
        "command -v \"$1\" >/dev/null 2>&1 || exit 127\n"
        "\"$@\" </dev/null >/dev/null 2>&1 &\n"
        "exit 0\n";
    std::vector<char*> args;
    args.push_back(const_cast<char*>("/bin/sh"));
    args.push_back(const_cast<char*>("-c"));
    args.push_back(const_cast<char*>(script));
    args.push_back(const_cast<char*>("ksx-start"));
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);

    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, "/bin/sh", nullptr, &attr, args.data(), environ);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) {
        return false;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace ksx
