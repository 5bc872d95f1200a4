// 802.1Q VLAN list dialog.
#include "features/vlan/8021qVlanSet.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <algorithm>

#include "core/CodeConvert.h"
#include "core/RowCreate.h"
#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "core/TextNumbers.h"
#include "core/Utils.h"
#include "features/common/AfterCloseRun.h"
#include "features/vlan/KSXPVIDConfig.h"
#include "features/vlan/KSXVlanAdd.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "platform/ui/Text.h"
#include "res/ids_vlan.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_VLAN_CONFIGURATION, [] {
    C8021qVlanSet dlg;
    dlg.DoModal();
});

enum Column { kColVid, kColName, kColPorts, kColEgress, kColUntagged, kColStatus };

// Port list of a bitmap binding (over the port count).
std::string PortList(const WalkStep& step, int binding) {
    int count = 0;
    return CUtils::PortBitmapToList(step.Text(binding), &count);
}

int ItemCount(const std::string& list) {
    return list.empty() ? 0 : static_cast<int>(std::count(list.begin(), list.end(), ',')) + 1;
}

// The list's columns and the VLAN table walk they make: name, egress, untagged and row status.
std::vector<ListColumn> VlanColumns() {
    return {
        {"", "VLAN ID", ColumnWidth::Fixed(80), ListColumn::Index},
        {vlan::kNameColumn, "VLAN Name", ColumnWidth::Fixed(120),
         [](const WalkStep& step, int binding) {
             std::string name;
             CCodeConvert::UTF8ToAnsi(step.Text(binding), &name);
             return name;
         },
         LVCFMT_CENTER},
        {vlan::kEgressColumn, "No.of Ports", ColumnWidth::Fixed(100),
         [](const WalkStep& step, int binding) {
             int count = 0;
             CUtils::PortBitmapToList(step.Text(binding), &count);
             return std::to_string(count);
         }},
        {"", "Egress Port Member", ColumnWidth::Fixed(220),
         [](const WalkStep& step, int) { return PortList(step, 1); }},
        {vlan::kUntaggedColumn, "Untag Port Member", ColumnWidth::Fixed(220), PortList},
        {vlan::kRowStatusColumn, "", ColumnWidth::Fixed(0)},  // not shown
    };
}

}  // namespace

C8021qVlanSet::C8021qVlanSet(QWidget* parent)
    : CTableDialog(IDD_VLAN_LIST, VlanColumns(), parent),
      m_voiceRead(
          m_cCommonSNMPVoiceVlan,
          {vlan::kVoiceStateOid, vlan::kVoiceIdOid, vlan::kSurveillanceStateOid, vlan::kSurveillanceIdOid},
          [](const WalkStep& step) -> std::optional<VoiceSurveillance> {
              // The refusals are decided by these values: all four must be read as numbers.
              const auto vs = step.Integer(0);
              const auto vi = step.Integer(1);
              const auto ss = step.Integer(2);
              const auto si = step.Integer(3);
              if (!vs || !vi || !ss || !si) {
                  return std::nullopt;
              }
              return VoiceSurveillance{std::to_string(*vs), std::to_string(*vi), std::to_string(*ss),
                                       std::to_string(*si)};
          }),
      m_pvidWalk(m_cCommonSNMPTable, {vlan::kPvidColumn},
                 [](const WalkStep& step) {
                     PvidRow row{step.IndexInt(0), step.Integer(0)};
                     if (const auto pvid = step.Unsigned(0)) {
                         row.pvid = static_cast<long long>(*pvid);
                     }
                     return row;
                 }),
      m_ipIfWalk(m_cCommonSNMPIpIfVlan, {vlan::kIpInterfaceVlanColumn},
                 [](const WalkStep& step) { return step.Text(0); }),
      m_asymmetricWalk(m_cCommonSNMP, {vlan::kAsymmetricOid}, [](const WalkStep& step) {
          return std::optional<std::optional<long long>>(step.Integer(0));
      }) {
    OwnSession(m_cCommonSNMP);
    OwnSession(m_cCommonSNMPTable);
    OwnSession(m_cCommonSNMPVoiceVlan);
    OwnSession(m_cCommonSNMPTableVlanDelete);
    OwnSession(m_cCommonSNMPIpIfVlan);
    OwnReader(m_voiceRead);
    OwnReader(m_pvidWalk);
    OwnReader(m_ipIfWalk);
    OwnReader(m_asymmetricWalk);
    m_asymmetricWalk.onRow = [this](const std::optional<long long>& value) { m_asymmetricValue = value; };
    m_asymmetricWalk.onEnd = [this](const WalkEnd& end) { OnAsymmetricEnd(end); };

    m_voiceRead.onRow = [this](const VoiceSurveillance& v) { OnVoiceSurveillanceRead(v); };
    m_voiceRead.onEnd = [this](const WalkEnd& end) {
        if (!end.Ok() || m_voiceState == ReadState::kPending) {
            m_voiceState = ReadState::kFailed;  // the states stay as last read
        }
        UpdateButtons();
    };
    m_pvidWalk.onRow = [this](const PvidRow& row) {
        // Keyed by the row's port, not by its position in the walk.
        if (row.port >= 1 && row.port <= static_cast<int>(m_guards.pvids.size()) && row.pvid) {
            m_guards.pvids[static_cast<size_t>(row.port - 1)] = static_cast<int>(*row.pvid);
            m_pvidFound[static_cast<size_t>(row.port - 1)] = 1;
        }
    };
    m_pvidWalk.onEnd = [this](const WalkEnd& end) {
        // A port whose row is missing is a port not read: the delete check waits for every port.
        const bool all = std::all_of(m_pvidFound.begin(), m_pvidFound.end(), [](char f) { return f != 0; });
        m_pvidRead = end.Ok() && all ? ReadState::kDone : ReadState::kFailed;
        UpdateButtons();
    };
    m_ipIfWalk.onRow = [this](const std::string& vid) { m_guards.ipInterfaceVlans.push_back(vid); };
    m_ipIfWalk.onEnd = [this](const WalkEnd& end) {
        m_ipIfRead = end.Ok() ? ReadState::kDone : ReadState::kFailed;
        UpdateButtons();
    };

    OnCommand(IDC_VLAN_ASYMMETRIC_APPLY, [this] { OnApplyAsymmetric(); });
    OnCommand(IDC_VLAN_PVID, [this] { OnPvid(); });
    OnCommand(IDC_VLAN_ADD, [this] { OnAdd(); });
    OnCommand(IDC_VLAN_EDIT, [this] { OnEdit(); });
    OnCommand(IDC_VLAN_DELETE, [this] { OnDelete(); });
    OnCommand(IDC_VLAN_REFRESH, [this] { RefreshAll(); });
    OnNotify(LVN_ITEMCHANGED, IDC_VLAN_LIST, Handler([this] { UpdateButtons(); }));
    // A VLAN put back after its edit was closed is read again once that has ended.
    ui::OnAfterCloseRunEnd(this, vlan::kRowStatusColumn, [this] {
        if (isVisible()) {
            RefreshAll();
        }
    });
    OnNotify(NM_DBLCLK, IDC_VLAN_LIST, [this] {
        if (m_vlanRead == ReadState::kDone) {
            OnEdit();
        }
    });
}

C8021qVlanSet::~C8021qVlanSet() = default;

void C8021qVlanSet::CreateControls() {
    SetWindowText("802.1Q VLAN Configuration");
    ui::Form form(*this);
    auto asym = form.Group("802.1Q Asymmetric VLAN Configuration ");
    asym.Row({asym.Check(IDC_VLAN_ASYMMETRIC, "Enable Asymmetric VLAN"), ui::Form::Stretch,
              asym.Button(IDC_VLAN_ASYMMETRIC_APPLY, "&Apply")});
    auto list = form.Group("802.1Q VLAN Information");
    form.Layout()->setRowStretch(form.Layout()->rowCount() - 1, 1);  // the list group takes the height
    list.Fill(MakeList(IDC_VLAN_LIST));
    m_status = form.Note("", IDC_VLAN_STATUS);
    m_status->setWordWrap(true);
    m_status->hide();
    auto buttons = form.Buttons({{IDC_VLAN_PVID, "&PVID"},
                                 {IDC_VLAN_ADD, "&Add"},
                                 {IDC_VLAN_EDIT, "&Edit"},
                                 {IDC_VLAN_DELETE, "&Delete"},
                                 {IDC_VLAN_REFRESH, "&Refresh"},
                                 {IDC_VLAN_CLOSE, "&Close"}});
    (void)buttons;
    // Unavailable while the table is read; which come back depends on what was read (UpdateButtons).
    SetBusyControls({IDC_VLAN_ASYMMETRIC_APPLY, IDC_VLAN_ADD, IDC_VLAN_EDIT, IDC_VLAN_DELETE,
                     IDC_VLAN_REFRESH, IDC_VLAN_CLOSE, IDC_VLAN_PVID});
}

int C8021qVlanSet::OnInitDialog() {
    SetTopmost(true);
    SetIcon(QApplication::windowIcon());
    m_nPortNum = g_nPortNum;
    m_guards.pvids.assign(static_cast<size_t>(std::max(m_nPortNum, 0)), 1);
    m_pvidFound.assign(static_cast<size_t>(std::max(m_nPortNum, 0)), 0);
    CheckDlgButton(IDC_VLAN_ASYMMETRIC, 0);
    // The base sets up the columns and reads the table; the other reads go first.
    ReadVoiceSurveillanceVlan();
    ReadAsymmetricVlan();
    ReadPvids();
    ReadIpInterfaceVlans();
    m_vlanRead = ReadState::kPending;
    CTableDialog::OnInitDialog();
    List()->setColumnHidden(kColStatus, true);
    return 1;
}

void C8021qVlanSet::OnOK() {
    EndDialog(IDCANCEL);
}

void C8021qVlanSet::RefreshAll() {
    ReadVoiceSurveillanceVlan();
    m_vlans.clear();
    ReadAsymmetricVlan();
    ReadPvids();
    ReadIpInterfaceVlans();
    m_vlanRead = ReadState::kPending;
    Refresh();  // empties the list and walks the VLAN table; the busy controls wait for its end
    UpdateButtons();
}

// Read without holding the window; the box and Apply follow once the value arrived.
void C8021qVlanSet::ReadAsymmetricVlan() {
    m_asymmetricValue.reset();
    m_asymmetricRead = ReadState::kPending;
    m_asymmetricWalk.Read();
}

// A value that did not arrive, or is no number, is not read: the box keeps what it showed and Apply
// waits for a read that gives one.
void C8021qVlanSet::OnAsymmetricEnd(const WalkEnd& end) {
    if (!end.Ok() || !m_asymmetricValue) {
        m_asymmetricRead = ReadState::kFailed;
        UpdateButtons();
        return;
    }
    m_asymmetricRead = ReadState::kDone;
    m_guards.asymmetricRead = std::to_string(*m_asymmetricValue);
    CheckDlgButton(IDC_VLAN_ASYMMETRIC, *m_asymmetricValue == 1 ? 1 : 0);
    UpdateButtons();
}

void C8021qVlanSet::OnVoiceSurveillanceRead(const VoiceSurveillance& values) {
    m_guards.voiceState = values.voiceState == "1" ? 1 : 2;
    m_guards.voiceId = ksx::text::LeadingInt(values.voiceId);
    m_guards.surveillanceState = values.surveillanceState == "1" ? 1 : 2;
    m_guards.surveillanceId = ksx::text::LeadingInt(values.surveillanceId);
    m_voiceState = ReadState::kDone;
}

void C8021qVlanSet::OnRow(const TableRow& row) {
    if (row.cells.size() <= kColStatus || row.index.empty() ||
        row.index.find_first_not_of("0123456789") != std::string::npos) {
        return;
    }
    if (ui::AfterCloseRunWriting(vlan::kRowStatusColumn, row.index)) {
        // Out of service while it is put back as it was: listed as such, its values in flux, and left
        // out of the VLANs the dialogs check against until it is read again.
        TableRow shown = row;
        shown.cells[kColVid] = std::to_string(ksx::text::LeadingInt(row.index));
        shown.cells[kColName] += " (being put back)";
        AppendRow(shown);
        return;
    }
    if (row.cells[kColStatus] != "1") {
        return;  // only active rows are listed and kept
    }
    VlanEntry entry;
    entry.nVid = ksx::text::LeadingInt(row.index);
    entry.szName = row.cells[kColName];
    entry.szEgressPorts = row.cells[kColEgress];
    entry.nEgressCount = ItemCount(entry.szEgressPorts);
    entry.szUntaggedPorts = row.cells[kColUntagged];
    entry.nUntaggedCount = ItemCount(entry.szUntaggedPorts);
    entry.nNotMemberCount = m_nPortNum - entry.nEgressCount - entry.nForbiddenCount;
    TableRow shown = row;
    shown.cells[kColVid] = std::to_string(entry.nVid);
    AppendRow(shown);
    m_vlans.push_back(std::move(entry));
}

void C8021qVlanSet::OnReadEnd(const WalkEnd& end) {
    m_vlanRead = end.Ok() ? ReadState::kDone : ReadState::kFailed;
    UpdateButtons();
}

void C8021qVlanSet::UpdateButtons() {
    const bool walking = m_vlanRead == ReadState::kPending;
    const bool listed = m_vlanRead == ReadState::kDone;
    const bool config = g_bVlanConfigEnabled != 0;
    const bool guards = m_voiceState == ReadState::kDone && m_ipIfRead == ReadState::kDone &&
                        m_asymmetricRead == ReadState::kDone;
    EnableDlgItem(IDC_VLAN_REFRESH, !walking);
    EnableDlgItem(IDC_VLAN_CLOSE, !walking);
    EnableDlgItem(IDC_VLAN_ASYMMETRIC_APPLY, !walking && guards);
    EnableDlgItem(IDC_VLAN_ADD, listed && config);
    const bool puttingBack = SelectedPutBack();
    EnableDlgItem(IDC_VLAN_EDIT, listed && config && !puttingBack);
    EnableDlgItem(IDC_VLAN_PVID, listed && config);
    EnableDlgItem(IDC_VLAN_DELETE,
                  listed && config && guards && m_pvidRead == ReadState::kDone && !puttingBack);

    std::vector<std::string> failed;
    if (m_vlanRead == ReadState::kFailed) {
        failed.push_back("the VLAN table");
    }
    if (m_asymmetricRead == ReadState::kFailed) {
        failed.push_back("the asymmetric VLAN setting");
    }
    if (m_voiceState == ReadState::kFailed) {
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

bool C8021qVlanSet::SelectedPutBack() const {
    const int row = List()->GetFirstSelectedItem();
    return row >= 0 &&
           ui::AfterCloseRunWriting(vlan::kRowStatusColumn, ui::ToStd(List()->GetItemText(row, kColVid)));
}

void C8021qVlanSet::OnAdd() {
    if (List()->GetItemCount() >= vlan::kMaxVlans) {
        AfxMessageBox(" Number of VLAN group is over limit");
        return;
    }
    CKSXVlanAdd dlg;
    dlg.SetAddMode(m_nPortNum, m_vlans, IsDlgButtonChecked(IDC_VLAN_ASYMMETRIC) ? 1 : 2);
    // A write that failed or was stopped may have changed the device too.
    if (dlg.DoModal() == IDOK || dlg.WriteSent()) {
        RefreshAll();
    }
}

void C8021qVlanSet::OnEdit() {
    if (List()->GetItemCount() == 0) {
        AfxMessageBox("Please select the VLAN !");
        return;
    }
    const int row = List()->GetFirstSelectedItem();
    if (row < 0) {
        AfxMessageBox("Please select the VLAN !", MB_ICONINFORMATION);
        return;
    }
    const int vid = ksx::text::LeadingInt(ui::ToStd(List()->GetItemText(row, kColVid)));
    if (SelectedPutBack()) {
        return;  // a double click on a VLAN being put back
    }
    if (vid <= 0) {
        AfxMessageBox("Invalid VLAN ID!");
        return;
    }
    CKSXVlanAdd dlg;
    dlg.SetEditMode(m_nPortNum, m_vlans, vid, IsDlgButtonChecked(IDC_VLAN_ASYMMETRIC) ? 1 : 2);
    if (dlg.DoModal() == IDOK || dlg.WriteSent()) {
        RefreshAll();
    }
}

void C8021qVlanSet::OnDelete() {
    if (List()->GetItemCount() == 0) {
        AfxMessageBox("Please select the VLAN want to be deleted!");
        return;
    }
    const int row = List()->GetFirstSelectedItem();
    if (row < 0) {
        AfxMessageBox("Please select the VLAN want to be deleted!", MB_ICONINFORMATION);
        return;
    }
    const std::string vidText = ui::ToStd(List()->GetItemText(row, kColVid));
    if (SelectedPutBack()) {
        return;
    }
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
        RefreshAll();
        return;
    }
    const SnmpAnswer answer = DeletePickedRow(
        StatusAccessOn(m_cCommonSNMPTableVlanDelete, std::string(vlan::kRowStatusColumn) + "." + vidText));
    if (!answer.Accepted()) {
        AfxMessageBox(AnswerText(answer, {"it"}, "Failed to delete the VLAN " + vidText + ": ", "deleted"));
        if (answer.Refused() || answer.NotSent()) {
            return;  // the device holds the VLAN as listed
        }
    }
    RefreshAll();  // an unanswered delete may have been applied: the list shows what the device holds
}

void C8021qVlanSet::OnApplyAsymmetric() {
    m_guards.asymmetricChecked = IsDlgButtonChecked(IDC_VLAN_ASYMMETRIC) != 0;
    const vlan::AsymmetricCheck check = vlan::CheckAsymmetricApply(m_guards);
    if (check != vlan::AsymmetricCheck::kGoAhead) {
        AfxMessageBox(vlan::AsymmetricRefusalText(check));
        if (check != vlan::AsymmetricCheck::kMultipleIpIf) {
            ReadAsymmetricVlan();  // the box shows the device's value again
            UpdateButtons();
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
    const SnmpAnswer answer = GetNextRequest(m_cCommonSNMP).Answer();
    if (!answer.Accepted()) {
        AfxMessageBox(AnswerText(answer, {"the asymmetric VLAN setting"}) +
                      " The settings it holds are shown.");
    }
    RefreshAll();
}

void C8021qVlanSet::OnPvid() {
    CKSXPVIDConfig dlg;
    dlg.SetVlans(vlan::VlanIdText(m_vlans), static_cast<int>(m_vlans.size()), m_vlans);
    dlg.DoModal();
    RefreshAll();
}

void C8021qVlanSet::ReadVoiceSurveillanceVlan() {
    m_voiceState = ReadState::kPending;
    m_voiceRead.Read();
}

void C8021qVlanSet::ReadPvids() {
    m_pvidRead = ReadState::kPending;
    std::fill(m_guards.pvids.begin(), m_guards.pvids.end(), 1);
    std::fill(m_pvidFound.begin(), m_pvidFound.end(), 0);
    m_pvidWalk.Walk();
}

void C8021qVlanSet::ReadIpInterfaceVlans() {
    m_ipIfRead = ReadState::kPending;
    m_guards.ipInterfaceVlans.clear();
    m_ipIfWalk.Walk();
}
