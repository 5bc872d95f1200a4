// The stall sweep: every dialog of an area, against a switch that answers every request late, opened
// as the user opens it, every enabled push button pressed (Close and Cancel last, by closing), each
// dialog a button opens swept the same way. The window's thread waits on one request at most between
// two turns of its events (the tripwire fails the test otherwise); beside that wait it may go without
// handling events no longer than one request's time-out plus one second (the second scaled with the
// time-out). The gap is measured as the loop tests measure it (test::TickGap, its own work: the
// request's wait, however late the device or the simulator on a busy machine answers, is left out).
//
// The suite runs it scaled down (a 400 ms time-out, answers after 240 ms). Environment:
//   KSX_SWEEP_TIMEOUT_MS  the requests' time-out (default 400)
//   KSX_SWEEP_DELAY_MS    how late the switch answers (default 60 % of the time-out)
//   KSX_SWEEP_FIGURES     "1": print every action's longest gap ("SWEEP <dialog> | <action> | <ms>"),
//                         in the answer sweep every text read ("ANSWER <mode> | <dialog> | <action> |
//                         <text>")
//   KSX_SWEEP_ONLY        run only the dialogs whose name holds this text
// scripts/stall-sweep runs the sweep at the real 2 s time-out and prints the longest gap per dialog.
//
// Each area's sweep includes this header and defines ksx::stallsweep::Area() (the menu popups it
// covers) and Unreached() (the area's dialogs no menu item opens).
//
// Built with KSX_ANSWER_SWEEP the same source is the answer sweep: the same dialogs and buttons against
// a switch that answers at once (KSX_SWEEP_TIMEOUT_MS the time-out, default 400), first taking no write
// and answering none, then refusing every write (genErr). A value is changed before each Apply or OK so
// that there is something to write. Every message box and every status line an action shows is read:
// an unanswered write is never said to be refused, nor a refused one unanswered. Each text that does
// is a failure "<mode>: <dialog> | <button> | <text>".
//
// Built with KSX_OWNERSHIP_SWEEP it is the ownership sweep instead: every add of every dialog (AddCase,
// listed by the including file), with another manager's row at the add's index made once the dialog has
// read its list (active, then not active), against the slow switch, closed after each distinct request of
// the add in turn. That row is left as it was (no write but a create touches it) and no text says
// anything was removed; a question whether to replace it is answered No.
#pragma once

#include <cxxabi.h>
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <typeinfo>
#include <vector>

#include "controls/IPAddressCtrl.h"
#include "platform/snmplib/Snmp.h"
#include "platform/sys/Globals.h"
#include "platform/sys/Tunable.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Text.h"
#include "res/MenuTable.h"
#include "res/resource.h"
#include "tests/features/StepRunTest.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace ksx::stallsweep {

struct Timing {
    int timeoutMs = 400;
    int delayMs = 240;
    int quietMs = 640;  // no request for this long: what an action started is over
    bool figures = false;
    std::string only;
    // The longest the window's thread may go without events beside its one request's wait: the time-out
    // plus a second scaled as the time-out is (2 s real).
    long long BoundMs() const { return timeoutMs + timeoutMs / 2; }
    static Timing FromEnvironment() {
        Timing t;
        if (const char* v = std::getenv("KSX_SWEEP_TIMEOUT_MS"); v != nullptr && std::atoi(v) > 0) {
            t.timeoutMs = std::atoi(v);
        }
        t.delayMs = t.timeoutMs * 6 / 10;
        if (const char* v = std::getenv("KSX_SWEEP_DELAY_MS"); v != nullptr && std::atoi(v) >= 0) {
            t.delayMs = std::atoi(v);
        }
        const char* f = std::getenv("KSX_SWEEP_FIGURES");
        t.figures = f != nullptr && std::string(f) == "1";
        if (const char* o = std::getenv("KSX_SWEEP_ONLY")) {
            t.only = o;
        }
        t.quietMs = t.delayMs + 400;
        return t;
    }
    // Prompt answers; an action is over once no request went out for a time-out and a bit (an
    // unanswered write is resent within its time-out).
    static Timing ForAnswers() {
        Timing t = FromEnvironment();
        t.delayMs = 0;
        t.quietMs = t.timeoutMs + 400;
        return t;
    }
};

// A dialog of the area: a menu command, or a dialog no menu item opens (made here, shown as the code
// that opens it does).
struct Entry {
    std::string name;
    int command = 0;
    std::function<std::shared_ptr<CDialog>()> make;
};

template <class D>
Entry Unreachable(const char* name) {
    return {name, 0, [] { return std::make_shared<D>(); }};
}

// The area of a sweep executable ("port_system", "vlan", "layer2", "security", "monitoring",
// "snmp_agent") and its dialogs no menu item opens.
const char* AreaName();
const std::vector<Entry>& Unreached();

// What each area covers: menu popups (the second level under "Device Manager", or the top-level
// menu) and the commands without a menu item.
struct AreaCover {
    std::string area;
    std::vector<std::string> popups;
    std::vector<std::pair<int, const char*>> extra;
};
inline const std::vector<AreaCover>& Areas() {
    static const std::vector<AreaCover> areas = {
        {"port_system", {"System", "Qos", "PoE", kMenuTools}, {}},
        {"vlan",
         {"VLAN"},
         {{IDM_GVRP_SETTINGS, "GVRP_Settings"},
          {IDM_GVRP_TIME, "GVRP_Time"},
          {IDM_SURVEILLANCE_OUI, "Surveillance_OUI"}}},
        {"layer2", {"L2 Function"}, {{IDM_LLDP_MED, "LLDP_MED"}}},
        {"security", {"Security", "AAA"}, {{IDM_DOT1X_PORT_CONFIG, "Dot1x_Port_Config"}}},
        {"monitoring", {"RMON", kMenuPublicMib}, {}},
        {"snmp_agent", {"SNMP"}, {}},
    };
    return areas;
}
inline std::string PopupOf(const MenuEntry& m) {
    return m.path.size() > 1 ? m.path[1] : m.path[0];
}

inline std::string ClassName(const QObject* o) {
    const char* mangled = typeid(*o).name();
    int status = 0;
    char* plain = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string out = status == 0 && plain != nullptr ? plain : mangled;
    std::free(plain);
    const size_t colon = out.rfind("::");
    return colon == std::string::npos ? out : out.substr(colon + 2);
}

inline std::string ButtonText(const QPushButton* b) {
    std::string t = ui::ToStd(b->text().remove('&').trimmed());
    return t;
}

inline bool IsCloseButton(const QPushButton* b) {
    const QString t = b->text().remove('&').trimmed().toLower();
    return CDialog::GetDlgCtrlID(b) == IDCANCEL || t == "close" || t == "cancel";
}

inline bool IsWriteButton(const QPushButton* b) {
    const QString t = b->text().remove('&').trimmed().toLower();
    return t.startsWith("apply") || t == "ok" || t == "set" || t == "save";
}

// What the sweep reads besides the window's liveness: the message boxes and status lines each action
// brings, and whether a value is changed before a button that writes.
struct Reading {
    const test::ScriptedMessageBox* boxes = nullptr;
    bool changeValues = false;
};

// Sweeps one dialog at a time; records the longest gap of every action.
class Sweeper {
public:
    struct Action {
        std::string dialog;  // the dialog's class
        std::string what;    // "open", a button's text, "close"
        long long gapMs = 0;
        std::vector<std::string> opened;  // the classes of the dialogs the action opened
        std::vector<std::string> texts;   // the message boxes and status lines it showed (Reading)
        std::string Text() const {
            std::string out = dialog + " | " + what;
            for (const std::string& o : opened) {
                out += " (opens " + o + ")";
            }
            return out;
        }
    };

    Sweeper(test::SimSwitch& sim, const Timing& t, Reading reading = {})
        : m_sim(sim), m_t(t), m_reading(reading), m_boxesTaken(reading.boxes ? reading.boxes->Count() : 0) {}

    const std::vector<Action>& Actions() const { return m_actions; }

    // Runs a menu command (the launcher runs its dialog modally) and sweeps the dialog it opens.
    bool RunCommand(int command) {
        bool seen = false;
        test::TickGap gap(test::TickGap::kOwnWork);
        QTimer::singleShot(0, [&] {
            CDialog* dlg = nullptr;
            test::WaitUntil(
                [&] { return (dlg = dynamic_cast<CDialog*>(QApplication::activeModalWidget())) != nullptr; },
                20000);
            if (dlg != nullptr) {
                seen = true;
                Sweep(dlg, 0, &gap);
            }
        });
        ui::FeatureRegistry::Instance().Run(command);
        AfterClose();
        return seen;
    }

    // Shows a dialog modeless (as the test driver does) and sweeps it.
    void RunDialog(const std::shared_ptr<CDialog>& dlg) {
        test::TickGap gap(test::TickGap::kOwnWork);
        {
            test::DialogDriver drv(*dlg);
            Sweep(dlg.get(), 0, &gap);
            drv.WaitEnded(WaitLimitMs());
        }
        AfterClose();
    }

private:
    int QuietMs() const { return m_t.quietMs; }
    int WaitLimitMs() const { return std::max(20000, 60 * m_t.delayMs); }

    // A dialog a button opens shows only once its own reads in OnInitDialog are over: the button's
    // action holds them, and names the dialog.
    void Record(CDialog* dlg, const std::string& what, const test::TickGap& gap,
                std::vector<std::string> lines = {}) {
        Action a{ClassName(dlg), what, gap.MaxGapMs(), m_opened.back(), TakeBoxes()};
        a.texts.insert(a.texts.end(), lines.begin(), lines.end());
        m_opened.back().clear();
        if (m_t.figures) {
            std::cout << "SWEEP " << a.Text() << " | " << a.gapMs << std::endl;
        }
        m_actions.push_back(std::move(a));
    }

    // The boxes shown since the last action took its own (a dialog an action opened records first).
    std::vector<std::string> TakeBoxes() {
        if (m_reading.boxes == nullptr) {
            return {};
        }
        std::vector<std::string> texts = m_reading.boxes->Texts();
        std::vector<std::string> out(texts.begin() + static_cast<long>(std::min(m_boxesTaken, texts.size())),
                                     texts.end());
        m_boxesTaken = texts.size();
        return out;
    }

    // What the work left running after the last dialog closed showed.
    void AfterClose() {
        if (m_reading.boxes == nullptr || m_actions.empty()) {
            return;
        }
        WaitQuiet(nullptr);
        std::vector<std::string> texts = TakeBoxes();
        if (!texts.empty()) {
            m_actions.push_back({m_actions.front().dialog, "after close", 0, {}, std::move(texts)});
        }
    }

    using Lines = std::map<const QLabel*, QString>;
    static Lines LinesOf(CDialog* dlg) {
        Lines out;
        for (QLabel* l : dlg->findChildren<QLabel*>()) {
            if (CDialog::FromWidget(l) == dlg) {
                out[l] = l->isVisible() ? l->text() : QString();
            }
        }
        return out;
    }
    // The status lines whose text the action changed.
    static std::vector<std::string> ChangedLines(CDialog* dlg, const Lines& before) {
        std::vector<std::string> out;
        for (const auto& [label, text] : LinesOf(dlg)) {
            const auto was = before.find(label);
            if (!text.isEmpty() && (was == before.end() || was->second != text)) {
                out.push_back(ui::ToStd(text));
            }
        }
        return out;
    }

    // Something for a write button to write: the first checkbox toggled, or else the first list box
    // moved one entry on, as the user does.
    static void ChangeAValue(CDialog* dlg) {
        auto usable = [dlg](QWidget* w) {
            return w->isVisible() && w->isEnabled() && CDialog::FromWidget(w) == dlg;
        };
        for (QCheckBox* c : dlg->findChildren<QCheckBox*>()) {
            if (usable(c)) {
                QTest::mouseClick(c, Qt::LeftButton, Qt::NoModifier, c->rect().center());
                return;
            }
        }
        for (QComboBox* c : dlg->findChildren<QComboBox*>()) {
            if (usable(c) && c->count() > 1) {
                QTest::keyClick(c, c->currentIndex() + 1 < c->count() ? Qt::Key_Down : Qt::Key_Up);
                return;
            }
        }
    }

    // Until the switch had no request for a while (what the action started is over), or the dialog
    // ended.
    void WaitQuiet(CDialog* dlg) {
        size_t seen = 0;
        QElapsedTimer still;
        still.start();
        test::WaitUntil(
            [&] {
                const size_t now = m_sim.Requests().size();
                if (now != seen) {
                    seen = now;
                    still.restart();
                }
                return still.elapsed() >= QuietMs() || (dlg != nullptr && dlg->IsDialogEnded());
            },
            WaitLimitMs());
    }

    bool OnStack(QWidget* w) const { return std::find(m_stack.begin(), m_stack.end(), w) != m_stack.end(); }

    // A window another one opened modally while `owner` is swept: a dialog of ours is swept in turn
    // (up to two levels down), any other (a file or print dialog) is cancelled.
    void Watch(CDialog* owner, int depth) {
        if (m_stack.empty() || m_stack.back() != owner) {
            return;
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || OnStack(modal) || !modal->isVisible()) {
            return;
        }
        auto* child = dynamic_cast<CDialog*>(modal);
        if (child != nullptr && !child->IsDialogEnded() && depth < 2) {
            m_opened.back().push_back(ClassName(child));
            Sweep(child, depth + 1, nullptr);
        } else if (auto* q = qobject_cast<QDialog*>(modal)) {
            q->reject();
        } else {
            modal->close();
        }
    }

    // The first row of every list, clicked as the user does, so that the buttons that work on a row
    // have one.
    static void PickFirstRows(CDialog* dlg) {
        const auto views = dlg->findChildren<QAbstractItemView*>();
        for (QAbstractItemView* v : views) {
            if (!v->isVisible() || !v->isEnabled() || v->model() == nullptr || v->model()->rowCount() == 0 ||
                !v->selectionModel() || v->selectionModel()->hasSelection()) {
                continue;
            }
            const QModelIndex first = v->model()->index(0, 0);
            v->scrollTo(first);
            const QRect r = v->visualRect(first);
            if (r.isValid()) {
                QTest::mouseClick(v->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
            }
        }
    }

    // Sweeps a dialog shown and running (its loop, or driven): waits for its reads, presses its
    // buttons, then closes it. `whole` (top level) measures the opening from before the dialog showed.
    void Sweep(CDialog* dlg, int depth, test::TickGap* whole) {
        m_stack.push_back(dlg);
        m_opened.emplace_back();
        QTimer watch;
        watch.setInterval(50);
        QObject::connect(&watch, &QTimer::timeout, [this, dlg, depth] { Watch(dlg, depth); });
        watch.start();
        {
            std::unique_ptr<test::TickGap> own;
            if (whole == nullptr) {
                own = std::make_unique<test::TickGap>(test::TickGap::kOwnWork);
                whole = own.get();
            }
            WaitQuiet(dlg);
            Record(dlg, "open", *whole);
        }
        if (!dlg->IsDialogEnded()) {
            PickFirstRows(dlg);
            test::PumpEvents();
            WaitQuiet(dlg);
        }
        // Buttons in the order they were made, OK last.
        std::vector<QPointer<QPushButton>> buttons;
        std::vector<QPointer<QPushButton>> last;
        for (QPushButton* b : dlg->findChildren<QPushButton*>()) {
            if (b->isCheckable() || IsCloseButton(b) || CDialog::FromWidget(b) != dlg) {
                continue;
            }
            (ButtonText(b) == "OK" ? last : buttons).push_back(b);
        }
        buttons.insert(buttons.end(), last.begin(), last.end());
        for (const QPointer<QPushButton>& b : buttons) {
            if (dlg->IsDialogEnded()) {
                break;
            }
            if (b.isNull() || !b->isVisible() || !b->isEnabled()) {
                continue;
            }
            const std::string text = ButtonText(b);
            if (m_reading.changeValues && IsWriteButton(b)) {
                ChangeAValue(dlg);
                test::PumpEvents();
                WaitQuiet(dlg);
            }
            const Lines before = LinesOf(dlg);
            test::TickGap gap(test::TickGap::kOwnWork);
            QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, b->rect().center());
            test::PumpEvents();
            WaitQuiet(dlg);
            Record(dlg, text, gap,
                   dlg->IsDialogEnded() ? std::vector<std::string>{} : ChangedLines(dlg, before));
        }
        if (!dlg->IsDialogEnded()) {
            test::TickGap gap(test::TickGap::kOwnWork);
            QPushButton* close = nullptr;
            for (QPushButton* b : dlg->findChildren<QPushButton*>()) {
                if (IsCloseButton(b) && b->isVisible() && b->isEnabled() && CDialog::FromWidget(b) == dlg) {
                    close = b;
                    break;
                }
            }
            if (close != nullptr) {
                QTest::mouseClick(close, Qt::LeftButton, Qt::NoModifier, close->rect().center());
            }
            if (!dlg->IsDialogEnded()) {
                dlg->close();
            }
            test::WaitUntil([&] { return dlg->IsDialogEnded(); }, WaitLimitMs());
            test::PumpEvents();
            Record(dlg, "close", gap);
        }
        m_stack.pop_back();
        m_opened.pop_back();
    }

    test::SimSwitch& m_sim;
    Timing m_t;
    Reading m_reading;
    size_t m_boxesTaken;
    std::vector<Action> m_actions;
    std::vector<QWidget*> m_stack;                   // the dialogs being swept, the innermost last
    std::vector<std::vector<std::string>> m_opened;  // per dialog of m_stack: what its action opened
};

// "Port Configuration" -> "Port_Configuration" (a test name).
inline std::string NameOf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c)) != 0) {
            out += c;
        } else if (!out.empty() && out.back() != '_') {
            out += '_';
        }
    }
    while (!out.empty() && out.back() == '_') {
        out.pop_back();
    }
    return out;
}

// The area's menu commands (in menu order), its commands without a menu item, then its dialogs no
// menu item opens.
inline std::vector<Entry> Entries() {
    std::vector<Entry> out;
    const auto& commands = FeatureCommands();
    for (const AreaCover& a : Areas()) {
        if (a.area != AreaName()) {
            continue;
        }
        for (const MenuEntry& m : MainMenuTable()) {
            if (std::find(commands.begin(), commands.end(), m.id) != commands.end() &&
                std::find(a.popups.begin(), a.popups.end(), PopupOf(m)) != a.popups.end()) {
                out.push_back({NameOf(m.text), static_cast<int>(m.id), nullptr});
            }
        }
        for (const auto& [id, name] : a.extra) {
            out.push_back({name, id, nullptr});
        }
    }
    for (const Entry& e : Unreached()) {
        out.push_back(e);
    }
    return out;
}

template <class Param>
class SweepFixtureOf : public ::testing::TestWithParam<Param> {
public:
    static void SetUpTestSuite() {
        SnmpInit();
        s_sim = new test::SimSwitch(test::SimSwitch::Options{"ksx-4200-28p", {}});
    }
    static void TearDownTestSuite() {
        delete s_sim;
        s_sim = nullptr;
    }

protected:
    void SetUp() override {
        s_sim->Restart();
        s_sim->DelayMs(m_t.delayMs);
        s_sim->ClearLog();
        test::UseSimV1(*s_sim, std::to_string(m_t.timeoutMs));
        g_nPortNum = 28;
        g_strDeviceName = "KSX-4200-28P";
    }
    void TearDown() override {
        s_sim->DelayMs(0);
        s_sim->WritesSilent(false);
        s_sim->WritesRefused(0);
        ResetConnectionSettings();
    }

#ifdef KSX_ANSWER_SWEEP
    Timing m_t = Timing::ForAnswers();
#else
    Timing m_t = Timing::FromEnvironment();
#endif
    // The pause the trunk member check makes on the window's thread before its port walk paces the
    // device: it scales with the time-out as the answers do.
    Tunable::Override trunkPause{"trunk.port-table-pause-ms", 500 * m_t.timeoutMs / 2000};
    test::ScriptedMessageBox boxes;
    static inline test::SimSwitch* s_sim = nullptr;
};
using SweepFixture = SweepFixtureOf<Entry>;

inline void PrintTo(const Entry& e, std::ostream* os) {
    *os << e.name;
}

#if defined(KSX_OWNERSHIP_SWEEP)

// An add: its dialog, its fields (id and text: typed, picked, or for an empty text checked), its
// button, and its row: the status column and the index (".1"). The other row's states: active and not
// in service (an RMON table's: valid and under creation, {1, 3}).
struct AddCase {
    std::string name;
    std::function<std::shared_ptr<CDialog>()> make;
    std::vector<std::pair<int, std::string>> fields;
    int button = 0;
    std::string statusColumn, index;
    std::vector<int> states = {1, 2};
};
inline void PrintTo(const AddCase& c, std::ostream* os) {
    *os << c.name;
}

// Every box recorded; a Yes/No question answered No, any other box OK.
struct NoToQuestions : IMessageBoxService {
    NoToQuestions() { SetMessageBoxService(this); }
    ~NoToQuestions() override { SetMessageBoxService(nullptr); }
    int Show(const std::string& text, const std::string&, unsigned flags) override {
        std::lock_guard<std::mutex> lock(m);
        texts.push_back(text);
        return (flags & 0xF) == MB_YESNO ? IDNO : IDOK;
    }
    std::mutex m;
    std::vector<std::string> texts;
};

using OwnershipSweep = SweepFixtureOf<AddCase>;

TEST_P(OwnershipSweep, AnotherManagersRowAtTheIndexIsLeftAsItWas) {
    const AddCase& c = GetParam();
    const std::string row = c.statusColumn + c.index;
    const std::string entry = c.statusColumn.substr(0, c.statusColumn.rfind('.') + 1);
    // The add's distinct requests: its writes and its reads of the row's status.
    const auto added = [&] {
        size_t n = 0;
        for (const test::SimRequest& r : s_sim->DistinctRequests()) {
            n += r.pdu == "set" || (r.pdu == "get" && r.varbinds.at(0).oid == row);
        }
        return n;
    };
    const auto quiet = [&](const std::function<bool()>& done) {
        size_t seen = 0;
        QElapsedTimer still;
        still.start();
        test::WaitUntil([&] {
            if (const size_t now = s_sim->Requests().size(); now != seen) {
                seen = now;
                still.restart();
            }
            return done() || still.elapsed() >= m_t.quietMs;
        });
    };
    for (const int state : c.states) {
        for (size_t k = 1, sent = k; sent >= k; ++k) {  // Close once the add's k-th request went out
            SCOPED_TRACE("other row " + std::to_string(state) + ", closed at request " + std::to_string(k));
            s_sim->Restart();
            test::UseSimV1(*s_sim, std::to_string(m_t.timeoutMs));
            NoToQuestions boxes;
            {
                const std::shared_ptr<CDialog> dlg = c.make();
                test::DialogDriver drv(*dlg);
                quiet([] { return false; });  // its reads
                for (const auto& [id, text] : c.fields) {
                    auto* combo = dlg->Item<QComboBox>(id);
                    if (auto* ip = dlg->Item<CIPAddressCtrl>(id)) {
                        ip->SetAddress(text);
                    } else {
                        EXPECT_TRUE(text.empty()                  ? drv.Check(id, true)
                                    : combo && !combo->lineEdit() ? drv.SelectText(id, text)
                                                                  : drv.Type(id, text))
                            << id;
                    }
                }
                ASSERT_EQ(s_sim->Command("row " + row + " " + std::to_string(state)), "OK");
                s_sim->DelayMs(m_t.delayMs);
                s_sim->ClearLog();
                ASSERT_TRUE(drv.Click(c.button));
                quiet([&] { return added() >= k; });
                sent = added();
                drv.CloseBox();
                ASSERT_TRUE(drv.WaitEnded());
            }
            quiet([] { return false; });  // what goes on after the dialog
            ASSERT_GT(sent, 0u) << "the add sent nothing";
            EXPECT_EQ(s_sim->Get(row), std::to_string(state));
            for (const test::SimRequest& r : test::Sets(s_sim->Requests())) {
                for (const test::SimVarBind& b : r.varbinds) {
                    const bool ofRow = b.oid.rfind(entry, 0) == 0 && b.oid.ends_with(c.index);
                    const bool create =
                        b.oid == row &&
                        (c.states.back() == 3 ? b.value == "2" : b.value == "4" || b.value == "5");
                    EXPECT_TRUE(!ofRow || create) << b.oid << "=" << b.value;
                }
            }
            for (const std::string& text : boxes.texts) {
                EXPECT_EQ(text.find("removed"), std::string::npos) << text;
            }
        }
    }
}

#elif defined(KSX_ANSWER_SWEEP)

using AnswerSweep = SweepFixture;

TEST_P(AnswerSweep, NoSilenceIsCalledARefusalNorARefusalASilence) {
    const Entry& e = GetParam();
    if (!m_t.only.empty() && e.name.find(m_t.only) == std::string::npos) {
        GTEST_SKIP();
    }
    struct Mode {
        const char* name;
        int refusal;  // the error status every write gets; 0: no write is answered
        std::vector<std::string> untrue;
    };
    const Mode modes[] = {{"writes unanswered", 0, {"did not accept", "refused", "rejected"}},
                          {"writes refused", 5, {"did not answer", "did not confirm"}}};
    for (const Mode& m : modes) {
        s_sim->Restart();
        s_sim->WritesSilent(m.refusal == 0);
        s_sim->WritesRefused(m.refusal);
        Sweeper sweeper(*s_sim, m_t, {&boxes, true});
        if (e.command != 0) {
            ASSERT_TRUE(ui::FeatureRegistry::Instance().Has(e.command)) << e.name;
            EXPECT_TRUE(sweeper.RunCommand(e.command)) << e.name << ": the command opened no dialog";
        } else {
            sweeper.RunDialog(e.make());
        }
        for (const Sweeper::Action& a : sweeper.Actions()) {
            for (const std::string& text : a.texts) {
                if (m_t.figures) {
                    std::cout << "ANSWER " << m.name << " | " << a.dialog << " | " << a.what << " | " << text
                              << std::endl;
                }
                const std::string lower = ui::ToStd(QString::fromStdString(text).toLower());
                for (const std::string& u : m.untrue) {
                    if (lower.find(u) != std::string::npos) {
                        ADD_FAILURE() << m.name << ": " << a.dialog << " | " << a.what << " | " << text;
                        break;
                    }
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Area, AnswerSweep, ::testing::ValuesIn(Entries()),
                         [](const ::testing::TestParamInfo<Entry>& info) { return info.param.name; });

#else

using StallSweep = SweepFixture;

TEST_P(StallSweep, WindowStaysLiveOnASlowDevice) {
    const Entry& e = GetParam();
    if (!m_t.only.empty() && e.name.find(m_t.only) == std::string::npos) {
        GTEST_SKIP();
    }
    Sweeper sweeper(*s_sim, m_t);
    if (e.command != 0) {
        ASSERT_TRUE(ui::FeatureRegistry::Instance().Has(e.command)) << e.name;
        EXPECT_TRUE(sweeper.RunCommand(e.command)) << e.name << ": the command opened no dialog";
    } else {
        sweeper.RunDialog(e.make());
    }
    ASSERT_FALSE(sweeper.Actions().empty());
    for (const Sweeper::Action& a : sweeper.Actions()) {
        EXPECT_LE(a.gapMs, m_t.BoundMs())
            << a.Text() << ": the window went " << a.gapMs << " ms without handling events";
    }
}

// Every dialog the menu opens is in exactly one area's sweep.
TEST(StallSweepCover, EveryMenuDialogIsSwept) {
    for (unsigned id : FeatureCommands()) {
        int areas = 0;
        for (const AreaCover& a : Areas()) {
            for (const MenuEntry& m : MainMenuTable()) {
                areas +=
                    m.id == id && std::find(a.popups.begin(), a.popups.end(), PopupOf(m)) != a.popups.end();
            }
            for (const auto& extra : a.extra) {
                areas += extra.first == static_cast<int>(id);
            }
        }
        EXPECT_EQ(areas, 1) << "command " << id;
    }
}

INSTANTIATE_TEST_SUITE_P(Area, StallSweep, ::testing::ValuesIn(Entries()),
                         [](const ::testing::TestParamInfo<Entry>& info) { return info.param.name; });

#endif

}  // namespace ksx::stallsweep
