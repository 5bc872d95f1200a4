#include "features/layer2/PrivateSpanTree.h"

#include "controls/ListCtrl.h"
#include "core/SnmpReply.h"
#include "features/layer2/PrivateSpanTCommon.h"
#include "features/layer2/PrivateSpanTPort.h"
#include "platform/sys/Globals.h"
#include "platform/ui/Form.h"
#include "res/ids_stp.h"

using namespace ksx;

namespace {

const std::string& T = stp::kPortTable;

}  // namespace

CPrivateSpanTree::CPrivateSpanTree(QWidget* parent)
    : CPrivateSpanTTableBase(IDD_STP_PORT_TABLE,
                             {T + ".1", T + ".4", T + ".2", T + ".5", T + ".16", T + ".14", T + ".17",
                              T + ".18", T + ".3", T + ".6"},
                             {{"Port", -1, LVCFMT_LEFT},
                              {"State", 100, LVCFMT_CENTER},
                              {"Priority", -1, LVCFMT_LEFT},
                              {"External Cost ", 120, LVCFMT_CENTER},
                              {"Edge", -1, LVCFMT_LEFT},
                              {"P2P", 80, LVCFMT_CENTER},
                              {"Restricted Role", 120, LVCFMT_CENTER},
                              {"Restricted TCN", 120, LVCFMT_CENTER},
                              {"Port Status", 100, LVCFMT_CENTER}},
                             IDC_STPT_REFRESH, parent) {}

CPrivateSpanTree::~CPrivateSpanTree() = default;

void CPrivateSpanTree::CreateControls() {
    SetWindowText("STP Port Settings");
    ui::Form form(*this);
    AddTableControls(form, IDC_STPT_REFRESH, IDCANCEL, "&Close");
}

int CPrivateSpanTree::OnInitDialog() {
    DisableStpOnLbdPorts();
    CPrivateSpanTTableBase::OnInitDialog();
    SetWindowText("Spanning Tree Table");
    return 1;
}

void CPrivateSpanTree::DisableStpOnLbdPorts() {
    for (int port = 1; port <= g_nPortNum; ++port) {
        const std::string at = "." + std::to_string(port);
        if (!m_cCommonSNMP.Open(CCommonSNMP::REQUEST_GET)) {
            return;
        }
        m_cCommonSNMP.AddVarBind(stp::kLbdPortState + at, 4, nullptr);
        const SnmpReply reply = SendRequest(m_cCommonSNMP);
        if (!reply.response) {
            return;
        }
        if (reply.Accepted() && reply.Value(0) == "1") {
            m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
            m_cCommonSNMP.AddVarBind(stp::kDot1dPortTable + ".4" + at, 1, "2");
            if (!SendAccepted(m_cCommonSNMP)) {
                return;
            }
        }
    }
}

std::vector<std::string> CPrivateSpanTree::Cells(const WalkStep& s) const {
    return stp::PortRowCells(StepTexts(s, 10));
}

int CPrivateSpanTree::RunEditor() {
    return RunEditorOnList<CPrivateSpanTPort>();
}
