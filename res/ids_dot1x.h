// Resource numbers of the 802.1X dialogs: port settings, RADIUS servers, local users and the global
// settings (templates and control ids).
#pragma once

namespace ksx {

// Port settings.
constexpr unsigned IDD_DOT1X_PORT = 234;
constexpr int IDC_D1XP_FROM = 1317;
constexpr int IDC_D1XP_TO = 1008;
constexpr int IDC_D1XP_QUIET = 1304;
constexpr int IDC_D1XP_SUPP_TIMEOUT = 1009;
constexpr int IDC_D1XP_SERVER_TIMEOUT = 1305;
constexpr int IDC_D1XP_MAX_REQ = 1042;
constexpr int IDC_D1XP_TX_PERIOD = 1003;
constexpr int IDC_D1XP_REAUTH_PERIOD = 1043;
constexpr int IDC_D1XP_REAUTH = 1310;
constexpr int IDC_D1XP_PORT_CONTROL = 1311;
constexpr int IDC_D1XP_CAPABILITY = 1312;
constexpr int IDC_D1XP_DIRECTION = 1313;
constexpr int IDC_D1XP_APPLY = 1149;
constexpr int IDC_D1XP_REFRESH = 1000;
constexpr int IDC_D1XP_LIST = 1295;

// RADIUS servers.
constexpr unsigned IDD_DOT1X_RADIUS = 254;
constexpr int IDC_D1XR_LIST = 1324;
constexpr int IDC_D1XR_INDEX = 1325;
constexpr int IDC_D1XR_ADDRESS = 1371;
constexpr int IDC_D1XR_AUTH_PORT = 1328;
constexpr int IDC_D1XR_ACCT_PORT = 1005;
constexpr int IDC_D1XR_TIMEOUT = 1327;
constexpr int IDC_D1XR_RETRANSMIT = 1008;
constexpr int IDC_D1XR_KEY = 1004;
constexpr int IDC_D1XR_CONFIRM_KEY = 1011;
constexpr int IDC_D1XR_APPLY = 1000;
constexpr int IDC_D1XR_REFRESH = 1044;
constexpr int IDC_D1XR_DELETE = 1329;
constexpr int IDC_D1XR_CLOSE = 1128;

// Local users.
constexpr unsigned IDD_DOT1X_USER = 253;
constexpr int IDC_D1XU_NAME = 1319;
constexpr int IDC_D1XU_PASSWORD = 1320;
constexpr int IDC_D1XU_CONFIRM = 1005;
constexpr int IDC_D1XU_ADD = 1001;
constexpr int IDC_D1XU_LIST = 1322;
constexpr int IDC_D1XU_TOTAL = 1370;
constexpr int IDC_D1XU_REFRESH = 1044;
constexpr int IDC_D1XU_DELETE = 1003;
constexpr int IDC_D1XU_CLOSE = 1128;

// Global settings.
constexpr unsigned IDD_DOT1X_GLOBAL = 215;
constexpr int IDC_D1XG_STATE_ENABLED = 1137;
constexpr int IDC_D1XG_STATE_DISABLED = 1140;
constexpr int IDC_D1XG_EAPOL_ENABLED = 1138;
constexpr int IDC_D1XG_EAPOL_DISABLED = 1139;
constexpr int IDC_D1XG_PROTOCOL = 1141;
constexpr int IDC_D1XG_REFRESH = 1000;

}  // namespace ksx
