// Pictures of the management VLAN and surveillance VLAN dialogs after their first read, for looking at:
// written to <build>/screenshots/vlan.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <functional>

#include "features/vlan/CameraVLANOUISetting.h"
#include "features/vlan/CameraVlanPortSetting.h"
#include "features/vlan/CameraVlanSetting.h"
#include "features/vlan/ManagVlanSetDlg.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;

void Save(QWidget* w, const char* name) {
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/vlan";
    QDir().mkpath(dir);
    test::PumpEvents();
    const std::string path = (dir + "/" + name).toStdString();
    ASSERT_TRUE(test::GrabScreenshot(w, path));
    EXPECT_FALSE(QImage(QString::fromStdString(path)).isNull());
}

class Screenshots : public test::SharedSimTest {
protected:
    test::ScriptedMessageBox boxes;
};

TEST_F(Screenshots, DialogsAfterTheirFirstRead) {
    {
        CManagVlanSetDlg dlg;
        test::DialogDriver drv(dlg);
        ASSERT_TRUE(test::WaitUntil([&] { return dlg.WalksEnded() >= 1; }));
        Save(&dlg, "management_vlan.png");
    }
    {
        s_sim->Set("1.3.6.1.4.1.7393.10.76.20.1.26.1.1.0", "i", "1");
        CCameraVlanSetting dlg;
        test::DialogDriver drv(dlg);
        ASSERT_TRUE(test::WaitUntil([&] { return dlg.RefreshesEnded() >= 1 && !dlg.ReadsRunning(); }));
        Save(&dlg, "surveillance_vlan.png");
    }
    {
        CCameraVLANOUISetting dlg;
        test::DialogDriver drv(dlg);
        ASSERT_TRUE(test::WaitUntil([&] { return dlg.WalksEnded() >= 1; }));
        Save(&dlg, "surveillance_oui.png");
    }
    {
        CCameraVlanPortSetting dlg;
        dlg.m_strVlanId = "30";
        dlg.m_strState = "1";
        test::DialogDriver drv(dlg);
        ASSERT_TRUE(test::WaitUntil([&] { return dlg.WalksEnded() >= 1; }));
        Save(&dlg, "surveillance_ports.png");
    }
    EXPECT_TRUE(boxes.Texts().empty());
}

}  // namespace
