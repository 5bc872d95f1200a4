// Every dialog the menu opens, and every dialog those open, as a user sees it: at the default font and
// at a 1.5 times larger one, on the 28-port and the 52-port models where the dialog has a port grid.
// Nothing may be cut, squeezed or overlapping, no list heading or cell cut where its column could grow,
// no read-only edit that looks editable, no dialog larger than the screen. The pictures go to
// build/screenshots/look/ (scripts/screenshots copies them to a folder of your choice).
//
// A new dialog joins the check with one line in Dialogs() below.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/resource.h"
#include "tests/features/DialogTest.h"
#include "tests/support/ui/LookCheck.h"

namespace {

using namespace ksx;
using namespace ksx::dialogtest;

// What a dialog needs open while it is checked (the table an editor works on), kept until it closes.
struct Opened {
    std::vector<std::shared_ptr<void>> keep;  // goes last, the latest first
    std::shared_ptr<CDialog> dlg;
    Opened() = default;
    Opened(std::shared_ptr<CDialog> d) : dlg(std::move(d)) {}
    Opened(Opened&&) = default;
    ~Opened() {
        dlg.reset();
        while (!keep.empty()) {
            keep.pop_back();
        }
    }
};

using Factory = std::function<Opened()>;

struct Entry {
    const char* name;  // picture file names
    int command;       // a menu command that opens the dialog (as the user does), or 0
    Factory open;      // else: the dialog, ready to be shown as the dialog that opens it does
    bool portGrid;     // laid out per port: checked on 28 and 52 ports
};

template <class D>
Factory Plain() {
    return [] { return Opened(std::make_shared<D>()); };
}

// A dialog the main window's menu opens (run through the menu's command).
template <class D>
Entry Menu(const char* name, int command, bool portGrid = false) {
    return {name, command, Plain<D>(), portGrid};
}
// A dialog another one opens.
Entry Child(const char* name, Factory open, bool portGrid = false) {
    return {name, 0, std::move(open), portGrid};
}

// A table dialog shown and read, for the dialogs it opens.
template <class T>
std::shared_ptr<T> ReadTable(const std::function<bool(T&)>& ready, std::vector<std::shared_ptr<void>>& keep) {
    auto table = std::make_shared<T>();
    auto drv = std::make_shared<DialogDriver>(*table);
    WaitUntil([&] { return ready(*table); }, 5000);
    keep.push_back(table);
    keep.push_back(drv);
    return table;
}

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

class LookCheck : public ::testing::TestWithParam<Entry> {
public:
    // One switch per port count, started once.
    static void SetUpTestSuite() {
        s_sim28 = new test::SimSwitch(test::SimSwitch::Options{"ksx-4200-28p", {}});
        s_sim52 = new test::SimSwitch(test::SimSwitch::Options{"ksx-4200-52", {}});
    }
    static void TearDownTestSuite() {
        delete s_sim28;
        delete s_sim52;
        s_sim28 = s_sim52 = nullptr;
    }

protected:
    void TearDown() override {
        g_nPortNum = 28;
        ResetConnectionSettings();
    }

    // Opens the entry on the switch of `ports` ports, waits until its reads are over, checks it and
    // saves its picture.
    void Check(const Entry& e, int ports, double scale) {
        test::SimSwitch& sim = ports == 52 ? *s_sim52 : *s_sim28;
        test::UseSimV1(sim, "3000");
        g_nPortNum = ports;
        sim.ClearLog();
        test::ScaledFont font(scale);
        const std::string label = std::string(e.name) + (e.portGrid ? "_" + std::to_string(ports) : "") +
                                  "_" +
                                  (scale > 1.5   ? "2x"
                                   : scale > 1.0 ? "1.5x"
                                                 : "1x");
        if (e.command != 0) {
            // As the menu does it: the launcher runs the dialog modally; it is looked at from its loop.
            ASSERT_TRUE(ui::FeatureRegistry::Instance().Has(e.command)) << label;
            bool seen = false;
            QTimer::singleShot(0, [&] {
                CDialog* dlg = nullptr;
                WaitUntil(
                    [&] {
                        return (dlg = dynamic_cast<CDialog*>(QApplication::activeModalWidget())) != nullptr;
                    },
                    5000);
                if (dlg != nullptr) {
                    seen = true;
                    Inspect(dlg, sim, label);
                    dlg->EndDialog(IDCANCEL);
                }
            });
            ui::FeatureRegistry::Instance().Run(e.command);
            EXPECT_TRUE(seen) << label << ": the menu command opened no dialog";
            return;
        }
        Opened opened = e.open();
        ASSERT_NE(opened.dlg, nullptr) << label;
        DialogDriver drv(*opened.dlg);
        Inspect(opened.dlg.get(), sim, label);
    }

    static void Inspect(CDialog* dlg, test::SimSwitch& sim, const std::string& label) {
        WaitQuiet(sim);
        test::SettleLists(dlg);
        EXPECT_EQ(test::LookProblems(dlg), std::vector<std::string>{}) << label;
        const QString file = test::ScreenshotDir("look") + "/" + QString::fromStdString(label) + ".png";
        EXPECT_TRUE(test::GrabScreenshot(dlg, file.toStdString())) << label;
    }

    // Until the switch has had no request for a while (the dialog's reads are over).
    static void WaitQuiet(test::SimSwitch& sim) {
        size_t seen = 0;
        QElapsedTimer still;
        still.start();
        WaitUntil(
            [&] {
                const size_t now = sim.Requests().size();
                if (now != seen) {
                    seen = now;
                    still.restart();
                }
                return still.elapsed() >= 300;
            },
            8000);
        test::PumpEvents();
    }

    test::ScriptedMessageBox boxes;
    static inline test::SimSwitch* s_sim28 = nullptr;
    static inline test::SimSwitch* s_sim52 = nullptr;
};

class LookCheckLarge : public LookCheck {};

TEST_P(LookCheck, NothingCutSqueezedOrOverlapping) {
    const Entry& e = GetParam();
    for (double scale : {1.0, 1.5}) {
        for (int ports : e.portGrid ? std::vector<int>{28, 52} : std::vector<int>{28}) {
            Check(e, ports, scale);
        }
    }
}

// gtest prints a parameter by its name.
void PrintTo(const Entry& e, std::ostream* os) {
    *os << e.name;
}

INSTANTIATE_TEST_SUITE_P(EveryDialog, LookCheck, ::testing::ValuesIn(Dialogs()),
                         [](const ::testing::TestParamInfo<Entry>& info) {
                             return std::string(info.param.name);
                         });

// Bad input: the 52-port grids at twice the font stay on the screen (scrolling where they must) and
// cut nothing.
TEST_F(LookCheckLarge, PortGridsAtTwiceTheFontOn52Ports) {
    for (const Entry& e : Dialogs()) {
        if (e.portGrid) {
            Check(e, 52, 2.0);
        }
    }
}

}  // namespace
