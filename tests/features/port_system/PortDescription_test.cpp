// Port description dialog against the simulated switch: the list as read, the range boxes, one write
// request for a range, a refused write, the column widths and the text limit.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <string>
#include <vector>

#include "controls/ListCtrl.h"
#include "features/port_system/PortDescription.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_port_small.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using ksx::test::DialogDriver;
using ksx::test::Sets;
using ksx::test::SimRequest;
using ksx::test::WaitUntil;

const std::string kDescription = "1.3.6.1.4.1.7393.10.76.20.1.1.16.1.2";

class PortDescription : public test::SimTest {
protected:
    // The session's usual time-out: the re-read after a silent device must not time out as well
    // while the machine is busy; only the silent read waits it out.
    PortDescription() : SimTest("3000") {}
    void SetUp() override { boxes.FailOnUnexpected(); }

    static CListCtrl* List(CPortDescription& dlg) {
        return static_cast<CListCtrl*>(dlg.GetDlgItem(IDC_PD_LIST));
    }
    static bool ButtonsEnabled(CPortDescription& dlg) {
        return dlg.IsDlgItemEnabled(IDC_PD_REFRESH) && dlg.IsDlgItemEnabled(IDC_PD_APPLY) &&
               dlg.IsDlgItemEnabled(IDC_PD_CLOSE);
    }
    static void WaitFilled(CPortDescription& dlg) {
        ASSERT_TRUE(
            WaitUntil([&] { return ButtonsEnabled(dlg) && List(dlg)->GetItemCount() == g_nPortNum; }));
    }

    test::ScriptedMessageBox boxes;
};

TEST_F(PortDescription, OpensWithEveryPortsDescription) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(ID_MENU_PORT_DESCRIPTION));  // the menu command opens it
    CPortDescription dlg;
    DialogDriver drv(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "Port Description: 127.0.0.1");
    WaitFilled(dlg);
    EXPECT_EQ(drv.Cell(IDC_PD_LIST, 0, 0), "1");
    EXPECT_EQ(drv.Cell(IDC_PD_LIST, 0, 1), "Uplink to core");
    EXPECT_EQ(drv.Cell(IDC_PD_LIST, 1, 1), "");
    EXPECT_EQ(drv.Cell(IDC_PD_LIST, 24, 0), "25");
    EXPECT_EQ(drv.Cell(IDC_PD_LIST, 24, 1), "Server A");
    EXPECT_EQ(drv.Cell(IDC_PD_LIST, 27, 0), "28");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PD_FROM_PORT), "1");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PD_TO_PORT), "1");

    // Widths follow the list: "Port" fits its sample text, "Description" takes the rest.
    CListCtrl* list = List(dlg);
    ASSERT_TRUE(WaitUntil([&] { return list->GetColumnWidth(0) == list->GetStringWidth("26(F_100)") + 15; }));
    EXPECT_EQ(list->GetColumnWidth(1), list->width() - list->GetColumnWidth(0) - 24);
    dlg.resize(dlg.width() + 60, dlg.height());
    test::PumpEvents();
    EXPECT_EQ(list->GetColumnWidth(1), list->width() - list->GetColumnWidth(0) - 24);

    // The walk reads the two description columns with the read community; nothing is written.
    bool sawWalk = false;
    for (const SimRequest& r : sim.Requests()) {
        if (r.pdu == "getnext" && r.varbinds.size() == 2 &&
            r.varbinds[0].oid == "1.3.6.1.4.1.7393.10.76.20.1.1.16.1.1" &&
            r.varbinds[1].oid == kDescription) {
            EXPECT_EQ(r.principal, "quaint");
            sawWalk = true;
        }
    }
    EXPECT_TRUE(sawWalk);
    EXPECT_TRUE(Sets(sim.Requests()).empty());

    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/port_small";
    QDir().mkpath(dir);
    dlg.resize(dlg.width() - 60, dlg.height());
    ASSERT_TRUE(drv.Type(IDC_PD_DESCRIPTION, "Camera"));
    test::PumpEvents();
    EXPECT_TRUE(test::GrabScreenshot(&dlg, (dir + "/port_description.png").toStdString()));
}

TEST_F(PortDescription, RangeBoxesFollowAndRefuseABackwardRange) {
    CPortDescription dlg;
    DialogDriver drv(dlg);
    WaitFilled(dlg);
    ASSERT_TRUE(drv.Select(IDC_PD_FROM_PORT, 4));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PD_TO_PORT), "5");
    boxes.Answer(IDOK);
    ASSERT_TRUE(drv.Select(IDC_PD_TO_PORT, 2));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"'To Port' can not be smaller than 'From Port'"});
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PD_TO_PORT), "5");
    ASSERT_TRUE(drv.Select(IDC_PD_TO_PORT, 9));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PD_TO_PORT), "10");
    EXPECT_EQ(boxes.Count(), 1u);
}

TEST_F(PortDescription, ApplyWritesTheRangeInOneRequestAndRereads) {
    CPortDescription dlg;
    DialogDriver drv(dlg);
    WaitFilled(dlg);
    sim.ClearLog();

    ASSERT_TRUE(drv.Select(IDC_PD_FROM_PORT, 2));
    ASSERT_TRUE(drv.Select(IDC_PD_TO_PORT, 4));
    ASSERT_TRUE(drv.Type(IDC_PD_DESCRIPTION, "Lab bench"));
    ASSERT_TRUE(drv.Click(IDC_PD_APPLY));
    auto sets = Sets(sim.Requests());
    ASSERT_EQ(sets.size(), 1u);
    ASSERT_EQ(sets[0].varbinds.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(sets[0].varbinds[i].oid, kDescription + "." + std::to_string(3 + i));
        EXPECT_EQ(sets[0].varbinds[i].type, "s");
        EXPECT_EQ(sets[0].varbinds[i].value, "Lab bench");
    }
    EXPECT_EQ(sets[0].principal, "harbour");
    // The form is cleared at once; the re-read brings the new texts and the buttons back.
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PD_DESCRIPTION), "");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PD_FROM_PORT), "1");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PD_TO_PORT), "1");
    WaitFilled(dlg);
    EXPECT_EQ(drv.Cell(IDC_PD_LIST, 1, 1), "");
    EXPECT_EQ(drv.Cell(IDC_PD_LIST, 2, 1), "Lab bench");
    EXPECT_EQ(drv.Cell(IDC_PD_LIST, 4, 1), "Lab bench");
    EXPECT_EQ(drv.Cell(IDC_PD_LIST, 5, 1), "");

    // The whole range with an empty text: one request, an empty text for every port.
    sim.ClearLog();
    ASSERT_TRUE(drv.Select(IDC_PD_TO_PORT, g_nPortNum - 1));
    ASSERT_TRUE(drv.Click(IDC_PD_APPLY));
    sets = Sets(sim.Requests());
    ASSERT_EQ(sets.size(), 1u);
    ASSERT_EQ(sets[0].varbinds.size(), static_cast<size_t>(g_nPortNum));
    for (const auto& vb : sets[0].varbinds) {
        EXPECT_EQ(vb.value, "");
    }
    WaitFilled(dlg);
    EXPECT_EQ(drv.Cell(IDC_PD_LIST, 0, 1), "");
    EXPECT_EQ(drv.Cell(IDC_PD_LIST, 24, 1), "");
    EXPECT_EQ(sim.Get(kDescription + ".25"), "");
}

TEST_F(PortDescription, RefusedWriteKeepsTheListAndBringsTheButtonsBack) {
    CPortDescription dlg;
    DialogDriver drv(dlg);
    WaitFilled(dlg);
    sim.ErrorStatus(kDescription + ".25", 5);
    sim.ClearLog();
    ASSERT_TRUE(drv.Select(IDC_PD_FROM_PORT, 23));
    ASSERT_TRUE(drv.Select(IDC_PD_TO_PORT, 25));
    ASSERT_TRUE(drv.Type(IDC_PD_DESCRIPTION, "Spare"));
    boxes.Answer(IDOK);
    ASSERT_TRUE(drv.Click(IDC_PD_APPLY));
    // No re-read follows a refused write; the buttons come back at once and the list is unchanged.
    const auto log = sim.Requests();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].pdu, "set");
    EXPECT_TRUE(ButtonsEnabled(dlg));
    EXPECT_EQ(List(dlg)->GetItemCount(), g_nPortNum);
    EXPECT_EQ(drv.Cell(IDC_PD_LIST, 23, 1), "Printer");
    EXPECT_EQ(drv.Cell(IDC_PD_LIST, 24, 1), "Server A");
    EXPECT_EQ(sim.Get(kDescription + ".24"), "Printer");
    EXPECT_EQ(boxes.LastText(), "The device did not accept the descriptions of ports 24-26.");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PD_DESCRIPTION), "Spare");
    sim.ErrorStatus(kDescription + ".25", 0);
}

TEST_F(PortDescription, ReadTimeOutStillFillsTheListAndTextIsLimited) {
    sim.Silence(true);
    CPortDescription dlg;
    DialogDriver drv(dlg);
    EXPECT_FALSE(ButtonsEnabled(dlg));
    WaitFilled(dlg);
    EXPECT_EQ(drv.Cell(IDC_PD_LIST, 0, 0), "0");  // rows never read
    sim.Silence(false);
    ASSERT_TRUE(drv.Click(IDC_PD_REFRESH));
    ASSERT_TRUE(WaitUntil([&] { return ButtonsEnabled(dlg) && drv.Cell(IDC_PD_LIST, 0, 0) == "1"; }));

    ASSERT_TRUE(drv.Type(IDC_PD_DESCRIPTION, std::string(40, 'x')));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PD_DESCRIPTION), std::string(32, 'x'));

    ASSERT_TRUE(drv.Click(IDC_PD_CLOSE));
    ASSERT_TRUE(drv.WaitEnded());
    EXPECT_EQ(drv.Result(), IDCANCEL);
}

}  // namespace
