// Retransmission within the caller's time-out: a lost request is sent again with the same request id,
// walks survive a lossy link, the whole wait stays bounded by the time-out, answers to earlier steps are
// never taken for later ones, and cancelling or destroying returns at once while a resent request is out.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include <atomic>
#include <cerrno>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/snmplib/SnmpTestUtil.h"

using namespace ksx::test;

// The network refuses every message the library sends (with sendmsg) after the next `g_passes` ones.
std::atomic<int> g_passes{-1};  // -1: none refused
extern "C" ssize_t sendmsg(int fd, const msghdr* msg, int flags) {
    static const auto real =
        reinterpret_cast<ssize_t (*)(int, const msghdr*, int)>(dlsym(RTLD_NEXT, "sendmsg"));
    const int passes = g_passes.load();
    g_passes = passes > 0 ? passes - 1 : passes;
    return passes == 0 ? (errno = EHOSTUNREACH, -1) : real(fd, msg, flags);
}

namespace {

const char* const kSysName = "1.3.6.1.2.1.1.5.0";
const std::string kTable = "1.3.6.1.4.1.99999.41";  // generated: kTable.1.c.r, 2 columns
constexpr int kRows = 150;

// The request id of every logged request, oldest first.
std::vector<long> RequestIds(SimSwitch& sim) {
    std::istringstream in(sim.Command("ids"));
    std::string ok;
    in >> ok;
    std::vector<long> ids;
    long id = 0;
    while (in >> id) {
        ids.push_back(id);
    }
    return ids;
}

class SnmpRetransmit : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        SnmpInit();
        SimSwitch::Options options;
        options.extraArgs = {"--table", kTable + ":" + std::to_string(kRows) + ":2"};
        s_sim = new SimSwitch(options);
    }
    static void TearDownTestSuite() {
        delete s_sim;
        s_sim = nullptr;
    }
    void SetUp() override {
        s_sim->Silence(false);
        s_sim->DropPercent(0);
        s_sim->Command("loss 0");
        s_sim->DelayMs(0);
        s_sim->ClearLog();
    }
    static std::string Agent() { return AgentOf(*s_sim); }
    static std::unique_ptr<CSnmpV1> V1Get() {
        auto get = std::make_unique<CSnmpV1>(0);
        get->setCommunity("quaint");
        get->addValue(kSysName, SNMP_TYPE_NULL, nullptr);
        return get;
    }
    // Walks the generated table's first column to its end; the rows read and the final status.
    static int WalkTable(CSnmpV1& request, unsigned long timeoutMs, int& rows) {
        request.clearVarBindList();
        request.addValue((kTable + ".1.1").c_str(), SNMP_TYPE_NULL, nullptr);
        CSnmpTable table(&request);
        rows = 0;
        for (;;) {
            CSnmp* raw = nullptr;
            const int status = table.getNext(Agent().c_str(), raw, timeoutMs);
            ReplyPtr reply(raw);
            if (status != 0) {
                return status;
            }
            char* suffix = nullptr;
            table.getOidSuffix(0, reply.get(), &suffix);
            if (std::string(suffix) != "." + std::to_string(rows + 1)) {
                return 1;  // a row out of order: an answer taken for the wrong step
            }
            ++rows;
        }
    }
    static SimSwitch* s_sim;
};
SimSwitch* SnmpRetransmit::s_sim = nullptr;

TEST_F(SnmpRetransmit, LostRequestIsSentAgainWithTheSameRequestId) {
    for (int version : {1, 3}) {
        s_sim->DropPercent(0);
        std::unique_ptr<CSnmpV1> get;
        if (version == 1) {
            get = V1Get();
        } else {
            get = V3Request(0, "shadesuser", 3, 1, "shaauthpass", 0, "desprivpass");
            get->addValue(kSysName, SNMP_TYPE_NULL, nullptr);
        }
        ReplyPtr reply;
        ASSERT_EQ(0, SendTo(*get, Agent(), reply)) << "v" << version;  // session (and engine) ready
        s_sim->ClearLog();
        s_sim->DropPercent(100);
        std::atomic<bool> done{false};
        int status = -100;
        std::thread sender([&] {
            status = SendTo(*get, Agent(), reply, 3000);
            done = true;
        });
        // The first attempt is lost; the answer to the second one is the answer.
        ASSERT_TRUE(s_sim->WaitForRequests([](const auto& log) { return !log.empty(); }));
        s_sim->DropPercent(0);
        sender.join();
        ASSERT_EQ(0, status) << "v" << version;
        const std::vector<long> ids = RequestIds(*s_sim);
        ASSERT_EQ(2u, ids.size()) << "v" << version;
        EXPECT_EQ(ids[0], ids[1]) << "v" << version;
        EXPECT_EQ(ids[0], reply->getRequestId()) << "v" << version;
        const auto log = s_sim->Requests();
        EXPECT_EQ(log[0].varbinds[0].oid, log[1].varbinds[0].oid);
        EXPECT_EQ(kSysName, std::string(reply->getOid(0)));
    }
}

TEST_F(SnmpRetransmit, NoAnswerStillEndsAtTheTimeOutAfterEveryAttemptAndARefusedResendAtOnce) {
    s_sim->Silence(true);
    auto get = V1Get();
    ReplyPtr reply;
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(CSnmp4w::EC_TIMEOUT, SendTo(*get, Agent(), reply, 1500));
    const long long ms = ElapsedMs(t0);
    EXPECT_GE(ms, 1495);
    EXPECT_LT(ms, 2000);
    EXPECT_FALSE(reply);
    const std::vector<long> ids = RequestIds(*s_sim);
    ASSERT_GE(ids.size(), 2u);  // retransmitted
    for (long id : ids) {
        EXPECT_EQ(ids[0], id);
    }
    // A time-out too short to share sends once.
    s_sim->ClearLog();
    EXPECT_EQ(CSnmp4w::EC_TIMEOUT, SendTo(*get, Agent(), reply, 200));
    EXPECT_EQ(1u, RequestIds(*s_sim).size());
    // A resend the network refuses: the library has dropped the request, which ends as a send failure.
    g_passes = 1;
    t0 = std::chrono::steady_clock::now();
    {
#if defined(__SANITIZE_ADDRESS__)
        __lsan::ScopedDisabler leakedByTheLibrary;  // it does not free a request whose resend was refused
#endif
        EXPECT_EQ(CSnmp4w::EC_SEND_FAILED, SendTo(*get, Agent(), reply, 3000));
    }
    EXPECT_LT(ElapsedMs(t0), 1500);
    g_passes = -1;
    // The abandoned request is not sent again by the next step.
    s_sim->Silence(false);
    s_sim->ClearLog();
    ASSERT_EQ(0, SendTo(*get, Agent(), reply, 3000));
    EXPECT_EQ(1u, RequestIds(*s_sim).size());
}

TEST_F(SnmpRetransmit, WalkCompletesOverALossyLinkInOrder) {
    for (int version : {1, 3}) {
        s_sim->Command("loss 10 " + std::to_string(7 + version));
        std::unique_ptr<CSnmpV1> request;
        if (version == 1) {
            request = std::make_unique<CSnmpV1>(1);
            request->setCommunity("quaint");
        } else {
            request = V3Request(1, "shauser", 1, 1, "shaauthpass", 0, "");
        }
        int rows = 0;
        EXPECT_EQ(CSnmp4w::EC_END_OF_WALK, WalkTable(*request, 1000, rows)) << "v" << version;
        EXPECT_EQ(kRows, rows) << "v" << version;
        // Losses there were, and each was made good by the same request sent again.
        const std::vector<long> ids = RequestIds(*s_sim);
        int repeats = 0;
        for (size_t i = 1; i < ids.size(); ++i) {
            repeats += ids[i] == ids[i - 1] ? 1 : 0;
        }
        EXPECT_GT(repeats, kRows / 20) << "v" << version;
        s_sim->Command("loss 0");
        s_sim->ClearLog();
    }
}

TEST_F(SnmpRetransmit, SlowAnswerToAnEarlierAttemptIsTheAnswerAndNeverTheNextSteps) {
    // Every answer comes 400 ms late, after the request was sent again (attempts of 250 ms): the first
    // answer to arrive ends the step, and the second one, arriving during the next step, is dropped.
    s_sim->DelayMs(400);
    auto request = std::make_unique<CSnmpV1>(1);
    request->setCommunity("quaint");
    request->addValue((kTable + ".1.1").c_str(), SNMP_TYPE_NULL, nullptr);
    CSnmpTable table(request.get());
    for (int row = 1; row <= 3; ++row) {
        CSnmp* raw = nullptr;
        ASSERT_EQ(0, table.getNext(Agent().c_str(), raw, 1000)) << row;
        ReplyPtr reply(raw);
        char* suffix = nullptr;
        ASSERT_EQ(0, table.getOidSuffix(0, reply.get(), &suffix));
        EXPECT_EQ("." + std::to_string(row), std::string(suffix));
        EXPECT_EQ(kTable + ".1.1." + std::to_string(row), std::string(reply->getOid(0)));
    }
    const std::vector<long> ids = RequestIds(*s_sim);
    EXPECT_GT(ids.size(), 3u);
}

TEST_F(SnmpRetransmit, CancelAndDestroyReturnAtOnceWhileAResentRequestIsOut) {
    s_sim->Silence(true);
    auto resent = [] {
        return s_sim->WaitForRequests([](const auto& log) { return log.size() >= 2; }, 8000);
    };
    // A synchronous send cancelled from another thread.
    {
        auto get = V1Get();
        std::atomic<int> status{0};
        std::chrono::steady_clock::time_point returned;
        std::thread worker([&] {
            ReplyPtr reply;
            status = SendTo(*get, Agent(), reply, 10000);
            returned = std::chrono::steady_clock::now();
        });
        ASSERT_TRUE(resent());
        const auto cancelled = std::chrono::steady_clock::now();
        get->cancel();
        worker.join();
        EXPECT_EQ(CSnmp4w::EC_CANCELLED, status.load());
        EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(returned - cancelled).count(), 1000);
    }
    // An asynchronous request destroyed with its step in flight: no callback, prompt return.
    s_sim->ClearLog();
    {
        std::atomic<int> calls{0};
        auto get = V1Get();
        auto sender = std::make_unique<CSnmp4w>(get.get());
        ASSERT_EQ(0, sender->start(
                         Agent().c_str(),
                         [](CSnmp* reply, int, void* user, int) {
                             delete reply;
                             ++*static_cast<std::atomic<int>*>(user);
                             return 0;
                         },
                         &calls, 10000, 0));
        ASSERT_TRUE(resent());
        const auto t0 = std::chrono::steady_clock::now();
        sender.reset();
        EXPECT_LT(ElapsedMs(t0), 1000);
        EXPECT_EQ(0, calls.load());
    }
}

}  // namespace
