// One SNMPv1 get of a few scalars.
#include "features/common/ScalarGet.h"

#include "core/SnmpReply.h"
#include "platform/sys/DeliveryGate.h"
#include "platform/sys/Globals.h"

namespace ksx {

void SendScalarGet(CSnmp4w* sender, const std::string& agent, const char* root,
                   const std::vector<const char*>& leaves, CSnmp4w::Callback cb, void* userData) {
    if (g_strSnmpVersion != "1" || sender == nullptr) {
        return;
    }
    CSnmpV1 request(0);
    request.setCommunity(g_strReadCommunity.c_str());
    for (const char* leaf : leaves) {
        request.addValue((std::string(root) + leaf).c_str(), SNMP_TYPE_NULL, nullptr);
    }
    sender->attach(&request);
    sender->start(agent.c_str(), cb, userData);
}

std::optional<std::vector<std::string>> ScalarGetTexts(CSnmp* reply, int status, int count,
                                                       const std::string& kinds) {
    std::unique_ptr<CSnmp> owned(reply);
    if (g_strSnmpVersion != "1" || status != 0 || !owned) {
        return std::nullopt;
    }
    int errorStatus = 0;
    int errorIndex = 0;
    owned->getErrorStatus(&errorStatus, &errorIndex);
    if (errorStatus != 0 || owned->getVarBindCount() < count) {
        return std::nullopt;
    }
    for (size_t i = 0; i < kinds.size() && static_cast<int>(i) < count; ++i) {
        if (kinds[i] == 'i' && !ReadInteger(owned.get(), static_cast<int>(i))) {
            return std::nullopt;
        }
    }
    std::vector<std::string> values;
    for (int i = 0; i < count; ++i) {
        const char* text = owned->getValueText(i);
        values.emplace_back(text != nullptr ? text : "");
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
