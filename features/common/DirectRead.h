// Reads for the windows that build their own SNMP requests over the class library: community-based, an
// asynchronous get-next walk (CSnmpTable4w) and an asynchronous single request (CSnmp4w); with SNMPv3,
// the library's synchronous requests on a thread of the reader's own (CDirectV3Read). Each step's
// reply is copied on the library's thread and handed to the window on the UI thread by a blocking
// message; a reply whose request id is not the pending one is dropped without touching the read that
// replaced it. Release() (from the window's DestroyWindow, after the window stopped taking messages)
// cancels what is outstanding and waits for a callback in progress, so nothing reaches a closed window.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/TableRead.h"
#include "platform/snmplib/Snmp.h"
#include "platform/sys/DeliveryGate.h"

namespace ksx {

// One binding of a reply, copied.
struct DirectBinding {
    std::string oid;
    int type = 0;          // the reply's ASN.1 type byte
    bool present = false;  // a value, not NULL or an exception
    std::string value;     // decimal or dotted text, or the raw octets of a string
};

// A reply as the window receives it: the step's status, the agent's error status and the bindings. The
// bindings of a walk's row or of a get stand in the order of the read's OIDs, one per OID, each where
// its OID puts it (never where it stood in the reply): binding i is column i of the row (or the i-th
// object of a get). A column not read for the row (missing from the reply, an exception value, another
// row's instance) is a binding without value, its OID the column's with the row's instance.
struct DirectReply {
    int status = 0;
    int errorStatus = 0;
    std::vector<DirectBinding> bindings;
    std::string row;  // a walk's row instance (without the leading "."), "" for a get

    // A reply arrived and the agent reported no error.
    bool Accepted() const { return status == 0 && errorStatus == 0; }
    size_t Count() const { return bindings.size(); }
    // The value's text, "" when binding i is missing or has no value (shown as an empty cell).
    std::string Text(size_t i) const;
    bool Has(size_t i) const { return i < bindings.size() && bindings[i].present; }
    // The raw octets of an OCTET STRING binding; nothing for other types or a missing binding.
    std::optional<std::string> Octets(size_t i) const;
    // The instance part of binding i's OID after `column` (without the dot); nothing when the OID does
    // not lie below that column.
    std::optional<std::string> Instance(size_t i, const std::string& column) const;
};

// The text `name` gives column `column`'s value; empty when that column was not read (a missing value
// is no value of any name).
inline std::string Named(const DirectReply& reply, size_t column, std::string (*name)(const std::string&)) {
    return reply.Has(column) ? name(reply.Text(column)) : std::string();
}

// Octets as upper-case hexadecimal pairs joined by ":" ("00:1E:94:4C:20:01" for a MAC address), as many
// as there are.
std::string HexPairs(const std::string& octets);

// Copies a reply (not deleted here), bindings in reply order. Without a reply only the status is set.
DirectReply CopyReply(CSnmp* reply, int status);
// The reply of a walk step, judged by `walk` (ColumnWalk): a row's bindings in column order, or the end
// of the table (status EC_END_OF_WALK), or the agent's error status. Moves the walk on.
DirectReply PlaceWalkReply(ColumnWalk& walk, CSnmp* reply, int status);
// The reply of a get of `oids`: its bindings in the order of `oids`, matched by OID.
DirectReply PlaceGetReply(const std::vector<std::string>& oids, CSnmp* reply, int status);

// Builds a community-based request of `pduType` with `community` and one binding per OID (type 4, no
// value).
void BuildRequest(CSnmpV1& request, int pduType, const std::string& community,
                  const std::vector<std::string>& oids);

// One read of a window: a walk (one reply per row, then its end) or a single request (one reply). The
// replies reach `onReply` on the UI thread, copied. For a walk, a reply with status 0 is a row and the
// handler's answer decides whether the walk goes on (false: a short reply ends it); a reply with another
// status (end of the table, time-out, error, cancel) ends it. A single request delivers its one reply
// whatever its status.
class CDirectRead {
public:
    explicit CDirectRead(bool walk);
    ~CDirectRead();  // Release()
    CDirectRead(const CDirectRead&) = delete;
    CDirectRead& operator=(const CDirectRead&) = delete;

    // UI thread; set before the first start.
    std::function<bool(const DirectReply&)> onReply;
    // UI thread, before a start: one group number per walked column (ColumnWalk); default one table.
    void SetGroups(std::vector<int> groups) {
        std::lock_guard<std::mutex> lk(m_mu);
        m_groups = std::move(groups);
    }

    // Starts a read of `oids` with the read community (SNMP version "1" only: false and nothing sent
    // otherwise; false too while a read of this object is pending, or after Release). `timeoutMs` 0 is
    // the library's default.
    bool Start(const std::vector<std::string>& oids, unsigned long timeoutMs = 0);
    // Ends a pending read first (nothing more of it is delivered), then starts as above. With
    // `cancelPending` false the pending request still goes out, but its reply is no longer delivered.
    bool Restart(const std::vector<std::string>& oids, unsigned long timeoutMs = 0,
                 bool cancelPending = true);
    // Cancels the pending read; nothing more of it is delivered.
    void Cancel();
    bool Pending() const { return PendingId() != 0; }
    // The request id of the step in flight, 0 when none.
    int PendingId() const;
    // Cancels, stops all delivery and deletes the library objects once no callback runs any more (the
    // window's DestroyWindow). Safe to call twice.
    void Release();

private:
    static int OnStep(CSnmp* reply, int requestId, void* userData, int status);
    int Step(CSnmp* reply, int requestId, int status);
    bool StartLocked(const std::vector<std::string>& oids, unsigned long timeoutMs);
    // Sends one request of `oids` (a walk step or the get); under m_mu.
    bool SendLocked(const std::vector<std::string>& oids);
    // UI thread: hands a copied reply to onReply when it still belongs to the pending step.
    bool Deliver(int requestId, const DirectReply& reply);

    const bool m_walk;
    std::atomic<GateTarget> m_target{0};
    unsigned long m_timeoutMs = 0;
    std::string m_agent;
    mutable std::mutex m_mu;  // the request, the pending id and the starts
    int m_pendingId = 0;
    bool m_released = false;
    std::vector<std::string> m_oids;  // the read's columns (or objects)
    std::vector<int> m_groups;
    ColumnWalk m_columnWalk;  // a walk's columns, under m_mu
    std::unique_ptr<CSnmpV1> m_request;
    std::unique_ptr<CSnmp4w> m_sender;
};

// The same reads with the user-based security model (SNMPv3), done with the library's synchronous
// request and walker on a thread of this object's own, so the window stays responsive; the USM set-up
// comes from the connection settings. Replies reach `onReply` on the UI thread as above: a walk's rows
// (status 0) and its end; a get's one reply. A walk also ends, without showing that row, at a binding
// the reply carries without a value (status kMissingValue); a column the reply left out is a cell not
// read, and the row is shown.
class CDirectV3Read {
public:
    static constexpr int kMissingValue = -30;

    CDirectV3Read();
    ~CDirectV3Read();  // Release()
    CDirectV3Read(const CDirectV3Read&) = delete;
    CDirectV3Read& operator=(const CDirectV3Read&) = delete;

    std::function<bool(const DirectReply&)> onReply;
    // Before a start: one group number per walked column (ColumnWalk); default one table.
    void SetGroups(std::vector<int> groups) { m_groups = std::move(groups); }

    // Starts a get (pduType 0) or a get-next walk (1) of `oids`; false while a read runs or after Release.
    bool Start(const std::vector<std::string>& oids, int pduType, unsigned long timeoutMs);
    bool Running() const { return m_running.load(); }
    // Ends a running read (nothing more is delivered) and waits for the thread. Safe to call twice.
    void Release();

    // Sets a request up from the connection settings: message size, security model, user, flags,
    // authentication and privacy.
    static void SetUpUsm(CSnmpV3& request);

private:
    void Run(std::vector<std::string> oids, std::vector<int> groups, int pduType, unsigned long timeoutMs,
             std::string agent);
    bool Deliver(const DirectReply& reply);

    std::atomic<GateTarget> m_target{0};
    std::vector<int> m_groups;  // UI thread
    std::atomic<bool> m_running{false};
    std::mutex m_mu;  // the request in flight and the stop flag
    CSnmpV3* m_request = nullptr;
    bool m_stopped = false;
    std::thread m_thread;
};

}  // namespace ksx
