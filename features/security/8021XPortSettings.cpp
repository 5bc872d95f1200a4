// 802.1X port settings dialog.
#include "features/security/8021XPortSettings.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <algorithm>
#include <cstdlib>

#include "controls/ListCtrlEx.h"
#include "core/RunText.h"
#include "core/TextNumbers.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "res/ids_dot1x.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_DOT1X_PORT, [] {
    C8021XPortSettings dlg;
    dlg.DoModal();
});

const char kBackward[] = "\"to port\" can not be smaller than \"from port\"";
const char kTrunkPartial[] = "Cannot add the 802.1X-enabled port to an aggregated link.";
const char kAllPorts[] = "Could not set all port AUTO or Force Unauthorized to the port access control";
const char kPortReadFailed[] = "Failed to read the 802.1X port settings.";
const char kTrunkReadFailed[] = "Failed to read the trunk membership.";

// The value edits: id, start text, text limit, range and the message of a value outside it, in the
// order they are checked.
struct ValueField {
    int id;
    int column;
    const char* start;
    int limit;
    int low;
    int high;
    const char* invalid;
};
constexpr ValueField kFields[] = {
    {IDC_D1XP_QUIET, 2, "60", 5, 0, 65535, "Invalid QuietPeriod"},
    {IDC_D1XP_SUPP_TIMEOUT, 3, "30", 5, 1, 65535, "Invalid SuppTimeout"},
    {IDC_D1XP_SERVER_TIMEOUT, 4, "30", 5, 1, 65535, "Invalid ServerTimeout"},
    {IDC_D1XP_REAUTH_PERIOD, 7, "3600", 5, 1, 65535, "Invalid ReAuthPeriod"},
    {IDC_D1XP_TX_PERIOD, 6, "30", 5, 1, 65535, "Invalid TxPeriod"},
    {IDC_D1XP_MAX_REQ, 5, "2", 2, 1, 10, "\tInvalid MaxReq."},
};

// The columns of the third request, in binding order, with the names the user knows them by.
constexpr int kTimerColumns[] = {2, 3, 4, 5, 6, 7, 8, 11};
const char* const kTimerNames[] = {"QuietPeriod", "SuppTimeout",  "ServerTimeout",    "MaxReq",
                                   "TxPeriod",    "ReAuthPeriod", "ReAuthentication", "Direction"};

// A whole decimal number within low..high; nothing else (an empty text neither).
bool ParseField(const std::string& text, int low, int high, int& value) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    value = std::atoi(text.c_str());
    return value >= low && value <= high;
}

// Columns: heading and width at the default font (the list grows it with the font and its texts).
struct ListHeading {
    const char* text;
    int width;
};
constexpr ListHeading kHeadings[] = {
    {" Port", 50},          {" AdmDir ", 70},       {" Port Control", 140},  {" Tx Period", 110},
    {" Quiet Period", 110}, {" Supp Timeout", 110}, {" ServerTimeout", 110}, {" Max Req", 80},
    {"ReAuth Period", 110}, {" ReAuth", 70},        {" Capability", 120},
};

}  // namespace

C8021XPortSettings::TrunkModule::TrunkModule() {
    m_trunkRead.onEnd = [this](const WalkEnd& end) {
        if (onTrunkEnd) {
            onTrunkEnd(end);
        }
    };
}

SnmpReply C8021XPortSettings::TrunkModule::Write(const SNMP_VARBIND* varbinds, int count) {
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    for (int i = 0; i < count; ++i) {
        m_cCommonSNMP.AddVarBind(varbinds[i].oid, varbinds[i].type, varbinds[i].value);
    }
    return SendRequest(m_cCommonSNMP, std::atoi(g_strSnmpTimeout.c_str()));
}

C8021XPortSettings::C8021XPortSettings(QWidget* parent)
    : CDialog(IDD_DOT1X_PORT, parent), m_range(*this, IDC_D1XP_FROM, IDC_D1XP_TO, kBackward) {
    OwnSessions(m_8021XLogic.Sessions());
    OwnSessions(m_TrunkModule.Sessions());
    OnCommand(IDC_D1XP_APPLY, [this] { OnApply(); });
    OnCommand(IDC_D1XP_REFRESH, [this] { Reload(); });
    OnNotify(CBN_SELCHANGE, IDC_D1XP_CAPABILITY, Handler([this] {
                 EnableDlgItem(IDC_D1XP_PORT_CONTROL, GetDlgItemText(IDC_D1XP_CAPABILITY) != "None");
             }));
    auto walkEnded = [this](WPARAM, LPARAM) -> LRESULT {
        FillList();
        return 0;
    };
    OnMessage(C8021XSettingLogic::WM_SNMP_WALK_END, walkEnded);
    OnMessage(C8021XSettingLogic::WM_SNMP_WALK_STALE, walkEnded);
    m_TrunkModule.onTrunkEnd = [this](const WalkEnd& end) { OnTrunkEnd(end); };
    m_run.Runner().SetCancel([this] { m_TrunkModule.CancelWrite(); });
}

C8021XPortSettings::~C8021XPortSettings() = default;

void C8021XPortSettings::CreateControls() {
    SetWindowText("802.1X Port Settings");
    ui::Form form(*this);
    ui::Form group = form.Group("");
    auto* grid = new QGridLayout;
    int row = 0;
    int col = 0;
    // Label and control pairs, two to a line, aligned in columns.
    auto pair = [&](const char* label, QWidget* control) {
        grid->addWidget(group.Label(label), row, col * 2);
        grid->addWidget(control, row, col * 2 + 1);
        if (++col == 2) {
            col = 0;
            ++row;
        }
    };
    pair("From Port", group.Combo(IDC_D1XP_FROM));
    pair("To Port", group.Combo(IDC_D1XP_TO));
    for (const ValueField& f : kFields) {
        QLineEdit* edit = group.Edit(f.id);
        edit->setMaxLength(f.limit);
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
    }
    pair("QuietPeriod (0-65535)", Item<QLineEdit>(IDC_D1XP_QUIET));
    pair("SuppTimeout (1-65535)", Item<QLineEdit>(IDC_D1XP_SUPP_TIMEOUT));
    pair("ServerTimeout (1-65535)", Item<QLineEdit>(IDC_D1XP_SERVER_TIMEOUT));
    pair("MaxReq (1-10)", Item<QLineEdit>(IDC_D1XP_MAX_REQ));
    pair("TxPeriod (1-65535)", Item<QLineEdit>(IDC_D1XP_TX_PERIOD));
    pair("ReAuthPeriod (1-65535)", Item<QLineEdit>(IDC_D1XP_REAUTH_PERIOD));
    pair("ReAuthentication", group.Combo(IDC_D1XP_REAUTH));
    pair("Port Control", group.Combo(IDC_D1XP_PORT_CONTROL));
    pair("Capability", group.Combo(IDC_D1XP_CAPABILITY));
    pair("Direction", group.Combo(IDC_D1XP_DIRECTION));
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    group.Layout()->addLayout(grid, 0, 0, 1, 2);
    form.Buttons({{IDC_D1XP_APPLY, "Apply"}, {IDC_D1XP_REFRESH, "Refresh"}});
    m_list = form.Fill(RegisterControl(IDC_D1XP_LIST, new CListCtrlEx));
}

int C8021XPortSettings::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    m_pSelectedPorts.assign(static_cast<size_t>(std::max(g_nPortNum, 0)), 0);
    SetupControls();
    for (const ListHeading& h : kHeadings) {
        m_list->InsertColumn(m_list->GetColumnCount(), h.text, LVCFMT_CENTER, h.width);
    }
    m_list->SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    m_list->setMinimumHeight(260);
    StartWalk();
    m_bTrunkEnded = false;
    m_TrunkModule.ReadTrunkPorts();
    return 1;
}

void C8021XPortSettings::SetupControls() {
    SetIcon(QApplication::windowIcon());
    EnableDlgItem(IDC_D1XP_APPLY, false);
    EnableDlgItem(IDC_D1XP_REFRESH, false);
    m_range.Fill(g_nPortNum);
    auto* to = Item<QComboBox>(IDC_D1XP_TO);
    to->setCurrentIndex(to->count() - 1);
    for (const ValueField& f : kFields) {
        SetDlgItemText(f.id, f.start);
    }
    // The lists are pick-only, in the order they always had (sorted).
    const std::pair<int, QStringList> combos[] = {
        {IDC_D1XP_REAUTH, {"Disabled", "Enabled"}},
        {IDC_D1XP_PORT_CONTROL, {"AUTO", "Force Authorized", "Force UnAuthorized"}},
        {IDC_D1XP_CAPABILITY, {"Authenticator", "None"}},
        {IDC_D1XP_DIRECTION, {"Both", "In"}},
    };
    for (const auto& [id, entries] : combos) {
        auto* box = Item<QComboBox>(id);
        box->clear();
        box->addItems(entries);
    }
    Item<QComboBox>(IDC_D1XP_REAUTH)->setCurrentIndex(0);
    Item<QComboBox>(IDC_D1XP_PORT_CONTROL)->setCurrentIndex(1);
    Item<QComboBox>(IDC_D1XP_CAPABILITY)->setCurrentIndex(1);
    Item<QComboBox>(IDC_D1XP_DIRECTION)->setCurrentIndex(0);
    EnableDlgItem(IDC_D1XP_PORT_CONTROL, false);
}

void C8021XPortSettings::StartWalk() {
    m_bWalkEnded = false;
    if (m_8021XLogic.SetOwnerWnd(this)) {
        m_8021XLogic.ReadPortSettings();
    }
}

void C8021XPortSettings::Reload() {
    EnableDlgItem(IDC_D1XP_APPLY, false);
    EnableDlgItem(IDC_D1XP_REFRESH, false);
    std::fill(m_pSelectedPorts.begin(), m_pSelectedPorts.end(), 0);
    SetupControls();
    m_bTrunkEnded = false;
    m_bTrunkOk = false;
    m_TrunkModule.ReadTrunkPorts();
    StartWalk();
}

void C8021XPortSettings::FillList() {
    m_list->DeleteAllItems();
    for (const X8021_statistics_info& r : m_8021XLogic.m_PortList) {
        const int item = m_list->GetItemCount();
        const QString cells[] = {QString::number(r.port),
                                 QString::fromStdString(r.direction),
                                 QString::fromStdString(r.portControl),
                                 QString::fromStdString(r.NumberText(X8021_statistics_info::kTxPeriod)),
                                 QString::fromStdString(r.NumberText(X8021_statistics_info::kQuietPeriod)),
                                 QString::fromStdString(r.NumberText(X8021_statistics_info::kSuppTimeout)),
                                 QString::fromStdString(r.NumberText(X8021_statistics_info::kServerTimeout)),
                                 QString::fromStdString(r.NumberText(X8021_statistics_info::kMaxReq)),
                                 QString::fromStdString(r.NumberText(X8021_statistics_info::kReAuthPeriod)),
                                 QString::fromStdString(r.reAuth),
                                 QString::fromStdString(r.capability)};
        for (int c = 0; c < 11; ++c) {
            m_list->SetItemTextEx(item, c, cells[c]);
        }
        m_arrPortControl.push_back(r.portControl);
    }
    m_bWalkEnded = true;
    UpdateButtons();
    if (!m_8021XLogic.LastEnd().Ok() && !m_8021XLogic.LastEnd().stale) {
        AfxMessageBox(kPortReadFailed, MB_OK);
    }
}

void C8021XPortSettings::OnTrunkEnd(const WalkEnd& end) {
    m_bTrunkEnded = true;
    m_bTrunkOk = end.Ok();
    UpdateButtons();
    if (!m_bTrunkOk) {
        AfxMessageBox(kTrunkReadFailed, MB_OK);
    }
}

void C8021XPortSettings::UpdateButtons() {
    // The range checks need the trunk membership: Apply waits for its read to have succeeded.
    EnableDlgItem(IDC_D1XP_REFRESH, m_bWalkEnded && !m_bWriting);
    EnableDlgItem(IDC_D1XP_APPLY, m_bWalkEnded && m_bTrunkEnded && m_bTrunkOk && !m_bWriting);
}

bool C8021XPortSettings::CheckFields(std::vector<int>& values) {
    values.assign(12, 0);
    for (const ValueField& f : kFields) {
        int value = 0;
        if (!ParseField(GetDlgItemText(f.id), f.low, f.high, value)) {
            AfxMessageBox(f.invalid, MB_OK);
            SetFocusTo(f.id);
            Item<QLineEdit>(f.id)->selectAll();
            return false;
        }
        values[static_cast<size_t>(f.column)] = value;
    }
    return true;
}

void C8021XPortSettings::OnApply() {
    if (!IsDlgItemEnabled(IDC_D1XP_APPLY)) {
        return;
    }
    const int from = m_range.From();
    const int to = m_range.To();
    if (from < 1 || to < from || to > g_nPortNum) {
        return;
    }
    std::fill(m_pSelectedPorts.begin(), m_pSelectedPorts.end(), 0);
    for (int p = from; p <= to && p <= static_cast<int>(m_pSelectedPorts.size()); ++p) {
        m_pSelectedPorts[static_cast<size_t>(p - 1)] = 1;
    }
    if (!m_TrunkModule.CheckTrunkConsistency(m_pSelectedPorts.data())) {
        AfxMessageBox(kTrunkPartial, MB_OK);
        return;
    }
    const int control = Item<QComboBox>(IDC_D1XP_PORT_CONTROL)->currentIndex();
    if (to - from == g_nPortNum - 1 && (control == 0 || control == 2)) {
        AfxMessageBox(kAllPorts, MB_OK);
        return;
    }
    std::vector<int> values;
    if (!CheckFields(values)) {
        return;
    }
    EnableDlgItem(IDC_D1XP_APPLY, false);
    EnableDlgItem(IDC_D1XP_REFRESH, false);
    Write(from, to, values);
}

void C8021XPortSettings::Write(int from, int to, const std::vector<int>& values) {
    const bool none = GetDlgItemText(IDC_D1XP_CAPABILITY) == "None";
    const std::string controlText = GetDlgItemText(IDC_D1XP_PORT_CONTROL);
    const std::string capability = none ? "2" : "1";
    const std::string portControl = none                                  ? "3"
                                    : controlText == "AUTO"               ? "2"
                                    : controlText == "Force UnAuthorized" ? "1"
                                                                          : "3";
    std::string texts[12];
    for (int c = 2; c <= 7; ++c) {
        texts[c] = std::to_string(values[static_cast<size_t>(c)]);
    }
    texts[8] = GetDlgItemText(IDC_D1XP_REAUTH) == "Disabled" ? "2" : "1";
    texts[11] = GetDlgItemText(IDC_D1XP_DIRECTION) == "Both" ? "0" : "1";
    const std::vector<int> trunk = m_TrunkModule.TrunkPortsSnapshot();
    const bool skipMembers = m_bWriteTrunkMembers == 0;
    std::vector<std::string> columns(12);
    for (int c = 0; c < 12; ++c) {
        columns[static_cast<size_t>(c)] = texts[c];
    }
    // Per port, off the window's thread: the three writes in order; the first that fails ends the write.
    auto writePort = [this, from, trunk, skipMembers, capability, portControl,
                      columns](int i) -> StepOutcome {
        const int p = from + i;
        const bool member = p - 1 < static_cast<int>(trunk.size()) && trunk[static_cast<size_t>(p - 1)] != 0;
        if (skipMembers && member) {
            return StepOutcome::Done();
        }
        const std::string index = "." + std::to_string(p);
        auto vb = [&](int column, const std::string& value) {
            return SNMP_VARBIND{C8021XSettingLogic::PortColumn(column) + index, value.c_str(), 1, 1};
        };
        const SNMP_VARBIND capabilityVb[] = {vb(10, capability)};
        const SNMP_VARBIND controlVb[] = {vb(9, portControl)};
        SNMP_VARBIND timers[8];
        for (int t = 0; t < 8; ++t) {
            timers[t] = vb(kTimerColumns[t], columns[static_cast<size_t>(kTimerColumns[t])]);
        }
        struct Request {
            const SNMP_VARBIND* vbs;
            int count;
        };
        const Request requests[] = {{capabilityVb, 1}, {controlVb, 1}, {timers, 8}};
        for (const Request& request : requests) {
            if (m_run.Runner().Stopping()) {
                // After the port's first write the port is partly written: unconfirmed, not unwritten.
                return &request == requests ? StepOutcome::NothingSent() : StepOutcome::Failed("");
            }
            const SnmpReply reply = m_TrunkModule.Write(request.vbs, request.count);
            if (reply.Accepted()) {
                continue;
            }
            TRACE("--------iStatus = %d, error status %d", reply.status, reply.ErrorStatus());
            // Name what was refused: the one column, or the column the device pointed at.
            std::string what;
            if (request.count == 1) {
                what = request.vbs == capabilityVb ? "Capability" : "Port Control";
            } else {
                const int at = reply.ErrorIndex();
                what = at >= 1 && at <= 8 ? kTimerNames[at - 1] : "the timer settings";
            }
            return AnswerStep(reply.Answer(), {what, what == "the timer settings"},
                              "Writing stopped at port " + std::to_string(p) + ": ");
        }
        return StepOutcome::Done();
    };
    m_bWriting = true;
    m_run.Start(
        to - from + 1, writePort, [from](int i, int n) { return CStepRun::PortText(from, i, n); },
        [this, from, to](const StepsEnd& end) {
            m_bWriting = false;
            if (end.stopped) {
                // Closed during the write: the dialog is ending.
                AfxMessageBox(RunEndText(end, PortsNamer(from, to)), MB_OK);
                return;
            }
            if (end.failed) {
                AfxMessageBox(end.failure, MB_OK);
            }
            Reload();
        });
}
