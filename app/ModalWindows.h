// The modal windows open above the main window (a feature dialog, a message box): bringing the
// innermost to the front, and ending them all before the main window closes.
#pragma once

class QWidget;

namespace ksx {

class CDialog;

// Starts keeping the order in which modal windows are shown (once per process, UI thread). Without it
// the functions below take Qt's newest modal window.
void TrackModalWindows();

// The innermost modal window shown above `main`, or null when `main` itself is the innermost.
QWidget* ModalAbove(const QWidget* main);

// Brings the innermost modal window above `main` to the front and gives it the focus; the main
// window's own state is left as it is (showing it again would put it above that dialog and leave the
// dialog unable to take input). False when there is none.
bool RaiseModalAbove(const QWidget* main);

// Ends the modal windows above `main` one by one, innermost first, as their Cancel would, each once its
// own loop has returned; then sends WM_CLOSE to `main` (its ordinary close: polling stopped, sessions
// closed). UI thread.
void EndModalsThenClose(CDialog* main);

}  // namespace ksx
