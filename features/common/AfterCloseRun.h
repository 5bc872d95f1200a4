// A run of requests that goes on after the dialog that started it has closed: what a write stopped by
// Close puts back on the device, or the removal of a row a stopped add left half-made. The dialog closes
// at once and never waits for it; the run goes on off the window's thread, on sessions of its own, and
// tells its end on the UI thread (a message box: the dialog is gone by then).
//
// The application owns the runs. It waits for them before it ends, when its window is closed and when
// a signal ends it: their sessions are left alone by the process-wide cancel of an ending process, and
// each run is bounded by its own requests' time-outs. Once an end was asked for by a signal, a run's end
// (like every box) is written to standard error instead, since nobody may be there to answer it.
//
// A dialog's run stopped by Close or by the process-wide cancel of a signal (core/StepRunner.h) ends as
// a stop alike, and the dialog hands its put-back or removal to a run here.
//
// A run names the table row it writes. A window that lists that table asks whether a run is writing a
// row (AfterCloseRunWriting), keeps that row's actions unavailable meanwhile, and is told when the run
// has ended (OnAfterCloseRunEnd) so that it reads the table again.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/StepRunner.h"

class CCommonSNMP;
class QObject;

namespace ksx {
class AddProgress;
}

namespace ksx::ui {

// The row a run writes: its table (the OID of the row status column, or a name the writer and the
// windows share for a group of scalars) and the row's instance after that column ("100" or ".100"
// alike; empty for the whole table).
struct RunRow {
    std::string table;
    std::string row;
};

// UI thread. Starts a run of `count` steps writing `writes`; `what` says what it finishes ("Putting VLAN
// 100 back as it was"), shown while the application waits for it. `keep` holds what the steps use until
// the run has ended; `sessions` are the run's own sessions: a stop cancels their request in flight, the
// process-wide cancel leaves them alone. `endText` gives what the run's end says.
void StartAfterCloseRun(RunRow writes, std::string what, std::shared_ptr<void> keep,
                        std::vector<CCommonSNMP*> sessions, int count, StepRunner::Step step,
                        std::function<std::string(const StepsEnd&)> endText);

// UI thread. For an add stopped after a create went out and before the rest of its row was confirmed (a
// create-and-go may have made the row active with values the user did not give): row creation's own
// record (`progress`) says whether the row is this add's. Only then, once the dialog has gone, the row's
// status (`statusColumn` + `index`) is read on a session of its own and a row that is there is destroyed
// (ksx::RemoveUnfinished). Otherwise nothing is sent. Then what the device holds is said, `what` the
// entry.
void RemoveUnfinishedAfterClose(const std::string& statusColumn, const std::string& index,
                                const std::string& what, const AddProgress& progress);

// ---- Windows whose rows a run writes (UI thread) ----

// A run is writing that row of `table` (any of its rows when `row` is empty).
bool AfterCloseRunWriting(const std::string& table, const std::string& row = {});
// Calls `fn` each time a run writing `table` (any run when empty) has ended, before its end is said, for
// as long as `owner` exists.
void OnAfterCloseRunEnd(QObject* owner, std::string table, std::function<void()> fn);

// ---- The application's end (UI thread) ----

// What the runs still going finish, in the order they started.
std::vector<std::string> AfterCloseRunsGoing();

}  // namespace ksx::ui
