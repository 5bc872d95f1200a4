// The RMON 1 statistics list over a table of more than 5000 entries: every entry is listed and kept in
// the index list, and the group parameter view pages to the last of them.
#include <gtest/gtest.h>

#include <string>

#include "features/monitoring/StatisticRmon1.h"
#include "features/monitoring/StatisticRmonCnt.h"
#include "res/ids_rmon1.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using ksx::test::DialogDriver;
using ksx::test::WaitUntil;

test::SimSwitch::Options LargeTable() {
    test::SimSwitch::Options options;
    options.extraArgs = {"--table", "1.3.6.1.2.1.16.1.1:5030:2"};
    return options;
}

class StatisticRmon1Large : public test::SimTest {
protected:
    StatisticRmon1Large() : SimTest(LargeTable(), "3000") {}
    test::ScriptedMessageBox boxes;
};

TEST_F(StatisticRmon1Large, ListsEveryEntryPastFiveThousand) {
    CStatisticRmon1 dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return !dlg.Walking() && dlg.ListRows() > 0; }, 120000));
    ASSERT_GE(dlg.ListRows(), 5030);
    EXPECT_EQ(dlg.EntryCount(), dlg.ListRows());
    const int last = dlg.ListRows() - 1;
    EXPECT_EQ(dlg.IndexList()[static_cast<size_t>(last)], dlg.ListIndexText(last));
    EXPECT_EQ(dlg.ListIndexText(last), "5030");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RMON1_COUNT), std::to_string(dlg.ListRows()));

    CStatisticRmonCnt view(&dlg, 1, dlg.GroupCount());
    DialogDriver v(view);
    ASSERT_TRUE(v.Click(IDC_RMONCNT_PREV));  // wraps to the last group
    EXPECT_EQ(view.CurrentGroup(), dlg.GroupCount());
    const int inLast = dlg.EntryCount() - (dlg.GroupCount() - 1) * 24;
    EXPECT_EQ(view.GetDlgItemText(IDC_RMONCNT_LABEL1 + inLast - 1), "Item 503");
    EXPECT_FALSE(view.IsDlgItemEnabled(IDC_RMONCNT_VALUE1 + inLast));
}

}  // namespace
