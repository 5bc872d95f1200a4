// Resource numbers of the management VLAN and auto surveillance VLAN dialogs: dialog templates and
// control ids.
#pragma once

#include "platform/sys/Messages.h"

namespace ksx {

// The menu commands are ksx::IDM_MANAGEMENT_VLAN, IDM_SURVEILLANCE_VLAN and IDM_SURVEILLANCE_OUI
// (res/resource.h); the OUI editor's command has no menu item.

// Management VLAN ("IEEE 802.1Q Management VLAN Configuration").
constexpr unsigned IDD_MANAGEMENT_VLAN = 223;
constexpr int IDC_MGMT_REFRESH = 1044;
constexpr int IDC_MGMT_APPLY = 1;  // the OK command
constexpr int IDC_MGMT_ENABLE = 1161;
constexpr int IDC_MGMT_DISABLE = 1162;
constexpr int IDC_MGMT_VLAN_ID = 1192;
constexpr int IDC_MGMT_VLAN_NAME = 12120;
// Group box, labels and the read status line (no ids of their own on the template).
constexpr int IDC_MGMT_GROUP = 22301;
constexpr int IDC_MGMT_STATE_LABEL = 22302;
constexpr int IDC_MGMT_ID_LABEL = 22303;
constexpr int IDC_MGMT_NAME_LABEL = 22304;
constexpr int IDC_MGMT_READ_STATUS = 22305;

// Auto surveillance VLAN settings and device table ("Auto Surveillance VLAN Settings").
constexpr unsigned IDD_SURVEILLANCE_VLAN = 220;
constexpr int IDC_SURV_ENABLE = 1214;
constexpr int IDC_SURV_VLAN_ID = 1114;
constexpr int IDC_SURV_PRIORITY = 219;
constexpr int IDC_SURV_PORTS = 1113;
constexpr int IDC_SURV_APPLY = 1216;
constexpr int IDC_SURV_COMPONENT_TYPE = 1218;
constexpr int IDC_SURV_DESCRIPTION = 1005;
constexpr int IDC_SURV_MAC = 1212;
constexpr int IDC_SURV_MODE = 1112;
constexpr int IDC_SURV_LIST = 1209;
constexpr int IDC_SURV_ADD = 1001;
constexpr int IDC_SURV_DELETE = 1003;
constexpr int IDC_SURV_REFRESH = 1044;
constexpr int IDC_SURV_CLOSE = 1128;
constexpr int IDC_SURV_GLOBAL_GROUP = 22001;
constexpr int IDC_SURV_USER_GROUP = 22002;
constexpr int IDC_SURV_VLAN_ID_LABEL = 22003;
constexpr int IDC_SURV_PRIORITY_LABEL = 22004;
constexpr int IDC_SURV_PORTS_LABEL = 22005;
constexpr int IDC_SURV_PORTS_HINT = 22006;
constexpr int IDC_SURV_TYPE_LABEL = 22007;
constexpr int IDC_SURV_DESCRIPTION_LABEL = 22008;
constexpr int IDC_SURV_MAC_HINT = 22009;
constexpr int IDC_SURV_USER_TEXT = 22010;
constexpr int IDC_SURV_NOTE = 22011;
constexpr int IDC_SURV_READ_STATUS = 22012;

// Auto surveillance VLAN OUI editor ("Auto Surveillance VLAN OUI Settings").
constexpr unsigned IDD_SURVEILLANCE_OUI = 222;
constexpr int IDC_OUI_DESCRIPTION = 1005;
constexpr int IDC_OUI_MAC = 1212;
constexpr int IDC_OUI_ADD = 1001;
constexpr int IDC_OUI_LIST = 1209;
constexpr int IDC_OUI_DELETE = 1003;
constexpr int IDC_OUI_REFRESH = 1044;
constexpr int IDC_OUI_CLOSE = 1128;
constexpr int IDC_OUI_GROUP = 22201;
constexpr int IDC_OUI_USER_TEXT = 22202;
constexpr int IDC_OUI_MAX_TEXT = 22203;
constexpr int IDC_OUI_DESCRIPTION_LABEL = 22204;
constexpr int IDC_OUI_MAC_LABEL = 22205;
constexpr int IDC_OUI_MAC_HINT = 22206;
constexpr int IDC_OUI_READ_STATUS = 22207;

// Auto surveillance VLAN port settings ("Auto Camera Vlan Port Settings").
constexpr unsigned IDD_SURVEILLANCE_PORTS = 221;
constexpr int IDC_SPORT_VLAN_ID = 1054;
constexpr int IDC_SPORT_FROM = 1100;
constexpr int IDC_SPORT_TO = 211;
constexpr int IDC_SPORT_AUTO_DETECTION = 1009;
constexpr int IDC_SPORT_APPLY = 1000;
constexpr int IDC_SPORT_REFRESH = 1044;
constexpr int IDC_SPORT_LIST = 1205;
constexpr int IDC_SPORT_VLAN_ID_LABEL = 22101;
constexpr int IDC_SPORT_FROM_LABEL = 22102;
constexpr int IDC_SPORT_TO_LABEL = 22103;
constexpr int IDC_SPORT_DETECTION_LABEL = 22104;
constexpr int IDC_SPORT_READ_STATUS = 22105;

}  // namespace ksx
