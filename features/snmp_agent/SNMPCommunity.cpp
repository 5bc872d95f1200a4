// SNMP community dialog.
#include "features/snmp_agent/SNMPCommunity.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <algorithm>

#include "controls/ListCtrlEx.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "platform/ui/WaitCursor.h"
#include "res/ids_snmp_agent.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_SNMP_COMMUNITY, [] {
    CSNMPCommunity dlg;
    dlg.DoModal();
});

constexpr int kMaxCommunities = 10;

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n\f\v");
    if (first == std::string::npos) {
        return std::string();
    }
    const size_t last = text.find_last_not_of(" \t\r\n\f\v");
    return text.substr(first, last - first + 1);
}

}  // namespace

CSNMPCommunity::CSNMPCommunity(QWidget* parent) : CDialog(IDD_SNMP_COMMUNITY, parent) {
    g_bDialogClosing = 0;
    OwnSessions(m_config.Sessions());
    OnCommand(IDC_COMM_APPLY, [this] { OnApply(); });
    OnCommand(IDC_COMM_DELETE, [this] { OnDelete(); });
    OnCommand(IDC_COMM_REFRESH, [this] { OnRefresh(); });
    OnCommand(IDC_COMM_ADD, [this] { OnAdd(); });
    OnCommand(IDC_COMM_CANCEL, [this] { OnCancelEdit(); });
    OnCommand(IDC_COMM_CLOSE, [this] { EndDialog(IDCANCEL); });
    m_config.onCommunityRow = [this](const SNMP_COMMUNITY_ROW& row) { OnCommunityRow(row); };
    m_config.onUserRow = [this](const SNMP_USER_ROW& row) { OnUserRow(row); };
    m_config.onCommunityEnd = [this](const WalkEnd& end) { m_bCommunitiesRead = end.AtEnd(); };
    m_config.onTableEnd = [this](const WalkEnd& end) { OnReadEnd(end); };
}

CSNMPCommunity::~CSNMPCommunity() = default;

void CSNMPCommunity::CreateControls() {
    SetWindowText("SNMP Community Table Configuration");
    ui::Form form(*this);
    auto entry = form.Group("");
    auto* name = entry.Field("Community Name ", entry.Edit(IDC_COMM_NAME));
    name->setMinimumWidth(name->fontMetrics().horizontalAdvance(QString(24, QChar('M'))));
    m_cbUser = entry.Field("User Name (View Policy)", entry.Combo(IDC_COMM_USER));
    m_list = RegisterControl(IDC_COMM_LIST, new CListCtrlEx);
    form.Group("Community Table Info").Fill(m_list);
    form.Note("", IDC_COMM_READ_STATUS);
    const auto buttons = form.Buttons({{IDC_COMM_ADD, "&Add"},
                                       {IDC_COMM_CANCEL, "&Cancel"},
                                       {IDC_COMM_APPLY, "&Apply"},
                                       {IDC_COMM_DELETE, "&Delete"},
                                       {IDC_COMM_REFRESH, "&Refresh"},
                                       {IDC_COMM_CLOSE, "&Close"}});
    buttons[0]->setVisible(false);
    buttons[1]->setVisible(false);
}

int CSNMPCommunity::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    m_list->SetExtendedStyle(m_list->GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    m_list->InsertColumn(0, "Community Name", LVCFMT_LEFT, 250);
    m_list->InsertColumn(1, "User Name", LVCFMT_LEFT, 248);
    EnableDlgItem(IDC_COMM_APPLY, true);
    Item<QLineEdit>(IDC_COMM_NAME)->setMaxLength(32);
    OnRefresh();
    return 1;
}

int CSNMPCommunity::DestroyWindow() {
    g_bDialogClosing = 1;
    TRACE("==================DestroyWindow===============");
    return CDialog::DestroyWindow();
}

void CSNMPCommunity::EnableButtons(bool enable) {
    EnableDlgItem(IDC_COMM_APPLY, enable);
    EnableDlgItem(IDC_COMM_CANCEL, enable);
    EnableDlgItem(IDC_COMM_DELETE, enable);
    EnableDlgItem(IDC_COMM_REFRESH, enable);
}

std::vector<std::string> CSNMPCommunity::UserChoices() const {
    std::vector<std::string> out;
    for (int i = 0; i < m_cbUser->count(); ++i) {
        out.push_back(m_cbUser->itemText(i).toStdString());
    }
    return out;
}

std::vector<std::string> CSNMPCommunity::Communities() const {
    std::vector<std::string> out;
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        out.push_back(m_list->GetItemText(row, 0).toStdString());
    }
    return out;
}

// ---- Reading ----

void CSNMPCommunity::OnRefresh() {
    if (m_writes.Running()) {
        return;  // the write's end reads the table again
    }
    EnableButtons(false);
    m_list->DeleteAllItems();
    m_bCommunitiesRead = false;
    SetDlgItemText(IDC_COMM_READ_STATUS, "");
    m_config.ReadCommunityTable();
}

void CSNMPCommunity::OnCommunityRow(const SNMP_COMMUNITY_ROW& row) {
    if (g_bDialogClosing == 1 || row.rowStatus != "1") {
        return;
    }
    const int at = m_list->GetItemCount();
    m_list->SetItemTextEx(at, 0, QString::fromStdString(row.community));
    m_list->SetItemTextEx(at, 1, QString::fromStdString(row.userName));
}

void CSNMPCommunity::OnUserRow(const SNMP_USER_ROW& row) {
    if (g_bDialogClosing == 1 || row.version == "V3" || row.version == "v3" || row.rowStatus != "1") {
        return;
    }
    const QString name = QString::fromStdString(row.userName);
    if (m_cbUser->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0) {
        return;
    }
    m_cbUser->addItem(name);
    m_cbUser->setCurrentIndex(0);
}

void CSNMPCommunity::OnReadEnd(const WalkEnd& end) {
    if (g_bDialogClosing == 1) {
        return;
    }
    ++m_readsEnded;
    EnableButtons(true);
    // The duplicate and maximum checks need the whole community table.
    EnableDlgItem(IDC_COMM_APPLY, m_bCommunitiesRead);
    SetDlgItemText(IDC_COMM_READ_STATUS, m_bCommunitiesRead && end.AtEnd() ? "" : kTextReadFailed);
}

// ---- Writing ----

void CSNMPCommunity::OnApply() {
    if (!IsDlgItemEnabled(IDC_COMM_APPLY) || m_writes.Running()) {
        return;
    }
    CWaitCursor wait;
    const std::string name = Trimmed(GetDlgItemText(IDC_COMM_NAME));
    if (name.empty()) {
        AfxMessageBox(kTextEmptyName, MB_OK);
        return;
    }
    if (!CSNMPConfig::IsValidName(name)) {
        AfxMessageBox(kTextInvalidName, MB_OK);
        return;
    }
    const std::vector<std::string> listed = Communities();
    if (std::find(listed.begin(), listed.end(), name) != listed.end()) {
        AfxMessageBox(kTextExists, MB_OK);
        return;
    }
    if (static_cast<int>(listed.size()) >= kMaxCommunities) {
        AfxMessageBox(kTextMaximum, MB_OK);
        return;
    }
    const std::string user = m_cbUser->currentIndex() >= 0 ? m_cbUser->currentText().toStdString() : "";
    const std::string object = std::string(kStatusColumn) + CSNMPConfig::StringToOidIndex(name);
    // Each step is checked; a row left half made would be hidden and block the name, so it goes.
    EnableButtons(false);
    m_writes.Create(
        object, "community",
        [this, name, user]() -> ksx::StepsName {
            return m_config.SetCommunity(name, user) ? ksx::StepsName{} : ksx::StepsName{"the user name"};
        },
        [this](bool added) {
            if (added) {
                m_cbUser->setCurrentIndex(0);
                SetDlgItemText(IDC_COMM_NAME, "");
            }
            OnRefresh();
        });
}

void CSNMPCommunity::OnDelete() {
    if (m_writes.Running()) {
        return;
    }
    const int row = m_list->GetFirstSelectedItem();
    if (row < 0) {
        AfxMessageBox(kTextSelect, MB_OK);
        return;
    }
    const std::string name = m_list->GetItemText(row, 0).toStdString();
    EnableButtons(false);
    m_writes.Delete(std::string(kStatusColumn) + CSNMPConfig::StringToOidIndex(name), "community",
                    [this] { OnRefresh(); });
}

void CSNMPCommunity::OnAdd() {
    if (m_writes.Running()) {
        return;
    }
    EnableDlgItem(IDC_COMM_APPLY, m_bCommunitiesRead);
}

void CSNMPCommunity::OnCancelEdit() {
    m_cbUser->setCurrentIndex(0);
    SetDlgItemText(IDC_COMM_NAME, "");
    OnRefresh();
}
