// A joinable worker thread. Never detached and never killed: the destructor joins.
#pragma once

#include <functional>
#include <thread>
#include <utility>

namespace ksx {

class CWorkerThread {
public:
    CWorkerThread() = default;
    ~CWorkerThread() { Join(); }
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // Starts fn on a new thread; a thread started earlier is joined first.
    template <typename Fn>
    void Start(Fn&& fn) {
        Join();
        m_thread = std::thread(std::forward<Fn>(fn));
    }
    bool Joinable() const { return m_thread.joinable(); }
    // Id of the running (or ended but not yet joined) thread; a default id when none.
    std::thread::id Id() const { return m_thread.get_id(); }
    // Waits for the thread to end. Joining from the thread itself is refused (nothing happens).
    void Join() {
        if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) {
            m_thread.join();
        }
    }

private:
    std::thread m_thread;
};

}  // namespace ksx
