// Typed table reads: the walk-callback contract written once.
//
// A reader walks columns (or reads scalars in one step) on a CCommonSNMP session. On the session's
// worker it turns each step's bindings into a typed row; rows and the end of the walk reach the owner on
// the UI thread through the delivery gate, copied, never as a pointer into the worker's stack.
//
//   struct RateRow { std::string port, tx, rx; };
//   ksx::TableRead<RateRow> m_rates{m_session, {kPort, kTx, kRx},
//       [](const ksx::WalkStep& s) { return RateRow{s.Text(0), s.Text(1), s.Text(2)}; }};
//   ...
//   m_rates.onRow = [this](const RateRow& r) { AddRow(r); };          // UI thread
//   m_rates.onEnd = [this](const ksx::WalkEnd& e) { Enable(true); };  // UI thread
//   m_rates.Walk();
//
// The contract, per step (the session's worker, the session's lock free):
//   - a reply whose request id is no longer pending is stale: released, the done event signalled, and
//     reported as an end with `stale` set (dropped when the reader was closed, as it then always is);
//   - a non-zero status ends the walk: done signalled, the end delivered with that status;
//   - a reply carrying an SNMP error status ends the walk with kWalkErrorStatus;
//   - status 0: each binding is given to the column whose OID it extends (never to its position in the
//     reply) and the row is the instance it names (ColumnWalk below); the parse function builds the row
//     from the columns read for that row (a column not read gives empty/nothing); the row is delivered
//     (blocking, so the next request follows the owner's handling as it always did), then the next step
//     asks each live column from the row's instance (or, for a one-step read, the done event is
//     signalled and the end delivered with status 0);
//   - the response is released on every path.
// After Close() (or a new Walk/Read) no row or end of the earlier walk is delivered any more.
//
// Threads: Walk, Read, Close and the handlers are the owner's (UI) thread; the parse function runs on
// the worker and must touch only its arguments (or data it locks itself).
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/CommonSNMP.h"
#include "platform/sys/Closable.h"
#include "platform/sys/DeliveryGate.h"

namespace ksx {

// The column rule of a get-next walk, for every reader that walks columns.
//
// A binding belongs to the column whose OID it extends and to the row its instance names, never to its
// position in the reply. In each step the row is the lowest instance the columns returned; a column
// that returned a later instance (a hole in that column), that is missing from the reply, or that
// carries an exception value is not read for this row. A column that ran past its own subtree (or hit
// the end of the MIB) ends, for that column only. The next request asks each live column from the
// row's instance, so no step re-asks a bare column once a row was read and a column with a hole is
// asked again for its later row. The walk ends when every column ended or a step named no row (of the
// first group, see below).
// When every column answers every row, the requests are those of a plain get-next walk that continues
// from the OIDs each step returned.
//
// Columns may be grouped (one group per table when a walk reads two tables beside each other): each
// group has rows of its own; the first group (group 0) is the walked table, and the walk ends with it.
class ColumnWalk {
public:
    explicit ColumnWalk(std::vector<std::string> columns = {}, std::vector<int> groups = {});

    // The OIDs of the next request, one per live column, in column order.
    std::vector<std::string> Request() const;
    bool Ended() const;

    struct Judged {
        int status = 0;                // 0 a row; kWalkEndOfTable; or the agent's error status
        std::vector<int> binding;      // per column: the reply binding read for this row, -1 when none
        std::vector<std::string> row;  // per column: its group's row instance ("" when none)
    };
    // Judges the reply to the last Request() and moves the walk on.
    Judged Judge(const CSnmp* reply);

    const std::vector<std::string>& Columns() const { return m_columns; }
    int Group(int column) const { return m_group[static_cast<size_t>(column)]; }

private:
    std::vector<std::string> m_columns;
    std::vector<int> m_group;        // per column
    std::vector<bool> m_ended;       // per column
    std::vector<std::string> m_row;  // per group: the last row read ("" before the first)
};

// Numeric order of two dotted OIDs or instances: <0, 0, >0.
int CompareOids(const std::string& a, const std::string& b);
// The instance of `oid` below `column` without the leading "."; nothing when `oid` is not below it.
std::optional<std::string> InstanceBelow(const std::string& column, const std::string& oid);
// Matches the bindings of a get reply to the requested OIDs by OID (a binding naming no requested
// object, or naming one already matched, is left out): per requested OID the binding, -1 when none.
std::vector<int> MatchByOid(const std::vector<std::string>& requested, const CSnmp* reply);

// End statuses besides the library's (0 a one-step read answered, -1 time-out, -2 end of the columns).
constexpr int kWalkEndOfTable = CSnmp4w::EC_END_OF_WALK;
constexpr int kWalkTimeout = CSnmp4w::EC_TIMEOUT;
constexpr int kWalkErrorStatus = -20;  // the reply carried an SNMP error status
constexpr int kWalkBadReply = -21;     // the parse function rejected the reply

// One answered step, valid during the parse call only.
class WalkStep {
public:
    // `binding`: per column the reply binding read for this row (-1: not read); `row`: per column the
    // row instance.
    WalkStep(CSnmp* response, std::vector<int> binding, std::vector<std::string> row);
    // A step over a reply read outside a walk, in the order its bindings were asked for (binding i as
    // column i, as far as the reply goes); no row instance.
    WalkStep(CCommonSNMP& session, CSnmp* response, int columns);

    // Bindings the reply carries, and the columns the read asked for.
    int Count() const { return m_count; }
    int Columns() const { return static_cast<int>(m_binding.size()); }
    // Whether column i was read for this row (its binding is there, names this row, and is no
    // exception value).
    bool Has(int i) const { return Binding(i) >= 0; }
    // Value of column i as text (raw octets for strings); empty when the column was not read.
    std::string Text(int i) const;
    // Leading decimal number of column i; `fallback` when not read or for a value without digits.
    int Int(int i, int fallback = 0) const;
    // The row's instance (for column i's table), without the leading "." ("1.4.10.0.0.1"); empty when
    // none (a one-step read).
    std::string Index(int i = 0) const;
    // The instance as a number (the first sub-identifier); `fallback` when there is none.
    int IndexInt(int i = 0, int fallback = 0) const;
    // Checked reads (core/SnmpReply.h): a value only when column i was read, is no exception value,
    // has the type asked for and parses whole; otherwise the value was not read, exactly as if its
    // request had timed out. Text() and Int() above are for values a dialog only shows.
    std::optional<std::string> Octets(int i) const;
    std::optional<long long> Integer(int i) const;
    std::optional<unsigned long long> Unsigned(int i) const;
    std::optional<std::string> Dotted(int i) const;
    std::optional<std::string> Any(int i) const;
    // Ends the walk with kWalkBadReply instead of delivering a row.
    void Reject() const { m_rejected = true; }
    bool Rejected() const { return m_rejected; }

private:
    int Binding(int i) const {
        return i >= 0 && static_cast<size_t>(i) < m_binding.size() ? m_binding[static_cast<size_t>(i)] : -1;
    }
    CSnmp* m_response;
    int m_count;
    std::vector<int> m_binding;
    std::vector<std::string> m_row;
    mutable bool m_rejected = false;
};

struct WalkEnd {
    int status = 0;      // 0 (one-step read answered), kWalkEndOfTable, kWalkTimeout, other errors
    bool stale = false;  // ended by a reply that no longer belonged to the walk
    int rows = 0;        // rows parsed by this walk
    bool AtEnd() const { return status == kWalkEndOfTable; }
    bool TimedOut() const { return status == kWalkTimeout; }
    // The read ended as it should: a walk at the end of its table, a one-step read answered.
    bool Ok() const { return !stale && (status == 0 || status == kWalkEndOfTable); }
    // The read of the owner failed (no answer, an error, a refused or unparsable reply, an SNMPv3
    // failure): what the owner says as a failed read. A cancel at shutdown is none.
    bool Failed() const { return !stale && !Ok() && status != CSnmp4w::EC_CANCELLED; }
};

// The untyped part: the contract and the delivery.
class WalkReader : public IClosable {
public:
    // `oids`: the walked columns (or the scalars of a one-step read), in binding order.
    WalkReader(CCommonSNMP& session, std::vector<std::string> oids);
    // Ends the walk and joins the session's worker: the session must outlive the reader.
    virtual ~WalkReader();
    WalkReader(const WalkReader&) = delete;
    WalkReader& operator=(const WalkReader&) = delete;

    // Starts a get-next walk of the columns. `firstTimeoutMs` for the first step, `nextTimeoutMs` for the
    // following ones (-1: the same; 0: the session's default).
    void Walk(int firstTimeoutMs = 0, int nextTimeoutMs = -1);
    // One get of the objects as a single step: the row (when answered) then the end.
    void Read(int timeoutMs = 0);
    // As Walk/Read, but the steps arrive through `entry` with `userData`, which must hand them to Step():
    // for callbacks whose name and signature the system keeps.
    void Walk(SNMPWALKPROC entry, void* userData, int firstTimeoutMs = 0, int nextTimeoutMs = -1);
    void Read(SNMPWALKPROC entry, void* userData, int timeoutMs = 0);
    // Runs the contract for one step; `entry` callbacks return its result.
    int Step(CSnmp* response, int requestId, int status);

    // Owner's thread: nothing of the running walk is delivered any more; closes the session (waits for
    // the step in flight). The reader can walk again afterwards.
    void Close();
    // Owner's thread: drops what the running walk would still deliver, without closing the session.
    void Detach();
    // A window that owns the reader detaches it when it ends (its session is closed on its own).
    void CloseForOwner() override { Detach(); }

    CCommonSNMP& Session() const { return m_session; }
    const std::vector<std::string>& Oids() const { return m_oids; }
    // Owner's thread, before Walk: one group number per column; columns of one group are one table
    // (see ColumnWalk). Default: all columns one table.
    void SetGroups(std::vector<int> groups) { m_groups = std::move(groups); }
    bool Running() const { return m_running; }
    int Rows() const { return m_rows.load(); }

    // UI thread; set before Walk/Read.
    std::function<void(const WalkEnd&)> onEnd;

protected:
    // Worker: builds and delivers the row of an answered step.
    virtual void OnStep(const WalkStep& step) = 0;
    // Owner's thread, at the start of a walk: whether rows go to the owner at all.
    virtual bool WantsRows() const { return false; }
    bool DeliversRows() const { return m_deliverRows; }
    // Worker: runs fn on the owner's thread and waits for it; skipped once the walk is no longer current.
    void DeliverNow(std::function<void()> fn);

private:
    void Start(int kind, SNMPWALKPROC entry, void* userData, int firstTimeoutMs, int nextTimeoutMs);
    void Finish(int status, bool stale);
    // Owner's thread: the read no longer holds a failure's reason back (ksx::HoldFailureNotes).
    void StopHolding();
    static int Entry(CSnmp* response, int requestId, void* userData, int status);

    CCommonSNMP& m_session;
    const std::vector<std::string> m_oids;
    std::atomic<GateTarget> m_target{0};
    std::atomic<unsigned> m_generation{0};
    std::atomic<int> m_rows{0};
    bool m_running = false;  // owner's thread
    bool m_holding = false;  // owner's thread: holds failure reasons back while it runs
    // Set by Start before the first step, read by the worker.
    bool m_oneStep = false;
    bool m_deliverRows = false;
    std::vector<int> m_groups;
    ColumnWalk m_walk;  // the worker's, between steps
    SNMPWALKPROC m_entry = nullptr;
    void* m_userData = nullptr;
    int m_nextTimeout = 0;
};

// A reader whose rows are of type Row. `parse` runs on the worker; returning no row skips the step
// (the walk goes on), step.Reject() ends it with kWalkBadReply.
template <class Row>
class TableRead : public WalkReader {
public:
    using Parse = std::function<std::optional<Row>(const WalkStep&)>;

    TableRead(CCommonSNMP& session, std::vector<std::string> oids, Parse parse)
        : WalkReader(session, std::move(oids)), m_parse(std::move(parse)) {}

    // UI thread; unset: rows are parsed (the parse may keep them itself) and not delivered.
    std::function<void(const Row&)> onRow;

protected:
    bool WantsRows() const override { return static_cast<bool>(onRow); }
    void OnStep(const WalkStep& step) override {
        std::optional<Row> row = m_parse(step);
        if (!row || step.Rejected() || !DeliversRows()) {
            return;
        }
        DeliverNow([this, r = std::move(*row)] {
            if (onRow) {
                onRow(r);
            }
        });
    }

private:
    Parse m_parse;
};

// The sessions of one owner, closed together in the order they were added. Readers are detached first
// (nothing more reaches the owner), then every session is closed.
class SessionSet : public IClosable {
public:
    void Add(CCommonSNMP& session);
    void Add(WalkReader& reader);
    void CloseAll();
    void CloseForOwner() override { CloseAll(); }

private:
    std::vector<CCommonSNMP*> m_sessions;
    std::vector<WalkReader*> m_readers;
};

}  // namespace ksx
