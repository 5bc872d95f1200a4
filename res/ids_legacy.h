// Resource numbers of the older security dialogs: the 802.1X configuration form and its port access
// control, the DHCP server screening port settings, and the three DHCP/BOOTP relay dialogs.
#pragma once

namespace ksx {

// 802.1X configuration form.
constexpr unsigned IDD_LEGACY_8021X_CONFIG = 468;
constexpr int IDC_L1X_ENABLE = 1012;
constexpr int IDC_L1X_RADIUS_IP = 1013;
constexpr int IDC_L1X_KEY = 1004;
constexpr int IDC_L1X_CONFIRM_KEY = 1005;
constexpr int IDC_L1X_TX_PERIOD = 1003;
constexpr int IDC_L1X_QUIET = 1008;
constexpr int IDC_L1X_SUPP_TIMEOUT = 1009;
constexpr int IDC_L1X_SERVER_TIMEOUT = 1041;
constexpr int IDC_L1X_MAX_REQ = 1042;
constexpr int IDC_L1X_REAUTH_PERIOD = 1043;
constexpr int IDC_L1X_REAUTH = 1040;
constexpr int IDC_L1X_APPLY = 242;
constexpr int IDC_L1X_REFRESH = 103;
constexpr int IDC_L1X_PORTSET = 1000;

// 802.1X port access control (Apply is IDOK, Cancel IDCANCEL).
constexpr unsigned IDD_LEGACY_8021X_PORT = 868;
constexpr int IDC_L1XP_FROM = 1007;
constexpr int IDC_L1XP_TO = 1085;
constexpr int IDC_L1XP_CONTROL = 1087;
constexpr int IDC_L1XP_REFRESH = 1044;
constexpr int IDC_L1XP_LIST = 1045;

// DHCP server screening port settings.
constexpr unsigned IDD_LEGACY_DHCP_SCREEN = 194;
constexpr int IDC_LDS_APPLY = 1000;
constexpr int IDC_LDS_REFRESH = 1001;
constexpr int IDC_LDS_STATE = 212;
constexpr int IDC_LDS_TO = 1123;
constexpr int IDC_LDS_FROM = 1122;
constexpr int IDC_LDS_LIST = 1120;
constexpr int IDC_LDS_CLOSE = 1128;

// DHCP/BOOTP relay global settings.
constexpr unsigned IDD_RELAY_GLOBAL = 243;
constexpr int IDC_RLG_STATE = 12123;
constexpr int IDC_RLG_HOPS = 3763;
constexpr int IDC_RLG_THRESHOLD = 12125;
constexpr int IDC_RLG_OPT82_STATE = 212;
constexpr int IDC_RLG_OPT82_CHECK = 12126;
constexpr int IDC_RLG_OPT82_POLICY = 12127;
constexpr int IDC_RLG_REMOTE_TYPE = 12128;
constexpr int IDC_RLG_REMOTE_ID = 1160;
constexpr int IDC_RLG_APPLY = 1314;
constexpr int IDC_RLG_REFRESH = 1315;

// DHCP/BOOTP relay interface settings.
constexpr unsigned IDD_RELAY_INTERFACE = 244;
constexpr int IDC_RLI_INTERFACE = 12131;
constexpr int IDC_RLI_SERVER_IP = 1012;
constexpr int IDC_RLI_LIST = 12130;
constexpr int IDC_RLI_APPLY = 1000;
constexpr int IDC_RLI_DELETE = 1001;
constexpr int IDC_RLI_REFRESH = 1149;
constexpr int IDC_RLI_CLOSE = 1005;

// DHCP local relay settings.
constexpr unsigned IDD_RELAY_LOCAL = 246;
constexpr int IDC_RLL_ENABLE = 12133;
constexpr int IDC_RLL_APPLY_STATE = 1312;
constexpr int IDC_RLL_LIST = 12134;
constexpr int IDC_RLL_VID = 1192;
constexpr int IDC_RLL_NAME = 1053;
constexpr int IDC_RLL_STATUS = 12135;
constexpr int IDC_RLL_APPLY_VLAN = 1313;
constexpr int IDC_RLL_REFRESH = 1044;

}  // namespace ksx
