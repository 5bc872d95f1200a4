// INI reading, connection settings and agent address, message boxes, executable folder, process start.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/sys/Process.h"
#include "platform/sys/Profile.h"
#include "platform/sys/Tunable.h"

namespace fs = std::filesystem;

namespace {

class IniTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = (fs::temp_directory_path() / ("ksx_ini_" + std::to_string(::getpid()) + ".ini")).string();
        std::ofstream out(path, std::ios::binary);
        out << "\xEF\xBB\xBF; comment line\r\n"
               "[DeviceInfo]\r\n"
               "  DeviceName =  KSX-4200-28Z1  \r\n"
               "DevicePortNum=28\r\n"
               "devicename=second wins never\r\n"
               "Quoted=\"  spaced  \"\r\n"
               "List=a,b;c\\n\r\n"
               "Empty=\r\n"
               "Negative=-12abc\r\n"
               "Word=yes\r\n"
               "no equals sign\r\n"
               "[ Other ]\r\n"
               "DeviceName=other\r\n"
               "[deviceinfo]\r\n"
               "Late=from the second section\r\n";
    }
    void TearDown() override { fs::remove(path); }
    std::string path;
};

}  // namespace

TEST_F(IniTest, WindowsProfileSemantics) {
    using ksx::GetPrivateProfileInt;
    using ksx::GetPrivateProfileString;
    // Names are case-insensitive, values trimmed, the first key wins.
    EXPECT_EQ(GetPrivateProfileString("deviceinfo", "DEVICENAME", "x", path), "KSX-4200-28Z1");
    EXPECT_EQ(GetPrivateProfileString("other", "DeviceName", "x", path), "other");
    // One pair of enclosing quotes goes; no list or escape handling.
    EXPECT_EQ(GetPrivateProfileString("DeviceInfo", "Quoted", "x", path), "  spaced  ");
    EXPECT_EQ(GetPrivateProfileString("DeviceInfo", "List", "x", path), "a,b;c\\n");
    // Present but empty is empty, not the default.
    EXPECT_EQ(GetPrivateProfileString("DeviceInfo", "Empty", "x", path), "");
    // Missing key, section or file: the default. Only the first section of a name is read.
    EXPECT_EQ(GetPrivateProfileString("DeviceInfo", "Missing", "dflt", path), "dflt");
    EXPECT_EQ(GetPrivateProfileString("Nowhere", "DeviceName", "dflt", path), "dflt");
    EXPECT_EQ(GetPrivateProfileString("DeviceInfo", "Late", "dflt", path), "dflt");
    EXPECT_EQ(GetPrivateProfileString("DeviceInfo", "DeviceName", "dflt", path + ".absent"), "dflt");

    EXPECT_EQ(GetPrivateProfileInt("DeviceInfo", "DevicePortNum", 0, path), 28);
    EXPECT_EQ(GetPrivateProfileInt("DeviceInfo", "Negative", 0, path), -12);
    EXPECT_EQ(GetPrivateProfileInt("DeviceInfo", "Word", 5, path), 0);
    EXPECT_EQ(GetPrivateProfileInt("DeviceInfo", "Empty", 5, path), 5);
    EXPECT_EQ(GetPrivateProfileInt("DeviceInfo", "Missing", 28, path), 28);
}

TEST(IniQuoting, QuotesEncloseWhatIsKeptAndHugeLinesAreReadWhole) {
    using ksx::GetPrivateProfileString;
    const std::string path =
        (fs::temp_directory_path() / ("ksx_ini_q_" + std::to_string(::getpid()) + ".ini")).string();
    const std::string huge(20 * 1024 * 1024, 'w');
    {
        std::ofstream out(path, std::ios::binary);
        out << "\xEF\xBB\xBF[DeviceInfo]\r\n"
            << "Junk=" << huge << "\r\n"
            << "DeviceName='x I= '\r\n"  // what the quotes enclose is kept, spaces and "=" too
            << "Single = ' a ' \r\n"
            << "Unpaired=\"abc'\r\n"
            << "Lone=\"\r\n"
            << "Inner=a \"b\" c\r\n"
            << "Twice=\"\"x\"\"\r\n"
            << "Big=\"" << huge << "\"\n";
    }
    EXPECT_EQ(GetPrivateProfileString("DeviceInfo", "DeviceName", "d", path), "x I= ");
    EXPECT_EQ(GetPrivateProfileString("DeviceInfo", "Single", "d", path), " a ");
    EXPECT_EQ(GetPrivateProfileString("DeviceInfo", "Unpaired", "d", path), "\"abc'");
    EXPECT_EQ(GetPrivateProfileString("DeviceInfo", "Lone", "d", path), "\"");
    EXPECT_EQ(GetPrivateProfileString("DeviceInfo", "Inner", "d", path), "a \"b\" c");
    EXPECT_EQ(GetPrivateProfileString("DeviceInfo", "Twice", "d", path), "\"x\"");
    EXPECT_EQ(GetPrivateProfileString("DeviceInfo", "Junk", "d", path).size(), huge.size());
    EXPECT_EQ(GetPrivateProfileString("DeviceInfo", "Big", "d", path), huge);
    fs::remove(path);
}

TEST(GlobalsTest, DefaultsAndAgentAddress) {
    ksx::ResetConnectionSettings();
    EXPECT_EQ(g_strReadCommunity, "quaint");
    EXPECT_EQ(g_strWriteCommunity, "harbour");
    EXPECT_EQ(g_strSnmpVersion, "1");
    EXPECT_EQ(g_strSnmpPort, "161");
    EXPECT_EQ(g_strSnmpTimeout, "3000");
    EXPECT_EQ(g_strV3SecurityLevel, "1");
    EXPECT_EQ(g_nPortNum, 28);
    EXPECT_EQ(g_bVlanConfigEnabled, 1);

    EXPECT_EQ(ksx::AgentAddress(), "");  // no address stays no address
    g_strDeviceIP = "192.168.0.1";
    EXPECT_EQ(ksx::AgentAddress(), "192.168.0.1:161");
    g_strSnmpPort = "16100";
    EXPECT_EQ(ksx::AgentAddress(), "192.168.0.1:16100");
    g_strDeviceIP = "fe80::1";
    EXPECT_EQ(ksx::AgentAddress(), "[fe80::1]:16100");
    g_strDeviceIP = "[::1]";
    EXPECT_EQ(ksx::AgentAddress(), "[::1]:16100");
    g_strDeviceIP = "switch.example";
    EXPECT_EQ(ksx::AgentAddress(), "switch.example:16100");

    ksx::ResetConnectionSettings();
    EXPECT_EQ(g_strDeviceIP, "");
    EXPECT_EQ(g_strSnmpPort, "161");
}

namespace {
class RecordingBox : public ksx::IMessageBoxService {
public:
    int Show(const std::string& text, const std::string& caption, unsigned flags) override {
        lastText = text;
        lastCaption = caption;
        lastFlags = flags;
        return ksx::IDCANCEL;
    }
    std::string lastText;
    std::string lastCaption;
    unsigned lastFlags = 0;
};
}  // namespace

TEST(MessageBoxTest, DefaultServiceAnswersAffirmativelyAndInstalledServiceGetsCaption) {
    ksx::SetMessageBoxService(nullptr);
    EXPECT_EQ(ksx::AfxMessageBox("note"), ksx::IDOK);
    EXPECT_EQ(ksx::AfxMessageBox("sure?", ksx::MB_OKCANCEL | ksx::MB_ICONQUESTION), ksx::IDOK);
    EXPECT_EQ(ksx::AfxMessageBox("reboot?", ksx::MB_YESNO | ksx::MB_DEFBUTTON2), ksx::IDYES);
    EXPECT_EQ(ksx::MessageBox("x", "c", ksx::MB_YESNOCANCEL), ksx::IDYES);

    RecordingBox box;
    ksx::SetMessageBoxService(&box);
    EXPECT_EQ(ksx::ApplicationCaption(), "KSX Module");
    EXPECT_EQ(ksx::AfxMessageBox("No parameter input !", ksx::MB_OK), ksx::IDCANCEL);
    EXPECT_EQ(box.lastText, "No parameter input !");
    EXPECT_EQ(box.lastCaption, "KSX Module");
    ksx::SetApplicationCaption("Other");
    ksx::AfxMessageBox("t", ksx::MB_ICONERROR);
    EXPECT_EQ(box.lastCaption, "Other");
    EXPECT_EQ(box.lastFlags, unsigned(ksx::MB_ICONERROR));
    ksx::MessageBox("t", "Own caption");
    EXPECT_EQ(box.lastCaption, "Own caption");
    ksx::SetApplicationCaption("KSX Module");
    ksx::SetMessageBoxService(nullptr);
    EXPECT_NE(ksx::GetMessageBoxService(), &box);
}

TEST(ProcessTest, ModuleFolderAndDetachedStart) {
    const std::string folder = ksx::GetModuleFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(fs::path(folder), fs::canonical("/proc/self/exe").parent_path());

    EXPECT_FALSE(ksx::StartProcess({}));
    EXPECT_FALSE(ksx::StartProcess({"ksx-no-such-program-anywhere"}));

    const fs::path marker = fs::temp_directory_path() / ("ksx_start_" + std::to_string(::getpid()));
    fs::remove(marker);
    ASSERT_TRUE(ksx::StartProcess({"sh", "-c", "echo started > \"$0\"", marker.string()}));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!fs::exists(marker) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
    }
    EXPECT_TRUE(fs::exists(marker));
    fs::remove(marker);
}

// Test hooks for waits: an override holds for its own life and nests; an unknown name is reported.
TEST(Tunable, OverridesHoldForTheirLifeAndNest) {
    const ksx::Tunable pause("test.pause-ms", 1000);
    EXPECT_EQ(ksx::Tunable::Find("test.pause-ms"), &pause);
    {
        ksx::Tunable::Override fast("test.pause-ms", 0);
        EXPECT_TRUE(fast.Applied());
        EXPECT_EQ(pause.Get(), 0);
        {
            ksx::Tunable::Override faster("test.pause-ms", 5);
            EXPECT_EQ(pause.Get(), 5);
        }
        EXPECT_EQ(pause.Get(), 0);
    }
    EXPECT_EQ(pause.Get(), 1000);
    ksx::Tunable::Override typo("test.paus-ms", 0);
    EXPECT_FALSE(typo.Applied());
}
