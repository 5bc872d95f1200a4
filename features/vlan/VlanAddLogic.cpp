#include "features/vlan/VlanAddLogic.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <string_view>
#include <thread>
#include <utility>

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

void CVlanAddLogic::SetRunHooks(std::function<bool()> stopping, std::function<bool(unsigned ms)> pause) {
    m_stopping = std::move(stopping);
    m_pause = std::move(pause);
}

void CVlanAddLogic::CancelRequests() {
    m_cCommonSNMP.Cancel();
    m_cCommonSNMPEgrePort.Cancel();
}

SnmpAnswer CVlanAddLogic::SetPortList(const std::string& octets, const std::string& vidText,
                                      const char* column) {
    if (octets.empty()) {
        return {};  // no port bitmap for this port count (the dialog checks it first): nothing is sent
    }
    m_cCommonSNMPEgrePort.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPEgrePort.AddVarBind(std::string(column) + "." + vidText, 2, octets.data(),
                                     static_cast<int>(octets.size()));
    return ksx::GetNextRequest(m_cCommonSNMPEgrePort).Answer();
}

SnmpAnswer CVlanAddLogic::SetVlanName(const std::string& vidText, const std::string& name) {
    char utf8[128];
    std::memset(utf8, 0, sizeof utf8);
    CCodeConvert::AnsiToUTF8(name, utf8, sizeof utf8);
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMP.AddVarBind(std::string(ksx::vlan::kNameColumn) + "." + vidText, 2, utf8);
    return ksx::GetNextRequest(m_cCommonSNMP).Answer();
}

ksx::RowStatusAccess CVlanAddLogic::StatusAccess(const std::string& vidText) {
    ksx::RowStatusAccess access;
    access.row = std::string(ksx::vlan::kRowStatusColumn) + "." + vidText;
    access.send = [this, row = access.row](const std::string& value) {
        m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
        m_cCommonSNMP.AddVarBind(row, 1, value.c_str());
        return ksx::GetNextRequest(m_cCommonSNMP).Answer();
    };
    return access;
}

SnmpAnswer CVlanAddLogic::SetRowStatus(const std::string& vidText, Status status) {
    // Through row creation, which records the VLAN as left out of service by this module once the
    // out-of-service write was sent, and no longer once it is active again or gone.
    const ksx::RowStatusAccess access = StatusAccess(vidText);
    switch (status) {
        case Status::kOutOfService:
            return ksx::TakeOutOfService(access);
        case Status::kActive:
            return ksx::PutInService(access);
        case Status::kRemoveOwn:
            break;
    }
    return ksx::RemoveOwnRow(access, m_progress.Owner());
}

SnmpAnswer CVlanAddLogic::CreateVlanRow(const std::string& vidText, WriteResult& result) {
    // The create replaces a row of this VID that is not active and that this module left (a stopped add,
    // a create the device applied without answering in time, an edit that could not put the VLAN back in
    // service); another one only on the user's Yes (Other()). Whether the device answered is that of the last
    // status write: a create it did not answer may still have made the row.
    SnmpAnswer last;
    ksx::RowStatusAccess access = StatusAccess(vidText);
    access.other = &m_other;
    access.send = [&last, send = access.send](const std::string& value) { return last = send(value); };
    // It tells an absent row from a failed read: a create made where there was none is this add's own.
    access.readStatus =
        ksx::StatusAccessOn(m_cCommonSNMP, std::string(ksx::vlan::kRowStatusColumn) + "." + vidText)
            .readStatus;
    access.stopping = [this] { return Stopping(); };
    access.progress = &m_progress;
    switch (ksx::CreateRow(access, "5")) {
        case ksx::RowCreated::kCreated:
            last.outcome = SnmpOutcome::kAccepted;  // the row is there, made by this create
            return last;
        case ksx::RowCreated::kActive:
            result.exists = true;
            return last;
        case ksx::RowCreated::kOccupied:
            return {SnmpOutcome::kNotSent};  // nothing was written; the user is asked at the run's end
        case ksx::RowCreated::kRefused:
            break;
    }
    // Stopped after a status write the device took (the removal of a row left not active): the create
    // itself was not sent.
    return last.Accepted() ? SnmpAnswer{} : last;
}

std::vector<CVlanAddLogic::Step> CVlanAddLogic::Steps(const VlanWrite& write) {
    const bool defaultVlan = write.vidText == "1";
    std::vector<Step> steps;
    if (write.add || !defaultVlan) {
        steps.push_back(kPrepareRow);
    }
    if (!defaultVlan) {
        steps.push_back(kAllPorts);
    }
    for (Step step : {kUntagged, kEgress, kForbidden, kName, kActivate}) {
        steps.push_back(step);
    }
    return steps;
}

ksx::StepOutcome CVlanAddLogic::RunStep(Step step, const VlanWrite& write, const VlanMembers& original,
                                        WriteResult& result) {
    if (Stopping()) {
        return ksx::StepOutcome::NothingSent();
    }
    const std::string& vid = write.vidText;
    SnmpAnswer answer;
    switch (step) {
        case kPrepareRow:
            if (write.add) {
                m_progress.Enter(ksx::AddStage::kCreate);
                answer = CreateVlanRow(vid, result);
            } else {
                answer = SetRowStatus(vid, Status::kOutOfService);
            }
            break;
        case kAllPorts: {
            if (write.add) {
                m_progress.Enter(ksx::AddStage::kColumns);
            }
            const PortFlags all(static_cast<size_t>(std::max(g_nPortNum, 0)), 1);
            answer = SetPortList(PortBitmap(all), vid, ksx::vlan::kEgressColumn);
            break;
        }
        case kUntagged:
            answer = SetPortList(PortBitmap(write.untagged), vid, ksx::vlan::kUntaggedColumn);
            break;
        case kEgress:
            answer = SetPortList(PortBitmap(write.egress), vid, ksx::vlan::kEgressColumn);
            break;
        case kForbidden:
            answer = SetPortList(PortBitmap(write.forbidden), vid, ksx::vlan::kForbiddenColumn);
            break;
        case kName:
            answer = SetVlanName(vid, write.name);
            if (answer.Accepted() && write.add) {
                m_progress.Confirm();  // every column of the new row
            }
            break;
        case kActivate:
            if (!PauseBeforeActivation()) {
                return ksx::StepOutcome::NothingSent();
            }
            if (write.add) {
                m_progress.Enter(ksx::AddStage::kActivate);
            }
            answer = SetRowStatus(vid, Status::kActive);
            break;
        case kNoStep:
            return ksx::StepOutcome::Done();
    }
    if (answer.Accepted()) {
        if (write.add && (step == kPrepareRow || step == kActivate)) {
            m_progress.Confirm();
        }
        return ksx::StepOutcome::Done();
    }
    result.failed = step;
    result.answer = answer;
    // A stop asked for meanwhile lets nothing further go out.
    if (write.add) {
        // A create that failed made no row; one the device made without answering is replaced by the
        // next add.
        if (step != kPrepareRow && !Stopping()) {
            result.undone = SetRowStatus(vid, Status::kRemoveOwn).Accepted();
        }
    } else {
        const std::vector<Step> steps = Steps(write);
        const auto at = std::find(steps.begin(), steps.end(), step) - steps.begin();
        PutBack& putBack = result.putBack;
        putBack.steps = PutBackSteps(write, static_cast<int>(at) + (answer.Unanswered() ? 1 : 0));
        putBack.tally = {};
        putBack.tally.total = static_cast<int>(putBack.steps.size());
        for (Step back : putBack.steps) {
            const ksx::StepOutcome outcome = PutBackStep(back, write, original);
            if (!outcome.ok) {
                putBack.tally.unconfirmed = outcome.unanswered;
                putBack.tally.refused = !outcome.unanswered && !outcome.notSent && outcome.sent;
                break;
            }
            ++putBack.tally.done;
        }
    }
    return ksx::StepOutcome::Of(answer);
}

bool CVlanAddLogic::PauseBeforeActivation() {
    // The device takes the name before the row is activated.
    if (!m_pause) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return true;
    }
    return m_pause(50);
}

std::vector<CVlanAddLogic::Step> CVlanAddLogic::PutBackSteps(const VlanWrite& write, int sent) {
    if (write.add) {
        return {};
    }
    const std::vector<Step> steps = Steps(write);
    const auto reached = steps.begin() + std::clamp(sent, 0, static_cast<int>(steps.size()));
    const auto went = [&](std::initializer_list<Step> which) {
        return std::any_of(steps.begin(), reached,
                           [&](Step s) { return std::find(which.begin(), which.end(), s) != which.end(); });
    };
    std::vector<Step> back;
    if (went({kAllPorts, kUntagged, kEgress, kForbidden})) {
        back = {kEgress, kUntagged, kForbidden};
    }
    if (went({kName})) {
        back.push_back(kName);
    }
    if (went({kPrepareRow})) {
        back.push_back(kActivate);  // the VLAN was taken out of service
    }
    return back;
}

ksx::StepOutcome CVlanAddLogic::PutBackStep(Step step, const VlanWrite& write, const VlanMembers& original) {
    if (Stopping()) {
        return ksx::StepOutcome::NothingSent();
    }
    const std::string& vid = write.vidText;
    SnmpAnswer answer;
    switch (step) {
        case kEgress:
            answer = SetPortList(PortBitmap(original.egress), vid, ksx::vlan::kEgressColumn);
            break;
        case kUntagged:
            answer = SetPortList(PortBitmap(original.untagged), vid, ksx::vlan::kUntaggedColumn);
            break;
        case kForbidden:
            answer = SetPortList(PortBitmap(original.forbidden), vid, ksx::vlan::kForbiddenColumn);
            break;
        case kName:
            answer = SetVlanName(vid, original.name);
            break;
        case kActivate:
            if (!PauseBeforeActivation()) {
                return ksx::StepOutcome::NothingSent();
            }
            answer = SetRowStatus(vid, Status::kActive);
            break;
        default:
            return ksx::StepOutcome::Done();
    }
    return ksx::StepOutcome::Of(answer);
}

ksx::StepsName CVlanAddLogic::StepText(Step step) {
    switch (step) {
        case kPrepareRow:
            return {"the row status"};
        case kAllPorts:
            return {"every port as a member"};
        case kName:
        case kActivate:
            return {"the " + StepName(step)};
        default:
            return {"the " + StepName(step), true};
    }
}

namespace {

// The steps of a write or a put-back as the run texts name them.
ksx::StepsNamer StepsNamer(const std::vector<CVlanAddLogic::Step>& steps) {
    std::vector<ksx::StepsName> names;
    for (CVlanAddLogic::Step step : steps) {
        names.push_back(CVlanAddLogic::StepText(step));
    }
    return ksx::ListNamer(std::move(names));
}

}  // namespace

std::string CVlanAddLogic::PutBackText(const VlanWrite& write, const PutBack& putBack) {
    const std::string vlan = "VLAN " + write.vidText;
    if (putBack.Complete()) {
        return vlan + " was put back as it was.";
    }
    const ksx::RunTally& t = putBack.tally;
    const ksx::StepsNamer name = StepsNamer(putBack.steps);
    std::string text = ksx::TallyText(t, name, "written") + ".";
    if (t.refused) {
        ksx::StepsEnd end;
        end.total = t.total;
        end.done = t.done;
        end.failed = true;
        text = ksx::RunEndText(end, name);
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    }
    text = vlan + " could not be put back as it was: " + text;
    if (!putBack.steps.empty() && putBack.steps.back() == kActivate) {
        const bool maybe = t.unconfirmed && t.done + 1 == t.total;
        text += " " + vlan + (maybe ? " may be left" : " is left") +
                " out of service: it is not listed, and adding it again replaces it.";
    }
    return text;
}

std::string CVlanAddLogic::FailureText(const VlanWrite& write, const WriteResult& result) {
    const std::string vlan = "VLAN " + write.vidText;
    if (write.add && result.failed == kPrepareRow) {
        if (result.exists) {
            return ksx::RowAddedText(ksx::RowAdded::kActive, vlan);
        }
        if (result.answer.Unanswered()) {
            return ksx::AnswerText(result.answer, {"a row for " + vlan}, "", "created") + " " + vlan +
                   " is not active; adding it again replaces that row.";
        }
    }
    ksx::StepsName what = StepText(result.failed);
    what.text += " of " + vlan;
    std::string text = ksx::AnswerText(result.answer, what);
    if (write.add) {
        text += result.undone ? " The VLAN was not added."
                              : " A row for " + vlan + " may be left on the device: if " + vlan +
                                    " is not listed, adding it again replaces that row.";
    } else if (!result.putBack.steps.empty()) {
        text += " " + PutBackText(write, result.putBack);
    }
    return text;
}

std::string CVlanAddLogic::StoppedText(const VlanWrite& write, const ksx::AddProgress& progress,
                                       const std::vector<Step>& steps, const ksx::StepsEnd& end) {
    if (write.add) {
        return ksx::StoppedAddText("VLAN " + write.vidText, progress);
    }
    return ksx::RunEndText(end, StepsNamer(steps));
}
