// System information dialog: the six objects read in one request and shown (running time in hours and
// minutes, unsigned past 2^31), name and location written in one SET as UTF-8, the input checks, and the
// failures a read or a write can meet. Also against a real Net-SNMP agent: what the dialog shows is what
// snmpget reads, and what it writes snmpget reads back.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <string>
#include <vector>

#include "features/monitoring/SnmpDevIden.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_sysinfo.h"
#include "res/resource.h"
#include "tests/support/RealSnmpd.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using ksx::test::DialogDriver;
using ksx::test::RequestLines;
using ksx::test::WaitUntil;

const std::string kReadLine =
    "get 1.3.6.1.2.1.1.1.0=n: 1.3.6.1.2.1.1.2.0=n: 1.3.6.1.2.1.1.3.0=n: 1.3.6.1.2.1.1.4.0=n: "
    "1.3.6.1.2.1.1.5.0=n: 1.3.6.1.2.1.1.6.0=n:";

class SystemInformation : public test::SharedSimTest {
protected:
    test::ScriptedMessageBox boxes;
    test::SimSwitch& sim = *s_sim;
};

bool ReadDone(const CSnmpDevIden& dlg) {
    return dlg.IsDlgItemEnabled(IDC_SYSINFO_REFRESH);
}

TEST(SystemInformationTime, HoursAndMinutesWithoutDays) {
    EXPECT_EQ(CSnmpDevIden::RunningTime(0), "0 Hour 0 Min");
    EXPECT_EQ(CSnmpDevIden::RunningTime(359999), "0 Hour 59 Min");
    EXPECT_EQ(CSnmpDevIden::RunningTime(360000), "1 Hour 0 Min");
    EXPECT_EQ(CSnmpDevIden::RunningTime(123456789), "342 Hour 56 Min");
    EXPECT_EQ(CSnmpDevIden::RunningTime(4294967295ULL), "11930 Hour 27 Min");  // past 2^31 hundredths
}

TEST_F(SystemInformation, ShowsTheSystemGroupFromOneRequest) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_SYSTEM_INFORMATION));
    sim.Set("1.3.6.1.2.1.1.5.0", "x", "6c61622dc3a4");  // "lab-ä" in UTF-8
    sim.Set("1.3.6.1.2.1.1.6.0", "s", "Rack 4");
    sim.Set("1.3.6.1.2.1.1.3.0", "t", "3000000000");  // past 2^31: 8333 hours 20 minutes
    sim.ClearLog();
    CSnmpDevIden dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return ReadDone(dlg); }));
    EXPECT_EQ(RequestLines(sim.Requests()), std::vector<std::string>{kReadLine});
    EXPECT_EQ(sim.Requests()[0].principal, "quaint");
    EXPECT_EQ(dlg.GetWindowText(), "System Information");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSINFO_DESCRIPTION),
              "KSX-4200-28Z1 Managed Switch, 28 ports, firmware 4.00.012");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSINFO_OBJECT_ID), "1.3.6.1.4.1.7393.10.76.20");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSINFO_RUNTIME).rfind("8333 Hour 2", 0), 0u);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSINFO_NAME), "lab-\xC3\xA4");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSINFO_LOCATION), "Rack 4");
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_SYSINFO_APPLY));
    EXPECT_FALSE(drv.Item(IDC_SYSINFO_CONTACT)->isVisible());
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(SystemInformation, ApplyWritesNameAndLocationInOneSetAsUtf8) {
    sim.Set(CSnmpDevIden::kSysContact, "s", std::string(55, 'c'));  // the hidden contact is not checked
    CSnmpDevIden dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return ReadDone(dlg); }));
    dlg.SetDlgItemText(IDC_SYSINFO_NAME, "Core-\xC3\xA9tage 20 ch");  // exactly 20 characters
    dlg.SetDlgItemText(IDC_SYSINFO_LOCATION, "Hall B");
    sim.ClearLog();
    ASSERT_TRUE(drv.Click(IDC_SYSINFO_APPLY));
    const auto sets = test::Sets(sim.Requests());
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].principal, "harbour");
    ASSERT_EQ(sets[0].varbinds.size(), 2u);
    EXPECT_EQ(sets[0].varbinds[0].oid, "1.3.6.1.2.1.1.5.0");
    EXPECT_EQ(sim.Get("1.3.6.1.2.1.1.5.0"), "Core-\xC3\xA9tage 20 ch");
    EXPECT_EQ(sets[0].varbinds[1].oid, "1.3.6.1.2.1.1.6.0");
    EXPECT_EQ(sim.Get("1.3.6.1.2.1.1.6.0"), "Hall B");
    EXPECT_EQ(boxes.Count(), 0u);  // a write the device took says nothing
    EXPECT_FALSE(drv.Ended());     // Apply keeps the dialog open
}

TEST_F(SystemInformation, RefusesLongTextsAndRefusedCharactersBeforeSending) {
    CSnmpDevIden dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return ReadDone(dlg); }));
    struct Case {
        const char* name;
        const char* location;
        const char* message;
    };
    const Case cases[] = {
        {"abcdefghijklmnopqrstu", "ok", "Please enter no more than 20 characters."},
        {"ok", "abcdefghijklmnopqrstu", "Please enter no more than 20 characters."},
        {"core#1", "ok", "Invalid System Name."},
        {"core/1", "hall,b", "Invalid System Name."},
        {"core-1", "hall,b", "Invalid System Location."},
        {"core-1", "hall.b", "Invalid System Location."},
    };
    for (const Case& c : cases) {
        dlg.SetDlgItemText(IDC_SYSINFO_NAME, c.name);
        dlg.SetDlgItemText(IDC_SYSINFO_LOCATION, c.location);
        sim.ClearLog();
        boxes.Clear();
        ASSERT_TRUE(drv.Click(IDC_SYSINFO_APPLY));
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{c.message}) << c.name << " " << c.location;
        EXPECT_TRUE(test::Sets(sim.Requests()).empty()) << c.name << " " << c.location;
    }
}

TEST_F(SystemInformation, AFailedReadSaysSoAndApplyStaysUnavailable) {
    sim.Silence(true);
    test::UseSimV1(sim, "600");
    CSnmpDevIden dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(boxes.WaitForCount(1, 20000));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the system information."});
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_SYSINFO_REFRESH));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_SYSINFO_APPLY));
    sim.Silence(false);
    sim.ClearLog();
    drv.PressEnter();  // Enter is Refresh, never a write of the empty boxes
    ASSERT_TRUE(WaitUntil([&] { return ReadDone(dlg) && dlg.IsDlgItemEnabled(IDC_SYSINFO_APPLY); }));
    EXPECT_TRUE(test::Sets(sim.Requests()).empty());
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSINFO_NAME), "KSX-4200-28Z1");
}

TEST_F(SystemInformation, ANameOfTheWrongTypeIsNotReadAndNotWrittenBack) {
    sim.Set("1.3.6.1.2.1.1.5.0", "i", "7");
    CSnmpDevIden dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return ReadDone(dlg); }));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSINFO_NAME), "");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_SYSINFO_APPLY));
    sim.ClearLog();
    ASSERT_TRUE(drv.Click(IDC_SYSINFO_APPLY));
    EXPECT_TRUE(test::Sets(sim.Requests()).empty());
}

TEST_F(SystemInformation, AnUnansweredWriteSaysSoAndShowsTheDeviceValues) {
    test::UseSimV1(sim, "600");
    g_strWriteCommunity = "not-the-write-community";  // the switch does not answer it
    CSnmpDevIden dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return ReadDone(dlg); }));
    dlg.SetDlgItemText(IDC_SYSINFO_NAME, "edge-7");
    dlg.SetDlgItemText(IDC_SYSINFO_LOCATION, "Hall C");
    ASSERT_TRUE(drv.Click(IDC_SYSINFO_APPLY));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"The device did not answer: it did not confirm whether "
                                                      "the system name and location were written."});
    ASSERT_TRUE(
        WaitUntil([&] { return ReadDone(dlg) && dlg.GetDlgItemText(IDC_SYSINFO_NAME) == "KSX-4200-28Z1"; }));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSINFO_LOCATION), "");
}

TEST_F(SystemInformation, ARefusedWriteSaysSo) {
    CSnmpDevIden dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return ReadDone(dlg); }));
    sim.ErrorStatus("1.3.6.1.2.1.1.6.0", 17);
    dlg.SetDlgItemText(IDC_SYSINFO_LOCATION, "Hall C");
    ASSERT_TRUE(drv.Click(IDC_SYSINFO_APPLY));
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(boxes.Texts()[0], "The device did not accept the system name and location.");
    EXPECT_EQ(sim.Get("1.3.6.1.2.1.1.6.0"), "");
}

TEST(SystemInformationRealAgent, ShowsWhatSnmpgetReadsAndWritesWhatItReadsBack) {
    if (!test::RealSnmpd::Available()) {
        GTEST_SKIP() << "snmpd is not installed";
    }
    test::RealSnmpd agent;
    test::UseSnmpdV1(agent);
    test::ScriptedMessageBox boxes;
    {
        CSnmpDevIden dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(WaitUntil([&] { return ReadDone(dlg) && dlg.IsDlgItemEnabled(IDC_SYSINFO_APPLY); }));
        const auto got =
            agent.Get({"1.3.6.1.2.1.1.1.0", "1.3.6.1.2.1.1.2.0", "1.3.6.1.2.1.1.5.0", "1.3.6.1.2.1.1.6.0"});
        ASSERT_EQ(got.size(), 4u);
        EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSINFO_DESCRIPTION), got[0].value);
        EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSINFO_OBJECT_ID), got[1].value);
        EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSINFO_NAME), got[2].value);
        EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSINFO_LOCATION), got[3].value);
        const auto up = agent.Get({"1.3.6.1.2.1.1.3.0"});
        ASSERT_EQ(up.size(), 1u);
        EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSINFO_RUNTIME),
                  CSnmpDevIden::RunningTime(std::stoull(up[0].value)));

        dlg.SetDlgItemText(IDC_SYSINFO_NAME, "lab-\xC3\xA4");
        dlg.SetDlgItemText(IDC_SYSINFO_LOCATION, "Room 12");
        ASSERT_TRUE(drv.Click(IDC_SYSINFO_APPLY));
        EXPECT_EQ(boxes.Count(), 0u);
    }
    const auto written = agent.Get({"1.3.6.1.2.1.1.5.0", "1.3.6.1.2.1.1.6.0"});
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0].value, "lab-\xC3\xA4");
    EXPECT_EQ(written[1].value, "Room 12");
    ResetConnectionSettings();
}

}  // namespace
