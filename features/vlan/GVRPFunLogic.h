// GVRP logic: walks the per-port GVRP table, the VLAN ids and the trunk member ports, checks and writes
// a range of ports, and reads and writes the global state and the three protocol timers.
#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/ModuleBase.h"
#include "core/TableRead.h"

struct GvrpPortRow {
    std::string port;
    std::string pvid;
    std::string gvrp;       // "Enabled" / "Disabled"
    std::string ingress;    // "Enabled" / "Disabled"
    std::string frameType;  // "AllFrames" / "TaggedOnly"
};

// The state and the three timers, each read as a number; a row is delivered only when all four were.
struct GvrpGlobalRow {
    int enabled = 0;  // 0 when the state read 2
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

    // Walks; each ends with onWalkFinished (after onTrunkFailed when the trunk walk did not end well).
    void ReadPortTable();
    void ReadVlanIds();
    void ReadTrunkPorts();
    // One asynchronous get of the state: onState with its value, none when it was not read.
    void ReadState();
    // Every trunk that has a port in from..to lies wholly inside it; else shows the message. 1 or 0.
    int CheckTrunkRange(int from, int to);
    // One SET per port from..to (PVID, GVRP, ingress checking, frame type). 1 after onWriteFinished,
    // 0 when a port's write was not accepted (the ports before it stay written).
    int SetPortSettings(int from, int to, const std::string& pvid, const std::string& gvrp,
                        const std::string& ingress, const std::string& frameType);
    // The SET of one port of that loop and the layer's account of it. Any thread, while nothing else
    // writes through this logic.
    SnmpAnswer SetPortSetting(int port, const std::string& pvid, const std::string& gvrp,
                              const std::string& ingress, const std::string& frameType);
    // Owner's thread: onWriteFinished, as SetPortSettings gives it after its last port.
    void WriteFinished() {
        if (onWriteFinished) {
            onWriteFinished();
        }
    }
    // Any thread: the write in flight returns at once, unanswered.
    void CancelWrite() { m_cCommonSNMPSet.Cancel(); }
    // One asynchronous get of state and timers: onGlobal with the row, none when it was not read whole.
    void ReadGlobalSettings();
    // Checks and writes the state and timers: the layer's account of the PDU, nothing when none was sent
    // (nothing to do, or a refused value after its message).
    std::optional<SnmpAnswer> SetGlobalSettings(const std::string& oldState, const std::string& newState,
                                                const std::string& join, const std::string& leave,
                                                const std::string& leaveAll);
    void CancelAll();

    std::vector<int> TrunkArraySnapshot() const { return TrunkPortsSnapshot(); }
    std::string VlanIdText() const { return m_strVlanIds; }

    // UI thread: what the reads and writes deliver.
    std::function<void(const GvrpPortRow&)> onPortRow;
    std::function<void()> onWalkFinished;
    std::function<void()> onTrunkFailed;
    std::function<void()> onPortsFailed;  // before the port walk's onWalkFinished
    std::function<void()> onWriteFinished;
    std::function<void(std::optional<long long>)> onState;
    std::function<void(const std::optional<GvrpGlobalRow>&)> onGlobal;

private:
    static int OnPortTableWalk(CSnmp* response, int requestId, void* userData, int status);
    void Finished();

    std::string m_strVlanIds;  // UI thread
    std::optional<long long> m_state;
    std::optional<GvrpGlobalRow> m_global;

    // Declared last: destroyed first, each joins its worker before the data goes.
    CCommonSNMP m_cCommonSNMPPorts;
    CCommonSNMP m_cCommonSNMPVlan;
    CCommonSNMP m_cCommonSNMPSet;
    CCommonSNMP m_cCommonSNMPGlobal;
    // The reads, parsed on the worker and handed to the owner on the UI thread.
    ksx::TableRead<GvrpPortRow> m_portRead;
    ksx::TableRead<std::string> m_vlanIdRead;
    ksx::TableRead<std::optional<long long>> m_stateRead;
    ksx::TableRead<std::optional<GvrpGlobalRow>> m_globalRead;
};
