// libFuzzer target over the text parsers: port and VLAN lists, MAC, IPv4 and IPv6 texts, the index and
// bitmap conversions and the text encodings. Message boxes are answered silently.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/CodeConvert.h"
#include "core/Utils.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"

namespace {

class SilentBoxes : public ksx::IMessageBoxService {
public:
    int Show(const std::string&, const std::string&, unsigned) override { return ksx::IDOK; }
};

SilentBoxes g_silent;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ksx::SetMessageBoxService(&g_silent);
    if (size == 0) {
        return 0;
    }
    // The first byte picks the port count; the rest is the text.
    static const int kPortCounts[] = {8, 10, 16, 20, 24, 28, 48, 52, 1, 7};
    g_nPortNum = kPortCounts[data[0] % 10];
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

    std::vector<int> flags(static_cast<size_t>(g_nPortNum), 0);
    CUtils::ParsePortList(text, flags.data());
    CUtils::PortListToArray(text, flags.data(), 3);
    CUtils::ParseVlanList(text, 4094);
    CUtils::IsPortListText(text);
    CUtils::HasNoSpecialChar(text);

    std::string hex;
    CUtils::PortArrayToHex(flags.data(), hex);
    CUtils::PadPortHexWide(hex);
    std::vector<unsigned char> octets = CUtils::HexToBytes(text);
    int count = 0;
    CUtils::PortBitmapToList(text, &count);
    CUtils::HexBitmapToPortList(text, &count);
    std::string range;
    CUtils::BitmapToRangeText(octets.data(), static_cast<int>(octets.size()), 1, g_nPortNum, &range);

    CUtils::ValidateMacText(text, (data[0] & 1) != 0);
    CUtils::IsValidIPv4(text);
    size_t percent = text.find('%');
    CUtils::IsValidIPv6(text.substr(0, percent), percent == std::string::npos ? "" : text.substr(percent + 1),
                        percent != std::string::npos);
    std::string expanded = CUtils::ExpandIPv6(text);
    std::string compressed = CUtils::CompressIPv6(text);
    CUtils::AddressToHex(text);
    CUtils::HexToOidIndex(text);
    CUtils::HexToDottedDecimal(text);
    if (octets.size() >= 16) {
        CUtils::FormatAddressBytes(octets.data(), 2);
    }
    CUtils::ExtractBrowserProgram(text);
    CUtils::DaysInMonthText(text, text);

    char utf8[64];
    CCodeConvert::AnsiToUTF8(text, utf8, sizeof utf8);
    std::string back;
    CCodeConvert::UTF8ToAnsi(text, &back);
    CCodeConvert::UTF16ToUTF8(CCodeConvert::UTF8ToUTF16(text));
    return 0;
}
