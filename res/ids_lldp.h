// Resource numbers of the LLDP global settings, remote neighbour and LLDP-MED dialogs.
#pragma once

namespace ksx {

// LLDP global settings.
constexpr unsigned IDD_LLDP_GLOBAL = 179;
constexpr int IDC_LLDP_ENABLE = 1091;
constexpr int IDC_LLDP_ENABLE_APPLY = 1094;
constexpr int IDC_LLDP_HOLD = 1093;
constexpr int IDC_LLDP_INTERVAL = 1105;
constexpr int IDC_LLDP_REINIT = 1005;
constexpr int IDC_LLDP_TX_DELAY = 1008;
constexpr int IDC_LLDP_TIMER_APPLY = 1095;
constexpr int IDC_LLDP_CHASSIS_SUBTYPE = 1106;
constexpr int IDC_LLDP_CHASSIS_ID = 1009;
constexpr int IDC_LLDP_SYS_NAME = 1096;
constexpr int IDC_LLDP_SYS_DESC = 1011;
constexpr int IDC_LLDP_CLOSE = 2;
// Labels and groups (no id of their own on the template).
constexpr int IDC_LLDP_STATE_GROUP = 1190;
constexpr int IDC_LLDP_TIMER_GROUP = 1191;
constexpr int IDC_LLDP_SYSTEM_GROUP = 1192;
constexpr int IDC_LLDP_HOLD_LABEL = 1193;
constexpr int IDC_LLDP_INTERVAL_LABEL = 1194;
constexpr int IDC_LLDP_REINIT_LABEL = 1195;
constexpr int IDC_LLDP_TX_DELAY_LABEL = 1196;
constexpr int IDC_LLDP_CHASSIS_SUBTYPE_LABEL = 1197;
constexpr int IDC_LLDP_CHASSIS_ID_LABEL = 1198;
constexpr int IDC_LLDP_SYS_NAME_LABEL = 1199;
constexpr int IDC_LLDP_SYS_DESC_LABEL = 1200;
constexpr int IDC_LLDP_INTERVAL_UNIT = 1201;
constexpr int IDC_LLDP_REINIT_UNIT = 1202;
constexpr int IDC_LLDP_TX_DELAY_UNIT = 1203;

// LLDP remote port information.
constexpr unsigned IDD_LLDP_REMOTE = 180;
constexpr int IDC_LLDPR_LIST = 1099;
constexpr int IDC_LLDPR_COUNT = 1108;
constexpr int IDC_LLDPR_COUNT_LABEL = 1110;  // "Remote Entities Count: "
constexpr int IDC_LLDPR_REFRESH = 1109;
constexpr int IDC_LLDPR_FIND_COMBO = 1097;  // hidden, no behaviour
constexpr int IDC_LLDPR_FIND = 1098;        // hidden, no behaviour
constexpr int IDC_LLDPR_CLOSE = 2;

// LLDP-MED settings.
constexpr unsigned IDD_LLDP_MED = 181;
constexpr int IDC_MED_GROUP = 1111;
constexpr int IDC_MED_FROM = 1100;
constexpr int IDC_MED_TO = 211;
constexpr int IDC_MED_TLV = 1101;
constexpr int IDC_MED_APPLY = 1102;
constexpr int IDC_MED_REFRESH = 1044;
constexpr int IDC_MED_LIST = 1104;
constexpr int IDC_MED_CLOSE = 2;
constexpr int IDC_MED_FROM_LABEL = 1112;
constexpr int IDC_MED_TO_LABEL = 1113;
constexpr int IDC_MED_TLV_LABEL = 1114;

}  // namespace ksx
