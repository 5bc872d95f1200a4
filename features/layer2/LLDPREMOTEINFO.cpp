// LLDP remote neighbour dialog.
#include "features/layer2/LLDPREMOTEINFO.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>
#include <memory>

#include "controls/ListCtrlEx.h"
#include "core/SnmpReply.h"
#include "features/layer2/LLDPText.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_lldp.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_LLDP_REMOTE, [] {
    CLLDPREMOTEINFO dlg;
    dlg.DoModal();
});

// From the walk's worker to the dialog: wParam 0 a row, 1 the end of the walk, 2 an empty step.
constexpr unsigned WM_LLDP_REMOTE = WM_USER + 602;
constexpr WPARAM kRemoteRow = 0;
constexpr WPARAM kRemoteEnd = 1;
constexpr WPARAM kRemoteNone = 2;

std::string Blanked(const char* format, int n) {
    char text[32];
    std::snprintf(text, sizeof text, format, n);
    return text;
}

}  // namespace

CLLDPREMOTEINFO::CLLDPREMOTEINFO(QWidget* parent) : CDialog(IDD_LLDP_REMOTE, parent) {
    OwnSession(m_cCommonSNMPEnabled);  // closed when the window goes
    OwnSession(m_cCommonSNMP);
}

CLLDPREMOTEINFO::~CLLDPREMOTEINFO() = default;

void CLLDPREMOTEINFO::CreateControls() {
    SetWindowText("LLDP Remote Port Information");
    auto* outer = new QVBoxLayout(Client());
    auto* find = new QHBoxLayout;
    find->addWidget(RegisterControl(IDC_LLDPR_FIND_COMBO, new QComboBox));
    find->addWidget(RegisterControl(IDC_LLDPR_FIND, new QPushButton("&Find")));
    find->addStretch();
    outer->addLayout(find);
    m_list = RegisterControl(IDC_LLDPR_LIST, new CListCtrlEx);
    m_list->setMinimumSize(760, 260);
    outer->addWidget(m_list, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(RegisterControl(IDC_LLDPR_COUNT_LABEL, new QLabel("Remote Entities Count: ")));
    auto* count = RegisterControl(IDC_LLDPR_COUNT, new QLineEdit);
    count->setReadOnly(true);
    count->setMaximumWidth(80);
    bottom->addWidget(count);
    bottom->addStretch();
    bottom->addWidget(RegisterControl(IDC_LLDPR_REFRESH, new QPushButton("&Refresh")));
    bottom->addWidget(RegisterControl(IDC_LLDPR_CLOSE, new QPushButton("&Close")));
    outer->addLayout(bottom);

    OnCommand(IDC_LLDPR_REFRESH, [this] { OnRefresh(); });
    OnMessage(WM_LLDP_REMOTE, [this](WPARAM w, LPARAM l) { return OnRemoteResult(w, l); });
}

int CLLDPREMOTEINFO::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    // The template's find controls are kept hidden and do nothing.
    ShowDlgItem(IDC_LLDPR_FIND_COMBO, false);
    ShowDlgItem(IDC_LLDPR_FIND, false);
    m_list->SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    m_list->InsertColumn("Port", 0);
    m_list->InsertColumn("Entity", 1);
    m_list->InsertColumn("Chassis ID Subtype", 2);
    m_list->CListCtrl::InsertColumn(3, "Chassis ID", LVCFMT_CENTER, 150);
    m_list->InsertColumn("Port ID Subtype", 4);
    m_list->InsertColumn("Port ID", 5);
    m_list->CListCtrl::InsertColumn(6, "Port Description", LVCFMT_CENTER, 150);
    m_list->CListCtrl::InsertColumn(7, "System Name", LVCFMT_CENTER, 150);
    m_list->CListCtrl::InsertColumn(8, "System Description", LVCFMT_CENTER, 150);
    SetDlgItemText(IDC_LLDPR_COUNT, "0");
    LoadRemoteInfo();
    return 1;
}

void CLLDPREMOTEINFO::LoadRemoteInfo() {
    if (g_strSnmpVersion != "1") {
        return;
    }
    m_cCommonSNMPEnabled.Open(CCommonSNMP::REQUEST_GET);
    m_cCommonSNMPEnabled.AddVarBind(kStateOid, 4, nullptr);
    const SnmpReply reply = GetNextRequest(m_cCommonSNMPEnabled);
    if (!reply.Accepted()) {
        AfxMessageBox("Get LLDP remote port information unsuccessful!", MB_OK);
        return;
    }
    const bool enabled = reply.Value(0) != "2";
    EnableDlgItem(IDC_LLDPR_LIST, enabled);
    EnableDlgItem(IDC_LLDPR_REFRESH, enabled);
    StartRemoteWalk();
}

void CLLDPREMOTEINFO::StartRemoteWalk() {
    m_list->DeleteAllItems();
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_GETNEXT);
    for (int c = 4; c <= 10; ++c) {
        m_cCommonSNMP.AddVarBind(std::string(kRemoteEntry) + "." + std::to_string(c), 4, nullptr);
    }
    m_cCommonSNMP.StartAsyncWalk(OnRemoteWalk, this, 0);
    EnableDlgItem(IDC_LLDPR_REFRESH, false);
}

void CLLDPREMOTEINFO::OnRefresh() {
    SetDlgItemText(IDC_LLDPR_COUNT, "0");
    StartRemoteWalk();
}

std::string CLLDPREMOTEINFO::LocalPortOf(const std::string& instance) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= instance.size()) {
        const size_t dot = instance.find('.', start);
        const std::string part =
            instance.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        if (!part.empty()) {
            parts.push_back(part);
        }
        if (dot == std::string::npos) {
            break;
        }
        start = dot + 1;
    }
    return parts.size() >= 2 ? parts[parts.size() - 2] : std::string();
}

int CLLDPREMOTEINFO::OnRemoteWalk(CSnmp* response, int requestId, void* userData, int status) {
    auto* self = static_cast<CLLDPREMOTEINFO*>(userData);
    std::unique_ptr<CSnmp> owned(response);
    if (!self->m_cCommonSNMP.FindRequestID(requestId)) {
        return 0;
    }
    if (!ReplyAccepted(status, response)) {
        self->SendMessage(WM_LLDP_REMOTE, kRemoteEnd, 0);
        self->m_cCommonSNMP.SetDone();
        return 0;
    }
    const int count = response->getVarBindCount();
    if (count == 0) {
        self->SendMessage(WM_LLDP_REMOTE, kRemoteNone, 0);
        self->m_cCommonSNMP.SetDone();
        return 0;
    }
    RemoteRow row;
    for (int i = 0; i < count; ++i) {
        row.values.push_back(BindingValue(response, i));
        char* suffix = nullptr;
        if (self->m_cCommonSNMP.GetResponseOid(i, response, &suffix) == 0 && suffix != nullptr) {
            row.instance = suffix;
        }
    }
    self->SendMessage(WM_LLDP_REMOTE, kRemoteRow, reinterpret_cast<LPARAM>(&row));
    self->m_cCommonSNMP.StartAsyncWalk(OnRemoteWalk, self, 0);
    return 0;
}

LRESULT CLLDPREMOTEINFO::OnRemoteResult(WPARAM wParam, LPARAM lParam) {
    switch (wParam) {
        case kRemoteRow:
            if (lParam != 0) {
                AddRow(*reinterpret_cast<const RemoteRow*>(lParam));
            }
            break;
        case kRemoteNone:
            AfxMessageBox("There is no LLDP Remote Port", MB_OK);
            SetDlgItemText(IDC_LLDPR_COUNT, "0");
            EnableDlgItem(IDC_LLDPR_REFRESH, true);
            break;
        case kRemoteEnd:
        default:
            EnableDlgItem(IDC_LLDPR_REFRESH, true);
            break;
    }
    return 0;
}

void CLLDPREMOTEINFO::AddRow(const RemoteRow& row) {
    auto value = [&row](size_t i) { return i < row.values.size() ? row.values[i] : std::string(); };
    const int n = m_list->GetItemCount();
    const std::string entity = Blanked("  %d", n + 1);
    SetDlgItemText(IDC_LLDPR_COUNT, entity);
    const std::string cells[9] = {
        LocalPortOf(row.instance),
        entity,
        lldp::RemoteChassisSubtypeText(value(0)),
        lldp::ChassisIdText(value(1)),
        lldp::RemotePortSubtypeText(value(2)),
        value(3),
        value(4),
        value(5),
        value(6),
    };
    m_list->SetItemTextEx(n, 0, QString::fromStdString(cells[0]));
    for (int c = 1; c < 9; ++c) {
        m_list->SetItemTextEx(n, c, QString::fromStdString(cells[c]));
    }
}
