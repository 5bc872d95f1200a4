// Shared static helpers: port lists and port bitmaps, address and index text, calendar and uptime
// text, the default-browser lookup. Stateless (the two address patterns are compiled once); never
// instantiated. The port count is g_nPortNum.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class CUtils {
public:
    CUtils() = delete;

    // ---- Port lists and port bitmaps -------------------------------------------------------------

    // Appends the lower-case hex port bitmap of g_nPortNum flags: four ports per digit, weights 8, 4,
    // 2, 1 for ports 4k+1..4k+4, the last group completed with zeros. Any non-zero flag is a member.
    static void PortArrayToHex(const int* flags, std::string& text);
    // Appends "0" digits to whole octets of the device object's size for the port count (4 octets up to
    // 28 ports, 8 for 48 and 52; other counts append nothing). Always true.
    static bool PadPortHex(std::string& text);
    // The wider padding of the VLAN member, IGMP router-port and forwarding-port writes: 8 octets for 28
    // ports, 12 for 52, PadPortHex for every other count. Always true.
    static bool PadPortHexWide(std::string& text);
    // Two hex digits per octet (an odd text gets a trailing "0"); at most `size` octets stored into the
    // caller's buffer; a pair that is not hex reads as its valid prefix. Returns 1.
    static int HexToBytes(const std::string& text, unsigned char* octets, int size);
    // Convenience: all octets of the text.
    static std::vector<unsigned char> HexToBytes(const std::string& text);
    // Ports of a bitmap value over ceil(g_nPortNum / 8) octets ("1,2,5") and their count. Octets
    // missing from a short value count as no members.
    static std::string PortBitmapToList(const unsigned char* octets, int length, int* count);
    static std::string PortBitmapToList(std::string_view octets, int* count);
    // Ports of a hex bitmap text; characters that are not hex digits are skipped.
    static std::string HexBitmapToPortList(const std::string& hex, int* count);
    // Appends the set ports in [firstPort, lastPort] as range text ("1-4,6"); returns their number.
    static int BitmapToRangeText(const unsigned char* octets, int octetCount, int firstPort, int lastPort,
                                 std::string* text);
    static int BitmapToRangeText2(const unsigned char* octets, int octetCount, int firstPort, int lastPort,
                                  std::string* text);
    // array[p-1] = value for each item's leading number p in 1..g_nPortNum ("3-5" counts as 3).
    static void PortListToArray(const std::string& list, int* array, int value);
    // Sets flags[p-1] = 1 for the ports and "a-b" ranges of the text. A fault shows "Invalid Portlist"
    // and gives false (flags set before it stay set); an empty text is true; null flags false silently.
    static bool ParsePortList(const std::string& text, int* flags);
    // Loopback-detection VLAN list: ids and ranges from 1 to highestId, at most 8 VLANs. Shows
    // "Invalid VLAN List" or "LBD VLAN mode maximum support 8 VLAN groups."; a text with a letter or
    // special character is false without a message.
    static bool ParseVlanList(const std::string& text, int highestId);
    // No letter and none of ~!@#$%^&*{}[]|\:;'<>.?/`"
    static bool IsPortListText(const std::string& text);
    // None of ~!@#$%^&*{}[]|\:;'<>.?/`", and the comma.
    static bool HasNoSpecialChar(const std::string& text);

    // ---- Address and index text ------------------------------------------------------------------

    // xx-xx-xx-xx-xx-xx, not all zeros, not broadcast, even first octet unless multicast is allowed.
    // Shows its own message on failure.
    static bool ValidateMacText(const std::string& text, bool multicastAllowed);
    // A class A to C host address in dotted text.
    static bool IsValidIPv4(const std::string& text);
    // 1 valid, 0 invalid, -1 interface name longer than 20, -2 link-local with an empty interface name.
    // `address` is without its "%" part; `interfaceName` is what followed the "%".
    static int IsValidIPv6(const std::string& address, const std::string& interfaceName, bool interfaceGiven);
    // "00-11-22-33-44-55" -> ".0.17.34.51.68.85" (dashes removed, one byte per two hex digits).
    static std::string HexToOidIndex(const std::string& text);
    // Type 2: 16 octets as "xxxx:...:xxxx" (lower case); else 4 octets as 8 upper-case hex digits.
    static std::string FormatAddressBytes(const unsigned char* octets, int type);
    // "C0A80001" -> "192.168.0.1".
    static std::string HexToDottedDecimal(const std::string& text);
    // "192.168.0.1" -> "C0A80001"; an expanded IPv6 text -> its 32 digits.
    static std::string AddressToHex(const std::string& text);
    // The octets of an address as a table takes them: type "1" IPv4 (4 octets), "2" IPv6 (16 octets, a
    // "%" zone dropped); any other type: none.
    static std::string AddressOctets(const std::string& type, const std::string& text);
    // Eight groups of four lower-case digits; a "%" suffix stays at the end of the last group.
    static std::string ExpandIPv6(const std::string& text);
    // Shortest form (leading zeros dropped, the first longest run of two or more zero groups as "::").
    static std::string CompressIPv6(const std::string& text);
    static std::string StripLeadingZeros(const std::string& group);
    static std::string PadTo4(const std::string& group);

    // ---- Dates, uptime, browser ------------------------------------------------------------------

    static bool IsLeapYear(int year);
    // "31", "30", "29" or "28" for month texts "1".."12"; empty for any other month text.
    static std::string DaysInMonthText(const std::string& year, const std::string& month);
    // The items "1".."days" of a day list for the year and month texts (none for an unknown month).
    static std::vector<std::string> DayListItems(const std::string& year, const std::string& month);
    // Refills a day drop-down list from the texts of the year and month controls and selects the first
    // day. Takes a list with ResetContent/AddString/SetCurSel, or one with clear/addItem/setCurrentIndex
    // (a Qt combo box, whose addItem takes the text as const char*).
    template <class Combo>
    static void FillDayCombo(const std::string& yearText, const std::string& monthText, Combo& dayCombo) {
        const std::vector<std::string> items = DayListItems(yearText, monthText);
        if constexpr (requires { dayCombo.ResetContent(); }) {
            dayCombo.ResetContent();
            for (const std::string& item : items) {
                dayCombo.AddString(item);
            }
            dayCombo.SetCurSel(0);
        } else {
            dayCombo.clear();
            for (const std::string& item : items) {
                dayCombo.addItem(item.c_str());
            }
            dayCombo.setCurrentIndex(0);
        }
    }
    // "%d year,%d month,%d days,%d hours,%d mins,%d secs" without the leading zero fields; "0" for 0.
    static std::string FormatUptime(unsigned seconds);
    // The desktop's default web browser program (xdg), else xdg-open; empty when neither is found.
    static std::string GetDefaultBrowserPath();
    // The program of a browser command: the "X:\...\name.exe" of a Windows command value, or the first
    // word of a desktop-entry Exec line when the rest are field codes only; empty otherwise.
    static std::string ExtractBrowserProgram(const std::string& command);
};
