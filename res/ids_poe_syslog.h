// Resource numbers of the PoE port settings, PoE global settings and syslog host dialogs: menu commands,
// dialog templates, control ids and the syslog dialog's window message.
#pragma once

#include "res/resource.h"  // the menu command ids, declared there once

#include "platform/sys/Messages.h"

namespace ksx {

// Menu commands that open the dialogs.
constexpr int ID_MENU_SYSLOG_HOST = ksx::IDM_SYSLOG_HOST;  // Device Manager > System
constexpr int ID_MENU_POE_PORT = ksx::IDM_POE_PORT;     // Device Manager > PoE
constexpr int ID_MENU_POE_GLOBAL = ksx::IDM_POE_GLOBAL;   // Device Manager > PoE

// PoE port settings ("PoE Configuration").
constexpr unsigned IDD_POE_CONFIG = 490;
constexpr int IDC_POE_LIST = 201;
constexpr int IDC_POE_FROM_PORT = 1069;
constexpr int IDC_POE_TO_PORT = 211;
constexpr int IDC_POE_STATE = 212;
constexpr int IDC_POE_PRIORITY = 219;
constexpr int IDC_POE_TIME_RANGE = 1085;
constexpr int IDC_POE_POWER_LIMIT = 1065;
constexpr int IDC_POE_USER_DEFINE = 1066;
constexpr int IDC_POE_LIMIT = 1070;
constexpr int IDC_POE_REFRESH = 241;
constexpr int IDC_POE_APPLY = 242;
constexpr int IDC_POE_CLOSE = 2;  // the cancel command
// Group boxes and labels (no ids of their own on the template; numbered so that tests find them).
constexpr int IDC_POE_LIST_GROUP = 4901;
constexpr int IDC_POE_CONFIG_GROUP = 4902;
constexpr int IDC_POE_FROM_LABEL = 4903;
constexpr int IDC_POE_TO_LABEL = 4904;
constexpr int IDC_POE_STATE_LABEL = 4905;
constexpr int IDC_POE_PRIORITY_LABEL = 4906;
constexpr int IDC_POE_TIME_RANGE_LABEL = 4907;
constexpr int IDC_POE_POWER_LIMIT_LABEL = 4908;
constexpr int IDC_POE_UNIT_LABEL = 4909;

// PoE global settings.
constexpr unsigned IDD_POE_GLOBAL = 218;
constexpr int IDC_POEG_THRESHOLD = 1155;
constexpr int IDC_POEG_SEQUENCE = 1156;
constexpr int IDC_POEG_APPLY = 1158;
constexpr int IDC_POEG_BUDGET = 1005;
constexpr int IDC_POEG_USED = 1006;
constexpr int IDC_POEG_LEFT = 1008;
constexpr int IDC_POEG_PERCENTAGE = 1009;
constexpr int IDC_POEG_SETTINGS_GROUP = 2181;
constexpr int IDC_POEG_THRESHOLD_LABEL = 2182;
constexpr int IDC_POEG_WATTS_LABEL = 2183;
constexpr int IDC_POEG_SEQUENCE_LABEL = 2184;
constexpr int IDC_POEG_STATUS_GROUP = 2185;
constexpr int IDC_POEG_BUDGET_LABEL = 2186;
constexpr int IDC_POEG_USED_LABEL = 2187;
constexpr int IDC_POEG_LEFT_LABEL = 2188;
constexpr int IDC_POEG_PERCENTAGE_LABEL = 2189;

// Syslog hosts ("Syslog Host Configuration").
constexpr unsigned IDD_SYSLOG_HOST = 499;
constexpr int IDC_SYSLOG_GROUP = 1031;
constexpr int IDC_SYSLOG_ENABLE = 1016;
constexpr int IDC_SYSLOG_APPLY_STATE = 1000;
constexpr int IDC_SYSLOG_CONFIG_GROUP = 1022;
constexpr int IDC_SYSLOG_HOST = 203;
constexpr int IDC_SYSLOG_PORT = 206;
constexpr int IDC_SYSLOG_FACILITY = 211;
constexpr int IDC_SYSLOG_SEVERITY = 207;
constexpr int IDC_SYSLOG_TIME_STAMP = 1348;
constexpr int IDC_SYSLOG_REFRESH = 241;
constexpr int IDC_SYSLOG_APPLY_HOST = 242;
constexpr int IDC_SYSLOG_CLOSE = 2;  // the cancel command
constexpr int IDC_SYSLOG_HOST_LABEL = 4991;
constexpr int IDC_SYSLOG_PORT_LABEL = 4992;
constexpr int IDC_SYSLOG_FACILITY_LABEL = 4993;
constexpr int IDC_SYSLOG_SEVERITY_LABEL = 4994;
constexpr int IDC_SYSLOG_TIME_STAMP_LABEL = 4995;

// Sent by the syslog dialog's global read when it ends (wParam 1, lParam the text "Finished"); the
// dialog then walks the host table.
constexpr unsigned WM_SYSLOG_HOST_DONE = WM_APP + 1000;

}  // namespace ksx
