// Port mirroring logic.
#include "features/layer2/PortMirroringLogic.h"

#include <algorithm>
#include <memory>
#include <mutex>

#include "core/SnmpReply.h"
#include "core/TextNumbers.h"
#include "core/Utils.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"

namespace {

size_t PortCount() {
    return static_cast<size_t>(std::max(g_nPortNum, 0));
}

// Sets `flag` of the entry of every port listed in the bitmap, ports above the port count ignored.
void MarkPorts(const std::string& bitmap, std::vector<MirrorPortEntry>& ports,
               unsigned char MirrorPortEntry::*flag) {
    int count = 0;
    const std::string list = CUtils::PortBitmapToList(bitmap, &count);
    std::vector<int> flags(PortCount(), 0);
    CUtils::PortListToArray(list, flags.data(), 1);
    for (size_t i = 0; i < ports.size() && i < flags.size(); ++i) {
        if (flags[i] != 0) {
            ports[i].*flag = 1;
        }
    }
}

}  // namespace

CPortMirroringLogic::CPortMirroringLogic()
    : m_aPorts(PortCount()),
      m_configRead(m_cCommonSNMPRead, {kStateOid, kTargetOid, kRxPortsOid, kTxPortsOid},
                   [](const ksx::WalkStep& s) -> std::optional<MirrorConfigRecord> {
                       MirrorConfigRecord record;
                       record.ports.resize(PortCount());
                       const auto state = s.Integer(0);
                       const auto target = s.Integer(1);
                       const auto rx = s.Octets(2);
                       const auto tx = s.Octets(3);
                       record.complete = state && target && rx && tx;
                       if (!record.complete) {
                           return record;
                       }
                       record.state = std::to_string(*state);
                       record.enabled = *state == 1 ? 1 : 0;
                       record.target = *target == 0 ? "1" : std::to_string(*target);
                       MarkPorts(*rx, record.ports, &MirrorPortEntry::rx);
                       MarkPorts(*tx, record.ports, &MirrorPortEntry::tx);
                       return record;
                   }) {
    m_sessions.Add(m_configRead);
    m_sessions.Add(m_cCommonSNMPRead);
    m_sessions.Add(m_cCommonSNMPSet);
    m_configRead.onRow = [this](const MirrorConfigRecord& record) { m_config = record; };
    m_configRead.onEnd = [this](const ksx::WalkEnd& end) {
        std::optional<MirrorConfigRecord> record;
        if (end.Ok() && m_config && m_config->complete) {
            record = std::move(m_config);
            m_strLastState = record->state;
        }
        m_config.reset();
        if (onConfig) {
            onConfig(record);
        }
    };
    m_trunkRead.onEnd = [this](const ksx::WalkEnd& end) {
        if (onTrunks) {
            onTrunks(end.AtEnd());
        }
    };
}

CPortMirroringLogic::~CPortMirroringLogic() = default;

void CPortMirroringLogic::ReadMirrorConfig() {
    m_config.reset();
    m_configRead.Read();
}

void CPortMirroringLogic::ReadTrunkMembers() {
    {
        // A port that left its trunk must not keep the old group: the target and source checks use it.
        std::lock_guard<std::mutex> guard(m_dataLock);
        std::fill(m_TrunkPorts.begin(), m_TrunkPorts.end(), 0);
    }
    ReadTrunkPorts();
}

int CPortMirroringLogic::TrunkGroupOf(int port) const {
    std::lock_guard<std::mutex> guard(m_dataLock);
    if (port < 1 || static_cast<size_t>(port) > m_TrunkPorts.size()) {
        return 0;
    }
    return m_TrunkPorts[static_cast<size_t>(port - 1)];
}

std::string CPortMirroringLogic::LastReadState() const {
    return m_strLastState;
}

bool CPortMirroringLogic::CheckTrunkSourceModes() {
    for (size_t i = 0; i < m_aPorts.size(); ++i) {
        if (m_aPorts[i].done != 0) {
            continue;
        }
        for (size_t j = i + 1; j < m_aPorts.size(); ++j) {
            if (m_aPorts[j].trunkGroup != m_aPorts[i].trunkGroup) {
                continue;
            }
            if (m_aPorts[j].tx != m_aPorts[i].tx || m_aPorts[j].rx != m_aPorts[i].rx) {
                return false;
            }
            m_aPorts[j].done = 1;
        }
    }
    return true;
}

std::vector<unsigned char> CPortMirroringLogic::SourceBitmap(bool tx, bool cleared) const {
    std::vector<int> flags(PortCount(), 0);
    for (size_t i = 0; !cleared && i < flags.size() && i < m_aPorts.size(); ++i) {
        flags[i] = tx ? m_aPorts[i].tx : m_aPorts[i].rx;
    }
    std::string hex;
    CUtils::PortArrayToHex(flags.data(), hex);
    CUtils::PadPortHex(hex);
    std::vector<unsigned char> octets(hex.size() / 2);
    CUtils::HexToBytes(hex, octets.data(), static_cast<int>(octets.size()));
    return octets;
}

CPortMirroringLogic::WritePlan CPortMirroringLogic::PlanWrite(const std::string& last,
                                                              const std::string& newState,
                                                              const std::string& target) const {
    WritePlan plan;
    plan.state = newState;
    plan.target = target;
    plan.tx = SourceBitmap(true, false);
    plan.rx = SourceBitmap(false, false);
    plan.clearTx = SourceBitmap(true, true);
    plan.clearRx = SourceBitmap(false, true);
    if (newState == "1") {
        if (last == "1") {
            plan.steps.push_back(WRITE_CLEAR_SOURCES);
        }
        plan.steps.push_back(WRITE_TARGET);
        plan.steps.push_back(WRITE_SOURCES);
    }
    plan.steps.push_back(WRITE_STATE);
    return plan;
}

SnmpAnswer CPortMirroringLogic::SendWrite(const WritePlan& plan, WriteStep step) {
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    const auto octets = [this](const std::vector<unsigned char>& tx, const std::vector<unsigned char>& rx) {
        m_cCommonSNMPSet.AddVarBind(kTxPortsOid, 2, reinterpret_cast<const char*>(tx.data()),
                                    static_cast<int>(tx.size()));
        m_cCommonSNMPSet.AddVarBind(kRxPortsOid, 2, reinterpret_cast<const char*>(rx.data()),
                                    static_cast<int>(rx.size()));
    };
    switch (step) {
        case WRITE_CLEAR_SOURCES:
            octets(plan.clearTx, plan.clearRx);
            break;
        case WRITE_TARGET:
            m_cCommonSNMPSet.AddVarBind(kTargetOid, 1, plan.target.c_str());
            break;
        case WRITE_SOURCES:
            octets(plan.tx, plan.rx);
            break;
        case WRITE_STATE:
            m_cCommonSNMPSet.AddVarBind(kStateOid, 1, plan.state.c_str());
            break;
    }
    const ksx::SnmpReply reply = ksx::SendRequest(m_cCommonSNMPSet);
    if (!reply.Accepted()) {
        TRACE("--------iStatus = %d, error status %d", reply.status, reply.ErrorStatus());
    }
    return reply.Answer();
}
