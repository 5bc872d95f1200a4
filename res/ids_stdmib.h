// Resource numbers of the standard-MIB views: interfaces, IP addresses, the forwarding database and the
// TCP and UDP connection tables. Close buttons carry IDCANCEL (2).
#pragma once

namespace ksx {

// "Interface Table"
constexpr unsigned IDD_INTERFACE_TABLE = 49;
constexpr int IDC_INTF_LIST = 1088;
constexpr int IDC_INTF_COUNT = 1095;  // static after "Entries:"
constexpr int IDC_INTF_REFRESH = 3;   // default button

// "IP Table : <address>"
constexpr unsigned IDD_IP_TABLE = 208;
constexpr int IDC_IPADDR_LIST = 208;
constexpr int IDC_IPADDR_COUNT = 209;    // static after "Entries:"
constexpr int IDC_IPADDR_REFRESH = 103;  // default button

// "Forwarding Table"
constexpr unsigned IDD_FORWARDING_TABLE = 278;
constexpr int IDC_FDB_LIST = 1205;
constexpr int IDC_FDB_AGING = 1216;  // static between "Age Time" and "Seconds"
constexpr int IDC_FDB_REFRESH = 20;  // default button
constexpr int IDC_FDB_NEXT = 1149;
constexpr int IDC_FDB_BACK = 1154;
constexpr int IDC_FDB_CLOSE = 1217;

// "TCP Service" and "UDP Service"
constexpr unsigned IDD_TCP_SERVICE = 481;
constexpr unsigned IDD_UDP_SERVICE = 482;
constexpr int IDC_TCP_LIST = 234;
constexpr int IDC_UDP_LIST = 209;
constexpr int IDC_CONN_REFRESH = 241;  // default button of both

}  // namespace ksx
