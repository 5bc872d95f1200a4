// DHCP server screening dialog against the simulated switch: trusted-port text to the screened-port
// bitmap and back (4 octets on 28 ports, 8 on 52, short and long values), the trunk refusal, adding
// and deleting trusted servers (free index, limit of five, IPv6 duplicates in either form, a create
// that fails part-way), what failed reads leave available; pictures at two font sizes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <algorithm>
#include <string>
#include <vector>

#include "features/security/DHCPServerScreenDlg.h"
#include "platform/snmplib/Snmp.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_screening.h"
#include "res/resource.h"
#include "tests/features/StepRunTest.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/LookCheck.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::DialogDriver;
using test::SetLines;
using test::WaitUntil;

const std::string kScreening = "1.3.6.1.4.1.7393.10.76.20.1.14.7";
const std::string kBitmap = kScreening + ".1.0";
const std::string kServer = kScreening + ".3.1";
const size_t kCut = kScreening.size() + 1;  // set lines read "1.0=x:..." and "3.1.4.1=i:5"

class DhcpScreening : public test::SharedSimTest {
public:
    static void SetUpTestSuite() {
        SnmpInit();
        SharedSimTest::SetUpTestSuite();
    }

protected:
    void WaitRefresh(CDHCPServerScreenDlg& dlg, int count) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.RefreshesEnded() >= count; }));
        test::PumpEvents();
    }
    // Types into the port edit, applies, and waits for the refresh that follows a write.
    std::vector<std::string> ApplyPorts(CDHCPServerScreenDlg& dlg, DialogDriver& drv,
                                        const std::string& text) {
        s_sim->ClearLog();
        const int before = dlg.RefreshesEnded();
        EXPECT_TRUE(drv.Type(IDC_DHCPSCR_PORTS, text));
        EXPECT_TRUE(drv.Click(IDC_DHCPSCR_PORT_ADD));
        const std::vector<std::string> sets = SetLines(s_sim->Requests(), kCut);
        if (!sets.empty()) {
            WaitRefresh(dlg, before + 1);
        }
        return sets;
    }
    std::vector<std::string> AddServer(CDHCPServerScreenDlg& dlg, DialogDriver& drv,
                                       const std::string& address) {
        s_sim->ClearLog();
        const int before = dlg.RefreshesEnded();
        EXPECT_TRUE(drv.Type(IDC_DHCPSCR_SERVER_IP, address));
        EXPECT_TRUE(drv.Click(IDC_DHCPSCR_SERVER_ADD));
        EXPECT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }));
        const std::vector<std::string> sets = SetLines(s_sim->Requests(), kCut);
        if (!sets.empty()) {
            WaitRefresh(dlg, before + 1);
        }
        return sets;
    }
    std::vector<std::vector<std::string>> Rows(DialogDriver& drv) {
        std::vector<std::vector<std::string>> rows;
        for (int r = 0; r < drv.Rows(IDC_DHCPSCR_LIST); ++r) {
            rows.push_back(drv.Row(IDC_DHCPSCR_LIST, r));
        }
        return rows;
    }
    // A row put on the switch directly: address octets as hex, its type and status.
    void PutRow(int index, const std::string& hex, int type, int status) {
        const std::string i = "." + std::to_string(index);
        s_sim->Set(kServer + ".4" + i, "i", "5");
        s_sim->Set(kServer + ".1" + i, "i", std::to_string(index));
        s_sim->Set(kServer + ".2" + i, "x", hex);
        s_sim->Set(kServer + ".3" + i, "i", std::to_string(type));
        if (status == 1) {
            s_sim->Set(kServer + ".4" + i, "i", "1");
        }
    }

    test::ScriptedMessageBox boxes;
};

TEST_F(DhcpScreening, TrustedPortsAreTheComplementOfTheBitmap) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_DHCP_SCREENING));
    CDHCPServerScreenDlg dlg;
    DialogDriver drv(dlg);
    WaitRefresh(dlg, 1);
    EXPECT_EQ(dlg.GetWindowText(), "DHCP Server Screening Settings  ");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_DHCPSCR_PORTS), "1-28");  // nothing screened: all trusted
    // The bitmap is read first; the table walk asks for index, type, address and status, in that order.
    const std::vector<std::string> log = test::RequestLines(s_sim->Requests());
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0], "get " + kBitmap + "=n:");
    const std::string walk =
        "getnext " + kServer + ".1=n: " + kServer + ".3=n: " + kServer + ".2=n: " + kServer + ".4=n:";
    EXPECT_NE(std::find(log.begin(), log.end(), walk), log.end());

    EXPECT_EQ(ApplyPorts(dlg, drv, "1-4,6"), std::vector<std::string>{"1.0=x:0bfffff0"});
    EXPECT_EQ(test::Sets(s_sim->Requests())[0].principal, "harbour");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_DHCPSCR_PORTS), "1-4,6");
    // The text last read, and an empty one, send nothing and say nothing.
    EXPECT_EQ(ApplyPorts(dlg, drv, "1-4,6"), std::vector<std::string>{});
    EXPECT_EQ(ApplyPorts(dlg, drv, ""), std::vector<std::string>{});
    EXPECT_EQ(boxes.Count(), 0u);
    // A trunk (ports 25 and 26) is trusted whole or not at all.
    EXPECT_EQ(ApplyPorts(dlg, drv, "1-25"), std::vector<std::string>{});
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"The link aggregation member port can not be configured."});
    EXPECT_EQ(ApplyPorts(dlg, drv, "1-26"), std::vector<std::string>{"1.0=x:00000030"});
}

TEST_F(DhcpScreening, BadPortListsAreRefused) {
    CDHCPServerScreenDlg dlg;
    DialogDriver drv(dlg);
    WaitRefresh(dlg, 1);
    struct Case {
        const char* text;
        const char* message;
    };
    for (const Case& c :
         {Case{"0", "Invalid Portlist"}, Case{"29", "Invalid Portlist"}, Case{"1-", "Invalid Portlist"},
          Case{"a", "Invalid Port list"}, Case{"3.5", "Invalid Port list"}}) {
        boxes.Clear();
        EXPECT_EQ(ApplyPorts(dlg, drv, c.text), std::vector<std::string>{}) << c.text;
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{c.message}) << c.text;
    }
}

TEST_F(DhcpScreening, ShortAndLongBitmapsAreReadByTheirLength) {
    struct Case {
        const char* hex;
        const char* shown;
    };
    // Ports past the end of a short value are not listed as trusted; octets past the ports are ignored.
    for (const Case& c : {Case{"", ""}, Case{"000000", "1-24"}, Case{"0b", "1-4,6"},
                          Case{"0bfffff0ffffffffffffffffff", "1-4,6"}, Case{"00000000", "1-28"}}) {
        s_sim->Set(kBitmap, "x", c.hex);
        CDHCPServerScreenDlg dlg;
        DialogDriver drv(dlg);
        WaitRefresh(dlg, 1);
        EXPECT_EQ(dlg.GetDlgItemText(IDC_DHCPSCR_PORTS), c.shown) << c.hex;
    }
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(DhcpScreening, ServersAreAddedAtTheFirstFreeIndexUpToFive) {
    CDHCPServerScreenDlg dlg;
    DialogDriver drv(dlg);
    WaitRefresh(dlg, 1);
    EXPECT_EQ(AddServer(dlg, drv, "192.168.1.10"),
              (std::vector<std::string>{"3.1.4.1=i:5", "3.1.3.1=i:1", "3.1.3.1=i:1 3.1.2.1=x:c0a8010a",
                                        "3.1.4.1=i:1"}));
    EXPECT_EQ(Rows(drv), (std::vector<std::vector<std::string>>{{"1", "192.168.1.10"}}));

    // An IPv6 address typed in full is listed compressed, and is a duplicate in either form.
    EXPECT_EQ(AddServer(dlg, drv, "2001:0db8:0000:0000:0000:0000:0000:0001").back(), "3.1.4.2=i:1");
    EXPECT_EQ(Rows(drv).back(), (std::vector<std::string>{"2", "2001:db8::1"}));
    for (const char* again : {"2001:db8::1", "2001:0DB8:0:0:0:0:0:1", "192.168.1.10"}) {
        boxes.Clear();
        EXPECT_EQ(AddServer(dlg, drv, again), std::vector<std::string>{}) << again;
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Duplicate server IP address."}) << again;
    }
    boxes.Clear();
    AddServer(dlg, drv, "10.0.0.3");
    // Index 2 deleted: the next entry takes 2, not "rows + 1" = 3, which is still in use.
    ASSERT_TRUE(drv.ClickRow(IDC_DHCPSCR_LIST, 1));
    s_sim->ClearLog();
    const int deleted = dlg.RefreshesEnded();
    ASSERT_TRUE(drv.Click(IDC_DHCPSCR_DELETE));
    EXPECT_EQ(SetLines(s_sim->Requests(), kCut), std::vector<std::string>{"3.1.4.2=i:6"});
    WaitRefresh(dlg, deleted + 1);
    EXPECT_EQ(AddServer(dlg, drv, "10.0.0.4").front(), "3.1.4.2=i:5");
    EXPECT_EQ(Rows(drv), (std::vector<std::vector<std::string>>{
                             {"1", "192.168.1.10"}, {"2", "10.0.0.4"}, {"3", "10.0.0.3"}}));
    AddServer(dlg, drv, "fe80::1%eth0");
    EXPECT_EQ(Rows(drv).back(), (std::vector<std::string>{"4", "fe80::1"}));
    AddServer(dlg, drv, "10.0.0.5");
    ASSERT_EQ(drv.Rows(IDC_DHCPSCR_LIST), 5);
    // The sixth is refused before any request.
    EXPECT_EQ(AddServer(dlg, drv, "10.0.0.6"), std::vector<std::string>{});
    EXPECT_TRUE(s_sim->Requests().empty());
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"The maximum entries is 5."});
}

TEST_F(DhcpScreening, ClosingDuringAnAddSaysWhatTheDeviceHolds) {
    CDHCPServerScreenDlg dlg;
    DialogDriver drv(dlg);
    WaitRefresh(dlg, 1);
    ASSERT_TRUE(drv.Type(IDC_DHCPSCR_SERVER_IP, "192.168.1.10"));
    // Closed while the address type is on its way: the row was created, nothing is activated or undone.
    test::SlowRun run(*s_sim);
    ASSERT_NO_FATAL_FAILURE(run.Click(dlg, drv, IDC_DHCPSCR_SERVER_ADD,
                                      {IDC_DHCPSCR_SERVER_ADD, IDC_DHCPSCR_DELETE, IDC_DHCPSCR_PORT_ADD}, 3,
                                      "Adding the trusted DHCP server: writing its address..."));
    ASSERT_NO_FATAL_FAILURE(run.Close(
        drv, boxes,
        {"Stopped: a row for the trusted DHCP server was created on the device but not activated. Adding the "
         "trusted DHCP server again replaces it."}));
    EXPECT_EQ(SetLines(test::DistinctRequests(*s_sim), kCut),
              (std::vector<std::string>{"3.1.4.1=i:5", "3.1.3.1=i:1"}));
}

TEST_F(DhcpScreening, RowsOfEveryStatusHoldTheirIndex) {
    // A row left in creation at index 1 is not listed, does not count towards five, keeps its index;
    // a row whose address has the wrong length is listed without an address.
    PutRow(1, "0a000001", 1, 5);
    PutRow(2, "0a0000010a000001", 1, 1);
    CDHCPServerScreenDlg dlg;
    DialogDriver drv(dlg);
    WaitRefresh(dlg, 1);
    EXPECT_EQ(Rows(drv), (std::vector<std::vector<std::string>>{{"2", ""}}));
    EXPECT_EQ(AddServer(dlg, drv, "10.1.1.1").front(), "3.1.4.3=i:5");
}

TEST_F(DhcpScreening, BadAddressesAreRefused) {
    CDHCPServerScreenDlg dlg;
    DialogDriver drv(dlg);
    WaitRefresh(dlg, 1);
    struct Case {
        const char* address;
        const char* message;
    };
    for (const Case& c :
         {Case{"", "Invalid server IP address."}, Case{"300.1.1.1", "Invalid server IP address."},
          Case{"2001:db8::zz", "Invalid server IP address."}, Case{"fe80::1", "Invalid server IP address."},
          Case{"fe80::1%", "Link local address must specify interface name!ex: feXX::XXXX%InterfaceName"},
          Case{"fe80::1%abcdefghijklmnopqrstuvwxyz", "Interface name too long."}}) {
        boxes.Clear();
        EXPECT_EQ(AddServer(dlg, drv, c.address), std::vector<std::string>{}) << c.address;
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{c.message}) << c.address;
    }
    EXPECT_TRUE(s_sim->Requests().empty());
}

TEST_F(DhcpScreening, RefusedWritesAreToldAndUndone) {
    CDHCPServerScreenDlg dlg;
    DialogDriver drv(dlg);
    WaitRefresh(dlg, 1);
    // The address is refused: the half-made row is destroyed, the user told, the list read again.
    s_sim->ErrorStatus(kServer + ".2.1", 3);
    EXPECT_EQ(AddServer(dlg, drv, "192.168.1.10"),
              (std::vector<std::string>{"3.1.4.1=i:5", "3.1.3.1=i:1", "3.1.3.1=i:1 3.1.2.1=x:c0a8010a",
                                        "3.1.4.1=i:6"}));
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{
                  "Failed to add the trusted DHCP server: the device did not accept the address. The trusted "
                  "DHCP server was not added."});
    EXPECT_EQ(s_sim->Get(kServer + ".4.1"), "");
    EXPECT_EQ(drv.Rows(IDC_DHCPSCR_LIST), 0);
    s_sim->ErrorStatus(kServer + ".2.1", 0);
    // An address type the device never answered for is not said as refused; the row goes all the same.
    boxes.Clear();
    s_sim->LoseAnswer(kServer + ".3.1");
    AddServer(dlg, drv, "192.168.1.10");
    s_sim->LoseAnswer("off");
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Failed to add the trusted DHCP server: the device did not "
                                       "answer: it did not confirm whether the address type was "
                                       "written. The trusted DHCP server was not added."});
    EXPECT_EQ(s_sim->Get(kServer + ".4.1"), "");

    // Delete without a selection, and a refused delete.
    AddServer(dlg, drv, "192.168.1.10");
    boxes.Clear();
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_DHCPSCR_DELETE));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Please select the entry to delete."});
    EXPECT_TRUE(s_sim->Requests().empty());
    s_sim->ErrorStatus(kServer + ".4", 5);
    boxes.Clear();
    ASSERT_TRUE(drv.ClickRow(IDC_DHCPSCR_LIST, 0));
    const int before = dlg.RefreshesEnded();
    ASSERT_TRUE(drv.Click(IDC_DHCPSCR_DELETE));
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(boxes.Texts()[0], "Failed to delete the trusted DHCP server: the device did not accept it.");
    WaitRefresh(dlg, before + 1);  // the list is read again (and meets the same refusal)
    s_sim->ErrorStatus(kServer + ".4", 0);

    // A refused bitmap.
    ASSERT_TRUE(drv.Click(IDC_DHCPSCR_REFRESH));
    WaitRefresh(dlg, before + 2);
    s_sim->ErrorStatus(kBitmap, 5);
    boxes.Clear();
    EXPECT_EQ(ApplyPorts(dlg, drv, "1-4"), std::vector<std::string>{"1.0=x:0ffffff0"});
    // The read-back is refused as well: the edit shows no ports rather than the last read's.
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{
                  "Failed to write the DHCP server trusted ports: the device did not accept them.",
                  "Failed to read the trusted ports."}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_DHCPSCR_PORTS), "");
    s_sim->ErrorStatus(kBitmap, 0);
    ASSERT_TRUE(drv.Click(IDC_DHCPSCR_REFRESH));
    WaitRefresh(dlg, before + 4);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_DHCPSCR_PORTS), "1-28");  // the device's value, read again
}

TEST_F(DhcpScreening, FailedReadsKeepTheActionsThatNeedThemUnavailable) {
    test::UseSimV1(*s_sim, "400");
    s_sim->Silence(true);
    CDHCPServerScreenDlg dlg;
    DialogDriver drv(dlg);
    WaitRefresh(dlg, 1);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Failed to read the trusted ports, the trusted DHCP server "
                                       "list and the link aggregation groups."});
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_DHCPSCR_PORT_ADD));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_DHCPSCR_SERVER_ADD));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_DHCPSCR_REFRESH));
    s_sim->Silence(false);
    boxes.Clear();
    ASSERT_TRUE(drv.Click(IDC_DHCPSCR_REFRESH));
    WaitRefresh(dlg, 2);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{});
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_DHCPSCR_PORT_ADD));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_DHCPSCR_SERVER_ADD));
}

TEST_F(DhcpScreening, TrustedPortsThatDidNotReadAreNotShown) {
    CDHCPServerScreenDlg dlg;
    DialogDriver drv(dlg);
    WaitRefresh(dlg, 1);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_DHCPSCR_PORTS), "1-28");
    // The bitmap as an integer, then left out of the reply: no ports shown, nothing written.
    for (int round = 0; round < 2; ++round) {
        if (round == 0) {
            s_sim->Set(kBitmap, "i", "0");
        } else {
            s_sim->Set(kBitmap, "x", "00000000");
            s_sim->Omit(kBitmap);
        }
        boxes.Clear();
        ASSERT_TRUE(drv.Click(IDC_DHCPSCR_REFRESH));
        WaitRefresh(dlg, 2 + round);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the trusted ports."}) << round;
        EXPECT_EQ(dlg.GetDlgItemText(IDC_DHCPSCR_PORTS), "") << round;
        EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_DHCPSCR_PORT_ADD)) << round;
        s_sim->ClearLog();
        ASSERT_TRUE(drv.Type(IDC_DHCPSCR_PORTS, "1-4"));
        ASSERT_TRUE(drv.Click(IDC_DHCPSCR_PORT_ADD));
        EXPECT_TRUE(test::Sets(s_sim->Requests()).empty()) << round;
    }
}

void Pictures(const char* ports) {
    const QFont normal = QApplication::font();
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/security";
    QDir().mkpath(dir);
    for (double scale : {1.0, 1.5}) {
        QFont font = normal;
        font.setPointSizeF(normal.pointSizeF() * scale);
        QApplication::setFont(font);
        CDHCPServerScreenDlg dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(WaitUntil([&] { return dlg.RefreshesEnded() >= 1; }));
        test::PumpEvents();
        EXPECT_EQ(test::SettledLookProblems(&dlg), std::vector<std::string>{});
        const QString file =
            QString("%1/dhcp_screening_%2_%3.png").arg(dir, ports, scale == 1.0 ? "1x" : "1.5x");
        EXPECT_TRUE(test::GrabScreenshot(&dlg, file.toStdString()));
    }
    QApplication::setFont(normal);
}

TEST_F(DhcpScreening, Pictures) {
    PutRow(1, "c0a8010a", 1, 1);
    PutRow(2, "20010db8000000000000000000000001", 2, 1);
    Pictures("28");
}

class DhcpScreening52 : public DhcpScreening {
public:
    static void SetUpTestSuite() {
        SnmpInit();
        StartSim({"ksx-4200-52", {}});
    }

protected:
    void SetUp() override {
        DhcpScreening::SetUp();
        g_nPortNum = 52;
    }
};

TEST_F(DhcpScreening52, EightOctetBitmaps) {
    CDHCPServerScreenDlg dlg;
    DialogDriver drv(dlg);
    WaitRefresh(dlg, 1);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_DHCPSCR_PORTS), "1-52");
    EXPECT_EQ(ApplyPorts(dlg, drv, "1-4,6"), std::vector<std::string>{"1.0=x:0bfffffffffff000"});
    EXPECT_EQ(dlg.GetDlgItemText(IDC_DHCPSCR_PORTS), "1-4,6");
    EXPECT_EQ(ApplyPorts(dlg, drv, "1-4,52"), std::vector<std::string>{"1.0=x:0fffffffffffe000"});
    boxes.Clear();
    EXPECT_EQ(ApplyPorts(dlg, drv, "53"), std::vector<std::string>{});
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Invalid Portlist"});
    Pictures("52");
}

}  // namespace
