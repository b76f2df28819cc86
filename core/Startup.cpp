#include "core/Startup.h"

#include "core/AppPaths.h"
#include "core/Globals.h"
#include "core/MessageIds.h"
#include "platform/registry/RegEdit.h"
#include "resources/StringTable.h"

#include <QDir>
#include <QStandardPaths>

namespace {
const QString kVexiloKey = QStringLiteral("Software\\Norvane\\Vexilo");
}

QString Startup::GetMediaBrowserDirectory()
{
    return GetRegistryString(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Adobe\\Media Browser"),
                             QStringLiteral("Path"));
}

void Startup::DoSetPath()
{
    AppPaths::rememberPath();
    qputenv("PATH", GetMediaBrowserDirectory().toLocal8Bit());
}

void Startup::SetCatalogDirectory()
{
    gCatalogDirectory = GetRegistryString(
        HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Adobe\\Kodak Picture CD\\Setup"), QStringLiteral("CatalogPath"));
}

void Startup::SetMailServer()
{
    gMailServer = GetRegistryString(HKEY_CURRENT_USER, kVexiloKey, QStringLiteral("SMTPServer"));
    if (gMailServer.isEmpty()) {
        gMailServer = gDefaultMailServer;
        gUseDefaultServer = True;
    } else {
        gUseDefaultServer = False;
    }
}

void Startup::SetFromAddress()
{
    gFromAddress = GetRegistryString(HKEY_CURRENT_USER, kVexiloKey, QStringLiteral("FromAddress"));
}

QString Startup::WindowsDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/vexilo");
}

QString Startup::CubeDirectoryFor(const QString &tempDirectory, const QString &homeDirectory)
{
    if (AppPaths::isDrivePath(tempDirectory))
        return tempDirectory.left(tempDirectory.indexOf(QLatin1Char('\\')) + 1) + QStringLiteral("Vexilo");
    return AppPaths::join(homeDirectory, QStringLiteral("Vexilo"));
}

QString Startup::WorkDirectory()
{
    QString base = GetRegistryString(
        HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Vexilo.exe"),
        QStringLiteral("Path"));
    if (base.isEmpty()) {
        base = WindowsDirectory();
        QDir().mkpath(base);
    }
    return AppPaths::join(base, QStringLiteral("CubeTemp"));
}

void Startup::SetDirectories()
{
    gCubeDirectory = CubeDirectoryFor(WorkDirectory(), QDir::homePath());
    QDir().mkdir(gCubeDirectory);
}

void Startup::Run()
{
    gAppTitle = LoadResString(Msg::AppTitle);
    gDefaultMailServer = LoadResString(Msg::DefaultMailServer);
    DoSetPath();
    SetCatalogDirectory();
    SetDirectories();
    SetMailServer();
    SetFromAddress();
}
