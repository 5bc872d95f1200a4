// Port mirroring logic: reads the device's four mirroring objects in one asynchronous request and hands
// them to the owner window, walks the trunk member ports so that a trunk port cannot become the target
// and a trunk's members mirror alike, and writes a new configuration one request at a time (the owner
// runs the requests off its thread).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/ModuleBase.h"
#include "core/TableRead.h"

struct MirrorPortEntry {
    unsigned char tx = 0;  // member of the TX source bitmap
    unsigned char rx = 0;  // member of the RX source bitmap
    int trunkGroup = 0;    // 0: in no trunk
    unsigned char done = 0;
};

// The four mirroring objects as read; complete only when every one of them was read (present, of its
// type): a write puts all of them back, so a record with one missing is no record.
struct MirrorConfigRecord {
    bool complete = false;
    int enabled = 0;                     // 1 when the state read 1
    std::string state;                   // the state as read
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

    // Requests of a write, in the order they are sent.
    enum WriteStep { WRITE_CLEAR_SOURCES = 0, WRITE_TARGET, WRITE_SOURCES, WRITE_STATE };

    // A write as planned on the UI thread: its requests in order and every value they carry.
    struct WritePlan {
        std::string state;
        std::string target;
        std::vector<unsigned char> tx, rx;            // the source bitmaps of m_aPorts
        std::vector<unsigned char> clearTx, clearRx;  // the same length, no port set
        std::vector<WriteStep> steps;
    };

    CPortMirroringLogic();
    ~CPortMirroringLogic() override;

    // One asynchronous get of state, target, RX and TX bitmaps; onConfig receives the record.
    void ReadMirrorConfig();
    // Walks the trunk member-port column into the per-port trunk groups (cleared first); onTrunks
    // receives whether the column was read to its end.
    void ReadTrunkMembers();
    // UI thread: the end of each read. onConfig gets no record when the read failed or was incomplete.
    std::function<void(const std::optional<MirrorConfigRecord>&)> onConfig;
    std::function<void(bool)> onTrunks;
    // Records the trunk group (the instance's number) of every listed port up to the port count.
    // True when every trunk's members carry the same tx and rx flags in the port entries.
    bool CheckTrunkSourceModes();
    // UI thread. The requests that write `newState` ("1" with `target`, or "2"), the sources from
    // m_aPorts: for "1" the sources cleared first when the last read state was "1", then the target,
    // then the sources; the state last.
    WritePlan PlanWrite(const std::string& last, const std::string& newState,
                        const std::string& target) const;
    // Any thread but one at a time: sends request `step` of the plan and waits for its answer; the layer's
    // account of it.
    SnmpAnswer SendWrite(const WritePlan& plan, WriteStep step);
    // Any thread: cuts short the write request in flight.
    void CancelWrite() { m_cCommonSNMPSet.Cancel(); }

    // Trunk group of a port (1-based), 0 for none or a port outside 1..port count.
    int TrunkGroupOf(int port) const;
    std::string LastReadState() const;

    // Filled by the dialog's Apply (UI thread only).
    std::vector<MirrorPortEntry> m_aPorts;

private:
    std::vector<unsigned char> SourceBitmap(bool tx, bool cleared) const;

    std::string m_strLastState;  // the state as last read whole, empty before (UI thread)
    std::optional<MirrorConfigRecord> m_config;

    // Declared last: destroyed first, each joins its worker before the data goes.
    CCommonSNMP m_cCommonSNMPRead;
    CCommonSNMP m_cCommonSNMPSet;
    ksx::TableRead<MirrorConfigRecord> m_configRead;
};
