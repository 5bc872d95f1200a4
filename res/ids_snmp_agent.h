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
