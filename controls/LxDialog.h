// Resizable dialog base: a table of anchors says how each control moves or grows when the dialog's
// size changes; a size grip sits in the bottom-right corner; the dialog stays topmost and never becomes
// smaller than it was when it opened.
//
// Anchored controls are placed by fixed geometry in Client() (not by a layout, which would move them
// back). Call SetAnchors in OnInitDialog after ClxDialog::OnInitDialog:
//   static const ClxAnchor kAnchors[] = {{IDC_LIST, ANCHOR_GROW_BOTH, 100}, {IDOK, ANCHOR_MOVE_BOTH, 100}};
//   SetAnchors(kAnchors, 2);
#pragma once

#include <QPointer>
#include <QSize>

#include "platform/ui/Dialog.h"

class QSizeGrip;

// Anchor modes: how a control follows a size change by (dx, dy), scaled by percent / 100.
enum ClxAnchorMode : int {
    ANCHOR_MOVE_RIGHT = 0,
    ANCHOR_MOVE_DOWN = 1,
    ANCHOR_MOVE_BOTH = 2,
    ANCHOR_GROW_WIDTH = 3,
    ANCHOR_GROW_HEIGHT = 4,
    ANCHOR_GROW_BOTH = 5,
};

struct ClxAnchor {
    int id;       // control id
    int mode;     // ClxAnchorMode
    int percent;  // 0..100; entries outside are skipped
};

class ClxDialog : public ksx::CDialog {
public:
    // Size-change kinds of OnSize.
    enum { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };

    explicit ClxDialog(unsigned templateId, QWidget* parent = nullptr);
    ~ClxDialog() override;

    // Keeps the caller's table (not copied: it must outlive the dialog). 0 for a null table or a count
    // of 0 or less, else 1.
    int SetAnchors(const ClxAnchor* table, int count);
    // The grip is shown unless switched off (before or after OnInitDialog).
    void ShowSizeGrip(bool show);

    QSize GetMinimumWindowSize() const { return m_minSize; }
    QSize GetReferenceClientSize() const { return QSize(m_nLastCx, m_nLastCy); }
    QWidget* GetSizeGrip() const;

    // Moves and grows the anchored controls for a client size of (cx, cy) and places the grip.
    void OnSize(int type, int cx, int cy);

protected:
    // Topmost, resizable, minimum size = the size now, grip in the corner. Returns 1.
    int OnInitDialog() override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void PlaceGrip(int cx, int cy);

    int m_nLastCx = 0;
    int m_nLastCy = 0;
    QSize m_minSize;
    const ClxAnchor* m_pAnchors = nullptr;
    int m_nAnchorCount = 0;
    int m_bShowGrip = 1;
    QPointer<QSizeGrip> m_grip;
    bool m_bInitialised = false;
};
