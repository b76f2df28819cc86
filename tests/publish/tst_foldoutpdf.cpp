#include "publish/CubeBuilder.h"
#include "publish/FoldOutPdf.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPictures.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

using namespace TestPictures;

namespace {
QString Run(const QString &program, const QStringList &args)
{
    QProcess process;
    process.start(program, args);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}
} // namespace

// The print-ready paper cube, read back with poppler's tools.
class TestFoldOutPdf : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void onePageForA4AndLetter();
    void photosAtPrintResolution_data();
    void photosAtPrintResolution();
    void faceOneTurnedOnTheBack();
    void directionsInWords();
    void unwritableTargetFails();

private:
    QString write(const QString &name, QList<int> emptyFaces = {});
    TestEnvironment m_env;
};

void TestFoldOutPdf::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
        QSKIP("poppler-utils is not installed (scripts/install-deps installs it)");
}

QString TestFoldOutPdf::write(const QString &name, QList<int> emptyFaces)
{
    QImage faces[6];
    for (int i = 0; i < 6; ++i)
        if (!emptyFaces.contains(i))
            faces[i] = Quadrants(QSize(CubeBuilder::PrintQualityBox, CubeBuilder::PrintQualityBox));
    const QString path = m_env.path(name);
    return FoldOutPdf::Write(path, faces) ? path : QString();
}

void TestFoldOutPdf::onePageForA4AndLetter()
{
    const QString pdf = write(QStringLiteral("sheet.pdf"));
    QVERIFY(!pdf.isEmpty());
    const QString info = Run(QStringLiteral("pdfinfo"), {pdf});
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))), qPrintable(info));
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts")).match(info);
    QVERIFY(size.hasMatch());
    // A4 is 595.3 x 841.9 points, Letter 612 x 792.
    QVERIFY(size.captured(1).toDouble() <= 595.3 && size.captured(2).toDouble() <= 792.0);
    QVERIFY(size.captured(1).toDouble() >= 590 && size.captured(2).toDouble() >= 780);
}

void TestFoldOutPdf::photosAtPrintResolution_data()
{
    QTest::addColumn<QList<int>>("emptyFaces");
    QTest::newRow("six photos") << QList<int>{};
    QTest::newRow("faces 2 and 6 empty") << QList<int>{1, 5};
}

// One picture per photo, at 300 pixels per inch or more; the lines are not pictures.
void TestFoldOutPdf::photosAtPrintResolution()
{
    QFETCH(QList<int>, emptyFaces);
    const QString pdf = write(QStringLiteral("photos.pdf"), emptyFaces);
    const QStringList rows = Run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf})
                                 .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                                 .mid(2);
    QCOMPARE(rows.size(), 6 - emptyFaces.size());
    for (const QString &row : rows) {
        const QStringList cols = row.simplified().split(QLatin1Char(' '));
        QVERIFY2(cols.size() >= 14, qPrintable(row));
        QVERIFY2(cols[12].toInt() >= 300 && cols[13].toInt() >= 300, qPrintable(row));
    }
}

// Rendered, the centre cell holds face 3 upright and the bottom cell face 1
// turned by half a turn; each face at least 60 mm wide.
void TestFoldOutPdf::faceOneTurnedOnTheBack()
{
    const QString pdf = write(QStringLiteral("render.pdf"));
    const QString png = m_env.path(QStringLiteral("render"));
    Run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("50.8"), QStringLiteral("-png"),
                                     QStringLiteral("-singlefile"), pdf, png});
    const QImage page(png + QStringLiteral(".png")); // 2 pixels per millimetre
    QVERIFY(!page.isNull());
    const auto at = [&](int column, int row, double x, double y) {
        // Cell origin: the grid centred across the page, with its tab below.
        const double left = (FoldOutPdf::PageWidthMm - 3 * FoldOutPdf::FaceMm) / 2;
        const double top = (FoldOutPdf::PageHeightMm - 4 * FoldOutPdf::FaceMm - 8) / 2;
        return page.pixelColor(int(2 * (left + (column + x) * FoldOutPdf::FaceMm)),
                               int(2 * (top + (row + y) * FoldOutPdf::FaceMm)));
    };
    QVERIFY(Near(at(1, 1, 0.25, 0.25), Qt::red));
    QVERIFY(Near(at(1, 1, 0.75, 0.75), Qt::yellow));
    QVERIFY(Near(at(1, 3, 0.25, 0.25), Qt::yellow));
    QVERIFY(Near(at(1, 3, 0.75, 0.25), Qt::blue));
    QVERIFY(Near(at(1, 3, 0.75, 0.75), Qt::red));
    QVERIFY(Near(at(1, 0, 0.25, 0.25), Qt::red)); // face 4 on top, upright
}

void TestFoldOutPdf::directionsInWords()
{
    const QString text = Run(QStringLiteral("pdftotext"), {write(QStringLiteral("text.pdf")), QStringLiteral("-")});
    QVERIFY2(text.contains(QLatin1String("Cut along the solid outer line")), qPrintable(text));
    QVERIFY(text.simplified().contains(QLatin1String("Fold along every dashed line")));
}

void TestFoldOutPdf::unwritableTargetFails()
{
    QImage faces[6];
    QVERIFY(!FoldOutPdf::Write(QStringLiteral("/proc/self/sheet.pdf"), faces));
    QVERIFY(!FoldOutPdf::Write(m_env.path(QStringLiteral("missing/folder/sheet.pdf")), faces));
}

QTEST_MAIN(TestFoldOutPdf)
#include "tst_foldoutpdf.moc"
