// Device access of the RMON feature: the global state, and the four configuration tables of the
// enterprise RMON group (Ethernet statistics control, history control, alarm, event), each walked
// together with the read-only columns of the standard RMON-MIB that belong to its rows. Rows are created
// with the RMON EntryStatus protocol and deleted by setting them invalid. Two reference reads serve the
// event dialog: the SNMP agent's community names, and the events that alarm rows name.
//
// Walks run on session workers; their rows are matched by the row index and merged into the lists on
// the UI thread, and the end of a walk reaches the owner window (SetOwnerWnd) as WM_SNMP_WALK_END or
// WM_SNMP_WALK_STALE (res/ids_rmon.h) with the table's code, on the UI thread. Read a list in the
// handler of that message, or later; start nothing else on a table before its end message came.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/CommonSNMP.h"
#include "core/ModuleBase.h"
#include "core/RowCreate.h"
#include "core/StepRunner.h"
#include "core/TableRead.h"

struct RMON_ethernet_statistics_configuration {
    int index = -1;
    int port = -1;  // -1: the data source names no port
    std::string owner;
    int status = 4;
};

// Counters are unsigned 64-bit: a Counter32 above 2147483647 keeps its value.
struct RMON_ethernet_statistics_info {
    std::uint64_t drop_events = 0;
    std::uint64_t packets = 0;
    std::uint64_t octets = 0;
    std::uint64_t broadcast_packets = 0;
    std::uint64_t multicast_packets = 0;
    RMON_ethernet_statistics_configuration control;
    // The walk positions whose value was read (bit n: position n); a cell that did not read is shown
    // empty, never as its default.
    unsigned cells = 0;
    bool Has(int position) const { return (cells >> position & 1u) != 0; }
};

struct RMON_history_control_configuration {
    int index = 0;
    int port = 0;  // 0: the data source names no port
    int buckets_requested = 0;
    int buckets_granted = 0;
    int interval = 0;
    std::string owner;
    int status = 4;
    // The walk positions whose value was read (bit n: position n); a cell that did not read is shown
    // empty, never as its default.
    unsigned cells = 0;
    bool Has(int position) const { return (cells >> position & 1u) != 0; }
};

struct RMON_alarm_configuration {
    int index = 0;
    int interval = 0;
    int sample_type = 0;
    int rising_threshold = 0;
    int falling_threshold = 0;
    int rising_event_index = 0;
    int falling_event_index = 0;
    std::string owner;
    std::string variable;
    int status = 0;
    // The walk positions whose value was read (bit n: position n); a cell that did not read is shown
    // empty, never as its default.
    unsigned cells = 0;
    bool Has(int position) const { return (cells >> position & 1u) != 0; }
};

struct RMON_event_configuration {
    int index = 0;
    int type = 0;
    std::string owner;
    std::string last_time_sent = "0";
    std::string community;
    std::string description;
    int status = 0;
    // The walk positions whose value was read (bit n: position n); a cell that did not read is shown
    // empty, never as its default.
    unsigned cells = 0;
    bool Has(int position) const { return (cells >> position & 1u) != 0; }
};

// One value of a walk step, read and typed on the worker: its place in the walk, the row it belongs to.
struct RmonCell {
    int position = 0;
    int index = 0;
    std::optional<long long> number;          // INTEGER
    std::optional<unsigned long long> count;  // Counter32, TimeTicks
    std::optional<std::string> text;          // OCTET STRING, OBJECT IDENTIFIER (dotted)
};
using RmonStep = std::vector<RmonCell>;

// The events one alarm row names; a value the device did not give stays empty.
struct RmonAlarmEventRef {
    int index = 0;
    std::optional<long long> rising;
    std::optional<long long> falling;
};

class CRMON : public CModuleBase {
public:
    // Table codes: wParam of the owner messages.
    enum Table { kStatistics = 0, kHistoryControl = 1, kAlarm = 2, kEvent = 3, kEventRefs = 4 };

    CRMON();
    ~CRMON() override;

    // Table reads: the running walk of that table is stopped, its list emptied and a new walk started.
    // True (the end is reported by the owner messages).
    bool StartStatisticsWalk();
    bool StartHistoryControlWalk();
    bool StartAlarmWalk();
    bool StartEventWalk();
    // The last walk of the table ended at the end of the table (not by a time-out, an error or a stale
    // reply); false while it runs.
    bool TableWasRead(int table) const;

    // Row creation: the status read, "4" when an earlier row of that index is not valid, "2", the data
    // columns, "1". A step that did not go as asked after "2" was accepted sets the row invalid again.
    // True when every step succeeded; otherwise LastError() says which step failed and what the answer
    // to setting the row invalid leaves on the device.
    bool SetStatisticsEntry(const RMON_ethernet_statistics_configuration& entry);
    bool SetHistoryControlEntry(const RMON_history_control_configuration& entry);
    // The variable is sent as given: callers pass it normalised.
    bool SetAlarmEntry(const RMON_alarm_configuration& entry);
    // Clears the argument's community for types 1 and 2.
    bool SetEventEntry(RMON_event_configuration& entry);
    // One SET of the row's status to "4", the user's Delete. False (LastError() says so) when the device
    // refused it.
    bool DeleteStatisticsEntry(int index);
    bool DeleteHistoryControlEntry(int index);
    bool DeleteAlarmEntry(int index);
    bool DeleteEventEntry(int index);
    // A statistics entry not valid that holds the port of an add (the device keeps one entry a port),
    // removed through row creation: one this module left under creation, another only on the user's Yes
    // (Other(), as for a creation; kOccupied until then). LastError() says a result that left it.
    ksx::RowAdded ClearStatisticsEntry(int index, int port);
    // Any thread: cuts short the single request in flight (a write, or the status read of a creation).
    void CancelRequests() {
        m_cCommonSNMP.Cancel();
        m_cCommonSNMPTable.Cancel();
    }
    // Asked between the requests of a row creation run off the window's thread: true ends it there.
    // Set before any creation runs.
    void SetStopCheck(std::function<bool()> stopping) { m_stopping = std::move(stopping); }
    // What the last failed creation or deletion did not get written.
    const std::string& LastError() const { return m_strLastError; }
    // One SET of the binding; true when the device accepted it. LastAnswer() tells how it went.
    bool SetValue(const SNMP_VARBIND& vb);
    // How the last write went (of a failed creation: the request that failed), as the SNMP layer
    // classified it.
    const SnmpAnswer& LastAnswer() const { return m_lastAnswer; }
    // A step of a run that made the last failed creation or deletion: its answer with LastError().
    ksx::StepOutcome LastOutcome() const;
    // How far the last row creation got (read once its run ended): what a stopped creation says.
    // UI thread, before the run of a creation starts.
    const ksx::AddProgress& Progress() const { return m_progress; }
    void ResetProgress() {
        m_progress.Reset();
        m_other.Begin();
    }
    // A row of the index not valid that this module did not leave, found by a create (UI thread, once
    // the run has ended), and the user's Yes to replacing it.
    ksx::OtherRow& Other() { return m_other; }

    // Global state: `enabled` becomes 1 for the device's 1, else 0; false (untouched) when the state
    // could not be read as an integer.
    bool GetRmonState(int* enabled);
    // Writes "1" for 1 and "2" otherwise; true when the device accepted it.
    bool SetRmonState(const int* enabled);

    // Reference reads. The community walk fills m_arrCommunityNames and calls onCommunityWalkEnd (UI
    // thread); the event-reference walk fills m_arrAlarmEventRefs (rising and falling event of every
    // alarm row) and sends WM_RMON_EVENT_REFS_DONE (wParam 4) to the owner.
    void StartCommunityWalk();
    void StartAlarmEventRefWalk();
    void StartEventIndexWalk();
    bool CommunityNamesRead() const { return m_communityRead; }
    bool AlarmEventRefsRead() const { return m_refsRead; }
    // True when an alarm row names the event (given as its decimal index text) as its rising or its
    // falling event. A text that is no index names no event.
    bool IsEventUsedByAlarm(const std::string& index) const;

    std::function<void(const ksx::WalkEnd&)> onCommunityWalkEnd;

    // The rows of the last walk of each table, in the order they arrived (UI thread).
    std::vector<RMON_ethernet_statistics_info> m_lstStatistics;
    std::vector<RMON_history_control_configuration> m_lstHistoryControl;
    std::vector<RMON_alarm_configuration> m_lstAlarm;
    std::vector<RMON_event_configuration> m_lstEvent;
    std::vector<std::string> m_arrCommunityNames;
    std::vector<std::string> m_arrEventIndexes;
    std::vector<RmonAlarmEventRef> m_arrAlarmEventRefs;

    // Walk entry points (session workers).
    static int OnStatisticsWalk(CSnmp* response, int requestId, void* userData, int status);
    static int OnHistoryControlWalk(CSnmp* response, int requestId, void* userData, int status);
    static int OnAlarmWalk(CSnmp* response, int requestId, void* userData, int status);
    static int OnEventWalk(CSnmp* response, int requestId, void* userData, int status);
    static int OnCommunityWalk(CSnmp* response, int requestId, void* userData, int status);
    static int OnAlarmEventRefWalk(CSnmp* response, int requestId, void* userData, int status);
    static int OnEventIndexWalk(CSnmp* response, int requestId, void* userData, int status);

    // The port a data source names ("1.3.6.1.2.1.2.2.1.1.<port>"); nothing for any other value.
    static std::optional<int> PortOfDataSource(const std::string& source);

private:
    struct Column {
        int column;         // below the table's entry
        std::string value;  // as sent
        int type;           // 1 integer, 2 octet string, 3 object identifier
        const char* name;   // in failure texts
    };
    // One SET of an entry status and how the device answered it.
    SnmpAnswer SendStatus(const std::string& oid, const std::string& value);
    // The entry status `oid` as row creation reaches it (worker): its SETs keep LastAnswer().
    ksx::RowStatusAccess EntryAccess(const std::string& oid);
    bool CreateRow(const char* entry, int statusColumn, int index, const std::vector<Column>& columns,
                   const char* what);
    bool DeleteRow(const char* entry, int statusColumn, int index, const char* what);
    bool SetStatus(const std::string& oid, const char* value);
    void WalkEnded(int table, const ksx::WalkEnd& end);

    void MergeStatistics(const RmonStep& step);
    void MergeHistoryControl(const RmonStep& step);
    void MergeAlarm(const RmonStep& step);
    void MergeEvent(const RmonStep& step);
    void MergeEventRefs(const RmonStep& step);

    bool Stopping() const { return m_stopping && m_stopping(); }

    std::string m_strLastError;
    SnmpAnswer m_lastAnswer;
    ksx::AddProgress m_progress;
    ksx::OtherRow m_other;
    std::function<bool()> m_stopping;
    bool m_tableRead[4] = {false, false, false, false};
    bool m_communityRead = false;
    bool m_refsRead = false;
    bool m_refsComplete = true;
    std::vector<std::string> m_communityIndexes;  // parallel to m_arrCommunityNames

    // Declared before the readers that use them: the readers go first.
    CCommonSNMP m_cCommonSNMPCommunity;
    CCommonSNMP m_cCommonSNMPAlarmRef;

    ksx::TableRead<RmonStep> m_statisticsRead;
    ksx::TableRead<RmonStep> m_historyRead;
    ksx::TableRead<RmonStep> m_alarmRead;
    ksx::TableRead<RmonStep> m_eventRead;
    ksx::TableRead<std::pair<std::string, std::string>> m_communityWalk;
    ksx::TableRead<RmonStep> m_alarmRefWalk;
    ksx::TableRead<RmonStep> m_eventIndexWalk;
};
