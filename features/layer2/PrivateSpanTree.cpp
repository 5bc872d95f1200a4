#include "features/layer2/PrivateSpanTree.h"

#include <algorithm>

#include "controls/ListCtrl.h"
#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "features/layer2/PrivateSpanTCommon.h"
#include "features/layer2/PrivateSpanTPort.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/Form.h"
#include "res/ids_stp.h"

using namespace ksx;

namespace {

const std::string& T = stp::kPortTable;

// "; ports 14-28 were not checked" after port `last`, or "" when it was the last port.
std::string NotChecked(int last, int ports) {
    if (last >= ports) {
        return std::string();
    }
    return "; " + PortsSpan(last + 1, ports) + (last + 1 == ports ? " was" : " were") + " not checked";
}

}  // namespace

CPrivateSpanTree::CPrivateSpanTree(QWidget* parent)
    : CPrivateSpanTTableBase(IDD_STP_PORT_TABLE,
                             {T + ".1", T + ".4", T + ".2", T + ".5", T + ".16", T + ".14", T + ".17",
                              T + ".18", T + ".3", T + ".6"},
                             {{"Port", -1, LVCFMT_LEFT},
                              {"State", 100, LVCFMT_CENTER},
                              {"Priority", -1, LVCFMT_LEFT},
                              {"External Cost ", 120, LVCFMT_CENTER},
                              {"Edge", -1, LVCFMT_LEFT},
                              {"P2P", 80, LVCFMT_CENTER},
                              {"Restricted Role", 120, LVCFMT_CENTER},
                              {"Restricted TCN", 120, LVCFMT_CENTER},
                              {"Port Status", 100, LVCFMT_CENTER}},
                             IDC_STPT_REFRESH, parent) {
    OwnSession(m_lbdSession);
    m_run.Runner().SetCancel([this] { m_lbdSession.Cancel(); });
}

CPrivateSpanTree::~CPrivateSpanTree() = default;

void CPrivateSpanTree::CreateControls() {
    SetWindowText("STP Port Settings");
    ui::Form form(*this);
    AddTableControls(form, IDC_STPT_REFRESH, IDCANCEL, "&Close");
}

int CPrivateSpanTree::OnInitDialog() {
    DisableStpOnLbdPorts();
    CPrivateSpanTTableBase::OnInitDialog();
    SetWindowText("Spanning Tree Table");
    return 1;
}

void CPrivateSpanTree::DisableStpOnLbdPorts() {
    const int ports = g_nPortNum;
    {
        std::lock_guard<std::mutex> lock(m_passLock);
        m_pass = LbdPass{};
        m_pass.ports = ports;
    }
    m_run.Start(
        ports, [this](int i) { return CheckPort(i + 1); },
        [](int i, int n) { return QString("Checking port %1 (%2 of %3)...").arg(i + 1).arg(i + 1).arg(n); },
        [this](const StepsEnd& end) {
            LbdPass pass;
            {
                std::lock_guard<std::mutex> lock(m_passLock);
                pass = m_pass;
            }
            if (end.stopped) {
                // Closed during the pass: the dialog is ending and the table is not read.
                AfxMessageBox(StoppedText(pass, end.done));
                return;
            }
            // The table is read whatever became of the pass.
            ReadWhenReady();
            if (end.failed) {
                AfxMessageBox(FailedText(pass, end.done));
            }
        });
}

int CPrivateSpanTree::DestroyWindow() {
    m_run.Stop();  // before its session closes
    return CPrivateSpanTTableBase::DestroyWindow();
}

StepOutcome CPrivateSpanTree::CheckPort(int port) {
    const std::string at = "." + std::to_string(port);
    auto failed = [this, port](std::optional<SnmpAnswer> write) {
        std::lock_guard<std::mutex> lock(m_passLock);
        m_pass.failedPort = port;
        m_pass.write = write;
        if (write && !write->Unanswered()) {
            m_pass.writing = 0;  // answered, or never sent: nothing left unconfirmed
        }
        return write ? StepOutcome::Of(*write) : StepOutcome::Failed("");
    };
    if (!m_lbdSession.Open(CCommonSNMP::REQUEST_GET)) {
        return failed(std::nullopt);
    }
    m_lbdSession.AddVarBind(stp::kLbdPortState + at, 4, nullptr);
    const SnmpReply reply = SendRequest(m_lbdSession);
    if (!reply.response) {
        return failed(std::nullopt);
    }
    // A port without the object (an error status) runs no loopback detection.
    if (!reply.Accepted() || reply.Value(0) != "1") {
        return StepOutcome::Done();
    }
    if (m_run.Runner().Stopping()) {
        return StepOutcome::Failed("");  // closed meanwhile: the write is not sent
    }
    {
        std::lock_guard<std::mutex> lock(m_passLock);
        m_pass.writing = port;
    }
    m_lbdSession.Open(CCommonSNMP::REQUEST_SET);
    m_lbdSession.AddVarBind(stp::kDot1dPortTable + ".4" + at, 1, "2");
    const SnmpAnswer written = SendRequest(m_lbdSession).Answer();
    if (!written.Accepted()) {
        return failed(written);
    }
    std::lock_guard<std::mutex> lock(m_passLock);
    m_pass.writing = 0;
    m_pass.switchedOff.push_back(port);
    return StepOutcome::Done();
}

std::string CPrivateSpanTree::StoppedText(const LbdPass& pass, int done) {
    // A write answered as the stop came counts, whatever the run counted.
    // A port whose write was sent had been checked.
    StepsEnd checks;
    checks.total = pass.ports;
    checks.done = std::max({done, pass.switchedOff.empty() ? 0 : pass.switchedOff.back(), pass.writing});
    checks.stopped = true;
    std::string text = RunEndText(checks, PortsNamer(1, pass.ports), "checked for loopback detection");
    std::vector<StepsState> states;
    std::vector<StepsName> names;
    for (int port : pass.switchedOff) {
        states.push_back(StepsState::kWritten);
        names.push_back({"spanning tree on port " + std::to_string(port)});
    }
    if (pass.writing > 0) {
        states.push_back(StepsState::kUnconfirmed);
        names.push_back({"spanning tree on port " + std::to_string(pass.writing)});
    }
    const std::string writes = StatesText(states, names, "switched off");
    return writes.empty() ? text : text + " " + Capitalised(writes) + ".";
}

std::string CPrivateSpanTree::FailedText(const LbdPass& pass, int done) {
    const int port = pass.failedPort != 0 ? pass.failedPort : done + 1;
    if (pass.write) {
        std::string text = AnswerText(*pass.write, {"it"},
                                      "Failed to switch spanning tree off on port " + std::to_string(port) +
                                          ", which runs loopback detection:",
                                      "switched off");
        text.pop_back();  // the ports not checked follow
        return text + NotChecked(port, pass.ports) + ".";
    }
    return "Failed to read the loopback detection state of port " + std::to_string(port) +
           NotChecked(port, pass.ports) + ".";
}

std::vector<std::string> CPrivateSpanTree::Cells(const WalkStep& s) const {
    return stp::PortRowCells(StepTexts(s, 10));
}

int CPrivateSpanTree::RunEditor() {
    return RunEditorOnList<CPrivateSpanTPort>();
}
