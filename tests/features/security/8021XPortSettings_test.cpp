// 802.1X port settings against the simulated switch (28 and 52 ports): the list as read, the three
// requests per port and their values, the trunk and all-ports rules, the range checks of the value
// fields, a refused write that says where it stopped, reads that fail or time out midway; and
// pictures of the four 802.1X dialogs at two font sizes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "features/security/8021XAuRadiusServerDLG.h"
#include "features/security/8021XGlobalDlg.h"
#include "features/security/8021XPortSettings.h"
#include "features/security/8021XUserDLG.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_dot1x.h"
#include "res/resource.h"
#include "tests/features/DialogTest.h"
#include "tests/features/StepRunTest.h"

namespace {

using namespace ksx;
using namespace ksx::dialogtest;

const std::string kEntry = "1.3.6.1.4.1.7393.10.76.20.1.23.2.1.1";
const std::string kTrunkColumn = "1.3.6.1.4.1.7393.10.76.20.1.8.1.3.1.2";
const size_t kCut = kEntry.size() + 1;  // set lines read "10.3=i:1"

// The three requests of one port.
std::vector<std::string> PortSets(int p, const std::string& capability, const std::string& control,
                                  const std::string& timers) {
    const std::string i = "." + std::to_string(p);
    std::vector<std::string> lines = {"10" + i + "=i:" + capability, "9" + i + "=i:" + control};
    std::string line;
    const char* columns[] = {"2", "3", "4", "5", "6", "7", "8", "11"};
    size_t start = 0;
    for (const char* c : columns) {
        const size_t comma = timers.find(',', start);
        const std::string value =
            timers.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        line += (line.empty() ? "" : " ") + std::string(c) + i + "=i:" + value;
        start = comma + 1;
    }
    lines.push_back(line);
    return lines;
}
const std::string kDefaults = "60,30,30,2,30,3600,2,0";

class Dot1xPortsBase : public test::SharedSimTest {
protected:
    void TearDown() override {
        for (const std::string& oid : {kEntry + ".9.4", kEntry + ".7.4", kTrunkColumn}) {
            s_sim->ErrorStatus(oid, 0);
        }
        SharedSimTest::TearDown();
    }
    static void WaitRead(C8021XPortSettings& dlg) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.PortTableRead() && dlg.TrunksRead(); }));
    }
    void Apply(DialogDriver& drv, int from, int to) {
        ASSERT_TRUE(drv.Select(IDC_D1XP_FROM, from - 1));
        ASSERT_TRUE(drv.Select(IDC_D1XP_TO, to - 1));
        boxes.Clear();
        s_sim->ClearLog();
        ASSERT_TRUE(drv.Click(IDC_D1XP_APPLY));
        // The write runs off the window's thread: wait for its end.
        auto& dlg = static_cast<C8021XPortSettings&>(drv.Dialog());
        ASSERT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }, 60000));
    }
    // Capability "Authenticator" with the given port control entry.
    static void Authenticator(DialogDriver& drv, int control) {
        ASSERT_TRUE(drv.Select(IDC_D1XP_CAPABILITY, 0));
        ASSERT_TRUE(drv.Select(IDC_D1XP_PORT_CONTROL, control));
    }
    static std::vector<std::string> Sets() { return SetLines(s_sim->Requests(), kCut); }
    // The sets of ports from..to with the defaults, trunk members 25 and 26 left out.
    static std::vector<std::string> RangeSets(int from, int to, const std::string& capability,
                                              const std::string& control) {
        std::vector<std::string> all;
        for (int p = from; p <= to; ++p) {
            if (p == 25 || p == 26) {
                continue;
            }
            const std::vector<std::string> port = PortSets(p, capability, control, kDefaults);
            all.insert(all.end(), port.begin(), port.end());
        }
        return all;
    }
    test::ScriptedMessageBox boxes;
};

class Dot1xPorts : public Dot1xPortsBase {};

TEST_F(Dot1xPorts, ListsThePortTableInColumnOrder) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_DOT1X_PORT));
    s_sim->Set(kEntry + ".11.2", "i", "5");
    s_sim->Set(kEntry + ".9.2", "i", "4");
    s_sim->Set(kEntry + ".8.2", "i", "0");
    s_sim->Set(kEntry + ".10.2", "i", "3");
    s_sim->Set(kEntry + ".11.3", "s", "1");  // not a number: shown as nothing
    C8021XPortSettings dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "802.1X Port Settings");
    // The first step of the port walk (the trunk walk runs beside it).
    std::vector<std::string> columns;
    for (const test::SimRequest& r : test::OfKind(s_sim->Requests(), "getnext")) {
        if (r.varbinds.empty() || r.varbinds[0].oid != kEntry + ".1") {
            continue;
        }
        for (const test::SimVarBind& vb : r.varbinds) {
            columns.push_back(vb.oid.substr(kCut));
        }
        break;
    }
    EXPECT_EQ(columns, (std::vector<std::string>{"1", "11", "9", "6", "2", "3", "4", "5", "7", "8", "10"}));
    ASSERT_EQ(drv.Rows(IDC_D1XP_LIST), 28);
    EXPECT_EQ(drv.Row(IDC_D1XP_LIST, 0),
              (std::vector<std::string>{"1", "Both", "Force Authorized", "30", "60", "30", "30", "2", "3600",
                                        "Disabled", "None"}));
    EXPECT_EQ(drv.Row(IDC_D1XP_LIST, 1),
              (std::vector<std::string>{"2", "In", "", "30", "60", "30", "30", "2", "3600", "Enabled", ""}));
    EXPECT_EQ(drv.Cell(IDC_D1XP_LIST, 2, 1), "");
    EXPECT_EQ(drv.Cell(IDC_D1XP_LIST, 27, 0), "28");
    EXPECT_EQ(boxes.Count(), 0u);

    // The form's start values.
    EXPECT_EQ(dlg.GetDlgItemText(IDC_D1XP_FROM), "1");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_D1XP_TO), "28");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_D1XP_QUIET), "60");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_D1XP_REAUTH_PERIOD), "3600");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_D1XP_PORT_CONTROL), "Force Authorized");
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_D1XP_PORT_CONTROL));
    ASSERT_TRUE(drv.Select(IDC_D1XP_CAPABILITY, 0));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_D1XP_PORT_CONTROL));
    ASSERT_TRUE(drv.Select(IDC_D1XP_FROM, 4));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_D1XP_TO), "5");
    ASSERT_TRUE(drv.Select(IDC_D1XP_TO, 2));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"\"to port\" can not be smaller than \"from port\""});
    EXPECT_EQ(dlg.GetDlgItemText(IDC_D1XP_TO), "5");
}

TEST_F(Dot1xPorts, WritesThreeRequestsPerPortAndReadsBack) {
    C8021XPortSettings dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    Authenticator(drv, 0);  // AUTO
    ASSERT_TRUE(drv.Select(IDC_D1XP_REAUTH, 1));
    ASSERT_TRUE(drv.Select(IDC_D1XP_DIRECTION, 1));
    ASSERT_TRUE(drv.Type(IDC_D1XP_QUIET, "0"));
    ASSERT_TRUE(drv.Type(IDC_D1XP_MAX_REQ, "10"));
    ASSERT_TRUE(drv.Type(IDC_D1XP_TX_PERIOD, "65535"));
    Apply(drv, 3, 4);
    std::vector<std::string> expected = PortSets(3, "1", "2", "0,30,30,10,65535,3600,1,1");
    const std::vector<std::string> port4 = PortSets(4, "1", "2", "0,30,30,10,65535,3600,1,1");
    expected.insert(expected.end(), port4.begin(), port4.end());
    EXPECT_EQ(Sets(), expected);
    WaitRead(dlg);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(drv.Row(IDC_D1XP_LIST, 2),
              (std::vector<std::string>{"3", "In", "Auto", "65535", "0", "30", "30", "10", "3600", "Enabled",
                                        "Authenticator"}));
    // The form is back at its start values.
    EXPECT_EQ(dlg.GetDlgItemText(IDC_D1XP_QUIET), "60");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_D1XP_CAPABILITY), "None");

    // Capability "None" writes port control 3 whatever Port Control shows; Force UnAuthorized is 1.
    Authenticator(drv, 2);
    ASSERT_TRUE(drv.Select(IDC_D1XP_CAPABILITY, 1));
    Apply(drv, 6, 6);
    EXPECT_EQ(Sets(), PortSets(6, "2", "3", kDefaults));
    WaitRead(dlg);
    Authenticator(drv, 2);
    Apply(drv, 7, 7);
    EXPECT_EQ(Sets(), PortSets(7, "1", "1", kDefaults));
    WaitRead(dlg);
}

TEST_F(Dot1xPorts, TrunkAndAllPortsRules) {
    C8021XPortSettings dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    // Ports 25 and 26 form a trunk: a range taking one of them is refused.
    for (const auto& [from, to] : {std::pair{20, 25}, std::pair{26, 28}}) {
        Apply(drv, from, to);
        EXPECT_EQ(boxes.Texts(),
                  std::vector<std::string>{"Cannot add the 802.1X-enabled port to an aggregated link."});
        EXPECT_TRUE(s_sim->Requests().empty());
    }
    // Every port with AUTO or Force UnAuthorized is refused; Force Authorized is written, the trunk's
    // members left out.
    for (int control : {0, 2}) {
        Authenticator(drv, control);
        Apply(drv, 1, 28);
        EXPECT_EQ(boxes.Texts(),
                  std::vector<std::string>{
                      "Could not set all port AUTO or Force Unauthorized to the port access control"});
        EXPECT_TRUE(s_sim->Requests().empty());
    }
    Authenticator(drv, 1);
    Apply(drv, 1, 28);
    EXPECT_EQ(Sets(), RangeSets(1, 28, "1", "3"));
    EXPECT_EQ(boxes.Count(), 0u);
    WaitRead(dlg);
    Authenticator(drv, 0);
    Apply(drv, 1, 27);
    EXPECT_EQ(Sets(), RangeSets(1, 27, "1", "2"));
    WaitRead(dlg);
    EXPECT_EQ(drv.Cell(IDC_D1XP_LIST, 26, 2), "Auto");
    EXPECT_EQ(drv.Cell(IDC_D1XP_LIST, 24, 2), "Force Authorized");  // trunk member, not written
}

TEST_F(Dot1xPorts, ValueFieldsAreCheckedInOrderAndSentAsNumbers) {
    C8021XPortSettings dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    for (int id : {IDC_D1XP_QUIET, IDC_D1XP_SUPP_TIMEOUT, IDC_D1XP_SERVER_TIMEOUT, IDC_D1XP_REAUTH_PERIOD,
                   IDC_D1XP_TX_PERIOD, IDC_D1XP_MAX_REQ}) {
        ASSERT_TRUE(drv.Type(id, ""));
    }
    const std::pair<int, std::string> order[] = {
        {IDC_D1XP_QUIET, "Invalid QuietPeriod"},
        {IDC_D1XP_SUPP_TIMEOUT, "Invalid SuppTimeout"},
        {IDC_D1XP_SERVER_TIMEOUT, "Invalid ServerTimeout"},
        {IDC_D1XP_REAUTH_PERIOD, "Invalid ReAuthPeriod"},
        {IDC_D1XP_TX_PERIOD, "Invalid TxPeriod"},
        {IDC_D1XP_MAX_REQ, "\tInvalid MaxReq."},
    };
    for (const auto& [id, message] : order) {
        Apply(drv, 2, 2);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{message});
        EXPECT_TRUE(s_sim->Requests().empty());
        EXPECT_EQ(QApplication::focusWidget(), drv.Item(id)) << message;
        ASSERT_TRUE(drv.Type(id, "7"));
    }
    // Out of range at either end; the edits take digits only, five (two for MaxReq) at most.
    const std::tuple<int, const char*, const char*> bad[] = {
        {IDC_D1XP_SUPP_TIMEOUT, "0", "Invalid SuppTimeout"},
        {IDC_D1XP_SERVER_TIMEOUT, "65536", "Invalid ServerTimeout"},
        {IDC_D1XP_TX_PERIOD, "0", "Invalid TxPeriod"},
        {IDC_D1XP_MAX_REQ, "11", "\tInvalid MaxReq."},
        {IDC_D1XP_MAX_REQ, "0", "\tInvalid MaxReq."},
        {IDC_D1XP_QUIET, "99999", "Invalid QuietPeriod"},
    };
    for (const auto& [id, text, message] : bad) {
        ASSERT_TRUE(drv.Type(id, text));
        Apply(drv, 2, 2);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{message}) << text;
        EXPECT_TRUE(s_sim->Requests().empty());
        ASSERT_TRUE(drv.Type(id, "7"));
    }
    ASSERT_TRUE(drv.Type(IDC_D1XP_QUIET, "0x1"));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_D1XP_QUIET), "01");
    ASSERT_TRUE(drv.Type(IDC_D1XP_MAX_REQ, "123"));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_D1XP_MAX_REQ), "12");
    ASSERT_TRUE(drv.Type(IDC_D1XP_MAX_REQ, "7"));
    Apply(drv, 2, 2);
    EXPECT_EQ(Sets(), PortSets(2, "2", "3", "1,7,7,7,7,7,2,0"));
}

TEST_F(Dot1xPorts, RefusedWriteSaysWhereItStopped) {
    C8021XPortSettings dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    s_sim->ErrorStatus(kEntry + ".9.4", 3);
    Apply(drv, 3, 5);
    std::vector<std::string> expected = PortSets(3, "2", "3", kDefaults);
    expected.push_back("10.4=i:2");
    expected.push_back("9.4=i:3");
    EXPECT_EQ(Sets(), expected);
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(boxes.Texts()[0], "Writing stopped at port 4: the device did not accept Port Control.");
    WaitRead(dlg);
    s_sim->ErrorStatus(kEntry + ".9.4", 0);

    // In the request of eight, the device's error index names the column.
    s_sim->ErrorStatus(kEntry + ".7.4", 3);
    ASSERT_TRUE(drv.Click(IDC_D1XP_REFRESH));
    WaitRead(dlg);
    Apply(drv, 4, 5);
    EXPECT_EQ(Sets().size(), 3u);
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(boxes.Texts()[0], "Writing stopped at port 4: the device did not accept ReAuthPeriod.");
    WaitRead(dlg);
}

TEST_F(Dot1xPorts, CloseDuringASlowWriteStopsItAndSaysWhatWasWritten) {
    C8021XPortSettings dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    // Every request answered a second late: three per port.
    s_sim->DelayMs(1000);
    s_sim->ClearLog();
    boxes.Clear();
    test::TickGap ticks;
    ASSERT_TRUE(drv.Click(IDC_D1XP_APPLY));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_D1XP_REFRESH));
    // Port 2's second write under way, its first one applied: port 2 is neither written nor unwritten.
    ASSERT_TRUE(WaitUntil([&] { return test::DistinctSets(*s_sim).size() >= 5; }, 20000));
    ASSERT_TRUE(WaitUntil([&] {
        return dlg.Run().ProgressShown() && dlg.Run().ProgressText() == "Writing port 2 (2 of 28)...";
    }));
    EXPECT_EQ(dlg.Run().ProgressText().toStdString(), "Writing port 2 (2 of 28)...");
    const long long liveGapMs = ticks.MaxGapMs();  // while the run went on
    drv.PressEscape();
    ASSERT_TRUE(drv.WaitEnded());
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{
                                 "Stopped: 1 of 28 ports were written; the device did not confirm whether "
                                 "port 2 was written; ports 3-28 were not written."});
    EXPECT_LT(liveGapMs, 250);
    const auto sets = test::DistinctSets(*s_sim);
    ASSERT_EQ(sets.size(), 5u);
    EXPECT_EQ(test::BindingText(sets[3].varbinds.at(0), kCut), "10.2=i:2");
    EXPECT_EQ(test::BindingText(sets[4].varbinds.at(0), kCut).rfind("9.2=", 0), 0u);
    EXPECT_FALSE(WaitUntil([&] { return test::DistinctSets(*s_sim).size() > 5; }, 2000));
}

TEST_F(Dot1xPorts, ADeviceFallingSilentMidWriteIsNamedAtItsPort) {
    C8021XPortSettings dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    s_sim->DelayMs(100);
    s_sim->ClearLog();
    boxes.Clear();
    ASSERT_TRUE(drv.Select(IDC_D1XP_TO, 9));
    ASSERT_TRUE(drv.Click(IDC_D1XP_APPLY));
    // Silent from the second request of port 3 on.
    ASSERT_TRUE(WaitUntil([&] { return test::DistinctSets(*s_sim).size() >= 7; }));
    s_sim->Silence(true);
    ASSERT_TRUE(WaitUntil([&] { return !dlg.Run().Running(); }, 20000));
    const auto sets = test::DistinctSets(*s_sim);
    ASSERT_GE(sets.size(), 7u);
    // The last write sent is the one not answered; the message names its port and column.
    const std::string last = test::BindingText(sets.back().varbinds.at(0), kCut);
    const int column = std::stoi(last.substr(0, last.find('.')));
    const int port = std::stoi(last.substr(last.find('.') + 1, last.find('=') - last.find('.') - 1));
    const std::string what = column == 10 ? "Capability" : column == 9 ? "Port Control" : "QuietPeriod";
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(boxes.Texts().front(), "Writing stopped at port " + std::to_string(port) +
                                         ": the device did not answer: it did not confirm whether " + what +
                                         " was written.");
    s_sim->Silence(false);
    WaitRead(dlg);
}

TEST_F(Dot1xPorts, ApplyWaitsForTheTrunkMembership) {
    s_sim->ErrorStatus(kTrunkColumn, 5);
    C8021XPortSettings dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the trunk membership."});
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_D1XP_APPLY));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_D1XP_REFRESH));
    EXPECT_EQ(drv.Rows(IDC_D1XP_LIST), 28);
    s_sim->ErrorStatus(kTrunkColumn, 0);
    ASSERT_TRUE(drv.Click(IDC_D1XP_REFRESH));
    WaitRead(dlg);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_D1XP_APPLY));
}

TEST_F(Dot1xPorts, WalkTimingOutMidwayKeepsItsRowsAndSaysSo) {
    g_strSnmpTimeout = "800";
    s_sim->DelayMs(20);
    C8021XPortSettings dlg;
    DialogDriver drv(dlg);
    // Silence once the trunk membership is in and the port walk is a few rows along.
    auto portSteps = [] {
        int n = 0;
        for (const test::SimRequest& r : test::OfKind(s_sim->Requests(), "getnext")) {
            n += r.varbinds.size() == 11 ? 1 : 0;
        }
        return n;
    };
    ASSERT_TRUE(WaitUntil([&] { return dlg.TrunksRead() && portSteps() >= 6; }));
    s_sim->Silence(true);
    WaitRead(dlg);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the 802.1X port settings."});
    const int rows = drv.Rows(IDC_D1XP_LIST);
    EXPECT_GE(rows, 3);
    EXPECT_LT(rows, 28);
    EXPECT_EQ(drv.Cell(IDC_D1XP_LIST, 0, 0), "1");
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_D1XP_REFRESH));
    s_sim->Silence(false);
    s_sim->DelayMs(0);
    ASSERT_TRUE(drv.Click(IDC_D1XP_REFRESH));
    WaitRead(dlg);
    EXPECT_EQ(drv.Rows(IDC_D1XP_LIST), 28);
}

class Dot1xPorts52 : public Dot1xPortsBase {
public:
    static void SetUpTestSuite() {
        test::SimSwitch::Options options;
        options.profile = "ksx-4200-52";
        StartSim(options);
    }

protected:
    void SetUp() override {
        Dot1xPortsBase::SetUp();
        g_nPortNum = 52;
    }
    void TearDown() override {
        g_nPortNum = 28;
        Dot1xPortsBase::TearDown();
    }
};

TEST_F(Dot1xPorts52, AllPortsRuleCountsFiftyTwo) {
    C8021XPortSettings dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    ASSERT_EQ(drv.Rows(IDC_D1XP_LIST), 52);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_D1XP_TO), "52");
    Authenticator(drv, 0);
    Apply(drv, 1, 52);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{
                  "Could not set all port AUTO or Force Unauthorized to the port access control"});
    EXPECT_TRUE(s_sim->Requests().empty());
    // 1 to 28 is every port of the smaller switch, not of this one.
    Apply(drv, 1, 28);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(Sets(), RangeSets(1, 28, "1", "2"));
    WaitRead(dlg);
    Authenticator(drv, 2);
    Apply(drv, 2, 52);
    EXPECT_EQ(Sets(), RangeSets(2, 52, "1", "1"));
    WaitRead(dlg);
    Apply(drv, 24, 25);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Cannot add the 802.1X-enabled port to an aggregated link."});
    Authenticator(drv, 1);
    Apply(drv, 1, 52);
    EXPECT_EQ(Sets().size(), 150u);
    WaitRead(dlg);
    EXPECT_EQ(drv.Cell(IDC_D1XP_LIST, 51, 2), "Force Authorized");
    EXPECT_EQ(drv.Cell(IDC_D1XP_LIST, 50, 2), "Force Authorized");
}

// ---- pictures ----

// Controls showing a text that got less than their text needs.
std::vector<std::string> Clipped(QWidget* dlg) {
    std::vector<std::string> out;
    for (QWidget* w : dlg->findChildren<QWidget*>()) {
        const bool text = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) ||
                          qobject_cast<QComboBox*>(w) || qobject_cast<QGroupBox*>(w);
        if (!w->isVisible() || !text) {
            continue;
        }
        const QSize need = w->minimumSizeHint();
        if (w->width() < need.width() || w->height() < need.height()) {
            out.push_back(std::string(w->metaObject()->className()) + " " +
                          std::to_string(CDialog::GetDlgCtrlID(w)));
        }
    }
    return out;
}

int Overlaps(QWidget* dlg) {
    int count = 0;
    for (QWidget* parent : dlg->findChildren<QWidget*>()) {
        std::vector<QWidget*> kids;
        for (QObject* o : parent->children()) {
            auto* w = qobject_cast<QWidget*>(o);
            if (w != nullptr && w->isVisible() && !w->isWindow()) {
                kids.push_back(w);
            }
        }
        for (size_t i = 0; i < kids.size(); ++i) {
            for (size_t j = i + 1; j < kids.size(); ++j) {
                count += kids[i]->geometry().intersects(kids[j]->geometry()) ? 1 : 0;
            }
        }
    }
    return count;
}

void Pictures(const std::string& suffix, bool portsOnly) {
    struct Maker {
        const char* name;
        std::function<std::unique_ptr<CDialog>()> make;
        std::function<bool(CDialog&)> read;
    };
    const std::vector<Maker> makers = {
        {"dot1x_port_settings", [] { return std::make_unique<C8021XPortSettings>(); },
         [](CDialog& d) { return static_cast<C8021XPortSettings&>(d).PortTableRead(); }},
        {"dot1x_radius", [] { return std::make_unique<C8021XAuRadiusServerDLG>(); },
         [](CDialog& d) { return static_cast<C8021XAuRadiusServerDLG&>(d).ReadEnded(); }},
        {"dot1x_user", [] { return std::make_unique<C8021XUserDLG>(); },
         [](CDialog& d) { return static_cast<C8021XUserDLG&>(d).ReadEnded(); }},
        {"dot1x_global", [] { return std::make_unique<C8021XGlobalDlg>(); }, [](CDialog&) { return true; }},
    };
    const QFont normal = QApplication::font();
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/security";
    QDir().mkpath(dir);
    for (double scale : {1.0, 1.5}) {
        QFont font = normal;
        font.setPointSizeF(normal.pointSizeF() * scale);
        QApplication::setFont(font);
        for (const Maker& m : makers) {
            if (portsOnly && std::string(m.name) != "dot1x_port_settings") {
                continue;
            }
            std::unique_ptr<CDialog> dlg = m.make();
            DialogDriver drv(*dlg);
            EXPECT_TRUE(WaitUntil([&] { return m.read(*dlg); }));
            test::PumpEvents();
            EXPECT_EQ(Clipped(dlg.get()), std::vector<std::string>{}) << m.name << " at " << scale;
            EXPECT_EQ(Overlaps(dlg.get()), 0) << m.name << " at " << scale;
            const QString file =
                QString("%1/%2%3_%4.png").arg(dir, m.name, suffix.c_str(), scale == 1.0 ? "1x" : "1.5x");
            EXPECT_TRUE(test::GrabScreenshot(dlg.get(), file.toStdString()));
        }
    }
    QApplication::setFont(normal);
}

TEST_F(Dot1xPorts, PicturesAtTwoFontSizes) {
    Pictures("", false);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(Dot1xPorts52, PicturesAtTwoFontSizes) {
    Pictures("_52", true);
    EXPECT_EQ(boxes.Count(), 0u);
}

}  // namespace
