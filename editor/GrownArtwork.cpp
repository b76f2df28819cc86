#include "editor/GrownArtwork.h"

#include <QImage>
#include <QMargins>
#include <QPainter>

namespace {

// Where the background gives way, in its own pixels. The column and the row
// that repeat lie inside the photo browser's shadow; right of the shadow's
// edge (ShadowEdge to FacesSide) only the row just above the band repeats,
// and from FacesSide on that row holds the faces' glow, so the room there
// takes the plain colour beside it.
constexpr int RepeatedColumn = 140;
constexpr int RepeatedRow = 200;
constexpr int ShadowEdge = 264;
constexpr int FacesSide = 280;
constexpr int BandTop = 384;
// The band's first rows under the faces hold the shadow of the face above.
constexpr int FaceShadowRows = 8;

void DrawPart(QPainter &painter, const QPixmap &picture, const QRect &source, const QRect &target)
{
    if (source.isEmpty() || target.isEmpty())
        return;
    const qreal ratio = picture.devicePixelRatio();
    painter.drawPixmap(QRectF(target), picture,
                       QRectF(source.x() * ratio, source.y() * ratio, source.width() * ratio, source.height() * ratio));
}

// Draws the source part of the picture over target: the margins as drawn,
// the middle stretched to the rest.
void DrawSliced(QPainter &painter, const QPixmap &picture, const QRect &source, const QMargins &kept,
                const QRect &target)
{
    const int sx[4] = {source.left(), source.left() + kept.left(), source.right() + 1 - kept.right(),
                       source.right() + 1};
    const int sy[4] = {source.top(), source.top() + kept.top(), source.bottom() + 1 - kept.bottom(),
                       source.bottom() + 1};
    const int tx[4] = {target.left(), target.left() + kept.left(), target.right() + 1 - kept.right(),
                       target.right() + 1};
    const int ty[4] = {target.top(), target.top() + kept.top(), target.bottom() + 1 - kept.bottom(),
                       target.bottom() + 1};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            DrawPart(painter, picture, QRect(sx[i], sy[j], sx[i + 1] - sx[i], sy[j + 1] - sy[j]),
                     QRect(tx[i], ty[j], tx[i + 1] - tx[i], ty[j + 1] - ty[j]));
}

QPixmap Canvas(QSize size, qreal ratio)
{
    QPixmap canvas(size * ratio);
    canvas.setDevicePixelRatio(ratio);
    canvas.fill(Qt::transparent);
    return canvas;
}

} // namespace

QPixmap GrownArtwork::Background(const QPixmap &picture, QSize extra)
{
    if (picture.isNull() || extra == QSize(0, 0))
        return picture;
    const QSize designed = picture.deviceIndependentSize().toSize();
    const int width = designed.width(), height = designed.height();
    const int dx = extra.width(), dy = extra.height();
    QPixmap grown = Canvas(designed + extra, picture.devicePixelRatio());
    QPainter painter(&grown);
    DrawSliced(painter, picture, QRect(0, 0, ShadowEdge, height),
               QMargins(RepeatedColumn, RepeatedRow, ShadowEdge - RepeatedColumn - 1, height - RepeatedRow - 1),
               QRect(0, 0, ShadowEdge + dx, height + dy));
    DrawSliced(painter, picture, QRect(ShadowEdge, 0, FacesSide - ShadowEdge, height),
               QMargins(FacesSide - ShadowEdge - 1, BandTop - 1, 0, height - BandTop),
               QRect(ShadowEdge + dx, 0, FacesSide - ShadowEdge, height + dy));
    const int side = width - FacesSide;
    DrawPart(painter, picture, QRect(FacesSide, 0, side, BandTop), QRect(FacesSide + dx, 0, side, BandTop));
    const QPoint beside = QPoint(width - 1, BandTop - 1) * picture.devicePixelRatio();
    painter.fillRect(QRect(FacesSide + dx, BandTop, side, dy), picture.copy(QRect(beside, QSize(1, 1))).toImage().pixelColor(0, 0));
    DrawPart(painter, picture, QRect(FacesSide, BandTop, side, height - BandTop),
             QRect(FacesSide + dx, BandTop + dy, side, height - BandTop));
    // Moved away from the face, those rows take the band's own, from its
    // right end.
    if (dy > 0)
        DrawPart(painter, picture, QRect(width - 1, BandTop, 1, FaceShadowRows),
                 QRect(FacesSide + dx, BandTop + dy, side, FaceShadowRows));
    return grown;
}

QPixmap GrownArtwork::Frame(const QPixmap &picture, QSize size)
{
    // Past the rounded corners and the border.
    constexpr int edge = 12;
    if (picture.isNull() || picture.deviceIndependentSize().toSize() == size)
        return picture;
    QPixmap framed = Canvas(size, picture.devicePixelRatio());
    QPainter painter(&framed);
    DrawSliced(painter, picture, QRect(QPoint(), picture.deviceIndependentSize().toSize()),
               QMargins(edge, edge, edge, edge), QRect(QPoint(), size));
    return framed;
}
