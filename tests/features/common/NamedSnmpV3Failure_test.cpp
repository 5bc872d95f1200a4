// Settings dialogs over SNMPv3 with a user the simulated switch refuses (a wrong authentication
// password): the failure is named once per window, in the box that says what was not read, or in a box
// of its own where the dialog says nothing of a failed read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "features/port_system/JumboFrameconfigdlg.h"
#include "features/port_system/PortDescription.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "res/ids_port_small.h"
#include "tests/features/DialogTest.h"

namespace {

using namespace ksx;
using namespace ksx::dialogtest;

const std::string kRefused = "SNMPv3 authentication failed for user shauser.";

class NamedSnmpV3Failure : public test::SharedSimTest {
protected:
    void SetUp() override {
        SharedSimTest::SetUp();
        test::UseSimV3(*s_sim, "2", "shauser", "3", "not-the-password", "1", "");
    }
    test::ScriptedMessageBox boxes;
};

TEST_F(NamedSnmpV3Failure, TheFailedReadBoxNamesItInEveryWindow) {
    for (int window = 0; window < 2; ++window) {
        boxes.Clear();
        CJumboFrameconfigdlg dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(boxes.WaitForCount(1, 10000));
        test::PumpEvents();
        EXPECT_EQ(boxes.Texts(),
                  std::vector<std::string>{"Failed to read the Jumbo Frame setting.\n" + kRefused})
            << "window " << window;
        EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_JUMBO_APPLY));  // nothing read, nothing to write back
        drv.PressEscape();
        ASSERT_TRUE(drv.WaitEnded());
    }
    // Correct credentials again: nothing to name.
    boxes.Clear();
    g_strV3AuthPassword = "shaauthpass";
    CJumboFrameconfigdlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_JUMBO_APPLY); }));
    test::PumpEvents();
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(NamedSnmpV3Failure, ADialogSilentOnAFailedReadNamesItOnceInABoxOfItsOwn) {
    CPortDescription dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(boxes.WaitForCount(1, 10000));
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_PD_REFRESH); }));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{kRefused});
    // Refresh meets the same failure: not said once more per request.
    ASSERT_TRUE(drv.Click(IDC_PD_REFRESH));
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_PD_REFRESH); }));
    test::PumpEvents();
    EXPECT_EQ(boxes.Count(), 1u);
}

// The reason goes with the next box that only informs, never with a question, and only once.
TEST(FailureNote, AQuestionLeavesItToTheNextBoxThatInforms) {
    test::ScriptedMessageBox boxes;
    NoteFailure(kRefused);
    EXPECT_EQ(AfxMessageBox("Delete the entry?", MB_YESNO), IDYES);
    AfxMessageBox("Failed to read the table.", MB_OK);
    AfxMessageBox("Failed to read the table.", MB_OK);
    NoteFailure(kRefused);  // told already
    test::PumpEvents();
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{"Delete the entry?", "Failed to read the table.\n" + kRefused,
                                        "Failed to read the table."}));
    EXPECT_EQ(PendingFailureNote(), "");
}

}  // namespace
