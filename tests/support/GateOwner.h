// The test thread plays the UI thread: it owns the delivery gate, counts its wake-ups and runs queued
// calls while it waits. Mixed into test fixtures; construction and destruction happen on the test thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/sys/DeliveryGate.h"

namespace ksx::test {

class GateOwner {
public:
    GateOwner() {
        gate.SetOwnerThread(std::this_thread::get_id());
        gate.SetWakeup([this] {
            std::lock_guard<std::mutex> guard(m_mutex);
            ++m_wakeups;
            m_cv.notify_all();
        });
        target = gate.RegisterTarget();
    }
    ~GateOwner() {
        gate.UnregisterTarget(target);
        gate.SetWakeup(nullptr);
    }
    GateOwner(const GateOwner&) = delete;
    GateOwner& operator=(const GateOwner&) = delete;

    int Wakeups() {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_wakeups;
    }
    bool WaitForWakeups(int n, int limitMs = 10000) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_cv.wait_for(lock, std::chrono::milliseconds(limitMs), [&] { return m_wakeups >= n; });
    }
    // Runs queued calls until pred holds or the limit passes.
    bool PumpUntil(const std::function<bool()>& pred, int limitMs = 10000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        for (;;) {
            gate.RunPending();
            if (pred()) {
                return true;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                return false;
            }
            std::unique_lock<std::mutex> lock(m_mutex);
            m_cv.wait_for(lock, std::chrono::milliseconds(5));
        }
    }

    DeliveryGate& gate = DeliveryGate::Instance();
    GateTarget target = 0;

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    int m_wakeups = 0;
};

}  // namespace ksx::test
