#include "tests/support/ui/DialogDriver.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenuBar>
#include <QPixmap>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableWidget>
#include <QTest>
#include <QThread>
#include <QTimer>

#include "platform/ui/MenuBar.h"
#include "platform/ui/Text.h"

namespace ksx::test {

namespace {

// Where a click lands on a control: the indicator of check boxes and radio buttons, else the middle.
QPoint ClickPoint(QWidget* w) {
    QStyleOptionButton opt;
    opt.initFrom(w);
    if (qobject_cast<QCheckBox*>(w) != nullptr) {
        return w->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &opt, w).center();
    }
    if (qobject_cast<QRadioButton*>(w) != nullptr) {
        return w->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &opt, w).center();
    }
    return w->rect().center();
}

}  // namespace

void PumpEvents() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool WaitUntil(const std::function<bool()>& pred, int limitMs) {
    QDeadlineTimer deadline(limitMs);
    // Wakes the wait below at least every 10 ms. (processEvents with a time limit does not wait for
    // events: it would spin, taking a core from the program under test on a busy machine.)
    // Without an event dispatcher on this thread the timer would never fire and the wait would never
    // wake: sleep instead.
    const bool dispatcher = QAbstractEventDispatcher::instance() != nullptr;
    QTimer wake;
    if (dispatcher) {
        wake.start(10);
    }
    while (!pred()) {
        if (deadline.hasExpired()) {
            return pred();
        }
        if (dispatcher) {
            // Sleeps until an event arrives (the wake-up at the latest), handles it, then checks again.
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
            QCoreApplication::sendPostedEvents();
        } else {
            QThread::msleep(10);
        }
    }
    return true;
}

int RunModal(CDialog& dlg, const std::function<void()>& script) {
    QTimer::singleShot(0, &dlg, [&dlg, script] {
        // The loop is running once the dialog is visible.
        if (WaitUntil([&dlg] { return dlg.isVisible() || dlg.IsDialogEnded(); }) && !dlg.IsDialogEnded()) {
            script();
        }
    });
    return dlg.DoModal();
}

QWidget* FindById(QWidget* dlg, int id) {
    if (dlg == nullptr) {
        return nullptr;
    }
    if (auto* d = dynamic_cast<CDialog*>(dlg)) {
        if (QWidget* w = d->GetDlgItem(id)) {
            return w;
        }
    }
    const auto widgets = dlg->findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        if (CDialog::GetDlgCtrlID(w) == id && w->property(CDialog::kIdProperty).isValid()) {
            return w;
        }
    }
    return nullptr;
}

DialogDriver::DialogDriver(CDialog& dlg) : m_dlg(dlg) {
    m_dlg.Create();
    PumpEvents();
}

DialogDriver::~DialogDriver() {
    if (!m_dlg.IsWindowDestroyed()) {
        if (m_dlg.IsDialogEnded()) {
            WaitEnded(2000);
        }
        if (!m_dlg.IsWindowDestroyed()) {
            m_dlg.DestroyWindow();
        }
    }
    PumpEvents();
}

QWidget* DialogDriver::Item(int id) const {
    QWidget* w = FindById(&m_dlg, id);
    if (w == nullptr) {
        ADD_FAILURE() << "no control with id " << id;
    }
    return w;
}

bool DialogDriver::Click(int id) {
    QWidget* w = Item(id);
    if (w == nullptr) {
        return false;
    }
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, ClickPoint(w));
    PumpEvents();
    return true;
}

bool DialogDriver::Check(int id, bool on) {
    auto* button = qobject_cast<QAbstractButton*>(Item(id));
    if (button == nullptr) {
        return false;
    }
    // A tri-state box may need two clicks.
    for (int i = 0; i < 3 && button->isChecked() != on && button->isEnabled(); ++i) {
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, ClickPoint(button));
        PumpEvents();
    }
    return button->isChecked() == on;
}

bool DialogDriver::Type(int id, const std::string& text) {
    QWidget* w = Item(id);
    if (w == nullptr) {
        return false;
    }
    QWidget* target = w;
    if (auto* combo = qobject_cast<QComboBox*>(w); combo != nullptr && combo->lineEdit() != nullptr) {
        target = combo->lineEdit();
    }
    m_dlg.activateWindow();
    target->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(target)) {
        edit->selectAll();
    } else {
        QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
    }
    if (text.empty()) {
        QTest::keyClick(target, Qt::Key_Delete);
    } else {
        QTest::keyClicks(target, ui::ToQ(text));
    }
    PumpEvents();
    return true;
}

bool DialogDriver::Select(int id, int index) {
    auto* combo = qobject_cast<QComboBox*>(Item(id));
    if (combo == nullptr || index < 0 || index >= combo->count() || !combo->isEnabled()) {
        return false;
    }
    combo->setCurrentIndex(index);
    emit combo->activated(index);
    PumpEvents();
    return true;
}

bool DialogDriver::SelectText(int id, const std::string& text) {
    auto* combo = qobject_cast<QComboBox*>(Item(id));
    if (combo == nullptr) {
        return false;
    }
    return Select(id, combo->findText(ui::ToQ(text), Qt::MatchFixedString | Qt::MatchCaseSensitive));
}

int DialogDriver::Rows(int listId) const {
    auto* list = qobject_cast<QTableWidget*>(FindById(&m_dlg, listId));
    return list != nullptr ? list->rowCount() : 0;
}

std::string DialogDriver::Cell(int listId, int row, int column) const {
    auto* list = qobject_cast<QTableWidget*>(FindById(&m_dlg, listId));
    QTableWidgetItem* item = list != nullptr ? list->item(row, column) : nullptr;
    return item != nullptr ? ui::ToStd(item->text()) : std::string();
}

std::vector<std::string> DialogDriver::Row(int listId, int row) const {
    std::vector<std::string> cells;
    auto* list = qobject_cast<QTableWidget*>(FindById(&m_dlg, listId));
    for (int c = 0; list != nullptr && c < list->columnCount(); ++c) {
        cells.push_back(Cell(listId, row, c));
    }
    return cells;
}

bool DialogDriver::ClickRow(int listId, int row, int column) {
    auto* list = qobject_cast<QTableWidget*>(FindById(&m_dlg, listId));
    QTableWidgetItem* item = list != nullptr ? list->item(row, column) : nullptr;
    if (item == nullptr) {
        ADD_FAILURE() << "no row " << row << " in list " << listId;
        return false;
    }
    list->scrollToItem(item);
    PumpEvents();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(item).center());
    PumpEvents();
    return true;
}

bool DialogDriver::Menu(unsigned commandId) {
    CMenuBar* menu = m_dlg.GetMenu();
    QAction* a = menu != nullptr ? menu->Action(commandId) : nullptr;
    if (a == nullptr) {
        ADD_FAILURE() << "no menu command " << commandId;
        return false;
    }
    if (!a->isEnabled()) {
        return false;
    }
    a->trigger();
    PumpEvents();
    return true;
}

void DialogDriver::Key(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QWidget* target = m_dlg.focusWidget();
    if (target == nullptr || !m_dlg.isAncestorOf(target)) {
        target = &m_dlg;
    }
    QTest::keyClick(target, key, modifiers);
    PumpEvents();
}

void DialogDriver::CloseBox() {
    m_dlg.close();
    PumpEvents();
}

bool DialogDriver::WaitEnded(int limitMs) {
    return WaitUntil([this] { return m_dlg.IsDialogEnded() && m_dlg.IsWindowDestroyed(); }, limitMs);
}

bool GrabScreenshot(QWidget* widget, const std::string& path) {
    if (widget == nullptr) {
        return false;
    }
    const QPixmap picture = widget->grab();
    return !picture.isNull() && picture.save(ui::ToQ(path), "PNG");
}

}  // namespace ksx::test
