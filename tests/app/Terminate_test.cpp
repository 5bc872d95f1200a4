// SIGTERM while the main window waits on a synchronous write to a device that has gone silent: every
// waiting request ends at once and the process ends within a second. The module is this test program
// started again in the role of the module (the child test below): the real start-up, main window and
// signal handling, with the confirmation box answered by script.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <string>

#include "app/QuorviaModuleApp.h"
#include "app/QuorviaModuleDlg.h"
#include "app/Terminate.h"
#include "res/resource.h"
#include "tests/app/ShellTestUtil.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::WaitUntil;

const std::string kSaveOid = "1.3.6.1.4.1.7393.10.76.20.1.1.10.0";
constexpr char kChildPort[] = "KSX_TERMINATE_CHILD_PORT";
constexpr char kChildIni[] = "KSX_TERMINATE_CHILD_INI";

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
            dlg->DispatchCommand(IDM_SAVE_CONFIGURATION);  // waits up to 4 s for the silent device
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
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert(kChildPort, QString::number(sim.Port()));
    env.insert(kChildIni, QString::fromStdString(ini.Path()));
    module.setProcessEnvironment(env);
    module.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=Terminate.ChildRunsTheModule"});
    ASSERT_TRUE(module.waitForStarted(5000));

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

}  // namespace
