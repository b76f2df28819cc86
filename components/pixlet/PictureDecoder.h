#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// Reads picture files the one way every reader of photos and thumbnails
// uses: the format is the one the name's ending says ("jpg", "jpeg", "bmp",
// "png"), else the one the content shows; whatever the decoder will read as
// JPEG is first checked against what its markers declare, so that a small
// file cannot make the decoder allocate gigabytes; and the decoder's own
// memory limit backs that check up for every format.
namespace PictureDecoder {
// What one decode may allocate for the decoded picture, in megabytes.
constexpr int DefaultLimitMB = 128;

// The size of a picture fitted into the box, keeping its aspect ratio.
QSize FitInto(QSize picture, QSize box);

// The format the name's ending says; empty for any other name.
QByteArray FormatOfName(const QString &path);

// The picture, scaled to fit the box keeping its aspect ratio (full size for
// an empty box) and turned upright; null when it cannot be read safely.
QImage DecodeFile(const QString &path, QSize box = {}, int limitMB = DefaultLimitMB);
QImage Decode(const QByteArray &data, const QByteArray &nameFormat, QSize box = {}, int limitMB = DefaultLimitMB);
} // namespace PictureDecoder
