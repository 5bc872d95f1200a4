// Traffic segmentation device access.
#include "features/security/TrafficSeg.h"

#include <optional>

#include "core/SnmpReply.h"
#include "platform/sys/Debug.h"

CTrafficSeg::CTrafficSeg()
    : m_stateRead(m_cCommonSNMP, {kState}, [](const ksx::WalkStep& step) -> std::optional<std::string> {
          const std::optional<long long> state = step.Integer(0);
          if (!state) {
              step.Reject();
              return std::nullopt;
          }
          return std::to_string(*state);
      }) {
    m_stateRead.onRow = [this](const std::string& state) { m_strReadState = state; };
    m_stateRead.onEnd = [this](const ksx::WalkEnd& end) {
        const bool ok = end.Ok() && !m_strReadState.empty();
        // A state that did not read is not shown as enabled, nor written back.
        m_strState = ok ? m_strReadState : std::string();
        if (!ok) {
            TRACE("traffic segmentation state read failed: status %d", end.status);
        }
        if (onStateRead) {
            onStateRead(ok);
        }
    };
    m_trunkRead.onEnd = [this](const ksx::WalkEnd& end) {
        if (onTrunksRead) {
            onTrunksRead(end.AtEnd());
        }
    };
    m_sessions.Add(m_stateRead);
    m_sessions.Add(m_cCommonSNMP);
}

CTrafficSeg::~CTrafficSeg() = default;

void CTrafficSeg::GetTrafficSegState() {
    m_strReadState.clear();
    m_stateRead.Read(OnStateRead, this);
}

int CTrafficSeg::OnStateRead(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CTrafficSeg*>(userData)->m_stateRead.Step(response, requestId, status);
}

SnmpAnswer CTrafficSeg::SetTrafficSegState(const std::string& state) {
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMP.AddVarBind(kState, 1, state.c_str());
    return ksx::SendRequest(m_cCommonSNMP).Answer();
}

SnmpAnswer CTrafficSeg::SetForwardingPorts(const std::string& port, const unsigned char* bytes, int length) {
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMP.AddVarBind(std::string(kForwardBitmap) + "." + port, 2,
                             reinterpret_cast<const char*>(bytes), length);
    return ksx::SendRequest(m_cCommonSNMP).Answer();
}
