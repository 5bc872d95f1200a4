#include "platform/ui/Dialog.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <typeinfo>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QTextEdit>
#include <QTimerEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/snmplib/Tripwire.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/MenuBar.h"
#include "platform/ui/Text.h"

namespace ksx {

namespace {

// The row of the current item of an item view, -1 when none.
LPARAM CurrentRow(QAbstractItemView* view) {
    const QModelIndex index = view->currentIndex();
    return index.isValid() ? index.row() : -1;
}

// Makes the window tall enough for what its client's layout needs at its width now. A scrolling client
// shows what does not fit; a window not shown yet is sized as it shows.
void GrowToContents(CDialog& dlg) {
    QWidget* client = dlg.Client();
    QLayout* inner = client->layout();
    if (inner == nullptr || dlg.ClientScroll() != nullptr || !dlg.isVisible() || dlg.layout() == nullptr) {
        return;
    }
    // Minimum sizes grow the window by themselves; a wrapped text needs more height at the width it
    // has, which no minimum size says: without this, the text would take the room of the controls.
    int need = inner->totalMinimumSize().height();
    if (inner->hasHeightForWidth()) {
        need = std::max(need, inner->totalHeightForWidth(client->width()));
    }
    if (need > client->height()) {
        // As a minimum, which the window keeps whatever size requests are still on their way to it.
        const int frame = dlg.layout()->hasHeightForWidth() ? dlg.layout()->totalHeightForWidth(dlg.width())
                                                            : dlg.height() + need - client->height();
        dlg.setMinimumHeight(std::max({dlg.minimumHeight(), frame, dlg.height() + need - client->height()}));
    }
}

// The windows open now (UI thread). While one is, the UI thread is a window's thread and the SNMP
// layer checks that it waits on one request at most.
std::set<const CDialog*>& OpenWindows() {
    static std::set<const CDialog*> open;
    return open;
}

void WindowClosed(const CDialog* dlg) {
    if (OpenWindows().erase(dlg) > 0 && OpenWindows().empty()) {
        tripwire::SetWindowsOpen(false);
        tripwire::SetWindowName("");
    }
}

}  // namespace

CDialog::CDialog(unsigned templateId, QWidget* parent) : QDialog(parent), m_templateId(templateId) {
    // A title and a close box only: no "?", minimise or maximise buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->setSpacing(0);
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    frame->addWidget(m_client);
    // A line that appears later (a failure, a status, a run's progress) makes the dialog grow.
    m_client->installEventFilter(this);
    m_target.store(DeliveryGate::Instance().RegisterTarget());
}

CDialog::~CDialog() {
    WindowClosed(this);
    StopTakingMessages();
    // The controls outlive this object's members (QWidget deletes them later): cut their links here.
    for (const auto& [id, w] : m_controls) {
        if (w) {
            w->removeEventFilter(this);
            QObject::disconnect(w, nullptr, this, nullptr);
        }
    }
    m_controls.clear();
    for (const auto& [id, qtId] : m_timers) {
        killTimer(qtId);
    }
    m_timers.clear();
    // The menu bar widget belongs to this widget tree; drop our wrapper first.
    m_menu.reset();
}

// ---- Life cycle ----

namespace {

// The dialog's class, as the rule checks of the SNMP layer name the window in their reports.
std::string ClassName(const CDialog& dlg) {
    const char* mangled = typeid(dlg).name();
    int status = 0;
    char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string name = status == 0 && demangled != nullptr ? demangled : mangled;
    std::free(demangled);
    return name;
}

}  // namespace

void CDialog::EnsureCreated() {
    tripwire::SetWindowName(ClassName(*this));
    OpenWindows().insert(this);
    tripwire::SetWindowsOpen(true);
    // A second run of the same object takes messages again.
    if (m_target.load() == 0) {
        m_target.store(DeliveryGate::Instance().RegisterTarget());
    }
    m_destroyed = false;
    if (!m_built) {
        m_built = true;
        CreateControls();
        // A line that appears inside a group box is redone there first: the dialog grows after it too.
        for (QWidget* w : m_client->findChildren<QWidget*>()) {
            if (w->layout() != nullptr) {
                w->installEventFilter(this);
            }
        }
    }
    m_created = true;
    // A window tells the reason behind its own failures again, even one an earlier window told.
    ForgetToldFailures();
    OnInitDialog();
    FitScreen();
}

void CDialog::FitScreen() {
    const QScreen* s = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (s == nullptr || m_scroll != nullptr || layout() == nullptr) {
        return;
    }
    layout()->activate();
    // Room for the window's frame and title besides the dialog itself.
    const QRect avail = s->availableGeometry();
    const QSize room(std::max(avail.width() - 16, 200), std::max(avail.height() - 48, 150));
    const QSize need = minimumSize().expandedTo(layout()->minimumSize());
    if (need.width() <= room.width() && need.height() <= room.height()) {
        return;
    }
    // Larger than the screen: the client area scrolls inside a dialog that fits.
    const QSize content =
        m_client->sizeHint()
            .expandedTo(m_client->minimumSize())
            .expandedTo(m_client->layout() != nullptr ? m_client->layout()->minimumSize() : QSize());
    auto* frame = qobject_cast<QBoxLayout*>(layout());
    if (frame == nullptr) {
        return;
    }
    frame->removeWidget(m_client);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("clientScroll"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setWidget(m_client);
    frame->addWidget(m_scroll);
    const int bar = m_scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QSize want(content.width() + (content.height() > room.height() ? bar : 0),
                     content.height() + (content.width() > room.width() ? bar : 0));
    const QSize fitted = want.boundedTo(room);
    setMinimumSize(QSize(std::min(need.width(), fitted.width()), std::min(need.height(), fitted.height())));
    resize(fitted);
}

int CDialog::DoModal() {
    m_ended = false;
    m_result = IDCANCEL;
    m_inModal = true;
    const std::string openerName = tripwire::WindowName();
    EnsureCreated();
    if (!m_ended) {
        // EndDialog from OnInitDialog ends before the loop starts; otherwise run it. The loop is ours,
        // not QDialog::exec(), whose loop also ends when the window is hidden: the main window hides
        // itself (and changes its topmost state, which re-creates it) while a feature dialog runs.
        const Qt::WindowModality modality = windowModality();
        setWindowModality(Qt::ApplicationModal);
        show();
        QEventLoop loop;
        m_loop = &loop;
        QPointer<CDialog> guard(this);
        loop.exec(QEventLoop::DialogExec);
        if (!guard) {
            tripwire::SetWindowName(openerName);
            return IDCANCEL;  // deleted from inside its own loop
        }
        m_loop = nullptr;
        hide();
        setWindowModality(modality);
    }
    m_inModal = false;
    StopTakingMessages();
    DestroyWindow();
    tripwire::SetWindowName(openerName);
    return m_result;
}

bool CDialog::Create() {
    m_ended = false;
    m_result = IDCANCEL;
    EnsureCreated();
    if (!m_ended) {
        show();
    }
    return true;
}

void CDialog::EndDialog(int result) {
    m_result = result;
    m_ended = true;
    hide();
    if (m_inModal) {
        if (m_loop != nullptr) {
            m_loop->exit(result);  // DoModal does the rest after the current handler
        }
        return;
    }
    // Modeless: the rest runs from the event loop, after the handler that ended the dialog.
    if (!m_finishQueued) {
        m_finishQueued = true;
        QPointer<CDialog> self(this);
        QMetaObject::invokeMethod(
            this,
            [self] {
                if (self) {
                    self->FinishEnded();
                }
            },
            Qt::QueuedConnection);
    }
}

void CDialog::FinishEnded() {
    m_finishQueued = false;
    if (m_destroyed) {
        return;
    }
    StopTakingMessages();
    DestroyWindow();
}

int CDialog::DestroyWindow() {
    WindowClosed(this);
    StopTakingMessages();
    for (IClosable* owned : m_ownReaders) {
        owned->CloseForOwner();
    }
    for (IClosable* owned : m_ownSessions) {
        owned->CloseForOwner();
    }
    for (IClosable* owned : m_ownSets) {
        owned->CloseForOwner();
    }
    for (const auto& [id, qtId] : m_timers) {
        killTimer(qtId);
    }
    m_timers.clear();
    if (!m_inModal) {
        hide();
    }
    m_destroyed = true;
    return 1;
}

void CDialog::StopTakingMessages() {
    const GateTarget target = m_target.exchange(0);
    if (target != 0) {
        DeliveryGate::Instance().UnregisterTarget(target);
    }
}

// ---- Window messages ----

LRESULT CDialog::SendMessage(unsigned msg, WPARAM wParam, LPARAM lParam) {
    DeliveryGate& gate = DeliveryGate::Instance();
    if (gate.OnOwnerThread()) {
        return WindowProc(msg, wParam, lParam);
    }
    const GateTarget target = m_target.load();
    if (target == 0) {
        return 0;
    }
    return gate.Send(target, [this, msg, wParam, lParam] { return WindowProc(msg, wParam, lParam); });
}

bool CDialog::PostMessage(unsigned msg, WPARAM wParam, LPARAM lParam) {
    const GateTarget target = m_target.load();
    if (target == 0) {
        return false;
    }
    DeliveryGate::Instance().Post(target, [this, msg, wParam, lParam] { WindowProc(msg, wParam, lParam); });
    return true;
}

LRESULT CDialog::WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) {
    auto it = m_messages.find(msg);
    if (it != m_messages.end()) {
        return it->second(wParam, lParam);
    }
    switch (msg) {
        case WM_COMMAND:
            DispatchCommand(static_cast<int>(LOWORD(wParam)), HIWORD(wParam), lParam);
            return 0;
        case WM_CLOSE:
            DispatchCommand(IDCANCEL);
            return 0;
        case WM_TIMER:
            OnTimer(static_cast<unsigned>(wParam));
            return 0;
        default:
            return 0;
    }
}

// ---- Controls ----

void CDialog::RegisterWidget(int id, QWidget* w) {
    if (w == nullptr) {
        return;
    }
    // Registering a control again (under another id) replaces its earlier routing.
    for (auto it = m_controls.begin(); it != m_controls.end();) {
        it = it->second.data() == w ? m_controls.erase(it) : std::next(it);
    }
    QObject::disconnect(w, nullptr, this, nullptr);
    w->setProperty(kIdProperty, id);
    m_controls[id] = w;
    w->installEventFilter(this);
    ShowReadOnly(w);
    QObject::connect(w, &QObject::destroyed, this, [this, id, w] {
        auto it = m_controls.find(id);
        if (it != m_controls.end() && (it->second.isNull() || it->second.data() == w)) {
            m_controls.erase(it);
        }
    });
    // Route the control's own signals to the handlers of its id. The id is read at signal time, so a
    // control moved to another id by a later registration reports under the new one.
    auto notify = [this, w](unsigned code, LPARAM data) { DispatchCommand(GetDlgCtrlID(w), code, data); };
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        QObject::connect(button, &QAbstractButton::clicked, this, [notify] { notify(BN_CLICKED, 0); });
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        QObject::connect(edit, &QLineEdit::textChanged, this, [notify] { notify(EN_CHANGE, 0); });
    } else if (auto* text = qobject_cast<QPlainTextEdit*>(w)) {
        QObject::connect(text, &QPlainTextEdit::textChanged, this, [notify] { notify(EN_CHANGE, 0); });
    } else if (auto* rich = qobject_cast<QTextEdit*>(w)) {
        QObject::connect(rich, &QTextEdit::textChanged, this, [notify] { notify(EN_CHANGE, 0); });
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        QObject::connect(combo, &QComboBox::activated, this,
                         [notify](int index) { notify(CBN_SELCHANGE, index); });
        QObject::connect(combo, &QComboBox::editTextChanged, this, [notify] { notify(CBN_EDITCHANGE, 0); });
    } else if (auto* spin = qobject_cast<QAbstractSpinBox*>(w)) {
        if (auto* line = spin->findChild<QLineEdit*>()) {
            QObject::connect(line, &QLineEdit::textChanged, this, [notify] { notify(EN_CHANGE, 0); });
        }
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        if (group->isCheckable()) {
            QObject::connect(group, &QGroupBox::clicked, this, [notify] { notify(BN_CLICKED, 0); });
        }
    } else if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
        QObject::connect(view, &QAbstractItemView::clicked, this,
                         [notify](const QModelIndex& index) { notify(NM_CLICK, index.row()); });
        QObject::connect(view, &QAbstractItemView::doubleClicked, this,
                         [notify](const QModelIndex& index) { notify(NM_DBLCLK, index.row()); });
        if (auto* list = qobject_cast<QListWidget*>(w)) {
            QObject::connect(list, &QListWidget::itemSelectionChanged, this,
                             [notify, view] { notify(LVN_ITEMCHANGED, CurrentRow(view)); });
        } else if (auto* tree = qobject_cast<QTreeWidget*>(w)) {
            QObject::connect(tree, &QTreeWidget::itemSelectionChanged, this,
                             [notify, view] { notify(LVN_ITEMCHANGED, CurrentRow(view)); });
        } else if (auto* table = qobject_cast<QTableWidget*>(w)) {
            QObject::connect(table, &QTableWidget::itemSelectionChanged, this,
                             [notify, view] { notify(LVN_ITEMCHANGED, CurrentRow(view)); });
        }
    }
}

// ---- Fixed geometry ----

void CDialog::PlaceWidget(QWidget* w, int x, int y, int cx, int cy) {
    w->setParent(m_client);
    w->setGeometry(x, y, cx, cy);
}

QLabel* CDialog::AddLabel(int id, const std::string& text, int x, int y, int cx, int cy) {
    return PlaceControl(id, new QLabel(ui::ToQ(text)), x, y, cx, cy);
}

QLineEdit* CDialog::AddEdit(int id, int x, int y, int cx, int cy) {
    return PlaceControl(id, new QLineEdit, x, y, cx, cy);
}

QComboBox* CDialog::AddComboBox(int id, int x, int y, int cx, int cy) {
    return PlaceControl(id, new QComboBox, x, y, cx, cy);
}

QPushButton* CDialog::AddButton(int id, const std::string& text, int x, int y, int cx, int cy) {
    return PlaceControl(id, new QPushButton(ui::ToQ(text)), x, y, cx, cy);
}

QCheckBox* CDialog::AddCheckBox(int id, const std::string& text, int x, int y, int cx, int cy) {
    return PlaceControl(id, new QCheckBox(ui::ToQ(text)), x, y, cx, cy);
}

QGroupBox* CDialog::AddGroupBox(int id, const std::string& text, int x, int y, int cx, int cy) {
    return PlaceControl(id, new QGroupBox(ui::ToQ(text)), x, y, cx, cy);
}

QWidget* CDialog::GetDlgItem(int id) const {
    auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second.data();
}

int CDialog::GetDlgCtrlID(const QWidget* w) {
    if (w == nullptr) {
        return 0;
    }
    const QVariant v = w->property(kIdProperty);
    return v.isValid() ? v.toInt() : 0;
}

CDialog* CDialog::FromWidget(QWidget* w) {
    for (QWidget* p = w; p != nullptr; p = p->parentWidget()) {
        if (auto* dlg = dynamic_cast<CDialog*>(p)) {
            return dlg;
        }
    }
    return nullptr;
}

void CDialog::NotifyParent(QWidget* control, unsigned code, LPARAM data) {
    if (control == nullptr) {
        return;
    }
    CDialog* dlg = FromWidget(control->parentWidget());
    if (dlg != nullptr) {
        dlg->DispatchCommand(GetDlgCtrlID(control), code, data);
    }
}

void CDialog::EnableDlgItem(int id, bool enable) {
    if (QWidget* w = GetDlgItem(id)) {
        w->setEnabled(enable);
    }
}

bool CDialog::IsDlgItemEnabled(int id) const {
    QWidget* w = GetDlgItem(id);
    return w != nullptr && w->isEnabled();
}

void CDialog::ShowDlgItem(int id, bool show) {
    if (QWidget* w = GetDlgItem(id)) {
        w->setVisible(show);
    }
}

void CDialog::SetDlgItemText(int id, const std::string& text) {
    QWidget* w = GetDlgItem(id);
    const QString q = ui::ToQ(text);
    if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(q);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(q);
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setText(q);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
        plain->setPlainText(q);
    } else if (auto* rich = qobject_cast<QTextEdit*>(w)) {
        rich->setPlainText(q);
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        group->setTitle(q);
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        if (combo->isEditable()) {
            combo->setEditText(q);
        } else {
            combo->setCurrentIndex(combo->findText(q, Qt::MatchFixedString | Qt::MatchCaseSensitive));
        }
    } else if (auto* spin = qobject_cast<QAbstractSpinBox*>(w)) {
        if (auto* line = spin->findChild<QLineEdit*>()) {
            line->setText(q);
        }
    } else if (w != nullptr) {
        w->setWindowTitle(q);
    }
}

std::string CDialog::GetDlgItemText(int id) const {
    QWidget* w = GetDlgItem(id);
    if (auto* label = qobject_cast<QLabel*>(w)) {
        return ui::ToStd(label->text());
    }
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        return ui::ToStd(button->text());
    }
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        return ui::ToStd(edit->text());
    }
    if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
        return ui::ToStd(plain->toPlainText());
    }
    if (auto* rich = qobject_cast<QTextEdit*>(w)) {
        return ui::ToStd(rich->toPlainText());
    }
    if (auto* group = qobject_cast<QGroupBox*>(w)) {
        return ui::ToStd(group->title());
    }
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        return ui::ToStd(combo->currentText());
    }
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(w)) {
        return ui::ToStd(spin->text());
    }
    return w != nullptr ? ui::ToStd(w->windowTitle()) : std::string();
}

void CDialog::SetDlgItemInt(int id, long long value) {
    SetDlgItemText(id, std::to_string(value));
}

long long CDialog::GetDlgItemInt(int id, bool* ok) const {
    bool good = false;
    const long long v = ui::ToQ(GetDlgItemText(id)).trimmed().toLongLong(&good);
    if (ok != nullptr) {
        *ok = good;
    }
    return good ? v : 0;
}

void CDialog::CheckDlgButton(int id, int state) {
    QWidget* w = GetDlgItem(id);
    if (auto* box = qobject_cast<QCheckBox*>(w)) {
        if (state == 2) {
            box->setTristate(true);
            box->setCheckState(Qt::PartiallyChecked);
        } else {
            box->setCheckState(state != 0 ? Qt::Checked : Qt::Unchecked);
        }
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setChecked(state != 0);
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        group->setChecked(state != 0);
    }
}

int CDialog::IsDlgButtonChecked(int id) const {
    QWidget* w = GetDlgItem(id);
    if (auto* box = qobject_cast<QCheckBox*>(w)) {
        switch (box->checkState()) {
            case Qt::Checked:
                return 1;
            case Qt::PartiallyChecked:
                return 2;
            default:
                return 0;
        }
    }
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        return button->isChecked() ? 1 : 0;
    }
    if (auto* group = qobject_cast<QGroupBox*>(w)) {
        return group->isChecked() ? 1 : 0;
    }
    return 0;
}

void CDialog::CheckRadioButton(int firstId, int lastId, int checkId) {
    for (int id = firstId; id <= lastId; ++id) {
        auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id));
        if (button == nullptr) {
            continue;
        }
        // Radio buttons in one parent are exclusive; switch that off while setting them one by one.
        const bool exclusive = button->autoExclusive();
        button->setAutoExclusive(false);
        button->setChecked(id == checkId);
        button->setAutoExclusive(exclusive);
    }
}

void CDialog::SetFocusTo(int id) {
    if (QWidget* w = GetDlgItem(id)) {
        w->setFocus(Qt::OtherFocusReason);
    }
}

// ---- Handlers ----

void CDialog::OnCommand(int id, Handler fn) {
    OnNotify(BN_CLICKED, id, std::move(fn));
}

void CDialog::OnCommandRange(int firstId, int lastId, RangeHandler fn) {
    OnNotifyRange(BN_CLICKED, firstId, lastId, std::move(fn));
}

void CDialog::OnNotify(unsigned code, int id, Handler fn) {
    m_handlers[{code, id}] = [fn = std::move(fn)](int, LPARAM) {
        if (fn) {
            fn();
        }
    };
}

void CDialog::OnNotify(unsigned code, int id, DataHandler fn) {
    m_handlers[{code, id}] = [fn = std::move(fn)](int, LPARAM data) {
        if (fn) {
            fn(data);
        }
    };
}

void CDialog::OnNotifyRange(unsigned code, int firstId, int lastId, RangeHandler fn) {
    m_ranges.push_back(RangeEntry{code, firstId, lastId, std::move(fn)});
}

void CDialog::OnMessage(unsigned msg, MessageHandler fn) {
    m_messages[msg] = std::move(fn);
}

bool CDialog::DispatchCommand(int id, unsigned code, LPARAM data) {
    // Handlers may register others or end the dialog: work on copies.
    auto it = m_handlers.find({code, id});
    if (it != m_handlers.end()) {
        auto fn = it->second;
        fn(id, data);
        return true;
    }
    for (std::size_t i = 0; i < m_ranges.size(); ++i) {
        const RangeEntry& r = m_ranges[i];
        if (r.code == code && id >= r.first && id <= r.last) {
            auto fn = r.fn;
            if (fn) {
                fn(id);
            }
            return true;
        }
    }
    if (OnCmdMsg(id, code, data)) {
        return true;
    }
    if (code == BN_CLICKED && id == IDOK) {
        OnOK();
        return true;
    }
    if (code == BN_CLICKED && id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

// ---- Timers ----

unsigned CDialog::SetTimer(unsigned id, unsigned ms) {
    auto it = m_timers.find(id);
    if (it != m_timers.end()) {
        killTimer(it->second);
        m_timers.erase(it);
    }
    const int qtId = startTimer(static_cast<int>(ms), Qt::PreciseTimer);
    if (qtId == 0) {
        return 0;
    }
    m_timers[id] = qtId;
    return id;
}

bool CDialog::KillTimer(unsigned id) {
    auto it = m_timers.find(id);
    if (it == m_timers.end()) {
        return false;
    }
    killTimer(it->second);
    m_timers.erase(it);
    return true;
}

void CDialog::timerEvent(QTimerEvent* e) {
    for (const auto& [id, qtId] : m_timers) {
        if (qtId == e->timerId()) {
            const unsigned ourId = id;  // OnTimer may change m_timers
            OnTimer(ourId);
            return;
        }
    }
    QDialog::timerEvent(e);
}

// ---- Qt side ----

void CDialog::accept() {
    DispatchCommand(IDOK);
}

void CDialog::reject() {
    DispatchCommand(IDCANCEL);
}

void CDialog::done(int r) {
    EndDialog(r);
}

void CDialog::keyPressEvent(QKeyEvent* e) {
    const bool enter = (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) &&
                       (e->modifiers() == Qt::NoModifier || e->modifiers() == Qt::KeypadModifier);
    if (!enter) {
        QDialog::keyPressEvent(e);  // Esc -> reject() -> IDCANCEL
        return;
    }
    // Enter presses the focused push button, else the default one, else sends the default command.
    if (auto* focused = qobject_cast<QPushButton*>(focusWidget()); focused && focused->isEnabled()) {
        focused->click();
        return;
    }
    if (auto* def = qobject_cast<QAbstractButton*>(GetDlgItem(m_defId))) {
        if (def->isEnabled() && def->isVisible()) {
            def->click();
        }
        return;
    }
    DispatchCommand(m_defId);
}

void CDialog::SetDefID(int id) {
    m_defId = id;
    if (auto* button = qobject_cast<QPushButton*>(GetDlgItem(id))) {
        button->setDefault(true);
    }
}

void CDialog::ShowReadOnly(QWidget* w) {
    // A value the user cannot change sits on the face colour, as such fields do on the desktop; an
    // editable one on the window's own base colour.
    bool readOnly = false;
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        readOnly = edit->isReadOnly();
    } else if (auto* spin = qobject_cast<QAbstractSpinBox*>(w)) {
        readOnly = spin->isReadOnly();
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
        readOnly = plain->isReadOnly();
    } else if (auto* text = qobject_cast<QTextEdit*>(w)) {
        readOnly = text->isReadOnly();
    } else {
        return;
    }
    const bool marked = w->property(kReadOnlyLook).toBool();
    if (readOnly == marked) {
        return;
    }
    w->setProperty(kReadOnlyLook, readOnly);
    QPalette palette = w->palette();
    const QPalette base =
        w->parentWidget() != nullptr ? w->parentWidget()->palette() : QApplication::palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Base,
                         readOnly ? base.color(group, QPalette::Window) : base.color(group, QPalette::Base));
    }
    w->setPalette(palette);
}

bool CDialog::eventFilter(QObject* watched, QEvent* e) {
    if ((e->type() == QEvent::LayoutRequest && watched->isWidgetType()) ||
        (e->type() == QEvent::Resize && watched == m_client)) {
        // The client's layout, or one inside it, has just been redone (event filters run after it), or
        // the client got a size (a window resized twice in a row may end at the first size).
        GrowToContents(*this);
    }
    if (e->type() == QEvent::ReadOnlyChange) {
        if (auto* w = qobject_cast<QWidget*>(watched)) {
            ShowReadOnly(w);
        }
    }
    if (e->type() == QEvent::FocusIn || e->type() == QEvent::FocusOut) {
        auto* w = qobject_cast<QWidget*>(watched);
        const int id = GetDlgCtrlID(w);
        if (w != nullptr && GetDlgItem(id) == w) {
            const bool in = e->type() == QEvent::FocusIn;
            const unsigned code = qobject_cast<QComboBox*>(w) != nullptr ? (in ? CBN_SETFOCUS : CBN_KILLFOCUS)
                                                                         : (in ? EN_SETFOCUS : EN_KILLFOCUS);
            DispatchCommand(id, code, 0);
        }
    }
    return QDialog::eventFilter(watched, e);
}

// ---- Window ----

void CDialog::SetClientSize(int width, int height) {
    m_client->setMinimumSize(width, height);
    adjustSize();
    resize(std::max(width, this->width()), sizeHint().height());
}

void CDialog::SetWindowText(const std::string& text) {
    setWindowTitle(ui::ToQ(text));
}

std::string CDialog::GetWindowText() const {
    return ui::ToStd(windowTitle());
}

void CDialog::SetTopmost(bool topmost) {
    if (IsTopmost() == topmost) {
        return;
    }
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, topmost);  // hides a visible window
    if (visible) {
        show();
    }
}

bool CDialog::IsTopmost() const {
    return (windowFlags() & Qt::WindowStaysOnTopHint) != 0;
}

void CDialog::SetIcon(const QIcon& icon) {
    setWindowIcon(icon);
}

void CDialog::ShowWindow(int cmd) {
    switch (cmd) {
        case SW_HIDE:
            hide();
            break;
        case SW_SHOWMINIMIZED:
        case SW_MINIMIZE:
            showMinimized();
            break;
        case SW_SHOWMAXIMIZED:
            showMaximized();
            break;
        case SW_SHOWNORMAL:
        case SW_RESTORE:
            showNormal();
            break;
        default:
            show();
            break;
    }
}

void CDialog::BringToFront() {
    if (isMinimized()) {
        showNormal();
    }
    show();
    raise();
    activateWindow();
}

void CDialog::CenterWindow() {
    QWidget* over = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
    QRect area;
    if (over != nullptr && over->isVisible()) {
        area = over->frameGeometry();
    } else if (QScreen* screen = this->screen()) {
        area = screen->availableGeometry();
    }
    if (!area.isNull()) {
        QRect r = frameGeometry();
        r.moveCenter(area.center());
        move(r.topLeft());
    }
}

CMenuBar* CDialog::SetMenu(const std::vector<MenuEntry>& table) {
    m_menu.reset();
    m_menu = std::make_unique<CMenuBar>(
        table, [this](unsigned id) { DispatchCommand(static_cast<int>(id), BN_CLICKED, 0); }, this);
    layout()->setMenuBar(m_menu->Bar());
    return m_menu.get();
}

}  // namespace ksx
