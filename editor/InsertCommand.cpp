#include "editor/InsertCommand.h"

#include "editor/TopForm.h"
#include "photosource/BrowserState.h"
#include "photosource/DiscPrompt.h"
#include "photosource/PhotoBrowser.h"
#include "core/Globals.h"
#include "core/MessageBox.h"

namespace {
constexpr int NoPhotosFound = 18;
constexpr int NoPhotoSelected = 17;
constexpr int PhotoFailedToLoad = 19;
} // namespace

InsertCommand::InsertCommand(TopForm &form)
    : m_form(form)
{
}

void InsertCommand::Insert()
{
    m_form.faceCommands.ShowBusyPointer();
    if (gBrowserReady != True)
        return Stop(NoPhotosFound);
    const int32_t item = SelectedItem(gBrowserWindow);
    if (item < 0)
        return Stop(NoPhotoSelected);
    const QString path = GetItemPath(gBrowserWindow, item);
    if (path.isEmpty())
        return Stop(PhotoFailedToLoad);
    if (!PhotoFileExists(path) && !PromptForVevudedED(path))
        return Stop(0);
    PutOnCurrentFace(path);
    m_form.faceCommands.ShowNormalPointer();
}

bool InsertCommand::PutOnCurrentFace(const QString &path)
{
    if (!m_form.faceCommands.FaceThumbnailStep(gCurrentFace, path)) {
        ShowMessage(PhotoFailedToLoad);
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

void InsertCommand::Stop(int textId)
{
    m_form.faceCommands.ShowNormalPointer();
    if (textId != 0)
        ShowMessage(textId);
}
