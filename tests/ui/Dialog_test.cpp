// The dialog base: modal results, handlers by id and id range, control helpers, timers, menus,
// message boxes and window properties.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <string>
#include <thread>
#include <vector>

#include "platform/sys/MessageBox.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/MenuBar.h"
#include "platform/ui/QtMessageBox.h"
#include "platform/ui/WaitCursor.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using ksx::test::DialogDriver;
using ksx::test::RunModal;
using ksx::test::WaitUntil;

constexpr int IDC_NAME = 1001;
constexpr int IDC_APPLY = 1002;
constexpr int IDC_MODE = 1003;
constexpr int IDC_LABEL = 1004;
constexpr int IDC_GROUP = 1005;
constexpr int IDC_PORT1 = 1100;   // eight port check boxes
constexpr int IDC_RADIO1 = 1200;  // three radio buttons
constexpr int IDC_DEFAULT = 1300;

// A small dialog with OK/Cancel, an edit, a combo box, a label, a group box, port check boxes and
// radio buttons; it records the life-cycle steps it sees.
class SampleDlg : public CDialog {
public:
    explicit SampleDlg(bool withOkButton = true, QWidget* parent = nullptr)
        : CDialog(447, parent), m_withOk(withOkButton) {}

    std::vector<std::string> steps;
    std::vector<int> portClicks;
    int applyClicks = 0;
    int nameChanges = 0;
    int selChangeIndex = -1;
    bool refuseCancel = false;
    int endInInit = 0;
    bool widgetsAliveAtDestroy = false;

protected:
    void CreateControls() override {
        steps.push_back("create");
        auto* grid = new QGridLayout(Client());
        grid->addWidget(RegisterControl(IDC_LABEL, new QLabel("Name")), 0, 0);
        grid->addWidget(RegisterControl(IDC_NAME, new QLineEdit), 0, 1);
        auto* mode = RegisterControl(IDC_MODE, new QComboBox);
        mode->addItems({"Disable", "Enable"});
        grid->addWidget(mode, 1, 1);
        grid->addWidget(RegisterControl(IDC_GROUP, new QGroupBox("Ports")), 2, 0);
        for (int i = 0; i < 8; ++i) {
            grid->addWidget(RegisterControl(IDC_PORT1 + i, new QCheckBox(QString::number(i + 1))), 3, i);
        }
        for (int i = 0; i < 3; ++i) {
            grid->addWidget(RegisterControl(IDC_RADIO1 + i, new QRadioButton(QString::number(i))), 4, i);
        }
        grid->addWidget(RegisterControl(IDC_APPLY, new QPushButton("Apply")), 5, 0);
        if (m_withOk) {
            grid->addWidget(RegisterControl(IDOK, new QPushButton("OK")), 5, 1);
            grid->addWidget(RegisterControl(IDCANCEL, new QPushButton("Cancel")), 5, 2);
        }
        OnCommand(IDC_APPLY, [this] { ++applyClicks; });
        OnCommandRange(IDC_PORT1, IDC_PORT1 + 7, [this](int id) { portClicks.push_back(id - IDC_PORT1); });
        OnNotify(EN_CHANGE, IDC_NAME, [this] { ++nameChanges; });
        OnNotify(CBN_SELCHANGE, IDC_MODE, [this](LPARAM index) { selChangeIndex = static_cast<int>(index); });
    }
    int OnInitDialog() override {
        steps.push_back(isVisible() ? "init-visible" : "init");
        SetWindowText("Sample");
        if (endInInit != 0) {
            EndDialog(endInInit);
        }
        return 1;
    }
    void OnCancel() override {
        steps.push_back("cancel");
        if (!refuseCancel) {
            CDialog::OnCancel();
        }
    }
    void OnOK() override {
        steps.push_back("ok");
        CDialog::OnOK();
    }
    int DestroyWindow() override {
        steps.push_back("destroy");
        widgetsAliveAtDestroy = GetDlgItem(IDC_NAME) != nullptr;
        return CDialog::DestroyWindow();
    }

private:
    bool m_withOk;
};

TEST(DialogModal, ResultsOfOkCancelEscAndCloseBox) {
    {
        SampleDlg dlg;
        const int rc = RunModal(dlg, [&] { QTest::mouseClick(dlg.GetDlgItem(IDOK), Qt::LeftButton); });
        EXPECT_EQ(rc, IDOK);
        EXPECT_EQ(dlg.steps, (std::vector<std::string>{"create", "init", "ok", "destroy"}));
        EXPECT_TRUE(dlg.widgetsAliveAtDestroy);
        EXPECT_FALSE(dlg.isVisible());
    }
    {
        SampleDlg dlg;
        EXPECT_EQ(RunModal(dlg, [&] { QTest::mouseClick(dlg.GetDlgItem(IDCANCEL), Qt::LeftButton); }),
                  IDCANCEL);
        EXPECT_EQ(dlg.steps, (std::vector<std::string>{"create", "init", "cancel", "destroy"}));
    }
    {
        SampleDlg dlg;
        EXPECT_EQ(RunModal(dlg, [&] { QTest::keyClick(&dlg, Qt::Key_Escape); }), IDCANCEL);
        EXPECT_EQ(dlg.steps.at(2), "cancel");
    }
    {
        SampleDlg dlg;
        EXPECT_EQ(RunModal(dlg, [&] { dlg.close(); }), IDCANCEL);
        EXPECT_EQ(dlg.steps.at(2), "cancel");
    }
    {
        // Enter in an edit with no default button and no OK button sends IDOK.
        SampleDlg dlg(false);
        EXPECT_EQ(RunModal(dlg,
                           [&] {
                               dlg.GetDlgItem(IDC_NAME)->setFocus();
                               QTest::keyClick(dlg.GetDlgItem(IDC_NAME), Qt::Key_Return);
                           }),
                  IDOK);
    }
}

TEST(DialogModal, DialogsHaveACloseBoxOnly) {
    SampleDlg dlg;
    const Qt::WindowFlags flags = dlg.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowTitleHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowContextHelpButtonHint);
}

TEST(DialogModal, EndDialogCodesAndRefusedCancel) {
    {
        SampleDlg dlg;
        dlg.OnMessage(WM_USER + 1, [&](WPARAM w, LPARAM) -> LRESULT {
            dlg.EndDialog(static_cast<int>(w));
            return 0;
        });
        EXPECT_EQ(RunModal(dlg, [&] { dlg.PostMessage(WM_USER + 1, 42, 0); }), 42);
    }
    {
        // Ended during initialisation: no loop runs, the window never shows.
        SampleDlg dlg;
        dlg.endInInit = 7;
        EXPECT_EQ(dlg.DoModal(), 7);
        EXPECT_EQ(dlg.steps, (std::vector<std::string>{"create", "init", "destroy"}));
    }
    {
        // A dialog that refuses OnCancel stays up through Esc and the close box.
        SampleDlg dlg;
        dlg.refuseCancel = true;
        const int rc = RunModal(dlg, [&] {
            QTest::keyClick(&dlg, Qt::Key_Escape);
            dlg.close();
            EXPECT_TRUE(dlg.isVisible());
            EXPECT_FALSE(dlg.IsDialogEnded());
            dlg.EndDialog(IDOK);
        });
        EXPECT_EQ(rc, IDOK);
        EXPECT_EQ(dlg.steps, (std::vector<std::string>{"create", "init", "cancel", "cancel", "destroy"}));
    }
    {
        // A second DoModal builds no second set of controls and runs OnInitDialog again.
        SampleDlg dlg;
        EXPECT_EQ(RunModal(dlg, [&] { dlg.EndDialog(IDOK); }), IDOK);
        EXPECT_EQ(RunModal(dlg, [&] { dlg.EndDialog(IDCANCEL); }), IDCANCEL);
        EXPECT_EQ(dlg.steps, (std::vector<std::string>{"create", "init", "destroy", "init", "destroy"}));
        EXPECT_EQ(dlg.findChildren<QLineEdit*>().size(), 1);
    }
}

TEST(DialogModal, MainWindowHidesAndRestacksWhileAFeatureDialogRuns) {
    // The main window's command sequence: hide, run the feature dialog modally, show, topmost on and
    // off. None of it may end the main window's own modal loop.
    SampleDlg mainDlg;
    int featureResult = 0;
    bool hiddenDuringFeature = false;
    bool stillRunning = false;
    const int rc = RunModal(mainDlg, [&] {
        mainDlg.OnCommand(IDC_APPLY, [&] {
            mainDlg.ShowWindow(SW_HIDE);
            SampleDlg feature(true, &mainDlg);
            featureResult = RunModal(feature, [&] {
                hiddenDuringFeature = !mainDlg.isVisible();
                QTest::mouseClick(feature.GetDlgItem(IDOK), Qt::LeftButton);
            });
            mainDlg.ShowWindow(SW_SHOWNORMAL);
            mainDlg.SetTopmost(true);
            mainDlg.SetTopmost(false);
        });
        QTest::mouseClick(mainDlg.GetDlgItem(IDC_APPLY), Qt::LeftButton);
        ksx::test::PumpEvents();
        stillRunning = mainDlg.isVisible() && !mainDlg.IsDialogEnded();
        QTest::mouseClick(mainDlg.GetDlgItem(IDCANCEL), Qt::LeftButton);
    });
    EXPECT_EQ(featureResult, IDOK);
    EXPECT_TRUE(hiddenDuringFeature);
    EXPECT_TRUE(stillRunning);
    EXPECT_EQ(rc, IDCANCEL);
    EXPECT_EQ(mainDlg.steps, (std::vector<std::string>{"create", "init", "cancel", "destroy"}));
    // QDialog's own ending maps onto EndDialog.
    SampleDlg other;
    EXPECT_EQ(RunModal(other, [&] { other.done(9); }), 9);
}

TEST(DialogDriverRun, EnterPressesDefaultButtonAndDriverReadsResult) {
    SampleDlg dlg;
    DialogDriver drv(dlg);
    auto* def = dlg.RegisterControl(IDC_DEFAULT, new QPushButton("Default", dlg.Client()));
    def->show();
    dlg.SetDefID(IDC_DEFAULT);
    int defaultClicks = 0;
    dlg.OnCommand(IDC_DEFAULT, [&] { ++defaultClicks; });
    drv.Item(IDC_MODE)->setFocus();
    drv.PressEnter();
    EXPECT_EQ(defaultClicks, 1);
    EXPECT_FALSE(drv.Ended());
    // A disabled default button takes no Enter and nothing else does either.
    def->setEnabled(false);
    drv.PressEnter();
    EXPECT_EQ(defaultClicks, 1);
    EXPECT_FALSE(drv.Ended());
    drv.PressEscape();
    ASSERT_TRUE(drv.WaitEnded());
    EXPECT_EQ(drv.Result(), IDCANCEL);
    EXPECT_EQ(dlg.steps.back(), "destroy");
}

TEST(DialogControls, HandlersByIdAndRange) {
    SampleDlg dlg;
    DialogDriver drv(dlg);
    EXPECT_EQ(dlg.GetWindowText(), "Sample");
    EXPECT_EQ(CDialog::GetDlgCtrlID(dlg.GetDlgItem(IDC_PORT1 + 3)), IDC_PORT1 + 3);
    EXPECT_EQ(dlg.GetDlgItem(IDC_PORT1 + 3)->property("ksxId").toInt(), IDC_PORT1 + 3);
    EXPECT_EQ(CDialog::FromWidget(dlg.GetDlgItem(IDC_NAME)), &dlg);

    drv.Click(IDC_APPLY);
    drv.Click(IDC_APPLY);
    EXPECT_EQ(dlg.applyClicks, 2);

    EXPECT_TRUE(drv.Check(IDC_PORT1 + 2));
    EXPECT_TRUE(drv.Check(IDC_PORT1 + 7));
    EXPECT_TRUE(drv.Check(IDC_PORT1 + 2, false));
    EXPECT_EQ(dlg.portClicks, (std::vector<int>{2, 7, 2}));
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_PORT1 + 7), 1);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_PORT1 + 2), 0);

    // A disabled control takes no click; a hidden one is still found by id.
    dlg.EnableDlgItem(IDC_APPLY, false);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_APPLY));
    drv.Click(IDC_APPLY);
    EXPECT_EQ(dlg.applyClicks, 2);
    dlg.ShowDlgItem(IDC_LABEL, false);
    EXPECT_FALSE(dlg.GetDlgItem(IDC_LABEL)->isVisible());

    drv.Type(IDC_NAME, "port 7");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_NAME), "port 7");
    EXPECT_EQ(dlg.nameChanges, 6);

    drv.Select(IDC_MODE, 1);
    EXPECT_EQ(dlg.selChangeIndex, 1);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_MODE), "Enable");

    // Commands sent as window messages reach the same handlers.
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_PORT1 + 5, BN_CLICKED), 0);
    EXPECT_EQ(dlg.portClicks.back(), 5);
    EXPECT_FALSE(dlg.DispatchCommand(9999));
    EXPECT_FALSE(drv.Ended());
}

TEST(DialogControls, TextCheckAndRadioHelpers) {
    SampleDlg dlg;
    DialogDriver drv(dlg);
    dlg.SetDlgItemText(IDC_LABEL, "  odd  spacing ");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_LABEL), "  odd  spacing ");
    dlg.SetDlgItemText(IDC_GROUP, "Ports \xC3\xA9");
    EXPECT_EQ(drv.ItemAs<QGroupBox>(IDC_GROUP)->title(), QString::fromUtf8("Ports \xC3\xA9"));
    dlg.SetDlgItemInt(IDC_NAME, -17);
    bool ok = false;
    EXPECT_EQ(dlg.GetDlgItemInt(IDC_NAME, &ok), -17);
    EXPECT_TRUE(ok);
    dlg.SetDlgItemText(IDC_NAME, "x1");
    EXPECT_EQ(dlg.GetDlgItemInt(IDC_NAME, &ok), 0);
    EXPECT_FALSE(ok);
    dlg.SetDlgItemText(IDC_MODE, "Enable");
    EXPECT_EQ(drv.ItemAs<QComboBox>(IDC_MODE)->currentIndex(), 1);

    dlg.CheckDlgButton(IDC_PORT1, 1);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_PORT1), 1);
    dlg.CheckDlgButton(IDC_PORT1, 2);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_PORT1), 2);
    EXPECT_TRUE(dlg.portClicks.empty());  // setting a state is not a click

    dlg.CheckRadioButton(IDC_RADIO1, IDC_RADIO1 + 2, IDC_RADIO1 + 1);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_RADIO1), 0);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_RADIO1 + 1), 1);
    dlg.CheckRadioButton(IDC_RADIO1, IDC_RADIO1 + 2, IDC_RADIO1 + 2);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_RADIO1 + 1), 0);
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_RADIO1 + 2), 1);

    // A control registered again under another id reports once, under the new id only.
    QWidget* port8 = dlg.GetDlgItem(IDC_PORT1 + 7);
    dlg.RegisterControl(IDC_PORT1 + 6, port8);
    EXPECT_EQ(dlg.GetDlgItem(IDC_PORT1 + 7), nullptr);
    drv.Click(IDC_PORT1 + 6);
    EXPECT_EQ(dlg.portClicks, (std::vector<int>{6}));

    // A control deleted by its owner is no longer found.
    delete dlg.GetDlgItem(IDC_LABEL);
    EXPECT_EQ(dlg.GetDlgItem(IDC_LABEL), nullptr);
}

// A dialog counting its timers and the thread they fire on.
class TimerDlg : public CDialog {
public:
    TimerDlg() : CDialog(100) {}
    std::vector<unsigned> fired;
    bool offThread = false;

protected:
    void OnTimer(unsigned id) override {
        fired.push_back(id);
        if (std::this_thread::get_id() != uiThread) {
            offThread = true;
        }
        if (id == 2 && std::count(fired.begin(), fired.end(), 2u) == 3) {
            KillTimer(2);
        }
    }
    std::thread::id uiThread = std::this_thread::get_id();
};

TEST(DialogTimers, FireOnUiThreadUntilKilledAndStopAtDestroy) {
    TimerDlg dlg;
    DialogDriver drv(dlg);
    EXPECT_EQ(dlg.SetTimer(1, 5), 1u);
    EXPECT_EQ(dlg.SetTimer(2, 1), 2u);
    ASSERT_TRUE(WaitUntil([&] { return std::count(dlg.fired.begin(), dlg.fired.end(), 1u) >= 4; }));
    EXPECT_EQ(std::count(dlg.fired.begin(), dlg.fired.end(), 2u), 3);  // killed from its own OnTimer
    EXPECT_FALSE(dlg.offThread);
    EXPECT_FALSE(dlg.KillTimer(2));
    // Setting a running timer again restarts it under the same id.
    EXPECT_EQ(dlg.SetTimer(1, 1), 1u);
    const std::size_t before = dlg.fired.size();
    ASSERT_TRUE(WaitUntil([&] { return dlg.fired.size() >= before + 3; }));
    dlg.EndDialog(IDOK);
    ASSERT_TRUE(drv.WaitEnded());
    const std::size_t atEnd = dlg.fired.size();
    // No timer of an ended dialog fires again: a timer of the test itself marks the time passing.
    QTimer probe;
    int probeTicks = 0;
    QObject::connect(&probe, &QTimer::timeout, [&] { ++probeTicks; });
    probe.start(2);
    ASSERT_TRUE(WaitUntil([&] { return probeTicks >= 10; }));
    EXPECT_EQ(dlg.fired.size(), atEnd);
}

TEST(DialogWindow, CaptionTopmostIconShowAndScreenshot) {
    SampleDlg dlg;
    DialogDriver drv(dlg);
    dlg.SetWindowText("KSX-4200: 10.0.0.1");
    EXPECT_EQ(dlg.windowTitle(), "KSX-4200: 10.0.0.1");
    dlg.SetTopmost(true);
    EXPECT_TRUE(dlg.IsTopmost());
    EXPECT_TRUE(dlg.isVisible());
    dlg.SetTopmost(false);
    EXPECT_FALSE(dlg.IsTopmost());
    EXPECT_TRUE(dlg.isVisible());
    QPixmap px(16, 16);
    px.fill(Qt::red);
    dlg.SetIcon(QIcon(px));
    EXPECT_FALSE(dlg.windowIcon().isNull());

    dlg.ShowWindow(SW_HIDE);
    EXPECT_FALSE(dlg.isVisible());
    dlg.ShowWindow(SW_SHOWNORMAL);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_FALSE(drv.Ended());

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath("dlg.png").toStdString();
    ASSERT_TRUE(ksx::test::GrabScreenshot(&dlg, path));
    QImage img(QString::fromStdString(path));
    EXPECT_FALSE(img.isNull());
    EXPECT_GT(img.width(), 0);
}

TEST(DialogMenu, TableBuildsNestedPopupsAndTailors) {
    const MenuTable table = {
        {{"Device Manager   ", "System"}, 32774, "Port Configuration"},
        {{"Device Manager   ", "L2 Function"}, 32817, "Jumbo Frame Configuration"},
        {{"Device Manager   ", "L2 Function", "LLDP"}, 32825, "&LLDP Global Setting"},
        {{"Device Manager   ", "PoE"}, 32852, "PoE Port Setting"},
        {{"Tools   "}, 32786, "Save Configuration"},
        {{"Tools   "}, kMenuSeparator, ""},
        {{"Tools   "}, 32787, "Reboot"},
        {{"About   "}, 57664, "About"},
    };
    SampleDlg dlg;
    CMenuBar* menu = dlg.SetMenu(table);
    DialogDriver drv(dlg);
    std::vector<unsigned> commands;
    for (unsigned id : {32774u, 32825u, 32787u, 57664u}) {
        dlg.OnCommand(static_cast<int>(id), [&commands, id] { commands.push_back(id); });
    }
    QMenuBar* bar = menu->Bar();
    ASSERT_EQ(bar->actions().size(), 3);
    EXPECT_EQ(bar->actions()[0]->text(), "Device Manager   ");
    QMenu* dm = menu->Popup({"Device Manager   "});
    ASSERT_NE(dm, nullptr);
    ASSERT_EQ(dm->actions().size(), 3);  // System, L2 Function, PoE
    EXPECT_EQ(menu->Popup({"Tools   "})->actions().size(), 3);
    EXPECT_TRUE(menu->Popup({"Tools   "})->actions()[1]->isSeparator());
    ASSERT_NE(menu->Action(32825), nullptr);
    EXPECT_EQ(menu->Action(32825)->text(), "&LLDP Global Setting");

    drv.Menu(32825);
    drv.Menu(32787);
    EXPECT_EQ(commands, (std::vector<unsigned>{32825, 32787}));

    // Tailoring: a nested command goes, a missing one is ignored, a popup goes by position.
    EXPECT_TRUE(menu->RemoveCommand(32817));
    EXPECT_EQ(menu->Action(32817), nullptr);
    EXPECT_FALSE(menu->RemoveCommand(32817));
    EXPECT_TRUE(menu->RemoveAt({"Device Manager   "}, 2));
    EXPECT_EQ(menu->Action(32852), nullptr);
    EXPECT_EQ(dm->actions().size(), 2);
    EXPECT_FALSE(menu->RemoveAt({"Device Manager   "}, 5));
    EXPECT_TRUE(menu->ReplaceAt({"About   "}, 0, 57664, "About KSX-4200-28Z1"));
    EXPECT_EQ(menu->Action(57664)->text(), "About KSX-4200-28Z1");
    EXPECT_EQ(menu->Popup({"About   "})->actions().size(), 1);
    drv.Menu(57664);
    EXPECT_EQ(commands.back(), 57664u);
    EXPECT_TRUE(menu->EnableCommand(32774, false));
    EXPECT_FALSE(drv.Menu(32774));
    EXPECT_EQ(commands.size(), 3u);
}

TEST(MessageBoxes, ScriptRecordsTextsAndGivesAnswers) {
    ksx::test::ScriptedMessageBox boxes;
    boxes.Answer(IDCANCEL);
    boxes.Answer(IDNO);
    EXPECT_EQ(AfxMessageBox("Do you want to save the configuration?",
                            MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2),
              IDCANCEL);
    EXPECT_EQ(MessageBox("Really?", "Caption", MB_YESNO), IDNO);
    EXPECT_EQ(MessageBox("           Success!           ", "", MB_OK), IDOK);  // default answers
    EXPECT_EQ(MessageBox("Go on?", "", MB_YESNOCANCEL), IDYES);
    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].text, "Do you want to save the configuration?");
    EXPECT_EQ(shown[0].flags, MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2);
    EXPECT_EQ(shown[1].caption, "Caption");
    EXPECT_EQ(shown[2].text, "           Success!           ");
    EXPECT_EQ(shown[3].answer, IDYES);
}

// Answers the next Qt message box that shows by clicking the button with this role, and records what
// it showed.
struct BoxAnswerer {
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString defaultText;
    int buttons = 0;
    int width = 0;
    bool onUiThread = false;

    void Arm(QMessageBox::StandardButton press) {
        QTimer::singleShot(0, qApp, [this, press] { Poll(press); });
    }
    void Poll(QMessageBox::StandardButton press) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (box != nullptr && box->isVisible()) {
                text = box->text();
                title = box->windowTitle();
                icon = box->icon();
                buttons = static_cast<int>(box->buttons().size());
                width = box->width();
                defaultText = box->defaultButton() != nullptr ? box->defaultButton()->text() : QString();
                onUiThread = box->thread() == qApp->thread();
                if (press == QMessageBox::NoButton) {
                    QTest::keyClick(box, Qt::Key_Return);  // the default button
                } else if (press == QMessageBox::Escape) {
                    QTest::keyClick(box, Qt::Key_Escape);
                } else {
                    box->button(press)->click();
                }
                return;
            }
        }
        QTimer::singleShot(1, qApp, [this, press] { Poll(press); });
    }
};

TEST(MessageBoxes, QtServiceMapsFlagsAndAnswers) {
    ui::QtMessageBoxService service;
    {
        BoxAnswerer a;
        a.Arm(QMessageBox::NoButton);  // Enter: Cancel is the default
        EXPECT_EQ(service.Show("Do you want to reboot the device?", "Cap",
                               MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2),
                  IDCANCEL);
        EXPECT_EQ(a.text, "Do you want to reboot the device?");
        EXPECT_EQ(a.title, "Cap");
        EXPECT_EQ(a.icon, QMessageBox::Question);
        EXPECT_EQ(a.buttons, 2);
    }
    {
        BoxAnswerer a;
        a.Arm(QMessageBox::NoButton);
        EXPECT_EQ(service.Show("<b>x</b> & y", "", MB_OKCANCEL), IDOK);
        EXPECT_EQ(a.text, "<b>x</b> & y");
    }
    {
        BoxAnswerer a;
        a.Arm(QMessageBox::No);
        EXPECT_EQ(service.Show("q", "", MB_YESNO | MB_ICONWARNING), IDNO);
        EXPECT_EQ(a.icon, QMessageBox::Warning);
    }
    {
        BoxAnswerer a;
        a.Arm(QMessageBox::Escape);
        EXPECT_EQ(service.Show("q", "", MB_YESNOCANCEL | MB_ICONERROR), IDCANCEL);
        EXPECT_EQ(a.icon, QMessageBox::Critical);
        EXPECT_EQ(a.buttons, 3);
    }
    {
        BoxAnswerer a;
        a.Arm(QMessageBox::NoButton);
        EXPECT_EQ(service.Show("Read User.ini Error !", "", MB_OK), IDOK);
        EXPECT_EQ(a.icon, QMessageBox::NoIcon);
    }
    {
        // A short text under a long title: the box is as wide as the title needs, not the text.
        BoxAnswerer a;
        a.Arm(QMessageBox::NoButton);
        const QString title =
            "KSX-4200-28P Management Module: Port Description and Bandwidth 192.168.100.200";
        service.Show("OK", title.toStdString(), MB_OK);
        // Room for the title and, beside it, the window icon and its three title-bar buttons.
        const int buttons = 4 * QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
        EXPECT_GE(a.width, QFontMetrics(QApplication::font()).horizontalAdvance(title) + buttons);
    }
    EXPECT_EQ(ui::QtMessageBoxService::NegativeAnswer(MB_YESNO), IDNO);
    EXPECT_EQ(ui::QtMessageBoxService::NegativeAnswer(MB_OK), IDOK);
    EXPECT_EQ(ui::QtMessageBoxService::NegativeAnswer(MB_OKCANCEL | MB_ICONQUESTION), IDCANCEL);
}

TEST(WaitCursor, SetForItsLifetime) {
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    {
        CWaitCursor wait;
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        wait.Restore();
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// Read-only edits sit on the face colour, as such fields do; editable ones on the base colour. The
// look follows the edit's state, whenever it changes.
TEST(DialogWindow, ReadOnlyEditsLookReadOnly) {
    CDialog dlg(9200);
    auto* grid = new QGridLayout(dlg.Client());
    auto* edit = dlg.RegisterControl(1, new QLineEdit);
    auto* early = new QLineEdit;
    early->setReadOnly(true);  // read-only before it was registered
    grid->addWidget(edit, 0, 0);
    grid->addWidget(dlg.RegisterControl(2, early), 1, 0);
    DialogDriver drv(dlg);
    const QColor base = QApplication::palette().color(QPalette::Base);
    const QColor face = QApplication::palette().color(QPalette::Window);
    ASSERT_NE(base, face);
    EXPECT_EQ(edit->palette().color(QPalette::Base), base);
    EXPECT_EQ(early->palette().color(QPalette::Base), face);
    edit->setReadOnly(true);
    EXPECT_EQ(edit->palette().color(QPalette::Base), face);
    edit->setReadOnly(false);
    EXPECT_EQ(edit->palette().color(QPalette::Base), base);
}

// A dialog whose contents need more than the screen fits the screen and scrolls them; one that fits
// gets no scrolling.
TEST(DialogWindow, LargerThanTheScreenScrollsInsteadOfGrowing) {
    const QSize screen = QApplication::primaryScreen()->availableGeometry().size();
    CDialog small(9201);
    small.SetClientSize(300, 200);
    DialogDriver smallDrv(small);
    EXPECT_EQ(small.ClientScroll(), nullptr);

    CDialog big(9202);
    auto* grid = new QGridLayout(big.Client());
    auto* wide = new QLabel("wide");
    wide->setMinimumSize(screen.width() * 2, screen.height() + 100);
    grid->addWidget(big.RegisterControl(1, new QPushButton("OK")), 0, 0);
    grid->addWidget(wide, 1, 0);
    DialogDriver bigDrv(big);
    ASSERT_NE(big.ClientScroll(), nullptr);
    EXPECT_LE(big.width(), screen.width());
    EXPECT_LE(big.height(), screen.height());
    EXPECT_EQ(big.ClientScroll()->widget(), big.Client());
    // Controls are still found and worked by id inside the scrolling area.
    EXPECT_NE(big.GetDlgItem(1), nullptr);
    EXPECT_TRUE(bigDrv.Click(1));
    EXPECT_TRUE(bigDrv.WaitEnded());
    EXPECT_EQ(bigDrv.Result(), IDOK);
}

}  // namespace
