#pragma once

#include <QBrush>
#include <QPixmap>
#include <QSize>

// The frame's background: one picture scaled to cover the whole client
// area, keeping its proportions and centred, so that no window size shows
// a seam or an edge of it.
class FrameBackground
{
public:
    // The brush for a client area of size (in logical pixels) on a screen
    // of the given pixel ratio; a plain dark field without a picture.
    static QBrush Cover(const QPixmap &picture, const QSize &size, qreal ratio);
};
