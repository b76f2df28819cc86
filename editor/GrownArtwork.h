#pragma once

#include <QPixmap>
#include <QSize>

// The editor's artwork for an editor larger than designed: the pictures are
// cut where they can give way, so the parts that stand behind controls of a
// fixed size keep their own size and stay under those controls.
class GrownArtwork
{
public:
    // The background for an editor extra larger than designed: the photo
    // browser's shadow widens and lengthens with the browser; the faces' side
    // moves right with the faces, standing as drawn from the top, and the
    // band at the foot moves down with the buttons on it.
    static QPixmap Background(const QPixmap &picture, QSize extra);
    // The frame around the photo browser at size: its corners and edges as
    // drawn, the inside stretched.
    static QPixmap Frame(const QPixmap &picture, QSize size);
};
