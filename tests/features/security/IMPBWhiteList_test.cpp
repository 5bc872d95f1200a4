// The allowed-list dialog against the simulated switch: the rows with their addresses from the index,
// the count, delete by row status for IPv4 and IPv6 entries, a refused delete, a failed read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "features/security/IMPBWhiteList.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_impb.h"
#include "res/resource.h"
#include "tests/features/layer2/Layer2SimTest.h"
#include "tests/support/ui/DialogDriver.h"

namespace {

using namespace ksx;
using ksx::test::DialogDriver;
using ksx::test::WaitUntil;
using namespace ksx::test::layer2;

const std::string kBranch = kP + ".14.10.";
const std::string kV4Index = ".4.192.168.1.10.0.10.11.12.13.14";
const std::string kV6Index = ".16.32.1.13.184.0.0.0.0.0.0.0.0.0.0.0.66.0.10.11.12.13.15";

class IMPBWhiteListTest : public Layer2SimTest {
protected:
    static bool WaitRead(CIMPBWhiteList& dlg) {
        return WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_IMPBW_REFRESH); });
    }
    std::vector<std::string> Sets() { return SetLines(s_sim->Requests(), kBranch.size()); }
};

TEST_F(IMPBWhiteListTest, ListsTheEntriesAndTheirCount) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_WHITE_LIST));
    // A row whose MAC column the device left empty shows the MAC its index carries.
    const std::string index = ".4.10.1.1.1.0.1.2.3.4.5";
    s_sim->Set(kBranch + "3.1.1" + index, "x", "0a010101");
    s_sim->Set(kBranch + "3.1.2" + index, "x", "");
    s_sim->Set(kBranch + "3.1.3" + index, "i", "9");
    s_sim->Set(kBranch + "3.1.4" + index, "i", "1");
    CIMPBWhiteList dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_EQ(dlg.GetWindowText(), "White List");
    ASSERT_EQ(drv.Rows(IDC_IMPBW_LIST), 3);
    EXPECT_EQ(drv.Row(IDC_IMPBW_LIST, 0), (std::vector<std::string>{"10.1.1.1", "00-01-02-03-04-05", "9"}));
    EXPECT_EQ(drv.Row(IDC_IMPBW_LIST, 1),
              (std::vector<std::string>{"192.168.1.10", "00-0A-0B-0C-0D-0E", "3"}));
    EXPECT_EQ(drv.Row(IDC_IMPBW_LIST, 2), (std::vector<std::string>{"2001:0db8:0000:0000:0000:0000:0000:0042",
                                                                    "00-0A-0B-0C-0D-0F", "4"}));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IMPBW_COUNT), "3");
    EXPECT_EQ(test::Bindings(test::OfKind(s_sim->Requests(), "getnext").front()),
              (std::vector<std::string>{
                  kBranch + "3.1.1=n:", kBranch + "3.1.2=n:", kBranch + "3.1.3=n:", kBranch + "3.1.4=n:"}));
}

TEST_F(IMPBWhiteListTest, DeleteDestroysTheSelectedRowAndReadsTheListAgain) {
    CIMPBWhiteList dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    ASSERT_TRUE(drv.Click(IDC_IMPBW_DELETE));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Please select the item would be delete!\n"});

    s_sim->ClearLog();
    ASSERT_TRUE(drv.ClickRow(IDC_IMPBW_LIST, 1));
    ASSERT_TRUE(drv.Click(IDC_IMPBW_DELETE));
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_EQ(Sets(), std::vector<std::string>{"3.1.4" + kV6Index + "=i:6"});
    ASSERT_EQ(drv.Rows(IDC_IMPBW_LIST), 1);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IMPBW_COUNT), "1");

    s_sim->ClearLog();
    ASSERT_TRUE(drv.ClickRow(IDC_IMPBW_LIST, 0));
    ASSERT_TRUE(drv.Click(IDC_IMPBW_DELETE));
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_EQ(Sets(), std::vector<std::string>{"3.1.4" + kV4Index + "=i:6"});
    EXPECT_EQ(drv.Rows(IDC_IMPBW_LIST), 0);
    EXPECT_EQ(boxes.Texts().size(), 1u);
}

TEST_F(IMPBWhiteListTest, ARefusedDeleteIsReportedAndTheRowStays) {
    CIMPBWhiteList dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    Fail(kBranch + "3.1.4" + kV4Index, 5);
    ASSERT_TRUE(drv.ClickRow(IDC_IMPBW_LIST, 0));
    ASSERT_TRUE(drv.Click(IDC_IMPBW_DELETE));
    // The read that follows may meet the refusing row too: the write's box comes first.
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(boxes.Texts().front(),
              "Failed to delete the entry from the white list: the device did not accept it.");
    ASSERT_TRUE(WaitRead(dlg));
    s_sim->ErrorStatus(kBranch + "3.1.4" + kV4Index, 0);
    ASSERT_TRUE(drv.Click(IDC_IMPBW_REFRESH));
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_EQ(drv.Rows(IDC_IMPBW_LIST), 2);
}

TEST_F(IMPBWhiteListTest, AFailedReadSaysSoAndLeavesRefresh) {
    Fail(kBranch + "3.1", 5);
    CIMPBWhiteList dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the white list."});
    EXPECT_EQ(drv.Rows(IDC_IMPBW_LIST), 0);
}

TEST_F(IMPBWhiteListTest, ACountOnlyAfterAWholeRead) {
    CIMPBWhiteList dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IMPBW_COUNT), std::to_string(drv.Rows(IDC_IMPBW_LIST)));
    // The device stops answering: no count, neither "0" nor the last read's.
    test::UseSimV1(*s_sim, "400");
    s_sim->Silence(true);
    ASSERT_TRUE(drv.Click(IDC_IMPBW_REFRESH));
    ASSERT_TRUE(WaitRead(dlg));
    s_sim->Silence(false);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the white list."});
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IMPBW_COUNT), "");
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_IMPBW_REFRESH));
}

}  // namespace
