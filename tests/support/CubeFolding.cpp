#include "tests/support/CubeFolding.h"

#include <QtMath>

namespace CubeFolding {

namespace {
struct Frame
{
    QVector3D right, down, normal; // the square's paper directions and its outside
};
} // namespace

QList<Placement> Fold(const QList<QPoint> &grid, const QList<int> &turns, int front)
{
    QList<Frame> frames(grid.size());
    QList<bool> placed(grid.size(), false);
    frames[front] = {{1, 0, 0}, {0, -1, 0}, {0, 0, 1}};
    placed[front] = true;
    QList<int> queue{front};
    while (!queue.isEmpty()) {
        const int at = queue.takeFirst();
        const Frame f = frames[at];
        for (int next = 0; next < grid.size(); ++next) {
            const QPoint step = grid[next] - grid[at];
            if (placed[next] || step.manhattanLength() != 1)
                continue;
            // Each neighbour folds back by a quarter turn about the shared edge.
            if (step.x() == 1)
                frames[next] = {-f.normal, f.down, f.right};
            else if (step.x() == -1)
                frames[next] = {f.normal, f.down, -f.right};
            else if (step.y() == 1)
                frames[next] = {f.right, -f.normal, f.down};
            else
                frames[next] = {f.right, f.normal, -f.down};
            placed[next] = true;
            queue << next;
        }
    }
    QList<Placement> placements;
    for (int i = 0; i < grid.size(); ++i) {
        const double turn = qDegreesToRadians(double(turns.value(i)));
        const QVector3D top = -frames[i].down * float(qCos(turn)) + frames[i].right * float(qSin(turn));
        placements << Placement{frames[i].normal, top};
    }
    return placements;
}

QList<Placement> EditorsCube()
{
    return Fold({{0, 1}, {1, 1}, {2, 1}, {2, 0}, {3, 1}, {2, 2}}, {0, 0, 0, 0, 0, 0}, 2);
}

QString Name(const QVector3D &d)
{
    const QVector3D r(qRound(d.x()), qRound(d.y()), qRound(d.z()));
    if (r == QVector3D(0, 0, 1))
        return QStringLiteral("front");
    if (r == QVector3D(0, 0, -1))
        return QStringLiteral("back");
    if (r == QVector3D(-1, 0, 0))
        return QStringLiteral("left");
    if (r == QVector3D(1, 0, 0))
        return QStringLiteral("right");
    if (r == QVector3D(0, 1, 0))
        return QStringLiteral("top");
    if (r == QVector3D(0, -1, 0))
        return QStringLiteral("bottom");
    return QStringLiteral("(%1, %2, %3)").arg(d.x()).arg(d.y()).arg(d.z());
}

} // namespace CubeFolding
