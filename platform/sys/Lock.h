// A plain (not re-entrant) lock with a timed acquire, and a scope guard for it.
#pragma once

#include <chrono>
#include <mutex>

#include "platform/sys/Event.h"

namespace ksx {

class CLock {
public:
    CLock() = default;
    CLock(const CLock&) = delete;
    CLock& operator=(const CLock&) = delete;

    void Lock() { m_mutex.lock(); }
    // True when the lock was taken within `ms`; INFINITE waits without limit.
    bool TryLockFor(unsigned ms) {
        if (ms == INFINITE) {
            m_mutex.lock();
            return true;
        }
        return m_mutex.try_lock_for(std::chrono::milliseconds(ms));
    }
    void Unlock() { m_mutex.unlock(); }

private:
    std::timed_mutex m_mutex;
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
