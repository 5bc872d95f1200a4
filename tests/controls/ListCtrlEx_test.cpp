// The plain list: a column as wide as its heading plus 15 pixels, and the cell helper that inserts a
// row for the first column.
#include <gtest/gtest.h>

#include <QHeaderView>

#include "controls/ListCtrlEx.h"

namespace {

TEST(ListCtrlEx, ColumnWidthIsHeadingWidthPlus15) {
    CListCtrlEx list;
    const QString heading = "Port    ";  // blanks padded into a heading widen the column
    EXPECT_EQ(list.InsertColumn(heading, 0, -1, 15, LVCFMT_LEFT), 0);
    EXPECT_EQ(list.GetColumnWidth(0), list.GetStringWidth(heading) + 15);
    EXPECT_GT(list.GetStringWidth(heading), list.GetStringWidth("Port"));
    EXPECT_EQ(list.InsertColumn("Description", 1, -1, 15, LVCFMT_LEFT), 1);
    EXPECT_EQ(list.GetColumnWidth(1), list.GetStringWidth("Description") + 15);
    EXPECT_EQ(list.horizontalHeaderItem(1)->text(), "Description");
    // A column in front shifts the others.
    EXPECT_EQ(list.InsertColumn("No.", 0, -1, 15, LVCFMT_LEFT), 0);
    EXPECT_EQ(list.horizontalHeaderItem(1)->text(), heading);
    EXPECT_EQ(list.GetColumnCount(), 3);
}

TEST(ListCtrlEx, SetItemTextExInsertsForTheFirstColumnOnly) {
    CListCtrlEx list;
    list.InsertColumn("VID", 0);
    list.InsertColumn("Name", 1);
    EXPECT_EQ(list.SetItemTextEx(0, 0, "1", -1), 0);
    EXPECT_EQ(list.SetItemTextEx(0, 1, "default", -1), 1);
    EXPECT_EQ(list.SetItemTextEx(1, 0, "20", -1), 1);
    EXPECT_EQ(list.SetItemTextEx(0, 0, "10", -1), 0);  // inserted in front
    EXPECT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(list.GetItemText(0, 0), "10");
    EXPECT_EQ(list.GetItemText(1, 0), "1");
    EXPECT_EQ(list.GetItemText(1, 1), "default");
    EXPECT_EQ(list.GetItemText(2, 0), "20");
    EXPECT_EQ(list.SetItemTextEx(7, 1, "none", -1), 0);  // no such row: nothing inserted
    EXPECT_EQ(list.GetItemCount(), 3);
}

}  // namespace
