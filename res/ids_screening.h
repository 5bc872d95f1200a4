// Resource numbers of the DHCP server screening, storm control and traffic segmentation dialogs.
#pragma once

namespace ksx {

// DHCP server screening.
constexpr unsigned IDD_DHCP_SCREENING = 214;
constexpr int IDC_DHCPSCR_SERVER_IP = 203;
constexpr int IDC_DHCPSCR_DELETE = 1121;
constexpr int IDC_DHCPSCR_REFRESH = 1044;
constexpr int IDC_DHCPSCR_LIST = 1131;
constexpr int IDC_DHCPSCR_CLOSE = 1133;
constexpr int IDC_DHCPSCR_PORT_ADD = 1134;
constexpr int IDC_DHCPSCR_PORTS = 1135;
constexpr int IDC_DHCPSCR_SERVER_ADD = 1149;

// Storm control.
constexpr unsigned IDD_STORM_CONTROL = 235;
constexpr int IDC_STORM_KBPS = 1005;
constexpr int IDC_STORM_REFRESH = 1044;
constexpr int IDC_STORM_ENABLE = 1091;
constexpr int IDC_STORM_APPLY = 1276;
constexpr int IDC_STORM_TYPE = 1277;
constexpr int IDC_STORM_UNIT = 1278;
constexpr int IDC_STORM_N = 1279;

// Traffic segmentation.
constexpr unsigned IDD_TRAFFIC_SEG = 137;
constexpr int IDC_TSEG_APPLY_STATE = 1003;
constexpr int IDC_TSEG_APPLY_PORTS = 1011;
constexpr int IDC_TSEG_ENABLE = 1037;
constexpr int IDC_TSEG_FROM_PORT = 1038;
constexpr int IDC_TSEG_LIST = 1039;
constexpr int IDC_TSEG_REFRESH = 1044;
constexpr int IDC_TSEG_FROM_LABEL = 1118;
constexpr int IDC_TSEG_TO_LABEL = 1119;
constexpr int IDC_TSEG_SELECT_ALL = 1120;
constexpr int IDC_TSEG_CLEAR = 1149;
constexpr int IDC_TSEG_TABLE_GROUP = 1342;
constexpr int IDC_TSEG_GLOBAL_GROUP = 1343;
constexpr int IDC_TSEG_PORT_GROUP = 1344;
// Strip of run-time controls: check box of port p is IDC_TSEG_CHECK_BASE + p, its number label
// IDC_TSEG_LABEL_BASE + p.
constexpr int IDC_TSEG_CHECK_BASE = 6000;
constexpr int IDC_TSEG_LABEL_BASE = 7500;
constexpr int kTrafficSegMaxPorts = 52;

}  // namespace ksx
