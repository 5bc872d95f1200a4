// What the tests of loops of requests share: the requests the simulator received counted once each
// (a request resent within its time-out is one request), and a clock on the UI thread that says how
// long the window went without processing events.
#pragma once

#include <gtest/gtest.h>

#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <source_location>
#include <string>
#include <vector>

#include "platform/snmplib/Tripwire.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"

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
// Built with kOwnWork it also leaves out the thread's waits on requests (at most one between two turns
// of its events, which the tripwire holds): what is left is the time the window held its thread itself,
// whatever the device's and the machine's pace.
class TickGap {
public:
    enum Measure { kWholeGap, kOwnWork };
    explicit TickGap(Measure measure = kWholeGap) : m_ownWork(measure == kOwnWork) {
        m_last = Clock::now();
        m_lastWaitNs = NotOursNs(m_ownWork);
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_max = std::max(m_max, GapSinceLastTick(&m_last, &m_lastWaitNs, m_ownWork));
            ++m_ticks;
        });
        m_timer.start();
    }
    // Call on the UI thread.
    long long MaxGapMs() const {
        Clock::time_point last = m_last;
        long long lastWaitNs = m_lastWaitNs;
        return std::max(m_max, GapSinceLastTick(&last, &lastWaitNs, m_ownWork));
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
    static long long NotOursNs(bool ownWork) {
        return std::max(0LL, RunQueueWaitNs()) + SimSwitch::ControlWaitNs() +
               (ownWork ? tripwire::ThreadRequestWaitNs() : 0);
    }
    // The gap since *last, less the waits in it that are not the program's; moves *last and *lastWaitNs
    // to now.
    static long long GapSinceLastTick(Clock::time_point* last, long long* lastWaitNs, bool ownWork) {
        const auto now = Clock::now();
        const long long waitNs = NotOursNs(ownWork);
        long long gapNs = std::chrono::duration_cast<std::chrono::nanoseconds>(now - *last).count();
        gapNs -= std::clamp(waitNs - *lastWaitNs, 0LL, gapNs);
        *last = now;
        *lastWaitNs = waitNs;
        return gapNs / 1000000;
    }

    bool m_ownWork;
    QTimer m_timer;
    Clock::time_point m_last;
    long long m_lastWaitNs = 0;
    long long m_max = 0;
    int m_ticks = 0;
};

// A run against a device that answers late: from construction on the simulator answers delayMs late, its
// log is empty and the window's thread is watched (TickGap). Click starts the run and checks the window
// stays live; Close closes the window mid-run and checks what it said and that nothing more was sent.
// Call both inside ASSERT_NO_FATAL_FAILURE; a failure names the test's line.
class SlowRun {
public:
    explicit SlowRun(SimSwitch& sim, int delayMs = 1000) : m_sim(sim) {
        sim.DelayMs(delayMs);
        sim.ClearLog();
        m_ticks.emplace();
    }

    long long MaxGapMs() const { return m_ticks->MaxGapMs(); }

    // Clicks button; the controls unavailable stay so; waits for `sent` distinct requests and, where given,
    // for the progress to show progressText; the window went no more than 250 ms without events.
    template <class Dlg>
    void Click(Dlg& dlg, DialogDriver& drv, int button, std::initializer_list<int> unavailable,
               std::size_t sent, const char* progressText = nullptr,
               std::source_location at = std::source_location::current()) {
        const testing::ScopedTrace trace(at.file_name(), static_cast<int>(at.line()), "SlowRun::Click");
        m_sent = sent;
        ASSERT_TRUE(drv.Click(button));
        for (int id : unavailable) {
            EXPECT_FALSE(dlg.IsDlgItemEnabled(id)) << id;
        }
        ASSERT_TRUE(WaitUntil([&] { return m_sim.DistinctRequests().size() >= sent; }, 30000));
        if (progressText != nullptr) {
            ASSERT_TRUE(WaitUntil([&] {
                return dlg.Run().ProgressShown() && dlg.Run().ProgressText() == progressText;
            })) << dlg.Run().ProgressText().toStdString();
        }
        EXPECT_LT(MaxGapMs(), 250);
    }

    // Closes the window mid-run: the run ends, the boxes say `texts` and no request beyond those Click
    // waited for goes out.
    template <class Boxes>
    void Close(DialogDriver& drv, Boxes& boxes, const std::vector<std::string>& texts,
               std::source_location at = std::source_location::current()) {
        const testing::ScopedTrace trace(at.file_name(), static_cast<int>(at.line()), "SlowRun::Close");
        drv.CloseBox();
        ASSERT_TRUE(drv.WaitEnded());
        EXPECT_EQ(boxes.Texts(), texts);
        EXPECT_FALSE(WaitUntil([&] { return m_sim.DistinctRequests().size() > m_sent; }, 2000));
    }

    // Closes the window mid-add, where what the add may have left is removed once the dialog has gone:
    // the box that says so comes then.
    template <class Boxes>
    void CloseThenRemoved(DialogDriver& drv, Boxes& boxes, const std::string& text,
                          std::source_location at = std::source_location::current()) {
        const testing::ScopedTrace trace(at.file_name(), static_cast<int>(at.line()),
                                         "SlowRun::CloseThenRemoved");
        drv.CloseBox();
        ASSERT_TRUE(drv.WaitEnded());
        ASSERT_TRUE(boxes.WaitForCount(1, 20000));
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{text});
    }

private:
    SimSwitch& m_sim;
    std::optional<TickGap> m_ticks;
    std::size_t m_sent = 0;
};

}  // namespace ksx::test
