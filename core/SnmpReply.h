// Small helpers over replies that every feature needs: a binding's value as text, and "did the device
// accept it" (a reply arrived and carries no error status).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/CommonSNMP.h"

namespace ksx {

// Value of binding `index` as text (raw octets for strings); empty when the reply has no such binding.
std::string BindingValue(CSnmp* response, int index);

// Checked reads of binding `index`. A value is read only when the binding is there, carries no
// exception value (noSuchObject, noSuchInstance, endOfMibView, NULL), has the type asked for and
// parses whole; otherwise there is no value, exactly as if the request had timed out. Never show or
// write back a value these did not give.
//   ReadOctets:   OCTET STRING or Opaque, raw octets (empty allowed)
//   ReadInteger:  INTEGER, the whole decimal text (sign allowed)
//   ReadUnsigned: Counter32, Gauge32/Unsigned32, TimeTicks, Counter64
//   ReadDotted:   OBJECT IDENTIFIER or IpAddress as dotted text
//   ReadAny:      any type but an exception or NULL, as BindingValue gives it
std::optional<std::string> ReadOctets(CSnmp* response, int index);
std::optional<long long> ReadInteger(CSnmp* response, int index);
std::optional<unsigned long long> ReadUnsigned(CSnmp* response, int index);
std::optional<std::string> ReadDotted(CSnmp* response, int index);
std::optional<std::string> ReadAny(CSnmp* response, int index);

// Error status of a reply; -1 without a reply.
int ReplyErrorStatus(const CSnmp* response);

// Error index of a reply; -1 without a reply.
int ReplyErrorIndex(const CSnmp* response);

// True when the status is 0 and the reply carries error status 0.
bool ReplyAccepted(int status, const CSnmp* response);

// Sends the pending PDU of `session` and takes ownership of the reply. For a get, value `index` is the
// binding that names the index-th requested object (matched by OID, never by its place in the reply):
// an object the reply left out has no value.
struct SnmpReply {
    int status = -1;
    std::unique_ptr<CSnmp> response;
    std::vector<int> placed;  // a get's binding per requested object (-1: none); empty: as received
    SnmpSent sent;            // the request went out, again, on inference (CCommonSNMP::LastSent)
    bool Accepted() const { return ReplyAccepted(status, response.get()); }
    // The layer's one account of this exchange: accepted, refused, unanswered or not sent. Every write's
    // outcome and text is taken from it (StepOutcome::Of, AnswerText).
    SnmpAnswer Answer() const { return ClassifyAnswer(status, response.get(), sent); }
    std::string Value(int index) const { return BindingValue(response.get(), Binding(index)); }
    // Checked reads (see ReadOctets and the rest above); nothing without an accepted reply.
    std::optional<std::string> Octets(int index) const {
        return Accepted() ? ReadOctets(response.get(), Binding(index)) : std::nullopt;
    }
    std::optional<long long> Integer(int index) const {
        return Accepted() ? ReadInteger(response.get(), Binding(index)) : std::nullopt;
    }
    std::optional<unsigned long long> Unsigned(int index) const {
        return Accepted() ? ReadUnsigned(response.get(), Binding(index)) : std::nullopt;
    }
    std::optional<std::string> Dotted(int index) const {
        return Accepted() ? ReadDotted(response.get(), Binding(index)) : std::nullopt;
    }
    std::optional<std::string> Any(int index) const {
        return Accepted() ? ReadAny(response.get(), Binding(index)) : std::nullopt;
    }
    // The reply binding that answers requested object `index`; -1 when none.
    int Binding(int index) const {
        if (placed.empty()) {
            return index;
        }
        return index >= 0 && static_cast<size_t>(index) < placed.size() ? placed[static_cast<size_t>(index)]
                                                                        : -1;
    }
    // The request had been sent more than once when this answer came: it may answer a resend, and a
    // write refused then may have been applied by its first copy.
    bool AfterResend() const { return sent.resent || (response && response->afterResend()); }
    // Error status and index of the reply; 0 without one (the status tells why there is none).
    int ErrorStatus() const { return response ? ReplyErrorStatus(response.get()) : 0; }
    int ErrorIndex() const { return response ? ReplyErrorIndex(response.get()) : 0; }
};
SnmpReply SendRequest(CCommonSNMP& session, int timeoutMs = 0);
SnmpReply GetNextRequest(CCommonSNMP& session, int timeoutMs = 0);

// Sends the pending PDU; true when the device accepted it. The reply is released.
bool SendAccepted(CCommonSNMP& session, int timeoutMs = 0);

}  // namespace ksx
