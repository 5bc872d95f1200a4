// Resource numbers of the GVRP port and global settings dialogs and of the older VLAN and trunk
// information views.
#pragma once

namespace ksx {

// GVRP port settings.
constexpr unsigned IDD_GVRP_SETTINGS = 226;
constexpr int IDC_GVRP_LIST = 1234;
constexpr int IDC_GVRP_GROUP = 1239;
constexpr int IDC_GVRP_FROM = 1100;
constexpr int IDC_GVRP_TO = 211;
constexpr int IDC_GVRP_PVID = 1235;
constexpr int IDC_GVRP_STATE = 1236;
constexpr int IDC_GVRP_FRAME_TYPE = 1237;
constexpr int IDC_GVRP_INGRESS = 1238;
constexpr int IDC_GVRP_APPLY = 1149;
constexpr int IDC_GVRP_REFRESH = 1044;
constexpr int IDC_GVRP_FROM_LABEL = 1242;
constexpr int IDC_GVRP_TO_LABEL = 1243;
constexpr int IDC_GVRP_PVID_LABEL = 1244;
constexpr int IDC_GVRP_STATE_LABEL = 1245;
constexpr int IDC_GVRP_INGRESS_LABEL = 1246;
constexpr int IDC_GVRP_FRAME_TYPE_LABEL = 1247;

// GVRP global settings.
constexpr unsigned IDD_GVRP_TIME = 227;
constexpr int IDC_GVRPT_GROUP = 1231;
constexpr int IDC_GVRPT_ENABLED = 1232;
constexpr int IDC_GVRPT_DISABLED = 1233;
constexpr int IDC_GVRPT_JOIN = 1240;
constexpr int IDC_GVRPT_LEAVE = 1241;
constexpr int IDC_GVRPT_LEAVE_ALL = 1005;
constexpr int IDC_GVRPT_APPLY = 1000;
constexpr int IDC_GVRPT_REFRESH = 1044;
constexpr int IDC_GVRPT_CLOSE = 1128;
constexpr int IDC_GVRPT_JOIN_LABEL = 1250;
constexpr int IDC_GVRPT_LEAVE_LABEL = 1251;
constexpr int IDC_GVRPT_LEAVE_ALL_LABEL = 1252;
constexpr int IDC_GVRPT_NOTE = 1253;

// VLAN information view (older enterprise branch).
constexpr unsigned IDD_VLAN_INFO = 491;
constexpr int IDC_VINFO_MIB_VERSION = 1310;
constexpr int IDC_VINFO_MAX_TABLE = 1312;
constexpr int IDC_VINFO_DEFAULT_SUPPORTED = 1313;
constexpr int IDC_VINFO_DOT1V_SUPPORTED = 1314;
constexpr int IDC_VINFO_EDGE_SUPPORTED = 1315;
constexpr int IDC_VINFO_EDGE_VERSION = 1316;
constexpr int IDC_VINFO_SEND_UNKNOWN = 1008;
constexpr int IDC_VINFO_DEFAULT_ENABLED = 1009;
constexpr int IDC_VINFO_DYNAMIC_SUPPORTED = 1098;
constexpr int IDC_VINFO_HIDDEN_CHECK1 = 1099;
constexpr int IDC_VINFO_HIDDEN_CHECK2 = 1102;
constexpr int IDC_VINFO_TRANSPORTATION = 1103;
constexpr int IDC_VINFO_APPLY = 1145;
constexpr int IDC_VINFO_REFRESH = 103;
constexpr int IDC_VINFO_CLOSE = 1146;

// Trunk information view (older enterprise branch).
constexpr unsigned IDD_TRUNK_INFO = 486;
constexpr int IDC_TINFO_MIB_VERSION = 1310;
constexpr int IDC_TINFO_NUM_TRUNKS = 1312;
constexpr int IDC_TINFO_MAX_PORTS = 1313;
constexpr int IDC_TINFO_CREATION = 1314;
constexpr int IDC_TINFO_APPLY = 1145;
constexpr int IDC_TINFO_REFRESH = 103;
constexpr int IDC_TINFO_CLOSE = 1146;

}  // namespace ksx
