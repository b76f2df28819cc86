#include "publish/ProgressBar.h"

#include <QPainter>

ProgressBar::ProgressBar(int step, QWidget *parent)
    : QWidget(parent)
    , m_step(step)
{
}

void ProgressBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, QColor(0xd4, 0xd0, 0xc8));
    // Sunken edge: dark above and left, light below and right.
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(Qt::white);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());

    const QRect inner = r.adjusted(2, 2, -2, -2);
    const int blocks = 20;
    const int filled = blocks * m_step / 10;
    const double blockWidth = double(inner.width()) / blocks;
    for (int b = 0; b < filled; ++b) {
        const QRectF block(inner.left() + b * blockWidth + 0.5, inner.top(), blockWidth - 1.5, inner.height());
        QLinearGradient g(block.topLeft(), block.bottomLeft());
        g.setColorAt(0, QColor(0x5a, 0x8c, 0xe6));
        g.setColorAt(1, QColor(0x0a, 0x24, 0x8c));
        p.fillRect(block, g);
    }
}
