// IGMP snooping device access.
#include "features/layer2/IGMPSnoopingLogic.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include "core/SnmpReply.h"
#include "core/Utils.h"
#include "platform/sys/Debug.h"

namespace {

const char kGlobal[] = "1.3.6.1.4.1.7393.10.76.20.1.10.1.";  // + "1.0" .. "8.0"
const char kVlanIdColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.10.3.4.1.1";
const char kStateColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.10.3.4.1.2";
const char kQuerierColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.10.3.4.1.4";
const char kRouterPortsColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.10.3.4.1.6";
const char kFastLeaveColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.10.3.4.1.8";
const char kVlanNameColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.7.6.1.1";
const char kVlanMembersColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.7.6.1.2";
const char kGroupColumns[4][40] = {
    "1.3.6.1.4.1.7393.10.76.20.1.10.3.5.1.1",
    "1.3.6.1.4.1.7393.10.76.20.1.10.3.5.1.2",
    "1.3.6.1.4.1.7393.10.76.20.1.10.3.5.1.3",
    "1.3.6.1.4.1.7393.10.76.20.1.10.3.5.1.4",
};
constexpr int kGlobalReadTimeoutMs = 4000;

std::string Instance(const char* column, const std::string& vlanId) {
    return std::string(column) + "." + vlanId;
}

}  // namespace

std::string& IGMPGlobalSettings::Field(int i) {
    return const_cast<std::string&>(static_cast<const IGMPGlobalSettings*>(this)->Field(i));
}

const std::string& IGMPGlobalSettings::Field(int i) const {
    switch (i) {
        case 0:
            return state;
        case 1:
            return routerTimeout;
        case 2:
            return hostTimeout;
        case 3:
            return robustness;
        case 4:
            return lastMemberInterval;
        case 5:
            return queryInterval;
        case 6:
            return maxResponseTime;
        default:
            return reportAllPorts;
    }
}

CIGMPSnoopingLogic::CIGMPSnoopingLogic()
    : m_globalRead(m_cCommonSNMPGlobal, GlobalOids(),
                   [](const ksx::WalkStep& step) {
                       // Every field is written back by Apply: all eight read as numbers, or none.
                       std::optional<IGMPGlobalSettings> read = IGMPGlobalSettings{};
                       for (int i = 0; i < IGMPGlobalSettings::kFieldCount; ++i) {
                           const std::optional<long long> value = step.Integer(i);
                           if (!value) {
                               read.reset();
                               break;
                           }
                           read->Field(i) = std::to_string(*value);
                       }
                       return std::optional<std::optional<IGMPGlobalSettings>>(read);
                   }),
      m_vlanWalk(m_cCommonSNMPTable,
                 {kVlanIdColumn, kVlanNameColumn, kStateColumn, kQuerierColumn, kFastLeaveColumn,
                  kRouterPortsColumn},
                 [this](const ksx::WalkStep& step) -> std::optional<IGMPVlanEntry> {
                     IGMPVlanEntry entry;
                     entry.vlanId = step.Text(0);
                     entry.vlanName = VlanNameById(step, 1, entry.vlanId, m_cCommonSNMPName);
                     // The states decide the write sequence: empty when not read as numbers.
                     auto number = [&step](int i) {
                         const std::optional<long long> v = step.Integer(i);
                         return v ? std::to_string(*v) : std::string();
                     };
                     entry.state = number(2);
                     entry.querier = number(3);
                     entry.fastLeave = number(4);
                     int count = 0;
                     entry.routerPorts = CUtils::PortBitmapToList(step.Text(5), &count);
                     return entry;
                 }),
      m_groupWalk(m_cCommonSNMPGroup,
                  {kGroupColumns[0], kGroupColumns[1], kGroupColumns[2], kGroupColumns[3]},
                  [](const ksx::WalkStep& step) -> std::optional<IGMPGroupEntry> {
                      return MakeGroupEntry(step.Text(0), step.Text(1), step.Text(2), step.Text(3));
                  }) {
    // The names come from the VLAN table beside the IGMP table: its rows are its own.
    m_vlanWalk.SetGroups({0, 1, 0, 0, 0, 0});
    // Rows go to the owner as the records of the feature's messages, valid during the call.
    m_vlanWalk.onRow = [this](const IGMPVlanEntry& entry) {
        if (m_hOwner != nullptr) {
            m_hOwner->SendMessage(WM_IGMP_RESULT, 0, ksx::RecordParam(&entry));
        }
    };
    m_vlanWalk.onEnd = [this](const ksx::WalkEnd&) {
        if (m_hOwner != nullptr) {
            m_hOwner->SendMessage(WM_IGMP_RESULT, 3, 0);
        }
    };
    m_trunkRead.onEnd = [this](const ksx::WalkEnd& end) {
        if (m_hOwner != nullptr) {
            m_hOwner->SendMessage(WM_IGMP_RESULT, 4, end.AtEnd() ? 1 : 0);
        }
    };
    m_groupWalk.onRow = [this](const IGMPGroupEntry& entry) {
        if (m_hOwner != nullptr) {
            m_hOwner->SendMessage(WM_IGMP_GROUP_RESULT, 0, ksx::RecordParam(&entry));
        }
    };
    m_groupWalk.onEnd = [this](const ksx::WalkEnd&) {
        if (m_hOwner != nullptr) {
            m_hOwner->SendMessage(WM_IGMP_GROUP_RESULT, 3, 0);
        }
    };
    m_globalRead.onRow = [this](const std::optional<IGMPGlobalSettings>& v) { m_globalValues = v; };
    m_globalRead.onEnd = [this](const ksx::WalkEnd& end) {
        if (end.stale) {
            return;
        }
        const bool ok = end.Ok() && m_globalValues.has_value();
        if (ok) {
            m_GlobalSettings = *m_globalValues;
        }
        m_globalValues.reset();
        if (onGlobalRead) {
            onGlobalRead(ok);
        }
    };
    m_sessions.Add(m_globalRead);
    m_sessions.Add(m_vlanWalk);
    m_sessions.Add(m_groupWalk);
    m_sessions.Add(m_cCommonSNMP);
    m_sessions.Add(m_cCommonSNMPSet);
    m_sessions.Add(m_cCommonSNMPGroup);
    m_sessions.Add(m_cCommonSNMPTable);
    m_sessions.Add(m_cCommonSNMPName);
    m_sessions.Add(m_cCommonSNMPGlobal);
}

std::vector<std::string> CIGMPSnoopingLogic::GlobalOids() {
    std::vector<std::string> oids;
    for (int i = 1; i <= IGMPGlobalSettings::kFieldCount; ++i) {
        oids.push_back(kGlobal + std::to_string(i) + ".0");
    }
    return oids;
}

void CIGMPSnoopingLogic::StartGlobalRead() {
    m_globalValues.reset();
    m_globalRead.Read(kGlobalReadTimeoutMs);
}

CIGMPSnoopingLogic::~CIGMPSnoopingLogic() = default;

bool CIGMPSnoopingLogic::ReadGlobalSettings() {
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_GET);
    for (int i = 1; i <= IGMPGlobalSettings::kFieldCount; ++i) {
        m_cCommonSNMP.AddVarBind(kGlobal + std::to_string(i) + ".0", 4, nullptr);
    }
    const ksx::SnmpReply reply = ksx::SendRequest(m_cCommonSNMP, kGlobalReadTimeoutMs);
    // An error reply carries no values: taking them would show (and later write back) empty fields.
    if (!reply.Accepted()) {
        TRACE("IGMP global read failed: status %d, error status %d", reply.status, reply.ErrorStatus());
        return false;
    }
    // Every field is written back by Apply: all eight must be read as numbers, or none is taken.
    IGMPGlobalSettings read;
    for (int i = 0; i < IGMPGlobalSettings::kFieldCount; ++i) {
        const std::optional<long long> value = reply.Integer(i);
        if (!value) {
            TRACE("IGMP global read: object %d not read", i + 1);
            return false;
        }
        read.Field(i) = std::to_string(*value);
    }
    m_GlobalSettings = read;
    if (m_hOwner != nullptr) {
        m_hOwner->SendMessage(WM_IGMP_RESULT, 2, 0);
    }
    return true;
}

// Enabling sends the state alone first and then, on the same prepared request, the state again with the
// changed parameters; disabling sends only the state; a switch that stays disabled is not written.
bool CIGMPSnoopingLogic::SendWrite(CCommonSNMP& session) {
    const SnmpAnswer answer = ksx::SendRequest(session).Answer();
    if (!answer.Accepted()) {
        m_failedWrite = answer;
    } else {
        ++m_acceptedWrites;
    }
    return answer.Accepted();
}

bool CIGMPSnoopingLogic::WriteGlobalSettings(IGMPGlobalSettings oldSettings, IGMPGlobalSettings newSettings) {
    m_failedWrite.reset();
    m_acceptedWrites = 0;
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    if (oldSettings.state == newSettings.state && newSettings.state == "2") {
        return true;
    }
    if (oldSettings.state != newSettings.state) {
        m_cCommonSNMPSet.AddVarBind(kGlobal + std::string("1.0"), 1, newSettings.state.c_str());
        // A refused state leaves nothing to add the parameters to: stop there.
        if (!SendWrite(m_cCommonSNMPSet)) {
            return false;
        }
    }
    if (newSettings.state == "2") {
        return true;
    }
    if (newSettings.state != "1") {
        return false;
    }
    bool changed = oldSettings.state != newSettings.state;
    for (int i = 1; i < IGMPGlobalSettings::kFieldCount; ++i) {
        if (newSettings.Field(i) != oldSettings.Field(i)) {
            m_cCommonSNMPSet.AddVarBind(kGlobal + std::to_string(i + 1) + ".0", 1,
                                        newSettings.Field(i).c_str());
            changed = true;
        }
    }
    const bool accepted = SendWrite(m_cCommonSNMPSet);
    if (!changed) {
        m_failedWrite.reset();  // nothing of the user's was in it
    }
    return accepted;
}

void CIGMPSnoopingLogic::ReadVlanSettings() {
    m_vlanWalk.Walk(OnVlanSettingsWalk, this);
}

std::string CIGMPSnoopingLogic::VlanNameById(const ksx::WalkStep& step, int binding,
                                             const std::string& vlanId, CCommonSNMP& lookup) {
    if (step.Index(binding) == vlanId) {
        return step.Text(binding);
    }
    if (vlanId.empty()) {
        return "";
    }
    lookup.Open(CCommonSNMP::REQUEST_GET);
    lookup.AddVarBind(Instance(kVlanNameColumn, vlanId), 4, nullptr);
    const ksx::SnmpReply reply = ksx::SendRequest(lookup);
    return reply.Accepted() ? reply.Value(0) : std::string();
}

int CIGMPSnoopingLogic::OnVlanSettingsWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CIGMPSnoopingLogic*>(userData)->m_vlanWalk.Step(response, requestId, status);
}

// Enabling a VLAN sends its state on its own, then querier and fast leave; disabling sends querier and
// fast leave with the state last in one request; a VLAN that stays disabled is not written.
bool CIGMPSnoopingLogic::WriteVlanSettings(const std::string& vlanId, const std::string& oldState,
                                           const std::string& newState, const std::string& querier,
                                           const std::string& fastLeave) {
    m_failedWrite.reset();
    m_acceptedWrites = 0;
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    if (oldState == "2") {
        if (newState == "2") {
            return true;
        }
        m_cCommonSNMPSet.AddVarBind(Instance(kStateColumn, vlanId), 1, newState.c_str());
        // A refused state leaves nothing to add querier and fast leave to: stop there.
        if (!SendWrite(m_cCommonSNMPSet)) {
            return false;
        }
        m_cCommonSNMPSet.AddVarBind(Instance(kQuerierColumn, vlanId), 1, querier.c_str());
        m_cCommonSNMPSet.AddVarBind(Instance(kFastLeaveColumn, vlanId), 1, fastLeave.c_str());
    } else if (oldState == "1") {
        m_cCommonSNMPSet.AddVarBind(Instance(kQuerierColumn, vlanId), 1, querier.c_str());
        m_cCommonSNMPSet.AddVarBind(Instance(kFastLeaveColumn, vlanId), 1, fastLeave.c_str());
        if (newState == "2") {
            m_cCommonSNMPSet.AddVarBind(Instance(kStateColumn, vlanId), 1, newState.c_str());
        }
    }
    return SendWrite(m_cCommonSNMPSet);
}

bool CIGMPSnoopingLogic::WriteRouterPorts(const std::string& vlanId, const unsigned char* bitmap,
                                          int length) {
    m_failedWrite.reset();
    m_acceptedWrites = 0;
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMP.AddVarBind(Instance(kRouterPortsColumn, vlanId), 2, reinterpret_cast<const char*>(bitmap),
                             length);
    return SendWrite(m_cCommonSNMP);
}

std::string CIGMPSnoopingLogic::GetVlanPortList(const std::string& vlanId) {
    std::string bitmap;
    if (!GetValue(Instance(kVlanMembersColumn, vlanId), bitmap)) {
        return "";
    }
    int count = 0;
    return CUtils::PortBitmapToList(bitmap, &count);
}

void CIGMPSnoopingLogic::ReadMulticastEntries() {
    m_groupWalk.Walk(GetMulticastEntryinfoProc, this);
}

IGMPGroupEntry CIGMPSnoopingLogic::MakeGroupEntry(const std::string& vlanId, const std::string& address,
                                                  const std::string& mac, const std::string& members) {
    IGMPGroupEntry entry;
    entry.vlanId = vlanId;
    auto octet = [](const std::string& s, size_t i) {
        return static_cast<unsigned>(static_cast<unsigned char>(s[i]));
    };
    char text[32];
    if (address.size() >= 4) {
        std::snprintf(text, sizeof text, "%u.%u.%u.%u", octet(address, 0), octet(address, 1),
                      octet(address, 2), octet(address, 3));
        entry.groupAddress = text;
    }
    if (mac.size() >= 6) {
        std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", octet(mac, 0), octet(mac, 1),
                      octet(mac, 2), octet(mac, 3), octet(mac, 4), octet(mac, 5));
        entry.groupMac = text;
    }
    int count = 0;
    entry.memberPorts = CUtils::PortBitmapToList(members, &count);
    return entry;
}

int CIGMPSnoopingLogic::GetMulticastEntryinfoProc(CSnmp* response, int requestId, void* userData,
                                                  int status) {
    return static_cast<CIGMPSnoopingLogic*>(userData)->m_groupWalk.Step(response, requestId, status);
}

// Readers first (nothing more reaches the owner), then the sessions, the base's last.
void CIGMPSnoopingLogic::CloseSessions() {
    m_sessions.CloseAll();
}
