#include "platform/sys/Debug.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace ksx {

bool DebugEnabled() {
    return std::getenv("KSX_DEBUG") != nullptr;
}

void DebugOut(const char* fmt, ...) {
    if (fmt == nullptr || !DebugEnabled()) {
        return;
    }
    va_list args;
    va_start(args, fmt);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    if (length > 0) {
        std::string line(static_cast<std::size_t>(length) + 1, '\0');
        std::vsnprintf(line.data(), line.size(), fmt, args);
        line.resize(static_cast<std::size_t>(length));
        // One line per call on stderr, so output of several threads does not run together.
        if (line.back() != '\n') {
            line.push_back('\n');
        }
        std::fputs(line.c_str(), stderr);
    }
    va_end(args);
}

}  // namespace ksx
