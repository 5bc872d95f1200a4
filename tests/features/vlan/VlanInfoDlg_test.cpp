// VLAN information view over the SNMP class library against the simulated switch: the one request of
// nine objects and how each is shown, the send-unknown write of the hidden Apply, other SNMP versions.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <string>
#include <vector>

#include "features/vlan/VlanInfoDlg.h"
#include "platform/sys/Globals.h"
#include "res/ids_gvrp.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using ksx::test::DialogDriver;
using ksx::test::WaitUntil;

const std::string kR = "1.3.6.1.4.1.7393.10.94.89.89";

class VlanInfo : public test::SharedSimTest {
protected:
    test::ScriptedMessageBox boxes;
};

TEST_F(VlanInfo, ShowsTheNineValues) {
    CVlanInfoDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return dlg.HasRead(); }));
    EXPECT_EQ(dlg.GetWindowText(), "VLAN Configuration");
    std::string expected = "get quaint";
    for (const char* leaf : {"1", "2", "27", "29", "31", "32", "35", "36", "38"}) {
        expected += " " + kR + ".48." + leaf + ".0|n|";
    }
    EXPECT_EQ(test::Describe(s_sim->Requests()), std::vector<std::string>{expected});
    EXPECT_EQ(dlg.GetDlgItemText(IDC_VINFO_MIB_VERSION), "2");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_VINFO_MAX_TABLE), "256");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_VINFO_DEFAULT_SUPPORTED), "Yes");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_VINFO_DOT1V_SUPPORTED), "No");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_VINFO_EDGE_SUPPORTED), "Yes");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_VINFO_EDGE_VERSION), "3");
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_VINFO_SEND_UNKNOWN), 1);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_VINFO_DEFAULT_ENABLED), 1);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_VINFO_DYNAMIC_SUPPORTED), 0);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_VINFO_SEND_UNKNOWN));
    EXPECT_FALSE(drv.Item(IDC_VINFO_APPLY)->isVisible());
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/vlan";
    QDir().mkpath(dir);
    test::PumpEvents();
    EXPECT_TRUE(test::GrabScreenshot(&dlg, (dir + "/vlan_info.png").toStdString()));
}

TEST_F(VlanInfo, HiddenApplyWritesTheSendUnknownSwitchOnlyOverARead) {
    {
        // Nothing read yet: the box shows nothing of the device's, so nothing is written.
        s_sim->Silence(true);
        CVlanInfoDlg dlg;
        DialogDriver drv(dlg);
        dlg.DispatchCommand(IDC_VINFO_APPLY);
        s_sim->Silence(false);
        EXPECT_TRUE(test::Sets(s_sim->Requests()).empty());
    }
    s_sim->Set(kR + ".48.27.0", "i", "2");
    CVlanInfoDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return dlg.HasRead(); }));
    s_sim->ClearLog();
    dlg.DispatchCommand(IDC_VINFO_APPLY);
    EXPECT_EQ(test::Describe(s_sim->Requests()),
              std::vector<std::string>{"set harbour " + kR + ".48.27.0|i|2"});
    EXPECT_FALSE(drv.Ended());
}

// A send-unknown state of another type is no read: said, and nothing written back; a refused write is
// said and the values read again.
TEST_F(VlanInfo, AStateNotReadIsSaidAndARefusedWriteToo) {
    s_sim->Set(kR + ".48.27.0", "s", "zz");
    {
        CVlanInfoDlg dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(boxes.WaitForCount(1));
        EXPECT_EQ(boxes.LastText(), "Failed to read the VLAN information.");
        EXPECT_FALSE(dlg.HasRead());
        s_sim->ClearLog();
        dlg.DispatchCommand(IDC_VINFO_APPLY);
        EXPECT_TRUE(test::Sets(s_sim->Requests()).empty());
    }
    boxes.Clear();
    s_sim->Set(kR + ".48.27.0", "i", "1");
    CVlanInfoDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return dlg.HasRead(); }));
    s_sim->ErrorStatus(kR + ".48.27.0", 3);
    dlg.DispatchCommand(IDC_VINFO_APPLY);
    s_sim->ErrorStatus(kR + ".48.27.0", 0);
    ASSERT_GE(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Texts()[0],
              "The device did not accept the VLAN information setting. The settings it holds are shown.");
}

TEST_F(VlanInfo, OtherSnmpVersionsDoNothing) {
    test::UseSimV3(*s_sim, "1", "noauthuser", "1", "", "1", "");
    CVlanInfoDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(drv.Click(IDC_VINFO_REFRESH));
    dlg.WriteSendUnknown();
    test::PumpEvents();
    EXPECT_TRUE(s_sim->Requests().empty());
    EXPECT_EQ(dlg.GetDlgItemText(IDC_VINFO_MIB_VERSION), "");
}

}  // namespace
