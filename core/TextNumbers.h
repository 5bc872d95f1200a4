// Number reading of the text helpers: the leading decimal or hexadecimal number of a text, read the
// way the helpers' callers expect (a missing number reads as 0, overlong numbers saturate), and the
// checks of typed numbers.
#pragma once

#include <climits>
#include <string>
#include <string_view>

namespace ksx::text {

// Leading decimal number: optional white space, optional sign, digits; 0 when there is none.
inline int LeadingInt(std::string_view s) {
    size_t i = 0;
    while (i < s.size() &&
           (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r' || s[i] == '\f' || s[i] == '\v')) {
        ++i;
    }
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    long long v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > INT_MAX) {
            v = static_cast<long long>(INT_MAX) + 1;  // saturate, keep reading digits
        }
    }
    if (negative) {
        v = -v;
    }
    if (v > INT_MAX) {
        return INT_MAX;
    }
    if (v < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(v);
}

// Value of a hex digit, -1 for any other character.
inline int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The value of the leading hex digits of s (reading stops at the first other character); 0 if none.
inline unsigned LeadingHex(std::string_view s) {
    unsigned v = 0;
    for (char c : s) {
        int d = HexDigit(c);
        if (d < 0) {
            break;
        }
        v = (v << 4) | static_cast<unsigned>(d);
    }
    return v;
}

// s without the spaces and tabs before and after it.
inline std::string Trimmed(std::string_view s) {
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return std::string();
    }
    return std::string(s.substr(first, s.find_last_not_of(" \t") - first + 1));
}

// A plain decimal number ("15", "15.4", ".4", "15."), nothing before or after it.
inline bool IsDecimalText(std::string_view s) {
    bool digit = false;
    bool point = false;
    for (char c : s) {
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

}  // namespace ksx::text
