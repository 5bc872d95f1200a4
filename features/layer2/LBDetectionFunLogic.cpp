#include "features/layer2/LBDetectionFunLogic.h"

#include <chrono>
#include <memory>
#include <sstream>
#include <thread>

#include "core/SnmpReply.h"
#include "core/TextNumbers.h"
#include "core/Utils.h"
#include "platform/sys/MessageBox.h"

namespace {

const std::string kPortStpState = "1.3.6.1.4.1.7393.10.76.20.1.6.2.1.4";
const std::string kDeviceStpState = "1.3.6.1.4.1.7393.10.76.20.1.6.1.1.0";

int BindingCount(CSnmp* response) {
    return response != nullptr ? response->getVarBindCount() : 0;
}

}  // namespace

CLBDetectionFunLogic::CLBDetectionFunLogic() : m_aVlanLoops(kVlanLoopPorts) {}

CLBDetectionFunLogic::~CLBDetectionFunLogic() {
    // The walks report to the owner and fill the loop texts: end them before anything goes.
    m_cVlanLoopSNMP.Close();
    m_cGlobalSNMP.Close();
    m_cPortSNMP.Close();
    m_cSetSNMP.Close();
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
    m_cVlanLoopSNMP.Open(CCommonSNMP::REQUEST_GETNEXT);
    m_cVlanLoopSNMP.AddVarBind(kLoopVlan, 4, nullptr);
    m_cVlanLoopSNMP.AddVarBind(kLoopPorts, 4, nullptr);
    m_cVlanLoopSNMP.StartAsyncWalk(OnVlanLoopWalk, this, 0);
}

int CLBDetectionFunLogic::OnVlanLoopWalk(CSnmp* response, int requestId, void* userData, int status) {
    auto* self = static_cast<CLBDetectionFunLogic*>(userData);
    std::unique_ptr<CSnmp> owned(response);
    if (!self->m_cVlanLoopSNMP.FindRequestID(requestId)) {
        return 0;  // a walk that was replaced: its replies count for nothing
    }
    if (status != 0 || BindingCount(response) < 2) {
        self->Notify(LBD_VLAN_LOOPS_DONE, reinterpret_cast<ksx::LPARAM>("VlanLoopFinished"));
        self->m_cVlanLoopSNMP.SetDone();
        return 0;
    }
    const std::string vlan = ksx::BindingValue(response, 0);
    int count = 0;
    const std::string ports = CUtils::PortBitmapToList(ksx::BindingValue(response, 1), &count);
    {
        std::lock_guard<std::mutex> guard(self->m_loopLock);
        std::istringstream in(ports);
        std::string item;
        while (std::getline(in, item, ',')) {
            const int port = ksx::text::LeadingInt(item);
            if (port >= 1 && port <= kVlanLoopPorts) {
                self->m_aVlanLoops[static_cast<size_t>(port - 1)] += vlan + ",";
            }
        }
    }
    self->m_cVlanLoopSNMP.StartAsyncWalk(OnVlanLoopWalk, self, 0);
    return 0;
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
    m_cGlobalSNMP.Open(CCommonSNMP::REQUEST_GET);
    for (const std::string* oid : {&kState, &kInterval, &kRecoverTime, &kMode, &kVlanList}) {
        m_cGlobalSNMP.AddVarBind(*oid, 4, nullptr);
    }
    m_cGlobalSNMP.StartAsyncWalk(OnGlobalSettingsReply, this, 0);
}

int CLBDetectionFunLogic::OnGlobalSettingsReply(CSnmp* response, int requestId, void* userData, int status) {
    auto* self = static_cast<CLBDetectionFunLogic*>(userData);
    std::unique_ptr<CSnmp> owned(response);
    if (self->m_cGlobalSNMP.FindRequestID(requestId) && ksx::ReplyAccepted(status, response) &&
        BindingCount(response) >= 5) {
        LbdGlobalSettings& g = self->m_GlobalSettings;
        g.enabled = ksx::BindingValue(response, 0) == "1";
        g.interval = ksx::BindingValue(response, 1);
        g.recoverTime = ksx::BindingValue(response, 2);
        g.mode = ksx::BindingValue(response, 3);
        g.vlanList = ksx::BindingValue(response, 4);
        self->Notify(LBD_GLOBAL_SETTINGS, reinterpret_cast<ksx::LPARAM>(&g));
    }
    self->m_cGlobalSNMP.SetDone();
    return 0;
}

void CLBDetectionFunLogic::ReadPortStates() {
    m_cPortSNMP.Open(CCommonSNMP::REQUEST_GETNEXT);
    m_cPortSNMP.AddVarBind(kPortColumn, 4, nullptr);
    m_cPortSNMP.AddVarBind(kPortState, 4, nullptr);
    m_cPortSNMP.AddVarBind(kPortLoopStatus, 4, nullptr);
    m_cPortSNMP.StartAsyncWalk(OnPortStateWalk, this, 0);
}

int CLBDetectionFunLogic::OnPortStateWalk(CSnmp* response, int requestId, void* userData, int status) {
    auto* self = static_cast<CLBDetectionFunLogic*>(userData);
    std::unique_ptr<CSnmp> owned(response);
    if (!self->m_cPortSNMP.FindRequestID(requestId)) {
        return 0;
    }
    if (status != 0 || BindingCount(response) < 3) {
        self->Notify(LBD_PORTS_FINISHED, reinterpret_cast<ksx::LPARAM>("Finished"));
        self->m_cPortSNMP.SetDone();
        return 0;
    }
    LbdPortRow row;
    row.port = ksx::BindingValue(response, 0);
    row.state = ksx::BindingValue(response, 1) == "1" ? "Enabled" : "Disabled";
    row.loopStatus = ksx::BindingValue(response, 2) == "1" ? "Normal" : "Disabled";
    self->Notify(LBD_PORT_ROW, reinterpret_cast<ksx::LPARAM>(&row));
    self->m_cPortSNMP.StartAsyncWalk(OnPortStateWalk, self, 0);
    return 0;
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
    if (!ksx::SendAccepted(m_cSetSNMP)) {
        return kWriteFailed;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return kWritten;
}

bool CLBDetectionFunLogic::SetPortStates(int from, int to, const std::string& state) {
    bool written = true;
    for (int port = from; port <= to && written; ++port) {
        written = m_cSetSNMP.Open(CCommonSNMP::REQUEST_SET);
        if (written) {
            m_cSetSNMP.AddVarBind(kPortState + "." + std::to_string(port), 1, state.c_str());
            written = ksx::SendAccepted(m_cSetSNMP, 2000);
        }
    }
    Notify(LBD_PORT_WRITE_DONE, reinterpret_cast<ksx::LPARAM>("PortStateWriteMIBFinished"));
    return written;
}

CLBDetectionFunLogic::StpConflict CLBDetectionFunLogic::CheckStpConflict(int port) {
    CCommonSNMP session;
    if (!session.Open(CCommonSNMP::REQUEST_GET)) {
        return StpConflict::kReadFailed;
    }
    session.AddVarBind(kPortStpState + "." + std::to_string(port), 4, nullptr);
    session.AddVarBind(kDeviceStpState, 4, nullptr);
    const ksx::SnmpReply reply = ksx::SendRequest(session, 2000);
    if (!reply.Accepted() || BindingCount(reply.response.get()) < 2) {
        return StpConflict::kReadFailed;
    }
    return reply.Value(0) == "1" && reply.Value(1) == "1" ? StpConflict::kConflict : StpConflict::kNone;
}
