// RMON 1 group parameter view.
#include "features/monitoring/StatisticRmonCnt.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

#include "features/monitoring/StatisticRmon1.h"
#include "platform/ui/Form.h"
#include "res/ids_rmon1.h"

using namespace ksx;

namespace {

// The counters' types: anything else is not read.
bool IsCount(int type) {
    return type == SNMP_REPLY_COUNTER || type == SNMP_REPLY_COUNTER64 || type == SNMP_REPLY_GAUGE ||
           type == SNMP_REPLY_UNSIGNED || type == SNMP_REPLY_TIMETICKS;
}

struct Parameter {
    const char* text;
    int column;
};
const Parameter kParameters[15] = {
    {"Octects", 4},
    {"Packets", 5},
    {"BroadcastPkts", 6},
    {"MulticastPkts", 7},
    {"CRCAlignErrors", 8},
    {"UndersizePkts", 9},
    {"OversizePkts", 10},
    {"Fragments", 11},
    {"Collisions", 13},
    {"Pkts64Octets", 14},
    {"Pkts65to127Octets", 15},
    {"Pkts128to255Octets", 16},
    {"Pkts256to511Octets", 17},
    {"Pkts512to1023Octets", 18},
    {"Pkts1024to1518Octets", 19},
};

}  // namespace

CStatisticRmonCnt::CStatisticRmonCnt(const CStatisticRmon1* source, int currentGroup, int groupCount,
                                     QWidget* parent)
    : CDialog(IDD_RMON1_PARAMETER, parent),
      m_pSource(source),
      m_nCurrentGroup(currentGroup),
      m_nGroupCount(groupCount) {
    for (int k = 0; k < kItems; ++k) {
        m_items[static_cast<size_t>(k)] = std::make_unique<CDirectRead>(false);
        m_items[static_cast<size_t>(k)]->onReply = [this, k](const DirectReply& r) {
            OnItemReply(k, r);
            return false;
        };
    }
    OnCommand(IDC_RMONCNT_REFRESH, [this] { RefreshItems(true); });
    OnNotify(CBN_SELCHANGE, IDC_RMONCNT_PARAMETER, [this] { RefreshItems(true); });
    OnCommand(IDC_RMONCNT_NEXT, [this] { OnNextGroup(); });
    OnCommand(IDC_RMONCNT_PREV, [this] { OnPrevGroup(); });
}

CStatisticRmonCnt::~CStatisticRmonCnt() = default;

int CStatisticRmonCnt::ParameterColumn(int position) {
    return position >= 0 && position < 15 ? kParameters[position].column : 0;
}

void CStatisticRmonCnt::CreateControls() {
    ui::Form form(*this);
    auto top = form.Group("");
    auto* box = top.Combo(IDC_RMONCNT_PARAMETER);
    for (const Parameter& p : kParameters) {
        box->addItem(p.text);
    }
    top.Row({"Parameter:", box, ui::Form::Stretch});
    auto items = form.Group("");
    auto* grid = items.Layout();
    for (int c = 0; c < 3; ++c) {
        grid->addWidget(items.Label("Item#"), 0, c * 2);
        grid->addWidget(items.Label("Data"), 0, c * 2 + 1);
    }
    for (int k = 0; k < kItems; ++k) {
        auto* label = items.Label("Item ", IDC_RMONCNT_LABEL1 + k);
        auto* value = items.Label("", IDC_RMONCNT_VALUE1 + k);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance("Item 0000"));
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance("4294967295") * 3 / 2);
        value->setFrameShape(QFrame::StyledPanel);
        grid->addWidget(label, 1 + k % 8, (k / 8) * 2);
        grid->addWidget(value, 1 + k % 8, (k / 8) * 2 + 1);
    }
    form.Buttons({{IDC_RMONCNT_PREV, "Prev Group"},
                  {IDC_RMONCNT_NEXT, "Next Group"},
                  {IDC_RMONCNT_REFRESH, "Refresh"},
                  {IDCANCEL, "Close"}});
}

int CStatisticRmonCnt::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    SetWindowText("RMON 1 Parameter Information");
    if (m_nGroupCount <= 1) {
        EnableDlgItem(IDC_RMONCNT_NEXT, false);
        EnableDlgItem(IDC_RMONCNT_PREV, false);
    }
    LabelItems();
    Item<QComboBox>(IDC_RMONCNT_PARAMETER)->setCurrentIndex(0);
    RefreshItems();
    SetTimer(IDT_RMONCNT_POLL, kPollMs);
    return 1;
}

int CStatisticRmonCnt::DestroyWindow() {
    const int result = CDialog::DestroyWindow();  // stops the timer; nothing is delivered any more
    for (auto& item : m_items) {
        item->Release();
    }
    return result;
}

void CStatisticRmonCnt::OnTimer(unsigned id) {
    (void)id;
    RefreshItems();
}

int CStatisticRmonCnt::PendingItems() const {
    int n = 0;
    for (const auto& item : m_items) {
        n += item->Pending() ? 1 : 0;
    }
    return n;
}

void CStatisticRmonCnt::LabelItems() {
    for (int k = 1; k <= kItems; ++k) {
        const int row = (m_nCurrentGroup - 1) * kItems + k - 1;
        std::string label = "Item ";
        if (m_pSource != nullptr && row >= 0 && row < m_pSource->ListRows()) {
            label += m_pSource->ListIndexText(row).substr(0, 3);
        }
        SetDlgItemText(IDC_RMONCNT_LABEL1 + k - 1, label);
    }
}

void CStatisticRmonCnt::RefreshItems(bool restart) {
    auto* box = Item<QComboBox>(IDC_RMONCNT_PARAMETER);
    const int position = box->findText(box->currentText(), Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (position < 0) {
        AfxMessageBox("Please input parameter!");
        return;
    }
    if (m_pSource == nullptr) {
        return;
    }
    const int count = m_pSource->EntryCount();
    const int n = m_nCurrentGroup == m_nGroupCount ? kItems - (m_nCurrentGroup * kItems - count) : kItems;
    const auto& indexes = m_pSource->IndexList();
    for (int k = 0; k < kItems; ++k) {
        const int at = (m_nCurrentGroup - 1) * kItems + k;
        // Items past the group's entries, or without an entry behind them (an empty list), ask nothing.
        if (k >= n || at < 0 || at >= static_cast<int>(indexes.size())) {
            if (restart) {
                m_items[static_cast<size_t>(k)]->Cancel();
            }
            continue;
        }
        // A poll asks an item again only once its last request ended; a new choice (group, counter,
        // Refresh) drops the request still out, whose answer would belong to the old choice.
        auto& item = *m_items[static_cast<size_t>(k)];
        const std::vector<std::string> oid = {std::string(CStatisticRmon1::kEntry) + "." +
                                              std::to_string(ParameterColumn(position)) + "." +
                                              indexes[static_cast<size_t>(at)]};
        if (restart) {
            item.Restart(oid);
        } else if (!item.Pending()) {
            item.Start(oid);
        }
    }
}

void CStatisticRmonCnt::OnItemReply(int item, const DirectReply& reply) {
    // A failed read (time-out, error, exception value, a value that is no count) leaves the last value
    // in place.
    if (!reply.Accepted() || !reply.Has(0) || !IsCount(reply.bindings[0].type)) {
        return;
    }
    SetDlgItemText(IDC_RMONCNT_VALUE1 + item, reply.Text(0));
}

void CStatisticRmonCnt::OnNextGroup() {
    ++m_nCurrentGroup;
    if (m_nCurrentGroup > m_nGroupCount) {
        m_nCurrentGroup = 1;
        EnableAllItems();
    }
    LabelItems();
    BlankUnusedItems();
    RefreshItems(true);
}

void CStatisticRmonCnt::OnPrevGroup() {
    --m_nCurrentGroup;
    if (m_nCurrentGroup == 0) {
        m_nCurrentGroup = m_nGroupCount;
    }
    if (m_nGroupCount == m_nCurrentGroup + 1) {
        EnableAllItems();
    }
    LabelItems();
    BlankUnusedItems();
    RefreshItems(true);
}

void CStatisticRmonCnt::BlankUnusedItems() {
    if (m_nCurrentGroup < m_nGroupCount || m_pSource == nullptr) {
        return;
    }
    const int d = m_nCurrentGroup * kItems - m_pSource->EntryCount();
    for (int k = kItems; k >= 25 - d && k >= 1; --k) {
        SetDlgItemText(IDC_RMONCNT_VALUE1 + k - 1, "");
        EnableDlgItem(IDC_RMONCNT_VALUE1 + k - 1, false);
        EnableDlgItem(IDC_RMONCNT_LABEL1 + k - 1, false);
    }
}

void CStatisticRmonCnt::EnableAllItems() {
    for (int k = 0; k < kItems; ++k) {
        EnableDlgItem(IDC_RMONCNT_VALUE1 + k, true);
        EnableDlgItem(IDC_RMONCNT_LABEL1 + k, true);
    }
}
