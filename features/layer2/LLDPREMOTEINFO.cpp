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

std::vector<std::string> RemoteColumns() {
    std::vector<std::string> oids;
    for (int c = 4; c <= 10; ++c) {
        oids.push_back(std::string(CLLDPREMOTEINFO::kRemoteEntry) + "." + std::to_string(c));
    }
    return oids;
}

std::string Blanked(const char* format, int n) {
    char text[32];
    std::snprintf(text, sizeof text, format, n);
    return text;
}

}  // namespace

CLLDPREMOTEINFO::CLLDPREMOTEINFO(QWidget* parent)
    : CDialog(IDD_LLDP_REMOTE, parent),
      m_walk(m_cCommonSNMP, RemoteColumns(), [](const WalkStep& step) -> std::optional<RemoteRow> {
          if (step.Count() == 0) {
              step.Reject();  // a step without bindings ends the walk
              return std::nullopt;
          }
          RemoteRow row;
          // Every column of the row, in column order; one the reply did not carry for it is empty.
          for (int i = 0; i < step.Columns(); ++i) {
              row.values.push_back(step.Text(i));
          }
          row.instance = step.Index();
          return row;
      }) {
    OwnSession(m_cCommonSNMPEnabled);  // closed when the window goes
    OwnSession(m_cCommonSNMP);
    OwnReader(m_walk);
    m_walk.onRow = [this](const RemoteRow& row) { AddRow(row); };
    m_walk.onEnd = [this](const WalkEnd& end) { OnWalkEnd(end); };
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
    m_list->setMinimumSize(1000, 260);
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
    m_walk.Walk(OnRemoteWalk, this);
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
    return static_cast<CLLDPREMOTEINFO*>(userData)->m_walk.Step(response, requestId, status);
}

void CLLDPREMOTEINFO::OnWalkEnd(const WalkEnd& end) {
    if (end.status == kWalkBadReply) {
        AfxMessageBox("There is no LLDP Remote Port", MB_OK);
        SetDlgItemText(IDC_LLDPR_COUNT, "0");
    }
    EnableDlgItem(IDC_LLDPR_REFRESH, true);
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
