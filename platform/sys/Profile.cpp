#include "platform/sys/Profile.h"

#include <cctype>
#include <climits>
#include <fstream>
#include <optional>

namespace ksx {

namespace {

std::string Trim(const std::string& text) {
    const char* spaces = " \t\r\n\f\v";
    const auto first = text.find_first_not_of(spaces);
    if (first == std::string::npos) {
        return std::string();
    }
    const auto last = text.find_last_not_of(spaces);
    return text.substr(first, last - first + 1);
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::optional<std::string> Lookup(const std::string& section, const std::string& key,
                                  const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    const std::string wantedSection = Trim(section);
    const std::string wantedKey = Trim(key);
    bool inSection = false;
    bool sectionSeen = false;
    bool firstLine = true;
    std::string line;
    while (std::getline(file, line)) {
        if (firstLine && line.compare(0, 3, "\xEF\xBB\xBF") == 0) {
            line.erase(0, 3);  // UTF-8 byte-order mark
        }
        firstLine = false;
        const std::string text = Trim(line);
        if (text.empty() || text[0] == ';') {
            continue;
        }
        if (text[0] == '[') {
            const auto close = text.find(']');
            const std::string name =
                Trim(text.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            if (sectionSeen && inSection) {
                return std::nullopt;  // only the first section of that name is read
            }
            inSection = EqualNoCase(name, wantedSection);
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection) {
            continue;
        }
        const auto equals = text.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        if (!EqualNoCase(Trim(text.substr(0, equals)), wantedKey)) {
            continue;
        }
        std::string value = Trim(text.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        return value;
    }
    return std::nullopt;
}

}  // namespace

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& path) {
    std::optional<std::string> value = Lookup(section, key, path);
    return value ? *value : defaultValue;
}

int GetPrivateProfileInt(const std::string& section, const std::string& key, int defaultValue,
                         const std::string& path) {
    std::optional<std::string> value = Lookup(section, key, path);
    if (!value || value->empty()) {
        return defaultValue;
    }
    std::size_t i = 0;
    bool negative = false;
    if ((*value)[i] == '-' || (*value)[i] == '+') {
        negative = (*value)[i] == '-';
        ++i;
    }
    long long result = 0;
    for (; i < value->size() && std::isdigit(static_cast<unsigned char>((*value)[i])); ++i) {
        result = result * 10 + ((*value)[i] - '0');
        if (result > static_cast<long long>(INT_MAX) + 1) {
            result = static_cast<long long>(INT_MAX) + 1;  // clamp, no overflow
        }
    }
    if (negative) {
        result = -result;
    }
    if (result > INT_MAX) {
        result = INT_MAX;
    }
    return static_cast<int>(result);
}

}  // namespace ksx
