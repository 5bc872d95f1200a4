// Surveillance device entries, row indexes, reserved ranges, the limit of five user rows, the settings
// checks and the batches of the per-port write, without a device.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "features/vlan/CameraVlanRules.h"
#include "platform/sys/Globals.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace camvlan;

const std::vector<std::string> kDefaults = {"7A-3C-91-0X-XX-XX", "6E-E4-2B-XX-XX-XX"};

std::string Device(const std::string& mac, const std::vector<std::string>& list = kDefaults,
                   const std::vector<VoiceOui>& voice = {}, const std::string& description = "cam") {
    return CheckDeviceEntry(description, mac, voice, list);
}

TEST(CameraVlanRules, IndexesAndMacTextNameExactlySixOctets) {
    EXPECT_EQ(MacIndex("00-11-22-AA-BB-CC"), ".0.17.34.170.187.204");
    EXPECT_EQ(MacIndex("00-11-22-aa-bb-cc"), ".0.17.34.170.187.204");
    EXPECT_EQ(MacIndex("00-11-22-00-00-00"), ".0.17.34.0.0.0");
    EXPECT_EQ(MacIndex("001122-00-00-00"), ".0.17.34.0.0.0");  // dashes anywhere
    // Text that does not name six octets builds no index at all.
    EXPECT_EQ(MacIndex("00-11-22-33-44-55-66"), "");
    EXPECT_EQ(MacIndex("00-11-22-33-44-5G"), "");
    EXPECT_EQ(MacIndex("00-11-22"), "");

    EXPECT_EQ(FormatMac(std::string("\x00\x1e\x94\x4c\x20\x01", 6)), "00-1E-94-4C-20-01");
    EXPECT_EQ(FormatMac(std::string("\x00\x1e\x94", 3)), "");  // short values are not read past
    EXPECT_EQ(DeviceTableMacText(std::string("\x7a\x3c\x91\x00\x00\x00", 6)), "7A-3C-91-0X-XX-XX");
    EXPECT_EQ(DeviceTableMacText(std::string("\x6e\xe4\x2b\x00\x00\x00", 6)), "6E-E4-2B-XX-XX-XX");
    EXPECT_EQ(DeviceTableMacText(std::string("\x6e\xe4\x2b\x00\x00\x01", 6)), "6E-E4-2B-00-00-01");
    EXPECT_EQ(ComponentTypeText("5"), "Quorvia Surveillance Device");
    EXPECT_EQ(ComponentTypeText("9"), "9");
}

TEST(CameraVlanRules, DeviceEntryChecksInOrder) {
    EXPECT_EQ(Device("00-11-22-33-44-55", kDefaults, {}, "a,b"), kTextInvalidDescription);
    EXPECT_EQ(Device("00-11-22-33-44-55", kDefaults, {}, ""), "");
    for (const char* bad : {"00:11:22:33:44:55", "001122334455", "00-11-22-33-44-5G", "00-00-00-00-00-00",
                            "0-011-22-33-44-55"}) {
        EXPECT_EQ(Device(bad), kTextMacFormat) << bad;
    }
    EXPECT_EQ(Device("ff-FF-ff-FF-ff-FF"), kTextBroadcast);
    EXPECT_EQ(Device("01-00-5E-00-00-01"), kTextMulticast);
    const std::vector<VoiceOui> voice = {{"00ABCD", "1"}, {"003C4D", "2"}};
    EXPECT_EQ(Device("00-ab-cd-00-00-00", kDefaults, voice), kTextVoiceOui);
    EXPECT_EQ(Device("00-3C-4D-00-00-00", kDefaults, voice), "");  // that voice row does not count
    // Reserved ranges of the built-in entries, at their edges.
    EXPECT_EQ(Device("7A-3C-91-0A-00-00"), kTextDefaultOui);
    EXPECT_EQ(Device("7a-3c-91-0f-ff-ff"), kTextDefaultOui);
    EXPECT_EQ(Device("6E-E4-2B-3F-00-00"), kTextDefaultOui);
    EXPECT_EQ(Device("7A-3C-91-10-00-00"), "");
    EXPECT_EQ(Device("6E-E4-2B-40-00-00"), "");
    std::vector<std::string> list = kDefaults;
    list.push_back("00-11-22-AA-BB-CC");
    EXPECT_EQ(Device("00-11-22-aa-bb-cc", list), kTextDuplicate);
}

TEST(CameraVlanRules, LimitOfFiveUserEntriesCountsNoBuiltInRow) {
    std::vector<std::string> list = kDefaults;
    for (int i = 1; i <= 4; ++i) {
        list.push_back("00-11-22-33-44-0" + std::to_string(i));
    }
    EXPECT_EQ(Device("00-11-22-33-44-55", list), "");  // two built-in + four user rows
    list.push_back("00-11-22-33-44-05");
    EXPECT_EQ(Device("00-11-22-33-44-55", list), kTextTableFull);
    // A device that already holds more than five is full as well.
    list.push_back("00-11-22-33-44-06");
    EXPECT_EQ(Device("00-11-22-33-44-55", list), kTextTableFull);
}

TEST(CameraVlanRules, OuiEntryChecksRefuseUnusableTextAndIgnoreLetterCase) {
    const std::vector<std::string> list = {"7A-3C-91-00-00-00", "6E-E4-2B-00-00-00", "00-11-22-00-00-00"};
    EXPECT_EQ(CheckOuiEntry("a;b", "00-11-23-00-00-00", list), kTextInvalidDescription);
    EXPECT_EQ(CheckOuiEntry("", "00-11-23", list), kTextMacFormat);
    EXPECT_EQ(CheckOuiEntry("", "00-11-23-00-00-0G", list), kTextMacFormat);
    EXPECT_EQ(CheckOuiEntry("", "00-11-23-00-00-00-11", list), kTextMacFormat);
    EXPECT_EQ(CheckOuiEntry("", "01-11-23-00-00-00", list), kTextOuiMulticast);
    EXPECT_EQ(CheckOuiEntry("", "7a-3c-91-00-00-01", list), kTextDefaultOui);
    EXPECT_EQ(CheckOuiEntry("", "6E-E4-2B-00-00-01", list), "");  // the device decides on this one
    EXPECT_EQ(CheckOuiEntry("", "001122-00-00-00", list), kTextDuplicate);
    // Both built-in rows are left out of the count: three user rows more still fit.
    std::vector<std::string> four = list;
    for (const char* mac : {"00-11-23-00-00-00", "00-11-24-00-00-00", "00-11-25-00-00-00"}) {
        four.push_back(mac);
    }
    EXPECT_EQ(CheckOuiEntry("", "00-11-26-00-00-00", four), "");
    four.push_back("00-11-26-00-00-00");
    EXPECT_EQ(CheckOuiEntry("", "00-11-27-00-00-00", four), kTextTableFull);
}

TEST(CameraVlanRules, SettingsChecksInOrder) {
    ksx::test::ScriptedMessageBox boxes;
    bool refresh = false;
    SettingsInput in;
    in.vlanIdText = "1";
    in.asymmetricState = 1;
    EXPECT_EQ(CheckSettings(in, &refresh), kTextAsymmetric);
    EXPECT_TRUE(refresh);
    in.asymmetricState = 2;
    EXPECT_EQ(CheckSettings(in, &refresh), kTextDefaultVlan);
    for (const char* id : {"0", "4095", ""}) {
        in.vlanIdText = id;
        EXPECT_EQ(CheckSettings(in, &refresh), kTextVlanRange) << id;
    }
    in.vlanIdText = "200";
    in.voiceVlanId = 200;
    EXPECT_EQ(CheckSettings(in, &refresh), "");  // voice VLAN disabled
    in.voiceState = 1;
    EXPECT_EQ(CheckSettings(in, &refresh), kTextVoiceVlan);
    in.vlanIdText = "4094";
    in.portsText = "1,a";
    EXPECT_EQ(CheckSettings(in, &refresh), kTextInvalidPortlist);
    EXPECT_FALSE(refresh);
    in.vlanIdText = "2";
    in.portsText = "";
    EXPECT_EQ(CheckSettings(in, &refresh), "");
}

TEST(CameraVlanRules, AutoDetectionBatchesOfThirtyCheckedWhole) {
    const std::string col = kPortEntry + ".2.";
    std::vector<int> trunks(52, 0);
    int trunkPort = -1;
    auto batches = AutoDetectionBatches(1, 52, "1", trunks, &trunkPort);
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(trunkPort, 0);
    ASSERT_EQ(batches[0].size(), 30u);
    ASSERT_EQ(batches[1].size(), 22u);
    EXPECT_EQ(batches[0].front(), col + "1");
    EXPECT_EQ(batches[1].front(), col + "31");  // no port of the first batch again
    EXPECT_EQ(batches[1].back(), col + "52");
    EXPECT_EQ(AutoDetectionBatches(3, 28, "2", trunks, &trunkPort).size(), 1u);

    trunks[44] = 2;  // port 45, past the first batch
    EXPECT_TRUE(AutoDetectionBatches(1, 52, "1", trunks, &trunkPort).empty());
    EXPECT_EQ(trunkPort, 45);
    EXPECT_EQ(AutoDetectionBatches(1, 52, "2", trunks, &trunkPort).size(), 2u);  // disabling is allowed
    EXPECT_EQ(trunkPort, 0);
}

}  // namespace
