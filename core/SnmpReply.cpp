#include "core/SnmpReply.h"

#include <charconv>
#include <initializer_list>
#include <utility>

#include "core/TableRead.h"

namespace ksx {

std::string BindingValue(CSnmp* response, int index) {
    int length = 0;
    char* value = nullptr;
    if (response == nullptr || response->getValue(index, &length, &value) != 0 || value == nullptr ||
        length < 0) {
        return std::string();
    }
    return std::string(value, static_cast<size_t>(length));
}

namespace {

// The reply type of binding `index`, or -1 when the reply has no such binding.
int BindingType(const CSnmp* response, int index) {
    if (response == nullptr || index < 0 || index >= response->getVarBindCount()) {
        return -1;
    }
    const auto& binds = response->varBinds();
    return static_cast<size_t>(index) < binds.size() ? binds[static_cast<size_t>(index)].type : -1;
}

bool IsOneOf(int type, std::initializer_list<int> types) {
    for (int t : types) {
        if (type == t) {
            return true;
        }
    }
    return false;
}

std::optional<std::string> ValueOfType(CSnmp* response, int index, std::initializer_list<int> types) {
    if (!IsOneOf(BindingType(response, index), types)) {
        return std::nullopt;
    }
    int length = 0;
    char* value = nullptr;
    if (response->getValue(index, &length, &value) != 0 || value == nullptr || length < 0) {
        return std::nullopt;
    }
    return std::string(value, static_cast<size_t>(length));
}

template <class T>
std::optional<T> WholeNumber(const std::optional<std::string>& text) {
    if (!text || text->empty()) {
        return std::nullopt;
    }
    const char* first = text->data();
    const char* last = first + text->size();
    if (*first == '+') {
        ++first;
    }
    T value{};
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last || first == last) {
        return std::nullopt;
    }
    return value;
}

// Error status and index of a reply; both -1 without a reply.
std::pair<int, int> ErrorStatusOf(const CSnmp* response) {
    int errorStatus = -1;
    int errorIndex = -1;
    if (response != nullptr) {
        response->getErrorStatus(&errorStatus, &errorIndex);
    }
    return {errorStatus, errorIndex};
}

// One exchange of `session` (Send or GetNext), the reply owned by the result.
SnmpReply Request(CCommonSNMP& session, int (CCommonSNMP::*exchange)(CSnmp*&, int), int timeoutMs) {
    SnmpReply reply;
    const bool get = session.PendingKind() == CCommonSNMP::REQUEST_GET;
    const std::vector<std::string> requested = get ? session.PendingOids() : std::vector<std::string>();
    CSnmp* response = nullptr;
    reply.status = (session.*exchange)(response, timeoutMs);
    reply.sent = session.LastSent();
    reply.response.reset(response);
    if (get && response != nullptr) {
        reply.placed = MatchByOid(requested, response);
    }
    return reply;
}

}  // namespace

std::optional<std::string> ReadOctets(CSnmp* response, int index) {
    return ValueOfType(response, index, {SNMP_REPLY_OCTETS, SNMP_REPLY_OPAQUE});
}

std::optional<long long> ReadInteger(CSnmp* response, int index) {
    return WholeNumber<long long>(ValueOfType(response, index, {SNMP_REPLY_INTEGER}));
}

std::optional<unsigned long long> ReadUnsigned(CSnmp* response, int index) {
    return WholeNumber<unsigned long long>(
        ValueOfType(response, index,
                    {SNMP_REPLY_COUNTER, SNMP_REPLY_GAUGE, SNMP_REPLY_TIMETICKS, SNMP_REPLY_COUNTER64,
                     SNMP_REPLY_UNSIGNED}));
}

std::optional<std::string> ReadDotted(CSnmp* response, int index) {
    return ValueOfType(response, index, {SNMP_REPLY_OID, SNMP_REPLY_IPADDRESS});
}

std::optional<std::string> ReadAny(CSnmp* response, int index) {
    return ValueOfType(response, index,
                       {SNMP_REPLY_INTEGER, SNMP_REPLY_OCTETS, SNMP_REPLY_OID, SNMP_REPLY_IPADDRESS,
                        SNMP_REPLY_COUNTER, SNMP_REPLY_GAUGE, SNMP_REPLY_TIMETICKS, SNMP_REPLY_OPAQUE,
                        SNMP_REPLY_COUNTER64, SNMP_REPLY_UNSIGNED});
}

int ReplyErrorStatus(const CSnmp* response) {
    return ErrorStatusOf(response).first;
}

int ReplyErrorIndex(const CSnmp* response) {
    return ErrorStatusOf(response).second;
}

bool ReplyAccepted(int status, const CSnmp* response) {
    return status == 0 && response != nullptr && ReplyErrorStatus(response) == 0;
}

SnmpReply SendRequest(CCommonSNMP& session, int timeoutMs) {
    return Request(session, &CCommonSNMP::Send, timeoutMs);
}

SnmpReply GetNextRequest(CCommonSNMP& session, int timeoutMs) {
    return Request(session, &CCommonSNMP::GetNext, timeoutMs);
}

bool SendAccepted(CCommonSNMP& session, int timeoutMs) {
    return SendRequest(session, timeoutMs).Accepted();
}

}  // namespace ksx
