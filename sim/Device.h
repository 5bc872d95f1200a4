// The simulated device: the object store loaded from a profile plus the declared behaviours
// (row-status and RMON entry-status tables, read-only objects, integer ranges, uptime, save
// configuration, reboot, transfer status progression, live link changes and drifting readings).
// No Net-SNMP here.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "sim/Store.h"

namespace ksxsim {

using Clock = std::chrono::steady_clock;

// SNMPv2 error status values (the agent maps them to SNMPv1 ones for v1 requests).
enum ErrorStatus {
    kNoError = 0,
    kGenErr = 5,
    kNoAccess = 6,
    kWrongType = 7,
    kWrongValue = 10,
    kNoCreation = 11,
    kInconsistentValue = 12,
    kResourceUnavailable = 13,
    kAuthorizationError = 16,
    kNotWritable = 17,
};

struct Binding {
    Oid oid;
    Value value;
};

struct SetResult {
    int status = kNoError;
    size_t index = 0;  // binding that caused it
};

struct DeviceOptions {
    std::string profilePath;
    std::vector<std::string> tables;  // "OIDPREFIX:ROWS:COLS"
    int rebootMs = 3000;              // silence after a reboot request
    int saveMs = -1;                  // busy time of a save; -1: the profile's
    int transferMs = 3000;            // time until a transfer reports success
    bool live = false;
    int liveMs = 2000;
};

class Device {
public:
    // Loads the profile and the generated tables; false with a message on error.
    bool Load(const DeviceOptions& options, std::string* error);
    // Back to the profile's values (a restarted agent). Keeps the options.
    void Reload(Clock::time_point now);

    std::optional<Value> Get(const Oid& oid, Clock::time_point now) const;
    // True when the object's column or group exists (GET answers noSuchInstance rather than noSuchObject).
    bool KnownObject(const Oid& oid) const;
    std::optional<std::pair<Oid, Value>> Next(const Oid& oid, Clock::time_point now) const;

    // Validates the bindings of one SET PDU as a whole; the first failing binding decides.
    SetResult CheckSet(const std::vector<Binding>& bindings) const;
    // Applies a SET that CheckSet accepted, with its side effects.
    void ApplySet(const std::vector<Binding>& bindings, Clock::time_point now);

    // Control protocol: values put directly, bypassing the SET rules. A set cancels pending timed
    // changes of that object.
    void ControlSet(const Oid& oid, const Value& value);
    bool ControlUnset(const Oid& oid);
    // Puts a row of a row-status or entry-status table as another manager would leave it: the row's
    // cells that are missing get the table's defaults, and its status object `statusOid` reads
    // `status`. False when `statusOid` is no status object of a declared table.
    bool ControlRow(const Oid& statusOid, long long status);
    std::optional<Value> ControlGet(const Oid& oid, Clock::time_point now) const { return Get(oid, now); }

    // Timed behaviours: apply everything due; NextEvent is the time of the next one.
    void Tick(Clock::time_point now);
    std::optional<Clock::time_point> NextEvent() const;

    // A reboot request makes the device silent until this time.
    bool Rebooting(Clock::time_point now) const { return now < m_rebootUntil; }

    // Type letter for an OCTET STRING or Unsigned32 received for oid: the stored or declared letter,
    // or 0 when unknown.
    char DeclaredType(const Oid& oid) const;
    int Ports() const { return m_ports; }
    size_t ObjectCount() const { return m_store.Size(); }

private:
    // Where a created row's column takes its value from: the declared default, or its own index.
    enum class FromIndex {
        kNone,
        kLastArc,  // "=@index": the last arc
        kArc,      // "=@arc:N": arc N
        kOctets,   // "=@octets:N": arc N is a length L, arcs N+1..N+L the octets
        kArcRun,   // "=@arcs:N:L": the L arcs from arc N on as octets ("=@arcs:N": to the end of the index)
    };
    struct ColumnDef {
        uint32_t column = 0;
        char type = 'i';
        std::optional<Value> defaultValue;
        FromIndex fromIndex = FromIndex::kNone;
        size_t arc = 0;        // 1-based arc of kArc, kOctets and kArcRun
        size_t runLength = 0;  // octet count of kArcRun, 0: to the end of the index
    };
    struct RowTable {
        Oid entry;
        uint32_t statusColumn = 0;
        bool rmon = false;
        size_t maxRows = 0;  // 0: no limit
        std::vector<ColumnDef> columns;
    };
    // "@within ENTRY SUB SUPER": in every row, the ports (bits) of column SUB lie within column SUPER:
    // SUB ports outside SUPER are refused, ports that leave SUPER leave SUB.
    struct Within {
        Oid entry;
        uint32_t sub = 0;
        uint32_t super = 0;
    };
    // "@keeprow ENTRY INDEX": a row of a row-status table that can be neither destroyed nor taken out
    // of service.
    struct KeptRow {
        Oid entry;
        Oid index;
    };
    struct Access {
        Oid prefix;
        bool readOnly = false;
    };
    struct Range {
        Oid prefix;
        long long lo = 0;
        long long hi = 0;
    };
    struct Transfer {
        Oid operation;
        Oid status;
    };
    // @onset: a SET of `value` on `oid` puts `put` at `target` `ms` later.
    struct OnSet {
        Oid oid;
        std::string value;
        int ms = 0;
        Oid target;
        Value put;
    };
    struct Event {
        Clock::time_point at;
        Oid oid;
        Value value;
    };
    // "@drift OID MIN MAX STEP": a reading that wanders within [lo, hi] in live mode.
    struct Drift {
        Oid oid;
        double lo = 0;
        double hi = 0;
        double step = 0;
    };
    // "@sum OID [-]TERM...": the signed sum of the terms; "@ratio OID NUM DEN FACTOR":
    // NUM / DEN * FACTOR. Recomputed in declaration order after each drift step.
    struct Derived {
        Oid oid;
        bool ratio = false;
        std::vector<std::pair<Oid, double>> terms;  // sum: term and sign; ratio: numerator, denominator
        double factor = 1;
    };

    // "@mirror A B": an object below A and the object below B with the same suffix are one value
    // (a standard MIB's view of enterprise state); a write of either writes both.
    struct Mirror {
        Oid a;
        Oid b;
    };
    // "@bridgetimes MAXAGE HELLO FWD": the three bridge timers (hundredths of a second) keep
    // MaxAge >= 2 * (Hello + 100) and 2 * (Fwd - 100) >= MaxAge after every SET.
    struct BridgeTimes {
        Oid maxAge;
        Oid hello;
        Oid forwardDelay;
    };

    // sim/DeviceRelations.cpp
    bool ParseRelationDirective(const std::vector<std::string>& words, bool* handled, std::string* error);
    std::optional<Oid> Twin(const Oid& oid) const;
    void PutWithTwin(const Oid& oid, const Value& value);
    SetResult CheckRelations(const std::vector<Binding>& bindings) const;

    bool LoadProfile(std::string* error);
    void ResetState(Clock::time_point now);
    bool ParseDirective(const std::string& line, std::string* error);
    bool AddGeneratedTable(const std::string& spec, std::string* error);
    bool CheckReadings(std::string* error) const;
    const RowTable* FindTable(const Oid& oid) const;
    const ColumnDef* FindColumn(const RowTable& table, uint32_t column) const;
    bool ReadOnly(const Oid& oid) const;
    const Range* FindRange(const Oid& oid) const;
    static std::optional<Value> CreatedValue(const ColumnDef& column, const Oid& index);
    size_t RowCount(const RowTable& table) const;
    SetResult CheckWithin(const std::vector<Binding>& bindings) const;
    void RemoveRow(const RowTable& table, const Oid& index);
    void Schedule(Clock::time_point at, const Oid& oid, const Value& value);
    void CancelEvents(const Oid& oid);
    void LiveStep(Clock::time_point now);
    void DriftStep();
    std::optional<double> Number(const Oid& oid) const;
    void PutNumber(const Oid& oid, double value);
    uint32_t UptimeTicks(Clock::time_point now) const;

    DeviceOptions m_options;
    ObjectStore m_store;
    std::vector<RowTable> m_tables;
    std::vector<Within> m_within;
    std::vector<KeptRow> m_keptRows;
    std::vector<Access> m_access;
    std::vector<Range> m_ranges;
    std::vector<Transfer> m_transfers;
    std::vector<OnSet> m_onSets;
    std::vector<Event> m_events;
    std::vector<Drift> m_drifts;
    std::vector<Derived> m_derived;
    std::vector<Mirror> m_mirrors;
    std::vector<BridgeTimes> m_bridgeTimes;
    std::optional<Oid> m_uptimeOid;
    uint32_t m_uptimeBase = 0;
    Clock::time_point m_uptimeStart{};
    std::optional<Oid> m_saveOid;
    int m_saveMs = 1000;
    std::optional<Oid> m_rebootOid;
    Clock::time_point m_rebootUntil{};
    int m_ports = 0;
    Clock::time_point m_nextLive{};
    uint32_t m_liveSeed = 12345;
    uint32_t m_driftSeed = 54321;
};

}  // namespace ksxsim
