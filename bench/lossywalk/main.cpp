// bench_lossywalk: 20 walks of a generated 1000-row table, side by side, against the simulator dropping
// a share of the requests at random (5 % and 30 % by default, or the percentages given as arguments).
// Prints per loss rate how many walks completed, the requests sent, and the longest single step against
// the time-out it was given: a step, answered or not, never waits longer than its time-out.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/snmplib/Snmp.h"
#include "tests/support/SimSwitch.h"

namespace {

constexpr int kRows = 1000;
constexpr int kWalks = 20;
constexpr unsigned long kTimeoutMs = 1500;
const std::string kTable = "1.3.6.1.4.1.99999.42";

using Clock = std::chrono::steady_clock;

struct WalkResult {
    bool complete = false;
    int rows = 0;
    long long longestStepMs = 0;
};

WalkResult Walk(const std::string& agent) {
    WalkResult r;
    CSnmpV1 request(1);
    request.setCommunity("quaint");
    request.addValue((kTable + ".1.1").c_str(), SNMP_TYPE_NULL, nullptr);
    CSnmpTable table(&request);
    for (;;) {
        CSnmp* reply = nullptr;
        const auto t0 = Clock::now();
        const int status = table.getNext(agent.c_str(), reply, kTimeoutMs);
        const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count();
        r.longestStepMs = std::max(r.longestStepMs, ms);
        delete reply;
        if (status != 0) {
            r.complete = status == CSnmp4w::EC_END_OF_WALK && r.rows == kRows;
            return r;
        }
        ++r.rows;
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> rates = {5, 30};
    if (argc > 1) {
        rates.clear();
        for (int i = 1; i < argc; ++i) {
            rates.push_back(std::atoi(argv[i]));
        }
    }
    SnmpInit();
    ksx::test::SimSwitch::Options options;
    options.extraArgs = {"--table", kTable + ":" + std::to_string(kRows) + ":2"};
    ksx::test::SimSwitch sim(options);
    const std::string agent = sim.Address() + ":" + std::to_string(sim.Port());
    for (int rate : rates) {
        sim.ClearLog();
        sim.Command("loss " + std::to_string(rate) + " " + std::to_string(1000 + rate));
        std::vector<WalkResult> results(kWalks);
        std::vector<std::thread> walkers;
        const auto t0 = Clock::now();
        for (int i = 0; i < kWalks; ++i) {
            walkers.emplace_back([&, i] { results[static_cast<size_t>(i)] = Walk(agent); });
        }
        for (auto& t : walkers) {
            t.join();
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        int complete = 0;
        long long longest = 0;
        std::string rows;
        for (const WalkResult& r : results) {
            complete += r.complete ? 1 : 0;
            longest = std::max(longest, r.longestStepMs);
            rows += (rows.empty() ? "" : " ") + std::to_string(r.rows);
        }
        std::printf(
            "loss %d%%: %d of %d walks of %d rows complete; longest step %lld ms of a %lu ms time-out "
            "(%s); %.1f s\n  rows read per walk: %s\n",
            rate, complete, kWalks, kRows, longest, kTimeoutMs,
            longest <= static_cast<long long>(kTimeoutMs) + 50 ? "within" : "PAST", seconds, rows.c_str());
        std::fflush(stdout);
    }
    sim.Command("loss 0");
    return 0;
}
