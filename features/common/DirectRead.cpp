// Reads over the SNMP class library for the windows that build their own requests.
#include "features/common/DirectRead.h"

#include "features/common/ScalarGet.h"
#include "platform/sys/Globals.h"

namespace ksx {

std::string DirectReply::Text(size_t i) const {
    return Has(i) ? bindings[i].value : std::string();
}

std::optional<std::string> DirectReply::Octets(size_t i) const {
    if (!Has(i) || (bindings[i].type != SNMP_REPLY_OCTETS && bindings[i].type != SNMP_REPLY_OPAQUE)) {
        return std::nullopt;
    }
    return bindings[i].value;
}

std::optional<std::string> DirectReply::Instance(size_t i, const std::string& column) const {
    if (i >= bindings.size()) {
        return std::nullopt;
    }
    const std::string& oid = bindings[i].oid;
    if (oid.size() <= column.size() + 1 || oid.compare(0, column.size(), column) != 0 ||
        oid[column.size()] != '.') {
        return std::nullopt;
    }
    return oid.substr(column.size() + 1);
}

std::string HexPairs(const std::string& octets) {
    static const char* digits = "0123456789ABCDEF";
    std::string text;
    for (unsigned char c : octets) {
        if (!text.empty()) {
            text += ':';
        }
        text += digits[c >> 4];
        text += digits[c & 15];
    }
    return text;
}

namespace {
DirectBinding CopyBinding(CSnmp* reply, int i);
}  // namespace

DirectReply CopyReply(CSnmp* reply, int status) {
    DirectReply out;
    out.status = status;
    if (reply == nullptr) {
        return out;
    }
    int errorIndex = 0;
    reply->getErrorStatus(&out.errorStatus, &errorIndex);
    const int count = reply->getVarBindCount();
    out.bindings.reserve(static_cast<size_t>(count > 0 ? count : 0));
    for (int i = 0; i < count; ++i) {
        out.bindings.push_back(CopyBinding(reply, i));
    }
    return out;
}

namespace {

DirectBinding CopyBinding(CSnmp* reply, int i) {
    DirectBinding b;
    const char* oid = reply->getOid(i);
    b.oid = oid != nullptr ? oid : "";
    b.type = reply->varBinds()[static_cast<size_t>(i)].type;
    b.present = reply->getValueText(i) != nullptr;
    int length = 0;
    char* value = nullptr;
    if (b.present && reply->getValue(i, &length, &value) == 0 && value != nullptr && length > 0) {
        b.value.assign(value, static_cast<size_t>(length));
    }
    return b;
}

}  // namespace

DirectReply PlaceWalkReply(ColumnWalk& walk, CSnmp* reply, int status) {
    DirectReply out;
    out.status = status;
    if (status != 0 || reply == nullptr) {
        return out;
    }
    const ColumnWalk::Judged judged = walk.Judge(reply);
    if (judged.status == kWalkEndOfTable) {
        out.status = CSnmp4w::EC_END_OF_WALK;
        return out;
    }
    if (judged.status != 0) {
        out.errorStatus = judged.status;
        return out;
    }
    const std::vector<std::string>& columns = walk.Columns();
    out.row = judged.row.empty() ? std::string() : judged.row[0];
    for (size_t c = 0; c < columns.size(); ++c) {
        if (judged.binding[c] >= 0) {
            out.bindings.push_back(CopyBinding(reply, judged.binding[c]));
        } else {
            DirectBinding b;
            b.oid = judged.row[c].empty() ? columns[c] : columns[c] + "." + judged.row[c];
            b.type = SNMP_REPLY_NULL;
            out.bindings.push_back(std::move(b));
        }
    }
    return out;
}

DirectReply PlaceGetReply(const std::vector<std::string>& oids, CSnmp* reply, int status) {
    DirectReply out = CopyReply(reply, status);
    if (reply == nullptr || out.errorStatus != 0) {
        return out;
    }
    const std::vector<int> match = MatchByOid(oids, reply);
    out.bindings.clear();
    for (size_t k = 0; k < oids.size(); ++k) {
        if (match[k] >= 0) {
            out.bindings.push_back(CopyBinding(reply, match[k]));
        } else {
            DirectBinding b;
            b.oid = oids[k];
            b.type = SNMP_REPLY_NULL;
            out.bindings.push_back(std::move(b));
        }
    }
    return out;
}

void BuildRequest(CSnmpV1& request, int pduType, const std::string& community,
                  const std::vector<std::string>& oids) {
    request.setType(pduType);
    request.setCommunity(community.c_str());
    request.clearVarBindList();
    for (const std::string& oid : oids) {
        request.addValue(oid.c_str(), SNMP_TYPE_NULL, nullptr);
    }
}

CDirectRead::CDirectRead(bool walk) : m_walk(walk) {
    m_target = DeliveryGate::Instance().RegisterTarget();
}

CDirectRead::~CDirectRead() {
    Release();
}

bool CDirectRead::Start(const std::vector<std::string>& oids, unsigned long timeoutMs) {
    std::lock_guard<std::mutex> lk(m_mu);
    if (m_pendingId != 0) {
        return false;
    }
    return StartLocked(oids, timeoutMs);
}

bool CDirectRead::Restart(const std::vector<std::string>& oids, unsigned long timeoutMs, bool cancelPending) {
    std::lock_guard<std::mutex> lk(m_mu);
    if (cancelPending && m_pendingId != 0 && m_sender) {
        m_sender->cancel();  // its late replies no longer carry the pending id and are dropped
    }
    m_pendingId = 0;
    return StartLocked(oids, timeoutMs);
}

bool CDirectRead::StartLocked(const std::vector<std::string>& oids, unsigned long timeoutMs) {
    if (m_released || g_strSnmpVersion != "1" || oids.empty()) {
        return false;
    }
    if (!m_sender) {
        m_sender = std::make_unique<CSnmp4w>();
    }
    m_oids = oids;
    m_columnWalk = ColumnWalk(oids, m_groups);
    m_agent = AgentAddress();
    m_timeoutMs = timeoutMs;
    return SendLocked(m_walk ? m_columnWalk.Request() : oids);
}

bool CDirectRead::SendLocked(const std::vector<std::string>& oids) {
    // A walk sends each step as a plain get-next of the OIDs the column rule gives. A new request
    // object for every step: the previous one goes only once the new one is attached, so nothing
    // still refers to it.
    auto request = std::make_unique<CSnmpV1>(m_walk ? 1 : 0);
    BuildRequest(*request, m_walk ? 1 : 0, g_strReadCommunity, oids);
    m_sender->attach(request.get());
    const int rc = m_sender->start(m_agent.c_str(), OnStep, this, m_timeoutMs);
    m_request = std::move(request);
    if (rc != 0) {
        m_pendingId = 0;
        return false;
    }
    m_pendingId = m_sender->getRequestId();
    return true;
}

void CDirectRead::Cancel() {
    std::lock_guard<std::mutex> lk(m_mu);
    if (m_pendingId != 0 && m_sender) {
        m_sender->cancel();
    }
    m_pendingId = 0;
}

int CDirectRead::PendingId() const {
    std::lock_guard<std::mutex> lk(m_mu);
    return m_pendingId;
}

void CDirectRead::Release() {
    const GateTarget target = m_target.exchange(0);
    if (target != 0) {
        DeliveryGate::Instance().UnregisterTarget(target);  // queued deliveries are abandoned
    }
    std::unique_ptr<CSnmp4w> sender;
    {
        std::lock_guard<std::mutex> lk(m_mu);
        m_released = true;
        m_pendingId = 0;
        if (m_sender) {
            m_sender->cancel();
        }
        sender = std::move(m_sender);
    }
    ReleaseSender(sender);  // waits for a callback in progress
    std::lock_guard<std::mutex> lk(m_mu);
    m_request.reset();
}

int CDirectRead::OnStep(CSnmp* reply, int requestId, void* userData, int status) {
    return static_cast<CDirectRead*>(userData)->Step(reply, requestId, status);
}

int CDirectRead::Step(CSnmp* reply, int requestId, int status) {
    std::unique_ptr<CSnmp> owned(reply);
    DirectReply copy;
    {
        std::lock_guard<std::mutex> lk(m_mu);
        if (m_released || requestId != m_pendingId) {
            return 0;  // stale: a cancelled or replaced read; the pending one is left alone
        }
        copy = m_walk ? PlaceWalkReply(m_columnWalk, owned.get(), status)
                      : PlaceGetReply(m_oids, owned.get(), status);
    }
    owned.reset();
    const GateTarget target = m_target.load();
    bool more = false;
    if (target != 0) {
        more = DeliveryGate::Instance().Send(target, [this, requestId, &copy] {
            return static_cast<std::intptr_t>(Deliver(requestId, copy) ? 1 : 0);
        }) != 0;
    }
    std::lock_guard<std::mutex> lk(m_mu);
    if (m_released || m_pendingId != requestId) {
        return 0;
    }
    if (!more || !m_sender || m_columnWalk.Ended()) {
        m_pendingId = 0;
        return 0;
    }
    return SendLocked(m_columnWalk.Request()) ? 1 : 0;
}

bool CDirectRead::Deliver(int requestId, const DirectReply& reply) {
    const bool last = !m_walk || reply.status != 0 || reply.errorStatus != 0;
    {
        std::lock_guard<std::mutex> lk(m_mu);
        if (m_released || requestId != m_pendingId) {
            return false;
        }
        if (last) {
            m_pendingId = 0;
        }
    }
    const bool more = onReply ? onReply(reply) : false;
    if (!more && !last) {
        std::lock_guard<std::mutex> lk(m_mu);
        if (m_pendingId == requestId) {
            m_pendingId = 0;  // the window ended the walk (a short reply)
        }
    }
    return more && !last;
}

CDirectV3Read::CDirectV3Read() {
    m_target = DeliveryGate::Instance().RegisterTarget();
}

CDirectV3Read::~CDirectV3Read() {
    Release();
}

void CDirectV3Read::SetUpUsm(CSnmpV3& request) {
    const auto auth = [&request] {
        if (g_strV3AuthProtocol == "2" || g_strV3AuthProtocol == "3") {
            request.setAuthArith(g_strV3AuthProtocol == "2" ? 0 : 1);
            request.setAuthPwd(reinterpret_cast<const unsigned char*>(g_strV3AuthPassword.data()),
                               static_cast<int>(g_strV3AuthPassword.size()));
        } else {
            request.setMsgFlags(0);
        }
    };
    request.setMsgMaxSize(1024);
    request.setMsgSecurityModel(3);
    request.setUserName(g_strV3UserName.c_str());
    if (g_strV3SecurityLevel == "2") {
        request.setMsgFlags(1);
        auth();
    } else if (g_strV3SecurityLevel == "3") {
        request.setMsgFlags(3);
        auth();
        if (g_strV3PrivProtocol == "2") {
            request.setPriArith(0);
            request.setPriPwd(reinterpret_cast<const unsigned char*>(g_strV3PrivPassword.data()),
                              static_cast<int>(g_strV3PrivPassword.size()));
        } else {
            request.setMsgFlags(1);
        }
    } else {
        request.setMsgFlags(0);
    }
}

bool CDirectV3Read::Start(const std::vector<std::string>& oids, int pduType, unsigned long timeoutMs) {
    {
        std::lock_guard<std::mutex> lk(m_mu);
        if (m_stopped || m_running.load() || oids.empty()) {
            return false;
        }
    }
    if (m_thread.joinable()) {
        m_thread.join();  // the last read has ended: its thread is only returning
    }
    m_running = true;
    m_thread = std::thread(&CDirectV3Read::Run, this, oids, m_groups, pduType, timeoutMs, AgentAddress());
    return true;
}

void CDirectV3Read::Run(std::vector<std::string> oids, std::vector<int> groups, int pduType,
                        unsigned long timeoutMs, std::string agent) {
    CSnmpV3 request(pduType == 1 ? 1 : 0);
    SetUpUsm(request);
    ColumnWalk walk(oids, std::move(groups));
    for (;;) {
        // The step's bindings are set up under the lock, so that Release's cancel meets the PDU it sends.
        {
            std::lock_guard<std::mutex> lk(m_mu);
            if (m_stopped) {
                break;
            }
            request.clearVarBindList();
            for (const std::string& oid : pduType == 1 ? walk.Request() : oids) {
                request.addValue(oid.c_str(), SNMP_TYPE_NULL, nullptr);
            }
            m_request = &request;
        }
        CSnmp* response = nullptr;
        const int status = request.send(agent.c_str(), response, timeoutMs);
        // A binding without a value ends the whole read at once, without its row (the table's end
        // comes first).
        bool valueless = false;
        for (int i = 0; status == 0 && response != nullptr && i < response->getVarBindCount(); ++i) {
            valueless = valueless || response->getValueText(i) == nullptr;
        }
        DirectReply reply =
            pduType == 1 ? PlaceWalkReply(walk, response, status) : PlaceGetReply(oids, response, status);
        delete response;
        if (pduType == 1 && valueless && reply.status == 0 && reply.errorStatus == 0) {
            reply.status = kMissingValue;
            reply.bindings.clear();
        }
        const bool last = reply.status != 0 || reply.errorStatus != 0 || pduType != 1 || walk.Ended();
        const bool more = Deliver(reply);
        if (last || !more) {
            break;
        }
    }
    std::lock_guard<std::mutex> lk(m_mu);
    m_request = nullptr;
    m_running = false;
}

bool CDirectV3Read::Deliver(const DirectReply& reply) {
    const GateTarget target = m_target.load();
    if (target == 0) {
        return false;
    }
    return DeliveryGate::Instance().Send(target, [this, &reply] {
        return static_cast<std::intptr_t>(onReply && onReply(reply) ? 1 : 0);
    }) != 0;
}

void CDirectV3Read::Release() {
    const GateTarget target = m_target.exchange(0);
    if (target != 0) {
        DeliveryGate::Instance().UnregisterTarget(target);
    }
    {
        std::lock_guard<std::mutex> lk(m_mu);
        m_stopped = true;
        if (m_request != nullptr) {
            m_request->cancel();  // the step in flight returns at once
        }
    }
    if (m_thread.joinable()) {
        DeliveryGate::WaitingFor waiting(m_thread.get_id());
        m_thread.join();
    }
}

}  // namespace ksx
