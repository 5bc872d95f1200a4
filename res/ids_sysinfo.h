// Resource numbers of the "System Information" dialog (the device's MIB-II system group).
#pragma once

namespace ksx {

constexpr unsigned IDD_SYSTEM_INFORMATION = 80;
constexpr int IDC_SYSINFO_DESCRIPTION = 1302;  // static in the "Description" group
constexpr int IDC_SYSINFO_OBJECT_ID = 1303;    // static
constexpr int IDC_SYSINFO_RUNTIME = 1304;      // static
constexpr int IDC_SYSINFO_NAME = 1310;         // edit
constexpr int IDC_SYSINFO_CONTACT = 1312;      // edit, hidden
constexpr int IDC_SYSINFO_LOCATION = 1313;     // edit
constexpr int IDC_SYSINFO_REFRESH = 103;       // default button
constexpr int IDC_SYSINFO_APPLY = 1145;
constexpr int IDC_SYSINFO_CLOSE = 1146;
constexpr int IDC_SYSINFO_DESCRIPTION_GROUP = 1301;
constexpr int IDC_SYSINFO_CONTACT_LABEL = 1311;

}  // namespace ksx
