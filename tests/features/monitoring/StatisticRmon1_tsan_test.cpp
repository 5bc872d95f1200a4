// RMON 1 statistics list and its polled views over the SNMP class library, against the simulated switch:
// the list walk, add (checked, then made valid) and delete, the interface count, replies after close,
// the group parameter and interface counter views with their polls, and other SNMP versions.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "controls/ListCtrl.h"
#include "features/monitoring/Rmon1Entry.h"
#include "features/monitoring/StatisticRmon1.h"
#include "features/monitoring/StatisticRmonCnt.h"
#include "features/monitoring/StatisticRmonInf.h"
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

const std::string kE = "1.3.6.1.2.1.16.1.1.1";

class StatisticRmon1 : public test::SharedSimTest {
protected:
    // Opens the list and waits for its walk and the interface count.
    static void WaitRead(CStatisticRmon1& dlg) {
        ASSERT_TRUE(WaitUntil([&] { return !dlg.Walking() && dlg.InterfaceCount() > 0; }));
    }
    static int RowOf(const CStatisticRmon1& dlg, const std::string& index) {
        for (int r = 0; r < dlg.ListRows(); ++r) {
            if (dlg.ListIndexText(r) == index) {
                return r;
            }
        }
        return -1;
    }
    // Runs Add with the entry dialog filled by `fill`.
    static void Add(CStatisticRmon1& dlg, const std::string& index, const std::string& port,
                    const std::string* owner = nullptr) {
        QTimer::singleShot(0, [&] {
            ASSERT_TRUE(
                WaitUntil([] { return dynamic_cast<CRmon1Entry*>(QApplication::activeModalWidget()); }));
            auto* entry = dynamic_cast<CRmon1Entry*>(QApplication::activeModalWidget());
            EXPECT_EQ(entry->GetDlgItemText(IDC_RMON1_ENTRY_OWNER), "Zelvion");
            entry->SetDlgItemText(IDC_RMON1_ENTRY_INDEX, index);
            entry->SetDlgItemText(IDC_RMON1_ENTRY_INTERFACE, port);
            if (owner != nullptr) {
                entry->SetDlgItemText(IDC_RMON1_ENTRY_OWNER, *owner);
            }
            entry->DispatchCommand(IDOK);
        });
        dlg.OnAdd();
        ASSERT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }));
    }
    static std::set<std::string> DistinctIds(const std::string& idsLine) {
        std::istringstream in(idsLine.substr(idsLine.find(' ') + 1));
        std::set<std::string> ids;
        for (std::string id; in >> id;) {
            ids.insert(id);
        }
        return ids;
    }
    test::ScriptedMessageBox boxes;
};

TEST_F(StatisticRmon1, ListsTheEntriesWithTheirDataSources) {
    CStatisticRmon1 dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(dlg.GetWindowText(), " RMON 1 Statistic Information:  Port 1");
    EXPECT_EQ(dlg.InterfaceCount(), 28);
    const auto log = s_sim->Requests();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(test::Describe(test::OfKind(log, "get")),
              std::vector<std::string>{"get quaint 1.3.6.1.2.1.2.1.0|n|"});
    const auto steps = test::OfKind(log, "getnext");
    ASSERT_EQ(steps.size(), static_cast<size_t>(dlg.ListRows() + 1));
    EXPECT_EQ(test::Describe(steps[0]), "getnext quaint " + kE + ".1|n| " + kE + ".2|n|");
    const int r = RowOf(dlg, "12");
    ASSERT_GE(r, 0);
    EXPECT_EQ(drv.Row(IDC_RMON1_LIST, r), (std::vector<std::string>{"12", "Interface #5"}));
    EXPECT_EQ(drv.Cell(IDC_RMON1_LIST, RowOf(dlg, "13"), 1), "Interface #9");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RMON1_COUNT), std::to_string(dlg.ListRows()));
    // The index list follows the list row by row.
    ASSERT_EQ(dlg.EntryCount(), dlg.ListRows());
    for (int i = 0; i < dlg.ListRows(); ++i) {
        EXPECT_EQ(dlg.IndexList()[static_cast<size_t>(i)], dlg.ListIndexText(i));
    }
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_RMON1_DELETE));
    EXPECT_EQ(dlg.GroupCount(), (dlg.EntryCount() + 23) / 24);
}

TEST_F(StatisticRmon1, AddCreatesTheRowAndMakesItValid) {
    CStatisticRmon1 dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    const int before = dlg.ListRows();
    s_sim->ClearLog();
    Add(dlg, "7", "3");
    EXPECT_EQ(test::SetLines(s_sim->Requests(), kE.size() + 1),
              (std::vector<std::string>{"21.7=i:2 2.7=o:1.3.6.1.2.1.2.2.1.1.3 20.7=s:Zelvion", "21.7=i:1"}));
    EXPECT_EQ(test::Sets(s_sim->Requests())[0].principal, "harbour");
    EXPECT_EQ(s_sim->Get(kE + ".21.7"), "1");  // valid, not left under creation
    WaitRead(dlg);
    EXPECT_EQ(dlg.ListRows(), before + 1);
    EXPECT_EQ(drv.Row(IDC_RMON1_LIST, RowOf(dlg, "7")), (std::vector<std::string>{"7", "Interface #3"}));
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(StatisticRmon1, AddRefusesBadEntriesBeforeSendingAnything) {
    CStatisticRmon1 dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    s_sim->ClearLog();
    const std::string longOwner(128, 'o');
    Add(dlg, "0", "3");
    Add(dlg, "65536", "3");
    Add(dlg, "a", "3");
    Add(dlg, "8", "0");
    Add(dlg, "8", "29");
    Add(dlg, "8", "3", &longOwner);
    EXPECT_TRUE(test::Sets(s_sim->Requests()).empty());
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{
                  "Please enter an index from 1 to 65535.", "Please enter an index from 1 to 65535.",
                  "Please enter an index from 1 to 65535.", "Please enter an interface from 1 to 28.",
                  "Please enter an interface from 1 to 28.", "The owner may have at most 127 characters."}));
    // The longest owner the object takes goes out as typed.
    const std::string owner127(127, 'o');
    Add(dlg, "65535", "28", &owner127);
    ASSERT_EQ(test::Sets(s_sim->Requests()).size(), 2u);
    EXPECT_EQ(s_sim->Get(kE + ".20.65535"), owner127);
}

TEST_F(StatisticRmon1, RefusedAddAndDeleteAreReported) {
    CStatisticRmon1 dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    // An index that exists already: the device refuses the creation.
    Add(dlg, "11", "2");
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Failed to add the statistics entry 11: the device already "
                                       "holds the statistics entry 11; it was left as it is."});
    EXPECT_EQ(test::Sets(s_sim->Requests()).size(), 1u);
    WaitRead(dlg);
    s_sim->ErrorStatus(kE + ".21.12", 5);
    ASSERT_TRUE(drv.ClickRow(IDC_RMON1_LIST, RowOf(dlg, "12")));
    ASSERT_TRUE(drv.Click(IDC_RMON1_DELETE));
    s_sim->ErrorStatus(kE + ".21.12", 0);
    EXPECT_EQ(boxes.Texts().back(),
              "Failed to delete the statistics entry 12: the device did not accept it.");
    WaitRead(dlg);
    EXPECT_GE(RowOf(dlg, "12"), 0);
}

TEST_F(StatisticRmon1, ARefusedResendIsNoRefusalAndAFailedRemovalIsSaid) {
    CStatisticRmon1 dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    // The create's first copy made the row, its answer lost; the resend is refused: the row is replaced.
    s_sim->LoseAnswer(kE + ".21.7", true);
    Add(dlg, "7", "3");
    const std::string create = "21.7=i:2 2.7=o:1.3.6.1.2.1.2.2.1.1.3 20.7=s:Zelvion";
    EXPECT_EQ(test::SetLines(s_sim->DistinctRequests(), kE.size() + 1),
              (std::vector<std::string>{create, "21.7=i:4", create, "21.7=i:1"}));
    s_sim->Command("error " + kE + ".21.8 5 1");
    s_sim->Command("error " + kE + ".21.8 5 4");
    Add(dlg, "8", "3");
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{
                  "Failed to add the statistics entry 8: the device did not accept its valid status. "
                  "The device did not accept the removal of its row. A row for the statistics entry "
                  "8 is left on the device, not active; adding it again replaces it."});
    EXPECT_EQ(s_sim->Get(kE + ".21.8"), "3");
    s_sim->Command("error " + kE + ".21.8 0 1");
    s_sim->Command("error " + kE + ".21.8 0 4");
}

TEST_F(StatisticRmon1, AnotherManagersEntryBeingCreatedIsReplacedOnlyOnYes) {
    CStatisticRmon1 dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    s_sim->Command("row " + kE + ".21.9 3");
    boxes.Answer(IDNO);
    Add(dlg, "9", "3");
    Add(dlg, "9", "3");
    const std::string held = "The device already holds the statistics entry 9, being created";
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{held + ". Replace it?", held + "; it was left as it is.",
                                        held + ". Replace it?"}));
    const std::string create = "21.9=i:2 2.9=o:1.3.6.1.2.1.2.2.1.1.3 20.9=s:Zelvion";
    EXPECT_EQ(test::SetLines(s_sim->Requests(), kE.size() + 1),
              (std::vector<std::string>{create, "21.9=i:4", create, "21.9=i:1"}));
}

TEST_F(StatisticRmon1, DeleteAsksThenInvalidatesTheSelectedEntry) {
    CStatisticRmon1 dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    // No row selected: the question, then nothing.
    dlg.OnDelete();
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Do you want to delete the control item?"});
    ASSERT_TRUE(drv.ClickRow(IDC_RMON1_LIST, RowOf(dlg, "12")));
    EXPECT_EQ(dlg.GetWindowText(), " RMON1 Group Info - Port : 5");
    ASSERT_TRUE(dlg.IsDlgItemEnabled(IDC_RMON1_DELETE));
    boxes.Answer(IDCANCEL);
    ASSERT_TRUE(drv.Click(IDC_RMON1_DELETE));
    EXPECT_TRUE(test::Sets(s_sim->Requests()).empty());
    ASSERT_TRUE(drv.Click(IDC_RMON1_DELETE));
    EXPECT_EQ(test::Describe(test::Sets(s_sim->Requests())),
              std::vector<std::string>{"set harbour " + kE + ".21.12|i|4"});
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_RMON1_DELETE));
    WaitRead(dlg);
    EXPECT_EQ(RowOf(dlg, "12"), -1);
    EXPECT_EQ(boxes.Texts().size(), 3u);
}

TEST_F(StatisticRmon1, AClickedPortAboveTheInterfaceCountShowsPortOne) {
    s_sim->Set("1.3.6.1.2.1.2.1.0", "i", "4");
    CStatisticRmon1 dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    ASSERT_TRUE(drv.ClickRow(IDC_RMON1_LIST, RowOf(dlg, "12")));  // Interface #5
    EXPECT_EQ(dlg.GetWindowText(), " RMON1 Group Info - Port : 1");
    ASSERT_TRUE(drv.ClickRow(IDC_RMON1_LIST, RowOf(dlg, "11")));  // Interface #1
    EXPECT_EQ(dlg.GetWindowText(), " RMON1 Group Info - Port : 1");
    EXPECT_EQ(dlg.CurrentPort(), 1);
}

TEST_F(StatisticRmon1, ACountOnlyAfterAWholeWalkAndNoCellOfAnotherRow) {
    s_sim->Set(kE + ".2.12", "i", "5");  // entry 12's data source of the wrong type
    s_sim->Unset(kE + ".2.13");          // entry 13's data source missing: not the next entry's
    CStatisticRmon1 dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(drv.Row(IDC_RMON1_LIST, RowOf(dlg, "12")), (std::vector<std::string>{"12", ""}));
    EXPECT_EQ(drv.Cell(IDC_RMON1_LIST, RowOf(dlg, "13"), 1), "");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RMON1_COUNT), std::to_string(dlg.ListRows()));
    EXPECT_TRUE(boxes.Texts().empty());

    // A device that stops answering: what arrived stays listed, no count, the failure said once.
    test::UseSimV1(*s_sim, "400");
    s_sim->Silence(true);
    ASSERT_TRUE(drv.Click(IDC_RMON1_REFRESH));
    ASSERT_TRUE(WaitUntil([&] { return !dlg.Walking(); }));
    s_sim->Silence(false);
    EXPECT_EQ(dlg.ListRows(), 0);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RMON1_COUNT), "");
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{CStatisticRmon1::kTextReadFailed});
}

TEST_F(StatisticRmon1, RefreshDuringAWalkStartsNoSecondWalk) {
    s_sim->DelayMs(150);
    CStatisticRmon1 dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return dlg.ListRows() >= 1; }));
    ASSERT_TRUE(dlg.Walking());
    ASSERT_TRUE(drv.Click(IDC_RMON1_REFRESH));
    ASSERT_TRUE(drv.Click(IDC_RMON1_REFRESH));
    WaitRead(dlg);
    // One walk from the first column OIDs: the list was cleared and the running walk filled it on.
    int starts = 0;
    for (const auto& r : test::OfKind(s_sim->Requests(), "getnext")) {
        starts += r.varbinds[0].oid == kE + ".1" ? 1 : 0;
    }
    EXPECT_EQ(starts, 1);
    ASSERT_EQ(dlg.EntryCount(), dlg.ListRows());
    for (int i = 0; i < dlg.ListRows(); ++i) {
        EXPECT_EQ(dlg.IndexList()[static_cast<size_t>(i)], dlg.ListIndexText(i));
    }
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RMON1_COUNT), std::to_string(dlg.ListRows()));
}

TEST_F(StatisticRmon1, RepliesAfterCloseReachNothing) {
    s_sim->DelayMs(300);
    {
        CStatisticRmon1 dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(s_sim->WaitForRequests([](const auto& log) { return log.size() >= 2; }));
        drv.PressEscape();
        ASSERT_TRUE(drv.WaitEnded());
        EXPECT_FALSE(dlg.Walking());
        EXPECT_EQ(dlg.ListRows(), 0);
    }
    // The delayed answers arrive at a closed library object: nothing more is asked.
    const size_t seen = s_sim->Requests().size();
    EXPECT_FALSE(WaitUntil([&] { return s_sim->Requests().size() > seen; }, 800));
}

TEST_F(StatisticRmon1, OtherSnmpVersionsSendNothing) {
    test::UseSimV3(*s_sim, "1", "noauthuser", "1", "", "1", "");
    CStatisticRmon1 dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(drv.Click(IDC_RMON1_REFRESH));
    Add(dlg, "7", "3");
    test::PumpEvents();
    EXPECT_TRUE(s_sim->Requests().empty());
    EXPECT_EQ(dlg.ListRows(), 0);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RMON1_COUNT), "");  // nothing read: no count
    EXPECT_EQ(dlg.GroupCount(), 0);
    {
        CStatisticRmonCnt view(&dlg, 1, 0);
        DialogDriver v(view);
        CStatisticRmonInf inf(&dlg, 0);
        DialogDriver i(inf);
        test::PumpEvents();
        EXPECT_EQ(view.GetDlgItemText(IDC_RMONCNT_VALUE1), "");  // nothing read: no value
        EXPECT_EQ(inf.GetDlgItemText(IDC_RMONINF_VALUE1), "");
    }
    EXPECT_TRUE(s_sim->Requests().empty());
}

// ---- The group parameter view ----

class StatisticRmonViews : public StatisticRmon1 {
protected:
    // 27 more entries (100..126): with the profile's own, more than 24.
    static void MoreEntries() {
        for (int i = 100; i < 127; ++i) {
            s_sim->Set(kE + ".1." + std::to_string(i), "i", std::to_string(i));
            s_sim->Set(kE + ".2." + std::to_string(i), "o", "1.3.6.1.2.1.2.2.1.1.2");
            s_sim->Set(kE + ".4." + std::to_string(i), "c", std::to_string(i * 10));
            s_sim->Set(kE + ".13." + std::to_string(i), "c", std::to_string(i * 3));
        }
    }
    static std::vector<std::string> Gets(int column, const std::vector<std::string>& indexes) {
        std::vector<std::string> out;
        for (const std::string& index : indexes) {
            out.push_back("get quaint " + kE + "." + std::to_string(column) + "." + index + "|n|");
        }
        return out;
    }
    static std::vector<std::string> Sorted(std::vector<std::string> v) {
        std::sort(v.begin(), v.end());
        return v;
    }
};

TEST_F(StatisticRmonViews, GroupViewPollsOneCounterForEachEntryOfTheGroup) {
    MoreEntries();
    CStatisticRmon1 list;
    DialogDriver l(list);
    WaitRead(list);
    const int entries = list.EntryCount();
    ASSERT_GT(entries, 24);
    ASSERT_LE(entries, 48);
    const std::vector<std::string>& idx = list.IndexList();
    s_sim->ClearLog();
    CStatisticRmonCnt view(&list, 1, list.GroupCount());
    DialogDriver drv(view);
    EXPECT_EQ(view.GetWindowText(), "RMON 1 Parameter Information");
    ASSERT_TRUE(WaitUntil([&] { return view.PendingItems() == 0 && s_sim->Requests().size() >= 24; }));
    EXPECT_EQ(Sorted(test::Describe(s_sim->Requests())), Sorted(Gets(4, {idx.begin(), idx.begin() + 24})));
    const int row12 = RowOf(list, "12");
    ASSERT_LT(row12, 24);
    EXPECT_EQ(view.GetDlgItemText(IDC_RMONCNT_LABEL1 + row12), "Item 12");
    EXPECT_EQ(view.GetDlgItemText(IDC_RMONCNT_VALUE1 + row12), "4294967295");
    const int row100 = RowOf(list, "100");
    ASSERT_GE(row100, 0);
    ASSERT_LT(row100, 24);
    EXPECT_EQ(view.GetDlgItemText(IDC_RMONCNT_LABEL1 + row100), "Item 100");
    EXPECT_EQ(view.GetDlgItemText(IDC_RMONCNT_VALUE1 + row100), "1000");

    // Group 2: only its entries are asked for; the items past them are blank and disabled.
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_RMONCNT_NEXT));
    EXPECT_EQ(view.CurrentGroup(), 2);
    const int rest = entries - 24;
    ASSERT_TRUE(
        WaitUntil([&] { return view.PendingItems() == 0 && s_sim->Requests().size() >= size_t(rest); }));
    EXPECT_EQ(Sorted(test::Describe(s_sim->Requests())), Sorted(Gets(4, {idx.begin() + 24, idx.end()})));
    EXPECT_TRUE(view.IsDlgItemEnabled(IDC_RMONCNT_VALUE1 + rest - 1));
    EXPECT_FALSE(view.IsDlgItemEnabled(IDC_RMONCNT_VALUE1 + rest));
    EXPECT_FALSE(view.IsDlgItemEnabled(IDC_RMONCNT_LABEL1 + 23));
    EXPECT_EQ(view.GetDlgItemText(IDC_RMONCNT_VALUE1 + 23), "");
    EXPECT_EQ(view.GetDlgItemText(IDC_RMONCNT_LABEL1 + rest), "Item ");
    // Next from the last group: back to group 1, everything enabled.
    ASSERT_TRUE(drv.Click(IDC_RMONCNT_NEXT));
    EXPECT_EQ(view.CurrentGroup(), 1);
    EXPECT_TRUE(view.IsDlgItemEnabled(IDC_RMONCNT_VALUE1 + 23));
    ASSERT_TRUE(WaitUntil([&] { return view.PendingItems() == 0; }));

    // Another counter: the next poll reads its column.
    s_sim->ClearLog();
    ASSERT_TRUE(drv.SelectText(IDC_RMONCNT_PARAMETER, "Collisions"));
    ASSERT_TRUE(WaitUntil([&] { return view.PendingItems() == 0 && s_sim->Requests().size() >= 24; }));
    EXPECT_EQ(Sorted(test::Describe(s_sim->Requests())), Sorted(Gets(13, {idx.begin(), idx.begin() + 24})));
    EXPECT_EQ(view.GetDlgItemText(IDC_RMONCNT_VALUE1 + row100), "300");
    // Prev from group 1 wraps to the last group.
    ASSERT_TRUE(drv.Click(IDC_RMONCNT_PREV));
    EXPECT_EQ(view.CurrentGroup(), 2);
}

TEST_F(StatisticRmonViews, GroupViewWithFewEntriesHasNoPaging) {
    CStatisticRmon1 list;
    DialogDriver l(list);
    WaitRead(list);
    ASSERT_LE(list.EntryCount(), 24);
    CStatisticRmonCnt view(&list, 1, list.GroupCount());
    DialogDriver drv(view);
    EXPECT_FALSE(view.IsDlgItemEnabled(IDC_RMONCNT_NEXT));
    EXPECT_FALSE(view.IsDlgItemEnabled(IDC_RMONCNT_PREV));
    ASSERT_TRUE(WaitUntil([&] { return view.PendingItems() == 0; }));
    // Only the entries there are asked for.
    EXPECT_EQ(s_sim->Requests().size(),
              test::OfKind(s_sim->Requests(), "getnext").size() + 1 + static_cast<size_t>(list.EntryCount()));
}

TEST_F(StatisticRmonViews, APollWaitsForTheLastOneAndStopsOnClose) {
    CStatisticRmon1 list;
    DialogDriver l(list);
    WaitRead(list);
    s_sim->Silence(true);
    s_sim->ClearLog();
    {
        CStatisticRmonCnt view(&list, 1, list.GroupCount());
        DialogDriver drv(view);
        CStatisticRmonInf inf(&list, 0);
        DialogDriver i(inf);
        const size_t asked = static_cast<size_t>(list.EntryCount() + CStatisticRmonInf::kCounters);
        ASSERT_TRUE(WaitUntil([&] { return DistinctIds(s_sim->Command("ids")).size() >= asked; }));
        // Ticks while the requests are unanswered ask nothing new (resends keep their request id).
        for (int tick = 0; tick < 3; ++tick) {
            view.RefreshItems();
            inf.RefreshCounters();
        }
        const size_t logged = s_sim->Requests().size();
        WaitUntil([&] { return s_sim->Requests().size() > logged + 10; }, 3000);  // resends, if any
        EXPECT_EQ(view.PendingItems(), list.EntryCount());
        EXPECT_EQ(inf.PendingCounters(), CStatisticRmonInf::kCounters);
        EXPECT_EQ(DistinctIds(s_sim->Command("ids")).size(), asked);
        drv.PressEscape();
        i.PressEscape();
        ASSERT_TRUE(drv.WaitEnded());
        ASSERT_TRUE(i.WaitEnded());
    }
    s_sim->Silence(false);
    s_sim->ClearLog();
    // Closed: no timer polls any more.
    EXPECT_FALSE(WaitUntil([&] { return !s_sim->Requests().empty(); }, 2500));
}

// ---- The interface counters view ----

TEST_F(StatisticRmonViews, InterfaceViewPollsTheSeventeenCountersOfTheChosenEntry) {
    CStatisticRmon1 list;
    DialogDriver l(list);
    WaitRead(list);
    const int row = RowOf(list, "12");
    ASSERT_GE(row, 0);
    s_sim->ClearLog();
    CStatisticRmonInf view(&list, row);
    DialogDriver drv(view);
    EXPECT_EQ(view.GetWindowText(), "RMON 1 Interface Information");
    ASSERT_TRUE(WaitUntil([&] { return view.PendingCounters() == 0 && s_sim->Requests().size() >= 17; }));
    std::vector<std::string> expected;
    for (int c = 3; c <= 19; ++c) {
        expected.push_back("get quaint " + kE + "." + std::to_string(c) + ".12|n|");
    }
    EXPECT_EQ(Sorted(test::Describe(s_sim->Requests())), Sorted(expected));
    for (int k = 0; k < CStatisticRmonInf::kCounters; ++k) {
        EXPECT_EQ(view.GetDlgItemText(kRmonInfBoxes[k]), "12");
        EXPECT_EQ(view.GetDlgItemText(IDC_RMONINF_VALUE1 + k), "4294967295");
    }
    // Another entry in the Jabbers box: all counters asked again, only that one for the new entry.
    s_sim->ClearLog();
    ASSERT_TRUE(drv.SelectText(kRmonInfBoxes[9], "13"));
    ASSERT_TRUE(WaitUntil([&] { return view.PendingCounters() == 0 && s_sim->Requests().size() >= 17; }));
    expected[9] = "get quaint " + kE + ".12.13|n|";
    EXPECT_EQ(Sorted(test::Describe(s_sim->Requests())), Sorted(expected));
    EXPECT_EQ(view.GetDlgItemText(IDC_RMONINF_VALUE1 + 9), "5012");
    // A typed entry index is used; a text that is no index is not sent.
    auto* drop = drv.ItemAs<QComboBox>(kRmonInfBoxes[0]);
    drop->setEditText("11");
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_RMONINF_REFRESH));
    ASSERT_TRUE(WaitUntil([&] { return view.PendingCounters() == 0 && s_sim->Requests().size() >= 17; }));
    const auto asked = test::Describe(s_sim->Requests());
    EXPECT_NE(std::find(asked.begin(), asked.end(), "get quaint " + kE + ".3.11|n|"), asked.end());
    EXPECT_EQ(view.GetDlgItemText(IDC_RMONINF_VALUE1), "1003");
    for (const char* bad : {"a", "", "0", "65536", "1.2"}) {
        drop->setEditText(bad);
        s_sim->ClearLog();
        ASSERT_TRUE(drv.Click(IDC_RMONINF_REFRESH));
        ASSERT_TRUE(WaitUntil([&] { return view.PendingCounters() == 0 && s_sim->Requests().size() >= 16; }));
        EXPECT_EQ(s_sim->Requests().size(), 16u) << bad;
    }
    EXPECT_EQ(view.GetDlgItemText(IDC_RMONINF_VALUE1), "1003");
}

TEST_F(StatisticRmonViews, FailedAndShortRepliesKeepTheLastValue) {
    CStatisticRmon1 list;
    DialogDriver l(list);
    WaitRead(list);
    const int row = RowOf(list, "11");
    CStatisticRmonInf view(&list, row);
    DialogDriver drv(view);
    ASSERT_TRUE(WaitUntil([&] { return view.GetDlgItemText(IDC_RMONINF_VALUE1 + 1) == "1004"; }));
    s_sim->Command("unset " + kE + ".4.11");  // the counter is gone: noSuchName
    s_sim->Set(kE + ".5.11", "c", "77");
    ASSERT_TRUE(drv.Click(IDC_RMONINF_REFRESH));
    ASSERT_TRUE(WaitUntil([&] { return view.GetDlgItemText(IDC_RMONINF_VALUE1 + 2) == "77"; }));
    ASSERT_TRUE(WaitUntil([&] { return view.PendingCounters() == 0; }));
    EXPECT_EQ(view.GetDlgItemText(IDC_RMONINF_VALUE1 + 1), "1004");
}

TEST_F(StatisticRmonViews, ACounterOfTheWrongTypeIsNotShown) {
    s_sim->Set(kE + ".4.11", "s", "zz");
    s_sim->Set(kE + ".5.11", "c", "77");
    CStatisticRmon1 list;
    DialogDriver l(list);
    WaitRead(list);
    CStatisticRmonInf view(&list, RowOf(list, "11"));
    DialogDriver drv(view);
    ASSERT_TRUE(WaitUntil([&] { return view.GetDlgItemText(IDC_RMONINF_VALUE1 + 2) == "77"; }));
    ASSERT_TRUE(WaitUntil([&] { return view.PendingCounters() == 0; }));
    EXPECT_EQ(view.GetDlgItemText(IDC_RMONINF_VALUE1 + 1), "");
    EXPECT_TRUE(boxes.Texts().empty());
}

}  // namespace
