#include "controls/ReportCtrl.h"

#include "platform/ui/Dialog.h"

#include <QDateTime>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>

#include <cctype>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

// Paints each cell in the colours of its row record.
class ReportColorDelegate : public QStyledItemDelegate {
public:
    explicit ReportColorDelegate(CReportCtrl* list) : QStyledItemDelegate(list), m_list(list) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const CReportRowInfo* info = m_list->GetRowInfo(index.row());
        const auto col = static_cast<std::size_t>(index.column());
        if (info == nullptr || col >= info->textColors.size()) {
            return;
        }
        option->palette.setColor(QPalette::Text, info->textColors[col]);
        option->backgroundBrush = QBrush(info->backColors[col]);
    }

private:
    CReportCtrl* m_list;
};

std::string Utf8(const QString& s) {
    return s.toStdString();
}

// An unsigned base-16 number that is the whole text (leading blanks and a "0x" allowed, no sign).
bool ParseHex(const std::string& s, unsigned long long& value) {
    if (s.empty()) {
        return false;
    }
    std::size_t p = 0;
    while (p < s.size() && std::isspace(static_cast<unsigned char>(s[p])) != 0) {
        ++p;
    }
    if (p < s.size() && (s[p] == '-' || s[p] == '+')) {
        return false;  // a signed number is a decimal one
    }
    char* end = nullptr;
    value = std::strtoull(s.c_str(), &end, 16);
    return end != s.c_str() && *end == '\0';
}

// A decimal number that is the whole text, or followed by exactly one "%". Locale-independent.
bool ParseDecimal(const std::string& s, double& value) {
    if (s.empty()) {
        return false;
    }
    std::size_t p = 0;
    while (p < s.size() && std::isspace(static_cast<unsigned char>(s[p])) != 0) {
        ++p;
    }
    if (p + 1 < s.size() && s[p] == '+' && s[p + 1] != '-' && s[p + 1] != '+') {
        ++p;
    }
    const char* first = s.data() + p;
    const char* last = s.data() + s.size();
    const auto res = std::from_chars(first, last, value);
    if (res.ec != std::errc() || res.ptr == first) {
        return false;
    }
    return res.ptr == last || (res.ptr + 1 == last && *res.ptr == '%');
}

// A date and/or time in the user's locale, or in the common numeric forms.
bool ParseDate(const QString& text, QDateTime& value) {
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        return false;
    }
    const QLocale locale;
    for (auto fmt : {QLocale::ShortFormat, QLocale::LongFormat}) {
        value = locale.toDateTime(t, fmt);
        if (value.isValid()) {
            return true;
        }
        const QDate d = locale.toDate(t, fmt);
        if (d.isValid()) {
            value = QDateTime(d, QTime(0, 0));
            return true;
        }
        const QTime tm = locale.toTime(t, fmt);
        if (tm.isValid()) {
            value = QDateTime(QDate(1899, 12, 30), tm);
            return true;
        }
    }
    static const char* const kForms[] = {"yyyy-MM-dd hh:mm:ss", "yyyy-MM-dd hh:mm", "yyyy-MM-dd",
                                         "yyyy/MM/dd hh:mm:ss", "yyyy/MM/dd hh:mm", "yyyy/MM/dd",
                                         "MM/dd/yyyy hh:mm:ss", "MM/dd/yyyy",       "hh:mm:ss"};
    for (const char* form : kForms) {
        value = QDateTime::fromString(t, QString::fromLatin1(form));
        if (value.isValid()) {
            return true;
        }
        const QTime tm = QTime::fromString(t, QString::fromLatin1(form));
        if (tm.isValid()) {
            value = QDateTime(QDate(1899, 12, 30), tm);
            return true;
        }
    }
    return false;
}

template <typename T>
int Sign(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// Quicksort on row numbers, middle element as pivot. Bounded scans, so a comparator that is not a
// strict order (texts of mixed kinds) can only give an odd order, never run off the array.
template <typename Cmp>
void QuickSort(std::vector<int>& a, int lo, int hi, const Cmp& cmp) {
    while (lo < hi) {
        const int pivot = a[static_cast<std::size_t>(lo + (hi - lo) / 2)];
        int i = lo;
        int j = hi;
        while (i <= j) {
            while (i < hi && cmp(a[static_cast<std::size_t>(i)], pivot) < 0) {
                ++i;
            }
            while (j > lo && cmp(a[static_cast<std::size_t>(j)], pivot) > 0) {
                --j;
            }
            if (i <= j) {
                std::swap(a[static_cast<std::size_t>(i)], a[static_cast<std::size_t>(j)]);
                ++i;
                --j;
            }
        }
        // Recurse into the smaller side, loop on the larger.
        if (j - lo < hi - i) {
            QuickSort(a, lo, j, cmp);
            lo = i;
        } else {
            QuickSort(a, i, hi, cmp);
            hi = j;
        }
    }
}

}  // namespace

// ---- CButtonEx ----

CButtonEx::CButtonEx(CReportCtrl* list, QWidget* parent, int row, int column, bool radio,
                     const QString& caption)
    : QPushButton(caption, parent),
      m_nRow(row),
      m_nColumn(column),
      m_bRadio(radio ? 1 : 0),
      m_strCaption(caption),
      m_pList(list) {
    setCheckable(radio);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QAbstractButton::clicked, this, &CButtonEx::OnClicked);
}

void CButtonEx::nextCheckState() {
    // A radio-style button only ever turns itself on.
    setChecked(true);
}

void CButtonEx::OnClicked() {
    if (m_pList == nullptr) {
        return;
    }
    m_pList->Notify(m_bRadio != 0 ? WM_REPORT_BUTTON_CHECKED : WM_REPORT_BUTTON_CLICKED,
                    static_cast<ksx::WPARAM>(m_nRow), static_cast<ksx::LPARAM>(m_nColumn));
}

// ---- CReportCtrl ----

CReportCtrl::CReportCtrl(QWidget* parent) : CListCtrl(parent) {
    setItemDelegate(new ReportColorDelegate(this));
    CListCtrl::SetExtendedStyle(LVS_EX_SUBITEMIMAGES);

    // Row records follow the rows and their colour pairs follow the columns, whichever operation
    // inserts or removes them.
    QAbstractItemModel* m = model();
    connect(m, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first, int last) {
        for (int r = first; r <= last; ++r) {
            auto info = std::make_unique<CReportRowInfo>();
            info->textColors.assign(static_cast<std::size_t>(columnCount()), palette().color(QPalette::Text));
            info->backColors.assign(static_cast<std::size_t>(columnCount()), palette().color(QPalette::Base));
            m_rows.insert(m_rows.begin() + r, std::move(info));
        }
        ResetSortState();
    });
    connect(m, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int last) {
                m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
            });
    connect(m, &QAbstractItemModel::columnsInserted, this, [this](const QModelIndex&, int first, int last) {
        const int n = last - first + 1;
        for (auto& info : m_rows) {
            info->textColors.insert(info->textColors.begin() + first, static_cast<std::size_t>(n),
                                    palette().color(QPalette::Text));
            info->backColors.insert(info->backColors.begin() + first, static_cast<std::size_t>(n),
                                    palette().color(QPalette::Base));
        }
    });
    connect(
        m, &QAbstractItemModel::columnsAboutToBeRemoved, this,
        [this](const QModelIndex&, int first, int last) {
            for (auto& info : m_rows) {
                info->textColors.erase(info->textColors.begin() + first, info->textColors.begin() + last + 1);
                info->backColors.erase(info->backColors.begin() + first, info->backColors.begin() + last + 1);
            }
        });
    connect(m, &QAbstractItemModel::rowsRemoved, this, [this] { RepositionButtons(); });

    QHeaderView* head = horizontalHeader();
    connect(head, &QHeaderView::sectionClicked, this, &CReportCtrl::OnColumnClick);
    connect(head, &QHeaderView::sectionResized, this, [this] { RepositionButtons(); });
    // A double click on a divider keeps the column's width.
    disconnect(head, SIGNAL(sectionHandleDoubleClicked(int)), this, SLOT(resizeColumnToContents(int)));
}

CReportCtrl::~CReportCtrl() {
    for (auto& info : m_buttons) {
        for (auto& b : info.buttons) {
            delete b.data();
        }
    }
}

bool CReportCtrl::Create(ksx::CDialog* parent, int id, const QRect& rect) {
    if (parent == nullptr) {
        return false;
    }
    QWidget* client = parent->Client();
    setParent(client);
    setGeometry(rect.isEmpty() ? client->rect() : rect);
    parent->RegisterControl(id, this);
    // Report view, no label editing, scroll bars as needed; the extended style is kept.
    SetExtendedStyle(GetExtendedStyle());
    show();
    return true;
}

ksx::IMessageTarget* CReportCtrl::MessageTarget() const {
    if (m_pTarget != nullptr) {
        return m_pTarget;
    }
    for (QWidget* w = parentWidget(); w != nullptr; w = w->parentWidget()) {
        if (auto* target = dynamic_cast<ksx::IMessageTarget*>(w)) {
            return target;
        }
    }
    return nullptr;
}

ksx::LRESULT CReportCtrl::Notify(unsigned msg, ksx::WPARAM wParam, ksx::LPARAM lParam) {
    ksx::IMessageTarget* target = MessageTarget();
    return target != nullptr ? target->SendMessage(msg, wParam, lParam) : 0;
}

void CReportCtrl::ResetSortState() {
    m_nSortColumn = -1;
    m_bSortAscending = 1;
}

int CReportCtrl::InsertColumn(int column, const QString& heading, int format, int width, int subItem) {
    // The colour pairs are inserted by the model hook.
    return CListCtrl::InsertColumn(column, heading, format, width, subItem);
}

int CReportCtrl::InsertItem(int row, const QString& text) {
    ResetSortState();
    const int index = CListCtrl::InsertItem(row, text);
    if (index >= 0) {
        m_rows[static_cast<std::size_t>(index)]->userData = 0;
    }
    return index;
}

bool CReportCtrl::SetItemText(int row, int column, const QString& text) {
    ResetSortState();
    return CListCtrl::SetItemText(row, column, text);
}

bool CReportCtrl::SetItemInt(int row, int column, int value) {
    return SetItemText(row, column, QString::number(value));
}

std::uint32_t CReportCtrl::SetExtendedStyle(std::uint32_t style) {
    return CListCtrl::SetExtendedStyle(style | LVS_EX_SUBITEMIMAGES);
}

unsigned CReportCtrl::RowStateWord(int row) const {
    const unsigned st = GetItemState(row, LVIS_SELECTED | LVIS_FOCUSED);
    unsigned word = (st & LVIS_SELECTED) != 0 ? RC_ITEM_SELECTED : RC_ITEM_UNSELECTED;
    word |= GetCheck(row) ? RC_ITEM_CHECKED : RC_ITEM_UNCHECKED;
    word |= (st & LVIS_FOCUSED) != 0 ? RC_ITEM_FOCUSED : RC_ITEM_UNFOCUSED;
    return word;
}

bool CReportCtrl::ExamItemStates(int row, unsigned flags) const {
    if (!ValidRow(row) || flags == 0) {
        return false;
    }
    if (flags == RC_ITEM_ALL) {
        return true;
    }
    return (RowStateWord(row) & flags) == flags;
}

bool CReportCtrl::SetItemStates(int row, unsigned flags) {
    if (!ValidRow(row)) {
        return false;
    }
    if ((flags & RC_ITEM_SELECTED) != 0) {
        SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
    }
    if ((flags & RC_ITEM_UNSELECTED) != 0) {
        SetItemState(row, 0, LVIS_SELECTED);
    }
    if ((flags & RC_ITEM_CHECKED) != 0) {
        CListCtrl::SetCheck(row, true);
    }
    if ((flags & RC_ITEM_UNCHECKED) != 0) {
        CListCtrl::SetCheck(row, false);
    }
    if ((flags & RC_ITEM_FOCUSED) != 0) {
        SetItemState(row, LVIS_FOCUSED, LVIS_FOCUSED);
    }
    if ((flags & RC_ITEM_UNFOCUSED) != 0) {
        SetItemState(row, 0, LVIS_FOCUSED);
    }
    return true;
}

int CReportCtrl::GetItemCount(unsigned flags) const {
    if (flags == RC_ITEM_ALL) {
        return rowCount();
    }
    int n = 0;
    for (int row = 0; row < rowCount(); ++row) {
        if (ExamItemStates(row, flags)) {
            ++n;
        }
    }
    return n;
}

int CReportCtrl::DeleteItems(unsigned flags) {
    setUpdatesEnabled(false);
    int result = 0;
    if ((flags & RC_ITEM_ALL) != 0) {
        result = rowCount();
        DeleteAllItems();
    } else {
        for (int row = rowCount() - 1; row >= 0; --row) {
            if (ExamItemStates(row, flags)) {
                DeleteItem(row);
                ++result;
            }
        }
    }
    setUpdatesEnabled(true);
    return result;
}

const CReportRowInfo* CReportCtrl::GetRowInfo(int row) const {
    return row >= 0 && static_cast<std::size_t>(row) < m_rows.size()
               ? m_rows[static_cast<std::size_t>(row)].get()
               : nullptr;
}

bool CReportCtrl::SetItemTextColor(int row, int column, const QColor& color) {
    if (!ValidRow(row) || !ValidColumn(column)) {
        return false;
    }
    m_rows[static_cast<std::size_t>(row)]->textColors[static_cast<std::size_t>(column)] = color;
    viewport()->update(visualRect(model()->index(row, column)));
    return true;
}

bool CReportCtrl::SetItemBkColor(int row, int column, const QColor& color) {
    if (!ValidRow(row) || !ValidColumn(column)) {
        return false;
    }
    m_rows[static_cast<std::size_t>(row)]->backColors[static_cast<std::size_t>(column)] = color;
    viewport()->update(visualRect(model()->index(row, column)));
    return true;
}

QColor CReportCtrl::GetItemTextColor(int row, int column) const {
    const CReportRowInfo* info = GetRowInfo(row);
    return info != nullptr && ValidColumn(column) ? info->textColors[static_cast<std::size_t>(column)]
                                                  : QColor();
}

QColor CReportCtrl::GetItemBkColor(int row, int column) const {
    const CReportRowInfo* info = GetRowInfo(row);
    return info != nullptr && ValidColumn(column) ? info->backColors[static_cast<std::size_t>(column)]
                                                  : QColor();
}

// ---- cell buttons ----

int CReportCtrl::SetItemButton(int row, int column, CReportButtonCell cell) {
    if (!ValidRow(row) || !ValidColumn(column) || GetColumnWidth(column) <= 4 ||
        (cell.state != 0 && cell.state != 1)) {
        return 0;
    }
    return CreateItemButton(row, column, cell) ? 1 : 0;
}

bool CReportCtrl::CreateItemButton(int row, int column, const CReportButtonCell& cell) {
    if (GetItemButton(row, column) != nullptr) {
        return false;
    }
    auto* button = new CButtonEx(this, viewport(), row, column, cell.state != 0, cell.caption);
    button->setFont(font());
    button->installEventFilter(this);
    CButtonInfo info;
    info.row = row;
    info.column = column;
    info.buttons.emplace_back(button);
    m_buttons.push_back(std::move(info));
    PlaceButton(button, row, column);
    return true;
}

CButtonEx* CReportCtrl::GetItemButton(int row, int column) const {
    for (const auto& info : m_buttons) {
        if (info.row == row && info.column == column && !info.buttons.empty()) {
            return info.buttons.front().data();
        }
    }
    return nullptr;
}

int CReportCtrl::DeleteItemButton(int row, int column, int state) {
    int result = 0;
    if (state == 0 || state == 1) {
        for (auto it = m_buttons.begin(); it != m_buttons.end(); ++it) {
            if (it->row == row && it->column == column) {
                for (auto& b : it->buttons) {
                    if (b != nullptr) {
                        // The button may be the one whose click is being handled right now.
                        b->hide();
                        b->deleteLater();
                    }
                }
                m_buttons.erase(it);
                break;
            }
        }
        result = 1;
    }
    viewport()->update();
    return result;
}

int CReportCtrl::SetCheck(int row, int column, int state) {
    int found = 0;
    for (auto& info : m_buttons) {
        if (info.row == row && info.column == column) {
            for (auto& b : info.buttons) {
                if (b != nullptr) {
                    b->setChecked(state != 0);
                    found = 1;
                }
            }
        }
    }
    return found;
}

void CReportCtrl::PlaceButton(CButtonEx* button, int row, int column) {
    if (!ValidRow(row) || !ValidColumn(column)) {
        // The cell is gone (rows deleted): keep the button out of sight until it is removed.
        button->hide();
        return;
    }
    const QRect cell = visualRect(model()->index(row, column));
    button->setGeometry(cell);
    button->setVisible(cell.intersects(viewport()->rect()));
}

int CReportCtrl::CellContentWidth(int row, int column) const {
    int need = CListCtrl::CellContentWidth(row, column);
    // A cell's button covers the cell: the column must show its caption, and the grid line takes a
    // pixel of the column.
    if (const CButtonEx* button = GetItemButton(row, column)) {
        need = std::max(need, button->sizeHint().width() + (showGrid() ? 1 : 0));
    }
    return need;
}

void CReportCtrl::RepositionButtons() {
    for (auto& info : m_buttons) {
        if (info.buttons.empty() || info.buttons.front() == nullptr) {
            continue;
        }
        PlaceButton(info.buttons.front().data(), info.row, info.column);
        info.buttons.front()->update();
    }
}

void CReportCtrl::resizeEvent(QResizeEvent* event) {
    CListCtrl::resizeEvent(event);
    RepositionButtons();
}

void CReportCtrl::scrollContentsBy(int dx, int dy) {
    CListCtrl::scrollContentsBy(dx, dy);
    RepositionButtons();
}

// ---- keys and mouse ----

bool CReportCtrl::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        return true;  // Space does nothing on a cell button either
    }
    return CListCtrl::eventFilter(watched, event);
}

void CReportCtrl::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space) {
        event->accept();
        return;
    }
    CListCtrl::keyPressEvent(event);
}

void CReportCtrl::MouseAndCheck(QMouseEvent* event, unsigned message,
                                void (CReportCtrl::*base)(QMouseEvent*)) {
    const int row = rowAt(event->position().toPoint().y());
    const bool before = ValidRow(row) && GetCheck(row);
    (this->*base)(event);
    if ((GetExtendedStyle() & LVS_EX_CHECKBOXES) == 0 || !ValidRow(row) || GetCheck(row) == before) {
        return;
    }
    for (int r = GetNextItem(-1, LVNI_SELECTED); r >= 0; r = GetNextItem(r, LVNI_SELECTED)) {
        SetItemState(r, 0, LVIS_SELECTED);
    }
    SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    Notify(WM_REPORT_CHECK_CHANGED, static_cast<ksx::WPARAM>(row), static_cast<ksx::LPARAM>(message));
}

namespace {
unsigned MouseMessage(Qt::MouseButton button, unsigned left, unsigned right, unsigned middle) {
    switch (button) {
        case Qt::RightButton:
            return right;
        case Qt::MiddleButton:
            return middle;
        default:
            return left;
    }
}
}  // namespace

void CReportCtrl::mousePressEvent(QMouseEvent* event) {
    MouseAndCheck(event, MouseMessage(event->button(), WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN),
                  &CReportCtrl::BaseMousePress);
}

void CReportCtrl::mouseReleaseEvent(QMouseEvent* event) {
    // Qt toggles a check box when the button is released.
    MouseAndCheck(event, MouseMessage(event->button(), WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP),
                  &CReportCtrl::BaseMouseRelease);
}

void CReportCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    MouseAndCheck(event, MouseMessage(event->button(), WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK),
                  &CReportCtrl::BaseMouseDoubleClick);
}

// ---- sorting ----

int CReportCtrl::CompareCells(const QString& a, const QString& b) {
    const std::string sa = Utf8(a);
    const std::string sb = Utf8(b);
    unsigned long long ha = 0;
    unsigned long long hb = 0;
    if (ParseHex(sa, ha) && ParseHex(sb, hb)) {
        return Sign(ha, hb);
    }
    double da = 0;
    double db = 0;
    if (ParseDecimal(sa, da) && ParseDecimal(sb, db)) {
        return Sign(da, db);
    }
    QDateTime ta;
    QDateTime tb;
    if (ParseDate(a, ta) && ParseDate(b, tb)) {
        return Sign(ta, tb);
    }
    const int c = std::strcmp(sa.c_str(), sb.c_str());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

void CReportCtrl::OnColumnClick(int column) {
    const bool ascending = column != m_nSortColumn || m_bSortAscending == 0;
    SortItems(column, ascending);
}

void CReportCtrl::SortItems(int column, bool ascending) {
    if (!ValidColumn(column) || (GetListStyle() & LVS_NOCOLUMNHEADER) != 0 || !HasHeaderButtons()) {
        return;
    }
    m_nSortColumn = column;
    m_bSortAscending = ascending ? 1 : 0;
    SortRun(0, rowCount() - 1);
    Notify(WM_REPORT_SORTED, static_cast<ksx::WPARAM>(column), ascending ? 1 : 0);
}

void CReportCtrl::SortRun(int first, int last) {
    if (first >= last || !ValidRow(first) || !ValidRow(last)) {
        return;
    }
    const int column = m_nSortColumn;
    std::vector<QString> keys;
    std::vector<int> order;
    for (int r = first; r <= last; ++r) {
        keys.push_back(GetItemText(r, column));
        order.push_back(r);
    }
    const bool ascending = m_bSortAscending != 0;
    const auto cmp = [&](int x, int y) {
        const int c = CompareCells(keys[static_cast<std::size_t>(x - first)],
                                   keys[static_cast<std::size_t>(y - first)]);
        return ascending ? c : -c;
    };
    QuickSort(order, 0, static_cast<int>(order.size()) - 1, cmp);

    struct Snapshot {
        unsigned states = 0;
        std::unique_ptr<CReportRowInfo> info;
        std::uintptr_t data = 0;
        std::vector<QString> texts;
    };
    std::vector<Snapshot> snaps;
    snaps.reserve(order.size());
    for (int r : order) {
        Snapshot s;
        s.states = RowStateWord(r);
        s.info = std::move(m_rows[static_cast<std::size_t>(r)]);
        s.data = GetItemData(r);
        for (int c = 0; c < columnCount(); ++c) {
            s.texts.push_back(GetItemText(r, c));
        }
        snaps.push_back(std::move(s));
    }
    setUpdatesEnabled(false);
    for (std::size_t k = 0; k < snaps.size(); ++k) {
        const int r = first + static_cast<int>(k);
        SetItemStates(r, snaps[k].states);
        m_rows[static_cast<std::size_t>(r)] = std::move(snaps[k].info);
        CListCtrl::SetItemData(r, snaps[k].data);
        for (int c = 0; c < columnCount(); ++c) {
            CListCtrl::SetItemText(r, c, snaps[k].texts[static_cast<std::size_t>(c)]);
        }
    }
    setUpdatesEnabled(true);
    viewport()->update();
}
