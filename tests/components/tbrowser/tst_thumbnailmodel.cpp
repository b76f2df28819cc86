#include "components/tbrowser/ThumbnailModel.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPictures.h"

#include <QPixmap>
#include <QTest>

using namespace TestPictures;

// Thumbnails come from the catalog's folder, which anyone may have filled.
class TestThumbnailModel : public QObject
{
    Q_OBJECT
private slots:
    void thumbnails_data();
    void thumbnails();
};

void TestThumbnailModel::thumbnails_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("shown");
    const QByteArray jpeg = Encode(Quadrants(QSize(160, 120)), "jpeg");
    QTest::newRow("a thumbnail") << jpeg << true;
    QTest::newRow("truncated") << jpeg.left(jpeg.size() / 2) << false;
    QTest::newRow("frame hidden behind FF 00") << JpegWithHiddenFrame(24000, 24000, 500) << false;
    QTest::newRow("huge progressive frame") << JpegHeaderOnly(30000, 30000, 0xC2, 64, true) << false;
}

void TestThumbnailModel::thumbnails()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, shown);
    TestEnvironment env;
    WriteFile(env.path(QStringLiteral("catalog/thumbs/00001.jpg")), bytes);
    ThumbnailModel model({{"file:///d/a.jpg", QStringLiteral("thumbs/00001.jpg")}}, env.path(QStringLiteral("catalog")));
    model.setThumbnailSize(QSize(80, 80), 1.0);
    const QPixmap pixmap = model.data(model.index(0), Qt::DecorationRole).value<QPixmap>();
    QCOMPARE(!pixmap.isNull(), shown);
    if (shown)
        QCOMPARE(pixmap.size(), QSize(80, 60));
}

QTEST_MAIN(TestThumbnailModel)
#include "tst_thumbnailmodel.moc"
