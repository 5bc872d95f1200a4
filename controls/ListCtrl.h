// The report-style list view the table dialogs are written against: rows of text cells under a
// heading, with the list operations those dialogs call (columns, rows, cell texts, selection, check
// boxes, item data). A QTableWidget underneath; sorting by Qt is off, the rows stay as inserted.
//
// Column widths follow the font. The width a dialog gives a column is its width at the default font
// (GetColumnWidth returns it); the list shows each column at least that width grown with the font, and
// never narrower than its heading or than the texts put in it, up to a sensible width for a cell (a
// longer cell shows its whole text as its tooltip). A list wider than its columns gives the extra width
// to them: to the columns that take the rest (SetColumnFill) when there are any, else to all in
// proportion; a list whose columns need more than it has widens its window as far as the screen allows,
// and scrolls past that. A column the user drags keeps the width given to it.
#pragma once

#include <QTableWidget>
#include <QTimer>

#include <cstdint>
#include <vector>

// Column formats.
constexpr int LVCFMT_LEFT = 0x0;
constexpr int LVCFMT_RIGHT = 0x1;
constexpr int LVCFMT_CENTER = 0x2;

// Column mask bits.
constexpr unsigned LVCF_FMT = 0x1;
constexpr unsigned LVCF_WIDTH = 0x2;
constexpr unsigned LVCF_TEXT = 0x4;
constexpr unsigned LVCF_SUBITEM = 0x8;

// Item mask bits.
constexpr unsigned LVIF_TEXT = 0x1;
constexpr unsigned LVIF_IMAGE = 0x2;
constexpr unsigned LVIF_PARAM = 0x4;

// Item states.
constexpr unsigned LVIS_FOCUSED = 0x1;
constexpr unsigned LVIS_SELECTED = 0x2;

// GetNextItem flags.
constexpr unsigned LVNI_ALL = 0x0;
constexpr unsigned LVNI_FOCUSED = 0x1;
constexpr unsigned LVNI_SELECTED = 0x2;

// Extended styles.
constexpr std::uint32_t LVS_EX_GRIDLINES = 0x1;
constexpr std::uint32_t LVS_EX_SUBITEMIMAGES = 0x2;
constexpr std::uint32_t LVS_EX_CHECKBOXES = 0x4;
constexpr std::uint32_t LVS_EX_FULLROWSELECT = 0x20;

// Window styles of the list that change its behaviour here.
constexpr std::uint32_t LVS_SINGLESEL = 0x4;
constexpr std::uint32_t LVS_NOCOLUMNHEADER = 0x4000;

class CListCtrl : public QTableWidget {
    Q_OBJECT
public:
    explicit CListCtrl(QWidget* parent = nullptr);
    ~CListCtrl() override;

    // Columns. width -1: the column is as wide as its heading and cells need. Returns the new index or -1.
    int InsertColumn(int column, const QString& heading, int format = LVCFMT_LEFT, int width = -1,
                     int subItem = -1);
    bool DeleteColumn(int column);
    int GetColumnCount() const { return columnCount(); }
    // The column's width at the default font, as the dialog gave it (see above); the width shown is
    // columnWidth(column).
    int GetColumnWidth(int column) const;
    // The column's width at the default font; it grows with the font.
    bool SetColumnWidth(int column, int width);
    // The column is as wide as `sample` in the list's font plus `pad` pixels (already at the font).
    bool SetColumnSample(int column, const QString& sample, int pad);
    // The column takes the width the others leave (its given width: the list's width less the others'
    // given widths and `margin`).
    bool SetColumnFill(int column, int margin);
    // Pixel width of a text in the list's font.
    int GetStringWidth(const QString& text) const;
    // How much larger than the default font the list's font is (1.0 at the default, never below).
    double FontScale() const;
    // The width column needs to show its heading and its cells (a cell no wider than CellCap) at the
    // list's font, never below its given width grown with the font.
    int NeededColumnWidth(int column) const;
    // The widest a column grows for its cells' sake.
    int CellCap(int column) const;
    // The width the cell's content needs (text, check box, margins).
    virtual int CellContentWidth(int row, int column) const;
    // The cell's whole text when the column shows it cut, else empty: the cell's tooltip.
    QString CellToolTip(int row, int column) const;
    // Sets the shown widths now (done when the list's size or font changes, and shortly after a text
    // arrived that needs a wider column).
    void FitColumns();
    bool FitPending() const { return m_fitTimer.isActive(); }

    // Rows. InsertItem returns the new row index or -1 (the index is clamped to the row count).
    int InsertItem(int row, const QString& text);
    bool SetItemText(int row, int column, const QString& text);
    QString GetItemText(int row, int column) const;
    int GetItemCount() const { return rowCount(); }
    bool DeleteItem(int row);
    bool DeleteAllItems();
    bool SetItemData(int row, std::uintptr_t data);
    std::uintptr_t GetItemData(int row) const;

    // Selection, focus and check boxes.
    unsigned GetItemState(int row, unsigned mask) const;
    bool SetItemState(int row, unsigned state, unsigned mask);
    int GetNextItem(int start, unsigned flags) const;
    int GetFirstSelectedItem() const { return GetNextItem(-1, LVNI_SELECTED); }
    int GetSelectedCount() const;
    int GetSelectionMark() const;
    bool GetCheck(int row) const;
    bool SetCheck(int row, bool checked = true);
    bool EnsureVisible(int row);

    // Styles.
    std::uint32_t GetExtendedStyle() const { return m_exStyle; }
    virtual std::uint32_t SetExtendedStyle(std::uint32_t style);
    std::uint32_t GetListStyle() const { return m_style; }
    void ModifyListStyle(std::uint32_t remove, std::uint32_t add);

    // Whether the heading's sections act as buttons (clicks reach the list).
    void SetHeaderButtons(bool on);
    bool HasHeaderButtons() const;

    bool ValidRow(int row) const { return row >= 0 && row < rowCount(); }
    bool ValidColumn(int column) const { return column >= 0 && column < columnCount(); }

    // As wide as the columns need (no wider than the screen allows).
    QSize sizeHint() const override;

protected:
    // Cell item, created on demand.
    QTableWidgetItem* Cell(int row, int column);
    void ApplyStyles();
    bool viewportEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // How a column's width is given.
    struct ColumnRule {
        enum Kind { Contents, Pixels, Sample, Fill };
        Kind kind = Contents;
        int pixels = 0;  // Pixels: width at the default font; Sample: pad; Fill: margin
        QString sample;
        int dragged = -1;  // width the user (or code, through Qt) set on the shown column
    };
    void FitChangedCells(const QModelIndex& topLeft, const QModelIndex& bottomRight);
    int GivenWidth(int column) const;
    int ScaledBase(int column) const;

    std::uint32_t m_exStyle = 0;
    std::uint32_t m_style = 0;
    std::vector<ColumnRule> m_rules;  // one per column
    bool m_fitting = false;
    QTimer m_fitTimer;
    int m_neededTotal = -1;  // the columns' widths before spare width was shared out, at the last fit
};
