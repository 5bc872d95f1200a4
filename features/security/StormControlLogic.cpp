// Storm control device access.
#include "features/security/StormControlLogic.h"

#include <optional>
#include <vector>

#include "core/SnmpReply.h"
#include "platform/sys/Debug.h"

namespace {

const char kWriteFinished[] = "WriteFinished";

// The type must name one of the three kinds the dialog offers; anything else is no value.
std::optional<StormControlGlobals> ParseGlobals(const ksx::WalkStep& step) {
    const std::optional<long long> state = step.Integer(0);
    const std::optional<long long> type = step.Integer(1);
    const std::optional<long long> threshold = step.Integer(2);
    if (!state || !type || !threshold || *type < 1 || *type > 3 || *threshold < 0) {
        step.Reject();
        return std::nullopt;
    }
    return StormControlGlobals{std::to_string(*state), std::to_string(*type), std::to_string(*threshold)};
}

}  // namespace

CStormControlLogic::CStormControlLogic()
    : m_globalsRead(m_cCommonSNMPGet, {kState, kType, kThreshold}, ParseGlobals) {
    m_globalsRead.onRow = [this](const StormControlGlobals& globals) {
        if (m_hOwnerWnd != nullptr) {
            m_hOwnerWnd->SendMessage(WM_SNMP_RESULT, 0, ksx::RecordParam(&globals));
        }
    };
    m_globalsRead.onEnd = [this](const ksx::WalkEnd& end) {
        if (!end.Ok() && m_hOwnerWnd != nullptr) {
            TRACE("storm control read failed: status %d", end.status);
            m_hOwnerWnd->SendMessage(WM_SNMP_RESULT, 2, 0);
        }
    };
    m_sessions.Add(m_globalsRead);
    m_sessions.Add(m_cCommonSNMPGet);
    m_sessions.Add(m_cCommonSNMPSet);
}

CStormControlLogic::~CStormControlLogic() = default;

void CStormControlLogic::GetStormGlobals() {
    m_globalsRead.Read(OnGlobalsRead, this);
}

int CStormControlLogic::OnGlobalsRead(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CStormControlLogic*>(userData)->m_globalsRead.Step(response, requestId, status);
}

SnmpAnswer CStormControlLogic::SetStormGlobals(const StormControlGlobals& old,
                                               const StormControlGlobals& now) {
    struct Binding {
        const char* oid;
        const std::string* value;
    };
    std::vector<Binding> bindings;
    const bool stateChanged = now.state != old.state;
    SnmpAnswer answer{SnmpOutcome::kAccepted};
    if (!stateChanged && now.state != "1") {
        return answer;  // stays off: nothing to write, nothing to read back
    }
    if (stateChanged) {
        bindings.push_back({kState, &now.state});
    }
    if (now.state == "1") {
        if (now.type != old.type) {
            bindings.push_back({kType, &now.type});
        }
        if (now.threshold != old.threshold) {
            bindings.push_back({kThreshold, &now.threshold});
        }
    }
    // Without a changed value there is no request at all; the values are read back all the same.
    if (!bindings.empty()) {
        m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
        for (const Binding& b : bindings) {
            m_cCommonSNMPSet.AddVarBind(b.oid, 1, b.value->c_str());
        }
        answer = ksx::SendRequest(m_cCommonSNMPSet).Answer();
    }
    if (m_hOwnerWnd != nullptr) {
        m_hOwnerWnd->SendMessage(WM_SNMP_RESULT, 3, ksx::RecordParam(kWriteFinished));
    }
    return answer;
}
