#include "publish/FoldOutPdf.h"

#include "core/FileCommit.h"
#include "publish/CubeBuilder.h"

#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>

namespace {
constexpr double TabMm = 8.0;
constexpr double TabSlantMm = 8.0;
constexpr int Resolution = 1200; // device units per inch
const QColor kCutColour(40, 40, 40);
const QColor kFoldColour(110, 120, 140);
const QColor kTabColour(228, 231, 237);

// A font of the given size in points for a painter that draws in millimetres.
QFont Font(double points, bool bold = false)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(points * 25.4 / Resolution);
    font.setBold(bold);
    return font;
}

// Column and row of a cell in the cross, from its place on the fold-out image.
QPoint GridOf(int cell)
{
    const int minLeft = *std::min_element(std::begin(CubeBuilder::FoldOutLeft), std::end(CubeBuilder::FoldOutLeft));
    return {qRound(double(CubeBuilder::FoldOutLeft[cell] - minLeft) / CubeBuilder::FoldOutCell),
            qRound(double(CubeBuilder::FoldOutTop[cell]) / CubeBuilder::FoldOutCell)};
}

struct Layout
{
    QPointF origin; // top-left corner of the cross's grid, in millimetres

    Layout()
    {
        int columns = 0, rows = 0;
        for (int c = 0; c < 6; ++c) {
            columns = std::max(columns, GridOf(c).x() + 1);
            rows = std::max(rows, GridOf(c).y() + 1);
        }
        origin = {(FoldOutPdf::PageWidthMm - columns * FoldOutPdf::FaceMm) / 2,
                  (FoldOutPdf::PageHeightMm - rows * FoldOutPdf::FaceMm - TabMm) / 2};
    }
    QRectF cell(int c) const
    {
        const QPoint g = GridOf(c);
        return {origin + QPointF(g.x(), g.y()) * FoldOutPdf::FaceMm, QSizeF(FoldOutPdf::FaceMm, FoldOutPdf::FaceMm)};
    }
};

// The edge of a cell as a line running clockwise round the cell.
QLineF Edge(const QRectF &r, char edge)
{
    switch (edge) {
    case 't':
        return {r.topLeft(), r.topRight()};
    case 'r':
        return {r.topRight(), r.bottomRight()};
    case 'b':
        return {r.bottomRight(), r.bottomLeft()};
    default:
        return {r.bottomLeft(), r.topLeft()};
    }
}

// A trapezoid standing outside the cell on the given edge.
QPolygonF Tab(const QRectF &cell, char edge)
{
    const QLineF base = Edge(cell, edge);
    const QPointF along = (base.p2() - base.p1()) / base.length();
    const QPointF out(along.y(), -along.x()); // clockwise edges: the outside is to the left
    return QPolygonF({base.p1(), base.p1() + along * TabSlantMm + out * TabMm,
                      base.p2() - along * TabSlantMm + out * TabMm, base.p2()});
}

void DrawFaces(QPainter &p, const Layout &layout, const QImage (&faces)[6])
{
    for (int c = 0; c < 6; ++c) {
        const QRectF r = layout.cell(c);
        const int face = CubeBuilder::FoldOutFace[c];
        p.save();
        p.translate(r.center());
        p.rotate(CubeBuilder::FoldOutTurn[c]);
        const QRectF box(-r.width() / 2, -r.height() / 2, r.width(), r.height());
        if (!faces[face - 1].isNull()) {
            p.drawImage(box, faces[face - 1]);
        } else {
            p.fillRect(box, QColor(250, 250, 252));
            p.setFont(Font(48, true));
            p.setPen(QColor(222, 226, 234));
            p.drawText(box, Qt::AlignCenter, QString::number(face));
        }
        p.restore();
    }
}

void DrawLines(QPainter &p, const Layout &layout)
{
    QPainterPath outline;
    QList<QLineF> folds;
    for (int c = 0; c < 6; ++c) {
        QPainterPath cell;
        cell.addRect(layout.cell(c));
        outline = outline.united(cell);
        for (int d = c + 1; d < 6; ++d) {
            const QPoint step = GridOf(d) - GridOf(c);
            if (step.manhattanLength() != 1)
                continue;
            const QRectF a = layout.cell(c);
            folds << (step.x() ? Edge(a, step.x() > 0 ? 'r' : 'l') : Edge(a, step.y() > 0 ? 'b' : 't'));
        }
    }
    p.setPen(Qt::NoPen);
    p.setBrush(kTabColour);
    for (int t = 0; t < 7; ++t) {
        const QRectF cell = layout.cell(CubeBuilder::FoldOutTabCell[t] - 1);
        const QPolygonF tab = Tab(cell, CubeBuilder::FoldOutTabEdge[t]);
        p.drawPolygon(tab);
        QPainterPath tabPath;
        tabPath.addPolygon(tab);
        tabPath.closeSubpath();
        outline = outline.united(tabPath);
        folds << Edge(cell, CubeBuilder::FoldOutTabEdge[t]);
    }
    p.setBrush(Qt::NoBrush);
    QPen fold(kFoldColour, 0.3);
    fold.setDashPattern({6, 4});
    p.setPen(fold);
    p.drawLines(folds);
    p.setPen(QPen(kCutColour, 0.3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.drawPath(outline.simplified());
}

void DrawDirections(QPainter &p, const Layout &layout)
{
    // The free corners beside the cells below the middle row.
    const QRectF left = layout.cell(1).translated(0, FoldOutPdf::FaceMm).adjusted(0, 4, -TabMm - 3, FoldOutPdf::FaceMm);
    const QFont heading = Font(10, true);
    const QFont body = Font(7.5);
    p.setPen(QColor(16, 38, 84));
    p.setFont(heading);
    QRectF used;
    p.drawText(left, Qt::TextWordWrap, QStringLiteral("Make your own paper cube"), &used);
    p.setFont(body);
    const QStringList steps{
        QStringLiteral("Print this page at actual size (100 %) on stiff paper or thin card."),
        QStringLiteral("Cut along the solid outer line, around the grey glue tabs."),
        QStringLiteral("Fold along every dashed line, photos on the outside."),
        QStringLiteral("Put glue on the tabs and tuck each tab under the edge it meets."),
        QStringLiteral("Close the lid with the last tab."),
    };
    double y = used.bottom() + 2;
    for (int i = 0; i < steps.size(); ++i) {
        p.drawText(QRectF(left.left(), y, left.width(), left.bottom() - y), Qt::TextWordWrap,
                   QStringLiteral("%1. %2").arg(i + 1).arg(steps.at(i)), &used);
        y = used.bottom() + 1.5;
    }

    const QRectF right = layout.cell(3).translated(0, FoldOutPdf::FaceMm).adjusted(TabMm + 3, 4, 0, 0);
    p.setPen(QPen(kCutColour, 0.3));
    p.drawLine(QLineF(right.left(), right.top() + 2, right.left() + 12, right.top() + 2));
    QPen fold(kFoldColour, 0.3);
    fold.setDashPattern({6, 4});
    p.setPen(fold);
    p.drawLine(QLineF(right.left(), right.top() + 8, right.left() + 12, right.top() + 8));
    p.setPen(kCutColour);
    p.drawText(QPointF(right.left() + 15, right.top() + 3.2), QStringLiteral("cut"));
    p.drawText(QPointF(right.left() + 15, right.top() + 9.2), QStringLiteral("fold"));
    p.setFont(heading);
    p.setPen(QColor(16, 38, 84));
    p.drawText(QPointF(right.left(), right.top() + 18), QStringLiteral("Vexilo"));
}
} // namespace

bool FoldOutPdf::Write(const QString &path, const QImage (&faces)[6])
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    {
        QPdfWriter pdf(&file);
        pdf.setPageSize(
            QPageSize(QSizeF(PageWidthMm, PageHeightMm), QPageSize::Millimeter, QStringLiteral("A4 and Letter")));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setResolution(Resolution);
        pdf.setTitle(QStringLiteral("Paper cube"));
        pdf.setCreator(QStringLiteral("Norvane Vexilo"));
        QPainter p;
        if (!p.begin(&pdf))
            return false;
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(Resolution / 25.4, Resolution / 25.4); // millimetres
        const Layout layout;
        DrawFaces(p, layout, faces);
        DrawLines(p, layout);
        DrawDirections(p, layout);
        if (!p.end())
            return false;
    }
    return FileCommit::Commit(file);
}
