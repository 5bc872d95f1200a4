// The look check of feature dialogs: each dialog at the default font and at a 1.5 times larger one, on
// the 28-port and the 52-port models where it has a port grid. Nothing may be cut, squeezed or
// overlapping, no list heading or cell cut where its column could grow, no read-only edit that looks
// editable, no dialog larger than the screen. The pictures go to build/screenshots/look/
// (scripts/screenshots copies them to a folder of your choice).
//
// Each area's look-check test includes this header and defines ksx::lookcheck::Dialogs(), one line per
// dialog; the tests below run every entry.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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

    // Opens the entry on the switch of `ports` ports, waits until its reads are over, checks it and
    // saves its picture.
    void Check(const Entry& e, int ports, double scale) {
        test::SimSwitch& sim = ports == 52 ? *s_sim52 : *s_sim28;
        test::UseSimV1(sim, "3000");
        g_nPortNum = ports;
        sim.ClearLog();
        test::ScaledFont font(scale);
        const std::string label = std::string(e.name) + (e.portGrid ? "_" + std::to_string(ports) : "") +
                                  "_" +
                                  (scale > 1.5   ? "2x"
                                   : scale > 1.0 ? "1.5x"
                                                 : "1x");
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
                    Inspect(dlg, sim, label);
                    dlg->EndDialog(IDCANCEL);
                }
            });
            ui::FeatureRegistry::Instance().Run(e.command);
            EXPECT_TRUE(seen) << label << ": the menu command opened no dialog";
            return;
        }
        Opened opened = e.open();
        ASSERT_NE(opened.dlg, nullptr) << label;
        DialogDriver drv(*opened.dlg);
        Inspect(opened.dlg.get(), sim, label);
    }

    static void Inspect(CDialog* dlg, test::SimSwitch& sim, const std::string& label) {
        WaitQuiet(sim);
        test::SettleLists(dlg);
        EXPECT_EQ(test::LookProblems(dlg), std::vector<std::string>{}) << label;
        const QString file = test::ScreenshotDir("look") + "/" + QString::fromStdString(label) + ".png";
        EXPECT_TRUE(test::GrabScreenshot(dlg, file.toStdString())) << label;
    }

    // Until the switch has had no request for a while (the dialog's reads are over).
    static void WaitQuiet(test::SimSwitch& sim) {
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
                return still.elapsed() >= 300;
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
