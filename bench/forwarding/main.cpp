// bench_forwarding: the forwarding table view (offscreen) opened until all 16,000 entries of a generated
// forwarding table are read, against snmpwalk -v1 of the same two columns on the same simulator in the
// same run. Prints both medians and the ratio (view / snmpwalk).
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
#include "features/monitoring/SwitchDatabase.h"
#include "platform/snmplib/Snmp.h"
#include "platform/sys/Globals.h"
#include "platform/ui/Gate.h"
#include "res/ids_stdmib.h"
#include "tests/support/SimSwitch.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kEntries = 16000;
constexpr int kRepeats = 7;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Construct, create and show the view, pump events until every entry is read; seconds, or a negative
// value when it did not fill within 120 s.
double FillView() {
    const auto t0 = Clock::now();
    CSwitchDatabase dlg;
    dlg.Create();
    QElapsedTimer limit;
    limit.start();
    while (!(!dlg.Walking() && dlg.IsDlgItemEnabled(ksx::IDC_FDB_REFRESH))) {
        if (limit.elapsed() > 120000) {
            return -1;
        }
        QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    }
    const double s = std::chrono::duration<double>(Clock::now() - t0).count();
    const bool whole = dlg.Entries().size() == static_cast<size_t>(kEntries);
    dlg.EndDialog(ksx::IDCANCEL);
    while (!dlg.IsWindowDestroyed()) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return whole ? s : -1;
}

// snmpwalk once per column, as a user would read the same columns; seconds for both.
double ToolWalk(int port) {
    return ksx::bench::SnmpwalkColumns(
        port, {CSwitchDatabase::kDot1qTpFdbStatus, CSwitchDatabase::kDot1qTpFdbPort});
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
        ksx::test::SimSwitch::Options options;
        options.extraArgs = {"--fdb", std::to_string(kEntries)};
        ksx::test::SimSwitch sim(options);
        ksx::test::UseSimV1(sim);
        FillView();  // warm-up: fonts, styles, first session
        std::vector<double> ours;
        std::vector<double> tool;
        for (int i = 0; i < kRepeats; ++i) {
            const double a = FillView();
            const double b = ToolWalk(sim.Port());
            if (a < 0 || b < 0) {
                std::printf("forwarding table: failed\n");
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
                "forwarding table view open until %d entries read, median of %d; snmpwalk -v1 once per "
                "column (2)\n",
                kEntries, kRepeats);
            std::printf("%-28s view %8.3f s   snmpwalk %8.3f s   ratio %.2f\n", "SNMPv1", a, b, a / b);
        }
    }
    ksx::ui::UninstallGate();
    return rc;
}
