// The checks behind Tripwire.h. Cheap when no handler is installed: one atomic load per request.
#include "platform/snmplib/Tripwire.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

namespace ksx::tripwire {

namespace {

constexpr int kPduSet = 3;  // CSnmp's pdu type of a SET request

std::mutex g_lock;
std::shared_ptr<Handler> g_handler;  // under g_lock
std::atomic<bool> g_installed{false};

std::atomic<std::thread::id> g_windowThread{};
std::atomic<unsigned long long> g_turn{1};
std::atomic<bool> g_windowsOpen{false};
std::string g_windowName;  // under g_lock

// The windows' thread's last request, and the event turn it went out in (under g_lock).
struct LastRequest {
    unsigned long long turn = 0;
    std::string text;
};
LastRequest g_last;

thread_local bool t_scoped = false;
thread_local DestroyBy t_by = DestroyBy::kRowCreation;
thread_local long long t_requestWaitNs = 0;

const StatusColumn* StatusColumnOf(const std::string& oid) {
    for (const StatusColumn& c : StatusColumns()) {
        const std::string col = c.oid;
        if (oid.size() > col.size() + 1 && oid.compare(0, col.size(), col) == 0 && oid[col.size()] == '.') {
            return &c;
        }
    }
    return nullptr;
}

std::string Describe(int pduType, const std::vector<Binding>& binds) {
    std::ostringstream s;
    s << (pduType == kPduSet ? "SET" : pduType == 0 ? "GET" : pduType == 1 ? "GETNEXT" : "PDU") << " ";
    for (size_t i = 0; i < binds.size(); ++i) {
        s << (i ? " " : "") << binds[i].oid;
        if (pduType == kPduSet) {
            s << "=";
            for (const unsigned char c : binds[i].value) {
                if (c >= 0x20 && c < 0x7f) {
                    s << c;
                } else {  // octets of a bitmap or an address: readable in a report
                    static const char kHex[] = "0123456789abcdef";
                    s << "\\x" << kHex[c >> 4] << kHex[c & 15];
                }
            }
        }
    }
    return s.str();
}

std::string ThreadName() {
    std::ostringstream s;
    if (std::this_thread::get_id() == g_windowThread.load()) {
        s << "the windows' thread";
    } else {
        s << "worker thread " << std::this_thread::get_id();
    }
    return s.str();
}

void Trip(const std::string& what) {
    std::shared_ptr<Handler> handler;
    std::string window;
    {
        std::lock_guard<std::mutex> lock(g_lock);
        handler = g_handler;
        window = g_windowName;
    }
    if (handler && *handler) {
        (*handler)("tripwire: " + what + " (window: " + (window.empty() ? "none" : window) + "; " +
                   ThreadName() + ")");
    }
}

}  // namespace

Handler Install(Handler handler) {
    std::lock_guard<std::mutex> lock(g_lock);
    Handler previous = g_handler ? *g_handler : Handler{};
    g_handler = handler ? std::make_shared<Handler>(std::move(handler)) : nullptr;
    g_installed = static_cast<bool>(g_handler);
    return previous;
}

bool RequestedByEnvironment() {
    const char* value = std::getenv("KSX_TRIPWIRE");
    return value != nullptr && std::string(value) == "1";
}

Handler ExitingHandler() {
    return [](const std::string& what) {
        const std::string line = what + "\n";
        [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, line.data(), line.size());
        std::_Exit(kTripExitCode);
    };
}

// The status columns of the device's row-status (RowStatus) and RMON entry-status (EntryStatus)
// tables that the module writes, and the standard RMON ones.
const std::vector<StatusColumn>& StatusColumns() {
    static const std::vector<StatusColumn> columns = {
        // RMON: etherStatsStatus, historyControlStatus, alarmStatus, eventStatus.
        {"1.3.6.1.2.1.16.1.1.1.21", true},
        {"1.3.6.1.2.1.16.2.1.1.7", true},
        {"1.3.6.1.2.1.16.3.1.1.12", true},
        {"1.3.6.1.2.1.16.9.1.1.7", true},
        // The device's RMON tables: statistics, history, alarms, events.
        {"1.3.6.1.4.1.7393.10.76.20.1.47.2.1.1.4", true},
        {"1.3.6.1.4.1.7393.10.76.20.1.47.3.1.1.6", true},
        {"1.3.6.1.4.1.7393.10.76.20.1.47.4.1.1.10", true},
        {"1.3.6.1.4.1.7393.10.76.20.1.47.5.1.1.6", true},
        // VLANs, static MAC addresses.
        {"1.3.6.1.4.1.7393.10.76.20.1.7.6.1.5", false},
        {"1.3.6.1.4.1.7393.10.76.20.1.9.3.1.4", false},
        // ARP gateway entries, DHCP server pools, IP-MAC-port bindings.
        {"1.3.6.1.4.1.7393.10.76.20.1.14.3.1.1.4", false},
        {"1.3.6.1.4.1.7393.10.76.20.1.14.7.3.1.4", false},
        {"1.3.6.1.4.1.7393.10.76.20.1.14.10.3.1.4", false},
        // Syslog hosts.
        {"1.3.6.1.4.1.7393.10.76.20.1.16.2.5.1.5", false},
        // 802.1X users, RADIUS servers.
        {"1.3.6.1.4.1.7393.10.76.20.1.23.3.1.1.3", false},
        {"1.3.6.1.4.1.7393.10.76.20.1.23.4.2.1.10", false},
        // SNMP agent: users, groups, views, communities, trap hosts.
        {"1.3.6.1.4.1.7393.10.76.20.1.25.2.1.1.8", false},
        {"1.3.6.1.4.1.7393.10.76.20.1.25.3.1.1.7", false},
        {"1.3.6.1.4.1.7393.10.76.20.1.25.4.1.1.5", false},
        {"1.3.6.1.4.1.7393.10.76.20.1.25.5.1.1.3", false},
        {"1.3.6.1.4.1.7393.10.76.20.1.25.6.2.1.6", false},
        // Surveillance VLAN devices, DHCP/BOOTP relay servers, power saving time profiles.
        {"1.3.6.1.4.1.7393.10.76.20.1.26.2.1.1.5", false},
        {"1.3.6.1.4.1.7393.10.76.20.1.28.2.1.1.3", false},
        {"1.3.6.1.4.1.7393.10.76.20.1.32.1.1.21", false},
    };
    return columns;
}

bool Installed() {
    return g_installed.load();
}

DestroyScope::DestroyScope(DestroyBy by) : m_previous(t_by), m_hadPrevious(t_scoped) {
    t_scoped = true;
    t_by = by;
}

DestroyScope::~DestroyScope() {
    t_scoped = m_hadPrevious;
    t_by = m_previous;
}

void SetWindowThread() {
    g_windowThread = std::this_thread::get_id();
}

void SetWindowsOpen(bool open) {
    g_windowsOpen = open;
}

void EventsHandled() {
    g_turn.fetch_add(1);
}

void SetWindowName(const std::string& name) {
    std::lock_guard<std::mutex> lock(g_lock);
    g_windowName = name;
}

std::string WindowName() {
    std::lock_guard<std::mutex> lock(g_lock);
    return g_windowName;
}

void BeforeRequest(int pduType, const std::vector<Binding>& binds) {
    if (!g_installed.load()) {
        return;
    }
    if (g_windowsOpen.load() && std::this_thread::get_id() == g_windowThread.load()) {
        const unsigned long long turn = g_turn.load();
        std::string text = Describe(pduType, binds);
        std::string first;
        {
            std::lock_guard<std::mutex> lock(g_lock);
            if (g_last.turn == turn) {
                first = g_last.text;
            }
            g_last.turn = turn;
            g_last.text = text;
        }
        if (!first.empty()) {
            Trip("the window's thread sent a second request before it handled its events again: first " +
                 first + ", then " + text);
        }
    }
    if (pduType != kPduSet || t_scoped) {
        return;
    }
    for (const Binding& b : binds) {
        const StatusColumn* column = StatusColumnOf(b.oid);
        if (column && b.value == (column->entryStatus ? "4" : "6")) {
            Trip("a row-status destroy that neither row creation nor a user's Delete issued: " +
                 Describe(pduType, binds));
        }
    }
}

RequestWait::RequestWait() : m_timed(g_installed.load()) {
    if (m_timed) {
        m_start = std::chrono::steady_clock::now();
    }
}

RequestWait::~RequestWait() {
    if (m_timed) {
        t_requestWaitNs +=
            std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - m_start)
                .count();
    }
}

long long ThreadRequestWaitNs() {
    return t_requestWaitNs;
}

}  // namespace ksx::tripwire
