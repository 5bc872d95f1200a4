// Address and index text: MAC, IPv4, IPv6 and the index encodings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Utils.h"
#include "platform/sys/MessageBox.h"

namespace {

class RecordingBoxes : public ksx::IMessageBoxService {
public:
    int Show(const std::string& text, const std::string&, unsigned) override {
        texts.push_back(text);
        return ksx::IDOK;
    }
    std::vector<std::string> texts;
};

class MacTest : public ::testing::Test {
protected:
    void SetUp() override { ksx::SetMessageBoxService(&boxes_); }
    void TearDown() override { ksx::SetMessageBoxService(nullptr); }
    // The message the check showed, "" when it passed without one.
    std::string Check(const std::string& mac, bool multicastAllowed) {
        boxes_.texts.clear();
        bool ok = CUtils::ValidateMacText(mac, multicastAllowed);
        EXPECT_EQ(ok, boxes_.texts.empty()) << mac;
        EXPECT_LE(boxes_.texts.size(), 1u) << mac;
        return boxes_.texts.empty() ? std::string() : boxes_.texts[0];
    }
    RecordingBoxes boxes_;
};

const char kFormat[] = "Please enter correct MAC format(ex:00-00-00-00-00-01)";

TEST_F(MacTest, FormsAndMessages) {
    EXPECT_EQ(Check("00-11-22-33-44-55", false), "");
    EXPECT_EQ(Check("0a-bB-cC-dD-eE-fF", false), "");
    EXPECT_EQ(Check("00-00-00-00-00-00", false), kFormat);
    EXPECT_EQ(Check("00-11-22-33-44-5G", false), kFormat);
    EXPECT_EQ(Check("00:11:22:33:44:55", false), kFormat);
    EXPECT_EQ(Check("00-11-22-33-44-555", false), kFormat);
    EXPECT_EQ(Check("00-11-22-33-44-5", false), kFormat);
    EXPECT_EQ(Check("00-11-22-33-4--55", false), kFormat);
    EXPECT_EQ(Check("", false), kFormat);
    EXPECT_EQ(Check("FF-FF-FF-FF-FF-FF", true), "Broadcast MAC is not allowed.");
    EXPECT_EQ(Check("ff-FF-ff-FF-ff-FF", false), "Broadcast MAC is not allowed.");
    EXPECT_EQ(Check("01-00-5E-00-00-01", false), "Multicast MAC is not allowed.");
    EXPECT_EQ(Check("01-00-5E-00-00-01", true), "");
    EXPECT_EQ(Check("02-00-5E-00-00-01", false), "");
}

TEST(IPv4Test, HostAddressesOfClassesAToC) {
    for (const char* good : {"10.1.2.3", "172.16.0.1", "192.168.1.1", "1.0.0.1", "126.255.255.254",
                             "128.0.0.1", "191.255.1.1", "172.16.255.1", "223.1.1.1", "010.1.2.3"}) {
        EXPECT_TRUE(CUtils::IsValidIPv4(good)) << good;
    }
    for (const char* bad : {"127.0.0.1",  "0.1.2.3",     "10.255.255.255", "10.0.0.0",  "172.16.255.255",
                            "172.16.0.0", "192.168.1.0", "192.168.1.255",  "224.0.0.1", "240.1.1.1",
                            "1.2.3",      "256.1.1.1",   "0.0.0.0",        "255.1.1.1", "1.2.3.4.5",
                            "1.2.3.4 ",   " 1.2.3.4",    "a.b.c.d",        "",          "1..2.3"}) {
        EXPECT_FALSE(CUtils::IsValidIPv4(bad)) << bad;
    }
}

TEST(IPv6Test, ValidationCodes) {
    EXPECT_EQ(CUtils::IsValidIPv6("2001:db8::1", "", false), 1);
    EXPECT_EQ(CUtils::IsValidIPv6("2001:db8:0:0:1:0:0:1", "", false), 1);
    EXPECT_EQ(CUtils::IsValidIPv6("2001:db8::192.168.1.1", "", false), 1);
    for (const char* bad :
         {"::", "::1", "ff02::1", "0:0:0:0:0:0:0:2", "2001:DB8::1", ":2001:db8::1",
          "2001:db8::1:", "2001:db8:::1", "1:2:3:4:5:6:7:8:9", "", "g::1", "::ffff:1.2.3.4"}) {
        EXPECT_EQ(CUtils::IsValidIPv6(bad, "", false), 0) << bad;
    }
    EXPECT_EQ(CUtils::IsValidIPv6("fe80::1", "", true), -2);
    EXPECT_EQ(CUtils::IsValidIPv6("fe80::1", std::string(21, 'e'), true), -1);
    EXPECT_EQ(CUtils::IsValidIPv6("fe80::1", std::string(20, 'e'), true), 1);
    EXPECT_EQ(CUtils::IsValidIPv6("fe80::1", "eth0", false), 0);
    EXPECT_EQ(CUtils::IsValidIPv6("febf::1", "eth0", true), 1);
    EXPECT_EQ(CUtils::IsValidIPv6("fec0::1", "", false), 1);
}

TEST(IPv6Test, Expansion) {
    EXPECT_EQ(CUtils::ExpandIPv6("fe80::1"), "fe80:0000:0000:0000:0000:0000:0000:0001");
    EXPECT_EQ(CUtils::ExpandIPv6("::1"), "0000:0000:0000:0000:0000:0000:0000:0001");
    EXPECT_EQ(CUtils::ExpandIPv6("::"), "0000:0000:0000:0000:0000:0000:0000:0000");
    EXPECT_EQ(CUtils::ExpandIPv6("1::"), "0001:0000:0000:0000:0000:0000:0000:0000");
    EXPECT_EQ(CUtils::ExpandIPv6("2001:DB8::A:b"), "2001:0db8:0000:0000:0000:0000:000a:000b");
    EXPECT_EQ(CUtils::ExpandIPv6("1:2:3:4:5:6:7:8"), "0001:0002:0003:0004:0005:0006:0007:0008");
    EXPECT_EQ(CUtils::ExpandIPv6("fe80::1%eth0"), "fe80:0000:0000:0000:0000:0000:0000:1%eth0");
    EXPECT_EQ(CUtils::ExpandIPv6("").size(), 39u);
    EXPECT_EQ(CUtils::PadTo4("1"), "0001");
    EXPECT_EQ(CUtils::PadTo4("12345"), "12345");
    EXPECT_EQ(CUtils::StripLeadingZeros("0"), "0");
    EXPECT_EQ(CUtils::StripLeadingZeros("0000"), "");
    EXPECT_EQ(CUtils::StripLeadingZeros("00a0"), "a0");
}

TEST(IPv6Test, CompressionIsTheShortestStandardForm) {
    const std::pair<const char*, const char*> cases[] = {
        {"0000:0000:0000:0000:0000:0000:0000:0001", "::1"},
        {"0000:0000:0000:0000:0000:0000:0000:0000", "::"},
        {"fe80:0000:0000:0000:0202:b3ff:fe1e:8329", "fe80::202:b3ff:fe1e:8329"},
        {"2001:0db8:0000:0000:0001:0000:0000:0001", "2001:db8::1:0:0:1"},
        {"0000:0001:0002:0003:0004:0005:0006:0007", "0:1:2:3:4:5:6:7"},
        // Texts the old pattern replacement turned into ":::" or shortened wrongly.
        {"2001:db8::1000", "2001:db8::1000"},
        {"1:0:0:0:2:3:0:0", "1::2:3:0:0"},
        {"1:0:0:2:0:0:0:3", "1:0:0:2::3"},
        {"1:0:0:0:0:0:0:0", "1::"},
        {"0:0:1:0:0:0:0:0", "0:0:1::"},
        {"2001:DB8:0:0:0:0:2:1", "2001:db8::2:1"},
        {"2001:db8:0:1:1:1:1:1", "2001:db8:0:1:1:1:1:1"},
        {"fe80::1%eth0", "fe80::1%eth0"},
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(CUtils::CompressIPv6(in), out) << in;
        EXPECT_EQ(CUtils::ExpandIPv6(CUtils::CompressIPv6(in)), CUtils::ExpandIPv6(in)) << in;
    }
}

TEST(IndexTextTest, Conversions) {
    EXPECT_EQ(CUtils::HexToOidIndex("00-11-22-33-44-55"), ".0.17.34.51.68.85");
    EXPECT_EQ(CUtils::HexToOidIndex("ABC"), ".171.12");
    EXPECT_EQ(CUtils::HexToOidIndex(""), "");

    const unsigned char v4[] = {192, 168, 0, 1};
    EXPECT_EQ(CUtils::FormatAddressBytes(v4, 1), "C0A80001");
    const unsigned char v6[16] = {0xFE, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    EXPECT_EQ(CUtils::FormatAddressBytes(v6, 2), "fe80:0000:0000:0000:0000:0000:0000:0001");
    EXPECT_EQ(CUtils::FormatAddressBytes(nullptr, 2), "");

    EXPECT_EQ(CUtils::HexToDottedDecimal("C0A80001"), "192.168.0.1");
    EXPECT_EQ(CUtils::HexToDottedDecimal("c0a80101"), "192.168.1.1");
    EXPECT_EQ(CUtils::HexToDottedDecimal(""), "");

    EXPECT_EQ(CUtils::AddressToHex("192.168.0.1"), "C0A80001");
    EXPECT_EQ(CUtils::AddressToHex("10.0.0.255"), "0A0000FF");
    EXPECT_EQ(CUtils::AddressToHex("fe80:0000:0000:0000:0000:0000:0000:0001"),
              "fe800000000000000000000000000001");
    EXPECT_EQ(CUtils::HexToDottedDecimal(CUtils::AddressToHex("172.16.5.9")), "172.16.5.9");
}

}  // namespace
