// The feature logic base against the simulated switch: reads and writes.
#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/ModuleBase.h"
#include "platform/snmplib/Snmp.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "tests/support/SimSwitch.h"

namespace {

using ksx::test::SimRequest;
using ksx::test::SimSwitch;

const std::string kP = "1.3.6.1.4.1.7393.10.76.20.1";
const std::string kVlanName = kP + ".7.6.1.1";
const std::string kVlanEgress = kP + ".7.6.1.2";
const std::string kVlanRowStatus = kP + ".7.6.1.5";
const std::string kIfPhysAddress1 = "1.3.6.1.2.1.2.2.1.6.1";

class RecordingBoxes : public ksx::IMessageBoxService {
public:
    int Show(const std::string& text, const std::string&, unsigned) override {
        std::lock_guard<std::mutex> guard(mutex);
        texts.push_back(text);
        return ksx::IDOK;
    }
    std::vector<std::string> Texts() {
        std::lock_guard<std::mutex> guard(mutex);
        return texts;
    }
    std::mutex mutex;
    std::vector<std::string> texts;
};

class ModuleBaseTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        SnmpInit();
        sim_ = new SimSwitch();
    }
    static void TearDownTestSuite() {
        delete sim_;
        sim_ = nullptr;
    }
    void SetUp() override {
        ksx::ResetConnectionSettings();
        ksx::test::UseSimV1(*sim_);
        g_nPortNum = 28;
        ksx::SetMessageBoxService(&boxes_);
        sim_->Restart();
        sim_->ClearLog();
    }
    void TearDown() override {
        ksx::SetMessageBoxService(nullptr);
        ksx::ResetConnectionSettings();
    }
    static std::vector<SimRequest> Sets() {
        std::vector<SimRequest> sets;
        for (const SimRequest& r : sim_->Requests()) {
            if (r.pdu == "set") {
                sets.push_back(r);
            }
        }
        return sets;
    }
    static SimSwitch* sim_;
    RecordingBoxes boxes_;
};

SimSwitch* ModuleBaseTest::sim_ = nullptr;

TEST_F(ModuleBaseTest, ReadsGiveTextOrRawOctets) {
    sim_->Set(kIfPhysAddress1, "x", "001122334456");
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
    sim_->Set(kIfPhysAddress1, "x", "001122334456");
    logic.GetSystemMac(mac);
    EXPECT_EQ(mac, "00-11-22-33-44-55");
    sim_->Set(kIfPhysAddress1, "x", "001122330000");
    logic.GetSystemMac(mac);
    EXPECT_EQ(mac, "00-11-22-32-FF-FF");
    sim_->Set(kIfPhysAddress1, "x", "000000000000");
    logic.GetSystemMac(mac);
    EXPECT_EQ(mac, "FF-FF-FF-FF-FF-FF");
    sim_->Set(kIfPhysAddress1, "x", "0011");  // too short to be an address
    logic.GetSystemMac(mac);
    EXPECT_EQ(mac, "");
    sim_->Set(kIfPhysAddress1, "x", "001122334456");
    sim_->ErrorStatus(kIfPhysAddress1, 5);
    mac = "stale";
    logic.GetSystemMac(mac);
    EXPECT_EQ(mac, "");
    sim_->ErrorStatus(kIfPhysAddress1, 0);
}

TEST_F(ModuleBaseTest, RowStatusWrites) {
    CModuleBase logic;
    for (const char* refused : {"2", "3", "", "11", " 1"}) {
        EXPECT_FALSE(logic.SetRowStatus(kVlanRowStatus + ".401", refused)) << refused;
    }
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>(5, "error status value!"));
    EXPECT_TRUE(sim_->Requests().empty());

    EXPECT_TRUE(logic.SetRowStatus(kVlanRowStatus + ".401", "4"));
    std::vector<SimRequest> sets = Sets();
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].principal, "harbour");
    ASSERT_EQ(sets[0].varbinds.size(), 1u);
    EXPECT_EQ(sets[0].varbinds[0].oid, kVlanRowStatus + ".401");
    EXPECT_EQ(sets[0].varbinds[0].type, "i");
    EXPECT_EQ(sets[0].varbinds[0].value, "4");
    EXPECT_EQ(sim_->Get(kVlanRowStatus + ".401"), "1");

    // A reply that carries an error status is a failure.
    sim_->ErrorStatus(kVlanRowStatus + ".402", 4);
    EXPECT_FALSE(logic.SetRowStatus(kVlanRowStatus + ".402", "4"));
    sim_->ErrorStatus(kVlanRowStatus + ".402", 0);
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
    sim_->ClearLog();
    records[0] = {kVlanRowStatus + ".411", "12", 1, 1};
    logic.SetValues(records, 1);
    sets = Sets();
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].varbinds[0].value, "12");

    EXPECT_EQ(sim_->Get(kVlanName + ".1"), "lab");
    sim_->ErrorStatus(kVlanName + ".1", 4);
    EXPECT_FALSE(logic.SetValues(records + 1, 1));
    sim_->ErrorStatus(kVlanName + ".1", 0);
}

TEST_F(ModuleBaseTest, PortListWrite) {
    CModuleBase logic;
    const std::string oid = kVlanEgress + ".1";
    EXPECT_FALSE(logic.SetPortList("", nullptr, oid));
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Please input port value."});
    EXPECT_FALSE(logic.SetPortList("29", nullptr, oid));
    EXPECT_EQ(boxes_.Texts().back(), "Invalid Portlist");
    EXPECT_TRUE(sim_->Requests().empty());

    EXPECT_TRUE(logic.SetPortList("1-2,28", nullptr, oid));
    std::vector<SimRequest> sets = Sets();
    ASSERT_EQ(sets.size(), 1u);
    ASSERT_EQ(sets[0].varbinds.size(), 1u);
    EXPECT_EQ(sets[0].varbinds[0].oid, oid);
    EXPECT_EQ(sets[0].varbinds[0].type, "x");
    EXPECT_EQ(sets[0].varbinds[0].value, "c0000010");

    // An empty text takes the caller's flags.
    sim_->ClearLog();
    std::vector<int> flags(28, 0);
    flags[8] = 1;
    EXPECT_TRUE(logic.SetPortList("", flags.data(), oid));
    sets = Sets();
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].varbinds[0].value, "00800000");

    sim_->ErrorStatus(oid, 4);
    EXPECT_FALSE(logic.SetPortList("3", nullptr, oid));
    sim_->ErrorStatus(oid, 0);
}

}  // namespace
