// SNMP agent configuration access.
#include "features/snmp_agent/SNMPConfig.h"

#include <vector>

#include "controls/EditEXIPV6.h"
#include "core/CodeConvert.h"
#include "core/SnmpReply.h"
#include "core/Utils.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"

using namespace ksx;

namespace {

std::string Column(const char* entry, int column) {
    return std::string(entry) + "." + std::to_string(column);
}

std::vector<std::string> Columns(const char* entry, std::initializer_list<int> columns) {
    std::vector<std::string> out;
    for (int c : columns) {
        out.push_back(Column(entry, c));
    }
    return out;
}

// Binding i of a walk step when it belongs to the same row as binding 0 (a column with a hole would
// otherwise lend the next row's value).
bool SameRow(const WalkStep& step, int i) {
    return step.Has(i) && step.Index(i) == step.Index(0);
}

std::optional<std::string> RowOctets(const WalkStep& step, int i) {
    return SameRow(step, i) ? step.Octets(i) : std::nullopt;
}

std::optional<long long> RowInteger(const WalkStep& step, int i) {
    return SameRow(step, i) ? step.Integer(i) : std::nullopt;
}

std::string NameText(const std::optional<std::string>& utf8) {
    std::string text;
    if (utf8) {
        CCodeConvert::UTF8ToAnsi(*utf8, &text);
    }
    return text;
}

std::string NumberText(const std::optional<long long>& value) {
    return value ? std::to_string(*value) : std::string();
}

// The code's text from a list starting at code 1; empty outside it (or when not read).
std::string CodeText(const std::optional<long long>& code, std::initializer_list<const char*> texts) {
    if (!code || *code < 1 || *code > static_cast<long long>(texts.size())) {
        return std::string();
    }
    return *(texts.begin() + (*code - 1));
}

// A name as UTF-8, as the agent keeps names (the read converts back).
std::string Utf8(const std::string& text) {
    char buffer[128] = {};
    CCodeConvert::AnsiToUTF8(text, buffer, sizeof buffer);
    return buffer;
}

std::vector<std::string> Split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        const size_t end = text.find(sep, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) {
            return parts;
        }
        start = end + 1;
    }
}

bool ParseCount(const std::string& text, size_t* out) {
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    *out = static_cast<size_t>(std::stoul(text));
    return true;
}

bool IsLinkLocal(const std::string& address) {
    return address.rfind("fe8", 0) == 0 || address.rfind("fe9", 0) == 0 || address.rfind("fea", 0) == 0 ||
           address.rfind("feb", 0) == 0;
}

SNMP_USER_ROW ParseUser(const WalkStep& s) {
    SNMP_USER_ROW row;
    row.userName = NameText(s.Octets(0));
    row.version = CodeText(RowInteger(s, 1), {"V1", "V2c", "V3"});
    row.groupName = NameText(RowOctets(s, 2));
    row.authProtocol = CodeText(RowInteger(s, 3), {"None", "MD5", "SHA"});
    row.authKey = RowOctets(s, 4).value_or("");
    row.privProtocol = CodeText(RowInteger(s, 5), {"None", "DES_CBC"});
    row.privKey = RowOctets(s, 6).value_or("");
    row.rowStatus = NumberText(RowInteger(s, 7));
    return row;
}

// Arc `n` after the name in a row's instance (name length, name octets, then the arcs).
std::optional<long long> ArcAfterName(const std::string& instance, size_t n) {
    const std::vector<std::string> parts = Split(instance, '.');
    size_t length = 0;
    size_t value = 0;
    if (!ParseCount(parts[0], &length) || length + n >= parts.size() ||
        !ParseCount(parts[length + n], &value)) {
        return std::nullopt;
    }
    return static_cast<long long>(value);
}

SNMP_GROUP_ROW ParseGroup(const WalkStep& s) {
    SNMP_GROUP_ROW row;
    row.groupName = NameText(s.Octets(0));
    // Model and level are also the row's key: a column the device does not report is taken from it.
    std::optional<long long> model = RowInteger(s, 1);
    std::optional<long long> level = RowInteger(s, 2);
    row.model = CodeText(model ? model : ArcAfterName(s.Index(0), 1), {"v1", "v2c", "v3"});
    row.level =
        CodeText(level ? level : ArcAfterName(s.Index(0), 2), {"NoAuthNoPriv", "AuthNoPriv", "AuthPriv"});
    row.readView = NameText(RowOctets(s, 3));
    row.writeView = NameText(RowOctets(s, 4));
    row.notifyView = NameText(RowOctets(s, 5));
    row.rowStatus = NumberText(RowInteger(s, 6));
    return row;
}

SNMP_VIEW_ROW ParseView(const WalkStep& s) {
    SNMP_VIEW_ROW row;
    row.viewName = NameText(s.Octets(0));
    // The instance is the name's length and octets, the subtree's length and the subtree.
    const std::vector<std::string> parts = Split(s.Index(0), '.');
    size_t nameLength = 0;
    size_t subtreeLength = 0;
    if (ParseCount(parts[0], &nameLength) && nameLength + 1 < parts.size() &&
        ParseCount(parts[nameLength + 1], &subtreeLength)) {
        for (size_t i = nameLength + 2; i < parts.size(); ++i) {
            row.subtree += (row.subtree.empty() ? "" : ".") + parts[i];
        }
        // Mask: one octet per sub-identifier, never more than the value holds.
        const std::string mask = RowOctets(s, 1).value_or("");
        for (size_t i = 0; i < subtreeLength && i < mask.size(); ++i) {
            row.mask += (i == 0 ? "" : ".") + std::to_string(static_cast<unsigned char>(mask[i]));
        }
    }
    row.type = CodeText(RowInteger(s, 2), {"Included", "Excluded"});
    row.rowStatus = NumberText(RowInteger(s, 3));
    return row;
}

SNMP_COMMUNITY_ROW ParseCommunity(const WalkStep& s) {
    SNMP_COMMUNITY_ROW row;
    row.community = NameText(s.Octets(0));
    row.userName = NameText(RowOctets(s, 1));
    row.rowStatus = NumberText(RowInteger(s, 2));
    return row;
}

// Host address octets by their type: four octets of type 1 dotted, sixteen of type 2 as IPv6 text;
// any other length or a length that does not fit the type gives no address.
std::string HostAddressText(const std::string& type, const std::optional<std::string>& octets) {
    if (!octets) {
        return std::string();
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(octets->data());
    if (type == "1" && octets->size() == 4) {
        return CUtils::HexToDottedDecimal(CUtils::FormatAddressBytes(bytes, 1));
    }
    if (type == "2" && octets->size() == 16) {
        return CUtils::CompressIPv6(CUtils::FormatAddressBytes(bytes, 2));
    }
    return std::string();
}

SNMP_HOST_ROW ParseHost(const WalkStep& s) {
    SNMP_HOST_ROW row;
    row.name = NameText(s.Octets(0));
    row.addressType = NumberText(RowInteger(s, 1));
    row.address = HostAddressText(row.addressType, RowOctets(s, 2));
    row.version =
        CodeText(RowInteger(s, 3), {"V1", "V2c", "V3-NoAuthNoPriv", "V3-AuthNoPriv", "V3-AuthPriv"});
    row.rowStatus = NumberText(RowInteger(s, 4));
    row.interfaceName = RowOctets(s, 5).value_or("");
    return row;
}

std::string HexOf(const std::string& octets) {
    static const char* const kDigits = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : octets) {
        hex += kDigits[c >> 4];
        hex += kDigits[c & 15];
    }
    return hex;
}

// Trap slots with objects, in the order the switches are read and written (the PoE ones last).
constexpr int kTrapSlotOrder[] = {0, 1, 2, 3, 4, 10};
constexpr int kPoeTrapSlots[] = {7, 8, 9};

}  // namespace

CSNMPConfig::CSNMPConfig()
    : m_stateRead(m_cCommonSNMP, {kStateOid},
                  [](const WalkStep& s) {
                      const auto v = s.Integer(0);
                      return std::optional<Value>(
                          Value{v ? std::optional<std::string>(std::to_string(*v)) : std::nullopt});
                  }),
      m_userRead(m_cCommonSNMPGetUse, Columns(kUserEntry, {1, 2, 3, 4, 5, 6, 7, 8}),
                 [](const WalkStep& s) { return std::optional<SNMP_USER_ROW>(ParseUser(s)); }),
      m_groupRead(m_cCommonSNMPTable, Columns(kGroupEntry, {1, 2, 3, 4, 5, 6, 7}),
                  [](const WalkStep& s) { return std::optional<SNMP_GROUP_ROW>(ParseGroup(s)); }),
      m_viewRead(m_cCommonSNMPTable, Columns(kViewEntry, {1, 3, 4, 5}),
                 [](const WalkStep& s) { return std::optional<SNMP_VIEW_ROW>(ParseView(s)); }),
      m_communityRead(m_cCommonSNMPTable, Columns(kCommunityEntry, {1, 2, 3}),
                      [](const WalkStep& s) { return std::optional<SNMP_COMMUNITY_ROW>(ParseCommunity(s)); }),
      m_hostRead(m_cCommonSNMPTable, Columns(kHostEntry, {3, 2, 1, 4, 6, 5}),
                 [](const WalkStep& s) { return std::optional<SNMP_HOST_ROW>(ParseHost(s)); }),
      m_engineRead(m_cCommonSNMPTable, {kEngineIdOid}, [](const WalkStep& s) {
          const auto octets = s.Octets(0);
          return std::optional<Value>(
              Value{octets ? std::optional<std::string>(HexOf(*octets)) : std::nullopt});
      }) {
    m_stateRead.onRow = [this](const Value& v) { m_stateValue = v.text; };
    m_stateRead.onEnd = [this](const WalkEnd& end) {
        if (end.stale) {
            return;
        }
        const std::optional<std::string> value = end.Ok() ? m_stateValue : std::nullopt;
        if (value) {
            m_strStateValue = *value;
        }
        if (onState) {
            onState(value);
        }
    };
    m_engineRead.onRow = [this](const Value& v) { m_engineValue = v.text; };
    m_engineRead.onEnd = [this](const WalkEnd& end) {
        if (!end.stale && onEngineId) {
            onEngineId(end.Ok() ? m_engineValue : std::nullopt);
        }
    };
    m_userRead.onRow = [this](const SNMP_USER_ROW& r) {
        if (onUserRow) {
            onUserRow(r);
        }
    };
    m_groupRead.onRow = [this](const SNMP_GROUP_ROW& r) {
        if (onGroupRow) {
            onGroupRow(r);
        }
    };
    m_viewRead.onRow = [this](const SNMP_VIEW_ROW& r) {
        if (onViewRow) {
            onViewRow(r);
        }
    };
    m_communityRead.onRow = [this](const SNMP_COMMUNITY_ROW& r) {
        if (onCommunityRow) {
            onCommunityRow(r);
        }
    };
    m_hostRead.onRow = [this](const SNMP_HOST_ROW& r) {
        if (onHostRow) {
            onHostRow(r);
        }
    };
    const auto tableEnd = [this](const WalkEnd& end) {
        if (!end.stale && onTableEnd) {
            onTableEnd(end);
        }
    };
    m_userRead.onEnd = tableEnd;
    m_groupRead.onEnd = tableEnd;
    m_viewRead.onEnd = tableEnd;
    m_hostRead.onEnd = [this, tableEnd](const WalkEnd& end) {
        TRACE("refresh finishing ...................");
        tableEnd(end);
    };
    // The community walk hands over to the user walk, whose end is the end of the whole read.
    m_communityRead.onEnd = [this](const WalkEnd& end) {
        if (end.stale) {
            return;
        }
        if (onCommunityEnd) {
            onCommunityEnd(end);
        }
        ReadUserTable();
    };

    for (WalkReader* reader :
         std::initializer_list<WalkReader*>{&m_stateRead, &m_userRead, &m_groupRead, &m_viewRead,
                                            &m_communityRead, &m_hostRead, &m_engineRead}) {
        m_sessions.Add(*reader);
    }
    m_sessions.Add(m_cCommonSNMP);
    m_sessions.Add(m_cCommonSNMPSet);
    m_sessions.Add(m_cCommonSNMPTable);
    m_sessions.Add(m_cCommonSNMPGetUse);
}

CSNMPConfig::~CSNMPConfig() = default;

void CSNMPConfig::CloseAll() {
    m_sessions.CloseAll();
    TRACE("==================m_cCommonSNMP.Close===============");
    TRACE("==================m_cCommonSNMPSet.Close===============");
    TRACE("==================m_cCommonSNMPTable.Close===============");
    TRACE("==================m_cCommonSNMPGetUse.Close===============");
}

void CSNMPConfig::CancelRequests() {
    m_cCommonSNMPSet.Cancel();
    m_cCommonSNMP.Cancel();
}

// ---- Reads ----

void CSNMPConfig::GetSnmpState() {
    m_stateValue.reset();
    m_stateRead.Read(OnSnmpStateWalk, this);
}

void CSNMPConfig::ReadUserTable() {
    m_userRead.Walk(OnUserTableWalk, this);
}

void CSNMPConfig::ReadGroupTable() {
    m_groupRead.Walk(OnGroupTableWalk, this);
}

void CSNMPConfig::ReadViewTable() {
    m_viewRead.Walk(OnViewTableWalk, this);
}

void CSNMPConfig::ReadCommunityTable() {
    m_communityRead.Walk(OnCommunityTableWalk, this);
}

void CSNMPConfig::ReadHostTable() {
    m_hostRead.Walk(OnHostTableWalk, this);
}

void CSNMPConfig::GetEngineId() {
    m_engineValue.reset();
    m_engineRead.Read(OnEngineIdWalk, this);
}

int CSNMPConfig::OnSnmpStateWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CSNMPConfig*>(userData)->m_stateRead.Step(response, requestId, status);
}

int CSNMPConfig::OnUserTableWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CSNMPConfig*>(userData)->m_userRead.Step(response, requestId, status);
}

int CSNMPConfig::OnGroupTableWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CSNMPConfig*>(userData)->m_groupRead.Step(response, requestId, status);
}

int CSNMPConfig::OnViewTableWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CSNMPConfig*>(userData)->m_viewRead.Step(response, requestId, status);
}

int CSNMPConfig::OnCommunityTableWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CSNMPConfig*>(userData)->m_communityRead.Step(response, requestId, status);
}

int CSNMPConfig::OnHostTableWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CSNMPConfig*>(userData)->m_hostRead.Step(response, requestId, status);
}

int CSNMPConfig::OnEngineIdWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CSNMPConfig*>(userData)->m_engineRead.Step(response, requestId, status);
}

std::string CSNMPConfig::TrapObject(int slot) {
    static const char* const kObjects[11] = {"1", "2", "3", "4", "5", nullptr, nullptr, "6", "7", "8", "11"};
    if (slot < 0 || slot > 10 || kObjects[slot] == nullptr) {
        return std::string();
    }
    return std::string(kTrapBranch) + "." + kObjects[slot] + ".0";
}

std::optional<SNMP_TRAP_SETTINGS> CSNMPConfig::ReadTrapSettings(int poeModel) {
    // Positions: slots 0 to 4, slot 10, slot 4's object again for slot 6, then the PoE slots.
    std::vector<int> order(std::begin(kTrapSlotOrder), std::end(kTrapSlotOrder));
    order.push_back(6);
    if (poeModel != 0) {
        order.insert(order.end(), std::begin(kPoeTrapSlots), std::end(kPoeTrapSlots));
    }
    if (Stopping()) {
        return std::nullopt;
    }
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_GET);
    for (int slot : order) {
        m_cCommonSNMP.AddVarBind(TrapObject(slot == 6 ? 4 : slot), 4, nullptr);
    }
    const SnmpReply reply = SendRequest(m_cCommonSNMP);
    if (!reply.Accepted()) {
        TRACE("--------iStatus = %d, error status %d", reply.status, reply.ErrorStatus());
        return std::nullopt;
    }
    // Each switch from the binding that names its object (the reply's values are matched to the
    // requested objects by OID): a binding the reply leaves out moves nothing, and a switch without
    // its own binding stays unread.
    SNMP_TRAP_SETTINGS settings;
    for (size_t k = 0; k < order.size(); ++k) {
        settings.slot[static_cast<size_t>(order[k])] = NumberText(reply.Integer(static_cast<int>(k)));
    }
    return settings;
}

// ---- Writes ----

bool CSNMPConfig::SendSet(CCommonSNMP& session) {
    m_lastAnswer = SnmpAnswer{};  // not sent
    if (Stopping()) {
        return false;
    }
    const SnmpReply reply = SendRequest(session);
    m_lastAnswer = reply.Answer();
    if (!m_lastAnswer.Accepted()) {
        TRACE("--------iStatus = %d, error status %d", reply.status, reply.ErrorStatus());
        return false;
    }
    return true;
}

bool CSNMPConfig::SetRowStatus(const std::string& oid, const std::string& status) {
    if (status != "1" && status != "5" && status != "6") {
        m_lastAnswer = SnmpAnswer{};
        AfxMessageBox(kTextBadStatus, MB_OK);
        return false;
    }
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPSet.AddVarBind(oid, 1, status.c_str());
    return SendSet(m_cCommonSNMPSet);
}

std::optional<long long> CSNMPConfig::GetRowStatus(const std::string& oid) {
    if (Stopping()) {
        return std::nullopt;
    }
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_GET);
    m_cCommonSNMPSet.AddVarBind(oid, 4, nullptr);
    return SendRequest(m_cCommonSNMPSet).Integer(0);
}

ksx::RowStatusAccess CSNMPConfig::StatusAccess(const std::string& oid) {
    ksx::RowStatusAccess access = ksx::StatusAccessOn(m_cCommonSNMPSet, oid);
    access.stopping = [this] { return Stopping(); };
    return access;
}

bool CSNMPConfig::SetSnmpState(const std::string& state) {
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPSet.AddVarBind(kStateOid, 1, state == "1" ? "1" : "2");
    return SendSet(m_cCommonSNMPSet);
}

int CSNMPConfig::SetUser(const std::string& userName, const std::string& version,
                         const std::string& groupName, const std::string& authProtocol,
                         const std::string& authPassword, const std::string& privProtocol,
                         const std::string& privPassword) {
    const std::string key = MakeGroupIndex(userName, version);
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    const std::string group = Utf8(groupName);
    m_cCommonSNMPSet.AddVarBind(Column(kUserEntry, 3) + key, 2, group.c_str());
    if (!SendSet(m_cCommonSNMPSet)) {
        return 1;
    }
    if (version != "V3") {
        return 0;
    }
    // Protocols: "1" for no authentication (an empty integer is no value).
    const std::string authCode = authProtocol == "MD5" ? "2" : authProtocol == "SHA" ? "3" : "1";
    const bool priv = privProtocol != "None";
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPSet.AddVarBind(Column(kUserEntry, 4) + key, 1, authCode.c_str());
    if (priv) {
        m_cCommonSNMPSet.AddVarBind(Column(kUserEntry, 6) + key, 1, "2");
    }
    if (!SendSet(m_cCommonSNMPSet)) {
        return 2;
    }
    // Passwords only for the protocols that use them.
    if (authCode == "1" && !priv) {
        return 0;
    }
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    if (authCode != "1") {
        m_cCommonSNMPSet.AddVarBind(Column(kUserEntry, 5) + key, 2, authPassword.c_str());
    }
    if (priv) {
        m_cCommonSNMPSet.AddVarBind(Column(kUserEntry, 7) + key, 2, privPassword.c_str());
    }
    return SendSet(m_cCommonSNMPSet) ? 0 : 3;
}

bool CSNMPConfig::SetGroup(const std::string& groupName, const std::string& model, const std::string& level,
                           const std::string& readView, const std::string& writeView,
                           const std::string& notifyView) {
    const std::string key = MakeGroupKey(groupName, model, level);
    const char* levelCode = level == "NoAuthNoPriv" ? "1" : level == "AuthNoPriv" ? "2" : "3";
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    // The level is part of the key; its column is written as well, first.
    m_cCommonSNMPSet.AddVarBind(Column(kGroupEntry, 3) + key, 1, levelCode);
    const std::string* views[] = {&readView, &writeView, &notifyView};
    for (int i = 0; i < 3; ++i) {
        if (!views[i]->empty()) {
            const std::string name = Utf8(*views[i]);
            m_cCommonSNMPSet.AddVarBind(Column(kGroupEntry, 4 + i) + key, 2, name.c_str());
        }
    }
    return SendSet(m_cCommonSNMPSet);
}

bool CSNMPConfig::SetView(const std::string& viewName, const std::string& subtree, const std::string& mask,
                          const std::string& type) {
    const std::string key = MakeViewKey(viewName, subtree);
    std::string hex;
    for (const std::string& part : Split(mask, '.')) {
        hex += part == "0" ? "00" : part == "1" ? "01" : part;
    }
    const std::vector<unsigned char> octets = CUtils::HexToBytes(hex);
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPSet.AddVarBind(Column(kViewEntry, 3) + key, 2, reinterpret_cast<const char*>(octets.data()),
                                static_cast<int>(octets.size()));
    m_cCommonSNMPSet.AddVarBind(Column(kViewEntry, 4) + key, 1, type == "Included" ? "1" : "2");
    return SendSet(m_cCommonSNMPSet);
}

bool CSNMPConfig::SetCommunity(const std::string& community, const std::string& userName) {
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    // The user name travels as UTF-8, as the walk reads it back.
    const std::string user = Utf8(userName);
    m_cCommonSNMPSet.AddVarBind(Column(kCommunityEntry, 2) + StringToOidIndex(community), 2, user.c_str());
    return SendSet(m_cCommonSNMPSet);
}

bool CSNMPConfig::SetHost(const std::string& name, const std::string& addressIndex,
                          const std::string& versionCode) {
    (void)addressIndex;  // recomputed from the edit
    if (m_pAddressEdit == nullptr) {
        m_lastAnswer = SnmpAnswer{};
        return false;
    }
    return SetHost(name, HostAddressOf(*m_pAddressEdit), versionCode);
}

SNMP_HOST_ADDRESS CSNMPConfig::HostAddressOf(CEditEXIPV6& edit) {
    SNMP_HOST_ADDRESS address;
    address.index = edit.GetAddressOidIndex();  // sets the octet count
    address.length = edit.m_nIndexLen;
    address.type = edit.m_strAddrType;
    address.address = edit.m_strAddress;
    address.interfaceName = edit.m_strInterface;
    return address;
}

bool CSNMPConfig::SetHost(const std::string& name, const SNMP_HOST_ADDRESS& address,
                          const std::string& versionCode) {
    const std::string key = MakeHostKey(address.length, address.index, address.type);
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    const std::string text = Utf8(name);
    m_cCommonSNMPSet.AddVarBind(Column(kHostEntry, 3) + key, 2, text.c_str());
    m_cCommonSNMPSet.AddVarBind(Column(kHostEntry, 4) + key, 1, versionCode.c_str());
    if (IsLinkLocal(address.address)) {
        m_cCommonSNMPSet.AddVarBind(Column(kHostEntry, 5) + key, 2, address.interfaceName.c_str());
    }
    return SendSet(m_cCommonSNMPSet);
}

std::string CSNMPConfig::DefaultEngineId(const std::string& model) {
    if (model == "KSX-4600-20" || model == "KSX-4600-28") {
        return "4b53582d343630302d3230000102030405";
    }
    if (model == "KSX-4600-52") {
        return "4b53582d343630302d3532001500062052";
    }
    return std::string();
}

bool CSNMPConfig::SetEngineId(const std::string& hexText, bool useDefault) {
    std::string text = useDefault ? DefaultEngineId(g_strDeviceName) : hexText;
    if (useDefault && text.empty()) {
        m_lastAnswer = SnmpAnswer{};
        return false;  // no default for this model: an empty engine ID is no engine ID
    }
    if (text.size() % 2 != 0) {
        text = "0" + text;
    }
    const std::vector<unsigned char> octets = CUtils::HexToBytes(text);
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPSet.AddVarBind(kEngineIdOid, 2, reinterpret_cast<const char*>(octets.data()),
                                static_cast<int>(octets.size()));
    return SendSet(m_cCommonSNMPSet);
}

bool CSNMPConfig::SetTrapSettings(const SNMP_TRAP_SETTINGS& settings, int poeModel) {
    std::vector<int> order(std::begin(kTrapSlotOrder), std::end(kTrapSlotOrder));
    if (poeModel != 0) {
        order.insert(order.end(), std::begin(kPoeTrapSlots), std::end(kPoeTrapSlots));
    }
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    int added = 0;
    for (int slot : order) {
        const std::string& value = settings.slot[static_cast<size_t>(slot)];
        if (!value.empty()) {
            m_cCommonSNMP.AddVarBind(TrapObject(slot), 1, value.c_str());
            ++added;
        }
    }
    if (added == 0) {
        m_lastAnswer = SnmpAnswer{};
        m_lastAnswer.outcome = SnmpOutcome::kAccepted;
        return true;
    }
    return SendSet(m_cCommonSNMP);
}

// ---- Index texts and checks ----

std::string CSNMPConfig::StringToOidIndex(const std::string& text) {
    std::string index = "." + std::to_string(text.size());
    for (unsigned char c : text) {
        index += "." + std::to_string(static_cast<unsigned>(c));
    }
    return index;
}

std::string CSNMPConfig::MakeGroupIndex(const std::string& name, const std::string& model) {
    std::string index = StringToOidIndex(name);
    if (model == "v1" || model == "V1") {
        index += ".1";
    } else if (model == "v2c" || model == "V2c") {
        index += ".2";
    } else if (model == "v3" || model == "V3") {
        index += ".3";
    }
    return index;
}

std::string CSNMPConfig::MakeGroupKey(const std::string& name, const std::string& model,
                                      const std::string& level) {
    return MakeGroupIndex(name, model) + (level == "NoAuthNoPriv" ? ".1"
                                          : level == "AuthNoPriv" ? ".2"
                                                                  : ".3");
}

std::string CSNMPConfig::MakeViewKey(const std::string& name, const std::string& subtree) {
    return StringToOidIndex(name) + "." + std::to_string(Split(subtree, '.').size()) + "." + subtree;
}

std::string CSNMPConfig::MakeHostKey(int length, const std::string& addressIndex, const std::string& type) {
    return "." + std::to_string(length) + "." + addressIndex + "." + type;
}

bool CSNMPConfig::IsValidName(const std::string& text) {
    return text.find_first_of("~`!@#$%^&*{}[]|\\:;\"'<>,.?/") == std::string::npos;
}
