// DHCP information dialog over the SNMP class library, against the simulated switch: the one read of
// three scalars and how each is shown, the hidden Apply that sends no unchecked text, other versions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "features/security/DHCPInfoDlg.h"
#include "platform/sys/Globals.h"
#include "res/ids_rmon1.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using ksx::test::DialogDriver;
using ksx::test::WaitUntil;

const std::string kL = "1.3.6.1.4.1.7393.10.94.89.89";

class DHCPInfo : public test::SharedSimTest {
protected:
    test::ScriptedMessageBox boxes;
};

TEST_F(DHCPInfo, ShowsTheVersionAndWhetherRelayAndServerExist) {
    CDHCPInfoDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return dlg.HasRead(); }));
    EXPECT_EQ(dlg.GetWindowText(), "DHCP Information");
    EXPECT_EQ(test::Describe(s_sim->Requests()),
              std::vector<std::string>{"get quaint " + kL + ".38.14.0|n| " + kL + ".38.26.0|n| " + kL +
                                       ".38.31.0|n|"});
    EXPECT_EQ(dlg.GetDlgItemText(IDC_DHCPINFO_MIB_VERSION), "3");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_DHCPINFO_RELAY), "Yes");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_DHCPINFO_SERVER), "No");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_DHCPINFO_RELAY));
    EXPECT_FALSE(drv.Item(IDC_DHCPINFO_APPLY)->isVisible());
    // Only "2" means no.
    for (const char* v : {"0", "1", "7"}) {
        EXPECT_EQ(CDHCPInfoDlg::ExistsText(v), "Yes");
    }
    EXPECT_EQ(CDHCPInfoDlg::ExistsText(""), "Yes");
    EXPECT_EQ(CDHCPInfoDlg::ExistsText("2"), "No");
    // Refresh (also Enter) reads again.
    s_sim->Set(kL + ".38.31.0", "i", "1");
    drv.PressEnter();
    ASSERT_TRUE(WaitUntil([&] { return dlg.GetDlgItemText(IDC_DHCPINFO_SERVER) == "Yes"; }));
    EXPECT_FALSE(drv.Ended());
}

TEST_F(DHCPInfo, HiddenApplySendsNoTextThatIsNotANumber) {
    CDHCPInfoDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return dlg.HasRead(); }));
    s_sim->ClearLog();
    // What the edits show ("3", "Yes", "No", empty) is no set of integers: nothing goes out.
    dlg.DispatchCommand(IDC_DHCPINFO_APPLY);
    EXPECT_TRUE(s_sim->Requests().empty());
    EXPECT_FALSE(drv.Ended());
    // Four whole numbers are written as integers to the four control objects, in order.
    dlg.SetDlgItemText(IDC_DHCPINFO_RELAY, "4");
    dlg.SetDlgItemText(IDC_DHCPINFO_SERVER, "16");
    dlg.SetDlgItemText(IDC_DHCPINFO_HIDDEN_EDIT, "2");
    dlg.Apply();
    EXPECT_EQ(test::Describe(s_sim->Requests()),
              std::vector<std::string>{"set harbour " + kL + ".49.2.0|i|4 " + kL + ".49.6.0|i|3 " + kL +
                                       ".49.7.0|i|16 " + kL + ".49.8.0|i|2"});
}

TEST_F(DHCPInfo, FailedOrShortRepliesLeaveTheFieldsAsTheyWere) {
    s_sim->Command("unset " + kL + ".38.31.0");
    CDHCPInfoDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(s_sim->WaitForRequests([](const auto& log) { return !log.empty(); }));
    EXPECT_FALSE(WaitUntil([&] { return dlg.HasRead(); }, 500));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_DHCPINFO_RELAY), "");
}

TEST_F(DHCPInfo, OtherSnmpVersionsDoNothing) {
    test::UseSimV3(*s_sim, "1", "noauthuser", "1", "", "1", "");
    CDHCPInfoDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(drv.Click(IDC_DHCPINFO_REFRESH));
    dlg.SetDlgItemText(IDC_DHCPINFO_RELAY, "1");
    dlg.SetDlgItemText(IDC_DHCPINFO_MIB_VERSION, "1");
    dlg.SetDlgItemText(IDC_DHCPINFO_SERVER, "1");
    dlg.SetDlgItemText(IDC_DHCPINFO_HIDDEN_EDIT, "1");
    dlg.Apply();
    test::PumpEvents();
    EXPECT_TRUE(s_sim->Requests().empty());
}

}  // namespace
