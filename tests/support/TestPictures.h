#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>

// Pictures made on the spot for tests of the imaging pieces.
namespace TestPictures {

// Four quadrants: top-left red, top-right green, bottom-left blue,
// bottom-right yellow.
QImage Quadrants(QSize size);
QImage Solid(QSize size, const QColor &color);

// The picture encoded in a format Qt writes ("jpeg", "png", "bmp").
QByteArray Encode(const QImage &image, const char *format, int quality = 95);

// An EXIF block (a TIFF header and its IFDs) with the orientation tag (1 to
// 8) and, when given, an embedded JPEG preview.
QByteArray ExifTiff(int orientation, const QByteArray &preview = {});

// A JPEG with an EXIF block whose orientation tag (1 to 8) is given.
QByteArray WithExifOrientation(const QByteArray &jpeg, int orientation, const QByteArray &preview = {});

// A JPEG header announcing width x height (frame type 0xC0 baseline or 0xC2
// progressive, three components at full resolution) followed by
// dataBytes bytes of scan data and, when withEnd is set, an end marker.
QByteArray JpegHeaderOnly(int width, int height, int frameMarker, qsizetype dataBytes, bool withEnd);

// The same header, but with its frame hidden from a reader that takes FF 00
// for a marker with a length: such a reader jumps over the real frame to a
// decoy frame of 16 x 16 inside a comment, which the decoder skips.
QByteArray JpegWithHiddenFrame(int width, int height, qsizetype dataBytes);

// True when every channel differs by at most tolerance.
bool Near(QColor a, QColor b, int tolerance = 40);

// True when every pixel of the rectangle is near the colour.
bool AreaIs(const QImage &image, const QRect &area, const QColor &color, int tolerance = 40);

} // namespace TestPictures
