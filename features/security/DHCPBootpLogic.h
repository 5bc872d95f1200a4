// DHCP/BOOTP relay logic: the global relay and option 82 settings, the relay servers of the interface
// "System" and the DHCP local relay, globally and per VLAN. Scalars are read and written with one
// request each (a dialog's Apply writes and reads back on its step run's worker); the two tables are walked,
// and the VLANs the local relay walk did not reach are read one by one off the window's thread (VlanReads).
// What they give reaches the owner window on the UI thread by WM_DHCPRELAY_RESULT:
//   wParam 0   a DHCPRelayGlobalInfo (ReadRelayGlobal) or a DHCPRelayServerInfo (the server walk)
//   wParam 1   the server walk has ended (LastServerWalkOk tells how)
//   wParam 2   a DHCPLocalRelayInfo: a relay entry with the VLAN table entry of the same VLAN id
//   wParam 3   the global local relay state's text, or lParam 0 when it was not read
//   wParam 10  the local relay read has ended, the VLAN reads after the walk included
//              (LastLocalWalkOk and LastVlanReadsOk tell how)
// A record is valid during the message only.
#pragma once

#include <array>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/CommonSNMP.h"
#include "core/ModuleBase.h"
#include "core/RowCreate.h"
#include "core/StepRunner.h"
#include "core/TableRead.h"
#include "platform/sys/Messages.h"

constexpr unsigned WM_DHCPRELAY_RESULT = ksx::WM_USER + 111;

// [0] relay state, [1] hops count limit, [2] time threshold, [3] option 82 state, [4] option 82 check,
// [5] option 82 policy, [6] remote-ID type, [7] remote ID. `read[i]` is false for a value the device
// did not send as expected (its text is then empty).
struct DHCPRelayGlobalInfo {
    std::array<std::string, 8> value;
    std::array<bool, 8> read{};
};

// [0] interface name, [1] server address, [2] row status.
struct DHCPRelayServerInfo {
    std::array<std::string, 3> value;
};

// [0] VLAN id, [1] VLAN name, [2] local relay state of the VLAN, [3] row status of the VLAN.
struct DHCPLocalRelayInfo {
    std::array<std::string, 4> value;
};

class CDHCPBootpLogic {
public:
    CDHCPBootpLogic();
    virtual ~CDHCPBootpLogic();
    CDHCPBootpLogic(const CDHCPBootpLogic&) = delete;
    CDHCPBootpLogic& operator=(const CDHCPBootpLogic&) = delete;

    void SetOwnerWnd(ksx::IMessageTarget* owner) { m_hOwnerWnd = owner; }

    // Reads the eight global values and sends the record (wParam 0), read or not.
    void ReadRelayGlobal();
    // Any thread, one request: the eight global values, read or not.
    DHCPRelayGlobalInfo FetchRelayGlobal();
    // Writes fields 0, 1, 2, 4, 5, 6 (integers) and 7 (text) in one request; true when accepted.
    SnmpAnswer WriteRelayGlobal(DHCPRelayGlobalInfo info);
    // Starts the walk of the relay servers.
    void ReadRelayServers();
    // The user's Delete of the server's row of the interface "System": its destroy.
    SnmpAnswer DeleteRelayServer(const std::string& address);
    // Worker: step `step` of the add of server `address` (kAddSteps: create-and-wait, then, after
    // `pauseMs`, active), on the add's own session; a row of that address left not active is replaced,
    // a created row that is refused its activation is destroyed again unless the run is stopping. A
    // failed step's text is what the user is told. The progress says what the device confirmed.
    static constexpr int kAddSteps = 2;
    ksx::StepOutcome AddServerStep(int step, const std::string& address, unsigned pauseMs,
                                   ksx::AddProgress& progress, ksx::StepRunner& runner,
                                   ksx::OtherRow* other = nullptr);
    // Any thread: the add's request in flight returns at once, unanswered.
    void CancelAdd() { m_cCommonSNMPAdd.Cancel(); }
    // Reads the global local relay state (wParam 3), then starts the walk of the local relay table
    // beside the VLAN table.
    void ReadLocalRelay();
    // The same with the global state already read (FetchLocalState): sent, then the walk started.
    void ReadLocalRelay(const std::optional<std::string>& state);
    // Any thread, one request: the global local relay state's text, nothing when it did not read.
    std::optional<std::string> FetchLocalState();
    // Any thread: the scalar read or write in flight returns at once, unanswered.
    void CancelScalars() {
        m_cCommonSNMP.Cancel();
        m_cCommonSNMPSet.Cancel();
    }
    SnmpAnswer SetLocalRelayState(const std::string& value);
    SnmpAnswer SetVlanLocalRelay(const std::string& vid, const std::string& value);

    static int OnRelayServerWalk(CSnmp* response, int requestId, void* userData, int status);
    static int OnLocalRelayWalk(CSnmp* response, int requestId, void* userData, int status);

    // How the last walk of each table ended: true when it reached the end of its table.
    bool LastServerWalkOk() const { return m_bServerWalkOk; }
    bool LastLocalWalkOk() const { return m_bLocalWalkOk; }
    // How the reads of the VLANs the last local relay walk did not reach ended: false when one of them
    // failed (no reply, an error status but noSuchName, a value of the wrong type).
    bool LastVlanReadsOk() const { return m_bVlanReadsOk; }
    // The reads of those VLANs, one request per relay entry in walk order; the dialog stops them when
    // it ends (nothing is delivered then), before its sessions are closed.
    ksx::StepRunner& VlanReads() { return m_vlanReads; }
    // Every session and walk of the object, for its dialog to close: its own, then the embedded base's.
    ksx::SessionSet& Sessions() { return m_sessions; }
    ksx::SessionSet& ModuleSessions() { return m_cModuleBase.Sessions(); }

    // One step of the local relay walk: the relay entry and the VLAN table entry it travelled with.
    struct LocalStep {
        std::string relayVid;
        std::string relayState;
        std::string vlanVid;
        std::string vlanName;
        std::string vlanStatus;
    };

private:
    // What the read of one VLAN gave.
    struct VlanRead {
        enum Outcome { Pending, Read, Absent, Failed } outcome = Pending;
        std::string name;
        std::string status;
    };

    void OnLocalWalkEnd(const ksx::WalkEnd& end);
    ksx::StepOutcome ReadVlan(int index);
    void OnVlanReadsEnd(const ksx::StepsEnd& end);
    // Sends the rows of the walk's relay entries whose VLAN was read, then the end (wParam 10).
    void SendLocalRows();
    SnmpAnswer SetInteger(const std::string& oid, const std::string& value);

    CCommonSNMP m_cCommonSNMP;       // synchronous reads
    CCommonSNMP m_cCommonSNMPSet;    // synchronous writes
    CCommonSNMP m_cCommonSNMPTable;  // the two walks
    ksx::IMessageTarget* m_hOwnerWnd = nullptr;
    CModuleBase m_cModuleBase;  // the embedded base: its sessions are the dialogs' to close
    ksx::TableRead<DHCPRelayServerInfo> m_serverWalk;
    ksx::TableRead<LocalStep> m_localWalk;
    std::vector<LocalStep> m_localSteps;  // UI thread: the steps of the running local walk
    // UI thread: the VLANs the walk gave (id -> name, row status), completed by the VLAN reads.
    std::map<std::string, std::pair<std::string, std::string>> m_vlans;
    std::vector<std::string> m_vlanIds;  // the VLANs to read; fixed while the reads run
    std::mutex m_vlanLock;
    std::vector<VlanRead> m_vlanResults;  // under m_vlanLock: what each read gave
    bool m_bServerWalkOk = false;
    bool m_bLocalWalkOk = false;
    bool m_bVlanReadsOk = true;
    CCommonSNMP m_cCommonSNMPVlan;  // the VLAN reads, on the runner's worker only
    CCommonSNMP m_cCommonSNMPAdd;   // a server add, on its run's worker only
    ksx::SessionSet m_sessions;
    ksx::StepRunner m_vlanReads;  // last: stopped before the session its steps use goes
};
