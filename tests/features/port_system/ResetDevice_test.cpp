// The Reboot command against the simulated switch: the question, the check of the save and transfer
// status objects in one request, the restart request, and the refusals.
#include <gtest/gtest.h>

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
    static void RebootCommand() {  // the command as the main window runs it, to its end
        ksx::RebootCommand reboot;
        reboot.Run();
        ASSERT_TRUE(test::WaitUntil([&] { return !reboot.Running(); }));
    }
};

TEST_F(ResetDeviceTest, CancelSendsNothing) {
    UseSim();
    test::ScriptedMessageBox boxes;
    boxes.Answer(IDCANCEL);
    RebootCommand();
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
    RebootCommand();
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
        RebootCommand();
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

TEST_F(ResetDeviceTest, UnansweredCheckStillSendsTheRestart) {
    UseSim("300");
    s_sim->Silence(true);
    test::ScriptedMessageBox boxes;
    boxes.FailOnUnexpected();
    boxes.Answer(IDOK);
    RebootCommand();
    // A device restarting at once may not answer its restart: nothing more is said.
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{kQuestion}));
    EXPECT_EQ(Describe(s_sim->Requests()), (std::vector<std::string>{kCheck, kRestart}));
}

TEST_F(ResetDeviceTest, RunsOffTheCallersThreadAndAStopDuringTheCheckSendsNoRestart) {
    s_sim->DelayMs(700);
    test::ScriptedMessageBox boxes;
    ksx::RebootCommand reboot;
    reboot.Run();  // returns at once: the requests go from another thread
    ASSERT_TRUE(s_sim->WaitForRequests([](const auto& log) { return !log.empty(); }));
    reboot.CloseForOwner();
    EXPECT_EQ(boxes.LastText(), "Stopped: the restart was not requested.");
    EXPECT_EQ(Describe(s_sim->DistinctRequests()), std::vector<std::string>{kCheck});
}

}  // namespace
