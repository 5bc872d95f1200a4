// Pictures of each control in a small dialog, for looking at: written to <build>/screenshots/controls.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <atomic>
#include <thread>

#include "controls/BtnEXT.h"
#include "controls/EditEXIPV6.h"
#include "controls/GradientProgressCtrl.h"
#include "controls/ListCtrlEx.h"
#include "controls/LxDialog.h"
#include "controls/ReportCtrl.h"
#include "controls/StepRun.h"
#include "platform/ui/Form.h"
#include "tests/controls/HostDialog.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/LookCheck.h"

namespace {

using ksx::test::DialogDriver;
using ksx::test::HostDialog;

std::string ShotPath(const char* name) {
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/controls";
    QDir().mkpath(dir);
    return (dir + "/" + name).toStdString();
}

void Save(QWidget* w, const char* name) {
    ksx::test::PumpEvents();
    const std::string path = ShotPath(name);
    ASSERT_TRUE(ksx::test::GrabScreenshot(w, path));
    const QImage image(QString::fromStdString(path));
    EXPECT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), w->size() * w->devicePixelRatio());
}

TEST(Screenshots, ReportList) {
    HostDialog dlg(520, 220);
    auto* list = new CReportCtrl;
    ASSERT_TRUE(list->Create(&dlg, 1, QRect(10, 10, 500, 200)));
    EXPECT_EQ(dlg.GetDlgItem(1), list);
    list->SetExtendedStyle(list->GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    const char* heads[] = {"Index", "Interval", "Variable", "Sample Type", "Owner", ""};
    const int widths[] = {50, 70, 150, 100, 60, 60};
    for (int c = 0; c < 6; ++c) {
        list->InsertColumn(c, heads[c], LVCFMT_LEFT, widths[c]);
    }
    for (int r = 0; r < 6; ++r) {
        list->InsertItem(r, QString::number(r + 1));
        list->SetItemNumber(r, 1, 30 * (r + 1));
        list->SetItemText(r, 2, QString("1.3.6.1.2.1.2.2.1.10.%1").arg(r + 1));
        list->SetItemText(r, 3, r % 2 ? "Delta value" : "Absolute value");
        list->SetItemText(r, 4, "monitor");
        list->SetItemButton(r, 5, {0, "Delete"});
    }
    list->SetItemBkColor(1, 2, QColor(255, 255, 160));
    list->SetItemTextColor(2, 3, QColor(200, 0, 0));
    DialogDriver driver(dlg);
    list->RefreshButtons();
    Save(&dlg, "report_list.png");
}

TEST(Screenshots, PortStripAndProgressBar) {
    HostDialog dlg(640, 200);
    auto* title = dlg.Add(1, new QLabel("Ports"), QRect(10, 8, 100, 16));
    (void)title;
    auto* bar = dlg.Add(2, new CGradientProgressCtrl, QRect(10, 150, 620, 24));
    bar->SetRange(0, 100);
    bar->SetPos(50);
    bar->ShowPercent(true);
    DialogDriver driver(dlg);
    CBtnEXT labels(28, 18, 4);
    labels.SetParentWnd(&dlg);
    labels.CalcSpacing(10, 630);
    ASSERT_TRUE(labels.Create(CBTNEXT_LABELS, 3000, 10, 10, 10, 28, 1));
    CBtnEXT boxes(28, 18, 4);
    boxes.SetParentWnd(&dlg);
    boxes.CalcSpacing(10, 630);
    ASSERT_TRUE(boxes.Create(BS_AUTOCHECKBOX, 3100, labels.GetStripRect().adjusted(0, 0, 1, 1), 1));
    for (int i = 0; i < 28; i += 3) {
        boxes.SetCheck(1, i);
    }
    boxes.EnablePort(false, 27);
    CBtnEXT wide(52, 18, 4);
    wide.SetParentWnd(&dlg);
    wide.CalcSpacing(10, 630);
    ASSERT_TRUE(wide.Create(BS_AUTOCHECKBOX, 3200, 10, 70, 10, 76, 1));
    Save(&dlg, "port_strip_and_progress.png");
    // The first ports four times larger, to see the label frames and check boxes.
    const QImage zoom = dlg.grab(QRect(0, 20, 160, 100)).toImage().scaled(640, 400);
    ASSERT_TRUE(zoom.save(QString::fromStdString(ShotPath("port_strip_zoom.png"))));
    Save(bar, "progress_bar.png");
}

TEST(Screenshots, PlainListAndAddressEdit) {
    HostDialog dlg(420, 200);
    auto* list = dlg.Add(1, new CListCtrlEx, QRect(10, 10, 400, 140));
    list->SetExtendedStyle(list->GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    list->InsertColumn("VID   ", 0);
    list->InsertColumn("VLAN Name       ", 1);
    list->InsertColumn("Member Ports              ", 2);
    for (int r = 0; r < 4; ++r) {
        list->SetItemTextEx(r, 0, QString::number(r * 10 + 1), -1);
        list->SetItemTextEx(r, 1, QString("vlan%1").arg(r * 10 + 1), -1);
        list->SetItemTextEx(r, 2, "1,2,3,4,5", -1);
    }
    auto* edit = dlg.Add(2, new CEditEXIPV6, QRect(10, 160, 250, 24));
    edit->setText("fe80::1%eth0");
    DialogDriver driver(dlg);
    Save(&dlg, "plain_list_and_edit.png");
}

// A dialog by layout whose lines appear after it shows: a failure line under a group and a run's
// progress line.
class LinesDialog : public ksx::CDialog {
public:
    LinesDialog() : CDialog(9001) {}
    CStepRun run{*this};

protected:
    void CreateControls() override {
        ksx::ui::Form form(*this);
        auto group = form.Group("Settings");
        group.Row({group.Check(1, "Enable"), ksx::ui::Form::Stretch});
        form.Note("", 2)->setWordWrap(true);
        form.Buttons({{3, "&Apply"}, {4, "&Close"}});
    }
};

// A run whose first step waits until the test lets it go.
void StartHeldRun(CStepRun& run, std::atomic<bool>& release) {
    CStepRun::ShowAtOnce(true);
    run.Start(
        2,
        [&release](int) {
            while (!release.load()) {
                std::this_thread::yield();
            }
            return ksx::StepOutcome::Done();
        },
        [](int i, int n) { return QString("Writing port %1 of %2...").arg(i + 1).arg(n); },
        [](const ksx::StepsEnd&) {});
    CStepRun::ShowAtOnce(false);
}

// Bad input: a failure text of several hundred characters wraps below the group and a progress line
// takes room of its own; the dialog grows, nothing is cut or squeezed.
TEST(Screenshots, LinesThatAppearGrowTheDialog) {
    LinesDialog dlg;
    DialogDriver driver(dlg);
    ksx::test::PumpEvents();
    QString text = "Reading the settings failed:";
    while (text.size() < 500) {
        text += " the device gave no answer within the time-out, nor to the attempts after it.";
    }
    dlg.SetDlgItemText(2, text.toStdString());
    std::atomic<bool> release{false};
    StartHeldRun(dlg.run, release);
    ksx::test::PumpEvents();
    EXPECT_TRUE(dlg.run.ProgressShown());
    EXPECT_EQ(ksx::test::LookProblems(&dlg), std::vector<std::string>{});
    Save(&dlg, "lines_long_failure_and_progress.png");
    release = true;
    ksx::test::WaitUntil([&] { return !dlg.run.Running(); }, 5000);
}

// Controls placed by position: the progress line goes below them, not over the bottom one.
TEST(Screenshots, ProgressLineBelowPlacedControls) {
    HostDialog dlg(300, 80);
    dlg.Add(1, new QLabel("Port"), QRect(10, 10, 100, 20));
    dlg.Add(2, new QLabel("Bottom line of the dialog"), QRect(10, 56, 280, 20));
    CStepRun run(dlg);
    DialogDriver driver(dlg);
    std::atomic<bool> release{false};
    StartHeldRun(run, release);
    ksx::test::PumpEvents();
    EXPECT_TRUE(run.ProgressShown());
    EXPECT_EQ(ksx::test::LookProblems(&dlg), std::vector<std::string>{});
    Save(&dlg, "progress_line_below_placed_controls.png");
    release = true;
    ksx::test::WaitUntil([&] { return !run.Running(); }, 5000);
}

}  // namespace
