#include "platform/snmplib/UsmFilter.h"

#include <netinet/in.h>

#include <algorithm>
#include <cstring>

#include "platform/snmplib/UsmHeader.h"

namespace ksx::snmp {
namespace {

// RFC 3414's time window: a message this many seconds behind the engine time known is out of it.
constexpr unsigned long kTimeWindowS = 150;

constexpr uint8_t kAuthFlag = 1, kPrivFlag = 2;
constexpr uint8_t kReportPdu = 0xa8, kResponsePdu = 0xa2;

int LevelOf(uint8_t flags) {
    return (flags & kAuthFlag) ? ((flags & kPrivFlag) ? 3 : 2) : 1;
}

UsmVerdict Verdict(UsmVerdict::Kind kind, const UsmHeader& h) {
    UsmVerdict v;
    v.kind = kind;
    v.msgId = static_cast<long>(h.msgId);
    return v;
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
    if (!ParseUsmHeader(data, size, h) || !SameUdpAddress(from, st.agent) ||
        std::find(st.awaited.begin(), st.awaited.end(), static_cast<long>(h.msgId)) == st.awaited.end()) {
        return {};
    }
    const bool authenticated = (h.flags & kAuthFlag) != 0;
    if (!authenticated) {
        if (h.pduType == kReportPdu) {
            const UsmReport kind = h.report;
            if (static_cast<long>(h.msgId) == st.discovery &&
                (kind == UsmReport::kUnknownEngineId || kind == UsmReport::kUnknownUserName)) {
                return Verdict(UsmVerdict::kPass, h);
            }
            UsmVerdict v = Verdict(UsmVerdict::kHint, h);
            v.report = kind;
            v.engineId = h.engineId;
            return v;
        }
        // Without authentication on our side, a response at our level is the library's to take.
        if (st.securityLevel == 1 && h.pduType == kResponsePdu) {
            return Verdict(UsmVerdict::kPass, h);
        }
        return {};
    }
    // Authenticated: our user, our level (an agent reports its clock authenticated without privacy).
    const int level = LevelOf(h.flags);
    if (st.securityLevel < 2 || h.user != std::vector<uint8_t>(st.user.begin(), st.user.end()) ||
        !(level == st.securityLevel || (level == 2 && h.pduType == kReportPdu))) {
        return {};
    }
    const bool known = !st.engineId.empty() && h.engineId == st.engineId;
    if (!known) {
        const std::vector<uint8_t> key = st.localize ? st.localize(h.engineId) : std::vector<uint8_t>{};
        if (h.engineId.empty() || !UsmAuthentic(data, size, h, st.authArith, key)) {
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
    return Verdict(UsmVerdict::kPass, h);
}

}  // namespace ksx::snmp
