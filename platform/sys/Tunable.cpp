#include "platform/sys/Tunable.h"

#include <map>
#include <mutex>

namespace ksx {

namespace {

struct Registry {
    std::mutex mutex;
    std::map<std::string, Tunable*> byName;
};

Registry& Tunables() {
    static Registry registry;
    return registry;
}

}  // namespace

Tunable::Tunable(std::string name, int value) : m_name(std::move(name)), m_default(value), m_value(value) {
    Registry& r = Tunables();
    std::lock_guard<std::mutex> guard(r.mutex);
    r.byName[m_name] = this;
}

Tunable::~Tunable() {
    Registry& r = Tunables();
    std::lock_guard<std::mutex> guard(r.mutex);
    auto it = r.byName.find(m_name);
    if (it != r.byName.end() && it->second == this) {
        r.byName.erase(it);
    }
}

Tunable* Tunable::Find(const std::string& name) {
    Registry& r = Tunables();
    std::lock_guard<std::mutex> guard(r.mutex);
    auto it = r.byName.find(name);
    return it == r.byName.end() ? nullptr : it->second;
}

Tunable::Override::Override(const std::string& name, int value) : m_tunable(Find(name)) {
    if (m_tunable != nullptr) {
        m_previous = m_tunable->m_value.exchange(value);
    }
}

Tunable::Override::~Override() {
    if (m_tunable != nullptr) {
        m_tunable->m_value = m_previous;
    }
}

}  // namespace ksx
