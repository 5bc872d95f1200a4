// Resource numbers of the RMON 1 statistics list, its entry dialog and polled views, the older RMON
// control dialog and the DHCP information dialog.
#pragma once

namespace ksx {

// RMON 1 statistics list.
constexpr unsigned IDD_RMON1_STATISTIC = 54;
constexpr int IDC_RMON1_REFRESH = 3;
constexpr int IDC_RMON1_DELETE = 5;
constexpr int IDC_RMON1_COUNT = 301;
constexpr int IDC_RMON1_PARAMETER = 514;
constexpr int IDC_RMON1_INTERFACE = 515;
constexpr int IDC_RMON1_LIST = 1009;
constexpr int IDC_RMON1_ADD = 1090;

// RMON 1 entry.
constexpr unsigned IDD_RMON1_ENTRY = 64;
constexpr int IDC_RMON1_ENTRY_INDEX = 900;
constexpr int IDC_RMON1_ENTRY_INTERFACE = 901;
constexpr int IDC_RMON1_ENTRY_OWNER = 902;

// RMON 1 group parameter view: item k (1..24) has label IDC_RMONCNT_LABEL1 + k - 1 and value text
// IDC_RMONCNT_VALUE1 + k - 1.
constexpr unsigned IDD_RMON1_PARAMETER = 55;
constexpr int IDC_RMONCNT_VALUE1 = 101;
constexpr int IDC_RMONCNT_REFRESH = 1002;
constexpr int IDC_RMONCNT_CHART = 1015;
constexpr int IDC_RMONCNT_LABEL1 = 1149;
constexpr int IDC_RMONCNT_PREV = 1183;
constexpr int IDC_RMONCNT_PARAMETER = 2005;
constexpr int IDC_RMONCNT_NEXT = 5015;
constexpr unsigned IDT_RMONCNT_POLL = 1020;

// RMON 1 interface counters view: counter k (0..16) has value text IDC_RMONINF_VALUE1 + k and the entry
// box kRmonInfBoxes[k].
constexpr unsigned IDD_RMON1_INTERFACE = 56;
constexpr int IDC_RMONINF_VALUE1 = 101;
constexpr int IDC_RMONINF_CHART = 1015;
constexpr int IDC_RMONINF_REFRESH = 1126;
constexpr int IDC_RMONINF_CHECK1 = 1158;
constexpr int kRmonInfBoxes[17] = {1007, 1085, 1086, 1087, 1088, 1089, 1090, 1091, 1092,
                                   1093, 1094, 1095, 1096, 1097, 1098, 1099, 1100};
constexpr unsigned IDT_RMONINF_POLL = 1021;

// Older RMON control scalars.
constexpr unsigned IDD_RMON_CONTROL = 485;
constexpr int IDC_RMONCTL_REFRESH = 103;
constexpr int IDC_RMONCTL_MAX_BUCKETS = 1303;
constexpr int IDC_RMONCTL_MIB_VERSION = 1304;
constexpr int IDC_RMONCTL_QUOTA_BUCKET = 1310;
constexpr int IDC_RMONCTL_CTL_QUOTA_BUCKET = 1312;
constexpr int IDC_RMONCTL_CTL_MAX_BUCKETS = 1313;
constexpr int IDC_RMONCTL_MAX_ENTRIES = 1314;
constexpr int IDC_RMONCTL_APPLY = 1145;
constexpr int IDC_RMONCTL_CLOSE = 1146;

// DHCP information.
constexpr unsigned IDD_DHCP_INFO = 488;
constexpr int IDC_DHCPINFO_REFRESH = 103;
constexpr int IDC_DHCPINFO_MIB_VERSION = 1310;
constexpr int IDC_DHCPINFO_RELAY = 1312;
constexpr int IDC_DHCPINFO_SERVER = 1313;
constexpr int IDC_DHCPINFO_HIDDEN_EDIT = 1314;
constexpr int IDC_DHCPINFO_APPLY = 1145;
constexpr int IDC_DHCPINFO_CLOSE = 1146;

}  // namespace ksx
