// DHCP/BOOTP relay interface settings against the simulated switch: the server walk, adding a server
// (create, then activate) and deleting one, the limit of four, duplicates and incomplete addresses
// refused before any request, failed reads and refused writes; pictures at two font sizes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <string>
#include <vector>

#include "controls/IPAddressCtrl.h"
#include "features/security/DHCPBOOTPRelayInterfaceDlg.h"
#include "platform/snmplib/Snmp.h"
#include "platform/sys/Tunable.h"
#include "res/ids_legacy.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/LookCheck.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::DialogDriver;
using test::WaitUntil;

const std::string kTable = "1.3.6.1.4.1.7393.10.76.20.1.28.2.1.1";
const std::string kSystem = ".6.83.121.115.116.101.109.";
const size_t kCut = kTable.size() + 1;  // set lines read "3.6.83....10.0.0.1=i:5"

std::string Status(const std::string& address, int value) {
    return "3" + kSystem + address + "=i:" + std::to_string(value);
}

class RelayServers : public test::SharedSimTest {
public:
    static void SetUpTestSuite() {
        SnmpInit();
        SharedSimTest::SetUpTestSuite();
    }

protected:
    void TearDown() override {
        s_sim->ErrorStatus(kTable, 0);
        SharedSimTest::TearDown();
    }
    void Ready(CDHCPBOOTPRelayInterfaceDlg& dlg, int walks = 1) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.WalksEnded() >= walks; }));
        test::PumpEvents();
    }
    std::vector<std::string> Add(CDHCPBOOTPRelayInterfaceDlg& dlg, DialogDriver& drv,
                                 const std::string& address) {
        s_sim->ClearLog();
        const int walks = dlg.WalksEnded();
        drv.ItemAs<CIPAddressCtrl>(IDC_RLI_SERVER_IP)->ClearAddress();
        EXPECT_TRUE(drv.Type(IDC_RLI_SERVER_IP, address));
        EXPECT_TRUE(drv.Click(IDC_RLI_APPLY));
        EXPECT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }));
        const std::vector<std::string> sets = test::SetLines(s_sim->Requests(), kCut);
        if (!sets.empty()) {
            Ready(dlg, walks + 1);
        }
        return sets;
    }
    std::vector<std::string> Servers(DialogDriver& drv) {
        std::vector<std::string> out;
        for (int r = 0; r < drv.Rows(IDC_RLI_LIST); ++r) {
            out.push_back(drv.Cell(IDC_RLI_LIST, r, 0) + " " + drv.Cell(IDC_RLI_LIST, r, 1));
        }
        return out;
    }

    test::ScriptedMessageBox boxes;
    Tunable::Override pause{"dhcp-relay.activate-pause-ms", 0};
};

TEST_F(RelayServers, AddsAndDeletesServers) {
    CDHCPBOOTPRelayInterfaceDlg dlg;
    DialogDriver drv(dlg);
    Ready(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "DHCP/BOOTP Relay Interface Settings");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RLI_INTERFACE), "System");
    const std::vector<std::string> log = test::RequestLines(s_sim->Requests());
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0], "getnext " + kTable + ".2=n: " + kTable + ".3=n:");
    EXPECT_EQ(Servers(drv), std::vector<std::string>{"System 192.168.1.5"});

    EXPECT_EQ(Add(dlg, drv, "10.0.0.1"),
              (std::vector<std::string>{Status("10.0.0.1", 5), Status("10.0.0.1", 1)}));
    EXPECT_EQ(test::Sets(s_sim->Requests())[0].principal, "harbour");
    EXPECT_EQ(Servers(drv), (std::vector<std::string>{"System 10.0.0.1", "System 192.168.1.5"}));
    // A listed server, an incomplete address: refused before any request.
    EXPECT_EQ(Add(dlg, drv, "192.168.1.5"), std::vector<std::string>{});
    EXPECT_EQ(Add(dlg, drv, "10.0.0."), std::vector<std::string>{});
    EXPECT_EQ(Add(dlg, drv, ""), std::vector<std::string>{});
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"Server IP Already Exist. ",
                                                       "Please enter the whole server IP address.",
                                                       "Please enter the whole server IP address."}));
    EXPECT_EQ(Add(dlg, drv, "10.0.0.2").size(), 2u);
    EXPECT_EQ(Add(dlg, drv, "10.0.0.3").size(), 2u);
    boxes.Clear();
    s_sim->ClearLog();
    EXPECT_EQ(Add(dlg, drv, "10.0.0.4"), std::vector<std::string>{});
    EXPECT_EQ(s_sim->Requests().size(), 0u);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Maximum number of servers(4) has been reached."});

    // Delete: the selected row's server.
    boxes.Clear();
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_RLI_DELETE));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Please select the server to delete"});
    ASSERT_TRUE(drv.ClickRow(IDC_RLI_LIST, 1));
    const std::string selected = drv.Cell(IDC_RLI_LIST, 1, 1);
    const int walks = dlg.WalksEnded();
    ASSERT_TRUE(drv.Click(IDC_RLI_DELETE));
    EXPECT_EQ(test::SetLines(s_sim->Requests(), kCut), std::vector<std::string>{Status(selected, 6)});
    Ready(dlg, walks + 1);
    EXPECT_EQ(drv.Rows(IDC_RLI_LIST), 3);
}

TEST_F(RelayServers, OnlyActiveRowsAreListed) {
    // A row created but never activated.
    s_sim->Set(kTable + ".1" + kSystem + "10.9.9.9", "s", "System");
    s_sim->Set(kTable + ".2" + kSystem + "10.9.9.9", "x", "0a090909");
    s_sim->Set(kTable + ".3" + kSystem + "10.9.9.9", "i", "2");
    CDHCPBOOTPRelayInterfaceDlg dlg;
    DialogDriver drv(dlg);
    Ready(dlg);
    EXPECT_EQ(Servers(drv), std::vector<std::string>{"System 192.168.1.5"});
    // Added again, it replaces the row left behind, on the user's Yes.
    EXPECT_EQ(Add(dlg, drv, "10.9.9.9"),
              (std::vector<std::string>{Status("10.9.9.9", 5), Status("10.9.9.9", 6), Status("10.9.9.9", 5),
                                        Status("10.9.9.9", 1)}));
    EXPECT_EQ(Servers(drv), (std::vector<std::string>{"System 10.9.9.9", "System 192.168.1.5"}));
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"The device already holds the relay server 10.9.9.9, not "
                                       "in service. Replace it?"});
}

TEST_F(RelayServers, FailedReadsAndRefusedWritesAreReported) {
    s_sim->ErrorStatus(kTable + ".3", 5);
    CDHCPBOOTPRelayInterfaceDlg dlg;
    DialogDriver drv(dlg);
    Ready(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the DHCP/BOOTP relay servers."});
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_RLI_APPLY));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_RLI_REFRESH));
    s_sim->ErrorStatus(kTable + ".3", 0);
    ASSERT_TRUE(drv.Click(IDC_RLI_REFRESH));
    Ready(dlg, 2);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_RLI_APPLY));

    boxes.Clear();
    s_sim->ErrorStatus(kTable + ".3" + kSystem + "10.0.0.1", 5);
    EXPECT_EQ(Add(dlg, drv, "10.0.0.1"), std::vector<std::string>{Status("10.0.0.1", 5)});
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{
                  "Failed to add the relay server 10.0.0.1: the device did not accept the create."});
    s_sim->ErrorStatus(kTable + ".3" + kSystem + "10.0.0.1", 0);

    // A refused activation, then a refused removal of the row the add made: the row stays and is said.
    const std::string status = kTable + ".3" + kSystem + "10.0.0.2";
    s_sim->Command("error " + status + " 5 1");
    s_sim->Command("error " + status + " 5 6");
    EXPECT_EQ(
        Add(dlg, drv, "10.0.0.2"),
        (std::vector<std::string>{Status("10.0.0.2", 5), Status("10.0.0.2", 1), Status("10.0.0.2", 6)}));
    EXPECT_EQ(
        boxes.Texts().back(),
        "Failed to add the relay server 10.0.0.2: the device did not accept the activation. The device did "
        "not accept the removal of its row. A row for the relay server 10.0.0.2 is left on the device, not "
        "active; adding it again replaces it.");
    EXPECT_EQ(s_sim->Get(status), "2");
    s_sim->Command("error " + status + " 0 1");
    s_sim->Command("error " + status + " 0 6");
}

TEST_F(RelayServers, ClosingWhileReadingEndsTheWalk) {
    s_sim->DelayMs(300);
    {
        CDHCPBOOTPRelayInterfaceDlg dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(
            s_sim->WaitForRequests([](const std::vector<test::SimRequest>& log) { return !log.empty(); }));
    }
    // The walk's session closed with the dialog: the late reply reaches nothing.
    s_sim->DelayMs(0);
    test::PumpEvents();
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(RelayServers, Pictures) {
    const QFont normal = QApplication::font();
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/security";
    QDir().mkpath(dir);
    for (double scale : {1.0, 1.5}) {
        QFont font = normal;
        font.setPointSizeF(normal.pointSizeF() * scale);
        QApplication::setFont(font);
        CDHCPBOOTPRelayInterfaceDlg dlg;
        DialogDriver drv(dlg);
        Ready(dlg);
        EXPECT_EQ(test::SettledLookProblems(&dlg), std::vector<std::string>{});
        const QString file = QString("%1/dhcp_relay_interface_%2.png").arg(dir, scale == 1.0 ? "1x" : "1.5x");
        EXPECT_TRUE(test::GrabScreenshot(&dlg, file.toStdString()));
    }
    QApplication::setFont(normal);
}

}  // namespace
