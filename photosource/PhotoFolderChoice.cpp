#include "photosource/PhotoFolderChoice.h"

#include "platform/registry/RegEdit.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QStandardPaths>
#include <QUrl>

namespace {
const QString kProgramKey = QStringLiteral("Software\\Norvane\\Vexilo");
const QString kLastFolder = QStringLiteral("PhotoFolder");

QString RecentValue(int number)
{
    return QStringLiteral("RecentFolder%1").arg(number);
}

bool IsFolder(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}
} // namespace

namespace PhotoFolderChoice {

QString Folder()
{
    const QString last = GetRegistryString(HKEY_CURRENT_USER, kProgramKey, kLastFolder);
    if (IsFolder(last))
        return last;
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return IsFolder(pictures) ? pictures : QDir::homePath();
}

void Remember(const QString &folder)
{
    const QString path = QDir(folder).absolutePath();
    QStringList recent = Recent();
    recent.removeAll(path);
    recent.prepend(path);
    SetRegistryString(HKEY_CURRENT_USER, kProgramKey, kLastFolder, path);
    for (int i = 0; i < RecentCount; ++i)
        SetRegistryString(HKEY_CURRENT_USER, kProgramKey, RecentValue(i + 1), recent.value(i));
}

QStringList Recent()
{
    QStringList recent;
    for (int i = 1; i <= RecentCount; ++i) {
        const QString folder = GetRegistryString(HKEY_CURRENT_USER, kProgramKey, RecentValue(i));
        if (!folder.isEmpty())
            recent.append(folder);
    }
    return recent;
}

QString DroppedFolder(const QMimeData *data)
{
    if (!data)
        return {};
    for (const QUrl &url : data->urls())
        if (url.isLocalFile() && IsFolder(url.toLocalFile()))
            return url.toLocalFile();
    return {};
}

} // namespace PhotoFolderChoice
