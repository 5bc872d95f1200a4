// Time profiles dialog against the simulated switch: the list as read, every validation message of
// Add, the lowest free index (rows that are not active hold theirs), the eighth and ninth profile, a
// refused fill, delete, more rows than the device table should hold, and the form's own controls.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <string>
#include <vector>

#include "controls/ListCtrlEx.h"
#include "features/port_system/TimeProfileInfo.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_power.h"
#include "tests/features/StepRunTest.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using ksx::test::DialogDriver;
using ksx::test::SimRequest;
using ksx::test::WaitUntil;

const std::string kTable = "1.3.6.1.4.1.7393.10.76.20.1.32.1.1";

std::string Col(int column, int index) {
    return kTable + "." + std::to_string(column) + "." + std::to_string(index);
}

// The sets, each binding's OID below the table entry ("column.index").
std::vector<std::string> SetTexts(const std::vector<SimRequest>& log) {
    return test::SetLines(log, kTable.size() + 1);
}

class TimeProfileInfoTest : public test::SimTest {
protected:
    TimeProfileInfoTest() : SimTest("1000") {}

    // Puts a whole row on the device, as the device itself would hold it.
    void PutRow(int index, const std::string& name, int status) {
        const std::vector<int> values = {index, 0, 2, 2011, 1, 1, 9, 0, 2011, 1,     1,
                                         10,    0, 1, 2,    1, 2, 1, 2, 2,    status};
        for (int c = 1; c <= 21; ++c) {
            if (c == 2) {
                sim.Set(Col(c, index), "s", name);
            } else {
                sim.Set(Col(c, index), "i", std::to_string(values[static_cast<size_t>(c - 1)]));
            }
        }
    }
    // The index column of a row created through SNMP (the simulated table has no per-row default).
    void FixIndex(int index) { sim.Set(Col(1, index), "i", std::to_string(index)); }

    static CListCtrlEx* List(CTimeProfileInfo& dlg) {
        return static_cast<CListCtrlEx*>(dlg.GetDlgItem(IDC_TP_LIST));
    }
    static void WaitRows(CTimeProfileInfo& dlg, int rows) {
        ASSERT_TRUE(WaitUntil([&] {
            return dlg.Logic().IsWalkDone() && List(dlg)->GetItemCount() == rows &&
                   dlg.IsDlgItemEnabled(IDC_TP_ADD);
        })) << List(dlg)->GetItemCount();
    }
    static std::vector<std::string> Row(CTimeProfileInfo& dlg, int row) {
        std::vector<std::string> out;
        for (int c = 0; c < 6; ++c) {
            out.push_back(List(dlg)->GetItemText(row, c).toStdString());
        }
        return out;
    }
    // Clicks Add and waits for the add to end.
    static void Add(DialogDriver& drv, CTimeProfileInfo& dlg) {
        ASSERT_TRUE(drv.Click(IDC_TP_ADD));
        ASSERT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }));
    }
    static void Refresh(DialogDriver& drv, CTimeProfileInfo& dlg, int rows) {
        ASSERT_TRUE(drv.Click(IDC_TP_REFRESH));
        WaitRows(dlg, rows);
    }
    // Start and end time; the date range when given as {from y, m, d, to y, m, d} item indexes.
    static void Times(DialogDriver& drv, int sh, int sm, int eh, int em) {
        ASSERT_TRUE(drv.Select(IDC_TP_START_HOUR, sh));
        ASSERT_TRUE(drv.Select(IDC_TP_START_MINUTE, sm));
        ASSERT_TRUE(drv.Select(IDC_TP_END_HOUR, eh));
        ASSERT_TRUE(drv.Select(IDC_TP_END_MINUTE, em));
    }
    static void Dates(DialogDriver& drv, int fy, int fm, int fd, int ty, int tm, int td) {
        ASSERT_TRUE(drv.Check(IDC_TP_DATE, true));
        ASSERT_TRUE(drv.SelectText(IDC_TP_FROM_YEAR, std::to_string(fy)));
        ASSERT_TRUE(drv.SelectText(IDC_TP_FROM_MONTH, std::to_string(fm)));
        ASSERT_TRUE(drv.SelectText(IDC_TP_FROM_DAY, std::to_string(fd)));
        ASSERT_TRUE(drv.SelectText(IDC_TP_TO_YEAR, std::to_string(ty)));
        ASSERT_TRUE(drv.SelectText(IDC_TP_TO_MONTH, std::to_string(tm)));
        ASSERT_TRUE(drv.SelectText(IDC_TP_TO_DAY, std::to_string(td)));
    }

    test::ScriptedMessageBox boxes;
};

TEST_F(TimeProfileInfoTest, OpensWithTheActiveProfilesAndTheInitialForm) {
    CTimeProfileInfo dlg;
    DialogDriver drv(dlg);
    WaitRows(dlg, 3);
    EXPECT_EQ(dlg.GetWindowText(), "Time Profile Info");
    EXPECT_TRUE(ksx::ui::FeatureRegistry::Instance().Has(ID_MENU_TIME_PROFILE_SETTINGS));
    auto* list = List(dlg);
    const std::vector<std::pair<std::string, int>> columns = {{"Profile Name", 100}, {"Weekdays", 180},
                                                              {"From Day", 80},      {"To Day", 80},
                                                              {"Start Time", 80},    {"End Time", 70}};
    ASSERT_EQ(list->GetColumnCount(), 6);
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(list->horizontalHeaderItem(c)->text().toStdString(), columns[c].first);
        // The device's width, or wider where the font needs it for the column's widest text.
        EXPECT_GE(list->GetColumnWidth(c), columns[c].second);
    }
    EXPECT_EQ(Row(dlg, 0),
              (std::vector<std::string>{"Night", "Mon,Tue,Wed,Thu,Fri", "", "", "22:00", "06:30"}));
    EXPECT_EQ(Row(dlg, 1),
              (std::vector<std::string>{"Weekend", "Sat,Sun", "2012/03/05", "2012/12/31", "08:30", "17:05"}));
    EXPECT_EQ(Row(dlg, 2), (std::vector<std::string>{"Holiday", "Mon,Tue,Wed,Thu,Fri,Sat,Sun", "2013/12/24",
                                                     "2014/01/02", "00:00", "23:59"}));
    EXPECT_EQ(dlg.ProfileIndex(0), 1);
    EXPECT_EQ(dlg.ProfileIndex(1), 2);
    EXPECT_EQ(dlg.ProfileIndex(2), 4);
    EXPECT_EQ(dlg.ProfileIndex(3), 0);

    for (auto [id, text] : std::vector<std::pair<int, const char*>>{{IDC_TP_FROM_YEAR, "2011"},
                                                                    {IDC_TP_TO_MONTH, "1"},
                                                                    {IDC_TP_FROM_DAY, "1"},
                                                                    {IDC_TP_START_HOUR, "0"},
                                                                    {IDC_TP_END_MINUTE, "0"}}) {
        EXPECT_EQ(dlg.GetDlgItemText(id), text) << id;
    }
    EXPECT_EQ(drv.ItemAs<QComboBox>(IDC_TP_FROM_YEAR)->count(), 19);
    EXPECT_EQ(drv.ItemAs<QComboBox>(IDC_TP_END_MINUTE)->count(), 60);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_TP_FROM_YEAR));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_TP_TO_DAY));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_TP_START_HOUR));
    ASSERT_TRUE(drv.Type(IDC_TP_NAME, std::string(25, 'n')));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_TP_NAME).size(), 20u);
    ASSERT_TRUE(drv.Type(IDC_TP_NAME, ""));

    // Reads only: one walk over the 21 columns.
    const auto log = sim.Requests();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0].pdu, "getnext");
    ASSERT_EQ(log[0].varbinds.size(), 21u);
    EXPECT_EQ(log[0].varbinds[20].oid, kTable + ".21");
    EXPECT_TRUE(SetTexts(log).empty());

    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/power";
    QDir().mkpath(dir);
    list->SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    test::PumpEvents();
    EXPECT_TRUE(test::GrabScreenshot(&dlg, (dir + "/time_profile.png").toStdString()));
}

TEST_F(TimeProfileInfoTest, EveryValidationMessageStopsBeforeAnythingIsSent) {
    CTimeProfileInfo dlg;
    DialogDriver drv(dlg);
    WaitRows(dlg, 3);
    sim.ClearLog();
    auto expectBox = [&](const std::string& text) {
        boxes.Clear();
        ASSERT_TRUE(drv.Click(IDC_TP_ADD));
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{text});
    };
    expectBox("The Profile name can not be empty,please input it.");
    for (const char* bad : {"a.b", "x,y", "who?", "50%"}) {
        ASSERT_TRUE(drv.Type(IDC_TP_NAME, bad));
        expectBox("Invalid Profile name.");
    }
    ASSERT_TRUE(drv.Type(IDC_TP_NAME, "Weekend"));
    expectBox("The Profile Name is exist.");

    ASSERT_TRUE(drv.Type(IDC_TP_NAME, "Work day"));
    Times(drv, 8, 0, 8, 0);
    expectBox("'Start Time' and 'End Time' can't be the same");

    Times(drv, 10, 0, 9, 0);
    Dates(drv, 2012, 1, 1, 2011, 12, 31);
    expectBox("'To year' can't be less than 'From year'");
    Dates(drv, 2012, 5, 1, 2012, 4, 30);
    expectBox("'To month' can't be less than 'From month'");
    Dates(drv, 2012, 5, 10, 2012, 5, 9);
    expectBox("'To day' can't be less than 'From day'");
    Dates(drv, 2012, 5, 10, 2012, 5, 10);
    expectBox("'Start Time' can't be greater than 'End Time'");
    EXPECT_TRUE(SetTexts(sim.Requests()).empty());

    // An end before the start passes over a range of days, and without a date range (across midnight).
    boxes.Clear();
    Dates(drv, 2012, 5, 10, 2012, 5, 11);
    Add(drv, dlg);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(SetTexts(sim.Requests()).size(), 2u);
    WaitRows(dlg, 4);
    FixIndex(3);
    Refresh(drv, dlg, 4);
    sim.ClearLog();
    ASSERT_TRUE(drv.Check(IDC_TP_DATE, false));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_TP_FROM_MONTH));
    ASSERT_TRUE(drv.Type(IDC_TP_NAME, "night"));  // differs from "Night" in case only
    Times(drv, 22, 0, 6, 0);
    Add(drv, dlg);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(SetTexts(sim.Requests()).size(), 2u);
}

TEST_F(TimeProfileInfoTest, AddTakesTheLowestFreeIndexAndSendsTheRow) {
    CTimeProfileInfo dlg;
    DialogDriver drv(dlg);
    WaitRows(dlg, 3);
    EXPECT_EQ(dlg.LowestFreeIndex(), 3);
    sim.ClearLog();
    ASSERT_TRUE(drv.Type(IDC_TP_NAME, "Lunch"));
    Times(drv, 12, 15, 13, 45);
    ASSERT_TRUE(drv.Check(IDC_TP_MONDAY + 2, true));
    ASSERT_TRUE(drv.Check(IDC_TP_MONDAY + 6, true));
    Add(drv, dlg);
    EXPECT_EQ(SetTexts(sim.Requests()),
              (std::vector<std::string>{"21.3=i:5",
                                        "2.3=s:Lunch 3.3=i:2 7.3=i:12 8.3=i:15 12.3=i:13 13.3=i:45 "
                                        "14.3=i:2 15.3=i:2 16.3=i:1 17.3=i:2 18.3=i:2 19.3=i:2 "
                                        "20.3=i:1 21.3=i:1"}));
    for (const SimRequest& r : sim.Requests()) {
        if (r.pdu == "set") {
            EXPECT_EQ(r.principal, "harbour");
        }
    }
    WaitRows(dlg, 4);
    FixIndex(3);
    Refresh(drv, dlg, 4);
    EXPECT_EQ(Row(dlg, 2), (std::vector<std::string>{"Lunch", "Wed,Sun", "", "", "12:15", "13:45"}));
    EXPECT_EQ(dlg.ProfileIndex(2), 3);

    // With a date range: the date columns, from before to, ahead of the times. Index 5 is next.
    sim.ClearLog();
    ASSERT_TRUE(drv.Type(IDC_TP_NAME, "Summer_2"));
    Dates(drv, 2015, 6, 1, 2015, 8, 31);
    Times(drv, 7, 0, 9, 5);
    ASSERT_TRUE(drv.Check(IDC_TP_ALL_DAYS, true));
    Add(drv, dlg);
    EXPECT_EQ(SetTexts(sim.Requests()),
              (std::vector<std::string>{"21.5=i:5",
                                        "2.5=s:Summer_2 3.5=i:1 4.5=i:2015 5.5=i:6 6.5=i:1 9.5=i:2015 "
                                        "10.5=i:8 11.5=i:31 7.5=i:7 8.5=i:0 12.5=i:9 13.5=i:5 14.5=i:1 "
                                        "15.5=i:1 16.5=i:1 17.5=i:1 18.5=i:1 19.5=i:1 20.5=i:1 21.5=i:1"}));
    WaitRows(dlg, 5);
    FixIndex(5);
    Refresh(drv, dlg, 5);
    EXPECT_EQ(Row(dlg, 4), (std::vector<std::string>{"Summer_2", "Mon,Tue,Wed,Thu,Fri,Sat,Sun", "2015/06/01",
                                                     "2015/08/31", "07:00", "09:05"}));
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(TimeProfileInfoTest, RowsThatAreNotActiveAreHiddenButKeepTheirIndex) {
    PutRow(3, "Draft", 2);
    CTimeProfileInfo dlg;
    DialogDriver drv(dlg);
    WaitRows(dlg, 3);
    EXPECT_EQ(List(dlg)->GetItemText(2, 0).toStdString(), "Holiday");
    EXPECT_EQ(dlg.LowestFreeIndex(), 5);
    sim.ClearLog();
    ASSERT_TRUE(drv.Type(IDC_TP_NAME, "Draft"));  // only listed names count as taken
    Times(drv, 1, 0, 2, 0);
    Add(drv, dlg);
    const auto sets = SetTexts(sim.Requests());
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0], "21.5=i:5");
    EXPECT_EQ(sim.Get(Col(21, 3)), "2");
    EXPECT_EQ(sim.Get(Col(21, 5)), "1");
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(TimeProfileInfoTest, TheEighthProfileIsAddedAndTheNinthRefused) {
    for (int index : {3, 5, 6, 7}) {
        PutRow(index, "P" + std::to_string(index), 1);
    }
    CTimeProfileInfo dlg;
    DialogDriver drv(dlg);
    WaitRows(dlg, 7);
    sim.ClearLog();
    ASSERT_TRUE(drv.Type(IDC_TP_NAME, "Eighth"));
    Times(drv, 1, 0, 2, 0);
    Add(drv, dlg);
    const auto sets = SetTexts(sim.Requests());
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0], "21.8=i:5");
    WaitRows(dlg, 8);
    FixIndex(8);
    Refresh(drv, dlg, 8);

    sim.ClearLog();
    boxes.Clear();
    ASSERT_TRUE(drv.Type(IDC_TP_NAME, ""));  // the count is checked before any field
    ASSERT_TRUE(drv.Click(IDC_TP_ADD));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"The Max entry is 8."});
    EXPECT_TRUE(SetTexts(sim.Requests()).empty());

    // Seven listed but the eighth index held by a row that is not active: no index is free.
    sim.Set(Col(21, 8), "i", "3");
    Refresh(drv, dlg, 7);
    boxes.Clear();
    ASSERT_TRUE(drv.Type(IDC_TP_NAME, "Ninth"));
    ASSERT_TRUE(drv.Click(IDC_TP_ADD));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"The Max entry is 8."});
    EXPECT_TRUE(SetTexts(sim.Requests()).empty());
}

TEST_F(TimeProfileInfoTest, ARefusedFillLeavesNoRowBehind) {
    CTimeProfileInfo dlg;
    DialogDriver drv(dlg);
    WaitRows(dlg, 3);
    sim.ErrorStatus(Col(2, 3), 10);
    sim.ClearLog();
    ASSERT_TRUE(drv.Type(IDC_TP_NAME, "Lunch"));
    Times(drv, 12, 0, 13, 0);
    Add(drv, dlg);
    const auto sets = SetTexts(sim.Requests());
    ASSERT_EQ(sets.size(), 3u);
    EXPECT_EQ(sets[0], "21.3=i:5");
    EXPECT_EQ(sets[2], "21.3=i:6");
    EXPECT_EQ(sim.Get(Col(21, 3)), "");
    // The refusal is said and the table read again; the index stays free for the next try.
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"The device did not accept the time profile Lunch. The time "
                                       "profile Lunch was not added. The settings it holds are "
                                       "shown."});
    sim.ErrorStatus(Col(2, 3), 0);
    WaitRows(dlg, 3);
    sim.ClearLog();
    Add(drv, dlg);
    EXPECT_EQ(SetTexts(sim.Requests()).front(), "21.3=i:5");
    EXPECT_EQ(sim.Get(Col(21, 3)), "1");
}

// Against a device answering 700 ms late (1 s time-out) the add's requests go while the window takes
// events. Closed with the fill on its way, the add is stopped, not failed: the row it made is removed once
// the dialog has gone, and the box says what the device holds.
TEST_F(TimeProfileInfoTest, ASlowAddStaysLiveAndACloseRemovesTheRowItMade) {
    CTimeProfileInfo dlg;
    DialogDriver drv(dlg);
    WaitRows(dlg, 3);
    ASSERT_TRUE(drv.Type(IDC_TP_NAME, "Lunch"));
    Times(drv, 12, 0, 13, 0);
    sim.LoseAnswer(Col(2, 3));  // the fill is applied and never answered
    test::SlowRun run(sim, 700);
    ASSERT_NO_FATAL_FAILURE(run.Click(dlg, drv, IDC_TP_ADD, {IDC_TP_ADD, IDC_TP_DELETE, IDC_TP_REFRESH}, 3));
    ASSERT_NO_FATAL_FAILURE(run.CloseThenRemoved(
        drv, boxes,
        "Stopped: the time profile Lunch was not added; what the device had made of it was removed."));
    EXPECT_EQ(SetTexts(sim.DistinctRequests()),
              (std::vector<std::string>{"21.3=i:5",
                                        "2.3=s:Lunch 3.3=i:2 7.3=i:12 8.3=i:0 12.3=i:13 13.3=i:0 14.3=i:2 "
                                        "15.3=i:2 16.3=i:2 17.3=i:2 18.3=i:2 19.3=i:2 20.3=i:2 21.3=i:1",
                                        "21.3=i:6"}));
    EXPECT_EQ(sim.Get(Col(21, 3)), "");
}

TEST_F(TimeProfileInfoTest, DeleteDestroysTheSelectedProfile) {
    CTimeProfileInfo dlg;
    DialogDriver drv(dlg);
    WaitRows(dlg, 3);
    sim.ClearLog();
    ASSERT_TRUE(drv.Click(IDC_TP_DELETE));
    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Please select the Time Range to be deleted!");
    EXPECT_EQ(shown[0].flags, static_cast<unsigned>(MB_ICONINFORMATION | MB_OK));
    EXPECT_TRUE(SetTexts(sim.Requests()).empty());

    List(dlg)->SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    ASSERT_TRUE(drv.Click(IDC_TP_DELETE));
    EXPECT_EQ(SetTexts(sim.Requests()), std::vector<std::string>{"21.4=i:6"});
    WaitRows(dlg, 2);
    EXPECT_EQ(List(dlg)->GetItemText(1, 0).toStdString(), "Weekend");
    EXPECT_EQ(dlg.LowestFreeIndex(), 3);
    EXPECT_EQ(boxes.Count(), 1u);
}

// A row whose values are missing or of the wrong type, or a read that did not reach the end of the
// table, leaves the free index, the count and the names unknown: Add stays unavailable and the failure
// is said once; Refresh reads again.
TEST_F(TimeProfileInfoTest, AddWaitsForAWholeRead) {
    sim.Set(Col(14, 2), "s", "zz");
    CTimeProfileInfo dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return dlg.Logic().IsWalkDone() && boxes.Count() > 0; }));
    test::PumpEvents();
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Failed to read the time profiles; press Refresh to try again."});
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_TP_ADD));
    EXPECT_EQ(List(dlg)->GetItemCount(), 2);

    boxes.Clear();
    sim.Set(Col(14, 2), "i", "2");
    ASSERT_TRUE(drv.Click(IDC_TP_REFRESH));
    WaitRows(dlg, 3);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(TimeProfileInfoTest, MoreRowsThanTheTableHoldsAreListedSafely) {
    for (int index = 5; index <= 12; ++index) {
        PutRow(index, "Extra" + std::to_string(index), 1);
    }
    CTimeProfileInfo dlg;
    DialogDriver drv(dlg);
    WaitRows(dlg, 11);
    EXPECT_EQ(dlg.ProfileIndex(10), 12);
    boxes.Clear();
    ASSERT_TRUE(drv.Type(IDC_TP_NAME, "More"));
    ASSERT_TRUE(drv.Click(IDC_TP_ADD));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"The Max entry is 8."});
    sim.ClearLog();
    List(dlg)->SetItemState(10, LVIS_SELECTED, LVIS_SELECTED);
    ASSERT_TRUE(drv.Click(IDC_TP_DELETE));
    EXPECT_EQ(SetTexts(sim.Requests()), std::vector<std::string>{"21.12=i:6"});
    WaitRows(dlg, 10);
}

TEST_F(TimeProfileInfoTest, FormControlsFollowTheUser) {
    CTimeProfileInfo dlg;
    DialogDriver drv(dlg);
    WaitRows(dlg, 3);
    ASSERT_TRUE(drv.Check(IDC_TP_DATE, true));
    for (int id : {IDC_TP_FROM_YEAR, IDC_TP_FROM_MONTH, IDC_TP_FROM_DAY, IDC_TP_TO_YEAR, IDC_TP_TO_MONTH,
                   IDC_TP_TO_DAY}) {
        EXPECT_TRUE(dlg.IsDlgItemEnabled(id)) << id;
    }
    // Month and year changes refill the day list.
    ASSERT_TRUE(drv.SelectText(IDC_TP_FROM_YEAR, "2012"));
    ASSERT_TRUE(drv.SelectText(IDC_TP_FROM_MONTH, "2"));
    EXPECT_EQ(drv.ItemAs<QComboBox>(IDC_TP_FROM_DAY)->count(), 29);
    ASSERT_TRUE(drv.SelectText(IDC_TP_FROM_YEAR, "2013"));
    EXPECT_EQ(drv.ItemAs<QComboBox>(IDC_TP_FROM_DAY)->count(), 28);
    ASSERT_TRUE(drv.SelectText(IDC_TP_TO_MONTH, "4"));
    EXPECT_EQ(drv.ItemAs<QComboBox>(IDC_TP_TO_DAY)->count(), 30);
    EXPECT_EQ(drv.ItemAs<QComboBox>(IDC_TP_FROM_DAY)->count(), 28);

    ASSERT_TRUE(drv.Check(IDC_TP_ALL_DAYS, true));
    for (int d = 0; d < 7; ++d) {
        EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_TP_MONDAY + d), 1);
    }
    ASSERT_TRUE(drv.Check(IDC_TP_MONDAY + 3, false));
    ASSERT_TRUE(drv.Check(IDC_TP_ALL_DAYS, false));
    for (int d = 0; d < 7; ++d) {
        EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_TP_MONDAY + d), 0);
    }
    ASSERT_TRUE(drv.Click(IDC_TP_CLOSE));
    ASSERT_TRUE(drv.WaitEnded());
    EXPECT_EQ(drv.Result(), IDCANCEL);
}

}  // namespace
