// Base of the feature logic classes: owns a feature's SNMP sessions and reports to its owner window.
// Gives single reads, multi-object and row-status writes, the device's trunk membership per port, the
// VLAN list, the device's own MAC address and the port-list write.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "core/CommonSNMP.h"
#include "core/TableRead.h"
#include "platform/sys/Messages.h"

// One binding of a multi-object write. The caller keeps `value` alive during the call.
struct SNMP_VARBIND {
    std::string oid;              // full dotted OID with its instance
    const char* value = nullptr;  // text, or `length` octets for octet strings (type 2)
    int type = 0;                 // value type code
    int length = 0;               // octet count of a type-2 value
};

// Sent to the owner when the VLAN-list walk reaches the end of the table (wParam 2, lParam 0).
constexpr unsigned WM_VLANLIST_DONE = ksx::WM_USER + 107;

class CModuleBase {
public:
    CModuleBase();
    virtual ~CModuleBase();
    CModuleBase(const CModuleBase&) = delete;
    CModuleBase& operator=(const CModuleBase&) = delete;

    virtual bool HandleText(std::string text);

    // False (nothing stored) for a null owner. Set it before starting a walk that reports.
    bool SetOwnerWnd(ksx::IMessageTarget* owner);
    ksx::IMessageTarget* OwnerWnd() const { return m_hOwnerWnd; }
    // Synchronous GET of one object; the value text or raw octets of the reply's first binding. False on
    // a failed request or an error status; `value` is then unchanged.
    bool GetValue(const std::string& oid, std::string& value);
    // One SET PDU with all records in order; true when the reply carries no error status.
    bool SetValues(const SNMP_VARBIND* varbinds, int count);
    // SET of a row status ("1", "4", "5" or "6"; anything else shows "error status value!" and sends
    // nothing); true when the reply carries no error status.
    bool SetRowStatus(const std::string& oid, const std::string& value);
    // Starts the walk of the trunk member-port column; each row's ports receive its trunk group in
    // m_TrunkPorts. Returns at once.
    int ReadTrunkPorts();
    // True while no trunk row has arrived; otherwise false when a flagged port's trunk group has a member
    // whose value differs.
    bool CheckTrunkConsistency(const int* values);
    // Starts the walk of the VLAN table's name and row-status columns; WM_VLANLIST_DONE at its end.
    int ReadVlanList();
    // The device's own MAC ("00-11-22-33-44-55"): interface 1's address minus one; empty when the read
    // fails.
    void GetSystemMac(std::string& text);
    // Writes a port set (the list text, or the caller's flags for an empty text) as an octet-string
    // bitmap to the OID. True when the device accepted it.
    bool SetPortList(const std::string& list, const int* flags, const std::string& oid);

    // Copies taken under the data lock, safe while a walk is running.
    std::vector<int> TrunkPortsSnapshot() const;
    // A trunk row with member ports has arrived since the last ReadTrunkPorts.
    bool TrunkLoaded() const { return m_bTrunkLoaded.load(); }
    // Ports (1-based, ascending) that belong to a trunk, from..to; empty when none (or nothing read yet).
    std::vector<int> TrunkPortsInRange(int from, int to) const;
    struct VlanRow {
        std::string id;
        std::string name;
        std::string rowStatus;
    };
    std::vector<VlanRow> VlanListSnapshot() const;

    // The sessions, read-only (their state for owners and tests), and every one of them closed in a fixed
    // order: the walk readers first (nothing more reaches the owner), then the sessions in the order they
    // were registered. Owners register the whole set with their dialog.
    const CCommonSNMP& Session() const { return m_cCommonSNMP; }
    const CCommonSNMP& TableSession() const { return m_cCommonSNMPTable; }
    bool WaitTableDone(unsigned ms) { return m_cCommonSNMPTable.WaitDone(ms); }
    ksx::SessionSet& Sessions() { return m_sessions; }
    void CloseSessions() { m_sessions.CloseAll(); }

protected:
    // One trunk row: its group (the row index) and its member ports.
    struct TrunkRow {
        int group = 0;
        std::vector<int> ports;
    };

    // Filled by the walks on the worker thread of m_cCommonSNMPTable under m_dataLock; read them
    // directly only after the walk ended (the session's done event), else through the snapshots.
    mutable std::mutex m_dataLock;
    std::vector<int> m_TrunkPorts;  // per port (index port-1): 0 none, else its trunk group
    std::vector<std::string> m_aVlanID;
    std::vector<std::string> m_aVlanName;
    std::vector<std::string> m_aVlanRowStatus;
    std::atomic<bool> m_bTrunkLoaded{false};
    ksx::IMessageTarget* m_hOwnerWnd = nullptr;

    // Declared after the data: they go first on destruction, and each joins its walk worker.
    CCommonSNMP m_cCommonSNMP;           // single gets and multi-object sets
    CCommonSNMP m_cCommonSNMPRowStatus;  // row-status sets
    CCommonSNMP m_cCommonSNMPTable;      // walks
    ksx::SessionSet m_sessions;

    // The trunk membership walk; derived classes may add an onRow/onEnd (UI thread) of their own.
    ksx::TableRead<TrunkRow> m_trunkRead;
    ksx::TableRead<VlanRow> m_vlanRead;

    static int OnTrunkPortsWalk(CSnmp* response, int requestId, void* userData, int status);
    static int OnVlanListWalk(CSnmp* response, int requestId, void* userData, int status);
};
