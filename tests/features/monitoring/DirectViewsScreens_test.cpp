// The port-security views that build their own SNMP requests, at the default font and a 1.5 times larger
// one: every text control gets the size its text needs, no two controls overlap, and a picture of each is
// saved (build/screenshots/monitoring/) for a look. The monitoring and agent views are in the look check.
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

#include "features/security/8021Diagnosis.h"
#include "features/security/8021Status.h"
#include "features/security/DHCPInfoDlg.h"
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
        {"dhcp_info", [] { return std::make_unique<CDHCPInfoDlg>(); }},
        {"dot1x_statistics", [] { return std::make_unique<C8021Status>(); }},
        {"dot1x_diagnosis", [] { return std::make_unique<C8021Diagnosis>(); }},
    };
    return makers;
}

// Visible text controls smaller than their text needs.
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
            out.push_back(w->metaObject()->className() + std::string(" ") +
                          std::to_string(CDialog::GetDlgCtrlID(w)) + " " + std::to_string(w->width()) + "x" +
                          std::to_string(w->height()) + " < " + std::to_string(need.width()) + "x" +
                          std::to_string(need.height()));
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
                count += kids[i]->geometry().intersects(kids[j]->geometry()) ? 1 : 0;
            }
        }
    }
    return count;
}

class DirectViewsScreens : public test::SimTest {
protected:
    test::ScriptedMessageBox boxes;
};

TEST_F(DirectViewsScreens, NothingClippedOrOverlappingAtTwoFontSizes) {
    const QFont normal = QApplication::font();
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/monitoring";
    QDir().mkpath(dir);
    for (double scale : {1.0, 1.5}) {
        QFont font = normal;
        font.setPointSizeF(normal.pointSizeF() * scale);
        QApplication::setFont(font);
        for (const Maker& m : Dialogs()) {
            std::unique_ptr<CDialog> dlg = m.make();
            test::DialogDriver drv(*dlg);
            const size_t before = sim.Requests().size();
            test::WaitUntil([&] { return sim.Requests().size() > before; }, 1000);
            test::WaitUntil([] { return false; }, 300);  // lets the answers be shown
            EXPECT_EQ(Clipped(dlg.get()), std::vector<std::string>{}) << m.name << " at " << scale;
            EXPECT_EQ(Overlaps(dlg.get()), 0) << m.name << " at " << scale;
            const QString file = QString("%1/%2_%3.png").arg(dir, m.name, scale == 1.0 ? "1x" : "1.5x");
            EXPECT_TRUE(test::GrabScreenshot(dlg.get(), file.toStdString()));
        }
    }
    QApplication::setFont(normal);
}

}  // namespace
