#include "resources/Resources.h"

#include <QTest>

// Which artwork file a screen's density is drawn from.
class TestResources : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { InitResources(); }
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

void TestResources::everyWindowPictureHasItsTwin()
{
    const QStringList pictures = {"background.png", "frame.png",   "face1.png",     "face6.png",
                                  "selection.png",  "context.png", "trayframe.png", "about.png"};
    for (const QString &name : pictures) {
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
