#include "features/vlan/PvidSettingLogic.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "core/SnmpReply.h"
#include "platform/sys/MessageBox.h"

namespace {

constexpr int kFirstBatch = 40;  // ports written before the pause on large switches

}  // namespace

int CPvidSettingLogic::CheckTrunkPvids(const std::vector<int>& pvids, const CTrunkGroups& trunks) {
    const int ports = std::min(static_cast<int>(pvids.size()), trunks.PortCount());
    for (int p = 1; p <= ports; ++p) {
        const int pvid = pvids[static_cast<size_t>(p - 1)];
        const int group = trunks.GroupOf(p);
        if (pvid == 1 || group == 0) {
            continue;
        }
        for (int member : trunks.MembersOf(group)) {
            if (member <= ports && pvids[static_cast<size_t>(member - 1)] != pvid) {
                ksx::AfxMessageBox("You should let all Trunk member in the same PVID !");
                return 0;
            }
        }
        ksx::AfxMessageBox(
            "Setting PVID on a Trunk is not supported. Please use Web interface for the settings.");
        return 0;
    }
    return 1;
}

const VlanEntry* CPvidSettingLogic::FindNode(const VlanList& list, int vid) {
    return ksx::vlan::FindVlan(list, vid);
}

int CPvidSettingLogic::CheckPvidVlans(const VlanList& list, const std::vector<int>& pvids) {
    for (int pvid : pvids) {
        const VlanEntry* node = FindNode(list, pvid);
        if (node == nullptr) {
            ksx::AfxMessageBox("Invalid PVID");
            return 0;
        }
        if (node->nEgressCount == 0) {
            ksx::AfxMessageBox("Invalid PVID,VlAN is empty");
            return 0;
        }
    }
    return 1;
}

int CPvidSettingLogic::PortOfRow(std::string_view suffix, int ports) {
    if (!suffix.empty() && suffix.front() == '.') {
        suffix.remove_prefix(1);
    }
    if (suffix.empty() || suffix.size() > 6 ||
        suffix.find_first_not_of("0123456789") != std::string_view::npos) {
        return 0;
    }
    const int port = std::stoi(std::string(suffix));
    return port >= 1 && port <= ports ? port : 0;
}

int CPvidSettingLogic::WritePvids(const std::vector<int>& pvids) {
    const int ports = static_cast<int>(pvids.size());
    for (int p = 1; p <= ports; ++p) {
        if (!WritePvid(pvids, p).Accepted()) {
            return p;
        }
    }
    return 0;
}

SnmpAnswer CPvidSettingLogic::WritePvid(const std::vector<int>& pvids, int p) {
    const int ports = static_cast<int>(pvids.size());
    if (p < 1 || p > ports) {
        return {};  // no such port: nothing is sent
    }
    if (ports >= kFirstBatch && p == kFirstBatch + 1) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const std::string value = std::to_string(pvids[static_cast<size_t>(p - 1)]);
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPSet.AddVarBind(std::string(ksx::vlan::kPvidColumn) + "." + std::to_string(p), 10,
                                value.c_str());
    return ksx::SendRequest(m_cCommonSNMPSet).Answer();
}
