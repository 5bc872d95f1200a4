#include "features/layer2/PrivateSpanTPort.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <optional>

#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "core/TextNumbers.h"
#include "platform/ui/Form.h"
#include "platform/ui/Text.h"
#include "res/ids_stp.h"

using namespace ksx;

namespace {

// Selects the first item that begins with the text; none when no item does.
void SelectPrefix(QComboBox* box, const std::string& cell) {
    const QString text = ui::ToQ(cell);
    for (int i = 0; i < box->count(); ++i) {
        if (box->itemText(i).startsWith(text)) {
            box->setCurrentIndex(i);
            return;
        }
    }
    box->setCurrentIndex(-1);
}

}  // namespace

CPrivateSpanTPort::CPrivateSpanTPort(QWidget* parent) : CPrivateSpanTPortBase(IDD_STP_PORT, parent) {}

CPrivateSpanTPort::~CPrivateSpanTPort() = default;

void CPrivateSpanTPort::CreateControls() {
    SetWindowText("Dialog");
    ui::Form form(*this);
    AddNavigation(form, IDC_STPP_PORT);
    form.Add(form.Check(IDC_STPP_ENABLE, "Enable:"));
    form.Field("Cost:(1-200000000,\n0=auto)", form.Edit(IDC_STPP_COST));
    QComboBox* priority = form.Field("Priority:", form.Combo(IDC_STPP_PRIORITY, true));
    for (int p = 0; p <= 240; p += 16) {
        priority->addItem(QString::number(p));
    }
    priority->addItem(QString());
    form.Field("Migrate", form.Combo(IDC_STPP_MIGRATE))->addItems({"Enabled", "Disabled"});
    form.Field("Edge", form.Combo(IDC_STPP_EDGE))->addItems({"True", "False", "Auto"});
    form.Field("P2P", form.Combo(IDC_STPP_P2P))->addItems({"Force True", "Force False", "Auto"});
    form.Field("Restricted Role", form.Combo(IDC_STPP_RESTRICTED_ROLE))->addItems({"True", "False"});
    form.Field("Restricted TCN", form.Combo(IDC_STPP_RESTRICTED_TCN))->addItems({"True", "False"});
    form.Add(form.Edit(IDC_STPP_PRIORITY_COPY))->hide();
    form.Buttons({{IDOK, "OK"}, {IDC_STPP_REFRESH, "&Refresh"}, {IDCANCEL, "Cancel"}}, IDOK);
    OnCommand(IDC_STPP_REFRESH, [this] {
        if (TrunkReadFailed()) {
            ReadTrunkMembers();  // the write waits for them: read them again
        }
        ShowPort();
    });
}

int CPrivateSpanTPort::OnInitDialog() {
    CPrivateSpanTPortBase::OnInitDialog();
    SetDlgItemText(IDC_STPP_PRIORITY, "0");
    SetDlgItemText(IDC_STPP_COST, "2000000");
    ShowPort();
    SetWindowText(" Port STP Configuration");
    return 1;
}

void CPrivateSpanTPort::ShowPort() {
    ClampRow();
    m_strPort = Cell(0);
    const std::string priority = Cell(2);
    SetDlgItemText(IDC_STPP_PRIORITY, priority);
    m_nPriority = text::LeadingInt(priority);
    m_shownCost = stp::ParseCostCell(Cell(3));
    m_nCost = m_shownCost.value;
    SelectPrefix(Item<QComboBox>(IDC_STPP_EDGE), Cell(4));
    SelectPrefix(Item<QComboBox>(IDC_STPP_P2P), Cell(5));
    SelectPrefix(Item<QComboBox>(IDC_STPP_RESTRICTED_ROLE), Cell(6));
    SelectPrefix(Item<QComboBox>(IDC_STPP_RESTRICTED_TCN), Cell(7));

    if (!m_strPort.empty() && m_cCommonSNMP.Open(CCommonSNMP::REQUEST_GET)) {
        const std::string at = "." + m_strPort;
        m_cCommonSNMP.AddVarBind(stp::kPortTable + ".12" + at, 4, nullptr);
        m_cCommonSNMP.AddVarBind(stp::kPortTable + ".4" + at, 4, nullptr);
        m_cCommonSNMP.AddVarBind(stp::kLbdPortState + at, 4, nullptr);
        const SnmpReply reply = SendRequest(m_cCommonSNMP);
        const std::optional<long long> migrate = reply.Integer(0);
        const std::optional<long long> enabled = reply.Integer(1);
        const std::optional<long long> lbd = reply.Integer(2);
        // All three go back to the device (or decide the write): without them nothing is written.
        m_bPortRead = migrate && enabled && lbd;
        if (m_bPortRead) {
            Item<QComboBox>(IDC_STPP_MIGRATE)->setCurrentIndex(*migrate == 1 ? 0 : 1);
            CheckDlgButton(IDC_STPP_ENABLE, *enabled == 1 ? 1 : 0);
            m_strLbdState = std::to_string(*lbd);
        } else {
            // Nothing of another port, or of the form's start, passes for this port's states.
            Item<QComboBox>(IDC_STPP_MIGRATE)->setCurrentIndex(-1);
            CheckDlgButton(IDC_STPP_ENABLE, 0);
            AfxMessageBox("Failed to read the spanning tree settings of port " + m_strPort + ".");
        }
    }
    SetDlgItemText(IDC_STPP_PORT, m_strPort);
    SetDlgItemInt(IDC_STPP_COST, m_nCost);
    SetDlgItemInt(IDC_STPP_PRIORITY_COPY, m_nPriority);
}

bool CPrivateSpanTPort::ApplyPort() {
    if (!m_bPortRead) {
        return false;  // the port's settings were not read: nothing to write over
    }
    const std::string priorityText = GetDlgItemText(IDC_STPP_PRIORITY);
    m_nPriority = text::LeadingInt(priorityText);
    SetDlgItemInt(IDC_STPP_PRIORITY_COPY, m_nPriority);
    const long long cost = text::LeadingInt(GetDlgItemText(IDC_STPP_COST));
    if (cost > 200000000 || cost < 0) {
        AfxMessageBox("Invalid Path Cost(1-200000000)");
        return false;
    }
    m_nCost = static_cast<int>(cost);
    if (TrunkGroup(text::LeadingInt(m_strPort)) != 0) {
        AfxMessageBox(
            "Cannot add ports with different STP configurations to an "
            "aggregated link.");
        return false;
    }
    const bool enable = IsDlgButtonChecked(IDC_STPP_ENABLE) != 0;
    if (enable && m_strLbdState == "1") {
        AfxMessageBox("STP port " + GetDlgItemText(IDC_STPP_PORT) +
                      " can not both support Spanning Tree and LBD-enabled mode");
        return false;
    }
    stp::PortEdit edit;
    edit.port = m_strPort;
    edit.enable = enable;
    edit.priorityText = priorityText;
    edit.cost = m_nCost;
    edit.shownCost = m_shownCost;
    edit.restrictedTcn = Item<QComboBox>(IDC_STPP_RESTRICTED_TCN)->currentIndex();
    edit.migrate = Item<QComboBox>(IDC_STPP_MIGRATE)->currentIndex();
    edit.pointToPoint = Item<QComboBox>(IDC_STPP_P2P)->currentIndex();
    edit.restrictedRole = Item<QComboBox>(IDC_STPP_RESTRICTED_ROLE)->currentIndex();
    edit.edge = Item<QComboBox>(IDC_STPP_EDGE)->currentIndex();
    if (const SnmpAnswer answer =
            stp::SendStepAnswer({&m_cCommonSNMPSet, stp::PortWriteBindings(edit), 0, 0});
        !answer.Accepted()) {
        AfxMessageBox(AnswerText(answer, {"the settings", true},
                                 "Failed to write the spanning tree settings of port " + m_strPort + ":"));
        return false;
    }
    return true;
}
