// The static MAC dialog against the simulated switch: the table, VLAN list and learning settings as
// read; the add checks in their order and the 256-entry limit; delete; the learning Apply checks and
// writes; and the mended reads: a failed learning-state read that keeps Apply unavailable, a VLAN list
// that is complete however slowly it arrives, and Delete without Apply's uplink check; against a slow
// device, Add's requests off the window's thread and Close during them.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHeaderView>
#include <cstdio>
#include <string>
#include <vector>

#include "controls/ListCtrlEx.h"
#include "features/layer2/StaticMACDlg.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_static_mac.h"
#include "res/resource.h"
#include "tests/features/StepRunTest.h"
#include "tests/features/layer2/Layer2SimTest.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using ksx::test::DialogDriver;
using ksx::test::WaitUntil;
using namespace ksx::test::layer2;

const std::string kTable = kP + ".9.3.1";
const char kBadMac[] = "Please enter correct MAC format(ex:00-00-00-00-00-01)";

std::vector<std::string> Items(QComboBox* combo) {
    std::vector<std::string> out;
    for (int i = 0; i < combo->count(); ++i) {
        out.push_back(combo->itemText(i).toStdString());
    }
    return out;
}

class StaticMACTest : public test::layer2::Layer2SimTest {
protected:
    static CListCtrl* List(CStaticMACDlg& dlg) { return dlg.Item<CListCtrl>(IDC_SMAC_LIST); }
    // Refresh comes back once the VLAN list, the table and the trunk membership were read.
    static bool WaitRead(CStaticMACDlg& dlg) {
        return WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_SMAC_REFRESH); }, 10000);
    }
    // The requests of Add, Delete or Apply ended.
    static void WaitRun(CStaticMACDlg& dlg) {
        ASSERT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }));
    }
    // A table row as the device holds it.
    static void AddDeviceRow(int vlan, const std::vector<int>& mac, int port, int status) {
        std::string index = std::to_string(vlan);
        std::string hex;
        for (int o : mac) {
            index += "." + std::to_string(o);
            char b[4];
            std::snprintf(b, sizeof b, "%02x", o);
            hex += b;
        }
        index += "." + std::to_string(port);
        s_sim->Set(kTable + ".1." + index, "i", std::to_string(vlan));
        s_sim->Set(kTable + ".2." + index, "x", hex);
        s_sim->Set(kTable + ".3." + index, "i", std::to_string(port));
        s_sim->Set(kTable + ".4." + index, "i", std::to_string(status));
    }
    // Types an entry and presses Add; returns the boxes shown.
    std::vector<std::string> Add(DialogDriver& drv, const std::string& port, const std::string& mac,
                                 const std::string& vid) {
        boxes.Clear();
        EXPECT_TRUE(drv.SelectText(IDC_SMAC_PORT, port));
        EXPECT_TRUE(drv.SelectText(IDC_SMAC_VID, vid));
        EXPECT_TRUE(drv.Type(IDC_SMAC_MAC, mac));
        EXPECT_TRUE(drv.Click(IDC_SMAC_ADD));
        WaitRun(static_cast<CStaticMACDlg&>(drv.Dialog()));
        return boxes.Texts();
    }
};

TEST_F(StaticMACTest, OpensWithTheTableTheVlansAndTheLearningSettings) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_STATIC_MAC));
    CStaticMACDlg dlg;
    DialogDriver drv(dlg);
    // Add and Apply check against trunk membership: neither before it has been read.
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_SMAC_ADD));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_SMAC_APPLY));
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_EQ(dlg.GetWindowText(), "Static MAC Configuration");
    CListCtrl* list = List(dlg);
    const std::vector<std::pair<std::string, int>> columns = {
        {"ID", 80}, {"Port", 100}, {"MAC Address", 200}, {"VID", 140}};
    ASSERT_EQ(list->GetColumnCount(), 4);
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(list->horizontalHeaderItem(c)->text().toStdString(), columns[c].first);
        EXPECT_EQ(list->GetColumnWidth(c), columns[c].second);
    }
    // The row whose status is not active is not shown.
    ASSERT_EQ(list->GetItemCount(), 2);
    EXPECT_EQ(Row(list, 0), (std::vector<std::string>{"1", "3", "00-0A-0B-0C-0D-0E", "1"}));
    EXPECT_EQ(Row(list, 1), (std::vector<std::string>{"2", "7", "00-11-22-33-44-55", "1"}));
    EXPECT_EQ(Items(drv.ItemAs<QComboBox>(IDC_SMAC_VID)), (std::vector<std::string>{"1", "100", "200"}));
    EXPECT_EQ(drv.ItemAs<QComboBox>(IDC_SMAC_PORT)->count(), 28);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SMAC_PORT), "1");
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_SMAC_LEARN_ENABLED), 1);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_SMAC_LEARN_DISABLED), 0);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SMAC_UPLINK), "25-26");
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_SMAC_UPLINK));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_SMAC_ADD));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_SMAC_APPLY));
    // The radios drive the uplink edit.
    ASSERT_TRUE(drv.Check(IDC_SMAC_LEARN_DISABLED, true));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_SMAC_UPLINK));
    ASSERT_TRUE(drv.Check(IDC_SMAC_LEARN_ENABLED, true));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_SMAC_UPLINK));
    EXPECT_EQ(boxes.Count(), 0u);

    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/igmp";
    QDir().mkpath(dir);
    test::PumpEvents();
    EXPECT_TRUE(test::GrabScreenshot(&dlg, (dir + "/static_mac.png").toStdString()));
}

TEST_F(StaticMACTest, AddChecksInOrder) {
    CStaticMACDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));

    // Asymmetric VLAN on: only VLAN 1, checked before the address is looked at.
    s_sim->Set(kP + ".7.5.0", "i", "1");
    EXPECT_EQ(Add(drv, "9", "zz", "100"),
              std::vector<std::string>{"The VLAN ID must equal to 1 when asymmetric VLAN enable."});
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SMAC_MAC), "");  // inputs reset
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SMAC_PORT), "1");
    EXPECT_EQ(Add(drv, "9", "zz", "1"), std::vector<std::string>{kBadMac});
    s_sim->Set(kP + ".7.5.0", "i", "2");

    EXPECT_EQ(Add(drv, "9", "01-00-5E-00-00-01", "1"),
              std::vector<std::string>{"Multicast MAC is not allowed."});
    EXPECT_EQ(Add(drv, "9", "FF-FF-FF-FF-FF-FF", "1"),
              std::vector<std::string>{"Broadcast MAC is not allowed."});
    // The device's own address, in any case; the inputs stay.
    EXPECT_EQ(Add(drv, "9", "00-1e-94-4c-20-00", "1"), std::vector<std::string>{"Could not be device MAC."});
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SMAC_MAC), "00-1e-94-4c-20-00");
    // A trunk member port.
    EXPECT_EQ(
        Add(drv, "25", "00-00-00-00-00-09", "1"),
        std::vector<std::string>{
            "Cannot add  ports with different FDB-destination-hit configurations to an aggregated link."});
    // The same address and VLAN on another port is a duplicate.
    EXPECT_EQ(Add(drv, "9", "00-11-22-33-44-55", "1"),
              std::vector<std::string>{"The entry is already in the Static MAC Address List."});
    EXPECT_TRUE(SetsSent().empty());

    // The same address in another VLAN is new.
    EXPECT_TRUE(Add(drv, "9", "00-11-22-33-44-55", "100").empty());
    EXPECT_EQ(SetsSent(), std::vector<std::string>{"9.3.1.4.100.0.17.34.51.68.85.9=i:4"});
    ASSERT_TRUE(WaitRead(dlg));
    ASSERT_EQ(List(dlg)->GetItemCount(), 3);
    EXPECT_EQ(Row(List(dlg), 2), (std::vector<std::string>{"3", "9", "00-11-22-33-44-55", "100"}));
}

TEST_F(StaticMACTest, RowWithAShortAddressIsNotShown) {
    // Three octets where six belong: no address to show, and none to name the row by on delete.
    s_sim->Set(kTable + ".2.1.0.17.34.51.68.85.7", "x", "001122");
    CStaticMACDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    ASSERT_EQ(List(dlg)->GetItemCount(), 1);
    EXPECT_EQ(Row(List(dlg), 0), (std::vector<std::string>{"1", "3", "00-0A-0B-0C-0D-0E", "1"}));
}

TEST_F(StaticMACTest, TwoHundredFiftySixEntriesRefuseEveryAdd) {
    // 254 more active rows (256 in all) and one that is not active.
    for (int i = 0; i < 254; ++i) {
        AddDeviceRow(1, {0, 0x22, 0, 0, i / 256, i % 256}, 5, 1);
    }
    AddDeviceRow(1, {0, 0x33, 0, 0, 0, 1}, 5, 2);
    {
        CStaticMACDlg dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(WaitRead(dlg));
        ASSERT_EQ(List(dlg)->GetItemCount(), 256);
        // Refused before any field is looked at.
        EXPECT_EQ(Add(drv, "25", "nonsense", "1"),
                  std::vector<std::string>{"Only support 256  Static Mac entries."});
        EXPECT_EQ(dlg.GetDlgItemText(IDC_SMAC_MAC), "");
        EXPECT_TRUE(SetsSent().empty());
    }
    // 255 active: the inactive row does not count here, and the row is sent. The device, which counts
    // every row, refuses it: that is said, not passed over.
    s_sim->Set(kTable + ".4.1.0.34.0.0.0.0.5", "i", "2");
    CStaticMACDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    ASSERT_EQ(List(dlg)->GetItemCount(), 255);
    EXPECT_EQ(Add(drv, "9", "00-44-00-00-00-01", "1"),
              std::vector<std::string>{
                  "Failed to add the static MAC entry: the device did not accept the create."});
    EXPECT_EQ(SetsSent(), std::vector<std::string>{"9.3.1.4.1.0.68.0.0.0.1.9=i:4"});
}

TEST_F(StaticMACTest, DeleteDestroysTheSelectedRowWithoutTheUplinkCheck) {
    CStaticMACDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    ASSERT_TRUE(drv.Click(IDC_SMAC_DELETE));
    WaitRun(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Please select the entry to delete."});

    // "Disabled" with an empty uplink box belongs to Apply, not to deleting an entry.
    ASSERT_TRUE(drv.Check(IDC_SMAC_LEARN_DISABLED, true));
    dlg.SetDlgItemText(IDC_SMAC_UPLINK, "");
    List(dlg)->selectRow(1);
    boxes.Clear();
    ASSERT_TRUE(drv.Click(IDC_SMAC_DELETE));
    WaitRun(dlg);
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ(SetsSent(), std::vector<std::string>{"9.3.1.4.1.0.17.34.51.68.85.7=i:6"});
    ASSERT_TRUE(WaitRead(dlg));
    ASSERT_EQ(List(dlg)->GetItemCount(), 1);
    EXPECT_EQ(Row(List(dlg), 0)[2], "00-0A-0B-0C-0D-0E");
}

TEST_F(StaticMACTest, LearningApplyChecksAndWrites) {
    CStaticMACDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));

    ASSERT_TRUE(drv.Type(IDC_SMAC_UPLINK, "1,a"));
    ASSERT_TRUE(drv.Click(IDC_SMAC_APPLY));
    WaitRun(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Invalid Portlist."});
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SMAC_UPLINK), "25-26");  // read again
    boxes.Clear();
    ASSERT_TRUE(drv.Type(IDC_SMAC_UPLINK, "1-29"));
    ASSERT_TRUE(drv.Click(IDC_SMAC_APPLY));
    WaitRun(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Invalid Portlist"});
    ASSERT_TRUE(WaitRead(dlg));
    // Trunk ports (25, 26) left out of the uplink ports.
    boxes.Clear();
    ASSERT_TRUE(drv.Type(IDC_SMAC_UPLINK, "1-3,25"));
    ASSERT_TRUE(drv.Click(IDC_SMAC_APPLY));
    WaitRun(dlg);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Cannot add a Auto-learn disabled port to an aggregated link."});
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_TRUE(SetsSent().empty());

    // Enabled with uplinks: the state, then the ports as a 4-octet bitmap.
    ASSERT_TRUE(drv.Type(IDC_SMAC_UPLINK, "1-3,25-26"));
    boxes.Clear();
    ASSERT_TRUE(drv.Click(IDC_SMAC_APPLY));
    WaitRun(dlg);
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ(SetsSent(), (std::vector<std::string>{"9.1.0=i:1", "9.2.0=x:e00000c0"}));
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SMAC_UPLINK), "1-3,25-26");
}

TEST_F(StaticMACTest, DisablingWithoutUplinksWritesOnlyTheStateAndEnablingNeedsOne) {
    // No trunk on this device, no static entry.
    s_sim->Set(kP + ".8.1.3.1.2.1", "x", "00000000");
    s_sim->Set(kTable + ".4.1.0.17.34.51.68.85.7", "i", "6");
    s_sim->Set(kTable + ".4.1.0.10.11.12.13.14.3", "i", "6");
    CStaticMACDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    ASSERT_EQ(List(dlg)->GetItemCount(), 0);
    ASSERT_TRUE(drv.Type(IDC_SMAC_UPLINK, ""));
    ASSERT_TRUE(drv.Click(IDC_SMAC_APPLY));
    WaitRun(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{
                                 "Please choose at least one uplink port when disabling auto learning."});
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_TRUE(SetsSent().empty());

    ASSERT_TRUE(drv.Check(IDC_SMAC_LEARN_DISABLED, true));
    dlg.SetDlgItemText(IDC_SMAC_UPLINK, "");
    boxes.Clear();
    ASSERT_TRUE(drv.Click(IDC_SMAC_APPLY));
    WaitRun(dlg);
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ(SetsSent(), std::vector<std::string>{"9.1.0=i:2"});
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_SMAC_LEARN_DISABLED), 1);
}

TEST_F(StaticMACTest, FailedLearningReadKeepsApplyUnavailable) {
    Fail(kP + ".9.1.0", 2);
    CStaticMACDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the MAC address learning state."});
    // Neither state shown, nothing to write back.
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_SMAC_LEARN_ENABLED), 0);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_SMAC_LEARN_DISABLED), 0);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_SMAC_APPLY));
    EXPECT_EQ(dlg.m_nLearningRadio, -1);

    s_sim->ErrorStatus(kP + ".9.1.0", 0);
    boxes.Clear();
    ASSERT_TRUE(drv.Click(IDC_SMAC_REFRESH));
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_SMAC_APPLY));
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_SMAC_LEARN_ENABLED), 1);
}

TEST_F(StaticMACTest, SlowVlanListIsReadWholeAndAFailedOneSaysSo) {
    // Every answer 150 ms late: the list takes longer than a fixed wait would allow.
    for (int v = 30; v < 36; ++v) {
        s_sim->Set(kP + ".7.6.1.1." + std::to_string(v), "s", "v" + std::to_string(v));
        s_sim->Set(kP + ".7.6.1.5." + std::to_string(v), "i", v == 33 ? "2" : "1");
    }
    s_sim->DelayMs(150);
    {
        CStaticMACDlg dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(WaitRead(dlg));
        EXPECT_EQ(Items(drv.ItemAs<QComboBox>(IDC_SMAC_VID)),
                  (std::vector<std::string>{"1", "30", "31", "32", "34", "35", "100", "200"}));
        EXPECT_TRUE(dlg.m_logic.TrunkLoaded());
        EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_SMAC_ADD));
    }
    s_sim->DelayMs(0);

    Fail(kP + ".7.6.1.5", 5);
    CStaticMACDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the VLAN list."});
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_SMAC_ADD));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_SMAC_REFRESH));
    EXPECT_EQ(List(dlg)->GetItemCount(), 2);
}

// A learning state of another type, or uplink ports left out of the reply, are not read: nothing of it is
// written back. A refused state write ends the write (no uplink ports after it) and is said.
TEST_F(StaticMACTest, LearningSettingsNotReadAndARefusedWrite) {
    s_sim->Set(kP + ".9.1.0", "s", "zz");
    {
        CStaticMACDlg dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(WaitRead(dlg));
        ASSERT_TRUE(boxes.WaitForCount(1));
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the MAC address learning state."});
        EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_SMAC_LEARN_DISABLED), 0);
        EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_SMAC_APPLY));
    }
    s_sim->Set(kP + ".9.1.0", "i", "1");
    s_sim->Omit(kP + ".9.2.0");
    boxes.Clear();
    {
        CStaticMACDlg dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(WaitRead(dlg));
        ASSERT_TRUE(boxes.WaitForCount(1));
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the uplink ports."});
        EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_SMAC_APPLY));
    }
    s_sim->OmitNone();
    boxes.Clear();
    CStaticMACDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_SMAC_APPLY); }));
    Fail(kP + ".9.1.0", 3);
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_SMAC_APPLY));
    WaitRun(dlg);
    s_sim->ErrorStatus(kP + ".9.1.0", 0);
    EXPECT_EQ(SetsSent(), std::vector<std::string>{"9.1.0=i:1"});
    // The read that follows may still meet the refusal, and then says so too.
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(
        boxes.Texts().front(),
        "The device did not accept the MAC address learning state. The uplink ports were not written. The "
        "settings it holds are shown.");
}

// A dead device: the window opens at once; the reads say so when they give up.
TEST_F(StaticMACTest, ADeadDeviceDoesNotHoldTheOpeningWindow) {
    test::UseSimV1(*s_sim, "1000");
    s_sim->Silence(true);
    CStaticMACDlg dlg;
    QElapsedTimer opening;
    opening.start();
    DialogDriver drv(dlg);
    EXPECT_LT(opening.elapsed(), 800);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_SMAC_APPLY));
    ASSERT_TRUE(boxes.WaitForCount(1, 10000));
    s_sim->Silence(false);
}

// Answers 1 s late: Add's three requests (the asymmetric VLAN, the device MAC, the row) leave the window
// live and Add, Delete, Apply and Refresh unavailable; Close during the row's creation says the device
// did not confirm it and sends nothing more.
TEST_F(StaticMACTest, SlowDeviceAddStaysLiveAndCloseLeavesTheRowUnconfirmed) {
    CStaticMACDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    ASSERT_TRUE(drv.SelectText(IDC_SMAC_PORT, "9"));
    ASSERT_TRUE(drv.Type(IDC_SMAC_MAC, "00-00-00-00-00-09"));
    test::SlowRun run(*s_sim);
    ASSERT_NO_FATAL_FAILURE(run.Click(dlg, drv, IDC_SMAC_ADD,
                                      {IDC_SMAC_ADD, IDC_SMAC_DELETE, IDC_SMAC_APPLY, IDC_SMAC_REFRESH}, 4));
    ASSERT_NO_FATAL_FAILURE(run.Close(drv, boxes,
                                      {"Stopped: the device did not confirm whether the static MAC entry was "
                                       "added. If it is not listed, add it "
                                       "again."}));
    const std::vector<test::SimRequest> sent = test::DistinctRequests(*s_sim);
    ASSERT_EQ(sent.size(), 4u);  // the row's status read before its create too
    EXPECT_EQ(sent[0].pdu + " " + sent[0].varbinds[0].oid, "get " + kP + ".7.5.0");
    EXPECT_EQ(sent[1].pdu, "get");
    EXPECT_EQ(SetLines(sent, kCut), std::vector<std::string>{"9.3.1.4.1.0.0.0.0.0.9.9=i:4"});
}

}  // namespace
