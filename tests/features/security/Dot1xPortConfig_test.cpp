// Port access control of the older 802.1X branch against the simulated switch: opened by its command,
// the walk keyed by port, range writes in requests of 30 bindings, the trunk and all-ports refusals,
// failed reads and writes; pictures on 28 and 52 ports at two font sizes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QTimer>
#include <algorithm>
#include <string>
#include <vector>

#include "controls/ListCtrlEx.h"
#include "features/security/Dot1xPortConfig.h"
#include "platform/snmplib/Snmp.h"
#include "platform/sys/Globals.h"
#include "platform/sys/Tunable.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_legacy.h"
#include "res/resource.h"
#include "tests/features/StepRunTest.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/LookCheck.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::DialogDriver;
using test::SetLines;
using test::WaitUntil;

const std::string kTable = "1.3.6.1.4.1.7393.10.76.20.1.11.2.9.1";
const size_t kCut = kTable.size() + 1;  // set lines read "2.5=i:1"

std::string Range(int from, int to, int value) {
    std::string line;
    for (int p = from; p <= to; ++p) {
        line +=
            (line.empty() ? "" : " ") + std::string("2.") + std::to_string(p) + "=i:" + std::to_string(value);
    }
    return line;
}

class Dot1xPorts : public test::SharedSimTest {
public:
    static void SetUpTestSuite() {
        SnmpInit();
        SharedSimTest::SetUpTestSuite();
    }

protected:
    void Ready(Dot1xPortConfig& dlg, int walks = 1) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.WalksEnded() >= walks && dlg.TrunksEnded(); }));
        test::PumpEvents();
    }
    // Picks the range and the control, applies, and returns the writes; waits for the walk after them.
    std::vector<std::string> Apply(Dot1xPortConfig& dlg, DialogDriver& drv, int from, int to, int control) {
        s_sim->ClearLog();
        const int walks = dlg.WalksEnded();
        EXPECT_TRUE(drv.Select(IDC_L1XP_FROM, from - 1));
        EXPECT_TRUE(drv.Select(IDC_L1XP_TO, to - 1));
        EXPECT_TRUE(drv.Select(IDC_L1XP_CONTROL, control));
        EXPECT_TRUE(drv.Click(IDOK));
        // The write runs off the window's thread: wait for its end.
        EXPECT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }, 60000));
        const std::vector<std::string> sets = SetLines(s_sim->Requests(), kCut);
        if (!sets.empty()) {
            Ready(dlg, walks + 1);
        }
        return sets;
    }

    test::ScriptedMessageBox boxes;
    Tunable::Override pause{"dot1x-port-config.batch-pause-ms", 0};
};

TEST_F(Dot1xPorts, OpenedByItsCommandShowsEveryPort) {
    ASSERT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_DOT1X_PORT_CONFIG));
    std::vector<std::string> first;
    std::string title;
    int rows = 0;
    QTimer::singleShot(0, [&] {
        Dot1xPortConfig* dlg = nullptr;
        ASSERT_TRUE(WaitUntil([&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* d = dynamic_cast<Dot1xPortConfig*>(w); d != nullptr && d->isVisible()) {
                    dlg = d;
                }
            }
            return dlg != nullptr && dlg->WalksEnded() >= 1 && dlg->TrunksEnded();
        }));
        test::PumpEvents();
        title = dlg->GetWindowText();
        auto* list = dlg->Item<CListCtrlEx>(IDC_L1XP_LIST);
        rows = list->GetItemCount();
        for (int c = 0; c < list->GetColumnCount(); ++c) {
            first.push_back(list->GetItemText(0, c).toStdString());
        }
        dlg->EndDialog(IDCANCEL);
    });
    ASSERT_TRUE(ui::FeatureRegistry::Instance().Run(IDM_DOT1X_PORT_CONFIG));
    EXPECT_EQ(title, "802.1X Port Access Control");
    EXPECT_EQ(rows, 28);
    EXPECT_EQ(first,
              (std::vector<std::string>{"1", "Authorized", "Force Authorized", "", "", "", "", "", "", ""}));
    // The trunk membership and the port table's status and control columns, each walked on its own.
    const std::vector<std::string> log = test::RequestLines(s_sim->Requests());
    EXPECT_NE(std::find(log.begin(), log.end(), "getnext 1.3.6.1.4.1.7393.10.76.20.1.8.1.3.1.2=n:"),
              log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "getnext " + kTable + ".3=n: " + kTable + ".2=n:"),
              log.end());
}

TEST_F(Dot1xPorts, RangesAreWrittenAscendingAndReadBack) {
    Dot1xPortConfig dlg;
    DialogDriver drv(dlg);
    Ready(dlg);
    EXPECT_EQ(drv.Cell(IDC_L1XP_LIST, 27, 0), "28");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_L1XP_FROM), "1");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_L1XP_TO), "28");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_L1XP_CONTROL), "Auto");
    EXPECT_EQ(Apply(dlg, drv, 3, 6, 0), std::vector<std::string>{Range(3, 6, 1)});
    EXPECT_EQ(test::Sets(s_sim->Requests())[0].principal, "harbour");
    EXPECT_EQ(drv.Row(IDC_L1XP_LIST, 2)[2], "Force Unauthorized");
    EXPECT_EQ(dlg.PortControls()[2], 1);
    EXPECT_EQ(Apply(dlg, drv, 7, 7, 1), std::vector<std::string>{Range(7, 7, 2)});
    EXPECT_EQ(drv.Cell(IDC_L1XP_LIST, 6, 2), "Auto");
    EXPECT_EQ(boxes.Count(), 0u);

    // Ports 25 and 26 form a trunk: a range touching it is refused before anything is sent.
    EXPECT_EQ(Apply(dlg, drv, 20, 25, 2), std::vector<std::string>{});
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Cannot add an aggregated link to the 802.1X-enabled port"});
    // A From port moves To along; a To below From is put back after the message.
    boxes.Clear();
    ASSERT_TRUE(drv.Select(IDC_L1XP_FROM, 9));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_L1XP_TO), "10");
    ASSERT_TRUE(drv.Select(IDC_L1XP_TO, 4));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"'To Port' can not be smaller than 'From Port'"});
    EXPECT_EQ(dlg.GetDlgItemText(IDC_L1XP_TO), "10");
}

TEST_F(Dot1xPorts, NoSettingMayShutOrAutoEveryPort) {
    // Every port but the first is force unauthorized.
    for (int p = 2; p <= 28; ++p) {
        s_sim->Set(kTable + ".2." + std::to_string(p), "i", "1");
    }
    Dot1xPortConfig dlg;
    DialogDriver drv(dlg);
    Ready(dlg);
    EXPECT_EQ(Apply(dlg, drv, 1, 1, 0), std::vector<std::string>{});
    EXPECT_EQ(Apply(dlg, drv, 1, 1, 1), std::vector<std::string>{});
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{
                  "Could not set all port  Force Unauthorized to the port access control.",
                  "Could not set all port AUTO or Force Unauthorized to the port access control."}));
    for (int p = 2; p <= 28; ++p) {
        s_sim->Set(kTable + ".2." + std::to_string(p), "i", "2");
    }
    boxes.Clear();
    ASSERT_TRUE(drv.Click(IDC_L1XP_REFRESH));
    Ready(dlg, 2);
    EXPECT_EQ(Apply(dlg, drv, 1, 1, 1), std::vector<std::string>{});
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Could not set all port AUTO  to the port access control."});
    // Force authorized is always allowed.
    EXPECT_EQ(Apply(dlg, drv, 1, 1, 2), std::vector<std::string>{Range(1, 1, 3)});
}

TEST_F(Dot1xPorts, RowsAreKeyedByTheirPort) {
    // Port 3 missing from the table, and rows for ports this model does not have.
    s_sim->Command("unset " + kTable + ".2.3");
    s_sim->Command("unset " + kTable + ".3.3");
    for (int p = 29; p <= 40; ++p) {
        s_sim->Set(kTable + ".2." + std::to_string(p), "i", "1");
        s_sim->Set(kTable + ".3." + std::to_string(p), "i", "2");
    }
    s_sim->Set(kTable + ".2.4", "i", "1");
    Dot1xPortConfig dlg;
    DialogDriver drv(dlg);
    Ready(dlg);
    EXPECT_EQ(drv.Rows(IDC_L1XP_LIST), 27);
    EXPECT_EQ(drv.Cell(IDC_L1XP_LIST, 2, 0), "4");
    EXPECT_EQ(drv.Cell(IDC_L1XP_LIST, 2, 2), "Force Unauthorized");
    ASSERT_EQ(dlg.PortControls().size(), 28u);
    EXPECT_EQ(dlg.PortControls()[2], 0);  // not read
    EXPECT_EQ(dlg.PortControls()[3], 1);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(Dot1xPorts, ValuesOfTheWrongTypeOrMissingAreEmptyCells) {
    s_sim->Set(kTable + ".2.5", "s", "1");  // port 5's control as text
    s_sim->Set(kTable + ".3.5", "s", "1");  // port 5's status as text
    s_sim->Unset(kTable + ".2.7");          // port 7's control missing: not port 8's
    s_sim->Set(kTable + ".2.8", "i", "1");
    Dot1xPortConfig dlg;
    DialogDriver drv(dlg);
    Ready(dlg);
    ASSERT_EQ(drv.Rows(IDC_L1XP_LIST), 28);
    EXPECT_EQ(drv.Cell(IDC_L1XP_LIST, 4, 1), "");
    EXPECT_EQ(drv.Cell(IDC_L1XP_LIST, 4, 2), "");
    EXPECT_EQ(drv.Cell(IDC_L1XP_LIST, 6, 2), "");
    EXPECT_EQ(dlg.PortControls()[4], 0);
    EXPECT_EQ(dlg.PortControls()[6], 0);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(Dot1xPorts, FailedReadsAndWritesAreReported) {
    s_sim->ErrorStatus(kTable + ".3", 5);
    Dot1xPortConfig dlg;
    DialogDriver drv(dlg);
    Ready(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the 802.1X port access control."});
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDOK));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_L1XP_REFRESH));
    s_sim->ErrorStatus(kTable + ".3", 0);
    boxes.Clear();
    ASSERT_TRUE(drv.Click(IDC_L1XP_REFRESH));
    Ready(dlg, 2);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDOK));

    s_sim->ErrorStatus(kTable + ".2.5", 5);
    EXPECT_EQ(Apply(dlg, drv, 5, 6, 0), std::vector<std::string>{Range(5, 6, 1)});
    // The write is refused and the table read again (which the same fault ends early).
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{"The device did not accept the port access control of ports 5-6.",
                                        "Failed to read the 802.1X port access control."}));
    s_sim->ErrorStatus(kTable + ".2.5", 0);
    ASSERT_TRUE(drv.Click(IDC_L1XP_REFRESH));
    Ready(dlg, 4);
    EXPECT_EQ(drv.Cell(IDC_L1XP_LIST, 4, 2), "Force Authorized");  // nothing was written
}

TEST_F(Dot1xPorts, ClosingWhileReadingDeliversNothingMore) {
    s_sim->DelayMs(300);
    {
        Dot1xPortConfig dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(
            s_sim->WaitForRequests([](const std::vector<test::SimRequest>& log) { return log.size() >= 2; }));
    }
    s_sim->DelayMs(0);
    test::PumpEvents();
    EXPECT_EQ(boxes.Count(), 0u);
}

void Pictures(const char* ports) {
    const QFont normal = QApplication::font();
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/security";
    QDir().mkpath(dir);
    for (double scale : {1.0, 1.5}) {
        QFont font = normal;
        font.setPointSizeF(normal.pointSizeF() * scale);
        QApplication::setFont(font);
        Dot1xPortConfig dlg;
        dlg.m_strQuietPeriod = "60";
        dlg.m_strTxPeriod = "30";
        dlg.m_strSuppTimeout = "30";
        dlg.m_strServerTimeout = "30";
        dlg.m_strMaxReq = "2";
        dlg.m_strReAuthPeriod = "3600";
        dlg.m_strReAuthEnabled = "Disabled";
        DialogDriver drv(dlg);
        ASSERT_TRUE(WaitUntil([&] { return dlg.WalksEnded() >= 1 && dlg.TrunksEnded(); }));
        test::PumpEvents();
        EXPECT_EQ(test::SettledLookProblems(&dlg), std::vector<std::string>{});
        const QString file =
            QString("%1/dot1x_port_config_%2_%3.png").arg(dir, ports, scale == 1.0 ? "1x" : "1.5x");
        EXPECT_TRUE(test::GrabScreenshot(&dlg, file.toStdString()));
    }
    QApplication::setFont(normal);
}

TEST_F(Dot1xPorts, Pictures) {
    Pictures("28");
}

class Dot1xPorts52 : public Dot1xPorts {
public:
    static void SetUpTestSuite() {
        SnmpInit();
        StartSim({"ksx-4200-52", {}});
    }

protected:
    void SetUp() override {
        Dot1xPorts::SetUp();
        g_nPortNum = 52;
    }
};

TEST_F(Dot1xPorts52, LongRangesGoInRequestsOfThirty) {
    s_sim->Set("1.3.6.1.4.1.7393.10.76.20.1.8.1.3.1.2.1", "x", "0000000000000000");  // no trunk
    Dot1xPortConfig dlg;
    DialogDriver drv(dlg);
    Ready(dlg);
    EXPECT_EQ(drv.Rows(IDC_L1XP_LIST), 52);
    EXPECT_EQ(Apply(dlg, drv, 1, 24, 1), std::vector<std::string>{Range(1, 24, 2)});
    EXPECT_EQ(Apply(dlg, drv, 1, 52, 2), (std::vector<std::string>{Range(1, 30, 3), Range(31, 52, 3)}));
    EXPECT_EQ(boxes.Count(), 0u);
    Pictures("52");
}

TEST_F(Dot1xPorts52, NoWalkBesideAWriteAndCloseLeavesTheBatchInFlightUnconfirmed) {
    s_sim->Set("1.3.6.1.4.1.7393.10.76.20.1.8.1.3.1.2.1", "x", "0000000000000000");  // no trunk
    Dot1xPortConfig dlg;
    DialogDriver drv(dlg);
    Ready(dlg);
    s_sim->DelayMs(400);
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Select(IDC_L1XP_CONTROL, 2));
    ASSERT_TRUE(drv.Click(IDOK));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_L1XP_REFRESH));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDOK));
    ASSERT_TRUE(drv.Click(IDC_L1XP_REFRESH));
    // The second batch on its way: the first one is confirmed, the second may have been applied.
    ASSERT_TRUE(WaitUntil([&] { return test::DistinctSets(*s_sim).size() >= 2; }, 20000));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_L1XP_REFRESH));
    drv.PressEscape();
    ASSERT_TRUE(drv.WaitEnded());
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Stopped: 30 of 52 ports were written; the device did not "
                                       "confirm whether ports 31-52 were written."});
    // Nothing but the two writes: no walk was started beside them.
    EXPECT_EQ(test::RequestLines(test::DistinctRequests(*s_sim)).size(), 2u);
}

}  // namespace
