#pragma once

#include <QImage>
#include <QList>
#include <QRect>

// Where the square of a photo filling a cube face sits: on the faces the
// photo shows (OpenCV's face detector), else on its most salient region
// (libvips' attention). Both look at a copy of about 640 pixels on its long
// side; the answers are in the caller's pixels.
namespace SmartCrop {

// The faces found in the picture, in its pixels (empty when none or when the
// detector's model is not installed).
QList<QRect> Faces(const QImage &upright);

// The largest square of the picture (its edge the shorter side), placed to
// hold every face found: centred on their bounding box, or on the largest
// face when the box is wider than the square. Without faces, centred on the
// most salient region, else on the picture's centre. Clamped inside the
// picture; empty for a null picture.
QRect Square(const QImage &upright);

} // namespace SmartCrop
