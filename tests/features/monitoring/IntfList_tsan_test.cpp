// Interface and IP address views against the simulated switch: the walk's exact requests, the rows and
// texts (link states, speeds read unsigned, addresses of four octets), rows or replies missing a column,
// empty tables, a walk that times out midway and a walk still running at close. Against a real Net-SNMP
// agent: what the views show is what snmpwalk reads of the same columns.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "features/monitoring/IPAddrTable.h"
#include "features/monitoring/IntfList.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_stdmib.h"
#include "res/resource.h"
#include "tests/features/monitoring/StdMibTable_test.h"

namespace {

using namespace ksx;
using namespace ksx::dialogtest;
using namespace ksx::stdmibtest;

const std::string kIf = "1.3.6.1.2.1.2.2.1";
const std::string kIp = "1.3.6.1.2.1.4.20.1";
const std::string kIfWalk = "getnext 1.3.6.1.2.1.2.2.1.1=n: 1.3.6.1.2.1.2.2.1.8=n: 1.3.6.1.2.1.2.2.1.5=n:";

class StdMibView : public test::SharedSimTest {
protected:
    test::SimSwitch& sim = *s_sim;
    test::ScriptedMessageBox boxes;
};

bool Idle(const CDialog& dlg, int refreshId) {
    return dlg.IsDlgItemEnabled(refreshId);
}

TEST_F(StdMibView, InterfacesFromOneWalkOfThreeColumns) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_INTERFACE_TABLE));
    CIntfList dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return Idle(dlg, IDC_INTF_REFRESH) && drv.Rows(IDC_INTF_LIST) > 0; }));
    EXPECT_EQ(dlg.GetWindowText(), "Interface Table");
    EXPECT_EQ(Headings(drv, IDC_INTF_LIST),
              (std::vector<std::string>{"  Index          ", "  Link Status             ",
                                        "  Speed(b/s)                      "}));
    const auto lines = RequestLines(sim.Requests());
    ASSERT_EQ(lines.size(), 29u);  // 28 rows and the step past the table
    EXPECT_EQ(lines[0], kIfWalk);
    EXPECT_EQ(lines[1], "getnext 1.3.6.1.2.1.2.2.1.1.1=n: 1.3.6.1.2.1.2.2.1.8.1=n: 1.3.6.1.2.1.2.2.1.5.1=n:");
    EXPECT_EQ(sim.Requests()[0].principal, "quaint");
    ASSERT_EQ(drv.Rows(IDC_INTF_LIST), 28);
    EXPECT_EQ(drv.Row(IDC_INTF_LIST, 0), (std::vector<std::string>{"1", "Connected", "100M"}));
    EXPECT_EQ(drv.Row(IDC_INTF_LIST, 3), (std::vector<std::string>{"4", "UnConnected", "100M"}));
    EXPECT_EQ(drv.Row(IDC_INTF_LIST, 8), (std::vector<std::string>{"9", "Connected", "10M"}));
    EXPECT_EQ(drv.Row(IDC_INTF_LIST, 24), (std::vector<std::string>{"25", "Connected", "1000M"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_INTF_COUNT), "28");
    EXPECT_EQ(boxes.Count(), 0u);

    sim.ClearLog();
    ASSERT_TRUE(drv.Click(IDC_INTF_REFRESH));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_INTF_REFRESH));  // no second walk while one runs
    ASSERT_TRUE(WaitUntil([&] { return Idle(dlg, IDC_INTF_REFRESH); }));
    EXPECT_EQ(drv.Rows(IDC_INTF_LIST), 28);  // read again, not added to
    EXPECT_EQ(RequestLines(sim.Requests())[0], kIfWalk);
    ASSERT_TRUE(drv.Click(IDCANCEL));
    EXPECT_TRUE(drv.WaitEnded());
    EXPECT_EQ(drv.Result(), IDCANCEL);
}

TEST_F(StdMibView, LinkStatesAndSpeedsAsTheDeviceGivesThem) {
    sim.Set(kIf + ".8.2", "i", "7");
    sim.Set(kIf + ".8.3", "i", "3");
    sim.Set(kIf + ".5.1", "g", "4294967295");  // a Gauge32 past 2^31
    sim.Set(kIf + ".5.4", "g", "0");
    sim.Set(kIf + ".5.5", "g", "1999999");    // the remainder below a megabit is dropped
    sim.Set(kIf + ".5.6", "s", "100000000");  // not a Gauge32: not read
    CIntfList dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return Idle(dlg, IDC_INTF_REFRESH) && drv.Rows(IDC_INTF_LIST) == 28; }));
    EXPECT_EQ(drv.Row(IDC_INTF_LIST, 0), (std::vector<std::string>{"1", "Connected", "4294M"}));
    EXPECT_EQ(drv.Row(IDC_INTF_LIST, 1), (std::vector<std::string>{"2", "Unknown", "100M"}));
    EXPECT_EQ(drv.Row(IDC_INTF_LIST, 2), (std::vector<std::string>{"3", "Test", "100M"}));
    EXPECT_EQ(drv.Row(IDC_INTF_LIST, 3), (std::vector<std::string>{"4", "UnConnected", "0M"}));
    EXPECT_EQ(drv.Row(IDC_INTF_LIST, 4), (std::vector<std::string>{"5", "Connected", "1M"}));
    EXPECT_EQ(drv.Row(IDC_INTF_LIST, 5), (std::vector<std::string>{"6", "Connected", ""}));
}

TEST_F(StdMibView, ARowMissingAColumnShowsAnEmptyCellAndEveryOtherRowItsOwn) {
    sim.Command("unset " + kIf + ".5.5");
    sim.Command("unset " + kIf + ".8.7");
    sim.Command("unset " + kIf + ".5.28");
    CIntfList dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return Idle(dlg, IDC_INTF_REFRESH) && drv.Rows(IDC_INTF_LIST) > 0; }));
    ASSERT_EQ(drv.Rows(IDC_INTF_LIST), 28);
    EXPECT_EQ(drv.Row(IDC_INTF_LIST, 4), (std::vector<std::string>{"5", "Connected", ""}));
    EXPECT_EQ(drv.Row(IDC_INTF_LIST, 5), (std::vector<std::string>{"6", "Connected", "100M"}));
    EXPECT_EQ(drv.Row(IDC_INTF_LIST, 6), (std::vector<std::string>{"7", "", "100M"}));
    EXPECT_EQ(drv.Row(IDC_INTF_LIST, 7), (std::vector<std::string>{"8", "Connected", "100M"}));
    EXPECT_EQ(drv.Row(IDC_INTF_LIST, 24), (std::vector<std::string>{"25", "Connected", "1000M"}));
    EXPECT_EQ(drv.Row(IDC_INTF_LIST, 27), (std::vector<std::string>{"28", "UnConnected", ""}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_INTF_COUNT), "28");
}

// A reply that lacks a column leaves that cell empty in every row: the walk goes on and ends well.
TEST_F(StdMibView, AColumnLeftOutOfEveryReplyEmptiesItsCellsAndEndsNothing) {
    sim.Omit(kIf + ".5");
    {
        CIntfList dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(WaitUntil([&] { return Idle(dlg, IDC_INTF_REFRESH) && drv.Rows(IDC_INTF_LIST) > 0; }));
        ASSERT_EQ(drv.Rows(IDC_INTF_LIST), 28);
        EXPECT_EQ(drv.Row(IDC_INTF_LIST, 0), (std::vector<std::string>{"1", "Connected", ""}));
        EXPECT_EQ(drv.Row(IDC_INTF_LIST, 27), (std::vector<std::string>{"28", "UnConnected", ""}));
        EXPECT_EQ(dlg.GetDlgItemText(IDC_INTF_COUNT), "28");
    }
    sim.OmitNone();
    sim.Omit(kIp + ".3");
    {
        CIPAddrTable dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(
            WaitUntil([&] { return Idle(dlg, IDC_IPADDR_REFRESH) && drv.Rows(IDC_IPADDR_LIST) > 0; }));
        EXPECT_EQ(ListRows(drv, IDC_IPADDR_LIST), (Rows{{"127.0.0.1", ""}, {"192.168.1.1", ""}}));
        EXPECT_EQ(dlg.GetDlgItemText(IDC_IPADDR_COUNT), "2");
    }
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(StdMibView, AWalkTimingOutMidwayKeepsItsRowsSaysSoAndGivesRefreshBack) {
    test::UseSimV1(sim, "600");
    sim.DelayMs(40);
    CIntfList dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return drv.Rows(IDC_INTF_LIST) >= 3; }));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_INTF_COUNT), "");  // no count before the walk ended well
    sim.Silence(true);
    ASSERT_TRUE(WaitUntil([&] { return Idle(dlg, IDC_INTF_REFRESH); }));
    const int rows = drv.Rows(IDC_INTF_LIST);
    EXPECT_GE(rows, 3);
    EXPECT_LT(rows, 28);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_INTF_COUNT), "");  // the rows so far are not the table's count
    EXPECT_EQ(drv.Row(IDC_INTF_LIST, 0), (std::vector<std::string>{"1", "Connected", "100M"}));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the interface table."});

    sim.Silence(false);
    sim.DelayMs(0);
    ASSERT_TRUE(drv.Click(IDC_INTF_REFRESH));
    ASSERT_TRUE(WaitUntil([&] { return Idle(dlg, IDC_INTF_REFRESH); }));
    EXPECT_EQ(drv.Rows(IDC_INTF_LIST), 28);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_INTF_COUNT), "28");
    EXPECT_EQ(boxes.Count(), 1u);
}

TEST_F(StdMibView, ClosingDuringAWalkStopsItBeforeTheWindowGoes) {
    sim.DelayMs(50);
    auto dlg = std::make_unique<CIntfList>();
    auto drv = std::make_unique<DialogDriver>(*dlg);
    ASSERT_TRUE(WaitUntil([&] { return drv->Rows(IDC_INTF_LIST) >= 2; }));
    ASSERT_TRUE(dlg->Reading());
    ASSERT_TRUE(drv->Click(IDCANCEL));
    ASSERT_TRUE(drv->WaitEnded());
    EXPECT_FALSE(dlg->Reading());
    const size_t requests = sim.Requests().size();
    drv.reset();
    dlg.reset();  // the window and its list are gone; nothing may reach them any more
    sim.DelayMs(0);
    EXPECT_FALSE(sim.WaitForRequests([&](const auto& log) { return log.size() > requests; }, 500));
}

TEST_F(StdMibView, IpAddressesWithTheirNetmasks) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_IP_TABLE));
    CIPAddrTable dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return Idle(dlg, IDC_IPADDR_REFRESH) && drv.Rows(IDC_IPADDR_LIST) > 0; }));
    EXPECT_EQ(dlg.GetWindowText(), "IP Table : 127.0.0.1");
    EXPECT_EQ(Headings(drv, IDC_IPADDR_LIST),
              (std::vector<std::string>{" IP                ", " Netmask               "}));
    EXPECT_EQ(RequestLines(sim.Requests()),
              (std::vector<std::string>{
                  "getnext 1.3.6.1.2.1.4.20.1.1=n: 1.3.6.1.2.1.4.20.1.3=n:",
                  "getnext 1.3.6.1.2.1.4.20.1.1.127.0.0.1=n: 1.3.6.1.2.1.4.20.1.3.127.0.0.1=n:",
                  "getnext 1.3.6.1.2.1.4.20.1.1.192.168.1.1=n: 1.3.6.1.2.1.4.20.1.3.192.168.1.1=n:",
              }));
    EXPECT_EQ(ListRows(drv, IDC_IPADDR_LIST),
              (Rows{{"127.0.0.1", "255.0.0.0"}, {"192.168.1.1", "255.255.255.0"}}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IPADDR_COUNT), "2");
    ASSERT_TRUE(drv.Click(IDCANCEL));
    EXPECT_TRUE(drv.WaitEnded());
    EXPECT_EQ(drv.Result(), IDOK);  // Close ends the dialog as OK
}

TEST_F(StdMibView, AddressesOfOtherThanFourOctetsAreNotShown) {
    sim.Set(kIp + ".3.192.168.1.1", "x", "ffffff00ff");  // five octets
    sim.Set(kIp + ".1.127.0.0.1", "x", "7f0001");        // three
    CIPAddrTable dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return Idle(dlg, IDC_IPADDR_REFRESH) && drv.Rows(IDC_IPADDR_LIST) > 0; }));
    EXPECT_EQ(ListRows(drv, IDC_IPADDR_LIST), (Rows{{"", "255.0.0.0"}, {"192.168.1.1", ""}}));
}

TEST_F(StdMibView, AnEmptyTableGivesAnEmptyListAndRefreshBack) {
    for (int column = 1; column <= 5; ++column) {
        for (const char* address : {"127.0.0.1", "192.168.1.1"}) {
            sim.Command("unset " + kIp + "." + std::to_string(column) + "." + address);
        }
    }
    CIPAddrTable dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return !sim.Requests().empty() && Idle(dlg, IDC_IPADDR_REFRESH); }));
    EXPECT_EQ(drv.Rows(IDC_IPADDR_LIST), 0);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IPADDR_COUNT), "0");
}

// The interface states and speeds of a real agent are stable; its IP addresses too.
TEST(StdMibViewRealAgent, InterfacesAndAddressesAreWhatSnmpwalkReads) {
    if (!test::RealSnmpd::Available()) {
        GTEST_SKIP() << "snmpd is not installed";
    }
    test::RealSnmpd agent;
    test::UseSnmpdV1(agent);
    test::ScriptedMessageBox boxes;
    {
        CIntfList dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(WaitUntil([&] { return Idle(dlg, IDC_INTF_REFRESH) && drv.Rows(IDC_INTF_LIST) > 0; }));
        const Rows expected = ToolRows(agent, {kIf + ".1", kIf + ".8", kIf + ".5"},
                                       {nullptr, &CIntfList::LinkStatusText, [](const std::string& v) {
                                            return CIntfList::SpeedText(std::stoull(v));
                                        }});
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(ListRows(drv, IDC_INTF_LIST), expected);
        EXPECT_EQ(dlg.GetDlgItemText(IDC_INTF_COUNT), std::to_string(expected.size()));
    }
    {
        CIPAddrTable dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(
            WaitUntil([&] { return Idle(dlg, IDC_IPADDR_REFRESH) && drv.Rows(IDC_IPADDR_LIST) > 0; }));
        const Rows expected = ToolRows(agent, {kIp + ".1", kIp + ".3"}, {nullptr, nullptr});
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(ListRows(drv, IDC_IPADDR_LIST), expected);
        EXPECT_EQ(dlg.GetWindowText(), "IP Table : 127.0.0.1");
    }
    EXPECT_EQ(boxes.Count(), 0u);
    ResetConnectionSettings();
}

}  // namespace
