// The module's session over SNMPv3 when an authPriv request goes unanswered: a wrong privacy password is
// named with the user after one probe, a dead device stays a time-out. The reason is noted for a request
// on any thread, the UI thread's or a worker's.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/CommonSNMP.h"
#include "platform/sys/DeliveryGate.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"

namespace {

class SessionV3Unanswered : public ksx::test::SharedSimTest {
protected:
    static int GetSysName(CCommonSNMP& session) {
        if (!session.Open(0)) {
            return -100;
        }
        session.AddVarBind("1.3.6.1.2.1.1.5.0", 4, nullptr);
        CSnmp* response = nullptr;
        const int status = session.Send(response, 0);
        std::unique_ptr<CSnmp> owned(response);
        return status;
    }
};

TEST_F(SessionV3Unanswered, AWrongPrivacyPasswordIsNamedAndADeadDeviceIsATimeOut) {
    // The request goes unanswered (the agent cannot decrypt it); the one probe without privacy is
    // answered.
    ksx::test::UseSimV3(*s_sim, "3", "shadesuser", "3", "shaauthpass", "2", "not-the-privacy-password");
    {
        CCommonSNMP session;
        const int status = GetSysName(session);
        EXPECT_EQ(status, CSnmp4w::EC_PRIV_FAILED);
        EXPECT_EQ(SnmpV3FailureText(status),
                  "SNMPv3 privacy failed for user shadesuser: check the privacy password.");
        EXPECT_EQ(ksx::test::RequestLines(s_sim->Requests()),
                  std::vector<std::string>{"get 1.3.6.1.2.1.1.3.0=n:"});
    }
    // Dead: nothing answers, not even discovery; nothing named.
    s_sim->Silence(true);
    s_sim->ClearLog();
    {
        CCommonSNMP session;
        const int status = GetSysName(session);
        EXPECT_EQ(status, CSnmp4w::EC_TIMEOUT);
        EXPECT_EQ(SnmpV3FailureText(status), "");
        EXPECT_TRUE(s_sim->Requests().empty());
    }
}

TEST_F(SessionV3Unanswered, ADecryptionErrorIsNamedForARequestOfAWorker) {
    ksx::DeliveryGate& gate = ksx::DeliveryGate::Instance();
    gate.SetOwnerThread(std::this_thread::get_id());
    ksx::ForgetToldFailures();
    ksx::test::UseSimV3(*s_sim, "3", "shadesuser", "3", "shaauthpass", "2", "desprivpass");
    s_sim->Command("decrypterror on");
    int status = 0;
    std::thread worker([&status] {
        CCommonSNMP session;
        status = GetSysName(session);
    });
    worker.join();
    s_sim->Command("decrypterror off");
    EXPECT_EQ(status, CSnmp4w::EC_PRIV_FAILED);
    EXPECT_EQ(ksx::PendingFailureNote(), "");
    gate.RunPending();  // the worker's note, ahead of what it would post next
    EXPECT_EQ(ksx::PendingFailureNote(),
              "SNMPv3 privacy failed for user shadesuser: check the privacy password.");
    ksx::SetMessageBoxService(nullptr);  // forgets the note
}

}  // namespace
