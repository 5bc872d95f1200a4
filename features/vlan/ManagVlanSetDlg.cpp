// Management VLAN dialog.
#include "features/vlan/ManagVlanSetDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <optional>

#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "core/Utils.h"
#include "platform/sys/Debug.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "res/ids_surveillance.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_MANAGEMENT_VLAN, [] {
    CManagVlanSetDlg dlg;
    dlg.DoModal();
});

const char* const kTextReadFailed = "Reading the device failed. Press Refresh to try again.";

}  // namespace

const char* const CManagVlanSetDlg::kStateOid = "1.3.6.1.4.1.7393.10.76.20.1.7.2.0";
const char* const CManagVlanSetDlg::kVlanIdOid = "1.3.6.1.4.1.7393.10.76.20.1.7.3.0";
const char* const CManagVlanSetDlg::kNameColumn = "1.3.6.1.4.1.7393.10.76.20.1.7.6.1.1";
const char* const CManagVlanSetDlg::kEgressColumn = "1.3.6.1.4.1.7393.10.76.20.1.7.6.1.2";
const char* const CManagVlanSetDlg::kRowStatusColumn = "1.3.6.1.4.1.7393.10.76.20.1.7.6.1.5";

CManagVlanSetDlg::CManagVlanSetDlg(QWidget* parent)
    : CDialog(IDD_MANAGEMENT_VLAN, parent),
      m_vlanWalk(m_cCommonSNMPTable, {kNameColumn, kRowStatusColumn}, [](const WalkStep& step) {
          // The row status is taken only from the same row: a column with a hole would otherwise
          // lend the next row's status.
          VlanRow row{step.Index(0), std::string()};
          if (step.Has(1) && step.Index(1) == row.id) {
              row.rowStatus = step.Text(1);
          }
          return std::optional<VlanRow>(row);
      }) {
    // Closed in this order when the window goes: the walk, the gets, the set.
    OwnReader(m_vlanWalk);
    OwnSession(m_cCommonSNMPTable);
    OwnSession(m_cCommonSNMP);
    OwnSession(m_cCommonSNMPSet);
    OnCommand(IDC_MGMT_REFRESH, [this] { OnRefresh(); });
    OnCommand(IDC_MGMT_ENABLE, [this] { OnEnableClicked(); });
    OnCommand(IDC_MGMT_DISABLE, [this] { OnEnableClicked(); });
    OnNotify(CBN_SELCHANGE, IDC_MGMT_VLAN_ID, Handler([this] { OnVlanSelChange(); }));
    m_vlanWalk.onRow = [this](const VlanRow& row) {
        m_cbVlanId->addItem(QString::fromStdString(row.id));
        m_aRowState.push_back(row.rowStatus);
    };
    m_vlanWalk.onEnd = [this](const WalkEnd& end) { OnVlanWalkEnd(end); };
}

CManagVlanSetDlg::~CManagVlanSetDlg() = default;

void CManagVlanSetDlg::CreateControls() {
    SetWindowText("IEEE 802.1Q Management VLAN Configuration");
    ui::Form form(*this);
    auto group = form.Group("", IDC_MGMT_GROUP);
    group.Row({group.Label("Management VLAN", IDC_MGMT_STATE_LABEL), group.Radio(IDC_MGMT_ENABLE, "Enable"),
               group.Radio(IDC_MGMT_DISABLE, "Disable"), ui::Form::Stretch});
    m_cbVlanId = group.Field("VLAN  ID", group.Combo(IDC_MGMT_VLAN_ID), IDC_MGMT_ID_LABEL);
    m_cbVlanId->setMinimumWidth(180);
    m_editName = group.Field("VLAN Name", group.Edit(IDC_MGMT_VLAN_NAME), IDC_MGMT_NAME_LABEL);
    m_editName->setReadOnly(true);
    form.Note("", IDC_MGMT_READ_STATUS);
    form.Buttons({{IDC_MGMT_REFRESH, "&Refresh"}, {IDC_MGMT_APPLY, "&Apply"}}, IDC_MGMT_APPLY);
}

int CManagVlanSetDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    m_nRadio = 0;
    CheckRadioButton(IDC_MGMT_ENABLE, IDC_MGMT_DISABLE, IDC_MGMT_ENABLE);
    OnRefresh();
    return 1;
}

void CManagVlanSetDlg::SetReadStatus(const std::string& text) {
    SetDlgItemText(IDC_MGMT_READ_STATUS, text);
}

// ---- Reading ----

void CManagVlanSetDlg::OnRefresh() {
    if (m_run.Running()) {
        return;
    }
    m_cbVlanId->clear();
    m_aRowState.clear();
    // The id list is being rebuilt: Apply waits for the walk and the settings read after it.
    EnableDlgItem(IDC_MGMT_APPLY, false);
    SetReadStatus(std::string());
    m_vlanWalk.Walk();
}

void CManagVlanSetDlg::OnVlanWalkEnd(const WalkEnd& end) {
    if (end.stale) {
        return;
    }
    ++m_walksEnded;
    if (!end.AtEnd()) {
        // The list stays as far as it was filled; the settings are not shown.
        SetReadStatus(kTextReadFailed);
        return;
    }
    StartRun(std::nullopt);
}

void CManagVlanSetDlg::StartRun(const std::optional<Write>& write) {
    // Apply, Refresh and the VLAN choice (its name lookup shares the session) wait for the run.
    EnableDlgItem(IDC_MGMT_APPLY, false);
    EnableDlgItem(IDC_MGMT_REFRESH, false);
    m_cbVlanId->setEnabled(false);
    struct Outcome {
        Settings settings;
        bool emptyVlan = false;             // the chosen VLAN has no member port: nothing was written
        std::optional<SnmpAnswer> written;  // how the write went, once it was sent
    };
    auto outcome = std::make_shared<Outcome>();
    outcome->settings.state = m_strState;
    outcome->settings.vlanId = m_strVlanId;
    outcome->settings.name = m_strVlanName;
    const int writes = write ? 2 : 0;
    m_run.Runner().SetCancel([this] {
        m_cCommonSNMP.Cancel();
        m_cCommonSNMPSet.Cancel();
    });
    auto step = [this, outcome, writes, write](int i) {
        switch (writes - i) {
            case 2:
                if (!write->vlanId.empty() && !CheckVlanHasMembers(write->vlanId)) {
                    outcome->emptyVlan = true;
                    return StepOutcome::Failed(kTextEmptyVlan);
                }
                // A check cut short by Close lets nothing further go out.
                return m_run.Runner().Stopping() ? StepOutcome::NothingSent() : StepOutcome::Done();
            case 1: {
                if (m_run.Runner().Stopping()) {
                    return StepOutcome::NothingSent();
                }
                outcome->written = WriteManagementVlan(write->state, write->vlanId);
                if (!outcome->written->Accepted() && m_run.Runner().Stopping()) {
                    return StepOutcome::Of(*outcome->written);  // said by the end of the run
                }
                return StepOutcome::Done();
            }
            case 0:
                outcome->settings.read = ReadManagementVlan(outcome->settings);
                return StepOutcome::Done();
            default:
                if (outcome->settings.read) {
                    ReadVlanName(outcome->settings);
                }
                return StepOutcome::Done();
        }
    };
    auto text = [writes](int i, int) {
        if (i < writes) {
            return QString(i == 0 ? "Checking the VLAN's member ports..."
                                  : "Writing the management VLAN settings...");
        }
        return QString("Reading the management VLAN settings (%1 of 2)...").arg(i - writes + 1);
    };
    m_run.Start(writes + 2, step, text, [this, outcome, writes](const StepsEnd& end) {
        // The write alone, as one step: before it the check, after it the reads.
        const std::optional<SnmpAnswer>& written = outcome->written;
        StepsEnd write;
        write.total = 1;
        if (written) {
            write = AnswerEnd(*written);
        }
        if (end.stopped && (!written || !written->Refused())) {
            // Close cut the write short: a stop, not the device's failure.
            write.failed = false;
            write.notSent = false;
            write.stopped = true;
            write.inFlight = written && written->Unanswered();
        }
        const StepsNamer name = ListNamer({{"the management VLAN settings", true}});
        if (end.stopped) {
            // Closed during the run: the dialog is ending.
            if (writes > 0 && write.done == 0) {
                AfxMessageBox(RunEndText(write, name), MB_OK);
            }
            return;
        }
        EnableDlgItem(IDC_MGMT_REFRESH, true);
        if (outcome->emptyVlan) {
            AfxMessageBox(kTextEmptyVlan, MB_OK);
            OnRefresh();
            return;
        }
        if (written && !written->Accepted()) {
            AfxMessageBox(RunEndText(write, name) + " The settings it holds are shown.", MB_OK);
        }
        ShowSettings(outcome->settings);
    });
}

bool CManagVlanSetDlg::ReadManagementVlan(Settings& settings) {
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_GET);
    m_cCommonSNMP.AddVarBind(kStateOid, 4, nullptr);
    m_cCommonSNMP.AddVarBind(kVlanIdOid, 4, nullptr);
    const SnmpReply reply = GetNextRequest(m_cCommonSNMP);
    // An error reply carries no values: the previous texts stay.
    if (!reply.Accepted()) {
        TRACE("--------iStatus = %d, error status %d", reply.status, reply.ErrorStatus());
        return false;
    }
    // Both are written back by Apply: a value missing or of another type is a read that failed.
    const std::optional<long long> state = reply.Integer(0);
    const std::optional<long long> vlanId = reply.Integer(1);
    if (!state || !vlanId) {
        TRACE("management VLAN read: a value was not read");
        return false;
    }
    settings.state = std::to_string(*state);
    settings.vlanId = std::to_string(*vlanId);
    return true;
}

bool CManagVlanSetDlg::ReadVlanName(Settings& settings) {
    if (settings.vlanId == "1") {
        settings.name = "default";
        return true;
    }
    return LookupVlanName(settings.vlanId, settings.name);
}

bool CManagVlanSetDlg::LookupVlanName(const std::string& vlanId, std::string& name) {
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_GET);
    m_cCommonSNMP.AddVarBind(std::string(kNameColumn) + "." + vlanId, 4, nullptr);
    const SnmpReply reply = GetNextRequest(m_cCommonSNMP);
    if (!reply.Accepted()) {
        return false;
    }
    name = reply.Value(0);
    return true;
}

void CManagVlanSetDlg::ShowSettings(const Settings& settings) {
    const bool read = settings.read;
    m_strState = settings.state;
    m_strVlanId = settings.vlanId;
    m_strVlanName = settings.name;
    // Apply writes what the form shows: only over settings this read gave.
    m_bSettingsRead = read;
    if (read) {
        SetReadStatus(std::string());
    } else {
        SetReadStatus(kTextReadFailed);
    }
    m_nRadio = m_strState == "1" ? 0 : 1;
    // Only active VLANs stay offered; the current VLAN is selected when it is one of them, else none.
    for (int i = static_cast<int>(m_aRowState.size()) - 1; i >= 0; --i) {
        if (m_aRowState[static_cast<size_t>(i)] != "1") {
            m_cbVlanId->removeItem(i);
            m_aRowState.erase(m_aRowState.begin() + i);
        }
    }
    m_cbVlanId->setCurrentIndex(m_cbVlanId->findText(QString::fromStdString(m_strVlanId), Qt::MatchExactly));
    m_cbVlanId->setEnabled(m_strState == "1");
    m_editName->setText(QString::fromStdString(m_strVlanName));
    CheckRadioButton(IDC_MGMT_ENABLE, IDC_MGMT_DISABLE, m_nRadio == 0 ? IDC_MGMT_ENABLE : IDC_MGMT_DISABLE);
    EnableDlgItem(IDC_MGMT_APPLY, m_bSettingsRead);
}

// ---- User ----

void CManagVlanSetDlg::OnEnableClicked() {
    m_nRadio = IsDlgButtonChecked(IDC_MGMT_ENABLE) == 1 ? 0 : 1;
    m_cbVlanId->setEnabled(m_nRadio == 0);
}

void CManagVlanSetDlg::OnVlanSelChange() {
    if (m_run.Running()) {
        return;  // the run uses the session; the choice is not offered meanwhile
    }
    std::string name;
    if (!LookupVlanName(m_cbVlanId->currentText().toStdString(), name)) {
        name.clear();
    }
    m_editName->setText(QString::fromStdString(name));
}

bool CManagVlanSetDlg::CheckVlanHasMembers(const std::string& vlanId) {
    if (vlanId == "1") {
        return true;
    }
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_GET);
    m_cCommonSNMP.AddVarBind(std::string(kEgressColumn) + "." + vlanId, 4, nullptr);
    const SnmpReply reply = GetNextRequest(m_cCommonSNMP);
    // Only a member set the device reported counts; a failed request lets Apply go on.
    if (!reply.Accepted()) {
        return true;
    }
    int count = 0;
    CUtils::PortBitmapToList(reply.Value(0), &count);
    return count != 0;
}

SnmpAnswer CManagVlanSetDlg::WriteManagementVlan(const std::string& state, const std::string& vlanId) {
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    if (!state.empty()) {
        m_cCommonSNMPSet.AddVarBind(kStateOid, 1, state.c_str());
    }
    if (!vlanId.empty()) {
        m_cCommonSNMPSet.AddVarBind(kVlanIdOid, 1, vlanId.c_str());
    }
    const SnmpReply reply = GetNextRequest(m_cCommonSNMPSet);
    if (!reply.Accepted()) {
        TRACE("--------iStatus = %d, error status %d", reply.status, reply.ErrorStatus());
    }
    return reply.Answer();
}

void CManagVlanSetDlg::OnOK() {
    if (!IsDlgItemEnabled(IDC_MGMT_APPLY)) {
        return;  // Enter before the settings were read
    }
    m_nRadio = IsDlgButtonChecked(IDC_MGMT_ENABLE) == 1 ? 0 : 1;
    const std::string state = m_nRadio == 0 ? "1" : "2";
    const std::string vlanId = m_cbVlanId->currentIndex() >= 0 ? m_cbVlanId->currentText().toStdString() : "";
    // Enabling needs a VLAN: without one the id would be undefined. Disabling writes the state alone.
    if (state == "1" && vlanId.empty()) {
        AfxMessageBox(kTextSelectVlan, MB_OK);
        return;
    }
    if (m_run.Running()) {
        return;
    }
    StartRun(Write{state, vlanId});
}
