// Progress bar whose filled part is a band-wise colour gradient from a start to an end colour, with an
// optional centred percentage. At or beyond either bound the bar shows empty.
#pragma once

#include <QColor>
#include <QProgressBar>

class QPainter;

class CGradientProgressCtrl : public QProgressBar {
    Q_OBJECT
public:
    explicit CGradientProgressCtrl(QWidget* parent = nullptr);

    // Stores both bounds and moves the position to the lower bound.
    void SetRange(int lower, int upper);
    void GetRange(int& lower, int& upper) const;
    // Stores the position (not clamped: outside the bounds the bar shows empty). Returns the old one.
    int SetPos(int position);
    int GetPos() const { return m_nPos; }
    int SetStep(int step);
    int StepIt();

    void SetStartColor(const QColor& color) {
        m_clrStart = color;
        update();
    }
    void SetEndColor(const QColor& color) {
        m_clrEnd = color;
        update();
    }
    void SetBkColor(const QColor& color) {
        m_clrBk = color;
        update();
    }
    void SetTextColor(const QColor& color) {
        m_clrText = color;
        update();
    }
    void ShowPercent(bool on = true) {
        m_bShowPercent = on ? 1 : 0;
        update();
    }
    QColor GetStartColor() const { return m_clrStart; }
    QColor GetEndColor() const { return m_clrEnd; }
    QColor GetBkColor() const { return m_clrBk; }

    // Paints the whole bar into `rect` (its own client rectangle when painting itself).
    void Paint(QPainter& painter, const QRect& rect) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintGradient(QPainter& painter, const QRect& rect, int filledWidth) const;

    int m_nLower = 0;
    int m_nUpper = 100;
    int m_nStep = 10;
    int m_nPos = 0;
    QColor m_clrStart{255, 0, 0};
    QColor m_clrEnd{0, 0, 255};
    QColor m_clrBk;
    QColor m_clrText{255, 255, 255};
    int m_bShowPercent = 0;
};
