// One instance per device: a later start for the same device name and address tells the running
// instance to come to the front and ends at once; another address is another instance.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <fstream>
#include <string>

#include "app/InstanceGuard.h"
#include "app/QuorviaModuleApp.h"
#include "platform/ui/Text.h"
#include "tests/app/ShellTestUtil.h"
#include "tests/support/ui/DialogDriver.h"

namespace {

using ksx::CInstanceGuard;
using ksx::test::WaitUntil;

std::string UniqueName(const std::string& address) {
    return ksx::InstanceName("KSX-4200-28Z1",
                             address + "-" + std::to_string(QCoreApplication::applicationPid()));
}

TEST(ShellInstance, InstanceNameJoinsNameAndAddressWithoutSeparator) {
    EXPECT_EQ(ksx::InstanceName("KSX-4200-28Z1", "192.168.0.1"), "Module:KSX-4200-28Z1192.168.0.1");
    EXPECT_EQ(ksx::InstanceName("", "192.168.0.1"), "Module:192.168.0.1");
    EXPECT_EQ(ksx::RegisterWindowMessage("Module:a"), ksx::RegisterWindowMessage("Module:a"));
    EXPECT_NE(ksx::RegisterWindowMessage("Module:a"), ksx::RegisterWindowMessage("Module:b"));
    EXPECT_GE(ksx::RegisterWindowMessage("Module:a"), 0xC000u);
}

TEST(ShellInstance, SocketNamesAreSafeAndKeepNamesApart) {
    const std::string a = CInstanceGuard::SocketName("Module:KSX-4200-28Z1192.168.0.1");
    EXPECT_EQ(a.find_first_of(":/ \\"), std::string::npos);
    EXPECT_NE(a, CInstanceGuard::SocketName("Module_KSX-4200-28Z1192.168.0.1"));
    EXPECT_NE(a, CInstanceGuard::SocketName("Module:KSX-4200-28Z1192.168.0.2"));
    const std::string longName =
        CInstanceGuard::SocketName("Module:" + std::string(500, 'x') + "fe80::1%eth0");
    EXPECT_LT(longName.size(), 100u);
}

TEST(ShellInstance, SecondGuardForTheSameDeviceRaisesTheFirst) {
    const std::string name = UniqueName("10.1.1.1");
    CInstanceGuard first(name);
    ASSERT_TRUE(first.Acquire());
    int raised = 0;
    first.SetOnRaise([&] { ++raised; });

    CInstanceGuard second(name);
    EXPECT_FALSE(second.Acquire());
    EXPECT_TRUE(second.NotifyRunning(3000));
    EXPECT_TRUE(WaitUntil([&] { return raised == 1; }, 20000));

    // Another address is another device.
    CInstanceGuard other(UniqueName("10.1.1.2"));
    EXPECT_TRUE(other.Acquire());
    EXPECT_EQ(raised, 1);
}

TEST(ShellInstance, LockIsFreeAgainOnceTheInstanceEnds) {
    const std::string name = UniqueName("10.1.1.3");
    {
        CInstanceGuard first(name);
        ASSERT_TRUE(first.Acquire());
    }
    CInstanceGuard next(name);
    EXPECT_TRUE(next.Acquire());
    // Nobody listens for a name never taken.
    CInstanceGuard lonely(UniqueName("10.1.1.4"));
    EXPECT_FALSE(lonely.NotifyRunning(200));
}

// The module itself, started for a device this test already manages: it ends at once without a
// window, and the running instance (this test) is asked to come to the front.
TEST(ShellInstance, SecondStartOfTheModuleEndsAtOnceAndRaisesTheFirst) {
    const QString module = QCoreApplication::applicationDirPath() + "/ksx-module";
    if (!QFile::exists(module)) {
        GTEST_SKIP() << "ksx-module is not built";
    }
    // A copy of the module with its own User.ini beside it.
    QTemporaryDir dir;
    const QString copy = dir.path() + "/ksx-module";
    ASSERT_TRUE(QFile::copy(module, copy));
    QFile::setPermissions(copy, QFile::permissions(module));
    std::ofstream(dir.path().toStdString() + "/User.ini") << "[DeviceInfo]\nDeviceName=KSX-4200-28Z1\n";

    const std::string address = "127.0.0." + std::to_string(2 + QCoreApplication::applicationPid() % 200);
    CInstanceGuard first(ksx::InstanceName("KSX-4200-28Z1", address));
    ASSERT_TRUE(first.Acquire());
    int raised = 0;
    first.SetOnRaise([&] { ++raised; });

    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("KSX_TRIPWIRE", "1");  // a broken rule ends the program with its own exit code
    second.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    second.start(copy, {"/P0", ksx::ui::ToQ("/I" + address)});
    ASSERT_TRUE(second.waitForStarted(5000));
    ASSERT_TRUE(WaitUntil([&] { return second.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(WaitUntil([&] { return raised == 1; }, 20000));
}

// A start whose User.ini could not be read leaves a window that manages nothing: it gives the device
// up, so the start after User.ini was corrected runs instead of only raising the broken window.
TEST(ShellInstance, StartThatCouldNotLoadItsSettingsLetsACorrectedStartRun) {
    const QString module = QCoreApplication::applicationDirPath() + "/ksx-module";
    if (!QFile::exists(module)) {
        GTEST_SKIP() << "ksx-module is not built";
    }
    QTemporaryDir dir;
    const QString copy = dir.path() + "/ksx-module";
    ASSERT_TRUE(QFile::copy(module, copy));
    QFile::setPermissions(copy, QFile::permissions(module));
    const std::string userIni = dir.path().toStdString() + "/User.ini";
    std::ofstream(userIni) << "[DeviceInfo]\nDeviceName=KSX-4200-28Z1\n";  // no panel named

    const std::string address = "127.0.1." + std::to_string(2 + QCoreApplication::applicationPid() % 200);
    const std::string name = ksx::InstanceName("KSX-4200-28Z1", address);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("KSX_TRIPWIRE", "1");  // a broken rule ends the program with its own exit code
    const QStringList args{"/P0", ksx::ui::ToQ("/I" + address)};

    QProcess broken;
    broken.setProcessEnvironment(env);
    broken.start(copy, args);
    ASSERT_TRUE(broken.waitForStarted(5000));
    // It says "Read User.ini Error !" and stays up, and the device is free again.
    CInstanceGuard probe(name);
    EXPECT_TRUE(WaitUntil([&] { return probe.Acquire(); }, 10000));
    EXPECT_EQ(broken.state(), QProcess::Running);
    probe.Release();

    std::ofstream(userIni) << ksx::test::DeviceInfo("KSX-4200-28Z1", 28, ksx::test::PanelXml("28z1"), "N");
    QProcess corrected;
    corrected.setProcessEnvironment(env);
    corrected.start(copy, args);
    ASSERT_TRUE(corrected.waitForStarted(5000));
    // The corrected start holds the device and listens for later starts.
    EXPECT_TRUE(WaitUntil(
        [&] { return corrected.state() == QProcess::Running && CInstanceGuard(name).NotifyRunning(200); },
        10000));
    EXPECT_EQ(corrected.state(), QProcess::Running);

    for (QProcess* p : {&corrected, &broken}) {
        p->terminate();
        EXPECT_TRUE(WaitUntil([&] { return p->state() == QProcess::NotRunning; }, 10000));
    }
}

}  // namespace
