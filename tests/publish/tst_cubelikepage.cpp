#include "core/CubeRenderer.h"
#include "publish/CubeFromFaces.h"
#include "tests/support/HeadlessBrowser.h"
#include "tests/support/SilentProgress.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPictures.h"

#include <QPainter>
#include <QTest>
#include <QUrl>

using namespace TestPictures;

namespace {

const QColor kFaceColours[6] = {QColor(200, 30, 30),  QColor(30, 160, 40), QColor(30, 60, 200),
                                QColor(230, 200, 20), QColor(20, 190, 200), QColor(180, 40, 190)};

// Each face's photo in its own colour, its top left quarter darker: a face
// turned or mirrored shows the dark quarter elsewhere.
QImage MarkedFace(int index)
{
    QImage photo = Solid(QSize(400, 400), kFaceColours[index]);
    QPainter(&photo).fillRect(QRect(0, 0, 200, 200), kFaceColours[index].darker(250));
    return photo;
}

// The face and shade a pixel shows (0 to 11), or -1 for anything else.
int Shade(const QColor &pixel)
{
    for (int i = 0; i < 6; ++i) {
        if (Near(pixel, kFaceColours[i], 28))
            return 2 * i;
        if (Near(pixel, kFaceColours[i].darker(250), 20))
            return 2 * i + 1;
    }
    return -1;
}

// The rectangle the cube's faces cover.
QRect CubeBounds(const QImage &image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            if (Shade(image.pixelColor(x, y)) >= 0)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

} // namespace

// The renderer against the cube page itself, in headless Chromium, held at
// the same attitudes: the same faces show, in the same places, the same way
// up.
class TestCubeLikePage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase() { delete m_env; }
    void sameAsThePage_data();
    void sameAsThePage();

private:
    TestEnvironment *m_env = nullptr;
    QString m_folder;
};

void TestCubeLikePage::initTestCase()
{
    if (!HeadlessBrowser::HaveChromium())
        QSKIP("chromium is not installed (scripts/install-deps installs it)");
    m_env = new TestEnvironment;
    m_folder = m_env->path(QStringLiteral("site"));
    CubeFromFaces cube;
    for (int n = 1; n <= 6; ++n)
        QVERIFY(cube.SetFace(n, WriteFile(m_env->path(QStringLiteral("photos/%1.png").arg(n)),
                                          Encode(MarkedFace(n - 1), "png"))));
    SilentProgress progress;
    QVERIFY(cube.Build(progress, false));
    QVERIFY(!cube.CopyTo(m_folder).failed());
}

void TestCubeLikePage::sameAsThePage_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::newRow("showing") << -20.0 << -35.0;
    QTest::newRow("bottom, from the left") << 30.0 << 120.0;
    QTest::newRow("top, from behind") << -55.0 << 200.0;
}

void TestCubeLikePage::sameAsThePage()
{
    QFETCH(double, x);
    QFETCH(double, y);
    // The page held at the attitude: its player's own turning overruled.
    QByteArray page = ReadFile(m_folder + QStringLiteral("/Vexilo.htm"));
    const QByteArray still = QStringLiteral("<style>.cube3d .cube { transform: translateZ(calc(var(--s) / -2)) "
                                            "rotateX(%1deg) rotateY(%2deg) !important; }</style></head>")
                                 .arg(x)
                                 .arg(y)
                                 .toUtf8();
    page.replace("</head>", still);
    const QString held = WriteFile(m_folder + QStringLiteral("/held.htm"), page);
    const QImage shot = HeadlessBrowser::ChromiumScreenshot(QUrl::fromLocalFile(held).toString(),
                                                            m_env->path(QStringLiteral("profile")), QSize(1000, 1000));
    QVERIFY(!shot.isNull());
    std::array<QImage, 6> faces;
    for (int i = 0; i < 6; ++i)
        faces[i] = MarkedFace(i);
    const QImage drawn = CubeRenderer(faces).Render(QSize(600, 600), CubeAttitude{x, y});

    // Both cubes brought to the same box, then compared point by point.
    const QRect onPage = CubeBounds(shot), onPicture = CubeBounds(drawn);
    QVERIFY(onPage.width() > 100 && onPicture.width() > 100);
    QVERIFY(qAbs(double(onPage.width()) / onPage.height() - double(onPicture.width()) / onPicture.height()) < 0.05);
    int same = 0, compared = 0;
    for (double u = 0.05; u < 1; u += 0.05) {
        for (double v = 0.05; v < 1; v += 0.05) {
            const int pageShade = Shade(shot.pixelColor(onPage.x() + int(u * onPage.width()),
                                                        onPage.y() + int(v * onPage.height())));
            const int drawnShade = Shade(drawn.pixelColor(onPicture.x() + int(u * onPicture.width()),
                                                          onPicture.y() + int(v * onPicture.height())));
            if (pageShade < 0 && drawnShade < 0)
                continue;
            ++compared;
            same += pageShade == drawnShade;
        }
    }
    QVERIFY2(compared > 150 && same >= compared * 93 / 100,
             qPrintable(QStringLiteral("%1 of %2 points alike").arg(same).arg(compared)));
}

QTEST_MAIN(TestCubeLikePage)
#include "tst_cubelikepage.moc"
