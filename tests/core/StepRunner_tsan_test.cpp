// The step runner: steps in order on a worker of their own, their progress and end on the owner's
// thread through the delivery gate, a failed step ending the run, and a stop that cancels the step in
// flight, reports at once and lets nothing of the run through afterwards.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/StepRunner.h"
#include "platform/sys/Event.h"
#include "tests/support/GateOwner.h"

namespace {

using namespace ksx;

class StepRunnerTest : public ::testing::Test, public test::GateOwner {
protected:
    StepRunner runner;
    std::vector<int> started;  // owner's thread: onStep indexes
    std::vector<StepsEnd> ends;
    void SetUp() override {
        runner.onStep = [this](int index, int total) {
            EXPECT_EQ(total, m_total);
            started.push_back(index);
        };
        runner.onEnd = [this](const StepsEnd& end) { ends.push_back(end); };
    }
    void Start(int total, StepRunner::Step step) {
        m_total = total;
        runner.Start(total, std::move(step));
    }
    int m_total = 0;
};

TEST_F(StepRunnerTest, StepsRunInOrderOffTheOwnerThreadAndEndOnIt) {
    const std::thread::id owner = std::this_thread::get_id();
    std::vector<int> ran;  // written by the worker, read after the end
    std::atomic<bool> onOwner{false};
    Start(5, [&](int i) {
        ran.push_back(i);
        onOwner = onOwner || std::this_thread::get_id() == owner;
        return StepOutcome::Done();
    });
    EXPECT_TRUE(runner.Running());
    ASSERT_TRUE(PumpUntil([&] { return !ends.empty(); }));
    EXPECT_FALSE(runner.Running());
    EXPECT_FALSE(onOwner.load());
    EXPECT_EQ(ran, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(started, (std::vector<int>{0, 1, 2, 3, 4}));
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_TRUE(ends[0].Complete());
    EXPECT_EQ(ends[0].done, 5);
    // A run of no steps ends too.
    ends.clear();
    Start(0, [](int) { return StepOutcome::Done(); });
    ASSERT_TRUE(PumpUntil([&] { return !ends.empty(); }));
    EXPECT_TRUE(ends[0].Complete());
}

TEST_F(StepRunnerTest, AFailedStepEndsTheRunWithItsText) {
    std::atomic<int> ran{0};
    Start(6, [&](int i) {
        ++ran;
        return i == 2 ? StepOutcome::Failed("port 3 refused") : StepOutcome::Done();
    });
    ASSERT_TRUE(PumpUntil([&] { return !ends.empty(); }));
    EXPECT_EQ(ran.load(), 3);
    EXPECT_TRUE(ends[0].failed);
    EXPECT_FALSE(ends[0].stopped);
    EXPECT_EQ(ends[0].done, 2);
    EXPECT_EQ(ends[0].failure, "port 3 refused");
}

TEST_F(StepRunnerTest, StopCancelsTheStepInFlightAndReportsAtOnce) {
    CEvent cancelled(true, false);
    std::atomic<int> cancels{0};
    std::atomic<int> ran{0};
    runner.SetCancel([&] {
        ++cancels;
        cancelled.Set();
    });
    // Step 2 waits for a cancel as a request waits for its answer.
    Start(10, [&](int i) {
        ++ran;
        if (i < 2) {
            return StepOutcome::Done();
        }
        cancelled.Wait(60000);
        return StepOutcome::Failed("cut off");
    });
    ASSERT_TRUE(PumpUntil([&] { return started.size() == 3; }));
    runner.Stop();
    // The end came within Stop: two steps done, the cut-off one not counted, not a failure, but
    // unconfirmed.
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_TRUE(ends[0].stopped);
    EXPECT_FALSE(ends[0].failed);
    EXPECT_EQ(ends[0].done, 2);
    EXPECT_TRUE(ends[0].inFlight);
    EXPECT_GE(cancels.load(), 1);
    EXPECT_FALSE(runner.Running());
    EXPECT_EQ(ran.load(), 3);
    // Nothing of the run arrives afterwards; a second Stop does nothing.
    gate.RunPending();
    runner.Stop();
    EXPECT_EQ(ends.size(), 1u);
    EXPECT_EQ(started.size(), 3u);
}

TEST_F(StepRunnerTest, APauseEndsAtOnceOnStop) {
    Start(2, [&](int) { return runner.Pause(60000) ? StepOutcome::Done() : StepOutcome::NothingSent(); });
    ASSERT_TRUE(PumpUntil([&] { return started.size() == 1; }));
    const auto before = std::chrono::steady_clock::now();
    runner.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_TRUE(ends[0].stopped);
    EXPECT_EQ(ends[0].done, 0);
    EXPECT_FALSE(ends[0].inFlight);  // the step had sent nothing
}

TEST(StoppedPortsText, SaysWhatWasWrittenUnconfirmedAndNotWritten) {
    EXPECT_EQ(StoppedPortsText(1, 28, 12, 0),
              "Stopped: 12 of 28 ports were written; ports 13-28 were not written.");
    EXPECT_EQ(StoppedPortsText(1, 28, 12, 1),
              "Stopped: 12 of 28 ports were written; the device did not confirm whether port 13 was written; "
              "ports 14-28 were not written.");
    EXPECT_EQ(StoppedPortsText(1, 28, 0, 0),
              "Stopped: 0 of 28 ports were written; ports 1-28 were not written.");
    EXPECT_EQ(StoppedPortsText(1, 28, 0, 1),
              "Stopped: the device did not confirm whether port 1 was written; ports 2-28 were not written.");
    EXPECT_EQ(StoppedPortsText(3, 10, 7, 0), "Stopped: 7 of 8 ports were written; port 10 was not written.");
    EXPECT_EQ(StoppedPortsText(3, 10, 7, 1),
              "Stopped: 7 of 8 ports were written; the device did not confirm whether port 10 was written.");
    EXPECT_EQ(StoppedPortsText(5, 5, 0, 0), "Stopped: port 5 was not written.");
    EXPECT_EQ(StoppedPortsText(5, 5, 0, 1),
              "Stopped: the device did not confirm whether port 5 was written.");
    // A batch of several ports in flight; the last batch shorter than the count in flight.
    EXPECT_EQ(StoppedPortsText(1, 52, 30, 30),
              "Stopped: 30 of 52 ports were written; the device did not confirm whether ports 31-52 were "
              "written.");
    EXPECT_EQ(StoppedPortsText(1, 70, 30, 30),
              "Stopped: 30 of 70 ports were written; the device did not confirm whether ports 31-60 were "
              "written; ports 61-70 were not written.");
}

}  // namespace
