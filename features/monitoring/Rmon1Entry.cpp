// RMON 1 entry dialog.
#include "features/monitoring/Rmon1Entry.h"

#include <QApplication>
#include <QLineEdit>

#include "platform/ui/Form.h"
#include "res/ids_rmon1.h"

using namespace ksx;

CRmon1Entry::CRmon1Entry(QWidget* parent) : CDialog(IDD_RMON1_ENTRY, parent) {}

void CRmon1Entry::CreateControls() {
    ui::Form form(*this);
    auto group = form.Group("");
    auto* index = group.Field("Index:", group.Edit(IDC_RMON1_ENTRY_INDEX));
    auto* port = group.Field("Interface:", group.Edit(IDC_RMON1_ENTRY_INTERFACE));
    auto* owner = group.Field("Property:", group.Edit(IDC_RMON1_ENTRY_OWNER));
    index->setMinimumWidth(80);
    port->setMinimumWidth(80);
    owner->setMinimumWidth(180);
    form.Buttons({{IDOK, "OK"}, {IDCANCEL, "Cancel"}}, IDOK);
}

int CRmon1Entry::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetWindowText("RMON 1 Control");
    SetIcon(QApplication::windowIcon());
    SetDlgItemText(IDC_RMON1_ENTRY_INDEX, m_strIndex);
    SetDlgItemText(IDC_RMON1_ENTRY_INTERFACE, m_strInterface);
    SetDlgItemText(IDC_RMON1_ENTRY_OWNER, m_strOwner);
    return 1;
}

void CRmon1Entry::OnOK() {
    m_strIndex = GetDlgItemText(IDC_RMON1_ENTRY_INDEX);
    m_strInterface = GetDlgItemText(IDC_RMON1_ENTRY_INTERFACE);
    m_strOwner = GetDlgItemText(IDC_RMON1_ENTRY_OWNER);
    EndDialog(IDOK);
}
