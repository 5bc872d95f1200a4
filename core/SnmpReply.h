// Small helpers over replies that every feature needs: a binding's value as text, and "did the device
// accept it" (a reply arrived and carries no error status).
#pragma once

#include <memory>
#include <string>

#include "core/CommonSNMP.h"

namespace ksx {

// Value of binding `index` as text (raw octets for strings); empty when the reply has no such binding.
std::string BindingValue(CSnmp* response, int index);

// Error status of a reply; -1 without a reply.
int ReplyErrorStatus(const CSnmp* response);

// Error index of a reply; -1 without a reply.
int ReplyErrorIndex(const CSnmp* response);

// True when the status is 0 and the reply carries error status 0.
bool ReplyAccepted(int status, const CSnmp* response);

// Sends the pending PDU of `session` and takes ownership of the reply.
struct SnmpReply {
    int status = -1;
    std::unique_ptr<CSnmp> response;
    bool Accepted() const { return ReplyAccepted(status, response.get()); }
    std::string Value(int index) const { return BindingValue(response.get(), index); }
    // Error status and index of the reply; 0 without one (the status tells why there is none).
    int ErrorStatus() const { return response ? ReplyErrorStatus(response.get()) : 0; }
    int ErrorIndex() const { return response ? ReplyErrorIndex(response.get()) : 0; }
};
SnmpReply SendRequest(CCommonSNMP& session, int timeoutMs = 0);
SnmpReply GetNextRequest(CCommonSNMP& session, int timeoutMs = 0);

// Sends the pending PDU; true when the device accepted it. The reply is released.
bool SendAccepted(CCommonSNMP& session, int timeoutMs = 0);

}  // namespace ksx
