#pragma once

#include <QLabel>
#include <QMimeData>

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
    // A drop on a picture that accepts drops; the receiver sets effect to 1
    // when it takes the drop, 0 when it refuses it.
    void oleDragDrop(int index, const QMimeData *data, qint32 &effect);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    int m_index;
    bool m_pressed = false;
};
