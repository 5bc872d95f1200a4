// The SNMPv3 table views (community, group, access and view tree) over the SNMP class library: their
// walks, the cells taken from each row's index, the value names, and SNMPv1 and SNMPv3 reads.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "features/snmp_agent/AccessInfo.h"
#include "features/snmp_agent/CommunityInfo.h"
#include "features/snmp_agent/GroupInfo.h"
#include "features/snmp_agent/InfoNames.h"
#include "features/snmp_agent/MibTreeInfo.h"
#include "platform/sys/Globals.h"
#include "res/ids_direct.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using ksx::test::DialogDriver;
using ksx::test::WaitUntil;
using Rows = std::vector<std::vector<std::string>>;

struct View {
    const char* name;
    std::function<std::unique_ptr<CDirectListView>()> make;
    int list;
    std::string caption;
    std::string firstStep;
    Rows rows;
};

const std::vector<View>& Views() {
    static const std::vector<View> views = {
        {"community",
         [] { return std::make_unique<CCommunityInfo>(); },
         IDC_COMMUNITY_LIST,
         "SNMPv3 Community Information",
         "getnext quaint 1.3.6.1.6.3.18.1.1.1.2|n| 1.3.6.1.6.3.18.1.1.1.3|n| 1.3.6.1.6.3.18.1.1.1.4|n| "
         "1.3.6.1.6.3.18.1.1.1.7|n|",
         {{"quaint", "readonly", "80001F8880E9630000D61FF449", "nonVolatile"},
          {"harbour", "readwrite", "80001F8880E9630000D61FF449", "volatile"}}},
        {"group",
         [] { return std::make_unique<CGroupInfo>(); },
         IDC_GROUP_LIST,
         "SNMPv3 Group Information",
         "getnext quaint 1.3.6.1.6.3.16.1.2.1.3|n| 1.3.6.1.6.3.16.1.2.1.4|n| 1.3.6.1.6.3.16.1.2.1.5|n|",
         {{"v1", "quaint", "public", "nonVolatile", "active"},
          {"v2", "quaint", "public", "nonVolatile", "active"},
          {"v3", "admin", "initial", "nonVolatile", "active"},
          {"v3", "monitor", "watchers", "volatile", "notInService"},
          {"v3", "operator", "operators", "permanent", "active"}}},
        {"access",
         [] { return std::make_unique<CAccessInfo>(); },
         IDC_ACCESS_LIST,
         "SNMPv3 Access Information",
         "getnext quaint 1.3.6.1.6.3.16.1.4.1.5|n| 1.3.6.1.6.3.16.1.4.1.6|n| 1.3.6.1.6.3.16.1.4.1.7|n| "
         "1.3.6.1.6.3.16.1.4.1.8|n|",
         {{"public", "v1", "noAuthNoPriv", "restricted", "", "", "volatile"},
          {"initial", "v3", "authPriv", "all", "all", "all", "nonVolatile"},
          {"operators", "v3", "authNoPriv", "all", "", "all", "readOnly"}}},
        {"view tree",
         [] { return std::make_unique<CMibTreeInfo>(); },
         IDC_MIBTREE_LIST,
         "SNMP MIB Access Control Information",
         "getnext quaint 1.3.6.1.6.3.16.1.5.2.1.4|n| 1.3.6.1.6.3.16.1.5.2.1.5|n| 1.3.6.1.6.3.16.1.5.2.1.6|n|",
         {{"all", "1", "included", "nonVolatile", "active"},
          {"restricted", "1.3.6.1.6.3", "excluded", "permanent", "createAndWait"},
          {"restricted", "1.3.6.1.2.1.1", "included", "volatile", "active"}}},
    };
    return views;
}

class TableInfoViews : public test::SharedSimTest {
protected:
    static void WaitRead(CDirectListView& dlg) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.LastEndStatus() != 0 && !dlg.Reading(); }));
    }
    static Rows AllRows(DialogDriver& drv, int list) {
        Rows rows;
        for (int r = 0; r < drv.Rows(list); ++r) {
            rows.push_back(drv.Row(list, r));
        }
        return rows;
    }
    test::ScriptedMessageBox boxes;
};

TEST_F(TableInfoViews, CommunityBasedWalksShowEachTable) {
    for (const View& v : Views()) {
        s_sim->ClearLog();
        auto dlg = v.make();
        DialogDriver drv(*dlg);
        WaitRead(*dlg);
        EXPECT_EQ(dlg->GetWindowText(), v.caption);
        const auto steps = test::OfKind(s_sim->Requests(), "getnext");
        ASSERT_EQ(steps.size(), v.rows.size() + 1) << v.name;
        EXPECT_EQ(test::Describe(steps[0]), v.firstStep) << v.name;
        EXPECT_EQ(AllRows(drv, v.list), v.rows) << v.name;
    }
}

TEST_F(TableInfoViews, SnmpV3WalksShowTheSameRows) {
    test::UseSimV3(*s_sim, "2", "md5user", "2", "md5authpass", "1", "");
    for (const View& v : Views()) {
        s_sim->ClearLog();
        auto dlg = v.make();
        DialogDriver drv(*dlg);
        WaitRead(*dlg);
        EXPECT_EQ(AllRows(drv, v.list), v.rows) << v.name;
        for (const auto& r : s_sim->Requests()) {
            if (!r.principal.empty()) {
                EXPECT_EQ(r.principal, "md5user");
                EXPECT_EQ(r.pdu, "getnext");
            }
        }
    }
    EXPECT_TRUE(boxes.Texts().empty());
}

// Each view with each walked column left out of every reply: its cells are empty or what the full read
// showed for that row and column, never a neighbour's value; the rows stay.
TEST_F(TableInfoViews, ColumnLeftOutShowsNoOtherColumnsOrRowsValue) {
    for (const View& v : Views()) {
        s_sim->ClearLog();
        std::vector<std::string> columns;
        {
            auto dlg = v.make();
            DialogDriver drv(*dlg);
            WaitRead(*dlg);
            const auto steps = test::OfKind(s_sim->Requests(), "getnext");
            ASSERT_FALSE(steps.empty()) << v.name;
            for (const test::SimVarBind& vb : steps[0].varbinds) {
                columns.push_back(vb.oid);
            }
        }
        for (const std::string& column : columns) {
            s_sim->Omit(column);
            auto dlg = v.make();
            DialogDriver drv(*dlg);
            WaitRead(*dlg);
            s_sim->OmitNone();
            const Rows rows = AllRows(drv, v.list);
            ASSERT_EQ(rows.size(), v.rows.size()) << v.name << " without " << column;
            for (size_t r = 0; r < rows.size(); ++r) {
                for (size_t c = 0; c < rows[r].size(); ++c) {
                    if (!rows[r][c].empty()) {
                        EXPECT_EQ(rows[r][c], v.rows[r][c])
                            << v.name << " without " << column << ", row " << r;
                    }
                }
            }
        }
    }
}

// The community "quaint" without its security name (SNMPv1 and SNMPv3): that cell is empty, "harbour"
// keeps its own; the column is asked again from "quaint"'s row.
TEST_F(TableInfoViews, CommunityWithoutItsSecurityNameShowsNone) {
    const std::string kT = "1.3.6.1.6.3.18.1.1.1";
    s_sim->Unset(kT + ".3.2.99.49");
    const Rows expect = {{"quaint", "", "80001F8880E9630000D61FF449", "nonVolatile"},
                         {"harbour", "readwrite", "80001F8880E9630000D61FF449", "volatile"}};
    for (bool v3 : {false, true}) {
        if (v3) {
            test::UseSimV3(*s_sim, "2", "md5user", "2", "md5authpass", "1", "");
        }
        s_sim->ClearLog();
        CCommunityInfo dlg;
        DialogDriver drv(dlg);
        WaitRead(dlg);
        EXPECT_EQ(AllRows(drv, IDC_COMMUNITY_LIST), expect) << (v3 ? "SNMPv3" : "SNMPv1");
        const auto steps = test::OfKind(s_sim->Requests(), "getnext");
        ASSERT_EQ(steps.size(), 3u);
        const char* rows[] = {"", ".2.99.49", ".2.99.50"};
        for (size_t i = 0; i < 3; ++i) {
            std::vector<std::string> oids;
            for (const test::SimVarBind& vb : steps[i].varbinds) {
                oids.push_back(vb.oid);
            }
            EXPECT_EQ(oids, (std::vector<std::string>{kT + ".2" + rows[i], kT + ".3" + rows[i],
                                                      kT + ".4" + rows[i], kT + ".7" + rows[i]}))
                << i;
        }
    }
}

TEST_F(TableInfoViews, NamesAndIndexDecodings) {
    EXPECT_EQ(CInfoNames::StorageType("1"), "Other");
    EXPECT_EQ(CInfoNames::StorageType("5"), "readOnly");
    EXPECT_EQ(CInfoNames::RowStatus("6"), "destroy");
    EXPECT_EQ(CInfoNames::RowStatus("3"), "notReady");
    EXPECT_EQ(CInfoNames::Hex(std::string("\x00\xab\x10", 3)), "00AB10");
    // A string index longer than the instance, or a code past 255, decodes to nothing.
    size_t pos = 0;
    EXPECT_FALSE(CInfoNames::StringAt({5, 97, 98}, pos));
    pos = 0;
    EXPECT_FALSE(CInfoNames::StringAt({2, 97, 300}, pos));
    pos = 0;
    EXPECT_EQ(CInfoNames::StringAt({2, 97, 98, 3}, pos), "ab");
    EXPECT_EQ(pos, 3u);
    EXPECT_FALSE(CInfoNames::Arcs("1..2"));
    EXPECT_FALSE(CInfoNames::Arcs(""));
}

TEST_F(TableInfoViews, ABrokenIndexLeavesItsCellsEmpty) {
    // A group entry whose name is shorter than its length says.
    s_sim->Set("1.3.6.1.6.3.16.1.2.1.3.3.9.97", "s", "odd");
    s_sim->Set("1.3.6.1.6.3.16.1.2.1.4.3.9.97", "i", "3");
    s_sim->Set("1.3.6.1.6.3.16.1.2.1.5.3.9.97", "i", "1");
    CGroupInfo dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    ASSERT_EQ(drv.Rows(IDC_GROUP_LIST), 6);
    EXPECT_EQ(drv.Row(IDC_GROUP_LIST, 5),
              (std::vector<std::string>{"v3", "", "odd", "nonVolatile", "active"}));
}

TEST_F(TableInfoViews, OtherVersionsReadNothing) {
    test::UseSimV1(*s_sim);
    g_strSnmpVersion = "2";
    for (const View& v : Views()) {
        auto dlg = v.make();
        DialogDriver drv(*dlg);
        test::PumpEvents();
        EXPECT_EQ(drv.Rows(v.list), 0);
    }
    EXPECT_TRUE(s_sim->Requests().empty());
}

}  // namespace
