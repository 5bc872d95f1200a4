// PoE global settings dialog against the simulated 28P switch: "wait..." until the read answers, the
// values as read, Apply sending only what changed (sequence first), the threshold limits, a refused set
// reporting no success, closing while the read is outstanding.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <string>
#include <vector>

#include "features/port_system/POEGlobal.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_poe_syslog.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using ksx::test::DialogDriver;
using ksx::test::SimRequest;
using ksx::test::WaitUntil;

const std::string kG = "1.3.6.1.4.1.7393.10.76.20.1.22";
const std::string kThreshold = kG + ".2.0";
const std::string kSequence = kG + ".3.0";

// Requests as "pdu oid=type:value ..." lines.
const auto& Lines = test::RequestLines;

const std::string kRead = "get " + kG + ".2.0=n: " + kG + ".3.0=n: " + kG + ".4.0=n: " + kG +
                          ".5.0=n: " + kG + ".6.0=n: " + kG + ".7.0=n:";

class POEGlobal : public test::SimTest {
protected:
    POEGlobal() : SimTest({"ksx-4200-28p", {}}, "1000") {}

    static void WaitRead(CPOEGlobal& dlg, int reads = 1) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.ReadsEnded() >= reads; }));
    }
    // Clicks Apply and waits for the read that follows it.
    void Apply(DialogDriver& drv, CPOEGlobal& dlg) {
        const int reads = dlg.ReadsEnded();
        ASSERT_TRUE(drv.Click(IDC_POEG_APPLY));
        ASSERT_TRUE(WaitUntil([&] { return dlg.ReadsEnded() > reads; }));
    }

    test::ScriptedMessageBox boxes;
};

TEST_F(POEGlobal, ShowsWaitingUntilTheReadAnswersThenTheValues) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(ID_MENU_POE_GLOBAL));  // the menu command opens it
    sim.DelayMs(300);
    CPOEGlobal dlg;
    DialogDriver drv(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "PoE Global Settings");
    for (int id : {IDC_POEG_THRESHOLD, IDC_POEG_BUDGET, IDC_POEG_USED, IDC_POEG_LEFT, IDC_POEG_PERCENTAGE}) {
        EXPECT_EQ(dlg.GetDlgItemText(id), "wait...") << id;
    }
    for (int id : {IDC_POEG_APPLY, IDC_POEG_THRESHOLD, IDC_POEG_SEQUENCE}) {
        EXPECT_FALSE(dlg.IsDlgItemEnabled(id)) << id;
    }
    WaitRead(dlg);
    sim.DelayMs(0);
    for (int id : {IDC_POEG_APPLY, IDC_POEG_THRESHOLD, IDC_POEG_SEQUENCE}) {
        EXPECT_TRUE(dlg.IsDlgItemEnabled(id)) << id;
    }
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POEG_THRESHOLD), "185.0");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POEG_SEQUENCE), "DenyNextPort");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POEG_BUDGET), sim.Get(kG + ".4.0"));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POEG_USED), sim.Get(kG + ".5.0"));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POEG_LEFT), sim.Get(kG + ".6.0"));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POEG_PERCENTAGE), sim.Get(kG + ".7.0"));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POEG_USED), "29.6");
    EXPECT_TRUE(dlg.Item<QLineEdit>(IDC_POEG_BUDGET)->isReadOnly());
    EXPECT_EQ(Lines(sim.Requests()), std::vector<std::string>{kRead});
    EXPECT_EQ(sim.Requests()[0].principal, "quaint");

    auto* sequence = dlg.Item<QComboBox>(IDC_POEG_SEQUENCE);
    ASSERT_EQ(sequence->count(), 2);
    EXPECT_EQ(sequence->itemText(0).toStdString(), "DenyNextPort");
    EXPECT_EQ(sequence->itemText(1).toStdString(), "DenyLowPriorityPort");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POEG_THRESHOLD_LABEL), "PoE Power Threshold  (7.1-185.0)");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POEG_PERCENTAGE_LABEL), "The percentage of system power supplied ");

    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/poe_syslog";
    QDir().mkpath(dir);
    EXPECT_TRUE(test::GrabScreenshot(&dlg, (dir + "/poe_global_settings.png").toStdString()));
}

TEST_F(POEGlobal, ApplySendsOnlyWhatChangedSequenceFirst) {
    CPOEGlobal dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);

    // Nothing changed: no set, no box, a new read.
    sim.ClearLog();
    Apply(drv, dlg);
    EXPECT_EQ(Lines(sim.Requests()), std::vector<std::string>{kRead});
    EXPECT_TRUE(boxes.Texts().empty());

    // The sequence alone.
    sim.ClearLog();
    ASSERT_TRUE(drv.Select(IDC_POEG_SEQUENCE, 1));
    Apply(drv, dlg);
    EXPECT_EQ(Lines(sim.Requests()), (std::vector<std::string>{"set " + kSequence + "=i:2", kRead}));
    EXPECT_EQ(sim.Requests()[0].principal, "harbour");
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"set succeed"});
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POEG_SEQUENCE), "DenyLowPriorityPort");
    EXPECT_EQ(sim.Get(kSequence), "2");

    // Threshold and sequence together travel in one request, sequence first.
    sim.ClearLog();
    boxes.Clear();
    ASSERT_TRUE(drv.Select(IDC_POEG_SEQUENCE, 0));
    ASSERT_TRUE(drv.Type(IDC_POEG_THRESHOLD, "120.5"));
    Apply(drv, dlg);
    EXPECT_EQ(Lines(sim.Requests()),
              (std::vector<std::string>{"set " + kSequence + "=i:1 " + kThreshold + "=s:120.5", kRead}));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"set succeed"});
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POEG_THRESHOLD), "120.5");
    EXPECT_EQ(dlg.Values()[0], "120.5");
    EXPECT_EQ(dlg.Values()[1], "1");
}

TEST_F(POEGlobal, ThresholdLimits) {
    CPOEGlobal dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    const std::string message = "The System Power Threshold ranges between 7.1 ~ 185.0.";
    struct Case {
        const char* typed;
        bool accepted;
    };
    // Trailing text is refused rather than written as typed.
    for (const Case& c :
         {Case{"7.1", true}, Case{"185.0", true}, Case{"100", true}, Case{"7.0", false}, Case{"185.1", false},
          Case{"", false}, Case{"120.5W", false}, Case{"W120", false}, Case{"1.2.3", false}}) {
        sim.ClearLog();
        boxes.Clear();
        ASSERT_TRUE(drv.Type(IDC_POEG_THRESHOLD, c.typed));
        if (c.accepted) {
            Apply(drv, dlg);
            EXPECT_EQ(Lines(sim.Requests()),
                      (std::vector<std::string>{"set " + kThreshold + "=s:" + c.typed, kRead}))
                << c.typed;
            EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"set succeed"}) << c.typed;
            EXPECT_EQ(sim.Get(kThreshold), c.typed);
        } else {
            // Refused: nothing sent, nothing read again, Apply usable at once.
            ASSERT_TRUE(drv.Click(IDC_POEG_APPLY));
            EXPECT_EQ(boxes.Texts(), std::vector<std::string>{message}) << c.typed;
            EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_POEG_APPLY));
            EXPECT_TRUE(sim.Requests().empty()) << c.typed;
        }
    }

    // A refused threshold holds back a sequence change too.
    sim.ClearLog();
    boxes.Clear();
    ASSERT_TRUE(drv.Select(IDC_POEG_SEQUENCE, 1));
    ASSERT_TRUE(drv.Type(IDC_POEG_THRESHOLD, "190"));
    ASSERT_TRUE(drv.Click(IDC_POEG_APPLY));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{message});
    EXPECT_TRUE(sim.Requests().empty());
}

TEST_F(POEGlobal, ThresholdAsReadIsNotSentEvenOutOfRange) {
    sim.Set(kThreshold, "s", "200.0");
    CPOEGlobal dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POEG_THRESHOLD), "200.0");
    sim.ClearLog();
    Apply(drv, dlg);
    EXPECT_EQ(Lines(sim.Requests()), std::vector<std::string>{kRead});
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(POEGlobal, RefusedSetReportsNoSuccess) {
    CPOEGlobal dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    sim.ErrorStatus(kThreshold, 5);
    sim.ClearLog();
    ASSERT_TRUE(drv.Type(IDC_POEG_THRESHOLD, "150"));
    Apply(drv, dlg);
    EXPECT_EQ(Lines(sim.Requests()), (std::vector<std::string>{"set " + kThreshold + "=s:150", kRead}));
    const std::string refused =
        "The device did not accept the PoE global settings. The settings it holds are shown.";
    // The read that follows is refused as well while the device refuses the threshold, and says so.
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(boxes.Texts().front(), refused);
    EXPECT_EQ(sim.Get(kThreshold), "185.0");
    sim.ErrorStatus(kThreshold, 0);

    // Unanswered: said too; the field shows the device's value again once read.
    boxes.Clear();
    sim.Silence(true);
    sim.ClearLog();
    ASSERT_TRUE(drv.Type(IDC_POEG_THRESHOLD, "150"));
    ASSERT_TRUE(drv.Click(IDC_POEG_APPLY));
    sim.Silence(false);
    ASSERT_TRUE(drv.Click(IDC_POEG_APPLY));  // the read after the unanswered set may have failed too
    ASSERT_TRUE(WaitUntil([&] { return sim.Get(kThreshold) == "150"; }));
    ASSERT_GE(boxes.Count(), 2u);
    EXPECT_EQ(boxes.Texts().front(),
              "The device did not answer: it did not confirm whether the PoE global "
              "settings were written. The settings it holds are shown.");
    EXPECT_EQ(boxes.Texts().back(), "set succeed");
}

// A threshold or sequence of another type is no read: nothing shows as read, Apply (which would write a
// sequence nobody chose) stays unavailable, and the dialog says so.
TEST_F(POEGlobal, SettingsNotReadAreSaidAndNeverWrittenBack) {
    sim.Set(kG + ".3.0", "s", "x");
    CPOEGlobal dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the PoE global settings."});
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_POEG_APPLY));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POEG_THRESHOLD), "wait...");
    sim.ClearLog();
    drv.Click(IDC_POEG_APPLY);
    EXPECT_TRUE(test::Sets(sim.Requests()).empty());
}

TEST_F(POEGlobal, ClosingWithTheReadOutstandingEndsPromptly) {
    sim.DelayMs(1500);
    CPOEGlobal dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(sim.WaitForRequests([](const std::vector<SimRequest>& log) { return !log.empty(); }));
    drv.CloseBox();
    ASSERT_TRUE(drv.WaitEnded(1000));
    EXPECT_EQ(drv.Result(), IDCANCEL);
    EXPECT_EQ(dlg.ReadsEnded(), 0);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POEG_BUDGET), "wait...");
    sim.DelayMs(0);
}

}  // namespace
