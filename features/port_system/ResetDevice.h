// Restarts the device on request, unless it is saving its configuration or transferring a file.
// No window: the main window's Reboot command (RebootCommand) owns one, asks CanReboot and calls Reboot.
#pragma once

#include "core/CommonSNMP.h"
#include "core/StepRunner.h"
#include "platform/sys/Closable.h"

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
    // Sends the restart request; a restarting device may not answer it.
    SnmpAnswer Reboot();
    // Any thread: the request in flight ends at once (CCommonSNMP::Cancel).
    void Cancel() { m_cCommonSNMP.Cancel(); }

private:
    CCommonSNMP m_cCommonSNMP;
};

namespace ksx {

// The main window's Reboot command: the question on the window's thread, then the transfer check and
// the restart request on a worker, one request after the other, while the window goes on taking
// events. A refusal, a request not confirmed and a stop are said in a box on the window's thread; an
// accepted restart says nothing. The window owns it: its end (or the process-wide cancel of a signal)
// stops the command, and a restart not yet sent is then never sent.
class RebootCommand : public IClosable {
public:
    RebootCommand();
    ~RebootCommand() override;
    RebootCommand(const RebootCommand&) = delete;
    RebootCommand& operator=(const RebootCommand&) = delete;

    // UI thread. Does nothing while the command is still under way.
    void Run();
    // UI thread: the check or the restart is under way.
    bool Running() const { return m_runner.Running(); }
    // UI thread: stops the command; what it did is said.
    void CloseForOwner() override { m_runner.Stop(); }

private:
    CResetDevice m_reset;
    StepRunner m_runner;  // last: stopped and joined first
};

}  // namespace ksx
