// Test fixture: runs one simulated switch (sim/ksx-sim) on a free loopback port for the lifetime of the
// object and steers it through its control protocol. Failures to start or to talk to it throw
// std::runtime_error, which GoogleTest reports as a failed test.
#pragma once

#include <sys/types.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace ksx::test {

struct SimVarBind {
    std::string oid;
    std::string type;
    std::string value;
};

// type letters as in profiles: i INTEGER, u Unsigned32, c Counter32, C Counter64, g Gauge32, t TimeTicks,
// s OCTET STRING (value = text), x OCTET STRING (value = lower-case hex, no separators), o OID, a IpAddress,
// n NULL
struct SimRequest {
    int version;                       // 1 (v1), 2 (v2c) or 3
    std::string principal;             // community, or v3 user name
    std::string pdu;                   // "get", "getnext", "getbulk", "set"
    std::vector<SimVarBind> varbinds;  // as received (reads carry type "n")
};

class SimSwitch {
public:
    struct Options {
        std::string profile = "ksx-4200-28z1";  // sim/profiles/<profile>.txt (or a path)
        std::vector<std::string> extraArgs;     // more ksx-sim options
    };
    SimSwitch();  // default options
    explicit SimSwitch(Options options);
    ~SimSwitch();  // stops the process and reaps it
    SimSwitch(const SimSwitch&) = delete;
    SimSwitch& operator=(const SimSwitch&) = delete;

    std::string Address() const;                   // "127.0.0.1"
    int Port() const;                              // UDP port it listens on
    std::string Command(const std::string& line);  // one control-protocol line, returns the reply line
    void Set(const std::string& oid, const std::string& type, const std::string& value);
    std::string Get(const std::string& oid);               // current value text ("" if absent)
    void DropPercent(int percent);                         // drop that share of requests (0 stops dropping)
    void DelayMs(int ms);                                  // answer every request after a delay
    void ErrorStatus(const std::string& oid, int status);  // answer requests touching oid with this error
                                                           // status (0 clears)
    // SETs touching oid (or below) answered with this error status and not applied, reads answered as
    // usual (0 clears): a refused write whose read-back a test waits for cannot race the clearing.
    void RefuseWrites(const std::string& oid, int status);
    void Silence(bool on);  // stop answering / answer again
    // Every SET dropped unanswered and not applied, reads answered (on) / SETs taken again (off).
    void WritesSilent(bool on);
    // Every SET answered with this error status and not applied, reads answered (0: SETs taken again).
    void WritesRefused(int status);
    // The next SET touching oid (or below) is applied and never answered, nor are its resends; `once`:
    // its resends are taken and answered as usual (a create resent is refused, the row being there).
    void LoseAnswer(const std::string& oid, bool once = false);
    // v1/v2c get and get-next replies leave out the bindings of objects below oid (on) or carry them
    // again (off); OmitNone: every binding carried again.
    void Omit(const std::string& oid, bool on = true);
    void OmitNone();
    void Unset(const std::string& oid);  // removes an object (a table row's cell, a scalar)
    void Restart();                      // restart the agent (values back to the profile)
    void ClearLog();
    std::vector<SimRequest> Requests();  // every request received since the last ClearLog
    // The same without resends: a request whose request id, principal and kind were logged before is
    // that request sent again (an attempt unanswered within its share of the time-out).
    std::vector<SimRequest> DistinctRequests();
    // Polls Requests() until pred holds or the limit passes.
    bool WaitForRequests(const std::function<bool(const std::vector<SimRequest>&)>& pred,
                         int limitMs = 20000);

    // Nanoseconds the calling thread has spent in control exchanges with any simulator (waiting for the
    // simulator process to answer): time a test's own checks took, not the program's.
    static long long ControlWaitNs();

    // Parses one line of the simulator's request log; false when it is malformed.
    static bool ParseLogLine(const std::string& line, SimRequest* out);

private:
    std::string ReadLine();
    void Stop();

    std::string m_address = "127.0.0.1";
    int m_port = 0;
    int m_controlPort = 0;
    pid_t m_pid = -1;
    int m_control = -1;
    std::string m_buffer;
    std::mutex m_mutex;  // one control exchange at a time
};

// Points the process-wide connection settings (platform/sys/Globals.h) at an agent on address:port for
// SNMPv1 with the default communities ("quaint" read, "harbour" write) and the given time-out.
void UseAgentV1(const std::string& address, int port, const std::string& timeoutMs);
// The same for this simulator, time-out "3000" unless given.
void UseSimV1(const SimSwitch& sim, const std::string& timeoutMs = "3000");
// Same for SNMPv3: level "1"/"2"/"3", auth protocol "2" MD5 / "3" SHA, priv protocol "2" DES.
void UseSimV3(const SimSwitch& sim, const std::string& level, const std::string& user,
              const std::string& authProto, const std::string& authPwd, const std::string& privProto,
              const std::string& privPwd);

}  // namespace ksx::test
