#include "editor/FacePicture.h"

#include <QApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

FacePicture::FacePicture(int index, QWidget *parent)
    : QLabel(parent)
    , m_index(index)
{
}

void FacePicture::MakeKeyboardFace()
{
    m_keyboardFace = true;
    setFocusPolicy(Qt::StrongFocus);
}

std::optional<FacePicture::KeyCommand> FacePicture::CommandForKey(const QKeyEvent &event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    if (event.matches(QKeySequence::Copy))
        return KeyCommand::Copy;
    if (event.matches(QKeySequence::Cut))
        return KeyCommand::Cut;
    if (event.matches(QKeySequence::Paste))
        return KeyCommand::Paste;
    if (modifiers == Qt::NoModifier) {
        switch (event.key()) {
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return KeyCommand::Select;
        case Qt::Key_Delete:
            return KeyCommand::Remove;
        case Qt::Key_Menu:
            return KeyCommand::Menu;
        case Qt::Key_Left:
            return KeyCommand::Left;
        case Qt::Key_Right:
            return KeyCommand::Right;
        case Qt::Key_Up:
            return KeyCommand::Up;
        case Qt::Key_Down:
            return KeyCommand::Down;
        default:
            break;
        }
    }
    if (modifiers == Qt::ShiftModifier && event.key() == Qt::Key_F10)
        return KeyCommand::Menu;
    return std::nullopt;
}

void FacePicture::mousePressEvent(QMouseEvent *event)
{
    m_pressed = true;
    m_pressedAt = event->position().toPoint();
    m_dragging = false;
    event->accept();
}

void FacePicture::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressed || !m_cube || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint by = event->position().toPoint() - m_pressedAt;
    m_dragging = m_dragging || by.manhattanLength() >= QApplication::startDragDistance();
    if (m_dragging)
        emit dragged(m_index, by, false);
}

void FacePicture::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && !m_dragging && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (m_dragging) {
        m_dragging = false;
        emit dragged(m_index, event->position().toPoint() - m_pressedAt, true);
    }
    emit mouseUp(m_index, event->button(), event->modifiers(), event->position().toPoint());
    if (click)
        emit clicked(m_index);
}

// A notch of the wheel (120 eighths of a degree) zooms by a fifth.
void FacePicture::wheelEvent(QWheelEvent *event)
{
    if (!m_cube || event->angleDelta().y() == 0) {
        QLabel::wheelEvent(event);
        return;
    }
    emit zoomed(m_index, event->position(), std::pow(1.2, event->angleDelta().y() / 120.0));
    event->accept();
}

bool FacePicture::event(QEvent *event)
{
    if (m_cube && event->type() == QEvent::NativeGesture) {
        const auto *gesture = static_cast<QNativeGestureEvent *>(event);
        if (gesture->gestureType() == Qt::ZoomNativeGesture) {
            emit zoomed(m_index, gesture->position(), 1.0 + gesture->value());
            return true;
        }
    }
    return QLabel::event(event);
}

void FacePicture::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void FacePicture::dropEvent(QDropEvent *event)
{
    qint32 effect = 0;
    emit oleDragDrop(m_index, event->mimeData(), effect);
    event->setDropAction(effect == 1 ? Qt::CopyAction : Qt::IgnoreAction);
    event->setAccepted(effect == 1);
}

void FacePicture::keyPressEvent(QKeyEvent *event)
{
    if (!m_keyboardFace) {
        QLabel::keyPressEvent(event);
        return;
    }
    if (const std::optional<KeyCommand> command = CommandForKey(*event)) {
        emit keyCommand(m_index, *command);
        return;
    }
    QLabel::keyPressEvent(event);
}

void FacePicture::contextMenuEvent(QContextMenuEvent *event)
{
    // The Menu key has already asked for the menu through its key press.
    if (m_keyboardFace && event->reason() == QContextMenuEvent::Mouse)
        emit keyCommand(m_index, KeyCommand::Menu);
    event->accept();
}

void FacePicture::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // The focus ring lies inside the picture, the current-face frame
    // outside it: a dashed ring, dark on light, that reads on any photo.
    QPainter painter(this);
    const QRect ring = rect().adjusted(2, 2, -3, -3);
    painter.setPen(QPen(Qt::white, 3));
    painter.drawRect(ring);
    painter.setPen(QPen(QColor(16, 38, 84), 1, Qt::DashLine));
    painter.drawRect(ring);
}
