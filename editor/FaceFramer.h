#pragma once

#include "core/CubeFace.h"
#include "core/FaceFraming.h"

#include <QImage>
#include <QPointF>
#include <QSize>

// Moves and zooms a face's photo within its face. Works on a picture of
// the photo decoded once and kept, so that each step of a drag or a zoom
// is drawn without reading the photo again.
class FaceFramer
{
public:
    // keptEdge: the longest side of the kept picture of the photo.
    explicit FaceFramer(int keptEdge = 1024);

    // Keeps a picture of the face's photo, decoding it unless the photo is
    // the one kept already; false when it cannot be read.
    bool Take(const CubeFace &face);
    const QImage &picture() const { return m_picture; }
    // The photo's full upright size.
    QSize upright() const { return m_upright; }

    // The framing with the photo moved by `by`, in pixels of the face as
    // shown `edge` pixels wide (turned as the framing is): the photo follows
    // the pointer. A fitted photo is first made to fill the face.
    FaceFraming Moved(const FaceFraming &from, QPointF by, int edge) const;
    // The framing zoomed in by factor (below 1 zooms out) keeping the photo
    // point under `at`, a point of the face as shown `edge` pixels wide.
    FaceFraming Zoomed(const FaceFraming &from, double factor, QPointF at, int edge) const;
    // The same, in the photo's own upright pixels: the square moved by
    // inPhoto, or zoomed by factor keeping the photo point where it is in
    // the square.
    FaceFraming SquareMoved(const FaceFraming &from, QPointF inPhoto) const;
    FaceFraming ZoomedAbout(const FaceFraming &from, double factor, QPointF photoPoint) const;
    // The square a Fill with the framing shows, in photo pixels; the
    // middle square for a Fit.
    QRectF SquareOf(const FaceFraming &from) const;
    // The face picture with the framing, edge x edge pixels.
    QImage Picture(const FaceFraming &framing, int edge) const;

private:
    FaceFraming WithSquare(const FaceFraming &from, const QRectF &square) const;

    int m_keptEdge;
    QString m_photo;
    QImage m_pasted;
    QImage m_picture;
    QSize m_upright;
};
