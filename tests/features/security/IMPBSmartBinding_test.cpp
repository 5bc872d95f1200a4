// The bindings dialog against the simulated switch: the table as read (also rows the device gives
// malformed), binding a row, the manual entry's checks and its allowed-list writes for IPv4 and IPv6,
// a failed write that leaves no half-made row, and the scan with its reloads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "features/security/IMPBSmartBinding.h"
#include "platform/sys/Tunable.h"
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

const std::string kBranch = kP + ".14.10.";
const std::string kV6Arcs = "16.254.128.0.0.0.0.0.0.0.0.0.0.0.0.0.1";  // fe80::1
const char kBadMac[] = "Please enter correct MAC format(ex:00-00-00-00-00-01)";

class IMPBSmartBindingTest : public Layer2SimTest {
protected:
    static bool WaitRead(CIMPBSmartBinding& dlg) {
        return WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_IMPBB_REFRESH); });
    }
    std::vector<std::string> Sets() { return SetLines(s_sim->Requests(), kBranch.size()); }
    // Walks of the binding table started (their first request names the bare columns).
    int Reloads() {
        int n = 0;
        for (const auto& r : test::OfKind(s_sim->Requests(), "getnext")) {
            n += !r.varbinds.empty() && r.varbinds[0].oid == kBranch + "2.1.1" ? 1 : 0;
        }
        return n;
    }
    static bool RunEnded(DialogDriver& drv) {
        return WaitUntil([&] { return !static_cast<CIMPBSmartBinding&>(drv.Dialog()).Run().Running(); });
    }
    std::vector<std::string> Add(DialogDriver& drv, const std::string& address, const std::string& mac,
                                 const std::string& port, int answer = 0) {
        boxes.Clear();
        if (answer != 0) {
            boxes.Answer(answer);
        }
        s_sim->ClearLog();
        EXPECT_TRUE(drv.Type(IDC_IMPBB_ADDRESS, address));
        EXPECT_TRUE(drv.Type(IDC_IMPBB_MAC, mac));
        EXPECT_TRUE(drv.Type(IDC_IMPBB_PORT, port));
        EXPECT_TRUE(drv.Click(IDC_IMPBB_ADD));
        EXPECT_TRUE(RunEnded(drv));
        return boxes.Texts();
    }
    std::vector<std::string> Scan(DialogDriver& drv, const std::string& from, const std::string& to) {
        boxes.Clear();
        s_sim->ClearLog();
        EXPECT_TRUE(drv.Type(IDC_IMPBB_FROM, from));
        EXPECT_TRUE(drv.Type(IDC_IMPBB_TO, to));
        EXPECT_TRUE(drv.Click(IDC_IMPBB_SCAN));
        EXPECT_TRUE(RunEnded(drv));
        return boxes.Texts();
    }
    static void AddBinding(const std::string& index, const std::string& macHex, int port,
                           const std::string& address, int state) {
        s_sim->Set(kBranch + "2.1.1." + index, "x", macHex);
        s_sim->Set(kBranch + "2.1.2." + index, "i", std::to_string(port));
        s_sim->Set(kBranch + "2.1.3." + index, "x", address);
        s_sim->Set(kBranch + "2.1.4." + index, "i", "1");
        s_sim->Set(kBranch + "2.1.5." + index, "i", std::to_string(state));
    }
};

TEST_F(IMPBSmartBindingTest, ListsTheBindingsInColumnOrderOneFourTwoThreeFive) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_SMART_BINDING));
    CIMPBSmartBinding dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_EQ(dlg.GetWindowText(), "Smart Binding");
    ASSERT_EQ(drv.Rows(IDC_IMPBB_LIST), 2);
    EXPECT_EQ(drv.Row(IDC_IMPBB_LIST, 0),
              (std::vector<std::string>{"1", "192.168.1.1", "00-11-22-33-44-55", "5", "Not Bound"}));
    EXPECT_EQ(drv.Row(IDC_IMPBB_LIST, 1),
              (std::vector<std::string>{"1", "fe80:0000:0000:0000:0000:0000:0000:0001", "00-11-22-33-44-66",
                                        "7", "Bound"}));
    const auto first = test::OfKind(s_sim->Requests(), "getnext").front();
    EXPECT_EQ(test::Bindings(first),
              (std::vector<std::string>{kBranch + "2.1.1=n:", kBranch + "2.1.4=n:", kBranch + "2.1.2=n:",
                                        kBranch + "2.1.3=n:", kBranch + "2.1.5=n:"}));
}

TEST_F(IMPBSmartBindingTest, AStateOfTheWrongTypeIsNeitherBoundNorNotBound) {
    // The first binding's state (not bound) answered as text.
    s_sim->Set(kBranch + "2.1.5.0.17.34.51.68.85.5.4.192.168.1.1", "s", "2");
    CIMPBSmartBinding dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    ASSERT_EQ(drv.Rows(IDC_IMPBB_LIST), 2);
    EXPECT_EQ(drv.Cell(IDC_IMPBB_LIST, 0, 4), "");
    EXPECT_EQ(drv.Cell(IDC_IMPBB_LIST, 1, 4), "Bound");
}

TEST_F(IMPBSmartBindingTest, RowsGivenMalformedShowWhatIsValidAndAreNotBound) {
    // A MAC of five octets, and an instance too short for its address part; a 17-octet address value.
    AddBinding("0.1.2.3.4.9.3.4.10", "0001020304", 3, "0a000001", 2);
    AddBinding("0.1.2.3.4.10.3", "000102030410", 3, "0102030405060708090a0b0c0d0e0f1011", 2);
    CIMPBSmartBinding dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    ASSERT_EQ(drv.Rows(IDC_IMPBB_LIST), 4);
    EXPECT_EQ(drv.Row(IDC_IMPBB_LIST, 0), (std::vector<std::string>{"1", "10.0.0.1", "", "3", "Not Bound"}));
    EXPECT_EQ(drv.Row(IDC_IMPBB_LIST, 1),
              (std::vector<std::string>{"1", "", "00-01-02-03-04-10", "3", "Not Bound"}));
    s_sim->ClearLog();
    for (int row : {0, 1}) {
        boxes.Clear();
        ASSERT_TRUE(drv.ClickRow(IDC_IMPBB_LIST, row));
        ASSERT_TRUE(drv.Click(IDC_IMPBB_BIND));
        EXPECT_EQ(boxes.Texts(),
                  std::vector<std::string>{
                      "The entry cannot be bound: its IP address, MAC address or port was not read."});
    }
    EXPECT_TRUE(Sets().empty());
}

TEST_F(IMPBSmartBindingTest, BindsTheFirstSelectedRowByMacPortAndAddress) {
    s_sim->Set(kBranch + "2.1.5.0.17.34.51.68.102.7." + kV6Arcs, "i", "2");
    CIMPBSmartBinding dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    ASSERT_TRUE(drv.Click(IDC_IMPBB_BIND));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Please select the item would be Binding!\n"});

    s_sim->ClearLog();
    ASSERT_TRUE(drv.ClickRow(IDC_IMPBB_LIST, 0));
    ASSERT_TRUE(drv.Click(IDC_IMPBB_BIND));
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_EQ(Sets(), std::vector<std::string>{"2.1.5.0.17.34.51.68.85.5.4.192.168.1.1=i:1"});
    EXPECT_EQ(drv.Cell(IDC_IMPBB_LIST, 0, 4), "Bound");

    s_sim->ClearLog();
    ASSERT_TRUE(drv.ClickRow(IDC_IMPBB_LIST, 1));
    ASSERT_TRUE(drv.Click(IDC_IMPBB_BIND));
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_EQ(Sets(), std::vector<std::string>{"2.1.5.0.17.34.51.68.102.7." + kV6Arcs + "=i:1"});

    boxes.Clear();
    s_sim->ClearLog();
    ASSERT_TRUE(drv.ClickRow(IDC_IMPBB_LIST, 0));
    ASSERT_TRUE(drv.Click(IDC_IMPBB_BIND));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"The entry is bound."});
    EXPECT_TRUE(Sets().empty());
}

TEST_F(IMPBSmartBindingTest, ManualEntryGoesToTheAllowedListForIpv4AndExpandedIpv6) {
    CIMPBSmartBinding dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_EQ(Add(drv, "192.168.1.20", "00-11-22-33-44-77", "3"), std::vector<std::string>{"Success!"});
    const std::string v4 = ".4.192.168.1.20.0.17.34.51.68.119";
    EXPECT_EQ(Sets(), (std::vector<std::string>{"3.1.4" + v4 + "=i:5", "3.1.3" + v4 + "=i:3",
                                                "3.1.4" + v4 + "=i:1"}));
    EXPECT_EQ(s_sim->Get(kBranch + "3.1.4" + v4), "1");
    for (int id : {IDC_IMPBB_ADDRESS, IDC_IMPBB_MAC, IDC_IMPBB_PORT}) {
        EXPECT_EQ(dlg.GetDlgItemText(id), "");
    }
    // The list is not read again.
    EXPECT_TRUE(test::OfKind(s_sim->Requests(), "getnext").empty());

    EXPECT_EQ(Add(drv, "2001:DB8::5", "00-11-22-33-44-78", "28"), std::vector<std::string>{"Success!"});
    const std::string v6 = ".16.32.1.13.184.0.0.0.0.0.0.0.0.0.0.0.5.0.17.34.51.68.120";
    EXPECT_EQ(Sets(), (std::vector<std::string>{"3.1.4" + v6 + "=i:5", "3.1.3" + v6 + "=i:28",
                                                "3.1.4" + v6 + "=i:1"}));
}

TEST_F(IMPBSmartBindingTest, AnotherManagersEntryNotActiveIsReplacedOnYesAndAnActiveOneIsKept) {
    CIMPBSmartBinding dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    const std::string index = ".4.10.0.0.9.0.17.34.51.68.119";
    s_sim->Command("row " + kBranch + "3.1.4" + index + " 3");
    const std::string held = "The device already holds the entry, not ready";
    EXPECT_EQ(Add(drv, "10.0.0.9", "00-11-22-33-44-77", "3", IDNO),
              (std::vector<std::string>{held + ". Replace it?", held + "; it was left as it is."}));
    EXPECT_TRUE(Sets().empty());
    EXPECT_EQ(s_sim->Get(kBranch + "3.1.4" + index), "3");
    EXPECT_EQ(Add(drv, "10.0.0.9", "00-11-22-33-44-77", "3"),
              (std::vector<std::string>{held + ". Replace it?", "Success!"}));
    EXPECT_EQ(Sets(), (std::vector<std::string>{"3.1.4" + index + "=i:5", "3.1.4" + index + "=i:6",
                                                "3.1.4" + index + "=i:5", "3.1.3" + index + "=i:3",
                                                "3.1.4" + index + "=i:1"}));
    // An active one stays as it is.
    EXPECT_EQ(
        Add(drv, "10.0.0.9", "00-11-22-33-44-77", "4"),
        std::vector<std::string>{"Failed to add the entry to the white list: the device already holds the "
                                 "entry; it was left as it is."});
    EXPECT_EQ(Sets(), std::vector<std::string>{"3.1.4" + index + "=i:5"});
    EXPECT_EQ(s_sim->Get(kBranch + "3.1.3" + index), "3");
}

TEST_F(IMPBSmartBindingTest, ManualEntryRefusesBadAddressesMacsAndPortsAndSendsNothing) {
    CIMPBSmartBinding dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    const std::vector<std::string> badAddress{"Invalid IP Address."};
    // An address never typed, an incomplete one and a link-local one without its interface.
    EXPECT_EQ(Add(drv, "", "00-11-22-33-44-77", "3"), badAddress);
    EXPECT_EQ(Add(drv, "1.2.3", "00-11-22-33-44-77", "3"), badAddress);
    EXPECT_EQ(Add(drv, "fe80::1", "00-11-22-33-44-77", "3"), badAddress);
    EXPECT_EQ(Add(drv, "10.0.0.1", "00:11:22:33:44:77", "3"), std::vector<std::string>{kBadMac});
    EXPECT_EQ(Add(drv, "10.0.0.1", "00-00-00-00-00-00", "3"), std::vector<std::string>{kBadMac});
    EXPECT_EQ(Add(drv, "10.0.0.1", "FF-FF-FF-FF-FF-FF", "3"),
              std::vector<std::string>{"Broadcast MAC is not allowed."});
    EXPECT_EQ(Add(drv, "10.0.0.1", "01-00-5E-00-00-01", "3"),
              std::vector<std::string>{"Multicast MAC is not allowed."});
    for (const char* port : {"0", "29", "a", "3x", ""}) {
        EXPECT_EQ(Add(drv, "10.0.0.1", "00-11-22-33-44-77", port),
                  std::vector<std::string>{"Invalid port number."})
            << port;
        EXPECT_TRUE(Sets().empty()) << port;
    }
    // The input stays for correcting.
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IMPBB_MAC), "00-11-22-33-44-77");
}

TEST_F(IMPBSmartBindingTest, AFailedStepOfTheAddIsReportedWithWhatTheRemovalOfItsRowLeft) {
    CIMPBSmartBinding dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    const std::string index = ".4.10.0.0.1.0.17.34.51.68.119";
    Fail(kBranch + "3.1.3" + index, 5);
    EXPECT_EQ(
        Add(drv, "10.0.0.1", "00-11-22-33-44-77", "3"),
        std::vector<std::string>{"Failed to add the entry to the white list: the device did not accept the "
                                 "port. The entry was not added."});
    EXPECT_EQ(Sets(), (std::vector<std::string>{"3.1.4" + index + "=i:5", "3.1.3" + index + "=i:3",
                                                "3.1.4" + index + "=i:6"}));
    EXPECT_EQ(s_sim->Get(kBranch + "3.1.4" + index), "");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IMPBB_MAC), "00-11-22-33-44-77");

    Fail(kBranch + "3.1.4.4.10.0.0.2", 5);
    EXPECT_EQ(Add(drv, "10.0.0.2", "00-11-22-33-44-77", "3"),
              std::vector<std::string>{
                  "Failed to add the entry to the white list: the device did not accept the create."});
    EXPECT_EQ(Sets().size(), 1u);

    // An activation never answered may have made the entry; its removal refused leaves that unknown.
    const std::string status = kBranch + "3.1.4.4.10.0.0.4.0.17.34.51.68.119";
    s_sim->Command("error " + status + " drop 1");
    s_sim->Command("error " + status + " 5 6");
    EXPECT_EQ(Add(drv, "10.0.0.4", "00-11-22-33-44-77", "3"),
              std::vector<std::string>{
                  "Failed to add the entry to the white list: the device did not answer: it did not confirm "
                  "whether the activation was written. The device did not accept the removal of its row. The "
                  "entry may have been added: if it is listed, it is there as given; if not, adding it again "
                  "replaces its row."});
    s_sim->Command("error " + status + " 0 1");
    s_sim->Command("error " + status + " 0 6");
}

TEST_F(IMPBSmartBindingTest, ScanWritesTheRangeAndReloadsUntilTwoTicksSeeTheSameCount) {
    const Tunable::Override tick("impb.scan-tick-ms", 150);
    CIMPBSmartBinding dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_TRUE(Scan(drv, "192.168.1.1", "192.168.1.9").empty());
    EXPECT_EQ(Sets(), (std::vector<std::string>{"5.0=x:c0a80101 6.0=x:c0a80109", "7.0=i:1"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IMPBB_FROM), "");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_IMPBB_SCAN));
    // The device finds a host: the first reload sees three rows, the second the same three, then it stops.
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_IMPBB_SCAN) && dlg.LastScanCount() == -1; }));
    EXPECT_EQ(drv.Rows(IDC_IMPBB_LIST), 3);
    EXPECT_EQ(Reloads(), 2);

    // Nothing new: one reload, then the next tick stops.
    EXPECT_TRUE(Scan(drv, "2001:db8::1", "2001:db8::ff").empty());
    const auto sets = test::Sets(s_sim->Requests());
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0].varbinds[0].value, "20010db8000000000000000000000001");
    EXPECT_EQ(sets[0].varbinds[1].value, "20010db80000000000000000000000ff");
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_IMPBB_SCAN) && dlg.LastScanCount() == -1; }));
    EXPECT_EQ(Reloads(), 1);
}

TEST_F(IMPBSmartBindingTest, ScanRefusesBadRanges) {
    CIMPBSmartBinding dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_EQ(Scan(drv, "", "10.0.0.9"), std::vector<std::string>{"Invalid From IP Address."});
    EXPECT_EQ(Scan(drv, "10.0.0.1", "1.2.3"), std::vector<std::string>{"Invalid To IP Address."});
    EXPECT_EQ(Scan(drv, "10.0.0.1", "2001:db8::1"), std::vector<std::string>{"Invalid IP address !"});
    EXPECT_TRUE(Sets().empty());
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_IMPBB_SCAN));
}

TEST_F(IMPBSmartBindingTest, ASlowReloadIsNotStartedAgainByTheNextTick) {
    const Tunable::Override tick("impb.scan-tick-ms", 100);
    CIMPBSmartBinding dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    s_sim->DelayMs(250);  // a reload of two rows takes three steps, several ticks
    EXPECT_TRUE(Scan(drv, "192.168.1.1", "192.168.1.9").empty());
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_IMPBB_SCAN) && dlg.LastScanCount() == -1; }));
    // One reload finds the new host, the next sees the same count; no tick starts one while one runs.
    EXPECT_EQ(Reloads(), 2);
    EXPECT_EQ(drv.Rows(IDC_IMPBB_LIST), 3);  // the two bindings and the host the scan found
}

}  // namespace
