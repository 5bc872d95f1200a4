// Multicast filtering mode dialog.
#include "features/layer2/MultiFilterModeConfig.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <optional>

#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "features/layer2/IGMPSnoopingLogic.h"
#include "platform/sys/Debug.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "res/ids_igmp.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_MULTICAST_FILTERING, [] {
    CMultiFilterModeConfig dlg;
    dlg.DoModal();
});

const char kVlanIdColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.7.8.1.1";
const char kVlanNameColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.7.6.1.1";
const char kModeColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.7.8.1.2";
const char kForward[] = "Forward Unregistered Groups";
const char kFilter[] = "Filtering Unregistered Groups";
const char kNoVlan[] = "Please select a VLAN.";
const char kWriteFailed[] = "Failed to set the multicast filtering mode:";

}  // namespace

CMultiFilterModeConfig::CMultiFilterModeConfig(QWidget* parent)
    : CTableDialog(IDD_MULTI_FILTER_MODE,
                   {
                       {kVlanIdColumn, "VLAN ID", ColumnWidth::Fixed(100), nullptr, LVCFMT_CENTER},
                       {kVlanNameColumn, "VLAN Name", ColumnWidth::Fixed(150),
                        // The two tables need not hold the same VLANs: the name is the VLAN's own.
                        [this](const WalkStep& step, int binding) {
                            return CIGMPSnoopingLogic::VlanNameById(step, binding, step.Text(0),
                                                                    m_cCommonSNMPName);
                        },
                        LVCFMT_CENTER},
                       {kModeColumn, "Multicast Filtering Mode", ColumnWidth::Fixed(320),
                        [](const WalkStep& step, int binding) {
                            // A mode that is not a number is not read: shown as nothing.
                            const std::optional<long long> mode = step.Integer(binding);
                            return std::string(!mode ? "" : *mode == 0 ? kForward : kFilter);
                        },
                        LVCFMT_CENTER},
                   },
                   parent) {
    OwnSession(m_cCommonSNMP);
    OwnSession(m_cCommonSNMPName);
    // The names come from the VLAN table beside the filtering table: its rows are its own.
    SetColumnGroups({0, 1, 0});
}

CMultiFilterModeConfig::~CMultiFilterModeConfig() = default;

void CMultiFilterModeConfig::CreateControls() {
    SetWindowText("Multicast Filtering Mode Configuration");
    ui::Form form(*this);
    QComboBox* vlan = form.Combo(IDC_MFM_VLAN);
    vlan->setMinimumWidth(90);
    form.Row({"VLAN ID", vlan, form.Check(IDC_MFM_ALL, "All"), ui::Form::Stretch});
    QComboBox* mode = form.Field("Multicast Filtering Mode", form.Combo(IDC_MFM_MODE), IDC_MFM_MODE_LABEL);
    mode->addItem(kForward);
    mode->addItem(kFilter);
    form.Row({ui::Form::Stretch, form.Button(IDC_MFM_APPLY, "&Apply")});
    form.Fill(MakeList(IDC_MFM_LIST));
    form.Buttons({{IDC_MFM_REFRESH, "&Refresh"}, {IDC_MFM_CLOSE, "&Close"}});
    SetBusyControls({IDC_MFM_APPLY, IDC_MFM_REFRESH});

    OnCommand(IDC_MFM_APPLY, [this] { OnApply(); });
    OnCommand(IDC_MFM_REFRESH, [this] { OnRefresh(); });
    OnCommand(IDC_MFM_ALL, [this] { OnAll(); });
    OnCommand(IDC_MFM_CLOSE, [this] { OnCancel(); });
}

int CMultiFilterModeConfig::OnInitDialog() {
    SetTopmost(true);
    SetIcon(QApplication::windowIcon());
    Item<QComboBox>(IDC_MFM_MODE)->setCurrentIndex(0);
    return CTableDialog::OnInitDialog();  // the first read
}

void CMultiFilterModeConfig::OnRow(const TableRow& row) {
    CTableDialog::OnRow(row);
    auto* vlan = Item<QComboBox>(IDC_MFM_VLAN);
    vlan->addItem(QString::fromStdString(row.cells[0]));
    vlan->setCurrentIndex(0);
}

void CMultiFilterModeConfig::OnRefresh() {
    Item<QComboBox>(IDC_MFM_VLAN)->clear();
    Refresh();
}

void CMultiFilterModeConfig::OnAll() {
    EnableDlgItem(IDC_MFM_VLAN, IsDlgButtonChecked(IDC_MFM_ALL) != 1);
}

void CMultiFilterModeConfig::OnApply() {
    const std::string mode = Item<QComboBox>(IDC_MFM_MODE)->currentIndex() == 0 ? "0" : "1";
    const std::string column = std::string(kModeColumn) + ".";
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    if (IsDlgButtonChecked(IDC_MFM_ALL) != 1) {
        const std::string vlanId = GetDlgItemText(IDC_MFM_VLAN);
        if (vlanId.empty()) {
            // An empty index would name the column itself.
            AfxMessageBox(kNoVlan, MB_OK);
            return;
        }
        m_cCommonSNMP.AddVarBind(column + vlanId, 1, mode.c_str());
    } else {
        if (List()->GetItemCount() == 0) {
            return;  // nothing listed, nothing to write
        }
        for (int row = 0; row < List()->GetItemCount(); ++row) {
            m_cCommonSNMP.AddVarBind(column + List()->GetItemText(row, 0).toStdString(), 1, mode.c_str());
        }
    }
    const SnmpReply reply = GetNextRequest(m_cCommonSNMP);
    if (!reply.Accepted()) {
        TRACE("multicast filtering mode write: status %d, error status %d", reply.status,
              reply.ErrorStatus());
        AfxMessageBox(AnswerText(reply.Answer(), {"it"}, kWriteFailed), MB_OK);
    }
    // What the device holds, written or not.
    OnRefresh();
}

void CMultiFilterModeConfig::OnReadEnd(const WalkEnd& end) {
    if (!end.Ok() && !end.stale) {
        AfxMessageBox("Failed to read the multicast filtering modes; press Refresh to try again.", MB_OK);
    }
}

int CMultiFilterModeConfig::DestroyWindow() {
    TRACE("==================DestroyWindow===============");
    m_cCommonSNMP.Close();
    TRACE("==================m_cCommonSNMP.Close===============");
    // The walk's reader and session close with the dialog's own sessions.
    const int result = CTableDialog::DestroyWindow();
    TRACE("==================m_cCommonSNMPTable.Close===============");
    return result;
}
