#include "features/layer2/LBDetectionFunLogic.h"

#include <chrono>
#include <sstream>
#include <thread>

#include "core/SnmpReply.h"
#include "core/TextNumbers.h"
#include "core/Utils.h"
#include "platform/sys/MessageBox.h"
#include "platform/sys/Tunable.h"

namespace {

const std::string kPortStpState = "1.3.6.1.4.1.7393.10.76.20.1.6.2.1.4";
const std::string kDeviceStpState = "1.3.6.1.4.1.7393.10.76.20.1.6.1.1.0";

// The device takes a moment after a global write before it answers again.
const ksx::Tunable kWritePauseMs("lbd.global-write-pause-ms", 50);

}  // namespace

CLBDetectionFunLogic::CLBDetectionFunLogic()
    : m_aVlanLoops(kVlanLoopPorts),
      m_vlanLoopRead(m_cVlanLoopSNMP, {kLoopVlan, kLoopPorts},
                     [](const ksx::WalkStep& s) -> std::optional<VlanLoopRow> {
                         if (s.Count() < 2) {
                             s.Reject();
                             return std::nullopt;
                         }
                         int count = 0;
                         return VlanLoopRow{s.Text(0), CUtils::PortBitmapToList(s.Text(1), &count)};
                     }),
      m_globalRead(m_cGlobalSNMP, {kState, kInterval, kRecoverTime, kMode, kVlanList},
                   [](const ksx::WalkStep& s) -> std::optional<LbdGlobalSettings> {
                       // A short reply, or a value of another type, fills nothing: Apply writes them back.
                       const auto state = s.Integer(0);
                       const auto interval = s.Integer(1);
                       const auto recover = s.Integer(2);
                       const auto mode = s.Integer(3);
                       const auto vlans = s.Octets(4);
                       if (!state || !interval || !recover || !mode || !vlans) {
                           s.Reject();
                           return std::nullopt;
                       }
                       return LbdGlobalSettings{*state == 1, std::to_string(*interval),
                                                std::to_string(*recover), std::to_string(*mode), *vlans};
                   }),
      m_portRead(m_cPortSNMP, {kPortColumn, kPortState, kPortLoopStatus},
                 [](const ksx::WalkStep& s) -> std::optional<LbdPortRow> {
                     if (s.Count() < 3) {
                         s.Reject();
                         return std::nullopt;
                     }
                     return LbdPortRow{s.Text(0), s.Text(1) == "1" ? "Enabled" : "Disabled",
                                       s.Text(2) == "1" ? "Normal" : "Disabled"};
                 }) {
    // The walks reach the owner: they go first, then every session.
    Sessions().Add(m_vlanLoopRead);
    Sessions().Add(m_globalRead);
    Sessions().Add(m_portRead);
    Sessions().Add(m_cVlanLoopSNMP);
    Sessions().Add(m_cGlobalSNMP);
    Sessions().Add(m_cPortSNMP);
    Sessions().Add(m_cSetSNMP);

    m_vlanLoopRead.onRow = [this](const VlanLoopRow& row) {
        std::lock_guard<std::mutex> guard(m_loopLock);
        std::istringstream in(row.ports);
        std::string item;
        while (std::getline(in, item, ',')) {
            const int port = ksx::text::LeadingInt(item);
            if (port >= 1 && port <= kVlanLoopPorts) {
                m_aVlanLoops[static_cast<size_t>(port - 1)] += row.vlan + ",";
            }
        }
    };
    m_vlanLoopRead.onEnd = [this](const ksx::WalkEnd& end) {
        // A reply of a walk that was replaced counts for nothing; any other end lets the refresh go on.
        if (!end.stale) {
            Notify(LBD_VLAN_LOOPS_DONE, ksx::RecordParam("VlanLoopFinished"));
        }
    };
    m_globalRead.onRow = [this](const LbdGlobalSettings& g) {
        m_GlobalSettings = g;
        Notify(LBD_GLOBAL_SETTINGS, ksx::RecordParam(&m_GlobalSettings));
    };
    m_portRead.onRow = [this](const LbdPortRow& row) { Notify(LBD_PORT_ROW, ksx::RecordParam(&row)); };
    m_portRead.onEnd = [this](const ksx::WalkEnd& end) {
        if (!end.stale) {
            Notify(LBD_PORTS_FINISHED, ksx::RecordParam("Finished"));
        }
    };
    m_trunkRead.onEnd = [this](const ksx::WalkEnd& end) {
        if (!end.stale) {
            Notify(LBD_TRUNKS_READ, end.Ok() ? 1 : 0);
        }
    };
}

CLBDetectionFunLogic::~CLBDetectionFunLogic() {
    CloseSessions();
}

void CLBDetectionFunLogic::Notify(unsigned code, ksx::LPARAM data) {
    if (m_hOwnerWnd != nullptr) {
        m_hOwnerWnd->SendMessage(WM_SNMP_RESULT, code, data);
    }
}

void CLBDetectionFunLogic::ReadVlanLoops() {
    {
        std::lock_guard<std::mutex> guard(m_loopLock);
        for (std::string& entry : m_aVlanLoops) {
            entry.clear();
        }
    }
    m_vlanLoopRead.Walk(OnVlanLoopWalk, this);
}

int CLBDetectionFunLogic::OnVlanLoopWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CLBDetectionFunLogic*>(userData)->m_vlanLoopRead.Step(response, requestId, status);
}

std::string CLBDetectionFunLogic::VlanLoopText(int port) const {
    if (port < 1 || port > kVlanLoopPorts) {
        return std::string();
    }
    std::lock_guard<std::mutex> guard(m_loopLock);
    std::string text = m_aVlanLoops[static_cast<size_t>(port - 1)];
    if (!text.empty()) {
        text.pop_back();
    }
    return text;
}

void CLBDetectionFunLogic::ReadGlobalSettings() {
    m_globalRead.Read(OnGlobalSettingsReply, this);
}

int CLBDetectionFunLogic::OnGlobalSettingsReply(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CLBDetectionFunLogic*>(userData)->m_globalRead.Step(response, requestId, status);
}

void CLBDetectionFunLogic::ReadPortStates() {
    m_portRead.Walk(OnPortStateWalk, this);
}

int CLBDetectionFunLogic::OnPortStateWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CLBDetectionFunLogic*>(userData)->m_portRead.Step(response, requestId, status);
}

CLBDetectionFunLogic::WriteResult CLBDetectionFunLogic::SetGlobalSettings(const std::string& state,
                                                                          const std::string& mode,
                                                                          const std::string& interval,
                                                                          const std::string& recoverTime,
                                                                          const std::string& vlanList) {
    if (!CUtils::ParseVlanList(vlanList, 4094)) {
        return kRefused;
    }
    const int seconds = ksx::text::LeadingInt(interval);
    if (seconds < 1 || seconds > 32767) {
        ksx::AfxMessageBox("The value range is 1 - 32767.");
        return kRefused;
    }
    const int recover = ksx::text::LeadingInt(recoverTime);
    if (recover < 0 || recover > 1000000 || (recover >= 1 && recover <= 59)) {
        ksx::AfxMessageBox("The value range is 60 - 1000000 or 0.");
        return kRefused;
    }
    m_globalWrite = {};
    if (!m_cSetSNMP.Open(CCommonSNMP::REQUEST_SET)) {
        return kWriteFailed;
    }
    m_cSetSNMP.AddVarBind(kState, 1, state.c_str());
    if (state == "1") {
        const std::string secondsText = std::to_string(seconds);
        const std::string recoverText = std::to_string(recover);
        m_cSetSNMP.AddVarBind(kMode, 1, mode.c_str());
        m_cSetSNMP.AddVarBind(kInterval, 1, secondsText.c_str());
        m_cSetSNMP.AddVarBind(kRecoverTime, 1, recoverText.c_str());
        m_cSetSNMP.AddVarBind(kVlanList, 2, vlanList.c_str());
    }
    m_globalWrite = ksx::SendRequest(m_cSetSNMP).Answer();
    if (!m_globalWrite.Accepted()) {
        return kWriteFailed;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kWritePauseMs.Get()));
    return kWritten;
}

bool CLBDetectionFunLogic::SetPortStates(int from, int to, const std::string& state) {
    bool written = true;
    for (int port = from; port <= to && written; ++port) {
        written = SetPortState(port, state).Accepted();
    }
    PortWritesDone();
    return written;
}

SnmpAnswer CLBDetectionFunLogic::SetPortState(int port, const std::string& state) {
    if (!m_cSetSNMP.Open(CCommonSNMP::REQUEST_SET)) {
        return {};  // nothing was sent
    }
    m_cSetSNMP.AddVarBind(kPortState + "." + std::to_string(port), 1, state.c_str());
    return ksx::SendRequest(m_cSetSNMP, 2000).Answer();
}

void CLBDetectionFunLogic::PortWritesDone() {
    Notify(LBD_PORT_WRITE_DONE, ksx::RecordParam("PortStateWriteMIBFinished"));
}

CLBDetectionFunLogic::StpConflict CLBDetectionFunLogic::CheckStpConflict(int port) {
    CCommonSNMP session;
    return CheckStpConflict(session, port);
}

CLBDetectionFunLogic::StpConflict CLBDetectionFunLogic::CheckStpConflict(CCommonSNMP& session, int port) {
    if (!session.Open(CCommonSNMP::REQUEST_GET)) {
        return StpConflict::kReadFailed;
    }
    session.AddVarBind(kPortStpState + "." + std::to_string(port), 4, nullptr);
    session.AddVarBind(kDeviceStpState, 4, nullptr);
    const ksx::SnmpReply reply = ksx::SendRequest(session, 2000);
    const std::optional<long long> portState = reply.Integer(0);
    const std::optional<long long> deviceState = reply.Integer(1);
    if (!portState || !deviceState) {
        return StpConflict::kReadFailed;
    }
    return *portState == 1 && *deviceState == 1 ? StpConflict::kConflict : StpConflict::kNone;
}
