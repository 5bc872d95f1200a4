// Starts that cannot show a working panel: a port count no model has, a panel description that cannot
// be read, a command line without a usable address or port. The window says what is wrong, stays
// visible and closable with its menu, and does not poll.
#include <gtest/gtest.h>

#include <QFile>
#include <fstream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/QuorviaModuleDlg.h"
#include "platform/sys/Globals.h"
#include "platform/ui/MenuBar.h"
#include "res/resource.h"
#include "tests/app/AddressSpaceLimit.h"
#include "tests/app/ShellTestUtil.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::DialogDriver;
using Texts = std::vector<std::string>;

class StartupFailures : public ::testing::Test {
protected:
    void SetUp() override {
        ResetConnectionSettings();
        g_strDeviceIP = "192.0.2.7";
    }
    void TearDown() override {
        driver.reset();
        dlg.reset();
        ini.reset();
        ResetConnectionSettings();
    }
    void Start(const std::string& userIni) {
        driver.reset();
        dlg.reset();
        boxes.Clear();
        ini = std::make_unique<test::TempUserIni>(userIni);
        dlg = std::make_unique<CQuorviaModuleDlg>();
        driver = std::make_unique<DialogDriver>(*dlg);
    }
    // Shown with a client area of its own and a working menu; closes the ordinary way.
    void ExpectVisibleAndClosable(const std::string& what) {
        EXPECT_TRUE(dlg->isVisible()) << what;
        EXPECT_GT(dlg->Client()->width(), 0) << what;
        EXPECT_GT(dlg->Client()->height(), 0) << what;
        EXPECT_GT(dlg->width(), 100) << what;
        EXPECT_NE(dlg->GetMenu()->Action(IDM_PORT_CONFIGURATION), nullptr) << what;
        EXPECT_FALSE(dlg->IsPolling()) << what;
        driver->CloseBox();
        EXPECT_TRUE(driver->WaitEnded()) << what;
        EXPECT_FALSE(dlg->isVisible()) << what;
    }

    test::ScriptedMessageBox boxes;
    test::FastPolling pace;
    std::unique_ptr<test::TempUserIni> ini;
    std::unique_ptr<CQuorviaModuleDlg> dlg;
    std::unique_ptr<DialogDriver> driver;
};

TEST_F(StartupFailures, PortCountAboveTheLargestModelIsRefused) {
    const std::string xml = test::PanelXml("52");
    {
        // The count of 99999999999 once asked for 8.4 GB of per-port tables.
        test::AddressSpaceLimit limit(1ULL << 30);
        for (const char* count : {"99999999999", "53", "1000"}) {
            Start("[DeviceInfo]\nDeviceName=KSX-4200-52\nDevicePortNum=" + std::string(count) +
                  "\nXMLName=" + xml + "\n");
            EXPECT_EQ(boxes.Texts(), Texts{"Read User.ini Error !"}) << count;
            EXPECT_EQ(dlg->GetPortNum(), 0) << count;
            EXPECT_EQ(g_nPortNum, 0) << count;  // feature dialogs size their tables by it
            EXPECT_EQ(dlg->GetDevModule().GetChildCount(), 0) << count;
            ExpectVisibleAndClosable(count);
        }
    }
    Start(test::DeviceInfo("KSX-4200-52", 52, xml));
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(dlg->GetPortNum(), 52);
    EXPECT_TRUE(dlg->IsPolling());
}

TEST_F(StartupFailures, UserIniErrorsLeaveAVisibleWindow) {
    for (const std::string& content : {std::string(), std::string("[Other]\nDeviceName=x\n"),
                                       std::string("[DeviceInfo]\nDeviceName=KSX-4200-28Z1\n"),
                                       "[DeviceInfo]\nXMLName=" + test::PanelXml("28z1") + "\n"}) {
        Start(content);
        EXPECT_EQ(boxes.Texts(), Texts{"Read User.ini Error !"}) << content;
        ExpectVisibleAndClosable(content);
    }
}

TEST_F(StartupFailures, UnreadablePanelDescriptionIsReported) {
    test::TempUserIni folder("");
    const std::string dir = folder.Folder();
    std::ofstream(dir + "/empty.xml");
    std::ofstream(dir + "/truncated.xml") << "<DEVICE><DEVICEPANEL A=\"L\"><ID>x</ID><LEFT>0</LEFT>";
    std::ofstream(dir + "/unreadable.xml") << "<DEVICE/>";
    QFile::setPermissions(QString::fromStdString(dir + "/unreadable.xml"), QFileDevice::WriteOwner);
    std::ofstream(dir + "/nopanel.xml") << "<DEVICE><OTHER/></DEVICE>";
    for (const char* name : {"missing.xml", "empty.xml", "truncated.xml", "unreadable.xml", "nopanel.xml"}) {
        const std::string path = dir + "/" + name;
        Start(test::DeviceInfo("KSX-4200-28Z1", 28, path));
        EXPECT_EQ(boxes.Texts(), Texts{"Cannot read the panel description " + path + " !"}) << name;
        EXPECT_EQ(dlg->GetWindowText(), "KSX-4200-28Z1: 192.0.2.7") << name;
        EXPECT_FALSE(dlg->PanelLoaded()) << name;
        ExpectVisibleAndClosable(name);
    }
}

TEST_F(StartupFailures, UnusableAddressOrPortIsSaidAndNothingPolls) {
    struct Case {
        const char* commandLine;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"/P0", "No device address on the command line !"},
        {"/P0/R10.0.0.1", "No device address on the command line !"},
        {"/P0/I", "No device address on the command line !"},
        {"/P0/I10.0.0.1/Rquaint/Wharbour/Vtrue/S1/O0", "Invalid UDP port: 0 !"},
        {"/P0/I10.0.0.1/Rquaint/Wharbour/Vtrue/S1/O-5", "Invalid UDP port: -5 !"},
        {"/P0/I10.0.0.1/Rquaint/Wharbour/Vtrue/S1/Oabc", "Invalid UDP port: abc !"},
        {"/P0/I10.0.0.1/Rquaint/Wharbour/Vtrue/S1/O12345678901234567890",
         "Invalid UDP port: 12345678901234567890 !"},
        {"/P0/I10.0.0.1/Rquaint/Wharbour/Vtrue/S1/O65536", "Invalid UDP port: 65536 !"},
        {"/P0/Ibad_host!/Rquaint", "Invalid device address: bad_host! !"},
    };
    for (const Case& c : cases) {
        ResetConnectionSettings();
        ParseCommandLine(c.commandLine);
        Start(test::DeviceInfo("KSX-4200-28Z1", 28, test::PanelXml("28z1")));
        EXPECT_EQ(boxes.Texts(), Texts{c.message}) << c.commandLine;
        EXPECT_TRUE(dlg->PanelLoaded()) << c.commandLine;  // the panel is drawn all the same
        ExpectVisibleAndClosable(c.commandLine);
    }
    // Usable ones: IPv4, IPv6, host names, any port of 1 to 65535.
    for (const auto& [address, port] : std::vector<std::pair<std::string, std::string>>{
             {"10.0.0.1", "161"}, {"fe80::1", "1"}, {"[::1]", "65535"}, {"switch-3.example", "1161"}}) {
        EXPECT_EQ(UnusableTarget(address, port), "") << address << " " << port;
    }
    for (const char* address : {"-a.example", "a..b", "a b", "a_b", "[::1", "1.2.3.4.5:"}) {
        EXPECT_NE(UnusableTarget(address, "161"), "") << address;
    }
}

}  // namespace
