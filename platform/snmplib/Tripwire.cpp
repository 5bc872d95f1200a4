// The checks behind Tripwire.h. Cheap when no handler is installed: one atomic load per request.
#include "platform/snmplib/Tripwire.h"

#include <atomic>
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
std::string g_windowName;  // under g_lock

// The windows' thread's last request, and the event turn it went out in (that thread only).
struct LastRequest {
    unsigned long long turn = 0;
    std::string text;
};
LastRequest g_last;

thread_local bool t_scoped = false;
thread_local DestroyBy t_by = DestroyBy::kRowCreation;

// The status columns of the device's row-status (RowStatus) and RMON entry-status (EntryStatus)
// tables: a SET of 6 (RowStatus) or 4 (EntryStatus) to an instance of one destroys that row.
struct StatusColumn {
    const char* oid;
    bool entryStatus;
};
const StatusColumn kStatusColumns[] = {
    // RMON: etherStatsStatus, historyControlStatus, alarmStatus, eventStatus.
    {"1.3.6.1.2.1.16.1.1.1.21", true},
    {"1.3.6.1.2.1.16.2.1.1.7", true},
    {"1.3.6.1.2.1.16.3.1.1.12", true},
    {"1.3.6.1.2.1.16.9.1.1.7", true},
};

const StatusColumn* StatusColumnOf(const std::string& oid) {
    for (const StatusColumn& c : kStatusColumns) {
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
            s << "=" << binds[i].value;
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

void Install(Handler handler) {
    std::lock_guard<std::mutex> lock(g_lock);
    g_handler = handler ? std::make_shared<Handler>(std::move(handler)) : nullptr;
    g_installed = static_cast<bool>(g_handler);
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

void EventsHandled() {
    g_turn.fetch_add(1);
}

void SetWindowName(const std::string& name) {
    std::lock_guard<std::mutex> lock(g_lock);
    g_windowName = name;
}

void BeforeRequest(int pduType, const std::vector<Binding>& binds) {
    if (!g_installed.load()) {
        return;
    }
    if (std::this_thread::get_id() == g_windowThread.load()) {
        const unsigned long long turn = g_turn.load();
        std::string text = Describe(pduType, binds);
        if (g_last.turn == turn) {
            Trip("the window's thread sent a second request before it handled its events again: first " +
                 g_last.text + ", then " + text);
        }
        g_last.turn = turn;
        g_last.text = std::move(text);
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

}  // namespace ksx::tripwire
