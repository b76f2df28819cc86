#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Pictures in the formats of phones and the web, made on the spot.
namespace TestFormats {

// The picture as HEIC (or AVIF) written by heif-enc from a JPEG, with a
// thumbnail of that longer edge when it is above 0; empty when heif-enc
// failed.
QByteArray HeifEnc(const QImage &image, bool avif, int thumbnailEdge = 0);

// The picture as HEIC (or AVIF) through libheif's encoder, with the rotation
// and mirror transforms that show it as EXIF orientation 1 to 8 would.
QByteArray HeifOriented(const QImage &image, bool avif, int orientation);
// The same with a thumbnail made of another picture, larger than
// thumbnailEdge, scaled to that longer edge and stored with the same
// transforms.
QByteArray HeifWithThumbnail(const QImage &image, const QImage &thumbnail, int thumbnailEdge, bool avif,
                             int orientation);

// A HEIC grid of columns x rows tiles that all share the one tile's coded
// data, as a phone stores its large pictures (and as a file can make
// libheif parse thousands of items from a few bytes each).
QByteArray HeifTileGrid(const QImage &tile, int columns, int rows);

// A PNG with an eXIf chunk carrying the orientation.
QByteArray PngWithExif(const QImage &image, int orientation);

// An extended WebP (VP8X) with an EXIF chunk carrying the orientation.
QByteArray WebpWithExif(const QImage &image, int orientation);

// A PNG whose header announces width x height over the picture's own data.
QByteArray PngClaiming(const QImage &image, int width, int height);

// The HEIF file with the size its image declares (ispe) made width x height.
QByteArray HeifClaiming(QByteArray heif, int width, int height);

// The pictures through ImageMagick's convert, as one file of the suffix's
// format (several pictures make an animation), with convert's options
// applied to the output; empty when convert failed.
QByteArray Converted(const QList<QImage> &frames, const QString &suffix, const QStringList &options = {});

// A TIFF whose orientation tag is the given one.
QByteArray TiffOriented(const QImage &image, int orientation);

// The picture stored as the given EXIF orientation expects it: turned so
// that applying the orientation shows it as it is.
QImage StoredFor(const QImage &upright, int orientation);

} // namespace TestFormats
