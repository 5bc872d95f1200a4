// SNMPv3 user information view: users with their groups paired by security name, protocol names,
// community-based and SNMPv3 reads, a refresh during a read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "features/snmp_agent/UserInfo.h"
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

class UserInfo : public test::SharedSimTest {
protected:
    static void WaitRead(CUserInfo& dlg) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.LastEndStatus() != 0 && !dlg.Reading(); }));
    }
    static void ExpectRows(DialogDriver& drv) {
        ASSERT_EQ(drv.Rows(IDC_USER_LIST), 3);
        EXPECT_EQ(drv.Row(IDC_USER_LIST, 0), (std::vector<std::string>{"admin", "initial", "MD5", "DES"}));
        // guest has no group entry: the entry walked beside it (monitor's) is not its group.
        EXPECT_EQ(drv.Row(IDC_USER_LIST, 1), (std::vector<std::string>{"guest", "", "Other", "Other"}));
        EXPECT_EQ(drv.Row(IDC_USER_LIST, 2),
                  (std::vector<std::string>{"operator", "operators", "Other", "Other"}));
    }
    test::ScriptedMessageBox boxes;
};

TEST_F(UserInfo, PairsEachUserWithTheGroupOfItsName) {
    CUserInfo dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "SNMPv3 User Information");
    const auto steps = test::OfKind(s_sim->DistinctRequests(), "getnext");
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_EQ(
        test::Describe(steps[0]),
        "getnext quaint 1.3.6.1.6.3.15.1.2.2.1.3|n| 1.3.6.1.6.3.16.1.2.1.3.3|n| 1.3.6.1.6.3.15.1.2.2.1.5|n| "
        "1.3.6.1.6.3.15.1.2.2.1.8|n|");
    ExpectRows(drv);
}

TEST_F(UserInfo, GroupEntriesOfOtherNamesDoNotShiftTheUsersGroups) {
    // A group entry of "bob", who is no user, walks ahead of admin's: the walk beside the users ends
    // before operator's entry, which is then asked for by itself.
    s_sim->Set("1.3.6.1.6.3.16.1.2.1.3.3.3.98.111.98", "s", "builders");
    for (const char* version : {"1", "3"}) {
        if (std::string(version) == "3") {
            test::UseSimV3(*s_sim, "2", "shauser", "3", "shaauthpass", "1", "");
        }
        s_sim->ClearLog();
        CUserInfo dlg;
        DialogDriver drv(dlg);
        WaitRead(dlg);
        ASSERT_TRUE(WaitUntil([&] { return !dlg.AskingGroups() && drv.Cell(IDC_USER_LIST, 2, 1) != ""; }));
        ExpectRows(drv);
        // One get each for the users the walk left without a group (guest has none, operator's comes).
        std::vector<std::string> gets;
        for (const auto& r : test::OfKind(s_sim->DistinctRequests(), "get")) {
            gets.push_back(r.varbinds[0].oid);
        }
        EXPECT_EQ(gets, (std::vector<std::string>{"1.3.6.1.6.3.16.1.2.1.3.3.8.111.112.101.114.97.116.111.114",
                                                  "1.3.6.1.6.3.16.1.2.1.3.3.5.103.117.101.115.116"}))
            << version;
    }
}

TEST_F(UserInfo, ReadsWithSnmpV3) {
    test::UseSimV3(*s_sim, "3", "shadesuser", "3", "shaauthpass", "2", "desprivpass");
    CUserInfo dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    // guest's group is asked for after the walk: every request is out once that question has ended.
    ASSERT_TRUE(WaitUntil([&] { return !dlg.AskingGroups(); }));
    ExpectRows(drv);
    int walkSteps = 0;
    std::vector<std::string> gets;
    for (const auto& r : s_sim->DistinctRequests()) {
        if (r.principal != "shadesuser") {
            continue;
        }
        if (r.pdu == "get") {
            gets.push_back(test::Describe(r));
            continue;
        }
        ++walkSteps;
        EXPECT_EQ(r.pdu, "getnext");
        EXPECT_EQ(r.varbinds.size(), 4u);
    }
    EXPECT_EQ(walkSteps, 4);
    EXPECT_EQ(gets,
              std::vector<std::string>{"get shadesuser 1.3.6.1.6.3.16.1.2.1.3.3.5.103.117.101.115.116|n|"});
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(UserInfo, RefreshDuringACommunityBasedReadChangesNothing) {
    s_sim->DelayMs(150);
    CUserInfo dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return drv.Rows(IDC_USER_LIST) == 1; }));
    ASSERT_TRUE(drv.Click(IDC_V3INFO_REFRESH));
    EXPECT_EQ(drv.Rows(IDC_USER_LIST), 1);
    WaitRead(dlg);
    ExpectRows(drv);
    EXPECT_EQ(test::OfKind(s_sim->DistinctRequests(), "getnext").size(), 4u);
}

}  // namespace
