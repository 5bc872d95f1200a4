// The five standard-MIB views at the default font and a 1.5 times larger one, filled from the simulated
// switch: every text control gets the size its text needs, no two controls overlap, no column is
// narrower than its heading or a cell it shows, and a picture of each is saved
// (build/screenshots/monitoring/).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QTableWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "features/monitoring/IPAddrTable.h"
#include "features/monitoring/IntfList.h"
#include "features/monitoring/SwitchDatabase.h"
#include "features/monitoring/TcpPortInfo.h"
#include "features/monitoring/UdpPortInfo.h"
#include "res/ids_stdmib.h"
#include "tests/features/monitoring/StdMibTable_test.h"
#include "tests/support/ui/LookCheck.h"

namespace {

using namespace ksx;
using namespace ksx::dialogtest;

struct View {
    const char* name;
    int listId;
    int refreshId;
    std::function<std::unique_ptr<CDialog>()> make;
};

const std::vector<View>& Views() {
    static const std::vector<View> views = {
        {"interface_table", IDC_INTF_LIST, IDC_INTF_REFRESH, [] { return std::make_unique<CIntfList>(); }},
        {"ip_table", IDC_IPADDR_LIST, IDC_IPADDR_REFRESH, [] { return std::make_unique<CIPAddrTable>(); }},
        {"forwarding_table", IDC_FDB_LIST, IDC_FDB_REFRESH,
         [] { return std::make_unique<CSwitchDatabase>(); }},
        {"tcp_service", IDC_TCP_LIST, IDC_CONN_REFRESH, [] { return std::make_unique<CTcpPortInfo>(); }},
        {"udp_service", IDC_UDP_LIST, IDC_CONN_REFRESH, [] { return std::make_unique<CUdpPortInfo>(); }},
    };
    return views;
}

// Columns narrower than their heading or one of their cells, and columns past the list's right edge.
std::vector<std::string> CutColumns(QTableWidget* list) {
    std::vector<std::string> out;
    const QFontMetrics fm(list->font());
    int right = 0;
    for (int c = 0; c < list->columnCount(); ++c) {
        int need = fm.horizontalAdvance(list->horizontalHeaderItem(c)->text().trimmed());
        for (int r = 0; r < list->rowCount(); ++r) {
            if (list->item(r, c) != nullptr) {
                need = std::max(need, fm.horizontalAdvance(list->item(r, c)->text()));
            }
        }
        if (list->columnWidth(c) < need + 6) {
            out.push_back("column " + std::to_string(c));
        }
        right += list->columnWidth(c);
    }
    if (right > list->viewport()->width()) {
        out.push_back("columns wider than the list");
    }
    return out;
}

class StdMibScreens : public test::SharedSimTest {
protected:
    test::ScriptedMessageBox boxes;
};

TEST_F(StdMibScreens, NothingCutOrOverlappingAtTwoFontSizes) {
    const QFont normal = QApplication::font();
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/monitoring";
    QDir().mkpath(dir);
    for (double scale : {1.0, 1.5}) {
        QFont font = normal;
        font.setPointSizeF(normal.pointSizeF() * scale);
        QApplication::setFont(font);
        for (const View& v : Views()) {
            std::unique_ptr<CDialog> dlg = v.make();
            DialogDriver drv(*dlg);
            ASSERT_TRUE(
                WaitUntil([&] { return dlg->IsDlgItemEnabled(v.refreshId) && drv.Rows(v.listId) > 0; }));
            test::SettleLists(dlg.get());  // the columns fit the texts shortly after they arrive
            test::SettleLists(dlg.get());
            EXPECT_EQ(test::LookProblems(dlg.get()), std::vector<std::string>{}) << v.name << " at " << scale;
            EXPECT_EQ(CutColumns(drv.ItemAs<QTableWidget>(v.listId)), std::vector<std::string>{})
                << v.name << " at " << scale;
            const QString file = QString("%1/%2_%3.png").arg(dir, v.name, scale == 1.0 ? "1x" : "1.5x");
            EXPECT_TRUE(test::GrabScreenshot(dlg.get(), file.toStdString()));
        }
    }
    QApplication::setFont(normal);
}

}  // namespace
