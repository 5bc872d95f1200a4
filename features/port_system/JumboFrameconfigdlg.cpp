// Jumbo frame dialog.
#include "features/port_system/JumboFrameconfigdlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>

#include "core/SnmpReply.h"
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

// Sends the pending PDU; a request the device did not accept is traced.
SnmpReply SendTraced(CCommonSNMP& session) {
    SnmpReply reply = SendRequest(session);
    if (!reply.Accepted()) {
        TRACE("--------iStatus = %d, error status %d", reply.status, reply.ErrorStatus());
    }
    return reply;
}

}  // namespace

CJumboFrameconfigdlg::CJumboFrameconfigdlg(QWidget* parent) : CDialog(IDD_JUMBO_FRAME, parent) {}

CJumboFrameconfigdlg::~CJumboFrameconfigdlg() = default;

void CJumboFrameconfigdlg::CreateControls() {
    SetWindowText("Jumbo Frame Configuration");
    AddGroupBox(IDC_JUMBO_GROUP, "", 10, 6, 300, 84);
    auto* box = AddCheckBox(IDC_JUMBO_ENABLE, "Enable Jumbo Frame", 24, 22, 0, 0);
    box->setLayoutDirection(Qt::RightToLeft);  // text on the left of the box
    box->adjustSize();                         // as wide and high as its text needs
    AddLabel(IDC_JUMBO_NOTE, "Note: Maximum Length is 9216 bytes", 24, 54, 280, 22);
    AddButton(IDC_JUMBO_APPLY, "&Apply", 120, 100, 80, 28)->setDefault(true);
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
    const SnmpReply reply = SendTraced(m_cCommonSNMP);
    // An error reply carries no value: the box keeps its state, as on a time-out.
    if (!reply.Accepted()) {
        return;
    }
    CheckDlgButton(IDC_JUMBO_ENABLE, reply.Value(0) == "1" ? 1 : 0);
}

bool CJumboFrameconfigdlg::WriteJumboFrame() {
    const bool enable = IsDlgButtonChecked(IDC_JUMBO_ENABLE) == 1;
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMP.AddVarBind(kJumboFrameOid, 1, enable ? "1" : "2");
    // The state is announced only once the device accepted it.
    if (!SendTraced(m_cCommonSNMP).Accepted()) {
        AfxMessageBox("Failed to set Jumbo Frame.", MB_OK);
        return false;
    }
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
