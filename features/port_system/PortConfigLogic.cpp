// Port configuration logic.
#include "features/port_system/PortConfigLogic.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "core/SnmpReply.h"
#include "core/TextNumbers.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"

namespace {

const char kPortTable[] = "1.3.6.1.4.1.7393.10.76.20.1.1.13.1";
const char kDescriptionTable[] = "1.3.6.1.4.1.7393.10.76.20.1.1.16.1";
// Columns read by the port walk, in binding order: port, speed, link status, MDI/MDIX, flow control,
// medium (column 6 is not used).
const int kPortColumns[] = {1, 2, 3, 4, 5, 7};
constexpr int kFirstStepTimeoutMs = 8000;

const char kForceModeQuestion[] =
    "The speed is set to force mode. \n* The speed mode must be the same as the counterpart. ";
const char kFlowControlQuestion[] =
    "QoS works best when Flow Control is disabled. \n* When Flow Control is enabled.QoS may not perform "
    "accurate bandwidth allocation. \n* Do you still want to enable Flow Control?. ";
constexpr unsigned kQuestionFlags = ksx::MB_OKCANCEL | ksx::MB_ICONQUESTION | ksx::MB_DEFBUTTON2;

std::string Column(const char* table, int column) {
    return std::string(table) + "." + std::to_string(column);
}

std::string Format(const char* fmt, int port) {
    char buf[160];
    std::snprintf(buf, sizeof buf, fmt, port);
    return buf;
}

}  // namespace

using ksx::BindingValue;

CPortConfigLogic::CPortConfigLogic()
    : m_nPortNum(std::max(g_nPortNum, 0)),
      m_DescriptionRows(static_cast<size_t>(m_nPortNum)),
      m_PortRows(static_cast<size_t>(m_nPortNum)) {}

CPortConfigLogic::~CPortConfigLogic() {
    // The walk callbacks write the rows: their workers must be gone before the rows are. Open ends a
    // session's walk and joins its worker.
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_GET);
    m_cCommonSNMPTable.Open(CCommonSNMP::REQUEST_GET);
}

std::vector<PortConfigRow> CPortConfigLogic::PortRows() const {
    std::lock_guard<std::mutex> guard(m_rowLock);
    return m_PortRows;
}

std::vector<PortDescriptionRow> CPortConfigLogic::DescriptionRows() const {
    std::lock_guard<std::mutex> guard(m_rowLock);
    return m_DescriptionRows;
}

// ---- Port table ----

bool CPortConfigLogic::ReadPortTable() {
    m_nRowCount = 0;
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_GETNEXT);
    for (int column : kPortColumns) {
        m_cCommonSNMP.AddVarBind(Column(kPortTable, column), 4, nullptr);
    }
    m_cCommonSNMP.StartAsyncWalk(OnPortTableWalk, this, kFirstStepTimeoutMs);
    return true;
}

int CPortConfigLogic::OnPortTableWalk(CSnmp* response, int requestId, void* userData, int status) {
    auto* self = static_cast<CPortConfigLogic*>(userData);
    std::unique_ptr<CSnmp> owned(response);
    if (!self->m_cCommonSNMP.FindRequestID(requestId)) {
        return 0;
    }
    if (status != 0) {
        if (self->m_hOwnerWnd != nullptr) {
            if (status == CSnmp4w::EC_END_OF_WALK || status == CSnmp4w::EC_SEND_FAILED) {
                self->m_hOwnerWnd->SendMessage(WM_SNMP_WALK_STALE, 0, 0);
            } else if (status == CSnmp4w::EC_TIMEOUT) {
                self->m_hOwnerWnd->SendMessage(WM_SNMP_WALK_TIMEOUT, 0, 0);
            }
        }
        self->m_cCommonSNMP.SetDone();
        return 0;
    }
    int values[6];
    for (int i = 0; i < 6; ++i) {
        values[i] = ksx::text::LeadingInt(BindingValue(response, i));
    }
    const int row = self->m_nRowCount.fetch_add(1);
    if (row < self->m_nPortNum) {  // rows past the port count are read and dropped
        std::lock_guard<std::mutex> guard(self->m_rowLock);
        PortConfigRow& r = self->m_PortRows[static_cast<size_t>(row)];
        r.port = values[0];
        r.speed = values[1];
        r.linkStatus = values[2];
        r.mdix = values[3];
        r.flowControl = values[4];
        r.medium = values[5];
    }
    owned.reset();
    self->m_cCommonSNMP.StartAsyncWalk(OnPortTableWalk, self, 0);
    return 0;
}

bool CPortConfigLogic::WritePortSettings(const PortConfigRow& row) {
    const std::string index = std::string(".").append(std::to_string(row.port));
    const std::string speed = std::to_string(row.speed);
    const std::string mdix = std::to_string(row.mdix);
    const std::string flow = std::to_string(row.flowControl);
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMP.AddVarBind(Column(kPortTable, 2) + index, 1, speed.c_str());
    m_cCommonSNMP.AddVarBind(Column(kPortTable, 4) + index, 1, mdix.c_str());
    m_cCommonSNMP.AddVarBind(Column(kPortTable, 5) + index, 1, flow.c_str());
    return ksx::SendAccepted(m_cCommonSNMP);
}

// ---- Checks ----

int CPortConfigLogic::TrunkGroupOf(int port) const {
    std::lock_guard<std::mutex> guard(m_dataLock);
    if (port < 1 || port > static_cast<int>(m_TrunkPorts.size())) {
        return 0;
    }
    return m_TrunkPorts[static_cast<size_t>(port - 1)];
}

int CPortConfigLogic::MediumOf(int rowIndex) const {
    std::lock_guard<std::mutex> guard(m_rowLock);
    return m_PortRows[static_cast<size_t>(rowIndex)].medium;
}

bool CPortConfigLogic::CheckTrunkValue(int rowIndex, int port, int value, int PortConfigRow::*field) {
    if (!ValidRow(rowIndex)) {
        return false;
    }
    const int group = TrunkGroupOf(port);
    if (group == 0) {
        return true;
    }
    const std::vector<int> trunk = TrunkPortsSnapshot();
    bool shared = false;
    for (size_t j = 0; j < trunk.size(); ++j) {
        if (static_cast<int>(j) + 1 != port && trunk[j] == group) {
            shared = true;
            break;
        }
    }
    int current = 0;
    {
        std::lock_guard<std::mutex> guard(m_rowLock);
        current = m_PortRows[static_cast<size_t>(rowIndex)].*field;
    }
    return !(shared && value != current);
}

bool CPortConfigLogic::CheckTrunkSpeed(int rowIndex, int port, int speed) {
    return CheckTrunkValue(rowIndex, port, speed, &PortConfigRow::speed);
}

bool CPortConfigLogic::CheckTrunkFlowControl(int rowIndex, int port, int flowControl) {
    return CheckTrunkValue(rowIndex, port, flowControl, &PortConfigRow::flowControl);
}

bool CPortConfigLogic::CheckTrunkMdix(int rowIndex, int port, int mdix) {
    return CheckTrunkValue(rowIndex, port, mdix, &PortConfigRow::mdix);
}

bool CPortConfigLogic::CheckFiberMdix(int rowIndex, int port, int mdix) {
    if (!ValidRow(rowIndex)) {
        return false;
    }
    const int medium = MediumOf(rowIndex);
    if (medium == 2 || mdix == 1) {
        return true;
    }
    ksx::AfxMessageBox(Format("Fiber Port  %d can not support MDI/MDIX mode.", port), ksx::MB_OK);
    return false;
}

bool CPortConfigLogic::CheckSpeed(int rowIndex, int port, int speed) {
    if (!ValidRow(rowIndex)) {
        return false;
    }
    const int medium = MediumOf(rowIndex);
    if (medium == 4 && speed != 1 && speed != 6 && speed != 7) {
        ksx::AfxMessageBox(
            Format("Fiber Port %d with 1000Base-x SFP Module can not support this speed.", port), ksx::MB_OK);
        return false;
    }
    if (speed != 6 && speed != 7 && ksx::AfxMessageBox(kForceModeQuestion, kQuestionFlags) != ksx::IDOK) {
        return false;
    }
    if (TrunkGroupOf(port) != 0 && (speed == 3 || speed == 5)) {
        ksx::AfxMessageBox(Format("Trunk member port  %d can not support in half-duplex mode.", port),
                           ksx::MB_OK);
        return false;
    }
    return true;
}

bool CPortConfigLogic::CheckDisableAll(int rowIndex, int speed) {
    if (!ValidRow(rowIndex)) {
        return false;
    }
    int down = 0;
    bool selectedUp = false;
    {
        std::lock_guard<std::mutex> guard(m_rowLock);
        for (const PortConfigRow& r : m_PortRows) {
            down += r.linkStatus == 1 ? 1 : 0;
        }
        selectedUp = m_PortRows[static_cast<size_t>(rowIndex)].linkStatus != 1;
    }
    if (speed == 7 && down == m_nPortNum - 1 && selectedUp) {
        ksx::AfxMessageBox("Sorry, you can not disable all ports.", ksx::MB_OK);
        return false;
    }
    return true;
}

bool CPortConfigLogic::ConfirmFlowControl(int flowControl) {
    if (flowControl != 1) {
        return true;
    }
    return ksx::AfxMessageBox(kFlowControlQuestion, kQuestionFlags) == ksx::IDOK;
}

// ---- Descriptions ----

bool CPortConfigLogic::ReadDescriptions() {
    m_nRowCount = 0;
    m_cCommonSNMPTable.Open(CCommonSNMP::REQUEST_GETNEXT);
    m_cCommonSNMPTable.AddVarBind(Column(kDescriptionTable, 1), 4, nullptr);
    m_cCommonSNMPTable.AddVarBind(Column(kDescriptionTable, 2), 4, nullptr);
    m_cCommonSNMPTable.StartAsyncWalk(OnDescriptionWalk, this, 0);
    return false;
}

int CPortConfigLogic::OnDescriptionWalk(CSnmp* response, int requestId, void* userData, int status) {
    auto* self = static_cast<CPortConfigLogic*>(userData);
    std::unique_ptr<CSnmp> owned(response);
    if (!self->m_cCommonSNMPTable.FindRequestID(requestId)) {
        TRACE("FindRequestID");
        owned.reset();
        if (self->m_hOwnerWnd != nullptr) {
            self->m_hOwnerWnd->SendMessage(WM_SNMP_WALK_STALE, 0, 0);
        }
        return 0;
    }
    if (status != 0) {
        TRACE("iStatus != CSnmp4w::EC_NO_ERROR");
        self->m_cCommonSNMPTable.SetDone();
        if (self->m_hOwnerWnd != nullptr) {
            self->m_hOwnerWnd->SendMessage(WM_SNMP_WALK_END, 0, 0);
        }
        return 0;
    }
    TRACE("**********port member***************");
    const int port = ksx::text::LeadingInt(BindingValue(response, 0));
    std::string description = BindingValue(response, 1);
    const int count = self->m_nRowCount.fetch_add(1) + 1;
    if (count <= self->m_nPortNum) {
        std::lock_guard<std::mutex> guard(self->m_rowLock);
        PortDescriptionRow& r = self->m_DescriptionRows[static_cast<size_t>(count - 1)];
        r.port = port;
        r.description = description;
    }
    TRACE("%s", description.c_str());
    owned.reset();
    self->m_cCommonSNMPTable.StartAsyncWalk(OnDescriptionWalk, self, 0);
    return 0;
}

bool CPortConfigLogic::WriteDescriptions(const PortDescriptionRequest& request) {
    if (request.fromPort < 1) {
        return false;
    }
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    for (long long p = request.fromPort; p <= request.toPort; ++p) {
        m_cCommonSNMP.AddVarBind(Column(kDescriptionTable, 2) + "." + std::to_string(p), 2,
                                 request.description.c_str());
    }
    return ksx::SendAccepted(m_cCommonSNMP);  // an empty PDU is refused without sending
}
