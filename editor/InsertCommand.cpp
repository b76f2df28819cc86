#include "editor/InsertCommand.h"

#include "core/BusyPointer.h"
#include "core/Globals.h"
#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "editor/TopForm.h"
#include "photosource/BrowserState.h"
#include "photosource/PhotoBrowser.h"

InsertCommand::InsertCommand(TopForm &form)
    : m_form(form)
{
}

void InsertCommand::Insert()
{
    BusyPointer busy(&m_form);
    const int refusal = PutSelectedPhoto();
    busy.restore();
    if (refusal != 0)
        ShowMessage(refusal);
}

int InsertCommand::PutSelectedPhoto()
{
    if (gBrowserReady != True)
        return Msg::NoPhotosFound;
    const int32_t item = SelectedItem(gBrowserWindow);
    if (item < 0)
        return Msg::NoPhotoSelected;
    const QString path = GetItemPath(gBrowserWindow, item);
    if (path.isEmpty())
        return Msg::PhotoFailedToLoad;
    if (PhotoReachable(path))
        PutOnCurrentFace(path);
    return 0;
}

bool InsertCommand::PutOnCurrentFace(const QString &path)
{
    if (!m_form.faceCommands.FaceThumbnailStep(gCurrentFace, path)) {
        ShowMessage(Msg::PhotoFailedToLoad);
        return false;
    }
    gFaceSource[gCurrentFace] = path;
    gFaceChanged[gCurrentFace] = True;
    qint16 old = gCurrentFace;
    gCurrentFace = gCurrentFace == 5 ? 0 : qint16(gCurrentFace + 1);
    qint16 noButton = False;
    m_form.UpdateSelection(old, gCurrentFace, noButton);
    return true;
}
