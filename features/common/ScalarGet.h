// One SNMPv1 get of a few scalars under one root, sent by a window's own sender, and the reply's values
// as texts. Shared by the information views that read a handful of values and show them as they are.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/snmplib/Snmp.h"

namespace ksx {

// Sends root + each leaf in one get with the read community; nothing when the version is not 1 or there
// is no sender.
void SendScalarGet(CSnmp4w* sender, const std::string& agent, const char* root,
                   const std::vector<const char*>& leaves, CSnmp4w::Callback cb, void* userData);

// Takes the reply (deleting it) and gives its first `count` values as texts; nothing when the version is
// not 1, the request failed, the reply has a non-zero error status or fewer values, or a value marked 'i'
// in `kinds` (by its position) is not an INTEGER: a value a window writes back must be read as a number.
std::optional<std::vector<std::string>> ScalarGetTexts(CSnmp* reply, int status, int count,
                                                       const std::string& kinds = std::string());

// Deletes the sender once the window no longer takes deliveries, waiting for a callback in progress.
void ReleaseSender(std::unique_ptr<CSnmp4w>& sender);

}  // namespace ksx
