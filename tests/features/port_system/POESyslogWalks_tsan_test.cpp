// The walks of the PoE and syslog dialogs under thread checking: rows arriving while the user refreshes,
// and the dialogs closing while a walk step waits for a slow device, again and again.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/ListCtrl.h"
#include "features/port_system/POEConfigDlg.h"
#include "features/port_system/POEGlobal.h"
#include "features/port_system/SyslogHostCfgDlg.h"
#include "platform/sys/Globals.h"
#include "res/ids_poe_syslog.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using ksx::test::DialogDriver;
using ksx::test::SimRequest;
using ksx::test::WaitUntil;

class POESyslogWalks : public ::testing::Test {
protected:
    void SetUp() override { test::UseSimV1(sim, "1000"); }
    void TearDown() override {
        sim.DelayMs(0);
        ResetConnectionSettings();
    }
    // Waits, pumping events (later walk steps start from the UI thread), until the switch has logged
    // `count` requests since the last ClearLog.
    void WaitRequests(size_t count) {
        ASSERT_TRUE(WaitUntil([&] { return sim.Requests().size() >= count; }));
    }

    test::SimSwitch sim{test::SimSwitch::Options{"ksx-4200-28p", {}}};
    test::ScriptedMessageBox boxes;
};

TEST_F(POESyslogWalks, RefreshWhileRowsArriveFillsTheListOnce) {
    CPOEConfigDlg dlg;
    DialogDriver drv(dlg);
    auto* list = static_cast<CListCtrl*>(dlg.GetDlgItem(IDC_POE_LIST));
    for (int round = 0; round < 5; ++round) {
        ASSERT_TRUE(WaitUntil([&] { return list->GetItemCount() >= 3 || dlg.PortWalksEnded() > round; }));
        // The command itself, also while the button is disabled: both walks restart mid-way.
        dlg.DispatchCommand(IDC_POE_REFRESH);
    }
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_POE_APPLY) && list->GetItemCount() == 24; }));
    EXPECT_EQ(list->GetItemText(23, 0).toStdString(), "24");
    EXPECT_EQ(dlg.TimeRangeNames().size(), dlg.TimeRangeIds().size());
}

TEST_F(POESyslogWalks, ClosingWhileAStepWaitsForASlowDevice) {
    sim.DelayMs(150);
    for (int round = 0; round < 3; ++round) {
        {
            sim.ClearLog();
            CPOEConfigDlg dlg;
            DialogDriver drv(dlg);
            WaitRequests(static_cast<size_t>(1 + round));
            ASSERT_TRUE(drv.Click(IDC_POE_CLOSE));
            ASSERT_TRUE(drv.WaitEnded(2000));
        }
        {
            sim.ClearLog();
            CPOEGlobal dlg;
            DialogDriver drv(dlg);
            WaitRequests(1);
            drv.CloseBox();
            ASSERT_TRUE(drv.WaitEnded(2000));
            EXPECT_EQ(dlg.ReadsEnded(), 0);
        }
        {
            sim.ClearLog();
            CSyslogHostCfgDlg dlg;
            DialogDriver drv(dlg);
            WaitRequests(static_cast<size_t>(1 + round % 2));  // the global read, or the host walk too
            ASSERT_TRUE(drv.Click(IDC_SYSLOG_CLOSE));
            ASSERT_TRUE(drv.WaitEnded(2000));
        }
    }
    EXPECT_TRUE(boxes.Texts().empty());
}

}  // namespace
