// The bitmap store: the overlay bitmaps of the panel (model badge, lamps, indicators), loaded once by
// resource number and copied onto the window when painting. A hidden window (template 100); one
// instance, reached through g_pMyBitmapApp.
#pragma once

#include <QPixmap>
#include <string>
#include <vector>

#include "platform/ui/Dialog.h"

class QPainter;
class QPaintDevice;

namespace ksx {

class CMyBitmapApp : public CDialog {
public:
    explicit CMyBitmapApp(QWidget* parent = nullptr);
    ~CMyBitmapApp() override;

    // Loads bitmap resource `resourceNumber` and appends it under that key. The device is the one the
    // bitmap will be drawn on (may be null). False when there is no such resource.
    bool LoadBitmap(QPaintDevice* dc, int resourceNumber);
    bool LoadBitmap(int resourceNumber) { return LoadBitmap(nullptr, resourceNumber); }
    // Copies the bitmap of `key` (its full size, from (srcX, srcY) of it) to (x, y). A key never loaded
    // draws nothing.
    void Draw(QPainter& dc, int key, int x, int y, int srcX = 0, int srcY = 0) const;

    bool IsLoaded(int key) const;
    QSize BitmapSize(int key) const;
    int Count() const { return static_cast<int>(m_entries.size()); }

    // The bitmap resource as an image (null when the module has no such resource).
    static QImage ResourceImage(int resourceNumber);

private:
    struct Entry {
        int sequence;
        int key;
        QPixmap pixmap;
    };
    const Entry* Find(int key) const;

    std::vector<Entry> m_entries;  // load order; searched from the first
};

// The process-wide store (created by the main window; null otherwise).
extern CMyBitmapApp* g_pMyBitmapApp;

}  // namespace ksx
