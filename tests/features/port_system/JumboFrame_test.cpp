// Jumbo frame dialog against the simulated switch: the check box as read, Apply writing "1" or "2" and
// telling the result only after the device answered, refused and unanswered sets, Esc.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <string>
#include <vector>

#include "features/port_system/JumboFrameconfigdlg.h"
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
using ksx::test::RequestLines;

const std::string kJumbo = "1.3.6.1.4.1.7393.10.76.20.1.1.12.0";

// Records, with each box, the requests the switch had received when the box came up.
class LoggingBoxes : public test::ScriptedMessageBox {
public:
    explicit LoggingBoxes(test::SimSwitch& sim) : m_sim(sim) {}
    int Show(const std::string& text, const std::string& caption, unsigned flags) override {
        logAtBox.push_back(RequestLines(m_sim.Requests()));
        return ScriptedMessageBox::Show(text, caption, flags);
    }
    std::vector<std::vector<std::string>> logAtBox;

private:
    test::SimSwitch& m_sim;
};

class JumboFrame : public test::SimTest {
protected:
    JumboFrame() : SimTest("400") {}

    LoggingBoxes boxes{sim};
};

const std::string kGet = "get " + kJumbo + "=n:";
const std::string kSet1 = "set " + kJumbo + "=i:1";
const std::string kSet2 = "set " + kJumbo + "=i:2";

TEST_F(JumboFrame, OpensWithTheDeviceState) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(ID_MENU_JUMBO_FRAME));  // the menu command opens it
    struct Case {
        const char* value;
        int checked;
    };
    for (const Case& c : {Case{"1", 1}, Case{"2", 0}, Case{"3", 0}, Case{"0", 0}}) {
        sim.Set(kJumbo, "i", c.value);
        sim.ClearLog();
        CJumboFrameconfigdlg dlg;
        DialogDriver drv(dlg);
        EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_JUMBO_ENABLE), c.checked) << c.value;
        EXPECT_EQ(RequestLines(sim.Requests()), std::vector<std::string>{kGet});
        EXPECT_EQ(sim.Requests()[0].principal, "quaint");
    }
    EXPECT_EQ(boxes.Count(), 0u);
}

// A state not read (no answer, a value of another type) leaves the box cleared, is said, and Apply, which
// would write the cleared box back as "2", stays unavailable (Enter too).
TEST_F(JumboFrame, AStateNotReadIsSaidAndNeverWrittenBack) {
    sim.Set(kJumbo, "i", "1");
    sim.Silence(true);
    {
        CJumboFrameconfigdlg dlg;
        DialogDriver drv(dlg);
        EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_JUMBO_ENABLE), 0);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the Jumbo Frame setting."});
        EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_JUMBO_APPLY));
        sim.Silence(false);
        sim.ClearLog();
        drv.PressEnter();
        EXPECT_TRUE(test::Sets(sim.Requests()).empty());
    }
    boxes.Clear();
    sim.Set(kJumbo, "s", "zz");
    CJumboFrameconfigdlg dlg;
    DialogDriver drv(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the Jumbo Frame setting."});
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_JUMBO_APPLY));
}

TEST_F(JumboFrame, ApplySendsFirstThenTellsAndCloses) {
    {
        CJumboFrameconfigdlg dlg;
        DialogDriver drv(dlg);
        EXPECT_EQ(dlg.GetWindowText(), "Jumbo Frame Configuration");
        EXPECT_EQ(dlg.GetDlgItemText(IDC_JUMBO_ENABLE), "Enable Jumbo Frame");
        const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/port_small";
        QDir().mkpath(dir);
        test::PumpEvents();
        EXPECT_TRUE(test::GrabScreenshot(&dlg, (dir + "/jumbo_frame.png").toStdString()));

        ASSERT_TRUE(drv.Check(IDC_JUMBO_ENABLE, true));
        sim.ClearLog();
        ASSERT_TRUE(drv.Click(IDC_JUMBO_APPLY));
        ASSERT_TRUE(drv.WaitEnded());
        EXPECT_EQ(drv.Result(), IDOK);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Enabled Jumbo Frame"});
        // The box came up after the set was answered; the value is read back after it.
        ASSERT_EQ(boxes.logAtBox.size(), 1u);
        EXPECT_EQ(boxes.logAtBox[0], std::vector<std::string>{kSet1});
        EXPECT_EQ(RequestLines(sim.Requests()), (std::vector<std::string>{kSet1, kGet}));
        EXPECT_EQ(sim.Requests()[0].principal, "harbour");
        EXPECT_EQ(sim.Get(kJumbo), "1");
    }
    {
        // Enter works as the Apply button; an unchecked box writes "2".
        boxes.Clear();
        boxes.logAtBox.clear();
        CJumboFrameconfigdlg dlg;
        DialogDriver drv(dlg);
        EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_JUMBO_ENABLE), 1);
        ASSERT_TRUE(drv.Check(IDC_JUMBO_ENABLE, false));
        sim.ClearLog();
        drv.PressEnter();
        ASSERT_TRUE(drv.WaitEnded());
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Disabled Jumbo Frame"});
        EXPECT_EQ(RequestLines(sim.Requests()), (std::vector<std::string>{kSet2, kGet}));
        EXPECT_EQ(sim.Get(kJumbo), "2");
    }
}

TEST_F(JumboFrame, RefusedOrUnansweredSetIsReportedAsFailure) {
    // The device answers the set with an error status.
    {
        CJumboFrameconfigdlg dlg;
        DialogDriver drv(dlg);
        sim.ErrorStatus(kJumbo, 5);
        ASSERT_TRUE(drv.Check(IDC_JUMBO_ENABLE, true));
        sim.ClearLog();
        ASSERT_TRUE(drv.Click(IDC_JUMBO_APPLY));
        ASSERT_TRUE(drv.WaitEnded());
        EXPECT_EQ(boxes.Texts(),
                  std::vector<std::string>{"The device did not accept the Jumbo Frame setting."});
        EXPECT_EQ(RequestLines(sim.Requests()), std::vector<std::string>{kSet1});  // no read-back
        EXPECT_EQ(sim.Get(kJumbo), "2");
    }
    sim.ErrorStatus(kJumbo, 0);

    boxes.Clear();

    // No answer at all.
    {
        CJumboFrameconfigdlg dlg;
        DialogDriver drv(dlg);
        ASSERT_TRUE(drv.Check(IDC_JUMBO_ENABLE, true));
        sim.Silence(true);
        ASSERT_TRUE(drv.Click(IDC_JUMBO_APPLY));
        ASSERT_TRUE(drv.WaitEnded());
        sim.Silence(false);
        EXPECT_EQ(boxes.Texts(),
                  std::vector<std::string>{"The device did not answer: it did not confirm whether "
                                           "the Jumbo Frame setting was written."});
        EXPECT_EQ(sim.Get(kJumbo), "2");
    }
}

TEST_F(JumboFrame, EscapeClosesWithoutWriting) {
    CJumboFrameconfigdlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(drv.Check(IDC_JUMBO_ENABLE, true));
    sim.ClearLog();
    drv.PressEscape();
    ASSERT_TRUE(drv.WaitEnded());
    EXPECT_EQ(drv.Result(), IDCANCEL);
    EXPECT_TRUE(sim.Requests().empty());
    EXPECT_EQ(boxes.Count(), 0u);
}

}  // namespace
