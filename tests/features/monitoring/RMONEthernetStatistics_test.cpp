// The RMON Ethernet statistics dialog against the simulated switch: one shown row per port with its
// counters (Counter32 values past 2^31 kept), the Apply checks, the port's rows in another status set
// invalid before the new row is created (and, mended, the creation stopped when that fails), and Delete.
#include "features/monitoring/RMONEthernetStatistics.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_rmon.h"
#include "res/resource.h"
#include "tests/features/StepRunTest.h"
#include "tests/features/monitoring/RmonTestSupport.h"

namespace {

using namespace ksx;
using namespace ksx::test;
using namespace ksx::test::rmon;

class RMONEthernetStatisticsTest : public RmonTest {
protected:
    std::vector<std::string> Apply(DialogDriver& drv, CRMONEthernetStatistics& dlg, const std::string& index,
                                   const std::string& port, const std::string& owner = "ops",
                                   int answer = IDYES) {
        boxes.Clear();
        boxes.Answer(answer);
        dlg.SetDlgItemText(IDC_RMONS_INDEX, index);
        dlg.SetDlgItemText(IDC_RMONS_PORT, port);
        dlg.SetDlgItemText(IDC_RMONS_OWNER, owner);
        EXPECT_TRUE(drv.Click(IDC_RMONS_APPLY));
        EXPECT_TRUE(WaitIdle(dlg));
        return boxes.Texts();
    }
};

TEST_F(RMONEthernetStatisticsTest, ListsOneRowPerPortWithItsCounters) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_RMON_STATISTICS));
    // A data source that names no port shows no port.
    s_sim->Set(kStatistics + ".2.3", "o", "1.3.6.1.2.1.2.2.1.1");
    CRMONEthernetStatistics dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitIdle(dlg));
    EXPECT_EQ(dlg.GetWindowText(), "RMON Ethernet Statistics Configuration");
    const std::vector<std::string> headings = {
        "Index", "Port", "Drop Event", "Octets ", "Packets ", "Broadcast \n Packets", "Multicast \n Packets",
        "Owner", ""};
    for (int c = 0; c < 9; ++c) {
        EXPECT_EQ(dlg.List()->horizontalHeaderItem(c)->text().toStdString(), headings[c]);
    }
    ASSERT_EQ(dlg.List()->GetItemCount(), 3);
    EXPECT_EQ(Row(dlg, 0),
              (std::vector<std::string>{"1", "1", "0", "3000000000", "2400000", "1200", "3400", "monitor"}));
    EXPECT_EQ(Row(dlg, 1),
              (std::vector<std::string>{"2", "2", "7", "4294967295", "5100000", "800", "150", "monitor"}));
    EXPECT_EQ(Row(dlg, 2), (std::vector<std::string>{"3", "", "0", "120000", "900", "12", "4", ""}));
    EXPECT_EQ(dlg.m_arrOtherIndexList, std::vector<int>{10});
    EXPECT_EQ(dlg.m_arrOtherPortList, std::vector<int>{5});
    const auto walks = OfKind(s_sim->Requests(), "getnext");
    ASSERT_FALSE(walks.empty());
    EXPECT_EQ(Bindings(walks[0]),
              (std::vector<std::string>{
                  kStatistics + ".1=n:", kStatistics + ".2=n:", kStatistics + ".3=n:", kStatistics + ".4=n:",
                  "1.3.6.1.2.1.16.1.1.1.3=n:", "1.3.6.1.2.1.16.1.1.1.4=n:", "1.3.6.1.2.1.16.1.1.1.5=n:",
                  "1.3.6.1.2.1.16.1.1.1.6=n:", "1.3.6.1.2.1.16.1.1.1.7=n:"}));
}

TEST_F(RMONEthernetStatisticsTest, ApplyChecksClearsThePortsOtherRowsAndCreates) {
    CRMONEthernetStatistics dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitIdle(dlg));
    s_sim->ClearLog();
    EXPECT_EQ(Apply(drv, dlg, "0", "4"), std::vector<std::string>{"Index must be between 1 and 65535!"});
    EXPECT_EQ(Apply(drv, dlg, "65536", "4"), std::vector<std::string>{"Index must be between 1 and 65535!"});
    EXPECT_EQ(Apply(drv, dlg, "2", "4"), std::vector<std::string>{"Index had already exits!"});
    EXPECT_EQ(Apply(drv, dlg, "20", "0"), std::vector<std::string>{"Port number must be between 1 and 28!"});
    EXPECT_EQ(Apply(drv, dlg, "20", "29"), std::vector<std::string>{"Port number must be between 1 and 28!"});
    EXPECT_EQ(Apply(drv, dlg, "20", "2"),
              std::vector<std::string>{"Setting error. Port number had already exits!"});
    EXPECT_TRUE(OfKind(s_sim->Requests(), "set").empty());
    // A refused Apply keeps the form.
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RMONS_PORT), "2");

    // Port 5 has another manager's row under creation (index 10): set invalid only on the user's Yes.
    const std::string held =
        "The device already holds the RMON Ethernet statistics entry 10 of port 5, being created";
    s_sim->ClearLog();
    EXPECT_EQ(Apply(drv, dlg, "20", "5", "ops", IDNO),
              (std::vector<std::string>{held + ". Replace it?", held + "; it was left as it is."}));
    EXPECT_TRUE(OfKind(s_sim->Requests(), "set").empty());
    s_sim->ClearLog();
    EXPECT_EQ(Apply(drv, dlg, "20", "5"), std::vector<std::string>{held + ". Replace it?"});
    EXPECT_EQ(SetLines(s_sim->Requests(), kStatistics.size() + 1),
              (std::vector<std::string>{"4.10=i:4", "4.20=i:2", "2.20=o:1.3.6.1.2.1.2.2.1.1.5", "3.20=s:ops",
                                        "4.20=i:1"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RMONS_PORT), "");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RMONS_INDEX), "");
    ASSERT_EQ(dlg.List()->GetItemCount(), 4);
    EXPECT_EQ(Row(dlg, 3)[0], "20");
    EXPECT_EQ(Row(dlg, 3)[1], "5");

    // An index used only by a row in another status is taken: on the user's Yes creation sets that row
    // invalid first.
    s_sim->Set(kStatistics + ".1.30", "i", "30");
    s_sim->Set(kStatistics + ".4.30", "i", "3");
    ASSERT_TRUE(drv.Click(IDC_RMONS_REFRESH));
    ASSERT_TRUE(WaitIdle(dlg));
    s_sim->ClearLog();
    EXPECT_EQ(
        Apply(drv, dlg, "30", "7", ""),
        std::vector<std::string>{
            "The device already holds the RMON Ethernet statistics entry 30, being created. Replace it?"});
    EXPECT_EQ(RequestLines(OfKind(s_sim->Requests(), "get")),
              std::vector<std::string>(2, "get " + kStatistics + ".4.30=n:"));
    EXPECT_EQ(SetLines(s_sim->Requests(), kStatistics.size() + 1),
              (std::vector<std::string>{"4.30=i:4", "4.30=i:2", "2.30=o:1.3.6.1.2.1.2.2.1.1.7",
                                        "3.30=s:", "4.30=i:1"}));
}

TEST_F(RMONEthernetStatisticsTest, FailedClearingOfThePortsRowsStopsTheCreation) {
    CRMONEthernetStatistics dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitIdle(dlg));
    // The user's Yes to clearing entry 10, whose clearing the device refuses.
    s_sim->RefuseWrites(kStatistics + ".4.10", 5);
    s_sim->ClearLog();
    const std::vector<std::string> texts = Apply(drv, dlg, "20", "5");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1],
              "Failed to clear the unused entries of port 5: the device did not accept entry 10. The RMON "
              "Ethernet statistics entry 20 was not created.");
    EXPECT_EQ(SetLines(s_sim->Requests(), kStatistics.size() + 1), std::vector<std::string>{"4.10=i:4"});
    s_sim->RefuseWrites(kStatistics + ".4.10", 0);
}

TEST_F(RMONEthernetStatisticsTest, DeleteSetsTheRowInvalid) {
    CRMONEthernetStatistics dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitIdle(dlg));
    s_sim->ClearLog();
    ASSERT_TRUE(ClickDelete(dlg, 1));
    ASSERT_TRUE(WaitIdle(dlg));
    EXPECT_EQ(SetLines(s_sim->Requests(), 0), std::vector<std::string>{kStatistics + ".4.2=i:4"});
    ASSERT_EQ(dlg.List()->GetItemCount(), 2);
    EXPECT_EQ(dlg.m_arrPortList, (std::vector<int>{1, 3}));

    // A delete left unanswered may have been applied: it is unconfirmed, not refused.
    UseSimV1(*s_sim, "400");
    s_sim->LoseAnswer(kStatistics + ".4.3");
    ASSERT_TRUE(ClickDelete(dlg, 1));
    ASSERT_TRUE(WaitIdle(dlg));
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Failed to delete the RMON Ethernet statistics entry 3: the "
                                       "device did not answer: it did not confirm whether it was "
                                       "deleted."});

    // A delete the device refuses is told (the fault fails the re-read as well, which says so too).
    FailOn(kStatistics + ".4.1");
    boxes.Clear();
    ASSERT_TRUE(ClickDelete(dlg, 0));
    ASSERT_TRUE(WaitIdle(dlg));
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(boxes.Texts()[0],
              "Failed to delete the RMON Ethernet statistics entry 1: the device did not accept it.");
}

TEST_F(RMONEthernetStatisticsTest, CellsThatDidNotReadAreEmptyAndARowWithoutItsStatusIsKeptUnlisted) {
    const std::string ether = "1.3.6.1.2.1.16.1.1.1";
    s_sim->Unset(ether + ".4.1");                // row 1's octets missing
    s_sim->Set(ether + ".5.2", "s", "zz");       // row 2's packets of the wrong type
    s_sim->Set(kStatistics + ".3.1", "i", "7");  // row 1's owner of the wrong type
    s_sim->Unset(kStatistics + ".4.2");          // row 2's status missing: not an unused row
    CRMONEthernetStatistics dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitIdle(dlg));
    // Row 2 may or may not be valid: it is not listed as a valid row, and it is not an unused one.
    ASSERT_EQ(dlg.List()->GetItemCount(), 2);
    EXPECT_EQ(Row(dlg, 0), (std::vector<std::string>{"1", "1", "0", "", "2400000", "1200", "3400", ""}));
    EXPECT_NE(Row(dlg, 1)[0], "2");
    EXPECT_EQ(dlg.m_arrOtherIndexList, std::vector<int>{10});
    EXPECT_TRUE(boxes.Texts().empty());
    // Port 2 keeps its row: a new row for it is refused, and row 2 is never set invalid.
    s_sim->ClearLog();
    EXPECT_EQ(Apply(drv, dlg, "4", "2"),
              std::vector<std::string>{"Setting error. Port number had already exits!"});
    EXPECT_TRUE(OfKind(s_sim->Requests(), "set").empty());
}

TEST_F(RMONEthernetStatisticsTest, ADeadDeviceShowsNoRowsAndKeepsApplyUnavailable) {
    UseSimV1(*s_sim, "400");
    s_sim->Silence(true);
    CRMONEthernetStatistics dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitIdle(dlg));
    s_sim->Silence(false);
    EXPECT_EQ(dlg.List()->GetItemCount(), 0);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the RMON Ethernet statistics table."});
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_RMONS_APPLY));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_RMONS_REFRESH));
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_RMONS_REFRESH));
    ASSERT_TRUE(WaitUntil([&] { return dlg.List()->GetItemCount() == 3 && !dlg.Busy(); }));
    EXPECT_TRUE(OfKind(s_sim->Requests(), "set").empty());
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_RMONS_APPLY));
}

TEST_F(RMONEthernetStatisticsTest, ASlowDeviceKeepsTheWindowLiveAndCloseStopsTheClearing) {
    // Port 5 has two rows left behind (10 and 11): two clears, then the creation.
    s_sim->Set(kStatistics + ".1.11", "i", "11");
    s_sim->Set(kStatistics + ".2.11", "o", "1.3.6.1.2.1.2.2.1.1.5");
    s_sim->Set(kStatistics + ".4.11", "i", "3");
    CRMONEthernetStatistics dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitIdle(dlg));
    ASSERT_EQ(dlg.m_arrOtherIndexList, (std::vector<int>{10, 11}));
    s_sim->DelayMs(1000);
    s_sim->ClearLog();
    boxes.Clear();
    dlg.SetDlgItemText(IDC_RMONS_INDEX, "20");
    dlg.SetDlgItemText(IDC_RMONS_PORT, "5");
    TickGap ticks;
    ASSERT_TRUE(drv.Click(IDC_RMONS_APPLY));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_RMONS_REFRESH));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_RMONS_CLOSE));
    ASSERT_TRUE(WaitUntil(
        [&] {
            return dlg.Run().ProgressShown() &&
                   dlg.Run().ProgressText() == "Clearing unused entry 11 of port 5 (2 of 2)...";
        },
        20000));
    ASSERT_TRUE(WaitUntil([&] { return DistinctSets(*s_sim).size() >= 2; }, 20000));
    const long long liveGapMs = ticks.MaxGapMs();  // while the run went on
    ASSERT_TRUE(drv.Click(IDC_RMONS_CLOSE));
    ASSERT_TRUE(drv.WaitEnded());
    const std::string held = "The device already holds the RMON Ethernet statistics entry ";
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{
                                 held + "10 of port 5, being created. Replace it?",
                                 held + "11 of port 5, being created. Replace it?",
                                 "Stopped: unused entry 10 of port 5 was cleared; the device did not confirm "
                                 "whether unused entry 11 of port 5 was cleared. The RMON Ethernet "
                                 "statistics entry 20 was not created."}));
    EXPECT_LT(liveGapMs, 250);
    EXPECT_EQ(SetLines(DistinctRequests(*s_sim), kStatistics.size() + 1),
              (std::vector<std::string>{"4.10=i:4", "4.11=i:4"}));
    EXPECT_FALSE(WaitUntil([&] { return DistinctSets(*s_sim).size() > 2; }, 2000));
}

TEST_F(RMONEthernetStatisticsTest, ASlowCreationShowsItsProgressAndEndsWithTheReRead) {
    CRMONEthernetStatistics dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitIdle(dlg));
    s_sim->DelayMs(1000);
    s_sim->ClearLog();
    boxes.Clear();
    dlg.SetDlgItemText(IDC_RMONS_INDEX, "20");
    dlg.SetDlgItemText(IDC_RMONS_PORT, "5");
    TickGap ticks;
    ASSERT_TRUE(drv.Click(IDC_RMONS_APPLY));
    ASSERT_TRUE(WaitUntil(
        [&] {
            return dlg.Run().ProgressShown() && dlg.Run().ProgressText() == "Creating the entry of port 5...";
        },
        20000));
    EXPECT_TRUE(dlg.Busy());
    // The window took its events while the writes waited on the device.
    ASSERT_TRUE(WaitUntil([&] { return DistinctSets(*s_sim).size() >= 3; }, 20000));
    EXPECT_LT(ticks.MaxGapMs(), 250);
    s_sim->DelayMs(0);
    ASSERT_TRUE(WaitUntil([&] { return !dlg.Busy(); }, 30000));
    EXPECT_FALSE(dlg.Run().ProgressShown());
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"The device already holds the RMON Ethernet statistics "
                                                      "entry 10 of port 5, being created. Replace it?"});
    EXPECT_EQ(SetLines(DistinctRequests(*s_sim), kStatistics.size() + 1),
              (std::vector<std::string>{"4.10=i:4", "4.20=i:2", "2.20=o:1.3.6.1.2.1.2.2.1.1.5",
                                        "3.20=s:", "4.20=i:1"}));
    ASSERT_EQ(dlg.List()->GetItemCount(), 4);
    EXPECT_EQ(Row(dlg, 3)[0], "20");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RMONS_INDEX), "");
}

TEST_F(RMONEthernetStatisticsTest, Screens) {
    CheckScreens("ethernet_statistics", [] { return std::make_unique<CRMONEthernetStatistics>(); });
}

}  // namespace
