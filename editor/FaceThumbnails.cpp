#include "editor/FaceThumbnails.h"

#include "core/AppPaths.h"
#include "core/CubeModel.h"
#include "core/FramedPicture.h"

#include <QFile>

namespace {
constexpr qint16 ThumbnailMode = 2;
} // namespace

QString FaceThumbnails::ThumbnailFile(int index) const
{
    return FaceFileName(AppPaths::join(m_work, QStringLiteral("thumb")), index);
}

QImage FaceThumbnails::Make(int index, const CubeFace &face)
{
    if (face.isPasted())
        m_pixlet.setSourcePicture(face.picture());
    else
        m_pixlet.setSourceFile(face.photo());
    const FramedPicture::Made framed = FramedPicture::FromSource(m_pixlet, face.framing(), Edge);
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
