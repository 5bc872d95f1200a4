// Trunk configuration dialog.
#include "features/layer2/TrunkConfigDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <chrono>
#include <memory>
#include <thread>

#include "controls/ListCtrlEx.h"
#include "core/SnmpReply.h"
#include "core/Utils.h"
#include "features/common/TrunkTable.h"
#include "features/layer2/KSXTrunkPort.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_trunk.h"
#include "res/resource.h"

using namespace ksx;

namespace {

using trunk::kMemberColumn;
using trunk::kModeColumn;
using trunk::kStateOid;
constexpr unsigned WM_TRUNK_ROW = WM_USER + 1402;  // wParam 0 a row (lParam), 1 the end of the walk
constexpr int kStatePauseMs = 10;
constexpr int kModePauseMs = 50;

const ui::RegisterFeature kRegister(IDM_TRUNK_CONFIGURATION, [] {
    CTrunkConfigDlg dlg;
    dlg.DoModal();
});

}  // namespace

CTrunkConfigDlg::CTrunkConfigDlg(QWidget* parent) : CDialog(IDD_TRUNK_CONFIG, parent) {
    OnCommand(IDC_TRUNK_REFRESH, [this] { OnRefresh(); });
    OnCommand(IDC_TRUNK_STATE_APPLY, [this] { OnApplyTrunkState(); });
    OnCommand(IDC_TRUNK_MODE_APPLY, [this] { OnApplyChannelMode(); });
    OnCommand(IDC_TRUNK_PORT_MEMBER, [this] { OnPortMember(); });
    OnNotify(NM_CLICK, IDC_TRUNK_LIST, Handler([this] { OnListClick(); }));
    OnNotify(LVN_ITEMCHANGED, IDC_TRUNK_LIST, Handler([this] { OnListSelectionChanged(); }));
    OnMessage(WM_TRUNK_ROW, [this](WPARAM w, LPARAM l) { return OnTrunkRow(w, l); });
}

CTrunkConfigDlg::~CTrunkConfigDlg() {
    m_cCommonSNMPTable.Close();
    m_cCommonSNMP.Close();
}

void CTrunkConfigDlg::CreateControls() {
    SetWindowText("Trunk Configuration");
    auto* outer = new QVBoxLayout(Client());

    auto* status = RegisterControl(IDC_TRUNK_STATUS_GROUP, new QGroupBox("Trunk status"));
    auto* statusRow = new QHBoxLayout(status);
    statusRow->addWidget(RegisterControl(IDC_TRUNK_ENABLE, new QCheckBox("Enable Trunk")));
    statusRow->addStretch(1);
    statusRow->addWidget(RegisterControl(IDC_TRUNK_STATE_APPLY, new QPushButton("&Apply")));
    outer->addWidget(status);

    auto* info = RegisterControl(IDC_TRUNK_INFO_GROUP, new QGroupBox("Trunk Information"));
    auto* infoBox = new QVBoxLayout(info);
    m_list = RegisterControl(IDC_TRUNK_LIST, new CListCtrlEx);
    infoBox->addWidget(m_list);
    auto* readStatus = RegisterControl(IDC_TRUNK_READ_STATUS, new QLabel);
    readStatus->setWordWrap(true);
    infoBox->addWidget(readStatus);
    outer->addWidget(info, 1);

    auto* config = RegisterControl(IDC_TRUNK_CONFIG_GROUP, new QGroupBox("Trunk Configuration"));
    auto* form = new QHBoxLayout(config);
    form->addWidget(new QLabel("Trunk ID:"));
    auto* id = RegisterControl(IDC_TRUNK_ID, new QLineEdit);
    id->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), id));
    id->setEnabled(false);
    id->setMaximumWidth(60);
    form->addWidget(id);
    form->addSpacing(12);
    form->addWidget(new QLabel("PortChannelMode:"));
    auto* mode = RegisterControl(IDC_TRUNK_MODE, new QComboBox);
    mode->addItems({"LACP", "Static", "Disable"});
    form->addWidget(mode);
    form->addStretch(1);
    form->addWidget(RegisterControl(IDC_TRUNK_PORT_MEMBER, new QPushButton("&PortMember")));
    form->addWidget(RegisterControl(IDC_TRUNK_MODE_APPLY, new QPushButton("&Apply")));
    outer->addWidget(config);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* refresh = RegisterControl(IDC_TRUNK_REFRESH, new QPushButton("&Refresh"));
    refresh->setDefault(true);
    buttons->addWidget(refresh);
    buttons->addWidget(RegisterControl(IDCANCEL, new QPushButton("&Close")));
    outer->addLayout(buttons);
    SetDefID(IDC_TRUNK_REFRESH);
}

int CTrunkConfigDlg::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    m_list->InsertColumn("TrunkID    ", 0);
    m_list->InsertColumn("PortChannelMode    ", 1);
    m_list->InsertColumn("PortMember                            ", 2);
    m_list->ModifyListStyle(0, LVS_SINGLESEL);
    m_list->SetExtendedStyle(LVS_EX_FULLROWSELECT);
    m_list->SetHeaderButtons(false);
    m_list->setMinimumHeight(200);
    setFixedSize(sizeHint());  // not resizable
    m_nPortNum = g_nPortNum;
    EnableDlgItem(IDC_TRUNK_PORT_MEMBER, false);
    OnRefresh();
    return 1;
}

int CTrunkConfigDlg::DestroyWindow() {
    TRACE("==================DestroyWindow===============");
    m_cCommonSNMPTable.Close();
    m_cCommonSNMP.Close();
    return CDialog::DestroyWindow();
}

void CTrunkConfigDlg::OnRefresh() {
    ReadTrunkState();
    ReadTrunkTable();
}

void CTrunkConfigDlg::ReadTrunkState() {
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_GET);
    m_cCommonSNMP.AddVarBind(kStateOid, 4, nullptr);
    const SnmpReply reply = SendRequest(m_cCommonSNMP);
    if (!reply.Accepted()) {
        return;  // the check box and PortMember stay as they were
    }
    m_bStateEnabled = reply.Value(0) == "1";
    CheckDlgButton(IDC_TRUNK_ENABLE, m_bStateEnabled ? 1 : 0);
    UpdateTableActions();
}

void CTrunkConfigDlg::ReadTrunkTable() {
    m_list->DeleteAllItems();
    SetDlgItemText(IDC_TRUNK_READ_STATUS, "");
    m_cCommonSNMPTable.Open(CCommonSNMP::REQUEST_GETNEXT);
    m_cCommonSNMPTable.AddVarBind(kMemberColumn, 4, nullptr);
    m_cCommonSNMPTable.AddVarBind(kModeColumn, 4, nullptr);
    m_bWalking = true;
    EnableDlgItem(IDC_TRUNK_REFRESH, false);
    UpdateTableActions();
    m_cCommonSNMPTable.StartAsyncWalk(OnTrunkTableWalk, this, 0);
}

int CTrunkConfigDlg::OnTrunkTableWalk(CSnmp* response, int requestId, void* userData, int status) {
    auto* self = static_cast<CTrunkConfigDlg*>(userData);
    std::unique_ptr<CSnmp> owned(response);
    if (!self->m_cCommonSNMPTable.FindRequestID(requestId)) {
        return 0;
    }
    if (status != 0) {
        self->m_cCommonSNMPTable.SetDone();
        self->SendMessage(WM_TRUNK_ROW, 1, status);
        return 0;
    }
    char* suffix = nullptr;
    if (self->m_cCommonSNMPTable.GetResponseOid(0, response, &suffix) != 0 || suffix == nullptr) {
        suffix = nullptr;
    }
    const trunk::TrunkRow parsed = trunk::ParseTrunkRow(suffix != nullptr ? suffix : "",
                                                        BindingValue(response, 0), BindingValue(response, 1));
    TrunkRow row{parsed.id > 0 ? std::to_string(parsed.id) : std::string(), parsed.ModeText(),
                 parsed.members};
    self->SendMessage(WM_TRUNK_ROW, 0, reinterpret_cast<LPARAM>(&row));
    self->m_cCommonSNMPTable.StartAsyncWalk(OnTrunkTableWalk, self, 0);
    return 0;
}

LRESULT CTrunkConfigDlg::OnTrunkRow(WPARAM wParam, LPARAM lParam) {
    if (wParam == 1) {
        // The end of the column is the walk's good end; rows received before a failure stay listed.
        SetDlgItemText(
            IDC_TRUNK_READ_STATUS,
            lParam == -2 ? "" : "The trunk table could not be read whole. Press Refresh to read it again.");
        m_bWalking = false;
        EnableDlgItem(IDC_TRUNK_REFRESH, true);
        UpdateTableActions();
        return 0;
    }
    const auto* row = reinterpret_cast<const TrunkRow*>(lParam);
    const int item = m_list->GetItemCount();
    m_list->SetItemTextEx(item, 0, QString::fromStdString(row->id));
    m_list->SetItemTextEx(item, 1, QString::fromStdString(row->mode));
    m_list->SetItemTextEx(item, 2, QString::fromStdString(row->members));
    return 0;
}

// PortMember needs the state read as "1"; it and the mode write look rows up, so both wait for the end
// of the table walk.
void CTrunkConfigDlg::UpdateTableActions() {
    EnableDlgItem(IDC_TRUNK_PORT_MEMBER, m_bStateEnabled && !m_bWalking);
    EnableDlgItem(IDC_TRUNK_MODE_APPLY, !m_bWalking);
}

void CTrunkConfigDlg::OnApplyTrunkState() {
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMP.AddVarBind(kStateOid, 1, IsDlgButtonChecked(IDC_TRUNK_ENABLE) ? "1" : "2");
    if (!SendAccepted(m_cCommonSNMP)) {
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kStatePauseMs));
    OnRefresh();
}

void CTrunkConfigDlg::OnListClick() {
    m_strMembers.clear();
    const int row = m_list->GetFirstSelectedItem();
    if (row >= 0) {
        FillFormFromRow(row);
    }
}

void CTrunkConfigDlg::OnListSelectionChanged() {
    const int row = m_list->GetFirstSelectedItem();
    if (row >= 0) {
        FillFormFromRow(row);
    }
}

void CTrunkConfigDlg::FillFormFromRow(int row) {
    SetDlgItemText(IDC_TRUNK_ID, m_list->GetItemText(row, 0).toStdString());
    auto* mode = Item<QComboBox>(IDC_TRUNK_MODE);
    const int index = mode->findText(m_list->GetItemText(row, 1), Qt::MatchExactly);
    if (index >= 0) {
        mode->setCurrentIndex(index);
    }
    m_strMembers = m_list->GetItemText(row, 2).toStdString();
}

int CTrunkConfigDlg::FindTrunkRow(const std::string& id) const {
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        if (m_list->GetItemText(row, 0).toStdString() == id) {
            return row;
        }
    }
    return -1;
}

void CTrunkConfigDlg::OnApplyChannelMode() {
    if (!IsDlgButtonChecked(IDC_TRUNK_ENABLE)) {
        AfxMessageBox("Link Aggregation State is disable.", MB_OK);
        return;
    }
    const std::string id = GetDlgItemText(IDC_TRUNK_ID);
    if (id.empty()) {
        return;
    }
    // The trunk's row by its id, not by its place in the list.
    const int row = FindTrunkRow(id);
    if (row < 0) {
        AfxMessageBox("Please select the Trunk !", MB_OK);
        return;
    }
    if (GetDlgItemText(IDC_TRUNK_MODE) == m_list->GetItemText(row, 1).toStdString()) {
        return;
    }
    if (m_list->GetItemText(row, 2).isEmpty()) {
        AfxMessageBox("The minimum port numbers for an aggregated link is 2.", MB_OK);
        return;
    }
    SetChannelMode(std::stoi(id));
}

void CTrunkConfigDlg::SetChannelMode(int trunkId) {
    const int index = Item<QComboBox>(IDC_TRUNK_MODE)->currentIndex();
    const char* value = index == 0 ? "1" : index == 1 ? "2" : "3";
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMP.AddVarBind(std::string(kModeColumn) + "." + std::to_string(trunkId), 1, value);
    if (!SendAccepted(m_cCommonSNMP)) {
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kModePauseMs));
    OnRefresh();
}

void CTrunkConfigDlg::OnPortMember() {
    const std::string mode = GetDlgItemText(IDC_TRUNK_MODE);
    if (mode == "Disable") {
        AfxMessageBox("Please select the Channel Mode (LACP or Static) first.", MB_OK);
        return;
    }
    const std::string id = GetDlgItemText(IDC_TRUNK_ID);
    if (id.empty()) {
        AfxMessageBox("Please select the Trunk !", MB_OK);
        return;
    }
    const int row = FindTrunkRow(id);
    if (row < 0) {
        AfxMessageBox("Please select the Trunk !", MB_OK);
        return;
    }
    m_strMembers = m_list->GetItemText(row, 2).toStdString();
    CKSXTrunkPort picker;
    picker.m_strMembers = m_strMembers;
    picker.m_strTrunkId = id;
    picker.m_strMode = mode;
    if (picker.DoModal() == IDOK) {
        OnRefresh();
    }
}
