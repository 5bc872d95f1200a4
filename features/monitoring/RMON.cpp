// RMON logic.
#include "features/monitoring/RMON.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <initializer_list>
#include <utility>

#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "core/Utils.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"
#include "res/ids_rmon.h"

namespace {

const char kStateOid[] = "1.3.6.1.4.1.7393.10.76.20.1.47.1.0";
const char kStatisticsEntry[] = "1.3.6.1.4.1.7393.10.76.20.1.47.2.1.1";
const char kHistoryEntry[] = "1.3.6.1.4.1.7393.10.76.20.1.47.3.1.1";
const char kAlarmEntry[] = "1.3.6.1.4.1.7393.10.76.20.1.47.4.1.1";
const char kEventEntry[] = "1.3.6.1.4.1.7393.10.76.20.1.47.5.1.1";
const char kCommunityNameColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.25.5.1.1.1";
const char kEtherStatsEntry[] = "1.3.6.1.2.1.16.1.1.1";
const char kHistoryControlBucketsGranted[] = "1.3.6.1.2.1.16.2.1.1.4";
const char kEventLastTimeSent[] = "1.3.6.1.2.1.16.9.1.1.5";
const char kIfIndexColumn[] = "1.3.6.1.2.1.2.2.1.1";

constexpr int kStatisticsStatus = 4;
constexpr int kHistoryStatus = 6;
constexpr int kAlarmStatus = 10;
constexpr int kEventStatus = 6;

std::string ColumnOid(const char* entry, int column) {
    return std::string(entry) + "." + std::to_string(column);
}

// How a walked column's values are read.
enum class Kind { Integer, Counter, Octets, Dotted };

// The whole text as a non-negative decimal number of at most `digits` digits.
std::optional<long long> WholeNumber(const std::string& text, size_t digits) {
    if (text.empty() || text.size() > digits) {
        return std::nullopt;
    }
    long long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        v = v * 10 + (c - '0');
    }
    return v;
}

// The step's values that still lie in their columns, each with the row index of its instance (one
// sub-identifier). A binding that left its column belongs to no row of this table and is dropped.
RmonStep ParseStep(const ksx::WalkStep& step, const std::vector<Kind>& kinds) {
    RmonStep cells;
    const int n = std::min(step.Count(), static_cast<int>(kinds.size()));
    for (int i = 0; i < n; ++i) {
        const std::optional<long long> index = WholeNumber(step.Index(i), 10);
        if (!index || *index > INT_MAX) {
            continue;
        }
        RmonCell cell;
        cell.position = i;
        cell.index = static_cast<int>(*index);
        switch (kinds[static_cast<size_t>(i)]) {
            case Kind::Integer:
                cell.number = step.Integer(i);
                break;
            case Kind::Counter:
                cell.count = step.Unsigned(i);
                break;
            case Kind::Octets:
                cell.text = step.Octets(i);
                break;
            case Kind::Dotted:
                cell.text = step.Dotted(i);
                break;
        }
        TRACE("%s", step.Text(i).c_str());
        cells.push_back(std::move(cell));
    }
    return cells;
}

int ToInt(long long v) {
    return v > INT_MAX ? INT_MAX : (v < INT_MIN ? INT_MIN : static_cast<int>(v));
}

// The row of `index` in a list, appended fresh when there is none yet.
template <class Rec, class IndexOf, class Fresh>
Rec& RowOf(std::vector<Rec>& list, int index, IndexOf indexOf, Fresh fresh) {
    for (Rec& r : list) {
        if (indexOf(r) == index) {
            return r;
        }
    }
    list.push_back(fresh(index));
    return list.back();
}

// The cell's value into its field, and its position marked as read; a value that did not read leaves
// both alone.
template <class Rec>
void Mark(Rec& row, const RmonCell& c) {
    row.cells |= 1u << c.position;
}

template <class Rec>
void SetInt(Rec& row, int& field, const RmonCell& c) {
    if (c.number) {
        field = ToInt(*c.number);
        Mark(row, c);
    }
}

template <class Rec>
void SetText(Rec& row, std::string& field, const RmonCell& c) {
    if (c.text) {
        field = *c.text;
        Mark(row, c);
    }
}

template <class Rec>
void SetCount(Rec& row, std::uint64_t& field, const RmonCell& c) {
    if (c.count) {
        field = *c.count;
        Mark(row, c);
    }
}

}  // namespace

CRMON::CRMON()
    : m_statisticsRead(
          m_cCommonSNMPTable,
          {ColumnOid(kStatisticsEntry, 1), ColumnOid(kStatisticsEntry, 2), ColumnOid(kStatisticsEntry, 3),
           ColumnOid(kStatisticsEntry, 4), ColumnOid(kEtherStatsEntry, 3), ColumnOid(kEtherStatsEntry, 4),
           ColumnOid(kEtherStatsEntry, 5), ColumnOid(kEtherStatsEntry, 6), ColumnOid(kEtherStatsEntry, 7)},
          [](const ksx::WalkStep& s) -> std::optional<RmonStep> {
              return ParseStep(s, {Kind::Integer, Kind::Dotted, Kind::Octets, Kind::Integer, Kind::Counter,
                                   Kind::Counter, Kind::Counter, Kind::Counter, Kind::Counter});
          }),
      m_historyRead(m_cCommonSNMPTable,
                    {ColumnOid(kHistoryEntry, 1), ColumnOid(kHistoryEntry, 2), ColumnOid(kHistoryEntry, 3),
                     ColumnOid(kHistoryEntry, 4), ColumnOid(kHistoryEntry, 5), ColumnOid(kHistoryEntry, 6),
                     kHistoryControlBucketsGranted},
                    [](const ksx::WalkStep& s) -> std::optional<RmonStep> {
                        return ParseStep(s, {Kind::Integer, Kind::Dotted, Kind::Integer, Kind::Integer,
                                             Kind::Octets, Kind::Integer, Kind::Integer});
                    }),
      m_alarmRead(m_cCommonSNMPTable,
                  {ColumnOid(kAlarmEntry, 1), ColumnOid(kAlarmEntry, 2), ColumnOid(kAlarmEntry, 3),
                   ColumnOid(kAlarmEntry, 4), ColumnOid(kAlarmEntry, 5), ColumnOid(kAlarmEntry, 6),
                   ColumnOid(kAlarmEntry, 7), ColumnOid(kAlarmEntry, 8), ColumnOid(kAlarmEntry, 9),
                   ColumnOid(kAlarmEntry, 10)},
                  [](const ksx::WalkStep& s) -> std::optional<RmonStep> {
                      return ParseStep(
                          s, {Kind::Integer, Kind::Integer, Kind::Dotted, Kind::Integer, Kind::Integer,
                              Kind::Integer, Kind::Integer, Kind::Integer, Kind::Octets, Kind::Integer});
                  }),
      m_eventRead(m_cCommonSNMPTable,
                  {ColumnOid(kEventEntry, 1), ColumnOid(kEventEntry, 2), ColumnOid(kEventEntry, 3),
                   ColumnOid(kEventEntry, 4), ColumnOid(kEventEntry, 5), ColumnOid(kEventEntry, 6),
                   kEventLastTimeSent},
                  [](const ksx::WalkStep& s) -> std::optional<RmonStep> {
                      return ParseStep(s, {Kind::Integer, Kind::Octets, Kind::Integer, Kind::Octets,
                                           Kind::Octets, Kind::Integer, Kind::Counter});
                  }),
      m_communityWalk(m_cCommonSNMPCommunity, {kCommunityNameColumn},
                      [](const ksx::WalkStep& s) -> std::optional<std::pair<std::string, std::string>> {
                          const std::string index = s.Index(0);
                          const std::optional<std::string> name = s.Octets(0);
                          if (index.empty() || !name) {
                              return std::nullopt;
                          }
                          return std::make_pair(index, *name);
                      }),
      m_alarmRefWalk(m_cCommonSNMPAlarmRef, {ColumnOid(kAlarmEntry, 7), ColumnOid(kAlarmEntry, 8)},
                     [](const ksx::WalkStep& s) -> std::optional<RmonStep> {
                         return ParseStep(s, {Kind::Integer, Kind::Integer});
                     }),
      m_eventIndexWalk(
          m_cCommonSNMPCommunity, {ColumnOid(kEventEntry, 1)},
          [](const ksx::WalkStep& s) -> std::optional<RmonStep> { return ParseStep(s, {Kind::Integer}); }) {
    // The counters, the granted buckets and the last time sent come from the standard tables beside
    // the configuration tables: their rows are their own, merged by index.
    m_statisticsRead.SetGroups({0, 0, 0, 0, 1, 1, 1, 1, 1});
    m_historyRead.SetGroups({0, 0, 0, 0, 0, 0, 1});
    m_eventRead.SetGroups({0, 0, 0, 0, 0, 0, 1});
    m_statisticsRead.onRow = [this](const RmonStep& s) { MergeStatistics(s); };
    m_historyRead.onRow = [this](const RmonStep& s) { MergeHistoryControl(s); };
    m_alarmRead.onRow = [this](const RmonStep& s) { MergeAlarm(s); };
    m_eventRead.onRow = [this](const RmonStep& s) { MergeEvent(s); };
    m_statisticsRead.onEnd = [this](const ksx::WalkEnd& e) { WalkEnded(kStatistics, e); };
    m_historyRead.onEnd = [this](const ksx::WalkEnd& e) { WalkEnded(kHistoryControl, e); };
    m_alarmRead.onEnd = [this](const ksx::WalkEnd& e) { WalkEnded(kAlarm, e); };
    m_eventRead.onEnd = [this](const ksx::WalkEnd& e) { WalkEnded(kEvent, e); };

    m_communityWalk.onRow = [this](const std::pair<std::string, std::string>& row) {
        for (size_t i = 0; i < m_communityIndexes.size(); ++i) {
            if (m_communityIndexes[i] == row.first) {
                m_arrCommunityNames[i] = row.second;
                return;
            }
        }
        m_communityIndexes.push_back(row.first);
        m_arrCommunityNames.push_back(row.second);
    };
    m_communityWalk.onEnd = [this](const ksx::WalkEnd& e) {
        m_communityRead = e.Ok();
        if (onCommunityWalkEnd) {
            onCommunityWalkEnd(e);
        }
    };
    m_alarmRefWalk.onRow = [this](const RmonStep& s) { MergeEventRefs(s); };
    m_alarmRefWalk.onEnd = [this](const ksx::WalkEnd& e) {
        m_refsRead = e.Ok() && m_refsComplete;
        if (m_hOwnerWnd != nullptr) {
            m_hOwnerWnd->SendMessage(ksx::WM_RMON_EVENT_REFS_DONE, kEventRefs, 0);
        }
    };
    m_eventIndexWalk.onRow = [this](const RmonStep& s) {
        for (const RmonCell& c : s) {
            if (c.position == 0 && c.number) {
                m_arrEventIndexes.push_back(std::to_string(*c.number));
            }
        }
    };

    for (ksx::WalkReader* r : std::initializer_list<ksx::WalkReader*>{
             &m_statisticsRead, &m_historyRead, &m_alarmRead, &m_eventRead, &m_communityWalk, &m_alarmRefWalk,
             &m_eventIndexWalk}) {
        m_sessions.Add(*r);
    }
    m_sessions.Add(m_cCommonSNMPCommunity);
    m_sessions.Add(m_cCommonSNMPAlarmRef);
}

CRMON::~CRMON() = default;

// ---- table walks ----

bool CRMON::StartStatisticsWalk() {
    // The running walk first: nothing of it reaches the list once it is emptied.
    m_statisticsRead.Detach();
    m_lstStatistics.clear();
    m_tableRead[kStatistics] = false;
    m_statisticsRead.Walk(OnStatisticsWalk, this);
    return true;
}

bool CRMON::StartHistoryControlWalk() {
    m_historyRead.Detach();
    m_lstHistoryControl.clear();
    m_tableRead[kHistoryControl] = false;
    m_historyRead.Walk(OnHistoryControlWalk, this);
    return true;
}

bool CRMON::StartAlarmWalk() {
    m_alarmRead.Detach();
    m_lstAlarm.clear();
    m_tableRead[kAlarm] = false;
    m_alarmRead.Walk(OnAlarmWalk, this);
    return true;
}

bool CRMON::StartEventWalk() {
    m_eventRead.Detach();
    m_lstEvent.clear();
    m_tableRead[kEvent] = false;
    m_eventRead.Walk(OnEventWalk, this);
    return true;
}

bool CRMON::TableWasRead(int table) const {
    return table >= 0 && table < 4 && m_tableRead[table];
}

int CRMON::OnStatisticsWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CRMON*>(userData)->m_statisticsRead.Step(response, requestId, status);
}

int CRMON::OnHistoryControlWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CRMON*>(userData)->m_historyRead.Step(response, requestId, status);
}

int CRMON::OnAlarmWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CRMON*>(userData)->m_alarmRead.Step(response, requestId, status);
}

int CRMON::OnEventWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CRMON*>(userData)->m_eventRead.Step(response, requestId, status);
}

int CRMON::OnCommunityWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CRMON*>(userData)->m_communityWalk.Step(response, requestId, status);
}

int CRMON::OnAlarmEventRefWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CRMON*>(userData)->m_alarmRefWalk.Step(response, requestId, status);
}

int CRMON::OnEventIndexWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CRMON*>(userData)->m_eventIndexWalk.Step(response, requestId, status);
}

void CRMON::WalkEnded(int table, const ksx::WalkEnd& end) {
    m_tableRead[table] = end.Ok();
    if (m_hOwnerWnd != nullptr) {
        m_hOwnerWnd->SendMessage(end.stale ? ksx::WM_SNMP_WALK_STALE : ksx::WM_SNMP_WALK_END,
                                 static_cast<ksx::WPARAM>(table), 0);
    }
}

std::optional<int> CRMON::PortOfDataSource(const std::string& source) {
    const std::string prefix = std::string(kIfIndexColumn) + ".";
    if (source.compare(0, prefix.size(), prefix) != 0) {
        return std::nullopt;
    }
    const std::optional<long long> port = WholeNumber(source.substr(prefix.size()), 10);
    if (!port || *port > INT_MAX) {
        return std::nullopt;
    }
    return static_cast<int>(*port);
}

void CRMON::MergeStatistics(const RmonStep& step) {
    for (const RmonCell& c : step) {
        auto& row = RowOf(
            m_lstStatistics, c.index, [](const RMON_ethernet_statistics_info& r) { return r.control.index; },
            [](int index) {
                RMON_ethernet_statistics_info r;
                r.control.index = index;
                return r;
            });
        switch (c.position) {
            case 0:
                if (c.number) {
                    Mark(row, c);
                }
                break;
            case 1:
                if (c.text) {
                    row.control.port = PortOfDataSource(*c.text).value_or(-1);
                    Mark(row, c);
                }
                break;
            case 2:
                SetText(row, row.control.owner, c);
                break;
            case 3:
                SetInt(row, row.control.status, c);
                break;
            case 4:
                SetCount(row, row.drop_events, c);
                break;
            case 5:
                SetCount(row, row.octets, c);
                break;
            case 6:
                SetCount(row, row.packets, c);
                break;
            case 7:
                SetCount(row, row.broadcast_packets, c);
                break;
            case 8:
                SetCount(row, row.multicast_packets, c);
                break;
            default:
                break;
        }
    }
}

void CRMON::MergeHistoryControl(const RmonStep& step) {
    for (const RmonCell& c : step) {
        auto& row = RowOf(
            m_lstHistoryControl, c.index, [](const RMON_history_control_configuration& r) { return r.index; },
            [](int index) {
                RMON_history_control_configuration r;
                r.index = index;
                return r;
            });
        switch (c.position) {
            case 0:
                if (c.number) {
                    Mark(row, c);
                }
                break;
            case 1:
                if (c.text) {
                    row.port = PortOfDataSource(*c.text).value_or(0);
                    Mark(row, c);
                }
                break;
            case 2:
                SetInt(row, row.buckets_requested, c);
                break;
            case 3:
                SetInt(row, row.interval, c);
                break;
            case 4:
                SetText(row, row.owner, c);
                break;
            case 5:
                SetInt(row, row.status, c);
                break;
            case 6:
                SetInt(row, row.buckets_granted, c);
                break;
            default:
                break;
        }
    }
}

void CRMON::MergeAlarm(const RmonStep& step) {
    for (const RmonCell& c : step) {
        auto& row = RowOf(
            m_lstAlarm, c.index, [](const RMON_alarm_configuration& r) { return r.index; },
            [](int index) {
                RMON_alarm_configuration r;
                r.index = index;
                return r;
            });
        switch (c.position) {
            case 0:
                if (c.number) {
                    Mark(row, c);
                }
                break;
            case 1:
                SetInt(row, row.interval, c);
                break;
            case 2:
                SetText(row, row.variable, c);
                break;
            case 3:
                SetInt(row, row.sample_type, c);
                break;
            case 4:
                SetInt(row, row.rising_threshold, c);
                break;
            case 5:
                SetInt(row, row.falling_threshold, c);
                break;
            case 6:
                SetInt(row, row.rising_event_index, c);
                break;
            case 7:
                SetInt(row, row.falling_event_index, c);
                break;
            case 8:
                SetText(row, row.owner, c);
                break;
            case 9:
                SetInt(row, row.status, c);
                break;
            default:
                break;
        }
    }
}

void CRMON::MergeEvent(const RmonStep& step) {
    for (const RmonCell& c : step) {
        auto& row = RowOf(
            m_lstEvent, c.index, [](const RMON_event_configuration& r) { return r.index; },
            [](int index) {
                RMON_event_configuration r;
                r.index = index;
                return r;
            });
        switch (c.position) {
            case 0:
                if (c.number) {
                    Mark(row, c);
                }
                break;
            case 1:
                SetText(row, row.description, c);
                break;
            case 2:
                SetInt(row, row.type, c);
                break;
            case 3:
                SetText(row, row.community, c);
                break;
            case 4:
                SetText(row, row.owner, c);
                break;
            case 5:
                SetInt(row, row.status, c);
                break;
            case 6:
                if (c.count) {
                    // Hundredths of a second to whole seconds.
                    row.last_time_sent = CUtils::FormatUptime(static_cast<unsigned>(*c.count / 100));
                    Mark(row, c);
                }
                break;
            default:
                break;
        }
    }
}

void CRMON::MergeEventRefs(const RmonStep& step) {
    for (const RmonCell& c : step) {
        auto& ref = RowOf(
            m_arrAlarmEventRefs, c.index, [](const RmonAlarmEventRef& r) { return r.index; },
            [](int index) {
                RmonAlarmEventRef r;
                r.index = index;
                return r;
            });
        if (!c.number) {
            // An alarm whose event is unknown might name any event.
            m_refsComplete = false;
        } else if (c.position == 0) {
            ref.rising = c.number;
        } else if (c.position == 1) {
            ref.falling = c.number;
        }
    }
}

// ---- reference walks ----

void CRMON::StartCommunityWalk() {
    m_communityWalk.Detach();
    m_arrCommunityNames.clear();
    m_communityIndexes.clear();
    m_communityRead = false;
    m_communityWalk.Walk(OnCommunityWalk, this);
}

void CRMON::StartAlarmEventRefWalk() {
    m_alarmRefWalk.Detach();
    m_arrAlarmEventRefs.clear();
    m_refsRead = false;
    m_refsComplete = true;
    m_alarmRefWalk.Walk(OnAlarmEventRefWalk, this);
}

void CRMON::StartEventIndexWalk() {
    m_eventIndexWalk.Detach();
    m_arrEventIndexes.clear();
    m_eventIndexWalk.Walk(OnEventIndexWalk, this);
}

bool CRMON::IsEventUsedByAlarm(const std::string& index) const {
    const std::optional<long long> n = WholeNumber(index, 10);
    if (!n) {
        return false;
    }
    for (const RmonAlarmEventRef& r : m_arrAlarmEventRefs) {
        if ((r.rising && *r.rising == *n) || (r.falling && *r.falling == *n)) {
            return true;
        }
    }
    return false;
}

// ---- global state ----

bool CRMON::GetRmonState(int* enabled) {
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_GET);
    m_cCommonSNMP.AddVarBind(kStateOid, 4, nullptr);
    const ksx::SnmpReply reply = ksx::SendRequest(m_cCommonSNMP);
    const std::optional<long long> state = reply.Integer(0);
    if (!state || enabled == nullptr) {
        return false;
    }
    *enabled = *state == 1 ? 1 : 0;
    return true;
}

bool CRMON::SetRmonState(const int* enabled) {
    const char* value = enabled != nullptr && *enabled == 1 ? "1" : "2";
    return SetValue(SNMP_VARBIND{kStateOid, value, 1, 1});
}

bool CRMON::SetValue(const SNMP_VARBIND& vb) {
    // The request of CModuleBase::SetValues, with the layer's account of its answer kept.
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    if (vb.type == 2) {
        m_cCommonSNMP.AddVarBind(vb.oid, vb.type, vb.value, vb.value != nullptr ? vb.length : 0);
    } else {
        m_cCommonSNMP.AddVarBind(vb.oid, vb.type, vb.value);
    }
    m_lastAnswer = ksx::SendRequest(m_cCommonSNMP, std::atoi(g_strSnmpTimeout.c_str())).Answer();
    return m_lastAnswer.Accepted();
}

ksx::StepOutcome CRMON::LastOutcome() const {
    ksx::StepOutcome outcome = ksx::StepOutcome::Of(m_lastAnswer);
    if (outcome.ok) {
        // Failed without a request of its own going wrong (an active row of that index was there).
        return ksx::StepOutcome::Failed(m_strLastError);
    }
    outcome.failure = m_strLastError;
    return outcome;
}

// ---- row writes ----

SnmpAnswer CRMON::SendStatus(const std::string& oid, const std::string& value) {
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMP.AddVarBind(oid, 1, value.c_str());
    const ksx::SnmpReply reply = ksx::SendRequest(m_cCommonSNMP, std::atoi(g_strSnmpTimeout.c_str()));
    return reply.Answer();
}

ksx::RowStatusAccess CRMON::EntryAccess(const std::string& oid) {
    ksx::RowStatusAccess access = ksx::StatusAccessOn(m_cCommonSNMPTable, oid);
    access.kind = ksx::StatusKind::kEntryStatus;
    access.send = [this, oid](const std::string& v) { return m_lastAnswer = SendStatus(oid, v); };
    access.stopping = [this] { return Stopping(); };
    access.other = &m_other;
    return access;
}

ksx::RowAdded CRMON::ClearStatisticsEntry(int index, int port) {
    m_strLastError.clear();
    const ksx::RowStatusAccess access =
        EntryAccess(ColumnOid(kStatisticsEntry, kStatisticsStatus) + "." + std::to_string(index));
    const ksx::RowAdded cleared = ksx::RemoveInTheWay(access);
    const std::string what = "entry " + std::to_string(index);
    const std::string failed = "Failed to clear the unused entries of port " + std::to_string(port) + ": ";
    if (cleared == ksx::RowAdded::kLeft) {
        m_strLastError = ksx::AnswerText(m_lastAnswer, {what}, failed, "cleared");
    } else {
        m_strLastError = ksx::InTheWayText(cleared, access.kind, what, failed);
    }
    return cleared;
}

bool CRMON::SetStatus(const std::string& oid, const char* value) {
    return SetValue(SNMP_VARBIND{oid, value, 1, 1});
}

bool CRMON::CreateRow(const char* entry, int statusColumn, int index, const std::vector<Column>& columns,
                      const char* what) {
    m_strLastError.clear();
    m_progress.Reset();
    const std::string suffix = "." + std::to_string(index);
    const std::string status = ColumnOid(entry, statusColumn) + suffix;
    const std::string entryName = std::string("the RMON ") + what + " " + std::to_string(index);
    const std::string failed = "Failed to create " + entryName + ": ";

    // An earlier row of this index that is not valid and that this module left under creation (an add
    // cut short) is set invalid first; one another manager is creating only on the user's Yes.
    m_progress.Enter(ksx::AddStage::kCreate);
    ksx::RowStatusAccess access = EntryAccess(status);
    access.readFirst = true;
    access.progress = &m_progress;
    const ksx::RowAdded made = ksx::AddRow(access, "2");
    if (made != ksx::RowAdded::kCreated) {
        m_strLastError = ksx::RowAddedText(made, entryName, failed);
        return false;
    }
    m_progress.Confirm();
    m_progress.Enter(ksx::AddStage::kColumns);
    // From here on the row is ours: a refused step takes it away again.
    std::string step;
    for (const Column& c : columns) {
        if (Stopping()) {
            break;
        }
        const SNMP_VARBIND vb{ColumnOid(entry, c.column) + suffix, c.value.c_str(), c.type,
                              static_cast<int>(c.value.size())};
        if (!SetValue(vb)) {
            step = std::string("the ") + c.name;
            break;
        }
    }
    if (step.empty() && !Stopping()) {
        m_progress.Confirm();
        m_progress.Enter(ksx::AddStage::kActivate);
        if (SetStatus(status, "1")) {
            m_progress.Confirm();
            return true;
        }
        step = "the valid status";
    }
    if (Stopping()) {
        // Stopped: the unfinished row is left for the next creation of this index to set invalid.
        m_strLastError = ksx::StoppedAddText(entryName, m_progress, "created");
        return false;
    }
    // The unfinished row is set invalid, through row creation; what the answer to that leaves on the
    // device is said.
    const SnmpAnswer failedAnswer = m_lastAnswer;
    const bool activation = m_progress.Stage() == ksx::AddStage::kActivate;
    const SnmpAnswer removal = ksx::RemoveOwnRow(access, m_progress.Owner());
    m_strLastError = ksx::AnswerText(failedAnswer, {step}, failed) + " " +
                     ksx::AddUndoneText(failedAnswer, activation, removal, entryName);
    m_lastAnswer = failedAnswer;  // the step that failed, not the clean-up
    return false;
}

bool CRMON::DeleteRow(const char* entry, int statusColumn, int index, const char* what) {
    m_strLastError.clear();
    const std::string status = ColumnOid(entry, statusColumn) + "." + std::to_string(index);
    if (ksx::DeletePickedRow(EntryAccess(status)).Accepted()) {
        return true;
    }
    m_strLastError = ksx::AnswerText(
        m_lastAnswer, {"it"},
        std::string("Failed to delete the RMON ") + what + " " + std::to_string(index) + ": ", "deleted");
    return false;
}

bool CRMON::SetStatisticsEntry(const RMON_ethernet_statistics_configuration& entry) {
    return CreateRow(kStatisticsEntry, kStatisticsStatus, entry.index,
                     {{2, std::string(kIfIndexColumn) + "." + std::to_string(entry.port), 3, "data source"},
                      {3, entry.owner, 2, "owner"}},
                     "Ethernet statistics entry");
}

bool CRMON::SetHistoryControlEntry(const RMON_history_control_configuration& entry) {
    return CreateRow(kHistoryEntry, kHistoryStatus, entry.index,
                     {{2, std::string(kIfIndexColumn) + "." + std::to_string(entry.port), 3, "data source"},
                      {3, std::to_string(entry.buckets_requested), 1, "buckets requested"},
                      {4, std::to_string(entry.interval), 1, "interval"},
                      {5, entry.owner, 2, "owner"}},
                     "history control entry");
}

bool CRMON::SetAlarmEntry(const RMON_alarm_configuration& entry) {
    return CreateRow(kAlarmEntry, kAlarmStatus, entry.index,
                     {{3, entry.variable, 3, "variable"},
                      {2, std::to_string(entry.interval), 1, "interval"},
                      {4, std::to_string(entry.sample_type), 1, "sample type"},
                      {5, std::to_string(entry.rising_threshold), 1, "rising threshold"},
                      {6, std::to_string(entry.falling_threshold), 1, "falling threshold"},
                      {7, std::to_string(entry.rising_event_index), 1, "rising event index"},
                      {8, std::to_string(entry.falling_event_index), 1, "falling event index"},
                      {9, entry.owner, 2, "owner"}},
                     "alarm entry");
}

bool CRMON::SetEventEntry(RMON_event_configuration& entry) {
    if (entry.type == 1 || entry.type == 2) {
        entry.community.clear();
    }
    std::vector<Column> columns = {{2, entry.description, 2, "description"},
                                   {3, std::to_string(entry.type), 1, "type"}};
    if (!entry.community.empty()) {
        columns.push_back({4, entry.community, 2, "community"});
    }
    columns.push_back({5, entry.owner, 2, "owner"});
    return CreateRow(kEventEntry, kEventStatus, entry.index, columns, "event entry");
}

bool CRMON::DeleteStatisticsEntry(int index) {
    return DeleteRow(kStatisticsEntry, kStatisticsStatus, index, "Ethernet statistics entry");
}

bool CRMON::DeleteHistoryControlEntry(int index) {
    return DeleteRow(kHistoryEntry, kHistoryStatus, index, "history control entry");
}

bool CRMON::DeleteAlarmEntry(int index) {
    return DeleteRow(kAlarmEntry, kAlarmStatus, index, "alarm entry");
}

bool CRMON::DeleteEventEntry(int index) {
    return DeleteRow(kEventEntry, kEventStatus, index, "event entry");
}
