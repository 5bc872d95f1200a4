// Resource numbers of the link aggregation dialogs: the trunk configuration dialog and the trunk member
// picker. The menu command is IDM_TRUNK_CONFIGURATION (res/resource.h).
#pragma once

#include "platform/sys/Messages.h"

namespace ksx {

// Trunk configuration.
constexpr unsigned IDD_TRUNK_CONFIG = 487;
constexpr int IDC_TRUNK_ENABLE = 1008;        // "Enable Trunk"
constexpr int IDC_TRUNK_STATE_APPLY = 1046;   // writes the link aggregation state
constexpr int IDC_TRUNK_LIST = 201;           // the trunk table
constexpr int IDC_TRUNK_ID = 215;             // "Trunk ID:" (display only)
constexpr int IDC_TRUNK_MODE = 1018;          // "PortChannelMode:" drop-down list
constexpr int IDC_TRUNK_REFRESH = 241;        // default button
constexpr int IDC_TRUNK_PORT_MEMBER = 1000;   // opens the member picker
constexpr int IDC_TRUNK_MODE_APPLY = 242;     // writes the channel mode
constexpr int IDC_TRUNK_STATUS_GROUP = 1300;  // "Trunk status"
constexpr int IDC_TRUNK_INFO_GROUP = 1301;    // "Trunk Information"
constexpr int IDC_TRUNK_CONFIG_GROUP = 1302;  // "Trunk Configuration"
constexpr int IDC_TRUNK_READ_STATUS = 1303;   // says when the trunk table could not be read whole

// Trunk member picker.
constexpr unsigned IDD_TRUNK_PORT = 171;
constexpr int IDC_TRUNKPORT_ID = 1003;            // "Trunk ID:" (display only)
constexpr int IDC_TRUNKPORT_MODE = 1004;          // "PortChannelMode:" (display only)
constexpr int IDC_TRUNKPORT_GROUP = 1050;         // "Trunk"
constexpr int IDC_TRUNKPORT_MODE_LABEL = 1051;    // "PortChannelMode:"
constexpr int IDC_TRUNKPORT_MEMBER_GROUP = 1052;  // "Port Member"
constexpr int IDC_TRUNKPORT_STATUS = 1053;        // what the reads of the member checks have done
constexpr int IDC_TRUNKPORT_REFRESH = 1054;       // reads the settings of the member checks again
constexpr int IDC_TRUNKPORT_CHECK_FIRST = 2001;   // check box of port 1; port n is 2000 + n
constexpr int IDC_TRUNKPORT_CHECK_LAST = 2499;
constexpr int IDC_TRUNKPORT_LABEL_FIRST = 2501;  // number label of port 1; port n is 2500 + n

// The member-check reads report their progress to the picker (wParam: the read, lParam: its status).
constexpr unsigned WM_TRUNK_LOAD_RESULT = WM_USER + 1401;

}  // namespace ksx
