// The delivery gate: blocking sends and posts from workers run on the owner (UI) thread; waiting for a
// worker or unregistering a window abandons that worker's calls, which are never delivered later.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/sys/DeliveryGate.h"
#include "tests/support/GateOwner.h"

using ksx::DeliveryGate;
using ksx::GateTarget;
using namespace std::chrono;

namespace {

// The test thread plays the UI thread: it owns the gate and pumps queued calls while it waits.
class GateTest : public ::testing::Test, protected ksx::test::GateOwner {};

struct Row {
    int index;
    char text[16];
};

}  // namespace

TEST_F(GateTest, SendRunsOnOwnerThreadWithPayloadValidDuringCall) {
    const std::thread::id owner = std::this_thread::get_id();
    std::atomic<std::intptr_t> result{-1};
    std::atomic<bool> ranOnOwner{false};
    std::string seenText;
    std::thread worker([&] {
        Row row{7, "port 7"};
        result = gate.Send(target, [&row, &ranOnOwner, &seenText, owner]() -> std::intptr_t {
            ranOnOwner = std::this_thread::get_id() == owner;
            seenText = row.text;
            return row.index * 10;
        });
    });
    ASSERT_TRUE(PumpUntil([&] { return result.load() != -1; }));
    worker.join();
    EXPECT_EQ(result.load(), 70);
    EXPECT_TRUE(ranOnOwner.load());
    EXPECT_EQ(seenText, "port 7");

    // On the owner thread a send runs at once.
    EXPECT_EQ(gate.Send(target, [] { return std::intptr_t{5}; }), 5);
    EXPECT_TRUE(gate.OnOwnerThread());
}

TEST_F(GateTest, PostsAndSendsKeepTheirOrderAndPayloadsAreCopied) {
    std::vector<int> seen;  // touched on the owner thread only
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        for (int i = 0; i < 200; ++i) {
            std::string payload = std::to_string(i);
            gate.Post(target, [payload, &seen] { seen.push_back(std::stoi(payload)); });
            payload = "overwritten";
        }
        gate.Send(target, [&seen] {
            seen.push_back(-1);
            return std::intptr_t{1};
        });
        finished = true;
    });
    ASSERT_TRUE(PumpUntil([&] { return finished.load(); }));
    worker.join();
    ASSERT_EQ(seen.size(), 201u);
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(seen[i], i);
    }
    EXPECT_EQ(seen.back(), -1);
}

TEST_F(GateTest, WaitingForAbandonsBlockedAndLaterSendsOfThatWorker) {
    std::atomic<bool> ran{false};
    std::atomic<std::intptr_t> first{-1};
    std::atomic<std::intptr_t> second{-1};
    std::atomic<bool> posted{false};
    std::atomic<bool> release{false};
    const int before = Wakeups();
    std::thread worker([&] {
        first = gate.Send(target, [&] {
            ran = true;
            return std::intptr_t{1};
        });
        second = gate.Send(target, [&] {
            ran = true;
            return std::intptr_t{2};
        });
        gate.Post(target, [&] { ran = true; });
        posted = true;
        while (!release) {
            std::this_thread::yield();
        }
    });
    ASSERT_TRUE(WaitForWakeups(before + 1));  // the first send is queued and blocked
    {
        DeliveryGate::WaitingFor waiting(worker.get_id());
        // The owner waits for the worker while the waiting lasts; the worker must not block on us.
        const auto deadline = steady_clock::now() + seconds(5);
        while (!posted && steady_clock::now() < deadline) {
            std::this_thread::yield();
        }
        EXPECT_TRUE(posted.load());
        EXPECT_EQ(first.load(), 0);
        EXPECT_EQ(second.load(), 0);
        release = true;
        worker.join();
    }
    gate.RunPending();
    EXPECT_FALSE(ran.load());

    // Once the wait is over the thread's calls are delivered again.
    std::atomic<std::intptr_t> third{-1};
    std::thread again([&] { third = gate.Send(target, [] { return std::intptr_t{3}; }); });
    ASSERT_TRUE(PumpUntil([&] { return third.load() != -1; }));
    again.join();
    EXPECT_EQ(third.load(), 3);
}

TEST_F(GateTest, NestedWaitsForSeveralWorkers) {
    std::atomic<std::intptr_t> a{-1};
    std::atomic<std::intptr_t> b{-1};
    std::atomic<bool> ran{false};
    const int before = Wakeups();
    std::thread wa([&] { a = gate.Send(target, [&] { return ran = true, std::intptr_t{1}; }); });
    std::thread wb([&] { b = gate.Send(target, [&] { return ran = true, std::intptr_t{1}; }); });
    ASSERT_TRUE(WaitForWakeups(before + 2));
    {
        DeliveryGate::WaitingFor outer(wa.get_id());
        {
            DeliveryGate::WaitingFor inner(wb.get_id());
            DeliveryGate::WaitingFor again(wb.get_id());  // the same worker twice is allowed
            wb.join();
        }
        wa.join();
    }
    gate.RunPending();
    EXPECT_EQ(a.load(), 0);
    EXPECT_EQ(b.load(), 0);
    EXPECT_FALSE(ran.load());
}

TEST_F(GateTest, UnregisterAbandonsQueuedCallsAndRefusesLaterOnes) {
    std::atomic<bool> ran{false};
    std::atomic<std::intptr_t> blocked{-1};
    std::atomic<std::intptr_t> later{-1};
    GateTarget other = gate.RegisterTarget();
    std::atomic<std::intptr_t> toOther{-1};
    const int before = Wakeups();
    std::thread worker([&] {
        gate.Post(target, [&] { ran = true; });
        blocked = gate.Send(target, [&] { return ran = true, std::intptr_t{1}; });
        later = gate.Send(target, [&] { return ran = true, std::intptr_t{1}; });
        gate.Post(target, [&] { ran = true; });
        toOther = gate.Send(other, [] { return std::intptr_t{9}; });
    });
    ASSERT_TRUE(WaitForWakeups(before + 2));  // the post and the blocked send are queued
    gate.UnregisterTarget(target);
    ASSERT_TRUE(PumpUntil([&] { return toOther.load() != -1; }));
    worker.join();
    gate.RunPending();
    EXPECT_EQ(blocked.load(), 0);
    EXPECT_EQ(later.load(), 0);
    EXPECT_EQ(toOther.load(), 9);  // other windows are unaffected
    EXPECT_FALSE(ran.load());
    EXPECT_EQ(gate.Send(target, [&] { return ran = true, std::intptr_t{1}; }), 0);  // even on the owner
    EXPECT_FALSE(ran.load());
    EXPECT_NE(other, target);
    gate.UnregisterTarget(other);
}

TEST_F(GateTest, ManyWorkersWithWaitsNeverDeadlock) {
    constexpr int kWorkers = 6;
    constexpr int kCalls = 300;
    std::atomic<int> delivered{0};
    std::atomic<int> abandoned{0};
    std::atomic<int> finished{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w) {
        workers.emplace_back([&] {
            for (int i = 0; i < kCalls; ++i) {
                if (i % 3 == 0) {
                    gate.Post(target, [&] { ++delivered; });
                } else if (gate.Send(target, [&] { return ++delivered, std::intptr_t{1}; }) == 0) {
                    ++abandoned;
                }
            }
            ++finished;
        });
    }
    int round = 0;
    const bool done = PumpUntil(
        [&] {
            // Now and then wait for one of the workers, as Close does.
            if (++round % 7 == 0) {
                DeliveryGate::WaitingFor waiting(workers[round % kWorkers].get_id());
                gate.RunPending();
            }
            return finished.load() == kWorkers;
        },
        30000);
    for (auto& t : workers) {
        t.join();
    }
    EXPECT_TRUE(done);
    gate.RunPending();
    EXPECT_LE(delivered.load(), kWorkers * kCalls);
    EXPECT_GT(delivered.load(), 0);
}

TEST(GateWithoutOwnerTest, SendWithoutAnOwnerThreadIsAbandoned) {
    DeliveryGate& gate = DeliveryGate::Instance();
    gate.SetOwnerThread(std::thread::id());
    GateTarget target = gate.RegisterTarget();
    std::atomic<std::intptr_t> result{-1};
    std::thread worker([&] { result = gate.Send(target, [] { return std::intptr_t{1}; }); });
    worker.join();
    EXPECT_EQ(result.load(), 0);
    gate.UnregisterTarget(target);
}
