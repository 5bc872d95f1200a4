// Logic of the PVID dialog: the trunk and VLAN rules a set of PVIDs must pass, and the per-port
// writes. Qt-free.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/CommonSNMP.h"
#include "features/common/TrunkTable.h"
#include "features/vlan/VlanTable.h"

class CPvidSettingLogic {
public:
    CPvidSettingLogic() = default;
    CPvidSettingLogic(const CPvidSettingLogic&) = delete;
    CPvidSettingLogic& operator=(const CPvidSettingLogic&) = delete;

    // Trunk members keep PVID 1: shows the first refusal and returns 0; 1 to go on.
    static int CheckTrunkPvids(const std::vector<int>& pvids, const CTrunkGroups& trunks);
    // Every PVID names a listed VLAN that has members: shows the first refusal and returns 0; 1 to go on.
    static int CheckPvidVlans(const VlanList& list, const std::vector<int>& pvids);
    static const VlanEntry* FindNode(const VlanList& list, int vid);

    // One PVID-column row: the port of its instance suffix (".7"), 0 when it is not a port from 1 to
    // `ports`.
    static int PortOfRow(std::string_view suffix, int ports);

    // One SET per port in ascending order; with 40 ports or more, ports 1 to 40 first, a 50 ms pause,
    // then the rest. Stops at the first write the device does not accept and returns that port; 0 when
    // every port was written.
    int WritePvids(const std::vector<int>& pvids);
    // The SET of port `port` of that sequence (after the pause where it falls before that port) and the
    // layer's account of it. Any thread, while nothing else writes through this logic.
    SnmpAnswer WritePvid(const std::vector<int>& pvids, int port);
    // Any thread: the write in flight returns at once, as not accepted.
    void CancelWrite() { m_cCommonSNMPSet.Cancel(); }

    CCommonSNMP m_cCommonSNMPSet;
};
