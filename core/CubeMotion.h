#pragma once

#include "core/CubeRenderer.h"

#include <QPointF>

// How a cube on screen moves, as the cube page's player moves it: it turns
// by itself at a slow, steady speed, follows a drag, turns a quarter for an
// arrow key, and starts turning by itself again once left alone for a
// while. Reduced motion (the desktop's setting) stops the turning by itself.
class CubeMotion
{
public:
    static constexpr double TurnSpeed = 15; // degrees a second, turning by itself
    static constexpr double DragScale = 0.4; // degrees a pixel dragged
    static constexpr qint64 IdleMs = 3500; // left alone this long, it turns by itself again

    CubeAttitude attitude() const { return m_attitude; }
    // Whether it moves by itself at the time, so that its view must be drawn
    // again and again.
    bool Moving(qint64 nowMs, bool reducedMotion) const;

    // Moves on by the time since the last step.
    void Advance(double seconds, qint64 nowMs, bool reducedMotion);
    // A drag by delta pixels: right turns the front face to the right, down
    // tilts the top towards the viewer.
    void Drag(QPointF delta, qint64 nowMs);
    // From the nearest quarter, a quarter turn about the vertical axis
    // (right, negative for left) or the horizontal one (up, negative for
    // down), as the arrow keys give it.
    void QuarterTurn(int right, int up, qint64 nowMs);

private:
    CubeAttitude m_attitude = CubeAttitude::Showing();
    qint64 m_lastTouch = -IdleMs;
};
