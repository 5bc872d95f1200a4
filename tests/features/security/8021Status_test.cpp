// 802.1X statistics and diagnostics views over the SNMP class library: the walks of their columns, one
// row per port, SNMPv1 and SNMPv3 reads, a value missing in an SNMPv3 read, Refresh during a walk, a
// device without the table.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "features/security/8021Diagnosis.h"
#include "features/security/8021Status.h"
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

const std::string kStats = "1.0.8802.1.1.1.1.2.2.1";
const std::string kDiag = "1.0.8802.1.1.1.1.2.3.1";

class PaeViews : public test::SharedSimTest {
protected:
    static void WaitRead(CDirectListView& dlg) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.LastEndStatus() != 0 && !dlg.Reading(); }));
    }
    static std::string Step(const std::string& table, int columns, const std::string& principal) {
        std::string s = "getnext " + principal;
        for (int c = 1; c <= columns; ++c) {
            s += " " + table + "." + std::to_string(c) + "|n|";
        }
        return s;
    }
    test::ScriptedMessageBox boxes;
};

TEST_F(PaeViews, StatisticsOneRowPerPort) {
    C8021Status dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "802.1x Statistic Information");
    const auto steps = test::OfKind(s_sim->Requests(), "getnext");
    ASSERT_EQ(steps.size(), 5u);
    EXPECT_EQ(test::Describe(steps[0]), Step(kStats, 12, "quaint"));
    ASSERT_EQ(drv.Rows(IDC_PAE_STATUS_LIST), 4);
    const auto row = drv.Row(IDC_PAE_STATUS_LIST, 2);
    ASSERT_EQ(row.size(), 12u);
    EXPECT_EQ(row[0], "301");
    EXPECT_EQ(row[9], "310");
    EXPECT_EQ(row[10], "1");
    EXPECT_EQ(row[11], "00:1E:94:4C:20:13");  // the MAC address, not its raw octets
}

TEST_F(PaeViews, DiagnosticsWithSnmpV3) {
    test::UseSimV3(*s_sim, "3", "shadesuser", "3", "shaauthpass", "2", "desprivpass");
    C8021Diagnosis dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "802.1x Diagnose Information");
    std::vector<std::string> mine;
    for (const auto& r : s_sim->Requests()) {
        if (r.principal == "shadesuser") {
            mine.push_back(test::Describe(r));
        }
    }
    ASSERT_EQ(mine.size(), 5u);
    EXPECT_EQ(mine[0], Step(kDiag, 18, "shadesuser"));
    ASSERT_EQ(drv.Rows(IDC_PAE_DIAG_LIST), 4);
    EXPECT_EQ(drv.Cell(IDC_PAE_DIAG_LIST, 3, 0), "4001");
    EXPECT_EQ(drv.Cell(IDC_PAE_DIAG_LIST, 3, 17), "4018");
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(PaeViews, AMissingValueEndsAnSnmpV3ReadWithTheRowsBeforeIt) {
    s_sim->Set(kStats + ".5.3", "n", "");
    {
        C8021Status dlg;
        DialogDriver drv(dlg);
        WaitRead(dlg);
        EXPECT_EQ(drv.Rows(IDC_PAE_STATUS_LIST), 2);  // community-based too: the library reports no value
    }
    test::UseSimV3(*s_sim, "2", "md5user", "2", "md5authpass", "1", "");
    C8021Status dlg;
    DialogDriver drv(dlg);
    WaitRead(dlg);
    EXPECT_EQ(drv.Rows(IDC_PAE_STATUS_LIST), 2);
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(PaeViews, RefreshDuringAWalkEmptiesTheListAndOneWalkGoesOn) {
    s_sim->DelayMs(150);
    C8021Diagnosis dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return drv.Rows(IDC_PAE_DIAG_LIST) == 1; }));
    ASSERT_TRUE(drv.Click(IDC_PAE_REFRESH));
    EXPECT_EQ(drv.Rows(IDC_PAE_DIAG_LIST), 0);
    WaitRead(dlg);
    EXPECT_EQ(drv.Rows(IDC_PAE_DIAG_LIST), 3);
    EXPECT_EQ(drv.Cell(IDC_PAE_DIAG_LIST, 0, 0), "2001");
    EXPECT_EQ(test::OfKind(s_sim->Requests(), "getnext").size(), 5u);
}

TEST_F(PaeViews, ADeviceWithoutTheTableShowsAnEmptyList) {
    for (int c = 1; c <= 12; ++c) {
        for (int port = 1; port <= 4; ++port) {
            s_sim->Command("unset " + kStats + "." + std::to_string(c) + "." + std::to_string(port));
        }
    }
    for (const char* version : {"1", "3"}) {
        if (std::string(version) == "3") {
            test::UseSimV3(*s_sim, "1", "noauthuser", "1", "", "1", "");
        }
        C8021Status dlg;
        DialogDriver drv(dlg);
        WaitRead(dlg);
        EXPECT_EQ(drv.Rows(IDC_PAE_STATUS_LIST), 0) << version;
    }
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(PaeViews, WrongPasswordsEndTheReadWithAMessage) {
    test::UseSimV3(*s_sim, "3", "shadesuser", "3", "shaauthpass", "2", "wrong-privacy");
    C8021Status dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitUntil([&] { return !boxes.Texts().empty() && !dlg.Reading(); }, 15000));
    EXPECT_EQ(boxes.Texts()[0].rfind("Failed to read over SNMPv3: ", 0), 0u) << boxes.Texts()[0];
    EXPECT_EQ(drv.Rows(IDC_PAE_STATUS_LIST), 0);
}

}  // namespace
