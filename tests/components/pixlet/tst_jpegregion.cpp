#include "components/pixlet/JpegRegion.h"
#include "tests/support/TestPictures.h"

#include <QTemporaryFile>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include <jpeglib.h>
#include <unistd.h>

using namespace TestPictures;

namespace {

// Rises by 4 a pixel from 0 to 252 and falls back, every 128 pixels: a part
// shown one block (8 pixels) away from where it belongs is off by about 32.
int Triangle(int at)
{
    const int phase = at % 128;
    return 4 * (phase < 64 ? phase : 127 - phase);
}

// Red follows x and green y, so that every pixel says where it is.
QImage Ramps(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = qRgb(Triangle(x), Triangle(y), 128);
    }
    return image;
}

QImage Gray(const QImage &image)
{
    return image.convertToFormat(QImage::Format_Grayscale8);
}

// How libjpeg's own compressor is to encode a picture, for the layouts
// Qt's writer does not make.
struct Layout
{
    J_COLOR_SPACE colors = JCS_YCbCr;
    int lumaSampling = 2; // 2 for colour at half resolution each way, 1 for full
    bool progressive = false;
    std::vector<jpeg_scan_info> scans; // a progression of its own when not empty
};

QByteArray Compress(const QImage &image, const Layout &layout)
{
    const QImage source = image.convertToFormat(QImage::Format_RGB32);
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char *bytes = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &bytes, &size);
    info.image_width = JDIMENSION(source.width());
    info.image_height = JDIMENSION(source.height());
    // CMYK is made of the same bytes: any four values will do.
    info.input_components = 4;
    info.in_color_space = layout.colors == JCS_CMYK ? JCS_CMYK : JCS_EXT_BGRX;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, layout.colors);
    jpeg_set_quality(&info, 95, TRUE);
    info.comp_info[0].h_samp_factor = info.comp_info[0].v_samp_factor = layout.lumaSampling;
    if (layout.progressive)
        jpeg_simple_progression(&info);
    if (!layout.scans.empty()) {
        info.scan_info = layout.scans.data();
        info.num_scans = int(layout.scans.size());
    }
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        auto *row = const_cast<JSAMPROW>(source.constScanLine(int(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    const QByteArray jpeg(reinterpret_cast<const char *>(bytes), qsizetype(size));
    std::free(bytes);
    return jpeg;
}

// A progression of 1 + 3 * 63 * (refinements + 1) scans: the DC, then each
// AC coefficient of each component on its own, its bits sent in
// refinements + 1 steps.
std::vector<jpeg_scan_info> OneCoefficientScans(int refinements)
{
    std::vector<jpeg_scan_info> scans = {{3, {0, 1, 2, 0}, 0, 0, 0, 0}};
    for (int component = 0; component < 3; ++component)
        for (int k = 1; k < 64; ++k)
            for (int bit = refinements; bit >= 0; --bit)
                scans.push_back({1, {component}, k, k, bit == refinements ? 0 : bit + 1, bit});
    return scans;
}

// The mean colour of the source's pixels in the rectangle.
QColor MeanOf(const QImage &source, const QRect &area)
{
    qint64 red = 0, green = 0, blue = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            red += qRed(line[x]);
            green += qGreen(line[x]);
            blue += qBlue(line[x]);
        }
    }
    const qint64 n = qint64(area.width()) * area.height();
    return QColor(int(red / n), int(green / n), int(blue / n));
}

// The full-size pixels the picture's pixel (x, y) shows at scale s / 8:
// from covered's corner + (x, y) * 8 / s, 8 / s of them each way.
QRect Footprint(const QRect &covered, int x, int y, int scale)
{
    const QPoint from(covered.left() + x * 8 / scale, covered.top() + y * 8 / scale);
    const QPoint to(covered.left() + ((x + 1) * 8 + scale - 1) / scale - 1,
                    covered.top() + ((y + 1) * 8 + scale - 1) / scale - 1);
    return QRect(from, to).intersected(covered);
}

// The largest difference, in any channel, between a pixel of the picture
// and the mean of the source's pixels it shows.
int LargestError(const QImage &picture, const QImage &source, const QRect &covered, int scale)
{
    int largest = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QColor shown = picture.pixelColor(x, y);
            const QColor mean = MeanOf(source, Footprint(covered, x, y, scale));
            largest = std::max({largest, std::abs(shown.red() - mean.red()), std::abs(shown.green() - mean.green()),
                                std::abs(shown.blue() - mean.blue())});
        }
    }
    return largest;
}

bool Opaque(const QImage &picture)
{
    for (int y = 0; y < picture.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            if (qAlpha(line[x]) != 255)
                return false;
    }
    return true;
}

// What the call writes to the process's standard error, where libjpeg's
// own messages go.
QByteArray StandardErrorOf(const std::function<void()> &call)
{
    QTemporaryFile capture;
    if (!capture.open())
        return "cannot capture";
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    dup2(capture.handle(), STDERR_FILENO);
    call();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    capture.seek(0);
    return capture.readAll();
}

// The file with the frame's sample precision changed to 12 bits, which
// this build of libjpeg does not decode.
QByteArray WithTwelveBitFrame(QByteArray jpeg)
{
    const qsizetype frame = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
    jpeg[frame + 4] = 12;
    return jpeg;
}

// Correct parts differ from their sources by 5 at most (colour stored at
// half resolution, the crop's edge columns upsampled as the picture's edges
// are); one block off, by 14 in gray and 31 in colour.
constexpr int kTolerance = 8;

} // namespace

// The part of a large JPEG photo a cube face shows, decoded on its own.
class TestJpegRegion : public QObject
{
    Q_OBJECT
private slots:
    void parts_data();
    void parts();
    void refused_data();
    void refused();
    void damagedDataDecodesSilently();
    void scanLimit_data();
    void scanLimit();
};

void TestJpegRegion::parts_data()
{
    QTest::addColumn<QByteArray>("jpeg");
    QTest::addColumn<QImage>("source");
    QTest::addColumn<QRect>("wanted");
    QTest::addColumn<int>("scale");
    QTest::addColumn<QRect>("covered");
    QTest::addColumn<QSize>("size");

    // Colour at half resolution makes MCUs 16 pixels wide, so the left edge
    // goes back to a multiple of 16; else to one of 8.
    const QImage even = Ramps(QSize(1600, 1200));
    const QByteArray evenHalfColour = Encode(even, "jpeg");
    QTest::newRow("middle square at 5/8")
        << evenHalfColour << even << QRect(700, 500, 300, 300) << 5 << QRect(688, 496, 312, 304) << QSize(195, 190);
    QTest::newRow("whole at 1/8") << evenHalfColour << even << QRect(0, 0, 1600, 1200) << 1 << QRect(0, 0, 1600, 1200)
                                  << QSize(200, 150);
    QTest::newRow("whole at 8/8") << evenHalfColour << even << QRect(0, 0, 1600, 1200) << 8 << QRect(0, 0, 1600, 1200)
                                  << QSize(1600, 1200);
    QTest::newRow("top-left pixel at 8/8")
        << evenHalfColour << even << QRect(0, 0, 1, 1) << 8 << QRect(0, 0, 8, 8) << QSize(8, 8);
    QTest::newRow("middle pixel at 1/8") << evenHalfColour << even << QRect(801, 601, 1, 1) << 1
                                         << QRect(800, 600, 8, 8) << QSize(1, 1);

    // Edges that are not block boundaries: the last blocks are partial.
    const QImage odd = Ramps(QSize(1203, 907));
    const QByteArray oddHalfColour = Encode(odd, "jpeg");
    QTest::newRow("bottom-right corner at 3/8")
        << oddHalfColour << odd << QRect(1190, 900, 13, 7) << 3 << QRect(1184, 896, 19, 11) << QSize(8, 5);
    QTest::newRow("odd part at 7/8") << oddHalfColour << odd << QRect(13, 27, 101, 77) << 7 << QRect(0, 24, 120, 80)
                                     << QSize(105, 70);
    QTest::newRow("right edge at 2/8") << oddHalfColour << odd << QRect(1000, 100, 203, 300) << 2
                                       << QRect(992, 96, 211, 304) << QSize(53, 76);
    QTest::newRow("odd part at 8/8") << oddHalfColour << odd << QRect(13, 27, 101, 77) << 8 << QRect(0, 24, 120, 80)
                                     << QSize(120, 80);
    QTest::newRow("odd part at 1/8") << oddHalfColour << odd << QRect(13, 27, 101, 77) << 1 << QRect(0, 24, 120, 80)
                                     << QSize(15, 10);

    const QByteArray oddFullColour = Compress(odd, {JCS_YCbCr, 1, false, {}});
    QTest::newRow("full colour: odd part at 7/8")
        << oddFullColour << odd << QRect(13, 27, 101, 77) << 7 << QRect(8, 24, 112, 80) << QSize(98, 70);
    QTest::newRow("full colour: bottom edge at 6/8")
        << oddFullColour << odd << QRect(600, 850, 200, 57) << 6 << QRect(600, 848, 200, 59) << QSize(150, 45);

    const QImage gray = Gray(odd);
    const QByteArray grayJpeg = Encode(gray, "jpeg");
    const QImage grayRgb = gray.convertToFormat(QImage::Format_RGB32);
    QTest::newRow("gray: odd part at 4/8")
        << grayJpeg << grayRgb << QRect(13, 27, 101, 77) << 4 << QRect(8, 24, 112, 80) << QSize(56, 40);
    QTest::newRow("gray: bottom-right at 8/8")
        << grayJpeg << grayRgb << QRect(1100, 800, 103, 107) << 8 << QRect(1096, 800, 107, 107) << QSize(107, 107);

    const QByteArray progressive = Compress(odd, {JCS_YCbCr, 2, true, {}});
    QTest::newRow("progressive: middle at 5/8")
        << progressive << odd << QRect(400, 300, 400, 400) << 5 << QRect(400, 296, 400, 408) << QSize(250, 255);
    QTest::newRow("progressive: bottom-right at 1/8")
        << progressive << odd << QRect(1100, 800, 103, 107) << 1 << QRect(1088, 800, 115, 107) << QSize(15, 14);

    const QByteArray rgb = Compress(odd, {JCS_RGB, 1, false, {}});
    QTest::newRow("RGB: middle at 3/8") << rgb << odd << QRect(500, 400, 100, 100) << 3 << QRect(496, 400, 104, 104)
                                        << QSize(39, 39);
}

void TestJpegRegion::parts()
{
    QFETCH(QByteArray, jpeg);
    QFETCH(QImage, source);
    QFETCH(QRect, wanted);
    QFETCH(int, scale);
    QFETCH(QRect, covered);
    QFETCH(QSize, size);
    const JpegRegion::Part part = JpegRegion::Decode(jpeg, wanted, scale);
    QVERIFY(!part.picture.isNull());
    QCOMPARE(part.picture.format(), QImage::Format_RGB32);
    QCOMPARE(part.covered, covered);
    QCOMPARE(part.picture.size(), size);
    QVERIFY(Opaque(part.picture));
    QCOMPARE_LE(LargestError(part.picture, source, covered, scale), kTolerance);
}

void TestJpegRegion::refused_data()
{
    QTest::addColumn<QByteArray>("jpeg");
    QTest::addColumn<QRect>("wanted");
    QTest::addColumn<int>("scale");

    const QByteArray jpeg = Encode(Ramps(QSize(320, 240)), "jpeg");
    const QRect middle(100, 100, 50, 50);
    QTest::newRow("empty file") << QByteArray() << middle << 4;
    QTest::newRow("not a JPEG") << QByteArray(4096, 'Z') << middle << 4;
    QTest::newRow("cut in half") << jpeg.left(jpeg.size() / 2) << middle << 4;
    QTest::newRow("only the markers") << jpeg.left(jpeg.indexOf(QByteArray("\xFF\xDA", 2))) << middle << 4;
    QTest::newRow("12-bit samples") << WithTwelveBitFrame(jpeg) << middle << 4;
    QTest::newRow("CMYK") << Compress(Ramps(QSize(320, 240)), {JCS_CMYK, 1, false, {}}) << middle << 4;
    QTest::newRow("scale 0") << jpeg << middle << 0;
    QTest::newRow("scale 9") << jpeg << middle << 9;
    QTest::newRow("negative scale") << jpeg << middle << -8;
    QTest::newRow("empty part") << jpeg << QRect(100, 100, 0, 0) << 4;
    QTest::newRow("past the right edge") << jpeg << QRect(300, 100, 21, 10) << 4;
    QTest::newRow("past the bottom edge") << jpeg << QRect(100, 200, 10, 41) << 4;
    QTest::newRow("left of the picture") << jpeg << QRect(-1, 100, 10, 10) << 4;
    QTest::newRow("above the picture") << jpeg << QRect(100, -5, 10, 10) << 4;
    QTest::newRow("wholly outside") << jpeg << QRect(1000, 1000, 10, 10) << 4;
}

void TestJpegRegion::refused()
{
    QFETCH(QByteArray, jpeg);
    QFETCH(QRect, wanted);
    QFETCH(int, scale);
    JpegRegion::Part part;
    const QByteArray said = StandardErrorOf([&] { part = JpegRegion::Decode(jpeg, wanted, scale); });
    QVERIFY(part.picture.isNull());
    QCOMPARE(said, QByteArray());
}

void TestJpegRegion::damagedDataDecodesSilently()
{
    // Scan data cut short but ended properly: libjpeg warns and fills in the
    // missing blocks, as every JPEG reader shows such a file.
    const QByteArray jpeg = Encode(Ramps(QSize(320, 240)), "jpeg");
    const QByteArray damaged = jpeg.left(jpeg.size() * 3 / 4) + QByteArray("\xFF\xD9", 2);
    JpegRegion::Part part;
    const QByteArray said = StandardErrorOf([&] { part = JpegRegion::Decode(damaged, QRect(0, 200, 320, 40), 8); });
    QVERIFY(!part.picture.isNull());
    QCOMPARE(said, QByteArray());
}

void TestJpegRegion::scanLimit_data()
{
    QTest::addColumn<int>("refinements");
    QTest::addColumn<bool>("decoded");
    QTest::newRow("379 scans") << 1 << true;
    QTest::newRow("757 scans") << 3 << false;
}

void TestJpegRegion::scanLimit()
{
    QFETCH(int, refinements);
    QFETCH(bool, decoded);
    const QImage picture = Ramps(QSize(64, 64));
    const QByteArray jpeg = Compress(picture, {JCS_YCbCr, 2, true, OneCoefficientScans(refinements)});
    QVERIFY(!QImage::fromData(jpeg, "jpeg").isNull());
    const JpegRegion::Part part = JpegRegion::Decode(jpeg, QRect(0, 0, 64, 64), 8);
    QCOMPARE(!part.picture.isNull(), decoded);
}

QTEST_MAIN(TestJpegRegion)
#include "tst_jpegregion.moc"
