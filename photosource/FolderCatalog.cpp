#include "photosource/FolderCatalog.h"

#include "components/pixlet/PictureDecoder.h"
#include "components/pixlet/Pixlet.h"
#include "components/tbrowser/CatalogFile.h"
#include "components/tbrowser/FileUrl.h"
#include "photosource/CatalogMaker.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

namespace {
const QString kThumbnailFolder = QStringLiteral("thumbs");

QString Hash(const QByteArray &bytes, int length)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(length));
}

QString ThumbnailName(const QFileInfo &photo)
{
    const QByteArray stamp = QFile::encodeName(photo.filePath()) + '\0' + QByteArray::number(photo.size()) + '\0'
                             + QByteArray::number(photo.lastModified().toMSecsSinceEpoch());
    return kThumbnailFolder + QLatin1Char('/') + Hash(stamp, 24) + QStringLiteral(".jpg");
}

QList<CatalogPhoto> CatalogPhotos(const QList<FolderCatalog::Photo> &photos)
{
    QList<CatalogPhoto> list;
    list.reserve(photos.size());
    for (const FolderCatalog::Photo &photo : photos)
        list.append({FileUrl::fromPath(QFile::encodeName(photo.path)), photo.thumbnail});
    return list;
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

QStringList FolderCatalog::PhotoFiles(const std::atomic<bool> *cancel) const
{
    // Hidden folders hold programs' pictures, not the user's photos; the
    // cache of catalogs may lie inside the folder (home is one).
    const QString cache = QDir(m_root).absolutePath() + QLatin1Char('/');
    QStringList files;
    QDirIterator it(m_folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext() && !(cancel && *cancel)) {
        const QString path = it.next();
        if (PictureDecoder::IsPictureName(path) && !path.startsWith(cache))
            files.append(path);
    }
    files.sort();
    return files;
}

bool FolderCatalog::Update()
{
    List();
    return Write();
}

void FolderCatalog::List(const std::atomic<bool> *cancel)
{
    m_photos.clear();
    for (const QString &path : PhotoFiles(cancel))
        m_photos.append({path, ThumbnailName(QFileInfo(path))});
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

bool FolderCatalog::MakeThumbnail(int row) const
{
    const Photo &photo = m_photos.at(row);
    Pixlet pixlet;
    pixlet.setSourceFile(photo.path);
    pixlet.setUseEmbeddedPreview(true);
    pixlet.setBoxWidth(CatalogMaker::ThumbnailEdge);
    pixlet.setBoxHeight(CatalogMaker::ThumbnailEdge);
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
