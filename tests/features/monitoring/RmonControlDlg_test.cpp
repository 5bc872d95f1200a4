// Older RMON control dialog over the SNMP class library, against the simulated switch: the one read of
// six scalars, Apply's checks and its write, a refused write, short replies and other SNMP versions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "features/monitoring/RmonControlDlg.h"
#include "platform/sys/Globals.h"
#include "res/ids_rmon1.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using ksx::test::DialogDriver;
using ksx::test::WaitUntil;

const std::string kL = "1.3.6.1.4.1.7393.10.94.89.89";

class RmonControl : public test::SharedSimTest {
protected:
    test::ScriptedMessageBox boxes;
};

TEST_F(RmonControl, ReadsTheSixScalarsInOneGet) {
    CRmonControlDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return dlg.HasRead(); }));
    EXPECT_EQ(dlg.GetWindowText(), "RMON Control");
    std::string expected = "get quaint";
    for (const char* leaf : {"1", "2", "3", "6", "7", "8"}) {
        expected += " " + kL + ".49." + leaf + ".0|n|";
    }
    EXPECT_EQ(test::Describe(s_sim->Requests()), std::vector<std::string>{expected});
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RMONCTL_MIB_VERSION), "1");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RMONCTL_QUOTA_BUCKET), "8");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RMONCTL_MAX_BUCKETS), "256");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RMONCTL_CTL_QUOTA_BUCKET), "1");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RMONCTL_CTL_MAX_BUCKETS), "8");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RMONCTL_MAX_ENTRIES), "2");
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_RMONCTL_APPLY));
}

TEST_F(RmonControl, ApplyWritesTheFourValuesAndStaysOpen) {
    CRmonControlDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return dlg.HasRead(); }));
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Type(IDC_RMONCTL_CTL_MAX_BUCKETS, "300"));
    ASSERT_TRUE(drv.Click(IDC_RMONCTL_APPLY));
    EXPECT_EQ(test::Describe(s_sim->Requests()),
              std::vector<std::string>{"set harbour " + kL + ".49.2.0|i|8 " + kL + ".49.6.0|i|1 " + kL +
                                       ".49.7.0|i|300 " + kL + ".49.8.0|i|2"});
    EXPECT_EQ(s_sim->Get(kL + ".49.7.0"), "300");
    EXPECT_FALSE(drv.Ended());
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(RmonControl, ApplySendsNothingItHasNotChecked) {
    CRmonControlDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return dlg.HasRead(); }));
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Type(IDC_RMONCTL_QUOTA_BUCKET, std::string(33, '1')));
    ASSERT_TRUE(drv.Click(IDC_RMONCTL_APPLY));
    ASSERT_TRUE(drv.Type(IDC_RMONCTL_QUOTA_BUCKET, "8"));
    for (const char* bad : {"abc", "-1", "", "2147483648", "1 2"}) {
        ASSERT_TRUE(drv.Type(IDC_RMONCTL_MAX_ENTRIES, bad));
        ASSERT_TRUE(drv.Click(IDC_RMONCTL_APPLY));
    }
    EXPECT_TRUE(s_sim->Requests().empty());
    const std::string number =
        "Please enter a whole number from 0 to 2147483647 for ControlHistoryMaxEntries.";
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"Enter no more than 32 characters.", number, number,
                                                       number, number, number}));
    ASSERT_TRUE(drv.Type(IDC_RMONCTL_MAX_ENTRIES, "2147483647"));
    ASSERT_TRUE(drv.Click(IDC_RMONCTL_APPLY));
    EXPECT_EQ(test::Sets(s_sim->Requests()).size(), 1u);
}

TEST_F(RmonControl, ARefusedWriteIsReportedAndTheDeviceValuesReadAgain) {
    CRmonControlDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return dlg.HasRead(); }));
    s_sim->ErrorStatus(kL + ".49.7.0", 3);
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Type(IDC_RMONCTL_CTL_MAX_BUCKETS, "300"));
    ASSERT_TRUE(drv.Click(IDC_RMONCTL_APPLY));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"The device did not accept the RMON control values."});
    // The set, then the read of what the device holds.
    ASSERT_TRUE(s_sim->WaitForRequests([](const auto& log) { return log.size() >= 2; }));
    const auto log = s_sim->Requests();
    EXPECT_EQ(log[0].pdu, "set");
    EXPECT_EQ(log[1].pdu, "get");
    EXPECT_EQ(log[1].varbinds.size(), 6u);
    s_sim->ErrorStatus(kL + ".49.7.0", 0);
    EXPECT_EQ(s_sim->Get(kL + ".49.7.0"), "8");
    // Once the device answers, the edits show its values again.
    ASSERT_TRUE(drv.Click(IDC_RMONCTL_REFRESH));
    ASSERT_TRUE(WaitUntil([&] { return dlg.GetDlgItemText(IDC_RMONCTL_CTL_MAX_BUCKETS) == "8"; }));
}

TEST_F(RmonControl, NoWriteBeforeARead) {
    s_sim->Silence(true);
    CRmonControlDlg dlg;
    DialogDriver drv(dlg);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_RMONCTL_APPLY));
    dlg.DispatchCommand(IDC_RMONCTL_APPLY);
    s_sim->Silence(false);
    EXPECT_TRUE(test::Sets(s_sim->Requests()).empty());
}

TEST_F(RmonControl, AShortReplyChangesNothing) {
    s_sim->Command("unset " + kL + ".49.8.0");
    CRmonControlDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(s_sim->WaitForRequests([](const auto& log) { return !log.empty(); }));
    EXPECT_FALSE(WaitUntil([&] { return dlg.HasRead(); }, 500));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RMONCTL_MIB_VERSION), "");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_RMONCTL_APPLY));
}

TEST_F(RmonControl, AValueOfTheWrongTypeIsNotReadNorWrittenBack) {
    s_sim->Set(kL + ".49.7.0", "s", "8");
    CRmonControlDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(s_sim->WaitForRequests([](const auto& log) { return !log.empty(); }));
    EXPECT_FALSE(WaitUntil([&] { return dlg.HasRead(); }, 500));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RMONCTL_CTL_MAX_BUCKETS), "");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_RMONCTL_APPLY));
    s_sim->ClearLog();
    dlg.DispatchCommand(IDC_RMONCTL_APPLY);
    EXPECT_TRUE(test::Sets(s_sim->Requests()).empty());
}

TEST_F(RmonControl, OtherSnmpVersionsDoNothing) {
    test::UseSimV3(*s_sim, "1", "noauthuser", "1", "", "1", "");
    CRmonControlDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(drv.Click(IDC_RMONCTL_REFRESH));
    dlg.DispatchCommand(IDC_RMONCTL_APPLY);
    test::PumpEvents();
    EXPECT_TRUE(s_sim->Requests().empty());
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RMONCTL_QUOTA_BUCKET), "");
}

}  // namespace
