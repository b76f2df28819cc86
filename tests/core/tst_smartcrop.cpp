#include "core/SmartCrop.h"
#include "tests/support/TestPictures.h"

#include <QPainter>
#include <QTest>

#include <algorithm>

// The square of a photo sits on its faces, else on what stands out, and
// never leaves the photo, whatever its size or format.
class TestSmartCrop : public QObject
{
    Q_OBJECT
private slots:
    void faceOffCentre_data();
    void faceOffCentre();
    void facesTooFarApart();
    void salientObjectOffCentre_data();
    void salientObjectOffCentre();
    void anySizeOrFormat_data();
    void anySizeOrFormat();
    void squarePictureIsItsOwnSquare();
    void nullPicture();
};

namespace {
const QColor Backdrop(128, 128, 128);

// A photo with one face, from OpenCV's sample pictures; its face's centre.
const QPointF FaceInPhoto(99, 83);

QRect CentredSquare(QSize size)
{
    const int side = std::min(size.width(), size.height());
    return {(size.width() - side) / 2, (size.height() - side) / 2, side, side};
}

void CheckIsLargestSquareInside(const QRect &square, const QImage &picture)
{
    QCOMPARE(square.width(), std::min(picture.width(), picture.height()));
    QCOMPARE(square.height(), square.width());
    QVERIFY2(picture.rect().contains(square),
             qPrintable(
                 QStringLiteral("%1,%2 %3x%3 leaves the picture").arg(square.x()).arg(square.y()).arg(square.width())));
}

// Red and yellow checks, all edges and colour.
void DrawChecks(QPainter &painter, const QRect &area)
{
    const int check = area.width() / 4;
    for (int y = area.top(); y < area.bottom(); y += check) {
        for (int x = area.left(); x < area.right(); x += check)
            painter.fillRect(x, y, check, check, (x + y) / check % 2 ? QColor(255, 0, 0) : QColor(255, 255, 0));
    }
}

QImage DiscPicture(QSize size, QPointF centre, QImage::Format format)
{
    QImage picture = TestPictures::Solid(size, Backdrop);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(230, 20, 20));
    painter.drawEllipse(centre, 80, 80);
    painter.end();
    return picture.convertToFormat(format);
}
} // namespace

void TestSmartCrop::faceOffCentre_data()
{
    QTest::addColumn<QSize>("canvas");
    QTest::addColumn<QRect>("photo"); // where the photo of the face is drawn
    QTest::addColumn<QRect>("checks"); // what stands out more than the face
    QTest::newRow("wide 3:1, face at the left")
        << QSize(1536, 512) << QRect(64, 0, 512, 512) << QRect(1100, 100, 320, 320);
    QTest::newRow("wide 2:1, face at the right, low")
        << QSize(2048, 1024) << QRect(1400, 380, 640, 640) << QRect(100, 200, 640, 640);
    QTest::newRow("tall 1:3, face at the bottom")
        << QSize(512, 1536) << QRect(0, 992, 512, 512) << QRect(96, 100, 320, 320);
}

void TestSmartCrop::faceOffCentre()
{
    QFETCH(QSize, canvas);
    QFETCH(QRect, photo);
    QFETCH(QRect, checks);
    const QImage face(QFINDTESTDATA("data/messi.jpg"));
    QVERIFY(!face.isNull());
    QImage picture = TestPictures::Solid(canvas, Backdrop);
    QPainter painter(&picture);
    painter.drawImage(photo, face);
    DrawChecks(painter, checks);
    painter.end();
    const qreal scale = qreal(photo.width()) / face.width();
    const QPoint faceCentre = (photo.topLeft() + FaceInPhoto * scale).toPoint();

    const QList<QRect> faces = SmartCrop::Faces(picture);
    const QRect square = SmartCrop::Square(picture);

    QVERIFY(std::any_of(faces.begin(), faces.end(), [&](const QRect &found) { return found.contains(faceCentre); }));
    for (const QRect &found : faces)
        QVERIFY2(photo.contains(found), "a face found in the flat backdrop");
    CheckIsLargestSquareInside(square, picture);
    QVERIFY(!CentredSquare(canvas).contains(faceCentre));
    for (const QRect &found : faces)
        QVERIFY(square.contains(found));
}

void TestSmartCrop::facesTooFarApart()
{
    const QImage face(QFINDTESTDATA("data/messi.jpg"));
    QVERIFY(!face.isNull());
    QImage picture = TestPictures::Solid({2400, 800}, Backdrop);
    const QRect large(0, 0, 800, 800);
    const QRect small(1800, 120, 560, 560);
    QPainter painter(&picture);
    painter.drawImage(large, face);
    painter.drawImage(small, face);
    painter.end();

    const QList<QRect> faces = SmartCrop::Faces(picture);
    const QRect square = SmartCrop::Square(picture);

    QCOMPARE(faces.size(), 2);
    const QRect largeFace =
        std::max(faces[0], faces[1], [](const QRect &a, const QRect &b) { return a.width() < b.width(); });
    QVERIFY(large.contains(largeFace));
    QVERIFY(square.contains(largeFace));
}

void TestSmartCrop::salientObjectOffCentre_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPointF>("disc");
    QTest::addColumn<int>("format"); // QImage::Format
    QTest::newRow("wide, disc at the right") << QSize(1800, 600) << QPointF(1550, 300) << int(QImage::Format_RGB32);
    QTest::newRow("wide, disc at the left, high") << QSize(1800, 600) << QPointF(200, 150) << int(QImage::Format_RGB32);
    QTest::newRow("tall, disc at the top") << QSize(600, 1800) << QPointF(300, 250) << int(QImage::Format_RGB32);
    QTest::newRow("small wide, disc at the right") << QSize(500, 240) << QPointF(420, 120) << int(QImage::Format_RGB32);
    QTest::newRow("alpha") << QSize(1800, 600) << QPointF(1550, 300) << int(QImage::Format_ARGB32);
    QTest::newRow("indexed") << QSize(1800, 600) << QPointF(1550, 300) << int(QImage::Format_Indexed8);
    QTest::newRow("16 bits a pixel") << QSize(1800, 600) << QPointF(1550, 300) << int(QImage::Format_RGB16);
    QTest::newRow("16 bits a channel") << QSize(1800, 600) << QPointF(1550, 300) << int(QImage::Format_RGBA64);
}

void TestSmartCrop::salientObjectOffCentre()
{
    QFETCH(QSize, size);
    QFETCH(QPointF, disc);
    QFETCH(int, format);
    const QImage picture = DiscPicture(size, disc, QImage::Format(format));
    QCOMPARE(picture.format(), QImage::Format(format));

    const QRect square = SmartCrop::Square(picture);

    QCOMPARE(SmartCrop::Faces(picture), QList<QRect>());
    CheckIsLargestSquareInside(square, picture);
    QVERIFY(!CentredSquare(size).contains(disc.toPoint()));
    QVERIFY2(square.contains(disc.toPoint()),
             qPrintable(QStringLiteral("square at %1,%2").arg(square.x()).arg(square.y())));
}

void TestSmartCrop::anySizeOrFormat_data()
{
    QTest::addColumn<QImage>("picture");
    QTest::newRow("1 x 1000") << TestPictures::Quadrants({1, 1000});
    QTest::newRow("1000 x 1") << TestPictures::Quadrants({1000, 1});
    QTest::newRow("5000 x 3") << TestPictures::Quadrants({5000, 3});
    QTest::newRow("2 x 3") << TestPictures::Quadrants({2, 3});
    QTest::newRow("grayscale") << TestPictures::Quadrants({900, 300}).convertToFormat(QImage::Format_Grayscale8);
    QTest::newRow("one bit a pixel") << TestPictures::Quadrants({300, 900}).convertToFormat(QImage::Format_Mono);
    QTest::newRow("transparent") << TestPictures::Solid({900, 300}, Qt::transparent);
}

void TestSmartCrop::anySizeOrFormat()
{
    QFETCH(QImage, picture);
    CheckIsLargestSquareInside(SmartCrop::Square(picture), picture);
    for (const QRect &face : SmartCrop::Faces(picture))
        QVERIFY(picture.rect().contains(face));
}

void TestSmartCrop::squarePictureIsItsOwnSquare()
{
    const QImage picture = DiscPicture({700, 700}, {600, 600}, QImage::Format_RGB32);
    QCOMPARE(SmartCrop::Square(picture), QRect(0, 0, 700, 700));
}

void TestSmartCrop::nullPicture()
{
    QCOMPARE(SmartCrop::Square(QImage()), QRect());
    QCOMPARE(SmartCrop::Faces(QImage()), QList<QRect>());
}

QTEST_GUILESS_MAIN(TestSmartCrop)
#include "tst_smartcrop.moc"
