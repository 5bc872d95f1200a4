// The main window: menu 131 and its tailoring to the model, the feature-command sequence with the
// busy flag that pauses polling, save configuration, telnet, web, About, the port click and the
// second-instance message.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "app/QuorviaModuleApp.h"
#include "app/QuorviaModuleDlg.h"
#include "app/VirtualDev.h"
#include "core/Utils.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/MenuBar.h"
#include "platform/ui/Text.h"
#include "res/MenuTable.h"
#include "res/resource.h"
#include "tests/app/ShellTestUtil.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::DialogDriver;
using test::WaitUntil;

constexpr unsigned kQuestion = MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2;
const std::string kSaveOid = "1.3.6.1.4.1.7393.10.76.20.1.1.10.0";

// The menu as text lines: "popup/popup/item=id", separators and popups in order.
void Describe(const QMenu* menu, const std::string& prefix, std::vector<std::string>& out) {
    for (QAction* a : menu->actions()) {
        const std::string text = ui::ToStd(a->text());
        if (a->menu() != nullptr) {
            out.push_back(prefix + text + "/");
            Describe(a->menu(), prefix + text + "/", out);
        } else {
            out.push_back(prefix + text + "=" + std::to_string(a->property(CDialog::kIdProperty).toInt()));
        }
    }
}

std::vector<std::string> MenuLines(CDialog& dlg) {
    std::vector<std::string> out;
    for (QAction* top : dlg.GetMenu()->Bar()->actions()) {
        out.push_back(ui::ToStd(top->text()) + "/");
        if (top->menu() != nullptr) {
            Describe(top->menu(), ui::ToStd(top->text()) + "/", out);
        }
    }
    return out;
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ResetConnectionSettings(); }
    void TearDown() override {
        driver.reset();
        dlg.reset();
        ini.reset();
        CQuorviaModuleDlg::SetProcessStarter(nullptr);
        ResetConnectionSettings();
    }
    void Open(const std::string& name, const std::string& model, int ports = 28) {
        ini = std::make_unique<test::TempUserIni>(test::DeviceInfo(name, ports, test::PanelXml(model), "N"));
        dlg = std::make_unique<CQuorviaModuleDlg>();
        driver = std::make_unique<DialogDriver>(*dlg);
    }

    test::ScriptedMessageBox boxes;
    test::FastPolling pace;
    std::unique_ptr<test::TempUserIni> ini;
    std::unique_ptr<CQuorviaModuleDlg> dlg;
    std::unique_ptr<DialogDriver> driver;
};

TEST_F(MainWindowTest, MenuOf28Z1HasNoPoeAndKeepsJumboFrame) {
    g_strDeviceIP = "192.0.2.1";
    Open("KSX-4200-28Z1", "28z1");
    const std::vector<std::string> lines = MenuLines(*dlg);
    const std::vector<std::string> expected = {
        "Device Manager   /",
        "Device Manager   /System/",
        "Device Manager   /System/Port Configuration=32774",
        "Device Manager   /System/Port Description=32871",
        "Device Manager   /System/Syslog Host Configuration=32832",
        "Device Manager   /System/Time Profile Settings=32855",
        "Device Manager   /System/Power Saving Settings=32856",
        "Device Manager   /VLAN/",
        "Device Manager   /VLAN/VLAN Configuration=32834",
        "Device Manager   /VLAN/802.1Q Management VLAN=32867",
        "Device Manager   /VLAN/Auto Surveillance VLAN Setting =32828",
        "Device Manager   /L2 Function/",
        "Device Manager   /L2 Function/Jumbo Frame Configuration=32817",
        "Device Manager   /L2 Function/Port Mirroring Settings=32854",
        "Device Manager   /L2 Function/&Loopback Detection =32873",
        "Device Manager   /L2 Function/Static MAC=32874",
        "Device Manager   /L2 Function/Spanning Tree=32813",
        "Device Manager   /L2 Function/Trunk Configuration=32818",
        "Device Manager   /L2 Function/IGMP Snooping Configuration=32837",
        "Device Manager   /L2 Function/Multicast Filtering Mode configuration=32830",
        "Device Manager   /L2 Function/LLDP/",
        "Device Manager   /L2 Function/LLDP/&LLDP Global Setting=32825",
        "Device Manager   /L2 Function/LLDP/&LLDP Remote Port Information=32826",
        "Device Manager   /Qos/",
        "Device Manager   /Qos/Bandwidth Control=32850",
        "Device Manager   /RMON/",
        "Device Manager   /RMON/&RMON Global Setting=32880",
        "Device Manager   /RMON/&RMON Ethernet Statistics =32881",
        "Device Manager   /RMON/&RMON History Control =32882",
        "Device Manager   /RMON/&RMON Alarm Settings =32883",
        "Device Manager   /RMON/&RMON Event =32884",
        "Device Manager   /Security/",
        "Device Manager   /Security/ARP Spoofing Prevention Setting=32833",
        "Device Manager   /Security/DHCP Server Screening Port Configuration=32829",
        "Device Manager   /Security/Traffic Segmentation Settings=32851",
        "Device Manager   /Security/Storm Control Settings=32853",
        "Device Manager   /Security/Smart Binding /",
        "Device Manager   /Security/Smart Binding /Smart Binding Settings =32863",
        "Device Manager   /Security/Smart Binding /Smart Binding=32864",
        "Device Manager   /Security/Smart Binding /White List =32865",
        "Device Manager   /Security/Smart Binding /Black List =32866",
        "Device Manager   /AAA/",
        "Device Manager   /AAA/802.1X Global Settings=32890",
        "Device Manager   /AAA/802.1X  Settings =32889",
        "Device Manager   /AAA/802.1X User=32885",
        "Device Manager   /AAA/802.1X Authentication RADIUS=32886",
        "Device Manager   /SNMP/",
        "Device Manager   /SNMP/SNMP Global State=32839",
        "Device Manager   /SNMP/SNMP User Table=32841",
        "Device Manager   /SNMP/SNMP Group Table=32842",
        "Device Manager   /SNMP/SNMP View Table=32843",
        "Device Manager   /SNMP/SNMP Community Table=32844",
        "Device Manager   /SNMP/SNMP Host Table=32840",
        "Device Manager   /SNMP/SNMP Engine ID=32845",
        "Device Manager   /SNMP/SNMP Trap Configuration=32846",
        "Public MIB   /",
        "Public MIB   /System Information=32805",
        "Public MIB   /Interface Table=32809",
        "Public MIB   /IP Table=32808",
        "Public MIB   /Forwarding Table=32810",
        "Public MIB   /TCP Service=32811",
        "Public MIB   /UDP Service=32812",
        "Tools   /",
        "Tools   /Firmware and Configuration Upgrade/Backup=32823",
        "Tools   /Save Configuration=32815",
        "Tools   /Reboot=32797",
        "Tools   /Telnet=32788",
        "Tools   /Web=32789",
        "About   /",
        "About   /About KSX-4200-28Z1=57664",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(dlg->GetWindowText(), "KSX-4200-28Z1: 192.0.2.1");
    EXPECT_TRUE(dlg->IsTopmost());
}

TEST_F(MainWindowTest, PoeModelsKeepThePoePopup) {
    Open("KSX-4200-28P", "28p");
    const std::vector<std::string> lines = MenuLines(*dlg);
    EXPECT_TRUE(Has(lines, "Device Manager   /PoE/"));
    EXPECT_TRUE(Has(lines, "Device Manager   /PoE/PoE Global Settings=32860"));
    EXPECT_TRUE(Has(lines, "Device Manager   /PoE/PoE Port Settings =32852"));
    EXPECT_TRUE(Has(lines, "Device Manager   /L2 Function/Jumbo Frame Configuration=32817"));
    EXPECT_TRUE(Has(lines, "About   /About KSX-4200-28P=57664"));
    // PoE is the last popup of Device Manager, at position 8.
    QMenu* dm = dlg->GetMenu()->Popup({kMenuDeviceManager});
    ASSERT_NE(dm, nullptr);
    ASSERT_EQ(dm->actions().size(), 9);
    EXPECT_EQ(ui::ToStd(dm->actions()[8]->text()), "PoE");
}

TEST_F(MainWindowTest, FiftyTwoPortModelHasNoPoe) {
    Open("KSX-4200-52", "52", 52);
    const std::vector<std::string> lines = MenuLines(*dlg);
    EXPECT_FALSE(Has(lines, "Device Manager   /PoE/"));
    EXPECT_EQ(dlg->GetMenu()->Action(IDM_POE_GLOBAL), nullptr);
    EXPECT_EQ(dlg->GetMenu()->Popup({kMenuDeviceManager})->actions().size(), 8);
    EXPECT_TRUE(Has(lines, "Device Manager   /L2 Function/Jumbo Frame Configuration=32817"));
    EXPECT_TRUE(Has(lines, "About   /About KSX-4200-52=57664"));
    EXPECT_EQ(g_nPortNum, 52);
}

TEST_F(MainWindowTest, KseModelLosesJumboFrameAndKeepsPoeByItsP) {
    Open("KSE-4200-08P B1", "28p");
    const std::vector<std::string> lines = MenuLines(*dlg);
    EXPECT_FALSE(Has(lines, "Device Manager   /L2 Function/Jumbo Frame Configuration=32817"));
    EXPECT_TRUE(Has(lines, "Device Manager   /L2 Function/Port Mirroring Settings=32854"));
    EXPECT_TRUE(Has(lines, "Device Manager   /PoE/PoE Port Settings =32852"));
    // A KSE name without P loses both.
    driver.reset();
    dlg.reset();
    Open("KSE-4200-08", "28z1");
    const std::vector<std::string> plain = MenuLines(*dlg);
    EXPECT_FALSE(Has(plain, "Device Manager   /L2 Function/Jumbo Frame Configuration=32817"));
    EXPECT_FALSE(Has(plain, "Device Manager   /PoE/"));
    EXPECT_TRUE(Has(plain, "Device Manager   /SNMP/SNMP Trap Configuration=32846"));
}

TEST_F(MainWindowTest, FeatureCommandHidesMarksBusyMinimisesAndRestores) {
    test::SimSwitch sim;
    test::UseSimV1(sim);
    Open("KSX-4200-28Z1", "28z1");
    ASSERT_TRUE(WaitUntil([&] { return dlg->HasLiveStates(); }, 8000));
    ASSERT_TRUE(dlg->isVisible());

    struct Seen {
        bool ran = false, busy = false, minimised = false, visible = false;
        std::size_t requests = 0;
    } seen;
    ui::FeatureRegistry::Instance().Register(IDM_STATIC_MAC, [&] {
        seen.ran = true;
        seen.busy = dlg->IsBusy();
        seen.minimised = dlg->isMinimized();
        seen.visible = dlg->isVisible();
        // While the dialog runs, polling pauses: no request in three poll cycles.
        sim.ClearLog();
        WaitUntil([] { return false; }, 3 * test::FastPolling::CycleMs());
        seen.requests = sim.Requests().size();
    });
    ASSERT_TRUE(driver->Menu(IDM_STATIC_MAC));
    EXPECT_TRUE(seen.ran);
    EXPECT_TRUE(seen.busy);
    EXPECT_TRUE(seen.minimised);
    EXPECT_EQ(seen.requests, 0u);
    EXPECT_FALSE(dlg->IsBusy());
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_FALSE(dlg->isMinimized());
    // Polling goes on afterwards.
    sim.ClearLog();
    EXPECT_TRUE(
        sim.WaitForRequests([](const auto& log) { return !log.empty(); }, 3 * test::FastPolling::CycleMs()));
}

TEST_F(MainWindowTest, SnmpHostTableRunsWithTheWindowShownAndUnbuiltCommandsDoNothing) {
    Open("KSX-4200-28Z1", "28z1");
    bool busy = true, minimised = true;
    ui::FeatureRegistry::Instance().Register(IDM_SNMP_HOST, [&] {
        busy = dlg->IsBusy();
        minimised = dlg->isMinimized();
    });
    ASSERT_TRUE(driver->Menu(IDM_SNMP_HOST));
    EXPECT_FALSE(busy);
    EXPECT_FALSE(minimised);

    // A command whose dialog is not part of this build leaves the window as it is.
    const unsigned unbuilt = IDM_DOT1X_RADIUS;
    if (!ui::FeatureRegistry::Instance().Has(unbuilt)) {
        ASSERT_TRUE(driver->Menu(unbuilt));
        EXPECT_TRUE(dlg->isVisible());
        EXPECT_FALSE(dlg->isMinimized());
        EXPECT_FALSE(dlg->IsBusy());
    }
}

TEST_F(MainWindowTest, AboutShowsTheDeviceNameInTheMenuSequence) {
    Open("KSX-4200-28P", "28p");
    std::string caption, text;
    bool hidden = false;
    // The About box runs modally: find it from a timer once it shows, read it and close it.
    QTimer::singleShot(50, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* about = dynamic_cast<CAboutDlg*>(w);
            if (about != nullptr && about->isVisible()) {
                caption = about->GetWindowText();
                text = about->GetDlgItemText(IDC_ABOUT_MODULE_NAME);
                hidden = dlg->isMinimized() && dlg->IsBusy();
                about->EndDialog(IDOK);
            }
        }
    });
    ASSERT_TRUE(driver->Menu(IDM_APP_ABOUT));
    EXPECT_EQ(caption, "KSX-4200-28P Module");
    EXPECT_EQ(text, "KSX-4200-28P Management Module");
    EXPECT_TRUE(hidden);
    EXPECT_FALSE(dlg->IsBusy());
}

TEST_F(MainWindowTest, SaveConfigurationReportsOnlyAnErrorFreeAnswerAsSuccess) {
    test::SimSwitch sim;
    test::UseSimV1(sim);
    Open("KSX-4200-28Z1", "28z1");

    boxes.Answer(IDCANCEL);
    sim.ClearLog();
    ASSERT_TRUE(driver->Menu(IDM_SAVE_CONFIGURATION));
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Do you want to save the configuration?");
    EXPECT_EQ(boxes.Boxes()[0].flags, kQuestion);
    for (const auto& r : sim.Requests()) {
        EXPECT_NE(r.pdu, "set");
    }

    boxes.Clear();
    boxes.Answer(IDOK);
    sim.ClearLog();
    ASSERT_TRUE(driver->Menu(IDM_SAVE_CONFIGURATION));
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(boxes.Boxes()[1].text, "           Success!           ");
    bool sent = false;
    for (const auto& r : sim.Requests()) {
        if (r.pdu == "set") {
            ASSERT_EQ(r.varbinds.size(), 1u);
            EXPECT_EQ(r.varbinds[0].oid, kSaveOid);
            EXPECT_EQ(r.varbinds[0].type, "i");
            EXPECT_EQ(r.varbinds[0].value, "1");
            EXPECT_EQ(r.principal, "harbour");
            sent = true;
        }
    }
    EXPECT_TRUE(sent);

    // An answer with an error status is a failure.
    sim.ErrorStatus(kSaveOid, 5);
    boxes.Clear();
    boxes.Answer(IDOK);
    ASSERT_TRUE(driver->Menu(IDM_SAVE_CONFIGURATION));
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(boxes.Boxes()[1].text, "           Failed!            ");
    sim.ErrorStatus(kSaveOid, 0);

    // No answer within 4000 ms.
    sim.Silence(true);
    boxes.Clear();
    boxes.Answer(IDOK);
    ASSERT_TRUE(driver->Menu(IDM_SAVE_CONFIGURATION));
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(boxes.Boxes()[1].text, "           Failed!            ");
    sim.Silence(false);
}

TEST_F(MainWindowTest, RefusedSnmpV3CredentialsAreSaidOnceWithTheUserName) {
    test::SimSwitch sim;
    struct Case {
        std::string level, user, authProto, authPwd, privProto, privPwd;
    };
    const std::vector<Case> cases = {
        {"2", "md5user", "2", "wrongauthpass", "1", ""},              // the agent reports a wrong digest
        {"2", "nosuchuser", "2", "md5authpass", "1", ""},             // an unknown user
        {"3", "shadesuser", "2", "shaauthpass", "2", "desprivpass"},  // another digest algorithm
    };
    // The agent's report (unauthenticated: anyone may send one) names the cause at the request's time-out:
    // each poll's walk waits it out, the next poll comes after it.
    test::FastPolling pollAfterTheTimeOut(20, 600, 20);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.user + " " + c.authPwd + " " + c.privPwd);
        test::UseSimV3(sim, c.level, c.user, c.authProto, c.authPwd, c.privProto, c.privPwd);
        boxes.Clear();
        Open("KSX-4200-28Z1", "28z1");
        ASSERT_TRUE(boxes.WaitForCount(1, 20000));
        EXPECT_EQ(boxes.Texts(),
                  std::vector<std::string>{"SNMPv3 authentication failed for user " + c.user + "."});
        EXPECT_EQ(boxes.Boxes()[0].flags, static_cast<unsigned>(MB_OK | MB_ICONERROR));
        // The next poll fails too; nothing more is said (an observation period, not a synchronisation).
        QTest::qWait(test::FastPolling::CycleMs() + 1000);
        EXPECT_EQ(boxes.Count(), 1u);
        EXPECT_FALSE(dlg->HasLiveStates());
        driver.reset();
        dlg.reset();
    }
}

TEST_F(MainWindowTest, AWrongPrivacyPasswordIsSaidOnceWithTheUserName) {
    test::SimSwitch sim;
    // The device answers discovery and an authenticated get without privacy, never the authPriv
    // requests it cannot decrypt.
    test::UseSimV3(sim, "3", "shadesuser", "3", "shaauthpass", "2", "not-the-privacy-password");
    // Each poll's walk waits out its whole time-out: the next poll comes after it, not during it.
    test::FastPolling pollAfterTheTimeOut(20, 600, 20);
    boxes.Clear();
    Open("KSX-4200-28Z1", "28z1");
    ASSERT_TRUE(boxes.WaitForCount(1, 20000));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{
                                 "SNMPv3 privacy failed for user shadesuser: check the privacy password."});
    EXPECT_EQ(boxes.Boxes()[0].flags, static_cast<unsigned>(MB_OK | MB_ICONERROR));
    // Polling goes on failing, each failure checked by one get without privacy (the only requests the
    // device can read); nothing more is said.
    const auto probes = [](const std::vector<test::SimRequest>& log) {
        return std::count_if(log.begin(), log.end(), [](const test::SimRequest& r) {
            return r.pdu == "get" && r.varbinds.size() == 1 && r.varbinds[0].oid == "1.3.6.1.2.1.1.3.0";
        });
    };
    const size_t seen = static_cast<size_t>(probes(sim.Requests()));
    ASSERT_TRUE(
        sim.WaitForRequests([&](const auto& log) { return static_cast<size_t>(probes(log)) > seen; }, 20000));
    test::PumpEvents();
    EXPECT_EQ(boxes.Count(), 1u);
    for (const test::SimRequest& r : sim.Requests()) {
        EXPECT_EQ(r.varbinds.size(), 1u);
        EXPECT_EQ(r.varbinds[0].oid, "1.3.6.1.2.1.1.3.0");
    }
    EXPECT_FALSE(dlg->HasLiveStates());
}

TEST_F(MainWindowTest, RebootAsksThenSendsTheRestartWithTheWindowShown) {
    test::SimSwitch sim;
    test::UseSimV1(sim);
    Open("KSX-4200-28Z1", "28z1");
    const std::string rebootOid = "1.3.6.1.4.1.7393.10.76.20.1.1.9.0";
    auto restarts = [&] {
        int n = 0;
        for (const auto& r : sim.Requests()) {
            n += r.pdu == "set" && !r.varbinds.empty() && r.varbinds[0].oid == rebootOid ? 1 : 0;
        }
        return n;
    };

    boxes.Answer(IDCANCEL);
    sim.ClearLog();
    ASSERT_TRUE(driver->Menu(IDM_REBOOT));
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Do you want to reboot the device?");
    EXPECT_EQ(boxes.Boxes()[0].flags, kQuestion);
    EXPECT_EQ(restarts(), 0);

    boxes.Clear();
    boxes.Answer(IDOK);
    sim.ClearLog();
    ASSERT_TRUE(driver->Menu(IDM_REBOOT));
    EXPECT_TRUE(test::WaitUntil([&] { return restarts() == 1; }));
    EXPECT_EQ(boxes.Count(), 1u);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_FALSE(dlg->IsBusy());
}

TEST_F(MainWindowTest, TelnetAndWebStartProgramsAtTheDevice) {
    g_strDeviceIP = "192.0.2.7";
    Open("KSX-4200-28Z1", "28z1");
    std::vector<std::vector<std::string>> started;
    bool terminalMissing = true;
    CQuorviaModuleDlg::SetProcessStarter([&](const std::vector<std::string>& argv) {
        started.push_back(argv);
        return !(terminalMissing && argv[0] == "x-terminal-emulator");
    });
    ASSERT_TRUE(driver->Menu(IDM_TELNET));
    ASSERT_EQ(started.size(), 2u);
    EXPECT_EQ(started[0], (std::vector<std::string>{"x-terminal-emulator", "-e", "telnet", "192.0.2.7"}));
    EXPECT_EQ(started[1], (std::vector<std::string>{"xterm", "-e", "telnet", "192.0.2.7"}));
    EXPECT_EQ(boxes.Count(), 0u);

    started.clear();
    boxes.Answer(IDCANCEL);
    ASSERT_TRUE(driver->Menu(IDM_WEB));
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Do you want to access this device with browser?");
    EXPECT_EQ(boxes.Boxes()[0].flags, kQuestion);
    EXPECT_TRUE(started.empty());

    boxes.Answer(IDOK);
    ASSERT_TRUE(driver->Menu(IDM_WEB));
    const std::string browser = CUtils::GetDefaultBrowserPath();
    if (browser.empty()) {
        EXPECT_EQ(boxes.LastText(), "Failed to get IE path !");
        EXPECT_TRUE(started.empty());
    } else {
        ASSERT_EQ(started.size(), 1u);
        EXPECT_EQ(started[0], (std::vector<std::string>{browser, "192.0.2.7"}));
    }
}

TEST_F(MainWindowTest, PortClickRunsThePortSettingsWithoutHidingOrPausing) {
    Open("KSX-4200-28Z1", "28z1");
    int runs = 0;
    bool busy = true, visible = false;
    ui::FeatureRegistry::Instance().Register(IDM_PORT_CONFIGURATION, [&] {
        ++runs;
        busy = dlg->IsBusy();
        visible = dlg->isVisible() && !dlg->isMinimized();
    });
    const CPort* port = FindPort(dlg->GetDevModule(), 5);
    ASSERT_NE(port, nullptr);
    const DevRect r = port->GetRect();
    QTest::mouseClick(dlg->Client(), Qt::LeftButton, Qt::NoModifier,
                      QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(busy);
    EXPECT_TRUE(visible);
    // Outside every port: nothing.
    QTest::mouseClick(dlg->Client(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    EXPECT_EQ(runs, 1);
}

TEST_F(MainWindowTest, SecondInstanceMessageBringsAMinimisedWindowBack) {
    g_strDeviceIP = "192.0.2.9";
    Open("KSX-4200-28Z1", "28z1");
    g_uModuleMessage = RegisterWindowMessage(InstanceName("KSX-4200-28Z1", g_strDeviceIP));
    dlg->ShowWindow(SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return dlg->isMinimized(); }, 20000));
    dlg->SendMessage(g_uModuleMessage, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return dlg->isVisible() && !dlg->isMinimized(); }, 20000));
    g_uModuleMessage = 0;
}

TEST_F(MainWindowTest, MissingNamesInUserIniStopTheStartWithAMessage) {
    // No DeviceName: the message, then nothing else (no panel, no polling); the menu still works.
    ini = std::make_unique<test::TempUserIni>("[DeviceInfo]\nXMLName=" + test::PanelXml("28z1") + "\n");
    dlg = std::make_unique<CQuorviaModuleDlg>();
    driver = std::make_unique<DialogDriver>(*dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Read User.ini Error !"});
    EXPECT_FALSE(dlg->IsPolling());
    EXPECT_EQ(dlg->GetDevModule().GetChildCount(), 0);
    EXPECT_EQ(dlg->GetPortNum(), 0);
    EXPECT_NE(dlg->GetMenu()->Action(IDM_POE_GLOBAL), nullptr);  // not tailored
    driver.reset();
    dlg.reset();

    // No XMLName: the name and port count are read first.
    boxes.Clear();
    ini = std::make_unique<test::TempUserIni>("[deviceinfo]\n devicename = KSX-4200-52 \nDevicePortNum=52\n");
    dlg = std::make_unique<CQuorviaModuleDlg>();
    driver = std::make_unique<DialogDriver>(*dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Read User.ini Error !"});
    EXPECT_EQ(g_strDeviceName, "KSX-4200-52");
    EXPECT_EQ(g_nPortNum, 52);
    EXPECT_FALSE(dlg->IsPolling());
    driver.reset();
    dlg.reset();

    // A missing file is the same as a missing name.
    boxes.Clear();
    ini.reset();
    SetUserIniPath("/nonexistent/User.ini");
    dlg = std::make_unique<CQuorviaModuleDlg>();
    driver = std::make_unique<DialogDriver>(*dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Read User.ini Error !"});
    SetUserIniPath("");
}

TEST_F(MainWindowTest, UserIniDefaultsAndFlags) {
    ini = std::make_unique<test::TempUserIni>("[DeviceInfo]\nDeviceName=KSX-4200-28Z1\nXMLName=" +
                                              test::PanelXml("28z1") + "\nIsAllGiga=yes\nIsHasFan=y\n");
    g_strDeviceIP = "192.0.2.9";  // without an address the window says so and does not poll
    g_nPortNum = 5;
    dlg = std::make_unique<CQuorviaModuleDlg>();
    driver = std::make_unique<DialogDriver>(*dlg);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(g_nPortNum, 28);  // DevicePortNum defaults to 28
    EXPECT_EQ(dlg->GetPortNum(), 28);
    EXPECT_EQ(g_bIsAllGiga, 0);  // only "Y" or "y"
    EXPECT_EQ(g_bIsHasFan, 1);
    EXPECT_EQ(FindPort(dlg->GetDevModule(), 28) != nullptr, true);
    EXPECT_TRUE(dlg->IsPolling());
    // The window's client area is the panel's rectangle.
    EXPECT_EQ(dlg->Client()->width(), dlg->GetDevModule().GetRect().Width());
    EXPECT_EQ(dlg->Client()->height(), dlg->GetDevModule().GetRect().Height());
}

TEST_F(MainWindowTest, PanelNamedRelativelyIsFoundBesideUserIni) {
    test::TempUserIni probe("");
    const std::string folder = probe.Folder();
    for (const char* f : {"ksx-4200-28z1.xml", "ksx-4200-28z1.bmp", "rj45_top_down.bmp"}) {
        QFile::copy(ui::ToQ(test::SourceDir() + "/res/panels/" + f), ui::ToQ(folder + "/" + f));
    }
    std::ofstream(probe.Path()) << test::DeviceInfo("KSX-4200-28Z1", 28, "ksx-4200-28z1.xml");
    g_strDeviceIP = "192.0.2.9";
    dlg = std::make_unique<CQuorviaModuleDlg>();
    driver = std::make_unique<DialogDriver>(*dlg);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_NE(FindPort(dlg->GetDevModule(), 1), nullptr);
    EXPECT_FALSE(dlg->GetBackground().IsEmpty());
}

}  // namespace
