// 802.1X settings logic.
#include "features/security/8021XSettingLogic.h"

#include <optional>

#include "core/Utils.h"
#include "platform/sys/Debug.h"

namespace {

const char kMasked[] = "*****";

std::string Column(const char* table, int column) {
    return std::string(C8021XSettingLogic::kDot1x) + table + std::to_string(column);
}

// The port table's columns in binding order, and the field each feeds.
constexpr int kPortColumns[] = {1, 11, 9, 6, 2, 3, 4, 5, 7, 8, 10};

std::vector<std::string> Oids(const int* columns, int count, std::string (*column)(int)) {
    std::vector<std::string> oids;
    for (int i = 0; i < count; ++i) {
        oids.push_back(column(columns[i]));
    }
    return oids;
}

std::vector<std::string> Range(int first, int last, std::string (*column)(int)) {
    std::vector<std::string> oids;
    for (int c = first; c <= last; ++c) {
        oids.push_back(column(c));
    }
    return oids;
}

int IntOr0(const ksx::WalkStep& s, int i) {
    const std::optional<long long> v = s.Integer(i);
    return v ? static_cast<int>(*v) : 0;
}

X8021_statistics_info ParsePortRow(const ksx::WalkStep& s) {
    X8021_statistics_info row;
    // The port number from its column, or from the row's index when that column did not come.
    row.port = s.Integer(0) ? IntOr0(s, 0) : s.IndexInt(0);
    if (const auto v = s.Integer(1)) {
        row.direction = *v == 0 ? "Both" : "In";
    }
    if (const auto v = s.Integer(2)) {
        row.portControl = *v == 1   ? "Force UnAhthorized"
                          : *v == 2 ? "Auto"
                          : *v == 3 ? "Force Authorized"
                                    : "";
    }
    // Columns 3 to 8 feed the six numbers in their order.
    int* const numbers[] = {&row.txPeriod,      &row.quietPeriod, &row.suppTimeout,
                            &row.serverTimeout, &row.maxReq,      &row.reAuthPeriod};
    for (int n = 0; n < X8021_statistics_info::kNumbers; ++n) {
        if (const auto v = s.Integer(3 + n)) {
            *numbers[n] = static_cast<int>(*v);
            row.numberRead[static_cast<size_t>(n)] = true;
        }
    }
    if (const auto v = s.Integer(9)) {
        row.reAuth = *v == 2 ? "Disabled" : "Enabled";
    }
    if (const auto v = s.Integer(10)) {
        row.capability = *v == 2 ? "None" : *v == 1 ? "Authenticator" : "";
    }
    return row;
}

X8021_User_Statistics_Info ParseUserRow(const ksx::WalkStep& s) {
    X8021_User_Statistics_Info row;
    row.userName = s.Octets(0).value_or(std::string());
    if (s.Octets(1)) {
        row.password = kMasked;
    }
    row.rowStatus = IntOr0(s, 2);
    return row;
}

X8021_AuRadiusServer_Statistics_info ParseRadiusRow(const ksx::WalkStep& s) {
    X8021_AuRadiusServer_Statistics_info row;
    // The server's index from its column, or from the row's index when that column did not come.
    row.index = s.Integer(0) ? IntOr0(s, 0) : s.IndexInt(0);
    row.addressType = IntOr0(s, 1);
    // The address is shown as its type says: without the type it is not shown at all.
    if (const auto octets = s.Integer(1) ? s.Octets(2) : std::nullopt) {
        row.address = C8021XSettingLogic::FormatRadiusAddress(row.addressType, *octets);
    }
    row.column4 = s.Any(3).value_or(std::string());
    int* const numbers[] = {&row.authPort, &row.acctPort, &row.timeout, &row.retransmit};
    for (int n = 0; n < 4; ++n) {
        if (const auto v = s.Integer(4 + n)) {
            *numbers[n] = static_cast<int>(*v);
            row.numberRead[static_cast<size_t>(n)] = true;
        }
    }
    if (s.Octets(8)) {
        row.key = kMasked;
    }
    row.rowStatus = IntOr0(s, 9);
    return row;
}

}  // namespace

std::string X8021_AuRadiusServer_Statistics_info::NumberText(int n) const {
    if (n < 0 || n >= 4 || !numberRead[static_cast<size_t>(n)]) {
        return {};
    }
    const int values[] = {authPort, acctPort, timeout, retransmit};
    return std::to_string(values[n]);
}

std::string X8021_statistics_info::NumberText(Number n) const {
    if (n < 0 || n >= kNumbers || !numberRead[static_cast<size_t>(n)]) {
        return std::string();
    }
    const int values[] = {txPeriod, quietPeriod, suppTimeout, serverTimeout, maxReq, reAuthPeriod};
    return std::to_string(values[n]);
}

C8021XSettingLogic::C8021XSettingLogic()
    : m_portRead(m_cCommonSNMPTable, Oids(kPortColumns, 11, PortColumn),
                 [](const ksx::WalkStep& s) { return std::optional(ParsePortRow(s)); }),
      m_userRead(m_cCommonSNMPTable, Range(1, 3, UserColumn),
                 [](const ksx::WalkStep& s) { return std::optional(ParseUserRow(s)); }),
      m_radiusRead(m_cCommonSNMPTable, Range(1, 10, RadiusColumn),
                   [](const ksx::WalkStep& s) { return std::optional(ParseRadiusRow(s)); }) {
    m_sessions.Add(m_portRead);
    m_sessions.Add(m_userRead);
    m_sessions.Add(m_radiusRead);
    m_sessions.Add(m_cCommonSNMPExtra1);
    m_sessions.Add(m_cCommonSNMPExtra2);
    // Rows reach the lists on the UI thread, so the dialogs read them without a lock.
    m_portRead.onRow = [this](const X8021_statistics_info& row) { m_PortList.push_back(row); };
    m_userRead.onRow = [this](const X8021_User_Statistics_Info& row) { m_UserList.push_back(row); };
    m_radiusRead.onRow = [this](const X8021_AuRadiusServer_Statistics_info& row) {
        m_RadiusList.push_back(row);
    };
    m_portRead.onEnd = [this](const ksx::WalkEnd& end) { Ended(end); };
    m_userRead.onEnd = [this](const ksx::WalkEnd& end) { Ended(end); };
    m_radiusRead.onEnd = [this](const ksx::WalkEnd& end) { Ended(end); };
}

C8021XSettingLogic::~C8021XSettingLogic() = default;

std::string C8021XSettingLogic::PortColumn(int column) {
    return Column(".2.1.1.", column);
}

std::string C8021XSettingLogic::UserColumn(int column) {
    return Column(".3.1.1.", column);
}

std::string C8021XSettingLogic::RadiusColumn(int column) {
    return Column(".4.2.1.", column);
}

std::string C8021XSettingLogic::UserNameIndex(const std::string& name) {
    std::string index = "." + std::to_string(name.size());
    for (unsigned char c : name) {
        index += "." + std::to_string(static_cast<int>(c));
    }
    return index;
}

std::string C8021XSettingLogic::FormatRadiusAddress(int type, const std::string& octets) {
    // The helper reads 4 or 16 octets: give it only a value of that length.
    const auto* bytes = reinterpret_cast<const unsigned char*>(octets.data());
    if (type == 2) {
        return octets.size() == 16 ? CUtils::CompressIPv6(CUtils::FormatAddressBytes(bytes, 2))
                                   : std::string();
    }
    if (octets.size() != 4) {
        return std::string();
    }
    const std::string hex = CUtils::FormatAddressBytes(bytes, type);
    return type == 1 ? CUtils::HexToDottedDecimal(hex) : hex;
}

bool C8021XSettingLogic::ReadPortSettings() {
    m_PortList.clear();
    m_portRead.Walk(OnPortSettingsWalk, this);
    return true;
}

bool C8021XSettingLogic::ReadUsers() {
    m_UserList.clear();
    m_userRead.Walk(OnUsersWalk, this);
    return false;
}

bool C8021XSettingLogic::ReadRadiusServers() {
    m_RadiusList.clear();
    m_radiusRead.Walk(OnRadiusServersWalk, this);
    return true;
}

int C8021XSettingLogic::OnPortSettingsWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<C8021XSettingLogic*>(userData)->m_portRead.Step(response, requestId, status);
}

int C8021XSettingLogic::OnUsersWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<C8021XSettingLogic*>(userData)->m_userRead.Step(response, requestId, status);
}

int C8021XSettingLogic::OnRadiusServersWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<C8021XSettingLogic*>(userData)->m_radiusRead.Step(response, requestId, status);
}

void C8021XSettingLogic::Ended(const ksx::WalkEnd& end) {
    if (!end.Ok()) {
        TRACE("iStatus != CSnmp4w::EC_NO_ERROR (%d)", end.status);
    }
    m_lastEnd = end;
    if (m_hOwnerWnd != nullptr) {
        m_hOwnerWnd->SendMessage(end.stale ? WM_SNMP_WALK_STALE : WM_SNMP_WALK_END, 0, 0);
    }
}
