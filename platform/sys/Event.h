// Events with manual or automatic reset, waited on with a time limit in milliseconds.
#pragma once

#include <condition_variable>
#include <mutex>

namespace ksx {

constexpr unsigned INFINITE = 0xFFFFFFFFu;  // wait without limit

class CEvent {
public:
    // Manual reset: stays signalled until Reset. Automatic reset: one successful Wait consumes the signal.
    explicit CEvent(bool manualReset = true, bool initiallySignalled = false);
    CEvent(const CEvent&) = delete;
    CEvent& operator=(const CEvent&) = delete;

    void Set();
    void Reset();
    // True when the event was (or became) signalled within `ms`; INFINITE waits without limit.
    bool Wait(unsigned ms = INFINITE);
    bool IsSet() const;

private:
    const bool m_manualReset;
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_signalled;
};

}  // namespace ksx
