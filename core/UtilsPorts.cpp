// Port lists and port bitmaps.
#include <algorithm>
#include <string>
#include <vector>

#include "core/TextNumbers.h"
#include "core/Utils.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"

using ksx::text::HexDigit;
using ksx::text::LeadingHex;
using ksx::text::LeadingInt;

namespace {

const char kHexDigits[] = "0123456789abcdef";

// The characters refused in port lists and names (the comma only in names).
constexpr std::string_view kSpecialChars = "~!@#$%^&*{}[]|\\:;'<>.?/`\"";

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Splits at "," the way the list parsers walk their text: an empty text, or a text that ends right
// after a ",", has no further item.
std::vector<std::string_view> ListItems(std::string_view text) {
    std::vector<std::string_view> items;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t comma = text.find(',', pos);
        if (comma == std::string_view::npos) {
            items.push_back(text.substr(pos));
            break;
        }
        items.push_back(text.substr(pos, comma - pos));
        pos = comma + 1;
    }
    return items;
}

// Marks the ids of one list item ("n" or "a-b") in marks[1..highest]; false on the first fault.
bool MarkItem(std::string_view item, int highest, std::vector<char>& marks) {
    size_t dash = item.find('-');
    if (dash == std::string_view::npos) {
        int n = LeadingInt(item);
        if (n < 1 || n > highest) {
            return false;
        }
        marks[n] = 1;
        return true;
    }
    int a = LeadingInt(item.substr(0, dash));
    int b = LeadingInt(item.substr(dash + 1));
    if (b < a) {
        return false;
    }
    for (long long p = a; p <= b; ++p) {
        if (p < 1 || p > highest) {
            return false;
        }
        marks[static_cast<size_t>(p)] = 1;
    }
    return true;
}

// Ports of the bits of the octets, ascending (every set bit counts, also past the port count).
std::vector<int> BitmapPorts(const unsigned char* octets, int length) {
    std::vector<int> ports;
    for (int i = 0; i < length; ++i) {
        for (int b = 0; b < 8; ++b) {
            if (octets[i] & (0x80 >> b)) {
                ports.push_back(8 * i + b + 1);
            }
        }
    }
    return ports;
}

std::string JoinPorts(const std::vector<int>& ports) {
    std::string list;
    for (int p : ports) {
        if (!list.empty()) {
            list += ',';
        }
        list += std::to_string(p);
    }
    return list;
}

}  // namespace

void CUtils::PortArrayToHex(const int* flags, std::string& text) {
    if (flags == nullptr || g_nPortNum <= 0) {
        return;
    }
    for (int k = 0; 4 * k < g_nPortNum; ++k) {
        int digit = 0;
        for (int j = 0; j < 4; ++j) {
            int port = 4 * k + j;
            if (port < g_nPortNum && flags[port] != 0) {
                digit |= 8 >> j;
            }
        }
        text += kHexDigits[digit];
    }
}

bool CUtils::PadPortHex(std::string& text) {
    int zeros = 0;
    switch (g_nPortNum) {
        case 8:
            zeros = 6;
            break;
        case 10:
            zeros = 5;
            break;
        case 16:
            zeros = 4;
            break;
        case 20:
            zeros = 3;
            break;
        case 24:
            zeros = 2;
            break;
        case 28:
            zeros = 1;
            break;
        case 48:
            zeros = 4;
            break;
        case 52:
            zeros = 3;
            break;
        default:
            zeros = 0;
            break;
    }
    text.append(static_cast<size_t>(zeros), '0');
    return true;
}

bool CUtils::PadPortHexWide(std::string& text) {
    if (g_nPortNum == 52) {
        text.append(11, '0');
        return true;
    }
    if (g_nPortNum == 28) {
        text.append(9, '0');
        return true;
    }
    return PadPortHex(text);
}

int CUtils::HexToBytes(const std::string& text, unsigned char* octets, int size) {
    if (octets == nullptr) {
        return 1;
    }
    std::string even = text;
    if (even.size() % 2 != 0) {
        even += '0';
    }
    int stored = 0;
    for (size_t i = 0; i < even.size() && stored < size; i += 2) {
        octets[stored++] = static_cast<unsigned char>(LeadingHex(std::string_view(even).substr(i, 2)));
    }
    return 1;
}

std::vector<unsigned char> CUtils::HexToBytes(const std::string& text) {
    std::vector<unsigned char> octets((text.size() + 1) / 2);
    HexToBytes(text, octets.data(), static_cast<int>(octets.size()));
    return octets;
}

std::string CUtils::PortBitmapToList(const unsigned char* octets, int length, int* count) {
    int needed = g_nPortNum > 0 ? (g_nPortNum + 7) / 8 : 0;
    int used = octets == nullptr ? 0 : std::clamp(length, 0, needed);
    std::vector<int> ports = BitmapPorts(octets, used);
    if (count != nullptr) {
        *count = static_cast<int>(ports.size());
    }
    return JoinPorts(ports);
}

std::string CUtils::PortBitmapToList(std::string_view octets, int* count) {
    return PortBitmapToList(reinterpret_cast<const unsigned char*>(octets.data()),
                            static_cast<int>(std::min<size_t>(octets.size(), 0x7fffffff)), count);
}

std::string CUtils::HexBitmapToPortList(const std::string& hex, int* count) {
    std::vector<int> ports;
    int k = 0;
    for (char c : hex) {
        int d = HexDigit(c);
        if (d < 0) {
            continue;
        }
        for (int j = 0; j < 4; ++j) {
            if (d & (8 >> j)) {
                ports.push_back(4 * k + j + 1);
            }
        }
        ++k;
    }
    if (count != nullptr) {
        *count = static_cast<int>(ports.size());
    }
    return JoinPorts(ports);
}

int CUtils::BitmapToRangeText(const unsigned char* octets, int octetCount, int firstPort, int lastPort,
                              std::string* text) {
    if (octets == nullptr || octetCount <= 0) {
        return 0;
    }
    std::vector<int> kept;
    for (int p : BitmapPorts(octets, octetCount)) {
        if (p >= firstPort && p <= lastPort) {
            kept.push_back(p);
        }
    }
    if (text == nullptr || kept.empty()) {
        return static_cast<int>(kept.size());
    }
    *text += std::to_string(kept[0]);
    bool inRun = false;
    for (size_t i = 1; i < kept.size(); ++i) {
        if (kept[i] == kept[i - 1] + 1) {
            inRun = true;
            continue;
        }
        if (inRun) {
            *text += '-';
            *text += std::to_string(kept[i - 1]);
            inRun = false;
        }
        *text += ',';
        *text += std::to_string(kept[i]);
    }
    if (inRun) {
        *text += '-';
        *text += std::to_string(kept.back());
    }
    return static_cast<int>(kept.size());
}

int CUtils::BitmapToRangeText2(const unsigned char* octets, int octetCount, int firstPort, int lastPort,
                               std::string* text) {
    return BitmapToRangeText(octets, octetCount, firstPort, lastPort, text);
}

void CUtils::PortListToArray(const std::string& list, int* array, int value) {
    if (array == nullptr) {
        return;
    }
    for (std::string_view item : ListItems(list)) {
        int p = LeadingInt(item);
        if (p >= 1 && p <= g_nPortNum) {
            array[p - 1] = value;
        }
    }
}

bool CUtils::ParsePortList(const std::string& text, int* flags) {
    if (flags == nullptr) {
        return false;
    }
    int ports = std::max(g_nPortNum, 0);
    std::vector<char> marks(static_cast<size_t>(ports) + 1, 0);
    auto store = [&] {
        for (int p = 1; p <= ports; ++p) {
            if (marks[static_cast<size_t>(p)]) {
                flags[p - 1] = 1;
            }
        }
    };
    for (std::string_view item : ListItems(text)) {
        if (!MarkItem(item, ports, marks)) {
            store();  // ports marked before the fault stay set
            ksx::AfxMessageBox("Invalid Portlist", ksx::MB_OK);
            return false;
        }
    }
    store();
    return true;
}

bool CUtils::ParseVlanList(const std::string& text, int highestId) {
    if (!IsPortListText(text)) {
        return false;
    }
    int highest = std::max(highestId, 0);
    std::vector<char> marks(static_cast<size_t>(highest) + 1, 0);
    for (std::string_view item : ListItems(text)) {
        if (!MarkItem(item, highest, marks)) {
            ksx::AfxMessageBox("Invalid VLAN List", ksx::MB_OK);
            return false;
        }
    }
    if (std::count(marks.begin(), marks.end(), 1) > 8) {
        ksx::AfxMessageBox("LBD VLAN mode maximum support 8 VLAN groups.", ksx::MB_OK);
        return false;
    }
    return true;
}

bool CUtils::IsPortListText(const std::string& text) {
    for (char c : text) {
        if (IsAsciiLetter(c) || kSpecialChars.find(c) != std::string_view::npos) {
            return false;
        }
    }
    return true;
}

bool CUtils::HasNoSpecialChar(const std::string& text) {
    for (char c : text) {
        if (c == ',' || kSpecialChars.find(c) != std::string_view::npos) {
            return false;
        }
    }
    return true;
}
