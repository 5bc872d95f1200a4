// Port configuration logic.
#include "features/port_system/PortConfigLogic.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

#include "core/SnmpReply.h"
#include "core/TextNumbers.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"

namespace {

const char kPortTable[] = "1.3.6.1.4.1.7393.10.76.20.1.1.13.1";
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

static std::vector<std::string> PortTableColumns() {
    std::vector<std::string> oids;
    for (int column : kPortColumns) {
        oids.push_back(Column(kPortTable, column));
    }
    return oids;
}

CPortConfigLogic::CPortConfigLogic()
    : m_nPortNum(std::max(g_nPortNum, 0)),
      m_DescriptionRows(static_cast<size_t>(m_nPortNum)),
      m_PortRows(static_cast<size_t>(m_nPortNum)),
      m_portRead(m_cCommonSNMP, PortTableColumns(),
                 [this](const ksx::WalkStep& s) -> std::optional<PortConfigRow> {
                     m_nRowCount.fetch_add(1);
                     // The row belongs to the port its index names, wherever the walk met it.
                     const int index = s.IndexInt(0, 0);
                     const auto port = s.Integer(0);
                     const auto speed = s.Integer(1);
                     const auto link = s.Integer(2);
                     const auto mdix = s.Integer(3);
                     const auto flow = s.Integer(4);
                     const auto medium = s.Integer(5);
                     PortConfigRow r;
                     r.port = port ? static_cast<int>(*port) : index;
                     r.read = speed && link && mdix && flow && medium;
                     if (r.read) {
                         r.speed = static_cast<int>(*speed);
                         r.linkStatus = static_cast<int>(*link);
                         r.mdix = static_cast<int>(*mdix);
                         r.flowControl = static_cast<int>(*flow);
                         r.medium = static_cast<int>(*medium);
                     }
                     StorePortRow(index, r);
                     return std::nullopt;
                 }),
      m_descriptionRead(m_cCommonSNMPTable, {kDescriptionPortColumn, kDescriptionColumn},
                        [this](const ksx::WalkStep& s) -> std::optional<PortDescriptionRow> {
                            TRACE("**********port member***************");
                            // Keyed by the row's index; a description that is not an octet string is
                            // not taken.
                            m_nRowCount.fetch_add(1);
                            const auto description = s.Octets(1);
                            if (!description) {
                                return std::nullopt;
                            }
                            const PortDescriptionRow r{s.IndexInt(0), *description};
                            StoreDescriptionRow(r.port, r);
                            TRACE("%s", r.description.c_str());
                            return std::nullopt;
                        }) {
    m_sessions.Add(m_portRead);
    m_sessions.Add(m_descriptionRead);
    m_trunkRead.onEnd = [this](const ksx::WalkEnd& end) {
        if (end.stale) {
            return;
        }
        m_trunkEnded = true;
        m_trunkOk = end.Ok();
        m_trunkTimedOut = end.TimedOut();
        if (m_hOwnerWnd != nullptr) {
            m_hOwnerWnd->SendMessage(WM_PORT_TRUNK_READ, 0, 0);
        }
    };
    m_portRead.onEnd = [this](const ksx::WalkEnd& end) {
        if (m_hOwnerWnd == nullptr || end.stale) {
            return;
        }
        // A time-out starts the read again; any other end (the table's, a refused or failed step)
        // hands the owner what was read, so the rows not read are said and Refresh comes back.
        if (end.status == CSnmp4w::EC_TIMEOUT) {
            m_hOwnerWnd->SendMessage(WM_SNMP_WALK_TIMEOUT, 0, 0);
        } else {
            m_hOwnerWnd->SendMessage(WM_SNMP_WALK_STALE, 0, 0);
        }
    };
    m_descriptionRead.onEnd = [this](const ksx::WalkEnd& end) {
        if (m_hOwnerWnd != nullptr) {
            m_hOwnerWnd->SendMessage(end.stale ? WM_SNMP_WALK_STALE : WM_SNMP_WALK_END, 0, 0);
        }
    };
}

CPortConfigLogic::~CPortConfigLogic() = default;

void CPortConfigLogic::StorePortRow(int index, const PortConfigRow& values) {
    if (index >= 1 && index <= m_nPortNum) {  // rows past the port count are read and dropped
        std::lock_guard<std::mutex> guard(m_rowLock);
        PortConfigRow& row = m_PortRows[static_cast<size_t>(index - 1)];
        if (values.read) {
            row = values;
        } else {
            row.port = values.port;
            row.read = false;  // the earlier values stay, but nothing decides on them any more
        }
    }
}

bool CPortConfigLogic::RowRead(int rowIndex) const {
    if (!ValidRow(rowIndex)) {
        return false;
    }
    std::lock_guard<std::mutex> guard(m_rowLock);
    return m_PortRows[static_cast<size_t>(rowIndex)].read;
}

void CPortConfigLogic::StoreDescriptionRow(int port, const PortDescriptionRow& values) {
    if (port >= 1 && port <= m_nPortNum) {
        std::lock_guard<std::mutex> guard(m_rowLock);
        m_DescriptionRows[static_cast<size_t>(port - 1)] = values;
    }
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

void CPortConfigLogic::ReadTrunkMembership() {
    m_trunkEnded = false;
    m_trunkOk = false;
    m_trunkTimedOut = false;
    ReadTrunkPorts();
}

bool CPortConfigLogic::ReadPortTable() {
    m_nRowCount = 0;
    {
        // A port is read again by this walk or not at all: one the table lacks is a port not read.
        std::lock_guard<std::mutex> guard(m_rowLock);
        for (PortConfigRow& r : m_PortRows) {
            r.read = false;
        }
    }
    m_portRead.Walk(OnPortTableWalk, this, kFirstStepTimeoutMs, 0);
    return true;
}

int CPortConfigLogic::OnPortTableWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CPortConfigLogic*>(userData)->m_portRead.Step(response, requestId, status);
}

SnmpAnswer CPortConfigLogic::WritePortSettings(const PortConfigRow& row) {
    const std::string index = std::string(".").append(std::to_string(row.port));
    const std::string speed = std::to_string(row.speed);
    const std::string mdix = std::to_string(row.mdix);
    const std::string flow = std::to_string(row.flowControl);
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMP.AddVarBind(Column(kPortTable, 2) + index, 1, speed.c_str());
    m_cCommonSNMP.AddVarBind(Column(kPortTable, 4) + index, 1, mdix.c_str());
    m_cCommonSNMP.AddVarBind(Column(kPortTable, 5) + index, 1, flow.c_str());
    return ksx::SendRequest(m_cCommonSNMP).Answer();
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
            // A port whose link was not read may have one: it never counts as down.
            down += r.read && r.linkStatus == 1 ? 1 : 0;
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
    m_descriptionRead.Walk(OnDescriptionWalk, this);
    return false;
}

int CPortConfigLogic::OnDescriptionWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CPortConfigLogic*>(userData)->m_descriptionRead.Step(response, requestId, status);
}

bool CPortConfigLogic::WriteDescriptions(const PortDescriptionRequest& request) {
    if (request.fromPort < 1) {
        return false;
    }
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    for (long long p = request.fromPort; p <= request.toPort; ++p) {
        m_cCommonSNMP.AddVarBind(std::string(kDescriptionColumn) + "." + std::to_string(p), 2,
                                 request.description.c_str());
    }
    return ksx::SendAccepted(m_cCommonSNMP);  // an empty PDU is refused without sending
}
