#pragma once

#include "components/pixlet/Pixlet.h"
#include "core/CubeFace.h"

#include <QImage>
#include <QList>
#include <QPair>
#include <QString>

// The 77 x 77 pictures the editor shows on its faces, made by the face
// thumbnail step: the thumbnail generator writes thumbN.jpg in the work
// directory, the picture is loaded from it and the file deleted. The last
// few are kept, so that undo and redo show a face again without decoding
// its photo.
class FaceThumbnails
{
public:
    void setWorkDirectory(const QString &directory) { m_work = directory; }

    // The face thumbnail step for face index showing face; a null picture
    // when the photo or picture cannot be read.
    QImage Make(int index, const CubeFace &face);
    // The thumbnail last made of face, made again when none is kept.
    QImage Of(int index, const CubeFace &face);

    // The thumbnail file of face index in the work directory.
    QString ThumbnailFile(int index) const;

private:
    static constexpr int Kept = 24;

    QString m_work;
    Pixlet m_pixlet;
    QList<QPair<CubeFace, QImage>> m_kept;
};
