// The bridge MIB spanning tree dialogs against the simulated switch: the bridge parameters read and
// written (hundredths, the relation checks, numbers written as they read, the state written again after
// a disable), the port table's cells, and the port dialog's write and trunk rule.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <string>
#include <vector>

#include "controls/ListCtrl.h"
#include "features/layer2/SpanTree.h"
#include "features/layer2/SpanTreeBridgeParam.h"
#include "features/layer2/SpanTreePortParam.h"
#include "platform/snmplib/Snmp.h"
#include "platform/ui/Text.h"
#include "res/ids_stp.h"
#include "tests/features/layer2/SpanTreeTestSupport.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::DialogDriver;

const std::string B = "1.3.6.1.2.1.17.2";
const std::string P = "1.3.6.1.4.1.7393.10.76.20.1.6";

class SpanTreeDialogs : public test::StpSimTest {
protected:
    static std::vector<std::string> Sets() { return test::SetLines(s_sim->Requests(), 0); }
    static QString ShotDir() { return test::Layer2ShotDir(); }

    test::ScriptedMessageBox boxes;
};

struct BridgeOpen {
    CSpanTreeBridgeParam dlg;
    DialogDriver drv{dlg};
    BridgeOpen() {
        EXPECT_TRUE(test::WaitUntil([&] { return dlg.IsDlgItemEnabled(IDOK); }));
    }
    void Fill(const char* maxAge, const char* forwardDelay, const char* hello) {
        drv.Type(IDC_STB_MAX_AGE, maxAge);
        drv.Type(IDC_STB_FORWARD_DELAY, forwardDelay);
        drv.Type(IDC_STB_HELLO, hello);
    }
};

TEST_F(SpanTreeDialogs, BridgeParametersReadInHundredths) {
    BridgeOpen o;
    const auto gets = test::OfKind(s_sim->Requests(), "get");
    ASSERT_EQ(gets.size(), 1u);
    std::string order;
    for (const auto& vb : gets[0].varbinds) {
        order += vb.oid + " ";
    }
    EXPECT_EQ(order, B + ".2.0 " + B + ".3.0 " + B + ".4.0 " + B + ".5.0 " + B + ".7.0 " + B + ".12.0 " + B +
                         ".13.0 " + B + ".14.0 " + B + ".9.0 " + B + ".10.0 " + B + ".11.0 " + P + ".1.1.0 " +
                         P + ".1.2.0 ");
    CDialog& d = o.dlg;
    EXPECT_EQ(d.GetWindowText(), " STP Configuration ");
    EXPECT_EQ(d.GetDlgItemText(IDC_STB_MAX_AGE), "2000");
    EXPECT_EQ(d.GetDlgItemText(IDC_STB_HELLO), "200");
    EXPECT_EQ(d.GetDlgItemText(IDC_STB_FORWARD_DELAY), "1500");
    EXPECT_EQ(d.GetDlgItemText(IDC_STB_PRIORITY), "32768");
    EXPECT_EQ(d.GetDlgItemText(IDC_STB_TOPO_CHANGES), "7");
    EXPECT_EQ(d.GetDlgItemText(IDC_STB_DESIGNATED_ROOT), "80:00:00:1E:94:4C:20:00");
    EXPECT_EQ(d.GetDlgItemText(IDC_STB_HOLD_TIME), "100");
    EXPECT_EQ(d.GetDlgItemText(IDC_STB_VERSION), "RSTP");
    EXPECT_EQ(d.IsDlgButtonChecked(IDC_STB_RSTP), 1);
    EXPECT_TRUE(d.IsDlgItemEnabled(IDC_STB_PORT_SETTING));
    test::PumpEvents();
    EXPECT_TRUE(test::GrabScreenshot(&o.dlg, (ShotDir() + "/bridge_mib_bridge.png").toStdString()));
    // Cancel is the default button.
    o.drv.PressEnter();
    ASSERT_TRUE(o.drv.WaitEnded());
    EXPECT_EQ(o.drv.Result(), IDCANCEL);
}

TEST_F(SpanTreeDialogs, BridgeChecksAndWritesNumbers) {
    BridgeOpen o;
    s_sim->ClearLog();
    struct Case {
        const char *age, *delay, *hello, *message;
    };
    const Case refused[] = {
        {"599", "1500", "200", "Invalid Age Time value, the valid Age Time range is  (600-4000) ms !"},
        {"2000", "3001", "200",
         "Invalid Forward Delay value, the valid Forward Delay range is (400-3000) ms !"},
        {"2000", "1500", "99", "Invalid Hello Time value, the valid Hello Time range is (100-1000) ms !"},
        {"2000", "1500", "1000",
         "To set the parameters Hello Time and Max Age the following relation is to be satisfied: \nMax Age "
         ">= "
         "(2*(Hello Time + 1.0))"},
        {"4000", "2000", "200",
         "To set the parameters Forward Delay and Max Age, the following relation is to be satisfied: "
         "\n2*(Forward Delay - 1) >= Max Age"},
    };
    for (const Case& c : refused) {
        boxes.Clear();
        o.Fill(c.age, c.delay, c.hello);
        ASSERT_TRUE(o.drv.Click(IDOK));
        ASSERT_TRUE(test::WaitUntil([&] { return !o.dlg.Run().Running(); }));
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{c.message});
    }
    EXPECT_TRUE(Sets().empty());

    boxes.Clear();
    o.Fill("2400s", "1500", "300");
    o.drv.Type(IDC_STB_PRIORITY, "8192");
    ASSERT_TRUE(o.drv.Select(IDC_STB_VERSION, 1));
    ASSERT_TRUE(o.drv.Click(IDOK));
    ASSERT_TRUE(test::WaitUntil([&] { return !o.dlg.Run().Running(); }));
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ(Sets(), (std::vector<std::string>{B + ".13.0=i:100 " + B + ".14.0=i:3000", B + ".12.0=i:2400",
                                                B + ".14.0=i:1500", B + ".13.0=i:300",
                                                B + ".2.0=i:8192 " + P + ".1.2.0=i:0"}));
    EXPECT_EQ(s_sim->Get(P + ".1.15.0"), "2400");  // the enterprise name of the same max age
    EXPECT_TRUE(test::WaitUntil([&] { return o.dlg.GetDlgItemText(IDC_STB_VERSION) == "STP Compatible"; }));
}

TEST_F(SpanTreeDialogs, BridgeWritesTheStateAgainAfterADisable) {
    BridgeOpen o;
    s_sim->ClearLog();
    ASSERT_TRUE(o.drv.Check(IDC_STB_RSTP, false));
    ASSERT_TRUE(o.drv.Click(IDOK));
    ASSERT_TRUE(test::WaitUntil([&] { return !o.dlg.Run().Running(); }));
    EXPECT_EQ(Sets(), std::vector<std::string>{P + ".1.1.0=i:2"});
    EXPECT_FALSE(o.dlg.IsDlgItemEnabled(IDC_STB_PORT_SETTING));
    s_sim->ClearLog();
    ASSERT_TRUE(o.drv.Check(IDC_STB_RSTP, true));
    ASSERT_TRUE(o.drv.Click(IDOK));
    ASSERT_TRUE(test::WaitUntil([&] { return !o.dlg.Run().Running(); }));
    const auto sets = Sets();
    ASSERT_EQ(sets.size(), 6u);
    EXPECT_EQ(sets[0], P + ".1.1.0=i:1");
    EXPECT_TRUE(o.dlg.IsDlgItemEnabled(IDC_STB_PORT_SETTING));
}

struct TableOpen {
    CSpanTree dlg;
    DialogDriver drv{dlg};
    TableOpen() {
        EXPECT_TRUE(test::WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_ST_REFRESH); }));
    }
    std::vector<std::string> Row(int r) const {
        std::vector<std::string> cells;
        for (int c = 0; c < dlg.List()->GetColumnCount(); ++c) {
            cells.push_back(ui::ToStd(dlg.List()->GetItemText(r, c)));
        }
        return cells;
    }
};

TEST_F(SpanTreeDialogs, PortTableCells) {
    TableOpen t;
    EXPECT_EQ(t.dlg.GetWindowText(), "Spanning Tree Table");
    EXPECT_EQ(t.dlg.GetDlgItemText(IDC_ST_ENTRIES), "28");
    EXPECT_EQ(t.Row(0), (std::vector<std::string>{"1", "128", "0", "Y", "Forward", "80:00:00:1E:94:4C:20:00",
                                                  "0", "80:00:00:1E:94:4C:20:00", "80 01", "1"}));
    EXPECT_EQ(t.Row(2)[2], "50000");
    EXPECT_EQ(t.Row(9)[3], "N");
    EXPECT_EQ(t.Row(9)[4], "Disabled");
    const auto walks = test::OfKind(s_sim->Requests(), "getnext");
    ASSERT_FALSE(walks.empty());
    std::string columns;
    for (const auto& vb : walks[0].varbinds) {
        columns += vb.oid.substr(B.size()) + " ";
    }
    EXPECT_EQ(columns, ".15.1.1 .15.1.2 .15.1.5 .15.1.4 .15.1.3 .15.1.6 .15.1.7 .15.1.8 .15.1.9 .15.1.10 ");
    test::PumpEvents();
    EXPECT_TRUE(test::GrabScreenshot(&t.dlg, (ShotDir() + "/bridge_mib_ports.png").toStdString()));
}

struct PortOpen {
    CSpanTreePortParam dlg;
    std::unique_ptr<DialogDriver> drv;
    PortOpen(TableOpen& t, int row) {
        t.dlg.List()->clearSelection();
        t.dlg.List()->SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
        dlg.SetTable(t.dlg.List());
        drv = std::make_unique<DialogDriver>(dlg);
        EXPECT_TRUE(test::WaitUntil([&] { return dlg.TrunksRead(); }));
    }
};

TEST_F(SpanTreeDialogs, PortParametersWriteCostZeroAndKeepTrunkMembersAlike) {
    TableOpen t;
    {
        PortOpen p(t, 0);
        EXPECT_EQ(p.dlg.GetDlgItemText(IDC_STPP2_STATUS), "Forward");
        EXPECT_EQ(p.dlg.GetDlgItemText(IDC_STPP2_DESIG_PORT), "80 01");
        EXPECT_EQ(p.dlg.GetDlgItemText(IDC_STPP2_COST), "0");
        test::PumpEvents();
        EXPECT_TRUE(test::GrabScreenshot(&p.dlg, (ShotDir() + "/bridge_mib_port.png").toStdString()));
        s_sim->ClearLog();
        p.drv->Type(IDC_STPP2_PRIORITY, "64abc");
        ASSERT_TRUE(p.drv->Click(IDC_STPP2_APPLY));
        EXPECT_EQ(Sets(), std::vector<std::string>{B + ".15.1.2.1=i:64 " + P + ".2.1.5.1=i:0 " + B +
                                                   ".15.1.4.1=i:1"});
        EXPECT_FALSE(p.drv->Ended());
    }
    {
        PortOpen p(t, 24);  // port 25, a trunk member: unchanged values write nothing and close
        s_sim->ClearLog();
        ASSERT_TRUE(p.drv->Click(IDOK));
        ASSERT_TRUE(p.drv->WaitEnded());
        EXPECT_EQ(p.drv->Result(), IDOK);
        EXPECT_TRUE(Sets().empty());
        EXPECT_TRUE(boxes.Texts().empty());
    }
    {
        PortOpen p(t, 24);
        p.drv->Type(IDC_STPP2_PRIORITY, "16");
        ASSERT_TRUE(p.drv->Click(IDOK));
        EXPECT_EQ(boxes.Texts(),
                  std::vector<std::string>{
                      "Cannot add ports with different STP configurations to an aggregated link."});
        test::PumpEvents();
        EXPECT_FALSE(p.drv->Ended());  // the editor stays open with the user's values
        EXPECT_EQ(p.dlg.GetDlgItemText(IDC_STPP2_PRIORITY), "16");
        EXPECT_TRUE(Sets().empty());
    }
}

}  // namespace
