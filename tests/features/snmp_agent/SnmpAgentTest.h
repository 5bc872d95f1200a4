// What the SNMP agent dialog tests share: the agent's objects, requests as compact lines with the
// branch cut off, and a fixture per profile.
#pragma once

#include <string>
#include <vector>

#include "features/snmp_agent/SNMPConfig.h"
#include "platform/sys/Globals.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace ksx::snmpagenttest {

inline const std::string kB = CSNMPConfig::kBranch;

// Requests as "pdu oid=type:value ...", each OID without the branch (".1.0" for the state).
inline std::vector<std::string> Lines(const std::vector<test::SimRequest>& log) {
    std::vector<std::string> out;
    for (const test::SimRequest& r : log) {
        std::string line = r.pdu;
        for (const test::SimVarBind& vb : r.varbinds) {
            const std::string oid = vb.oid.rfind(kB, 0) == 0 ? vb.oid.substr(kB.size()) : vb.oid;
            line += " " + oid + "=" + vb.type + ":" + vb.value;
        }
        out.push_back(line);
    }
    return out;
}

// A name as the index of its row: its length and octets.
inline std::string NameIndex(const std::string& name) {
    return CSNMPConfig::StringToOidIndex(name);
}

// One simulated switch for the suite (28 ports, no PoE).
class AgentSimTest : public test::SharedSimTest {
protected:
    std::vector<std::string> Log() const { return Lines(s_sim->Requests()); }
    // Requests time out after `ms` (for silenced or dropped answers).
    static void ShortTimeout(const std::string& ms = "400") { test::UseSimV1(*s_sim, ms); }

    test::ScriptedMessageBox boxes;
};

}  // namespace ksx::snmpagenttest
