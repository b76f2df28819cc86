#include "components/imaging/LeadImage.h"
#include "components/pixlet/Pixlet.h"
#include "core/AppPaths.h"
#include "core/CubeModel.h"
#include "core/Globals.h"
#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "core/CubeRenderer.h"
#include "publish/CubeBuilder.h"
#include "publish/MovingPicture.h"
#include "publish/ProgressSink.h"
#include "resources/StringTable.h"
#include "tests/support/CubeFolding.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPictures.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QMimeData>
#include <QProcess>
#include <QTest>

#include <optional>

using namespace TestPictures;

Q_DECLARE_METATYPE(FaceFraming)

namespace {
// Writes down what the builder reports, in order.
class RecordingSink : public ProgressSink
{
public:
    void showStep(int step) override { events << QStringLiteral("step %1").arg(step); }
    void setStatus(const QString &text) override { events << QStringLiteral("status ") + text; }
    void repaintNow() override {}
    QStringList steps() const { return events.filter(QRegularExpression(QStringLiteral("^step "))); }
    bool hasStatus(int id) const { return events.contains(QStringLiteral("status ") + LoadResString(id)); }
    QStringList events;
};

const QColor kFaceColours[6] = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::magenta, Qt::cyan};
} // namespace

class TestCubeBuilder : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void allFacesEmpty();
    void facesDrawnIntoTheirCells_data();
    void facesDrawnIntoTheirCells();
    void secondBuildWithoutChange();
    void emptiedFaceKeepsItsChangedFlag();
    void captionLines_data();
    void captionLines();
    void faceTextsNamePhotos();
    void foldOutFoldsIntoTheEditorsCube_data();
    void foldOutFoldsIntoTheEditorsCube();
    void turnedFaceDrawnUpsideDown();
    void framedFaceShowsAlikeEverywhere_data();
    void framedFaceShowsAlikeEverywhere();
    void printAndSingleFileWrittenEveryBuild();
    void linkPreviewShowsTheFaces();
    void messagePictureTurnsTheBuiltCube();
    void detailedPhotoKeepsToTheBudget();
    void fullDiskKeepsPageAndSingleFile();
    void workDirectoryDeletedBetweenBuilds();
    void workDirectoryCannotBeMade();
    void photoGoneSincePlaced();
    void photoBackAfterABuildWithoutIt();
    void pastedFace();
    void templatePageMissing();
    void missingTemplatePictureKeepsWorkCopy();

private:
    QString work(const QString &name) const { return AppPaths::join(m_work, name); }
    QString templateFile(const QString &name) const { return AppPaths::join(AppPaths::templateDirectory(), name); }
    QString photo(int face, QSize size = QSize(300, 300));
    void place(int face, const QString &source);
    void placePasted(int face, const QImage &picture);
    bool build();
    bool build(const QString &caption);
    // A copy of the built template to change for one test.
    void useOwnTemplate();
    static QRect Cell(int face, int inset = 6);

    TestEnvironment *m_env = nullptr;
    QString m_work;
    QString m_startDirectory;
    CubeModel m_cube;
    LeadImage m_printImage;
    LeadImage m_printSource;
    Pixlet m_pixlet;
    std::optional<CubeBuilder> m_builder;
    RecordingSink m_sink;
};

void TestCubeBuilder::init()
{
    m_env = new TestEnvironment;
    m_work = m_env->path(QStringLiteral("base/CubeTemp"));
    QDir().mkpath(m_env->path(QStringLiteral("base")));
    m_startDirectory = QDir::currentPath();
    m_cube.Clear();
    m_cube.SetCaption(QStringLiteral("My cube"));
    m_pixlet.setBackColor(Qt::white);
    m_pixlet.setMember11(64);
    m_builder.emplace();
    m_builder->setWorkDirectory(m_work);
    m_sink = RecordingSink();
    MessageSeam::setMessageHandler([](int, MsgButtons) { return int(IDOK); });
    m_builder->PrepareWorkDirectory();
}

void TestCubeBuilder::cleanup()
{
    QDir::setCurrent(QDir::tempPath());
    delete m_env;
}

QString TestCubeBuilder::photo(int face, QSize size)
{
    return WriteFile(m_env->path(QStringLiteral("photos/face%1.jpg").arg(face + 1)),
                     Encode(Solid(size, kFaceColours[face]), "jpeg"));
}

void TestCubeBuilder::place(int face, const QString &source)
{
    m_cube.SetFace(face, CubeFace::Photo(source));
}

void TestCubeBuilder::placePasted(int face, const QImage &picture)
{
    m_cube.SetFace(face, CubeFace::Pasted(picture));
}

bool TestCubeBuilder::build()
{
    m_sink.events.clear();
    return m_builder->BuildCubeFiles(m_cube, {m_printImage, m_printSource, m_pixlet}, m_sink);
}

bool TestCubeBuilder::build(const QString &caption)
{
    m_cube.SetCaption(caption);
    return build();
}

void TestCubeBuilder::useOwnTemplate()
{
    const QString app = m_env->path(QStringLiteral("app"));
    QDir().mkpath(app + QStringLiteral("/Template"));
    for (const QString &name : CubeBuilder::PlainFiles(TestEnvironment::appDir() + QStringLiteral("/Template")))
        QFile::copy(TestEnvironment::appDir() + QStringLiteral("/Template/") + name,
                    app + QStringLiteral("/Template/") + name);
    AppPaths::setProgramDirectory(app);
}

QRect TestCubeBuilder::Cell(int face, int inset)
{
    const int cell = CubeBuilder::FoldOutCellOf(face);
    return QRect(CubeBuilder::FoldOutLeft[cell], CubeBuilder::FoldOutTop[cell], CubeBuilder::FoldOutCell,
                 CubeBuilder::FoldOutCell)
        .adjusted(inset, inset, -inset, -inset);
}

void TestCubeBuilder::allFacesEmpty()
{
    QVERIFY(build());
    QCOMPARE(m_sink.steps(),
             QStringList({"step 1", "step 2", "step 3", "step 4", "step 5", "step 6", "step 7", "step 8", "step 9"}));
    QCOMPARE(m_sink.events.at(1), QStringLiteral("status ") + LoadResString(27));
    QVERIFY(!m_sink.hasStatus(29));
    QVERIFY(!m_sink.hasStatus(28));
    for (int i = 0; i < FaceCount; ++i)
        QCOMPARE(ReadFile(work(FaceFileName(QStringLiteral("image"), i))),
                 ReadFile(templateFile(FaceFileName(QStringLiteral("image"), i))));
    QVERIFY(QDir(m_work).entryList({QStringLiteral("pimage*")}).isEmpty());
    QVERIFY(QFile::exists(work(QStringLiteral("imagevexilo.class"))));
    QCOMPARE(QDir::currentPath(), m_startDirectory);

    // The fold-out is the blank sheet saved again.
    const QImage blank(templateFile(QStringLiteral("cubefold.jpg")));
    const QImage foldOut(work(QStringLiteral("cubefold.jpg")));
    QCOMPARE(foldOut.size(), blank.size());
    QVERIFY(foldOut.width() >= 663 && foldOut.height() >= 837);
    for (int i = 0; i < FaceCount; ++i)
        QVERIFY(Near(foldOut.pixelColor(Cell(i).topLeft()), blank.pixelColor(Cell(i).topLeft()), 12));

    const QByteArray page = ReadFile(work(QStringLiteral("Vexilo.htm")));
    QVERIFY(page.contains("\r\n<h1 id=\"caption\">My cube</h1>\r\n"));
    QVERIFY(page.contains("\r\n<title>My cube</title>\r\n"));
    QVERIFY(!page.contains("Caption goes here"));
    QCOMPARE(page.count("\r\n"), page.count("\n"));
}

void TestCubeBuilder::facesDrawnIntoTheirCells_data()
{
    QTest::addColumn<QList<int>>("faces");
    QTest::newRow("face 1") << QList<int>{0};
    QTest::newRow("face 6") << QList<int>{5};
    QTest::newRow("faces 2 and 4") << QList<int>{1, 3};
    QTest::newRow("all six") << QList<int>{0, 1, 2, 3, 4, 5};
}

void TestCubeBuilder::facesDrawnIntoTheirCells()
{
    QFETCH(QList<int>, faces);
    for (int face : faces)
        place(face, photo(face));
    build();
    const QImage blank(templateFile(QStringLiteral("cubefold.jpg")));
    const QImage foldOut(work(QStringLiteral("cubefold.jpg")));
    const QStringList sizes{QString(), QStringLiteral("@2x"), QStringLiteral("@3x")};
    const int edges[] = {250, 500, 720};
    for (int i = 0; i < FaceCount; ++i) {
        if (faces.contains(i)) {
            QVERIFY2(AreaIs(foldOut, Cell(i), kFaceColours[i]), qPrintable(QString::number(i)));
            QCOMPARE((m_cube.FaceChanged(i) ? True : False), False);
        } else {
            QVERIFY(Near(foldOut.pixelColor(Cell(i).topLeft()), blank.pixelColor(Cell(i).topLeft()), 12));
        }
        // The face at every size the page offers; an empty face's are the template's.
        for (int s = 0; s < sizes.size(); ++s) {
            const QString name = QStringLiteral("image%1%2.jpg").arg(i + 1).arg(sizes[s]);
            if (faces.contains(i)) {
                const QImage image(work(name));
                QCOMPARE(image.size(), QSize(edges[s], edges[s]));
                QVERIFY2(AreaIs(image, image.rect().adjusted(4, 4, -4, -4), kFaceColours[i]), qPrintable(name));
            } else {
                QCOMPARE(ReadFile(work(name)), ReadFile(templateFile(name)));
            }
        }
    }
    // Nothing spills outside the cells: the sheet's corner and the gap between cells stay blank.
    QVERIFY(Near(foldOut.pixelColor(2, 2), blank.pixelColor(2, 2), 12));
    QVERIFY(Near(foldOut.pixelColor(600, 600), blank.pixelColor(600, 600), 12));
    QVERIFY(m_sink.hasStatus(29));
    QVERIFY(QDir(m_work).entryList({QStringLiteral("pimage*")}).isEmpty());
}

void TestCubeBuilder::secondBuildWithoutChange()
{
    place(0, photo(0));
    build();
    const QByteArray firstWeb = ReadFile(work(QStringLiteral("image1.jpg")));
    // A photo changed on disk is not read again while the face is unchanged,
    // and a spoilt fold-out is made afresh from the blank sheet.
    WriteFile(m_cube.Face(0).photo(), Encode(Solid(QSize(300, 300), Qt::black), "jpeg"));
    QFile changed(m_cube.Face(0).photo());
    QVERIFY(changed.open(QIODevice::ReadWrite));
    QVERIFY(changed.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
    changed.close();
    QFile::remove(work(QStringLiteral("cubefold.jpg")));
    WriteFile(work(QStringLiteral("Vexilo.htm")), "spoilt");
    build();
    QVERIFY(!m_sink.hasStatus(29));
    QCOMPARE(m_sink.steps().size(), 9);
    QCOMPARE(ReadFile(work(QStringLiteral("image1.jpg"))), firstWeb);
    const QImage foldOut(work(QStringLiteral("cubefold.jpg")));
    QVERIFY(AreaIs(foldOut, Cell(0), Qt::black)); // print pictures follow the photo on disk
    // An unchanged photo still reaches a fold-out made afresh.
    QFile::remove(work(QStringLiteral("cubefold.jpg")));
    build();
    QVERIFY(AreaIs(QImage(work(QStringLiteral("cubefold.jpg"))), Cell(0), Qt::black));
    QVERIFY(QDir(m_work).entryList({QStringLiteral("pimage*")}).isEmpty());
    QVERIFY(ReadFile(work(QStringLiteral("Vexilo.htm"))).contains("My cube"));
}

void TestCubeBuilder::emptiedFaceKeepsItsChangedFlag()
{
    place(2, photo(2));
    build();
    m_cube.SetFace(2, {});
    build();
    QVERIFY(m_sink.hasStatus(29));
    QCOMPARE((m_cube.FaceChanged(2) ? True : False), True);
    for (const QString &name : CubeBuilder::WebImageNames(2))
        QCOMPARE(ReadFile(work(name)), ReadFile(templateFile(name)));
    const QImage blank(templateFile(QStringLiteral("cubefold.jpg")));
    QVERIFY(Near(QImage(work(QStringLiteral("cubefold.jpg"))).pixelColor(Cell(2).center()),
                 blank.pixelColor(Cell(2).center()), 12));
    build();
    QVERIFY(m_sink.hasStatus(29));
}

void TestCubeBuilder::captionLines_data()
{
    QTest::addColumn<QByteArray>("templateText");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QByteArray>("page");
    const QByteArray h1 = "<h1 id=\"caption\">";
    QTest::newRow("exact") << QByteArray("a\nCaption goes here\nb\n") << "Hi"
                           << "a\r\n" + h1 + "Hi</h1>\r\nb\r\n";
    QTest::newRow("trailing blank") << QByteArray("Caption goes here \n") << "Hi"
                                    << QByteArray("Caption goes here \r\n");
    QTest::newRow("leading blank") << QByteArray(" Caption goes here\n") << "Hi"
                                   << QByteArray(" Caption goes here\r\n");
    QTest::newRow("letter case") << QByteArray("caption goes here\n") << "Hi" << QByteArray("caption goes here\r\n");
    QTest::newRow("inside a line") << QByteArray("<h1>Caption goes here</h1>\n") << "Hi"
                                   << QByteArray("<h1>Caption goes here</h1>\r\n");
    QTest::newRow("twice") << QByteArray("Caption goes here\nx\nCaption goes here\n") << "Hi"
                           << h1 + "Hi</h1>\r\nx\r\n" + h1 + "Hi</h1>\r\n";
    QTest::newRow("empty caption") << QByteArray("a\nCaption goes here\nb\n") << "" << QByteArray("a\r\n\r\nb\r\n");
    QTest::newRow("markup as text") << QByteArray("Caption goes here\n") << "a < b & <i>\"c\"</i>"
                                    << h1 + "a &lt; b &amp; &lt;i&gt;&quot;c&quot;&lt;/i&gt;</h1>\r\n";
    QTest::newRow("CR LF template") << QByteArray("a\r\nCaption goes here\r\n") << "Hi"
                                    << "a\r\n" + h1 + "Hi</h1>\r\n";
    QTest::newRow("no final line end") << QByteArray("a\nCaption goes here") << "Hi"
                                       << "a\r\n" + h1 + "Hi</h1>\r\n";
    QTest::newRow("non-ASCII") << QByteArray("Caption goes here\n")
                               << QStringLiteral("W\u00fcrfel \u2013 \u00e9t\u00e9")
                               << h1 + QStringLiteral("W\u00fcrfel \u2013 \u00e9t\u00e9</h1>\r\n").toUtf8();
    QTest::newRow("several lines") << QByteArray("Caption goes here\n") << "one\ntwo\r\nthree"
                                   << h1 + "one\r\ntwo\r\nthree</h1>\r\n";
    const QString longCaption(20000, QLatin1Char('x'));
    QTest::newRow("long") << QByteArray("Caption goes here\n") << longCaption
                          << h1 + longCaption.toUtf8() + "</h1>\r\n";
    QTest::newRow("title from first line") << QByteArray("<title>Vexilo</title>\n") << "\n  Tom & <Jerry>  \nb"
                                           << QByteArray("<title>Tom &amp; &lt;Jerry&gt;</title>\r\n");
    QTest::newRow("title of empty caption")
        << QByteArray("<title>Vexilo</title>\n") << "" << QByteArray("<title>Vexilo</title>\r\n");
    QTest::newRow("other title kept") << QByteArray("<title>Mine</title>\n") << "Hi"
                                      << QByteArray("<title>Mine</title>\r\n");
    QTest::newRow("player inline") << QByteArray("<script src=\"imagevexilo.class\"></script>\n") << "Hi"
                                   << QByteArray("<script>\r\nvar s = \"<\\/script>\";\r\n</script>\r\n");
    QTest::newRow("missing script kept") << QByteArray("<script src=\"other.js\"></script>\n") << "Hi"
                                         << QByteArray("<script src=\"other.js\"></script>\r\n");
    QTest::newRow("link preview's title")
        << QByteArray("<meta property=\"og:title\" content=\"Vexilo\">\n") << "\"Sun\" & sea\nday two"
        << QByteArray("<meta property=\"og:title\" content=\"&quot;Sun&quot; &amp; "
                      "sea\">\r\n");
    QTest::newRow("page's language") << QByteArray("<html lang=\"en\">\n") << "Hi"
                                     << ("<html lang=\"" + LoadResString(Msg::PageLanguage).toUtf8() + "\">\r\n");
    QTest::newRow("other language kept") << QByteArray("<html lang=\"fr\">\n") << "Hi"
                                         << QByteArray("<html lang=\"fr\">\r\n");
}

void TestCubeBuilder::captionLines()
{
    QFETCH(QByteArray, templateText);
    QFETCH(QString, caption);
    QFETCH(QByteArray, page);
    useOwnTemplate();
    WriteFile(templateFile(QStringLiteral("Vexilo.htm")), templateText);
    WriteFile(work(QStringLiteral("imagevexilo.class")), "var s = \"</script>\";\n");
    build(caption);
    QCOMPARE(ReadFile(work(QStringLiteral("Vexilo.htm"))), page);
}

// A face filled from a file is named by the file's name; others keep their number.
void TestCubeBuilder::faceTextsNamePhotos()
{
    place(1, WriteFile(m_env->path(QStringLiteral("photos/Tom & \"Jerry\".jpg")),
                       Encode(Solid(QSize(50, 50), Qt::red), "jpeg")));
    placePasted(2, QImage(photo(2)));
    QVERIFY(build());
    const QByteArray page = ReadFile(work(QStringLiteral("Vexilo.htm")));
    QVERIFY(page.contains("alt=\"Photo 1 of 6\""));
    QVERIFY(page.contains("alt=\"Tom &amp; &quot;Jerry&quot;.jpg\""));
    QVERIFY(!page.contains("alt=\"Photo 2 of 6\""));
    QVERIFY(page.contains("alt=\"Photo 3 of 6\""));
}

void TestCubeBuilder::foldOutFoldsIntoTheEditorsCube_data()
{
    QTest::addColumn<int>("face");
    QTest::addColumn<QString>("side");
    QTest::addColumn<QString>("top");
    QTest::newRow("face 1") << 1 << "back"
                            << "top";
    QTest::newRow("face 2") << 2 << "left"
                            << "top";
    QTest::newRow("face 3") << 3 << "front"
                            << "top";
    QTest::newRow("face 4") << 4 << "top"
                            << "back";
    QTest::newRow("face 5") << 5 << "right"
                            << "top";
    QTest::newRow("face 6") << 6 << "bottom"
                            << "front";
}

// Folding the printed net, centre cell in front, puts every face where the
// editor's cross puts it, with its top where the cross's top goes.
void TestCubeBuilder::foldOutFoldsIntoTheEditorsCube()
{
    QFETCH(int, face);
    QFETCH(QString, side);
    QFETCH(QString, top);
    const CubeFolding::Placement cross = CubeFolding::EditorsCube().at(face - 1);
    QCOMPARE(CubeFolding::Name(cross.side), side);
    QCOMPARE(CubeFolding::Name(cross.top), top);

    QList<QPoint> grid;
    QList<int> turns;
    for (int cell = 0; cell < FaceCount; ++cell) {
        grid << QPoint(qRound((CubeBuilder::FoldOutLeft[cell] - CubeBuilder::FoldOutLeft[1]) / 208.0),
                       qRound(CubeBuilder::FoldOutTop[cell] / 208.0));
        turns << CubeBuilder::FoldOutTurn[cell];
    }
    const int front = CubeBuilder::FoldOutCellOf(2);
    QCOMPARE(grid.at(front), QPoint(1, 1)); // the centre of the cross
    const CubeFolding::Placement paper = CubeFolding::Fold(grid, turns, front).at(CubeBuilder::FoldOutCellOf(face - 1));
    QCOMPARE(CubeFolding::Name(paper.side), side);
    QCOMPARE(CubeFolding::Name(paper.top), top);
}

// Face 1 stands upright on the folded cube's back only when printed turned.
void TestCubeBuilder::turnedFaceDrawnUpsideDown()
{
    place(0, WriteFile(m_env->path(QStringLiteral("photos/q.png")), Encode(Quadrants(QSize(400, 400)), "png")));
    place(2, WriteFile(m_env->path(QStringLiteral("photos/q3.png")), Encode(Quadrants(QSize(400, 400)), "png")));
    QVERIFY(build());
    const QImage foldOut(work(QStringLiteral("cubefold.jpg")));
    const auto quadrant = [](const QRect &cell, bool right, bool bottom) {
        const int h = cell.width() / 2;
        return QRect(cell.left() + (right ? h : 0), cell.top() + (bottom ? h : 0), h, h).adjusted(8, 8, -8, -8);
    };
    QVERIFY(AreaIs(foldOut, quadrant(Cell(2, 0), false, false), Qt::red));
    QVERIFY(AreaIs(foldOut, quadrant(Cell(2, 0), true, true), Qt::yellow));
    QVERIFY(AreaIs(foldOut, quadrant(Cell(0, 0), false, false), Qt::yellow));
    QVERIFY(AreaIs(foldOut, quadrant(Cell(0, 0), true, false), Qt::blue));
    QVERIFY(AreaIs(foldOut, quadrant(Cell(0, 0), true, true), Qt::red));
    // The web image stays upright.
    const QImage web(work(QStringLiteral("image1.jpg")));
    QVERIFY(AreaIs(web, QRect(8, 8, 100, 100), Qt::red));
}

// A face the user turned shows turned on the page and on the fold-out, from
// the build after the turn on, as from the first build.
namespace {
// What a framed face shows at five points: near the top edge's left, and
// the middles of its four quarters (top left, top right, bottom right,
// bottom left). A null colour is any colour but white.
using Probes = QList<QColor>;
const QPointF kProbePoints[5] = {{0.25, 0.02}, {0.25, 0.25}, {0.75, 0.25}, {0.75, 0.75}, {0.25, 0.75}};

bool ShowsProbes(const QImage &picture, const QRect &square, const Probes &expected)
{
    for (int i = 0; i < 5; ++i) {
        const QColor seen = picture.pixelColor(square.left() + int(kProbePoints[i].x() * square.width()),
                                               square.top() + int(kProbePoints[i].y() * square.height()));
        const bool matches = expected[i].isValid() ? Near(seen, expected[i]) : !Near(seen, Qt::white);
        if (!matches) {
            qWarning() << "probe" << i << "shows" << seen.name() << "not" << expected[i].name();
            return false;
        }
    }
    return true;
}

// The pictures the fold-out's PDF holds, decoded.
QList<QImage> PdfPictures(const QString &pdf, const QString &folder)
{
    QDir().mkpath(folder);
    QProcess pdfImages;
    pdfImages.start(QStringLiteral("pdfimages"), {QStringLiteral("-png"), pdf, folder + QStringLiteral("/face")});
    pdfImages.waitForFinished();
    QList<QImage> pictures;
    for (const QString &name : QDir(folder).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name))
        pictures << QImage(folder + QLatin1Char('/') + name);
    return pictures;
}
} // namespace

void TestCubeBuilder::framedFaceShowsAlikeEverywhere_data()
{
    QTest::addColumn<QSize>("photoSize");
    QTest::addColumn<FaceFraming>("framing");
    QTest::addColumn<Probes>("probes");
    const QColor white(Qt::white), red(Qt::red), green(Qt::green), blue(Qt::blue), yellow(Qt::yellow), notWhite;
    const FaceFraming fit, fill = fit.Filled(), blurred = fit.Fitted(FaceFraming::Backdrop::Blurred);
    QTest::newRow("landscape fit on white") << QSize(1200, 800) << fit << Probes{white, red, green, yellow, blue};
    QTest::newRow("landscape fit on blurred")
        << QSize(1200, 800) << blurred << Probes{notWhite, red, green, yellow, blue};
    QTest::newRow("landscape fill") << QSize(1200, 800) << fill << Probes{red, red, green, yellow, blue};
    QTest::newRow("portrait fill") << QSize(800, 1200) << fill << Probes{red, red, green, yellow, blue};
    QTest::newRow("panorama fill") << QSize(4000, 1000) << fill << Probes{red, red, green, yellow, blue};
    QTest::newRow("square fit") << QSize(800, 800) << fit << Probes{red, red, green, yellow, blue};
    // Turned clockwise, the photo's bottom left comes to the top left.
    QTest::newRow("square turned") << QSize(400, 400) << fit.Turned(90) << Probes{blue, blue, red, green, yellow};
    QTest::newRow("portrait fill turned")
        << QSize(800, 1200) << fill.Turned(270) << Probes{green, green, yellow, blue, red};
    QTest::newRow("crop of the top left")
        << QSize(2400, 1600) << fit.Filled(QRect(100, 50, 720, 720)) << Probes{red, red, red, red, red};
    QTest::newRow("crop of the bottom right, turned")
        << QSize(2400, 1600) << fit.Filled(QRect(1300, 850, 900, 900)).Turned(180)
        << Probes{yellow, yellow, yellow, yellow, yellow};
}

// The web image, the fold-out's cell and the PDF's picture of a framed face
// all show the same square turned the same way.
void TestCubeBuilder::framedFaceShowsAlikeEverywhere()
{
    QFETCH(QSize, photoSize);
    QFETCH(FaceFraming, framing);
    QFETCH(Probes, probes);
    const QString photo = WriteFile(m_env->path(QStringLiteral("photos/q.png")), Encode(Quadrants(photoSize), "png"));
    place(2, photo);
    QVERIFY(build());
    m_cube.SetFace(2, m_cube.Face(2).Framed(framing));
    QVERIFY(build());
    QVERIFY(ShowsProbes(QImage(work(QStringLiteral("image3.jpg"))), QRect(0, 0, 250, 250), probes));
    QVERIFY(ShowsProbes(QImage(work(QStringLiteral("cubefold.jpg"))), Cell(2, 0), probes));
    const QList<QImage> printed = PdfPictures(work(QStringLiteral("cubefold.pdf")), m_env->path(QStringLiteral("pdf")));
    QCOMPARE(printed.size(), 1);
    QCOMPARE(printed[0].size(), QSize(CubeBuilder::PrintQualityBox, CubeBuilder::PrintQualityBox));
    QVERIFY(ShowsProbes(printed[0], printed[0].rect(), probes));
}

// Every build writes the print-ready sheet and the single-file cube, also
// with no photo at all; the pictures in between are gone afterwards.
void TestCubeBuilder::printAndSingleFileWrittenEveryBuild()
{
    QVERIFY(build());
    QVERIFY(ReadFile(work(QStringLiteral("cubefold.pdf"))).startsWith("%PDF-"));
    QVERIFY(ReadFile(work(QStringLiteral("Cube.html"))).contains("src=\"data:image/jpeg;base64,"));
    place(3, photo(3));
    QFile::remove(work(QStringLiteral("Cube.html")));
    WriteFile(work(QStringLiteral("cubefold.pdf")), "old");
    QVERIFY(build());
    QVERIFY(ReadFile(work(QStringLiteral("cubefold.pdf"))).startsWith("%PDF-"));
    // The single file carries each face once, at its largest size.
    const QByteArray single = ReadFile(work(QStringLiteral("Cube.html")));
    QVERIFY(single.contains(ReadFile(work(QStringLiteral("image4@3x.jpg"))).toBase64()));
    QVERIFY(!single.contains(ReadFile(work(QStringLiteral("image4.jpg"))).toBase64()));
    QCOMPARE(single.count(ReadFile(work(QStringLiteral("image4@3x.jpg"))).toBase64()), 1);
    QVERIFY(QDir(m_work).entryList({QStringLiteral("pimage*")}).isEmpty());
}

// The picture a shared link shows: the cube as its page first shows it, each
// face's own picture or, for an empty face, the template's.
void TestCubeBuilder::linkPreviewShowsTheFaces()
{
    place(2, photo(2));
    place(4, photo(4));
    QVERIFY(build());
    const QImage preview(work(QStringLiteral("preview.jpg")));
    QCOMPARE(preview.size(), CubeBuilder::LinkPreviewSize);
    // The cube at the attitude the page shows first, centred: faces 3 and 5
    // show where the renderer puts them.
    const int side = preview.height();
    const auto centre = [&](int index) {
        const CubeRenderer::Projection p =
            CubeRenderer::Project(index, CubeAttitude::Showing(), CubeRenderer::EdgeFor(side));
        return ((p.corners[0] + p.corners[2]) / 2 + QPointF(preview.width() / 2.0, side / 2.0)).toPoint();
    };
    QVERIFY(AreaIs(preview, QRect(centre(2) - QPoint(10, 10), QSize(20, 20)), kFaceColours[2]));
    QVERIFY(AreaIs(preview, QRect(centre(4) - QPoint(10, 10), QSize(20, 20)), kFaceColours[4]));
    QVERIFY(Near(preview.pixelColor(10, 10), QColor(0xee, 0xf2, 0xf9), 8));
    m_cube.SetFace(2, {});
    QVERIFY(build());
    QVERIFY(!AreaIs(QImage(work(QStringLiteral("preview.jpg"))), QRect(centre(2) - QPoint(10, 10), QSize(20, 20)),
                    kFaceColours[2]));
}

// The mailed message's picture is the built cube turning, kept out of the
// files a save copies, and gone with the next build, which may change the cube.
void TestCubeBuilder::messagePictureTurnsTheBuiltCube()
{
    place(2, photo(2));
    QVERIFY(build());
    QVERIFY(m_builder->WriteMessagePicture());
    const QString path = CubeBuilder::MessagePictureIn(m_work);
    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("gif"));
    QCOMPARE(reader.size(), QSize(CubeBuilder::MessagePictureEdge, CubeBuilder::MessagePictureEdge));
    QCOMPARE(reader.imageCount(), 120);
    QCOMPARE(reader.loopCount(), -1);
    const int edge = CubeBuilder::MessagePictureEdge;
    const CubeRenderer::Projection front =
        CubeRenderer::Project(2, MovingPicture::AttitudeAt(0, 120), CubeRenderer::EdgeFor(edge));
    const QPoint centre = ((front.corners[0] + front.corners[2]) / 2 + QPointF(edge / 2.0, edge / 2.0)).toPoint();
    QVERIFY(AreaIs(reader.read(), QRect(centre - QPoint(5, 5), QSize(10, 10)), kFaceColours[2]));
    QVERIFY(!CubeBuilder::PlainFiles(m_work).contains(QStringLiteral("Cube.gif")));
    QVERIFY(build());
    QVERIFY(!QFileInfo::exists(path));
}

// A grainy photo, full of fine detail, still gives a largest face picture of 720
// pixels within its budget, so that the single file stays small.
void TestCubeBuilder::detailedPhotoKeepsToTheBudget()
{
    QImage grain(QSize(900, 900), QImage::Format_RGB32);
    quint32 seed = 1;
    for (int y = 0; y < grain.height(); ++y)
        for (int x = 0; x < grain.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = int(seed >> 27) - 16; // a sensor's grain over a gradient
            grain.setPixel(x, y, qRgb(x * 255 / 900, y * 255 / 900, qBound(0, 128 + noise * 3, 255)));
        }
    place(0, WriteFile(m_env->path(QStringLiteral("photos/grain.png")), Encode(grain, "png")));
    place(1, photo(1));
    QVERIFY(build());
    for (const QString &name : {QStringLiteral("image1@3x.jpg"), QStringLiteral("image2@3x.jpg")}) {
        QVERIFY2(QFileInfo(work(name)).size() <= CubeBuilder::LargestWebImageBytes, qPrintable(name));
        QCOMPARE(QImage(work(name)).size(), QSize(720, 720));
    }
    // A plain photo keeps the quality of the smaller sizes.
    QVERIFY(AreaIs(QImage(work(QStringLiteral("image2@3x.jpg"))), QRect(4, 4, 712, 712), kFaceColours[1], 8));
}

// The page, the single-file cube and the fold-out PDF are replaced whole or
// not at all.
void TestCubeBuilder::fullDiskKeepsPageAndSingleFile()
{
    place(0, photo(0));
    QVERIFY(build());
    const QStringList kept{QStringLiteral("Vexilo.htm"), QStringLiteral("Cube.html"), QStringLiteral("cubefold.pdf")};
    QList<QByteArray> before;
    for (const QString &name : kept)
        before << ReadFile(work(name));
    m_sink.events.clear();
    {
        const FileSizeLimit full(1024);
        build(QStringLiteral("Other caption"));
    }
    for (int i = 0; i < kept.size(); ++i)
        QCOMPARE(ReadFile(work(kept.at(i))), before.at(i));
}

void TestCubeBuilder::workDirectoryDeletedBetweenBuilds()
{
    place(0, photo(0));
    place(1, photo(1));
    build();
    QVERIFY(QDir(m_work).removeRecursively());
    QVERIFY(build());
    QVERIFY(m_sink.hasStatus(28));
    QVERIFY(!m_sink.hasStatus(29));
    QVERIFY(QFile::exists(work(QStringLiteral("imagevexilo.class"))));
    QVERIFY(!QFile::exists(work(QStringLiteral("vexilo.cls"))));
    // Unchanged faces show the default pictures on the page, their photos on the fold-out.
    QCOMPARE(ReadFile(work(QStringLiteral("image1.jpg"))), ReadFile(templateFile(QStringLiteral("image1.jpg"))));
    const QImage foldOut(work(QStringLiteral("cubefold.jpg")));
    QVERIFY(AreaIs(foldOut, Cell(0), kFaceColours[0]));
    QVERIFY(AreaIs(foldOut, Cell(1), kFaceColours[1]));
    QVERIFY(ReadFile(work(QStringLiteral("Vexilo.htm"))).contains("My cube"));
}

void TestCubeBuilder::workDirectoryCannotBeMade()
{
    m_builder->setWorkDirectory(m_env->path(QStringLiteral("missing/parent/CubeTemp")));
    QVERIFY(!build());
    QCOMPARE(MessageSeam::shownMessages(), QList<int>{22});
    QCOMPARE(m_sink.steps(), QStringList{"step 1"});
}

void TestCubeBuilder::photoGoneSincePlaced()
{
    place(0, photo(0));
    place(3, photo(3));
    QFile::remove(m_cube.Face(0).photo());
    QVERIFY(build());
    QCOMPARE(m_sink.steps().size(), 9);
    const QImage blank(templateFile(QStringLiteral("cubefold.jpg")));
    const QImage foldOut(work(QStringLiteral("cubefold.jpg")));
    QVERIFY(Near(foldOut.pixelColor(Cell(0).center()), blank.pixelColor(Cell(0).center()), 12));
    QVERIFY(AreaIs(foldOut, Cell(3), kFaceColours[3]));
    QVERIFY(MessageSeam::shownMessages().isEmpty());
}

// A fold-out with a blank cell is not kept: the photo back in place is drawn.
void TestCubeBuilder::photoBackAfterABuildWithoutIt()
{
    place(0, photo(0));
    QVERIFY(build());
    const QByteArray bytes = ReadFile(m_cube.Face(0).photo());
    QFile::remove(m_cube.Face(0).photo());
    QVERIFY(build());
    WriteFile(m_cube.Face(0).photo(), bytes);
    QVERIFY(build());
    QVERIFY(AreaIs(QImage(work(QStringLiteral("cubefold.jpg"))), Cell(0), kFaceColours[0]));
}

void TestCubeBuilder::pastedFace()
{
    placePasted(4, QImage(photo(4)));
    place(5, photo(5)); // a file after a pasted face is read from its file
    QApplication::clipboard()->setText(QStringLiteral("copied since"));
    build();
    const QImage foldOut(work(QStringLiteral("cubefold.jpg")));
    QVERIFY(AreaIs(foldOut, Cell(4), kFaceColours[4]));
    QVERIFY(AreaIs(foldOut, Cell(5), kFaceColours[5]));
    QVERIFY(AreaIs(QImage(work(QStringLiteral("image5.jpg"))), QRect(20, 20, 200, 200), kFaceColours[4]));
    // The pasted picture is taken from the cube, not from the clipboard.
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("copied since"));
    QVERIFY(!QApplication::clipboard()->mimeData()->hasImage());
}

void TestCubeBuilder::templatePageMissing()
{
    build();
    useOwnTemplate();
    QFile::remove(templateFile(QStringLiteral("Vexilo.htm")));
    QVERIFY(build(QStringLiteral("Other")));
    QVERIFY(MessageSeam::shownMessages().isEmpty());
    QVERIFY(ReadFile(work(QStringLiteral("Vexilo.htm"))).contains("My cube"));
}

void TestCubeBuilder::missingTemplatePictureKeepsWorkCopy()
{
    useOwnTemplate();
    QFile::remove(templateFile(QStringLiteral("cubefold.jpg")));
    QFile::remove(templateFile(QStringLiteral("image2.jpg")));
    place(0, photo(0));
    m_cube.SetFace(1, {});
    QVERIFY(build());
    QVERIFY(QFile::exists(work(QStringLiteral("image2.jpg"))));
    QVERIFY(AreaIs(QImage(work(QStringLiteral("cubefold.jpg"))), Cell(0), kFaceColours[0]));
}

QTEST_MAIN(TestCubeBuilder)
#include "tst_cubebuilder.moc"
