// DHCP local relay: the VLANs the walk beside the relay table did not reach, read one by one after it.
// On a switch answering each request after 1 s the window keeps processing events and stays unavailable
// until the reads ended; the requests are exactly one get per such entry, in walk order; closing the
// window during them stops them. A read that fails is said once and its VLAN is not listed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "features/security/DHCPLocalRelayDlg.h"
#include "platform/snmplib/Snmp.h"
#include "res/ids_legacy.h"
#include "tests/features/StepRunTest.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::DialogDriver;
using test::WaitUntil;

const std::string P = "1.3.6.1.4.1.7393.10.76.20.1";
const std::string kState = P + ".29.1.0";
const std::string kRelay = P + ".29.2.1";
const std::string kVlan = P + ".7.6.1";
const std::string kFailed = "Failed to read the DHCP local relay settings.";

std::string VlanGet(int vid) {
    const std::string id = std::to_string(vid);
    return "get " + kVlan + ".1." + id + "=n: " + kVlan + ".5." + id + "=n:";
}

class LocalRelayVlanReads : public test::SharedSimTest {
public:
    static void SetUpTestSuite() {
        SnmpInit();
        SharedSimTest::SetUpTestSuite();
    }

protected:
    void SetUp() override {
        SharedSimTest::SetUp();
        // More VLANs than relay entries before VLAN 100: the walk beside the relay table (1, 100, 200)
        // pairs them with VLANs 1, 30 and 40, and reaches neither 100 nor 200.
        for (const auto& [vid, name] : {std::pair{30, "cameras"}, {40, "printers"}, {60, "guests"}}) {
            s_sim->Set(kVlan + ".1." + std::to_string(vid), "s", name);
            s_sim->Set(kVlan + ".5." + std::to_string(vid), "i", "1");
        }
    }
    void TearDown() override {
        s_sim->ErrorStatus(kVlan + ".1.100", 0);
        SharedSimTest::TearDown();
    }
    std::vector<std::string> Rows(DialogDriver& drv) {
        std::vector<std::string> out;
        for (int r = 0; r < drv.Rows(IDC_RLL_LIST); ++r) {
            const std::vector<std::string> row = drv.Row(IDC_RLL_LIST, r);
            out.push_back(row[0] + " " + row[1] + " " + row[2]);
        }
        return out;
    }
    // The gets of single VLANs among the requests, each request once.
    static std::vector<std::string> VlanGets() {
        std::vector<std::string> out;
        for (const std::string& line : test::RequestLines(test::DistinctRequests(*s_sim))) {
            if (line.rfind("get " + kVlan, 0) == 0) {
                out.push_back(line);
            }
        }
        return out;
    }

    test::ScriptedMessageBox boxes;
};

TEST_F(LocalRelayVlanReads, ASlowSwitchKeepsTheWindowLiveUntilTheReadsEnd) {
    s_sim->DelayMs(1000);
    CDHCPLocalRelayDlg dlg;
    DialogDriver drv(dlg);
    // The global state is one request on the window's thread; what follows runs off it.
    ASSERT_TRUE(WaitUntil([&] { return !test::OfKind(s_sim->Requests(), "getnext").empty(); }, 10000));
    test::TickGap ticks;
    ASSERT_TRUE(WaitUntil([&] { return VlanGets().size() == 1; }, 30000));
    // While VLAN 100 is read the window takes events but nothing in it is usable yet.
    EXPECT_FALSE(dlg.isEnabled());
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_RLL_REFRESH));
    EXPECT_EQ(drv.Rows(IDC_RLL_LIST), 0);
    ASSERT_TRUE(WaitUntil([&] { return dlg.WalksEnded() == 1; }, 30000));
    test::PumpEvents();
    EXPECT_LT(ticks.MaxGapMs(), 250);
    EXPECT_EQ(VlanGets(), (std::vector<std::string>{VlanGet(100), VlanGet(200)}));
    EXPECT_EQ(Rows(drv),
              (std::vector<std::string>{"1 default Disabled", "100 office Enabled", "200 voice Disabled"}));
    EXPECT_TRUE(dlg.isEnabled());
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_RLL_REFRESH));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_RLL_APPLY_VLAN));
    EXPECT_EQ(boxes.Count(), 0u);
    s_sim->DelayMs(0);
}

TEST_F(LocalRelayVlanReads, CloseDuringTheReadsStopsThem) {
    s_sim->DelayMs(1000);
    CDHCPLocalRelayDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return VlanGets().size() == 1; }, 30000));
    drv.CloseBox();
    ASSERT_TRUE(drv.WaitEnded(2000));  // the read in flight does not hold the window
    const size_t sent = test::DistinctRequests(*s_sim).size();
    EXPECT_FALSE(WaitUntil([&] { return test::DistinctRequests(*s_sim).size() > sent; }, 2500));
    EXPECT_EQ(VlanGets(), std::vector<std::string>{VlanGet(100)});
    EXPECT_EQ(dlg.WalksEnded(), 0);
    EXPECT_EQ(drv.Rows(IDC_RLL_LIST), 0);
    EXPECT_EQ(boxes.Count(), 0u);
    s_sim->DelayMs(0);
}

TEST_F(LocalRelayVlanReads, AFailedReadIsSaidOnceAndItsVlanIsNotListed) {
    // Refused: the reads end there; VLAN 200 is not read either, and nothing is made up for them.
    s_sim->ErrorStatus(kVlan + ".1.100", 5);
    {
        CDHCPLocalRelayDlg dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(WaitUntil([&] { return dlg.WalksEnded() == 1; }));
        test::PumpEvents();
        EXPECT_EQ(VlanGets(), std::vector<std::string>{VlanGet(100)});
        EXPECT_EQ(Rows(drv), std::vector<std::string>{"1 default Disabled"});
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{kFailed});
        EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_RLL_REFRESH));

        // Refresh once the device reads again: every VLAN is back, nothing more is said.
        s_sim->ErrorStatus(kVlan + ".1.100", 0);
        boxes.Clear();
        ASSERT_TRUE(drv.Click(IDC_RLL_REFRESH));
        ASSERT_TRUE(WaitUntil([&] { return dlg.WalksEnded() == 2; }));
        test::PumpEvents();
        EXPECT_EQ(Rows(drv), (std::vector<std::string>{"1 default Disabled", "100 office Enabled",
                                                       "200 voice Disabled"}));
        EXPECT_EQ(boxes.Count(), 0u);
    }

    // A row status of the wrong type: that VLAN only is not listed; the next one is still read.
    s_sim->Set(kVlan + ".5.100", "s", "1");
    boxes.Clear();
    s_sim->ClearLog();
    {
        CDHCPLocalRelayDlg dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(WaitUntil([&] { return dlg.WalksEnded() == 1; }));
        test::PumpEvents();
        EXPECT_EQ(VlanGets(), (std::vector<std::string>{VlanGet(100), VlanGet(200)}));
        EXPECT_EQ(Rows(drv), (std::vector<std::string>{"1 default Disabled", "200 voice Disabled"}));
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{kFailed});
    }

    // A relay entry whose VLAN the switch does not hold is left out without a word.
    s_sim->Set(kVlan + ".5.100", "i", "1");
    s_sim->Command("unset " + kVlan + ".1.200");
    s_sim->Command("unset " + kVlan + ".5.200");
    boxes.Clear();
    s_sim->ClearLog();
    CDHCPLocalRelayDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return dlg.WalksEnded() == 1; }));
    test::PumpEvents();
    EXPECT_EQ(VlanGets(), (std::vector<std::string>{VlanGet(100), VlanGet(200)}));
    EXPECT_EQ(Rows(drv), (std::vector<std::string>{"1 default Disabled", "100 office Enabled"}));
    EXPECT_EQ(boxes.Count(), 0u);
}

}  // namespace
