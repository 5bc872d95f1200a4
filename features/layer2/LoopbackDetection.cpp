#include "features/layer2/LoopbackDetection.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "controls/ListCtrl.h"
#include "controls/PortRange.h"
#include "core/RunText.h"
#include "core/TextNumbers.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"
#include "platform/sys/Tunable.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "platform/ui/Text.h"
#include "res/ids_stp.h"
#include "res/resource.h"

using namespace ksx;

namespace {

constexpr unsigned kRefreshTimer = 1;
// How long the device needs after a global write before it reports the new settings.
const Tunable kRefreshAfterPortModeMs("lbd.refresh-after-write-port-mode-ms", 3000);
const Tunable kRefreshAfterVlanModeMs("lbd.refresh-after-write-vlan-mode-ms", 6000);

std::string Format(const char* fmt, int n) {
    char buf[128];
    std::snprintf(buf, sizeof(buf), fmt, n);
    return buf;
}

const ui::RegisterFeature reg(IDM_LOOPBACK_DETECTION, [] {
    CLoopbackDetection dlg;
    dlg.DoModal();
});

}  // namespace

CLoopbackDetection::CLoopbackDetection(QWidget* parent) : CDialog(IDD_LOOPBACK_DETECTION, parent) {
    OwnSessions(m_logic.Sessions());
    OnMessage(WM_SNMP_RESULT, [this](WPARAM w, LPARAM l) { return OnSnmpResult(w, l); });
}

CLoopbackDetection::~CLoopbackDetection() = default;

void CLoopbackDetection::CreateControls() {
    SetWindowText("Loopback Detection Settings");
    ui::Form form(*this);
    ui::Form global = form.Group("Loopback Detection Global Settings");
    global.Row({"State", global.Radio(IDC_LBD_ENABLED, "Enabled"), global.Radio(IDC_LBD_DISABLED, "Disabled"),
                ui::Form::Stretch});
    QComboBox* mode = global.Field("Mode", global.Combo(IDC_LBD_MODE));
    mode->addItems({"Port_based", "VLAN_based"});
    global.Field("VLAN List", global.Edit(IDC_LBD_VLAN_LIST));
    global.Row({"Interval(1-32767)", global.Edit(IDC_LBD_INTERVAL), "sec"});
    global.Row({"Recover Time(0 or 60-1000000)", global.Edit(IDC_LBD_RECOVER_TIME), "sec"});
    global.Buttons({{IDC_LBD_APPLY_GLOBAL, "&Apply"}});

    ui::Form ports = form.Group("");
    ports.Row({"From Port", ports.Combo(IDC_LBD_FROM_PORT), "To Port", ports.Combo(IDC_LBD_TO_PORT), "State",
               ports.Combo(IDC_LBD_PORT_STATE), ports.Button(IDC_LBD_APPLY_PORTS, "&Apply")});

    m_list = form.Fill(RegisterControl(IDC_LBD_LIST, new CListCtrl));
    form.Buttons({{IDC_LBD_REFRESH, "&Refresh"}});

    m_range = std::make_unique<CPortRange>(*this, IDC_LBD_FROM_PORT, IDC_LBD_TO_PORT,
                                           "'To Port' can not be smaller than 'From Port'");
    OnCommand(IDC_LBD_REFRESH, [this] { OnRefresh(); });
    OnCommand(IDC_LBD_APPLY_GLOBAL, [this] { OnApplyGlobal(); });
    OnCommand(IDC_LBD_APPLY_PORTS, [this] { OnApplyPorts(); });
    OnCommand(IDC_LBD_ENABLED, [this] { OnEnabledClicked(); });
    OnCommand(IDC_LBD_DISABLED, [this] { OnDisabledClicked(); });
    OnNotify(CBN_SELCHANGE, IDC_LBD_MODE, Handler([this] { OnModeChange(); }));
}

int CLoopbackDetection::OnInitDialog() {
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    m_list->SetExtendedStyle(m_list->GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    m_list->InsertColumn(0, "Port", LVCFMT_LEFT, 100);
    m_list->InsertColumn(1, "Loopdetect Detection State", LVCFMT_LEFT, 190);
    m_list->InsertColumn(2, "Loop Status", LVCFMT_LEFT, 155);
    m_list->setMinimumSize(100 + 190 + 155 + 24, 280);
    adjustSize();
    m_range->Fill(g_nPortNum);
    auto* to = Item<QComboBox>(IDC_LBD_TO_PORT);
    to->setCurrentIndex(to->count() - 1);
    auto* state = Item<QComboBox>(IDC_LBD_PORT_STATE);
    state->addItems({"Disable", "Enable"});
    state->setCurrentIndex(0);
    // Apply writes the form back: not before a read filled it.
    EnableDlgItem(IDC_LBD_APPLY_GLOBAL, false);
    EnableDlgItem(IDC_LBD_APPLY_PORTS, false);
    OnRefresh();
    return 1;
}

void CLoopbackDetection::OnRefresh() {
    setEnabled(false);
    EnableDlgItem(IDC_LBD_REFRESH, false);
    m_list->DeleteAllItems();
    m_bRefreshing = true;
    m_bTrunksRead = false;
    m_bTrunkFailShown = false;
    m_bGlobalRead = false;
    if (m_logic.SetOwnerWnd(this)) {
        m_logic.ReadTrunkPorts();
        m_logic.ReadVlanLoops();
    }
}

LRESULT CLoopbackDetection::OnSnmpResult(WPARAM wParam, LPARAM lParam) {
    switch (wParam) {
        case LBD_GLOBAL_SETTINGS:
            if (lParam != 0) {
                OnGlobalSettings(*ksx::Record<LbdGlobalSettings>(lParam));
            }
            break;
        case LBD_PORT_ROW:
            if (lParam != 0) {
                OnPortRow(*ksx::Record<LbdPortRow>(lParam));
            }
            break;
        case LBD_PORTS_FINISHED:
            OnRefreshEnd();
            break;
        case LBD_PORT_WRITE_DONE:
            OnRefresh();
            break;
        case LBD_VLAN_LOOPS_DONE:
            m_logic.ReadGlobalSettings();
            m_logic.ReadPortStates();
            break;
        case LBD_TRUNKS_READ:
            OnTrunksRead(lParam != 0);
            break;
        default:
            break;
    }
    return 0;
}

void CLoopbackDetection::OnGlobalSettings(const LbdGlobalSettings& g) {
    m_bEnabled = g.enabled;
    m_bGlobalRead = true;
    m_strVlanList = g.vlanList;
    SetDlgItemText(IDC_LBD_INTERVAL, g.interval);
    SetDlgItemText(IDC_LBD_RECOVER_TIME, g.recoverTime);
    SetDlgItemText(IDC_LBD_VLAN_LIST, g.vlanList);
    const int mode = text::LeadingInt(g.mode) - 1;
    Item<QComboBox>(IDC_LBD_MODE)->setCurrentIndex(mode == 0 || mode == 1 ? mode : -1);
    const bool portBased = Item<QComboBox>(IDC_LBD_MODE)->currentIndex() == 0;
    CheckDlgButton(IDC_LBD_ENABLED, g.enabled ? 1 : 0);
    CheckDlgButton(IDC_LBD_DISABLED, g.enabled ? 0 : 1);
    for (int id : {IDC_LBD_INTERVAL, IDC_LBD_RECOVER_TIME, IDC_LBD_FROM_PORT, IDC_LBD_TO_PORT,
                   IDC_LBD_PORT_STATE, IDC_LBD_MODE}) {
        EnableDlgItem(id, g.enabled);
    }
    if (g.enabled) {
        EnableDlgItem(IDC_LBD_VLAN_LIST, !portBased);
    } else {
        EnableDlgItem(IDC_LBD_VLAN_LIST, false);
    }
    if (portBased) {
        SetDlgItemText(IDC_LBD_VLAN_LIST, "");
    }
    EnablePortControls();
    // The global read runs beside the port walk and may answer after the walk ended the refresh: what
    // the refresh's end left unavailable for want of this read becomes usable now.
    if (!m_bRefreshing) {
        OnRefreshEnd();
    }
}

void CLoopbackDetection::OnPortRow(const LbdPortRow& row) {
    const int r = m_list->GetItemCount();
    m_list->InsertItem(r, ui::ToQ(row.port));
    m_list->SetItemText(r, 1, ui::ToQ(row.state));
    // The VLANs this row's port loops in, by the port the row names.
    const std::string vlans = m_logic.VlanLoopText(text::LeadingInt(row.port));
    m_list->SetItemText(r, 2, ui::ToQ(vlans.empty() ? row.loopStatus : "Disabled VID = " + vlans));
}

void CLoopbackDetection::OnRefreshEnd() {
    m_bRefreshing = false;
    setEnabled(true);
    // Apply writes what the form holds: only once a read filled it. A failed read
    // leaves Refresh usable.
    EnableDlgItem(IDC_LBD_APPLY_GLOBAL, m_bGlobalRead);
    EnableDlgItem(IDC_LBD_REFRESH, m_bEnabled || !m_bGlobalRead);
    EnableDlgItem(IDC_LBD_LIST, m_bEnabled);
    EnablePortControls();
}

void CLoopbackDetection::OnTrunksRead(bool ok) {
    m_bTrunksRead = ok;
    if (!ok && !m_bTrunkFailShown) {
        m_bTrunkFailShown = true;
        AfxMessageBox("Failed to read the trunk members.");
        EnableDlgItem(IDC_LBD_REFRESH, true);
    }
    EnablePortControls();
}

void CLoopbackDetection::EnablePortControls() {
    // Enabling a port checks its trunk membership: not before the members are
    // known.
    EnableDlgItem(IDC_LBD_APPLY_PORTS, !m_bRefreshing && m_bEnabled && m_bTrunksRead);
}

void CLoopbackDetection::EnableGlobalButtons(bool enable) {
    EnableDlgItem(IDC_LBD_REFRESH, enable);
    EnableDlgItem(IDC_LBD_APPLY_GLOBAL, enable);
    if (enable) {
        EnablePortControls();
    } else {
        EnableDlgItem(IDC_LBD_APPLY_PORTS, false);
    }
}

void CLoopbackDetection::OnApplyGlobal() {
    EnableGlobalButtons(false);
    const int modeIndex = Item<QComboBox>(IDC_LBD_MODE)->currentIndex();
    const std::string mode = std::to_string(modeIndex + 1);
    const std::string interval = GetDlgItemText(IDC_LBD_INTERVAL);
    const std::string recover = GetDlgItemText(IDC_LBD_RECOVER_TIME);
    const std::string vlans = GetDlgItemText(IDC_LBD_VLAN_LIST);
    const std::string state = IsDlgButtonChecked(IDC_LBD_ENABLED) ? "1" : "2";
    if (modeIndex == 1 && vlans.empty()) {
        AfxMessageBox("Invalid VLAN List");
        EnableGlobalButtons(true);
        return;
    }
    switch (m_logic.SetGlobalSettings(state, mode, interval, recover, vlans)) {
        case CLBDetectionFunLogic::kRefused:
            EnableGlobalButtons(true);
            break;
        case CLBDetectionFunLogic::kWriteFailed:
            AfxMessageBox(AnswerText(m_logic.m_globalWrite, {"the loopback detection settings", true}));
            OnRefresh();
            break;
        case CLBDetectionFunLogic::kWritten:
            m_nRefreshTimerMs =
                modeIndex == 1 ? kRefreshAfterVlanModeMs.Get() : kRefreshAfterPortModeMs.Get();
            SetTimer(kRefreshTimer, static_cast<unsigned>(m_nRefreshTimerMs));
            break;
    }
}

void CLoopbackDetection::OnApplyPorts() {
    if (m_run.Running()) {
        return;
    }
    EnableDlgItem(IDC_LBD_APPLY_PORTS, false);
    const int from = text::LeadingInt(GetDlgItemText(IDC_LBD_FROM_PORT));
    const int to = text::LeadingInt(GetDlgItemText(IDC_LBD_TO_PORT));
    const std::string state = Item<QComboBox>(IDC_LBD_PORT_STATE)->currentIndex() == 1 ? "1" : "2";
    // Off the window's thread: enabling checks every port first (spanning tree read, trunk), then one
    // request per port; the first refusal or refused write ends the run.
    const int count = std::max(to - from + 1, 0);
    const int checks = state == "1" ? count : 0;
    const std::vector<int> trunks = m_logic.TrunkPortsSnapshot();
    auto checkSession = std::make_shared<CCommonSNMP>();
    auto refused = std::make_shared<int>(0);  // 1 a spanning tree refusal, 2 a trunk port
    m_run.Runner().SetCancel([this, checkSession] {
        checkSession->Cancel();
        m_logic.CancelWrite();
    });
    auto step = [this, from, checks, state, trunks, checkSession, refused](int i) -> StepOutcome {
        if (i < checks) {
            const int port = from + i;
            const CLBDetectionFunLogic::StpConflict conflict =
                CLBDetectionFunLogic::CheckStpConflict(*checkSession, port);
            if (conflict != CLBDetectionFunLogic::StpConflict::kNone) {
                if (m_run.Runner().Stopping()) {
                    return StepOutcome::Failed("");
                }
                *refused = 1;
                return StepOutcome::Failed(
                    conflict == CLBDetectionFunLogic::StpConflict::kConflict
                        ? Format("LBD port %d can not both support Spanning Tree and LBD-enabled mode.", port)
                        : Format("Failed to read the spanning tree state of port %d.", port));
            }
            if (port >= 1 && static_cast<size_t>(port) <= trunks.size() &&
                trunks[static_cast<size_t>(port - 1)] != 0) {
                *refused = 2;
                return StepOutcome::Failed(Format("LA %d port can not support in LBD-enabled mode", port));
            }
            return StepOutcome::Done();
        }
        const int port = from + i - checks;
        const SnmpAnswer answer = m_logic.SetPortState(port, state);
        return StepOutcome::Of(
            answer, AnswerText(answer, {"it"},
                               Format("Failed to write the loopback detection state of port %d:", port)));
    };
    auto text = [from, checks](int i, int n) {
        return i < checks ? QString("Checking port %1 (%2 of %3)...").arg(from + i).arg(i + 1).arg(checks)
                          : CStepRun::PortText(from, i - checks, n - checks);
    };
    m_run.Start(checks + count, step, text, [this, from, to, checks, refused](const StepsEnd& end) {
        // The port writes after the checks: none of them was sent while the checks went on.
        StepsEnd writes = end;
        writes.total -= checks;
        writes.done = std::max(end.done - checks, 0);
        writes.inFlight = writes.inFlight && end.done >= checks;
        if (end.stopped) {
            // Closed during the run: the dialog is ending.
            if (writes.total > 0) {
                AfxMessageBox(RunEndText(writes, PortsNamer(from, to)));
            }
            return;
        }
        if (end.failed && *refused != 0) {
            AfxMessageBox(end.failure);
            EnablePortControls();
            EnableDlgItem(IDC_LBD_REFRESH, true);
            if (*refused == 2) {
                OnRefresh();
            }
            return;
        }
        m_logic.PortWritesDone();
        if (end.failed) {
            AfxMessageBox(RunEndText(writes, PortsNamer(from, to)));
        }
    });
}

bool CLoopbackDetection::CheckStpConflict(int port) {
    switch (CLBDetectionFunLogic::CheckStpConflict(port)) {
        case CLBDetectionFunLogic::StpConflict::kNone:
            return true;
        case CLBDetectionFunLogic::StpConflict::kConflict:
            AfxMessageBox(
                Format("LBD port %d can not both support Spanning Tree and LBD-enabled mode.", port));
            return false;
        case CLBDetectionFunLogic::StpConflict::kReadFailed:
            AfxMessageBox(Format("Failed to read the spanning tree state of port %d.", port));
            return false;
    }
    return false;
}

void CLoopbackDetection::OnEnabledClicked() {
    EnableDlgItem(IDC_LBD_INTERVAL, true);
    EnableDlgItem(IDC_LBD_RECOVER_TIME, true);
    EnableDlgItem(IDC_LBD_MODE, true);
    EnableDlgItem(IDC_LBD_VLAN_LIST, Item<QComboBox>(IDC_LBD_MODE)->currentIndex() == 1);
}

void CLoopbackDetection::OnDisabledClicked() {
    for (int id : {IDC_LBD_INTERVAL, IDC_LBD_RECOVER_TIME, IDC_LBD_MODE, IDC_LBD_VLAN_LIST}) {
        EnableDlgItem(id, false);
    }
}

void CLoopbackDetection::OnModeChange() {
    if (Item<QComboBox>(IDC_LBD_MODE)->currentIndex() == 1) {
        EnableDlgItem(IDC_LBD_VLAN_LIST, true);
        SetDlgItemText(IDC_LBD_VLAN_LIST, m_strVlanList);
    } else {
        EnableDlgItem(IDC_LBD_VLAN_LIST, false);
        SetDlgItemText(IDC_LBD_VLAN_LIST, "");
    }
}

void CLoopbackDetection::OnTimer(unsigned id) {
    (void)id;
    m_nRefreshTimerMs = 0;
    OnRefresh();
    KillTimer(kRefreshTimer);
}

int CLoopbackDetection::DestroyWindow() {
    DebugOut("==================DestroyWindow===============");
    return CDialog::DestroyWindow();
}
