// Jumbo frame dialog.
#include "features/port_system/JumboFrameconfigdlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <optional>

#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "platform/sys/Debug.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "res/ids_port_small.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(ID_MENU_JUMBO_FRAME, [] {
    CJumboFrameconfigdlg dlg;
    dlg.DoModal();
});

// Sends the pending PDU; a request that did not go as asked is traced.
SnmpReply SendTraced(CCommonSNMP& session) {
    SnmpReply reply = SendRequest(session);
    if (!reply.Accepted()) {
        TRACE("--------iStatus = %d, error status %d", reply.status, reply.ErrorStatus());
    }
    return reply;
}

}  // namespace

CJumboFrameconfigdlg::CJumboFrameconfigdlg(QWidget* parent) : CDialog(IDD_JUMBO_FRAME, parent) {
    OwnSession(m_cCommonSNMP);
}

CJumboFrameconfigdlg::~CJumboFrameconfigdlg() = default;

void CJumboFrameconfigdlg::CreateControls() {
    SetWindowText("Jumbo Frame Configuration");
    ui::Form form(*this);
    auto group = form.Group("", IDC_JUMBO_GROUP);
    auto* box = group.Check(IDC_JUMBO_ENABLE, "Enable Jumbo Frame");
    box->setLayoutDirection(Qt::RightToLeft);  // text on the left of the box
    group.Row({box});
    group.Note("Note: Maximum Length is 9216 bytes");
    form.Buttons({{IDC_JUMBO_APPLY, "&Apply"}})[0]->setDefault(true);
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
    // No answer, an error reply or a value that is no number: the box keeps its state and Apply, which
    // would write it back, stays unavailable.
    const std::optional<long long> state = reply.Integer(0);
    EnableDlgItem(IDC_JUMBO_APPLY, state.has_value());
    if (!state) {
        AfxMessageBox("Failed to read the Jumbo Frame setting.", MB_OK);
        return;
    }
    CheckDlgButton(IDC_JUMBO_ENABLE, *state == 1 ? 1 : 0);
}

bool CJumboFrameconfigdlg::WriteJumboFrame() {
    const bool enable = IsDlgButtonChecked(IDC_JUMBO_ENABLE) == 1;
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMP.AddVarBind(kJumboFrameOid, 1, enable ? "1" : "2");
    // The state is announced only once the device accepted it.
    if (const SnmpAnswer answer = SendTraced(m_cCommonSNMP).Answer(); !answer.Accepted()) {
        AfxMessageBox(AnswerText(answer, {"the Jumbo Frame setting"}), MB_OK);
        return false;
    }
    AfxMessageBox(enable ? "Enabled Jumbo Frame" : "Disabled Jumbo Frame", MB_OK);
    ReadJumboFrame();
    return true;
}

void CJumboFrameconfigdlg::OnOK() {
    if (!IsDlgItemEnabled(IDC_JUMBO_APPLY)) {
        return;  // the state was not read: nothing to write
    }
    WriteJumboFrame();
    EndDialog(IDOK);
}
