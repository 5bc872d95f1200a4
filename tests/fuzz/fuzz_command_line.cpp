// libFuzzer target over the host's command line: the positional parser fills the connection settings,
// then the address and port are judged usable or not. Settings start from their defaults each run.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/CommandLine.h"
#include "platform/sys/Globals.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ksx::ResetConnectionSettings();
    const std::string line(reinterpret_cast<const char*>(data), size);
    const int result = ksx::ParseCommandLine(line);
    std::size_t pos = 0;
    while (pos < line.size()) {
        const std::size_t before = pos;
        ksx::GetNextToken(line, pos);
        pos = pos == before ? pos + 1 : pos;
    }
    const std::string why = ksx::UnusableTarget(g_strDeviceIP, g_strSnmpPort);
    // An address the parse gave as usable never holds a slash or a space.
    if (why.empty() && g_strDeviceIP.find_first_of("/ ") != std::string::npos) {
        __builtin_trap();
    }
    if (line.empty() && result != 0) {
        __builtin_trap();
    }
    return 0;
}
