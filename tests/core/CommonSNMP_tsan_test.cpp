// The session's asynchronous walks against the simulated switch: request ids, callbacks and done
// signals, Close and Open during a walk, the destructor, and callbacks that reach the UI thread through
// the delivery gate while that thread waits for them.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/CommonSNMP.h"
#include "platform/sys/DeliveryGate.h"
#include "platform/sys/Event.h"
#include "platform/sys/Globals.h"
#include "tests/support/GateOwner.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"

using namespace std::chrono;
using ksx::test::SimRequest;

namespace {

const std::string kPortColumn = "1.3.6.1.4.1.7393.10.76.20.1.1.13.1.1";
const std::string kLinkColumn = "1.3.6.1.4.1.7393.10.76.20.1.1.13.1.3";
const std::string kJumbo = "1.3.6.1.4.1.7393.10.76.20.1.1.12.0";

long MsSince(steady_clock::time_point start) {
    return static_cast<long>(duration_cast<milliseconds>(steady_clock::now() - start).count());
}

// A walk callback written the way the feature logic classes write theirs: drop stale answers, end on a
// non-zero status with SetDone, otherwise record the row and request the next step.
struct Walk {
    explicit Walk(CCommonSNMP& s, int timeout = 0) : session(s), timeoutMs(timeout) {}

    static int Callback(CSnmp* response, int requestId, void* userData, int status) {
        auto* self = static_cast<Walk*>(userData);
        self->OnStep(response, requestId, status);
        return 0;
    }

    void OnStep(CSnmp* response, int requestId, int status) {
        std::unique_ptr<CSnmp> owned(response);
        {
            std::lock_guard<std::mutex> guard(mutex);
            ids.push_back(requestId);
            statuses.push_back(status);
            threads.push_back(std::this_thread::get_id());
        }
        ++callbacks;
        if (!session.FindRequestID(requestId)) {
            ++stale;
            return;
        }
        if (beforeNext) {
            beforeNext();
        }
        if (status != 0) {
            session.SetDone();
            finalStatus = status;
            ended.Set();
            return;
        }
        const int count = response ? response->getVarBindCount() : 0;
        for (int i = 0; i < count; ++i) {
            char* suffix = nullptr;
            int length = 0;
            char* value = nullptr;
            session.GetResponseOid(i, response, &suffix);
            response->getValue(i, &length, &value);
            std::lock_guard<std::mutex> guard(mutex);
            suffixes.push_back(suffix ? suffix : "");
            values.push_back(value ? std::string(value, static_cast<size_t>(length)) : "");
        }
        if (stopAfterRows > 0 && ++rows >= stopAfterRows) {
            session.SetDone();
            ended.Set();
            return;
        }
        session.StartAsyncWalk(&Walk::Callback, this, timeoutMs);
    }

    std::vector<std::string> Suffixes() {
        std::lock_guard<std::mutex> guard(mutex);
        return suffixes;
    }
    std::vector<int> Ids() {
        std::lock_guard<std::mutex> guard(mutex);
        return ids;
    }
    std::vector<int> Statuses() {
        std::lock_guard<std::mutex> guard(mutex);
        return statuses;
    }

    CCommonSNMP& session;
    int timeoutMs;
    int stopAfterRows = 0;
    int rows = 0;
    std::function<void()> beforeNext;  // runs on the worker before a row is handled
    std::mutex mutex;
    std::vector<int> ids;
    std::vector<int> statuses;
    std::vector<std::thread::id> threads;
    std::vector<std::string> suffixes;
    std::vector<std::string> values;
    std::atomic<int> callbacks{0};
    std::atomic<int> stale{0};
    std::atomic<int> finalStatus{1};
    ksx::CEvent ended{true, false};
};

bool RequestsOf(const std::vector<SimRequest>& log, size_t n) {
    return log.size() >= n;
}

class SessionWalkTest : public ksx::test::SharedSimTest {
protected:
    static void OpenColumns(CCommonSNMP& session, const std::vector<std::string>& columns) {
        ASSERT_TRUE(session.Open(1));
        for (const auto& column : columns) {
            ASSERT_EQ(session.AddVarBind(column, 4, nullptr), 0);
        }
    }
    // Waits until the simulator has received at least n requests.
    static bool WaitForRequestCount(size_t n) {
        return s_sim->WaitForRequests([n](const std::vector<SimRequest>& log) { return RequestsOf(log, n); });
    }
};

}  // namespace

TEST_F(SessionWalkTest, WalkOfThePortTableGivesEveryRowThenEndOfColumns) {
    CCommonSNMP session;
    EXPECT_EQ(session.Agent(), "127.0.0.1:" + std::to_string(s_sim->Port()));
    OpenColumns(session, {kPortColumn, kLinkColumn});
    Walk walk(session);
    const int before = g_nSnmpRequestID.load();
    EXPECT_EQ(session.StartAsyncWalk(&Walk::Callback, &walk, 0), -1);
    EXPECT_FALSE(session.IsDone());
    ASSERT_TRUE(walk.ended.Wait(20000));
    ASSERT_TRUE(session.WaitDone(5000));

    EXPECT_EQ(walk.finalStatus.load(), -2);
    EXPECT_EQ(walk.callbacks.load(), 29);
    EXPECT_EQ(walk.stale.load(), 0);
    std::vector<std::string> expected;
    for (int port = 1; port <= 28; ++port) {
        expected.push_back("." + std::to_string(port));
        expected.push_back("." + std::to_string(port));
    }
    EXPECT_EQ(walk.Suffixes(), expected);
    for (int port = 1; port <= 28; ++port) {
        EXPECT_EQ(walk.values[2 * (port - 1)], std::to_string(port));
    }
    // One id per step from the process-wide counter, rising by one; all consumed.
    const std::vector<int> ids = walk.Ids();
    ASSERT_EQ(ids.size(), 29u);
    for (size_t i = 0; i < ids.size(); ++i) {
        EXPECT_EQ(ids[i], before + 1 + static_cast<int>(i));
    }
    EXPECT_EQ(session.PendingRequestCount(), 0);
    // The same worker thread performs every step, and it is not this one.
    for (const auto& id : walk.threads) {
        EXPECT_EQ(id, walk.threads.front());
    }
    EXPECT_NE(walk.threads.front(), std::this_thread::get_id());

    // The device saw get-next requests with the read community, each continuing from the last answer.
    const auto log = s_sim->Requests();
    ASSERT_EQ(log.size(), 29u);
    for (size_t i = 0; i < log.size(); ++i) {
        EXPECT_EQ(log[i].version, 1);
        EXPECT_EQ(log[i].principal, "quaint");
        EXPECT_EQ(log[i].pdu, "getnext");
        ASSERT_EQ(log[i].varbinds.size(), 2u);
        const std::string suffix = i == 0 ? "" : "." + std::to_string(i);
        EXPECT_EQ(log[i].varbinds[0].oid, kPortColumn + suffix);
        EXPECT_EQ(log[i].varbinds[1].oid, kLinkColumn + suffix);
    }
}

TEST_F(SessionWalkTest, RequestIdsRiseAcrossSessions) {
    CCommonSNMP first;
    CCommonSNMP second;
    std::vector<int> all;
    for (CCommonSNMP* session : {&first, &second, &first}) {
        OpenColumns(*session, {kPortColumn});
        Walk walk(*session);
        walk.stopAfterRows = 2;
        session->StartAsyncWalk(&Walk::Callback, &walk, 0);
        ASSERT_TRUE(walk.ended.Wait(10000));
        ASSERT_TRUE(session->WaitDone(5000));
        for (int id : walk.Ids()) {
            all.push_back(id);
        }
        EXPECT_EQ(session->LastRequestID(), all.back());
    }
    ASSERT_EQ(all.size(), 6u);
    for (size_t i = 1; i < all.size(); ++i) {
        EXPECT_EQ(all[i], all[i - 1] + 1);
    }
}

TEST_F(SessionWalkTest, ZeroWalkTimeoutMeansTheSetting) {
    g_strSnmpTimeout = "400";
    CCommonSNMP session;
    OpenColumns(session, {kPortColumn});
    s_sim->Silence(true);
    Walk walk(session);
    const auto start = steady_clock::now();
    session.StartAsyncWalk(&Walk::Callback, &walk, 0);
    ASSERT_TRUE(walk.ended.Wait(5000));
    const long elapsed = MsSince(start);
    EXPECT_EQ(walk.finalStatus.load(), -1);
    EXPECT_GE(elapsed, 350);
    EXPECT_LT(elapsed, 2500);  // far below the default 3000

    // An explicit time-out wins over the setting.
    Walk longer(session, 900);
    ASSERT_TRUE(session.Open(1));
    session.AddVarBind(kPortColumn, 4, nullptr);
    const auto start2 = steady_clock::now();
    session.StartAsyncWalk(&Walk::Callback, &longer, 0, 900);
    ASSERT_TRUE(longer.ended.Wait(5000));
    EXPECT_EQ(longer.finalStatus.load(), -1);
    EXPECT_GE(MsSince(start2), 850);
}

TEST_F(SessionWalkTest, DeadOrLossyDeviceEndsTheWalkWithinTheTimeout) {
    g_strSnmpTimeout = "300";
    {
        CCommonSNMP session;
        OpenColumns(session, {kPortColumn});
        s_sim->Silence(true);
        Walk walk(session);
        session.StartAsyncWalk(&Walk::Callback, &walk, 0);
        ASSERT_TRUE(walk.ended.Wait(5000));
        EXPECT_EQ(walk.finalStatus.load(), -1);
        EXPECT_EQ(walk.callbacks.load(), 1);
        s_sim->Silence(false);
    }
    {
        // Half the requests lost: every step either answers or times out; the walk ends either way.
        CCommonSNMP session;
        OpenColumns(session, {kPortColumn});
        s_sim->DropPercent(50);
        Walk walk(session);
        const auto start = steady_clock::now();
        session.StartAsyncWalk(&Walk::Callback, &walk, 0);
        ASSERT_TRUE(walk.ended.Wait(29 * 300 + 5000));
        const int final = walk.finalStatus.load();
        EXPECT_TRUE(final == -1 || final == -2) << final;
        EXPECT_LT(MsSince(start), 29 * 300 + 5000);
        EXPECT_EQ(session.PendingRequestCount(), 0);
        s_sim->DropPercent(0);
    }
}

TEST_F(SessionWalkTest, CloseDuringAStepInFlightReturnsPromptlyWithoutCallback) {
    s_sim->DelayMs(1500);
    auto session = std::make_unique<CCommonSNMP>();
    OpenColumns(*session, {kPortColumn});
    Walk walk(*session);
    session->StartAsyncWalk(&Walk::Callback, &walk, 0);
    ASSERT_TRUE(WaitForRequestCount(1));  // the step is inside the library, waiting for the answer
    const auto start = steady_clock::now();
    session->Close();
    EXPECT_LT(MsSince(start), 1000);
    EXPECT_TRUE(session->IsDone());
    EXPECT_TRUE(session->IsClosed());
    EXPECT_EQ(session->PendingRequestCount(), 0);

    // Refused after Close without a new Open: done stays signalled, nothing is sent.
    session->StartAsyncWalk(&Walk::Callback, &walk, 0);
    EXPECT_TRUE(session->IsDone());
    EXPECT_EQ(session->PendingRequestCount(), 0);
    // The cancel that ended the step does not stick: the same PDU can still be sent.
    s_sim->DelayMs(0);
    CSnmp* response = nullptr;
    EXPECT_EQ(session->Send(response, 0), 0);
    delete response;
    session.reset();  // joins the worker: any late callback would have run by now
    EXPECT_EQ(walk.callbacks.load(), 0);
    EXPECT_EQ(s_sim->Requests().size(), 2u);
}

TEST_F(SessionWalkTest, CloseWhileACallbackRunsRefusesItsNextStep) {
    CCommonSNMP session;
    OpenColumns(session, {kPortColumn});
    Walk walk(session);
    ksx::CEvent inCallback(true, false);
    ksx::CEvent proceed(true, false);
    walk.beforeNext = [&] {
        inCallback.Set();
        proceed.Wait(10000);
    };
    session.StartAsyncWalk(&Walk::Callback, &walk, 0);
    ASSERT_TRUE(inCallback.Wait(10000));
    EXPECT_EQ(session.PendingRequestCount(), 0);  // the callback consumed its id

    std::atomic<long> closeMs{-1};
    std::thread closer([&] {
        const auto start = steady_clock::now();
        session.Close();
        closeMs = MsSince(start);
    });
    // Close is waiting for the done signal; let the callback ask for the next step.
    const auto deadline = steady_clock::now() + seconds(5);
    while (!session.IsClosed() && steady_clock::now() < deadline) {
        std::this_thread::yield();
    }
    ASSERT_TRUE(session.IsClosed());
    proceed.Set();
    closer.join();
    EXPECT_GE(closeMs.load(), 0);
    EXPECT_LT(closeMs.load(), 2000);
    EXPECT_TRUE(session.IsDone());
    EXPECT_EQ(session.PendingRequestCount(), 0);
    EXPECT_EQ(walk.callbacks.load(), 1);
    EXPECT_EQ(s_sim->Requests().size(), 1u);  // the refused step was never sent

    // A new Open leaves the closed state and walks again.
    OpenColumns(session, {kPortColumn});
    Walk again(session);
    again.stopAfterRows = 3;
    session.StartAsyncWalk(&Walk::Callback, &again, 0);
    ASSERT_TRUE(again.ended.Wait(10000));
    EXPECT_EQ(again.Suffixes(), (std::vector<std::string>{".1", ".2", ".3"}));
}

TEST_F(SessionWalkTest, EmptyPduIsRefusedWithoutAWorker) {
    CCommonSNMP session;
    ASSERT_TRUE(session.Open(1));
    Walk walk(session);
    EXPECT_EQ(session.StartAsyncWalk(&Walk::Callback, &walk, 0), -1);
    EXPECT_TRUE(session.IsDone());
    EXPECT_EQ(session.PendingRequestCount(), 0);
    EXPECT_EQ(walk.callbacks.load(), 0);
    EXPECT_TRUE(s_sim->Requests().empty());
}

TEST_F(SessionWalkTest, OpenDuringAWalkDiscardsTheStepInFlight) {
    CCommonSNMP session;
    OpenColumns(session, {kPortColumn});
    Walk walk(session);
    s_sim->DelayMs(1500);
    session.StartAsyncWalk(&Walk::Callback, &walk, 0);
    ASSERT_TRUE(WaitForRequestCount(1));
    const auto start = steady_clock::now();
    ASSERT_TRUE(session.Open(0));
    EXPECT_LT(MsSince(start), 1000);
    EXPECT_EQ(walk.callbacks.load(), 0);
    EXPECT_TRUE(session.IsDone());
    s_sim->DelayMs(0);

    // The session is usable at once for the new PDU.
    session.AddVarBind(kPortColumn + ".5", 4, nullptr);
    CSnmp* response = nullptr;
    ASSERT_EQ(session.Send(response, 0), 0);
    std::unique_ptr<CSnmp> owned(response);
    int length = 0;
    char* value = nullptr;
    ASSERT_EQ(response->getValue(0, &length, &value), 0);
    EXPECT_EQ(std::string(value, static_cast<size_t>(length)), "5");
    EXPECT_EQ(walk.callbacks.load(), 0);
}

TEST_F(SessionWalkTest, DestructorDuringAStepReturnsPromptly) {
    Walk* walkPtr = nullptr;
    s_sim->DelayMs(2000);
    auto session = std::make_unique<CCommonSNMP>();
    OpenColumns(*session, {kPortColumn});
    Walk walk(*session);
    walkPtr = &walk;
    session->StartAsyncWalk(&Walk::Callback, walkPtr, 0);
    ASSERT_TRUE(WaitForRequestCount(1));
    const auto start = steady_clock::now();
    session.reset();
    EXPECT_LT(MsSince(start), 1000);
    EXPECT_EQ(walk.callbacks.load(), 0);
}

// The test thread plays the UI thread: the gate's owner, running queued calls while it waits.
class SessionGateTest : public SessionWalkTest, protected ksx::test::GateOwner {};

// Rows reach the "window" by blocking sends; the window handles them on the UI thread.
struct GateWalk : Walk {
    GateWalk(CCommonSNMP& s, ksx::DeliveryGate& g, ksx::GateTarget t) : Walk(s), gate(g), target(t) {
        beforeNext = [this] {
            const std::string row = "row";
            const std::intptr_t r = gate.Send(target, [this, &row]() -> std::intptr_t {
                delivered.push_back(row);
                return 1;
            });
            (r == 0 ? abandoned : handled)++;
        };
    }
    ksx::DeliveryGate& gate;
    ksx::GateTarget target;
    std::vector<std::string> delivered;  // UI thread only
    std::atomic<int> handled{0};
    std::atomic<int> abandoned{0};
};

TEST_F(SessionGateTest, RowsAreHandledOnTheUiThread) {
    CCommonSNMP session;
    OpenColumns(session, {kPortColumn});
    GateWalk walk(session, gate, target);
    session.StartAsyncWalk(&Walk::Callback, &walk, 0);
    ASSERT_TRUE(PumpUntil([&] { return walk.ended.IsSet(); }));
    EXPECT_EQ(walk.handled.load(), 29);  // 28 rows and the end of the walk
    EXPECT_EQ(walk.abandoned.load(), 0);
    EXPECT_EQ(walk.delivered.size(), 29u);
}

TEST_F(SessionGateTest, CloseWhileACallbackSendsToTheUiThreadAbandonsTheSend) {
    CCommonSNMP session;
    OpenColumns(session, {kPortColumn});
    GateWalk walk(session, gate, target);
    const int before = Wakeups();
    session.StartAsyncWalk(&Walk::Callback, &walk, 0);
    ASSERT_TRUE(WaitForWakeups(before + 1));  // the callback is blocked in its send to us
    const auto start = steady_clock::now();
    session.Close();  // we do not pump: only the abandon rule can free the worker
    EXPECT_LT(MsSince(start), 1000);
    EXPECT_TRUE(session.IsDone());
    EXPECT_EQ(session.PendingRequestCount(), 0);
    gate.RunPending();
    EXPECT_TRUE(walk.delivered.empty());  // never delivered later
    EXPECT_EQ(walk.abandoned.load(), 1);
    EXPECT_EQ(walk.callbacks.load(), 1);
}

TEST_F(SessionGateTest, OpenAndDestructorWhileACallbackSendsToTheUiThread) {
    for (int round = 0; round < 2; ++round) {
        auto session = std::make_unique<CCommonSNMP>();
        OpenColumns(*session, {kPortColumn});
        GateWalk walk(*session, gate, target);
        const int before = Wakeups();
        session->StartAsyncWalk(&Walk::Callback, &walk, 0);
        ASSERT_TRUE(WaitForWakeups(before + 1));
        const auto start = steady_clock::now();
        if (round == 0) {
            EXPECT_TRUE(session->Open(0));
        }
        session.reset();
        EXPECT_LT(MsSince(start), 1000);
        gate.RunPending();
        EXPECT_TRUE(walk.delivered.empty());
        EXPECT_EQ(walk.abandoned.load(), 1);
        EXPECT_EQ(walk.callbacks.load(), 1);
    }
}

TEST_F(SessionWalkTest, StepRequestedFromAnotherThreadWhileTheWorkerEndsIsPerformed) {
    // Each walk is one step whose callback requests nothing more; the owner requests the next walk as
    // soon as the callback has run, i.e. while the worker is ending. Every request must be answered.
    CCommonSNMP session;
    OpenColumns(session, {kJumbo});
    struct Single {
        CCommonSNMP* session;
        std::atomic<int> answered{0};
        static int Callback(CSnmp* response, int requestId, void* userData, int status) {
            auto* self = static_cast<Single*>(userData);
            delete response;
            if (self->session->FindRequestID(requestId) && status == 0) {
                ++self->answered;
            }
            return 0;
        }
    } single{&session};
    constexpr int kRounds = 60;
    auto waitFor = [&](int count) {
        const auto deadline = steady_clock::now() + seconds(10);
        while (single.answered.load() < count && steady_clock::now() < deadline) {
            std::this_thread::yield();
        }
        return single.answered.load() == count;
    };
    for (int i = 0; i < kRounds; ++i) {
        ASSERT_TRUE(session.Open(0));
        session.AddVarBind(kJumbo, 4, nullptr);
        session.StartAsyncWalk(&Single::Callback, &single, 0);
        ASSERT_TRUE(waitFor(2 * i + 1)) << "round " << i;
        // No Open in between: the next step reuses or replaces the ending worker.
        session.StartAsyncWalk(&Single::Callback, &single, 0);
        ASSERT_TRUE(waitFor(2 * i + 2)) << "round " << i;
    }
    EXPECT_TRUE(session.WaitDone(5000));
    EXPECT_EQ(session.PendingRequestCount(), 0);
}

TEST_F(SessionWalkTest, ParallelSessionsWalkAndCloseCleanly) {
    constexpr int kSessions = 4;
    std::vector<std::thread> owners;
    std::atomic<int> completed{0};
    for (int s = 0; s < kSessions; ++s) {
        owners.emplace_back([&, s] {
            for (int round = 0; round < 3; ++round) {
                CCommonSNMP session;
                ASSERT_TRUE(session.Open(1));
                session.AddVarBind(kPortColumn, 4, nullptr);
                Walk walk(session);
                session.StartAsyncWalk(&Walk::Callback, &walk, 0);
                if ((s + round) % 2 == 0) {
                    if (walk.ended.Wait(20000) && walk.finalStatus.load() == -2) {
                        ++completed;
                    }
                } else {
                    session.Close();  // anywhere in the walk
                    EXPECT_EQ(session.PendingRequestCount(), 0);
                }
            }
        });
    }
    for (auto& t : owners) {
        t.join();
    }
    EXPECT_EQ(completed.load(), 6);
}
