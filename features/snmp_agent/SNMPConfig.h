// Access to the device's own SNMP agent settings: the agent state, the user, group, view, community and
// trap-host tables, the engine ID and the trap switches, all enterprise objects under one branch.
//
// Every SNMP agent dialog holds one CSNMPConfig by value and registers its sessions with itself
// (OwnSessions(m_config.Sessions())). Table walks and the two single-value reads run on the sessions'
// workers; their rows and ends reach the dialog on the UI thread, copied, through the hooks below (set
// them before the first read). The trap switches are read synchronously; all writes are synchronous and
// report whether the device accepted them. The dialogs run their sequences of writes off the window's
// thread (SNMPWriteRun.h): a write may then run on that thread, with plain data only, while the window
// stops it through SetStopCheck and CancelRequests.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "core/CommonSNMP.h"
#include "core/RowCreate.h"
#include "core/TableRead.h"

class CEditEXIPV6;

// Rows as the walks deliver them. Code values outside their lists give empty texts; names are
// converted from UTF-8 to the local code page.
struct SNMP_USER_ROW {
    std::string userName;
    std::string groupName;
    std::string version;       // "V1", "V2c", "V3"
    std::string authProtocol;  // "None", "MD5", "SHA"
    std::string authKey;       // column 5 as read
    std::string privProtocol;  // "None", "DES_CBC"
    std::string privKey;       // column 7 as read
    std::string rowStatus;
};

struct SNMP_GROUP_ROW {
    std::string groupName;
    std::string readView;
    std::string writeView;
    std::string notifyView;
    std::string model;  // "v1", "v2c", "v3"
    std::string level;  // "NoAuthNoPriv", "AuthNoPriv", "AuthPriv"
    std::string rowStatus;
};

struct SNMP_VIEW_ROW {
    std::string viewName;
    std::string subtree;  // dotted
    std::string mask;     // dotted decimal octets
    std::string type;     // "Included", "Excluded"
    std::string rowStatus;
};

struct SNMP_COMMUNITY_ROW {
    std::string community;
    std::string userName;
    std::string rowStatus;
};

struct SNMP_HOST_ROW {
    std::string address;      // dotted IPv4 or compressed IPv6; empty when the octets do not fit the type
    std::string addressType;  // "1", "2"
    std::string version;      // "V1", "V2c", "V3-NoAuthNoPriv", "V3-AuthNoPriv", "V3-AuthPriv"
    std::string name;         // community or SNMPv3 user name
    std::string interfaceName;
    std::string rowStatus;
};

// Where a trap host lives, taken from the host dialog's address edit on the window's thread: the
// address's octet count (4 or 16), its octets as a dotted index, its type ("1" IPv4, "2" IPv6), the
// address text and the interface name typed after "%".
struct SNMP_HOST_ADDRESS {
    int length = 0;
    std::string index;
    std::string type;
    std::string address;
    std::string interfaceName;
};

// The trap switches by slot ("1" on, "2" off; empty: not read, or not to be written).
struct SNMP_TRAP_SETTINGS {
    std::array<std::string, 11> slot;
};

class CSNMPConfig {
public:
    static constexpr const char* kBranch = "1.3.6.1.4.1.7393.10.76.20.1.25";
    static constexpr const char* kStateOid = "1.3.6.1.4.1.7393.10.76.20.1.25.1.0";
    static constexpr const char* kUserEntry = "1.3.6.1.4.1.7393.10.76.20.1.25.2.1.1";
    static constexpr const char* kGroupEntry = "1.3.6.1.4.1.7393.10.76.20.1.25.3.1.1";
    static constexpr const char* kViewEntry = "1.3.6.1.4.1.7393.10.76.20.1.25.4.1.1";
    static constexpr const char* kCommunityEntry = "1.3.6.1.4.1.7393.10.76.20.1.25.5.1.1";
    static constexpr const char* kHostEntry = "1.3.6.1.4.1.7393.10.76.20.1.25.6.2.1";
    static constexpr const char* kEngineIdOid = "1.3.6.1.4.1.7393.10.76.20.1.25.7.0";
    static constexpr const char* kTrapBranch = "1.3.6.1.4.1.7393.10.76.20.1.25.8";
    static constexpr const char* kTextBadStatus = "error istatus value!";

    CSNMPConfig();
    virtual ~CSNMPConfig();
    CSNMPConfig(const CSNMPConfig&) = delete;
    CSNMPConfig& operator=(const CSNMPConfig&) = delete;

    // The four sessions and the readers on them, for the owning dialog's OwnSessions.
    ksx::SessionSet& Sessions() { return m_sessions; }

    // ---- Reads (return at once; results through the hooks) ----
    void GetSnmpState();
    void ReadUserTable();
    void ReadGroupTable();
    void ReadViewTable();
    // The community walk; when it ends the user walk follows on its own session.
    void ReadCommunityTable();
    void ReadHostTable();
    void GetEngineId();
    // Synchronous: the switches, or nothing when the request failed or was refused. A switch whose value
    // did not read as an integer stays empty.
    std::optional<SNMP_TRAP_SETTINGS> ReadTrapSettings(int poeModel);

    // Hooks, UI thread. Rows of every status are delivered; the dialogs show the active ones.
    std::function<void(const SNMP_USER_ROW&)> onUserRow;
    std::function<void(const SNMP_GROUP_ROW&)> onGroupRow;
    std::function<void(const SNMP_VIEW_ROW&)> onViewRow;
    std::function<void(const SNMP_COMMUNITY_ROW&)> onCommunityRow;
    std::function<void(const SNMP_HOST_ROW&)> onHostRow;
    // The end of the community walk, before the user walk starts.
    std::function<void(const ksx::WalkEnd&)> onCommunityEnd;
    // The end of the user, group, view and host walks.
    std::function<void(const ksx::WalkEnd&)> onTableEnd;
    // The state read and the engine-ID read: the value, or nothing when the read failed.
    std::function<void(const std::optional<std::string>&)> onState;
    std::function<void(const std::optional<std::string>&)> onEngineId;

    // Walk entry points (the sessions' workers).
    static int OnSnmpStateWalk(CSnmp* response, int requestId, void* userData, int status);
    static int OnUserTableWalk(CSnmp* response, int requestId, void* userData, int status);
    static int OnGroupTableWalk(CSnmp* response, int requestId, void* userData, int status);
    static int OnViewTableWalk(CSnmp* response, int requestId, void* userData, int status);
    static int OnCommunityTableWalk(CSnmp* response, int requestId, void* userData, int status);
    static int OnHostTableWalk(CSnmp* response, int requestId, void* userData, int status);
    static int OnEngineIdWalk(CSnmp* response, int requestId, void* userData, int status);

    // ---- Writes (synchronous; true when the device answered and accepted) ----
    // How the last write went, as the SNMP layer classified it (not sent for one refused before any
    // request, or asked for while stopping). Read on the thread that made the write, before the next.
    const SnmpAnswer& LastAnswer() const { return m_lastAnswer; }
    // Status "1", "5" or "6"; any other is refused with kTextBadStatus and nothing is sent.
    bool SetRowStatus(const std::string& oid, const std::string& status);
    // Synchronous, on the write session: a row's status; nothing when the row is absent, the read
    // failed or a stop was asked for.
    std::optional<long long> GetRowStatus(const std::string& oid);
    // The row status `oid` on the write session, for ksx::AddRow; nothing is sent once a stop was
    // asked for.
    ksx::RowStatusAccess StatusAccess(const std::string& oid);
    bool SetSnmpState(const std::string& state);
    // Up to three requests: the group name; for "V3" the protocols; then the passwords the protocols
    // need. Returns 0 when every request was accepted, else the number (1 to 3) of the one that was not.
    int SetUser(const std::string& userName, const std::string& version, const std::string& groupName,
                const std::string& authProtocol, const std::string& authPassword,
                const std::string& privProtocol, const std::string& privPassword);
    bool SetGroup(const std::string& groupName, const std::string& model, const std::string& level,
                  const std::string& readView, const std::string& writeView, const std::string& notifyView);
    bool SetView(const std::string& viewName, const std::string& subtree, const std::string& mask,
                 const std::string& type);
    bool SetCommunity(const std::string& community, const std::string& userName);
    // The address comes from m_pAddressEdit (a validated edit); `addressIndex` is recomputed from it.
    // UI thread.
    bool SetHost(const std::string& name, const std::string& addressIndex, const std::string& versionCode);
    // The same request for an address taken from the edit beforehand (any thread).
    bool SetHost(const std::string& name, const SNMP_HOST_ADDRESS& address, const std::string& versionCode);
    // UI thread: the address of a validated edit as plain data.
    static SNMP_HOST_ADDRESS HostAddressOf(CEditEXIPV6& edit);
    // useDefault: the model's default engine ID; a model without one is refused (nothing sent). An odd
    // number of digits gets a "0" in front.
    bool SetEngineId(const std::string& hexText, bool useDefault);
    // One SET of the switches whose slot text is not empty (the PoE ones only when poeModel is non-zero);
    // nothing to write is a success.
    bool SetTrapSettings(const SNMP_TRAP_SETTINGS& settings, int poeModel);

    // ---- Index texts and checks ----
    static std::string StringToOidIndex(const std::string& text);
    static std::string MakeGroupIndex(const std::string& name, const std::string& model);
    static std::string MakeGroupKey(const std::string& name, const std::string& model,
                                    const std::string& level);
    static std::string MakeViewKey(const std::string& name, const std::string& subtree);
    static std::string MakeHostKey(int length, const std::string& addressIndex, const std::string& type);
    static bool IsValidName(const std::string& text);
    // The default engine ID of a model as hex text; empty for a model without one.
    static std::string DefaultEngineId(const std::string& model);
    // The object of trap slot s; empty for the slots without one (5 and 6).
    static std::string TrapObject(int slot);

    // Closes the four sessions (the owning dialog's DestroyWindow does it through Sessions()).
    void CloseAll();

    // A write or trap-switch read asked for while `stop` answers true sends nothing and fails: a run of
    // several requests that is being stopped sends none after the one in flight. Set on the UI thread
    // before the run starts; called on the run's worker.
    void SetStopCheck(std::function<bool()> stop) { m_stopCheck = std::move(stop); }
    // Any thread: the write or trap-switch request in flight returns at once, failed.
    void CancelRequests();

    std::string m_strStateValue;            // the last state read (UI thread)
    CEditEXIPV6* m_pAddressEdit = nullptr;  // the host dialog's address edit, set before SetHost

private:
    struct Value {
        std::optional<std::string> text;
    };

    bool SendSet(CCommonSNMP& session);
    bool Stopping() const { return m_stopCheck && m_stopCheck(); }

    CCommonSNMP m_cCommonSNMP;        // state read, trap-switch read and write
    CCommonSNMP m_cCommonSNMPSet;     // the other writes
    CCommonSNMP m_cCommonSNMPTable;   // group, view, community and host walks, engine-ID read
    CCommonSNMP m_cCommonSNMPGetUse;  // the user walk
    ksx::TableRead<Value> m_stateRead;
    ksx::TableRead<SNMP_USER_ROW> m_userRead;
    ksx::TableRead<SNMP_GROUP_ROW> m_groupRead;
    ksx::TableRead<SNMP_VIEW_ROW> m_viewRead;
    ksx::TableRead<SNMP_COMMUNITY_ROW> m_communityRead;
    ksx::TableRead<SNMP_HOST_ROW> m_hostRead;
    ksx::TableRead<Value> m_engineRead;
    std::optional<std::string> m_stateValue;   // of the state read in progress
    std::optional<std::string> m_engineValue;  // of the engine-ID read in progress
    ksx::SessionSet m_sessions;
    std::function<bool()> m_stopCheck;
    SnmpAnswer m_lastAnswer;
};
