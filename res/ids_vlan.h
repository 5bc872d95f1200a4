// Resource numbers of the 802.1Q VLAN dialogs: the VLAN list, VLAN add and edit, and the port VLAN ids.
// The menu command that opens the VLAN list is IDM_VLAN_CONFIGURATION (res/resource.h).
#pragma once

namespace ksx {

// 802.1Q VLAN list.
constexpr unsigned IDD_VLAN_LIST = 447;
constexpr int IDC_VLAN_ASYMMETRIC = 1008;
constexpr int IDC_VLAN_ASYMMETRIC_APPLY = 1047;
constexpr int IDC_VLAN_LIST = 1341;
constexpr int IDC_VLAN_PVID = 1339;
constexpr int IDC_VLAN_ADD = 1335;
constexpr int IDC_VLAN_EDIT = 1336;
constexpr int IDC_VLAN_DELETE = 1337;
constexpr int IDC_VLAN_REFRESH = 1338;
constexpr int IDC_VLAN_CLOSE = 1;
constexpr int IDC_VLAN_STATUS = 1342;  // the line that tells of a failed read

// VLAN add and edit.
constexpr unsigned IDD_VLAN_ADD = 172;
constexpr int IDC_VLANADD_NAME = 1053;
constexpr int IDC_VLANADD_VID = 1054;
constexpr int IDC_VLANADD_ADVERTISEMENT = 1126;
constexpr int IDC_VLANADD_ID_GROUP = 1059;
constexpr int IDC_VLANADD_PORT_GROUP = 1055;
constexpr int IDC_VLANADD_TAGGED_LABEL = 1110;
constexpr int IDC_VLANADD_UNTAGGED_LABEL = 1056;
constexpr int IDC_VLANADD_NOT_MEMBER_LABEL = 1057;
constexpr int IDC_VLANADD_FORBIDDEN_LABEL = 1127;
constexpr int IDC_VLANADD_STATUS = 1128;  // the line that tells of a read not done yet or failed
// Per port k (1 to 52): the control of port k is the base + k.
constexpr int IDC_VLANADD_UNTAGGED_BASE = 3000;
constexpr int IDC_VLANADD_TAGGED_BASE = 3500;
constexpr int IDC_VLANADD_NOT_MEMBER_BASE = 4000;
constexpr int IDC_VLANADD_PORT_LABEL_BASE = 4500;
constexpr int IDC_VLANADD_FORBIDDEN_BASE = 4800;
constexpr int kVlanAddMaxPorts = 52;

// Port VLAN ids.
constexpr unsigned IDD_PVID = 173;
constexpr int IDC_PVID_APPLY = 1;
constexpr int IDC_PVID_CANCEL = 2;
constexpr int IDC_PVID_GROUP = 1058;
constexpr int IDC_PVID_REFRESH = 1044;
constexpr int IDC_PVID_STATUS = 1045;  // the line that tells of a read not done yet or failed
// Per port p (1 to 52): label base + p, edit base + p.
constexpr int IDC_PVID_LABEL_BASE = 4500;
constexpr int IDC_PVID_EDIT_BASE = 5000;
constexpr int kPvidMaxPorts = 52;

}  // namespace ksx
