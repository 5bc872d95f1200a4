// 802.1X global settings dialog.
#include "features/security/8021XGlobalDlg.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QPointer>
#include <QRadioButton>
#include <memory>
#include <tuple>

#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "features/security/8021XSettingLogic.h"
#include "platform/sys/Debug.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "res/ids_dot1x.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_DOT1X_GLOBAL, [] {
    C8021XGlobalDlg dlg;
    dlg.DoModal();
});

const char kReadFailed[] = "Failed to read the 802.1X global settings.";
const StepsName kWritten{"the 802.1X global settings", true};

// What became of the write (its one request) of a run: nothing when it was written or there was none.
std::string WriteText(bool stopped, bool inFlight, const SnmpAnswer& write) {
    if (stopped) {
        StepsEnd end;
        end.total = 1;
        end.stopped = true;
        end.inFlight = inFlight;
        return RunEndText(end, ListNamer({kWritten}));
    }
    return AnswerText(write, kWritten);
}

// Checks the button of `state` (0 the first, 1 the second) or neither for -1.
void SetRadios(QButtonGroup* group, QAbstractButton* first, QAbstractButton* second, int state) {
    group->setExclusive(false);
    first->setChecked(state == 0);
    second->setChecked(state == 1);
    group->setExclusive(true);
}

int RadioState(const QAbstractButton* first, const QAbstractButton* second) {
    return first->isChecked() ? 0 : second->isChecked() ? 1 : -1;
}

}  // namespace

C8021XGlobalDlg::C8021XGlobalDlg(QWidget* parent) : CDialog(IDD_DOT1X_GLOBAL, parent) {
    OwnSession(m_cCommonSNMP);
    OnCommand(IDC_D1XG_REFRESH, [this] { Read(); });
    OnCommand(IDC_D1XG_STATE_ENABLED, [this] { OnStateClicked(); });
    OnCommand(IDC_D1XG_STATE_DISABLED, [this] { OnStateClicked(); });
    m_run.Runner().SetCancel([this] { m_cCommonSNMP.Cancel(); });
}

C8021XGlobalDlg::~C8021XGlobalDlg() = default;

void C8021XGlobalDlg::CreateControls() {
    SetWindowText("802.1X Global Settings ");
    ui::Form form(*this);
    ui::Form group = form.Group("Global Settings");
    QRadioButton* stateOn = group.Radio(IDC_D1XG_STATE_ENABLED, "Enabled ");
    QRadioButton* stateOff = group.Radio(IDC_D1XG_STATE_DISABLED, "Disabled");
    QRadioButton* eapolOn = group.Radio(IDC_D1XG_EAPOL_ENABLED, "Enabled       ");
    QRadioButton* eapolOff = group.Radio(IDC_D1XG_EAPOL_DISABLED, "Disabled");
    // Two groups of radio buttons in one box: each pair is exclusive on its own.
    m_stateGroup = new QButtonGroup(this);
    m_stateGroup->addButton(stateOn);
    m_stateGroup->addButton(stateOff);
    m_eapolGroup = new QButtonGroup(this);
    m_eapolGroup->addButton(eapolOn);
    m_eapolGroup->addButton(eapolOff);
    group.Row({"Authentication State", stateOn, stateOff, ui::Form::Stretch});
    group.Row({"Forward EAPOL PDU", eapolOn, eapolOff, ui::Form::Stretch});
    group.Field("Authentication Protocol", group.Combo(IDC_D1XG_PROTOCOL));
    form.Buttons({{IDOK, "Apply"}, {IDCANCEL, "Cancel"}, {IDC_D1XG_REFRESH, "&Refresh"}}, IDOK);
}

int C8021XGlobalDlg::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    m_strAuthState.clear();
    m_strForwardEapol.clear();
    m_strAuthProtocol.clear();
    auto* protocol = Item<QComboBox>(IDC_D1XG_PROTOCOL);
    protocol->addItems({"RADIUS", "Local"});
    // No choice until the device's value was read.
    protocol->setCurrentIndex(-1);
    Read();
    return 1;
}

std::string C8021XGlobalDlg::ReadScalar(const char* oid) {
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_GET);
    m_cCommonSNMP.AddVarBind(oid, 4, nullptr);
    const SnmpReply reply = SendRequest(m_cCommonSNMP);
    const std::optional<long long> value = reply.Integer(0);
    // Only the two values these switches have count as read.
    if (!value || (*value != 1 && *value != 2)) {
        TRACE("--------iStatus = %d, error status %d", reply.status, reply.ErrorStatus());
        return std::string();
    }
    return std::to_string(*value);
}

void C8021XGlobalDlg::Read() {
    Start({});
}

void C8021XGlobalDlg::Start(std::vector<std::pair<const char*, std::string>> changes) {
    if (m_run.Running()) {
        return;
    }
    // Disabling the focused button moves the focus on (to Cancel, for Enter): it comes back after the run.
    QPointer<QWidget> focused = focusWidget();
    EnableDlgItem(IDOK, false);
    EnableDlgItem(IDC_D1XG_REFRESH, false);
    // Filled by the steps on the worker; read here once the run has ended.
    struct Outcome {
        SnmpAnswer write{SnmpOutcome::kAccepted};  // the write's account, when there was one
        std::string values[3];
    };
    auto outcome = std::make_shared<Outcome>();
    const int writes = changes.empty() ? 0 : 1;
    auto step = [this, outcome, writes, changes = std::move(changes)](int i) {
        if (i < writes) {
            m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
            for (const auto& [oid, value] : changes) {
                m_cCommonSNMP.AddVarBind(oid, 1, value.c_str());
            }
            const SnmpReply reply = SendRequest(m_cCommonSNMP);
            if (!reply.Accepted()) {
                TRACE("--------iStatus = %d, error status %d", reply.status, reply.ErrorStatus());
                if (!reply.Answer().Refused() && m_run.Runner().Stopping()) {
                    return StepOutcome::Of(reply.Answer());  // cut short by Close: said by the end of the run
                }
                outcome->write = reply.Answer();
            }
            // The device takes a moment to apply the values before they read back.
            m_run.Runner().Pause(20);
            return StepOutcome::Done();
        }
        static const char* const kOids[] = {C8021XSettingLogic::kAuthState, C8021XSettingLogic::kForwardEapol,
                                            C8021XSettingLogic::kAuthProtocol};
        outcome->values[i - writes] = ReadScalar(kOids[i - writes]);
        return StepOutcome::Done();
    };
    auto text = [writes](int i, int) {
        return i < writes ? QString("Writing the 802.1X global settings...")
                          : QString("Reading the 802.1X global settings (%1 of 3)...").arg(i - writes + 1);
    };
    m_run.Start(writes + 3, step, text, [this, outcome, writes, focused](const StepsEnd& end) {
        // Closed during the run, the dialog is ending: a write that ended before the read-back was cut
        // short is still said.
        const std::string said = writes == 0
                                     ? std::string()
                                     : WriteText(end.stopped && end.done == 0, end.inFlight, outcome->write);
        if (!said.empty()) {
            AfxMessageBox(said, MB_OK);
        }
        if (end.stopped) {
            return;
        }
        ShowRead(outcome->values[0], outcome->values[1], outcome->values[2]);
        if (focused && focused->isEnabled()) {
            focused->setFocus(Qt::OtherFocusReason);
        }
    });
}

void C8021XGlobalDlg::ShowRead(const std::string& state, const std::string& eapol,
                               const std::string& protocol) {
    m_strAuthState = state;
    m_strForwardEapol = eapol;
    m_strAuthProtocol = protocol;
    const bool read = !m_strAuthState.empty() && !m_strForwardEapol.empty() && !m_strAuthProtocol.empty();
    // A value not read shows no choice and is never written back: Apply waits for a complete read.
    m_nAuthState = m_strAuthState.empty() ? -1 : (m_strAuthState == "1" ? 0 : 1);
    m_nForwardEapol = m_strForwardEapol.empty() ? -1 : (m_strForwardEapol == "1" ? 0 : 1);
    EnableDlgItem(IDC_D1XG_PROTOCOL, m_strAuthState == "1");
    Item<QComboBox>(IDC_D1XG_PROTOCOL)
        ->setCurrentIndex(m_strAuthProtocol.empty()  ? -1
                          : m_strAuthProtocol == "1" ? 0
                                                     : 1);
    UpdateData(false);
    EnableDlgItem(IDC_D1XG_REFRESH, true);
    EnableDlgItem(IDOK, read);
    if (!read) {
        AfxMessageBox(kReadFailed, MB_OK);
    }
}

void C8021XGlobalDlg::UpdateData(bool toMembers) {
    auto radio = [this](int id) { return Item<QRadioButton>(id); };
    if (toMembers) {
        m_nAuthState = RadioState(radio(IDC_D1XG_STATE_ENABLED), radio(IDC_D1XG_STATE_DISABLED));
        m_nForwardEapol = RadioState(radio(IDC_D1XG_EAPOL_ENABLED), radio(IDC_D1XG_EAPOL_DISABLED));
        return;
    }
    SetRadios(m_stateGroup, radio(IDC_D1XG_STATE_ENABLED), radio(IDC_D1XG_STATE_DISABLED), m_nAuthState);
    SetRadios(m_eapolGroup, radio(IDC_D1XG_EAPOL_ENABLED), radio(IDC_D1XG_EAPOL_DISABLED), m_nForwardEapol);
}

void C8021XGlobalDlg::OnStateClicked() {
    UpdateData(true);
    EnableDlgItem(IDC_D1XG_PROTOCOL, m_nAuthState == 0);
}

void C8021XGlobalDlg::Write() {
    UpdateData(true);
    const int protocolIndex = Item<QComboBox>(IDC_D1XG_PROTOCOL)->currentIndex();
    if (m_nAuthState < 0 || m_nForwardEapol < 0 || protocolIndex < 0 || m_strAuthState.empty() ||
        m_strForwardEapol.empty() || m_strAuthProtocol.empty()) {
        return;
    }
    const std::string state = m_nAuthState == 0 ? "1" : "2";
    const std::string eapol = m_nForwardEapol == 0 ? "1" : "2";
    const std::string protocol = protocolIndex == 0 ? "1" : "2";
    std::vector<std::pair<const char*, std::string>> changes;
    for (const auto& [oid, now, was] :
         {std::tuple{C8021XSettingLogic::kAuthState, &state, &m_strAuthState},
          std::tuple{C8021XSettingLogic::kForwardEapol, &eapol, &m_strForwardEapol},
          std::tuple{C8021XSettingLogic::kAuthProtocol, &protocol, &m_strAuthProtocol}}) {
        if (*now != *was) {
            changes.emplace_back(oid, *now);
        }
    }
    Start(std::move(changes));
}

void C8021XGlobalDlg::OnOK() {
    // Apply: the dialog stays open. Enter with Apply unavailable does nothing.
    if (IsDlgItemEnabled(IDOK)) {
        Write();
    }
}
