#include "components/tbrowser/ThumbnailModel.h"

#include "components/tbrowser/FileUrl.h"
#include "components/pixlet/PictureDecoder.h"

#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QUrl>

namespace {
// Enough pixmaps for several screens of thumbnails.
constexpr int kCacheCost = 48 * 1024 * 1024;
} // namespace

ThumbnailModel::ThumbnailModel(QList<CatalogPhoto> photos, QString folder, QObject *parent)
    : QAbstractListModel(parent)
    , m_photos(std::move(photos))
    , m_valid(m_photos.size(), false)
    , m_folder(std::move(folder))
    , m_cache(kCacheCost)
{
}

int ThumbnailModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_photos.size());
}

QVariant ThumbnailModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_photos.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return QFile::decodeName(FileUrl::fileName(m_photos.at(index.row()).url));
    case Qt::DecorationRole:
        return thumbnail(index.row());
    case Qt::ToolTipRole:
        return m_toolTips ? QVariant(localPath(index.row())) : QVariant();
    default:
        return {};
    }
}

Qt::ItemFlags ThumbnailModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractListModel::flags(index);
    if (m_draggable && index.isValid())
        f |= Qt::ItemIsDragEnabled;
    return f;
}

QStringList ThumbnailModel::mimeTypes() const
{
    return {QStringLiteral("text/uri-list")};
}

QMimeData *ThumbnailModel::mimeData(const QModelIndexList &indexes) const
{
    QList<QUrl> urls;
    for (const QModelIndex &index : indexes)
        urls.append(QUrl::fromLocalFile(localPath(index.row())));
    auto *mime = new QMimeData;
    mime->setUrls(urls);
    return mime;
}

void ThumbnailModel::setThumbnailSize(QSize size, qreal devicePixelRatio)
{
    if (size == m_size && devicePixelRatio == m_ratio)
        return;
    m_size = size;
    m_ratio = devicePixelRatio;
    m_cache.clear();
    m_missing.clear();
}

void ThumbnailModel::reloadMissing()
{
    for (int row : std::as_const(m_missing)) {
        m_cache.remove(row);
        emit dataChanged(index(row), index(row), {Qt::DecorationRole});
    }
    m_missing.clear();
}

QString ThumbnailModel::localPath(int row) const
{
    return QFile::decodeName(FileUrl::toPath(m_photos.at(row).url).value_or(QByteArray()));
}

QPixmap ThumbnailModel::thumbnail(int row) const
{
    if (QPixmap *cached = m_cache.object(row))
        return *cached;
    // Thumbnails come from whatever the catalog's folder holds: they are read
    // with the same checks as photos.
    const QSize box = (QSizeF(m_size) * m_ratio).toSize();
    QPixmap pixmap = QPixmap::fromImage(PictureDecoder::DecodeFile(QDir(m_folder).filePath(m_photos.at(row).thumbnail), box));
    pixmap.setDevicePixelRatio(m_ratio);
    if (pixmap.isNull())
        m_missing.insert(row);
    m_cache.insert(row, new QPixmap(pixmap), qMax<qsizetype>(1, pixmap.width() * pixmap.height() * 4));
    return pixmap;
}
