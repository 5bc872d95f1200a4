#include "app/ModalWindows.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QList>
#include <QPointer>
#include <QTimer>

#include "platform/ui/Dialog.h"
#include "platform/ui/WindowMessages.h"

namespace ksx {

namespace {

constexpr int kRetryMs = 10;         // how soon a modal window still open is looked at again
constexpr int kCancelAttempts = 50;  // then it is ended without its Cancel

void EndNext(QPointer<CDialog> main, QPointer<QWidget> last, int attempts) {
    if (!main) {
        return;
    }
    QWidget* top = ModalAbove(main);
    if (top == nullptr) {
        main->SendMessage(WM_CLOSE, 0, 0);
        return;
    }
    attempts = top == last ? attempts + 1 : 1;
    if (auto* dialog = qobject_cast<QDialog*>(top)) {
        if (attempts <= kCancelAttempts) {
            dialog->reject();  // Esc: the dialog's Cancel
        } else {
            dialog->done(IDCANCEL);  // a Cancel that does not end it
        }
    } else {
        top->close();
    }
    // The window's loop returns once this handler is done; the next one is looked at from there.
    QPointer<QWidget> seen(top);
    QTimer::singleShot(kRetryMs, main, [main, seen, attempts] { EndNext(main, seen, attempts); });
}

// Modal windows in the order they were shown, newest last. Qt's own notion of the newest modal window
// moves to the main window whenever that one is shown again (it is modal too), so the order is kept here.
class ModalTracker : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* e) override {
        // A minimised window gets a hide of its own (spontaneous) and is still open.
        const bool shown = e->type() == QEvent::Show;
        const bool hidden = e->type() == QEvent::Hide && !e->spontaneous();
        if ((shown || hidden) && watched->isWidgetType()) {
            auto* w = static_cast<QWidget*>(watched);
            if (w->isWindow() && w->windowModality() != Qt::NonModal) {
                m_shown.removeIf([w](const QPointer<QWidget>& p) { return p == w; });
                if (shown) {
                    m_shown.append(w);
                }
            }
        }
        return false;
    }
    QWidget* Newest(const QWidget* except) {
        m_shown.removeIf([](const QPointer<QWidget>& p) { return p.isNull(); });
        for (auto it = m_shown.crbegin(); it != m_shown.crend(); ++it) {
            QWidget* w = *it;
            if (w != except && w->isVisible()) {
                return w;
            }
        }
        return nullptr;
    }

private:
    QList<QPointer<QWidget>> m_shown;
};

ModalTracker* g_tracker = nullptr;

}  // namespace

void TrackModalWindows() {
    if (g_tracker == nullptr && qApp != nullptr) {
        g_tracker = new ModalTracker;
        g_tracker->setParent(qApp);
        qApp->installEventFilter(g_tracker);
    }
}

QWidget* ModalAbove(const QWidget* main) {
    if (g_tracker != nullptr) {
        return g_tracker->Newest(main);
    }
    QWidget* top = QApplication::activeModalWidget();
    return top != nullptr && top != main && top->isVisible() ? top : nullptr;
}

bool RaiseModalAbove(const QWidget* main) {
    QWidget* top = ModalAbove(main);
    if (top == nullptr) {
        return false;
    }
    if (QGuiApplication::modalWindow() != top->windowHandle()) {
        // Shown again it is the newest modal window once more, and input reaches it.
        top->hide();
        top->show();
    }
    if (top->isMinimized()) {
        top->showNormal();
    }
    top->raise();
    top->activateWindow();
    return true;
}

void EndModalsThenClose(CDialog* main) {
    EndNext(QPointer<CDialog>(main), QPointer<QWidget>(), 0);
}

}  // namespace ksx
