// The ARP spoofing prevention dialogs against the simulated switch: the list of active gateways, delete,
// the 64-entry limit; the add dialog's checks in their order, the duplicate rules against every row the
// list read, the trunk rule, the write sequence with its model-dependent creation, the port bitmaps of
// 4 and 8 octets, and a refused write that leaves no half-made row and keeps the dialog open.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

#include "controls/IPAddressCtrl.h"
#include "features/security/ARPSpoofSetting.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_impb.h"
#include "res/resource.h"
#include "tests/features/layer2/Layer2SimTest.h"
#include "tests/support/ui/DialogDriver.h"

namespace {

using namespace ksx;
using ksx::test::DialogDriver;
using ksx::test::WaitUntil;
using namespace ksx::test::layer2;

const std::string kTable = kP + ".14.3.1.1.";
const std::string kTrunkMembers = kP + ".8.1.3.1.2";
const char kQuestion[] = "Make sure the host IP and MAC exists or you will lose the connection.";

// Runs `open`, which shows a modal D, and `script` on that dialog once it is up; ends it if the script
// did not.
template <class D>
bool WithModal(const std::function<void()>& open, const std::function<void(D&)>& script) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        if (!WaitUntil([] { return dynamic_cast<D*>(QApplication::activeModalWidget()) != nullptr; })) {
            return;
        }
        auto* dlg = dynamic_cast<D*>(QApplication::activeModalWidget());
        seen = true;
        script(*dlg);
        if (!dlg->IsDialogEnded()) {
            dlg->EndDialog(IDCANCEL);
        }
    });
    open();
    return seen;
}

void Click(CDialog& dlg, int id) {
    auto* button = qobject_cast<QAbstractButton*>(dlg.GetDlgItem(id));
    ASSERT_NE(button, nullptr) << id;
    button->click();
    test::PumpEvents();
}

class ARPSpoofTest : public Layer2SimTest {
protected:
    void SetUp() override {
        Layer2SimTest::SetUp();
        Gateway("192.168.0.254", "001e944c2001", g_nPortNum > 28 ? "f000000000000000" : "f0000000", "1");
    }
    void TearDown() override {
        g_strDeviceName.clear();
        s_sim->LoseAnswer("off");
        Layer2SimTest::TearDown();
    }
    static bool WaitRead(CARPSpoofSetting& dlg) {
        return WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_ARPS_REFRESH); });
    }
    static bool WaitApply(CAddARPEntry& add) {
        return WaitUntil([&] { return add.IsDlgItemEnabled(IDC_ARPA_APPLY); });
    }
    static void Gateway(const std::string& address, const std::string& mac, const std::string& ports,
                        const std::string& status) {
        s_sim->Set(kTable + "1." + address, "a", address);
        s_sim->Set(kTable + "2." + address, "x", mac);
        s_sim->Set(kTable + "3." + address, "x", ports);
        s_sim->Set(kTable + "4." + address, "i", status);
    }
    static void Fill(CAddARPEntry& add, const std::string& address, const std::string& mac,
                     const std::vector<int>& ports) {
        add.Item<CIPAddressCtrl>(IDC_ARPA_ADDRESS)->SetAddress(address);
        add.Item<QLineEdit>(IDC_ARPA_MAC)->setText(QString::fromStdString(mac));
        for (int p : ports) {
            Click(add, IDC_ARPA_PORT_BASE + p);
        }
    }
    // Opens the add dialog from the list, fills it, answers the question with `answer` and presses Apply.
    // Returns whether the add dialog ended.
    bool AddThroughDialog(CARPSpoofSetting& dlg, const std::string& address, const std::string& mac,
                          const std::vector<int>& ports, int answer = IDOK) {
        bool ended = false;
        EXPECT_TRUE(WaitRead(dlg));  // Add is available once the list was read
        boxes.Clear();
        EXPECT_TRUE(WithModal<CAddARPEntry>([&] { Click(dlg, IDC_ARPS_ADD); },
                                            [&](CAddARPEntry& add) {
                                                ASSERT_TRUE(WaitApply(add));
                                                Fill(add, address, mac, ports);
                                                s_sim->ClearLog();
                                                boxes.Answer(answer);
                                                Click(add, IDC_ARPA_APPLY);
                                                ASSERT_TRUE(WaitUntil([&] { return !add.Run().Running(); }));
                                                ended = add.IsDialogEnded();
                                            }));
        return ended;
    }
    std::vector<std::string> Sets() { return SetLines(s_sim->Requests(), kTable.size()); }
};

TEST_F(ARPSpoofTest, ListsTheActiveGatewaysAndDeletesOne) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_ARP_SPOOFING));
    Gateway("10.0.0.1", "000000000001", "00000000", "2");
    Gateway("10.0.0.2", "001122334455", "80000040", "1");
    CARPSpoofSetting dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_EQ(dlg.GetWindowText(), "ARP Spoofing Prevention Setting");
    ASSERT_EQ(drv.Rows(IDC_ARPS_LIST), 2);
    EXPECT_EQ(drv.Row(IDC_ARPS_LIST, 0),
              (std::vector<std::string>{"1", "10.0.0.2", "00-11-22-33-44-55", "1,26"}));
    EXPECT_EQ(drv.Row(IDC_ARPS_LIST, 1),
              (std::vector<std::string>{"2", "192.168.0.254", "00-1E-94-4C-20-01", "1-4"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_ARPS_COUNT), "2");
    EXPECT_EQ(dlg.Entries().size(), 3u);  // the inactive row too, for the add dialog

    ASSERT_TRUE(drv.Click(IDC_ARPS_DELETE));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Please select the entry you would be delete!"});
    s_sim->ClearLog();
    ASSERT_TRUE(drv.ClickRow(IDC_ARPS_LIST, 1));
    ASSERT_TRUE(drv.Click(IDC_ARPS_DELETE));
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_EQ(Sets(), std::vector<std::string>{"4.192.168.0.254=i:6"});
    EXPECT_EQ(drv.Rows(IDC_ARPS_LIST), 1);
}

TEST_F(ARPSpoofTest, ACellThatDidNotReadIsEmptyAndACountOnlyFollowsAWholeRead) {
    Gateway("10.0.0.2", "001122334455", "80000040", "1");
    s_sim->Set(kTable + "2.10.0.0.2", "s", "x");  // the MAC of the wrong type
    CARPSpoofSetting dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    ASSERT_EQ(drv.Rows(IDC_ARPS_LIST), 2);
    EXPECT_EQ(drv.Row(IDC_ARPS_LIST, 0), (std::vector<std::string>{"1", "10.0.0.2", "", "1,26"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_ARPS_COUNT), "2");
    // The walk fails at the second row: what arrived is listed, but no count, and Add waits.
    Fail(kTable + "4.192.168.0.254", 5);
    ASSERT_TRUE(drv.Click(IDC_ARPS_REFRESH));
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_EQ(drv.Rows(IDC_ARPS_LIST), 1);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_ARPS_COUNT), "");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_ARPS_ADD));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the ARP spoofing prevention entries. "
                                                      "Press Refresh to read them again."});
}

TEST_F(ARPSpoofTest, AddWritesTheRowInItsSequenceWithAFourOctetBitmap) {
    CARPSpoofSetting dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_TRUE(AddThroughDialog(dlg, "10.0.0.9", "00-0a-0b-0c-0d-0e", {1, 2, 28}));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{kQuestion});
    EXPECT_EQ(boxes.Boxes().front().flags, MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2);
    EXPECT_EQ(Sets(), (std::vector<std::string>{"4.10.0.0.9=i:5", "2.10.0.0.9=x:000a0b0c0d0e",
                                                "2.10.0.0.9=x:000a0b0c0d0e 3.10.0.0.9=x:c0000010",
                                                "4.10.0.0.9=i:1"}));
    ASSERT_TRUE(WaitRead(dlg));
    ASSERT_EQ(drv.Rows(IDC_ARPS_LIST), 2);
    EXPECT_EQ(drv.Row(IDC_ARPS_LIST, 0),
              (std::vector<std::string>{"1", "10.0.0.9", "00-0A-0B-0C-0D-0E", "1-2,28"}));
}

TEST_F(ARPSpoofTest, TheCreateAndGoModelCreatesWithFour) {
    g_strDeviceName = "KSE-4200-08P B1";
    CARPSpoofSetting dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_TRUE(AddThroughDialog(dlg, "10.0.0.9", "00-0A-0B-0C-0D-0E", {3}));
    const auto sets = Sets();
    ASSERT_FALSE(sets.empty());
    EXPECT_EQ(sets.front(), "4.10.0.0.9=i:4");
    // Its MAC address refused and then its removal: the entry stays active without them, and is said so.
    s_sim->RefuseWrites(kTable + "2.10.0.0.8", 5);
    s_sim->Command("error " + kTable + "4.10.0.0.8 5 6");
    EXPECT_FALSE(AddThroughDialog(dlg, "10.0.0.8", "00-0A-0B-0C-0D-0E", {3}));
    s_sim->Command("error " + kTable + "4.10.0.0.8 0 6");
    s_sim->RefuseWrites(kTable + "2.10.0.0.8", 0);
    EXPECT_EQ(
        boxes.Texts().back(),
        "Failed to add the gateway 10.0.0.8: the device did not accept the MAC address. The device did "
        "not accept the removal of its row. The entry is left on the device without its MAC address and "
        "ports: delete it and add it again.");
    EXPECT_EQ(s_sim->Get(kTable + "4.10.0.0.8"), "1");
}

TEST_F(ARPSpoofTest, ACreateAndGoAppliedButNeverAnsweredGetsItsMacAndPortsOrGoes) {
    g_strDeviceName = "KSE-4200-08P B1";
    CARPSpoofSetting dlg;
    DialogDriver drv(dlg);
    const std::string status = kTable + "4.10.0.0.9";
    for (const bool macRefused : {true, false}) {
        SCOPED_TRACE(macRefused);
        ASSERT_TRUE(WaitRead(dlg));
        Fail(kTable + "2.10.0.0.9", macRefused ? 5 : 0);
        s_sim->LoseAnswer(status);
        EXPECT_EQ(AddThroughDialog(dlg, "10.0.0.9", "00-0A-0B-0C-0D-0E", {3}), !macRefused);
        const std::string made =
            "he device did not answer the create of the gateway 10.0.0.9, but it had made it; ";
        EXPECT_EQ(boxes.Texts(),
                  (std::vector<std::string>{
                      kQuestion,
                      macRefused ? "Failed to add the gateway 10.0.0.9: t" + made +
                                       "the rest of it could not be written, so the row it made was removed."
                                 : "T" + made +
                                       "the rest of it is now written. The gateway 10.0.0.9 "
                                       "was added."}));
        EXPECT_EQ(s_sim->Get(status), macRefused ? "" : "1");
        EXPECT_EQ(s_sim->Get(kTable + "3.10.0.0.9"), macRefused ? "" : "20000000");
    }
}

TEST_F(ARPSpoofTest, TheAddChecksInTheirOrderAndCancelSendsNothing) {
    CARPSpoofSetting dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    WithModal<CAddARPEntry>(
        [&] { Click(dlg, IDC_ARPS_ADD); },
        [&](CAddARPEntry& add) {
            ASSERT_TRUE(WaitApply(add));
            EXPECT_EQ(add.GetWindowText(), "ARP Spoofing Prevention Settings");
            s_sim->ClearLog();
            auto apply = [&](const std::string& address, const std::string& mac, int answer = IDOK) {
                boxes.Clear();
                boxes.Answer(answer);
                add.Item<CIPAddressCtrl>(IDC_ARPA_ADDRESS)->SetAddress(address);
                add.Item<QLineEdit>(IDC_ARPA_MAC)->setText(QString::fromStdString(mac));
                Click(add, IDC_ARPA_APPLY);
                return boxes.Texts();
            };
            using V = std::vector<std::string>;
            EXPECT_EQ(apply("", "00-0A-0B-0C-0D-0E"), V{"Multicast IP is not allowed"});
            EXPECT_EQ(apply("224.0.0.1", "00-0A-0B-0C-0D-0E"), V{"Multicast IP is not allowed"});
            const V badMac{"Please enter correct MAC format(ex:00-00-00-00-00-01)"};
            EXPECT_EQ(apply("10.0.0.9", "00:0A:0B:0C:0D:0E"), badMac);
            EXPECT_EQ(apply("10.0.0.9", "00-00-00-00-00-00"), badMac);
            EXPECT_EQ(apply("10.0.0.9", "ff-FF-ff-FF-ff-FF"), V{"Broadcast MAC is not allowed."});
            EXPECT_EQ(apply("10.0.0.9", "01-00-5E-00-00-01"), V{"Multicast MAC address is not allowed."});
            EXPECT_EQ(apply("10.0.0.9", "00-0A-0B-0C-0D-0E"), V{"Invalid Port Number"});
            // All Ports on, then off again: no port.
            Click(add, IDC_ARPA_ALL);
            EXPECT_EQ(add.IsDlgButtonChecked(IDC_ARPA_PORT_BASE + 28), 1);
            Click(add, IDC_ARPA_ALL);
            EXPECT_EQ(apply("10.0.0.9", "00-0A-0B-0C-0D-0E"), V{"Invalid Port Number"});
            // One member of the trunk of ports 25 and 26 is refused, both pass.
            Click(add, IDC_ARPA_PORT_BASE + 25);
            EXPECT_EQ(apply("10.0.0.9", "00-0A-0B-0C-0D-0E"),
                      V{"ARP Spoofing Prevention enabled port must match to the aggregated link port."});
            Click(add, IDC_ARPA_PORT_BASE + 26);
            EXPECT_EQ(apply("10.0.0.9", "00-0A-0B-0C-0D-0E", IDCANCEL), V{kQuestion});
            EXPECT_FALSE(add.IsDialogEnded());
            EXPECT_EQ(add.GetDlgItemText(IDC_ARPA_MAC), "00-0A-0B-0C-0D-0E");
            EXPECT_TRUE(Sets().empty());
        });
}

TEST_F(ARPSpoofTest, DuplicatesAreFoundAmongEveryRowTheListRead) {
    Gateway("10.0.0.1", "000a0b0c0d01", "00000000", "2");
    CARPSpoofSetting dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_FALSE(AddThroughDialog(dlg, "192.168.0.254", "00-1e-94-4c-20-01", {5}));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Duplicate MAC and IP."});
    EXPECT_FALSE(AddThroughDialog(dlg, "192.168.0.254", "00-1E-94-4C-20-02", {5}));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Duplicate IP."});
    EXPECT_TRUE(Sets().empty());
    // An inactive row of the same address is destroyed before the new one is made.
    EXPECT_TRUE(AddThroughDialog(dlg, "10.0.0.1", "00-0A-0B-0C-0D-0E", {5}));
    EXPECT_EQ(Sets(), (std::vector<std::string>{
                          "4.10.0.0.1=i:6", "4.10.0.0.1=i:5", "2.10.0.0.1=x:000a0b0c0d0e",
                          "2.10.0.0.1=x:000a0b0c0d0e 3.10.0.0.1=x:08000000", "4.10.0.0.1=i:1"}));
}

TEST_F(ARPSpoofTest, ARefusedWriteIsReportedLeavesNoRowAndKeepsTheDialogOpen) {
    Fail(kTable + "2.10.0.0.9", 5);
    CARPSpoofSetting dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_FALSE(AddThroughDialog(dlg, "10.0.0.9", "00-0A-0B-0C-0D-0E", {3}));
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{kQuestion,
                                                       "Failed to add the gateway 10.0.0.9: the device did "
                                                       "not accept the MAC address. The entry was not "
                                                       "added."}));
    EXPECT_EQ(Sets(),
              (std::vector<std::string>{"4.10.0.0.9=i:5", "2.10.0.0.9=x:000a0b0c0d0e", "4.10.0.0.9=i:6"}));
    EXPECT_EQ(s_sim->Get(kTable + "4.10.0.0.9"), "");
    // A MAC address the device never answered for is not said as refused: it may have been applied.
    Fail(kTable + "2.10.0.0.9", 0);
    s_sim->LoseAnswer(kTable + "2.10.0.0.9");
    EXPECT_FALSE(AddThroughDialog(dlg, "10.0.0.9", "00-0A-0B-0C-0D-0E", {3}));
    EXPECT_EQ(boxes.Texts().back(),
              "Failed to add the gateway 10.0.0.9: the device did not answer: it did not "
              "confirm whether the MAC address was written. The entry was not added.");
    EXPECT_EQ(s_sim->Get(kTable + "4.10.0.0.9"), "");
    // Its removal refused as well: the row certainly stays, not active, and the next add replaces it.
    s_sim->RefuseWrites(kTable + "2.10.0.0.9", 5);
    s_sim->Command("error " + kTable + "4.10.0.0.9 5 6");
    EXPECT_FALSE(AddThroughDialog(dlg, "10.0.0.9", "00-0A-0B-0C-0D-0E", {3}));
    s_sim->Command("error " + kTable + "4.10.0.0.9 0 6");
    s_sim->RefuseWrites(kTable + "2.10.0.0.9", 0);
    EXPECT_EQ(boxes.Texts().back(),
              "Failed to add the gateway 10.0.0.9: the device did not accept the MAC address. The device did "
              "not accept the removal of its row. A row for the entry is left on the device, not active; "
              "adding it again replaces it.");
    EXPECT_EQ(s_sim->Get(kTable + "4.10.0.0.9"), "2");
    EXPECT_TRUE(AddThroughDialog(dlg, "10.0.0.9", "00-0A-0B-0C-0D-0E", {3}));
    const std::vector<std::string> sets = Sets();
    ASSERT_GE(sets.size(), 2u);
    EXPECT_EQ((std::vector<std::string>{sets[0], sets[1]}),
              (std::vector<std::string>{"4.10.0.0.9=i:6", "4.10.0.0.9=i:5"}));
}

TEST_F(ARPSpoofTest, SixtyFourActiveRowsStopTheAddRowsOfOtherStatusDoNot) {
    for (int i = 1; i <= 62; ++i) {
        Gateway("10.0.1." + std::to_string(i), "000a0b0c0d01", "00000000", "1");
    }
    Gateway("10.0.2.1", "000a0b0c0d01", "00000000", "2");
    {
        CARPSpoofSetting dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(WaitRead(dlg));
        ASSERT_EQ(drv.Rows(IDC_ARPS_LIST), 63);
        EXPECT_TRUE(WithModal<CAddARPEntry>([&] { Click(dlg, IDC_ARPS_ADD); }, [](CAddARPEntry&) {}));
    }
    Gateway("10.0.1.63", "000a0b0c0d01", "00000000", "1");
    CARPSpoofSetting dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    ASSERT_EQ(drv.Rows(IDC_ARPS_LIST), 64);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_ARPS_COUNT), "64");
    boxes.Clear();
    Click(dlg, IDC_ARPS_ADD);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"The Maximum of Entry is 64, can not add any more"});
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(ARPSpoofTest, ApplyWaitsForTheTrunkReadAndAFailedOneSaysSo) {
    Fail(kTrunkMembers, 5);
    CARPSpoofSetting dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    WithModal<CAddARPEntry>(
        [&] { Click(dlg, IDC_ARPS_ADD); },
        [&](CAddARPEntry& add) {
            ASSERT_TRUE(WaitUntil([&] { return add.TrunkGroups().Failed(); }));
            EXPECT_FALSE(add.IsDlgItemEnabled(IDC_ARPA_APPLY));
            EXPECT_EQ(
                add.GetDlgItemText(IDC_ARPA_STATUS),
                "The trunk membership of the ports could not be read. Close the dialog and open it again.");
        });
}

TEST(ARPPortBitmap, FourOctetsUpToTwentyEightPortsEightForFiftyTwo) {
    const int saved = g_nPortNum;
    for (const auto& [ports, octets] :
         std::vector<std::pair<int, size_t>>{{20, 4}, {28, 4}, {48, 8}, {52, 8}}) {
        g_nPortNum = ports;
        std::vector<int> flags(static_cast<size_t>(ports), 0);
        flags.front() = 1;
        flags.back() = 1;
        const std::string bitmap = arp::PortBitmap(flags);
        ASSERT_EQ(bitmap.size(), octets) << ports;
        EXPECT_EQ(static_cast<unsigned char>(bitmap[0]), 0x80) << ports;
        EXPECT_EQ(static_cast<unsigned char>(bitmap[static_cast<size_t>((ports - 1) / 8)]),
                  0x80u >> static_cast<unsigned>((ports - 1) % 8))
            << ports;
    }
    // A count without padding keeps its last ports (26 ports: seven digits, four octets).
    g_nPortNum = 26;
    std::vector<int> flags(26, 0);
    flags[25] = 1;
    EXPECT_EQ(arp::PortBitmap(flags), std::string("\x00\x00\x00\x40", 4));
    g_nPortNum = saved;
}

class ARPSpoof52 : public ARPSpoofTest {
public:
    static void SetUpTestSuite() { StartSim({"ksx-4200-52", {}}); }

protected:
    void SetUp() override {
        ARPSpoofTest::SetUp();
        g_nPortNum = 52;
    }
    void TearDown() override {
        ARPSpoofTest::TearDown();
        g_nPortNum = 28;
    }
};

TEST_F(ARPSpoof52, AddSendsAnEightOctetBitmap) {
    CARPSpoofSetting dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_TRUE(AddThroughDialog(dlg, "10.0.0.9", "00-0A-0B-0C-0D-0E", {1, 27, 52}));
    const auto sets = Sets();
    ASSERT_EQ(sets.size(), 4u);
    EXPECT_EQ(sets[2], "2.10.0.0.9=x:000a0b0c0d0e 3.10.0.0.9=x:8000002000001000");
}

}  // namespace
