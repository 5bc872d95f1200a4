// Surveillance OUI editor against the simulated switch: the listed OUIs and masks, the two requests of
// an add, text that names no six octets refused before any request, letter case ignored, both
// built-in rows protected and left out of the count, a refused add kept in the fields, Close during a
// slow add.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "controls/ListCtrl.h"
#include "features/vlan/CameraVLANOUISetting.h"
#include "features/vlan/CameraVlanRules.h"
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

class OuiEditor : public test::SharedSimTest {
protected:
    static void WaitWalk(CCameraVLANOUISetting& dlg, int walks) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.WalksEnded() >= walks; }));
    }
    static void ClickAndSettle(DialogDriver& drv, CCameraVLANOUISetting& dlg, int id) {
        const int before = dlg.WalksEnded();
        ASSERT_TRUE(drv.Click(id));
        ASSERT_TRUE(WaitUntil([&] { return dlg.WalksEnded() > before; }));
    }
    static void Select(CCameraVLANOUISetting& dlg, const std::string& oui) {
        const auto ouis = dlg.ListOuiTexts();
        const auto it = std::find(ouis.begin(), ouis.end(), oui);
        ASSERT_NE(it, ouis.end()) << oui;
        dlg.Item<CListCtrl>(IDC_OUI_LIST)
            ->SetItemState(static_cast<int>(it - ouis.begin()), LVIS_SELECTED, LVIS_SELECTED);
    }
    void Add(DialogDriver& drv, const std::string& description, const std::string& mac) {
        ASSERT_TRUE(drv.Type(IDC_OUI_DESCRIPTION, description));
        ASSERT_TRUE(drv.Type(IDC_OUI_MAC, mac));
        ASSERT_TRUE(drv.Click(IDC_OUI_ADD));
    }
    static std::vector<std::string> Sets() { return test::SetLines(s_sim->Requests(), 0); }

    test::ScriptedMessageBox boxes;
};

TEST_F(OuiEditor, ListsEveryEntryAndAddsByStatusThenDescription) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_SURVEILLANCE_OUI));
    CCameraVLANOUISetting dlg;
    DialogDriver drv(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "Auto Surveillance VLAN OUI Settings");
    WaitWalk(dlg, 1);
    EXPECT_EQ(test::RequestLines(s_sim->Requests())[0], "getnext " + kDevDescCol + "=n: " + kDevMacCol +
                                                            "=n: " + kDevMaskCol + "=n: " + kDevStatusCol +
                                                            "=n:");
    EXPECT_EQ(dlg.ListOuiTexts(),
              (std::vector<std::string>{"00-12-34-00-00-00", "6E-E4-2B-00-00-00", "7A-3C-91-00-00-00"}));
    auto* list = dlg.Item<CListCtrl>(IDC_OUI_LIST);
    EXPECT_EQ(list->GetItemText(0, 1).toStdString(), "Lobby recorder");
    EXPECT_EQ(list->GetItemText(0, 3).toStdString(), "FF-FF-FF-00-00-00");
    EXPECT_EQ(list->GetItemText(2, 3).toStdString(), "FF-FF-FF-F0-00-00");

    s_sim->ClearLog();
    ASSERT_TRUE(drv.Type(IDC_OUI_DESCRIPTION, "gate"));
    ASSERT_TRUE(drv.Type(IDC_OUI_MAC, "00-11-22-00-00-00"));
    ClickAndSettle(drv, dlg, IDC_OUI_ADD);
    const std::string index = ".0.17.34.0.0.0";
    EXPECT_EQ(Sets(),
              (std::vector<std::string>{kDevStatusCol + index + "=i:4", kDevDescCol + index + "=s:gate"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_OUI_MAC), "");
    EXPECT_EQ(dlg.ListOuiTexts()[0], "00-11-22-00-00-00");
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(OuiEditor, RefusesUnusableTextAndDuplicatesInAnyLetterCase) {
    const std::string index = ".0.171.205.0.0.0";
    s_sim->Set(kDevMacCol + index, "x", "00abcd000000");
    s_sim->Set(kDevDescCol + index, "s", "desk");
    s_sim->Set(kDevMaskCol + index, "x", "ffffff000000");
    s_sim->Set(kDevStatusCol + index, "i", "1");
    CCameraVLANOUISetting dlg;
    DialogDriver drv(dlg);
    WaitWalk(dlg, 1);
    ASSERT_EQ(dlg.ListOuiTexts()[0], "00-12-34-00-00-00");
    ASSERT_EQ(dlg.ListOuiTexts()[1], "00-AB-CD-00-00-00");
    s_sim->ClearLog();
    Add(drv, "", "00-11-22-00-00-0Z");  // no index can be built from it
    Add(drv, "", "0011223344556");      // thirteen digits
    Add(drv, "", "01-11-22-00-00-00");  // multicast
    Add(drv, "", "7a-3c-91-00-00-01");  // built-in, lower case
    Add(drv, "", "00-12-34-00-00-00");  // listed
    Add(drv, "", "00-ab-cd-00-00-00");  // listed in upper case
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{kTextMacFormat, kTextMacFormat, kTextOuiMulticast,
                                                       kTextDefaultOui, kTextDuplicate, kTextDuplicate}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_OUI_MAC), "00-ab-cd-00-00-00");
    EXPECT_TRUE(Sets().empty());
}

TEST_F(OuiEditor, BuiltInRowsAreProtectedAndNotCounted) {
    for (int i = 1; i <= 3; ++i) {
        const std::string index = ".0.18.53.0.0." + std::to_string(i);
        s_sim->Set(kDevMacCol + index, "x", "00123500000" + std::to_string(i));
        s_sim->Set(kDevDescCol + index, "s", "cam");
        s_sim->Set(kDevMaskCol + index, "x", "ffffffffffff");
        s_sim->Set(kDevStatusCol + index, "i", "1");
    }
    CCameraVLANOUISetting dlg;
    DialogDriver drv(dlg);
    WaitWalk(dlg, 1);
    Select(dlg, "6E-E4-2B-00-00-00");
    ASSERT_TRUE(drv.Click(IDC_OUI_DELETE));
    Select(dlg, "7A-3C-91-00-00-00");
    ASSERT_TRUE(drv.Click(IDC_OUI_DELETE));
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{kTextDefaultNoDelete, kTextDefaultNoDelete}));
    EXPECT_TRUE(Sets().empty());

    // Four user rows and the two built-in ones: one more fits, then the table is full.
    boxes.Clear();
    ASSERT_TRUE(drv.Click(IDC_OUI_ADD));  // nothing typed
    Add(drv, "fifth", "00-12-36-00-00-00");
    WaitWalk(dlg, 2);
    Add(drv, "sixth", "00-12-37-00-00-00");
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{kTextMacFormat, kTextTableFull}));
    EXPECT_EQ(Sets().size(), 2u);

    Select(dlg, "00-12-36-00-00-00");
    s_sim->ClearLog();
    ClickAndSettle(drv, dlg, IDC_OUI_DELETE);
    EXPECT_EQ(Sets(), (std::vector<std::string>{kDevStatusCol + ".0.18.54.0.0.0=i:6"}));
}

// The device refuses a row in a range it reserves: the add says so and the entry stays.
TEST_F(OuiEditor, RefusedCreateKeepsTheEntry) {
    CCameraVLANOUISetting dlg;
    DialogDriver drv(dlg);
    WaitWalk(dlg, 1);
    s_sim->ClearLog();
    Add(drv, "cam", "6E-E4-2B-00-00-01");
    ASSERT_TRUE(WaitUntil([&] { return !boxes.Texts().empty(); }));
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{"Failed to add the entry: the device did not accept the create."}));
    EXPECT_EQ(Sets(), (std::vector<std::string>{kDevStatusCol + ".110.228.43.0.0.1=i:4"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_OUI_MAC), "6E-E4-2B-00-00-01");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_OUI_DESCRIPTION), "cam");
}

// Answers late: Close while the description is on its way says the entry is there and its description
// unconfirmed, and sends nothing more (no removal either).
TEST_F(OuiEditor, SlowAddCloseAtTheDescriptionSaysWhatTheDeviceHolds) {
    CCameraVLANOUISetting dlg;
    DialogDriver drv(dlg);
    WaitWalk(dlg, 1);
    ASSERT_TRUE(drv.Type(IDC_OUI_DESCRIPTION, "gate"));
    ASSERT_TRUE(drv.Type(IDC_OUI_MAC, "00-11-22-00-00-00"));
    test::SlowRun run(*s_sim, 2000);
    ASSERT_NO_FATAL_FAILURE(run.Click(dlg, drv, IDC_OUI_ADD, {IDC_OUI_ADD, IDC_OUI_DELETE, IDC_OUI_REFRESH},
                                      2, "Adding the entry: writing its description..."));
    // The entry the create-and-go made goes once the add has ended: none stays without its description.
    ASSERT_NO_FATAL_FAILURE(run.CloseThenRemoved(
        drv, boxes, "Stopped: the entry was not added; what the device had made of it was removed."));
    const std::string index = ".0.17.34.0.0.0";
    EXPECT_EQ(test::SetLines(test::DistinctSets(*s_sim), 0),
              (std::vector<std::string>{kDevStatusCol + index + "=i:4", kDevDescCol + index + "=s:gate",
                                        kDevStatusCol + index + "=i:6"}));
}

}  // namespace
