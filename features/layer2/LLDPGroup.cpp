// LLDP global settings dialog.
#include "features/layer2/LLDPGroup.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <chrono>
#include <memory>
#include <set>
#include <thread>

#include "core/SnmpReply.h"
#include "features/layer2/LLDPText.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/WaitCursor.h"
#include "res/ids_lldp.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_LLDP_GLOBAL, [] {
    CLLDPGroup dlg;
    dlg.DoModal();
});

const char* const kSystemOids[9] = {
    CLLDPGroup::kStateOid,    CLLDPGroup::kHoldOid,     CLLDPGroup::kIntervalOid,
    CLLDPGroup::kReinitOid,   CLLDPGroup::kTxDelayOid,  "1.0.8802.1.1.2.1.3.1.0",
    "1.0.8802.1.1.2.1.3.2.0", "1.0.8802.1.1.2.1.3.3.0", "1.0.8802.1.1.2.1.3.4.0"};

const int kTimerIds[4] = {IDC_LLDP_HOLD, IDC_LLDP_INTERVAL, IDC_LLDP_REINIT, IDC_LLDP_TX_DELAY};

void Pause(int ms) {
    if (ms > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
}

}  // namespace

CLLDPGroup::CLLDPGroup(QWidget* parent)
    : CDialog(IDD_LLDP_GLOBAL, parent),
      m_read(m_cCommonSNMP, std::vector<std::string>(std::begin(kSystemOids), std::end(kSystemOids)),
             [](const WalkStep& step) {
                 SystemInfo info;
                 for (int i = 0; i < step.Count() && i < 9; ++i) {
                     info.values.push_back(step.Text(i));
                 }
                 return info;
             }) {
    OwnSession(m_cCommonSNMP);  // closed when the window goes
    OwnSession(m_cCommonSNMPSet);
    OwnReader(m_read);
    m_read.onRow = [this](const SystemInfo& info) { ShowSystemInfo(info); };
    m_read.onEnd = [this](const WalkEnd& end) {
        if (!end.Ok() || end.rows == 0) {
            // A failed read: the state write comes back only over a state read from the device.
            EnableDlgItem(IDC_LLDP_ENABLE_APPLY, m_bRead);
        }
    };
}

CLLDPGroup::~CLLDPGroup() = default;

void CLLDPGroup::SetSettleTimes(int afterSuccessMs, int afterFailureMs) {
    m_nSettleOkMs = afterSuccessMs;
    m_nSettleFailMs = afterFailureMs;
}

void CLLDPGroup::CreateControls() {
    SetWindowText("LLDP Global Settings");
    auto* outer = new QVBoxLayout(Client());

    auto* stateGroup = RegisterControl(IDC_LLDP_STATE_GROUP, new QGroupBox);
    auto* stateRow = new QHBoxLayout(stateGroup);
    stateRow->addWidget(RegisterControl(IDC_LLDP_ENABLE, new QCheckBox(" LLDP Enable ")));
    stateRow->addStretch();
    stateRow->addWidget(RegisterControl(IDC_LLDP_ENABLE_APPLY, new QPushButton("&Apply")));
    outer->addWidget(stateGroup);

    auto* timerGroup = RegisterControl(IDC_LLDP_TIMER_GROUP, new QGroupBox);
    auto* timers = new QGridLayout(timerGroup);
    struct Row {
        int labelId;
        const char* label;
        int editId;
        int unitId;
    };
    const Row rows[4] = {
        {IDC_LLDP_HOLD_LABEL, "Message TX Hold Multipier(2 - 10)", IDC_LLDP_HOLD, 0},
        {IDC_LLDP_INTERVAL_LABEL, "Message TX Interval(5 - 32768)", IDC_LLDP_INTERVAL,
         IDC_LLDP_INTERVAL_UNIT},
        {IDC_LLDP_REINIT_LABEL, "LLDP Reinit Delay (1 - 10)", IDC_LLDP_REINIT, IDC_LLDP_REINIT_UNIT},
        {IDC_LLDP_TX_DELAY_LABEL, "LLDP TX Delay (1 - 8192)", IDC_LLDP_TX_DELAY, IDC_LLDP_TX_DELAY_UNIT},
    };
    for (int i = 0; i < 4; ++i) {
        timers->addWidget(RegisterControl(rows[i].labelId, new QLabel(rows[i].label)), i, 0);
        auto* edit = RegisterControl(rows[i].editId, new QLineEdit);
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
        timers->addWidget(edit, i, 1);
        if (rows[i].unitId != 0) {
            timers->addWidget(RegisterControl(rows[i].unitId, new QLabel("sec")), i, 2);
        }
    }
    auto* timerApply = new QHBoxLayout;
    timerApply->addStretch();
    timerApply->addWidget(RegisterControl(IDC_LLDP_TIMER_APPLY, new QPushButton("Apply")));
    timers->addLayout(timerApply, 4, 0, 1, 3);
    outer->addWidget(timerGroup);

    auto* systemGroup = RegisterControl(IDC_LLDP_SYSTEM_GROUP, new QGroupBox);
    auto* system = new QGridLayout(systemGroup);
    const Row info[4] = {
        {IDC_LLDP_CHASSIS_SUBTYPE_LABEL, "Chassis ID Subtype", IDC_LLDP_CHASSIS_SUBTYPE, 0},
        {IDC_LLDP_CHASSIS_ID_LABEL, "Chassis ID", IDC_LLDP_CHASSIS_ID, 0},
        {IDC_LLDP_SYS_NAME_LABEL, "System Name", IDC_LLDP_SYS_NAME, 0},
        {IDC_LLDP_SYS_DESC_LABEL, "System Description", IDC_LLDP_SYS_DESC, 0},
    };
    for (int i = 0; i < 4; ++i) {
        system->addWidget(RegisterControl(info[i].labelId, new QLabel(info[i].label)), i, 0);
        auto* edit = RegisterControl(info[i].editId, new QLineEdit);
        edit->setReadOnly(true);
        edit->setMinimumWidth(260);
        system->addWidget(edit, i, 1);
    }
    outer->addWidget(systemGroup);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(RegisterControl(IDC_LLDP_CLOSE, new QPushButton("Close")));
    outer->addLayout(bottom);

    OnCommand(IDC_LLDP_ENABLE_APPLY, [this] { OnBUTTONLldpEnableApply(); });
    OnCommand(IDC_LLDP_TIMER_APPLY, [this] { OnApplyTimers(); });
}

int CLLDPGroup::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    // Nothing to write until the device's state is known.
    EnableDlgItem(IDC_LLDP_ENABLE_APPLY, false);
    EnableTimers(false);
    OnGetSystemInfo();
    return 1;
}

void CLLDPGroup::EnableTimers(bool enable) {
    for (int id : kTimerIds) {
        EnableDlgItem(id, enable);
    }
    EnableDlgItem(IDC_LLDP_TIMER_APPLY, enable);
}

void CLLDPGroup::OnGetSystemInfo() {
    m_read.Read(OnSystemInfoResult, this);
}

int CLLDPGroup::OnSystemInfoResult(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CLLDPGroup*>(userData)->m_read.Step(response, requestId, status);
}

void CLLDPGroup::ShowSystemInfo(const SystemInfo& info) {
    const std::vector<std::string>& v = info.values;
    for (size_t i = 0; i < v.size(); ++i) {
        switch (i) {
            case 0: {
                const bool enabled = v[0] == "1";
                CheckDlgButton(IDC_LLDP_ENABLE, enabled ? 1 : 0);
                EnableTimers(enabled);
                m_bRead = true;
                EnableDlgItem(IDC_LLDP_ENABLE_APPLY, true);
                break;
            }
            case 1:
                SetDlgItemText(IDC_LLDP_HOLD, v[1]);
                break;
            case 2:
                SetDlgItemText(IDC_LLDP_INTERVAL, v[2]);
                m_strTxInterval = v[2];
                break;
            case 3:
                SetDlgItemText(IDC_LLDP_REINIT, v[3]);
                break;
            case 4:
                SetDlgItemText(IDC_LLDP_TX_DELAY, v[4]);
                m_strTxDelay = v[4];
                break;
            case 5:
                SetDlgItemText(IDC_LLDP_CHASSIS_SUBTYPE, lldp::LocalChassisSubtypeText(v[5]));
                break;
            case 6:
                SetDlgItemText(IDC_LLDP_CHASSIS_ID, lldp::ChassisIdText(v[6]));
                break;
            case 7:
                SetDlgItemText(IDC_LLDP_SYS_NAME, v[7]);
                break;
            case 8:
                SetDlgItemText(IDC_LLDP_SYS_DESC, v[8]);
                break;
            default:
                break;
        }
    }
}

bool CLLDPGroup::SendWithRetries() {
    for (int attempt = 0; attempt < 3; ++attempt) {
        const SnmpReply reply = GetNextRequest(m_cCommonSNMPSet);
        if (reply.Accepted()) {
            Pause(m_nSettleOkMs);
            return true;
        }
        Pause(m_nSettleFailMs);
    }
    return false;
}

void CLLDPGroup::OnBUTTONLldpEnableApply() {
    if (!m_bRead) {
        return;
    }
    CWaitCursor wait;
    const char* value = IsDlgButtonChecked(IDC_LLDP_ENABLE) == 1 ? "1" : "2";
    EnableDlgItem(IDC_LLDP_ENABLE_APPLY, false);
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPSet.AddVarBind(kStateOid, 1, value);
    SendWithRetries();
    OnGetSystemInfo();
    EnableDlgItem(IDC_LLDP_ENABLE_APPLY, true);
}

void CLLDPGroup::OnApplyTimers() {
    if (!IsDlgItemEnabled(IDC_LLDP_TIMER_APPLY)) {
        return;
    }
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    const std::string hold = GetDlgItemText(IDC_LLDP_HOLD);
    const std::string interval = GetDlgItemText(IDC_LLDP_INTERVAL);
    const std::string reinit = GetDlgItemText(IDC_LLDP_REINIT);
    const std::string txDelay = GetDlgItemText(IDC_LLDP_TX_DELAY);
    const std::string refusal = lldp::CheckTimers(lldp::EditValue(hold), lldp::EditValue(interval),
                                                  lldp::EditValue(reinit), lldp::EditValue(txDelay));
    if (!refusal.empty()) {
        AfxMessageBox(refusal, MB_OK);
        return;
    }
    auto text = [&](lldp::Timer t) -> const std::string& {
        switch (t) {
            case lldp::Timer::Multiplier:
                return hold;
            case lldp::Timer::Interval:
                return interval;
            case lldp::Timer::Reinit:
                return reinit;
            case lldp::Timer::TxDelay:
            default:
                return txDelay;
        }
    };
    auto oid = [](lldp::Timer t) {
        switch (t) {
            case lldp::Timer::Multiplier:
                return kHoldOid;
            case lldp::Timer::Interval:
                return kIntervalOid;
            case lldp::Timer::Reinit:
                return kReinitOid;
            case lldp::Timer::TxDelay:
            default:
                return kTxDelayOid;
        }
    };
    const std::vector<lldp::TimerRequest> plan =
        lldp::TimerWritePlan(lldp::EditValue(m_strTxDelay), lldp::EditValue(m_strTxInterval),
                             lldp::EditValue(interval), lldp::EditValue(hold));
    std::set<lldp::Timer> added;  // bindings pending on m_cCommonSNMPSet: each send repeats them
    for (const lldp::TimerRequest& request : plan) {
        if (request.ownSession) {
            CCommonSNMP holdSession;
            holdSession.Open(CCommonSNMP::REQUEST_SET);
            holdSession.AddVarBind(oid(lldp::Timer::Multiplier), 1, text(lldp::Timer::Multiplier).c_str());
            SendRequest(holdSession);
            continue;
        }
        for (lldp::Timer t : request.objects) {
            if (added.insert(t).second) {
                m_cCommonSNMPSet.AddVarBind(oid(t), 1, text(t).c_str());
            }
        }
        if (!request.final) {
            SendRequest(m_cCommonSNMPSet);
            continue;
        }
        EnableDlgItem(IDC_LLDP_TIMER_APPLY, false);
        SendWithRetries();
    }
    OnGetSystemInfo();
    EnableDlgItem(IDC_LLDP_TIMER_APPLY, true);
}
