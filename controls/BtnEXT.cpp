#include "controls/BtnEXT.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "platform/ui/Dialog.h"

namespace {
constexpr int kOneRowMax = 28;
}

CBtnEXT::CBtnEXT(int count, int size, int rowGap) : m_nSize(size), m_nRowGap(rowGap), m_nCount(count) {}

CBtnEXT::~CBtnEXT() {
    for (auto& b : m_pButtons) {
        delete b.data();
    }
    for (auto& l : m_pLabels) {
        delete l.data();
    }
}

int CBtnEXT::GetFirstRowCount() const {
    return m_nCount <= kOneRowMax ? m_nCount : m_nCount / 2;
}

void CBtnEXT::CalcSpacing(int left, int right) {
    const int perRow = GetFirstRowCount();
    // One control in a row has no neighbour to keep a gap to.
    m_nSpacing = perRow > 1 ? (right - left - m_nSize * perRow) / (perRow - 1) : 0;
}

QPoint CBtnEXT::ControlPosition(int i, int x0, int y0) const {
    const int first = GetFirstRowCount();
    if (i < first) {
        return QPoint(x0 + (m_nSpacing + m_nSize) * i, y0);
    }
    return QPoint(x0 + (m_nSpacing + m_nSize) * (i - first), y0 + m_nSize + m_nRowGap);
}

bool CBtnEXT::Create(unsigned style, int firstId, const QRect& anchor, int placement) {
    return Create(style, firstId, anchor.x(), anchor.y(), anchor.x() + anchor.width(),
                  anchor.y() + anchor.height(), placement);
}

bool CBtnEXT::Create(unsigned style, int firstId, int left, int top, int right, int bottom, int placement) {
    if (m_pParent == nullptr || !m_pButtons.empty() || !m_pLabels.empty() || m_nCount <= 0) {
        return false;
    }
    m_nFirstId = firstId;
    const int x0 = placement == 0 ? right : left;
    const int y0 = placement == 0 ? top : bottom;
    QWidget* client = m_pParent->Client();
    const bool labels = style == CBTNEXT_LABELS;
    for (int i = 0; i < m_nCount; ++i) {
        QWidget* w = nullptr;
        if (labels) {
            auto* label = new QLabel(QString::number(i + 1), client);
            label->setAlignment(Qt::AlignCenter);
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            m_pLabels.emplace_back(label);
            w = label;
        } else {
            QAbstractButton* button = nullptr;
            switch (style & 0xF) {
                case BS_CHECKBOX:
                case BS_AUTOCHECKBOX:
                case 0x5:  // three-state
                case 0x6:  // automatic three-state
                    button = new QCheckBox(client);
                    break;
                case BS_RADIOBUTTON:
                case BS_AUTORADIOBUTTON: {
                    auto* radio = new QRadioButton(client);
                    radio->setAutoExclusive(false);
                    button = radio;
                    break;
                }
                default:
                    button = new QPushButton(client);
                    button->setCheckable(true);
                    break;
            }
            m_pButtons.emplace_back(button);
            w = button;
        }
        w->setGeometry(QRect(ControlPosition(i, x0, y0), QSize(m_nSize, m_nSize)));
        m_pParent->RegisterControl(firstId + i, w);
        w->show();
    }
    return true;
}

QWidget* CBtnEXT::GetControl(int index) const {
    if (index < 0) {
        return nullptr;
    }
    const auto i = static_cast<std::size_t>(index);
    if (i < m_pButtons.size()) {
        return m_pButtons[i].data();
    }
    if (i < m_pLabels.size()) {
        return m_pLabels[i].data();
    }
    return nullptr;
}

bool CBtnEXT::GetStripRect(QRect& rect) const {
    const QWidget* first = GetControl(0);
    const QWidget* last = GetControl(m_nCount - 1);
    if (first == nullptr || last == nullptr) {
        return false;
    }
    rect = QRect(first->geometry().topLeft(), last->geometry().bottomRight());
    return true;
}

QRect CBtnEXT::GetStripRect() const {
    QRect r;
    GetStripRect(r);
    return r;
}

void CBtnEXT::EnablePort(bool enable, int index) {
    if (index >= 0 && static_cast<std::size_t>(index) < m_pButtons.size() && m_pButtons[index] != nullptr) {
        m_pButtons[static_cast<std::size_t>(index)]->setEnabled(enable);
    }
}

void CBtnEXT::SetCheck(int state, int index) {
    if (index >= 0 && static_cast<std::size_t>(index) < m_pButtons.size() && m_pButtons[index] != nullptr) {
        m_pButtons[static_cast<std::size_t>(index)]->setChecked(state != 0);
    }
}

int CBtnEXT::GetCheck(int index) const {
    if (index >= 0 && static_cast<std::size_t>(index) < m_pButtons.size() && m_pButtons[index] != nullptr) {
        return m_pButtons[static_cast<std::size_t>(index)]->isChecked() ? 1 : 0;
    }
    return 0;
}
