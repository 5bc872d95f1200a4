// Trunk member picker against the simulated switch: the opening state, the member limits, the one SET of
// members and mode with its bitmap for 10, 28 and 52 ports, OK kept unavailable until the reads ended
// (a slow device changes no outcome), a failed read, a refused write and an initialisation failure.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <string>
#include <vector>

#include "features/layer2/KSXTrunkPort.h"
#include "platform/sys/Globals.h"
#include "res/ids_trunk.h"
#include "tests/features/layer2/TrunkNeutralSettings.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::DialogDriver;
using test::WaitUntil;

const std::string P = "1.3.6.1.4.1.7393.10.76.20.1";
const std::string kMembers = P + ".8.1.3.1.2.";
const std::string kMode = P + ".8.1.3.1.3.";

class TrunkMemberPicker : public test::SharedSimTest {
protected:
    // The other areas' port settings alike on every port of the profile, so that any free ports may
    // form a trunk.
    void SetUp() override {
        SharedSimTest::SetUp();
        test::SetNeutralTrunkLoads(*s_sim, ProfilePorts());
    }
    virtual int ProfilePorts() const { return 28; }
    static void Configure(CKSXTrunkPort& picker, const std::string& members, const std::string& id,
                          const std::string& mode) {
        picker.m_strMembers = members;
        picker.m_strTrunkId = id;
        picker.m_strMode = mode;
    }
    static bool Ready(CKSXTrunkPort& picker) { return picker.IsDlgItemEnabled(IDOK); }
    static void WaitReady(CKSXTrunkPort& picker) {
        ASSERT_TRUE(WaitUntil([&] { return Ready(picker); }, 20000));
    }
    static void Tick(DialogDriver& drv, const std::vector<int>& ports, bool on = true) {
        for (int p : ports) {
            ASSERT_TRUE(drv.Check(2000 + p, on));
        }
    }
    static std::vector<std::string> SetLines() { return test::SetLines(s_sim->Requests(), P.size() + 1); }
    static void Screenshot(QWidget* w, const std::string& name) {
        const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/trunk";
        QDir().mkpath(dir);
        test::PumpEvents();
        EXPECT_TRUE(test::GrabScreenshot(w, (dir + "/" + QString::fromStdString(name)).toStdString()));
    }

    test::ScriptedMessageBox boxes;
};

TEST_F(TrunkMemberPicker, OpensWithTheTrunkItsMembersTickedAndOkOnceTheSettingsAreRead) {
    CKSXTrunkPort picker;
    Configure(picker, "3,4", "2", "LACP");
    DialogDriver drv(picker);
    EXPECT_EQ(picker.GetWindowText(), "Trunk member");
    EXPECT_EQ(picker.GetDlgItemText(IDC_TRUNKPORT_ID), "2");
    EXPECT_EQ(picker.GetDlgItemText(IDC_TRUNKPORT_MODE), "LACP");
    EXPECT_FALSE(picker.IsDlgItemEnabled(IDC_TRUNKPORT_ID));
    EXPECT_FALSE(picker.IsDlgItemEnabled(IDC_TRUNKPORT_MODE));
    for (int p = 1; p <= 28; ++p) {
        EXPECT_EQ(picker.IsDlgButtonChecked(2000 + p), p == 3 || p == 4 ? 1 : 0) << p;
        EXPECT_EQ(picker.GetDlgItemText(2500 + p), std::to_string(p));
    }
    EXPECT_EQ(test::FindById(&picker, 2029), nullptr);
    EXPECT_EQ(picker.PortFlags(), ([] {
                  std::vector<int> f(28, 0);
                  f[2] = f[3] = 1;
                  return f;
              }()));
    WaitReady(picker);
    EXPECT_EQ(picker.GetDlgItemText(IDC_TRUNKPORT_STATUS), "");
    EXPECT_TRUE(picker.IsDlgItemEnabled(IDC_TRUNKPORT_REFRESH));
    Screenshot(&picker, "trunk_member_28.png");

    ASSERT_TRUE(drv.Click(IDCANCEL));
    ASSERT_TRUE(drv.WaitEnded());
    EXPECT_EQ(drv.Result(), IDCANCEL);
    EXPECT_TRUE(SetLines().empty());
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(TrunkMemberPicker, KeepsBetweenTwoAndEightMembers) {
    CKSXTrunkPort picker;
    Configure(picker, "", "3", "Static");
    DialogDriver drv(picker);
    WaitReady(picker);
    Tick(drv, {13});
    ASSERT_TRUE(drv.Click(IDOK));
    EXPECT_EQ(boxes.LastText(), "The mininum port members for an aggregated link is 2 !");
    Tick(drv, {14, 15, 16, 17, 18, 19, 20, 21});
    ASSERT_TRUE(drv.Click(IDOK));
    EXPECT_EQ(boxes.LastText(), "The maxinum port member for an aggregated link is exceeded !");
    EXPECT_EQ(boxes.Count(), 2u);
    EXPECT_FALSE(drv.Ended());
    EXPECT_EQ(picker.IsDlgButtonChecked(2021), 1);
    EXPECT_TRUE(SetLines().empty());
    Tick(drv, {21}, false);  // eight members
    ASSERT_TRUE(drv.Click(IDOK));
    ASSERT_TRUE(drv.WaitEnded());
    EXPECT_EQ(SetLines(), std::vector<std::string>{"8.1.3.1.2.3=x:000ff000 8.1.3.1.3.3=i:2"});
}

TEST_F(TrunkMemberPicker, WritesMembersAndModeInOneSetAndEndsWithOk) {
    CKSXTrunkPort picker;
    Configure(picker, "", "2", "Static");
    DialogDriver drv(picker);
    WaitReady(picker);
    s_sim->ClearLog();
    Tick(drv, {1, 2, 8});
    ASSERT_TRUE(drv.Click(IDOK));
    ASSERT_TRUE(drv.WaitEnded());
    EXPECT_EQ(drv.Result(), IDOK);
    const auto sets = test::Sets(s_sim->Requests());
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].principal, "harbour");
    EXPECT_EQ(test::Bindings(sets[0]),
              (std::vector<std::string>{kMembers + "2=x:c1000000", kMode + "2=i:2"}));
    EXPECT_EQ(s_sim->Get(kMembers + "2"), "c1000000");
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(TrunkMemberPicker, LacpWritesModeOneAndTheEditedTrunkKeepsItsPorts) {
    CKSXTrunkPort picker;
    Configure(picker, "25,26", "1", "LACP");
    DialogDriver drv(picker);
    WaitReady(picker);
    Tick(drv, {27, 28});
    ASSERT_TRUE(drv.Click(IDOK));
    ASSERT_TRUE(drv.WaitEnded());
    EXPECT_EQ(SetLines(), std::vector<std::string>{"8.1.3.1.2.1=x:000000f0 8.1.3.1.3.1=i:1"});
}

TEST_F(TrunkMemberPicker, MemberBitmapsOfTheExamplePortCounts) {
    auto flags = [](int count, std::vector<int> ports) {
        std::vector<int> f(static_cast<size_t>(count), 0);
        for (int p : ports) {
            f[static_cast<size_t>(p - 1)] = 1;
        }
        return f;
    };
    g_nPortNum = 10;
    EXPECT_EQ(CKSXTrunkPort::MemberBitmapHex(flags(10, {9, 10})), "00c00000");
    g_nPortNum = 28;
    EXPECT_EQ(CKSXTrunkPort::MemberBitmapHex(flags(28, {1, 2, 8})), "c1000000");
    EXPECT_EQ(CKSXTrunkPort::MemberBitmapHex(flags(28, {28})), "00000010");
    g_nPortNum = 52;
    EXPECT_EQ(CKSXTrunkPort::MemberBitmapHex(flags(52, {52})), "0000000000001000");
    EXPECT_EQ(CKSXTrunkPort::MemberBitmapHex(flags(52, {1, 49})), "8000000000008000");
}

TEST_F(TrunkMemberPicker, AFailingCheckKeepsThePickerOpenWithTheTicks) {
    CKSXTrunkPort picker;
    Configure(picker, "", "2", "Static");
    DialogDriver drv(picker);
    WaitReady(picker);
    Tick(drv, {1, 25});
    ASSERT_TRUE(drv.Click(IDOK));
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Cannot add the port as it is a member of another aggregated link !"});
    EXPECT_FALSE(drv.Ended());
    EXPECT_EQ(picker.IsDlgButtonChecked(2025), 1);
    EXPECT_TRUE(SetLines().empty());
}

TEST_F(TrunkMemberPicker, ARefusedWriteIsReportedAndThePickerStaysOpen) {
    CKSXTrunkPort picker;
    Configure(picker, "", "2", "Static");
    DialogDriver drv(picker);
    WaitReady(picker);
    s_sim->ErrorStatus(kMembers + "2", 17);
    Tick(drv, {1, 2});
    ASSERT_TRUE(drv.Click(IDOK));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"The device did not accept the trunk members."});
    EXPECT_FALSE(drv.Ended());
    EXPECT_EQ(SetLines().size(), 1u);
    s_sim->ErrorStatus(kMembers + "2", 0);
    ASSERT_TRUE(drv.Click(IDOK));
    ASSERT_TRUE(drv.WaitEnded());
    EXPECT_EQ(drv.Result(), IDOK);
}

TEST_F(TrunkMemberPicker, OkOnASlowDeviceWaitsForEveryReadAndGivesTheSameOutcome) {
    // Every reply comes late: the learning ports and the trunk table are not there at first. OK is
    // unavailable until they are, and then the checks see the whole device.
    s_sim->DelayMs(40);
    CKSXTrunkPort picker;
    Configure(picker, "", "2", "Static");
    DialogDriver drv(picker);
    EXPECT_FALSE(picker.IsDlgItemEnabled(IDOK));
    EXPECT_FALSE(picker.IsDlgItemEnabled(IDC_TRUNKPORT_REFRESH));
    EXPECT_EQ(picker.GetDlgItemText(IDC_TRUNKPORT_STATUS),
              "Reading the port settings that the members are checked against...");
    Tick(drv, {1, 25});
    ASSERT_TRUE(drv.Click(IDOK));  // unavailable: nothing happens
    picker.DispatchCommand(IDOK);  // nor through Enter or a command
    EXPECT_TRUE(boxes.Texts().empty());
    WaitReady(picker);
    ASSERT_TRUE(drv.Click(IDOK));
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Cannot add the port as it is a member of another aggregated link !"});
    Tick(drv, {25}, false);
    Tick(drv, {2});
    ASSERT_TRUE(drv.Click(IDOK));
    ASSERT_TRUE(drv.WaitEnded(5000));
    EXPECT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(SetLines(), std::vector<std::string>{"8.1.3.1.2.2=x:c0000000 8.1.3.1.3.2=i:2"});
}

TEST_F(TrunkMemberPicker, AFailedReadIsNamedAndRefreshReadsAgain) {
    s_sim->ErrorStatus(P + ".15.2.1.1.10", 5);
    CKSXTrunkPort picker;
    Configure(picker, "", "2", "Static");
    DialogDriver drv(picker);
    ASSERT_TRUE(WaitUntil([&] { return picker.IsDlgItemEnabled(IDC_TRUNKPORT_REFRESH); }, 20000));
    EXPECT_FALSE(picker.IsDlgItemEnabled(IDOK));
    EXPECT_EQ(picker.GetDlgItemText(IDC_TRUNKPORT_STATUS),
              "Could not read the ACL ports. The members cannot be checked: press Refresh to read again.");
    Screenshot(&picker, "trunk_member_read_failed.png");
    s_sim->ErrorStatus(P + ".15.2.1.1.10", 0);
    ASSERT_TRUE(drv.Click(IDC_TRUNKPORT_REFRESH));
    WaitReady(picker);
    EXPECT_EQ(picker.GetDlgItemText(IDC_TRUNKPORT_STATUS), "");
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(TrunkMemberPicker, AfterAnInitialisationFailureOkRefusesWithoutChecking) {
    g_nPortNum = 0;
    CKSXTrunkPort picker;
    Configure(picker, "1,2", "2", "Static");
    DialogDriver drv(picker);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"TrunkValid Init Error !"});
    EXPECT_EQ(picker.GetDlgItemText(IDC_TRUNKPORT_ID), "");
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDOK));
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{"TrunkValid Init Error !", "TrunkValid Init Error !"}));
    EXPECT_FALSE(drv.Ended());
    EXPECT_TRUE(s_sim->Requests().empty());
}

TEST_F(TrunkMemberPicker, ClosingWhileTheReadsRunEndsThemAtOnce) {
    s_sim->DelayMs(300);
    CKSXTrunkPort picker;
    Configure(picker, "", "2", "Static");
    DialogDriver drv(picker);
    ASSERT_TRUE(drv.Click(IDCANCEL));
    ASSERT_TRUE(drv.WaitEnded());
    EXPECT_TRUE(picker.Logic().AnyLoadPending());
    EXPECT_TRUE(SetLines().empty());
}

class TrunkMemberPicker52 : public TrunkMemberPicker {
public:
    static void SetUpTestSuite() {
        test::SimSwitch::Options options;
        options.profile = "ksx-4200-52";
        StartSim(options);
    }

protected:
    void SetUp() override {
        TrunkMemberPicker::SetUp();
        g_nPortNum = 52;
    }
    int ProfilePorts() const override { return 52; }
};

TEST_F(TrunkMemberPicker52, TwoRowsOfPortsAndAnEightOctetBitmap) {
    CKSXTrunkPort picker;
    Configure(picker, "49,50", "4", "Static");
    DialogDriver drv(picker);
    for (int p = 1; p <= 52; ++p) {
        ASSERT_NE(drv.Item(2000 + p), nullptr) << p;
    }
    // Port 27 starts the second row, under port 1.
    EXPECT_GT(drv.Item(2027)->mapToGlobal(QPoint()).y(), drv.Item(2001)->mapToGlobal(QPoint()).y());
    EXPECT_EQ(drv.Item(2027)->mapToGlobal(QPoint()).x(), drv.Item(2001)->mapToGlobal(QPoint()).x());
    WaitReady(picker);
    Screenshot(&picker, "trunk_member_52.png");
    Tick(drv, {49, 50}, false);
    Tick(drv, {51, 52});
    ASSERT_TRUE(drv.Click(IDOK));
    ASSERT_TRUE(drv.WaitEnded());
    EXPECT_EQ(SetLines(), std::vector<std::string>{"8.1.3.1.2.4=x:0000000000003000 8.1.3.1.3.4=i:2"});
}

}  // namespace
