// Internal: what an SNMPv3 session does with a datagram that arrived on its socket, decided before Net-SNMP
// sees it. No I/O, and nothing of the library's sessions, users or engine clocks read or written: the
// datagram is read with the library's own parsing primitives, in the library's order. Those note their
// errors in the library's error detail, so the decision is taken under the session layer's library lock.
// The session fills a UsmFilterState and acts on the verdict.
#pragma once

#include <sys/socket.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ksx::snmp {

// What the session knows and awaits, as the decision needs it.
struct UsmFilterState {
    // Our user: its name, its security level (1 noAuthNoPriv, 2 authNoPriv, 3 authPriv, as Net-SNMP's
    // SNMP_SEC_LEVEL_*) and its authentication protocol (Credentials::authArith: 0 HMAC-MD5, 1 HMAC-SHA-1;
    // a protocol not in the table of UsmFilter.cpp authenticates nothing).
    std::string user;
    int securityLevel = 1;
    int authArith = 0;
    // Our authentication key localized to `engineId` (empty while the engine is unknown), and our key
    // localized to any other engine id (empty when it cannot be). Unused without authentication.
    std::vector<uint8_t> authKey;
    std::function<std::vector<uint8_t>(const std::vector<uint8_t>& engineId)> localize;
    // Our privacy key localized to `engineId` and its protocol (Credentials::priArith: 0 CBC-DES, 1 AES-128),
    // to read an encrypted answer's PDU; empty without privacy.
    std::vector<uint8_t> privKey;
    int privArith = 0;
    // Where our messages go: only the agent's datagrams are answers.
    sockaddr_storage agent{};
    // The agent's engine id as the session knows it (empty before discovery), and the authenticated record
    // of that engine's boots and clock (its time now, as the library estimates it), when there is one.
    std::vector<uint8_t> engineId;
    bool timeKnown = false;
    unsigned long boots = 0;
    unsigned long time = 0;
    // The msgIDs of every message the session still awaits an answer to: requests, their resends, probes
    // and the discovery probe. `discovery`: the msgID of an awaited discovery probe (also in `awaited`),
    // or -1; its answer is the one unauthenticated message that is passed (the library takes the engine
    // id from it).
    std::vector<long> awaited;
    long discovery = -1;
};

// The USM statistics counter an unauthenticated report names, as the library reads its first binding.
enum class UsmReport {
    kOther,  // another counter, or none
    kNotInTimeWindow,
    kUnknownEngineId,
    kUnknownUserName,
    kWrongDigest,
    kDecryptionError,
    kUnsupportedSecLevel,
};

struct UsmVerdict {
    enum Kind {
        // Take the datagram off the socket unseen by the library.
        kDrop,
        // Let the library read it: an authenticated response or report from the agent to an awaited
        // message, readable, of our user and level (a report of the clock may come without privacy; one
        // that brings no news of the clock is dropped); on a session without authentication, a readable
        // response of our user from the agent to an awaited message; or the agent's report of an unknown
        // engine id or user answering the awaited discovery probe.
        kPass,
        // An unauthenticated report from the agent answering an awaited message, naming our user or none:
        // evidence of nothing, to be taken off the socket; it names a cause only when no authenticated
        // answer follows.
        kHint,
        // Authenticated with our key localized to another engine id (`engineId`), answering an awaited
        // message, from the agent: the agent is another engine now.
        kReplaced,
        // Authenticated with our key, answering an awaited message, from the agent, with lower boots than
        // the record or the same boots and its clock far behind: the engine started afresh.
        kReset,
    };
    Kind kind = kDrop;
    long msgId = -1;      // the awaited message it answers (every kind but kDrop)
    uint8_t pduType = 0;  // its PDU's tag, 0 when encrypted (every kind but kDrop)
    // kHint and the discovery probe's answer: the report's counter and the engine id it names; kReplaced:
    // the new engine's id.
    UsmReport report = UsmReport::kOther;
    std::vector<uint8_t> engineId;
    unsigned long boots = 0;  // kReset: the engine's boots and time as the message carries them
    unsigned long time = 0;
};

// The decision on the datagram `data` (the whole of it) that came from `from`.
UsmVerdict DecideUsm(const uint8_t* data, size_t size, const sockaddr_storage& from,
                     const UsmFilterState& st);

// True when both are the same UDP address and port (IPv4 or IPv6).
bool SameUdpAddress(const sockaddr_storage& a, const sockaddr_storage& b);

}  // namespace ksx::snmp
