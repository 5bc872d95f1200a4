// Trunk member checks.
#include "features/layer2/TrunkSettingLogic.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <thread>

#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "core/TextNumbers.h"
#include "core/Utils.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/sys/Tunable.h"
#include "res/ids_trunk.h"

namespace {

const std::string P = "1.3.6.1.4.1.7393.10.76.20.1";
const ksx::Tunable kPortTablePauseMs("trunk.port-table-pause-ms", 500);  // before the port table walk

// Port numbers of a comma-separated list text.
std::vector<int> ListPorts(const std::string& list) {
    std::vector<int> ports;
    size_t begin = 0;
    while (begin < list.size()) {
        size_t end = list.find(',', begin);
        if (end == std::string::npos) {
            end = list.size();
        }
        const std::string item = ksx::text::Trimmed(std::string_view(list).substr(begin, end - begin));
        if (!item.empty()) {
            ports.push_back(ksx::text::LeadingInt(item));
        }
        begin = end + 1;
    }
    return ports;
}

std::string ListOf(const std::string& octets) {
    int count = 0;
    return CUtils::PortBitmapToList(octets, &count);
}

int Number(const std::string& text) {
    return ksx::text::LeadingInt(text);
}

// The port a one-number row index names, 0 when it names none of 1..count.
int PortOf(const std::string& suffix, int count) {
    if (suffix.empty() || !ksx::text::IsDecimalText(suffix)) {
        return 0;
    }
    const int port = ksx::text::LeadingInt(suffix);
    return port >= 1 && port <= count ? port : 0;
}

using Tables = CTrunkSettingLogic::Tables;

}  // namespace

CTrunkSettingLogic::CTrunkSettingLogic() {
    m_state.fill(LOAD_PENDING);
    m_status.fill(0);
    using ksx::trunk::kMemberColumn;
    using ksx::trunk::kModeColumn;

    MakeReader(LOAD_TRUNK, m_cCommonSNMPTableTrunk, {kMemberColumn, kModeColumn}, true,
               [](Tables& t, int, const Step& b) {
                   if (!b.empty() && b[0].inColumn) {
                       t.trunkGroups.AddRow(b[0].suffix, b[0].value);
                   }
               });
    MakeReader(LOAD_VLAN, m_cCommonSNMPTableVlan, {P + ".7.6.1.2", P + ".7.6.1.4"}, true,
               [](Tables& t, int, const Step& b) {
                   std::vector<std::string>* sets[] = {&t.vlanEgress, &t.vlanUntagged};
                   for (size_t i = 0; i < 2 && i < b.size(); ++i) {
                       const std::string list = b[i].inColumn ? ListOf(b[i].value) : std::string();
                       if (!list.empty()) {
                           sets[i]->push_back(list);
                       }
                   }
               });
    MakeReader(LOAD_ACL, m_cCommonSNMPTableACL, {P + ".15.2.1.1.10"}, true,
               [](Tables& t, int, const Step& b) {
                   const std::string list = !b.empty() && b[0].inColumn ? ListOf(b[0].value) : std::string();
                   if (!list.empty()) {
                       t.aclSets.push_back(list);
                   }
               });
    MakeReader(LOAD_MIRROR_SOURCES, m_cCommonSNMPMirror, {P + ".18.3.0", P + ".18.4.0", P + ".9.2.0"}, false,
               [](Tables& t, int, const Step& b) {
                   if (b.size() >= 3) {
                       t.mirrorRx = ListOf(b[0].value);
                       t.mirrorTx = ListOf(b[1].value);
                       t.learning = ListOf(b[2].value);
                   }
               });
    MakeReader(LOAD_ARP, m_cCommonSNMPTableArp, {P + ".14.3.1.1.3"}, true, [](Tables& t, int, const Step& b) {
        const std::string list = !b.empty() && b[0].inColumn ? ListOf(b[0].value) : std::string();
        if (!list.empty()) {
            t.arpSets.push_back(list);  // every entry is checked, not only the last
        }
    });
    MakeReader(LOAD_SURVEILLANCE, m_cCommonSNMPTableSurveillance, {P + ".26.1.5.1.2", P + ".26.1.5.1.3"},
               true, [](Tables& t, int count, const Step& b) {
                   std::vector<int>* cols[] = {&t.surveillanceAuto, &t.surveillanceStatus};
                   for (size_t i = 0; i < 2 && i < b.size(); ++i) {
                       if (const int port = b[i].inColumn ? PortOf(b[i].suffix, count) : 0) {
                           (*cols[i])[static_cast<size_t>(port - 1)] = Number(b[i].value);
                       }
                   }
               });
    // Three tables stepped together: each binding is stored under its own row's port, so a table with
    // fewer rows (or one that ended) cannot shift the others.
    MakeReader(LOAD_RSTP, m_cCommonSNMPTableRstp,
               {P + ".6.2.1.4", P + ".6.2.1.2", P + ".6.2.1.5", P + ".6.2.1.16", P + ".6.2.1.18",
                P + ".6.2.1.17", P + ".6.2.1.14", P + ".23.2.1.1.9", P + ".21.1.6.1.2"},
               true, [](Tables& t, int count, const Step& b) {
                   for (size_t i = 0; i < b.size() && i < 9; ++i) {
                       const int port = b[i].inColumn ? PortOf(b[i].suffix, count) : 0;
                       if (port == 0) {
                           continue;
                       }
                       const size_t at = static_cast<size_t>(port - 1);
                       if (i < 7) {
                           t.rstp[at][i] = Number(b[i].value);
                       } else if (i == 7) {
                           t.dot1x[at] = Number(b[i].value);
                       } else {
                           t.voice[at] = Number(b[i].value);
                       }
                   }
               });
    MakeReader(LOAD_PORTS, m_cCommonSNMPTableGetVlanTrunk,
               {P + ".1.13.1.2", P + ".12.3.1.1.2", P + ".7.7.1.1", P + ".14.2.1.1.2", P + ".1.13.1.7",
                P + ".17.5.1.2", P + ".13.1.2.1.2", P + ".13.1.2.1.3"},
               true, [](Tables& t, int count, const Step& b) {
                   std::vector<int>* cols[] = {&t.speed,  &t.priority, &t.pvid,   &t.portSecurity,
                                               &t.medium, &t.lbd,      &t.rateTx, &t.rateRx};
                   for (size_t i = 0; i < b.size() && i < 8; ++i) {
                       if (const int port = b[i].inColumn ? PortOf(b[i].suffix, count) : 0) {
                           (*cols[i])[static_cast<size_t>(port - 1)] = Number(b[i].value);
                       }
                   }
               });
    // The tables stepped together each keep rows of their own (the first one is walked to its end).
    m_readers[LOAD_RSTP]->SetGroups({0, 0, 0, 0, 0, 0, 0, 1, 2});
    m_readers[LOAD_PORTS]->SetGroups({0, 1, 2, 3, 0, 4, 5, 5});
    MakeReader(LOAD_MIRROR_TARGET, m_cCommonSNMPPoint, {P + ".18.1.0", P + ".18.2.0"}, false,
               [](Tables& t, int, const Step& b) {
                   if (b.size() >= 2) {
                       t.mirrorState = Number(b[0].value);
                       t.mirrorTarget = Number(b[1].value);
                   }
               });
    MakeReader(LOAD_STATIC_MAC, m_cCommonSNMPTableStaticPor, {P + ".9.3.1.3"}, true,
               [](Tables& t, int, const Step& b) {
                   if (!b.empty() && b[0].inColumn) {
                       t.staticMacPorts.push_back(Number(b[0].value));
                   }
               });
    MakeReader(LOAD_GLOBAL_STATES, m_cCommonSNMP, {P + ".11.2.1.0", P + ".6.1.1.0", P + ".26.1.1.0"}, false,
               [](Tables& t, int, const Step& b) {
                   if (b.size() >= 3) {
                       t.dot1xState = b[0].value == "1" ? 1 : 2;
                       t.rstpState = b[1].value == "1" ? 1 : 2;
                       t.surveillanceState = b[2].value == "1" ? 1 : 2;
                   }
               });
}

void CTrunkSettingLogic::MakeReader(int load, CCommonSNMP& session, std::vector<std::string> oids, bool walk,
                                    RowHandler onRow) {
    const size_t at = static_cast<size_t>(load);
    m_walk[at] = walk;
    m_readers[at] =
        std::make_unique<ksx::TableRead<Step>>(session, std::move(oids), [](const ksx::WalkStep& s) {
            Step step(static_cast<size_t>(std::max(s.Columns(), 0)));
            for (size_t i = 0; i < step.size(); ++i) {
                // Each column's value with its own row; a column not read for this row has none.
                step[i].inColumn = s.Has(static_cast<int>(i));
                step[i].suffix = step[i].inColumn ? s.Index(static_cast<int>(i)) : std::string();
                step[i].value = s.Text(static_cast<int>(i));
            }
            return std::optional<Step>(std::move(step));
        });
    m_readers[at]->onRow = [this, onRow](const Step& step) { onRow(m_tables, m_nPortNum, step); };
    m_readers[at]->onEnd = [this, load](const ksx::WalkEnd& end) {
        if (end.stale) {
            return;
        }
        if (load == LOAD_MIRROR_TARGET) {
            TRACE(" end table of point.");
        }
        Finish(load, end.Ok() ? LOAD_DONE : LOAD_FAILED, end.status);
    };
}

CTrunkSettingLogic::~CTrunkSettingLogic() {
    CloseSessions();
}

int CTrunkSettingLogic::Init() {
    m_nPortNum = g_nPortNum;
    m_bInitialised = false;
    if (m_nPortNum < 1) {
        return 0;
    }
    m_bInitialised = true;
    LoadSettings();
    return 1;
}

const char* CTrunkSettingLogic::LoadName(int load) {
    switch (load) {
        case LOAD_TRUNK:
            return "trunk table";
        case LOAD_VLAN:
            return "VLAN ports";
        case LOAD_ACL:
            return "ACL ports";
        case LOAD_MIRROR_SOURCES:
            return "port mirroring sources and learning ports";
        case LOAD_ARP:
            return "ARP spoofing prevention ports";
        case LOAD_SURVEILLANCE:
            return "auto surveillance VLAN port settings";
        case LOAD_RSTP:
            return "spanning tree, 802.1X and voice VLAN port settings";
        case LOAD_PORTS:
            return "port, priority, PVID, port security, loopback detection and rate settings";
        case LOAD_MIRROR_TARGET:
            return "port mirroring target";
        case LOAD_STATIC_MAC:
            return "static MAC entries";
        case LOAD_GLOBAL_STATES:
            return "802.1X, spanning tree and surveillance VLAN states";
        case LOAD_DHCP:
            return "DHCP server screening ports";
        default:
            return "";
    }
}

// ---- Reads ---------------------------------------------------------------------------------------

void CTrunkSettingLogic::LoadSettings() {
    if (!m_bInitialised) {
        return;
    }
    const size_t n = static_cast<size_t>(m_nPortNum);
    Tables t;
    t.trunkGroups = CTrunkGroups(m_nPortNum);
    for (std::vector<int>* v :
         {&t.surveillanceAuto, &t.surveillanceStatus, &t.dot1x, &t.voice, &t.speed, &t.priority, &t.pvid,
          &t.portSecurity, &t.medium, &t.lbd, &t.rateTx, &t.rateRx, &t.dhcpScreened}) {
        v->assign(n, 0);
    }
    t.rstp.assign(n, RstpRecord{});
    m_tables = std::move(t);
    m_state.fill(LOAD_PENDING);
    m_status.fill(0);
    LoadPortTables();
    LoadMirrorTarget();
    LoadStaticMacPorts();
    LoadGlobalStates();
    LoadDhcpScreeningPorts();
}

void CTrunkSettingLogic::Start(int load) {
    ksx::TableRead<Step>& reader = *m_readers[static_cast<size_t>(load)];
    if (m_walk[static_cast<size_t>(load)]) {
        reader.Walk();
    } else {
        reader.Read();
    }
}

void CTrunkSettingLogic::LoadPortTables() {
    for (int load :
         {LOAD_TRUNK, LOAD_VLAN, LOAD_ACL, LOAD_MIRROR_SOURCES, LOAD_ARP, LOAD_SURVEILLANCE, LOAD_RSTP}) {
        Start(load);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kPortTablePauseMs.Get()));
    Start(LOAD_PORTS);
}

void CTrunkSettingLogic::LoadMirrorTarget() {
    m_tables.mirrorState = 0;
    m_tables.mirrorTarget = 0;
    Start(LOAD_MIRROR_TARGET);
}

void CTrunkSettingLogic::LoadStaticMacPorts() {
    Start(LOAD_STATIC_MAC);
}

void CTrunkSettingLogic::LoadGlobalStates() {
    Start(LOAD_GLOBAL_STATES);
}

void CTrunkSettingLogic::LoadDhcpScreeningPorts() {
    m_cCommonSNMPDhcp.Open(CCommonSNMP::REQUEST_GET);
    m_cCommonSNMPDhcp.AddVarBind(P + ".14.7.1.0", 4, nullptr);
    const ksx::SnmpReply reply = ksx::SendRequest(m_cCommonSNMPDhcp);
    if (!reply.Accepted()) {
        Finish(LOAD_DHCP, LOAD_FAILED, reply.status != 0 ? reply.status : ksx::kWalkErrorStatus);
        return;
    }
    for (int p : ListPorts(ListOf(reply.Value(0)))) {
        if (p >= 1 && p <= m_nPortNum) {
            m_tables.dhcpScreened[static_cast<size_t>(p - 1)] = 1;
        }
    }
    Finish(LOAD_DHCP, LOAD_DONE, 0);
}

void CTrunkSettingLogic::Finish(int load, LoadState state, int status) {
    m_state[static_cast<size_t>(load)] = state;
    m_status[static_cast<size_t>(load)] = status;
    if (state == LOAD_FAILED) {
        TRACE("trunk member check read %d (%s) failed: %d", load, LoadName(load), status);
    }
    if (m_pOwner != nullptr) {
        m_pOwner->PostMessage(ksx::WM_TRUNK_LOAD_RESULT, static_cast<ksx::WPARAM>(load), status);
    }
}

CTrunkSettingLogic::LoadState CTrunkSettingLogic::GetLoadState(int load) const {
    return load >= 0 && load < LOAD_COUNT ? m_state[static_cast<size_t>(load)] : LOAD_FAILED;
}

int CTrunkSettingLogic::GetLoadStatus(int load) const {
    return load >= 0 && load < LOAD_COUNT ? m_status[static_cast<size_t>(load)] : 0;
}

bool CTrunkSettingLogic::AllLoaded() const {
    return m_bInitialised &&
           std::all_of(m_state.begin(), m_state.end(), [](LoadState s) { return s == LOAD_DONE; });
}

bool CTrunkSettingLogic::AnyLoadFailed() const {
    return std::any_of(m_state.begin(), m_state.end(), [](LoadState s) { return s == LOAD_FAILED; });
}

bool CTrunkSettingLogic::AnyLoadPending() const {
    return std::any_of(m_state.begin(), m_state.end(), [](LoadState s) { return s == LOAD_PENDING; });
}

void CTrunkSettingLogic::CloseSessions() {
    struct Named {
        CCommonSNMP* session;
        const char* name;
    };
    const Named named[] = {{&m_cCommonSNMP, "m_cCommonSNMP"},
                           {&m_cCommonSNMPSet, "m_cCommonSNMPSet"},
                           {&m_cCommonSNMPMirror, "m_cCommonSNMPMirror"},
                           {&m_cCommonSNMPTableACL, "m_cCommonSNMPTableACL"},
                           {&m_cCommonSNMPPoint, "m_cCommonSNMPPoint"},
                           {&m_cCommonSNMPTableVlan, "m_cCommonSNMPTableVlan"},
                           {&m_cCommonSNMPTableTrunk, "m_cCommonSNMPTableTrunk"},
                           {&m_cCommonSNMPTableStaticPor, "m_cCommonSNMPTableStaticPor"},
                           {&m_cCommonSNMPTableGetVlanTrunk, "m_cCommonSNMPTableGetVlanTrunk"},
                           {&m_cCommonSNMPTableArp, nullptr},
                           {&m_cCommonSNMPTableSurveillance, nullptr},
                           {&m_cCommonSNMPTableRstp, nullptr},
                           {&m_cCommonSNMPDhcp, nullptr}};
    for (const auto& reader : m_readers) {
        if (reader) {
            reader->Detach();  // nothing more of a running read is delivered
        }
    }
    for (const Named& n : named) {
        n.session->Close();
        if (n.name != nullptr) {
            TRACE("==================%s.Close===============", n.name);
        }
    }
}

// ---- Checks --------------------------------------------------------------------------------------

void CTrunkSettingLogic::SetMembers(const int* flags, const std::string& currentMembers) {
    m_pMembers = flags;
    m_strCurrentMembers = currentMembers;
}

bool CTrunkSettingLogic::IsProposed(int port) const {
    return m_pMembers != nullptr && port >= 1 && port <= m_nPortNum && m_pMembers[port - 1] == 1;
}

std::vector<int> CTrunkSettingLogic::ProposedPorts() const {
    std::vector<int> ports;
    for (int p = 1; p <= m_nPortNum; ++p) {
        if (IsProposed(p)) {
            ports.push_back(p);
        }
    }
    return ports;
}

bool CTrunkSettingLogic::SameFromFirstNonZero(const std::vector<int>& values) const {
    bool haveReference = false;
    int reference = 0;
    for (int p : ProposedPorts()) {
        const int v = values[static_cast<size_t>(p - 1)];
        if (!haveReference) {
            if (v != 0) {
                haveReference = true;
                reference = v;
            }
        } else if (v != reference) {
            return false;
        }
    }
    return true;
}

int CTrunkSettingLogic::IsAllOrNone(const std::string& list) const {
    if (list.empty()) {
        return 1;
    }
    std::vector<bool> listed(static_cast<size_t>(m_nPortNum) + 1, false);
    for (int p : ListPorts(list)) {
        if (p >= 1 && p <= m_nPortNum) {
            listed[static_cast<size_t>(p)] = true;
        }
    }
    bool inside = false;
    bool outside = false;
    for (int p : ProposedPorts()) {
        (listed[static_cast<size_t>(p)] ? inside : outside) = true;
    }
    return inside && outside ? 0 : 1;
}

int CTrunkSettingLogic::CheckMembers() {
    if (!m_bInitialised || m_pMembers == nullptr || !AllLoaded()) {
        return 0;
    }
    m_checking = m_tables;
    using Check = int (CTrunkSettingLogic::*)();
    static constexpr Check kChecks[] = {
        &CTrunkSettingLogic::CheckOtherTrunk,    &CTrunkSettingLogic::CheckDuplexSpeed,
        &CTrunkSettingLogic::CheckDhcpScreening, &CTrunkSettingLogic::Check8021X,
        &CTrunkSettingLogic::CheckVlan,          &CTrunkSettingLogic::CheckAutoLearn,
        &CTrunkSettingLogic::CheckPortSettings,  &CTrunkSettingLogic::CheckMirrorSources,
        &CTrunkSettingLogic::CheckMirrorTarget,  &CTrunkSettingLogic::CheckArpSpoofing,
        &CTrunkSettingLogic::CheckRateControl,   &CTrunkSettingLogic::CheckRstp,
        &CTrunkSettingLogic::CheckVoiceVlan,     &CTrunkSettingLogic::CheckFdbDestHit,
        &CTrunkSettingLogic::CheckAcl,           &CTrunkSettingLogic::CheckSurveillanceVlan,
    };
    for (Check check : kChecks) {
        if ((this->*check)() == 0) {
            return 0;
        }
    }
    return 1;
}

namespace {
int Refuse(const char* text) {
    ksx::AfxMessageBox(text, ksx::MB_OK);
    return 0;
}
}  // namespace

int CTrunkSettingLogic::CheckOtherTrunk() {
    const std::vector<int> current = ListPorts(m_strCurrentMembers);
    for (int p : ProposedPorts()) {
        if (m_checking.trunkGroups.GroupOf(p) != 0 &&
            std::find(current.begin(), current.end(), p) == current.end()) {
            return Refuse("Cannot add the port as it is a member of another aggregated link !");
        }
    }
    return 1;
}

int CTrunkSettingLogic::CheckDuplexSpeed() {
    for (int p : ProposedPorts()) {
        const int v = m_checking.speed[static_cast<size_t>(p - 1)];
        if (v != 0) {
            if (v == 3 || v == 5) {
                return Refuse("Cannot add a port in half-duplex mode to an aggregated link.");
            }
            break;
        }
    }
    if (!SameFromFirstNonZero(m_checking.speed)) {
        return Refuse("Cannot add ports of different speed to an aggregated link.");
    }
    return 1;
}

int CTrunkSettingLogic::CheckDhcpScreening() {
    bool screened = false;
    bool open = false;
    for (int p : ProposedPorts()) {
        (m_checking.dhcpScreened[static_cast<size_t>(p - 1)] == 1 ? screened : open) = true;
    }
    if (screened && open) {
        return Refuse(
            "Cannot add ports with different DHCP Server Screening Port Settings to an aggregated link.");
    }
    return 1;
}

int CTrunkSettingLogic::Check8021X() {
    if (m_checking.dot1xState != 1) {
        return 1;
    }
    for (int p : ProposedPorts()) {
        const int v = m_checking.dot1x[static_cast<size_t>(p - 1)];
        if (v == 2) {
            return Refuse("Cannot add the 802.1X-enabled port to an aggregated link.");
        }
        if (v == 1) {
            return Refuse("Setting the Channel Mode Fail.");
        }
    }
    return 1;
}

int CTrunkSettingLogic::CheckVlan() {
    for (const auto* sets : {&m_checking.vlanEgress, &m_checking.vlanUntagged}) {
        for (const std::string& list : *sets) {
            if (!IsAllOrNone(list)) {
                return Refuse("Cannot add ports with different VLAN configurations to an aggregated link !");
            }
        }
    }
    return 1;
}

int CTrunkSettingLogic::CheckAutoLearn() {
    const std::vector<int> learning = ListPorts(m_checking.learning);
    bool refuse = learning.empty();
    for (int p : ProposedPorts()) {
        refuse = refuse || std::find(learning.begin(), learning.end(), p) == learning.end();
    }
    return refuse ? Refuse("Cannot add a Auto-learn disabled port to an aggregated link.") : 1;
}

int CTrunkSettingLogic::CheckPortSettings() {
    if (!SameFromFirstNonZero(m_checking.priority)) {
        return Refuse("Cannot add ports with different 802.1p default priorities to an aggregated link.");
    }
    if (!SameFromFirstNonZero(m_checking.pvid)) {
        return Refuse("Cannot add ports with different PVIDs to an aggregated link.");
    }
    for (int p : ProposedPorts()) {
        if (m_checking.portSecurity[static_cast<size_t>(p - 1)] == 1) {
            return Refuse("Cannot add a port-security anabled port to an aggregated link.");
        }
    }
    for (int p : ProposedPorts()) {
        if (m_checking.lbd[static_cast<size_t>(p - 1)] == 1) {
            return Refuse("Cannot add a LBD-enabled port to an aggregated link.");
        }
    }
    return 1;
}

int CTrunkSettingLogic::CheckMirrorSources() {
    if (m_checking.mirrorRx.empty() && m_checking.mirrorTx.empty()) {
        return 1;
    }
    if (!IsAllOrNone(m_checking.mirrorRx) || !IsAllOrNone(m_checking.mirrorTx)) {
        return Refuse("Cannot add ports of Port Mirror enable ports to an aggregated link.");
    }
    return 1;
}

int CTrunkSettingLogic::CheckMirrorTarget() {
    if (m_checking.mirrorState == 1 && IsProposed(m_checking.mirrorTarget)) {
        return Refuse("Cannot add a mirror port to an aggregated link.");
    }
    return 1;
}

int CTrunkSettingLogic::CheckArpSpoofing() {
    for (const std::string& list : m_checking.arpSets) {
        if (!IsAllOrNone(list)) {
            return Refuse("Cannot add ports of ARP Spoofing Prevent enable ports to an aggregated link.");
        }
    }
    return 1;
}

int CTrunkSettingLogic::CheckRateControl() {
    const std::vector<int> ports = ProposedPorts();
    if (ports.empty()) {
        return 1;
    }
    const size_t first = static_cast<size_t>(ports.front() - 1);
    for (int p : ports) {
        const size_t at = static_cast<size_t>(p - 1);
        if (m_checking.rateRx[at] != m_checking.rateRx[first] ||
            m_checking.rateTx[at] != m_checking.rateTx[first]) {
            return Refuse(
                "Cannot add ports with different rate control configurations to an aggregated link.");
        }
    }
    return 1;
}

int CTrunkSettingLogic::CheckRstp() {
    // The spanning tree state is the one read with the others: nothing is read again while checking.
    if (m_checking.rstpState != 1) {
        return 1;
    }
    const std::vector<int> ports = ProposedPorts();
    for (int p : ports) {
        if (m_checking.rstp[static_cast<size_t>(p - 1)] !=
            m_checking.rstp[static_cast<size_t>(ports.front() - 1)]) {
            return Refuse("Cannot add a port with different RSTP port setting to an aggregated link. ");
        }
    }
    return 1;
}

int CTrunkSettingLogic::CheckVoiceVlan() {
    for (int p : ProposedPorts()) {
        if (m_checking.voice[static_cast<size_t>(p - 1)] == 1) {
            return Refuse("Cannot add a port in Voice Vlan Auto mode to an aggregated link.");
        }
    }
    return 1;
}

int CTrunkSettingLogic::CheckFdbDestHit() {
    for (int port : m_checking.staticMacPorts) {
        if (IsProposed(port)) {
            return Refuse(
                "Cannot add ports with different FDB-destination-hit configurations to an aggregated link.");
        }
    }
    return 1;
}

int CTrunkSettingLogic::CheckAcl() {
    for (const std::string& list : m_checking.aclSets) {
        if (!IsAllOrNone(list)) {
            return Refuse("Cannot add an ACL enabled port to an aggregated link.");
        }
    }
    return 1;
}

int CTrunkSettingLogic::CheckSurveillanceVlan() {
    if (m_checking.surveillanceState != 1) {
        return 1;
    }
    for (int p : ProposedPorts()) {
        const size_t at = static_cast<size_t>(p - 1);
        if (m_checking.surveillanceAuto[at] == 1) {
            return Refuse("Cannot add a port in  Auto Surveillance VLAN Auto mode to an aggregated link");
        }
        if (m_checking.surveillanceStatus[at] == 2) {
            return Refuse(
                "Cannot add a port in Auto Surveillance Vlan Auto dynamic mode to an aggregated link");
        }
    }
    return 1;
}

// ---- Write ---------------------------------------------------------------------------------------

int CTrunkSettingLogic::SetTrunkGroup(const std::string& mode, const std::string& bitmapHex,
                                      const std::string& trunkId) {
    const int n = static_cast<int>(bitmapHex.size() / 2);
    if (n < 1) {
        ksx::AfxMessageBox("Parameter Error !", ksx::MB_OK);
        return 0;
    }
    std::vector<unsigned char> octets(static_cast<size_t>(n));
    CUtils::HexToBytes(bitmapHex, octets.data(), n);
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPSet.AddVarBind(std::string(ksx::trunk::kMemberColumn) + "." + trunkId, 2,
                                reinterpret_cast<const char*>(octets.data()), n);
    m_cCommonSNMPSet.AddVarBind(std::string(ksx::trunk::kModeColumn) + "." + trunkId, 1, mode.c_str());
    const ksx::SnmpReply reply = ksx::SendRequest(m_cCommonSNMPSet);
    if (!reply.Accepted()) {
        TRACE("trunk %s member write failed: status %d, error status %d", trunkId.c_str(), reply.status,
              reply.ErrorStatus());
        ksx::AfxMessageBox(ksx::AnswerText(reply.Answer(), {"the trunk members", true}), ksx::MB_OK);
        return 0;
    }
    return 1;
}
