// Test fixture: a real Net-SNMP agent (snmpd) on a free loopback port, started as an ordinary process
// with a configuration of its own (no system service, no root, no host configuration read), and the
// Net-SNMP command-line tools to read it; agent and tools use the agent's temporary folder for their
// configuration and persistent files (ToolRun.h). The standard-MIB views are checked against it: what a
// dialog shows must equal what snmpget/snmpwalk read. Failures to start throw std::runtime_error.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace ksx::test {

// One binding as the command-line tools read it: the numeric OID without a leading dot, the type word
// ("INTEGER", "STRING", "Counter32", "Gauge32", "Timeticks", "IpAddress", "OID", ...) and the value:
// numbers in decimal (time ticks as hundredths), octet strings as their raw octets, addresses and OIDs as
// dotted text (OIDs without a leading dot).
struct ToolBinding {
    std::string oid;
    std::string type;
    std::string value;
};

class RealSnmpd {
public:
    // The agent's SNMPv3 user: SHA authentication, DES privacy, read-only from authNoPriv up.
    static constexpr const char* kV3User = "realuser";
    static constexpr const char* kV3AuthPassword = "realauthpass";
    static constexpr const char* kV3PrivPassword = "realprivpass";
    // A user that may also write, from authNoPriv up, with the same passwords.
    static constexpr const char* kV3Writer = "realwriter";

    // Read community "quaint", write community "harbour", both from 127.0.0.1 only; the SNMPv3 users above.
    // `engineId`: text the agent's engine id is made from, kept by a wipe (see Restart).
    explicit RealSnmpd(const std::string& engineId = {});
    ~RealSnmpd();  // stops the agent and removes its directory
    RealSnmpd(const RealSnmpd&) = delete;
    RealSnmpd& operator=(const RealSnmpd&) = delete;

    // True when the agent and the tools are installed (tests skip themselves otherwise outside CI).
    static bool Available();

    std::string Address() const { return "127.0.0.1"; }
    int Port() const { return m_port; }

    // snmpget / snmpwalk of the agent with the read community, SNMPv1; empty on any failure (the tool's
    // exit and stderr are then written to stderr).
    std::vector<ToolBinding> Get(const std::vector<std::string>& oids) const;
    std::vector<ToolBinding> Walk(const std::string& oid) const;
    // snmpset with the write community: type letter as snmpset takes it ("s", "i", ...); true on success
    // (told as above otherwise).
    bool Set(const std::string& oid, const std::string& type, const std::string& value) const;

    // Stops the agent and starts it again on the same port, configuration and persistent directory: the
    // same engine id, its engineBoots one up and its engineTime from 0 (a device rebooted). Returns once
    // it answers; throws std::runtime_error when it does not start again. `wipe`: a device reset to its
    // factory state, its persistent directory emptied: engineBoots 1, a new engine id unless one was given.
    void Restart(bool wipe = false);

    // Parses the tools' output (-On -Oe -OU -Ox); exposed for its own test.
    static std::vector<ToolBinding> ParseToolOutput(const std::string& text);

private:
    std::string Target() const;
    void Stop();
    // The agent's process, not waited for; -1 when it could not be started. `again`: on the state it saved.
    pid_t Launch(bool again) const;

    std::string m_dir;
    int m_port = 0;
    pid_t m_pid = -1;
};

// Points the process-wide connection settings at the agent: SNMPv1, its communities, time-out "3000".
void UseSnmpdV1(const RealSnmpd& agent, const std::string& timeoutMs = "3000");
// The same over SNMPv3 as the agent's user with SHA: level "2" (authNoPriv) or "3" (authPriv, DES), with
// the passwords given (the agent's own unless a test gives wrong ones).
void UseSnmpdV3(const RealSnmpd& agent, const std::string& level,
                const std::string& authPassword = RealSnmpd::kV3AuthPassword,
                const std::string& privPassword = RealSnmpd::kV3PrivPassword);

}  // namespace ksx::test
