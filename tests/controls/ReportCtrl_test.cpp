// The report list: the comparator's order of attempts, heading-click sorting and its resets, what a
// sort carries along with a row, cell buttons and their messages, row-state filters, the Space key.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>

#include "controls/ReportCtrl.h"
#include "tests/controls/HostDialog.h"
#include "tests/support/ui/DialogDriver.h"

namespace {

using ksx::test::DialogDriver;
using ksx::test::HostDialog;

constexpr int IDC_REPORT = 1500;

int Cmp(const char* a, const char* b) {
    return CReportCtrl::CompareCells(QString::fromUtf8(a), QString::fromUtf8(b));
}

TEST(ReportCompare, TriesHexThenDecimalThenDateThenText) {
    // Hexadecimal first: plain digits compare by value, letters a-f are digits.
    EXPECT_EQ(Cmp("9", "10"), -1);
    EXPECT_EQ(Cmp("1f", "ff"), -1);
    EXPECT_EQ(Cmp("abc", "5"), 1);  // 0xabc > 5
    EXPECT_EQ(Cmp("0x10", "0F"), 1);
    EXPECT_EQ(Cmp("42", "42"), 0);
    // Decimal, with an optional single trailing "%".
    EXPECT_EQ(Cmp("9%", "12%"), -1);
    EXPECT_EQ(Cmp("12.5", "9"), 1);
    EXPECT_EQ(Cmp("-3", "2"), -1);  // a sign makes it decimal, not a huge hexadecimal value
    EXPECT_EQ(Cmp("1.5%", "1.25%"), 1);
    EXPECT_EQ(Cmp("5%%", "40%"), 1);  // two "%": not a number, so both compare as text
    // Dates.
    EXPECT_EQ(Cmp("2023/12/31 23:59:59", "2024/01/01 00:00:00"), -1);
    EXPECT_EQ(Cmp("2024-03-01", "2024-02-28"), 1);
    // Text, case-sensitive; the empty text first.
    EXPECT_EQ(Cmp("xyz", "5"), 1);
    EXPECT_EQ(Cmp("", "0"), -1);
    EXPECT_EQ(Cmp("Zeta", "alpha"), -1);
    EXPECT_EQ(Cmp("same", "same"), 0);
}

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        list = dlg.Add(IDC_REPORT, new CReportCtrl, QRect(10, 10, 400, 200));
        list->InsertColumn(0, "Index", LVCFMT_LEFT, 80);
        list->InsertColumn(1, "Value", LVCFMT_LEFT, 120);
        list->InsertColumn(2, "Action", LVCFMT_LEFT, 80);
        driver = std::make_unique<DialogDriver>(dlg);
    }
    void Fill(const std::vector<QString>& values) {
        for (std::size_t i = 0; i < values.size(); ++i) {
            const int row = list->InsertItem(static_cast<int>(i), QString::number(i));
            list->SetItemText(row, 1, values[i]);
        }
    }
    std::vector<QString> Column(int c) const {
        std::vector<QString> out;
        for (int r = 0; r < list->GetItemCount(); ++r) {
            out.push_back(list->GetItemText(r, c));
        }
        return out;
    }
    void ClickHeading(int column) {
        QHeaderView* head = list->horizontalHeader();
        const int x = head->sectionViewportPosition(column) + head->sectionSize(column) / 2;
        QTest::mouseClick(head->viewport(), Qt::LeftButton, {}, QPoint(x, head->height() / 2));
    }

    HostDialog dlg;
    CReportCtrl* list = nullptr;
    std::unique_ptr<DialogDriver> driver;
};

TEST_F(ReportTest, HeadingClicksAlternateAndResetAfterChanges) {
    Fill({"12%", "9%", "100%", "0.5%"});
    ClickHeading(1);
    EXPECT_EQ(Column(1), (std::vector<QString>{"0.5%", "9%", "12%", "100%"}));
    ClickHeading(1);
    EXPECT_EQ(Column(1), (std::vector<QString>{"100%", "12%", "9%", "0.5%"}));
    ClickHeading(1);
    EXPECT_EQ(Column(1), (std::vector<QString>{"0.5%", "9%", "12%", "100%"}));
    ClickHeading(1);  // descending again
    EXPECT_FALSE(list->IsSortAscending());

    // Any InsertItem or SetItemText resets the state: the next click sorts ascending.
    list->SetItemText(0, 1, "50%");
    EXPECT_EQ(list->GetSortColumn(), -1);
    ClickHeading(1);
    EXPECT_TRUE(list->IsSortAscending());
    EXPECT_EQ(Column(1).front(), "0.5%");
    list->InsertItem(4, "4");
    EXPECT_EQ(list->GetSortColumn(), -1);

    // Every sort told the dialog the column and direction.
    const auto sorted = dlg.Of(WM_REPORT_SORTED);
    ASSERT_EQ(sorted.size(), 5u);
    EXPECT_EQ(sorted[0].wParam, 1u);
    EXPECT_EQ(sorted[0].lParam, 1);
    EXPECT_EQ(sorted[1].lParam, 0);
    EXPECT_EQ(sorted[4].lParam, 1);

    // A new column starts ascending.
    ClickHeading(0);
    EXPECT_TRUE(list->IsSortAscending());
    EXPECT_EQ(list->GetSortColumn(), 0);
}

TEST_F(ReportTest, SortCarriesTextsColoursDataAndStatesWithTheRow) {
    list->SetExtendedStyle(LVS_EX_CHECKBOXES);
    Fill({"c", "a", "b"});
    list->SetItemTextColor(0, 1, QColor(200, 0, 0));
    list->SetItemBkColor(0, 2, QColor(0, 0, 200));
    list->SetItemData(0, 77);
    list->SetItemStates(0, RC_ITEM_CHECKED | RC_ITEM_SELECTED | RC_ITEM_FOCUSED);
    list->SortItems(1, true);
    EXPECT_EQ(Column(1), (std::vector<QString>{"a", "b", "c"}));
    EXPECT_EQ(Column(0), (std::vector<QString>{"1", "2", "0"}));
    EXPECT_EQ(list->GetItemTextColor(2, 1), QColor(200, 0, 0));
    EXPECT_EQ(list->GetItemBkColor(2, 2), QColor(0, 0, 200));
    EXPECT_EQ(list->GetItemTextColor(0, 1), list->palette().color(QPalette::Text));
    EXPECT_EQ(list->GetItemData(2), 77u);
    EXPECT_TRUE(list->ExamItemStates(2, RC_ITEM_CHECKED | RC_ITEM_SELECTED | RC_ITEM_FOCUSED));
    EXPECT_TRUE(list->ExamItemStates(0, RC_ITEM_UNCHECKED | RC_ITEM_UNSELECTED | RC_ITEM_UNFOCUSED));
}

TEST_F(ReportTest, MixedKindsSortWithoutFaultAndColumnsKeepColourPairs) {
    // Texts of mixed kinds do not form a strict order; the sort must still finish within the rows.
    std::vector<QString> values;
    const char* kinds[] = {"ff", "12%", "xyz", "", "9", "-4", "2024-01-01", "abc", "1.5", "Zed"};
    for (int i = 0; i < 200; ++i) {
        values.push_back(QString::fromLatin1(kinds[(i * 7) % 10]));
    }
    Fill(values);
    list->SortItems(1, true);
    list->SortItems(1, false);
    EXPECT_EQ(list->GetItemCount(), 200);
    auto sortedValues = Column(1);
    std::sort(sortedValues.begin(), sortedValues.end());
    std::sort(values.begin(), values.end());
    EXPECT_EQ(sortedValues, values);

    // Inserting a column inserts a default colour pair in every row; deleting removes it.
    list->SetItemTextColor(5, 1, Qt::red);
    list->InsertColumn(1, "New", LVCFMT_LEFT, 50);
    EXPECT_EQ(list->GetRowInfo(5)->textColors.size(), 4u);
    EXPECT_EQ(list->GetItemTextColor(5, 2), QColor(Qt::red));
    list->DeleteColumn(1);
    EXPECT_EQ(list->GetItemTextColor(5, 1), QColor(Qt::red));
}

TEST_F(ReportTest, NoHeadingOrHeadingWithoutButtonsIgnoresClicks) {
    Fill({"b", "a"});
    list->SetHeaderButtons(false);
    ClickHeading(1);
    list->SortItems(1, true);
    EXPECT_EQ(Column(1), (std::vector<QString>{"b", "a"}));
    list->SetHeaderButtons(true);
    list->ModifyListStyle(0, LVS_NOCOLUMNHEADER);
    list->SortItems(1, true);
    EXPECT_EQ(Column(1), (std::vector<QString>{"b", "a"}));
    list->SortItems(7, true);  // no such column
    EXPECT_TRUE(dlg.Of(WM_REPORT_SORTED).empty());
    EXPECT_EQ(list->GetSortColumn(), -1);
}

TEST_F(ReportTest, CellButtonsAreMadeOnlyWhereAllowed) {
    Fill({"x", "y"});
    list->SetColumnWidth(1, 4);
    EXPECT_EQ(list->SetItemButton(0, 1, {0, "No"}), 0);  // 4 pixels or less
    EXPECT_EQ(list->SetItemButton(0, 2, {2, "Bad"}), 0);
    EXPECT_EQ(list->SetItemButton(5, 2, {0, "Row"}), 0);
    EXPECT_EQ(list->SetItemButton(0, 3, {0, "Col"}), 0);
    EXPECT_EQ(list->SetItemButton(0, 2, {0, "Delete"}), 1);
    EXPECT_EQ(list->SetItemButton(0, 2, {0, "Again"}), 0);  // the cell has one
    list->RefreshButtons();
    CButtonEx* button = list->GetItemButton(0, 2);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), "Delete");
    EXPECT_EQ(button->geometry(), list->visualRect(list->model()->index(0, 2)));
    EXPECT_TRUE(button->isVisible());

    EXPECT_EQ(list->DeleteItemButton(0, 2, 2), 0);
    EXPECT_NE(list->GetItemButton(0, 2), nullptr);
    EXPECT_EQ(list->DeleteItemButton(1, 1, 0), 1);  // no button there: still 1
    EXPECT_EQ(list->DeleteItemButton(0, 2, 0), 1);
    EXPECT_EQ(list->GetItemButton(0, 2), nullptr);
}

TEST_F(ReportTest, ButtonClicksReachTheDialog) {
    Fill({"a", "b", "c"});
    ASSERT_EQ(list->SetItemButton(1, 2, {0, "Delete"}), 1);
    ASSERT_EQ(list->SetItemButton(2, 2, {1, "Pick"}), 1);
    list->RefreshButtons();
    QTest::mouseClick(list->GetItemButton(1, 2), Qt::LeftButton);
    ASSERT_EQ(dlg.Of(WM_REPORT_BUTTON_CLICKED).size(), 1u);
    EXPECT_EQ(dlg.Of(WM_REPORT_BUTTON_CLICKED)[0].wParam, 1u);
    EXPECT_EQ(dlg.Of(WM_REPORT_BUTTON_CLICKED)[0].lParam, 2);

    CButtonEx* radio = list->GetItemButton(2, 2);
    QTest::mouseClick(radio, Qt::LeftButton);
    QTest::mouseClick(radio, Qt::LeftButton);
    EXPECT_TRUE(radio->isChecked());  // turns itself on, never off
    ASSERT_EQ(dlg.Of(WM_REPORT_BUTTON_CHECKED).size(), 2u);
    EXPECT_EQ(dlg.Of(WM_REPORT_BUTTON_CHECKED)[0].wParam, 2u);
    EXPECT_EQ(list->SetCheck(2, 2, 0), 1);
    EXPECT_FALSE(radio->isChecked());
    EXPECT_EQ(list->SetCheck(0, 0, 1), 0);
}

TEST_F(ReportTest, DialogMayRemoveTheClickedButtonAndRowsWhileHandlingTheClick) {
    Fill({"a", "b"});
    ASSERT_EQ(list->SetItemButton(0, 2, {0, "Delete"}), 1);
    ASSERT_EQ(list->SetItemButton(1, 2, {0, "Delete"}), 1);
    list->RefreshButtons();
    // As the table dialogs do: delete the buttons and rows, then fill again.
    dlg.onMessage = [this](const ksx::test::ReceivedMessage& m) {
        if (m.msg != WM_REPORT_BUTTON_CLICKED) {
            return;
        }
        list->DeleteItemButton(0, 2, 0);
        list->DeleteItemButton(1, 2, 0);
        EXPECT_EQ(list->DeleteItems(RC_ITEM_ALL), 2);
        list->InsertItem(0, "9");
        list->SetItemButton(0, 2, {0, "Delete"});
    };
    QPointer<CButtonEx> clicked = list->GetItemButton(1, 2);
    QTest::mouseClick(clicked, Qt::LeftButton);
    EXPECT_EQ(dlg.Of(WM_REPORT_BUTTON_CLICKED).size(), 1u);
    // Removed buttons go when control returns to the event loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(clicked.isNull());
    EXPECT_EQ(list->GetItemCount(), 1);
    EXPECT_NE(list->GetItemButton(0, 2), nullptr);
}

TEST_F(ReportTest, ButtonsFollowTheirCellsAndHideWhenScrolledAway) {
    for (int i = 0; i < 40; ++i) {
        list->InsertItem(i, QString::number(i));
    }
    ASSERT_EQ(list->SetItemButton(0, 2, {0, "Top"}), 1);
    ASSERT_EQ(list->SetItemButton(38, 2, {0, "Low"}), 1);
    ksx::test::PumpEvents();  // the view lays out its rows and scroll range
    list->RefreshButtons();
    EXPECT_TRUE(list->GetItemButton(0, 2)->isVisible());
    EXPECT_FALSE(list->GetItemButton(38, 2)->isVisible());
    list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum());
    EXPECT_FALSE(list->GetItemButton(0, 2)->isVisible());
    EXPECT_TRUE(list->GetItemButton(38, 2)->isVisible());
    EXPECT_EQ(list->GetItemButton(38, 2)->geometry(), list->visualRect(list->model()->index(38, 2)));
    list->setColumnWidth(0, 150);
    EXPECT_EQ(list->GetItemButton(38, 2)->geometry(), list->visualRect(list->model()->index(38, 2)));
    // A button whose row is gone stays out of sight.
    list->DeleteItems(RC_ITEM_ALL);
    EXPECT_FALSE(list->GetItemButton(38, 2)->isVisible());
}

TEST_F(ReportTest, RowStateFiltersCountAndDelete) {
    list->SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    EXPECT_EQ(list->GetExtendedStyle(), LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES);
    Fill({"a", "b", "c", "d", "e"});
    list->SetItemStates(1, RC_ITEM_CHECKED);
    list->SetItemStates(3, RC_ITEM_CHECKED | RC_ITEM_SELECTED);
    EXPECT_EQ(list->GetItemCount(RC_ITEM_ALL), 5);
    EXPECT_EQ(list->GetItemCount(RC_ITEM_CHECKED), 2);
    EXPECT_EQ(list->GetItemCount(RC_ITEM_CHECKED | RC_ITEM_SELECTED), 1);
    EXPECT_EQ(list->GetItemCount(RC_ITEM_UNCHECKED), 3);
    EXPECT_EQ(list->GetItemCount(RC_ITEM_CHECKED | RC_ITEM_UNCHECKED), 0);
    EXPECT_EQ(list->GetItemCount(0), 0);
    EXPECT_EQ(list->DeleteItems(0), 0);
    EXPECT_EQ(list->DeleteItems(RC_ITEM_CHECKED), 2);
    EXPECT_EQ(Column(1), (std::vector<QString>{"a", "c", "e"}));
    EXPECT_EQ(list->DeleteItems(RC_ITEM_ALL), 3);
    EXPECT_EQ(list->GetItemCount(), 0);
}

TEST_F(ReportTest, MouseCheckChangeSelectsTheRowAndTellsTheDialog) {
    list->SetExtendedStyle(LVS_EX_CHECKBOXES);
    Fill({"a", "b", "c"});
    list->SetItemStates(0, RC_ITEM_SELECTED);
    // The check indicator sits at the left of the first cell.
    const QRect cell = list->visualRect(list->model()->index(2, 0));
    const QPoint indicator(cell.left() + 10, cell.center().y());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, indicator);
    if (!list->GetCheck(2)) {
        GTEST_SKIP() << "style places the check indicator elsewhere";
    }
    const auto changed = dlg.Of(WM_REPORT_CHECK_CHANGED);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0].wParam, 2u);
    EXPECT_EQ(changed[0].lParam, static_cast<ksx::LPARAM>(WM_LBUTTONUP));
    EXPECT_TRUE(list->ExamItemStates(2, RC_ITEM_SELECTED | RC_ITEM_FOCUSED));
    EXPECT_TRUE(list->ExamItemStates(0, RC_ITEM_UNSELECTED));
    // A click elsewhere in a row changes no check box and sends nothing.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(1, 1)).center());
    EXPECT_EQ(dlg.Of(WM_REPORT_CHECK_CHANGED).size(), 1u);
}

TEST_F(ReportTest, SpaceDoesNothingInTheListOrOnItsButtons) {
    list->SetExtendedStyle(LVS_EX_CHECKBOXES);
    Fill({"a", "b"});
    ASSERT_EQ(list->SetItemButton(0, 2, {0, "Delete"}), 1);
    list->RefreshButtons();
    list->setFocus();
    list->SetItemStates(1, RC_ITEM_FOCUSED | RC_ITEM_SELECTED);
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_FALSE(list->GetCheck(1));
    CButtonEx* button = list->GetItemButton(0, 2);
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_TRUE(dlg.messages.empty());
    // Other keys still work.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_TRUE(list->ExamItemStates(0, RC_ITEM_FOCUSED));
}

}  // namespace
