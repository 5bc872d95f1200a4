// Checks of rules the SNMP layer can see, on in the builds the tests run and off in the program: a
// test installs a handler, and a broken rule calls it with what happened (the window, the thread, the
// requests). Without a handler nothing is checked and nothing changes.
//
//   - A window's thread sends a second request before it has handled its events again: the window
//     waits on two requests in a row.
//   - A SET writes a row-status destroy (RowStatus 6, RMON EntryStatus 4, to one of the status columns
//     listed in Tripwire.cpp) that neither row creation nor a user's Delete of a listed row issued.
//
// Standard library only; platform/ui tells which thread is the window's and when it handled events.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace ksx::tripwire {

// Called with a description of the broken rule; any thread.
using Handler = std::function<void(const std::string& what)>;
// Installs (or, with an empty handler, removes) the handler and returns the one it replaces. Tests only.
Handler Install(Handler handler);
bool Installed();

// The program's own check, for tests that run it as a process of its own: with KSX_TRIPWIRE=1 in its
// environment a broken rule is written to stderr and the process ends at once with kTripExitCode.
constexpr int kTripExitCode = 86;
bool RequestedByEnvironment();
Handler ExitingHandler();

// The status columns the destroy check knows (a destroy is 4 in an EntryStatus column, 6 in a
// RowStatus column).
struct StatusColumn {
    const char* oid;
    bool entryStatus;
};
const std::vector<StatusColumn>& StatusColumns();

// Who issues the row-status destroys this thread sends while a scope lasts.
enum class DestroyBy { kRowCreation, kUserDelete };
class DestroyScope {
public:
    explicit DestroyScope(DestroyBy by);
    ~DestroyScope();
    DestroyScope(const DestroyScope&) = delete;
    DestroyScope& operator=(const DestroyScope&) = delete;

private:
    DestroyBy m_previous;
    bool m_hadPrevious;
};

// Runs `send` (on this thread) as the user's Delete of a row they picked; returns what it returns.
template <class Send>
auto AsUserDelete(Send&& send) {
    const DestroyScope scope(DestroyBy::kUserDelete);
    return send();
}

// platform/ui: the calling thread is the windows' thread (once, at start).
void SetWindowThread();
// platform/ui: whether a window is open. Without one the thread is no window's thread (tests driving
// the logic alone), and its requests are not checked.
void SetWindowsOpen(bool open);
// platform/ui: the windows' thread handled its events (any turn of its event loop).
void EventsHandled();
// platform/ui: the window the user works in now, as named in a report (UI thread).
void SetWindowName(const std::string& name);
std::string WindowName();

// The SNMP layer, before a request goes out: its PDU type and bindings (OID, type code, value).
struct Binding {
    std::string oid;
    int type = 0;
    std::string value;
};
void BeforeRequest(int pduType, const std::vector<Binding>& binds);
// The same for any bindings with `oid`, `type` and `value` members; nothing is copied when no handler is
// installed.
template <class Binds>
void BeforeRequestOf(int pduType, const Binds& binds) {
    if (!Installed()) {
        return;
    }
    std::vector<Binding> copy;
    copy.reserve(binds.size());
    for (const auto& b : binds) {
        copy.push_back(Binding{b.oid, b.type, b.value});
    }
    BeforeRequest(pduType, copy);
}

// The SNMP layer: the calling thread waits for one request's answer while a RequestWait lasts. The
// thread's waits are summed while a handler is installed, so that a test can tell the time a window
// spent on its one request from the time it held its thread otherwise.
class RequestWait {
public:
    RequestWait();
    ~RequestWait();
    RequestWait(const RequestWait&) = delete;
    RequestWait& operator=(const RequestWait&) = delete;

private:
    bool m_timed;
    std::chrono::steady_clock::time_point m_start;
};
// Nanoseconds the calling thread has waited on requests so far.
long long ThreadRequestWaitNs();

}  // namespace ksx::tripwire
