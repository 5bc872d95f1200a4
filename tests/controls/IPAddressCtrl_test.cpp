// The IPv4 address control: dotted text in and out, empty while a field is empty, what it refuses, and
// typing as a user does (dots and full fields move on, Backspace moves back, values above 255 capped).
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include "controls/IPAddressCtrl.h"
#include "tests/controls/HostDialog.h"
#include "tests/support/ui/DialogDriver.h"

namespace {

using ksx::test::DialogDriver;
using ksx::test::HostDialog;

constexpr int kId = 1012;

TEST(IPAddressCtrl, DottedTextInAndOut) {
    CIPAddressCtrl ctrl;
    EXPECT_TRUE(ctrl.IsBlank());
    EXPECT_EQ(ctrl.GetAddress(), "");
    EXPECT_TRUE(ctrl.SetAddress("192.168.1.254"));
    EXPECT_EQ(ctrl.GetAddress(), "192.168.1.254");
    EXPECT_TRUE(ctrl.SetAddress("010.0.0.001"));
    EXPECT_EQ(ctrl.GetAddress(), "10.0.0.1");
    EXPECT_TRUE(ctrl.SetAddress("0.0.0.0"));
    EXPECT_EQ(ctrl.GetAddress(), "0.0.0.0");
    // An incomplete address reads as empty, though its fields keep what was typed.
    ctrl.Field(2)->clear();
    EXPECT_EQ(ctrl.GetAddress(), "");
    EXPECT_FALSE(ctrl.IsBlank());
}

TEST(IPAddressCtrl, RefusesWhatIsNoAddressAndEmptiesTheFields) {
    CIPAddressCtrl ctrl;
    for (const char* text : {"1.2.3", "1.2.3.4.5", "256.1.1.1", "1.2.3.", ".1.2.3", "a.b.c.d", "1..2.3",
                             "1.2.3.4x", "-1.2.3.4", "1000.1.1.1", ""}) {
        ASSERT_TRUE(ctrl.SetAddress("10.0.0.1"));
        EXPECT_FALSE(ctrl.SetAddress(text)) << text;
        EXPECT_TRUE(ctrl.IsBlank()) << text;
        EXPECT_EQ(ctrl.GetAddress(), "") << text;
    }
}

TEST(IPAddressCtrl, TypingMovesThroughTheFields) {
    HostDialog dlg;
    auto* ctrl = dlg.Add(kId, new CIPAddressCtrl, QRect(10, 10, 200, 26));
    DialogDriver drv(dlg);
    // Dots move on; a third digit moves on by itself; the dot after it is not a second move.
    ASSERT_TRUE(drv.Type(kId, "192.168.1.20"));
    EXPECT_EQ(ctrl->GetAddress(), "192.168.1.20");
    // Typing over the whole address starts again in the first field.
    ASSERT_TRUE(drv.Type(kId, "10.0.0.9"));
    EXPECT_EQ(ctrl->GetAddress(), "10.0.0.9");
    // A field takes at most 255; letters are not taken.
    ASSERT_TRUE(drv.Type(kId, "300.a1.2.3"));
    EXPECT_EQ(ctrl->GetAddress(), "255.1.2.3");
    // Backspace in an empty field goes back to the one before and deletes there.
    ASSERT_TRUE(drv.Type(kId, "1.2.3."));
    EXPECT_EQ(ctrl->GetAddress(), "");
    QTest::keyClick(ctrl, Qt::Key_Backspace);
    QTest::keyClick(ctrl, Qt::Key_Backspace);
    QTest::keyClicks(ctrl, "4.5");
    EXPECT_EQ(ctrl->GetAddress(), "1.2.4.5");
    ASSERT_TRUE(drv.Type(kId, ""));
    EXPECT_TRUE(ctrl->IsBlank());
}

}  // namespace
