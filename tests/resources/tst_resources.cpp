#include "resources/Resources.h"
#include "tests/support/ImagePlugins.h"

#include <QTest>

namespace {
const QStringList kWindowPictures = {"background.png", "frame.png",   "face1.png",     "face6.png",
                                     "selection.png",  "context.png", "trayframe.png", "about.png"};
} // namespace

// Which artwork file a screen's density is drawn from, and how it is read.
class TestResources : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { InitResources(); }
    // First: the other tests read pictures by guessing their format.
    void artworkLoadsNoImagePlugin();
    void artworkReadingGivesLoadArtworksPicture_data();
    void artworkReadingGivesLoadArtworksPicture();
    void artworkIconIsThePicture();
    void artworkFile_data();
    void artworkFile();
    void everyWindowPictureHasItsTwin();
};

void TestResources::artworkFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QString>("file");
    QTest::newRow("1x") << "background.png" << 1.0 << ":/artwork/background.png";
    QTest::newRow("1.25x") << "background.png" << 1.25 << ":/artwork/background.png";
    QTest::newRow("1.5x") << "background.png" << 1.5 << ":/artwork/background@2x.png";
    QTest::newRow("2x") << "face3.png" << 2.0 << ":/artwork/face3@2x.png";
    QTest::newRow("no twin") << "vexilo.png" << 2.0 << ":/artwork/vexilo.png";
}

void TestResources::artworkFile()
{
    QFETCH(QString, name);
    QFETCH(qreal, ratio);
    QTEST(ArtworkFile(QStringLiteral(":/artwork"), name, ratio), "file");
}

void TestResources::artworkLoadsNoImagePlugin()
{
    for (const QString &name : kWindowPictures)
        QVERIFY2(!LoadArtwork(name).isNull(), qPrintable(name));
    QVERIFY(!ArtworkReading(QStringLiteral("frame.png")).picture().isNull());
    QVERIFY(!ArtworkIcon(QStringLiteral("vexilo.png")).pixmap(32).isNull());
    QVERIFY(!ReadPicture(QStringLiteral(":/bitmaps/STANDARDU.bmp")).isNull());
    QVERIFY(!ImagePluginLoaded());
}

void TestResources::artworkReadingGivesLoadArtworksPicture_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("256 colours") << "frame.png";
    QTest::newRow("with transparency") << "trayframe.png";
}

void TestResources::artworkReadingGivesLoadArtworksPicture()
{
    QFETCH(QString, name);
    const QPixmap later = ArtworkReading(name).picture();
    const QPixmap now = LoadArtwork(name);
    QCOMPARE(later.size(), now.size());
    QCOMPARE(later.devicePixelRatio(), now.devicePixelRatio());
    QCOMPARE(later.toImage().convertToFormat(QImage::Format_ARGB32),
             now.toImage().convertToFormat(QImage::Format_ARGB32));
}

void TestResources::artworkIconIsThePicture()
{
    const QIcon icon = ArtworkIcon(QStringLiteral("vexilo.png"));
    const QIcon copy = icon;
    QCOMPARE(copy.availableSizes(), QList<QSize>{QSize(256, 256)});
    const QImage expected = LoadArtwork(QStringLiteral("vexilo.png")).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(icon.pixmap(256).toImage().convertToFormat(QImage::Format_ARGB32), expected);
}

void TestResources::everyWindowPictureHasItsTwin()
{
    for (const QString &name : kWindowPictures) {
        const QPixmap plain(QStringLiteral(":/artwork/") + name);
        const QPixmap twin(ArtworkFile(QStringLiteral(":/artwork"), name, 2.0));
        QVERIFY2(!plain.isNull(), qPrintable(name));
        QCOMPARE(twin.size(), plain.size() * 2);
    }
    const QPixmap picture = LoadArtwork(QStringLiteral("selection.png"));
    QCOMPARE(picture.deviceIndependentSize().toSize(), QSize(85, 85));
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
