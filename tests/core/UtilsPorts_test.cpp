// Port lists and port bitmaps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Utils.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"

namespace {

class RecordingBoxes : public ksx::IMessageBoxService {
public:
    int Show(const std::string& text, const std::string&, unsigned flags) override {
        texts.push_back(text);
        this->flags.push_back(flags);
        return ksx::IDOK;
    }
    std::vector<std::string> texts;
    std::vector<unsigned> flags;
};

class PortsTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = g_nPortNum;
        g_nPortNum = 28;
        ksx::SetMessageBoxService(&boxes_);
    }
    void TearDown() override {
        ksx::SetMessageBoxService(nullptr);
        g_nPortNum = saved_;
    }
    std::vector<int> Flags(std::initializer_list<int> ports) const {
        std::vector<int> flags(static_cast<size_t>(g_nPortNum), 0);
        for (int p : ports) {
            flags[static_cast<size_t>(p - 1)] = 1;
        }
        return flags;
    }
    std::string Bitmap(std::initializer_list<int> ports, bool wide = false) const {
        std::vector<int> flags = Flags(ports);
        std::string hex;
        CUtils::PortArrayToHex(flags.data(), hex);
        if (wide) {
            CUtils::PadPortHexWide(hex);
        } else {
            CUtils::PadPortHex(hex);
        }
        return hex;
    }

    RecordingBoxes boxes_;
    int saved_ = 28;
};

TEST_F(PortsTest, BitmapTextIsPaddedToTheObjectSizeOfEachPortCount) {
    struct Case {
        int ports;
        size_t digits;
        size_t wideDigits;
    };
    const Case cases[] = {{8, 8, 8},   {10, 8, 8},   {16, 8, 8},   {20, 8, 8}, {24, 8, 8},
                          {28, 8, 16}, {48, 16, 16}, {52, 16, 24}, {12, 3, 3}, {30, 8, 8}};
    for (const Case& c : cases) {
        g_nPortNum = c.ports;
        EXPECT_EQ(Bitmap({1}).size(), c.digits) << c.ports << " ports";
        EXPECT_EQ(Bitmap({1}, true).size(), c.wideDigits) << c.ports << " ports, wide";
    }
}

TEST_F(PortsTest, BitmapTextAndOctets) {
    std::string hex = Bitmap({1, 2, 28});
    EXPECT_EQ(hex, "c0000010");
    EXPECT_EQ(CUtils::HexToBytes(hex), (std::vector<unsigned char>{0xC0, 0x00, 0x00, 0x10}));
    EXPECT_EQ(Bitmap({1, 2, 28}, true), "c000001000000000");

    g_nPortNum = 52;
    hex = Bitmap({52});
    EXPECT_EQ(hex, "0000000000001000");
    EXPECT_EQ(CUtils::HexToBytes(hex), (std::vector<unsigned char>{0, 0, 0, 0, 0, 0, 0x10, 0}));
    EXPECT_EQ(Bitmap({52}, true), "000000000000100000000000");

    g_nPortNum = 10;
    EXPECT_EQ(Bitmap({9, 10}), "00c00000");

    // Any non-zero entry (a trunk group, say) is a member, never a corrupt digit.
    g_nPortNum = 8;
    std::vector<int> groups = {3, 0, 0, 0, 0, 0, 0, 7};
    std::string text;
    CUtils::PortArrayToHex(groups.data(), text);
    EXPECT_EQ(text, "81");
}

TEST_F(PortsTest, HexToBytesReadsPairsAndStopsAtTheBufferSize) {
    unsigned char octets[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(CUtils::HexToBytes("abc", octets, 2), 1);
    EXPECT_EQ(octets[0], 0xAB);
    EXPECT_EQ(octets[1], 0xC0);
    EXPECT_EQ(octets[2], 0xEE);
    // An invalid pair reads as its valid prefix.
    EXPECT_EQ(CUtils::HexToBytes("1zzz0A"), (std::vector<unsigned char>{0x01, 0x00, 0x0A}));
    EXPECT_EQ(CUtils::HexToBytes("ff", nullptr, 1), 1);
}

TEST_F(PortsTest, BitmapToListCoversThePortCountAndToleratesShortValues) {
    const unsigned char octets[] = {0x80, 0x00, 0x00, 0x10};
    int count = -1;
    EXPECT_EQ(CUtils::PortBitmapToList(octets, 4, &count), "1,28");
    EXPECT_EQ(count, 2);
    // Bits past the port count in the last octet still count.
    const unsigned char tail[] = {0x00, 0x00, 0x00, 0x0F};
    EXPECT_EQ(CUtils::PortBitmapToList(tail, 4, &count), "29,30,31,32");
    // Octets past ceil(ports/8) are not looked at; missing ones are no members.
    const unsigned char longer[] = {0x00, 0x00, 0x00, 0x00, 0xFF};
    EXPECT_EQ(CUtils::PortBitmapToList(longer, 5, &count), "");
    EXPECT_EQ(count, 0);
    EXPECT_EQ(CUtils::PortBitmapToList(std::string("\x40", 1), &count), "2");
    EXPECT_EQ(count, 1);
    EXPECT_EQ(CUtils::PortBitmapToList(std::string(), &count), "");
    EXPECT_EQ(count, 0);

    EXPECT_EQ(CUtils::HexBitmapToPortList("C0:00-01", &count), "1,2,24");  // digit 5 holds port 24
    EXPECT_EQ(count, 3);
}

TEST_F(PortsTest, RangeTextJoinsRunsWithinTheRange) {
    const unsigned char f4[] = {0xF4};
    std::string text;
    EXPECT_EQ(CUtils::BitmapToRangeText(f4, 1, 1, 8, &text), 5);
    EXPECT_EQ(text, "1-4,6");
    text.clear();
    EXPECT_EQ(CUtils::BitmapToRangeText(f4, 1, 3, 6, &text), 3);
    EXPECT_EQ(text, "3-4,6");
    text = "x:";
    const unsigned char pair[] = {0x60};
    EXPECT_EQ(CUtils::BitmapToRangeText2(pair, 1, 1, 8, &text), 2);
    EXPECT_EQ(text, "x:2-3");
    const unsigned char mixed[] = {0xA7, 0x01};  // 1,3,6,7,8,16
    text.clear();
    EXPECT_EQ(CUtils::BitmapToRangeText(mixed, 2, 1, 16, &text), 6);
    EXPECT_EQ(text, "1,3,6-8,16");
    text.clear();
    EXPECT_EQ(CUtils::BitmapToRangeText(nullptr, 4, 1, 8, &text), 0);
    EXPECT_EQ(text, "");
}

TEST_F(PortsTest, PortListToArrayStoresTheValueAtListedPortsOnly) {
    std::vector<int> array(28, 0);
    CUtils::PortListToArray("1,3-5,28,29,0,x", array.data(), 7);
    EXPECT_EQ(array[0], 7);
    EXPECT_EQ(array[2], 7);
    EXPECT_EQ(array[3], 0);  // ranges are not read here
    EXPECT_EQ(array[27], 7);
    EXPECT_EQ(std::count(array.begin(), array.end(), 7), 3);
}

TEST_F(PortsTest, ParsePortListMarksPortsAndReportsFaultsOnce) {
    std::vector<int> flags(28, 0);
    EXPECT_TRUE(CUtils::ParsePortList("1-4,6", flags.data()));
    EXPECT_EQ(flags, Flags({1, 2, 3, 4, 6}));
    EXPECT_TRUE(boxes_.texts.empty());

    for (const char* bad : {"4-1", "0", "29", "1,,2", "3-", "27-30", "a"}) {
        boxes_.texts.clear();
        std::vector<int> f(28, 0);
        EXPECT_FALSE(CUtils::ParsePortList(bad, f.data())) << bad;
        ASSERT_EQ(boxes_.texts.size(), 1u) << bad;
        EXPECT_EQ(boxes_.texts[0], "Invalid Portlist");
        EXPECT_EQ(boxes_.flags[0], static_cast<unsigned>(ksx::MB_OK));
    }
    // Ports marked before the fault stay set.
    std::vector<int> partial(28, 0);
    EXPECT_FALSE(CUtils::ParsePortList("2,27-30", partial.data()));
    EXPECT_EQ(partial, Flags({2, 27, 28}));

    boxes_.texts.clear();
    std::vector<int> none(28, 0);
    EXPECT_TRUE(CUtils::ParsePortList("", none.data()));
    EXPECT_TRUE(CUtils::ParsePortList("5,", none.data()));
    EXPECT_EQ(none, Flags({5}));
    EXPECT_FALSE(CUtils::ParsePortList("1", nullptr));
    EXPECT_TRUE(boxes_.texts.empty());
    // A huge range end stops at the first port out of range.
    EXPECT_FALSE(CUtils::ParsePortList("1-99999999999", none.data()));
}

TEST_F(PortsTest, ParseVlanListLimitsIdsAndGroups) {
    EXPECT_TRUE(CUtils::ParseVlanList("1-4,100,4094", 4094));
    EXPECT_TRUE(CUtils::ParseVlanList("", 4094));
    EXPECT_TRUE(CUtils::ParseVlanList("1-8,3", 4094));  // distinct ids are counted
    EXPECT_TRUE(boxes_.texts.empty());

    EXPECT_FALSE(CUtils::ParseVlanList("1,2,3,4,5,6,7,8,9", 4094));
    EXPECT_EQ(boxes_.texts, std::vector<std::string>{"LBD VLAN mode maximum support 8 VLAN groups."});
    boxes_.texts.clear();
    EXPECT_FALSE(CUtils::ParseVlanList("5-3,7", 4094));
    EXPECT_EQ(boxes_.texts, std::vector<std::string>{"Invalid VLAN List"});
    boxes_.texts.clear();
    EXPECT_FALSE(CUtils::ParseVlanList("4095", 4094));
    EXPECT_EQ(boxes_.texts, std::vector<std::string>{"Invalid VLAN List"});
    boxes_.texts.clear();
    EXPECT_FALSE(CUtils::ParseVlanList("1,a", 4094));
    EXPECT_FALSE(CUtils::ParseVlanList("1.2", 4094));
    EXPECT_TRUE(boxes_.texts.empty());
}

TEST_F(PortsTest, CharacterSetChecks) {
    for (char c : std::string("~!@#$%^&*{}[]|\\:;'<>.?/`\"")) {
        EXPECT_FALSE(CUtils::IsPortListText(std::string("1") + c)) << c;
        EXPECT_FALSE(CUtils::HasNoSpecialChar(std::string("a") + c)) << c;
    }
    EXPECT_FALSE(CUtils::IsPortListText("1-4,x"));
    EXPECT_FALSE(CUtils::IsPortListText("Z"));
    EXPECT_TRUE(CUtils::IsPortListText("1-4, 6 (_+=)"));
    EXPECT_TRUE(CUtils::IsPortListText(""));
    EXPECT_TRUE(CUtils::HasNoSpecialChar("Name-1_x 2"));
    EXPECT_FALSE(CUtils::HasNoSpecialChar("a,b"));
}

}  // namespace
