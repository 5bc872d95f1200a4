// Pictures of the transfer dialog, idle and during a transfer, for looking at: written to
// <build>/screenshots/port_system.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QImage>

#include "controls/GradientProgressCtrl.h"
#include "features/port_system/FirmDownLoad.h"
#include "platform/sys/Globals.h"
#include "res/ids_firmware.h"
#include "tests/features/port_system/FirmTiming.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;

std::string ShotPath(const char* name) {
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/port_system";
    QDir().mkpath(dir);
    return (dir + "/" + name).toStdString();
}

void Save(QWidget* w, const char* name) {
    test::PumpEvents();
    const std::string path = ShotPath(name);
    ASSERT_TRUE(test::GrabScreenshot(w, path));
    EXPECT_FALSE(QImage(QString::fromStdString(path)).isNull());
}

TEST(FirmDownLoadScreenshots, IdleAndTransferring) {
    test::SimSwitch::Options options;
    options.extraArgs = {"--transfer-ms", "3600000"};
    test::SimSwitch sim(options);
    test::UseSimV1(sim);
    test::FirmTimes timing;
    timing.firmwareFirstPollMs = 100;
    timing.progressFirstMs = 10;
    timing.progressNextMs = 10;
    test::FirmTiming fast(timing);
    test::ScriptedMessageBox boxes;
    {
        CFirmDownLoad dlg;
        test::DialogDriver drv(dlg);
        Save(&dlg, "firmware_transfer_idle.png");

        ASSERT_TRUE(drv.Type(IDC_FIRM_SERVER_IP, "fe80::21e:94ff:fe4c:2000%eth0"));
        ASSERT_TRUE(drv.Type(IDC_FIRM_FILE_NAME, "ksx-4200-28z1_v4.00.012.bin"));
        ASSERT_TRUE(drv.Select(IDC_FIRM_FILETYPE, 1));
        boxes.Answer(IDOK);
        ASSERT_TRUE(drv.Click(IDC_FIRM_APPLY));
        ASSERT_TRUE(test::WaitUntil([&] { return dlg.ProgressTimes() >= 45; }));
        Save(&dlg, "firmware_transfer_running.png");
        EXPECT_TRUE(dlg.IsBusy());
        EXPECT_EQ(boxes.Count(), 1u);
        dlg.DestroyWindow();
    }
    ResetConnectionSettings();
}

}  // namespace
