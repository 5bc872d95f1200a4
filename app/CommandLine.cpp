#include "app/CommandLine.h"

#include <arpa/inet.h>

#include <cctype>

#include "platform/sys/Globals.h"

namespace ksx {

namespace {

// A host name: labels of letters, digits and hyphens (not at a label's ends) joined by dots.
bool IsHostName(const std::string& s) {
    if (s.empty() || s.size() > 253) {
        return false;
    }
    std::size_t label = 0;
    for (std::size_t i = 0; i <= s.size(); ++i) {
        if (i == s.size() || s[i] == '.') {
            if (label == 0 || label > 63 || s[i - 1] == '-' || s[i - label] == '-') {
                return false;
            }
            label = 0;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (!std::isalnum(c) && c != '-') {
            return false;
        }
        ++label;
    }
    return true;
}

bool IsIpAddress(std::string s) {
    if (s.size() > 2 && s.front() == '[' && s.back() == ']') {
        s = s.substr(1, s.size() - 2);
    }
    in_addr a4{};
    in6_addr a6{};
    return inet_pton(AF_INET, s.c_str(), &a4) == 1 || inet_pton(AF_INET6, s.c_str(), &a6) == 1;
}

}  // namespace

std::string UnusableTarget(const std::string& address, const std::string& port) {
    if (address.empty()) {
        return "No device address on the command line !";
    }
    if (!IsIpAddress(address) && !IsHostName(address)) {
        return "Invalid device address: " + address + " !";
    }
    bool portOk = !port.empty() && port.size() <= 5;
    long value = 0;
    for (char c : port) {
        portOk = portOk && c >= '0' && c <= '9';
        value = portOk ? value * 10 + (c - '0') : 0;
    }
    if (!portOk || value < 1 || value > 65535) {
        return "Invalid UDP port: " + port + " !";
    }
    return std::string();
}

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
