#include "pressola/Dib.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

// The control's bitmaps, and their double-size twins on dense screens.
class TestDib : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void drawsTheBitmapOnPlainDevices();
    void drawsTheTwinAtTwiceTheDensity_data();
    void drawsTheTwinAtTwiceTheDensity();
    void twinOfTheWrongSizeIsIgnored();
    void missingBitmapLoadsNothing();

private:
    void writeBitmap(const QString &name, QSize size, QColor colour);
    QImage drawn(CDib &dib, qreal ratio);

    QScopedPointer<QTemporaryDir> m_module;
};

void TestDib::init()
{
    m_module.reset(new QTemporaryDir);
}

void TestDib::writeBitmap(const QString &name, QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    // One bright column in the middle tells an upscaled picture from a sharp one.
    for (int y = 0; y < size.height(); ++y)
        image.setPixelColor(size.width() / 2, y, Qt::white);
    QVERIFY(image.convertToFormat(QImage::Format_Indexed8).save(m_module->filePath(name + ".bmp"), "BMP"));
}

QImage TestDib::drawn(CDib &dib, qreal ratio)
{
    QImage device(QSize(10, 6) * ratio, QImage::Format_ARGB32_Premultiplied);
    device.setDevicePixelRatio(ratio);
    device.fill(Qt::black);
    QPainter painter(&device);
    dib.Draw(painter, QRect(0, 0, 10, 6));
    return device;
}

void TestDib::drawsTheBitmapOnPlainDevices()
{
    writeBitmap("BUTTONU", QSize(10, 6), Qt::red);
    writeBitmap("BUTTONU@2x", QSize(20, 12), Qt::blue);
    CDib dib;
    QVERIFY(dib.LoadFromResource(m_module->path(), "BUTTONU"));
    QCOMPARE(QSize(dib.Width(), dib.Height()), QSize(10, 6));
    QVERIFY(dib.HasDoubleSize());
    QCOMPARE(drawn(dib, 1).pixelColor(1, 1), QColor(Qt::red));
}

void TestDib::drawsTheTwinAtTwiceTheDensity_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::newRow("2") << 2.0;
    QTest::newRow("3") << 3.0;
}

void TestDib::drawsTheTwinAtTwiceTheDensity()
{
    QFETCH(qreal, ratio);
    writeBitmap("BUTTONU", QSize(10, 6), Qt::red);
    writeBitmap("BUTTONU@2x", QSize(20, 12), Qt::blue);
    CDib dib;
    QVERIFY(dib.LoadFromResource(m_module->path(), "BUTTONU"));
    const QImage image = drawn(dib, ratio);
    QCOMPARE(image.pixelColor(1, 1), QColor(Qt::blue));
    // The size stays that of the plain bitmap.
    QCOMPARE(QSize(dib.Width(), dib.Height()), QSize(10, 6));
    if (ratio == 2.0) {
        // The twin's one-pixel column stays one device pixel wide.
        QCOMPARE(image.pixelColor(10, 3), QColor(Qt::white));
        QCOMPARE(image.pixelColor(11, 3), QColor(Qt::blue));
        QCOMPARE(image.pixelColor(9, 3), QColor(Qt::blue));
    }
}

void TestDib::twinOfTheWrongSizeIsIgnored()
{
    writeBitmap("BUTTONU", QSize(10, 6), Qt::red);
    writeBitmap("BUTTONU@2x", QSize(21, 12), Qt::blue);
    CDib dib;
    QVERIFY(dib.LoadFromResource(m_module->path(), "BUTTONU"));
    QVERIFY(!dib.HasDoubleSize());
    QCOMPARE(drawn(dib, 2).pixelColor(1, 1), QColor(Qt::red));
}

void TestDib::missingBitmapLoadsNothing()
{
    writeBitmap("BUTTONU@2x", QSize(20, 12), Qt::blue);
    CDib dib;
    QVERIFY(!dib.LoadFromResource(m_module->path(), "BUTTONU"));
    QVERIFY(dib.IsEmpty());
    QVERIFY(!dib.HasDoubleSize());
}

QTEST_MAIN(TestDib)
#include "tst_dib.moc"
