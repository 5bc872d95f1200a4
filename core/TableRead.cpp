#include "core/TableRead.h"

#include <memory>

#include "core/SnmpReply.h"
#include "core/TextNumbers.h"
#include "platform/sys/Debug.h"
#include "platform/sys/MessageBox.h"

namespace ksx {

// ---- WalkStep ----

WalkStep::WalkStep(CCommonSNMP& session, CSnmp* response, int columns)
    : m_session(session),
      m_response(response),
      m_count(response != nullptr ? response->getVarBindCount() : 0),
      m_columns(columns) {}

std::string WalkStep::Text(int i) const {
    return Has(i) ? BindingValue(m_response, i) : std::string();
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
    return ReadOctets(m_response, i);
}

std::optional<long long> WalkStep::Integer(int i) const {
    return ReadInteger(m_response, i);
}

std::optional<unsigned long long> WalkStep::Unsigned(int i) const {
    return ReadUnsigned(m_response, i);
}

std::optional<std::string> WalkStep::Dotted(int i) const {
    return ReadDotted(m_response, i);
}

std::optional<std::string> WalkStep::Any(int i) const {
    return ReadAny(m_response, i);
}

std::string WalkStep::Index(int i) const {
    if (!Has(i)) {
        return std::string();
    }
    char* suffix = nullptr;
    if (m_session.GetResponseOid(i, m_response, &suffix) != 0 || suffix == nullptr) {
        return std::string();
    }
    return suffix[0] == '.' ? std::string(suffix + 1) : std::string(suffix);
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
    for (const std::string& oid : m_oids) {
        m_session.AddVarBind(oid, 4, nullptr);
    }
    m_running = true;
    if (!m_holding) {
        // A failure this read ends on may be said by its owner's handler: a box of its own waits for it.
        m_holding = true;
        HoldFailureNotes();
    }
    m_session.StartAsyncWalk(m_entry, m_userData, firstTimeoutMs);
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
    if (status == 0 && ReplyErrorStatus(owned.get()) > 0) {
        TRACE("walk reply with error status %d", ReplyErrorStatus(owned.get()));
        status = kWalkErrorStatus;
    }
    if (status != 0) {
        TRACE("iStatus != CSnmp4w::EC_NO_ERROR");
        owned.reset();
        Finish(status, false);
        return 0;
    }
    const WalkStep step(m_session, owned.get(), static_cast<int>(m_oids.size()));
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
    } else {
        m_session.StartAsyncWalk(m_entry, m_userData, m_nextTimeout);
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
