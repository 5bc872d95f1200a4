#include "app/Terminate.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <string>

#include "app/FinishRuns.h"
#include "app/ModalWindows.h"
#include "app/QuorviaModuleApp.h"
#include "app/QuorviaModuleDlg.h"
#include "features/common/AfterCloseRun.h"
#include "platform/snmplib/Snmp.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/QtMessageBox.h"

namespace ksx {

namespace {

int g_signalPipe[2] = {-1, -1};
std::unique_ptr<QSocketNotifier> g_notifier;
std::atomic<int> g_signals{0};
static_assert(std::atomic<int>::is_always_lock_free, "counted in a signal handler");

void OnTerminate(int signal) {
    // Only what a signal handler may do: a lock-free latch, eventfd and pipe writes, _exit.
    if (g_signals.fetch_add(1) > 0) {
        _exit(128 + signal);  // asked again: the end at once, whatever is still going
    }
    SnmpCancelAll();
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

constexpr int kRetryMs = 10;

// Once a signal asked for the end, no box waits for an answer: what a box would say goes to standard
// error, one line, and it takes the answer that starts nothing further. A box already up when the
// signal came is ended by the shutdown unread, so its text goes there too, and it takes that answer as
// well, whatever ended it.
class EndingBoxes : public IMessageBoxService {
public:
    explicit EndingBoxes(IMessageBoxService* shown) : m_shown(shown) {}
    IMessageBoxService* Shown() const { return m_shown; }

    int Show(const std::string& text, const std::string& caption, unsigned flags) override {
        if (g_signals.load() == 0) {
            const int answer = m_shown->Show(text, caption, flags);
            if (g_signals.load() == 0) {
                return answer;
            }
        }
        ToStderr(text);
        return ui::QtMessageBoxService::NegativeAnswer(flags);
    }

private:
    static void ToStderr(const std::string& text) {
        std::string line = text;
        std::replace(line.begin(), line.end(), '\n', ' ');
        std::fprintf(stderr, "%s\n", line.c_str());
        std::fflush(stderr);
    }

    IMessageBoxService* m_shown;
};

std::unique_ptr<EndingBoxes> g_boxes;

void CloseMainWindow() {
    if (CQuorviaModuleDlg* dlg = theApp.GetMainWnd()) {
        EndModalsThenClose(dlg);
        return;
    }
    // No main window: a box of the start ("No parameter input !") or one that tells a run's end while
    // the process waits for the runs waits for nobody.
    if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        box->reject();
    }
    if (!FinishingAfterCloseRuns() && g_notifier) {
        // Still starting: the main window is closed as soon as it exists (a box that comes first, too).
        QTimer::singleShot(kRetryMs, g_notifier.get(), [] { CloseMainWindow(); });
    }
}

void OnTerminateRequested() {
    char bytes[16];
    while (::read(g_signalPipe[0], bytes, sizeof bytes) > 0) {
    }
    // What the module finishes before it ends is said on standard error, not in boxes (EndingBoxes).
    for (const std::string& what : ui::AfterCloseRunsGoing()) {
        std::fprintf(stderr, "Finishing before the end: %s...\n", what.c_str());
    }
    std::fflush(stderr);
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
    g_boxes = std::make_unique<EndingBoxes>(GetMessageBoxService());
    SetMessageBoxService(g_boxes.get());
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
    if (GetMessageBoxService() == g_boxes.get()) {
        SetMessageBoxService(g_boxes->Shown());
    }
    g_boxes.reset();
    g_signals = 0;
    ::close(g_signalPipe[0]);
    ::close(g_signalPipe[1]);
    g_signalPipe[0] = g_signalPipe[1] = -1;
}

}  // namespace ksx
