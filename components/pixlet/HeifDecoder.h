#pragma once

#include <QByteArray>
#include <QImage>

// HEIC, HEIF and AVIF pictures through libheif, with the file's rotation
// and mirror transforms applied. The size the file declares is checked
// before anything is decoded.
namespace HeifDecoder {
// True when the bytes start like a HEIF or AVIF file.
bool IsHeif(const QByteArray &data);
// True when the file's primary picture can be found and its declared size
// fits limitMB megabytes; nothing is decoded.
bool Probe(const QByteArray &data, int limitMB);
// The primary picture upright at full size; null when it cannot be read or
// would take more than limitMB megabytes.
QImage Decode(const QByteArray &data, int limitMB);
} // namespace HeifDecoder
