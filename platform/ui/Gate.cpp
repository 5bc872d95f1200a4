#include "platform/ui/Gate.h"

#include <QCoreApplication>
#include <QObject>
#include <QThread>
#include <atomic>
#include <thread>

#include "platform/sys/DeliveryGate.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/QtMessageBox.h"

namespace ksx::ui {

namespace {

std::atomic<bool> g_wakePending{false};
// The object whose thread runs the queued calls. Never deleted: a worker may still wake it while the
// application shuts down, and a queued call to a live object without an event loop is harmless.
std::atomic<QObject*> g_receiver{nullptr};

QtMessageBoxService* g_boxService = nullptr;

void RunQueued() {
    g_wakePending.store(false);
    DeliveryGate::Instance().RunPending();
}

}  // namespace

void InstallGate() {
    QObject* receiver = g_receiver.load();
    if (receiver == nullptr || receiver->thread() != QThread::currentThread()) {
        receiver = new QObject;
        g_receiver.store(receiver);
    }
    g_wakePending.store(false);
    DeliveryGate& gate = DeliveryGate::Instance();
    gate.SetOwnerThread(std::this_thread::get_id());
    gate.SetWakeup([receiver] {
        // One queued invocation at a time: it drains everything queued before it runs.
        if (!g_wakePending.exchange(true)) {
            QMetaObject::invokeMethod(receiver, &RunQueued, Qt::QueuedConnection);
        }
    });
    // Calls queued before the gate was bound.
    QMetaObject::invokeMethod(receiver, &RunQueued, Qt::QueuedConnection);
}

void UninstallGate() {
    DeliveryGate& gate = DeliveryGate::Instance();
    gate.SetWakeup(nullptr);
    gate.SetOwnerThread(std::thread::id());
}

void InstallMessageBoxService() {
    if (g_boxService == nullptr) {
        g_boxService = new QtMessageBoxService;
    }
    SetMessageBoxService(g_boxService);
}

void UninstallMessageBoxService() {
    if (GetMessageBoxService() == g_boxService) {
        SetMessageBoxService(nullptr);
    }
    delete g_boxService;
    g_boxService = nullptr;
}

}  // namespace ksx::ui
