// Syslog host dialog.
#include "features/port_system/SyslogHostCfgDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QString>
#include <algorithm>

#include "controls/EditEXIPV6.h"
#include "core/RowCreate.h"
#include "core/SnmpReply.h"
#include "core/TextNumbers.h"
#include "core/Utils.h"
#include "platform/sys/Debug.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "platform/ui/Text.h"
#include "res/ids_poe_syslog.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(ID_MENU_SYSLOG_HOST, [] {
    CSyslogHostCfgDlg dlg;
    dlg.DoModal();
});

constexpr int kMaxPortDigits = 5;

const char* const kTextInvalidAddress = "Invalid Syslog Sever IP address.";
const char* const kTextInvalidPort = "Invalid UDP port range (1-65535)";

// Row-status values of the host table.
const char* const kActive = "1";
const char* const kCreateAndWait = "5";
const char* const kDestroy = "6";

// A host write that did not go as asked, and what the window shows next.
std::string HostFailedText(const SnmpAnswer& answer) {
    return AnswerText(answer, {"the syslog host settings", true}) + " The settings it holds are shown.";
}

// What a host row that did not become active means to the user: the next Apply of the host replaces
// it.
std::string RowUnconfirmedText(const std::string& host) {
    return " " + Capitalised(HalfMadeRowText("the host " + host, false, "Applying it"));
}
std::string RowNotActiveText(const std::string& host) {
    return " " + Capitalised(HalfMadeRowText("the host " + host, true, "Applying the host"));
}
// A host row the device may or may not hold, not active.
std::string RowMayBeLeftText(const std::string& host) {
    return " The host " + host + " is not active; applying it again replaces any row the device made for it.";
}

// The step of the host writes that removes the old host, after the new host's create, port and
// activation.
constexpr int kRemovalStep = 3;

// How the host writes ended when they did not complete: what the device confirmed, and what that
// means for the row of `newHost`, whose create, port and activation are the first three writes, and
// for `oldHost`, whose removal follows them.
std::string HostWritesEndText(const StepsEnd& end, const StepsNamer& name, const std::string& newHost,
                              const std::string& oldHost) {
    std::string text = RunEndText(end, name);
    if (newHost.empty()) {
        return text;
    }
    const RunTally t = RunTally::Of(end);
    if (!oldHost.empty() && t.done == kRemovalStep && (t.unconfirmed || t.refused)) {
        // The new host is active and the old one may be too.
        text += " The device may log to both hosts, " + newHost + " and " + oldHost + ".";
    }
    if (t.done == 0 && t.unconfirmed) {
        text += RowMayBeLeftText(newHost);
    } else if (t.done == 1 || (t.done == 2 && !t.unconfirmed)) {
        text += RowNotActiveText(newHost);
    } else if (t.done == 2) {
        text += " If the host " + newHost + " did not become active, applying it again replaces its row.";
    }
    return text;
}

}  // namespace

CSyslogHostCfgDlg::CSyslogHostCfgDlg(QWidget* parent)
    : CDialog(IDD_SYSLOG_HOST, parent),
      m_globalRead(m_cCommonSNMP, {kFacilityOid, kSeverityOid, kTimeStampOid, kStateOid},
                   [](const WalkStep& s) {
                       auto number = [&](int i) {
                           const auto v = s.Integer(i);
                           return v ? std::to_string(*v) : std::string();
                       };
                       GlobalValues values{number(0), number(1), number(2), number(3)};
                       values.stateRead = s.Integer(3).has_value();
                       values.optionsRead = s.Integer(0) && s.Integer(1) && s.Integer(2);
                       return values;
                   }),
      m_hostRead(m_cCommonSNMPTable,
                 {std::string(kHostEntry) + ".5", std::string(kHostEntry) + ".1",
                  std::string(kHostEntry) + ".2", std::string(kHostEntry) + ".3"},
                 [](const WalkStep& s) {
                     const auto status = s.Integer(0);
                     const auto type = s.Integer(1);
                     const auto address = s.Octets(2);
                     const auto port = s.Integer(3);
                     HostRow row;
                     row.read = status && type && address && port;
                     if (row.read) {
                         row = HostRow{std::to_string(*status), std::to_string(*type), *address,
                                       std::to_string(*port), true};
                     }
                     return row;
                 }) {
    OwnReader(m_globalRead);
    OwnReader(m_hostRead);
    OwnSession(m_cCommonSNMP);
    OwnSession(m_cCommonSNMPSet);
    m_run.Runner().SetCancel([this] { m_cCommonSNMPSet.Cancel(); });
    OwnSession(m_cCommonSNMPTable);
    m_globalRead.onRow = [this](const GlobalValues& values) { ShowGlobal(values); };
    m_globalRead.onEnd = [this](const WalkEnd& end) {
        if (!end.Ok()) {
            m_stateRead = m_optionsRead = false;
        }
        if (!end.stale) {
            SendMessage(WM_SYSLOG_HOST_DONE, 1, RecordParam("Finished"));
        }
    };
    m_hostRead.onRow = [this](const HostRow& row) {
        if (!row.read) {
            m_hostRowsOk = false;  // the form keeps what it showed; the host is not known
            return;
        }
        const bool active = row.status == kActive;
        if (!active && m_activeHostShown) {
            return;  // a row nobody finished never hides the configured host
        }
        m_activeHostShown = m_activeHostShown || active;
        ShowHost(row);
    };
    m_hostRead.onEnd = [this](const WalkEnd& end) {  // the form keeps the last row
        m_hostOk = end.Ok() && m_hostRowsOk;
        UpdateApply();
        if (!m_stateRead || !m_optionsRead || !m_hostOk) {
            SayReadFailure();
        }
        ++m_nHostWalksEnded;
    };
    OnCommand(IDC_SYSLOG_ENABLE, [this] { OnSyslogEnableClicked(); });
    OnCommand(IDC_SYSLOG_APPLY_STATE, [this] { OnApplyState(); });
    OnCommand(IDC_SYSLOG_APPLY_HOST, [this] { OnApplyHost(); });
    OnCommand(IDC_SYSLOG_REFRESH, [this] { ReadSyslogGlobal(); });
    OnNotify(EN_CHANGE, IDC_SYSLOG_PORT, Handler([this] { OnPortChanged(); }));
    OnMessage(WM_SYSLOG_HOST_DONE, [this](WPARAM, LPARAM) -> LRESULT {
        OnHostDone();
        return 1;
    });
}

CSyslogHostCfgDlg::~CSyslogHostCfgDlg() = default;

void CSyslogHostCfgDlg::CreateControls() {
    SetWindowText("Syslog Host Configuration");
    ui::Form form(*this);
    auto syslog = form.Group("Syslog", IDC_SYSLOG_GROUP);
    m_chkEnable = syslog.Check(IDC_SYSLOG_ENABLE, "SysLogEnable");
    syslog.Row({m_chkEnable, ui::Form::Stretch, syslog.Button(IDC_SYSLOG_APPLY_STATE, "Apply")});

    auto config = form.Group("Configuratiom", IDC_SYSLOG_CONFIG_GROUP);
    m_editHost = RegisterControl(IDC_SYSLOG_HOST, new CEditEXIPV6);
    m_editPort = config.Edit(IDC_SYSLOG_PORT);
    m_editPort->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), m_editPort));
    config.Row(
        {"Host IP", m_editHost, config.Label("UDP Port(1-65535):", IDC_SYSLOG_PORT_LABEL), m_editPort});
    m_cbFacility = config.Combo(IDC_SYSLOG_FACILITY);
    m_cbSeverity = config.Combo(IDC_SYSLOG_SEVERITY);
    config.Row({"Facility", m_cbFacility, "Severity:", m_cbSeverity});
    m_cbTimeStamp = config.Combo(IDC_SYSLOG_TIME_STAMP, true);
    config.Row({"Time Stamp", m_cbTimeStamp});
    form.Buttons(
        {{IDC_SYSLOG_REFRESH, "&Refresh"}, {IDC_SYSLOG_APPLY_HOST, "&Apply"}, {IDC_SYSLOG_CLOSE, "&Close"}});

    // The template's initial data; no item is selected until a read selects one.
    for (int n = 0; n < 8; ++n) {
        m_cbFacility->addItem(QString("Local%1").arg(n));
    }
    m_cbSeverity->addItems({"Warning", "Informational", "All"});
    m_cbTimeStamp->addItems({"Enabled", "Disabled"});
    for (QComboBox* box : {m_cbFacility, m_cbSeverity, m_cbTimeStamp}) {
        box->setCurrentIndex(-1);
    }
}

int CSyslogHostCfgDlg::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    for (int id : {IDC_SYSLOG_HOST, IDC_SYSLOG_PORT, IDC_SYSLOG_FACILITY, IDC_SYSLOG_SEVERITY}) {
        EnableDlgItem(id, false);
    }
    ReadSyslogGlobal();
    return 1;
}

std::string CSyslogHostCfgDlg::HostIndex(const std::string& address) {
    if (address.find('.') != std::string::npos) {
        return ".1.4." + address;
    }
    if (address.find(':') != std::string::npos) {
        // The row index holds the 16 address octets only, never an interface suffix.
        std::string digits = CUtils::ExpandIPv6(address.substr(0, address.find('%')));
        digits.erase(std::remove(digits.begin(), digits.end(), ':'), digits.end());
        return ".2.16" + CUtils::HexToOidIndex(digits);
    }
    return std::string();
}

// ---- Reading ----

void CSyslogHostCfgDlg::ReadSyslogGlobal() {
    m_stateRead = m_optionsRead = m_hostOk = false;
    m_hostRowsOk = true;
    m_readFailSaid = false;
    UpdateApply();
    m_editHost->setText("0.0.0.0");
    m_editPort->setText("514");
    m_globalRead.Read(&CSyslogHostCfgDlg::OnSyslogGlobalRead, this);
}

int CSyslogHostCfgDlg::OnSyslogGlobalRead(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CSyslogHostCfgDlg*>(userData)->m_globalRead.Step(response, requestId, status);
}

void CSyslogHostCfgDlg::ShowGlobal(const GlobalValues& values) {
    m_stateRead = values.stateRead;
    m_optionsRead = values.optionsRead;
    if (!values.optionsRead || !values.stateRead) {
        return;  // shown as they were; neither Apply writes them back
    }
    const int facility = text::LeadingInt(values.facility);
    int item = 0;
    if (facility >= 128 && facility <= 184 && facility % 8 == 0 &&
        values.facility == std::to_string(facility)) {
        item = (facility - 128) / 8;
    }
    m_cbFacility->setCurrentIndex(item);

    if (values.severity == "4") {
        m_cbSeverity->setCurrentIndex(0);
    } else if (values.severity == "6") {
        m_cbSeverity->setCurrentIndex(1);
    } else if (values.severity == "7") {
        m_cbSeverity->setCurrentIndex(2);
    }

    m_cbTimeStamp->setCurrentIndex(values.timeStamp == "1" ? 0 : 1);

    const bool enabled = values.state == "1";
    m_chkEnable->setChecked(enabled);
    EnableOptions(enabled);
}

void CSyslogHostCfgDlg::OnHostDone() {
    ++m_nGlobalReadsEnded;
    UpdateApply();
    ReadSyslogHost();
}

void CSyslogHostCfgDlg::UpdateApply() {
    EnableDlgItem(IDC_SYSLOG_APPLY_STATE, m_stateRead);
    // The host Apply writes the options and replaces the host it read: it waits for all of them.
    EnableDlgItem(IDC_SYSLOG_APPLY_HOST,
                  m_chkEnable->isChecked() && m_stateRead && m_optionsRead && m_hostOk);
}

void CSyslogHostCfgDlg::SayReadFailure() {
    if (!m_readFailSaid) {
        m_readFailSaid = true;  // once per read
        AfxMessageBox("Failed to read the syslog settings; press Refresh to try again.", MB_OK);
    }
}

void CSyslogHostCfgDlg::ReadSyslogHost() {
    // The host is the row this walk finds: one another manager removed is neither written to nor
    // removed again.
    m_strHostAddress.clear();
    m_activeHostShown = false;
    m_hostRead.Walk(&CSyslogHostCfgDlg::OnSyslogHostWalk, this);
}

int CSyslogHostCfgDlg::OnSyslogHostWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CSyslogHostCfgDlg*>(userData)->m_hostRead.Step(response, requestId, status);
}

void CSyslogHostCfgDlg::ShowHost(const HostRow& row) {
    // Each row shown overwrites the form: after the walk it shows the table's last active row, or its
    // last row when none is active.
    unsigned char octets[16] = {};
    std::copy_n(row.address.begin(), std::min<size_t>(row.address.size(), sizeof octets), octets);
    std::string address;
    if (row.type == "1") {
        address = CUtils::HexToDottedDecimal(CUtils::FormatAddressBytes(octets, 1));
    } else if (row.type == "2") {
        address = CUtils::CompressIPv6(CUtils::FormatAddressBytes(octets, 2));
    }
    const bool active = row.status == "1";
    m_editHost->setText(ui::ToQ(active ? address : std::string("0.0.0.0")));
    m_strHostAddress = address;  // a row not active too: Apply replaces it
    m_editPort->setText(ui::ToQ(active ? row.port : std::string("0")));
}

// ---- The form ----

void CSyslogHostCfgDlg::EnableOptions(bool enable) {
    for (int id : {IDC_SYSLOG_HOST, IDC_SYSLOG_PORT, IDC_SYSLOG_FACILITY, IDC_SYSLOG_SEVERITY,
                   IDC_SYSLOG_TIME_STAMP}) {
        EnableDlgItem(id, enable);
    }
}

void CSyslogHostCfgDlg::OnSyslogEnableClicked() {
    EnableOptions(m_chkEnable->isChecked());
}

void CSyslogHostCfgDlg::OnPortChanged() {
    const QString text = m_editPort->text();
    if (text.size() <= kMaxPortDigits) {
        return;
    }
    const int caret = m_editPort->cursorPosition();
    m_editPort->setText(text.left(kMaxPortDigits));
    m_editPort->setCursorPosition(std::min(caret, kMaxPortDigits));
}

// ---- Writing ----

void CSyslogHostCfgDlg::OnApplyState() {
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPSet.AddVarBind(kStateOid, 1, m_chkEnable->isChecked() ? "1" : "2");
    if (const SnmpAnswer answer = GetNextRequest(m_cCommonSNMPSet).Answer(); !answer.Accepted()) {
        AfxMessageBox(AnswerText(answer, {"the syslog state"}) + " The settings it holds are shown.", MB_OK);
    }
    ReadSyslogGlobal();
}

void CSyslogHostCfgDlg::OnApplyHost() {
    m_other.Begin();
    m_progress.Reset();
    std::vector<HostWrite> writes = PlanHost();
    if (writes.empty()) {
        ReadSyslogGlobal();
        return;
    }
    for (int id : {IDC_SYSLOG_APPLY_STATE, IDC_SYSLOG_APPLY_HOST, IDC_SYSLOG_REFRESH}) {
        EnableDlgItem(id, false);
    }
    std::vector<StepsName> names;
    for (const HostWrite& w : writes) {
        names.push_back({w.label, w.lastRequest});
    }
    const int count = static_cast<int>(writes.size());
    const std::string newHost = writes.front().newHost;  // the create comes first, when there is one
    const std::string oldHost =
        writes.size() > static_cast<size_t>(kRemovalStep) ? writes[kRemovalStep].oldHost : std::string();
    auto step = [this, hostText = newHost, writes = std::move(writes)](int i) {
        if (m_run.Runner().Stopping()) {
            return StepOutcome::NothingSent();
        }
        const HostWrite& w = writes[static_cast<size_t>(i)];
        if (!w.newHost.empty()) {
            return CreateHostRow(w);
        }
        SnmpAnswer answer;
        if (w.activation || !w.oldHost.empty()) {
            // The host's status through row creation: an active row is no longer a half-made one, and
            // the configured host the user replaced goes as the user's own removal.
            const RowStatusAccess access = StatusAccessOn(m_cCommonSNMPSet, w.bindings.front().first);
            answer = w.activation ? PutInService(access) : DeletePickedRow(access);
        } else {
            m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
            for (const auto& [oid, value] : w.bindings) {
                m_cCommonSNMPSet.AddVarBind(oid, 1, value.c_str());
            }
            answer =
                (w.lastRequest ? GetNextRequest(m_cCommonSNMPSet) : SendRequest(m_cCommonSNMPSet)).Answer();
        }
        if (answer.Accepted()) {
            return StepOutcome::Done();
        }
        if (m_run.Runner().Stopping()) {
            return StepOutcome::Of(answer);  // cut short: said by the end of the run
        }
        if (!answer.Refused() || !w.oldHost.empty()) {
            // The end says what the device confirmed and what that leaves of the new row (an unanswered
            // write it may have applied), or of the old host when its removal did not go as asked.
            return StepOutcome::Of(answer);
        }
        std::string text = HostFailedText(answer);
        if (!w.undoOid.empty()) {
            // The created row that did not become active goes, through row creation; one that stays,
            // the next Apply replaces.
            const SnmpAnswer removed =
                RemoveOwnRow(StatusAccessOn(m_cCommonSNMPSet, w.undoOid), m_progress.Owner());
            if (!removed.Accepted()) {
                text += removed.Unanswered() ? RowMayBeLeftText(hostText) : RowNotActiveText(hostText);
            }
        }
        return StepOutcome::Failed(text);
    };
    auto text = [](int i, int n) {
        return QString("Writing the syslog host settings (%1 of %2)...").arg(i + 1).arg(n);
    };
    m_run.Start(count, std::move(step), std::move(text),
                [this, name = ListNamer(std::move(names)), newHost, oldHost](const StepsEnd& end) {
                    EnableDlgItem(IDC_SYSLOG_REFRESH, true);
                    if (end.stopped) {
                        // Closed during the writes: the dialog is ending.
                        AfxMessageBox(HostWritesEndText(end, name, newHost, oldHost), MB_OK);
                        return;
                    }
                    if (m_other.Found()) {
                        // Another row of that host, not active: replaced only on the user's Yes.
                        if (AskReplace(m_other, "the syslog host " + newHost) && isVisible()) {
                            OnApplyHost();
                        } else {
                            ReadSyslogGlobal();
                        }
                        return;
                    }
                    if (end.failed) {
                        // A refusal says what it left; an unanswered write what the device confirmed.
                        AfxMessageBox(end.failure.empty() ? HostWritesEndText(end, name, newHost, oldHost) +
                                                                " The settings it holds are shown."
                                                          : end.failure,
                                      MB_OK);
                    }
                    ReadSyslogGlobal();
                });
}

StepOutcome CSyslogHostCfgDlg::CreateHostRow(const HostWrite& w) {
    const std::string& statusOid = w.bindings.front().first;
    bool sent = false;
    bool unanswered = false;  // a create or destroy the device may have applied without saying so
    SnmpAnswer last;          // ... and how the last of them went
    RowStatusAccess access;
    access.row = statusOid;
    access.other = &m_other;
    access.send = [&](const std::string& value) {
        m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
        m_cCommonSNMPSet.AddVarBind(statusOid, 1, value.c_str());
        last = SendRequest(m_cCommonSNMPSet).Answer();
        sent = true;
        unanswered = unanswered || last.Unanswered();
        return last;
    };
    // It tells an absent row from a failed read: a create made where there was none is this Apply's own.
    access.readStatus = StatusAccessOn(m_cCommonSNMPSet, statusOid).readStatus;
    access.stopping = [this] { return m_run.Runner().Stopping(); };
    access.progress = &m_progress;
    switch (CreateRow(access, kCreateAndWait)) {
        case RowCreated::kCreated:
            return StepOutcome::Done();
        case RowCreated::kActive:
            return StepOutcome::Failed("The device already holds an active syslog host " + w.newHost +
                                       "; it was left as it is and nothing was written. The settings it "
                                       "holds are shown.");
        case RowCreated::kOccupied:
            return StepOutcome::Failed("");  // the user is asked once the run has ended
        case RowCreated::kRefused:
            break;
    }
    if (m_run.Runner().Stopping()) {
        return sent ? StepOutcome::Unanswered() : StepOutcome::NothingSent();  // said by the end of the run
    }
    if (!last.Refused()) {
        return StepOutcome::Of(last);  // unanswered, or never sent: said by the end of the run
    }
    return StepOutcome::Failed(HostFailedText(last) +
                               (unanswered ? RowUnconfirmedText(w.newHost) : std::string()));
}

std::vector<CSyslogHostCfgDlg::HostWrite> CSyslogHostCfgDlg::PlanHost() {
    if (m_cbSeverity->currentText().isEmpty() || m_cbFacility->currentText().isEmpty()) {
        return {};  // nothing to write
    }
    m_editHost->OnKillFocus();
    if (m_editHost->m_bValid == 0) {
        AfxMessageBox(kTextInvalidAddress, MB_OK);
        return {};  // said, nothing sent
    }
    const std::string newIndex = HostIndex(m_editHost->m_strAddress);
    const std::string oldIndex = HostIndex(m_strHostAddress);
    const std::string portText = ui::ToStd(m_editPort->text());
    const int port = text::LeadingInt(portText);
    if (port < 1 || port > 65535) {
        AfxMessageBox(kTextInvalidPort, MB_OK);
        return {};  // said, nothing sent
    }

    const std::string status = std::string(kHostEntry) + ".5";
    const std::string udpPort = std::string(kHostEntry) + ".3";
    using Bindings = std::vector<std::pair<std::string, std::string>>;
    auto write = [](std::string label, Bindings bindings, std::string undoOid) {
        HostWrite w;
        w.label = std::move(label);
        w.bindings = std::move(bindings);
        w.undoOid = std::move(undoOid);
        return w;
    };
    std::vector<HostWrite> writes;
    if (newIndex == oldIndex) {
        // The same host: its row stays and takes the port.
        writes.push_back(write("the host's UDP port", {{udpPort + newIndex, portText}}, ""));
        writes.push_back(write("the host's activation", {{status + newIndex, kActive}}, ""));
        writes.back().activation = true;
    } else {
        // The new row first; the old host goes only once the new one is active, so a refused
        // create or port leaves the configured host in place.
        writes.push_back(write("the new host row", {{status + newIndex, kCreateAndWait}}, ""));
        writes.back().newHost = m_editHost->m_strAddress;
        writes.push_back(write("the host's UDP port", {{udpPort + newIndex, portText}}, status + newIndex));
        writes.push_back(write("the host's activation", {{status + newIndex, kActive}}, status + newIndex));
        writes.back().activation = true;
        if (!oldIndex.empty()) {
            HostWrite old = write("the removal of the old host", {{status + oldIndex, kDestroy}}, "");
            old.oldHost = m_strHostAddress;
            writes.push_back(old);
        }
    }
    const char* severities[] = {"4", "6", "7"};
    const int severity = m_cbSeverity->currentIndex();
    HostWrite options = write("the facility, severity and time stamp",
                              {{kSeverityOid, severities[std::clamp(severity, 0, 2)]},
                               {kFacilityOid, std::to_string(128 + 8 * m_cbFacility->currentIndex())},
                               {kTimeStampOid, m_cbTimeStamp->currentIndex() == 0 ? "1" : "2"}},
                              "");
    options.lastRequest = true;
    writes.push_back(options);
    return writes;
}
