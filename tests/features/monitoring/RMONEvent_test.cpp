// The RMON event dialog against the simulated switch: every read renews the alarms' event references
// before the event walk; Apply checks (the trap community against the agent's community table read when
// the dialog opened) and creates; Delete refuses an event an alarm names as its rising or, mended, its
// falling event, and an event whose alarm references could not be read.
#include <QComboBox>

#include "core/Utils.h"
#include "features/monitoring/RMONEvent.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_rmon.h"
#include "res/resource.h"
#include "tests/features/monitoring/RmonTestSupport.h"

namespace {

using namespace ksx;
using namespace ksx::test;
using namespace ksx::test::rmon;

const std::string kCommunityName = "1.3.6.1.4.1.7393.10.76.20.1.25.5.1.1.1";
const char kInUse[] = "This event cannot be deleted since dependent alarm entry exists !";
const char kNoCommunity[] =
    "Community Name doesn't exist on SNMP host table.\n Please create SNMP host table first.";

class RMONEventTest : public RmonTest {
protected:
    // A row of the agent's community table, indexed by the name's length and octets.
    static void AddCommunity(const std::string& name) {
        std::string index = "." + std::to_string(name.size());
        for (unsigned char c : name) {
            index += "." + std::to_string(c);
        }
        s_sim->Set(kCommunityName + index, "s", name);
    }
    std::vector<std::string> Apply(DialogDriver& drv, CRMONEvent& dlg, const std::string& index,
                                   const std::string& description, int type, const std::string& community,
                                   const std::string& owner = "ops") {
        boxes.Clear();
        dlg.SetDlgItemText(IDC_RMONE_INDEX, index);
        dlg.SetDlgItemText(IDC_RMONE_DESCRIPTION, description);
        dlg.Item<QComboBox>(IDC_RMONE_TYPE)->setCurrentIndex(type - 1);
        dlg.SetDlgItemText(IDC_RMONE_COMMUNITY, community);
        dlg.SetDlgItemText(IDC_RMONE_OWNER, owner);
        EXPECT_TRUE(drv.Click(IDC_RMONE_APPLY));
        EXPECT_TRUE(WaitIdle(dlg));
        return boxes.Texts();
    }
    // The event read has ended and so has the community walk beside it: Apply is usable.
    static bool WaitReady(CRMONEvent& dlg) {
        return WaitUntil([&] { return !dlg.Busy() && dlg.IsDlgItemEnabled(IDC_RMONE_APPLY); }, 10000);
    }
    // Row of an event by its index, -1 when not shown.
    static int RowOf(CRMONEvent& dlg, const std::string& index) {
        for (int r = 0; r < dlg.List()->GetItemCount(); ++r) {
            if (dlg.List()->GetItemText(r, 0).toStdString() == index) {
                return r;
            }
        }
        return -1;
    }
};

TEST_F(RMONEventTest, ReadsTheAlarmReferencesThenTheEvents) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_RMON_EVENT));
    CRMONEvent dlg;
    DialogDriver drv(dlg);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_RMONE_APPLY));
    ASSERT_TRUE(WaitReady(dlg));
    EXPECT_EQ(dlg.GetWindowText(), "RMON Event Configuration");
    const std::vector<std::string> headings = {"Index", "Description",     "Type", "Community",
                                               "Owner", " Last Time Sent", ""};
    for (int c = 0; c < 7; ++c) {
        EXPECT_EQ(dlg.List()->horizontalHeaderItem(c)->text().toStdString(), headings[c]);
    }
    ASSERT_EQ(dlg.List()->GetItemCount(), 3);
    // 12345 hundredths are 123 seconds; a TimeTicks value past 2^31 keeps its value.
    EXPECT_EQ(Row(dlg, 0), (std::vector<std::string>{"1", "Rising alarm", "Log and Trap", "public", "monitor",
                                                     "2 mins,3 secs"}));
    EXPECT_EQ(Row(dlg, 1), (std::vector<std::string>{"2", "Falling alarm", "Log", "", "monitor",
                                                     CUtils::FormatUptime(42949672)}));
    EXPECT_EQ(Row(dlg, 2), (std::vector<std::string>{"3", "Spare", "None", "", "", "0"}));
    EXPECT_EQ(dlg.m_arrIndexList, (std::vector<int>{1, 2, 3}));

    // The alarm reference walk (rising and falling event columns) ends before the event walk starts.
    const auto walks = OfKind(s_sim->Requests(), "getnext");
    int refs = -1;
    int events = -1;
    for (size_t i = 0; i < walks.size(); ++i) {
        if (refs < 0 && walks[i].varbinds.size() == 2 && walks[i].varbinds[0].oid == kAlarm + ".7") {
            refs = static_cast<int>(i);
            EXPECT_EQ(walks[i].varbinds[1].oid, kAlarm + ".8");
        }
        if (events < 0 && walks[i].varbinds.size() == 7 && walks[i].varbinds[0].oid == kEvent + ".1") {
            events = static_cast<int>(i);
            EXPECT_EQ(walks[i].varbinds[6].oid, "1.3.6.1.2.1.16.9.1.1.5");
        }
    }
    ASSERT_GE(refs, 0);
    ASSERT_GT(events, refs);
    for (size_t i = static_cast<size_t>(events); i < walks.size(); ++i) {
        EXPECT_NE(walks[i].varbinds[0].oid.rfind(kAlarm + ".7", 0), 0u) << "reference walk step after events";
    }
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_RMONE_APPLY));
}

TEST_F(RMONEventTest, DeleteIsRefusedForEventsAnAlarmNamesRisingOrFalling) {
    CRMONEvent dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitIdle(dlg));
    s_sim->ClearLog();
    // Event 1 is the alarm's rising event, event 2 only its falling event.
    for (const char* index : {"1", "2"}) {
        boxes.Clear();
        ASSERT_TRUE(ClickDelete(dlg, RowOf(dlg, index)));
        ASSERT_TRUE(WaitIdle(dlg));
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{kInUse}) << index;
    }
    EXPECT_TRUE(OfKind(s_sim->Requests(), "set").empty());
    EXPECT_EQ(dlg.List()->GetItemCount(), 3);

    boxes.Clear();
    ASSERT_TRUE(ClickDelete(dlg, RowOf(dlg, "3")));
    ASSERT_TRUE(WaitIdle(dlg));
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(SetLines(s_sim->Requests(), 0), std::vector<std::string>{kEvent + ".6.3=i:4"});
    EXPECT_EQ(RowOf(dlg, "3"), -1);

    // An alarm created meanwhile is seen by the next read: its falling event is then in use too.
    s_sim->Set(kAlarm + ".1.4", "i", "4");
    s_sim->Set(kAlarm + ".7.4", "i", "2");
    s_sim->Set(kAlarm + ".8.4", "i", "1");
    s_sim->Set(kAlarm + ".8.1", "i", "1");
    ASSERT_TRUE(drv.Click(IDC_RMONE_REFRESH));
    ASSERT_TRUE(WaitIdle(dlg));
    s_sim->Set(kAlarm + ".8.1", "i", "2");
    s_sim->ClearLog();
    boxes.Clear();
    ASSERT_TRUE(ClickDelete(dlg, RowOf(dlg, "2")));
    ASSERT_TRUE(WaitIdle(dlg));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{kInUse});
    EXPECT_TRUE(OfKind(s_sim->Requests(), "set").empty());
}

TEST_F(RMONEventTest, ControlsAndDeleteButtonsWaitForBothWalks) {
    CRMONEvent dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitReady(dlg));  // no community walk step among the refresh's requests
    s_sim->DelayMs(300);
    s_sim->ClearLog();
    ASSERT_TRUE(drv.Click(IDC_RMONE_REFRESH));
    // Through the reference walk and the event walk alike.
    for (const std::string& column : {kAlarm + ".7", kEvent + ".1"}) {
        ASSERT_TRUE(WaitUntil([&] {
            const auto log = s_sim->Requests();
            return !log.empty() && log.back().varbinds[0].oid.rfind(column, 0) == 0;
        })) << testing::PrintToString(Log());
        EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_RMONE_APPLY)) << column;
        EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_RMONE_REFRESH)) << column;
        EXPECT_FALSE(dlg.List()->GetItemButton(2, dlg.ButtonColumn())->isEnabled()) << column;
    }
    ClickDelete(dlg, 2);  // ignored
    ASSERT_TRUE(WaitIdle(dlg));
    EXPECT_TRUE(OfKind(s_sim->Requests(), "set").empty());
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_RMONE_APPLY));
    EXPECT_TRUE(dlg.List()->GetItemButton(2, dlg.ButtonColumn())->isEnabled());
}

TEST_F(RMONEventTest, DeleteWaitsForAWholeAlarmRead) {
    FailOn(kAlarm + ".8");
    CRMONEvent dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitIdle(dlg));
    ASSERT_EQ(dlg.List()->GetItemCount(), 3);  // the events are read all the same
    s_sim->ClearLog();
    boxes.Clear();
    ASSERT_TRUE(ClickDelete(dlg, RowOf(dlg, "3")));
    ASSERT_TRUE(WaitIdle(dlg));
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Failed to read the RMON alarm table: the event was not deleted."});
    EXPECT_TRUE(OfKind(s_sim->Requests(), "set").empty());
}

TEST_F(RMONEventTest, ApplyChecksAndCreates) {
    AddCommunity("public");
    CRMONEvent dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitReady(dlg));
    struct Case {
        std::string index, description;
        int type;
        std::string community, text;
    };
    const std::vector<Case> refused = {
        {"0", "d", 1, "", "Index number must be between 1 and 65535!"},
        {"65536", "d", 1, "", "Index number must be between 1 and 65535!"},
        {"", "d", 1, "", "Index number must be between 1 and 65535!"},
        {"2", "d", 1, "", "Setting error. Index number had already exits!"},
        {"9", "", 1, "", "Fill inputs which are marked '*'!"},
        {"9", "d", 3, "nosuch", kNoCommunity},
        {"9", "d", 4, "", kNoCommunity},
    };
    s_sim->ClearLog();
    for (const Case& c : refused) {
        EXPECT_EQ(Apply(drv, dlg, c.index, c.description, c.type, c.community),
                  std::vector<std::string>{c.text});
        // The form is empty again after a refused Apply.
        EXPECT_EQ(dlg.GetDlgItemText(IDC_RMONE_DESCRIPTION), "");
        EXPECT_EQ(dlg.GetDlgItemText(IDC_RMONE_TYPE), "None");
    }
    EXPECT_TRUE(OfKind(s_sim->Requests(), "set").empty());

    // A trap event names a known community.
    s_sim->ClearLog();
    EXPECT_EQ(Apply(drv, dlg, "9", "Port down", 3, "public"), std::vector<std::string>{});
    EXPECT_EQ(RequestLines(OfKind(s_sim->Requests(), "get")),
              std::vector<std::string>{"get " + kEvent + ".6.9=n:"});
    EXPECT_EQ(SetLines(s_sim->Requests(), kEvent.size() + 1),
              (std::vector<std::string>{"6.9=i:2", "2.9=s:Port down", "3.9=i:3", "4.9=s:public", "5.9=s:ops",
                                        "6.9=i:1"}));
    ASSERT_GE(RowOf(dlg, "9"), 0);
    EXPECT_EQ(Row(dlg, RowOf(dlg, "9"))[2], "SNMP Trap");

    // A log event is created without its community.
    s_sim->ClearLog();
    EXPECT_EQ(Apply(drv, dlg, "10", "Logged", 2, "public", ""), std::vector<std::string>{});
    EXPECT_EQ(SetLines(s_sim->Requests(), kEvent.size() + 1),
              (std::vector<std::string>{"6.10=i:2", "2.10=s:Logged", "3.10=i:2", "5.10=s:", "6.10=i:1"}));

    // A community created after the dialog opened is not known to it.
    AddCommunity("later");
    EXPECT_EQ(Apply(drv, dlg, "11", "d", 4, "later"), std::vector<std::string>{kNoCommunity});
}

TEST_F(RMONEventTest, CellsThatDidNotReadAreEmpty) {
    s_sim->Set(kEvent + ".3.1", "s", "4");                 // row 1's type as text
    s_sim->Unset(kEvent + ".2.2");                         // row 2's description missing
    s_sim->Set("1.3.6.1.2.1.16.9.1.1.5.1", "i", "12345");  // row 1's time sent as an integer
    s_sim->Set(kEvent + ".4.1", "o", "1.3.6");             // row 1's community of the wrong type
    CRMONEvent dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitIdle(dlg));
    ASSERT_EQ(dlg.List()->GetItemCount(), 3);
    EXPECT_EQ(Row(dlg, 0), (std::vector<std::string>{"1", "Rising alarm", "", "", "monitor", ""}));
    EXPECT_EQ(Row(dlg, 1),
              (std::vector<std::string>{"2", "", "Log", "", "monitor", CUtils::FormatUptime(42949672)}));
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(RMONEventTest, Screens) {
    CheckScreens("event", [] { return std::make_unique<CRMONEvent>(); });
}

}  // namespace
