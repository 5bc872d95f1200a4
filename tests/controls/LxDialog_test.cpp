// The resizable dialog base: anchored controls follow size changes by their mode and percentage, the
// grip stays in the corner, and the dialog never becomes smaller than it opened.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "controls/ListCtrlEx.h"
#include "controls/LxDialog.h"
#include "tests/support/ui/DialogDriver.h"

namespace {

using ksx::test::DialogDriver;
using ksx::test::WaitUntil;

enum { IDC_LIST = 100, IDC_OK, IDC_HALF, IDC_DOWN, IDC_WIDE, IDC_TALL, IDC_NEG, IDC_OVER, IDC_ZERO };

const ClxAnchor kAnchors[] = {
    {IDC_LIST, ANCHOR_GROW_BOTH, 100}, {IDC_OK, ANCHOR_MOVE_BOTH, 100},   {IDC_HALF, ANCHOR_MOVE_RIGHT, 50},
    {IDC_DOWN, ANCHOR_MOVE_DOWN, 100}, {IDC_WIDE, ANCHOR_GROW_WIDTH, 33}, {IDC_TALL, ANCHOR_GROW_HEIGHT, 100},
    {IDC_NEG, ANCHOR_MOVE_BOTH, -1},   {IDC_OVER, ANCHOR_MOVE_BOTH, 101}, {IDC_ZERO, ANCHOR_GROW_BOTH, 0},
    {999, ANCHOR_MOVE_BOTH, 100},  // no such control
};

class AnchoredDlg : public ClxDialog {
public:
    explicit AnchoredDlg(int growAfterInit = 0) : ClxDialog(9100), m_grow(growAfterInit) {}
    QRect Geo(int id) const { return GetDlgItem(id)->geometry(); }

protected:
    void CreateControls() override {
        auto add = [this](int id, QWidget* w, QRect r) {
            w->setParent(Client());
            w->setGeometry(r);
            RegisterControl(id, w);
        };
        add(IDC_LIST, new CListCtrlEx, QRect(10, 10, 200, 100));
        add(IDC_OK, new QPushButton("OK"), QRect(220, 120, 70, 24));
        add(IDC_HALF, new QLabel("half"), QRect(220, 10, 60, 20));
        add(IDC_DOWN, new QLabel("down"), QRect(10, 120, 60, 20));
        add(IDC_WIDE, new QLabel("wide"), QRect(80, 120, 60, 20));
        add(IDC_TALL, new QLabel("tall"), QRect(220, 40, 60, 20));
        add(IDC_NEG, new QLabel("neg"), QRect(220, 70, 30, 20));
        add(IDC_OVER, new QLabel("over"), QRect(250, 70, 30, 20));
        add(IDC_ZERO, new QLabel("zero"), QRect(150, 120, 30, 20));
        SetClientSize(300, 150);
    }
    int OnInitDialog() override {
        ClxDialog::OnInitDialog();
        EXPECT_EQ(SetAnchors(nullptr, 3), 0);
        EXPECT_EQ(SetAnchors(kAnchors, 0), 0);
        EXPECT_EQ(SetAnchors(kAnchors, static_cast<int>(std::size(kAnchors))), 1);
        if (m_grow > 0) {
            resize(width() + m_grow, height() + m_grow);
        }
        return 1;
    }

private:
    int m_grow;
};

TEST(LxDialog, AnchorsFollowResizingByModeAndPercentage) {
    AnchoredDlg dlg;
    DialogDriver driver(dlg);
    EXPECT_TRUE(dlg.IsTopmost());
    const QSize opening = dlg.size();
    EXPECT_EQ(dlg.GetMinimumWindowSize(), opening);
    const QSize client = dlg.Client()->size();

    dlg.resize(opening.width() + 100, opening.height() + 60);
    ASSERT_TRUE(WaitUntil([&] { return dlg.Client()->size() == client + QSize(100, 60); }));
    EXPECT_EQ(dlg.Geo(IDC_LIST), QRect(10, 10, 300, 160));
    EXPECT_EQ(dlg.Geo(IDC_OK), QRect(320, 180, 70, 24));
    EXPECT_EQ(dlg.Geo(IDC_HALF), QRect(270, 10, 60, 20));
    EXPECT_EQ(dlg.Geo(IDC_DOWN), QRect(10, 180, 60, 20));
    EXPECT_EQ(dlg.Geo(IDC_WIDE), QRect(80, 120, 93, 20));  // 100 * 33 / 100
    EXPECT_EQ(dlg.Geo(IDC_TALL), QRect(220, 40, 60, 80));
    EXPECT_EQ(dlg.Geo(IDC_NEG), QRect(220, 70, 30, 20));
    EXPECT_EQ(dlg.Geo(IDC_OVER), QRect(250, 70, 30, 20));
    EXPECT_EQ(dlg.Geo(IDC_ZERO), QRect(150, 120, 30, 20));
    // The grip sits in the bottom-right corner of the client area.
    QWidget* grip = dlg.GetSizeGrip();
    ASSERT_NE(grip, nullptr);
    EXPECT_TRUE(grip->isVisible());
    EXPECT_EQ(grip->geometry().bottomRight(), QPoint(dlg.Client()->width() - 1, dlg.Client()->height() - 1));

    // Back to the opening size: everything returns.
    dlg.resize(opening);
    ASSERT_TRUE(WaitUntil([&] { return dlg.Client()->size() == client; }));
    EXPECT_EQ(dlg.Geo(IDC_LIST), QRect(10, 10, 200, 100));
    EXPECT_EQ(dlg.Geo(IDC_OK), QRect(220, 120, 70, 24));
    // Shrinking truncates toward zero like growing does.
    EXPECT_EQ(dlg.Geo(IDC_WIDE), QRect(80, 120, 60, 20));
}

TEST(LxDialog, NeverSmallerThanTheOpeningSize) {
    AnchoredDlg dlg;
    DialogDriver driver(dlg);
    const QSize opening = dlg.size();
    const QRect ok = dlg.Geo(IDC_OK);
    dlg.resize(opening.width() - 80, opening.height() - 50);
    ksx::test::PumpEvents();
    EXPECT_GE(dlg.width(), opening.width());
    EXPECT_GE(dlg.height(), opening.height());
    EXPECT_EQ(dlg.Geo(IDC_OK), ok);
}

TEST(LxDialog, MinimisingLeavesControlsWhereTheyAre) {
    AnchoredDlg dlg;
    DialogDriver driver(dlg);
    const QRect list = dlg.Geo(IDC_LIST);
    const QSize ref = dlg.GetReferenceClientSize();
    dlg.OnSize(ClxDialog::SIZE_MINIMIZED, 0, 0);
    EXPECT_EQ(dlg.Geo(IDC_LIST), list);
    EXPECT_EQ(dlg.GetReferenceClientSize(), ref);
    dlg.OnSize(ClxDialog::SIZE_RESTORED, ref.width(), ref.height());
    EXPECT_EQ(dlg.Geo(IDC_LIST), list);
}

TEST(LxDialog, EnlargingAfterInitialisationKeepsTheRecordedMinimum) {
    AnchoredDlg dlg(40);
    DialogDriver driver(dlg);
    const QSize minimum = dlg.GetMinimumWindowSize();
    EXPECT_EQ(dlg.minimumSize(), minimum);
    EXPECT_TRUE(WaitUntil([&] { return dlg.width() >= minimum.width() + 40; }));
    // The controls followed the enlargement.
    EXPECT_EQ(dlg.Geo(IDC_LIST).size(), QSize(240, 140));
}

}  // namespace
