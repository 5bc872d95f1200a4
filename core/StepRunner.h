// Loops of requests that must not hold up a window: the ports of a range write, the settings of a
// read. The steps run in order on a worker of the runner; the owner learns on its (UI) thread which
// step is under way and how the run ended, and can stop the run at any time.
//
//   m_run.SetCancel([this] { m_session.Cancel(); });               // the request in flight, any thread
//   m_run.onStep = [this](int i, int n) { ShowProgress(i, n); };  // UI thread, as step i starts
//   m_run.onEnd = [this](const ksx::StepsEnd& e) { Done(e); };     // UI thread, once per run
//   m_run.Start(to - from + 1, [this, from](int i) { return WritePort(from + i); });
//
// Rules:
//   - a step is one unit the owner counts (a port, a setting); it runs on the worker and may use only
//     what it captured and sessions that nothing else uses while the run lasts;
//   - a failed step ends the run there, with the step's own text; the steps after it never start;
//   - Stop() (owner's thread) starts no further step and cancels the request in flight; it returns
//     once the worker has ended (promptly: the cancel hook is repeated until it has) and reports the
//     end at once through onEnd, with `stopped` set unless the run had already ended on its own. A
//     step cut short by the stop is not counted as done: it is unconfirmed (`inFlight`), since the
//     device may have applied the request it had sent, unless the step returned
//     StepOutcome::NothingSent() (it saw the stop before its first request);
//   - the process-wide cancel of an ending process (SnmpCancelAll) stops a run as Stop() does: no
//     further step starts, Stopping() is true, and the step it cut short ends the run as a stop (sent:
//     unconfirmed; not sent: not written), never as a failure; the end reaches the owner as usual. A
//     run whose sessions outlive that cancel (OutliveCancelAll) is not stopped by it;
//   - nothing of a run reaches the owner after Stop(), CloseForOwner() or the destructor.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>

#include "platform/snmplib/Snmp.h"
#include "platform/sys/Closable.h"
#include "platform/sys/DeliveryGate.h"
#include "platform/sys/Event.h"
#include "platform/sys/WorkerThread.h"

namespace ksx {

struct StepOutcome {
    bool ok = true;
    std::string failure;      // what the owner says of a failed step
    bool sent = true;         // a step cut short by a stop had sent a request (or written part of its unit)
    bool unanswered = false;  // the step failed because its request went unanswered: it is unconfirmed
    bool notSent = false;     // the step failed before its request went out (not a stop): not written
    static StepOutcome Done() { return {}; }
    // The device refused the step.
    static StepOutcome Failed(std::string text) { return {false, std::move(text)}; }
    // The step's request went unanswered: the device may have applied it.
    static StepOutcome Unanswered(std::string text = {}) { return {false, std::move(text), true, true}; }
    // A step that saw the stop (Stopping(), Pause() false) before it sent anything.
    static StepOutcome NothingSent() { return {false, {}, false}; }
    // The step's request never went out (the send failed, the address did not resolve): not written.
    static StepOutcome NotSent(std::string text = {}) { return {false, std::move(text), false, false, true}; }
    // The step as the layer classified its request: accepted, refused (`refusal`, the step's own text of
    // a refusal; without one the run's end says "The device did not accept <step>."), unanswered, not
    // sent. A step of several requests returns the first that did not go as asked.
    static StepOutcome Of(const SnmpAnswer& answer, std::string refusal = {});
};

struct StepsEnd {
    int total = 0;          // steps of the run
    int done = 0;           // steps that ended well, counted from the first
    bool stopped = false;   // Stop() (or the process-wide cancel) ended the run before its last step
    bool inFlight = false;  // step `done` had a request on its way when the run stopped, or its request
                            // went unanswered (a failure): the device may have applied it, so that step
                            // is unconfirmed, neither written nor unwritten
    bool failed = false;    // step `done` failed and ended the run (refused unless inFlight or notSent)
    bool notSent = false;   // step `done` failed before its request went out: it was not written
    std::string failure;    // that step's text
    bool Complete() const { return !stopped && !failed && done == total; }
};

class StepRunner : public IClosable {
public:
    using Step = std::function<StepOutcome(int index)>;

    StepRunner();
    // Stops a run still going (nothing is delivered) and joins the worker.
    ~StepRunner() override;
    StepRunner(const StepRunner&) = delete;
    StepRunner& operator=(const StepRunner&) = delete;

    // Cancels the request in flight; called from the owner's thread while a stop waits for the worker.
    void SetCancel(std::function<void()> cancel) { m_cancel = std::move(cancel); }
    // Owner's thread. Runs step(0) .. step(count - 1) in order; a run still going is stopped first.
    void Start(int count, Step step);
    // Owner's thread: see the rules above. Does nothing when no run is going.
    void Stop();
    // Owner's thread: a run was started and its end has not been reported yet.
    bool Running() const { return m_running; }
    // Any thread: Stop() was asked for, or the process is ending (SnmpCancelAll); steps of several
    // requests look at it between their requests.
    bool Stopping() const { return m_stop.load() || CancelledAll(); }
    // Worker: waits `ms` (a pause a device needs between two requests); false, at once, when Stop()
    // was asked for meanwhile (false at its end when the process-wide cancel came meanwhile).
    bool Pause(unsigned ms);
    // Owner's thread, before Start: the run's sessions outlive the process-wide cancel (work finished
    // before the process ends), so that cancel does not stop the run; Stop() still does.
    void OutliveCancelAll() { m_outlivesCancelAll = true; }

    // UI thread; set before Start.
    std::function<void(int index, int total)> onStep;
    std::function<void(const StepsEnd&)> onEnd;

    void CloseForOwner() override { Stop(); }

private:
    void Run(unsigned generation, int count, const Step& step);
    void Deliver(unsigned generation, std::function<void()> fn);
    void Ended(unsigned generation);
    bool CancelledAll() const { return !m_outlivesCancelAll.load() && SnmpAllCancelled(); }

    std::function<void()> m_cancel;
    std::atomic<GateTarget> m_target{0};
    std::atomic<unsigned> m_generation{0};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_outlivesCancelAll{false};
    CEvent m_workerEnded{true, true};
    CEvent m_stopEvent{true, false};  // set with m_stop: ends a Pause at once
    std::mutex m_endLock;
    StepsEnd m_end;          // under m_endLock: how the worker ended the run
    bool m_running = false;  // owner's thread
    CWorkerThread m_thread;  // last: joined first on destruction
};

// "port 5" / "ports 5-9" (nothing when to < from).
std::string PortsSpan(int from, int to);

}  // namespace ksx
