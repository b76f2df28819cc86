#include "core/AppPaths.h"
#include "core/CubeRenderer.h"
#include "tests/support/TestPictures.h"

#include <QTest>

using namespace TestPictures;

namespace {

const QColor kFaceColours[6] = {QColor(200, 30, 30),  QColor(30, 160, 40), QColor(30, 60, 200),
                                QColor(230, 200, 20), QColor(20, 190, 200), QColor(180, 40, 190)};

std::array<QImage, 6> SolidFaces()
{
    std::array<QImage, 6> faces;
    for (int i = 0; i < 6; ++i)
        faces[i] = Solid(QSize(120, 120), kFaceColours[i]);
    return faces;
}

// Each face in four quadrants: red, green, blue and yellow from its top left.
std::array<QImage, 6> QuadrantFaces()
{
    std::array<QImage, 6> faces;
    faces.fill(Quadrants(QSize(120, 120)));
    return faces;
}

int PixelsNear(const QImage &image, const QColor &colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += Near(image.pixelColor(x, y), colour, 12);
    return count;
}

QPoint CentreOf(int face, CubeAttitude attitude, QSize size)
{
    const CubeRenderer::Projection p =
        CubeRenderer::Project(face, attitude, CubeRenderer::EdgeFor(std::min(size.width(), size.height())));
    QPointF sum;
    for (const QPointF &corner : p.corners)
        sum += corner;
    return (sum / 4 + QPointF(size.width() / 2.0, size.height() / 2.0)).toPoint();
}

} // namespace

// The cube as the page shows it, checked by its pixels.
class TestCubeRenderer : public QObject
{
    Q_OBJECT
private slots:
    void showingAttitude();
    void eachFaceUprightFacingTheViewer_data();
    void eachFaceUprightFacingTheViewer();
    void turningRight();
    void pictureDensityIgnored();
    void background();
    void emptyFaceShowsThePagesPicture();
};

// Face 3 in front, face 4 on top and face 5 to the right; the other three
// are hidden.
void TestCubeRenderer::showingAttitude()
{
    const QSize size(400, 400);
    const QImage image = CubeRenderer(SolidFaces()).Render(size, CubeAttitude::Showing());
    for (int face : {2, 3, 4}) {
        QVERIFY2(Near(image.pixelColor(CentreOf(face, CubeAttitude::Showing(), size)), kFaceColours[face], 12),
                 qPrintable(QString::number(face + 1)));
    }
    for (int hidden : {0, 1, 5})
        QCOMPARE(PixelsNear(image, kFaceColours[hidden]), 0);
    // Face 3 is left of face 5 and below face 4.
    const QPoint front = CentreOf(2, CubeAttitude::Showing(), size);
    QVERIFY(front.x() < CentreOf(4, CubeAttitude::Showing(), size).x());
    QVERIFY(front.y() > CentreOf(3, CubeAttitude::Showing(), size).y());
}

// Turned to face the viewer, every face shows its picture upright and
// unmirrored: red at the top left, yellow at the bottom right.
void TestCubeRenderer::eachFaceUprightFacingTheViewer_data()
{
    QTest::addColumn<int>("face");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::newRow("1 at the back") << 0 << 0.0 << 180.0;
    QTest::newRow("2 on the left") << 1 << 0.0 << 90.0;
    QTest::newRow("3 in front") << 2 << 0.0 << 0.0;
    QTest::newRow("4 on top") << 3 << -90.0 << 0.0;
    QTest::newRow("5 on the right") << 4 << 0.0 << -90.0;
    QTest::newRow("6 underneath") << 5 << 90.0 << 0.0;
}

void TestCubeRenderer::eachFaceUprightFacingTheViewer()
{
    QFETCH(int, face);
    QFETCH(double, x);
    QFETCH(double, y);
    const QSize size(300, 300);
    const CubeAttitude attitude{x, y};
    const CubeRenderer::Projection projection =
        CubeRenderer::Project(face, attitude, CubeRenderer::EdgeFor(size.width()));
    QVERIFY(projection.visible);
    const QImage image = CubeRenderer(QuadrantFaces()).Render(size, attitude);
    const QPoint centre = CentreOf(face, attitude, size);
    const int quarter = int(CubeRenderer::EdgeFor(size.width()) / 4);
    QVERIFY(Near(image.pixelColor(centre + QPoint(-quarter, -quarter)), Qt::red));
    QVERIFY(Near(image.pixelColor(centre + QPoint(quarter, -quarter)), Qt::green));
    QVERIFY(Near(image.pixelColor(centre + QPoint(-quarter, quarter)), Qt::blue));
    QVERIFY(Near(image.pixelColor(centre + QPoint(quarter, quarter)), Qt::yellow));
}

// A positive turn about the vertical axis brings the left face (2) round
// to the front, as the page's rotateY does.
void TestCubeRenderer::turningRight()
{
    const QSize size(300, 300);
    const CubeAttitude quarterTurn{0, 45};
    const QImage image = CubeRenderer(SolidFaces()).Render(size, quarterTurn);
    QVERIFY(PixelsNear(image, kFaceColours[1]) > 1000);
    QVERIFY(PixelsNear(image, kFaceColours[2]) > 1000);
    QCOMPARE(PixelsNear(image, kFaceColours[4]), 0);
    QVERIFY(CentreOf(1, quarterTurn, size).x() < CentreOf(2, quarterTurn, size).x());
}

// A picture read from "image3@3x.jpg" says it is for a screen of three
// pixels a point: it still covers its whole face.
void TestCubeRenderer::pictureDensityIgnored()
{
    std::array<QImage, 6> faces = QuadrantFaces();
    faces[2].setDevicePixelRatio(3);
    const QSize size(300, 300);
    const QImage image = CubeRenderer(faces).Render(size, CubeAttitude{0, 0});
    const QPoint centre = CentreOf(2, CubeAttitude{0, 0}, size);
    const int quarter = int(CubeRenderer::EdgeFor(size.width()) / 4);
    QVERIFY(Near(image.pixelColor(centre + QPoint(-quarter, -quarter)), Qt::red));
    QVERIFY(Near(image.pixelColor(centre + QPoint(quarter, quarter)), Qt::yellow));
}

// The background is the style's colour, or transparent; the cube at any
// attitude stays inside the picture.
void TestCubeRenderer::background()
{
    const CubeRenderer renderer(SolidFaces());
    CubeRenderer::Style style;
    style.background = Qt::transparent;
    style.shadow = false;
    for (double y = 0; y < 360; y += 15) {
        const QImage image = renderer.Render(QSize(200, 160), CubeAttitude{-35, y}, style);
        QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
        for (int x = 0; x < image.width(); ++x) {
            QCOMPARE(image.pixelColor(x, 0).alpha(), 0);
            QCOMPARE(image.pixelColor(x, image.height() - 1).alpha(), 0);
        }
    }
    style.background = QColor(10, 20, 30);
    const QImage dark = renderer.Render(QSize(200, 200), CubeAttitude::Showing(), style);
    QCOMPARE(dark.pixelColor(2, 2), QColor(10, 20, 30));
}

// An empty face shows what the built page shows there: the template's
// picture for that face, upright.
void TestCubeRenderer::emptyFaceShowsThePagesPicture()
{
    AppPaths::setProgramDirectory(qEnvironmentVariable("VEXILO_APP_DIR"));
    const QImage own(AppPaths::join(AppPaths::templateDirectory(), QStringLiteral("image3@3x.jpg")));
    QVERIFY(!own.isNull());
    std::array<QImage, 6> faces = SolidFaces();
    faces[2] = QImage();
    const QSize size(300, 300);
    const CubeAttitude facing{0, 0};
    const QImage image = CubeRenderer(faces).Render(size, facing);
    const QPoint centre = CentreOf(2, facing, size);
    const double edge = CubeRenderer::EdgeFor(size.width());
    for (const QPointF at : {QPointF(0.1, 0.1), QPointF(0.5, 0.4), QPointF(0.9, 0.9)}) {
        const QPoint shown = centre + ((at - QPointF(0.5, 0.5)) * edge).toPoint();
        const QPoint inPicture(int(at.x() * (own.width() - 1)), int(at.y() * (own.height() - 1)));
        QVERIFY2(Near(image.pixelColor(shown), own.pixelColor(inPicture), 24),
                 qPrintable(QStringLiteral("%1,%2").arg(at.x()).arg(at.y())));
    }
}

QTEST_GUILESS_MAIN(TestCubeRenderer)
#include "tst_cuberenderer.moc"

