// Every dialog of the monitoring and RMON menus, every dialog those open, and the monitoring views no
// menu opens, through the look check (tests/features/LookCheckRunner.h). A new dialog joins with one
// line in Dialogs().
#include "features/monitoring/ArpTable.h"
#include "features/monitoring/IPAddrTable.h"
#include "features/monitoring/IntfList.h"
#include "features/monitoring/RMONEthernetStatistics.h"
#include "features/monitoring/RMONEvent.h"
#include "features/monitoring/RMONHistoryControl.h"
#include "features/monitoring/Rmon1Entry.h"
#include "features/monitoring/RmonAlarm.h"
#include "features/monitoring/RmonControlDlg.h"
#include "features/monitoring/RmonStatus.h"
#include "features/monitoring/RouterMap.h"
#include "features/monitoring/SnmpDevIden.h"
#include "features/monitoring/StatisticRmon1.h"
#include "features/monitoring/StatisticRmonCnt.h"
#include "features/monitoring/StatisticRmonInf.h"
#include "features/monitoring/SwitchDatabase.h"
#include "features/monitoring/TcpPortInfo.h"
#include "features/monitoring/UdpPortInfo.h"
#include "tests/features/LookCheckRunner.h"

namespace ksx::lookcheck {

// A view the RMON 1 statistics list opens, given the list it read.
Factory Rmon1Child(const std::function<std::shared_ptr<CDialog>(const CStatisticRmon1&)>& make) {
    return [make] {
        Opened o;
        auto list = ReadTable<CStatisticRmon1>(
            [](CStatisticRmon1& l) { return !l.Walking() && l.ListRows() > 0; }, o.keep);
        o.dlg = make(*list);
        return o;
    };
}

const std::vector<Entry>& Dialogs() {
    static const std::vector<Entry> entries = {
        // Monitoring.
        Menu<CSnmpDevIden>("system_information", IDM_SYSTEM_INFORMATION),
        Menu<CIntfList>("interface_table", IDM_INTERFACE_TABLE),
        Menu<CIPAddrTable>("ip_address_table", IDM_IP_TABLE),
        Menu<CTcpPortInfo>("tcp_services", IDM_TCP_SERVICE),
        Menu<CUdpPortInfo>("udp_services", IDM_UDP_SERVICE),
        Menu<CSwitchDatabase>("forwarding_table", IDM_FORWARDING_TABLE),
        Child("arp_table", Plain<CArpTable>()),
        Child("router_table", Plain<CRouterMap>()),
        // RMON.
        Menu<CRmonStatus>("rmon_global", IDM_RMON_GLOBAL),
        Menu<CRMONEthernetStatistics>("rmon_statistics", IDM_RMON_STATISTICS),
        Menu<CRMONHistoryControl>("rmon_history", IDM_RMON_HISTORY),
        Menu<CRmonAlarm>("rmon_alarm", IDM_RMON_ALARM),
        Menu<CRMONEvent>("rmon_event", IDM_RMON_EVENT),
        Child("rmon_control", Plain<CRmonControlDlg>()),
        Child("rmon1_statistics", Plain<CStatisticRmon1>()),
        Child("rmon1_entry", Plain<CRmon1Entry>()),
        Child("rmon1_parameters", Rmon1Child([](const CStatisticRmon1& l) {
                  return std::make_shared<CStatisticRmonCnt>(&l, 1, l.GroupCount());
              })),
        Child("rmon1_interface", Rmon1Child([](const CStatisticRmon1& l) {
                  return std::make_shared<CStatisticRmonInf>(&l, 0);
              })),
    };
    return entries;
}

}  // namespace ksx::lookcheck
