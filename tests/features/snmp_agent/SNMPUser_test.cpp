// The user dialog against the simulated switch: the active users listed, the add sequence with its
// protocols and passwords, the password limits, the checks and their order, duplicates by name and
// version, the maximum of 50, delete, and a failed step undone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "features/snmp_agent/SNMPUser.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_snmp_agent.h"
#include "tests/features/snmp_agent/SnmpAgentTest.h"

namespace {

using namespace ksx;
using namespace ksx::snmpagenttest;
using test::DialogDriver;
using test::WaitUntil;

class User : public AgentSimTest {
protected:
    static void WaitRead(CSNMPUser& dlg, int reads) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.ReadsEnded() >= reads; }));
    }
    struct Entry {
        std::string name, group;
        int version = 0;         // item of the version list
        bool encrypted = false;  // V3 only
        int auth = 0, priv = 0;  // items: MD5/SHA, DES/None
        std::string authPassword{};
        std::string privPassword{};
    };
    static void Fill(DialogDriver& drv, const Entry& e) {
        ASSERT_TRUE(drv.Type(IDC_USER_NAME, e.name));
        ASSERT_TRUE(drv.Type(IDC_USER_GROUP, e.group));
        ASSERT_TRUE(drv.Select(IDC_USER_VERSION, e.version));
        if (e.encrypted) {
            ASSERT_TRUE(drv.Check(IDC_USER_ENCRYPTED, true));
            ASSERT_TRUE(drv.Select(IDC_USER_AUTH, e.auth));
            ASSERT_TRUE(drv.Select(IDC_USER_PRIV, e.priv));
            ASSERT_TRUE(drv.Type(IDC_USER_AUTH_PASSWORD, e.authPassword));
            if (e.priv == 0) {
                ASSERT_TRUE(drv.Type(IDC_USER_PRIV_PASSWORD, e.privPassword));
            }
        }
    }
    // Adds and waits for the re-read.
    static void Add(DialogDriver& drv, CSNMPUser& dlg, const Entry& e) {
        Fill(drv, e);
        const int before = dlg.ReadsEnded();
        ASSERT_TRUE(drv.Click(IDC_USER_APPLY));
        WaitRead(dlg, before + 1);
    }
    // Tries an add that is refused before anything is sent.
    static void Try(DialogDriver& drv, const Entry& e) {
        Fill(drv, e);
        ASSERT_TRUE(drv.Click(IDC_USER_APPLY));
    }
    std::vector<std::string> Sets() const {
        std::vector<std::string> out;
        for (const std::string& line : Log()) {
            if (line.rfind("set ", 0) == 0) {
                out.push_back(line.substr(4));
            }
        }
        return out;
    }
};

TEST_F(User, ListsActiveUsersAndAddsAV3UserStepByStep) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_SNMP_USER));
    CSNMPUser dlg;
    DialogDriver drv(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "SNMP User Table ");
    WaitRead(dlg, 1);
    ASSERT_EQ(drv.Rows(IDC_USER_LIST), 4);  // guest is not active
    EXPECT_EQ(drv.Row(IDC_USER_LIST, 0),
              (std::vector<std::string>{"admin", "admin", "V3", "MD5", "DES_CBC"}));
    EXPECT_EQ(drv.Row(IDC_USER_LIST, 2),
              (std::vector<std::string>{"public", "public", "V2c", "None", "None"}));
    for (int id :
         {IDC_USER_AUTH, IDC_USER_PRIV, IDC_USER_AUTH_PASSWORD, IDC_USER_PRIV_PASSWORD, IDC_USER_ENCRYPTED}) {
        EXPECT_FALSE(dlg.IsDlgItemEnabled(id)) << id;
    }
    s_sim->ClearLog();
    Add(drv, dlg, {"ops", "admin", 2, true, 1, 0, std::string(40, 's'), "privpass1"});
    const std::string key = NameIndex("ops") + ".3";
    EXPECT_EQ(Sets(),
              (std::vector<std::string>{
                  ".2.1.1.8" + key + "=i:5",
                  ".2.1.1.3" + key + "=s:admin",
                  ".2.1.1.4" + key + "=i:3 .2.1.1.6" + key + "=i:2",
                  ".2.1.1.5" + key + "=s:" + std::string(40, 's') + " .2.1.1.7" + key + "=s:privpass1",
                  ".2.1.1.8" + key + "=i:1",
              }));
    EXPECT_EQ(drv.Row(IDC_USER_LIST, 0), (std::vector<std::string>{"ops", "admin", "V3", "SHA", "DES_CBC"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_USER_NAME), "");
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_USER_ENCRYPTED), 0);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_USER_ENCRYPTED));
    EXPECT_TRUE(boxes.Texts().empty());
    // The same name with another version is another user.
    s_sim->ClearLog();
    Add(drv, dlg, {"ops", "public", 1});
    EXPECT_EQ(Sets(), (std::vector<std::string>{".2.1.1.8" + NameIndex("ops") + ".2=i:5",
                                                ".2.1.1.3" + NameIndex("ops") + ".2=s:public",
                                                ".2.1.1.8" + NameIndex("ops") + ".2=i:1"}));
    // Delete: the selected row's name and version.
    s_sim->ClearLog();
    ASSERT_TRUE(drv.ClickRow(IDC_USER_LIST, 0));
    ASSERT_EQ(drv.Row(IDC_USER_LIST, 0), (std::vector<std::string>{"ops", "public", "V2c", "None", "None"}));
    ASSERT_TRUE(drv.Click(IDC_USER_DELETE));
    WaitRead(dlg, 4);
    EXPECT_EQ(Sets(), std::vector<std::string>{".2.1.1.8" + NameIndex("ops") + ".2=i:6"});
}

TEST_F(User, WithoutAuthenticationOrOnV1NoProtocolIsCheckedOrWrittenBeyondItsValue) {
    CSNMPUser dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg, 1);
    s_sim->ClearLog();
    // A V3 user without the box: "1" for no authentication, and no password request.
    Add(drv, dlg, {"v3plain", "admin", 2});
    const std::string key = NameIndex("v3plain") + ".3";
    EXPECT_EQ(Sets(), (std::vector<std::string>{".2.1.1.8" + key + "=i:5", ".2.1.1.3" + key + "=s:admin",
                                                ".2.1.1.4" + key + "=i:1", ".2.1.1.8" + key + "=i:1"}));
    // The box checked for V3, then V1 chosen: the disabled box is not read, no password is asked for.
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Type(IDC_USER_NAME, "legacy"));
    ASSERT_TRUE(drv.Type(IDC_USER_GROUP, "public"));
    ASSERT_TRUE(drv.Select(IDC_USER_VERSION, 2));
    ASSERT_TRUE(drv.Check(IDC_USER_ENCRYPTED, true));
    ASSERT_TRUE(drv.Select(IDC_USER_VERSION, 0));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_USER_ENCRYPTED));
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_USER_ENCRYPTED), 1);
    ASSERT_TRUE(drv.Click(IDC_USER_APPLY));
    WaitRead(dlg, 3);
    EXPECT_TRUE(boxes.Texts().empty());
    const std::string v1 = NameIndex("legacy") + ".1";
    EXPECT_EQ(Sets(), (std::vector<std::string>{".2.1.1.8" + v1 + "=i:5", ".2.1.1.3" + v1 + "=s:public",
                                                ".2.1.1.8" + v1 + "=i:1"}));
}

TEST_F(User, ChecksInTheirOrderAndPasswordLimits) {
    CSNMPUser dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg, 1);
    s_sim->ClearLog();
    Try(drv, {"   ", "g"});
    Try(drv, {"a,b", "g"});
    Try(drv, {"u", " "});
    Try(drv, {"u", "g.h"});
    Try(drv, {"public", "any", 1});  // name and version listed, whatever the group
    Try(drv, {"u", "g", 2, true, 0, 1, ""});
    Try(drv, {"u", "g", 2, true, 0, 1, std::string(33, 'm')});
    Try(drv, {"u", "g", 2, true, 1, 1, std::string(41, 's')});
    Try(drv, {"u", "g", 2, true, 1, 0, "authpass1", " "});
    Try(drv, {"u", "g", 2, true, 1, 0, "authpass1", std::string(33, 'd')});
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{CSNMPUser::kTextEmptyUser, CSNMPUser::kTextInvalidUser,
                                        CSNMPUser::kTextEmptyGroup, CSNMPUser::kTextInvalidGroup,
                                        CSNMPUser::kTextExists, CSNMPUser::kTextEmptyAuth,
                                        CSNMPUser::kTextMd5Length, CSNMPUser::kTextShaLength,
                                        CSNMPUser::kTextEmptyPriv, CSNMPUser::kTextDesLength}));
    EXPECT_TRUE(Sets().empty());
    boxes.Clear();
    ASSERT_TRUE(drv.Click(IDC_USER_DELETE));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{CSNMPUser::kTextSelect});
    EXPECT_TRUE(Sets().empty());
}

TEST_F(User, FiftyActiveUsersAreTheMost) {
    for (int i = 0; i < 46; ++i) {
        const std::string index = NameIndex("u" + std::to_string(i)) + ".2";
        s_sim->Set(kB + ".2.1.1.1" + index, "s", "u" + std::to_string(i));
        s_sim->Set(kB + ".2.1.1.2" + index, "i", "2");
        s_sim->Set(kB + ".2.1.1.8" + index, "i", "1");
    }
    CSNMPUser dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg, 1);
    ASSERT_EQ(drv.Rows(IDC_USER_LIST), 50);
    s_sim->ClearLog();
    Try(drv, {"new", "g"});
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{CSNMPUser::kTextMaximum});
    EXPECT_TRUE(Sets().empty());
}

TEST_F(User, AFailedStepStopsTheSequenceAndRemovesTheRow) {
    CSNMPUser dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg, 1);
    const std::string key = NameIndex("ops") + ".3";
    s_sim->ErrorStatus(kB + ".2.1.1.5" + key, 5);  // the passwords refused
    s_sim->ClearLog();
    Add(drv, dlg, {"ops", "admin", 2, true, 0, 1, "authpass1"});
    s_sim->ErrorStatus(kB + ".2.1.1.5" + key, 0);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{
                                 "Failed to add the user: the device did not accept the passwords. The user "
                                 "was not added."});
    EXPECT_EQ(Sets(), (std::vector<std::string>{".2.1.1.8" + key + "=i:5", ".2.1.1.3" + key + "=s:admin",
                                                ".2.1.1.4" + key + "=i:2", ".2.1.1.5" + key + "=s:authpass1",
                                                ".2.1.1.8" + key + "=i:6"}));
    EXPECT_EQ(s_sim->Get(kB + ".2.1.1.8" + key), "");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_USER_NAME), "ops");  // kept for another try
    boxes.Clear();
    ASSERT_TRUE(drv.Click(IDC_USER_APPLY));
    WaitRead(dlg, 3);
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ(s_sim->Get(kB + ".2.1.1.8" + key), "1");
}

}  // namespace
