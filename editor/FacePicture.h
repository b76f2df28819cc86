#pragma once

#include <QLabel>
#include <QMimeData>

#include <optional>

class CubeModel;

// A picture on the editor that reports mouse releases and clicks; the six
// face pictures also take dropped files and, once made keyboard faces, the
// keyboard focus and the face keys.
class FacePicture : public QLabel
{
    Q_OBJECT
public:
    // What a key (or a right click) asks of a keyboard face.
    enum class KeyCommand {
        Select, // Space, Enter: as a click
        Remove, // Delete
        Cut,
        Copy,
        Paste,
        Menu, // the Menu key, Shift+F10, a right click
        Left, // the arrows: the next face that way along the cross
        Right,
        Up,
        Down
    };
    Q_ENUM(KeyCommand)

    FacePicture(int index, QWidget *parent);
    int index() const { return m_index; }

    // Takes the focus by Tab and click, shows a focus ring, and reports the
    // face keys.
    void MakeKeyboardFace();
    bool IsKeyboardFace() const { return m_keyboardFace; }

    // The cube whose face this picture shows.
    void setCube(const CubeModel *cube) { m_cube = cube; }
    const CubeModel *cube() const { return m_cube; }

    // The command a key asks for, if any.
    static std::optional<KeyCommand> CommandForKey(const QKeyEvent &event);

signals:
    void mouseUp(int index, Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    void clicked(int index);
    // A drop on a picture that accepts drops; the receiver sets effect to 1
    // when it takes the drop, 0 when it refuses it.
    void oleDragDrop(int index, const QMimeData *data, qint32 &effect);
    void keyCommand(int index, FacePicture::KeyCommand command);
    // A drag with the left button on a face of the cube: by is the distance
    // from where it started; finished on the button's release.
    void dragged(int index, QPoint by, bool finished);
    // The wheel or a pinch on a face of the cube: zoom by factor about at.
    void zoomed(int index, QPointF at, double factor);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    bool event(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    int m_index;
    bool m_pressed = false;
    QPoint m_pressedAt;
    bool m_dragging = false;
    bool m_keyboardFace = false;
    const CubeModel *m_cube = nullptr;
};
