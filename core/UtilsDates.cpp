// Calendar help, uptime text and the default-browser lookup.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "core/TextNumbers.h"
#include "core/Utils.h"

using ksx::text::LeadingInt;

bool CUtils::IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

std::string CUtils::DaysInMonthText(const std::string& year, const std::string& month) {
    if (month == "1" || month == "3" || month == "5" || month == "7" || month == "8" || month == "10" ||
        month == "12") {
        return "31";
    }
    if (month == "4" || month == "6" || month == "9" || month == "11") {
        return "30";
    }
    if (month == "2") {
        return IsLeapYear(LeadingInt(year)) ? "29" : "28";
    }
    return std::string();
}

std::vector<std::string> CUtils::DayListItems(const std::string& year, const std::string& month) {
    int days = LeadingInt(DaysInMonthText(year, month));
    std::vector<std::string> items;
    for (int d = 1; d <= days; ++d) {
        items.push_back(std::to_string(d));
    }
    return items;
}

std::string CUtils::FormatUptime(unsigned seconds) {
    if (seconds == 0) {
        return "0";
    }
    constexpr unsigned kDay = 86400;
    int years = 0, months = 0, days = 0, hours = 0, mins = 0;
    unsigned remaining = seconds;
    while (remaining > 59) {
        unsigned yearLength = (IsLeapYear(years) ? 366u : 365u) * kDay;
        if (remaining >= yearLength) {
            ++years;
            remaining -= yearLength;
        } else if (remaining >= kDay) {
            unsigned d = remaining / kDay;
            remaining %= kDay;
            const unsigned lengths[12] = {
                31, IsLeapYear(years) ? 29u : 28u, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
            int m = 0;
            while (m < 12 && d >= lengths[m]) {
                d -= lengths[m];
                ++m;
            }
            months = m;
            days = static_cast<int>(d);
        } else if (remaining >= 3600) {
            hours = static_cast<int>(remaining / 3600);
            remaining %= 3600;
        } else {
            mins = static_cast<int>(remaining / 60);
            remaining %= 60;
        }
    }
    char buf[160];
    std::snprintf(buf, sizeof buf, "%d year,%d month,%d days,%d hours,%d mins,%d secs", years, months, days,
                  hours, mins, static_cast<int>(remaining));
    std::string text = buf;
    while (!text.empty() && text[0] == '0') {
        size_t comma = text.find(',');
        if (comma == std::string::npos) {
            break;
        }
        text.erase(0, comma + 1);
    }
    return text;
}

// ---- Default browser --------------------------------------------------------------------------

namespace {

bool IsExecutableFile(const std::string& path) {
    return !path.empty() && access(path.c_str(), X_OK) == 0;
}

// A program name looked up in PATH (a name with "/" is taken as it stands); empty when not found.
std::string FindProgram(const std::string& name) {
    if (name.empty()) {
        return std::string();
    }
    if (name.find('/') != std::string::npos) {
        return IsExecutableFile(name) ? name : std::string();
    }
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t pos = 0;
    while (pos <= dirs.size()) {
        size_t colon = dirs.find(':', pos);
        std::string dir = dirs.substr(pos, colon == std::string::npos ? std::string::npos : colon - pos);
        if (!dir.empty()) {
            std::string candidate = dir + "/" + name;
            if (IsExecutableFile(candidate)) {
                return candidate;
            }
        }
        if (colon == std::string::npos) {
            break;
        }
        pos = colon + 1;
    }
    return std::string();
}

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) {
        return std::string();
    }
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

// The desktop's default browser entry id ("name.desktop"), from xdg-settings.
std::string DefaultBrowserDesktopId() {
    if (FindProgram("xdg-settings").empty()) {
        return std::string();
    }
    FILE* pipe = popen("xdg-settings get default-web-browser 2>/dev/null", "r");
    if (pipe == nullptr) {
        return std::string();
    }
    std::string out;
    char buf[256];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0 && out.size() < 4096) {
        out.append(buf, n);
    }
    pclose(pipe);
    std::string id = Trim(out.substr(0, out.find('\n')));
    if (id.size() <= 8 || id.compare(id.size() - 8, 8, ".desktop") != 0 ||
        id.find('/') != std::string::npos) {
        return std::string();
    }
    return id;
}

// The Exec value of the [Desktop Entry] group of the entry id in the XDG data folders.
std::string DesktopEntryExec(const std::string& id) {
    std::vector<std::string> dataDirs;
    const char* home = std::getenv("XDG_DATA_HOME");
    if (home != nullptr && *home != '\0') {
        dataDirs.push_back(home);
    } else if (const char* h = std::getenv("HOME"); h != nullptr && *h != '\0') {
        dataDirs.push_back(std::string(h) + "/.local/share");
    }
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::string list = dirs != nullptr && *dirs != '\0' ? dirs : "/usr/local/share:/usr/share";
    size_t pos = 0;
    while (pos <= list.size()) {
        size_t colon = list.find(':', pos);
        std::string dir = list.substr(pos, colon == std::string::npos ? std::string::npos : colon - pos);
        if (!dir.empty()) {
            dataDirs.push_back(dir);
        }
        if (colon == std::string::npos) {
            break;
        }
        pos = colon + 1;
    }
    for (const std::string& dir : dataDirs) {
        std::ifstream in(dir + "/applications/" + id);
        if (!in) {
            continue;
        }
        std::string line;
        bool inEntry = false;
        while (std::getline(in, line)) {
            line = Trim(line);
            if (!line.empty() && line[0] == '[') {
                inEntry = line == "[Desktop Entry]";
                continue;
            }
            if (inEntry && line.compare(0, 5, "Exec=") == 0) {
                return Trim(line.substr(5));
            }
        }
        return std::string();  // the first entry found wins, as the desktop does
    }
    return std::string();
}

// Splits a desktop-entry Exec value into arguments (double quotes with backslash escapes).
std::vector<std::string> ExecArguments(const std::string& exec) {
    std::vector<std::string> args;
    std::string current;
    bool inArg = false;
    bool quoted = false;
    for (size_t i = 0; i < exec.size(); ++i) {
        char c = exec[i];
        if (quoted) {
            if (c == '\\' && i + 1 < exec.size()) {
                current += exec[++i];
            } else if (c == '"') {
                quoted = false;
            } else {
                current += c;
            }
        } else if (c == '"') {
            quoted = true;
            inArg = true;
        } else if (c == ' ' || c == '\t') {
            if (inArg) {
                args.push_back(current);
                current.clear();
                inArg = false;
            }
        } else {
            current += c;
            inArg = true;
        }
    }
    if (inArg) {
        args.push_back(current);
    }
    return args;
}

bool IsFieldCode(const std::string& arg) {
    return arg.size() == 2 && arg[0] == '%' &&
           std::string_view("fFuUdDnNickvm").find(arg[1]) != std::string::npos;
}

// The program of a Windows command value: from the drive letter before ":\" through the extension.
std::string WindowsProgram(const std::string& value, const char* extension) {
    size_t colon = value.find(":\\");
    size_t exe = value.find(extension);
    if (colon == std::string::npos || exe == std::string::npos || colon == 0) {
        return std::string();
    }
    if (exe + 4 < colon) {
        return std::string();  // the extension lies more than 4 characters before the drive
    }
    return value.substr(colon - 1, exe + 4 - (colon - 1));
}

}  // namespace

std::string CUtils::ExtractBrowserProgram(const std::string& command) {
    if (command.find(":\\") != std::string::npos) {
        std::string program = WindowsProgram(command, ".exe");
        return program.empty() ? WindowsProgram(command, ".EXE") : program;
    }
    std::vector<std::string> args = ExecArguments(command);
    size_t i = 0;
    if (i < args.size() && (args[i] == "env" || args[i] == "/usr/bin/env")) {
        ++i;
        while (i < args.size() && args[i].find('=') != std::string::npos && args[i][0] != '-') {
            ++i;
        }
    }
    if (i >= args.size()) {
        return std::string();
    }
    // The program is started with the device address alone: only options and field codes may follow it.
    for (size_t j = i + 1; j < args.size(); ++j) {
        if (!IsFieldCode(args[j]) && args[j][0] != '-') {
            return std::string();
        }
    }
    return args[i];
}

std::string CUtils::GetDefaultBrowserPath() {
    std::string id = DefaultBrowserDesktopId();
    if (!id.empty()) {
        std::string program = FindProgram(ExtractBrowserProgram(DesktopEntryExec(id)));
        if (!program.empty()) {
            return program;
        }
    }
    return FindProgram("xdg-open");
}
