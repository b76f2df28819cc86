#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>

// A part of a large JPEG photo decoded without the rest: only the part's
// 8 x 8 blocks go through libjpeg's inverse DCT, upsampling and colour
// conversion, at a reduced scale. The rows above the part must still be
// Huffman-decoded; those below are not read, except in a progressive file,
// whose every scan is read first.
namespace JpegRegion {

// A part of the picture as decoded.
//
// `covered` is the wanted rectangle grown outward to the decoder's blocks:
// its left edge to a column of MCUs (every 8 pixels, 16 when colour is
// stored at half width), its top edge to a multiple of 8, its right and
// bottom edges to a multiple of 8 or the picture's own edge. At scale s/8 each 8 x 8 block becomes s x s
// pixels and the picture's last, partial block ceil(rest * s / 8), so the
// picture is exactly
//     ceil(covered.width() * s / 8) x ceil(covered.height() * s / 8)
// and its pixel (x, y) shows the full-size pixels from
// covered.topLeft() + (x, y) * 8 / s, 8 / s of them each way.
struct Part
{
    QImage picture; // Format_RGB32; null on any failure
    QRect covered; // in the stored picture's full-size pixels
};

// Decodes the part of the stored picture (before any EXIF orientation)
// holding `wanted`, in full-size pixels, at scaleEighths / 8 of its size
// (1 to 8). The picture is null when the scale is out of range, `wanted` is
// empty or not wholly inside the picture, the file fails the checks made
// before any JPEG is decoded (a frame its scan data cannot hold, no end
// marker), its colours are CMYK or YCCK, the part would take more than
// 256 MB, or libjpeg finds an error in it. Nothing is printed.
Part Decode(const QByteArray &jpeg, const QRect &wanted, int scaleEighths);

} // namespace JpegRegion
