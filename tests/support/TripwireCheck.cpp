// Linked into every test executable: the SNMP layer's rule checks are on for the whole run, and a broken
// rule fails the running test with what happened. A rule broken on a worker after the last test ended
// still fails the process. A test process started as the module (KSX_TRIPWIRE=1) ends at once instead, as
// the program does, so that its parent sees it whatever ends the child.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/snmplib/Tripwire.h"

namespace {

std::atomic<bool> g_ended{false};
std::atomic<int> g_late{0};

void Report(const std::string& what) {
    std::fprintf(stderr, "%s\n", what.c_str());
    if (g_ended.load()) {
        g_late.fetch_add(1);
        return;
    }
    ADD_FAILURE() << what;
}

class TripwireCheck : public ::testing::Environment {
public:
    void SetUp() override {
        ksx::tripwire::Install(ksx::tripwire::RequestedByEnvironment() ? ksx::tripwire::ExitingHandler()
                                                                       : ksx::tripwire::Handler(Report));
    }
    void TearDown() override { g_ended = true; }
};

// Each test starts as a window opened afresh: what the test before it sent is no request of its window.
class EachTest : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { ksx::tripwire::EventsHandled(); }
};

// After main returned: a rule broken once the tests had ended still fails the run.
struct LateTrips {
    ~LateTrips() {
        if (g_late.load() > 0) {
            std::fprintf(stderr, "tripwire: %d rule(s) broken after the last test\n", g_late.load());
            std::_Exit(ksx::tripwire::kTripExitCode);
        }
    }
} g_lateTrips;

[[maybe_unused]] ::testing::Environment* const g_check = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new EachTest);
    return ::testing::AddGlobalTestEnvironment(new TripwireCheck);
}();

}  // namespace
