#include "app/CommandLine.h"

#include "platform/sys/Globals.h"

namespace ksx {

std::string JoinArguments(int argc, const char* const* argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) {
            line += ' ';
        }
        line += argv[i] != nullptr ? argv[i] : "";
    }
    return line;
}

std::string GetNextToken(const std::string& commandLine, std::size_t& pos) {
    std::string token;
    if (pos > commandLine.size()) {
        pos = commandLine.size();
    }
    while (pos < commandLine.size() && commandLine[pos] != '/') {
        if (commandLine[pos] != ' ') {
            token += commandLine[pos];
        }
        ++pos;
    }
    return token;
}

int ParseCommandLine(const std::string& commandLine) {
    if (commandLine.empty()) {
        return 0;
    }
    std::size_t pos = 2;  // past the first slash and its letter
    g_strParam1 = GetNextToken(commandLine, pos);
    if (pos >= commandLine.size()) {
        return 1;
    }
    if (commandLine.find("/I") == std::string::npos) {
        return 0;
    }
    pos += 2;
    g_strDeviceIP = GetNextToken(commandLine, pos);
    if (g_strDeviceIP.empty()) {
        return 0;
    }

    // The next value, or false at the end of the line.
    std::string value;
    auto next = [&]() -> bool {
        if (pos >= commandLine.size()) {
            return false;
        }
        pos += 2;
        value = GetNextToken(commandLine, pos);
        return true;
    };
    auto keep = [&](std::string& setting) {
        if (!value.empty()) {
            setting = value;
        }
    };

    if (!next())
        return 1;
    keep(g_strReadCommunity);
    if (!next())
        return 1;
    keep(g_strWriteCommunity);
    if (!next())
        return 1;
    g_bVlanConfigEnabled = (value == "TRUE" || value == "true") ? 1 : 0;
    if (!next())
        return 1;
    keep(g_strSnmpVersion);
    if (!next())
        return 1;
    keep(g_strSnmpPort);
    if (g_strSnmpVersion == "1") {
        return 1;  // the SNMPv3 values count only for other versions
    }
    if (!next())
        return 1;  // value 8, discarded
    if (!next())
        return 1;  // value 9, discarded
    for (std::string* setting : {&g_strParam10, &g_strV3SecurityLevel, &g_strV3UserName, &g_strV3AuthPassword,
                                 &g_strV3PrivPassword, &g_strV3AuthProtocol, &g_strV3PrivProtocol}) {
        if (!next())
            return 1;
        keep(*setting);
    }
    return 1;
}

}  // namespace ksx
