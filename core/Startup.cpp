#include "core/Startup.h"

#include "core/AppPaths.h"
#include "core/Globals.h"
#include "core/MessageIds.h"
#include "core/Settings.h"
#include "resources/StringTable.h"

#include <QDir>

QString Startup::GetMediaBrowserDirectory()
{
    return Settings::mediaBrowserDirectory();
}

void Startup::DoSetPath()
{
    AppPaths::rememberPath();
    qputenv("PATH", GetMediaBrowserDirectory().toLocal8Bit());
}

void Startup::SetCatalogDirectory()
{
    Settings::instance().ReadCatalogDirectory();
}

void Startup::SetMailServer()
{
    Settings::instance().ReadMailServer();
}

void Startup::SetFromAddress()
{
    Settings::instance().ReadFromAddress();
}

QString Startup::WorkDirectory()
{
    // Windows has its directory by itself; its stand-in is made here.
    if (Settings::baseDirectory() == Settings::windowsDirectory())
        QDir().mkpath(Settings::windowsDirectory());
    return Settings::workDirectory();
}

void Startup::SetDirectories()
{
    Settings::instance().ReadCubeDirectory();
    QDir().mkdir(Settings::instance().cubeDirectory());
}

void Startup::Run()
{
    gAppTitle = LoadResString(Msg::AppTitle);
    DoSetPath();
    SetCatalogDirectory();
    SetDirectories();
    SetMailServer();
    SetFromAddress();
}
