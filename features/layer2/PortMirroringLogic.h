// Port mirroring logic: reads the device's four mirroring objects in one asynchronous request and hands
// them to the owner window, walks the trunk member ports so that a trunk port cannot become the target
// and a trunk's members mirror alike, and writes a new configuration step by step.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "core/ModuleBase.h"
#include "features/layer2/TrunkMemberWalk.h"

// Sent by the logic to its owner: wParam 0 with a MirrorConfigRecord (the read arrived), wParam
// kMirrorReadFailed when the mirroring read failed, wParam kMirrorTrunksRead when the trunk walk ended
// (lParam 1 when it read the whole column, 0 when it failed).
#ifndef KSX_HAVE_WM_SNMP_RESULT
#define KSX_HAVE_WM_SNMP_RESULT
constexpr unsigned WM_SNMP_RESULT = ksx::WM_USER + 10;
#endif
constexpr ksx::WPARAM kMirrorReadFailed = 2;
constexpr ksx::WPARAM kMirrorTrunksRead = 3;

struct MirrorPortEntry {
    unsigned char tx = 0;  // member of the TX source bitmap
    unsigned char rx = 0;  // member of the RX source bitmap
    int trunkGroup = 0;    // 0: in no trunk
    unsigned char done = 0;
};

// Valid only while the result message is handled.
struct MirrorConfigRecord {
    int enabled = 0;                     // 1 when the state read "1"
    std::string target;                  // as read, "0" given as "1"
    std::vector<MirrorPortEntry> ports;  // one per port, only tx and rx set
};

// Its sessions are registered with the base (Sessions(), CloseSessions()).
class CPortMirroringLogic : public CModuleBase {
public:
    static constexpr const char* kStateOid = "1.3.6.1.4.1.7393.10.76.20.1.18.1.0";
    static constexpr const char* kTargetOid = "1.3.6.1.4.1.7393.10.76.20.1.18.2.0";
    static constexpr const char* kRxPortsOid = "1.3.6.1.4.1.7393.10.76.20.1.18.3.0";
    static constexpr const char* kTxPortsOid = "1.3.6.1.4.1.7393.10.76.20.1.18.4.0";

    // Steps of a write, in the order they are sent; the result of WriteMirrorConfig names the failed one.
    enum WriteStep { WRITE_OK = 0, WRITE_CLEAR_SOURCES, WRITE_TARGET, WRITE_SOURCES, WRITE_STATE };

    CPortMirroringLogic();
    ~CPortMirroringLogic() override;

    // One asynchronous get of state, target, RX and TX bitmaps; the owner receives the record.
    void ReadMirrorConfig();
    // Walks the trunk member-port column into the per-port trunk groups (cleared first).
    void ReadTrunkMembers();
    // Records the trunk group (the instance's number) of every listed port up to the port count.
    // True when every trunk's members carry the same tx and rx flags in the port entries.
    bool CheckTrunkSourceModes();
    // The synchronous writes of a new configuration (see the step order above). Stops at the first step
    // the device does not accept and returns it; WRITE_OK when every step was accepted.
    WriteStep WriteMirrorConfig(const std::string& last, const std::string& newState,
                                const std::string& target);

    // Trunk group of a port (1-based), 0 for none or a port outside 1..port count.
    int TrunkGroupOf(int port) const;
    std::string LastReadState() const;

    // Filled by the dialog's Apply (UI thread only).
    std::vector<MirrorPortEntry> m_aPorts;

private:
    static int OnMirrorConfigRead(CSnmp* response, int requestId, void* userData, int status);
    static int OnTrunkMembersWalk(CSnmp* response, int requestId, void* userData, int status);
    bool SendStep(const std::vector<std::pair<std::string, std::string>>& integers, bool clearSources,
                  bool sources);
    std::vector<unsigned char> SourceBitmap(bool tx, bool cleared) const;

    mutable std::mutex m_lock;       // guards the trunk groups and the last-read state
    std::vector<int> m_aTrunkGroup;  // per port, 0 none
    std::string m_strLastState;      // the state as last read, empty before

    // Declared last: destroyed first, each joins its worker before the data goes.
    CCommonSNMP m_cCommonSNMPRead;
    CCommonSNMP m_cCommonSNMPTrunk;
    ksx::TrunkMemberWalk m_trunkWalk{m_cCommonSNMPTrunk, m_lock, m_aTrunkGroup};
    CCommonSNMP m_cCommonSNMPSet;
};
