#include "features/layer2/SpanTree.h"

#include "controls/ListCtrl.h"
#include "features/layer2/PrivateSpanTCommon.h"
#include "features/layer2/SpanTreePortParam.h"
#include "platform/ui/Form.h"
#include "res/ids_stp.h"

using namespace ksx;

namespace {

const std::string& T = stp::kDot1dPortTable;

}  // namespace

CSpanTree::CSpanTree(QWidget* parent)
    : CPrivateSpanTTableBase(IDD_SPAN_TREE,
                             {T + ".1", T + ".2", T + ".5", T + ".4", T + ".3", T + ".6", T + ".7", T + ".8",
                              T + ".9", T + ".10"},
                             {{"Port", -1, LVCFMT_LEFT},
                              {"Priority", -1, LVCFMT_LEFT},
                              {"Cost ", -1, LVCFMT_LEFT},
                              {"Enable", -1, LVCFMT_LEFT},
                              {"Status  ", -1, LVCFMT_LEFT},
                              {" ==Designated Root== ", -1, LVCFMT_LEFT},
                              {"Designated Cost", -1, LVCFMT_LEFT},
                              {" ==Designated Bridge== ", -1, LVCFMT_LEFT},
                              {"Designated Port", -1, LVCFMT_LEFT},
                              {"Forwardings", -1, LVCFMT_LEFT}},
                             IDC_ST_REFRESH, parent) {}

CSpanTree::~CSpanTree() = default;

void CSpanTree::CreateControls() {
    SetWindowText(" Spanning Tree Table");
    ui::Form form(*this);
    AddTableControls(form, IDC_ST_REFRESH, IDCANCEL, "&Close");
}

int CSpanTree::OnInitDialog() {
    CPrivateSpanTTableBase::OnInitDialog();
    SetWindowText("Spanning Tree Table");
    return 1;
}

std::vector<std::string> CSpanTree::Cells(const WalkStep& s) const {
    std::vector<std::string> cells = StepTexts(s, 10);
    cells[3] = cells[3] == "1" ? "Y" : "N";
    cells[4] = stp::Dot1dPortStateText(cells[4]);
    cells[5] = stp::BridgeIdText(cells[5]);
    cells[7] = stp::BridgeIdText(cells[7]);
    cells[8] = stp::BridgeIdText(cells[8]);  // the designated port is two octets too
    return cells;
}

int CSpanTree::RunEditor() {
    return RunEditorOnList<CSpanTreePortParam>();
}
