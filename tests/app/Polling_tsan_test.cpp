// Status polling against the simulated switch: port states, lamp codes and indicators follow the
// device's link, PoE and fan objects; bad port indexes stay inside the per-port arrays; closing the
// window stops and joins the polling thread promptly even with a request in flight.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <sstream>
#include <string>
#include <vector>

#include "app/QuorviaModuleDlg.h"
#include "app/VirtualDev.h"
#include "platform/sys/Globals.h"
#include "tests/app/ShellTestUtil.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::DialogDriver;
using test::SimSwitch;
using test::WaitUntil;

const std::string kIf = "1.3.6.1.2.1.2.2.1";
const std::string kPoeStatus = "1.3.6.1.4.1.7393.10.76.20.1.22.1.1.13.1";
const std::string kLedMode = "1.3.6.1.4.1.7393.10.76.20.1.22.8.0";
const std::string kPoePower = "1.3.6.1.4.1.7393.10.76.20.1.22.6.0";
const std::string kFan = "1.3.6.1.4.1.7393.10.76.20.1.1.15.1.0";
const std::string kMedium = "1.3.6.1.4.1.7393.10.76.20.1.1.13.1.7";

int PortState(CQuorviaModuleDlg& dlg, int port) {
    const CPort* p = FindPort(dlg.GetDevModule(), port);
    return p != nullptr ? p->GetState() : -1;
}

// Two poll cycles and the time a walk of the simulator takes.
int TwoCycles() {
    return 2 * test::FastPolling::CycleMs() + 1500;
}

class PollingTest : public ::testing::Test {
protected:
    void Start(const std::string& model, const std::string& name, int ports, const std::string& fan = "Y",
               int iniPorts = 0) {
        test::SimSwitch::Options options;
        options.profile = "ksx-4200-" + model;
        sim = std::make_unique<SimSwitch>(options);
        ResetConnectionSettings();
        test::UseSimV1(*sim);
        ini = std::make_unique<test::TempUserIni>(
            test::DeviceInfo(name, iniPorts > 0 ? iniPorts : ports, test::PanelXml(model), fan));
        dlg = std::make_unique<CQuorviaModuleDlg>();
        driver = std::make_unique<DialogDriver>(*dlg);
    }
    void TearDown() override {
        driver.reset();
        dlg.reset();
        ini.reset();
        sim.reset();
        ResetConnectionSettings();
    }
    bool WaitLive() {
        return WaitUntil([&] { return dlg->HasLiveStates(); }, 8000);
    }

    test::ScriptedMessageBox boxes;
    test::FastPolling pace;
    std::unique_ptr<SimSwitch> sim;
    std::unique_ptr<test::TempUserIni> ini;
    std::unique_ptr<CQuorviaModuleDlg> dlg;
    std::unique_ptr<DialogDriver> driver;
};

TEST_F(PollingTest, LinkStatesAndLampsFollowTheDevice) {
    boxes.FailOnUnexpected();
    Start("28z1", "KSX-4200-28Z1", 28);
    ASSERT_TRUE(dlg->IsPolling());
    ASSERT_TRUE(WaitLive());

    // The profile: 1 up at 100M (the top speed of ports 1-24), 9 at 10M, 4 down, 22 disabled, 25 at 1G.
    EXPECT_EQ(PortState(*dlg, 1), PORTLINK10);
    EXPECT_EQ(dlg->PortLedCode(0), 1);
    EXPECT_EQ(PortState(*dlg, 9), PORTLINK100);
    EXPECT_EQ(dlg->PortLedCode(8), 0);
    EXPECT_EQ(PortState(*dlg, 4), PORTENABLE);
    EXPECT_EQ(dlg->PortLedCode(3), 3);
    EXPECT_EQ(PortState(*dlg, 22), PORTDISABLED);
    EXPECT_EQ(dlg->PortLedCode(21), 2);
    EXPECT_EQ(PortState(*dlg, 25), PORTLINK10);
    EXPECT_EQ(dlg->PortMedium(26), 4);  // port 27 is a fibre slot
    EXPECT_EQ(dlg->PortMedium(0), 2);

    // A port brought down shows as down within two poll cycles; one brought up at its top speed too.
    sim->Set(kIf + ".8.1", "i", "2");
    sim->Set(kIf + ".8.4", "i", "1");
    sim->Set(kIf + ".5.4", "g", "100000000");
    sim->Set(kIf + ".7.3", "i", "2");
    sim->Set(kIf + ".5.26", "g", "100000000");  // a gigabit port at 100M is below its top speed
    EXPECT_TRUE(WaitUntil([&] { return PortState(*dlg, 1) == PORTENABLE; }, TwoCycles()));
    EXPECT_EQ(dlg->PortLedCode(0), 3);
    EXPECT_EQ(PortState(*dlg, 4), PORTLINK10);
    EXPECT_EQ(PortState(*dlg, 3), PORTDISABLED);
    EXPECT_EQ(PortState(*dlg, 26), PORTLINK100);
    EXPECT_EQ(dlg->PortLedCode(25), 0);
}

TEST_F(PollingTest, AllGigaMakesEveryPortTopSpeedAtOneGigabit) {
    test::SimSwitch::Options options;
    sim = std::make_unique<SimSwitch>(options);
    ResetConnectionSettings();
    test::UseSimV1(*sim);
    ini = std::make_unique<test::TempUserIni>(
        test::DeviceInfo("KSX-4200-28Z1", 28, test::PanelXml("28z1"), "N", "y"));
    sim->Set(kIf + ".5.2", "g", "1000000000");
    dlg = std::make_unique<CQuorviaModuleDlg>();
    driver = std::make_unique<DialogDriver>(*dlg);
    ASSERT_TRUE(WaitLive());
    EXPECT_EQ(g_bIsAllGiga, 1);
    EXPECT_EQ(PortState(*dlg, 1), PORTLINK100);  // 100M is below the top speed now
    EXPECT_EQ(PortState(*dlg, 2), PORTLINK10);
}

TEST_F(PollingTest, FanReadOnlyWhenTheModelHasOneAndFaultShows) {
    Start("28z1", "KSX-4200-28Z1", 28, "N");
    ASSERT_TRUE(WaitLive());
    sim->ClearLog();
    ASSERT_TRUE(WaitUntil([&] { return dlg->HasLiveStates() && sim->Requests().size() >= 2; }, TwoCycles()));
    for (const auto& r : sim->Requests()) {
        for (const auto& vb : r.varbinds) {
            EXPECT_NE(vb.oid, kFan);
        }
    }
    driver.reset();
    dlg.reset();

    ini = std::make_unique<test::TempUserIni>(test::DeviceInfo("KSX-4200-52", 52, test::PanelXml("52"), "y"));
    sim->Set(kFan, "i", "2");
    dlg = std::make_unique<CQuorviaModuleDlg>();
    driver = std::make_unique<DialogDriver>(*dlg);
    EXPECT_TRUE(WaitUntil([&] { return dlg->FanStatus() == "2"; }, TwoCycles()));
    sim->Set(kFan, "i", "1");
    EXPECT_TRUE(WaitUntil([&] { return dlg->FanStatus() == "1"; }, TwoCycles()));
    // A reply with an error status keeps the last state.
    sim->ErrorStatus(kFan, 5);
    sim->ClearLog();
    ASSERT_TRUE(sim->WaitForRequests(
        [](const std::vector<test::SimRequest>& log) {
            for (const auto& r : log) {
                if (!r.varbinds.empty() && r.varbinds[0].oid == kFan) {
                    return true;
                }
            }
            return false;
        },
        TwoCycles()));
    test::PumpEvents();
    EXPECT_EQ(dlg->FanStatus(), "1");
}

TEST_F(PollingTest, PoeModelFollowsLedModeAndPoeStatus) {
    Start("28p", "KSX-4200-28P", 28);
    ASSERT_TRUE(WaitLive());
    EXPECT_EQ(dlg->LinkLedMode(), 1);
    EXPECT_EQ(dlg->IsPowMax(), 0);  // 185 W budget, little used
    EXPECT_EQ(PortState(*dlg, 1), PORTLINK10);

    // PoE display: the lamps show the PoE state; the PoE rows cover ports 1-8 and the others show off.
    sim->Set(kLedMode, "i", "2");
    sim->Set(kPoePower, "s", "12.5");
    sim->Set(kPoeStatus + ".3", "s", "POWER ON");
    sim->Set(kPoeStatus + ".4", "s", "Time-based OFF");
    sim->Set(kPoeStatus + ".6", "s", "SEARCHING");
    ASSERT_TRUE(WaitUntil([&] { return PortState(*dlg, 27) == PORTDISABLED && PortState(*dlg, 4) == 2; },
                          TwoCycles() * 2));
    EXPECT_EQ(dlg->LinkLedMode(), 0);
    EXPECT_EQ(PortState(*dlg, 3), 1);
    EXPECT_EQ(dlg->IsPowMax(), 1);
    EXPECT_EQ(PortState(*dlg, 1), 1);  // POWER ON
    EXPECT_EQ(dlg->PortLedCode(0), 1);
    EXPECT_EQ(PortState(*dlg, 2), 1);
    EXPECT_EQ(PortState(*dlg, 4), 2);  // Time-based OFF
    EXPECT_EQ(PortState(*dlg, 6), 0);  // any other text
    EXPECT_EQ(PortState(*dlg, 7), 2);  // POWER OFF
    EXPECT_EQ(dlg->PortMedium(0), 2);
    EXPECT_EQ(PortState(*dlg, 27), PORTDISABLED);
    EXPECT_EQ(PortState(*dlg, 28), PORTDISABLED);

    // Back to link display.
    sim->Set(kLedMode, "i", "1");
    EXPECT_TRUE(WaitUntil([&] { return dlg->LinkLedMode() == 1 && PortState(*dlg, 28) == PORTENABLE; },
                          TwoCycles() * 2));
}

TEST_F(PollingTest, UnansweredWalkResetsThePorts) {
    // A poll starts a new walk on the same session, ending the one still waiting: the pace must leave
    // the 5000 ms of a walk step to run out.
    CPanelDeviceThread::SetTiming({20, 600, 20});
    Start("52", "KSX-4200-52", 52, "N");
    ASSERT_TRUE(WaitLive());
    ASSERT_EQ(PortState(*dlg, 49), PORTLINK10);
    sim->Silence(true);
    EXPECT_TRUE(WaitUntil([&] { return PortState(*dlg, 49) == PORTEMPTY; }, 14000));
    EXPECT_EQ(PortState(*dlg, 1), PORTENABLE);
    EXPECT_EQ(PortState(*dlg, 48), PORTENABLE);
    EXPECT_EQ(PortState(*dlg, 52), PORTEMPTY);
    for (int i = 0; i < CQuorviaModuleDlg::kPortLedCodeCount; ++i) {
        EXPECT_EQ(dlg->PortLedCode(i), 3) << i;
    }
    sim->Silence(false);
    EXPECT_TRUE(WaitUntil([&] { return PortState(*dlg, 49) == PORTLINK10; }, 8000));
}

TEST_F(PollingTest, RowsPastThePortsEndTheCollection) {
    test::SimSwitch::Options options;
    sim = std::make_unique<SimSwitch>(options);
    // Interfaces 29 and 30 (a VLAN and the CPU) follow the ports; 29 is up.
    for (int i : {29, 30}) {
        sim->Set(kIf + ".3." + std::to_string(i), "i", "53");
        sim->Set(kIf + ".5." + std::to_string(i), "g", "0");
        sim->Set(kIf + ".7." + std::to_string(i), "i", "1");
        sim->Set(kIf + ".8." + std::to_string(i), "i", "1");
    }
    ResetConnectionSettings();
    test::UseSimV1(*sim);
    ini = std::make_unique<test::TempUserIni>(test::DeviceInfo("KSX-4200-28Z1", 28, test::PanelXml("28z1")));
    dlg = std::make_unique<CQuorviaModuleDlg>();
    driver = std::make_unique<DialogDriver>(*dlg);
    ASSERT_TRUE(WaitLive());
    EXPECT_EQ(PortState(*dlg, 28), PORTENABLE);
    EXPECT_EQ(PortState(*dlg, 1), PORTLINK10);
    // The walk stopped at the first row past the ports: nothing asked beyond interface 29.
    for (const auto& r : sim->Requests()) {
        if (r.pdu == "getnext" && !r.varbinds.empty()) {
            EXPECT_NE(r.varbinds[0].oid, kIf + ".3.29");
        }
    }
}

TEST_F(PollingTest, PortIndexesOutsideTheArraysChangeNothing) {
    test::SimSwitch::Options options;
    sim = std::make_unique<SimSwitch>(options);
    // Row "0" before port 1, and a row 110 past the per-port array of the largest model (52) and past
    // the 100 lamp codes.
    for (int i : {0, 110}) {
        sim->Set(kIf + ".3." + std::to_string(i), "i", "6");
        sim->Set(kIf + ".5." + std::to_string(i), "g", "100000000");
        sim->Set(kIf + ".7." + std::to_string(i), "i", "1");
        sim->Set(kIf + ".8." + std::to_string(i), "i", "1");
        sim->Set(kMedium + "." + std::to_string(i), "i", "9");
    }
    ResetConnectionSettings();
    test::UseSimV1(*sim);
    ini = std::make_unique<test::TempUserIni>(test::DeviceInfo("KSX-4200-28Z1", 52, test::PanelXml("28z1")));
    dlg = std::make_unique<CQuorviaModuleDlg>();
    driver = std::make_unique<DialogDriver>(*dlg);
    ASSERT_TRUE(WaitLive());
    EXPECT_EQ(dlg->GetPortNum(), 52);
    EXPECT_EQ(dlg->PortMedium(109), 0);   // past the per-port array: not kept
    EXPECT_EQ(dlg->PortLedCode(109), 3);  // past the 100 lamp codes: none kept
    EXPECT_EQ(PortState(*dlg, 1), PORTLINK10);
    sim->Set(kIf + ".8.1", "i", "2");
    EXPECT_TRUE(WaitUntil([&] { return PortState(*dlg, 1) == PORTENABLE; }, TwoCycles()));
}

TEST_F(PollingTest, PollsAtItsPace) {
    Start("28z1", "KSX-4200-28Z1", 28, "N");
    ASSERT_TRUE(WaitLive());
    auto walksStarted = [&] {
        int n = 0;
        for (const auto& r : sim->Requests()) {
            if (r.pdu == "getnext" && !r.varbinds.empty() && r.varbinds[0].oid == kIf + ".3") {
                ++n;
            }
        }
        return n;
    };
    // A poll every 20 + 10 x 40 ms: about five in 2.2 s, never many more.
    // The time window is what is measured here, not a synchronisation.
    sim->ClearLog();
    WaitUntil([] { return false; }, 2200);
    const int polls = walksStarted();
    EXPECT_GE(polls, 3);
    EXPECT_LE(polls, 6);
}

TEST_F(PollingTest, ClosingJoinsThePollingThreadWithARequestInFlight) {
    Start("28p", "KSX-4200-28P", 28);
    ASSERT_TRUE(WaitLive());
    // Every answer now comes late: the next read (up to 5000 ms) is in flight when the window closes.
    sim->DelayMs(4000);
    sim->ClearLog();
    ASSERT_TRUE(sim->WaitForRequests([](const auto& log) { return !log.empty(); }, TwoCycles()));
    QElapsedTimer clock;
    clock.start();
    driver->CloseBox();
    EXPECT_TRUE(driver->WaitEnded(3000));
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_FALSE(dlg->IsPolling());
    EXPECT_EQ(dlg->PanelThread(), nullptr);
}

TEST_F(PollingTest, ClosingWhileARequestIsSentAgainReturnsPromptly) {
    Start("28z1", "KSX-4200-28Z1", 28);
    ASSERT_TRUE(WaitLive());
    // No answers: each read goes out again within its time-out. Close once a request was sent again.
    sim->Silence(true);
    sim->ClearLog();
    auto resent = [&] {
        std::istringstream in(sim->Command("ids"));
        std::string ok;
        in >> ok;
        long previous = -1;
        long id = 0;
        while (in >> id) {
            if (id == previous) {
                return true;
            }
            previous = id;
        }
        return false;
    };
    ASSERT_TRUE(WaitUntil(resent, 8000));
    QElapsedTimer clock;
    clock.start();
    driver->CloseBox();
    EXPECT_TRUE(driver->WaitEnded(3000));
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_FALSE(dlg->IsPolling());
}

}  // namespace
