// In a fresh process the first walk step gets request id 1 and the next one, on another session, 2.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "core/CommonSNMP.h"
#include "platform/sys/Event.h"
#include "platform/sys/Globals.h"
#include "tests/support/SimSwitch.h"

namespace {

struct Step {
    CCommonSNMP* session = nullptr;
    std::atomic<int> id{0};
    std::atomic<int> status{1};
    ksx::CEvent ran{true, false};
    static int Callback(CSnmp* response, int requestId, void* userData, int status) {
        auto* self = static_cast<Step*>(userData);
        delete response;
        self->session->FindRequestID(requestId);
        self->id = requestId;
        self->status = status;
        self->ran.Set();
        return 0;
    }
};

}  // namespace

TEST(SessionFirstRequestIdTest, CounterStartsAtOneAndIsShared) {
    ASSERT_EQ(g_nSnmpRequestID.load(), 0);
    ksx::test::SimSwitch sim;
    ksx::test::UseSimV1(sim);
    CCommonSNMP first;
    CCommonSNMP second;
    // Synchronous requests take no id.
    ASSERT_TRUE(first.Open(0));
    first.AddVarBind("1.3.6.1.4.1.7393.10.76.20.1.1.13.1.1.1", 4, nullptr);
    CSnmp* response = nullptr;
    ASSERT_EQ(first.Send(response, 0), 0);
    delete response;
    EXPECT_EQ(g_nSnmpRequestID.load(), 0);

    int expected = 1;
    for (CCommonSNMP* session : {&first, &second}) {
        ASSERT_TRUE(session->Open(1));
        session->AddVarBind("1.3.6.1.4.1.7393.10.76.20.1.1.13.1.1", 4, nullptr);
        Step step;
        step.session = session;
        session->StartAsyncWalk(&Step::Callback, &step, 0);
        ASSERT_TRUE(step.ran.Wait(10000));
        EXPECT_EQ(step.id.load(), expected);
        EXPECT_EQ(step.status.load(), 0);
        ASSERT_TRUE(session->WaitDone(5000));
        ++expected;
    }
    ksx::ResetConnectionSettings();
}
