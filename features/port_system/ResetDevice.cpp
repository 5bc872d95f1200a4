#include "features/port_system/ResetDevice.h"

#include <string>

#include "core/SnmpReply.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_firmware.h"

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

void CResetDevice::Reboot() {
    if (!m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET)) {
        return;
    }
    m_cCommonSNMP.AddVarBind(kRebootOid, 1, "1");
    ksx::GetNextRequest(m_cCommonSNMP);
}

namespace ksx {

void RebootCommand() {
    if (AfxMessageBox("Do you want to reboot the device?", MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2) !=
        IDOK) {
        return;
    }
    CResetDevice reset;
    if (reset.CanReboot()) {
        reset.Reboot();
    } else {
        AfxMessageBox("FW upgrade/backup or config backup/restore is already progressing. ", MB_OK);
    }
}

namespace {
// The main window runs this without hiding itself: the reboot has no window of its own.
const ui::RegisterFeature kRebootLauncher(ID_MENU_REBOOT, [] { RebootCommand(); });
}  // namespace

}  // namespace ksx
