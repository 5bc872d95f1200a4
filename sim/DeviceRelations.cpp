// Relations between objects of the simulated device: twin names of one value (a standard MIB's view of
// enterprise state) and the bridge timer relation a SET must keep.
#include "sim/Device.h"

namespace ksxsim {

namespace {

std::optional<long long> IntegerOf(const Value& v) {
    if (v.type != 'i' || v.data.empty() || v.data.size() > 12) {
        return std::nullopt;
    }
    try {
        size_t used = 0;
        long long n = std::stoll(v.data, &used);
        return used == v.data.size() ? std::optional<long long>(n) : std::nullopt;
    } catch (...) {
        return std::nullopt;
    }
}

Oid Rebase(const Oid& oid, const Oid& from, const Oid& to) {
    Oid r = to;
    r.insert(r.end(), oid.begin() + static_cast<long>(from.size()), oid.end());
    return r;
}

}  // namespace

bool Device::ParseRelationDirective(const std::vector<std::string>& w, bool* handled, std::string* error) {
    auto oidAt = [&](size_t i) -> std::optional<Oid> { return i < w.size() ? ParseOid(w[i]) : std::nullopt; };
    if (w[0] == "@mirror") {
        *handled = true;
        if (w.size() == 3 && oidAt(1) && oidAt(2) && !HasPrefix(*oidAt(1), *oidAt(2)) &&
            !HasPrefix(*oidAt(2), *oidAt(1))) {
            m_mirrors.push_back({*oidAt(1), *oidAt(2)});
            return true;
        }
        *error = "bad directive: @mirror needs two OIDs that do not contain each other";
        return false;
    }
    if (w[0] == "@bridgetimes") {
        *handled = true;
        if (w.size() == 4 && oidAt(1) && oidAt(2) && oidAt(3)) {
            m_bridgeTimes.push_back({*oidAt(1), *oidAt(2), *oidAt(3)});
            return true;
        }
        *error = "bad directive: @bridgetimes needs MAXAGE HELLO FWD";
        return false;
    }
    return true;
}

std::optional<Oid> Device::Twin(const Oid& oid) const {
    for (const Mirror& m : m_mirrors) {
        if (oid.size() > m.a.size() && HasPrefix(oid, m.a)) {
            return Rebase(oid, m.a, m.b);
        }
        if (oid.size() > m.b.size() && HasPrefix(oid, m.b)) {
            return Rebase(oid, m.b, m.a);
        }
    }
    return std::nullopt;
}

void Device::PutWithTwin(const Oid& oid, const Value& value) {
    m_store.Put(oid, value);
    if (auto twin = Twin(oid); twin && m_store.Find(*twin)) {
        Value v = value;
        v.type = m_store.Find(*twin)->value.type;
        CancelEvents(*twin);
        m_store.Put(*twin, v);
    }
}

SetResult Device::CheckRelations(const std::vector<Binding>& bindings) const {
    for (const BridgeTimes& rule : m_bridgeTimes) {
        const Oid* names[3] = {&rule.maxAge, &rule.hello, &rule.forwardDelay};
        std::optional<long long> values[3];
        for (int k = 0; k < 3; ++k) {
            if (const Entry* e = m_store.Find(*names[k])) {
                values[k] = IntegerOf(e->value);
            }
        }
        std::optional<size_t> first;
        for (size_t i = 0; i < bindings.size(); ++i) {
            const auto twin = Twin(bindings[i].oid);
            for (int k = 0; k < 3; ++k) {
                if (bindings[i].oid == *names[k] || (twin && *twin == *names[k])) {
                    values[k] = IntegerOf(bindings[i].value);
                    first = first ? first : i;
                }
            }
        }
        if (!first || !values[0] || !values[1] || !values[2]) {
            continue;
        }
        const long long maxAge = *values[0];
        const long long hello = *values[1];
        const long long forwardDelay = *values[2];
        if (maxAge < 2 * (hello + 100) || 2 * (forwardDelay - 100) < maxAge) {
            return {kInconsistentValue, *first};
        }
    }
    return {};
}

}  // namespace ksxsim
