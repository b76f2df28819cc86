#include "editor/CubeActions.h"

#include "core/CubeModel.h"
#include "core/MessageIds.h"
#include "core/Settings.h"
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
    FillFace = MakeAction(Msg::FillFace);
    FillFace->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    FitFace = MakeAction(Msg::FitFace);
    FitFace->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T));
    BlurredBackdrop = MakeAction(Msg::BlurredBackdrop);
    BlurredBackdrop->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B));
    BlurredBackdrop->setCheckable(true);
    ResetFraming = MakeAction(Msg::ResetFraming);
    ResetFraming->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R));
    FramePhoto = MakeAction(Msg::FramePhoto);
    FramePhoto->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    NewPhotosFill = MakeAction(Msg::NewPhotosFill);
    NewPhotosFill->setCheckable(true);
    NewPhotosFill->setChecked(Settings::newPhotosFill());
    connect(NewPhotosFill, &QAction::toggled, this, &Settings::setNewPhotosFill);
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
    ExportMovingPicture = MakeAction(Msg::ExportMovingPicture);
    ExportMovingPicture->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));

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
    for (QAction *action :
         {Remove, Cut, Copy, TurnLeft, TurnRight, FillFace, FitFace, BlurredBackdrop, ResetFraming, FramePhoto})
        action->setEnabled(holdsPicture);
    const FaceFraming &framing = m_cube.Face(m_cube.CurrentFace()).framing();
    BlurredBackdrop->setChecked(holdsPicture && framing.mode == FaceFraming::Mode::Fit
                                && framing.backdrop == FaceFraming::Backdrop::Blurred);
}
