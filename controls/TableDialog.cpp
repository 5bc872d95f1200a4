#include "controls/TableDialog.h"

#include <QHeaderView>
#include <QResizeEvent>
#include <QScrollBar>
#include <algorithm>

#include "core/TextNumbers.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/Text.h"

using namespace ksx;

std::string ListColumn::Number(const WalkStep& step, int binding) {
    return std::to_string(step.Int(binding));
}

std::string ListColumn::Index(const WalkStep& step, int binding) {
    return step.Index(std::max(binding, 0));
}

CTableDialog::CTableDialog(unsigned templateId, std::vector<ListColumn> columns, QWidget* parent)
    : CDialog(templateId, parent),
      m_columns(std::move(columns)),
      m_read(m_session, WalkedOids(), [this](const WalkStep& step) -> std::optional<TableRow> {
          // The worker reads only the column table, which is fixed once the dialog exists.
          TableRow row;
          row.index = step.Index(0);
          int binding = 0;
          for (const ListColumn& column : m_columns) {
              const int b = column.oid.empty() ? -1 : binding++;
              row.cells.push_back(column.format ? column.format(step, b) : step.Text(b));
          }
          return row;
      }) {
    OwnReader(m_read);
    OwnSession(m_session);
    m_read.onRow = [this](const TableRow& row) { OnRow(row); };
    m_read.onEnd = [this](const WalkEnd& end) {
        if (m_keyed > 0) {
            FillKeyed();
        }
        EnableBusy(true);
        OnReadEnd(end);
        if (end.Failed() && !m_readFailedText.empty()) {
            AfxMessageBox(m_readFailedText, MB_OK);
        }
    };
    setSizeGripEnabled(true);
}

CTableDialog::~CTableDialog() = default;

std::vector<std::string> CTableDialog::WalkedOids() const {
    std::vector<std::string> oids;
    for (const ListColumn& column : m_columns) {
        if (!column.oid.empty()) {
            oids.push_back(column.oid);
        }
    }
    return oids;
}

CListCtrl* CTableDialog::MakeList(int id) {
    m_list = RegisterControl(id, new CListCtrl);
    // The heading takes no clicks and no resizing: the widths follow the list's size.
    m_list->SetHeaderButtons(false);
    m_list->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    return m_list;
}

void CTableDialog::SetRefreshButton(int id) {
    OnCommand(id, [this] { Refresh(); });
    if (std::find(m_busy.begin(), m_busy.end(), id) == m_busy.end()) {
        m_busy.push_back(id);
    }
}

int CTableDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_list != nullptr) {
        for (size_t i = 0; i < m_columns.size(); ++i) {
            m_list->InsertColumn(static_cast<int>(i), ui::ToQ(m_columns[i].heading), m_columns[i].align);
        }
        m_list->SetExtendedStyle(m_list->GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
        m_list->setMinimumWidth(MinimumListWidth());
        SizeColumns();
    }
    Refresh();
    return 1;
}

void CTableDialog::Refresh() {
    if (m_list != nullptr) {
        m_list->DeleteAllItems();
    }
    m_keyedRows.clear();
    EnableBusy(false);
    m_read.Walk(m_firstTimeout, m_nextTimeout);
}

void CTableDialog::EnableBusy(bool enable) {
    for (int id : m_busy) {
        EnableDlgItem(id, enable);
    }
}

void CTableDialog::OnRow(const TableRow& row) {
    if (m_keyed > 0) {
        m_keyedRows.push_back(row);
    } else {
        AppendRow(row);
    }
}

int CTableDialog::AppendRow(const TableRow& row) {
    if (m_list == nullptr) {
        return -1;
    }
    const int item = m_list->InsertItem(m_list->GetItemCount(), QString());
    for (size_t c = 0; c < row.cells.size(); ++c) {
        m_list->SetItemText(item, static_cast<int>(c), ui::ToQ(row.cells[c]));
    }
    return item;
}

void CTableDialog::FillKeyed() {
    std::vector<TableRow> lines(static_cast<size_t>(m_keyed));
    for (TableRow& line : lines) {
        for (const ListColumn& column : m_columns) {
            line.cells.push_back(column.placeholder);
        }
    }
    for (TableRow& row : m_keyedRows) {
        const int key = !row.index.empty() && row.index[0] >= '0' && row.index[0] <= '9'
                            ? text::LeadingInt(row.index)
                            : 0;
        if (key >= 1 && key <= m_keyed) {
            lines[static_cast<size_t>(key - 1)] = std::move(row);
        }
    }
    m_keyedRows.clear();
    // Earlier lines go first, so a late fill cannot double them.
    m_list->DeleteAllItems();
    for (const TableRow& line : lines) {
        AppendRow(line);
    }
}

int CTableDialog::MinimumListWidth() const {
    // Fixed and sample columns as they are, a column taking the rest at least thirty characters wide.
    const int chars = m_list->fontMetrics().averageCharWidth();
    int width = 2 * m_list->frameWidth() + m_list->verticalScrollBar()->sizeHint().width();
    for (const ListColumn& column : m_columns) {
        const ColumnWidth& w = column.width;
        if (w.kind == ColumnWidth::Pixels) {
            width += static_cast<int>(w.pixels * m_list->FontScale());
        } else if (w.kind == ColumnWidth::Sample) {
            width += m_list->GetStringWidth(ui::ToQ(w.sample)) + w.pixels;
        } else if (w.kind == ColumnWidth::Rest) {
            width += 30 * chars + w.pixels;
        } else {
            width += m_list->GetStringWidth(ui::ToQ(column.heading)) + 2 * chars;
        }
    }
    return width;
}

void CTableDialog::SizeColumns() {
    if (m_list == nullptr || m_list->GetColumnCount() != static_cast<int>(m_columns.size())) {
        return;
    }
    // The list keeps the rules and follows its size and font from here on.
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const ColumnWidth& w = m_columns[i].width;
        const int c = static_cast<int>(i);
        if (w.kind == ColumnWidth::Pixels) {
            m_list->SetColumnWidth(c, w.pixels);
        } else if (w.kind == ColumnWidth::Sample) {
            m_list->SetColumnSample(c, ui::ToQ(w.sample), w.pixels);
        } else if (w.kind == ColumnWidth::Rest) {
            m_list->SetColumnFill(c, w.pixels);
        }
    }
}
