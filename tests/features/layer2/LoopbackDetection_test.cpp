// The loopback detection dialog against the simulated switch: the refresh chain and what it shows (the
// "Disabled VID" cells by the row's port), the port range's spanning tree and trunk refusals, a failed
// spanning tree read refusing, the global write with its checks and the refresh its timer starts, a
// failed write reported, and the port write unavailable until the trunk members are known.
#include "features/layer2/LoopbackDetection.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <string>
#include <vector>

#include "controls/ListCtrl.h"
#include "platform/snmplib/Snmp.h"
#include "platform/sys/Tunable.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Text.h"
#include "res/ids_stp.h"
#include "res/resource.h"
#include "tests/features/layer2/SpanTreeTestSupport.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::DialogDriver;

const std::string L = "1.3.6.1.4.1.7393.10.76.20.1.17";
const std::string& kTrunkMembers = test::kStpTrunkMembers;
const std::string kDeviceStp = "1.3.6.1.4.1.7393.10.76.20.1.6.1.1.0";
const std::string kPortStp = "1.3.6.1.4.1.7393.10.76.20.1.6.2.1.4";

class Lbd : public test::StpSimTest {
protected:
    void TearDown() override {
        s_sim->ErrorStatus(kTrunkMembers, 0);
        s_sim->ErrorStatus(kDeviceStp, 0);
        s_sim->ErrorStatus(L + ".3.0", 0);
        SharedSimTest::TearDown();
    }
    struct Open {
        CLoopbackDetection dlg;
        DialogDriver drv{dlg};
        Open() { EXPECT_TRUE(WaitRefreshed(dlg)) << State(dlg); }
        std::string Cell(int r, int c) const {
            return ui::ToStd(dlg.Item<CListCtrl>(IDC_LBD_LIST)->GetItemText(r, c));
        }
        int Rows() const { return dlg.Item<CListCtrl>(IDC_LBD_LIST)->GetItemCount(); }
    };
    // A refresh has ended: the window takes input again. The trunk walk runs beside the refresh and may
    // end after it: with detection on and the members read, the port write is usable once it ended.
    static bool WaitRefreshed(CDialog& dlg, bool trunksRead = true) {
        return test::WaitUntil([&] {
            return dlg.isEnabled() && dlg.IsDlgItemEnabled(IDC_LBD_APPLY_GLOBAL) &&
                   (!trunksRead || dlg.IsDlgItemEnabled(IDC_LBD_APPLY_PORTS));
        });
    }
    // What a refresh left usable, for a failed wait's message.
    static std::string State(CDialog& dlg) {
        return "window " + std::to_string(dlg.isEnabled()) + ", Apply (global) " +
               std::to_string(dlg.IsDlgItemEnabled(IDC_LBD_APPLY_GLOBAL)) + ", Apply (ports) " +
               std::to_string(dlg.IsDlgItemEnabled(IDC_LBD_APPLY_PORTS)) + ", Refresh " +
               std::to_string(dlg.IsDlgItemEnabled(IDC_LBD_REFRESH)) + ", interval \"" +
               dlg.GetDlgItemText(IDC_LBD_INTERVAL) + "\"";
    }
    static std::vector<std::string> Sets() { return test::SetLines(s_sim->Requests(), L.size()); }
    // Pumps events meanwhile: the walks hand their rows to this (the UI) thread.
    static bool WaitForRefreshRequests() {
        return test::WaitUntil([] {
            for (const auto& r : s_sim->Requests()) {
                if (r.pdu == "getnext" && r.varbinds[0].oid.rfind(L + ".5.1.1", 0) == 0) {
                    return true;
                }
            }
            return false;
        });
    }

    test::ScriptedMessageBox boxes;
};

TEST_F(Lbd, RefreshReadsLoopsFirstThenSettingsAndPorts) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_LOOPBACK_DETECTION));
    Open o;
    const auto log = s_sim->Requests();
    // The VLAN-loop walk has ended before the global read and the port walk start.
    size_t lastLoop = 0;
    size_t firstGlobal = log.size();
    size_t firstPort = log.size();
    bool trunkWalk = false;
    for (size_t i = 0; i < log.size(); ++i) {
        const std::string& oid = log[i].varbinds[0].oid;
        if (oid.rfind(L + ".6.1.1", 0) == 0) {
            lastLoop = i;
        } else if (log[i].pdu == "get" && firstGlobal == log.size()) {
            firstGlobal = i;
            EXPECT_EQ(test::Bindings(log[i]),
                      (std::vector<std::string>{
                          L + ".1.0=n:", L + ".3.0=n:", L + ".4.0=n:", L + ".2.0=n:", L + ".7.0=n:"}));
        } else if (oid.rfind(L + ".5.1.1", 0) == 0 && firstPort == log.size()) {
            firstPort = i;
            EXPECT_EQ(log[i].varbinds.size(), 3u);
        } else if (oid.rfind(kTrunkMembers, 0) == 0) {
            trunkWalk = true;
        }
    }
    EXPECT_TRUE(trunkWalk);
    EXPECT_LT(lastLoop, firstGlobal);
    EXPECT_LT(lastLoop, firstPort);
    EXPECT_LT(firstPort, log.size());

    CDialog& d = o.dlg;
    EXPECT_EQ(d.GetWindowText(), "Loopback Detection Settings");
    EXPECT_EQ(d.IsDlgButtonChecked(IDC_LBD_ENABLED), 1);
    EXPECT_EQ(d.IsDlgButtonChecked(IDC_LBD_DISABLED), 0);
    EXPECT_EQ(d.GetDlgItemText(IDC_LBD_INTERVAL), "10");
    EXPECT_EQ(d.GetDlgItemText(IDC_LBD_RECOVER_TIME), "60");
    EXPECT_EQ(d.GetDlgItemText(IDC_LBD_MODE), "Port_based");
    EXPECT_EQ(d.GetDlgItemText(IDC_LBD_VLAN_LIST), "");
    EXPECT_FALSE(d.IsDlgItemEnabled(IDC_LBD_VLAN_LIST));
    EXPECT_EQ(d.GetDlgItemText(IDC_LBD_FROM_PORT), "1");
    EXPECT_EQ(d.GetDlgItemText(IDC_LBD_TO_PORT), "28");
    EXPECT_EQ(d.GetDlgItemText(IDC_LBD_PORT_STATE), "Disable");
    EXPECT_TRUE(d.IsDlgItemEnabled(IDC_LBD_APPLY_PORTS));
    EXPECT_TRUE(d.IsDlgItemEnabled(IDC_LBD_REFRESH));

    ASSERT_EQ(o.Rows(), 28);
    EXPECT_EQ(o.Cell(0, 0), "1");
    EXPECT_EQ(o.Cell(0, 1), "Disabled");
    EXPECT_EQ(o.Cell(0, 2), "Normal");
    EXPECT_EQ(o.Cell(3, 1), "Enabled");
    EXPECT_EQ(o.Cell(6, 2), "Disabled VID = 10,20");
    EXPECT_EQ(o.Cell(8, 2), "Disabled VID = 10");

    // Choosing the VLAN mode brings back the list read last.
    ASSERT_TRUE(o.drv.Select(IDC_LBD_MODE, 1));
    EXPECT_EQ(d.GetDlgItemText(IDC_LBD_VLAN_LIST), "10,20");
    EXPECT_TRUE(d.IsDlgItemEnabled(IDC_LBD_VLAN_LIST));

    const QString dir = test::Layer2ShotDir();
    test::PumpEvents();
    EXPECT_TRUE(test::GrabScreenshot(&o.dlg, (dir + "/loopback_detection.png").toStdString()));
}

TEST_F(Lbd, LoopCellsGoByTheRowsPort) {
    // Port 2 has no row; VLAN 10 loops on port 2 only.
    for (const char* col : {".1.2", ".2.2", ".3.2"}) {
        s_sim->Command("unset " + L + ".5.1" + col);
    }
    s_sim->Command("unset " + L + ".6.1.1.20");
    s_sim->Command("unset " + L + ".6.1.2.20");
    s_sim->Set(L + ".6.1.2.10", "x", "40000000");
    Open o;
    ASSERT_EQ(o.Rows(), 27);
    EXPECT_EQ(o.Cell(1, 0), "3");
    EXPECT_EQ(o.Cell(1, 2), "Normal");
    EXPECT_EQ(o.Cell(5, 0), "7");
    EXPECT_EQ(o.Cell(5, 2), "Disabled");  // no VLAN loop of its own any more: its loop status
}

TEST_F(Lbd, EnablingPortsStopsAtSpanningTreeAndTrunkMembers) {
    Open o;
    s_sim->ClearLog();
    ASSERT_TRUE(o.drv.Select(IDC_LBD_FROM_PORT, 0));
    ASSERT_TRUE(o.drv.Select(IDC_LBD_TO_PORT, 7));
    ASSERT_TRUE(o.drv.Select(IDC_LBD_PORT_STATE, 1));
    ASSERT_TRUE(o.drv.Click(IDC_LBD_APPLY_PORTS));
    ASSERT_TRUE(test::WaitUntil([&] { return !o.dlg.Run().Running(); }, 60000));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{
                                 "LBD port 1 can not both support Spanning Tree and LBD-enabled mode."});
    const auto gets = test::OfKind(s_sim->Requests(), "get");
    ASSERT_EQ(gets.size(), 1u);
    EXPECT_EQ(test::Bindings(gets[0]), (std::vector<std::string>{kPortStp + ".1=n:", kDeviceStp + "=n:"}));
    EXPECT_TRUE(Sets().empty());
    EXPECT_TRUE(o.dlg.IsDlgItemEnabled(IDC_LBD_APPLY_PORTS));

    // Port 25 runs no spanning tree here, but it is a trunk member.
    s_sim->Set(kPortStp + ".25", "i", "2");
    boxes.Clear();
    s_sim->ClearLog();
    ASSERT_TRUE(o.drv.Select(IDC_LBD_FROM_PORT, 24));
    ASSERT_TRUE(o.drv.Select(IDC_LBD_PORT_STATE, 1));
    ASSERT_TRUE(o.drv.Click(IDC_LBD_APPLY_PORTS));
    ASSERT_TRUE(test::WaitUntil([&] { return !o.dlg.Run().Running(); }, 60000));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"LA 25 port can not support in LBD-enabled mode"});
    EXPECT_TRUE(Sets().empty());
    EXPECT_TRUE(WaitForRefreshRequests());  // the refusal refreshes
    ASSERT_TRUE(WaitRefreshed(o.dlg));

    // Ports without spanning tree: one request each, then a refresh.
    boxes.Clear();
    s_sim->ClearLog();
    ASSERT_TRUE(o.drv.Select(IDC_LBD_FROM_PORT, 9));
    ASSERT_TRUE(o.drv.Select(IDC_LBD_TO_PORT, 11));
    ASSERT_TRUE(o.drv.Select(IDC_LBD_PORT_STATE, 1));
    ASSERT_TRUE(o.drv.Click(IDC_LBD_APPLY_PORTS));
    ASSERT_TRUE(test::WaitUntil([&] { return !o.dlg.Run().Running(); }, 60000));
    EXPECT_EQ(Sets(), (std::vector<std::string>{".5.1.2.10=i:1", ".5.1.2.11=i:1", ".5.1.2.12=i:1"}));
    EXPECT_TRUE(boxes.Texts().empty());
    ASSERT_TRUE(WaitRefreshed(o.dlg));
    EXPECT_EQ(o.Cell(9, 1), "Enabled");

    // Disabling is never refused.
    s_sim->ClearLog();
    ASSERT_TRUE(o.drv.Select(IDC_LBD_FROM_PORT, 0));
    ASSERT_TRUE(o.drv.Select(IDC_LBD_TO_PORT, 1));
    ASSERT_TRUE(o.drv.Select(IDC_LBD_PORT_STATE, 0));
    ASSERT_TRUE(o.drv.Click(IDC_LBD_APPLY_PORTS));
    ASSERT_TRUE(test::WaitUntil([&] { return !o.dlg.Run().Running(); }, 60000));
    EXPECT_EQ(Sets(), (std::vector<std::string>{".5.1.2.1=i:2", ".5.1.2.2=i:2"}));
    EXPECT_TRUE(boxes.Texts().empty());

    // A refused write ends the run there and keeps its text; the run text says the rest.
    ASSERT_TRUE(WaitRefreshed(o.dlg));
    s_sim->RefuseWrites(L + ".5.1.2.2", 5);
    s_sim->ClearLog();
    ASSERT_TRUE(o.drv.Click(IDC_LBD_APPLY_PORTS));
    ASSERT_TRUE(test::WaitUntil([&] { return !o.dlg.Run().Running(); }, 60000));
    s_sim->RefuseWrites(L + ".5.1.2.2", 0);
    EXPECT_EQ(Sets().size(), 2u);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Failed to write the loopback detection state of port 2: the "
                                       "device did not accept it. 1 of 2 ports were written."});
}

TEST_F(Lbd, AFailedSpanningTreeReadRefuses) {
    Open o;
    s_sim->ErrorStatus(kDeviceStp, 5);
    s_sim->ClearLog();
    ASSERT_TRUE(o.drv.Select(IDC_LBD_FROM_PORT, 9));
    ASSERT_TRUE(o.drv.Select(IDC_LBD_PORT_STATE, 1));
    ASSERT_TRUE(o.drv.Click(IDC_LBD_APPLY_PORTS));
    ASSERT_TRUE(test::WaitUntil([&] { return !o.dlg.Run().Running(); }, 60000));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the spanning tree state of port 10."});
    EXPECT_TRUE(Sets().empty());
}

TEST_F(Lbd, ToPortBelowFromPortIsPutBack) {
    Open o;
    ASSERT_TRUE(o.drv.Select(IDC_LBD_FROM_PORT, 4));
    EXPECT_EQ(o.dlg.GetDlgItemText(IDC_LBD_TO_PORT), "5");
    ASSERT_TRUE(o.drv.Select(IDC_LBD_TO_PORT, 2));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"'To Port' can not be smaller than 'From Port'"});
    EXPECT_EQ(o.dlg.GetDlgItemText(IDC_LBD_TO_PORT), "5");
}

TEST_F(Lbd, GlobalWriteChecksWritesAndFailures) {
    Open o;
    s_sim->ClearLog();
    // VLAN mode without a list.
    ASSERT_TRUE(o.drv.Select(IDC_LBD_MODE, 1));
    o.drv.Type(IDC_LBD_VLAN_LIST, "");
    ASSERT_TRUE(o.drv.Click(IDC_LBD_APPLY_GLOBAL));
    EXPECT_EQ(boxes.LastText(), "Invalid VLAN List");
    EXPECT_TRUE(o.dlg.IsDlgItemEnabled(IDC_LBD_APPLY_GLOBAL));
    EXPECT_TRUE(o.dlg.IsDlgItemEnabled(IDC_LBD_REFRESH));
    // Out of range.
    o.drv.Type(IDC_LBD_VLAN_LIST, "10");
    o.drv.Type(IDC_LBD_RECOVER_TIME, "59");
    ASSERT_TRUE(o.drv.Click(IDC_LBD_APPLY_GLOBAL));
    EXPECT_EQ(boxes.LastText(), "The value range is 60 - 1000000 or 0.");
    EXPECT_TRUE(Sets().empty());
    // A refused write is reported and the form read again.
    s_sim->ErrorStatus(L + ".3.0", 10);
    o.drv.Type(IDC_LBD_RECOVER_TIME, "0");
    ASSERT_TRUE(o.drv.Click(IDC_LBD_APPLY_GLOBAL));
    EXPECT_EQ(boxes.LastText(), "The device did not accept the loopback detection settings.");
    s_sim->ErrorStatus(L + ".3.0", 0);
    EXPECT_TRUE(WaitForRefreshRequests());
    ASSERT_TRUE(WaitRefreshed(o.dlg));
    EXPECT_EQ(o.dlg.GetDlgItemText(IDC_LBD_RECOVER_TIME), "60");
}

TEST_F(Lbd, GlobalWriteRefreshesWhenItsTimerFires) {
    Tunable::Override portMode("lbd.refresh-after-write-port-mode-ms", 100);
    Tunable::Override vlanMode("lbd.refresh-after-write-vlan-mode-ms", 150);
    ASSERT_TRUE(portMode.Applied() && vlanMode.Applied());
    Open o;
    s_sim->ClearLog();
    o.drv.Type(IDC_LBD_INTERVAL, "20");
    ASSERT_TRUE(o.drv.Click(IDC_LBD_APPLY_GLOBAL));
    EXPECT_EQ(Sets(), std::vector<std::string>{".1.0=i:1 .2.0=i:1 .3.0=i:20 .4.0=i:60 .7.0=s:"});
    EXPECT_EQ(o.dlg.RefreshTimerMs(), 100);
    // Nothing can be used until the refresh the timer starts has ended.
    EXPECT_FALSE(o.dlg.IsDlgItemEnabled(IDC_LBD_APPLY_GLOBAL));
    EXPECT_FALSE(o.dlg.IsDlgItemEnabled(IDC_LBD_APPLY_PORTS));
    EXPECT_FALSE(o.dlg.IsDlgItemEnabled(IDC_LBD_REFRESH));
    EXPECT_TRUE(WaitForRefreshRequests());
    ASSERT_TRUE(WaitRefreshed(o.dlg)) << State(o.dlg);
    EXPECT_EQ(o.dlg.RefreshTimerMs(), 0);
    EXPECT_EQ(o.dlg.GetDlgItemText(IDC_LBD_INTERVAL), "20");

    // The VLAN mode waits longer. (The port-based write left the device an empty list.)
    s_sim->ClearLog();
    ASSERT_TRUE(o.drv.Select(IDC_LBD_MODE, 1));
    EXPECT_EQ(o.dlg.GetDlgItemText(IDC_LBD_VLAN_LIST), "");
    o.drv.Type(IDC_LBD_VLAN_LIST, "10,20");
    ASSERT_TRUE(o.drv.Click(IDC_LBD_APPLY_GLOBAL));
    EXPECT_EQ(Sets(), std::vector<std::string>{".1.0=i:1 .2.0=i:2 .3.0=i:20 .4.0=i:60 .7.0=s:10,20"});
    EXPECT_EQ(o.dlg.RefreshTimerMs(), 150);
    ASSERT_TRUE(WaitForRefreshRequests());
    ASSERT_TRUE(WaitRefreshed(o.dlg));
    EXPECT_EQ(o.dlg.GetDlgItemText(IDC_LBD_MODE), "VLAN_based");

    // Disabling checks the form, then writes the state alone.
    s_sim->ClearLog();
    ASSERT_TRUE(o.drv.Check(IDC_LBD_DISABLED, true));
    EXPECT_FALSE(o.dlg.IsDlgItemEnabled(IDC_LBD_INTERVAL));
    ASSERT_TRUE(o.drv.Click(IDC_LBD_APPLY_GLOBAL));
    EXPECT_EQ(Sets(), std::vector<std::string>{".1.0=i:2"});
    ASSERT_TRUE(WaitForRefreshRequests());
    ASSERT_TRUE(
        test::WaitUntil([&] { return o.dlg.isEnabled() && o.dlg.IsDlgButtonChecked(IDC_LBD_DISABLED); }));
    EXPECT_FALSE(o.dlg.IsDlgItemEnabled(IDC_LBD_APPLY_PORTS));
}

TEST_F(Lbd, GlobalSettingsArrivingAfterThePortWalkMakeTheGlobalWriteUsable) {
    // No global settings have arrived when the port walk ends the refresh: the global write waits.
    s_sim->ErrorStatus(L + ".3.0", 5);
    CLoopbackDetection dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(test::WaitUntil([&] { return dlg.isEnabled() && dlg.IsDlgItemEnabled(IDC_LBD_REFRESH); }));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_LBD_APPLY_GLOBAL));
    // The global read, running beside the port walk, answers after it.
    LbdGlobalSettings late{true, "15", "60", "1", ""};
    dlg.SendMessage(WM_SNMP_RESULT, LBD_GLOBAL_SETTINGS, ksx::RecordParam(&late));
    test::PumpEvents();
    EXPECT_EQ(dlg.GetDlgItemText(IDC_LBD_INTERVAL), "15");
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_LBD_APPLY_GLOBAL));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_LBD_REFRESH));
}

TEST_F(Lbd, PortWriteWaitsForTheTrunkMembers) {
    s_sim->ErrorStatus(kTrunkMembers, 5);
    CLoopbackDetection dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRefreshed(dlg, false));
    ASSERT_TRUE(boxes.WaitForCount(1));
    EXPECT_EQ(boxes.LastText(), "Failed to read the trunk members.");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_LBD_APPLY_PORTS));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_LBD_REFRESH));
    s_sim->ErrorStatus(kTrunkMembers, 0);
    ASSERT_TRUE(drv.Click(IDC_LBD_REFRESH));
    EXPECT_TRUE(test::WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_LBD_APPLY_PORTS); }));
}

}  // namespace
