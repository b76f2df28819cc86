#include "components/imaging/LeadImage.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPictures.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImageReader>
#include <QTest>

using namespace TestPictures;

// The imaging control's operations, as the face commands and the fold-out
// composition call them.
class TestLeadImage : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void loadsEveryFormat_data();
    void loadsEveryFormat();
    void loadAppliesOrientation();
    void failedLoadLeavesNoBitmap();
    void copyThenPaste();
    void pasteQuery_data();
    void pasteQuery();
    void failedPasteKeepsBitmap();
    void combineDrawsIntoCell();
    void combineRefusesUnknownHandles();
    void saveWritesTwentyFourBitJpeg();
    void saveRefusesOtherFormatsAndKeepsFile_data();
    void saveRefusesOtherFormatsAndKeepsFile();
    void saveOnFullDiskKeepsFile();
    void loadChecksJpegOfAnyName();

private:
    QScopedPointer<TestEnvironment> m_env;
};

void TestLeadImage::init()
{
    m_env.reset(new TestEnvironment);
    QGuiApplication::clipboard()->clear();
}

void TestLeadImage::loadsEveryFormat_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QString>("name");
    QTest::newRow("jpeg") << QByteArray("jpeg") << "a.jpg";
    QTest::newRow("bmp") << QByteArray("bmp") << "a.bmp";
    QTest::newRow("png") << QByteArray("png") << "a.png";
}

void TestLeadImage::loadsEveryFormat()
{
    QFETCH(QByteArray, format);
    QFETCH(QString, name);
    const QString path = WriteFile(m_env->path(name), Encode(Quadrants(QSize(120, 80)), format.constData()));
    LeadImage lead;
    QCOMPARE(lead.Bitmap(), 0u);
    QCOMPARE(lead.Load(path, 0, 1, -1), LeadImage::LeadSuccess);
    QCOMPARE(lead.image().size(), QSize(120, 80));
    QVERIFY(Near(lead.image().pixelColor(10, 10), Qt::red));
    QVERIFY(Near(lead.image().pixelColor(110, 70), Qt::yellow));
    QVERIFY(lead.Bitmap() != 0);
}

void TestLeadImage::loadAppliesOrientation()
{
    const QByteArray jpeg = WithExifOrientation(Encode(Quadrants(QSize(120, 80)), "jpeg"), 6);
    LeadImage lead;
    lead.Load(WriteFile(m_env->path(QStringLiteral("turned.jpg")), jpeg), 0, 1, -1);
    QCOMPARE(lead.image().size(), QSize(80, 120));
    QVERIFY(Near(lead.image().pixelColor(10, 10), Qt::blue));
}

void TestLeadImage::failedLoadLeavesNoBitmap()
{
    LeadImage lead;
    lead.Load(WriteFile(m_env->path(QStringLiteral("a.png")), Encode(Quadrants(QSize(20, 20)), "png")), 0, 1, -1);
    QVERIFY(lead.Bitmap() != 0);
    QCOMPARE(lead.Load(m_env->path(QStringLiteral("gone.jpg")), 0, 1, -1), LeadImage::LeadFailure);
    QCOMPARE(lead.Bitmap(), 0u);
    QCOMPARE(lead.Copy(2), LeadImage::LeadFailure);
}

void TestLeadImage::copyThenPaste()
{
    LeadImage from, to;
    from.Load(WriteFile(m_env->path(QStringLiteral("a.png")), Encode(Quadrants(QSize(64, 48)), "png")), 0, 1, -1);
    QCOMPARE(from.Copy(2), LeadImage::LeadSuccess);
    QCOMPARE(to.Paste(LeadImage::PasteQuery), qint16(1));
    QCOMPARE(to.Paste(0), LeadImage::LeadSuccess);
    QCOMPARE(to.image().size(), QSize(64, 48));
    QCOMPARE(to.image().pixelColor(40, 40), QColor(Qt::yellow));
}

void TestLeadImage::pasteQuery_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty clipboard") << QString();
    QTest::newRow("text on the clipboard") << QStringLiteral("words");
}

void TestLeadImage::pasteQuery()
{
    QFETCH(QString, text);
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
    LeadImage lead;
    QCOMPARE(lead.Paste(LeadImage::PasteQuery), qint16(0));
    QCOMPARE(lead.Paste(0), LeadImage::LeadFailure);
    QCOMPARE(QGuiApplication::clipboard()->text(), text);
}

void TestLeadImage::failedPasteKeepsBitmap()
{
    LeadImage lead;
    QGuiApplication::clipboard()->setImage(Solid(QSize(30, 30), Qt::green));
    lead.Paste(0);
    QGuiApplication::clipboard()->setText(QStringLiteral("words"));
    QCOMPARE(lead.Paste(0), LeadImage::LeadFailure);
    QCOMPARE(lead.image().pixelColor(5, 5), QColor(Qt::green));
}

void TestLeadImage::combineDrawsIntoCell()
{
    LeadImage print, source;
    print.Load(WriteFile(m_env->path(QStringLiteral("fold.png")), Encode(Solid(QSize(663, 837), Qt::white), "png")), 0,
               1, -1);
    source.Load(WriteFile(m_env->path(QStringLiteral("p.png")), Encode(Quadrants(QSize(208, 208)), "png")), 0, 1, -1);
    QCOMPARE(print.Combine(245, 1, 208, 208, source.Bitmap(), 0, 0, 800), LeadImage::LeadSuccess);
    QCOMPARE(print.image().size(), QSize(663, 837));
    QCOMPARE(print.image().pixelColor(245, 1), QColor(Qt::red));
    QCOMPARE(print.image().pixelColor(452, 208), QColor(Qt::yellow));
    QCOMPARE(print.image().pixelColor(244, 1), QColor(Qt::white));
    QCOMPARE(print.image().pixelColor(453, 209), QColor(Qt::white));
    QCOMPARE(print.image().pixelColor(245, 0), QColor(Qt::white));
}

void TestLeadImage::combineRefusesUnknownHandles()
{
    LeadImage print;
    print.Load(WriteFile(m_env->path(QStringLiteral("fold.png")), Encode(Solid(QSize(100, 100), Qt::white), "png")), 0,
               1, -1);
    quint32 gone = 0;
    {
        LeadImage source;
        source.Load(WriteFile(m_env->path(QStringLiteral("p.png")), Encode(Solid(QSize(10, 10), Qt::red), "png")), 0, 1,
                    -1);
        gone = source.Bitmap();
    }
    QCOMPARE(print.Combine(0, 0, 10, 10, gone, 0, 0, 800), LeadImage::LeadFailure);
    QCOMPARE(print.Combine(0, 0, 10, 10, 0, 0, 0, 800), LeadImage::LeadFailure);
    QCOMPARE(print.Combine(0, 0, 10, 10, 0xDEADBEEF, 0, 0, 800), LeadImage::LeadFailure);
    QCOMPARE(print.image().pixelColor(5, 5), QColor(Qt::white));
}

void TestLeadImage::saveWritesTwentyFourBitJpeg()
{
    LeadImage lead;
    lead.Load(WriteFile(m_env->path(QStringLiteral("a.png")), Encode(Quadrants(QSize(200, 100)), "png")), 0, 1, -1);
    const QString out = WriteFile(m_env->path(QStringLiteral("cubefold.jpg")), "old content");
    QCOMPARE(lead.Save(out, 10, 24, 2, 0), LeadImage::LeadSuccess);
    QImageReader reader(out);
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    const QImage saved = reader.read();
    QCOMPARE(saved.size(), QSize(200, 100));
    QCOMPARE(saved.format(), QImage::Format_RGB32); // three colour components
    QVERIFY(AreaIs(saved, QRect(5, 5, 80, 35), Qt::red, 8)); // very high quality
    QVERIFY(AreaIs(saved, QRect(115, 60, 80, 35), Qt::yellow, 8));
}

void TestLeadImage::saveRefusesOtherFormatsAndKeepsFile_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("multiPage");
    QTest::newRow("other format") << 1 << 24 << 0;
    QTest::newRow("other depth") << 10 << 8 << 0;
    QTest::newRow("multi-page") << 10 << 24 << 1;
}

void TestLeadImage::saveRefusesOtherFormatsAndKeepsFile()
{
    QFETCH(int, format);
    QFETCH(int, bits);
    QFETCH(int, multiPage);
    LeadImage lead;
    lead.Load(WriteFile(m_env->path(QStringLiteral("a.png")), Encode(Quadrants(QSize(20, 20)), "png")), 0, 1, -1);
    const QString out = WriteFile(m_env->path(QStringLiteral("keep.jpg")), "old content");
    QCOMPARE(lead.Save(out, format, bits, 2, multiPage), LeadImage::LeadFailure);
    QCOMPARE(ReadFile(out), QByteArray("old content"));
    LeadImage empty;
    QCOMPARE(empty.Save(out, 10, 24, 2, 0), LeadImage::LeadFailure);
    QCOMPARE(ReadFile(out), QByteArray("old content"));
}

void TestLeadImage::saveOnFullDiskKeepsFile()
{
    LeadImage lead;
    lead.Load(WriteFile(m_env->path(QStringLiteral("a.png")), Encode(Quadrants(QSize(200, 100)), "png")), 0, 1, -1);
    const QString out = WriteFile(m_env->path(QStringLiteral("cubefold.jpg")), "old content");
    qint16 result = LeadImage::LeadSuccess;
    {
        FileSizeLimit full(300);
        result = lead.Save(out, 10, 24, 2, 0);
    }
    QCOMPARE(result, LeadImage::LeadFailure);
    QCOMPARE(ReadFile(out), QByteArray("old content"));
}

void TestLeadImage::loadChecksJpegOfAnyName()
{
    const QByteArray jpeg = Encode(Quadrants(QSize(200, 100)), "jpeg");
    LeadImage lead;
    QCOMPARE(lead.Load(WriteFile(m_env->path(QStringLiteral("whole.jpe")), jpeg), 0, 1, -1), LeadImage::LeadSuccess);
    QCOMPARE(lead.image().size(), QSize(200, 100));
    QCOMPARE(lead.Load(WriteFile(m_env->path(QStringLiteral("hidden.png.jpg")), JpegWithHiddenFrame(24000, 24000, 500)), 0, 1, -1),
             LeadImage::LeadFailure);
    QCOMPARE(lead.Load(WriteFile(m_env->path(QStringLiteral("cut.jpe")), jpeg.left(jpeg.size() / 2)), 0, 1, -1),
             LeadImage::LeadFailure);
}

QTEST_MAIN(TestLeadImage)
#include "tst_leadimage.moc"
