// GVRP logic.
#include "features/vlan/GVRPFunLogic.h"

#include <algorithm>
#include <memory>
#include <mutex>

#include "core/SnmpReply.h"
#include "core/TextNumbers.h"
#include "core/Utils.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"

namespace {

std::string Column(int c) {
    return std::string(CGVRPFunLogic::kPortTable) + "." + std::to_string(c);
}

// A state column's text; empty when the value was not read as a number.
std::string EnabledText(const std::optional<long long>& v) {
    return !v ? std::string() : *v == 1 ? "Enabled" : "Disabled";
}

std::string NumberText(const std::optional<long long>& v) {
    return v ? std::to_string(*v) : std::string();
}

std::vector<std::string> PortColumns() {
    std::vector<std::string> oids;
    for (int c = 1; c <= 5; ++c) {
        oids.push_back(Column(c));
    }
    return oids;
}

}  // namespace

CGVRPFunLogic::CGVRPFunLogic()
    : m_portRead(m_cCommonSNMPPorts, PortColumns(),
                 [](const ksx::WalkStep& step) {
                     // Values that were not read (missing, of another type) show as empty cells.
                     GvrpPortRow row;
                     row.port = NumberText(step.Integer(0));
                     row.pvid = NumberText(step.Integer(1));
                     row.gvrp = EnabledText(step.Integer(2));
                     row.ingress = EnabledText(step.Integer(3));
                     const auto frame = step.Integer(4);
                     row.frameType = !frame ? std::string() : *frame == 1 ? "AllFrames" : "TaggedOnly";
                     return std::optional<GvrpPortRow>(row);
                 }),
      m_vlanIdRead(m_cCommonSNMPVlan, {kVlanNameColumn},
                   [](const ksx::WalkStep& step) { return std::optional<std::string>(step.Index(0)); }),
      m_stateRead(
          m_cCommonSNMP, {kStateOid},
          [](const ksx::WalkStep& step) { return std::optional<std::optional<long long>>(step.Integer(0)); }),
      m_globalRead(m_cCommonSNMPGlobal, {kStateOid, kJoinOid, kLeaveOid, kLeaveAllOid},
                   [](const ksx::WalkStep& step) -> std::optional<std::optional<GvrpGlobalRow>> {
                       const auto state = step.Integer(0);
                       const auto join = step.Integer(1);
                       const auto leave = step.Integer(2);
                       const auto leaveAll = step.Integer(3);
                       if (!state || !join || !leave || !leaveAll) {
                           return std::optional<GvrpGlobalRow>();
                       }
                       GvrpGlobalRow row;
                       row.enabled = *state == 2 ? 0 : 1;
                       row.join = std::to_string(*join);
                       row.leave = std::to_string(*leave);
                       row.leaveAll = std::to_string(*leaveAll);
                       return std::optional<GvrpGlobalRow>(row);
                   }) {
    m_sessions.Add(m_portRead);
    m_sessions.Add(m_vlanIdRead);
    m_sessions.Add(m_stateRead);
    m_sessions.Add(m_globalRead);
    m_portRead.onRow = [this](const GvrpPortRow& row) {
        if (onPortRow) {
            onPortRow(row);
        }
    };
    m_portRead.onEnd = [this](const ksx::WalkEnd& end) {
        if (end.stale) {
            return;
        }
        if (!end.AtEnd() && onPortsFailed) {
            onPortsFailed();
        }
        Finished();
    };
    m_vlanIdRead.onRow = [this](const std::string& id) { m_strVlanIds += id + ","; };
    m_vlanIdRead.onEnd = [this](const ksx::WalkEnd& end) {
        if (!end.stale) {
            Finished();
        }
    };
    m_trunkRead.onEnd = [this](const ksx::WalkEnd& end) {
        if (end.stale) {
            return;
        }
        if (!end.AtEnd() && onTrunkFailed) {
            onTrunkFailed();
        }
        Finished();
    };
    m_stateRead.onRow = [this](const std::optional<long long>& state) { m_state = state; };
    m_stateRead.onEnd = [this](const ksx::WalkEnd& end) {
        const std::optional<long long> state = end.Ok() ? m_state : std::nullopt;
        m_state.reset();
        if (onState) {
            onState(state);
        }
    };
    m_globalRead.onRow = [this](const std::optional<GvrpGlobalRow>& row) { m_global = row; };
    m_globalRead.onEnd = [this](const ksx::WalkEnd& end) {
        std::optional<GvrpGlobalRow> row;
        if (end.Ok()) {
            row = m_global;
        }
        m_global.reset();
        if (onGlobal) {
            onGlobal(row);
        }
    };
    m_sessions.Add(m_cCommonSNMPPorts);
    m_sessions.Add(m_cCommonSNMPVlan);
    m_sessions.Add(m_cCommonSNMPSet);
    m_sessions.Add(m_cCommonSNMPGlobal);
}

CGVRPFunLogic::~CGVRPFunLogic() = default;

void CGVRPFunLogic::Finished() {
    if (onWalkFinished) {
        onWalkFinished();
    }
}

void CGVRPFunLogic::ReadPortTable() {
    m_portRead.Walk(OnPortTableWalk, this);
}

int CGVRPFunLogic::OnPortTableWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CGVRPFunLogic*>(userData)->m_portRead.Step(response, requestId, status);
}

void CGVRPFunLogic::ReadVlanIds() {
    m_strVlanIds.clear();
    m_vlanIdRead.Walk();
}

void CGVRPFunLogic::ReadTrunkPorts() {
    {
        // A port that left its trunk must not keep the old group: the range check uses it.
        std::lock_guard<std::mutex> guard(m_dataLock);
        std::fill(m_TrunkPorts.begin(), m_TrunkPorts.end(), 0);
    }
    CModuleBase::ReadTrunkPorts();
}

void CGVRPFunLogic::ReadState() {
    m_state.reset();
    m_stateRead.Read();
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
        if (!SetPortSetting(p, pvid, gvrp, ingress, frameType).Accepted()) {
            return 0;
        }
    }
    WriteFinished();
    return 1;
}

SnmpAnswer CGVRPFunLogic::SetPortSetting(int p, const std::string& pvid, const std::string& gvrp,
                                         const std::string& ingress, const std::string& frameType) {
    const std::string index = "." + std::to_string(p);
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPSet.AddVarBind(Column(2) + index, 1, pvid.c_str());
    m_cCommonSNMPSet.AddVarBind(Column(3) + index, 1, gvrp.c_str());
    m_cCommonSNMPSet.AddVarBind(Column(4) + index, 1, ingress.c_str());
    m_cCommonSNMPSet.AddVarBind(Column(5) + index, 1, frameType.c_str());
    const ksx::SnmpReply reply = ksx::SendRequest(m_cCommonSNMPSet);
    if (!reply.Accepted()) {
        TRACE("--------iStatus = %d, error status %d", reply.status, reply.ErrorStatus());
    }
    return reply.Answer();
}

void CGVRPFunLogic::ReadGlobalSettings() {
    m_global.reset();
    m_globalRead.Read();
}

std::optional<SnmpAnswer> CGVRPFunLogic::SetGlobalSettings(const std::string& oldState,
                                                           const std::string& newState,
                                                           const std::string& join, const std::string& leave,
                                                           const std::string& leaveAll) {
    if (newState == "2") {
        if (oldState == "2") {
            return std::nullopt;
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
            return std::nullopt;
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
    }
    return reply.Answer();
}

void CGVRPFunLogic::CancelAll() {
    CloseSessions();
}
