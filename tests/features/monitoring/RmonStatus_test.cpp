// The RMON global settings dialog against the simulated switch: the state read into the radio buttons,
// Apply's "1" or "2" followed by a read, and the mended failures: a state not read is never written
// back (Apply unavailable), a refused write is told; against a slow device the window stays live and
// Close during the write says the device did not confirm it.
#include "features/monitoring/RmonStatus.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_rmon.h"
#include "res/resource.h"
#include "tests/features/StepRunTest.h"
#include "tests/features/monitoring/RmonTestSupport.h"

namespace {

using namespace ksx;
using namespace ksx::test;
using namespace ksx::test::rmon;

const std::string kState = kP47 + ".1.0";

class RmonStatusTest : public RmonTest {
protected:
    // The read, or the write and the read after it, ended.
    static void WaitRun(CRmonStatus& dlg) {
        ASSERT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }));
    }
};

TEST_F(RmonStatusTest, ShowsAndSetsTheState) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_RMON_GLOBAL));
    CRmonStatus dlg;
    DialogDriver drv(dlg);
    WaitRun(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "RMON Global Settings ");
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_RMONG_ENABLE), 1);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_RMONG_DISABLE), 0);
    EXPECT_EQ(Log(), std::vector<std::string>{"get " + kState + "=n:"});

    s_sim->ClearLog();
    ASSERT_TRUE(drv.Check(IDC_RMONG_DISABLE));
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_RMONG_ENABLE), 0);
    ASSERT_TRUE(drv.Click(IDC_RMONG_APPLY));
    WaitRun(dlg);
    EXPECT_EQ(Log(), (std::vector<std::string>{"set " + kState + "=i:2", "get " + kState + "=n:"}));
    EXPECT_EQ(Sets(s_sim->Requests())[0].principal, "harbour");
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_RMONG_DISABLE), 1);

    // Any device value but 1 shows Disable.
    s_sim->Set(kState, "i", "0");
    ASSERT_TRUE(drv.Check(IDC_RMONG_ENABLE));
    ASSERT_TRUE(drv.Click(IDC_RMONG_REFRESH));
    WaitRun(dlg);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_RMONG_ENABLE), 0);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_RMONG_DISABLE), 1);
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Check(IDC_RMONG_ENABLE));
    ASSERT_TRUE(drv.Click(IDC_RMONG_APPLY));
    WaitRun(dlg);
    EXPECT_EQ(Log(), (std::vector<std::string>{"set " + kState + "=i:1", "get " + kState + "=n:"}));
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_RMONG_ENABLE), 1);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(RmonStatusTest, AStateNotReadIsNeverWrittenBack) {
    // A value of another type is no state either.
    s_sim->Set(kState, "s", "1");
    CRmonStatus dlg;
    DialogDriver drv(dlg);
    WaitRun(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the RMON state."});
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_RMONG_ENABLE), 0);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_RMONG_DISABLE), 0);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_RMONG_APPLY));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_RMONG_REFRESH));
    s_sim->ClearLog();
    drv.Click(IDC_RMONG_APPLY);
    WaitRun(dlg);
    EXPECT_TRUE(OfKind(s_sim->Requests(), "set").empty());

    s_sim->Set(kState, "i", "2");
    ASSERT_TRUE(drv.Click(IDC_RMONG_REFRESH));
    WaitRun(dlg);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_RMONG_APPLY));
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_RMONG_DISABLE), 1);
}

TEST_F(RmonStatusTest, AStateLeftOutOfTheReplyLeavesNeitherButtonFromTheLastRead) {
    CRmonStatus dlg;
    DialogDriver drv(dlg);
    WaitRun(dlg);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_RMONG_ENABLE), 1);
    s_sim->Omit(kState);
    ASSERT_TRUE(drv.Click(IDC_RMONG_REFRESH));
    WaitRun(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the RMON state."});
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_RMONG_ENABLE), 0);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_RMONG_DISABLE), 0);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_RMONG_APPLY));
    s_sim->ClearLog();
    drv.Click(IDC_RMONG_APPLY);
    WaitRun(dlg);
    EXPECT_TRUE(OfKind(s_sim->Requests(), "set").empty());
}

TEST_F(RmonStatusTest, ARefusedWriteIsToldAndTheDeviceStateShown) {
    CRmonStatus dlg;
    DialogDriver drv(dlg);
    WaitRun(dlg);
    ASSERT_TRUE(drv.Check(IDC_RMONG_DISABLE));
    s_sim->Set(kState, "s", "x");  // the write of an integer is refused as the wrong type
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_RMONG_APPLY));
    WaitRun(dlg);
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{"Failed to set the RMON state: the device did not accept it.",
                                        "Failed to read the RMON state."}));
    EXPECT_EQ(Log(), (std::vector<std::string>{"set " + kState + "=i:2", "get " + kState + "=n:"}));
}

// Answers 1 s late: the window takes events through Apply's write and read, which leave Apply and
// Refresh unavailable; Close during the write sends nothing more and says it is unconfirmed.
TEST_F(RmonStatusTest, SlowDeviceApplyStaysLiveAndCloseLeavesTheWriteUnconfirmed) {
    CRmonStatus dlg;
    DialogDriver drv(dlg);
    WaitRun(dlg);
    ASSERT_TRUE(drv.Check(IDC_RMONG_DISABLE));
    test::SlowRun run(*s_sim);
    ASSERT_NO_FATAL_FAILURE(run.Click(dlg, drv, IDC_RMONG_APPLY, {IDC_RMONG_APPLY, IDC_RMONG_REFRESH}, 1));
    ASSERT_NO_FATAL_FAILURE(
        run.Close(drv, boxes, {"Stopped: the device did not confirm whether the RMON state was written."}));
    EXPECT_EQ(RequestLines(test::DistinctRequests(*s_sim)),
              std::vector<std::string>{"set " + kState + "=i:2"});
}

TEST_F(RmonStatusTest, Screens) {
    const QFont normal = QApplication::font();
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/rmon";
    QDir().mkpath(dir);
    for (double scale : {1.0, 1.5}) {
        QFont font = normal;
        font.setPointSizeF(normal.pointSizeF() * scale);
        QApplication::setFont(font);
        CRmonStatus dlg;
        DialogDriver drv(dlg);
        WaitRun(dlg);
        PumpEvents();
        EXPECT_EQ(LookProblems(&dlg), std::vector<std::string>{}) << scale;
        EXPECT_TRUE(GrabScreenshot(
            &dlg, QString("%1/global_%2.png").arg(dir, scale == 1.0 ? "1x" : "1.5x").toStdString()));
    }
    QApplication::setFont(normal);
}

}  // namespace
