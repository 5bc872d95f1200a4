// ARP spoofing prevention list.
#include "features/security/ARPSpoofSetting.h"

#include <QApplication>
#include <QLineEdit>

#include <algorithm>
#include <chrono>
#include <thread>

#include "controls/ListCtrlEx.h"
#include "core/RowCreate.h"
#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "core/Utils.h"
#include "features/common/AfterCloseRun.h"
#include "features/security/IMPFunclogic.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "res/ids_impb.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ui::RegisterFeature kRegister(IDM_ARP_SPOOFING, [] {
    CARPSpoofSetting dlg;
    dlg.DoModal();
});

// Widths are the pixels at the default font (the list grows them with the font and the texts).
struct Column {
    const char* heading;
    int width;
};
constexpr Column kColumns[] = {
    {"Index", 50}, {"Router/Gateway IP Address", 190}, {"Router/Gateway MAC Address", 195}, {"Ports", 150}};

// A row keyed by its index, the gateway address; a row whose index is no IPv4 address is skipped.
std::optional<arp::Entry> ParseRow(const WalkStep& step) {
    const std::string index = step.Index(0);
    const auto arcs = impb::Arcs(index);
    if (!arcs || arcs->size() != 4 ||
        std::any_of(arcs->begin(), arcs->end(), [](unsigned long a) { return a > 255; })) {
        return std::nullopt;
    }
    arp::Entry entry;
    entry.address = index;
    auto same = [&](int i) { return step.Has(i) && step.Index(i) == index; };
    if (same(1)) {
        if (const auto mac = step.Octets(1)) {
            entry.mac = impb::MacText(*mac);
        }
    }
    if (same(2)) {
        if (const auto bitmap = step.Octets(2)) {
            const int octets = std::min(static_cast<int>(bitmap->size()), 8);
            CUtils::BitmapToRangeText(reinterpret_cast<const unsigned char*>(bitmap->data()), octets, 1,
                                      g_nPortNum, &entry.ports);
        }
    }
    if (same(3)) {
        if (const auto status = step.Integer(3)) {
            entry.status = std::to_string(*status);
        }
    }
    return entry;
}

}  // namespace

CARPSpoofSetting::CARPSpoofSetting(QWidget* parent)
    : CDialog(IDD_ARP_SPOOF, parent),
      m_read(m_cCommonSNMPTable,
             {arp::kAddressColumn, arp::kMacColumn, arp::kPortsColumn, arp::kStatusColumn}, ParseRow) {
    OwnReader(m_read);
    OwnSession(m_cCommonSNMP);
    OwnSession(m_cCommonSNMPTable);
    m_read.onRow = [this](const arp::Entry& entry) { OnRow(entry); };
    m_read.onEnd = [this](const WalkEnd& end) { OnEnd(end); };
    OnCommand(IDC_ARPS_ADD, [this] { OnAdd(); });
    OnCommand(IDC_ARPS_DELETE, [this] { OnDelete(); });
    OnCommand(IDC_ARPS_REFRESH, [this] { Load(); });
    OnCommand(IDC_ARPS_CLOSE, [this] { OnCancel(); });
    ui::OnAfterCloseRunEnd(this, arp::kStatusColumn, [this] {
        if (isVisible()) {
            Load();
        }
    });
}

CARPSpoofSetting::~CARPSpoofSetting() = default;

void CARPSpoofSetting::CreateControls() {
    SetWindowText("ARP Spoofing Prevention Setting");
    ui::Form form(*this);
    m_list = form.Fill(RegisterControl(IDC_ARPS_LIST, new CListCtrlEx));
    auto* count = form.Edit(IDC_ARPS_COUNT);
    count->setReadOnly(true);
    count->setMaximumWidth(count->fontMetrics().horizontalAdvance("00000") + 16);
    form.Row({form.Label("Total Entries:", IDC_ARPS_TOTAL_LABEL), count, "( Note:64 Entries Maximum ) ",
              ui::Form::Stretch});
    form.Buttons({{IDC_ARPS_ADD, "&Add"},
                  {IDC_ARPS_DELETE, "&Delete"},
                  {IDC_ARPS_REFRESH, "&Refresh"},
                  {IDC_ARPS_CLOSE, "&Close"}});
}

int CARPSpoofSetting::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    for (int i = 0; i < 4; ++i) {
        m_list->InsertColumn(i, kColumns[i].heading, LVCFMT_CENTER, kColumns[i].width);
    }
    m_list->SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    Load();
    return 1;
}

void CARPSpoofSetting::Load() {
    for (int id : {IDC_ARPS_ADD, IDC_ARPS_DELETE, IDC_ARPS_REFRESH}) {
        EnableDlgItem(id, false);
    }
    m_list->DeleteAllItems();
    m_entries.clear();
    m_readOk = false;
    SetDlgItemText(IDC_ARPS_COUNT, "");  // a count only of a whole read
    m_read.Walk(OnArpWalk, this);
}

int CARPSpoofSetting::OnArpWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CARPSpoofSetting*>(userData)->m_read.Step(response, requestId, status);
}

void CARPSpoofSetting::OnRow(const arp::Entry& entry) {
    m_entries.push_back(entry);
    if (entry.status != "1") {
        return;  // only active rows are listed
    }
    const int n = m_list->GetItemCount();
    m_list->SetItemTextEx(n, 0, QString::number(n + 1));
    m_list->SetItemTextEx(n, 1, QString::fromStdString(entry.address));
    m_list->SetItemTextEx(n, 2, QString::fromStdString(entry.mac));
    m_list->SetItemTextEx(n, 3, QString::fromStdString(entry.ports));
}

void CARPSpoofSetting::OnEnd(const WalkEnd& end) {
    m_readOk = end.Ok();
    SetDlgItemText(IDC_ARPS_COUNT, m_readOk ? std::to_string(m_list->GetItemCount()) : std::string());
    // Add checks the limit and the duplicates against this read: only after a complete one.
    // An entry left half-made by a stopped add is removed after its dialog has gone: Add and Delete wait
    // for that, then the entries are read again.
    const bool removing = ui::AfterCloseRunWriting(arp::kStatusColumn);
    EnableDlgItem(IDC_ARPS_ADD, m_readOk && !removing);
    EnableDlgItem(IDC_ARPS_DELETE, !removing);
    EnableDlgItem(IDC_ARPS_REFRESH, true);
    if (!m_readOk) {
        AfxMessageBox("Failed to read the ARP spoofing prevention entries. Press Refresh to read them again.",
                      MB_OK);
    }
}

void CARPSpoofSetting::OnAdd() {
    if (!m_readOk) {
        return;
    }
    if (m_list->GetItemCount() >= arp::kMaxEntries) {
        AfxMessageBox("The Maximum of Entry is 64, can not add any more", MB_OK);
        return;
    }
    {
        CAddARPEntry dlg;
        dlg.SetKnownEntries(m_entries);
        dlg.DoModal();
    }
    Load();
}

void CARPSpoofSetting::OnDelete() {
    const int row = m_list->GetFirstSelectedItem();
    if (row < 0) {
        AfxMessageBox("Please select the entry you would be delete!", MB_OK);
        return;
    }
    const std::string index = "." + m_list->GetItemText(row, 1).toStdString();
    if (const SnmpAnswer answer = DeletePickedRow(StatusAccessOn(m_cCommonSNMP, arp::kStatusColumn + index));
        !answer.Accepted()) {
        AfxMessageBox(AnswerText(answer, {"it"}, "Failed to delete the entry: ", "deleted"),
                      MB_OK | MB_ICONERROR);
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    Load();
}

int CARPSpoofSetting::DestroyWindow() {
    TRACE("==================DestroyWindow===============");
    TRACE("==================m_cCommonSNMP.Close===============");
    TRACE("==================m_cCommonSNMPTable.Close===============");
    return CDialog::DestroyWindow();
}
