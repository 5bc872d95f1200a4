// One SNMPv1 get of a few scalars.
#include "features/common/ScalarGet.h"

#include "core/SnmpReply.h"
#include "features/common/DirectRead.h"
#include "platform/sys/DeliveryGate.h"
#include "platform/sys/Globals.h"

namespace ksx {

void SendScalarGet(CSnmp4w* sender, const std::string& agent, const char* root,
                   const std::vector<const char*>& leaves, CSnmp4w::Callback cb, void* userData) {
    if (g_strSnmpVersion != "1" || sender == nullptr) {
        return;
    }
    std::vector<std::string> oids;
    for (const char* leaf : leaves) {
        oids.push_back(std::string(root) + leaf);
    }
    CSnmpV1 request(0);
    BuildRequest(request, 0, g_strReadCommunity, oids);
    sender->attach(&request);
    sender->start(agent.c_str(), cb, userData);
}

std::optional<std::vector<std::string>> ScalarGetTexts(CSnmp* reply, int status, int count,
                                                       const std::string& kinds) {
    std::unique_ptr<CSnmp> owned(reply);
    if (g_strSnmpVersion != "1" || !owned) {
        return std::nullopt;
    }
    const DirectReply copy = CopyReply(owned.get(), status);
    if (!copy.Accepted() || copy.Count() < static_cast<size_t>(count)) {
        return std::nullopt;
    }
    for (size_t i = 0; i < kinds.size() && static_cast<int>(i) < count; ++i) {
        if (kinds[i] == 'i' && !ReadInteger(owned.get(), static_cast<int>(i))) {
            return std::nullopt;
        }
    }
    std::vector<std::string> values;
    for (size_t i = 0; i < static_cast<size_t>(count); ++i) {
        values.push_back(copy.Text(i));
    }
    return values;
}

void ReleaseSender(std::unique_ptr<CSnmp4w>& sender) {
    if (sender) {
        DeliveryGate::WaitingFor waiting(sender->workerThreadId());
        sender.reset();
    }
}

}  // namespace ksx
