// SIGTERM while the main window waits on a synchronous write to a device that has gone silent: every
// waiting request ends at once and the process ends within a second. SIGTERM while a VLAN edit closed on
// a slow device is put back: the put-back ends first, its end on standard error; a second SIGTERM ends
// at once. The module is this test program started again in the role of the module (the child test
// below): the real start-up, main window and signal handling, with boxes answered by script.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <string>

#include "app/QuorviaModuleApp.h"
#include "app/QuorviaModuleDlg.h"
#include "app/Terminate.h"
#include "features/vlan/KSXVlanAdd.h"
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

// In the child: VLAN 100 edited (port 1 left out), closed once the file `closeWhen` exists (the parent
// makes it when the all-ports write has reached the device).
void EditVlan100ThenClose(const QString& closeWhen) {
    CKSXVlanAdd edit;
    VlanEntry office;
    office.nVid = 100;
    office.szName = "office";
    office.szEgressPorts = "1,2,3,4,5,6,7,8";
    edit.SetEditMode(28, {office}, 100, 2);
    test::RunModal(edit, [&edit, &closeWhen] {
        test::WaitUntil([&edit] { return edit.IsDlgItemEnabled(IDOK); }, 20000);
        qobject_cast<QAbstractButton*>(edit.GetDlgItem(IDC_VLANADD_NOT_MEMBER_BASE + 1))->click();
        qobject_cast<QAbstractButton*>(edit.GetDlgItem(IDOK))->click();
        test::WaitUntil([&closeWhen] { return QFile::exists(closeWhen); }, 30000);
        edit.close();
    });
}

// This program started again in the role of the module on `sim`; with `closeEdit` the child edits
// VLAN 100 (EditVlan100ThenClose) instead of saving the configuration.
void StartModule(test::SimSwitch& sim, const test::TempUserIni& ini, QProcess& module,
                 const QString& closeEdit = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert(kChildPort, QString::number(sim.Port()));
    env.insert(kChildIni, QString::fromStdString(ini.Path()));
    if (!closeEdit.isEmpty()) {
        env.insert(kChildEdit, closeEdit);
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
    test::ScriptedMessageBox boxes;  // "Do you want to save the configuration?" gets OK
    SetUserIniPath(qEnvironmentVariable(kChildIni).toStdString());
    ASSERT_TRUE(InstallTerminateHandling());
    theApp.SetCommandLine("/P0 /I127.0.0.1 /Rquaint /Wharbour /Vtrue /S1 /O" +
                          qEnvironmentVariable(kChildPort).toStdString());
    QTimer start;
    QObject::connect(&start, &QTimer::timeout, [&start] {
        CQuorviaModuleDlg* dlg = theApp.GetMainWnd();
        if (dlg != nullptr && dlg->isVisible()) {
            start.stop();
            if (qEnvironmentVariableIsSet(kChildEdit)) {
                EditVlan100ThenClose(qEnvironmentVariable(kChildEdit));
            } else {
                dlg->DispatchCommand(IDM_SAVE_CONFIGURATION);  // waits up to 4 s for the silent device
            }
        }
    });
    start.start(10);
    theApp.InitInstance();
    RemoveTerminateHandling();
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
}

// The module started on `sim` with VLAN 100's edit closed on a device answering 600 ms late once its
// all-ports write went out; returns once the put-back's first request has reached the device.
void StartWithAPutBack(test::SimSwitch& sim, const test::TempUserIni& ini, QProcess& module) {
    const QString closeWhen = QString::fromStdString(ini.Folder()) + "/close-edit";
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
    EXPECT_EQ(sim.Get(kVlan + ".5.100"), "1");
    EXPECT_EQ(sim.Get(kVlan + ".2.100"), "ff00000000000000");
    EXPECT_EQ(sim.Get(kVlan + ".4.100"), "0000000000000000");
    EXPECT_EQ(sim.Get(kVlan + ".3.100"), "0000100000000000");

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

}  // namespace
