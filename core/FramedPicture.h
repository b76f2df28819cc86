#pragma once

#include "core/FaceFraming.h"

#include <QImage>
#include <QSize>

class CubeFace;
class Pixlet;

// The one way a face's picture is made from its photo and its framing:
// every output (the editor's face, the web image, the print picture and all
// made from it) shows what this makes.
namespace FramedPicture {

// The face picture, edge x edge pixels, of a photo decoded upright at any
// scale; upright is the photo's full size, which the framing's square
// refers to, and part the rectangle of it the picture shows (the whole
// photo when empty). Null for a null picture.
QImage Make(const QImage &picture, QSize upright, const FaceFraming &framing, int edge, const QRect &part = {});

// A face picture and the full upright size of the photo it was made from.
struct Made
{
    QImage picture;
    QSize upright;
};
// The face picture of the thumbnail generator's source, decoded once at the
// size the framing needs (for Fill, only the square where the photo allows
// it); null when the source cannot be read.
Made FromSource(const Pixlet &source, const FaceFraming &framing, int edge);

// Sets the thumbnail generator's source to what the face holds: its photo
// file or its picture in memory.
void SetSource(Pixlet &pixlet, const CubeFace &face);

// The full upright size of the face's photo or picture; invalid when it
// cannot be read.
QSize UprightSizeOf(const CubeFace &face);

} // namespace FramedPicture
