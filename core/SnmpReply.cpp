#include "core/SnmpReply.h"

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

int ReplyErrorStatus(const CSnmp* response) {
    if (response == nullptr) {
        return -1;
    }
    int errorStatus = 0;
    int errorIndex = 0;
    response->getErrorStatus(&errorStatus, &errorIndex);
    return errorStatus;
}

bool ReplyAccepted(int status, const CSnmp* response) {
    return status == 0 && response != nullptr && ReplyErrorStatus(response) == 0;
}

SnmpReply SendRequest(CCommonSNMP& session, int timeoutMs) {
    SnmpReply reply;
    CSnmp* response = nullptr;
    reply.status = session.Send(response, timeoutMs);
    reply.response.reset(response);
    return reply;
}

SnmpReply GetNextRequest(CCommonSNMP& session, int timeoutMs) {
    SnmpReply reply;
    CSnmp* response = nullptr;
    reply.status = session.GetNext(response, timeoutMs);
    reply.response.reset(response);
    return reply;
}

bool SendAccepted(CCommonSNMP& session, int timeoutMs) {
    return SendRequest(session, timeoutMs).Accepted();
}

}  // namespace ksx
