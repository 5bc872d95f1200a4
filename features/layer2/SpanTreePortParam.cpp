#include "features/layer2/SpanTreePortParam.h"

#include <QComboBox>
#include <algorithm>
#include <optional>

#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "core/TextNumbers.h"
#include "features/layer2/PrivateSpanTCommon.h"
#include "platform/ui/Form.h"
#include "res/ids_stp.h"

using namespace ksx;

CSpanTreePortParam::CSpanTreePortParam(QWidget* parent) : CPrivateSpanTPortBase(IDD_SPAN_TREE_PORT, parent) {
    SetWriteButtons({IDOK, IDC_STPP2_APPLY});
}

CSpanTreePortParam::~CSpanTreePortParam() = default;

void CSpanTreePortParam::CreateControls() {
    SetWindowText("Port Config");
    ui::Form form(*this);
    AddNavigation(form, IDC_STPP2_PORT);
    QComboBox* priority = form.Field("Priority:", form.Combo(IDC_STPP2_PRIORITY, true));
    for (int p = 0; p <= 240; p += 16) {
        priority->addItem(QString::number(p));
    }
    form.Field("Cost:(1-200000000,\n0=auto)", form.Edit(IDC_STPP2_COST));
    form.Add(form.Check(IDC_STPP2_ENABLE, "Enable:"));
    form.Field("Status:", form.Label("", IDC_STPP2_STATUS));
    form.Field("Desig Root:", form.Label("", IDC_STPP2_DESIG_ROOT));
    form.Field("Desig Cost:", form.Label("", IDC_STPP2_DESIG_COST));
    form.Field("Desig Bridge:", form.Label("", IDC_STPP2_DESIG_BRIDGE));
    form.Field("Desig Port:", form.Label("", IDC_STPP2_DESIG_PORT));
    form.Field("Forward:", form.Label("", IDC_STPP2_FORWARD));
    form.Add(form.Edit(IDC_STPP2_PRIORITY_COPY))->hide();
    form.Buttons(
        {{IDC_STPP2_APPLY, "&Apply"}, {IDOK, "&OK"}, {IDCANCEL, "&Cancel"}, {IDC_STPP2_REFRESH, "&Refresh"}},
        IDOK);
    OnCommand(IDC_STPP2_APPLY, [this] {
        if (TrunksRead()) {
            ApplyPort();
        }
    });
    OnCommand(IDC_STPP2_REFRESH, [this] {
        ReadTrunkMembers();
        ShowPort();
    });
}

int CSpanTreePortParam::OnInitDialog() {
    CPrivateSpanTPortBase::OnInitDialog();
    SetDlgItemText(IDC_STPP2_PRIORITY, "0");
    ShowPort();
    SetWindowText(" Port STP Configuration");
    return 1;
}

void CSpanTreePortParam::ShowPort() {
    ClampRow();
    m_bPortRead = false;
    m_strPort = Cell(0);
    SetDlgItemText(IDC_STPP2_PORT, m_strPort);
    SetDlgItemText(IDC_STPP2_STATUS, Cell(4));
    SetDlgItemText(IDC_STPP2_DESIG_ROOT, Cell(5));
    SetDlgItemText(IDC_STPP2_DESIG_COST, Cell(6));
    SetDlgItemText(IDC_STPP2_DESIG_BRIDGE, Cell(7));
    SetDlgItemText(IDC_STPP2_DESIG_PORT, Cell(8));
    SetDlgItemText(IDC_STPP2_FORWARD, Cell(9));
    if (!m_strPort.empty() && m_cCommonSNMP.Open(CCommonSNMP::REQUEST_GET)) {
        const std::string at = "." + m_strPort;
        m_cCommonSNMP.AddVarBind(stp::kDot1dPortTable + ".2" + at, 4, nullptr);
        m_cCommonSNMP.AddVarBind(stp::kDot1dPortTable + ".5" + at, 4, nullptr);
        m_cCommonSNMP.AddVarBind(stp::kDot1dPortTable + ".4" + at, 4, nullptr);
        const SnmpReply reply = SendRequest(m_cCommonSNMP);
        const std::optional<long long> priority = reply.Integer(0);
        const std::optional<long long> cost = reply.Integer(1);
        const std::optional<long long> enabled = reply.Integer(2);
        // What the form shows goes back to the device: a port not read shows nothing of another port.
        m_bPortRead = priority && cost && enabled;
        if (m_bPortRead) {
            m_nPriority = static_cast<int>(std::clamp(*priority, 0LL, 65535LL));
            SetDlgItemText(IDC_STPP2_PRIORITY, std::to_string(*priority));
            m_nCost = static_cast<int>(std::clamp(*cost, 0LL, 2147483647LL));
            CheckDlgButton(IDC_STPP2_ENABLE, *enabled == 1 ? 1 : 0);
        } else {
            AfxMessageBox("Failed to read the spanning tree settings of port " + m_strPort + ".");
        }
    }
    if (!m_bPortRead) {
        SetDlgItemText(IDC_STPP2_PRIORITY, "");
        SetDlgItemText(IDC_STPP2_COST, "");
        CheckDlgButton(IDC_STPP2_ENABLE, 0);
        return;
    }
    SetDlgItemInt(IDC_STPP2_COST, m_nCost);
    SetDlgItemInt(IDC_STPP2_PRIORITY_COPY, m_nPriority);
}

bool CSpanTreePortParam::ApplyPort() {
    if (!m_bPortRead) {
        return false;  // the port's settings were not read: nothing to write over
    }
    m_nPriority = text::LeadingInt(GetDlgItemText(IDC_STPP2_PRIORITY));
    SetDlgItemInt(IDC_STPP2_PRIORITY_COPY, m_nPriority);
    const int cost = text::LeadingInt(GetDlgItemText(IDC_STPP2_COST));
    if (cost < 0 || cost > 200000000) {
        AfxMessageBox("Invalid Path Cost(1-200000000)");
        return false;
    }
    m_nCost = cost;
    const bool enable = IsDlgButtonChecked(IDC_STPP2_ENABLE) != 0;
    if (TrunkGroup(text::LeadingInt(m_strPort)) != 0) {
        // A trunk member keeps the settings its trunk shares: unchanged is fine,
        // anything else refused.
        if (std::to_string(m_nPriority) == Cell(1) && std::to_string(m_nCost) == Cell(2) &&
            (enable ? "Y" : "N") == Cell(3)) {
            return true;
        }
        AfxMessageBox(
            "Cannot add ports with different STP configurations to an "
            "aggregated link.");
        return false;
    }
    const std::string at = "." + m_strPort;
    const stp::WriteStep write{&m_cCommonSNMPSet,
                               {{stp::kDot1dPortTable + ".2" + at, std::to_string(m_nPriority)},
                                {stp::kPortTable + ".5" + at, std::to_string(m_nCost)},
                                {stp::kDot1dPortTable + ".4" + at, enable ? "1" : "2"}},
                               0,
                               0};
    if (const SnmpAnswer answer = stp::SendStepAnswer(write); !answer.Accepted()) {
        AfxMessageBox(AnswerText(answer, {"the settings", true},
                                 "Failed to write the spanning tree settings of port " + m_strPort + ":"));
        return false;
    }
    return true;
}
