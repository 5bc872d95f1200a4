// The bitmap dialog base of the main window: draws the panel's background picture and the panel tree
// when the client area is erased, loads the panel description and sizes the window to it, and passes
// mouse moves and left clicks in the client area to the panel root. The main window draws its overlays
// (model badge, indicators, port lamps) in OnPaint, after the erase step; PaintModelOverlays and
// PaintPortLamps do that drawing.
#pragma once

#include <QImage>
#include <QPoint>
#include <memory>
#include <string>
#include <vector>

#include "app/DIBitmap.h"
#include "app/VirtualDev.h"
#include "platform/sys/Event.h"
#include "platform/ui/Dialog.h"

class QPainter;

namespace ksx {

class CMyBitmapApp;

// What the overlay painting reads of the main window.
struct PanelOverlayState {
    std::string deviceName;
    int portCount = 0;
    const unsigned char* portLedCode = nullptr;  // one lamp code per port index
    int portLedCodeCount = 0;                    // entries of portLedCode
    int blinkPhase = 0;                          // g_bBlinkPhase
    std::string fanStatus = "1";                 // "2": fan fault
    int isPowMax = 0;                            // PoE power at its limit
    int linkLedMode = 1;                         // 1 link display, 0 PoE display
};

class CBitmapDialog : public CDialog {
public:
    enum BkMode { BK_TILE = 0, BK_STRETCH = 1, BK_CENTER = 2 };
    using ModuleList = std::vector<std::unique_ptr<CModule>>;

    explicit CBitmapDialog(unsigned templateId, QWidget* parent = nullptr);
    ~CBitmapDialog() override;

    // Reads the panel description, loads the background and moves the window so that its client area
    // is the root's rectangle (position and size). Returns TRUE.
    int LoadPanel(const std::string& fileName);
    // True once a panel description was read and gave the panel a rectangle; while false the client
    // area keeps a size of its own so that the window can be seen.
    bool PanelLoaded() const { return m_bPanelLoaded; }
    // Pictures of the last panel refused for their size.
    const std::vector<std::string>& RefusedPictures() const { return m_refusedPictures; }
    // Every port of the panel back to its reset state: the 1st to 48th port children of the root 3,
    // the 49th to 52nd 4; modules' ports 3.
    void ResetPortStates();

    CDevModule& GetDevModule() { return m_DevModule; }
    const CDevModule& GetDevModule() const { return m_DevModule; }
    ModuleList& GetModules() { return m_Modules; }
    const CDIBitmap& GetBackground() const { return m_bmpBackground; }
    int GetBkMode() const { return m_nBkMode; }
    void SetBkMode(int mode) { m_nBkMode = mode; }
    CEvent& ThreadExitEvent() { return m_ThreadExitEvent; }

    // The erase step: the background (by mode) and, in stretch mode, the panel tree. False (nothing
    // drawn) when no background is loaded.
    bool EraseBackground(QPainter& dc);
    // Renders the client area (erase step, then OnPaint) into an image: screenshots and tests.
    QImage RenderClient();

    // Model badge and indicators by the device name (exact comparison).
    static void PaintModelOverlays(QPainter& dc, const PanelOverlayState& state, const CMyBitmapApp& store);
    // Lamp base and lamp of every port: port n's lamp point is the left and top of the first child of
    // the n-th port child of the root. Ports without element or child, and indexes past the lamp-code
    // array, are skipped. Returns the last lamp point used.
    static QPoint PaintPortLamps(QPainter& dc, const CVirtualDev& root, const PanelOverlayState& state,
                                 const CMyBitmapApp& store);

protected:
    // Runs after the erase step of every paint of the client area (the main window's overlays).
    virtual void OnPaint(QPainter& dc) { (void)dc; }
    // Client-area mouse input; the defaults pass the point to the panel root.
    virtual void OnLButtonDown(int x, int y);
    virtual void OnMouseMove(int x, int y);
    // The painter of the paint in progress, null outside a paint.
    QPainter* PaintDC() const { return m_paintDC; }

    bool eventFilter(QObject* watched, QEvent* e) override;

    CEvent m_ThreadExitEvent{false, false};
    CDIBitmap m_bmpBackground;
    int m_nBkMode = BK_TILE;
    CDevModule m_DevModule;
    ModuleList m_Modules;

private:
    void PaintClient(QPainter& dc);
    QPainter* m_paintDC = nullptr;
    bool m_bPanelLoaded = false;
    std::vector<std::string> m_refusedPictures;
};

}  // namespace ksx
