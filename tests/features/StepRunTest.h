// What the tests of loops of requests share: the requests the simulator received counted once each
// (a request resent within its time-out is one request), and a clock on the UI thread that says how
// long the window went without processing events.
#pragma once

#include <QTimer>
#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"

namespace ksx::test {

// The requests of the log, each request once (the first time it arrived), in log order.
inline std::vector<SimRequest> DistinctRequests(SimSwitch& sim) {
    return sim.DistinctRequests();
}

inline std::vector<SimRequest> DistinctSets(SimSwitch& sim) {
    return OfKind(DistinctRequests(sim), "set");
}

// Ticks every 10 ms on the UI thread from construction on. A gap between two ticks is the time the
// window's thread went without processing events. Left out of it: the time the thread was ready to run
// but waited for a core (the kernel's run-queue wait of that thread), so that a machine whose every core
// is busy does not pass for a window the program held up, and the time the test's own checks on that
// thread waited for the simulator's control channel. The gap still open when asked counts.
class TickGap {
public:
    TickGap() {
        m_last = Clock::now();
        m_lastWaitNs = NotOursNs();
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_max = std::max(m_max, GapSinceLastTick(&m_last, &m_lastWaitNs));
            ++m_ticks;
        });
        m_timer.start();
    }
    // Call on the UI thread.
    long long MaxGapMs() const {
        Clock::time_point last = m_last;
        long long lastWaitNs = m_lastWaitNs;
        return std::max(m_max, GapSinceLastTick(&last, &lastWaitNs));
    }
    int Ticks() const { return m_ticks; }

private:
    using Clock = std::chrono::steady_clock;

    // Nanoseconds this thread has waited on a run queue (the second field of its schedstat), or -1 where
    // the kernel does not say.
    static long long RunQueueWaitNs() {
        std::ifstream in("/proc/thread-self/schedstat");
        long long running = 0;
        long long waiting = -1;
        if (!(in >> running >> waiting)) {
            return -1;
        }
        return waiting;
    }
    // The thread's waits that are not the program's: for a core, for the simulator's control channel.
    static long long NotOursNs() { return std::max(0LL, RunQueueWaitNs()) + SimSwitch::ControlWaitNs(); }
    // The gap since *last, less the waits in it that are not the program's; moves *last and *lastWaitNs
    // to now.
    static long long GapSinceLastTick(Clock::time_point* last, long long* lastWaitNs) {
        const auto now = Clock::now();
        const long long waitNs = NotOursNs();
        long long gapNs = std::chrono::duration_cast<std::chrono::nanoseconds>(now - *last).count();
        gapNs -= std::clamp(waitNs - *lastWaitNs, 0LL, gapNs);
        *last = now;
        *lastWaitNs = waitNs;
        return gapNs / 1000000;
    }

    QTimer m_timer;
    Clock::time_point m_last;
    long long m_lastWaitNs = 0;
    long long m_max = 0;
    int m_ticks = 0;
};

}  // namespace ksx::test
