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

}  // namespace

CStdMibTable::CStdMibTable(Layout layout, std::vector<ListColumn> columns, QWidget* parent)
    : CTableDialog(layout.templateId, std::move(columns), parent), m_layout(std::move(layout)) {
    SetReadFailedText(m_layout.failed);
    OnCommand(m_layout.refreshId, [this] {
        ClearCount();
        Refresh();
    });
    OnCommand(IDCANCEL, [this] { EndDialog(m_layout.closeResult); });
}

CStdMibTable::~CStdMibTable() = default;

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
