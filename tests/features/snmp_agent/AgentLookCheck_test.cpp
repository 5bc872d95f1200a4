// Every dialog of the SNMP agent menu, and the agent's read-only views no menu opens, through the look
// check (tests/features/LookCheckRunner.h). A new dialog joins with one line in Dialogs().
#include "features/snmp_agent/AccessInfo.h"
#include "features/snmp_agent/CommunityInfo.h"
#include "features/snmp_agent/EngineInfo.h"
#include "features/snmp_agent/GroupInfo.h"
#include "features/snmp_agent/MibTreeInfo.h"
#include "features/snmp_agent/SNMPCommunity.h"
#include "features/snmp_agent/SNMPEngineID.h"
#include "features/snmp_agent/SNMPGlobal.h"
#include "features/snmp_agent/SNMPGroup.h"
#include "features/snmp_agent/SNMPHost.h"
#include "features/snmp_agent/SNMPTrapSetting.h"
#include "features/snmp_agent/SNMPUser.h"
#include "features/snmp_agent/SNMPViewTree.h"
#include "features/snmp_agent/UserInfo.h"
#include "tests/features/LookCheckRunner.h"

namespace ksx::lookcheck {

// The trap settings of a PoE model, which show the most switches; the device name is restored after.
Factory PoeTrapSettings() {
    return [] {
        Opened o;
        auto was = std::make_shared<std::string>(g_strDeviceName);
        o.keep.push_back(std::shared_ptr<void>(nullptr, [was](void*) { g_strDeviceName = *was; }));
        g_strDeviceName = "KSX-4200-28P";
        o.dlg = std::make_shared<CSNMPTrapSetting>();
        return o;
    };
}

const std::vector<Entry>& Dialogs() {
    static const std::vector<Entry> entries = {
        Menu<CSNMPGlobal>("snmp_global", IDM_SNMP_GLOBAL),
        Menu<CSNMPTrapSetting>("snmp_trap_settings", IDM_SNMP_TRAP),
        Child("snmp_trap_settings_poe", PoeTrapSettings()),
        Menu<CSNMPEngineID>("snmp_engine_id", IDM_SNMP_ENGINE_ID),
        Menu<CSNMPCommunity>("snmp_community", IDM_SNMP_COMMUNITY),
        Menu<CSNMPUser>("snmp_user", IDM_SNMP_USER),
        Menu<CSNMPGroup>("snmp_group", IDM_SNMP_GROUP),
        Menu<CSNMPViewTree>("snmp_view", IDM_SNMP_VIEW),
        Menu<CSNMPHost>("snmp_host", IDM_SNMP_HOST),
        // The read-only views.
        Child("engine_info", Plain<CEngineInfo>()),
        Child("community_info", Plain<CCommunityInfo>()),
        Child("user_info", Plain<CUserInfo>()),
        Child("group_info", Plain<CGroupInfo>()),
        Child("access_info", Plain<CAccessInfo>()),
        Child("mib_tree_info", Plain<CMibTreeInfo>()),
    };
    return entries;
}

}  // namespace ksx::lookcheck
