// Global form of the older 802.1X branch against the simulated switch: the read and the form it fills,
// the single writes of the RADIUS server (IpAddress), the state and the timers (the period Unsigned32),
// every input refused before anything is sent, failed reads and writes; pictures at two font sizes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QTimer>
#include <string>
#include <vector>

#include "controls/IPAddressCtrl.h"
#include "controls/ListCtrlEx.h"
#include "features/security/8021Config.h"
#include "features/security/Dot1xPortConfig.h"
#include "platform/snmplib/Snmp.h"
#include "res/ids_legacy.h"
#include "tests/features/StepRunTest.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/LookCheck.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::DialogDriver;
using test::WaitUntil;

const std::string P = "1.3.6.1.4.1.7393.10.76.20.1.11";
const size_t kCut = P.size() + 1;  // set lines read "1.1.0=a:192.168.1.200"

class Dot1xConfig : public test::SharedSimTest {
public:
    static void SetUpTestSuite() {
        SnmpInit();
        SharedSimTest::SetUpTestSuite();
    }

protected:
    void Ready(C8021Config& dlg, int reads = 1) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.ReadsEnded() >= reads; }));
        test::PumpEvents();
    }
    std::vector<std::string> Apply(C8021Config& dlg, DialogDriver& drv) {
        s_sim->ClearLog();
        const int reads = dlg.ReadsEnded();
        EXPECT_TRUE(drv.Click(IDC_L1X_APPLY));
        EXPECT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }, 20000));
        const std::vector<std::string> sets = test::SetLines(s_sim->Requests(), kCut);
        if (!sets.empty()) {
            Ready(dlg, reads + 1);
        }
        return sets;
    }
    void Enable(C8021Config& dlg, DialogDriver& drv) {
        s_sim->Set(P + ".2.1.0", "i", "1");
        const int reads = dlg.ReadsEnded();
        ASSERT_TRUE(drv.Click(IDC_L1X_REFRESH));
        Ready(dlg, reads + 1);
    }

    test::ScriptedMessageBox boxes;
};

const std::string kTimers = "2.2.0=i:60 2.3.0=i:30 2.4.0=i:30 2.5.0=i:30 2.6.0=i:2 2.7.0=u:3600 2.8.0=i:2";

TEST_F(Dot1xConfig, ReadsTheFormAndWritesItBack) {
    C8021Config dlg;
    DialogDriver drv(dlg);
    Ready(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "802.1X Config Information");
    EXPECT_EQ(test::RequestLines(s_sim->Requests()),
              std::vector<std::string>{"get " + P + ".2.1.0=n: " + P + ".1.1.0=n: " + P + ".1.2.0=n: " + P +
                                       ".2.2.0=n: " + P + ".2.3.0=n: " + P + ".2.4.0=n: " + P +
                                       ".2.5.0=n: " + P + ".2.6.0=n: " + P + ".2.7.0=n: " + P + ".2.8.0=n:"});
    // 802.1X is off: the fields stay unavailable, Apply switches it off again.
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_L1X_ENABLE), 0);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_L1X_PORTSET));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_L1X_KEY));
    EXPECT_EQ(Apply(dlg, drv), std::vector<std::string>{"2.1.0=i:2"});

    Enable(dlg, drv);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_L1X_PORTSET));
    EXPECT_EQ(drv.ItemAs<CIPAddressCtrl>(IDC_L1X_RADIUS_IP)->GetAddress(), "192.168.1.200");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_L1X_KEY), "radiuskey");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_L1X_CONFIRM_KEY), "radiuskey");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_L1X_TX_PERIOD), "30");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_L1X_QUIET), "60");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_L1X_MAX_REQ), "2");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_L1X_REAUTH_PERIOD), "3600");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_L1X_REAUTH), "Disabled");

    // Three single writes: the RADIUS server, the state, the timers.
    EXPECT_EQ(Apply(dlg, drv),
              (std::vector<std::string>{"1.1.0=a:192.168.1.200 1.2.0=s:radiuskey", "2.1.0=i:1", kTimers}));
    EXPECT_EQ(test::Sets(s_sim->Requests())[0].principal, "harbour");
    ASSERT_TRUE(drv.Type(IDC_L1X_RADIUS_IP, "10.1.2.3"));
    ASSERT_TRUE(drv.Type(IDC_L1X_KEY, "secret"));
    ASSERT_TRUE(drv.Type(IDC_L1X_CONFIRM_KEY, "secret"));
    ASSERT_TRUE(drv.Type(IDC_L1X_REAUTH_PERIOD, "4294967295"));
    ASSERT_TRUE(drv.Select(IDC_L1X_REAUTH, 0));
    EXPECT_EQ(Apply(dlg, drv),
              (std::vector<std::string>{
                  "1.1.0=a:10.1.2.3 1.2.0=s:secret", "2.1.0=i:1",
                  "2.2.0=i:60 2.3.0=i:30 2.4.0=i:30 2.5.0=i:30 2.6.0=i:2 2.7.0=u:4294967295 2.8.0=i:1"}));
    EXPECT_EQ(s_sim->Get(P + ".2.7.0"), "4294967295");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_L1X_REAUTH), "Enable");
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(Dot1xConfig, PortSetShowsTheTimersInEveryPortRow) {
    s_sim->Set(P + ".2.1.0", "i", "1");
    C8021Config dlg;
    DialogDriver drv(dlg);
    Ready(dlg);
    std::vector<std::string> row;
    QTimer::singleShot(0, [&] {
        Dot1xPortConfig* ports = nullptr;
        ASSERT_TRUE(WaitUntil([&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* d = dynamic_cast<Dot1xPortConfig*>(w); d != nullptr && d->isVisible()) {
                    ports = d;
                }
            }
            return ports != nullptr && ports->WalksEnded() >= 1;
        }));
        auto* list = ports->Item<CListCtrlEx>(IDC_L1XP_LIST);
        for (int c = 0; c < list->GetColumnCount(); ++c) {
            row.push_back(list->GetItemText(27, c).toStdString());
        }
        ports->EndDialog(IDCANCEL);
    });
    ASSERT_TRUE(drv.Click(IDC_L1X_PORTSET));
    EXPECT_EQ(row, (std::vector<std::string>{"28", "Unauthorized", "Force Authorized", "60", "30", "30", "30",
                                             "2", "3600", "Disabled"}));
}

TEST_F(Dot1xConfig, EveryInputIsCheckedBeforeAnythingIsSent) {
    C8021Config dlg;
    DialogDriver drv(dlg);
    Ready(dlg);
    Enable(dlg, drv);
    struct Case {
        int id;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {IDC_L1X_QUIET, "65536", "Invalid QuietPeriod (0-65535)"},
        {IDC_L1X_QUIET, "", "Invalid QuietPeriod (0-65535)"},
        {IDC_L1X_TX_PERIOD, "0", "Invalid TxPeriod (1-65535)"},
        {IDC_L1X_SUPP_TIMEOUT, "65536", "Invalid SuppTimeout (1-65535)"},
        {IDC_L1X_SERVER_TIMEOUT, "0", "Invalid ServerTimeout (1-65535)"},
        {IDC_L1X_MAX_REQ, "11", "Invalid MaxReq (1-10)"},
        {IDC_L1X_REAUTH_PERIOD, "4294967296", "Invalid ReAuthPeriod (1-4294967295)"},
        {IDC_L1X_REAUTH_PERIOD, "0", "Invalid ReAuthPeriod (1-4294967295)"},
        {IDC_L1X_REAUTH_PERIOD, "", "Invalid ReAuthPeriod (1-4294967295)"},
        {IDC_L1X_CONFIRM_KEY, "radiuskex", "Please confirm the key again !"},
        {IDC_L1X_KEY, "", "Invalid Key."},
        {IDC_L1X_RADIUS_IP, "0.0.0.0", "Invalid RADIUS Server IP Address."},
        {IDC_L1X_RADIUS_IP, "10.1.2.255", "Invalid RADIUS Server IP Address."},
        {IDC_L1X_RADIUS_IP, "255.1.2.3", "Invalid RADIUS Server IP Address."},
        {IDC_L1X_RADIUS_IP, "10.1.2.", "Invalid RADIUS Server IP Address."},  // incomplete
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.id) + " " + c.text);
        const std::string before = dlg.GetDlgItemText(c.id);
        if (c.id == IDC_L1X_RADIUS_IP) {
            drv.ItemAs<CIPAddressCtrl>(c.id)->ClearAddress();
        }
        ASSERT_TRUE(drv.Type(c.id, c.text));
        boxes.Clear();
        EXPECT_EQ(Apply(dlg, drv), std::vector<std::string>{});
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{c.message});
        if (c.id == IDC_L1X_RADIUS_IP) {
            drv.ItemAs<CIPAddressCtrl>(c.id)->SetAddress("192.168.1.200");
        } else {
            dlg.SetDlgItemText(c.id, before);
        }
    }
    // Letters cannot be typed into a number.
    ASSERT_TRUE(drv.Type(IDC_L1X_TX_PERIOD, "a"));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_L1X_TX_PERIOD), "30");
    // Keys are cut to 33 characters as they are typed.
    ASSERT_TRUE(drv.Type(IDC_L1X_KEY, std::string(40, 'k')));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_L1X_KEY), std::string(33, 'k'));
}

TEST_F(Dot1xConfig, FailedReadsKeepApplyAwayAndFailedWritesAreReported) {
    // A key of the wrong type is a failed read.
    s_sim->Set(P + ".1.2.0", "i", "5");
    C8021Config dlg;
    DialogDriver drv(dlg);
    Ready(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the 802.1X configuration."});
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_L1X_APPLY));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_L1X_REFRESH));
    s_sim->Set(P + ".1.2.0", "s", "radiuskey");
    Enable(dlg, drv);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_L1X_APPLY));

    // The RADIUS request refused: the state is not sent, the timers are, and the user is told.
    boxes.Clear();
    s_sim->ErrorStatus(P + ".1.2.0", 5);
    const std::vector<std::string> sets = Apply(dlg, drv);
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[1], kTimers);
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(boxes.Texts()[0],
              "The device did not accept the RADIUS server. The 802.1X state was not written.");
    s_sim->ErrorStatus(P + ".1.2.0", 0);

    // Unanswered writes the device may have applied are said so, not as failed.
    Enable(dlg, drv);
    boxes.Clear();
    s_sim->Silence(true);
    Apply(dlg, drv);
    s_sim->Silence(false);
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(boxes.Texts()[0],
              "The device did not answer: it did not confirm whether the RADIUS server and the timers were "
              "written. The 802.1X state was not written.");
}

TEST_F(Dot1xConfig, ASlowDeviceKeepsTheWindowLiveAndCloseStopsApply) {
    s_sim->Set(P + ".2.1.0", "i", "1");
    C8021Config dlg;
    DialogDriver drv(dlg);
    Ready(dlg);
    ASSERT_TRUE(dlg.IsDlgItemEnabled(IDC_L1X_APPLY));
    s_sim->DelayMs(1000);
    s_sim->ClearLog();
    test::TickGap ticks;
    ASSERT_TRUE(drv.Click(IDC_L1X_APPLY));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_L1X_APPLY));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_L1X_REFRESH));
    ASSERT_TRUE(WaitUntil(
        [&] {
            return dlg.Run().ProgressShown() && dlg.Run().ProgressText() == "Writing the 802.1X state...";
        },
        20000));
    ASSERT_TRUE(WaitUntil([&] { return test::DistinctSets(*s_sim).size() >= 2; }, 20000));
    const long long liveGapMs = ticks.MaxGapMs();  // while the run went on
    drv.PressEscape();
    ASSERT_TRUE(drv.WaitEnded());
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Stopped: the RADIUS server was written; the device did not confirm "
                                       "whether the 802.1X state was written; the timers were not written."});
    EXPECT_LT(liveGapMs, 250);
    EXPECT_EQ(test::SetLines(test::DistinctRequests(*s_sim), kCut),
              (std::vector<std::string>{"1.1.0=a:192.168.1.200 1.2.0=s:radiuskey", "2.1.0=i:1"}));
    EXPECT_FALSE(WaitUntil([&] { return test::DistinctSets(*s_sim).size() > 2; }, 2000));
}

TEST_F(Dot1xConfig, AStateLeftOutOfTheReplyIsNotShownAsOffNorWritten) {
    s_sim->Set(P + ".2.1.0", "i", "1");
    s_sim->Omit(P + ".2.1.0");
    C8021Config dlg;
    DialogDriver drv(dlg);
    Ready(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the 802.1X configuration."});
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_L1X_ENABLE), 2);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_L1X_ENABLE));
    for (int id : {IDC_L1X_KEY, IDC_L1X_TX_PERIOD, IDC_L1X_QUIET, IDC_L1X_REAUTH_PERIOD}) {
        EXPECT_EQ(dlg.GetDlgItemText(id), "") << id;
    }
    EXPECT_EQ(dlg.GetDlgItemText(IDC_L1X_REAUTH), "");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_L1X_APPLY));
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_L1X_APPLY));
    EXPECT_TRUE(test::Sets(s_sim->Requests()).empty());

    // Read whole again: the box is the device's and can be changed.
    s_sim->OmitNone();
    const int reads = dlg.ReadsEnded();
    ASSERT_TRUE(drv.Click(IDC_L1X_REFRESH));
    Ready(dlg, reads + 1);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_L1X_ENABLE), 1);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_L1X_ENABLE));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_L1X_APPLY));
}

TEST_F(Dot1xConfig, Pictures) {
    const QFont normal = QApplication::font();
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/security";
    QDir().mkpath(dir);
    s_sim->Set(P + ".2.1.0", "i", "1");
    for (double scale : {1.0, 1.5}) {
        QFont font = normal;
        font.setPointSizeF(normal.pointSizeF() * scale);
        QApplication::setFont(font);
        C8021Config dlg;
        DialogDriver drv(dlg);
        Ready(dlg);
        EXPECT_EQ(test::SettledLookProblems(&dlg), std::vector<std::string>{});
        const QString file = QString("%1/dot1x_config_%2.png").arg(dir, scale == 1.0 ? "1x" : "1.5x");
        EXPECT_TRUE(test::GrabScreenshot(&dlg, file.toStdString()));
    }
    QApplication::setFont(normal);
}

}  // namespace
