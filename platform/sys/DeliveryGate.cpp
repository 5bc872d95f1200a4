#include "platform/sys/DeliveryGate.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <unordered_set>

namespace ksx {

namespace {

enum class CallState { Queued, Running, Done, Abandoned };

// One queued call. A Send's caller waits on the gate's condition until the state is Done or Abandoned.
struct Call {
    GateTarget target = 0;
    std::thread::id sender;
    bool blocking = false;
    std::function<std::intptr_t()> send;
    std::function<void()> post;
    CallState state = CallState::Queued;
    std::intptr_t result = 0;
};

struct GateState {
    std::mutex mutex;
    std::condition_variable done;  // a Send's call was run or abandoned
    std::thread::id owner;
    std::function<void()> wake;
    std::deque<std::shared_ptr<Call>> queue;
    std::unordered_set<GateTarget> targets;
    std::multiset<std::thread::id> waitedFor;  // workers the owner is waiting for
    GateTarget nextTarget = 1;
};

GateState& State() {
    static GateState state;
    return state;
}

// Marks the queued calls that match abandoned and drops them from the queue. Caller holds the mutex.
template <typename Pred>
void AbandonQueued(GateState& s, Pred match) {
    bool any = false;
    for (auto& call : s.queue) {
        if (call->state == CallState::Queued && match(*call)) {
            call->state = CallState::Abandoned;
            call->result = 0;
            any = true;
        }
    }
    if (any) {
        s.queue.erase(
            std::remove_if(s.queue.begin(), s.queue.end(),
                           [](const std::shared_ptr<Call>& c) { return c->state == CallState::Abandoned; }),
            s.queue.end());
        s.done.notify_all();
    }
}

}  // namespace

DeliveryGate& DeliveryGate::Instance() {
    static DeliveryGate gate;
    return gate;
}

void DeliveryGate::SetOwnerThread(std::thread::id owner) {
    GateState& s = State();
    std::lock_guard<std::mutex> guard(s.mutex);
    s.owner = owner;
}

bool DeliveryGate::OnOwnerThread() const {
    GateState& s = State();
    std::lock_guard<std::mutex> guard(s.mutex);
    return s.owner == std::this_thread::get_id();
}

void DeliveryGate::SetWakeup(std::function<void()> wake) {
    GateState& s = State();
    std::lock_guard<std::mutex> guard(s.mutex);
    s.wake = std::move(wake);
}

GateTarget DeliveryGate::RegisterTarget() {
    GateState& s = State();
    std::lock_guard<std::mutex> guard(s.mutex);
    GateTarget target = s.nextTarget++;
    s.targets.insert(target);
    return target;
}

void DeliveryGate::UnregisterTarget(GateTarget target) {
    GateState& s = State();
    std::lock_guard<std::mutex> guard(s.mutex);
    s.targets.erase(target);
    AbandonQueued(s, [target](const Call& c) { return c.target == target; });
}

std::intptr_t DeliveryGate::Send(GateTarget target, std::function<std::intptr_t()> fn) {
    GateState& s = State();
    const std::thread::id self = std::this_thread::get_id();
    std::unique_lock<std::mutex> lock(s.mutex);
    if (!fn || s.targets.count(target) == 0) {
        return 0;
    }
    if (s.owner == self) {
        lock.unlock();
        return fn();
    }
    // No owner to run it, or the owner is waiting for this thread: abandoned at once.
    if (s.owner == std::thread::id() || s.waitedFor.count(self) != 0) {
        return 0;
    }
    auto call = std::make_shared<Call>();
    call->target = target;
    call->sender = self;
    call->blocking = true;
    call->send = std::move(fn);
    s.queue.push_back(call);
    std::function<void()> wake = s.wake;
    lock.unlock();
    if (wake) {
        wake();
    }
    lock.lock();
    s.done.wait(lock, [&] { return call->state == CallState::Done || call->state == CallState::Abandoned; });
    return call->state == CallState::Done ? call->result : 0;
}

void DeliveryGate::Post(GateTarget target, std::function<void()> fn) {
    GateState& s = State();
    const std::thread::id self = std::this_thread::get_id();
    std::unique_lock<std::mutex> lock(s.mutex);
    if (!fn || s.targets.count(target) == 0 || s.waitedFor.count(self) != 0) {
        return;
    }
    auto call = std::make_shared<Call>();
    call->target = target;
    call->sender = self;
    call->post = std::move(fn);
    s.queue.push_back(call);
    std::function<void()> wake = s.wake;
    lock.unlock();
    if (wake) {
        wake();
    }
}

void DeliveryGate::RunPending() {
    GateState& s = State();
    std::unique_lock<std::mutex> lock(s.mutex);
    if (s.owner != std::this_thread::get_id()) {
        return;
    }
    // Only the calls queued so far: a call queued by a handler waits for the next round, so a
    // handler that posts to itself cannot keep this loop busy forever.
    std::size_t budget = s.queue.size();
    while (budget-- > 0 && !s.queue.empty()) {
        std::shared_ptr<Call> call = s.queue.front();
        s.queue.pop_front();
        if (call->state != CallState::Queued) {
            continue;
        }
        call->state = CallState::Running;
        lock.unlock();
        std::intptr_t result = 0;
        if (call->blocking) {
            result = call->send();
        } else {
            call->post();
        }
        lock.lock();
        call->result = result;
        call->state = CallState::Done;
        if (call->blocking) {
            s.done.notify_all();
        }
    }
}

DeliveryGate::WaitingFor::WaitingFor(std::thread::id worker) : m_worker(worker) {
    GateState& s = State();
    std::lock_guard<std::mutex> guard(s.mutex);
    s.waitedFor.insert(worker);
    AbandonQueued(s, [worker](const Call& c) { return c.sender == worker; });
}

DeliveryGate::WaitingFor::~WaitingFor() {
    GateState& s = State();
    std::lock_guard<std::mutex> guard(s.mutex);
    auto it = s.waitedFor.find(m_worker);
    if (it != s.waitedFor.end()) {
        s.waitedFor.erase(it);
    }
}

}  // namespace ksx
