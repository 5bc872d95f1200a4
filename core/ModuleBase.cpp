// Feature logic base.
#include "core/ModuleBase.h"

#include "core/SnmpReply.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "core/TextNumbers.h"
#include "core/Utils.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"

namespace {

using ksx::SendAccepted;

const char kTrunkMemberColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.8.1.3.1.2";
const char kVlanNameColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.7.6.1.1";
const char kVlanRowStatusColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.7.6.1.5";
const char kIfPhysAddress1[] = "1.3.6.1.2.1.2.2.1.6.1";
constexpr int kVlanStepTimeoutMs = 6000;

}  // namespace

CModuleBase::CModuleBase()
    : m_TrunkPorts(static_cast<size_t>(std::max(g_nPortNum, 0)), 0),
      m_trunkRead(m_cCommonSNMPTable, {kTrunkMemberColumn},
                  [this](const ksx::WalkStep& step) -> std::optional<TrunkRow> {
                      TrunkRow row;
                      // A member set that is not an octet string leaves the membership unknown.
                      const std::optional<std::string> members = step.Octets(0);
                      if (!members) {
                          step.Reject();
                          return std::nullopt;
                      }
                      int count = 0;
                      const std::string list = CUtils::PortBitmapToList(*members, &count);
                      row.group = step.IndexInt(0);
                      if (count <= 0 || row.group == 0) {
                          m_bTrunkLoaded = true;  // a row without members still counts as read
                          return std::nullopt;
                      }
                      // The port count may have grown since construction: mark in a full-size copy.
                      std::vector<int> ports(static_cast<size_t>(std::max(g_nPortNum, 0)), 0);
                      CUtils::PortListToArray(list, ports.data(), row.group);
                      std::lock_guard<std::mutex> guard(m_dataLock);
                      for (size_t i = 0; i < ports.size(); ++i) {
                          if (ports[i] != 0) {
                              row.ports.push_back(static_cast<int>(i) + 1);
                              if (i < m_TrunkPorts.size()) {
                                  m_TrunkPorts[i] = ports[i];
                              }
                          }
                      }
                      m_bTrunkLoaded = true;
                      return row;
                  }),
      m_vlanRead(m_cCommonSNMPTable, {kVlanNameColumn, kVlanRowStatusColumn},
                 [this](const ksx::WalkStep& step) -> std::optional<VlanRow> {
                     VlanRow row{step.Index(0), step.Text(0), step.Text(1)};
                     std::lock_guard<std::mutex> guard(m_dataLock);
                     m_aVlanName.push_back(row.name);
                     m_aVlanID.push_back(row.id);
                     m_aVlanRowStatus.push_back(row.rowStatus);
                     return row;
                 }) {
    m_sessions.Add(m_trunkRead);
    m_sessions.Add(m_vlanRead);
    m_sessions.Add(m_cCommonSNMPTable);
    m_sessions.Add(m_cCommonSNMP);
    m_sessions.Add(m_cCommonSNMPRowStatus);
    m_vlanRead.onEnd = [this](const ksx::WalkEnd& end) {
        if (end.AtEnd() && m_hOwnerWnd != nullptr) {
            m_hOwnerWnd->SendMessage(WM_VLANLIST_DONE, 2, 0);
        }
    };
}

CModuleBase::~CModuleBase() = default;

bool CModuleBase::HandleText(std::string /*text*/) {
    return false;
}

bool CModuleBase::SetOwnerWnd(ksx::IMessageTarget* owner) {
    if (owner == nullptr) {
        return false;
    }
    m_hOwnerWnd = owner;
    return true;
}

bool CModuleBase::GetValue(const std::string& oid, std::string& value) {
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_GET);
    m_cCommonSNMP.AddVarBind(oid, 4, nullptr);
    const ksx::SnmpReply reply = ksx::SendRequest(m_cCommonSNMP);
    if (!reply.Accepted() || reply.response->getVarBindCount() < 1) {
        return false;
    }
    value = reply.Value(0);
    return true;
}

bool CModuleBase::SetValues(const SNMP_VARBIND* varbinds, int count) {
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    for (int i = 0; varbinds != nullptr && i < count; ++i) {
        const SNMP_VARBIND& vb = varbinds[i];
        if (vb.type == 2) {
            m_cCommonSNMP.AddVarBind(vb.oid, vb.type, vb.value, vb.value != nullptr ? vb.length : 0);
        } else {
            // Numbers and addresses travel as their text; the length does not apply to them.
            m_cCommonSNMP.AddVarBind(vb.oid, vb.type, vb.value);
        }
    }
    return SendAccepted(m_cCommonSNMP, std::atoi(g_strSnmpTimeout.c_str()));
}

bool CModuleBase::SetRowStatus(const std::string& oid, const std::string& value) {
    if (value != "1" && value != "5" && value != "4" && value != "6") {
        ksx::AfxMessageBox("error status value!", ksx::MB_OK);
        return false;
    }
    m_cCommonSNMPRowStatus.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPRowStatus.AddVarBind(oid, 1, value.c_str());
    return SendAccepted(m_cCommonSNMPRowStatus, 0);
}

int CModuleBase::ReadTrunkPorts() {
    m_bTrunkLoaded = false;
    m_trunkRead.Walk(OnTrunkPortsWalk, this);
    return -1;
}

int CModuleBase::OnTrunkPortsWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CModuleBase*>(userData)->m_trunkRead.Step(response, requestId, status);
}

int CModuleBase::OnVlanListWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CModuleBase*>(userData)->m_vlanRead.Step(response, requestId, status);
}

std::vector<int> CModuleBase::TrunkPortsInRange(int from, int to) const {
    std::vector<int> ports;
    std::lock_guard<std::mutex> guard(m_dataLock);
    const int count = static_cast<int>(m_TrunkPorts.size());
    for (int p = std::max(from, 1); p <= to && p <= count; ++p) {
        if (m_TrunkPorts[static_cast<size_t>(p - 1)] != 0) {
            ports.push_back(p);
        }
    }
    return ports;
}

bool CModuleBase::CheckTrunkConsistency(const int* values) {
    if (!m_bTrunkLoaded) {
        return true;
    }
    std::vector<int> trunk = TrunkPortsSnapshot();
    for (size_t i = 0; i < trunk.size(); ++i) {
        TRACE("m_TrunkPorts[%d] = %d", static_cast<int>(i), trunk[i]);
    }
    if (values == nullptr) {
        return true;
    }
    size_t ports = std::min(trunk.size(), static_cast<size_t>(std::max(g_nPortNum, 0)));
    for (size_t i = 0; i < ports; ++i) {
        if (values[i] == 0 || trunk[i] == 0) {
            continue;
        }
        for (size_t j = 0; j < ports; ++j) {
            if (trunk[j] == trunk[i] && values[j] != values[i]) {
                return false;
            }
        }
    }
    return true;
}

int CModuleBase::ReadVlanList() {
    {
        std::lock_guard<std::mutex> guard(m_dataLock);
        m_aVlanID.clear();
        m_aVlanName.clear();
        m_aVlanRowStatus.clear();
    }
    m_vlanRead.Walk(OnVlanListWalk, this, kVlanStepTimeoutMs);
    return -1;
}

void CModuleBase::GetSystemMac(std::string& text) {
    text.clear();
    std::string octets;
    if (!GetValue(kIfPhysAddress1, octets) || octets.size() < 6) {
        return;
    }
    // One below interface 1's address, borrowing across all six octets.
    std::uint64_t mac = 0;
    for (int i = 0; i < 6; ++i) {
        mac = (mac << 8) | static_cast<unsigned char>(octets[static_cast<size_t>(i)]);
    }
    mac = (mac - 1) & 0xFFFFFFFFFFFFull;
    char buf[24];
    std::snprintf(buf, sizeof buf, "%02X-%02X-%02X-%02X-%02X-%02X", static_cast<unsigned>((mac >> 40) & 0xFF),
                  static_cast<unsigned>((mac >> 32) & 0xFF), static_cast<unsigned>((mac >> 24) & 0xFF),
                  static_cast<unsigned>((mac >> 16) & 0xFF), static_cast<unsigned>((mac >> 8) & 0xFF),
                  static_cast<unsigned>(mac & 0xFF));
    text = buf;
}

bool CModuleBase::SetPortList(const std::string& list, const int* flags, const std::string& oid) {
    if (list.empty() && flags == nullptr) {
        ksx::AfxMessageBox("Please input port value.", ksx::MB_OK);
        return false;
    }
    std::vector<int> parsed(static_cast<size_t>(std::max(g_nPortNum, 0)), 0);
    const int* ports = flags;
    if (!list.empty()) {
        if (!CUtils::ParsePortList(list, parsed.data())) {
            return false;
        }
        ports = parsed.data();
    }
    std::string hex;
    CUtils::PortArrayToHex(ports, hex);
    CUtils::PadPortHex(hex);
    std::vector<unsigned char> octets((hex.size() + 1) / 2);  // an odd last digit is kept, not dropped
    CUtils::HexToBytes(hex, octets.data(), static_cast<int>(octets.size()));
    if (oid.empty()) {
        return false;
    }
    CCommonSNMP session;
    session.Open(CCommonSNMP::REQUEST_SET);
    session.AddVarBind(oid, 2, reinterpret_cast<const char*>(octets.data()), static_cast<int>(octets.size()));
    return SendAccepted(session, 0);
}

std::vector<int> CModuleBase::TrunkPortsSnapshot() const {
    std::lock_guard<std::mutex> guard(m_dataLock);
    return m_TrunkPorts;
}

std::vector<CModuleBase::VlanRow> CModuleBase::VlanListSnapshot() const {
    std::lock_guard<std::mutex> guard(m_dataLock);
    std::vector<VlanRow> rows;
    for (size_t i = 0; i < m_aVlanID.size(); ++i) {
        rows.push_back({m_aVlanID[i], m_aVlanName[i], m_aVlanRowStatus[i]});
    }
    return rows;
}
