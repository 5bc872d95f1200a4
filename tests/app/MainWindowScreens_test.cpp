// Pictures of the main window with live states from the simulated switch, for looking at: written to
// <build>/screenshots/app (the 28Z1 one is docs/main-window.png of the repository).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <string>

#include "app/QuorviaModuleDlg.h"
#include "app/VirtualDev.h"
#include "platform/sys/Globals.h"
#include "tests/app/ShellTestUtil.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;

std::string ShotPath(const std::string& name) {
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/app";
    QDir().mkpath(dir);
    return (dir + "/" + QString::fromStdString(name)).toStdString();
}

void Shoot(const std::string& model, const std::string& name, int ports, bool poeDisplay) {
    test::ScriptedMessageBox boxes;
    boxes.FailOnUnexpected();
    test::FastPolling pace;
    test::SimSwitch::Options options;
    options.profile = "ksx-4200-" + model;
    test::SimSwitch sim(options);
    ResetConnectionSettings();
    test::UseSimV1(sim);
    if (poeDisplay) {
        sim.Set("1.3.6.1.4.1.7393.10.76.20.1.22.8.0", "i", "2");
    }
    test::TempUserIni ini(test::DeviceInfo(name, ports, test::PanelXml(model)));
    CQuorviaModuleDlg dlg;
    test::DialogDriver driver(dlg);
    ASSERT_TRUE(test::WaitUntil([&] { return dlg.HasLiveStates(); }, 8000));
    if (poeDisplay) {
        ASSERT_TRUE(test::WaitUntil([&] { return dlg.LinkLedMode() == 0; }, 8000));
    }
    const std::string suffix = poeDisplay ? "-poe" : "";
    // Both lamp phases: lamps of code 1 show in phase 0, of code 0 in phase 1.
    for (unsigned char phase : {0, 1}) {
        g_bBlinkPhase = phase;
        const std::string path =
            ShotPath("main-" + model + suffix + "-phase" + std::to_string(phase) + ".png");
        ASSERT_TRUE(test::GrabScreenshot(&dlg, path));
        const QImage image(QString::fromStdString(path));
        EXPECT_FALSE(image.isNull());
    }
    // The panel itself, as painted, is the size of the panel's rectangle.
    const QImage client = dlg.RenderClient();
    EXPECT_EQ(client.width(), dlg.GetDevModule().GetRect().Width());
    client.save(QString::fromStdString(ShotPath("panel-" + model + suffix + ".png")));
    ResetConnectionSettings();
}

TEST(MainWindowScreens, Ksx4200_28Z1) {
    Shoot("28z1", "KSX-4200-28Z1", 28, false);
}

TEST(MainWindowScreens, Ksx4200_28P) {
    Shoot("28p", "KSX-4200-28P", 28, false);
    Shoot("28p", "KSX-4200-28P", 28, true);
}

TEST(MainWindowScreens, Ksx4200_52) {
    Shoot("52", "KSX-4200-52", 52, false);
}

}  // namespace
