#include "features/vlan/VlanAddLogic.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "core/CodeConvert.h"
#include "core/SnmpReply.h"
#include "core/TextNumbers.h"
#include "core/Utils.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"

namespace {

// Items of a comma-separated list.
std::vector<std::string> Items(const std::string& text) {
    std::vector<std::string> items;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos) {
            comma = text.size();
        }
        items.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return items;
}

void MarkPorts(const std::string& list, int ports, CVlanAddLogic::PortFlags& flags) {
    if (list.empty()) {
        return;
    }
    for (const std::string& item : Items(list)) {
        const int port = ksx::text::LeadingInt(item);
        if (port >= 1 && port <= ports) {
            flags[static_cast<size_t>(port - 1)] = 1;
        }
    }
}

}  // namespace

const VlanEntry* CVlanAddLogic::FindVlanEntry(const VlanList& list, int vid) {
    return ksx::vlan::FindVlan(list, vid);
}

void CVlanAddLogic::LoadPortFlags(const VlanEntry& entry, int ports, PortFlags& egress, PortFlags& untagged,
                                  PortFlags& notMember, PortFlags& forbidden) {
    const auto n = static_cast<size_t>(std::max(ports, 0));
    egress.assign(n, 0);
    untagged.assign(n, 0);
    notMember.assign(n, 0);
    forbidden.assign(n, 0);
    MarkPorts(entry.szEgressPorts, ports, egress);
    MarkPorts(entry.szUntaggedPorts, ports, untagged);
    MarkPorts(entry.szForbiddenPorts, ports, forbidden);
    for (size_t i = 0; i < n; ++i) {
        notMember[i] = egress[i] == 0 && untagged[i] == 0 && forbidden[i] == 0 ? 1 : 0;
    }
}

std::string CVlanAddLogic::JoinUntaggedLists(const VlanList& list) {
    std::string text;
    for (const VlanEntry& entry : list) {
        text += entry.szUntaggedPorts + ",";
    }
    if (!text.empty()) {
        text.pop_back();
    }
    return text;
}

void CVlanAddLogic::RemovePortFromList(int port, std::string& text) {
    const std::string key = std::to_string(port);
    std::string kept;
    for (const std::string& item : Items(text)) {
        if (item == key) {
            continue;
        }
        kept += item + ",";
    }
    if (!kept.empty()) {
        kept.pop_back();
    }
    text = kept;
}

bool CVlanAddLogic::IsPortNotInList(int port, const std::string& text) {
    if (text.empty()) {
        return true;
    }
    const std::string key = std::to_string(port);
    for (const std::string& item : Items(text)) {
        if (item == key) {
            return false;
        }
    }
    return true;
}

bool CVlanAddLogic::ValidateVlanId(const VlanList& list, int vid) {
    if (vid > 4094 || vid < 2) {
        ksx::AfxMessageBox("Invalid VLAN ID, VLAN ID should be (2-4094) !");
        return false;
    }
    if (FindVlanEntry(list, vid) != nullptr) {
        ksx::AfxMessageBox("The VLAN ID has been used, please input again !");
        return false;
    }
    return true;
}

bool CVlanAddLogic::CheckTrunkMembers(const CTrunkGroups& trunks, const PortFlags& flags) {
    PortFlags sized(static_cast<size_t>(trunks.PortCount()), 0);
    std::copy_n(flags.begin(), std::min(flags.size(), sized.size()), sized.begin());
    return trunks.FirstPartlySetTrunkPort(sized.data()) == 0;
}

std::string CVlanAddLogic::PortBitmap(const PortFlags& flags) {
    PortFlags sized(static_cast<size_t>(std::max(g_nPortNum, 0)), 0);
    std::copy_n(flags.begin(), std::min(flags.size(), sized.size()), sized.begin());
    std::string hex;
    CUtils::PortArrayToHex(sized.data(), hex);
    CUtils::PadPortHexWide(hex);
    const std::vector<unsigned char> octets = CUtils::HexToBytes(hex);
    return std::string(octets.begin(), octets.end());
}

std::string CVlanAddLogic::StepName(Step step) {
    switch (step) {
        case kPrepareRow:
            return "row status";
        case kAllPorts:
            return "all ports member";
        case kUntagged:
            return "untagged ports";
        case kEgress:
            return "member ports";
        case kForbidden:
            return "forbidden ports";
        case kName:
            return "VLAN name";
        case kActivate:
            return "activation";
        case kNoStep:
            break;
    }
    return "";
}

bool CVlanAddLogic::PrepareVlanRow(const std::string& vidText, bool create) {
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMP.AddVarBind(std::string(ksx::vlan::kRowStatusColumn) + "." + vidText, 1, create ? "5" : "2");
    return ksx::GetNextRequest(m_cCommonSNMP).Accepted();
}

bool CVlanAddLogic::SetPortList(const std::string& octets, const std::string& vidText, const char* column) {
    if (octets.empty()) {
        ksx::AfxMessageBox("Parameter Error !");
        return false;
    }
    m_cCommonSNMPEgrePort.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPEgrePort.AddVarBind(std::string(column) + "." + vidText, 2, octets.data(),
                                     static_cast<int>(octets.size()));
    return ksx::SendAccepted(m_cCommonSNMPEgrePort);
}

bool CVlanAddLogic::SetVlanName(const std::string& vidText, const std::string& name) {
    char utf8[128];
    std::memset(utf8, 0, sizeof utf8);
    CCodeConvert::AnsiToUTF8(name, utf8, sizeof utf8);
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMP.AddVarBind(std::string(ksx::vlan::kNameColumn) + "." + vidText, 2, utf8);
    return ksx::SendAccepted(m_cCommonSNMP);
}

bool CVlanAddLogic::SetRowStatus(const std::string& vidText, const char* value) {
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMP.AddVarBind(std::string(ksx::vlan::kRowStatusColumn) + "." + vidText, 1, value);
    return ksx::SendAccepted(m_cCommonSNMP);
}

CVlanAddLogic::WriteResult CVlanAddLogic::WriteVlan(const VlanWrite& write, const VlanMembers& original) {
    WriteResult result;
    const bool defaultVlan = write.vidText == "1";
    auto fail = [&](Step step) {
        result.failed = step;
        Undo(write, original, step, result);
        return result;
    };
    if (write.add || !defaultVlan) {
        if (!PrepareVlanRow(write.vidText, write.add)) {
            return fail(kPrepareRow);
        }
    }
    if (!defaultVlan) {
        const PortFlags all(static_cast<size_t>(std::max(g_nPortNum, 0)), 1);
        if (!SetPortList(PortBitmap(all), write.vidText, ksx::vlan::kEgressColumn)) {
            return fail(kAllPorts);
        }
    }
    if (!SetPortList(PortBitmap(write.untagged), write.vidText, ksx::vlan::kUntaggedColumn)) {
        return fail(kUntagged);
    }
    if (!SetPortList(PortBitmap(write.egress), write.vidText, ksx::vlan::kEgressColumn)) {
        return fail(kEgress);
    }
    if (!SetPortList(PortBitmap(write.forbidden), write.vidText, ksx::vlan::kForbiddenColumn)) {
        return fail(kForbidden);
    }
    if (!SetVlanName(write.vidText, write.name)) {
        return fail(kName);
    }
    // The device takes the name before the row is activated.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (!SetRowStatus(write.vidText, "1")) {
        return fail(kActivate);
    }
    return result;
}

void CVlanAddLogic::Undo(const VlanWrite& write, const VlanMembers& original, Step failed,
                         WriteResult& result) {
    if (failed == kPrepareRow || (!write.add && write.vidText == "1" && failed == kUntagged)) {
        return;  // the first write was refused: nothing was changed
    }
    if (write.add) {
        result.undone = SetRowStatus(write.vidText, "6");
        return;
    }
    // Members as read: the egress set first, so that the untagged set always lies within it.
    bool undone = SetPortList(PortBitmap(original.egress), write.vidText, ksx::vlan::kEgressColumn);
    undone = SetPortList(PortBitmap(original.untagged), write.vidText, ksx::vlan::kUntaggedColumn) && undone;
    undone =
        SetPortList(PortBitmap(original.forbidden), write.vidText, ksx::vlan::kForbiddenColumn) && undone;
    if (write.vidText != "1") {
        undone = SetRowStatus(write.vidText, "1") && undone;
    }
    result.undone = undone;
}
