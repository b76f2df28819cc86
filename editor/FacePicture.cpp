#include "editor/FacePicture.h"

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
