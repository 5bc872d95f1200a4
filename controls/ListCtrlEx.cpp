#include "controls/ListCtrlEx.h"

CListCtrlEx::CListCtrlEx(QWidget* parent) : CListCtrl(parent) {}

int CListCtrlEx::InsertColumn(const QString& heading, int column, int subItem, unsigned mask, int format) {
    const int sub = (mask & LVCF_SUBITEM) != 0 ? (subItem == -1 ? column : subItem) : -1;
    const int index = CListCtrl::InsertColumn(column, (mask & LVCF_TEXT) != 0 ? heading : QString(),
                                              (mask & LVCF_FMT) != 0 ? format : LVCFMT_LEFT, -1, sub);
    if (index >= 0 && (mask & LVCF_WIDTH) != 0) {
        // The heading's width in the list's own font, so it follows the font already.
        SetColumnSample(index, heading, 15);
    }
    return index;
}

int CListCtrlEx::SetItemTextEx(int item, int subItem, const QString& text, int /*image*/) {
    if (subItem == 0) {
        const int row = CListCtrl::InsertItem(item, text);
        if (row >= 0) {
            SetItemData(row, 0);
        }
        return row;
    }
    return SetItemText(item, subItem, text) ? 1 : 0;
}
