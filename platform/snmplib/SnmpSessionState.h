// Internal to the session's units: the Net-SNMP state of a session, the state of one step of a request,
// and what the units share (the library lock, value conversion, the engine and user record).
#pragma once

// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
// clang-format on

#include <sys/socket.h>

#include <atomic>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/snmplib/SnmpSession.h"
#include "platform/snmplib/UsmFilter.h"

namespace ksx::snmp {

// Net-SNMP is built without its own locking: request ids, the USM user list and the engine-time cache are
// process-wide. Every call into it holds this lock; the waits do not.
extern std::mutex g_lib;
// SnmpCancelAll's descriptor, polled by every wait (SnmpSession.cpp).
extern std::atomic<int> g_cancelAllFd;

// A step's status of our own, never handed to callers: an authenticated report showed that the agent's
// engine started afresh with the same engine id (Decide); the session has forgotten the engine by then.
constexpr int kEngineChanged = -100;

long long NowNs();

// ---- Value conversion (SnmpValues.cpp) ----

bool ParseUnsigned(const std::string& s, unsigned long long max, unsigned long long& out);
std::string Trim(const char* text);
// The request PDU of `pduType` (0 get, 1 get-next, 3 set) with the bindings; null for a malformed one.
netsnmp_pdu* BuildPdu(int pduType, const std::vector<SnmpVarBind>& binds);
bool IsNoValue(int type);
SnmpVarBind ConvertBinding(const netsnmp_variable_list* vb);

// ---- The state of one step: a message and its copies, awaited until the step's deadline ----

// Made by whoever runs the step (transact) and gone with it: nothing a datagram leaves here outlives the
// request it came during.
struct CSnmpSession::Step {
    Step() = default;
    Step(const Step&) = delete;
    Step& operator=(const Step&) = delete;

    bool done = false;
    int op = 0;
    // The answer (a response, or an authenticated report) once done.
    std::unique_ptr<netsnmp_pdu, void (*)(netsnmp_pdu*)> response{nullptr,
                                                                  [](netsnmp_pdu* p) { snmp_free_pdu(p); }};
    // Messages that went out (the library's own resends included), those the network refused (an ICMP
    // error on the socket), and authenticated reports that the agent's engine time moved (the library has
    // taken the new time from the report: the request is sent again).
    int messagesOut = 0;
    int refusals = 0;
    int resyncs = 0;
    int resyncsSent = 0;
    // SNMPv3: the message ids of the step's messages; only messages answering one of them reach the
    // library (Screen).
    std::vector<long> msgIds;
    int level = 0;  // the security level of the step's messages
    bool discovery = false;
    // The first unauthenticated report answering a message of the step (a hint: anyone may send one): the
    // cause it names (a status of CSnmp4w) and its kind. It names the step's result only at the deadline,
    // when no authenticated answer came; `inferred`: the step ended so.
    int hintStatus = 0;
    UsmReport hintReport = UsmReport::kOther;
    bool inferred = false;
    // Engines a copy of the request was sent to after a report of an unknown engine id named them, with
    // whether we made our user's entry for them; what they left goes with the step unless the engine
    // answered with our key (and was taken).
    struct Trial {
        std::vector<u_char> engine;
        bool userMade = false;
    };
    std::vector<Trial> trials;
    // The discovery probe that a report of another engine id sent (its message id, or -1; one per step).
    long probeMsgId = -1;
    bool probed = false;

    void setResponse(netsnmp_pdu* pdu) { response.reset(pdu); }
};

bool SameBytes(const u_char* p, size_t len, const std::vector<u_char>& v);

// ---- The Net-SNMP state of a session ----

// The response callback writes to the step being waited for; it only runs inside our own read calls.
struct CSnmpSession::Net {
    // What the library hands back to the callback for one message sent: the step it belongs to. A token
    // stays until the library has let go of its request: an answer taken (callback result 1), its time-out,
    // or the session closed. After a report the callback keeps the request pending (result 0: see
    // OnResponse), so the library may still call back with the token; it is not freed then.
    struct Attempt {
        // The library's synchronous wait reads the callback data of a request as a struct synch_state
        // and may clear its first int once a report ended it; nothing of ours lives there.
        int librarySlot = 0;
        Net* net = nullptr;
        uint64_t step = 0;
        bool released = false;
    };

    void* sess = nullptr;
    std::string peer;
    Credentials cred;
    bool engineKnown = false;
    uint64_t stepId = 0;           // the step being waited for; answers to the attempts of others are dropped
    Step* current = nullptr;       // that step while it is waited for
    bool outstanding = false;      // a step ended before its answer: the library still holds its request
    bool engineVerified = false;   // the session's engine has answered with our key (or without auth, at all)
    sockaddr_storage agentAddr{};  // where the requests go: only the agent's messages tell of its engine
    std::vector<u_char> authKey, privKey;  // our localized keys, to spot another session's user entry
    std::list<Attempt> attempts;

    Attempt* newAttempt() {
        attempts.remove_if([](const Attempt& a) { return a.released; });
        attempts.push_back({0, this, stepId, false});
        return &attempts.back();
    }
};

// ---- The engine and user record (UsmRecord.cpp); all under g_lib ----

// Our authentication key localized to `engine`; empty for a session without authentication.
std::vector<u_char> LocalizedKey(netsnmp_session* ss, const std::vector<u_char>& engine);
// Our user's entry for `engine`, made from the session's keys (MakeUserFor: *made, there was none), or
// removed.
bool MakeUserFor(netsnmp_session* ss, const std::vector<u_char>& engine, bool* made);
void RemoveUserFor(netsnmp_session* ss, const u_char* engine, size_t len);
// Takes `engine` as the agent's engine id: the session's security and context engine, our user's keys
// localized to it.
void TakeEngine(CSnmpSession::Net& n, const u_char* engine, size_t len);
// Takes the engine of a trial that answered with our key (or, without authentication, at all).
void TakeTrial(CSnmpSession::Net& n, const std::vector<u_char>& engine);
// The session's engine answered with our key (or, without authentication, at all).
void NoteVerified(CSnmpSession::Net& n);
// What an engine that never answered with our key left: our user's entry for it (when `userMade`, or
// always when null) and its engine-time record, unless some session has heard it answer so or a session
// other than `self` holds it (as its engine or one it tries).
void DropUnverified(const CSnmpSession::Net& self, const std::vector<u_char>& engine,
                    const bool* userMade = nullptr);
// The sessions open in the process (a session is in from its construction to its destruction).
void NoteSession(const CSnmpSession::Net& n, bool open);
// This session forgets the agent's engine id (`reset`: also its boots and time: ForgetEngine in
// UsmRecord.cpp).
void ForgetEngine(CSnmpSession::Net& n, bool reset);
// Makes the process-wide user entry for this session's user and engine carry this session's keys.
void InstallUser(CSnmpSession::Net& n);
// An unauthenticated get without bindings as the empty user: the agent answers it with a report that
// names its engine id.
netsnmp_pdu* EngineProbe();
// RFC 3411's bounds of an engine id: 5 to 32 octets.
bool UsableEngineId(const u_char* engine, size_t len);

}  // namespace ksx::snmp
