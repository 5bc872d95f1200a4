// The IGMP snooping global settings dialog against the simulated switch: the read on opening, the range
// messages in their order, the confirmation before disabling, the requests of enabling and editing, and
// an unanswered read that leaves Refresh usable and Apply unavailable.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <string>
#include <vector>

#include "features/layer2/IGMPSnoopConfig.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_igmp.h"
#include "res/resource.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using ksx::test::DialogDriver;

const std::string kP = "1.3.6.1.4.1.7393.10.76.20.1";
const size_t kCut = kP.size() + 1;

class IGMPSnoopConfigTest : public test::SharedSimTest {
protected:
    void SetUp() override {
        SharedSimTest::SetUp();
        g_nPortNum = 28;
    }
    std::vector<std::string> SetsSent() { return test::SetLines(s_sim->Requests(), kCut); }
    size_t GlobalReads() { return test::OfKind(s_sim->Requests(), "get").size(); }
    // The settings are read without holding the window: Refresh returns when the read has ended.
    static void WaitRead(CIGMPSnoopConfig& dlg) {
        ASSERT_TRUE(test::WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_IGMP_REFRESH); }));
    }

    test::ScriptedMessageBox boxes;
};

TEST_F(IGMPSnoopConfigTest, OpensWithTheDeviceSettings) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_IGMP_SNOOPING));
    CIGMPSnoopConfig dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "IGMP Snooping Configuration");
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_IGMP_ENABLE), 1);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_IGMP_REPORT_ALL), 0);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IGMP_HOST_TIMEOUT), "260");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IGMP_ROUTER_TIMEOUT), "125");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IGMP_ROBUSTNESS), "2");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IGMP_LAST_MEMBER), "1");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IGMP_QUERY_INTERVAL), "125");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IGMP_MAX_RESPONSE), "10");
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_IGMP_APPLY));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_IGMP_REFRESH));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_IGMP_HOST_TIMEOUT));

    // Clearing the switch greys the edits and the report switch.
    ASSERT_TRUE(drv.Check(IDC_IGMP_ENABLE, false));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_IGMP_HOST_TIMEOUT));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_IGMP_REPORT_ALL));
    ASSERT_TRUE(drv.Check(IDC_IGMP_ENABLE, true));

    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/igmp";
    QDir().mkpath(dir);
    test::PumpEvents();
    EXPECT_TRUE(test::GrabScreenshot(&dlg, (dir + "/igmp_snooping.png").toStdString()));
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(IGMPSnoopConfigTest, RangeChecksInOrderAndNothingSent) {
    CIGMPSnoopConfig dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    struct Case {
        int id;
        std::string bad;
        std::string good;
        std::string message;
    };
    // Each edit at a value just outside its range, then at its edge, in the order Apply checks them.
    const std::vector<Case> cases = {
        {IDC_IGMP_HOST_TIMEOUT, "153026", "153025", "Invalid Host Timeout (130-153025 sec)."},
        {IDC_IGMP_ROUTER_TIMEOUT, "601", "600", "Invalid Router Timeout (60-600 sec)."},
        {IDC_IGMP_ROBUSTNESS, "1", "255", "Invalid Robustness Variable (2-255)."},
        {IDC_IGMP_LAST_MEMBER, "26", "25", "Invalid Last Member Query Interval (1-25 sec)."},
        {IDC_IGMP_QUERY_INTERVAL, "59", "60", "Invalid Query Interval (60-600 sec)."},
        {IDC_IGMP_MAX_RESPONSE, "9", "10", "Invalid Max. Response Time (10-25 sec)."},
    };
    // All bad at once: the messages come one Apply at a time, first failing edit first.
    for (const Case& c : cases) {
        ASSERT_TRUE(drv.Type(c.id, c.bad));
    }
    for (const Case& c : cases) {
        boxes.Clear();
        ASSERT_TRUE(drv.Click(IDC_IGMP_APPLY));
        WaitRead(dlg);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{c.message});
        ASSERT_TRUE(drv.Type(c.id, c.good));
    }
    EXPECT_TRUE(SetsSent().empty());

    // An empty edit counts as 0, also greyed while snooping is being disabled.
    ASSERT_TRUE(drv.Type(IDC_IGMP_ROBUSTNESS, ""));
    ASSERT_TRUE(drv.Check(IDC_IGMP_ENABLE, false));
    boxes.Clear();
    ASSERT_TRUE(drv.Click(IDC_IGMP_APPLY));
    WaitRead(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Invalid Robustness Variable (2-255)."});
    EXPECT_TRUE(SetsSent().empty());
}

TEST_F(IGMPSnoopConfigTest, DisablingAsksFirstAndWritesOnlyTheState) {
    CIGMPSnoopConfig dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    ASSERT_TRUE(drv.Type(IDC_IGMP_QUERY_INTERVAL, "300"));
    ASSERT_TRUE(drv.Check(IDC_IGMP_ENABLE, false));

    // Cancel: nothing written, the device's values read back into the form.
    boxes.Answer(IDCANCEL);
    const size_t reads = GlobalReads();
    ASSERT_TRUE(drv.Click(IDC_IGMP_APPLY));
    WaitRead(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"All router ports will be deleted."});
    EXPECT_TRUE(SetsSent().empty());
    EXPECT_EQ(GlobalReads(), reads + 1);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_IGMP_ENABLE), 1);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IGMP_QUERY_INTERVAL), "125");

    // OK: only the state, then a read.
    ASSERT_TRUE(drv.Type(IDC_IGMP_QUERY_INTERVAL, "300"));
    ASSERT_TRUE(drv.Check(IDC_IGMP_ENABLE, false));
    boxes.Clear();
    ASSERT_TRUE(drv.Click(IDC_IGMP_APPLY));
    WaitRead(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"All router ports will be deleted."});
    EXPECT_EQ(SetsSent(), std::vector<std::string>{"10.1.1.0=i:2"});
    EXPECT_EQ(test::RequestLines(s_sim->Requests()).back().substr(0, 4), "get ");
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_IGMP_ENABLE), 0);

    // Already disabled and left so: still asked, nothing written.
    s_sim->ClearLog();
    boxes.Clear();
    ASSERT_TRUE(drv.Click(IDC_IGMP_APPLY));
    WaitRead(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"All router ports will be deleted."});
    EXPECT_TRUE(SetsSent().empty());
}

TEST_F(IGMPSnoopConfigTest, EnablingWritesTheStateThenTheStateWithTheChangedFields) {
    s_sim->Set(kP + ".10.1.1.0", "i", "2");
    CIGMPSnoopConfig dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_IGMP_ENABLE), 0);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_IGMP_ROBUSTNESS));
    ASSERT_TRUE(drv.Check(IDC_IGMP_ENABLE, true));
    ASSERT_TRUE(drv.Type(IDC_IGMP_ROBUSTNESS, "4"));
    ASSERT_TRUE(drv.Check(IDC_IGMP_REPORT_ALL, true));
    ASSERT_TRUE(drv.Click(IDC_IGMP_APPLY));
    WaitRead(dlg);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(SetsSent(),
              (std::vector<std::string>{"10.1.1.0=i:1", "10.1.1.0=i:1 10.1.4.0=i:4 10.1.8.0=i:1"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IGMP_ROBUSTNESS), "4");
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_IGMP_REPORT_ALL), 1);

    // Unchanged and enabled: nothing more is written.
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_IGMP_APPLY));
    WaitRead(dlg);
    EXPECT_TRUE(SetsSent().empty());
}

TEST_F(IGMPSnoopConfigTest, UnansweredReadLeavesRefreshUsableAndApplyUnavailable) {
    s_sim->Silence(true);
    CIGMPSnoopConfig dlg;
    QElapsedTimer opening;
    opening.start();
    DialogDriver drv(dlg);
    EXPECT_LT(opening.elapsed(), 800);  // the window does not wait for the dead device
    WaitRead(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the IGMP snooping settings."});
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_IGMP_REFRESH));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_IGMP_APPLY));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IGMP_HOST_TIMEOUT), "");

    s_sim->Silence(false);
    ASSERT_TRUE(drv.Click(IDC_IGMP_REFRESH));
    WaitRead(dlg);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IGMP_HOST_TIMEOUT), "260");
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_IGMP_APPLY));
    EXPECT_EQ(boxes.Count(), 1u);
}

// A reply without the report-to-all-ports binding, or with a value of another type, is no read: the
// dialog says so and keeps Apply unavailable instead of writing "Report to all ports" off.
TEST_F(IGMPSnoopConfigTest, SettingsNotReadWholeAreSaidAndNeverWrittenBack) {
    for (const std::string fault : {"omit", "type"}) {
        SCOPED_TRACE(fault);
        boxes.Clear();
        s_sim->Set(kP + ".10.1.8.0", "i", "1");
        if (fault == "omit") {
            s_sim->Omit(kP + ".10.1.8.0");
        } else {
            s_sim->Set(kP + ".10.1.2.0", "s", "zz");
        }
        CIGMPSnoopConfig dlg;
        DialogDriver drv(dlg);
        WaitRead(dlg);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the IGMP snooping settings."});
        EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_IGMP_APPLY));
        EXPECT_EQ(dlg.GetDlgItemText(IDC_IGMP_ROUTER_TIMEOUT), "");
        s_sim->OmitNone();
        s_sim->Set(kP + ".10.1.2.0", "i", "125");
        s_sim->ClearLog();
        drv.Click(IDC_IGMP_APPLY);
        WaitRead(dlg);
        EXPECT_TRUE(SetsSent().empty());
        ASSERT_TRUE(drv.Click(IDC_IGMP_REFRESH));
        WaitRead(dlg);
        EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_IGMP_REPORT_ALL), 1);
        EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_IGMP_APPLY));
    }
}

// A refused state write stops there, says so, and shows the device's settings again.
TEST_F(IGMPSnoopConfigTest, ARefusedWriteIsSaidAndReadAgain) {
    s_sim->Set(kP + ".10.1.1.0", "i", "2");
    CIGMPSnoopConfig dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    ASSERT_TRUE(drv.Check(IDC_IGMP_ENABLE, true));
    ASSERT_TRUE(drv.Type(IDC_IGMP_ROBUSTNESS, "4"));
    s_sim->ErrorStatus(kP + ".10.1.1.0", 3);
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_IGMP_APPLY));
    WaitRead(dlg);
    s_sim->ErrorStatus(kP + ".10.1.1.0", 0);
    EXPECT_EQ(SetsSent(), std::vector<std::string>{"10.1.1.0=i:1"});
    ASSERT_GE(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Texts()[0],
              "The device did not accept the IGMP snooping settings. The settings it holds are shown.");
    ASSERT_TRUE(drv.Click(IDC_IGMP_REFRESH));
    WaitRead(dlg);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_IGMP_ENABLE), 0);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IGMP_ROBUSTNESS), "2");
}

}  // namespace
