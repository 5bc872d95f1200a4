// 802.1X global settings against the simulated switch: the three reads in order, Apply (and Enter)
// writing only the changed values in one request, Esc closing, and the refusals after a failed read
// or a refused write.
#include <gtest/gtest.h>

#include <QComboBox>
#include <string>
#include <vector>

#include "features/security/8021XGlobalDlg.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_dot1x.h"
#include "res/resource.h"
#include "tests/features/DialogTest.h"
#include "tests/features/StepRunTest.h"

namespace {

using namespace ksx;
using namespace ksx::dialogtest;

const std::string kG = "1.3.6.1.4.1.7393.10.76.20.1.23.1";
const std::string kState = kG + ".1.0";
const std::string kProtocol = kG + ".3.0";
const std::string kEapol = kG + ".4.0";
const std::vector<std::string> kReads = {
    "get " + kState + "=n:", "get " + kEapol + "=n:", "get " + kProtocol + "=n:"};

class Dot1xGlobal : public test::SharedSimTest {
protected:
    void TearDown() override {
        for (const std::string& oid : {kState, kEapol, kProtocol}) {
            s_sim->ErrorStatus(oid, 0);
        }
        SharedSimTest::TearDown();
    }
    static std::vector<std::string> Log() { return RequestLines(s_sim->Requests()); }
    static std::vector<std::string> Then(std::vector<std::string> first,
                                         const std::vector<std::string>& more) {
        first.insert(first.end(), more.begin(), more.end());
        return first;
    }
    // The reads (and a write) run off the window's thread: waits for the run to end.
    static bool Idle(const C8021XGlobalDlg& dlg) {
        return WaitUntil([&] { return !dlg.Busy(); }, 30000);
    }
    test::ScriptedMessageBox boxes;
};

TEST_F(Dot1xGlobal, ReadsTheThreeValuesInOrderAndShowsThem) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_DOT1X_GLOBAL));
    C8021XGlobalDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(Idle(dlg));
    EXPECT_EQ(dlg.GetWindowText(), "802.1X Global Settings ");
    EXPECT_EQ(Log(), kReads);
    // State and forwarding read "2", the protocol "1".
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_D1XG_STATE_DISABLED), 1);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_D1XG_STATE_ENABLED), 0);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_D1XG_EAPOL_DISABLED), 1);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_D1XG_PROTOCOL), "RADIUS");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_D1XG_PROTOCOL));
    ASSERT_TRUE(drv.Check(IDC_D1XG_STATE_ENABLED));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_D1XG_PROTOCOL));
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_D1XG_EAPOL_DISABLED), 1);  // the other pair keeps its choice
    ASSERT_TRUE(drv.Check(IDC_D1XG_STATE_DISABLED));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_D1XG_PROTOCOL));
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(Dot1xGlobal, ApplyWritesOnlyChangedValuesAndReadsAgain) {
    s_sim->Set(kState, "i", "1");
    C8021XGlobalDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(Idle(dlg));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_D1XG_PROTOCOL));

    // Nothing changed: nothing is written, the values are read again.
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDOK));
    ASSERT_TRUE(Idle(dlg));
    EXPECT_EQ(Log(), kReads);

    // Only the protocol, by Enter.
    ASSERT_TRUE(drv.Select(IDC_D1XG_PROTOCOL, 1));
    s_sim->ClearLog();
    drv.PressEnter();
    ASSERT_TRUE(Idle(dlg));
    EXPECT_EQ(Log(), Then({"set " + kProtocol + "=i:2"}, kReads));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_D1XG_PROTOCOL), "Local");
    EXPECT_FALSE(drv.Ended());

    // State off and forwarding on: one request, state first.
    ASSERT_TRUE(drv.Check(IDC_D1XG_STATE_DISABLED));
    ASSERT_TRUE(drv.Check(IDC_D1XG_EAPOL_ENABLED));
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDOK));
    ASSERT_TRUE(Idle(dlg));
    EXPECT_EQ(Log(), Then({"set " + kState + "=i:2 " + kEapol + "=i:1"}, kReads));
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_D1XG_EAPOL_ENABLED), 1);
    EXPECT_EQ(boxes.Count(), 0u);

    drv.PressEscape();
    ASSERT_TRUE(drv.WaitEnded());
    EXPECT_EQ(drv.Result(), IDCANCEL);
}

TEST_F(Dot1xGlobal, FailedReadKeepsApplyUnavailable) {
    // A refused read and a value of the wrong type are both values not read: neither may be written
    // back as "Disabled".
    for (int round = 0; round < 2; ++round) {
        if (round == 0) {
            s_sim->ErrorStatus(kEapol, 2);
        } else {
            s_sim->ErrorStatus(kEapol, 0);
            s_sim->Set(kProtocol, "s", "1");
        }
        boxes.Clear();
        C8021XGlobalDlg dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(Idle(dlg));
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the 802.1X global settings."});
        EXPECT_FALSE(dlg.IsDlgItemEnabled(IDOK));
        EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_D1XG_REFRESH));
        s_sim->ClearLog();
        drv.PressEnter();
        ASSERT_TRUE(Idle(dlg));
        ASSERT_TRUE(drv.Check(IDC_D1XG_STATE_ENABLED));
        drv.PressEnter();
        ASSERT_TRUE(Idle(dlg));
        EXPECT_TRUE(test::Sets(s_sim->Requests()).empty()) << round;
    }
    // Refresh after the device answers again makes Apply available.
    s_sim->Set(kProtocol, "i", "2");
    C8021XGlobalDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(Idle(dlg));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDOK));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_D1XG_PROTOCOL), "Local");
}

TEST_F(Dot1xGlobal, RefusedWriteIsReported) {
    C8021XGlobalDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(Idle(dlg));
    s_sim->ErrorStatus(kState, 3);
    ASSERT_TRUE(drv.Check(IDC_D1XG_STATE_ENABLED));
    ASSERT_TRUE(drv.Click(IDOK));
    ASSERT_TRUE(Idle(dlg));
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{"The device did not accept the 802.1X global settings.",
                                        "Failed to read the 802.1X global settings."}));
    s_sim->ErrorStatus(kState, 0);
    ASSERT_TRUE(drv.Click(IDC_D1XG_REFRESH));
    ASSERT_TRUE(Idle(dlg));
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_D1XG_STATE_DISABLED), 1);  // the device's value
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDOK));
}

TEST_F(Dot1xGlobal, ADeadDeviceLeavesEveryChoiceEmptyWithoutHoldingTheWindow) {
    // The device holds "RADIUS": unread, the protocol box must not claim either.
    s_sim->Silence(true);
    C8021XGlobalDlg dlg;
    DialogDriver drv(dlg);
    test::TickGap ticks;  // from the window shown on, while its reads go unanswered
    EXPECT_TRUE(dlg.Busy());
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDOK));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_D1XG_REFRESH));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_D1XG_PROTOCOL), "");
    ASSERT_TRUE(WaitUntil([&] { return dlg.Run().ProgressShown(); }));
    EXPECT_EQ(dlg.Run().ProgressText().left(42).toStdString(), "Reading the 802.1X global settings (1 of 3");
    ASSERT_TRUE(Idle(dlg));
    EXPECT_LT(ticks.MaxGapMs(), 250);
    EXPECT_FALSE(dlg.Run().ProgressShown());
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the 802.1X global settings."});
    EXPECT_EQ(dlg.Item<QComboBox>(IDC_D1XG_PROTOCOL)->currentIndex(), -1);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_D1XG_PROTOCOL), "");
    for (int id :
         {IDC_D1XG_STATE_ENABLED, IDC_D1XG_STATE_DISABLED, IDC_D1XG_EAPOL_ENABLED, IDC_D1XG_EAPOL_DISABLED}) {
        EXPECT_EQ(dlg.IsDlgButtonChecked(id), 0) << id;
    }
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDOK));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_D1XG_REFRESH));
    // The three reads, each once (a resent request counts once), and nothing written.
    const auto asked = test::RequestLines(test::DistinctRequests(*s_sim));
    EXPECT_EQ(asked, kReads);
    // Answering again, Refresh reads the device's values.
    s_sim->Silence(false);
    boxes.Clear();
    ASSERT_TRUE(drv.Click(IDC_D1XG_REFRESH));
    ASSERT_TRUE(Idle(dlg));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_D1XG_PROTOCOL), "RADIUS");
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDOK));
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(Dot1xGlobal, AProtocolOfTheWrongTypeIsShownAsNeitherAndNotWritten) {
    s_sim->Set(kState, "i", "1");
    s_sim->Set(kProtocol, "s", "1");
    C8021XGlobalDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(Idle(dlg));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the 802.1X global settings."});
    // The values that were read are shown; the protocol shows no choice.
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_D1XG_STATE_ENABLED), 1);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_D1XG_EAPOL_DISABLED), 1);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_D1XG_PROTOCOL), "");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDOK));
    s_sim->ClearLog();
    drv.PressEnter();
    ASSERT_TRUE(Idle(dlg));
    EXPECT_TRUE(test::Sets(s_sim->Requests()).empty());
    EXPECT_EQ(s_sim->Get(kProtocol), "1");
}

TEST_F(Dot1xGlobal, CloseDuringASlowWriteSaysItIsUnconfirmed) {
    C8021XGlobalDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(Idle(dlg));
    ASSERT_TRUE(drv.Check(IDC_D1XG_EAPOL_ENABLED));
    s_sim->DelayMs(1000);
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !test::DistinctSets(*s_sim).empty(); }));
    drv.PressEscape();
    ASSERT_TRUE(drv.WaitEnded());
    EXPECT_FALSE(dlg.Busy());
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{
                  "Stopped: the device did not confirm whether the 802.1X global settings were written."});
    // The reads after the write never started.
    EXPECT_EQ(test::RequestLines(test::DistinctRequests(*s_sim)),
              std::vector<std::string>{"set " + kEapol + "=i:1"});
}

}  // namespace
