// A strip of per-port controls in a dialog: check boxes (or port-number labels) spaced evenly between
// two x positions, one row for up to 28 ports, two rows of N/2 and the rest above that. The owner
// creates it on the heap in OnInitDialog and deletes it, which destroys its controls:
//   m_pStrip = std::make_unique<CBtnEXT>(g_nPortNum, 16, 4);
//   m_pStrip->SetParentWnd(this);
//   m_pStrip->CalcSpacing(20, 580);
//   m_pStrip->Create(BS_AUTOCHECKBOX, IDC_PORT1, 20, 40, 20, 40, 1);
#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>

#include <vector>

namespace ksx {
class CDialog;
}
class QAbstractButton;
class QLabel;

// Styles for Create: any button style makes buttons; CBTNEXT_LABELS (centred, sunken static) labels.
constexpr unsigned BS_PUSHBUTTON = 0x0;
constexpr unsigned BS_CHECKBOX = 0x2;
constexpr unsigned BS_AUTOCHECKBOX = 0x3;
constexpr unsigned BS_RADIOBUTTON = 0x4;
constexpr unsigned BS_AUTORADIOBUTTON = 0x9;
constexpr unsigned CBTNEXT_LABELS = 4097;  // SS_CENTER | SS_SUNKEN

class CBtnEXT {
public:
    // count ports, square controls of `size` pixels, `rowGap` pixels between the two rows.
    CBtnEXT(int count, int size, int rowGap);
    virtual ~CBtnEXT();
    CBtnEXT(const CBtnEXT&) = delete;
    CBtnEXT& operator=(const CBtnEXT&) = delete;

    void SetParentWnd(ksx::CDialog* dlg) { m_pParent = dlg; }
    // Gap between neighbouring controls so that a row spans left..right (integer division). Call it
    // before Create.
    void CalcSpacing(int left, int right);
    // Creates and shows the controls with ids firstId + i. The anchor is in the parent's client pixels,
    // right and bottom as x + width and y + height. Placement 0 starts the first row at (right, top),
    // placement 1 at (left, bottom). False without a parent dialog or when already created.
    bool Create(unsigned style, int firstId, int left, int top, int right, int bottom, int placement);
    bool Create(unsigned style, int firstId, const QRect& anchor, int placement);

    // From the top-left of the first control to the bottom-right of the last, in client coordinates.
    bool GetStripRect(QRect& rect) const;
    QRect GetStripRect() const;

    // Check-box strips only; an index outside 0..N-1 does nothing (GetCheck gives 0).
    void EnablePort(bool enable, int index);
    void SetCheck(int state, int index);
    int GetCheck(int index) const;

    int GetCount() const { return m_nCount; }
    int GetSpacing() const { return m_nSpacing; }
    int GetFirstRowCount() const;
    // Top-left corner of control i for the stored spacing, first row starting at (x0, y0).
    QPoint ControlPosition(int i, int x0, int y0) const;
    QWidget* GetControl(int index) const;

private:
    std::vector<QPointer<QAbstractButton>> m_pButtons;
    std::vector<QPointer<QLabel>> m_pLabels;
    ksx::CDialog* m_pParent = nullptr;
    int m_nSize;
    int m_nRowGap;
    int m_nCount;
    int m_nFirstId = 0;
    int m_nSpacing = 0;
};
