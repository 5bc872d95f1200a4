// The ownership sweep (tests/features/StallSweepRunner.h) over the adds of the dialogs that make a row.
#define KSX_OWNERSHIP_SWEEP
#include "features/layer2/StaticMACDlg.h"
#include "features/monitoring/RMONEthernetStatistics.h"
#include "features/monitoring/RMONEvent.h"
#include "features/monitoring/RMONHistoryControl.h"
#include "features/port_system/TimeProfileInfo.h"
#include "features/security/8021XAuRadiusServerDLG.h"
#include "features/security/8021XSettingLogic.h"
#include "features/security/8021XUserDLG.h"
#include "features/security/AddARPEntry.h"
#include "features/security/DHCPBOOTPRelayInterfaceDlg.h"
#include "features/security/DHCPServerScreenDlg.h"
#include "features/snmp_agent/SNMPCommunity.h"
#include "features/vlan/CameraVLANOUISetting.h"
#include "features/vlan/CameraVlanRules.h"
#include "features/vlan/CameraVlanSetting.h"
#include "features/vlan/KSXVlanAdd.h"
#include "features/vlan/VlanTable.h"
#include "res/ids_dot1x.h"
#include "res/ids_impb.h"
#include "res/ids_legacy.h"
#include "res/ids_power.h"
#include "res/ids_rmon.h"
#include "res/ids_screening.h"
#include "res/ids_snmp_agent.h"
#include "res/ids_static_mac.h"
#include "res/ids_surveillance.h"
#include "res/ids_vlan.h"
#include "tests/features/StallSweepRunner.h"
#include "tests/features/snmp_agent/SnmpAgentTest.h"

namespace ksx::stallsweep {
namespace {

template <class D>
std::shared_ptr<CDialog> Make() {
    return std::make_shared<D>();
}

const std::string kP = "1.3.6.1.4.1.7393.10.76.20.1";
const std::string kMac = "00-11-22-33-44-55";
const std::string kOui = "00-11-22-00-00-00";

// The add of `name`: its button, its row (status column and index), its fields, the other row's states.
AddCase A(const char* name, std::function<std::shared_ptr<CDialog>()> make, int button, std::string column,
          std::string index, std::vector<std::pair<int, std::string>> fields,
          std::vector<int> states = {1, 2}) {
    return {name, std::move(make), std::move(fields), button, std::move(column), std::move(index), states};
}

std::vector<AddCase> Adds() {
    const auto vlanAdd = [] {
        auto dlg = std::make_shared<CKSXVlanAdd>();
        dlg->SetAddMode(28, {}, 2);
        return std::shared_ptr<CDialog>(dlg);
    };
    return {
        A("Dot1x_user", Make<C8021XUserDLG>, IDC_D1XU_ADD, C8021XSettingLogic::UserColumn(3),
          ".5.110.117.114.115.101",
          {{IDC_D1XU_NAME, "nurse"}, {IDC_D1XU_PASSWORD, "ward7secret"}, {IDC_D1XU_CONFIRM, "ward7secret"}}),
        A("Radius_server", Make<C8021XAuRadiusServerDLG>, IDC_D1XR_APPLY,
          C8021XSettingLogic::RadiusColumn(10), ".3",
          {{IDC_D1XR_INDEX, "3"},
           {IDC_D1XR_ADDRESS, "192.168.1.3"},
           {IDC_D1XR_KEY, "k3y"},
           {IDC_D1XR_CONFIRM_KEY, "k3y"}}),
        A("ARP_gateway", Make<CAddARPEntry>, IDC_ARPA_APPLY, arp::kStatusColumn, ".192.168.1.254",
          {{IDC_ARPA_ADDRESS, "192.168.1.254"}, {IDC_ARPA_MAC, kMac}, {IDC_ARPA_PORT_BASE + 1, ""}}),
        A("DHCP_screening_server", Make<CDHCPServerScreenDlg>, IDC_DHCPSCR_SERVER_ADD, kP + ".14.7.3.1.4",
          ".1", {{IDC_DHCPSCR_SERVER_IP, "192.168.1.10"}}),
        A("DHCP_relay_server", Make<CDHCPBOOTPRelayInterfaceDlg>, IDC_RLI_APPLY, kP + ".28.2.1.1.3",
          ".6.83.121.115.116.101.109.10.0.0.1", {{IDC_RLI_SERVER_IP, "10.0.0.1"}}),
        A("Surveillance_device", Make<CCameraVlanSetting>, IDC_SURV_ADD, camvlan::kDevStatusCol,
          camvlan::MacIndex(kMac),
          {{IDC_SURV_ENABLE, ""}, {IDC_SURV_DESCRIPTION, "gate"}, {IDC_SURV_MAC, kMac}}),
        A("Surveillance_OUI", Make<CCameraVLANOUISetting>, IDC_OUI_ADD, camvlan::kDevStatusCol,
          camvlan::MacIndex(kOui), {{IDC_OUI_DESCRIPTION, "gate"}, {IDC_OUI_MAC, kOui}}),
        A("Static_MAC", Make<CStaticMACDlg>, IDC_SMAC_ADD, kP + ".9.3.1.4", ".100.0.17.34.51.68.85.9",
          {{IDC_SMAC_PORT, "9"}, {IDC_SMAC_VID, "100"}, {IDC_SMAC_MAC, kMac}}),
        A("Time_profile", Make<CTimeProfileInfo>, IDC_TP_ADD, kP + ".32.1.1.21", ".3",
          {{IDC_TP_NAME, "Lunch"}, {IDC_TP_END_HOUR, "13"}}),
        A("SNMP_community", Make<CSNMPCommunity>, IDC_COMM_APPLY, snmpagenttest::kB + ".5.1.1.3",
          snmpagenttest::NameIndex("lab"), {{IDC_COMM_NAME, "lab"}}),
        A("RMON_statistics", Make<CRMONEthernetStatistics>, IDC_RMONS_APPLY, kP + ".47.2.1.1.4", ".20",
          {{IDC_RMONS_INDEX, "20"}, {IDC_RMONS_PORT, "6"}, {IDC_RMONS_OWNER, "ops"}}, {1, 3}),
        A("RMON_history", Make<CRMONHistoryControl>, IDC_RMONH_APPLY, kP + ".47.3.1.1.6", ".8",
          {{IDC_RMONH_INDEX, "8"},
           {IDC_RMONH_PORT, "4"},
           {IDC_RMONH_BUCKETS, "10"},
           {IDC_RMONH_INTERVAL, "60"}},
          {1, 3}),
        A("RMON_event", Make<CRMONEvent>, IDC_RMONE_APPLY, kP + ".47.5.1.1.6", ".9",
          {{IDC_RMONE_INDEX, "9"}, {IDC_RMONE_DESCRIPTION, "gate"}}, {1, 3}),
        A("VLAN_add", vlanAdd, IDOK, vlan::kRowStatusColumn, ".30",
          {{IDC_VLANADD_VID, "30"}, {IDC_VLANADD_NAME, "lab"}, {IDC_VLANADD_TAGGED_BASE + 1, ""}}),
    };
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Adds, OwnershipSweep, ::testing::ValuesIn(Adds()),
                         [](const ::testing::TestParamInfo<AddCase>& info) { return info.param.name; });

}  // namespace ksx::stallsweep
