#include "sim/Control.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <sstream>

namespace ksxsim {

namespace {

bool WriteAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool ParseNumber(const std::string& text, long lo, long hi, long* out) {
    if (text.empty() || text.size() > 10) {
        return false;
    }
    size_t used = 0;
    try {
        *out = std::stol(text, &used);
    } catch (...) {
        return false;
    }
    return used == text.size() && *out >= lo && *out <= hi;
}

}  // namespace

ControlServer::~ControlServer() {
    for (auto& c : m_clients) {
        close(c.fd);
    }
    if (m_listen >= 0) {
        close(m_listen);
    }
}

bool ControlServer::Start(const std::string& address, int port, std::string* error) {
    m_listen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof(one));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    // The control channel stays on the IPv4 loopback even when the agent listens elsewhere.
    inet_pton(AF_INET, address.find(':') == std::string::npos ? address.c_str() : "127.0.0.1",
              &addr.sin_addr);
    socklen_t len = sizeof(addr);
    if (m_listen < 0 || bind(m_listen, reinterpret_cast<sockaddr*>(&addr), len) != 0 ||
        listen(m_listen, 16) != 0 || getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        *error = "cannot listen on control port " + std::to_string(port);
        return false;
    }
    m_port = ntohs(addr.sin_port);
    return true;
}

void ControlServer::AddFds(fd_set* fds, int* maxFd) const {
    FD_SET(m_listen, fds);
    *maxFd = std::max(*maxFd, m_listen);
    for (const auto& c : m_clients) {
        FD_SET(c.fd, fds);
        *maxFd = std::max(*maxFd, c.fd);
    }
}

void ControlServer::Handle(const fd_set& fds) {
    if (FD_ISSET(m_listen, &fds)) {
        int fd = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0 && fd < FD_SETSIZE) {
            m_clients.push_back({fd, ""});
        } else if (fd >= 0) {
            close(fd);
        }
    }
    for (size_t i = 0; i < m_clients.size();) {
        Client& c = m_clients[i];
        bool closed = false;
        if (FD_ISSET(c.fd, &fds)) {
            char buf[4096];
            ssize_t n = recv(c.fd, buf, sizeof(buf), MSG_DONTWAIT);
            if (n > 0) {
                c.input.append(buf, static_cast<size_t>(n));
            } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
                closed = true;
            }
            size_t nl;
            while (!closed && (nl = c.input.find('\n')) != std::string::npos) {
                std::string line = c.input.substr(0, nl);
                c.input.erase(0, nl + 1);
                if (!line.empty() && line.back() == '\r') {
                    line.pop_back();
                }
                if (!WriteAll(c.fd, Execute(line) + "\n")) {
                    closed = true;
                }
            }
            if (c.input.size() > 1 << 20) {
                closed = true;
            }
        }
        if (closed) {
            close(c.fd);
            m_clients.erase(m_clients.begin() + static_cast<long>(i));
        } else {
            ++i;
        }
    }
}

std::string ControlServer::Execute(const std::string& line) {
    std::istringstream in(line);
    std::string cmd;
    in >> cmd;
    auto now = Clock::now();
    std::string a;
    std::string b;
    long n = 0;
    if (cmd == "set") {
        // set OID TYPE VALUE: the value is the rest of the line after one blank, spaces included.
        std::string type;
        in >> a >> type;
        std::string rest;
        std::getline(in, rest);
        if (!rest.empty() && rest[0] == ' ') {
            rest.erase(0, 1);
        }
        auto oid = ParseOid(a);
        auto value =
            oid && type.size() == 1 && IsTypeLetter(type[0]) ? ParseValue(type[0], rest) : std::nullopt;
        if (!value) {
            return "ERR usage: set OID TYPE VALUE";
        }
        m_device.ControlSet(*oid, *value);
        return "OK";
    }
    if (cmd == "row" && in >> a >> b && ParseNumber(b, 1, 6, &n)) {
        auto oid = ParseOid(a);
        if (!oid) {
            return "ERR bad OID";
        }
        return m_device.ControlRow(*oid, n) ? "OK" : "ERR no status object of a table";
    }
    if (cmd == "unset" && in >> a) {
        auto oid = ParseOid(a);
        if (!oid) {
            return "ERR bad OID";
        }
        return m_device.ControlUnset(*oid) ? "OK" : "ERR no such object";
    }
    if (cmd == "get" && in >> a) {
        auto oid = ParseOid(a);
        if (!oid) {
            return "ERR bad OID";
        }
        auto v = m_device.ControlGet(*oid, now);
        if (!v) {
            return "NONE";
        }
        return "OK " + std::string(1, v->type) + " " + Escape(ValueText(*v));
    }
    if (cmd == "drop" && in >> a && ParseNumber(a, 0, 100, &n)) {
        m_agent.SetDropPercent(static_cast<int>(n));
        return "OK";
    }
    if (cmd == "loss" && in >> a && ParseNumber(a, 0, 100, &n)) {
        long seed = 1;
        if (in >> b && !ParseNumber(b, 0, 0x7fffffffL, &seed)) {
            return "ERR bad seed";
        }
        m_agent.SetLossPercent(static_cast<int>(n), static_cast<unsigned>(seed));
        return "OK";
    }
    if (cmd == "ids") {
        std::string reply = "OK";
        for (long id : m_agent.LogIds()) {
            reply += " " + std::to_string(id);
        }
        return reply;
    }
    if (cmd == "delay" && in >> a && ParseNumber(a, 0, 600000, &n)) {
        m_agent.SetDelayMs(static_cast<int>(n));
        return "OK";
    }
    if (cmd == "error" && in >> a >> b && (b == "drop" || ParseNumber(b, 0, 18, &n))) {
        auto oid = ParseOid(a);
        if (!oid) {
            return "ERR bad OID";
        }
        // error OID STATUS|drop VALUE: only SETs writing that value ("*": any value).
        if (std::string value; in >> value) {
            m_agent.SetValueError(*oid, value, b == "drop" ? Agent::kDropWrite : static_cast<int>(n));
            return "OK";
        }
        if (b == "drop") {
            return "ERR usage: error OID drop VALUE";
        }
        m_agent.SetError(*oid, static_cast<int>(n));
        return "OK";
    }
    if (cmd == "loseanswer" && in >> a) {
        auto oid = a == "off" ? std::optional<Oid>(Oid{}) : ParseOid(a);
        if (!oid) {
            return "ERR bad OID";
        }
        std::string mode;
        in >> mode;
        if (!mode.empty() && (mode != "once" || a == "off")) {
            return "ERR bad mode";
        }
        m_agent.LoseAnswer(*oid, mode == "once");
        return "OK";
    }
    if (cmd == "omit" && in >> a) {
        if (a == "off") {
            m_agent.SetOmitted(Oid{}, false);
            return "OK";
        }
        auto oid = ParseOid(a);
        if (!oid || !(in >> b) || (b != "on" && b != "off")) {
            return "ERR usage: omit OID on|off, or omit off";
        }
        m_agent.SetOmitted(*oid, b == "on");
        return "OK";
    }
    if (cmd == "silence" && in >> a && (a == "on" || a == "off")) {
        m_agent.SetSilence(a == "on");
        return "OK";
    }
    if (cmd == "writes" && in >> a >> b) {
        if (a == "silent" && (b == "on" || b == "off")) {
            m_agent.SetWritesSilent(b == "on");
            return "OK";
        }
        if (a == "refuse" && (b == "off" || (ParseNumber(b, 1, 18, &n)))) {
            m_agent.SetWritesRefused(b == "off" ? 0 : static_cast<int>(n));
            return "OK";
        }
        return "ERR usage: writes silent on|off, or writes refuse STATUS|off";
    }
    if (cmd == "stall" && in >> a && ParseNumber(a, 0, 600000, &n)) {
        m_agent.Stall(now + std::chrono::milliseconds(n));
        return "OK";
    }
    if (cmd == "decrypterror" && in >> a && (a == "on" || a == "off")) {
        m_agent.SetDecryptionErrors(a == "on");
        return "OK";
    }
    if (cmd == "restart") {
        m_device.Reload(now);
        return "OK";
    }
    if (cmd == "log") {
        const auto& log = m_agent.Log();
        std::string reply = "OK " + std::to_string(log.size());
        for (const auto& entry : log) {
            reply += "\n" + entry;
        }
        return reply;
    }
    if (cmd == "clearlog") {
        m_agent.ClearLog();
        return "OK";
    }
    if (cmd == "quit") {
        m_quit = true;
        return "OK";
    }
    return "ERR unknown command: " + cmd;
}

}  // namespace ksxsim
