#include "core/CubeFace.h"

#include <QFileInfo>
#include <QTransform>

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

CubeFace CubeFace::Turned(int degrees) const
{
    CubeFace face = *this;
    face.m_turn = ((m_turn + degrees) % 360 + 360) % 360;
    return face;
}

QImage CubeFace::Framed(const QImage &boxed) const
{
    if (m_turn == 0 || boxed.isNull())
        return boxed;
    return boxed.transformed(QTransform().rotate(m_turn));
}

bool CubeFace::operator==(const CubeFace &other) const
{
    if (m_photo != other.m_photo || m_turn != other.m_turn || m_picture.isNull() != other.m_picture.isNull())
        return false;
    return m_picture.cacheKey() == other.m_picture.cacheKey() || m_picture == other.m_picture;
}
