// Traffic segmentation dialog against the simulated switch: the state and the forwarding table as
// read, forwarding sets written as 8-octet (28 ports) and 12-octet (52 ports) bitmaps, sets kept by
// port number when rows are missing, the port never in its own set, the trunk refusal, short and long
// bitmaps, failed reads and refused writes; pictures of both strips at two font sizes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <algorithm>
#include <string>
#include <vector>

#include "features/security/TrafficSegDlg.h"
#include "platform/snmplib/Snmp.h"
#include "platform/sys/Globals.h"
#include "platform/sys/Tunable.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_screening.h"
#include "res/resource.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/LookCheck.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::DialogDriver;
using test::SetLines;
using test::WaitUntil;

const std::string kSeg = "1.3.6.1.4.1.7393.10.76.20.1.14.9";
const std::string kState = kSeg + ".1.0";
const std::string kTable = kSeg + ".2.1";
const size_t kCut = kSeg.size() + 1;  // set lines read "1.0=i:1" and "2.1.2.2=x:..."

class TrafficSeg : public test::SharedSimTest {
public:
    static void SetUpTestSuite() {
        SnmpInit();
        SharedSimTest::SetUpTestSuite();
    }

protected:
    void WaitRefresh(CTrafficSegDlg& dlg, int count) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.RefreshesEnded() >= count; }));
        test::PumpEvents();
    }
    // Clicks a button and, when it wrote something, waits for the refresh that follows.
    std::vector<std::string> ClickAndWait(CTrafficSegDlg& dlg, DialogDriver& drv, int id) {
        s_sim->ClearLog();
        const int before = dlg.RefreshesEnded();
        EXPECT_TRUE(drv.Click(id));
        const std::vector<std::string> sets = SetLines(s_sim->Requests(), kCut);
        if (!sets.empty()) {
            WaitRefresh(dlg, before + 1);
        }
        return sets;
    }
    QCheckBox* Box(DialogDriver& drv, int port) { return drv.ItemAs<QCheckBox>(IDC_TSEG_CHECK_BASE + port); }
    // The ports whose strip box is checked, and the one disabled.
    std::string Checked(DialogDriver& drv, int ports) {
        std::string text;
        for (int p = 1; p <= ports; ++p) {
            if (Box(drv, p)->checkState() == Qt::Checked) {
                text += (text.empty() ? "" : ",") + std::to_string(p);
            }
        }
        return text;
    }
    int Disabled(DialogDriver& drv, int ports) {
        int found = 0;
        for (int p = 1; p <= ports; ++p) {
            if (!Box(drv, p)->isEnabled()) {
                EXPECT_EQ(found, 0) << "more than one disabled box";
                found = p;
            }
        }
        return found;
    }

    Tunable::Override fast{"trafficseg.read-back-ms", 0};
    test::ScriptedMessageBox boxes;
};

TEST_F(TrafficSeg, ShowsTheStateAndTheForwardingTable) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_TRAFFIC_SEGMENTATION));
    CTrafficSegDlg dlg;
    DialogDriver drv(dlg);
    WaitRefresh(dlg, 1);
    EXPECT_EQ(dlg.GetWindowText(), "Traffic Segmentation Settings ");
    // The state first, then the table by its two columns.
    const std::vector<std::string> opened = test::RequestLines(s_sim->Requests());
    ASSERT_GE(opened.size(), 2u);
    EXPECT_EQ(opened[0], "get " + kState + "=n:");
    EXPECT_NE(std::find(opened.begin(), opened.end(), "getnext " + kTable + ".1=n: " + kTable + ".2=n:"),
              opened.end());
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_TSEG_ENABLE), 0);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_TSEG_APPLY_PORTS));  // state "2"
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_TSEG_APPLY_STATE));
    ASSERT_EQ(drv.Rows(IDC_TSEG_LIST), 28);
    EXPECT_EQ(drv.Row(IDC_TSEG_LIST, 0), (std::vector<std::string>{"1", "2-28"}));
    EXPECT_EQ(drv.Row(IDC_TSEG_LIST, 1), (std::vector<std::string>{"2", "1,3-28"}));
    EXPECT_EQ(Disabled(drv, 28), 1);
    EXPECT_EQ(dlg.ForwardPorts(1),
              std::optional<std::string>("2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,"
                                         "22,23,24,25,26,27,28"));
    ASSERT_TRUE(drv.Select(IDC_TSEG_FROM_PORT, 2));
    EXPECT_EQ(Disabled(drv, 28), 3);
    EXPECT_FALSE(Box(drv, 3)->isChecked());
    EXPECT_TRUE(Box(drv, 1)->isChecked());

    // Enabling: the state is written alone, then the state and the whole table are read back.
    ASSERT_TRUE(drv.Check(IDC_TSEG_ENABLE, true));
    EXPECT_TRUE(test::Sets(s_sim->Requests()).empty());
    EXPECT_EQ(ClickAndWait(dlg, drv, IDC_TSEG_APPLY_STATE), std::vector<std::string>{"1.0=i:1"});
    const auto log = s_sim->Requests();
    EXPECT_EQ(test::OfKind(log, "get").size(), 1u);
    EXPECT_GE(test::OfKind(log, "getnext").size(), 29u);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_TSEG_APPLY_PORTS));
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(TrafficSeg, ForwardingSetsAreEightOctetsAndNeverHoldThePortItself) {
    s_sim->Set(kState, "i", "1");
    CTrafficSegDlg dlg;
    DialogDriver drv(dlg);
    WaitRefresh(dlg, 1);
    ASSERT_TRUE(drv.Select(IDC_TSEG_FROM_PORT, 1));  // port 2
    ASSERT_TRUE(drv.Click(IDC_TSEG_CLEAR));
    ASSERT_TRUE(drv.Check(IDC_TSEG_CHECK_BASE + 1));
    ASSERT_TRUE(drv.Check(IDC_TSEG_CHECK_BASE + 3));
    EXPECT_EQ(ClickAndWait(dlg, drv, IDC_TSEG_APPLY_PORTS),
              std::vector<std::string>{"2.1.2.2=x:a000000000000000"});
    EXPECT_EQ(test::Sets(s_sim->Requests())[0].principal, "harbour");
    EXPECT_EQ(drv.Row(IDC_TSEG_LIST, 1), (std::vector<std::string>{"2", "1,3"}));
    EXPECT_EQ(Checked(drv, 28), "1,3");

    // Select All leaves the port's own box alone: it is not written into its own set.
    ASSERT_TRUE(drv.Click(IDC_TSEG_SELECT_ALL));
    EXPECT_FALSE(Box(drv, 2)->isChecked());
    EXPECT_EQ(ClickAndWait(dlg, drv, IDC_TSEG_APPLY_PORTS),
              std::vector<std::string>{"2.1.2.2=x:bffffff000000000"});

    // A device set that holds the port itself is shown, and written, without it.
    s_sim->Set(kTable + ".2.4", "x", "ffffffff00000000");
    ASSERT_TRUE(drv.Click(IDC_TSEG_REFRESH));
    WaitRefresh(dlg, 4);
    ASSERT_TRUE(drv.Select(IDC_TSEG_FROM_PORT, 3));
    EXPECT_FALSE(Box(drv, 4)->isChecked());
    EXPECT_EQ(ClickAndWait(dlg, drv, IDC_TSEG_APPLY_PORTS),
              std::vector<std::string>{"2.1.2.4=x:effffff000000000"});

    // A set that splits a trunk (ports 25 and 26) is refused.
    ASSERT_TRUE(drv.Click(IDC_TSEG_CLEAR));
    ASSERT_TRUE(drv.Check(IDC_TSEG_CHECK_BASE + 25));
    boxes.Clear();
    EXPECT_EQ(ClickAndWait(dlg, drv, IDC_TSEG_APPLY_PORTS), std::vector<std::string>{});
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"The link aggregation member port can not be configured."});
    ASSERT_TRUE(drv.Check(IDC_TSEG_CHECK_BASE + 26));
    EXPECT_EQ(ClickAndWait(dlg, drv, IDC_TSEG_APPLY_PORTS),
              std::vector<std::string>{"2.1.2.4=x:000000c000000000"});
}

TEST_F(TrafficSeg, SetsAreKeptByPortNumber) {
    s_sim->Set(kState, "i", "1");
    // No row for port 3; port 5 forwards to port 9 only; rows of ports the device does not have.
    s_sim->Command("unset " + kTable + ".1.3");
    s_sim->Command("unset " + kTable + ".2.3");
    s_sim->Set(kTable + ".2.5", "x", "0080000000000000");
    s_sim->Set(kTable + ".1.30", "i", "30");
    s_sim->Set(kTable + ".2.30", "x", "ffffffffffffffff");
    CTrafficSegDlg dlg;
    DialogDriver drv(dlg);
    WaitRefresh(dlg, 1);
    ASSERT_EQ(drv.Rows(IDC_TSEG_LIST), 27);
    EXPECT_EQ(drv.Row(IDC_TSEG_LIST, 2), (std::vector<std::string>{"4", "1-3,5-28"}));
    EXPECT_EQ(drv.Row(IDC_TSEG_LIST, 3), (std::vector<std::string>{"5", "9"}));
    // Port 4 shows its own set, not the next row's (port 5's).
    ASSERT_TRUE(drv.Select(IDC_TSEG_FROM_PORT, 3));
    EXPECT_EQ(Checked(drv, 28), "1,2,3,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28");
    ASSERT_TRUE(drv.Select(IDC_TSEG_FROM_PORT, 4));
    EXPECT_EQ(Checked(drv, 28), "9");
    // Port 3's set was not read: nothing shown, nothing written.
    ASSERT_TRUE(drv.Select(IDC_TSEG_FROM_PORT, 2));
    EXPECT_EQ(Checked(drv, 28), "");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_TSEG_APPLY_PORTS));
    ASSERT_TRUE(drv.Click(IDC_TSEG_SELECT_ALL));
    EXPECT_EQ(ClickAndWait(dlg, drv, IDC_TSEG_APPLY_PORTS), std::vector<std::string>{});
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(TrafficSeg, ASetMissingOrOfTheWrongTypeIsNotReadAndLendsNoPortAnother) {
    s_sim->Set(kState, "i", "1");
    s_sim->Unset(kTable + ".2.1");          // port 1's set missing
    s_sim->Set(kTable + ".2.3", "i", "5");  // port 3's set of the wrong type
    s_sim->Set(kTable + ".2.4", "x", "0080000000000000");
    CTrafficSegDlg dlg;
    DialogDriver drv(dlg);
    WaitRefresh(dlg, 1);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Failed to read the forwarding ports of ports 1 and 3."});
    ASSERT_EQ(drv.Rows(IDC_TSEG_LIST), 28);
    EXPECT_EQ(drv.Row(IDC_TSEG_LIST, 0), (std::vector<std::string>{"1", ""}));
    EXPECT_EQ(drv.Row(IDC_TSEG_LIST, 1), (std::vector<std::string>{"2", "1,3-28"}));
    EXPECT_EQ(drv.Row(IDC_TSEG_LIST, 2), (std::vector<std::string>{"3", ""}));
    EXPECT_EQ(drv.Row(IDC_TSEG_LIST, 3), (std::vector<std::string>{"4", "9"}));
    EXPECT_EQ(dlg.ForwardPorts(1), std::nullopt);
    EXPECT_EQ(dlg.ForwardPorts(3), std::nullopt);
    // Port 1's boxes are in neither state and cannot be changed; nothing of it is written.
    for (int p = 1; p <= 28; ++p) {
        EXPECT_EQ(Box(drv, p)->checkState(), Qt::PartiallyChecked) << p;
        EXPECT_FALSE(Box(drv, p)->isEnabled()) << p;
    }
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_TSEG_APPLY_PORTS));
    ASSERT_TRUE(drv.Click(IDC_TSEG_SELECT_ALL));
    EXPECT_EQ(Box(drv, 2)->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(ClickAndWait(dlg, drv, IDC_TSEG_APPLY_PORTS), std::vector<std::string>{});
    // Ports 2 and 4 show their own sets.
    ASSERT_TRUE(drv.Select(IDC_TSEG_FROM_PORT, 1));
    EXPECT_EQ(Checked(drv, 28), "1,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28");
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_TSEG_APPLY_PORTS));
    ASSERT_TRUE(drv.Select(IDC_TSEG_FROM_PORT, 3));
    EXPECT_EQ(Checked(drv, 28), "9");
    EXPECT_EQ(Disabled(drv, 28), 4);
}

TEST_F(TrafficSeg, ShortAndLongBitmapsAreReadByTheirLength) {
    s_sim->Set(kState, "i", "1");
    s_sim->Set(kTable + ".2.1", "x", "");
    s_sim->Set(kTable + ".2.2", "x", "ffffff");
    s_sim->Set(kTable + ".2.3", "x", "ffffffffffffffffffffffffff");
    CTrafficSegDlg dlg;
    DialogDriver drv(dlg);
    WaitRefresh(dlg, 1);
    EXPECT_EQ(drv.Row(IDC_TSEG_LIST, 0), (std::vector<std::string>{"1", ""}));
    EXPECT_EQ(drv.Row(IDC_TSEG_LIST, 1), (std::vector<std::string>{"2", "1-24"}));
    EXPECT_EQ(drv.Row(IDC_TSEG_LIST, 2), (std::vector<std::string>{"3", "1-28"}));
    EXPECT_EQ(dlg.ForwardPorts(1), std::optional<std::string>(""));
    ASSERT_TRUE(drv.Select(IDC_TSEG_FROM_PORT, 1));
    EXPECT_EQ(Checked(drv, 28), "1,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24");
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(TrafficSeg, FailedReadsAndRefusedWritesAreTold) {
    // A state that cannot be read is not shown as enabled, and neither Apply is offered.
    s_sim->Set(kState, "i", "1");
    s_sim->ErrorStatus(kState, 5);
    CTrafficSegDlg dlg;
    DialogDriver drv(dlg);
    WaitRefresh(dlg, 1);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the traffic segmentation state."});
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_TSEG_ENABLE), 0);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_TSEG_APPLY_PORTS));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_TSEG_APPLY_STATE));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_TSEG_REFRESH));
    s_sim->ErrorStatus(kState, 0);
    boxes.Clear();
    ASSERT_TRUE(drv.Click(IDC_TSEG_REFRESH));
    WaitRefresh(dlg, 2);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_TSEG_ENABLE), 1);

    // A refused forwarding set, then a refused state: each told, the device's values read again.
    s_sim->ErrorStatus(kTable + ".2.1", 5);
    ASSERT_TRUE(drv.Click(IDC_TSEG_CLEAR));
    EXPECT_EQ(ClickAndWait(dlg, drv, IDC_TSEG_APPLY_PORTS),
              std::vector<std::string>{"2.1.2.1=x:0000000000000000"});
    // The read-back meets the refusing row too: the strip stays as it was until a read succeeds.
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{
                  "Failed to write the forwarding ports of port 1: the device did not accept them.",
                  "Failed to read the forwarding port table."}));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_TSEG_APPLY_PORTS));
    s_sim->ErrorStatus(kTable + ".2.1", 0);
    ASSERT_TRUE(drv.Click(IDC_TSEG_REFRESH));
    WaitRefresh(dlg, 4);
    EXPECT_EQ(Checked(drv, 28).substr(0, 6), "2,3,4,");
    s_sim->ErrorStatus(kState, 3);
    boxes.Clear();
    ASSERT_TRUE(drv.Check(IDC_TSEG_ENABLE, false));
    EXPECT_EQ(ClickAndWait(dlg, drv, IDC_TSEG_APPLY_STATE), std::vector<std::string>{"1.0=i:2"});
    EXPECT_EQ(boxes.Texts()[0],
              "Failed to write the traffic segmentation state: the device did not accept it.");
    s_sim->ErrorStatus(kState, 0);

    // A silent switch: one message naming every read that failed; Refresh stays usable.
    test::UseSimV1(*s_sim, "400");
    s_sim->Silence(true);
    boxes.Clear();
    ASSERT_TRUE(drv.Click(IDC_TSEG_REFRESH));
    WaitRefresh(dlg, 6);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Failed to read the traffic segmentation state, the forwarding "
                                       "port table and the link aggregation groups."});
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_TSEG_REFRESH));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_TSEG_APPLY_PORTS));
}

void SavePictures(const char* ports, int count) {
    const QFont normal = QApplication::font();
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/security";
    QDir().mkpath(dir);
    for (double scale : {1.0, 1.5}) {
        QFont font = normal;
        font.setPointSizeF(normal.pointSizeF() * scale);
        QApplication::setFont(font);
        CTrafficSegDlg dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(WaitUntil([&] { return dlg.RefreshesEnded() >= 1; }));
        test::PumpEvents();
        EXPECT_EQ(test::SettledLookProblems(&dlg), std::vector<std::string>{});
        // Every box of the strip is on screen, inside the dialog.
        for (int p = 1; p <= count; ++p) {
            QWidget* box = drv.Item(IDC_TSEG_CHECK_BASE + p);
            ASSERT_NE(box, nullptr);
            const QRect r(box->mapTo(&dlg, QPoint(0, 0)), box->size());
            EXPECT_TRUE(dlg.rect().contains(r)) << p;
        }
        const QString file =
            QString("%1/traffic_seg_%2_%3.png").arg(dir, ports, scale == 1.0 ? "1x" : "1.5x");
        EXPECT_TRUE(test::GrabScreenshot(&dlg, file.toStdString()));
    }
    QApplication::setFont(normal);
}

TEST_F(TrafficSeg, Pictures) {
    SavePictures("28", 28);
}

class TrafficSeg52 : public TrafficSeg {
public:
    static void SetUpTestSuite() {
        SnmpInit();
        StartSim({"ksx-4200-52", {}});
    }

protected:
    void SetUp() override {
        TrafficSeg::SetUp();
        g_nPortNum = 52;
    }
};

TEST_F(TrafficSeg52, TwoRowsOfTwentySixAndTwelveOctetBitmaps) {
    s_sim->Set(kState, "i", "1");
    CTrafficSegDlg dlg;
    DialogDriver drv(dlg);
    WaitRefresh(dlg, 1);
    ASSERT_EQ(drv.Rows(IDC_TSEG_LIST), 52);
    EXPECT_EQ(drv.Row(IDC_TSEG_LIST, 51), (std::vector<std::string>{"52", "1-51"}));
    // Port 27 starts the second row at the left, below port 1.
    QWidget* first = drv.Item(IDC_TSEG_LABEL_BASE + 1);
    QWidget* second = drv.Item(IDC_TSEG_LABEL_BASE + 27);
    EXPECT_EQ(second->x(), first->x());
    EXPECT_GT(second->y(), first->y());
    EXPECT_EQ(drv.Item(IDC_TSEG_LABEL_BASE + 26)->y(), first->y());

    ASSERT_TRUE(drv.Select(IDC_TSEG_FROM_PORT, 1));
    ASSERT_TRUE(drv.Click(IDC_TSEG_CLEAR));
    ASSERT_TRUE(drv.Check(IDC_TSEG_CHECK_BASE + 1));
    ASSERT_TRUE(drv.Check(IDC_TSEG_CHECK_BASE + 3));
    EXPECT_EQ(ClickAndWait(dlg, drv, IDC_TSEG_APPLY_PORTS),
              std::vector<std::string>{"2.1.2.2=x:a00000000000000000000000"});
    ASSERT_TRUE(drv.Select(IDC_TSEG_FROM_PORT, 0));
    ASSERT_TRUE(drv.Click(IDC_TSEG_CLEAR));
    ASSERT_TRUE(drv.Check(IDC_TSEG_CHECK_BASE + 52));
    EXPECT_EQ(ClickAndWait(dlg, drv, IDC_TSEG_APPLY_PORTS),
              std::vector<std::string>{"2.1.2.1=x:000000000000100000000000"});
    EXPECT_EQ(boxes.Count(), 0u);
    SavePictures("52", 52);
}

}  // namespace
