// Route table view over the SNMP class library: the walk of eleven columns started by showing the view,
// the type and protocol names, Refresh during a walk, other SNMP versions, and what a real Net-SNMP agent
// holds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "features/monitoring/RouterMap.h"
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

const std::string kT = "1.3.6.1.2.1.4.21.1";
const int kColumns[11] = {1, 7, 11, 2, 8, 9, 10, 3, 4, 5, 6};

class RouterMap : public test::SharedSimTest {
protected:
    static void WaitRead(CRouterMap& dlg) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.LastEndStatus() != 0 && !dlg.Reading(); }));
    }
    test::ScriptedMessageBox boxes;
};

TEST_F(RouterMap, ShowsTheRoutesWithTypeAndProtocolNames) {
    CRouterMap dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "Router Table");
    const auto steps = test::OfKind(s_sim->Requests(), "getnext");
    ASSERT_GE(steps.size(), 4u);
    std::string first = "getnext quaint";
    for (int c : kColumns) {
        first += " " + kT + "." + std::to_string(c) + "|n|";
    }
    EXPECT_EQ(test::Describe(steps[0]), first);
    ASSERT_EQ(drv.Rows(IDC_ROUTE_LIST), 3);
    EXPECT_EQ(drv.Row(IDC_ROUTE_LIST, 0),
              (std::vector<std::string>{"0.0.0.0", "192.168.1.254", "0.0.0.0", "1", "Indirect", "netmgmt",
                                        "0", "1", "-1", "-1", "-1"}));
    EXPECT_EQ(drv.Row(IDC_ROUTE_LIST, 1),
              (std::vector<std::string>{"10.0.0.0", "10.0.0.1", "255.0.0.0", "2", "Direct", "local", "120",
                                        "0", "-1", "-1", "-1"}));
    EXPECT_EQ(drv.Cell(IDC_ROUTE_LIST, 2, 5), "bgp");
    EXPECT_EQ(drv.Cell(IDC_ROUTE_LIST, 2, 6), "2147483647");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_ROUTE_COUNT), "3");
}

TEST_F(RouterMap, TypesAndProtocolsOutsideTheListsAndMissingValues) {
    s_sim->Set(kT + ".8.10.0.0.0", "i", "5");
    s_sim->Set(kT + ".9.10.0.0.0", "i", "1");
    s_sim->Set(kT + ".9.0.0.0.0", "i", "99");
    CRouterMap dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(drv.Cell(IDC_ROUTE_LIST, 1, 4), "0");
    EXPECT_EQ(drv.Cell(IDC_ROUTE_LIST, 1, 5), "other");
    EXPECT_EQ(drv.Cell(IDC_ROUTE_LIST, 0, 5), "other");
    EXPECT_EQ(CRouterMap::ColumnText(4, std::nullopt), "");
    EXPECT_EQ(CRouterMap::ColumnText(5, std::nullopt), "");
    EXPECT_EQ(CRouterMap::ColumnText(4, "4"), "Indirect");
    EXPECT_EQ(CRouterMap::ColumnText(5, "13"), "ospf");
}

TEST_F(RouterMap, RefreshDuringAWalkEmptiesTheListAndTheWalkGoesOn) {
    s_sim->DelayMs(150);
    CRouterMap dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return drv.Rows(IDC_ROUTE_LIST) == 1; }));
    ASSERT_TRUE(drv.Click(IDC_ROUTE_REFRESH));
    EXPECT_EQ(drv.Rows(IDC_ROUTE_LIST), 0);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_ROUTE_COUNT), "0");
    WaitRead(dlg);
    // The rows after the first: counted from 1 again; one walk only.
    EXPECT_EQ(drv.Rows(IDC_ROUTE_LIST), 2);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_ROUTE_COUNT), "2");
    EXPECT_EQ(drv.Cell(IDC_ROUTE_LIST, 0, 0), "10.0.0.0");
    EXPECT_EQ(test::OfKind(s_sim->Requests(), "getnext").size(), 4u);
}

TEST_F(RouterMap, OtherSnmpVersionsReadNothing) {
    test::UseSimV3(*s_sim, "1", "noauthuser", "1", "", "1", "");
    CRouterMap dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(drv.Click(IDC_ROUTE_REFRESH));
    test::PumpEvents();
    EXPECT_TRUE(s_sim->Requests().empty());
    EXPECT_EQ(drv.Rows(IDC_ROUTE_LIST), 0);
}

TEST(RouterMapRealAgent, ShowsWhatSnmpwalkReads) {
    if (!test::RealSnmpd::Available()) {
        GTEST_SKIP() << "snmpd is not installed";
    }
    test::RealSnmpd agent;
    test::UseSnmpdV1(agent);
    test::ScriptedMessageBox boxes;
    std::vector<std::vector<test::ToolBinding>> columns;
    for (int c : kColumns) {
        columns.push_back(agent.Walk(kT + "." + std::to_string(c)));
    }
    ASSERT_FALSE(columns[0].empty());
    {
        CRouterMap dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(WaitUntil([&] { return dlg.LastEndStatus() != 0 && !dlg.Reading(); }));
        ASSERT_EQ(static_cast<size_t>(drv.Rows(IDC_ROUTE_LIST)), columns[0].size());
        for (size_t r = 0; r < columns[0].size(); ++r) {
            for (int c = 0; c < 11; ++c) {
                // A column the agent does not have is empty in both.
                const auto& column = columns[static_cast<size_t>(c)];
                const std::optional<std::string> value =
                    r < column.size() ? std::optional(column[r].value) : std::nullopt;
                EXPECT_EQ(drv.Cell(IDC_ROUTE_LIST, static_cast<int>(r), c), CRouterMap::ColumnText(c, value))
                    << r << " " << c;
            }
        }
    }
    ResetConnectionSettings();
}

}  // namespace
