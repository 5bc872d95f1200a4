// The port settings dialog while its walks run: a timed-out read restarts by itself until the device
// answers again, and closing mid-walk (also when opened through its menu command) ends promptly with
// nothing delivered afterwards.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <string>
#include <vector>

#include "controls/ListCtrl.h"
#include "features/port_system/PortSetInfo.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_port_settings.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"

namespace {

using namespace ksx;
using test::DialogDriver;

const std::string kPortTable = "1.3.6.1.4.1.7393.10.76.20.1.1.13.1";

// Requests that start a port-table read (the six columns, no instance).
int FirstSteps(const std::vector<test::SimRequest>& log) {
    int n = 0;
    for (const auto& r : log) {
        if (r.pdu == "getnext" && r.varbinds.size() == 6 && r.varbinds[0].oid == kPortTable + ".1") {
            ++n;
        }
    }
    return n;
}

class PortSetInfoThreads : public test::SharedSimTest {
protected:
    static bool Idle(CPortSetInfo& dlg) {
        return dlg.IsDlgItemEnabled(IDC_PORTSET_APPLY) && dlg.Logic().Session().IsDone() &&
               dlg.Logic().TableSession().IsDone();
    }
};

TEST_F(PortSetInfoThreads, TimedOutReadRestartsUntilTheDeviceAnswers) {
    test::UseSimV1(*s_sim, "300");
    // Every second request goes unanswered: reads keep timing out after their first step.
    s_sim->DropPercent(50);
    CPortSetInfo dlg;
    DialogDriver drv(dlg);
    // (The dialog handles its messages only while events are pumped.)
    ASSERT_TRUE(test::WaitUntil([] { return FirstSteps(s_sim->Requests()) >= 3; }, 40000));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PORTSET_PORT_ID), "");
    s_sim->DropPercent(0);
    ASSERT_TRUE(test::WaitUntil([&] { return Idle(dlg); }, 30000));
    auto* list = drv.ItemAs<CListCtrl>(IDC_PORTSET_LIST);
    ASSERT_EQ(list->GetItemCount(), 28);
    EXPECT_EQ(list->GetItemText(27, 0), "28");
    drv.PressEscape();
    ASSERT_TRUE(drv.WaitEnded());
}

TEST_F(PortSetInfoThreads, ClosingMidWalkEndsPromptly) {
    test::UseSimV1(*s_sim);
    s_sim->DelayMs(20);
    for (int rows : {1, 4, 11, 20}) {
        SCOPED_TRACE(rows);
        CPortSetInfo dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(test::WaitUntil([&] { return dlg.Logic().RowCount() >= rows; }, 20000));
        const auto t0 = std::chrono::steady_clock::now();
        drv.PressEscape();
        ASSERT_TRUE(drv.WaitEnded());
        EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(1500));
        EXPECT_EQ(g_bDialogClosing, 1);
        const int atEnd = dlg.Logic().RowCount();
        test::PumpEvents();
        EXPECT_EQ(dlg.Logic().RowCount(), atEnd);
        EXPECT_EQ(drv.ItemAs<CListCtrl>(IDC_PORTSET_LIST)->GetItemCount(), 0);
    }
}

TEST_F(PortSetInfoThreads, MenuCommandRunsTheDialogModally) {
    test::UseSimV1(*s_sim);
    s_sim->DelayMs(3);
    bool sawDialog = false;
    QTimer::singleShot(0, [&] {
        // Inside the dialog's modal loop: close it while its port read is under way.
        test::WaitUntil(
            [] { return dynamic_cast<CPortSetInfo*>(QApplication::activeModalWidget()) != nullptr; });
        auto* dlg = dynamic_cast<CPortSetInfo*>(QApplication::activeModalWidget());
        if (dlg == nullptr) {
            return;
        }
        sawDialog = true;
        test::WaitUntil([&] { return dlg->Logic().RowCount() >= 5; }, 20000);
        dlg->PostMessage(WM_CLOSE);
    });
    const auto t0 = std::chrono::steady_clock::now();
    ASSERT_TRUE(ui::FeatureRegistry::Instance().Run(ID_MENU_PORT_CONFIGURATION));
    EXPECT_TRUE(sawDialog);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(20));
    EXPECT_EQ(g_bDialogClosing, 1);
}

}  // namespace
