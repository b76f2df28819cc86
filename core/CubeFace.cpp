#include "core/CubeFace.h"

#include <QFileInfo>

CubeFace CubeFace::Photo(const QString &path)
{
    CubeFace face;
    face.m_photo = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    return face;
}

CubeFace CubeFace::Pasted(const QImage &picture)
{
    CubeFace face;
    face.m_picture = picture;
    return face;
}

QString CubeFace::Source() const
{
    if (isPasted())
        return ClipboardSource;
    return m_photo;
}

CubeFace CubeFace::Framed(const FaceFraming &framing) const
{
    CubeFace face = *this;
    face.m_framing = framing;
    return face;
}

bool CubeFace::operator==(const CubeFace &other) const
{
    if (m_photo != other.m_photo || !(m_framing == other.m_framing) || m_picture.isNull() != other.m_picture.isNull())
        return false;
    return m_picture.cacheKey() == other.m_picture.cacheKey() || m_picture == other.m_picture;
}
