#pragma once

#include <string>

#include "core/regex/RegexPattern.h"

// Whole-text match of a pattern (compiled with its counted length) against a counted text.
inline bool Matches(const std::string& pattern, const std::string& text, int flags = 0) {
    CRegexPattern re;
    re.Compile(pattern.data(), static_cast<int>(pattern.size()), flags);
    return re.Match(text.data(), static_cast<int>(text.size())).Succeeded() != 0;
}

// Start and end of group n after matching, as "start,end" ("fail" when the match fails).
inline std::string Group(const std::string& pattern, const std::string& text, int n, int flags = 0) {
    CRegexPattern re;
    re.Compile(pattern.data(), static_cast<int>(pattern.size()), flags);
    const CRegexMatch m = re.Match(text.data(), static_cast<int>(text.size()));
    if (!m.Succeeded()) {
        return "fail";
    }
    return std::to_string(m.GetGroupStart(n)) + "," + std::to_string(m.GetGroupEnd(n));
}
