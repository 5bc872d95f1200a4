#include "features/layer2/SpanTreeBridgeParam.h"

#include <QApplication>
#include <QComboBox>
#include <algorithm>
#include <utility>

#include "core/TextNumbers.h"
#include "features/layer2/PrivateSpanTCommon.h"
#include "features/layer2/SpanTree.h"
#include "platform/ui/Form.h"
#include "res/ids_stp.h"

using namespace ksx;
namespace stp = ksx::stp;

namespace {

const std::string kB = stp::kDot1dStp;

const std::vector<std::string> kReadOids = {
    kB + ".2.0",  kB + ".3.0", kB + ".4.0",  kB + ".5.0",  kB + ".7.0",    kB + ".12.0",     kB + ".13.0",
    kB + ".14.0", kB + ".9.0", kB + ".10.0", kB + ".11.0", stp::kStateOid, stp::kVersionOid,
};

const int kFormControls[] = {IDC_STB_VERSION, IDC_STB_PRIORITY, IDC_STB_MAX_AGE, IDC_STB_FORWARD_DELAY,
                             IDC_STB_HELLO};

}  // namespace

std::optional<CSpanTreeBridgeParam::BridgeValues> CSpanTreeBridgeParam::ParseReply(const WalkStep& s) {
    // A reply short of a value, or with one of another type, shows nothing.
    const auto t = stp::CheckedValues(s, "iuusiiiiiiiii");
    if (!t) {
        s.Reject();
        return std::nullopt;
    }
    CSpanTreeBridgeParam::BridgeValues v;
    v.priority = (*t)[0];
    v.topoChangeTime = (*t)[1];
    v.topoChanges = (*t)[2];
    v.designatedRoot = (*t)[3];
    v.rootPort = (*t)[4];
    v.maxAge = static_cast<int>(std::clamp(std::stoll((*t)[5]), -1000000000LL, 1000000000LL));
    v.hello = static_cast<int>(std::clamp(std::stoll((*t)[6]), -1000000000LL, 1000000000LL));
    v.forwardDelay = static_cast<int>(std::clamp(std::stoll((*t)[7]), -1000000000LL, 1000000000LL));
    v.helloUsed = (*t)[8];
    v.holdTime = (*t)[9];
    v.forwardDelayUsed = (*t)[10];
    v.state = (*t)[11];
    v.version = (*t)[12];
    return v;
}

CSpanTreeBridgeParam::CSpanTreeBridgeParam(QWidget* parent)
    : CPrivateSpanTBridgeBase(IDD_SPAN_TREE_BRIDGE, parent, kReadOids, ParseReply) {}

CSpanTreeBridgeParam::~CSpanTreeBridgeParam() = default;

void CSpanTreeBridgeParam::CreateControls() {
    SetWindowText("Bridge Config");
    ui::Form form(*this);
    form.Add(form.Check(IDC_STB_RSTP, "Enable RSTP"));
    form.Field("STP Version:", form.Combo(IDC_STB_VERSION))->addItems({"RSTP", "STP Compatible"});
    QComboBox* priority = form.Field("Priority:", form.Combo(IDC_STB_PRIORITY, true));
    for (int p = 0; p <= 61440; p += 4096) {
        priority->addItem(QString::number(p));
    }
    form.Field("Age Time(600-4000):", form.Edit(IDC_STB_MAX_AGE));
    form.Field("Delay(400-3000):", form.Edit(IDC_STB_FORWARD_DELAY));
    form.Field("Hello Time(100-1000):", form.Edit(IDC_STB_HELLO));
    form.Add(form.Edit(IDC_STB_PRIORITY_COPY))->hide();
    form.Field("TopoChangeTime:", form.Label("", IDC_STB_TOPO_CHANGE_TIME));
    form.Field("TopoChanged:", form.Label("", IDC_STB_TOPO_CHANGES));
    form.Field("Forward Delay:", form.Label("", IDC_STB_FORWARD_DELAY_USED));
    form.Field("Hello Time:", form.Label("", IDC_STB_HELLO_USED));
    form.Field("Hold Time:", form.Label("", IDC_STB_HOLD_TIME));
    form.Field("RootPort:", form.Label("", IDC_STB_ROOT_PORT));
    form.Field("Designated Root:", form.Label("", IDC_STB_DESIGNATED_ROOT));
    form.Note("(Time Unit: 1/100 Second)");
    form.Buttons({{IDC_STB_PORT_SETTING, "Port Setting"},
                  {IDC_STB_REFRESH, "&Refresh"},
                  {IDOK, "&Apply"},
                  {IDCANCEL, "Cancel"}},
                 IDCANCEL);
    OnCommand(IDC_STB_RSTP, [this] { EnableForm(IsDlgButtonChecked(IDC_STB_RSTP) != 0); });
    OnCommand(IDC_STB_REFRESH, [this] { ReadBridgeValues(); });
    OnCommand(IDC_STB_PORT_SETTING, [] {
        CSpanTree dlg;
        dlg.DoModal();
    });
}

int CSpanTreeBridgeParam::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    ShowTimers(IDC_STB_MAX_AGE, IDC_STB_FORWARD_DELAY, IDC_STB_HELLO, IDC_STB_PRIORITY_COPY);
    SetDlgItemText(IDC_STB_PRIORITY, "0");
    Item<QComboBox>(IDC_STB_VERSION)->setCurrentIndex(0);
    EnableDlgItem(IDOK, false);  // nothing to write back before a read
    ReadBridgeValues();
    SetWindowText(" STP Configuration ");
    EnableForm(false);
    EnableDlgItem(IDC_STB_PORT_SETTING, false);
    return 1;
}

void CSpanTreeBridgeParam::EnableForm(bool enable) {
    EnableControls(kFormControls, enable);
}

void CSpanTreeBridgeParam::ShowBridgeValues(const BridgeValues& v) {
    TakeRead(v);
    m_nPriority = text::LeadingInt(v.priority);
    SetDlgItemText(IDC_STB_PRIORITY, v.priority);
    SetDlgItemText(IDC_STB_TOPO_CHANGE_TIME, v.topoChangeTime);
    SetDlgItemText(IDC_STB_TOPO_CHANGES, v.topoChanges);
    SetDlgItemText(IDC_STB_DESIGNATED_ROOT,
                   v.designatedRoot.size() == 8 ? stp::BridgeIdText(v.designatedRoot) : v.designatedRoot);
    SetDlgItemText(IDC_STB_ROOT_PORT, v.rootPort);
    m_nMaxAge = v.maxAge;
    m_nHello = v.hello;
    m_nForwardDelay = v.forwardDelay;
    SetDlgItemText(IDC_STB_HELLO_USED, v.helloUsed);
    SetDlgItemText(IDC_STB_HOLD_TIME, v.holdTime);
    SetDlgItemText(IDC_STB_FORWARD_DELAY_USED, v.forwardDelayUsed);
    const bool on = v.state == "1";
    CheckDlgButton(IDC_STB_RSTP, on ? 1 : 0);
    m_strState = on ? "1" : "0";
    EnableForm(on);
    EnableDlgItem(IDC_STB_PORT_SETTING, on);
    if (v.version == "0") {
        Item<QComboBox>(IDC_STB_VERSION)->setCurrentIndex(1);
    } else if (v.version == "2") {
        Item<QComboBox>(IDC_STB_VERSION)->setCurrentIndex(0);
    }
    ShowTimers(IDC_STB_MAX_AGE, IDC_STB_FORWARD_DELAY, IDC_STB_HELLO, IDC_STB_PRIORITY_COPY);
}

void CSpanTreeBridgeParam::OnOK() {
    if (!m_bReadOk) {
        return;
    }
    const int maxAge = text::LeadingInt(GetDlgItemText(IDC_STB_MAX_AGE));
    const int forwardDelay = text::LeadingInt(GetDlgItemText(IDC_STB_FORWARD_DELAY));
    const int hello = text::LeadingInt(GetDlgItemText(IDC_STB_HELLO));
    m_nPriority = text::LeadingInt(GetDlgItemText(IDC_STB_PRIORITY));
    std::string refusal;
    if (maxAge < 600 || maxAge > 4000) {
        refusal = "Invalid Age Time value, the valid Age Time range is  (600-4000) ms !";
    } else if (forwardDelay < 400 || forwardDelay > 3000) {
        refusal =
            "Invalid Forward Delay value, the valid Forward Delay range is "
            "(400-3000) ms !";
    } else if (hello < 100 || hello > 1000) {
        refusal =
            "Invalid Hello Time value, the valid Hello Time range is "
            "(100-1000) ms !";
    } else {
        refusal = stp::BridgeRelationMessage(maxAge, hello, forwardDelay, 100.0);
    }
    if (!refusal.empty()) {
        AfxMessageBox(refusal);
        return;
    }
    stp::BridgeWrite w;
    w.enable = IsDlgButtonChecked(IDC_STB_RSTP) != 0;
    w.helloOid = kB + ".13.0";
    w.forwardDelayOid = kB + ".14.0";
    w.maxAgeOid = kB + ".12.0";
    w.timers = {{kB + ".12.0", std::to_string(maxAge)},
                {kB + ".14.0", std::to_string(forwardDelay)},
                {kB + ".13.0", std::to_string(hello)}};
    const bool rstp = Item<QComboBox>(IDC_STB_VERSION)->currentText() == "RSTP";
    w.last = {{kB + ".2.0", std::to_string(m_nPriority)}, {stp::kVersionOid, rstp ? "2" : "0"}};
    WriteBridge(std::move(w), IDC_STB_PORT_SETTING, true, IDC_STB_REFRESH);
}
