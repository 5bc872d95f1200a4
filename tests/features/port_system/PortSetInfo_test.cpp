// The port settings dialog driven as a user would against the simulated switch: the list filled from
// the device, the form taken from a clicked row, and Apply with each of its checks and refusals in
// order, asserting the exact requests and message texts.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QHeaderView>
#include <QImage>
#include <QTest>
#include <string>
#include <vector>

#include "controls/ListCtrl.h"
#include "features/port_system/PortSetInfo.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Text.h"
#include "res/ids_port_settings.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::DialogDriver;
using test::Sets;
using test::SimRequest;

const std::string kPortTable = "1.3.6.1.4.1.7393.10.76.20.1.1.13.1";
const std::string kTrunkMembers = "1.3.6.1.4.1.7393.10.76.20.1.8.1.3.1.2";

const char kForceMode[] =
    "The speed is set to force mode. \n* The speed mode must be the same as the counterpart. ";
const char kQos[] =
    "QoS works best when Flow Control is disabled. \n* When Flow Control is enabled.QoS may not perform "
    "accurate bandwidth allocation. \n* Do you still want to enable Flow Control?. ";
const char kReadFailed[] = "Failed to read the port settings; press Refresh to try again.";
const char kRefused99[] =
    "The device did not accept the settings of port 99. The settings it holds are shown.";
constexpr unsigned kQuestion = MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2;

// Combo items.
enum { SPEED_1000F, SPEED_100F, SPEED_100H, SPEED_10F, SPEED_10H, SPEED_AUTO, SPEED_DISABLE };
enum { MDIX_AUTO, MDIX_MDI, MDIX_MDIX };
enum { FLOW_ON, FLOW_OFF };

class PortSetInfoTest : public test::SharedSimTest {
protected:
    // Both walks of a reload are over and the buttons are back.
    static bool Idle(CPortSetInfo& dlg) {
        return dlg.IsDlgItemEnabled(IDC_PORTSET_APPLY) && dlg.Logic().Session().IsDone() &&
               dlg.Logic().TableSession().IsDone();
    }
    static void WaitIdle(CPortSetInfo& dlg) {
        ASSERT_TRUE(test::WaitUntil([&] { return Idle(dlg); }, 10000));
    }

    static CListCtrl* List(DialogDriver& drv) { return drv.ItemAs<CListCtrl>(IDC_PORTSET_LIST); }

    // Picks port `row + 1` and the three settings, then presses Apply with a clean request log.
    static void Apply(DialogDriver& drv, int row, int speed, int mdix, int flow) {
        drv.ClickRow(IDC_PORTSET_LIST, row, 1);
        ASSERT_EQ(drv.Dialog().GetDlgItemText(IDC_PORTSET_PORT_ID), std::to_string(row + 1));
        ASSERT_TRUE(drv.Select(IDC_PORTSET_SPEED, speed));
        ASSERT_TRUE(drv.Select(IDC_PORTSET_MDIX, mdix));
        ASSERT_TRUE(drv.Select(IDC_PORTSET_FLOW, flow));
        s_sim->ClearLog();
        ASSERT_TRUE(drv.Click(IDC_PORTSET_APPLY));
    }

    static void ExpectPortSet(const SimRequest& set, int port, int speed, int mdix, int flow) {
        EXPECT_EQ(set.principal, "harbour");
        ASSERT_EQ(set.varbinds.size(), 3u);
        const std::string p = std::string(".").append(std::to_string(port));
        EXPECT_EQ(set.varbinds[0].oid, kPortTable + ".2" + p);
        EXPECT_EQ(set.varbinds[1].oid, kPortTable + ".4" + p);
        EXPECT_EQ(set.varbinds[2].oid, kPortTable + ".5" + p);
        EXPECT_EQ(set.varbinds[0].value, std::to_string(speed));
        EXPECT_EQ(set.varbinds[1].value, std::to_string(mdix));
        EXPECT_EQ(set.varbinds[2].value, std::to_string(flow));
        for (const auto& vb : set.varbinds) {
            EXPECT_EQ(vb.type, "i");
        }
    }
};

TEST_F(PortSetInfoTest, ListIsFilledFromTheDeviceAndClosingSetsTheSharedFlag) {
    g_bDialogClosing = 1;
    s_sim->DelayMs(300);  // the read is still out when the buttons are first looked at
    CPortSetInfo dlg;
    EXPECT_EQ(g_bDialogClosing, 0);
    DialogDriver drv(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "Port Configuration");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_PORTSET_APPLY));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_PORTSET_REFRESH));
    s_sim->DelayMs(0);
    WaitIdle(dlg);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_PORTSET_REFRESH));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_PORTSET_PORT_ID));

    CListCtrl* list = List(drv);
    const char* heads[] = {" Port", " Link Status ", " Speed ", " MDI/MDIX", " Flow Control"};
    const int widths[] = {100, 130, 140, 140, 140};
    ASSERT_EQ(list->GetColumnCount(), 5);
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(ui::ToStd(list->horizontalHeaderItem(c)->text()), heads[c]);
        EXPECT_EQ(list->GetColumnWidth(c), widths[c]);
    }
    ASSERT_EQ(list->GetItemCount(), 28);
    auto row = [&](int r) {
        std::vector<std::string> cells;
        for (int c = 0; c < 5; ++c) {
            cells.push_back(ui::ToStd(list->GetItemText(r, c)));
        }
        return cells;
    };
    using Cells = std::vector<std::string>;
    EXPECT_EQ(row(0), (Cells{"1", "100M Full", "Auto", "Auto", "Disabled"}));
    EXPECT_EQ(row(1), (Cells{"2", "100M Full", "Auto", "Auto", "Enabled"}));
    EXPECT_EQ(row(3), (Cells{"4", "Down", "Auto", "Auto", "Disabled"}));
    EXPECT_EQ(row(8), (Cells{"9", "10M Full", "Auto", "Auto", "Disabled"}));
    EXPECT_EQ(row(11), (Cells{"12", "100M Half", "Auto", "Auto", "Disabled"}));
    EXPECT_EQ(row(21), (Cells{"22", "Down", "Disable", "Auto", "Disabled"}));
    EXPECT_EQ(row(24), (Cells{"25", "1000M Full", "Auto", "Auto", "Disabled"}));

    // The form starts reset, the boxes hold the template's items.
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PORTSET_PORT_ID), "");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PORTSET_SPEED), "1000M-Full");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PORTSET_MDIX), "Auto");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PORTSET_FLOW), "Enabled");
    EXPECT_EQ(drv.ItemAs<QComboBox>(IDC_PORTSET_SPEED)->count(), 7);
    EXPECT_EQ(drv.ItemAs<QComboBox>(IDC_PORTSET_FLOW)->count(), 2);

    // The reads: the trunk member column and the six port columns, from the first step on.
    const auto log = s_sim->Requests();
    bool trunk = false;
    bool ports = false;
    for (const auto& r : log) {
        EXPECT_NE(r.pdu, "set");
        if (r.varbinds.size() == 1 && r.varbinds[0].oid == kTrunkMembers) {
            trunk = true;
        }
        if (r.varbinds.size() == 6 && r.varbinds[0].oid == kPortTable + ".1" &&
            r.varbinds[5].oid == kPortTable + ".7") {
            ports = true;
        }
    }
    EXPECT_TRUE(trunk);
    EXPECT_TRUE(ports);

    // Clicking a row takes it into the form.
    drv.ClickRow(IDC_PORTSET_LIST, 1, 1);
    EXPECT_EQ(dlg.SelectedRow(), 1);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PORTSET_PORT_ID), "2");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PORTSET_SPEED), "Auto");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PORTSET_MDIX), "Auto");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PORTSET_FLOW), "Enabled");
    drv.ClickRow(IDC_PORTSET_LIST, 21, 1);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PORTSET_SPEED), "Disable");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PORTSET_FLOW), "Disabled");

    // Refresh reads again and resets the form.
    s_sim->Set(kPortTable + ".5.4", "i", "1");
    ASSERT_TRUE(drv.Click(IDC_PORTSET_REFRESH));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_PORTSET_APPLY));
    WaitIdle(dlg);
    EXPECT_EQ(ui::ToStd(list->GetItemText(3, 4)), "Enabled");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PORTSET_PORT_ID), "");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PORTSET_SPEED), "1000M-Full");

    drv.PressEscape();
    ASSERT_TRUE(drv.WaitEnded());
    EXPECT_EQ(drv.Result(), IDCANCEL);
    EXPECT_EQ(g_bDialogClosing, 1);
    EXPECT_TRUE(dlg.Logic().Session().IsClosed());
    EXPECT_TRUE(dlg.Logic().TableSession().IsClosed());
}

TEST_F(PortSetInfoTest, ApplyRefusalsInTheirOrder) {
    // Port 10 alone in trunk 2: past the trunk checks, a trunk member all the same.
    s_sim->Set(kTrunkMembers + ".2", "x", "00400000");
    test::ScriptedMessageBox boxes;
    CPortSetInfo dlg;
    DialogDriver drv(dlg);
    WaitIdle(dlg);
    using Texts = std::vector<std::string>;

    // No port picked yet.
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_PORTSET_APPLY));
    EXPECT_EQ(boxes.Texts(), Texts{"Please Select one port !"});
    EXPECT_EQ(boxes.Boxes().back().flags, static_cast<unsigned>(MB_OK));

    struct Case {
        const char* what;
        int row, speed, mdix, flow;
        std::vector<int> answers;  // for the questions, in order
        Texts texts;
    };
    const std::vector<Case> cases = {
        // Trunk 1 (ports 25 and 26): only the current values pass; the speed is checked first.
        {"trunk speed",
         24,
         SPEED_100F,
         MDIX_MDI,
         FLOW_ON,
         {},
         {"LA port can not support in different speed."}},
        {"trunk flow control",
         24,
         SPEED_AUTO,
         MDIX_MDI,
         FLOW_ON,
         {},
         {"LA port can not support in different flow control."}},
        {"trunk MDI/MDIX", 25, SPEED_AUTO, MDIX_MDIX, FLOW_OFF, {}, {}},
        // Fibre port 27: MDI/MDIX before the speed.
        {"fibre MDI/MDIX",
         26,
         SPEED_100F,
         MDIX_MDI,
         FLOW_OFF,
         {},
         {"Fiber Port  27 can not support MDI/MDIX mode."}},
        {"fibre speed",
         26,
         SPEED_100F,
         MDIX_AUTO,
         FLOW_OFF,
         {},
         {"Fiber Port 27 with 1000Base-x SFP Module can not support this speed."}},
        // A forced speed asks; Cancel ends it with no further message.
        {"force mode cancelled", 2, SPEED_100H, MDIX_AUTO, FLOW_ON, {IDCANCEL}, {kForceMode}},
        // Half duplex on a trunk member, after the force-mode question.
        {"half duplex on a trunk member",
         9,
         SPEED_10H,
         MDIX_AUTO,
         FLOW_OFF,
         {IDOK},
         {kForceMode, "Trunk member port  10 can not support in half-duplex mode."}},
        // The QoS question comes last and is asked whenever flow control is on.
        {"flow control cancelled", 2, SPEED_100F, MDIX_AUTO, FLOW_ON, {IDOK, IDCANCEL}, {kForceMode, kQos}},
        {"flow control already on", 1, SPEED_AUTO, MDIX_AUTO, FLOW_ON, {IDCANCEL}, {kQos}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        boxes.Clear();
        for (int a : c.answers) {
            boxes.Answer(a);
        }
        Apply(drv, c.row, c.speed, c.mdix, c.flow);
        EXPECT_EQ(boxes.Texts(), c.texts);
        for (const auto& box : boxes.Boxes()) {
            const bool question = box.text == kForceMode || box.text == kQos;
            EXPECT_EQ(box.flags, question ? kQuestion : static_cast<unsigned>(MB_OK)) << box.text;
        }
        EXPECT_TRUE(s_sim->Requests().empty()) << "nothing is sent on a refusal";
        EXPECT_TRUE(Idle(dlg)) << "no reload either";
        // The form keeps the user's choices.
        EXPECT_EQ(drv.ItemAs<QComboBox>(IDC_PORTSET_SPEED)->currentIndex(), c.speed);
        EXPECT_EQ(dlg.GetDlgItemText(IDC_PORTSET_PORT_ID), std::to_string(c.row + 1));
    }
}

TEST_F(PortSetInfoTest, DisablingTheOnlyLinkedPortIsRefused) {
    // Every port down but port 5.
    for (int p = 1; p <= 28; ++p) {
        s_sim->Set(kPortTable + ".3." + std::to_string(p), "i", p == 5 ? "3" : "1");
    }
    test::ScriptedMessageBox boxes;
    CPortSetInfo dlg;
    DialogDriver drv(dlg);
    WaitIdle(dlg);

    Apply(drv, 4, SPEED_DISABLE, MDIX_AUTO, FLOW_OFF);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Sorry, you can not disable all ports."});
    EXPECT_TRUE(s_sim->Requests().empty());

    // A port that is down may be disabled: no question, one set, then the reload.
    boxes.Clear();
    Apply(drv, 5, SPEED_DISABLE, MDIX_AUTO, FLOW_OFF);
    EXPECT_EQ(boxes.Count(), 0u);
    WaitIdle(dlg);
    auto sets = Sets(s_sim->Requests());
    ASSERT_EQ(sets.size(), 1u);
    ExpectPortSet(sets[0], 6, 7, 1, 2);
    EXPECT_EQ(ui::ToStd(List(drv)->GetItemText(5, 2)), "Disable");

    // With a second port linked, port 5 may go as well.
    s_sim->Set(kPortTable + ".3.7", "i", "2");
    ASSERT_TRUE(drv.Click(IDC_PORTSET_REFRESH));
    WaitIdle(dlg);
    boxes.Clear();
    Apply(drv, 4, SPEED_DISABLE, MDIX_AUTO, FLOW_OFF);
    EXPECT_EQ(boxes.Count(), 0u);
    WaitIdle(dlg);
    sets = Sets(s_sim->Requests());
    ASSERT_EQ(sets.size(), 1u);
    ExpectPortSet(sets[0], 5, 7, 1, 2);
}

TEST_F(PortSetInfoTest, AcceptedApplyWritesOnceAndReloads) {
    test::ScriptedMessageBox boxes;
    CPortSetInfo dlg;
    DialogDriver drv(dlg);
    WaitIdle(dlg);

    // Forced speed and flow control on: both questions answered OK, then one set of three columns.
    boxes.Answer(IDOK);
    boxes.Answer(IDOK);
    Apply(drv, 2, SPEED_100F, MDIX_MDIX, FLOW_ON);
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{kForceMode, kQos}));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_PORTSET_APPLY));  // reloading
    WaitIdle(dlg);
    const auto log = s_sim->Requests();
    const auto sets = Sets(log);
    ASSERT_EQ(sets.size(), 1u);
    ExpectPortSet(sets[0], 3, 2, 3, 1);
    EXPECT_EQ(log.front().pdu, "set");  // the write goes before the reload's reads
    CListCtrl* list = List(drv);
    EXPECT_EQ(ui::ToStd(list->GetItemText(2, 2)), "100M Full");
    EXPECT_EQ(ui::ToStd(list->GetItemText(2, 3)), "MDIX");
    EXPECT_EQ(ui::ToStd(list->GetItemText(2, 4)), "Enabled");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PORTSET_PORT_ID), "");

    // Text typed into the MDI/MDIX box's edit field selects no item: auto.
    boxes.Clear();
    drv.ClickRow(IDC_PORTSET_LIST, 2, 1);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PORTSET_MDIX), "MDIX");
    ASSERT_TRUE(drv.Select(IDC_PORTSET_SPEED, SPEED_AUTO));
    ASSERT_TRUE(drv.Select(IDC_PORTSET_FLOW, FLOW_OFF));
    ASSERT_TRUE(drv.Type(IDC_PORTSET_MDIX, "MDI"));
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_PORTSET_APPLY));
    EXPECT_EQ(boxes.Count(), 0u);
    WaitIdle(dlg);
    auto typed = Sets(s_sim->Requests());
    ASSERT_EQ(typed.size(), 1u);
    ExpectPortSet(typed[0], 3, 6, 1, 2);
}

TEST_F(PortSetInfoTest, RowWithCodesOutOfRange) {
    // Port 4: unknown link, speed and MDI/MDIX codes, flow control 5; row 6 names port 99.
    s_sim->Set(kPortTable + ".3.4", "i", "9");
    s_sim->Set(kPortTable + ".2.4", "i", "8");
    s_sim->Set(kPortTable + ".4.4", "i", "0");
    s_sim->Set(kPortTable + ".5.4", "i", "5");
    s_sim->Set(kPortTable + ".1.6", "i", "99");
    test::ScriptedMessageBox boxes;
    CPortSetInfo dlg;
    DialogDriver drv(dlg);
    WaitIdle(dlg);
    CListCtrl* list = List(drv);
    EXPECT_EQ(ui::ToStd(list->GetItemText(3, 0)), "4");
    EXPECT_EQ(ui::ToStd(list->GetItemText(3, 1)), "");
    EXPECT_EQ(ui::ToStd(list->GetItemText(3, 2)), "");
    EXPECT_EQ(ui::ToStd(list->GetItemText(3, 3)), "");
    EXPECT_EQ(ui::ToStd(list->GetItemText(3, 4)), "Disabled");

    // The Speed box keeps its previous item; an empty MDI/MDIX cell picks "MDIX".
    drv.ClickRow(IDC_PORTSET_LIST, 8, 1);  // port 9, speed auto
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PORTSET_SPEED), "Auto");
    ASSERT_TRUE(drv.Select(IDC_PORTSET_SPEED, SPEED_10F));
    drv.ClickRow(IDC_PORTSET_LIST, 3, 1);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PORTSET_PORT_ID), "4");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PORTSET_SPEED), "10M-Full");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PORTSET_MDIX), "MDIX");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PORTSET_FLOW), "Disabled");

    // Port 99 from the device: in no trunk (the lookup stays inside the table); the device refuses.
    EXPECT_EQ(ui::ToStd(list->GetItemText(5, 0)), "99");
    drv.ClickRow(IDC_PORTSET_LIST, 5, 1);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PORTSET_PORT_ID), "99");
    ASSERT_TRUE(drv.Select(IDC_PORTSET_SPEED, SPEED_AUTO));
    ASSERT_TRUE(drv.Select(IDC_PORTSET_FLOW, FLOW_OFF));
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_PORTSET_APPLY));
    WaitIdle(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{kRefused99});
    const auto sets = Sets(s_sim->Requests());
    ASSERT_EQ(sets.size(), 1u);
    ExpectPortSet(sets[0], 99, 6, 1, 2);
    EXPECT_EQ(s_sim->Get(kPortTable + ".2.99"), "");
}

// Ports whose row is missing, lacks a binding or carries a value of the wrong type were not read: the
// list shows their number only, the dialog says so once, and a click on them leaves Apply unavailable
// instead of writing the form's defaults. The rows around them stay in their own places.
TEST_F(PortSetInfoTest, PortsNotReadAreSaidOnceAndNeverWritten) {
    for (const char* column : {"1", "2", "3", "4", "5", "7"}) {
        s_sim->Unset(kPortTable + "." + column + ".5");  // port 5's row left out
    }
    s_sim->Omit(kPortTable + ".5.7");            // port 7 without its flow control
    s_sim->Set(kPortTable + ".4.9", "s", "zz");  // port 9's MDI/MDIX not a number
    test::ScriptedMessageBox boxes;
    CPortSetInfo dlg;
    DialogDriver drv(dlg);
    WaitIdle(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{kReadFailed});
    CListCtrl* list = List(drv);
    ASSERT_EQ(list->GetItemCount(), 28);
    for (int row : {4, 6, 8}) {
        EXPECT_EQ(ui::ToStd(list->GetItemText(row, 0)), std::to_string(row + 1));
        EXPECT_EQ(ui::ToStd(list->GetItemText(row, 2)), "");
        drv.ClickRow(IDC_PORTSET_LIST, row, 1);
        EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_PORTSET_APPLY)) << "port " << row + 1;
        EXPECT_EQ(dlg.GetDlgItemText(IDC_PORTSET_PORT_ID), "");
    }
    EXPECT_EQ(ui::ToStd(list->GetItemText(5, 0)), "6");
    EXPECT_EQ(ui::ToStd(list->GetItemText(5, 2)), "Auto");
    EXPECT_EQ(ui::ToStd(list->GetItemText(27, 0)), "28");

    // A port that was read can still be written; the reload after it meets the same gaps and says so.
    boxes.Clear();
    s_sim->OmitNone();
    Apply(drv, 5, SPEED_AUTO, MDIX_AUTO, FLOW_OFF);
    WaitIdle(dlg);
    const auto sets = Sets(s_sim->Requests());
    ASSERT_EQ(sets.size(), 1u);
    ExpectPortSet(sets[0], 6, 6, 1, 2);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{kReadFailed});  // port 5 and 9 still not read
}

// The trunk checks decide on the membership: a membership that could not be read (a member set of the
// wrong type) keeps Apply unavailable and is said, until a Refresh reads it.
TEST_F(PortSetInfoTest, ApplyWaitsForTheTrunkMembership) {
    s_sim->Set(kTrunkMembers + ".1", "i", "5");
    test::ScriptedMessageBox boxes;
    CPortSetInfo dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(test::WaitUntil([&] {
        return dlg.IsDlgItemEnabled(IDC_PORTSET_REFRESH) && dlg.Logic().TrunkReadEnded() &&
               dlg.Logic().Session().IsDone() && dlg.Logic().TableSession().IsDone();
    }));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_PORTSET_APPLY));
    drv.ClickRow(IDC_PORTSET_LIST, 2, 1);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_PORTSET_APPLY));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{kReadFailed});

    boxes.Clear();
    s_sim->Set(kTrunkMembers + ".1", "x", "000000C0");
    ASSERT_TRUE(drv.Click(IDC_PORTSET_REFRESH));
    WaitIdle(dlg);
    EXPECT_EQ(boxes.Count(), 0u);
}

// A refused write names the port and shows the device's values again (the read that meets the same
// refusal may say so too).
TEST_F(PortSetInfoTest, RefusedWriteIsSaidAndTheTableReadAgain) {
    test::ScriptedMessageBox boxes;
    CPortSetInfo dlg;
    DialogDriver drv(dlg);
    WaitIdle(dlg);
    s_sim->RefuseWrites(kPortTable + ".2.3", 4);
    Apply(drv, 2, SPEED_AUTO, MDIX_AUTO, FLOW_OFF);
    WaitIdle(dlg);
    s_sim->RefuseWrites(kPortTable + ".2.3", 0);
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(boxes.Texts().front(),
              "The device did not accept the settings of port 3. The settings it holds are shown.");
    const auto log = s_sim->Requests();
    ASSERT_EQ(Sets(log).size(), 1u);
    size_t portReads = 0;
    for (const SimRequest& r : test::OfKind(log, "getnext")) {
        portReads += !r.varbinds.empty() && r.varbinds[0].oid.rfind(kPortTable, 0) == 0 ? 1 : 0;
    }
    EXPECT_GE(portReads, 1u);  // the table read again
}

TEST_F(PortSetInfoTest, MenuCommandIsRegistered) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(ID_MENU_PORT_CONFIGURATION));
}

TEST_F(PortSetInfoTest, Screenshot) {
    CPortSetInfo dlg;
    DialogDriver drv(dlg);
    WaitIdle(dlg);
    drv.ClickRow(IDC_PORTSET_LIST, 1, 1);
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/port_settings";
    QDir().mkpath(dir);
    const std::string path = (dir + "/port_settings.png").toStdString();
    ASSERT_TRUE(test::GrabScreenshot(&dlg, path));
    EXPECT_FALSE(QImage(QString::fromStdString(path)).isNull());
    // Every column fits its widest text.
    CListCtrl* list = List(drv);
    for (int c = 0; c < list->GetColumnCount(); ++c) {
        int widest = list->GetStringWidth(list->horizontalHeaderItem(c)->text());
        for (int r = 0; r < list->GetItemCount(); ++r) {
            widest = std::max(widest, list->GetStringWidth(list->GetItemText(r, c)));
        }
        EXPECT_LT(widest + 8, list->GetColumnWidth(c)) << "column " << c;
    }
}

}  // namespace
