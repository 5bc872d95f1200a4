// Debugger output: diagnostic lines go to stderr only when the environment variable KSX_DEBUG is set.
#pragma once

namespace ksx {

bool DebugEnabled();
// printf-style; each call writes one line (a missing final newline is added).
void DebugOut(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

}  // namespace ksx

#define TRACE(...) ::ksx::DebugOut(__VA_ARGS__)
