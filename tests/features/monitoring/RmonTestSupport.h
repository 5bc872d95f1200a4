// What the RMON dialog tests share: the suite's simulated switch, waiting for a dialog's read to end,
// clicking a row's Delete button as a user does, and the screenshots at two font sizes with the checks
// that nothing is cut, nothing overlaps and every Delete button sits on its cell.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QTest>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "features/monitoring/RmonTableDialog.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/LookCheck.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace ksx::test::rmon {

inline const std::string kP47 = "1.3.6.1.4.1.7393.10.76.20.1.47";
inline const std::string kStatistics = kP47 + ".2.1.1";
inline const std::string kHistory = kP47 + ".3.1.1";
inline const std::string kAlarm = kP47 + ".4.1.1";
inline const std::string kEvent = kP47 + ".5.1.1";

class RmonTest : public SharedSimTest {
protected:
    void TearDown() override {
        for (const auto& [oid, value] : std::exchange(m_errors, {})) {
            EXPECT_EQ(s_sim->Command("error " + oid + " 0" + (value.empty() ? "" : " " + value)), "OK");
        }
        SharedSimTest::TearDown();
    }
    // The switch answers requests touching `oid` with `status` for the rest of the test; given `value`,
    // only SETs writing that value, and a status "drop" leaves them unanswered.
    void FailOn(const std::string& oid, const std::string& status = "5", const std::string& value = {}) {
        EXPECT_EQ(s_sim->Command("error " + oid + " " + status + (value.empty() ? "" : " " + value)), "OK");
        m_errors.emplace_back(oid, value);
    }
    // The read (and any Apply waiting on one) has ended.
    static bool WaitIdle(CRmonTableDialog& dlg) {
        return WaitUntil([&] { return !dlg.Busy(); }, 10000);
    }
    // Clicks row `row`'s Delete button (a disabled one ignores the click); false when there is none.
    static bool ClickDelete(CRmonTableDialog& dlg, int row) {
        CButtonEx* button = dlg.List()->GetItemButton(row, dlg.ButtonColumn());
        if (button == nullptr || !button->isVisible()) {
            return false;
        }
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
        return true;
    }
    static std::vector<std::string> Row(CRmonTableDialog& dlg, int row) {
        std::vector<std::string> cells;
        for (int c = 0; c + 1 < dlg.List()->GetColumnCount(); ++c) {
            cells.push_back(dlg.List()->GetItemText(row, c).toStdString());
        }
        return cells;
    }
    // Requests since the last ClearLog as "pdu oid=type:value ..." lines.
    static std::vector<std::string> Log() { return RequestLines(s_sim->Requests()); }

    ScriptedMessageBox boxes;

private:
    std::vector<std::pair<std::string, std::string>> m_errors;
};

// Rows whose Delete button is missing, not on its cell, or (for a row in view) cut by the list's edge.
inline std::vector<int> ButtonsOffTheirCells(CRmonTableDialog& dlg) {
    std::vector<int> off;
    CReportCtrl* list = dlg.List();
    for (int row = 0; row < list->GetItemCount(); ++row) {
        CButtonEx* button = list->GetItemButton(row, dlg.ButtonColumn());
        const QRect cell = list->visualRect(list->model()->index(row, dlg.ButtonColumn()));
        const bool inView = cell.intersects(list->viewport()->rect());
        if (button == nullptr || button->geometry() != cell || button->text() != "Delete" ||
            (inView && !list->viewport()->rect().contains(cell))) {
            off.push_back(row);
        }
    }
    return off;
}

// At the default font and at a 1.5 times larger one: the dialog read, then made wider and taller; nothing
// cut or overlapping, every Delete button on its cell, a picture of each size in build/screenshots/rmon/.
inline void CheckScreens(const char* name, const std::function<std::unique_ptr<CRmonTableDialog>()>& make) {
    const QFont normal = QApplication::font();
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/rmon";
    QDir().mkpath(dir);
    for (double scale : {1.0, 1.5}) {
        QFont font = normal;
        font.setPointSizeF(normal.pointSizeF() * scale);
        QApplication::setFont(font);
        std::unique_ptr<CRmonTableDialog> dlg = make();
        DialogDriver drv(*dlg);
        ASSERT_TRUE(WaitUntil([&] { return !dlg->Busy(); }, 10000));
        PumpEvents();
        EXPECT_GT(dlg->List()->GetItemCount(), 0) << name;
        SettleLists(dlg.get());
        EXPECT_EQ(LookProblems(dlg.get()), std::vector<std::string>{}) << name << " at " << scale;
        EXPECT_EQ(ButtonsOffTheirCells(*dlg), std::vector<int>{}) << name << " at " << scale;
        const char* suffix = scale == 1.0 ? "1x" : "1.5x";
        EXPECT_TRUE(GrabScreenshot(dlg.get(), QString("%1/%2_%3.png").arg(dir, name, suffix).toStdString()));
        const int listWidth = dlg->List()->width();
        dlg->resize(dlg->width() + 240, dlg->height() + 120);
        EXPECT_TRUE(WaitUntil([&] { return dlg->List()->width() > listWidth; }, 20000)) << name;
        PumpEvents();
        EXPECT_EQ(ButtonsOffTheirCells(*dlg), std::vector<int>{}) << name << " resized at " << scale;
        EXPECT_TRUE(
            GrabScreenshot(dlg.get(), QString("%1/%2_%3_wide.png").arg(dir, name, suffix).toStdString()));
    }
    QApplication::setFont(normal);
}

}  // namespace ksx::test::rmon
