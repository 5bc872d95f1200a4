// Bandwidth control logic.
#include "features/port_system/BandWidthControlFunLogic.h"

#include <algorithm>
#include <memory>

#include "core/SnmpReply.h"
#include "core/TextNumbers.h"
#include "core/Utils.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"

using ksx::BindingValue;

CBandWidthControlFunLogic::CBandWidthControlFunLogic()
    : m_aTrunkIds(static_cast<size_t>(std::max(g_nPortNum, 0)), 0) {}

CBandWidthControlFunLogic::~CBandWidthControlFunLogic() {
    CloseSessions();
}

void CBandWidthControlFunLogic::Notify(int code, const char* text) {
    if (m_hOwnerWnd != nullptr) {
        m_hOwnerWnd->SendMessage(WM_SNMP_RESULT, static_cast<ksx::WPARAM>(code),
                                 reinterpret_cast<ksx::LPARAM>(text));
    }
}

int CBandWidthControlFunLogic::ReadRateTable() {
    m_cCommonSNMPRate.Open(CCommonSNMP::REQUEST_GETNEXT);
    m_cCommonSNMPRate.AddVarBind(kPortColumn, 4, nullptr);
    m_cCommonSNMPRate.AddVarBind(kTxRateColumn, 4, nullptr);
    m_cCommonSNMPRate.AddVarBind(kRxRateColumn, 4, nullptr);
    return m_cCommonSNMPRate.StartAsyncWalk(OnRateTableWalk, this, 0);
}

int CBandWidthControlFunLogic::ReadTrunkMembers() {
    m_cCommonSNMPTrunk.Open(CCommonSNMP::REQUEST_GETNEXT);
    m_cCommonSNMPTrunk.AddVarBind(kTrunkMemberColumn, 4, nullptr);
    return m_cCommonSNMPTrunk.StartAsyncWalk(OnTrunkMembersWalk, this, 0);
}

int CBandWidthControlFunLogic::OnRateTableWalk(CSnmp* response, int requestId, void* userData, int status) {
    auto* self = static_cast<CBandWidthControlFunLogic*>(userData);
    std::unique_ptr<CSnmp> owned(response);
    if (!self->m_cCommonSNMPRate.FindRequestID(requestId)) {
        TRACE("FindRequestID");
        return 0;
    }
    if (status != 0) {
        TRACE("iStatus != CSnmp4w::EC_NO_ERROR");
        self->Notify(BW_RESULT_FINISHED, "Finished");
        self->m_cCommonSNMPRate.SetDone();
        return 0;
    }
    CBandWidthRow row;
    row.port = BindingValue(response, 0);
    row.txRate = BindingValue(response, 1);
    row.rxRate = BindingValue(response, 2);
    if (self->m_hOwnerWnd != nullptr) {
        self->m_hOwnerWnd->SendMessage(WM_SNMP_RESULT, BW_RESULT_ROW, reinterpret_cast<ksx::LPARAM>(&row));
    }
    self->m_cCommonSNMPRate.StartAsyncWalk(OnRateTableWalk, self, 0);
    return 0;
}

int CBandWidthControlFunLogic::OnTrunkMembersWalk(CSnmp* response, int requestId, void* userData,
                                                  int status) {
    auto* self = static_cast<CBandWidthControlFunLogic*>(userData);
    std::unique_ptr<CSnmp> owned(response);
    if (!self->m_cCommonSNMPTrunk.FindRequestID(requestId)) {
        TRACE("FindRequestID");
        return 0;
    }
    if (status != 0) {
        self->Notify(BW_RESULT_FINISHED, "Finished");
        self->m_cCommonSNMPTrunk.SetDone();
        return 0;
    }
    int count = 0;
    const std::string list = CUtils::PortBitmapToList(BindingValue(response, 0), &count);
    if (count > 0) {
        char* suffix = nullptr;
        if (self->m_cCommonSNMPTrunk.GetResponseOid(0, response, &suffix) == 0 && suffix != nullptr &&
            suffix[0] == '.') {
            const int trunkId = ksx::text::LeadingInt(suffix + 1);
            std::lock_guard<std::mutex> guard(self->m_trunkLock);
            size_t begin = 0;
            while (begin <= list.size()) {
                size_t end = list.find(',', begin);
                if (end == std::string::npos) {
                    end = list.size();
                }
                const int port = ksx::text::LeadingInt(std::string_view(list).substr(begin, end - begin));
                // Ports past the array (a bitmap wider than the port count) are ignored.
                if (port >= 1 && static_cast<size_t>(port) <= self->m_aTrunkIds.size()) {
                    self->m_aTrunkIds[static_cast<size_t>(port - 1)] = trunkId;
                }
                begin = end + 1;
            }
        }
    }
    self->m_cCommonSNMPTrunk.StartAsyncWalk(OnTrunkMembersWalk, self, 0);
    return 0;
}

int CBandWidthControlFunLogic::FindTrunkPortsInRange(const std::string& from, const std::string& to,
                                                     std::string& ports) {
    const int first = ksx::text::LeadingInt(from);
    const int last = ksx::text::LeadingInt(to);
    ports.clear();
    std::lock_guard<std::mutex> guard(m_trunkLock);
    const int count = static_cast<int>(m_aTrunkIds.size());
    for (int p = std::max(first, 1); p <= last && p <= count; ++p) {
        if (m_aTrunkIds[static_cast<size_t>(p - 1)] != 0) {
            if (!ports.empty()) {
                ports += ",";
            }
            ports += std::to_string(p);
        }
    }
    return ports.empty() ? 1 : 0;
}

int CBandWidthControlFunLogic::WriteRates(const std::string& from, const std::string& to,
                                          const std::string& rate, int type) {
    const int first = ksx::text::LeadingInt(from);
    const int last = ksx::text::LeadingInt(to);
    int failed = 0;
    for (int p = first; p <= last; ++p) {
        const std::string index = "." + std::to_string(p);
        m_cCommonSNMPWrite.Open(CCommonSNMP::REQUEST_SET);
        if (type == BW_TYPE_RX || type == BW_TYPE_BOTH) {
            m_cCommonSNMPWrite.AddVarBind(kRxRateColumn + index, 1, rate.c_str());
        }
        if (type == BW_TYPE_TX || type == BW_TYPE_BOTH) {
            m_cCommonSNMPWrite.AddVarBind(kTxRateColumn + index, 1, rate.c_str());
        }
        const ksx::SnmpReply reply = ksx::SendRequest(m_cCommonSNMPWrite);
        if (!reply.Accepted()) {
            TRACE("rate write of port %d failed: status %d, error status %d", p, reply.status,
                  reply.ErrorStatus());
            ++failed;
        }
    }
    Notify(BW_RESULT_WRITE_FINISHED, "WriteFinished");
    return failed;
}

int CBandWidthControlFunLogic::IsValidRate(const std::string& text) {
    if (text.empty()) {
        return 0;
    }
    const int value = ksx::text::LeadingInt(text);
    return value >= kMinRate && value <= kMaxRate ? 1 : 0;
}

void CBandWidthControlFunLogic::CloseSessions() {
    m_cCommonSNMPRate.Close();
    m_cCommonSNMPTrunk.Close();
    m_cCommonSNMPWrite.Close();
}

std::vector<int> CBandWidthControlFunLogic::TrunkIdsSnapshot() const {
    std::lock_guard<std::mutex> guard(m_trunkLock);
    return m_aTrunkIds;
}
