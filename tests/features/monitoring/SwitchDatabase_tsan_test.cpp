// Forwarding table view against the simulated switch: the walk's and the aging time's exact requests,
// the entries' texts (MAC from the index, status names), pages of 100 with Next and Back at their
// boundaries (0, 100, 101 entries), indexes without a full MAC, a failed aging-time read, a walk that
// times out midway, and 16,000 entries that fill and page while the window keeps painting, Close
// works and Refresh starts over from an empty copy.
#include <gtest/gtest.h>

#include <QEvent>
#include <QTableWidget>
#include <memory>
#include <string>
#include <vector>

#include "features/monitoring/SwitchDatabase.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_stdmib.h"
#include "res/resource.h"
#include "tests/features/monitoring/StdMibTable_test.h"

namespace {

using namespace ksx;
using namespace ksx::dialogtest;
using namespace ksx::stdmibtest;

const std::string kFdb = "1.3.6.1.2.1.17.7.1.2.2.1";
const std::string kAging = "1.3.6.1.2.1.17.4.2.0";
const std::string kWalk = "getnext 1.3.6.1.2.1.17.7.1.2.2.1.3=n: 1.3.6.1.2.1.17.7.1.2.2.1.2=n:";

bool Idle(const CSwitchDatabase& dlg) {
    return !dlg.Walking() && dlg.IsDlgItemEnabled(IDC_FDB_REFRESH);
}

// The ids shown, first and last, and the paging buttons.
struct Page {
    int rows;
    std::string first, last;
    bool next, back;
    bool operator==(const Page&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Page& p) {
    return os << p.rows << " rows " << p.first << ".." << p.last << (p.next ? " next" : "")
              << (p.back ? " back" : "");
}
Page Shown(const DialogDriver& drv, const CDialog& dlg) {
    const int rows = drv.Rows(IDC_FDB_LIST);
    return {rows, rows > 0 ? drv.Cell(IDC_FDB_LIST, 0, 0) : "",
            rows > 0 ? drv.Cell(IDC_FDB_LIST, rows - 1, 0) : "", dlg.IsDlgItemEnabled(IDC_FDB_NEXT),
            dlg.IsDlgItemEnabled(IDC_FDB_BACK)};
}

class ForwardingTable : public test::SharedSimTest {
protected:
    test::SimSwitch& sim = *s_sim;
    test::ScriptedMessageBox boxes;
};

TEST_F(ForwardingTable, EntriesOfTheDatabaseWithTheAgingTime) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_FORWARDING_TABLE));
    CSwitchDatabase dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return Idle(dlg) && dlg.GetDlgItemText(IDC_FDB_AGING) == "300"; }));
    EXPECT_EQ(dlg.GetWindowText(), "Forwarding Table");
    EXPECT_EQ(Headings(drv, IDC_FDB_LIST),
              (std::vector<std::string>{"ID ", "Port", " MAC Address ", " Status "}));
    const auto walk = RequestLines(test::OfKind(sim.Requests(), "getnext"));
    ASSERT_EQ(walk.size(), 12u);  // 11 entries and the step past the table
    EXPECT_EQ(walk[0], kWalk);
    EXPECT_EQ(walk[1],
              "getnext 1.3.6.1.2.1.17.7.1.2.2.1.3.1.0.10.11.12.13.14=n: "
              "1.3.6.1.2.1.17.7.1.2.2.1.2.1.0.10.11.12.13.14=n:");
    EXPECT_EQ(RequestLines(test::OfKind(sim.Requests(), "get")),
              std::vector<std::string>{"get 1.3.6.1.2.1.17.4.2.0=n:"});
    EXPECT_EQ(ListRows(drv, IDC_FDB_LIST), (Rows{
                                               {"1", "3", "00-0A-0B-0C-0D-0E", "Static"},
                                               {"2", "7", "00-11-22-33-44-55", "Static"},
                                               {"3", "0", "00-1E-94-4C-20-00", "Own"},
                                               {"4", "1", "00-50-C2-00-00-01", "Learn"},
                                               {"5", "2", "00-50-C2-00-00-02", "Learn"},
                                               {"6", "3", "00-50-C2-00-00-03", "Learn"},
                                               {"7", "5", "00-50-C2-00-00-05", "Learn"},
                                               {"8", "24", "00-50-C2-00-00-18", "Learn"},
                                               {"9", "25", "00-50-C2-00-00-19", "Learn"},
                                               {"10", "9", "00-50-C2-00-10-01", "Learn"},
                                               {"11", "10", "00-50-C2-0F-FE-01", "Learn"},
                                           }));
    EXPECT_EQ(Shown(drv, dlg), (Page{11, "1", "11", false, false}));
    EXPECT_EQ(boxes.Count(), 0u);
    ASSERT_TRUE(drv.Click(IDC_FDB_CLOSE));
    EXPECT_TRUE(drv.WaitEnded());
    EXPECT_EQ(drv.Result(), IDOK);
}

TEST_F(ForwardingTable, StatusNamesAndIndexesWithoutAFullMac) {
    EXPECT_EQ(CSwitchDatabase::StatusText("1"), "Other");
    EXPECT_EQ(CSwitchDatabase::StatusText("2"), "Invalid");
    EXPECT_EQ(CSwitchDatabase::StatusText("6"), "6");
    EXPECT_EQ(CSwitchDatabase::MacOfIndex("4094.0.80.194.15.254.1"), "00-50-C2-0F-FE-01");
    EXPECT_EQ(CSwitchDatabase::MacOfIndex("1.0.80.194.15.254"), "");  // five octets
    EXPECT_EQ(CSwitchDatabase::MacOfIndex("1.0.80.194.15.254.1.7"), "");
    EXPECT_EQ(CSwitchDatabase::MacOfIndex("1.0.80.194.15.300.1"), "");
    EXPECT_EQ(CSwitchDatabase::MacOfIndex(""), "");
    // Two entries the device indexes badly: their rows show no made-up address.
    sim.Set(kFdb + ".3.1.0.17.34.51", "i", "1");
    sim.Set(kFdb + ".2.1.0.17.34.51", "i", "4");
    sim.Set(kFdb + ".3.1.0.17.34.51.68.85.99", "i", "2");
    sim.Set(kFdb + ".2.1.0.17.34.51.68.85.99", "i", "6");
    sim.Set(kFdb + ".3.1.0.80.194.0.0.2", "i", "7");
    CSwitchDatabase dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return Idle(dlg); }));
    ASSERT_EQ(drv.Rows(IDC_FDB_LIST), 13);
    EXPECT_EQ(drv.Row(IDC_FDB_LIST, 1), (std::vector<std::string>{"2", "4", "", "Other"}));
    EXPECT_EQ(drv.Row(IDC_FDB_LIST, 3), (std::vector<std::string>{"4", "6", "", "Invalid"}));
    EXPECT_EQ(drv.Row(IDC_FDB_LIST, 6), (std::vector<std::string>{"7", "2", "00-50-C2-00-00-02", "7"}));
}

TEST_F(ForwardingTable, AnEntryWithoutAPortShowsAnEmptyCellAndTheNextItsOwn) {
    sim.Command("unset " + kFdb + ".2.1.0.80.194.0.0.2");
    CSwitchDatabase dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return Idle(dlg); }));
    ASSERT_EQ(drv.Rows(IDC_FDB_LIST), 11);
    EXPECT_EQ(drv.Row(IDC_FDB_LIST, 4), (std::vector<std::string>{"5", "", "00-50-C2-00-00-02", "Learn"}));
    EXPECT_EQ(drv.Row(IDC_FDB_LIST, 5), (std::vector<std::string>{"6", "3", "00-50-C2-00-00-03", "Learn"}));
    EXPECT_EQ(drv.Row(IDC_FDB_LIST, 10),
              (std::vector<std::string>{"11", "10", "00-50-C2-0F-FE-01", "Learn"}));
}

TEST_F(ForwardingTable, TheAgingTimeIsReadAgainByRefreshAndAFailedReadLeavesItAndSaysSo) {
    CSwitchDatabase dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return Idle(dlg) && dlg.GetDlgItemText(IDC_FDB_AGING) == "300"; }));
    sim.Set(kAging, "i", "45");
    ASSERT_TRUE(drv.Click(IDC_FDB_REFRESH));
    ASSERT_TRUE(WaitUntil([&] { return Idle(dlg) && dlg.GetDlgItemText(IDC_FDB_AGING) == "45"; }));

    EXPECT_EQ(boxes.Count(), 0u);
    sim.ErrorStatus(kAging, 5);  // genErr
    sim.ClearLog();
    ASSERT_TRUE(drv.Click(IDC_FDB_REFRESH));
    ASSERT_TRUE(boxes.WaitForCount(1));
    ASSERT_TRUE(WaitUntil([&] { return Idle(dlg) && !test::OfKind(sim.Requests(), "get").empty(); }));
    test::PumpEvents();
    EXPECT_EQ(dlg.GetDlgItemText(IDC_FDB_AGING), "45");
    sim.ErrorStatus(kAging, 0);

    sim.Set(kAging, "s", "soon");  // not a number: not read
    sim.ClearLog();
    ASSERT_TRUE(drv.Click(IDC_FDB_REFRESH));
    ASSERT_TRUE(boxes.WaitForCount(2));
    ASSERT_TRUE(WaitUntil([&] { return Idle(dlg) && !test::OfKind(sim.Requests(), "get").empty(); }));
    test::PumpEvents();
    EXPECT_EQ(dlg.GetDlgItemText(IDC_FDB_AGING), "45");
    EXPECT_EQ(drv.Rows(IDC_FDB_LIST), 11);
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{"Failed to read the aging time.", "Failed to read the aging time."}));
}

// ---- pages ----

class ForwardingPages : public ForwardingTable {
public:
    static void SetUpTestSuite() { StartSim({"ksx-4200-28z1", {"--fdb", "101"}}); }
};

TEST_F(ForwardingPages, OneHundredAndOneEntriesMakeTwoPages) {
    CSwitchDatabase dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return Idle(dlg); }));
    EXPECT_EQ(dlg.Entries().size(), 101u);
    EXPECT_EQ(Shown(drv, dlg), (Page{100, "1", "100", true, false}));
    EXPECT_EQ(drv.Row(IDC_FDB_LIST, 99),
              (std::vector<std::string>{"100", "4", "02-00-00-00-00-64", "Learn"}));
    ASSERT_TRUE(drv.Click(IDC_FDB_NEXT));
    EXPECT_EQ(Shown(drv, dlg), (Page{1, "101", "101", false, true}));
    EXPECT_EQ(drv.Row(IDC_FDB_LIST, 0), (std::vector<std::string>{"101", "5", "02-00-00-00-00-65", "Learn"}));
    ASSERT_TRUE(drv.Click(IDC_FDB_BACK));
    EXPECT_EQ(Shown(drv, dlg), (Page{100, "1", "100", true, false}));
    EXPECT_EQ(drv.Row(IDC_FDB_LIST, 0), (std::vector<std::string>{"1", "1", "02-00-00-00-00-01", "Learn"}));
}

TEST_F(ForwardingPages, OneHundredEntriesMakeOnePage) {
    sim.Command("unset " + kFdb + ".2.1.2.0.0.0.0.101");
    sim.Command("unset " + kFdb + ".3.1.2.0.0.0.0.101");
    CSwitchDatabase dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return Idle(dlg); }));
    EXPECT_EQ(Shown(drv, dlg), (Page{100, "1", "100", false, false}));
}

TEST_F(ForwardingPages, NoEntriesLeaveTheListEmptyAndRefreshBack) {
    for (int n = 1; n <= 101; ++n) {
        sim.Command("unset " + kFdb + ".2.1.2.0.0.0.0." + std::to_string(n));
        sim.Command("unset " + kFdb + ".3.1.2.0.0.0.0." + std::to_string(n));
    }
    CSwitchDatabase dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return Idle(dlg) && dlg.GetDlgItemText(IDC_FDB_AGING) == "300"; }));
    EXPECT_EQ(Shown(drv, dlg), (Page{0, "", "", false, false}));
    EXPECT_EQ(RequestLines(test::OfKind(sim.Requests(), "getnext")), std::vector<std::string>{kWalk});
}

// ---- 16,000 entries ----

class ManyEntries : public ForwardingTable {
public:
    static void SetUpTestSuite() { StartSim({"ksx-4200-28z1", {"--fdb", "16000"}}); }
    static constexpr int kLimitMs = 240000;
};

// Counts the paints of a widget that happen while `busy` holds.
class PaintWatch : public QObject {
public:
    PaintWatch(QWidget* widget, std::function<bool()> busy) : m_busy(std::move(busy)) {
        widget->installEventFilter(this);
    }
    int duringFill = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint && m_busy()) {
            ++duringFill;
        }
        return false;
    }

private:
    std::function<bool()> m_busy;
};

TEST_F(ManyEntries, FillWhileTheWindowPaintsThenPageToTheEnd) {
    CSwitchDatabase dlg;
    DialogDriver drv(dlg);
    auto* list = drv.ItemAs<QTableWidget>(IDC_FDB_LIST);
    ASSERT_NE(list, nullptr);
    const auto filling = [&] {
        return dlg.Walking() && !dlg.Entries().empty() && dlg.Entries().size() < 16000;
    };
    PaintWatch watch(list->viewport(), filling);
    // The window repaints between entries: asked to repaint, it does before the walk is over.
    ASSERT_TRUE(WaitUntil(
        [&] {
            list->viewport()->update();
            return watch.duringFill >= 3 || !dlg.Walking();
        },
        kLimitMs));
    EXPECT_GE(watch.duringFill, 3);
    EXPECT_TRUE(dlg.Walking());
    // Next works during the walk once a second page exists.
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_FDB_NEXT) || !dlg.Walking(); }, kLimitMs));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_FDB_REFRESH));
    ASSERT_TRUE(WaitUntil([&] { return Idle(dlg); }, kLimitMs));
    ASSERT_EQ(dlg.Entries().size(), 16000u);
    EXPECT_EQ(dlg.Entries().back().id, 16000);
    EXPECT_EQ(dlg.Entries().back().mac, "02-00-00-00-3E-80");
    EXPECT_EQ(Shown(drv, dlg), (Page{100, "1", "100", true, false}));
    int pages = 1;
    while (dlg.IsDlgItemEnabled(IDC_FDB_NEXT) && pages < 200) {
        ASSERT_TRUE(drv.Click(IDC_FDB_NEXT));
        ++pages;
    }
    EXPECT_EQ(pages, 160);
    EXPECT_EQ(Shown(drv, dlg), (Page{100, "15901", "16000", false, true}));
    EXPECT_EQ(drv.Row(IDC_FDB_LIST, 99),
              (std::vector<std::string>{"16000", "16", "02-00-00-00-3E-80", "Learn"}));
    ASSERT_TRUE(drv.Click(IDC_FDB_BACK));
    EXPECT_EQ(Shown(drv, dlg), (Page{100, "15801", "15900", true, true}));
}

TEST_F(ManyEntries, RefreshDuringTheFillStartsOverFromAnEmptyCopy) {
    CSwitchDatabase dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return dlg.Entries().size() > 300 || !dlg.Walking(); }, kLimitMs));
    ASSERT_TRUE(dlg.Walking());
    ASSERT_TRUE(dlg.IsDlgItemEnabled(IDC_FDB_REFRESH));  // a second page exists
    ASSERT_TRUE(drv.Click(IDC_FDB_NEXT));
    ASSERT_TRUE(drv.Click(IDC_FDB_REFRESH));
    EXPECT_LT(dlg.Entries().size(), 50u);  // the old copy is gone, not added to
    EXPECT_EQ(Shown(drv, dlg).back, false);
    ASSERT_TRUE(WaitUntil([&] { return Idle(dlg); }, kLimitMs));
    ASSERT_EQ(dlg.Entries().size(), 16000u);
    for (size_t i = 0; i < dlg.Entries().size(); i += 997) {
        ASSERT_EQ(dlg.Entries()[i].id, static_cast<int>(i) + 1);
    }
    EXPECT_EQ(Shown(drv, dlg), (Page{100, "1", "100", true, false}));
}

TEST_F(ManyEntries, CloseWorksWhileEntriesArrive) {
    auto dlg = std::make_unique<CSwitchDatabase>();
    auto drv = std::make_unique<DialogDriver>(*dlg);
    ASSERT_TRUE(WaitUntil([&] { return dlg->Entries().size() > 200 || !dlg->Walking(); }, kLimitMs));
    ASSERT_TRUE(dlg->Walking());
    ASSERT_TRUE(drv->Click(IDC_FDB_CLOSE));
    ASSERT_TRUE(drv->WaitEnded());
    EXPECT_FALSE(dlg->Walking());
    EXPECT_LT(dlg->Entries().size(), 16000u);
    drv.reset();
    dlg.reset();
    const size_t requests = sim.Requests().size();
    EXPECT_FALSE(sim.WaitForRequests([&](const auto& log) { return log.size() > requests; }, 500));
}

TEST_F(ManyEntries, AWalkTimingOutMidwayKeepsItsEntriesAndGivesRefreshBack) {
    test::UseSimV1(sim, "600");
    CSwitchDatabase dlg;
    DialogDriver drv(dlg);
    // The aging time was read: only the walk meets the silence.
    ASSERT_TRUE(WaitUntil(
        [&] {
            return (dlg.Entries().size() > 150 && !dlg.GetDlgItemText(IDC_FDB_AGING).empty()) ||
                   !dlg.Walking();
        },
        kLimitMs));
    sim.Silence(true);
    ASSERT_TRUE(WaitUntil([&] { return Idle(dlg); }, kLimitMs));
    const size_t kept = dlg.Entries().size();
    EXPECT_GT(kept, 150u);
    EXPECT_LT(kept, 16000u);
    EXPECT_EQ(Shown(drv, dlg), (Page{100, "1", "100", true, false}));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the forwarding table."});
}

}  // namespace
