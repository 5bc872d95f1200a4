// Process-wide connection settings and device values. Filled once at start-up (command line, User.ini)
// before any SNMP session exists; read-only afterwards.
#pragma once

#include <string>

extern std::string g_strParam1;           // "0"
extern std::string g_strDeviceIP;         // ""
extern std::string g_strReadCommunity;    // "quaint"
extern std::string g_strWriteCommunity;   // "harbour"
extern int g_bVlanConfigEnabled;          // 1
extern std::string g_strSnmpVersion;      // "1"
extern std::string g_strSnmpPort;         // "161"
extern std::string g_strParam10;          // "1"
extern std::string g_strV3SecurityLevel;  // "1"
extern std::string g_strV3UserName;       // ""
extern std::string g_strV3AuthPassword;   // ""
extern std::string g_strV3PrivPassword;   // ""
extern std::string g_strV3AuthProtocol;   // "1"
extern std::string g_strV3PrivProtocol;   // "1"
extern std::string g_strSnmpTimeout;      // "3000"

// Device values from User.ini (written by the main window).
extern std::string g_strDeviceName;  // ""
extern int g_nPortNum;               // 28
extern int g_bIsAllGiga;             // 0
extern int g_bIsHasFan;              // 0

// Shared by the port settings and SNMP community dialogs.
extern int g_bDialogClosing;

namespace ksx {
// Restores every value above to its default (start-up and tests).
void ResetConnectionSettings();
// The agent address the SNMP layer is given: device address and UDP port, IPv6 in brackets.
std::string AgentAddress();
}  // namespace ksx
