// Resource numbers of the port settings dialog: its menu command, template and control ids.
#pragma once

#include "res/resource.h"  // the menu command ids, declared there once

namespace ksx {

// Menu command "Port Configuration" (Device Manager > System); a click on a panel port runs it too.
constexpr int ID_MENU_PORT_CONFIGURATION = ksx::IDM_PORT_CONFIGURATION;

constexpr unsigned IDD_PORT_SET_INFO = 138;

constexpr int IDC_PORTSET_INFO_GROUP = 2401;    // "Port Information"
constexpr int IDC_PORTSET_LIST = 2402;          // port list
constexpr int IDC_PORTSET_CONFIG_GROUP = 2403;  // "Port Configuration"
constexpr int IDC_PORTSET_PORT_LABEL = 2404;
constexpr int IDC_PORTSET_PORT_ID = 2405;  // Port ID edit (disabled, digits only)
constexpr int IDC_PORTSET_SPEED_LABEL = 2406;
constexpr int IDC_PORTSET_SPEED = 2407;  // drop-down list
constexpr int IDC_PORTSET_MDIX_LABEL = 2408;
constexpr int IDC_PORTSET_MDIX = 2409;  // drop-down combo with an edit field
constexpr int IDC_PORTSET_FLOW_LABEL = 2410;
constexpr int IDC_PORTSET_FLOW = 2411;  // drop-down list
constexpr int IDC_PORTSET_REFRESH = 2412;
constexpr int IDC_PORTSET_APPLY = 2413;
constexpr int IDC_PORTSET_CLOSE = 2;  // the cancel command, IDCANCEL

}  // namespace ksx
