// The trap host dialog against the simulated switch: IPv4, IPv6 and link-local hosts added and listed,
// the address checks (the interface part ignored in the duplicate test), the maximum of 10 checked
// last, delete by the address key, an address never checked, and a failed step undone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/EditEXIPV6.h"
#include "features/snmp_agent/SNMPHost.h"
#include "platform/sys/Tunable.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_snmp_agent.h"
#include "tests/features/snmp_agent/SnmpAgentTest.h"

namespace {

using namespace ksx;
using namespace ksx::snmpagenttest;
using test::DialogDriver;
using test::WaitUntil;

const std::string kLinkLocal = ".16.254.128.0.0.0.0.0.0.0.0.0.0.0.0.0.1.2";

class Host : public AgentSimTest {
protected:
    static void WaitRead(CSNMPHost& dlg, int reads) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.ReadsEnded() >= reads; }));
    }
    static void Try(DialogDriver& drv, const std::string& address, int version, const std::string& name) {
        ASSERT_TRUE(drv.Type(IDC_HOST_ADDRESS, address));
        ASSERT_TRUE(drv.Select(IDC_HOST_VERSION, version));
        ASSERT_TRUE(drv.Type(IDC_HOST_NAME, name));
        ASSERT_TRUE(drv.Click(IDC_HOST_APPLY));
    }
    static void Add(DialogDriver& drv, CSNMPHost& dlg, const std::string& address, int version,
                    const std::string& name) {
        const int before = dlg.ReadsEnded();
        Try(drv, address, version, name);
        WaitRead(dlg, before + 1);
    }
    std::vector<std::string> Sets() const {
        std::vector<std::string> out;
        for (const std::string& line : Log()) {
            if (line.rfind("set ", 0) == 0) {
                out.push_back(line.substr(4));
            }
        }
        return out;
    }
    Tunable::Override pause{"snmp-host.refresh-pause-ms", 0};
};

TEST_F(Host, AddsLinkLocalAndIPv4HostsAndDeletesByAddress) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_SNMP_HOST));
    CSNMPHost dlg;
    DialogDriver drv(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "SNMP Host Table");
    WaitRead(dlg, 1);
    EXPECT_EQ(drv.Row(IDC_HOST_LIST, 0), (std::vector<std::string>{"192.168.1.50", "V2c", "public"}));
    EXPECT_EQ(drv.Row(IDC_HOST_LIST, 1), (std::vector<std::string>{"2001:db8::10", "V2c", "private"}));
    s_sim->ClearLog();
    Add(drv, dlg, "fe80::1%eth0", 4, "u1");
    EXPECT_EQ(Sets(), (std::vector<std::string>{
                          ".6.2.1.6" + kLinkLocal + "=i:5",
                          ".6.2.1.3" + kLinkLocal + "=s:u1 .6.2.1.4" + kLinkLocal + "=i:5 .6.2.1.5" +
                              kLinkLocal + "=s:eth0",
                          ".6.2.1.6" + kLinkLocal + "=i:1",
                      }));
    EXPECT_EQ(drv.Row(IDC_HOST_LIST, 2), (std::vector<std::string>{"fe80::1%eth0", "V3-AuthPriv", "u1"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_HOST_ADDRESS), "");
    // A global IPv6 address carries no interface.
    s_sim->ClearLog();
    Add(drv, dlg, "2001:DB8::1", 1, "c2");
    const std::string global = ".16.32.1.13.184.0.0.0.0.0.0.0.0.0.0.0.1.2";
    EXPECT_EQ(Sets()[1], ".6.2.1.3" + global + "=s:c2 .6.2.1.4" + global + "=i:2");
    s_sim->ClearLog();
    Add(drv, dlg, "10.1.1.1", 0, "public");
    EXPECT_EQ(Sets()[0], ".6.2.1.6.4.10.1.1.1.1=i:5");
    EXPECT_TRUE(boxes.Texts().empty());
    // Delete: the IPv4 row, then the link-local one (without its interface in the key).
    s_sim->ClearLog();
    ASSERT_EQ(drv.Cell(IDC_HOST_LIST, 0, 0), "10.1.1.1");
    ASSERT_TRUE(drv.ClickRow(IDC_HOST_LIST, 0));
    ASSERT_TRUE(drv.Click(IDC_HOST_DELETE));
    WaitRead(dlg, 5);
    ASSERT_EQ(drv.Cell(IDC_HOST_LIST, 3, 0), "fe80::1%eth0");
    ASSERT_TRUE(drv.ClickRow(IDC_HOST_LIST, 3));
    ASSERT_TRUE(drv.Click(IDC_HOST_DELETE));
    WaitRead(dlg, 6);
    EXPECT_EQ(Sets(),
              (std::vector<std::string>{".6.2.1.6.4.10.1.1.1.1=i:6", ".6.2.1.6" + kLinkLocal + "=i:6"}));
}

TEST_F(Host, AddressNameAndDuplicateChecksComeBeforeTheMaximum) {
    CSNMPHost dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg, 1);
    Add(drv, dlg, "fe80::1%eth0", 0, "c");
    s_sim->ClearLog();
    // Emptied after the add: checked as it stands, not taken for the address added before.
    ASSERT_TRUE(drv.Type(IDC_HOST_NAME, "c"));
    ASSERT_TRUE(drv.Click(IDC_HOST_APPLY));
    Try(drv, "192.168.1.256", 0, "c");
    Try(drv, "fe80::2%", 0, "c");
    Try(drv, "fe80::2%a;b", 0, "c");
    Try(drv, "192.168.1.50", 0, "c");
    Try(drv, "fe80::1%eth1", 0, "c");  // the interface part is not compared
    Try(drv, "10.0.0.9", 0, "   ");
    Try(drv, "10.0.0.9", 0, "pub|lic");
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{
                  "Invalid Ip Address.", "Invalid Ip Address.",
                  "Link local address must specify interface name!ex: feXX::XXXX%InterfaceName",
                  CSNMPHost::kTextInterface, CSNMPHost::kTextUsed, CSNMPHost::kTextUsed,
                  CSNMPHost::kTextEmptyName, CSNMPHost::kTextInvalidName}));
    EXPECT_TRUE(Sets().empty());
    for (int i = 1; i <= 7; ++i) {
        Add(drv, dlg, "10.0.0." + std::to_string(i), 0, "c");
    }
    ASSERT_EQ(drv.Rows(IDC_HOST_LIST), 10);
    boxes.Clear();
    s_sim->ClearLog();
    Try(drv, "10.0.0.1", 0, "c");  // listed: said before the maximum
    Try(drv, "10.0.0.8", 0, "c");
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{CSNMPHost::kTextUsed, CSNMPHost::kTextMaximum}));
    EXPECT_TRUE(Sets().empty());
    boxes.Clear();
    ASSERT_TRUE(drv.Click(IDC_HOST_DELETE));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{CSNMPHost::kTextSelect});
}

TEST_F(Host, AFailedStepIsToldAndTheRowRemoved) {
    CSNMPHost dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg, 1);
    const std::string key = ".4.10.9.9.9.1";
    s_sim->ErrorStatus(kB + ".6.2.1.3" + key, 5);
    s_sim->ClearLog();
    Add(drv, dlg, "10.9.9.9", 1, "c");
    s_sim->ErrorStatus(kB + ".6.2.1.3" + key, 0);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{
                  "Failed to add the host: the device did not accept its community or user name and "
                  "version. The host was not added."});
    EXPECT_EQ(Sets().back(), ".6.2.1.6" + key + "=i:6");
    EXPECT_EQ(s_sim->Get(kB + ".6.2.1.6" + key), "");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_HOST_ADDRESS), "10.9.9.9");
}

}  // namespace
