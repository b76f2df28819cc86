#pragma once

#include "components/pixlet/Pixlet.h"
#include "core/CubeFace.h"
#include "core/FramedPicture.h"

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

// The 77 x 77 pictures the editor shows on its faces, made by the face
// thumbnail step: the face's framed picture is made, the thumbnail
// generator writes it as thumbN.jpg in the work directory, the picture is
// loaded from it and the file deleted. The last few are kept, so that undo
// and redo show a face again without decoding its photo.
class FaceThumbnails
{
public:
    static constexpr int Edge = 77;

    void setWorkDirectory(const QString &directory) { m_work = directory; }

    // The face thumbnail step for face index showing face; a null picture
    // when the photo or picture cannot be read.
    QImage Make(int index, const CubeFace &face);
    // The same step for a face picture made already, Edge pixels square.
    QImage Make(int index, const CubeFace &face, const FramedPicture::Made &framed);
    // The thumbnail last made of face, made again when none is kept.
    QImage Of(int index, const CubeFace &face);
    // The full upright size of the face's photo, as read for its last
    // thumbnail; invalid when none is kept.
    QSize UprightSizeOf(const CubeFace &face) const;

    // The pixels per inch the face prints at when below the sharp
    // minimum, as its last thumbnail found; 0 when sharp or not known.
    int LowPrintPpi(const CubeFace &face) const;
    // The thumbnail with a mark that its face prints soft.
    static QImage WithLowResolutionNote(const QImage &thumbnail);

    // The thumbnail file of face index in the work directory.
    QString ThumbnailFile(int index) const;

private:
    static constexpr int Kept = 24;

    struct Thumbnail
    {
        CubeFace face;
        QImage picture;
        QSize upright;
    };
    const Thumbnail *KeptOf(const CubeFace &face) const;

    QString m_work;
    Pixlet m_pixlet;
    QList<Thumbnail> m_kept;
};
