// The end of the process waits for the work that goes on after a dialog has closed (a put-back, the
// removal of a half-made row: features/common/AfterCloseRun.h). While any is going, a small window says
// what is being finished; it goes once the last run has ended, each bounded by its own requests'
// time-outs.
#pragma once

namespace ksx {

// UI thread, after the main window has closed. Returns at once when nothing is going.
void FinishAfterCloseRuns();
// The wait above is under way (UI thread).
bool FinishingAfterCloseRuns();

}  // namespace ksx
