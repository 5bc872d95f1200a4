// Shortens the transfer dialog's timings for the life of the object (the dialogs made meanwhile take
// them).
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "platform/sys/Tunable.h"

namespace ksx::test {

// The transfer dialog's durations (the device's defaults).
struct FirmTimes {
    unsigned firmwareFirstPollMs = 15000;  // first status poll after the operation, firmware
    unsigned configFirstPollMs = 3000;     // same, configuration
    unsigned pendingPollMs = 1000;         // next poll after "pending"
    unsigned retryPollMs = 3000;           // next poll after an unanswered one
    unsigned runningPollMs = 5000;         // next poll after "in progress"
    unsigned firmwareOverallMs = 260000;   // wait after the last "in progress", firmware
    unsigned configOverallMs = 150000;     // same, configuration
    unsigned progressFirstMs = 2000;
    unsigned progressNextMs = 2500;
    unsigned finishMs = 5;
    int fileSetTimeoutMs = 10000;  // address and file-name SET
    int operationTimeoutMs = 15000;
    int statusTimeoutMs = 6000;
};

class FirmTiming {
public:
    explicit FirmTiming(const FirmTimes& t) {
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
