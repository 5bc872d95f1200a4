// Resource numbers of the SNMP agent dialogs: menu commands, dialog templates and control ids.
#pragma once

#include "res/resource.h"  // the menu command ids, declared there once

namespace ksx {

// SNMP global state.
constexpr unsigned IDD_SNMP_GLOBAL = 209;
constexpr int IDC_SNMPG_ENABLE = 1155;
constexpr int IDC_SNMPG_APPLY = 1000;
constexpr int IDC_SNMPG_CANCEL = 1025;
constexpr int IDC_SNMPG_READ_STATUS = 1901;  // no id on the template: the read-failure note

// SNMP trap settings.
constexpr unsigned IDD_SNMP_TRAP = 207;
constexpr int IDC_TRAP_AUTH = 1195;
constexpr int IDC_TRAP_BOOTUP = 1196;
constexpr int IDC_TRAP_LINK = 1011;
constexpr int IDC_TRAP_RSTP = 1014;
constexpr int IDC_TRAP_FIRMWARE = 1013;
constexpr int IDC_TRAP_LOOPBACK = 1347;
constexpr int IDC_TRAP_POE_POWER = 1010;
constexpr int IDC_TRAP_POE_ERROR = 1181;
constexpr int IDC_TRAP_POE_BUDGET = 1182;
constexpr int IDC_TRAP_DUPLICATE_IP = 1012;
constexpr int IDC_TRAP_CPU = 1152;
constexpr int IDC_TRAP_APPLY = 1197;
constexpr int IDC_TRAP_CLOSE = 1198;
constexpr int IDC_TRAP_READ_STATUS = 1901;

// SNMP engine ID.
constexpr unsigned IDD_SNMP_ENGINE_ID = 210;
constexpr int IDC_ENGINE_ID = 1160;
constexpr int IDC_ENGINE_APPLY = 1000;
constexpr int IDC_ENGINE_DEFAULT = 1150;
constexpr int IDC_ENGINE_CLOSE = 1199;
constexpr int IDC_ENGINE_READ_STATUS = 1901;

// SNMP community table.
constexpr unsigned IDD_SNMP_COMMUNITY = 204;
constexpr int IDC_COMM_NAME = 1157;
constexpr int IDC_COMM_USER = 1158;
constexpr int IDC_COMM_LIST = 1152;
constexpr int IDC_COMM_APPLY = 1187;
constexpr int IDC_COMM_DELETE = 1190;
constexpr int IDC_COMM_REFRESH = 1191;
constexpr int IDC_COMM_CLOSE = 1178;
constexpr int IDC_COMM_CANCEL = 1188;  // hidden
constexpr int IDC_COMM_ADD = 1189;     // hidden
constexpr int IDC_COMM_READ_STATUS = 1901;

}  // namespace ksx

namespace ksx {

// SNMP user table.
constexpr unsigned IDD_SNMP_USER = 198;
constexpr int IDC_USER_LIST = 1145;
constexpr int IDC_USER_ADD = 1146;  // hidden
constexpr int IDC_USER_DELETE = 1001;
constexpr int IDC_USER_REFRESH = 1002;
constexpr int IDC_USER_CLOSE = 1128;
constexpr int IDC_USER_NAME = 1183;
constexpr int IDC_USER_GROUP = 1172;
constexpr int IDC_USER_VERSION = 1184;
constexpr int IDC_USER_AUTH = 1185;
constexpr int IDC_USER_PRIV = 1186;
constexpr int IDC_USER_AUTH_PASSWORD = 1007;
constexpr int IDC_USER_PRIV_PASSWORD = 1008;
constexpr int IDC_USER_ENCRYPTED = 1148;
constexpr int IDC_USER_APPLY = 1000;
constexpr int IDC_USER_CANCEL = 1180;  // hidden
constexpr int IDC_USER_READ_STATUS = 1901;

// SNMP group table.
constexpr unsigned IDD_SNMP_GROUP = 200;
constexpr int IDC_GROUP_LIST = 1150;
constexpr int IDC_GROUP_ADD = 1177;  // hidden
constexpr int IDC_GROUP_DELETE = 1002;
constexpr int IDC_GROUP_REFRESH = 1008;
constexpr int IDC_GROUP_CLOSE = 1178;
constexpr int IDC_GROUP_NAME = 1172;
constexpr int IDC_GROUP_READ_VIEW = 1173;
constexpr int IDC_GROUP_WRITE_VIEW = 1005;
constexpr int IDC_GROUP_NOTIFY_VIEW = 1176;
constexpr int IDC_GROUP_MODEL = 1174;
constexpr int IDC_GROUP_LEVEL = 1175;
constexpr int IDC_GROUP_APPLY = 1179;
constexpr int IDC_GROUP_CANCEL = 1180;  // hidden
constexpr int IDC_GROUP_READ_STATUS = 1901;

// SNMP view table.
constexpr unsigned IDD_SNMP_VIEW = 203;
constexpr int IDC_VIEW_LIST = 1167;
constexpr int IDC_VIEW_ADD = 1001;  // hidden
constexpr int IDC_VIEW_DELETE = 1006;
constexpr int IDC_VIEW_REFRESH = 1044;
constexpr int IDC_VIEW_CLOSE = 1128;
constexpr int IDC_VIEW_NAME = 1168;
constexpr int IDC_VIEW_SUBTREE = 1169;
constexpr int IDC_VIEW_MASK = 1170;
constexpr int IDC_VIEW_TYPE = 1171;
constexpr int IDC_VIEW_APPLY = 1000;
constexpr int IDC_VIEW_CANCEL = 1025;  // hidden
constexpr int IDC_VIEW_READ_STATUS = 1901;

// SNMP trap host table.
constexpr unsigned IDD_SNMP_HOST = 205;
constexpr int IDC_HOST_ADDRESS = 1023;
constexpr int IDC_HOST_VERSION = 1162;
constexpr int IDC_HOST_NAME = 1163;
constexpr int IDC_HOST_LIST = 1156;
constexpr int IDC_HOST_APPLY = 1000;
constexpr int IDC_HOST_DELETE = 1003;
constexpr int IDC_HOST_REFRESH = 1044;
constexpr int IDC_HOST_CANCEL = 1025;
constexpr int IDC_HOST_CLOSE = 1128;
constexpr int IDC_HOST_ADD = 1001;  // hidden
constexpr int IDC_HOST_READ_STATUS = 1901;

}  // namespace ksx
