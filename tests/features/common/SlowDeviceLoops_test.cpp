// Loops of requests over ports against a switch that answers every request after 1 s: the PoE port
// settings range, the PVIDs of every port, the GVRP port range and the loopback detection port range
// (its spanning tree checks, then its writes). For each: the window keeps processing events, the
// progress line names the step under way, and closing the window during the loop says what was written,
// what the device did not confirm (the request in flight) and what was not written, and sends nothing
// after the request in flight.
#include <gtest/gtest.h>

#include <QComboBox>
#include <functional>
#include <string>
#include <vector>

#include "controls/StepRun.h"
#include "features/layer2/LoopbackDetection.h"
#include "features/port_system/POEConfigDlg.h"
#include "features/vlan/GVRPSettings.h"
#include "features/vlan/KSXPVIDConfig.h"
#include "platform/snmplib/Snmp.h"
#include "platform/sys/Tunable.h"
#include "res/ids_gvrp.h"
#include "res/ids_poe_syslog.h"
#include "res/ids_stp.h"
#include "res/ids_vlan.h"
#include "res/resource.h"
#include "tests/features/StepRunTest.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::DialogDriver;
using test::SimRequest;
using test::SimSwitch;
using test::WaitUntil;

const std::string kPvid = "1.3.6.1.4.1.7393.10.76.20.1.7.7.1.1";
const std::string kGvrpPort = "1.3.6.1.4.1.7393.10.76.20.1.30.5.1";
const std::string kLbdPortState = "1.3.6.1.4.1.7393.10.76.20.1.17.5.1.2";
const std::string kPortStp = "1.3.6.1.4.1.7393.10.76.20.1.6.2.1.4";
const std::string kPoePort = "1.3.6.1.4.1.7393.10.76.20.1.22.1.1";

// The first binding of each request, as "pdu oid".
std::vector<std::string> Firsts(const std::vector<SimRequest>& log) {
    std::vector<std::string> out;
    for (const SimRequest& r : log) {
        out.push_back(r.pdu + " " + (r.varbinds.empty() ? std::string() : r.varbinds[0].oid));
    }
    return out;
}

// What a loop looks like when the window is closed during it.
struct CloseDuring {
    std::vector<std::string> sent;  // the first binding of each request sent, the last one in flight
    std::string progress;           // the progress line then
    std::string said;               // what the dialog says as it closes
};

// Clicks `apply` with every answer 1 s late, waits until the loop has sent what `expect` names and
// shows its progress, closes the window and checks what the user is told and what the device got.
void ApplyThenClose(SimSwitch& sim, test::ScriptedMessageBox& boxes, DialogDriver& drv, const CStepRun& run,
                    int apply, const CloseDuring& expect) {
    boxes.Clear();
    sim.DelayMs(1000);
    sim.ClearLog();
    test::TickGap ticks;
    ASSERT_TRUE(drv.Click(apply));
    const size_t n = expect.sent.size();
    ASSERT_TRUE(WaitUntil([&] { return test::DistinctRequests(sim).size() >= n; }, 30000));
    ASSERT_TRUE(WaitUntil([&] {
        return run.ProgressShown() && run.ProgressText().toStdString() == expect.progress;
    })) << run.ProgressText().toStdString();
    EXPECT_TRUE(run.Running());
    EXPECT_LT(ticks.MaxGapMs(), 250);  // the window took events all along the loop
    drv.CloseBox();
    ASSERT_TRUE(drv.WaitEnded());
    EXPECT_FALSE(run.Running());
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{expect.said});
    // Nothing after the request in flight, also once it would have been answered.
    EXPECT_FALSE(WaitUntil([&] { return test::DistinctRequests(sim).size() > n; }, 2000));
    EXPECT_EQ(Firsts(test::DistinctRequests(sim)), expect.sent);
    sim.DelayMs(0);
}

// ---- PoE port settings (a PoE switch of its own) ----

class SlowPoe : public test::SimTest {
protected:
    SlowPoe() : SimTest({"ksx-4200-28p", {}}, "3000") {}
    Tunable::Override fastPorts{"poe.port-pause-ms", 10};
    test::ScriptedMessageBox boxes;
};

TEST_F(SlowPoe, RangeApplyStaysLiveAndCloseStopsIt) {
    CPOEConfigDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return dlg.PortWalksEnded() >= 1 && dlg.IsDlgItemEnabled(IDC_POE_APPLY); }));
    ASSERT_TRUE(drv.Select(IDC_POE_FROM_PORT, 2));
    ASSERT_TRUE(drv.Select(IDC_POE_TO_PORT, 5));
    ApplyThenClose(
        sim, boxes, drv, dlg.Run(), IDC_POE_APPLY,
        {{"set " + kPoePort + ".3.1.3", "set " + kPoePort + ".3.1.4"},
         "Writing port 4 (2 of 4)...",
         "Stopped: 1 of 4 ports were written; the device did not confirm whether port 4 was written; "
         "ports 5-6 were not written."});
}

// ---- PVID, GVRP and loopback detection (one switch for the suite) ----

class SlowLoops : public test::SharedSimTest {
public:
    static void SetUpTestSuite() {
        SnmpInit();
        SharedSimTest::SetUpTestSuite();
    }

protected:
    test::ScriptedMessageBox boxes;
};

TEST_F(SlowLoops, PvidApplyOfEveryPortStaysLiveAndCloseStopsIt) {
    // The switch's PVIDs are 1 and 100: both VLANs have members.
    VlanEntry vlan1;
    vlan1.nVid = 1;
    vlan1.nEgressCount = 1;
    VlanEntry vlan100 = vlan1;
    vlan100.nVid = 100;
    CKSXPVIDConfig dlg;
    dlg.SetVlans("1,100", 2, {vlan1, vlan100});
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_PVID_APPLY); }));
    ApplyThenClose(
        *s_sim, boxes, drv, dlg.Run(), IDC_PVID_APPLY,
        {{"set " + kPvid + ".1", "set " + kPvid + ".2"},
         "Writing port 2 (2 of 28)...",
         "Stopped: 1 of 28 ports were written; the device did not confirm whether port 2 was written; "
         "ports 3-28 were not written."});
}

TEST_F(SlowLoops, GvrpPortRangeStaysLiveAndCloseStopsIt) {
    CGVRPSettings dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_GVRP_APPLY); }));
    ASSERT_TRUE(drv.Select(IDC_GVRP_FROM, 2));
    ASSERT_TRUE(drv.Select(IDC_GVRP_TO, 5));
    ASSERT_TRUE(drv.Type(IDC_GVRP_PVID, "1"));
    ApplyThenClose(
        *s_sim, boxes, drv, dlg.Run(), IDC_GVRP_APPLY,
        {{"set " + kGvrpPort + ".2.3", "set " + kGvrpPort + ".2.4", "set " + kGvrpPort + ".2.5"},
         "Writing port 5 (3 of 4)...",
         "Stopped: 2 of 4 ports were written; the device did not confirm whether port 5 was written; "
         "port 6 was not written."});
}

class SlowLbd : public SlowLoops {
protected:
    // Opens the dialog, read, with ports 10 to 12 chosen to be enabled (none runs the spanning tree).
    void Choose(CLoopbackDetection& dlg, DialogDriver& drv) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.isEnabled() && dlg.IsDlgItemEnabled(IDC_LBD_APPLY_PORTS); }));
        ASSERT_TRUE(drv.Select(IDC_LBD_FROM_PORT, 9));
        ASSERT_TRUE(drv.Select(IDC_LBD_TO_PORT, 11));
        ASSERT_TRUE(drv.Select(IDC_LBD_PORT_STATE, 1));
    }
    const std::string check10 = "get " + kPortStp + ".10";
    const std::string check11 = "get " + kPortStp + ".11";
    const std::string check12 = "get " + kPortStp + ".12";
};

TEST_F(SlowLbd, CloseDuringThePortChecksWritesNothing) {
    CLoopbackDetection dlg;
    DialogDriver drv(dlg);
    Choose(dlg, drv);
    ApplyThenClose(
        *s_sim, boxes, drv, dlg.Run(), IDC_LBD_APPLY_PORTS,
        {{check10, check11}, "Checking port 11 (2 of 3)...", "Stopped: ports 10-12 were not written."});
}

TEST_F(SlowLbd, CloseDuringThePortWritesSaysWhichWereWritten) {
    CLoopbackDetection dlg;
    DialogDriver drv(dlg);
    Choose(dlg, drv);
    ApplyThenClose(
        *s_sim, boxes, drv, dlg.Run(), IDC_LBD_APPLY_PORTS,
        {{check10, check11, check12, "set " + kLbdPortState + ".10", "set " + kLbdPortState + ".11"},
         "Writing port 11 (2 of 3)...",
         "Stopped: 1 of 3 ports were written; the device did not confirm whether port 11 was written; "
         "port 12 was not written."});
}

}  // namespace
