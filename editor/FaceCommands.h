#pragma once

#include "editor/FacePicture.h"

#include <QString>
#include <QtGlobal>

class QMimeData;
class TopForm;

// The commands that change what a face holds and which face is current,
// working on the editor window's controls and the face model.
class FaceCommands
{
public:
    explicit FaceCommands(TopForm &form);

    // The face thumbnail step, shared by every way a photo reaches a face:
    // makes the 77 x 77 thumbnail of the photo file with the editor's
    // thumbnail generator and shows it on face `face`. Returns false when
    // the photo could not be read; the face then shows what it showed
    // before. The face model is left to the caller.
    bool FaceThumbnailStep(int face, const QString &sourcePath);

    // Clicking a face: it becomes current and shows its context button.
    void SelectFace(int face);

    // Enables and captions the context menu's items for face `face`.
    void PrepareContextMenu(int face);

    // The context menu's commands, on the current face.
    void RemoveFace();
    void CopyFace();
    void CutFace();
    void PasteFace();

    // A file list dropped on face `face`; effect is 1 when the drop is
    // taken, 0 when it is refused.
    void DropFiles(int face, const QMimeData *data, qint32 &effect);

    // The six endings a dropped file's name may have (case-sensitive).
    static bool AcceptedEnding(const QString &path);

    static QString ThumbnailFile(int face);

    // The face next to `face` in the arrow's direction along the cross
    // (the row 0, 1, 2, 4 and the column 3, 2, 5); `face` itself at an end
    // or off the arrow's line.
    static int NeighbourFace(int face, FacePicture::KeyCommand arrow);

private:
    // Generates the face's thumbnail file from the photo file, or from the
    // clipboard when sourcePath is empty.
    bool MakeFaceThumbnail(int face, const QString &sourcePath);
    // Shows the thumbnail file on the face and deletes it.
    bool ShowFaceThumbnail(int face);
    void CopyToClipboard();

    TopForm &m_form;
};
