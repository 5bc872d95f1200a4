// Binds the delivery gate to Qt's event loop: the calling thread (the UI thread, after QApplication
// exists) becomes the gate's owner and runs queued calls from its event loop, nested loops included.
#pragma once

namespace ksx::ui {

// Call once after the QApplication is constructed, on its thread. Calling again re-binds to the caller.
void InstallGate();
// Stops waking the event loop; call before the QApplication goes.
void UninstallGate();

// Installs the Qt message-box service (boxes always shown on the UI thread) as the process-wide one.
void InstallMessageBoxService();
void UninstallMessageBoxService();

}  // namespace ksx::ui
