#pragma once

#include "components/tbrowser/CatalogFile.h"

#include <QAbstractListModel>
#include <QCache>
#include <QPixmap>
#include <QSet>
#include <QSize>

// The photos of one catalog as list items. Thumbnails are read from the
// catalog's folder only when an item is first drawn and kept in a bounded
// cache, so a catalog of any size opens at once.
class ThumbnailModel : public QAbstractListModel
{
    Q_OBJECT
public:
    ThumbnailModel(QList<CatalogPhoto> photos, QString folder, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    QStringList mimeTypes() const override;

    const CatalogPhoto &photo(int row) const { return m_photos.at(row); }
    bool isValid(int row) const { return m_valid.at(row); }
    void setValid(int row, bool valid) { m_valid[row] = valid; }

    void setThumbnailSize(QSize size, qreal devicePixelRatio);
    // Forgets the thumbnails that were missing, so that they are read again
    // when next drawn.
    void reloadMissing();
    void setToolTips(bool on) { m_toolTips = on; }
    void setDraggable(bool on) { m_draggable = on; }

private:
    QPixmap thumbnail(int row) const;
    QString localPath(int row) const;

    QList<CatalogPhoto> m_photos;
    QList<bool> m_valid;
    QString m_folder;
    QSize m_size{80, 80};
    qreal m_ratio = 1.0;
    bool m_toolTips = false;
    bool m_draggable = false;
    mutable QCache<int, QPixmap> m_cache;
    mutable QSet<int> m_missing;
};
