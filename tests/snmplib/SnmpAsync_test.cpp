// Threads: cancelling a step from another thread, the asynchronous request and walker, and request
// objects used side by side on several threads.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/snmplib/SnmpTestUtil.h"

using namespace ksx::test;

namespace {

const char* const kSysName = "1.3.6.1.2.1.1.5.0";
const std::string kIfDescr = "1.3.6.1.2.1.2.2.1.2";

// What a callback saw, and a wait for it with a limit.
struct Calls {
    std::mutex mu;
    std::condition_variable cv;
    std::vector<int> statuses;
    std::vector<int> ids;
    std::vector<std::string> values;
    std::vector<std::thread::id> threads;
    std::atomic<bool> startReturned{false};
    bool beforeStartReturned = false;
    CSnmpTable4w* walker = nullptr;
    const CSnmp4w* sender = nullptr;  // the started object, when the test checks beforeStartReturned
    std::string agent;
    std::atomic<int> startedId{0};

    bool WaitFor(size_t n, int limitMs = 20000) {
        std::unique_lock<std::mutex> lk(mu);
        return cv.wait_for(lk, std::chrono::milliseconds(limitMs), [&] { return statuses.size() >= n; });
    }
};

int Record(CSnmp* reply, int requestId, void* user, int status) {
    auto* c = static_cast<Calls*>(user);
    std::lock_guard<std::mutex> lk(c->mu);
    // The caller sets startReturned just after start returns, so a callback in between sees it unset;
    // the request id, which start publishes before it returns, tells that case from an early call.
    if (!c->startReturned && !(c->sender && c->sender->getRequestId() == requestId)) {
        c->beforeStartReturned = true;
    }
    c->statuses.push_back(status);
    c->ids.push_back(requestId);
    c->values.push_back(reply && reply->getVarBindCount() ? ValueOf(*reply, 0) : "");
    c->threads.push_back(std::this_thread::get_id());
    delete reply;
    c->cv.notify_all();
    return 0;
}

// A walk callback: records the row and asks for the next step until a non-zero status.
int WalkStep(CSnmp* reply, int requestId, void* user, int status) {
    auto* c = static_cast<Calls*>(user);
    const bool more = status == 0;
    Record(reply, requestId, user, status);
    if (more) {
        c->startReturned = false;
        EXPECT_EQ(0, c->walker->start(c->agent.c_str(), WalkStep, user, 3000, 0));
        c->startedId = c->walker->getRequestId();
        c->startReturned = true;
    }
    return 0;
}

class SnmpAsync : public SimSuite {
protected:
    void SetUp() override {
        s_sim->Silence(false);
        s_sim->DelayMs(0);
    }
    static std::string Agent() { return AgentOf(*s_sim); }
};

TEST_F(SnmpAsync, CancelFromAnotherThreadReturnsPromptly) {
    s_sim->Silence(true);
    CSnmpV1 get(0);
    get.setCommunity("quaint");
    get.addValue(kSysName, SNMP_TYPE_NULL, nullptr);
    std::atomic<bool> done{false};
    int status = 0;
    std::chrono::steady_clock::time_point returned;
    std::thread worker([&] {
        CSnmp* raw = nullptr;
        status = get.send(Agent().c_str(), raw, 10000);
        delete raw;
        returned = std::chrono::steady_clock::now();
        done = true;
    });
    // Wait until the request is on the wire, then cancel.
    ASSERT_TRUE(s_sim->WaitForRequests([](const std::vector<SimRequest>& r) { return !r.empty(); }));
    auto cancelled = std::chrono::steady_clock::now();
    get.cancel();
    worker.join();
    EXPECT_EQ(CSnmp4w::EC_CANCELLED, status);
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(returned - cancelled).count(), 500);
}

TEST_F(SnmpAsync, CancelSticksToThePduUntilItIsRebuilt) {
    CSnmpV1 get(1);
    get.setCommunity("quaint");
    get.addValue(kIfDescr.c_str(), SNMP_TYPE_NULL, nullptr);
    CSnmpTable table(&get);
    CSnmp* raw = nullptr;
    ASSERT_EQ(0, table.getNext(Agent().c_str(), raw, 3000));
    delete raw;
    // A cancel that arrives between two steps of a walk ends the next step before it is sent.
    table.cancel();
    s_sim->ClearLog();
    EXPECT_EQ(CSnmp4w::EC_CANCELLED, table.getNext(Agent().c_str(), raw, 3000));
    EXPECT_EQ(CSnmp4w::EC_CANCELLED, get.send(Agent().c_str(), raw, 3000));
    EXPECT_TRUE(s_sim->Requests().empty());
    // Rebuilding the PDU (what a session's Open does) or resetCancel clears it.
    get.setType(1);
    get.clearVarBindList();
    get.addValue(kIfDescr.c_str(), SNMP_TYPE_NULL, nullptr);
    ASSERT_EQ(0, table.getNext(Agent().c_str(), raw, 3000));
    delete raw;
    get.cancel();
    get.resetCancel();
    ASSERT_EQ(0, table.getNext(Agent().c_str(), raw, 3000));
    delete raw;
}

TEST_F(SnmpAsync, CancelRacingWithSteps) {
    // Cancels fired at random moments against a running walk: every step ends with a reply, the end or
    // the cancel, never a hang, and the object stays usable.
    CSnmpV1 get(1);
    get.setCommunity("quaint");
    CSnmpTable table(&get);
    std::atomic<bool> stop{false};
    std::thread canceller([&] {
        while (!stop) {
            table.cancel();
            std::this_thread::yield();
        }
    });
    for (int round = 0; round < 50; ++round) {
        get.clearVarBindList();
        get.addValue(kIfDescr.c_str(), SNMP_TYPE_NULL, nullptr);
        for (int step = 0; step < 40; ++step) {
            CSnmp* raw = nullptr;
            int status = table.getNext(Agent().c_str(), raw, 2000);
            delete raw;
            ASSERT_TRUE(status == 0 || status == CSnmp4w::EC_CANCELLED || status == CSnmp4w::EC_END_OF_WALK)
                << status;
            if (status != 0) {
                break;
            }
        }
    }
    stop = true;
    canceller.join();
    get.clearVarBindList();
    get.addValue(kIfDescr.c_str(), SNMP_TYPE_NULL, nullptr);
    CSnmp* raw = nullptr;
    EXPECT_EQ(0, table.getNext(Agent().c_str(), raw, 2000));
    delete raw;
}

TEST_F(SnmpAsync, SingleRequestCallsBackAfterStartReturned) {
    Calls calls;
    CSnmp4w sender(nullptr);
    calls.sender = &sender;
    int id = 0;
    {
        // The request object may go as soon as start returns.
        CSnmpV1 get(0);
        get.setCommunity("quaint");
        get.addValue(kSysName, SNMP_TYPE_NULL, nullptr);
        sender.attach(&get);
        ASSERT_EQ(0, sender.start(Agent().c_str(), Record, &calls, 0, 0));
        id = sender.getRequestId();
        EXPECT_EQ(id, get.getRequestId());
        calls.startReturned = true;
    }
    ASSERT_TRUE(calls.WaitFor(1));
    std::lock_guard<std::mutex> lk(calls.mu);
    EXPECT_FALSE(calls.beforeStartReturned);
    EXPECT_EQ(0, calls.statuses[0]);
    EXPECT_EQ(id, calls.ids[0]);
    EXPECT_EQ("KSX-4200-28Z1", calls.values[0]);
    EXPECT_NE(std::this_thread::get_id(), calls.threads[0]);
    EXPECT_EQ(sender.workerThreadId(), calls.threads[0]);
}

TEST_F(SnmpAsync, StartWithoutRequestFailsWithoutCallback) {
    Calls calls;
    CSnmp4w sender(nullptr);
    EXPECT_NE(0, sender.start(Agent().c_str(), Record, &calls, 0, 0));
    CSnmpTable4w walker(nullptr);
    EXPECT_NE(0, walker.start(Agent().c_str(), Record, &calls, 0, 0));
    EXPECT_TRUE(calls.statuses.empty());
}

TEST_F(SnmpAsync, RequestIdsIncrease) {
    Calls calls;
    CSnmp4w sender(nullptr);
    calls.sender = &sender;
    CSnmpV1 get(0);
    get.setCommunity("quaint");
    get.addValue(kSysName, SNMP_TYPE_NULL, nullptr);
    sender.attach(&get);
    int last = 0;
    for (int i = 0; i < 3; ++i) {
        calls.startReturned = false;
        ASSERT_EQ(0, sender.start(Agent().c_str(), Record, &calls, 0, 0));
        calls.startReturned = true;
        EXPECT_GT(sender.getRequestId(), last);
        last = sender.getRequestId();
        ASSERT_TRUE(calls.WaitFor(static_cast<size_t>(i + 1)));
    }
    std::lock_guard<std::mutex> lk(calls.mu);
    EXPECT_EQ(last, calls.ids.back());
    EXPECT_FALSE(calls.beforeStartReturned);
}

TEST_F(SnmpAsync, TableWalkerWalksThePortTable) {
    Calls calls;
    CSnmpTable4w walker(nullptr);
    calls.walker = &walker;
    calls.sender = &walker;
    calls.agent = Agent();
    CSnmpV1 request(1);
    request.setCommunity("quaint");
    request.addValue(kIfDescr.c_str(), SNMP_TYPE_NULL, nullptr);
    walker.attach(&request);
    ASSERT_EQ(0, walker.start(Agent().c_str(), WalkStep, &calls, 3000, 0));
    calls.startReturned = true;
    ASSERT_TRUE(calls.WaitFor(29));
    std::lock_guard<std::mutex> lk(calls.mu);
    ASSERT_EQ(29u, calls.statuses.size());
    for (size_t i = 0; i < 28; ++i) {
        EXPECT_EQ(0, calls.statuses[i]) << i;
    }
    EXPECT_EQ(CSnmp4w::EC_END_OF_WALK, calls.statuses[28]);
    EXPECT_FALSE(calls.beforeStartReturned);
    for (size_t i = 1; i < calls.ids.size(); ++i) {
        EXPECT_GT(calls.ids[i], calls.ids[i - 1]);
    }
    EXPECT_EQ(calls.startedId.load(), calls.ids.back());
}

TEST_F(SnmpAsync, TableWalkerStartsOverForARebuiltPdu) {
    Calls calls;
    CSnmpTable4w walker(nullptr);
    CSnmpV1 request(1);
    request.setCommunity("quaint");
    request.addValue(kIfDescr.c_str(), SNMP_TYPE_NULL, nullptr);
    walker.attach(&request);
    for (int i = 0; i < 2; ++i) {  // continues from the last reply
        ASSERT_EQ(0, walker.start(Agent().c_str(), Record, &calls, 3000, 0));
        ASSERT_TRUE(calls.WaitFor(static_cast<size_t>(i + 1)));
    }
    request.clearVarBindList();
    request.addValue(kIfDescr.c_str(), SNMP_TYPE_NULL, nullptr);
    ASSERT_EQ(0, walker.start(Agent().c_str(), Record, &calls, 3000, 0));
    ASSERT_TRUE(calls.WaitFor(3));
    std::lock_guard<std::mutex> lk(calls.mu);
    EXPECT_NE(calls.values[0], calls.values[1]);
    EXPECT_EQ(calls.values[0], calls.values[2]);
}

TEST_F(SnmpAsync, DestroyingWithAStepInFlightCancelsWithoutCallback) {
    s_sim->Silence(true);
    Calls calls;
    auto t0 = std::chrono::steady_clock::now();
    {
        CSnmp4w sender(nullptr);
        CSnmpV1 get(0);
        get.setCommunity("quaint");
        get.addValue(kSysName, SNMP_TYPE_NULL, nullptr);
        sender.attach(&get);
        ASSERT_EQ(0, sender.start(Agent().c_str(), Record, &calls, 10000, 0));
        ASSERT_TRUE(s_sim->WaitForRequests([](const std::vector<SimRequest>& r) { return !r.empty(); }));
    }
    EXPECT_LT(ElapsedMs(t0), 3000);
    std::lock_guard<std::mutex> lk(calls.mu);
    EXPECT_TRUE(calls.statuses.empty());
}

TEST_F(SnmpAsync, ExplicitCancelCallsBackWithCancelled) {
    s_sim->Silence(true);
    s_sim->ClearLog();
    Calls calls;
    CSnmp4w sender(nullptr);
    CSnmpV1 get(0);
    get.setCommunity("quaint");
    get.addValue(kSysName, SNMP_TYPE_NULL, nullptr);
    sender.attach(&get);
    ASSERT_EQ(0, sender.start(Agent().c_str(), Record, &calls, 10000, 0));
    calls.startReturned = true;
    ASSERT_TRUE(s_sim->WaitForRequests([](const std::vector<SimRequest>& r) { return !r.empty(); }));
    sender.cancel();
    ASSERT_TRUE(calls.WaitFor(1, 2000));
    {
        std::lock_guard<std::mutex> lk(calls.mu);
        EXPECT_EQ(CSnmp4w::EC_CANCELLED, calls.statuses[0]);
    }
    // A later start is not affected.
    s_sim->Silence(false);
    ASSERT_EQ(0, sender.start(Agent().c_str(), Record, &calls, 3000, 0));
    ASSERT_TRUE(calls.WaitFor(2));
    std::lock_guard<std::mutex> lk(calls.mu);
    EXPECT_EQ(0, calls.statuses[1]);
}

struct SelfDeleting {
    CSnmp4w* sender = nullptr;
    std::mutex mu;
    std::condition_variable cv;
    bool called = false;
};

int DeleteSender(CSnmp* reply, int, void* user, int) {
    auto* s = static_cast<SelfDeleting*>(user);
    delete reply;
    delete s->sender;  // from its own callback
    std::lock_guard<std::mutex> lk(s->mu);
    s->called = true;
    s->cv.notify_all();
    return 0;
}

TEST_F(SnmpAsync, SenderMayBeDeletedFromItsOwnCallback) {
    SelfDeleting state;
    state.sender = new CSnmp4w(nullptr);
    CSnmpV1 get(0);
    get.setCommunity("quaint");
    get.addValue(kSysName, SNMP_TYPE_NULL, nullptr);
    state.sender->attach(&get);
    ASSERT_EQ(0, state.sender->start(Agent().c_str(), DeleteSender, &state, 3000, 0));
    std::unique_lock<std::mutex> lk(state.mu);
    EXPECT_TRUE(state.cv.wait_for(lk, std::chrono::seconds(5), [&] { return state.called; }));
}

// The wait hook stands in for the delivery gate: a callback blocked until the owner's thread gives up
// waiting for it must not keep the destructor from returning.
struct HookState {
    std::mutex mu;
    std::condition_variable cv;
    bool inCallback = false;
    bool abandoned = false;
    std::thread::id worker;
};
HookState g_hook;

std::shared_ptr<void> AbandonCalls(std::thread::id worker) {
    std::lock_guard<std::mutex> lk(g_hook.mu);
    g_hook.worker = worker;
    g_hook.abandoned = true;
    g_hook.cv.notify_all();
    return nullptr;
}

int BlockedCallback(CSnmp* reply, int, void*, int) {
    delete reply;
    std::unique_lock<std::mutex> lk(g_hook.mu);
    g_hook.inCallback = true;
    g_hook.cv.notify_all();
    g_hook.cv.wait_for(lk, std::chrono::seconds(10), [] { return g_hook.abandoned; });
    return 0;
}

TEST_F(SnmpAsync, DestructorNamesItsWorkerToTheWaitHook) {
    SetSnmpWaitHook(AbandonCalls);
    auto sender = std::make_unique<CSnmp4w>(nullptr);
    CSnmpV1 get(0);
    get.setCommunity("quaint");
    get.addValue(kSysName, SNMP_TYPE_NULL, nullptr);
    sender->attach(&get);
    ASSERT_EQ(0, sender->start(Agent().c_str(), BlockedCallback, nullptr, 3000, 0));
    {
        std::unique_lock<std::mutex> lk(g_hook.mu);
        ASSERT_TRUE(g_hook.cv.wait_for(lk, std::chrono::seconds(5), [] { return g_hook.inCallback; }));
    }
    const std::thread::id worker = sender->workerThreadId();
    auto t0 = std::chrono::steady_clock::now();
    sender.reset();
    EXPECT_LT(ElapsedMs(t0), 5000);
    SetSnmpWaitHook(nullptr);
    std::lock_guard<std::mutex> lk(g_hook.mu);
    EXPECT_EQ(worker, g_hook.worker);
}

TEST_F(SnmpAsync, RequestObjectsOnManyThreads) {
    // v1 and v3 objects on eight threads at once, each reading its own value back.
    constexpr int kThreads = 8;
    for (int t = 0; t < kThreads; ++t) {
        s_sim->Set("1.3.6.1.4.1.99999.3." + std::to_string(t) + ".0", "s", "value-" + std::to_string(t));
    }
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            std::unique_ptr<CSnmpV1> get;
            if (t % 2) {
                get = V3Request(0, t % 4 == 1 ? "shadesuser" : "md5user", t % 4 == 1 ? 3 : 1,
                                t % 4 == 1 ? 1 : 0, t % 4 == 1 ? "shaauthpass" : "md5authpass", 0,
                                "desprivpass");
            } else {
                get = std::make_unique<CSnmpV1>(0);
                get->setCommunity("quaint");
            }
            const std::string oid = "1.3.6.1.4.1.99999.3." + std::to_string(t) + ".0";
            get->addValue(oid.c_str(), SNMP_TYPE_NULL, nullptr);
            for (int i = 0; i < 30; ++i) {
                ReplyPtr reply;
                if (SendTo(*get, Agent(), reply, 3000) != 0 ||
                    ValueOf(*reply, 0) != "value-" + std::to_string(t)) {
                    ++failures;
                }
            }
        });
    }
    for (auto& th : threads) {
        th.join();
    }
    EXPECT_EQ(0, failures.load());
}

}  // namespace
