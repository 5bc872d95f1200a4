#include "controls/LxDialog.h"

#include <QEvent>
#include <QLayout>
#include <QResizeEvent>
#include <QSizeGrip>

ClxDialog::ClxDialog(unsigned templateId, QWidget* parent) : CDialog(templateId, parent) {}

ClxDialog::~ClxDialog() = default;

int ClxDialog::SetAnchors(const ClxAnchor* table, int count) {
    if (table == nullptr || count <= 0) {
        return 0;
    }
    m_pAnchors = table;
    m_nAnchorCount = count;
    return 1;
}

void ClxDialog::ShowSizeGrip(bool show) {
    m_bShowGrip = show ? 1 : 0;
    if (m_grip != nullptr) {
        m_grip->setVisible(show);
    }
}

QWidget* ClxDialog::GetSizeGrip() const {
    return m_grip.data();
}

int ClxDialog::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    // Resizable frame; the opening size is the smallest the user can drag it to.
    setSizeGripEnabled(false);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (!testAttribute(Qt::WA_Resized)) {
        adjustSize();
    }
    if (layout() != nullptr) {
        layout()->activate();
        layout()->setGeometry(rect());  // the client area takes its size now, not when first shown
    }
    m_minSize = size();
    setMinimumSize(m_minSize);
    QWidget* client = Client();
    m_nLastCx = client->width();
    m_nLastCy = client->height();
    if (!m_bInitialised) {
        m_bInitialised = true;
        client->installEventFilter(this);
        m_grip = new QSizeGrip(client);
        m_grip->resize(m_grip->sizeHint());
    }
    PlaceGrip(m_nLastCx, m_nLastCy);
    m_grip->setVisible(m_bShowGrip != 0);
    m_grip->raise();
    return 1;
}

void ClxDialog::PlaceGrip(int cx, int cy) {
    if (m_grip != nullptr) {
        m_grip->move(cx - m_grip->width(), cy - m_grip->height());
    }
}

void ClxDialog::OnSize(int type, int cx, int cy) {
    int dx = cx - m_nLastCx;
    int dy = cy - m_nLastCy;
    if (type == SIZE_MINIMIZED) {
        dx = 0;
        dy = 0;
    }
    for (int i = 0; i < m_nAnchorCount && m_pAnchors != nullptr; ++i) {
        const ClxAnchor& a = m_pAnchors[i];
        if (a.percent < 0 || a.percent > 100) {
            continue;
        }
        QWidget* w = GetDlgItem(a.id);
        if (w == nullptr) {
            continue;
        }
        QRect r = w->geometry();
        const int mx = dx * a.percent / 100;
        const int my = dy * a.percent / 100;
        switch (a.mode) {
            case ANCHOR_MOVE_RIGHT:
                r.translate(mx, 0);
                break;
            case ANCHOR_MOVE_DOWN:
                r.translate(0, my);
                break;
            case ANCHOR_MOVE_BOTH:
                r.translate(mx, my);
                break;
            case ANCHOR_GROW_WIDTH:
                r.setWidth(r.width() + mx);
                break;
            case ANCHOR_GROW_HEIGHT:
                r.setHeight(r.height() + my);
                break;
            case ANCHOR_GROW_BOTH:
                r.setWidth(r.width() + mx);
                r.setHeight(r.height() + my);
                break;
            default:
                continue;
        }
        w->setGeometry(r);
        w->update();
    }
    PlaceGrip(cx, cy);
    if (type != SIZE_MINIMIZED) {
        m_nLastCx = cx;
        m_nLastCy = cy;
    }
}

bool ClxDialog::eventFilter(QObject* watched, QEvent* e) {
    if (m_bInitialised && watched == Client() && e->type() == QEvent::Resize) {
        const QSize s = static_cast<QResizeEvent*>(e)->size();
        OnSize(isMinimized() ? SIZE_MINIMIZED : (isMaximized() ? SIZE_MAXIMIZED : SIZE_RESTORED), s.width(),
               s.height());
    }
    return CDialog::eventFilter(watched, e);
}
