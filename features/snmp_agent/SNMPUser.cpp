// SNMP user dialog.
#include "features/snmp_agent/SNMPUser.h"

#include <QComboBox>
#include <QLineEdit>

#include "controls/ListCtrlEx.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "platform/ui/WaitCursor.h"
#include "res/ids_snmp_agent.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_SNMP_USER, [] {
    CSNMPUser dlg;
    dlg.DoModal();
});

enum UserColumn { kColName, kColGroup, kColVersion, kColAuth, kColPriv };
constexpr int kMaxUsers = 50;

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n\f\v");
    if (first == std::string::npos) {
        return std::string();
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n\f\v") - first + 1);
}

}  // namespace

CSNMPUser::CSNMPUser(QWidget* parent)
    : CSNMPTableDialog(IDD_SNMP_USER,
                       {IDC_USER_LIST, IDC_USER_APPLY, IDC_USER_DELETE, IDC_USER_REFRESH, IDC_USER_CLOSE,
                        IDC_USER_CANCEL, IDC_USER_ADD, IDC_USER_READ_STATUS},
                       {{"User Name", 100},
                        {"Group Name", 100},
                        {"SNMP Version", 100},
                        {"Auth Protocol", 105},
                        {"Priv-Protocol", 105}},
                       parent) {
    OnCommand(IDC_USER_APPLY, [this] { OnApply(); });
    OnCommand(IDC_USER_DELETE, [this] { OnDelete(); });
    OnCommand(IDC_USER_CANCEL, [this] { OnCancelEdit(); });
    OnCommand(IDC_USER_CLOSE, [this] { EndDialog(IDCANCEL); });
    OnCommand(IDC_USER_ENCRYPTED, [this] { OnEncryptedClick(); });
    OnNotify(CBN_SELCHANGE, IDC_USER_VERSION, Handler([this] { OnVersionChange(); }));
    OnNotify(CBN_SELCHANGE, IDC_USER_PRIV, Handler([this] { OnPrivProtocolChange(); }));
    m_config.onUserRow = [this](const SNMP_USER_ROW& r) {
        AddRow(r.rowStatus, {r.userName, r.groupName, r.version, r.authProtocol, r.privProtocol});
    };
}

CSNMPUser::~CSNMPUser() = default;

void CSNMPUser::CreateControls() {
    SetWindowText("SNMP User Table ");
    ui::Form form(*this);
    auto entry = form.Group("");
    auto* name = entry.Edit(IDC_USER_NAME);
    auto* group = entry.Edit(IDC_USER_GROUP);
    m_cbVersion = entry.Combo(IDC_USER_VERSION);
    m_cbAuth = entry.Combo(IDC_USER_AUTH);
    m_cbPriv = entry.Combo(IDC_USER_PRIV);
    auto* authPassword = entry.Edit(IDC_USER_AUTH_PASSWORD);
    auto* privPassword = entry.Edit(IDC_USER_PRIV_PASSWORD);
    authPassword->setEchoMode(QLineEdit::Password);
    privPassword->setEchoMode(QLineEdit::Password);
    entry.Row({"User Name", name, "Group Name", group});
    entry.Row({"SNMP Version", m_cbVersion, entry.Check(IDC_USER_ENCRYPTED, "encrypted"), ui::Form::Stretch});
    entry.Row({"Auth-Protocol", m_cbAuth, "Password", authPassword});
    entry.Row({"Priv-Protocol", m_cbPriv, "Password", privPassword});
    AddTable(form, "");
}

void CSNMPUser::InitFields() {
    m_cbVersion->addItems({"V1", "V2c", "V3"});
    m_cbAuth->addItems({"MD5", "SHA"});
    m_cbPriv->addItems({"DES", "None"});
    m_cbVersion->setCurrentIndex(0);
    m_cbAuth->setCurrentIndex(0);
    m_cbPriv->setCurrentIndex(0);
    for (int id :
         {IDC_USER_AUTH, IDC_USER_PRIV, IDC_USER_AUTH_PASSWORD, IDC_USER_PRIV_PASSWORD, IDC_USER_ENCRYPTED}) {
        EnableDlgItem(id, false);
    }
    Item<QLineEdit>(IDC_USER_NAME)->setMaxLength(32);
    Item<QLineEdit>(IDC_USER_GROUP)->setMaxLength(32);
}

void CSNMPUser::OnVersionChange() {
    if (m_cbVersion->currentIndex() == 2) {
        EnableDlgItem(IDC_USER_ENCRYPTED, true);
        return;
    }
    EnableDlgItem(IDC_USER_ENCRYPTED, false);
    EnableDlgItem(IDC_USER_AUTH, false);
    EnableDlgItem(IDC_USER_PRIV, false);
}

void CSNMPUser::OnEncryptedClick() {
    const bool on = IsDlgButtonChecked(IDC_USER_ENCRYPTED) == 1;
    EnableDlgItem(IDC_USER_AUTH, on);
    EnableDlgItem(IDC_USER_PRIV, on);
    EnableDlgItem(IDC_USER_AUTH_PASSWORD, on);
    EnableDlgItem(IDC_USER_PRIV_PASSWORD, on && m_cbPriv->currentText() == "DES");
}

void CSNMPUser::OnPrivProtocolChange() {
    EnableDlgItem(IDC_USER_PRIV_PASSWORD, m_cbPriv->currentIndex() == 0);
}

void CSNMPUser::RefuseEdit(const char* text, int editId) {
    AfxMessageBox(text, MB_OK);
    auto* edit = Item<QLineEdit>(editId);
    edit->setFocus();
    edit->selectAll();
}

void CSNMPUser::OnApply() {
    if (!IsDlgItemEnabled(IDC_USER_APPLY) || Writing()) {
        return;
    }
    CWaitCursor wait;
    const std::string name = Trimmed(GetDlgItemText(IDC_USER_NAME));
    const std::string group = Trimmed(GetDlgItemText(IDC_USER_GROUP));
    if (name.empty()) {
        AfxMessageBox(kTextEmptyUser, MB_OK);
        return;
    }
    if (!CSNMPConfig::IsValidName(name)) {
        AfxMessageBox(kTextInvalidUser, MB_OK);
        return;
    }
    if (group.empty()) {
        AfxMessageBox(kTextEmptyGroup, MB_OK);
        return;
    }
    if (!CSNMPConfig::IsValidName(group)) {
        AfxMessageBox(kTextInvalidGroup, MB_OK);
        return;
    }
    const std::string version = m_cbVersion->currentText().toStdString();
    for (int row = 0; row < RowCount(); ++row) {
        if (Cell(row, kColName) == name && Cell(row, kColVersion) == version) {
            AfxMessageBox(kTextExists, MB_OK);
            return;
        }
    }
    if (RowCount() == kMaxUsers) {
        AfxMessageBox(kTextMaximum, MB_OK);
        return;
    }
    std::string auth = "None";
    std::string authPassword;
    std::string priv = "None";
    std::string privPassword;
    // Protocols and passwords are a V3 user's only: the box of another version is not read.
    if (version == "V3" && IsDlgButtonChecked(IDC_USER_ENCRYPTED) == 1) {
        auth = m_cbAuth->currentText().toStdString();
        authPassword = Trimmed(GetDlgItemText(IDC_USER_AUTH_PASSWORD));
        if (authPassword.empty()) {
            AfxMessageBox(kTextEmptyAuth, MB_OK);
            return;
        }
        if (auth == "MD5" && authPassword.size() > 32) {
            RefuseEdit(kTextMd5Length, IDC_USER_AUTH_PASSWORD);
            return;
        }
        if (auth == "SHA" && authPassword.size() > 40) {
            RefuseEdit(kTextShaLength, IDC_USER_AUTH_PASSWORD);
            return;
        }
        priv = m_cbPriv->currentText().toStdString();
        if (priv == "DES") {
            privPassword = Trimmed(GetDlgItemText(IDC_USER_PRIV_PASSWORD));
            if (privPassword.empty()) {
                AfxMessageBox(kTextEmptyPriv, MB_OK);
                return;
            }
            if (privPassword.size() > 32) {
                RefuseEdit(kTextDesLength, IDC_USER_PRIV_PASSWORD);
                return;
            }
        }
    }
    const std::string object = kStatusColumn + CSNMPConfig::MakeGroupIndex(name, version);
    RunCreate(
        object, "user",
        [this, name, version, group, auth, authPassword, priv, privPassword]() -> ksx::StepsName {
            switch (m_config.SetUser(name, version, group, auth, authPassword, priv, privPassword)) {
                case 0:
                    return {};
                case 1:
                    return {"the group name"};
                case 2:
                    return {"the protocols", true};
                default:
                    return {"the passwords", true};
            }
        },
        [this] { ResetForm(); });
}

void CSNMPUser::ResetForm() {
    SetDlgItemText(IDC_USER_NAME, "");
    SetDlgItemText(IDC_USER_GROUP, "");
    SetDlgItemText(IDC_USER_AUTH_PASSWORD, "");
    SetDlgItemText(IDC_USER_PRIV_PASSWORD, "");
    EnableDlgItem(IDC_USER_AUTH_PASSWORD, false);
    EnableDlgItem(IDC_USER_PRIV_PASSWORD, false);
    m_cbVersion->setCurrentIndex(0);
    m_cbAuth->setCurrentIndex(0);
    m_cbPriv->setCurrentIndex(0);
    EnableDlgItem(IDC_USER_AUTH, false);
    EnableDlgItem(IDC_USER_PRIV, false);
    CheckDlgButton(IDC_USER_ENCRYPTED, 0);
    EnableDlgItem(IDC_USER_ENCRYPTED, false);
}

void CSNMPUser::OnDelete() {
    if (Writing()) {
        return;
    }
    const int row = SelectedRow();
    if (row < 0) {
        AfxMessageBox(kTextSelect, MB_OK);
        return;
    }
    RunDelete(kStatusColumn + CSNMPConfig::MakeGroupIndex(Cell(row, kColName), Cell(row, kColVersion)),
              "user");
}

void CSNMPUser::OnCancelEdit() {
    SetDlgItemText(IDC_USER_NAME, "");
    SetDlgItemText(IDC_USER_GROUP, "");
    SetDlgItemText(IDC_USER_AUTH_PASSWORD, "");
    SetDlgItemText(IDC_USER_PRIV_PASSWORD, "");
    m_cbAuth->setCurrentIndex(0);
    m_cbPriv->setCurrentIndex(0);
    m_cbVersion->setCurrentIndex(0);
    EnableDlgItem(IDC_USER_ENCRYPTED, false);
    OnRefresh();
}
