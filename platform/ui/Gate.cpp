#include "platform/ui/Gate.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QSocketNotifier>
#include <QThread>
#include <cstdint>
#include <thread>

#include "platform/snmplib/Tripwire.h"
#include "platform/sys/DeliveryGate.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/QtMessageBox.h"

namespace ksx::ui {

namespace {

// Workers wake the UI thread through an event counter watched by the UI thread's event loop (nested
// loops included). The queued calls themselves travel through the gate's own locked queue, so nothing
// of Qt is touched from a worker. The descriptor stays open for the life of the process: a worker may
// still hold the old wake-up while the gate is being unbound.
int WakeFd() {
    static const int fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    return fd;
}

QSocketNotifier* g_notifier = nullptr;          // UI thread only
QAbstractEventDispatcher* g_counted = nullptr;  // the dispatcher whose turns the rule checks count
QtMessageBoxService* g_boxService = nullptr;

void Drain() {
    std::uint64_t count = 0;
    while (::read(WakeFd(), &count, sizeof count) == static_cast<ssize_t>(sizeof count)) {
    }
    DeliveryGate::Instance().RunPending();
}

}  // namespace

void InstallGate() {
    const int fd = WakeFd();
    if (g_notifier != nullptr && g_notifier->thread() != QThread::currentThread()) {
        g_notifier = nullptr;  // belongs to a thread that is gone; leave it
    }
    if (g_notifier == nullptr) {
        g_notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
        QObject::connect(g_notifier, &QSocketNotifier::activated, g_notifier, [] { Drain(); });
    }
    g_notifier->setEnabled(true);
    // The rule checks of the SNMP layer: this is the windows' thread, and each turn of its event loop
    // (nested loops of dialogs and boxes included) handles its events. The program checks them only
    // when its environment asks (KSX_TRIPWIRE=1); tests install their own handler.
    tripwire::SetWindowThread();
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(QThread::currentThread());
    if (dispatcher != nullptr && dispatcher != g_counted) {
        g_counted = dispatcher;
        QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, dispatcher,
                         [] { tripwire::EventsHandled(); });
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, dispatcher,
                         [] { tripwire::EventsHandled(); });
    }
    if (!tripwire::Installed() && tripwire::RequestedByEnvironment()) {
        tripwire::Install(tripwire::ExitingHandler());
    }
    DeliveryGate& gate = DeliveryGate::Instance();
    gate.SetOwnerThread(std::this_thread::get_id());
    gate.SetWakeup([fd] {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(fd, &one, sizeof one);
    });
    // Calls queued before the gate was bound run on the next turn of the loop.
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(fd, &one, sizeof one);
}

void UninstallGate() {
    DeliveryGate& gate = DeliveryGate::Instance();
    gate.SetWakeup(nullptr);
    gate.SetOwnerThread(std::thread::id());
    delete g_notifier;
    g_notifier = nullptr;
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
