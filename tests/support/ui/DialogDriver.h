// Drives a dialog from a test without blocking: the dialog is created and shown modeless (controls,
// OnInitDialog), the test works its controls by id and pumps events with time-limited waits, and reads
// the result once EndDialog was called and DestroyWindow ran. For DoModal itself use RunModal.
#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/Dialog.h"

namespace ksx::test {

// Processes pending events (posted calls, timers due, queued gate calls) without waiting.
void PumpEvents();
// Pumps events until pred holds or limitMs passes; returns pred's last value.
bool WaitUntil(const std::function<bool()>& pred, int limitMs = 20000);

// Runs dlg.DoModal() with `script` called once from inside the modal loop (the dialog is shown by
// then); returns DoModal's result. A script that does not end the dialog leaves it to the loop: give it
// something that ends it, or the call waits for the end like the real thing.
int RunModal(CDialog& dlg, const std::function<void()>& script);

// The control of a dialog registered under `id`, or null (searches the dialog's widget tree by the
// "ksxId" property, so controls of nested widgets are found too).
QWidget* FindById(QWidget* dlg, int id);

class DialogDriver {
public:
    // Creates and shows the dialog modeless (CreateControls, OnInitDialog).
    explicit DialogDriver(CDialog& dlg);
    // A dialog that did not end runs its DestroyWindow hook here.
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    CDialog& Dialog() const { return m_dlg; }

    // The control under `id`; records a test failure when there is none.
    QWidget* Item(int id) const;
    template <class T>
    T* ItemAs(int id) const {
        return qobject_cast<T*>(Item(id));
    }

    // Left click in the middle of a control (a disabled one ignores it, as on screen). False when the
    // control is missing.
    bool Click(int id);
    // Clicks a check box or radio button until its state is `on`.
    bool Check(int id, bool on = true);
    // Focuses an edit (or editable combo box), selects its text and types `text` key by key.
    bool Type(int id, const std::string& text);
    // Picks the combo-box item at `index` as a user would (the selection-change handler runs).
    bool Select(int id, int index);
    bool SelectText(int id, const std::string& text);
    // Lists (any table-style list registered under `listId`): rows, a cell's text, a whole row, and a
    // left click on a row as the user does it (scrolled into view first). Missing lists or cells read as
    // 0 rows and empty text.
    int Rows(int listId) const;
    std::string Cell(int listId, int row, int column) const;
    std::vector<std::string> Row(int listId, int row) const;
    bool ClickRow(int listId, int row, int column = 0);
    // Triggers the menu command of the dialog's menu bar.
    bool Menu(unsigned commandId);
    // Keys go to the focused control of the dialog (or the dialog); Enter and Esc reach the dialog.
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void PressEnter() { Key(Qt::Key_Return); }
    void PressEscape() { Key(Qt::Key_Escape); }
    // The window's close box.
    void CloseBox();

    bool Ended() const { return m_dlg.IsDialogEnded(); }
    // Waits until EndDialog was called and DestroyWindow ran.
    bool WaitEnded(int limitMs = 20000);
    int Result() const { return m_dlg.GetDialogResult(); }

private:
    CDialog& m_dlg;
};

// Saves a picture of the widget as PNG; false on failure.
bool GrabScreenshot(QWidget* widget, const std::string& path);

}  // namespace ksx::test
