#include "editor/CubeActions.h"

#include "core/CubeModel.h"
#include "core/MessageIds.h"
#include "resources/StringTable.h"

#include <QAction>
#include <QUndoStack>

CubeActions::CubeActions(CubeModel &cube, QUndoStack &undo, QObject *parent)
    : QObject(parent)
    , m_cube(cube)
{
    Insert = MakeAction(Msg::InsertCaption);
    Insert->setShortcut(Qt::Key_Insert);
    Remove = MakeAction(Msg::RemoveCaption);
    Cut = MakeAction(Msg::CutCaption);
    Copy = MakeAction(Msg::CopyCaption);
    Paste = MakeAction(Msg::PasteCaption);
    TurnLeft = MakeAction(Msg::TurnLeft);
    TurnLeft->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    TurnRight = MakeAction(Msg::TurnRight);
    TurnRight->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    Preview = MakeAction(Msg::PreviewCaption);
    Save = MakeAction(Msg::SaveCaption);
    Send = MakeAction(Msg::SendCaption);
    NewCube = MakeAction(Msg::NewCube);
    NewCube->setShortcut(QKeySequence::New);
    OpenCube = MakeAction(Msg::OpenCube);
    OpenCube->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    SaveCube = MakeAction(Msg::SaveCube);
    SaveCube->setShortcut(QKeySequence::Save);
    SaveCubeAs = MakeAction(Msg::SaveCubeAs);
    SaveCubeAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));

    Undo = undo.createUndoAction(this, LoadResString(Msg::UndoAction).remove(QLatin1Char('&')));
    Undo->setShortcuts({QKeySequence::Undo});
    Redo = undo.createRedoAction(this, LoadResString(Msg::RedoAction).remove(QLatin1Char('&')));
    Redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});

    connect(&cube, &CubeModel::faceChanged, this, &CubeActions::UpdateFaceActions);
    connect(&cube, &CubeModel::currentFaceChanged, this, &CubeActions::UpdateFaceActions);
    UpdateFaceActions();
}

QAction *CubeActions::MakeAction(int textId)
{
    auto *action = new QAction(LoadResString(textId), this);
    action->setObjectName(LoadResString(textId).remove(QLatin1Char('&')).remove(QChar(0x2026)));
    return action;
}

void CubeActions::UpdateFaceActions()
{
    const bool holdsPicture = !m_cube.Face(m_cube.CurrentFace()).isEmpty();
    Remove->setEnabled(holdsPicture);
    Cut->setEnabled(holdsPicture);
    Copy->setEnabled(holdsPicture);
    TurnLeft->setEnabled(holdsPicture);
    TurnRight->setEnabled(holdsPicture);
}
