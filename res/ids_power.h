// Resource numbers of the power saving and time profile dialogs: menu commands, dialog templates and
// control ids.
#pragma once

#include "res/resource.h"  // the menu command ids, declared there once

namespace ksx {

// Menu commands (Device Manager > System).
constexpr int ID_MENU_TIME_PROFILE_SETTINGS = ksx::IDM_TIME_PROFILE;
constexpr int ID_MENU_POWER_SAVING_SETTINGS = ksx::IDM_POWER_SAVING;

// Power saving settings.
constexpr unsigned IDD_POWER_SAVE = 129;
constexpr int IDC_PS_GLOBAL_GROUP = 2601;    // "Global Settings"
constexpr int IDC_PS_CABLE_LENGTH = 2602;    // hidden check box
constexpr int IDC_PS_LINK_STATUS = 2603;     // check box
constexpr int IDC_PS_APPLY_GLOBAL = 2604;    // "&Apply" of the global settings
constexpr int IDC_PS_ADVANCED_GROUP = 2605;  // "Advanced Power Saving Settings"
constexpr int IDC_PS_TYPE_LABEL = 2606;
constexpr int IDC_PS_TYPE = 2607;
constexpr int IDC_PS_STATE_LABEL = 2608;
constexpr int IDC_PS_STATE = 2609;
constexpr int IDC_PS_PROFILE1_LABEL = 2610;
constexpr int IDC_PS_PROFILE1 = 2611;
constexpr int IDC_PS_PROFILE2_LABEL = 2612;
constexpr int IDC_PS_PROFILE2 = 2613;
constexpr int IDC_PS_PORT_LABEL = 2614;
constexpr int IDC_PS_PORT = 2615;
constexpr int IDC_PS_PORT_HINT = 2616;
constexpr int IDC_PS_APPLY_ENTRY = 2617;  // "&Apply" of the selected function
constexpr int IDC_PS_SUMMARY_GROUP = 2618;
constexpr int IDC_PS_SUMMARY = 2619;
constexpr int IDC_PS_REFRESH = 2620;
constexpr int IDC_PS_CLOSE = 2621;

// Time profile info.
constexpr unsigned IDD_TIME_PROFILE = 212;
constexpr int IDC_TP_ADD_GROUP = 2701;  // "Time Profile Add"
constexpr int IDC_TP_NAME_LABEL = 2702;
constexpr int IDC_TP_NAME = 2703;
constexpr int IDC_TP_DATE = 2704;  // "Date" check box
constexpr int IDC_TP_FROM_LABEL = 2705;
constexpr int IDC_TP_FROM_YEAR = 2706;
constexpr int IDC_TP_FROM_MONTH = 2707;
constexpr int IDC_TP_FROM_DAY = 2708;
constexpr int IDC_TP_TO_LABEL = 2709;
constexpr int IDC_TP_TO_YEAR = 2710;
constexpr int IDC_TP_TO_MONTH = 2711;
constexpr int IDC_TP_TO_DAY = 2712;
constexpr int IDC_TP_HOURS_LABEL = 2713;  // "Hours(HH MM)"
constexpr int IDC_TP_START_LABEL = 2714;
constexpr int IDC_TP_START_HOUR = 2715;
constexpr int IDC_TP_START_MINUTE = 2716;
constexpr int IDC_TP_END_LABEL = 2717;
constexpr int IDC_TP_END_HOUR = 2718;
constexpr int IDC_TP_END_MINUTE = 2719;
constexpr int IDC_TP_WEEKDAYS_LABEL = 2720;
constexpr int IDC_TP_ALL_DAYS = 2721;  // "Select All Days"
constexpr int IDC_TP_MONDAY = 2722;    // Monday to Sunday: IDC_TP_MONDAY + 0..6
constexpr int IDC_TP_SUNDAY = 2728;
constexpr int IDC_TP_ADD = 2729;
constexpr int IDC_TP_LIST_GROUP = 2730;  // "Time Profile Entries"
constexpr int IDC_TP_LIST = 2731;
constexpr int IDC_TP_DELETE = 2732;
constexpr int IDC_TP_REFRESH = 2733;
constexpr int IDC_TP_CLOSE = 2734;

}  // namespace ksx
