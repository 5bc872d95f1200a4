// libFuzzer target over the User.ini reader: the input is the file, read for every key the main
// window reads, in other cases of section and key names, and as numbers.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/sys/Profile.h"

namespace {

std::string TempPath() {
    char name[] = "/tmp/ksx-fuzz-ini-XXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0) {
        close(fd);
    }
    return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = TempPath();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        return 0;
    }
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    for (const char* section : {"DeviceInfo", "deviceinfo", ""}) {
        for (const char* key :
             {"DeviceName", "DevicePortNum", "XMLName", "IsAllGiga", "IsHasFan", "devicename", ""}) {
            const std::string value = ksx::GetPrivateProfileString(section, key, "default", path);
            // Values come back on one line, and trimmed unless the file quotes them: one pair of
            // enclosing quotes is dropped and what they enclose is kept as written.
            if (value.find('\n') != std::string::npos) {
                __builtin_trap();
            }
            if (!value.empty() && (value.front() == ' ' || value.back() == ' ') &&
                file.find('"' + value + '"') == std::string_view::npos &&
                file.find('\'' + value + '\'') == std::string_view::npos) {
                __builtin_trap();
            }
            ksx::GetPrivateProfileInt(section, key, 28, path);
        }
    }
    return 0;
}
