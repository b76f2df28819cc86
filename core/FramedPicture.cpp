#include "core/FramedPicture.h"

#include "components/pixlet/PictureDecoder.h"
#include "components/pixlet/Pixlet.h"
#include "core/CubeFace.h"

#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace {

// How much lighter than the photo the blurred backdrop is, so that the
// photo stands out on it (0 to 255).
constexpr int BackdropLightening = 80;

QImage Square(const QImage &picture, const QRect &square, int edge)
{
    return picture.copy(square).scaled(edge, edge, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// The framing's square, in the pixels of the picture that shows part of the
// upright photo at its scale.
QRect ScaledSquare(const QImage &picture, QSize upright, const FaceFraming &framing, const QRect &part)
{
    const QRect square = framing.SquareIn(upright).translated(-part.topLeft());
    const double scale = double(picture.width()) / part.width();
    const int edge = std::max(1, int(std::lround(square.width() * scale)));
    const int left = std::clamp(int(std::lround(square.left() * scale)), 0, std::max(0, picture.width() - edge));
    const int top = std::clamp(int(std::lround(square.top() * scale)), 0, std::max(0, picture.height() - edge));
    return QRect(left, top, edge, edge) & picture.rect();
}

// A soft, lightened copy of the picture's middle covering the face.
QImage BlurredBackdrop(const QImage &picture, int edge)
{
    const int side = FaceFraming::LargestSquare(picture.size());
    const QRect middle((picture.width() - side) / 2, (picture.height() - side) / 2, side, side);
    const int small = std::max(2, edge / 24);
    QImage backdrop = Square(picture, middle, small)
                          .scaled(small * 4, small * 4, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                          .scaled(edge, edge, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                          .convertToFormat(QImage::Format_RGB32);
    QPainter painter(&backdrop);
    painter.fillRect(backdrop.rect(), QColor(255, 255, 255, BackdropLightening));
    return backdrop;
}

QImage Fitted(const QImage &picture, FaceFraming::Backdrop backdrop, int edge)
{
    QImage face = backdrop == FaceFraming::Backdrop::Blurred ? BlurredBackdrop(picture, edge)
                                                             : QImage(edge, edge, QImage::Format_RGB32);
    if (backdrop == FaceFraming::Backdrop::White)
        face.fill(Qt::white);
    const QImage fitted = picture.scaled(PictureDecoder::FitInto(picture.size(), face.size()), Qt::IgnoreAspectRatio,
                                         Qt::SmoothTransformation);
    QPainter painter(&face);
    painter.drawImage((edge - fitted.width()) / 2, (edge - fitted.height()) / 2, fitted);
    return face;
}

QImage Turned(const QImage &face, int turn)
{
    return turn == 0 ? face : face.transformed(QTransform().rotate(turn));
}

} // namespace

namespace FramedPicture {

QImage Make(const QImage &picture, QSize upright, const FaceFraming &framing, int edge, const QRect &part)
{
    if (picture.isNull() || upright.isEmpty())
        return {};
    const QRect shown = part.isEmpty() ? QRect(QPoint(), upright) : part;
    const QImage face = framing.mode == FaceFraming::Mode::Fill
                            ? Square(picture, ScaledSquare(picture, upright, framing, shown), edge)
                                  .convertToFormat(QImage::Format_RGB32)
                            : Fitted(picture, framing.backdrop, edge);
    return Turned(face, framing.turn);
}

Made FromSource(const Pixlet &source, const FaceFraming &framing, int edge)
{
    if (framing.mode == FaceFraming::Mode::Fill) {
        const PictureDecoder::DecodedPart square =
            source.DecodedPart([&](QSize upright) { return framing.SquareIn(upright); }, edge);
        return {Make(square.picture, square.upright, framing, edge, square.part), square.upright};
    }
    const PictureDecoder::Decoded decoded = source.DecodedPicture([edge](QSize) { return QSize(edge, edge); });
    return {Make(decoded.picture, decoded.upright, framing, edge), decoded.upright};
}

void SetSource(Pixlet &pixlet, const CubeFace &face)
{
    if (face.isPasted())
        pixlet.setSourcePicture(face.picture());
    else
        pixlet.setSourceFile(face.photo());
}

QSize UprightSizeOf(const CubeFace &face)
{
    if (face.isPasted())
        return face.picture().size();
    // The smallest decode that reads the header: a JPEG at an eighth.
    return PictureDecoder::DecodeFileFor(face.photo(), [](QSize) { return QSize(1, 1); }).upright;
}

} // namespace FramedPicture
