// Auto surveillance VLAN dialog against the simulated switch: what one refresh reads and shows, the
// checks of Apply in their order, enable and disable requests, and the device table: OUI and MAC
// entries with their row indexes, reserved ranges, the limit of five, failed and half-made adds, delete.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <algorithm>
#include <string>
#include <vector>

#include "controls/ListCtrl.h"
#include "features/vlan/CameraVlanRules.h"
#include "features/vlan/CameraVlanSetting.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_surveillance.h"
#include "res/resource.h"
#include "tests/features/StepRunTest.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using namespace camvlan;
using test::DialogDriver;
using test::WaitUntil;

class CameraVlan : public test::SharedSimTest {
protected:
    void SetUp() override {
        SharedSimTest::SetUp();
        g_strDeviceName = "KSX-4200-28Z1";
    }
    void TearDown() override {
        g_strDeviceName.clear();
        SharedSimTest::TearDown();
    }
    static void AddUserRow(const std::string& index, const std::string& hex) {
        s_sim->Set(kDevMacCol + index, "x", hex);
        s_sim->Set(kDevDescCol + index, "s", "cam");
        s_sim->Set(kDevMaskCol + index, "x", "ffffffffffff");
        s_sim->Set(kDevTypeCol + index, "i", "2");
        s_sim->Set(kDevStatusCol + index, "i", "1");
    }
    static void WaitRefresh(CCameraVlanSetting& dlg, int refreshes) {
        ASSERT_TRUE(WaitUntil([&] {
            return dlg.RefreshesEnded() >= refreshes && !dlg.ReadsRunning() && !dlg.Run().Running();
        }));
    }
    static std::vector<std::string> Lines() { return test::RequestLines(s_sim->Requests()); }
    static std::vector<std::string> Sets() { return test::SetLines(s_sim->Requests(), 0); }
    // Clicks a button whose handler ends in a refresh, and waits for that refresh to end.
    static void ClickAndSettle(DialogDriver& drv, CCameraVlanSetting& dlg, int id) {
        const int before = dlg.RefreshesEnded();
        ASSERT_TRUE(drv.Click(id));
        ASSERT_TRUE(WaitUntil(
            [&] { return dlg.RefreshesEnded() > before && !dlg.ReadsRunning() && !dlg.Run().Running(); }));
    }
    static void SelectRow(CCameraVlanSetting& dlg, const std::string& mac) {
        const auto macs = dlg.ListMacTexts();
        const auto it = std::find(macs.begin(), macs.end(), mac);
        ASSERT_NE(it, macs.end()) << mac;
        dlg.Item<CListCtrl>(IDC_SURV_LIST)
            ->SetItemState(static_cast<int>(it - macs.begin()), LVIS_SELECTED, LVIS_SELECTED);
    }

    test::ScriptedMessageBox boxes;
};

bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST_F(CameraVlan, RefreshReadsEverythingAndShowsTheDevice) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_SURVEILLANCE_VLAN));
    s_sim->Set(kPortsOid, "x", "c0000100");  // ports 1, 2 and 24
    CCameraVlanSetting dlg;
    DialogDriver drv(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "Auto Surveillance VLAN Settings");
    WaitRefresh(dlg, 1);
    const auto lines = Lines();
    EXPECT_TRUE(Has(lines, "getnext " + kTrunkMembersCol + "=n:"));
    EXPECT_TRUE(Has(lines, "getnext " + kVlanNameCol + "=n:"));
    EXPECT_TRUE(
        Has(lines, "get " + kAsymmetricOid + "=n: " + kVoiceStateOid + "=n: " + kVoiceVlanIdOid + "=n:"));
    EXPECT_TRUE(Has(lines, "getnext " + kDevTypeCol + "=n: " + kDevDescCol + "=n: " + kDevMacCol +
                               "=n: " + kDevStatusCol + "=n:"));
    EXPECT_TRUE(Has(lines, "getnext " + kVoiceOuiCol + "=n: " + kVoiceOuiFourthCol + "=n:"));
    const std::string globals =
        "get " + kStateOid + "=n: " + kVlanIdOid + "=n: " + kPriorityOid + "=n: " + kPortsOid + "=n:";
    EXPECT_TRUE(Has(lines, globals));

    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_SURV_ENABLE), 0);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SURV_VLAN_ID), "30");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SURV_PRIORITY), "5");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SURV_PORTS), "1-2,24");
    EXPECT_EQ(dlg.ListMacTexts(),
              (std::vector<std::string>{"00-12-34-00-00-00", "6E-E4-2B-XX-XX-XX", "7A-3C-91-0X-XX-XX"}));
    auto* list = dlg.Item<CListCtrl>(IDC_SURV_LIST);
    EXPECT_EQ(list->GetItemText(0, 0).toStdString(), "1");
    EXPECT_EQ(list->GetItemText(0, 1).toStdString(), "Video Management Server");
    EXPECT_EQ(list->GetItemText(0, 2).toStdString(), "Lobby recorder");
    EXPECT_EQ(list->GetItemText(2, 1).toStdString(), "Quorvia Surveillance Device");
    // Disabled on the device: the fields, Add and Delete wait; Apply and Refresh are there.
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_SURV_VLAN_ID));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_SURV_ADD));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_SURV_DELETE));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_SURV_APPLY));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_SURV_REFRESH));
    ASSERT_TRUE(drv.Check(IDC_SURV_ENABLE));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_SURV_VLAN_ID));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_SURV_ADD));
    EXPECT_TRUE(Sets().empty());
}

TEST_F(CameraVlan, ApplyRefusalsInTheirOrder) {
    s_sim->Set(kStateOid, "i", "1");  // the fields stay usable across the refreshes
    s_sim->Set(kAsymmetricOid, "i", "1");
    CCameraVlanSetting dlg;
    DialogDriver drv(dlg);
    WaitRefresh(dlg, 1);
    ClickAndSettle(drv, dlg, IDC_SURV_APPLY);  // also a disable would be refused
    EXPECT_EQ(boxes.LastText(), kTextAsymmetric);
    EXPECT_EQ(dlg.RefreshesEnded(), 2);

    s_sim->Set(kAsymmetricOid, "i", "2");
    s_sim->Set(kVoiceStateOid, "i", "1");
    ClickAndSettle(drv, dlg, IDC_SURV_REFRESH);
    const struct {
        std::string vlanId, ports, text;
    } cases[] = {
        {"1", "", kTextDefaultVlan}, {"0", "", kTextVlanRange},  {"4095", "", kTextVlanRange},
        {"200", "", kTextVoiceVlan}, {"4094", "25", kTextTrunk},  // half of the trunk of ports 25 and 26
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(drv.Type(IDC_SURV_VLAN_ID, c.vlanId));
        ASSERT_TRUE(drv.Type(IDC_SURV_PORTS, c.ports));
        const int before = dlg.RefreshesEnded();
        ClickAndSettle(drv, dlg, IDC_SURV_APPLY);
        EXPECT_EQ(boxes.LastText(), c.text) << c.vlanId;
        EXPECT_GT(dlg.RefreshesEnded(), before) << c.vlanId;                // re-read the device
        EXPECT_EQ(dlg.GetDlgItemText(IDC_SURV_VLAN_ID), "30") << c.vlanId;  // device values again
    }
    // A port list with a letter keeps what the user typed.
    ASSERT_TRUE(drv.Type(IDC_SURV_VLAN_ID, "2"));
    ASSERT_TRUE(drv.Type(IDC_SURV_PORTS, "1,b"));
    ASSERT_TRUE(drv.Click(IDC_SURV_APPLY));
    EXPECT_EQ(boxes.LastText(), kTextInvalidPortlist);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SURV_PORTS), "1,b");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SURV_VLAN_ID), "2");
    EXPECT_TRUE(Sets().empty());
}

TEST_F(CameraVlan, EnableAsksForAnExistingVlanAndWritesOnePduDisableWritesTheStateAlone) {
    s_sim->Set(kVlanIdOid, "i", "100");  // the profile's VLAN 100 exists
    g_strDeviceName = "KSX-4200-28P";
    CCameraVlanSetting dlg;
    DialogDriver drv(dlg);
    WaitRefresh(dlg, 1);
    ASSERT_TRUE(drv.Check(IDC_SURV_ENABLE));
    ASSERT_TRUE(drv.Type(IDC_SURV_PORTS, "25-26,3"));
    boxes.Answer(IDCANCEL);
    ClickAndSettle(drv, dlg, IDC_SURV_APPLY);
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{"The VLAN ID 100 already exists, still apply? \nIf yes, the "
                                        "original setting of VLAN 100 members will be removed."}));
    EXPECT_TRUE(Sets().empty());

    boxes.Clear();
    ASSERT_TRUE(drv.Check(IDC_SURV_ENABLE));
    ASSERT_TRUE(drv.Type(IDC_SURV_PORTS, "25-26,3"));
    boxes.Answer(IDOK);
    ClickAndSettle(drv, dlg, IDC_SURV_APPLY);
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(boxes.Texts()[1], kTextPoeNotice);  // a PoE model with the feature off on the device
    EXPECT_EQ(Sets(), (std::vector<std::string>{kVlanIdOid + "=i:100 " + kPriorityOid + "=i:5 " + kPortsOid +
                                                "=x:200000c0 " + kStateOid + "=i:1"}));
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_SURV_ENABLE), 1);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_SURV_DELETE));

    // Enabled on the device now: no PoE notice, one question.
    s_sim->ClearLog();
    boxes.Clear();
    ClickAndSettle(drv, dlg, IDC_SURV_APPLY);
    EXPECT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(Sets().size(), 1u);

    s_sim->ClearLog();
    boxes.Clear();
    ASSERT_TRUE(drv.Check(IDC_SURV_ENABLE, false));
    ClickAndSettle(drv, dlg, IDC_SURV_APPLY);
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ(Sets(), (std::vector<std::string>{kStateOid + "=i:2"}));
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_SURV_ENABLE), 0);
}

// A priority the list does not offer leaves none chosen: enabling is refused rather than writing -1.
TEST_F(CameraVlan, EnableWithoutPriorityIsRefused) {
    s_sim->Set(kPriorityOid, "i", "9");
    CCameraVlanSetting dlg;
    DialogDriver drv(dlg);
    WaitRefresh(dlg, 1);
    EXPECT_EQ(dlg.Item<QComboBox>(IDC_SURV_PRIORITY)->currentIndex(), -1);
    ASSERT_TRUE(drv.Check(IDC_SURV_ENABLE));
    ASSERT_TRUE(drv.Click(IDC_SURV_APPLY));
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{kTextSelectPriority}));
    EXPECT_TRUE(Sets().empty());
    ASSERT_TRUE(drv.Select(IDC_SURV_PRIORITY, 3));
    ClickAndSettle(drv, dlg, IDC_SURV_APPLY);
    EXPECT_EQ(Sets(), (std::vector<std::string>{kVlanIdOid + "=i:30 " + kPriorityOid + "=i:3 " + kPortsOid +
                                                "=x:00000000 " + kStateOid + "=i:1"}));
}

TEST_F(CameraVlan, AddOuiAndMacEntriesByTheirIndex) {
    s_sim->Set(kStateOid, "i", "1");
    CCameraVlanSetting dlg;
    DialogDriver drv(dlg);
    WaitRefresh(dlg, 1);
    ASSERT_TRUE(drv.SelectText(IDC_SURV_MODE, "OUI"));
    ASSERT_TRUE(drv.Type(IDC_SURV_DESCRIPTION, "gate"));
    ASSERT_TRUE(drv.Type(IDC_SURV_MAC, "00-11-22"));
    ClickAndSettle(drv, dlg, IDC_SURV_ADD);
    const std::string oui = ".0.17.34.0.0.0";
    EXPECT_EQ(Sets(), (std::vector<std::string>{kDevStatusCol + oui + "=i:4",
                                                kDevDescCol + oui + "=s:gate " + kDevTypeCol + oui + "=i:0 " +
                                                    kDevMaskCol + oui + "=x:ffffff000000"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SURV_MAC), "");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SURV_DESCRIPTION), "");
    EXPECT_EQ(dlg.ListMacTexts()[0], "00-11-22-00-00-00");

    s_sim->ClearLog();
    ASSERT_TRUE(drv.SelectText(IDC_SURV_MODE, "MAC"));
    ASSERT_TRUE(drv.Select(IDC_SURV_COMPONENT_TYPE, 2));
    ASSERT_TRUE(drv.Type(IDC_SURV_DESCRIPTION, "door"));
    ASSERT_TRUE(drv.Type(IDC_SURV_MAC, "00-11-22-aa-bb-cc"));
    ClickAndSettle(drv, dlg, IDC_SURV_ADD);
    const std::string mac = ".0.17.34.170.187.204";
    EXPECT_EQ(Sets(),
              (std::vector<std::string>{kDevStatusCol + mac + "=i:4",
                                        kDevDescCol + mac + "=s:door " + kDevTypeCol + mac + "=i:2"}));
    EXPECT_EQ(s_sim->Get(kDevTypeCol + mac), "2");
    EXPECT_TRUE(boxes.Texts().empty());
}

// The entry stays in the fields whenever the add failed; a row created without its description and
// type is destroyed again, so it never counts toward the limit.
TEST_F(CameraVlan, FailedAddKeepsTheEntryAndRemovesAHalfMadeRow) {
    s_sim->Set(kStateOid, "i", "1");
    const std::string index = ".0.17.34.51.68.85";
    CCameraVlanSetting dlg;
    DialogDriver drv(dlg);
    WaitRefresh(dlg, 1);

    s_sim->ErrorStatus(kDevStatusCol + index, 5);
    ASSERT_TRUE(drv.Type(IDC_SURV_DESCRIPTION, "gate"));
    ASSERT_TRUE(drv.Type(IDC_SURV_MAC, "00-11-22-33-44-55"));
    ASSERT_TRUE(drv.Click(IDC_SURV_ADD));
    ASSERT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }));
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{"Failed to add the entry: the device did not accept the create."}));
    EXPECT_EQ(Sets().size(), 1u);  // nothing more after a refused create
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SURV_MAC), "00-11-22-33-44-55");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SURV_DESCRIPTION), "gate");
    s_sim->ErrorStatus(kDevStatusCol + index, 0);

    s_sim->ErrorStatus(kDevDescCol + index, 5);
    s_sim->ClearLog();
    boxes.Clear();
    ClickAndSettle(drv, dlg, IDC_SURV_ADD);
    s_sim->ErrorStatus(kDevDescCol + index, 0);
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{"Failed to add the entry: the device did not accept the entry's "
                                        "settings. The incomplete entry was removed from "
                                        "the device."}));
    const auto sets = Sets();
    ASSERT_EQ(sets.size(), 3u);
    EXPECT_EQ(sets[0], kDevStatusCol + index + "=i:4");
    EXPECT_EQ(sets[2], kDevStatusCol + index + "=i:6");
    EXPECT_EQ(s_sim->Get(kDevStatusCol + index), "");  // no row left on the device
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SURV_MAC), "00-11-22-33-44-55");
    EXPECT_EQ(dlg.ListMacTexts().size(), 3u);
}

TEST_F(CameraVlan, ReservedRangesAndTheLimitOfFive) {
    s_sim->Set(kStateOid, "i", "1");
    for (int i = 1; i <= 4; ++i) {
        AddUserRow(".0.18.52.0.0." + std::to_string(i), "00123400000" + std::to_string(i));
    }
    CCameraVlanSetting dlg;
    DialogDriver drv(dlg);
    WaitRefresh(dlg, 1);
    ASSERT_EQ(dlg.ListMacTexts().size(), 7u);  // five user rows and the two built-in ones
    ASSERT_TRUE(drv.Type(IDC_SURV_MAC, "7A-3C-91-0A-00-00"));
    ASSERT_TRUE(drv.Click(IDC_SURV_ADD));
    ASSERT_TRUE(drv.Type(IDC_SURV_MAC, "6e-e4-2b-3f-00-00"));
    ASSERT_TRUE(drv.Click(IDC_SURV_ADD));
    ASSERT_TRUE(drv.Type(IDC_SURV_MAC, "7A-3C-91-10-00-00"));
    ASSERT_TRUE(drv.Click(IDC_SURV_ADD));
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{kTextDefaultOui, kTextDefaultOui, kTextTableFull}));

    // A device already past the limit stays full.
    AddUserRow(".0.18.52.0.0.9", "001234000009");
    ClickAndSettle(drv, dlg, IDC_SURV_REFRESH);
    ASSERT_EQ(dlg.ListMacTexts().size(), 8u);
    boxes.Clear();
    ASSERT_TRUE(drv.Type(IDC_SURV_MAC, "7A-3C-91-10-00-00"));
    ASSERT_TRUE(drv.Click(IDC_SURV_ADD));
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{kTextTableFull}));
    EXPECT_TRUE(Sets().empty());
}

TEST_F(CameraVlan, DeleteProtectsBuiltInRowsAndDestroysUserRows) {
    s_sim->Set(kStateOid, "i", "1");
    CCameraVlanSetting dlg;
    DialogDriver drv(dlg);
    WaitRefresh(dlg, 1);
    ASSERT_TRUE(drv.Click(IDC_SURV_DELETE));
    SelectRow(dlg, "6E-E4-2B-XX-XX-XX");
    ASSERT_TRUE(drv.Click(IDC_SURV_DELETE));
    SelectRow(dlg, "7A-3C-91-0X-XX-XX");
    ASSERT_TRUE(drv.Click(IDC_SURV_DELETE));
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{kTextSelectToDelete, kTextDefaultNoDelete, kTextDefaultNoDelete}));
    EXPECT_TRUE(Sets().empty());
    // A refused delete is said; the row stays.
    SelectRow(dlg, "00-12-34-00-00-00");
    s_sim->ErrorStatus(kDevStatusCol + ".0.18.52.0.0.0", 5);
    ClickAndSettle(drv, dlg, IDC_SURV_DELETE);
    s_sim->ErrorStatus(kDevStatusCol + ".0.18.52.0.0.0", 0);
    EXPECT_EQ(boxes.LastText(), "The device did not accept the delete of the entry.");
    ClickAndSettle(drv, dlg, IDC_SURV_REFRESH);
    EXPECT_EQ(dlg.ListMacTexts().size(), 3u);
    s_sim->ClearLog();
    SelectRow(dlg, "00-12-34-00-00-00");
    ClickAndSettle(drv, dlg, IDC_SURV_DELETE);
    EXPECT_EQ(Sets(), (std::vector<std::string>{kDevStatusCol + ".0.18.52.0.0.0=i:6"}));
    EXPECT_EQ(dlg.ListMacTexts(), (std::vector<std::string>{"6E-E4-2B-XX-XX-XX", "7A-3C-91-0X-XX-XX"}));
}

}  // namespace

namespace {

// The checks of Apply compare with the voice VLAN: while that read fails, Apply waits and the dialog
// says so; a good refresh frees it.
TEST_F(CameraVlan, ApplyWaitsForTheReadsItChecksAgainst) {
    s_sim->ErrorStatus(kVoiceStateOid, 2);
    CCameraVlanSetting dlg;
    DialogDriver drv(dlg);
    WaitRefresh(dlg, 1);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_SURV_APPLY));
    EXPECT_FALSE(dlg.GetDlgItemText(IDC_SURV_READ_STATUS).empty());
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_SURV_REFRESH));
    s_sim->ErrorStatus(kVoiceStateOid, 0);
    ClickAndSettle(drv, dlg, IDC_SURV_REFRESH);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_SURV_APPLY));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SURV_READ_STATUS), "");
}

// Settings left out of a reply or of another type are not read: Apply waits and the dialog says so. A
// refused write is said and the device's settings are read again.
TEST_F(CameraVlan, SettingsNotReadAndARefusedWriteAreSaid) {
    s_sim->Set(kStateOid, "i", "1");
    for (const std::string fault : {"omit", "type"}) {
        SCOPED_TRACE(fault);
        if (fault == "omit") {
            s_sim->Omit(kPortsOid);
        } else {
            s_sim->Set(kVoiceStateOid, "s", "zz");
        }
        CCameraVlanSetting dlg;
        DialogDriver drv(dlg);
        WaitRefresh(dlg, 1);
        EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_SURV_APPLY));
        EXPECT_FALSE(dlg.GetDlgItemText(IDC_SURV_READ_STATUS).empty());
        s_sim->OmitNone();
        s_sim->Set(kVoiceStateOid, "i", "2");
    }
    CCameraVlanSetting dlg;
    DialogDriver drv(dlg);
    WaitRefresh(dlg, 1);
    ASSERT_TRUE(dlg.IsDlgItemEnabled(IDC_SURV_APPLY));
    ASSERT_TRUE(drv.Check(IDC_SURV_ENABLE, false));
    s_sim->RefuseWrites(kStateOid, 3);
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_SURV_APPLY));
    ASSERT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }));
    s_sim->RefuseWrites(kStateOid, 0);
    EXPECT_EQ(Sets(), (std::vector<std::string>{kStateOid + "=i:2"}));
    EXPECT_EQ(
        boxes.Texts(),
        std::vector<std::string>{
            "The device did not accept the surveillance VLAN settings. The settings it holds are shown."});
    EXPECT_EQ(s_sim->Get(kStateOid), "1");

    // Applied but never answered: said as unconfirmed, not as refused.
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_SURV_APPLY); }));
    ASSERT_TRUE(drv.Check(IDC_SURV_ENABLE, false));
    boxes.Clear();
    s_sim->LoseAnswer(kStateOid);
    ASSERT_TRUE(drv.Click(IDC_SURV_APPLY));
    ASSERT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }, 10000));
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"The device did not answer: it did not confirm whether the "
                                       "surveillance VLAN settings were written. The settings it "
                                       "holds are shown."});
}

// Answers 1 s late: Apply's write and the refresh after it leave the window live and Apply and Refresh
// unavailable; Close during the write says the device did not confirm it and sends nothing more.
TEST_F(CameraVlan, SlowDeviceApplyStaysLiveAndCloseLeavesTheWriteUnconfirmed) {
    CCameraVlanSetting dlg;
    DialogDriver drv(dlg);
    WaitRefresh(dlg, 1);
    test::SlowRun run(*s_sim);
    ASSERT_NO_FATAL_FAILURE(run.Click(dlg, drv, IDC_SURV_APPLY, {IDC_SURV_APPLY, IDC_SURV_REFRESH}, 1));
    ASSERT_NO_FATAL_FAILURE(run.Close(
        drv, boxes,
        {"Stopped: the device did not confirm whether the surveillance VLAN settings were written."}));
    EXPECT_EQ(test::SetLines(test::DistinctRequests(*s_sim), 0),
              std::vector<std::string>{kStateOid + "=i:2"});
}

// Answers 1 s late: Close during the second request of an add says the row was created and its
// settings are unconfirmed, and sends nothing more (no removal either).
TEST_F(CameraVlan, SlowDeviceAddStaysLiveAndCloseSaysWhatWasConfirmed) {
    s_sim->Set(kStateOid, "i", "1");
    CCameraVlanSetting dlg;
    DialogDriver drv(dlg);
    WaitRefresh(dlg, 1);
    ASSERT_TRUE(drv.Type(IDC_SURV_DESCRIPTION, "gate"));
    ASSERT_TRUE(drv.Type(IDC_SURV_MAC, "00-11-22-33-44-55"));
    test::SlowRun run(*s_sim);
    ASSERT_NO_FATAL_FAILURE(run.Click(dlg, drv, IDC_SURV_ADD, {IDC_SURV_ADD, IDC_SURV_REFRESH}, 3));
    // The entry the create-and-go made goes once the add has ended: none stays without its settings.
    ASSERT_NO_FATAL_FAILURE(run.CloseThenRemoved(
        drv, boxes, "Stopped: the entry was not added; what the device had made of it was removed."));
    const std::string index = ".0.17.34.51.68.85";
    EXPECT_EQ(test::SetLines(test::DistinctRequests(*s_sim), 0),
              (std::vector<std::string>{kDevStatusCol + index + "=i:4",
                                        kDevDescCol + index + "=s:gate " + kDevTypeCol + index + "=i:0",
                                        kDevStatusCol + index + "=i:6"}));
}

}  // namespace
