#include "app/Terminate.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QTimer>
#include <memory>

#include "app/ModalWindows.h"
#include "app/QuorviaModuleApp.h"
#include "app/QuorviaModuleDlg.h"
#include "platform/snmplib/Snmp.h"

namespace ksx {

namespace {

int g_signalPipe[2] = {-1, -1};
std::unique_ptr<QSocketNotifier> g_notifier;

void OnTerminate(int) {
    // Only what a signal handler may do: a lock-free latch, eventfd and pipe writes.
    SnmpCancelAll();
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

constexpr int kRetryMs = 10;

void CloseMainWindow() {
    if (CQuorviaModuleDlg* dlg = theApp.GetMainWnd()) {
        EndModalsThenClose(dlg);
    } else if (g_notifier) {
        // Still starting: the main window is closed as soon as it exists.
        QTimer::singleShot(kRetryMs, g_notifier.get(), [] { CloseMainWindow(); });
    }
}

void OnTerminateRequested() {
    char bytes[16];
    while (::read(g_signalPipe[0], bytes, sizeof bytes) > 0) {
    }
    CloseMainWindow();
}

}  // namespace

bool InstallTerminateHandling() {
    if (g_notifier) {
        return true;
    }
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_signalPipe[0] = g_signalPipe[1] = -1;
        return false;
    }
    g_notifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(g_notifier.get(), &QSocketNotifier::activated, [] { OnTerminateRequested(); });
    struct sigaction action {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    return true;
}

void RemoveTerminateHandling() {
    if (!g_notifier) {
        return;
    }
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    g_notifier.reset();
    ::close(g_signalPipe[0]);
    ::close(g_signalPipe[1]);
    g_signalPipe[0] = g_signalPipe[1] = -1;
}

}  // namespace ksx
