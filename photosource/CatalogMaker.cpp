#include "photosource/CatalogMaker.h"

#include "components/pixlet/Pixlet.h"
#include "components/tbrowser/CatalogFile.h"
#include "components/tbrowser/FileUrl.h"
#include "photosource/CatalogSearch.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace {
const QString kThumbnailFolder = QStringLiteral("thumbs");

bool isPhoto(const QString &name)
{
    const QString suffix = QFileInfo(name).suffix().toLower();
    return suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg") || suffix == QLatin1String("bmp");
}

// A catalog name becomes a folder name: it must stay one folder.
bool isUsableName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
           && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

bool makeThumbnail(const QString &photo, const QString &thumbnail)
{
    Pixlet pixlet;
    pixlet.setSourceFile(photo);
    pixlet.setBoxWidth(CatalogMaker::ThumbnailEdge);
    pixlet.setBoxHeight(CatalogMaker::ThumbnailEdge);
    pixlet.setBackColor(CatalogMaker::ThumbnailBackground);
    pixlet.setDestinationFile(thumbnail);
    return pixlet.Generate();
}

// Why an info.cd could not be read: the system's reason, when it gives one.
QString ReadFailure(const QString &infoFile)
{
    QFile file(infoFile);
    return file.open(QIODevice::ReadOnly) ? QStringLiteral("not an info.cd file") : file.errorString();
}
} // namespace

QStringList CatalogMaker::PhotoFiles(const QString &root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (isPhoto(path))
            files.append(path);
    }
    files.sort();
    return files;
}

CatalogMaker::Result CatalogMaker::Make(const QString &discRoot, const QString &catalogsDirectory)
{
    Result result;
    const QString infoFile = QDir(discRoot).filePath(QStringLiteral("info.cd"));
    const std::optional<DiscInfo> info = ReadInfoCd(infoFile);
    if (!info) {
        result.error = QStringLiteral("cannot read %1: %2").arg(infoFile, ReadFailure(infoFile));
        return result;
    }
    if (info->orderId.isEmpty() || info->date.isEmpty()) {
        result.error = QStringLiteral("%1 has no orderid or no date").arg(infoFile);
        return result;
    }
    const QString name = CatalogNameFor(*info);
    if (!isUsableName(name)) {
        result.error = QStringLiteral("%1 gives no usable catalog name").arg(infoFile);
        return result;
    }

    const QDir folder(QDir(catalogsDirectory).filePath(name));
    QDir(folder.filePath(kThumbnailFolder)).removeRecursively();
    if (!folder.mkpath(kThumbnailFolder)) {
        result.error = QStringLiteral("cannot create %1").arg(folder.filePath(kThumbnailFolder));
        return result;
    }

    QList<CatalogPhoto> photos;
    for (const QString &photo : PhotoFiles(QDir(discRoot).absolutePath())) {
        const QString thumbnail =
            QStringLiteral("%1/%2.jpg").arg(kThumbnailFolder).arg(photos.size() + 1, 5, 10, QLatin1Char('0'));
        if (!makeThumbnail(photo, folder.filePath(thumbnail))) {
            result.skipped.append(photo);
            continue;
        }
        photos.append({FileUrl::fromPath(QFile::encodeName(photo)), thumbnail});
    }
    if (!CatalogFile::write(folder.filePath(name + QStringLiteral(".sac")), photos)) {
        result.error = QStringLiteral("cannot write the catalog file in %1").arg(folder.path());
        return result;
    }
    result.name = name;
    result.photos = int(photos.size());
    return result;
}
