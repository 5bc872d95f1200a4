// The SNMP side of the simulated switch: a Net-SNMP agent session on one UDP address whose single
// handler answers from the Device, plus the fault injection and request log that sit in front of it.
#pragma once

#include <deque>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "sim/Device.h"

namespace ksxsim {

struct UserSpec {
    std::string name;
    std::string auth;  // "" (none), "MD5" or "SHA"
    std::string authPass;
    std::string priv;  // "" (none), "DES" or "AES"
    std::string privPass;
};

// "name:MD5|SHA:authpass[:DES|AES:privpass]" or "name" (no authentication).
bool ParseUserSpec(const std::string& text, UserSpec* out);

struct AgentOptions {
    std::string address = "127.0.0.1";
    int port = 0;  // 0: pick a free one
    std::string readCommunity = "quaint";
    std::string writeCommunity = "harbour";
    std::vector<UserSpec> users;
};

class Agent {
public:
    explicit Agent(Device& device) : m_device(device) {}
    Agent(const Agent&) = delete;
    Agent& operator=(const Agent&) = delete;
    ~Agent();

    // Sets up the Net-SNMP library (no configuration files, no MIB files, no persistent state under
    // stateDir) and opens the UDP endpoint. Returns false with a message.
    bool Start(const AgentOptions& options, const std::string& stateDir, std::string* error);
    int Port() const { return m_port; }

    // Fault injection (control protocol).
    void SetDropPercent(int percent) {
        m_dropPercent = percent;
        m_dropAccumulator = 0;
    }
    // Random loss: each request is dropped with that probability, from a seeded generator.
    void SetLossPercent(int percent, unsigned seed) {
        m_lossPercent = percent;
        m_lossRandom.seed(seed);
    }
    void SetDelayMs(int ms) { m_delayMs = ms; }
    void SetError(const Oid& oid, int status);
    // A SET writing `value` (as the log shows it) to an object below `oid` is answered with `status` and
    // not applied; kDropWrite: dropped unanswered and not applied (its resends too). 0 clears.
    static constexpr int kDropWrite = -1;
    void SetValueError(const Oid& oid, const std::string& value, int status);
    void SetSilence(bool on) { m_silence = on; }
    // Every SET dropped unanswered and not applied; reads answered as usual (a device that does not
    // take writes from this principal and stays quiet about it).
    void SetWritesSilent(bool on) { m_writesSilent = on; }
    // Every SET answered with this error status at its first binding and not applied (0: taken again).
    void SetWritesRefused(int status) { m_writesRefused = status; }
    // Until `until`, requests are held and answered then (a device busy for a while); the reports the
    // security model sends by itself go at once.
    void Stall(Clock::time_point until) { m_stallUntil = until; }
    // The next SET touching an object below `oid` is applied (when the device takes it) and never
    // answered; resends of that request (same request id and principal) are neither applied again nor
    // answered. An empty OID forgets it. `once`: only the answer to that first copy is lost; its resends
    // are taken and answered as any request (a device that already holds what the first copy made may
    // refuse them).
    void LoseAnswer(const Oid& oid, bool once = false) {
        m_loseAnswer = oid;
        m_loseOnce = once;
        m_lostReqid.reset();
    }
    // SNMPv3 authPriv requests are answered with a usmStatsDecryptionErrors report.
    void SetDecryptionErrors(bool on) { m_decryptionErrors = on; }
    bool Silent() const { return m_silence; }
    // Replies to v1/v2c gets and get-nexts leave out the bindings of objects below `oid` (an empty OID
    // with `on` false: none left out any more).
    void SetOmitted(const Oid& oid, bool on);

    const std::deque<std::string>& Log() const { return m_log; }
    const std::deque<long>& LogIds() const { return m_logIds; }  // request id of each log line
    void ClearLog() {
        m_log.clear();
        m_logIds.clear();
    }

    // Delayed requests that are due are answered now; returns the time of the next one.
    void RunDelayed(Clock::time_point now);
    void DropDelayed();  // forgets the requests held, unanswered
    std::optional<Clock::time_point> NextDelayed() const;

    // Net-SNMP entry points.
    int OnPacket(int op, void* session, int reqid, void* pdu, void* magic);
    // `root`: the subtree of the registration the requests arrived through.
    int OnRequests(void* reqinfo, void* requests, const Oid& root);

private:
    struct Delayed {
        Clock::time_point due;
        void* session;
        int reqid;
        void* pdu;  // a clone we own
        void* magic;
    };

    void LogPdu(const void* pdu);
    bool Admitted(const void* pdu) const;
    bool ShouldDrop();
    // A SET whose answer is lost (LoseAnswer): applies it the first time; true when it must go
    // unanswered.
    bool LoseAnswerOf(const void* pdu, Clock::time_point now);
    int InjectedError(const Oid& oid) const;
    bool Omitted(const Oid& oid) const;
    // Answers a get or get-next whose reply would carry an omitted binding, without it; false (nothing
    // sent) when the request touches no omitted object or needs an exception value or error.
    bool AnswerOmitting(void* session, void* pdu, Clock::time_point now);
    int MinimumLevel(const std::string& user) const;
    // The injected outcome of writing `value` to `oid` (SetValueError); 0 when none.
    int ValueError(const Oid& oid, const std::string& value) const;
    bool DropsWrite(const void* pdu) const;

    Device& m_device;
    AgentOptions m_options;
    int m_port = 0;
    void* m_session = nullptr;
    int m_dropPercent = 0;
    int m_dropAccumulator = 0;
    int m_lossPercent = 0;
    std::mt19937 m_lossRandom;
    int m_delayMs = 0;
    bool m_silence = false;
    bool m_writesSilent = false;
    int m_writesRefused = 0;
    Clock::time_point m_stallUntil{};
    bool m_decryptionErrors = false;
    std::map<Oid, int> m_errors;
    std::map<std::pair<Oid, std::string>, int> m_valueErrors;
    Oid m_loseAnswer;
    bool m_loseOnce = false;
    std::optional<long> m_lostReqid;
    std::string m_lostPrincipal;
    std::vector<Oid> m_omitted;
    std::deque<std::string> m_log;
    std::deque<long> m_logIds;
    std::deque<Delayed> m_delayed;
};

}  // namespace ksxsim
