// The 802.1Q VLAN list, VLAN add/edit and PVID dialogs driven against the simulated switch: the
// requests they send (exactly, from the switch's log), the refusals and their texts in order, which
// actions are available before and after the reads they depend on, and pictures of the dialogs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <QtTest/QTest>
#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "controls/ListCtrl.h"
#include "features/common/AfterCloseRun.h"
#include "features/vlan/8021qVlanSet.h"
#include "features/vlan/KSXPVIDConfig.h"
#include "features/vlan/KSXVlanAdd.h"
#include "platform/snmplib/Snmp.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_vlan.h"
#include "res/resource.h"
#include "tests/features/StepRunTest.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::DialogDriver;
using test::SetLines;

const std::string kP = "1.3.6.1.4.1.7393.10.76.20.1";
const std::string kTable = kP + ".7.6.1";
const size_t kCut = kTable.size() + 1;  // set lines show "<column>.<vid>=..."
const std::string kVoiceState = kP + ".21.1.2.0";
const std::string kVoiceId = kP + ".21.1.3.0";
const std::string kSurvState = kP + ".26.1.1.0";
const std::string kSurvId = kP + ".26.1.2.0";
const std::string kIpIf = kP + ".41.1.1.1.2";
const std::string kAsym = kP + ".7.5.0";
const std::string kPvid = kP + ".7.7.1.1";
const std::string kTrunkMembers = kP + ".8.1.3.1.2";

// Runs `open` (which brings up a modal dialog of type D) and `script` on that dialog from inside its
// modal loop. A script that leaves the dialog open has it cancelled. False when no such dialog came.
template <class D>
bool WithModal(const std::function<void()>& open, const std::function<void(D&)>& script) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        if (!test::WaitUntil([] { return dynamic_cast<D*>(QApplication::activeModalWidget()) != nullptr; })) {
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

void TypeText(CDialog& dlg, int id, const std::string& text) {
    auto* edit = qobject_cast<QLineEdit*>(dlg.GetDlgItem(id));
    ASSERT_NE(edit, nullptr) << id;
    edit->setFocus();
    edit->clear();
    QTest::keyClicks(edit, QString::fromStdString(text));
}

// Port k of a choice: its box.
bool Checked(CDialog& dlg, int base, int port) {
    return dlg.IsDlgButtonChecked(base + port) == 1;
}

bool Shown(CDialog& dlg, int id) {
    return !dlg.GetDlgItem(id)->isHidden();
}

std::string Cell(C8021qVlanSet& dlg, int row, int column) {
    return dlg.Item<CListCtrl>(IDC_VLAN_LIST)->GetItemText(row, column).toStdString();
}

int RowOf(C8021qVlanSet& dlg, const std::string& vid) {
    auto* list = dlg.Item<CListCtrl>(IDC_VLAN_LIST);
    for (int r = 0; r < list->GetItemCount(); ++r) {
        if (Cell(dlg, r, 0) == vid) {
            return r;
        }
    }
    return -1;
}

void SelectVlan(C8021qVlanSet& dlg, const std::string& vid) {
    auto* list = dlg.Item<CListCtrl>(IDC_VLAN_LIST);
    const int row = RowOf(dlg, vid);
    ASSERT_GE(row, 0) << vid;
    list->selectRow(row);
    test::PumpEvents();
}

void Screenshot(QWidget* w, const std::string& name) {
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/vlan";
    QDir().mkpath(dir);
    test::PumpEvents();
    EXPECT_TRUE(test::GrabScreenshot(w, (dir + "/" + QString::fromStdString(name) + ".png").toStdString()));
}

class VlanDialogs : public test::SharedSimTest {
public:
    static void SetUpTestSuite() {
        SnmpInit();
        SharedSimTest::SetUpTestSuite();
        ui::OnAfterCloseRunEnd(qApp, vlan::kRowStatusColumn, [] { ++s_putBackEnds; });
    }

protected:
    void SetUp() override {
        SharedSimTest::SetUp();
        g_nPortNum = 28;
        g_bVlanConfigEnabled = 1;
    }
    void TearDown() override {
        g_nPortNum = 28;
        SharedSimTest::TearDown();
    }

    // Waits until every read of a refresh has ended.
    static void WaitRead(C8021qVlanSet& dlg) {
        ASSERT_TRUE(
            test::WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_VLAN_REFRESH) && dlg.VlanTableRead(); }));
        ASSERT_TRUE(test::WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_VLAN_DELETE); }));
    }
    static void WaitOk(CKSXVlanAdd& dlg) {
        ASSERT_TRUE(test::WaitUntil([&] { return dlg.IsDlgItemEnabled(IDOK); }));
    }
    // OK, and the write it started has ended.
    static void Ok(CKSXVlanAdd& dlg) {
        Click(dlg, IDOK);
        ASSERT_TRUE(test::WaitUntil([&] { return !dlg.Writing(); }, 30000));
    }
    void AddAgainReplacesTheRow(C8021qVlanSet& dlg, const std::string& vid, bool asked = false);
    static void CloseEditAtRequest(size_t k, const std::function<void()>& closed = nullptr);

    test::ScriptedMessageBox boxes;
    static inline std::atomic<int> s_putBackEnds{0};  // an edit's put-back after Close told its opener
};

TEST_F(VlanDialogs, ListsActiveVlansOnly) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_VLAN_CONFIGURATION));
    const std::string longName(150, 'n');  // longer than any fixed buffer would take
    s_sim->Set(kTable + ".1.200", "s", longName);
    s_sim->Set(kTable + ".1.300", "s", "idle");
    s_sim->Set(kTable + ".2.300", "x", "80000000");
    s_sim->Set(kTable + ".4.300", "x", "00000000");
    s_sim->Set(kTable + ".5.300", "i", "2");  // not in service: not listed
    C8021qVlanSet dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    auto* list = dlg.Item<CListCtrl>(IDC_VLAN_LIST);
    ASSERT_EQ(list->GetItemCount(), 3);
    EXPECT_EQ(dlg.GetWindowText(), "802.1Q VLAN Configuration");
    std::vector<std::string> headings;
    for (int c = 0; c < list->GetColumnCount(); ++c) {
        if (!list->isColumnHidden(c)) {
            headings.push_back(list->horizontalHeaderItem(c)->text().toStdString());
        }
    }
    EXPECT_EQ(headings, (std::vector<std::string>{"VLAN ID", "VLAN Name", "No.of Ports", "Egress Port Member",
                                                  "Untag Port Member"}));
    EXPECT_EQ(Cell(dlg, 0, 0), "1");
    EXPECT_EQ(Cell(dlg, 0, 1), "default");
    EXPECT_EQ(Cell(dlg, 0, 2), "28");
    EXPECT_EQ(Cell(dlg, 1, 0), "100");
    EXPECT_EQ(Cell(dlg, 1, 3), "1,2,3,4,5,6,7,8");
    EXPECT_EQ(Cell(dlg, 1, 4), "");
    EXPECT_EQ(Cell(dlg, 2, 1), longName);
    ASSERT_EQ(dlg.Vlans().size(), 3u);
    EXPECT_EQ(dlg.Vlans()[2].szName, longName);
    EXPECT_EQ(dlg.Vlans()[1].nNotMemberCount, 20);
    // PVIDs by port number, the voice and surveillance settings, the IP interfaces.
    EXPECT_EQ(dlg.Guards().pvids[4], 100);
    EXPECT_EQ(dlg.Guards().voiceState, 2);
    EXPECT_EQ(dlg.Guards().surveillanceId, 30);
    EXPECT_EQ(dlg.Guards().ipInterfaceVlans, std::vector<std::string>{"1"});
    EXPECT_FALSE(Shown(dlg, IDC_VLAN_STATUS));
    // The table walk asks for the name, egress, untagged and row-status columns, in this order.
    std::vector<std::string> walked;
    for (const auto& r : test::OfKind(s_sim->Requests(), "getnext")) {
        if (r.varbinds.size() == 4 && r.varbinds[0].oid == kTable + ".1") {
            for (const auto& vb : r.varbinds) {
                walked.push_back(vb.oid.substr(kCut));
            }
            break;
        }
    }
    EXPECT_EQ(walked, (std::vector<std::string>{"1", "2", "4", "5"}));
    Screenshot(&dlg, "vlan_list_28");
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(VlanDialogs, ActionsWaitForTheReadsTheyCheck) {
    // A slow switch: nothing that checks the list, the PVIDs or the voice settings is available early.
    s_sim->DelayMs(150);
    C8021qVlanSet dlg;
    DialogDriver drv(dlg);
    for (int id : {IDC_VLAN_ADD, IDC_VLAN_EDIT, IDC_VLAN_DELETE, IDC_VLAN_PVID, IDC_VLAN_REFRESH,
                   IDC_VLAN_ASYMMETRIC_APPLY}) {
        EXPECT_FALSE(dlg.IsDlgItemEnabled(id)) << id;
    }
    // A double-click on a listed row while the table is still arriving opens nothing (the switch
    // stops answering, so the walk cannot end meanwhile).
    ASSERT_TRUE(test::WaitUntil([&] { return dlg.Item<CListCtrl>(IDC_VLAN_LIST)->GetItemCount() > 0; }));
    s_sim->Silence(true);
    ASSERT_FALSE(dlg.VlanTableRead());
    dlg.DispatchCommand(IDC_VLAN_LIST, NM_DBLCLK, 0);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_VLAN_EDIT));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_VLAN_PVID));
    // The walk fails: the rows so far stay, nothing that needs the whole list comes back.
    ASSERT_TRUE(test::WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_VLAN_REFRESH); }, 15000));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_VLAN_EDIT));
    EXPECT_NE(dlg.GetDlgItemText(IDC_VLAN_STATUS).find("the VLAN table"), std::string::npos);
    s_sim->Silence(false);
    s_sim->DelayMs(0);
    Click(dlg, IDC_VLAN_REFRESH);
    WaitRead(dlg);

    // A failed read of the voice settings: delete and Apply stay unavailable, Refresh reads again.
    s_sim->ErrorStatus(kVoiceState, 5);
    Click(dlg, IDC_VLAN_REFRESH);
    ASSERT_TRUE(test::WaitUntil([&] { return Shown(dlg, IDC_VLAN_STATUS); }));
    ASSERT_TRUE(test::WaitUntil([&] { return dlg.VlanTableRead(); }));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_VLAN_STATUS),
              "Could not read the voice and surveillance VLAN settings. Press Refresh to read again.");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_VLAN_DELETE));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_VLAN_ASYMMETRIC_APPLY));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_VLAN_REFRESH));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_VLAN_ADD));
    s_sim->ErrorStatus(kVoiceState, 0);
    Click(dlg, IDC_VLAN_REFRESH);
    WaitRead(dlg);
    EXPECT_FALSE(Shown(dlg, IDC_VLAN_STATUS));
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(VlanDialogs, DeleteRefusalsInOrderThenDelete) {
    // VLAN 100 is everything at once; each refusal is lifted in turn.
    s_sim->Set(kAsym, "i", "1");
    s_sim->Set(kVoiceState, "i", "1");
    s_sim->Set(kVoiceId, "i", "100");
    s_sim->Set(kSurvState, "i", "1");
    s_sim->Set(kSurvId, "i", "100");
    s_sim->Set(kIpIf + ".2", "i", "100");
    C8021qVlanSet dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    auto tryDelete = [&](const std::string& vid, int answer = IDOK) {
        boxes.Clear();
        boxes.Answer(answer);
        SelectVlan(dlg, vid);
        Click(dlg, IDC_VLAN_DELETE);
        return boxes.Texts();
    };
    EXPECT_EQ(tryDelete("1"), std::vector<std::string>{"Can't delete the default VLAN!"});
    EXPECT_EQ(tryDelete("100"),
              std::vector<std::string>{"The VID is one of The PVID, so it cannot be deleted."});
    const std::vector<std::pair<std::string, std::string>> lifts = {
        {kAsym, "2"}, {kVoiceState, "2"}, {kSurvState, "2"}};
    const std::vector<std::string> next = {"The VLAN ID is Voice VLAN ID.",
                                           "The VLAN ID is Surveillance VLAN ID.",
                                           "The VLAN ID is IP Interface VLAN."};
    for (size_t i = 0; i < lifts.size(); ++i) {
        s_sim->Set(lifts[i].first, "i", lifts[i].second);
        Click(dlg, IDC_VLAN_REFRESH);
        WaitRead(dlg);
        EXPECT_EQ(tryDelete("100"), std::vector<std::string>{next[i]});
    }
    EXPECT_TRUE(test::SetLines(s_sim->Requests(), 0).empty());

    // Without a refusal: asked first; Cancel reads again and deletes nothing, OK deletes.
    s_sim->Set(kIpIf + ".2", "i", "1");
    Click(dlg, IDC_VLAN_REFRESH);
    WaitRead(dlg);
    EXPECT_EQ(
        tryDelete("200", IDCANCEL),
        std::vector<std::string>{
            "The VLAN 200 settings in IGMP Snooping and MAC Address Table maybe be affected, continue?"});
    WaitRead(dlg);
    EXPECT_TRUE(test::Sets(s_sim->Requests()).empty())
        << ::testing::PrintToString(test::Describe(test::Sets(s_sim->Requests())));
    // A delete refused, or never answered, is said.
    const std::string lead = "Failed to delete the VLAN 200: the device did not ";
    s_sim->Command("error " + kTable + ".5.200 5 6");
    EXPECT_EQ(tryDelete("200").back(), lead + "accept it.");
    test::UseSimV1(*s_sim, "600");
    s_sim->Command("error " + kTable + ".5.200 drop 6");
    EXPECT_EQ(tryDelete("200").back(), lead + "answer: it did not confirm whether it was deleted.");
    s_sim->Command("error " + kTable + ".5.200 0 6");
    WaitRead(dlg);
    s_sim->ClearLog();
    tryDelete("200");
    WaitRead(dlg);
    EXPECT_EQ(SetLines(s_sim->Requests(), kCut), std::vector<std::string>{"5.200=i:6"});
    EXPECT_EQ(RowOf(dlg, "200"), -1);

    // No selection, and an empty selection message with the information icon.
    dlg.Item<CListCtrl>(IDC_VLAN_LIST)->clearSelection();
    boxes.Clear();
    Click(dlg, IDC_VLAN_DELETE);
    Click(dlg, IDC_VLAN_EDIT);
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Please select the VLAN want to be deleted!");
    EXPECT_EQ(boxes.Boxes()[0].flags, MB_ICONINFORMATION);
    EXPECT_EQ(boxes.Boxes()[1].text, "Please select the VLAN !");
}

TEST_F(VlanDialogs, AsymmetricSwitchRefusalsAndApply) {
    s_sim->Set(kIpIf + ".2", "i", "100");
    C8021qVlanSet dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    // Two IP interfaces: a change is refused and the box keeps the user's choice.
    Click(dlg, IDC_VLAN_ASYMMETRIC);
    Click(dlg, IDC_VLAN_ASYMMETRIC_APPLY);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Multiple Interfaces are set, the VLAN mode can not be changed."});
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_VLAN_ASYMMETRIC), 1);

    // Voice VLAN on: refused on every Apply, the box back to the device's value.
    s_sim->Set(kVoiceState, "i", "1");
    s_sim->Command("unset " + kIpIf + ".2");
    Click(dlg, IDC_VLAN_REFRESH);
    WaitRead(dlg);
    boxes.Clear();
    Click(dlg, IDC_VLAN_ASYMMETRIC);
    Click(dlg, IDC_VLAN_ASYMMETRIC_APPLY);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Voice Vlan is enable,the vlan mode can't change to Asymmetric "
                                       "mode!\nIf you could disable it, please set it through the web!"});
    EXPECT_TRUE(test::WaitUntil([&] { return dlg.IsDlgButtonChecked(IDC_VLAN_ASYMMETRIC) == 0; }));

    s_sim->Set(kVoiceState, "i", "2");
    s_sim->Set(kSurvState, "i", "1");
    Click(dlg, IDC_VLAN_REFRESH);
    WaitRead(dlg);
    boxes.Clear();
    Click(dlg, IDC_VLAN_ASYMMETRIC_APPLY);  // unchanged, still refused
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{
                  "Auto Surveillance VLAN is enable,the vlan mode can't change to Asymmetric mode!"});
    EXPECT_TRUE(test::Sets(s_sim->Requests()).empty());

    // Nothing in the way: asked, then written and read again.
    s_sim->Set(kSurvState, "i", "2");
    Click(dlg, IDC_VLAN_REFRESH);
    WaitRead(dlg);
    boxes.Clear();
    s_sim->ClearLog();
    Click(dlg, IDC_VLAN_ASYMMETRIC);
    Click(dlg, IDC_VLAN_ASYMMETRIC_APPLY);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"The setting of VLAN, IGMP Snooping, Management VLAN and MAC "
                                       "Address Table will be reset to default."});
    WaitRead(dlg);
    EXPECT_EQ(test::SetLines(s_sim->Requests(), kAsym.size() - 5), std::vector<std::string>{"7.5.0=i:1"});
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_VLAN_ASYMMETRIC), 1);
}

TEST_F(VlanDialogs, AddThroughTheListIsSixStepsOfSevenRequests) {
    C8021qVlanSet dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    s_sim->ClearLog();
    const bool seen = WithModal<CKSXVlanAdd>([&] { Click(dlg, IDC_VLAN_ADD); },
                                             [&](CKSXVlanAdd& add) {
                                                 WaitOk(add);
                                                 EXPECT_EQ(add.GetWindowText(), "Add VLAN");
                                                 Screenshot(&add, "vlan_add_28");
                                                 TypeText(add, IDC_VLANADD_VID, "30");
                                                 TypeText(add, IDC_VLANADD_NAME, "lab");
                                                 Click(add, IDC_VLANADD_TAGGED_BASE + 1);
                                                 Click(add, IDC_VLANADD_TAGGED_BASE + 2);
                                                 // Every port is untagged in VLAN 1 and the asymmetric VLAN
                                                 // is off: no port can be untagged here.
                                                 Click(add, IDC_VLANADD_UNTAGGED_BASE + 3);
                                                 EXPECT_FALSE(Checked(add, IDC_VLANADD_UNTAGGED_BASE, 3));
                                                 EXPECT_TRUE(Checked(add, IDC_VLANADD_NOT_MEMBER_BASE, 3));
                                                 // A click on the choice already made keeps it.
                                                 Click(add, IDC_VLANADD_TAGGED_BASE + 1);
                                                 EXPECT_TRUE(Checked(add, IDC_VLANADD_TAGGED_BASE, 1));
                                                 s_sim->ClearLog();
                                                 Ok(add);
                                                 EXPECT_TRUE(add.IsDialogEnded());
                                                 EXPECT_EQ(add.GetDialogResult(), IDOK);
                                             });
    ASSERT_TRUE(seen);
    WaitRead(dlg);
    EXPECT_EQ(SetLines(s_sim->Requests(), kCut),
              (std::vector<std::string>{"5.30=i:5", "2.30=x:fffffff000000000", "4.30=x:0000000000000000",
                                        "2.30=x:c000000000000000", "3.30=x:0000000000000000", "1.30=s:lab",
                                        "5.30=i:1"}));
    const int row = RowOf(dlg, "30");
    ASSERT_GE(row, 0);
    EXPECT_EQ(Cell(dlg, row, 3), "1,2");
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(VlanDialogs, AddRefusalsAndAFailedWrite) {
    C8021qVlanSet dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    s_sim->Set(kTrunkMembers + ".2", "x", "30000000");  // ports 3, 4
    s_sim->ClearLog();
    WithModal<CKSXVlanAdd>([&] { Click(dlg, IDC_VLAN_ADD); },
                           [&](CKSXVlanAdd& add) {
                               WaitOk(add);
                               for (const char* vid : {"1", "4095", "", "100"}) {
                                   TypeText(add, IDC_VLANADD_VID, vid);
                                   Click(add, IDOK);
                               }
                               TypeText(add, IDC_VLANADD_VID, "31");
                               TypeText(add, IDC_VLANADD_NAME, "");
                               Click(add, IDOK);
                               TypeText(add, IDC_VLANADD_NAME, "a.b");
                               Click(add, IDOK);
                               TypeText(add, IDC_VLANADD_NAME, "lab");
                               Click(add, IDC_VLANADD_TAGGED_BASE + 3);  // port 4 of its trunk left out
                               Click(add, IDOK);
                               EXPECT_TRUE(test::Sets(s_sim->Requests()).empty());
                               Click(add, IDC_VLANADD_TAGGED_BASE + 4);
                               // The device refuses the untagged ports: the write stops there, says so, the
                               // row goes again.
                               s_sim->ErrorStatus(kTable + ".4.31", 5);
                               Ok(add);
                               s_sim->ErrorStatus(kTable + ".4.31", 0);
                               EXPECT_FALSE(add.IsDialogEnded());
                           });
    EXPECT_EQ(
        boxes.Texts(),
        (std::vector<std::string>{
            "Invalid VLAN ID, VLAN ID should be (2-4094) !", "Invalid VLAN ID, VLAN ID should be (2-4094) !",
            "Invalid VLAN ID, VLAN ID should be (2-4094) !",
            "The VLAN ID has been used, please input again !", "Vlan name is not allow empty.",
            "Invalid Vlan name.", "Members in VLAN have to be in the same trunk !",
            "The device did not accept the untagged ports of VLAN 31. The VLAN was not added."}));
    EXPECT_EQ(SetLines(s_sim->Requests(), kCut),
              (std::vector<std::string>{"5.31=i:5", "2.31=x:fffffff000000000", "4.31=x:0000000000000000",
                                        "5.31=i:6"}));
    EXPECT_EQ(s_sim->Get(kTable + ".5.31"), "");
}

// Fills an add of VLAN `vid` named "lab" with ports 1 and 2 tagged.
void FillAdd(CKSXVlanAdd& add, const std::string& vid) {
    TypeText(add, IDC_VLANADD_VID, vid);
    TypeText(add, IDC_VLANADD_NAME, "lab");
    Click(add, IDC_VLANADD_TAGGED_BASE + 1);
    Click(add, IDC_VLANADD_TAGGED_BASE + 2);
}

// The same add again, after a stop or an unanswered create left a row of `vid` that is not active: the
// row is replaced (create refused, status read, destroy, create), written as any add, listed, active.
// `asked`: whose row it is was not known (its status read went unanswered): the user is asked first.
void VlanDialogs::AddAgainReplacesTheRow(C8021qVlanSet& dlg, const std::string& vid, bool asked) {
    boxes.Clear();
    s_sim->ClearLog();
    WithModal<CKSXVlanAdd>([&] { Click(dlg, IDC_VLAN_ADD); },
                           [&](CKSXVlanAdd& add) {
                               WaitOk(add);
                               FillAdd(add, vid);
                               Ok(add);
                               EXPECT_EQ(add.GetDialogResult(), IDOK);
                           });
    WaitRead(dlg);
    EXPECT_EQ(
        SetLines(s_sim->Requests(), kCut),
        (std::vector<std::string>{"5." + vid + "=i:5", "5." + vid + "=i:6", "5." + vid + "=i:5",
                                  "2." + vid + "=x:fffffff000000000", "4." + vid + "=x:0000000000000000",
                                  "2." + vid + "=x:c000000000000000", "3." + vid + "=x:0000000000000000",
                                  "1." + vid + "=s:lab", "5." + vid + "=i:1"}));
    EXPECT_GE(RowOf(dlg, vid), 0);
    EXPECT_EQ(s_sim->Get(kTable + ".5." + vid), "1");
    EXPECT_EQ(boxes.Texts(), asked ? std::vector<std::string>{"The device already holds VLAN " + vid +
                                                              ", not in service. Replace it?"}
                                   : std::vector<std::string>{});
}

TEST_F(VlanDialogs, SlowAddStaysLiveAndAStoppedCreateIsReplacedByTheNextAdd) {
    C8021qVlanSet dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    WithModal<CKSXVlanAdd>([&] { Click(dlg, IDC_VLAN_ADD); },
                           [&](CKSXVlanAdd& add) {
                               WaitOk(add);
                               FillAdd(add, "30");
                               // The device holds what comes in the next 2.5 s and answers it then,
                               // resent copies of a request together.
                               s_sim->ClearLog();
                               ASSERT_EQ(s_sim->Command("stall 2500").substr(0, 2), "OK");
                               test::TickGap ticks;
                               Click(add, IDOK);
                               EXPECT_TRUE(add.Writing());
                               EXPECT_FALSE(add.IsDlgItemEnabled(IDOK));
                               EXPECT_TRUE(add.IsDlgItemEnabled(IDCANCEL));
                               EXPECT_FALSE(add.Run().ProgressShown());  // not in the first second
                               // The status read before the create is held: so is the create.
                               ASSERT_TRUE(test::WaitUntil([] { return !s_sim->Requests().empty(); }));
                               ASSERT_EQ(s_sim->Command("stall 5000").substr(0, 2), "OK");
                               const auto createSent = [] { return !test::DistinctSets(*s_sim).empty(); };
                               ASSERT_TRUE(test::WaitUntil(createSent));
                               // Still the create on its way.
                               ASSERT_TRUE(test::WaitUntil([&] {
                                   return add.Run().ProgressShown() &&
                                          add.Run().ProgressText() ==
                                              "Adding VLAN 30: creating its row (1 of 7)...";
                               }));
                               EXPECT_LT(ticks.MaxGapMs(), 250);
                               Screenshot(&add, "vlan_add_writing");
                               Click(add, IDCANCEL);
                               EXPECT_TRUE(add.IsDialogEnded());
                           });
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{
                                 "Stopped: the device did not confirm whether a row for VLAN 30 was created; "
                                 "VLAN 30 is not active. Adding it again replaces that row."});
    // The device applied the create late: a row of VLAN 30 that is not active, and not listed.
    ASSERT_TRUE(test::WaitUntil([&] { return s_sim->Get(kTable + ".5.30") == "2"; }, 20000));
    ClearFaults();
    WaitRead(dlg);
    EXPECT_EQ(SetLines(test::DistinctSets(*s_sim), kCut), std::vector<std::string>{"5.30=i:5"});
    EXPECT_LT(RowOf(dlg, "30"), 0);
    AddAgainReplacesTheRow(dlg, "30");
}

TEST_F(VlanDialogs, ACreateAppliedButNotAnsweredIsReplacedByTheNextAdd) {
    C8021qVlanSet dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    // The device applies the create after the request's time-out (one attempt at this time-out): no
    // answer, and none to the status read after it.
    UseSimV1(*s_sim, "400");
    WithModal<CKSXVlanAdd>([&] { Click(dlg, IDC_VLAN_ADD); },
                           [&](CKSXVlanAdd& add) {
                               WaitOk(add);
                               FillAdd(add, "32");
                               s_sim->DelayMs(600);
                               Ok(add);
                               EXPECT_FALSE(add.IsDialogEnded());
                               EXPECT_TRUE(add.IsDlgItemEnabled(IDOK));
                           });
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{
                                 "The device did not answer: it did not confirm whether a row for VLAN 32 "
                                 "was created. VLAN 32 is not active; adding it again replaces that row."});
    ASSERT_TRUE(test::WaitUntil([&] { return s_sim->Get(kTable + ".5.32") == "2"; }));
    ClearFaults();
    UseSimV1(*s_sim);
    WaitRead(dlg);
    EXPECT_LT(RowOf(dlg, "32"), 0);
    AddAgainReplacesTheRow(dlg, "32", true);
}

TEST_F(VlanDialogs, EditKeepsForbiddenPortsAndTheEditedVlansUntaggedPorts) {
    C8021qVlanSet dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    SelectVlan(dlg, "100");
    s_sim->ClearLog();
    WithModal<CKSXVlanAdd>([&] { Click(dlg, IDC_VLAN_EDIT); },
                           [&](CKSXVlanAdd& edit) {
                               WaitOk(edit);
                               EXPECT_EQ(edit.GetWindowText(), "Edit VLAN");
                               EXPECT_FALSE(edit.IsDlgItemEnabled(IDC_VLANADD_VID));
                               EXPECT_TRUE(edit.IsDlgItemEnabled(IDC_VLANADD_NAME));
                               EXPECT_EQ(edit.GetDlgItemText(IDC_VLANADD_NAME), "office");
                               EXPECT_TRUE(Checked(edit, IDC_VLANADD_TAGGED_BASE, 8));
                               EXPECT_TRUE(Checked(edit, IDC_VLANADD_NOT_MEMBER_BASE, 9));
                               EXPECT_TRUE(Checked(edit, IDC_VLANADD_FORBIDDEN_BASE, 20));
                               Click(edit, IDC_VLANADD_NOT_MEMBER_BASE + 1);
                               Click(edit, IDC_VLANADD_TAGGED_BASE + 9);
                               s_sim->ClearLog();
                               Ok(edit);
                               EXPECT_EQ(edit.GetDialogResult(), IDOK);
                           });
    WaitRead(dlg);
    // The forbidden port 20 is written back as it was read.
    EXPECT_EQ(SetLines(s_sim->Requests(), kCut),
              (std::vector<std::string>{"5.100=i:2", "2.100=x:fffffff000000000", "4.100=x:0000000000000000",
                                        "2.100=x:7f80000000000000", "3.100=x:0000100000000000",
                                        "1.100=s:office", "5.100=i:1"}));
    EXPECT_EQ(s_sim->Get(kTable + ".3.100"), "0000100000000000");
    EXPECT_EQ(Cell(dlg, RowOf(dlg, "100"), 3), "2,3,4,5,6,7,8,9");

    // In the edited VLAN a port untagged there may be untagged again once it was made tagged.
    s_sim->Set(kTable + ".4.1", "x", "3ffffff0");    // ports 1 and 2 not untagged in VLAN 1
    s_sim->Set(kTable + ".4.100", "x", "40000000");  // port 2 untagged in VLAN 100 only
    Click(dlg, IDC_VLAN_REFRESH);
    WaitRead(dlg);
    SelectVlan(dlg, "100");
    WithModal<CKSXVlanAdd>([&] { Click(dlg, IDC_VLAN_EDIT); },
                           [&](CKSXVlanAdd& edit) {
                               WaitOk(edit);
                               EXPECT_TRUE(Checked(edit, IDC_VLANADD_UNTAGGED_BASE, 2));
                               Click(edit, IDC_VLANADD_TAGGED_BASE + 2);
                               Click(edit, IDC_VLANADD_UNTAGGED_BASE + 2);
                               EXPECT_TRUE(Checked(edit, IDC_VLANADD_UNTAGGED_BASE, 2));
                               Click(edit, IDC_VLANADD_UNTAGGED_BASE + 3);  // untagged in VLAN 1
                               EXPECT_FALSE(Checked(edit, IDC_VLANADD_UNTAGGED_BASE, 3));
                           });
}

// Edits VLAN 100 of the profile (port 1 left out, port 9 tagged) against a device that answers 400 ms
// late, and closes the dialog while request k of the write is on its way; `closed` runs just after.
void VlanDialogs::CloseEditAtRequest(size_t k, const std::function<void()>& closed) {
    VlanEntry office;
    office.nVid = 100;
    office.szName = "office";
    office.szEgressPorts = "1,2,3,4,5,6,7,8";
    CKSXVlanAdd edit;
    edit.SetEditMode(28, {office}, 100, 2);
    DialogDriver drv(edit);
    ASSERT_TRUE(test::WaitUntil([&] { return edit.IsDlgItemEnabled(IDOK); }));
    Click(edit, IDC_VLANADD_NOT_MEMBER_BASE + 1);
    Click(edit, IDC_VLANADD_TAGGED_BASE + 9);
    s_sim->DelayMs(400);
    s_sim->ClearLog();
    Click(edit, IDOK);
    ASSERT_TRUE(test::WaitUntil([&] { return test::DistinctSets(*s_sim).size() > k; }));
    drv.CloseBox();
    if (closed) {
        closed();
    }
    ASSERT_TRUE(drv.Ended());
}

// An edit takes the VLAN out of service and makes every port its member before it writes the user's
// lists. Closed while any of its steps is on its way, the dialog ends at once; after it has gone the VLAN
// is put back as it was read and in service, so that no port joins it.
TEST_F(VlanDialogs, AnEditClosedAtAnyStepIsPutBackAsItWas) {
    const std::vector<std::string> write = {"5.100=i:2",
                                            "2.100=x:fffffff000000000",
                                            "4.100=x:0000000000000000",
                                            "2.100=x:7f80000000000000",
                                            "3.100=x:0000100000000000",
                                            "1.100=s:office",
                                            "5.100=i:1"};
    const std::map<size_t, std::string> texts = {
        {1,
         "Stopped: the row status was written; the device did not confirm whether every port as a member "
         "was written; the untagged ports, the member ports, the forbidden ports, the VLAN name and the "
         "activation were not written. VLAN 100 was put back as it was."},
        {6,
         "Stopped: the row status, every port as a member, the untagged ports, the member ports, the "
         "forbidden ports and the VLAN name were written; the device did not confirm whether the "
         "activation was written. VLAN 100 was put back as it was."}};
    for (size_t k = 0; k < write.size(); ++k) {
        SCOPED_TRACE(write[k]);
        s_sim->DelayMs(0);
        s_sim->Restart();
        boxes.Clear();
        const int putBackEnds = s_putBackEnds;
        ASSERT_NO_FATAL_FAILURE(CloseEditAtRequest(k));
        ASSERT_TRUE(boxes.WaitForCount(1));
        // The opener reads the VLANs again once the put-back has ended.
        EXPECT_TRUE(test::WaitUntil([&] { return s_putBackEnds > putBackEnds; }));
        if (texts.count(k) != 0) {
            EXPECT_EQ(boxes.LastText(), texts.at(k));
        }
        std::vector<std::string> sent(write.begin(), write.begin() + static_cast<long>(k) + 1);
        if (k > 0) {
            sent.insert(sent.end(),
                        {"2.100=x:ff00000000000000", "4.100=x:0000000000000000", "3.100=x:0000100000000000"});
        }
        if (k >= 5) {
            sent.push_back("1.100=s:office");
        }
        sent.push_back("5.100=i:1");
        EXPECT_EQ(SetLines(test::DistinctSets(*s_sim), kCut), sent);
        EXPECT_EQ(s_sim->Get(kTable + ".5.100"), "1");
        EXPECT_EQ(s_sim->Get(kTable + ".2.100"), k == 0 ? "ff000000" : "ff00000000000000");
        EXPECT_EQ(s_sim->Get(kTable + ".1.100"), "office");
    }
}

// The put-back after Close goes unanswered: the VLAN is left out of service, and the message says so.
TEST_F(VlanDialogs, AnEditWhosePutBackIsNotAnsweredIsLeftOutOfService) {
    UseSimV1(*s_sim, "1000");
    ASSERT_NO_FATAL_FAILURE(CloseEditAtRequest(2, [] { s_sim->Silence(true); }));
    ASSERT_TRUE(boxes.WaitForCount(1));
    EXPECT_EQ(
        boxes.LastText(),
        "Stopped: the row status and every port as a member were written; the device did not confirm "
        "whether the untagged ports were written; the member ports, the forbidden ports, the VLAN name "
        "and the activation were not written. VLAN 100 could not be put back as it was: the device did "
        "not confirm whether the member ports were written; the untagged ports, the forbidden ports and "
        "the activation were not written. VLAN 100 is left out of service: it is not listed, and adding "
        "it again replaces it.");
    s_sim->Silence(false);
    EXPECT_EQ(s_sim->Get(kTable + ".5.100"), "2");
}

// While an edit closed on a slow device is put back (its activation unanswered), the list shows the VLAN
// as such; Edit, Delete and an Add of its id wait for the put-back, then the list reads again.
TEST_F(VlanDialogs, TheListWaitsForAPutBack) {
    C8021qVlanSet dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    SelectVlan(dlg, "100");
    WithModal<CKSXVlanAdd>(
        [&] { Click(dlg, IDC_VLAN_EDIT); },
        [&](CKSXVlanAdd& edit) {
            WaitOk(edit);
            Click(edit, IDC_VLANADD_NOT_MEMBER_BASE + 1);
            s_sim->DelayMs(400);
            s_sim->ClearLog();
            Click(edit, IDOK);
            ASSERT_TRUE(test::WaitUntil([] { return test::DistinctSets(*s_sim).size() > 1; }));
            s_sim->LoseAnswer(kTable + ".5.100");
            edit.close();
        });
    s_sim->DelayMs(0);
    ASSERT_TRUE(test::WaitUntil([&] { return dlg.VlanTableRead() && RowOf(dlg, "100") >= 0; }));
    ASSERT_TRUE(ui::AfterCloseRunWriting(vlan::kRowStatusColumn, "100"));
    EXPECT_EQ(Cell(dlg, RowOf(dlg, "100"), 1), "office (being put back)");
    SelectVlan(dlg, "100");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_VLAN_EDIT));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_VLAN_DELETE));
    ASSERT_TRUE(dlg.IsDlgItemEnabled(IDC_VLAN_ADD));
    WithModal<CKSXVlanAdd>([&] { Click(dlg, IDC_VLAN_ADD); },
                           [&](CKSXVlanAdd& add) {
                               WaitOk(add);
                               TypeText(add, IDC_VLANADD_VID, "100");
                               TypeText(add, IDC_VLANADD_NAME, "again");
                               Click(add, IDOK);
                           });
    EXPECT_EQ(boxes.LastText(),
              "VLAN 100 is being put back as it was: it can be added again once that has ended.");
    ASSERT_TRUE(test::WaitUntil([] { return !ui::AfterCloseRunWriting(vlan::kRowStatusColumn); }, 20000));
    WaitRead(dlg);
    EXPECT_EQ(Cell(dlg, RowOf(dlg, "100"), 1), "office");
    SelectVlan(dlg, "100");
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_VLAN_EDIT));
}

TEST_F(VlanDialogs, EditOfTheDefaultVlanIsFiveRequests) {
    C8021qVlanSet dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    SelectVlan(dlg, "1");
    WithModal<CKSXVlanAdd>([&] { dlg.DispatchCommand(IDC_VLAN_LIST, NM_DBLCLK, 0); },
                           [&](CKSXVlanAdd& edit) {
                               WaitOk(edit);
                               EXPECT_FALSE(edit.IsDlgItemEnabled(IDC_VLANADD_VID));
                               EXPECT_FALSE(edit.IsDlgItemEnabled(IDC_VLANADD_NAME));
                               Click(edit, IDC_VLANADD_NOT_MEMBER_BASE + 28);
                               s_sim->ClearLog();
                               Ok(edit);
                           });
    WaitRead(dlg);
    EXPECT_EQ(SetLines(s_sim->Requests(), kCut),
              (std::vector<std::string>{"4.1=x:ffffffe000000000", "2.1=x:ffffffe000000000",
                                        "3.1=x:0000000000000000", "1.1=s:default", "5.1=i:1"}));
}

TEST_F(VlanDialogs, AddIsRefusedAtTheVlanLimitAndAbove) {
    // 257 VLANs (more than the device itself creates) are listed; Add still refuses.
    for (int vid = 1000; vid < 1254; ++vid) {
        s_sim->Set(kTable + ".1." + std::to_string(vid), "s", "v");
        s_sim->Set(kTable + ".2." + std::to_string(vid), "x", "00000000");
        s_sim->Set(kTable + ".4." + std::to_string(vid), "x", "00000000");
        s_sim->Set(kTable + ".5." + std::to_string(vid), "i", "1");
    }
    C8021qVlanSet dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(test::WaitUntil([&] { return dlg.VlanTableRead(); }, 30000));
    ASSERT_EQ(dlg.Item<CListCtrl>(IDC_VLAN_LIST)->GetItemCount(), 257);
    Click(dlg, IDC_VLAN_ADD);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{" Number of VLAN group is over limit"});
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(VlanDialogs, PvidDialogRulesAndWrites) {
    s_sim->Set(kTrunkMembers + ".2", "x", "30000000");  // ports 3, 4
    s_sim->Command("unset " + kPvid + ".2");            // no row for port 2: a port not read
    C8021qVlanSet dlg;
    DialogDriver drv(dlg);
    // The missing PVID row keeps Delete waiting (its check needs every port); the PVID dialog opens.
    ASSERT_TRUE(test::WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_VLAN_PVID); }));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_VLAN_DELETE));
    WithModal<CKSXPVIDConfig>(
        [&] { Click(dlg, IDC_VLAN_PVID); },
        [&](CKSXPVIDConfig& pvid) {
            // Port 2 has no row: its PVID was not read, so OK (which writes every port) waits.
            ASSERT_TRUE(test::WaitUntil([&] {
                return pvid.IsDlgItemEnabled(IDC_PVID_REFRESH) &&
                       !pvid.GetDlgItemText(IDC_PVID_STATUS).empty() &&
                       pvid.GetDlgItemText(IDC_PVID_EDIT_BASE + 1) == "1";
            }));
            EXPECT_FALSE(pvid.IsDlgItemEnabled(IDC_PVID_APPLY));
            EXPECT_EQ(pvid.GetDlgItemText(IDC_PVID_STATUS),
                      "The PVIDs of ports 2 could not be read. Press Refresh to read them again.");
            EXPECT_EQ(pvid.GetDlgItemText(IDC_PVID_EDIT_BASE + 2), "");
            s_sim->Set(kPvid + ".2", "u", "1");  // the device takes port 2 again
            Click(pvid, IDC_PVID_REFRESH);
            ASSERT_TRUE(test::WaitUntil([&] { return pvid.IsDlgItemEnabled(IDC_PVID_APPLY); }));
            EXPECT_EQ(pvid.GetWindowText(), "PVID Configuration");
            EXPECT_EQ(pvid.GetDlgItemText(IDC_PVID_EDIT_BASE + 2), "1");
            EXPECT_EQ(pvid.GetDlgItemText(IDC_PVID_EDIT_BASE + 3), "1");
            EXPECT_EQ(pvid.GetDlgItemText(IDC_PVID_EDIT_BASE + 5),
                      "100");  // by port number, not row position
            EXPECT_EQ(pvid.GetDlgItemText(IDC_PVID_EDIT_BASE + 6), "100");
            Screenshot(&pvid, "pvid_28");
            s_sim->ClearLog();
            TypeText(pvid, IDC_PVID_EDIT_BASE + 3, "100");
            Click(pvid, IDC_PVID_APPLY);
            TypeText(pvid, IDC_PVID_EDIT_BASE + 4, "100");
            Click(pvid, IDC_PVID_APPLY);
            TypeText(pvid, IDC_PVID_EDIT_BASE + 3, "1");
            TypeText(pvid, IDC_PVID_EDIT_BASE + 4, "1");
            TypeText(pvid, IDC_PVID_EDIT_BASE + 7, "");
            Click(pvid, IDC_PVID_APPLY);
            TypeText(pvid, IDC_PVID_EDIT_BASE + 7, "4000");
            Click(pvid, IDC_PVID_APPLY);
            EXPECT_TRUE(test::Sets(s_sim->Requests()).empty());
            // A refused port: named, the ports after it not written, the dialog open with the entries.
            TypeText(pvid, IDC_PVID_EDIT_BASE + 7, "200");
            s_sim->RefuseWrites(kPvid + ".9", 5);
            Click(pvid, IDC_PVID_APPLY);
            ASSERT_TRUE(test::WaitUntil([&] { return !pvid.Run().Running(); }));
            s_sim->RefuseWrites(kPvid + ".9", 0);
            EXPECT_FALSE(pvid.IsDialogEnded());
            EXPECT_EQ(test::Sets(s_sim->Requests()).size(), 9u);
            // The device's PVIDs are read again: port 7 was written before the refusal.
            ASSERT_TRUE(test::WaitUntil([&] { return pvid.IsDlgItemEnabled(IDC_PVID_APPLY); }));
            EXPECT_EQ(pvid.GetDlgItemText(IDC_PVID_EDIT_BASE + 7), "200");
            s_sim->ClearLog();
            Click(pvid, IDC_PVID_APPLY);
            ASSERT_TRUE(test::WaitUntil([&] { return pvid.IsDialogEnded(); }));
            EXPECT_EQ(pvid.GetDialogResult(), IDOK);
        });
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{
                  "You should let all Trunk member in the same PVID !",
                  "Setting PVID on a Trunk is not supported. Please use Web interface for the "
                  "settings.",
                  "Invalid PVID", "Invalid PVID",
                  "The device did not accept the PVID of port 9. 8 of 28 ports were written; ports 10-28 "
                  "were not written. The PVIDs the device holds are shown."}));
    std::vector<std::string> expected;
    for (int p = 1; p <= 28; ++p) {
        expected.push_back("." + std::to_string(p) + "=u:" +
                           (p == 5 || p == 6 ? "100"
                            : p == 7         ? "200"
                                             : "1"));
    }
    EXPECT_EQ(SetLines(s_sim->Requests(), kPvid.size()), expected);
    WaitRead(dlg);
    EXPECT_EQ(dlg.Guards().pvids[6], 200);
}

// The asymmetric state not read (a value of another type, no answer while the dialog opens) keeps its
// Apply unavailable and is named on the status line; the window opens at once on a dead device; a
// refused write is said and the device's state read again.
TEST_F(VlanDialogs, AsymmetricStateNotReadAndARefusedWrite) {
    s_sim->Set(kAsym, "s", "zz");
    {
        C8021qVlanSet dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(test::WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_VLAN_PVID); }));
        ASSERT_TRUE(test::WaitUntil([&] { return !dlg.GetDlgItemText(IDC_VLAN_STATUS).empty(); }));
        EXPECT_EQ(dlg.GetDlgItemText(IDC_VLAN_STATUS),
                  "Could not read the asymmetric VLAN setting. Press Refresh to read again.");
        EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_VLAN_ASYMMETRIC_APPLY));
    }
    s_sim->Set(kAsym, "i", "2");
    test::UseSimV1(*s_sim, "1000");
    s_sim->Silence(true);
    {
        C8021qVlanSet dlg;
        QElapsedTimer opening;
        opening.start();
        DialogDriver drv(dlg);
        EXPECT_LT(opening.elapsed(), 800);
        EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_VLAN_ASYMMETRIC_APPLY));
        s_sim->Silence(false);
    }
    test::UseSimV1(*s_sim);
    C8021qVlanSet dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    s_sim->ErrorStatus(kAsym, 3);
    Click(dlg, IDC_VLAN_ASYMMETRIC);
    Click(dlg, IDC_VLAN_ASYMMETRIC_APPLY);
    s_sim->ErrorStatus(kAsym, 0);
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{
                                 "The setting of VLAN, IGMP Snooping, Management VLAN and MAC Address "
                                 "Table will be reset to default.",
                                 "The device did not accept the asymmetric VLAN setting. The settings it "
                                 "holds are shown."}));
    // The read that follows may still meet the refusal: read again once it has ended.
    ASSERT_TRUE(test::WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_VLAN_REFRESH); }));
    Click(dlg, IDC_VLAN_REFRESH);
    WaitRead(dlg);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_VLAN_ASYMMETRIC), 0);
}

class VlanDialogs52 : public VlanDialogs {
public:
    static void SetUpTestSuite() {
        SnmpInit();
        StartSim({"ksx-4200-52", {}});
    }

protected:
    void SetUp() override {
        VlanDialogs::SetUp();
        g_nPortNum = 52;
    }
};

TEST_F(VlanDialogs52, TwelveOctetBitmapsAndTheLargeGrids) {
    C8021qVlanSet dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    Screenshot(&dlg, "vlan_list_52");
    SelectVlan(dlg, "100");
    WithModal<CKSXVlanAdd>([&] { Click(dlg, IDC_VLAN_EDIT); },
                           [&](CKSXVlanAdd& edit) {
                               WaitOk(edit);
                               ASSERT_NE(edit.GetDlgItem(IDC_VLANADD_TAGGED_BASE + 52), nullptr);
                               Screenshot(&edit, "vlan_edit_52");
                               Click(edit, IDC_VLANADD_TAGGED_BASE + 52);
                               s_sim->ClearLog();
                               Ok(edit);
                           });
    WaitRead(dlg);
    EXPECT_EQ(
        SetLines(s_sim->Requests(), kCut),
        (std::vector<std::string>{"5.100=i:2", "2.100=x:fffffffffffff00000000000",
                                  "4.100=x:000000000000000000000000", "2.100=x:ff0000000000100000000000",
                                  "3.100=x:000010000000000000000000", "1.100=s:office", "5.100=i:1"}));
    WithModal<CKSXPVIDConfig>(
        [&] { Click(dlg, IDC_VLAN_PVID); },
        [&](CKSXPVIDConfig& pvid) {
            ASSERT_TRUE(test::WaitUntil([&] { return pvid.IsDlgItemEnabled(IDC_PVID_APPLY); }));
            ASSERT_NE(pvid.GetDlgItem(IDC_PVID_EDIT_BASE + 52), nullptr);
            Screenshot(&pvid, "pvid_52");
            s_sim->ClearLog();
            Click(pvid, IDC_PVID_APPLY);
            ASSERT_TRUE(test::WaitUntil([&] { return pvid.IsDialogEnded(); }));
            EXPECT_EQ(pvid.GetDialogResult(), IDOK);
        });
    // Every port in order, ports 41 to 52 after the first forty.
    const auto sets = test::Sets(s_sim->Requests());
    ASSERT_EQ(sets.size(), 52u);
    for (int p = 1; p <= 52; ++p) {
        EXPECT_EQ(sets[static_cast<size_t>(p - 1)].varbinds[0].oid, kPvid + "." + std::to_string(p));
    }
}

}  // namespace
