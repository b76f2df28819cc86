#include "editor/CubePreview.h"

#include "core/CubeModel.h"
#include "core/MessageIds.h"
#include "platform/DesktopMotion.h"
#include "resources/StringTable.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr int kFrameMs = 16;
} // namespace

CubePreview::CubePreview(const CubeModel &cube, QWidget *parent)
    : QWidget(parent)
    , m_cube(cube)
    , m_renderer({})
{
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(LoadResString(Msg::CubePreviewName));
    setAccessibleDescription(LoadResString(Msg::CubePreviewHint));
    setToolTip(LoadResString(Msg::CubePreviewHint));
    setCursor(Qt::OpenHandCursor);
    connect(&m_pictures, &FacePictureLoader::ready, this, [this](int index, const QImage &picture) {
        m_renderer.setFace(index, picture);
        update();
    });
    for (int index = 0; index < FaceCount; ++index)
        Face_Change(index);
    connect(&cube, &CubeModel::faceChanged, this, &CubePreview::Face_Change);
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, &CubePreview::UpdateTimer);
    m_clock.start();
}

void CubePreview::Face_Change(int index)
{
    m_pictures.Load(index, m_cube.Face(index));
}

void CubePreview::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    m_renderer.Paint(painter, rect(), m_motion.attitude());
    if (hasFocus()) {
        painter.setPen(QPen(palette().highlight(), 2));
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }
}

void CubePreview::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = true;
    m_dragFrom = event->position();
    setCursor(Qt::ClosedHandCursor);
}

void CubePreview::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging)
        return;
    m_motion.Drag(event->position() - m_dragFrom, m_clock.elapsed());
    m_dragFrom = event->position();
    update();
}

void CubePreview::mouseReleaseEvent(QMouseEvent *)
{
    m_dragging = false;
    setCursor(Qt::OpenHandCursor);
}

void CubePreview::keyPressEvent(QKeyEvent *event)
{
    const int right = event->key() == Qt::Key_Right ? 1 : event->key() == Qt::Key_Left ? -1 : 0;
    const int up = event->key() == Qt::Key_Up ? 1 : event->key() == Qt::Key_Down ? -1 : 0;
    if (right == 0 && up == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    m_motion.QuarterTurn(right, up, m_clock.elapsed());
    update();
}

void CubePreview::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_timer.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    const qint64 now = m_clock.elapsed();
    // A late timer (a busy program) turns the cube by at most a tenth of a
    // second's worth, as the page does after a hidden tab.
    const bool moving = m_motion.Moving(now, DesktopMotion::Reduced());
    m_motion.Advance(qMin<qint64>(now - m_lastFrame, 100) / 1000.0, now, DesktopMotion::Reduced());
    m_lastFrame = now;
    if (moving)
        update();
}

void CubePreview::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    UpdateTimer();
}

void CubePreview::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    UpdateTimer();
}

void CubePreview::UpdateTimer()
{
    const bool wanted = isVisible() && !DesktopMotion::Reduced()
        && QGuiApplication::applicationState() == Qt::ApplicationActive;
    if (wanted && !m_timer.isActive()) {
        m_lastFrame = m_clock.elapsed();
        m_timer.start(kFrameMs, this);
    } else if (!wanted) {
        m_timer.stop();
    }
}
