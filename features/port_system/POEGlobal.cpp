// PoE global settings dialog.
#include "features/port_system/POEGlobal.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <cstdlib>
#include <optional>

#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "core/TextNumbers.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "platform/ui/Text.h"
#include "res/ids_poe_syslog.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(ID_MENU_POE_GLOBAL, [] {
    CPOEGlobal dlg;
    dlg.DoModal();
});

constexpr int kReadTimeoutMs = 20000;
constexpr int kSetTimeoutMs = 5000;

const char* const kTextThreshold = "The System Power Threshold ranges between 7.1 ~ 185.0.";

}  // namespace

const char* const CPOEGlobal::kObjects[6] = {
    "1.3.6.1.4.1.7393.10.76.20.1.22.2.0", "1.3.6.1.4.1.7393.10.76.20.1.22.3.0",
    "1.3.6.1.4.1.7393.10.76.20.1.22.4.0", "1.3.6.1.4.1.7393.10.76.20.1.22.5.0",
    "1.3.6.1.4.1.7393.10.76.20.1.22.6.0", "1.3.6.1.4.1.7393.10.76.20.1.22.7.0",
};

CPOEGlobal::CPOEGlobal(QWidget* parent)
    : CDialog(IDD_POE_GLOBAL, parent),
      m_read(m_cCommonSNMP, {std::begin(kObjects), std::end(kObjects)},
             [](const WalkStep& step) -> std::optional<Values6> {
                 // The threshold and the sequence are written back by Apply: both must be read with
                 // their types (text and number), else nothing of the reply is taken.
                 const auto threshold = step.Octets(0);
                 const auto sequence = step.Integer(1);
                 if (!threshold || !sequence || step.Count() < 6) {
                     step.Reject();
                     return std::nullopt;
                 }
                 Values6 values{*threshold, std::to_string(*sequence)};
                 for (int i = 2; i < 6; ++i) {
                     values.push_back(step.Text(i));
                 }
                 return values;
             }),
      m_strValue(6) {
    // A read may be outstanding for up to 20 s: closing the dialog drops its answer.
    OwnReader(m_read);
    OwnSession(m_cCommonSNMPSet);
    m_read.onRow = [this](const Values6& values) { ShowRead(values); };
    m_read.onEnd = [this](const WalkEnd& end) {
        ++m_nReadsEnded;
        // Apply writes over values read from the device: not before a read gave them.
        m_bRead = m_bRead || end.Ok();
        EnableInputs(m_bRead);
        if (!end.Ok() && !end.stale) {
            AfxMessageBox("Failed to read the PoE global settings.", MB_OK);
        }
    };
    OnCommand(IDC_POEG_APPLY, [this] { OnApply(); });
}

CPOEGlobal::~CPOEGlobal() = default;

void CPOEGlobal::CreateControls() {
    SetWindowText("PoE Global Settings");
    ui::Form form(*this);
    auto settings = form.Group("PoE Global Settings", IDC_POEG_SETTINGS_GROUP);
    m_editThreshold = settings.Edit(IDC_POEG_THRESHOLD);
    auto* threshold = new QWidget;
    auto* line = new QHBoxLayout(threshold);
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(m_editThreshold);
    line->addWidget(settings.Label("Watts ", IDC_POEG_WATTS_LABEL));
    line->addStretch(1);
    settings.Field("PoE Power Threshold  (7.1-185.0)", threshold, IDC_POEG_THRESHOLD_LABEL);
    m_cbSequence = settings.Combo(IDC_POEG_SEQUENCE);
    m_cbSequence->addItems({"DenyNextPort", "DenyLowPriorityPort"});
    auto* sequence = new QWidget;
    line = new QHBoxLayout(sequence);
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(m_cbSequence);
    line->addStretch(1);
    line->addWidget(settings.Button(IDC_POEG_APPLY, "&Apply"));
    settings.Field("Power Shut Off Sequence ", sequence, IDC_POEG_SEQUENCE_LABEL);

    // The status values are read-only fields.
    auto status = form.Group("System Power Status", IDC_POEG_STATUS_GROUP);
    status.Field("Total PoE Power Budget       ", status.Edit(IDC_POEG_BUDGET), IDC_POEG_BUDGET_LABEL)
        ->setReadOnly(true);
    status.Field("Power Used", status.Edit(IDC_POEG_USED), IDC_POEG_USED_LABEL)->setReadOnly(true);
    status.Field("Power Left", status.Edit(IDC_POEG_LEFT), IDC_POEG_LEFT_LABEL)->setReadOnly(true);
    status
        .Field("The percentage of system power supplied ", status.Edit(IDC_POEG_PERCENTAGE),
               IDC_POEG_PERCENTAGE_LABEL)
        ->setReadOnly(true);
}

int CPOEGlobal::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    m_bChanged = 0;
    ShowWaiting();
    ReadGlobal();
    return 1;
}

void CPOEGlobal::EnableInputs(bool enable) {
    EnableDlgItem(IDC_POEG_APPLY, enable);
    EnableDlgItem(IDC_POEG_THRESHOLD, enable);
    EnableDlgItem(IDC_POEG_SEQUENCE, enable);
}

void CPOEGlobal::ShowWaiting() {
    EnableInputs(false);
    for (int id : {IDC_POEG_THRESHOLD, IDC_POEG_BUDGET, IDC_POEG_USED, IDC_POEG_LEFT, IDC_POEG_PERCENTAGE}) {
        SetDlgItemText(id, "wait...");
    }
}

void CPOEGlobal::ReadGlobal() {
    m_read.Read(kReadTimeoutMs);
}

void CPOEGlobal::ShowRead(const Values6& values) {
    const int fields[] = {IDC_POEG_THRESHOLD, 0, IDC_POEG_BUDGET, IDC_POEG_USED, IDC_POEG_LEFT,
                          IDC_POEG_PERCENTAGE};
    for (size_t i = 0; i < values.size() && i < m_strValue.size(); ++i) {
        m_strValue[i] = values[i];
        if (i == 1) {
            m_cbSequence->setCurrentIndex(text::LeadingInt(values[i]) - 1);
        } else {
            SetDlgItemText(fields[i], values[i]);
        }
    }
}

void CPOEGlobal::OnApply() {
    EnableDlgItem(IDC_POEG_APPLY, false);
    const std::string threshold = GetDlgItemText(IDC_POEG_THRESHOLD);
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);

    // Without a selection (the read failed) there is no sequence to write.
    const int sequence = m_cbSequence->currentIndex() + 1;
    if (sequence >= 1 && text::LeadingInt(m_strValue[1]) != sequence) {
        m_cCommonSNMPSet.AddVarBind(kObjects[1], 1, std::to_string(sequence).c_str());
        m_bChanged = 1;
    }

    if (threshold != m_strValue[0]) {
        // The whole text must be the number: trailing text would reach the device as typed.
        const std::string number = text::Trimmed(threshold);
        const double watts = text::IsDecimalText(number) ? std::strtod(number.c_str(), nullptr) : 0.0;
        if (watts < 7.1 || watts > 185.0) {
            AfxMessageBox(kTextThreshold, MB_OK);
            m_bChanged = 0;
            EnableDlgItem(IDC_POEG_APPLY, true);
            return;
        }
        m_cCommonSNMPSet.AddVarBind(kObjects[0], 2, number.c_str());
        m_bChanged = 1;
    }

    if (m_bChanged) {
        SendGlobal();
    }
    EnableDlgItem(IDC_POEG_APPLY, true);
    ReadGlobal();
}

void CPOEGlobal::SendGlobal() {
    m_bChanged = 0;
    // Only a reply without an error status is a success; the read that follows shows the rest.
    if (const SnmpAnswer answer = SendRequest(m_cCommonSNMPSet, kSetTimeoutMs).Answer(); !answer.Accepted()) {
        AfxMessageBox(
            AnswerText(answer, {"the PoE global settings", true}) + " The settings it holds are shown.",
            MB_OK);
        return;
    }
    AfxMessageBox("set succeed", MB_OK);
    m_strValue[0] = GetDlgItemText(IDC_POEG_THRESHOLD);
    m_strValue[1] = std::to_string(m_cbSequence->currentIndex() + 1);
}
