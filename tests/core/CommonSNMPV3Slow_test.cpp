// The module's session over SNMPv3 with the module's 3000 ms time-out: a device answering later than an
// attempt's share of the time-out is read and walked at authNoPriv and authPriv, one answering after the
// time-out is a time-out, a wrong privacy password is named with the user, and a dead device stays a
// time-out.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/CommonSNMP.h"
#include "platform/sys/Globals.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"

namespace {

const std::string kTable = "1.3.6.1.4.1.99999.44";  // generated: kTable.1.c.r, 2 rows
const std::string kSysName = "1.3.6.1.2.1.1.5.0";

struct User {
    const char* level;
    const char* name;
    const char* privProto;
    const char* privPwd;
};
const User kUsers[] = {{"2", "shauser", "1", ""}, {"3", "shadesuser", "2", "desprivpass"}};

class SessionV3Slow : public ksx::test::SharedSimTest {
public:
    static void SetUpTestSuite() {
        ksx::test::SimSwitch::Options options;
        options.extraArgs = {"--table", kTable + ":2:2"};
        StartSim(options);
    }

protected:
    static void Use(const User& u, const char* privPwd = nullptr) {
        ksx::test::UseSimV3(*s_sim, u.level, u.name, "3", "shaauthpass", u.privProto,
                            privPwd ? privPwd : u.privPwd);
    }
    static int Get(CCommonSNMP& session, std::string* value) {
        if (!session.Open(0)) {
            return -100;
        }
        session.AddVarBind(kSysName, 4, nullptr);
        CSnmp* response = nullptr;
        const int status = session.Send(response, 0);
        std::unique_ptr<CSnmp> owned(response);
        int length = 0;
        char* text = nullptr;
        if (status == 0 && response->getValue(0, &length, &text) == 0) {
            value->assign(text, static_cast<size_t>(length));
        }
        return status;
    }
    // Walks the generated table's first column; the instances read and the final status.
    static int Walk(CCommonSNMP& session, std::vector<std::string>* rows) {
        if (!session.Open(1)) {
            return -100;
        }
        session.AddVarBind(kTable + ".1.1", 4, nullptr);
        for (;;) {
            CSnmp* response = nullptr;
            const int status = session.GetNext(response, 0);
            std::unique_ptr<CSnmp> owned(response);
            if (status != 0 || rows->size() > 4) {
                return status;
            }
            char* suffix = nullptr;
            session.GetResponseOid(0, response, &suffix);
            rows->push_back(suffix ? suffix : "?");
        }
    }
};

TEST_F(SessionV3Slow, ASlowDeviceIsReadAndWalked) {
    for (int delay : {700, 2500}) {
        for (const User& u : kUsers) {
            SCOPED_TRACE(std::string(u.name) + " delay " + std::to_string(delay));
            Use(u);
            s_sim->DelayMs(delay);
            CCommonSNMP session;
            std::string value;
            EXPECT_EQ(Get(session, &value), 0);
            EXPECT_EQ(value, "KSX-4200-28Z1");
            std::vector<std::string> rows;
            EXPECT_EQ(Walk(session, &rows), -2);
            EXPECT_EQ(rows, (std::vector<std::string>{".1", ".2"}));
        }
    }
}

TEST_F(SessionV3Slow, NoAnswerWithinTheTimeOutIsATimeOutAndAWrongPrivacyPasswordIsNamed) {
    // Slower than the time-out: a time-out, also at authPriv (the device answers discovery, and the probe
    // without privacy is just as slow).
    s_sim->DelayMs(3500);
    for (const User& u : kUsers) {
        SCOPED_TRACE(u.name);
        Use(u);
        CCommonSNMP session;
        std::string value;
        EXPECT_EQ(Get(session, &value), CSnmp4w::EC_TIMEOUT);
        EXPECT_EQ(SnmpV3FailureText(CSnmp4w::EC_TIMEOUT), "");
    }
    s_sim->DelayMs(0);
    // Dead: nothing answers, not even discovery.
    s_sim->Silence(true);
    for (const User& u : kUsers) {
        SCOPED_TRACE(u.name);
        Use(u);
        CCommonSNMP session;
        std::string value;
        EXPECT_EQ(Get(session, &value), CSnmp4w::EC_TIMEOUT);
    }
    s_sim->Silence(false);
    s_sim->ClearLog();
    // A wrong privacy password: the request goes unanswered, the probe without privacy is answered.
    Use(kUsers[1], "not-the-privacy-password");
    CCommonSNMP session;
    std::string value;
    const int status = Get(session, &value);
    EXPECT_EQ(status, CSnmp4w::EC_PRIV_FAILED);
    EXPECT_EQ(SnmpV3FailureText(status),
              "SNMPv3 privacy failed for user shadesuser: check the privacy password.");
    EXPECT_EQ(ksx::test::RequestLines(s_sim->Requests()),
              std::vector<std::string>{"get 1.3.6.1.2.1.1.3.0=n:"});
}

}  // namespace
