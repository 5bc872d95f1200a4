// Resource numbers of the port mirroring dialog: template, controls and the per-port strips.
#pragma once

namespace ksx {

constexpr unsigned IDD_PORT_MIRRORING = 229;
constexpr int IDC_MIR_STATE_GROUP = 1138;
constexpr int IDC_MIR_STATE_LABEL = 1139;  // "Port Mirroring" (no id on the template)
constexpr int IDC_MIR_ENABLED = 1242;
constexpr int IDC_MIR_DISABLED = 1233;
constexpr int IDC_MIR_PORTS_GROUP = 1137;
constexpr int IDC_MIR_TARGET_LABEL = 1140;  // "TargetPort" (no id on the template)
constexpr int IDC_MIR_TARGET = 1250;
constexpr int IDC_MIR_SOURCE_LABEL = 1251;
constexpr int IDC_MIR_SNIFFER_LABEL = 1252;
constexpr int IDC_MIR_SELECT_ALL_LABEL = 1253;
constexpr int IDC_MIR_TX_LABEL = 1254;
constexpr int IDC_MIR_RX_LABEL = 1255;
constexpr int IDC_MIR_BOTH_LABEL = 1256;
constexpr int IDC_MIR_NONE_LABEL = 1257;
constexpr int IDC_MIR_ALL_TX = 1258;
constexpr int IDC_MIR_ALL_RX = 1259;
constexpr int IDC_MIR_ALL_BOTH = 1260;
constexpr int IDC_MIR_ALL_NONE = 1261;
constexpr int IDC_MIR_REFRESH = 1044;
constexpr int IDC_MIR_APPLY = 1000;
constexpr int IDC_MIR_CLOSE = 1128;

// Per-port strips: control id = first id + port - 1.
constexpr int IDC_MIR_PORT_LABEL1 = 6000;
constexpr int IDC_MIR_TX1 = 8001;
constexpr int IDC_MIR_RX1 = 8101;
constexpr int IDC_MIR_BOTH1 = 8201;
constexpr int IDC_MIR_NONE1 = 8301;
constexpr int kMirrorMaxPorts = 52;  // ids of one row reach first id + 51

}  // namespace ksx
