// What the tests of loops of requests share: the requests the simulator received counted once each
// (a request resent within its time-out is one request), and a clock on the UI thread that says how
// long the window went without processing events.
#pragma once

#include <QTimer>
#include <algorithm>
#include <chrono>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"

namespace ksx::test {

// The requests of the log, each request id once (the first time it arrived), in log order.
inline std::vector<SimRequest> DistinctRequests(SimSwitch& sim) {
    const std::vector<SimRequest> log = sim.Requests();
    std::istringstream ids(sim.Command("ids"));
    std::string word;
    ids >> word;  // "OK"
    std::vector<std::string> idList;
    while (ids >> word) {
        idList.push_back(word);
    }
    std::vector<SimRequest> out;
    std::set<std::string> seen;
    for (size_t i = 0; i < std::min(log.size(), idList.size()); ++i) {
        if (seen.insert(idList[i]).second) {
            out.push_back(log[i]);
        }
    }
    return out;
}

inline std::vector<SimRequest> DistinctSets(SimSwitch& sim) {
    return OfKind(DistinctRequests(sim), "set");
}

// Ticks every 10 ms on the UI thread from construction on; the longest time between two ticks is the
// longest time the window's thread went without processing events.
class TickGap {
public:
    TickGap() {
        m_last = Clock::now();
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const auto now = Clock::now();
            const auto gap = std::chrono::duration_cast<std::chrono::milliseconds>(now - m_last).count();
            m_max = std::max<long long>(m_max, gap);
            m_last = now;
            ++m_ticks;
        });
        m_timer.start();
    }
    long long MaxGapMs() const { return m_max; }
    int Ticks() const { return m_ticks; }

private:
    using Clock = std::chrono::steady_clock;
    QTimer m_timer;
    Clock::time_point m_last;
    long long m_max = 0;
    int m_ticks = 0;
};

}  // namespace ksx::test
