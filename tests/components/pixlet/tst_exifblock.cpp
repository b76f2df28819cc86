#include "components/pixlet/ExifBlock.h"
#include "tests/support/TestFormats.h"
#include "tests/support/TestPictures.h"

#include <QTest>

using namespace TestPictures;

// The EXIF block found in the files of each format, and blocks that lie.
class TestExifBlock : public QObject
{
    Q_OBJECT
private slots:
    void orientationInEachContainer_data();
    void orientationInEachContainer();
    void previewOfCameraJpeg();
    void damagedBlocks_data();
    void damagedBlocks();
};

void TestExifBlock::orientationInEachContainer_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("orientation");
    const QImage picture = Quadrants(QSize(32, 16));
    QTest::newRow("jpeg") << WithExifOrientation(Encode(picture, "jpeg"), 6) << 6;
    QTest::newRow("png") << TestFormats::PngWithExif(picture, 3) << 3;
    QTest::newRow("webp") << TestFormats::WebpWithExif(picture, 8) << 8;
    QTest::newRow("jpeg without block") << Encode(picture, "jpeg") << 1;
    QTest::newRow("png without block") << Encode(picture, "png") << 1;
    QTest::newRow("bmp") << Encode(picture, "bmp") << 1;
    QTest::newRow("tag out of range") << WithExifOrientation(Encode(picture, "jpeg"), 9) << 1;
}

void TestExifBlock::orientationInEachContainer()
{
    QFETCH(QByteArray, file);
    QFETCH(int, orientation);
    QCOMPARE(ExifBlock::Read(file).orientation, orientation);
}

void TestExifBlock::previewOfCameraJpeg()
{
    const QByteArray preview = Encode(Solid(QSize(160, 120), Qt::blue), "jpeg");
    const QByteArray photo = WithExifOrientation(Encode(Solid(QSize(640, 480), Qt::red), "jpeg"), 8, preview);
    const ExifBlock block = ExifBlock::Read(photo);
    QCOMPARE(block.orientation, 8);
    QCOMPARE(block.preview, preview);
    QCOMPARE(block.transformation(), QImageIOHandler::TransformationRotate270);
}

void TestExifBlock::damagedBlocks_data()
{
    QTest::addColumn<QByteArray>("tiff");
    const QByteArray good = ExifTiff(6, QByteArray(100, 'x'));
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("header only") << good.left(8);
    QTest::newRow("first IFD beyond the end") << QByteArray("MM\0*\x7F\xFF\xFF\xFF", 8);
    QTest::newRow("cut in the entries") << good.left(15);
    QByteArray manyEntries = good;
    manyEntries[8] = char(0xFF);
    manyEntries[9] = char(0xFF);
    QTest::newRow("65535 entries") << manyEntries;
    QTest::newRow("preview cut short") << good.left(good.size() - 10);
    QTest::newRow("not TIFF") << QByteArray("XX\0*\0\0\0\x08", 8) + good.mid(8);
}

void TestExifBlock::damagedBlocks()
{
    QFETCH(QByteArray, tiff);
    const ExifBlock block = ExifBlock::ReadTiff(tiff);
    QVERIFY(block.preview.isEmpty());
    QVERIFY(block.orientation >= 1 && block.orientation <= 8);
}

QTEST_MAIN(TestExifBlock)
#include "tst_exifblock.moc"
