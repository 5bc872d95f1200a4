// Trunk information view over the SNMP class library against the simulated switch: the one request and
// the values shown, the creation-support text, the hidden Apply writing nothing, other SNMP versions.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <string>
#include <vector>

#include "features/layer2/TrunkInfoDlg.h"
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

class TrunkInfo : public test::SharedSimTest {
protected:
    test::ScriptedMessageBox boxes;
};

TEST_F(TrunkInfo, ShowsTheFourValuesOfOneRequest) {
    CTrunkInfoDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return !dlg.GetDlgItemText(IDC_TINFO_CREATION).empty(); }));
    EXPECT_EQ(dlg.GetWindowText(), "Trunk Information");
    EXPECT_EQ(test::Describe(s_sim->Requests()),
              std::vector<std::string>{"get quaint " + kR + ".65.1.0|n| " + kR + ".65.3.0|n| " + kR +
                                       ".65.4.0|n| " + kR + ".65.5.0|n|"});
    EXPECT_EQ(dlg.GetDlgItemText(IDC_TINFO_MIB_VERSION), "1");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_TINFO_NUM_TRUNKS), "8");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_TINFO_MAX_PORTS), "8");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_TINFO_CREATION), "supportsTrunkOrLacp");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_TINFO_NUM_TRUNKS));
    EXPECT_FALSE(drv.Item(IDC_TINFO_APPLY)->isVisible());
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/layer2";
    QDir().mkpath(dir);
    test::PumpEvents();
    EXPECT_TRUE(test::GrabScreenshot(&dlg, (dir + "/trunk_info.png").toStdString()));

    s_sim->Set(kR + ".65.5.0", "i", "0");
    ASSERT_TRUE(drv.Click(IDC_TINFO_REFRESH));
    ASSERT_TRUE(WaitUntil([&] { return dlg.GetDlgItemText(IDC_TINFO_CREATION) == "notSupported"; }));
}

TEST_F(TrunkInfo, CreationSupportText) {
    EXPECT_EQ(CTrunkInfoDlg::CreationSupportText("0"), "notSupported");
    EXPECT_EQ(CTrunkInfoDlg::CreationSupportText("1"), "supportsTrunkOrLacp");
    EXPECT_EQ(CTrunkInfoDlg::CreationSupportText("2"), "supportsTrunkOrLacp");
}

TEST_F(TrunkInfo, HiddenApplyWritesNothingAndKeepsTheDialogOpen) {
    CTrunkInfoDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return !dlg.GetDlgItemText(IDC_TINFO_CREATION).empty(); }));
    s_sim->ClearLog();
    dlg.DispatchCommand(IDC_TINFO_APPLY);
    dlg.DispatchCommand(IDOK);
    test::PumpEvents();
    EXPECT_TRUE(s_sim->Requests().empty());
    EXPECT_FALSE(drv.Ended());
    EXPECT_EQ(s_sim->Get(kR + ".49.2.0"), "8");
    ASSERT_TRUE(drv.Click(IDC_TINFO_CLOSE));
    ASSERT_TRUE(drv.WaitEnded());
}

TEST_F(TrunkInfo, OtherSnmpVersionsStayEmpty) {
    test::UseSimV3(*s_sim, "1", "noauthuser", "1", "", "1", "");
    CTrunkInfoDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(drv.Click(IDC_TINFO_REFRESH));
    test::PumpEvents();
    EXPECT_TRUE(s_sim->Requests().empty());
    EXPECT_EQ(dlg.GetDlgItemText(IDC_TINFO_MIB_VERSION), "");
}

TEST_F(TrunkInfo, ClosingWhileTheReplyIsOnItsWay) {
    s_sim->DelayMs(200);
    for (int i = 0; i < 3; ++i) {
        CTrunkInfoDlg dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(drv.Click(IDC_TINFO_CLOSE));
        ASSERT_TRUE(drv.WaitEnded());
    }
}

}  // namespace
