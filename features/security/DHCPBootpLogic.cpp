// DHCP/BOOTP relay logic.
#include "features/security/DHCPBootpLogic.h"

#include <algorithm>
#include <map>
#include <optional>

#include "core/RowCreate.h"
#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "features/security/AddedRowRemoval.h"

using namespace ksx;

namespace {

const std::string P = "1.3.6.1.4.1.7393.10.76.20.1";
// The global objects in record order; [3] (the option 82 state) is read only.
const std::string kGlobal[8] = {P + ".28.1.1.0",   P + ".28.1.2.0",   P + ".28.1.3.0",   P + ".28.2.2.1.0",
                                P + ".28.2.2.2.0", P + ".28.2.2.3.0", P + ".28.2.2.4.0", P + ".28.2.2.5.0"};
const std::string kServerAddress = P + ".28.2.1.1.2";
const std::string kServerStatus = P + ".28.2.1.1.3";
// The interface "System" as a string index: its length, then one number per character.
const std::string kSystemIndex = ".6.83.121.115.116.101.109.";
const std::string kLocalState = P + ".29.1.0";
const std::string kLocalVid = P + ".29.2.1.1";
const std::string kLocalVlanState = P + ".29.2.1.2";
const std::string kVlanName = P + ".7.6.1.1";
const std::string kVlanStatus = P + ".7.6.1.5";
constexpr int kNoSuchName = 2;  // error status

std::string NumberText(const std::optional<long long>& v) {
    return v ? std::to_string(*v) : std::string();
}

}  // namespace

CDHCPBootpLogic::CDHCPBootpLogic()
    : m_serverWalk(m_cCommonSNMPTable, {kServerAddress, kServerStatus},
                   [](const WalkStep& step) -> std::optional<DHCPRelayServerInfo> {
                       DHCPRelayServerInfo info;
                       info.value[0] = "System";
                       // The address as dotted text, whether sent as an IpAddress or as four octets.
                       if (std::optional<std::string> dotted = step.Dotted(0)) {
                           info.value[1] = *dotted;
                       } else if (std::optional<std::string> octets = step.Octets(0);
                                  octets && octets->size() == 4) {
                           const auto* b = reinterpret_cast<const unsigned char*>(octets->data());
                           info.value[1] = std::to_string(b[0]) + "." + std::to_string(b[1]) + "." +
                                           std::to_string(b[2]) + "." + std::to_string(b[3]);
                       }
                       // The status only when it is the same row's.
                       if (step.Index(1) == step.Index(0)) {
                           info.value[2] = NumberText(step.Integer(1));
                       }
                       return info;
                   }),
      m_localWalk(m_cCommonSNMPTable, {kLocalVid, kVlanName, kLocalVlanState, kVlanStatus},
                  [](const WalkStep& step) -> std::optional<LocalStep> {
                      LocalStep s;
                      s.relayVid = step.Index(0);
                      if (step.Index(2) == s.relayVid) {
                          s.relayState = NumberText(step.Integer(2));
                      }
                      // The VLAN table advances beside the relay table: its entry may be another VLAN's.
                      s.vlanVid = step.Index(1);
                      if (step.Index(3) == s.vlanVid) {
                          s.vlanName = step.Octets(1).value_or("");
                          s.vlanStatus = NumberText(step.Integer(3));
                      }
                      return s;
                  }) {
    m_serverWalk.onRow = [this](const DHCPRelayServerInfo& info) {
        if (m_hOwnerWnd != nullptr) {
            m_hOwnerWnd->SendMessage(WM_DHCPRELAY_RESULT, 0, RecordParam(&info));
        }
    };
    m_serverWalk.onEnd = [this](const WalkEnd& end) {
        if (end.stale) {
            return;
        }
        m_bServerWalkOk = end.AtEnd();
        if (m_hOwnerWnd != nullptr) {
            m_hOwnerWnd->SendMessage(WM_DHCPRELAY_RESULT, 1, 0);
        }
    };
    m_localWalk.SetGroups({0, 1, 0, 1});  // the relay table and the VLAN table beside it
    m_localWalk.onRow = [this](const LocalStep& s) { m_localSteps.push_back(s); };
    m_localWalk.onEnd = [this](const WalkEnd& end) { OnLocalWalkEnd(end); };
    m_sessions.Add(m_serverWalk);
    m_sessions.Add(m_localWalk);
    m_sessions.Add(m_cCommonSNMP);
    m_sessions.Add(m_cCommonSNMPSet);
    m_sessions.Add(m_cCommonSNMPTable);
    m_sessions.Add(m_cCommonSNMPVlan);
    m_sessions.Add(m_cCommonSNMPAdd);
    m_vlanReads.SetCancel([this] { m_cCommonSNMPVlan.Cancel(); });
    m_vlanReads.onEnd = [this](const StepsEnd& end) { OnVlanReadsEnd(end); };
}

CDHCPBootpLogic::~CDHCPBootpLogic() = default;

void CDHCPBootpLogic::ReadRelayGlobal() {
    const DHCPRelayGlobalInfo info = FetchRelayGlobal();
    if (m_hOwnerWnd != nullptr) {
        m_hOwnerWnd->SendMessage(WM_DHCPRELAY_RESULT, 0, RecordParam(&info));
    }
}

DHCPRelayGlobalInfo CDHCPBootpLogic::FetchRelayGlobal() {
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_GET);
    for (const std::string& oid : kGlobal) {
        m_cCommonSNMP.AddVarBind(oid, 4, "");
    }
    const SnmpReply reply = SendRequest(m_cCommonSNMP);
    DHCPRelayGlobalInfo info;
    for (int i = 0; i < 7; ++i) {
        const std::optional<long long> v = reply.Integer(i);
        info.value[static_cast<size_t>(i)] = NumberText(v);
        info.read[static_cast<size_t>(i)] = v.has_value();
    }
    const std::optional<std::string> remoteId = reply.Octets(7);
    info.value[7] = remoteId.value_or("");
    info.read[7] = remoteId.has_value();
    return info;
}

SnmpAnswer CDHCPBootpLogic::WriteRelayGlobal(DHCPRelayGlobalInfo info) {
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    for (int i : {0, 1, 2, 4, 5, 6}) {
        m_cCommonSNMPSet.AddVarBind(kGlobal[i], 1, info.value[static_cast<size_t>(i)].c_str());
    }
    m_cCommonSNMPSet.AddVarBind(kGlobal[7], 2, info.value[7].c_str());
    return SendRequest(m_cCommonSNMPSet).Answer();
}

void CDHCPBootpLogic::ReadRelayServers() {
    m_bServerWalkOk = false;
    m_serverWalk.Walk(OnRelayServerWalk, this);
}

int CDHCPBootpLogic::OnRelayServerWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CDHCPBootpLogic*>(userData)->m_serverWalk.Step(response, requestId, status);
}

SnmpAnswer CDHCPBootpLogic::DeleteRelayServer(const std::string& address) {
    return DeletePickedRow(StatusAccessOn(m_cCommonSNMPSet, kServerStatus + kSystemIndex + address));
}

StepOutcome CDHCPBootpLogic::AddServerStep(int step, const std::string& address, unsigned pauseMs,
                                           AddProgress& progress, StepRunner& runner, OtherRow* other) {
    const std::string failed = "Failed to add the relay server " + address + ": ";
    RowStatusAccess access = StatusAccessOn(m_cCommonSNMPAdd, kServerStatus + kSystemIndex + address);
    access.stopping = [&runner] { return runner.Stopping(); };
    if (step == 0) {
        if (runner.Stopping()) {
            return StepOutcome::NothingSent();
        }
        progress.Enter(AddStage::kCreate);
        access.progress = &progress;
        access.other = other;  // a row not active that this module did not leave: only on the user's Yes
        const RowAdded made = AddRow(access, "5");
        switch (made) {
            case RowAdded::kCreated:
                progress.Confirm();
                return StepOutcome::Done();
            case RowAdded::kStopped:
                return StepOutcome::Unanswered();
            default:
                return StepOutcome::Failed(RowAddedText(made, "the relay server " + address, failed));
        }
    }
    if (!runner.Pause(pauseMs)) {
        return StepOutcome::NothingSent();
    }
    progress.Enter(AddStage::kActivate);
    if (const SnmpAnswer activation = access.send("1"); !activation.Accepted()) {
        if (runner.Stopping()) {
            return StepOutcome::Unanswered();  // the stop says what the device holds
        }
        // A row created but not made active would stay hidden: row creation removes the one this add
        // made, and what the device holds then is said.
        StepOutcome outcome = AnswerStep(activation, {"the activation"}, failed);
        outcome.failure += " " + AddedRowRemovalText(RemoveAddedRow(access, progress), activation, true,
                                                     "the relay server " + address);
        return outcome;
    }
    progress.Confirm();
    return StepOutcome::Done();
}

void CDHCPBootpLogic::ReadLocalRelay() {
    m_vlanReads.Stop();  // before the read: a read of a VLAN may still be under way
    ReadLocalRelay(FetchLocalState());
}

std::optional<std::string> CDHCPBootpLogic::FetchLocalState() {
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_GET);
    m_cCommonSNMP.AddVarBind(kLocalState, 4, "");
    const std::optional<long long> state = SendRequest(m_cCommonSNMP).Integer(0);
    return state ? std::optional<std::string>(NumberText(state)) : std::nullopt;
}

void CDHCPBootpLogic::ReadLocalRelay(const std::optional<std::string>& state) {
    m_vlanReads.Stop();
    if (m_hOwnerWnd != nullptr) {
        m_hOwnerWnd->SendMessage(WM_DHCPRELAY_RESULT, 3, state ? RecordParam(&*state) : 0);
    }
    m_localSteps.clear();
    m_bLocalWalkOk = false;
    m_localWalk.Walk(OnLocalRelayWalk, this);
}

int CDHCPBootpLogic::OnLocalRelayWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CDHCPBootpLogic*>(userData)->m_localWalk.Step(response, requestId, status);
}

void CDHCPBootpLogic::OnLocalWalkEnd(const WalkEnd& end) {
    if (end.stale) {
        return;
    }
    m_vlanReads.Stop();
    m_bLocalWalkOk = end.AtEnd();
    m_bVlanReadsOk = true;
    // Each relay entry goes with the VLAN table entry of its own VLAN id. The VLAN table walked beside it
    // gives most of them; a VLAN it did not reach is read by itself, off the window's thread.
    m_vlans.clear();
    for (const LocalStep& s : m_localSteps) {
        if (!s.vlanVid.empty() && !s.vlanStatus.empty()) {
            m_vlans[s.vlanVid] = {s.vlanName, s.vlanStatus};
        }
    }
    m_vlanIds.clear();
    if (m_bLocalWalkOk) {
        for (const LocalStep& s : m_localSteps) {
            if (!s.relayVid.empty() && m_vlans.find(s.relayVid) == m_vlans.end() &&
                std::find(m_vlanIds.begin(), m_vlanIds.end(), s.relayVid) == m_vlanIds.end()) {
                m_vlanIds.push_back(s.relayVid);
            }
        }
    }
    if (m_vlanIds.empty()) {
        SendLocalRows();
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_vlanLock);
        m_vlanResults.assign(m_vlanIds.size(), VlanRead{});
    }
    m_vlanReads.Start(static_cast<int>(m_vlanIds.size()), [this](int i) { return ReadVlan(i); });
}

// Worker of m_vlanReads: the name and row status of one VLAN. No reply or an error status (but
// noSuchName) ends the reads; a VLAN the device does not hold is left out; a value of the wrong type is
// a failed read of that VLAN only.
StepOutcome CDHCPBootpLogic::ReadVlan(int index) {
    const std::string& vid = m_vlanIds[static_cast<size_t>(index)];
    m_cCommonSNMPVlan.Open(CCommonSNMP::REQUEST_GET);
    m_cCommonSNMPVlan.AddVarBind(kVlanName + "." + vid, 4, "");
    m_cCommonSNMPVlan.AddVarBind(kVlanStatus + "." + vid, 4, "");
    const SnmpReply reply = SendRequest(m_cCommonSNMPVlan);
    VlanRead read;
    if (reply.status == 0 && reply.ErrorStatus() == kNoSuchName) {
        read.outcome = VlanRead::Absent;  // an SNMPv1 agent's way of saying the VLAN is not in its table
    } else if (!reply.Accepted()) {
        read.outcome = VlanRead::Failed;
    } else {
        const std::optional<std::string> name = reply.Octets(0);
        const std::optional<long long> status = reply.Integer(1);
        if (name && status) {
            read = {VlanRead::Read, *name, std::to_string(*status)};
        } else if (reply.Binding(0) >= 0 && reply.Binding(1) >= 0 && !reply.Any(0) && !reply.Any(1)) {
            // Both columns answer that they have no such instance: the VLAN is not in the VLAN table.
            read.outcome = VlanRead::Absent;
        } else {
            read.outcome = VlanRead::Failed;
        }
    }
    const bool ended = read.outcome == VlanRead::Failed && !reply.Accepted();
    {
        std::lock_guard<std::mutex> lock(m_vlanLock);
        m_vlanResults[static_cast<size_t>(index)] = std::move(read);
    }
    return ended ? StepOutcome::Failed("") : StepOutcome::Done();
}

void CDHCPBootpLogic::OnVlanReadsEnd(const StepsEnd& end) {
    // The owner ends or reads again: nothing of these reads is shown, also when the reads had ended
    // but their end was not delivered yet (Stop() reports it then, as not stopped).
    if (end.stopped || m_vlanReads.Stopping()) {
        return;
    }
    std::vector<VlanRead> results;
    {
        std::lock_guard<std::mutex> lock(m_vlanLock);
        results.swap(m_vlanResults);
    }
    m_bVlanReadsOk = !end.failed;
    for (size_t i = 0; i < results.size() && i < m_vlanIds.size(); ++i) {
        if (results[i].outcome == VlanRead::Read) {
            m_vlans[m_vlanIds[i]] = {results[i].name, results[i].status};
        } else if (results[i].outcome == VlanRead::Failed) {
            m_bVlanReadsOk = false;
        }
    }
    SendLocalRows();
}

void CDHCPBootpLogic::SendLocalRows() {
    std::vector<DHCPLocalRelayInfo> rows;
    for (const LocalStep& s : m_localSteps) {
        if (s.relayVid.empty()) {
            continue;
        }
        auto it = m_vlans.find(s.relayVid);
        if (it == m_vlans.end()) {
            continue;  // the VLAN is not in the VLAN table, or did not read
        }
        DHCPLocalRelayInfo info;
        info.value = {s.relayVid, it->second.first, s.relayState, it->second.second};
        rows.push_back(info);
    }
    m_localSteps.clear();
    if (m_hOwnerWnd == nullptr) {
        return;
    }
    for (const DHCPLocalRelayInfo& info : rows) {
        m_hOwnerWnd->SendMessage(WM_DHCPRELAY_RESULT, 2, RecordParam(&info));
    }
    m_hOwnerWnd->SendMessage(WM_DHCPRELAY_RESULT, 10, 0);
}

SnmpAnswer CDHCPBootpLogic::SetInteger(const std::string& oid, const std::string& value) {
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPSet.AddVarBind(oid, 1, value.c_str());
    return SendRequest(m_cCommonSNMPSet).Answer();
}

SnmpAnswer CDHCPBootpLogic::SetLocalRelayState(const std::string& value) {
    return SetInteger(kLocalState, value);
}

SnmpAnswer CDHCPBootpLogic::SetVlanLocalRelay(const std::string& vid, const std::string& value) {
    return SetInteger(kLocalVlanState + "." + vid, value);
}
