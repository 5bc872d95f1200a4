// Trunk member checks: before the member picker writes a trunk's member ports, the proposed ports are
// checked against the device's other per-port settings (other trunks, speed and duplex, DHCP server
// screening, 802.1X, VLANs, MAC learning, priority, PVID, port security, loopback detection, port
// mirroring, ARP spoofing prevention, rate control, spanning tree, voice VLAN, static MAC entries,
// ACLs, surveillance VLAN). All of it is read once, asynchronously, when the picker opens
// (LoadSettings); the checks run only after every read has reported (AllLoaded), so what they see is
// the device's whole state and nothing is read while they run.
//
// Every per-port value is stored under the port its row's index names; rows of ports outside 1..port
// count, and bindings that left their column, are dropped.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/CommonSNMP.h"
#include "core/TableRead.h"
#include "features/common/TrunkTable.h"
#include "platform/sys/Messages.h"

class CTrunkSettingLogic {
public:
    // The reads, in the order LoadSettings starts them.
    enum Load : int {
        LOAD_TRUNK,           // trunk table: member ports and channel mode
        LOAD_VLAN,            // VLAN egress and untagged ports
        LOAD_ACL,             // ACL port sets
        LOAD_MIRROR_SOURCES,  // mirror source sets and the learning ports (one get)
        LOAD_ARP,             // ARP spoofing port sets
        LOAD_SURVEILLANCE,    // surveillance VLAN port modes
        LOAD_RSTP,            // spanning tree port settings, 802.1X port values, voice VLAN port modes
        LOAD_PORTS,           // speed/duplex, priority, PVID, port security, medium, LBD, rate control
        LOAD_MIRROR_TARGET,   // mirror state and target port (one get)
        LOAD_STATIC_MAC,      // static MAC entry ports
        LOAD_GLOBAL_STATES,   // 802.1X, spanning tree and surveillance VLAN states (one get)
        LOAD_DHCP,            // DHCP server screening ports (synchronous get)
        LOAD_COUNT
    };
    enum LoadState : int { LOAD_PENDING, LOAD_DONE, LOAD_FAILED };

    // The seven spanning tree values of a port: state, priority, cost, edge, restricted TCN, restricted
    // role, point-to-point.
    using RstpRecord = std::array<int, 7>;

    // What the reads fill. Per-port vectors hold one int per port (index port - 1), zero until a value
    // arrives.
    struct Tables {
        CTrunkGroups trunkGroups{0};                        // trunk id of each port, 0 when in none
        std::vector<std::string> vlanEgress, vlanUntagged;  // port list text of each VLAN with ports
        std::vector<std::string> aclSets;                   // port list text of each ACL with ports
        std::vector<std::string> arpSets;  // port list text of each ARP spoofing entry with ports
        std::string mirrorRx, mirrorTx;    // mirror source ports (list text)
        std::string learning;              // learning ports (list text)
        std::vector<int> surveillanceAuto, surveillanceStatus;
        std::vector<RstpRecord> rstp;
        std::vector<int> dot1x, voice;
        std::vector<int> speed, priority, pvid, portSecurity, medium, lbd, rateTx, rateRx;
        int mirrorState = 0, mirrorTarget = 0;
        std::vector<int> staticMacPorts;  // one port per static MAC entry, all entries
        int dot1xState = 1, rstpState = 1, surveillanceState = 0;  // 1 enabled, 2 anything else
        std::vector<int> dhcpScreened;
    };

    CTrunkSettingLogic();
    ~CTrunkSettingLogic();
    CTrunkSettingLogic(const CTrunkSettingLogic&) = delete;
    CTrunkSettingLogic& operator=(const CTrunkSettingLogic&) = delete;

    // The window told (WM_TRUNK_LOAD_RESULT, read, status) each time a read has ended; may be null.
    void SetOwnerWnd(ksx::IMessageTarget* owner) { m_pOwner = owner; }

    // Takes the port count from g_nPortNum, sizes the tables by it and starts the reads. 0 (nothing
    // started, no tables) without a port, else 1.
    int Init();
    bool IsInitialised() const { return m_bInitialised; }
    // Zeroes the tables and (re)starts every read in the fixed order; returns at once (the DHCP
    // screening read is synchronous). Rows and ends arrive on the UI thread.
    void LoadSettings();

    // Read progress (UI thread).
    LoadState GetLoadState(int load) const;
    int GetLoadStatus(int load) const;  // the status that ended a failed read
    bool AllLoaded() const;             // every read has ended well
    bool AnyLoadFailed() const;
    bool AnyLoadPending() const;
    // What a read covers, for the user ("spanning tree, 802.1X and voice VLAN port settings").
    static const char* LoadName(int load);

    // The proposed members (flags borrowed for the checks) and the trunk's current member list text.
    void SetMembers(const int* flags, const std::string& currentMembers);
    void ReleaseMembers() { m_pMembers = nullptr; }
    // The sixteen checks in their order; 1 when all pass, 0 at the first that fails (its message shown).
    // 0 with no message when the tables are not complete (the picker keeps OK unavailable until then).
    int CheckMembers();

    int CheckOtherTrunk();
    int CheckDuplexSpeed();
    int CheckDhcpScreening();
    int Check8021X();
    int CheckVlan();
    int CheckAutoLearn();
    int CheckPortSettings();
    int CheckMirrorSources();
    int CheckMirrorTarget();
    int CheckArpSpoofing();
    int CheckRateControl();
    int CheckRstp();
    int CheckVoiceVlan();
    int CheckFdbDestHit();
    int CheckAcl();
    int CheckSurveillanceVlan();

    // 1 when the list is empty or the proposed ports lie all inside or all outside it; listed ports
    // above the port count are ignored.
    int IsAllOrNone(const std::string& list) const;

    // Writes the trunk's members (hex bitmap text) and channel mode ("1" LACP, "2" static) in one SET.
    // 1 when the device accepted it; 0 with a message when nothing was sent ("Parameter Error !" for an
    // empty bitmap) or the write did not go as asked (how it went, as the layer tells it).
    int SetTrunkGroup(const std::string& mode, const std::string& bitmapHex, const std::string& trunkId);

    // Ends every read and closes the sessions (the tables stay until the destructor).
    void CloseSessions();

    // A copy of the tables as read so far.
    Tables Snapshot() const { return m_tables; }
    int PortCount() const { return m_nPortNum; }

private:
    // One binding of an answered step, taken on the worker.
    struct Binding {
        bool inColumn = false;
        std::string suffix;  // instance after the column, without the leading "." (walks)
        std::string value;   // text, or the raw octets of an octet string
    };
    using Step = std::vector<Binding>;
    using RowHandler = void (*)(Tables&, int portCount, const Step&);

    void MakeReader(int load, CCommonSNMP& session, std::vector<std::string> oids, bool walk,
                    RowHandler onRow);
    void Start(int load);
    void Finish(int load, LoadState state, int status);
    void LoadPortTables();
    void LoadMirrorTarget();
    void LoadStaticMacPorts();
    void LoadGlobalStates();
    void LoadDhcpScreeningPorts();

    bool IsProposed(int port) const;  // port 1..count
    std::vector<int> ProposedPorts() const;
    // Reference rule of the speed, priority and PVID comparisons: the first proposed port with a
    // non-zero value, then every later proposed port must carry it exactly.
    bool SameFromFirstNonZero(const std::vector<int>& values) const;

    int m_nPortNum = 0;
    bool m_bInitialised = false;
    ksx::IMessageTarget* m_pOwner = nullptr;
    const int* m_pMembers = nullptr;  // the picker's flags while the checks run
    std::string m_strCurrentMembers;
    Tables m_checking;  // the tables the checks run over, copied when they start

    // Filled on the UI thread, from the rows the readers deliver there.
    Tables m_tables;
    std::array<LoadState, LOAD_COUNT> m_state{};
    std::array<int, LOAD_COUNT> m_status{};
    std::array<bool, LOAD_COUNT> m_walk{};

    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPSet;
    CCommonSNMP m_cCommonSNMPMirror;
    CCommonSNMP m_cCommonSNMPTableACL;
    CCommonSNMP m_cCommonSNMPPoint;
    CCommonSNMP m_cCommonSNMPTableVlan;
    CCommonSNMP m_cCommonSNMPTableTrunk;
    CCommonSNMP m_cCommonSNMPTableStaticPor;
    CCommonSNMP m_cCommonSNMPTableGetVlanTrunk;
    CCommonSNMP m_cCommonSNMPTableArp;
    CCommonSNMP m_cCommonSNMPTableSurveillance;
    CCommonSNMP m_cCommonSNMPTableRstp;
    CCommonSNMP m_cCommonSNMPDhcp;
    // After the sessions they read on (a reader ends its walk before its session goes). None for the
    // synchronous DHCP screening read.
    std::array<std::unique_ptr<ksx::TableRead<Step>>, LOAD_COUNT> m_readers;
};
