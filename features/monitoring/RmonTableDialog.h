// What the four RMON table dialogs (alarm, event, Ethernet statistics, history control) share: a report
// list whose last column holds each row's "Delete" button, the controls that are unavailable while a
// read runs, the read (owner window, then the table's walk), the fill from the logic's list on the walk's
// end message. The list fits its columns to the font, their headings and texts and its own width.
//
// While a read runs the busy controls and the rows' Delete buttons are disabled; they come back when the
// list has been filled. After a read that did not reach the end of its table the list shows what was
// read, the failure is told, and Apply stays unavailable (its checks need the whole table) until a
// Refresh reads it whole.
#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "controls/ReportCtrl.h"
#include "controls/StepRun.h"
#include "features/monitoring/RMON.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Form.h"

class CRmonTableDialog : public ksx::CDialog {
public:
    CRmonTableDialog(unsigned templateId, int listId, int applyId, QWidget* parent);
    ~CRmonTableDialog() override;

    CRMON m_rmon;
    CReportCtrl* List() const { return m_list; }
    // The column of the rows' Delete buttons (the last one).
    int ButtonColumn() const { return m_list != nullptr ? m_list->GetColumnCount() - 1 : -1; }
    // A read, or a write and the read after it, is running.
    bool Busy() const { return m_busyNow; }
    // The write of an Apply, off the window's thread.
    const CStepRun& Run() const { return m_run; }

protected:
    // For CreateControls: the report list, filling the rest of the form.
    CReportCtrl* MakeList(ksx::ui::Form& form);
    // A label, its control and, for a required field, a "*" after it, in cell (row, pair) of a grid of
    // label/control pairs.
    template <class W>
    W* GridField(ksx::ui::Form& group, int row, int pair, const char* label, W* control, bool required) {
        PlaceField(group, row, pair, label, control, required);
        return control;
    }
    // The Apply button at the right end of a group laid out by GridField.
    void ApplyButton(ksx::ui::Form& group, int id);
    void SetBusyControls(std::vector<int> ids) { m_busyIds = std::move(ids); }
    // The handlers every table dialog wires alike: Apply, Refresh (a new read), Close, a row's Delete
    // button (its row), and the end of a walk, whichever way it ended (the table it read).
    void WireTable(int applyId, int refreshId, int closeId, std::function<void()> apply,
                   std::function<void(int row)> remove, std::function<void(ksx::WPARAM table)> walkEnded);

    // Base initialisation, icon, title, list style; the columns are the caller's.
    void InitDialog(const std::string& title);
    // Disables or enables the busy controls and the Delete buttons. Apply comes back only after a read
    // of the whole table.
    void SetBusy(bool busy);
    // Pattern read: owner window, then StartRead(); the controls stay disabled until the list is filled.
    void ReadTable();
    virtual void StartRead() = 0;
    // Empties the list (buttons unchecked first).
    void ClearList();
    // Appends a row: its cells, then the Delete button in the last column. Returns the row.
    int AppendRow(const std::vector<std::string>& cells);
    // After a fill: the controls back, the buttons onto their cells; a failed read is told with
    // `failText` and keeps Apply unavailable.
    void FillEnded(bool tableRead, const char* failText);
    // Runs the `count` steps of a write off the window's thread: the busy controls and the Delete
    // buttons stay unavailable, Close stays usable and stops the run. `onEnd` (UI thread) gets its end;
    // after a stop the dialog is ending.
    void RunWrite(int count, ksx::StepRunner::Step step, CStepRun::Text text, CStepRun::End onEnd);
    // Creates a row off the window's thread: `create` runs on the worker (true when created); `what`
    // ("history control entry 5") names the row in the progress line and when Close stops it. After a
    // creation that ran to its end a failure is told, then `after` runs (UI thread).
    void RunCreate(const std::string& what, std::function<bool()> create, std::function<void()> after);
    // Shows `text` in a plain message box.
    static void Tell(const std::string& text);
    // A typed number: optional blanks and sign, then the leading digits; 0 when there are none. Read
    // wide, so that a number past the device's 32-bit objects is seen as such.
    static long long LeadingNumber(const std::string& text);
    // The form's text of an edit.
    long long FieldNumber(int id) const { return LeadingNumber(GetDlgItemText(id)); }
    // Whether Apply may be used besides a whole read of the table (default: yes).
    virtual bool ApplyReady() const { return true; }

    // Rows tall enough for their Delete buttons, and their column wide enough; call once the columns
    // exist.
    void Relayout();

    bool eventFilter(QObject* watched, QEvent* event) override;

    CReportCtrl* m_list = nullptr;

private:
    void PlaceField(ksx::ui::Form& group, int row, int pair, const char* label, QWidget* control,
                    bool required);

    int m_listId;
    int m_applyId;
    int m_closeId = 0;
    std::vector<int> m_busyIds;
    bool m_busyNow = false;
    bool m_applyAllowed = false;
    CStepRun m_run{*this};  // after m_rmon, whose sessions its steps use
};
