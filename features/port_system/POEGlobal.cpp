// PoE global settings dialog.
#include "features/port_system/POEGlobal.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <cstdlib>
#include <memory>

#include "core/SnmpReply.h"
#include "core/TextNumbers.h"
#include "platform/sys/Debug.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Text.h"
#include "res/ids_poe_syslog.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(ID_MENU_POE_GLOBAL, [] {
    CPOEGlobal dlg;
    dlg.DoModal();
});

// From the read callback: lParam points to the result, valid during the call.
constexpr unsigned WM_POE_GLOBAL_READ = WM_USER + 4121;

constexpr int kReadTimeoutMs = 20000;
constexpr int kSetTimeoutMs = 5000;

const char* const kTextThreshold = "The System Power Threshold ranges between 7.1 ~ 185.0.";

}  // namespace

const char* const CPOEGlobal::kObjects[6] = {
    "1.3.6.1.4.1.7393.10.76.20.1.22.2.0", "1.3.6.1.4.1.7393.10.76.20.1.22.3.0",
    "1.3.6.1.4.1.7393.10.76.20.1.22.4.0", "1.3.6.1.4.1.7393.10.76.20.1.22.5.0",
    "1.3.6.1.4.1.7393.10.76.20.1.22.6.0", "1.3.6.1.4.1.7393.10.76.20.1.22.7.0",
};

CPOEGlobal::CPOEGlobal(QWidget* parent) : CDialog(IDD_POE_GLOBAL, parent), m_strValue(6) {
    OnCommand(IDC_POEG_APPLY, [this] { OnApply(); });
    OnMessage(WM_POE_GLOBAL_READ, [this](WPARAM, LPARAM l) -> LRESULT {
        ShowRead(*reinterpret_cast<const ReadResult*>(l));
        return 1;
    });
}

CPOEGlobal::~CPOEGlobal() = default;

void CPOEGlobal::CreateControls() {
    SetWindowText("PoE Global Settings");
    AddGroupBox(IDC_POEG_SETTINGS_GROUP, "PoE Global Settings", 8, 6, 584, 104);
    AddLabel(IDC_POEG_THRESHOLD_LABEL, "PoE Power Threshold  (7.1-185.0)", 22, 32, 300, 24);
    m_editThreshold = AddEdit(IDC_POEG_THRESHOLD, 330, 31, 130, 26);
    AddLabel(IDC_POEG_WATTS_LABEL, "Watts ", 468, 32, 60, 24);
    AddLabel(IDC_POEG_SEQUENCE_LABEL, "Power Shut Off Sequence ", 22, 70, 300, 24);
    m_cbSequence = AddComboBox(IDC_POEG_SEQUENCE, 330, 69, 170, 26);
    m_cbSequence->addItems({"DenyNextPort", "DenyLowPriorityPort"});
    AddButton(IDC_POEG_APPLY, "&Apply", 508, 68, 76, 28);

    // The status values are read-only fields.
    AddGroupBox(IDC_POEG_STATUS_GROUP, "System Power Status", 8, 118, 584, 164);
    AddLabel(IDC_POEG_BUDGET_LABEL, "Total PoE Power Budget       ", 22, 144, 300, 24);
    AddEdit(IDC_POEG_BUDGET, 330, 143, 130, 26)->setReadOnly(true);
    AddLabel(IDC_POEG_USED_LABEL, "Power Used", 22, 178, 300, 24);
    AddEdit(IDC_POEG_USED, 330, 177, 130, 26)->setReadOnly(true);
    AddLabel(IDC_POEG_LEFT_LABEL, "Power Left", 22, 212, 300, 24);
    AddEdit(IDC_POEG_LEFT, 330, 211, 130, 26)->setReadOnly(true);
    AddLabel(IDC_POEG_PERCENTAGE_LABEL, "The percentage of system power supplied ", 22, 246, 300, 24);
    AddEdit(IDC_POEG_PERCENTAGE, 330, 245, 130, 26)->setReadOnly(true);
    SetClientSize(600, 292);
}

int CPOEGlobal::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    m_bChanged = 0;
    ShowWaiting();
    ReadGlobal();
    return 1;
}

int CPOEGlobal::DestroyWindow() {
    // A read may be outstanding for up to 20 s: its answer must not reach a window that is gone.
    TRACE("==================DestroyWindow===============");
    m_cCommonSNMP.Close();
    TRACE("==================m_cCommonSNMP.Close===============");
    m_cCommonSNMPSet.Close();
    TRACE("==================m_cCommonSNMPSet.Close===============");
    return CDialog::DestroyWindow();
}

void CPOEGlobal::EnableInputs(bool enable) {
    EnableDlgItem(IDC_POEG_APPLY, enable);
    EnableDlgItem(IDC_POEG_THRESHOLD, enable);
    EnableDlgItem(IDC_POEG_SEQUENCE, enable);
}

void CPOEGlobal::ShowWaiting() {
    EnableInputs(false);
    for (int id : {IDC_POEG_THRESHOLD, IDC_POEG_BUDGET, IDC_POEG_USED, IDC_POEG_LEFT, IDC_POEG_PERCENTAGE}) {
        SetDlgItemText(id, "wait...");
    }
}

void CPOEGlobal::ReadGlobal() {
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_GET);
    for (const char* oid : kObjects) {
        m_cCommonSNMP.AddVarBind(oid, 4, nullptr);
    }
    m_cCommonSNMP.StartAsyncWalk(&CPOEGlobal::OnGlobalRead, this, kReadTimeoutMs);
}

int CPOEGlobal::OnGlobalRead(CSnmp* response, int requestId, void* userData, int status) {
    auto* dlg = static_cast<CPOEGlobal*>(userData);
    std::unique_ptr<CSnmp> owned(response);
    if (!dlg->m_cCommonSNMP.FindRequestID(requestId)) {
        return 0;
    }
    ReadResult result;
    result.status = status;
    if (status == 0) {
        const int count = response != nullptr ? response->getVarBindCount() : 0;
        for (int i = 0; i < count; ++i) {
            result.values.push_back(BindingValue(response, i));
        }
    }
    dlg->m_cCommonSNMP.SetDone();
    dlg->SendMessage(WM_POE_GLOBAL_READ, 0, reinterpret_cast<LPARAM>(&result));
    return 0;
}

void CPOEGlobal::ShowRead(const ReadResult& result) {
    ++m_nReadsEnded;
    if (result.status == 0) {
        const int fields[] = {IDC_POEG_THRESHOLD, 0, IDC_POEG_BUDGET, IDC_POEG_USED, IDC_POEG_LEFT,
                              IDC_POEG_PERCENTAGE};
        for (size_t i = 0; i < result.values.size() && i < m_strValue.size(); ++i) {
            m_strValue[i] = result.values[i];
            if (i == 1) {
                m_cbSequence->setCurrentIndex(text::LeadingInt(result.values[i]) - 1);
            } else {
                SetDlgItemText(fields[i], result.values[i]);
            }
        }
    }
    EnableInputs(true);
}

void CPOEGlobal::OnApply() {
    EnableDlgItem(IDC_POEG_APPLY, false);
    const std::string threshold = GetDlgItemText(IDC_POEG_THRESHOLD);
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);

    // Without a selection (the read failed) there is no sequence to write.
    const int sequence = m_cbSequence->currentIndex() + 1;
    if (sequence >= 1 && text::LeadingInt(m_strValue[1]) != sequence) {
        m_cCommonSNMPSet.AddVarBind(kObjects[1], 1, std::to_string(sequence).c_str());
        m_bChanged = 1;
    }

    if (threshold != m_strValue[0]) {
        // The whole text must be the number: trailing text would reach the device as typed.
        const std::string number = text::Trimmed(threshold);
        const double watts = text::IsDecimalText(number) ? std::strtod(number.c_str(), nullptr) : 0.0;
        if (watts < 7.1 || watts > 185.0) {
            AfxMessageBox(kTextThreshold, MB_OK);
            m_bChanged = 0;
            EnableDlgItem(IDC_POEG_APPLY, true);
            return;
        }
        m_cCommonSNMPSet.AddVarBind(kObjects[0], 2, number.c_str());
        m_bChanged = 1;
    }

    if (m_bChanged) {
        SendGlobal();
    }
    EnableDlgItem(IDC_POEG_APPLY, true);
    ReadGlobal();
}

void CPOEGlobal::SendGlobal() {
    m_bChanged = 0;
    // Only a reply without an error status is a success; the read that follows shows the rest.
    if (!SendRequest(m_cCommonSNMPSet, kSetTimeoutMs).Accepted()) {
        return;
    }
    AfxMessageBox("set succeed", MB_OK);
    m_strValue[0] = GetDlgItemText(IDC_POEG_THRESHOLD);
    m_strValue[1] = std::to_string(m_cbSequence->currentIndex() + 1);
}
