#pragma once

#include "core/CubeMotion.h"
#include "core/CubeRenderer.h"
#include "editor/FacePictureLoader.h"

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QWidget>

class CubeModel;

// The cube as the recipient's browser will turn it, beside the editor: it
// shows each face as soon as the face or its framing changes, turns by
// itself, and follows a drag or the arrow keys. It draws frames only while
// it is shown in the active window, and never turns by itself where the
// desktop asks for reduced motion.
class CubePreview : public QWidget
{
    Q_OBJECT
public:
    // The faces are drawn at most a few hundred pixels across. Each is made
    // away from the window's thread; until it is ready the face shows what
    // it showed before.
    static constexpr int FaceEdge = 360;

    explicit CubePreview(const CubeModel &cube, QWidget *parent = nullptr);

    const CubeMotion &motion() const { return m_motion; }
    const CubeRenderer &renderer() const { return m_renderer; }
    const FacePictureLoader &pictures() const { return m_pictures; }
    // Whether it draws frames on its own at the moment.
    bool animating() const { return m_timer.isActive(); }

    void Face_Change(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    // Frames are drawn while the cube moves by itself, it is shown, and the
    // program is the one in use.
    void UpdateTimer();

    const CubeModel &m_cube;
    CubeRenderer m_renderer;
    FacePictureLoader m_pictures{FaceEdge};
    CubeMotion m_motion;
    QBasicTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastFrame = 0;
    QPointF m_dragFrom;
    bool m_dragging = false;
};
