#include "platform/snmplib/UsmFilter.h"

#include <netinet/in.h>

#include <algorithm>
#include <cstring>

#include "platform/snmplib/UsmHeader.h"

namespace ksx::snmp {
namespace {

// RFC 3414's time window: a message this many seconds behind the engine time known is out of it.
constexpr unsigned long kTimeWindowS = 150;

constexpr uint8_t kAuthFlag = 1, kPrivFlag = 2, kReportableFlag = 4;
constexpr uint8_t kResponsePdu = 0xa2, kReportPdu = 0xa8;
constexpr int kNoAuth = 1, kAuthNoPriv = 2;

int LevelOf(uint8_t flags) {
    return (flags & kAuthFlag) ? ((flags & kPrivFlag) ? 3 : kAuthNoPriv) : kNoAuth;
}

UsmVerdict Verdict(UsmVerdict::Kind kind, const UsmHeader& h) {
    UsmVerdict v;
    v.kind = kind;
    v.msgId = h.msgId;
    v.pduType = h.pduType;
    return v;
}

// Without authentication: a report is a hint (the agent's answer to the discovery probe goes to the
// library); a response at our level passes only on a session without authentication.
UsmVerdict DecideUnauthenticated(const UsmHeader& h, const UsmFilterState& st, bool ourUser) {
    if (h.pduType == kReportPdu) {
        // The agent names our user in a report, or none (the probe's empty user).
        if (!ourUser && !h.user.empty()) {
            return {};
        }
        const bool discovery = h.msgId == st.discovery && (h.report == UsmReport::kUnknownEngineId ||
                                                           h.report == UsmReport::kUnknownUserName);
        UsmVerdict v = Verdict(discovery ? UsmVerdict::kPass : UsmVerdict::kHint, h);
        v.report = h.report;
        v.engineId = h.engineId;
        return v;
    }
    if (st.securityLevel == kNoAuth && h.pduType == kResponsePdu && ourUser &&
        (st.engineId.empty() || h.engineId == st.engineId)) {
        return Verdict(UsmVerdict::kPass, h);
    }
    return {};
}

}  // namespace

bool SameUdpAddress(const sockaddr_storage& a, const sockaddr_storage& b) {
    if (a.ss_family != b.ss_family) {
        return false;
    }
    if (a.ss_family == AF_INET) {
        const auto& x = reinterpret_cast<const sockaddr_in&>(a);
        const auto& y = reinterpret_cast<const sockaddr_in&>(b);
        return x.sin_port == y.sin_port && x.sin_addr.s_addr == y.sin_addr.s_addr;
    }
    if (a.ss_family == AF_INET6) {
        const auto& x = reinterpret_cast<const sockaddr_in6&>(a);
        const auto& y = reinterpret_cast<const sockaddr_in6&>(b);
        return x.sin6_port == y.sin6_port && std::memcmp(&x.sin6_addr, &y.sin6_addr, sizeof x.sin6_addr) == 0;
    }
    return false;
}

UsmVerdict DecideUsm(const uint8_t* data, size_t size, const sockaddr_storage& from,
                     const UsmFilterState& st) {
    UsmHeader h;
    // Only what the library reads as we do, from the agent, answering a message still awaited; an answer
    // is never flagged reportable.
    if (!ParseUsmHeader(data, size, h) || !SameUdpAddress(from, st.agent) || (h.flags & kReportableFlag) ||
        std::find(st.awaited.begin(), st.awaited.end(), h.msgId) == st.awaited.end()) {
        return {};
    }
    const bool ourUser = h.user == std::vector<uint8_t>(st.user.begin(), st.user.end());
    if (!(h.flags & kAuthFlag)) {
        return DecideUnauthenticated(h, st, ourUser);
    }
    // Authenticated: a response or report (unseen when encrypted), of our user at our level (an agent
    // reports its clock authenticated without privacy).
    const int level = LevelOf(h.flags);
    const bool answer = (h.flags & kPrivFlag) || h.pduType == kResponsePdu || h.pduType == kReportPdu;
    if (st.securityLevel < kAuthNoPriv || !ourUser || !answer ||
        !(level == st.securityLevel || (level == kAuthNoPriv && h.pduType == kReportPdu))) {
        return {};
    }
    if (st.engineId.empty() || h.engineId != st.engineId) {
        const std::vector<uint8_t> key =
            st.localize && !h.engineId.empty() ? st.localize(h.engineId) : std::vector<uint8_t>{};
        if (!UsmAuthentic(data, size, h, st.authArith, key)) {
            return {};
        }
        UsmVerdict v = Verdict(UsmVerdict::kReplaced, h);
        v.engineId = h.engineId;
        return v;
    }
    if (!UsmAuthentic(data, size, h, st.authArith, st.authKey)) {
        return {};
    }
    if (st.timeKnown && (h.boots < st.boots || (h.boots == st.boots && h.time + kTimeWindowS < st.time))) {
        UsmVerdict v = Verdict(UsmVerdict::kReset, h);
        v.boots = h.boots;
        v.time = h.time;
        return v;
    }
    // A report of the engine's clock that brings no news (the record holds its boots and a time within
    // the window) is a replay or a duplicate: the library would send the request once more for it.
    if (st.timeKnown && h.pduType == kReportPdu && h.report == UsmReport::kNotInTimeWindow &&
        h.boots == st.boots && h.time <= st.time + kTimeWindowS) {
        return {};
    }
    return Verdict(UsmVerdict::kPass, h);
}

}  // namespace ksx::snmp
