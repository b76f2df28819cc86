#pragma once

#include "components/imaging/LeadImage.h"
#include "core/CubeModel.h"
#include "editor/FaceFramer.h"
#include "editor/FacePicture.h"
#include "editor/FaceThumbnails.h"

#include <QString>
#include <QtGlobal>

class QMimeData;
class QUndoStack;
class QWidget;

// The commands that change what a face holds and which face is current.
// Each change to a face is one step on the undo stack; messages go through
// the message seam, so that the commands run without a window.
class FaceCommands
{
public:
    // busyOver is the window that shows the hourglass while a command runs;
    // it may be null.
    FaceCommands(CubeModel &cube, QUndoStack &undo, FaceThumbnails &thumbnails, QWidget *busyOver = nullptr);

    // Puts the photo file on face `face` as the step named textId, and makes
    // `currentAfter` the current face. False when the photo could not be
    // read; the cube is then unchanged and the caller tells the user.
    bool PutPhoto(int face, const QString &path, int currentAfter, int textId);
    // Tells why a photo could not be put on a face: its size when that is
    // the reason, else the given message.
    static void ShowRefused(const QString &path, int otherwise);

    // Clicking a face: it becomes current.
    void SelectFace(int face);

    // The context menu's commands, on the current face.
    bool CanPaste();
    void RemoveFace();
    void CopyFace();
    void CutFace();
    void PasteFace();
    // Turns the current face's picture by degrees, clockwise for positive.
    void TurnFace(int degrees);

    // The framing of the current face, each one step: Fill on what matters
    // in the photo, Fit on the backdrop it had, Fit on white or on a blurred
    // copy, and back to the framing a new photo gets.
    void FillFace();
    void FitFace();
    void SetBlurredBackdrop(bool blurred);
    void ResetFraming();
    // Gives the current face the framing as the step named textId; its
    // thumbnail is drawn from the picture the framer keeps.
    void FrameFace(const FaceFraming &framing, int textId);
    // Keeps a picture of the current face's photo in the framer; false (the
    // user told) when it cannot be read.
    bool TakeForFraming();
    // The framing a new photo gets: Fit on white, or Fill on what matters in
    // it when the user chose so.
    FaceFraming NewPhotoFraming(const CubeFace &photo);

    // A file list dropped on face `face`; effect is 1 when the drop is
    // taken, 0 when it is refused.
    void DropFiles(int face, const QMimeData *data, qint32 &effect);

    // The face next to `face` in the arrow's direction along the cross
    // (the row 0, 1, 2, 4 and the column 3, 2, 5); `face` itself at an end
    // or off the arrow's line.
    static int NeighbourFace(int face, FacePicture::KeyCommand arrow);

    // Moves and zooms the current face's photo.
    FaceFramer framer;

    // One imaging control per face for clipboard transfers.
    LeadImage LEAD1[FaceCount];

private:
    void PushFace(int face, const CubeFace &content, int currentAfter, int textId);
    void CopyToClipboard();
    // The face's thumbnail drawn from the framer's picture of its photo;
    // false when the photo cannot be read.
    bool MakeThumbnailFromFramer(int index, const CubeFace &face);
    // The square of the framer's photo that shows what matters in it.
    QRect SquareOnWhatMatters() const;

    CubeModel &m_cube;
    QUndoStack &m_undo;
    FaceThumbnails &m_thumbnails;
    QWidget *m_busyOver;
};
