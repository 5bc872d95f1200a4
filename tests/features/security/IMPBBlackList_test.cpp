// The blocked-list dialog against the simulated switch: the rows and their addresses by octet count,
// the Find filter (case of the MAC, compressed IPv6, repeated Finds on the whole read, the count), its
// refusals, and delete through the action column.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "features/security/IMPBBlackList.h"
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
const char kBadMac[] = "Please enter correct MAC format(ex:00-00-00-00-00-01)";

class IMPBBlackListTest : public Layer2SimTest {
protected:
    static bool WaitRead(CIMPBBlackList& dlg) {
        return WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_IMPBK_REFRESH); });
    }
    std::vector<std::string> Find(DialogDriver& drv, const std::string& vid, const std::string& address,
                                  const std::string& mac, const std::string& port) {
        boxes.Clear();
        EXPECT_TRUE(drv.Type(IDC_IMPBK_VID, vid));
        EXPECT_TRUE(drv.Type(IDC_IMPBK_ADDRESS, address));
        EXPECT_TRUE(drv.Type(IDC_IMPBK_MAC, mac));
        EXPECT_TRUE(drv.Type(IDC_IMPBK_PORT, port));
        EXPECT_TRUE(drv.Click(IDC_IMPBK_FIND));
        return boxes.Texts();
    }
    static std::vector<std::string> Ports(DialogDriver& drv) {
        std::vector<std::string> out;
        for (int r = 0; r < drv.Rows(IDC_IMPBK_LIST); ++r) {
            out.push_back(drv.Cell(IDC_IMPBK_LIST, r, 3));
        }
        return out;
    }
    static void AddRow(const std::string& index, int port, const std::string& address) {
        s_sim->Set(kBranch + "4.1.1." + index, "x", "00aabbccdd09");
        s_sim->Set(kBranch + "4.1.2." + index, "i", "3");
        s_sim->Set(kBranch + "4.1.3." + index, "i", std::to_string(port));
        s_sim->Set(kBranch + "4.1.4." + index, "x", address);
        s_sim->Set(kBranch + "4.1.5." + index, "i", "2");
    }
};

TEST_F(IMPBBlackListTest, ListsTheEntriesWithAddressesByTheirOctetCount) {
    EXPECT_TRUE(ui::FeatureRegistry::Instance().Has(IDM_BLACK_LIST));
    // Addresses of 0, 5 and 17 octets are no addresses.
    AddRow("0.170.187.204.221.9.3.20", 20, "");
    AddRow("0.170.187.204.221.9.3.21", 21, "0a00000105");
    AddRow("0.170.187.204.221.9.3.22", 22, "20010db80000000000000000000000420a");
    CIMPBBlackList dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_EQ(dlg.GetWindowText(), "Black List");
    ASSERT_EQ(drv.Rows(IDC_IMPBK_LIST), 6);
    EXPECT_EQ(drv.Row(IDC_IMPBK_LIST, 0),
              (std::vector<std::string>{"1", "10.0.0.5", "00-AA-BB-CC-DD-01", "5"}));
    EXPECT_EQ(drv.Row(IDC_IMPBK_LIST, 1),
              (std::vector<std::string>{"2", "2001:db8::42", "00-AA-BB-CC-DD-02", "6"}));
    EXPECT_EQ(drv.Row(IDC_IMPBK_LIST, 3), (std::vector<std::string>{"3", "", "00-AA-BB-CC-DD-09", "20"}));
    EXPECT_EQ(drv.Cell(IDC_IMPBK_LIST, 4, 1), "");
    EXPECT_EQ(drv.Cell(IDC_IMPBK_LIST, 5, 1), "");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IMPBK_COUNT), "6");
}

TEST_F(IMPBBlackListTest, FindFiltersTheWholeReadEveryTime) {
    CIMPBBlackList dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    s_sim->ClearLog();
    EXPECT_TRUE(Find(drv, "", "", "00-aa-bb-cc-dd-02", "").empty());
    EXPECT_EQ(Ports(drv), std::vector<std::string>{"6"});
    for (int id : {IDC_IMPBK_VID, IDC_IMPBK_ADDRESS, IDC_IMPBK_MAC, IDC_IMPBK_PORT}) {
        EXPECT_EQ(dlg.GetDlgItemText(id), "");
    }
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IMPBK_COUNT), "3");
    // A second Find starts from every row read, not from the rows shown.
    EXPECT_TRUE(Find(drv, "1", "", "", "").empty());
    EXPECT_EQ(Ports(drv), (std::vector<std::string>{"5", "7"}));
    EXPECT_TRUE(Find(drv, "1", "", "", "7").empty());
    EXPECT_EQ(Ports(drv), std::vector<std::string>{"7"});
    EXPECT_TRUE(Find(drv, "", "2001:0DB8:0::0042", "", "").empty());
    EXPECT_EQ(Ports(drv), std::vector<std::string>{"6"});
    EXPECT_TRUE(Find(drv, "", "10.0.0.5", "", "").empty());
    EXPECT_EQ(Ports(drv), std::vector<std::string>{"5"});
    EXPECT_TRUE(Find(drv, "", "", "", "").empty());
    EXPECT_EQ(Ports(drv), (std::vector<std::string>{"5", "6", "7"}));
    // Filtering is done here: nothing was asked of the device.
    EXPECT_TRUE(s_sim->Requests().empty());
}

TEST_F(IMPBBlackListTest, FindRefusesBadFiltersAndKeepsThem) {
    CIMPBBlackList dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    const std::vector<std::string> badAddress{"Please enter correct IP format."};
    EXPECT_EQ(Find(drv, "", "1.2.3", "", ""), badAddress);
    EXPECT_EQ(Find(drv, "", "fe80::1", "", ""), badAddress);
    EXPECT_EQ(Find(drv, "", "", "00:aa:bb:cc:dd:02", ""), std::vector<std::string>{kBadMac});
    EXPECT_EQ(Find(drv, "", "", "ff-ff-ff-ff-ff-ff", ""),
              std::vector<std::string>{"Broadcast MAC is not allowed."});
    EXPECT_EQ(Find(drv, "", "", "01-00-5e-00-00-01", ""),
              std::vector<std::string>{"Multicast MAC is not allowed."});
    for (const char* vid : {"0", "4095", "x"}) {
        EXPECT_EQ(Find(drv, vid, "", "", ""), std::vector<std::string>{"Please enter a VID from 1 to 4094."})
            << vid;
    }
    for (const char* port : {"0", "29", "a", "3x"}) {
        EXPECT_EQ(Find(drv, "", "", "", port), std::vector<std::string>{"Please enter a port from 1 to 28."})
            << port;
    }
    EXPECT_EQ(dlg.GetDlgItemText(IDC_IMPBK_PORT), "3x");
    EXPECT_EQ(drv.Rows(IDC_IMPBK_LIST), 3);
}

TEST_F(IMPBBlackListTest, DeleteWritesTheActionColumnOfTheSelectedRow) {
    AddRow("0.170.187.204.221.8.3.20", 20, "0a000014");
    s_sim->Set(kBranch + "4.1.1.0.170.187.204.221.8.3.20", "x", "00aabbcc");  // four octets: no MAC
    CIMPBBlackList dlg;
    DialogDriver drv(dlg);
    ASSERT_TRUE(WaitRead(dlg));
    ASSERT_TRUE(drv.Click(IDC_IMPBK_DELETE));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Please select the item would be delete!\n"});
    s_sim->ClearLog();
    ASSERT_TRUE(drv.ClickRow(IDC_IMPBK_LIST, 1));
    ASSERT_TRUE(drv.Click(IDC_IMPBK_DELETE));
    ASSERT_TRUE(WaitRead(dlg));
    EXPECT_EQ(SetLines(s_sim->Requests(), kBranch.size()),
              std::vector<std::string>{"4.1.5.0.170.187.204.221.2.2.6=i:1"});
    EXPECT_EQ(boxes.Texts().size(), 1u);
    // A row whose MAC was not read names no entry to delete.
    s_sim->ClearLog();
    ASSERT_TRUE(drv.ClickRow(IDC_IMPBK_LIST, 3));
    ASSERT_TRUE(drv.Click(IDC_IMPBK_DELETE));
    EXPECT_EQ(boxes.LastText(), "The entry cannot be deleted: its MAC address, VID or port was not read.");
    EXPECT_TRUE(test::Sets(s_sim->Requests()).empty());
}

}  // namespace
