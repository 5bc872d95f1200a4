// The RMON alarm dialog against the simulated switch: the list and its Delete buttons, the two-phase
// Apply (events read, then the checks in their order, then the row created), and the mended faults: the
// whole variable form and its normalised OID, intervals and thresholds bound to 32 bits, the controls
// and Delete buttons unavailable during a walk, a failed creation undone and told, an event read that
// failed stopping Apply.
#include <QComboBox>
#include <QLineEdit>

#include "features/monitoring/RmonAlarm.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_rmon.h"
#include "res/resource.h"
#include "tests/features/monitoring/RmonTestSupport.h"

namespace {

using namespace ksx;
using namespace ksx::test;
using namespace ksx::test::rmon;

const char kVariableFormat[] =
    "Variable Format is 1.3.6.1.2.1.2.2.1.X.Y!\nX = standard MIB Entry between 10~21\nY = Device Port Number";

class RmonAlarmTest : public RmonTest {
protected:
    struct Form {
        std::string index = "7", interval = "300", variable = "1.3.6.1.2.1.2.2.1.10.3", rising = "500",
                    falling = "50", risingEvent = "1", fallingEvent = "2", owner = "ops";
        int sample = 1;
    };
    // Fills the form, presses Apply and waits until the alarms were read again; the boxes shown.
    std::vector<std::string> Apply(DialogDriver& drv, CRmonAlarm& dlg, const Form& f) {
        boxes.Clear();
        dlg.SetDlgItemText(IDC_RMONA_INDEX, f.index);
        dlg.SetDlgItemText(IDC_RMONA_INTERVAL, f.interval);
        dlg.SetDlgItemText(IDC_RMONA_VARIABLE, f.variable);
        dlg.Item<QComboBox>(IDC_RMONA_SAMPLE_TYPE)->setCurrentIndex(f.sample);
        dlg.SetDlgItemText(IDC_RMONA_RISING, f.rising);
        dlg.SetDlgItemText(IDC_RMONA_FALLING, f.falling);
        dlg.SetDlgItemText(IDC_RMONA_RISING_EVENT, f.risingEvent);
        dlg.SetDlgItemText(IDC_RMONA_FALLING_EVENT, f.fallingEvent);
        dlg.SetDlgItemText(IDC_RMONA_OWNER, f.owner);
        EXPECT_TRUE(drv.Click(IDC_RMONA_APPLY));
        EXPECT_TRUE(WaitIdle(dlg));
        return boxes.Texts();
    }
};

TEST_F(RmonAlarmTest, ListsValidAlarmsWithADeleteButtonEach) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_RMON_ALARM));
    s_sim->Set(kAlarm + ".1.5", "i", "5");
    s_sim->Set(kAlarm + ".10.5", "i", "3");  // under creation: not shown
    CRmonAlarm dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitIdle(dlg));
    EXPECT_EQ(dlg.GetWindowText(), "RMON Alarm Configuration");
    const std::vector<std::string> headings = {"Index",
                                               "Interval",
                                               "Variable",
                                               "Sample Type",
                                               "Rising Threshold",
                                               "Falling Threshold",
                                               "Rising Event Index",
                                               "Falling Event Index",
                                               "Owner",
                                               ""};
    ASSERT_EQ(dlg.List()->GetColumnCount(), 10);
    for (int c = 0; c < 10; ++c) {
        EXPECT_EQ(dlg.List()->horizontalHeaderItem(c)->text().toStdString(), headings[c]);
    }
    ASSERT_EQ(dlg.List()->GetItemCount(), 1);
    EXPECT_EQ(Row(dlg, 0), (std::vector<std::string>{"1", "300", "1.3.6.1.2.1.2.2.1.10.1", "Delta value",
                                                     "1000", "100", "1", "2", "monitor"}));
    EXPECT_EQ(dlg.m_arrAlarmIndexList, std::vector<int>{1});
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RMONA_INTERVAL), "300");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RMONA_SAMPLE_TYPE), "Absolute value");
    // One walk of the ten columns, from the table's first row on.
    const auto walks = OfKind(s_sim->Requests(), "getnext");
    ASSERT_FALSE(walks.empty());
    ASSERT_EQ(walks[0].varbinds.size(), 10u);
    for (int c = 0; c < 10; ++c) {
        EXPECT_EQ(walks[0].varbinds[c].oid, kAlarm + "." + std::to_string(c + 1));
    }
    EXPECT_EQ(boxes.Count(), 0u);

    // Index 5 is not valid, so it is not refused as taken; another manager's row, replaced on Yes.
    s_sim->ClearLog();
    EXPECT_EQ(Apply(drv, dlg, Form{.index = "5"}),
              std::vector<std::string>{
                  "The device already holds the RMON alarm entry 5, being created. Replace it?"});
    EXPECT_EQ(SetLines(s_sim->Requests(), kAlarm.size() + 1)[0], "10.5=i:4");

    // Delete: one SET of the row's status, then the list read again.
    s_sim->ClearLog();
    ASSERT_EQ(dlg.List()->GetItemCount(), 2);
    ASSERT_TRUE(ClickDelete(dlg, 0));
    ASSERT_TRUE(WaitIdle(dlg));
    EXPECT_EQ(SetLines(s_sim->Requests(), 0), std::vector<std::string>{kAlarm + ".10.1=i:4"});
    ASSERT_EQ(dlg.List()->GetItemCount(), 1);
    EXPECT_EQ(Row(dlg, 0)[0], "5");
    ASSERT_TRUE(ClickDelete(dlg, 0));
    ASSERT_TRUE(WaitIdle(dlg));
    EXPECT_EQ(dlg.List()->GetItemCount(), 0);
}

TEST_F(RmonAlarmTest, CellsThatDidNotReadAreEmpty) {
    s_sim->Set(kAlarm + ".5.1", "s", "1000");  // the rising threshold as text
    s_sim->Unset(kAlarm + ".4.1");             // the sample type missing
    s_sim->Set(kAlarm + ".3.1", "i", "10");    // the variable of the wrong type
    CRmonAlarm dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitIdle(dlg));
    ASSERT_EQ(dlg.List()->GetItemCount(), 1);
    EXPECT_EQ(Row(dlg, 0), (std::vector<std::string>{"1", "300", "", "", "", "100", "1", "2", "monitor"}));
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(RmonAlarmTest, ApplyReadsTheEventsThenCreatesTheAlarmWithItsNormalisedVariable) {
    CRmonAlarm dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitIdle(dlg));
    s_sim->ClearLog();
    Form f;
    f.variable = " .1.3.6.1.2.1.2.2.1.010.03 ";
    EXPECT_EQ(Apply(drv, dlg, f), std::vector<std::string>{});
    const std::string a = kAlarm + ".";
    const std::vector<std::string> expected = {
        "getnext " + kEvent + ".1=n: " + kEvent + ".2=n: " + kEvent + ".3=n: " + kEvent + ".4=n: " + kEvent +
            ".5=n: " + kEvent + ".6=n: 1.3.6.1.2.1.16.9.1.1.5=n:",
        "set " + a + "10.7=i:2",
        "set " + a + "3.7=o:1.3.6.1.2.1.2.2.1.10.3",
        "set " + a + "2.7=i:300",
        "set " + a + "4.7=i:2",
        "set " + a + "5.7=i:500",
        "set " + a + "6.7=i:50",
        "set " + a + "7.7=i:1",
        "set " + a + "8.7=i:2",
        "set " + a + "9.7=s:ops",
        "set " + a + "10.7=i:1",
    };
    std::vector<std::string> log = Log();
    // The event walk's further steps and the status read before the sets.
    std::vector<std::string> shown;
    for (const std::string& line : log) {
        if (line.rfind("set ", 0) == 0 || (shown.empty() && line.rfind("getnext ", 0) == 0)) {
            shown.push_back(line);
        }
    }
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(OfKind(s_sim->Requests(), "get").size(), 1u);
    EXPECT_EQ(OfKind(s_sim->Requests(), "get")[0].varbinds[0].oid, a + "10.7");
    ASSERT_EQ(dlg.List()->GetItemCount(), 2);
    EXPECT_EQ(Row(dlg, 1), (std::vector<std::string>{"7", "300", "1.3.6.1.2.1.2.2.1.10.3", "Delta value",
                                                     "500", "50", "1", "2", "ops"}));
    // The form keeps its texts.
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RMONA_INDEX), "7");
}

TEST_F(RmonAlarmTest, ChecksRefuseBadInputInOrderAndSendNothing) {
    CRmonAlarm dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitIdle(dlg));
    struct Case {
        Form form;
        std::string text;
    };
    auto with = [](auto change) {
        Form f;
        change(f);
        return f;
    };
    const std::vector<Case> cases = {
        {with([](Form& f) { f.index = ""; }), "Index number must be between 1 and 65535!"},
        {with([](Form& f) { f.index = "0"; }), "Index number must be between 1 and 65535!"},
        {with([](Form& f) { f.index = "1"; }), "Index had already exits!"},
        {with([](Form& f) { f.interval = "0"; }), "Interval number must be between 1 and 2147483647!"},
        {with([](Form& f) { f.interval = "2147483648"; }),
         "Interval number must be between 1 and 2147483647!"},
        {with([](Form& f) { f.variable = "1.3.6.1.2.1.2.2.1.10"; }), kVariableFormat},
        {with([](Form& f) { f.variable = "x1.3.6.1.2.1.2.2.1.10.1"; }), kVariableFormat},
        {with([](Form& f) { f.variable = "1.3.6.1.2.1.2.2.1.10.1a"; }), kVariableFormat},
        {with([](Form& f) { f.variable = "1.3.6.1.2.1.2.2.1.9.3"; }), kVariableFormat},
        {with([](Form& f) { f.variable = "1.3.6.1.2.1.2.2.1.22.3"; }), kVariableFormat},
        {with([](Form& f) { f.variable = "1.3.6.1.2.1.2.2.1.10.29"; }), kVariableFormat},
        {with([](Form& f) { f.variable = "1.3.6.1.2.1.2.2.1.10.0"; }), kVariableFormat},
        {with([](Form& f) { f.rising = "2147483648"; }), "Rising Threshold must be between 0 and 2^31-1!"},
        {with([](Form& f) { f.rising = "-1"; }), "Rising Threshold must be between 0 and 2^31-1!"},
        {with([](Form& f) { f.falling = "4294967295"; }), "Filling Threshold must be between 0 and 2^31-1!"},
        {with([](Form& f) { f.risingEvent = "0"; }), "Rising event index must be between 1 and 65535!"},
        {with([](Form& f) { f.risingEvent = "65536"; }), "Rising event index must be between 1 and 65535!"},
        {with([](Form& f) {
             f.rising = "";
             f.falling = "";
         }),
         "Falling-threshold should be less than Rising-threshold !"},
        {with([](Form& f) { f.risingEvent = "9"; }), "Event Index is not exist,please add first!"},
        {with([](Form& f) { f.fallingEvent = "65536"; }),
         "Failling event index must be between 1 and 65535!"},
        {with([](Form& f) { f.fallingEvent = ""; }), "Failling event index must be between 1 and 65535!"},
        {with([](Form& f) { f.fallingEvent = "9"; }), "Event Index is not exist,please add first!"},
    };
    for (const Case& c : cases) {
        s_sim->ClearLog();
        EXPECT_EQ(Apply(drv, dlg, c.form), std::vector<std::string>{c.text}) << c.form.variable;
        EXPECT_EQ(OfKind(s_sim->Requests(), "set").size(), 0u) << c.text;
    }
    // Only the first five characters typed into the index remain.
    ASSERT_TRUE(drv.Type(IDC_RMONA_INDEX, "1234567"));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RMONA_INDEX), "12345");

    // An event present only under creation counts as existing; the largest values pass.
    s_sim->Set(kEvent + ".1.9", "i", "9");
    s_sim->Set(kEvent + ".6.9", "i", "3");
    s_sim->ClearLog();
    Form edge;
    edge.interval = "2147483647";
    edge.rising = "2147483647";
    edge.variable = "1.3.6.1.2.1.2.2.1.21.28";
    edge.risingEvent = "9";
    EXPECT_EQ(Apply(drv, dlg, edge), std::vector<std::string>{});
    EXPECT_EQ(SetLines(s_sim->Requests(), kAlarm.size() + 1),
              (std::vector<std::string>{"10.7=i:2", "3.7=o:1.3.6.1.2.1.2.2.1.21.28", "2.7=i:2147483647",
                                        "4.7=i:2", "5.7=i:2147483647", "6.7=i:50", "7.7=i:9", "8.7=i:2",
                                        "9.7=s:ops", "10.7=i:1"}));
}

TEST_F(RmonAlarmTest, ControlsAndDeleteButtonsWaitForTheWalk) {
    CRmonAlarm dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitIdle(dlg));
    ASSERT_EQ(dlg.List()->GetItemCount(), 1);
    s_sim->DelayMs(400);
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_RMONA_REFRESH));
    EXPECT_TRUE(dlg.Busy());
    for (int id : {IDC_RMONA_REFRESH, IDC_RMONA_APPLY, IDC_RMONA_CLOSE, IDC_RMONA_INDEX}) {
        EXPECT_FALSE(dlg.IsDlgItemEnabled(id)) << id;
    }
    CButtonEx* button = dlg.List()->GetItemButton(0, dlg.ButtonColumn());
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(button->isEnabled());
    ClickDelete(dlg, 0);  // ignored
    ASSERT_TRUE(WaitIdle(dlg));
    EXPECT_TRUE(OfKind(s_sim->Requests(), "set").empty());
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_RMONA_APPLY));
    EXPECT_TRUE(dlg.List()->GetItemButton(0, dlg.ButtonColumn())->isEnabled());
}

TEST_F(RmonAlarmTest, FailedCreationIsUndoneAndTold) {
    CRmonAlarm dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitIdle(dlg));
    FailOn(kAlarm + ".9.7");  // the owner
    s_sim->ClearLog();
    EXPECT_EQ(Apply(drv, dlg, Form{}),
              std::vector<std::string>{
                  "Failed to create the RMON alarm entry 7: the device did not accept the owner. The RMON "
                  "alarm entry 7 was not added."});
    const auto sets = SetLines(s_sim->Requests(), kAlarm.size() + 1);
    ASSERT_GE(sets.size(), 3u);
    EXPECT_EQ(sets.front(), "10.7=i:2");
    EXPECT_EQ(sets[sets.size() - 2], "9.7=s:ops");
    EXPECT_EQ(sets.back(), "10.7=i:4");  // not left under creation
    EXPECT_EQ(s_sim->Get(kAlarm + ".10.7"), "");
    EXPECT_EQ(dlg.List()->GetItemCount(), 1);
}

TEST_F(RmonAlarmTest, FailedEventReadStopsApply) {
    CRmonAlarm dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitIdle(dlg));
    FailOn("1.3.6.1.2.1.16.9.1.1.5");  // a column of the event walk
    s_sim->ClearLog();
    EXPECT_EQ(Apply(drv, dlg, Form{}),
              std::vector<std::string>{"Failed to read the RMON event table: the alarm was not created."});
    EXPECT_TRUE(OfKind(s_sim->Requests(), "set").empty());
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_RMONA_REFRESH));
}

TEST_F(RmonAlarmTest, FailedAlarmReadIsToldAndKeepsApplyUnavailable) {
    FailOn(kAlarm + ".1");
    CRmonAlarm dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitIdle(dlg));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the RMON alarm table."});
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_RMONA_APPLY));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_RMONA_REFRESH));
    s_sim->ErrorStatus(kAlarm + ".1", 0);
    ASSERT_TRUE(drv.Click(IDC_RMONA_REFRESH));
    ASSERT_TRUE(WaitIdle(dlg));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_RMONA_APPLY));
    EXPECT_EQ(dlg.List()->GetItemCount(), 1);
}

TEST_F(RmonAlarmTest, Screens) {
    CheckScreens("alarm", [] { return std::make_unique<CRmonAlarm>(); });
}

}  // namespace
