// One SNMP session to the managed device: picks the community-based or USM request object from the
// connection settings, prepares one PDU at a time, sends it synchronously, or walks table columns on a
// worker thread of its own and hands each step to a callback with a request id.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/snmplib/Snmp.h"
#include "platform/sys/Closable.h"
#include "platform/sys/Event.h"
#include "platform/sys/Lock.h"
#include "platform/sys/WorkerThread.h"

// Walk callback: (response, request id, user data, status). Runs on the session's worker thread with
// the lock free; it owns the response. Its result is ignored.
typedef int (*SNMPWALKPROC)(CSnmp* response, int requestId, void* userData, int status);

// What the user is told when the agent refused the SNMPv3 credentials (CSnmp4w::EC_AUTH_FAILED): the
// user name of the connection settings is named.
std::string SnmpAuthFailedText();
// "SNMPv3 privacy failed for user <name>: check the privacy password."
std::string SnmpPrivFailedText();
// The text that names an SNMPv3 failure status (EC_AUTH_FAILED, EC_PRIV_FAILED); empty for any other.
std::string SnmpV3FailureText(int status);
// A request ended on `status`: an SNMPv3 failure is told once, by the next box the window shows or in a
// box of its own (ksx::NoteFailure). On another thread the note is posted to the UI thread, ahead of what
// that thread posts afterwards (the end of its run). Any other status: nothing.
void NoteSnmpV3Failure(int status);
// A read over SNMPv3 failed on `status` (not a cancel): notes the failure as NoteSnmpV3Failure does and
// returns the text of the box that names it.
std::string NoteSnmpV3ReadFailure(int status);

// Process-wide request counter; each requested walk step takes the next value, the first being 1.
extern std::atomic<int> g_nSnmpRequestID;

class CCommonSNMP : public ksx::IClosable {
public:
    // Request kinds for Open.
    enum { REQUEST_GET = 0, REQUEST_GETNEXT = 1, REQUEST_SET = 3 };

    CCommonSNMP();
    virtual ~CCommonSNMP();
    CCommonSNMP(const CCommonSNMP&) = delete;
    CCommonSNMP& operator=(const CCommonSNMP&) = delete;

    // Prepares an empty PDU of this kind (0 get, 1 get-next, 3 set); ends a walk in progress first.
    bool Open(int requestKind);
    // Appends one binding: text value (null for reads), or `length` octets.
    int AddVarBind(const std::string& oid, int type, const char* value);
    int AddVarBind(const std::string& oid, int type, const char* value, int length);
    // Sends the pending PDU; a time-out of 0 means the time-out setting. The call returns within that
    // time-out also while a walk step holds the session (EC_TIMEOUT, nothing sent), and at once with
    // EC_CANCELLED once the process cancels all requests. The caller deletes the response.
    int Send(CSnmp*& response, int timeoutMs = 0);
    // As Send, through the table walker: a get-next continues from the OIDs the last call returned.
    int GetNext(CSnmp*& response, int timeoutMs = 0);
    // Instance suffix (".5") of a response binding after its walked column.
    int GetResponseOid(int index, CSnmp* response, char** suffix);
    // Requests one walk step on the worker thread; the callback gets its response. Always -1.
    int StartAsyncWalk(SNMPWALKPROC callback, void* userData, int ignored, int timeoutMs);
    int StartAsyncWalk(SNMPWALKPROC callback, void* userData, int timeoutMs);
    // As StartAsyncWalk, for a walk whose reader places the bindings itself: the step is one plain
    // get-next of exactly `oids` (the pending PDU becomes those bindings), the reply as the agent sent
    // it, error status and exception values included. Until the next Open, every step of this session
    // is sent that way.
    int StartAsyncStep(SNMPWALKPROC callback, void* userData, const std::vector<std::string>& oids,
                       int timeoutMs);
    // 1 if the id was pending (it is removed), else 0.
    int FindRequestID(int requestId);
    void SetDone();
    // Refuses further walk steps, cancels the step in flight and waits for the walk to end.
    void Close();
    // Any thread: the request in flight (a Send of another thread included) returns EC_CANCELLED at
    // once; so does a later Send of the same PDU. A PDU built afterwards (Open) goes out as usual.
    void Cancel() { CancelStep(); }
    // The process-wide cancel of an ending process (SnmpCancelAll) leaves this session's requests alone
    // from now on; Cancel still ends them. Only for work the process finishes before it ends.
    void OutliveCancelAll() {
        if (m_pSnmp) {
            m_pSnmp->outliveCancelAll();
        }
    }
    // A window that owns the session closes it when it ends.
    void CloseForOwner() override { Close(); }

    // Read-only views for owners and tests.
    bool IsDone() const { return m_hDone.IsSet(); }
    bool IsClosed() const { return m_bClosed.load(); }
    bool WaitDone(unsigned ms) { return m_hDone.Wait(ms); }
    int PendingRequestCount() const;
    // The pending PDU's kind (0 get, 1 get-next, 3 set) and OIDs, in binding order.
    int PendingKind() const;
    std::vector<std::string> PendingOids() const;
    int LastRequestID() const { return m_nRequestID.load(); }
    // Of the last Send or GetNext of this thread's use: the request went out (SnmpAnswer's kNotSent
    // otherwise), went out again, and a status without a reply rests on inference (SnmpSent). Not sent
    // when it never reached the library (no PDU, the session held by a walk step).
    SnmpSent LastSent() const { return {m_bLastSent.load(), m_bLastResent.load(), m_bLastInferred.load()}; }
    const std::string& Agent() const { return m_szAgent; }

private:
    void ConfigureV3();
    int SendWithin(CSnmp*& response, int timeoutMs, bool walk);
    void WalkThreadProc();
    void CancelStep();
    // Ends the worker: cancels its step, abandons its sends to the UI thread, joins it.
    void StopWorker();
    // Keeps the kind and OIDs of the pending PDU for PendingKind/PendingOids (kind -1: only `oid`).
    void NotePending(int kind, const std::string* oid);
    bool HasPdu() const { return m_pSnmp && m_pTable && m_pSnmp->getVarBindCount() > 0; }

    int m_nVersion;
    std::unique_ptr<CSnmpV1> m_pSnmp;  // a CSnmpV3 for version 3; holds the pending PDU
    std::unique_ptr<CSnmpTable> m_pTable;
    std::string m_szAgent;  // device address and UDP port
    int m_nTimeout;
    std::vector<int> m_aRequestIDs;
    mutable std::mutex m_idLock;  // guards m_aRequestIDs
    ksx::CEvent m_hDone{true, true};
    ksx::CLock m_hLock;
    std::atomic<bool> m_bClosed{false};
    std::string m_szReadCommunity;
    std::string m_szWriteCommunity;
    std::string m_strSecLevel;
    std::string m_strAuthProtocol;
    std::string m_strPrivProtocol;
    std::string m_szUserName;
    std::string m_szAuthPassword;
    std::string m_szPrivPassword;
    ksx::CWorkerThread m_hThread;
    bool m_bWorkerAlive = false;             // under m_hLock: the worker has not yet decided to end
    ksx::CEvent m_hWorkerEnded{true, true};  // set as the worker's last act
    std::atomic<bool> m_bRunning{false};
    std::atomic<bool> m_bStopping{false};  // Open or the destructor is ending the worker
    mutable std::mutex m_pendingLock;      // guards the two below
    int m_nPendingKind = -1;
    std::vector<std::string> m_aPendingOids;
    bool m_bPlainSteps = false;  // under m_hLock: steps sent as they stand (StartAsyncStep)
    SNMPWALKPROC m_pfnCallback = nullptr;
    void* m_pUserData = nullptr;
    int m_nWalkTimeout;
    std::atomic<int> m_nRequestID{0};
    std::atomic<bool> m_bLastSent{false};
    std::atomic<bool> m_bLastResent{false};
    std::atomic<bool> m_bLastInferred{false};
};
