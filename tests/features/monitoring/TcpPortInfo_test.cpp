// TCP and UDP connection views against the simulated switch: the walk's exact requests, the rows, the
// state names, rows missing a column and empty tables. Against a real Net-SNMP agent: what the views
// show is what snmpwalk reads of the same columns (connections come and go, so a few tries).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "features/monitoring/TcpPortInfo.h"
#include "features/monitoring/UdpPortInfo.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_stdmib.h"
#include "res/resource.h"
#include "tests/features/monitoring/StdMibTable_test.h"

namespace {

using namespace ksx;
using namespace ksx::dialogtest;
using namespace ksx::stdmibtest;

const std::string kTcp = "1.3.6.1.2.1.6.13.1";
const std::string kUdp = "1.3.6.1.2.1.7.5.1";
const std::string kEstablished = "192.168.1.1.23.192.168.1.100.51234";

class ConnectionView : public test::SharedSimTest {
protected:
    test::SimSwitch& sim = *s_sim;
    test::ScriptedMessageBox boxes;
};

bool Idle(const CDialog& dlg) {
    return dlg.IsDlgItemEnabled(IDC_CONN_REFRESH);
}

TEST_F(ConnectionView, TcpConnectionsWithTheirStateByName) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_TCP_SERVICE));
    CTcpPortInfo dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return Idle(dlg) && drv.Rows(IDC_TCP_LIST) > 0; }));
    EXPECT_EQ(dlg.GetWindowText(), "TCP Service");
    EXPECT_EQ(Headings(drv, IDC_TCP_LIST),
              (std::vector<std::string>{"Local Port ", " Local IP        ", " Remote IP       ",
                                        "Remote Port", " Status "}));
    const auto lines = RequestLines(sim.Requests());
    ASSERT_EQ(lines.size(), 5u);  // 4 rows and the step past the table
    EXPECT_EQ(lines[0],
              "getnext 1.3.6.1.2.1.6.13.1.3=n: 1.3.6.1.2.1.6.13.1.2=n: 1.3.6.1.2.1.6.13.1.4=n: "
              "1.3.6.1.2.1.6.13.1.5=n: 1.3.6.1.2.1.6.13.1.1=n:");
    EXPECT_EQ(lines[3], "getnext 1.3.6.1.2.1.6.13.1.3." + kEstablished + "=n: 1.3.6.1.2.1.6.13.1.2." +
                            kEstablished + "=n: 1.3.6.1.2.1.6.13.1.4." + kEstablished +
                            "=n: 1.3.6.1.2.1.6.13.1.5." + kEstablished + "=n: 1.3.6.1.2.1.6.13.1.1." +
                            kEstablished + "=n:");
    EXPECT_EQ(ListRows(drv, IDC_TCP_LIST), (Rows{
                                               {"23", "0.0.0.0", "0.0.0.0", "0", "listen"},
                                               {"80", "0.0.0.0", "0.0.0.0", "0", "listen"},
                                               {"23", "192.168.1.1", "192.168.1.100", "51234", "established"},
                                               {"80", "192.168.1.1", "192.168.1.100", "51300", "timeWait"},
                                           }));
    ASSERT_TRUE(drv.Click(IDCANCEL));
    EXPECT_TRUE(drv.WaitEnded());
    EXPECT_EQ(drv.Result(), IDCANCEL);
}

TEST_F(ConnectionView, StateNamesAndTheValuesTheyDoNotKnow) {
    struct Case {
        const char* value;
        const char* text;
    };
    const Case cases[] = {{"1", "closed"},     {"3", "synSent"},   {"4", "synReceived"}, {"6", "finWait1"},
                          {"7", "finWait2"},   {"8", "closeWait"}, {"9", "lastAck"},     {"10", "closing"},
                          {"12", "deleteTCB"}, {"13", "closed"},   {"0", "closed"}};
    for (const Case& c : cases) {
        EXPECT_EQ(CTcpPortInfo::StateText(c.value), c.text) << c.value;
    }
    sim.Set(kTcp + ".1." + kEstablished, "i", "12");
    CTcpPortInfo dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return Idle(dlg) && drv.Rows(IDC_TCP_LIST) == 4; }));
    EXPECT_EQ(drv.Cell(IDC_TCP_LIST, 2, 4), "deleteTCB");
}

TEST_F(ConnectionView, ARowMissingColumnsFillsOnlyTheCellsItHas) {
    sim.Command("unset " + kTcp + ".5." + kEstablished);  // remote port
    sim.Command("unset " + kTcp + ".1." + kEstablished);  // state
    CTcpPortInfo dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return Idle(dlg) && drv.Rows(IDC_TCP_LIST) > 0; }));
    EXPECT_EQ(ListRows(drv, IDC_TCP_LIST), (Rows{
                                               {"23", "0.0.0.0", "0.0.0.0", "0", "listen"},
                                               {"80", "0.0.0.0", "0.0.0.0", "0", "listen"},
                                               {"23", "192.168.1.1", "192.168.1.100", "", ""},
                                               {"80", "192.168.1.1", "192.168.1.100", "51300", "timeWait"},
                                           }));
}

TEST_F(ConnectionView, UdpListeners) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_UDP_SERVICE));
    CUdpPortInfo dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return Idle(dlg) && drv.Rows(IDC_UDP_LIST) > 0; }));
    EXPECT_EQ(dlg.GetWindowText(), "UDP Service");
    EXPECT_EQ(Headings(drv, IDC_UDP_LIST), (std::vector<std::string>{"  Local Port ", "  Local IP      "}));
    const auto lines = RequestLines(sim.Requests());
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "getnext 1.3.6.1.2.1.7.5.1.2=n: 1.3.6.1.2.1.7.5.1.1=n:");
    EXPECT_EQ(lines[2], "getnext 1.3.6.1.2.1.7.5.1.2.0.0.0.0.161=n: 1.3.6.1.2.1.7.5.1.1.0.0.0.0.161=n:");
    EXPECT_EQ(ListRows(drv, IDC_UDP_LIST), (Rows{{"69", "0.0.0.0"}, {"161", "0.0.0.0"}, {"514", "0.0.0.0"}}));
}

TEST_F(ConnectionView, EmptyTablesGiveEmptyListsAndRefreshBack) {
    for (const char* row : {"0.0.0.0.69", "0.0.0.0.161", "0.0.0.0.514"}) {
        sim.Command("unset " + kUdp + ".1." + row);
        sim.Command("unset " + kUdp + ".2." + row);
    }
    CUdpPortInfo dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return !sim.Requests().empty() && Idle(dlg); }));
    EXPECT_EQ(drv.Rows(IDC_UDP_LIST), 0);
    EXPECT_EQ(RequestLines(sim.Requests()).size(), 1u);
}

// Reads the view and the tools until both agree (the agent's connections change between reads).
template <class View>
void ExpectWhatSnmpwalkReads(const test::RealSnmpd& agent, int listId,
                             const std::vector<std::string>& columns,
                             const std::vector<std::function<std::string(const std::string&)>>& formats) {
    View dlg;
    DialogDriver drv(dlg);
    Rows shown;
    Rows expected;
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (attempt > 0) {
            ASSERT_TRUE(drv.Click(IDC_CONN_REFRESH));
        }
        ASSERT_TRUE(WaitUntil([&] { return Idle(dlg); }));
        shown = ListRows(drv, listId);
        expected = ToolRows(agent, columns, formats);
        if (shown == expected && !shown.empty()) {
            break;
        }
    }
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(shown, expected);
}

TEST(ConnectionViewRealAgent, TcpAndUdpAreWhatSnmpwalkReads) {
    if (!test::RealSnmpd::Available()) {
        GTEST_SKIP() << "snmpd is not installed";
    }
    test::RealSnmpd agent;
    test::UseSnmpdV1(agent);
    test::ScriptedMessageBox boxes;
    ExpectWhatSnmpwalkReads<CTcpPortInfo>(agent, IDC_TCP_LIST,
                                          {kTcp + ".3", kTcp + ".2", kTcp + ".4", kTcp + ".5", kTcp + ".1"},
                                          {nullptr, nullptr, nullptr, nullptr, &CTcpPortInfo::StateText});
    ExpectWhatSnmpwalkReads<CUdpPortInfo>(agent, IDC_UDP_LIST, {kUdp + ".2", kUdp + ".1"},
                                          {nullptr, nullptr});
    EXPECT_EQ(boxes.Count(), 0u);
    ResetConnectionSettings();
}

}  // namespace
