#include "editor/FacePicture.h"

#include <QDropEvent>
#include <QMouseEvent>

FacePicture::FacePicture(int index, QWidget *parent)
    : QLabel(parent)
    , m_index(index)
{
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
