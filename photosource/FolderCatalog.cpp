#include "photosource/FolderCatalog.h"

#include "components/pixlet/PictureDecoder.h"
#include "components/pixlet/Pixlet.h"
#include "components/tbrowser/CatalogFile.h"
#include "components/tbrowser/FileUrl.h"
#include "photosource/CatalogMaker.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString kThumbnailFolder = QStringLiteral("thumbs");

QString Hash(const QByteArray &bytes, int length)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(length));
}

QList<CatalogPhoto> CatalogPhotos(const QList<FolderCatalog::Photo> &photos)
{
    QList<CatalogPhoto> list;
    list.reserve(photos.size());
    for (const FolderCatalog::Photo &photo : photos)
        list.append({FileUrl::fromPath(photo.file), photo.thumbnail});
    return list;
}
} // namespace

// A picture file found below the folder, with what its thumbnail's name is
// made of.
struct FolderCatalog::Found
{
    QByteArray path;
    qint64 size = 0;
    qint64 modified = 0; // milliseconds since the epoch
};

namespace {
QString ThumbnailName(const FolderCatalog::Found &photo)
{
    const QByteArray stamp =
        photo.path + '\0' + QByteArray::number(photo.size) + '\0' + QByteArray::number(photo.modified);
    return kThumbnailFolder + QLatin1Char('/') + Hash(stamp, 24) + QStringLiteral(".jpg");
}
} // namespace

FolderCatalog::FolderCatalog(QString folder, QString root)
    : m_folder(QDir(folder).absolutePath())
    , m_root(std::move(root))
{
}

QString FolderCatalog::DefaultRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/vexilo/folders");
}

QString FolderCatalog::NameFor(const QString &folder)
{
    const QString path = QDir(folder).absolutePath();
    QString base = QFileInfo(path).fileName();
    for (QChar &c : base)
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('_'))
            c = QLatin1Char('_');
    if (base.isEmpty())
        base = QStringLiteral("root");
    return base.left(64) + QLatin1Char('-') + Hash(QFile::encodeName(path), 12);
}

QString FolderCatalog::catalogFolder() const
{
    return QDir(m_root).filePath(name());
}

QString FolderCatalog::catalogFile() const
{
    return QDir(catalogFolder()).filePath(name() + QStringLiteral(".sac"));
}

// Qt's own directory iterator passes over names that are not UTF-8, so the
// folders are read through their bytes.
bool FolderCatalog::FindPhotos(const QByteArray &folder, const QByteArray &cache, QList<Found> &found,
                               const std::atomic<bool> *cancel)
{
    const std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(folder.constData()), &::closedir);
    if (!dir)
        return false;
    QList<QByteArray> subfolders;
    while (const dirent *entry = ::readdir(dir.get())) {
        if (cancel && *cancel)
            return true;
        const QByteArray name(entry->d_name);
        // Hidden folders hold programs' pictures, not the user's photos.
        if (name.startsWith('.'))
            continue;
        const QByteArray path = folder.endsWith('/') ? folder + name : folder + '/' + name;
        struct stat link, target;
        if (::lstat(path.constData(), &link) != 0)
            continue;
        if (S_ISDIR(link.st_mode) && path != cache)
            subfolders.append(path);
        else if (PictureDecoder::IsPictureName(QFile::decodeName(name)) && ::stat(path.constData(), &target) == 0
                 && S_ISREG(target.st_mode))
            found.append({path, qint64(target.st_size),
                          qint64(target.st_mtim.tv_sec) * 1000 + target.st_mtim.tv_nsec / 1000000});
    }
    for (const QByteArray &subfolder : subfolders)
        if (!FindPhotos(subfolder, cache, found, cancel))
            m_skippedFolders.append(QFile::decodeName(subfolder));
    return true;
}

bool FolderCatalog::Update()
{
    List();
    return Write();
}

void FolderCatalog::List(const std::atomic<bool> *cancel)
{
    m_photos.clear();
    m_skippedFolders.clear();
    const QByteArray folder = QFile::encodeName(m_folder);
    // The cache of catalogs may lie inside the folder (home is one).
    const QByteArray cache = QFile::encodeName(QDir(m_root).absolutePath());
    QList<Found> found;
    m_folderOpened = FindPhotos(folder, cache, found, cancel);
    m_skippedFolders.sort();
    std::sort(found.begin(), found.end(), [](const Found &a, const Found &b) { return a.path < b.path; });
    for (const Found &photo : found)
        m_photos.append({QFile::decodeName(photo.path), ThumbnailName(photo), false, photo.path});
}

namespace {
// A link where the cache expects its own file or folder is taken away, not
// followed: what the cache writes stays inside it.
void RemoveLink(const QString &path)
{
    if (QFileInfo(path).isSymLink())
        QFile::remove(path);
}

// A folder of the cache, made when missing, and made readable by its owner
// alone where the user may change that.
bool PrivateFolder(const QString &path)
{
    RemoveLink(path);
    if (!QDir().mkpath(path))
        return false;
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return true;
}
} // namespace

bool FolderCatalog::Write()
{
    const QDir folder(catalogFolder());
    if (!PrivateFolder(m_root) || !PrivateFolder(folder.path()) || !PrivateFolder(folder.filePath(kThumbnailFolder)))
        return false;
    RemoveLink(catalogFile());
    const QStringList made = QDir(folder.filePath(kThumbnailFolder)).entryList(QDir::Files);
    const QSet<QString> existing(made.begin(), made.end());
    QSet<QString> needed;
    for (Photo &photo : m_photos) {
        const QString file = photo.thumbnail.mid(kThumbnailFolder.size() + 1);
        photo.thumbnailMade = existing.contains(file);
        needed.insert(file);
    }
    for (const QString &file : existing - needed)
        QFile::remove(folder.filePath(kThumbnailFolder + QLatin1Char('/') + file));
    const QList<CatalogPhoto> list = CatalogPhotos(m_photos);
    if (CatalogFile::read(catalogFile()) == list)
        return true;
    return CatalogFile::write(catalogFile(), list);
}

QList<int> FolderCatalog::Pending() const
{
    QList<int> rows;
    for (int row = 0; row < m_photos.size(); ++row)
        if (!m_photos.at(row).thumbnailMade)
            rows.append(row);
    return rows;
}

namespace {
// The bytes of a plain file named by its path's own bytes, when it is not
// larger than a picture may be.
std::optional<QByteArray> ReadNamedFile(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return std::nullopt;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)
        || info.st_size > (qint64(PictureDecoder::DefaultLimitMB) << 20))
        return std::nullopt;
    return file.readAll();
}
} // namespace

bool FolderCatalog::MakeThumbnail(int row) const
{
    const Photo &photo = m_photos.at(row);
    Pixlet pixlet;
    pixlet.setBoxWidth(CatalogMaker::ThumbnailEdge);
    pixlet.setBoxHeight(CatalogMaker::ThumbnailEdge);
    if (QFile::encodeName(photo.path) == photo.file) {
        pixlet.setSourceFile(photo.path);
    } else {
        // No QString names a file whose name is not UTF-8: the photo is read
        // through its own bytes, without the camera's preview.
        const std::optional<QByteArray> data = ReadNamedFile(photo.file);
        const QImage picture =
            data ? PictureDecoder::Decode(*data, PictureDecoder::FormatOfName(photo.path), pixlet.box()) : QImage();
        if (picture.isNull())
            return false;
        pixlet.setSourcePicture(picture);
    }
    pixlet.setUseEmbeddedPreview(true);
    pixlet.setBackColor(CatalogMaker::ThumbnailBackground);
    pixlet.setDestinationFile(QDir(catalogFolder()).filePath(photo.thumbnail));
    return pixlet.Generate();
}

std::optional<QStringList> FolderCatalog::MakeOrRefresh()
{
    if (!Update())
        return std::nullopt;
    QStringList unreadable;
    for (int row : Pending()) {
        if (MakeThumbnail(row))
            m_photos[row].thumbnailMade = true;
        else
            unreadable.append(m_photos.at(row).path);
    }
    return unreadable;
}
