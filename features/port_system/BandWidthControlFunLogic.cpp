// Bandwidth control logic.
#include "features/port_system/BandWidthControlFunLogic.h"

#include "core/SnmpReply.h"
#include "core/TextNumbers.h"
#include "platform/sys/Debug.h"

CBandWidthControlFunLogic::CBandWidthControlFunLogic()
    : m_rateRead(m_cCommonSNMPRate, {kPortColumn, kTxRateColumn, kRxRateColumn}, [](const ksx::WalkStep& s) {
          // Only integers are rates; anything else is shown as nothing and marks the row not read.
          CBandWidthRow row;
          const auto port = s.Integer(0);
          const auto tx = s.Integer(1);
          const auto rx = s.Integer(2);
          row.port = port ? std::to_string(*port) : std::to_string(s.IndexInt(0));
          row.txRate = tx ? std::to_string(*tx) : std::string();
          row.rxRate = rx ? std::to_string(*rx) : std::string();
          row.read = port && tx && rx;
          return row;
      }) {
    m_sessions.Add(m_rateRead);
    m_sessions.Add(m_cCommonSNMPRate);
    m_rateRead.onRow = [this](const CBandWidthRow& row) {
        m_rateRowsOk = m_rateRowsOk && row.read;
        Notify(BW_RESULT_ROW, ksx::RecordParam(&row));
    };
    m_rateRead.onEnd = [this](const ksx::WalkEnd& end) {
        m_rateEnded = true;
        m_rateOk = end.Ok() && m_rateRowsOk;
        Notify(BW_RESULT_FINISHED, ksx::RecordParam("Finished"));
    };
    m_trunkRead.onEnd = [this](const ksx::WalkEnd& end) {
        m_trunkEnded = true;
        m_trunkOk = end.Ok();
        Notify(BW_RESULT_FINISHED, ksx::RecordParam("Finished"));
    };
}

CBandWidthControlFunLogic::~CBandWidthControlFunLogic() = default;

void CBandWidthControlFunLogic::Notify(int code, ksx::LPARAM data) {
    if (m_hOwnerWnd != nullptr) {
        m_hOwnerWnd->SendMessage(WM_SNMP_RESULT, static_cast<ksx::WPARAM>(code), data);
    }
}

int CBandWidthControlFunLogic::ReadRateTable() {
    m_rateEnded = false;
    m_rateOk = false;
    m_rateRowsOk = true;
    m_rateRead.Walk(OnRateTableWalk, this);
    return -1;
}

int CBandWidthControlFunLogic::ReadTrunkMembers() {
    m_trunkEnded = false;
    m_trunkOk = false;
    m_bTrunkLoaded = false;
    m_trunkRead.Walk(OnTrunkMembersWalk, this);
    return -1;
}

int CBandWidthControlFunLogic::OnRateTableWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CBandWidthControlFunLogic*>(userData)->m_rateRead.Step(response, requestId, status);
}

int CBandWidthControlFunLogic::OnTrunkMembersWalk(CSnmp* response, int requestId, void* userData,
                                                  int status) {
    return static_cast<CBandWidthControlFunLogic*>(userData)->m_trunkRead.Step(response, requestId, status);
}

int CBandWidthControlFunLogic::FindTrunkPortsInRange(const std::string& from, const std::string& to,
                                                     std::string& ports) {
    ports.clear();
    for (int p : TrunkPortsInRange(ksx::text::LeadingInt(from), ksx::text::LeadingInt(to))) {
        ports += (ports.empty() ? "" : ",") + std::to_string(p);
    }
    return ports.empty() ? 1 : 0;
}

int CBandWidthControlFunLogic::WriteRates(const std::string& from, const std::string& to,
                                          const std::string& rate, int type, std::vector<int>* failedPorts) {
    const int first = ksx::text::LeadingInt(from);
    const int last = ksx::text::LeadingInt(to);
    int failed = 0;
    for (int p = first; p <= last; ++p) {
        if (!WriteRate(p, rate, type).Accepted()) {
            ++failed;
            if (failedPorts != nullptr) {
                failedPorts->push_back(p);
            }
        }
    }
    WriteFinished();
    return failed;
}

SnmpAnswer CBandWidthControlFunLogic::WriteRate(int p, const std::string& rate, int type) {
    const std::string index = "." + std::to_string(p);
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    if (type == BW_TYPE_RX || type == BW_TYPE_BOTH) {
        m_cCommonSNMP.AddVarBind(kRxRateColumn + index, 1, rate.c_str());
    }
    if (type == BW_TYPE_TX || type == BW_TYPE_BOTH) {
        m_cCommonSNMP.AddVarBind(kTxRateColumn + index, 1, rate.c_str());
    }
    const SnmpAnswer answer = ksx::SendRequest(m_cCommonSNMP).Answer();
    if (!answer.Accepted()) {
        TRACE("rate write of port %d failed: status %d, error status %d", p, answer.status,
              answer.errorStatus);
    }
    return answer;
}

void CBandWidthControlFunLogic::WriteFinished() {
    Notify(BW_RESULT_WRITE_FINISHED, ksx::RecordParam("WriteFinished"));
}

int CBandWidthControlFunLogic::IsValidRate(const std::string& text) {
    if (text.empty()) {
        return 0;
    }
    const int value = ksx::text::LeadingInt(text);
    return value >= kMinRate && value <= kMaxRate ? 1 : 0;
}
