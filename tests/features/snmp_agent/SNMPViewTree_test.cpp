// The view dialog against the simulated switch: the active views listed, the add sequence with its
// mask octets, the subtree and mask checks with their messages (sub-identifiers bounded), duplicates
// by name and subtree, delete by the row's key, and a failed step undone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "features/snmp_agent/SNMPViewTree.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_snmp_agent.h"
#include "tests/features/snmp_agent/SnmpAgentTest.h"

namespace {

using namespace ksx;
using namespace ksx::snmpagenttest;
using test::DialogDriver;
using test::WaitUntil;

class View : public AgentSimTest {
protected:
    static void WaitRead(CSNMPViewTree& dlg, int reads) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.ReadsEnded() >= reads; }));
    }
    static void Try(DialogDriver& drv, const std::string& name, const std::string& subtree,
                    const std::string& mask, int type = 0) {
        ASSERT_TRUE(drv.Type(IDC_VIEW_NAME, name));
        ASSERT_TRUE(drv.Type(IDC_VIEW_SUBTREE, subtree));
        ASSERT_TRUE(drv.Type(IDC_VIEW_MASK, mask));
        ASSERT_TRUE(drv.Select(IDC_VIEW_TYPE, type));
        ASSERT_TRUE(drv.Click(IDC_VIEW_APPLY));
    }
    static void Add(DialogDriver& drv, CSNMPViewTree& dlg, const std::string& name,
                    const std::string& subtree, const std::string& mask, int type = 0) {
        const int before = dlg.ReadsEnded();
        Try(drv, name, subtree, mask, type);
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
};

TEST_F(View, ListsViewsAndAddsAndDeletesByNameAndSubtree) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_SNMP_VIEW));
    CSNMPViewTree dlg;
    DialogDriver drv(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "SNMP View Table Configuration");
    WaitRead(dlg, 1);
    ASSERT_EQ(drv.Rows(IDC_VIEW_LIST), 2);
    EXPECT_EQ(drv.Row(IDC_VIEW_LIST, 1),
              (std::vector<std::string>{"restricted", "1.3.6.1.2.1.1", "255.255.255.255", "Included"}));
    s_sim->ClearLog();
    Add(drv, dlg, "v", "1.3.6.1", "1.1.1", 1);  // a mask shorter than the subtree
    const std::string key = ".1.118.4.1.3.6.1";
    EXPECT_EQ(Sets(), (std::vector<std::string>{".4.1.1.5" + key + "=i:5",
                                                ".4.1.1.3" + key + "=x:010101 .4.1.1.4" + key + "=i:2",
                                                ".4.1.1.5" + key + "=i:1"}));
    EXPECT_EQ(drv.Row(IDC_VIEW_LIST, 0), (std::vector<std::string>{"v", "1.3.6.1", "1.1.1", "Excluded"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_VIEW_SUBTREE), "");
    // The same name with another subtree is another view.
    Add(drv, dlg, "v", "1.3.6.1.2", "01.00");
    EXPECT_EQ(drv.Row(IDC_VIEW_LIST, 1), (std::vector<std::string>{"v", "1.3.6.1.2", "1.0", "Included"}));
    EXPECT_TRUE(boxes.Texts().empty());
    s_sim->ClearLog();
    ASSERT_TRUE(drv.ClickRow(IDC_VIEW_LIST, 0));
    ASSERT_TRUE(drv.Click(IDC_VIEW_DELETE));
    WaitRead(dlg, 4);
    EXPECT_EQ(Sets(), std::vector<std::string>{".4.1.1.5" + key + "=i:6"});
}

TEST_F(View, SubtreeAndMaskChecksWithTheirMessages) {
    CSNMPViewTree dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg, 1);
    s_sim->ClearLog();
    Try(drv, "  ", "1.3", "1");
    Try(drv, "a/b", "1.3", "1");
    Try(drv, "v", "1.3a", "1");
    Try(drv, "v", "1..3", "1");
    Try(drv, "v", ".1.3", "1");
    Try(drv, "v", "1.3.", "1");
    Try(drv, "v", "", "1");
    Try(drv, "v", "1.3.99999999999", "1");  // past 32 bits
    Try(drv, "v", "1.4294967296", "1");
    Try(drv, "v", "1.3", " ");
    Try(drv, "v", "1.3", "1.10");
    Try(drv, "v", "1.3", "1.2");
    Try(drv, "v", "1.3", "1..1");
    Try(drv, "v", "1.3.6.1", "1.1.1.1.1");
    Try(drv, "default", "1.3.6.1", "0");  // listed, whatever the mask and type
    using V = CSNMPViewTree;
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{V::kTextEmptyName, V::kTextInvalidName, V::kTextSubtreeCharacter,
                                        V::kTextSubtreeParts, V::kTextSubtreeParts, V::kTextSubtreeParts,
                                        V::kTextSubtreeParts, V::kTextSubtreeBounds, V::kTextSubtreeBounds,
                                        V::kTextMask, V::kTextMask, V::kTextMask, V::kTextMask,
                                        V::kTextLength, V::kTextExists}));
    EXPECT_TRUE(Sets().empty());
    boxes.Clear();
    Add(drv, dlg, "v", "1.4294967295", "1");  // the largest sub-identifier
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ(Sets().size(), 3u);
    ASSERT_TRUE(drv.Click(IDC_VIEW_DELETE));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{V::kTextSelect});
}

TEST_F(View, AFailedStepIsToldAndTheRowRemoved) {
    CSNMPViewTree dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg, 1);
    const std::string key = ".1.118.2.1.3";
    s_sim->ErrorStatus(kB + ".4.1.1.3" + key, 5);
    s_sim->ClearLog();
    Add(drv, dlg, "v", "1.3", "1");
    s_sim->ErrorStatus(kB + ".4.1.1.3" + key, 0);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{
                  "Failed to add the view: the device did not accept the mask and type. The view "
                  "was not added."});
    EXPECT_EQ(Sets().back(), ".4.1.1.5" + key + "=i:6");
    EXPECT_EQ(s_sim->Get(kB + ".4.1.1.5" + key), "");
}

}  // namespace
