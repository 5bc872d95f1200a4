// Storm control dialog against the simulated switch: the values as read, Apply sending exactly the
// values the user changed (the threshold only when N was changed), the N range, and what a failed
// read or a refused write leaves; pictures at two font sizes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <string>
#include <vector>

#include "features/security/StormControlDlg.h"
#include "platform/snmplib/Snmp.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_screening.h"
#include "res/resource.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/LookCheck.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::DialogDriver;
using test::SetLines;
using test::WaitUntil;

const std::string kStorm = "1.3.6.1.4.1.7393.10.76.20.1.13.3";
const size_t kCut = kStorm.size() + 1;  // set lines read "1.0=i:1"
const char kInvalidN[] = "Invalid input of N ( input range must between 1~16000)";

class StormControl : public test::SharedSimTest {
public:
    static void SetUpTestSuite() {
        SnmpInit();
        SharedSimTest::SetUpTestSuite();
    }

protected:
    // Opens on the device values given, waits for the first read, then empties the log.
    void Open(CStormControlDlg& dlg, DialogDriver& drv, int reads = 1) {
        (void)drv;
        ASSERT_TRUE(WaitUntil([&] { return dlg.ReadsEnded() >= reads; }));
        s_sim->ClearLog();
    }
    void SetDevice(const char* state, const char* type, const char* threshold) {
        s_sim->Set(kStorm + ".1.0", "i", state);
        s_sim->Set(kStorm + ".2.0", "i", type);
        s_sim->Set(kStorm + ".3.0", "i", threshold);
    }
    // Clicks Apply and waits for the read-back it causes (when it causes one).
    std::vector<std::string> Apply(CStormControlDlg& dlg, DialogDriver& drv, bool readBack = true) {
        const int before = dlg.ReadsEnded();
        EXPECT_TRUE(drv.Click(IDC_STORM_APPLY));
        if (readBack) {
            EXPECT_TRUE(WaitUntil([&] { return dlg.ReadsEnded() > before; }));
        }
        test::PumpEvents();
        return SetLines(s_sim->Requests(), kCut);
    }

    test::ScriptedMessageBox boxes;
};

TEST_F(StormControl, ShowsTheDeviceValues) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_STORM_CONTROL));
    SetDevice("1", "3", "100");
    CStormControlDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return dlg.ReadsEnded() >= 1; }));
    EXPECT_EQ(
        test::RequestLines(s_sim->Requests()),
        std::vector<std::string>{"get " + kStorm + ".1.0=n: " + kStorm + ".2.0=n: " + kStorm + ".3.0=n:"});
    s_sim->ClearLog();
    EXPECT_EQ(dlg.GetWindowText(), "Storm Control");
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_STORM_ENABLE), 1);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_STORM_TYPE), "Multicast & Broadcast & Unknown Unicast");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_STORM_N), "1");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_STORM_KBPS), "100");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_STORM_UNIT), "64Kbps  ");
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_STORM_N));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_STORM_APPLY));
    auto* type = drv.ItemAs<QComboBox>(IDC_STORM_TYPE);
    ASSERT_EQ(type->count(), 3);
    EXPECT_EQ(type->itemText(0).toStdString(), "Broadcast Only");
    EXPECT_EQ(type->itemText(1).toStdString(), "Multicast & Broadcast");
    // Typing N shows N x 64; clearing it empties the rate.
    ASSERT_TRUE(drv.Type(IDC_STORM_N, "250"));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_STORM_KBPS), "16000");
    ASSERT_TRUE(drv.Type(IDC_STORM_N, ""));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_STORM_KBPS), "");
    // The box alone changes what may be edited, nothing on the device.
    ASSERT_TRUE(drv.Check(IDC_STORM_ENABLE, false));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_STORM_N));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_STORM_TYPE));
    EXPECT_TRUE(s_sim->Requests().empty());
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(StormControl, ApplyWritesOnlyWhatTheUserChanged) {
    SetDevice("1", "1", "100");
    CStormControlDlg dlg;
    DialogDriver drv(dlg);
    Open(dlg, drv);
    // Nothing changed: the threshold of 100 is not rewritten as 64; the values are read back.
    EXPECT_EQ(Apply(dlg, drv), std::vector<std::string>{});
    EXPECT_EQ(test::OfKind(s_sim->Requests(), "get").size(), 1u);
    EXPECT_EQ(s_sim->Get(kStorm + ".3.0"), "100");

    s_sim->ClearLog();
    ASSERT_TRUE(drv.Type(IDC_STORM_N, "16000"));
    EXPECT_EQ(Apply(dlg, drv), std::vector<std::string>{"3.0=i:1024000"});

    s_sim->ClearLog();
    ASSERT_TRUE(drv.Select(IDC_STORM_TYPE, 1));
    EXPECT_EQ(Apply(dlg, drv), std::vector<std::string>{"2.0=i:2"});

    // Switching off sends the state alone, whatever else was changed.
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Select(IDC_STORM_TYPE, 2));
    ASSERT_TRUE(drv.Type(IDC_STORM_N, "3"));
    ASSERT_TRUE(drv.Check(IDC_STORM_ENABLE, false));
    EXPECT_EQ(Apply(dlg, drv), std::vector<std::string>{"1.0=i:2"});

    // Off and staying off: nothing sent, nothing read back.
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Type(IDC_STORM_N, "5"));
    EXPECT_EQ(Apply(dlg, drv, false), std::vector<std::string>{});
    EXPECT_TRUE(s_sim->Requests().empty());

    // Switching on sends the state with the changed type and threshold, in one request.
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Check(IDC_STORM_ENABLE, true));
    ASSERT_TRUE(drv.Select(IDC_STORM_TYPE, 2));
    ASSERT_TRUE(drv.Type(IDC_STORM_N, "10"));
    EXPECT_EQ(Apply(dlg, drv), std::vector<std::string>{"1.0=i:1 2.0=i:3 3.0=i:640"});
    EXPECT_EQ(dlg.GetDlgItemText(IDC_STORM_KBPS), "640");
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(StormControl, NOutsideItsRangeIsRefused) {
    SetDevice("1", "1", "64");
    CStormControlDlg dlg;
    DialogDriver drv(dlg);
    Open(dlg, drv);
    for (const char* n : {"0", "16001", "", "1e3", "99999"}) {
        dlg.SetDlgItemText(IDC_STORM_N, n);  // as pasted: the edit takes digits only when typed
        boxes.Clear();
        EXPECT_TRUE(drv.Click(IDC_STORM_APPLY));
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{kInvalidN}) << n;
    }
    // Also when switching off.
    ASSERT_TRUE(drv.Check(IDC_STORM_ENABLE, false));
    dlg.SetDlgItemText(IDC_STORM_N, "0");
    boxes.Clear();
    EXPECT_TRUE(drv.Click(IDC_STORM_APPLY));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{kInvalidN});
    EXPECT_TRUE(s_sim->Requests().empty());
    // Typed, a letter does not get in.
    ASSERT_TRUE(drv.Check(IDC_STORM_ENABLE, true));
    ASSERT_TRUE(drv.Type(IDC_STORM_N, "1e3"));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_STORM_N), "13");
}

TEST_F(StormControl, AFailedReadKeepsApplyUnavailable) {
    test::UseSimV1(*s_sim, "400");
    s_sim->Silence(true);
    CStormControlDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return dlg.ReadsEnded() >= 1; }));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the storm control settings."});
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_STORM_APPLY));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_STORM_REFRESH));
    dlg.SetDlgItemText(IDC_STORM_N, "5");
    drv.PressEnter();
    EXPECT_TRUE(test::Sets(s_sim->Requests()).empty());

    // A type the dialog does not know is no value either.
    s_sim->Silence(false);
    SetDevice("1", "7", "64");
    boxes.Clear();
    ASSERT_TRUE(drv.Click(IDC_STORM_REFRESH));
    ASSERT_TRUE(WaitUntil([&] { return dlg.ReadsEnded() >= 2; }));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the storm control settings."});
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_STORM_APPLY));

    // Read again: Apply comes back.
    SetDevice("1", "2", "64");
    ASSERT_TRUE(drv.Click(IDC_STORM_REFRESH));
    ASSERT_TRUE(WaitUntil([&] { return dlg.ReadsEnded() >= 3; }));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_STORM_APPLY));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_STORM_TYPE), "Multicast & Broadcast");
}

TEST_F(StormControl, ASettingLeftOutOrOfTheWrongTypeShowsNoValue) {
    SetDevice("1", "3", "640");
    s_sim->Omit(kStorm + ".1.0");
    CStormControlDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return dlg.ReadsEnded() >= 1; }));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the storm control settings."});
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_STORM_ENABLE), 2);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_STORM_ENABLE));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_STORM_TYPE), "");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_STORM_N), "");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_STORM_KBPS), "");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_STORM_APPLY));

    // The threshold as text: no value either, and the earlier read is not kept on show.
    s_sim->OmitNone();
    ASSERT_TRUE(drv.Click(IDC_STORM_REFRESH));
    ASSERT_TRUE(WaitUntil([&] { return dlg.ReadsEnded() >= 2; }));
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_STORM_ENABLE), 1);
    s_sim->Set(kStorm + ".3.0", "s", "640");
    boxes.Clear();
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_STORM_REFRESH));
    ASSERT_TRUE(WaitUntil([&] { return dlg.ReadsEnded() >= 3; }));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the storm control settings."});
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_STORM_ENABLE), 2);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_STORM_N), "");
    drv.PressEnter();
    EXPECT_TRUE(test::Sets(s_sim->Requests()).empty());
}

TEST_F(StormControl, ARefusedWriteIsToldAndTheDeviceValuesShown) {
    SetDevice("1", "1", "64");
    CStormControlDlg dlg;
    DialogDriver drv(dlg);
    Open(dlg, drv);
    s_sim->ErrorStatus(kStorm + ".3.0", 5);
    ASSERT_TRUE(drv.Type(IDC_STORM_N, "20"));
    s_sim->ClearLog();
    const int before = dlg.ReadsEnded();
    EXPECT_TRUE(drv.Click(IDC_STORM_APPLY));
    // The read-back meets the same refusal (the switch refuses the object for reads too).
    ASSERT_TRUE(WaitUntil([&] { return dlg.ReadsEnded() > before; }));
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{
                  "Failed to write the storm control settings: the device did not accept them.",
                  "Failed to read the storm control settings."}));
    EXPECT_EQ(SetLines(s_sim->Requests(), kCut), std::vector<std::string>{"3.0=i:1280"});
    s_sim->ErrorStatus(kStorm + ".3.0", 0);
    ASSERT_TRUE(drv.Click(IDC_STORM_REFRESH));
    ASSERT_TRUE(WaitUntil([&] { return dlg.ReadsEnded() > before + 1; }));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_STORM_N), "1");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_STORM_KBPS), "64");
}

TEST_F(StormControl, Pictures) {
    const QFont normal = QApplication::font();
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/security";
    QDir().mkpath(dir);
    for (double scale : {1.0, 1.5}) {
        QFont font = normal;
        font.setPointSizeF(normal.pointSizeF() * scale);
        QApplication::setFont(font);
        {
            CStormControlDlg dlg;
            DialogDriver drv(dlg);
            ASSERT_TRUE(WaitUntil([&] { return dlg.ReadsEnded() >= 1; }));
            test::PumpEvents();
            EXPECT_EQ(test::SettledLookProblems(&dlg), std::vector<std::string>{});
            const QString file = QString("%1/storm_control_%2.png").arg(dir, scale == 1.0 ? "1x" : "1.5x");
            EXPECT_TRUE(test::GrabScreenshot(&dlg, file.toStdString()));
        }
    }
    QApplication::setFont(normal);
}

}  // namespace
