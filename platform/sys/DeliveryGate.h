// Delivery of calls from worker threads to the UI thread, with the abandon rule: a worker's blocking
// call is dropped (returns 0, never runs later) when its target window is being destroyed or when the
// UI thread is waiting for that worker. Plain C++; the Qt side installs the wake-up hook.
#pragma once

#include <cstdint>
#include <functional>
#include <thread>

namespace ksx {

using GateTarget = std::uint64_t;  // 0 is never a live target

class DeliveryGate {
public:
    static DeliveryGate& Instance();

    // The thread that runs queued calls (the UI thread). Set once at start-up; tests may set it again.
    void SetOwnerThread(std::thread::id owner);
    bool OnOwnerThread() const;
    // Called from any thread whenever a call is queued, so the owner's event loop runs RunPending().
    void SetWakeup(std::function<void()> wake);

    // A window registers itself and unregisters when it is being destroyed; calls queued for an
    // unregistered target are abandoned and later calls to it return 0 at once.
    GateTarget RegisterTarget();
    void UnregisterTarget(GateTarget target);

    // Blocking call: on the owner thread runs fn at once; elsewhere queues it and waits until the owner
    // ran it (its result) or abandoned it (0).
    std::intptr_t Send(GateTarget target, std::function<std::intptr_t()> fn);
    // Queued call; order with other Posts and Sends from the same thread is kept.
    void Post(GateTarget target, std::function<void()> fn);

    // Owner thread: runs every queued call that is not abandoned, in order.
    void RunPending();

    // While an object of this type lives, the owner thread is waiting for `worker`: that worker's queued
    // and future blocking calls are abandoned (Posts from it are dropped).
    class WaitingFor {
    public:
        explicit WaitingFor(std::thread::id worker);
        ~WaitingFor();
        WaitingFor(const WaitingFor&) = delete;
        WaitingFor& operator=(const WaitingFor&) = delete;

    private:
        std::thread::id m_worker;
    };

private:
    DeliveryGate() = default;
};

}  // namespace ksx
