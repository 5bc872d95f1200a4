#include "core/SnmpReply.h"

#include <utility>

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
    CSnmp* response = nullptr;
    reply.status = (session.*exchange)(response, timeoutMs);
    reply.response.reset(response);
    return reply;
}

}  // namespace

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
