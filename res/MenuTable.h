// Menu 131 of the main window: popups, items, texts and command ids in menu order. Texts are shown
// exactly as written here (trailing spaces and the double space included).
#pragma once

#include <string>
#include <vector>

#include "platform/ui/MenuBar.h"
#include "res/resource.h"

namespace ksx {

inline const std::string kMenuDeviceManager = "Device Manager   ";
inline const std::string kMenuPublicMib = "Public MIB   ";
inline const std::string kMenuTools = "Tools   ";
inline const std::string kMenuAbout = "About   ";

// Position of the "PoE" popup in "Device Manager   ".
constexpr int kPoePopupPosition = 8;

inline const MenuTable& MainMenuTable() {
    static const MenuTable table = [] {
        const std::string& dm = kMenuDeviceManager;
        MenuTable t;
        auto item = [&t](std::vector<std::string> path, unsigned id, const char* text) {
            t.push_back(MenuEntry{std::move(path), id, text});
        };
        item({dm, "System"}, IDM_PORT_CONFIGURATION, "Port Configuration");
        item({dm, "System"}, IDM_PORT_DESCRIPTION, "Port Description");
        item({dm, "System"}, IDM_SYSLOG_HOST, "Syslog Host Configuration");
        item({dm, "System"}, IDM_TIME_PROFILE, "Time Profile Settings");
        item({dm, "System"}, IDM_POWER_SAVING, "Power Saving Settings");
        item({dm, "VLAN"}, IDM_VLAN_CONFIGURATION, "VLAN Configuration");
        item({dm, "VLAN"}, IDM_MANAGEMENT_VLAN, "802.1Q Management VLAN");
        item({dm, "VLAN"}, IDM_SURVEILLANCE_VLAN, "Auto Surveillance VLAN Setting ");
        item({dm, "L2 Function"}, IDM_JUMBO_FRAME, "Jumbo Frame Configuration");
        item({dm, "L2 Function"}, IDM_PORT_MIRRORING, "Port Mirroring Settings");
        item({dm, "L2 Function"}, IDM_LOOPBACK_DETECTION, "&Loopback Detection ");
        item({dm, "L2 Function"}, IDM_STATIC_MAC, "Static MAC");
        item({dm, "L2 Function"}, IDM_SPANNING_TREE, "Spanning Tree");
        item({dm, "L2 Function"}, IDM_TRUNK_CONFIGURATION, "Trunk Configuration");
        item({dm, "L2 Function"}, IDM_IGMP_SNOOPING, "IGMP Snooping Configuration");
        item({dm, "L2 Function"}, IDM_MULTICAST_FILTERING, "Multicast Filtering Mode configuration");
        item({dm, "L2 Function", "LLDP"}, IDM_LLDP_GLOBAL, "&LLDP Global Setting");
        item({dm, "L2 Function", "LLDP"}, IDM_LLDP_REMOTE, "&LLDP Remote Port Information");
        item({dm, "Qos"}, IDM_BANDWIDTH_CONTROL, "Bandwidth Control");
        item({dm, "RMON"}, IDM_RMON_GLOBAL, "&RMON Global Setting");
        item({dm, "RMON"}, IDM_RMON_STATISTICS, "&RMON Ethernet Statistics ");
        item({dm, "RMON"}, IDM_RMON_HISTORY, "&RMON History Control ");
        item({dm, "RMON"}, IDM_RMON_ALARM, "&RMON Alarm Settings ");
        item({dm, "RMON"}, IDM_RMON_EVENT, "&RMON Event ");
        item({dm, "Security"}, IDM_ARP_SPOOFING, "ARP Spoofing Prevention Setting");
        item({dm, "Security"}, IDM_DHCP_SCREENING, "DHCP Server Screening Port Configuration");
        item({dm, "Security"}, IDM_TRAFFIC_SEGMENTATION, "Traffic Segmentation Settings");
        item({dm, "Security"}, IDM_STORM_CONTROL, "Storm Control Settings");
        item({dm, "Security", "Smart Binding "}, IDM_SMART_BINDING_SETTINGS, "Smart Binding Settings ");
        item({dm, "Security", "Smart Binding "}, IDM_SMART_BINDING, "Smart Binding");
        item({dm, "Security", "Smart Binding "}, IDM_WHITE_LIST, "White List ");
        item({dm, "Security", "Smart Binding "}, IDM_BLACK_LIST, "Black List ");
        item({dm, "AAA"}, IDM_DOT1X_GLOBAL, "802.1X Global Settings");
        item({dm, "AAA"}, IDM_DOT1X_PORT, "802.1X  Settings ");
        item({dm, "AAA"}, IDM_DOT1X_USER, "802.1X User");
        item({dm, "AAA"}, IDM_DOT1X_RADIUS, "802.1X Authentication RADIUS");
        item({dm, "SNMP"}, IDM_SNMP_GLOBAL, "SNMP Global State");
        item({dm, "SNMP"}, IDM_SNMP_USER, "SNMP User Table");
        item({dm, "SNMP"}, IDM_SNMP_GROUP, "SNMP Group Table");
        item({dm, "SNMP"}, IDM_SNMP_VIEW, "SNMP View Table");
        item({dm, "SNMP"}, IDM_SNMP_COMMUNITY, "SNMP Community Table");
        item({dm, "SNMP"}, IDM_SNMP_HOST, "SNMP Host Table");
        item({dm, "SNMP"}, IDM_SNMP_ENGINE_ID, "SNMP Engine ID");
        item({dm, "SNMP"}, IDM_SNMP_TRAP, "SNMP Trap Configuration");
        item({dm, "PoE"}, IDM_POE_GLOBAL, "PoE Global Settings");
        item({dm, "PoE"}, IDM_POE_PORT, "PoE Port Settings ");
        item({kMenuPublicMib}, IDM_SYSTEM_INFORMATION, "System Information");
        item({kMenuPublicMib}, IDM_INTERFACE_TABLE, "Interface Table");
        item({kMenuPublicMib}, IDM_IP_TABLE, "IP Table");
        item({kMenuPublicMib}, IDM_FORWARDING_TABLE, "Forwarding Table");
        item({kMenuPublicMib}, IDM_TCP_SERVICE, "TCP Service");
        item({kMenuPublicMib}, IDM_UDP_SERVICE, "UDP Service");
        item({kMenuTools}, IDM_FIRMWARE_TRANSFER, "Firmware and Configuration Upgrade/Backup");
        item({kMenuTools}, IDM_SAVE_CONFIGURATION, "Save Configuration");
        item({kMenuTools}, IDM_REBOOT, "Reboot");
        item({kMenuTools}, IDM_TELNET, "Telnet");
        item({kMenuTools}, IDM_WEB, "Web");
        item({kMenuAbout}, IDM_APP_ABOUT, "About KSX-4200-48");
        return t;
    }();
    return table;
}

// Commands removed from "Device Manager   " on models whose name holds neither "P" nor "p" (those that
// are not in the menu are ignored), before the "PoE" popup itself goes.
inline const std::vector<unsigned>& PoeMenuCommands() {
    static const std::vector<unsigned> ids = {32852, 32819, 32827, 32857, 32858, 32860};
    return ids;
}

// Commands that open a feature dialog through the feature sequence: every dialog item of the menu and
// the handled commands without a menu item.
inline const std::vector<unsigned>& FeatureCommands() {
    static const std::vector<unsigned> ids = [] {
        std::vector<unsigned> v;
        for (const MenuEntry& e : MainMenuTable()) {
            if (e.id != IDM_SAVE_CONFIGURATION && e.id != IDM_REBOOT && e.id != IDM_TELNET &&
                e.id != IDM_WEB && e.id != IDM_APP_ABOUT) {
                v.push_back(e.id);
            }
        }
        for (unsigned id :
             {IDM_GVRP_SETTINGS, IDM_GVRP_TIME, IDM_SURVEILLANCE_OUI, IDM_LLDP_MED, IDM_DOT1X_PORT_CONFIG}) {
            v.push_back(id);
        }
        return v;
    }();
    return ids;
}

}  // namespace ksx
