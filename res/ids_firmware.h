// Resource numbers of the firmware and configuration transfer dialog and of the reboot command: menu
// commands, dialog template and control ids.
#pragma once

#include "res/resource.h"  // the menu command ids, declared there once

namespace ksx {

// Menu commands (Tools).
constexpr int ID_MENU_FIRMWARE_TRANSFER = ksx::IDM_FIRMWARE_TRANSFER;
constexpr int ID_MENU_REBOOT = ksx::IDM_REBOOT;

// Firmware and configuration upgrade/backup dialog.
constexpr unsigned IDD_FIRMDOWNLOAD = 176;
constexpr int IDC_FIRM_GROUP = 1401;            // group box "Configuration"
constexpr int IDC_FIRM_SERVER_LABEL = 1402;     // "TFTP Server IP:"
constexpr int IDC_FIRM_SERVER_IP = 1403;        // address edit
constexpr int IDC_FIRM_FILE_LABEL = 1404;       // "File Name:"
constexpr int IDC_FIRM_FILE_NAME = 1405;        // edit
constexpr int IDC_FIRM_OPERATION_LABEL = 1406;  // "Operation Type:"
constexpr int IDC_FIRM_OPERATION = 1407;        // drop-down list: "Upgrade", "Backup"
constexpr int IDC_FIRM_FILETYPE_LABEL = 1408;   // "FileType:"
constexpr int IDC_FIRM_FILETYPE = 1409;         // drop-down list: "Configuration", "Firmware"
constexpr int IDC_FIRM_PROGRESS_LABEL = 1410;   // "Upgrade/BackUp:"
constexpr int IDC_FIRM_PROGRESS = 1411;         // gradient progress bar
constexpr int IDC_FIRM_APPLY = 1412;            // "&Apply"
constexpr int IDC_FIRM_CLOSE = 2;               // "&Close", the cancel command (IDCANCEL)

}  // namespace ksx
