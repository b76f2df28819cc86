#include "components/pixlet/Pixlet.h"
#include "core/CubeFace.h"
#include "core/FramedPicture.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPictures.h"

#include <QTest>
#include <QTransform>

using namespace TestPictures;

Q_DECLARE_METATYPE(FaceFraming)

namespace {
// The stored picture a camera writes with the orientation tag, so that
// turning it as the tag says shows upright.
QImage StoredFor(const QImage &upright, int orientation)
{
    const auto turned = [&](int degrees) { return upright.transformed(QTransform().rotate(degrees)); };
    switch (orientation) {
    case 2: return upright.mirrored(true, false);
    case 3: return turned(180);
    case 4: return upright.mirrored(false, true);
    case 5: return turned(90).mirrored(true, false);
    case 6: return turned(270);
    case 7: return turned(270).mirrored(true, false);
    case 8: return turned(90);
    default: return upright;
    }
}

// The colours at the middles of the face's quarters: top left, top right,
// bottom right, bottom left.
QList<QColor> Quarters(const QImage &face)
{
    const int a = face.width() / 4, b = 3 * face.width() / 4;
    return {face.pixelColor(a, a), face.pixelColor(b, a), face.pixelColor(b, b), face.pixelColor(a, b)};
}

bool Shows(const QImage &face, const QList<QColor> &expected)
{
    const QList<QColor> seen = Quarters(face);
    for (int i = 0; i < 4; ++i)
        if (!Near(seen[i], expected[i]))
            return false;
    return true;
}
} // namespace

class TestFramedPicture : public QObject
{
    Q_OBJECT
private slots:
    void cameraOrientations_data();
    void cameraOrientations();
    void squareKeptInsideAndWithinZoom_data();
    void squareKeptInsideAndWithinZoom();
    void squareDecodedAlone_data();
    void squareDecodedAlone();
    void printResolution_data();
    void printResolution();
    void anyScaleGivesTheSameFace();
    void unreadableSource();
};

void TestFramedPicture::cameraOrientations_data()
{
    QTest::addColumn<int>("orientation");
    QTest::addColumn<FaceFraming>("framing");
    const FaceFraming fill = FaceFraming().Filled();
    for (int orientation = 1; orientation <= 8; ++orientation) {
        QTest::addRow("orientation %d, fill", orientation) << orientation << fill;
        QTest::addRow("orientation %d, crop", orientation) << orientation << fill.Filled(QRect(1000, 200, 800, 800));
        QTest::addRow("orientation %d, fill turned", orientation) << orientation << fill.Turned(90);
    }
}

// The square is taken of the photo as it stands upright, whatever way the
// camera stored it; the turn comes on top.
void TestFramedPicture::cameraOrientations()
{
    QFETCH(int, orientation);
    QFETCH(FaceFraming, framing);
    TestEnvironment env;
    const QImage upright = Quadrants(QSize(1800, 1200));
    const QString path = WriteFile(env.path(QStringLiteral("photo.jpg")),
                                   WithExifOrientation(Encode(StoredFor(upright, orientation), "jpeg"), orientation));
    Pixlet source;
    source.setSourceFile(path);
    const FramedPicture::Made made = FramedPicture::FromSource(source, framing, FaceFraming::PrintEdge);
    QCOMPARE(made.upright, QSize(1800, 1200));
    QCOMPARE(made.picture.size(), QSize(FaceFraming::PrintEdge, FaceFraming::PrintEdge));
    const QImage expected = FramedPicture::Make(upright, upright.size(), framing, FaceFraming::PrintEdge);
    QVERIFY(Shows(made.picture, Quarters(expected)));
    if (framing.square.left() == 1000)
        QVERIFY(Shows(made.picture, {Qt::green, Qt::green, Qt::yellow, Qt::yellow}));
}

void TestFramedPicture::squareKeptInsideAndWithinZoom_data()
{
    QTest::addColumn<QSize>("upright");
    QTest::addColumn<QRect>("square");
    QTest::addColumn<QRect>("shown");
    QTest::newRow("centred by default") << QSize(4000, 3000) << QRect() << QRect(500, 0, 3000, 3000);
    QTest::newRow("inside as given") << QSize(4000, 3000) << QRect(10, 20, 1000, 1000) << QRect(10, 20, 1000, 1000);
    QTest::newRow("moved back inside") << QSize(4000, 3000) << QRect(3500, 2900, 1000, 1000)
                                       << QRect(3000, 2000, 1000, 1000);
    QTest::newRow("larger than the photo") << QSize(4000, 3000) << QRect(0, 0, 5000, 5000)
                                           << QRect(0, 0, 3000, 3000);
    QTest::newRow("zoomed beyond a photo pixel a print pixel")
        << QSize(4000, 3000) << QRect(100, 100, 50, 50) << QRect(100, 100, 720, 720);
    QTest::newRow("small photo, no zoom") << QSize(600, 400) << QRect(0, 0, 100, 100) << QRect(0, 0, 400, 400);
}

void TestFramedPicture::squareKeptInsideAndWithinZoom()
{
    QFETCH(QSize, upright);
    QFETCH(QRect, square);
    QFETCH(QRect, shown);
    QCOMPARE(FaceFraming().Filled(square).SquareIn(upright), shown);
}

void TestFramedPicture::squareDecodedAlone_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QRect>("square");
    QTest::addColumn<int>("widest");
    // The middle square, 1600 pixels, needs half of them for 720: the part
    // of a JPEG is decoded at 4/8, its blocks around it; a PNG whole.
    QTest::newRow("jpeg, middle square") << "a.jpg" << 1 << QRect() << 820;
    QTest::newRow("jpeg turned, middle square") << "b.jpg" << 6 << QRect() << 820;
    QTest::newRow("jpeg, zoomed all the way") << "c.jpg" << 1 << QRect(1300, 100, 720, 720) << 740;
    QTest::newRow("jpeg mirrored, zoomed") << "d.jpg" << 2 << QRect(100, 800, 750, 750) << 770;
    QTest::newRow("png, middle square") << "e.png" << 1 << QRect() << 1080;
}

// Filling a face decodes the photo's square and little more: the face is
// made from the square alone, the same as from the whole photo.
void TestFramedPicture::squareDecodedAlone()
{
    QFETCH(QString, name);
    QFETCH(int, orientation);
    QFETCH(QRect, square);
    QFETCH(int, widest);
    TestEnvironment env;
    const QImage upright = Quadrants(QSize(2400, 1600));
    const QImage stored = StoredFor(upright, orientation);
    const QByteArray bytes = name.endsWith(QLatin1String(".png"))
                                 ? Encode(stored, "png")
                                 : WithExifOrientation(Encode(stored, "jpeg"), orientation);
    Pixlet source;
    source.setSourceFile(WriteFile(env.path(name), bytes));
    const FaceFraming framing = FaceFraming().Filled(square);
    const PictureDecoder::DecodedPart part =
        source.DecodedPart([&](QSize size) { return framing.SquareIn(size); }, FaceFraming::PrintEdge);
    QCOMPARE(part.upright, upright.size());
    QVERIFY(part.part.contains(framing.SquareIn(upright.size())));
    QVERIFY2(part.picture.width() <= widest, qPrintable(QString::number(part.picture.width())));
    const QImage made = FramedPicture::FromSource(source, framing, FaceFraming::PrintEdge).picture;
    const QImage expected = FramedPicture::Make(upright, upright.size(), framing, FaceFraming::PrintEdge);
    QVERIFY(Shows(made, Quarters(expected)));
}

void TestFramedPicture::printResolution_data()
{
    QTest::addColumn<QSize>("upright");
    QTest::addColumn<FaceFraming>("framing");
    QTest::addColumn<bool>("low");
    const FaceFraming fit, fill = fit.Filled();
    QTest::newRow("24 MP fit") << QSize(6000, 4000) << fit << false;
    QTest::newRow("24 MP zoomed all the way") << QSize(6000, 4000) << fill.Filled(QRect(0, 0, 720, 720)) << false;
    QTest::newRow("VGA fit") << QSize(640, 480) << fit << false;
    QTest::newRow("VGA fill") << QSize(640, 480) << fill << false;
    QTest::newRow("small fit") << QSize(400, 300) << fit << true;
    // 472 pixels over 60 mm is just under 200 pixels per inch.
    QTest::newRow("just below") << QSize(471, 471) << fill << true;
    QTest::newRow("just above") << QSize(473, 473) << fill << false;
}

void TestFramedPicture::printResolution()
{
    QFETCH(QSize, upright);
    QFETCH(FaceFraming, framing);
    QFETCH(bool, low);
    QCOMPARE(framing.PrintPpi(upright) < FaceFraming::LowResolutionPpi, low);
}

// The editor frames from a reduced copy of the photo; the face it shows is
// the one made from the full photo.
void TestFramedPicture::anyScaleGivesTheSameFace()
{
    const QImage full = Quadrants(QSize(2400, 1600));
    const QImage reduced = full.scaled(600, 400, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const FaceFraming framing = FaceFraming().Filled(QRect(800, 400, 900, 900)).Turned(90);
    const QImage fromFull = FramedPicture::Make(full, full.size(), framing, 77);
    const QImage fromReduced = FramedPicture::Make(reduced, full.size(), framing, 77);
    QVERIFY(Shows(fromReduced, Quarters(fromFull)));
    QVERIFY(Shows(fromFull, {Qt::blue, Qt::red, Qt::green, Qt::yellow}));
}

void TestFramedPicture::unreadableSource()
{
    TestEnvironment env;
    Pixlet source;
    source.setSourceFile(WriteFile(env.path(QStringLiteral("broken.jpg")), "not a picture"));
    const FramedPicture::Made made = FramedPicture::FromSource(source, FaceFraming().Filled(), 77);
    QVERIFY(made.picture.isNull());
    QVERIFY(!FramedPicture::UprightSizeOf(CubeFace::Photo(source.sourceFile())).isValid());
    QCOMPARE(FramedPicture::UprightSizeOf(CubeFace::Pasted(Solid(QSize(30, 20), Qt::red))), QSize(30, 20));
}

QTEST_GUILESS_MAIN(TestFramedPicture)
#include "tst_framedpicture.moc"
