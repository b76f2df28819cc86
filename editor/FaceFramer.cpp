#include "editor/FaceFramer.h"

#include "components/pixlet/Pixlet.h"
#include "core/FramedPicture.h"

#include <QTransform>

#include <algorithm>
#include <cmath>

namespace {

// A point or a vector of the face as shown, taken back to the face before
// its turn: the shown face is the upright one turned clockwise.
QTransform UnturnedFace(int turn, int edge)
{
    QTransform unturn;
    unturn.translate(edge / 2.0, edge / 2.0);
    unturn.rotate(-turn);
    unturn.translate(-edge / 2.0, -edge / 2.0);
    return unturn;
}

QPointF UnturnedVector(QPointF by, int turn)
{
    return QTransform().rotate(-turn).map(by);
}

} // namespace

FaceFramer::FaceFramer(int keptEdge)
    : m_keptEdge(keptEdge)
{
}

bool FaceFramer::Take(const CubeFace &face)
{
    if (face.isEmpty())
        return false;
    if (!m_picture.isNull() && face.photo() == m_photo && face.picture().cacheKey() == m_pasted.cacheKey())
        return true;
    Pixlet source;
    FramedPicture::SetSource(source, face);
    const PictureDecoder::Decoded decoded = source.DecodedPicture([this](QSize) { return QSize(m_keptEdge, m_keptEdge); });
    m_picture = decoded.picture;
    m_upright = decoded.upright;
    m_photo = face.photo();
    m_pasted = face.picture();
    return !m_picture.isNull();
}

QRectF FaceFramer::SquareOf(const FaceFraming &from) const
{
    const FaceFraming fill = from.mode == FaceFraming::Mode::Fill ? from : from.Filled();
    return fill.SquareIn(m_upright);
}

// Kept inside the photo and within the zoom limits, rounded to whole pixels.
FaceFraming FaceFramer::WithSquare(const FaceFraming &from, const QRectF &square) const
{
    const int edge = std::clamp(int(std::lround(square.width())), FaceFraming::SmallestSquare(m_upright),
                                FaceFraming::LargestSquare(m_upright));
    const QRect whole(int(std::lround(square.left())), int(std::lround(square.top())), edge, edge);
    const FaceFraming filled = from.Filled(whole);
    return from.Filled(filled.SquareIn(m_upright));
}

FaceFraming FaceFramer::Moved(const FaceFraming &from, QPointF by, int edge) const
{
    const double side = SquareOf(from).width();
    return SquareMoved(from, -UnturnedVector(by, from.turn) * (side / edge));
}

FaceFraming FaceFramer::SquareMoved(const FaceFraming &from, QPointF inPhoto) const
{
    return WithSquare(from, SquareOf(from).translated(inPhoto));
}

FaceFraming FaceFramer::Zoomed(const FaceFraming &from, double factor, QPointF at, int edge) const
{
    const QRectF square = SquareOf(from);
    const QPointF onFace = UnturnedFace(from.turn, edge).map(at) / edge;
    return ZoomedAbout(from, factor, square.topLeft() + onFace * square.width());
}

FaceFraming FaceFramer::ZoomedAbout(const FaceFraming &from, double factor, QPointF photoPoint) const
{
    const QRectF square = SquareOf(from);
    const QPointF inSquare = (photoPoint - square.topLeft()) / square.width();
    const double side = std::clamp(square.width() / factor, double(FaceFraming::SmallestSquare(m_upright)),
                                   double(FaceFraming::LargestSquare(m_upright)));
    return WithSquare(from, QRectF(photoPoint - inSquare * side, QSizeF(side, side)));
}

QImage FaceFramer::Picture(const FaceFraming &framing, int edge) const
{
    return FramedPicture::Make(m_picture, m_upright, framing, edge);
}
