// SIGTERM and SIGINT: the end of the process as the host asks for it. The handler itself ends every
// SNMP request of the process at once (a request the UI thread is waiting on returns), then on the UI
// thread the open dialogs end as their Cancel would, innermost first, and the main window closes the
// ordinary way (polling stopped, sessions closed). What goes on after a dialog has closed (a put-back)
// is not ended: its sessions are left alone by the cancel, the process waits for it (app/FinishRuns.h).
// A run a dialog had going ends as a stop, as Close would end it (core/StepRunner.h), and hands its
// put-back or removal to such a run. From the signal on no box waits for an answer: every box text,
// a run's end included, goes to standard error, one line each. A second signal ends the process at
// once (exit status 128 + the signal).
#pragma once

namespace ksx {

// Installs the handlers (UI thread, after the QApplication exists). False when the wake-up pipe could
// not be made; the signals then keep their default action.
bool InstallTerminateHandling();
// Gives the signals their default action back and releases the pipe (UI thread).
void RemoveTerminateHandling();

}  // namespace ksx
