// Logic behind the port settings and port description dialogs: reads the enterprise port table and the
// port description table into per-port rows, writes speed/duplex, MDI/MDIX, flow control and
// descriptions back, and holds the consistency checks run before a port write (link-aggregation members,
// fibre ports, forced speed, half duplex on trunk members, disabling the last linked port, flow control
// against QoS). The checks ask and refuse through message boxes; the walks report to the owner window.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "core/ModuleBase.h"
#include "platform/sys/Messages.h"

// Sent synchronously to the owner from the walk's worker thread, wParam 0 and lParam 0.
constexpr unsigned WM_SNMP_WALK_END = ksx::WM_APP + 1001;    // description walk ended (any status)
constexpr unsigned WM_SNMP_WALK_STALE = ksx::WM_APP + 1002;  // port walk at its end; stale description reply
constexpr unsigned WM_SNMP_WALK_TIMEOUT = ksx::WM_APP + 1003;  // port walk timed out
constexpr unsigned WM_PORT_TRUNK_READ = ksx::WM_APP + 1004;    // trunk membership walk ended (any status)

// One port of the enterprise port table (codes as the device has them).
struct PortConfigRow {
    int port = 0;
    int speed = 1;  // 1 1000M full, 2 100M full, 3 100M half, 4 10M full, 5 10M half, 6 auto, 7 disabled
    int mdix = 1;   // 1 auto, 2 MDI, 3 MDIX
    int flowControl = 2;  // 1 enabled, 2 disabled
    int linkStatus = 1;   // 1 down, 2 1000M full, 3 100M full, 4 100M half, 5 10M full, 6 10M half
    int medium = 1;       // 2 copper, 4 fibre with a 1000Base-X SFP module
    // Set when the last port walk delivered this port's row (keyed by the row's index) with the five
    // settings present and parsed as integers. A port not read shows nothing and is never written.
    bool read = false;
};

struct PortDescriptionRow {
    int port = 0;
    std::string description;
};

struct PortDescriptionRequest {
    int fromPort = 0;
    int toPort = 0;
    std::string description;
};

class CPortConfigLogic : public CModuleBase {
public:
    // Both row arrays get the current port count, which they keep for the object's life.
    CPortConfigLogic();
    ~CPortConfigLogic() override;

    // The description table's columns: port number, description.
    static constexpr const char* kDescriptionPortColumn = "1.3.6.1.4.1.7393.10.76.20.1.1.16.1.1";
    static constexpr const char* kDescriptionColumn = "1.3.6.1.4.1.7393.10.76.20.1.1.16.1.2";

    // Starts the base's trunk membership read; TrunkReadOk once it reached the end of its table with
    // every row read (the trunk checks decide on it). Its end reaches the owner as WM_PORT_TRUNK_READ.
    void ReadTrunkMembership();
    bool TrunkReadEnded() const { return m_trunkEnded; }
    bool TrunkReadOk() const { return m_trunkOk; }
    bool TrunkReadTimedOut() const { return m_trunkTimedOut; }

    // Starts the walk of the port table on the first session (8000 ms for the first step). Always true.
    bool ReadPortTable();
    // One SET of speed, MDI/MDIX and flow control of row.port, and how the device answered it.
    SnmpAnswer WritePortSettings(const PortConfigRow& row);

    // The trunk checks refuse a value that differs from the selected row's current one when the port
    // shares its trunk group with another port. They show nothing.
    bool CheckTrunkSpeed(int rowIndex, int port, int speed);
    bool CheckTrunkFlowControl(int rowIndex, int port, int flowControl);
    bool CheckTrunkMdix(int rowIndex, int port, int mdix);
    // Fibre ports take only MDI/MDIX auto (shows its own message).
    bool CheckFiberMdix(int rowIndex, int port, int mdix);
    // SFP speeds, the force-mode question and half duplex on trunk members (own message or question).
    bool CheckSpeed(int rowIndex, int port, int speed);
    // Refuses disabling the only port that has a link (own message).
    bool CheckDisableAll(int rowIndex, int speed);
    // Asks the QoS question whenever flow control is to be enabled.
    bool ConfirmFlowControl(int flowControl);

    // Starts the walk of the description table on the third session. Always false (callers ignore it).
    bool ReadDescriptions();
    // One SET of the description column for every port of the range. True when the device accepted it.
    bool WriteDescriptions(const PortDescriptionRequest& request);

    int GetPortNum() const { return m_nPortNum; }
    // Whether port row `rowIndex` (0-based) was read by the last port walk.
    bool RowRead(int rowIndex) const;
    // Copies of the rows, safe while a walk runs (the walks fill them on their worker threads).
    std::vector<PortConfigRow> PortRows() const;
    std::vector<PortDescriptionRow> DescriptionRows() const;
    // Rows delivered by the current walk, also those past the port count.
    int RowCount() const { return m_nRowCount.load(); }

private:
    static int OnPortTableWalk(CSnmp* response, int requestId, void* userData, int status);
    static int OnDescriptionWalk(CSnmp* response, int requestId, void* userData, int status);
    // The trunk group of a port; 0 for a port outside 1..N (a number the device sent).
    int TrunkGroupOf(int port) const;
    // Common part of the three trunk checks; `field` picks the compared value of the selected row.
    bool CheckTrunkValue(int rowIndex, int port, int value, int PortConfigRow::*field);
    // The medium of the selected row (a valid one), read under the row lock.
    int MediumOf(int rowIndex) const;
    bool ValidRow(int rowIndex) const { return rowIndex >= 0 && rowIndex < m_nPortNum; }

    // Store a parsed port-table or description row for the port its index names (dropped outside 1..N).
    void StorePortRow(int index, const PortConfigRow& values);
    void StoreDescriptionRow(int port, const PortDescriptionRow& values);

    const int m_nPortNum;
    mutable std::mutex m_rowLock;  // guards both row arrays
    std::vector<PortDescriptionRow> m_DescriptionRows;
    std::vector<PortConfigRow> m_PortRows;
    std::atomic<int> m_nRowCount{0};
    bool m_trunkEnded = false;  // UI thread, as the one below
    bool m_trunkOk = false;
    bool m_trunkTimedOut = false;
    // After the rows: they go first and join their workers.
    ksx::TableRead<PortConfigRow> m_portRead;
    ksx::TableRead<PortDescriptionRow> m_descriptionRead;
};
