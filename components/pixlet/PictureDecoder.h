#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

// Reads picture files the one way every reader of photos and thumbnails
// uses: the format is the one the name's ending says (JPEG, PNG, BMP, GIF,
// WebP, TIFF through Qt's readers; HEIC, HEIF and AVIF through libheif),
// else the one the content shows. Whatever will be read as JPEG is first
// checked against what its markers declare, so that a small file cannot make
// the decoder allocate gigabytes; every other format, decoded at full size,
// must fit the memory limit by the size its header declares. The picture is
// turned upright by its EXIF orientation or HEIF transforms.
namespace PictureDecoder {
// What one decode may allocate for the decoded picture, in megabytes.
constexpr int DefaultLimitMB = 128;

// The size of a picture fitted into the box, keeping its aspect ratio.
QSize FitInto(QSize picture, QSize box);

// The format the name's ending says; empty for any other name.
QByteArray FormatOfName(const QString &path);
// True for a name ending the way a picture of a readable format does.
inline bool IsPictureName(const QString &path)
{
    return !FormatOfName(path).isEmpty();
}

// The picture, scaled to fit the box keeping its aspect ratio (full size for
// an empty box) and turned upright; null when it cannot be read safely.
QImage DecodeFile(const QString &path, QSize box = {}, int limitMB = DefaultLimitMB);

// A part of a picture decoded upright: the picture shows `part` of the
// upright picture at full size, which is `upright` big.
struct DecodedPart
{
    QImage picture;
    QSize upright;
    QRect part;
};
// The part of the upright picture to decode, chosen from its full size.
using PartRule = std::function<QRect(QSize upright)>;
// The part the rule chooses, decoded upright with edge pixels across it
// where the picture has them. A JPEG decodes that part alone (its blocks
// around it), at the smallest of the decoder's scales that gives them;
// anything else is decoded whole, scaled alike, and shows its whole
// picture. A null picture when the file cannot be read safely.
DecodedPart DecodeFilePart(const QString &path, const PartRule &partFor, int edge, int limitMB = DefaultLimitMB);

// A picture decoded upright, with the size it has upright at full size.
struct Decoded
{
    QImage picture;
    QSize upright;
};
// The box to fit a picture into, chosen from its full upright size (an
// empty box for the full size).
using BoxRule = std::function<QSize(QSize upright)>;
// The picture scaled to fit the box the rule gives, turned upright; a null
// picture when it cannot be read safely. A JPEG is decoded at a reduced
// size where the box allows, as with DecodeFile.
Decoded DecodeFileFor(const QString &path, const BoxRule &boxFor, int limitMB = DefaultLimitMB);
Decoded DecodeFor(const QByteArray &data, const QByteArray &nameFormat, const BoxRule &boxFor,
                  int limitMB = DefaultLimitMB);
// The EXIF preview of a JPEG file (only the file's head is read) or the
// thumbnail a HEIC, HEIF or AVIF file stores, upright and fitted into the
// box, when it is at least as large as the fitted picture; null otherwise.
QImage DecodePreviewFile(const QString &path, QSize box);
QImage Decode(const QByteArray &data, const QByteArray &nameFormat, QSize box = {}, int limitMB = DefaultLimitMB);
// Whether the file passes every check made before its pixels are decoded:
// a readable format, a header declaring a size within the limits, and for
// JPEG and GIF the markers and blocks the decoder will need. Nothing is
// decoded, so a file damaged further in can still fail to decode.
bool ProbeFile(const QString &path, int limitMB = DefaultLimitMB);
bool Probe(const QByteArray &data, const QByteArray &nameFormat, int limitMB = DefaultLimitMB);
// Whether a file that cannot be read is refused for its size alone: the
// file, the size its header declares or, for HEIF and AVIF, the number of
// its parts is over what a decode may take.
bool TooLargeFile(const QString &path, int limitMB = DefaultLimitMB);
} // namespace PictureDecoder
