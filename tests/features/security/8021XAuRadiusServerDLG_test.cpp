// RADIUS servers against the simulated switch: the list as read, a new server created step by step, an
// existing one changed in place (IPv4 and IPv6), the input refusals, a refused step that neither loses
// a server nor leaves a half-made one, the delete, and addresses of the wrong length.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "features/security/8021XAuRadiusServerDLG.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_dot1x.h"
#include "res/resource.h"
#include "tests/features/DialogTest.h"

namespace {

using namespace ksx;
using namespace ksx::dialogtest;

const std::string kEntry = "1.3.6.1.4.1.7393.10.76.20.1.23.4.2.1";
const size_t kCut = kEntry.size() + 1;  // set lines read "10.2=i:5"

std::vector<std::string> Row1() {
    return {"1", "192.168.1.200", "1812", "1813", "5", "2", "*****"};
}

class Dot1xRadius : public test::SharedSimTest {
protected:
    void TearDown() override {
        for (int c = 1; c <= 10; ++c) {
            s_sim->ErrorStatus(kEntry + "." + std::to_string(c), 0);
        }
        SharedSimTest::TearDown();
    }
    static void WaitRead(C8021XAuRadiusServerDLG& dlg) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.ReadEnded(); }));
    }
    // Fills the form and clicks Apply with an empty log and no boxes (`answer`: the first box's).
    void Apply(DialogDriver& drv, const std::string& index, const std::string& address,
               const std::string& key = "secret", const std::string& confirm = "secret", int answer = 0) {
        ASSERT_TRUE(drv.Type(IDC_D1XR_INDEX, index));
        ASSERT_TRUE(drv.Type(IDC_D1XR_ADDRESS, address));
        ASSERT_TRUE(drv.Type(IDC_D1XR_KEY, key));
        ASSERT_TRUE(drv.Type(IDC_D1XR_CONFIRM_KEY, confirm));
        boxes.Clear();
        if (answer != 0) {
            boxes.Answer(answer);
        }
        s_sim->ClearLog();
        ASSERT_TRUE(drv.Click(IDC_D1XR_APPLY));
        ASSERT_TRUE(
            WaitUntil([&] { return !static_cast<C8021XAuRadiusServerDLG&>(drv.Dialog()).Run().Running(); }));
    }
    static std::vector<std::string> Sets() { return SetLines(s_sim->Requests(), kCut); }
    test::ScriptedMessageBox boxes;
};

TEST_F(Dot1xRadius, ListsActiveServers) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_DOT1X_RADIUS));
    s_sim->Set(kEntry + ".1.2", "i", "2");
    s_sim->Set(kEntry + ".2.2", "i", "1");
    s_sim->Set(kEntry + ".3.2", "x", "0a000001");
    s_sim->Set(kEntry + ".10.2", "i", "2");  // not in service: not listed
    C8021XAuRadiusServerDLG dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "Authentication RADIUS Server");
    const std::vector<test::SimRequest> walk = test::OfKind(s_sim->Requests(), "getnext");
    ASSERT_FALSE(walk.empty());
    ASSERT_EQ(walk[0].varbinds.size(), 10u);
    for (int c = 1; c <= 10; ++c) {
        EXPECT_EQ(walk[0].varbinds[static_cast<size_t>(c - 1)].oid, kEntry + "." + std::to_string(c));
    }
    ASSERT_EQ(drv.Rows(IDC_D1XR_LIST), 1);
    EXPECT_EQ(drv.Row(IDC_D1XR_LIST, 0), Row1());
    EXPECT_EQ(dlg.m_8021XLogic.m_RadiusList.size(), 2u);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_D1XR_AUTH_PORT), "1812");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_D1XR_TIMEOUT), "5");
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_D1XR_APPLY));
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(Dot1xRadius, CreatesANewServerAndChangesAnExistingOneInPlace) {
    C8021XAuRadiusServerDLG dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    Apply(drv, "2", "192.168.1.2");
    // The address request is sent twice from one prepared request: the second carries both bindings.
    EXPECT_EQ(Sets(),
              (std::vector<std::string>{"10.2=i:5", "2.2=i:1", "2.2=i:1 3.2=x:c0a80102", "5.2=i:1812",
                                        "6.2=i:1813", "7.2=i:5", "8.2=i:2", "9.2=s:secret", "10.2=i:1"}));
    WaitRead(dlg);
    EXPECT_EQ(boxes.Count(), 0u);
    ASSERT_EQ(drv.Rows(IDC_D1XR_LIST), 2);
    EXPECT_EQ(drv.Row(IDC_D1XR_LIST, 1),
              (std::vector<std::string>{"2", "192.168.1.2", "1812", "1813", "5", "2", "*****"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_D1XR_ADDRESS), "");  // the form is set up again

    // Index 1 exists: changed in place, never destroyed first.
    ASSERT_TRUE(drv.Type(IDC_D1XR_TIMEOUT, "255"));
    ASSERT_TRUE(drv.Type(IDC_D1XR_RETRANSMIT, "1"));
    Apply(drv, "1", "2001:DB8::10", "k2", "k2");
    EXPECT_EQ(Sets(), (std::vector<std::string>{"2.1=i:2", "2.1=i:2 3.1=x:20010db8000000000000000000000010",
                                                "5.1=i:1812", "6.1=i:1813", "7.1=i:255", "8.1=i:1",
                                                "9.1=s:k2", "10.1=i:1"}));
    WaitRead(dlg);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(drv.Row(IDC_D1XR_LIST, 0),
              (std::vector<std::string>{"1", "2001:db8::10", "1812", "1813", "255", "1", "*****"}));

    // An IPv6 link-local address with its interface is accepted.
    Apply(drv, "3", "fe80::1%eth0");
    ASSERT_EQ(Sets().size(), 9u);
    EXPECT_EQ(Sets()[2], "2.3=i:2 3.3=x:fe800000000000000000000000000001");
    WaitRead(dlg);
    EXPECT_EQ(drv.Cell(IDC_D1XR_LIST, 2, 1), "fe80::1");
}

TEST_F(Dot1xRadius, AnotherManagersEntryLeftNotReadySinceTheReadIsReplacedOnYes) {
    C8021XAuRadiusServerDLG dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    // Another manager's create, not finished, after the list was read.
    s_sim->Set(kEntry + ".10.2", "i", "3");
    Apply(drv, "2", "192.168.1.2");
    EXPECT_EQ(Sets(), (std::vector<std::string>{"10.2=i:5", "10.2=i:6", "10.2=i:5", "2.2=i:1",
                                                "2.2=i:1 3.2=x:c0a80102", "5.2=i:1812", "6.2=i:1813",
                                                "7.2=i:5", "8.2=i:2", "9.2=s:secret", "10.2=i:1"}));
    WaitRead(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{
                                 "The device already holds the RADIUS server 2, not ready. Replace it?"});
    EXPECT_EQ(s_sim->Get(kEntry + ".10.2"), "1");
    EXPECT_EQ(drv.Rows(IDC_D1XR_LIST), 2);
}

TEST_F(Dot1xRadius, RefusesBadInputBeforeSendingAnything) {
    C8021XAuRadiusServerDLG dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    for (const char* index : {"0", "6", "7", "a", "", "12"}) {
        Apply(drv, index, "192.168.1.9");
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Please choose a RADIUS server index from 1 to 5."})
            << index;
        EXPECT_TRUE(s_sim->Requests().empty()) << index;
    }
    // An address never typed in is no address; nor is an invalid one or a link-local one without its
    // interface.
    const std::pair<const char*, const char*> addresses[] = {
        {"", "Invalid Destination IP."},
        {"192.168.1.0", "Invalid Destination IP."},
        {"1.2.3", "Invalid Destination IP."},
        {"fe80::1", "Invalid Destination IP."},
        {"fe80::1%", "Link local address must specify interface name!ex: feXX::XXXX%InterfaceName"},
        {"fe80::1%abcdefghijklmnopqrstuvwxyz", "Interface name too long."},
    };
    for (const auto& [address, text] : addresses) {
        Apply(drv, "2", address);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{text}) << address;
        EXPECT_TRUE(s_sim->Requests().empty()) << address;
    }
    const struct {
        int id;
        const char* text;
        const char* message;
    } numbers[] = {
        {IDC_D1XR_AUTH_PORT, "0", "Please Confirm Authentication Port range from 1 to 65535."},
        {IDC_D1XR_AUTH_PORT, "65536", "Please Confirm Authentication Port range from 1 to 65535."},
        {IDC_D1XR_ACCT_PORT, "", "Please Confirm Accounting Port range from 1 to 65535."},
        {IDC_D1XR_TIMEOUT, "0", "Please Confirm Timeout value range from 1 to 255."},
        {IDC_D1XR_TIMEOUT, "256", "Please Confirm Timeout value range from 1 to 255."},
        {IDC_D1XR_RETRANSMIT, "", "Please Confirm Retransmit value from 1 to 255."},
        {IDC_D1XR_RETRANSMIT, "256", "Please Confirm Retransmit value from 1 to 255."},
    };
    for (const auto& n : numbers) {
        const std::string before = dlg.GetDlgItemText(n.id);
        ASSERT_TRUE(drv.Type(n.id, n.text));
        Apply(drv, "2", "192.168.1.9");
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{n.message}) << n.text;
        EXPECT_TRUE(s_sim->Requests().empty());
        ASSERT_TRUE(drv.Type(n.id, before));
    }
    // The number fields take digits only.
    ASSERT_TRUE(drv.Type(IDC_D1XR_TIMEOUT, "1x2"));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_D1XR_TIMEOUT), "12");
    ASSERT_TRUE(drv.Type(IDC_D1XR_TIMEOUT, "5"));
    const std::pair<std::string, std::string> keys[] = {{"secret", "secreT"}, {"secret", ""}, {"", "secret"}};
    for (const auto& [key, confirm] : keys) {
        Apply(drv, "2", "192.168.1.9", key, confirm);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Please Confirm Your Key!"})
            << key << "/" << confirm;
        EXPECT_TRUE(s_sim->Requests().empty());
    }
    Apply(drv, "2", "192.168.1.9", "", "");
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Invalid Authentication RADIUS Server Key"});
    EXPECT_TRUE(s_sim->Requests().empty());

    // Enter and Esc do nothing here.
    drv.PressEnter();
    drv.PressEscape();
    test::PumpEvents();
    EXPECT_FALSE(drv.Ended());
    EXPECT_TRUE(s_sim->Requests().empty());
    ASSERT_TRUE(drv.Click(IDC_D1XR_CLOSE));
    EXPECT_TRUE(drv.WaitEnded());
}

TEST_F(Dot1xRadius, RefusedStepKeepsTheServerAndRemovesOnlyWhatItCreated) {
    C8021XAuRadiusServerDLG dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    // A new entry whose key is refused is removed again. (The injected refusal also fails the read
    // that follows, as it touches the column: the list is read again once it is lifted.)
    s_sim->ErrorStatus(kEntry + ".9", 3);
    Apply(drv, "4", "10.1.1.1");
    EXPECT_EQ(Sets(),
              (std::vector<std::string>{"10.4=i:5", "2.4=i:1", "2.4=i:1 3.4=x:0a010101", "5.4=i:1812",
                                        "6.4=i:1813", "7.4=i:5", "8.4=i:2", "9.4=s:secret", "10.4=i:6"}));
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(boxes.Texts()[0],
              "Failed to write the RADIUS server: the device did not accept the key. The RADIUS server 4 was "
              "not added.");
    WaitRead(dlg);
    s_sim->ErrorStatus(kEntry + ".9", 0);
    EXPECT_EQ(s_sim->Get(kEntry + ".10.4"), "");
    ASSERT_TRUE(drv.Click(IDC_D1XR_REFRESH));
    WaitRead(dlg);
    ASSERT_EQ(drv.Rows(IDC_D1XR_LIST), 1);

    // Another manager then makes server 4 and leaves it not in service. The row removed above is no
    // longer one this module left half-made: adding 4 again asks, and No leaves it.
    s_sim->Set(kEntry + ".10.4", "i", "2");
    Apply(drv, "4", "10.1.1.1", "secret", "secret", IDNO);
    EXPECT_TRUE(Sets().empty());
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{
                  "The device already holds the RADIUS server 4, not in service. Replace it?",
                  "The device already holds the RADIUS server 4, not in service; it was left as it is."}));
    WaitRead(dlg);
    EXPECT_EQ(s_sim->Get(kEntry + ".10.4"), "2");
    s_sim->Unset(kEntry + ".10.4");

    // An existing entry whose timeout is refused stays as it was.
    s_sim->ErrorStatus(kEntry + ".7", 3);
    Apply(drv, "1", "10.1.1.1");
    EXPECT_EQ(Sets(), (std::vector<std::string>{"2.1=i:1", "2.1=i:1 3.1=x:0a010101", "5.1=i:1812",
                                                "6.1=i:1813", "7.1=i:5"}));
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(boxes.Texts()[0], "Failed to write the RADIUS server: the device did not accept the timeout.");
    WaitRead(dlg);
    s_sim->ErrorStatus(kEntry + ".7", 0);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_D1XR_KEY), "secret");  // the form keeps what was typed
    ASSERT_TRUE(drv.Click(IDC_D1XR_REFRESH));
    WaitRead(dlg);
    ASSERT_EQ(drv.Rows(IDC_D1XR_LIST), 1);
    EXPECT_EQ(drv.Cell(IDC_D1XR_LIST, 0, 0), "1");
    EXPECT_EQ(drv.Cell(IDC_D1XR_LIST, 0, 1), "10.1.1.1");  // what was accepted before the refusal
}

TEST_F(Dot1xRadius, DeletesTheSelectedServer) {
    C8021XAuRadiusServerDLG dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_D1XR_DELETE));
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Please Choose One To Delete Or Check If Have Any Data"});
    EXPECT_TRUE(s_sim->Requests().empty());

    s_sim->ErrorStatus(kEntry + ".10", 3);
    ASSERT_TRUE(drv.ClickRow(IDC_D1XR_LIST, 0));
    boxes.Clear();
    ASSERT_TRUE(drv.Click(IDC_D1XR_DELETE));
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(boxes.Texts()[0], "Failed to delete the RADIUS server: the device did not accept it.");
    WaitRead(dlg);
    s_sim->ErrorStatus(kEntry + ".10", 0);
    ASSERT_TRUE(drv.Click(IDC_D1XR_REFRESH));
    WaitRead(dlg);

    ASSERT_TRUE(drv.ClickRow(IDC_D1XR_LIST, 0));
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_D1XR_DELETE));
    EXPECT_EQ(Sets(), std::vector<std::string>{"10.1=i:6"});
    WaitRead(dlg);
    EXPECT_EQ(drv.Rows(IDC_D1XR_LIST), 0);
}

TEST_F(Dot1xRadius, AddressOfTheWrongLengthShowsNoText) {
    const std::pair<const char*, const char*> rows[] = {{"2", ""}, {"3", "0a00000102"}, {"4", "c0a80001"}};
    for (const auto& [index, octets] : rows) {
        s_sim->Set(kEntry + ".1." + index, "i", index);
        s_sim->Set(kEntry + ".2." + index, "i", "1");
        s_sim->Set(kEntry + ".3." + index, "x", octets);
        s_sim->Set(kEntry + ".10." + index, "i", "1");
    }
    s_sim->Set(kEntry + ".2.1", "i", "2");  // IPv6 with 4 octets
    C8021XAuRadiusServerDLG dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    ASSERT_EQ(drv.Rows(IDC_D1XR_LIST), 4);
    EXPECT_EQ(drv.Cell(IDC_D1XR_LIST, 0, 1), "");
    EXPECT_EQ(drv.Cell(IDC_D1XR_LIST, 1, 1), "");
    EXPECT_EQ(drv.Cell(IDC_D1XR_LIST, 2, 1), "");
    EXPECT_EQ(drv.Cell(IDC_D1XR_LIST, 3, 1), "192.168.0.1");
    // 17 octets of IPv6 and none of IPv4.
    EXPECT_EQ(C8021XSettingLogic::FormatRadiusAddress(2, std::string(17, '\x01')), "");
    EXPECT_EQ(C8021XSettingLogic::FormatRadiusAddress(2, std::string(16, '\0')), "::");
    EXPECT_EQ(C8021XSettingLogic::FormatRadiusAddress(1, ""), "");
    EXPECT_EQ(C8021XSettingLogic::FormatRadiusAddress(3, "\x0a\x0b\x0c\x0d"), "0A0B0C0D");
}

TEST_F(Dot1xRadius, FailedReadKeepsApplyUnavailable) {
    s_sim->Silence(true);
    g_strSnmpTimeout = "600";
    C8021XAuRadiusServerDLG dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the RADIUS servers."});
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_D1XR_APPLY));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_D1XR_REFRESH));
    s_sim->Silence(false);
    ASSERT_TRUE(drv.Click(IDC_D1XR_REFRESH));
    WaitRead(dlg);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_D1XR_APPLY));
    EXPECT_EQ(drv.Rows(IDC_D1XR_LIST), 1);
}

}  // namespace
