#include "photosource/PhotoFolderChoice.h"

#include "core/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QStandardPaths>
#include <QUrl>

namespace {
bool IsFolder(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}
} // namespace

namespace PhotoFolderChoice {

QString Folder()
{
    const QString last = Settings::photoFolder();
    if (IsFolder(last))
        return last;
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return IsFolder(pictures) ? pictures : QDir::homePath();
}

void Remember(const QString &folder)
{
    const QString path = QDir(folder).absolutePath();
    Settings::setPhotoFolder(path);
    Settings::addRecentFolder(path);
}

QStringList Recent()
{
    return Settings::recentFolders();
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
