#pragma once

#include <QByteArray>
#include <QImage>
#include <QImageIOHandler>

// What a picture file's EXIF block says about the picture: how it must be
// turned to stand upright, and the small JPEG preview cameras store in it.
// The block is looked for where JPEG (APP1), PNG (eXIf) and WebP (EXIF)
// files keep it; anything that does not add up is taken as no block.
struct ExifBlock
{
    int orientation = 1; // 1 to 8, as the orientation tag counts them
    QByteArray preview; // the embedded JPEG, empty when there is none

    static ExifBlock Read(const QByteArray &file);
    // The block itself: a TIFF header and its IFDs.
    static ExifBlock ReadTiff(const QByteArray &tiff);

    QImageIOHandler::Transformations transformation() const;
};

// The picture turned as the transformation says.
QImage Transformed(const QImage &image, QImageIOHandler::Transformations transformation);
