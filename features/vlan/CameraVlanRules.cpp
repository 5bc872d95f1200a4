// Auto surveillance VLAN rules.
#include "features/vlan/CameraVlanRules.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "core/TextNumbers.h"
#include "core/Utils.h"

namespace camvlan {

namespace {

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

std::string WithoutDashes(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != '-') {
            out.push_back(c);
        }
    }
    return out;
}

bool AllHex(const std::string& digits) {
    return std::all_of(digits.begin(), digits.end(), [](char c) { return ksx::text::HexDigit(c) >= 0; });
}

bool FirstOctetOdd(const std::string& digits) {
    return digits.size() >= 2 && (ksx::text::HexDigit(digits[1]) & 1) != 0;
}

const char* const kComponentTypes[] = {
    "Video Management Server", "VMS client/Remote viewer",      "Video Encoder",
    "Network Storage",         "Other IP Surveillance Devices", "Quorvia Surveillance Device",
};

}  // namespace

std::string ComponentTypeText(const std::string& value) {
    for (int i = 0; i < 6; ++i) {
        if (value == std::to_string(i)) {
            return kComponentTypes[i];
        }
    }
    return value;
}

std::vector<std::string> OfferedComponentTypes() {
    return {kComponentTypes, kComponentTypes + 5};
}

std::string FormatMac(std::string_view octets) {
    if (octets.size() < 6) {
        return std::string();
    }
    char text[18];
    std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", static_cast<unsigned char>(octets[0]),
                  static_cast<unsigned char>(octets[1]), static_cast<unsigned char>(octets[2]),
                  static_cast<unsigned char>(octets[3]), static_cast<unsigned char>(octets[4]),
                  static_cast<unsigned char>(octets[5]));
    return text;
}

std::string DeviceTableMacText(std::string_view octets) {
    const std::string text = FormatMac(octets);
    if (text == "7A-3C-91-00-00-00") {
        return "7A-3C-91-0X-XX-XX";
    }
    if (text == "6E-E4-2B-00-00-00") {
        return "6E-E4-2B-XX-XX-XX";
    }
    return text;
}

std::string MacDigits(const std::string& text) {
    const std::string digits = WithoutDashes(text);
    return digits.size() == 12 && AllHex(digits) ? digits : std::string();
}

std::string MacIndex(const std::string& text) {
    const std::string digits = MacDigits(text);
    if (digits.empty()) {
        return std::string();
    }
    std::string index;
    for (size_t i = 0; i < 12; i += 2) {
        index +=
            "." + std::to_string(ksx::text::HexDigit(digits[i]) * 16 + ksx::text::HexDigit(digits[i + 1]));
    }
    return index;
}

bool IsReservedMac(const std::string& text) {
    const std::string first = Upper(WithoutDashes(text)).substr(0, 7);
    return first == "7A3C910" || first == "6EE42B0" || first == "6EE42B1" || first == "6EE42B2" ||
           first == "6EE42B3";
}

bool IsUserDefinedListText(const std::string& listMacText) {
    const std::string first = Upper(WithoutDashes(listMacText)).substr(0, 7);
    return first != "7A3C910" && first != "6EE42BX";
}

bool IsBuiltInListText(const std::string& listMacText) {
    return listMacText == "7A-3C-91-0X-XX-XX" || listMacText == "6E-E4-2B-XX-XX-XX";
}

std::string CheckDeviceEntry(const std::string& description, const std::string& mac,
                             const std::vector<VoiceOui>& voiceOuis,
                             const std::vector<std::string>& listMacs) {
    if (!CUtils::HasNoSpecialChar(description)) {
        return kTextInvalidDescription;
    }
    if (mac.size() != 17) {
        return kTextMacFormat;
    }
    for (size_t pos : {2u, 5u, 8u, 11u, 14u}) {
        if (mac[pos] != '-') {
            return kTextMacFormat;
        }
    }
    const std::string digits = WithoutDashes(mac);
    if (digits == "000000000000" || digits.size() < 12 || !AllHex(digits)) {
        return kTextMacFormat;
    }
    const std::string upper = Upper(digits);
    if (upper == "FFFFFFFFFFFF") {
        return kTextBroadcast;
    }
    if (FirstOctetOdd(digits)) {
        return kTextMulticast;
    }
    for (const VoiceOui& v : voiceOuis) {
        if (v.fourth == "1" && Upper(v.oui) == upper.substr(0, 6)) {
            return kTextVoiceOui;
        }
    }
    if (IsReservedMac(upper)) {
        return kTextDefaultOui;
    }
    int userRows = 0;
    for (const std::string& row : listMacs) {
        if (Upper(WithoutDashes(row)) == upper) {
            return kTextDuplicate;
        }
        if (IsUserDefinedListText(row)) {
            ++userRows;
        }
    }
    // The device may already hold more than it should: five and above is full.
    if (userRows >= kMaxUserEntries) {
        return kTextTableFull;
    }
    return std::string();
}

std::string CheckOuiEntry(const std::string& description, const std::string& mac,
                          const std::vector<std::string>& listOuis) {
    if (!CUtils::HasNoSpecialChar(description)) {
        return kTextInvalidDescription;
    }
    // Separator positions are free here, but the text must name six octets in hex digits: it becomes
    // the row index.
    const std::string digits = WithoutDashes(mac);
    if (digits == "000000000000" || digits.size() != 12 || !AllHex(digits)) {
        return kTextMacFormat;
    }
    if (FirstOctetOdd(digits)) {
        return kTextOuiMulticast;
    }
    const std::string upper = Upper(digits);
    if (upper.compare(0, 6, "7A3C91") == 0) {
        return kTextDefaultOui;
    }
    int userRows = 0;
    for (const std::string& row : listOuis) {
        if (Upper(WithoutDashes(row)) == upper) {
            return kTextDuplicate;
        }
        if (!IsReservedMac(row)) {
            ++userRows;
        }
    }
    if (userRows >= kMaxUserEntries) {
        return kTextTableFull;
    }
    return std::string();
}

std::string CheckSettings(const SettingsInput& in, bool* refresh) {
    *refresh = true;
    if (in.asymmetricState == 1) {
        return kTextAsymmetric;
    }
    const int vlanId = ksx::text::LeadingInt(in.vlanIdText);
    if (vlanId == 1) {
        return kTextDefaultVlan;
    }
    if (vlanId < 2 || vlanId > 4094) {
        return kTextVlanRange;
    }
    if (in.voiceState == 1 && vlanId == in.voiceVlanId) {
        return kTextVoiceVlan;
    }
    if (!CUtils::IsPortListText(in.portsText)) {
        *refresh = false;
        return kTextInvalidPortlist;
    }
    *refresh = false;
    return std::string();
}

std::vector<std::vector<std::string>> AutoDetectionBatches(int from, int to, const std::string& value,
                                                           const std::vector<int>& trunkGroups,
                                                           int* trunkPort) {
    *trunkPort = 0;
    std::vector<std::vector<std::string>> batches;
    if (from < 1 || to < from) {
        return batches;
    }
    // Every port is checked before anything is built, so a refusal sends nothing.
    if (value == "1") {
        for (int port = from; port <= to; ++port) {
            if (port - 1 < static_cast<int>(trunkGroups.size()) && trunkGroups[port - 1] != 0) {
                *trunkPort = port;
                return batches;
            }
        }
    }
    for (int port = from; port <= to; ++port) {
        if ((port - from) % 30 == 0) {
            batches.emplace_back();
        }
        batches.back().push_back(kPortEntry + ".2." + std::to_string(port));
    }
    return batches;
}

}  // namespace camvlan
