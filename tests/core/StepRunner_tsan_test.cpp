// The step runner: steps in order on a worker of their own, their progress and end on the owner's
// thread through the delivery gate, a failed step ending the run, and a stop that cancels the step in
// flight, reports at once and lets nothing of the run through afterwards.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "core/RunText.h"
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

StepsEnd Stopped(int total, int done, bool inFlight) {
    StepsEnd end;
    end.total = total;
    end.done = done;
    end.stopped = true;
    end.inFlight = inFlight;
    return end;
}

StepsEnd Failed(int total, int done, bool unanswered, std::string text = {}) {
    StepsEnd end;
    end.total = total;
    end.done = done;
    end.failed = true;
    end.inFlight = unanswered;
    end.failure = std::move(text);
    return end;
}

TEST(RunEndText, PortsWrittenUnconfirmedAndNotWritten) {
    EXPECT_EQ(RunEndText(Stopped(28, 12, false), PortsNamer(1, 28)),
              "Stopped: 12 of 28 ports were written; ports 13-28 were not written.");
    EXPECT_EQ(RunEndText(Stopped(28, 12, true), PortsNamer(1, 28)),
              "Stopped: 12 of 28 ports were written; the device did not confirm whether port 13 was written; "
              "ports 14-28 were not written.");
    EXPECT_EQ(RunEndText(Stopped(28, 0, false), PortsNamer(1, 28)), "Stopped: ports 1-28 were not written.");
    EXPECT_EQ(RunEndText(Stopped(28, 0, true), PortsNamer(1, 28)),
              "Stopped: the device did not confirm whether port 1 was written; ports 2-28 were not written.");
    EXPECT_EQ(RunEndText(Stopped(8, 7, true), PortsNamer(3, 10)),
              "Stopped: 7 of 8 ports were written; the device did not confirm whether port 10 was written.");
    EXPECT_EQ(RunEndText(Stopped(1, 0, false), PortsNamer(5, 5)), "Stopped: port 5 was not written.");
    // Batches of 30 ports; the last batch shorter.
    EXPECT_EQ(RunEndText(Stopped(2, 1, true), PortsNamer(1, 52, 30)),
              "Stopped: 30 of 52 ports were written; the device did not confirm whether ports 31-52 were "
              "written.");
    EXPECT_EQ(RunEndText(Stopped(3, 1, true), PortsNamer(1, 70, 30)),
              "Stopped: 30 of 70 ports were written; the device did not confirm whether ports 31-60 were "
              "written; ports 61-70 were not written.");
    // Unanswered and refused ends; a refusal keeps its own text.
    EXPECT_EQ(RunEndText(Failed(6, 0, true), PortsNamer(1, 6)),
              "The device did not answer: it did not confirm whether port 1 was written; ports 2-6 were not "
              "written.");
    EXPECT_EQ(RunEndText(Failed(6, 2, false, "The device did not accept the PoE settings of port 3."),
                         PortsNamer(1, 6)),
              "The device did not accept the PoE settings of port 3. 2 of 6 ports were written; ports 4-6 "
              "were not written.");
    // A failed step whose request never went out: not written, nor anything after it.
    StepsEnd notSent = Failed(24, 0, false);
    notSent.notSent = true;
    EXPECT_EQ(RunEndText(notSent, PortsNamer(5, 28)), "Ports 5-28 were not written.");
    StepsEnd complete;
    complete.total = complete.done = 3;
    EXPECT_EQ(RunEndText(complete, PortsNamer(1, 3)), "");
}

TEST(RunEndText, NamedSteps) {
    const StepsNamer steps =
        ListNamer({{"the mirror port"}, {"the sources", true}, {"the direction"}, {"the VLAN name"}});
    EXPECT_EQ(RunEndText(Stopped(4, 1, false), steps),
              "Stopped: the mirror port was written; the sources, the direction and the VLAN name were not "
              "written.");
    EXPECT_EQ(RunEndText(Stopped(4, 2, true), steps),
              "Stopped: the mirror port and the sources were written; the device did not confirm whether the "
              "direction was written; the VLAN name was not written.");
    EXPECT_EQ(RunEndText(Stopped(4, 0, false), steps),
              "Stopped: the mirror port, the sources, the direction and the VLAN name were not written.");
    EXPECT_EQ(RunEndText(Stopped(2, 1, false), ListNamer({{"the mirror port"}, {"the sources", true}})),
              "Stopped: the mirror port was written; the sources were not written.");
    EXPECT_EQ(RunEndText(Failed(4, 1, false), steps),
              "The device did not accept the sources. The mirror port was written; the direction and the "
              "VLAN name were not written.");
    EXPECT_EQ(RunEndText(Stopped(0, 0, false), steps), "Stopped: nothing was written.");
    // Steps that end each in their own state: a refused one among the written does not end the run.
    EXPECT_EQ(
        StatesText(
            {StepsState::kWritten, StepsState::kRefused, StepsState::kWritten, StepsState::kUnconfirmed},
            {{"the server"}, {"the state"}, {"the timers", true}, {"the key"}}),
        "the server and the timers were written; the device did not confirm whether the key was written; "
        "the state was not written");
    EXPECT_EQ(RunEndText(Stopped(2, 0, false), ListNamer({{"port 1"}, {"port 2"}}), "checked"),
              "Stopped: port 1 and port 2 were not checked.");
}

// Each account of one request as a step's outcome, and as its text, alone or after a dialog's own.
TEST(AnswerText, EachOutcomeAsAStepAndAsItsText) {
    // outcome; the step's ok, sent, unanswered, not sent; the text
    const std::tuple<SnmpOutcome, bool, bool, bool, bool, std::string> cases[] = {
        {SnmpOutcome::kAccepted, true, true, false, false, ""},
        {SnmpOutcome::kRefused, false, true, false, false, "The device did not accept the LLDP state."},
        {SnmpOutcome::kUnanswered, false, true, true, false,
         "The device did not answer: it did not confirm whether the LLDP state was written."},
        {SnmpOutcome::kNotSent, false, false, false, true, "The LLDP state was not written."},
    };
    for (const auto& [outcome, ok, sent, unanswered, notSent, text] : cases) {
        SnmpAnswer answer;
        answer.outcome = outcome;
        const StepOutcome step = StepOutcome::Of(answer, "refused");
        EXPECT_EQ(std::tuple(step.ok, step.sent, step.unanswered, step.notSent, step.failure),
                  std::tuple(ok, sent, unanswered, notSent,
                             std::string(outcome == SnmpOutcome::kRefused ? "refused" : "")));
        EXPECT_EQ(AnswerText(answer, {"the LLDP state"}), text);
        EXPECT_EQ(AnswerText(answer, {"the LLDP state"}, "Failed to set it: "),
                  ok ? "" : "Failed to set it: t" + text.substr(1));
        EXPECT_EQ(AnswerText(answer, {"the LLDP state"}, "Not saved."), ok ? "" : "Not saved. " + text);
    }
}

}  // namespace
