// Value names and index decodings shared by the SNMPv3 information views.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct CInfoNames {
    static std::string StorageType(const std::string& v) {
        if (v == "2")
            return "volatile";
        if (v == "3")
            return "nonVolatile";
        if (v == "4")
            return "permanent";
        if (v == "5")
            return "readOnly";
        return "Other";
    }
    static std::string RowStatus(const std::string& v) {
        if (v == "1")
            return "active";
        if (v == "2")
            return "notInService";
        if (v == "3")
            return "notReady";
        if (v == "4")
            return "createAndGo";
        if (v == "5")
            return "createAndWait";
        return "destroy";
    }
    // Each octet as two upper-case hexadecimal digits, no separators.
    static std::string Hex(const std::string& octets) {
        static const char* digits = "0123456789ABCDEF";
        std::string out;
        for (unsigned char c : octets) {
            out += digits[c >> 4];
            out += digits[c & 15];
        }
        return out;
    }
    // The sub-identifiers of an instance ("3.5.97.100"); nothing when one is not a number.
    static std::optional<std::vector<unsigned long>> Arcs(const std::string& instance) {
        std::vector<unsigned long> arcs;
        size_t start = 0;
        while (start <= instance.size()) {
            const size_t dot = instance.find('.', start);
            const std::string part =
                instance.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
            if (part.empty() || part.size() > 10 ||
                part.find_first_not_of("0123456789") != std::string::npos) {
                return std::nullopt;
            }
            arcs.push_back(std::stoul(part));
            if (dot == std::string::npos) {
                break;
            }
            start = dot + 1;
        }
        return arcs;
    }
    // A string index at `pos`: its length, then one character code per sub-identifier; `pos` moves past
    // it. Nothing when the index is shorter than its length says or a code is not an octet.
    static std::optional<std::string> StringAt(const std::vector<unsigned long>& arcs, size_t& pos) {
        if (pos >= arcs.size() || arcs[pos] > arcs.size() - pos - 1) {
            return std::nullopt;
        }
        const size_t length = arcs[pos];
        std::string text;
        for (size_t i = 1; i <= length; ++i) {
            if (arcs[pos + i] > 255) {
                return std::nullopt;
            }
            text += static_cast<char>(arcs[pos + i]);
        }
        pos += length + 1;
        return text;
    }
};
