// Internal: one Net-SNMP single session and the request/reply exchange of the request objects.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/snmplib/Snmp.h"

namespace ksx::snmp {

// Runs Net-SNMP's init once per process (every entry point calls it).
void EnsureInit();

// Security parameters of a request; a change opens a new Net-SNMP session.
struct Credentials {
    int version = 1;  // 1 community-based, 3 USM
    std::string community;
    std::string user;
    int msgFlags = 0;   // 0 noAuthNoPriv, 1 authNoPriv, 3 authPriv
    int authArith = 0;  // 0 HMAC-MD5, 1 HMAC-SHA-1
    std::string authPwd;
    int priArith = 0;  // 0 CBC-DES, 1 AES-128
    std::string priPwd;
    bool operator==(const Credentials&) const = default;
};

// Agent text split into host and port: "a.b.c.d", "host:port", "[v6]:port", bare v6.
struct AgentAddress {
    std::string host;
    int port = 161;
};
bool ParseAgent(const std::string& text, AgentAddress& out);

// The reply object handed to callers.
class SnmpReply : public CSnmp {
public:
    SnmpReply() = default;
    void setHeader(int pduType, int requestId, int errorStatus, int errorIndex) {
        m_pduType = pduType;
        m_requestId = requestId;
        m_errorStatus = errorStatus;
        m_errorIndex = errorIndex;
    }
    std::vector<SnmpVarBind>& binds() { return m_varBinds; }
    void setAfterResend(bool resent) { m_afterResend = resent; }
    // Clears an error status that only stood for exception values (see exchange).
    void clearErrorStatus() {
        m_errorStatus = 0;
        m_errorIndex = 0;
    }

    int version = 1;           // 1 community-based, 3 USM
    int agentErrorStatus = 0;  // the error status as the agent sent it (exceptions not counted)
};

// Checks one binding as addValue takes it; false for a malformed OID or value.
bool ValidBinding(const SnmpVarBind& vb);
// True for reply types that carry no value: NULL and the v2 exceptions.
bool IsValueless(int type);
// One binding of a received PDU (a Net-SNMP variable list entry) as a reply binding.
SnmpVarBind ConvertVariable(const void* netsnmpVariable);

class CSnmpSession {
public:
    CSnmpSession();
    ~CSnmpSession();
    CSnmpSession(const CSnmpSession&) = delete;
    CSnmpSession& operator=(const CSnmpSession&) = delete;

    // One request and its reply within timeoutMs (0 = library default). pduType 0 get, 1 get-next,
    // 3 set. Status 0 and a new reply, or a status of CSnmp4w. `generation` identifies the PDU for
    // cancellation.
    int exchange(const Credentials& cred, const char* agent, int pduType,
                 const std::vector<SnmpVarBind>& binds, unsigned long timeoutMs, uint64_t generation,
                 CSnmp*& reply);

    // Cancels the exchange of PDU `generation` in flight and any later one of the same generation.
    void cancel(uint64_t generation);
    void resetCancel() { m_cancelGen.store(0); }
    // Of the last exchange: a message of the request itself (not a discovery probe) went out, more than
    // one did, and a status without a reply rests on inference (SnmpSent). A request that ended without
    // an answer and without `sent` never reached the device.
    SnmpSent lastSent() const { return {m_lastSent.load(), m_lastResent.load(), m_lastInferred.load()}; }
    bool isCancelled(uint64_t generation) const {
        return m_cancelGen.load() == generation + 1 || (SnmpAllCancelled() && !m_outlivesCancelAll.load());
    }
    // SnmpCancelAll leaves this session's requests alone from now on (see CSnmpV1::outliveCancelAll).
    void outliveCancelAll() { m_outlivesCancelAll.store(true); }
    bool outlivesCancelAll() const { return m_outlivesCancelAll.load(); }

    struct Net;   // Net-SNMP state (SnmpSessionState.h)
    struct Step;  // one step's state, made per step and gone with it (SnmpSessionState.h)

private:
    int openSession(const Credentials& cred, const std::string& peer, unsigned long timeoutMs);
    void closeSession();
    void dropOutstanding(unsigned long timeoutMs);
    int discoverEngine(uint64_t generation, long long deadlineNs);
    int askEngine(Step& s, uint64_t generation, long long deadlineNs, int maxAttempts);
    // SnmpPrivacy.cpp
    int checkPrivacy(uint64_t generation, unsigned long timeoutMs, bool engineJustFound);
    // SnmpExchange.cpp: one step, its answer in s.response.
    int transact(void* pdu, Step& s, uint64_t generation, long long deadlineNs, bool discovery,
                 int maxAttempts = 0);
    void drainWake();

    std::unique_ptr<Net> m_net;
    int m_wakeFd = -1;
    std::atomic<uint64_t> m_cancelGen{0};
    std::atomic<bool> m_lastSent{false};
    std::atomic<bool> m_lastResent{false};
    std::atomic<bool> m_lastInferred{false};
    std::atomic<bool> m_outlivesCancelAll{false};
};

// Process-wide source of PDU generations and of the asynchronous requests' ids.
uint64_t NextGeneration();
int NextRequestId();

}  // namespace ksx::snmp
