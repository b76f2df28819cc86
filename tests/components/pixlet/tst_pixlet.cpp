#include "components/pixlet/Pixlet.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPictures.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QImageReader>
#include <QMimeData>
#include <QTest>

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace TestPictures;

namespace {

// A 24-bit Windows bitmap header announcing width x height, without pixels.
QByteArray BmpHeader(qint32 width, qint32 height)
{
    QByteArray bmp("BM", 2);
    auto put32 = [&bmp](quint32 v) {
        for (int i = 0; i < 4; ++i)
            bmp += char(v >> (8 * i));
    };
    auto put16 = [&bmp](quint16 v) {
        bmp += char(v & 0xFF);
        bmp += char(v >> 8);
    };
    put32(54 + 64);
    put32(0);
    put32(54);
    put32(40);
    put32(width);
    put32(height);
    put16(1);
    put16(24);
    put32(0);
    put32(0);
    put32(2835);
    put32(2835);
    put32(0);
    put32(0);
    return bmp + QByteArray(64, '\x7f');
}

} // namespace

// The thumbnail generator, on pictures made here.
class TestPixlet : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void fitsIntoBox_data();
    void fitsIntoBox();
    void exifOrientation_data();
    void exifOrientation();
    void lastSourceSetWins();
    void clipboardPicture();
    void transparencyOnWhite();
    void badSource_data();
    void badSource();
    void fullDiskKeepsDestination();
    void pipeIsRefusedWithoutBlocking();
    void unreadableFile();
    void emptyOrTextClipboard_data();
    void emptyOrTextClipboard();
    void boxOutOfRange_data();
    void boxOutOfRange();

private:
    QString source(const QString &name, const QByteArray &bytes) const;
    QImage generate(Pixlet &pixlet, int box);

    QScopedPointer<TestEnvironment> m_env;
};

void TestPixlet::init()
{
    m_env.reset(new TestEnvironment);
    QGuiApplication::clipboard()->clear();
}

QString TestPixlet::source(const QString &name, const QByteArray &bytes) const
{
    return WriteFile(m_env->path(name), bytes);
}

QImage TestPixlet::generate(Pixlet &pixlet, int box)
{
    const QString out = m_env->path(QStringLiteral("out.jpg"));
    QFile::remove(out);
    pixlet.setBoxWidth(box);
    pixlet.setBoxHeight(box);
    pixlet.setDestinationFile(out);
    if (!pixlet.Generate())
        return {};
    QImageReader reader(out, "jpeg");
    return reader.read();
}

void TestPixlet::fitsIntoBox_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("box");
    QTest::addColumn<QColor>("back");
    QTest::addColumn<QRect>("content");
    const QColor white(Qt::white), rose(230, 60, 90);
    QTest::newRow("landscape 77") << QSize(400, 200) << QByteArray("jpeg") << "a.jpg" << 77 << white
                                  << QRect(0, 19, 77, 38);
    QTest::newRow("portrait 77") << QSize(200, 400) << QByteArray("jpeg") << "a.JPG" << 77 << white
                                 << QRect(19, 0, 38, 77);
    QTest::newRow("square 77") << QSize(300, 300) << QByteArray("jpeg") << "a.jpeg" << 77 << white
                               << QRect(0, 0, 77, 77);
    QTest::newRow("landscape 250") << QSize(1000, 600) << QByteArray("jpeg") << "a.jpg" << 250 << rose
                                   << QRect(0, 50, 250, 150);
    QTest::newRow("portrait 208") << QSize(600, 1000) << QByteArray("jpeg") << "a.jpg" << 208 << rose
                                  << QRect(42, 0, 124, 208);
    QTest::newRow("small picture grows") << QSize(40, 20) << QByteArray("jpeg") << "a.jpg" << 77 << white
                                         << QRect(0, 19, 77, 38);
    QTest::newRow("bmp") << QSize(300, 150) << QByteArray("bmp") << "a.bmp" << 77 << rose << QRect(0, 19, 77, 38);
    QTest::newRow("png") << QSize(150, 300) << QByteArray("png") << "a.PNG" << 77 << rose << QRect(19, 0, 38, 77);
    QTest::newRow("jpe read by content") << QSize(300, 150) << QByteArray("jpeg") << "a.jpe" << 77 << white
                                         << QRect(0, 19, 77, 38);
    QTest::newRow("whole name jpeg") << QSize(300, 150) << QByteArray("jpeg") << "jpeg" << 77 << white
                                     << QRect(0, 19, 77, 38);
}

void TestPixlet::fitsIntoBox()
{
    QFETCH(QSize, size);
    QFETCH(QByteArray, format);
    QFETCH(QString, name);
    QFETCH(int, box);
    QFETCH(QColor, back);
    QFETCH(QRect, content);
    const QColor photo(20, 110, 40);
    Pixlet pixlet;
    pixlet.setBackColor(back);
    pixlet.setSourceFile(source(name, Encode(Solid(size, photo), format.constData())));
    const QImage out = generate(pixlet, box);
    QCOMPARE(out.size(), QSize(box, box));
    QVERIFY(AreaIs(out, content.adjusted(3, 3, -3, -3), photo));
    for (int y = 0; y < box; ++y)
        for (int x = 0; x < box; ++x)
            if (!content.adjusted(-3, -3, 3, 3).contains(x, y))
                QVERIFY2(Near(out.pixelColor(x, y), back),
                         qPrintable(QStringLiteral("padding at %1,%2").arg(x).arg(y)));
}

void TestPixlet::exifOrientation_data()
{
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QList<QColor>>("quadrants"); // top-left, top-right, bottom-left, bottom-right
    const QColor r(Qt::red), g(Qt::green), b(Qt::blue), y(Qt::yellow);
    QTest::newRow("1 upright") << 1 << QList<QColor>{r, g, b, y};
    QTest::newRow("2 mirrored") << 2 << QList<QColor>{g, r, y, b};
    QTest::newRow("3 upside down") << 3 << QList<QColor>{y, b, g, r};
    QTest::newRow("4 flipped") << 4 << QList<QColor>{b, y, r, g};
    QTest::newRow("5 transposed") << 5 << QList<QColor>{r, b, g, y};
    QTest::newRow("6 turned right") << 6 << QList<QColor>{b, r, y, g};
    QTest::newRow("7 transversed") << 7 << QList<QColor>{y, g, b, r};
    QTest::newRow("8 turned left") << 8 << QList<QColor>{g, y, r, b};
}

void TestPixlet::exifOrientation()
{
    QFETCH(int, orientation);
    QFETCH(QList<QColor>, quadrants);
    Pixlet pixlet;
    const QByteArray jpeg = Encode(Quadrants(QSize(640, 320)), "jpeg");
    pixlet.setSourceFile(source(QStringLiteral("turned.jpg"), WithExifOrientation(jpeg, orientation)));
    const QImage out = generate(pixlet, 64);
    QCOMPARE(out.size(), QSize(64, 64));
    // Stored 2:1, so the upright picture is 64 x 32 for 1-4 and 32 x 64 for 5-8.
    const QRect content = orientation <= 4 ? QRect(0, 16, 64, 32) : QRect(16, 0, 32, 64);
    const int w = content.width() / 2, h = content.height() / 2;
    const QRect cells[4] = {QRect(content.left(), content.top(), w, h), QRect(content.left() + w, content.top(), w, h),
                            QRect(content.left(), content.top() + h, w, h),
                            QRect(content.left() + w, content.top() + h, w, h)};
    for (int q = 0; q < 4; ++q)
        QVERIFY2(AreaIs(out, cells[q].adjusted(4, 4, -4, -4), quadrants[q], 60), qPrintable(QString::number(q)));
    const QRect padding = orientation <= 4 ? QRect(0, 0, 64, 12) : QRect(0, 0, 12, 64);
    QVERIFY(AreaIs(out, padding, Qt::white));
}

void TestPixlet::lastSourceSetWins()
{
    QGuiApplication::clipboard()->setImage(Solid(QSize(50, 50), Qt::blue));
    const QString red = source(QStringLiteral("red.jpg"), Encode(Solid(QSize(50, 50), Qt::red), "jpeg"));
    Pixlet pixlet;
    pixlet.setSourceFile(red);
    QVERIFY(Near(generate(pixlet, 20).pixelColor(10, 10), Qt::red));
    pixlet.setFromClipboard(true);
    QVERIFY(Near(generate(pixlet, 20).pixelColor(10, 10), Qt::blue));
    // A file named after a paste is read, as Insert and drop rely on.
    pixlet.setSourceFile(red);
    QVERIFY(Near(generate(pixlet, 20).pixelColor(10, 10), Qt::red));
    QVERIFY(!pixlet.fromClipboard());
}

void TestPixlet::clipboardPicture()
{
    QGuiApplication::clipboard()->setImage(Solid(QSize(90, 300), Qt::green));
    Pixlet pixlet;
    pixlet.setBackColor(Qt::black);
    pixlet.setFromClipboard(true);
    const QImage out = generate(pixlet, 77);
    QCOMPARE(out.size(), QSize(77, 77));
    QVERIFY(AreaIs(out, QRect(30, 5, 17, 67), Qt::green));
    QVERIFY(AreaIs(out, QRect(0, 0, 20, 77), Qt::black));
}

// A transparent PNG's clear half is white in its thumbnail, whatever the
// colour of the box around it.
void TestPixlet::transparencyOnWhite()
{
    QImage picture(200, 100, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    for (int y = 0; y < 100; ++y)
        for (int x = 100; x < 200; ++x)
            picture.setPixel(x, y, qRgb(0, 0, 255));
    Pixlet pixlet;
    pixlet.setBackColor(QColor(189, 189, 181));
    pixlet.setSourceFile(source(QStringLiteral("clear.png"), Encode(picture, "png")));
    const QImage out = generate(pixlet, 100);
    QVERIFY(AreaIs(out, QRect(5, 30, 40, 40), Qt::white));
    QVERIFY(AreaIs(out, QRect(55, 30, 40, 40), Qt::blue));
    QVERIFY(AreaIs(out, QRect(5, 2, 90, 20), QColor(189, 189, 181)));
}

void TestPixlet::badSource_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray jpeg = Encode(Quadrants(QSize(400, 300)), "jpeg");
    QByteArray noise(5000, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) % 251);
    QTest::newRow("zero bytes") << "empty.jpg" << QByteArray();
    QTest::newRow("truncated jpeg") << "cut.jpg" << jpeg.left(jpeg.size() / 2);
    QTest::newRow("random bytes") << "noise.jpg" << noise;
    QTest::newRow("png named jpg") << "png.jpg" << Encode(Quadrants(QSize(40, 30)), "png");
    QTest::newRow("jpeg named bmp") << "jpeg.bmp" << jpeg;
    QTest::newRow("30000 square header") << "huge.jpg" << JpegHeaderOnly(30000, 30000, 0xC0, 64, false);
    QTest::newRow("30000 square header, ended") << "huge2.jpg" << JpegHeaderOnly(30000, 30000, 0xC0, 64, true);
    QTest::newRow("progressive beyond the decode limit")
        << "deep.jpg" << JpegHeaderOnly(12000, 12000, 0xC2, 2 << 20, true);
    QTest::newRow("bmp beyond the decode limit") << "wide.bmp" << BmpHeader(20000, 20000);
    // Names that say no format are read by their content, with the same checks.
    QTest::newRow("truncated jpeg named jpe") << "cut.jpe" << jpeg.left(jpeg.size() / 2);
    QTest::newRow("truncated jpeg without ending") << "cut" << jpeg.left(jpeg.size() / 2);
    QTest::newRow("frame hidden behind FF 00") << "hidden.jpg" << JpegWithHiddenFrame(24000, 24000, 500);
}

void TestPixlet::badSource()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    const QString out = WriteFile(m_env->path(QStringLiteral("out.jpg")), "earlier");
    Pixlet pixlet;
    pixlet.setSourceFile(source(name, bytes));
    pixlet.setBoxWidth(77);
    pixlet.setBoxHeight(77);
    pixlet.setDestinationFile(out);
    QVERIFY(!pixlet.Generate());
    QCOMPARE(ReadFile(out), QByteArray("earlier"));
}

void TestPixlet::fullDiskKeepsDestination()
{
    const QString out = WriteFile(m_env->path(QStringLiteral("out.jpg")), "earlier");
    Pixlet pixlet;
    pixlet.setSourceFile(source(QStringLiteral("a.png"), Encode(Quadrants(QSize(200, 100)), "png")));
    pixlet.setBoxWidth(250);
    pixlet.setBoxHeight(250);
    pixlet.setDestinationFile(out);
    bool generated = true;
    {
        FileSizeLimit full(300);
        generated = pixlet.Generate();
    }
    QVERIFY(!generated);
    QCOMPARE(ReadFile(out), QByteArray("earlier"));
    QCOMPARE(QDir(m_env->path(QString())).entryList({QStringLiteral("out.jpg*")}, QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("out.jpg")});
}

void TestPixlet::pipeIsRefusedWithoutBlocking()
{
    const QString fifo = m_env->path(QStringLiteral("pipe.jpg"));
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    Pixlet pixlet;
    pixlet.setSourceFile(fifo);
    QVERIFY(generate(pixlet, 77).isNull());
}

void TestPixlet::unreadableFile()
{
    const QString path = source(QStringLiteral("locked.jpg"), Encode(Solid(QSize(50, 50), Qt::red), "jpeg"));
    QFile::setPermissions(path, {});
    QFile::setPermissions(m_env->root(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther | QFile::ReadOther);
    Pixlet pixlet;
    pixlet.setSourceFile(path);
    // The super-user reads every file; look through another user's eyes.
    const uid_t before = setfsuid(geteuid() == 0 ? 65534 : geteuid());
    const QImage out = generate(pixlet, 77);
    setfsuid(before);
    QVERIFY(out.isNull());
}

void TestPixlet::emptyOrTextClipboard_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("text") << QStringLiteral("not a picture");
}

void TestPixlet::emptyOrTextClipboard()
{
    QFETCH(QString, text);
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
    Pixlet pixlet;
    pixlet.setFromClipboard(true);
    QVERIFY(generate(pixlet, 77).isNull());
}

void TestPixlet::boxOutOfRange_data()
{
    QTest::addColumn<int>("box");
    QTest::newRow("zero") << 0;
    QTest::newRow("negative") << -5;
    QTest::newRow("too large") << 5000;
}

void TestPixlet::boxOutOfRange()
{
    QFETCH(int, box);
    Pixlet pixlet;
    pixlet.setSourceFile(source(QStringLiteral("ok.jpg"), Encode(Solid(QSize(50, 50), Qt::red), "jpeg")));
    QVERIFY(generate(pixlet, box).isNull());
}

QTEST_MAIN(TestPixlet)
#include "tst_pixlet.moc"
