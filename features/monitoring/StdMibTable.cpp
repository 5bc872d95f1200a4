// Standard-MIB table views.
#include "features/monitoring/StdMibTable.h"

#include <QApplication>

#include "platform/sys/Debug.h"
#include "platform/ui/Form.h"

using namespace ksx;

namespace {

// Four decimal numbers of 0 to 255 joined by dots, nothing else.
bool IsIPv4Text(const std::string& text) {
    int parts = 0;
    size_t i = 0;
    while (i <= text.size()) {
        size_t digits = 0;
        int value = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 4) {
            value = value * 10 + (text[i] - '0');
            ++digits;
            ++i;
        }
        if (digits == 0 || digits > 3 || value > 255) {
            return false;
        }
        ++parts;
        if (i == text.size()) {
            break;
        }
        if (text[i] != '.') {
            return false;
        }
        ++i;
    }
    return parts == 4;
}

constexpr char kUnitSeparator = '\x1f';

}  // namespace

CStdMibTable::CStdMibTable(Layout layout, std::vector<ListColumn> columns, QWidget* parent)
    : CTableDialog(layout.templateId, Tagged(std::move(columns), layout.wholeReplies), parent),
      m_layout(std::move(layout)) {
    SetReadFailedText(m_layout.failed);
    OnCommand(m_layout.refreshId, [this] {
        ClearCount();
        m_ahead.clear();
        Refresh();
    });
    OnCommand(IDCANCEL, [this] { EndDialog(m_layout.closeResult); });
}

CStdMibTable::~CStdMibTable() = default;

// Tags: 'v' the value of this row, 'n' no value, 'a' a value of the later row whose index follows
// (then the unit separator, then the value).
std::vector<ListColumn> CStdMibTable::Tagged(std::vector<ListColumn> columns, bool wholeReplies) {
    for (ListColumn& column : columns) {
        if (column.oid.empty()) {
            continue;
        }
        ListColumn::Format format = std::move(column.format);
        column.format = [format, wholeReplies](const WalkStep& step, int binding) -> std::string {
            if (wholeReplies && step.Count() < step.Columns()) {
                step.Reject();
            }
            if (!step.Has(binding)) {
                return "n";
            }
            std::string value = format ? format(step, binding) : step.Text(binding);
            if (binding == 0) {
                return "v" + value;
            }
            const std::string index = step.Index(binding);
            if (index == step.Index(0)) {
                return "v" + value;
            }
            // Out of its column (empty index): no value for any row.
            return index.empty() ? std::string("n") : "a" + index + kUnitSeparator + value;
        };
    }
    return columns;
}

std::string CStdMibTable::Number(const WalkStep& step, int binding) {
    const std::optional<long long> value = step.Integer(binding);
    return value ? std::to_string(*value) : std::string();
}

std::string CStdMibTable::Address(const WalkStep& step, int binding) {
    const std::optional<std::string> address = step.Dotted(binding);
    return address && IsIPv4Text(*address) ? *address : std::string();
}

void CStdMibTable::CreateControls() {
    ui::Form form(*this);
    auto group = form.Group(m_layout.group);
    group.Fill(MakeList(m_layout.listId));
    if (m_layout.countId != 0) {
        group.Row({"Entries:", group.Label("", m_layout.countId), ui::Form::Stretch});
    }
    form.Buttons({{m_layout.refreshId, "&Refresh"}, {IDCANCEL, "&Close"}}, m_layout.refreshId);
    SetBusyControls({m_layout.refreshId});
}

int CStdMibTable::OnInitDialog() {
    SetTopmost(true);
    SetIcon(QApplication::windowIcon());
    SetWindowText(Caption());
    ClearCount();
    const int result = CTableDialog::OnInitDialog();
    // Full-row selection without grid lines, as these lists have always looked.
    List()->SetExtendedStyle(List()->GetExtendedStyle() & ~LVS_EX_GRIDLINES);
    return result;
}

void CStdMibTable::ShowCount() {
    if (m_layout.countId != 0) {
        SetDlgItemText(m_layout.countId, std::to_string(List()->GetItemCount()));
    }
}

void CStdMibTable::ClearCount() {
    if (m_layout.countId != 0) {
        SetDlgItemText(m_layout.countId, std::string());
    }
}

void CStdMibTable::OnRow(const TableRow& tagged) {
    TableRow row;
    row.index = tagged.index;
    for (size_t c = 0; c < tagged.cells.size(); ++c) {
        const std::string& cell = tagged.cells[c];
        if (Columns()[c].oid.empty() || (!cell.empty() && cell[0] == 'v')) {
            row.cells.push_back(Columns()[c].oid.empty() ? cell : cell.substr(1));
            continue;
        }
        if (!cell.empty() && cell[0] == 'a') {
            const size_t separator = cell.find(kUnitSeparator);
            m_ahead[{c, cell.substr(1, separator - 1)}] = cell.substr(separator + 1);
        }
        const auto earlier = m_ahead.find({c, row.index});
        if (earlier != m_ahead.end()) {
            row.cells.push_back(std::move(earlier->second));
            m_ahead.erase(earlier);
        } else {
            row.cells.push_back(std::string());
        }
    }
    CTableDialog::OnRow(row);
}

// The count is the table's only after a walk that reached its end; a failed walk is said by the base.
void CStdMibTable::OnReadEnd(const WalkEnd& end) {
    if (end.Ok()) {
        ShowCount();
    }
}

int CStdMibTable::DestroyWindow() {
    TRACE("==================DestroyWindow===============");
    const int result = CTableDialog::DestroyWindow();
    TRACE("==================m_cCommonSNMP.Close===============");
    return result;
}
