// Shared by the application shell tests: a User.ini in a temporary folder that the main window reads,
// the shipped panel descriptions, and a short polling pace.
#pragma once

#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/PanelDeviceThread.h"
#include "app/QuorviaModuleApp.h"

namespace ksx::test {

inline std::string SourceDir() {
    const char* dir = std::getenv("KSX_SOURCE_DIR");
    return dir != nullptr ? dir : ".";
}

// res/panels/ksx-4200-<model>.xml of the source tree.
inline std::string PanelXml(const std::string& model) {
    return SourceDir() + "/res/panels/ksx-4200-" + model + ".xml";
}

// The [DeviceInfo] section of a model.
inline std::string DeviceInfo(const std::string& name, int ports, const std::string& xml,
                              const std::string& fan = "Y", const std::string& giga = "N") {
    return "[DeviceInfo]\nDeviceName=" + name + "\nDevicePortNum=" + std::to_string(ports) +
           "\nXMLName=" + xml + "\nIsAllGiga=" + giga + "\nIsHasFan=" + fan + "\n";
}

// Writes User.ini into a temporary folder and points the main window at it for its lifetime.
class TempUserIni {
public:
    explicit TempUserIni(const std::string& content) {
        m_path = m_dir.path().toStdString() + "/User.ini";
        std::ofstream(m_path) << content;
        SetUserIniPath(m_path);
    }
    ~TempUserIni() {
        if (UserIniPath() == m_path) {
            SetUserIniPath("");
        }
    }
    TempUserIni(const TempUserIni&) = delete;
    TempUserIni& operator=(const TempUserIni&) = delete;
    const std::string& Path() const { return m_path; }
    std::string Folder() const { return m_dir.path().toStdString(); }

private:
    QTemporaryDir m_dir;
    std::string m_path;
};

// A quick polling pace for its lifetime: a poll every first + 10 x interval milliseconds.
class FastPolling {
public:
    explicit FastPolling(int firstMs = 20, int intervalMs = 40, int poeSettleMs = 20) {
        CPanelDeviceThread::SetTiming({firstMs, intervalMs, poeSettleMs});
    }
    ~FastPolling() { CPanelDeviceThread::SetTiming({}); }
    FastPolling(const FastPolling&) = delete;
    FastPolling& operator=(const FastPolling&) = delete;
    // One poll cycle in milliseconds.
    static int CycleMs() {
        const CPanelDeviceThread::Timing t = CPanelDeviceThread::GetTiming();
        return t.firstSleepMs + 10 * t.intervalMs + t.poeSettleMs;
    }
};

}  // namespace ksx::test
