// Pictures of the PoE, power and transfer dialogs for looking at, at the default font and at one and a half times
// its size (written to <build>/screenshots/port_system). Every dialog must show each of its controls
// whole: no control is cut by the window or squeezed below the size its text needs.
#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QImage>
#include <functional>
#include <memory>
#include <string>

#include "controls/ListCtrlEx.h"
#include "features/port_system/FirmDownLoad.h"
#include "features/port_system/POEConfigDlg.h"
#include "features/port_system/POEGlobal.h"
#include "features/port_system/PowerSaveDlg.h"
#include "features/port_system/TimeProfileInfo.h"
#include "res/ids_power.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;

std::string ShotPath(const std::string& name) {
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/port_system";
    QDir().mkpath(dir);
    return (dir + "/" + QString::fromStdString(name)).toStdString();
}

bool InsideScrollArea(QWidget* w, QWidget* top) {
    for (QWidget* p = w->parentWidget(); p != nullptr && p != top; p = p->parentWidget()) {
        if (qobject_cast<QAbstractScrollArea*>(p) != nullptr) {
            return true;
        }
    }
    return false;
}

// Every visible control lies inside the dialog and is at least as large as its own minimum.
void ExpectNothingClipped(QWidget* dlg, const std::string& name) {
    const QRect inside = dlg->rect();
    for (QWidget* w : dlg->findChildren<QWidget*>()) {
        if (!w->isVisible() || w->isWindow() || InsideScrollArea(w, dlg)) {
            continue;  // a list's own parts are sized by the list
        }
        const QRect r(w->mapTo(dlg, QPoint(0, 0)), w->size());
        EXPECT_TRUE(inside.contains(r)) << name << ": " << w->metaObject()->className() << " outside";
        const QSize need = w->minimumSizeHint();
        if (need.isValid()) {
            EXPECT_GE(w->width(), need.width()) << name << ": " << w->metaObject()->className() << " narrow";
            EXPECT_GE(w->height(), need.height()) << name << ": " << w->metaObject()->className() << " low";
        }
    }
}

class PowerDialogsScreens : public test::SimTest {
protected:
    PowerDialogsScreens() : SimTest({"ksx-4200-28p", {}}, "1000") {}

    template <class Dlg>
    void Shoot(const std::string& name, const std::function<bool(Dlg&)>& ready) {
        for (double scale : {1.0, 1.5}) {
            const QFont original = QApplication::font();
            QFont font = original;
            font.setPointSizeF(original.pointSizeF() * scale);
            QApplication::setFont(font);
            {
                auto dlg = std::make_unique<Dlg>();
                test::DialogDriver drv(*dlg);
                ASSERT_TRUE(test::WaitUntil([&] { return ready(*dlg); }));
                test::PumpEvents();
                const std::string file = name + (scale > 1.0 ? "-large.png" : ".png");
                ASSERT_TRUE(test::GrabScreenshot(dlg.get(), ShotPath(file)));
                EXPECT_FALSE(QImage(QString::fromStdString(ShotPath(file))).isNull());
                ExpectNothingClipped(dlg.get(), file);
            }
            QApplication::setFont(original);
        }
    }

    test::ScriptedMessageBox boxes;
};

TEST_F(PowerDialogsScreens, PoeDialogs) {
    Shoot<CPOEConfigDlg>("poe-config", [](CPOEConfigDlg& d) { return d.PortWalksEnded() > 0; });
    Shoot<CPOEGlobal>("poe-global", [](CPOEGlobal& d) { return d.ReadsEnded() > 0; });
}

TEST_F(PowerDialogsScreens, PowerSavingAndTimeProfiles) {
    Shoot<CPowerSaveDlg>("power-saving",
                         [](CPowerSaveDlg& d) { return d.ProfileNamesLoaded() && d.Logic().IsWalkDone(); });
    Shoot<CTimeProfileInfo>("time-profiles", [](CTimeProfileInfo& d) {
        auto* list = static_cast<CListCtrlEx*>(d.GetDlgItem(IDC_TP_LIST));
        return d.Logic().IsWalkDone() && list->GetItemCount() > 0;
    });
}

TEST_F(PowerDialogsScreens, FirmwareTransfer) {
    Shoot<CFirmDownLoad>("firmware", [](CFirmDownLoad&) { return true; });
}

}  // namespace
