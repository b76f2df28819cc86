#pragma once

#include <QColor>
#include <QImage>
#include <QPolygonF>

#include <array>

class QPainter;
class CubeFace;
struct CubeContent;

// How the cube is turned, in degrees, as the cube page turns it: first
// about the vertical axis (y, positive turns the front face to the right),
// then about the horizontal one (x, negative tilts the top towards the
// viewer).
struct CubeAttitude
{
    double x = -20;
    double y = -35;

    // The attitude the page shows first: face 3 in front, face 4 on top and
    // face 5 to the right.
    static CubeAttitude Showing() { return {}; }
};

// Draws the cube from its six face pictures at any attitude, as the cube
// page shows it: each face on the same side and the same way up, seen with
// the page's perspective (the eye 3.6 edges from the cube's front face).
// Needs no window: it paints on a picture or on any painter.
class CubeRenderer
{
public:
    struct Style
    {
        QColor background = Qt::white; // transparent for none
        bool shadow = true; // a soft shadow under the cube
    };

    // Faces are indexed 0 to 5 for faces 1 to 6; an empty face shows the
    // page's own picture for it, as the built page does (white without one).
    explicit CubeRenderer(std::array<QImage, 6> faces);
    // The cube's faces as the build makes them, edge pixels across, each
    // photo framed as its face says.
    static CubeRenderer Of(const CubeContent &content, int edge);
    // One face's picture as the build makes it; null for an empty face.
    static QImage FacePicture(const CubeFace &face, int edge);

    void setFace(int index, const QImage &picture);
    const QImage &face(int index) const { return m_faces.at(index); }

    // The cube filling a picture of the given size, centred, at an edge that
    // keeps every attitude inside it.
    QImage Render(QSize size, CubeAttitude attitude, const Style &style) const;
    QImage Render(QSize size, CubeAttitude attitude) const { return Render(size, attitude, Style()); }
    // The cube drawn into the painter's rectangle, over what is there.
    void Paint(QPainter &painter, const QRectF &area, CubeAttitude attitude, bool shadow = true) const;

    // Where face index's corners (its picture's top left, top right, bottom
    // right, bottom left) land in a square area of the given edge, centred
    // at the origin; and whether the face is turned towards the viewer.
    struct Projection
    {
        QPolygonF corners;
        bool visible = false;
        double depth = 0; // larger is nearer the viewer
    };
    static Projection Project(int index, CubeAttitude attitude, double edge);
    // The cube's edge that keeps every attitude within a square of the
    // given side.
    static double EdgeFor(double side);
    // The most pixels across that a face shows in a square of the given
    // side, at any attitude (the nearest face, seen with the perspective).
    static int ShownFaceEdge(double side);

private:
    std::array<QImage, 6> m_faces;
};
