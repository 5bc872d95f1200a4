// RMON global settings dialog.
#include "features/monitoring/RmonStatus.h"

#include <QApplication>

#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "res/ids_rmon.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ui::RegisterFeature kRegister(IDM_RMON_GLOBAL, [] {
    CRmonStatus dlg;
    dlg.DoModal();
});

}  // namespace

CRmonStatus::CRmonStatus(QWidget* parent) : CDialog(IDD_RMON_STATUS, parent) {
    OwnSessions(m_rmon.Sessions());
}

CRmonStatus::~CRmonStatus() = default;

void CRmonStatus::CreateControls() {
    SetWindowText("RMON Global Settings ");
    ui::Form form(*this);
    ui::Form basic = form.Group("RMON Basic Settings");
    basic.Row(
        {"RMON Status:", basic.Radio(IDC_RMONG_ENABLE, "Enable"), basic.Radio(IDC_RMONG_DISABLE, "Disable")});
    form.Buttons({{IDC_RMONG_REFRESH, "Refresh"}, {IDC_RMONG_APPLY, "Apply"}, {IDC_RMONG_CLOSE, "Close"}});

    OnCommand(IDC_RMONG_ENABLE,
              [this] { CheckRadioButton(IDC_RMONG_ENABLE, IDC_RMONG_DISABLE, IDC_RMONG_ENABLE); });
    OnCommand(IDC_RMONG_DISABLE,
              [this] { CheckRadioButton(IDC_RMONG_ENABLE, IDC_RMONG_DISABLE, IDC_RMONG_DISABLE); });
    OnCommand(IDC_RMONG_REFRESH, [this] { Refresh(); });
    OnCommand(IDC_RMONG_APPLY, [this] { Apply(); });
    OnCommand(IDC_RMONG_CLOSE, [this] { OnCancel(); });
}

int CRmonStatus::OnInitDialog() {
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    Refresh();
    return 1;
}

void CRmonStatus::EnableButtons(bool enable) {
    EnableDlgItem(IDC_RMONG_REFRESH, enable);
    EnableDlgItem(IDC_RMONG_CLOSE, enable);
    EnableDlgItem(IDC_RMONG_APPLY, enable && m_stateRead);
}

void CRmonStatus::Refresh() {
    EnableButtons(false);
    int enabled = 0;
    m_stateRead = m_rmon.GetRmonState(&enabled);
    // A state that did not read checks neither button (nor keeps the last read's).
    CheckRadioButton(IDC_RMONG_ENABLE, IDC_RMONG_DISABLE,
                     !m_stateRead   ? 0
                     : enabled == 1 ? IDC_RMONG_ENABLE
                                    : IDC_RMONG_DISABLE);
    EnableButtons(true);
    if (!m_stateRead) {
        AfxMessageBox("Failed to read the RMON state.", MB_OK);
    }
}

void CRmonStatus::Apply() {
    if (!m_stateRead) {
        return;
    }
    const int enabled = IsDlgButtonChecked(IDC_RMONG_ENABLE) == 1 ? 1 : 0;
    EnableButtons(false);
    const bool written = m_rmon.SetRmonState(&enabled);
    EnableButtons(true);
    if (!written) {
        AfxMessageBox("Failed to set the RMON state: the device did not accept it.", MB_OK);
    }
    Refresh();
}
