// The spanning tree bridge dialog against the simulated switch: the read and what the form shows, the
// range and relation checks with their messages, the exact write order, a failing step putting the
// timers back, the state written again after a disable, Apply unavailable before a read, and version 3.
#include "features/layer2/PrivateSpanTBridge.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <string>
#include <tuple>
#include <vector>

#include "platform/snmplib/Snmp.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_stp.h"
#include "res/resource.h"
#include "tests/features/StepRunTest.h"
#include "tests/features/layer2/SpanTreeTestSupport.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::DialogDriver;

const std::string P = "1.3.6.1.4.1.7393.10.76.20.1.6.1";

class StpBridge : public test::StpSimTest {
protected:
    void TearDown() override {
        s_sim->ErrorStatus(P + ".4.0", 0);
        SharedSimTest::TearDown();
    }
    // The dialog open with the device's values in the form.
    struct Open {
        CPrivateSpanTBridge dlg;
        DialogDriver drv{dlg};
        Open() {
            EXPECT_TRUE(test::WaitUntil([&] { return dlg.IsDlgItemEnabled(IDOK); }));
        }
        // Clicks Apply and waits for the write to end.
        bool Apply() {
            return drv.Click(IDOK) && test::WaitUntil([&] { return !dlg.Writing(); });
        }
    };
    static void Fill(DialogDriver& drv, const char* txHold, const char* maxAge, const char* forwardDelay,
                     const char* hello) {
        drv.Type(IDC_STPB_TX_HOLD, txHold);
        drv.Type(IDC_STPB_MAX_AGE, maxAge);
        drv.Type(IDC_STPB_FORWARD_DELAY, forwardDelay);
        drv.Type(IDC_STPB_HELLO, hello);
    }
    static std::vector<std::string> Sets() { return test::SetLines(s_sim->Requests(), P.size()); }

    test::ScriptedMessageBox boxes;
};

TEST_F(StpBridge, ReadsTwelveObjectsAndShowsSeconds) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_SPANNING_TREE));
    Open o;
    const auto gets = test::OfKind(s_sim->Requests(), "get");
    ASSERT_EQ(gets.size(), 1u);
    std::string order;
    for (const auto& vb : gets[0].varbinds) {
        order += vb.oid.substr(P.size()) + " ";
    }
    EXPECT_EQ(order, ".3.0 .11.0 .8.0 .10.0 .15.0 .16.0 .17.0 .9.0 .4.0 .14.0 .1.0 .2.0 ");
    CDialog& d = o.dlg;
    EXPECT_EQ(d.GetWindowText(), " STP Configuration ");
    EXPECT_EQ(d.GetDlgItemText(IDC_STPB_MAX_AGE), "20");
    EXPECT_EQ(d.GetDlgItemText(IDC_STPB_HELLO), "2");
    EXPECT_EQ(d.GetDlgItemText(IDC_STPB_FORWARD_DELAY), "15");
    EXPECT_EQ(d.GetDlgItemText(IDC_STPB_PRIORITY), "32768");
    EXPECT_EQ(d.GetDlgItemText(IDC_STPB_TX_HOLD), "6");
    EXPECT_EQ(d.GetDlgItemText(IDC_STPB_ROOT_BRIDGE), "80:00:00:1E:94:4C:20:00");
    EXPECT_EQ(d.GetDlgItemText(IDC_STPB_ROOT_MAX_AGE), "20");
    EXPECT_EQ(d.GetDlgItemText(IDC_STPB_ROOT_FORWARD_DELAY), "15");
    EXPECT_EQ(d.GetDlgItemText(IDC_STPB_VERSION), "RSTP");
    EXPECT_EQ(d.IsDlgButtonChecked(IDC_STPB_STATE), 1);
    EXPECT_EQ(o.dlg.RememberedState(), "1");
    EXPECT_TRUE(d.IsDlgItemEnabled(IDC_STPB_PORT_SETTING));

    const QString dir = test::Layer2ShotDir();
    test::PumpEvents();
    EXPECT_TRUE(test::GrabScreenshot(&o.dlg, (dir + "/stp_bridge.png").toStdString()));
}

TEST_F(StpBridge, RangeAndRelationChecksRefuseWithoutWriting) {
    Open o;
    struct Case {
        const char *tx, *age, *delay, *hello, *message;
    };
    const std::string helloRel =
        "To set the parameters Hello Time and Max Age the following relation is to be satisfied: \nMax Age "
        ">= "
        "(2*(Hello Time + 1.0))";
    const std::string delayRel =
        "To set the parameters Forward Delay and Max Age, the following relation is to be satisfied: "
        "\n2*(Forward Delay - 1) >= Max Age";
    const Case cases[] = {
        {"0", "20", "15", "2", "Invalid Transmit Hold Count(1-10)."},
        {"11", "20", "15", "2", "Invalid Transmit Hold Count(1-10)."},
        {"5", "5", "15", "2", "Invalid Age Time value, the valid Age Time range is  (6-40)s !"},
        {"5", "41", "30", "2", "Invalid Age Time value, the valid Age Time range is  (6-40)s !"},
        {"5", "20", "3", "2", "Invalid Forward Delay value, the valid Forward Delay range is (4-30)s !"},
        {"5", "20", "15", "11", "Invalid Hello Time value, the valid Hello Time range is (1-10)s !"},
        {"5", "6", "15", "3", helloRel.c_str()},
        {"5", "40", "20", "1", delayRel.c_str()},
    };
    for (const Case& c : cases) {
        boxes.Clear();
        s_sim->ClearLog();
        Fill(o.drv, c.tx, c.age, c.delay, c.hello);
        ASSERT_TRUE(o.drv.Click(IDOK));
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{c.message}) << c.age << "/" << c.hello;
        EXPECT_TRUE(Sets().empty());
    }
    // Just inside the relations: 6 s with hello 2 s, 40 s with forward delay 21 s.
    for (const auto& [age, delay, hello] : {std::tuple{"6", "15", "2"}, std::tuple{"40", "21", "1"}}) {
        boxes.Clear();
        s_sim->ClearLog();
        Fill(o.drv, "5", age, delay, hello);
        o.dlg.SetDlgItemText(IDC_STPB_ROOT_PORT, "-");  // the read after the write puts the root port back
        ASSERT_TRUE(o.drv.Click(IDOK));
        ASSERT_TRUE(test::WaitUntil([&] { return o.dlg.GetDlgItemText(IDC_STPB_ROOT_PORT) == "0"; }));
        EXPECT_TRUE(boxes.Texts().empty());
        EXPECT_EQ(Sets().size(), 6u);
        EXPECT_EQ(s_sim->Get(P + ".15.0"), std::to_string(std::stoi(age) * 100));
    }
}

TEST_F(StpBridge, ApplyWritesTemporaryTimersFirstThenEachValueAndReadsBack) {
    Open o;
    s_sim->ClearLog();
    Fill(o.drv, "4", "30", "20", "3");
    o.drv.Type(IDC_STPB_PRIORITY, "4096");
    o.drv.Select(IDC_STPB_VERSION, 0);
    ASSERT_TRUE(o.Apply());
    EXPECT_EQ(Sets(), (std::vector<std::string>{".16.0=i:100 .17.0=i:3000", ".4.0=i:4", ".15.0=i:3000",
                                                ".17.0=i:2000", ".16.0=i:300", ".3.0=i:4096 .2.0=i:0"}));
    for (const auto& r : test::Sets(s_sim->Requests())) {
        EXPECT_EQ(r.principal, "harbour");
    }
    // Then the form is read again; the dialog stays open.
    ASSERT_TRUE(test::WaitUntil([] { return test::OfKind(s_sim->Requests(), "get").size() == 1; }));
    EXPECT_TRUE(test::WaitUntil([&] { return o.dlg.GetDlgItemText(IDC_STPB_VERSION) == "STP"; }));
    EXPECT_FALSE(o.drv.Ended());
    EXPECT_EQ(s_sim->Get("1.3.6.1.2.1.17.2.13.0"), "300");  // the bridge MIB reads the same hello time
}

TEST_F(StpBridge, AFailingWritePutsTheTimersBackSaysSoAndReadsAgain) {
    Open o;
    s_sim->ClearLog();
    s_sim->ErrorStatus(P + ".4.0", 10);
    Fill(o.drv, "4", "30", "20", "3");
    ASSERT_TRUE(o.Apply());
    EXPECT_EQ(Sets(), (std::vector<std::string>{".16.0=i:100 .17.0=i:3000", ".4.0=i:4",
                                                ".15.0=i:2000 .16.0=i:200 .17.0=i:1500"}));
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Failed to write the spanning tree settings: the device did not "
                                       "accept the Transmit Hold Count. The previous Max Age, Hello Time "
                                       "and Forward Delay were restored."});
    EXPECT_EQ(s_sim->Get(P + ".16.0"), "200");
    EXPECT_EQ(s_sim->Get(P + ".17.0"), "1500");
    EXPECT_TRUE(test::WaitUntil([] { return test::OfKind(s_sim->Requests(), "get").size() == 1; }));
}

TEST_F(StpBridge, DisablingWritesTheStateAloneAndReEnablingWritesItAgain) {
    Open o;
    s_sim->ClearLog();
    ASSERT_TRUE(o.drv.Check(IDC_STPB_STATE, false));
    EXPECT_FALSE(o.dlg.IsDlgItemEnabled(IDC_STPB_MAX_AGE));
    ASSERT_TRUE(o.Apply());
    EXPECT_EQ(Sets(), std::vector<std::string>{".1.0=i:2"});
    EXPECT_EQ(o.dlg.RememberedState(), "0");
    s_sim->ClearLog();
    ASSERT_TRUE(o.drv.Check(IDC_STPB_STATE, true));
    ASSERT_TRUE(o.Apply());
    const auto sets = test::Sets(s_sim->Requests());
    ASSERT_EQ(sets.size(), 7u);
    EXPECT_EQ(Sets()[0], ".1.0=i:1");
    EXPECT_EQ(s_sim->Get(P + ".1.0"), "1");
}

TEST_F(StpBridge, ApplyIsUnavailableUntilAReadSucceeded) {
    s_sim->Silence(true);
    CPrivateSpanTBridge dlg;
    DialogDriver drv(dlg);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDOK));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_STPB_MAX_AGE), "600");  // the initial values, never written
    drv.PressEnter();
    s_sim->Silence(false);
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_STPB_REFRESH));
    ASSERT_TRUE(test::WaitUntil([&] { return dlg.IsDlgItemEnabled(IDOK); }));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_STPB_MAX_AGE), "20");
    EXPECT_TRUE(Sets().empty());
}

TEST_F(StpBridge, VersionThreeLeavesNoSelectionAndWritesNoVersion) {
    s_sim->Set(P + ".2.0", "i", "3");
    Open o;
    EXPECT_EQ(o.dlg.Item<QComboBox>(IDC_STPB_VERSION)->currentIndex(), -1);
    EXPECT_FALSE(o.dlg.IsDlgItemEnabled(IDC_STPB_HELLO));
    s_sim->ClearLog();
    o.drv.Type(IDC_STPB_PRIORITY, "abc");  // not a number: written as 0
    ASSERT_TRUE(o.Apply());
    const auto sets = Sets();
    ASSERT_EQ(sets.size(), 6u);
    EXPECT_EQ(sets[4], ".16.0=i:200");
    EXPECT_EQ(sets[5], ".3.0=i:0");
}

// A value of another type, or a dead device, is no read: the form keeps its initial values, says once that
// it could not read, and OK stays unavailable.
TEST_F(StpBridge, SettingsNotReadAreSaidAndNeverWrittenBack) {
    s_sim->Set(P + ".3.0", "s", "zz");
    {
        CPrivateSpanTBridge dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(boxes.WaitForCount(1));
        EXPECT_EQ(boxes.LastText(), "Failed to read the spanning tree settings.");
        EXPECT_NE(dlg.GetDlgItemText(IDC_STPB_PRIORITY), "zz");
        EXPECT_FALSE(dlg.IsDlgItemEnabled(IDOK));
    }
    s_sim->Set(P + ".3.0", "i", "32768");
    boxes.Clear();
    test::UseSimV1(*s_sim, "300");
    s_sim->Silence(true);
    CPrivateSpanTBridge dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(boxes.WaitForCount(1, 10000));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the spanning tree settings."});
    s_sim->Silence(false);
    s_sim->ClearLog();
    drv.PressEnter();
    EXPECT_TRUE(Sets().empty());
}

// A slow device: the write runs off the window's thread, one request at a time; closing the dialog
// during it sends nothing more of it and says what the device took, did not confirm, and did not get.
// The device was left with the temporary timers: the timers read before go back after the dialog ended.
TEST_F(StpBridge, SlowWriteStaysLiveAndCloseSaysWhatWasWritten) {
    Open o;
    Fill(o.drv, "4", "30", "20", "3");
    s_sim->DelayMs(1000);
    s_sim->ClearLog();
    test::TickGap ticks;
    ASSERT_TRUE(o.drv.Click(IDOK));
    ASSERT_TRUE(test::WaitUntil([] { return test::DistinctSets(*s_sim).size() >= 3; }, 30000));
    ASSERT_TRUE(test::WaitUntil([&] {
        return o.dlg.Run().ProgressShown() && o.dlg.Run().ProgressText() == "Writing the Max Age (3 of 6)...";
    })) << o.dlg.Run().ProgressText().toStdString();
    EXPECT_LT(ticks.MaxGapMs(), 250);
    for (int id : {static_cast<int>(IDOK), IDC_STPB_REFRESH, IDC_STPB_PORT_SETTING}) {
        EXPECT_FALSE(o.dlg.IsDlgItemEnabled(id)) << id;
    }
    EXPECT_TRUE(
        test::GrabScreenshot(&o.dlg, (test::Layer2ShotDir() + "/stp_bridge_write.png").toStdString()));
    ASSERT_TRUE(o.drv.Click(IDCANCEL));
    ASSERT_TRUE(o.drv.WaitEnded());
    ASSERT_TRUE(boxes.WaitForCount(1));
    EXPECT_EQ(
        boxes.Texts(),
        std::vector<std::string>{
            "Stopped: the temporary timers and the Transmit Hold Count were written; the device did not "
            "confirm whether the Max Age was written; the Forward Delay, the Hello Time and the priority "
            "and version were not written. The Max Age, Hello Time and Forward Delay read before were "
            "put back."});
    EXPECT_EQ(test::SetLines(test::DistinctSets(*s_sim), P.size()),
              (std::vector<std::string>{".16.0=i:100 .17.0=i:3000", ".4.0=i:4", ".15.0=i:3000",
                                        ".15.0=i:2000 .16.0=i:200 .17.0=i:1500"}));
    EXPECT_EQ(s_sim->Get(P + ".15.0"), "2000");
    EXPECT_EQ(s_sim->Get(P + ".16.0"), "200");
    EXPECT_EQ(s_sim->Get(P + ".17.0"), "1500");
}

}  // namespace
