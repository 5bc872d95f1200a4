// Asynchronous requests: each CSnmp4w owns one worker thread that performs the started steps in order
// and calls back from there.
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/snmplib/Snmp.h"
#include "platform/snmplib/SnmpSession.h"
#include "platform/snmplib/SnmpWalk.h"
#include "platform/snmplib/Tripwire.h"

using ksx::snmp::Credentials;

namespace {
std::atomic<SnmpWaitHook> g_waitHook{nullptr};
}

void SetSnmpWaitHook(SnmpWaitHook hook) {
    g_waitHook.store(hook);
}

struct CSnmp4w::Impl {
    struct Job {
        std::string agent;
        Callback cb = nullptr;
        void* userData = nullptr;
        unsigned long timeoutMs = 0;
        int requestId = 0;
        uint64_t epoch = 0;
        bool walk = false;
        uint64_t walkId = 0;
        int pduType = 0;
        std::vector<SnmpVarBind> binds;  // single requests; walk steps take theirs from the walk state
        Credentials cred;
    };

    std::mutex mu;
    std::condition_variable cv;
    std::deque<Job> jobs;
    bool stopping = false;
    uint64_t epoch = 1;         // raised by cancel(); jobs of an older epoch are cancelled
    uint64_t runningEpoch = 0;  // epoch of the job in the library, 0 when none
    std::thread thread;

    // Held by start() until it returns: no callback runs before that.
    std::mutex startMu;

    // Walk state of CSnmpTable4w, under mu.
    const CSnmp* walkRequest = nullptr;
    uint64_t walkGeneration = 0;
    uint64_t walkId = 0;
    std::vector<std::string> columns;
    std::vector<std::string> current;

    ksx::snmp::CSnmpSession session;  // used by the worker; cancel() from any thread

    static void Run(const std::shared_ptr<Impl>& self);
};

void CSnmp4w::Impl::Run(const std::shared_ptr<Impl>& self) {
    Impl& d = *self;
    for (;;) {
        Job job;
        std::vector<SnmpVarBind> binds;
        {
            std::unique_lock<std::mutex> lk(d.mu);
            d.cv.wait(lk, [&] { return d.stopping || !d.jobs.empty(); });
            if (d.stopping) {
                return;
            }
            job = std::move(d.jobs.front());
            d.jobs.pop_front();
            if (job.epoch != d.epoch || (job.walk && job.walkId != d.walkId)) {
                job.epoch = 0;  // cancelled while queued, or its walk was started over
            } else {
                d.runningEpoch = job.epoch;
            }
            if (job.walk && job.walkId == d.walkId) {
                binds.resize(d.current.size());
                for (size_t i = 0; i < d.current.size(); ++i) {
                    binds[i].oid = d.current[i];
                    binds[i].type = SNMP_TYPE_NULL;
                }
            } else if (!job.walk) {
                binds = std::move(job.binds);
            }
        }
        CSnmp* reply = nullptr;
        int status = CSnmp4w::EC_CANCELLED;
        if (job.epoch != 0) {
            if (job.walk && binds.empty()) {
                status = CSnmp4w::EC_REFUSED;
            } else {
                ksx::tripwire::BeforeRequestOf(job.pduType, binds);
                status = d.session.exchange(job.cred, job.agent.c_str(), job.pduType, binds, job.timeoutMs,
                                            job.epoch, reply);
            }
        }
        {
            std::lock_guard<std::mutex> lk(d.mu);
            d.runningEpoch = 0;
            if (status == 0 && job.walk) {
                if (job.walkId == d.walkId) {
                    status = ksx::snmp::FinishWalkStep(d.columns, d.current, reply);
                } else {
                    delete reply;  // the walk was started over meanwhile
                    reply = nullptr;
                    status = CSnmp4w::EC_CANCELLED;
                }
            }
            if (d.stopping) {
                delete reply;
                return;
            }
        }
        { std::lock_guard<std::mutex> wait(d.startMu); }
        if (job.cb) {
            job.cb(reply, job.requestId, job.userData, status);
        } else {
            delete reply;
        }
    }
}

CSnmp4w::CSnmp4w(CSnmp* request) : m_impl(std::make_shared<Impl>()), m_request(request) {}

CSnmp4w::~CSnmp4w() {
    if (!m_impl) {
        return;
    }
    uint64_t running = 0;
    {
        std::lock_guard<std::mutex> lk(m_impl->mu);
        m_impl->stopping = true;
        m_impl->jobs.clear();
        running = m_impl->runningEpoch;
    }
    m_impl->cv.notify_all();
    if (running) {
        m_impl->session.cancel(running);
    }
    if (m_impl->thread.joinable()) {
        if (m_impl->thread.get_id() == std::this_thread::get_id()) {
            // Deleted from its own callback: the worker ends by itself after the callback returns and
            // holds the state alive until then.
            m_impl->thread.detach();
        } else {
            SnmpWaitHook hook = g_waitHook.load();
            std::shared_ptr<void> guard = hook ? hook(m_impl->thread.get_id()) : nullptr;
            m_impl->thread.join();
        }
    }
}

void CSnmp4w::attach(CSnmp* request) {
    m_request = request;
}

void CSnmp4w::cancel() {
    uint64_t running = 0;
    {
        std::lock_guard<std::mutex> lk(m_impl->mu);
        ++m_impl->epoch;
        running = m_impl->runningEpoch;
    }
    m_impl->cv.notify_all();
    if (running) {
        m_impl->session.cancel(running);
    }
}

std::thread::id CSnmp4w::workerThreadId() const {
    std::lock_guard<std::mutex> lk(m_impl->mu);
    return m_impl->thread.get_id();
}

int CSnmp4w::startStep(const char* agent, Callback cb, void* userData, unsigned long timeoutMs, bool walk) {
    std::lock_guard<std::mutex> startGuard(m_impl->startMu);
    auto* request = dynamic_cast<CSnmpV1*>(m_request);
    if (!request) {
        return EC_REFUSED;
    }
    Impl::Job job;
    job.agent = agent ? agent : "";
    job.cb = cb;
    job.userData = userData;
    job.timeoutMs = timeoutMs;
    job.walk = walk;
    job.pduType = walk ? 1 : request->m_pduType;
    request->credentials(job.cred);
    if (!walk) {
        job.binds = request->m_varBinds;
    }
    const int id = ksx::snmp::NextRequestId();
    job.requestId = id;
    {
        std::lock_guard<std::mutex> lk(m_impl->mu);
        if (m_impl->stopping) {
            return EC_CANCELLED;
        }
        if (walk) {
            const uint64_t gen = request->m_pduGeneration.load();
            if (request != m_impl->walkRequest || gen != m_impl->walkGeneration) {
                // Another request or a rebuilt PDU: the walk starts over from its OIDs.
                m_impl->walkRequest = request;
                m_impl->walkGeneration = gen;
                ++m_impl->walkId;
                m_impl->columns.clear();
                for (const SnmpVarBind& vb : request->m_varBinds) {
                    m_impl->columns.push_back(vb.oid);
                }
                m_impl->current = m_impl->columns;
            }
            job.walkId = m_impl->walkId;
        }
        job.epoch = m_impl->epoch;
        m_impl->jobs.push_back(std::move(job));
        if (!m_impl->thread.joinable()) {
            std::shared_ptr<Impl> self = m_impl;
            m_impl->thread = std::thread([self] { Impl::Run(self); });
        }
    }
    m_requestId.store(id);
    request->m_requestId = id;
    m_impl->cv.notify_all();
    return 0;
}

int CSnmp4w::start(const char* agent, Callback cb, void* userData, unsigned long timeoutMs, int) {
    return startStep(agent, cb, userData, timeoutMs, false);
}

CSnmpTable4w::CSnmpTable4w(CSnmp* request) : CSnmp4w(request) {}

CSnmpTable4w::~CSnmpTable4w() = default;

int CSnmpTable4w::start(const char* agent, Callback cb, void* userData, unsigned long timeoutMs, int) {
    return startStep(agent, cb, userData, timeoutMs, true);
}
