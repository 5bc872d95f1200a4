// SNMP class library layer: request objects, table walker and asynchronous requests over Net-SNMP.
// One Net-SNMP single session per request object; no Qt here.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class CSnmp;
class CSnmp4w;

// Of one exchange: any copy of the request went out (`sent`), a copy went out again (`resent`: a time-out's
// share, an SNMPv3 engine change), and a status without a reply rests on inference rather than the
// device's word (`inferred`: an SNMPv3 report without authentication, the privacy check by probes).
struct SnmpSent {
    bool sent = false;
    bool resent = false;
    bool inferred = false;
    explicit operator bool() const { return sent; }
};
namespace ksx::snmp {
struct Credentials;
}

// Library start-up: SnmpInit runs Net-SNMP's init once per process; SetSnmpTimeout sets the default
// time-out used when a caller passes 0 to a request that has no time-out of its own.
int SnmpInit(void* app = nullptr);
void SetSnmpTimeout(int milliseconds);
int GetSnmpTimeout();

// Ends every request of the process, the ones waiting now and every later one, at once with
// CSnmp4w::EC_CANCELLED: for a process that is ending (SIGTERM). Cannot be undone. Safe to call from a
// signal handler.
// Sessions marked with CSnmpV1::outliveCancelAll are left alone: the work a process finishes before
// it ends.
void SnmpCancelAll();
bool SnmpAllCancelled();

// Called on a thread that is about to wait for one of the library's worker threads (destroying a
// CSnmp4w while its callback runs); the returned guard lives for the wait. The layer that owns the
// delivery gate installs one at start-up so that a callback blocked in a send to the waiting thread is
// abandoned instead of waiting for it. None by default.
using SnmpWaitHook = std::shared_ptr<void> (*)(std::thread::id worker);
void SetSnmpWaitHook(SnmpWaitHook hook);

// Value type codes of addValue (the library's codes as callers use them).
enum SnmpValueType {
    SNMP_TYPE_INTEGER = 1,
    SNMP_TYPE_OCTETS = 2,
    SNMP_TYPE_OID = 3,
    SNMP_TYPE_NULL = 4,
    SNMP_TYPE_IPADDRESS = 8,
    SNMP_TYPE_UNSIGNED = 10,
};

// ASN.1 type bytes that a reply binding carries (SnmpVarBind::type of a reply).
enum SnmpReplyType {
    SNMP_REPLY_INTEGER = 0x02,
    SNMP_REPLY_OCTETS = 0x04,
    SNMP_REPLY_NULL = 0x05,
    SNMP_REPLY_OID = 0x06,
    SNMP_REPLY_IPADDRESS = 0x40,
    SNMP_REPLY_COUNTER = 0x41,
    SNMP_REPLY_GAUGE = 0x42,  // also Unsigned32
    SNMP_REPLY_TIMETICKS = 0x43,
    SNMP_REPLY_OPAQUE = 0x44,
    SNMP_REPLY_COUNTER64 = 0x46,
    SNMP_REPLY_UNSIGNED = 0x47,
    SNMP_REPLY_NO_SUCH_OBJECT = 0x80,
    SNMP_REPLY_NO_SUCH_INSTANCE = 0x81,
    SNMP_REPLY_END_OF_MIB_VIEW = 0x82,
};

// One variable binding, pending in a request or received in a reply.
struct SnmpVarBind {
    std::string oid;            // dotted text, no leading dot
    int type = SNMP_TYPE_NULL;  // request: the caller's code; reply: the ASN.1 type byte of the value
    std::string value;          // request: value text or octets; reply: decimal/dotted text or raw octets
};

// A request (pending PDU) or a reply. Replies are owned by whoever received them and deleted with delete.
class CSnmp {
public:
    virtual ~CSnmp();

    void clearVarBindList();
    // Appends one binding from text (value may be null: an empty value).
    int addValue(const char* oid, int type, const char* value);
    // Appends one binding whose value is `length` octets (zero allowed).
    int addValue(const char* oid, int type, const char* value, int length);

    virtual int getVarBindCount() const;
    // Reply: error status and index (0 = no error). v2 exceptions read as status 2 at their index.
    virtual int getErrorStatus(int* errorStatus, int* errorIndex) const;
    // Reply: the value of binding i: decimal text for integer-like types, raw octets for OCTET STRING and
    // Opaque, dotted text for IpAddress and OBJECT IDENTIFIER. The buffer is NUL-terminated and owned by
    // this object. Returns 0, or -1 for a bad index.
    virtual int getValue(int index, int* length, char** value);
    // Reply: the OID of binding i as dotted text (owned by this object), null for a bad index.
    const char* getOid(int index) const;
    // Reply: the value of binding i as text, null when it has none (NULL type, exceptions).
    const char* getValueText(int index) const;

    const std::vector<SnmpVarBind>& varBinds() const { return m_varBinds; }
    int getType() const { return m_pduType; }
    int getRequestId() const { return m_requestId; }
    // Reply: the request had gone out more than once (a resend within the time-out) when this answer
    // came. The copies carry one request id, so the answer may be to any of them: a refused write may
    // be the refusal of a resend after its first copy was applied. Set before the reply is handed over.
    bool afterResend() const { return m_afterResend; }

protected:
    CSnmp() = default;
    friend class CSnmpSession;
    friend class CSnmpTable;
    friend class CSnmp4w;
    friend class CSnmpTable4w;

    // Marks the pending PDU as changed: a walk over it starts over and an earlier cancel no longer applies.
    void touchPdu();

    int m_pduType = 0;  // 0 get, 1 get-next, 3 set
    int m_requestId = 0;
    int m_errorStatus = 0;
    int m_errorIndex = 0;
    bool m_afterResend = false;
    std::vector<SnmpVarBind> m_varBinds;
    std::vector<std::string> m_scratch;        // NUL-terminated copies handed out by getValue
    std::atomic<uint64_t> m_pduGeneration{0};  // process-wide unique per PDU content
};

// Community-based (SNMPv1) request object.
class CSnmpV1 : public CSnmp {
public:
    explicit CSnmpV1(int type = 0);
    ~CSnmpV1() override;

    void setType(int type);  // 0 get, 1 get-next, 3 set; 2 is kept and refused at send
    void setCommunity(const char* community);
    const std::string& community() const { return m_community; }

    // Sends the pending PDU to agent (address, or address:port / [v6]:port) and waits up to timeoutMs
    // (0 = the library default). Status 0 and a new reply in `response`, or a non-zero status.
    virtual int send(const char* agent, CSnmp*& response, unsigned long timeoutMs);

    // Cancels from any thread: the step in flight returns CSnmp4w::EC_CANCELLED at once, and so does every
    // later step over the same pending PDU (a walk being closed stays closed even when the cancel comes
    // just before its next step). Rebuilding the PDU (setType, clearVarBindList, addValue) or
    // resetCancel() clears it. Harmless when nothing is in flight.
    void cancel();
    void resetCancel();
    // From now on SnmpCancelAll leaves this object's requests alone; cancel() still ends them. For the
    // few requests an ending process must still make (putting back what a stopped write changed), each
    // bounded by its own time-out. Cannot be undone. Any thread.
    void outliveCancelAll();
    // Of the last send or walk step: whether the request itself went out, went out again, and whether a
    // status without a reply rests on inference rather than the device's word (see SnmpAnswer).
    SnmpSent lastRequestSent() const;

protected:
    // The security parameters of this object (community, or the USM settings of a CSnmpV3).
    void credentials(ksx::snmp::Credentials& out) const;
    // Sends `binds` as a PDU of `pduType` with this object's parameters and session.
    int exchange(const char* agent, int pduType, const std::vector<SnmpVarBind>& binds, CSnmp*& response,
                 unsigned long timeoutMs);

    std::string m_community = "public";
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    friend class CSnmpTable;
    friend class CSnmp4w;
    friend class CSnmpTable4w;
};

// SNMPv3 USM request object.
class CSnmpV3 : public CSnmpV1 {
public:
    explicit CSnmpV3(int type = 0);
    ~CSnmpV3() override;

    void setMsgMaxSize(int size);
    void setMsgSecurityModel(int model);
    void setUserName(const char* user);
    void setMsgFlags(char flags);  // 0 noAuthNoPriv, 1 authNoPriv, 3 authPriv
    void setAuthArith(int arith);  // 0 HMAC-MD5, 1 HMAC-SHA-1
    void setAuthPwd(const unsigned char* pwd, int length);
    void setPriArith(int arith);  // 0 CBC-DES (1 AES-128, an extension)
    void setPriPwd(const unsigned char* pwd, int length);

    int send(const char* agent, CSnmp*& response, unsigned long timeoutMs) override;

private:
    friend class CSnmpV1;
    int m_msgMaxSize = 1024;
    int m_securityModel = 3;
    std::string m_userName;
    int m_msgFlags = 0;
    int m_authArith = 0;
    std::string m_authPwd;
    int m_priArith = 0;
    std::string m_priPwd;
};

// How the device answered one request: the one account every write is said from.
//   kAccepted:   a reply without an error status;
//   kRefused:    a reply with an error status (its status and index), or an SNMPv3 report, in the
//                device's own word, that the agent did not take the request (its credentials, its privacy);
//   kUnanswered: a copy of the request went out and no copy was answered within the time-out, the wait
//                was cancelled after it went out, a later copy could not be sent, or the cause named
//                rests on inference (SnmpSent::inferred): the device may have applied it;
//   kNotSent:    no copy ever went out: stopped before it was sent, the send failed, the address did not
//                resolve, the request could not be built.
enum class SnmpOutcome { kAccepted, kRefused, kUnanswered, kNotSent };
struct SnmpAnswer {
    SnmpOutcome outcome = SnmpOutcome::kNotSent;
    int status = 0;       // the layer's status of the exchange (0 or a CSnmp4w code)
    int errorStatus = 0;  // kRefused by a reply: the device's error status and index
    int errorIndex = 0;
    bool resent = false;  // a copy went out again before the answer came (a time-out's share, an SNMPv3
                          // engine change): a refusal may answer the resend while the first copy was applied
    bool Accepted() const { return outcome == SnmpOutcome::kAccepted; }
    bool Refused() const { return outcome == SnmpOutcome::kRefused; }
    bool Unanswered() const { return outcome == SnmpOutcome::kUnanswered; }
    bool NotSent() const { return outcome == SnmpOutcome::kNotSent; }
};
// Classifies the end of one exchange: its status, its reply (may be null) and what went out
// (CSnmpV1::lastRequestSent). The resend mark comes from the reply or, without one, from `sent`.
SnmpAnswer ClassifyAnswer(int status, const CSnmp* reply, const SnmpSent& sent);
inline SnmpAnswer ClassifyAnswer(int status, const CSnmp* reply, bool sent) {
    return ClassifyAnswer(status, reply, SnmpSent{sent, false, false});
}

// Status codes of send, getNext and the asynchronous callbacks.
class CSnmp4w {
public:
    enum {
        EC_NO_ERROR = 0,
        EC_TIMEOUT = -1,
        EC_END_OF_WALK = -2,
        EC_SEND_FAILED = -3,
        EC_BAD_AGENT = -4,
        EC_CANCELLED = -5,
        EC_REFUSED = -6,
        // SNMPv3: a report that the agent did not accept the user's credentials: a wrong digest, an
        // unknown user or a security level the user does not have. A report without authentication (the
        // way an agent sends these, and anyone may) is taken only when no authenticated answer to any copy
        // of the request came within one attempt's share after it (the outcome then rests on inference).
        EC_AUTH_FAILED = -7,
        // SNMPv3 authPriv: the privacy password is wrong, on evidence only: a report of a decryption error
        // (taken as above), or (a request its privacy key decrypts into garbage is dropped without a
        // report) the request went unanswered while the agent then answered the user without privacy and
        // left a get with privacy, sent right after, unanswered within a few of that answer's round
        // trips (at most the request's time-out). A device that does not answer, or answers again by
        // then, is a time-out.
        EC_PRIV_FAILED = -8,
    };

    // Callback of asynchronous requests: (reply, request id, user data, status). Runs on the library's
    // thread, never before the start call has returned. The callee owns and deletes the reply.
    using Callback = int (*)(CSnmp* reply, int requestId, void* userData, int status);

    explicit CSnmp4w(CSnmp* request = nullptr);
    virtual ~CSnmp4w();  // waits for a callback in flight; a request not yet answered is cancelled

    void attach(CSnmp* request);  // not owned; its PDU is copied at start
    // Sends the attached request; returns 0 when started (the request id is readable at once), or an
    // error status without any callback.
    int start(const char* agent, Callback cb, void* userData, unsigned long timeoutMs = 0, int reserved = 0);
    int getRequestId() const { return m_requestId.load(); }
    // Cancels the step in flight and the steps already started: their callbacks get EC_CANCELLED.
    // Later starts are not affected.
    void cancel();
    // The library thread that runs this object's callbacks (default id before the first start). A window
    // about to destroy this object from the UI thread can name it to the delivery gate.
    std::thread::id workerThreadId() const;

protected:
    int startStep(const char* agent, Callback cb, void* userData, unsigned long timeoutMs, bool walk);
    struct Impl;
    std::shared_ptr<Impl> m_impl;
    CSnmp* m_request = nullptr;
    std::atomic<int> m_requestId{0};
};

// Synchronous get-next walker over a request object's pending PDU.
class CSnmpTable {
public:
    explicit CSnmpTable(CSnmp* session);
    virtual ~CSnmpTable();

    // Sends the pending PDU. For get-next, each call continues from the OIDs the previous call returned
    // and gives -2 once binding 0 leaves its start column, stops advancing, or reaches the end of the
    // MIB (endOfMibView, or SNMPv1's noSuchName for binding 0). Any other error status of the agent fails
    // the step with that status (never the table's end). Another column past its end (an exception
    // value) leaves that binding without a value and the row is delivered. A non-zero status comes
    // without a reply. Get and set PDUs give the same status and reply as send.
    int getNext(const char* agent, CSnmp*& response, unsigned long timeoutMs);
    // Instance suffix of reply binding i after its column OID, beginning with "." (owned by this object);
    // -1 and "" for a bad index or a binding outside its column.
    virtual int getOidSuffix(int index, CSnmp* response, char** suffix);
    // Starts over from the pending PDU's OIDs (done by clearVarBindList/addValue on the session too).
    void reset();
    // The session object's cancel (see CSnmpV1::cancel).
    void cancel();

private:
    CSnmp* m_session;
    std::vector<std::string> m_columns;   // the column OIDs the walk started from
    std::vector<std::string> m_current;   // where the next step continues
    std::vector<std::string> m_suffixes;  // storage behind getOidSuffix
    uint64_t m_pduGeneration = 0;
};

// Asynchronous walker: each start performs one get-next step on the library's thread and calls back.
class CSnmpTable4w : public CSnmp4w {
public:
    explicit CSnmpTable4w(CSnmp* request = nullptr);
    ~CSnmpTable4w() override;
    int start(const char* agent, Callback cb, void* userData, unsigned long timeoutMs = 0, int reserved = 0);
};
