// SNMPv3 engine information view over the SNMP class library: the get of the four engine values with
// community-based requests and with SNMPv3 at each security level (read on a thread of the view's own),
// wrong passwords, a silent device while the window stays usable, and closing during a read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "features/snmp_agent/EngineInfo.h"
#include "platform/sys/Globals.h"
#include "res/ids_direct.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using ksx::test::DialogDriver;
using ksx::test::WaitUntil;

const std::string kE = "1.3.6.1.6.3.10.2.1";
const std::string kGet = "get quaint " + kE + ".1.0|n| " + kE + ".2.0|n| " + kE + ".3.0|n| " + kE + ".4.0|n|";

class EngineInfo : public test::SharedSimTest {
protected:
    static void ExpectValues(CEngineInfo& dlg) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.GetDlgItemText(IDC_ENGINE_MAX_SIZE) == "1500"; }));
        EXPECT_EQ(dlg.GetDlgItemText(IDC_ENGINE_ID), "80001F8880E9630000D61FF449");
        EXPECT_EQ(dlg.GetDlgItemText(IDC_ENGINE_BOOTS), "7");
        EXPECT_EQ(dlg.GetDlgItemText(IDC_ENGINE_TIME), "86400");
    }
    // The requests of the view's user, as "pdu oid|type|value ..." (discovery is the library's own).
    static std::vector<std::string> RequestsOf(const std::string& user) {
        std::vector<std::string> out;
        for (const auto& r : s_sim->Requests()) {
            if (r.principal == user) {
                EXPECT_EQ(r.version, 3);
                std::string line = r.pdu;
                for (const auto& vb : r.varbinds) {
                    line += " " + vb.oid + "|" + vb.type + "|" + vb.value;
                }
                out.push_back(line);
            }
        }
        return out;
    }
    test::ScriptedMessageBox boxes;
};

TEST_F(EngineInfo, CommunityBasedGetOfTheFourValuesOnEveryRefresh) {
    CEngineInfo dlg;
    DialogDriver drv(dlg);
    ExpectValues(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "SNMPv3 Engine Information");
    ASSERT_TRUE(drv.Click(IDC_V3INFO_REFRESH));
    ASSERT_TRUE(drv.Click(IDC_V3INFO_REFRESH));
    ASSERT_TRUE(s_sim->WaitForRequests([](const auto& log) { return log.size() >= 3; }));
    EXPECT_EQ(test::Describe(s_sim->Requests()), (std::vector<std::string>{kGet, kGet, kGet}));
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(EngineInfo, ReadsWithSnmpV3AtEachSecurityLevel) {
    struct User {
        const char* level;
        const char* name;
        const char* auth;
        const char* authPwd;
        const char* priv;
        const char* privPwd;
    };
    for (const User& u :
         {User{"1", "noauthuser", "1", "", "1", ""}, User{"2", "md5user", "2", "md5authpass", "1", ""},
          User{"2", "shauser", "3", "shaauthpass", "1", ""},
          User{"3", "shadesuser", "3", "shaauthpass", "2", "desprivpass"}}) {
        test::UseSimV3(*s_sim, u.level, u.name, u.auth, u.authPwd, u.priv, u.privPwd);
        s_sim->ClearLog();
        CEngineInfo dlg;
        DialogDriver drv(dlg);
        ExpectValues(dlg);
        EXPECT_EQ(RequestsOf(u.name), std::vector<std::string>{"get " + kE + ".1.0|n| " + kE + ".2.0|n| " +
                                                               kE + ".3.0|n| " + kE + ".4.0|n|"})
            << u.name;
    }
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(EngineInfo, WrongPasswordsFailClearlyAndKeepTheTexts) {
    test::UseSimV3(*s_sim, "2", "md5user", "2", "not-the-password", "1", "");
    CEngineInfo dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return !boxes.Texts().empty(); }, 15000));
    EXPECT_EQ(boxes.Texts()[0].rfind("Failed to read over SNMPv3: ", 0), 0u) << boxes.Texts()[0];
    EXPECT_TRUE(WaitUntil([&] { return !dlg.Reading(); }));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_ENGINE_ID), "");
}

TEST_F(EngineInfo, ASilentDeviceLeavesTheWindowWorkingAndClosingEndsTheRead) {
    test::UseSimV3(*s_sim, "2", "shauser", "3", "shaauthpass", "1", "");
    s_sim->Silence(true);
    CEngineInfo dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(dlg.Reading());
    // The read runs on its own thread: the window handles clicks meanwhile, a second read waits.
    ASSERT_TRUE(drv.Click(IDC_V3INFO_REFRESH));
    EXPECT_TRUE(dlg.Reading());
    drv.PressEscape();
    ASSERT_TRUE(drv.WaitEnded(2000));
    EXPECT_FALSE(dlg.Reading());
    s_sim->Silence(false);
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(EngineInfo, OtherVersionsReadNothing) {
    test::UseSimV1(*s_sim);
    g_strSnmpVersion = "2";
    CEngineInfo dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(drv.Click(IDC_V3INFO_REFRESH));
    test::PumpEvents();
    EXPECT_TRUE(s_sim->Requests().empty());
}

}  // namespace
