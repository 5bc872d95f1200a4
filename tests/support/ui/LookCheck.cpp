#include "tests/support/ui/LookCheck.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QScrollBar>
#include <QSizeGrip>
#include <QTextEdit>

#include "controls/ListCtrl.h"
#include "tests/support/ui/DialogDriver.h"

namespace ksx::test {

namespace {

std::string Name(const QWidget* w) {
    QString text;
    if (auto* label = qobject_cast<const QLabel*>(w)) {
        text = label->text();
    } else if (auto* button = qobject_cast<const QAbstractButton*>(w)) {
        text = button->text();
    } else if (auto* group = qobject_cast<const QGroupBox*>(w)) {
        text = group->title();
    } else {
        text = w->objectName();
    }
    const int id = w->property("ksxId").toInt();
    return std::string(w->metaObject()->className()) + (id != 0 ? " #" + std::to_string(id) : "") +
           (text.isEmpty() ? "" : " '" + text.left(30).toStdString() + "'");
}

std::string Size(const QSize& s) {
    return std::to_string(s.width()) + "x" + std::to_string(s.height());
}

// Parts that a compound control lays out itself (a combo box's edit, a list's viewport and scroll bars).
bool InsideCompound(const QWidget* w, const QWidget* top) {
    for (const QWidget* p = w->parentWidget(); p != nullptr && p != top; p = p->parentWidget()) {
        if (qobject_cast<const QComboBox*>(p) || qobject_cast<const QAbstractSpinBox*>(p) ||
            qobject_cast<const QAbstractItemView*>(p) || qobject_cast<const QPlainTextEdit*>(p) ||
            qobject_cast<const QTextEdit*>(p)) {
            return true;
        }
    }
    return qobject_cast<const QScrollBar*>(w) != nullptr || qobject_cast<const QSizeGrip*>(w) != nullptr;
}

// The controls whose look is checked: texts, buttons, edits, lists, group boxes.
bool IsControl(const QWidget* w) {
    return qobject_cast<const QLabel*>(w) || qobject_cast<const QAbstractButton*>(w) ||
           qobject_cast<const QComboBox*>(w) || qobject_cast<const QGroupBox*>(w) ||
           qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QAbstractItemView*>(w) || qobject_cast<const QProgressBar*>(w) ||
           qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QTextEdit*>(w);
}

// The viewport of a scroll area holds a larger widget on purpose.
bool ScrolledBy(const QWidget* w) {
    const QWidget* parent = w->parentWidget();
    return parent != nullptr && qobject_cast<const QAbstractScrollArea*>(parent->parentWidget()) != nullptr &&
           static_cast<const QAbstractScrollArea*>(parent->parentWidget())->viewport() == parent;
}

void CheckControl(QWidget* w, QWidget* top, std::vector<std::string>& out) {
    const QSize need = w->minimumSizeHint();
    QSize have = w->size();
    if (need.isValid()) {
        int needHeight = need.height();
        if (w->hasHeightForWidth()) {
            needHeight = std::max(needHeight, w->heightForWidth(w->width()));
        }
        auto* label = qobject_cast<QLabel*>(w);
        const int needWidth = label != nullptr && label->wordWrap() ? 0 : need.width();
        if (have.width() < needWidth || have.height() < needHeight) {
            out.push_back("squeezed: " + Name(w) + " " + Size(have) + " < " +
                          Size(QSize(needWidth, needHeight)));
        }
    }
    QWidget* parent = w->parentWidget();
    if (parent != nullptr && parent != top && !ScrolledBy(w) && !parent->rect().contains(w->geometry())) {
        out.push_back("cut by its parent: " + Name(w) + " at " + std::to_string(w->x()) + "," +
                      std::to_string(w->y()) + " " + Size(have) + " in " + Size(parent->size()));
    }
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (edit->isReadOnly() && edit->isEnabled() &&
            edit->palette().color(QPalette::Base) == QApplication::palette().color(QPalette::Base)) {
            out.push_back("read-only edit looks editable: " + Name(w));
        }
    }
}

// A plain widget that only holds controls (a progress line, a strip): it covers what its controls cover.
bool IsHolder(const QWidget* w) {
    return w->metaObject() == &QWidget::staticMetaObject && !w->childrenRect().isEmpty();
}

QRect Covered(const QWidget* w) {
    return IsHolder(w) ? w->childrenRect().translated(w->pos()) & w->geometry() : w->geometry();
}

void CheckOverlaps(QWidget* parent, QWidget* top, std::vector<std::string>& out) {
    std::vector<QWidget*> kids;
    for (QObject* o : parent->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (w != nullptr && w->isVisible() && !w->isWindow() && (IsControl(w) || IsHolder(w)) &&
            !InsideCompound(w, top)) {
            kids.push_back(w);
        }
    }
    for (size_t i = 0; i < kids.size(); ++i) {
        for (size_t j = i + 1; j < kids.size(); ++j) {
            if (Covered(kids[i]).intersects(Covered(kids[j]))) {
                out.push_back("overlap: " + Name(kids[i]) + " and " + Name(kids[j]));
            }
        }
    }
}

void CheckList(CListCtrl* list, std::vector<std::string>& out) {
    const std::string name = Name(list);
    QHeaderView* head = list->horizontalHeader();
    for (int c = 0; c < list->GetColumnCount(); ++c) {
        if (head->isSectionHidden(c)) {
            continue;
        }
        const QString heading =
            list->horizontalHeaderItem(c) != nullptr ? list->horizontalHeaderItem(c)->text() : "";
        if (head->isVisible() && list->columnWidth(c) < head->sectionSizeHint(c)) {
            out.push_back("heading cut: " + name + " '" + heading.toStdString() + "' " +
                          std::to_string(list->columnWidth(c)) + " < " +
                          std::to_string(head->sectionSizeHint(c)));
        }
        const int rows = std::min(list->GetItemCount(), 1000);
        for (int r = 0; r < rows; ++r) {
            if (list->CellContentWidth(r, c) <= list->columnWidth(c)) {
                continue;
            }
            if (list->columnWidth(c) < list->CellCap(c)) {
                out.push_back("cell cut where the column could grow: " + name + " '" + heading.toStdString() +
                              "' row " + std::to_string(r) + " '" +
                              list->GetItemText(r, c).left(30).toStdString() + "'");
            } else if (list->CellToolTip(r, c).isEmpty()) {
                out.push_back("cut cell without its tooltip: " + name + " row " + std::to_string(r));
            }
        }
    }
}

}  // namespace

std::vector<std::string> LookProblems(QWidget* dialog) {
    // A text set just now (a count, a status line) has its layout redone by a posted request, before
    // the next paint: look at the dialog as it will be drawn.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    std::vector<std::string> out;
    if (const QScreen* screen = dialog->screen()) {
        const QSize avail = screen->availableGeometry().size();
        if (dialog->width() > avail.width() || dialog->height() > avail.height()) {
            out.push_back("larger than the screen: " + Size(dialog->size()) + " > " + Size(avail));
        }
    }
    CheckOverlaps(dialog, dialog, out);
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        if (!w->isVisible() || w->isWindow() || InsideCompound(w, dialog)) {
            continue;
        }
        if (IsControl(w)) {
            CheckControl(w, dialog, out);
        }
        CheckOverlaps(w, dialog, out);
        if (auto* list = qobject_cast<CListCtrl*>(w)) {
            CheckList(list, out);
        }
    }
    return out;
}

std::vector<std::string> SettledLookProblems(QWidget* dialog) {
    SettleLists(dialog);
    std::vector<std::string> problems;
    WaitUntil(
        [&] {
            problems = LookProblems(dialog);
            return problems.empty();
        },
        2000);
    return problems;
}

void SettleLists(QWidget* dialog) {
    const auto lists = dialog->findChildren<CListCtrl*>();
    WaitUntil(
        [&] {
            for (CListCtrl* list : lists) {
                if (list->FitPending()) {
                    return false;
                }
            }
            return true;
        },
        2000);
    PumpEvents();
}

ScaledFont::ScaledFont(double scale) : m_original(QApplication::font()) {
    QFont font = m_original;
    font.setPointSizeF(m_original.pointSizeF() * scale);
    QApplication::setFont(font);
}

ScaledFont::~ScaledFont() {
    QApplication::setFont(m_original);
}

QString ScreenshotDir(const QString& area) {
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/" + area;
    QDir().mkpath(dir);
    return dir;
}

}  // namespace ksx::test
