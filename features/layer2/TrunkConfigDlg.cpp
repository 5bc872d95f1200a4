// Trunk configuration dialog.
#include "features/layer2/TrunkConfigDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <chrono>
#include <optional>
#include <thread>

#include "controls/ListCtrlEx.h"
#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "features/layer2/KSXTrunkPort.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/sys/Tunable.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "res/ids_trunk.h"
#include "res/resource.h"

using namespace ksx;

namespace {

using trunk::kMemberColumn;
using trunk::kModeColumn;
using trunk::kStateOid;
const Tunable kStatePauseMs("trunk.state-pause-ms", 10);  // after a state write, before the re-read
const Tunable kModePauseMs("trunk.mode-pause-ms", 50);    // after a mode write, before the re-read

const ui::RegisterFeature kRegister(IDM_TRUNK_CONFIGURATION, [] {
    CTrunkConfigDlg dlg;
    dlg.DoModal();
});

}  // namespace

CTrunkConfigDlg::CTrunkConfigDlg(QWidget* parent)
    : CDialog(IDD_TRUNK_CONFIG, parent),
      m_stateRead(m_cCommonSNMPState, {kStateOid},
                  [](const WalkStep& s) { return std::optional<std::optional<long long>>(s.Integer(0)); }),
      m_trunkRead(m_cCommonSNMPTable, {kMemberColumn, kModeColumn}, [](const WalkStep& s) {
          return std::optional<trunk::TrunkRow>(trunk::ParseTrunkRow(s.Index(0), s.Text(0), s.Text(1)));
      }) {
    // Closed when the window goes: the walk ends and none of its rows arrives after.
    OwnReader(m_stateRead);
    OwnReader(m_trunkRead);
    OwnSession(m_cCommonSNMP);
    OwnSession(m_cCommonSNMPState);
    OwnSession(m_cCommonSNMPTable);
    m_stateRead.onRow = [this](const std::optional<long long>& state) {
        m_bStateRead = state.has_value();
        if (state) {
            m_bStateEnabled = *state == 1;
            CheckDlgButton(IDC_TRUNK_ENABLE, m_bStateEnabled ? 1 : 0);
        }
    };
    m_stateRead.onEnd = [this](const WalkEnd& end) { OnTrunkStateEnd(end); };
    m_trunkRead.onRow = [this](const trunk::TrunkRow& row) { OnTrunkRow(row); };
    m_trunkRead.onEnd = [this](const WalkEnd& end) { OnTrunkTableEnd(end); };
    OnCommand(IDC_TRUNK_REFRESH, [this] { OnRefresh(); });
    OnCommand(IDC_TRUNK_STATE_APPLY, [this] { OnApplyTrunkState(); });
    OnCommand(IDC_TRUNK_MODE_APPLY, [this] { OnApplyChannelMode(); });
    OnCommand(IDC_TRUNK_PORT_MEMBER, [this] { OnPortMember(); });
    OnNotify(NM_CLICK, IDC_TRUNK_LIST, Handler([this] { OnListClick(); }));
    OnNotify(LVN_ITEMCHANGED, IDC_TRUNK_LIST, Handler([this] { OnListSelectionChanged(); }));
}

CTrunkConfigDlg::~CTrunkConfigDlg() = default;

void CTrunkConfigDlg::CreateControls() {
    SetWindowText("Trunk Configuration");
    ui::Form form(*this);
    auto status = form.Group("Trunk status", IDC_TRUNK_STATUS_GROUP);
    status.Row({status.Check(IDC_TRUNK_ENABLE, "Enable Trunk"), ui::Form::Stretch,
                status.Button(IDC_TRUNK_STATE_APPLY, "&Apply")});

    auto info = form.Group("Trunk Information", IDC_TRUNK_INFO_GROUP);
    m_list = info.Fill(RegisterControl(IDC_TRUNK_LIST, new CListCtrlEx));
    info.Note("", IDC_TRUNK_READ_STATUS)->setWordWrap(true);

    auto config = form.Group("Trunk Configuration", IDC_TRUNK_CONFIG_GROUP);
    auto* id = config.Edit(IDC_TRUNK_ID);
    id->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), id));
    id->setEnabled(false);
    id->setMaximumWidth(60);
    auto* mode = config.Combo(IDC_TRUNK_MODE);
    mode->addItems({"LACP", "Static", "Disable"});
    config.Row({"Trunk ID:", id, "PortChannelMode:", mode, ui::Form::Stretch,
                config.Button(IDC_TRUNK_PORT_MEMBER, "&PortMember"),
                config.Button(IDC_TRUNK_MODE_APPLY, "&Apply")});

    form.Buttons({{IDC_TRUNK_REFRESH, "&Refresh"}, {IDCANCEL, "&Close"}}, IDC_TRUNK_REFRESH);
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
    EnableDlgItem(IDC_TRUNK_STATE_APPLY, false);
    OnRefresh();
    return 1;
}

// The state is read first and the table after it, as the two requests always went; neither holds the
// window while the device does not answer.
void CTrunkConfigDlg::OnRefresh() {
    ReadTrunkState();
}

void CTrunkConfigDlg::ReadTrunkState() {
    m_bStateRead = false;
    m_bStateFailed = false;
    m_bWalking = true;
    EnableDlgItem(IDC_TRUNK_REFRESH, false);
    UpdateTableActions();
    m_stateRead.Read();
}

// A state that was not read (no answer, a binding missing, a value that is no number) leaves the check
// box and PortMember as they were and keeps the state write unavailable: it would write a guess.
void CTrunkConfigDlg::OnTrunkStateEnd(const WalkEnd& end) {
    if (!end.Ok()) {
        m_bStateRead = false;
    }
    m_bStateFailed = !m_bStateRead;
    ReadTrunkTable();
}

void CTrunkConfigDlg::ReadTrunkTable() {
    m_list->DeleteAllItems();
    m_bTableFailed = false;
    ShowReadStatus();
    m_bWalking = true;
    EnableDlgItem(IDC_TRUNK_REFRESH, false);
    UpdateTableActions();
    m_trunkRead.Walk(OnTrunkTableWalk, this);
}

void CTrunkConfigDlg::ShowReadStatus() {
    std::string text;
    if (m_bStateFailed) {
        text = "The link aggregation state could not be read. Press Refresh to read it again.";
    }
    if (m_bTableFailed) {
        text += std::string(text.empty() ? "" : "\n") +
                "The trunk table could not be read whole. Press Refresh to read it again.";
    }
    SetDlgItemText(IDC_TRUNK_READ_STATUS, text);
}

int CTrunkConfigDlg::OnTrunkTableWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CTrunkConfigDlg*>(userData)->m_trunkRead.Step(response, requestId, status);
}

void CTrunkConfigDlg::OnTrunkRow(const trunk::TrunkRow& row) {
    const int item = m_list->GetItemCount();
    m_list->SetItemTextEx(item, 0, row.id > 0 ? QString::number(row.id) : QString());
    m_list->SetItemTextEx(item, 1, QString::fromStdString(row.ModeText()));
    m_list->SetItemTextEx(item, 2, QString::fromStdString(row.members));
}

void CTrunkConfigDlg::OnTrunkTableEnd(const WalkEnd& end) {
    // The end of the column is the walk's good end; rows received before a failure stay listed.
    m_bTableFailed = !end.Ok();
    ShowReadStatus();
    m_bWalking = false;
    EnableDlgItem(IDC_TRUNK_REFRESH, true);
    UpdateTableActions();
}

// PortMember needs the state read as "1"; it and the mode write look rows up, so both wait for the end
// of the table walk.
void CTrunkConfigDlg::UpdateTableActions() {
    EnableDlgItem(IDC_TRUNK_PORT_MEMBER, m_bStateEnabled && !m_bWalking);
    EnableDlgItem(IDC_TRUNK_MODE_APPLY, !m_bWalking);
    EnableDlgItem(IDC_TRUNK_STATE_APPLY, m_bStateRead && !m_bWalking);
}

void CTrunkConfigDlg::OnApplyTrunkState() {
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMP.AddVarBind(kStateOid, 1, IsDlgButtonChecked(IDC_TRUNK_ENABLE) ? "1" : "2");
    if (const SnmpAnswer answer = SendRequest(m_cCommonSNMP).Answer(); !answer.Accepted()) {
        AfxMessageBox(
            AnswerText(answer, {"the link aggregation state"}) + " The device's settings are read again.",
            MB_OK);
        OnRefresh();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kStatePauseMs.Get()));
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
    if (const SnmpAnswer answer = SendRequest(m_cCommonSNMP).Answer(); !answer.Accepted()) {
        AfxMessageBox(AnswerText(answer, {"the channel mode of trunk " + std::to_string(trunkId)}) +
                          " The device's settings are read again.",
                      MB_OK);
        OnRefresh();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kModePauseMs.Get()));
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
