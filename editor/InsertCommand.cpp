#include "editor/InsertCommand.h"

#include "core/BusyPointer.h"
#include "core/CubeModel.h"
#include "core/Globals.h"
#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "editor/FaceCommands.h"
#include "photosource/BrowserState.h"
#include "photosource/PhotoBrowser.h"

InsertCommand::InsertCommand(CubeModel &cube, FaceCommands &commands, QWidget *busyOver)
    : m_cube(cube)
    , m_commands(commands)
    , m_busyOver(busyOver)
{
}

void InsertCommand::Insert()
{
    BusyPointer busy(m_busyOver);
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
    if (ItemNameUsable(gBrowserWindow, item) && PhotoReachable(path))
        PutOnCurrentFace(path);
    return 0;
}

bool InsertCommand::PutOnCurrentFace(const QString &path)
{
    if (!m_commands.PutPhoto(m_cube.CurrentFace(), path, m_cube.NextFace(), Msg::InsertPhotoStep)) {
        FaceCommands::ShowRefused(path, Msg::PhotoFailedToLoad);
        return false;
    }
    return true;
}
