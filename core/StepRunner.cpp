#include "core/StepRunner.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace ksx {

namespace {

// How often a stop repeats its cancel: a request that enters the library just after a cancel is caught
// by the next one.
constexpr unsigned kCancelRepeatMs = 5;

}  // namespace

StepRunner::StepRunner() {
    m_target = DeliveryGate::Instance().RegisterTarget();
}

StepRunner::~StepRunner() {
    ++m_generation;
    DeliveryGate::Instance().UnregisterTarget(m_target.exchange(0));
    m_stop = true;
    m_stopEvent.Set();
    if (m_thread.Joinable()) {
        DeliveryGate::WaitingFor waiting(m_thread.Id());
        while (!m_workerEnded.Wait(kCancelRepeatMs)) {
            if (m_cancel) {
                m_cancel();
            }
        }
        m_thread.Join();
    }
}

void StepRunner::Start(int count, Step step) {
    Stop();
    m_thread.Join();
    m_stop = false;
    m_stopEvent.Reset();
    {
        std::lock_guard<std::mutex> lock(m_endLock);
        m_end = StepsEnd{};
        m_end.total = count;
    }
    m_workerEnded.Reset();
    m_running = true;
    const unsigned generation = ++m_generation;
    m_thread.Start([this, generation, count, step = std::move(step)] { Run(generation, count, step); });
}

StepOutcome StepOutcome::Of(const SnmpAnswer& answer, std::string refusal) {
    switch (answer.outcome) {
        case SnmpOutcome::kAccepted:
            return Done();
        case SnmpOutcome::kRefused:
            return Failed(std::move(refusal));
        case SnmpOutcome::kUnanswered:
            return Unanswered();
        case SnmpOutcome::kNotSent:
            break;
    }
    return NotSent();
}

void StepRunner::Run(unsigned generation, int count, const Step& step) {
    StepsEnd end;
    end.total = count;
    for (int i = 0; i < count && !Stopping(); ++i) {
        Deliver(generation, [this, i, count] {
            if (onStep) {
                onStep(i, count);
            }
        });
        StepOutcome outcome = step(i);
        if (!outcome.ok) {
            // A step cut short by a stop is a stop, not a failure of the device, whatever stopped it
            // (Stop(), the process-wide cancel of an ending process).
            if (!Stopping()) {
                end.failed = true;
                end.failure = std::move(outcome.failure);
                end.inFlight = outcome.unanswered;
                end.notSent = outcome.notSent && !outcome.unanswered;
            } else {
                end.inFlight = outcome.sent;
            }
            break;
        }
        ++end.done;
    }
    end.stopped = !end.failed && end.done < count;
    {
        std::lock_guard<std::mutex> lock(m_endLock);
        m_end = end;
    }
    Deliver(generation, [this, generation] { Ended(generation); });
    m_workerEnded.Set();
}

void StepRunner::Deliver(unsigned generation, std::function<void()> fn) {
    const GateTarget target = m_target.load();
    if (target == 0) {
        return;
    }
    DeliveryGate::Instance().Post(target, [this, generation, fn = std::move(fn)] {
        if (generation == m_generation.load()) {
            fn();
        }
    });
}

void StepRunner::Ended(unsigned generation) {
    if (generation != m_generation.load() || !m_running) {
        return;
    }
    m_running = false;
    StepsEnd end;
    {
        std::lock_guard<std::mutex> lock(m_endLock);
        end = m_end;
    }
    if (onEnd) {
        onEnd(end);
    }
}

void StepRunner::Stop() {
    if (!m_running) {
        return;
    }
    m_stop = true;
    m_stopEvent.Set();
    {
        DeliveryGate::WaitingFor waiting(m_thread.Id());
        while (!m_workerEnded.Wait(kCancelRepeatMs)) {
            if (m_cancel) {
                m_cancel();
            }
        }
        m_thread.Join();
    }
    // What the worker would still deliver is dropped; its end is reported here instead.
    ++m_generation;
    m_running = false;
    StepsEnd end;
    {
        std::lock_guard<std::mutex> lock(m_endLock);
        end = m_end;
    }
    if (onEnd) {
        onEnd(end);
    }
}

bool StepRunner::Pause(unsigned ms) {
    return !m_stopEvent.Wait(ms) && !Stopping();
}

std::string PortsSpan(int from, int to) {
    if (to < from) {
        return {};
    }
    if (from == to) {
        return "port " + std::to_string(from);
    }
    return "ports " + std::to_string(from) + "-" + std::to_string(to);
}

}  // namespace ksx
