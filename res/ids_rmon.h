// Resource numbers of the RMON dialogs (templates, controls) and the messages of the RMON logic.
#pragma once

#include "platform/sys/Messages.h"

namespace ksx {

// Messages the RMON logic sends to its owner window (lParam 0). wParam names the table: 0 Ethernet
// statistics, 1 history control, 2 alarm, 3 event; 4 the alarm event-reference read.
constexpr unsigned WM_SNMP_WALK_END = WM_APP + 1001;
constexpr unsigned WM_SNMP_WALK_STALE = WM_APP + 1002;
constexpr unsigned WM_RMON_EVENT_REFS_DONE = WM_APP + 1004;

// "RMON Global Settings ".
constexpr unsigned IDD_RMON_STATUS = 248;
constexpr int IDC_RMONG_ENABLE = 1274;
constexpr int IDC_RMONG_DISABLE = 1275;
constexpr int IDC_RMONG_REFRESH = 1276;
constexpr int IDC_RMONG_APPLY = 1001;
constexpr int IDC_RMONG_CLOSE = 1002;

// "RMON Ethernet Statistics Configuration".
constexpr unsigned IDD_RMON_STATISTICS = 249;
constexpr int IDC_RMONS_INDEX = 1283;
constexpr int IDC_RMONS_PORT = 1264;
constexpr int IDC_RMONS_OWNER = 1005;
constexpr int IDC_RMONS_LIST = 1282;
constexpr int IDC_RMONS_REFRESH = 1279;
constexpr int IDC_RMONS_CLOSE = 1001;
constexpr int IDC_RMONS_APPLY = 1149;

// "RMON History Control Configuration".
constexpr unsigned IDD_RMON_HISTORY = 250;
constexpr int IDC_RMONH_INDEX = 1285;
constexpr int IDC_RMONH_PORT = 1286;
constexpr int IDC_RMONH_BUCKETS = 1005;
constexpr int IDC_RMONH_INTERVAL = 1006;
constexpr int IDC_RMONH_OWNER = 1007;
constexpr int IDC_RMONH_LIST = 1287;
constexpr int IDC_RMONH_REFRESH = 1284;
constexpr int IDC_RMONH_CLOSE = 1001;
constexpr int IDC_RMONH_APPLY = 1149;

// "RMON Alarm Configuration".
constexpr unsigned IDD_RMON_ALARM = 251;
constexpr int IDC_RMONA_INDEX = 1295;
constexpr int IDC_RMONA_INTERVAL = 1009;
constexpr int IDC_RMONA_VARIABLE = 1005;
constexpr int IDC_RMONA_SAMPLE_TYPE = 1296;
constexpr int IDC_RMONA_RISING = 1006;
constexpr int IDC_RMONA_FALLING = 1011;
constexpr int IDC_RMONA_RISING_EVENT = 1007;
constexpr int IDC_RMONA_FALLING_EVENT = 1012;
constexpr int IDC_RMONA_OWNER = 1008;
constexpr int IDC_RMONA_LIST = 1294;
constexpr int IDC_RMONA_REFRESH = 1293;
constexpr int IDC_RMONA_CLOSE = 1001;
constexpr int IDC_RMONA_APPLY = 1149;

// "RMON Event Configuration".
constexpr unsigned IDD_RMON_EVENT = 252;
constexpr int IDC_RMONE_INDEX = 1289;
constexpr int IDC_RMONE_DESCRIPTION = 1290;
constexpr int IDC_RMONE_TYPE = 1291;
constexpr int IDC_RMONE_COMMUNITY = 1005;
constexpr int IDC_RMONE_OWNER = 1006;
constexpr int IDC_RMONE_LIST = 1292;
constexpr int IDC_RMONE_REFRESH = 1288;
constexpr int IDC_RMONE_CLOSE = 1001;
constexpr int IDC_RMONE_APPLY = 1149;

}  // namespace ksx
