// List columns that follow the font: the given width is the width at the default font and grows with
// it, a column is never narrower than its heading or its texts (up to a sensible width; a longer cell
// shows its whole text as its tooltip), spare width goes to the columns, a dragged column keeps its
// width, and a list that needs more than the screen scrolls.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "controls/ListCtrlEx.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/LookCheck.h"

namespace {

using ksx::test::PumpEvents;

int Shown(const CListCtrl& list) {
    int total = 0;
    for (int c = 0; c < list.GetColumnCount(); ++c) {
        total += list.columnWidth(c);
    }
    return total;
}

// A list filling a shown dialog.
struct ShownList {
    ksx::CDialog dlg{9100};
    CListCtrl* list = new CListCtrl;
    explicit ShownList(int width) {
        auto* box = new QVBoxLayout(dlg.Client());
        box->addWidget(dlg.RegisterControl(100, list));
        dlg.resize(width, 300);
    }
};

TEST(ListColumns, GivenWidthIsTheDefaultFontsAndGrowsWithTheFont) {
    CListCtrl list;
    list.resize(40, 100);  // no spare width to share out
    list.InsertColumn(0, "ID", LVCFMT_LEFT, 80);
    list.InsertColumn(1, "Multicast MAC address", LVCFMT_LEFT, 40);  // narrower than its heading
    EXPECT_EQ(list.GetColumnWidth(0), 80);
    EXPECT_EQ(list.GetColumnWidth(1), 40);
    EXPECT_EQ(list.columnWidth(0), 80);
    EXPECT_GE(list.columnWidth(1), list.horizontalHeader()->sectionSizeHint(1));

    QFont large = list.font();
    large.setPointSizeF(large.pointSizeF() * 1.5);
    list.setFont(large);
    EXPECT_DOUBLE_EQ(list.FontScale(), 1.5);
    EXPECT_EQ(list.GetColumnWidth(0), 80);  // what the dialog gave stays
    EXPECT_EQ(list.columnWidth(0), 120);
    EXPECT_GE(list.columnWidth(1), list.horizontalHeader()->sectionSizeHint(1));

    // A smaller font never makes a column narrower than its given width.
    QFont small = list.font();
    small.setPointSizeF(QApplication::font().pointSizeF() * 0.7);
    list.setFont(small);
    EXPECT_EQ(list.columnWidth(0), 80);
}

TEST(ListColumns, HeadingSampleColumnsFollowTheFontOnce) {
    CListCtrlEx list;
    list.resize(40, 100);
    list.InsertColumn("Acceptable Frame Type", 0);
    QFont large = list.font();
    large.setPointSizeF(large.pointSizeF() * 1.5);
    list.setFont(large);
    // The heading's width in the larger font plus 15, not grown a second time.
    EXPECT_EQ(list.GetColumnWidth(0), list.GetStringWidth("Acceptable Frame Type") + 15);
    EXPECT_EQ(list.columnWidth(0), list.GetColumnWidth(0));
}

TEST(ListColumns, TextsWidenTheirColumnAndSpareWidthGoesToTheColumns) {
    ShownList host(700);
    CListCtrl& list = *host.list;
    list.InsertColumn(0, "Port", LVCFMT_LEFT, 50);
    list.InsertColumn(1, "Address", LVCFMT_LEFT, 100);
    ksx::test::DialogDriver drv(host.dlg);
    ksx::test::SettleLists(&host.dlg);
    // Spare width shared in proportion: nothing left empty on the right.
    EXPECT_EQ(Shown(list), list.viewport()->width());
    EXPECT_GT(list.columnWidth(1), list.columnWidth(0));

    list.InsertItem(0, "1");
    list.SetItemText(0, 1, "239.255.255.250 and then some more text");
    ksx::test::SettleLists(&host.dlg);
    EXPECT_GE(list.columnWidth(1), list.CellContentWidth(0, 1));
    EXPECT_TRUE(list.CellToolTip(0, 1).isEmpty());
    EXPECT_EQ(ksx::test::LookProblems(&host.dlg), std::vector<std::string>{});

    // A column that takes the rest gets all the spare width.
    list.SetColumnFill(1, 0);
    list.FitColumns();
    EXPECT_EQ(list.columnWidth(0), 50);
    EXPECT_EQ(Shown(list), list.viewport()->width());

    // A column the user dragged keeps that width.
    list.horizontalHeader()->resizeSection(0, 33);
    list.FitColumns();
    EXPECT_EQ(list.columnWidth(0), 33);
}

TEST(ListColumns, LongCellsStopAtASensibleWidthAndShowTheirTextAsTooltip) {
    ShownList host(500);
    CListCtrl& list = *host.list;
    list.InsertColumn(0, "Port", LVCFMT_LEFT, 50);
    list.InsertColumn(1, "Port Members", LVCFMT_LEFT, 140);
    ksx::test::DialogDriver drv(host.dlg);
    const QString ports = [] {
        QString text;
        for (int p = 1; p <= 52; ++p) {
            text += (p > 1 ? "," : "") + QString::number(p);
        }
        return text;
    }();
    const QString huge(2000, QChar('x'));
    list.InsertItem(0, "1");
    list.SetItemText(0, 1, ports);
    list.InsertItem(1, "2");
    list.SetItemText(1, 1, huge);
    list.InsertItem(2, "3");
    list.SetItemText(2, 1, "1,2");
    ksx::test::SettleLists(&host.dlg);
    EXPECT_EQ(list.columnWidth(1), std::max(list.CellCap(1), list.viewport()->width() - list.columnWidth(0)));
    EXPECT_LT(list.columnWidth(1), list.CellContentWidth(1, 1));
    EXPECT_EQ(list.CellToolTip(1, 1), huge);
    EXPECT_EQ(list.CellToolTip(0, 1), list.CellContentWidth(0, 1) > list.columnWidth(1) ? ports : QString());
    EXPECT_TRUE(list.CellToolTip(2, 1).isEmpty());
    // The window stays on the screen; what does not fit is cut with its tooltip, never without one.
    EXPECT_EQ(ksx::test::LookProblems(&host.dlg), std::vector<std::string>{});
}

TEST(ListColumns, AHeadingLongerThanTheScreenScrollsTheList) {
    ShownList host(400);
    CListCtrl& list = *host.list;
    const QScreen* screen = QApplication::primaryScreen();
    const int screenWidth = screen->availableGeometry().width();
    QString heading;
    while (list.GetStringWidth(heading) < 2 * screenWidth) {
        heading += "Static Router Ports ";
    }
    list.InsertColumn(0, "VLAN ID", LVCFMT_LEFT, 80);
    list.InsertColumn(1, heading, LVCFMT_LEFT, 160);
    ksx::test::DialogDriver drv(host.dlg);
    ksx::test::SettleLists(&host.dlg);
    EXPECT_GE(list.columnWidth(1), list.horizontalHeader()->sectionSizeHint(1));  // never cut
    EXPECT_LE(host.dlg.width(), screenWidth);                                     // the window fits
    EXPECT_GT(list.horizontalScrollBar()->maximum(), 0);                          // the list scrolls
    EXPECT_LE(list.sizeHint().width(), screenWidth);
}

}  // namespace

namespace {

// The look check itself: each fault a person would see is reported.
TEST(LookCheckHelper, ReportsWhatAPersonWouldCallBroken) {
    ksx::CDialog dlg(9101);
    dlg.SetClientSize(500, 300);
    auto* squeezed = dlg.RegisterControl(1, new QLabel("A label much wider than its box", dlg.Client()));
    squeezed->setGeometry(10, 10, 40, 20);
    auto* a = dlg.RegisterControl(2, new QPushButton("One", dlg.Client()));
    auto* b = dlg.RegisterControl(3, new QPushButton("Two", dlg.Client()));
    a->setGeometry(10, 50, 100, 30);
    b->setGeometry(60, 60, 100, 30);
    auto* list = dlg.RegisterControl(4, new CListCtrl(dlg.Client()));
    list->setGeometry(10, 100, 400, 150);
    list->InsertColumn(0, "Static Router Ports", LVCFMT_LEFT, 160);
    auto* edit = new QLineEdit(dlg.Client());  // not registered: not given the read-only look
    edit->setGeometry(200, 10, 100, 24);
    edit->setReadOnly(true);
    ksx::test::DialogDriver drv(dlg);
    list->horizontalHeader()->resizeSection(0, 20);  // dragged narrower than its heading

    const std::vector<std::string> problems = ksx::test::LookProblems(&dlg);
    auto has = [&](const std::string& start) {
        return std::any_of(problems.begin(), problems.end(),
                           [&](const std::string& p) { return p.rfind(start, 0) == 0; });
    };
    EXPECT_TRUE(has("squeezed: QLabel #1")) << testing::PrintToString(problems);
    EXPECT_TRUE(has("overlap: QPushButton #2 'One' and QPushButton #3 'Two'"))
        << testing::PrintToString(problems);
    EXPECT_TRUE(has("heading cut:")) << testing::PrintToString(problems);
    EXPECT_TRUE(has("read-only edit looks editable:")) << testing::PrintToString(problems);
}

}  // namespace
