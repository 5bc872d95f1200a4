// The RMON history control dialog against the simulated switch: the rows with their granted buckets,
// the ranges of buckets and interval, several rows for one port, the form reset after an accepted Apply,
// and Delete.
#include "features/monitoring/RMONHistoryControl.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_rmon.h"
#include "res/resource.h"
#include "tests/features/StepRunTest.h"
#include "tests/features/monitoring/RmonTestSupport.h"

namespace {

using namespace ksx;
using namespace ksx::test;
using namespace ksx::test::rmon;

class RMONHistoryControlTest : public RmonTest {
protected:
    std::vector<std::string> Apply(DialogDriver& drv, CRMONHistoryControl& dlg, const std::string& index,
                                   const std::string& port, const std::string& buckets,
                                   const std::string& interval) {
        boxes.Clear();
        dlg.SetDlgItemText(IDC_RMONH_INDEX, index);
        dlg.SetDlgItemText(IDC_RMONH_PORT, port);
        dlg.SetDlgItemText(IDC_RMONH_BUCKETS, buckets);
        dlg.SetDlgItemText(IDC_RMONH_INTERVAL, interval);
        dlg.SetDlgItemText(IDC_RMONH_OWNER, "ops");
        EXPECT_TRUE(drv.Click(IDC_RMONH_APPLY));
        EXPECT_TRUE(WaitIdle(dlg));
        return boxes.Texts();
    }
};

TEST_F(RMONHistoryControlTest, ListsRowsAndChecksRanges) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_RMON_HISTORY));
    CRMONHistoryControl dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitIdle(dlg));
    EXPECT_EQ(dlg.GetWindowText(), "RMON History Control Configuration");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RMONH_BUCKETS), "50");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RMONH_INTERVAL), "1800");
    const std::vector<std::string> headings = {
        "Index", "Port", "Buckets Requested", "Buckets Granted", "Interval", "Owner", ""};
    for (int c = 0; c < 7; ++c) {
        EXPECT_EQ(dlg.List()->horizontalHeaderItem(c)->text().toStdString(), headings[c]);
    }
    ASSERT_EQ(dlg.List()->GetItemCount(), 2);
    EXPECT_EQ(Row(dlg, 0), (std::vector<std::string>{"1", "1", "50", "50", "1800", "monitor"}));
    EXPECT_EQ(Row(dlg, 1), (std::vector<std::string>{"2", "2", "50", "50", "30", ""}));

    s_sim->ClearLog();
    EXPECT_EQ(Apply(drv, dlg, "65536", "3", "50", "1800"),
              std::vector<std::string>{"Index must be between 1 and 65535!"});
    EXPECT_EQ(Apply(drv, dlg, "2", "3", "50", "1800"), std::vector<std::string>{"Index had already exits!"});
    EXPECT_EQ(Apply(drv, dlg, "5", "29", "50", "1800"),
              std::vector<std::string>{"Port number must be between 1 and 28!"});
    EXPECT_EQ(Apply(drv, dlg, "5", "3", "0", "1800"),
              std::vector<std::string>{"Buckets requested must be between 1 and 50!"});
    EXPECT_EQ(Apply(drv, dlg, "5", "3", "51", "1800"),
              std::vector<std::string>{"Buckets requested must be between 1 and 50!"});
    EXPECT_EQ(Apply(drv, dlg, "5", "3", "50", "0"),
              std::vector<std::string>{"Interval must be between 1 and 3600!"});
    EXPECT_EQ(Apply(drv, dlg, "5", "3", "50", "3601"),
              std::vector<std::string>{"Interval must be between 1 and 3600!"});
    EXPECT_TRUE(OfKind(s_sim->Requests(), "set").empty());
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RMONH_INTERVAL), "3601");  // the form is kept

    // The bounds pass; a second row for port 1 is accepted; the form shows its initial texts again.
    s_sim->ClearLog();
    EXPECT_EQ(Apply(drv, dlg, "5", "1", "1", "3600"), std::vector<std::string>{});
    EXPECT_EQ(RequestLines(OfKind(s_sim->Requests(), "get")),
              std::vector<std::string>{"get " + kHistory + ".6.5=n:"});
    EXPECT_EQ(SetLines(s_sim->Requests(), kHistory.size() + 1),
              (std::vector<std::string>{"6.5=i:2", "2.5=o:1.3.6.1.2.1.2.2.1.1.1", "3.5=i:1", "4.5=i:3600",
                                        "5.5=s:ops", "6.5=i:1"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RMONH_BUCKETS), "50");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RMONH_INTERVAL), "1800");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RMONH_INDEX), "");
    EXPECT_EQ(Apply(drv, dlg, "6", "1", "50", "1"), std::vector<std::string>{});
    ASSERT_EQ(dlg.List()->GetItemCount(), 4);
    EXPECT_EQ(Row(dlg, 2)[1], "1");
    EXPECT_EQ(Row(dlg, 3)[1], "1");
}

TEST_F(RMONHistoryControlTest, DeleteAndAFailedCreation) {
    CRMONHistoryControl dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitIdle(dlg));
    s_sim->ClearLog();
    ASSERT_TRUE(ClickDelete(dlg, 0));
    ASSERT_TRUE(WaitIdle(dlg));
    EXPECT_EQ(SetLines(s_sim->Requests(), 0), std::vector<std::string>{kHistory + ".6.1=i:4"});
    ASSERT_EQ(dlg.List()->GetItemCount(), 1);

    // The interval refused: the row is set invalid again and the step named.
    FailOn(kHistory + ".4.8");
    s_sim->ClearLog();
    EXPECT_EQ(
        Apply(drv, dlg, "8", "4", "10", "60"),
        std::vector<std::string>{
            "Failed to create the RMON history control entry 8: the device did not accept the interval. "
            "The RMON history control entry 8 was not added."});
    EXPECT_EQ(SetLines(s_sim->Requests(), kHistory.size() + 1),
              (std::vector<std::string>{"6.8=i:2", "2.8=o:1.3.6.1.2.1.2.2.1.1.4", "3.8=i:10", "4.8=i:60",
                                        "6.8=i:4"}));
    EXPECT_EQ(dlg.List()->GetItemCount(), 1);
    // The valid status refused and the removal unanswered: told apart from a refused removal.
    FailOn(kHistory + ".6.9", "5", "1");
    FailOn(kHistory + ".6.9", "drop", "4");
    s_sim->ClearLog();
    EXPECT_EQ(Apply(drv, dlg, "9", "4", "10", "60"),
              std::vector<std::string>{
                  "Failed to create the RMON history control entry 9: the device did not accept the valid "
                  "status. The device did not answer: it did not confirm whether the removal of its row was "
                  "written. The RMON history control entry 9 is not active; adding it again replaces any "
                  "row left of it."});
    EXPECT_EQ(SetLines(DistinctRequests(*s_sim), kHistory.size() + 1),
              (std::vector<std::string>{"6.9=i:2", "2.9=o:1.3.6.1.2.1.2.2.1.1.4", "3.9=i:10", "4.9=i:60",
                                        "5.9=s:ops", "6.9=i:1", "6.9=i:4"}));
}

TEST_F(RMONHistoryControlTest, CellsThatDidNotReadAreEmpty) {
    s_sim->Unset(kHistory + ".4.1");                    // row 1's interval missing
    s_sim->Set("1.3.6.1.2.1.16.2.1.1.4.2", "s", "zz");  // row 2's buckets granted of the wrong type
    s_sim->Set(kHistory + ".3.2", "s", "50");           // row 2's buckets requested as text
    s_sim->Set(kHistory + ".5.1", "i", "3");            // row 1's owner of the wrong type
    CRMONHistoryControl dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitIdle(dlg));
    ASSERT_EQ(dlg.List()->GetItemCount(), 2);
    EXPECT_EQ(Row(dlg, 0), (std::vector<std::string>{"1", "1", "50", "50", "", ""}));
    EXPECT_EQ(Row(dlg, 1), (std::vector<std::string>{"2", "2", "", "", "30", ""}));
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_RMONH_APPLY));

    // A row whose status is missing is still the device's: shown, and its index not offered again.
    s_sim->Unset(kHistory + ".6.2");
    ASSERT_TRUE(drv.Click(IDC_RMONH_REFRESH));
    ASSERT_TRUE(WaitIdle(dlg));
    ASSERT_EQ(dlg.List()->GetItemCount(), 2);
    EXPECT_EQ(Row(dlg, 1)[0], "2");
    s_sim->ClearLog();
    EXPECT_EQ(Apply(drv, dlg, "2", "3", "50", "1800"), std::vector<std::string>{"Index had already exits!"});
    EXPECT_TRUE(OfKind(s_sim->Requests(), "set").empty());
}

TEST_F(RMONHistoryControlTest, ASlowCreationKeepsTheWindowLiveAndCloseStopsIt) {
    CRMONHistoryControl dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitIdle(dlg));
    s_sim->DelayMs(1000);
    s_sim->ClearLog();
    boxes.Clear();
    dlg.SetDlgItemText(IDC_RMONH_INDEX, "5");
    dlg.SetDlgItemText(IDC_RMONH_PORT, "3");
    TickGap ticks;
    ASSERT_TRUE(drv.Click(IDC_RMONH_APPLY));
    EXPECT_TRUE(dlg.Busy());
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_RMONH_CLOSE));
    ASSERT_TRUE(WaitUntil(
        [&] {
            return dlg.Run().ProgressShown() &&
                   dlg.Run().ProgressText() == "Creating the RMON history control entry 5...";
        },
        20000));
    ASSERT_TRUE(WaitUntil([&] { return DistinctSets(*s_sim).size() >= 2; }, 20000));
    const long long liveGapMs = ticks.MaxGapMs();  // while the run went on
    ASSERT_TRUE(drv.Click(IDC_RMONH_CLOSE));
    ASSERT_TRUE(drv.WaitEnded());
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Stopped: a row for the RMON history control entry 5 was "
                                       "created on the device but not activated. Adding the RMON "
                                       "history control entry 5 again replaces it."});
    EXPECT_LT(liveGapMs, 250);
    // Nothing is sent once stopped; the row is never made valid.
    const size_t sent = DistinctSets(*s_sim).size();
    EXPECT_FALSE(WaitUntil([&] { return DistinctSets(*s_sim).size() > sent; }, 2000));
    const std::vector<std::string> sets = SetLines(DistinctRequests(*s_sim), kHistory.size() + 1);
    ASSERT_GE(sets.size(), 2u);
    EXPECT_EQ(sets[0], "6.5=i:2");
    EXPECT_EQ(sets[1], "2.5=o:1.3.6.1.2.1.2.2.1.1.3");
    EXPECT_EQ(std::count(sets.begin(), sets.end(), "6.5=i:1"), 0);

    // Opened again, the same entry is created: the one left under creation is replaced.
    s_sim->DelayMs(0);
    CRMONHistoryControl again;
    DialogDriver drv2(again);
    ASSERT_TRUE(WaitIdle(again));
    s_sim->ClearLog();
    EXPECT_EQ(Apply(drv2, again, "5", "3", "50", "1800"), std::vector<std::string>{});
    EXPECT_EQ(SetLines(s_sim->Requests(), kHistory.size() + 1),
              (std::vector<std::string>{"6.5=i:4", "6.5=i:2", "2.5=o:1.3.6.1.2.1.2.2.1.1.3", "3.5=i:50",
                                        "4.5=i:1800", "5.5=s:ops", "6.5=i:1"}));
    EXPECT_EQ(s_sim->Get(kHistory + ".6.5"), "1");
    EXPECT_EQ(Row(again, 2)[0], "5");
}

TEST_F(RMONHistoryControlTest, Screens) {
    CheckScreens("history_control", [] { return std::make_unique<CRMONHistoryControl>(); });
}

}  // namespace
