// A plain (not re-entrant) lock with a timed acquire, and a scope guard for it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/sys/Event.h"

namespace ksx {

class CLock {
public:
    CLock() = default;
    CLock(const CLock&) = delete;
    CLock& operator=(const CLock&) = delete;

    void Lock() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_free.wait(lock, [this] { return !m_held; });
        m_held = true;
    }
    // True when the lock was taken within `ms`; INFINITE waits without limit.
    bool TryLockFor(unsigned ms) {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (ms == INFINITE) {
            m_free.wait(lock, [this] { return !m_held; });
        } else if (!m_free.wait_for(lock, std::chrono::milliseconds(ms), [this] { return !m_held; })) {
            return false;
        }
        m_held = true;
        return true;
    }
    void Unlock() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_held = false;
        m_free.notify_one();
    }

private:
    // Built on a condition rather than a timed mutex: timed mutex waits are invisible to the thread
    // sanitizer, which then reports every unlock after one as a fault.
    std::mutex m_mutex;
    std::condition_variable m_free;
    bool m_held = false;
};

class CLockGuard {
public:
    explicit CLockGuard(CLock& lock) : m_lock(lock) { m_lock.Lock(); }
    ~CLockGuard() { m_lock.Unlock(); }
    CLockGuard(const CLockGuard&) = delete;
    CLockGuard& operator=(const CLockGuard&) = delete;

private:
    CLock& m_lock;
};

}  // namespace ksx
