#pragma once

#include <QObject>

class CubeModel;
class QAction;
class QUndoStack;

// The editor's commands as one set of actions, shared by the menu bar, the
// face's context menu, the keys and the buttons; each is enabled from the
// cube's state.
class CubeActions : public QObject
{
    Q_OBJECT
public:
    CubeActions(CubeModel &cube, QUndoStack &undo, QObject *parent = nullptr);

    // The face commands follow the current face: Remove, Cut, Copy and the
    // framing only on a face that holds a picture.
    void UpdateFaceActions();

    QAction *Insert = nullptr;
    QAction *Remove = nullptr;
    QAction *Cut = nullptr;
    QAction *Copy = nullptr;
    QAction *Paste = nullptr;
    QAction *TurnLeft = nullptr;
    QAction *TurnRight = nullptr;
    QAction *FillFace = nullptr;
    QAction *FitFace = nullptr;
    // Checked while the current face fits its photo on a blurred copy of it.
    QAction *BlurredBackdrop = nullptr;
    QAction *ResetFraming = nullptr;
    QAction *FramePhoto = nullptr;
    // The remembered choice whether a new photo fills its face.
    QAction *NewPhotosFill = nullptr;
    QAction *Undo = nullptr;
    QAction *Redo = nullptr;
    QAction *Preview = nullptr;
    QAction *Save = nullptr;
    QAction *Send = nullptr;
    QAction *NewCube = nullptr;
    QAction *OpenCube = nullptr;
    QAction *SaveCube = nullptr;
    QAction *SaveCubeAs = nullptr;
    QAction *ExportMovingPicture = nullptr;

private:
    QAction *MakeAction(int textId);

    CubeModel &m_cube;
};
