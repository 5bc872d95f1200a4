// Resource numbers of the IGMP snooping dialogs (global settings, per-VLAN settings, multicast entry
// table) and the multicast filtering mode dialog: menu commands, templates and control ids.
#pragma once

namespace ksx {

// IGMP snooping global settings.
constexpr unsigned IDD_IGMP_SNOOP_CONFIG = 211;
constexpr int IDC_IGMP_ENABLE = 545;
constexpr int IDC_IGMP_HOST_TIMEOUT = 6871;
constexpr int IDC_IGMP_ROUTER_TIMEOUT = 5654;
constexpr int IDC_IGMP_ROBUSTNESS = 7841;
constexpr int IDC_IGMP_LAST_MEMBER = 43565;
constexpr int IDC_IGMP_QUERY_INTERVAL = 1246;
constexpr int IDC_IGMP_MAX_RESPONSE = 4324;
constexpr int IDC_IGMP_REPORT_ALL = 1126;
constexpr int IDC_IGMP_APPLY = 1000;
constexpr int IDC_IGMP_REFRESH = 1001;
constexpr int IDC_IGMP_VLAN_INFO = 10218;
constexpr int IDC_IGMP_CLOSE = 1128;
// Group box and note (no id of their own on the template; numbered here so that tests can find them).
constexpr int IDC_IGMP_GLOBAL_GROUP = 43570;
constexpr int IDC_IGMP_NOTE = 43571;

// IGMP snooping per-VLAN settings.
constexpr unsigned IDD_IGMP_VLAN_SETTING = 867;
constexpr int IDC_IGMPV_LIST = 6567;
constexpr int IDC_IGMPV_VLAN_ID = 1114;
constexpr int IDC_IGMPV_VLAN_NAME = 12120;
constexpr int IDC_IGMPV_STATE = 212;
constexpr int IDC_IGMPV_QUERIER = 763;
constexpr int IDC_IGMPV_FAST_LEAVE = 235;
constexpr int IDC_IGMPV_APPLY = 1000;
constexpr int IDC_IGMPV_ROUTER_LABEL = 1136;
constexpr int IDC_IGMPV_ROUTER_APPLY = 1149;
constexpr int IDC_IGMPV_MULTICAST = 324;
constexpr int IDC_IGMPV_REFRESH = 1044;
constexpr int IDC_IGMPV_CLOSE = 1128;
constexpr int IDC_IGMPV_GROUP = 1127;
constexpr int IDC_IGMPV_SETTINGS_GROUP = 1129;
constexpr int IDC_IGMPV_ROUTER_GROUP = 1138;
constexpr int IDC_IGMPV_PORT_CHECK = 6000;  // + port (6001 to 6052)
constexpr int IDC_IGMPV_PORT_LABEL = 7500;  // + port

// Multicast entry table.
constexpr unsigned IDD_IGMP_MULTICAST_TABLE = 202;
constexpr int IDC_IGMPM_LIST = 3338;
constexpr int IDC_IGMPM_REFRESH = 1044;
constexpr int IDC_IGMPM_CLOSE = 1128;
constexpr int IDC_IGMPM_GROUP = 3339;

// Multicast filtering mode.
constexpr unsigned IDD_MULTI_FILTER_MODE = 195;
constexpr int IDC_MFM_VLAN = 1192;
constexpr int IDC_MFM_ALL = 1193;
constexpr int IDC_MFM_MODE = 1125;
constexpr int IDC_MFM_MODE_LABEL = 1124;
constexpr int IDC_MFM_APPLY = 1000;
constexpr int IDC_MFM_LIST = 1126;
constexpr int IDC_MFM_REFRESH = 1044;
constexpr int IDC_MFM_CLOSE = 1128;

}  // namespace ksx
