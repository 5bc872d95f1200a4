// The standard-MIB views and the system information on reads that fail: a dead device, values of the
// wrong type, an SNMPv3 user the agent refuses (the simulated switch, then a real Net-SNMP agent). A
// failed walk says so once and shows no count; a value of the wrong type is an empty cell.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "features/monitoring/IPAddrTable.h"
#include "features/monitoring/IntfList.h"
#include "features/monitoring/SnmpDevIden.h"
#include "features/monitoring/SwitchDatabase.h"
#include "features/monitoring/TcpPortInfo.h"
#include "features/monitoring/UdpPortInfo.h"
#include "platform/sys/Globals.h"
#include "res/ids_stdmib.h"
#include "res/ids_sysinfo.h"
#include "tests/features/monitoring/StdMibTable_test.h"

namespace {

using namespace ksx;
using namespace ksx::dialogtest;
using namespace ksx::stdmibtest;

const std::string kIf = "1.3.6.1.2.1.2.2.1";
const std::string kTcp = "1.3.6.1.2.1.6.13.1";
const std::string kUdp = "1.3.6.1.2.1.7.5.1";
const std::string kFdb = "1.3.6.1.2.1.17.7.1.2.2.1";
const std::string kListen23 = ".0.0.0.0.23.0.0.0.0.0";
const std::string kShaRefused = "SNMPv3 authentication failed for user shauser.";

class StdMibFailure : public test::SharedSimTest {
protected:
    test::SimSwitch& sim = *s_sim;
    test::ScriptedMessageBox boxes;
};

TEST_F(StdMibFailure, ADeadDeviceIsSaidOnceAndNeverCountedAsRead) {
    struct View {
        int listId, countId, refreshId, rows;
        std::string failed;
    };
    const View views[] = {
        {IDC_INTF_LIST, IDC_INTF_COUNT, IDC_INTF_REFRESH, 28, "Failed to read the interface table."},
        {IDC_IPADDR_LIST, IDC_IPADDR_COUNT, IDC_IPADDR_REFRESH, 2, "Failed to read the IP address table."},
    };
    test::UseSimV1(sim, "400");
    for (const View& v : views) {
        sim.Silence(true);
        boxes.Clear();
        std::unique_ptr<CStdMibTable> dlg;
        if (v.listId == IDC_INTF_LIST) {
            dlg = std::make_unique<CIntfList>();
        } else {
            dlg = std::make_unique<CIPAddrTable>();
        }
        DialogDriver drv(*dlg);
        ASSERT_TRUE(boxes.WaitForCount(1, 10000)) << v.failed;
        EXPECT_TRUE(dlg->IsDlgItemEnabled(v.refreshId));
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{v.failed});
        EXPECT_EQ(drv.Rows(v.listId), 0);
        EXPECT_EQ(dlg->GetDlgItemText(v.countId), "");  // not "0": nothing was read

        // Answering again: Refresh reads the table and counts it, and says nothing.
        sim.Silence(false);
        ASSERT_TRUE(drv.Click(v.refreshId));
        ASSERT_TRUE(WaitUntil([&] { return dlg->GetDlgItemText(v.countId) == std::to_string(v.rows); }));
        EXPECT_EQ(drv.Rows(v.listId), v.rows);
        EXPECT_EQ(boxes.Count(), 1u);
    }
}

TEST_F(StdMibFailure, ValuesOfTheWrongTypeAreEmptyCells) {
    sim.Set(kIf + ".1.2", "s", "zz");  // an interface index
    sim.Set(kIf + ".8.3", "s", "1");   // a link state
    sim.Set(kTcp + ".3" + kListen23, "s", "zz");
    sim.Set(kTcp + ".5" + kListen23, "s", "zz");
    sim.Set(kTcp + ".1" + kListen23, "s", "2");
    sim.Set(kUdp + ".2.0.0.0.0.69", "s", "zz");
    sim.Set(kFdb + ".2.1.0.10.11.12.13.14", "s", "zz");  // a forwarding entry's port
    sim.Set(kFdb + ".3.1.0.17.34.51.68.85", "s", "5");   // and another's status
    {
        CIntfList dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(WaitUntil([&] { return dlg.GetDlgItemText(IDC_INTF_COUNT) == "28"; }));
        EXPECT_EQ(drv.Row(IDC_INTF_LIST, 1), (std::vector<std::string>{"", "Connected", "100M"}));
        EXPECT_EQ(drv.Row(IDC_INTF_LIST, 2), (std::vector<std::string>{"3", "", "100M"}));
    }
    {
        CTcpPortInfo dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(
            WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_CONN_REFRESH) && drv.Rows(IDC_TCP_LIST) == 4; }));
        EXPECT_EQ(drv.Row(IDC_TCP_LIST, 0), (std::vector<std::string>{"", "0.0.0.0", "0.0.0.0", "", ""}));
        EXPECT_EQ(drv.Row(IDC_TCP_LIST, 1),
                  (std::vector<std::string>{"80", "0.0.0.0", "0.0.0.0", "0", "listen"}));
    }
    {
        CUdpPortInfo dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(
            WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_CONN_REFRESH) && drv.Rows(IDC_UDP_LIST) > 1; }));
        EXPECT_EQ(drv.Row(IDC_UDP_LIST, 0), (std::vector<std::string>{"", "0.0.0.0"}));
        EXPECT_EQ(drv.Row(IDC_UDP_LIST, 1), (std::vector<std::string>{"161", "0.0.0.0"}));
    }
    {
        CSwitchDatabase dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(WaitUntil([&] { return !dlg.Walking() && drv.Rows(IDC_FDB_LIST) == 11; }));
        EXPECT_EQ(drv.Row(IDC_FDB_LIST, 0),
                  (std::vector<std::string>{"1", "", "00-0A-0B-0C-0D-0E", "Static"}));
        EXPECT_EQ(drv.Row(IDC_FDB_LIST, 1), (std::vector<std::string>{"2", "7", "00-11-22-33-44-55", ""}));
    }
    EXPECT_EQ(boxes.Count(), 0u);  // a cell not read is no failed walk
}

TEST_F(StdMibFailure, TheForwardingTableSaysItsFailedReadsInOneBox) {
    test::UseSimV1(sim, "400");
    sim.Silence(true);
    CSwitchDatabase dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(boxes.WaitForCount(1, 10000));
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_FDB_REFRESH); }));
    test::PumpEvents();
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Failed to read the forwarding table and the aging time."});
    EXPECT_EQ(dlg.GetDlgItemText(IDC_FDB_AGING), "");
}

TEST_F(StdMibFailure, AnSnmpV3UserTheSwitchRefusesIsNamedOncePerWindow) {
    test::UseSimV3(sim, "2", "shauser", "3", "not-the-password", "1", "");
    {
        CIntfList dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(boxes.WaitForCount(1, 10000));
        EXPECT_EQ(boxes.Texts(),
                  std::vector<std::string>{"Failed to read the interface table.\n" + kShaRefused});
        EXPECT_EQ(dlg.GetDlgItemText(IDC_INTF_COUNT), "");
        // Refreshed, the read fails again and says so; the reason was given already.
        ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_INTF_REFRESH); }));
        ASSERT_TRUE(drv.Click(IDC_INTF_REFRESH));
        ASSERT_TRUE(boxes.WaitForCount(2, 10000));
        test::PumpEvents();
        EXPECT_EQ(boxes.Texts(),
                  (std::vector<std::string>{"Failed to read the interface table.\n" + kShaRefused,
                                            "Failed to read the interface table."}));
    }
    // Two reads of one window that both fail: one box, the reason named in it.
    boxes.Clear();
    CSwitchDatabase dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(boxes.WaitForCount(1, 10000));
    test::PumpEvents();
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{
                                 "Failed to read the forwarding table and the aging time.\n" + kShaRefused});
}

// A real agent refuses a wrong authentication password with a report: the views name the failure, in
// the same box as what was not read, exactly once.
TEST(StdMibFailureRealAgent, AWrongAuthenticationPasswordIsNamed) {
    if (!test::RealSnmpd::Available()) {
        GTEST_SKIP() << "snmpd is not installed";
    }
    test::RealSnmpd agent;
    test::ScriptedMessageBox boxes;
    const std::string refused =
        "SNMPv3 authentication failed for user " + std::string(test::RealSnmpd::kV3User) + ".";

    // The agent's own password reads the interfaces over SNMPv3.
    test::UseSnmpdV3(agent, "2");
    {
        CIntfList dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(WaitUntil([&] { return !dlg.GetDlgItemText(IDC_INTF_COUNT).empty(); }));
        EXPECT_GT(drv.Rows(IDC_INTF_LIST), 0);
        EXPECT_EQ(boxes.Count(), 0u);
    }

    test::UseSnmpdV3(agent, "2", "wrongauthpass");
    {
        CIntfList dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(boxes.WaitForCount(1, 10000));
        test::PumpEvents();
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the interface table.\n" + refused});
        EXPECT_EQ(drv.Rows(IDC_INTF_LIST), 0);
        EXPECT_EQ(dlg.GetDlgItemText(IDC_INTF_COUNT), "");
    }
    boxes.Clear();
    {
        CSnmpDevIden dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(boxes.WaitForCount(1, 10000));
        test::PumpEvents();
        EXPECT_EQ(boxes.Texts(),
                  std::vector<std::string>{"Failed to read the system information.\n" + refused});
        EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_SYSINFO_APPLY));
    }
    ResetConnectionSettings();
}

}  // namespace
