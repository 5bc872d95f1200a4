// DHCP server screening device access.
#include "features/security/DHCPServerLogic.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "core/RowCreate.h"
#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "core/Utils.h"
#include "features/security/AddedRowRemoval.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"

namespace {

const char kFinished[] = "Finished";

std::string Column(int column) {
    return std::string(CDHCPServerLogic::kServerEntry) + "." + std::to_string(column);
}

std::string Hex(const std::string& octets) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : octets) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

}  // namespace

CDHCPServerLogic::CDHCPServerLogic()
    : m_serverWalk(m_cCommonSNMPTable, {Column(1), Column(3), Column(2), Column(4)},
                   [](const ksx::WalkStep& step) -> std::optional<DHCPServerEntry> {
                       // The row is keyed by its index; a row whose status did not read is no entry.
                       const std::optional<long long> status = step.Integer(3);
                       const std::string index = step.Index(0);
                       if (!status || index.empty() || index.find('.') != std::string::npos) {
                           return std::nullopt;
                       }
                       DHCPServerEntry entry;
                       entry.index = index;
                       entry.rowStatus = std::to_string(*status);
                       if (const std::optional<long long> type = step.Integer(1)) {
                           entry.addressType = std::to_string(*type);
                       }
                       if (const std::optional<std::string> octets = step.Octets(2)) {
                           entry.address = AddressText(entry.addressType, *octets);
                       }
                       return entry;
                   }),
      m_portsRead(m_cCommonSNMP, {kScreenedPorts},
                  [](const ksx::WalkStep& step) -> std::optional<std::string> {
                      const std::optional<std::string> bitmap = step.Octets(0);
                      if (!bitmap) {
                          step.Reject();
                          return std::nullopt;
                      }
                      return TrustedPortsText(*bitmap);
                  }) {
    m_serverWalk.onRow = [this](const DHCPServerEntry& entry) {
        if (m_hOwnerWnd != nullptr) {
            m_hOwnerWnd->SendMessage(WM_DHCPSCREEN_RESULT, 0, ksx::RecordParam(&entry));
        }
    };
    m_serverWalk.onEnd = [this](const ksx::WalkEnd& end) {
        m_bWalkOk = end.AtEnd();
        if (m_hOwnerWnd != nullptr) {
            m_hOwnerWnd->SendMessage(WM_DHCPSCREEN_RESULT, 1, ksx::RecordParam(kFinished));
        }
    };
    m_trunkRead.onEnd = [this](const ksx::WalkEnd& end) {
        if (m_hOwnerWnd != nullptr) {
            m_hOwnerWnd->SendMessage(WM_DHCPSCREEN_TRUNKS, end.AtEnd() ? 1 : 0, 0);
        }
    };
    m_portsRead.onRow = [this](const std::string& ports) { m_strReadPorts = ports; };
    m_portsRead.onEnd = [this](const ksx::WalkEnd& end) {
        const bool ok = end.Ok() && end.rows > 0;
        if (m_hOwnerWnd != nullptr) {
            m_hOwnerWnd->SendMessage(WM_DHCPSCREEN_PORTS, ok ? 1 : 0,
                                     ok ? ksx::RecordParam(&m_strReadPorts) : 0);
        }
    };
    m_sessions.Add(m_portsRead);
    m_sessions.Add(m_serverWalk);
    m_sessions.Add(m_cCommonSNMPSet);
    m_sessions.Add(m_cCommonSNMPTable);
}

CDHCPServerLogic::~CDHCPServerLogic() = default;

std::string CDHCPServerLogic::TrustedPortsText(const std::string& bitmap) {
    const int ports = std::max(g_nPortNum, 0);
    // Only the octets the value carries: a port past its end is neither screened nor trusted.
    const int octets = std::min(static_cast<int>(bitmap.size()), (ports + 7) / 8);
    std::vector<unsigned char> trusted(bitmap.begin(), bitmap.begin() + octets);
    for (unsigned char& c : trusted) {
        c = static_cast<unsigned char>(~c);
    }
    std::string text;
    if (!trusted.empty()) {
        CUtils::BitmapToRangeText(trusted.data(), octets, 1, ports, &text);
    }
    return text;
}

std::string CDHCPServerLogic::AddressText(const std::string& type, const std::string& octets) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(octets.data());
    if (type == "1" && octets.size() == 4) {
        return CUtils::HexToDottedDecimal(CUtils::FormatAddressBytes(bytes, 1));
    }
    if (type == "2" && octets.size() == 16) {
        return CUtils::CompressIPv6(CUtils::FormatAddressBytes(bytes, 2));
    }
    if (!octets.empty()) {
        TRACE("DHCP server entry: type %s with %d octets (%s) not shown", type.c_str(),
              static_cast<int>(octets.size()), Hex(octets).c_str());
    }
    return std::string();
}

void CDHCPServerLogic::ReadTrustedPorts() {
    m_strReadPorts.clear();
    m_portsRead.Read(OnPortsRead, this);
}

int CDHCPServerLogic::OnPortsRead(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CDHCPServerLogic*>(userData)->m_portsRead.Step(response, requestId, status);
}

bool CDHCPServerLogic::SetTrustedPorts(const std::string& ports) {
    m_strFailure.clear();
    if (!CUtils::IsPortListText(ports)) {
        ksx::AfxMessageBox("Invalid Port list", ksx::MB_OK);
        return false;
    }
    if (ports.empty()) {
        return false;  // no port named: nothing to write, nothing to say
    }
    std::vector<int> flags(static_cast<size_t>(std::max(g_nPortNum, 0)), 0);
    if (!CUtils::ParsePortList(ports, flags.data())) {
        return false;
    }
    if (!CheckTrunkConsistency(flags.data())) {
        ksx::AfxMessageBox("The link aggregation member port can not be configured.", ksx::MB_OK);
        return false;
    }
    for (int& f : flags) {
        f = f != 0 ? 0 : 1;  // the device's bitmap marks the screened ports
    }
    std::string hex;
    CUtils::PortArrayToHex(flags.data(), hex);
    CUtils::PadPortHex(hex);
    const std::vector<unsigned char> bytes = CUtils::HexToBytes(hex);
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPSet.AddVarBind(kScreenedPorts, 2, reinterpret_cast<const char*>(bytes.data()),
                                static_cast<int>(bytes.size()));
    if (const SnmpAnswer answer = ksx::SendRequest(m_cCommonSNMPSet).Answer(); !answer.Accepted()) {
        m_strFailure =
            ksx::AnswerText(answer, {"them", true}, "Failed to write the DHCP server trusted ports: ");
        return false;
    }
    return true;
}

void CDHCPServerLogic::ReadServerTable() {
    m_bWalkOk = false;
    m_serverWalk.Walk(OnServerWalk, this);
}

int CDHCPServerLogic::OnServerWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CDHCPServerLogic*>(userData)->m_serverWalk.Step(response, requestId, status);
}

bool CDHCPServerLogic::DeleteServerEntry(const std::string& index) {
    m_strFailure.clear();
    if (const SnmpAnswer answer =
            ksx::DeletePickedRow(ksx::StatusAccessOn(m_cCommonSNMPRowStatus, Column(4) + "." + index));
        !answer.Accepted()) {
        m_strFailure =
            ksx::AnswerText(answer, {"it"}, "Failed to delete the trusted DHCP server: ", "deleted");
        return false;
    }
    return true;
}

SnmpAnswer CDHCPServerLogic::SendStatus(const std::string& oid, const char* value) {
    m_cCommonSNMPRowStatus.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPRowStatus.AddVarBind(oid, 1, value);
    return ksx::SendRequest(m_cCommonSNMPRowStatus).Answer();
}

DHCPServerAdd CDHCPServerLogic::ServerAddOf(const std::string& index, const std::string& type,
                                            const std::string& text) {
    return {index, type, CUtils::AddressOctets(type, text)};
}

void CDHCPServerLogic::CancelWrites() {
    m_cCommonSNMPSet.Cancel();
    m_cCommonSNMPRowStatus.Cancel();
}

ksx::StepOutcome CDHCPServerLogic::Undo(const std::string& statusOid, const std::string& step,
                                        const SnmpAnswer& answer, bool activation,
                                        const ksx::AddProgress& progress,
                                        const std::function<bool()>& stopping) {
    if (stopping()) {
        return ksx::StepOutcome::Unanswered();  // the stop says what the device holds
    }
    // No half-made entry stays behind to take an index and a place among the five.
    ksx::StepOutcome failed = ksx::StepOutcome::Of(answer);
    failed.failure = ksx::AnswerText(answer, {step}, "Failed to add the trusted DHCP server: ");
    const ksx::AddedRowRemoval removal =
        ksx::RemoveAddedRow(ksx::StatusAccessOn(m_cCommonSNMPRowStatus, statusOid), progress);
    failed.failure += " " + ksx::AddedRowRemovalText(removal, answer, activation, kServerWhat);
    return failed;
}

ksx::StepOutcome CDHCPServerLogic::AddServerStep(int step, const DHCPServerAdd& add,
                                                 ksx::AddProgress& progress,
                                                 const std::function<bool()>& stopping,
                                                 ksx::OtherRow* other) {
    using ksx::StepOutcome;
    if (stopping()) {
        return StepOutcome::NothingSent();
    }
    const std::string status = Column(4) + "." + add.index;
    if (step == 0) {
        progress.Enter(ksx::AddStage::kCreate);
        // An entry of this index left unfinished by this module is replaced, another one only on the
        // user's Yes.
        ksx::RowStatusAccess access = ksx::StatusAccessOn(m_cCommonSNMPRowStatus, status);
        access.stopping = stopping;
        access.progress = &progress;
        access.other = other;
        const ksx::RowAdded made = ksx::AddRow(access, "5");
        switch (made) {
            case ksx::RowAdded::kCreated:
                progress.Confirm();
                return StepOutcome::Done();
            case ksx::RowAdded::kStopped:
                return StepOutcome::Unanswered();
            default:
                return StepOutcome::Failed(
                    ksx::RowAddedText(made, kServerWhat, "Failed to add the trusted DHCP server: "));
        }
    }
    if (step == 1) {
        progress.Enter(ksx::AddStage::kColumns);
        m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
        m_cCommonSNMPSet.AddVarBind(Column(3) + "." + add.index, 1, add.type.c_str());
        if (const SnmpAnswer answer = ksx::SendRequest(m_cCommonSNMPSet).Answer(); !answer.Accepted()) {
            return Undo(status, "the address type", answer, false, progress, stopping);
        }
        if (stopping()) {
            return StepOutcome::Unanswered();
        }
        // The session keeps its request after a send: the address goes out in the same request.
        m_cCommonSNMPSet.AddVarBind(Column(2) + "." + add.index, 2, add.octets.data(),
                                    static_cast<int>(add.octets.size()));
        if (const SnmpAnswer answer = ksx::SendRequest(m_cCommonSNMPSet).Answer(); !answer.Accepted()) {
            return Undo(status, "the address", answer, false, progress, stopping);
        }
        progress.Confirm();
        return StepOutcome::Done();
    }
    progress.Enter(ksx::AddStage::kActivate);
    if (const SnmpAnswer answer = SendStatus(status, "1"); !answer.Accepted()) {
        return Undo(status, "the activation of the entry", answer, true, progress, stopping);
    }
    progress.Confirm();
    return StepOutcome::Done();
}
