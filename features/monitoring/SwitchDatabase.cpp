// Forwarding table view.
#include "features/monitoring/SwitchDatabase.h"

#include <QApplication>
#include <QHeaderView>
#include <algorithm>
#include <cstdio>

#include "controls/ListCtrl.h"
#include "features/monitoring/StdMibTable.h"
#include "platform/sys/Debug.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "platform/ui/Text.h"
#include "res/ids_stdmib.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_FORWARDING_TABLE, [] {
    CSwitchDatabase dlg;
    dlg.DoModal();
});

// Columns: heading, width at the default font.
struct FdbColumn {
    const char* heading;
    int width;
};
constexpr FdbColumn kColumns[] = {
    {"ID ", 80},
    {"Port", 100},
    {" MAC Address ", 210},
    {" Status ", 117},
};

// Posted by the walk's worker: entries are waiting.
constexpr unsigned kEntriesArrived = WM_APP + 1120;

}  // namespace

CSwitchDatabase::CSwitchDatabase(QWidget* parent)
    : CDialog(IDD_FORWARDING_TABLE, parent),
      m_walk(m_cCommonSNMP, {kDot1qTpFdbStatus, kDot1qTpFdbPort},
             [this](const WalkStep& step) -> std::optional<Step> {
                 Step entry;
                 entry.index = step.Index(0);
                 entry.mac = MacOfIndex(entry.index);
                 const std::optional<long long> status = step.Integer(0);
                 entry.status = status ? StatusText(std::to_string(*status)) : std::string();
                 if (step.Has(1)) {
                     entry.portIndex = step.Index(1);
                     entry.port = CStdMibTable::Number(step, 1);
                 }
                 bool post = false;
                 {
                     std::lock_guard<std::mutex> lock(m_pendingLock);
                     m_pending.push_back(std::move(entry));
                     post = !m_drainPosted;
                     m_drainPosted = true;
                 }
                 if (post) {
                     PostMessage(kEntriesArrived);
                 }
                 return std::nullopt;  // kept above, not delivered one by one
             }),
      m_agingRead(
          m_cCommonSNMPGetTime, {kDot1dTpAgingTime},
          [](const WalkStep& step) -> std::optional<std::optional<long long>> { return step.Integer(0); }) {
    OwnReader(m_walk);
    OwnReader(m_agingRead);
    OwnSession(m_cCommonSNMP);
    OwnSession(m_cCommonSNMPGetTime);
    OnMessage(kEntriesArrived, [this](WPARAM, LPARAM) -> LRESULT {
        OnEntriesArrived();
        return 0;
    });
    m_walk.onEnd = [this](const WalkEnd& end) {
        OnEntriesArrived();
        EnableDlgItem(IDC_FDB_REFRESH, true);
        m_walkFailed = end.Failed();
        SayFailedReads();
    };
    // A failed read, or a value that is not a number, leaves the aging time as it was.
    m_agingRead.onRow = [this](const std::optional<long long>& seconds) {
        if (seconds) {
            SetDlgItemText(IDC_FDB_AGING, std::to_string(*seconds));
        } else {
            m_agingFailed = true;
        }
    };
    m_agingRead.onEnd = [this](const WalkEnd& end) {
        m_agingFailed = m_agingFailed || end.Failed();
        SayFailedReads();
    };
    OnCommand(IDC_FDB_REFRESH, [this] { OnRefresh(); });
    OnCommand(IDC_FDB_NEXT, [this] { OnNext(); });
    OnCommand(IDC_FDB_BACK, [this] { OnBack(); });
    OnCommand(IDC_FDB_CLOSE, [this] { EndDialog(IDOK); });
}

CSwitchDatabase::~CSwitchDatabase() = default;

void CSwitchDatabase::CreateControls() {
    ui::Form form(*this);
    m_list = form.Fill(RegisterControl(IDC_FDB_LIST, new CListCtrl));
    form.Row({"Age Time", form.Label("", IDC_FDB_AGING), "Seconds", ui::Form::Stretch});
    form.Buttons({{IDC_FDB_REFRESH, "&Refresh"},
                  {IDC_FDB_NEXT, "&Next"},
                  {IDC_FDB_BACK, "&Back"},
                  {IDC_FDB_CLOSE, "Close"}},
                 IDC_FDB_REFRESH);
}

int CSwitchDatabase::OnInitDialog() {
    SetIcon(QApplication::windowIcon());
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetWindowText("Forwarding Table");
    m_list->SetHeaderButtons(false);
    m_list->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->ModifyListStyle(0, LVS_SINGLESEL);
    for (int c = 0; c < static_cast<int>(std::size(kColumns)); ++c) {
        m_list->InsertColumn(c, ui::ToQ(kColumns[c].heading), LVCFMT_CENTER, kColumns[c].width);
    }
    m_list->SetExtendedStyle(m_list->GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    m_list->setMinimumHeight(12 * m_list->fontMetrics().height());
    EnableDlgItem(IDC_FDB_REFRESH, false);
    SetFocusTo(IDC_FDB_REFRESH);
    StartWalk();
    ReadAgingTime();
    return 1;
}

void CSwitchDatabase::OnRefresh() {
    StartWalk();
    ReadAgingTime();
}

void CSwitchDatabase::SayFailedReads() {
    if (m_walk.Running() || m_agingRead.Running()) {
        return;  // said once, when both reads ended
    }
    std::string failed;
    if (m_walkFailed) {
        failed = "the forwarding table";
    }
    if (m_agingFailed) {
        failed += failed.empty() ? "the aging time" : " and the aging time";
    }
    m_walkFailed = false;
    m_agingFailed = false;
    if (!failed.empty()) {
        AfxMessageBox("Failed to read " + failed + ".", MB_OK);
    }
}

void CSwitchDatabase::StartWalk() {
    // The running walk ends first (opening its session joins the worker), so nothing more is added to
    // the old copy; then the old copy goes, before the new walk starts.
    m_walk.Detach();
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_GETNEXT);
    {
        std::lock_guard<std::mutex> lock(m_pendingLock);
        std::vector<Step>().swap(m_pending);
        m_drainPosted = false;
    }
    std::vector<FWD_TABLE>().swap(m_entries);
    m_portsAhead.clear();
    m_walkFailed = false;
    m_list->DeleteAllItems();
    m_list->repaint();
    EnableDlgItem(IDC_FDB_REFRESH, false);
    EnableDlgItem(IDC_FDB_NEXT, false);
    EnableDlgItem(IDC_FDB_BACK, false);
    m_walk.Walk(&CSwitchDatabase::OnWalkStep, this);
}

int CSwitchDatabase::OnWalkStep(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CSwitchDatabase*>(userData)->m_walk.Step(response, requestId, status);
}

void CSwitchDatabase::ReadAgingTime() {
    m_agingFailed = false;
    m_agingRead.Read();
}

void CSwitchDatabase::OnEntriesArrived() {
    std::vector<Step> batch;
    {
        std::lock_guard<std::mutex> lock(m_pendingLock);
        batch.swap(m_pending);
        m_drainPosted = false;
    }
    if (batch.empty()) {
        return;
    }
    for (const Step& step : batch) {
        OnEntry(step);
    }
    // The last entry lies beyond the page shown: there is a page to go to.
    if (m_entries.back().id > FirstShownId() + kPageRows - 1) {
        EnableDlgItem(IDC_FDB_NEXT, true);
        EnableDlgItem(IDC_FDB_REFRESH, true);
    }
}

void CSwitchDatabase::OnEntry(const Step& step) {
    FWD_TABLE entry;
    entry.id = static_cast<int>(m_entries.size()) + 1;
    entry.mac = step.mac;
    entry.status = step.status;
    // A port of this entry's own index; else one that came ahead with an earlier entry.
    if (!step.portIndex.empty() && step.portIndex != step.index) {
        m_portsAhead[step.portIndex] = step.port;
    }
    if (step.portIndex == step.index) {
        entry.port = step.port;
    } else if (const auto ahead = m_portsAhead.find(step.index); ahead != m_portsAhead.end()) {
        entry.port = std::move(ahead->second);
        m_portsAhead.erase(ahead);
    }
    m_entries.push_back(std::move(entry));
    if (m_list->GetItemCount() < kPageRows) {
        AddRow(m_entries.back());
    }
}

void CSwitchDatabase::AddRow(const FWD_TABLE& entry) {
    const int row = m_list->InsertItem(m_list->GetItemCount(), QString::number(entry.id));
    m_list->SetItemText(row, 1, ui::ToQ(entry.port));
    m_list->SetItemText(row, 2, ui::ToQ(entry.mac));
    m_list->SetItemText(row, 3, ui::ToQ(entry.status));
}

int CSwitchDatabase::FirstShownId() const {
    return m_list->GetItemCount() > 0 ? m_list->GetItemText(0, 0).toInt() : 0;
}

void CSwitchDatabase::ShowRange(int from, int to) {
    const int count = static_cast<int>(m_entries.size());
    if (from < 1 || count < from) {
        return;
    }
    m_list->setUpdatesEnabled(false);
    m_list->DeleteAllItems();
    for (int id = from; id <= std::min(to, count); ++id) {
        AddRow(m_entries[static_cast<size_t>(id - 1)]);
    }
    m_list->setUpdatesEnabled(true);
}

void CSwitchDatabase::UpdatePaging(int from, int to) {
    EnableDlgItem(IDC_FDB_NEXT, static_cast<int>(m_entries.size()) > to);
    EnableDlgItem(IDC_FDB_BACK, from > 1);
}

void CSwitchDatabase::OnNext() {
    const int first = FirstShownId();
    if (first < 1) {
        return;
    }
    const int count = static_cast<int>(m_entries.size());
    const int from = first + kPageRows;
    const int to = first + 2 * kPageRows - 1 < count ? first + 2 * kPageRows - 1 : count;
    ShowRange(from, to);
    EnableDlgItem(IDC_FDB_BACK, true);
    UpdatePaging(from, to);
}

void CSwitchDatabase::OnBack() {
    const int first = FirstShownId();
    if (first <= kPageRows) {
        return;
    }
    const int from = first - kPageRows;
    const int to = first - 1;
    ShowRange(from, to);
    UpdatePaging(from, to);
}

std::string CSwitchDatabase::StatusText(const std::string& value) {
    static const char* const kNames[] = {"Other", "Invalid", "Learn", "Own", "Static"};
    if (!value.empty() && value[0] >= '1' && value[0] <= '5') {
        return kNames[value[0] - '1'];
    }
    return value;
}

std::string CSwitchDatabase::MacOfIndex(const std::string& index) {
    // The filtering-database id, then exactly six octets.
    std::vector<unsigned long> numbers;
    size_t start = 0;
    while (start <= index.size()) {
        const size_t dot = std::min(index.find('.', start), index.size());
        const std::string part = index.substr(start, dot - start);
        if (part.empty() || part.size() > 10 || part.find_first_not_of("0123456789") != std::string::npos) {
            return std::string();
        }
        numbers.push_back(std::stoul(part));
        start = dot + 1;
    }
    if (numbers.size() != 7) {
        return std::string();
    }
    std::string mac;
    for (size_t i = 1; i < numbers.size(); ++i) {
        if (numbers[i] > 255) {
            return std::string();
        }
        char octet[4];
        std::snprintf(octet, sizeof octet, "%02lX", numbers[i]);
        mac += (i > 1 ? "-" : "") + std::string(octet);
    }
    return mac;
}

int CSwitchDatabase::DestroyWindow() {
    TRACE("==================DestroyWindow===============");
    m_walk.Close();
    TRACE("==================m_cCommonSNMP.Close===============");
    m_agingRead.Close();
    TRACE("==================m_cCommonSNMPGetTime.Close===============");
    return CDialog::DestroyWindow();
}
