// Report list of the table dialogs: per-cell text and background colours, sorting by a heading click
// (hexadecimal numbers, decimal numbers with an optional "%", dates, then text), and push or
// radio-style buttons placed over cells whose clicks reach the owning dialog as window messages.
#pragma once

#include <QColor>
#include <QPointer>
#include <QPushButton>
#include <QString>

#include <cstdint>
#include <list>
#include <memory>
#include <vector>

#include "controls/ListCtrl.h"
#include "platform/sys/Messages.h"

class CReportCtrl;
namespace ksx {
class CDialog;
}

// Messages sent (synchronously) to the dialog that owns the list.
constexpr unsigned WM_REPORT_CHECK_CHANGED = ksx::WM_APP + 10000;   // wParam row, lParam mouse message
constexpr unsigned WM_REPORT_SORTED = ksx::WM_APP + 10001;          // wParam column, lParam 1 asc / 0 desc
constexpr unsigned WM_REPORT_BUTTON_CLICKED = ksx::WM_APP + 20000;  // wParam row, lParam column
constexpr unsigned WM_REPORT_BUTTON_CHECKED = ksx::WM_APP + 20100;  // wParam row, lParam column

// Mouse messages reported as lParam of WM_REPORT_CHECK_CHANGED.
constexpr unsigned WM_LBUTTONDOWN = 0x0201;
constexpr unsigned WM_LBUTTONUP = 0x0202;
constexpr unsigned WM_LBUTTONDBLCLK = 0x0203;
constexpr unsigned WM_RBUTTONDOWN = 0x0204;
constexpr unsigned WM_RBUTTONUP = 0x0205;
constexpr unsigned WM_RBUTTONDBLCLK = 0x0206;
constexpr unsigned WM_MBUTTONDOWN = 0x0207;
constexpr unsigned WM_MBUTTONUP = 0x0208;
constexpr unsigned WM_MBUTTONDBLCLK = 0x0209;

// Row-state flags: as a filter every bit must hold (1 matches any row, 0 none); as an action each bit
// is performed.
constexpr unsigned RC_ITEM_ALL = 0x01;
constexpr unsigned RC_ITEM_SELECTED = 0x02;
constexpr unsigned RC_ITEM_UNSELECTED = 0x04;
constexpr unsigned RC_ITEM_CHECKED = 0x08;
constexpr unsigned RC_ITEM_UNCHECKED = 0x10;
constexpr unsigned RC_ITEM_FOCUSED = 0x20;
constexpr unsigned RC_ITEM_UNFOCUSED = 0x40;

// One per row, owned by the list: the item data the row had before, and a colour pair per column.
struct CReportRowInfo {
    std::uintptr_t userData = 0;
    std::vector<QColor> textColors;
    std::vector<QColor> backColors;
};

// What a dialog asks for in a cell: state 0 push button, 1 radio-style button that turns itself on.
struct CReportButtonCell {
    int state = 0;
    QString caption;
};

// A button over one cell of a CReportCtrl. A click sends WM_REPORT_BUTTON_CLICKED (push) or, after
// turning itself on, WM_REPORT_BUTTON_CHECKED (radio-style) to the list's owner.
class CButtonEx : public QPushButton {
    Q_OBJECT
public:
    CButtonEx(CReportCtrl* list, QWidget* parent, int row, int column, bool radio, const QString& caption);

    int m_nRow = -1;
    int m_nColumn = -1;
    int m_bRadio = 0;
    QString m_strCaption;

protected:
    void nextCheckState() override;
    void OnClicked();

private:
    CReportCtrl* m_pList;
};

// The buttons placed in one cell. Two entries are equal when row and column are.
struct CButtonInfo {
    int row = -1;
    int column = -1;
    std::vector<QPointer<CButtonEx>> buttons;
    bool operator==(const CButtonInfo& other) const { return row == other.row && column == other.column; }
};

class CReportCtrl : public CListCtrl {
    Q_OBJECT
public:
    explicit CReportCtrl(QWidget* parent = nullptr);
    ~CReportCtrl() override;

    // Places the list in a dialog under `id`, over `rect` in client pixels (an empty rect: the whole
    // client area). False without a dialog.
    bool Create(ksx::CDialog* parent, int id, const QRect& rect = QRect());

    // Where the list's messages go. By default the nearest ancestor that takes window messages (the
    // dialog that owns the list); an explicit target overrides that.
    void SetMessageTarget(ksx::IMessageTarget* target) { m_pTarget = target; }
    ksx::IMessageTarget* MessageTarget() const;

    // Columns and rows. InsertItem and SetItemText reset the sort state.
    int InsertColumn(int column, const QString& heading, int format = LVCFMT_LEFT, int width = -1,
                     int subItem = -1);
    int InsertItem(int row, const QString& text);
    bool SetItemText(int row, int column, const QString& text);
    bool SetItemInt(int row, int column, int value);
    bool SetItemNumber(int row, int column, int value) { return SetItemInt(row, column, value); }
    // Always adds LVS_EX_SUBITEMIMAGES to the given style.
    std::uint32_t SetExtendedStyle(std::uint32_t style) override;

    // Row counts and deletion by row-state filter (RC_ITEM_*).
    int GetItemCount(unsigned flags = RC_ITEM_ALL) const;
    int DeleteItems(unsigned flags);
    bool ExamItemStates(int row, unsigned flags) const;
    bool SetItemStates(int row, unsigned flags);

    // Cell colours (default: the window text and window colours).
    bool SetItemTextColor(int row, int column, const QColor& color);
    bool SetItemBkColor(int row, int column, const QColor& color);
    QColor GetItemTextColor(int row, int column) const;
    QColor GetItemBkColor(int row, int column) const;
    const CReportRowInfo* GetRowInfo(int row) const;

    // Cell buttons. SetItemButton: 1 when made; DeleteItemButton: 1 unless the state is not 0 or 1.
    int SetItemButton(int row, int column, CReportButtonCell cell);
    int DeleteItemButton(int row, int column, int state);
    void RefreshButtons() { RepositionButtons(); }
    // Check state of the cell's button(s); 1 when the cell has a button.
    using CListCtrl::SetCheck;
    int SetCheck(int row, int column, int state);
    CButtonEx* GetItemButton(int row, int column) const;
    // A cell with a button needs the button's width.
    int CellContentWidth(int row, int column) const override;

    // Sorting.
    void SortItems(int column, bool ascending);
    int GetSortColumn() const { return m_nSortColumn; }
    bool IsSortAscending() const { return m_bSortAscending != 0; }
    // -1, 0 or 1: both texts as hexadecimal numbers, else as decimal numbers (an optional trailing
    // "%"), else as dates, else as text.
    static int CompareCells(const QString& a, const QString& b);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class CButtonEx;

    void ResetSortState();
    void OnColumnClick(int column);
    void SortRun(int first, int last);
    bool CreateItemButton(int row, int column, const CReportButtonCell& cell);
    void RepositionButtons();
    void PlaceButton(CButtonEx* button, int row, int column);
    unsigned RowStateWord(int row) const;
    void MouseAndCheck(QMouseEvent* event, unsigned message, void (CReportCtrl::*base)(QMouseEvent*));
    void BaseMousePress(QMouseEvent* e) { CListCtrl::mousePressEvent(e); }
    void BaseMouseRelease(QMouseEvent* e) { CListCtrl::mouseReleaseEvent(e); }
    void BaseMouseDoubleClick(QMouseEvent* e) { CListCtrl::mouseDoubleClickEvent(e); }
    ksx::LRESULT Notify(unsigned msg, ksx::WPARAM wParam, ksx::LPARAM lParam);

    int m_nSortColumn = -1;
    int m_bSortAscending = 1;
    std::list<CButtonInfo> m_buttons;
    std::vector<std::unique_ptr<CReportRowInfo>> m_rows;  // parallel to the list's rows
    ksx::IMessageTarget* m_pTarget = nullptr;
};
