// 802.1X local users against the simulated switch: the list as read and its total, the add requests
// (create, password, activate), the input refusals, a refused password that leaves no account behind or
// another's account touched, an add against a slow device stopped by Close, and the delete.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "features/security/8021XUserDLG.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_dot1x.h"
#include "res/resource.h"
#include "tests/features/DialogTest.h"
#include "tests/features/StepRunTest.h"

namespace {

using namespace ksx;
using namespace ksx::dialogtest;

const std::string kEntry = "1.3.6.1.4.1.7393.10.76.20.1.23.3.1.1";
const size_t kCut = kEntry.size() + 1;  // set lines read "3.4.97.98.99.100=i:4"
const std::string kAbcd = ".4.97.98.99.100";

class Dot1xUsers : public test::SharedSimTest {
protected:
    void TearDown() override {
        s_sim->ErrorStatus(kEntry + ".2", 0);
        s_sim->ErrorStatus(kEntry + ".3" + kAbcd, 0);
        s_sim->LoseAnswer("off");
        SharedSimTest::TearDown();
    }
    static void WaitRead(C8021XUserDLG& dlg) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.ReadEnded(); }));
    }
    // `toTheEnd`: returns once the add's run has ended.
    void Add(DialogDriver& drv, const std::string& name, const std::string& password,
             const std::string& confirm, bool toTheEnd = true) {
        ASSERT_TRUE(drv.Type(IDC_D1XU_NAME, name));
        ASSERT_TRUE(drv.Type(IDC_D1XU_PASSWORD, password));
        ASSERT_TRUE(drv.Type(IDC_D1XU_CONFIRM, confirm));
        boxes.Clear();
        s_sim->ClearLog();
        ASSERT_TRUE(drv.Click(IDC_D1XU_ADD));
        ASSERT_TRUE(!toTheEnd ||
                    WaitUntil([&] { return !static_cast<C8021XUserDLG&>(drv.Dialog()).Run().Running(); }));
    }
    static std::vector<std::string> Sets() { return SetLines(s_sim->Requests(), kCut); }
    test::ScriptedMessageBox boxes;
};

TEST_F(Dot1xUsers, ListsActiveUsersAndCountsAll) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_DOT1X_USER));
    // A second account not yet active: counted, not listed.
    s_sim->Set(kEntry + ".1.4.122.122.122.122", "s", "zzzz");
    s_sim->Set(kEntry + ".2.4.122.122.122.122", "s", "");
    s_sim->Set(kEntry + ".3.4.122.122.122.122", "i", "2");
    C8021XUserDLG dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "802.1X User");
    const std::vector<test::SimRequest> walk = test::OfKind(s_sim->Requests(), "getnext");
    ASSERT_FALSE(walk.empty());
    EXPECT_EQ(test::Bindings(walk[0]),
              (std::vector<std::string>{kEntry + ".1=n:", kEntry + ".2=n:", kEntry + ".3=n:"}));
    ASSERT_EQ(drv.Rows(IDC_D1XU_LIST), 1);
    EXPECT_EQ(drv.Row(IDC_D1XU_LIST, 0), (std::vector<std::string>{"1", "guest", "*****"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_D1XU_TOTAL), "2");
    EXPECT_EQ(dlg.m_8021XLogic.m_UserList[1].password, "*****");  // even an empty password is masked
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_D1XU_TOTAL));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_D1XU_ADD));
}

TEST_F(Dot1xUsers, AddsAUserWithItsPassword) {
    C8021XUserDLG dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    Add(drv, "abcd", "wxyz", "wxyz");
    EXPECT_EQ(Sets(), (std::vector<std::string>{"3" + kAbcd + "=i:4", "2" + kAbcd + "=s:wxyz",
                                                "3" + kAbcd + "=i:1"}));
    EXPECT_EQ(test::Sets(s_sim->Requests())[1].principal, "harbour");
    WaitRead(dlg);
    EXPECT_EQ(boxes.Count(), 0u);
    ASSERT_EQ(drv.Rows(IDC_D1XU_LIST), 2);
    // Rows come in the device's order (by index: the name's length first), numbered as shown.
    EXPECT_EQ(drv.Row(IDC_D1XU_LIST, 0), (std::vector<std::string>{"1", "abcd", "*****"}));
    EXPECT_EQ(drv.Row(IDC_D1XU_LIST, 1), (std::vector<std::string>{"2", "guest", "*****"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_D1XU_NAME), "");
    EXPECT_EQ(s_sim->Get(kEntry + ".2" + kAbcd), "wxyz");

    // Names differing only in case are different users.
    Add(drv, "GUEST", "pass1", "pass1");
    EXPECT_EQ(Sets().size(), 3u);
    WaitRead(dlg);
    EXPECT_EQ(drv.Rows(IDC_D1XU_LIST), 3);
}

TEST_F(Dot1xUsers, AnAccountAnotherManagerLeftInactiveIsReplacedOnYes) {
    // Counted, not listed, and no duplicate.
    s_sim->Set(kEntry + ".1" + kAbcd, "s", "abcd");
    s_sim->Set(kEntry + ".2" + kAbcd, "s", "old");
    s_sim->Set(kEntry + ".3" + kAbcd, "i", "2");
    C8021XUserDLG dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    ASSERT_EQ(drv.Rows(IDC_D1XU_LIST), 1);
    Add(drv, "abcd", "wxyz", "wxyz");
    EXPECT_EQ(Sets(),
              (std::vector<std::string>{"3" + kAbcd + "=i:4", "3" + kAbcd + "=i:6", "3" + kAbcd + "=i:4",
                                        "2" + kAbcd + "=s:wxyz", "3" + kAbcd + "=i:1"}));
    WaitRead(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{
                                 "The device already holds the user abcd, not in service. Replace it?"});
    EXPECT_EQ(drv.Row(IDC_D1XU_LIST, 0), (std::vector<std::string>{"1", "abcd", "*****"}));
    EXPECT_EQ(s_sim->Get(kEntry + ".3" + kAbcd), "1");
}

TEST_F(Dot1xUsers, RefusesShortNamesPasswordsMismatchesAndDuplicates) {
    C8021XUserDLG dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    const struct {
        const char* name;
        const char* password;
        const char* confirm;
        const char* message;
    } cases[] = {
        {"abc", "abcd", "abcd", "User name must be more than 3 characters!"},
        {"", "abcd", "abcd", "User name must be more than 3 characters!"},
        {"abcd", "abc", "abc", "PassWord must be more than 3 characters!"},
        {"abcd", "abcd", "abce", "Please Confirm User Password!"},
        {"abcd", "abcd", "", "Please Confirm User Password!"},
        {"guest", "abcd", "abcd", "Duplicate 802.1X User Name"},
    };
    for (const auto& c : cases) {
        Add(drv, c.name, c.password, c.confirm);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{c.message}) << c.name << "/" << c.password;
        EXPECT_TRUE(s_sim->Requests().empty());
    }
    // Names and passwords stop at 15 characters.
    ASSERT_TRUE(drv.Type(IDC_D1XU_NAME, "abcdefghijklmnopq"));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_D1XU_NAME), "abcdefghijklmno");
    drv.PressEnter();
    drv.PressEscape();
    test::PumpEvents();
    EXPECT_FALSE(drv.Ended());
    EXPECT_TRUE(s_sim->Requests().empty());
}

TEST_F(Dot1xUsers, RefusedPasswordLeavesNoAccountBehind) {
    C8021XUserDLG dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    s_sim->ErrorStatus(kEntry + ".2", 3);
    Add(drv, "abcd", "wxyz", "wxyz");
    EXPECT_EQ(Sets(), (std::vector<std::string>{"3" + kAbcd + "=i:4", "2" + kAbcd + "=s:wxyz",
                                                "3" + kAbcd + "=i:6"}));
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(boxes.Texts()[0],
              "please check what you put\n\nThe device did not accept the password. The user was not added.");
    EXPECT_EQ(s_sim->Get(kEntry + ".3" + kAbcd), "");
    WaitRead(dlg);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_D1XU_NAME), "abcd");  // the form keeps what was typed
    s_sim->ErrorStatus(kEntry + ".2", 0);

    // A password the device never answered for is not said as refused; the account goes all the same.
    ASSERT_TRUE(drv.Click(IDC_D1XU_REFRESH));
    WaitRead(dlg);
    s_sim->LoseAnswer(kEntry + ".2" + kAbcd);
    Add(drv, "abcd", "wxyz", "wxyz");
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"please check what you put\n\nThe device did not answer: it "
                                       "did not confirm whether the password was written. The "
                                       "user was not added."});
    EXPECT_EQ(s_sim->Get(kEntry + ".3" + kAbcd), "");
    s_sim->LoseAnswer("off");
    WaitRead(dlg);

    // A refused creation sends nothing more.
    s_sim->ErrorStatus(kEntry + ".3" + kAbcd, 3);
    ASSERT_TRUE(drv.Click(IDC_D1XU_REFRESH));
    WaitRead(dlg);
    Add(drv, "abcd", "wxyz", "wxyz");
    EXPECT_EQ(Sets(), std::vector<std::string>{"3" + kAbcd + "=i:4"});
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(boxes.Texts()[0], "please check what you put\n\nThe device did not accept the create.");
    WaitRead(dlg);
}

TEST_F(Dot1xUsers, ACreateAppliedButNeverAnsweredLeavesNoAccountWithoutItsPassword) {
    const std::string nurse = ".5.110.117.114.115.101";
    C8021XUserDLG dlg;
    DialogDriver drv(dlg);
    for (const bool passwordRefused : {true, false}) {
        SCOPED_TRACE(passwordRefused);
        WaitRead(dlg);
        s_sim->ErrorStatus(kEntry + ".2", passwordRefused ? 3 : 0);
        s_sim->LoseAnswer(kEntry + ".3" + nurse);
        Add(drv, "nurse", "ward7secret", "ward7secret");
        std::vector<std::string> sets{"3" + nurse + "=i:4", "2" + nurse + "=s:ward7secret"};
        if (passwordRefused) {
            sets.push_back("3" + nurse + "=i:6");
        }
        EXPECT_EQ(SetLines(s_sim->DistinctRequests(), kCut), sets);
        const std::string unanswered =
            "he device did not answer the create of the user nurse, but it had made it; ";
        EXPECT_EQ(boxes.Texts(),
                  std::vector<std::string>{
                      passwordRefused
                          ? "please check what you put\n\nT" + unanswered +
                                "the rest of it could not be written, so the row it made was removed."
                          : "T" + unanswered + "the rest of it is now written. The user nurse was added."});
        EXPECT_EQ(s_sim->Get(kEntry + ".3" + nurse), passwordRefused ? "" : "1");
        EXPECT_EQ(s_sim->Get(kEntry + ".2" + nurse), passwordRefused ? "" : "ward7secret");
        WaitRead(dlg);
        s_sim->ErrorStatus(kEntry + ".2", 0);  // the read after the refusal failed with it: read again
        ASSERT_TRUE(drv.Click(IDC_D1XU_REFRESH));
    }
}

TEST_F(Dot1xUsers, AnAccountAnotherManagerMadeSinceTheListWasReadIsLeftAsItWas) {
    const std::string nurse = ".5.110.117.114.115.101";
    C8021XUserDLG dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    s_sim->Set(kEntry + ".1" + nurse, "s", "nurse");  // made once the list was read
    s_sim->Set(kEntry + ".2" + nurse, "s", "theirs77");
    s_sim->Set(kEntry + ".3" + nurse, "i", "1");
    s_sim->LoseAnswer(kEntry + ".3" + nurse, true);  // the create's resend answers, refused
    Add(drv, "nurse", "ward7secret", "ward7secret");
    EXPECT_EQ(SetLines(s_sim->DistinctRequests(), kCut), std::vector<std::string>{"3" + nurse + "=i:4"});
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"please check what you put\n\nThe device already holds "
                                                      "the user nurse; it was left as it is."});
    EXPECT_EQ(s_sim->Get(kEntry + ".2" + nurse), "theirs77");
    EXPECT_EQ(s_sim->Get(kEntry + ".3" + nurse), "1");
    WaitRead(dlg);
}

TEST_F(Dot1xUsers, ASlowAddKeepsTheWindowLiveAndCloseAtThePasswordOrTheActivationSaysWhatTheDeviceHolds) {
    const std::string nurse = ".5.110.117.114.115.101";
    C8021XUserDLG dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    ASSERT_TRUE(drv.Type(IDC_D1XU_NAME, "nurse"));
    ASSERT_TRUE(drv.Type(IDC_D1XU_PASSWORD, "ward7secret"));
    ASSERT_TRUE(drv.Type(IDC_D1XU_CONFIRM, "ward7secret"));
    // The password's answer never comes: the add is surely at it when Close comes, once the device has it.
    s_sim->LoseAnswer(kEntry + ".2" + nurse);
    test::SlowRun run(*s_sim);
    ASSERT_NO_FATAL_FAILURE(run.Click(dlg, drv, IDC_D1XU_ADD,
                                      {IDC_D1XU_ADD, IDC_D1XU_DELETE, IDC_D1XU_REFRESH}, 3,
                                      "Adding the user nurse: writing its password..."));
    // Closed with the password on its way: once the add has ended, the account the create-and-go made
    // goes, so that none stays active without the password given.
    ASSERT_NO_FATAL_FAILURE(run.CloseThenRemoved(
        drv, boxes, "Stopped: the user nurse was not added; what the device had made of it was removed."));
    EXPECT_EQ(SetLines(s_sim->DistinctRequests(), kCut),
              (std::vector<std::string>{"3" + nurse + "=i:4", "2" + nurse + "=s:ward7secret",
                                        "3" + nurse + "=i:6"}));
    EXPECT_EQ(s_sim->Get(kEntry + ".3" + nurse), "");

    // Closed with the activation on its way: its answer is lost once the password has reached the
    // device (the create was answered by then). The account was not confirmed added.
    C8021XUserDLG again;
    DialogDriver drv2(again);
    WaitRead(again);
    Add(drv2, "nurse", "ward7secret", "ward7secret", false);
    ASSERT_TRUE(WaitUntil([&] { return s_sim->DistinctRequests().size() >= 3; }));
    s_sim->LoseAnswer(kEntry + ".3" + nurse);
    ASSERT_TRUE(WaitUntil([&] { return s_sim->DistinctRequests().size() >= 4; }));
    drv2.CloseBox();
    ASSERT_TRUE(drv2.WaitEnded());
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Stopped: the device did not confirm whether the user "
                                                      "nurse was added. If it is not listed, add it again."});
}

TEST_F(Dot1xUsers, DeletesTheSelectedUser) {
    C8021XUserDLG dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_D1XU_DELETE));
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Please Choose One To Delete Or Check If Have Any Data"});
    EXPECT_TRUE(s_sim->Requests().empty());
    ASSERT_TRUE(drv.ClickRow(IDC_D1XU_LIST, 0));
    ASSERT_TRUE(drv.Click(IDC_D1XU_DELETE));
    EXPECT_EQ(Sets(), std::vector<std::string>{"3.5.103.117.101.115.116=i:6"});
    WaitRead(dlg);
    EXPECT_EQ(drv.Rows(IDC_D1XU_LIST), 0);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_D1XU_TOTAL), "0");
    EXPECT_EQ(boxes.Count(), 1u);
}

TEST_F(Dot1xUsers, FailedReadKeepsAddUnavailable) {
    s_sim->Silence(true);
    g_strSnmpTimeout = "600";
    C8021XUserDLG dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the 802.1X users."});
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_D1XU_ADD));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_D1XU_REFRESH));
    s_sim->Silence(false);
    ASSERT_TRUE(drv.Click(IDC_D1XU_REFRESH));
    WaitRead(dlg);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_D1XU_ADD));
}

}  // namespace
