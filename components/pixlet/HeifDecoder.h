#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

// HEIC, HEIF and AVIF pictures through libheif, with the file's rotation
// and mirror transforms applied. The number of items the file holds and the
// sizes it declares are checked before libheif parses it. A picture may
// take twice the limit the other formats have, since it cannot be decoded
// at a reduced size.
namespace HeifDecoder {
// True when the bytes start like a HEIF or AVIF file.
bool IsHeif(const QByteArray &data);
// True when the file's items would be refused for their number or their
// declared sizes, which is checked before libheif sees the file.
bool TooLarge(const QByteArray &data, int limitMB);
// True when the file's primary picture can be found and its declared size
// fits the limit; nothing is decoded.
bool Probe(const QByteArray &data, int limitMB);
// The primary picture upright at full size; null when it cannot be read or
// would take more than the limit.
QImage Decode(const QByteArray &data, int limitMB);
// The smallest of the thumbnails the file stores for its primary picture
// that is at least as large as the picture fitted into the box, upright and
// at its own size; null when there is none.
QImage DecodeThumbnail(const QByteArray &data, QSize box);
} // namespace HeifDecoder
