// Fixtures and request-log helpers shared by the tests that run against the simulated switch.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/sys/Globals.h"
#include "tests/support/SimSwitch.h"

namespace ksx::test {

// A test with a simulated switch of its own; the connection settings point at it (SNMPv1) while the
// fixture lives, so that sessions built by members of a derived fixture already use it.
class SimTest : public ::testing::Test {
protected:
    explicit SimTest(const std::string& timeoutMs = "3000") : SimTest(SimSwitch::Options(), timeoutMs) {}
    SimTest(SimSwitch::Options options, const std::string& timeoutMs) : sim(std::move(options)) {
        UseSimV1(sim, timeoutMs);
    }
    ~SimTest() override { ResetConnectionSettings(); }

    SimSwitch sim;
};

// A test suite sharing one simulated switch, started once for the suite (a start takes a while). Before
// each test the switch answers promptly again, holds its profile's values and has an empty request log,
// and the connection settings point at it (SNMPv1, time-out "3000"); after each test they are reset.
class SharedSimTest : public ::testing::Test {
public:
    static void SetUpTestSuite() { StartSim(SimSwitch::Options()); }
    static void TearDownTestSuite() {
        delete s_sim;
        s_sim = nullptr;
    }

protected:
    static void StartSim(SimSwitch::Options options) { s_sim = new SimSwitch(std::move(options)); }

    void SetUp() override {
        ResetConnectionSettings();
        ClearFaults();
        s_sim->Restart();
        s_sim->ClearLog();
        UseSimV1(*s_sim);
    }
    void TearDown() override {
        ClearFaults();
        ResetConnectionSettings();
    }
    // Answers every request again, at once.
    static void ClearFaults() {
        s_sim->Silence(false);
        s_sim->DropPercent(0);
        s_sim->DelayMs(0);
        s_sim->OmitNone();
    }

    static inline SimSwitch* s_sim = nullptr;
};

// The requests of one kind ("get", "getnext", "set", ...), in log order.
inline std::vector<SimRequest> OfKind(const std::vector<SimRequest>& log, const std::string& pdu) {
    std::vector<SimRequest> out;
    for (const SimRequest& r : log) {
        if (r.pdu == pdu) {
            out.push_back(r);
        }
    }
    return out;
}

inline std::vector<SimRequest> Sets(const std::vector<SimRequest>& log) {
    return OfKind(log, "set");
}

// One binding as "oid=type:value", without the first `cut` characters of the OID.
inline std::string BindingText(const SimVarBind& vb, size_t cut = 0) {
    return vb.oid.substr(cut) + "=" + vb.type + ":" + vb.value;
}

// "oid=type:value" per binding, for compact comparisons.
inline std::vector<std::string> Bindings(const SimRequest& r) {
    std::vector<std::string> out;
    for (const SimVarBind& vb : r.varbinds) {
        out.push_back(BindingText(vb));
    }
    return out;
}

// Requests as "pdu oid=type:value ..." lines.
inline std::vector<std::string> RequestLines(const std::vector<SimRequest>& log) {
    std::vector<std::string> out;
    for (const SimRequest& r : log) {
        std::string line = r.pdu;
        for (const SimVarBind& vb : r.varbinds) {
            line += " " + BindingText(vb);
        }
        out.push_back(line);
    }
    return out;
}

// The sets as "oid=type:value ..." lines, each OID without its first `cut` characters (the table or
// group it lies in).
inline std::vector<std::string> SetLines(const std::vector<SimRequest>& log, size_t cut) {
    std::vector<std::string> out;
    for (const SimRequest& r : Sets(log)) {
        std::string line;
        for (const SimVarBind& vb : r.varbinds) {
            line += (line.empty() ? "" : " ") + BindingText(vb, cut);
        }
        out.push_back(line);
    }
    return out;
}

// One request with its community or user: "set harbour oid|type|value ...".
inline std::string Describe(const SimRequest& r) {
    std::string s = r.pdu + " " + r.principal;
    for (const SimVarBind& vb : r.varbinds) {
        s += " " + vb.oid + "|" + vb.type + "|" + vb.value;
    }
    return s;
}

inline std::vector<std::string> Describe(const std::vector<SimRequest>& log) {
    std::vector<std::string> out;
    for (const SimRequest& r : log) {
        out.push_back(Describe(r));
    }
    return out;
}

}  // namespace ksx::test
