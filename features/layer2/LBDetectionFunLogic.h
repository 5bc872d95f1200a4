// Loopback detection on the device: global settings, the per-port table and the VLANs in which a loop
// was found. Reads report to the owner window with WM_SNMP_RESULT; rows reach the user-interface thread
// through typed reads, and the owner's handler runs there.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "core/ModuleBase.h"
#include "core/TableRead.h"

constexpr unsigned WM_SNMP_RESULT = ksx::WM_USER + 10;

// wParam codes of WM_SNMP_RESULT.
enum LbdResult : unsigned {
    LBD_GLOBAL_SETTINGS = 0,  // lParam: LbdGlobalSettings*
    LBD_PORT_ROW = 1,         // lParam: LbdPortRow*
    LBD_PORT_WRITE_DONE = 3,  // lParam: "PortStateWriteMIBFinished"
    LBD_PORTS_FINISHED = 5,   // lParam: "Finished"
    LBD_VLAN_LOOPS_DONE = 6,  // lParam: "VlanLoopFinished"
    LBD_TRUNKS_READ = 7,      // the trunk member walk ended; lParam 1 when it read the whole table
};

struct LbdGlobalSettings {
    bool enabled = false;
    std::string interval;
    std::string recoverTime;
    std::string mode;  // "1" port based, "2" VLAN based
    std::string vlanList;
};

struct LbdPortRow {
    std::string port;
    std::string state;       // "Enabled" / "Disabled"
    std::string loopStatus;  // "Normal" / "Disabled"
};

class CLBDetectionFunLogic : public CModuleBase {
public:
    // Ports whose VLAN-loop texts are kept; loops of higher ports are not shown.
    static constexpr int kVlanLoopPorts = 100;

    static inline const std::string kRoot = "1.3.6.1.4.1.7393.10.76.20.1.17";
    static inline const std::string kState = kRoot + ".1.0";
    static inline const std::string kMode = kRoot + ".2.0";
    static inline const std::string kInterval = kRoot + ".3.0";
    static inline const std::string kRecoverTime = kRoot + ".4.0";
    static inline const std::string kVlanList = kRoot + ".7.0";
    static inline const std::string kPortColumn = kRoot + ".5.1.1";
    static inline const std::string kPortState = kRoot + ".5.1.2";
    static inline const std::string kPortLoopStatus = kRoot + ".5.1.3";
    static inline const std::string kLoopVlan = kRoot + ".6.1.1";
    static inline const std::string kLoopPorts = kRoot + ".6.1.2";

    CLBDetectionFunLogic();
    ~CLBDetectionFunLogic() override;

    // Empties the VLAN-loop texts and walks the VLAN-loop table; LBD_VLAN_LOOPS_DONE at its end.
    void ReadVlanLoops();
    // One read of the five global objects; LBD_GLOBAL_SETTINGS when it succeeded, nothing otherwise.
    void ReadGlobalSettings();
    // Walks the port table: one LBD_PORT_ROW per port, LBD_PORTS_FINISHED at the end.
    void ReadPortStates();

    enum WriteResult { kRefused = 0, kWritten = 1, kWriteFailed = -1 };
    // Checks the VLAN list, interval and recover time (showing the first refusal's message), then writes
    // the state and, when enabling, the other four in one request. kWriteFailed: m_globalWrite tells how.
    WriteResult SetGlobalSettings(const std::string& state, const std::string& mode,
                                  const std::string& interval, const std::string& recoverTime,
                                  const std::string& vlanList);
    // One request per port from `from` to `to`; stops at the first the device does not accept and returns
    // false. LBD_PORT_WRITE_DONE to the owner in either case.
    bool SetPortStates(int from, int to, const std::string& state);
    // The layer's account of the last global write request (not sent until one was).
    SnmpAnswer m_globalWrite;
    // The request of one port of that loop and the layer's account of it. Any thread, while nothing else
    // writes through this logic.
    SnmpAnswer SetPortState(int port, const std::string& state);
    // Owner's thread: LBD_PORT_WRITE_DONE to the owner, as SetPortStates sends it after its last port.
    void PortWritesDone();
    // Any thread: the write in flight returns at once, unanswered.
    void CancelWrite() { m_cSetSNMP.Cancel(); }

    enum class StpConflict { kNone, kConflict, kReadFailed };
    // Whether spanning tree runs on the port while it is on for the device (one read of both states).
    static StpConflict CheckStpConflict(int port);
    // The same read through the caller's session (which another thread may cancel).
    static StpConflict CheckStpConflict(CCommonSNMP& session, int port);

    // "10,20" for a port looping in VLANs 10 and 20; "" for none or a port above kVlanLoopPorts.
    std::string VlanLoopText(int port) const;

    LbdGlobalSettings m_GlobalSettings;  // the last global read, valid during the message

private:
    struct VlanLoopRow {
        std::string vlan;
        std::string ports;  // "7,9"
    };
    mutable std::mutex m_loopLock;
    std::vector<std::string> m_aVlanLoops;  // entry p-1: "10,20," (each id followed by a comma)

public:
    CCommonSNMP m_cGlobalSNMP;
    CCommonSNMP m_cPortSNMP;
    CCommonSNMP m_cSetSNMP;
    CCommonSNMP m_cVlanLoopSNMP;

private:
    ksx::TableRead<VlanLoopRow> m_vlanLoopRead;
    ksx::TableRead<LbdGlobalSettings> m_globalRead;
    ksx::TableRead<LbdPortRow> m_portRead;

public:
protected:
    static int OnVlanLoopWalk(CSnmp* response, int requestId, void* userData, int status);
    static int OnGlobalSettingsReply(CSnmp* response, int requestId, void* userData, int status);
    static int OnPortStateWalk(CSnmp* response, int requestId, void* userData, int status);
    void Notify(unsigned code, ksx::LPARAM data);
};
