// The dialog base of every window: classic dialog shapes outside (DoModal, OnInitDialog, OnOK, OnCancel,
// EndDialog, DestroyWindow, WindowProc, timers, controls by id), a QDialog inside.
//
// Building a dialog:
//   class CMyDlg : public ksx::CDialog {
//   public:
//       explicit CMyDlg(QWidget* parent = nullptr) : CDialog(IDD_MY, parent) {}
//   protected:
//       void CreateControls() override {            // or build them in the constructor
//           auto* grid = new QGridLayout(Client());
//           grid->addWidget(RegisterControl(IDC_NAME, new QLineEdit), 0, 0);
//           grid->addWidget(RegisterControl(IDOK, new QPushButton("OK")), 1, 0);
//           OnCommand(IDC_APPLY, [this] { Apply(); });
//           OnCommandRange(IDC_PORT1, IDC_PORT28, [this](int id) { Toggle(id - IDC_PORT1); });
//       }
//       int OnInitDialog() override { CDialog::OnInitDialog(); ...; return 1; }
//   };
//
// Controls live inside Client() (a plain widget below the optional menu bar), placed by a Qt layout or
// by fixed geometry in client pixels (PlaceControl, AddLabel, AddEdit, ...: registered and placed at once).
// Each control is registered under its resource id; the id is also the widget's dynamic property "ksxId", so
// tests find controls by id.
//
// Threads: all members are for the UI thread, except SendMessage and PostMessage (any thread).
#pragma once

#include <QDialog>
#include <QIcon>
#include <QPointer>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/sys/Closable.h"
#include "platform/sys/DeliveryGate.h"
#include "platform/sys/MessageBox.h"
#include "platform/sys/Messages.h"
#include "platform/ui/WindowMessages.h"

class QCheckBox;
class QComboBox;
class QEventLoop;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPushButton;
class QScrollArea;

namespace ksx {

class CMenuBar;
struct MenuEntry;

class CDialog : public QDialog, public IMessageTarget {
public:
    // Name of the dynamic property that carries a control's (or a menu action's) resource id.
    static constexpr const char* kIdProperty = "ksxId";

    explicit CDialog(unsigned templateId, QWidget* parent = nullptr);
    ~CDialog() override;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    unsigned GetTemplateId() const { return m_templateId; }

    // ---- Life cycle ----
    // Creates the controls (once), runs OnInitDialog, shows the dialog and runs its modal loop. When the
    // loop ends the window stops taking messages from workers, DestroyWindow() runs, and the result is
    // returned: IDOK, IDCANCEL or the code given to EndDialog.
    virtual int DoModal();
    // Modeless: creates the controls (once), runs OnInitDialog and shows the dialog without a loop of its
    // own. Used by the main window and by the test driver. EndDialog then hides it and runs
    // DestroyWindow() from the event loop.
    bool Create();
    // Ends the dialog with this result (modal: the loop returns after the current handler).
    void EndDialog(int result);
    // Runs when the dialog ends (before the widgets go): makes the window refuse further messages, closes
    // the registered sessions (OwnSession, OwnReader, OwnSessions), stops timers and hides the window.
    // Overrides that hold other resources release them and call CDialog::DestroyWindow(). Safe to call
    // more than once. Returns non-zero (the classic BOOL).
    virtual int DestroyWindow();

    bool IsCreated() const { return m_created; }
    bool IsDialogEnded() const { return m_ended; }
    bool IsWindowDestroyed() const { return m_destroyed; }
    int GetDialogResult() const { return m_result; }

    // ---- Window messages (IMessageTarget) ----
    // UI thread: calls WindowProc at once. Other threads: through the delivery gate; returns 0 when
    // abandoned (window being destroyed, or the UI thread waiting for the caller).
    LRESULT SendMessage(unsigned msg, WPARAM wParam = 0, LPARAM lParam = 0) override;
    // Queued from any thread; false when the window no longer takes messages.
    bool PostMessage(unsigned msg, WPARAM wParam = 0, LPARAM lParam = 0) override;

    // ---- Controls by id ----
    // Registers `w` under `id` (sets its "ksxId" property and routes its signals to the handlers below).
    // A later registration under the same id replaces the earlier one. Returns `w`.
    template <class W>
    W* RegisterControl(int id, W* w) {
        RegisterWidget(id, w);
        return w;
    }
    QWidget* GetDlgItem(int id) const;
    template <class T>
    T* Item(int id) const {
        return qobject_cast<T*>(GetDlgItem(id));
    }
    // The id a control was registered under, 0 when none.
    static int GetDlgCtrlID(const QWidget* w);
    // The dialog a widget belongs to (itself or its nearest CDialog ancestor), or null.
    static CDialog* FromWidget(QWidget* w);
    // For custom controls: reports a notification of `control` to its dialog's handlers.
    static void NotifyParent(QWidget* control, unsigned code, LPARAM data = 0);

    void EnableDlgItem(int id, bool enable = true);
    bool IsDlgItemEnabled(int id) const;
    void ShowDlgItem(int id, bool show = true);
    // Text of labels, buttons, check boxes, group boxes (title), edits, combo boxes (edit text or the
    // current item's text).
    void SetDlgItemText(int id, const std::string& text);
    std::string GetDlgItemText(int id) const;
    void SetDlgItemInt(int id, long long value);
    long long GetDlgItemInt(int id, bool* ok = nullptr) const;
    // Check boxes and radio buttons: 0 unchecked, 1 checked, 2 indeterminate.
    void CheckDlgButton(int id, int state);
    int IsDlgButtonChecked(int id) const;
    // Checks `checkId` and unchecks the other ids from first to last.
    void CheckRadioButton(int firstId, int lastId, int checkId);
    void SetFocusTo(int id);
    // The default command of Enter (IDOK unless changed): Enter outside a push button clicks the button
    // of this id (nothing when it is disabled), or sends the command when there is no such button.
    void SetDefID(int id);
    int GetDefID() const { return m_defId; }

    // ---- Handlers (message map) ----
    using Handler = std::function<void()>;
    using RangeHandler = std::function<void(int id)>;
    using DataHandler = std::function<void(LPARAM data)>;
    using MessageHandler = std::function<LRESULT(WPARAM, LPARAM)>;
    // Button clicks and menu commands (BN_CLICKED).
    void OnCommand(int id, Handler fn);
    void OnCommandRange(int firstId, int lastId, RangeHandler fn);
    // Any notification code (EN_CHANGE, CBN_SELCHANGE, NM_DBLCLK, LVN_ITEMCHANGED, ...).
    void OnNotify(unsigned code, int id, Handler fn);
    void OnNotify(unsigned code, int id, DataHandler fn);
    void OnNotifyRange(unsigned code, int firstId, int lastId, RangeHandler fn);
    // Window messages (the system's WM_USER/WM_APP messages): run by the default WindowProc.
    void OnMessage(unsigned msg, MessageHandler fn);

    // Runs the handlers of (id, code): exact ones first, then ranges, then OnCmdMsg; for IDOK and
    // IDCANCEL clicks with no handler of their own, OnOK and OnCancel. Returns true if something ran.
    bool DispatchCommand(int id, unsigned code = BN_CLICKED, LPARAM data = 0);

    // QDialog's own endings map onto the classic ones: accept() is the IDOK command, reject() (Esc, the
    // close box) the IDCANCEL command, done(r) is EndDialog(r).
    void accept() override;
    void reject() override;
    void done(int r) override;

    // ---- Timers (UI thread) ----
    // Starts or restarts timer `id`; OnTimer(id) runs on the UI thread every `ms`. Returns id.
    unsigned SetTimer(unsigned id, unsigned ms);
    bool KillTimer(unsigned id);

    // ---- Window ----
    QWidget* Client() const { return m_client; }
    // The area that scrolls the client when the dialog would not fit the screen (null while it fits).
    QScrollArea* ClientScroll() const { return m_scroll; }
    // Makes the client area at least this size and sizes the dialog to fit (fixed-geometry dialogs).
    void SetClientSize(int width, int height);
    void SetWindowText(const std::string& text);
    std::string GetWindowText() const;
    void SetTopmost(bool topmost);
    bool IsTopmost() const;
    void SetIcon(const QIcon& icon);
    void ShowWindow(int cmd);  // SW_HIDE, SW_SHOW, SW_SHOWNORMAL, SW_MINIMIZE, SW_RESTORE, ...
    void BringToFront();
    void CenterWindow();

    // ---- Sessions ----
    // Registers a session, a walk reader or a logic object's whole set: DestroyWindow closes them, after
    // the window stopped taking messages, readers first (nothing more is delivered), then the sessions in
    // the order they were registered. The objects must outlive the dialog's DestroyWindow.
    void OwnSession(IClosable& session) { m_ownSessions.push_back(&session); }
    void OwnReader(IClosable& reader) { m_ownReaders.push_back(&reader); }
    void OwnSessions(IClosable& set) { m_ownSets.push_back(&set); }

    // ---- Menu bar ----
    // Builds the menu bar from the table and attaches it above the client area; its commands are
    // dispatched like button clicks (OnCommand handlers keyed by command id).
    CMenuBar* SetMenu(const std::vector<MenuEntry>& table);
    CMenuBar* GetMenu() const { return m_menu.get(); }

protected:
    // Builds the controls; runs once, before OnInitDialog. Default: nothing.
    virtual void CreateControls() {}

    // ---- Fixed geometry (for CreateControls) ----
    // Registers `w` under `id`, puts it in Client() and gives it the rectangle x, y, cx, cy in client
    // pixels. Returns `w`.
    template <class W>
    W* PlaceControl(int id, W* w, int x, int y, int cx, int cy) {
        RegisterWidget(id, w);
        PlaceWidget(w, x, y, cx, cy);
        return w;
    }
    // The common controls, made, registered and placed the same way.
    QLabel* AddLabel(int id, const std::string& text, int x, int y, int cx, int cy);
    QLineEdit* AddEdit(int id, int x, int y, int cx, int cy);
    QComboBox* AddComboBox(int id, int x, int y, int cx, int cy);
    QPushButton* AddButton(int id, const std::string& text, int x, int y, int cx, int cy);
    QCheckBox* AddCheckBox(int id, const std::string& text, int x, int y, int cx, int cy);
    QGroupBox* AddGroupBox(int id, const std::string& text, int x, int y, int cx, int cy);
    // Runs once the controls exist, before the dialog shows. Returns non-zero (the classic BOOL).
    virtual int OnInitDialog() { return 1; }
    // Enter with no default button, or the IDOK button: ends with IDOK.
    virtual void OnOK() { EndDialog(IDOK); }
    // Esc, the close box, WM_CLOSE or the IDCANCEL button: ends with IDCANCEL.
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    virtual void OnTimer(unsigned id) { (void)id; }
    // Called for (id, code) pairs that no registered handler took; return true if handled.
    virtual bool OnCmdMsg(int id, unsigned code, LPARAM data) {
        (void)id, (void)code, (void)data;
        return false;
    }
    // Window messages: runs the OnMessage handler of msg; WM_COMMAND dispatches the command, WM_CLOSE
    // cancels, WM_TIMER runs OnTimer. Overrides call CDialog::WindowProc for what they do not handle.
    virtual LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam);

    // Qt side.
    void keyPressEvent(QKeyEvent* e) override;
    void timerEvent(QTimerEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void RegisterWidget(int id, QWidget* w);
    // Read-only edits get the greyed face of such fields (on registration and whenever it changes).
    static void ShowReadOnly(QWidget* w);
    static constexpr const char* kReadOnlyLook = "ksxReadOnlyLook";
    void PlaceWidget(QWidget* w, int x, int y, int cx, int cy);
    void EnsureCreated();
    // After OnInitDialog: a dialog whose contents need more than the screen gets a scrolling client
    // area and a size that fits the screen.
    void FitScreen();
    void StopTakingMessages();
    void FinishEnded();

    struct RangeEntry {
        unsigned code;
        int first;
        int last;
        RangeHandler fn;
    };

    unsigned m_templateId;
    QWidget* m_client = nullptr;
    QScrollArea* m_scroll = nullptr;
    std::atomic<GateTarget> m_target{0};
    bool m_built = false;  // CreateControls ran
    bool m_created = false;
    bool m_inModal = false;
    bool m_ended = false;
    bool m_destroyed = false;
    bool m_finishQueued = false;
    int m_result = 0;
    int m_defId = IDOK;
    QEventLoop* m_loop = nullptr;  // the modal loop while DoModal runs
    std::map<int, QPointer<QWidget>> m_controls;
    std::map<std::pair<unsigned, int>, std::function<void(int, LPARAM)>> m_handlers;
    std::vector<RangeEntry> m_ranges;
    std::map<unsigned, MessageHandler> m_messages;
    std::map<unsigned, int> m_timers;  // our id -> Qt timer id
    std::unique_ptr<CMenuBar> m_menu;
    std::vector<IClosable*> m_ownReaders;
    std::vector<IClosable*> m_ownSessions;
    std::vector<IClosable*> m_ownSets;
};

}  // namespace ksx
