// The feature logic base against the simulated switch: reads and writes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ModuleBase.h"
#include "platform/snmplib/Snmp.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "tests/support/ModuleBaseFixture.h"
#include "tests/support/SimSwitch.h"

namespace {

using ksx::test::SimRequest;

const std::string kP = "1.3.6.1.4.1.7393.10.76.20.1";
const std::string kVlanName = kP + ".7.6.1.1";
const std::string kVlanEgress = kP + ".7.6.1.2";
const std::string kVlanRowStatus = kP + ".7.6.1.5";
const std::string kIfPhysAddress1 = "1.3.6.1.2.1.2.2.1.6.1";

class ModuleBaseTest : public ksx::test::ModuleBaseSuite {
protected:
    static std::vector<SimRequest> Sets() { return ksx::test::Sets(s_sim->Requests()); }
};

TEST_F(ModuleBaseTest, ReadsGiveTextOrRawOctets) {
    s_sim->Set(kIfPhysAddress1, "x", "001122334456");
    CModuleBase logic;
    std::string value;
    ASSERT_TRUE(logic.GetValue(kIfPhysAddress1, value));
    EXPECT_EQ(value, std::string("\x00\x11\x22\x33\x44\x56", 6));
    ASSERT_TRUE(logic.GetValue(kVlanRowStatus + ".1", value));
    EXPECT_EQ(value, "1");
    value = "unchanged";
    EXPECT_FALSE(logic.GetValue("1.3.6.1.4.1.7393.99.99.0", value));
    EXPECT_EQ(value, "unchanged");
}

TEST_F(ModuleBaseTest, SystemMacIsOneBelowInterfaceOneWithBorrow) {
    CModuleBase logic;
    std::string mac;
    s_sim->Set(kIfPhysAddress1, "x", "001122334456");
    logic.GetSystemMac(mac);
    EXPECT_EQ(mac, "00-11-22-33-44-55");
    s_sim->Set(kIfPhysAddress1, "x", "001122330000");
    logic.GetSystemMac(mac);
    EXPECT_EQ(mac, "00-11-22-32-FF-FF");
    s_sim->Set(kIfPhysAddress1, "x", "000000000000");
    logic.GetSystemMac(mac);
    EXPECT_EQ(mac, "FF-FF-FF-FF-FF-FF");
    s_sim->Set(kIfPhysAddress1, "x", "0011");  // too short to be an address
    logic.GetSystemMac(mac);
    EXPECT_EQ(mac, "");
    s_sim->Set(kIfPhysAddress1, "x", "001122334456");
    s_sim->ErrorStatus(kIfPhysAddress1, 5);
    mac = "stale";
    logic.GetSystemMac(mac);
    EXPECT_EQ(mac, "");
    s_sim->ErrorStatus(kIfPhysAddress1, 0);
}

TEST_F(ModuleBaseTest, RowStatusWrites) {
    CModuleBase logic;
    for (const char* refused : {"2", "3", "", "11", " 1"}) {
        EXPECT_FALSE(logic.SetRowStatus(kVlanRowStatus + ".401", refused)) << refused;
    }
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>(5, "error status value!"));
    EXPECT_TRUE(s_sim->Requests().empty());

    EXPECT_TRUE(logic.SetRowStatus(kVlanRowStatus + ".401", "4"));
    std::vector<SimRequest> sets = Sets();
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].principal, "harbour");
    ASSERT_EQ(sets[0].varbinds.size(), 1u);
    EXPECT_EQ(sets[0].varbinds[0].oid, kVlanRowStatus + ".401");
    EXPECT_EQ(sets[0].varbinds[0].type, "i");
    EXPECT_EQ(sets[0].varbinds[0].value, "4");
    EXPECT_EQ(s_sim->Get(kVlanRowStatus + ".401"), "1");

    // A reply that carries an error status is a failure.
    s_sim->ErrorStatus(kVlanRowStatus + ".402", 4);
    EXPECT_FALSE(logic.SetRowStatus(kVlanRowStatus + ".402", "4"));
    s_sim->ErrorStatus(kVlanRowStatus + ".402", 0);
}

TEST_F(ModuleBaseTest, MultiObjectWriteIsOnePdu) {
    CModuleBase logic;
    const unsigned char bitmap[] = {0xC0, 0x00, 0x00, 0x10};
    SNMP_VARBIND records[3];
    records[0] = {kVlanRowStatus + ".1", "1", 1, 1};
    records[1] = {kVlanName + ".1", "lab", 2, 3};
    records[2] = {kVlanEgress + ".1", reinterpret_cast<const char*>(bitmap), 2, 4};
    EXPECT_TRUE(logic.SetValues(records, 3));
    std::vector<SimRequest> sets = Sets();
    ASSERT_EQ(sets.size(), 1u);
    ASSERT_EQ(sets[0].varbinds.size(), 3u);
    EXPECT_EQ(sets[0].varbinds[0].type, "i");
    EXPECT_EQ(sets[0].varbinds[0].value, "1");
    EXPECT_EQ(sets[0].varbinds[1].value, "lab");
    EXPECT_EQ(sets[0].varbinds[2].type, "x");
    EXPECT_EQ(sets[0].varbinds[2].value, "c0000010");

    // An integer record with several digits keeps them all (its length field is 1).
    s_sim->ClearLog();
    records[0] = {kVlanRowStatus + ".411", "12", 1, 1};
    logic.SetValues(records, 1);
    sets = Sets();
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].varbinds[0].value, "12");

    EXPECT_EQ(s_sim->Get(kVlanName + ".1"), "lab");
    s_sim->ErrorStatus(kVlanName + ".1", 4);
    EXPECT_FALSE(logic.SetValues(records + 1, 1));
    s_sim->ErrorStatus(kVlanName + ".1", 0);
}

TEST_F(ModuleBaseTest, PortListWrite) {
    CModuleBase logic;
    const std::string oid = kVlanEgress + ".1";
    EXPECT_FALSE(logic.SetPortList("", nullptr, oid));
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Please input port value."});
    EXPECT_FALSE(logic.SetPortList("29", nullptr, oid));
    EXPECT_EQ(boxes_.Texts().back(), "Invalid Portlist");
    EXPECT_TRUE(s_sim->Requests().empty());

    EXPECT_TRUE(logic.SetPortList("1-2,28", nullptr, oid));
    std::vector<SimRequest> sets = Sets();
    ASSERT_EQ(sets.size(), 1u);
    ASSERT_EQ(sets[0].varbinds.size(), 1u);
    EXPECT_EQ(sets[0].varbinds[0].oid, oid);
    EXPECT_EQ(sets[0].varbinds[0].type, "x");
    EXPECT_EQ(sets[0].varbinds[0].value, "c0000010");

    // An empty text takes the caller's flags.
    s_sim->ClearLog();
    std::vector<int> flags(28, 0);
    flags[8] = 1;
    EXPECT_TRUE(logic.SetPortList("", flags.data(), oid));
    sets = Sets();
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].varbinds[0].value, "00800000");

    s_sim->ErrorStatus(oid, 4);
    EXPECT_FALSE(logic.SetPortList("3", nullptr, oid));
    s_sim->ErrorStatus(oid, 0);
}

}  // namespace
