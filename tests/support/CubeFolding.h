#pragma once

#include <QList>
#include <QPoint>
#include <QString>
#include <QVector3D>

// Folding a flat net of six squares into a cube, pictures outside, to see
// where each picture lands. Directions are in the viewer's space: x to the
// right, y up, z towards the viewer; the cube's front faces the viewer.
namespace CubeFolding {

struct Placement
{
    QVector3D side; // the outward normal of the cube side the picture lands on
    QVector3D top; // where the picture's top edge points
};

// grid: column and row (rows counting downwards) of each square of the net;
// turns: how far each square's picture is turned clockwise on the paper, in
// degrees (0, 90, 180, 270); front: the square folded to face the viewer.
QList<Placement> Fold(const QList<QPoint> &grid, const QList<int> &turns, int front);

// Where the editor's cross puts faces 1 to 6 (index 0 to 5): faces 1, 2, 3
// and 5 in a row, face 4 above face 3, face 6 below it, face 3 in front.
QList<Placement> EditorsCube();

// "front", "back", "left", "right", "top", "bottom" for a unit direction.
QString Name(const QVector3D &direction);

} // namespace CubeFolding
