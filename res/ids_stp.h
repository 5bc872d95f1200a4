// Resource numbers of the spanning tree and loopback detection dialogs: dialog templates and control ids
// (the menu commands are in res/resource.h).
#pragma once

namespace ksx {

// Enterprise spanning tree bridge settings.
constexpr unsigned IDD_STP_BRIDGE = 236;
constexpr int IDC_STPB_MAX_AGE = 11;
constexpr int IDC_STPB_PRIORITY_COPY = 12;  // hidden, carries the priority
constexpr int IDC_STPB_FORWARD_DELAY = 13;
constexpr int IDC_STPB_HELLO = 14;
constexpr int IDC_STPB_PRIORITY = 1007;
constexpr int IDC_STPB_STATE = 1008;
constexpr int IDC_STPB_PORT_SETTING = 1048;
constexpr int IDC_STPB_REFRESH = 1044;
constexpr int IDC_STPB_VERSION = 1085;
constexpr int IDC_STPB_ROOT_BRIDGE = 1189;
constexpr int IDC_STPB_ROOT_MAX_AGE = 1190;
constexpr int IDC_STPB_ROOT_COST = 1191;
constexpr int IDC_STPB_ROOT_FORWARD_DELAY = 1192;
constexpr int IDC_STPB_ROOT_PORT = 1195;
constexpr int IDC_STPB_TX_HOLD = 1321;

// Enterprise spanning tree port table.
constexpr unsigned IDD_STP_PORT_TABLE = 238;
constexpr int IDC_STPT_PORT_CONFIG = 101;
constexpr int IDC_STPT_BRIDGE_CONFIG = 102;  // hidden, does nothing
constexpr int IDC_STPT_ENTRIES = 301;
constexpr int IDC_STPT_LIST = 1088;
constexpr int IDC_STPT_REFRESH = 1346;

// Enterprise spanning tree port editor.
constexpr unsigned IDD_STP_PORT = 241;
constexpr int IDC_STPP_PRIORITY_COPY = 12;  // hidden, carries the priority
constexpr int IDC_STPP_COST = 23;
constexpr int IDC_STPP_PRIORITY = 219;
constexpr int IDC_STPP_ENABLE = 1009;
constexpr int IDC_STPP_REFRESH = 1044;
constexpr int IDC_STPP_PORT = 1075;
constexpr int IDC_STPP_PREV = 1111;
constexpr int IDC_STPP_NEXT = 2222;
constexpr int IDC_STPP_RESTRICTED_TCN = 1324;
constexpr int IDC_STPP_MIGRATE = 1325;
constexpr int IDC_STPP_P2P = 1326;
constexpr int IDC_STPP_EDGE = 1328;
constexpr int IDC_STPP_RESTRICTED_ROLE = 1329;

// Loopback detection.
constexpr unsigned IDD_LOOPBACK_DETECTION = 228;
constexpr int IDC_LBD_FROM_PORT = 1100;
constexpr int IDC_LBD_TO_PORT = 211;
constexpr int IDC_LBD_PORT_STATE = 212;
constexpr int IDC_LBD_REFRESH = 1044;
constexpr int IDC_LBD_APPLY_PORTS = 1149;
constexpr int IDC_LBD_DISABLED = 1233;
constexpr int IDC_LBD_ENABLED = 1242;
constexpr int IDC_LBD_APPLY_GLOBAL = 1244;
constexpr int IDC_LBD_INTERVAL = 1245;
constexpr int IDC_LBD_RECOVER_TIME = 1246;
constexpr int IDC_LBD_LIST = 1247;
constexpr int IDC_LBD_MODE = 1271;
constexpr int IDC_LBD_VLAN_LIST = 1350;

// Bridge MIB spanning tree table.
constexpr unsigned IDD_SPAN_TREE = 83;
constexpr int IDC_ST_REFRESH = 3;
constexpr int IDC_ST_PORT_CONFIG = 101;
constexpr int IDC_ST_BRIDGE_CONFIG = 102;  // hidden, does nothing
constexpr int IDC_ST_ENTRIES = 301;
constexpr int IDC_ST_LIST = 1088;

// Bridge MIB spanning tree port parameters.
constexpr unsigned IDD_SPAN_TREE_PORT = 84;
constexpr int IDC_STPP2_APPLY = 3;
constexpr int IDC_STPP2_PRIORITY_COPY = 12;  // hidden
constexpr int IDC_STPP2_COST = 23;
constexpr int IDC_STPP2_PRIORITY = 1007;
constexpr int IDC_STPP2_ENABLE = 1009;
constexpr int IDC_STPP2_REFRESH = 1044;
constexpr int IDC_STPP2_PORT = 1075;
constexpr int IDC_STPP2_PREV = 1111;
constexpr int IDC_STPP2_NEXT = 2222;
constexpr int IDC_STPP2_DESIG_PORT = 1184;
constexpr int IDC_STPP2_FORWARD = 1185;
constexpr int IDC_STPP2_DESIG_COST = 1186;
constexpr int IDC_STPP2_DESIG_BRIDGE = 1187;
constexpr int IDC_STPP2_STATUS = 1188;
constexpr int IDC_STPP2_DESIG_ROOT = 1189;

// Bridge MIB spanning tree bridge parameters.
constexpr unsigned IDD_SPAN_TREE_BRIDGE = 85;
constexpr int IDC_STB_MAX_AGE = 11;
constexpr int IDC_STB_PRIORITY_COPY = 12;  // hidden
constexpr int IDC_STB_FORWARD_DELAY = 13;
constexpr int IDC_STB_HELLO = 14;
constexpr int IDC_STB_PRIORITY = 1007;
constexpr int IDC_STB_RSTP = 1008;
constexpr int IDC_STB_REFRESH = 1044;
constexpr int IDC_STB_PORT_SETTING = 1048;
constexpr int IDC_STB_VERSION = 1085;
constexpr int IDC_STB_DESIGNATED_ROOT = 1189;
constexpr int IDC_STB_TOPO_CHANGE_TIME = 1190;
constexpr int IDC_STB_TOPO_CHANGES = 1191;
constexpr int IDC_STB_FORWARD_DELAY_USED = 1192;
constexpr int IDC_STB_HELLO_USED = 1193;
constexpr int IDC_STB_HOLD_TIME = 1194;
constexpr int IDC_STB_ROOT_PORT = 1195;

}  // namespace ksx
