// Window messages from worker threads: blocking sends run on the UI thread, posts keep their order, and
// the abandon rule holds for windows being destroyed and for workers the UI thread waits for.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/sys/DeliveryGate.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Gate.h"
#include "platform/ui/QtMessageBox.h"
#include "tests/support/ui/DialogDriver.h"

namespace {

using namespace ksx;
using ksx::test::DialogDriver;
using ksx::test::WaitUntil;

constexpr unsigned WM_ROW = WM_USER + 10;
constexpr unsigned WM_SEQ = WM_USER + 11;

struct Row {
    int index;
    char text[32];
};

// Records what its handlers saw and on which thread.
class ReceiverDlg : public CDialog {
public:
    ReceiverDlg() : CDialog(200) {
        OnMessage(WM_ROW, [this](WPARAM, LPARAM l) -> LRESULT {
            const Row* row = reinterpret_cast<const Row*>(l);
            offUiThread |= std::this_thread::get_id() != uiThread;
            rows.push_back(std::to_string(row->index) + ":" + row->text);
            return row->index + 1000;
        });
        OnMessage(WM_SEQ, [this](WPARAM w, LPARAM) -> LRESULT {
            offUiThread |= std::this_thread::get_id() != uiThread;
            seq.push_back(static_cast<int>(w));
            return 0;
        });
    }
    const std::thread::id uiThread = std::this_thread::get_id();
    std::vector<std::string> rows;  // UI thread only
    std::vector<int> seq;           // UI thread only
    bool offUiThread = false;
};

// Replaces the gate's wake-up for one test so the test knows when a worker's call is queued; the Qt
// binding comes back on destruction.
class QueuedProbe {
public:
    QueuedProbe() {
        DeliveryGate::Instance().SetWakeup([this] {
            std::lock_guard<std::mutex> lock(m);
            queued.fetch_add(1);
            cv.notify_all();
        });
    }
    ~QueuedProbe() { ui::InstallGate(); }
    // Waits (without running the UI event loop) until `n` calls were queued.
    bool WaitQueued(int n) {
        std::unique_lock<std::mutex> lock(m);
        return cv.wait_for(lock, std::chrono::seconds(5), [&] { return queued.load() >= n; });
    }
    std::atomic<int> queued{0};
    std::mutex m;
    std::condition_variable cv;
};

TEST(Delivery, WorkerSendRunsOnUiThreadWithStackRecord) {
    ReceiverDlg dlg;
    DialogDriver drv(dlg);
    std::atomic<int> done{0};
    std::vector<LRESULT> results(20);
    std::thread worker([&] {
        for (int i = 0; i < 20; ++i) {
            Row row{i, {}};
            std::snprintf(row.text, sizeof row.text, "port %d", i + 1);
            results[i] = dlg.SendMessage(WM_ROW, 0, reinterpret_cast<LPARAM>(&row));
            // The record is only overwritten after the handler returned.
            std::snprintf(row.text, sizeof row.text, "gone");
        }
        done = 1;
    });
    ASSERT_TRUE(WaitUntil([&] { return done.load() == 1; }));
    worker.join();
    ASSERT_EQ(dlg.rows.size(), 20u);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(dlg.rows[i], std::to_string(i) + ":port " + std::to_string(i + 1));
        EXPECT_EQ(results[i], i + 1000);
    }
    EXPECT_FALSE(dlg.offUiThread);
    // On the UI thread itself a send runs at once.
    Row row{5, "here"};
    EXPECT_EQ(dlg.SendMessage(WM_ROW, 0, reinterpret_cast<LPARAM>(&row)), 1005);
}

TEST(Delivery, PostsArriveInOrderFromSeveralWorkers) {
    ReceiverDlg dlg;
    DialogDriver drv(dlg);
    constexpr int kPerWorker = 500;
    std::thread a([&] {
        for (int i = 0; i < kPerWorker; ++i) {
            EXPECT_TRUE(dlg.PostMessage(WM_SEQ, i, 0));
        }
    });
    std::thread b([&] {
        for (int i = 0; i < kPerWorker; ++i) {
            dlg.PostMessage(WM_SEQ, 10000 + i, 0);
            if (i % 100 == 0) {
                dlg.SendMessage(WM_SEQ, 20000 + i, 0);  // sends keep their place among the posts
            }
        }
    });
    // b's sends need the UI thread: pump until everything arrived, then join.
    ASSERT_TRUE(WaitUntil([&] { return dlg.seq.size() == 2 * kPerWorker + 5; }));
    a.join();
    b.join();
    int lastA = -1;
    int lastB = -1;
    for (int v : dlg.seq) {
        if (v < 10000) {
            EXPECT_EQ(v, lastA + 1);
            lastA = v;
        } else {
            const int i = v % 10000;
            if (v >= 20000) {
                EXPECT_EQ(i, lastB);  // after the post of the same step
            } else {
                EXPECT_EQ(i, lastB + 1);
                lastB = i;
            }
        }
    }
    EXPECT_EQ(lastA, kPerWorker - 1);
    EXPECT_FALSE(dlg.offUiThread);
}

TEST(Delivery, SendToWindowBeingDestroyedIsAbandoned) {
    ReceiverDlg dlg;
    DialogDriver drv(dlg);
    std::atomic<LRESULT> result{-1};
    std::atomic<bool> postAccepted{true};
    std::atomic<LRESULT> lateResult{-1};
    std::thread worker;
    {
        QueuedProbe probe;
        worker = std::thread([&] {
            Row row{1, "late"};
            result = dlg.SendMessage(WM_ROW, 0, reinterpret_cast<LPARAM>(&row));
            lateResult = dlg.SendMessage(WM_ROW, 0, reinterpret_cast<LPARAM>(&row));
            postAccepted = dlg.PostMessage(WM_SEQ, 1, 0);
        });
        ASSERT_TRUE(probe.WaitQueued(1));
        // The worker waits in its send; the dialog ends and goes away without running the event loop.
        dlg.DestroyWindow();
        worker.join();
    }
    EXPECT_EQ(result.load(), 0);
    EXPECT_EQ(lateResult.load(), 0);
    EXPECT_FALSE(postAccepted.load());
    // Never delivered later either.
    QTimer probeTimer;
    int ticks = 0;
    QObject::connect(&probeTimer, &QTimer::timeout, [&] { ++ticks; });
    probeTimer.start(1);
    ASSERT_TRUE(WaitUntil([&] { return ticks >= 10; }));
    EXPECT_TRUE(dlg.rows.empty());
    EXPECT_TRUE(dlg.seq.empty());
}

TEST(Delivery, DialogEndingThroughEndDialogAbandonsBeforeItsDestroyHook) {
    // A dialog whose DestroyWindow joins a worker that keeps sending: no deadlock, nothing late.
    class JoiningDlg : public ReceiverDlg {
    public:
        std::thread worker;
        std::atomic<bool> stop{false};
        std::atomic<int> zeros{0};
        int DestroyWindow() override {
            stop = true;
            if (worker.joinable()) {
                worker.join();
            }
            return CDialog::DestroyWindow();
        }
    };
    JoiningDlg dlg;
    DialogDriver drv(dlg);
    dlg.worker = std::thread([&] {
        for (int i = 0; !dlg.stop.load(); ++i) {
            Row row{i, "r"};
            if (dlg.SendMessage(WM_ROW, 0, reinterpret_cast<LPARAM>(&row)) == 0) {
                dlg.zeros.fetch_add(1);
            }
        }
    });
    ASSERT_TRUE(WaitUntil([&] { return dlg.rows.size() >= 10; }));
    dlg.EndDialog(IDOK);
    ASSERT_TRUE(drv.WaitEnded());
    EXPECT_FALSE(dlg.worker.joinable());
    const std::size_t atEnd = dlg.rows.size();
    ksx::test::PumpEvents();
    EXPECT_EQ(dlg.rows.size(), atEnd);
}

TEST(Delivery, SendFromWorkerTheUiThreadWaitsForIsAbandoned) {
    ReceiverDlg dlg;
    DialogDriver drv(dlg);
    std::atomic<LRESULT> result{-1};
    std::atomic<LRESULT> during{-1};
    std::atomic<bool> second{false};
    std::atomic<bool> release{false};
    {
        QueuedProbe probe;
        std::thread worker([&] {
            Row row{3, "x"};
            result = dlg.SendMessage(WM_ROW, 0, reinterpret_cast<LPARAM>(&row));
            during = dlg.SendMessage(WM_ROW, 0, reinterpret_cast<LPARAM>(&row));
            second = true;
            while (!release.load()) {
                std::this_thread::yield();
            }
        });
        ASSERT_TRUE(probe.WaitQueued(1));
        {
            DeliveryGate::WaitingFor waiting(worker.get_id());
            while (!second.load()) {
                std::this_thread::yield();
            }
            release = true;
            worker.join();
        }
    }
    EXPECT_EQ(result.load(), 0);
    EXPECT_EQ(during.load(), 0);
    ksx::test::PumpEvents();
    EXPECT_TRUE(dlg.rows.empty());
    // The window itself still takes messages from other threads.
    std::atomic<LRESULT> later{-1};
    std::thread other([&] {
        Row row{4, "y"};
        later = dlg.SendMessage(WM_ROW, 0, reinterpret_cast<LPARAM>(&row));
    });
    ASSERT_TRUE(WaitUntil([&] { return later.load() != -1; }));
    other.join();
    EXPECT_EQ(later.load(), 1004);
}

TEST(Delivery, MessageBoxFromWorkerShowsOnUiThread) {
    ui::QtMessageBoxService service;
    std::atomic<int> answer{0};
    bool onUiThread = false;
    QString text;
    // The box runs its own loop inside the gate's call: answer it from a timer of that loop.
    std::function<void()> poll = [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (box != nullptr && box->isVisible()) {
                onUiThread = box->thread() == qApp->thread();
                text = box->text();
                box->button(QMessageBox::Yes)->click();
                return;
            }
        }
        QTimer::singleShot(1, qApp, poll);
    };
    QTimer::singleShot(0, qApp, poll);
    std::thread worker([&] { answer = service.Show("from worker", "Cap", MB_YESNO | MB_ICONQUESTION); });
    ASSERT_TRUE(WaitUntil([&] { return answer.load() != 0; }));
    worker.join();
    EXPECT_EQ(answer.load(), IDYES);
    EXPECT_TRUE(onUiThread);
    EXPECT_EQ(text, "from worker");

    // While the UI thread waits for the worker, its box is not shown and gets the negative answer.
    std::atomic<bool> go{false};
    std::thread blocked([&] {
        while (!go.load()) {
            std::this_thread::yield();
        }
        answer = service.Show("never shown", "", MB_OKCANCEL);
    });
    {
        DeliveryGate::WaitingFor waiting(blocked.get_id());
        go = true;
        blocked.join();
    }
    EXPECT_EQ(answer.load(), IDCANCEL);
}

}  // namespace
