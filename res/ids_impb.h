// Resource numbers of the IP-MAC-port binding and ARP spoofing prevention dialogs: templates and control
// ids (the menu commands are in res/resource.h).
#pragma once

namespace ksx {

// Binding settings per port.
constexpr unsigned IDD_IMPB_SETTINGS = 141;
constexpr int IDC_IMPBSET_FROM = 1166;
constexpr int IDC_IMPBSET_TO = 1165;
constexpr int IDC_IMPBSET_ADMIN = 1164;
constexpr int IDC_IMPBSET_INSPECTION = 1054;
constexpr int IDC_IMPBSET_DHCP = 1055;
constexpr int IDC_IMPBSET_APPLY = 1051;
constexpr int IDC_IMPBSET_REFRESH = 1167;
constexpr int IDC_IMPBSET_LIST = 1010;
constexpr int IDC_IMPBSET_STATUS = 1400;  // what is being read, or what could not be read

// Bindings: manual entry, address scan and the binding table.
constexpr unsigned IDD_IMPB_BINDING = 142;
constexpr int IDC_IMPBB_ADDRESS = 1175;
constexpr int IDC_IMPBB_MAC = 1001;
constexpr int IDC_IMPBB_MAC_LABEL = 1137;
constexpr int IDC_IMPBB_PORT = 1002;
constexpr int IDC_IMPBB_PORT_LABEL = 1032;
constexpr int IDC_IMPBB_ADD = 1149;
constexpr int IDC_IMPBB_FROM = 1012;
constexpr int IDC_IMPBB_FROM_LABEL = 1361;
constexpr int IDC_IMPBB_TO = 1168;
constexpr int IDC_IMPBB_TO_LABEL = 1362;
constexpr int IDC_IMPBB_SCAN_NOTE = 1298;
constexpr int IDC_IMPBB_SCAN = 1060;
constexpr int IDC_IMPBB_BACK = 1065;
constexpr int IDC_IMPBB_NEXT = 1066;
constexpr int IDC_IMPBB_LIST = 1010;
constexpr int IDC_IMPBB_BIND = 1169;
constexpr int IDC_IMPBB_REFRESH = 1174;
constexpr int IDC_IMPBB_MANUAL_GROUP = 1364;
constexpr int IDC_IMPBB_SCAN_GROUP = 1363;
constexpr unsigned IDT_IMPBB_SCAN = 2;  // the scan's reload timer

// Allowed list.
constexpr unsigned IDD_IMPB_WHITE = 140;
constexpr int IDC_IMPBW_LIST = 1010;
constexpr int IDC_IMPBW_COUNT = 1170;
constexpr int IDC_IMPBW_DELETE = 1173;
constexpr int IDC_IMPBW_REFRESH = 1149;

// Blocked list.
constexpr unsigned IDD_IMPB_BLACK = 144;
constexpr int IDC_IMPBK_VID = 1114;
constexpr int IDC_IMPBK_ADDRESS = 1000;
constexpr int IDC_IMPBK_MAC = 1001;
constexpr int IDC_IMPBK_PORT = 1002;
constexpr int IDC_IMPBK_FIND = 1005;
constexpr int IDC_IMPBK_LIST = 1010;
constexpr int IDC_IMPBK_COUNT = 1171;
constexpr int IDC_IMPBK_DELETE = 1003;
constexpr int IDC_IMPBK_REFRESH = 1044;

// ARP spoofing prevention list.
constexpr unsigned IDD_ARP_SPOOF = 196;
constexpr int IDC_ARPS_LIST = 1133;
constexpr int IDC_ARPS_TOTAL_LABEL = 1143;
constexpr int IDC_ARPS_COUNT = 1144;
constexpr int IDC_ARPS_ADD = 1001;
constexpr int IDC_ARPS_DELETE = 1003;
constexpr int IDC_ARPS_REFRESH = 1044;
constexpr int IDC_ARPS_CLOSE = 1200;

// ARP spoofing prevention: add one gateway.
constexpr unsigned IDD_ARP_ADD = 197;
constexpr int IDC_ARPA_ADDRESS = 1012;
constexpr int IDC_ARPA_ADDRESS_LABEL = 1136;
constexpr int IDC_ARPA_MAC = 1139;
constexpr int IDC_ARPA_MAC_LABEL = 1137;
constexpr int IDC_ARPA_PORTS_LABEL = 1138;
constexpr int IDC_ARPA_ALL = 1141;
constexpr int IDC_ARPA_PORT_BASE = 6000;        // + port: the port's check box
constexpr int IDC_ARPA_PORT_LABEL_BASE = 7500;  // + port: its number
constexpr int IDC_ARPA_MAX_PORTS = 52;
constexpr int IDC_ARPA_APPLY = 1000;
constexpr int IDC_ARPA_CANCEL = 1025;
constexpr int IDC_ARPA_GROUP = 1130;
constexpr int IDC_ARPA_STATUS = 1131;  // what is being read, or what could not be read

}  // namespace ksx
