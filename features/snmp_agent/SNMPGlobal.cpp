// SNMP global state dialog.
#include "features/snmp_agent/SNMPGlobal.h"

#include <QApplication>
#include <QCheckBox>

#include "core/RunText.h"
#include "platform/sys/Debug.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "platform/ui/WaitCursor.h"
#include "res/ids_snmp_agent.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_SNMP_GLOBAL, [] {
    CSNMPGlobal dlg;
    dlg.DoModal();
});

}  // namespace

CSNMPGlobal::CSNMPGlobal(QWidget* parent) : CDialog(IDD_SNMP_GLOBAL, parent) {
    OwnSessions(m_config.Sessions());
    OnCommand(IDC_SNMPG_APPLY, [this] { OnApply(); });
    OnCommand(IDC_SNMPG_CANCEL, [this] { EndDialog(IDCANCEL); });
    m_config.onState = [this](const std::optional<std::string>& value) { OnState(value); };
}

CSNMPGlobal::~CSNMPGlobal() = default;

void CSNMPGlobal::CreateControls() {
    SetWindowText("SNMP Global State Settings");
    ui::Form form(*this);
    auto group = form.Group("SNMP Global State Settings");
    auto* box = group.Check(IDC_SNMPG_ENABLE, "Enable SNMP Global ");
    box->setLayoutDirection(Qt::RightToLeft);  // text on the left of the box
    group.Row({box, ui::Form::Stretch});
    form.Note("", IDC_SNMPG_READ_STATUS)->setWordWrap(true);
    form.Buttons({{IDC_SNMPG_APPLY, "&Apply"}, {IDC_SNMPG_CANCEL, "&Cancel"}});
}

int CSNMPGlobal::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    ReadState();
    return 1;
}

void CSNMPGlobal::ReadState() {
    // Apply waits for the state: a box the device has not filled would be written back.
    EnableDlgItem(IDC_SNMPG_APPLY, false);
    m_config.GetSnmpState();
}

void CSNMPGlobal::OnState(const std::optional<std::string>& value) {
    ++m_readsEnded;
    auto* box = Item<QCheckBox>(IDC_SNMPG_ENABLE);
    // A state that did not read is neither on nor off, and cannot be changed.
    box->setTristate(!value);
    box->setEnabled(value.has_value());
    if (!value) {
        box->setCheckState(Qt::PartiallyChecked);
        SetDlgItemText(IDC_SNMPG_READ_STATUS, kTextReadFailed);
        return;
    }
    CheckDlgButton(IDC_SNMPG_ENABLE, *value == "1" ? 1 : 0);
    SetDlgItemText(IDC_SNMPG_READ_STATUS, "");
    EnableDlgItem(IDC_SNMPG_APPLY, true);
}

void CSNMPGlobal::OnApply() {
    if (!IsDlgItemEnabled(IDC_SNMPG_APPLY)) {
        return;
    }
    CWaitCursor wait;
    if (!m_config.SetSnmpState(IsDlgButtonChecked(IDC_SNMPG_ENABLE) == 1 ? "1" : "2")) {
        AfxMessageBox(AnswerText(m_config.LastAnswer(), {"it"}, kTextWriteFailed), MB_OK);
    }
    // The box shows what the device now reports, after a refused write as well.
    ReadState();
}
