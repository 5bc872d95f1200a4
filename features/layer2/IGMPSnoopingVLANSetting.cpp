// IGMP snooping per-VLAN settings dialog.
#include "features/layer2/IGMPSnoopingVLANSetting.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

#include "controls/ListCtrlEx.h"
#include "core/RunText.h"
#include "core/Utils.h"
#include "features/layer2/IGMPMulticastEntryTable.h"
#include "features/layer2/IGMPSnoopConfig.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/Form.h"
#include "res/ids_igmp.h"

using namespace ksx;

namespace {

const char kEnabled[] = "Enabled";
const char kDisabled[] = "Disabled";
const char kTrunkReadFailed[] = "Failed to read the trunk membership.";

QComboBox* StateCombo(ui::Form& form, int id) {
    QComboBox* combo = form.Combo(id);
    combo->addItem(kEnabled);
    combo->addItem(kDisabled);
    return combo;
}

}  // namespace

CIGMPSnoopingVLANSetting::CIGMPSnoopingVLANSetting(std::string globalState, QWidget* parent)
    : ClxDialog(IDD_IGMP_VLAN_SETTING, parent), m_strGlobalState(std::move(globalState)) {}

CIGMPSnoopingVLANSetting::~CIGMPSnoopingVLANSetting() = default;

void CIGMPSnoopingVLANSetting::CreateControls() {
    SetWindowText("The VLAN Settings of IGMP snooping ");
    ui::Form form(*this);
    ui::Form top = form.Group("The VLAN Settings of IGMP snooping ", IDC_IGMPV_GROUP);
    m_list = top.Fill(RegisterControl(IDC_IGMPV_LIST, new CListCtrlEx));
    top.Row({ui::Form::Stretch, top.Button(IDC_IGMPV_MULTICAST, "&View Multicast Entry "),
             top.Button(IDC_IGMPV_REFRESH, "&Refresh")});

    ui::Form settings = form.Group("", IDC_IGMPV_SETTINGS_GROUP);
    QLineEdit* vlanId = settings.Edit(IDC_IGMPV_VLAN_ID);
    vlanId->setReadOnly(true);
    QLineEdit* vlanName = settings.Edit(IDC_IGMPV_VLAN_NAME);
    vlanName->setReadOnly(true);
    settings.Row({"VLAN ID", vlanId, "VLAN Name", vlanName});
    settings.Row({"State", StateCombo(settings, IDC_IGMPV_STATE), "Querier State",
                  StateCombo(settings, IDC_IGMPV_QUERIER), "Fast Leave ",
                  StateCombo(settings, IDC_IGMPV_FAST_LEAVE), ui::Form::Stretch,
                  settings.Button(IDC_IGMPV_APPLY, "&Apply")});

    ui::Form routers = form.Group("", IDC_IGMPV_ROUTER_GROUP);
    routers.Row({routers.Label("Static Router Ports", IDC_IGMPV_ROUTER_LABEL), ui::Form::Stretch,
                 routers.Button(IDC_IGMPV_ROUTER_APPLY, "&Apply")});
    auto* strip = new QWidget;
    auto* grid = new QGridLayout(strip);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    CreatePortControls(grid);
    routers.Add(strip);

    form.Buttons({{IDC_IGMPV_CLOSE, "&Close"}});

    OnCommand(IDC_IGMPV_REFRESH, [this] { OnRefresh(); });
    OnCommand(IDC_IGMPV_APPLY, [this] { OnApply(); });
    OnCommand(IDC_IGMPV_ROUTER_APPLY, [this] { OnApplyRouterPorts(); });
    OnCommand(IDC_IGMPV_MULTICAST, [this] { OnMulticastEntry(); });
    OnCommand(IDC_IGMPV_CLOSE, [this] { OnCancel(); });
    OnCommandRange(IDC_IGMPV_PORT_CHECK + 1, IDC_IGMPV_PORT_CHECK + 52, [this](int id) { OnPortCheck(id); });
    OnNotify(CBN_SELCHANGE, IDC_IGMPV_STATE, [this] { OnStateChange(); });
    OnNotify(NM_CLICK, IDC_IGMPV_LIST, [this] { OnListClick(); });
    OnMessage(WM_IGMP_RESULT, [this](WPARAM w, LPARAM l) { return OnIGMPResult(w, l); });
}

// One label and one check box per port: all in one row up to 28 ports, else two rows of half each.
void CIGMPSnoopingVLANSetting::CreatePortControls(QGridLayout* grid) {
    const int ports = std::max(g_nPortNum, 0);
    const int perRow = ports > 28 ? (ports + 1) / 2 : ports;
    m_portValue.assign(static_cast<size_t>(ports), 0);
    for (int p = 1; p <= ports; ++p) {
        const int row = (p - 1) / std::max(perRow, 1);
        const int column = (p - 1) % std::max(perRow, 1);
        auto* label = RegisterControl(IDC_IGMPV_PORT_LABEL + p, new QLabel(QString::number(p)));
        label->setAlignment(Qt::AlignCenter);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setMinimumWidth(21);
        auto* box = RegisterControl(IDC_IGMPV_PORT_CHECK + p, new QCheckBox);
        grid->addWidget(label, row * 2, column, Qt::AlignHCenter);
        grid->addWidget(box, row * 2 + 1, column, Qt::AlignHCenter);
        m_portLabels.push_back(label);
        m_portChecks.push_back(box);
    }
    grid->setColumnStretch(std::max(perRow, 1), 1);  // spare width goes right of the last port
}

int CIGMPSnoopingVLANSetting::OnInitDialog() {
    ClxDialog::OnInitDialog();
    m_IGMPLogic.m_hOwner = this;
    m_IGMPLogic.SetOwnerWnd(this);
    m_list->SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    m_list->InsertColumn(0, "VLAN ID", LVCFMT_LEFT, 80);
    m_list->InsertColumn(1, "VLAN Name", LVCFMT_LEFT, 80);
    m_list->InsertColumn(2, "State ", LVCFMT_LEFT, 80);
    m_list->InsertColumn(3, "Querier State", LVCFMT_LEFT, 120);
    m_list->InsertColumn(4, "Fast Leave", LVCFMT_LEFT, 100);
    m_list->InsertColumn(5, "Static Router Ports ", LVCFMT_LEFT, 160);
    ResetForm();
    OnRefresh();
    return 1;
}

void CIGMPSnoopingVLANSetting::ResetForm() {
    SetDlgItemText(IDC_IGMPV_VLAN_ID, "");
    SetDlgItemText(IDC_IGMPV_VLAN_NAME, "");
    for (int id : {IDC_IGMPV_STATE, IDC_IGMPV_QUERIER, IDC_IGMPV_FAST_LEAVE}) {
        Item<QComboBox>(id)->setCurrentIndex(0);
        EnableDlgItem(id, true);
    }
}

void CIGMPSnoopingVLANSetting::OnRefresh() {
    EnableDlgItem(IDC_IGMPV_APPLY, m_strGlobalState == "1");
    // The router-port Apply checks trunk membership: it waits for the trunk read.
    m_bTrunksRead = false;
    EnableDlgItem(IDC_IGMPV_ROUTER_APPLY, false);
    EnableDlgItem(IDC_IGMPV_REFRESH, false);
    m_list->DeleteAllItems();
    m_IGMPLogic.ReadVlanSettings();
    m_IGMPLogic.ReadTrunkPorts();
}

LRESULT CIGMPSnoopingVLANSetting::OnIGMPResult(WPARAM wParam, LPARAM lParam) {
    if (wParam == 0 && lParam != 0) {
        const auto& entry = *ksx::Record<IGMPVlanEntry>(lParam);
        const int row = m_list->InsertItem(m_list->GetItemCount(), QString::fromStdString(entry.vlanId));
        auto shown = [](const std::string& v) {
            return v.empty() ? QString() : QString(v == "1" ? kEnabled : kDisabled);
        };
        m_list->SetItemText(row, 1, QString::fromStdString(entry.vlanName));
        m_list->SetItemText(row, 2, shown(entry.state));
        m_list->SetItemText(row, 3, shown(entry.querier));
        m_list->SetItemText(row, 4, shown(entry.fastLeave));
        m_list->SetItemText(row, 5, QString::fromStdString(entry.routerPorts));
    } else if (wParam == 3) {
        EnableDlgItem(IDC_IGMPV_REFRESH, true);
    } else if (wParam == 4) {
        m_bTrunksRead = true;
        // Not while the VLAN Apply writes: the read that follows it enables it again.
        EnableDlgItem(IDC_IGMPV_ROUTER_APPLY, m_strGlobalState == "1" && !m_run.Running());
        if (lParam == 0) {
            AfxMessageBox(kTrunkReadFailed, MB_OK);
        }
    }
    return 0;
}

void CIGMPSnoopingVLANSetting::OnListClick() {
    const int row = m_list->GetFirstSelectedItem();
    if (row < 0) {
        return;
    }
    auto cell = [this, row](int column) { return m_list->GetItemText(row, column); };
    SetDlgItemText(IDC_IGMPV_VLAN_ID, cell(0).toStdString());
    SetDlgItemText(IDC_IGMPV_VLAN_NAME, cell(1).toStdString());
    const int combos[] = {IDC_IGMPV_STATE, IDC_IGMPV_QUERIER, IDC_IGMPV_FAST_LEAVE};
    for (int i = 0; i < 3; ++i) {
        auto* combo = Item<QComboBox>(combos[i]);
        combo->setCurrentIndex(combo->findText(cell(2 + i)));
    }
    const bool enabled = cell(2) == kEnabled;
    EnableDlgItem(IDC_IGMPV_QUERIER, enabled);
    EnableDlgItem(IDC_IGMPV_FAST_LEAVE, enabled);
    EnableMemberPorts(cell(0).toStdString());
    ClearPorts();
    const std::string routers = cell(5).toStdString();
    if (!routers.empty()) {
        CUtils::PortListToArray(routers, m_portValue.data(), 1);
        for (size_t i = 0; i < m_portChecks.size(); ++i) {
            m_portChecks[i]->setChecked(m_portValue[i] != 0);
        }
    }
}

void CIGMPSnoopingVLANSetting::EnableMemberPorts(const std::string& vlanId) {
    const std::string members = m_IGMPLogic.GetVlanPortList(vlanId);
    if (members.empty()) {
        return;  // nothing read: the boxes keep their states
    }
    std::vector<int> member(m_portChecks.size(), 0);
    CUtils::PortListToArray(members, member.data(), 1);
    for (size_t i = 0; i < m_portChecks.size(); ++i) {
        m_portChecks[i]->setEnabled(member[i] != 0);
    }
}

void CIGMPSnoopingVLANSetting::ClearPorts() {
    for (size_t i = 0; i < m_portChecks.size(); ++i) {
        m_portChecks[i]->setChecked(false);
        m_portValue[i] = 0;
    }
}

void CIGMPSnoopingVLANSetting::OnStateChange() {
    const bool enabled = Item<QComboBox>(IDC_IGMPV_STATE)->currentIndex() == 0;
    EnableDlgItem(IDC_IGMPV_QUERIER, enabled);
    EnableDlgItem(IDC_IGMPV_FAST_LEAVE, enabled);
}

void CIGMPSnoopingVLANSetting::OnPortCheck(int id) {
    const int port = id - IDC_IGMPV_PORT_CHECK;
    if (port >= 1 && port <= static_cast<int>(m_portChecks.size())) {
        m_portValue[static_cast<size_t>(port - 1)] =
            m_portChecks[static_cast<size_t>(port - 1)]->isChecked() ? 1 : 0;
    }
}

void CIGMPSnoopingVLANSetting::OnApply() {
    const std::string vlanId = GetDlgItemText(IDC_IGMPV_VLAN_ID);
    if (vlanId.empty() || m_run.Running()) {
        return;
    }
    std::string oldState;  // stays empty (nothing is written) when the VLAN left the list
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        if (m_list->GetItemText(row, 0).toStdString() == vlanId) {
            const QString shown = m_list->GetItemText(row, 2);
            oldState = shown == kEnabled ? "1" : shown == kDisabled ? "2" : "";
            if (oldState.empty()) {
                // The state decides what is sent: without it nothing is.
                AfxMessageBox(
                    "The IGMP snooping state of this VLAN was not read; press Refresh to read it again.",
                    MB_OK);
                return;
            }
            break;
        }
    }
    auto value = [this](int id) { return Item<QComboBox>(id)->currentIndex() == 0 ? std::string("1") : "2"; };
    const std::string newState = value(IDC_IGMPV_STATE);
    if (newState == "2" &&
        AfxMessageBox("All router ports of this VLAN will be deleted.", MB_OKCANCEL) != IDOK) {
        return;
    }
    if (oldState.empty()) {
        OnRefresh();
        ResetForm();
        return;
    }
    // The writes run off the window's thread; what the device holds afterwards is shown by the read that
    // follows.
    EnableDlgItem(IDC_IGMPV_APPLY, false);
    EnableDlgItem(IDC_IGMPV_REFRESH, false);
    EnableDlgItem(IDC_IGMPV_ROUTER_APPLY, false);  // its write would share the run's m_failedWrite
    const std::string querier = value(IDC_IGMPV_QUERIER);
    const std::string fastLeave = value(IDC_IGMPV_FAST_LEAVE);
    StartIgmpWrite(
        m_run, m_IGMPLogic,
        [this, vlanId, oldState, newState, querier, fastLeave] {
            m_IGMPLogic.WriteVlanSettings(vlanId, oldState, newState, querier, fastLeave);
        },
        StepsName{"the IGMP snooping settings of VLAN " + vlanId, true},
        [this] {
            OnRefresh();
            ResetForm();
        });
}

void CIGMPSnoopingVLANSetting::OnApplyRouterPorts() {
    if (m_run.Running()) {
        return;  // the VLAN Apply's write is still going
    }
    if (!m_IGMPLogic.CheckTrunkConsistency(m_portValue.data())) {
        AfxMessageBox("Members of port channel must have the same status.", MB_OK);
        return;
    }
    std::string hex;
    CUtils::PortArrayToHex(m_portValue.data(), hex);
    CUtils::PadPortHexWide(hex);
    std::vector<unsigned char> bitmap(hex.size() / 2);
    CUtils::HexToBytes(hex, bitmap.data(), static_cast<int>(bitmap.size()));
    const std::string vlanId = GetDlgItemText(IDC_IGMPV_VLAN_ID);
    if (vlanId.empty()) {
        AfxMessageBox("Please select Vlan first.", MB_OK);
        return;
    }
    // The boxes keep what was written (or tried): a second Apply then writes the same set again
    // instead of an empty one that would delete the VLAN's router ports.
    if (m_IGMPLogic.WriteRouterPorts(vlanId, bitmap.data(), static_cast<int>(bitmap.size()))) {
        OnRefresh();
    } else if (m_IGMPLogic.m_failedWrite) {
        AfxMessageBox(AnswerText(*m_IGMPLogic.m_failedWrite, {"the static router ports of this VLAN", true}),
                      MB_OK);
    }
}

void CIGMPSnoopingVLANSetting::OnMulticastEntry() {
    CIGMPMulticastEntryTable dlg;
    dlg.DoModal();
}

int CIGMPSnoopingVLANSetting::DestroyWindow() {
    m_run.Stop();  // Apply's writes end before their sessions close
    m_IGMPLogic.CloseSessions();
    return ClxDialog::DestroyWindow();
}
