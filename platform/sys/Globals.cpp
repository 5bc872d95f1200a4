#include "platform/sys/Globals.h"

std::string g_strParam1 = "0";
std::string g_strDeviceIP;
std::string g_strReadCommunity = "quaint";
std::string g_strWriteCommunity = "harbour";
int g_bVlanConfigEnabled = 1;
std::string g_strSnmpVersion = "1";
std::string g_strSnmpPort = "161";
std::string g_strParam10 = "1";
std::string g_strV3SecurityLevel = "1";
std::string g_strV3UserName;
std::string g_strV3AuthPassword;
std::string g_strV3PrivPassword;
std::string g_strV3AuthProtocol = "1";
std::string g_strV3PrivProtocol = "1";
std::string g_strSnmpTimeout = "3000";

std::string g_strDeviceName;
int g_nPortNum = 28;
int g_bIsAllGiga = 0;
int g_bIsHasFan = 0;

int g_bDialogClosing = 0;

namespace ksx {

void ResetConnectionSettings() {
    g_strParam1 = "0";
    g_strDeviceIP.clear();
    g_strReadCommunity = "quaint";
    g_strWriteCommunity = "harbour";
    g_bVlanConfigEnabled = 1;
    g_strSnmpVersion = "1";
    g_strSnmpPort = "161";
    g_strParam10 = "1";
    g_strV3SecurityLevel = "1";
    g_strV3UserName.clear();
    g_strV3AuthPassword.clear();
    g_strV3PrivPassword.clear();
    g_strV3AuthProtocol = "1";
    g_strV3PrivProtocol = "1";
    g_strSnmpTimeout = "3000";
    g_strDeviceName.clear();
    g_nPortNum = 28;
    g_bIsAllGiga = 0;
    g_bIsHasFan = 0;
    g_bDialogClosing = 0;
}

std::string AgentAddress() {
    if (g_strDeviceIP.empty()) {
        return std::string();
    }
    std::string host = g_strDeviceIP;
    // An IPv6 literal needs brackets before the port is appended.
    if (host.find(':') != std::string::npos && host.front() != '[') {
        host = "[" + host + "]";
    }
    if (g_strSnmpPort.empty()) {
        return host;
    }
    return host + ":" + g_strSnmpPort;
}

}  // namespace ksx
