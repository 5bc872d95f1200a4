// Shortens the transfer dialog's timings for the life of the object (the dialogs made meanwhile take
// them).
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "features/port_system/FirmDownLoad.h"
#include "platform/sys/Tunable.h"

namespace ksx::test {

class FirmTiming {
public:
    explicit FirmTiming(const CFirmDownLoad::Timing& t) {
        const std::pair<const char*, int> values[] = {
            {"firmware.first-poll-ms", static_cast<int>(t.firmwareFirstPollMs)},
            {"firmware.config-first-poll-ms", static_cast<int>(t.configFirstPollMs)},
            {"firmware.pending-poll-ms", static_cast<int>(t.pendingPollMs)},
            {"firmware.retry-poll-ms", static_cast<int>(t.retryPollMs)},
            {"firmware.running-poll-ms", static_cast<int>(t.runningPollMs)},
            {"firmware.overall-ms", static_cast<int>(t.firmwareOverallMs)},
            {"firmware.config-overall-ms", static_cast<int>(t.configOverallMs)},
            {"firmware.progress-first-ms", static_cast<int>(t.progressFirstMs)},
            {"firmware.progress-next-ms", static_cast<int>(t.progressNextMs)},
            {"firmware.finish-ms", static_cast<int>(t.finishMs)},
            {"firmware.file-set-timeout-ms", t.fileSetTimeoutMs},
            {"firmware.operation-timeout-ms", t.operationTimeoutMs},
            {"firmware.status-timeout-ms", t.statusTimeoutMs},
        };
        for (const auto& [name, value] : values) {
            m_overrides.push_back(std::make_unique<Tunable::Override>(name, value));
        }
    }
    bool Applied() const {
        for (const auto& o : m_overrides) {
            if (!o->Applied()) {
                return false;
            }
        }
        return true;
    }

private:
    std::vector<std::unique_ptr<Tunable::Override>> m_overrides;
};

}  // namespace ksx::test
