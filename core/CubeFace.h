#pragma once

#include "core/FaceFraming.h"

#include <QImage>
#include <QString>

// What one face of the cube holds: nothing, a photo file, or a picture
// pasted from the clipboard and kept in memory. Two faces are equal when
// they show the same thing, so that anything made from a face can be kept
// while the face stays equal.
class CubeFace
{
public:
    CubeFace() = default;
    // A photo file, by its absolute path.
    static CubeFace Photo(const QString &path);
    static CubeFace Pasted(const QImage &picture);

    bool isEmpty() const { return m_photo.isEmpty() && m_picture.isNull(); }
    bool isPhoto() const { return !m_photo.isEmpty(); }
    bool isPasted() const { return !m_picture.isNull(); }
    const QString &photo() const { return m_photo; }
    const QImage &picture() const { return m_picture; }

    // The empty text, the photo's full path, or "Clipboard" for a pasted
    // picture.
    QString Source() const;

    // How the face shows its picture.
    const FaceFraming &framing() const { return m_framing; }
    CubeFace Framed(const FaceFraming &framing) const;
    // How far the face's picture is turned clockwise on top of the photo's
    // own orientation: 0, 90, 180 or 270 degrees.
    int turn() const { return m_framing.turn; }
    // The same face turned by degrees more (a multiple of 90; negative turns
    // the other way).
    CubeFace Turned(int degrees) const { return Framed(m_framing.Turned(degrees)); }

    bool operator==(const CubeFace &other) const;

private:
    QString m_photo;
    QImage m_picture;
    FaceFraming m_framing;
};

inline const QString ClipboardSource = QStringLiteral("Clipboard");
