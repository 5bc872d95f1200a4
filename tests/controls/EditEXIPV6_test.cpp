// The address edit: classification and validation on focus loss, what a failed check leaves in place,
// the OID index and the error messages.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include "controls/EditEXIPV6.h"
#include "tests/controls/HostDialog.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using ksx::test::DialogDriver;
using ksx::test::HostDialog;
using ksx::test::ScriptedMessageBox;

CEditEXIPV6& Check(CEditEXIPV6& edit, const char* text) {
    edit.setText(QString::fromUtf8(text));
    edit.OnKillFocus();
    return edit;
}

TEST(EditEXIPV6, StartsValidWithNoType) {
    CEditEXIPV6 edit;
    EXPECT_EQ(edit.m_nValidCode, 1);
    EXPECT_EQ(edit.m_bValid, 0);
    EXPECT_EQ(edit.m_strAddrType, "");
    EXPECT_EQ(edit.GetAddressOidIndex(), "");
    EXPECT_EQ(edit.m_nIndexLen, 0);
}

TEST(EditEXIPV6, ClassifiesIPv4) {
    CEditEXIPV6 edit;
    Check(edit, "192.168.1.1");
    EXPECT_EQ(edit.m_bValid, 1);
    EXPECT_EQ(edit.m_nValidCode, 1);
    EXPECT_EQ(edit.m_strAddrType, "1");
    EXPECT_EQ(edit.m_strAddress, "192.168.1.1");
    EXPECT_EQ(edit.GetAddressOidIndex(), "192.168.1.1");
    EXPECT_EQ(edit.m_nIndexLen, 4);
    Check(edit, "192.168.1.255");
    EXPECT_EQ(edit.m_bValid, 0);
    EXPECT_EQ(edit.m_nValidCode, 0);
}

TEST(EditEXIPV6, ClassifiesIPv6WithAndWithoutInterface) {
    CEditEXIPV6 edit;
    Check(edit, "FE80::1%eth0");
    EXPECT_EQ(edit.m_bValid, 1);
    EXPECT_EQ(edit.m_strAddrType, "2");
    EXPECT_EQ(edit.m_strAddress, "fe80::1");
    EXPECT_EQ(edit.m_strInterface, "eth0");
    EXPECT_EQ(edit.GetAddressOidIndex(), "254.128.0.0.0.0.0.0.0.0.0.0.0.0.0.1");
    EXPECT_EQ(edit.m_nIndexLen, 16);

    Check(edit, "2001:DB8::A:1");
    EXPECT_EQ(edit.m_bValid, 1);
    EXPECT_EQ(edit.m_strAddress, "2001:db8::a:1");
    EXPECT_EQ(edit.m_strInterface, "");
    EXPECT_EQ(edit.GetAddressOidIndex(), "32.1.13.184.0.0.0.0.0.0.0.0.0.10.0.1");

    Check(edit, "fe80::1");
    EXPECT_EQ(edit.m_nValidCode, 0);
    Check(edit, "fe80::1%");
    EXPECT_EQ(edit.m_nValidCode, -2);
    Check(edit, "fe80::1%abcdefghijklmnopqrstu");  // 21 characters
    EXPECT_EQ(edit.m_nValidCode, -1);
    EXPECT_EQ(edit.m_bValid, 0);
}

TEST(EditEXIPV6, InvalidTextsKeepThePreviousAddress) {
    CEditEXIPV6 edit;
    Check(edit, "10.1.2.3");
    for (const char* bad : {"", "::ffff:1.2.3.4", "hello", "ff02::1", "1.2.3"}) {
        Check(edit, bad);
        EXPECT_EQ(edit.m_bValid, 0) << bad;
        EXPECT_EQ(edit.m_nValidCode, 0) << bad;
        EXPECT_EQ(edit.m_strAddrType, "1") << bad;
        EXPECT_EQ(edit.m_strAddress, "10.1.2.3") << bad;
    }
}

TEST(EditEXIPV6, LosingFocusValidatesAndErrorsShowTheirTexts) {
    HostDialog dlg;
    auto* edit = dlg.Add(100, new CEditEXIPV6, QRect(10, 10, 200, 24));
    auto* other = dlg.Add(101, new QLineEdit, QRect(10, 40, 200, 24));
    DialogDriver driver(dlg);
    ScriptedMessageBox boxes;
    driver.Type(100, "fe80::1%");
    other->setFocus();
    ASSERT_TRUE(ksx::test::WaitUntil([&] { return edit->m_nValidCode == -2; }, 20000));
    edit->ShowAddressError();
    Check(*edit, "fe80::1%abcdefghijklmnopqrstu").ShowAddressError();
    Check(*edit, "300.1.1.1").ShowAddressError();
    Check(*edit, "172.16.0.1").ShowAddressError();  // valid: no box
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{
                  "Link local address must specify interface name!ex: feXX::XXXX%InterfaceName",
                  "Interface name too long.", "Invalid Ip Address."}));
    for (const auto& box : boxes.Boxes()) {
        EXPECT_EQ(box.flags & 0xF, ksx::MB_OK);
    }
}

}  // namespace
