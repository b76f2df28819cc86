#include "editor/FacePicture.h"

#include <QDropEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

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
    event->accept();
}

void FacePicture::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && rect().contains(event->position().toPoint());
    m_pressed = false;
    emit mouseUp(m_index, event->button(), event->modifiers(), event->position().toPoint());
    if (click)
        emit clicked(m_index);
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
