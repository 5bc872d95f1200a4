#include "app/MyBitmapApp.h"

#include <QPainter>

#include "app/DIBitmap.h"
#include "res/panel_ids.h"

namespace ksx {

namespace {

struct EmbeddedBitmap {
    int id;
    const unsigned char* data;
    std::size_t size;
};

#include "app/MyBitmapApp.inc"

}  // namespace

CMyBitmapApp* g_pMyBitmapApp = nullptr;

CMyBitmapApp::CMyBitmapApp(QWidget* parent) : CDialog(IDD_BITMAP_STORE, parent) {}

CMyBitmapApp::~CMyBitmapApp() {
    if (g_pMyBitmapApp == this) {
        g_pMyBitmapApp = nullptr;
    }
}

QImage CMyBitmapApp::ResourceImage(int resourceNumber) {
    for (const EmbeddedBitmap& b : kEmbeddedBitmaps) {
        if (b.id == resourceNumber && b.data != nullptr) {
            CDIBitmap dib;
            if (dib.LoadFromMemory(b.data, b.size)) {
                return dib.Image();
            }
        }
    }
    return QImage();
}

bool CMyBitmapApp::LoadBitmap(QPaintDevice* dc, int resourceNumber) {
    (void)dc;  // pixmaps suit every paint device here
    const QImage image = ResourceImage(resourceNumber);
    if (image.isNull()) {
        return false;
    }
    m_entries.push_back(
        Entry{static_cast<int>(m_entries.size()) + 1, resourceNumber, QPixmap::fromImage(image)});
    return true;
}

const CMyBitmapApp::Entry* CMyBitmapApp::Find(int key) const {
    for (const Entry& e : m_entries) {
        if (e.key == key) {
            return &e;
        }
    }
    return nullptr;
}

void CMyBitmapApp::Draw(QPainter& dc, int key, int x, int y, int srcX, int srcY) const {
    const Entry* e = Find(key);
    if (e == nullptr) {
        return;
    }
    const int w = e->pixmap.width();
    const int h = e->pixmap.height();
    // The full size from (srcX, srcY); what lies outside the bitmap is left as it is.
    const QRect src = QRect(srcX, srcY, w, h).intersected(e->pixmap.rect());
    if (src.isEmpty()) {
        return;
    }
    dc.drawPixmap(QPoint(x + (src.x() - srcX), y + (src.y() - srcY)), e->pixmap, src);
}

bool CMyBitmapApp::IsLoaded(int key) const {
    return Find(key) != nullptr;
}

QSize CMyBitmapApp::BitmapSize(int key) const {
    const Entry* e = Find(key);
    return e != nullptr ? e->pixmap.size() : QSize();
}

}  // namespace ksx
