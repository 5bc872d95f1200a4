// ksx-module: the management module of one switch. The host starts it once per device with the
// device address and the SNMP credentials as positional values: /P<param1> /I<address> /R<read
// community> /W<write community> /V<vlan flag> /S<version> /O<port> /x /x /x<param10> /L<v3 level>
// /U<user> /A<auth password> /X<priv password> /H<auth protocol> /Y<priv protocol>.
//
// KSX_FIRST_LIVE_PAINT=1 (benchmarks): once the panel was painted with states read from the device,
// print "FIRST_LIVE_PAINT vmrss_kb=<n> vmhwm_kb=<n>" on stdout and close.
#include <QApplication>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/QuorviaModuleApp.h"
#include "app/QuorviaModuleDlg.h"
#include "app/Terminate.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/Gate.h"
#include "platform/ui/WindowMessages.h"

namespace {

// A field of /proc/self/status in kB (VmRSS, VmHWM), -1 when absent.
long StatusKb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0) {
            return std::strtol(line.c_str() + field.size() + 1, nullptr, 10);
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    // The host's command line, taken before Qt looks at the arguments.
    const std::string commandLine = ksx::JoinArguments(argc, argv);

    QApplication app(argc, argv);
    ksx::ui::InstallGate();
    ksx::ui::InstallMessageBoxService();
    ksx::SetApplicationCaption("KSX Module");

    if (qEnvironmentVariableIntValue("KSX_FIRST_LIVE_PAINT") == 1) {
        ksx::CQuorviaModuleDlg::SetFirstLivePaintHook([] {
            std::printf("FIRST_LIVE_PAINT vmrss_kb=%ld vmhwm_kb=%ld\n", StatusKb("VmRSS"), StatusKb("VmHWM"));
            std::fflush(stdout);
            if (ksx::CQuorviaModuleDlg* dlg = ksx::theApp.GetMainWnd()) {
                dlg->SendMessage(ksx::WM_CLOSE, 0, 0);
            }
        });
    }

    // SIGTERM and SIGINT end every request at once, the open dialogs as their Cancel would, then the
    // main window; what goes on after a dialog closed is waited for (a second signal ends at once).
    ksx::InstallTerminateHandling();

    ksx::theApp.SetCommandLine(commandLine);
    ksx::theApp.InitInstance();

    ksx::RemoveTerminateHandling();
    ksx::CQuorviaModuleDlg::SetFirstLivePaintHook(nullptr);
    ksx::ui::UninstallMessageBoxService();
    ksx::ui::UninstallGate();
    return 0;
}
