// The group dialog against the simulated switch: the active groups listed, the add sequence, the level
// used only for v3, duplicates by name and model, names not trimmed, the maximum of 50, delete by the
// row's key, and a failed step undone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "features/snmp_agent/SNMPGroup.h"
#include "platform/sys/Tunable.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_snmp_agent.h"
#include "tests/features/snmp_agent/SnmpAgentTest.h"

namespace {

using namespace ksx;
using namespace ksx::snmpagenttest;
using test::DialogDriver;
using test::WaitUntil;

class Group : public AgentSimTest {
protected:
    static void WaitRead(CSNMPGroup& dlg, int reads) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.ReadsEnded() >= reads; }));
    }
    static void Fill(DialogDriver& drv, const std::string& name, int model, int level = -1,
                     const std::string& read = "", const std::string& write = "",
                     const std::string& notify = "") {
        ASSERT_TRUE(drv.Type(IDC_GROUP_NAME, name));
        ASSERT_TRUE(drv.Type(IDC_GROUP_READ_VIEW, read));
        ASSERT_TRUE(drv.Type(IDC_GROUP_WRITE_VIEW, write));
        ASSERT_TRUE(drv.Type(IDC_GROUP_NOTIFY_VIEW, notify));
        ASSERT_TRUE(drv.Select(IDC_GROUP_MODEL, model));
        if (level >= 0) {
            ASSERT_TRUE(drv.Select(IDC_GROUP_LEVEL, level));
        }
    }
    static void ApplyAndWait(DialogDriver& drv, CSNMPGroup& dlg) {
        const int before = dlg.ReadsEnded();
        ASSERT_TRUE(drv.Click(IDC_GROUP_APPLY));
        WaitRead(dlg, before + 1);
    }
    std::vector<std::string> Sets() const {
        std::vector<std::string> out;
        for (const std::string& line : Log()) {
            if (line.rfind("set ", 0) == 0) {
                out.push_back(line.substr(4));
            }
        }
        return out;
    }
    Tunable::Override settle{"snmp-group.settle-ms", 0};
};

TEST_F(Group, ListsActiveGroupsAndAddsWithLevelAndViews) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_SNMP_GROUP));
    CSNMPGroup dlg;
    DialogDriver drv(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "SNMP Group Table Info");
    WaitRead(dlg, 1);
    ASSERT_EQ(drv.Rows(IDC_GROUP_LIST), 4);
    EXPECT_EQ(drv.Row(IDC_GROUP_LIST, 0),
              (std::vector<std::string>{"admin", "default", "default", "default", "v3", "AuthPriv"}));
    EXPECT_EQ(drv.Row(IDC_GROUP_LIST, 1),
              (std::vector<std::string>{"public", "default", "", "default", "v1", "NoAuthNoPriv"}));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_GROUP_LEVEL));
    s_sim->ClearLog();
    Fill(drv, "ops", 2, 1, "default", "", "default");
    ApplyAndWait(drv, dlg);
    const std::string key = NameIndex("ops") + ".3.2";
    EXPECT_EQ(Sets(), (std::vector<std::string>{".3.1.1.7" + key + "=i:5",
                                                ".3.1.1.3" + key + "=i:2 .3.1.1.4" + key +
                                                    "=s:default .3.1.1.6" + key + "=s:default",
                                                ".3.1.1.7" + key + "=i:1"}));
    EXPECT_EQ(drv.Row(IDC_GROUP_LIST, 0),
              (std::vector<std::string>{"ops", "default", "", "default", "v3", "AuthNoPriv"}));
    EXPECT_TRUE(boxes.Texts().empty());
    // Delete keys the row by its name, model and level.
    s_sim->ClearLog();
    ASSERT_TRUE(drv.ClickRow(IDC_GROUP_LIST, 0));
    ASSERT_TRUE(drv.Click(IDC_GROUP_DELETE));
    WaitRead(dlg, 3);
    EXPECT_EQ(Sets(), std::vector<std::string>{".3.1.1.7" + key + "=i:6"});
}

TEST_F(Group, AV1GroupIsKeyedWithoutTheDisabledLevel) {
    CSNMPGroup dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg, 1);
    s_sim->ClearLog();
    // v3 and AuthPriv chosen, then v1: the level list is disabled on AuthPriv and not used.
    Fill(drv, "ro", 2, 2);
    ASSERT_TRUE(drv.Select(IDC_GROUP_MODEL, 0));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_GROUP_LEVEL));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_GROUP_LEVEL), "AuthPriv");
    ApplyAndWait(drv, dlg);
    const std::string key = NameIndex("ro") + ".1.1";
    EXPECT_EQ(Sets(), (std::vector<std::string>{".3.1.1.7" + key + "=i:5", ".3.1.1.3" + key + "=i:1",
                                                ".3.1.1.7" + key + "=i:1"}));
    EXPECT_EQ(drv.Row(IDC_GROUP_LIST, 0), (std::vector<std::string>{"ro", "", "", "", "v1", "NoAuthNoPriv"}));
}

TEST_F(Group, ChecksDuplicatesByNameAndModelAndTheMaximum) {
    CSNMPGroup dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg, 1);
    s_sim->ClearLog();
    for (const char* name : {"", "a;b"}) {
        Fill(drv, name, 0);
        ASSERT_TRUE(drv.Click(IDC_GROUP_APPLY));
    }
    Fill(drv, "admin", 2, 0);  // admin v3 is listed at another level
    ASSERT_TRUE(drv.Click(IDC_GROUP_APPLY));
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{CSNMPGroup::kTextEmptyName, CSNMPGroup::kTextInvalidName,
                                        CSNMPGroup::kTextExists}));
    EXPECT_TRUE(Sets().empty());
    // The same name with model v1 is new; a name of blanks is not empty.
    Fill(drv, "admin", 0);
    ApplyAndWait(drv, dlg);
    Fill(drv, "  ", 1);
    ApplyAndWait(drv, dlg);
    EXPECT_EQ(boxes.Count(), 3u);
    EXPECT_EQ(s_sim->Get(kB + ".3.1.1.7" + NameIndex("admin") + ".1.1"), "1");
    EXPECT_EQ(s_sim->Get(kB + ".3.1.1.7.2.32.32.2.1"), "1");
    ASSERT_TRUE(drv.Click(IDC_GROUP_DELETE));  // nothing selected after the refresh
    EXPECT_EQ(boxes.LastText(), CSNMPGroup::kTextSelect);
}

TEST_F(Group, FiftyActiveGroupsAreTheMost) {
    for (int i = 0; i < 46; ++i) {
        const std::string index = NameIndex("g" + std::to_string(i)) + ".2.1";
        s_sim->Set(kB + ".3.1.1.1" + index, "s", "g" + std::to_string(i));
        s_sim->Set(kB + ".3.1.1.7" + index, "i", "1");
    }
    CSNMPGroup dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg, 1);
    ASSERT_EQ(drv.Rows(IDC_GROUP_LIST), 50);
    EXPECT_EQ(drv.Cell(IDC_GROUP_LIST, 0, 4), "v2c");  // model and level from the row's key
    s_sim->ClearLog();
    Fill(drv, "new", 0);
    ASSERT_TRUE(drv.Click(IDC_GROUP_APPLY));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{CSNMPGroup::kTextMaximum});
    EXPECT_TRUE(Sets().empty());
}

TEST_F(Group, AFailedStepIsToldAndTheRowRemoved) {
    CSNMPGroup dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg, 1);
    const std::string key = NameIndex("ops") + ".1.1";
    s_sim->ErrorStatus(kB + ".3.1.1.4" + key, 5);
    s_sim->ClearLog();
    Fill(drv, "ops", 0, -1, "nosuchview");
    ApplyAndWait(drv, dlg);
    s_sim->ErrorStatus(kB + ".3.1.1.4" + key, 0);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{
                  "Failed to add the group: the device did not accept the level and views. The "
                  "group was not added."});
    EXPECT_EQ(Sets().back(), ".3.1.1.7" + key + "=i:6");
    EXPECT_EQ(s_sim->Get(kB + ".3.1.1.7" + key), "");
}

}  // namespace
