#include "controls/ListCtrl.h"

#include <QFontMetrics>
#include <QHeaderView>

namespace {
constexpr int kItemDataRole = Qt::UserRole + 1;

Qt::Alignment AlignmentOf(int format) {
    switch (format & 0x3) {
        case LVCFMT_RIGHT:
            return Qt::AlignRight | Qt::AlignVCenter;
        case LVCFMT_CENTER:
            return Qt::AlignHCenter | Qt::AlignVCenter;
        default:
            return Qt::AlignLeft | Qt::AlignVCenter;
    }
}
}  // namespace

CListCtrl::CListCtrl(QWidget* parent) : QTableWidget(parent) {
    setSortingEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setSectionsClickable(true);
    ApplyStyles();
}

CListCtrl::~CListCtrl() = default;

int CListCtrl::InsertColumn(int column, const QString& heading, int format, int width, int /*subItem*/) {
    if (column < 0) {
        return -1;
    }
    if (column > columnCount()) {
        column = columnCount();
    }
    insertColumn(column);
    auto* head = new QTableWidgetItem(heading);
    head->setTextAlignment(AlignmentOf(format));
    head->setData(Qt::UserRole, format);
    setHorizontalHeaderItem(column, head);
    if (width >= 0) {
        setColumnWidth(column, width);
    }
    return column;
}

bool CListCtrl::DeleteColumn(int column) {
    if (!ValidColumn(column)) {
        return false;
    }
    removeColumn(column);
    return true;
}

int CListCtrl::GetColumnWidth(int column) const {
    return ValidColumn(column) ? columnWidth(column) : 0;
}

bool CListCtrl::SetColumnWidth(int column, int width) {
    if (!ValidColumn(column) || width < 0) {
        return false;
    }
    setColumnWidth(column, width);
    return true;
}

int CListCtrl::GetStringWidth(const QString& text) const {
    return fontMetrics().horizontalAdvance(text);
}

QTableWidgetItem* CListCtrl::Cell(int row, int column) {
    QTableWidgetItem* it = item(row, column);
    if (it == nullptr) {
        it = new QTableWidgetItem();
        const QTableWidgetItem* head = horizontalHeaderItem(column);
        if (head != nullptr) {
            it->setTextAlignment(AlignmentOf(head->data(Qt::UserRole).toInt()));
        }
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (column == 0 && (m_exStyle & LVS_EX_CHECKBOXES) != 0) {
            flags |= Qt::ItemIsUserCheckable;
            it->setCheckState(Qt::Unchecked);
        }
        it->setFlags(flags);
        setItem(row, column, it);
    }
    return it;
}

int CListCtrl::InsertItem(int row, const QString& text) {
    if (row < 0 || columnCount() == 0) {
        return -1;
    }
    if (row > rowCount()) {
        row = rowCount();
    }
    insertRow(row);
    Cell(row, 0)->setText(text);
    return row;
}

bool CListCtrl::SetItemText(int row, int column, const QString& text) {
    if (!ValidRow(row) || !ValidColumn(column)) {
        return false;
    }
    Cell(row, column)->setText(text);
    return true;
}

QString CListCtrl::GetItemText(int row, int column) const {
    const QTableWidgetItem* it = ValidRow(row) && ValidColumn(column) ? item(row, column) : nullptr;
    return it != nullptr ? it->text() : QString();
}

bool CListCtrl::DeleteItem(int row) {
    if (!ValidRow(row)) {
        return false;
    }
    removeRow(row);
    return true;
}

bool CListCtrl::DeleteAllItems() {
    setRowCount(0);
    return true;
}

bool CListCtrl::SetItemData(int row, std::uintptr_t data) {
    if (!ValidRow(row) || columnCount() == 0) {
        return false;
    }
    Cell(row, 0)->setData(kItemDataRole, QVariant::fromValue<qulonglong>(data));
    return true;
}

std::uintptr_t CListCtrl::GetItemData(int row) const {
    const QTableWidgetItem* it = ValidRow(row) && columnCount() > 0 ? item(row, 0) : nullptr;
    return it != nullptr ? static_cast<std::uintptr_t>(it->data(kItemDataRole).toULongLong()) : 0;
}

unsigned CListCtrl::GetItemState(int row, unsigned mask) const {
    if (!ValidRow(row)) {
        return 0;
    }
    unsigned state = 0;
    if ((mask & LVIS_SELECTED) != 0 && selectionModel()->isRowSelected(row, QModelIndex())) {
        state |= LVIS_SELECTED;
    }
    if ((mask & LVIS_FOCUSED) != 0 && currentIndex().isValid() && currentIndex().row() == row) {
        state |= LVIS_FOCUSED;
    }
    return state;
}

bool CListCtrl::SetItemState(int row, unsigned state, unsigned mask) {
    if (!ValidRow(row) || columnCount() == 0) {
        return false;
    }
    QItemSelectionModel* sel = selectionModel();
    const QModelIndex index = model()->index(row, 0);
    if ((mask & LVIS_FOCUSED) != 0) {
        if ((state & LVIS_FOCUSED) != 0) {
            sel->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        } else if (currentIndex().isValid() && currentIndex().row() == row) {
            sel->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        }
    }
    if ((mask & LVIS_SELECTED) != 0) {
        const auto how =
            (state & LVIS_SELECTED) != 0 ? QItemSelectionModel::Select : QItemSelectionModel::Deselect;
        sel->select(index, how | QItemSelectionModel::Rows);
    }
    return true;
}

int CListCtrl::GetNextItem(int start, unsigned flags) const {
    for (int row = start < 0 ? 0 : start + 1; row < rowCount(); ++row) {
        if ((flags & LVNI_SELECTED) != 0 && (GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED) == 0) {
            continue;
        }
        if ((flags & LVNI_FOCUSED) != 0 && (GetItemState(row, LVIS_FOCUSED) & LVIS_FOCUSED) == 0) {
            continue;
        }
        return row;
    }
    return -1;
}

int CListCtrl::GetSelectedCount() const {
    return static_cast<int>(selectionModel()->selectedRows().size());
}

int CListCtrl::GetSelectionMark() const {
    return currentIndex().isValid() ? currentIndex().row() : -1;
}

bool CListCtrl::GetCheck(int row) const {
    const QTableWidgetItem* it = ValidRow(row) && columnCount() > 0 ? item(row, 0) : nullptr;
    return it != nullptr && (it->flags() & Qt::ItemIsUserCheckable) && it->checkState() == Qt::Checked;
}

bool CListCtrl::SetCheck(int row, bool checked) {
    if (!ValidRow(row) || columnCount() == 0 || (m_exStyle & LVS_EX_CHECKBOXES) == 0) {
        return false;
    }
    Cell(row, 0)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    return true;
}

bool CListCtrl::EnsureVisible(int row) {
    if (!ValidRow(row) || columnCount() == 0) {
        return false;
    }
    scrollTo(model()->index(row, 0));
    return true;
}

std::uint32_t CListCtrl::SetExtendedStyle(std::uint32_t style) {
    const std::uint32_t old = m_exStyle;
    m_exStyle = style;
    ApplyStyles();
    if (((old ^ style) & LVS_EX_CHECKBOXES) != 0) {
        // Check boxes come and go with the style on the existing rows.
        for (int row = 0; row < rowCount() && columnCount() > 0; ++row) {
            QTableWidgetItem* it = Cell(row, 0);
            if ((style & LVS_EX_CHECKBOXES) != 0) {
                it->setFlags(it->flags() | Qt::ItemIsUserCheckable);
                it->setCheckState(Qt::Unchecked);
            } else {
                it->setFlags(it->flags() & ~Qt::ItemIsUserCheckable);
                it->setData(Qt::CheckStateRole, QVariant());
            }
        }
    }
    return old;
}

void CListCtrl::ModifyListStyle(std::uint32_t remove, std::uint32_t add) {
    m_style = (m_style & ~remove) | add;
    ApplyStyles();
}

void CListCtrl::SetHeaderButtons(bool on) {
    horizontalHeader()->setSectionsClickable(on);
}

bool CListCtrl::HasHeaderButtons() const {
    return horizontalHeader()->sectionsClickable();
}

void CListCtrl::ApplyStyles() {
    setShowGrid((m_exStyle & LVS_EX_GRIDLINES) != 0);
    setSelectionMode((m_style & LVS_SINGLESEL) != 0 ? QAbstractItemView::SingleSelection
                                                    : QAbstractItemView::ExtendedSelection);
    horizontalHeader()->setVisible((m_style & LVS_NOCOLUMNHEADER) == 0);
}
