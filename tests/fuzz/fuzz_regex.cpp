// Fuzzes the regular-expression compiler and matcher. The input is split at the first NUL byte
// after its first two bytes: the first byte picks the compile flags, then pattern, then text (both
// may hold NUL beyond the split). Every pattern must compile and every match must end, without
// crashes or sanitizer reports.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/regex/RegexPattern.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const int flags = data[0] & 0x3F;
    const char* rest = reinterpret_cast<const char*>(data + 1);
    const size_t restSize = size - 1;
    const void* split = std::memchr(rest, '\0', restSize);
    const size_t patternSize = split != nullptr ? static_cast<const char*>(split) - rest : restSize;
    const std::string pattern(rest, patternSize);
    const std::string text = patternSize < restSize
                                 ? std::string(rest + patternSize + 1, restSize - patternSize - 1)
                                 : std::string();

    CRegexPattern re;
    re.Compile(pattern.data(), static_cast<int>(pattern.size()), flags);
    RxMatchState state;
    state.m_nStepLimit = 200000;  // keep each run short; the bound itself is what is exercised
    const CRegexMatch m = re.Match(text.data(), static_cast<int>(text.size()), &state);
    if (m.Succeeded()) {
        // Every reported group lies within the text, start before end; group 0 spans it all.
        if (m.GetGroupStart(0) != 0 || m.GetGroupEnd(0) != static_cast<int>(text.size())) {
            __builtin_trap();
        }
        for (int i = 1; i <= m.MaxGroupNumber(); i++) {
            const int a = m.GetGroupStart(i);
            const int b = m.GetGroupEnd(i);
            if ((a == -1) != (b == -1) || (a != -1 && (a > b || b > static_cast<int>(text.size())))) {
                __builtin_trap();
            }
        }
    }
    // Matching with the pattern's own state and the NUL-terminated form must agree on success
    // whenever the step budget was not the limiting factor.
    if (!state.m_bAborted && text.find('\0') == std::string::npos) {
        RxMatchState again;
        const int r = re.Match(text.c_str(), &again).Succeeded();
        if (!again.m_bAborted && (r != 0) != (m.Succeeded() != 0)) {
            __builtin_trap();
        }
    }
    return 0;
}
