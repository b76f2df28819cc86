#pragma once

#include <QLabel>

// A picture on the editor that reports mouse releases and clicks; the six
// face pictures also take dropped files.
class FacePicture : public QLabel
{
    Q_OBJECT
public:
    FacePicture(int index, QWidget *parent);
    int index() const { return m_index; }

signals:
    void mouseUp(int index, Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    void clicked(int index);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int m_index;
    bool m_pressed = false;
};
