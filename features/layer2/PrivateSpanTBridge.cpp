#include "features/layer2/PrivateSpanTBridge.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <algorithm>
#include <cstdio>
#include <utility>

#include "core/TextNumbers.h"
#include "features/layer2/PrivateSpanTCommon.h"
#include "features/layer2/PrivateSpanTree.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "res/ids_stp.h"
#include "res/resource.h"

using namespace ksx;
namespace stp = ksx::stp;

namespace {

const std::string kB = stp::kBridge;

// The read's objects, in the order the reply is read by.
const std::vector<std::string> kReadOids = {
    kB + ".3.0",  kB + ".11.0", kB + ".8.0", kB + ".10.0", kB + ".15.0", kB + ".16.0",
    kB + ".17.0", kB + ".9.0",  kB + ".4.0", kB + ".14.0", kB + ".1.0",  kB + ".2.0",
};

// The form's number edits and lists, enabled with the state.
const int kStateControls[] = {IDC_STPB_VERSION, IDC_STPB_PRIORITY,      IDC_STPB_TX_HOLD,
                              IDC_STPB_MAX_AGE, IDC_STPB_FORWARD_DELAY, IDC_STPB_HELLO};

}  // namespace

std::optional<CPrivateSpanTBridge::BridgeValues> CPrivateSpanTBridge::ParseReply(const WalkStep& s) {
    // A reply short of a value, or with one of another type, shows nothing.
    const auto t = stp::CheckedValues(s, "iisiiiiiiiii");
    if (!t) {
        s.Reject();
        return std::nullopt;
    }
    CPrivateSpanTBridge::BridgeValues v;
    v.priority = (*t)[0];
    v.rootMaxAge = (*t)[1];
    v.rootBridge = (*t)[2];
    v.rootPort = (*t)[3];
    v.maxAge = static_cast<int>(std::clamp(std::stoll((*t)[4]), -1000000000LL, 1000000000LL));
    v.hello = static_cast<int>(std::clamp(std::stoll((*t)[5]), -1000000000LL, 1000000000LL));
    v.forwardDelay = static_cast<int>(std::clamp(std::stoll((*t)[6]), -1000000000LL, 1000000000LL));
    v.rootCost = (*t)[7];
    v.txHold = (*t)[8];
    v.rootForwardDelay = (*t)[9];
    v.state = (*t)[10];
    v.version = (*t)[11];
    return v;
}

namespace {

// Typing stops at two characters; values put by the dialog are shown whole (the initial 600).
void LimitTwo(QLineEdit* edit) {
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(".{0,2}"), edit));
}

const ui::RegisterFeature reg(IDM_SPANNING_TREE, [] {
    CPrivateSpanTBridge dlg;
    dlg.DoModal();
});

}  // namespace

CPrivateSpanTBridge::CPrivateSpanTBridge(QWidget* parent)
    : CPrivateSpanTBridgeBase(IDD_STP_BRIDGE, parent, kReadOids, ParseReply) {}

CPrivateSpanTBridge::~CPrivateSpanTBridge() = default;

void CPrivateSpanTBridge::CreateControls() {
    SetWindowText("STP Bridge Global Settings");
    ui::Form form(*this);
    form.Field("STP State:", form.Check(IDC_STPB_STATE, "Spanning Tree Protocol"));
    QComboBox* version = form.Field("STP Version:", form.Combo(IDC_STPB_VERSION));
    version->addItems({"STP", "RSTP"});
    QComboBox* priority = form.Field("Bridge Priority:", form.Combo(IDC_STPB_PRIORITY, true));
    for (int p = 0; p <= 61440; p += 4096) {
        priority->addItem(QString::number(p));
    }
    LimitTwo(form.Field("Tx Hold Count(1-10):", form.Edit(IDC_STPB_TX_HOLD)));
    LimitTwo(form.Field("Maximum Age(6-40):", form.Edit(IDC_STPB_MAX_AGE)));
    LimitTwo(form.Field("Forward Delay(4-30):", form.Edit(IDC_STPB_FORWARD_DELAY)));
    LimitTwo(form.Field("Hello Time(1-10):", form.Edit(IDC_STPB_HELLO)));
    form.Add(form.Edit(IDC_STPB_PRIORITY_COPY))->hide();
    form.Field("Root Bridge :", form.Label("", IDC_STPB_ROOT_BRIDGE));
    form.Field("Root Cost :", form.Label("", IDC_STPB_ROOT_COST));
    form.Field("Root Maximum Age:", form.Label("", IDC_STPB_ROOT_MAX_AGE));
    form.Field("Root Forward Delay:", form.Label("", IDC_STPB_ROOT_FORWARD_DELAY));
    form.Field("RootPort:", form.Label("", IDC_STPB_ROOT_PORT));
    form.Note("(Time Unit: Second)");
    form.Buttons({{IDC_STPB_PORT_SETTING, "Port Setting"},
                  {IDOK, "&Apply"},
                  {IDC_STPB_REFRESH, "&Refresh"},
                  {IDCANCEL, "Cancel"}},
                 IDOK);

    OnCommand(IDC_STPB_STATE, [this] { OnStpStateClicked(); });
    OnNotify(CBN_SELCHANGE, IDC_STPB_VERSION, [this] { OnVersionChange(); });
    OnCommand(IDC_STPB_PORT_SETTING, [this] { OnPortSetting(); });
    OnCommand(IDC_STPB_REFRESH, [this] { ReadBridgeValues(); });
}

int CPrivateSpanTBridge::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    ShowTimers(IDC_STPB_MAX_AGE, IDC_STPB_FORWARD_DELAY, IDC_STPB_HELLO, IDC_STPB_PRIORITY_COPY);
    SetIcon(QApplication::windowIcon());
    SetDlgItemText(IDC_STPB_PRIORITY, "0");
    Item<QComboBox>(IDC_STPB_VERSION)->setCurrentIndex(0);
    // Apply writes the form back: not before the device's values are in it.
    EnableDlgItem(IDOK, false);
    ReadBridgeValues();
    SetWindowText(" STP Configuration ");
    return 1;
}

void CPrivateSpanTBridge::EnableForm(bool enable) {
    EnableControls(kStateControls, enable);
}

void CPrivateSpanTBridge::ShowBridgeValues(const BridgeValues& v) {
    TakeRead(v);
    m_nPriority = text::LeadingInt(v.priority);
    SetDlgItemText(IDC_STPB_PRIORITY, v.priority);
    SetDlgItemInt(IDC_STPB_ROOT_MAX_AGE, text::LeadingInt(v.rootMaxAge) / 100);
    SetDlgItemText(IDC_STPB_ROOT_BRIDGE,
                   v.rootBridge.size() == 8 ? stp::BridgeIdText(v.rootBridge) : v.rootBridge);
    SetDlgItemText(IDC_STPB_ROOT_PORT, v.rootPort);
    m_nMaxAge = v.maxAge / 100;
    m_nHello = v.hello / 100;
    m_nForwardDelay = v.forwardDelay / 100;
    SetDlgItemText(IDC_STPB_ROOT_COST, v.rootCost);
    SetDlgItemText(IDC_STPB_TX_HOLD, v.txHold);
    SetDlgItemInt(IDC_STPB_ROOT_FORWARD_DELAY, text::LeadingInt(v.rootForwardDelay) / 100);
    const bool on = v.state == "1";
    CheckDlgButton(IDC_STPB_STATE, on ? 1 : 0);
    m_strState = on ? "1" : "0";
    EnableForm(on);
    EnableDlgItem(IDC_STPB_PORT_SETTING, on);
    auto* version = Item<QComboBox>(IDC_STPB_VERSION);
    if (v.version == "0" || v.version == "2") {
        version->setCurrentIndex(v.version == "0" ? 0 : 1);
        if (IsDlgButtonChecked(IDC_STPB_STATE)) {
            EnableDlgItem(IDC_STPB_HELLO, true);
        }
    } else if (v.version == "3") {
        EnableDlgItem(IDC_STPB_HELLO, false);
        version->setCurrentIndex(-1);  // the list has no third item
    }
    ShowTimers(IDC_STPB_MAX_AGE, IDC_STPB_FORWARD_DELAY, IDC_STPB_HELLO, IDC_STPB_PRIORITY_COPY);
}

void CPrivateSpanTBridge::OnStpStateClicked() {
    EnableForm(IsDlgButtonChecked(IDC_STPB_STATE) != 0);
}

void CPrivateSpanTBridge::OnVersionChange() {
    EnableDlgItem(IDC_STPB_HELLO, true);
}

void CPrivateSpanTBridge::OnPortSetting() {
    CPrivateSpanTree dlg;
    dlg.DoModal();
}

void CPrivateSpanTBridge::OnOK() {
    if (!m_bReadOk) {
        return;
    }
    const int hello = text::LeadingInt(GetDlgItemText(IDC_STPB_HELLO));
    const int forwardDelay = text::LeadingInt(GetDlgItemText(IDC_STPB_FORWARD_DELAY));
    const int maxAge = text::LeadingInt(GetDlgItemText(IDC_STPB_MAX_AGE));
    const int txHold = text::LeadingInt(GetDlgItemText(IDC_STPB_TX_HOLD));
    m_nPriority = text::LeadingInt(GetDlgItemText(IDC_STPB_PRIORITY));
    SetDlgItemInt(IDC_STPB_PRIORITY_COPY, m_nPriority);

    std::string refusal;
    if (txHold < 1 || txHold > 10) {
        refusal = "Invalid Transmit Hold Count(1-10).";
    } else if (maxAge < 6 || maxAge > 40) {
        refusal = "Invalid Age Time value, the valid Age Time range is  (6-40)s !";
    } else if (forwardDelay < 4 || forwardDelay > 30) {
        refusal =
            "Invalid Forward Delay value, the valid Forward Delay range is "
            "(4-30)s !";
    } else if (hello < 1 || hello > 10) {
        refusal = "Invalid Hello Time value, the valid Hello Time range is (1-10)s !";
    } else {
        refusal = stp::BridgeRelationMessage(maxAge, hello, forwardDelay, 1.0);
    }
    if (!refusal.empty()) {
        AfxMessageBox(refusal);
        return;
    }

    stp::BridgeWrite w;
    w.enable = IsDlgButtonChecked(IDC_STPB_STATE) != 0;
    w.helloOid = kB + ".16.0";
    w.forwardDelayOid = kB + ".17.0";
    w.maxAgeOid = kB + ".15.0";
    w.timers = {{kB + ".4.0", std::to_string(txHold)},
                {kB + ".15.0", std::to_string(maxAge * 100)},
                {kB + ".17.0", std::to_string(forwardDelay * 100)},
                {kB + ".16.0", std::to_string(hello * 100)}};
    w.last = {{kB + ".3.0", std::to_string(m_nPriority)}};
    const int version = Item<QComboBox>(IDC_STPB_VERSION)->currentIndex();
    if (version == 0 || version == 1) {
        w.last.push_back({kB + ".2.0", version == 0 ? "0" : "2"});
    }
    WriteBridge(std::move(w), IDC_STPB_PORT_SETTING, false, IDC_STPB_REFRESH);
}
