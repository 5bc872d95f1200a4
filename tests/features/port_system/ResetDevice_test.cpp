// The Reboot command against the simulated switch: the question, the check of the save and transfer
// status objects in one request, the restart request, and the refusals; both requests off the calling
// thread, which a stop ends before the restart goes out.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/CommonSNMP.h"
#include "core/SnmpReply.h"
#include "features/port_system/ResetDevice.h"
#include "platform/sys/Globals.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::Describe;
using test::SimSwitch;

const char* const kQuestion = "Do you want to reboot the device?";
const char* const kRefusal = "FW upgrade/backup or config backup/restore is already progressing. ";

const std::string kCheck = std::string("get quaint ") + CResetDevice::kSaveConfigOid + "|n| " +
                           CResetDevice::kFirmStatusOid + "|n| " + CResetDevice::kConfStatusOid + "|n|";
const std::string kRestart = std::string("set harbour ") + CResetDevice::kRebootOid + "|i|1";

class ResetDeviceTest : public test::SharedSimTest {
protected:
    static void SetUpTestSuite() {
        SimSwitch::Options options;
        options.extraArgs = {"--reboot-ms", "600"};
        StartSim(options);
    }
    void SetUp() override {
        SharedSimTest::SetUp();
        // Out of any reboot silence left by an earlier test, then the profile's values.
        ASSERT_TRUE(test::WaitUntil(
            [] {
                s_sim->Restart();
                CCommonSNMP probe;
                probe.Open(CCommonSNMP::REQUEST_GET);
                probe.AddVarBind(CResetDevice::kSaveConfigOid, 4, nullptr);
                return SendRequest(probe, 200).status == 0;
            },
            5000));
        s_sim->ClearLog();
    }
    static void UseSim(const std::string& timeoutMs = "3000") { test::UseSimV1(*s_sim, timeoutMs); }
    // The command as the main window runs it, to its end.
    static void Reboot() {
        RebootCommand reboot;
        reboot.Run();
        ASSERT_TRUE(test::WaitUntil([&] { return !reboot.Running(); }));
    }
};

TEST_F(ResetDeviceTest, CancelSendsNothing) {
    UseSim();
    test::ScriptedMessageBox boxes;
    boxes.Answer(IDCANCEL);
    Reboot();
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, kQuestion);
    EXPECT_EQ(boxes.Boxes()[0].flags, static_cast<unsigned>(MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2));
    EXPECT_TRUE(s_sim->Requests().empty());
}

TEST_F(ResetDeviceTest, IdleDeviceIsRestartedAndFallsSilent) {
    UseSim("300");
    test::ScriptedMessageBox boxes;
    boxes.FailOnUnexpected();
    boxes.Answer(IDOK);
    Reboot();
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{kQuestion}));
    EXPECT_EQ(Describe(s_sim->Requests()), (std::vector<std::string>{kCheck, kRestart}));
    // The device restarts: no answer for a while, then it is back.
    CCommonSNMP probe;
    probe.Open(CCommonSNMP::REQUEST_GET);
    probe.AddVarBind(CResetDevice::kSaveConfigOid, 4, nullptr);
    CSnmp* r = nullptr;
    EXPECT_EQ(probe.Send(r, 200), -1);
    delete r;
}

TEST_F(ResetDeviceTest, SaveOrTransferInProgressRefusesTheRestart) {
    struct Case {
        const char* save;
        const char* firmware;
        const char* config;
        bool allowed;
    };
    const Case cases[] = {
        {"1", "1", "1", false},  // saving
        {"2", "3", "1", false},  // firmware in progress
        {"2", "4", "1", false},  // firmware pending
        {"2", "1", "4", false},  // configuration pending
        {"2", "1", "3", true},   // configuration in progress alone does not refuse
        {"2", "2", "2", true},   // failed transfers
        {"2", "0", "0", true},
    };
    UseSim();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.save) + c.firmware + c.config);
        ASSERT_TRUE(test::WaitUntil(
            [] {
                CCommonSNMP probe;
                probe.Open(CCommonSNMP::REQUEST_GET);
                probe.AddVarBind(CResetDevice::kSaveConfigOid, 4, nullptr);
                return SendRequest(probe, 200).status == 0;
            },
            5000));
        s_sim->Set(CResetDevice::kSaveConfigOid, "i", c.save);
        s_sim->Set(CResetDevice::kFirmStatusOid, "i", c.firmware);
        s_sim->Set(CResetDevice::kConfStatusOid, "i", c.config);
        s_sim->ClearLog();
        test::ScriptedMessageBox boxes;
        boxes.FailOnUnexpected();
        boxes.Answer(IDOK);
        if (!c.allowed) {
            boxes.Answer(IDOK);
        }
        Reboot();
        if (c.allowed) {
            EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{kQuestion}));
            EXPECT_EQ(Describe(s_sim->Requests()), (std::vector<std::string>{kCheck, kRestart}));
        } else {
            EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{kQuestion, kRefusal}));
            ASSERT_EQ(boxes.Count(), 2u);
            EXPECT_EQ(boxes.Boxes()[1].flags, static_cast<unsigned>(MB_OK));
            EXPECT_EQ(Describe(s_sim->Requests()), (std::vector<std::string>{kCheck}));
        }
    }
}

TEST_F(ResetDeviceTest, UnansweredCheckStillSendsTheRestartAndARestartNotConfirmedIsSaid) {
    UseSim("300");
    for (const bool silent : {true, false}) {
        s_sim->Silence(silent);
        s_sim->RefuseWrites(CResetDevice::kRebootOid, silent ? 0 : 4);
        s_sim->ClearLog();
        test::ScriptedMessageBox boxes;
        boxes.FailOnUnexpected();
        boxes.Answer(IDOK);
        boxes.Answer(IDOK);
        Reboot();
        EXPECT_EQ(boxes.Texts(),
                  (std::vector<std::string>{
                      kQuestion, silent ? "The device did not answer: it did not confirm whether the restart "
                                          "was requested."
                                        : "The device did not accept the restart."}));
        EXPECT_EQ(Describe(s_sim->DistinctRequests()), (std::vector<std::string>{kCheck, kRestart}));
    }
    s_sim->RefuseWrites(CResetDevice::kRebootOid, 0);
}

TEST_F(ResetDeviceTest, TheCallerTakesEventsMeanwhileAndAStopBeforeTheRestartSendsNothing) {
    UseSim("1000");
    s_sim->DelayMs(700);
    for (const bool stopAtRestart : {false, true}) {
        s_sim->ClearLog();
        test::ScriptedMessageBox boxes;
        boxes.FailOnUnexpected();
        boxes.Answer(IDOK);
        boxes.Answer(IDOK);
        RebootCommand reboot;
        reboot.Run();  // returns with the check on its way
        EXPECT_TRUE(reboot.Running());
        const std::string at = stopAtRestart ? kRestart : kCheck;
        ASSERT_TRUE(test::WaitUntil([&] {
            const auto log = Describe(s_sim->Requests());
            return std::find(log.begin(), log.end(), at) != log.end();
        }));
        reboot.CloseForOwner();
        EXPECT_FALSE(reboot.Running());
        EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{
                                     kQuestion, stopAtRestart ? "Stopped: the device did not confirm "
                                                                "whether the restart was requested."
                                                              : "Stopped: the restart was not requested."}));
        EXPECT_EQ(Describe(s_sim->DistinctRequests()).back(), at);
    }
    s_sim->DelayMs(0);
}

}  // namespace
