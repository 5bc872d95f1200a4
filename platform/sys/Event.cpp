#include "platform/sys/Event.h"

#include <chrono>

namespace ksx {

CEvent::CEvent(bool manualReset, bool initiallySignalled)
    : m_manualReset(manualReset), m_signalled(initiallySignalled) {}

void CEvent::Set() {
    // Notify while holding the mutex: a waiter may destroy the event as soon as it sees the signal.
    std::lock_guard<std::mutex> guard(m_mutex);
    m_signalled = true;
    if (m_manualReset) {
        m_cv.notify_all();
    } else {
        m_cv.notify_one();
    }
}

void CEvent::Reset() {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_signalled = false;
}

bool CEvent::Wait(unsigned ms) {
    std::unique_lock<std::mutex> lock(m_mutex);
    auto ready = [this] { return m_signalled; };
    if (ms == INFINITE) {
        m_cv.wait(lock, ready);
    } else if (!m_cv.wait_for(lock, std::chrono::milliseconds(ms), ready)) {
        return false;
    }
    if (!m_manualReset) {
        m_signalled = false;
    }
    return true;
}

bool CEvent::IsSet() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_signalled;
}

}  // namespace ksx
