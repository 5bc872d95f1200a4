// Events, the timed lock and joinable worker threads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/sys/Event.h"
#include "platform/sys/Lock.h"
#include "platform/sys/WorkerThread.h"

using namespace std::chrono;
using ksx::CEvent;
using ksx::CLock;
using ksx::CWorkerThread;

namespace {
long ElapsedMs(steady_clock::time_point start) {
    return static_cast<long>(duration_cast<milliseconds>(steady_clock::now() - start).count());
}
}  // namespace

TEST(EventTest, ManualResetStaysSignalledUntilReset) {
    CEvent event(true, false);
    EXPECT_FALSE(event.Wait(0));
    event.Set();
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.IsSet());
    event.Reset();
    EXPECT_FALSE(event.Wait(0));

    CEvent initiallySet(true, true);
    EXPECT_TRUE(initiallySet.Wait(0));
}

TEST(EventTest, AutoResetReleasesOneWaitPerSet) {
    CEvent event(false, true);
    EXPECT_TRUE(event.Wait(0));
    EXPECT_FALSE(event.Wait(0));
    event.Set();
    event.Set();  // signals do not add up
    EXPECT_TRUE(event.Wait(0));
    EXPECT_FALSE(event.Wait(0));
}

TEST(EventTest, TimedWaitEndsAfterItsLimit) {
    CEvent event(true, false);
    const auto start = steady_clock::now();
    EXPECT_FALSE(event.Wait(60));
    const long elapsed = ElapsedMs(start);
    EXPECT_GE(elapsed, 55);
    EXPECT_LT(elapsed, 2000);
}

TEST(EventTest, SetFromAnotherThreadWakesWaiters) {
    CEvent manual(true, false);
    CEvent autoReset(false, false);
    std::atomic<int> woken{0};
    std::thread a([&] { woken += manual.Wait(5000) ? 1 : 0; });
    std::thread b([&] { woken += manual.Wait(5000) ? 1 : 0; });
    std::thread c([&] { woken += autoReset.Wait(ksx::INFINITE) ? 1 : 0; });
    manual.Set();
    autoReset.Set();
    a.join();
    b.join();
    c.join();
    EXPECT_EQ(woken.load(), 3);
    EXPECT_FALSE(autoReset.IsSet());
}

TEST(LockTest, TimedAcquireFailsWhileHeldAndSucceedsAfterRelease) {
    CLock lock;
    CEvent held(true, false);
    CEvent release(true, false);
    std::thread holder([&] {
        lock.Lock();
        held.Set();
        release.Wait();
        lock.Unlock();
    });
    ASSERT_TRUE(held.Wait(5000));
    const auto start = steady_clock::now();
    EXPECT_FALSE(lock.TryLockFor(50));
    EXPECT_GE(ElapsedMs(start), 45);

    std::atomic<bool> acquired{false};
    std::thread waiter([&] {
        acquired = lock.TryLockFor(5000);
        if (acquired) {
            lock.Unlock();
        }
    });
    release.Set();
    waiter.join();
    holder.join();
    EXPECT_TRUE(acquired.load());
    EXPECT_TRUE(lock.TryLockFor(0));
    lock.Unlock();
}

TEST(WorkerThreadTest, RunsJoinsAndRestarts) {
    std::atomic<int> runs{0};
    std::thread::id seen;
    {
        CWorkerThread worker;
        EXPECT_FALSE(worker.Joinable());
        worker.Start([&] {
            seen = std::this_thread::get_id();
            ++runs;
        });
        EXPECT_TRUE(worker.Joinable());
        const std::thread::id id = worker.Id();
        worker.Join();
        EXPECT_FALSE(worker.Joinable());
        EXPECT_EQ(seen, id);
        EXPECT_NE(seen, std::this_thread::get_id());

        worker.Start([&] { ++runs; });
        worker.Start([&] { ++runs; });  // joins the previous run first
    }                                   // the destructor joins the last one
    EXPECT_EQ(runs.load(), 3);
}
