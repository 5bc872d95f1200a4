// Bandwidth control dialog against the simulated switch: the list as read, range writes of Rx, Tx and
// both, "No Limit", rate bounds, the aggregated-port refusal and the port-range message.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <string>
#include <vector>

#include "controls/ListCtrlEx.h"
#include "features/port_system/BandWidthControlDlg.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_port_small.h"
#include "tests/features/StepRunTest.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using ksx::test::Bindings;
using ksx::test::DialogDriver;
using ksx::test::Sets;
using ksx::test::SimRequest;
using ksx::test::WaitUntil;

const std::string kTable = "1.3.6.1.4.1.7393.10.76.20.1.13.1.2.1";
const std::string kTx = kTable + ".2.";
const std::string kRx = kTable + ".3.";
const std::string kTrunkMembers = "1.3.6.1.4.1.7393.10.76.20.1.8.1.3.1.2";

class BandWidthControl : public test::SimTest {
protected:
    // The range write runs off the window's thread: waits for its end.
    static void WaitWrite(CBandWidthControlDlg& dlg) {
        ASSERT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }, 60000));
    }
    // Waits for the list (all ports) and the trunk membership, with Apply and Refresh enabled.
    void WaitReady(CBandWidthControlDlg& dlg) {
        auto* list = static_cast<CListCtrlEx*>(dlg.GetDlgItem(IDC_BW_LIST));
        ASSERT_TRUE(WaitUntil([&] {
            return list->GetItemCount() == g_nPortNum && dlg.IsDlgItemEnabled(IDC_BW_REFRESH) &&
                   dlg.IsDlgItemEnabled(IDC_BW_APPLY);
        }));
        // Trunk 1 (ports 25 and 26) is read once, when the dialog opens.
        ASSERT_TRUE(WaitUntil([&] { return dlg.Logic().TrunkPortsSnapshot()[25] == 1; }));
    }

    // Picks From, To, Type and No Limit as a user would and types the rate.
    void Fill(DialogDriver& drv, int from, int to, int type, bool noLimit, const std::string& rate) {
        ASSERT_TRUE(drv.Select(IDC_BW_FROM_PORT, from - 1));
        ASSERT_TRUE(drv.Select(IDC_BW_TO_PORT, to - 1));
        ASSERT_TRUE(drv.Select(IDC_BW_TYPE, type));
        ASSERT_TRUE(drv.Select(IDC_BW_NO_LIMIT, noLimit ? 0 : 1));
        if (!noLimit) {
            ASSERT_TRUE(drv.Type(IDC_BW_RATE, rate));
        }
    }

    test::ScriptedMessageBox boxes;
};

TEST_F(BandWidthControl, OpensWithTheDeviceRatesAndTheInitialForm) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(ID_MENU_BANDWIDTH_CONTROL));  // the menu command opens it
    CBandWidthControlDlg dlg;
    DialogDriver drv(dlg);
    WaitReady(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "BandWidth Control");
    auto* list = drv.ItemAs<CListCtrlEx>(IDC_BW_LIST);
    ASSERT_EQ(list->GetColumnCount(), 3);
    EXPECT_EQ(list->horizontalHeaderItem(1)->text().toStdString(), "Tx Rate (Kbits/sec)");
    EXPECT_EQ(list->GetColumnWidth(2), 150);
    EXPECT_EQ(drv.Cell(IDC_BW_LIST, 0, 0), "1");
    EXPECT_EQ(drv.Cell(IDC_BW_LIST, 0, 1), "No Limit");
    EXPECT_EQ(drv.Cell(IDC_BW_LIST, 0, 2), "No Limit");
    EXPECT_EQ(drv.Cell(IDC_BW_LIST, 2, 1), "1024");
    EXPECT_EQ(drv.Cell(IDC_BW_LIST, 2, 2), "2048");
    EXPECT_EQ(drv.Cell(IDC_BW_LIST, 6, 1), "No Limit");
    EXPECT_EQ(drv.Cell(IDC_BW_LIST, 6, 2), "512000");
    EXPECT_EQ(drv.Cell(IDC_BW_LIST, 27, 0), "28");

    EXPECT_EQ(dlg.GetDlgItemText(IDC_BW_FROM_PORT), "1");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_BW_TO_PORT), "28");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_BW_TYPE), "Rx");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_BW_NO_LIMIT), "Disabled");
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_BW_RATE));
    EXPECT_FALSE(drv.Item(IDC_BW_GIGA_NOTE)->isVisible());

    // The rate walk asks for the three columns together, with the read community.
    const auto log = sim.Requests();
    ASSERT_FALSE(log.empty());
    bool sawFirstStep = false;
    for (const SimRequest& r : log) {
        if (r.pdu == "getnext" && r.varbinds.size() == 3 && r.varbinds[0].oid == kTable + ".1") {
            EXPECT_EQ(r.varbinds[1].oid, kTable + ".2");
            EXPECT_EQ(r.varbinds[2].oid, kTable + ".3");
            EXPECT_EQ(r.principal, "quaint");
            sawFirstStep = true;
        }
    }
    EXPECT_TRUE(sawFirstStep);
    EXPECT_TRUE(Sets(log).empty());

    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/port_small";
    QDir().mkpath(dir);
    test::PumpEvents();
    EXPECT_TRUE(test::GrabScreenshot(&dlg, (dir + "/bandwidth_control.png").toStdString()));
}

TEST_F(BandWidthControl, RangeWritesOneRequestPerPortAndReloads) {
    CBandWidthControlDlg dlg;
    DialogDriver drv(dlg);
    WaitReady(dlg);
    sim.ClearLog();

    // Both: Rx before Tx in one request per port.
    Fill(drv, 5, 7, BW_TYPE_BOTH, false, "1000");
    ASSERT_TRUE(drv.Click(IDC_BW_APPLY));
    WaitWrite(dlg);
    auto sets = Sets(sim.Requests());
    ASSERT_EQ(sets.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const std::string port = std::to_string(5 + i);
        EXPECT_EQ(Bindings(sets[i]),
                  (std::vector<std::string>{kRx + port + "=i:1000", kTx + port + "=i:1000"}));
        EXPECT_EQ(sets[i].principal, "harbour");
    }
    // The form is reset at once; the reload brings the new values and Apply back.
    EXPECT_EQ(dlg.GetDlgItemText(IDC_BW_FROM_PORT), "1");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_BW_TO_PORT), "28");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_BW_RATE), "");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_BW_TYPE), "Rx");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_BW_APPLY));
    WaitReady(dlg);
    EXPECT_EQ(drv.Cell(IDC_BW_LIST, 4, 1), "1000");
    EXPECT_EQ(drv.Cell(IDC_BW_LIST, 6, 1), "1000");
    EXPECT_EQ(drv.Cell(IDC_BW_LIST, 6, 2), "1000");
    EXPECT_EQ(drv.Cell(IDC_BW_LIST, 7, 2), "No Limit");

    // Tx only, From = To: exactly one binding for one port.
    sim.ClearLog();
    Fill(drv, 9, 9, BW_TYPE_TX, false, "64");
    ASSERT_TRUE(drv.Click(IDC_BW_APPLY));
    WaitWrite(dlg);
    sets = Sets(sim.Requests());
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(Bindings(sets[0]), std::vector<std::string>{kTx + "9=i:64"});
    WaitReady(dlg);

    // Rx only at the top of the range.
    sim.ClearLog();
    Fill(drv, 24, 24, BW_TYPE_RX, false, "1024000");
    ASSERT_TRUE(drv.Click(IDC_BW_APPLY));
    WaitWrite(dlg);
    sets = Sets(sim.Requests());
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(Bindings(sets[0]), std::vector<std::string>{kRx + "24=i:1024000"});
    WaitReady(dlg);
    EXPECT_EQ(drv.Cell(IDC_BW_LIST, 23, 2), "1024000");
    EXPECT_EQ(drv.Cell(IDC_BW_LIST, 8, 1), "64");
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(BandWidthControl, ASlowDeviceKeepsTheWindowLiveAndCloseStopsTheWrite) {
    CBandWidthControlDlg dlg;
    DialogDriver drv(dlg);
    WaitReady(dlg);
    Fill(drv, 1, 24, BW_TYPE_RX, false, "2000");
    sim.DelayMs(1000);
    sim.ClearLog();
    test::TickGap ticks;
    ASSERT_TRUE(drv.Click(IDC_BW_APPLY));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_BW_REFRESH));
    ASSERT_TRUE(WaitUntil([&] { return test::DistinctSets(sim).size() >= 3; }, 20000));
    ASSERT_TRUE(WaitUntil([&] {
        return dlg.Run().ProgressShown() && dlg.Run().ProgressText() == "Writing port 3 (3 of 24)...";
    }));
    const long long liveGapMs = ticks.MaxGapMs();  // while the run went on
    drv.PressEscape();
    ASSERT_TRUE(drv.WaitEnded());
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{
                                 "Stopped: 2 of 24 ports were written; the device did not confirm whether "
                                 "port 3 was written; ports 4-24 were not written."});
    EXPECT_LT(liveGapMs, 250);
    EXPECT_EQ(test::DistinctSets(sim).size(), 3u);
    EXPECT_FALSE(WaitUntil([&] { return test::DistinctSets(sim).size() > 3; }, 2000));
    sim.DelayMs(0);
}

TEST_F(BandWidthControl, NoLimitWritesZeroShownAsNoLimit) {
    CBandWidthControlDlg dlg;
    DialogDriver drv(dlg);
    WaitReady(dlg);
    sim.ClearLog();

    ASSERT_TRUE(drv.Select(IDC_BW_NO_LIMIT, 0));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_BW_RATE));
    ASSERT_TRUE(drv.Select(IDC_BW_NO_LIMIT, 1));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_BW_RATE));

    Fill(drv, 3, 3, BW_TYPE_BOTH, true, "");
    ASSERT_TRUE(drv.Click(IDC_BW_APPLY));
    WaitWrite(dlg);
    const auto sets = Sets(sim.Requests());
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(Bindings(sets[0]), (std::vector<std::string>{kRx + "3=i:0", kTx + "3=i:0"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_BW_NO_LIMIT), "Disabled");
    WaitReady(dlg);
    EXPECT_EQ(drv.Cell(IDC_BW_LIST, 2, 1), "No Limit");
    EXPECT_EQ(drv.Cell(IDC_BW_LIST, 2, 2), "No Limit");
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_BW_RATE));
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(BandWidthControl, RatesOutsideTheBoundsAreRefusedBeforeAnythingIsSent) {
    EXPECT_EQ(CBandWidthControlFunLogic::IsValidRate("64"), 1);
    EXPECT_EQ(CBandWidthControlFunLogic::IsValidRate("1024000"), 1);
    EXPECT_EQ(CBandWidthControlFunLogic::IsValidRate("63"), 0);
    EXPECT_EQ(CBandWidthControlFunLogic::IsValidRate("1024001"), 0);
    EXPECT_EQ(CBandWidthControlFunLogic::IsValidRate("99999999999999999999"), 0);
    EXPECT_EQ(CBandWidthControlFunLogic::IsValidRate(""), 0);

    CBandWidthControlDlg dlg;
    DialogDriver drv(dlg);
    WaitReady(dlg);
    sim.ClearLog();
    for (const char* rate : {"63", "1024001", ""}) {
        boxes.Clear();
        Fill(drv, 2, 2, BW_TYPE_RX, false, rate);
        ASSERT_TRUE(drv.Click(IDC_BW_APPLY));
        WaitWrite(dlg);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Invalid Rate."}) << rate;
        EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_BW_APPLY));
    }
    // The digits-only edit takes no letters.
    ASSERT_TRUE(drv.Type(IDC_BW_RATE, "12a3"));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_BW_RATE), "123");
    EXPECT_TRUE(Sets(sim.Requests()).empty());
}

TEST_F(BandWidthControl, AggregatedPortsAreRefusedWithTheirList) {
    // Trunk 2 takes ports 3 and 4 besides the profile's trunk 1 (ports 25 and 26).
    sim.Set(kTrunkMembers + ".2", "x", "30000000");
    CBandWidthControlDlg dlg;
    DialogDriver drv(dlg);
    WaitReady(dlg);
    ASSERT_TRUE(WaitUntil([&] { return dlg.Logic().TrunkPortsSnapshot()[3] == 2; }));
    sim.ClearLog();

    Fill(drv, 1, 10, BW_TYPE_BOTH, false, "500");
    ASSERT_TRUE(drv.Click(IDC_BW_APPLY));
    WaitWrite(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{
                                 "You can't set the rate of Ports:3,4.because they are in aggregated link."});
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_BW_APPLY));

    boxes.Clear();
    ASSERT_TRUE(drv.Select(IDC_BW_FROM_PORT, 0));  // To follows From
    ASSERT_TRUE(drv.Select(IDC_BW_TO_PORT, 27));
    ASSERT_TRUE(drv.Click(IDC_BW_APPLY));
    WaitWrite(dlg);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{
                  "You can't set the rate of Ports:3,4,25,26.because they are in aggregated link."});
    EXPECT_TRUE(Sets(sim.Requests()).empty());

    // A range beside the trunks goes through.
    boxes.Clear();
    Fill(drv, 5, 6, BW_TYPE_TX, false, "500");
    ASSERT_TRUE(drv.Click(IDC_BW_APPLY));
    WaitWrite(dlg);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(Sets(sim.Requests()).size(), 2u);
}

TEST_F(BandWidthControl, ToPortBelowFromPortIsMovedBack) {
    CBandWidthControlDlg dlg;
    DialogDriver drv(dlg);
    WaitReady(dlg);
    ASSERT_TRUE(drv.Select(IDC_BW_FROM_PORT, 9));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_BW_TO_PORT), "10");
    ASSERT_TRUE(drv.Select(IDC_BW_TO_PORT, 4));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{" \"To port\"cannot be smaller than \"From Port\" "});
    EXPECT_EQ(dlg.GetDlgItemText(IDC_BW_TO_PORT), "10");
    ASSERT_TRUE(drv.Select(IDC_BW_TO_PORT, 12));
    EXPECT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_BW_TO_PORT), "13");
}

TEST_F(BandWidthControl, AFailedPortDoesNotStopTheOthersAndTheReloadShowsTheDevice) {
    CBandWidthControlDlg dlg;
    DialogDriver drv(dlg);
    WaitReady(dlg);
    sim.RefuseWrites(kRx + "11", 5);
    sim.ClearLog();
    Fill(drv, 10, 12, BW_TYPE_RX, false, "2000");
    ASSERT_TRUE(drv.Click(IDC_BW_APPLY));
    WaitWrite(dlg);
    EXPECT_EQ(Sets(sim.Requests()).size(), 3u);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"The device did not accept the rate of port 11. Port 10 "
                                       "and port 12 were written. The settings it holds are shown."});
    sim.RefuseWrites(kRx + "11", 0);
    WaitReady(dlg);
    EXPECT_EQ(drv.Cell(IDC_BW_LIST, 9, 2), "2000");
    EXPECT_EQ(drv.Cell(IDC_BW_LIST, 10, 2), "No Limit");
    EXPECT_EQ(drv.Cell(IDC_BW_LIST, 11, 2), "2000");
    EXPECT_EQ(sim.Get(kRx + "11"), "0");
    // Unanswered ports are unconfirmed, not refused, and do not stop the others either.
    test::UseSimV1(sim, "1000");
    sim.Silence(true);
    sim.ClearLog();
    boxes.Clear();
    Fill(drv, 1, 2, BW_TYPE_RX, false, "2000");
    ASSERT_TRUE(drv.Click(IDC_BW_APPLY));
    WaitWrite(dlg);
    EXPECT_EQ(test::DistinctSets(sim).size(), 2u);
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(boxes.Texts()[0], "The device did not confirm whether ports 1-2 were written.");
    sim.Silence(false);
}

// Aggregated ports that could not be read (a member set of the wrong type) keep Apply unavailable, are
// said once, and are read again by Refresh; a rate that is not a number is shown as nothing.
TEST_F(BandWidthControl, FailedReadsAreSaidAndApplyWaitsForTheAggregatedPorts) {
    sim.Set(kTrunkMembers + ".1", "i", "5");
    sim.Set(kTx + "3", "s", "zz");
    CBandWidthControlDlg dlg;
    DialogDriver drv(dlg);
    auto* list = drv.ItemAs<CListCtrlEx>(IDC_BW_LIST);
    ASSERT_TRUE(WaitUntil([&] { return dlg.Logic().TrunkReadEnded() && dlg.Logic().RateReadEnded(); }));
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_BW_REFRESH); }));
    EXPECT_EQ(list->GetItemCount(), 28);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_BW_APPLY));
    EXPECT_EQ(drv.Cell(IDC_BW_LIST, 2, 1), "");
    EXPECT_EQ(drv.Cell(IDC_BW_LIST, 2, 2), "2048");
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Failed to read the bandwidth settings; press Refresh to try again."});

    boxes.Clear();
    sim.Set(kTrunkMembers + ".1", "x", "000000C0");  // ports 25 and 26
    sim.Set(kTx + "3", "i", "1024");
    ASSERT_TRUE(drv.Click(IDC_BW_REFRESH));
    WaitReady(dlg);
    EXPECT_EQ(drv.Cell(IDC_BW_LIST, 2, 1), "1024");
    EXPECT_EQ(boxes.Count(), 0u);
    Fill(drv, 24, 26, BW_TYPE_RX, false, "2000");
    ASSERT_TRUE(drv.Click(IDC_BW_APPLY));
    WaitWrite(dlg);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"You can't set the rate of Ports:25,26.because they are "
                                       "in aggregated link."});
}

TEST_F(BandWidthControl, LogicWriteCountsErrorStatusAsFailure) {
    CBandWidthControlFunLogic logic;
    sim.ErrorStatus(kTx + "2", 3);
    EXPECT_EQ(logic.WriteRates("1", "3", "777", BW_TYPE_TX), 1);
    EXPECT_EQ(sim.Get(kTx + "1"), "777");
    EXPECT_EQ(sim.Get(kTx + "3"), "777");
    sim.ErrorStatus(kTx + "2", 0);
    EXPECT_EQ(logic.WriteRates("2", "2", "777", BW_TYPE_TX), 0);
}

}  // namespace
