// IP-MAC-port binding logic.
#include "features/security/IMPFunclogic.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <thread>

#include "core/RowCreate.h"
#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "core/Utils.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"

using namespace ksx::impb;

namespace {

constexpr int kBindingStepTimeoutMs = 6000;
// Between the dependent SETs of one allowed-list add and of one scan start.
constexpr auto kStepPause = std::chrono::milliseconds(50);
constexpr char kScanFailed[] = "Failed to start the scan: ";
constexpr char kAllowedAddFailed[] = "Failed to add the entry to the white list: ";

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

bool IsHex(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

std::string NumberText(const std::optional<long long>& value) {
    return value ? std::to_string(*value) : std::string();
}

// The value of binding i when it belongs to the row of binding 0 (a shorter column would hand over the
// next row's value).
bool SameRow(const ksx::WalkStep& step, int i) {
    return step.Has(i) && step.Index(i) == step.Index(0);
}

std::string RowNumber(const ksx::WalkStep& step, int i) {
    return SameRow(step, i) ? NumberText(step.Integer(i)) : std::string();
}

}  // namespace

namespace ksx::impb {

std::optional<std::string> MacIndex(std::string_view mac) {
    if (mac.size() != 17) {
        return std::nullopt;
    }
    for (size_t i = 0; i < mac.size(); ++i) {
        if (i % 3 == 2 ? mac[i] != '-' : !IsHex(mac[i])) {
            return std::nullopt;
        }
    }
    return CUtils::HexToOidIndex(std::string(mac));
}

std::optional<std::string> AddressIndex(std::string_view address) {
    std::string text(address.substr(0, address.find('%')));
    if (text.find(':') == std::string::npos) {
        // Four decimal octets; which addresses a dialog accepts is the dialog's check.
        const auto arcs = Arcs(text);
        if (text.empty() || text.front() == '.' || text.back() == '.' || !arcs || arcs->size() != 4 ||
            std::any_of(arcs->begin(), arcs->end(), [](unsigned long a) { return a > 255; })) {
            return std::nullopt;
        }
        return ".4." + text;
    }
    if (!std::all_of(text.begin(), text.end(), [](char c) { return c == ':' || IsHex(c); }) ||
        text.find("::") != text.rfind("::")) {
        return std::nullopt;
    }
    std::string expanded = CUtils::ExpandIPv6(Lower(text));
    if (expanded.size() != 39 || std::count(expanded.begin(), expanded.end(), ':') != 7) {
        return std::nullopt;
    }
    expanded.erase(std::remove(expanded.begin(), expanded.end(), ':'), expanded.end());
    if (!std::all_of(expanded.begin(), expanded.end(), IsHex)) {
        return std::nullopt;
    }
    return ".16" + CUtils::HexToOidIndex(expanded);
}

std::optional<int> NumberIn(std::string_view text, int lo, int hi) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < lo || value > hi) {
        return std::nullopt;
    }
    return value;
}

std::string MacText(std::string_view octets) {
    if (octets.size() != 6) {
        return std::string();
    }
    char text[18];
    const auto* o = reinterpret_cast<const unsigned char*>(octets.data());
    std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", o[0], o[1], o[2], o[3], o[4], o[5]);
    return text;
}

std::string AddressText(std::string_view octets, bool compress) {
    const auto* o = reinterpret_cast<const unsigned char*>(octets.data());
    if (octets.size() == 4) {
        return CUtils::HexToDottedDecimal(CUtils::FormatAddressBytes(o, 1));
    }
    if (octets.size() == 16) {
        const std::string full = CUtils::FormatAddressBytes(o, 2);
        return compress ? CUtils::CompressIPv6(full) : full;
    }
    return std::string();
}

std::optional<std::vector<unsigned long>> Arcs(std::string_view instance) {
    if (!instance.empty() && instance.front() == '.') {
        instance.remove_prefix(1);
    }
    std::vector<unsigned long> arcs;
    while (!instance.empty()) {
        const size_t dot = instance.find('.');
        const std::string_view part = instance.substr(0, dot);
        unsigned long value = 0;
        const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), value);
        if (part.empty() || ec != std::errc() || end != part.data() + part.size()) {
            return std::nullopt;
        }
        arcs.push_back(value);
        if (dot == std::string_view::npos) {
            break;
        }
        instance.remove_prefix(dot + 1);
    }
    return arcs;
}

std::optional<std::pair<std::string, size_t>> AddressFromArcs(const std::vector<unsigned long>& arcs,
                                                              size_t at) {
    if (at >= arcs.size() || (arcs[at] != 4 && arcs[at] != 16) || arcs.size() - at - 1 < arcs[at]) {
        return std::nullopt;
    }
    const size_t length = arcs[at];
    std::string octets;
    for (size_t i = 0; i < length; ++i) {
        const unsigned long v = arcs[at + 1 + i];
        if (v > 255) {
            return std::nullopt;
        }
        octets.push_back(static_cast<char>(v));
    }
    return std::make_pair(AddressText(octets, false), at + 1 + length);
}

}  // namespace ksx::impb

namespace {

// Six MAC octets at arcs[at..at+5] as text; empty when they are not there or not octets.
std::string MacFromArcs(const std::vector<unsigned long>& arcs, size_t at) {
    if (at + 6 > arcs.size()) {
        return std::string();
    }
    std::string octets;
    for (size_t i = at; i < at + 6; ++i) {
        if (arcs[i] > 255) {
            return std::string();
        }
        octets.push_back(static_cast<char>(arcs[i]));
    }
    return MacText(octets);
}

std::optional<ImpbPortEntry> ParsePortRow(const ksx::WalkStep& step) {
    ImpbPortEntry row;
    if (const auto port = NumberIn(step.Index(0), 1, 0xffff)) {
        row.field[0] = std::to_string(*port);
    }
    for (int i = 1; i <= 3; ++i) {
        row.field[static_cast<size_t>(i)] = RowNumber(step, i);
    }
    return row;
}

// Columns 1 (MAC), 4 (VID), 2 (port), 3 (address), 5 (state); the instance is MAC, port, address.
std::optional<ImpbEntry> ParseBindingRow(const ksx::WalkStep& step) {
    ImpbEntry row;
    if (const auto mac = step.Octets(0)) {
        row.field[1] = MacText(*mac);
    }
    row.field[2] = RowNumber(step, 1);
    row.field[3] = RowNumber(step, 2);
    row.field[4] = RowNumber(step, 4);
    if (SameRow(step, 3)) {
        // The address as the instance carries it after the MAC and the port just read.
        const auto arcs = Arcs(step.Index(3));
        if (arcs && arcs->size() > 7 && std::to_string((*arcs)[6]) == row.field[3]) {
            const auto address = AddressFromArcs(*arcs, 7);
            if (address && address->second == arcs->size()) {
                row.field[0] = address->first;
            }
        }
        if (row.field[0].empty()) {
            if (const auto octets = step.Octets(3)) {
                row.field[0] = AddressText(*octets, false);
            }
        }
    }
    return row;
}

// Columns 1 (address), 2 (MAC), 3 (port), 4 (row status); the instance is address, MAC.
std::optional<ImpbEntry> ParseAllowedRow(const ksx::WalkStep& step) {
    ImpbEntry row;
    const auto arcs = Arcs(step.Index(0));
    std::string indexMac;
    if (arcs) {
        if (const auto address = AddressFromArcs(*arcs, 0)) {
            row.field[0] = address->first;
            if (address->second + 6 == arcs->size()) {
                indexMac = MacFromArcs(*arcs, address->second);
            }
        }
    }
    if (SameRow(step, 1)) {
        if (const auto mac = step.Octets(1)) {
            row.field[1] = MacText(*mac);
        }
    }
    if (row.field[1].empty()) {
        row.field[1] = indexMac;
    }
    row.field[3] = RowNumber(step, 2);
    row.field[4] = RowNumber(step, 3);
    return row;
}

// Columns 1 (MAC), 2 (VID), 3 (port), 4 (address), 5 (action); the instance is MAC, VID, port.
std::optional<ImpbEntry> ParseBlockedRow(const ksx::WalkStep& step) {
    ImpbEntry row;
    if (const auto mac = step.Octets(0)) {
        row.field[1] = MacText(*mac);
    }
    row.field[2] = RowNumber(step, 1);
    row.field[3] = RowNumber(step, 2);
    if (SameRow(step, 3)) {
        if (const auto octets = step.Octets(3)) {
            row.field[0] = AddressText(*octets, true);
        }
    }
    row.field[4] = RowNumber(step, 4);
    return row;
}

}  // namespace

CIMPFunclogic::CIMPFunclogic()
    : m_portRead(m_cCommonSNMPPort, {kPortNumber, kPortAdmin, kPortInspection, kPortDhcp}, ParsePortRow),
      m_bindingRead(m_cCommonSNMPList, {kBindMac, kBindVid, kBindPort, kBindAddress, kBindState},
                    ParseBindingRow),
      m_allowedRead(m_cCommonSNMPList, {kAllowAddress, kAllowMac, kAllowPort, kAllowStatus}, ParseAllowedRow),
      m_blockedRead(m_cCommonSNMPList, {kBlockMac, kBlockVid, kBlockPort, kBlockAddress, kBlockAction},
                    ParseBlockedRow) {
    for (ksx::WalkReader* reader : std::initializer_list<ksx::WalkReader*>{&m_portRead, &m_bindingRead,
                                                                           &m_allowedRead, &m_blockedRead}) {
        m_sessions.Add(*reader);
    }
    m_sessions.Add(m_cCommonSNMPList);
    m_sessions.Add(m_cCommonSNMPSet);
    m_sessions.Add(m_cCommonSNMPPort);
    m_portRead.onRow = [this](const ImpbPortEntry& row) { Deliver(WM_IMPB_PORT_RESULT, row); };
    m_portRead.onEnd = [this](const ksx::WalkEnd& end) { Report(WM_IMPB_PORT_RESULT, end); };
    for (ksx::TableRead<ImpbEntry>* reader : {&m_bindingRead, &m_allowedRead, &m_blockedRead}) {
        reader->onRow = [this](const ImpbEntry& row) { Deliver(WM_IMPB_LIST_RESULT, row); };
        reader->onEnd = [this](const ksx::WalkEnd& end) { Report(WM_IMPB_LIST_RESULT, end); };
    }
    m_trunkRead.onEnd = [this](const ksx::WalkEnd& end) {
        m_trunksRead = end.Ok();
        if (m_onTrunks) {
            m_onTrunks(m_trunksRead);
        }
    };
}

CIMPFunclogic::~CIMPFunclogic() = default;

template <class Row>
void CIMPFunclogic::Deliver(unsigned message, const Row& row) {
    if (m_hOwnerWnd != nullptr) {
        m_hOwnerWnd->SendMessage(message, 0, ksx::RecordParam(&row));
    }
}

void CIMPFunclogic::Report(unsigned message, const ksx::WalkEnd& end) {
    if (m_hOwnerWnd != nullptr) {
        m_hOwnerWnd->SendMessage(message, 1, end.Ok() ? 0 : 1);
    }
}

int CIMPFunclogic::ReadPortSettings() {
    m_portRead.Walk();
    return -1;
}

int CIMPFunclogic::ReadBindingTable() {
    m_bindingRead.Walk(kBindingStepTimeoutMs);
    return -1;
}

int CIMPFunclogic::ReadAllowedList() {
    m_allowedRead.Walk();
    return -1;
}

int CIMPFunclogic::ReadBlockedList() {
    m_blockedRead.Walk();
    return -1;
}

void CIMPFunclogic::ReadTrunks(std::function<void(bool)> onEnd) {
    m_onTrunks = std::move(onEnd);
    m_trunksRead = false;
    {
        // Ports that left their trunk since the last read are no members any more.
        std::lock_guard<std::mutex> guard(m_dataLock);
        std::fill(m_TrunkPorts.begin(), m_TrunkPorts.end(), 0);
    }
    ReadTrunkPorts();
}

int CIMPFunclogic::WritePortSettings(int from, int to, const ImpbPortEntry& entry) {
    for (int p = from; p <= to; ++p) {
        if (!WritePortSetting(p, entry).Accepted()) {
            return p;
        }
    }
    return 0;
}

SnmpAnswer CIMPFunclogic::WritePortSetting(int p, const ImpbPortEntry& entry) {
    const std::string port = "." + std::to_string(p);
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPSet.AddVarBind(kPortAdmin + port, 1, entry.field[1].c_str());
    m_cCommonSNMPSet.AddVarBind(kPortInspection + port, 1, entry.field[2].c_str());
    m_cCommonSNMPSet.AddVarBind(kPortDhcp + port, 1, entry.field[3].c_str());
    const ksx::SnmpReply reply = ksx::SendRequest(m_cCommonSNMPSet);
    if (!reply.Accepted()) {
        TRACE("--------iStatus = %d, error status %d", reply.status, reply.ErrorStatus());
    }
    return reply.Answer();
}

SnmpAnswer CIMPFunclogic::SendStatus(const std::string& oid, const char* value) {
    m_cCommonSNMPRowStatus.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPRowStatus.AddVarBind(oid, 1, value);
    return ksx::SendRequest(m_cCommonSNMPRowStatus).Answer();
}

bool CIMPFunclogic::CheckTrunkPorts(int from, int to, const std::string& admin) const {
    return admin != "1" || TrunkPortsInRange(from, to).empty();
}

std::optional<ImpbAllowedAdd> CIMPFunclogic::AllowedAddOf(const ImpbEntry& entry) {
    const auto address = AddressIndex(entry.field[0]);
    const auto mac = MacIndex(entry.field[1]);
    const auto port = NumberIn(entry.field[3], 1, std::max(g_nPortNum, 1));
    if (!address || !mac || !port) {
        return std::nullopt;
    }
    TRACE("%s", mac->c_str());
    return ImpbAllowedAdd{*address + *mac, std::to_string(*port)};
}

SnmpAnswer CIMPFunclogic::DeleteAllowedEntry(const ImpbEntry& entry) {
    const auto address = AddressIndex(entry.field[0]);
    const auto mac = MacIndex(entry.field[1]);
    if (!address || !mac) {
        return SnmpAnswer{};
    }
    const std::string status = kAllowStatus + *address + *mac;
    TRACE("%s", status.c_str());
    return ksx::DeletePickedRow(ksx::StatusAccessOn(m_cCommonSNMPRowStatus, status));
}

std::string CIMPFunclogic::AllowedFailure(AllowedResult result, const SnmpAnswer& answer,
                                          const ksx::AddedRowRemoval& removal) {
    const bool activation = result == AllowedResult::kActivateFailed;
    switch (result) {
        case AllowedResult::kPortFailed:
        case AllowedResult::kActivateFailed:
            return ksx::AnswerText(answer, {activation ? "the activation" : "the port"}, kAllowedAddFailed) +
                   " " + ksx::AddedRowRemovalText(removal, answer, activation, "the entry");
        default:
            return "Failed to add the entry to the white list: the entry is not valid.";
    }
}

void CIMPFunclogic::CancelWrites() {
    m_cCommonSNMPSet.Cancel();
    m_cCommonSNMPRowStatus.Cancel();
}

ksx::StepOutcome CIMPFunclogic::AllowedAddStep(int step, const ImpbAllowedAdd& add,
                                               ksx::AddProgress& progress, ksx::StepRunner& runner,
                                               ksx::OtherRow* other) {
    using ksx::StepOutcome;
    if (runner.Stopping()) {
        return StepOutcome::NothingSent();
    }
    const std::string status = kAllowStatus + add.index;
    const auto undo = [&](AllowedResult result, const SnmpAnswer& answer) {
        if (runner.Stopping()) {
            return StepOutcome::Unanswered();  // the stop says what the device holds
        }
        StepOutcome failed = StepOutcome::Of(answer);
        // No half-made row stays behind: row creation removes the one this add made, and what the
        // device holds then is said.
        failed.failure = AllowedFailure(
            result, answer,
            ksx::RemoveAddedRow(ksx::StatusAccessOn(m_cCommonSNMPRowStatus, status), progress));
        return failed;
    };
    if (step == 0) {
        progress.Enter(ksx::AddStage::kCreate);
        // A row of this binding left unfinished by this module is replaced, another one only on the
        // user's Yes.
        ksx::RowStatusAccess access = ksx::StatusAccessOn(m_cCommonSNMPRowStatus, status);
        access.stopping = [&runner] { return runner.Stopping(); };
        access.progress = &progress;
        access.other = other;
        switch (const ksx::RowAdded made = ksx::AddRow(access, "5")) {
            case ksx::RowAdded::kCreated:
                progress.Confirm();
                return StepOutcome::Done();
            case ksx::RowAdded::kStopped:
                return StepOutcome::Unanswered();
            default:
                return StepOutcome::Failed(ksx::RowAddedText(made, "the entry", kAllowedAddFailed));
        }
    }
    if (step == 1) {
        progress.Enter(ksx::AddStage::kColumns);
        m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
        m_cCommonSNMPSet.AddVarBind(kAllowPort + add.index, 1, add.port.c_str());
        if (const SnmpAnswer answer = ksx::SendRequest(m_cCommonSNMPSet).Answer(); !answer.Accepted()) {
            return undo(AllowedResult::kPortFailed, answer);
        }
        progress.Confirm();
        return StepOutcome::Done();
    }
    if (!runner.Pause(static_cast<unsigned>(kStepPause.count()))) {
        return StepOutcome::NothingSent();
    }
    progress.Enter(ksx::AddStage::kActivate);
    if (const SnmpAnswer answer = SendStatus(status, "1"); !answer.Accepted()) {
        return undo(AllowedResult::kActivateFailed, answer);
    }
    progress.Confirm();
    return StepOutcome::Done();
}

SnmpAnswer CIMPFunclogic::SetBinding(const ImpbEntry& entry) {
    const auto mac = MacIndex(entry.field[1]);
    const auto port = NumberIn(entry.field[3], 1, 0xffff);
    const auto address = AddressIndex(entry.field[0]);
    const auto state = NumberIn(entry.field[4], 0, 0xffff);
    if (!mac || !port || !address || !state) {
        return SnmpAnswer{};
    }
    TRACE("%s", mac->c_str());
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPSet.AddVarBind(kBindState + *mac + "." + std::to_string(*port) + *address, 1,
                                std::to_string(*state).c_str());
    return ksx::SendRequest(m_cCommonSNMPSet).Answer();
}

SnmpAnswer CIMPFunclogic::DeleteBlockedEntry(const ImpbEntry& entry) {
    const auto mac = MacIndex(entry.field[1]);
    const auto vid = NumberIn(entry.field[2], 0, 4095);
    const auto port = NumberIn(entry.field[3], 0, 0xffff);
    if (!mac || !vid || !port) {
        return SnmpAnswer{};
    }
    const std::string oid = kBlockAction + *mac + "." + std::to_string(*vid) + "." + std::to_string(*port);
    TRACE("%s", entry.field[2].c_str());
    TRACE("%s", oid.c_str());
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPSet.AddVarBind(oid, 1, "1");
    return ksx::SendRequest(m_cCommonSNMPSet).Answer();
}

std::optional<ImpbScanStart> CIMPFunclogic::ScanStartOf(const std::string& fromType,
                                                        const std::string& toType,
                                                        const ImpbScanRange& range) {
    if (fromType.empty() || fromType != toType || !NumberIn(range.value, 0, 0xffff)) {
        return std::nullopt;
    }
    return ImpbScanStart{CUtils::AddressOctets(fromType, range.from), CUtils::AddressOctets(toType, range.to),
                         range.value};
}

ksx::StepOutcome CIMPFunclogic::ScanStep(int step, const ImpbScanStart& scan, ksx::StepRunner& runner) {
    using ksx::StepOutcome;
    if (step == 0) {
        m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
        m_cCommonSNMPSet.AddVarBind(kScanFrom, 2, scan.fromOctets.data(),
                                    static_cast<int>(scan.fromOctets.size()));
        m_cCommonSNMPSet.AddVarBind(kScanTo, 2, scan.toOctets.data(), static_cast<int>(scan.toOctets.size()));
        return ksx::AnswerStep(ksx::SendRequest(m_cCommonSNMPSet).Answer(), {"the address range"},
                               kScanFailed);
    }
    if (!runner.Pause(static_cast<unsigned>(kStepPause.count()))) {
        return StepOutcome::NothingSent();
    }
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPSet.AddVarBind(kScanStart, 1, scan.value.c_str());
    return ksx::AnswerStep(ksx::SendRequest(m_cCommonSNMPSet).Answer(), {"the start"}, kScanFailed);
}
