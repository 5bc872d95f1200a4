// Global form of the older 802.1X branch.
#include "features/security/8021Config.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QString>
#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

#include "controls/IPAddressCtrl.h"
#include "core/SnmpReply.h"
#include "features/security/Dot1xPortConfig.h"
#include "platform/sys/Debug.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/Form.h"
#include "platform/ui/WaitCursor.h"
#include "res/ids_legacy.h"

using namespace ksx;

namespace {

const std::string P = "1.3.6.1.4.1.7393.10.76.20.1";
const std::string kState = P + ".11.2.1.0";
const std::string kRadiusAddress = P + ".11.1.1.0";
const std::string kRadiusKey = P + ".11.1.2.0";
const std::string kReAuthPeriod = P + ".11.2.7.0";
const std::string kReAuth = P + ".11.2.8.0";
std::string Timer(int i) {
    return P + ".11.2." + std::to_string(2 + i) + ".0";
}

constexpr int kKeyLimit = 33;

// The timer edits in binding order (quiet, transmit, supplicant, server, maximum requests), with their
// ranges and the message of a value outside them.
struct TimerField {
    int id;
    const char* label;
    long long low;
    long long high;
    const char* invalid;
};
constexpr TimerField kTimers[] = {
    {IDC_L1X_QUIET, "QuietPeriod(0-65535 sec)", 0, 65535, "Invalid QuietPeriod (0-65535)"},
    {IDC_L1X_TX_PERIOD, "TxPeriod(1-65535 sec)", 1, 65535, "Invalid TxPeriod (1-65535)"},
    {IDC_L1X_SUPP_TIMEOUT, "SuppTimeout(1-65535 sec)", 1, 65535, "Invalid SuppTimeout (1-65535)"},
    {IDC_L1X_SERVER_TIMEOUT, "ServerTimeout(1-65535 sec)", 1, 65535, "Invalid ServerTimeout (1-65535)"},
    {IDC_L1X_MAX_REQ, "MaxReq(1-10)", 1, 10, "Invalid MaxReq (1-10)"},
};
const char kInvalidReAuthPeriod[] = "Invalid ReAuthPeriod (1-4294967295)";

const int kFieldIds[] = {IDC_L1X_RADIUS_IP,      IDC_L1X_KEY,     IDC_L1X_CONFIRM_KEY,
                         IDC_L1X_TX_PERIOD,      IDC_L1X_QUIET,   IDC_L1X_SUPP_TIMEOUT,
                         IDC_L1X_SERVER_TIMEOUT, IDC_L1X_MAX_REQ, IDC_L1X_REAUTH_PERIOD,
                         IDC_L1X_REAUTH,         IDC_L1X_PORTSET};

// A whole decimal number within low..high (at most 20 digits: nothing wraps); nothing else.
std::optional<unsigned long long> ParseNumber(const std::string& text, unsigned long long low,
                                              unsigned long long high) {
    if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const unsigned long long value = std::stoull(text);
    if (value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

// A RADIUS server must be a host: whole, not 0.0.0.0, first and last part neither 0 nor 255.
bool ValidServer(const std::string& dotted) {
    if (dotted.empty() || dotted == "0.0.0.0") {
        return false;
    }
    const std::string first = dotted.substr(0, dotted.find('.'));
    const std::string last = dotted.substr(dotted.rfind('.') + 1);
    return first != "0" && first != "255" && last != "0" && last != "255";
}

}  // namespace

bool C8021Config::Settings::Complete() const {
    for (const auto& t : timers) {
        if (!t) {
            return false;
        }
    }
    return state && address && key && reAuthPeriod && reAuth;
}

C8021Config::C8021Config(QWidget* parent)
    : CDialog(IDD_LEGACY_8021X_CONFIG, parent),
      m_read(m_cCommonSNMP,
             {kState, kRadiusAddress, kRadiusKey, Timer(0), Timer(1), Timer(2), Timer(3), Timer(4),
              kReAuthPeriod, kReAuth},
             [](const WalkStep& step) -> std::optional<Settings> {
                 Settings s;
                 s.state = step.Integer(0);
                 s.address = step.Dotted(1);
                 s.key = step.Octets(2);
                 for (int i = 0; i < 5; ++i) {
                     s.timers[i] = step.Integer(3 + i);
                 }
                 s.reAuthPeriod = step.Unsigned(8);
                 s.reAuth = step.Integer(9);
                 return s;
             }) {
    OwnReader(m_read);
    OwnSession(m_cCommonSNMP);
    OwnSession(m_cCommonSNMPSet);
    OwnSession(m_cCommonSNMParg);
    m_read.onRow = [this](const Settings& s) { OnSettings(s); };
    m_read.onEnd = [this](const WalkEnd& end) { OnReadEnd(end); };
    OnCommand(IDC_L1X_ENABLE, [this] { EnableFields(IsDlgButtonChecked(IDC_L1X_ENABLE) == 1); });
    OnCommand(IDC_L1X_APPLY, [this] { OnApply(); });
    OnCommand(IDC_L1X_REFRESH, [this] { Read(); });
    OnCommand(IDC_L1X_PORTSET, [this] { OnPortSet(); });
}

C8021Config::~C8021Config() = default;

void C8021Config::CreateControls() {
    SetWindowText("802.1X Config Information");
    ui::Form form(*this);
    ui::Form group = form.Group("");
    group.Add(group.Check(IDC_L1X_ENABLE, "Enable 802.1X"));
    m_address = RegisterControl(IDC_L1X_RADIUS_IP, new CIPAddressCtrl);
    group.Field("Radius Server IP:", m_address);
    for (int id : {IDC_L1X_KEY, IDC_L1X_CONFIRM_KEY}) {
        QLineEdit* edit = group.Edit(id);
        edit->setEchoMode(QLineEdit::Password);
        edit->setMaxLength(kKeyLimit);  // cut as typed; the caret stays
    }
    group.Field("Key:", Item<QLineEdit>(IDC_L1X_KEY));
    group.Field("Confirm Key:", Item<QLineEdit>(IDC_L1X_CONFIRM_KEY));
    auto* grid = new QGridLayout;
    auto number = [&](int row, int col, int id, const char* label) {
        QLineEdit* edit = group.Edit(id);
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance("4294967295") + 16);
        grid->addWidget(group.Label(label), row, col * 2);
        grid->addWidget(edit, row, col * 2 + 1);
    };
    number(0, 0, IDC_L1X_TX_PERIOD, "TxPeriod(1-65535 sec)");
    number(0, 1, IDC_L1X_QUIET, "QuietPeriod(0-65535 sec)");
    number(1, 0, IDC_L1X_SUPP_TIMEOUT, "SuppTimeout(1-65535 sec)");
    number(1, 1, IDC_L1X_SERVER_TIMEOUT, "ServerTimeout(1-65535 sec)");
    number(2, 0, IDC_L1X_MAX_REQ, "MaxReq(1-10)");
    number(2, 1, IDC_L1X_REAUTH_PERIOD, "ReAuthPeriod(1-4294967295 sec)");
    grid->addWidget(group.Label("ReAuthEnabled"), 3, 0);
    grid->addWidget(group.Combo(IDC_L1X_REAUTH), 3, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    const int rows = group.Layout()->rowCount();
    group.Layout()->addLayout(grid, rows, 0, 1, 2);
    form.Buttons({{IDC_L1X_APPLY, "&Apply"},
                  {IDC_L1X_REFRESH, "&Refresh"},
                  {IDC_L1X_PORTSET, "&PortSet"},
                  {IDCANCEL, "&Close"}});
}

int C8021Config::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    Item<QComboBox>(IDC_L1X_REAUTH)->addItems({"Enable", "Disabled"});
    ShowUnread();
    Read();
    return 1;
}

void C8021Config::ShowUnread() {
    // Nothing of an earlier read, and no default, stands for the device's values.
    CheckDlgButton(IDC_L1X_ENABLE, 2);
    EnableDlgItem(IDC_L1X_ENABLE, false);
    EnableFields(false);
    m_address->ClearAddress();
    for (int id : {IDC_L1X_KEY, IDC_L1X_CONFIRM_KEY, IDC_L1X_REAUTH_PERIOD}) {
        SetDlgItemText(id, "");
    }
    for (const TimerField& t : kTimers) {
        SetDlgItemText(t.id, "");
    }
    Item<QComboBox>(IDC_L1X_REAUTH)->setCurrentIndex(-1);
}

void C8021Config::EnableFields(bool enable) {
    for (int id : kFieldIds) {
        EnableDlgItem(id, enable);
    }
}

void C8021Config::Read() {
    EnableDlgItem(IDC_L1X_APPLY, false);
    EnableDlgItem(IDC_L1X_REFRESH, false);
    m_bGotSettings = false;
    m_read.Read();
}

void C8021Config::OnSettings(const Settings& s) {
    if (!s.Complete()) {
        return;  // a value missing, of the wrong type or an exception: the read failed
    }
    m_bGotSettings = true;
    const bool on = *s.state == 1;
    auto* box = Item<QCheckBox>(IDC_L1X_ENABLE);
    box->setTristate(false);
    box->setEnabled(true);
    CheckDlgButton(IDC_L1X_ENABLE, on ? 1 : 0);
    EnableFields(on);
    m_address->SetAddress(*s.address);
    SetDlgItemText(IDC_L1X_KEY, *s.key);
    SetDlgItemText(IDC_L1X_CONFIRM_KEY, *s.key);
    for (int i = 0; i < 5; ++i) {
        SetDlgItemText(kTimers[i].id, std::to_string(*s.timers[i]));
    }
    SetDlgItemText(IDC_L1X_REAUTH_PERIOD, std::to_string(*s.reAuthPeriod));
    Item<QComboBox>(IDC_L1X_REAUTH)->setCurrentIndex(*s.reAuth == 1 ? 0 : 1);
}

void C8021Config::OnReadEnd(const WalkEnd& end) {
    ++m_readsEnded;
    if (end.stale) {
        return;
    }
    // Apply writes back what is shown: only after a read that delivered every value.
    m_bRead = end.Ok() && m_bGotSettings;
    EnableDlgItem(IDC_L1X_REFRESH, true);
    EnableDlgItem(IDC_L1X_APPLY, m_bRead);
    if (!m_bRead) {
        ShowUnread();
        AfxMessageBox("Failed to read the 802.1X configuration.", MB_OK);
    }
}

void C8021Config::OnApply() {
    if (!IsDlgItemEnabled(IDC_L1X_APPLY)) {
        return;
    }

    if (IsDlgButtonChecked(IDC_L1X_ENABLE) == 1) {
        // Everything is checked before the first request goes out.
        const std::string address = m_address->GetAddress();
        if (!ValidServer(address)) {
            AfxMessageBox("Invalid RADIUS Server IP Address.", MB_OK);
            return;
        }
        const std::string key = GetDlgItemText(IDC_L1X_KEY);
        if (key.empty()) {
            AfxMessageBox("Invalid Key.", MB_OK);
            return;
        }
        if (GetDlgItemText(IDC_L1X_CONFIRM_KEY) != key) {
            AfxMessageBox("Please confirm the key again !", MB_OK);
            return;
        }
        std::string timers[5];
        for (int i = 0; i < 5; ++i) {
            const auto v =
                ParseNumber(GetDlgItemText(kTimers[i].id), static_cast<unsigned long long>(kTimers[i].low),
                            static_cast<unsigned long long>(kTimers[i].high));
            if (!v) {
                AfxMessageBox(kTimers[i].invalid, MB_OK);
                return;
            }
            timers[i] = std::to_string(*v);
        }
        const auto period = ParseNumber(GetDlgItemText(IDC_L1X_REAUTH_PERIOD), 1, 4294967295ULL);
        if (!period) {
            AfxMessageBox(kInvalidReAuthPeriod, MB_OK);
            return;
        }
        const std::string periodText = std::to_string(*period);
        const std::string reAuth = Item<QComboBox>(IDC_L1X_REAUTH)->currentIndex() == 0 ? "1" : "2";

        // The RADIUS server with its key, the state when the server was accepted, then the timers.
        auto radiusAccepted = std::make_shared<std::atomic<bool>>(false);
        RunWrites({{"the RADIUS server",
                    [this, address, key, radiusAccepted] {
                        m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
                        m_cCommonSNMP.AddVarBind(kRadiusAddress, 8, address.c_str());
                        m_cCommonSNMP.AddVarBind(kRadiusKey, 2, key.c_str());
                        const SnmpAnswer sent = SendRequest(m_cCommonSNMP).Answer();
                        *radiusAccepted = sent.Accepted();
                        return sent;
                    }},
                   {"the 802.1X state",
                    [this, radiusAccepted] {
                        if (!*radiusAccepted) {
                            return SnmpAnswer{};  // not sent: the RADIUS server is told instead
                        }
                        m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
                        m_cCommonSNMPSet.AddVarBind(kState, 1, "1");
                        return GetNextRequest(m_cCommonSNMPSet).Answer();
                    }},
                   {"the timers",
                    [this, timerTexts = std::vector<std::string>(timers, timers + 5), periodText, reAuth] {
                        m_cCommonSNMParg.Open(CCommonSNMP::REQUEST_SET);
                        for (int i = 0; i < 5; ++i) {
                            m_cCommonSNMParg.AddVarBind(Timer(i), 1,
                                                        timerTexts[static_cast<size_t>(i)].c_str());
                        }
                        m_cCommonSNMParg.AddVarBind(kReAuthPeriod, 10, periodText.c_str());
                        m_cCommonSNMParg.AddVarBind(kReAuth, 1, reAuth.c_str());
                        return GetNextRequest(m_cCommonSNMParg).Answer();
                    },
                    true}});
    } else {
        RunWrites({{"the 802.1X state", [this] {
                        m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
                        m_cCommonSNMP.AddVarBind(kState, 1, "2");
                        return GetNextRequest(m_cCommonSNMP).Answer();
                    }}});
    }
}

void C8021Config::RunWrites(std::vector<Write> writes) {
    EnableDlgItem(IDC_L1X_APPLY, false);
    EnableDlgItem(IDC_L1X_REFRESH, false);
    const int count = static_cast<int>(writes.size());
    // How each write ended: set by the run's worker, read once the run has ended.
    auto sent = std::make_shared<std::vector<SnmpAnswer>>(writes.size());
    std::vector<StepsName> names;
    for (const Write& w : writes) {
        names.push_back({w.what, w.plural});
    }
    m_run.Runner().SetCancel([this] {
        m_cCommonSNMP.Cancel();
        m_cCommonSNMPSet.Cancel();
        m_cCommonSNMParg.Cancel();
    });
    m_run.Start(
        count,
        [this, writes = std::move(writes), sent](int i) {
            if (m_run.Runner().Stopping()) {
                return StepOutcome::NothingSent();
            }
            const SnmpAnswer s = writes[static_cast<size_t>(i)].send();
            if (!s.Accepted() && !s.NotSent() && m_run.Runner().Stopping()) {
                return StepOutcome::Unanswered();  // cut short: said by the end of the run
            }
            // A write that was not accepted does not stop the others.
            (*sent)[static_cast<size_t>(i)] = s;
            return StepOutcome::Done();
        },
        [names](int i, int) {
            return QString::fromStdString("Writing " + names[static_cast<size_t>(i)].text + "...");
        },
        [this, names, sent](const StepsEnd& end) {
            const auto answer = [sent](int i) -> const SnmpAnswer& {
                return (*sent)[static_cast<size_t>(i)];
            };
            std::string text;
            if (end.stopped) {
                // Closed during Apply: the dialog is ending. The write in flight may have been applied; of
                // the writes before it, those the device accepted count as written.
                const StepsNamer named = [names, answer](int from, int to, StepsState state) {
                    std::vector<StepsName> list;
                    for (int i = from; i < to; ++i) {
                        if (state != StepsState::kWritten || answer(i).Accepted()) {
                            list.push_back(names[static_cast<size_t>(i)]);
                        }
                    }
                    return ListNamer(list)(0, static_cast<int>(list.size()), state);
                };
                text = RunEndText(end, named);
            }
            // The writes that did not go as asked, those of one outcome said together; a refusal does not
            // stop the others, and one the device did not answer may have been applied.
            for (const SnmpOutcome outcome :
                 {SnmpOutcome::kRefused, SnmpOutcome::kUnanswered, SnmpOutcome::kNotSent}) {
                std::vector<StepsName> list;
                SnmpAnswer said;
                for (int i = 0; i < end.done; ++i) {
                    if (answer(i).outcome == outcome) {
                        list.push_back(names[static_cast<size_t>(i)]);
                        said = answer(i);
                    }
                }
                if (!list.empty()) {
                    const StepsName what =
                        ListNamer(list)(0, static_cast<int>(list.size()), StepsState::kRefused);
                    text += (text.empty() ? "" : " ") + AnswerText(said, what);
                }
            }
            if (!text.empty()) {
                AfxMessageBox(text, MB_OK);
            }
            if (end.stopped) {
                return;
            }
            Read();
        });
}

void C8021Config::OnPortSet() {
    Dot1xPortConfig dlg;
    dlg.m_strQuietPeriod = GetDlgItemText(IDC_L1X_QUIET);
    dlg.m_strTxPeriod = GetDlgItemText(IDC_L1X_TX_PERIOD);
    dlg.m_strSuppTimeout = GetDlgItemText(IDC_L1X_SUPP_TIMEOUT);
    dlg.m_strServerTimeout = GetDlgItemText(IDC_L1X_SERVER_TIMEOUT);
    dlg.m_strMaxReq = GetDlgItemText(IDC_L1X_MAX_REQ);
    dlg.m_strReAuthPeriod = GetDlgItemText(IDC_L1X_REAUTH_PERIOD);
    dlg.m_strReAuthEnabled = GetDlgItemText(IDC_L1X_REAUTH);
    dlg.DoModal();
}

int C8021Config::DestroyWindow() {
    TRACE("==================DestroyWindow===============");
    TRACE("==================m_cCommonSNMP.Close===============");
    TRACE("==================m_cCommonSNMPSet.Close===============");
    TRACE("==================m_cCommonSNMParg.Close===============");
    return CDialog::DestroyWindow();
}
