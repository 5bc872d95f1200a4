// Request objects (CSnmp, CSnmpV1, CSnmpV3) and the synchronous walker CSnmpTable.
#include "platform/snmplib/Snmp.h"

#include <cstring>

#include "platform/snmplib/SnmpSession.h"
#include "platform/snmplib/SnmpWalk.h"
#include "platform/snmplib/Tripwire.h"

using ksx::snmp::Credentials;

namespace {

std::string NormalizeOid(const char* oid) {
    std::string s = oid ? oid : "";
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.pop_back();
    }
    size_t b = s.find_first_not_of(" \t");
    s = b == std::string::npos ? std::string() : s.substr(b);
    if (!s.empty() && s[0] == '.') {
        s.erase(0, 1);
    }
    return s;
}

}  // namespace

// ---- CSnmp ----

CSnmp::~CSnmp() = default;

void CSnmp::touchPdu() {
    m_pduGeneration.store(ksx::snmp::NextGeneration());
}

void CSnmp::clearVarBindList() {
    m_varBinds.clear();
    m_scratch.clear();
    touchPdu();
}

int CSnmp::addValue(const char* oid, int type, const char* value) {
    return addValue(oid, type, value, value ? static_cast<int>(std::strlen(value)) : 0);
}

int CSnmp::addValue(const char* oid, int type, const char* value, int length) {
    if (!oid || length < 0 || (length > 0 && !value)) {
        return -1;
    }
    SnmpVarBind vb;
    vb.oid = NormalizeOid(oid);
    vb.type = type;
    if (type != SNMP_TYPE_NULL && value) {
        vb.value.assign(value, static_cast<size_t>(length));
    }
    // A malformed binding is kept so that the PDU is refused at send rather than sent without it.
    const bool valid = ksx::snmp::ValidBinding(vb);
    m_varBinds.push_back(std::move(vb));
    touchPdu();
    return valid ? 0 : -1;
}

int CSnmp::getVarBindCount() const {
    return static_cast<int>(m_varBinds.size());
}

int CSnmp::getErrorStatus(int* errorStatus, int* errorIndex) const {
    if (errorStatus) {
        *errorStatus = m_errorStatus;
    }
    if (errorIndex) {
        *errorIndex = m_errorIndex;
    }
    return 0;
}

int CSnmp::getValue(int index, int* length, char** value) {
    if (index < 0 || index >= static_cast<int>(m_varBinds.size())) {
        if (length) {
            *length = 0;
        }
        if (value) {
            *value = nullptr;
        }
        return -1;
    }
    std::string& v = m_varBinds[static_cast<size_t>(index)].value;
    if (length) {
        *length = static_cast<int>(v.size());
    }
    if (value) {
        *value = v.data();  // std::string keeps a NUL after the octets
    }
    return 0;
}

const char* CSnmp::getOid(int index) const {
    if (index < 0 || index >= static_cast<int>(m_varBinds.size())) {
        return nullptr;
    }
    return m_varBinds[static_cast<size_t>(index)].oid.c_str();
}

const char* CSnmp::getValueText(int index) const {
    if (index < 0 || index >= static_cast<int>(m_varBinds.size())) {
        return nullptr;
    }
    const SnmpVarBind& vb = m_varBinds[static_cast<size_t>(index)];
    const bool reply = dynamic_cast<const ksx::snmp::SnmpReply*>(this) != nullptr;
    if (reply ? ksx::snmp::IsValueless(vb.type) : vb.type == SNMP_TYPE_NULL) {
        return nullptr;
    }
    return vb.value.c_str();
}

// ---- CSnmpV1 / CSnmpV3 ----

struct CSnmpV1::Impl {
    ksx::snmp::CSnmpSession session;
};

CSnmpV1::CSnmpV1(int type) : m_impl(std::make_unique<Impl>()) {
    m_pduType = type;
    touchPdu();
}

CSnmpV1::~CSnmpV1() = default;

void CSnmpV1::setType(int type) {
    m_pduType = type;
    touchPdu();
}

void CSnmpV1::setCommunity(const char* community) {
    m_community = community ? community : "";
}

void CSnmpV1::credentials(Credentials& out) const {
    out = Credentials{};
    if (const auto* v3 = dynamic_cast<const CSnmpV3*>(this)) {
        out.version = 3;
        out.user = v3->m_userName;
        out.msgFlags = v3->m_msgFlags;
        out.authArith = v3->m_authArith;
        out.authPwd = v3->m_authPwd;
        out.priArith = v3->m_priArith;
        out.priPwd = v3->m_priPwd;
    } else {
        out.version = 1;
        out.community = m_community;
    }
}

int CSnmpV1::exchange(const char* agent, int pduType, const std::vector<SnmpVarBind>& binds, CSnmp*& response,
                      unsigned long timeoutMs) {
    ksx::tripwire::BeforeRequestOf(pduType, binds);
    Credentials cred;
    credentials(cred);
    const ksx::tripwire::RequestWait wait;
    return m_impl->session.exchange(cred, agent, pduType, binds, timeoutMs, m_pduGeneration.load(), response);
}

int CSnmpV1::send(const char* agent, CSnmp*& response, unsigned long timeoutMs) {
    return exchange(agent, m_pduType, m_varBinds, response, timeoutMs);
}

void CSnmpV1::cancel() {
    m_impl->session.cancel(m_pduGeneration.load());
}

void CSnmpV1::resetCancel() {
    m_impl->session.resetCancel();
}

void CSnmpV1::outliveCancelAll() {
    m_impl->session.outliveCancelAll();
}

SnmpSent CSnmpV1::lastRequestSent() const {
    return m_impl->session.lastSent();
}

SnmpAnswer ClassifyAnswer(int status, const CSnmp* reply, const SnmpSent& sent) {
    SnmpAnswer a;
    a.status = status;
    a.resent = sent.resent || (reply != nullptr && reply->afterResend());
    if (status == 0 && reply != nullptr) {
        reply->getErrorStatus(&a.errorStatus, &a.errorIndex);
        a.outcome = a.errorStatus == 0 ? SnmpOutcome::kAccepted : SnmpOutcome::kRefused;
        return a;
    }
    switch (status) {
        case CSnmp4w::EC_AUTH_FAILED:
        case CSnmp4w::EC_PRIV_FAILED:
            // The agent's authenticated report: not applied. Inferred (a report anyone may send, the
            // privacy check by probes): the device may have applied it.
            a.outcome = sent.inferred && sent.sent ? SnmpOutcome::kUnanswered : SnmpOutcome::kRefused;
            break;
        case CSnmp4w::EC_REFUSED:
        case CSnmp4w::EC_END_OF_WALK:
            // After the request went out only the agent's answer (a report) gives these.
            a.outcome = sent.sent ? SnmpOutcome::kRefused : SnmpOutcome::kNotSent;
            break;
        case CSnmp4w::EC_BAD_AGENT:
            a.outcome = SnmpOutcome::kNotSent;
            break;
        default:  // a time-out, a cancel, a copy that could not be sent, no reply
            a.outcome = sent.sent ? SnmpOutcome::kUnanswered : SnmpOutcome::kNotSent;
            break;
    }
    return a;
}

CSnmpV3::CSnmpV3(int type) : CSnmpV1(type) {}

CSnmpV3::~CSnmpV3() = default;

void CSnmpV3::setMsgMaxSize(int size) {
    m_msgMaxSize = size;
}
void CSnmpV3::setMsgSecurityModel(int model) {
    m_securityModel = model;
}
void CSnmpV3::setUserName(const char* user) {
    m_userName = user ? user : "";
}
void CSnmpV3::setMsgFlags(char flags) {
    m_msgFlags = static_cast<unsigned char>(flags);
}
void CSnmpV3::setAuthArith(int arith) {
    m_authArith = arith;
}
void CSnmpV3::setPriArith(int arith) {
    m_priArith = arith;
}

void CSnmpV3::setAuthPwd(const unsigned char* pwd, int length) {
    m_authPwd = pwd && length > 0
                    ? std::string(reinterpret_cast<const char*>(pwd), static_cast<size_t>(length))
                    : std::string();
}

void CSnmpV3::setPriPwd(const unsigned char* pwd, int length) {
    m_priPwd = pwd && length > 0
                   ? std::string(reinterpret_cast<const char*>(pwd), static_cast<size_t>(length))
                   : std::string();
}

int CSnmpV3::send(const char* agent, CSnmp*& response, unsigned long timeoutMs) {
    return CSnmpV1::send(agent, response, timeoutMs);
}

// ---- CSnmpTable ----

namespace {
constexpr uint64_t kNoWalk = ~uint64_t{0};
}

CSnmpTable::CSnmpTable(CSnmp* session) : m_session(session), m_pduGeneration(kNoWalk) {}

CSnmpTable::~CSnmpTable() = default;

void CSnmpTable::reset() {
    m_columns.clear();
    m_current.clear();
    m_pduGeneration = kNoWalk;
}

void CSnmpTable::cancel() {
    if (auto* v1 = dynamic_cast<CSnmpV1*>(m_session)) {
        v1->cancel();
    }
}

int CSnmpTable::getNext(const char* agent, CSnmp*& response, unsigned long timeoutMs) {
    response = nullptr;
    auto* v1 = dynamic_cast<CSnmpV1*>(m_session);
    if (!v1) {
        return CSnmp4w::EC_SEND_FAILED;
    }
    if (v1->m_pduType != 1) {
        return v1->send(agent, response, timeoutMs);
    }
    const uint64_t gen = v1->m_pduGeneration.load();
    if (gen != m_pduGeneration) {
        m_columns.clear();
        for (const SnmpVarBind& vb : v1->m_varBinds) {
            m_columns.push_back(vb.oid);
        }
        m_current = m_columns;
        m_pduGeneration = gen;
    }
    if (m_columns.empty()) {
        return CSnmp4w::EC_REFUSED;
    }
    std::vector<SnmpVarBind> binds(m_current.size());
    for (size_t i = 0; i < m_current.size(); ++i) {
        binds[i].oid = m_current[i];
        binds[i].type = SNMP_TYPE_NULL;
    }
    int status = v1->exchange(agent, 1, binds, response, timeoutMs);
    if (status == 0) {
        status = ksx::snmp::FinishWalkStep(m_columns, m_current, response);
    }
    return status;
}

int CSnmpTable::getOidSuffix(int index, CSnmp* response, char** suffix) {
    static char empty[1] = {0};
    if (suffix) {
        *suffix = empty;
    }
    if (!suffix || !response || index < 0 || index >= response->getVarBindCount()) {
        return -1;
    }
    std::string column;
    if (m_pduGeneration == m_session->m_pduGeneration.load() &&
        static_cast<size_t>(index) < m_columns.size()) {
        column = m_columns[static_cast<size_t>(index)];
    } else if (index < m_session->getVarBindCount()) {
        column = m_session->m_varBinds[static_cast<size_t>(index)].oid;
    }
    std::string text;
    if (!ksx::snmp::InstanceSuffix(column, response->m_varBinds[static_cast<size_t>(index)].oid, text)) {
        return -1;
    }
    if (m_suffixes.size() <= static_cast<size_t>(index)) {
        m_suffixes.resize(static_cast<size_t>(index) + 1);
    }
    m_suffixes[static_cast<size_t>(index)] = std::move(text);
    *suffix = m_suffixes[static_cast<size_t>(index)].data();
    return 0;
}
