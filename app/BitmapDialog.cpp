#include "app/BitmapDialog.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "app/MyBitmapApp.h"
#include "app/ParseDevXML.h"
#include "platform/sys/Debug.h"
#include "res/panel_ids.h"

namespace ksx {

namespace {
constexpr int kMaxPanelSide = 16000;  // larger panel rectangles are clamped
constexpr int kNoPanelWidth = 420;    // the client area while no panel is loaded
constexpr int kNoPanelHeight = 120;
}  // namespace

CBitmapDialog::CBitmapDialog(unsigned templateId, QWidget* parent) : CDialog(templateId, parent) {
    Client()->installEventFilter(this);
    Client()->setMouseTracking(true);
    // Without a panel the client area would be empty, and a window of no size is never mapped.
    Client()->setMinimumSize(kNoPanelWidth, kNoPanelHeight);
}

CBitmapDialog::~CBitmapDialog() {
    Client()->removeEventFilter(this);
}

int CBitmapDialog::LoadPanel(const std::string& fileName) {
    AssertUiThread();
    const int frameWidth = frameGeometry().width() - Client()->width();
    const int frameHeight = frameGeometry().height() - Client()->height();
    (void)frameWidth;
    TRACE("==========================%d", frameHeight);

    // All pictures of one panel share one budget: a description naming huge pictures, or the same one
    // for every element, gets some of them refused instead of exhausting memory.
    CPictureBudget budget;
    CParseDevXML reader;
    reader.Load(fileName, m_DevModule, m_Modules);

    m_nBkMode = BK_STRETCH;
    m_bmpBackground.LoadFromFile(CVirtualDev::ResolveImagePath(m_DevModule.GetImageFile()));
    m_refusedPictures = budget.Refused();
    for (const std::string& refused : m_refusedPictures) {
        TRACE("panel picture refused: %s", refused.c_str());
    }

    const DevRect r = m_DevModule.GetRect();
    const int width = std::clamp(r.Width(), 0, kMaxPanelSide);
    const int height = std::clamp(r.Height(), 0, kMaxPanelSide);
    m_bPanelLoaded = reader.DocumentRead() && width > 0 && height > 0;
    if (m_bPanelLoaded) {
        // The client area becomes the root's rectangle; the frame (and menu bar) come on top.
        Client()->setMinimumSize(0, 0);
        Client()->setFixedSize(width, height);
        adjustSize();
        move(r.left, r.top);
    }
    Client()->update();
    return 1;
}

void CBitmapDialog::ResetPortStates() {
    AssertUiThread();
    int ports = 0;
    for (int i = 0; i < m_DevModule.GetChildCount(); ++i) {
        CVirtualDev* child = m_DevModule.GetChildAt(i);
        const std::string kind = child->GetKindName();
        if (kind == "CPort") {
            ++ports;
            if (ports <= 48) {
                static_cast<CPort*>(child)->SetState(PORTENABLE);
            } else if (ports <= 52) {
                static_cast<CPort*>(child)->SetState(PORTEMPTY);
            }
        } else if (kind == "CModule") {
            static_cast<CModule*>(child)->ResetPorts();
        }
    }
}

bool CBitmapDialog::EraseBackground(QPainter& dc) {
    AssertUiThread();
    if (m_bmpBackground.IsEmpty()) {
        return false;
    }
    const QRect client = Client()->rect();
    const int bw = m_bmpBackground.GetWidth();
    const int bh = m_bmpBackground.GetHeight();
    if (m_nBkMode == BK_STRETCH) {
        m_bmpBackground.StretchDraw(&dc, 0, 0, client.width(), client.height());
        m_DevModule.Attach(Client());
        m_DevModule.SetDrawDC(&dc);
        m_DevModule.DrawChildren();
        // The painter ends with this paint: the tree must not keep it.
        m_DevModule.SetDrawDC(nullptr);
    } else if (m_nBkMode == BK_CENTER) {
        dc.fillRect(client, Client()->palette().window());
        m_bmpBackground.DrawAt(&dc, (client.width() - bw) / 2, (client.height() - bh) / 2);
    } else {
        for (int y = 0; y < client.height(); y += bh) {
            for (int x = 0; x < client.width(); x += bw) {
                m_bmpBackground.DrawAt(&dc, x, y);
            }
        }
    }
    return true;
}

void CBitmapDialog::PaintClient(QPainter& dc) {
    m_paintDC = &dc;
    EraseBackground(dc);
    OnPaint(dc);
    m_paintDC = nullptr;
}

QImage CBitmapDialog::RenderClient() {
    QImage image(Client()->size(), QImage::Format_RGB32);
    image.fill(Client()->palette().window().color());
    QPainter dc(&image);
    PaintClient(dc);
    return image;
}

void CBitmapDialog::PaintModelOverlays(QPainter& dc, const PanelOverlayState& state,
                                       const CMyBitmapApp& store) {
    const std::string& name = state.deviceName;
    if (name == "KSX-4200-20" || name == "KSX-4200-28") {
        store.Draw(dc, IDB_PANEL_BADGE, 13, 30);
    } else if (name == "KSX-4200-52") {
        store.Draw(dc, IDB_PANEL_BADGE, 13, 31);
        if (state.fanStatus == "2") {
            store.Draw(dc, IDB_PANEL_ALERT, 38, 33);
        }
    } else if (name == "KSX-4200-28P") {
        store.Draw(dc, IDB_PANEL_BADGE, 11, 28);
        if (state.isPowMax == 1) {
            store.Draw(dc, IDB_PANEL_ALERT, 12, 42);
        }
        if (state.fanStatus == "2") {
            store.Draw(dc, IDB_PANEL_ALERT, 13, 62);
        }
        if (state.linkLedMode == 1) {
            store.Draw(dc, IDB_PANEL_LEDMODE_ON, 30, 52);
            store.Draw(dc, IDB_PANEL_LEDMODE_OFF, 30, 62);
        } else {
            store.Draw(dc, IDB_PANEL_LEDMODE_OFF, 30, 52);
            store.Draw(dc, IDB_PANEL_LEDMODE_ON, 30, 62);
        }
    }
}

QPoint CBitmapDialog::PaintPortLamps(QPainter& dc, const CVirtualDev& root, const PanelOverlayState& state,
                                     const CMyBitmapApp& store) {
    QPoint lampPoint;
    const int count = std::min(state.portCount, state.portLedCode != nullptr ? state.portLedCodeCount : 0);
    for (int i = 0; i < count; ++i) {
        const int n = i + 1;
        const bool odd = (n % 2) != 0;
        const CVirtualDev* port = root.FindChildByClass("CPort", i);
        const CVirtualDev* lamp = port != nullptr ? port->GetChildAt(0) : nullptr;
        if (lamp == nullptr) {
            continue;
        }
        lampPoint = QPoint(lamp->GetRect().left, lamp->GetRect().top);
        const int base = odd ? IDB_PANEL_LAMP_BASE_ODD : IDB_PANEL_LAMP_BASE_EVEN;
        if (lampPoint.x() != 0) {
            store.Draw(dc, base, lampPoint.x(), lampPoint.y());
        }
        switch (state.portLedCode[i]) {
            case 0:
                if (state.blinkPhase == 1) {
                    store.Draw(dc, odd ? IDB_PANEL_LAMP0_ODD : IDB_PANEL_LAMP0_EVEN, lampPoint.x(),
                               lampPoint.y());
                }
                break;
            case 1:
                if (state.blinkPhase == 0) {
                    store.Draw(dc, odd ? IDB_PANEL_LAMP1_ODD : IDB_PANEL_LAMP1_EVEN, lampPoint.x(),
                               lampPoint.y());
                }
                break;
            case 2:
                store.Draw(dc, base, lampPoint.x(), lampPoint.y());
                break;
            default:
                break;
        }
    }
    return lampPoint;
}

void CBitmapDialog::OnLButtonDown(int x, int y) {
    m_DevModule.OnLButtonDown(x, y);
}

void CBitmapDialog::OnMouseMove(int x, int y) {
    m_DevModule.OnMouseMove(x, y);
}

bool CBitmapDialog::eventFilter(QObject* watched, QEvent* e) {
    if (watched == Client()) {
        switch (e->type()) {
            case QEvent::Paint: {
                QPainter dc(Client());
                PaintClient(dc);
                return true;
            }
            case QEvent::MouseButtonPress: {
                auto* me = static_cast<QMouseEvent*>(e);
                if (me->button() == Qt::LeftButton) {
                    const QPoint p = me->position().toPoint();
                    OnLButtonDown(p.x(), p.y());
                }
                break;
            }
            case QEvent::MouseMove: {
                const QPoint p = static_cast<QMouseEvent*>(e)->position().toPoint();
                OnMouseMove(p.x(), p.y());
                break;
            }
            default:
                break;
        }
    }
    return CDialog::eventFilter(watched, e);
}

}  // namespace ksx
