// Reading INI files with the profile semantics the module relies on: section and key names are
// case-insensitive, values are trimmed (one pair of enclosing quotes is dropped), the first matching
// section and key win, there is no list or escape handling, and a missing file, section or key gives
// the default.
#pragma once

#include <string>

namespace ksx {

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& path);
// The value read as a decimal integer (optional sign, digits up to the first other character; text
// without digits reads 0). A missing or empty value gives the default.
int GetPrivateProfileInt(const std::string& section, const std::string& key, int defaultValue,
                         const std::string& path);

}  // namespace ksx
