// Resource numbers of the bandwidth control, jumbo frame and port description dialogs: menu commands,
// dialog templates and control ids.
#pragma once

#include "res/resource.h"  // the menu command ids, declared there once

namespace ksx {

// Menu commands that open the dialogs.
constexpr int ID_MENU_JUMBO_FRAME = ksx::IDM_JUMBO_FRAME;
constexpr int ID_MENU_BANDWIDTH_CONTROL = ksx::IDM_BANDWIDTH_CONTROL;
constexpr int ID_MENU_PORT_DESCRIPTION = ksx::IDM_PORT_DESCRIPTION;

// Bandwidth control.
constexpr unsigned IDD_BANDWIDTH_CONTROL = 233;
constexpr int IDC_BW_LIST = 1247;
constexpr int IDC_BW_FROM_PORT = 1100;
constexpr int IDC_BW_TO_PORT = 211;
constexpr int IDC_BW_TYPE = 1118;
constexpr int IDC_BW_NO_LIMIT = 1271;
constexpr int IDC_BW_RATE = 1270;
constexpr int IDC_BW_APPLY = 1000;
constexpr int IDC_BW_REFRESH = 1044;
constexpr int IDC_BW_GIGA_NOTE = 1298;
// Labels (no id of their own on the template; numbered here so that tests can find them).
constexpr int IDC_BW_FROM_LABEL = 1290;
constexpr int IDC_BW_TO_LABEL = 1291;
constexpr int IDC_BW_TYPE_LABEL = 1292;
constexpr int IDC_BW_NO_LIMIT_LABEL = 1293;
constexpr int IDC_BW_RATE_LABEL = 1294;
constexpr int IDC_BW_UNIT_LABEL = 1295;

// Jumbo frames.
constexpr unsigned IDD_JUMBO_FRAME = 174;
constexpr int IDC_JUMBO_APPLY = 1;  // the default push button, IDOK
constexpr int IDC_JUMBO_ENABLE = 1062;
constexpr int IDC_JUMBO_GROUP = 1063;
constexpr int IDC_JUMBO_NOTE = 1064;

// Port descriptions.
constexpr unsigned IDD_PORT_DESCRIPTION = 268;
constexpr int IDC_PD_LIST_GROUP = 2301;
constexpr int IDC_PD_LIST = 2302;
constexpr int IDC_PD_CONFIG_GROUP = 2303;
constexpr int IDC_PD_FROM_LABEL = 2304;
constexpr int IDC_PD_FROM_PORT = 2305;
constexpr int IDC_PD_TO_LABEL = 2306;
constexpr int IDC_PD_TO_PORT = 2307;
constexpr int IDC_PD_DESC_LABEL = 2308;
constexpr int IDC_PD_DESCRIPTION = 2309;
constexpr int IDC_PD_REFRESH = 2310;
constexpr int IDC_PD_APPLY = 2311;
constexpr int IDC_PD_CLOSE = 2312;

}  // namespace ksx
