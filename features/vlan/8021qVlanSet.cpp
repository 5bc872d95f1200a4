// 802.1Q VLAN list dialog.
#include "features/vlan/8021qVlanSet.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "controls/ListCtrlEx.h"
#include "core/SnmpReply.h"
#include "core/TextNumbers.h"
#include "features/vlan/KSXPVIDConfig.h"
#include "features/vlan/KSXVlanAdd.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Text.h"
#include "res/ids_vlan.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_VLAN_CONFIGURATION, [] {
    C8021qVlanSet dlg;
    dlg.DoModal();
});

enum Column { kColVid, kColName, kColPorts, kColEgress, kColUntagged };

}  // namespace

C8021qVlanSet::C8021qVlanSet(QWidget* parent) : CDialog(IDD_VLAN_LIST, parent) {}

C8021qVlanSet::~C8021qVlanSet() = default;

void C8021qVlanSet::CreateControls() {
    auto* outer = new QVBoxLayout(Client());

    auto* asymGroup = new QGroupBox("802.1Q Asymmetric VLAN Configuration ");
    auto* asymRow = new QHBoxLayout(asymGroup);
    asymRow->addWidget(RegisterControl(IDC_VLAN_ASYMMETRIC, new QCheckBox("Enable Asymmetric VLAN")));
    asymRow->addStretch(1);
    asymRow->addWidget(RegisterControl(IDC_VLAN_ASYMMETRIC_APPLY, new QPushButton("&Apply")));
    outer->addWidget(asymGroup);

    auto* listGroup = new QGroupBox("802.1Q VLAN Information");
    auto* listLayout = new QVBoxLayout(listGroup);
    m_listVlan = RegisterControl(IDC_VLAN_LIST, new CListCtrlEx);
    listLayout->addWidget(m_listVlan);
    outer->addWidget(listGroup, 1);

    m_status = RegisterControl(IDC_VLAN_STATUS, new QLabel);
    m_status->setWordWrap(true);
    m_status->hide();
    outer->addWidget(m_status);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(RegisterControl(IDC_VLAN_PVID, new QPushButton("&PVID")));
    buttons->addStretch(1);
    buttons->addWidget(RegisterControl(IDC_VLAN_ADD, new QPushButton("&Add")));
    buttons->addWidget(RegisterControl(IDC_VLAN_EDIT, new QPushButton("&Edit")));
    buttons->addWidget(RegisterControl(IDC_VLAN_DELETE, new QPushButton("&Delete")));
    buttons->addWidget(RegisterControl(IDC_VLAN_REFRESH, new QPushButton("&Refresh")));
    buttons->addWidget(RegisterControl(IDC_VLAN_CLOSE, new QPushButton("&Close")));
    outer->addLayout(buttons);

    OnCommand(IDC_VLAN_ASYMMETRIC_APPLY, [this] { OnApplyAsymmetric(); });
    OnCommand(IDC_VLAN_PVID, [this] { OnPvid(); });
    OnCommand(IDC_VLAN_ADD, [this] { OnAdd(); });
    OnCommand(IDC_VLAN_EDIT, [this] { OnEdit(); });
    OnCommand(IDC_VLAN_DELETE, [this] { OnDelete(); });
    OnCommand(IDC_VLAN_REFRESH, [this] { Refresh(); });
    OnNotify(NM_DBLCLK, IDC_VLAN_LIST, [this] {
        if (m_vlanRead == ReadState::kDone) {
            OnEdit();
        }
    });
}

int C8021qVlanSet::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    m_listVlan->InsertColumn(kColVid, "VLAN ID", LVCFMT_LEFT, 80);
    m_listVlan->InsertColumn(kColName, "VLAN Name", LVCFMT_CENTER, 120);
    m_listVlan->InsertColumn(kColPorts, "No.of Ports", LVCFMT_LEFT, 100);
    m_listVlan->InsertColumn(kColEgress, "Egress Port Member", LVCFMT_LEFT, 220);
    m_listVlan->InsertColumn(kColUntagged, "Untag Port Member", LVCFMT_LEFT, 220);
    SetWindowText("802.1Q VLAN Configuration");
    m_listVlan->SetExtendedStyle(m_listVlan->GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    // Room for every column at its width.
    int width = 2 * m_listVlan->frameWidth() + m_listVlan->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < m_listVlan->GetColumnCount(); ++c) {
        width += m_listVlan->GetColumnWidth(c);
    }
    m_listVlan->setMinimumWidth(width);
    m_nPortNum = g_nPortNum;
    m_guards.pvids.assign(static_cast<size_t>(std::max(m_nPortNum, 0)), 1);
    CheckDlgButton(IDC_VLAN_ASYMMETRIC, 0);
    Refresh();
    return 1;
}

void C8021qVlanSet::OnOK() {
    EndDialog(IDCANCEL);
}

int C8021qVlanSet::DestroyWindow() {
    m_cCommonSNMP.Close();
    m_readPvid.Close();
    m_readVoice.Close();
    m_readVlan.Close();
    m_cCommonSNMPTableVlanDelete.Close();
    m_readIpIf.Close();
    return CDialog::DestroyWindow();
}

void C8021qVlanSet::Refresh() {
    ReadVoiceSurveillanceVlan();
    m_vlans.clear();
    ReadAsymmetricVlan();
    ReadPvids();
    ReadIpInterfaceVlans();
    m_listVlan->DeleteAllItems();
    ReadVlanTable();
}

bool C8021qVlanSet::ReadAsymmetricVlan() {
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_GET);
    m_cCommonSNMP.AddVarBind(vlan::kAsymmetricOid, 4, nullptr);
    const SnmpReply reply = GetNextRequest(m_cCommonSNMP);
    if (!reply.Accepted()) {
        // The box keeps what it showed; Apply waits for a read that succeeds.
        if (m_asymmetricRead != ReadState::kDone) {
            m_asymmetricRead = ReadState::kFailed;
        }
        return false;
    }
    m_asymmetricRead = ReadState::kDone;
    m_guards.asymmetricRead = reply.Value(0);
    CheckDlgButton(IDC_VLAN_ASYMMETRIC, m_guards.asymmetricRead == "1" ? 1 : 0);
    return true;
}

void C8021qVlanSet::OnVoiceSurveillanceRead(int status, const std::vector<std::string>& values) {
    if (status != 0 || values.size() < 4) {
        m_voiceRead = ReadState::kFailed;
        UpdateButtons();
        return;
    }
    m_guards.voiceState = values[0] == "1" ? 1 : 2;
    m_guards.voiceId = ksx::text::LeadingInt(values[1]);
    m_guards.surveillanceState = values[2] == "1" ? 1 : 2;
    m_guards.surveillanceId = ksx::text::LeadingInt(values[3]);
    m_voiceRead = ReadState::kDone;
    UpdateButtons();
}

void C8021qVlanSet::OnPvidRow(const std::string& suffix, const std::string& value) {
    std::string_view index(suffix);
    if (!index.empty() && index.front() == '.') {
        index.remove_prefix(1);
    }
    if (index.empty() || index.find_first_not_of("0123456789") != std::string_view::npos) {
        return;
    }
    const int port = ksx::text::LeadingInt(index);
    if (port >= 1 && port <= static_cast<int>(m_guards.pvids.size())) {
        m_guards.pvids[static_cast<size_t>(port - 1)] = ksx::text::LeadingInt(value);
    }
}

void C8021qVlanSet::OnVlanRow(const std::string& suffix, const std::vector<std::string>& values) {
    VlanEntry entry;
    if (values.size() < 4 ||
        !vlan::ParseVlanRow(suffix, values[0], values[1], values[2], values[3], m_nPortNum, &entry)) {
        return;
    }
    const int row = m_listVlan->GetItemCount();
    m_listVlan->SetItemTextEx(row, kColVid, QString::number(entry.nVid));
    m_listVlan->SetItemTextEx(row, kColName, ui::ToQ(entry.szName));
    m_listVlan->SetItemTextEx(row, kColPorts, QString::number(entry.nEgressCount));
    m_listVlan->SetItemTextEx(row, kColEgress, ui::ToQ(entry.szEgressPorts));
    m_listVlan->SetItemTextEx(row, kColUntagged, ui::ToQ(entry.szUntaggedPorts));
    m_vlans.push_back(std::move(entry));
}

void C8021qVlanSet::OnVlanTableEnd(int status) {
    m_vlanRead = status == -2 ? ReadState::kDone : ReadState::kFailed;
    UpdateButtons();
}

void C8021qVlanSet::UpdateButtons() {
    const bool walking = m_vlanRead == ReadState::kPending;
    const bool listed = m_vlanRead == ReadState::kDone;
    const bool config = g_bVlanConfigEnabled != 0;
    const bool guards = m_voiceRead == ReadState::kDone && m_ipIfRead == ReadState::kDone &&
                        m_asymmetricRead == ReadState::kDone;
    EnableDlgItem(IDC_VLAN_REFRESH, !walking);
    EnableDlgItem(IDC_VLAN_CLOSE, !walking);
    EnableDlgItem(IDC_VLAN_ASYMMETRIC_APPLY, !walking && guards);
    EnableDlgItem(IDC_VLAN_ADD, listed && config);
    EnableDlgItem(IDC_VLAN_EDIT, listed && config);
    EnableDlgItem(IDC_VLAN_PVID, listed && config);
    EnableDlgItem(IDC_VLAN_DELETE, listed && config && guards && m_pvidRead == ReadState::kDone);

    std::vector<std::string> failed;
    if (m_vlanRead == ReadState::kFailed) {
        failed.push_back("the VLAN table");
    }
    if (m_asymmetricRead == ReadState::kFailed) {
        failed.push_back("the asymmetric VLAN setting");
    }
    if (m_voiceRead == ReadState::kFailed) {
        failed.push_back("the voice and surveillance VLAN settings");
    }
    if (m_pvidRead == ReadState::kFailed) {
        failed.push_back("the PVIDs");
    }
    if (m_ipIfRead == ReadState::kFailed) {
        failed.push_back("the IP interface VLANs");
    }
    std::string text;
    for (size_t i = 0; i < failed.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == failed.size() ? " and " : ", ") + failed[i];
    }
    if (!text.empty()) {
        text = "Could not read " + text + ". Press Refresh to read again.";
    }
    m_status->setText(ui::ToQ(text));
    m_status->setVisible(!text.empty());
}

void C8021qVlanSet::OnAdd() {
    if (m_listVlan->GetItemCount() >= vlan::kMaxVlans) {
        AfxMessageBox(" Number of VLAN group is over limit");
        return;
    }
    CKSXVlanAdd dlg;
    dlg.SetAddMode(m_nPortNum, m_vlans, IsDlgButtonChecked(IDC_VLAN_ASYMMETRIC) ? 1 : 2);
    if (dlg.DoModal() == IDOK) {
        Refresh();
    }
}

void C8021qVlanSet::OnEdit() {
    if (m_listVlan->GetItemCount() == 0) {
        AfxMessageBox("Please select the VLAN !");
        return;
    }
    const int row = m_listVlan->GetFirstSelectedItem();
    if (row < 0) {
        AfxMessageBox("Please select the VLAN !", MB_ICONINFORMATION);
        return;
    }
    const int vid = ksx::text::LeadingInt(ui::ToStd(m_listVlan->GetItemText(row, kColVid)));
    if (vid <= 0) {
        AfxMessageBox("Invalid VLAN ID!");
        return;
    }
    CKSXVlanAdd dlg;
    dlg.SetEditMode(m_nPortNum, m_vlans, vid, IsDlgButtonChecked(IDC_VLAN_ASYMMETRIC) ? 1 : 2);
    if (dlg.DoModal() == IDOK) {
        Refresh();
    }
}

void C8021qVlanSet::OnDelete() {
    if (m_listVlan->GetItemCount() == 0) {
        AfxMessageBox("Please select the VLAN want to be deleted!");
        return;
    }
    const int row = m_listVlan->GetFirstSelectedItem();
    if (row < 0) {
        AfxMessageBox("Please select the VLAN want to be deleted!", MB_ICONINFORMATION);
        return;
    }
    const std::string vidText = ui::ToStd(m_listVlan->GetItemText(row, kColVid));
    m_guards.asymmetricChecked = IsDlgButtonChecked(IDC_VLAN_ASYMMETRIC) != 0;
    const std::string refusal = vlan::DeleteRefusal(vidText, m_guards);
    if (!refusal.empty()) {
        AfxMessageBox(refusal);
        return;
    }
    const std::string question =
        "The VLAN " + vidText +
        " settings in IGMP Snooping and MAC Address Table maybe be affected, continue?";
    if (AfxMessageBox(question, MB_OKCANCEL) == IDCANCEL) {
        Refresh();
        return;
    }
    m_cCommonSNMPTableVlanDelete.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPTableVlanDelete.AddVarBind(std::string(vlan::kRowStatusColumn) + "." + vidText, 1, "6");
    if (GetNextRequest(m_cCommonSNMPTableVlanDelete).Accepted()) {
        Refresh();
    }
}

void C8021qVlanSet::OnApplyAsymmetric() {
    m_guards.asymmetricChecked = IsDlgButtonChecked(IDC_VLAN_ASYMMETRIC) != 0;
    const vlan::AsymmetricCheck check = vlan::CheckAsymmetricApply(m_guards);
    if (check != vlan::AsymmetricCheck::kGoAhead) {
        AfxMessageBox(vlan::AsymmetricRefusalText(check));
        if (check != vlan::AsymmetricCheck::kMultipleIpIf) {
            ReadAsymmetricVlan();  // the box shows the device's value again
        }
        return;
    }
    if (AfxMessageBox(
            "The setting of VLAN, IGMP Snooping, Management VLAN and MAC Address Table will be reset to "
            "default.",
            MB_OKCANCEL) == IDCANCEL) {
        return;
    }
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMP.AddVarBind(vlan::kAsymmetricOid, 1, m_guards.asymmetricChecked ? "1" : "2");
    GetNextRequest(m_cCommonSNMP);
    Refresh();
}

void C8021qVlanSet::OnPvid() {
    CKSXPVIDConfig dlg;
    dlg.SetVlans(vlan::VlanIdText(m_vlans), static_cast<int>(m_vlans.size()), m_vlans);
    dlg.DoModal();
    Refresh();
}

void C8021qVlanSet::ReadVoiceSurveillanceVlan() {
    m_voiceRead = ReadState::kPending;
    m_voiceValues.clear();
    m_readVoice.Start(
        {vlan::kVoiceStateOid, vlan::kVoiceIdOid, vlan::kSurveillanceStateOid, vlan::kSurveillanceIdOid},
        [this](const std::string&, const std::vector<std::string>& row) { m_voiceValues = row; },
        [this](int status) { OnVoiceSurveillanceRead(status, m_voiceValues); }, true);
}

void C8021qVlanSet::ReadPvids() {
    m_pvidRead = ReadState::kPending;
    std::fill(m_guards.pvids.begin(), m_guards.pvids.end(), 1);
    m_readPvid.Start(
        {vlan::kPvidColumn},
        [this](const std::string& suffix, const std::vector<std::string>& values) {
            OnPvidRow(suffix, values[0]);
        },
        [this](int status) {
            m_pvidRead = status == -2 ? ReadState::kDone : ReadState::kFailed;
            UpdateButtons();
        });
}

void C8021qVlanSet::ReadIpInterfaceVlans() {
    m_ipIfRead = ReadState::kPending;
    m_guards.ipInterfaceVlans.clear();
    m_readIpIf.Start(
        {vlan::kIpInterfaceVlanColumn},
        [this](const std::string&, const std::vector<std::string>& values) {
            m_guards.ipInterfaceVlans.push_back(values[0]);
        },
        [this](int status) {
            m_ipIfRead = status == -2 ? ReadState::kDone : ReadState::kFailed;
            UpdateButtons();
        });
}

void C8021qVlanSet::ReadVlanTable() {
    m_vlanRead = ReadState::kPending;
    UpdateButtons();
    m_readVlan.Start(
        {vlan::kNameColumn, vlan::kEgressColumn, vlan::kUntaggedColumn, vlan::kRowStatusColumn},
        [this](const std::string& suffix, const std::vector<std::string>& values) {
            OnVlanRow(suffix, values);
        },
        [this](int status) { OnVlanTableEnd(status); });
}
