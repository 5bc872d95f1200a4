// The walk of the trunk member column.
#include "features/layer2/TrunkMemberWalk.h"

#include <algorithm>

#include "core/SnmpReply.h"
#include "core/TextNumbers.h"
#include "core/Utils.h"

namespace ksx {

void TrunkMemberWalk::Start(SNMPWALKPROC callback, void* userData) {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        std::fill(m_groups.begin(), m_groups.end(), 0);
    }
    m_walk.Open(CCommonSNMP::REQUEST_GETNEXT);
    m_walk.AddVarBind(kTrunkMemberColumn, 4, nullptr);
    m_walk.StartAsyncWalk(callback, userData, 0);
}

TrunkMemberWalk::Step TrunkMemberWalk::OnStep(CSnmp* response, int requestId, int status,
                                              SNMPWALKPROC callback, void* userData, size_t flagCount) {
    if (!m_walk.FindRequestID(requestId)) {
        return Step::Ignored;
    }
    if (status != 0 || !ReplyAccepted(status, response)) {
        // Only the end of the column makes the membership complete.
        return status == -2 ? Step::Complete : Step::Failed;
    }
    int count = 0;
    const std::string list = CUtils::PortBitmapToList(BindingValue(response, 0), &count);
    if (count > 0) {
        char* suffix = nullptr;
        if (m_walk.GetResponseOid(0, response, &suffix) == 0 && suffix != nullptr) {
            Store(list, suffix, flagCount);
        }
    }
    m_walk.StartAsyncWalk(callback, userData, 0);
    return Step::Next;
}

void TrunkMemberWalk::Store(const std::string& list, const std::string& instance, size_t flagCount) {
    const int group =
        text::LeadingInt(!instance.empty() && instance[0] == '.' ? instance.substr(1) : instance);
    std::vector<int> flags(flagCount, 0);
    CUtils::PortListToArray(list, flags.data(), 1);
    std::lock_guard<std::mutex> guard(m_lock);
    for (size_t i = 0; i < flags.size() && i < m_groups.size(); ++i) {
        if (flags[i] != 0) {
            m_groups[i] = group;
        }
    }
}

}  // namespace ksx
