#include "core/CommonSNMP.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/sys/DeliveryGate.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"

std::atomic<int> g_nSnmpRequestID{0};

std::string SnmpAuthFailedText() {
    return "SNMPv3 authentication failed for user " + g_strV3UserName + ".";
}

std::string SnmpPrivFailedText() {
    return "SNMPv3 privacy failed for user " + g_strV3UserName + ": check the privacy password.";
}

std::string SnmpV3FailureText(int status) {
    if (status == CSnmp4w::EC_AUTH_FAILED) {
        return SnmpAuthFailedText();
    }
    if (status == CSnmp4w::EC_PRIV_FAILED) {
        return SnmpPrivFailedText();
    }
    return {};
}

void NoteSnmpV3Failure(int status) {
    const std::string text = SnmpV3FailureText(status);
    if (text.empty()) {
        return;
    }
    ksx::DeliveryGate& gate = ksx::DeliveryGate::Instance();
    if (gate.OnOwnerThread()) {
        ksx::NoteFailure(text);
        return;
    }
    // A request of a worker (a run of steps, a walk): noted on the UI thread ahead of anything the same
    // worker posts after it, so the box that tells the run's failure carries the reason.
    static const ksx::GateTarget target = gate.RegisterTarget();
    gate.Post(target, [text] { ksx::NoteFailure(text); });
}

std::string NoteSnmpV3ReadFailure(int status) {
    NoteSnmpV3Failure(status);
    return status == CSnmp4w::EC_TIMEOUT ? "Failed to read over SNMPv3: the device did not answer."
                                         : "Failed to read over SNMPv3: the device refused the request "
                                           "(check the SNMPv3 user settings).";
}

namespace {

// How often a wait for the worker repeats its cancel: a step entering the library just after a cancel
// is caught by the next one.
constexpr unsigned kCancelRepeatMs = 10;

}  // namespace

CCommonSNMP::CCommonSNMP()
    : m_nVersion(std::atoi(g_strSnmpVersion.c_str())),
      m_szAgent(ksx::AgentAddress()),
      m_nTimeout(std::atoi(g_strSnmpTimeout.c_str())),
      m_szReadCommunity(g_strReadCommunity),
      m_szWriteCommunity(g_strWriteCommunity),
      m_strSecLevel(g_strV3SecurityLevel),
      m_strAuthProtocol(g_strV3AuthProtocol),
      m_strPrivProtocol(g_strV3PrivProtocol),
      m_szUserName(g_strV3UserName),
      m_szAuthPassword(g_strV3AuthPassword),
      m_szPrivPassword(g_strV3PrivPassword),
      m_nWalkTimeout(m_nTimeout) {
    if (m_nVersion == 1) {
        m_pSnmp = std::make_unique<CSnmpV1>(0);
    } else if (m_nVersion == 3) {
        m_pSnmp = std::make_unique<CSnmpV3>(0);
    }
    if (m_pSnmp) {
        m_pTable = std::make_unique<CSnmpTable>(m_pSnmp.get());
    }
}

CCommonSNMP::~CCommonSNMP() {
    m_bRunning = false;
    m_bStopping = true;
    // The worker is the only other user of the lock; once it is gone the lock is ours at once.
    StopWorker();
    m_hLock.Lock();
    m_pTable.reset();
    m_pSnmp.reset();
    m_hLock.Unlock();
}

void CCommonSNMP::CancelStep() {
    if (m_pTable) {
        m_pTable->cancel();
    }
    if (m_pSnmp) {
        m_pSnmp->cancel();
    }
}

void CCommonSNMP::StopWorker() {
    if (!m_hThread.Joinable()) {
        return;
    }
    if (m_hThread.Id() == std::this_thread::get_id()) {
        return;  // called from a callback of this session: the worker cannot wait for itself
    }
    {
        // A callback blocked in a send to this (UI) thread is abandoned instead of waiting for us.
        ksx::DeliveryGate::WaitingFor waiting(m_hThread.Id());
        while (!m_hWorkerEnded.Wait(kCancelRepeatMs)) {
            CancelStep();
        }
        m_hThread.Join();
    }
}

bool CCommonSNMP::Open(int requestKind) {
    if (!m_pSnmp || !m_pTable) {
        return false;
    }
    m_bRunning = false;  // a step in flight will not reach its callback
    m_bStopping = true;
    StopWorker();
    m_bStopping = false;

    ksx::CLockGuard guard(m_hLock);
    m_bPlainSteps = false;
    NotePending(requestKind, nullptr);
    m_pSnmp->setType(requestKind);
    m_pSnmp->clearVarBindList();
    if (m_nVersion == 1) {
        if (requestKind == REQUEST_GET || requestKind == REQUEST_GETNEXT) {
            m_pSnmp->setCommunity(m_szReadCommunity.c_str());
        } else if (requestKind == REQUEST_SET) {
            m_pSnmp->setCommunity(m_szWriteCommunity.c_str());
        } else {
            return false;
        }
    } else {
        ConfigureV3();
    }
    m_bClosed = false;
    return true;
}

void CCommonSNMP::ConfigureV3() {
    auto* v3 = static_cast<CSnmpV3*>(m_pSnmp.get());
    v3->setMsgMaxSize(1024);
    v3->setMsgSecurityModel(3);
    v3->setUserName(m_szUserName.c_str());

    const auto* authPwd = reinterpret_cast<const unsigned char*>(m_szAuthPassword.data());
    const int authLength = static_cast<int>(m_szAuthPassword.size());
    if (m_strSecLevel == "2") {
        v3->setMsgFlags(1);
        if (m_strAuthProtocol == "2") {
            v3->setAuthArith(0);
            v3->setAuthPwd(authPwd, authLength);
        } else if (m_strAuthProtocol == "3") {
            v3->setAuthArith(1);
            v3->setAuthPwd(authPwd, authLength);
        } else {
            v3->setMsgFlags(0);
        }
    } else if (m_strSecLevel == "3" && (m_strAuthProtocol == "2" || m_strAuthProtocol == "3")) {
        v3->setMsgFlags(3);
        v3->setAuthArith(m_strAuthProtocol == "2" ? 0 : 1);
        v3->setAuthPwd(authPwd, authLength);
        if (m_strPrivProtocol == "2") {
            v3->setPriArith(0);
            v3->setPriPwd(reinterpret_cast<const unsigned char*>(m_szPrivPassword.data()),
                          static_cast<int>(m_szPrivPassword.size()));
        } else {
            v3->setMsgFlags(1);
        }
    } else {
        // Level "1", anything unknown, and privacy asked for without an authentication protocol
        // (privacy needs authentication): no authentication.
        v3->setMsgFlags(0);
    }
}

int CCommonSNMP::AddVarBind(const std::string& oid, int type, const char* value) {
    ksx::CLockGuard guard(m_hLock);
    if (!m_pSnmp) {
        return -1;
    }
    NotePending(-1, &oid);
    return m_pSnmp->addValue(oid.c_str(), type, value);
}

int CCommonSNMP::AddVarBind(const std::string& oid, int type, const char* value, int length) {
    ksx::CLockGuard guard(m_hLock);
    if (!m_pSnmp) {
        return -1;
    }
    NotePending(-1, &oid);
    return m_pSnmp->addValue(oid.c_str(), type, value, length);
}

int CCommonSNMP::Send(CSnmp*& response, int timeoutMs) {
    return SendWithin(response, timeoutMs, false);
}

int CCommonSNMP::GetNext(CSnmp*& response, int timeoutMs) {
    return SendWithin(response, timeoutMs, true);
}

int CCommonSNMP::SendWithin(CSnmp*& response, int timeoutMs, bool walk) {
    response = nullptr;
    m_bLastSent = false;
    m_bLastResent = false;
    m_bLastInferred = false;
    // The whole call, a walk step of the worker still holding the session included, stays within the
    // request's own time-out.
    int timeout = timeoutMs == 0 ? m_nTimeout : timeoutMs;
    if (timeout <= 0) {
        timeout = GetSnmpTimeout();
    }
    const auto start = std::chrono::steady_clock::now();
    if (!m_hLock.TryLockFor(static_cast<unsigned>(timeout))) {
        return CSnmp4w::EC_TIMEOUT;
    }
    int status = -1;
    if (HasPdu()) {
        const auto waited =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
                .count();
        const auto left = static_cast<unsigned long>(std::max<long long>(timeout - waited, 1));
        status = walk ? m_pTable->getNext(m_szAgent.c_str(), response, left)
                      : m_pSnmp->send(m_szAgent.c_str(), response, left);
        const SnmpSent sent = m_pSnmp->lastRequestSent();
        m_bLastSent = sent.sent;
        m_bLastResent = sent.resent;
        m_bLastInferred = sent.inferred;
    }
    m_hLock.Unlock();
    NoteSnmpV3Failure(status);
    return status;
}

int CCommonSNMP::GetResponseOid(int index, CSnmp* response, char** suffix) {
    ksx::CLockGuard guard(m_hLock);
    if (!HasPdu()) {
        return -1;
    }
    return m_pTable->getOidSuffix(index, response, suffix);
}

int CCommonSNMP::StartAsyncWalk(SNMPWALKPROC callback, void* userData, int /*ignored*/, int timeoutMs) {
    ksx::CLockGuard guard(m_hLock);
    if (m_bClosed || m_bStopping || !HasPdu()) {
        m_hDone.Set();
        return -1;
    }
    m_pfnCallback = callback;
    m_pUserData = userData;
    m_nWalkTimeout = timeoutMs == 0 ? m_nTimeout : timeoutMs;
    const int id = ++g_nSnmpRequestID;
    m_nRequestID = id;
    {
        std::lock_guard<std::mutex> ids(m_idLock);
        m_aRequestIDs.push_back(id);
    }
    m_bRunning = true;
    m_hDone.Reset();
    // A worker that has decided to end (it did so under the lock) will not look at m_bRunning again:
    // reap it and start a new one, so this step is still performed.
    if (!m_bWorkerAlive) {
        m_hThread.Join();
        m_bWorkerAlive = true;
        m_hWorkerEnded.Reset();
        m_hThread.Start([this] { WalkThreadProc(); });
    }
    return -1;
}

int CCommonSNMP::StartAsyncWalk(SNMPWALKPROC callback, void* userData, int timeoutMs) {
    return StartAsyncWalk(callback, userData, 0, timeoutMs);
}

int CCommonSNMP::StartAsyncStep(SNMPWALKPROC callback, void* userData, const std::vector<std::string>& oids,
                                int timeoutMs) {
    {
        ksx::CLockGuard guard(m_hLock);
        if (m_pSnmp && !oids.empty() && !m_bClosed && !m_bStopping) {
            m_pSnmp->setType(REQUEST_GETNEXT);
            m_pSnmp->clearVarBindList();
            NotePending(REQUEST_GETNEXT, nullptr);
            for (const std::string& oid : oids) {
                m_pSnmp->addValue(oid.c_str(), 4, nullptr);
                NotePending(-1, &oid);
            }
            m_bPlainSteps = true;
        }
    }
    return StartAsyncWalk(callback, userData, 0, timeoutMs);
}

void CCommonSNMP::WalkThreadProc() {
    for (;;) {
        m_hLock.Lock();
        if (!m_bRunning || m_bStopping || !HasPdu()) {
            m_bRunning = false;
            m_bWorkerAlive = false;
            m_hDone.Set();
            m_hLock.Unlock();
            break;
        }
        CSnmp* response = nullptr;
        const int status =
            m_bPlainSteps
                ? m_pSnmp->send(m_szAgent.c_str(), response, static_cast<unsigned long>(m_nWalkTimeout))
                : m_pTable->getNext(m_szAgent.c_str(), response, static_cast<unsigned long>(m_nWalkTimeout));
        const int requestId = m_nRequestID;
        SNMPWALKPROC callback = m_pfnCallback;
        void* userData = m_pUserData;
        const bool stillWalking = HasPdu();
        m_hLock.Unlock();

        // Open, Close and the destructor clear m_bRunning: the step's answer then reaches no one.
        if (stillWalking && !m_bStopping && m_bRunning.exchange(false) && callback != nullptr) {
            callback(response, requestId, userData, status);
        } else {
            delete response;
        }
    }
    m_hWorkerEnded.Set();
}

int CCommonSNMP::FindRequestID(int requestId) {
    std::lock_guard<std::mutex> ids(m_idLock);
    auto it = std::find(m_aRequestIDs.begin(), m_aRequestIDs.end(), requestId);
    if (it == m_aRequestIDs.end()) {
        return 0;
    }
    m_aRequestIDs.erase(it);
    return 1;
}

void CCommonSNMP::SetDone() {
    m_hDone.Set();
}

int CCommonSNMP::PendingRequestCount() const {
    std::lock_guard<std::mutex> ids(m_idLock);
    return static_cast<int>(m_aRequestIDs.size());
}

int CCommonSNMP::PendingKind() const {
    std::lock_guard<std::mutex> pending(m_pendingLock);
    return m_nPendingKind;
}

std::vector<std::string> CCommonSNMP::PendingOids() const {
    std::lock_guard<std::mutex> pending(m_pendingLock);
    return m_aPendingOids;
}

void CCommonSNMP::NotePending(int kind, const std::string* oid) {
    std::lock_guard<std::mutex> pending(m_pendingLock);
    if (kind >= 0) {
        m_nPendingKind = kind;
        m_aPendingOids.clear();
    }
    if (oid != nullptr) {
        m_aPendingOids.push_back(*oid);
    }
}

void CCommonSNMP::Close() {
    m_bClosed = true;
    m_bRunning = false;
    const std::thread::id worker = m_hThread.Id();
    if (worker != std::this_thread::get_id()) {
        ksx::DeliveryGate::WaitingFor waiting(worker);
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(m_nTimeout, 0) + 1000);
        bool cancelled = false;
        while (!m_hDone.Wait(kCancelRepeatMs)) {
            if (std::chrono::steady_clock::now() >= deadline) {
                break;
            }
            CancelStep();
            cancelled = true;
        }
        // The cancel sticks to the pending PDU; a Send of that PDU after Close must still go out.
        if (cancelled && m_pSnmp) {
            m_pSnmp->resetCancel();
        }
    }
    std::lock_guard<std::mutex> ids(m_idLock);
    m_aRequestIDs.clear();
}
