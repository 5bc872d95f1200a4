// SNMP engine ID dialog.
#include "features/snmp_agent/SNMPEngineID.h"

#include <QApplication>
#include <QLineEdit>
#include <algorithm>

#include "core/RunText.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "platform/ui/WaitCursor.h"
#include "res/ids_snmp_agent.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_SNMP_ENGINE_ID, [] {
    CSNMPEngineID dlg;
    dlg.DoModal();
});

}  // namespace

CSNMPEngineID::CSNMPEngineID(QWidget* parent) : CDialog(IDD_SNMP_ENGINE_ID, parent) {
    OwnSessions(m_config.Sessions());
    OnCommand(IDC_ENGINE_APPLY, [this] { OnApply(); });
    OnCommand(IDC_ENGINE_DEFAULT, [this] { OnDefault(); });
    OnCommand(IDC_ENGINE_CLOSE, [this] { EndDialog(IDCANCEL); });
    m_config.onEngineId = [this](const std::optional<std::string>& value) { OnEngineId(value); };
}

CSNMPEngineID::~CSNMPEngineID() = default;

void CSNMPEngineID::CreateControls() {
    SetWindowText("SNMP Engine ID");
    ui::Form form(*this);
    auto group = form.Group("SNMP Engine ID");
    auto* edit = group.Field("SNMP Engine ID", group.Edit(IDC_ENGINE_ID));
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QString(40, QChar('0'))));
    group.Note("Note: Engine ID length is 10-64, the accepted character is from 0 to F.");
    form.Note("", IDC_ENGINE_READ_STATUS);
    const auto buttons = form.Buttons(
        {{IDC_ENGINE_APPLY, "&Apply"}, {IDC_ENGINE_DEFAULT, "&Default"}, {IDC_ENGINE_CLOSE, "&Close"}});
    buttons[1]->setVisible(false);
}

int CSNMPEngineID::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    m_config.GetEngineId();
    Item<QLineEdit>(IDC_ENGINE_ID)->setMaxLength(64);
    return 1;
}

void CSNMPEngineID::OnEngineId(const std::optional<std::string>& value) {
    ++m_readsEnded;
    SetDlgItemText(IDC_ENGINE_READ_STATUS, value ? "" : kTextReadFailed);
    if (value) {
        // A longer ID than can be typed is still shown whole (Apply then refuses its length).
        auto* edit = Item<QLineEdit>(IDC_ENGINE_ID);
        edit->setMaxLength(std::max(64, static_cast<int>(value->size())));
        SetDlgItemText(IDC_ENGINE_ID, *value);
    }
}

void CSNMPEngineID::OnApply() {
    CWaitCursor wait;
    const std::string text = GetDlgItemText(IDC_ENGINE_ID);
    if (text.size() < 10 || text.size() > 64) {
        AfxMessageBox(kTextLength, MB_OK);
        return;
    }
    if (text.find_first_not_of("0123456789ABCDEFabcdef") != std::string::npos) {
        AfxMessageBox(kTextCharacters, MB_OK);
        return;
    }
    // An odd count of digits names no whole octets: refused rather than padded with a guessed digit.
    if (text.size() % 2 != 0) {
        AfxMessageBox(kTextOddLength, MB_OK);
        return;
    }
    if (!m_config.SetEngineId(text, false)) {
        AfxMessageBox(AnswerText(m_config.LastAnswer(), {"it"}, kTextWriteFailed), MB_OK);
    }
    m_config.GetEngineId();
}

void CSNMPEngineID::OnDefault() {
    CWaitCursor wait;
    // Only models with a known default have one; an empty engine ID is no engine ID.
    if (CSNMPConfig::DefaultEngineId(g_strDeviceName).empty()) {
        AfxMessageBox(kTextNoDefault, MB_OK);
        return;
    }
    if (!m_config.SetEngineId("", true)) {
        AfxMessageBox(AnswerText(m_config.LastAnswer(), {"it"}, kTextWriteFailed), MB_OK);
    }
    m_config.GetEngineId();
}
