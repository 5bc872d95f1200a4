// The stall sweep (tests/features/StallSweepRunner.h) of the RMON and standard-MIB menus, the RMON 1
// views, the older RMON control and the ARP and route tables.
#include "features/monitoring/ArpTable.h"
#include "features/monitoring/Rmon1Entry.h"
#include "features/monitoring/RmonControlDlg.h"
#include "features/monitoring/RouterMap.h"
#include "features/monitoring/StatisticRmon1.h"
#include "tests/features/StallSweepRunner.h"

namespace ksx::stallsweep {

const char* AreaName() {
    return "monitoring";
}
const std::vector<Entry>& Unreached() {
    static const std::vector<Entry> entries = {
        Unreachable<CArpTable>("arp_table"),          Unreachable<CRouterMap>("router_table"),
        Unreachable<CRmonControlDlg>("rmon_control"), Unreachable<CStatisticRmon1>("rmon1_statistics"),
        Unreachable<CRmon1Entry>("rmon1_entry"),
    };
    return entries;
}

}  // namespace ksx::stallsweep
