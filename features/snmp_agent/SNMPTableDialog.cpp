// The agent's table dialogs: list, reading, and the checked add and delete sequences.
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
    if (m_writes.Running()) {
        return;  // the write's end reads the table again
    }
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

void CSNMPTableDialog::RunCreate(const std::string& statusOid, const std::string& what,
                                 CSNMPWriteRun::Columns columns, std::function<void()> added,
                                 unsigned settleMs) {
    EnableButtons(false);
    m_writes.Create(
        statusOid, what, std::move(columns),
        [this, added = std::move(added)](bool done) {
            if (done && added) {
                added();
            }
            OnRefresh();
        },
        settleMs);
}

void CSNMPTableDialog::RunDelete(const std::string& statusOid, const std::string& what) {
    EnableButtons(false);
    m_writes.Delete(statusOid, what, [this] { OnRefresh(); });
}
