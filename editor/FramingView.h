#pragma once

#include "core/FaceFraming.h"

#include <QWidget>

class FaceFramer;

// The whole photo with the square its face shows drawn over it: a drag
// moves the square, the wheel zooms it about the pointer, the arrow keys
// move it (by a tenth of its edge with Shift) and + and - zoom it.
class FramingView : public QWidget
{
    Q_OBJECT
public:
    FramingView(const FaceFramer &framer, QWidget *parent = nullptr);

    const FaceFraming &framing() const { return m_framing; }
    void setFraming(const FaceFraming &framing);

    // Where the photo is drawn, in the view's pixels.
    QRectF PhotoArea() const;

signals:
    void framingChanged(const FaceFraming &framing);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // A point of the view in the photo's upright pixels.
    QPointF InPhoto(QPointF inView) const;
    double PhotoPixelsPerViewPixel() const;
    void Change(const FaceFraming &framing);

    const FaceFramer &m_framer;
    FaceFraming m_framing;
    QPointF m_lastDrag;
};
