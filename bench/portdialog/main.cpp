// bench_portdialog: opening the port settings dialog (offscreen) until its port list is filled, against
// snmpwalk -v1 of the same six port-table columns on the same simulator in the same run. Prints both
// medians and the ratio (dialog / snmpwalk).
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/common/ToolWalk.h"
#include "controls/ListCtrl.h"
#include "features/port_system/PortSetInfo.h"
#include "platform/snmplib/Snmp.h"
#include "platform/sys/Globals.h"
#include "platform/ui/Gate.h"
#include "res/ids_port_settings.h"
#include "tests/support/SimSwitch.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRepeats = 15;
const char kPortTable[] = "1.3.6.1.4.1.7393.10.76.20.1.1.13.1";
const int kColumns[] = {1, 2, 3, 4, 5, 7};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Construct, create and show the dialog, pump events until the list holds every port; seconds, or a
// negative value when it did not fill within 20 s.
double OpenDialog() {
    const auto t0 = Clock::now();
    CPortSetInfo dlg;
    dlg.Create();
    auto* list = qobject_cast<CListCtrl*>(dlg.GetDlgItem(ksx::IDC_PORTSET_LIST));
    QElapsedTimer limit;
    limit.start();
    while (!(dlg.IsDlgItemEnabled(ksx::IDC_PORTSET_APPLY) && list->GetItemCount() == g_nPortNum)) {
        if (limit.elapsed() > 20000) {
            return -1;
        }
        QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    }
    const double s = std::chrono::duration<double>(Clock::now() - t0).count();
    dlg.EndDialog(ksx::IDCANCEL);
    while (!dlg.IsWindowDestroyed()) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return s;
}

// snmpwalk once per column, as a user would read the same columns; seconds for the six.
double ToolWalk(int port) {
    std::vector<std::string> columns;
    for (int c : kColumns) {
        columns.push_back(std::string(kPortTable) + "." + std::to_string(c));
    }
    return ksx::bench::SnmpwalkColumns(port, columns);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ksx::ui::InstallGate();
    SnmpInit();
    int rc = 0;
    {
        ksx::test::SimSwitch sim;
        ksx::test::UseSimV1(sim);
        OpenDialog();  // warm-up: fonts, styles, first session
        std::vector<double> ours;
        std::vector<double> tool;
        for (int i = 0; i < kRepeats; ++i) {
            const double a = OpenDialog();
            const double b = ToolWalk(sim.Port());
            if (a < 0 || b < 0) {
                std::printf("port dialog: failed\n");
                rc = 1;
                break;
            }
            ours.push_back(a);
            tool.push_back(b);
        }
        if (rc == 0) {
            const double a = Median(ours);
            const double b = Median(tool);
            std::printf(
                "port dialog open until %d rows shown, median of %d; snmpwalk -v1 once per column (%zu)\n",
                g_nPortNum, kRepeats, std::size(kColumns));
            std::printf("%-28s dialog %8.4f s   snmpwalk %8.4f s   ratio %.2f\n", "SNMPv1", a, b, a / b);
        }
    }
    ksx::ui::UninstallGate();
    return rc;
}
