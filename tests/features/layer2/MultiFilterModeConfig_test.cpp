// The multicast filtering mode dialog against the simulated switch: the list with VLAN names paired by
// VLAN id, one VLAN's write, "All" over many VLANs in one request, the refusal of an empty VLAN box and
// the report of a refused write.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QHeaderView>
#include <string>
#include <vector>

#include "features/layer2/MultiFilterModeConfig.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_igmp.h"
#include "res/resource.h"
#include "tests/features/layer2/Layer2SimTest.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using ksx::test::DialogDriver;
using ksx::test::WaitUntil;
using namespace ksx::test::layer2;

const char kForward[] = "Forward Unregistered Groups";
const char kFilter[] = "Filtering Unregistered Groups";

class MultiFilterModeTest : public test::layer2::Layer2SimTest {
protected:
    static CListCtrl* List(CMultiFilterModeConfig& dlg) { return dlg.Item<CListCtrl>(IDC_MFM_LIST); }
    // A walk of 256 rows takes a while in a sanitizer build on a busy machine.
    static bool WaitRead(CMultiFilterModeConfig& dlg) {
        return WaitUntil([&] { return !dlg.Reading() && dlg.IsDlgItemEnabled(IDC_MFM_REFRESH); }, 30000);
    }
};

TEST_F(MultiFilterModeTest, ListsModesWithTheNamesOfTheirOwnVlans) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_MULTICAST_FILTERING));
    // VLAN 5 has a name but no filtering row: paired by position, VLAN 100 would be called "Five".
    s_sim->Set(kP + ".7.6.1.1.5", "s", "Five");
    s_sim->Set(kP + ".7.6.1.5.5", "i", "1");
    s_sim->Set(kP + ".7.8.1.2.200", "i", "2");
    CMultiFilterModeConfig dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_EQ(dlg.GetWindowText(), "Multicast Filtering Mode Configuration");
    CListCtrl* list = List(dlg);
    const std::vector<std::string> headings = {"VLAN ID", "VLAN Name", "Multicast Filtering Mode"};
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(list->horizontalHeaderItem(c)->text().toStdString(), headings[c]);
    }
    ASSERT_EQ(list->GetItemCount(), 3);
    EXPECT_EQ(Row(list, 0), (std::vector<std::string>{"1", "default", kForward}));
    EXPECT_EQ(Row(list, 1), (std::vector<std::string>{"100", "office", kFilter}));
    EXPECT_EQ(Row(list, 2), (std::vector<std::string>{"200", "voice", kFilter}));  // "2" reads as filtering
    auto* vlan = drv.ItemAs<QComboBox>(IDC_MFM_VLAN);
    ASSERT_EQ(vlan->count(), 3);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_MFM_VLAN), "1");
    auto* mode = drv.ItemAs<QComboBox>(IDC_MFM_MODE);
    ASSERT_EQ(mode->count(), 2);
    EXPECT_EQ(mode->itemText(0).toStdString(), kForward);
    EXPECT_EQ(mode->itemText(1).toStdString(), kFilter);

    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/igmp";
    QDir().mkpath(dir);
    test::PumpEvents();
    EXPECT_TRUE(test::GrabScreenshot(&dlg, (dir + "/multicast_filtering.png").toStdString()));
}

TEST_F(MultiFilterModeTest, OneVlanOrAllListedVlansInOneRequest) {
    // Many VLANs: 256 filtering rows, as many as the VLAN table holds.
    for (int v = 300; v < 553; ++v) {
        s_sim->Set(kP + ".7.8.1.1." + std::to_string(v), "i", std::to_string(v));
        s_sim->Set(kP + ".7.8.1.2." + std::to_string(v), "i", "0");
    }
    CMultiFilterModeConfig dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    ASSERT_EQ(List(dlg)->GetItemCount(), 256);

    ASSERT_TRUE(drv.SelectText(IDC_MFM_VLAN, "100"));
    ASSERT_TRUE(drv.Select(IDC_MFM_MODE, 0));
    ASSERT_TRUE(drv.Click(IDC_MFM_APPLY));
    EXPECT_EQ(SetsSent(), std::vector<std::string>{"7.8.1.2.100=i:0"});
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_EQ(Row(List(dlg), 1)[2], kForward);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_MFM_VLAN), "1");  // the first VLAN again after the read

    // "All": the VLAN box greys, one SET with every listed VLAN in list order.
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Check(IDC_MFM_ALL, true));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_MFM_VLAN));
    ASSERT_TRUE(drv.Select(IDC_MFM_MODE, 1));
    ASSERT_TRUE(drv.Click(IDC_MFM_APPLY));
    const auto sets = test::Sets(s_sim->Requests());
    ASSERT_EQ(sets.size(), 1u);
    ASSERT_EQ(sets[0].varbinds.size(), 256u);
    EXPECT_EQ(test::BindingText(sets[0].varbinds[0], kCut), "7.8.1.2.1=i:1");
    EXPECT_EQ(test::BindingText(sets[0].varbinds[1], kCut), "7.8.1.2.100=i:1");
    EXPECT_EQ(test::BindingText(sets[0].varbinds[2], kCut), "7.8.1.2.200=i:1");
    EXPECT_EQ(test::BindingText(sets[0].varbinds[255], kCut), "7.8.1.2.552=i:1");
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_EQ(Row(List(dlg), 255)[2], kFilter);
    EXPECT_EQ(boxes.Count(), 0u);
    ASSERT_TRUE(drv.Check(IDC_MFM_ALL, false));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_MFM_VLAN));
}

TEST_F(MultiFilterModeTest, EmptyVlanBoxRefusedAndRefusedWritesReported) {
    // A device without filtering rows: nothing listed, the VLAN box empty.
    for (const char* v : {"1", "100", "200"}) {
        s_sim->Command("unset " + kP + ".7.8.1.1." + v);
        s_sim->Command("unset " + kP + ".7.8.1.2." + v);
    }
    {
        CMultiFilterModeConfig dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(WaitRead(dlg));
        EXPECT_EQ(List(dlg)->GetItemCount(), 0);
        ASSERT_TRUE(drv.Click(IDC_MFM_APPLY));
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Please select a VLAN."});
        // "All" over an empty list: nothing to send, nothing to say.
        ASSERT_TRUE(drv.Check(IDC_MFM_ALL, true));
        ASSERT_TRUE(drv.Click(IDC_MFM_APPLY));
        EXPECT_EQ(boxes.Count(), 1u);
        EXPECT_TRUE(SetsSent().empty());
    }

    s_sim->Restart();
    CMultiFilterModeConfig dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    m_failing.push_back(kP + ".7.8.1.2.200");
    s_sim->ErrorStatus(kP + ".7.8.1.2.200", 5);
    boxes.Clear();
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Check(IDC_MFM_ALL, true));
    ASSERT_TRUE(drv.Select(IDC_MFM_MODE, 1));
    ASSERT_TRUE(drv.Click(IDC_MFM_APPLY));
    EXPECT_EQ(SetsSent(), std::vector<std::string>{"7.8.1.2.1=i:1 7.8.1.2.100=i:1 7.8.1.2.200=i:1"});
    ASSERT_GE(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Texts()[0], "Failed to set the multicast filtering mode: the device did not accept it.");
    // The device's modes are read again (the refused VLAN's row still refuses, and that read says so).
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_FALSE(test::OfKind(s_sim->Requests(), "getnext").empty());
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{
                  "Failed to set the multicast filtering mode: the device did not accept it.",
                  "Failed to read the multicast filtering modes; press Refresh to try again."}));
    EXPECT_EQ(Row(List(dlg), 0)[2], kForward);
}

// A mode of another type is not read (an empty cell, not "Filtering"); a dead device is said once.
TEST_F(MultiFilterModeTest, ModesNotReadAreNotShownAndADeadDeviceIsSaid) {
    s_sim->Set(kP + ".7.8.1.2.100", "s", "zz");
    {
        CMultiFilterModeConfig dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(WaitRead(dlg));
        ASSERT_GE(List(dlg)->GetItemCount(), 2);
        EXPECT_EQ(Row(List(dlg), 1)[2], "");
        EXPECT_EQ(boxes.Count(), 0u);
    }
    test::UseSimV1(*s_sim, "300");
    s_sim->Silence(true);
    CMultiFilterModeConfig dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    s_sim->Silence(false);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{
                  "Failed to read the multicast filtering modes; press Refresh to try again."});
}

}  // namespace
