// RMON 1 interface counters view.
#include "features/monitoring/StatisticRmonInf.h"

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

const char* const kNames[CStatisticRmonInf::kCounters] = {"DropEvents",
                                                          "Octets",
                                                          "Pkts",
                                                          "BroadcastPkts",
                                                          "MulticastPkts",
                                                          "CRCAlignErrors",
                                                          "UndersizePkts",
                                                          "OversizePkts",
                                                          "Fragments",
                                                          "Jabbers",
                                                          "Collisions",
                                                          "Pkts64Octets",
                                                          "Pkts65to127Octets",
                                                          "Pkts128to255Octets",
                                                          "Pkts256to511Octets",
                                                          "Pkts512to1023Octets",
                                                          "Pkts1024to1518Octets"};

// An entry index as it may stand in an OID: a whole number 1..65535.
bool IsEntryIndex(const std::string& text) {
    if (text.empty() || text.size() > 5) {
        return false;
    }
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    const int value = std::stoi(text);
    return value >= 1 && value <= 65535;
}

}  // namespace

CStatisticRmonInf::CStatisticRmonInf(const CStatisticRmon1* source, int row, QWidget* parent)
    : CDialog(IDD_RMON1_INTERFACE, parent), m_pSource(source) {
    m_nSelected.fill(row);
    for (int k = 0; k < kCounters; ++k) {
        m_counters[static_cast<size_t>(k)] = std::make_unique<CDirectRead>(false);
        m_counters[static_cast<size_t>(k)]->onReply = [this, k](const DirectReply& r) {
            OnCounterReply(k, r);
            return false;
        };
        OnNotify(CBN_SELCHANGE, kRmonInfBoxes[k], [this] { RefreshCounters(true); });
    }
    OnCommand(IDC_RMONINF_REFRESH, [this] { RefreshCounters(true); });
}

CStatisticRmonInf::~CStatisticRmonInf() = default;

void CStatisticRmonInf::CreateControls() {
    ui::Form form(*this);
    auto rows = form.Group("");
    auto* grid = rows.Layout();
    grid->addWidget(rows.Label("Item#"), 0, 0);
    grid->addWidget(rows.Label("Parameter"), 0, 1);
    grid->addWidget(rows.Label("Data"), 0, 2);
    for (int k = 0; k < kCounters; ++k) {
        auto* box = rows.Combo(kRmonInfBoxes[k], k == 0);
        box->setMinimumContentsLength(6);
        auto* value = rows.Label("", IDC_RMONINF_VALUE1 + k);
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance("18446744073709551615") * 5 / 4);
        value->setFrameShape(QFrame::StyledPanel);
        grid->addWidget(box, k + 1, 0);
        grid->addWidget(rows.Label(kNames[k]), k + 1, 1);
        grid->addWidget(value, k + 1, 2);
    }
    form.Buttons({{IDC_RMONINF_REFRESH, "Refresh"}, {IDCANCEL, "Close"}});
}

int CStatisticRmonInf::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    const std::vector<std::string> none;
    const auto& indexes = m_pSource != nullptr ? m_pSource->IndexList() : none;
    for (int k = 0; k < kCounters; ++k) {
        auto* box = Item<QComboBox>(kRmonInfBoxes[k]);
        for (const std::string& index : indexes) {
            box->addItem(QString::fromStdString(index));
        }
        box->setCurrentIndex(
            m_nSelected[static_cast<size_t>(k)] < box->count() ? m_nSelected[static_cast<size_t>(k)] : -1);
    }
    SetWindowText("RMON 1 Interface Information");
    RefreshCounters();
    SetTimer(IDT_RMONINF_POLL, kPollMs);
    return 1;
}

int CStatisticRmonInf::DestroyWindow() {
    const int result = CDialog::DestroyWindow();  // stops the timer; nothing is delivered any more
    for (auto& counter : m_counters) {
        counter->Release();
    }
    return result;
}

void CStatisticRmonInf::OnTimer(unsigned id) {
    (void)id;
    RefreshCounters();
}

int CStatisticRmonInf::PendingCounters() const {
    int n = 0;
    for (const auto& counter : m_counters) {
        n += counter->Pending() ? 1 : 0;
    }
    return n;
}

void CStatisticRmonInf::RefreshCounters(bool restart) {
    for (int k = 0; k < kCounters; ++k) {
        auto* box = Item<QComboBox>(kRmonInfBoxes[k]);
        m_nSelected[static_cast<size_t>(k)] = box->currentIndex();
        auto& counter = *m_counters[static_cast<size_t>(k)];
        // The box's text goes into the OID: only an entry index (a typed text may be anything).
        const std::string index = GetDlgItemText(kRmonInfBoxes[k]);
        if (!IsEntryIndex(index)) {
            if (restart) {
                counter.Cancel();
            }
            continue;
        }
        const std::vector<std::string> oid = {std::string(CStatisticRmon1::kEntry) + "." +
                                              std::to_string(k + 3) + "." + index};
        if (restart) {
            counter.Restart(oid);
        } else if (!counter.Pending()) {
            counter.Start(oid);  // a poll asks again only once the last request ended
        }
    }
}

void CStatisticRmonInf::OnCounterReply(int counter, const DirectReply& reply) {
    // A failed read (time-out, error, exception value, a value that is no count) leaves the last value
    // in place.
    if (!reply.Accepted() || !reply.Has(0) || !IsCount(reply.bindings[0].type)) {
        return;
    }
    SetDlgItemText(IDC_RMONINF_VALUE1 + counter, reply.Text(0));
}
