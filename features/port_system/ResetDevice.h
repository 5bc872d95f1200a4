// Restarts the device on request, unless it is saving its configuration or transferring a file.
// No window: the main window's Reboot command (RebootCommand) creates one, asks CanReboot and calls Reboot.
#pragma once

#include "core/CommonSNMP.h"

class CResetDevice {
public:
    static const char* const kRebootOid;
    static const char* const kSaveConfigOid;
    static const char* const kFirmStatusOid;
    static const char* const kConfStatusOid;

    CResetDevice() = default;
    virtual ~CResetDevice() = default;
    CResetDevice(const CResetDevice&) = delete;
    CResetDevice& operator=(const CResetDevice&) = delete;

    // False while a save or a transfer runs; true also when the device does not answer the question.
    bool CanReboot();
    // Sends the restart request; the outcome is not reported (a restarting device may not answer).
    void Reboot();

private:
    CCommonSNMP m_cCommonSNMP;
};

namespace ksx {
// The main window's Reboot command: the question, the transfer check, then the request or the refusal.
// Runs on the UI thread without hiding the main window.
void RebootCommand();
}  // namespace ksx
