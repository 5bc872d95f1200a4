// The agent's table dialogs: list, reading and the checked create sequence.
#include "features/snmp_agent/SNMPTableDialog.h"

#include <QApplication>

#include "controls/ListCtrlEx.h"
#include "platform/sys/Debug.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/Form.h"

using namespace ksx;

CSNMPTableDialog::CSNMPTableDialog(unsigned templateId, Ids ids, std::vector<Column> columns, QWidget* parent)
    : CDialog(templateId, parent), m_ids(ids), m_columns(std::move(columns)) {
    OwnSessions(m_config.Sessions());
    OnCommand(m_ids.refresh, [this] { OnRefresh(); });
    OnCommand(m_ids.add, [] {});  // hidden, no action
    m_config.onTableEnd = [this](const WalkEnd& end) { OnReadEnd(end); };
}

CSNMPTableDialog::~CSNMPTableDialog() = default;

void CSNMPTableDialog::AddTable(ui::Form& form, const std::string& groupTitle, bool cancelShown) {
    m_list = RegisterControl(m_ids.list, new CListCtrlEx);
    m_list->ModifyListStyle(0, LVS_SINGLESEL);
    if (groupTitle.empty()) {
        form.Fill(m_list);
    } else {
        form.Group(groupTitle).Fill(m_list);
    }
    form.Note("", m_ids.readStatus);
    const auto buttons = form.Buttons({{m_ids.add, "&Add"},
                                       {m_ids.cancel, "&Cancel"},
                                       {m_ids.apply, "&Apply"},
                                       {m_ids.del, "&Delete"},
                                       {m_ids.refresh, "&Refresh"},
                                       {m_ids.close, "&Close"}});
    buttons[0]->setVisible(false);
    buttons[1]->setVisible(cancelShown);
}

int CSNMPTableDialog::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    m_list->SetExtendedStyle(m_list->GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    for (size_t i = 0; i < m_columns.size(); ++i) {
        m_list->InsertColumn(static_cast<int>(i), m_columns[i].heading, LVCFMT_LEFT, m_columns[i].width);
    }
    InitFields();
    OnRefresh();
    return 1;
}

void CSNMPTableDialog::EnableButtons(bool enable) {
    EnableDlgItem(m_ids.apply, enable);
    EnableDlgItem(m_ids.cancel, enable);
    EnableDlgItem(m_ids.del, enable);
    EnableDlgItem(m_ids.refresh, enable);
}

void CSNMPTableDialog::OnRefresh() {
    EnableButtons(false);
    m_list->DeleteAllItems();
    m_bTableRead = false;
    SetDlgItemText(m_ids.readStatus, "");
    StartRead();
}

void CSNMPTableDialog::OnReadEnd(const WalkEnd& end) {
    ++m_readsEnded;
    EnableButtons(true);
    m_bTableRead = end.AtEnd();
    // The duplicate and maximum checks read the list: Apply waits for a whole table.
    EnableDlgItem(m_ids.apply, m_bTableRead);
    SetDlgItemText(m_ids.readStatus, m_bTableRead ? "" : kTextReadFailed);
}

void CSNMPTableDialog::AddRow(const std::string& rowStatus, const std::vector<std::string>& cells) {
    if (rowStatus != "1") {
        return;
    }
    const int at = m_list->GetItemCount();
    for (size_t c = 0; c < cells.size(); ++c) {
        m_list->SetItemTextEx(at, static_cast<int>(c), QString::fromStdString(cells[c]));
    }
}

int CSNMPTableDialog::RowCount() const {
    return m_list->GetItemCount();
}

std::string CSNMPTableDialog::Cell(int row, int column) const {
    return m_list->GetItemText(row, column).toStdString();
}

int CSNMPTableDialog::SelectedRow() const {
    return m_list->GetFirstSelectedItem();
}

bool CSNMPTableDialog::CreateRow(const std::string& statusOid, const std::string& what,
                                 const std::function<std::string()>& columns) {
    std::string failure;
    if (!m_config.SetRowStatus(statusOid, "5")) {
        AfxMessageBox("Failed to add the " + what + ": the device did not create the row.", MB_OK);
        return false;
    }
    const std::string refused = columns();
    if (!refused.empty()) {
        failure = "Failed to add the " + what + ": the device did not accept " + refused + ".";
    } else if (!m_config.SetRowStatus(statusOid, "1")) {
        failure = "Failed to add the " + what + ": the device did not activate the row.";
    }
    if (failure.empty()) {
        return true;
    }
    m_config.SetRowStatus(statusOid, "6");
    AfxMessageBox(failure, MB_OK);
    return false;
}

bool CSNMPTableDialog::DeleteRow(const std::string& statusOid, const std::string& what) {
    if (m_config.SetRowStatus(statusOid, "6")) {
        return true;
    }
    AfxMessageBox("Failed to delete the " + what + ": the device did not accept it.", MB_OK);
    return false;
}
