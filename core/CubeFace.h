#pragma once

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

    bool operator==(const CubeFace &other) const;

private:
    QString m_photo;
    QImage m_picture;
};

inline const QString ClipboardSource = QStringLiteral("Clipboard");
