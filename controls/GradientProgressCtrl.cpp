#include "controls/GradientProgressCtrl.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>

CGradientProgressCtrl::CGradientProgressCtrl(QWidget* parent) : QProgressBar(parent) {
    m_clrBk = palette().color(QPalette::Button);
    // Every pixel is painted in paintEvent: nothing to erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setTextVisible(false);
    QProgressBar::setRange(m_nLower, m_nUpper);
    QProgressBar::setValue(m_nPos);
}

void CGradientProgressCtrl::SetRange(int lower, int upper) {
    m_nLower = lower;
    m_nUpper = upper;
    m_nPos = lower;
    QProgressBar::setRange(std::min(lower, upper), std::max(lower, upper));
    QProgressBar::setValue(lower);
    update();
}

void CGradientProgressCtrl::GetRange(int& lower, int& upper) const {
    lower = m_nLower;
    upper = m_nUpper;
}

int CGradientProgressCtrl::SetPos(int position) {
    const int old = m_nPos;
    m_nPos = position;
    QProgressBar::setValue(std::clamp(position, minimum(), maximum()));
    update();
    return old;
}

int CGradientProgressCtrl::SetStep(int step) {
    const int old = m_nStep;
    m_nStep = step;
    return old;
}

int CGradientProgressCtrl::StepIt() {
    // Like the common progress control: past the upper bound it starts again at the lower one.
    int next = m_nPos + m_nStep;
    if (next > m_nUpper) {
        next = m_nLower + (next - m_nUpper);
    }
    return SetPos(next);
}

void CGradientProgressCtrl::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    Paint(painter, rect());
}

void CGradientProgressCtrl::Paint(QPainter& painter, const QRect& rect) const {
    const QColor face = palette().color(QPalette::Button);
    if (!(m_nLower < m_nPos && m_nPos < m_nUpper)) {
        painter.fillRect(rect, face);
        return;
    }
    // The filled share of the range; with a lower bound of 0 this is position / upper.
    const float fraction = static_cast<float>(m_nPos - m_nLower) / static_cast<float>(m_nUpper - m_nLower);
    const int filled = static_cast<int>(fraction * static_cast<float>(rect.width()));
    PaintGradient(painter, rect, filled);
    if (m_bShowPercent != 0) {
        painter.setPen(m_clrText);
        painter.setFont(font());
        painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine,
                         QString::asprintf("%.0f%%", static_cast<double>(fraction) * 100.0));
    }
}

void CGradientProgressCtrl::PaintGradient(QPainter& painter, const QRect& rect, int filledWidth) const {
    const int dr = m_clrEnd.red() - m_clrStart.red();
    const int dg = m_clrEnd.green() - m_clrStart.green();
    const int db = m_clrEnd.blue() - m_clrStart.blue();
    const int bands = std::max({std::abs(dr), std::abs(dg), std::abs(db)});
    const int x0 = rect.left();
    const int top = rect.top();
    const int height = rect.height() + 1;
    if (bands == 0) {
        // One colour: a solid fill up to the filled width.
        painter.fillRect(QRect(x0, top, filledWidth, height), m_clrStart);
        painter.fillRect(QRect(x0 + filledWidth, top, rect.width() - filledWidth, height), m_clrBk);
        return;
    }
    const float bandWidth = static_cast<float>(rect.width()) / static_cast<float>(bands);
    const float ir = static_cast<float>(dr) / static_cast<float>(bands);
    const float ig = static_cast<float>(dg) / static_cast<float>(bands);
    const float ib = static_cast<float>(db) / static_cast<float>(bands);
    int stoppedAt = -1;
    for (int i = 0; i < bands; ++i) {
        const int left = static_cast<int>(static_cast<float>(i) * bandWidth);
        const int right = static_cast<int>(static_cast<float>(i + 1) * bandWidth);
        const QColor color(
            static_cast<int>(static_cast<float>(m_clrStart.red()) + static_cast<float>(i) * ir) & 0xFF,
            static_cast<int>(static_cast<float>(m_clrStart.green()) + static_cast<float>(i) * ig) & 0xFF,
            static_cast<int>(static_cast<float>(m_clrStart.blue()) + static_cast<float>(i) * ib) & 0xFF);
        painter.fillRect(QRect(x0 + left, top, right - left, height), color);
        if (right > filledWidth) {
            stoppedAt = right;
            break;
        }
    }
    if (stoppedAt >= 0 && stoppedAt < rect.width()) {
        painter.fillRect(QRect(x0 + stoppedAt, top, rect.width() - stoppedAt, height), m_clrBk);
    }
}
