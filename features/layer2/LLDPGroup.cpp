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
#include <algorithm>
#include <memory>
#include <set>
#include <utility>

#include "core/SnmpReply.h"
#include "features/layer2/LLDPText.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
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

}  // namespace

CLLDPGroup::CLLDPGroup(QWidget* parent)
    : CDialog(IDD_LLDP_GLOBAL, parent),
      m_read(m_cCommonSNMP, std::vector<std::string>(std::begin(kSystemOids), std::end(kSystemOids)),
             [](const WalkStep& step) {
                 // State, timers and chassis subtype are numbers; chassis ID, name and description
                 // octets. A value of another type is a value not read.
                 SystemInfo info;
                 for (int i = 0; i < 9; ++i) {
                     if (i <= 5) {
                         const std::optional<long long> n = step.Integer(i);
                         info.values.push_back(n ? std::optional<std::string>(std::to_string(*n))
                                                 : std::nullopt);
                     } else {
                         info.values.push_back(step.Octets(i));
                     }
                 }
                 return info;
             }) {
    OwnSession(m_cCommonSNMP);  // closed when the window goes
    OwnSession(m_cCommonSNMPSet);
    OwnReader(m_read);
    m_run.Runner().SetCancel([this] { m_cCommonSNMPSet.Cancel(); });
    m_read.onRow = [this](const SystemInfo& info) { ShowSystemInfo(info); };
    m_read.onEnd = [this](const WalkEnd& end) {
        if (!end.Ok() || end.rows == 0) {
            // A failed read: the state write comes back only over a state read from the device.
            m_bReadWhole = false;
        }
        if (!m_run.Running()) {
            EnableDlgItem(IDC_LLDP_ENABLE_APPLY, m_bRead);
            EnableDlgItem(IDC_LLDP_TIMER_APPLY, m_bTimersRead && IsDlgButtonChecked(IDC_LLDP_ENABLE) == 1);
        }
        if (!m_bReadWhole) {
            AfxMessageBox("Failed to read the LLDP global settings.", MB_OK);
        }
    };
}

CLLDPGroup::~CLLDPGroup() = default;

int CLLDPGroup::DestroyWindow() {
    m_run.Stop();  // a write ends before its session closes
    return CDialog::DestroyWindow();
}

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
    m_bReadWhole = true;
    m_read.Read(OnSystemInfoResult, this);
}

int CLLDPGroup::OnSystemInfoResult(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CLLDPGroup*>(userData)->m_read.Step(response, requestId, status);
}

// Shows what was read; a value not read leaves its control as it was. The state write needs the state,
// the timer write all four timers (it writes them back and plans its order on two of them).
void CLLDPGroup::ShowSystemInfo(const SystemInfo& info) {
    const std::vector<std::optional<std::string>>& v = info.values;
    for (size_t i = 0; i < v.size(); ++i) {
        if (!v[i]) {
            m_bReadWhole = false;
        }
    }
    if (v.size() < 9) {
        m_bReadWhole = false;
        return;
    }
    const bool timers = v[1] && v[2] && v[3] && v[4];
    if (v[0]) {
        const bool enabled = *v[0] == "1";
        CheckDlgButton(IDC_LLDP_ENABLE, enabled ? 1 : 0);
        EnableTimers(enabled);
        m_bRead = true;
    }
    m_bTimersRead = timers;
    if (timers) {
        SetDlgItemText(IDC_LLDP_HOLD, *v[1]);
        SetDlgItemText(IDC_LLDP_INTERVAL, *v[2]);
        m_strTxInterval = *v[2];
        SetDlgItemText(IDC_LLDP_REINIT, *v[3]);
        SetDlgItemText(IDC_LLDP_TX_DELAY, *v[4]);
        m_strTxDelay = *v[4];
    }
    if (v[5]) {
        SetDlgItemText(IDC_LLDP_CHASSIS_SUBTYPE, lldp::LocalChassisSubtypeText(*v[5]));
    }
    if (v[6]) {
        SetDlgItemText(IDC_LLDP_CHASSIS_ID, lldp::ChassisIdText(*v[6]));
    }
    if (v[7]) {
        SetDlgItemText(IDC_LLDP_SYS_NAME, *v[7]);
    }
    if (v[8]) {
        SetDlgItemText(IDC_LLDP_SYS_DESC, *v[8]);
    }
}

SnmpAnswer CLLDPGroup::SendOnRun(const WriteRequest& request, int settleOkMs, int settleFailMs) {
    StepRunner& runner = m_run.Runner();
    for (int attempt = 0;; ++attempt) {
        m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
        for (const auto& [oid, value] : request.binds) {
            m_cCommonSNMPSet.AddVarBind(oid, 1, value.c_str());
        }
        const SnmpAnswer answer = SendRequest(m_cCommonSNMPSet).Answer();
        if (!request.tries) {
            return answer;
        }
        if (answer.Accepted()) {
            runner.Pause(static_cast<unsigned>(std::max(settleOkMs, 0)));
            return answer;
        }
        // A refusal is tried again (three tries in all); no answer at all ends the write at once.
        if (!answer.Refused() || attempt + 1 >= 3 ||
            !runner.Pause(static_cast<unsigned>(std::max(settleFailMs, 0)))) {
            return answer;
        }
    }
}

void CLLDPGroup::StartWrite(const StepsName& what, std::vector<WriteRequest> requests) {
    // Written on the run's worker, read once its end is told: the request that was not accepted.
    auto failed = std::make_shared<SnmpAnswer>();
    const int count = static_cast<int>(requests.size());
    m_run.Start(
        count,
        [this, requests = std::move(requests), failed, ok = m_nSettleOkMs, fail = m_nSettleFailMs](int i) {
            StepRunner& runner = m_run.Runner();
            if (runner.Stopping()) {
                return StepOutcome::NothingSent();
            }
            const SnmpAnswer answer = SendOnRun(requests[static_cast<size_t>(i)], ok, fail);
            if (!answer.Accepted()) {
                *failed = answer;
            }
            // A refusal cut short by a stop wrote nothing of this request.
            return runner.Stopping() && answer.Refused() ? StepOutcome::NothingSent()
                                                         : StepOutcome::Of(answer);
        },
        [what](int, int) { return QString::fromStdString("Writing " + what.text + "..."); },
        [this, what, failed](const StepsEnd& end) { OnWriteEnd(end, what, *failed); });
}

void CLLDPGroup::OnWriteEnd(const StepsEnd& end, const StepsName& what, const SnmpAnswer& failed) {
    if (end.stopped || m_run.Runner().Stopping()) {
        // Closed during the write (or the write ended just as the window closed): the dialog is ending
        // and reads nothing more. The write is said as one: requests it had sent leave it unconfirmed,
        // a write that sent none was not written.
        if (end.done < end.total) {
            StepsEnd whole = end;
            whole.total = 1;
            whole.done = 0;
            whole.inFlight = end.inFlight || end.done > 0;
            AfxMessageBox(RunEndText(whole, ListNamer({what})), MB_OK);
        }
        return;
    }
    if (!end.Complete()) {
        AfxMessageBox(AnswerText(failed, what) + " The settings it holds are shown.", MB_OK);
    }
    // The read that follows gives the Apply buttons back, over what it read.
    OnGetSystemInfo();
}

void CLLDPGroup::OnBUTTONLldpEnableApply() {
    if (!m_bRead || m_run.Running()) {
        return;
    }
    const char* value = IsDlgButtonChecked(IDC_LLDP_ENABLE) == 1 ? "1" : "2";
    EnableDlgItem(IDC_LLDP_ENABLE_APPLY, false);
    StartWrite({"the LLDP state"}, {{{{kStateOid, value}}, true}});
}

void CLLDPGroup::OnApplyTimers() {
    if (!IsDlgItemEnabled(IDC_LLDP_TIMER_APPLY) || !m_bTimersRead || m_run.Running()) {
        return;
    }
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
    // Every request of the plan must be accepted: the first one that is not ends the write. Each request
    // repeats the objects of the requests before it, except the multiplier's own.
    std::vector<WriteRequest> requests;
    Request pending;
    std::set<lldp::Timer> added;
    for (const lldp::TimerRequest& request : plan) {
        if (request.ownSession) {
            requests.push_back({{{oid(lldp::Timer::Multiplier), text(lldp::Timer::Multiplier)}}, false});
            continue;
        }
        for (lldp::Timer t : request.objects) {
            if (added.insert(t).second) {
                pending.emplace_back(oid(t), text(t));
            }
        }
        requests.push_back({pending, request.final});
    }
    EnableDlgItem(IDC_LLDP_TIMER_APPLY, false);
    StartWrite({"the LLDP timers", true}, std::move(requests));
}
