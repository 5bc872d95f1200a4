// The main window running modally with a feature dialog open above it: a second start brings the
// dialog to the front and leaves it taking input, and a termination request ends the open dialogs as
// their Cancel would before the main window closes the ordinary way.
#include <gtest/gtest.h>

#include <QApplication>
#include <QWindow>
#include <string>
#include <vector>

#include "app/ModalWindows.h"
#include "app/QuorviaModuleApp.h"
#include "app/QuorviaModuleDlg.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/MenuBar.h"
#include "res/resource.h"
#include "tests/app/ShellTestUtil.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::RunModal;
using test::WaitUntil;

// A feature dialog that records how it ended.
class Probe : public CDialog {
public:
    Probe(std::vector<std::string>& log, std::string name)
        : CDialog(1), m_log(log), m_name(std::move(name)) {}

protected:
    void OnCancel() override {
        m_log.push_back(m_name + " cancel");
        CDialog::OnCancel();
    }

private:
    std::vector<std::string>& m_log;
    std::string m_name;
};

class ModalWindows : public ::testing::Test {
protected:
    void SetUp() override {
        ResetConnectionSettings();
        g_strDeviceIP = "192.0.2.8";
        ini = std::make_unique<test::TempUserIni>(
            test::DeviceInfo("KSX-4200-28Z1", 28, test::PanelXml("28z1")));
        g_uModuleMessage = RegisterWindowMessage(InstanceName("KSX-4200-28Z1", g_strDeviceIP));
    }
    void TearDown() override {
        ui::FeatureRegistry::Instance().Register(IDM_STATIC_MAC, nullptr);
        g_uModuleMessage = 0;
        ResetConnectionSettings();
    }

    test::ScriptedMessageBox boxes;
    test::FastPolling pace;
    std::unique_ptr<test::TempUserIni> ini;
};

TEST_F(ModalWindows, SecondStartBringsTheOpenDialogForwardAndLeavesTheMainWindowAlone) {
    CQuorviaModuleDlg dlg;
    std::vector<std::string> log;
    struct Seen {
        bool mainMinimised = false;
        bool mainSameWindow = false;
        bool dialogNormal = false;
        bool dialogFound = false;
    } seen;
    ui::FeatureRegistry::Instance().Register(IDM_STATIC_MAC, [&] {
        Probe probe(log, "feature");
        RunModal(probe, [&] {
            probe.showMinimized();
            const QWindow* mainWindow = dlg.windowHandle();
            const bool topmost = dlg.IsTopmost();
            // Showing the main window again (or re-creating it for its topmost toggle) would make it
            // the newest modal window and leave the dialog deaf to input.
            dlg.SendMessage(g_uModuleMessage, 0, 0);
            test::PumpEvents();
            seen.mainMinimised = dlg.isMinimized() && dlg.IsTopmost() == topmost;
            seen.mainSameWindow = dlg.windowHandle() == mainWindow;
            seen.dialogNormal = probe.isVisible() && !probe.isMinimized();
            seen.dialogFound = ModalAbove(&dlg) == &probe;
            probe.reject();  // its Cancel still ends it
        });
    });
    const int result = RunModal(dlg, [&] {
        dlg.GetMenu()->Action(IDM_STATIC_MAC)->trigger();
        // Back from the feature: the raise reaches the main window itself again.
        EXPECT_EQ(ModalAbove(&dlg), nullptr);
        dlg.ShowWindow(SW_MINIMIZE);
        dlg.SendMessage(g_uModuleMessage, 0, 0);
        EXPECT_TRUE(WaitUntil([&] { return !dlg.isMinimized(); }, 20000));
        dlg.SendMessage(WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(seen.mainMinimised);
    EXPECT_TRUE(seen.mainSameWindow);
    EXPECT_TRUE(seen.dialogNormal);
    EXPECT_TRUE(seen.dialogFound);
    EXPECT_EQ(log, std::vector<std::string>{"feature cancel"});
}

TEST_F(ModalWindows, TerminationEndsOpenDialogsInnermostFirstThenClosesTheMainWindow) {
    CQuorviaModuleDlg dlg;
    std::vector<std::string> log;
    bool pollingWhileOpen = false;
    int featureResult = 0;
    int nestedResult = 0;
    ui::FeatureRegistry::Instance().Register(IDM_STATIC_MAC, [&] {
        Probe feature(log, "feature");
        featureResult = RunModal(feature, [&] {
            Probe nested(log, "nested");
            nestedResult = RunModal(nested, [&] {
                pollingWhileOpen = dlg.IsPolling();
                EndModalsThenClose(&dlg);
            });
        });
        log.push_back("feature returned");
    });
    const int result = RunModal(dlg, [&] { dlg.GetMenu()->Action(IDM_STATIC_MAC)->trigger(); });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(nestedResult, IDCANCEL);
    EXPECT_EQ(featureResult, IDCANCEL);
    EXPECT_EQ(log, (std::vector<std::string>{"nested cancel", "feature cancel", "feature returned"}));
    EXPECT_TRUE(pollingWhileOpen);
    EXPECT_FALSE(dlg.IsPolling());  // closed the ordinary way
    EXPECT_FALSE(dlg.isVisible());
}

TEST_F(ModalWindows, TerminationWithoutADialogClosesAtOnce) {
    CQuorviaModuleDlg dlg;
    const int result = RunModal(dlg, [&] {
        EXPECT_EQ(ModalAbove(&dlg), nullptr);
        EXPECT_FALSE(RaiseModalAbove(&dlg));
        EndModalsThenClose(&dlg);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_FALSE(dlg.IsPolling());
}

}  // namespace
