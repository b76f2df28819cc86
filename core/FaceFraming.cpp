#include "core/FaceFraming.h"

#include <algorithm>

FaceFraming FaceFraming::Turned(int degrees) const
{
    FaceFraming framing = *this;
    framing.turn = ((turn + degrees) % 360 + 360) % 360;
    return framing;
}

FaceFraming FaceFraming::Filled(const QRect &square) const
{
    FaceFraming framing = *this;
    framing.mode = Mode::Fill;
    framing.square = square;
    return framing;
}

FaceFraming FaceFraming::Fitted(Backdrop backdrop) const
{
    FaceFraming framing = *this;
    framing.mode = Mode::Fit;
    framing.backdrop = backdrop;
    framing.square = {};
    return framing;
}

int FaceFraming::LargestSquare(QSize upright)
{
    return std::max(1, std::min(upright.width(), upright.height()));
}

int FaceFraming::SmallestSquare(QSize upright)
{
    return std::min(PrintEdge, LargestSquare(upright));
}

QRect FaceFraming::SquareIn(QSize upright) const
{
    const int largest = LargestSquare(upright);
    if (square.isEmpty())
        return {(upright.width() - largest) / 2, (upright.height() - largest) / 2, largest, largest};
    const int edge = std::clamp(std::min(square.width(), square.height()), SmallestSquare(upright), largest);
    const int left = std::clamp(square.left(), 0, std::max(0, upright.width() - edge));
    const int top = std::clamp(square.top(), 0, std::max(0, upright.height() - edge));
    return {left, top, edge, edge};
}

double FaceFraming::PrintPpi(QSize upright) const
{
    const int shown = mode == Mode::Fill ? SquareIn(upright).width() : std::max(upright.width(), upright.height());
    return shown / PrintInches;
}
