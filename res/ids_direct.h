// Resource numbers of the ARP and route table views, the SNMPv3 information views and the 802.1X
// diagnostics and statistics views.
#pragma once

namespace ksx {

// ARP table view.
constexpr unsigned IDD_ARP_TABLE = 81;
constexpr int IDC_ARP_PRINT = 12;
constexpr int IDC_ARP_REFRESH = 103;
constexpr int IDC_ARP_COUNT = 1143;
constexpr int IDC_ARP_LIST = 1144;

// Route table view.
constexpr unsigned IDD_ROUTER_MAP = 411;
constexpr int IDC_ROUTE_REFRESH = 3;
constexpr int IDC_ROUTE_LIST = 1194;
constexpr int IDC_ROUTE_COUNT = 1195;

// SNMPv3 information views.
constexpr unsigned IDD_ENGINE_INFO = 471;
constexpr unsigned IDD_COMMUNITY_INFO = 472;
constexpr unsigned IDD_GROUP_INFO = 473;
constexpr unsigned IDD_ACCESS_INFO = 474;
constexpr unsigned IDD_MIBTREE_INFO = 475;
constexpr unsigned IDD_USER_INFO = 476;
constexpr int IDC_V3INFO_REFRESH = 241;
constexpr int IDC_ENGINE_ID = 249;
constexpr int IDC_ENGINE_BOOTS = 250;
constexpr int IDC_ENGINE_TIME = 251;
constexpr int IDC_ENGINE_MAX_SIZE = 252;
constexpr int IDC_COMMUNITY_LIST = 253;
constexpr int IDC_GROUP_LIST = 254;
constexpr int IDC_ACCESS_LIST = 255;
constexpr int IDC_MIBTREE_LIST = 256;
constexpr int IDC_USER_LIST = 257;

// 802.1X diagnostics and statistics views.
constexpr unsigned IDD_8021X_STATUS = 466;
constexpr unsigned IDD_8021X_DIAGNOSIS = 467;
constexpr int IDC_PAE_REFRESH = 103;
constexpr int IDC_PAE_STATUS_LIST = 1009;
constexpr int IDC_PAE_DIAG_LIST = 1010;

}  // namespace ksx
