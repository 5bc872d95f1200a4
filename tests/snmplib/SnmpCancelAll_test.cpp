// Cancelling every request of the process (what SIGTERM does): requests waiting on a silent agent end at
// once, synchronous and asynchronous alike, and later ones end before anything is sent. The cancel
// cannot be undone, so this executable holds this one test.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "tests/snmplib/SnmpTestUtil.h"

using namespace ksx::test;

namespace {

const char* const kSysName = "1.3.6.1.2.1.1.5.0";

struct AsyncResult {
    std::atomic<int> status{1};
    std::atomic<bool> called{false};
    static int Callback(CSnmp* reply, int, void* userData, int status) {
        delete reply;
        auto* self = static_cast<AsyncResult*>(userData);
        self->status = status;
        self->called = true;
        return 0;
    }
};

TEST(SnmpCancelAll, EndsEveryWaitingRequestAtOnceAndEveryLaterOne) {
    SnmpInit();
    SimSwitch sim;
    const std::string agent = AgentOf(sim);
    sim.Silence(true);

    // A synchronous v1 get and an SNMPv3 walk step of the asynchronous walker, both waiting 20 s.
    CSnmpV1 get(0);
    get.setCommunity("quaint");
    get.addValue(kSysName, SNMP_TYPE_NULL, nullptr);
    auto walk = V3Request(1, "md5user", 1, 0, "md5authpass", 0, "");
    walk->addValue(kSysName, SNMP_TYPE_NULL, nullptr);
    CSnmpTable4w walker(walk.get());
    AsyncResult async;
    ASSERT_EQ(0, walker.start(agent.c_str(), &AsyncResult::Callback, &async, 20000));

    std::atomic<int> syncStatus{1};
    std::atomic<long long> syncMs{-1};
    std::thread waiter([&] {
        const auto t0 = std::chrono::steady_clock::now();
        ReplyPtr reply;
        syncStatus = SendTo(get, agent, reply, 20000);
        syncMs = ElapsedMs(t0);
    });
    ASSERT_TRUE(sim.WaitForRequests([](const std::vector<SimRequest>& log) { return log.size() >= 2; }));

    const auto cancelled = std::chrono::steady_clock::now();
    SnmpCancelAll();
    waiter.join();
    EXPECT_LT(ElapsedMs(cancelled), 300);
    EXPECT_EQ(CSnmp4w::EC_CANCELLED, syncStatus.load());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (!async.called && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(async.called);
    EXPECT_EQ(CSnmp4w::EC_CANCELLED, async.status.load());
    EXPECT_TRUE(SnmpAllCancelled());

    // Later requests, even to an agent that answers again, end at once and send nothing.
    sim.Silence(false);
    sim.ClearLog();
    const auto later = std::chrono::steady_clock::now();
    ReplyPtr reply;
    EXPECT_EQ(CSnmp4w::EC_CANCELLED, SendTo(get, agent, reply, 20000));
    CSnmpV1 fresh(0);
    fresh.setCommunity("quaint");
    fresh.addValue(kSysName, SNMP_TYPE_NULL, nullptr);
    EXPECT_EQ(CSnmp4w::EC_CANCELLED, SendTo(fresh, agent, reply, 20000));
    EXPECT_LT(ElapsedMs(later), 100);
    EXPECT_TRUE(sim.Requests().empty());
}

}  // namespace
