// Every dialog of the port, power, system, VLAN and layer-2 menus, and every dialog those open, through
// the look check (tests/features/LookCheckRunner.h). A new dialog joins with one line in Dialogs().
// Four feature headers each declare the same window-message constant; each gets its own name here.
#define WM_SNMP_RESULT WM_SNMP_RESULT_LOOPBACK
#include "features/layer2/LoopbackDetection.h"
#undef WM_SNMP_RESULT
#define WM_SNMP_RESULT WM_SNMP_RESULT_MIRRORING
#include "features/layer2/PortMirroringdlg.h"
#undef WM_SNMP_RESULT
#define WM_SNMP_RESULT WM_SNMP_RESULT_BANDWIDTH
#include "features/port_system/BandWidthControlDlg.h"
#undef WM_SNMP_RESULT
#define WM_SNMP_RESULT WM_SNMP_RESULT_GVRP
#include "features/vlan/GVRPSettings.h"
#include "features/vlan/GVRPTime.h"
#undef WM_SNMP_RESULT
#include "features/layer2/IGMPMulticastEntryTable.h"
#include "features/layer2/IGMPSnoopConfig.h"
#include "features/layer2/IGMPSnoopingVLANSetting.h"
#include "features/layer2/KSXTrunkPort.h"
#include "features/layer2/LLDPGroup.h"
#include "features/layer2/LLDPMED.h"
#include "features/layer2/LLDPREMOTEINFO.h"
#include "features/layer2/MultiFilterModeConfig.h"
#include "features/layer2/PrivateSpanTBridge.h"
#include "features/layer2/PrivateSpanTPort.h"
#include "features/layer2/PrivateSpanTree.h"
#include "features/layer2/SpanTree.h"
#include "features/layer2/SpanTreeBridgeParam.h"
#include "features/layer2/SpanTreePortParam.h"
#include "features/layer2/StaticMACDlg.h"
#include "features/layer2/TrunkConfigDlg.h"
#include "features/layer2/TrunkInfoDlg.h"
#include "features/port_system/FirmDownLoad.h"
#include "features/port_system/JumboFrameconfigdlg.h"
#include "features/port_system/POEConfigDlg.h"
#include "features/port_system/POEGlobal.h"
#include "features/port_system/PortDescription.h"
#include "features/port_system/PortSetInfo.h"
#include "features/port_system/PowerSaveDlg.h"
#include "features/port_system/SyslogHostCfgDlg.h"
#include "features/port_system/TimeProfileInfo.h"
#include "features/vlan/8021qVlanSet.h"
#include "features/vlan/CameraVLANOUISetting.h"
#include "features/vlan/CameraVlanPortSetting.h"
#include "features/vlan/CameraVlanSetting.h"
#include "features/vlan/KSXPVIDConfig.h"
#include "features/vlan/KSXVlanAdd.h"
#include "features/vlan/ManagVlanSetDlg.h"
#include "features/vlan/VlanInfoDlg.h"
#include "tests/features/LookCheckRunner.h"

namespace ksx::lookcheck {

// A port editor of a spanning tree table, on the table's first row.
template <class Table, class Editor>
Factory PortEditor() {
    return [] {
        Opened o;
        auto table =
            ReadTable<Table>([](Table& t) { return !t.Reading() && t.List()->GetItemCount() > 0; }, o.keep);
        table->List()->SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
        auto editor = std::make_shared<Editor>();
        editor->SetTable(table->List());
        o.dlg = editor;
        return o;
    };
}

// The VLAN list's own children, given what the list read.
Factory VlanChild(const std::function<std::shared_ptr<CDialog>(const C8021qVlanSet&)>& make) {
    return [make] {
        Opened o;
        auto table = ReadTable<C8021qVlanSet>([](C8021qVlanSet& t) { return t.VlanTableRead(); }, o.keep);
        o.dlg = make(*table);
        return o;
    };
}

const std::vector<Entry>& Dialogs() {
    static const std::vector<Entry> entries = {
        // Port, power and system.
        Menu<CPortSetInfo>("port_settings", IDM_PORT_CONFIGURATION),
        Menu<CPortDescription>("port_description", IDM_PORT_DESCRIPTION),
        Menu<CBandWidthControlDlg>("bandwidth_control", IDM_BANDWIDTH_CONTROL),
        Menu<CJumboFrameconfigdlg>("jumbo_frame", IDM_JUMBO_FRAME),
        Menu<CPOEConfigDlg>("poe_port", IDM_POE_PORT),
        Menu<CPOEGlobal>("poe_global", IDM_POE_GLOBAL),
        Menu<CPowerSaveDlg>("power_saving", IDM_POWER_SAVING),
        Menu<CTimeProfileInfo>("time_profiles", IDM_TIME_PROFILE),
        Menu<CSyslogHostCfgDlg>("syslog_host", IDM_SYSLOG_HOST),
        Menu<CFirmDownLoad>("firmware_transfer", IDM_FIRMWARE_TRANSFER),
        // VLAN.
        Menu<C8021qVlanSet>("vlan_list", IDM_VLAN_CONFIGURATION, true),
        Child("vlan_add", VlanChild([](const C8021qVlanSet& t) {
                  auto d = std::make_shared<CKSXVlanAdd>();
                  d->SetAddMode(g_nPortNum, t.Vlans(), 2);
                  return d;
              }),
              true),
        Child("vlan_edit", VlanChild([](const C8021qVlanSet& t) {
                  auto d = std::make_shared<CKSXVlanAdd>();
                  d->SetEditMode(g_nPortNum, t.Vlans(), t.Vlans().empty() ? 1 : t.Vlans().back().nVid, 2);
                  return d;
              }),
              true),
        Child("pvid", VlanChild([](const C8021qVlanSet& t) {
                  auto d = std::make_shared<CKSXPVIDConfig>();
                  d->SetVlans(vlan::VlanIdText(t.Vlans()), static_cast<int>(t.Vlans().size()), t.Vlans());
                  return d;
              }),
              true),
        Child("vlan_info", Plain<CVlanInfoDlg>()),
        Menu<CManagVlanSetDlg>("management_vlan", IDM_MANAGEMENT_VLAN),
        Menu<CCameraVlanSetting>("surveillance_vlan", IDM_SURVEILLANCE_VLAN),
        Child("surveillance_ports", Plain<CCameraVlanPortSetting>()),
        Menu<CCameraVLANOUISetting>("surveillance_oui", IDM_SURVEILLANCE_OUI),
        Menu<CGVRPSettings>("gvrp_settings", IDM_GVRP_SETTINGS),
        Menu<CGVRPTime>("gvrp_time", IDM_GVRP_TIME),
        // Layer 2.
        Menu<CTrunkConfigDlg>("trunk_configuration", IDM_TRUNK_CONFIGURATION),
        Child(
            "trunk_member",
            [] {
                auto d = std::make_shared<CKSXTrunkPort>();
                d->m_strTrunkId = "1";
                d->m_strMode = "Static";
                d->m_strMembers = "25,26";
                return Opened(d);
            },
            true),
        Child("trunk_info", Plain<CTrunkInfoDlg>()),
        Menu<CPrivateSpanTBridge>("stp_bridge", IDM_SPANNING_TREE),
        Child("stp_port_table", Plain<CPrivateSpanTree>()),
        Child("stp_port_editor", PortEditor<CPrivateSpanTree, CPrivateSpanTPort>()),
        Child("bridge_mib_bridge", Plain<CSpanTreeBridgeParam>()),
        Child("bridge_mib_ports", Plain<CSpanTree>()),
        Child("bridge_mib_port_editor", PortEditor<CSpanTree, CSpanTreePortParam>()),
        Menu<CLoopbackDetection>("loopback_detection", IDM_LOOPBACK_DETECTION),
        Menu<CStaticMACDlg>("static_mac", IDM_STATIC_MAC),
        Menu<CPortMirroringdlg>("port_mirroring", IDM_PORT_MIRRORING, true),
        Menu<CIGMPSnoopConfig>("igmp_snooping", IDM_IGMP_SNOOPING),
        Child(
            "igmp_vlan_settings", [] { return Opened(std::make_shared<CIGMPSnoopingVLANSetting>("1")); },
            true),
        Child("igmp_multicast_entries", Plain<CIGMPMulticastEntryTable>()),
        Menu<CMultiFilterModeConfig>("multicast_filtering", IDM_MULTICAST_FILTERING),
        Menu<CLLDPGroup>("lldp_global", IDM_LLDP_GLOBAL),
        Menu<CLLDPREMOTEINFO>("lldp_neighbours", IDM_LLDP_REMOTE),
        Menu<CLLDPMED>("lldp_med", IDM_LLDP_MED),
    };
    return entries;
}

}  // namespace ksx::lookcheck
