// The stall sweep (tests/features/StallSweepRunner.h) of the SNMP agent menu and the SNMPv3
// information views.
#include "features/snmp_agent/AccessInfo.h"
#include "features/snmp_agent/CommunityInfo.h"
#include "features/snmp_agent/EngineInfo.h"
#include "features/snmp_agent/GroupInfo.h"
#include "features/snmp_agent/MibTreeInfo.h"
#include "features/snmp_agent/UserInfo.h"
#include "tests/features/StallSweepRunner.h"

namespace ksx::stallsweep {

const char* AreaName() {
    return "snmp_agent";
}
const std::vector<Entry>& Unreached() {
    static const std::vector<Entry> entries = {
        Unreachable<CEngineInfo>("engine_info"), Unreachable<CCommunityInfo>("community_info"),
        Unreachable<CUserInfo>("user_info"),     Unreachable<CGroupInfo>("group_info"),
        Unreachable<CAccessInfo>("access_info"), Unreachable<CMibTreeInfo>("mib_tree_info"),
    };
    return entries;
}

}  // namespace ksx::stallsweep
