// Resource numbers of the application shell: templates, strings, the main menu and its commands, the
// icon, timers and the main window's own messages. Feature dialogs keep their control ids in their
// own res/ids_*.h files.
#pragma once

#include "platform/sys/Messages.h"

namespace ksx {

// Templates and strings.
constexpr unsigned IDD_ABOUTBOX = 100;              // the About box (the bitmap store shares 100)
constexpr unsigned IDS_ABOUTBOX = 101;              // "&About KSX-4200-28Z1 Module..."
constexpr unsigned IDD_QUORVIAMODULE_DIALOG = 102;  // the main window
constexpr unsigned IDP_SOCKETS_INIT_FAILED = 103;   // "Failed to initialize communication port !"
constexpr unsigned IDR_MAINMENU = 131;              // menu 131
constexpr unsigned IDR_MAINFRAME = 447;             // the application icon
constexpr int IDC_ABOUT_MODULE_NAME = 1049;         // About box: device name + " Management Module"
constexpr unsigned IDT_POLL_BLINK = 2052;           // lamp-phase timer of the main window
constexpr unsigned IDM_ABOUTBOX = 16;               // About item of the window system's menu (not built)

// Commands of menu 131 (and the handled commands that no menu item sends).
enum MenuCommand : unsigned {
    IDM_PORT_CONFIGURATION = 32774,
    IDM_TELNET = 32788,
    IDM_WEB = 32789,
    IDM_DOT1X_PORT_CONFIG = 32792,  // no menu item
    IDM_REBOOT = 32797,
    IDM_SYSTEM_INFORMATION = 32805,
    IDM_IP_TABLE = 32808,
    IDM_INTERFACE_TABLE = 32809,
    IDM_FORWARDING_TABLE = 32810,
    IDM_TCP_SERVICE = 32811,
    IDM_UDP_SERVICE = 32812,
    IDM_SPANNING_TREE = 32813,
    IDM_SAVE_CONFIGURATION = 32815,
    IDM_JUMBO_FRAME = 32817,
    IDM_TRUNK_CONFIGURATION = 32818,
    IDM_FIRMWARE_TRANSFER = 32823,
    IDM_LLDP_GLOBAL = 32825,
    IDM_LLDP_REMOTE = 32826,
    IDM_LLDP_MED = 32827,  // no menu item
    IDM_SURVEILLANCE_VLAN = 32828,
    IDM_DHCP_SCREENING = 32829,
    IDM_MULTICAST_FILTERING = 32830,
    IDM_SURVEILLANCE_OUI = 32831,  // no menu item
    IDM_SYSLOG_HOST = 32832,
    IDM_ARP_SPOOFING = 32833,
    IDM_VLAN_CONFIGURATION = 32834,
    IDM_GVRP_TIME = 32835,      // no menu item
    IDM_GVRP_SETTINGS = 32836,  // no menu item
    IDM_IGMP_SNOOPING = 32837,
    IDM_SNMP_GLOBAL = 32839,
    IDM_SNMP_HOST = 32840,
    IDM_SNMP_USER = 32841,
    IDM_SNMP_GROUP = 32842,
    IDM_SNMP_VIEW = 32843,
    IDM_SNMP_COMMUNITY = 32844,
    IDM_SNMP_ENGINE_ID = 32845,
    IDM_SNMP_TRAP = 32846,
    IDM_BANDWIDTH_CONTROL = 32850,
    IDM_TRAFFIC_SEGMENTATION = 32851,
    IDM_POE_PORT = 32852,
    IDM_STORM_CONTROL = 32853,
    IDM_PORT_MIRRORING = 32854,
    IDM_TIME_PROFILE = 32855,
    IDM_POWER_SAVING = 32856,
    IDM_POE_GLOBAL = 32860,
    IDM_SMART_BINDING_SETTINGS = 32863,
    IDM_SMART_BINDING = 32864,
    IDM_WHITE_LIST = 32865,
    IDM_BLACK_LIST = 32866,
    IDM_MANAGEMENT_VLAN = 32867,
    IDM_PORT_DESCRIPTION = 32871,
    IDM_LOOPBACK_DETECTION = 32873,
    IDM_STATIC_MAC = 32874,
    IDM_RMON_GLOBAL = 32880,
    IDM_RMON_STATISTICS = 32881,
    IDM_RMON_HISTORY = 32882,
    IDM_RMON_ALARM = 32883,
    IDM_RMON_EVENT = 32884,
    IDM_DOT1X_USER = 32885,
    IDM_DOT1X_RADIUS = 32886,
    IDM_DOT1X_PORT = 32889,
    IDM_DOT1X_GLOBAL = 32890,
    IDM_APP_ABOUT = 57664,
};

// Main window messages.
constexpr unsigned WM_DRAW_KEYED_BITMAP = WM_USER + 6;  // wParam port index | 0x80, lParam key
// From the polling thread and the status walks to the main window (handled on the UI thread).
constexpr unsigned WM_PANEL_FAN_STATUS = WM_USER + 2101;  // wParam 1 good, 2 fault
constexpr unsigned WM_PANEL_LINK_WALK = WM_USER + 2102;   // lParam: const LinkWalkResult*
constexpr unsigned WM_PANEL_POE_WALK = WM_USER + 2103;    // lParam: const PoeWalkResult*
constexpr unsigned WM_PANEL_LED_MODE = WM_USER + 2104;    // LED mode or PoE power changed: repaint

}  // namespace ksx
