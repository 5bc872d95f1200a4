// Static MAC device access.
#include "features/layer2/StaticMACLogic.h"

#include <cstdio>
#include <memory>

#include "core/SnmpReply.h"
#include "core/Utils.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"

namespace {

using ksx::BindingValue;

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

CStaticMACLogic::CStaticMACLogic() = default;

CStaticMACLogic::~CStaticMACLogic() = default;

void CStaticMACLogic::StartStaticMacWalk() {
    m_cCommonSNMPWalk.Open(CCommonSNMP::REQUEST_GETNEXT);
    for (const char* column : {kRowStatusColumn, kVlanColumn, kMacColumn, kPortColumn}) {
        m_cCommonSNMPWalk.AddVarBind(column, 4, nullptr);
    }
    m_cCommonSNMPWalk.StartAsyncWalk(OnStaticMacWalk, this, 0);
}

int CStaticMACLogic::OnStaticMacWalk(CSnmp* response, int requestId, void* userData, int status) {
    auto* self = static_cast<CStaticMACLogic*>(userData);
    std::unique_ptr<CSnmp> owned(response);
    if (!self->m_cCommonSNMPWalk.FindRequestID(requestId)) {
        return 0;
    }
    if (status != 0) {
        if (self->m_hOwner != nullptr) {
            self->m_hOwner->SendMessage(WM_STATICMAC_RESULT, 1, reinterpret_cast<ksx::LPARAM>(kFinished));
        }
        self->m_cCommonSNMPWalk.SetDone();
        return 0;
    }
    if (BindingValue(response, 0) == "1") {
        const std::string mac = BindingValue(response, 2);
        if (mac.size() >= 6) {
            auto octet = [&mac](size_t i) {
                return static_cast<unsigned>(static_cast<unsigned char>(mac[i]));
            };
            char text[24];
            std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", octet(0), octet(1), octet(2),
                          octet(3), octet(4), octet(5));
            StaticMacEntryText entry{BindingValue(response, 1), text, BindingValue(response, 3)};
            if (self->m_hOwner != nullptr) {
                self->m_hOwner->SendMessage(WM_STATICMAC_RESULT, 0, reinterpret_cast<ksx::LPARAM>(&entry));
            }
        } else {
            // Not an address: such a row could be neither shown nor deleted by its text.
            TRACE("static MAC row with a %d-octet address skipped", static_cast<int>(mac.size()));
        }
    }
    self->m_cCommonSNMPWalk.StartAsyncWalk(OnStaticMacWalk, self, 0);
    return 0;
}

std::string CStaticMACLogic::RowIndex(const StaticMacEntryText& entry) {
    return "." + entry.vlanId + CUtils::HexToOidIndex(entry.mac) + "." + entry.port;
}

bool CStaticMACLogic::SetStaticMacEntry(const StaticMacEntryText& entry, int action) {
    const std::string oid = kRowStatusColumn + RowIndex(entry);
    if (action == ACTION_ADD) {
        return SetRowStatus(oid, "4");
    }
    if (action == ACTION_DELETE) {
        return SetRowStatus(oid, "6");
    }
    return true;
}

bool CStaticMACLogic::GetStaticMacGlobals() {
    m_strLearningState.clear();
    const bool stateRead = GetValue(kLearningState, m_strLearningState);
    if (!stateRead) {
        m_strLearningState.clear();
    }
    std::string bitmap;
    if (GetValue(kUplinkPorts, bitmap)) {
        std::string text;
        const int octets = std::min(static_cast<int>(bitmap.size()), kUplinkOctets);
        CUtils::BitmapToRangeText(reinterpret_cast<const unsigned char*>(bitmap.data()), octets, 1,
                                  g_nPortNum, &text);
        m_strUplinkPorts = text;
    }
    return stateRead;
}

int CStaticMACLogic::SetStaticMacGlobals(const std::string& state, const std::string& uplinkPorts) {
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPSet.AddVarBind(kLearningState, 1, state.c_str());
    ksx::SendRequest(m_cCommonSNMPSet);
    if (state == "1") {
        SetPortList(uplinkPorts, nullptr, kUplinkPorts);
    }
    return 1;
}

std::string CStaticMACLogic::GetAsymmetricVlanState() {
    std::string state;
    GetValue(kAsymmetricVlan, state);
    return state;
}

void CStaticMACLogic::CloseSessions() {
    m_cCommonSNMPWalk.Close();
    m_cCommonSNMPSet.Close();
}
