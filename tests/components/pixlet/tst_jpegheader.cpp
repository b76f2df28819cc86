#include "components/pixlet/JpegHeader.h"
#include "tests/support/TestPictures.h"

#include <QTest>

using namespace TestPictures;

// What the generator learns from a JPEG before decoding it.
class TestJpegHeader : public QObject
{
    Q_OBJECT
private slots:
    void realFile();
    void headers_data();
    void headers();
    void stuffedZeroIsNotAMarker();
};

void TestJpegHeader::realFile()
{
    const QByteArray jpeg = WithExifOrientation(Encode(Quadrants(QSize(321, 123)), "jpeg"), 6);
    const JpegHeader header = JpegHeader::Read(jpeg);
    QCOMPARE(header.width, 321);
    QCOMPARE(header.height, 123);
    QVERIFY(header.valid());
    QVERIFY(header.complete);
    QVERIFY(header.plausible());
    QVERIFY(!header.progressive);
    QCOMPARE(header.coefficientBytes(), 0);
    QVERIFY(!JpegHeader::Read(jpeg.left(jpeg.size() - 40)).complete);
}

void TestJpegHeader::headers_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<bool>("plausible");
    QTest::addColumn<qint64>("coefficientBytes");
    // 3 full-resolution components of 1000 x 800: 3 * 125 * 100 blocks.
    QTest::newRow("baseline") << JpegHeaderOnly(1000, 800, 0xC0, 5000, true) << true << true << true << qint64(0);
    QTest::newRow("progressive") << JpegHeaderOnly(1000, 800, 0xC2, 5000, true) << true << true << true
                                 << qint64(37500 * 128);
    QTest::newRow("no end marker") << JpegHeaderOnly(1000, 800, 0xC0, 5000, false) << true << false << true
                                   << qint64(0);
    QTest::newRow("too little data") << JpegHeaderOnly(1000, 800, 0xC0, 4000, true) << true << true << false
                                     << qint64(0);
    QTest::newRow("arithmetic needs no minimum")
        << JpegHeaderOnly(1000, 800, 0xC9, 10, true) << true << true << true << qint64(0);
    QByteArray stray = JpegHeaderOnly(1000, 800, 0xC0, 5000, true);
    stray.insert(71, QByteArray(3, '\0')); // after the quantisation table
    QTest::newRow("stray bytes between segments") << stray << true << true << true << qint64(0);
    QTest::newRow("zero width") << JpegHeaderOnly(0, 800, 0xC0, 5000, true) << false << true << true << qint64(0);
    QTest::newRow("not a jpeg") << QByteArray("\x89PNG\r\n\x1a\n........") << false << false << true << qint64(0);
    QTest::newRow("empty") << QByteArray() << false << false << true << qint64(0);
    QTest::newRow("cut in a segment") << JpegHeaderOnly(1000, 800, 0xC0, 0, false).left(30) << false << false << true
                                      << qint64(0);
}

void TestJpegHeader::headers()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    QFETCH(bool, complete);
    QFETCH(bool, plausible);
    QFETCH(qint64, coefficientBytes);
    const JpegHeader header = JpegHeader::Read(bytes);
    QCOMPARE(header.valid(), valid);
    QCOMPARE(header.complete, complete);
    QCOMPARE(header.plausible(), plausible);
    QCOMPARE(header.coefficientBytes(), coefficientBytes);
}

void TestJpegHeader::stuffedZeroIsNotAMarker()
{
    const JpegHeader header = JpegHeader::Read(JpegWithHiddenFrame(24000, 24000, 500));
    QCOMPARE(header.width, 24000);
    QCOMPARE(header.height, 24000);
    QVERIFY(!header.plausible());
}

QTEST_MAIN(TestJpegHeader)
#include "tst_jpegheader.moc"
