// Static MAC device access.
#include "features/layer2/StaticMACLogic.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "core/SnmpReply.h"
#include "core/Utils.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"

namespace {

const char kLearningState[] = "1.3.6.1.4.1.7393.10.76.20.1.9.1.0";
const char kUplinkPorts[] = "1.3.6.1.4.1.7393.10.76.20.1.9.2.0";
const char kVlanColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.9.3.1.1";
const char kMacColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.9.3.1.2";
const char kPortColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.9.3.1.3";
const char kRowStatusColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.9.3.1.4";
const char kAsymmetricVlan[] = "1.3.6.1.4.1.7393.10.76.20.1.7.5.0";
const char kFinished[] = "Finished";
constexpr int kUplinkOctets = 8;

}  // namespace

CStaticMACLogic::CStaticMACLogic()
    : m_tableWalk(m_cCommonSNMPWalk, {kRowStatusColumn, kVlanColumn, kMacColumn, kPortColumn},
                  [](const ksx::WalkStep& step) -> std::optional<StaticMacEntryText> {
                      if (step.Text(0) != "1") {
                          return std::nullopt;  // only active rows are entries
                      }
                      const std::string mac = step.Text(2);
                      if (mac.size() < 6) {
                          // Not an address: such a row could be neither shown nor deleted by its text.
                          TRACE("static MAC row with a %d-octet address skipped",
                                static_cast<int>(mac.size()));
                          return std::nullopt;
                      }
                      auto octet = [&mac](size_t i) {
                          return static_cast<unsigned>(static_cast<unsigned char>(mac[i]));
                      };
                      char text[24];
                      std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", octet(0), octet(1),
                                    octet(2), octet(3), octet(4), octet(5));
                      return StaticMacEntryText{step.Text(1), text, step.Text(3)};
                  }),
      m_learningRead(
          m_cCommonSNMPGlobals, {kLearningState},
          [](const ksx::WalkStep& step) { return std::optional<std::optional<long long>>(step.Integer(0)); }),
      m_uplinkRead(m_cCommonSNMPGlobals, {kUplinkPorts}, [](const ksx::WalkStep& step) {
          return std::optional<std::optional<std::string>>(step.Octets(0));
      }) {
    m_tableWalk.onRow = [this](const StaticMacEntryText& entry) {
        if (m_hOwner != nullptr) {
            m_hOwner->SendMessage(WM_STATICMAC_RESULT, 0, ksx::RecordParam(&entry));
        }
    };
    m_tableWalk.onEnd = [this](const ksx::WalkEnd&) {
        if (m_hOwner != nullptr) {
            m_hOwner->SendMessage(WM_STATICMAC_RESULT, 1, ksx::RecordParam(kFinished));
        }
    };
    m_vlanRead.onEnd = [this](const ksx::WalkEnd& end) {
        if (m_hOwnerWnd != nullptr) {
            m_hOwnerWnd->SendMessage(WM_VLANLIST_DONE, end.AtEnd() ? 2 : 0, 0);
        }
    };
    m_trunkRead.onEnd = [this](const ksx::WalkEnd& end) {
        if (m_hOwnerWnd != nullptr) {
            m_hOwnerWnd->SendMessage(WM_STATICMAC_TRUNKS_DONE, end.AtEnd() ? 1 : 0, 0);
        }
    };
    m_learningRead.onRow = [this](const std::optional<long long>& v) { m_learning = v; };
    m_learningRead.onEnd = [this](const ksx::WalkEnd& end) {
        if (end.stale) {
            return;
        }
        m_strLearningState = end.Ok() && m_learning ? std::to_string(*m_learning) : std::string();
        m_uplink.reset();
        m_uplinkRead.Read();
    };
    m_uplinkRead.onRow = [this](const std::optional<std::string>& v) { m_uplink = v; };
    m_uplinkRead.onEnd = [this](const ksx::WalkEnd& end) {
        if (end.stale) {
            return;
        }
        const bool uplinkRead = end.Ok() && m_uplink.has_value();
        if (uplinkRead) {
            std::string text;
            const int octets = std::min(static_cast<int>(m_uplink->size()), kUplinkOctets);
            CUtils::BitmapToRangeText(reinterpret_cast<const unsigned char*>(m_uplink->data()), octets, 1,
                                      g_nPortNum, &text);
            m_strUplinkPorts = text;
        }
        if (onGlobals) {
            onGlobals(!m_strLearningState.empty(), uplinkRead);
        }
    };
    m_sessions.Add(m_tableWalk);
    m_sessions.Add(m_learningRead);
    m_sessions.Add(m_uplinkRead);
    m_sessions.Add(m_cCommonSNMPWalk);
    m_sessions.Add(m_cCommonSNMPSet);
    m_sessions.Add(m_cCommonSNMPGlobals);
}

CStaticMACLogic::~CStaticMACLogic() = default;

void CStaticMACLogic::StartStaticMacWalk() {
    m_tableWalk.Walk(OnStaticMacWalk, this);
}

int CStaticMACLogic::OnStaticMacWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CStaticMACLogic*>(userData)->m_tableWalk.Step(response, requestId, status);
}

std::string CStaticMACLogic::RowIndex(const StaticMacEntryText& entry) {
    return "." + entry.vlanId + CUtils::HexToOidIndex(entry.mac) + "." + entry.port;
}

SnmpAnswer CStaticMACLogic::SetStaticMacEntry(const StaticMacEntryText& entry, int action) {
    if (action != ACTION_ADD && action != ACTION_DELETE) {
        return {SnmpOutcome::kAccepted};  // nothing to write
    }
    m_cCommonSNMPRowStatus.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPRowStatus.AddVarBind(kRowStatusColumn + RowIndex(entry), 1,
                                      action == ACTION_ADD ? "4" : "6");
    return ksx::SendRequest(m_cCommonSNMPRowStatus, 0).Answer();
}

ksx::RowAdded CStaticMACLogic::AddStaticMacEntry(const StaticMacEntryText& entry,
                                                 std::function<bool()> stopping, ksx::AddProgress* progress,
                                                 ksx::OtherRow* other) {
    ksx::RowStatusAccess access =
        ksx::StatusAccessOn(m_cCommonSNMPRowStatus, kRowStatusColumn + RowIndex(entry));
    access.stopping = std::move(stopping);
    access.progress = progress;
    access.other = other;
    access.finish = [] { return true; };  // nothing beyond the index to write
    return ksx::AddRow(access, "4");
}

void CStaticMACLogic::GetStaticMacGlobals() {
    m_learning.reset();
    m_learningRead.Read();
}

SnmpAnswer CStaticMACLogic::SetLearningState(const std::string& state) {
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPSet.AddVarBind(kLearningState, 1, state.c_str());
    return ksx::SendRequest(m_cCommonSNMPSet).Answer();
}

SnmpAnswer CStaticMACLogic::SetUplinkPorts(const std::string& uplinkPorts) {
    std::vector<int> flags(static_cast<size_t>(std::max(g_nPortNum, 0)), 0);
    if (uplinkPorts.empty() || !CUtils::ParsePortList(uplinkPorts, flags.data())) {
        return {};  // nothing was sent
    }
    std::string hex;
    CUtils::PortArrayToHex(flags.data(), hex);
    CUtils::PadPortHex(hex);
    std::vector<unsigned char> octets((hex.size() + 1) / 2);  // an odd last digit is kept, not dropped
    CUtils::HexToBytes(hex, octets.data(), static_cast<int>(octets.size()));
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPSet.AddVarBind(kUplinkPorts, 2, reinterpret_cast<const char*>(octets.data()),
                                static_cast<int>(octets.size()));
    return ksx::SendRequest(m_cCommonSNMPSet, 0).Answer();
}

void CStaticMACLogic::CancelRequests() {
    m_cCommonSNMP.Cancel();
    m_cCommonSNMPRowStatus.Cancel();
    m_cCommonSNMPSet.Cancel();
}

std::string CStaticMACLogic::GetAsymmetricVlanState() {
    std::string state;
    GetValue(kAsymmetricVlan, state);
    return state;
}

// Readers first (nothing more reaches the owner), then the sessions.
void CStaticMACLogic::CloseSessions() {
    m_sessions.CloseAll();
}
