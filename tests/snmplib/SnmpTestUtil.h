// Helpers shared by the SNMP class library tests.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "platform/snmplib/Snmp.h"
#include "tests/support/SimSwitch.h"

namespace ksx::test {

inline std::string AgentOf(const SimSwitch& sim) {
    return sim.Address() + ":" + std::to_string(sim.Port());
}

using ReplyPtr = std::unique_ptr<CSnmp>;

// Sends the request and takes ownership of the reply.
inline int SendTo(CSnmpV1& request, const std::string& agent, ReplyPtr& reply,
                  unsigned long timeoutMs = 3000) {
    CSnmp* raw = nullptr;
    int status = request.send(agent.c_str(), raw, timeoutMs);
    reply.reset(raw);
    return status;
}

inline std::string ValueOf(CSnmp& reply, int index) {
    int length = 0;
    char* value = nullptr;
    if (reply.getValue(index, &length, &value) != 0) {
        return "<bad index>";
    }
    return std::string(value, static_cast<size_t>(length));
}

inline long long ElapsedMs(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - since)
        .count();
}

// An SNMPv3 request for one of the simulator's built-in users.
inline std::unique_ptr<CSnmpV3> V3Request(int type, const std::string& user, char flags, int auth,
                                          const std::string& authPwd, int priv, const std::string& privPwd) {
    auto r = std::make_unique<CSnmpV3>(type);
    r->setMsgMaxSize(1024);
    r->setMsgSecurityModel(3);
    r->setUserName(user.c_str());
    r->setMsgFlags(flags);
    r->setAuthArith(auth);
    r->setAuthPwd(reinterpret_cast<const unsigned char*>(authPwd.data()), static_cast<int>(authPwd.size()));
    r->setPriArith(priv);
    r->setPriPwd(reinterpret_cast<const unsigned char*>(privPwd.data()), static_cast<int>(privPwd.size()));
    return r;
}

// A suite of tests against one simulated switch, started before the suite's first test and stopped after
// its last.
class SimSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        SnmpInit();
        s_sim = new SimSwitch();
    }
    static void TearDownTestSuite() {
        delete s_sim;
        s_sim = nullptr;
    }
    static inline SimSwitch* s_sim = nullptr;
};

}  // namespace ksx::test
