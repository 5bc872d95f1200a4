// The table-dialog base against the simulated switch, through a read-only view of five interface-table
// columns as the standard-MIB views declare theirs: the walk the column table drives, the cells it
// formats, the controls disabled during a read, the widths, and a dialog closed in the middle of a walk.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/TableDialog.h"
#include "platform/ui/Form.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"

namespace {

using namespace ksx;
using test::DialogDriver;
using test::WaitUntil;

const std::string kIf = "1.3.6.1.2.1.2.2.1";
constexpr int kList = 1001;
constexpr int kRefresh = 1002;

class CInterfaceView : public CTableDialog {
public:
    CInterfaceView()
        : CTableDialog(
              900, {
                       {kIf + ".1", "Index", ColumnWidth::SampleText("0000")},
                       {kIf + ".2", "Description", ColumnWidth::Remaining()},
                       {kIf + ".3", "Type", ColumnWidth::SampleText("000"), ListColumn::Number},
                       {kIf + ".4", "MTU", ColumnWidth::Fixed(60)},
                       {kIf + ".5", "Speed", ColumnWidth::SampleText("10000M"),
                        [](const WalkStep& s, int b) { return std::to_string(s.Int(b) / 1000000) + "M"; }},
                   }) {}

protected:
    void CreateControls() override {
        SetWindowText("Interfaces");
        ui::Form form(*this);
        form.Fill(MakeList(kList));
        form.Buttons({{kRefresh, "Refresh"}, {IDCANCEL, "Close"}});
        SetRefreshButton(kRefresh);
    }
};

class TableDialog : public test::SimTest {};

TEST_F(TableDialog, ColumnTableDrivesTheWalkTheCellsAndTheWidths) {
    CInterfaceView dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return !dlg.Reading() && dlg.IsDlgItemEnabled(kRefresh); }));
    ASSERT_EQ(drv.Rows(kList), 28);
    EXPECT_EQ(drv.Row(kList, 0), (std::vector<std::string>{"1", "Port 1", "6", "1500", "100M"}));
    EXPECT_EQ(drv.Cell(kList, 27, 0), "28");

    // One get-next of the five columns, in column order, then one per row and the one past the end.
    const auto walks = test::OfKind(sim.Requests(), "getnext");
    ASSERT_EQ(walks.size(), 29u);
    ASSERT_EQ(walks[0].varbinds.size(), 5u);
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(walks[0].varbinds[c].oid, kIf + "." + std::to_string(c + 1));
    }

    auto* list = dlg.List();
    EXPECT_EQ(list->GetColumnWidth(0), list->GetStringWidth("0000") + 15);
    EXPECT_EQ(list->GetColumnWidth(3), 60);
    const int others = list->GetColumnWidth(0) + list->GetColumnWidth(2) + 60 + list->GetColumnWidth(4);
    EXPECT_EQ(list->GetColumnWidth(1), list->width() - others - 24);
    dlg.resize(dlg.width() + 80, dlg.height());
    test::PumpEvents();
    EXPECT_EQ(list->GetColumnWidth(1), list->width() - others - 24);

    // Refresh reads again: the list starts empty, Refresh is off until the walk ended.
    sim.ClearLog();
    sim.DelayMs(20);
    ASSERT_TRUE(drv.Click(kRefresh));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(kRefresh));
    EXPECT_LT(drv.Rows(kList), 28);
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(kRefresh); }, 10000));
    EXPECT_EQ(drv.Rows(kList), 28);
    sim.DelayMs(0);
}

TEST_F(TableDialog, FailedReadEndsWithRefreshUsable) {
    sim.Silence(true);
    CInterfaceView dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(kRefresh); }, 10000));
    EXPECT_EQ(drv.Rows(kList), 0);
    sim.Silence(false);
    ASSERT_TRUE(drv.Click(kRefresh));
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(kRefresh) && drv.Rows(kList) == 28; }));
}

TEST_F(TableDialog, RowsAfterTheDialogBeganClosingAreDropped) {
    sim.DelayMs(40);
    CInterfaceView dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return drv.Rows(kList) >= 2; }, 10000));
    ASSERT_TRUE(drv.Click(IDCANCEL));
    ASSERT_TRUE(drv.WaitEnded());
    const int rows = drv.Rows(kList);
    EXPECT_LT(rows, 28);
    // The walk is over and its session closed; whatever was on its way never reached the list.
    const size_t requests = sim.Requests().size();
    test::PumpEvents();
    EXPECT_EQ(drv.Rows(kList), rows);
    EXPECT_LE(sim.Requests().size(), requests + 1);
    EXPECT_EQ(drv.Result(), IDCANCEL);
    sim.DelayMs(0);
}

}  // namespace
