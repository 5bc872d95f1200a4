// Jumbo frame dialog.
#include "features/port_system/JumboFrameconfigdlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <memory>

#include "platform/sys/Debug.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_port_small.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(ID_MENU_JUMBO_FRAME, [] {
    CJumboFrameconfigdlg dlg;
    dlg.DoModal();
});

}  // namespace

CJumboFrameconfigdlg::CJumboFrameconfigdlg(QWidget* parent) : CDialog(IDD_JUMBO_FRAME, parent) {}

CJumboFrameconfigdlg::~CJumboFrameconfigdlg() = default;

void CJumboFrameconfigdlg::CreateControls() {
    SetWindowText("Jumbo Frame Configuration");
    QWidget* client = Client();
    auto* group = RegisterControl(IDC_JUMBO_GROUP, new QGroupBox(client));
    group->setGeometry(10, 6, 300, 84);
    auto* box = RegisterControl(IDC_JUMBO_ENABLE, new QCheckBox("Enable Jumbo Frame", client));
    box->setLayoutDirection(Qt::RightToLeft);  // text on the left of the box
    box->move(24, 22);
    box->adjustSize();
    auto* note = RegisterControl(IDC_JUMBO_NOTE, new QLabel("Note: Maximum Length is 9216 bytes", client));
    note->setGeometry(24, 54, 280, 22);
    auto* apply = RegisterControl(IDC_JUMBO_APPLY, new QPushButton("&Apply", client));
    apply->setGeometry(120, 100, 80, 28);
    apply->setDefault(true);
    SetClientSize(320, 138);
}

int CJumboFrameconfigdlg::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    ReadJumboFrame();
    return 1;
}

void CJumboFrameconfigdlg::ReadJumboFrame() {
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_GET);
    m_cCommonSNMP.AddVarBind(kJumboFrameOid, 4, nullptr);
    CSnmp* response = nullptr;
    const int status = m_cCommonSNMP.Send(response, 0);
    std::unique_ptr<CSnmp> owned(response);
    int errorStatus = 0;
    int errorIndex = 0;
    if (status == 0 && owned) {
        owned->getErrorStatus(&errorStatus, &errorIndex);
    }
    // An error reply carries no value: the box keeps its state, as on a time-out.
    if (status != 0 || !owned || errorStatus != 0) {
        TRACE("--------iStatus = %d, error status %d", status, errorStatus);
        return;
    }
    int length = 0;
    char* value = nullptr;
    const bool on = owned->getValue(0, &length, &value) == 0 && value != nullptr &&
                    std::string(value, static_cast<size_t>(length < 0 ? 0 : length)) == "1";
    CheckDlgButton(IDC_JUMBO_ENABLE, on ? 1 : 0);
}

bool CJumboFrameconfigdlg::WriteJumboFrame() {
    const bool enable = IsDlgButtonChecked(IDC_JUMBO_ENABLE) == 1;
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMP.AddVarBind(kJumboFrameOid, 1, enable ? "1" : "2");
    CSnmp* response = nullptr;
    const int status = m_cCommonSNMP.Send(response, 0);
    std::unique_ptr<CSnmp> owned(response);
    int errorStatus = 0;
    int errorIndex = 0;
    if (status == 0 && owned) {
        owned->getErrorStatus(&errorStatus, &errorIndex);
    }
    // The state is announced only once the device accepted it.
    if (status != 0 || !owned || errorStatus != 0) {
        TRACE("--------iStatus = %d, error status %d", status, errorStatus);
        AfxMessageBox("Failed to set Jumbo Frame.", MB_OK);
        return false;
    }
    owned.reset();
    AfxMessageBox(enable ? "Enabled Jumbo Frame" : "Disabled Jumbo Frame", MB_OK);
    ReadJumboFrame();
    return true;
}

void CJumboFrameconfigdlg::OnOK() {
    WriteJumboFrame();
    EndDialog(IDOK);
}

int CJumboFrameconfigdlg::DestroyWindow() {
    m_cCommonSNMP.Close();
    return CDialog::DestroyWindow();
}
