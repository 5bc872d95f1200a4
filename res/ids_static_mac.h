// Resource numbers of the static MAC dialog: menu command, template and control ids.
#pragma once

namespace ksx {

constexpr unsigned IDD_STATIC_MAC = 154;
constexpr int IDC_SMAC_LEARN_ENABLED = 1115;
constexpr int IDC_SMAC_LEARN_DISABLED = 1116;
constexpr int IDC_SMAC_UPLINK = 1124;
constexpr int IDC_SMAC_APPLY = 1000;
constexpr int IDC_SMAC_PORT = 1120;
constexpr int IDC_SMAC_MAC = 1122;
constexpr int IDC_SMAC_VID = 1121;
constexpr int IDC_SMAC_ADD = 1149;
constexpr int IDC_SMAC_DELETE = 1001;
constexpr int IDC_SMAC_REFRESH = 241;
constexpr int IDC_SMAC_LIST = 1118;
constexpr int IDC_SMAC_CLOSE = 1128;
// Group boxes (no id of their own on the template; numbered here so that tests can find them).
constexpr int IDC_SMAC_ADD_GROUP = 1130;
constexpr int IDC_SMAC_LIST_GROUP = 1131;

}  // namespace ksx
