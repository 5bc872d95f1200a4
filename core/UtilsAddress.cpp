// Address and index text: MAC, IPv4 and IPv6 validation and conversion, OID index encodings.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/TextNumbers.h"
#include "core/Utils.h"
#include "core/regex/RegexPattern.h"
#include "platform/sys/MessageBox.h"

using ksx::text::HexDigit;
using ksx::text::LeadingHex;
using ksx::text::LeadingInt;

namespace {

const char kIPv4Pattern[] = R"rx(((25[0-5]|2[0-4]\d|[01]?\d\d?)\.){3}(25[0-5]|2[0-4]\d|[01]?\d\d?)$)rx";

// Lower-case groups, optional embedded IPv4 part, optional "%" suffix, white space around.
const char kIPv6Pattern[] =
    R"rx(^\s*((([0-9a-f]{1,4}:){7}(([0-9a-f]{1,4})|:))|(([0-9a-f]{1,4}:){6}(:|((25[0-5]|2[0-4]\d|[0)rx"
    R"rx(1]?\d{1,2})(\.(25[0-5]|2[0-4]\d|[01]?\d{1,2})){3})|(:[0-9a-f]{1,4})))|(([0-9a-f]{1,4}:){5})rx"
    R"rx(((:((25[0-5]|2[0-4]\d|[01]?\d{1,2})(\.(25[0-5]|2[0-4]\d|[01]?\d{1,2})){3})?)|((:[0-9a-f]{1)rx"
    R"rx(,4}){1,2})))|(([0-9a-f]{1,4}:){4}(:[0-9a-f]{1,4}){0,1}((:((25[0-5]|2[0-4]\d|[01]?\d{1,2})()rx"
    R"rx(\.(25[0-5]|2[0-4]\d|[01]?\d{1,2})){3})?)|((:[0-9a-f]{1,4}){1,2})))|(([0-9a-f]{1,4}:){3}(:[)rx"
    R"rx(0-9a-f]{1,4}){0,2}((:((25[0-5]|2[0-4]\d|[01]?\d{1,2})(\.(25[0-5]|2[0-4]\d|[01]?\d{1,2})){3)rx"
    R"rx(})?)|((:[0-9a-f]{1,4}){1,2})))|(([0-9a-f]{1,4}:){2}(:[0-9a-f]{1,4}){0,3}((:((25[0-5]|2[0-4)rx"
    R"rx(]\d|[01]?\d{1,2})(\.(25[0-5]|2[0-4]\d|[01]?\d{1,2})){3})?)|((:[0-9a-f]{1,4}){1,2})))|(([0-)rx"
    R"rx(9a-f]{1,4}:)(:[0-9a-f]{1,4}){0,4}((:((25[0-5]|2[0-4]\d|[01]?\d{1,2})(\.(25[0-5]|2[0-4]\d|[)rx"
    R"rx(01]?\d{1,2})){3})?)|((:[0-9a-f]{1,4}){1,2})))|(:(:[0-9a-f]{1,4}){0,5}((:((25[0-5]|2[0-4]\d)rx"
    R"rx(|[01]?\d{1,2})(\.(25[0-5]|2[0-4]\d|[01]?\d{1,2})){3})?)|((:[0-9a-f]{1,4}){1,2})))|(((25[0-)rx"
    R"rx(5]|2[0-4]\d|[01]?\d{1,2})(\.(25[0-5]|2[0-4]\d|[01]?\d{1,2})){3})))(%.+)?\s*$)rx";
static_assert(sizeof(kIPv6Pattern) == 1067, "IPv6 pattern text changed");

const char kMacFormatMessage[] = "Please enter correct MAC format(ex:00-00-00-00-00-01)";

bool WholeMatch(const CRegexPattern& pattern, const std::string& text) {
    return pattern.Match(text.c_str(), static_cast<int>(text.size())).Succeeded() != 0;
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return s;
}

void ReplaceAll(std::string& s, const std::string& from, const std::string& to) {
    size_t pos = 0;
    while ((pos = s.find(from, pos)) != std::string::npos) {
        s.replace(pos, from.size(), to);
        pos += to.size();
    }
}

std::string RemoveChar(std::string s, char c) {
    s.erase(std::remove(s.begin(), s.end(), c), s.end());
    return s;
}

// Eight groups: split at the first seven ":" (the eighth is the rest); missing groups are empty.
std::vector<std::string> EightGroups(const std::string& s) {
    std::vector<std::string> groups;
    size_t pos = 0;
    for (int i = 0; i < 7; ++i) {
        if (pos > s.size()) {
            groups.emplace_back();
            continue;
        }
        size_t colon = s.find(':', pos);
        if (colon == std::string::npos) {
            groups.push_back(s.substr(pos));
            pos = s.size() + 1;
        } else {
            groups.push_back(s.substr(pos, colon - pos));
            pos = colon + 1;
        }
    }
    groups.push_back(pos > s.size() ? std::string() : s.substr(pos));
    return groups;
}

std::string Hex2(unsigned v, bool upper) {
    char buf[16];
    std::snprintf(buf, sizeof buf, upper ? "%02X" : "%02x", v);
    return buf;
}

}  // namespace

bool CUtils::ValidateMacText(const std::string& text, bool multicastAllowed) {
    auto fail = [](const char* message) {
        ksx::AfxMessageBox(message, ksx::MB_OK);
        return false;
    };
    if (text.size() != 17 || text[2] != '-' || text[5] != '-' || text[8] != '-' || text[11] != '-' ||
        text[14] != '-') {
        return fail(kMacFormatMessage);
    }
    std::string digits = RemoveChar(text, '-');
    if (digits == "000000000000" || digits.size() < 12) {
        return fail(kMacFormatMessage);
    }
    for (char c : digits) {
        if (HexDigit(c) < 0) {
            return fail(kMacFormatMessage);
        }
    }
    if (Lower(digits) == "ffffffffffff") {
        return fail("Broadcast MAC is not allowed.");
    }
    if (!multicastAllowed && (LeadingHex(std::string_view(digits).substr(0, 2)) & 1) != 0) {
        return fail("Multicast MAC is not allowed.");
    }
    return true;
}

bool CUtils::IsValidIPv4(const std::string& text) {
    static const CRegexPattern pattern(kIPv4Pattern, 0);
    if (!WholeMatch(pattern, text)) {
        return false;
    }
    if (text == "0.0.0.0") {
        return false;
    }
    size_t first = text.find('.');
    size_t last = text.rfind('.');
    if (first == std::string::npos) {
        return false;
    }
    std::string head = text.substr(0, first);
    std::string tail = text.substr(last + 1);
    if (head == "0" || head == "255" || tail == "0" || tail == "255") {
        return false;
    }
    unsigned parts[4] = {0, 0, 0, 0};
    size_t pos = 0;
    for (int i = 0; i < 4; ++i) {
        size_t dot = text.find('.', pos);
        parts[i] = static_cast<unsigned>(LeadingInt(std::string_view(text).substr(pos)));
        if (dot == std::string::npos) {
            break;
        }
        pos = dot + 1;
    }
    unsigned a = parts[0];
    unsigned low24 = (parts[1] << 16) | (parts[2] << 8) | parts[3];
    unsigned low16 = (parts[2] << 8) | parts[3];
    if (a <= 127) {
        return a != 0 && a != 127 && low24 != 0 && low24 != 0xFFFFFF;
    }
    if (a <= 191) {
        return low16 != 0 && low16 != 0xFFFF;
    }
    if (a <= 223) {
        return parts[3] != 0 && parts[3] != 255;
    }
    return false;
}

int CUtils::IsValidIPv6(const std::string& address, const std::string& interfaceName, bool interfaceGiven) {
    static const CRegexPattern pattern(kIPv6Pattern, 0);
    if (!WholeMatch(pattern, address)) {
        return 0;
    }
    if (!address.empty() && address.front() == ':' && address.compare(0, 2, "::") != 0) {
        return 0;
    }
    if (!address.empty() && address.back() == ':' &&
        (address.size() < 2 || address.compare(address.size() - 2, 2, "::") != 0)) {
        return 0;
    }
    std::string expanded = ExpandIPv6(address);
    if (expanded.find_first_of("23456789abcdef") == std::string::npos) {
        if (expanded.find('1') == std::string::npos) {
            return 0;  // unspecified
        }
        if (!expanded.empty() && expanded.back() == '1') {
            return 0;  // loopback
        }
    }
    if (expanded.compare(0, 2, "ff") == 0 || expanded.compare(0, 2, "::") == 0 ||
        expanded.compare(0, 1, "0") == 0) {
        return 0;
    }
    if (expanded.compare(0, 3, "fe8") == 0 || expanded.compare(0, 3, "fe9") == 0 ||
        expanded.compare(0, 3, "fea") == 0 || expanded.compare(0, 3, "feb") == 0) {
        if (!interfaceGiven) {
            return 0;
        }
        if (interfaceName.empty()) {
            return -2;
        }
        if (interfaceName.size() > 20) {
            return -1;
        }
    }
    return 1;
}

std::string CUtils::HexToOidIndex(const std::string& text) {
    std::string digits = RemoveChar(text, '-');
    std::string index;
    for (size_t i = 0; i < digits.size(); i += 2) {
        index += '.';
        index += std::to_string(LeadingHex(std::string_view(digits).substr(i, 2)));
    }
    return index;
}

std::string CUtils::FormatAddressBytes(const unsigned char* octets, int type) {
    if (octets == nullptr) {
        return std::string();
    }
    std::string text;
    if (type == 2) {
        for (int i = 0; i < 16; i += 2) {
            if (i > 0) {
                text += ':';
            }
            text += Hex2(octets[i], false) + Hex2(octets[i + 1], false);
        }
        return text;
    }
    for (int i = 0; i < 4; ++i) {
        text += Hex2(octets[i], true);
    }
    return text;
}

std::string CUtils::HexToDottedDecimal(const std::string& text) {
    std::string dotted;
    for (size_t i = 0; i < text.size(); i += 2) {
        if (!dotted.empty()) {
            dotted += '.';
        }
        dotted += std::to_string(LeadingHex(std::string_view(text).substr(i, 2)));
    }
    return dotted;
}

std::string CUtils::AddressToHex(const std::string& text) {
    std::string result;
    std::string rest = text;
    if (rest.find('.') != std::string::npos) {
        for (int i = 0; i < 3; ++i) {
            size_t dot = rest.find('.');
            std::string number = dot == std::string::npos ? rest : rest.substr(0, dot);
            rest = dot == std::string::npos ? std::string() : rest.substr(dot + 1);
            result += Hex2(static_cast<unsigned>(LeadingInt(number)) & 0xFFu, true);
        }
        std::string last = rest;
        result += Hex2(static_cast<unsigned>(LeadingInt(last)) & 0xFFu, true);
    }
    if (rest.find(':') != std::string::npos) {
        return RemoveChar(rest, ':');
    }
    return result;
}

std::string CUtils::ExpandIPv6(const std::string& text) {
    std::string s = text;
    if (s.find("::") != std::string::npos) {
        int colons = static_cast<int>(std::count(s.begin(), s.end(), ':'));
        std::string filler;
        for (int i = colons; i < 8; ++i) {
            filler += ":0000";
        }
        filler += ':';
        ReplaceAll(s, "::", filler);
        if (s.front() == ':') {
            s.insert(0, "0000");
        }
        if (s.back() == ':') {
            s += "0000";
        }
    }
    std::string expanded;
    for (const std::string& group : EightGroups(s)) {
        if (!expanded.empty()) {
            expanded += ':';
        }
        expanded += PadTo4(group);
    }
    return Lower(expanded);
}

std::string CUtils::CompressIPv6(const std::string& text) {
    // Shortest text form: every group without leading zeros, the first longest run of two or more
    // zero groups as "::". A "%" suffix stays at the end.
    std::string expanded = ExpandIPv6(text);
    std::string suffix;
    size_t percent = expanded.find('%');
    if (percent != std::string::npos) {
        suffix = expanded.substr(percent);
        expanded.erase(percent);
    }
    std::vector<std::string> groups;
    size_t pos = 0;
    while (true) {
        size_t colon = expanded.find(':', pos);
        groups.push_back(expanded.substr(pos, colon == std::string::npos ? std::string::npos : colon - pos));
        if (colon == std::string::npos) {
            break;
        }
        pos = colon + 1;
    }
    auto isZero = [](const std::string& g) {
        return !g.empty() && g.find_first_not_of('0') == std::string::npos;
    };
    size_t bestStart = 0;
    size_t bestLength = 0;
    for (size_t i = 0; i < groups.size();) {
        if (!isZero(groups[i])) {
            ++i;
            continue;
        }
        size_t j = i;
        while (j < groups.size() && isZero(groups[j])) {
            ++j;
        }
        if (j - i > bestLength) {
            bestStart = i;
            bestLength = j - i;
        }
        i = j;
    }
    auto join = [&](size_t from, size_t to) {
        std::string part;
        for (size_t i = from; i < to; ++i) {
            if (i > from) {
                part += ':';
            }
            part += isZero(groups[i]) ? std::string("0") : StripLeadingZeros(groups[i]);
        }
        return part;
    };
    if (bestLength < 2) {
        return join(0, groups.size()) + suffix;
    }
    return join(0, bestStart) + "::" + join(bestStart + bestLength, groups.size()) + suffix;
}

std::string CUtils::StripLeadingZeros(const std::string& group) {
    if (group == "0") {
        return group;
    }
    size_t first = group.find_first_not_of('0');
    return first == std::string::npos ? std::string() : group.substr(first);
}

std::string CUtils::PadTo4(const std::string& group) {
    std::string padded = group;
    while (padded.size() <= 3) {
        padded.insert(0, "0");
    }
    return padded;
}

std::string CUtils::AddressOctets(const std::string& type, const std::string& text) {
    std::string digits;
    size_t octets = 0;
    if (type == "2") {
        digits = ExpandIPv6(text.substr(0, text.find('%')));
        digits.erase(std::remove(digits.begin(), digits.end(), ':'), digits.end());
        octets = 16;
    } else if (type == "1") {
        digits = AddressToHex(text);
        octets = 4;
    }
    std::vector<unsigned char> bytes(octets, 0);
    if (octets > 0) {
        HexToBytes(digits, bytes.data(), static_cast<int>(octets));
    }
    return std::string(bytes.begin(), bytes.end());
}
