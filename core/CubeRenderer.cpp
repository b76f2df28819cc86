#include "core/CubeRenderer.h"

#include "components/pixlet/Pixlet.h"
#include "core/AppPaths.h"
#include "core/CubeModel.h"
#include "core/FramedPicture.h"

#include <QPainter>
#include <QRadialGradient>
#include <QThread>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <future>
#include <semaphore>

namespace {

// The eye's distance from the page's plane, in cube edges.
constexpr double kPerspective = 3.6;

struct Vec
{
    double x, y, z;
};

// Turns as CSS's rotateX and rotateY do, in the page's axes (y down, z
// towards the viewer).
Vec RotateX(Vec p, double degrees)
{
    const double a = qDegreesToRadians(degrees);
    return {p.x, p.y * std::cos(a) - p.z * std::sin(a), p.y * std::sin(a) + p.z * std::cos(a)};
}

Vec RotateY(Vec p, double degrees)
{
    const double a = qDegreesToRadians(degrees);
    return {p.x * std::cos(a) + p.z * std::sin(a), p.y, -p.x * std::sin(a) + p.z * std::cos(a)};
}

// Each face's own turn before it is pushed out half an edge, as the page
// places faces 1 to 6.
enum class Axis { None, X, Y };
const struct
{
    Axis axis;
    double degrees;
} kFacePlacement[6] = {
    {Axis::Y, 180}, {Axis::Y, -90}, {Axis::None, 0}, {Axis::X, 90}, {Axis::Y, 90}, {Axis::X, -90},
};

// A point of face index's picture, (u, v) from its centre in edges, where
// the page shows it: the face pushed out and turned, then the cube turned
// and pushed back half an edge.
Vec Place(int index, double u, double v, CubeAttitude attitude)
{
    Vec p{u, v, 0.5};
    const auto &placement = kFacePlacement[index];
    if (placement.axis == Axis::X)
        p = RotateX(p, placement.degrees);
    else if (placement.axis == Axis::Y)
        p = RotateY(p, placement.degrees);
    p = RotateX(RotateY(p, attitude.y), attitude.x);
    p.z -= 0.5;
    return p;
}

QPointF Projected(Vec p, double edge)
{
    const double scale = kPerspective / (kPerspective - p.z);
    return QPointF(p.x * scale * edge, p.y * scale * edge);
}

// Twice the polygon's area, positive when its corners run clockwise on the
// screen (y down).
double SignedArea(const QPolygonF &corners)
{
    double sum = 0;
    for (int i = 0; i < corners.size(); ++i) {
        const QPointF a = corners.at(i), b = corners.at((i + 1) % corners.size());
        sum += a.x() * b.y() - b.x() * a.y();
    }
    return sum;
}

// A soft round shadow, fading from the middle to nothing at the circle's
// edge; drawn once, and stretched under every cube.
const QImage &ShadowPicture()
{
    static const QImage picture = [] {
        QImage image(256, 256, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        QRadialGradient gradient(QPointF(128, 128), 128);
        gradient.setColorAt(0, QColor(0, 0, 0, 90));
        gradient.setColorAt(1, QColor(0, 0, 0, 0));
        painter.fillRect(image.rect(), gradient);
        return image;
    }();
    return picture;
}

// The shadow on the floor under the cube: an ellipse 1.6 edges wide and a
// sixth as deep.
void PaintShadow(QPainter &painter, double edge)
{
    painter.drawImage(QRectF(-0.8 * edge, 0.8 * edge - 0.128 * edge, 1.6 * edge, 0.256 * edge), ShadowPicture());
}

std::array<QImage, 6> LoadEmptyFaces()
{
    std::array<QImage, 6> faces;
    for (int index = 0; index < 6; ++index) {
        faces[index] = QImage(AppPaths::join(AppPaths::templateDirectory(), QStringLiteral("image%1@3x.jpg").arg(index + 1)));
        if (faces[index].isNull()) {
            faces[index] = QImage(8, 8, QImage::Format_RGB32);
            faces[index].fill(Qt::white);
        }
    }
    return faces;
}

// The template's picture of an empty face, at its largest size; loaded when
// first needed.
const QImage &EmptyFace(int index)
{
    static const std::array<QImage, 6> faces = LoadEmptyFaces();
    return faces.at(index);
}

} // namespace

CubeRenderer::CubeRenderer(std::array<QImage, 6> faces)
    : m_faces(std::move(faces))
{
}

QImage CubeRenderer::FacePicture(const CubeFace &face, int edge)
{
    if (face.isEmpty())
        return {};
    Pixlet source;
    FramedPicture::SetSource(source, face);
    return FramedPicture::FromSource(source, face.framing(), edge).picture;
}

CubeRenderer CubeRenderer::Of(const CubeContent &content, int edge)
{
    // The photos are decoded side by side, one a core: a large photo's
    // decode takes tens of megabytes while it runs.
    std::counting_semaphore<6> cores(qBound(1, QThread::idealThreadCount(), 6));
    std::array<std::future<QImage>, 6> decoding;
    for (int index = 0; index < 6; ++index)
        decoding[index] = std::async(std::launch::async, [&face = content.faces[index], edge, &cores] {
            cores.acquire();
            QImage picture = FacePicture(face, edge);
            cores.release();
            return picture;
        });
    std::array<QImage, 6> faces;
    for (int index = 0; index < 6; ++index)
        faces[index] = decoding[index].get();
    return CubeRenderer(faces);
}

void CubeRenderer::setFace(int index, const QImage &picture)
{
    m_faces.at(index) = picture;
}

CubeRenderer::Projection CubeRenderer::Project(int index, CubeAttitude attitude, double edge)
{
    Projection projection;
    for (const QPointF corner : {QPointF(-0.5, -0.5), QPointF(0.5, -0.5), QPointF(0.5, 0.5), QPointF(-0.5, 0.5)})
        projection.corners << Projected(Place(index, corner.x(), corner.y(), attitude), edge);
    projection.visible = SignedArea(projection.corners) > 0;
    projection.depth = Place(index, 0, 0, attitude).z;
    return projection;
}

double CubeRenderer::EdgeFor(double side)
{
    // A corner is at most 0.97 edges from the centre once projected; the
    // rest is room for the shadow.
    return side / 2.05;
}

int CubeRenderer::ShownFaceEdge(double side)
{
    return int(std::ceil(side * 0.52));
}

void CubeRenderer::Paint(QPainter &painter, const QRectF &area, CubeAttitude attitude, bool shadow) const
{
    const double edge = EdgeFor(std::min(area.width(), area.height()));
    painter.save();
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    painter.translate(area.center());
    if (shadow)
        PaintShadow(painter, edge);
    const QTransform centred = painter.transform();
    for (int index = 0; index < 6; ++index) {
        const Projection projection = Project(index, attitude, edge);
        if (!projection.visible)
            continue;
        const QImage &picture = m_faces.at(index).isNull() ? EmptyFace(index) : m_faces.at(index);
        QTransform toFace;
        const QRectF source(picture.rect());
        const QPolygonF corners{source.topLeft(), source.topRight(), source.bottomRight(), source.bottomLeft()};
        if (!QTransform::quadToQuad(corners, projection.corners, toFace))
            continue;
        painter.setTransform(toFace * centred);
        // By its pixels, whatever density the picture says it has.
        painter.drawImage(source, picture, source);
    }
    painter.restore();
}

QImage CubeRenderer::Render(QSize size, CubeAttitude attitude, const Style &style) const
{
    QImage picture(size, QImage::Format_ARGB32_Premultiplied);
    picture.fill(style.background);
    QPainter painter(&picture);
    Paint(painter, QRectF(QPointF(0, 0), QSizeF(size)), attitude, style.shadow);
    painter.end();
    return picture;
}
