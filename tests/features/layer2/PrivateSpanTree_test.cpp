// The spanning tree port table and port editor against the simulated switch: spanning tree switched off
// on loopback-detection ports when the table opens, the walk and its cells, the editor's write (an
// automatic cost stays automatic, unselected lists and an empty priority are left out, the priority as
// a number), its refusals keeping it open, and Port Config unavailable without rows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QTimer>
#include <string>
#include <vector>

#include "controls/ListCtrl.h"
#include "features/layer2/PrivateSpanTPort.h"
#include "features/layer2/PrivateSpanTree.h"
#include "platform/snmplib/Snmp.h"
#include "platform/ui/Text.h"
#include "res/ids_stp.h"
#include "tests/features/StepRunTest.h"
#include "tests/features/layer2/SpanTreeTestSupport.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::DialogDriver;

const std::string T = "1.3.6.1.4.1.7393.10.76.20.1.6.2.1";
const std::string kLbdState = "1.3.6.1.4.1.7393.10.76.20.1.17.5.1.2";
const std::string& kTrunkMembers = test::kStpTrunkMembers;

// The first binding of each request, as "pdu oid".
std::vector<std::string> Firsts(const std::vector<test::SimRequest>& log) {
    std::vector<std::string> out;
    for (const test::SimRequest& r : log) {
        out.push_back(r.pdu + " " + (r.varbinds.empty() ? std::string() : r.varbinds[0].oid));
    }
    return out;
}

class StpPorts : public test::StpSimTest {
protected:
    void TearDown() override {
        s_sim->ErrorStatus(T + ".1", 0);
        s_sim->ErrorStatus(T + ".1.2", 0);
        s_sim->ErrorStatus(T + ".5.1", 0);
        s_sim->ErrorStatus(kTrunkMembers, 0);
        SharedSimTest::TearDown();
    }
    // The table open and read.
    struct Table {
        CPrivateSpanTree dlg;
        DialogDriver drv{dlg};
        explicit Table(bool wait = true) {
            if (wait) {
                EXPECT_TRUE(test::WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_STPT_REFRESH); }));
            }
        }
        std::vector<std::string> Row(int r) const {
            std::vector<std::string> cells;
            for (int c = 0; c < dlg.List()->GetColumnCount(); ++c) {
                cells.push_back(ui::ToStd(dlg.List()->GetItemText(r, c)));
            }
            return cells;
        }
    };
    // The editor on row `row` of the table, its trunk members read.
    struct Editor {
        CPrivateSpanTPort dlg;
        std::unique_ptr<DialogDriver> drv;
        Editor(Table& table, int row) {
            table.dlg.List()->clearSelection();
            table.dlg.List()->SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
            dlg.SetTable(table.dlg.List());
            drv = std::make_unique<DialogDriver>(dlg);
            EXPECT_TRUE(test::WaitUntil([&] { return dlg.TrunksRead(); }));
        }
    };
    static std::vector<std::string> Sets() { return test::SetLines(s_sim->Requests(), T.size()); }

    test::ScriptedMessageBox boxes;
};

TEST_F(StpPorts, OpeningSwitchesLoopbackPortsOffThenWalksTheTable) {
    Table t;
    // Port by port: its loopback detection state, and for port 4, which runs it, the write; then the walk.
    std::vector<std::string> expected;
    for (int port = 1; port <= 28; ++port) {
        expected.push_back("get " + kLbdState + "." + std::to_string(port));
        if (port == 4) {
            expected.push_back("set 1.3.6.1.2.1.17.2.15.1.4.4");
        }
    }
    const auto sent = Firsts(s_sim->DistinctRequests());
    ASSERT_GT(sent.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(sent.begin(), sent.begin() + static_cast<long>(expected.size())),
              expected);
    for (size_t i = expected.size(); i < sent.size(); ++i) {
        EXPECT_EQ(sent[i].substr(0, 8), "getnext ") << i;
    }
    const auto log = s_sim->Requests();
    // One read of each port's loopback detection state, port 4 switched off through the bridge MIB.
    const auto gets = test::OfKind(log, "get");
    ASSERT_EQ(gets.size(), 28u);
    EXPECT_EQ(test::Bindings(gets[0]), std::vector<std::string>{kLbdState + ".1=n:"});
    EXPECT_EQ(test::Bindings(gets[27]), std::vector<std::string>{kLbdState + ".28=n:"});
    EXPECT_EQ(test::SetLines(log, 0), std::vector<std::string>{"1.3.6.1.2.1.17.2.15.1.4.4=i:2"});
    const auto walks = test::OfKind(log, "getnext");
    ASSERT_FALSE(walks.empty());
    std::string columns;
    for (const auto& vb : walks[0].varbinds) {
        columns += vb.oid.substr(T.size()) + " ";
    }
    EXPECT_EQ(columns, ".1 .4 .2 .5 .16 .14 .17 .18 .3 .6 ");

    EXPECT_EQ(t.dlg.GetWindowText(), "Spanning Tree Table");
    EXPECT_EQ(t.dlg.GetDlgItemText(IDC_STPT_ENTRIES), "28");
    std::vector<std::string> headings;
    for (int c = 0; c < t.dlg.List()->GetColumnCount(); ++c) {
        headings.push_back(ui::ToStd(t.dlg.List()->horizontalHeaderItem(c)->text()));
    }
    EXPECT_EQ(headings,
              (std::vector<std::string>{"Port", "State", "Priority", "External Cost ", "Edge", "P2P",
                                        "Restricted Role", "Restricted TCN", "Port Status"}));
    EXPECT_EQ(t.Row(0), (std::vector<std::string>{"1", "Enabled", "128", "AUTO/200000", "Auto", "Auto",
                                                  "False", "False", "Forwarding"}));
    EXPECT_EQ(t.Row(2)[3], "50000");
    EXPECT_EQ(t.Row(3)[1], "Disabled");  // port 4 runs loopback detection
    EXPECT_EQ(t.Row(4)[4], "True");
    EXPECT_EQ(t.Row(10)[8], "Disabled");
    EXPECT_EQ(t.Row(27)[3], "AUTO/20000");
    EXPECT_TRUE(t.dlg.IsDlgItemEnabled(IDC_STPT_PORT_CONFIG));
    EXPECT_FALSE(t.dlg.GetDlgItem(IDC_STPT_BRIDGE_CONFIG)->isVisible());

    const QString dir = test::Layer2ShotDir();
    test::PumpEvents();
    EXPECT_TRUE(test::GrabScreenshot(&t.dlg, (dir + "/stp_port_table.png").toStdString()));
}

TEST_F(StpPorts, EditorKeepsAnAutomaticCostAutomatic) {
    Table t;
    {
        Editor e(t, 0);
        EXPECT_EQ(e.dlg.GetWindowText(), " Port STP Configuration");
        EXPECT_EQ(e.dlg.GetDlgItemText(IDC_STPP_PORT), "1");
        EXPECT_EQ(e.dlg.GetDlgItemText(IDC_STPP_COST), "200000");
        EXPECT_EQ(e.dlg.IsDlgButtonChecked(IDC_STPP_ENABLE), 1);
        EXPECT_EQ(e.dlg.GetDlgItemText(IDC_STPP_MIGRATE), "Disabled");

        const QString dir = test::Layer2ShotDir();
        test::PumpEvents();
        EXPECT_TRUE(test::GrabScreenshot(&e.dlg, (dir + "/stp_port_editor.png").toStdString()));

        s_sim->ClearLog();
        ASSERT_TRUE(e.drv->Click(IDOK));
        ASSERT_TRUE(e.drv->WaitEnded());
        EXPECT_EQ(e.drv->Result(), IDOK);
        EXPECT_EQ(Sets(),
                  std::vector<std::string>{
                      ".4.1=i:1 .2.1=i:128 .5.1=i:0 .18.1=i:2 .12.1=i:2 .14.1=i:2 .17.1=i:2 .16.1=i:2"});
    }
    {
        // A cost the user typed is fixed from then on.
        Editor e(t, 0);
        s_sim->ClearLog();
        e.drv->Type(IDC_STPP_COST, "30000");
        ASSERT_TRUE(e.drv->Click(IDOK));
        ASSERT_TRUE(e.drv->WaitEnded());
        EXPECT_EQ(Sets(),
                  std::vector<std::string>{
                      ".4.1=i:1 .2.1=i:128 .5.1=i:30000 .18.1=i:2 .12.1=i:2 .14.1=i:2 .17.1=i:2 .16.1=i:2"});
    }
}

TEST_F(StpPorts, UnselectedListsAndAnEmptyPriorityAreLeftOut) {
    s_sim->Set(T + ".16.7", "i", "9");  // values the lists do not offer
    s_sim->Set(T + ".14.7", "i", "7");
    Table t;
    EXPECT_EQ(t.Row(6)[4], "9");
    Editor e(t, 6);
    EXPECT_EQ(e.dlg.Item<QComboBox>(IDC_STPP_EDGE)->currentIndex(), -1);
    EXPECT_EQ(e.dlg.Item<QComboBox>(IDC_STPP_P2P)->currentIndex(), -1);
    e.drv->Select(IDC_STPP_PRIORITY, 16);  // the empty item
    s_sim->ClearLog();
    ASSERT_TRUE(e.drv->Click(IDOK));
    ASSERT_TRUE(e.drv->WaitEnded());
    EXPECT_EQ(Sets(), std::vector<std::string>{".4.7=i:1 .5.7=i:0 .18.7=i:2 .12.7=i:2 .17.7=i:2"});
}

TEST_F(StpPorts, ATypedPriorityIsWrittenAsTheNumberItReadsAs) {
    Table t;
    Editor e(t, 1);
    e.drv->Type(IDC_STPP_PRIORITY, "32x");
    s_sim->ClearLog();
    ASSERT_TRUE(e.drv->Click(IDOK));
    ASSERT_TRUE(e.drv->WaitEnded());
    ASSERT_EQ(Sets().size(), 1u);
    EXPECT_EQ(Sets()[0].substr(0, 20), ".4.2=i:1 .2.2=i:32 .");
}

TEST_F(StpPorts, RefusalsAndFailedWritesKeepTheEditorOpen) {
    Table t;
    {
        Editor e(t, 24);  // port 25, a trunk member
        ASSERT_TRUE(e.drv->Click(IDOK));
        EXPECT_EQ(boxes.LastText(),
                  "Cannot add ports with different STP configurations to an aggregated link.");
        test::PumpEvents();
        EXPECT_FALSE(e.drv->Ended());
    }
    {
        Editor e(t, 3);  // port 4 runs loopback detection
        EXPECT_EQ(e.dlg.IsDlgButtonChecked(IDC_STPP_ENABLE), 0);
        e.drv->Check(IDC_STPP_ENABLE, true);
        ASSERT_TRUE(e.drv->Click(IDOK));
        EXPECT_EQ(boxes.LastText(), "STP port 4 can not both support Spanning Tree and LBD-enabled mode");
        e.drv->Type(IDC_STPP_COST, "200000001");
        ASSERT_TRUE(e.drv->Click(IDOK));
        EXPECT_EQ(boxes.LastText(), "Invalid Path Cost(1-200000000)");
        test::PumpEvents();
        EXPECT_FALSE(e.drv->Ended());
        EXPECT_EQ(e.dlg.GetDlgItemText(IDC_STPP_COST), "200000001");  // the user's values stay
        EXPECT_EQ(e.dlg.IsDlgButtonChecked(IDC_STPP_ENABLE), 1);
    }
    {
        Editor e(t, 0);
        s_sim->ErrorStatus(T + ".5.1", 10);
        ASSERT_TRUE(e.drv->Click(IDOK));
        EXPECT_EQ(
            boxes.LastText(),
            "Failed to write the spanning tree settings of port 1: the device did not accept the settings.");
        test::PumpEvents();
        EXPECT_FALSE(e.drv->Ended());
    }
    EXPECT_EQ(boxes.Count(), 4u);
}

TEST_F(StpPorts, EditorWritesOnlyOnceTheTrunkMembersAreKnown) {
    Table t;
    s_sim->ErrorStatus(kTrunkMembers, 5);
    CPrivateSpanTPort ed;
    ed.SetTable(t.dlg.List());
    DialogDriver drv(ed);
    ASSERT_TRUE(boxes.WaitForCount(1));
    EXPECT_EQ(boxes.LastText(), "Failed to read the trunk members.");
    EXPECT_FALSE(ed.IsDlgItemEnabled(IDOK));
    s_sim->ErrorStatus(kTrunkMembers, 0);
    s_sim->ClearLog();
    drv.PressEnter();
    EXPECT_TRUE(Sets().empty());
    EXPECT_FALSE(drv.Ended());
    // Refresh reads them again.
    ASSERT_TRUE(drv.Click(IDC_STPP_REFRESH));
    EXPECT_TRUE(test::WaitUntil([&] { return ed.IsDlgItemEnabled(IDOK); }));
}

// A port state of another type is no state: the editor says so and OK writes nothing (it would switch
// spanning tree off on the port, or change its migration, by a guess).
TEST_F(StpPorts, EditorWritesNothingOverStatesNotRead) {
    Table t;
    s_sim->Set(T + ".4.1", "s", "zz");
    Editor e(t, 0);
    ASSERT_TRUE(boxes.WaitForCount(1));
    EXPECT_EQ(boxes.LastText(), "Failed to read the spanning tree settings of port 1.");
    EXPECT_EQ(e.dlg.GetDlgItemText(IDC_STPP_MIGRATE), "");
    EXPECT_EQ(e.dlg.IsDlgButtonChecked(IDC_STPP_ENABLE), 0);
    s_sim->ClearLog();
    e.drv->Click(IDOK);
    EXPECT_TRUE(Sets().empty());
    EXPECT_FALSE(e.drv->Ended());
}

TEST_F(StpPorts, PortConfigNeedsARow) {
    s_sim->ErrorStatus(T + ".1", 5);
    Table t;
    EXPECT_EQ(t.dlg.List()->GetItemCount(), 0);
    EXPECT_FALSE(t.dlg.IsDlgItemEnabled(IDC_STPT_PORT_CONFIG));
    EXPECT_TRUE(t.dlg.IsDlgItemEnabled(IDC_STPT_REFRESH));
}

TEST_F(StpPorts, OneRowTableSwapsTheStepButtons) {
    s_sim->ErrorStatus(T + ".1.2", 5);  // the walk ends after port 1
    Table t;
    ASSERT_EQ(t.dlg.List()->GetItemCount(), 1);
    EXPECT_TRUE(t.dlg.IsDlgItemEnabled(IDC_STPT_REFRESH));
    Editor e(t, 0);
    EXPECT_FALSE(e.dlg.IsDlgItemEnabled(IDC_STPP_PREV));
    EXPECT_TRUE(e.dlg.IsDlgItemEnabled(IDC_STPP_NEXT));
    ASSERT_TRUE(e.drv->Click(IDC_STPP_NEXT));
    EXPECT_EQ(e.dlg.GetDlgItemText(IDC_STPP_PORT), "1");
    EXPECT_TRUE(e.dlg.IsDlgItemEnabled(IDC_STPP_PREV));
    EXPECT_FALSE(e.dlg.IsDlgItemEnabled(IDC_STPP_NEXT));
}

TEST_F(StpPorts, PortConfigRunsTheEditorAndReadsAgainAfterOk) {
    Table t;
    t.dlg.List()->SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    bool sawEditor = false;
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(test::WaitUntil([] { return QApplication::activeModalWidget() != nullptr; }));
        auto* ed = dynamic_cast<CPrivateSpanTPort*>(QApplication::activeModalWidget());
        ASSERT_NE(ed, nullptr);
        sawEditor = ed->GetDlgItemText(IDC_STPP_PORT) == "3";
        ASSERT_TRUE(test::WaitUntil([&] { return ed->IsDlgItemEnabled(IDOK); }));
        s_sim->ClearLog();
        ed->DispatchCommand(IDOK);
    });
    ASSERT_TRUE(t.drv.Click(IDC_STPT_PORT_CONFIG));
    EXPECT_TRUE(sawEditor);
    EXPECT_EQ(Sets().size(), 1u);
    // The table reads again.
    EXPECT_TRUE(test::WaitUntil([] { return !test::OfKind(s_sim->Requests(), "getnext").empty(); }));
    EXPECT_TRUE(test::WaitUntil([&] { return t.dlg.GetDlgItemText(IDC_STPT_ENTRIES) == "28"; }));
}

// ---- A slow device: the loopback pass runs off the window's thread ----

// The requests of the pass up to port `last`: each port's read, and port 4's write.
std::vector<std::string> PassUpTo(int last) {
    std::vector<std::string> out;
    for (int port = 1; port <= last; ++port) {
        out.push_back("get " + kLbdState + "." + std::to_string(port));
        if (port == 4) {
            out.push_back("set 1.3.6.1.2.1.17.2.15.1.4.4");
        }
    }
    return out;
}

TEST_F(StpPorts, SlowDeviceCloseDuringTheWriteLeavesItUnconfirmed) {
    s_sim->DelayMs(1000);
    test::TickGap ticks;
    Table t(false);
    // Port 4's write in flight.
    ASSERT_TRUE(test::WaitUntil([] { return s_sim->DistinctRequests().size() >= 5; }, 30000));
    ASSERT_TRUE(test::WaitUntil([&] {
        return t.dlg.Run().ProgressShown() && t.dlg.Run().ProgressText() == "Checking port 4 (4 of 28)...";
    })) << t.dlg.Run().ProgressText().toStdString();
    EXPECT_LT(ticks.MaxGapMs(), 250);  // the window took events all along
    EXPECT_FALSE(t.dlg.IsDlgItemEnabled(IDC_STPT_REFRESH));
    EXPECT_FALSE(t.dlg.IsDlgItemEnabled(IDC_STPT_PORT_CONFIG));
    EXPECT_TRUE(
        test::GrabScreenshot(&t.dlg, (test::Layer2ShotDir() + "/stp_port_table_pass.png").toStdString()));
    ASSERT_TRUE(t.drv.Click(IDCANCEL));
    ASSERT_TRUE(t.drv.WaitEnded());
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{
                                 "Stopped: 4 of 28 ports were checked for loopback detection; ports 5-28 "
                                 "were not checked for loopback detection. The device did not confirm "
                                 "whether spanning tree on port 4 was switched off."});
    // Nothing after the request in flight, also once it would have been answered.
    EXPECT_FALSE(test::WaitUntil([] { return s_sim->DistinctRequests().size() > 5; }, 2000));
    EXPECT_EQ(Firsts(s_sim->DistinctRequests()), PassUpTo(4));
}

TEST_F(StpPorts, SlowDeviceCloseDuringARead) {
    s_sim->DelayMs(500);
    Table t(false);
    ASSERT_TRUE(test::WaitUntil([] { return s_sim->DistinctRequests().size() >= 7; }, 30000));
    t.drv.CloseBox();
    ASSERT_TRUE(t.drv.WaitEnded());
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{
                                 "Stopped: 5 of 28 ports were checked for loopback detection; ports 6-28 "
                                 "were not checked for loopback detection. Spanning tree on port 4 was "
                                 "switched off."});
    EXPECT_FALSE(test::WaitUntil([] { return s_sim->DistinctRequests().size() > 7; }, 1000));
    EXPECT_EQ(Firsts(s_sim->DistinctRequests()), PassUpTo(6));
}

// The device answers the first half of the pass, then nothing: the pass says where it stopped, and the
// table, read after it, shows no row it did not read.
TEST_F(StpPorts, DeviceFallingSilentHalfwaySaysWhereThePassEnded) {
    s_sim->DelayMs(500);
    test::TickGap ticks;
    Table t(false);
    ASSERT_TRUE(test::WaitUntil([] { return s_sim->DistinctRequests().size() >= 15; }, 30000));  // port 14
    s_sim->Silence(true);
    ASSERT_TRUE(boxes.WaitForCount(1, 30000));
    EXPECT_EQ(boxes.LastText(),
              "Failed to read the loopback detection state of port 14; ports 15-28 were not checked.");
    EXPECT_TRUE(test::WaitUntil([&] { return t.dlg.IsDlgItemEnabled(IDC_STPT_REFRESH); }, 30000));
    EXPECT_LT(ticks.MaxGapMs(), 250);
    EXPECT_EQ(t.dlg.List()->GetItemCount(), 0);
    EXPECT_EQ(t.dlg.GetDlgItemText(IDC_STPT_ENTRIES), "0");
    EXPECT_FALSE(t.dlg.IsDlgItemEnabled(IDC_STPT_PORT_CONFIG));
    const auto sent = Firsts(s_sim->DistinctRequests());
    ASSERT_GT(sent.size(), 15u);
    EXPECT_EQ(std::vector<std::string>(sent.begin(), sent.begin() + 15), PassUpTo(14));
    EXPECT_EQ(sent[15].substr(0, 8), "getnext ");  // then the walk, as after a pass that ended well
}

}  // namespace
