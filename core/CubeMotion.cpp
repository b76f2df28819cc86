#include "core/CubeMotion.h"

#include <QtGlobal>

#include <cmath>

namespace {
// Past straight up or down the cube would turn over.
double Tilt(double x)
{
    return qBound(-89.0, x, 89.0);
}
} // namespace

bool CubeMotion::Moving(qint64 nowMs, bool reducedMotion) const
{
    return !reducedMotion && nowMs - m_lastTouch >= IdleMs;
}

void CubeMotion::Advance(double seconds, qint64 nowMs, bool reducedMotion)
{
    if (Moving(nowMs, reducedMotion))
        m_attitude.y = std::fmod(m_attitude.y + TurnSpeed * seconds, 360.0);
}

void CubeMotion::Drag(QPointF delta, qint64 nowMs)
{
    m_attitude.y += delta.x() * DragScale;
    m_attitude.x = Tilt(m_attitude.x - delta.y() * DragScale);
    m_lastTouch = nowMs;
}

void CubeMotion::QuarterTurn(int right, int up, qint64 nowMs)
{
    const auto quarter = [](double angle) { return std::round(angle / 90) * 90; };
    m_attitude.y = quarter(m_attitude.y) + 90 * right;
    m_attitude.x = Tilt(quarter(m_attitude.x) + 90 * up);
    m_lastTouch = nowMs;
}
