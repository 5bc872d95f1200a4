// Calendar help, uptime text and the default-browser lookup.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "core/Utils.h"

namespace {

TEST(CalendarTest, LeapYearsAndMonthLengths) {
    EXPECT_TRUE(CUtils::IsLeapYear(2012));
    EXPECT_TRUE(CUtils::IsLeapYear(2000));
    EXPECT_TRUE(CUtils::IsLeapYear(0));
    EXPECT_FALSE(CUtils::IsLeapYear(2013));
    EXPECT_FALSE(CUtils::IsLeapYear(1900));
    EXPECT_FALSE(CUtils::IsLeapYear(2100));

    EXPECT_EQ(CUtils::DaysInMonthText("2012", "2"), "29");
    EXPECT_EQ(CUtils::DaysInMonthText("2013", "2"), "28");
    EXPECT_EQ(CUtils::DaysInMonthText("2000", "2"), "29");
    EXPECT_EQ(CUtils::DaysInMonthText("1900", "2"), "28");
    EXPECT_EQ(CUtils::DaysInMonthText("2011", "02"), "");
    EXPECT_EQ(CUtils::DaysInMonthText("2011", "13"), "");
    EXPECT_EQ(CUtils::DaysInMonthText("", "12"), "31");
    EXPECT_EQ(CUtils::DaysInMonthText("2011", "11"), "30");
}

struct FakeCombo {
    void ResetContent() { items.clear(); }
    int AddString(const std::string& s) {
        items.push_back(s);
        return static_cast<int>(items.size()) - 1;
    }
    int SetCurSel(int i) {
        selected = i < static_cast<int>(items.size()) ? i : -1;
        return selected;
    }
    std::vector<std::string> items{"old"};
    int selected = 5;
};

// The same list with the method names of a Qt combo box.
struct QtStyleCombo {
    void clear() { items.clear(); }
    void addItem(const char* s) { items.emplace_back(s); }
    void setCurrentIndex(int i) { current = i < static_cast<int>(items.size()) ? i : -1; }
    std::vector<std::string> items{"old", "older"};
    int current = 1;
};

TEST(CalendarTest, DayListIsRefilledAndTheFirstDaySelected) {
    FakeCombo combo;
    CUtils::FillDayCombo("2012", "2", combo);
    ASSERT_EQ(combo.items.size(), 29u);
    EXPECT_EQ(combo.items.front(), "1");
    EXPECT_EQ(combo.items.back(), "29");
    EXPECT_EQ(combo.selected, 0);
    CUtils::FillDayCombo("2011", "02", combo);
    EXPECT_TRUE(combo.items.empty());
    EXPECT_EQ(combo.selected, -1);

    QtStyleCombo qt;
    CUtils::FillDayCombo("2013", "2", qt);
    ASSERT_EQ(qt.items.size(), 28u);
    EXPECT_EQ(qt.items.back(), "28");
    EXPECT_EQ(qt.current, 0);
    CUtils::FillDayCombo("2013", "9", qt);
    EXPECT_EQ(qt.items.size(), 30u);
}

TEST(UptimeTest, LeadingZeroFieldsAreDropped) {
    EXPECT_EQ(CUtils::FormatUptime(0), "0");
    EXPECT_EQ(CUtils::FormatUptime(1), "1 secs");
    EXPECT_EQ(CUtils::FormatUptime(59), "59 secs");
    EXPECT_EQ(CUtils::FormatUptime(60), "1 mins,0 secs");
    EXPECT_EQ(CUtils::FormatUptime(3600), "1 hours,0 mins,0 secs");
    EXPECT_EQ(CUtils::FormatUptime(86400 + 3600 + 60 + 1), "1 days,1 hours,1 mins,1 secs");
    EXPECT_EQ(CUtils::FormatUptime(86400 + 59), "1 days,0 hours,0 mins,59 secs");
    EXPECT_EQ(CUtils::FormatUptime(31536000), "11 month,30 days,0 hours,0 mins,0 secs");
    // The first counted year has 366 days, the next three 365.
    EXPECT_EQ(CUtils::FormatUptime(366u * 86400), "1 year,0 month,0 days,0 hours,0 mins,0 secs");
    EXPECT_EQ(CUtils::FormatUptime(31u * 86400), "1 month,0 days,0 hours,0 mins,0 secs");
    EXPECT_EQ(CUtils::FormatUptime(60u * 86400),
              "2 month,0 days,0 hours,0 mins,0 secs");  // February of year 0 has 29 days
    EXPECT_EQ(CUtils::FormatUptime(4294967295u), "136 year,1 month,6 days,6 hours,28 mins,15 secs");
}

TEST(BrowserTest, ProgramOfACommand) {
    EXPECT_EQ(CUtils::ExtractBrowserProgram("\"C:\\Program Files\\Web\\web.exe\" -nohome \"%1\""),
              "C:\\Program Files\\Web\\web.exe");
    EXPECT_EQ(CUtils::ExtractBrowserProgram("\"C:\\WEB\\WEB.EXE\" %1"), "C:\\WEB\\WEB.EXE");
    EXPECT_EQ(CUtils::ExtractBrowserProgram("\"C:\\Web\\web.Exe\" %1"), "");
    EXPECT_EQ(CUtils::ExtractBrowserProgram(":\\web.exe"), "");

    EXPECT_EQ(CUtils::ExtractBrowserProgram("/usr/lib/browser/browser %u"), "/usr/lib/browser/browser");
    EXPECT_EQ(CUtils::ExtractBrowserProgram("browser --new-window %U"), "browser");
    EXPECT_EQ(CUtils::ExtractBrowserProgram("\"/opt/My Web/run\" %u"), "/opt/My Web/run");
    EXPECT_EQ(CUtils::ExtractBrowserProgram("env LANG=C browser %u"), "browser");
    // A wrapper that needs its own arguments cannot be started with the address alone.
    EXPECT_EQ(CUtils::ExtractBrowserProgram("sandbox run org.example.Browser %u"), "");
    EXPECT_EQ(CUtils::ExtractBrowserProgram(""), "");
}

// A desktop set up in a temporary folder: PATH, the xdg-settings answer and the browser's entry.
class DesktopBrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = std::filesystem::temp_directory_path() / ("ksx_browser_" + std::to_string(getpid()));
        std::filesystem::create_directories(root_ / "bin");
        std::filesystem::create_directories(root_ / "data/applications");
        Save("PATH");
        Save("XDG_DATA_HOME");
        Save("XDG_DATA_DIRS");
        setenv("PATH", (root_ / "bin").c_str(), 1);
        setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
        setenv("XDG_DATA_DIRS", (root_ / "none").c_str(), 1);
    }
    void TearDown() override {
        for (auto& [name, value] : saved_) {
            if (value.has_value()) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
        std::filesystem::remove_all(root_);
    }
    void Save(const std::string& name) {
        const char* v = std::getenv(name.c_str());
        saved_.emplace_back(name, v ? std::optional<std::string>(v) : std::nullopt);
    }
    void Script(const std::string& name, const std::string& body) {
        std::filesystem::path p = root_ / "bin" / name;
        std::ofstream(p) << "#!/bin/sh\n" << body << "\n";
        chmod(p.c_str(), 0755);
    }
    void Entry(const std::string& id, const std::string& exec) {
        std::ofstream(root_ / "data/applications" / id)
            << "[Desktop Entry]\nName=Web\nTryExec=nothing\nExec=" << exec
            << "\n[Desktop Action new]\nExec=x\n";
    }
    std::string Bin(const std::string& name) const { return (root_ / "bin" / name).string(); }

    std::filesystem::path root_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(DesktopBrowserTest, DefaultBrowserProgramFromTheDesktopEntry) {
    Script("xdg-settings", "echo web-test.desktop");
    Script("webtest", "exit 0");
    Script("xdg-open", "exit 0");
    Entry("web-test.desktop", "webtest %u");
    EXPECT_EQ(CUtils::GetDefaultBrowserPath(), Bin("webtest"));
}

TEST_F(DesktopBrowserTest, FallsBackToXdgOpen) {
    Script("xdg-open", "exit 0");
    EXPECT_EQ(CUtils::GetDefaultBrowserPath(), Bin("xdg-open"));  // no xdg-settings
    Script("xdg-settings", "echo missing.desktop");
    EXPECT_EQ(CUtils::GetDefaultBrowserPath(), Bin("xdg-open"));  // no such entry
    Entry("wrapped.desktop", "sandbox run org.example.Web %u");
    Script("xdg-settings", "echo wrapped.desktop");
    EXPECT_EQ(CUtils::GetDefaultBrowserPath(), Bin("xdg-open"));  // not startable with the address alone
}

TEST_F(DesktopBrowserTest, EmptyWhenNothingIsFound) {
    EXPECT_EQ(CUtils::GetDefaultBrowserPath(), "");
}

}  // namespace
