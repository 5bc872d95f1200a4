// GVRP logic.
#include "features/vlan/GVRPFunLogic.h"

#include <algorithm>
#include <memory>

#include "core/SnmpReply.h"
#include "core/TextNumbers.h"
#include "core/Utils.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"

namespace {

const char kFinished[] = "Finished";
const char kAddFinished[] = "AddFinished";

std::string Column(int c) {
    return std::string(CGVRPFunLogic::kPortTable) + "." + std::to_string(c);
}

std::string EnabledText(const std::string& v) {
    return v == "1" ? "Enabled" : "Disabled";
}

}  // namespace

static std::vector<std::string> PortColumns() {
    std::vector<std::string> oids;
    for (int c = 1; c <= 5; ++c) {
        oids.push_back(Column(c));
    }
    return oids;
}

CGVRPFunLogic::CGVRPFunLogic()
    : m_aTrunk(static_cast<size_t>(std::max(g_nPortNum, 0)), 0),
      m_portRead(m_cCommonSNMPPorts, PortColumns(), [](const ksx::WalkStep& step) {
          GvrpPortRow row;
          row.port = step.Text(0);
          row.pvid = step.Text(1);
          row.gvrp = EnabledText(step.Text(2));
          row.ingress = EnabledText(step.Text(3));
          row.frameType = step.Text(4) == "1" ? "AllFrames" : "TaggedOnly";
          return row;
      }) {
    m_sessions.Add(m_portRead);
    m_portRead.onRow = [this](const GvrpPortRow& row) {
        if (m_hOwnerWnd != nullptr) {
            m_hOwnerWnd->SendMessage(WM_SNMP_RESULT, kGvrpRow, ksx::RecordParam(&row));
        }
    };
    m_portRead.onEnd = [this](const ksx::WalkEnd& end) {
        if (!end.stale) {
            Finished();
        }
    };
    m_sessions.Add(m_cCommonSNMPPorts);
    m_sessions.Add(m_cCommonSNMPTrunk);
    m_sessions.Add(m_cCommonSNMPVlan);
    m_sessions.Add(m_cCommonSNMPSet);
}

CGVRPFunLogic::~CGVRPFunLogic() = default;

void CGVRPFunLogic::Finished() {
    if (m_hOwnerWnd != nullptr) {
        m_hOwnerWnd->SendMessage(WM_SNMP_RESULT, kGvrpWalkFinished, ksx::RecordParam(kFinished));
    }
}

void CGVRPFunLogic::ReadPortTable() {
    m_portRead.Walk(OnPortTableWalk, this);
}

int CGVRPFunLogic::OnPortTableWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CGVRPFunLogic*>(userData)->m_portRead.Step(response, requestId, status);
}

void CGVRPFunLogic::ReadVlanIds() {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_strVlanIds.clear();
    }
    m_cCommonSNMPVlan.Open(CCommonSNMP::REQUEST_GETNEXT);
    m_cCommonSNMPVlan.AddVarBind(kVlanNameColumn, 4, nullptr);
    m_cCommonSNMPVlan.StartAsyncWalk(OnVlanIdWalk, this, 0);
}

int CGVRPFunLogic::OnVlanIdWalk(CSnmp* response, int requestId, void* userData, int status) {
    auto* self = static_cast<CGVRPFunLogic*>(userData);
    std::unique_ptr<CSnmp> owned(response);
    if (!self->m_cCommonSNMPVlan.FindRequestID(requestId)) {
        return 0;
    }
    if (!ksx::ReplyAccepted(status, response)) {
        self->Finished();
        self->m_cCommonSNMPVlan.SetDone();
        return 0;
    }
    char* suffix = nullptr;
    if (self->m_cCommonSNMPVlan.GetResponseOid(0, response, &suffix) == 0 && suffix != nullptr) {
        std::lock_guard<std::mutex> guard(self->m_lock);
        self->m_strVlanIds += (suffix[0] == '.' ? suffix + 1 : suffix);
        self->m_strVlanIds += ",";
    }
    self->m_cCommonSNMPVlan.StartAsyncWalk(OnVlanIdWalk, self, 0);
    return 0;
}

void CGVRPFunLogic::ReadTrunkPorts() {
    m_trunkWalk.Start(OnTrunkWalk, this);
}

int CGVRPFunLogic::OnTrunkWalk(CSnmp* response, int requestId, void* userData, int status) {
    auto* self = static_cast<CGVRPFunLogic*>(userData);
    std::unique_ptr<CSnmp> owned(response);
    using Step = ksx::TrunkMemberWalk::Step;
    const Step step =
        self->m_trunkWalk.OnStep(response, requestId, status, OnTrunkWalk, self, self->m_aTrunk.size());
    if (step == Step::Complete || step == Step::Failed) {
        if (step == Step::Failed && self->m_hOwnerWnd != nullptr) {
            self->m_hOwnerWnd->SendMessage(WM_SNMP_RESULT, kGvrpTrunkReadFailed, 0);
        }
        self->Finished();
        self->m_cCommonSNMPTrunk.SetDone();
    }
    return 0;
}

std::vector<int> CGVRPFunLogic::TrunkArraySnapshot() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_aTrunk;
}

std::string CGVRPFunLogic::VlanIdText() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_strVlanIds;
}

int CGVRPFunLogic::CheckTrunkRange(int from, int to) {
    const std::vector<int> trunk = TrunkArraySnapshot();
    const int ports = static_cast<int>(trunk.size());
    for (int p = std::max(from, 1); p <= to && p <= ports; ++p) {
        const int group = trunk[static_cast<size_t>(p - 1)];
        if (group == 0) {
            continue;
        }
        for (int q = 1; q <= ports; ++q) {
            if (trunk[static_cast<size_t>(q - 1)] == group && (q < from || q > to)) {
                ksx::AfxMessageBox("Some ports in the same LA Group are not be included.", ksx::MB_OK);
                return 0;
            }
        }
    }
    return 1;
}

int CGVRPFunLogic::SetPortSettings(int from, int to, const std::string& pvid, const std::string& gvrp,
                                   const std::string& ingress, const std::string& frameType) {
    for (int p = from; p <= to; ++p) {
        const std::string index = "." + std::to_string(p);
        m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
        m_cCommonSNMPSet.AddVarBind(Column(2) + index, 1, pvid.c_str());
        m_cCommonSNMPSet.AddVarBind(Column(3) + index, 1, gvrp.c_str());
        m_cCommonSNMPSet.AddVarBind(Column(4) + index, 1, ingress.c_str());
        m_cCommonSNMPSet.AddVarBind(Column(5) + index, 1, frameType.c_str());
        const ksx::SnmpReply reply = ksx::SendRequest(m_cCommonSNMPSet);
        if (!reply.Accepted()) {
            TRACE("--------iStatus = %d, error status %d", reply.status, reply.ErrorStatus());
            return 0;
        }
    }
    if (m_hOwnerWnd != nullptr) {
        m_hOwnerWnd->SendMessage(WM_SNMP_RESULT, kGvrpWriteFinished, ksx::RecordParam(kAddFinished));
    }
    return 1;
}

void CGVRPFunLogic::ReadGlobalSettings() {
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_GET);
    m_cCommonSNMP.AddVarBind(kStateOid, 4, nullptr);
    m_cCommonSNMP.AddVarBind(kJoinOid, 4, nullptr);
    m_cCommonSNMP.AddVarBind(kLeaveOid, 4, nullptr);
    m_cCommonSNMP.AddVarBind(kLeaveAllOid, 4, nullptr);
    m_cCommonSNMP.StartAsyncWalk(OnGlobalRead, this, 0);
}

int CGVRPFunLogic::OnGlobalRead(CSnmp* response, int requestId, void* userData, int status) {
    auto* self = static_cast<CGVRPFunLogic*>(userData);
    std::unique_ptr<CSnmp> owned(response);
    if (!self->m_cCommonSNMP.FindRequestID(requestId)) {
        return 0;
    }
    if (!ksx::ReplyAccepted(status, response) || response->getVarBindCount() < 4) {
        if (self->m_hOwnerWnd != nullptr) {
            self->m_hOwnerWnd->SendMessage(WM_SNMP_RESULT, kGvrpGlobalReadFailed, 0);
        }
        self->m_cCommonSNMP.SetDone();
        return 0;
    }
    GvrpGlobalRow row;
    row.enabled = ksx::BindingValue(response, 0) == "2" ? 0 : 1;
    row.join = ksx::BindingValue(response, 1);
    row.leave = ksx::BindingValue(response, 2);
    row.leaveAll = ksx::BindingValue(response, 3);
    owned.reset();
    if (self->m_hOwnerWnd != nullptr) {
        self->m_hOwnerWnd->SendMessage(WM_SNMP_RESULT, kGvrpRow, ksx::RecordParam(&row));
    }
    self->m_cCommonSNMP.SetDone();
    return 0;
}

int CGVRPFunLogic::SetGlobalSettings(const std::string& oldState, const std::string& newState,
                                     const std::string& join, const std::string& leave,
                                     const std::string& leaveAll) {
    if (newState == "2") {
        if (oldState == "2") {
            return 0;
        }
        m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
        m_cCommonSNMPSet.AddVarBind(kStateOid, 1, "2");
    } else {
        const int j = ksx::text::LeadingInt(join);
        const int l = ksx::text::LeadingInt(leave);
        const int la = ksx::text::LeadingInt(leaveAll);
        const char* refusal = nullptr;
        if (j < 100 || j > 100000) {
            refusal = "Join Time(100-100000).";
        } else if (l < 100 || l > 100000) {
            refusal = "Leave Time(100-100000).";
        } else if (la < 100 || la > 100000) {
            refusal = "Leave_All Time(100-100000).";
        } else if (l - 1 < 2 * j) {
            refusal = "Leave Time should be greater than 2*Join Time.";
        } else if (la < l + 1) {
            refusal = "Leave_All Time should be greater than Leave Time. ";
        }
        if (refusal != nullptr) {
            ksx::AfxMessageBox(refusal, ksx::MB_OK);
            return 0;
        }
        m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
        if (oldState == "2") {
            m_cCommonSNMPSet.AddVarBind(kStateOid, 1, newState.c_str());
        }
        m_cCommonSNMPSet.AddVarBind(kJoinOid, 1, join.c_str());
        m_cCommonSNMPSet.AddVarBind(kLeaveOid, 1, leave.c_str());
        m_cCommonSNMPSet.AddVarBind(kLeaveAllOid, 1, leaveAll.c_str());
    }
    const ksx::SnmpReply reply = ksx::SendRequest(m_cCommonSNMPSet);
    if (!reply.Accepted()) {
        TRACE("--------iStatus = %d, error status %d", reply.status, reply.ErrorStatus());
        return -1;
    }
    return 1;
}

void CGVRPFunLogic::CancelAll() {
    m_cCommonSNMPPorts.Close();
    m_cCommonSNMPTrunk.Close();
    m_cCommonSNMPVlan.Close();
    m_cCommonSNMPSet.Close();
    m_cCommonSNMP.Close();  // the global read runs on the base's first session
}
