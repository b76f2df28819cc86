#include "components/pixlet/PictureDecoder.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFormats.h"
#include "tests/support/TestPictures.h"

#include <QTest>

using namespace TestPictures;
using namespace TestFormats;

namespace {

const QSize kUpright(128, 64);

// The quadrants of the upright picture, each checked away from its edges.
void VerifyQuadrants(const QImage &image)
{
    QCOMPARE(image.size(), kUpright);
    const int w = kUpright.width() / 2, h = kUpright.height() / 2;
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
    for (int q = 0; q < 4; ++q) {
        const QRect cell((q % 2) * w, (q / 2) * h, w, h);
        QVERIFY2(AreaIs(image, cell.adjusted(6, 6, -6, -6), colours[q], 70), qPrintable(QString::number(q)));
    }
}

QImage Stored(int orientation)
{
    return StoredFor(Quadrants(kUpright), orientation);
}

QByteArray Half(const QByteArray &bytes)
{
    return bytes.left(bytes.size() / 2);
}

} // namespace

// Every format a photo comes in, upright and turned, and the files that
// must be refused without a picture.
class TestPictureDecoder : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_env.reset(new TestEnvironment); }
    void formatsUpright_data();
    void formatsUpright();
    void firstFrameOfAnimation();
    void everyDepthScaled_data();
    void everyDepthScaled();
    void grayscaleJpegScaled();
    void longHeifPanorama();
    void heifTileGrids_data();
    void heifTileGrids();
    void scaledIntoBoxTurned_data();
    void scaledIntoBoxTurned();
    void refused_data();
    void refused();
    void refusedByHeader_data();
    void refusedByHeader();
    void largeJpegProbedOnItsEnds_data();
    void largeJpegProbedOnItsEnds();
    void namesOfPictures_data();
    void namesOfPictures();
    void heifThumbnailStandsIn_data();
    void heifThumbnailStandsIn();
    void heifThumbnailTurnedUpright_data();
    void heifThumbnailTurnedUpright();

private:
    QScopedPointer<TestEnvironment> m_env;
};

void TestPictureDecoder::formatsUpright_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("jpeg") << "a.jpg" << Encode(Quadrants(kUpright), "jpeg");
    QTest::newRow("jpeg turned right") << "b.jpg" << WithExifOrientation(Encode(Stored(6), "jpeg"), 6);
    QTest::newRow("png") << "a.png" << Encode(Quadrants(kUpright), "png");
    QTest::newRow("png turned right") << "b.png" << PngWithExif(Stored(6), 6);
    QTest::newRow("png mirrored") << "c.png" << PngWithExif(Stored(2), 2);
    QTest::newRow("bmp") << "a.bmp" << Encode(Quadrants(kUpright), "bmp");
    QTest::newRow("gif") << "a.gif" << Converted({Quadrants(kUpright)}, QStringLiteral("gif"));
    QTest::newRow("webp") << "a.webp" << Encode(Quadrants(kUpright), "webp", 90);
    QTest::newRow("webp turned left") << "b.webp" << WebpWithExif(Stored(8), 8);
    QTest::newRow("tiff") << "a.tif" << Encode(Quadrants(kUpright), "tiff");
    QTest::newRow("tiff upside down") << "b.tiff" << TiffOriented(Stored(3), 3);
    QTest::newRow("heic from heif-enc") << "a.heic" << HeifEnc(Quadrants(kUpright), false);
    QTest::newRow("heic turned right") << "b.HEIC" << HeifOriented(Stored(6), false, 6);
    QTest::newRow("heic transposed") << "c.heif" << HeifOriented(Stored(5), false, 5);
    QTest::newRow("avif from heif-enc") << "a.avif" << HeifEnc(Quadrants(kUpright), true);
    QTest::newRow("avif flipped") << "b.avif" << HeifOriented(Stored(4), true, 4);
    QTest::newRow("heic read by content") << "photo" << HeifEnc(Quadrants(kUpright), false);
    QTest::newRow("webp read by content") << "photo.dat" << WebpWithExif(Stored(6), 6);
}

void TestPictureDecoder::formatsUpright()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QVERIFY(!bytes.isEmpty());
    VerifyQuadrants(PictureDecoder::DecodeFile(WriteFile(m_env->path(name), bytes)));
    QVERIFY(PictureDecoder::ProbeFile(m_env->path(name)));
}

void TestPictureDecoder::firstFrameOfAnimation()
{
    const QByteArray gif = Converted({Solid(kUpright, Qt::red), Solid(kUpright, Qt::blue)}, QStringLiteral("gif"));
    const QImage image = PictureDecoder::DecodeFile(WriteFile(m_env->path(QStringLiteral("a.gif")), gif));
    QCOMPARE(image.size(), kUpright);
    QVERIFY(AreaIs(image, image.rect(), Qt::red));
}

namespace {
// 80 x 40: red on the left, blue on the right, in the given form.
QImage RedAndBlue(QImage::Format format)
{
    QImage picture(80, 40, QImage::Format_Indexed8);
    picture.setColorTable({qRgb(255, 0, 0), qRgb(0, 0, 255)});
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 80; ++x)
            picture.setPixel(x, y, x < 40 ? 0 : 1);
    return format == QImage::Format_Mono ? picture.convertToFormat(format, picture.colorTable())
                                          : picture.convertToFormat(format);
}
} // namespace

void TestPictureDecoder::everyDepthScaled_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("1-bit palette png") << "a.png" << Encode(RedAndBlue(QImage::Format_Mono), "png");
    QTest::newRow("palette png") << "b.png" << Encode(RedAndBlue(QImage::Format_Indexed8), "png");
    QTest::newRow("16-bit png") << "c.png" << Encode(RedAndBlue(QImage::Format_RGBA64), "png");
    QTest::newRow("palette gif") << "d.gif" << Converted({RedAndBlue(QImage::Format_Indexed8)}, QStringLiteral("gif"));
    QTest::newRow("palette bmp") << "e.bmp" << Encode(RedAndBlue(QImage::Format_Indexed8), "bmp");
    QTest::newRow("16-bit tiff") << "f.tif" << Encode(RedAndBlue(QImage::Format_RGBA64), "tiff");
    QTest::newRow("cmyk jpeg") << "g.jpg"
                               << Converted({RedAndBlue(QImage::Format_RGB32)}, QStringLiteral("jpg"),
                                            {QStringLiteral("-colorspace"), QStringLiteral("CMYK")});
    QTest::newRow("animated webp") << "h.webp"
                                   << Converted({RedAndBlue(QImage::Format_RGB32), Solid(QSize(80, 40), Qt::green)},
                                                QStringLiteral("webp"));
}

// A grayscale JPEG keeps its greys, scaled as a photo is.
void TestPictureDecoder::grayscaleJpegScaled()
{
    QImage picture(80, 40, QImage::Format_Grayscale8);
    picture.fill(Qt::black);
    for (int y = 0; y < 40; ++y)
        for (int x = 40; x < 80; ++x)
            picture.setPixel(x, y, qRgb(255, 255, 255));
    const QByteArray jpeg = Encode(picture, "jpeg");
    QVERIFY(jpeg.size() > 0);
    const QImage image = PictureDecoder::DecodeFile(WriteFile(m_env->path(QStringLiteral("gray.jpg")), jpeg), QSize(20, 20));
    QCOMPARE(image.size(), QSize(20, 10));
    QVERIFY(AreaIs(image, QRect(1, 1, 7, 8), Qt::black, 30));
    QVERIFY(AreaIs(image, QRect(12, 1, 7, 8), Qt::white, 30));
}

// Scaled into a box, every depth and palette shows its colours, not noise.
void TestPictureDecoder::everyDepthScaled()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QVERIFY(!bytes.isEmpty());
    const QImage image = PictureDecoder::DecodeFile(WriteFile(m_env->path(name), bytes), QSize(20, 20));
    QCOMPARE(image.size(), QSize(20, 10));
    QVERIFY(AreaIs(image, QRect(1, 1, 7, 8), Qt::red, 50));
    QVERIFY(AreaIs(image, QRect(12, 1, 7, 8), Qt::blue, 50));
}

// A panorama's long side is not held against it: only its size in bytes is.
void TestPictureDecoder::longHeifPanorama()
{
    const QString path = WriteFile(m_env->path(QStringLiteral("pano.heic")), HeifEnc(Quadrants(QSize(6000, 1000)), false));
    const QImage image = PictureDecoder::DecodeFile(path, QSize(600, 600));
    QCOMPARE(image.size(), QSize(600, 100));
    QVERIFY(AreaIs(image, QRect(10, 10, 280, 30), Qt::red, 60));
    // 24 MB decoded, which HEIF may take within twice the limit.
    QVERIFY(!PictureDecoder::DecodeFile(path, QSize(600, 600), 12).isNull());
    QVERIFY(PictureDecoder::DecodeFile(path, QSize(600, 600), 11).isNull());
    QVERIFY(PictureDecoder::TooLargeFile(path, 11));
    QVERIFY(!PictureDecoder::TooLargeFile(path, 12));
}

// Large HEIF pictures are grids of tiles: a phone's panorama is read, and a
// file of thousands of tiles is refused for their number before libheif
// parses them, whatever the size of its picture.
void TestPictureDecoder::heifTileGrids_data()
{
    QTest::addColumn<int>("tileEdge");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("read");
    QTest::newRow("camera grid of 8 tiles") << 256 << 4 << 2 << true;
    QTest::newRow("16384 x 4096 panorama") << 512 << 32 << 8 << true;
    QTest::newRow("2000 tiles of 64 pixels") << 64 << 50 << 40 << false;
}

void TestPictureDecoder::heifTileGrids()
{
    QFETCH(int, tileEdge);
    QFETCH(int, columns);
    QFETCH(int, rows);
    QFETCH(bool, read);
    QImage tile(tileEdge, tileEdge, QImage::Format_RGB32);
    tile.fill(Qt::blue);
    const QByteArray grid = HeifTileGrid(tile, columns, rows);
    QVERIFY(!grid.isEmpty());
    const QString path = WriteFile(m_env->path(QStringLiteral("grid.heic")), grid);
    const QImage image = PictureDecoder::DecodeFile(path, QSize(600, 600));
    QCOMPARE(PictureDecoder::TooLargeFile(path), !read);
    if (!read) {
        QVERIFY(image.isNull());
        QVERIFY(!PictureDecoder::ProbeFile(path));
        return;
    }
    QCOMPARE(image.size(), PictureDecoder::FitInto(QSize(tileEdge * columns, tileEdge * rows), QSize(600, 600)));
    QVERIFY(AreaIs(image, image.rect().adjusted(2, 2, -2, -2), Qt::blue, 40));
}

void TestPictureDecoder::scaledIntoBoxTurned_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("jpeg") << "a.jpg" << WithExifOrientation(Encode(Stored(6), "jpeg"), 6);
    QTest::newRow("png") << "a.png" << PngWithExif(Stored(6), 6);
    QTest::newRow("webp") << "a.webp" << WebpWithExif(Stored(6), 6);
    QTest::newRow("tiff") << "a.tif" << TiffOriented(Stored(6), 6);
    QTest::newRow("heic") << "a.heic" << HeifOriented(Stored(6), false, 6);
}

void TestPictureDecoder::scaledIntoBoxTurned()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    const QImage image = PictureDecoder::DecodeFile(WriteFile(m_env->path(name), bytes), QSize(40, 40));
    QCOMPARE(image.size(), QSize(40, 20));
    QVERIFY(AreaIs(image, QRect(3, 3, 14, 4), Qt::red, 70));
    QVERIFY(AreaIs(image, QRect(23, 13, 14, 4), Qt::yellow, 70));
}

void TestPictureDecoder::refused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    const QImage picture = Quadrants(QSize(400, 300));
    QTest::newRow("png claiming 30000 square") << "huge.png" << PngClaiming(picture, 30000, 30000);
    QTest::newRow("heic claiming 30000 square") << "huge.heic" << HeifClaiming(HeifEnc(picture, false), 30000, 30000);
    QTest::newRow("avif claiming 30000 square") << "huge.avif" << HeifClaiming(HeifEnc(picture, true), 30000, 30000);
    QTest::newRow("truncated png") << "cut.png" << Half(Encode(picture, "png"));
    QTest::newRow("truncated gif") << "cut.gif" << Half(Converted({picture}, QStringLiteral("gif")));
    QTest::newRow("truncated webp") << "cut.webp" << Half(Encode(picture, "webp", 90));
    QTest::newRow("truncated tiff") << "cut.tif" << Half(Encode(picture, "tiff"));
    QTest::newRow("truncated heic") << "cut.heic" << Half(HeifEnc(picture, false));
    QTest::newRow("truncated avif") << "cut.avif" << Half(HeifEnc(picture, true));
    QTest::newRow("text named heic") << "text.heic" << QByteArray("not a picture at all\n");
    QTest::newRow("text named webp") << "text.webp" << QByteArray("RIFF\x10\0\0\0WEBPVP8 ", 16);
    QTest::newRow("heic named jpg") << "heic.jpg" << HeifEnc(picture, false);
}

void TestPictureDecoder::refused()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QVERIFY(!bytes.isEmpty());
    QVERIFY(PictureDecoder::DecodeFile(WriteFile(m_env->path(name), bytes)).isNull());
    QVERIFY(PictureDecoder::DecodeFile(m_env->path(name), QSize(77, 77)).isNull());
}

// Files whose headers already show that they cannot be decoded safely.
// Files whose headers already show that they cannot be decoded safely, and
// whether that is for their size alone.
void TestPictureDecoder::refusedByHeader_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("tooLarge");
    const QImage picture = Quadrants(QSize(400, 300));
    QTest::newRow("png claiming 30000 square") << "huge.png" << PngClaiming(picture, 30000, 30000) << true;
    QTest::newRow("heic claiming 30000 square")
        << "huge.heic" << HeifClaiming(HeifEnc(picture, false), 30000, 30000) << true;
    QTest::newRow("jpeg claiming 60000 square") << "huge.jpg" << JpegHeaderOnly(60000, 60000, 0xC2, 4096, true) << true;
    QTest::newRow("truncated jpeg") << "cut.jpg" << Half(Encode(picture, "jpeg")) << false;
    QTest::newRow("truncated gif") << "cut.gif" << Half(Converted({picture}, QStringLiteral("gif"))) << false;
    QTest::newRow("text named heic") << "text.heic" << QByteArray("not a picture at all\n") << false;
    QTest::newRow("text without a known ending") << "notes" << QByteArray("not a picture at all\n") << false;
    QTest::newRow("heic named jpg") << "heic.jpg" << HeifEnc(picture, false) << false;
}

void TestPictureDecoder::refusedByHeader()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, tooLarge);
    const QString path = WriteFile(m_env->path(name), bytes);
    QVERIFY(!PictureDecoder::ProbeFile(path));
    QCOMPARE(PictureDecoder::TooLargeFile(path), tooLarge);
}

// A large JPEG is checked on its first and last bytes, and on the whole file
// when those do not settle it: the answer is the one the whole file gives.
void TestPictureDecoder::largeJpegProbedOnItsEnds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("passes");
    const QByteArray whole = JpegHeaderOnly(4000, 3000, 0xC0, 600 * 1024, true);
    QByteArray markersPastTheHead = whole;
    for (int i = 0; i < 5; ++i)
        markersPastTheHead.insert(2, QByteArray("\xFF\xE2\xEA\x62", 4) + QByteArray(60000, 'i'));
    QTest::newRow("whole") << whole << true;
    QTest::newRow("no end marker") << JpegHeaderOnly(4000, 3000, 0xC0, 600 * 1024, false) << false;
    QTest::newRow("cut short") << whole.left(whole.size() - 1) << false;
    QTest::newRow("100 KB after the end marker") << whole + QByteArray(100 * 1024, 'x') << true;
    QTest::newRow("markers past the first 256 KB") << markersPastTheHead << true;
    QTest::newRow("scan data too short for 30000 square") << JpegHeaderOnly(30000, 30000, 0xC0, 400 * 1024, true)
                                                         << false;
}

void TestPictureDecoder::largeJpegProbedOnItsEnds()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, passes);
    QCOMPARE(PictureDecoder::Probe(bytes, "jpeg"), passes);
    QCOMPARE(PictureDecoder::ProbeFile(WriteFile(m_env->path(QStringLiteral("large.jpg")), bytes)), passes);
}

void TestPictureDecoder::namesOfPictures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("picture");
    for (const char *name :
         {"a.jpg", "a.JPEG", "a.png", "a.bmp", "a.gif", "a.webp", "a.tif", "a.TIFF", "a.heic", "a.HEIF", "a.avif"})
        QTest::newRow(name) << QString::fromLatin1(name) << true;
    for (const char *name : {"a.txt", "a.jpg.part", "heic", "a.", "a.raw"})
        QTest::newRow(name) << QString::fromLatin1(name) << false;
}

void TestPictureDecoder::namesOfPictures()
{
    QFETCH(QString, name);
    QFETCH(bool, picture);
    QCOMPARE(PictureDecoder::IsPictureName(name), picture);
}

void TestPictureDecoder::heifThumbnailStandsIn_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("expected"); // 0 x 0 when the file's thumbnail must not stand in
    const QImage photo = Quadrants(QSize(512, 256));
    QTest::newRow("heif-enc thumbnail larger than the box") << HeifEnc(photo, false, 160) << QSize(128, 64);
    QTest::newRow("heif-enc thumbnail as large") << HeifEnc(photo, false, 128) << QSize(128, 64);
    QTest::newRow("heif-enc thumbnail too small") << HeifEnc(photo, false, 96) << QSize(0, 0);
    QTest::newRow("heif-enc without thumbnail") << HeifEnc(photo, false) << QSize(0, 0);
    QTest::newRow("avif thumbnail") << HeifEnc(photo, true, 160) << QSize(128, 64);
    QTest::newRow("thumbnail of another shape")
        << HeifWithThumbnail(photo, Quadrants(QSize(256, 256)), 128, false, 1) << QSize(0, 0);
}

void TestPictureDecoder::heifThumbnailStandsIn()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, expected);
    QVERIFY(!bytes.isEmpty());
    const QImage preview = PictureDecoder::DecodePreviewFile(WriteFile(m_env->path("a.heic"), bytes), QSize(128, 128));
    QCOMPARE(preview.size(), expected);
}

void TestPictureDecoder::heifThumbnailTurnedUpright_data()
{
    QTest::addColumn<bool>("avif");
    QTest::addColumn<int>("orientation");
    QTest::newRow("heic") << false << 1;
    QTest::newRow("heic turned right") << false << 6;
    QTest::newRow("avif mirrored") << true << 2;
}

void TestPictureDecoder::heifThumbnailTurnedUpright()
{
    QFETCH(bool, avif);
    QFETCH(int, orientation);
    // A grey photo with a thumbnail of the quadrants: only the thumbnail
    // shows them.
    const QImage photo = StoredFor(Solid(QSize(512, 256), Qt::gray), orientation);
    const QImage thumbnail = StoredFor(Quadrants(QSize(256, 128)), orientation);
    const QString path = WriteFile(m_env->path("t.heic"), HeifWithThumbnail(photo, thumbnail, 128, avif, orientation));
    VerifyQuadrants(PictureDecoder::DecodePreviewFile(path, QSize(128, 128)));
}

QTEST_MAIN(TestPictureDecoder)
#include "tst_picturedecoder.moc"
