// The shipped panels loaded into a bitmap dialog and painted offscreen: window size, lamps drawn at the
// ports' lamp points by state and blink phase, model overlays, and pictures of each model for looking at
// (<build>/screenshots/panel).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QPainter>
#include <QTest>
#include <cstdlib>
#include <vector>

#include "app/BitmapDialog.h"
#include "app/MyBitmapApp.h"
#include "res/panel_ids.h"
#include "tests/support/ui/DialogDriver.h"

namespace {

using namespace ksx;

std::string PanelFile(const std::string& model) {
    const char* src = std::getenv("KSX_SOURCE_DIR");
    return std::string(src != nullptr ? src : ".") + "/res/panels/" + model + ".xml";
}

// A main window in miniature: the panel with the overlays drawn as the module draws them.
class PanelDlg : public CBitmapDialog {
public:
    PanelDlg() : CBitmapDialog(102) {
        for (int id : {160, 159, 161, 162, 158, 163, 164, 190, 191, 192, 221}) {
            m_store.LoadBitmap(id);
        }
        codes.assign(100, 3);
    }
    PanelOverlayState state;
    std::vector<unsigned char> codes;
    QPoint lastLampPoint;

protected:
    void OnPaint(QPainter& dc) override {
        state.portLedCode = codes.data();
        state.portLedCodeCount = static_cast<int>(codes.size());
        PaintModelOverlays(dc, state, m_store);
        lastLampPoint = PaintPortLamps(dc, GetDevModule(), state, m_store);
    }

private:
    CMyBitmapApp m_store;
};

QPoint LampPoint(const CBitmapDialog& dlg, int port) {
    const CPort* p = FindPort(dlg.GetDevModule(), port);
    const CVirtualDev* lamp = p != nullptr ? p->GetChildAt(0) : nullptr;
    return lamp != nullptr ? QPoint(lamp->GetRect().left, lamp->GetRect().top) : QPoint(-1, -1);
}

// Middle of the 8 x 5 lamp.
QRgb LampPixel(const QImage& img, const QPoint& lamp) {
    return img.pixel(lamp.x() + 4, lamp.y() + 2);
}

bool IsGreen(QRgb c) {
    return qGreen(c) > 150 && qRed(c) < 120 && qBlue(c) < 140;
}
bool IsAmber(QRgb c) {
    return qRed(c) > 200 && qGreen(c) > 100 && qGreen(c) < 215 && qBlue(c) < 140;
}
bool IsDark(QRgb c) {
    return qRed(c) < 90 && qGreen(c) < 90 && qBlue(c) < 90;
}

TEST(PanelPaint, WindowTakesTheRootRectangleAsItsClientArea) {
    PanelDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.LoadPanel(PanelFile("ksx-4200-28z1"));
    const DevRect r = dlg.GetDevModule().GetRect();
    EXPECT_EQ(dlg.Client()->size(), QSize(r.Width(), r.Height()));
    EXPECT_EQ(dlg.GetBkMode(), CBitmapDialog::BK_STRETCH);
    EXPECT_FALSE(dlg.GetBackground().IsEmpty());
    EXPECT_EQ(dlg.GetBackground().GetWidth(), r.Width());
    EXPECT_EQ(dlg.pos(), QPoint(r.left, r.top));
}

TEST(PanelPaint, ClickInTheClientAreaReachesThePort) {
    PanelDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.LoadPanel(PanelFile("ksx-4200-28z1"));
    dlg.RenderClient();  // the first erase attaches the tree to the window
    int dialogs = 0;
    CPort::SetSettingsRunner([&] { ++dialogs; });
    const DevRect r = FindPort(dlg.GetDevModule(), 7)->GetRect();
    QTest::mouseClick(dlg.Client(), Qt::LeftButton, {},
                      QPoint(r.left + r.Width() / 2, r.top + r.Height() / 2));
    QTest::mouseClick(dlg.Client(), Qt::LeftButton, {}, QPoint(2, 2));
    CPort::SetSettingsRunner(nullptr);
    EXPECT_EQ(dialogs, 1);
}

TEST(PanelPaint, NoPanelNoBackground) {
    PanelDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.LoadPanel("/nonexistent/panel.xml");
    EXPECT_TRUE(dlg.GetBackground().IsEmpty());
    EXPECT_EQ(dlg.GetDevModule().GetChildCount(), 0);
    dlg.state.portCount = 28;
    dlg.codes.assign(100, 1);
    dlg.RenderClient();  // nothing to draw, nothing to crash on
    EXPECT_EQ(dlg.lastLampPoint, QPoint());
}

TEST(PanelPaint, LampFollowsLampCodeAndBlinkPhase) {
    PanelDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.LoadPanel(PanelFile("ksx-4200-28z1"));
    dlg.state.portCount = 28;
    const QPoint lamp1 = LampPoint(dlg, 1);
    const QPoint lamp2 = LampPoint(dlg, 2);
    ASSERT_NE(lamp1.x(), -1);

    // Code 3 everywhere: only the unlit bases.
    QImage img = dlg.RenderClient();
    EXPECT_TRUE(IsDark(LampPixel(img, lamp1)));

    // Code 1 (top speed) lights green on phase 0 only; code 0 amber on phase 1 only.
    dlg.codes[0] = 1;
    dlg.codes[1] = 0;
    dlg.state.blinkPhase = 0;
    img = dlg.RenderClient();
    EXPECT_TRUE(IsGreen(LampPixel(img, lamp1)));
    EXPECT_TRUE(IsDark(LampPixel(img, lamp2)));
    dlg.state.blinkPhase = 1;
    img = dlg.RenderClient();
    EXPECT_TRUE(IsDark(LampPixel(img, lamp1)));
    EXPECT_TRUE(IsAmber(LampPixel(img, lamp2)));

    // Code 2: the base on both phases.
    dlg.codes[0] = 2;
    img = dlg.RenderClient();
    EXPECT_TRUE(IsDark(LampPixel(img, lamp1)));
}

TEST(PanelPaint, PortPictureFollowsPortState) {
    PanelDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.LoadPanel(PanelFile("ksx-4200-28z1"));
    CPort* port = FindPort(dlg.GetDevModule(), 3);
    ASSERT_NE(port, nullptr);
    const DevRect r = port->GetRect();
    const QPoint mid(r.left + r.Width() / 2, r.top + r.Height() / 2 + 2);
    const QRgb down = dlg.RenderClient().pixel(mid);
    port->SetState(PORTLINK10);
    const QRgb up = dlg.RenderClient().pixel(mid);
    EXPECT_NE(down, up);
    EXPECT_EQ(port->GetImageFile(), "");  // ports draw their state images, not BMP
}

TEST(PanelPaint, LampCodesPastThePanelOrTheArrayAreSkipped) {
    PanelDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.LoadPanel(PanelFile("ksx-4200-28z1"));
    dlg.codes.assign(100, 1);
    dlg.state.portCount = 100;  // more ports than the panel has elements
    dlg.RenderClient();
    EXPECT_EQ(dlg.lastLampPoint, LampPoint(dlg, 28));
    dlg.codes.assign(4, 1);  // shorter array than the port count
    dlg.state.portCount = 28;
    dlg.RenderClient();
    EXPECT_EQ(dlg.lastLampPoint, LampPoint(dlg, 4));
}

TEST(PanelPaint, PoeModelShowsLedModeAndAlerts) {
    PanelDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.LoadPanel(PanelFile("ksx-4200-28p"));
    dlg.state.deviceName = "KSX-4200-28P";
    dlg.state.linkLedMode = 0;
    QImage img = dlg.RenderClient();
    EXPECT_TRUE(IsDark(img.pixel(35, 54)));   // 192 at (30, 52)
    EXPECT_TRUE(IsGreen(img.pixel(35, 64)));  // 191 at (30, 62)
    EXPECT_TRUE(IsDark(img.pixel(17, 44)));
    dlg.state.linkLedMode = 1;
    dlg.state.isPowMax = 1;
    dlg.state.fanStatus = "2";
    img = dlg.RenderClient();
    EXPECT_TRUE(IsGreen(img.pixel(35, 54)));
    EXPECT_TRUE(IsDark(img.pixel(35, 64)));
    EXPECT_GT(qRed(img.pixel(17, 44)), 200);  // alert at (12, 42)
    EXPECT_GT(qRed(img.pixel(18, 64)), 200);  // fan alert at (13, 62)
}

TEST(PanelPaint, ResetPortStates) {
    PanelDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.LoadPanel(PanelFile("ksx-4200-52"));
    for (int n = 1; n <= 52; ++n) {
        FindPort(dlg.GetDevModule(), n)->SetState(PORTLINK10);
    }
    dlg.ResetPortStates();
    EXPECT_EQ(FindPort(dlg.GetDevModule(), 1)->GetState(), PORTENABLE);
    EXPECT_EQ(FindPort(dlg.GetDevModule(), 48)->GetState(), PORTENABLE);
    EXPECT_EQ(FindPort(dlg.GetDevModule(), 49)->GetState(), PORTEMPTY);
    EXPECT_EQ(FindPort(dlg.GetDevModule(), 52)->GetState(), PORTEMPTY);
}

// Pictures of each model with ports in every state, for looking at.
TEST(PanelPaint, Screenshots) {
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/panel";
    ASSERT_TRUE(QDir().mkpath(dir));
    struct Shot {
        const char* file;
        const char* name;
        int ports;
    };
    for (const Shot& s : {Shot{"ksx-4200-28z1", "KSX-4200-28Z1", 28},
                          Shot{"ksx-4200-28p", "KSX-4200-28P", 28}, Shot{"ksx-4200-52", "KSX-4200-52", 52}}) {
        PanelDlg dlg;
        ASSERT_TRUE(dlg.Create());
        dlg.LoadPanel(PanelFile(s.file));
        dlg.state.deviceName = s.name;
        dlg.state.portCount = s.ports;
        dlg.state.fanStatus = "2";
        dlg.state.isPowMax = 1;
        for (int n = 1; n <= s.ports; ++n) {
            const int state = n % 7 == 0   ? PORTDISABLED
                              : n % 3 == 0 ? PORTENABLE
                              : n % 2 == 0 ? PORTLINK100
                                           : PORTLINK10;
            FindPort(dlg.GetDevModule(), n)->SetState(n > s.ports - 2 ? PORTEMPTY : state);
            dlg.codes[n - 1] = static_cast<unsigned char>(state);
        }
        for (int phase : {0, 1}) {
            dlg.state.blinkPhase = phase;
            const QImage img = dlg.RenderClient();
            ASSERT_TRUE(img.save(dir + "/" + s.file + "-phase" + QString::number(phase) + ".png"));
        }
    }
}

}  // namespace
