// The three form dialogs of the agent against the simulated switch: the global state, the trap
// switches (28-port and PoE model) and the engine ID. What they read and write, their checks, and what
// they do when a read or a write fails: Apply waits for a good read, a refused write is told and read
// again.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <string>
#include <vector>

#include "features/snmp_agent/SNMPEngineID.h"
#include "features/snmp_agent/SNMPGlobal.h"
#include "features/snmp_agent/SNMPTrapSetting.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_snmp_agent.h"
#include "tests/features/snmp_agent/SnmpAgentTest.h"

namespace {

using namespace ksx;
using namespace ksx::snmpagenttest;
using test::DialogDriver;
using test::WaitUntil;

const std::string kGetState = "get .1.0=n:";
const std::string kGetEngine = "get .7.0=n:";
const std::string kGetTraps = "get .8.1.0=n: .8.2.0=n: .8.3.0=n: .8.4.0=n: .8.5.0=n: .8.11.0=n: .8.5.0=n:";
const std::string kGetPoeTraps = kGetTraps + " .8.6.0=n: .8.7.0=n: .8.8.0=n:";

TEST(SnmpAgentMenu, TheCommandsOpenTheirDialogs) {
    for (int id : {IDM_SNMP_GLOBAL, IDM_SNMP_TRAP, IDM_SNMP_ENGINE_ID}) {
        EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(id)) << id;
    }
}

// ---- Global state ----

class GlobalState : public AgentSimTest {
protected:
    static void WaitRead(CSNMPGlobal& dlg, int reads) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.ReadsEnded() >= reads; }));
    }
};

TEST_F(GlobalState, ShowsTheStateAndWritesTheBoxThenReadsItBack) {
    for (const char* value : {"1", "2", "7"}) {
        s_sim->Set(kB + ".1.0", "i", value);
        CSNMPGlobal dlg;
        DialogDriver drv(dlg);
        WaitRead(dlg, 1);
        EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_SNMPG_ENABLE), std::string(value) == "1" ? 1 : 0) << value;
        EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_SNMPG_APPLY));
    }
    s_sim->Set(kB + ".1.0", "i", "1");
    CSNMPGlobal dlg;
    DialogDriver drv(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "SNMP Global State Settings");
    WaitRead(dlg, 1);
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Check(IDC_SNMPG_ENABLE, false));
    ASSERT_TRUE(drv.Click(IDC_SNMPG_APPLY));
    WaitRead(dlg, 2);
    EXPECT_EQ(Log(), (std::vector<std::string>{"set .1.0=i:2", kGetState}));
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_SNMPG_ENABLE), 0);
    EXPECT_TRUE(boxes.Texts().empty());
    ASSERT_TRUE(drv.Click(IDC_SNMPG_CANCEL));
    EXPECT_TRUE(drv.WaitEnded());
}

TEST_F(GlobalState, AFailedReadKeepsApplyFromSwitchingTheAgentOff) {
    ShortTimeout();
    s_sim->Silence(true);
    CSNMPGlobal dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg, 1);
    s_sim->Silence(false);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SNMPG_READ_STATUS), CSNMPGlobal::kTextReadFailed);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_SNMPG_APPLY));
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_SNMPG_APPLY));
    dlg.OnApply();  // as the keyboard would
    EXPECT_TRUE(Log().empty());
    EXPECT_EQ(s_sim->Get(kB + ".1.0"), "1");
}

TEST_F(GlobalState, AStateOfTheWrongTypeOrLeftOutIsNeitherOnNorOff) {
    for (int round = 0; round < 2; ++round) {
        if (round == 0) {
            s_sim->Set(kB + ".1.0", "s", "1");
        } else {
            s_sim->Set(kB + ".1.0", "i", "1");
            s_sim->Omit(kB + ".1.0");
        }
        CSNMPGlobal dlg;
        DialogDriver drv(dlg);
        WaitRead(dlg, 1);
        EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_SNMPG_ENABLE), 2) << round;
        EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_SNMPG_ENABLE)) << round;
        EXPECT_EQ(dlg.GetDlgItemText(IDC_SNMPG_READ_STATUS), CSNMPGlobal::kTextReadFailed) << round;
        EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_SNMPG_APPLY)) << round;
        s_sim->ClearLog();
        dlg.OnApply();
        EXPECT_TRUE(Log().empty()) << round;
    }
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(GlobalState, ARefusedWriteIsToldAndTheStateReadAgain) {
    CSNMPGlobal dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg, 1);
    s_sim->ClearLog();
    s_sim->ErrorStatus(kB + ".1.0", 5);
    ASSERT_TRUE(drv.Check(IDC_SNMPG_ENABLE, false));
    ASSERT_TRUE(drv.Click(IDC_SNMPG_APPLY));
    WaitRead(dlg, 2);
    s_sim->ErrorStatus(kB + ".1.0", 0);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Failed to set the SNMP global state: the device did not accept it."});
    EXPECT_EQ(Log(), (std::vector<std::string>{"set .1.0=i:2", kGetState}));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_SNMPG_APPLY));  // the read back failed as well
}

TEST_F(GlobalState, AnUnansweredWriteIsSaidAsUnconfirmed) {
    ShortTimeout();
    CSNMPGlobal dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg, 1);
    s_sim->LoseAnswer(kB + ".1.0");
    ASSERT_TRUE(drv.Check(IDC_SNMPG_ENABLE, false));
    ASSERT_TRUE(drv.Click(IDC_SNMPG_APPLY));
    WaitRead(dlg, 2);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Failed to set the SNMP global state: the device did not "
                                       "answer: it did not confirm whether it was written."});
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_SNMPG_ENABLE), 0);  // applied, as the read back shows
}

// ---- Trap switches ----

class TrapSettings : public AgentSimTest {};

TEST_F(TrapSettings, TwentyEightPortModelReadsSevenObjectsAndWritesWhatChanged) {
    g_strDeviceName = "KSX-4200-28Z1";
    s_sim->Set(kB + ".8.2.0", "i", "7");  // outside the list: a cleared box
    CSNMPTrapSetting dlg;
    DialogDriver drv(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "SNMP Trap Configuration");
    EXPECT_FALSE(dlg.IsPoEModel());
    EXPECT_EQ(Log(), std::vector<std::string>{kGetTraps});
    for (int id :
         {IDC_TRAP_POE_POWER, IDC_TRAP_POE_ERROR, IDC_TRAP_POE_BUDGET, IDC_TRAP_DUPLICATE_IP, IDC_TRAP_CPU}) {
        EXPECT_FALSE(drv.Item(id)->isVisible()) << id;
    }
    const std::vector<std::pair<int, int>> shown = {{IDC_TRAP_AUTH, 1},     {IDC_TRAP_BOOTUP, 0},
                                                    {IDC_TRAP_LINK, 1},     {IDC_TRAP_RSTP, 0},
                                                    {IDC_TRAP_FIRMWARE, 1}, {IDC_TRAP_LOOPBACK, 0}};
    for (const auto& [id, checked] : shown) {
        EXPECT_EQ(dlg.IsDlgButtonChecked(id), checked) << id;
    }
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_TRAP_APPLY));  // nothing changed: nothing to write
    EXPECT_TRUE(Log().empty());
    ASSERT_TRUE(drv.Check(IDC_TRAP_AUTH, false));
    ASSERT_TRUE(drv.Check(IDC_TRAP_LOOPBACK, true));
    ASSERT_TRUE(drv.Check(IDC_TRAP_RSTP, true));
    ASSERT_TRUE(drv.Check(IDC_TRAP_RSTP, false));  // and back: unchanged
    ASSERT_TRUE(drv.Click(IDC_TRAP_APPLY));
    ASSERT_TRUE(WaitUntil([&] { return !dlg.Writing(); }));
    EXPECT_EQ(Log(), std::vector<std::string>{"set .8.1.0=i:2 .8.11.0=i:1"});
    // Clearing every box writes "2" to the switches that were on.
    s_sim->ClearLog();
    for (const auto& [id, checked] : shown) {
        ASSERT_TRUE(drv.Check(id, false));
    }
    ASSERT_TRUE(drv.Click(IDC_TRAP_APPLY));
    ASSERT_TRUE(WaitUntil([&] { return !dlg.Writing(); }));
    EXPECT_EQ(Log(), std::vector<std::string>{"set .8.3.0=i:2 .8.5.0=i:2 .8.11.0=i:2"});
    EXPECT_EQ(s_sim->Get(kB + ".8.2.0"), "7");
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(TrapSettings, AFailedReadLeavesApplyUnavailable) {
    g_strDeviceName = "KSX-4200-28Z1";
    ShortTimeout();
    s_sim->Silence(true);
    CSNMPTrapSetting dlg;
    DialogDriver drv(dlg);
    s_sim->Silence(false);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_TRAP_READ_STATUS), CSNMPTrapSetting::kTextReadFailed);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_TRAP_APPLY));
    s_sim->ClearLog();
    dlg.OnApply();
    EXPECT_TRUE(Log().empty());  // every box cleared, yet nothing written
}

TEST_F(TrapSettings, ARefusedWriteIsToldAndTheSwitchesReadAgain) {
    g_strDeviceName = "KSX-4200-28Z1";
    CSNMPTrapSetting dlg;
    DialogDriver drv(dlg);
    s_sim->ClearLog();
    s_sim->RefuseWrites(kB + ".8.1.0", 5);
    ASSERT_TRUE(drv.Check(IDC_TRAP_AUTH, false));
    ASSERT_TRUE(drv.Click(IDC_TRAP_APPLY));
    ASSERT_TRUE(WaitUntil([&] { return !dlg.Writing(); }));
    s_sim->RefuseWrites(kB + ".8.1.0", 0);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"The device did not accept the trap settings."});
    EXPECT_EQ(Log(), (std::vector<std::string>{"set .8.1.0=i:2", kGetTraps}));
}

TEST_F(TrapSettings, ASwitchMissingOrOfTheWrongTypeIsInNeitherStateAndNeverWritten) {
    g_strDeviceName = "KSX-4200-28Z1";
    // Authentication is on but left out of the reply; link is on but answered as text.
    s_sim->Omit(kB + ".8.1.0");
    s_sim->Set(kB + ".8.3.0", "s", "1");
    CSNMPTrapSetting dlg;
    DialogDriver drv(dlg);
    EXPECT_EQ(Log(), std::vector<std::string>{kGetTraps});
    for (int id : {IDC_TRAP_AUTH, IDC_TRAP_LINK}) {
        EXPECT_EQ(dlg.IsDlgButtonChecked(id), 2) << id;
        EXPECT_FALSE(dlg.IsDlgItemEnabled(id)) << id;
    }
    // The others keep their own values: a missing binding moves nothing.
    const std::vector<std::pair<int, int>> shown = {
        {IDC_TRAP_BOOTUP, 1}, {IDC_TRAP_RSTP, 0}, {IDC_TRAP_FIRMWARE, 1}, {IDC_TRAP_LOOPBACK, 0}};
    for (const auto& [id, checked] : shown) {
        EXPECT_EQ(dlg.IsDlgButtonChecked(id), checked) << id;
        EXPECT_TRUE(dlg.IsDlgItemEnabled(id)) << id;
    }
    EXPECT_EQ(dlg.GetDlgItemText(IDC_TRAP_READ_STATUS), CSNMPTrapSetting::kTextSomeUnread);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_TRAP_APPLY));
    s_sim->OmitNone();
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Check(IDC_TRAP_RSTP, true));
    ASSERT_TRUE(drv.Click(IDC_TRAP_APPLY));
    ASSERT_TRUE(WaitUntil([&] { return !dlg.Writing(); }));
    EXPECT_EQ(Log(), std::vector<std::string>{"set .8.4.0=i:1"});
    EXPECT_EQ(s_sim->Get(kB + ".8.1.0"), "1");
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(TrapSettings, ADeadDeviceLeavesEveryBoxInNeitherState) {
    g_strDeviceName = "KSX-4200-28Z1";
    ShortTimeout();
    s_sim->Silence(true);
    CSNMPTrapSetting dlg;
    DialogDriver drv(dlg);
    s_sim->Silence(false);
    for (int id : {IDC_TRAP_AUTH, IDC_TRAP_BOOTUP, IDC_TRAP_LINK, IDC_TRAP_RSTP, IDC_TRAP_FIRMWARE,
                   IDC_TRAP_LOOPBACK}) {
        EXPECT_EQ(dlg.IsDlgButtonChecked(id), 2) << id;
    }
    EXPECT_EQ(dlg.GetDlgItemText(IDC_TRAP_READ_STATUS), CSNMPTrapSetting::kTextReadFailed);
    EXPECT_TRUE(boxes.Texts().empty());
}

class PoeTrapSettings : public test::SharedSimTest {
public:
    static void SetUpTestSuite() { StartSim({"ksx-4200-28p", {}}); }

protected:
    test::ScriptedMessageBox boxes;
};

TEST_F(PoeTrapSettings, PoeModelReadsAndWritesTheThreePoeSwitches) {
    g_strDeviceName = "KSX-4200-28P";
    CSNMPTrapSetting dlg;
    DialogDriver drv(dlg);
    EXPECT_TRUE(dlg.IsPoEModel());
    EXPECT_EQ(Lines(s_sim->Requests()), std::vector<std::string>{kGetPoeTraps});
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_TRAP_POE_POWER), 1);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_TRAP_POE_ERROR), 0);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_TRAP_POE_BUDGET), 1);
    for (int id : {IDC_TRAP_POE_POWER, IDC_TRAP_POE_ERROR, IDC_TRAP_POE_BUDGET}) {
        EXPECT_TRUE(drv.Item(id)->isVisible()) << id;
    }
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Check(IDC_TRAP_POE_ERROR, true));
    ASSERT_TRUE(drv.Check(IDC_TRAP_POE_BUDGET, false));
    ASSERT_TRUE(drv.Check(IDC_TRAP_BOOTUP, false));
    ASSERT_TRUE(drv.Click(IDC_TRAP_APPLY));
    ASSERT_TRUE(WaitUntil([&] { return !dlg.Writing(); }));
    EXPECT_EQ(Lines(s_sim->Requests()), std::vector<std::string>{"set .8.2.0=i:2 .8.7.0=i:1 .8.8.0=i:2"});
    EXPECT_EQ(s_sim->Get(kB + ".8.7.0"), "1");
}

// ---- Engine ID ----

class EngineId : public AgentSimTest {
protected:
    static void WaitRead(CSNMPEngineID& dlg, int reads) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.ReadsEnded() >= reads; }));
    }
    void Apply(DialogDriver& drv, const std::string& text) {
        ASSERT_TRUE(drv.Type(IDC_ENGINE_ID, text));
        ASSERT_TRUE(drv.Click(IDC_ENGINE_APPLY));
    }
};

TEST_F(EngineId, ShowsTheIdAndWritesTheTextAsOctets) {
    CSNMPEngineID dlg;
    DialogDriver drv(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "SNMP Engine ID");
    WaitRead(dlg, 1);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_ENGINE_ID), "800007e58000112233");
    EXPECT_FALSE(drv.Item(IDC_ENGINE_DEFAULT)->isVisible());
    s_sim->ClearLog();
    Apply(drv, "800007E580");
    WaitRead(dlg, 2);
    EXPECT_EQ(Log(), (std::vector<std::string>{"set .7.0=x:800007e580", kGetEngine}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_ENGINE_ID), "800007e580");
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(EngineId, RefusesLengthCharactersAndOddDigitsBeforeSending) {
    CSNMPEngineID dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg, 1);
    s_sim->ClearLog();
    Apply(drv, "800007e5");
    Apply(drv, "800007e58g");
    Apply(drv, "800007e5 80");
    Apply(drv, "-800007e580");
    Apply(drv, "800007e5801");  // eleven digits: not padded to a guessed twelfth
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{CSNMPEngineID::kTextLength, CSNMPEngineID::kTextCharacters,
                                        CSNMPEngineID::kTextCharacters, CSNMPEngineID::kTextCharacters,
                                        CSNMPEngineID::kTextOddLength}));
    EXPECT_TRUE(Log().empty());
    ASSERT_TRUE(drv.Type(IDC_ENGINE_ID, std::string(65, 'a')));  // the sixty-fifth does not go in
    EXPECT_EQ(dlg.GetDlgItemText(IDC_ENGINE_ID), std::string(64, 'a'));
}

TEST_F(EngineId, DefaultOnlyOnModelsThatHaveOne) {
    g_strDeviceName = "KSX-4200-28Z1";
    CSNMPEngineID dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg, 1);
    s_sim->ClearLog();
    dlg.DispatchCommand(IDC_ENGINE_DEFAULT);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{CSNMPEngineID::kTextNoDefault});
    EXPECT_TRUE(Log().empty());
    EXPECT_EQ(s_sim->Get(kB + ".7.0"), "800007e58000112233");
    g_strDeviceName = "KSX-4600-28";
    dlg.DispatchCommand(IDC_ENGINE_DEFAULT);
    WaitRead(dlg, 2);
    EXPECT_EQ(Log(), (std::vector<std::string>{"set .7.0=x:4b53582d343630302d3230000102030405", kGetEngine}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_ENGINE_ID), "4b53582d343630302d3230000102030405");
}

TEST_F(EngineId, FailuresAreToldAndOddRepliesShownWhole) {
    s_sim->Set(kB + ".7.0", "x", std::string(80, 'c'));  // forty octets: longer than the edit takes
    CSNMPEngineID dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg, 1);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_ENGINE_ID), std::string(80, 'c'));
    s_sim->ErrorStatus(kB + ".7.0", 5);
    Apply(drv, "800007e580");
    WaitRead(dlg, 2);
    s_sim->ErrorStatus(kB + ".7.0", 0);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Failed to set the engine ID: the device did not accept it."});
    EXPECT_EQ(dlg.GetDlgItemText(IDC_ENGINE_READ_STATUS), CSNMPEngineID::kTextReadFailed);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_ENGINE_ID), "800007e580");  // kept as typed
    s_sim->Set(kB + ".7.0", "x", "");
    CSNMPEngineID empty;
    DialogDriver drv2(empty);
    WaitRead(empty, 1);
    EXPECT_EQ(empty.GetDlgItemText(IDC_ENGINE_ID), "");
    EXPECT_EQ(empty.GetDlgItemText(IDC_ENGINE_READ_STATUS), "");
}

}  // namespace
