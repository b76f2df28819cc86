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

// The box to decode the upright photo into so that the face picture of the
// given edge is made without enlarging it: the whole photo fitted into the
// face for Fit, the photo scaled so that its square is the face's edge for
// Fill (never beyond its full size).
QSize DecodeBox(QSize upright, const FaceFraming &framing, int edge);

// The face picture, edge x edge pixels, of a photo decoded upright at any
// scale; upright is the photo's full size, which the framing's square
// refers to. Null for a null picture.
QImage Make(const QImage &picture, QSize upright, const FaceFraming &framing, int edge);

// A face picture and the full upright size of the photo it was made from.
struct Made
{
    QImage picture;
    QSize upright;
};
// The face picture of the thumbnail generator's source, decoded once at the
// size the framing needs; null when the source cannot be read.
Made FromSource(const Pixlet &source, const FaceFraming &framing, int edge);

// The full upright size of the face's photo or picture; invalid when it
// cannot be read.
QSize UprightSizeOf(const CubeFace &face);

} // namespace FramedPicture
