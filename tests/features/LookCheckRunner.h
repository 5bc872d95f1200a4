// The look check of feature dialogs: each dialog at the default font and at a 1.5 times larger one, on
// the 28-port and the 52-port models where it has a port grid. Nothing may be cut, squeezed or
// overlapping, no list heading or cell cut where its column could grow, no read-only edit that looks
// editable, no dialog larger than the screen. Each dialog is looked at after its reads ended well, and
// also in the states whose lines appear later: after its reads failed (the device silent; with a failure
// text of several hundred characters as well), after Apply with the device refusing every write, and
// during a run of its own (its progress line shown). The pictures go to build/screenshots/look/
// (scripts/screenshots copies them to a folder of your choice).
//
// Each area's look-check test includes this header and defines ksx::lookcheck::Dialogs(), one line per
// dialog; the tests below run every entry.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/StepRun.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/resource.h"
#include "tests/features/DialogTest.h"
#include "tests/support/ui/LookCheck.h"

namespace ksx::lookcheck {

using namespace ksx;
using namespace ksx::dialogtest;

// What a dialog needs open while it is checked (the table an editor works on), kept until it closes.
struct Opened {
    std::vector<std::shared_ptr<void>> keep;  // goes last, the latest first
    std::shared_ptr<CDialog> dlg;
    Opened() = default;
    Opened(std::shared_ptr<CDialog> d) : dlg(std::move(d)) {}
    Opened(Opened&&) = default;
    ~Opened() {
        dlg.reset();
        while (!keep.empty()) {
            keep.pop_back();
        }
    }
};

using Factory = std::function<Opened()>;

struct Entry {
    const char* name;  // picture file names
    int command;       // a menu command that opens the dialog (as the user does), or 0
    Factory open;      // else: the dialog, ready to be shown as the dialog that opens it does
    bool portGrid;     // laid out per port: checked on 28 and 52 ports
};

template <class D>
Factory Plain() {
    return [] { return Opened(std::make_shared<D>()); };
}

// A dialog the main window's menu opens (run through the menu's command).
template <class D>
Entry Menu(const char* name, int command, bool portGrid = false) {
    return {name, command, Plain<D>(), portGrid};
}
// A dialog another one opens.
inline Entry Child(const char* name, Factory open, bool portGrid = false) {
    return {name, 0, std::move(open), portGrid};
}

// A table dialog shown and read, for the dialogs it opens.
template <class T>
std::shared_ptr<T> ReadTable(const std::function<bool(T&)>& ready, std::vector<std::shared_ptr<void>>& keep) {
    auto table = std::make_shared<T>();
    auto drv = std::make_shared<DialogDriver>(*table);
    WaitUntil([&] { return ready(*table); }, 20000);
    keep.push_back(table);
    keep.push_back(drv);
    return table;
}

// The area's dialogs, one line each.
const std::vector<Entry>& Dialogs();

// What the dialog has been through when it is looked at.
enum class State {
    Read,          // its reads ended well
    FailedRead,    // its reads failed: the device answers nothing
    RefusedWrite,  // Apply pressed, the device refusing every write
    Running,       // a run of Apply (or Refresh) under way, its progress line shown
};

inline const char* Suffix(State state) {
    switch (state) {
        case State::FailedRead:
            return "_failed_read";
        case State::RefusedWrite:
            return "_refused_write";
        case State::Running:
            return "_running";
        case State::Read:
            break;
    }
    return "";
}

// The time-out of the failure states: short, so that a dialog of many reads fails fast.
inline constexpr const char* kFailTimeoutMs = "400";
// How long the device takes to answer while a run is looked at: the run is still going.
inline constexpr int kRunDelayMs = 1500;

// A push button of the dialog by its text ("&Apply" and "Apply " are "Apply"), shown and enabled.
inline QPushButton* ButtonNamed(QWidget* dlg, const QString& text) {
    for (QPushButton* b : dlg->findChildren<QPushButton*>()) {
        if (b->isVisible() && b->isEnabled() && b->text().remove('&').trimmed() == text) {
            return b;
        }
    }
    return nullptr;
}

// Presses a button; a dialog it opens over `dlg` is cancelled (the state looked at is `dlg`'s own).
inline void Press(QPushButton* button, QWidget* dlg) {
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [dlg] {
        auto* other = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (other != nullptr && other != dlg) {
            other->reject();
        }
    });
    guard.start(200);
    button->click();
}

// The device back to answering at once, whatever a state made of it.
struct DeviceRestored {
    test::SimSwitch& sim;
    ~DeviceRestored() {
        sim.Silence(false);
        sim.DelayMs(0);
    }
};

class LookCheck : public ::testing::TestWithParam<Entry> {
public:
    // One switch per port count, started once.
    static void SetUpTestSuite() {
        s_sim28 = new test::SimSwitch(test::SimSwitch::Options{"ksx-4200-28p", {}});
        s_sim52 = new test::SimSwitch(test::SimSwitch::Options{"ksx-4200-52", {}});
    }
    static void TearDownTestSuite() {
        delete s_sim28;
        delete s_sim52;
        s_sim28 = s_sim52 = nullptr;
    }

protected:
    void TearDown() override {
        g_nPortNum = 28;
        ResetConnectionSettings();
    }

    // Opens the entry on the switch of `ports` ports, brings it into `state`, checks it and saves its
    // picture.
    void Check(const Entry& e, int ports, double scale, State state = State::Read) {
        test::SimSwitch& sim = ports == 52 ? *s_sim52 : *s_sim28;
        test::UseSimV1(sim, state == State::FailedRead ? kFailTimeoutMs : "3000");
        if (state == State::RefusedWrite) {
            // The read community may not write: the device refuses every write with an error.
            g_strWriteCommunity = g_strReadCommunity;
        }
        DeviceRestored restored{sim};
        g_nPortNum = ports;
        sim.ClearLog();
        test::ScaledFont font(scale);
        const std::string label = std::string(e.name) + (e.portGrid ? "_" + std::to_string(ports) : "") +
                                  "_" +
                                  (scale > 1.5   ? "2x"
                                   : scale > 1.0 ? "1.5x"
                                                 : "1x") +
                                  Suffix(state);
        if (e.command != 0) {
            // As the menu does it: the launcher runs the dialog modally; it is looked at from its loop.
            ASSERT_TRUE(ui::FeatureRegistry::Instance().Has(e.command)) << label;
            bool seen = false;
            QTimer::singleShot(0, [&] {
                CDialog* dlg = nullptr;
                WaitUntil(
                    [&] {
                        return (dlg = dynamic_cast<CDialog*>(QApplication::activeModalWidget())) != nullptr;
                    },
                    5000);
                if (dlg != nullptr) {
                    seen = true;
                    Inspect(dlg, sim, label, state);
                    dlg->EndDialog(IDCANCEL);
                }
            });
            sim.Silence(state == State::FailedRead);
            ui::FeatureRegistry::Instance().Run(e.command);
            EXPECT_TRUE(seen) << label << ": the menu command opened no dialog";
            return;
        }
        // What the dialog needs open is read well; the dialog's own reads fail.
        Opened opened = e.open();
        ASSERT_NE(opened.dlg, nullptr) << label;
        sim.Silence(state == State::FailedRead);
        DialogDriver drv(*opened.dlg);
        Inspect(opened.dlg.get(), sim, label, state);
    }

    static void Inspect(CDialog* dlg, test::SimSwitch& sim, const std::string& label, State state) {
        // A failed read ends only after its time-out: quiet for longer than that.
        WaitQuiet(sim, state == State::FailedRead ? 700 : 300);
        if (state == State::RefusedWrite) {
            QPushButton* apply = ButtonNamed(dlg, "Apply");
            if (apply == nullptr) {
                return;  // nothing to write here
            }
            Press(apply, dlg);
            WaitQuiet(sim, 300);
        }
        if (state == State::Running && !StartRun(dlg, sim)) {
            return;  // no run of its own
        }
        Look(dlg, label);
        if (state == State::FailedRead) {
            LongFailures(dlg, label);
        }
        if (state == State::Running) {
            sim.DelayMs(0);
        }
    }

    // Checks the dialog as it is now and saves its picture.
    static void Look(CDialog* dlg, const std::string& label) {
        test::SettleLists(dlg);
        EXPECT_EQ(test::LookProblems(dlg), std::vector<std::string>{}) << label;
        const QString file = test::ScreenshotDir("look") + "/" + QString::fromStdString(label) + ".png";
        EXPECT_TRUE(test::GrabScreenshot(dlg, file.toStdString())) << label;
    }

    // Every failure line of the dialog telling a reason of several hundred characters: it wraps,
    // nothing is cut.
    static void LongFailures(CDialog* dlg, const std::string& label) {
        bool any = false;
        for (QLabel* line : dlg->findChildren<QLabel*>()) {
            if (line->isVisible() && line->text().contains("fail", Qt::CaseInsensitive)) {
                QString text = line->text();
                while (text.size() < 400) {
                    text += " The device gave no answer within the time-out, nor to the attempts after it.";
                }
                line->setText(text);
                any = true;
            }
        }
        if (any) {
            test::PumpEvents();
            Look(dlg, label + "_long");
        }
    }

    // Starts a run of the dialog's Apply (else Refresh) on a device that answers late, its progress
    // line shown at once. False when the dialog has no runs or neither button starts one.
    static bool StartRun(CDialog* dlg, test::SimSwitch& sim) {
        const std::vector<CStepRun*> runs = CStepRun::Of(*dlg);
        if (runs.empty()) {
            return false;
        }
        const auto shown = [&] {
            for (CStepRun* run : CStepRun::Of(*dlg)) {
                if (run->ProgressShown()) {
                    return true;
                }
            }
            return false;
        };
        sim.DelayMs(kRunDelayMs);
        CStepRun::ShowAtOnce(true);
        for (const char* name : {"Apply", "Refresh"}) {
            if (QPushButton* button = ButtonNamed(dlg, name)) {
                Press(button, dlg);
                test::PumpEvents();
                if (shown()) {
                    break;
                }
            }
        }
        CStepRun::ShowAtOnce(false);
        return shown();
    }

    // Until the switch has had no request for `stillMs` (the dialog's reads are over).
    static void WaitQuiet(test::SimSwitch& sim, int stillMs) {
        size_t seen = 0;
        QElapsedTimer still;
        still.start();
        WaitUntil(
            [&] {
                const size_t now = sim.Requests().size();
                if (now != seen) {
                    seen = now;
                    still.restart();
                }
                return still.elapsed() >= stillMs;
            },
            8000);
        test::PumpEvents();
    }

    test::ScriptedMessageBox boxes;
    static inline test::SimSwitch* s_sim28 = nullptr;
    static inline test::SimSwitch* s_sim52 = nullptr;
};

class LookCheckLarge : public LookCheck {};

TEST_P(LookCheck, NothingCutSqueezedOrOverlapping) {
    const Entry& e = GetParam();
    for (double scale : {1.0, 1.5}) {
        for (int ports : e.portGrid ? std::vector<int>{28, 52} : std::vector<int>{28}) {
            Check(e, ports, scale);
        }
    }
}

// The states whose lines appear later: each line has room of its own.
TEST_P(LookCheck, AfterAFailedReadARefusedWriteAndDuringARun) {
    const Entry& e = GetParam();
    for (State state : {State::FailedRead, State::RefusedWrite, State::Running}) {
        for (double scale : {1.0, 1.5}) {
            for (int ports : e.portGrid ? std::vector<int>{28, 52} : std::vector<int>{28}) {
                Check(e, ports, scale, state);
            }
        }
    }
}

// gtest prints a parameter by its name.
inline void PrintTo(const Entry& e, std::ostream* os) {
    *os << e.name;
}

INSTANTIATE_TEST_SUITE_P(EveryDialog, LookCheck, ::testing::ValuesIn(Dialogs()),
                         [](const ::testing::TestParamInfo<Entry>& info) {
                             return std::string(info.param.name);
                         });

// Bad input: the 52-port grids at twice the font stay on the screen (scrolling where they must) and
// cut nothing.
TEST_F(LookCheckLarge, PortGridsAtTwiceTheFontOn52Ports) {
    for (const Entry& e : Dialogs()) {
        if (e.portGrid) {
            Check(e, 52, 2.0);
        }
    }
}

}  // namespace ksx::lookcheck
