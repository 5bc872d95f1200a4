#include "sim/Device.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace ksxsim {

namespace {

std::vector<std::string> SplitWords(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    std::string w;
    while (in >> w) {
        words.push_back(w);
    }
    return words;
}

bool ParseInt(const std::string& text, long long* out) {
    if (text.empty() || text.size() > 20) {
        return false;
    }
    size_t used = 0;
    try {
        *out = std::stoll(text, &used);
    } catch (...) {
        return false;
    }
    return used == text.size();
}

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) {
        return "";
    }
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

Oid Concat(const Oid& a, uint32_t column, const Oid& index) {
    Oid r = a;
    r.push_back(column);
    r.insert(r.end(), index.begin(), index.end());
    return r;
}

Value Integer(long long n) {
    return Value{'i', std::to_string(n)};
}

// A plain decimal number ("-12", "6.2"), read without the locale; nullopt for anything else.
std::optional<double> ParseNumber(const std::string& text) {
    size_t digits = 0;
    bool point = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9') {
            ++digits;
        } else if (text[i] == '.' && !point) {
            point = true;
        } else if (text[i] != '-' || i != 0) {
            return std::nullopt;
        }
    }
    double v = 0;
    if (!digits || text.size() > 32 ||
        std::from_chars(text.data(), text.data() + text.size(), v).ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    return v;
}

// Digits after the point of a decimal text.
int Decimals(const std::string& text) {
    size_t dot = text.find('.');
    return dot == std::string::npos ? 0 : static_cast<int>(text.size() - dot - 1);
}

// The Q-BRIDGE forwarding database (dot1qTpFdbTable) replaced by `entries` generated rows: entry n
// (1..entries) lies in filtering database 1 + (n - 1) / 4000 with MAC 02-00-00 followed by n in three
// octets, on port 1 + (n - 1) % 24, learned (status 3). Index order is entry order.
void GenerateForwardingTable(ObjectStore* store, uint32_t entries) {
    const Oid table = {1, 3, 6, 1, 2, 1, 17, 7, 1, 2, 2, 1};
    std::vector<Oid> old;
    for (auto* e = store->Next(table); e != nullptr && HasPrefix(e->first, table);
         e = store->Next(e->first)) {
        old.push_back(e->first);
    }
    for (const Oid& oid : old) {
        store->Remove(oid);
    }
    for (uint32_t n = 1; n <= entries; ++n) {
        const Oid index = {1 + (n - 1) / 4000, 2, 0, 0, (n >> 16) & 0xFF, (n >> 8) & 0xFF, n & 0xFF};
        for (uint32_t column : {2u, 3u}) {
            Oid oid = table;
            oid.push_back(column);
            oid.insert(oid.end(), index.begin(), index.end());
            store->Put(oid, Value{'i', std::to_string(column == 2 ? 1 + (n - 1) % 24 : 3)});
        }
    }
}

}  // namespace

bool Device::Load(const DeviceOptions& options, std::string* error) {
    m_options = options;
    if (!LoadProfile(error)) {
        return false;
    }
    for (const auto& spec : m_options.tables) {
        if (!AddGeneratedTable(spec, error)) {
            return false;
        }
    }
    ResetState(Clock::now());
    return true;
}

void Device::Reload(Clock::time_point now) {
    std::string error;
    bool ok = LoadProfile(&error);
    for (const auto& spec : m_options.tables) {
        ok = ok && AddGeneratedTable(spec, &error);
    }
    if (!ok) {
        // The profile was readable at start; say why the values stay as they are.
        std::fprintf(stderr, "ksx-sim: restart: %s\n", error.c_str());
    }
    ResetState(now);
}

void Device::ResetState(Clock::time_point now) {
    m_events.clear();
    m_uptimeStart = now;
    m_uptimeBase = 0;
    if (m_uptimeOid) {
        if (const Entry* e = m_store.Find(*m_uptimeOid); e && e->value.type == 't') {
            m_uptimeBase = static_cast<uint32_t>(std::stoul(e->value.data));
        }
    }
    m_rebootUntil = {};
    m_nextLive = now + std::chrono::milliseconds(m_options.liveMs);
}

bool Device::LoadProfile(std::string* error) {
    std::ifstream in(m_options.profilePath);
    if (!in) {
        *error = "cannot read profile " + m_options.profilePath;
        return false;
    }
    m_store.Clear();
    m_tables.clear();
    m_within.clear();
    m_keptRows.clear();
    m_access.clear();
    m_ranges.clear();
    m_transfers.clear();
    m_onSets.clear();
    m_drifts.clear();
    m_derived.clear();
    m_mirrors.clear();
    m_bridgeTimes.clear();
    m_uptimeOid.reset();
    m_saveOid.reset();
    m_rebootOid.reset();
    m_ports = 0;
    m_saveMs = 1000;
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == '#') {
            continue;
        }
        std::string where = m_options.profilePath + ":" + std::to_string(lineNo) + ": ";
        if (trimmed[0] == '@') {
            if (!ParseDirective(trimmed, error)) {
                *error = where + *error;
                return false;
            }
            continue;
        }
        // OID|type|value; the value is the rest of the line, '|' included.
        size_t p1 = line.find('|');
        size_t p2 = p1 == std::string::npos ? p1 : line.find('|', p1 + 1);
        if (p2 == std::string::npos || p2 != p1 + 2) {
            *error = where + "expected OID|type|value";
            return false;
        }
        auto oid = ParseOid(Trim(line.substr(0, p1)));
        char type = line[p1 + 1];
        auto value = oid && IsTypeLetter(type) ? ParseValue(type, line.substr(p2 + 1)) : std::nullopt;
        if (!value) {
            *error = where + "bad OID, type or value";
            return false;
        }
        m_store.Put(*oid, *value);
    }
    if (m_options.saveMs >= 0) {
        m_saveMs = m_options.saveMs;
    }
    return CheckReadings(error);
}

// Drifting and derived objects must be numbers in the profile; a typo would otherwise go unnoticed.
bool Device::CheckReadings(std::string* error) const {
    std::vector<Oid> oids;
    for (const auto& d : m_drifts) {
        oids.push_back(d.oid);
    }
    for (const auto& d : m_derived) {
        oids.push_back(d.oid);
        for (const auto& term : d.terms) {
            oids.push_back(term.first);
        }
    }
    for (const auto& oid : oids) {
        if (!Number(oid)) {
            *error = m_options.profilePath + ": " + OidText(oid) + " is not a number";
            return false;
        }
    }
    return true;
}

bool Device::ParseDirective(const std::string& line, std::string* error) {
    auto w = SplitWords(line);
    const std::string& name = w[0];
    auto oidAt = [&](size_t i) -> std::optional<Oid> { return i < w.size() ? ParseOid(w[i]) : std::nullopt; };
    bool handled = false;
    if (bool ok = ParseRelationDirective(w, &handled, error); handled) {
        return ok;
    }
    if (name == "@ports" && w.size() == 2) {
        long long n = 0;
        if (ParseInt(w[1], &n) && n > 0 && n <= 1000) {
            m_ports = static_cast<int>(n);
            return true;
        }
    } else if (name == "@uptime" && w.size() == 2 && oidAt(1)) {
        m_uptimeOid = oidAt(1);
        return true;
    } else if ((name == "@readonly" || name == "@writable") && w.size() == 2 && oidAt(1)) {
        m_access.push_back({*oidAt(1), name == "@readonly"});
        return true;
    } else if (name == "@within" && w.size() == 4 && oidAt(1)) {
        long long sub = 0;
        long long super = 0;
        if (ParseInt(w[2], &sub) && ParseInt(w[3], &super) && sub > 0 && super > 0) {
            m_within.push_back({*oidAt(1), static_cast<uint32_t>(sub), static_cast<uint32_t>(super)});
            return true;
        }
    } else if (name == "@keeprow" && w.size() == 3 && oidAt(1) && oidAt(2)) {
        m_keptRows.push_back({*oidAt(1), *oidAt(2)});
        return true;
    } else if (name == "@range" && w.size() == 4 && oidAt(1)) {
        Range r{*oidAt(1)};
        if (ParseInt(w[2], &r.lo) && ParseInt(w[3], &r.hi) && r.lo <= r.hi) {
            m_ranges.push_back(r);
            return true;
        }
    } else if ((name == "@rowstatus" || name == "@entrystatus") && w.size() >= 3 && oidAt(1)) {
        RowTable t;
        t.entry = *oidAt(1);
        t.rmon = name == "@entrystatus";
        long long n = 0;
        if (!ParseInt(w[2], &n) || n <= 0) {
            *error = "bad status column";
            return false;
        }
        t.statusColumn = static_cast<uint32_t>(n);
        for (size_t i = 3; i < w.size(); ++i) {
            if (w[i].rfind("max=", 0) == 0) {
                if (!ParseInt(w[i].substr(4), &n) || n < 0) {
                    *error = "bad max=";
                    return false;
                }
                t.maxRows = static_cast<size_t>(n);
                continue;
            }
            // COLUMN:TYPE[=DEFAULT], the default escaped as in the control protocol.
            ColumnDef c;
            size_t colon = w[i].find(':');
            if (colon == std::string::npos || colon + 1 >= w[i].size() ||
                !ParseInt(w[i].substr(0, colon), &n) || n <= 0 || !IsTypeLetter(w[i][colon + 1])) {
                *error = "bad column declaration " + w[i];
                return false;
            }
            c.column = static_cast<uint32_t>(n);
            c.type = w[i][colon + 1];
            const std::string spec = w[i].substr(colon + 2);
            const bool arc = spec.rfind("=@arc:", 0) == 0;
            const bool octets = spec.rfind("=@octets:", 0) == 0;
            if (spec == "=@index") {
                c.fromIndex = FromIndex::kLastArc;
            } else if (spec.rfind("=@arcs:", 0) == 0) {
                // A run of octets: "=@arcs:N:L" the L arcs from arc N on, "=@arcs:N" arcs N to the end.
                const size_t sep = spec.find(':', 7);
                long long length = 0;
                if (!ParseInt(spec.substr(7, sep == std::string::npos ? std::string::npos : sep - 7), &n) ||
                    (sep != std::string::npos && (!ParseInt(spec.substr(sep + 1), &length) || length <= 0)) ||
                    n <= 0 || n > 128 || length > 128 || (c.type != 's' && c.type != 'x')) {
                    *error = "bad column default " + w[i];
                    return false;
                }
                c.fromIndex = FromIndex::kArcRun;
                c.arc = static_cast<size_t>(n);
                c.runLength = static_cast<size_t>(length);
            } else if (arc || octets) {
                // The arc number is 1-based; octets make an OCTET STRING only.
                if (!ParseInt(spec.substr(arc ? 6 : 9), &n) || n <= 0 || n > 128 ||
                    (octets && c.type != 's' && c.type != 'x')) {
                    *error = "bad column default " + w[i];
                    return false;
                }
                c.fromIndex = arc ? FromIndex::kArc : FromIndex::kOctets;
                c.arc = static_cast<size_t>(n);
            } else if (colon + 2 < w[i].size()) {
                auto text = w[i][colon + 2] == '=' ? Unescape(w[i].substr(colon + 3)) : std::nullopt;
                auto v = text ? ParseValue(c.type, *text) : std::nullopt;
                if (!v) {
                    *error = "bad column default " + w[i];
                    return false;
                }
                c.defaultValue = v;
            }
            t.columns.push_back(c);
        }
        m_tables.push_back(t);
        return true;
    } else if (name == "@save" && (w.size() == 2 || w.size() == 3) && oidAt(1)) {
        m_saveOid = oidAt(1);
        long long ms = m_saveMs;
        if (w.size() == 3 && (!ParseInt(w[2], &ms) || ms < 0)) {
            *error = "bad save time";
            return false;
        }
        m_saveMs = static_cast<int>(ms);
        return true;
    } else if (name == "@reboot" && w.size() == 2 && oidAt(1)) {
        m_rebootOid = oidAt(1);
        return true;
    } else if (name == "@transfer" && w.size() == 3 && oidAt(1) && oidAt(2)) {
        m_transfers.push_back({*oidAt(1), *oidAt(2)});
        return true;
    } else if (name == "@onset" && w.size() == 5 && oidAt(1)) {
        // @onset OID VALUE MS TARGET|type|value
        long long ms = 0;
        const size_t p1 = w[4].find('|');
        const auto target = p1 == std::string::npos ? std::nullopt : ParseOid(w[4].substr(0, p1));
        const bool shaped = p1 != std::string::npos && p1 + 2 < w[4].size() && w[4][p1 + 2] == '|' &&
                            IsTypeLetter(w[4][p1 + 1]);
        auto put = shaped ? Unescape(w[4].substr(p1 + 3)) : std::nullopt;
        auto value = put ? ParseValue(w[4][p1 + 1], *put) : std::nullopt;
        if (!ParseInt(w[3], &ms) || ms < 0 || !target || !value) {
            *error = "bad onset " + w[4];
            return false;
        }
        m_onSets.push_back({*oidAt(1), w[2], static_cast<int>(ms), *target, *value});
        return true;
    } else if (name == "@drift" && w.size() == 5 && oidAt(1)) {
        auto lo = ParseNumber(w[2]);
        auto hi = ParseNumber(w[3]);
        auto step = ParseNumber(w[4]);
        if (lo && hi && step && *lo <= *hi && *step > 0) {
            m_drifts.push_back({*oidAt(1), *lo, *hi, *step});
            return true;
        }
    } else if (name == "@sum" && w.size() >= 3 && oidAt(1)) {
        Derived d;
        d.oid = *oidAt(1);
        for (size_t i = 2; i < w.size(); ++i) {
            bool minus = w[i][0] == '-';
            auto term = ParseOid(w[i].substr(minus ? 1 : 0));
            if (!term) {
                *error = "bad term " + w[i];
                return false;
            }
            d.terms.push_back({*term, minus ? -1.0 : 1.0});
        }
        m_derived.push_back(d);
        return true;
    } else if (name == "@ratio" && w.size() == 5 && oidAt(1) && oidAt(2) && oidAt(3)) {
        auto factor = ParseNumber(w[4]);
        if (factor) {
            m_derived.push_back({*oidAt(1), true, {{*oidAt(2), 1.0}, {*oidAt(3), 1.0}}, *factor});
            return true;
        }
    }
    *error = "bad directive: " + line;
    return false;
}

bool Device::AddGeneratedTable(const std::string& spec, std::string* error) {
    if (spec.rfind("fdb:", 0) == 0) {
        long long entries = 0;
        if (!ParseInt(spec.substr(4), &entries) || entries < 0 || entries > 1000000) {
            *error = "bad --fdb " + spec.substr(4);
            return false;
        }
        GenerateForwardingTable(&m_store, static_cast<uint32_t>(entries));
        return true;
    }
    size_t c1 = spec.find(':');
    size_t c2 = c1 == std::string::npos ? c1 : spec.find(':', c1 + 1);
    long long rows = 0;
    long long cols = 0;
    auto prefix = c2 == std::string::npos ? std::nullopt : ParseOid(spec.substr(0, c1));
    if (!prefix || !ParseInt(spec.substr(c1 + 1, c2 - c1 - 1), &rows) ||
        !ParseInt(spec.substr(c2 + 1), &cols) || rows < 0 || rows > 1000000 || cols < 1 || cols > 100) {
        *error = "bad --table " + spec + " (expected OIDPREFIX:ROWS:COLS)";
        return false;
    }
    // Column 1 the row number, even columns text, odd columns numbers.
    for (uint32_t c = 1; c <= cols; ++c) {
        for (uint32_t r = 1; r <= rows; ++r) {
            Oid oid = *prefix;
            oid.insert(oid.end(), {1, c, r});
            if (c == 1) {
                m_store.Put(oid, Integer(r));
            } else if (c % 2 == 0) {
                m_store.Put(oid, Value{'s', "row" + std::to_string(r) + "-col" + std::to_string(c)});
            } else {
                m_store.Put(oid, Integer(static_cast<long long>(r) * c));
            }
        }
    }
    return true;
}

uint32_t Device::UptimeTicks(Clock::time_point now) const {
    auto cs = std::chrono::duration_cast<std::chrono::milliseconds>(now - m_uptimeStart).count() / 10;
    return static_cast<uint32_t>(m_uptimeBase + static_cast<uint64_t>(std::max<long long>(cs, 0)));
}

std::optional<Value> Device::Get(const Oid& oid, Clock::time_point now) const {
    const Entry* e = m_store.Find(oid);
    if (!e) {
        return std::nullopt;
    }
    if (m_uptimeOid && oid == *m_uptimeOid) {
        return Value{'t', std::to_string(UptimeTicks(now))};
    }
    return e->value;
}

bool Device::KnownObject(const Oid& oid) const {
    if (oid.size() < 2) {
        return false;
    }
    Oid parent(oid.begin(), oid.end() - 1);
    if (m_store.AnyBelow(parent)) {
        return true;
    }
    // A column of a declared table whose rows are all gone.
    const RowTable* t = FindTable(oid);
    return t && (t->statusColumn == oid[t->entry.size()] || FindColumn(*t, oid[t->entry.size()]));
}

std::optional<std::pair<Oid, Value>> Device::Next(const Oid& oid, Clock::time_point now) const {
    const auto* next = m_store.Next(oid);
    if (!next) {
        return std::nullopt;
    }
    auto value = Get(next->first, now);
    return std::make_pair(next->first, *value);
}

const Device::RowTable* Device::FindTable(const Oid& oid) const {
    for (const auto& t : m_tables) {
        if (oid.size() > t.entry.size() + 1 && HasPrefix(oid, t.entry)) {
            return &t;
        }
    }
    return nullptr;
}

std::optional<Value> Device::CreatedValue(const ColumnDef& column, const Oid& index) {
    switch (column.fromIndex) {
        case FromIndex::kNone:
            return column.defaultValue;
        case FromIndex::kLastArc:
            return index.empty() ? std::nullopt : ParseValue(column.type, std::to_string(index.back()));
        case FromIndex::kArc:
            return column.arc <= index.size() ? ParseValue(column.type, std::to_string(index[column.arc - 1]))
                                              : std::nullopt;
        case FromIndex::kOctets: {
            // An index too short for its length arc, or an arc above 255, gives no value.
            if (column.arc > index.size() || index[column.arc - 1] > index.size() - column.arc) {
                return std::nullopt;
            }
            std::string octets;
            for (size_t i = column.arc; i < column.arc + index[column.arc - 1]; ++i) {
                if (index[i] > 255) {
                    return std::nullopt;
                }
                octets.push_back(static_cast<char>(index[i]));
            }
            return Value{column.type, octets};
        }
        case FromIndex::kArcRun: {
            const size_t end = column.runLength == 0 ? index.size() : column.arc - 1 + column.runLength;
            if (column.arc > index.size() || end > index.size()) {
                return std::nullopt;
            }
            std::string octets;
            for (size_t i = column.arc - 1; i < end; ++i) {
                if (index[i] > 255) {
                    return std::nullopt;
                }
                octets.push_back(static_cast<char>(index[i]));
            }
            return Value{column.type, octets};
        }
    }
    return std::nullopt;
}

const Device::ColumnDef* Device::FindColumn(const RowTable& table, uint32_t column) const {
    for (const auto& c : table.columns) {
        if (c.column == column) {
            return &c;
        }
    }
    return nullptr;
}

bool Device::ReadOnly(const Oid& oid) const {
    const Access* best = nullptr;
    for (const auto& a : m_access) {
        if (HasPrefix(oid, a.prefix) && (!best || a.prefix.size() >= best->prefix.size())) {
            best = &a;
        }
    }
    return best && best->readOnly;
}

const Device::Range* Device::FindRange(const Oid& oid) const {
    const Range* best = nullptr;
    for (const auto& r : m_ranges) {
        if (HasPrefix(oid, r.prefix) && (!best || r.prefix.size() >= best->prefix.size())) {
            best = &r;
        }
    }
    return best;
}

size_t Device::RowCount(const RowTable& table) const {
    Oid column = table.entry;
    column.push_back(table.statusColumn);
    size_t n = 0;
    for (auto it = m_store.Objects().upper_bound(column);
         it != m_store.Objects().end() && HasPrefix(it->first, column); ++it) {
        ++n;
    }
    return n;
}

void Device::RemoveRow(const RowTable& table, const Oid& index) {
    std::vector<Oid> doomed;
    for (auto it = m_store.Objects().upper_bound(table.entry);
         it != m_store.Objects().end() && HasPrefix(it->first, table.entry); ++it) {
        const Oid& o = it->first;
        if (o.size() == table.entry.size() + 1 + index.size() &&
            std::equal(index.begin(), index.end(), o.begin() + static_cast<long>(table.entry.size()) + 1)) {
            doomed.push_back(o);
        }
    }
    for (const auto& o : doomed) {
        m_store.Remove(o);
        CancelEvents(o);
    }
}

namespace {

struct RowKey {
    const void* table;
    Oid index;
    bool operator<(const RowKey& o) const { return table != o.table ? table < o.table : index < o.index; }
};

struct RowOp {
    int value = 0;
    size_t binding = 0;
};

}  // namespace

SetResult Device::CheckSet(const std::vector<Binding>& bindings) const {
    std::map<RowKey, RowOp> creates;  // rows created by this PDU
    std::map<RowKey, RowOp> statusSets;
    std::set<size_t> statusBindings;

    // Row status bindings first: they decide which rows exist for the other bindings.
    for (size_t i = 0; i < bindings.size(); ++i) {
        const auto& b = bindings[i];
        const RowTable* t = FindTable(b.oid);
        if (!t || b.oid[t->entry.size()] != t->statusColumn) {
            continue;
        }
        statusBindings.insert(i);
        // A read-only prefix also covers row status: rows the device keeps for itself, or reserves.
        if (ReadOnly(b.oid)) {
            return {kNotWritable, i};
        }
        if (b.value.type != 'i') {
            return {kWrongType, i};
        }
        long long v = 0;
        ParseInt(b.value.data, &v);
        RowKey key{t, Oid(b.oid.begin() + static_cast<long>(t->entry.size()) + 1, b.oid.end())};
        bool exists = m_store.Find(b.oid) != nullptr;
        bool create = t->rmon ? v == 2 : (v == 4 || v == 5);
        bool destroy = t->rmon ? v == 4 : v == 6;
        bool change = t->rmon ? (v == 1 || v == 3) : (v == 1 || v == 2);
        if (!t->rmon && (destroy || v == 2)) {
            for (const auto& kept : m_keptRows) {
                if (kept.entry == t->entry && kept.index == key.index) {
                    return {kInconsistentValue, i};
                }
            }
        }
        if (create) {
            if (exists || creates.count(key)) {
                return {kInconsistentValue, i};
            }
            creates[key] = {static_cast<int>(v), i};
        } else if (destroy) {
            statusSets[key] = {static_cast<int>(v), i};
        } else if (change) {
            if (!exists && !creates.count(key)) {
                return {kInconsistentValue, i};
            }
            statusSets[key] = {static_cast<int>(v), i};
        } else {
            return {kWrongValue, i};
        }
    }

    // Table size limits.
    std::map<const RowTable*, size_t> added;
    for (const auto& [key, op] : creates) {
        const auto* t = static_cast<const RowTable*>(key.table);
        if (t->maxRows && RowCount(*t) + ++added[t] > t->maxRows) {
            return {kResourceUnavailable, op.binding};
        }
    }

    std::set<std::pair<RowKey, uint32_t>> columnsSet;
    for (size_t i = 0; i < bindings.size(); ++i) {
        if (statusBindings.count(i)) {
            continue;
        }
        const auto& b = bindings[i];
        const Entry* e = m_store.Find(b.oid);
        const RowTable* t = FindTable(b.oid);
        char type = 0;
        if (e) {
            if (ReadOnly(b.oid) || (m_uptimeOid && b.oid == *m_uptimeOid)) {
                return {kNotWritable, i};
            }
            type = e->value.type;
        } else if (t) {
            const ColumnDef* c = FindColumn(*t, b.oid[t->entry.size()]);
            RowKey key{t, Oid(b.oid.begin() + static_cast<long>(t->entry.size()) + 1, b.oid.end())};
            if (!c) {
                return {kNotWritable, i};
            }
            bool rowExists = m_store.Find(Concat(t->entry, t->statusColumn, key.index)) != nullptr;
            if (!rowExists && !creates.count(key)) {
                return {kNoCreation, i};
            }
            type = c->type;
        } else {
            return {kNotWritable, i};
        }
        if (!SameWireType(type, b.value.type)) {
            return {kWrongType, i};
        }
        if (const Range* r = FindRange(b.oid); r && b.value.type == 'i') {
            long long v = 0;
            if (!ParseInt(b.value.data, &v) || v < r->lo || v > r->hi) {
                return {kWrongValue, i};
            }
        }
        if (t) {
            columnsSet.insert(
                {RowKey{t, Oid(b.oid.begin() + static_cast<long>(t->entry.size()) + 1, b.oid.end())},
                 b.oid[t->entry.size()]});
        }
    }

    // Activation needs a value in every declared column.
    auto complete = [&](const RowKey& key) {
        const auto* t = static_cast<const RowTable*>(key.table);
        for (const auto& c : t->columns) {
            if (CreatedValue(c, key.index) || columnsSet.count({key, c.column}) ||
                m_store.Find(Concat(t->entry, c.column, key.index))) {
                continue;
            }
            return false;
        }
        return true;
    };
    for (const auto& [key, op] : creates) {
        const auto* t = static_cast<const RowTable*>(key.table);
        if (!t->rmon && op.value == 4 && !complete(key)) {
            return {kInconsistentValue, op.binding};
        }
    }
    for (const auto& [key, op] : statusSets) {
        const auto* t = static_cast<const RowTable*>(key.table);
        if (!t->rmon && op.value == 1 && !complete(key)) {
            return {kInconsistentValue, op.binding};
        }
    }
    if (SetResult r = CheckWithin(bindings); r.status != kNoError) {
        return r;
    }
    return CheckRelations(bindings);
}

// A PDU that writes SUB ports outside the row's SUPER ports is refused at that binding. The row's
// values after the PDU: the PDU's own, else the stored ones, else none.
SetResult Device::CheckWithin(const std::vector<Binding>& bindings) const {
    for (const auto& rule : m_within) {
        for (size_t i = 0; i < bindings.size(); ++i) {
            const Oid& oid = bindings[i].oid;
            if (oid.size() <= rule.entry.size() + 1 || !HasPrefix(oid, rule.entry)) {
                continue;
            }
            const uint32_t column = oid[rule.entry.size()];
            if (column != rule.sub) {
                continue;  // a narrower SUPER narrows SUB when applied
            }
            const Oid index(oid.begin() + static_cast<long>(rule.entry.size()) + 1, oid.end());
            auto after = [&](uint32_t col) {
                const Oid target = Concat(rule.entry, col, index);
                std::string octets;
                bool found = false;
                for (const auto& b : bindings) {
                    if (b.oid == target) {
                        octets = b.value.data;
                        found = true;
                    }
                }
                if (!found) {
                    if (const Entry* e = m_store.Find(target)) {
                        octets = e->value.data;
                    }
                }
                return octets;
            };
            const std::string sub = after(rule.sub);
            const std::string super = after(rule.super);
            for (size_t k = 0; k < sub.size(); ++k) {
                const auto bits = static_cast<unsigned char>(sub[k]);
                const auto allowed = k < super.size() ? static_cast<unsigned char>(super[k]) : 0;
                if ((bits & ~allowed) != 0) {
                    return {kInconsistentValue, i};
                }
            }
        }
    }
    return {};
}

void Device::ApplySet(const std::vector<Binding>& bindings, Clock::time_point now) {
    struct StatusOp {
        const RowTable* table;
        Oid index;
        long long value;
    };
    std::vector<StatusOp> ops;
    std::vector<size_t> plain;
    for (size_t i = 0; i < bindings.size(); ++i) {
        const auto& b = bindings[i];
        const RowTable* t = FindTable(b.oid);
        if (t && b.oid[t->entry.size()] == t->statusColumn) {
            long long v = 0;
            ParseInt(b.value.data, &v);
            ops.push_back({t, Oid(b.oid.begin() + static_cast<long>(t->entry.size()) + 1, b.oid.end()), v});
        } else {
            plain.push_back(i);
        }
    }
    // Creations put the defaults, then the PDU's own column values, then the statuses.
    for (const auto& op : ops) {
        bool create = op.table->rmon ? op.value == 2 : (op.value == 4 || op.value == 5);
        if (create) {
            for (const auto& c : op.table->columns) {
                if (auto v = CreatedValue(c, op.index)) {
                    m_store.Put(Concat(op.table->entry, c.column, op.index), *v);
                }
            }
        }
    }
    for (size_t i : plain) {
        const auto& b = bindings[i];
        Value v = b.value;
        if (const Entry* e = m_store.Find(b.oid)) {
            v.type = e->value.type;  // keep the declared letter (s/x, u/g)
        } else if (const RowTable* t = FindTable(b.oid)) {
            if (const ColumnDef* c = FindColumn(*t, b.oid[t->entry.size()])) {
                v.type = c->type;
            }
        }
        if (m_rebootOid && b.oid == *m_rebootOid) {
            // The request is the action; the object keeps reading its idle value.
            if (v.data == "1") {
                m_rebootUntil = now + std::chrono::milliseconds(m_options.rebootMs);
                m_uptimeStart = m_rebootUntil;
                m_uptimeBase = 0;
                m_events.clear();
            }
            continue;
        }
        CancelEvents(b.oid);
        PutWithTwin(b.oid, v);
        if (m_saveOid && b.oid == *m_saveOid && v.data == "1") {
            Schedule(now + std::chrono::milliseconds(m_saveMs), b.oid, Integer(2));
        }
        for (const auto& on : m_onSets) {
            if (b.oid == on.oid && v.data == on.value) {
                Schedule(now + std::chrono::milliseconds(on.ms), on.target, on.put);
            }
        }
        for (const auto& tr : m_transfers) {
            if (b.oid == tr.operation && (v.data == "1" || v.data == "2")) {
                CancelEvents(tr.status);
                m_store.Put(tr.status, Integer(4));
                int pending = std::min(500, m_options.transferMs / 2);
                Schedule(now + std::chrono::milliseconds(pending), tr.status, Integer(3));
                Schedule(now + std::chrono::milliseconds(m_options.transferMs), tr.status, Integer(1));
            }
        }
    }
    // Ports leaving SUPER leave SUB too.
    for (const auto& rule : m_within) {
        for (size_t i : plain) {
            const Oid& oid = bindings[i].oid;
            if (oid.size() <= rule.entry.size() + 1 || !HasPrefix(oid, rule.entry) ||
                oid[rule.entry.size()] != rule.super) {
                continue;
            }
            const Oid index(oid.begin() + static_cast<long>(rule.entry.size()) + 1, oid.end());
            const Entry* super = m_store.Find(oid);
            Entry* sub = m_store.Find(Concat(rule.entry, rule.sub, index));
            if (super == nullptr || sub == nullptr) {
                continue;
            }
            for (size_t k = 0; k < sub->value.data.size(); ++k) {
                const char allowed = k < super->value.data.size() ? super->value.data[k] : 0;
                sub->value.data[k] = static_cast<char>(sub->value.data[k] & allowed);
            }
        }
    }
    for (const auto& op : ops) {
        const RowTable& t = *op.table;
        Oid statusOid = Concat(t.entry, t.statusColumn, op.index);
        long long status = 0;
        if (t.rmon) {
            if (op.value == 4) {
                RemoveRow(t, op.index);
                continue;
            }
            status = op.value == 2 ? 3 : op.value;
        } else {
            if (op.value == 6) {
                RemoveRow(t, op.index);
                continue;
            }
            if (op.value == 5) {
                bool complete = std::all_of(t.columns.begin(), t.columns.end(), [&](const ColumnDef& c) {
                    return m_store.Find(Concat(t.entry, c.column, op.index)) != nullptr;
                });
                status = complete ? 2 : 3;
            } else {
                status = op.value == 4 ? 1 : op.value;
            }
        }
        m_store.Put(statusOid, Integer(status));
    }
}

void Device::ControlSet(const Oid& oid, const Value& value) {
    CancelEvents(oid);
    if (m_uptimeOid && oid == *m_uptimeOid && value.type == 't') {
        m_uptimeStart = Clock::now();
        m_uptimeBase = static_cast<uint32_t>(std::stoul(value.data));
    }
    PutWithTwin(oid, value);
}

bool Device::ControlRow(const Oid& statusOid, long long status) {
    const RowTable* t = FindTable(statusOid);
    if (t == nullptr || statusOid[t->entry.size()] != t->statusColumn) {
        return false;
    }
    const Oid index(statusOid.begin() + static_cast<long>(t->entry.size()) + 1, statusOid.end());
    for (const auto& c : t->columns) {
        const Oid cell = Concat(t->entry, c.column, index);
        if (m_store.Find(cell) == nullptr) {
            if (auto v = CreatedValue(c, index)) {
                m_store.Put(cell, *v);
            }
        }
    }
    CancelEvents(statusOid);
    m_store.Put(statusOid, Integer(status));
    return true;
}

bool Device::ControlUnset(const Oid& oid) {
    CancelEvents(oid);
    return m_store.Remove(oid);
}

void Device::Schedule(Clock::time_point at, const Oid& oid, const Value& value) {
    m_events.push_back({at, oid, value});
}

void Device::CancelEvents(const Oid& oid) {
    std::erase_if(m_events, [&](const Event& e) { return e.oid == oid; });
}

void Device::Tick(Clock::time_point now) {
    // Events in time order; equal times keep their scheduling order.
    std::stable_sort(m_events.begin(), m_events.end(),
                     [](const Event& a, const Event& b) { return a.at < b.at; });
    size_t due = 0;
    while (due < m_events.size() && m_events[due].at <= now) {
        m_store.Put(m_events[due].oid, m_events[due].value);
        ++due;
    }
    m_events.erase(m_events.begin(), m_events.begin() + static_cast<long>(due));
    if (m_options.live && now >= m_nextLive && !Rebooting(now)) {
        LiveStep(now);
        DriftStep();
        m_nextLive = now + std::chrono::milliseconds(m_options.liveMs);
    }
}

std::optional<Clock::time_point> Device::NextEvent() const {
    std::optional<Clock::time_point> next;
    for (const auto& e : m_events) {
        if (!next || e.at < *next) {
            next = e.at;
        }
    }
    if (m_options.live && (!next || m_nextLive < *next)) {
        next = m_nextLive;
    }
    return next;
}

void Device::LiveStep(Clock::time_point now) {
    if (m_ports <= 0) {
        return;
    }
    m_liveSeed = m_liveSeed * 1103515245u + 12345u;
    uint32_t port = (m_liveSeed >> 8) % static_cast<uint32_t>(m_ports) + 1;
    const Oid ifOper = {1, 3, 6, 1, 2, 1, 2, 2, 1, 8, port};
    const Oid ifChange = {1, 3, 6, 1, 2, 1, 2, 2, 1, 9, port};
    const Oid ifSpeed = {1, 3, 6, 1, 2, 1, 2, 2, 1, 5, port};
    const Oid link = {1, 3, 6, 1, 4, 1, 7393, 10, 76, 20, 1, 1, 13, 1, 3, port};
    const Oid poe = {1, 3, 6, 1, 4, 1, 7393, 10, 76, 20, 1, 22, 1, 1, 13, 1, port};
    if (const Entry* e = m_store.Find(ifOper)) {
        bool up = e->value.data == "1";
        m_store.Put(ifOper, Integer(up ? 2 : 1));
        if (m_store.Find(ifChange)) {
            m_store.Put(ifChange, Value{'t', std::to_string(UptimeTicks(now))});
        }
        if (m_store.Find(link)) {
            long long code = 1;  // down
            if (!up) {
                const Entry* speed = m_store.Find(ifSpeed);
                std::string s = speed ? speed->value.data : "";
                code = s == "1000000000" ? 2 : s == "10000000" ? 5 : 3;
            }
            m_store.Put(link, Integer(code));
        }
        if (const Entry* p = m_store.Find(poe)) {
            m_store.Put(poe, Value{p->value.type, up ? "POWER OFF" : "POWER ON"});
        }
    }
}

void Device::DriftStep() {
    for (const auto& d : m_drifts) {
        auto v = Number(d.oid);
        if (!v) {
            continue;  // removed or replaced through the control protocol
        }
        // A random walk in whole units of the value's last digit, at most step away per move, kept
        // on the units within [lo, hi].
        double unit = std::pow(10.0, -Decimals(m_store.Find(d.oid)->value.data));
        long long lo = std::llround(std::ceil(d.lo / unit - 1e-6));
        long long hi = std::llround(std::floor(d.hi / unit + 1e-6));
        long long reach = std::max<long long>(1, std::llround(d.step / unit));
        m_driftSeed = m_driftSeed * 1103515245u + 12345u;
        long long move =
            static_cast<long long>((m_driftSeed >> 8) % static_cast<uint32_t>(2 * reach + 1)) - reach;
        if (lo <= hi) {
            PutNumber(d.oid, static_cast<double>(std::clamp(std::llround(*v / unit) + move, lo, hi)) * unit);
        }
    }
    for (const auto& d : m_derived) {
        std::optional<double> result;
        if (d.ratio) {
            auto num = Number(d.terms[0].first);
            auto den = Number(d.terms[1].first);
            if (num && den && *den != 0) {
                result = *num / *den * d.factor;
            }
        } else {
            result = 0.0;
            for (const auto& [term, sign] : d.terms) {
                auto v = Number(term);
                if (!v) {
                    result.reset();
                    break;
                }
                *result += sign * *v;
            }
        }
        if (result && Number(d.oid)) {
            PutNumber(d.oid, *result);
        }
    }
}

std::optional<double> Device::Number(const Oid& oid) const {
    const Entry* e = m_store.Find(oid);
    if (!e || std::string_view("iugs").find(e->value.type) == std::string_view::npos) {
        return std::nullopt;
    }
    return ParseNumber(e->value.data);
}

// Writes a number in the form the object reads: integers rounded, text with its own decimals.
void Device::PutNumber(const Oid& oid, double value) {
    Entry* e = m_store.Find(oid);
    if (e->value.type != 's') {
        long long n = std::llround(value);
        e->value.data = std::to_string(e->value.type == 'i' ? n : std::max<long long>(n, 0));
        return;
    }
    int decimals = Decimals(e->value.data);
    double unit = std::pow(10.0, -decimals);
    value = std::round(value / unit) * unit;
    if (value == 0) {
        value = 0;  // no "-0.0"
    }
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof(buf), value, std::chars_format::fixed, decimals);
    if (r.ec == std::errc()) {
        e->value.data.assign(buf, r.ptr);
    }
}

char Device::DeclaredType(const Oid& oid) const {
    if (const Entry* e = m_store.Find(oid)) {
        return e->value.type;
    }
    if (const RowTable* t = FindTable(oid)) {
        if (const ColumnDef* c = FindColumn(*t, oid[t->entry.size()])) {
            return c->type;
        }
    }
    return 0;
}

}  // namespace ksxsim
