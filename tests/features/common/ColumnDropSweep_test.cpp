// The column-drop sweep: every dialog that walks a table is opened once as the device answers in full,
// then once for each column it walked with that column left out of every reply (the simulator's
// `omit`). A cell may then be empty, or show what it showed when the device answered in full for that
// row and column; any other text is a value the device did not send for that row and column (another
// column's or another row's). The walked columns are taken from the requests the dialog sent, so a
// dialog joins with one line in Dialogs().
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTableWidget>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "features/layer2/IGMPMulticastEntryTable.h"
#include "features/layer2/LLDPREMOTEINFO.h"
#include "features/layer2/StaticMACDlg.h"
#include "features/layer2/TrunkInfoDlg.h"
#include "features/monitoring/ArpTable.h"
#include "features/monitoring/IPAddrTable.h"
#include "features/monitoring/IntfList.h"
#include "features/monitoring/RMONEthernetStatistics.h"
#include "features/monitoring/RMONEvent.h"
#include "features/monitoring/RMONHistoryControl.h"
#include "features/monitoring/RmonAlarm.h"
#include "features/monitoring/RmonControlDlg.h"
#include "features/monitoring/RouterMap.h"
#include "features/monitoring/StatisticRmon1.h"
#include "features/monitoring/TcpPortInfo.h"
#include "features/monitoring/UdpPortInfo.h"
#include "features/port_system/PortDescription.h"
#include "features/port_system/SyslogHostCfgDlg.h"
#include "features/port_system/TimeProfileInfo.h"
#include "features/security/8021Diagnosis.h"
#include "features/security/8021Status.h"
#include "features/security/8021XAuRadiusServerDLG.h"
#include "features/security/8021XPortSettings.h"
#include "features/security/8021XUserDLG.h"
#include "features/security/ARPSpoofSetting.h"
#include "features/security/DHCPBOOTPRelayInterfaceDlg.h"
#include "features/security/DHCPInfoDlg.h"
#include "features/security/DHCPLocalRelayDlg.h"
#include "features/security/IMPBBlackList.h"
#include "features/security/IMPBSmartBinding.h"
#include "features/security/IMPBWhiteList.h"
#include "features/security/StormControlDlg.h"
#include "features/security/TrafficSegDlg.h"
#include "features/snmp_agent/AccessInfo.h"
#include "features/snmp_agent/CommunityInfo.h"
#include "features/snmp_agent/EngineInfo.h"
#include "features/snmp_agent/GroupInfo.h"
#include "features/snmp_agent/MibTreeInfo.h"
#include "features/snmp_agent/SNMPCommunity.h"
#include "features/snmp_agent/SNMPGroup.h"
#include "features/snmp_agent/SNMPHost.h"
#include "features/snmp_agent/SNMPUser.h"
#include "features/snmp_agent/SNMPViewTree.h"
#include "features/snmp_agent/UserInfo.h"
#include "features/vlan/VlanInfoDlg.h"
#include "platform/sys/Globals.h"
#include "tests/features/DialogTest.h"

namespace {

using namespace ksx;
using namespace ksx::dialogtest;

struct Entry {
    const char* name;
    std::function<std::shared_ptr<CDialog>()> open;
    // Texts a cell may show for a value not read besides empty: the list's start value, or a default
    // the dialog's own display code shows (see knownFault). Never a value of another row or column.
    std::set<std::string> startTexts;
    // Why the dialog shows a default text for a value not read, when that lies in the dialog's own
    // display code rather than in the readers; empty when it shows none.
    const char* knownFault = "";
};

template <class D>
Entry Dlg(const char* name, std::set<std::string> startTexts = {}, const char* knownFault = "") {
    return {name, [] { return std::shared_ptr<CDialog>(std::make_shared<D>()); }, std::move(startTexts),
            knownFault};
}

// The dialog's own display shows a number or a state for a value it did not read.
constexpr const char* kShowsDefault = "its display shows a default text for a value not read";

// Every dialog that walks a table into a list, one line each.
const std::vector<Entry>& Dialogs() {
    static const std::vector<Entry> entries = {
        // Security.
        Dlg<C8021XPortSettings>("dot1x_ports"),
        Dlg<C8021XUserDLG>("dot1x_users"),
        Dlg<C8021XAuRadiusServerDLG>("dot1x_radius"),
        Dlg<C8021Status>("dot1x_status"),
        Dlg<C8021Diagnosis>("dot1x_diagnosis"),
        Dlg<CIMPBSmartBinding>("smart_binding"),
        Dlg<CIMPBWhiteList>("white_list"),
        Dlg<CIMPBBlackList>("black_list"),
        Dlg<CARPSpoofSetting>("arp_spoofing"),
        Dlg<CDHCPInfoDlg>("dhcp_information"),
        Dlg<CDHCPBOOTPRelayInterfaceDlg>("relay_servers"),
        Dlg<CDHCPLocalRelayDlg>("relay_local", {"Disabled"}, kShowsDefault),
        Dlg<CStormControlDlg>("storm_control"),
        Dlg<CTrafficSegDlg>("traffic_segmentation"),
        // Monitoring.
        Dlg<CArpTable>("arp_table"),
        Dlg<CRouterMap>("router_table"),
        Dlg<CIntfList>("interface_table"),
        Dlg<CIPAddrTable>("ip_address_table"),
        Dlg<CTcpPortInfo>("tcp_services"),
        Dlg<CUdpPortInfo>("udp_services"),
        Dlg<CRMONEthernetStatistics>("rmon_statistics"),
        Dlg<CRMONHistoryControl>("rmon_history"),
        Dlg<CRmonAlarm>("rmon_alarm"),
        Dlg<CRMONEvent>("rmon_event"),
        Dlg<CRmonControlDlg>("rmon_control"),
        Dlg<CStatisticRmon1>("rmon1_statistics"),
        // The device's SNMP agent.
        Dlg<CEngineInfo>("engine_info"),
        Dlg<CCommunityInfo>("community_info"),
        Dlg<CUserInfo>("user_info"),
        Dlg<CGroupInfo>("group_info"),
        Dlg<CAccessInfo>("access_info"),
        Dlg<CMibTreeInfo>("mib_tree_info"),
        Dlg<CSNMPCommunity>("snmp_community"),
        Dlg<CSNMPUser>("snmp_user"),
        Dlg<CSNMPGroup>("snmp_group"),
        Dlg<CSNMPViewTree>("snmp_view"),
        Dlg<CSNMPHost>("snmp_host"),
        // Ports, VLANs and layer 2.
        Dlg<CPortDescription>("port_description", {"0"}),
        Dlg<CTimeProfileInfo>("time_profiles"),
        Dlg<CSyslogHostCfgDlg>("syslog_host"),
        Dlg<CVlanInfoDlg>("vlan_info"),
        Dlg<CTrunkInfoDlg>("trunk_info"),
        Dlg<CStaticMACDlg>("static_mac"),
        Dlg<CIGMPMulticastEntryTable>("igmp_multicast_entries"),
        Dlg<CLLDPREMOTEINFO>("lldp_neighbours"),
    };
    return entries;
}

// The texts of every list of a dialog: per list, per row, per column.
using Grid = std::vector<std::vector<std::vector<std::string>>>;

Grid Cells(QWidget* dlg) {
    Grid grid;
    for (QTableWidget* list : dlg->findChildren<QTableWidget*>()) {
        std::vector<std::vector<std::string>> rows;
        for (int r = 0; r < list->rowCount(); ++r) {
            std::vector<std::string> row;
            for (int c = 0; c < list->columnCount(); ++c) {
                const QTableWidgetItem* item = list->item(r, c);
                row.push_back(item != nullptr ? item->text().trimmed().toStdString() : std::string());
            }
            rows.push_back(std::move(row));
        }
        grid.push_back(std::move(rows));
    }
    return grid;
}

// A row may stand for `full` when each of its cells is empty or that cell's text in `full`.
bool Compatible(const std::vector<std::string>& row, const std::vector<std::string>& full,
                const std::set<std::string>& start) {
    if (row.size() != full.size()) {
        return false;
    }
    for (size_t c = 0; c < row.size(); ++c) {
        if (!row[c].empty() && start.count(row[c]) == 0 && row[c] != full[c]) {
            return false;
        }
    }
    return true;
}

// What of `dropped` the device did not send: cells that are neither empty nor the full read's text.
std::vector<std::string> Foreign(const Grid& full, const Grid& dropped, const std::set<std::string>& start) {
    std::vector<std::string> out;
    for (size_t l = 0; l < dropped.size() && l < full.size(); ++l) {
        const auto& f = full[l];
        const auto& d = dropped[l];
        if (f.size() == d.size()) {
            // The same rows: each cell against the same row and column.
            for (size_t r = 0; r < d.size(); ++r) {
                for (size_t c = 0; c < d[r].size() && c < f[r].size(); ++c) {
                    if (!d[r][c].empty() && start.count(d[r][c]) == 0 && d[r][c] != f[r][c]) {
                        out.push_back("list " + std::to_string(l) + " row " + std::to_string(r) + " column " +
                                      std::to_string(c) + ": \"" + d[r][c] + "\" where the device sent \"" +
                                      f[r][c] + "\"");
                    }
                }
            }
            continue;
        }
        // Rows left out (or added): each row shown must be one of the full read's, cells empty or its own.
        for (size_t r = 0; r < d.size(); ++r) {
            bool found = false;
            for (const auto& row : f) {
                found = found || Compatible(d[r], row, start);
            }
            if (!found) {
                std::string text;
                for (const std::string& cell : d[r]) {
                    text += "|" + cell;
                }
                out.push_back("list " + std::to_string(l) + " row " + std::to_string(r) +
                              " is no row the device sent: " + text);
            }
        }
    }
    return out;
}

// The bare OIDs the dialog's get-next requests started from (each walk's columns): OIDs asked by a
// get-next that extend no other OID asked by one.
std::vector<std::string> WalkedColumns(const std::vector<test::SimRequest>& log) {
    std::set<std::string> asked;
    for (const test::SimRequest& r : test::OfKind(log, "getnext")) {
        for (const test::SimVarBind& vb : r.varbinds) {
            asked.insert(vb.oid);
        }
    }
    std::vector<std::string> columns;
    for (const std::string& oid : asked) {
        bool extends = false;
        for (const std::string& other : asked) {
            extends = extends || (other.size() < oid.size() && oid.compare(0, other.size(), other) == 0 &&
                                  oid[other.size()] == '.');
        }
        if (!extends) {
            columns.push_back(oid);
        }
    }
    return columns;
}

class ColumnDropSweep : public test::SharedSimTest, public ::testing::WithParamInterface<Entry> {
public:
    static void SetUpTestSuite() { StartSim(test::SimSwitch::Options{"ksx-4200-28p", {}}); }

protected:
    void TearDown() override {
        g_nPortNum = 28;
        test::SharedSimTest::TearDown();
    }

    // Opens the dialog, waits until its reads are over and gives what its lists show.
    Grid Read(const Entry& e) {
        std::shared_ptr<CDialog> dlg = e.open();
        DialogDriver drv(*dlg);
        WaitQuiet();
        Grid grid = Cells(dlg.get());
        if (!drv.Ended()) {
            dlg->EndDialog(IDCANCEL);
        }
        return grid;
    }

    // Until the switch has had no request for a while (the dialog's reads are over).
    static void WaitQuiet() {
        size_t seen = 0;
        QElapsedTimer still;
        still.start();
        WaitUntil(
            [&] {
                const size_t now = s_sim->Requests().size();
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
};

TEST_P(ColumnDropSweep, NoCellShowsAValueTheDeviceDidNotSendForIt) {
    const Entry& e = GetParam();
    const Grid full = Read(e);
    const std::vector<std::string> columns = WalkedColumns(s_sim->Requests());
    size_t shown = 0;
    for (const auto& list : full) {
        shown += list.size();
    }
    if (shown == 0 || columns.empty()) {
        return;  // nothing walked into a list
    }
    for (const std::string& column : columns) {
        s_sim->Omit(column);
        const Grid dropped = Read(e);
        s_sim->OmitNone();
        EXPECT_EQ(Foreign(full, dropped, e.startTexts), std::vector<std::string>{})
            << e.name << " without " << column;
    }
}

void PrintTo(const Entry& e, std::ostream* os) {
    *os << e.name;
}

INSTANTIATE_TEST_SUITE_P(EveryTableDialog, ColumnDropSweep, ::testing::ValuesIn(Dialogs()),
                         [](const ::testing::TestParamInfo<Entry>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
