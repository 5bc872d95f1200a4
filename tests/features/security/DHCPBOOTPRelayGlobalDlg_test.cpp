// DHCP/BOOTP relay global settings against the simulated switch: the read and the form it fills, the
// write of every field but the option 82 state, numbers refused before anything is sent, failed reads
// and a refused write; pictures at two font sizes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <string>
#include <vector>

#include "features/security/DHCPBOOTPRelayGlobalDlg.h"
#include "platform/snmplib/Snmp.h"
#include "res/ids_legacy.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/LookCheck.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::DialogDriver;
using test::WaitUntil;

const std::string R = "1.3.6.1.4.1.7393.10.76.20.1.28";
const size_t kCut = R.size() + 1;  // set lines read "1.1.0=i:1"

class RelayGlobal : public test::SharedSimTest {
public:
    static void SetUpTestSuite() {
        SnmpInit();
        SharedSimTest::SetUpTestSuite();
    }

protected:
    void TearDown() override {
        s_sim->ErrorStatus(R + ".2.2.5.0", 0);
        SharedSimTest::TearDown();
    }
    std::vector<std::string> Apply(DialogDriver& drv) {
        s_sim->ClearLog();
        EXPECT_TRUE(drv.Click(IDC_RLG_APPLY));
        auto& dlg = static_cast<CDHCPBOOTPRelayGlobalDlg&>(drv.Dialog());
        EXPECT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }));  // the write and its read-back
        return test::SetLines(s_sim->Requests(), kCut);
    }

    test::ScriptedMessageBox boxes;
};

TEST_F(RelayGlobal, ReadsTheSettingsAndWritesThemBack) {
    CDHCPBOOTPRelayGlobalDlg dlg;
    DialogDriver drv(dlg);
    ASSERT_EQ(dlg.ReadsEnded(), 1);
    EXPECT_EQ(dlg.GetWindowText(), "DHCP BOOTP Relay Global Settings");
    EXPECT_EQ(test::RequestLines(s_sim->Requests()),
              std::vector<std::string>{"get " + R + ".1.1.0=n: " + R + ".1.2.0=n: " + R + ".1.3.0=n: " + R +
                                       ".2.2.1.0=n: " + R + ".2.2.2.0=n: " + R + ".2.2.3.0=n: " + R +
                                       ".2.2.4.0=n: " + R + ".2.2.5.0=n:"});
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RLG_STATE), "Disabled");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RLG_HOPS), "4");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RLG_THRESHOLD), "0");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RLG_OPT82_STATE), "Disabled");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_RLG_OPT82_STATE));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RLG_OPT82_POLICY), "Replace");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RLG_REMOTE_TYPE), "Default");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_RLG_REMOTE_ID));

    EXPECT_EQ(Apply(drv), std::vector<std::string>{"1.1.0=i:2 1.2.0=i:4 1.3.0=i:0 2.2.2.0=i:2 2.2.3.0=i:1 "
                                                   "2.2.4.0=i:1 2.2.5.0=s:"});
    EXPECT_EQ(test::Sets(s_sim->Requests())[0].principal, "harbour");
    ASSERT_TRUE(drv.Select(IDC_RLG_STATE, 1));
    ASSERT_TRUE(drv.Type(IDC_RLG_HOPS, "16"));
    ASSERT_TRUE(drv.Type(IDC_RLG_THRESHOLD, ""));  // an empty threshold is 0
    ASSERT_TRUE(drv.Select(IDC_RLG_OPT82_CHECK, 1));
    ASSERT_TRUE(drv.Select(IDC_RLG_OPT82_POLICY, 2));
    ASSERT_TRUE(drv.Select(IDC_RLG_REMOTE_TYPE, 1));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_RLG_REMOTE_ID));
    ASSERT_TRUE(drv.Type(IDC_RLG_REMOTE_ID, "rack-7"));
    EXPECT_EQ(Apply(drv), std::vector<std::string>{"1.1.0=i:1 1.2.0=i:16 1.3.0=i:0 2.2.2.0=i:1 2.2.3.0=i:3 "
                                                   "2.2.4.0=i:2 2.2.5.0=s:rack-7"});
    // Read again: the device's values.
    EXPECT_EQ(dlg.ReadsEnded(), 3);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RLG_STATE), "Enabled");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RLG_OPT82_POLICY), "Keep");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RLG_REMOTE_ID), "rack-7");
    EXPECT_EQ(boxes.Count(), 0u);
    // The remote ID takes at most 32 characters.
    ASSERT_TRUE(drv.Type(IDC_RLG_REMOTE_ID, std::string(40, 'r')));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RLG_REMOTE_ID), std::string(32, 'r'));
}

TEST_F(RelayGlobal, NumbersOutsideTheirRangeAreRefused) {
    CDHCPBOOTPRelayGlobalDlg dlg;
    DialogDriver drv(dlg);
    for (const char* hops : {"0", "17", "3x", "", "-1"}) {
        SCOPED_TRACE(hops);
        ASSERT_TRUE(drv.Type(IDC_RLG_HOPS, hops));
        boxes.Clear();
        EXPECT_EQ(Apply(drv), std::vector<std::string>{});
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"BOOTP Relay Hops Count Limit rang is 1-16"});
    }
    ASSERT_TRUE(drv.Type(IDC_RLG_HOPS, "1"));
    for (const char* threshold : {"65536", "12a"}) {
        SCOPED_TRACE(threshold);
        ASSERT_TRUE(drv.Type(IDC_RLG_THRESHOLD, threshold));
        boxes.Clear();
        EXPECT_EQ(Apply(drv), std::vector<std::string>{});
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"BOOTP Relay Time Threshold is 0-65535 "});
    }
    ASSERT_TRUE(drv.Type(IDC_RLG_THRESHOLD, "65535"));
    EXPECT_EQ(Apply(drv),
              std::vector<std::string>{"1.1.0=i:2 1.2.0=i:1 1.3.0=i:65535 2.2.2.0=i:2 2.2.3.0=i:1 "
                                       "2.2.4.0=i:1 2.2.5.0=s:"});
}

TEST_F(RelayGlobal, FailedReadsKeepApplyAwayAndRefusedWritesAreReported) {
    // A policy that is none of the three leaves no selection: it is not written back as "0".
    s_sim->Set(R + ".2.2.3.0", "i", "0");
    CDHCPBOOTPRelayGlobalDlg dlg;
    DialogDriver drv(dlg);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RLG_OPT82_POLICY), "");
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the DHCP/BOOTP relay settings."});
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_RLG_APPLY));
    EXPECT_EQ(Apply(drv), std::vector<std::string>{});

    // A device that does not answer: an empty form, and still no Apply.
    s_sim->Set(R + ".2.2.3.0", "i", "2");
    s_sim->Set(R + ".1.2.0", "s", "4");  // wrong type
    boxes.Clear();
    ASSERT_TRUE(drv.Click(IDC_RLG_REFRESH));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RLG_HOPS), "");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_RLG_APPLY));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_RLG_REFRESH));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the DHCP/BOOTP relay settings."});

    s_sim->Set(R + ".1.2.0", "i", "4");
    ASSERT_TRUE(drv.Click(IDC_RLG_REFRESH));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_RLG_APPLY));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RLG_OPT82_POLICY), "Drop");
    boxes.Clear();
    s_sim->ErrorStatus(R + ".2.2.5.0", 5);
    EXPECT_EQ(Apply(drv).size(), 1u);
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(boxes.Texts()[0], "The device did not accept the DHCP/BOOTP relay settings.");
}

TEST_F(RelayGlobal, AStateOfTheWrongTypeIsNoSelectionNotDisabled) {
    s_sim->Set(R + ".1.1.0", "s", "1");  // the relay is on, answered as text
    CDHCPBOOTPRelayGlobalDlg dlg;
    DialogDriver drv(dlg);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RLG_STATE), "");
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the DHCP/BOOTP relay settings."});
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_RLG_APPLY));
    EXPECT_EQ(Apply(drv), std::vector<std::string>{});
}

TEST_F(RelayGlobal, Pictures) {
    const QFont normal = QApplication::font();
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/security";
    QDir().mkpath(dir);
    s_sim->Set(R + ".2.2.4.0", "i", "2");
    s_sim->Set(R + ".2.2.5.0", "s", "rack-7");
    for (double scale : {1.0, 1.5}) {
        QFont font = normal;
        font.setPointSizeF(normal.pointSizeF() * scale);
        QApplication::setFont(font);
        CDHCPBOOTPRelayGlobalDlg dlg;
        DialogDriver drv(dlg);
        test::PumpEvents();
        EXPECT_EQ(test::SettledLookProblems(&dlg), std::vector<std::string>{});
        const QString file = QString("%1/dhcp_relay_global_%2.png").arg(dir, scale == 1.0 ? "1x" : "1.5x");
        EXPECT_TRUE(test::GrabScreenshot(&dlg, file.toStdString()));
    }
    QApplication::setFont(normal);
}

}  // namespace
