// Syslog host dialog against the simulated switch: the read chain (global objects, then the host
// table), the controls following the state, host add and replace for IPv4 and IPv6 in the order that
// keeps the configured host when the device refuses, the address and port checks, the state Apply.
#include <gtest/gtest.h>

#include <algorithm>

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <string>
#include <vector>

#include "features/port_system/SyslogHostCfgDlg.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_poe_syslog.h"
#include "tests/features/StepRunTest.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using ksx::test::DialogDriver;
using ksx::test::SimRequest;
using ksx::test::WaitUntil;

const std::string kG = "1.3.6.1.4.1.7393.10.76.20.1.16.2";
const std::string kState = kG + ".1.0";
const std::string kStamp = kG + ".2.0";
const std::string kSeverity = kG + ".3.0";
const std::string kFacility = kG + ".4.0";
const std::string kHost = kG + ".5.1";
const std::string kOldIndex = ".1.4.192.168.1.20";  // the profile's host

// Requests as "pdu oid=type:value ..." lines.
const auto& Lines = test::RequestLines;

std::vector<std::string> SetLines(const std::vector<SimRequest>& log) {
    std::vector<std::string> out;
    for (const std::string& line : Lines(log)) {
        if (line.rfind("set ", 0) == 0) {
            out.push_back(line);
        }
    }
    return out;
}

std::string SetStatus(const std::string& index, int value) {
    return "set " + kHost + ".5" + index + "=i:" + std::to_string(value);
}
std::string SetPort(const std::string& index, const std::string& port) {
    return "set " + kHost + ".3" + index + "=i:" + port;
}
std::string SetOptions(int severity, int facility, int stamp) {
    return "set " + kSeverity + "=i:" + std::to_string(severity) + " " + kFacility +
           "=i:" + std::to_string(facility) + " " + kStamp + "=i:" + std::to_string(stamp);
}

const std::string kGlobalRead =
    "get " + kFacility + "=n: " + kSeverity + "=n: " + kStamp + "=n: " + kState + "=n:";
const std::string kHostWalk =
    "getnext " + kHost + ".5=n: " + kHost + ".1=n: " + kHost + ".2=n: " + kHost + ".3=n:";

class SyslogHost : public test::SimTest {
protected:
    SyslogHost() : SimTest("1000") {}

    // Waits for the host walk that follows read number `reads`.
    static void WaitRead(CSyslogHostCfgDlg& dlg, int reads = 1) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.HostWalksEnded() >= reads; }));
    }
    void ApplyHost(DialogDriver& drv, CSyslogHostCfgDlg& dlg) {
        const int walks = dlg.HostWalksEnded();
        ASSERT_TRUE(drv.Click(IDC_SYSLOG_APPLY_HOST));
        ASSERT_TRUE(WaitUntil([&] { return dlg.HostWalksEnded() > walks; }));
    }
    void Refresh(DialogDriver& drv, CSyslogHostCfgDlg& dlg) {
        const int walks = dlg.HostWalksEnded();
        ASSERT_TRUE(drv.Click(IDC_SYSLOG_REFRESH));
        ASSERT_TRUE(WaitUntil([&] { return dlg.HostWalksEnded() > walks; }));
    }
    // A row put in place directly; rows created over SNMP get their address columns from the index.
    void SetIpv6Host(const std::string& index, const std::string& hex, const std::string& port) {
        sim.Set(kHost + ".1" + index, "i", "2");
        sim.Set(kHost + ".2" + index, "x", hex);
        sim.Set(kHost + ".3" + index, "i", port);
        sim.Set(kHost + ".5" + index, "i", "1");
    }
    void RemoveHost(const std::string& index) {
        for (int c : {1, 2, 3, 5}) {
            sim.Command("unset " + kHost + "." + std::to_string(c) + index);
        }
    }

    test::ScriptedMessageBox boxes;
};

const std::string kV6Index = ".2.16.32.1.13.184.0.0.0.0.0.0.0.0.0.0.0.16";  // 2001:db8::10
const std::string kV6Hex = "20010db8000000000000000000000010";

TEST_F(SyslogHost, OpensWithTheDeviceSettingsAndHost) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(ID_MENU_SYSLOG_HOST));  // the menu command opens it
    CSyslogHostCfgDlg dlg;
    DialogDriver drv(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "Syslog Host Configuration");
    WaitRead(dlg);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_SYSLOG_ENABLE), 1);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSLOG_FACILITY), "Local1");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSLOG_SEVERITY), "Informational");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSLOG_TIME_STAMP), "Enabled");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSLOG_HOST), "192.168.1.20");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSLOG_PORT), "514");
    EXPECT_EQ(dlg.HostAddress(), "192.168.1.20");
    for (int id : {IDC_SYSLOG_HOST, IDC_SYSLOG_PORT, IDC_SYSLOG_FACILITY, IDC_SYSLOG_SEVERITY,
                   IDC_SYSLOG_TIME_STAMP, IDC_SYSLOG_APPLY_HOST}) {
        EXPECT_TRUE(dlg.IsDlgItemEnabled(id)) << id;
    }
    const auto lines = Lines(sim.Requests());
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], kGlobalRead);
    EXPECT_EQ(lines[1], kHostWalk);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSLOG_CONFIG_GROUP), "Configuratiom");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSLOG_PORT_LABEL), "UDP Port(1-65535):");

    auto* facility = dlg.Item<QComboBox>(IDC_SYSLOG_FACILITY);
    ASSERT_EQ(facility->count(), 8);
    EXPECT_EQ(facility->itemText(7).toStdString(), "Local7");

    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/poe_syslog";
    QDir().mkpath(dir);
    EXPECT_TRUE(test::GrabScreenshot(&dlg, (dir + "/syslog_host.png").toStdString()));
}

TEST_F(SyslogHost, ControlsFollowTheStateAndTheReadValues) {
    sim.Set(kState, "i", "2");
    sim.Set(kFacility, "i", "152");
    sim.Set(kSeverity, "i", "4");
    sim.Set(kStamp, "i", "2");
    sim.Set(kHost + ".5" + kOldIndex, "i", "2");  // not active
    CSyslogHostCfgDlg dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_SYSLOG_ENABLE), 0);
    for (int id : {IDC_SYSLOG_HOST, IDC_SYSLOG_PORT, IDC_SYSLOG_FACILITY, IDC_SYSLOG_SEVERITY,
                   IDC_SYSLOG_TIME_STAMP, IDC_SYSLOG_APPLY_HOST}) {
        EXPECT_FALSE(dlg.IsDlgItemEnabled(id)) << id;
    }
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSLOG_FACILITY), "Local3");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSLOG_SEVERITY), "Warning");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSLOG_TIME_STAMP), "Disabled");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSLOG_HOST), "0.0.0.0");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSLOG_PORT), "0");
    EXPECT_EQ(dlg.HostAddress(), "192.168.1.20");  // still the row Apply replaces

    // The check box switches the options, not the host Apply button.
    ASSERT_TRUE(drv.Check(IDC_SYSLOG_ENABLE, true));
    for (int id : {IDC_SYSLOG_HOST, IDC_SYSLOG_PORT, IDC_SYSLOG_FACILITY, IDC_SYSLOG_SEVERITY,
                   IDC_SYSLOG_TIME_STAMP}) {
        EXPECT_TRUE(dlg.IsDlgItemEnabled(id)) << id;
    }
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_SYSLOG_APPLY_HOST));

    // The state Apply writes the state and reads again.
    sim.ClearLog();
    const int walks = dlg.HostWalksEnded();
    ASSERT_TRUE(drv.Click(IDC_SYSLOG_APPLY_STATE));
    ASSERT_TRUE(WaitUntil([&] { return dlg.HostWalksEnded() > walks; }));
    const auto lines = Lines(sim.Requests());
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "set " + kState + "=i:1");
    EXPECT_EQ(sim.Requests()[0].principal, "harbour");
    EXPECT_EQ(lines[1], kGlobalRead);
    EXPECT_EQ(lines[2], kHostWalk);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_SYSLOG_APPLY_HOST));

    // An unknown facility code selects Local0.
    sim.Set(kFacility, "i", "999");
    Refresh(drv, dlg);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSLOG_FACILITY), "Local0");
}

TEST_F(SyslogHost, ReplacingAnIpv4HostCreatesTheNewRowBeforeDestroyingTheOld) {
    CSyslogHostCfgDlg dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    sim.ClearLog();
    ASSERT_TRUE(drv.Type(IDC_SYSLOG_HOST, "192.168.0.10"));
    ASSERT_TRUE(drv.Type(IDC_SYSLOG_PORT, "1514"));
    ASSERT_TRUE(drv.Select(IDC_SYSLOG_SEVERITY, 2));
    ASSERT_TRUE(drv.Select(IDC_SYSLOG_FACILITY, 4));
    ASSERT_TRUE(drv.Select(IDC_SYSLOG_TIME_STAMP, 1));
    ApplyHost(drv, dlg);
    const std::string index = ".1.4.192.168.0.10";
    const auto lines = Lines(sim.Requests());
    ASSERT_GE(lines.size(), 8u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 8),
              (std::vector<std::string>{"get " + kHost + ".5" + index + "=n:", SetStatus(index, 5),
                                        SetPort(index, "1514"), SetStatus(index, 1), SetStatus(kOldIndex, 6),
                                        SetOptions(7, 160, 2), kGlobalRead, kHostWalk}));
    EXPECT_EQ(sim.Get(kHost + ".5" + index), "1");
    EXPECT_EQ(sim.Get(kHost + ".3" + index), "1514");
    EXPECT_EQ(sim.Get(kHost + ".5" + kOldIndex), "");
    EXPECT_EQ(sim.Get(kFacility), "160");
    EXPECT_TRUE(boxes.Texts().empty());

    // The read after the Apply shows the new host, its address filled in by the device; re-entering
    // it keeps its row and only sets the port.
    EXPECT_EQ(dlg.HostAddress(), "192.168.0.10");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSLOG_PORT), "1514");
    sim.ClearLog();
    ASSERT_TRUE(drv.Type(IDC_SYSLOG_PORT, "514"));
    ApplyHost(drv, dlg);
    EXPECT_EQ(SetLines(sim.Requests()),
              (std::vector<std::string>{SetPort(index, "514"), SetStatus(index, 1), SetOptions(7, 160, 2)}));
    EXPECT_EQ(sim.Get(kHost + ".3" + index), "514");
}

TEST_F(SyslogHost, AnOldHostTheDeviceDoesNotRemoveIsSaidAndNothingMoreIsWritten) {
    CSyslogHostCfgDlg dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    sim.Command("error " + kHost + ".5" + kOldIndex + " 5 6");  // its destroy is refused
    const std::string index = ".1.4.192.168.0.10";
    ASSERT_TRUE(drv.Type(IDC_SYSLOG_HOST, "192.168.0.10"));
    ApplyHost(drv, dlg);
    EXPECT_EQ(SetLines(sim.Requests()),
              (std::vector<std::string>{SetStatus(index, 5), SetPort(index, "514"), SetStatus(index, 1),
                                        SetStatus(kOldIndex, 6)}));
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{
                  "The device did not accept the removal of the old host. The new host row, the "
                  "host's UDP port and the host's activation were written; the facility, severity "
                  "and time stamp were not written. The device may log to both hosts, "
                  "192.168.0.10 and 192.168.1.20. The settings it holds are shown."});
}

TEST_F(SyslogHost, Ipv6HostsShownAndReplaced) {
    RemoveHost(kOldIndex);
    SetIpv6Host(kV6Index, kV6Hex, "1600");
    CSyslogHostCfgDlg dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSLOG_HOST), "2001:db8::10");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSLOG_PORT), "1600");
    EXPECT_EQ(dlg.HostAddress(), "2001:db8::10");

    // An IPv6 host with an interface name: the index holds the 16 address octets only.
    sim.ClearLog();
    ASSERT_TRUE(drv.Type(IDC_SYSLOG_HOST, "FE80::2:1%eth0"));
    ASSERT_TRUE(drv.Type(IDC_SYSLOG_PORT, "514"));
    ApplyHost(drv, dlg);
    const std::string index = ".2.16.254.128.0.0.0.0.0.0.0.0.0.0.0.2.0.1";
    EXPECT_EQ(SetLines(sim.Requests()),
              (std::vector<std::string>{SetStatus(index, 5), SetPort(index, "514"), SetStatus(index, 1),
                                        SetStatus(kV6Index, 6), SetOptions(6, 136, 1)}));
    EXPECT_EQ(sim.Get(kHost + ".5" + index), "1");
    EXPECT_EQ(sim.Get(kHost + ".5" + kV6Index), "");
    EXPECT_TRUE(boxes.Texts().empty());

    // The read after the Apply shows the new host; from IPv6 back to IPv4.
    EXPECT_EQ(dlg.HostAddress(), "fe80::2:1");
    sim.ClearLog();
    ASSERT_TRUE(drv.Type(IDC_SYSLOG_HOST, "10.0.0.1"));
    ApplyHost(drv, dlg);
    const std::string v4 = ".1.4.10.0.0.1";
    EXPECT_EQ(SetLines(sim.Requests()),
              (std::vector<std::string>{SetStatus(v4, 5), SetPort(v4, "514"), SetStatus(v4, 1),
                                        SetStatus(index, 6), SetOptions(6, 136, 1)}));
}

// A state that is not a number, or a host row lacking its port, was not read: the dialog says so once
// and the Apply that would write it back stays unavailable until a Refresh reads it.
TEST_F(SyslogHost, ValuesNotReadAreSaidAndNeverWrittenBack) {
    sim.Set(kState, "s", "zz");
    CSyslogHostCfgDlg dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Failed to read the syslog settings; press Refresh to try again."});
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_SYSLOG_APPLY_STATE));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_SYSLOG_APPLY_HOST));

    boxes.Clear();
    sim.Set(kState, "i", "1");
    sim.Omit(kHost + ".3" + kOldIndex);
    Refresh(drv, dlg);
    EXPECT_EQ(boxes.Count(), 1u);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_SYSLOG_APPLY_STATE));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_SYSLOG_APPLY_HOST));

    boxes.Clear();
    sim.Omit(kHost + ".3" + kOldIndex, false);
    Refresh(drv, dlg);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_SYSLOG_APPLY_HOST));
    EXPECT_EQ(dlg.HostAddress(), "192.168.1.20");
}

TEST_F(SyslogHost, NoHostReadMeansNoDestroy) {
    RemoveHost(kOldIndex);
    CSyslogHostCfgDlg dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(dlg.HostAddress(), "");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSLOG_HOST), "0.0.0.0");
    sim.ClearLog();
    ASSERT_TRUE(drv.Type(IDC_SYSLOG_HOST, "2001:db8::10"));
    ApplyHost(drv, dlg);
    EXPECT_EQ(SetLines(sim.Requests()),
              (std::vector<std::string>{SetStatus(kV6Index, 5), SetPort(kV6Index, "514"),
                                        SetStatus(kV6Index, 1), SetOptions(6, 136, 1)}));
    EXPECT_EQ(sim.Get(kHost + ".5" + kV6Index), "1");

    // Another manager removes that host: the walk that finds none forgets it, and the same host
    // applied again gets its row created.
    RemoveHost(kV6Index);
    Refresh(drv, dlg);
    EXPECT_EQ(dlg.HostAddress(), "");
    sim.ClearLog();
    ASSERT_TRUE(drv.Type(IDC_SYSLOG_HOST, "2001:db8::10"));
    ApplyHost(drv, dlg);
    EXPECT_EQ(SetLines(sim.Requests()),
              (std::vector<std::string>{SetStatus(kV6Index, 5), SetPort(kV6Index, "514"),
                                        SetStatus(kV6Index, 1), SetOptions(6, 136, 1)}));
    EXPECT_EQ(sim.Get(kHost + ".5" + kV6Index), "1");
}

TEST_F(SyslogHost, RefusedCreateOrPortKeepsTheConfiguredHost) {
    CSyslogHostCfgDlg dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    const std::string index = ".1.4.192.168.0.10";

    // The device refuses the new row: nothing else is written.
    sim.ErrorStatus(kHost + ".5" + index, 13);
    sim.ClearLog();
    ASSERT_TRUE(drv.Type(IDC_SYSLOG_HOST, "192.168.0.10"));
    ApplyHost(drv, dlg);
    EXPECT_EQ(SetLines(sim.Requests()), std::vector<std::string>{SetStatus(index, 5)});
    EXPECT_EQ(sim.Get(kHost + ".5" + kOldIndex), "1");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSLOG_HOST), "192.168.1.20");
    EXPECT_EQ(dlg.HostAddress(), "192.168.1.20");
    sim.ErrorStatus(kHost + ".5" + index, 0);

    // The device refuses the port: the half-made row goes, the old host stays.
    sim.ErrorStatus(kHost + ".3" + index, 10);
    sim.ClearLog();
    ASSERT_TRUE(drv.Type(IDC_SYSLOG_HOST, "192.168.0.10"));
    ApplyHost(drv, dlg);
    EXPECT_EQ(SetLines(sim.Requests()),
              (std::vector<std::string>{SetStatus(index, 5), SetPort(index, "514"), SetStatus(index, 6)}));
    EXPECT_EQ(sim.Get(kHost + ".5" + kOldIndex), "1");
    EXPECT_EQ(sim.Get(kHost + ".5" + index), "");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSLOG_HOST), "192.168.1.20");
    sim.ErrorStatus(kHost + ".3" + index, 0);

    // No answer to the create: nothing else is written either.
    sim.Silence(true);
    sim.ClearLog();
    ASSERT_TRUE(drv.Type(IDC_SYSLOG_HOST, "192.168.0.10"));
    ASSERT_TRUE(drv.Click(IDC_SYSLOG_APPLY_HOST));
    ASSERT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }));
    // The create, sent again within its time-out, and nothing else.
    auto sets = SetLines(sim.Requests());
    sets.erase(std::unique(sets.begin(), sets.end()), sets.end());
    EXPECT_EQ(sets, std::vector<std::string>{SetStatus(index, 5)});
    sim.Silence(false);
    EXPECT_EQ(sim.Get(kHost + ".5" + kOldIndex), "1");
    // Each write the device did not take is said; a create unanswered may have left a row.
    const std::string refused =
        "The device did not accept the syslog host settings. The settings it holds are shown.";
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{
                  refused, refused,
                  "The device did not answer: it did not confirm whether the new host row was "
                  "written; the host's UDP port, the host's activation, the removal of the old "
                  "host and the facility, severity and time stamp were not written. The host "
                  "192.168.0.10 is not active; applying it again replaces any row the device "
                  "made for it. The settings it holds are shown."}));

    // An active row of that address is left alone.
    sim.Set(kHost + ".1" + index, "i", "1");
    sim.Set(kHost + ".2" + index, "x", "c0a8000a");
    sim.Set(kHost + ".3" + index, "i", "514");
    sim.Set(kHost + ".5" + index, "i", "1");
    boxes.Clear();
    Refresh(drv, dlg);
    EXPECT_EQ(dlg.HostAddress(), "192.168.1.20");
    sim.ClearLog();
    ASSERT_TRUE(drv.Type(IDC_SYSLOG_HOST, "192.168.0.10"));
    ApplyHost(drv, dlg);
    EXPECT_EQ(SetLines(sim.Requests()), std::vector<std::string>{SetStatus(index, 5)});
    EXPECT_EQ(sim.Get(kHost + ".5" + index), "1");
    EXPECT_EQ(sim.Get(kHost + ".5" + kOldIndex), "1");
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"The device already holds an active syslog host 192.168.0.10; it was "
                                       "left as it is and nothing was written. The settings it holds are "
                                       "shown."});
}

TEST_F(SyslogHost, AddressAndPortChecksWriteNothing) {
    CSyslogHostCfgDlg dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    const std::string badAddress = "Invalid Syslog Sever IP address.";
    const std::string badPort = "Invalid UDP port range (1-65535)";
    struct Case {
        const char* host;
        const char* port;
        const std::string* message;
    };
    for (const Case& c : {Case{"fe80::1", "514", &badAddress}, Case{"", "514", &badAddress},
                          Case{"256.1.1.1", "514", &badAddress}, Case{"192.168.1.0", "514", &badAddress},
                          Case{"::ffff:1.2.3.4", "514", &badAddress}, Case{"10.0.0.1", "0", &badPort},
                          Case{"10.0.0.1", "65536", &badPort}, Case{"10.0.0.1", "", &badPort}}) {
        boxes.Clear();
        sim.ClearLog();
        ASSERT_TRUE(drv.Type(IDC_SYSLOG_HOST, c.host));
        ASSERT_TRUE(drv.Type(IDC_SYSLOG_PORT, c.port));
        ApplyHost(drv, dlg);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{*c.message}) << c.host << " " << c.port;
        EXPECT_TRUE(SetLines(sim.Requests()).empty()) << c.host << " " << c.port;
    }

    // 1 and 65535 are accepted.
    for (const char* port : {"1", "65535"}) {
        boxes.Clear();
        sim.ClearLog();
        ASSERT_TRUE(drv.Type(IDC_SYSLOG_HOST, "192.168.1.20"));
        ASSERT_TRUE(drv.Type(IDC_SYSLOG_PORT, port));
        ApplyHost(drv, dlg);
        EXPECT_TRUE(boxes.Texts().empty()) << port;
        EXPECT_EQ(SetLines(sim.Requests())[0], SetPort(kOldIndex, port));
    }

    // The port field takes digits only, five at most.
    ASSERT_TRUE(drv.Type(IDC_SYSLOG_PORT, "12a3456"));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSLOG_PORT), "12345");
}

}  // namespace

// A new host against a switch that answers after 1 s: the writes run while the window takes events;
// Close during the port's write says what the device confirmed, and nothing is sent after it.
TEST_F(SyslogHost, HostWritesStayLiveAndCloseSaysWhatWasConfirmed) {
    test::UseSimV1(sim, "3000");  // answers 1 s late are answers, on a busy machine too
    CSyslogHostCfgDlg dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    const std::string index = ".1.4.192.168.0.10";
    ASSERT_TRUE(drv.Type(IDC_SYSLOG_HOST, "192.168.0.10"));
    sim.DelayMs(1000);
    sim.ClearLog();
    test::TickGap ticks;
    ASSERT_TRUE(drv.Click(IDC_SYSLOG_APPLY_HOST));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_SYSLOG_REFRESH));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_SYSLOG_APPLY_HOST));
    // The device logs the second write as it arrives; the window shows its line a moment later.
    ASSERT_TRUE(WaitUntil([&] {
        return test::DistinctSets(sim).size() >= 2 && dlg.Run().ProgressShown() &&
               dlg.Run().ProgressText() == "Writing the syslog host settings (2 of 5)...";
    })) << dlg.Run().ProgressText().toStdString();
    EXPECT_LT(ticks.MaxGapMs(), 250);
    drv.CloseBox();
    ASSERT_TRUE(drv.WaitEnded());
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{
                  "Stopped: the new host row was written; the device did not confirm whether the host's "
                  "UDP port was written; the host's activation, the removal of the old host and the "
                  "facility, severity and time stamp were not written. A row for the host 192.168.0.10 "
                  "was created on the device but not activated. Applying the host again replaces it."});
    EXPECT_FALSE(WaitUntil([&] { return test::DistinctSets(sim).size() > 2; }, 2000));
    EXPECT_EQ(SetLines(test::DistinctSets(sim)),
              (std::vector<std::string>{SetStatus(index, 5), SetPort(index, "514")}));
}

// A create the device applies after the window stopped waiting for it (Close with the create in flight,
// or no answer in time) leaves a row that is not active. The window shows the configured host rather
// than that row, and applying the host again replaces it: one active row of that address, the old
// host gone.
TEST_F(SyslogHost, ARowLeftNotActiveByAnUnansweredCreateIsReplacedByTheNextApply) {
    const std::string kept = ".1.4.192.168.1.30";  // after the configured host in the table
    const std::string lost = ".1.4.192.168.0.10";
    auto reapply = [&](const std::string& address, const std::string& index) {
        ASSERT_TRUE(WaitUntil([&] { return sim.Get(kHost + ".5" + index) == "2"; }));
        sim.DelayMs(0);
        CSyslogHostCfgDlg dlg;
        DialogDriver drv(dlg);
        WaitRead(dlg);
        EXPECT_EQ(dlg.GetDlgItemText(IDC_SYSLOG_HOST), "192.168.1.20");
        boxes.Clear();
        sim.ClearLog();
        ASSERT_TRUE(drv.Type(IDC_SYSLOG_HOST, address));
        ApplyHost(drv, dlg);
        const auto lines = Lines(sim.Requests());
        ASSERT_GE(lines.size(), 9u);
        EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 9),
                  (std::vector<std::string>{"get " + kHost + ".5" + index + "=n:", SetStatus(index, 5),
                                            "get " + kHost + ".5" + index + "=n:", SetStatus(index, 6),
                                            SetStatus(index, 5), SetPort(index, "514"), SetStatus(index, 1),
                                            SetStatus(kOldIndex, 6), SetOptions(6, 136, 1)}));
        EXPECT_EQ(sim.Get(kHost + ".5" + index), "1");
        EXPECT_EQ(sim.Get(kHost + ".5" + kOldIndex), "");
        EXPECT_EQ(dlg.HostAddress(), address);
        EXPECT_TRUE(boxes.Texts().empty());
        RemoveHost(index);  // the configured host back for the next case
        sim.Set(kHost + ".1" + kOldIndex, "i", "1");
        sim.Set(kHost + ".2" + kOldIndex, "x", "c0a80114");
        sim.Set(kHost + ".3" + kOldIndex, "i", "514");
        sim.Set(kHost + ".5" + kOldIndex, "i", "1");
    };

    // Closed while the create is on its way; the device applies it a second later.
    test::UseSimV1(sim, "3000");
    {
        CSyslogHostCfgDlg dlg;
        DialogDriver drv(dlg);
        WaitRead(dlg);
        ASSERT_TRUE(drv.Type(IDC_SYSLOG_HOST, "192.168.1.30"));
        sim.DelayMs(1000);
        sim.ClearLog();
        ASSERT_TRUE(drv.Click(IDC_SYSLOG_APPLY_HOST));
        ASSERT_TRUE(WaitUntil([&] { return !test::DistinctSets(sim).empty(); }));
        drv.CloseBox();
        ASSERT_TRUE(drv.WaitEnded());
    }
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{
                  "Stopped: the device did not confirm whether the new host row was written; the "
                  "host's UDP port, the host's activation, the removal of the old host and the "
                  "facility, severity and time stamp were not written. The host 192.168.1.30 is not "
                  "active; applying it again replaces any row the device made for it."});
    ASSERT_NO_FATAL_FAILURE(reapply("192.168.1.30", kept));

    // The device applies the create but its answer comes after the time-out.
    test::UseSimV1(sim, "1000");
    {
        CSyslogHostCfgDlg dlg;
        DialogDriver drv(dlg);
        WaitRead(dlg);
        ASSERT_TRUE(drv.Type(IDC_SYSLOG_HOST, "192.168.0.10"));
        sim.DelayMs(4000);
        const int walks = dlg.HostWalksEnded();
        ASSERT_TRUE(drv.Click(IDC_SYSLOG_APPLY_HOST));
        ASSERT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }));
        sim.DelayMs(0);
        ASSERT_TRUE(WaitUntil([&] { return dlg.HostWalksEnded() > walks; }));
        ASSERT_FALSE(boxes.Texts().empty());
        EXPECT_EQ(boxes.Texts()[0],
                  "The device did not answer: it did not confirm whether the new host row was written; the "
                  "host's UDP port, the host's activation, the removal of the old host and the facility, "
                  "severity and time stamp were not written. The host 192.168.0.10 is not active; applying "
                  "it again replaces any row the device made for it. The settings it holds are shown.");
    }
    ASSERT_NO_FATAL_FAILURE(reapply("192.168.0.10", lost));
}
