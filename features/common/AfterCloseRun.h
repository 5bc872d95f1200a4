// A run of requests that goes on after the dialog that started it has closed: what a write stopped by
// Close puts back on the device. The dialog closes at once and never waits for it; the run goes on off
// the window's thread, on sessions of its own, and tells its end on the UI thread (a message box: the
// dialog is gone by then). The application owns it: a run still going when the application ends is
// stopped, nothing of it is told, and its worker is joined.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/StepRunner.h"

namespace ksx::ui {

// UI thread. `keep` holds what the steps use (their sessions) until the run has ended; `cancel` cancels
// the request in flight (called from the UI thread while a stop waits); `onEnd` gets the end once.
void StartAfterCloseRun(std::shared_ptr<void> keep, std::function<void()> cancel, int count,
                        StepRunner::Step step, std::function<void(const StepsEnd&)> onEnd);

// UI thread. For an add stopped after a create went out and before the rest of its row was confirmed (a
// create-and-go may have made the row active with values the user did not give): once the dialog has
// gone, the row's status is read on a session of its own and a row that is there is destroyed
// (ksx::RemoveUnfinished); then a message box says what the device holds, `what` the entry as said.
void RemoveUnfinishedAfterClose(const std::string& statusOid, const std::string& what);

}  // namespace ksx::ui
