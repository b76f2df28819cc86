#include "editor/FaceThumbnails.h"

#include "core/AppPaths.h"
#include "core/CubeModel.h"
#include "core/FramedPicture.h"

#include <QFile>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
constexpr qint16 ThumbnailMode = 2;
} // namespace

QString FaceThumbnails::ThumbnailFile(int index) const
{
    return FaceFileName(AppPaths::join(m_work, QStringLiteral("thumb")), index);
}

QImage FaceThumbnails::Make(int index, const CubeFace &face)
{
    FramedPicture::SetSource(m_pixlet, face);
    return Make(index, face, FramedPicture::FromSource(m_pixlet, face.framing(), Edge));
}

QImage FaceThumbnails::Make(int index, const CubeFace &face, const FramedPicture::Made &framed)
{
    m_pixlet.setSourcePicture(framed.picture);
    m_pixlet.setBoxWidth(Edge);
    m_pixlet.setBoxHeight(Edge);
    m_pixlet.setDestinationFile(ThumbnailFile(index));
    m_pixlet.setMember11(ThumbnailMode);
    QImage thumbnail;
    if (!framed.picture.isNull() && m_pixlet.Generate())
        thumbnail.load(ThumbnailFile(index), "jpeg");
    QFile::remove(ThumbnailFile(index));
    if (!thumbnail.isNull()) {
        m_kept.prepend({face, thumbnail, framed.upright});
        if (m_kept.size() > Kept)
            m_kept.removeLast();
    }
    return thumbnail;
}

const FaceThumbnails::Thumbnail *FaceThumbnails::KeptOf(const CubeFace &face) const
{
    for (const Thumbnail &kept : m_kept)
        if (kept.face == face)
            return &kept;
    return nullptr;
}

QImage FaceThumbnails::Of(int index, const CubeFace &face)
{
    const Thumbnail *kept = KeptOf(face);
    return kept ? kept->picture : Make(index, face);
}

QSize FaceThumbnails::UprightSizeOf(const CubeFace &face) const
{
    const Thumbnail *kept = KeptOf(face);
    return kept ? kept->upright : QSize();
}

int FaceThumbnails::LowPrintPpi(const CubeFace &face) const
{
    const QSize upright = UprightSizeOf(face);
    const double ppi = face.framing().PrintPpi(upright);
    return upright.isValid() && ppi < FaceFraming::LowResolutionPpi ? std::max(1, int(std::lround(ppi))) : 0;
}

// A warning sign in the bottom right corner, dark on yellow, that reads on
// any photo.
QImage FaceThumbnails::WithLowResolutionNote(const QImage &thumbnail)
{
    QImage marked = thumbnail.convertToFormat(QImage::Format_RGB32);
    QPainter painter(&marked);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF sign(marked.width() - 22, marked.height() - 21, 19, 17);
    const QPolygonF triangle{QPointF(sign.center().x(), sign.top()), sign.bottomRight(), sign.bottomLeft()};
    painter.setPen(QPen(QColor(40, 30, 0), 1.5));
    painter.setBrush(QColor(255, 200, 0));
    painter.drawPolygon(triangle);
    QFont font = painter.font();
    font.setPixelSize(12);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(sign.adjusted(0, 3, 0, 0), Qt::AlignCenter, QStringLiteral("!"));
    return marked;
}
