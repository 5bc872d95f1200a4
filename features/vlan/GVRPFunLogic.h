// GVRP logic: walks the per-port GVRP table, the VLAN ids and the trunk member ports, checks and writes
// a range of ports, and reads and writes the global state and the three protocol timers.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "core/ModuleBase.h"
#include "core/TableRead.h"
#include "features/layer2/TrunkMemberWalk.h"

#ifndef KSX_HAVE_WM_SNMP_RESULT
#define KSX_HAVE_WM_SNMP_RESULT
constexpr unsigned WM_SNMP_RESULT = ksx::WM_USER + 10;
#endif

// wParam codes of WM_SNMP_RESULT from the GVRP logic. lParam: a GvrpPortRow or GvrpGlobalRow for
// kGvrpRow, the text "Finished" / "AddFinished" for the ends.
constexpr ksx::WPARAM kGvrpRow = 0;
constexpr ksx::WPARAM kGvrpWriteFinished = 4;
constexpr ksx::WPARAM kGvrpWalkFinished = 5;
constexpr ksx::WPARAM kGvrpTrunkReadFailed = 6;   // before the trunk walk's "Finished"
constexpr ksx::WPARAM kGvrpGlobalReadFailed = 7;  // the timer read got no usable reply

struct GvrpPortRow {
    std::string port;
    std::string pvid;
    std::string gvrp;       // "Enabled" / "Disabled"
    std::string ingress;    // "Enabled" / "Disabled"
    std::string frameType;  // "AllFrames" / "TaggedOnly"
};

struct GvrpGlobalRow {
    int enabled = 0;  // 0 when the state read "2"
    std::string join;
    std::string leave;
    std::string leaveAll;
};

class CGVRPFunLogic : public CModuleBase {
public:
    static constexpr const char* kStateOid = "1.3.6.1.4.1.7393.10.76.20.1.30.1.0";
    static constexpr const char* kJoinOid = "1.3.6.1.4.1.7393.10.76.20.1.30.2.0";
    static constexpr const char* kLeaveOid = "1.3.6.1.4.1.7393.10.76.20.1.30.3.0";
    static constexpr const char* kLeaveAllOid = "1.3.6.1.4.1.7393.10.76.20.1.30.4.0";
    static constexpr const char* kPortTable = "1.3.6.1.4.1.7393.10.76.20.1.30.5.1";
    static constexpr const char* kVlanNameColumn = "1.3.6.1.4.1.7393.10.76.20.1.7.6.1.1";

    CGVRPFunLogic();
    ~CGVRPFunLogic() override;

    // Walks; each ends with kGvrpWalkFinished "Finished".
    void ReadPortTable();
    void ReadVlanIds();
    void ReadTrunkPorts();
    // Every trunk that has a port in from..to lies wholly inside it; else shows the message. 1 or 0.
    int CheckTrunkRange(int from, int to);
    // One SET per port from..to (PVID, GVRP, ingress checking, frame type). 1 after kGvrpWriteFinished,
    // 0 when a port's write was not accepted (the ports before it stay written).
    int SetPortSettings(int from, int to, const std::string& pvid, const std::string& gvrp,
                        const std::string& ingress, const std::string& frameType);
    // One asynchronous get of state and timers: kGvrpRow with a GvrpGlobalRow, or kGvrpGlobalReadFailed.
    void ReadGlobalSettings();
    // Checks and writes the state and timers. 1 when a PDU was sent and accepted, 0 when nothing was
    // sent (nothing to do, or a refused value after its message), -1 when the device did not accept it.
    int SetGlobalSettings(const std::string& oldState, const std::string& newState, const std::string& join,
                          const std::string& leave, const std::string& leaveAll);
    void CancelAll();

    std::vector<int> TrunkArraySnapshot() const;
    std::string VlanIdText() const;

    // Stores the trunk id (instance without its ".") for each listed port up to the port count.

private:
    static int OnPortTableWalk(CSnmp* response, int requestId, void* userData, int status);
    static int OnTrunkWalk(CSnmp* response, int requestId, void* userData, int status);
    static int OnVlanIdWalk(CSnmp* response, int requestId, void* userData, int status);
    static int OnGlobalRead(CSnmp* response, int requestId, void* userData, int status);
    void Finished();

    mutable std::mutex m_lock;  // guards the trunk array and the VLAN-id text
    std::vector<int> m_aTrunk;
    std::string m_strVlanIds;

    // Declared last: destroyed first, each joins its worker before the data goes.
    CCommonSNMP m_cCommonSNMPPorts;
    CCommonSNMP m_cCommonSNMPTrunk;
    ksx::TrunkMemberWalk m_trunkWalk{m_cCommonSNMPTrunk, m_lock, m_aTrunk};
    CCommonSNMP m_cCommonSNMPVlan;
    CCommonSNMP m_cCommonSNMPSet;
    // The port table's rows, parsed on the worker and handed to the owner on the UI thread.
    ksx::TableRead<GvrpPortRow> m_portRead;
};
