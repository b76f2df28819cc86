#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

// Makes the catalog of a Picture CD (or of any folder with an info.cd) the
// way the Picture CD software did: CATALOGS/NAME/NAME.sac listing every JPEG
// and BMP photo below the disc's root, with a thumbnail of each in
// CATALOGS/NAME/thumbs. NAME comes from the disc's info.cd.
class CatalogMaker
{
public:
    struct Result
    {
        QString name; // empty on failure
        QString error; // why it failed
        int photos = 0;
        QStringList skipped; // photos that could not be read
    };

    static Result Make(const QString &discRoot, const QString &catalogsDirectory);

    // The photo files below root, recursively, in name order of their paths.
    static QStringList PhotoFiles(const QString &root);

    // Edge of the square the catalog's thumbnails fit into, in pixels: twice
    // the browser's, so they stay sharp on high-density screens.
    static constexpr int ThumbnailEdge = 160;
    // Fills the square around a photo that is not square: the browser's own
    // background, so the thumbnails seem to float on it.
    static inline const QColor ThumbnailBackground{189, 189, 181};
};
