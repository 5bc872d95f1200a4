// ARP table view over the SNMP class library: the walk and how each column is shown, addresses of odd
// lengths, Refresh during a walk, the print-out in pages of 35 rows, other SNMP versions, and what a real
// Net-SNMP agent holds.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <string>
#include <vector>

#include "controls/ListCtrl.h"
#include "features/monitoring/ArpTable.h"
#include "platform/sys/Globals.h"
#include "res/ids_direct.h"
#include "tests/support/RealSnmpd.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using ksx::test::DialogDriver;
using ksx::test::WaitUntil;

const std::string kT = "1.3.6.1.2.1.4.22.1";

class ArpTable : public test::SharedSimTest {
protected:
    static void WaitRead(CArpTable& dlg) {
        ASSERT_TRUE(WaitUntil([&] { return !dlg.Reading(); }));
    }
    static void AddEntry(int ifIndex, const std::string& ip, const std::string& mac, int type) {
        const std::string index = std::to_string(ifIndex) + "." + ip;
        s_sim->Set(kT + ".1." + index, "i", std::to_string(ifIndex));
        s_sim->Set(kT + ".2." + index, "x", mac);
        s_sim->Set(kT + ".3." + index, "a", ip);
        s_sim->Set(kT + ".4." + index, "i", std::to_string(type));
    }
    // Pages of a PDF file written by Qt.
    static int PdfPages(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            return -1;
        }
        const QByteArray data = file.readAll();
        int pages = 0;
        for (qsizetype at = data.indexOf("/Type /Page"); at >= 0; at = data.indexOf("/Type /Page", at + 1)) {
            pages += data.mid(at, 12) == "/Type /Pages" ? 0 : 1;
        }
        return pages;
    }
    test::ScriptedMessageBox boxes;
};

// The OIDs of every get-next, each as its OIDs.
std::vector<std::vector<std::string>> Asked(const std::vector<test::SimRequest>& log) {
    std::vector<std::vector<std::string>> out;
    for (const test::SimRequest& r : test::OfKind(log, "getnext")) {
        std::vector<std::string> oids;
        for (const test::SimVarBind& vb : r.varbinds) {
            oids.push_back(vb.oid);
        }
        out.push_back(oids);
    }
    return out;
}

// A step asking the four columns (interface, address, MAC, type) from entry `index` ("" the bare ones).
std::vector<std::string> From(const std::string& index) {
    std::vector<std::string> oids;
    for (const char* c : {".1", ".3", ".2", ".4"}) {
        oids.push_back(kT + c + (index.empty() ? "" : "." + index));
    }
    return oids;
}

// A column left out of every reply, or one cell of one entry missing: that cell is empty and every other
// cell its own entry's (the entry without its type never shows the next entry's); each step asks every
// column from the last entry read.
TEST_F(ArpTable, MissingBindingsLeaveTheirCellsEmptyAndNeverShiftValues) {
    const std::vector<std::vector<std::string>> full = {{"1", "192.168.1.1", "00:1E:94:4C:20:01", "Dynamic"},
                                                        {"1", "192.168.1.20", "0A:0B:0C:0D:0E:0F", "Static"},
                                                        {"2", "10.0.0.7", "00:1E:94:4C:20:02", "Illegal"}};
    const std::vector<std::string> whole = {"", "1.192.168.1.1", "1.192.168.1.20", "2.10.0.0.7"};
    const std::string columns[] = {kT + ".1", kT + ".3", kT + ".2", kT + ".4"};
    for (int left = 0; left < 4; ++left) {
        SCOPED_TRACE("without column " + std::to_string(left));
        s_sim->ClearLog();
        s_sim->Omit(columns[left]);
        CArpTable dlg;
        DialogDriver drv(dlg);
        WaitRead(dlg);
        s_sim->OmitNone();
        ASSERT_EQ(drv.Rows(IDC_ARP_LIST), 3);
        for (int r = 0; r < 3; ++r) {
            std::vector<std::string> expect = full[static_cast<size_t>(r)];
            expect[static_cast<size_t>(left)].clear();
            EXPECT_EQ(drv.Row(IDC_ARP_LIST, r), expect);
        }
        const auto asked = Asked(s_sim->Requests());
        ASSERT_EQ(asked.size(), 4u);
        for (size_t step = 0; step < 4; ++step) {
            EXPECT_EQ(asked[step], From(whole[step])) << step;
        }
    }

    // The entry 192.168.1.20 without its type, and 10.0.0.7 without its MAC.
    s_sim->Unset(kT + ".4.1.192.168.1.20");
    s_sim->Unset(kT + ".2.2.10.0.0.7");
    s_sim->ClearLog();
    CArpTable dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    ASSERT_EQ(drv.Rows(IDC_ARP_LIST), 3);
    EXPECT_EQ(drv.Row(IDC_ARP_LIST, 0), full[0]);
    EXPECT_EQ(drv.Row(IDC_ARP_LIST, 1),
              (std::vector<std::string>{"1", "192.168.1.20", "0A:0B:0C:0D:0E:0F", ""}));
    EXPECT_EQ(drv.Row(IDC_ARP_LIST, 2), (std::vector<std::string>{"2", "10.0.0.7", "", "Illegal"}));
    const auto asked = Asked(s_sim->Requests());
    ASSERT_EQ(asked.size(), 4u);
    for (size_t step = 0; step < 3; ++step) {
        EXPECT_EQ(asked[step], From(whole[step])) << step;  // the type asked again from 192.168.1.20
    }
    // The MAC column ran past its last entry (into the next column): no longer asked.
    EXPECT_EQ(asked[3],
              (std::vector<std::string>{kT + ".1.2.10.0.0.7", kT + ".3.2.10.0.0.7", kT + ".4.2.10.0.0.7"}));
}

TEST_F(ArpTable, ShowsInterfaceAddressMacAndType) {
    CArpTable dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "ARP Information");
    const auto steps = test::OfKind(s_sim->Requests(), "getnext");
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_EQ(test::Describe(steps[0]),
              "getnext quaint " + kT + ".1|n| " + kT + ".3|n| " + kT + ".2|n| " + kT + ".4|n|");
    ASSERT_EQ(drv.Rows(IDC_ARP_LIST), 3);
    EXPECT_EQ(drv.Row(IDC_ARP_LIST, 0),
              (std::vector<std::string>{"1", "192.168.1.1", "00:1E:94:4C:20:01", "Dynamic"}));
    EXPECT_EQ(drv.Row(IDC_ARP_LIST, 1),
              (std::vector<std::string>{"1", "192.168.1.20", "0A:0B:0C:0D:0E:0F", "Static"}));
    EXPECT_EQ(drv.Row(IDC_ARP_LIST, 2),
              (std::vector<std::string>{"2", "10.0.0.7", "00:1E:94:4C:20:02", "Illegal"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_ARP_COUNT), "3");
    EXPECT_FALSE(drv.Item(IDC_ARP_PRINT)->isVisible());
    auto* list = dlg.Item<CListCtrl>(IDC_ARP_LIST);
    EXPECT_EQ(list->horizontalHeaderItem(2)->text().toStdString(), "       MAC                     ");
}

TEST_F(ArpTable, OddAddressesAndTypesAreShownFromWhatArrived) {
    AddEntry(3, "10.9.9.1", "0a0b0c0d", 1);          // four octets
    AddEntry(3, "10.9.9.2", "", 9);                  // none, type outside the list
    AddEntry(3, "10.9.9.3", "0102030405060708", 4);  // eight
    CArpTable dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    ASSERT_EQ(drv.Rows(IDC_ARP_LIST), 6);
    EXPECT_EQ(drv.Row(IDC_ARP_LIST, 3),
              (std::vector<std::string>{"3", "10.9.9.1", "0A:0B:0C:0D", "Unknown"}));
    EXPECT_EQ(drv.Row(IDC_ARP_LIST, 4), (std::vector<std::string>{"3", "10.9.9.2", "", "Static"}));
    EXPECT_EQ(drv.Cell(IDC_ARP_LIST, 5, 2), "01:02:03:04:05:06:07:08");
    EXPECT_EQ(CArpTable::TypeName("4"), "Static");
}

TEST_F(ArpTable, AnEmptyTableShowsNothing) {
    for (const char* index : {"1.192.168.1.1", "1.192.168.1.20", "2.10.0.0.7"}) {
        for (int c = 1; c <= 4; ++c) {
            s_sim->Command("unset " + kT + "." + std::to_string(c) + "." + index);
        }
    }
    CArpTable dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(drv.Rows(IDC_ARP_LIST), 0);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_ARP_COUNT), "0");
    EXPECT_EQ(test::OfKind(s_sim->Requests(), "getnext").size(), 1u);
}

TEST_F(ArpTable, RefreshDuringAWalkEndsItAndReadsTheTableOnce) {
    s_sim->DelayMs(120);
    CArpTable dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return drv.Rows(IDC_ARP_LIST) >= 1; }));
    ASSERT_TRUE(drv.Click(IDC_ARP_REFRESH));
    ASSERT_TRUE(drv.Click(IDC_ARP_REFRESH));
    // The replies of the ended walks arrive meanwhile and are dropped; the last walk reads to the end.
    WaitRead(dlg);
    ASSERT_EQ(drv.Rows(IDC_ARP_LIST), 3);
    EXPECT_EQ(drv.Cell(IDC_ARP_LIST, 2, 1), "10.0.0.7");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_ARP_COUNT), "3");
    EXPECT_EQ(dlg.LastEndStatus(), -2);
}

TEST_F(ArpTable, PrintsThirtyFiveRowsAPage) {
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/monitoring";
    QDir().mkpath(dir);
    int rows = 3;
    for (int want : {34, 35, 36}) {
        for (; rows < want; ++rows) {
            AddEntry(4, "10.1.0." + std::to_string(rows), "001e944c3000", 3);
        }
        CArpTable dlg;
        DialogDriver drv(dlg);
        WaitRead(dlg);
        ASSERT_EQ(drv.Rows(IDC_ARP_LIST), want);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString file = QString("%1/arp_%2_rows.pdf").arg(dir).arg(want);
        printer.setOutputFileName(file);
        EXPECT_TRUE(dlg.PrintTo(printer));
        EXPECT_EQ(PdfPages(file), want <= 35 ? 1 : 2) << want;
        EXPECT_EQ(CArpTable::PageCount(want), want <= 35 ? 1 : 2);
        EXPECT_EQ(dlg.GetWindowText(), " ARP Information");
    }
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(ArpTable, APrinterThatCannotStartIsReported) {
    CArpTable dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName("/nonexistent-directory/arp.pdf");
    EXPECT_FALSE(dlg.PrintTo(printer));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Printer error!"});
}

TEST_F(ArpTable, OtherSnmpVersionsReadNothing) {
    test::UseSimV3(*s_sim, "2", "md5user", "2", "md5authpass", "1", "");
    CArpTable dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(drv.Click(IDC_ARP_REFRESH));
    test::PumpEvents();
    EXPECT_TRUE(s_sim->Requests().empty());
    EXPECT_EQ(drv.Rows(IDC_ARP_LIST), 0);
}

TEST(ArpTableRealAgent, ShowsWhatSnmpwalkReads) {
    if (!test::RealSnmpd::Available()) {
        GTEST_SKIP() << "snmpd is not installed";
    }
    test::RealSnmpd agent;
    test::UseSnmpdV1(agent);
    test::ScriptedMessageBox boxes;
    std::vector<std::vector<test::ToolBinding>> columns;
    for (int c : {1, 3, 2, 4}) {
        columns.push_back(agent.Walk(kT + "." + std::to_string(c)));
    }
    {
        CArpTable dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(WaitUntil([&] { return !dlg.Reading(); }));
        ASSERT_EQ(static_cast<size_t>(drv.Rows(IDC_ARP_LIST)), columns[0].size());
        for (size_t r = 0; r < columns[0].size(); ++r) {
            const int row = static_cast<int>(r);
            EXPECT_EQ(drv.Cell(IDC_ARP_LIST, row, 0), columns[0][r].value);
            EXPECT_EQ(drv.Cell(IDC_ARP_LIST, row, 1), columns[1][r].value);
            EXPECT_EQ(drv.Cell(IDC_ARP_LIST, row, 2), CArpTable::MacText(columns[2][r].value));
            EXPECT_EQ(drv.Cell(IDC_ARP_LIST, row, 3), CArpTable::TypeName(columns[3][r].value));
        }
    }
    ResetConnectionSettings();
}

}  // namespace
