#include "features/port_system/ResetDevice.h"

#include <string>

#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "platform/sys/MessageBox.h"

const char* const CResetDevice::kRebootOid = "1.3.6.1.4.1.7393.10.76.20.1.1.9.0";
const char* const CResetDevice::kSaveConfigOid = "1.3.6.1.4.1.7393.10.76.20.1.1.10.0";
const char* const CResetDevice::kFirmStatusOid = "1.3.6.1.4.1.7393.10.76.20.1.3.9.6.0";
const char* const CResetDevice::kConfStatusOid = "1.3.6.1.4.1.7393.10.76.20.1.3.10.6.0";

bool CResetDevice::CanReboot() {
    if (!m_cCommonSNMP.Open(CCommonSNMP::REQUEST_GET)) {
        return true;
    }
    m_cCommonSNMP.AddVarBind(kSaveConfigOid, 4, nullptr);
    m_cCommonSNMP.AddVarBind(kFirmStatusOid, 4, nullptr);
    m_cCommonSNMP.AddVarBind(kConfStatusOid, 4, nullptr);
    const ksx::SnmpReply reply = ksx::SendRequest(m_cCommonSNMP);
    if (reply.status != 0 || !reply.response) {
        return true;  // a device that cannot be asked may be restarted
    }
    const std::string save = reply.Value(0);
    const std::string firmware = reply.Value(1);
    const std::string config = reply.Value(2);
    if (save == "1") {
        return false;
    }
    if (firmware == "4" || firmware == "3") {
        return false;
    }
    return config != "4";
}

SnmpAnswer CResetDevice::Reboot() {
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMP.AddVarBind(kRebootOid, 1, "1");
    return ksx::GetNextRequest(m_cCommonSNMP).Answer();
}

namespace ksx {

namespace {
const char* const kRefusal = "FW upgrade/backup or config backup/restore is already progressing. ";
}  // namespace

RebootCommand::RebootCommand() {
    m_runner.SetCancel([this] { m_reset.Cancel(); });
    m_runner.onEnd = [](const StepsEnd& end) {
        // The restart as one write: accepted says nothing, as the device restarts.
        const std::string text = RunEndText(end, ListNamer({{"the restart"}}), "requested");
        if (!text.empty()) {
            AfxMessageBox(text, MB_OK);
        }
    };
}

RebootCommand::~RebootCommand() = default;

void RebootCommand::Run() {
    if (m_runner.Running()) {
        return;
    }
    if (AfxMessageBox("Do you want to reboot the device?", MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2) !=
        IDOK) {
        return;
    }
    m_runner.Start(1, [this](int) {
        if (!m_reset.CanReboot()) {
            return StepOutcome::Failed(kRefusal);
        }
        if (m_runner.Stopping()) {
            return StepOutcome::NothingSent();  // stopped during the check: the restart is not sent
        }
        const SnmpAnswer answer = m_reset.Reboot();
        // A device that restarts at once may not answer its restart: that silence is no failure.
        if (answer.outcome == SnmpOutcome::kUnanswered && !m_runner.Stopping()) {
            return StepOutcome::Done();
        }
        return StepOutcome::Of(answer);
    });
}

}  // namespace ksx
