#pragma once

#include <QRect>
#include <QSize>

// How a face shows its picture: the whole picture fitted inside the face
// on a backdrop, or the face filled with a square of the picture; then
// turned on top of the picture's own orientation. Squares are in the
// pixels of the upright picture at its full size.
struct FaceFraming
{
    enum class Mode { Fit, Fill };
    enum class Backdrop { White, Blurred };

    // Edge of the print picture, and the dots per inch it prints at when
    // each of its pixels is a picture pixel: 60 mm at 300 pixels per inch.
    static constexpr int PrintEdge = 720;
    static constexpr double PrintInches = 60.0 / 25.4;
    // Below this a face prints visibly soft.
    static constexpr int LowResolutionPpi = 200;

    Mode mode = Mode::Fit;
    Backdrop backdrop = Backdrop::White; // for Fit
    QRect square; // for Fill; empty for the centred largest square
    int turn = 0; // clockwise: 0, 90, 180 or 270

    bool operator==(const FaceFraming &other) const = default;

    // The same framing turned by degrees more (a multiple of 90; negative
    // turns the other way).
    FaceFraming Turned(int degrees) const;
    // Filling the face, with the square given (empty for the centred one).
    FaceFraming Filled(const QRect &square = {}) const;
    FaceFraming Fitted(Backdrop backdrop) const;

    // The square a Fill shows of a picture of the given upright size: the
    // framing's own, kept inside the picture and within the zoom limits,
    // or the centred largest square.
    QRect SquareIn(QSize upright) const;
    // The smallest square a Fill may show: zoomed in until one picture
    // pixel is one pixel of the print picture.
    static int SmallestSquare(QSize upright);
    static int LargestSquare(QSize upright);
    // The pixels per inch the printed face gets from the picture.
    double PrintPpi(QSize upright) const;
};
