#include "editor/FaceThumbnails.h"

#include "core/AppPaths.h"
#include "core/CubeModel.h"

#include <QFile>

namespace {
constexpr qint16 ThumbnailEdge = 77;
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
    m_pixlet.setBoxWidth(ThumbnailEdge);
    m_pixlet.setBoxHeight(ThumbnailEdge);
    m_pixlet.setDestinationFile(ThumbnailFile(index));
    m_pixlet.setMember11(ThumbnailMode);
    QImage thumbnail;
    if (m_pixlet.Generate())
        thumbnail.load(ThumbnailFile(index), "jpeg");
    QFile::remove(ThumbnailFile(index));
    thumbnail = face.Framed(thumbnail);
    if (!thumbnail.isNull()) {
        m_kept.prepend({face, thumbnail});
        if (m_kept.size() > Kept)
            m_kept.removeLast();
    }
    return thumbnail;
}

QImage FaceThumbnails::Of(int index, const CubeFace &face)
{
    for (const auto &[kept, thumbnail] : std::as_const(m_kept))
        if (kept == face)
            return thumbnail;
    return Make(index, face);
}
