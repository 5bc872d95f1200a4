// PoE port settings dialog against the simulated 28P switch: the list and the Time Range box as read,
// the form following the list, the range boxes, Apply with the class and the user-defined limit paths,
// one request per port, more time profiles than the table's eight, closing while a walk runs.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QHeaderView>
#include <QTest>
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "controls/ListCtrl.h"
#include "features/port_system/POEConfigDlg.h"
#include "platform/sys/Globals.h"
#include "platform/sys/Tunable.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_poe_syslog.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/LookCheck.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using ksx::test::DialogDriver;
using ksx::test::SimRequest;
using ksx::test::WaitUntil;

const std::string kPort = "1.3.6.1.4.1.7393.10.76.20.1.22.1.1";
const std::string kProfile = "1.3.6.1.4.1.7393.10.76.20.1.32.1.1";

std::string Col(int column, int port) {
    return kPort + "." + std::to_string(column) + ".1." + std::to_string(port);
}

// Requests as "pdu oid=type:value ..." lines.
const auto& Lines = test::RequestLines;

using test::Sets;

// The set request of one port as a line.
std::string SetLine(int port, const std::string& state, const std::string& range, const std::string& priority,
                    const std::string& limitTail) {
    return "set " + Col(3, port) + "=i:" + state + " " + Col(4, port) + "=i:" + range + " " + Col(5, port) +
           "=i:" + priority + " " + limitTail;
}
std::string ClassTail(int port, const std::string& cls) {
    return Col(7, port) + "=i:2 " + Col(6, port) + "=i:" + cls;
}
std::string UserTail(int port, const std::string& watts) {
    return Col(7, port) + "=i:1 " + Col(8, port) + "=s:" + watts;
}

const std::string kProfileWalk = "getnext " + kProfile + ".1=n: " + kProfile + ".2=n:";
std::string PortWalkStart() {
    std::string line = "getnext";
    for (int c : {3, 4, 5, 6, 9, 10, 11, 12, 13, 7, 8}) {
        line += " " + kPort + "." + std::to_string(c) + "=n:";
    }
    return line;
}

class POEConfig : public test::SimTest {
protected:
    POEConfig() : SimTest({"ksx-4200-28p", {}}, "1000") {}
    void SetUp() override { SetProfiles({{1, "Night"}, {2, "Weekend"}, {5, "Holiday"}}); }
    Tunable::Override fastPorts{"poe.port-pause-ms", 10};

    // Replaces the device's time profiles (index, name).
    void SetProfiles(const std::vector<std::pair<int, std::string>>& profiles) {
        for (int index = 1; index <= 12; ++index) {
            for (int c = 1; c <= 21; ++c) {
                sim.Command("unset " + kProfile + "." + std::to_string(c) + "." + std::to_string(index));
            }
        }
        for (const auto& [index, name] : profiles) {
            std::string suffix = ".";
            suffix += std::to_string(index);
            sim.Set(kProfile + ".1" + suffix, "i", std::to_string(index));
            sim.Set(kProfile + ".2" + suffix, "s", name);
            sim.Set(kProfile + ".21" + suffix, "i", "1");
        }
    }

    static CListCtrl* List(CPOEConfigDlg& dlg) {
        return static_cast<CListCtrl*>(dlg.GetDlgItem(IDC_POE_LIST));
    }
    static std::string Cell(CPOEConfigDlg& dlg, int row, int column) {
        return List(dlg)->GetItemText(row, column).toStdString();
    }
    static std::vector<std::string> Row(CPOEConfigDlg& dlg, int row) {
        std::vector<std::string> out;
        for (int c = 0; c < 10; ++c) {
            out.push_back(Cell(dlg, row, c));
        }
        return out;
    }
    static QComboBox* Box(CPOEConfigDlg& dlg, int id) { return dlg.Item<QComboBox>(id); }
    static std::vector<std::string> Items(CPOEConfigDlg& dlg, int id) {
        std::vector<std::string> out;
        for (int i = 0; i < Box(dlg, id)->count(); ++i) {
            out.push_back(Box(dlg, id)->itemText(i).toStdString());
        }
        return out;
    }
    // Waits until the port walk number `walks` ended (the buttons are enabled again then).
    // The range write runs off the window's thread: waits for its end.
    static void WaitWrite(CPOEConfigDlg& dlg) {
        ASSERT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }, 60000));
    }
    static void WaitPortWalk(CPOEConfigDlg& dlg, int walks = 1) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.PortWalksEnded() >= walks; }));
        EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_POE_REFRESH));
        EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_POE_APPLY));
    }
    static void ClickRow(CPOEConfigDlg& dlg, int row) {
        CListCtrl* list = List(dlg);
        list->scrollToItem(list->item(row, 0));
        const QRect r = list->visualRect(list->model()->index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
        test::PumpEvents();
    }

    test::ScriptedMessageBox boxes;
};

// At a 1.5 times larger font the columns are as wide as their texts need at that font, not grown
// twice (once by the dialog measuring at the font, once more by the list scaling it).
TEST_F(POEConfig, ColumnsFitTheirTextsAtALargerFont) {
    test::ScaledFont larger(1.5);
    CPOEConfigDlg dlg;
    DialogDriver drv(dlg);
    WaitPortWalk(dlg);
    test::SettleLists(&dlg);
    CListCtrl* list = List(dlg);
    const int needed = list->GetStringWidth("Classification") + 15;
    EXPECT_EQ(list->GetColumnWidth(8), needed);
    EXPECT_LT(list->columnWidth(8), needed * 5 / 4) << list->columnWidth(8) << " for " << needed;
}

TEST_F(POEConfig, OpensWithProfilesAndEveryPoePort) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(ID_MENU_POE_PORT));  // the menu command opens it
    sim.Set(Col(4, 10), "i", "5");                                       // the third profile
    sim.Set(Col(4, 11), "i", "3");                                       // no such profile
    CPOEConfigDlg dlg;
    DialogDriver drv(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "PoE Configuration");
    WaitPortWalk(dlg);

    EXPECT_EQ(Items(dlg, IDC_POE_TIME_RANGE),
              (std::vector<std::string>{"N/A", "Night", "Weekend", "Holiday"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POE_TIME_RANGE), "N/A");
    EXPECT_EQ(dlg.TimeRangeIds(), (std::vector<int>{1, 2, 5}));

    CListCtrl* list = List(dlg);
    ASSERT_EQ(list->GetColumnCount(), 10);
    const char* headings[] = {"Index",      "State",        "Time Range",    "Priority",       "Power Limit",
                              "Power\n(W)", "Voltage\n(V)", "Current\n(mA)", "Classification", "Status"};
    for (int c = 0; c < 10; ++c) {
        const QString heading = list->horizontalHeaderItem(c)->text();
        EXPECT_EQ(heading.toStdString(), headings[c]);
        // Heading plus 15 pixels; two-line headings by their wider line, State and Status by their texts.
        int width = 0;
        for (const QString& line : heading.split('\n')) {
            width = std::max(width, list->GetStringWidth(line));
        }
        if (c == 1) {
            width = std::max(width, list->GetStringWidth("Disable"));
        }
        if (c == 9) {
            width = std::max(width, list->GetStringWidth("Time-based OFF"));
        }
        EXPECT_EQ(list->GetColumnWidth(c), width + 15) << headings[c];
    }
    ASSERT_EQ(list->GetItemCount(), 24);
    EXPECT_EQ(Row(dlg, 0), (std::vector<std::string>{"1", "Enable", "N/A", "Normal", "Auto", "6.2", "53.5",
                                                     "116", "class 2", "POWER ON"}));
    EXPECT_EQ(Row(dlg, 1)[3], "High");
    EXPECT_EQ(Row(dlg, 2)[2], "Night");
    EXPECT_EQ(Row(dlg, 3)[4], "15.4");  // user-defined limit
    EXPECT_EQ(Row(dlg, 5)[1], "Disable");
    EXPECT_EQ(Row(dlg, 5)[9], "POWER OFF");
    EXPECT_EQ(Row(dlg, 6)[4], "Class 3");
    EXPECT_EQ(Row(dlg, 8)[3], "Low");
    EXPECT_EQ(Row(dlg, 8)[4], "Class 1");
    EXPECT_EQ(Row(dlg, 9)[2], "Holiday");
    EXPECT_EQ(Row(dlg, 10)[2], "");
    EXPECT_EQ(Row(dlg, 23)[0], "24");

    // The boxes as initialised.
    std::vector<std::string> ports;
    for (int p = 1; p <= 24; ++p) {
        ports.push_back(std::to_string(p));
    }
    EXPECT_EQ(Items(dlg, IDC_POE_FROM_PORT), ports);
    EXPECT_EQ(Items(dlg, IDC_POE_TO_PORT), ports);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POE_FROM_PORT), "1");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POE_TO_PORT), "24");
    EXPECT_EQ(Items(dlg, IDC_POE_STATE), (std::vector<std::string>{"Enable", "Disable"}));
    EXPECT_EQ(Items(dlg, IDC_POE_PRIORITY), (std::vector<std::string>{"Low", "Normal", "High"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POE_PRIORITY), "Normal");
    EXPECT_EQ(Items(dlg, IDC_POE_POWER_LIMIT),
              (std::vector<std::string>{"Auto", "Class 1", "Class 2", "Class 3", "Class 4"}));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_POE_LIMIT));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POE_USER_DEFINE), "User Define");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POE_UNIT_LABEL), "(1~30w) ");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POE_FROM_LABEL), "Form Port");

    // Profile names first, then the port table, read-only with the read community.
    const auto log = sim.Requests();
    const auto lines = Lines(log);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], kProfileWalk);
    auto first = std::find(lines.begin(), lines.end(), PortWalkStart());
    ASSERT_NE(first, lines.end());
    for (const SimRequest& r : log) {
        EXPECT_EQ(r.pdu, "getnext");
        EXPECT_EQ(r.principal, "quaint");
    }

    ClickRow(dlg, 3);
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/poe_syslog";
    QDir().mkpath(dir);
    EXPECT_TRUE(test::GrabScreenshot(&dlg, (dir + "/poe_port_settings.png").toStdString()));
}

TEST_F(POEConfig, FormFollowsTheListAndTheRangeBoxes) {
    CPOEConfigDlg dlg;
    DialogDriver drv(dlg);
    WaitPortWalk(dlg);

    ClickRow(dlg, 2);  // port 3: Night, Normal, Auto
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POE_FROM_PORT), "3");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POE_TO_PORT), "3");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POE_STATE), "Enable");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POE_TIME_RANGE), "Night");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POE_PRIORITY), "Normal");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POE_POWER_LIMIT), "Auto");

    // A user-defined limit selects no Power Limit item; the check box and field stay as they were.
    ClickRow(dlg, 3);
    EXPECT_EQ(Box(dlg, IDC_POE_POWER_LIMIT)->currentIndex(), -1);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POE_TIME_RANGE), "N/A");
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_POE_USER_DEFINE), 0);

    // The arrow keys take the row they lead to.
    CListCtrl* list = List(dlg);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);  // row 4: port 5
    test::PumpEvents();
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POE_FROM_PORT), "5");
    QTest::keyClick(list, Qt::Key_Down);  // row 5: port 6, disabled
    test::PumpEvents();
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POE_FROM_PORT), "6");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POE_STATE), "Disable");
    QTest::keyClick(list, Qt::Key_Up);
    test::PumpEvents();
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POE_FROM_PORT), "5");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POE_STATE), "Enable");

    // Up on the first row and Down on the last change nothing.
    ClickRow(dlg, 0);
    ASSERT_TRUE(drv.Select(IDC_POE_PRIORITY, 2));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Up);
    test::PumpEvents();
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POE_FROM_PORT), "1");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POE_PRIORITY), "High");
    ClickRow(dlg, 23);
    ASSERT_TRUE(drv.Select(IDC_POE_PRIORITY, 0));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    test::PumpEvents();
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POE_FROM_PORT), "24");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POE_PRIORITY), "Low");

    // From Port carries To Port along; a To Port below it is refused and reset.
    ASSERT_TRUE(drv.Select(IDC_POE_FROM_PORT, 4));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POE_TO_PORT), "5");
    boxes.Answer(IDOK);
    ASSERT_TRUE(drv.Select(IDC_POE_TO_PORT, 2));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"'To Port' can not be smaller than 'From Port'"});
    EXPECT_EQ(dlg.GetDlgItemText(IDC_POE_TO_PORT), "5");

    // User Define swaps the class box for the limit field.
    ASSERT_TRUE(drv.Check(IDC_POE_USER_DEFINE, true));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_POE_POWER_LIMIT));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_POE_LIMIT));
    ASSERT_TRUE(drv.Check(IDC_POE_USER_DEFINE, false));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_POE_POWER_LIMIT));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_POE_LIMIT));
    EXPECT_TRUE(Sets(sim.Requests()).empty());
}

TEST_F(POEConfig, ApplyWithAClassSendsOneRequestPerPortThenRereads) {
    CPOEConfigDlg dlg;
    DialogDriver drv(dlg);
    WaitPortWalk(dlg);
    sim.ClearLog();

    ASSERT_TRUE(drv.Select(IDC_POE_FROM_PORT, 4));  // 5
    ASSERT_TRUE(drv.Select(IDC_POE_TO_PORT, 5));    // 6
    ASSERT_TRUE(drv.Select(IDC_POE_STATE, 1));
    ASSERT_TRUE(drv.Select(IDC_POE_PRIORITY, 2));
    ASSERT_TRUE(drv.SelectText(IDC_POE_TIME_RANGE, "Holiday"));
    ASSERT_TRUE(drv.SelectText(IDC_POE_POWER_LIMIT, "Class 2"));
    ASSERT_TRUE(drv.Click(IDC_POE_APPLY));
    WaitWrite(dlg);
    WaitPortWalk(dlg, 2);

    const auto lines = Lines(sim.Requests());
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], SetLine(5, "2", "5", "3", ClassTail(5, "3")));
    EXPECT_EQ(lines[1], SetLine(6, "2", "5", "3", ClassTail(6, "3")));
    EXPECT_EQ(lines[2], PortWalkStart());
    EXPECT_EQ(sim.Requests()[0].principal, "harbour");
    EXPECT_EQ(Row(dlg, 4)[1], "Disable");
    EXPECT_EQ(Row(dlg, 4)[2], "Holiday");
    EXPECT_EQ(Row(dlg, 5)[3], "High");
    EXPECT_EQ(Row(dlg, 5)[4], "Class 2");
    EXPECT_EQ(Row(dlg, 6)[1], "Enable");  // port 7 untouched

    // "N/A" writes 0; the class items map to 1 to 5.
    sim.ClearLog();
    ASSERT_TRUE(drv.Select(IDC_POE_FROM_PORT, 2));  // 3, which has profile 1
    ASSERT_TRUE(drv.Select(IDC_POE_STATE, 0));
    ASSERT_TRUE(drv.Select(IDC_POE_PRIORITY, 0));
    ASSERT_TRUE(drv.Select(IDC_POE_TIME_RANGE, 0));
    ASSERT_TRUE(drv.SelectText(IDC_POE_POWER_LIMIT, "Class 4"));
    ASSERT_TRUE(drv.Click(IDC_POE_APPLY));
    WaitWrite(dlg);
    WaitPortWalk(dlg, 3);
    EXPECT_EQ(Lines(Sets(sim.Requests())),
              std::vector<std::string>{SetLine(3, "1", "0", "1", ClassTail(3, "5"))});
    EXPECT_EQ(Row(dlg, 2)[2], "N/A");
    EXPECT_EQ(Row(dlg, 2)[4], "Class 4");
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(POEConfig, UserDefinedLimitRules) {
    CPOEConfigDlg dlg;
    DialogDriver drv(dlg);
    WaitPortWalk(dlg);
    ASSERT_TRUE(drv.Select(IDC_POE_FROM_PORT, 0));
    ASSERT_TRUE(drv.Check(IDC_POE_USER_DEFINE, true));

    const std::string range = "The User Defined power limit ranges between 1.0 ~ 30.0";
    const std::string step = "The per-port power limit must be a multiple of 0.2";
    struct Case {
        const char* typed;
        const char* message;  // null: accepted
    };
    // Trailing text is refused rather than written as typed.
    const Case cases[] = {
        {"30", nullptr},         {"1.0", nullptr},       {"15.4", nullptr},        {"29.8", nullptr},
        {"0.2", range.c_str()},  {"15.5", step.c_str()}, {"15.41", step.c_str()},  {"0.8", range.c_str()},
        {"30.2", range.c_str()}, {"", range.c_str()},    {"15.4W", range.c_str()}, {"abc", range.c_str()},
        {"-2", range.c_str()},   {"1e1", range.c_str()},
    };
    int walks = dlg.PortWalksEnded();
    for (const Case& c : cases) {
        boxes.Clear();
        sim.ClearLog();
        ASSERT_TRUE(drv.Type(IDC_POE_LIMIT, c.typed));
        ASSERT_TRUE(drv.Click(IDC_POE_APPLY));
        WaitWrite(dlg);
        WaitPortWalk(dlg, ++walks);  // the table is read again either way
        const auto lines = Lines(sim.Requests());
        ASSERT_FALSE(lines.empty()) << c.typed;
        if (c.message == nullptr) {
            EXPECT_TRUE(boxes.Texts().empty()) << c.typed;
            EXPECT_EQ(lines[0], SetLine(1, "1", "0", "2", UserTail(1, c.typed))) << c.typed;
            EXPECT_EQ(Row(dlg, 0)[4], c.typed);
            EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_POE_POWER_LIMIT));
        } else {
            EXPECT_EQ(boxes.Texts(), std::vector<std::string>{c.message}) << c.typed;
            EXPECT_TRUE(Sets(sim.Requests()).empty()) << c.typed;
            EXPECT_EQ(lines[0], PortWalkStart()) << c.typed;
        }
    }

    // A refused limit stops the whole range before the first port.
    sim.ClearLog();
    boxes.Clear();
    ASSERT_TRUE(drv.Select(IDC_POE_TO_PORT, 5));
    ASSERT_TRUE(drv.Type(IDC_POE_LIMIT, "31"));
    ASSERT_TRUE(drv.Click(IDC_POE_APPLY));
    WaitWrite(dlg);
    WaitPortWalk(dlg, ++walks);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{range});
    EXPECT_TRUE(Sets(sim.Requests()).empty());
}

TEST_F(POEConfig, FullRangeIsTwentyFourRequestsInPortOrder) {
    CPOEConfigDlg dlg;
    DialogDriver drv(dlg);
    WaitPortWalk(dlg);
    sim.ClearLog();
    ASSERT_TRUE(drv.Check(IDC_POE_USER_DEFINE, true));
    ASSERT_TRUE(drv.Type(IDC_POE_LIMIT, "12.2"));
    ASSERT_TRUE(drv.SelectText(IDC_POE_TIME_RANGE, "Weekend"));
    ASSERT_TRUE(drv.Click(IDC_POE_APPLY));
    WaitWrite(dlg);
    WaitPortWalk(dlg, 2);
    const auto sets = Lines(Sets(sim.Requests()));
    ASSERT_EQ(sets.size(), 24u);
    for (int p = 1; p <= 24; ++p) {
        EXPECT_EQ(sets[static_cast<size_t>(p - 1)], SetLine(p, "1", "2", "2", UserTail(p, "12.2")));
    }
    for (int r = 0; r < 24; ++r) {
        EXPECT_EQ(Row(dlg, r)[2], "Weekend");
        EXPECT_EQ(Row(dlg, r)[4], "12.2");
    }
}

TEST_F(POEConfig, UnansweredWriteStopsTheRange) {
    Tunable::Override quickAnswer("poe.set-timeout-ms", 300);
    CPOEConfigDlg dlg;
    DialogDriver drv(dlg);
    WaitPortWalk(dlg);
    ASSERT_TRUE(drv.Select(IDC_POE_FROM_PORT, 0));
    ASSERT_TRUE(drv.Select(IDC_POE_TO_PORT, 5));
    sim.ClearLog();
    sim.Silence(true);
    ASSERT_TRUE(drv.Click(IDC_POE_APPLY));
    WaitWrite(dlg);
    // The first port's write goes unanswered: the other five would wait just as long.
    EXPECT_EQ(Lines(Sets(sim.Requests())),
              std::vector<std::string>{SetLine(1, "1", "0", "2", ClassTail(1, "1"))});
    sim.Silence(false);
    WaitPortWalk(dlg, 2);  // the table is read again
    // The user learns which port the device may have written and which kept their settings.
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"The device did not answer: it did not confirm whether port 1 was "
                                       "written; ports 2-6 were not written."});
}

TEST_F(POEConfig, RefusedWriteStopsTheRangeAndIsSaid) {
    CPOEConfigDlg dlg;
    DialogDriver drv(dlg);
    WaitPortWalk(dlg);
    ASSERT_TRUE(drv.Select(IDC_POE_FROM_PORT, 0));
    ASSERT_TRUE(drv.Select(IDC_POE_TO_PORT, 5));
    sim.RefuseWrites(Col(3, 2), 10);
    sim.ClearLog();
    ASSERT_TRUE(drv.Click(IDC_POE_APPLY));
    WaitWrite(dlg);
    sim.RefuseWrites(Col(3, 2), 0);
    EXPECT_EQ(Sets(sim.Requests()).size(), 2u);  // port 1 written, port 2 refused, nothing after it
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{
                  "The device did not accept the PoE settings of port 2. 1 of 6 ports were written; ports "
                  "3-6 were not written."});
    WaitPortWalk(dlg, 2);
}

TEST_F(POEConfig, MoreProfilesThanTheTableHoldsAreKept) {
    std::vector<std::pair<int, std::string>> many;
    for (int i = 1; i <= 11; ++i) {
        many.emplace_back(i, "Profile " + std::to_string(i));
    }
    SetProfiles(many);
    sim.Set(Col(4, 2), "i", "11");
    CPOEConfigDlg dlg;
    DialogDriver drv(dlg);
    WaitPortWalk(dlg);
    EXPECT_EQ(Box(dlg, IDC_POE_TIME_RANGE)->count(), 12);
    EXPECT_EQ(dlg.TimeRangeIds().size(), 11u);
    EXPECT_EQ(Row(dlg, 1)[2], "Profile 11");

    // Refresh starts over: the same names once, not twice.
    ASSERT_TRUE(drv.Click(IDC_POE_REFRESH));
    WaitPortWalk(dlg, 2);
    EXPECT_EQ(Box(dlg, IDC_POE_TIME_RANGE)->count(), 12);
    EXPECT_EQ(dlg.TimeRangeNames().size(), 11u);

    sim.ClearLog();
    ASSERT_TRUE(drv.Select(IDC_POE_FROM_PORT, 0));
    ASSERT_TRUE(drv.Select(IDC_POE_TO_PORT, 0));
    ASSERT_TRUE(drv.SelectText(IDC_POE_TIME_RANGE, "Profile 10"));
    ASSERT_TRUE(drv.Click(IDC_POE_APPLY));
    WaitWrite(dlg);
    WaitPortWalk(dlg, 3);
    EXPECT_EQ(Lines(Sets(sim.Requests())),
              std::vector<std::string>{SetLine(1, "1", "10", "2", ClassTail(1, "1"))});
}

TEST_F(POEConfig, FailedProfileWalkLeavesThePortTableUnread) {
    sim.ErrorStatus(kProfile + ".1", 5);
    CPOEConfigDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return dlg.TimeRangeWalksEnded() == 1; }));
    EXPECT_EQ(List(dlg)->GetItemCount(), 0);
    EXPECT_EQ(Items(dlg, IDC_POE_TIME_RANGE), std::vector<std::string>{"N/A"});
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_POE_REFRESH));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_POE_APPLY));
    EXPECT_EQ(Lines(sim.Requests()), std::vector<std::string>{kProfileWalk});

    sim.ErrorStatus(kProfile + ".1", 0);
    ASSERT_TRUE(drv.Click(IDC_POE_REFRESH));
    WaitPortWalk(dlg);
    EXPECT_EQ(List(dlg)->GetItemCount(), 24);
}

TEST_F(POEConfig, ClosingWhileThePortWalkWaitsEndsPromptly) {
    CPOEConfigDlg dlg;
    DialogDriver drv(dlg);
    WaitPortWalk(dlg);
    sim.DelayMs(300);
    ASSERT_TRUE(drv.Click(IDC_POE_REFRESH));
    ASSERT_TRUE(sim.WaitForRequests([](const std::vector<SimRequest>& log) {
        for (const SimRequest& r : log) {
            if (r.varbinds.size() == 11) {
                return true;
            }
        }
        return false;
    }));
    const int rows = List(dlg)->GetItemCount();
    ASSERT_TRUE(drv.Click(IDC_POE_CLOSE));
    ASSERT_TRUE(drv.WaitEnded(1500));
    EXPECT_EQ(drv.Result(), IDCANCEL);
    EXPECT_EQ(List(dlg)->GetItemCount(), rows);
    sim.DelayMs(0);
}

}  // namespace
