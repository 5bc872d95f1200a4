// The host's command line: positional values, each a slash, one letter and the value. Only the order
// counts; the letter is skipped whatever it is. Spaces are dropped wherever they stand, and a slash
// ends a value, so a value can hold neither.
//
//   1 g_strParam1            5 g_bVlanConfigEnabled ("TRUE"/"true")   10 g_strParam10
//   2 g_strDeviceIP (/I)     6 g_strSnmpVersion                       11 g_strV3SecurityLevel
//   3 g_strReadCommunity     7 g_strSnmpPort                          12 g_strV3UserName
//   4 g_strWriteCommunity    8, 9 read and discarded                  13 g_strV3AuthPassword
//                                                                     14 g_strV3PrivPassword
//   Values 10 to 16 are taken only when the version is not "1".       15 g_strV3AuthProtocol
//                                                                     16 g_strV3PrivProtocol
#pragma once

#include <cstddef>
#include <string>

namespace ksx {

// The program's arguments (without the program name) joined by single spaces.
std::string JoinArguments(int argc, const char* const* argv);

// Copies the characters from `pos` up to, not including, the next "/" or the end, leaving out every
// space, and leaves `pos` on that "/" (or on the end). A position past the end reads nothing.
std::string GetNextToken(const std::string& commandLine, std::size_t& pos);

// Fills the connection settings (platform/sys/Globals.h) from the command line. 0 when it stopped
// because the line is empty, holds no "/I" or gives an empty address; else 1. What the parse does not
// reach keeps its value.
int ParseCommandLine(const std::string& commandLine);

// What is wrong with a device address and UDP port that no request could reach (no address, an address
// that is neither an IP address nor a host name, a port that is not a number from 1 to 65535), as
// the message shown; empty when both are usable.
std::string UnusableTarget(const std::string& address, const std::string& port);

}  // namespace ksx
