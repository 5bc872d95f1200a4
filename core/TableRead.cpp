#include "core/TableRead.h"

#include <algorithm>
#include <memory>

#include "core/SnmpReply.h"
#include "core/TextNumbers.h"
#include "platform/sys/Debug.h"
#include "platform/sys/MessageBox.h"

namespace ksx {

// ---- the column rule ----

namespace {

bool IsException(int type) {
    return type == SNMP_REPLY_NO_SUCH_OBJECT || type == SNMP_REPLY_NO_SUCH_INSTANCE ||
           type == SNMP_REPLY_END_OF_MIB_VIEW;
}

bool HasValue(int type) {
    return !IsException(type) && type != SNMP_REPLY_NULL;
}

// The next sub-identifier of a dotted text from `pos` on; false at its end.
bool NextArc(const std::string& s, size_t& pos, unsigned long long& arc) {
    while (pos < s.size() && s[pos] == '.') {
        ++pos;
    }
    if (pos >= s.size()) {
        return false;
    }
    arc = 0;
    while (pos < s.size() && s[pos] != '.') {
        const char c = s[pos++];
        arc = c >= '0' && c <= '9' ? arc * 10 + static_cast<unsigned long long>(c - '0') : arc;
    }
    return true;
}

}  // namespace

int CompareOids(const std::string& a, const std::string& b) {
    size_t i = 0;
    size_t j = 0;
    for (;;) {
        unsigned long long x = 0;
        unsigned long long y = 0;
        const bool hasX = NextArc(a, i, x);
        const bool hasY = NextArc(b, j, y);
        if (!hasX || !hasY) {
            return hasX == hasY ? 0 : hasX ? 1 : -1;
        }
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
}

std::optional<std::string> InstanceBelow(const std::string& column, const std::string& oid) {
    if (column.empty() || oid.size() <= column.size() + 1 || oid.compare(0, column.size(), column) != 0 ||
        oid[column.size()] != '.') {
        return std::nullopt;
    }
    return oid.substr(column.size() + 1);
}

std::vector<int> MatchByOid(const std::vector<std::string>& requested, const CSnmp* reply) {
    std::vector<int> out(requested.size(), -1);
    if (reply == nullptr) {
        return out;
    }
    const auto& binds = reply->varBinds();
    for (size_t j = 0; j < binds.size(); ++j) {
        for (size_t k = 0; k < requested.size(); ++k) {
            if (out[k] < 0 && CompareOids(binds[j].oid, requested[k]) == 0) {
                out[k] = static_cast<int>(j);
                break;
            }
        }
    }
    return out;
}

ColumnWalk::ColumnWalk(std::vector<std::string> columns, std::vector<int> groups)
    : m_columns(std::move(columns)), m_group(std::move(groups)), m_ended(m_columns.size(), false) {
    m_group.resize(m_columns.size(), 0);
    int groupCount = 0;
    for (int& g : m_group) {
        g = g < 0 ? 0 : g;
        groupCount = std::max(groupCount, g + 1);
    }
    m_row.assign(static_cast<size_t>(groupCount), std::string());
}

std::vector<std::string> ColumnWalk::Request() const {
    std::vector<std::string> oids;
    for (size_t c = 0; c < m_columns.size(); ++c) {
        if (m_ended[c]) {
            continue;
        }
        const std::string& row = m_row[static_cast<size_t>(m_group[c])];
        oids.push_back(row.empty() ? m_columns[c] : m_columns[c] + "." + row);
    }
    return oids;
}

bool ColumnWalk::Ended() const {
    for (bool ended : m_ended) {
        if (!ended) {
            return false;
        }
    }
    return true;
}

ColumnWalk::Judged ColumnWalk::Judge(const CSnmp* reply) {
    Judged out;
    const size_t columns = m_columns.size();
    out.binding.assign(columns, -1);
    out.row.assign(columns, std::string());
    // The columns the request asked, in request order, and what each asked from.
    std::vector<size_t> asked;
    for (size_t c = 0; c < columns; ++c) {
        if (!m_ended[c]) {
            asked.push_back(c);
        }
    }
    const std::vector<std::string> askedOids = Request();
    const std::vector<SnmpVarBind> empty;
    const std::vector<SnmpVarBind>& binds = reply != nullptr ? reply->varBinds() : empty;

    int errorStatus = 0;
    int errorIndex = 0;
    if (reply != nullptr) {
        reply->getErrorStatus(&errorStatus, &errorIndex);
    }
    const bool exceptionsOnly = errorStatus == 2 && errorIndex >= 1 &&
                                static_cast<size_t>(errorIndex) <= binds.size() &&
                                IsException(binds[static_cast<size_t>(errorIndex - 1)].type);
    if (errorStatus != 0 && !exceptionsOnly) {
        // The community-based end of the MIB is noSuchName for the first binding; any other error
        // status the agent sent fails the step.
        out.status = errorStatus == 2 && errorIndex <= 1 ? kWalkEndOfTable : errorStatus;
        return out;
    }

    // Each binding, in reply order, answers a request. While as many bindings remain as requests, the
    // reply is whole from here on and binding j answers request j: a binding that runs into the next
    // column's subtree is then that column's end, never the next column's value. Where bindings are
    // missing, a binding answers the first request (from where the last one matched on) whose column
    // it extends past what was asked. A binding that extends no such column answers the next request
    // in order: that column ran past its subtree, or gave an exception or an earlier row.
    std::vector<std::optional<std::string>> instance(columns);
    size_t next = 0;
    for (size_t j = 0; j < binds.size(); ++j) {
        const SnmpVarBind& b = binds[j];
        size_t match = asked.size();
        const bool whole = next < asked.size() && binds.size() - j >= asked.size() - next;
        if (whole) {
            if (HasValue(b.type) && InstanceBelow(m_columns[asked[next]], b.oid) &&
                CompareOids(b.oid, askedOids[next]) > 0) {
                match = next;
            }
        } else if (HasValue(b.type)) {
            for (size_t q = next; q < asked.size(); ++q) {
                if (InstanceBelow(m_columns[asked[q]], b.oid) && CompareOids(b.oid, askedOids[q]) > 0) {
                    match = q;
                    break;
                }
            }
        }
        if (match < asked.size()) {
            const size_t c = asked[match];
            instance[c] = InstanceBelow(m_columns[c], b.oid);
            out.binding[c] = static_cast<int>(j);
            next = match + 1;
            continue;
        }
        if (next >= asked.size()) {
            continue;  // more bindings than asked for: nobody's
        }
        const size_t c = asked[next++];
        if (b.type == SNMP_REPLY_END_OF_MIB_VIEW || !InstanceBelow(m_columns[c], b.oid)) {
            m_ended[c] = true;
        }
    }

    // The row of each group: the lowest instance its columns returned. The first group is the walked
    // table; a table read beside it goes along only as far as it goes.
    std::vector<std::optional<std::string>> groupRow(m_row.size());
    for (size_t c = 0; c < columns; ++c) {
        if (!instance[c]) {
            continue;
        }
        auto& row = groupRow[static_cast<size_t>(m_group[c])];
        if (!row || CompareOids(*instance[c], *row) < 0) {
            row = instance[c];
        }
    }
    for (size_t c = 0; c < columns; ++c) {
        const auto& row = groupRow[static_cast<size_t>(m_group[c])];
        if (row) {
            out.row[c] = *row;
        }
        if (!instance[c] || !row || CompareOids(*instance[c], *row) != 0) {
            out.binding[c] = -1;  // not this row's (or not read at all)
        }
    }
    if (groupRow.empty() || !groupRow[0]) {
        std::fill(m_ended.begin(), m_ended.end(), true);
        out.status = kWalkEndOfTable;
        return out;
    }
    for (size_t g = 0; g < m_row.size(); ++g) {
        if (groupRow[g]) {
            m_row[g] = *groupRow[g];
        }
    }
    return out;
}

// ---- WalkStep ----

WalkStep::WalkStep(CSnmp* response, std::vector<int> binding, std::vector<std::string> row)
    : m_response(response),
      m_count(response != nullptr ? response->getVarBindCount() : 0),
      m_binding(std::move(binding)),
      m_row(std::move(row)) {}

WalkStep::WalkStep(CCommonSNMP& /*session*/, CSnmp* response, int columns)
    : WalkStep(response, std::vector<int>(static_cast<size_t>(std::max(columns, 0)), -1), {}) {
    for (int i = 0; i < columns && i < m_count; ++i) {
        m_binding[static_cast<size_t>(i)] = i;
    }
}

std::string WalkStep::Text(int i) const {
    return Has(i) ? BindingValue(m_response, Binding(i)) : std::string();
}

int WalkStep::Int(int i, int fallback) const {
    const std::string text = Text(i);
    const size_t start = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (text.size() <= start || text[start] < '0' || text[start] > '9') {
        return fallback;
    }
    return text::LeadingInt(text);
}

std::optional<std::string> WalkStep::Octets(int i) const {
    return Has(i) ? ReadOctets(m_response, Binding(i)) : std::nullopt;
}

std::optional<long long> WalkStep::Integer(int i) const {
    return Has(i) ? ReadInteger(m_response, Binding(i)) : std::nullopt;
}

std::optional<unsigned long long> WalkStep::Unsigned(int i) const {
    return Has(i) ? ReadUnsigned(m_response, Binding(i)) : std::nullopt;
}

std::optional<std::string> WalkStep::Dotted(int i) const {
    return Has(i) ? ReadDotted(m_response, Binding(i)) : std::nullopt;
}

std::optional<std::string> WalkStep::Any(int i) const {
    return Has(i) ? ReadAny(m_response, Binding(i)) : std::nullopt;
}

std::string WalkStep::Index(int i) const {
    if (m_row.empty()) {
        return std::string();
    }
    const size_t c = i >= 0 && static_cast<size_t>(i) < m_row.size() ? static_cast<size_t>(i) : 0;
    return m_row[c];
}

int WalkStep::IndexInt(int i, int fallback) const {
    const std::string index = Index(i);
    if (index.empty() || index[0] < '0' || index[0] > '9') {
        return fallback;
    }
    return text::LeadingInt(index);
}

// ---- WalkReader ----

WalkReader::WalkReader(CCommonSNMP& session, std::vector<std::string> oids)
    : m_session(session), m_oids(std::move(oids)) {
    m_target = DeliveryGate::Instance().RegisterTarget();
}

WalkReader::~WalkReader() {
    ++m_generation;
    StopHolding();
    DeliveryGate::Instance().UnregisterTarget(m_target.exchange(0));
    // Open ends the walk in progress and joins the worker that would call back into this object.
    m_session.Open(CCommonSNMP::REQUEST_GET);
}

void WalkReader::Walk(int firstTimeoutMs, int nextTimeoutMs) {
    Start(CCommonSNMP::REQUEST_GETNEXT, &WalkReader::Entry, this, firstTimeoutMs, nextTimeoutMs);
}

void WalkReader::Read(int timeoutMs) {
    Start(CCommonSNMP::REQUEST_GET, &WalkReader::Entry, this, timeoutMs, timeoutMs);
}

void WalkReader::Walk(SNMPWALKPROC entry, void* userData, int firstTimeoutMs, int nextTimeoutMs) {
    Start(CCommonSNMP::REQUEST_GETNEXT, entry, userData, firstTimeoutMs, nextTimeoutMs);
}

void WalkReader::Read(SNMPWALKPROC entry, void* userData, int timeoutMs) {
    Start(CCommonSNMP::REQUEST_GET, entry, userData, timeoutMs, timeoutMs);
}

void WalkReader::Start(int kind, SNMPWALKPROC entry, void* userData, int firstTimeoutMs, int nextTimeoutMs) {
    // Open joins the worker of the earlier walk; only then are the step settings ours to change.
    m_session.Open(kind);
    ++m_generation;
    m_rows = 0;
    m_oneStep = kind != CCommonSNMP::REQUEST_GETNEXT;
    m_deliverRows = WantsRows();
    m_entry = entry;
    m_userData = userData;
    m_nextTimeout = nextTimeoutMs < 0 ? firstTimeoutMs : nextTimeoutMs;
    m_running = true;
    if (!m_holding) {
        // A failure this read ends on may be said by its owner's handler: a box of its own waits for it.
        m_holding = true;
        HoldFailureNotes();
    }
    if (m_oneStep) {
        for (const std::string& oid : m_oids) {
            m_session.AddVarBind(oid, 4, nullptr);
        }
        m_session.StartAsyncWalk(m_entry, m_userData, firstTimeoutMs);
        return;
    }
    m_walk = ColumnWalk(m_oids, m_groups);
    m_session.StartAsyncStep(m_entry, m_userData, m_walk.Request(), firstTimeoutMs);
}

int WalkReader::Entry(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<WalkReader*>(userData)->Step(response, requestId, status);
}

int WalkReader::Step(CSnmp* response, int requestId, int status) {
    std::unique_ptr<CSnmp> owned(response);
    if (!m_session.FindRequestID(requestId)) {
        TRACE("FindRequestID");
        owned.reset();
        Finish(status, true);
        return 0;
    }
    std::vector<int> binding;
    std::vector<std::string> row;
    if (status == 0 && m_oneStep) {
        if (ReplyErrorStatus(owned.get()) > 0) {
            TRACE("read reply with error status %d", ReplyErrorStatus(owned.get()));
            status = kWalkErrorStatus;
        } else {
            binding = MatchByOid(m_oids, owned.get());
        }
    } else if (status == 0) {
        ColumnWalk::Judged judged = m_walk.Judge(owned.get());
        if (judged.status == kWalkEndOfTable) {
            status = kWalkEndOfTable;
        } else if (judged.status != 0) {
            TRACE("walk reply with error status %d", judged.status);
            status = kWalkErrorStatus;
        }
        binding = std::move(judged.binding);
        row = std::move(judged.row);
    }
    if (status != 0) {
        TRACE("iStatus != CSnmp4w::EC_NO_ERROR");
        owned.reset();
        Finish(status, false);
        return 0;
    }
    const WalkStep step(owned.get(), std::move(binding), std::move(row));
    OnStep(step);
    if (step.Rejected()) {
        owned.reset();
        Finish(kWalkBadReply, false);
        return 0;
    }
    ++m_rows;
    owned.reset();
    if (m_oneStep) {
        Finish(0, false);
    } else if (m_walk.Ended()) {
        Finish(kWalkEndOfTable, false);
    } else {
        m_session.StartAsyncStep(m_entry, m_userData, m_walk.Request(), m_nextTimeout);
    }
    return 0;
}

void WalkReader::Finish(int status, bool stale) {
    m_session.SetDone();
    const unsigned generation = m_generation.load();
    const WalkEnd end{status, stale, m_rows.load()};
    DeliveryGate::Instance().Post(m_target.load(), [this, generation, end] {
        if (generation != m_generation.load()) {
            return;
        }
        m_running = false;
        // An SNMPv3 failure is named once: by the box the owner shows for it below, or in one of its own
        // after the owner's handler (and every other read still running) ended.
        if (!end.stale) {
            NoteSnmpV3Failure(end.status);
        }
        StopHolding();
        if (onEnd) {
            onEnd(end);
        }
    });
}

void WalkReader::StopHolding() {
    if (m_holding) {
        m_holding = false;
        ReleaseFailureNotes();
    }
}

void WalkReader::DeliverNow(std::function<void()> fn) {
    const unsigned generation = m_generation.load();
    DeliveryGate::Instance().Send(m_target.load(), [this, generation, fn = std::move(fn)]() -> std::intptr_t {
        if (generation != m_generation.load()) {
            return 0;
        }
        fn();
        return 1;
    });
}

void WalkReader::Detach() {
    ++m_generation;
    m_running = false;
    StopHolding();
}

void WalkReader::Close() {
    Detach();
    m_session.Close();
}

// ---- SessionSet ----

void SessionSet::Add(CCommonSNMP& session) {
    m_sessions.push_back(&session);
}

void SessionSet::Add(WalkReader& reader) {
    m_readers.push_back(&reader);
}

void SessionSet::CloseAll() {
    for (WalkReader* reader : m_readers) {
        reader->Detach();
    }
    for (CCommonSNMP* session : m_sessions) {
        session->Close();
    }
}

}  // namespace ksx
