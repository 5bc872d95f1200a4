#include "features/common/TrunkTable.h"

#include <algorithm>
#include <climits>

#include "core/Utils.h"

namespace ksx::trunk {

std::string ChannelModeText(std::string_view value) {
    if (value == "1") {
        return "LACP";
    }
    if (value == "2") {
        return "Static";
    }
    return "Disable";
}

int TrunkIdFromSuffix(std::string_view suffix) {
    if (!suffix.empty() && suffix.front() == '.') {
        suffix.remove_prefix(1);
    }
    if (suffix.empty() || suffix.size() > 9) {
        return 0;
    }
    int id = 0;
    for (char c : suffix) {
        if (c < '0' || c > '9') {
            return 0;
        }
        id = id * 10 + (c - '0');
    }
    return id;
}

TrunkRow ParseTrunkRow(std::string_view suffix, std::string_view memberOctets, std::string_view mode) {
    TrunkRow row;
    row.id = TrunkIdFromSuffix(suffix);
    row.members = CUtils::PortBitmapToList(memberOctets, &row.memberCount);
    row.mode = std::string(mode);
    return row;
}

std::string MemberBitmap(const int* flags) {
    std::string hex;
    CUtils::PortArrayToHex(flags, hex);
    CUtils::PadPortHex(hex);
    const std::vector<unsigned char> octets = CUtils::HexToBytes(hex);
    return std::string(octets.begin(), octets.end());
}

}  // namespace ksx::trunk

CTrunkGroups::CTrunkGroups(int ports) : m_groups(static_cast<size_t>(std::max(ports, 0)), 0) {}

void CTrunkGroups::Reset() {
    std::fill(m_groups.begin(), m_groups.end(), 0);
    m_state = State::kNotRead;
}

void CTrunkGroups::BeginRead() {
    m_state = State::kReading;
}

void CTrunkGroups::Assign(const std::vector<int>& groups) {
    std::copy_n(groups.begin(), std::min(groups.size(), m_groups.size()), m_groups.begin());
}

void CTrunkGroups::AddMembers(int group, const std::vector<int>& ports) {
    if (group <= 0) {
        return;
    }
    for (int port : ports) {
        if (port >= 1 && port <= PortCount()) {
            m_groups[static_cast<size_t>(port - 1)] = group;
        }
    }
}

int CTrunkGroups::AddRow(std::string_view suffix, std::string_view memberOctets) {
    const int id = ksx::trunk::TrunkIdFromSuffix(suffix);
    if (id <= 0) {
        return 0;
    }
    // Port p is bit 7 - (p - 1) % 8 of octet (p - 1) / 8; octets past the value count as no member.
    int set = 0;
    const size_t ports = std::min(m_groups.size(), memberOctets.size() * 8);
    for (size_t i = 0; i < ports; ++i) {
        const auto octet = static_cast<unsigned char>(memberOctets[i / 8]);
        if (octet & (0x80u >> (i % 8))) {
            m_groups[i] = id;
            ++set;
        }
    }
    return set;
}

void CTrunkGroups::EndRead(int status) {
    m_state = status == -2 ? State::kEnded : State::kFailed;
}

int CTrunkGroups::GroupOf(int port) const {
    if (port < 1 || port > PortCount()) {
        return 0;
    }
    return m_groups[static_cast<size_t>(port - 1)];
}

std::vector<int> CTrunkGroups::MembersOf(int group) const {
    std::vector<int> ports;
    if (group == 0) {
        return ports;
    }
    for (size_t i = 0; i < m_groups.size(); ++i) {
        if (m_groups[i] == group) {
            ports.push_back(static_cast<int>(i) + 1);
        }
    }
    return ports;
}

int CTrunkGroups::FirstPartlySetTrunkPort(const int* flags) const {
    if (flags == nullptr) {
        return 0;
    }
    for (size_t i = 0; i < m_groups.size(); ++i) {
        if (flags[i] == 0 || m_groups[i] == 0) {
            continue;
        }
        for (size_t j = 0; j < m_groups.size(); ++j) {
            if (m_groups[j] == m_groups[i] && flags[j] == 0) {
                return static_cast<int>(i) + 1;
            }
        }
    }
    return 0;
}

int CTrunkGroups::FirstMixedTrunkPort(const int* values) const {
    if (values == nullptr) {
        return 0;
    }
    for (size_t i = 0; i < m_groups.size(); ++i) {
        if (values[i] == 0 || m_groups[i] == 0) {
            continue;
        }
        for (size_t j = 0; j < m_groups.size(); ++j) {
            if (m_groups[j] == m_groups[i] && values[j] != values[i]) {
                return static_cast<int>(i) + 1;
            }
        }
    }
    return 0;
}

CTrunkMembership::CTrunkMembership(int ports) : m_groups(ports) {
    m_trunkRead.onRow = [this](const TrunkRow& row) { m_groups.AddMembers(row.group, row.ports); };
    m_trunkRead.onEnd = [this](const ksx::WalkEnd& end) {
        // A walk that did not reach the end of the column is a failed read, whatever ended it.
        m_groups.EndRead(end.Ok() ? ksx::kWalkEndOfTable
                                  : (end.status == ksx::kWalkEndOfTable ? -1 : end.status));
        if (m_onEnd) {
            m_onEnd(m_groups);
        }
    };
}

void CTrunkMembership::Read(std::function<void(const CTrunkGroups&)> onEnd) {
    m_onEnd = std::move(onEnd);
    m_groups.BeginRead();
    ReadTrunkPorts();
}
