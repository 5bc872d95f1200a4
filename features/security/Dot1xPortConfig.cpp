// Port access control dialog of the older 802.1X branch.
#include "features/security/Dot1xPortConfig.h"

#include <QApplication>
#include <QComboBox>
#include <algorithm>
#include <chrono>
#include <thread>

#include "controls/ListCtrlEx.h"
#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/sys/Tunable.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "res/ids_legacy.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_DOT1X_PORT_CONFIG, [] {
    Dot1xPortConfig dlg;
    dlg.DoModal();
});

const std::string kPortTable = "1.3.6.1.4.1.7393.10.76.20.1.11.2.9.1";
const std::string kPortControl = kPortTable + ".2";
const std::string kPortStatus = kPortTable + ".3";

// Bindings per write request, and the pause between two requests of one Apply.
constexpr int kBindingsPerRequest = 30;
const ksx::Tunable kBatchPauseMs("dot1x-port-config.batch-pause-ms", 100);

const char kBackward[] = "'To Port' can not be smaller than 'From Port'";
const char kTrunkMember[] = "Cannot add an aggregated link to the 802.1X-enabled port";
const char kAllUnauthorized[] = "Could not set all port  Force Unauthorized to the port access control.";
const char kAllAuto[] = "Could not set all port AUTO  to the port access control.";
const char kAllEither[] = "Could not set all port AUTO or Force Unauthorized to the port access control.";
const char kPortReadFailed[] = "Failed to read the 802.1X port access control.";
const char kTrunkReadFailed[] = "Failed to read the trunk membership.";

const char* const kHeadings[] = {"Index",
                                 "AuthControlledPortStatus",
                                 "AuthControlledPortControl",
                                 "QuietPeriod",
                                 "TxPeriod",
                                 "SuppTimeout",
                                 "ServerTimeout",
                                 "MaxReq",
                                 "ReAuthPeriod",
                                 "ReAuthEnabled"};

// A value that did not read is an empty cell; one read outside the list is "other".
std::string StatusText(const std::optional<long long>& v) {
    return !v ? "" : v == 1 ? "Authorized" : v == 2 ? "Unauthorized" : "other";
}

std::string ControlText(const std::optional<long long>& v) {
    return !v ? "" : v == 1 ? "Force Unauthorized" : v == 2 ? "Auto" : v == 3 ? "Force Authorized" : "other";
}

}  // namespace

Dot1xPortConfig::TrunkInfo::TrunkInfo() {
    m_trunkRead.onEnd = [this](const WalkEnd& end) {
        if (onTrunkEnd) {
            onTrunkEnd(end);
        }
    };
}

Dot1xPortConfig::Dot1xPortConfig(QWidget* parent)
    : CDialog(IDD_LEGACY_8021X_PORT, parent),
      m_range(*this, IDC_L1XP_FROM, IDC_L1XP_TO, kBackward),
      m_portWalk(m_cCommonSNMPTable, {kPortStatus, kPortControl},
                 [](const WalkStep& step) -> std::optional<PortRow> {
                     PortRow row;
                     row.port = step.IndexInt(0, 0);
                     row.status = step.Integer(0);
                     // The control only when it belongs to the same port (a column with a hole
                     // would lend the next port's).
                     if (step.Index(1) == step.Index(0)) {
                         row.control = step.Integer(1);
                     }
                     return row;
                 }) {
    // The walk reader first: nothing more reaches the dialog once it closes.
    OwnReader(m_portWalk);
    OwnSession(m_cCommonSNMP);
    OwnSessions(m_trunkInfo.Sessions());
    OwnSession(m_cCommonSNMPTable);
    m_portWalk.onRow = [this](const PortRow& row) { OnPortRow(row); };
    m_portWalk.onEnd = [this](const WalkEnd& end) { OnPortWalkEnd(end); };
    m_trunkInfo.onTrunkEnd = [this](const WalkEnd& end) { OnTrunkEnd(end); };
    OnCommand(IDOK, [this] { OnApply(); });
    OnCommand(IDC_L1XP_REFRESH, [this] {
        if (IsDlgItemEnabled(IDC_L1XP_REFRESH)) {
            StartPortWalk();
        }
    });
}

Dot1xPortConfig::~Dot1xPortConfig() = default;

void Dot1xPortConfig::CreateControls() {
    SetWindowText("802.1X Port Access Control");
    ui::Form form(*this);
    ui::Form group = form.Group("");
    group.Row({"From Port:", group.Combo(IDC_L1XP_FROM), "To Port:", group.Combo(IDC_L1XP_TO),
               "Control:", group.Combo(IDC_L1XP_CONTROL), ui::Form::Stretch});
    m_list = form.Fill(RegisterControl(IDC_L1XP_LIST, new CListCtrlEx));
    form.Buttons({{IDOK, "Apply"}, {IDCANCEL, "Cancel"}, {IDC_L1XP_REFRESH, "&Refresh"}});
}

int Dot1xPortConfig::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    m_pPortControl.assign(static_cast<size_t>(std::max(g_nPortNum, 0)), 0);
    for (const char* heading : kHeadings) {
        m_list->InsertColumn(heading, m_list->GetColumnCount());
    }
    m_list->SetExtendedStyle(LVS_EX_FULLROWSELECT | 0x100);  // and flat scroll bars
    m_list->setMinimumHeight(300);
    m_range.Fill(g_nPortNum);
    auto* to = Item<QComboBox>(IDC_L1XP_TO);
    to->setCurrentIndex(to->count() - 1);
    auto* control = Item<QComboBox>(IDC_L1XP_CONTROL);
    control->addItems({"Force Unauthorized", "Auto", "Force Authorized"});
    control->setCurrentIndex(1);
    m_bTrunkEnded = false;
    m_trunkInfo.ReadTrunkPorts();
    StartPortWalk();
    return 1;
}

void Dot1xPortConfig::StartPortWalk() {
    std::fill(m_pPortControl.begin(), m_pPortControl.end(), 0);
    m_list->DeleteAllItems();
    m_bWalkOk = false;
    m_bWalkRunning = true;
    UpdateButtons();
    m_portWalk.Walk();
}

void Dot1xPortConfig::OnPortRow(const PortRow& row) {
    // Rows are keyed by their port: a row of a port this model does not have is dropped.
    if (row.port < 1 || row.port > static_cast<int>(m_pPortControl.size())) {
        TRACE("802.1X port table: row %d dropped", row.port);
        return;
    }
    const long long control = row.control.value_or(0);
    m_pPortControl[static_cast<size_t>(row.port - 1)] =
        control >= 1 && control <= 3 ? static_cast<int>(control) : 0;
    const QString cells[] = {QString::number(row.port),
                             QString::fromStdString(StatusText(row.status)),
                             QString::fromStdString(ControlText(row.control)),
                             QString::fromStdString(m_strQuietPeriod),
                             QString::fromStdString(m_strTxPeriod),
                             QString::fromStdString(m_strSuppTimeout),
                             QString::fromStdString(m_strServerTimeout),
                             QString::fromStdString(m_strMaxReq),
                             QString::fromStdString(m_strReAuthPeriod),
                             QString::fromStdString(m_strReAuthEnabled)};
    const int item = m_list->GetItemCount();
    for (int c = 0; c < 10; ++c) {
        m_list->SetItemTextEx(item, c, cells[c]);
    }
}

void Dot1xPortConfig::OnPortWalkEnd(const WalkEnd& end) {
    m_bWalkRunning = false;
    m_bWalkOk = end.Ok();
    ++m_walksEnded;
    UpdateButtons();
    if (!m_bWalkOk && !end.stale) {
        AfxMessageBox(kPortReadFailed, MB_OK);
    }
}

void Dot1xPortConfig::OnTrunkEnd(const WalkEnd& end) {
    m_bTrunkEnded = true;
    m_bTrunkOk = end.Ok();
    UpdateButtons();
    if (!m_bTrunkOk && !end.stale) {
        AfxMessageBox(kTrunkReadFailed, MB_OK);
    }
}

void Dot1xPortConfig::UpdateButtons() {
    // The checks of Apply need the trunk membership and every port's control as read; neither a second
    // write nor a walk starts beside a write.
    const bool idle = !m_bWalkRunning && !m_run.Running();
    EnableDlgItem(IDC_L1XP_REFRESH, idle);
    EnableDlgItem(IDOK, idle && m_bWalkOk && m_bTrunkEnded && m_bTrunkOk);
}

void Dot1xPortConfig::OnApply() {
    if (!IsDlgItemEnabled(IDOK)) {
        return;
    }
    const int ports = static_cast<int>(m_pPortControl.size());
    const int from = m_range.From();
    const int to = m_range.To();
    if (from < 1 || to < from || to > ports) {
        return;
    }
    if (!m_trunkInfo.TrunkPortsInRange(from, to).empty()) {
        AfxMessageBox(kTrunkMember, MB_OK);
        return;
    }
    const int value = Item<QComboBox>(IDC_L1XP_CONTROL)->currentIndex() + 1;
    int unauthorized = 0;
    int automatic = 0;
    for (int p = 1; p <= ports; ++p) {
        if (p >= from && p <= to) {
            continue;
        }
        const int control = m_pPortControl[static_cast<size_t>(p - 1)];
        unauthorized += control == 1 ? 1 : 0;
        automatic += control == 2 ? 1 : 0;
    }
    const int range = to - from + 1;
    if (value == 1 && unauthorized + range == ports) {
        AfxMessageBox(kAllUnauthorized, MB_OK);
        return;
    }
    if (value == 2 && automatic + range == ports) {
        AfxMessageBox(kAllAuto, MB_OK);
        return;
    }
    if ((value == 1 || value == 2) && unauthorized + automatic + range == ports) {
        AfxMessageBox(kAllEither, MB_OK);
        return;
    }

    // The range in requests of at most 30 bindings, ascending, off the window's thread; the first refused
    // request ends the write.
    const std::string text = std::to_string(value);
    const int batches = (range + kBindingsPerRequest - 1) / kBindingsPerRequest;
    const int pauseMs = kBatchPauseMs.Get();
    EnableDlgItem(IDOK, false);
    EnableDlgItem(IDC_L1XP_REFRESH, false);
    m_run.Runner().SetCancel([this] { m_cCommonSNMP.Cancel(); });
    auto step = [this, from, to, text, pauseMs](int i) -> StepOutcome {
        const int first = from + i * kBindingsPerRequest;
        const int last = std::min(to, first + kBindingsPerRequest - 1);
        if (first != from && !m_run.Runner().Pause(static_cast<unsigned>(pauseMs))) {
            return StepOutcome::NothingSent();
        }
        m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
        for (int p = first; p <= last; ++p) {
            m_cCommonSNMP.AddVarBind(kPortControl + "." + std::to_string(p), 1, text.c_str());
        }
        const SnmpAnswer answer = GetNextRequest(m_cCommonSNMP).Answer();
        return StepOutcome::Of(answer,
                               AnswerText(answer, {"the port access control of " + PortsSpan(first, last)}));
    };
    auto progress = [from, to](int i, int) {
        const int first = from + i * kBindingsPerRequest;
        const int last = std::min(to, first + kBindingsPerRequest - 1);
        return QString("Writing ports %1-%2...").arg(first).arg(last);
    };
    m_run.Start(batches, step, progress, [this, from, to](const StepsEnd& end) {
        if (end.stopped) {
            // Closed during the write: the dialog is ending.
            AfxMessageBox(RunEndText(end, PortsNamer(from, to, kBindingsPerRequest)), MB_OK);
            return;
        }
        if (end.failed) {
            AfxMessageBox(RunEndText(end, PortsNamer(from, to, kBindingsPerRequest)), MB_OK);
        }
        StartPortWalk();
    });
}

int Dot1xPortConfig::DestroyWindow() {
    TRACE("==================DestroyWindow===============");
    TRACE("==================m_cCommonSNMP.Close===============");
    TRACE("==================m_cCommonSNMPTableTrunkInfo.Close===============");
    TRACE("==================m_cCommonSNMPTable.Close===============");
    return CDialog::DestroyWindow();
}
