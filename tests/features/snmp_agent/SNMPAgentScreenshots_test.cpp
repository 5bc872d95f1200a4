// The agent dialogs at the default font and at a 1.5 times larger one: every text control gets the
// size its text needs, no two controls overlap, and a picture of each is saved
// (build/screenshots/snmp_agent/) for a look.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "features/snmp_agent/SNMPCommunity.h"
#include "features/snmp_agent/SNMPEngineID.h"
#include "features/snmp_agent/SNMPGlobal.h"
#include "features/snmp_agent/SNMPGroup.h"
#include "features/snmp_agent/SNMPHost.h"
#include "features/snmp_agent/SNMPTrapSetting.h"
#include "features/snmp_agent/SNMPUser.h"
#include "features/snmp_agent/SNMPViewTree.h"
#include "platform/sys/Globals.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;

struct Maker {
    const char* name;
    std::function<std::unique_ptr<CDialog>()> make;
};

const std::vector<Maker>& Dialogs() {
    static const std::vector<Maker> makers = {
        {"global_state", [] { return std::make_unique<CSNMPGlobal>(); }},
        {"trap_settings", [] { return std::make_unique<CSNMPTrapSetting>(); }},
        {"engine_id", [] { return std::make_unique<CSNMPEngineID>(); }},
        {"community", [] { return std::make_unique<CSNMPCommunity>(); }},
        {"user", [] { return std::make_unique<CSNMPUser>(); }},
        {"group", [] { return std::make_unique<CSNMPGroup>(); }},
        {"view", [] { return std::make_unique<CSNMPViewTree>(); }},
        {"host", [] { return std::make_unique<CSNMPHost>(); }},
    };
    return makers;
}

// Controls showing a text, with what their text needs.
std::vector<std::string> Clipped(QWidget* dlg) {
    std::vector<std::string> out;
    for (QWidget* w : dlg->findChildren<QWidget*>()) {
        if (!w->isVisible()) {
            continue;
        }
        const bool text = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) ||
                          qobject_cast<QComboBox*>(w) || qobject_cast<QGroupBox*>(w);
        if (!text) {
            continue;
        }
        const QSize need = w->minimumSizeHint();
        if (w->width() < need.width() || w->height() < need.height()) {
            out.push_back(w->metaObject()->className() + std::string(" ") + w->objectName().toStdString() +
                          " " + std::to_string(w->width()) + "x" + std::to_string(w->height()) + " < " +
                          std::to_string(need.width()) + "x" + std::to_string(need.height()));
        }
    }
    return out;
}

// Pairs of visible sibling controls whose rectangles intersect.
int Overlaps(QWidget* dlg) {
    int count = 0;
    for (QWidget* parent : dlg->findChildren<QWidget*>()) {
        std::vector<QWidget*> kids;
        for (QObject* o : parent->children()) {
            auto* w = qobject_cast<QWidget*>(o);
            if (w != nullptr && w->isVisible() && !w->isWindow() && CDialog::GetDlgCtrlID(w) != 0) {
                kids.push_back(w);
            }
        }
        for (size_t i = 0; i < kids.size(); ++i) {
            for (size_t j = i + 1; j < kids.size(); ++j) {
                if (kids[i]->geometry().intersects(kids[j]->geometry())) {
                    ++count;
                }
            }
        }
    }
    return count;
}

// The dialog has shown what it read.
bool ReadDone(CDialog* dlg) {
    if (auto* d = dynamic_cast<CSNMPCommunity*>(dlg)) {
        return d->ReadsEnded() > 0;
    }
    if (auto* d = dynamic_cast<CSNMPTableDialog*>(dlg)) {
        return d->ReadsEnded() > 0;
    }
    if (auto* d = dynamic_cast<CSNMPGlobal*>(dlg)) {
        return d->ReadsEnded() > 0;
    }
    if (auto* d = dynamic_cast<CSNMPEngineID*>(dlg)) {
        return d->ReadsEnded() > 0;
    }
    return true;  // the trap switches are read before the dialog shows
}

class AgentScreens : public test::SimTest {
protected:
    AgentScreens() : SimTest(test::SimSwitch::Options{"ksx-4200-28p", {}}, "3000") {}
    test::ScriptedMessageBox boxes;
};

TEST_F(AgentScreens, NothingClippedOrOverlappingAtTwoFontSizes) {
    g_strDeviceName = "KSX-4200-28P";  // every trap switch shown
    const QFont normal = QApplication::font();
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/snmp_agent";
    QDir().mkpath(dir);
    for (double scale : {1.0, 1.5}) {
        QFont font = normal;
        font.setPointSizeF(normal.pointSizeF() * scale);
        QApplication::setFont(font);
        for (const Maker& m : Dialogs()) {
            sim.ClearLog();
            std::unique_ptr<CDialog> dlg = m.make();
            test::DialogDriver drv(*dlg);
            test::WaitUntil([&] { return ReadDone(dlg.get()); }, 3000);
            test::PumpEvents();
            EXPECT_EQ(Clipped(dlg.get()), std::vector<std::string>{}) << m.name << " at " << scale;
            EXPECT_EQ(Overlaps(dlg.get()), 0) << m.name << " at " << scale;
            const QString file = QString("%1/%2_%3.png").arg(dir, m.name, scale == 1.0 ? "1x" : "1.5x");
            EXPECT_TRUE(test::GrabScreenshot(dlg.get(), file.toStdString()));
        }
    }
    QApplication::setFont(normal);
}

}  // namespace
