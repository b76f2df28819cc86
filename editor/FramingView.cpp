#include "editor/FramingView.h"

#include "components/pixlet/PictureDecoder.h"
#include "core/MessageIds.h"
#include "editor/FaceFramer.h"
#include "resources/StringTable.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <cmath>

namespace {
constexpr double KeyZoom = 1.1;
// The share of the square's edge an arrow key moves it by.
constexpr double KeyStep = 0.01;
constexpr double ShiftKeyStep = 0.1;
} // namespace

FramingView::FramingView(const FaceFramer &framer, QWidget *parent)
    : QWidget(parent)
    , m_framer(framer)
{
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(480, 360);
    setAccessibleName(LoadResString(Msg::FramingViewName));
    setAccessibleDescription(LoadResString(Msg::FramingHint));
    setCursor(Qt::OpenHandCursor);
}

void FramingView::setFraming(const FaceFraming &framing)
{
    m_framing = framing;
    update();
}

void FramingView::Change(const FaceFraming &framing)
{
    if (framing == m_framing)
        return;
    setFraming(framing);
    emit framingChanged(m_framing);
}

QRectF FramingView::PhotoArea() const
{
    const QSize shown = PictureDecoder::FitInto(m_framer.upright(), size());
    return QRectF((width() - shown.width()) / 2.0, (height() - shown.height()) / 2.0, shown.width(), shown.height());
}

double FramingView::PhotoPixelsPerViewPixel() const
{
    return m_framer.upright().width() / PhotoArea().width();
}

QPointF FramingView::InPhoto(QPointF inView) const
{
    return (inView - PhotoArea().topLeft()) * PhotoPixelsPerViewPixel();
}

void FramingView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Dark));
    const QRectF photo = PhotoArea();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(photo, m_framer.picture());
    if (m_framing.mode == FaceFraming::Mode::Fill) {
        const QRectF square = m_framer.SquareOf(m_framing);
        const double scale = 1.0 / PhotoPixelsPerViewPixel();
        const QRectF shown(photo.topLeft() + square.topLeft() * scale, square.size() * scale);
        QPainterPath outside;
        outside.addRect(photo);
        outside.addRect(shown);
        painter.fillPath(outside, QColor(0, 0, 0, 150));
        painter.setPen(QPen(Qt::white, 2));
        painter.drawRect(shown);
    }
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2, Qt::DashLine));
        painter.drawRect(rect().adjusted(1, 1, -2, -2));
    }
}

void FramingView::mousePressEvent(QMouseEvent *event)
{
    m_lastDrag = event->position();
    setCursor(Qt::ClosedHandCursor);
}

void FramingView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const QPointF by = (event->position() - m_lastDrag) * PhotoPixelsPerViewPixel();
    m_lastDrag = event->position();
    Change(m_framer.SquareMoved(m_framing, by));
}

void FramingView::wheelEvent(QWheelEvent *event)
{
    if (event->angleDelta().y() == 0)
        return;
    Change(m_framer.ZoomedAbout(m_framing, std::pow(1.2, event->angleDelta().y() / 120.0), InPhoto(event->position())));
}

void FramingView::keyPressEvent(QKeyEvent *event)
{
    const double step = m_framer.SquareOf(m_framing).width() * (event->modifiers() & Qt::ShiftModifier ? ShiftKeyStep : KeyStep);
    const QPointF middle = m_framer.SquareOf(m_framing).center();
    switch (event->key()) {
    case Qt::Key_Left:
        return Change(m_framer.SquareMoved(m_framing, {-step, 0}));
    case Qt::Key_Right:
        return Change(m_framer.SquareMoved(m_framing, {step, 0}));
    case Qt::Key_Up:
        return Change(m_framer.SquareMoved(m_framing, {0, -step}));
    case Qt::Key_Down:
        return Change(m_framer.SquareMoved(m_framing, {0, step}));
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        return Change(m_framer.ZoomedAbout(m_framing, KeyZoom, middle));
    case Qt::Key_Minus:
        return Change(m_framer.ZoomedAbout(m_framing, 1 / KeyZoom, middle));
    default:
        QWidget::keyPressEvent(event);
    }
}
