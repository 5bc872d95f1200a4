// Every dialog of the security menus, every dialog those open and the security dialogs no menu opens,
// through the look check (tests/features/LookCheckRunner.h). A new dialog joins with one line in
// Dialogs().
#include "features/security/8021Config.h"
#include "features/security/8021Diagnosis.h"
#include "features/security/8021Status.h"
#include "features/security/8021XAuRadiusServerDLG.h"
#include "features/security/8021XGlobalDlg.h"
#include "features/security/8021XPortSettings.h"
#include "features/security/8021XUserDLG.h"
#include "features/security/ARPSpoofSetting.h"
#include "features/security/AddARPEntry.h"
#include "features/security/DHCPBOOTPRelayGlobalDlg.h"
#include "features/security/DHCPBOOTPRelayInterfaceDlg.h"
#include "features/security/DHCPInfoDlg.h"
#include "features/security/DHCPLocalRelayDlg.h"
#include "features/security/DHCPServerConfig.h"
#include "features/security/DHCPServerScreenDlg.h"
#include "features/security/Dot1xPortConfig.h"
#include "features/security/IMPBBlackList.h"
#include "features/security/IMPBSmartBinding.h"
#include "features/security/IMPBWhiteList.h"
#include "features/security/SmartBindingSettings.h"
#include "features/security/StormControlDlg.h"
#include "features/security/TrafficSegDlg.h"
#include "tests/features/LookCheckRunner.h"

namespace ksx::lookcheck {

// The port table as the legacy 802.1X dialog opens it: its settings in every row, the widest they get.
Opened PortConfigFromSettings() {
    auto d = std::make_shared<Dot1xPortConfig>();
    d->m_strQuietPeriod = "65535";
    d->m_strTxPeriod = "65535";
    d->m_strSuppTimeout = "65535";
    d->m_strServerTimeout = "65535";
    d->m_strMaxReq = "10";
    d->m_strReAuthPeriod = "4294967295";
    d->m_strReAuthEnabled = "Disabled";
    return Opened(d);
}

const std::vector<Entry>& Dialogs() {
    static const std::vector<Entry> entries = {
        // 802.1X.
        Menu<C8021XGlobalDlg>("dot1x_global", IDM_DOT1X_GLOBAL),
        Menu<C8021XPortSettings>("dot1x_ports", IDM_DOT1X_PORT, true),
        Menu<C8021XUserDLG>("dot1x_users", IDM_DOT1X_USER),
        Menu<C8021XAuRadiusServerDLG>("dot1x_radius", IDM_DOT1X_RADIUS),
        Menu<Dot1xPortConfig>("dot1x_port_config", IDM_DOT1X_PORT_CONFIG, true),
        Child("dot1x_config", Plain<C8021Config>()),
        Child("dot1x_config_ports", PortConfigFromSettings, true),
        Child("dot1x_status", Plain<C8021Status>(), true),
        Child("dot1x_diagnosis", Plain<C8021Diagnosis>(), true),
        // IP-MAC-port binding.
        Menu<CSmartBindingSettings>("binding_settings", IDM_SMART_BINDING_SETTINGS, true),
        Menu<CIMPBSmartBinding>("smart_binding", IDM_SMART_BINDING),
        Menu<CIMPBWhiteList>("white_list", IDM_WHITE_LIST),
        Menu<CIMPBBlackList>("black_list", IDM_BLACK_LIST),
        // ARP spoofing, DHCP, storm and segmentation.
        Menu<CARPSpoofSetting>("arp_spoofing", IDM_ARP_SPOOFING),
        Child("arp_add", Plain<CAddARPEntry>(), true),
        Menu<CDHCPServerScreenDlg>("dhcp_screening", IDM_DHCP_SCREENING),
        Child("dhcp_screening_ports", Plain<CDHCPServerConfig>(), true),
        Child("dhcp_information", Plain<CDHCPInfoDlg>()),
        Child("relay_global", Plain<CDHCPBOOTPRelayGlobalDlg>()),
        Child("relay_servers", Plain<CDHCPBOOTPRelayInterfaceDlg>()),
        Child("relay_local", Plain<CDHCPLocalRelayDlg>()),
        Menu<CStormControlDlg>("storm_control", IDM_STORM_CONTROL),
        Menu<CTrafficSegDlg>("traffic_segmentation", IDM_TRAFFIC_SEGMENTATION, true),
    };
    return entries;
}

}  // namespace ksx::lookcheck
