// RMON history control dialog.
#include "features/monitoring/RMONHistoryControl.h"

#include <QLineEdit>

#include <algorithm>

#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Text.h"
#include "res/ids_rmon.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ui::RegisterFeature kRegister(IDM_RMON_HISTORY, [] {
    CRMONHistoryControl dlg;
    dlg.DoModal();
});

}  // namespace

CRMONHistoryControl::CRMONHistoryControl(QWidget* parent)
    : CRmonTableDialog(IDD_RMON_HISTORY, IDC_RMONH_LIST, IDC_RMONH_APPLY, parent) {}

CRMONHistoryControl::~CRMONHistoryControl() = default;

void CRMONHistoryControl::CreateControls() {
    ui::Form form(*this);
    ui::Form settings = form.Group("History Control Settings");
    GridField(settings, 0, 0, "Index (1 ~65535)", settings.Edit(IDC_RMONH_INDEX), true);
    GridField(settings, 0, 1, "Port", settings.Edit(IDC_RMONH_PORT), true);
    GridField(settings, 1, 0, "Buckets Requested\n(1 ~ 50)", settings.Edit(IDC_RMONH_BUCKETS), true);
    GridField(settings, 1, 1, "Interval (1~3600 secs)", settings.Edit(IDC_RMONH_INTERVAL), true);
    GridField(settings, 2, 0, "Owner", settings.Edit(IDC_RMONH_OWNER), false)->setMaxLength(32);
    ApplyButton(settings, IDC_RMONH_APPLY);
    ui::Form table = form.Group("History Control Configuration");
    MakeList(table);
    form.Buttons({{IDC_RMONH_REFRESH, "Refresh"}, {IDC_RMONH_CLOSE, "Close"}});

    SetBusyControls({IDC_RMONH_PORT, IDC_RMONH_OWNER, IDC_RMONH_INTERVAL, IDC_RMONH_INDEX, IDC_RMONH_BUCKETS,
                     IDC_RMONH_REFRESH, IDC_RMONH_CLOSE, IDC_RMONH_APPLY});
    WireTable(
        IDC_RMONH_APPLY, IDC_RMONH_REFRESH, IDC_RMONH_CLOSE, [this] { Apply(); },
        [this](int row) { Delete(row); }, [this](WPARAM) { Fill(); });
}

int CRMONHistoryControl::OnInitDialog() {
    InitDialog("RMON History Control Configuration");
    const char* headings[] = {"Index", "Port", "Buckets Requested", "Buckets Granted", "Interval",
                              "Owner", ""};
    for (int c = 0; c < 7; ++c) {
        m_list->InsertColumn(c, headings[c], LVCFMT_LEFT);
    }
    // The bucket counts and the interval as wide as their headings need; index, port and owner share
    // the rest of the list's width.
    m_list->SetColumnSample(2, "Buckets Requested ", 10);
    m_list->SetColumnSample(3, "Buckets Granted ", 10);
    m_list->SetColumnSample(4, "Interval ", 10);
    for (int c : {0, 1, 5}) {
        m_list->SetColumnFill(c, 20);
    }
    Relayout();
    ResetForm();
    ReadTable();
    return 1;
}

void CRMONHistoryControl::StartRead() {
    m_rmon.StartHistoryControlWalk();
}

void CRMONHistoryControl::ResetForm() {
    SetDlgItemText(IDC_RMONH_INDEX, "");
    SetDlgItemText(IDC_RMONH_PORT, "");
    SetDlgItemText(IDC_RMONH_BUCKETS, "50");
    SetDlgItemText(IDC_RMONH_INTERVAL, "1800");
    SetDlgItemText(IDC_RMONH_OWNER, "");
}

void CRMONHistoryControl::Fill() {
    ClearList();
    m_arrIndexList.clear();
    for (const RMON_history_control_configuration& h : m_rmon.m_lstHistoryControl) {
        // A row whose status did not read is shown; a cell that did not read is empty.
        if (h.Has(5) ? h.status != 1 : !h.Has(0)) {
            continue;
        }
        const auto number = [&h](int position, int value) {
            return h.Has(position) ? std::to_string(value) : std::string();
        };
        AppendRow({std::to_string(h.index), h.Has(1) && h.port > 0 ? std::to_string(h.port) : std::string(),
                   number(2, h.buckets_requested), number(6, h.buckets_granted), number(3, h.interval),
                   h.Has(4) ? h.owner : std::string()});
        m_arrIndexList.push_back(h.index);
    }
    FillEnded(m_rmon.TableWasRead(CRMON::kHistoryControl), "Failed to read the RMON history control table.");
}

void CRMONHistoryControl::Apply() {
    const long long index = FieldNumber(IDC_RMONH_INDEX);
    if (index < 1 || index > 65535) {
        return Tell("Index must be between 1 and 65535!");
    }
    if (std::find(m_arrIndexList.begin(), m_arrIndexList.end(), index) != m_arrIndexList.end()) {
        return Tell("Index had already exits!");
    }
    const long long port = FieldNumber(IDC_RMONH_PORT);
    if (port < 1 || port > g_nPortNum) {
        return Tell("Port number must be between 1 and " + std::to_string(g_nPortNum) + "!");
    }
    const long long buckets = FieldNumber(IDC_RMONH_BUCKETS);
    if (buckets < 1 || buckets > 50) {
        return Tell("Buckets requested must be between 1 and 50!");
    }
    const long long interval = FieldNumber(IDC_RMONH_INTERVAL);
    if (interval < 1 || interval > 3600) {
        return Tell("Interval must be between 1 and 3600!");
    }
    RMON_history_control_configuration entry;
    entry.index = static_cast<int>(index);
    entry.port = static_cast<int>(port);
    entry.buckets_requested = static_cast<int>(buckets);
    entry.interval = static_cast<int>(interval);
    entry.owner = GetDlgItemText(IDC_RMONH_OWNER);
    RunCreate(
        "history control entry " + std::to_string(entry.index),
        [this, entry] { return m_rmon.SetHistoryControlEntry(entry); },
        [this] {
            ResetForm();
            ReadTable();
        });
}

void CRMONHistoryControl::Delete(int row) {
    if (Busy() || row < 0 || row >= m_list->GetItemCount()) {
        return;
    }
    const int index = static_cast<int>(LeadingNumber(ui::ToStd(m_list->GetItemText(row, 0))));
    m_list->SetCheck(row, ButtonColumn(), 0);
    if (!m_rmon.DeleteHistoryControlEntry(index)) {
        Tell(m_rmon.LastError());
    }
    ReadTable();
}
