// SIGTERM while the main window waits on a synchronous write to a device that has gone silent: every
// waiting request ends at once and the process ends within a second. SIGTERM while a VLAN edit closed on
// a slow device is put back: the put-back ends first, its end on standard error; a second SIGTERM ends
// at once; the main window closed by a message during that edit ends it alike. SIGTERM at each request
// of the multi-step writes of one dialog per family, on a device that answers late: the write ends as
// Close would end it, and the device ends as before it. The module is this test program started again
// in the role of the module (the child test below): the real start-up, main window and signal handling,
// with boxes answered by script.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/QuorviaModuleApp.h"
#include "app/QuorviaModuleDlg.h"
#include "app/Terminate.h"
#include "controls/IPAddressCtrl.h"
#include "features/layer2/PrivateSpanTBridge.h"
#include "features/security/8021XUserDLG.h"
#include "features/security/AddARPEntry.h"
#include "features/vlan/CameraVlanRules.h"
#include "features/vlan/CameraVlanSetting.h"
#include "features/vlan/KSXVlanAdd.h"
#include "platform/ui/Gate.h"
#include "res/ids_dot1x.h"
#include "res/ids_impb.h"
#include "res/ids_stp.h"
#include "res/ids_surveillance.h"
#include "res/ids_vlan.h"
#include "res/resource.h"
#include "tests/app/ShellTestUtil.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::WaitUntil;

const std::string kSaveOid = "1.3.6.1.4.1.7393.10.76.20.1.1.10.0";
constexpr char kChildPort[] = "KSX_TERMINATE_CHILD_PORT";
constexpr char kChildIni[] = "KSX_TERMINATE_CHILD_INI";
constexpr char kChildEdit[] = "KSX_TERMINATE_CHILD_EDIT";
const std::string kVlan = "1.3.6.1.4.1.7393.10.76.20.1.7.6.1";

constexpr char kChildWrite[] = "KSX_TERMINATE_CHILD_WRITE";

void SetVlan100Edit(CKSXVlanAdd& edit) {
    VlanEntry office;
    office.nVid = 100;
    office.szName = "office";
    office.szEgressPorts = "1,2,3,4,5,6,7,8";
    edit.SetEditMode(28, {office}, 100, 2);
}

// In the child: VLAN 100 edited (port 1 left out), closed once the file `closeWhen` exists (the parent
// makes it when the all-ports write has reached the device); the main window instead when that file is
// named close-main.
void EditVlan100ThenClose(const QString& closeWhen) {
    CKSXVlanAdd edit;
    SetVlan100Edit(edit);
    test::RunModal(edit, [&edit, &closeWhen] {
        test::WaitUntil([&edit] { return edit.IsDlgItemEnabled(IDOK); }, 20000);
        qobject_cast<QAbstractButton*>(edit.GetDlgItem(IDC_VLANADD_NOT_MEMBER_BASE + 1))->click();
        qobject_cast<QAbstractButton*>(edit.GetDlgItem(IDOK))->click();
        test::WaitUntil([&closeWhen] { return QFile::exists(closeWhen); }, 30000);
        if (closeWhen.endsWith("close-main")) {
            theApp.GetMainWnd()->PostMessage(WM_CLOSE, 0, 0);
        } else {
            edit.close();
        }
    });
}

// In the child: a dialog D shown modal; once the control of the last action is available, the actions
// (a control's text, or a click where the text is empty) start its write, and the dialog is left to
// whatever ends it.
struct Act {
    int id;
    std::string text;
};
template <class D>
std::function<void()> Opened(std::vector<Act> acts, void (*setup)(D&) = nullptr) {
    return [acts, setup] {
        D dlg;
        if (setup != nullptr) {
            setup(dlg);
        }
        test::RunModal(dlg, [&] {
            test::WaitUntil([&] { return dlg.IsDlgItemEnabled(acts.back().id); }, 30000);
            for (const Act& act : acts) {
                QWidget* w = dlg.GetDlgItem(act.id);
                if (act.text.empty()) {
                    qobject_cast<QAbstractButton*>(w)->click();
                } else if (auto* ip = qobject_cast<CIPAddressCtrl*>(w)) {
                    ip->SetAddress(act.text);
                } else {
                    qobject_cast<QLineEdit*>(w)->setText(QString::fromStdString(act.text));
                }
            }
        });
    };
}

// A multi-step write of one dialog per family, as the sweep below ends it at each of its requests.
using Values = std::vector<std::pair<std::string, std::string>>;
struct Write {
    std::string name;
    int requests;  // distinct requests the write sends: sets (and gets, unless setsOnly) of `instance`
    std::function<void()> run;  // in the child: opens the dialog, starts the write
    std::string table;
    std::string instance;
    bool setsOnly;
    std::vector<test::SimVarBind> device;  // set on the switch before the start
    Values kept;         // objects that end as they were, or as the write confirmed them ("": never)
    std::string status;  // an add: its row's status, and what the row holds whenever it is active
    Values given;
};

const std::vector<Write>& Writes() {
    static const std::string stp = "1.3.6.1.4.1.7393.10.76.20.1.6.1";
    static const std::string users = "1.3.6.1.4.1.7393.10.76.20.1.23.3.1.1";
    static const std::string nurse = ".5.110.117.114.115.101";
    static const std::string camera = ".0.17.34.51.68.85";
    static const std::string arp = "1.3.6.1.4.1.7393.10.76.20.1.14.3.1.1";
    // clang-format off
    static const std::vector<Write> writes = {
        {"VlanEdit", 7, Opened<CKSXVlanAdd>({{IDC_VLANADD_NOT_MEMBER_BASE + 1, ""}, {IDOK, ""}}, SetVlan100Edit),
         kVlan, ".100", true,
         {{kVlan + ".2.100", "x", "ff00000000000000"}, {kVlan + ".3.100", "x", "0000100000000000"},
          {kVlan + ".4.100", "x", "0000000000000000"}},  // the lists as the module writes them
         {{kVlan + ".2.100", ""}, {kVlan + ".3.100", ""}, {kVlan + ".4.100", ""}, {kVlan + ".5.100", ""}}, "", {}},
        {"BridgeTimers", 6, Opened<CPrivateSpanTBridge>({{IDC_STPB_TX_HOLD, "4"}, {IDC_STPB_MAX_AGE, "30"},
             {IDC_STPB_FORWARD_DELAY, "20"}, {IDC_STPB_HELLO, "3"}, {IDOK, ""}}),
         stp, ".0", true, {},
         {{stp + ".15.0", "3000"}, {stp + ".16.0", "300"}, {stp + ".17.0", "2000"}}, "", {}},  // never the temporary ones
        {"Dot1xUserAdd", 4, Opened<C8021XUserDLG>({{IDC_D1XU_NAME, "nurse"}, {IDC_D1XU_PASSWORD, "ward7secret"},
             {IDC_D1XU_CONFIRM, "ward7secret"}, {IDC_D1XU_ADD, ""}}),
         users, nurse, false, {}, {}, users + ".3" + nurse, {{users + ".2" + nurse, "ward7secret"}}},
        {"ArpGatewayAdd", 5, Opened<CAddARPEntry>({{IDC_ARPA_ADDRESS, "10.0.0.9"}, {IDC_ARPA_MAC, "00-0A-0B-0C-0D-0E"},
             {IDC_ARPA_PORT_BASE + 3, ""}, {IDC_ARPA_APPLY, ""}}),
         arp + ".", ".10.0.0.9", false, {}, {}, arp + ".4.10.0.0.9",
         {{arp + ".2.10.0.0.9", "000a0b0c0d0e"}, {arp + ".3.10.0.0.9", "20000000"}}},
        {"SurveillanceAdd", 3, Opened<CCameraVlanSetting>({{IDC_SURV_DESCRIPTION, "gate"},
             {IDC_SURV_MAC, "00-11-22-33-44-55"}, {IDC_SURV_ADD, ""}}),
         camvlan::kRoot, camera, false, {{camvlan::kStateOid, "i", "1"}}, {}, camvlan::kDevStatusCol + camera,
         {{camvlan::kDevDescCol + camera, "gate"}}},
    };
    // clang-format on
    return writes;
}

// This program started again in the role of the module on `sim`; with `closeEdit` the child edits
// VLAN 100 (EditVlan100ThenClose), with `write` it starts that one of Writes(), instead of saving the
// configuration.
void StartModule(test::SimSwitch& sim, const test::TempUserIni& ini, QProcess& module,
                 const QString& closeEdit = {}, const QString& write = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("KSX_TRIPWIRE", "1");  // a broken rule ends the child with its own exit code
    env.insert(kChildPort, QString::number(sim.Port()));
    env.insert(kChildIni, QString::fromStdString(ini.Path()));
    env.remove("GTEST_TOTAL_SHARDS");  // the child test runs whichever shard the parent is
    env.remove("GTEST_SHARD_INDEX");
    if (!closeEdit.isEmpty()) {
        env.insert(kChildEdit, closeEdit);
    }
    if (!write.isEmpty()) {
        env.insert(kChildWrite, write);
    }
    module.setProcessEnvironment(env);
    module.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=Terminate.ChildRunsTheModule"});
    ASSERT_TRUE(module.waitForStarted(5000));
}

// The module's run as main() does it, with the save-configuration write started once the window is up.
TEST(Terminate, ChildRunsTheModule) {
    if (qEnvironmentVariableIsEmpty(kChildPort)) {
        GTEST_SKIP() << "run by SigtermEndsAWaitingWriteAndTheProcessWithinASecond";
    }
    const bool firstBox = qEnvironmentVariable(kChildWrite) == "FirstBox";
    test::ScriptedMessageBox boxes;  // "Do you want to save the configuration?" gets OK
    if (firstBox) {
        ui::InstallMessageBoxService();  // no parameters: a real box, which nobody answers
    }
    SetUserIniPath(qEnvironmentVariable(kChildIni).toStdString());
    ASSERT_TRUE(InstallTerminateHandling());
    theApp.SetCommandLine(firstBox ? ""
                                   : "/P0 /I127.0.0.1 /Rquaint /Wharbour /Vtrue /S1 /O" +
                                         qEnvironmentVariable(kChildPort).toStdString());
    QTimer start;
    QObject::connect(&start, &QTimer::timeout, [&start, firstBox] {
        if (firstBox && QApplication::activeModalWidget() != nullptr) {
            std::fputs("FIRST-BOX-UP\n", stderr);
        }
        CQuorviaModuleDlg* dlg = theApp.GetMainWnd();
        if (dlg != nullptr && dlg->isVisible()) {
            start.stop();
            const std::string write = qEnvironmentVariable(kChildWrite).toStdString();
            const auto& writes = Writes();
            const auto it =
                std::find_if(writes.begin(), writes.end(), [&](const Write& w) { return w.name == write; });
            if (it != writes.end()) {
                it->run();
            } else if (qEnvironmentVariableIsSet(kChildEdit)) {
                EditVlan100ThenClose(qEnvironmentVariable(kChildEdit));
            } else {
                dlg->DispatchCommand(IDM_SAVE_CONFIGURATION);  // waits up to 4 s for the silent device
            }
        }
    });
    start.start(10);
    theApp.InitInstance();
    RemoveTerminateHandling();
    ui::UninstallMessageBoxService();
    SetUserIniPath("");
}

TEST(Terminate, SigtermEndsAWaitingWriteAndTheProcessWithinASecond) {
    test::SimSwitch sim;
    const std::string name = "KSX-4200-28Z1 T" + std::to_string(QCoreApplication::applicationPid());
    test::TempUserIni ini(test::DeviceInfo(name, 28, test::PanelXml("28z1"), "N"));
    sim.Silence(true);

    QProcess module;
    ASSERT_NO_FATAL_FAILURE(StartModule(sim, ini, module));

    // The write went out and nothing answers it.
    ASSERT_TRUE(sim.WaitForRequests(
        [](const std::vector<test::SimRequest>& log) {
            for (const auto& r : log) {
                if (r.pdu == "set" && !r.varbinds.empty() && r.varbinds[0].oid == kSaveOid) {
                    return true;
                }
            }
            return false;
        },
        20000));

    QElapsedTimer clock;
    clock.start();
    module.terminate();  // SIGTERM
    ASSERT_TRUE(WaitUntil([&] { return module.state() == QProcess::NotRunning; }, 10000));
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(module.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(module.exitCode(), 0) << module.readAllStandardOutput().toStdString();
    QProcess boxed;
    ASSERT_NO_FATAL_FAILURE(StartModule(sim, ini, boxed, {}, "FirstBox"));
    QByteArray err;
    ASSERT_TRUE(WaitUntil([&] { return (err += boxed.readAllStandardError()).contains("FIRST-BOX-UP"); }));
    boxed.terminate();
    ASSERT_TRUE(WaitUntil([&] { return boxed.state() == QProcess::NotRunning; }, 1000));
    EXPECT_EQ(boxed.exitCode(), 0);
    EXPECT_TRUE((err + boxed.readAllStandardError()).contains("No parameter input !"));
}

// The module started on `sim` with VLAN 100's edit closed on a device answering 600 ms late once its
// all-ports write went out (`closeMain`: the main window closed instead); returns once the put-back's
// first request has reached the device.
void StartWithAPutBack(test::SimSwitch& sim, const test::TempUserIni& ini, QProcess& module,
                       bool closeMain = false) {
    const QString closeWhen =
        QString::fromStdString(ini.Folder()) + (closeMain ? "/close-main" : "/close-edit");
    QFile::remove(closeWhen);
    sim.DelayMs(600);
    ASSERT_NO_FATAL_FAILURE(StartModule(sim, ini, module, closeWhen));
    const auto set = [&sim](const std::string& value) {
        return sim.WaitForRequests(
            [&value](const auto& log) {
                const auto sets = test::SetLines(log, kVlan.size() + 1);
                return std::find(sets.begin(), sets.end(), "2.100=x:" + value) != sets.end();
            },
            30000);
    };
    ASSERT_TRUE(set("fffffff000000000"));
    ASSERT_TRUE(QFile(closeWhen).open(QIODevice::WriteOnly));
    ASSERT_TRUE(set("ff00000000000000"));
}

// VLAN 100 active with the lists it had before the edit.
void ExpectVlan100AsBefore(test::SimSwitch& sim) {
    EXPECT_EQ(sim.Get(kVlan + ".5.100"), "1");
    EXPECT_EQ(sim.Get(kVlan + ".2.100"), "ff00000000000000");
    EXPECT_EQ(sim.Get(kVlan + ".4.100"), "0000000000000000");
    EXPECT_EQ(sim.Get(kVlan + ".3.100"), "0000100000000000");
}

TEST(Terminate, SigtermWaitsForAPutBackAndASecondOneEndsAtOnce) {
    test::SimSwitch sim;
    const std::string name = "KSX-4200-28Z1 P" + std::to_string(QCoreApplication::applicationPid());
    test::TempUserIni ini(test::DeviceInfo(name, 28, test::PanelXml("28z1"), "N"));
    QProcess module;
    ASSERT_NO_FATAL_FAILURE(StartWithAPutBack(sim, ini, module));
    module.terminate();
    ASSERT_TRUE(WaitUntil([&] { return module.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(module.exitCode(), 0);
    EXPECT_NE(module.readAllStandardError().toStdString().find("VLAN 100 was put back as it was."),
              std::string::npos);
    ExpectVlan100AsBefore(sim);

    test::SimSwitch sim2;
    QProcess again;
    ASSERT_NO_FATAL_FAILURE(StartWithAPutBack(sim2, ini, again));
    again.terminate();
    QByteArray err;
    ASSERT_TRUE(WaitUntil([&] { return (err += again.readAllStandardError()).contains("Finishing"); }));
    QElapsedTimer clock;
    clock.start();
    again.terminate();
    ASSERT_TRUE(WaitUntil([&] { return again.state() == QProcess::NotRunning; }, 10000));
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(again.exitCode(), 128 + SIGTERM);
    EXPECT_EQ(sim2.Get(kVlan + ".5.100"), "2");  // the put-back was abandoned, as asked
}

TEST(Terminate, ClosingTheMainWindowStopsAnOpenEditAndWaitsForItsPutBack) {
    test::SimSwitch sim;
    test::TempUserIni ini(
        test::DeviceInfo("KSX-4200-28Z1 M" + std::to_string(QCoreApplication::applicationPid()), 28,
                         test::PanelXml("28z1"), "N"));
    QProcess module;
    ASSERT_NO_FATAL_FAILURE(StartWithAPutBack(sim, ini, module, true));
    ASSERT_TRUE(WaitUntil([&] { return module.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(module.exitCode(), 0);
    ExpectVlan100AsBefore(sim);
}

// SIGTERM at request `at` of a write, on a device answering 600 ms late: the step in flight ends as a
// stop, the write's own put-back or removal follows before the process ends, what it did is on
// standard error, and the device ends as before the write (an add's row, when active, holds all that
// was given).
struct Point {
    const Write* write;
    int at;
};

std::vector<Point> Points() {
    std::vector<Point> points;
    for (const Write& w : Writes()) {
        for (int at = 1; at <= w.requests; ++at) {
            points.push_back({&w, at});
        }
    }
    return points;
}

class TerminateWrite : public testing::TestWithParam<Point> {};

TEST_P(TerminateWrite, EndsAsAStopAndLeavesTheDeviceAsBeforeTheWrite) {
    const Write& w = *GetParam().write;
    const int at = GetParam().at;
    test::SimSwitch sim;
    for (const test::SimVarBind& vb : w.device) {
        sim.Set(vb.oid, vb.type, vb.value);
    }
    std::vector<std::string> before;
    for (const auto& kept : w.kept) {
        before.push_back(sim.Get(kept.first));
    }
    const std::string name = "KSX-4200-28Z1 " + w.name + std::to_string(QCoreApplication::applicationPid());
    test::TempUserIni ini(test::DeviceInfo(name, 28, test::PanelXml("28z1"), "N"));
    sim.DelayMs(600);
    QProcess module;
    ASSERT_NO_FATAL_FAILURE(StartModule(sim, ini, module, {}, QString::fromStdString(w.name)));
    const auto sent = [&] {
        const auto log = sim.DistinctRequests();
        return std::count_if(log.begin(), log.end(), [&w](const test::SimRequest& r) {
            const test::SimVarBind& vb = r.varbinds.front();
            return (r.pdu == "set" || (r.pdu == "get" && !w.setsOnly)) && vb.oid.rfind(w.table, 0) == 0 &&
                   vb.oid.ends_with(w.instance);
        });
    };
    ASSERT_TRUE(WaitUntil([&] { return sent() >= at; }, 60000)) << sent();
    module.terminate();
    ASSERT_TRUE(WaitUntil([&] { return module.state() == QProcess::NotRunning; }, 30000));
    const std::string err = module.readAllStandardError().toStdString();
    EXPECT_EQ(module.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(module.exitCode(), 0) << err;
    EXPECT_NE(err.find("Stopped"), std::string::npos) << err;
    sim.DelayMs(0);
    for (size_t i = 0; i < w.kept.size(); ++i) {
        const std::string now = sim.Get(w.kept[i].first);
        const std::string& confirmed = w.kept[i].second;
        EXPECT_TRUE(now == before[i] || (!confirmed.empty() && now == confirmed))
            << w.kept[i].first << " " << now;
    }
    if (!w.status.empty() && sim.Get(w.status) == "1") {
        for (const auto& [oid, value] : w.given) {
            EXPECT_EQ(sim.Get(oid), value) << oid << "\n" << err;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Writes, TerminateWrite, testing::ValuesIn(Points()),
                         [](const testing::TestParamInfo<Point>& p) {
                             return p.param.write->name + "At" + std::to_string(p.param.at);
                         });

}  // namespace
