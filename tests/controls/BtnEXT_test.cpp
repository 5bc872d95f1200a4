// The per-port strip: spacing, one row up to 28 ports and two rows above, ids, labels, the strip
// rectangle and the per-port operations.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QTest>

#include "controls/BtnEXT.h"
#include "tests/controls/HostDialog.h"
#include "tests/support/ui/DialogDriver.h"

namespace {

using ksx::test::DialogDriver;
using ksx::test::FindById;
using ksx::test::HostDialog;

constexpr int IDC_PORT1 = 2000;

TEST(BtnEXT, TwentyEightPortsStandInOneEvenlySpacedRow) {
    HostDialog dlg(640, 120);
    DialogDriver driver(dlg);
    CBtnEXT strip(28, 16, 4);
    strip.SetParentWnd(&dlg);
    strip.CalcSpacing(20, 610);
    EXPECT_EQ(strip.GetSpacing(), (610 - 20 - 16 * 28) / 27);                  // 5
    ASSERT_TRUE(strip.Create(BS_AUTOCHECKBOX, IDC_PORT1, 20, 30, 20, 40, 1));  // placement 1: (left, bottom)
    for (int i = 0; i < 28; ++i) {
        QWidget* w = FindById(&dlg, IDC_PORT1 + i);
        ASSERT_NE(w, nullptr) << i;
        EXPECT_EQ(w->geometry(), QRect(20 + i * 21, 40, 16, 16)) << i;
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(qobject_cast<QCheckBox*>(w)->text(), "");
    }
    EXPECT_EQ(FindById(&dlg, IDC_PORT1 + 28), nullptr);
    EXPECT_EQ(strip.GetStripRect(), QRect(QPoint(20, 40), QPoint(20 + 27 * 21 + 15, 55)));
    // Placement 0 starts at (right, top).
    CBtnEXT other(28, 16, 4);
    other.SetParentWnd(&dlg);
    other.CalcSpacing(20, 610);
    ASSERT_TRUE(other.Create(BS_AUTOCHECKBOX, IDC_PORT1 + 100, 20, 70, 30, 90, 0));
    EXPECT_EQ(FindById(&dlg, IDC_PORT1 + 100)->geometry().topLeft(), QPoint(30, 70));
}

TEST(BtnEXT, FiftyTwoPortsStandInTwoRowsOfTwentySix) {
    HostDialog dlg(640, 120);
    DialogDriver driver(dlg);
    CBtnEXT strip(52, 18, 6);
    strip.SetParentWnd(&dlg);
    strip.CalcSpacing(10, 620);
    EXPECT_EQ(strip.GetFirstRowCount(), 26);
    EXPECT_EQ(strip.GetSpacing(), (620 - 10 - 18 * 26) / 25);                         // 5
    ASSERT_TRUE(strip.Create(BS_AUTOCHECKBOX, IDC_PORT1, QRect(10, 20, 50, 10), 1));  // bottom = 30
    for (int i = 0; i < 26; ++i) {
        EXPECT_EQ(FindById(&dlg, IDC_PORT1 + i)->geometry(), QRect(10 + i * 23, 30, 18, 18)) << i;
        EXPECT_EQ(FindById(&dlg, IDC_PORT1 + 26 + i)->geometry(), QRect(10 + i * 23, 30 + 18 + 6, 18, 18))
            << i;
    }
    EXPECT_EQ(strip.GetStripRect(), QRect(QPoint(10, 30), QPoint(10 + 25 * 23 + 17, 54 + 17)));
}

TEST(BtnEXT, TwentyNinePortsGiveRowsOfFourteenAndFifteen) {
    CBtnEXT strip(29, 16, 4);
    strip.CalcSpacing(0, 400);
    EXPECT_EQ(strip.GetFirstRowCount(), 14);
    EXPECT_EQ(strip.GetSpacing(), (400 - 16 * 14) / 13);
    EXPECT_EQ(strip.ControlPosition(13, 0, 0).y(), 0);
    EXPECT_EQ(strip.ControlPosition(14, 0, 0), QPoint(0, 20));
    EXPECT_EQ(strip.ControlPosition(28, 0, 0), QPoint(14 * (strip.GetSpacing() + 16), 20));
    // A single port has no neighbour: no division by zero.
    CBtnEXT one(1, 16, 4);
    one.CalcSpacing(0, 100);
    EXPECT_EQ(one.GetSpacing(), 0);
}

TEST(BtnEXT, PortOperationsActOnTheCheckBoxes) {
    HostDialog dlg(640, 120);
    DialogDriver driver(dlg);
    CBtnEXT strip(10, 16, 4);
    strip.SetParentWnd(&dlg);
    strip.CalcSpacing(10, 300);
    ASSERT_TRUE(strip.Create(BS_AUTOCHECKBOX, IDC_PORT1, 10, 10, 10, 10, 1));
    EXPECT_FALSE(strip.Create(BS_AUTOCHECKBOX, IDC_PORT1, 10, 10, 10, 10, 1));  // once only
    strip.SetCheck(1, 3);
    EXPECT_EQ(strip.GetCheck(3), 1);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_PORT1 + 3), 1);
    EXPECT_EQ(strip.GetCheck(2), 0);
    // The user's click shows in GetCheck.
    driver.Click(IDC_PORT1 + 5);
    EXPECT_EQ(strip.GetCheck(5), 1);
    strip.EnablePort(false, 4);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_PORT1 + 4));
    strip.EnablePort(true, 4);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_PORT1 + 4));
    // Indexes outside the strip do nothing.
    strip.SetCheck(1, 10);
    strip.EnablePort(false, -1);
    EXPECT_EQ(strip.GetCheck(10), 0);
    EXPECT_EQ(strip.GetCheck(-1), 0);
}

TEST(BtnEXT, LabelStripShowsPortNumbersAndDeletingRemovesTheControls) {
    HostDialog dlg(640, 120);
    DialogDriver driver(dlg);
    auto strip = std::make_unique<CBtnEXT>(28, 18, 4);
    strip->SetParentWnd(&dlg);
    strip->CalcSpacing(10, 620);
    ASSERT_TRUE(strip->Create(CBTNEXT_LABELS, IDC_PORT1, 10, 10, 10, 10, 1));
    for (int i = 0; i < 28; ++i) {
        auto* label = qobject_cast<QLabel*>(FindById(&dlg, IDC_PORT1 + i));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), QString::number(i + 1));
    }
    // No check boxes to act on.
    strip->SetCheck(1, 0);
    EXPECT_EQ(strip->GetCheck(0), 0);
    strip.reset();
    EXPECT_EQ(dlg.GetDlgItem(IDC_PORT1), nullptr);
    EXPECT_EQ(FindById(&dlg, IDC_PORT1 + 27), nullptr);
    // Without a parent dialog nothing is made.
    CBtnEXT orphan(4, 16, 4);
    EXPECT_FALSE(orphan.Create(BS_AUTOCHECKBOX, IDC_PORT1, 0, 0, 0, 0, 0));
}

}  // namespace
