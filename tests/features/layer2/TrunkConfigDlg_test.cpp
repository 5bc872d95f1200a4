// Trunk configuration dialog against the simulated switch: the table and state as read, the state and
// channel-mode writes and their refusals, the member picker opened from it, rows found by trunk id,
// a table read that breaks off, and the dialog closed while it reads.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "controls/ListCtrlEx.h"
#include "features/layer2/KSXTrunkPort.h"
#include "features/layer2/TrunkConfigDlg.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_trunk.h"
#include "res/resource.h"
#include "tests/features/layer2/TrunkNeutralSettings.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::DialogDriver;
using test::WaitUntil;

const std::string P = "1.3.6.1.4.1.7393.10.76.20.1";
const std::string kState = P + ".8.1.2.0";
const std::string kMembers = P + ".8.1.3.1.2.";
const std::string kMode = P + ".8.1.3.1.3.";

class TrunkConfig : public test::SharedSimTest {
protected:
    // The other areas' port settings alike on every port, so that the picker's checks let any free
    // ports form a trunk.
    void SetUp() override {
        SharedSimTest::SetUp();
        test::SetNeutralTrunkLoads(*s_sim, 28);
    }
    static CListCtrlEx* List(CTrunkConfigDlg& dlg) {
        return static_cast<CListCtrlEx*>(dlg.GetDlgItem(IDC_TRUNK_LIST));
    }
    static std::string Cell(CTrunkConfigDlg& dlg, int row, int column) {
        return List(dlg)->GetItemText(row, column).toStdString();
    }
    // Waits for the end of the table walk with `rows` rows.
    static void WaitTable(CTrunkConfigDlg& dlg, int rows = 8) {
        ASSERT_TRUE(WaitUntil(
            [&] { return dlg.IsDlgItemEnabled(IDC_TRUNK_REFRESH) && List(dlg)->GetItemCount() == rows; }));
    }
    static void SelectRow(CTrunkConfigDlg& dlg, int row) {
        auto* list = List(dlg);
        list->setFocus();
        list->selectRow(row);
        dlg.DispatchCommand(IDC_TRUNK_LIST, NM_CLICK, row);
    }
    static std::vector<std::string> SetLines() { return test::SetLines(s_sim->Requests(), P.size() + 1); }
    // Runs `script` on the member picker once it is shown by the click that follows. Whatever the script
    // does (a refused OK, an assertion that returns early), the picker is ended afterwards, and a picker
    // that does not show within the limit is given up, so that the click always returns.
    static void OnPicker(const std::function<void(CKSXTrunkPort&)>& script, int limitMs = 30000) {
        auto* timer = new QTimer(qApp);
        timer->setInterval(5);
        const QDeadlineTimer deadline(limitMs);
        QObject::connect(timer, &QTimer::timeout, qApp, [timer, script, deadline] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* picker = dynamic_cast<CKSXTrunkPort*>(w);
                    picker != nullptr && picker->isVisible() && !picker->IsDialogEnded()) {
                    timer->stop();
                    timer->deleteLater();
                    script(*picker);
                    if (!picker->IsDialogEnded()) {
                        ADD_FAILURE() << "the member picker was still open after its script";
                        picker->EndDialog(IDCANCEL);
                    }
                    return;
                }
            }
            if (deadline.hasExpired()) {
                ADD_FAILURE() << "the member picker was not shown";
                timer->stop();
                timer->deleteLater();
            }
        });
        timer->start();
    }

    test::ScriptedMessageBox boxes;
};

TEST_F(TrunkConfig, OpensWithTheDeviceTrunksAndState) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_TRUNK_CONFIGURATION));
    CTrunkConfigDlg dlg;
    DialogDriver drv(dlg);
    WaitTable(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "Trunk Configuration");
    auto* list = List(dlg);
    ASSERT_EQ(list->GetColumnCount(), 3);
    EXPECT_EQ(list->horizontalHeaderItem(0)->text().toStdString(), "TrunkID    ");
    EXPECT_EQ(list->horizontalHeaderItem(1)->text().toStdString(), "PortChannelMode    ");
    EXPECT_EQ(list->horizontalHeaderItem(2)->text().toStdString(), "PortMember                            ");
    EXPECT_EQ(Cell(dlg, 0, 0), "1");
    EXPECT_EQ(Cell(dlg, 0, 1), "Static");
    EXPECT_EQ(Cell(dlg, 0, 2), "25,26");
    EXPECT_EQ(Cell(dlg, 7, 0), "8");
    EXPECT_EQ(Cell(dlg, 7, 1), "Disable");
    EXPECT_EQ(Cell(dlg, 7, 2), "");
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_TRUNK_ENABLE), 1);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_TRUNK_PORT_MEMBER));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_TRUNK_ID));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_TRUNK_ID), "");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_TRUNK_MODE), "LACP");
    EXPECT_EQ(dlg.GetDefID(), IDC_TRUNK_REFRESH);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_TRUNK_READ_STATUS), "");

    // The state get, then the walk of the member and mode columns together.
    const auto log = s_sim->Requests();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(test::Describe(log[0]), "get quaint " + kState + "|n|");
    EXPECT_EQ(test::Describe(log[1]), "getnext quaint " + P + ".8.1.3.1.2|n| " + P + ".8.1.3.1.3|n|");
    EXPECT_TRUE(test::Sets(log).empty());

    SelectRow(dlg, 0);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_TRUNK_ID), "1");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_TRUNK_MODE), "Static");
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/trunk";
    QDir().mkpath(dir);
    test::PumpEvents();
    EXPECT_TRUE(test::GrabScreenshot(&dlg, (dir + "/trunk_configuration.png").toStdString()));
}

TEST_F(TrunkConfig, ArrowKeysFillTheFormFromTheNeighbouringRow) {
    CTrunkConfigDlg dlg;
    DialogDriver drv(dlg);
    WaitTable(dlg);
    SelectRow(dlg, 0);
    drv.Key(Qt::Key_Up);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_TRUNK_ID), "1");
    drv.Key(Qt::Key_Down);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_TRUNK_ID), "2");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_TRUNK_MODE), "Disable");
    SelectRow(dlg, 7);
    drv.Key(Qt::Key_Down);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_TRUNK_ID), "8");
}

TEST_F(TrunkConfig, StateWritesGoOutAsCheckedAndReRead) {
    CTrunkConfigDlg dlg;
    DialogDriver drv(dlg);
    WaitTable(dlg);
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Check(IDC_TRUNK_ENABLE, false));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_TRUNK_PORT_MEMBER));  // only a read changes it
    ASSERT_TRUE(drv.Click(IDC_TRUNK_STATE_APPLY));
    EXPECT_EQ(SetLines(), std::vector<std::string>{"8.1.2.0=i:2"});
    WaitTable(dlg);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_TRUNK_PORT_MEMBER));
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_TRUNK_ENABLE), 0);

    // With the state off, a mode write is refused before anything else.
    SelectRow(dlg, 0);
    ASSERT_TRUE(drv.Select(IDC_TRUNK_MODE, 0));
    ASSERT_TRUE(drv.Click(IDC_TRUNK_MODE_APPLY));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Link Aggregation State is disable."});

    s_sim->ClearLog();
    ASSERT_TRUE(drv.Check(IDC_TRUNK_ENABLE, true));
    ASSERT_TRUE(drv.Click(IDC_TRUNK_STATE_APPLY));
    EXPECT_EQ(SetLines(), std::vector<std::string>{"8.1.2.0=i:1"});
    WaitTable(dlg);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_TRUNK_PORT_MEMBER));
}

TEST_F(TrunkConfig, ARefusedWriteIsSaidAndTheDeviceValuesAreReadAgain) {
    CTrunkConfigDlg dlg;
    DialogDriver drv(dlg);
    WaitTable(dlg);
    s_sim->ErrorStatus(kState, 3);
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Check(IDC_TRUNK_ENABLE, false));
    ASSERT_TRUE(drv.Click(IDC_TRUNK_STATE_APPLY));
    s_sim->ErrorStatus(kState, 0);
    EXPECT_EQ(
        boxes.Texts(),
        std::vector<std::string>{
            "The device did not accept the link aggregation state. The device's settings are read again."});
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_TRUNK_REFRESH); }));
    const auto log = s_sim->Requests();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0].pdu, "set");
    EXPECT_EQ(log[1].pdu, "get");
    EXPECT_EQ(log[1].varbinds[0].oid, kState);
    ASSERT_TRUE(drv.Click(IDC_TRUNK_REFRESH));
    WaitTable(dlg);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_TRUNK_ENABLE), 1);  // the device's value again

    // A refused mode write is said the same way.
    boxes.Clear();
    SelectRow(dlg, 0);
    ASSERT_TRUE(drv.Select(IDC_TRUNK_MODE, 0));
    s_sim->ErrorStatus(kMode + "1", 3);
    ASSERT_TRUE(drv.Click(IDC_TRUNK_MODE_APPLY));
    s_sim->ErrorStatus(kMode + "1", 0);
    EXPECT_EQ(
        boxes.Texts(),
        std::vector<std::string>{
            "The device did not accept the channel mode of trunk 1. The device's settings are read again."});
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_TRUNK_REFRESH); }));
    ASSERT_TRUE(drv.Click(IDC_TRUNK_REFRESH));
    WaitTable(dlg);
    EXPECT_EQ(Cell(dlg, 0, 1), "Static");
}

// A state that is not read (its binding left out of the reply, a value of the wrong type, no answer
// while the dialog opens) is no state: the state write stays unavailable and the dialog says so; once
// the device answers, Refresh reads it and the write goes out as the user set it.
TEST_F(TrunkConfig, AStateNotReadIsNeverWrittenBack) {
    for (const std::string fault : {"omit", "type"}) {
        SCOPED_TRACE(fault);
        if (fault == "omit") {
            s_sim->Omit(kState);
        } else {
            s_sim->Set(kState, "s", "zz");
        }
        CTrunkConfigDlg dlg;
        DialogDriver drv(dlg);
        WaitTable(dlg);
        EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_TRUNK_ENABLE), 0);
        EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_TRUNK_STATE_APPLY));
        EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_TRUNK_PORT_MEMBER));
        EXPECT_EQ(dlg.GetDlgItemText(IDC_TRUNK_READ_STATUS),
                  "The link aggregation state could not be read. Press Refresh to read it again.");
        s_sim->OmitNone();
        s_sim->Set(kState, "i", "1");
        s_sim->ClearLog();
        ASSERT_TRUE(drv.Click(IDC_TRUNK_REFRESH));
        WaitTable(dlg);
        EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_TRUNK_STATE_APPLY));
        EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_TRUNK_ENABLE), 1);
        EXPECT_EQ(dlg.GetDlgItemText(IDC_TRUNK_READ_STATUS), "");
        EXPECT_TRUE(SetLines().empty());
    }
}

TEST_F(TrunkConfig, ADeadDeviceDoesNotHoldTheOpeningWindow) {
    test::UseSimV1(*s_sim, "1500");
    s_sim->Silence(true);
    CTrunkConfigDlg dlg;
    QElapsedTimer shown;
    shown.start();
    DialogDriver drv(dlg);
    EXPECT_LT(shown.elapsed(), 1000);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_TRUNK_STATE_APPLY));
    // The device answers again while the state read waits: the state arrives and can be written.
    s_sim->Silence(false);
    WaitTable(dlg);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_TRUNK_STATE_APPLY));
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_TRUNK_ENABLE), 1);

    // Silent while the dialog opens, answering only when Apply is pressed: nothing written.
    s_sim->Silence(true);
    CTrunkConfigDlg dead;
    DialogDriver deadDrv(dead);
    ASSERT_TRUE(WaitUntil([&] { return dead.IsDlgItemEnabled(IDC_TRUNK_REFRESH); }));
    s_sim->Silence(false);
    s_sim->ClearLog();
    EXPECT_FALSE(deadDrv.Click(IDC_TRUNK_STATE_APPLY) && !SetLines().empty());
    EXPECT_TRUE(SetLines().empty());
    EXPECT_EQ(dead.GetDlgItemText(IDC_TRUNK_READ_STATUS),
              "The link aggregation state could not be read. Press Refresh to read it again.\n"
              "The trunk table could not be read whole. Press Refresh to read it again.");
}

TEST_F(TrunkConfig, ChannelModeWrites) {
    CTrunkConfigDlg dlg;
    DialogDriver drv(dlg);
    WaitTable(dlg);
    s_sim->ClearLog();
    SelectRow(dlg, 0);
    ASSERT_TRUE(drv.Click(IDC_TRUNK_MODE_APPLY));  // "Static" already: nothing
    EXPECT_TRUE(SetLines().empty());

    ASSERT_TRUE(drv.SelectText(IDC_TRUNK_MODE, "LACP"));
    ASSERT_TRUE(drv.Click(IDC_TRUNK_MODE_APPLY));
    EXPECT_EQ(SetLines(), std::vector<std::string>{"8.1.3.1.3.1=i:1"});
    WaitTable(dlg);
    EXPECT_EQ(Cell(dlg, 0, 1), "LACP");

    s_sim->ClearLog();
    SelectRow(dlg, 0);
    ASSERT_TRUE(drv.SelectText(IDC_TRUNK_MODE, "Disable"));
    ASSERT_TRUE(drv.Click(IDC_TRUNK_MODE_APPLY));
    EXPECT_EQ(SetLines(), std::vector<std::string>{"8.1.3.1.3.1=i:3"});
    WaitTable(dlg);
    EXPECT_EQ(Cell(dlg, 0, 1), "Disable");

    // A trunk without members.
    s_sim->ClearLog();
    SelectRow(dlg, 1);
    ASSERT_TRUE(drv.SelectText(IDC_TRUNK_MODE, "Static"));
    ASSERT_TRUE(drv.Click(IDC_TRUNK_MODE_APPLY));
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"The minimum port numbers for an aggregated link is 2."});
    EXPECT_TRUE(SetLines().empty());
}

TEST_F(TrunkConfig, AnUnknownModeShowsDisableAndTheTrunkIsFoundByItsId) {
    // Trunk 2 is missing on the device; trunk 3 holds ports 3 and 4 in mode 7.
    for (const std::string& column : {kMembers, kMode, P + ".8.1.3.1.1."}) {
        s_sim->Command("unset " + column + "2");
    }
    s_sim->Set(kMembers + "3", "x", "30000000");
    s_sim->Set(kMode + "3", "i", "7");
    CTrunkConfigDlg dlg;
    DialogDriver drv(dlg);
    WaitTable(dlg, 7);
    EXPECT_EQ(Cell(dlg, 1, 0), "3");
    EXPECT_EQ(Cell(dlg, 1, 1), "Disable");
    EXPECT_EQ(Cell(dlg, 1, 2), "3,4");
    s_sim->ClearLog();
    SelectRow(dlg, 1);
    ASSERT_TRUE(drv.SelectText(IDC_TRUNK_MODE, "Static"));
    ASSERT_TRUE(drv.Click(IDC_TRUNK_MODE_APPLY));
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ(SetLines(), std::vector<std::string>{"8.1.3.1.3.3=i:2"});
    WaitTable(dlg, 7);

    // The selected trunk went away on the device: its id is refused.
    SelectRow(dlg, 1);
    for (const std::string& column : {kMembers, kMode, P + ".8.1.3.1.1."}) {
        s_sim->Command("unset " + column + "3");
    }
    ASSERT_TRUE(drv.Click(IDC_TRUNK_REFRESH));
    WaitTable(dlg, 6);
    s_sim->ClearLog();
    ASSERT_TRUE(drv.SelectText(IDC_TRUNK_MODE, "LACP"));
    ASSERT_TRUE(drv.Click(IDC_TRUNK_MODE_APPLY));
    ASSERT_TRUE(drv.Click(IDC_TRUNK_PORT_MEMBER));
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{"Please select the Trunk !", "Please select the Trunk !"}));
    EXPECT_TRUE(SetLines().empty());
}

TEST_F(TrunkConfig, PortMemberNeedsAModeAndATrunk) {
    CTrunkConfigDlg dlg;
    DialogDriver drv(dlg);
    WaitTable(dlg);
    ASSERT_TRUE(drv.SelectText(IDC_TRUNK_MODE, "Disable"));
    ASSERT_TRUE(drv.Click(IDC_TRUNK_PORT_MEMBER));
    ASSERT_TRUE(drv.SelectText(IDC_TRUNK_MODE, "Static"));
    ASSERT_TRUE(drv.Click(IDC_TRUNK_PORT_MEMBER));
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{"Please select the Channel Mode (LACP or Static) first.",
                                        "Please select the Trunk !"}));
}

TEST_F(TrunkConfig, ThePickerGetsTheTrunkAndItsOkReReadsTheTable) {
    CTrunkConfigDlg dlg;
    DialogDriver drv(dlg);
    WaitTable(dlg);
    SelectRow(dlg, 0);
    ASSERT_TRUE(drv.SelectText(IDC_TRUNK_MODE, "LACP"));
    std::string seen;
    OnPicker([&](CKSXTrunkPort& picker) {
        seen = picker.GetDlgItemText(IDC_TRUNKPORT_ID) + " " + picker.GetDlgItemText(IDC_TRUNKPORT_MODE) +
               " " + picker.m_strMembers;
        picker.EndDialog(IDCANCEL);
    });
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_TRUNK_PORT_MEMBER));
    EXPECT_EQ(seen, "1 LACP 25,26");
    EXPECT_TRUE(s_sim->WaitForRequests([](const auto& log) { return !log.empty(); }, 2000));
    // Cancel: the picker read the device for its checks, the table is not read again.
    for (const auto& r : s_sim->Requests()) {
        EXPECT_NE(r.varbinds[0].oid, kState);
    }

    SelectRow(dlg, 0);
    ASSERT_TRUE(drv.SelectText(IDC_TRUNK_MODE, "LACP"));
    OnPicker([&](CKSXTrunkPort& picker) {
        ASSERT_TRUE(WaitUntil([&] { return picker.IsDlgItemEnabled(IDOK); }, 20000));
        picker.CheckDlgButton(2027, 1);
        picker.DispatchCommand(2027);
        picker.CheckDlgButton(2025, 0);
        picker.DispatchCommand(2025);
        picker.DispatchCommand(IDOK);
    });
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_TRUNK_PORT_MEMBER));
    EXPECT_EQ(SetLines(), std::vector<std::string>{"8.1.3.1.2.1=x:00000060 8.1.3.1.3.1=i:1"});
    WaitTable(dlg);
    EXPECT_EQ(Cell(dlg, 0, 1), "LACP");
    EXPECT_EQ(Cell(dlg, 0, 2), "26,27");
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(TrunkConfig, ATableReadThatBreaksOffKeepsItsRowsAndSaysSo) {
    s_sim->ErrorStatus(kMembers + "4", 5);
    CTrunkConfigDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_TRUNK_REFRESH); }));
    EXPECT_GE(List(dlg)->GetItemCount(), 3);
    EXPECT_LT(List(dlg)->GetItemCount(), 8);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_TRUNK_READ_STATUS),
              "The trunk table could not be read whole. Press Refresh to read it again.");
    s_sim->ErrorStatus(kMembers + "4", 0);
    ASSERT_TRUE(drv.Click(IDC_TRUNK_REFRESH));
    WaitTable(dlg);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_TRUNK_READ_STATUS), "");
}

TEST_F(TrunkConfig, WhileTheTableIsReadTheActionsThatLookRowsUpWait) {
    s_sim->DelayMs(30);
    CTrunkConfigDlg dlg;
    DialogDriver drv(dlg);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_TRUNK_REFRESH));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_TRUNK_MODE_APPLY));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_TRUNK_PORT_MEMBER));
    WaitTable(dlg);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_TRUNK_MODE_APPLY));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_TRUNK_PORT_MEMBER));
}

TEST_F(TrunkConfig, ClosingDuringTheTableReadEndsItAndAddsNoRow) {
    s_sim->DelayMs(100);
    CTrunkConfigDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(drv.Click(IDCANCEL));
    ASSERT_TRUE(drv.WaitEnded());
    const int rows = List(dlg)->GetItemCount();
    EXPECT_LT(rows, 8);
    // The walk has ended with the window: no further step goes out, no row comes in.
    s_sim->ClearLog();
    EXPECT_FALSE(s_sim->WaitForRequests([](const auto& log) { return !log.empty(); }, 600));
    test::PumpEvents();
    EXPECT_EQ(List(dlg)->GetItemCount(), rows);
}

}  // namespace
