// The walk of the trunk member column that logic objects run to know each port's trunk group: the
// request, one step of it, and the per-port groups it fills.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "core/CommonSNMP.h"

namespace ksx {

// Member bitmaps of the trunks, one row per trunk group.
constexpr const char* kTrunkMemberColumn = "1.3.6.1.4.1.7393.10.76.20.1.8.1.3.1.2";

// Per port (index port - 1) the trunk group it belongs to, 0 for none, under the owner's lock.
class TrunkMemberWalk {
public:
    enum class Step {
        Ignored,   // a step of an earlier walk: nothing to do
        Next,      // members stored, the next step started
        Complete,  // the column was read to its end
        Failed,    // the walk stopped before its end: the membership is unknown
    };

    TrunkMemberWalk(CCommonSNMP& walk, std::mutex& lock, std::vector<int>& groups)
        : m_walk(walk), m_lock(lock), m_groups(groups) {}

    // Clears the groups (a port that left its trunk must not keep the old one) and starts the walk.
    void Start(SNMPWALKPROC callback, void* userData);
    // One step of the walk (response still owned by the caller); `flagCount` sizes the port flags.
    Step OnStep(CSnmp* response, int requestId, int status, SNMPWALKPROC callback, void* userData,
                size_t flagCount);

private:
    void Store(const std::string& list, const std::string& instance, size_t flagCount);

    CCommonSNMP& m_walk;
    std::mutex& m_lock;
    std::vector<int>& m_groups;
};

}  // namespace ksx
