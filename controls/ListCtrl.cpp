#include "controls/ListCtrl.h"

#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHeaderView>
#include <QHelpEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStyleOptionViewItem>
#include <QToolTip>
#include <algorithm>
#include <cmath>

namespace {
constexpr int kItemDataRole = Qt::UserRole + 1;
// How long after a text that needs a wider column the columns are fitted again.
constexpr int kFitDelayMs = 50;

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

    m_fitTimer.setSingleShot(true);
    m_fitTimer.setInterval(kFitDelayMs);
    connect(&m_fitTimer, &QTimer::timeout, this, [this] { FitColumns(); });

    // The column rules follow the model's columns, however they were inserted.
    QAbstractItemModel* m = model();
    connect(m, &QAbstractItemModel::columnsInserted, this, [this](const QModelIndex&, int first, int last) {
        m_rules.insert(m_rules.begin() + first, static_cast<size_t>(last - first + 1), ColumnRule());
    });
    connect(m, &QAbstractItemModel::columnsRemoved, this, [this](const QModelIndex&, int first, int last) {
        m_rules.erase(m_rules.begin() + first, m_rules.begin() + last + 1);
        FitColumns();
    });
    // A new text may need a wider column (checked at once, cell by cell: no queued work).
    connect(m, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
                FitChangedCells(topLeft, bottomRight);
            });
    connect(m, &QAbstractItemModel::headerDataChanged, this, [this] { FitColumns(); });
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int size) {
        // A width set on the shown column from outside (a drag, Qt's own calls) is kept.
        if (!m_fitting && column >= 0 && column < static_cast<int>(m_rules.size())) {
            m_rules[static_cast<size_t>(column)].dragged = size;
        }
    });
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
        ColumnRule& rule = m_rules[static_cast<size_t>(column)];
        rule.kind = ColumnRule::Pixels;
        rule.pixels = width;
    }
    FitColumns();
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
    return ValidColumn(column) ? GivenWidth(column) : 0;
}

bool CListCtrl::SetColumnWidth(int column, int width) {
    if (!ValidColumn(column) || width < 0) {
        return false;
    }
    ColumnRule& rule = m_rules[static_cast<size_t>(column)];
    rule = ColumnRule();
    rule.kind = ColumnRule::Pixels;
    rule.pixels = width;
    FitColumns();
    return true;
}

bool CListCtrl::SetColumnSample(int column, const QString& sample, int pad) {
    if (!ValidColumn(column)) {
        return false;
    }
    ColumnRule& rule = m_rules[static_cast<size_t>(column)];
    rule = ColumnRule();
    rule.kind = ColumnRule::Sample;
    rule.sample = sample;
    rule.pixels = pad;
    FitColumns();
    return true;
}

bool CListCtrl::SetColumnFill(int column, int margin) {
    if (!ValidColumn(column)) {
        return false;
    }
    ColumnRule& rule = m_rules[static_cast<size_t>(column)];
    rule = ColumnRule();
    rule.kind = ColumnRule::Fill;
    rule.pixels = margin;
    FitColumns();
    return true;
}

int CListCtrl::GetStringWidth(const QString& text) const {
    return fontMetrics().horizontalAdvance(text);
}

double CListCtrl::FontScale() const {
    // The default font is the desktop's general font, whatever the application font was set to.
    const QFont base = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    const QFont now = font();
    double scale = 1.0;
    if (base.pointSizeF() > 0 && now.pointSizeF() > 0) {
        scale = now.pointSizeF() / base.pointSizeF();
    } else {
        const double was = QFontMetricsF(base).height();
        scale = was > 0 ? QFontMetricsF(now).height() / was : 1.0;
    }
    return std::max(1.0, scale);
}

int CListCtrl::GivenWidth(int column) const {
    const ColumnRule& rule = m_rules[static_cast<size_t>(column)];
    switch (rule.kind) {
        case ColumnRule::Pixels:
            return rule.pixels;
        case ColumnRule::Sample:
            return GetStringWidth(rule.sample) + rule.pixels;
        case ColumnRule::Fill: {
            int others = 0;
            for (int c = 0; c < columnCount(); ++c) {
                if (c != column && m_rules[static_cast<size_t>(c)].kind != ColumnRule::Fill) {
                    others += GivenWidth(c);
                }
            }
            return std::max(0, width() - others - rule.pixels);
        }
        case ColumnRule::Contents:
            break;
    }
    return columnWidth(column);
}

int CListCtrl::ScaledBase(int column) const {
    const ColumnRule& rule = m_rules[static_cast<size_t>(column)];
    switch (rule.kind) {
        case ColumnRule::Pixels:
            return static_cast<int>(std::lround(rule.pixels * FontScale()));
        case ColumnRule::Sample:
            return GetStringWidth(rule.sample) + rule.pixels;
        case ColumnRule::Fill:
        case ColumnRule::Contents:
            break;
    }
    return 0;
}

int CListCtrl::CellCap(int column) const {
    // About fifty characters, or half the screen when that is less; never below the given width.
    int cap = 50 * fontMetrics().averageCharWidth();
    if (const QScreen* s = screen()) {
        cap = std::min(cap, s->availableGeometry().width() / 2);
    }
    return std::max(cap, ValidColumn(column) ? ScaledBase(column) : 0);
}

int CListCtrl::CellContentWidth(int row, int column) const {
    const QModelIndex index = model()->index(row, column);
    if (!index.isValid() || item(row, column) == nullptr) {
        return 0;
    }
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    // One pixel for the grid line.
    return itemDelegateForIndex(index)->sizeHint(option, index).width() + (showGrid() ? 1 : 0);
}

int CListCtrl::NeededColumnWidth(int column) const {
    if (!ValidColumn(column)) {
        return 0;
    }
    int need = std::max(ScaledBase(column), horizontalHeader()->sectionSizeHint(column));
    // Rows past the first thousand are not measured (their cells keep their tooltips).
    const int rows = std::min(rowCount(), 1000);
    int cells = 0;
    for (int r = 0; r < rows; ++r) {
        cells = std::max(cells, CellContentWidth(r, column));
    }
    return std::max(need, std::min(cells, CellCap(column)));
}

QString CListCtrl::CellToolTip(int row, int column) const {
    const QTableWidgetItem* it = ValidRow(row) && ValidColumn(column) ? item(row, column) : nullptr;
    if (it == nullptr || it->text().isEmpty()) {
        return {};
    }
    return CellContentWidth(row, column) > columnWidth(column) ? it->text() : QString();
}

void CListCtrl::FitChangedCells(const QModelIndex& topLeft, const QModelIndex& bottomRight) {
    if (m_fitting || static_cast<int>(m_rules.size()) != columnCount()) {
        return;
    }
    // Only a text that needs more than its column shows (and may still get) sets the widths again.
    for (int c = std::max(topLeft.column(), 0); c <= bottomRight.column() && c < columnCount(); ++c) {
        if (m_rules[static_cast<size_t>(c)].dragged >= 0) {
            continue;
        }
        const int shown = columnWidth(c);
        if (shown >= CellCap(c)) {
            continue;
        }
        for (int r = std::max(topLeft.row(), 0); r <= bottomRight.row() && r < rowCount(); ++r) {
            if (CellContentWidth(r, c) > shown) {
                // Once the texts of this batch are in: a list filled row by row is fitted once.
                if (!m_fitTimer.isActive()) {
                    m_fitTimer.start();
                }
                return;
            }
        }
    }
}

void CListCtrl::FitColumns() {
    const int n = columnCount();
    if (m_fitting || n == 0 || static_cast<int>(m_rules.size()) != n) {
        return;
    }
    m_fitting = true;
    std::vector<int> widths(static_cast<size_t>(n));
    std::vector<int> growing;
    std::vector<int> fills;
    int total = 0;
    for (int c = 0; c < n; ++c) {
        const ColumnRule& rule = m_rules[static_cast<size_t>(c)];
        int& w = widths[static_cast<size_t>(c)];
        if (rule.dragged >= 0) {
            w = rule.dragged;
        } else {
            w = NeededColumnWidth(c);
            growing.push_back(c);
            if (rule.kind == ColumnRule::Fill) {
                fills.push_back(c);
            }
        }
        total += w;
    }
    // A shown list that needs more room widens its window, as far as the screen allows; past that it
    // scrolls.
    const int room = viewport()->width();
    if (total > room && isVisible() && window() != this) {
        QWidget* win = window();
        const QScreen* s = win->screen();
        const int most = s != nullptr ? s->availableGeometry().width() - 16 : win->width();
        const int wider = std::min(win->width() + total - room, most);
        if (wider > win->width()) {
            win->resize(wider, win->height());
        }
    }
    // The room left in the list goes to the columns that take the rest, else to all in proportion.
    const std::vector<int>& takers = fills.empty() ? growing : fills;
    if (total < room && !takers.empty()) {
        int extra = room - total;
        int weight = 0;
        for (int c : takers) {
            weight += fills.empty() ? std::max(widths[static_cast<size_t>(c)], 1) : 1;
        }
        int given = 0;
        for (size_t i = 0; i < takers.size(); ++i) {
            const int c = takers[i];
            const int share = fills.empty() ? std::max(widths[static_cast<size_t>(c)], 1) : 1;
            // The last one takes what rounding left.
            const int add = i + 1 == takers.size()
                                ? extra - given
                                : static_cast<int>(static_cast<long long>(extra) * share / weight);
            widths[static_cast<size_t>(c)] += add;
            given += add;
        }
    }
    for (int c = 0; c < n; ++c) {
        if (columnWidth(c) != widths[static_cast<size_t>(c)]) {
            setColumnWidth(c, widths[static_cast<size_t>(c)]);
        }
    }
    m_fitting = false;
    // The layout asks again only when what the columns need changed.
    if (total != m_neededTotal) {
        m_neededTotal = total;
        updateGeometry();
    }
}

QSize CListCtrl::sizeHint() const {
    QSize hint = QTableWidget::sizeHint();
    int width = 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
    if (m_neededTotal >= 0 && static_cast<int>(m_rules.size()) == columnCount()) {
        width += m_neededTotal;
    } else {
        for (int c = 0; c < columnCount(); ++c) {
            const int dragged = m_rules[static_cast<size_t>(c)].dragged;
            width += dragged >= 0 ? dragged : NeededColumnWidth(c);
        }
    }
    // A list wider than the screen scrolls instead.
    if (const QScreen* s = screen()) {
        width = std::min(width, s->availableGeometry().width() * 9 / 10);
    }
    hint.setWidth(std::max(width, minimumWidth()));
    return hint;
}

bool CListCtrl::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(help->pos());
        const QTableWidgetItem* it = index.isValid() ? item(index.row(), index.column()) : nullptr;
        if (it != nullptr && !it->data(Qt::ToolTipRole).isValid()) {
            const QString tip = CellToolTip(index.row(), index.column());
            if (tip.isEmpty()) {
                QToolTip::hideText();
                event->ignore();
            } else {
                QToolTip::showText(help->globalPos(), tip, viewport(), visualRect(index));
            }
            return true;
        }
    }
    const bool done = QTableWidget::viewportEvent(event);
    if (event->type() == QEvent::Resize) {
        FitColumns();
    }
    return done;
}

void CListCtrl::changeEvent(QEvent* event) {
    QTableWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
        FitColumns();
    }
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
