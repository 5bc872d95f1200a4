#include "features/port_system/ResetDevice.h"

#include <string>

#include "platform/sys/MessageBox.h"

const char* const CResetDevice::kRebootOid = "1.3.6.1.4.1.7393.10.76.20.1.1.9.0";
const char* const CResetDevice::kSaveConfigOid = "1.3.6.1.4.1.7393.10.76.20.1.1.10.0";
const char* const CResetDevice::kFirmStatusOid = "1.3.6.1.4.1.7393.10.76.20.1.3.9.6.0";
const char* const CResetDevice::kConfStatusOid = "1.3.6.1.4.1.7393.10.76.20.1.3.10.6.0";

namespace {

std::string ValueText(CSnmp* response, int index) {
    int length = 0;
    char* value = nullptr;
    if (response->getValue(index, &length, &value) != 0 || value == nullptr || length <= 0) {
        return std::string();
    }
    return std::string(value, static_cast<std::size_t>(length));
}

}  // namespace

bool CResetDevice::CanReboot() {
    if (!m_cCommonSNMP.Open(CCommonSNMP::REQUEST_GET)) {
        return true;
    }
    m_cCommonSNMP.AddVarBind(kSaveConfigOid, 4, nullptr);
    m_cCommonSNMP.AddVarBind(kFirmStatusOid, 4, nullptr);
    m_cCommonSNMP.AddVarBind(kConfStatusOid, 4, nullptr);
    CSnmp* response = nullptr;
    const int status = m_cCommonSNMP.Send(response, 0);
    if (status != 0 || response == nullptr) {
        delete response;
        return true;  // a device that cannot be asked may be restarted
    }
    const std::string save = ValueText(response, 0);
    const std::string firmware = ValueText(response, 1);
    const std::string config = ValueText(response, 2);
    delete response;
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
    CSnmp* response = nullptr;
    m_cCommonSNMP.GetNext(response, 0);
    delete response;
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

}  // namespace ksx
