// Feature dialogs register a launcher under their menu command id; the main window runs them. A launcher
// constructs its dialog as a local object with no parent and runs it modally.
#pragma once

#include <functional>
#include <map>

namespace ksx::ui {

using FeatureLauncher = std::function<void()>;

class FeatureRegistry {
public:
    static FeatureRegistry& Instance() {
        static FeatureRegistry registry;
        return registry;
    }
    void Register(int commandId, FeatureLauncher launcher) { m_launchers[commandId] = std::move(launcher); }
    bool Has(int commandId) const { return m_launchers.count(commandId) != 0; }
    // Runs the launcher of commandId on the calling (UI) thread; false when none is registered.
    bool Run(int commandId) const {
        auto it = m_launchers.find(commandId);
        if (it == m_launchers.end()) {
            return false;
        }
        it->second();
        return true;
    }

private:
    std::map<int, FeatureLauncher> m_launchers;
};

// At namespace scope in a feature's .cpp: static const ksx::ui::RegisterFeature reg(32870, [] { ... });
struct RegisterFeature {
    RegisterFeature(int commandId, FeatureLauncher launcher) {
        FeatureRegistry::Instance().Register(commandId, std::move(launcher));
    }
};

}  // namespace ksx::ui
