#include "features/layer2/PrivateSpanTree.h"

#include <algorithm>

#include "controls/ListCtrl.h"
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

// "port 4" or "ports 4, 9".
std::string PortList(const std::vector<int>& ports) {
    std::string text = ports.size() == 1 ? "port " : "ports ";
    for (size_t i = 0; i < ports.size(); ++i) {
        text += (i > 0 ? ", " : "") + std::to_string(ports[i]);
    }
    return text;
}

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
    auto failed = [this, port](bool refused) {
        std::lock_guard<std::mutex> lock(m_passLock);
        m_pass.failedPort = port;
        m_pass.writeRefused = refused;
        return StepOutcome::Failed("");
    };
    if (!m_lbdSession.Open(CCommonSNMP::REQUEST_GET)) {
        return failed(false);
    }
    m_lbdSession.AddVarBind(stp::kLbdPortState + at, 4, nullptr);
    const SnmpReply reply = SendRequest(m_lbdSession);
    if (!reply.response) {
        return failed(false);
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
    const SnmpReply written = SendRequest(m_lbdSession);
    if (!written.Accepted()) {
        // Answered with an error: not written. Unanswered: the device did not say.
        const bool refused = written.response != nullptr;
        StepOutcome out = failed(refused);
        if (refused) {
            std::lock_guard<std::mutex> lock(m_passLock);
            m_pass.writing = 0;
        }
        return out;
    }
    std::lock_guard<std::mutex> lock(m_passLock);
    m_pass.writing = 0;
    m_pass.switchedOff.push_back(port);
    return StepOutcome::Done();
}

std::string CPrivateSpanTree::StoppedText(const LbdPass& pass, int done) {
    // A write answered as the stop came counts, whatever the run counted.
    const int checked = std::max(done, pass.switchedOff.empty() ? 0 : pass.switchedOff.back());
    std::string text = "Stopped: " + std::to_string(checked) + " of " + std::to_string(pass.ports) +
                       " ports were checked for loopback detection";
    if (!pass.switchedOff.empty()) {
        text += "; spanning tree was switched off on " + PortList(pass.switchedOff);
    }
    int last = checked;
    if (pass.writing > checked) {
        text += "; the device did not confirm whether spanning tree was switched off on port " +
                std::to_string(pass.writing);
        last = pass.writing;
    }
    return text + NotChecked(last, pass.ports) + ".";
}

std::string CPrivateSpanTree::FailedText(const LbdPass& pass, int done) {
    const int port = pass.failedPort != 0 ? pass.failedPort : done + 1;
    std::string text;
    if (pass.writing == port) {
        text = "The device did not confirm whether spanning tree was switched off on port " +
               std::to_string(port) + ", which runs loopback detection";
    } else if (pass.writeRefused) {
        text = "Failed to switch spanning tree off on port " + std::to_string(port) +
               ", which runs loopback detection";
    } else {
        text = "Failed to read the loopback detection state of port " + std::to_string(port);
    }
    return text + NotChecked(port, pass.ports) + ".";
}

std::vector<std::string> CPrivateSpanTree::Cells(const WalkStep& s) const {
    return stp::PortRowCells(StepTexts(s, 10));
}

int CPrivateSpanTree::RunEditor() {
    return RunEditorOnList<CPrivateSpanTPort>();
}
