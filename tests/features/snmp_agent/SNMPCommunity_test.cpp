// The community dialog against the simulated switch: the active communities listed, the user drop-down
// (SNMPv1 and v2c users, active ones, each name once), the add and delete sequences, the checks and
// their order, a failed step of an add undone, a read that fails midway, and rows arriving while the
// dialog closes.
#include <gtest/gtest.h>

#include <QComboBox>
#include <string>
#include <vector>

#include "controls/ListCtrl.h"
#include "features/snmp_agent/SNMPCommunity.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_snmp_agent.h"
#include "tests/features/snmp_agent/SnmpAgentTest.h"

namespace {

using namespace ksx;
using namespace ksx::snmpagenttest;
using test::DialogDriver;
using test::WaitUntil;

const std::string kC = ".5.1.1";

class Community : public AgentSimTest {
protected:
    static void WaitRead(CSNMPCommunity& dlg, int reads) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.ReadsEnded() >= reads; }));
    }
    // Types the name, picks the user (by text; none when empty) and clicks Apply; waits for the re-read.
    static void Add(DialogDriver& drv, CSNMPCommunity& dlg, const std::string& name,
                    const std::string& user = "") {
        const int before = dlg.ReadsEnded();
        ASSERT_TRUE(drv.Type(IDC_COMM_NAME, name));
        if (!user.empty()) {
            ASSERT_TRUE(drv.SelectText(IDC_COMM_USER, user));
        }
        ASSERT_TRUE(drv.Click(IDC_COMM_APPLY));
        ASSERT_TRUE(WaitUntil([&] { return dlg.ReadsEnded() > before; }));
    }
    // Types the name and clicks Apply, for adds refused before anything is sent.
    static void Try(DialogDriver& drv, const std::string& name) {
        ASSERT_TRUE(drv.Type(IDC_COMM_NAME, name));
        ASSERT_TRUE(drv.Click(IDC_COMM_APPLY));
    }
    static void AddCommunityRow(const std::string& name, const std::string& user, const std::string& status) {
        s_sim->Set(kB + kC + ".1" + NameIndex(name), "s", name);
        s_sim->Set(kB + kC + ".2" + NameIndex(name), "s", user);
        s_sim->Set(kB + kC + ".3" + NameIndex(name), "i", status);
    }
    // The community sets only.
    std::vector<std::string> Sets() const {
        std::vector<std::string> out;
        for (const std::string& line : Log()) {
            if (line.rfind("set ", 0) == 0) {
                out.push_back(line);
            }
        }
        return out;
    }
};

TEST_F(Community, ListsActiveCommunitiesAndOffersV1AndV2cUsersOnce) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_SNMP_COMMUNITY));
    CSNMPCommunity dlg;
    DialogDriver drv(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "SNMP Community Table Configuration");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_COMM_REFRESH));
    WaitRead(dlg, 1);
    EXPECT_EQ(dlg.Communities(), (std::vector<std::string>{"public", "private"}));  // "staging" is not active
    EXPECT_EQ(drv.Row(IDC_COMM_LIST, 1), (std::vector<std::string>{"private", "private"}));
    auto* list = dlg.Item<CListCtrl>(IDC_COMM_LIST);
    EXPECT_EQ(list->horizontalHeaderItem(0)->text().toStdString(), "Community Name");
    EXPECT_EQ(list->horizontalHeaderItem(1)->text().toStdString(), "User Name");
    // admin is V3, guest not active, public is reported for V1 and for V2c.
    EXPECT_EQ(dlg.UserChoices(), (std::vector<std::string>{"public", "private"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_COMM_USER), "public");
    for (int id : {IDC_COMM_APPLY, IDC_COMM_DELETE, IDC_COMM_REFRESH, IDC_COMM_CLOSE}) {
        EXPECT_TRUE(dlg.IsDlgItemEnabled(id)) << id;
    }
    const auto log = Log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0], "getnext .5.1.1.1=n: .5.1.1.2=n: .5.1.1.3=n:");
    // The user walk begins once the community walk has ended.
    size_t firstUser = 0;
    while (firstUser < log.size() && log[firstUser].rfind("getnext .2.1.1.1=n:", 0) != 0) {
        ++firstUser;
    }
    ASSERT_LT(firstUser, log.size());
    EXPECT_EQ(log[firstUser - 1], "getnext .5.1.1.1" + NameIndex("staging") + "=n: .5.1.1.2" +
                                      NameIndex("staging") + "=n: .5.1.1.3" + NameIndex("staging") + "=n:");
    // A user removed on the device stays offered until the dialog opens again.
    s_sim->Set(kB + ".2.1.1.8" + NameIndex("private") + ".2", "i", "2");
    ASSERT_TRUE(drv.Click(IDC_COMM_REFRESH));
    WaitRead(dlg, 2);
    EXPECT_EQ(dlg.UserChoices(), (std::vector<std::string>{"public", "private"}));
}

TEST_F(Community, AddCreatesWaitsSetsTheUserAndActivatesTrimmedName) {
    CSNMPCommunity dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg, 1);
    s_sim->ClearLog();
    Add(drv, dlg, "  lab  ", "private");
    const std::string key = NameIndex("lab");
    EXPECT_EQ(Sets(),
              (std::vector<std::string>{"set .5.1.1.3" + key + "=i:5", "set .5.1.1.2" + key + "=s:private",
                                        "set .5.1.1.3" + key + "=i:1"}));
    // Listed in the device's order: by the name's length first.
    EXPECT_EQ(dlg.Communities(), (std::vector<std::string>{"lab", "public", "private"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_COMM_NAME), "");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_COMM_USER), "public");
    EXPECT_TRUE(boxes.Texts().empty());
    // Delete: the selected row, no question, then the table again.
    s_sim->ClearLog();
    ASSERT_TRUE(drv.ClickRow(IDC_COMM_LIST, 0));
    ASSERT_TRUE(drv.Click(IDC_COMM_DELETE));
    WaitRead(dlg, 3);
    EXPECT_EQ(Sets(), std::vector<std::string>{"set .5.1.1.3" + key + "=i:6"});
    EXPECT_EQ(dlg.Communities(), (std::vector<std::string>{"public", "private"}));
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(Community, ChecksInTheirOrderBeforeAnythingIsSent) {
    for (int i = 0; i < 8; ++i) {
        AddCommunityRow("c" + std::to_string(i), "public", "1");
    }
    AddCommunityRow("hidden", "public", "2");  // not shown, not counted
    CSNMPCommunity dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg, 1);
    ASSERT_EQ(dlg.Communities().size(), 10u);
    s_sim->ClearLog();
    Try(drv, "");
    Try(drv, "   ");
    Try(drv, "a.b");
    Try(drv, "pub,lic");
    Try(drv, "public");  // listed: said before the maximum
    Try(drv, "Public");  // new (case counts), but the list is full
    Try(drv, std::string(33, 'x'));
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{CSNMPCommunity::kTextEmptyName, CSNMPCommunity::kTextEmptyName,
                                        CSNMPCommunity::kTextInvalidName, CSNMPCommunity::kTextInvalidName,
                                        CSNMPCommunity::kTextExists, CSNMPCommunity::kTextMaximum,
                                        CSNMPCommunity::kTextMaximum}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_COMM_NAME), std::string(32, 'x'));  // at most 32 go in
    EXPECT_TRUE(Sets().empty());
    boxes.Clear();
    ASSERT_TRUE(drv.Click(IDC_COMM_DELETE));  // nothing selected
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Please select the item would be delete!\n"});
    EXPECT_TRUE(Sets().empty());
}

TEST_F(Community, WithoutV1OrV2cUsersTheCommunityGetsAnEmptyUserName) {
    for (const char* user : {"public.1", "public.2", "private.2"}) {
        const std::string name(user, std::string(user).find('.'));
        s_sim->Set(kB + ".2.1.1.8" + NameIndex(name) + std::string(user).substr(name.size()), "i", "2");
    }
    CSNMPCommunity dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg, 1);
    EXPECT_TRUE(dlg.UserChoices().empty());
    s_sim->ClearLog();
    Add(drv, dlg, "ro");
    EXPECT_EQ(Sets()[1], "set .5.1.1.2" + NameIndex("ro") + "=s:");
}

TEST_F(Community, UserNamesTravelAsUtf8BothWays) {
    const std::string name =
        "b\xC3\xBC"
        "ro";  // "büro" in UTF-8
    const std::string index = NameIndex(name) + ".2";
    s_sim->Set(kB + ".2.1.1.1" + index, "s", name);
    s_sim->Set(kB + ".2.1.1.2" + index, "i", "2");
    s_sim->Set(kB + ".2.1.1.8" + index, "i", "1");
    CSNMPCommunity dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg, 1);
    ASSERT_EQ(dlg.UserChoices(), (std::vector<std::string>{name, "public", "private"}));
    s_sim->ClearLog();
    Add(drv, dlg, "office", name);
    EXPECT_EQ(Sets()[1], "set .5.1.1.2" + NameIndex("office") + "=s:" + name);
    EXPECT_EQ(drv.Row(IDC_COMM_LIST, 0), (std::vector<std::string>{"office", name}));
}

TEST_F(Community, AFailedStepIsToldAndLeavesNoHiddenRowBehind) {
    CSNMPCommunity dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg, 1);
    const std::string key = NameIndex("lab");
    // The user-name column refused: the created row goes again.
    s_sim->ErrorStatus(kB + ".5.1.1.2" + key, 5);
    s_sim->ClearLog();
    Add(drv, dlg, "lab");
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Failed to add the community: the device did not accept "
                                       "the user name. The community was not added."});
    EXPECT_EQ(Sets(),
              (std::vector<std::string>{"set .5.1.1.3" + key + "=i:5", "set .5.1.1.2" + key + "=s:public",
                                        "set .5.1.1.3" + key + "=i:6"}));
    EXPECT_EQ(s_sim->Get(kB + ".5.1.1.3" + key), "");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_COMM_NAME), "lab");  // kept for another try
    // ... and is no longer this module's: another manager's row made there since is replaced only on Yes.
    s_sim->ErrorStatus(kB + ".5.1.1.2" + key, 0);
    AddCommunityRow("lab", "private", "2");
    const std::string held = "The device already holds the community, not in service";
    for (const int answer : {IDNO, IDYES}) {
        boxes.Clear();
        boxes.Answer(answer);
        s_sim->ClearLog();
        Add(drv, dlg, "lab");
        EXPECT_EQ(boxes.Texts().front(), held + ". Replace it?");
        EXPECT_EQ(boxes.LastText(), held + (answer == IDNO ? "; it was left as it is." : ". Replace it?"));
    }
    EXPECT_EQ(Sets(),
              (std::vector<std::string>{"set .5.1.1.3" + key + "=i:5", "set .5.1.1.3" + key + "=i:6",
                                        "set .5.1.1.3" + key + "=i:5", "set .5.1.1.2" + key + "=s:public",
                                        "set .5.1.1.3" + key + "=i:1"}));
    boxes.Clear();
    EXPECT_EQ(dlg.Communities(), (std::vector<std::string>{"lab", "public", "private"}));
    // Creation refused: nothing to undo; a refused delete is told too.
    s_sim->ErrorStatus(kB + ".5.1.1.3" + NameIndex("lab2"), 5);
    s_sim->ClearLog();
    Add(drv, dlg, "lab2");
    s_sim->ErrorStatus(kB + ".5.1.1.3" + NameIndex("lab2"), 0);
    EXPECT_EQ(Sets(), std::vector<std::string>{"set .5.1.1.3" + NameIndex("lab2") + "=i:5"});
    ASSERT_EQ(drv.Cell(IDC_COMM_LIST, 0, 0), "lab");
    s_sim->RefuseWrites(kB + ".5.1.1.3" + key, 5);
    ASSERT_TRUE(drv.ClickRow(IDC_COMM_LIST, 0));
    ASSERT_TRUE(drv.Click(IDC_COMM_DELETE));
    ASSERT_TRUE(WaitUntil([&] { return !dlg.Writing(); }));
    s_sim->RefuseWrites(kB + ".5.1.1.3" + key, 0);
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{"Failed to add the community: the device did not accept the create.",
                                        "Failed to delete the community: the device did not accept it."}));
}

TEST_F(Community, AReadThatFailsMidwayKeepsItsRowsAndGivesRefreshBack) {
    ShortTimeout();
    s_sim->DelayMs(150);
    CSNMPCommunity dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return !dlg.Communities().empty(); }));
    s_sim->Silence(true);
    WaitRead(dlg, 1);
    s_sim->Silence(false);
    s_sim->DelayMs(0);
    EXPECT_FALSE(dlg.Communities().empty());
    EXPECT_EQ(dlg.GetDlgItemText(IDC_COMM_READ_STATUS), CSNMPCommunity::kTextReadFailed);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_COMM_REFRESH));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_COMM_DELETE));
    // The duplicate and maximum checks need the whole table: Apply waits for one.
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_COMM_APPLY));
    ASSERT_TRUE(drv.Click(IDC_COMM_REFRESH));
    WaitRead(dlg, 2);
    EXPECT_EQ(dlg.Communities(), (std::vector<std::string>{"public", "private"}));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_COMM_APPLY));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_COMM_READ_STATUS), "");
}

TEST_F(Community, RowsArrivingWhileTheDialogClosesAreDropped) {
    s_sim->DelayMs(150);
    CSNMPCommunity dlg;
    DialogDriver drv(dlg);
    EXPECT_EQ(g_bDialogClosing, 0);
    ASSERT_TRUE(WaitUntil([&] { return !dlg.Communities().empty(); }));
    ASSERT_TRUE(drv.Click(IDC_COMM_CLOSE));
    ASSERT_TRUE(drv.WaitEnded());
    EXPECT_EQ(g_bDialogClosing, 1);
    const auto listed = dlg.Communities();
    EXPECT_FALSE(WaitUntil([&] { return dlg.Communities() != listed || dlg.ReadsEnded() > 0; }, 600));
    s_sim->DelayMs(0);
}

}  // namespace
