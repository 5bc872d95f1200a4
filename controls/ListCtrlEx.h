// The list control of the plain list dialogs: the report list plus a column sized to its heading and
// one call that fills a cell, inserting the row when the cell is in the first column.
#pragma once

#include "controls/ListCtrl.h"

class CListCtrlEx : public CListCtrl {
    Q_OBJECT
public:
    explicit CListCtrlEx(QWidget* parent = nullptr);

    using CListCtrl::InsertColumn;
    // A column as wide as the heading's text plus 15 pixels, so blanks padded into a heading widen it.
    // The sub-item index (mask LVCF_SUBITEM) is `subItem`, or `column` when `subItem` is -1.
    int InsertColumn(const QString& heading, int column, int subItem = -1,
                     unsigned mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM,
                     int format = LVCFMT_LEFT);

    // Sub-item 0 inserts a row at `item` with the text (returns the row or -1); any other sub-item sets
    // that cell of an existing row (returns 1 or 0). Only image -1 (none) is supported.
    int SetItemTextEx(int item, int subItem, const QString& text, int image = -1);
};
