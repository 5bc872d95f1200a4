// Port mirroring logic.
#include "features/layer2/PortMirroringLogic.h"

#include <algorithm>
#include <memory>

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

CPortMirroringLogic::CPortMirroringLogic() : m_aPorts(PortCount()), m_aTrunkGroup(PortCount(), 0) {
    m_sessions.Add(m_cCommonSNMPRead);
    m_sessions.Add(m_cCommonSNMPTrunk);
    m_sessions.Add(m_cCommonSNMPSet);
}

CPortMirroringLogic::~CPortMirroringLogic() = default;

void CPortMirroringLogic::ReadMirrorConfig() {
    m_cCommonSNMPRead.Open(CCommonSNMP::REQUEST_GET);
    m_cCommonSNMPRead.AddVarBind(kStateOid, 4, nullptr);
    m_cCommonSNMPRead.AddVarBind(kTargetOid, 4, nullptr);
    m_cCommonSNMPRead.AddVarBind(kRxPortsOid, 4, nullptr);
    m_cCommonSNMPRead.AddVarBind(kTxPortsOid, 4, nullptr);
    m_cCommonSNMPRead.StartAsyncWalk(OnMirrorConfigRead, this, 0);
}

int CPortMirroringLogic::OnMirrorConfigRead(CSnmp* response, int requestId, void* userData, int status) {
    auto* self = static_cast<CPortMirroringLogic*>(userData);
    std::unique_ptr<CSnmp> owned(response);
    if (!self->m_cCommonSNMPRead.FindRequestID(requestId)) {
        return 0;  // a reply to an earlier read
    }
    // A reply carrying an error status holds no values: it fails like a time-out.
    if (!ksx::ReplyAccepted(status, response)) {
        TRACE("--------iStatus = %d", status);
        if (self->m_hOwnerWnd != nullptr) {
            self->m_hOwnerWnd->SendMessage(WM_SNMP_RESULT, kMirrorReadFailed, 0);
        }
        self->m_cCommonSNMPRead.SetDone();
        return 0;
    }
    MirrorConfigRecord record;
    record.ports.resize(PortCount());
    const int count = response->getVarBindCount();
    for (int i = 0; i < count && i < 4; ++i) {
        const std::string value = ksx::BindingValue(response, i);
        switch (i) {
            case 0: {
                std::lock_guard<std::mutex> guard(self->m_lock);
                self->m_strLastState = value;
                record.enabled = value == "1" ? 1 : 0;
                break;
            }
            case 1:
                record.target = value == "0" ? "1" : value;
                break;
            case 2:
                MarkPorts(value, record.ports, &MirrorPortEntry::rx);
                break;
            case 3:
                MarkPorts(value, record.ports, &MirrorPortEntry::tx);
                break;
            default:
                break;
        }
    }
    owned.reset();
    if (self->m_hOwnerWnd != nullptr) {
        self->m_hOwnerWnd->SendMessage(WM_SNMP_RESULT, 0, ksx::RecordParam(&record));
    }
    self->m_cCommonSNMPRead.SetDone();
    return 0;
}

void CPortMirroringLogic::ReadTrunkMembers() {
    m_trunkWalk.Start(OnTrunkMembersWalk, this);
}

int CPortMirroringLogic::OnTrunkMembersWalk(CSnmp* response, int requestId, void* userData, int status) {
    auto* self = static_cast<CPortMirroringLogic*>(userData);
    std::unique_ptr<CSnmp> owned(response);
    using Step = ksx::TrunkMemberWalk::Step;
    const Step step = self->m_trunkWalk.OnStep(response, requestId, status, OnTrunkMembersWalk, self,
                                               static_cast<size_t>(PortCount()));
    if (step == Step::Complete || step == Step::Failed) {
        if (self->m_hOwnerWnd != nullptr) {
            self->m_hOwnerWnd->SendMessage(WM_SNMP_RESULT, kMirrorTrunksRead, step == Step::Complete ? 1 : 0);
        }
        self->m_cCommonSNMPTrunk.SetDone();
    }
    return 0;
}

int CPortMirroringLogic::TrunkGroupOf(int port) const {
    std::lock_guard<std::mutex> guard(m_lock);
    if (port < 1 || static_cast<size_t>(port) > m_aTrunkGroup.size()) {
        return 0;
    }
    return m_aTrunkGroup[static_cast<size_t>(port - 1)];
}

std::string CPortMirroringLogic::LastReadState() const {
    std::lock_guard<std::mutex> guard(m_lock);
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

bool CPortMirroringLogic::SendStep(const std::vector<std::pair<std::string, std::string>>& integers,
                                   bool clearSources, bool sources) {
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    std::vector<unsigned char> tx;
    std::vector<unsigned char> rx;
    if (clearSources || sources) {
        tx = SourceBitmap(true, clearSources);
        rx = SourceBitmap(false, clearSources);
        m_cCommonSNMPSet.AddVarBind(kTxPortsOid, 2, reinterpret_cast<const char*>(tx.data()),
                                    static_cast<int>(tx.size()));
        m_cCommonSNMPSet.AddVarBind(kRxPortsOid, 2, reinterpret_cast<const char*>(rx.data()),
                                    static_cast<int>(rx.size()));
    }
    for (const auto& [oid, value] : integers) {
        m_cCommonSNMPSet.AddVarBind(oid, 1, value.c_str());
    }
    const ksx::SnmpReply reply = ksx::SendRequest(m_cCommonSNMPSet);
    if (!reply.Accepted()) {
        TRACE("--------iStatus = %d, error status %d", reply.status, reply.ErrorStatus());
        return false;
    }
    return true;
}

CPortMirroringLogic::WriteStep CPortMirroringLogic::WriteMirrorConfig(const std::string& last,
                                                                      const std::string& newState,
                                                                      const std::string& target) {
    if (newState == "1") {
        if (last == "1" && !SendStep({}, true, false)) {
            return WRITE_CLEAR_SOURCES;
        }
        if (!SendStep({{kTargetOid, target}}, false, false)) {
            return WRITE_TARGET;
        }
        if (!SendStep({}, false, true)) {
            return WRITE_SOURCES;
        }
    }
    if (!SendStep({{kStateOid, newState}}, false, false)) {
        return WRITE_STATE;
    }
    return WRITE_OK;
}
