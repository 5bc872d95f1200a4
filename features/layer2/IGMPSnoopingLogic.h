// Device access of IGMP snooping: the global settings, the per-VLAN settings with their static router
// ports, one VLAN's member ports, and the multicast groups the device has learned. Each IGMP dialog holds
// its own instance; results reach the dialog in m_hOwner by WM_IGMP_RESULT and WM_IGMP_GROUP_RESULT.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/CommonSNMP.h"
#include "core/ModuleBase.h"
#include "core/TableRead.h"
#include "platform/sys/Messages.h"

// wParam 2: global settings read (m_GlobalSettings filled); 0: one IGMPVlanEntry row; 3: VLAN walk ended;
// 4: the trunk membership read (CModuleBase::ReadTrunkPorts) ended, lParam 1 at the end of the table, 0
// when it failed.
constexpr unsigned WM_IGMP_RESULT = ksx::WM_USER + 102;
// wParam 0: one IGMPGroupEntry row; 3: group walk ended.
constexpr unsigned WM_IGMP_GROUP_RESULT = ksx::WM_USER + 115;

struct IGMPGlobalSettings {
    std::string state;               // "1" enabled, "2" disabled
    std::string routerTimeout;       // seconds
    std::string hostTimeout;         // seconds
    std::string robustness;          //
    std::string lastMemberInterval;  // seconds
    std::string queryInterval;       // seconds
    std::string maxResponseTime;     // seconds
    std::string reportAllPorts;      // "1" enabled, "2" disabled

    // Field i in the order of the device objects 1 to 8.
    std::string& Field(int i);
    const std::string& Field(int i) const;
    static constexpr int kFieldCount = 8;
};

struct IGMPVlanEntry {
    std::string vlanId;
    std::string vlanName;  // the bytes as received
    std::string state;     // "1" or "2" as read; empty when not read as a number (also the next two)
    std::string querier;
    std::string fastLeave;
    std::string routerPorts;  // "1,2,5"; empty when none
};

struct IGMPGroupEntry {
    std::string vlanId;
    std::string groupAddress;  // "239.1.1.1"; empty when the device sent fewer than four octets
    std::string groupMac;      // "01-00-5E-01-01-01"; empty when fewer than six octets arrived
    std::string memberPorts;   // "1,3"
};

class CIGMPSnoopingLogic : public CModuleBase {
public:
    CIGMPSnoopingLogic();
    ~CIGMPSnoopingLogic() override;

    // Synchronous read of the eight global objects; when every one was read as a number m_GlobalSettings
    // is filled and WM_IGMP_RESULT (2, 0) sent. False (nothing sent, m_GlobalSettings kept) when the read
    // failed or a value is missing or of another type.
    bool ReadGlobalSettings();
    // The same read without holding the window: on the UI thread onGlobalRead tells whether every value
    // was read (m_GlobalSettings then filled; kept otherwise).
    void StartGlobalRead();
    std::function<void(bool)> onGlobalRead;
    // Writes what changed between the two; see the .cpp for the request sequence. m_failedWrite tells
    // afterwards how a request that did not go as asked went (a false return alone may mean nothing to do).
    bool WriteGlobalSettings(IGMPGlobalSettings oldSettings, IGMPGlobalSettings newSettings);
    // Of the last Write...: the layer's account of its request that was not accepted, if one was.
    std::optional<SnmpAnswer> m_failedWrite;
    // Of the last Write...: how many of its requests the device accepted (a unit cut short part-way).
    int m_acceptedWrites = 0;
    // Starts the per-VLAN walk; rows and the end arrive as WM_IGMP_RESULT.
    void ReadVlanSettings();
    bool WriteVlanSettings(const std::string& vlanId, const std::string& oldState,
                           const std::string& newState, const std::string& querier,
                           const std::string& fastLeave);
    bool WriteRouterPorts(const std::string& vlanId, const unsigned char* bitmap, int length);
    // Member ports of the VLAN as list text; empty when the read fails.
    std::string GetVlanPortList(const std::string& vlanId);
    // Starts the group walk; rows and the end arrive as WM_IGMP_GROUP_RESULT.
    void ReadMulticastEntries();
    void CloseSessions();

    static int OnVlanSettingsWalk(CSnmp* response, int requestId, void* userData, int status);
    static int GetMulticastEntryinfoProc(CSnmp* response, int requestId, void* userData, int status);

    // Builds a group row from the four walked values (group address and MAC as raw octets).
    static IGMPGroupEntry MakeGroupEntry(const std::string& vlanId, const std::string& address,
                                         const std::string& mac, const std::string& members);
    // The name of VLAN `vlanId` from a walk step that also stepped the VLAN name column (binding
    // `binding`): that binding's value when it is the VLAN's own row, else read by the VLAN id on
    // `lookup` (empty when the read fails). The stepped tables need not hold the same VLANs, so the
    // position in the walk says nothing. Runs on the walk's worker; `lookup` is used there only.
    static std::string VlanNameById(const ksx::WalkStep& step, int binding, const std::string& vlanId,
                                    CCommonSNMP& lookup);

    CCommonSNMP m_cCommonSNMP;       // global read, router-port write
    CCommonSNMP m_cCommonSNMPSet;    // global and per-VLAN writes
    CCommonSNMP m_cCommonSNMPGroup;  // group walk
    CCommonSNMP m_cCommonSNMPTable;  // per-VLAN walk
    CCommonSNMP m_cCommonSNMPName;   // VLAN names read by id, from the per-VLAN walk's worker
    ksx::IMessageTarget* m_hOwner = nullptr;
    IGMPGlobalSettings m_GlobalSettings;

private:
    static std::vector<std::string> GlobalOids();
    // Sends the pending SET; true when accepted, m_failedWrite set otherwise.
    bool SendWrite(CCommonSNMP& session);
    CCommonSNMP m_cCommonSNMPGlobal;  // the global read that does not hold the window
    ksx::TableRead<std::optional<IGMPGlobalSettings>> m_globalRead;
    std::optional<IGMPGlobalSettings> m_globalValues;
    // The two walks; rows and ends reach m_hOwner on the UI thread.
    ksx::TableRead<IGMPVlanEntry> m_vlanWalk;
    ksx::TableRead<IGMPGroupEntry> m_groupWalk;
};
