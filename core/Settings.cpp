#include "core/Settings.h"

#include "core/AppPaths.h"
#include "core/MessageIds.h"
#include "platform/registry/RegEdit.h"
#include "resources/StringTable.h"

#include <QDir>
#include <QStandardPaths>

namespace {
const QString kProgramKey = QStringLiteral("Software\\Norvane\\Vexilo");
const QString kSmtpServer = QStringLiteral("SMTPServer");
const QString kFromAddress = QStringLiteral("FromAddress");
const QString kAttachWebPage = QStringLiteral("AttachWebPage");
const QString kNewPhotosFill = QStringLiteral("NewPhotosFill");
const QString kCaCertFile = QStringLiteral("CACertFile");
const QString kPhotoFolder = QStringLiteral("PhotoFolder");
const QString kProgramsRefusedKey = kProgramKey + QStringLiteral("\\ProgramsRefused");

QString ProgramValue(const QString &name)
{
    return GetRegistryText(HKEY_CURRENT_USER, kProgramKey, name);
}

// The mail server and the sender are read as they always were, through the
// 255-byte buffer.
QString BufferedProgramValue(const QString &name)
{
    return GetRegistryString(HKEY_CURRENT_USER, kProgramKey, name);
}

void SetProgramValue(const QString &name, const QString &value)
{
    SetRegistryString(HKEY_CURRENT_USER, kProgramKey, name, value);
}

QString MachineValue(const QString &key, const QString &name)
{
    return GetRegistryString(HKEY_LOCAL_MACHINE, key, name);
}

// A list kept as the values NAME1 to NAMEcount, the latest first.
QStringList ReadList(const QString &name, int count)
{
    QStringList entries;
    for (int i = 1; i <= count; ++i) {
        const QString entry = ProgramValue(name + QString::number(i));
        if (!entry.isEmpty())
            entries.append(entry);
    }
    return entries;
}

void WriteList(const QString &name, int count, const QStringList &entries)
{
    for (int i = 0; i < count; ++i)
        SetProgramValue(name + QString::number(i + 1), entries.value(i));
}
} // namespace

MailServerChoice MailServerChoice::FromSetting(const QString &storedServer, const QString &defaultServer)
{
    if (storedServer.isEmpty())
        return {defaultServer, true};
    return {storedServer, false};
}

Settings &Settings::instance()
{
    static Settings settings;
    return settings;
}

void Settings::ReadMailServer()
{
    m_mailServer = MailServerChoice::FromSetting(BufferedProgramValue(kSmtpServer), defaultMailServer());
}

void Settings::ReadFromAddress()
{
    m_fromAddress = BufferedProgramValue(kFromAddress);
}

void Settings::ReadCatalogDirectory()
{
    m_catalogDirectory = MachineValue(QStringLiteral("Software\\Adobe\\Kodak Picture CD\\Setup"),
                                      QStringLiteral("CatalogPath"));
}

void Settings::ReadCubeDirectory()
{
    m_cubeDirectory = cubeDirectoryFor(workDirectory(), QDir::homePath());
}

void Settings::setMailServer(const QString &alternateServer)
{
    SetProgramValue(kSmtpServer, alternateServer);
    m_mailServer = MailServerChoice::FromSetting(alternateServer, defaultMailServer());
}

void Settings::setFromAddress(const QString &address)
{
    m_fromAddress = address;
    SetProgramValue(kFromAddress, address);
}

QString Settings::defaultMailServer()
{
    return LoadResString(Msg::DefaultMailServer);
}

QString Settings::mediaBrowserDirectory()
{
    return MachineValue(QStringLiteral("Software\\Adobe\\Media Browser"), QStringLiteral("Path"));
}

QString Settings::baseDirectory()
{
    const QString installed =
        MachineValue(QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Vexilo.exe"),
                     QStringLiteral("Path"));
    return installed.isEmpty() ? windowsDirectory() : installed;
}

QString Settings::windowsDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/vexilo");
}

QString Settings::workDirectory()
{
    return AppPaths::join(baseDirectory(), QStringLiteral("CubeTemp"));
}

QString Settings::cubeDirectoryFor(const QString &workDirectory, const QString &homeDirectory)
{
    if (AppPaths::isDrivePath(workDirectory))
        return workDirectory.left(workDirectory.indexOf(QLatin1Char('\\')) + 1) + QStringLiteral("Vexilo");
    return AppPaths::join(homeDirectory, QStringLiteral("Vexilo"));
}

bool Settings::attachWebPage()
{
    return ProgramValue(kAttachWebPage) == QLatin1String("1");
}

void Settings::setAttachWebPage(bool wanted)
{
    SetProgramValue(kAttachWebPage, wanted ? QStringLiteral("1") : QStringLiteral("0"));
}

bool Settings::serverRefusesPrograms(const QString &host)
{
    return GetRegistryText(HKEY_CURRENT_USER, kProgramsRefusedKey, host.toLower()) == QLatin1String("1");
}

void Settings::setServerRefusesPrograms(const QString &host, bool refuses)
{
    SetRegistryString(HKEY_CURRENT_USER, kProgramsRefusedKey, host.toLower(),
                      refuses ? QStringLiteral("1") : QString());
}

bool Settings::newPhotosFill()
{
    return ProgramValue(kNewPhotosFill) == QLatin1String("1");
}

void Settings::setNewPhotosFill(bool fill)
{
    SetProgramValue(kNewPhotosFill, fill ? QStringLiteral("1") : QStringLiteral("0"));
}

QString Settings::caCertificateFile()
{
    return ProgramValue(kCaCertFile);
}

QString Settings::photoFolder()
{
    return ProgramValue(kPhotoFolder);
}

void Settings::setPhotoFolder(const QString &folder)
{
    SetProgramValue(kPhotoFolder, folder);
}

namespace {
// The entry first in the list, once; the oldest fall off the end.
void PutFirst(const QString &name, int count, const QString &entry)
{
    QStringList entries = ReadList(name, count);
    entries.removeAll(entry);
    entries.prepend(entry);
    WriteList(name, count, entries);
}
} // namespace

QStringList Settings::recentFolders()
{
    return ReadList(QStringLiteral("RecentFolder"), RecentFolderCount);
}

void Settings::setRecentFolders(const QStringList &folders)
{
    WriteList(QStringLiteral("RecentFolder"), RecentFolderCount, folders);
}

QStringList Settings::recentCubes()
{
    return ReadList(QStringLiteral("RecentCube"), RecentCubeCount);
}

void Settings::addRecentFolder(const QString &folder)
{
    PutFirst(QStringLiteral("RecentFolder"), RecentFolderCount, folder);
}

void Settings::addRecentCube(const QString &document)
{
    PutFirst(QStringLiteral("RecentCube"), RecentCubeCount, document);
}
