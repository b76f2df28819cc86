#include "publish/CubeFromFaces.h"
#include "tests/support/CubeFolding.h"
#include "tests/support/HeadlessBrowser.h"
#include "tests/support/SilentProgress.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPictures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGenericMatrix>
#include <QImage>
#include <QMatrix4x4>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>

using namespace TestPictures;
using HeadlessBrowser::Findings;

namespace {
const QColor kFaceColours[6] = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::magenta, Qt::cyan};
const QSize kLaptop(1280, 800);
const QSize kPhone(390, 844);
const QSize kWindow(1700, 900); // both frames side by side

// What the check page wrote about each of its frames: key -> values.
using FrameReport = QMultiMap<QString, QString>;

QMap<QString, FrameReport> Reports(const QStringList &lines)
{
    QMap<QString, FrameReport> reports;
    for (const QString &line : lines) {
        const QStringList parts = line.split(QLatin1Char(' '));
        if (parts.size() == 3)
            reports[parts[0]].insert(parts[1], QUrl::fromPercentEncoding(parts[2].toUtf8()));
    }
    return reports;
}

struct Caption
{
    const char *name;
    QString typed;
    QString shown; // the heading's text in the document
    QString title;
};

const QList<Caption> &Captions()
{
    static const QList<Caption> captions{
        {"ampersand", "Tom & Jerry", "Tom & Jerry", "Tom & Jerry"},
        {"less than", "a<b and <b>bold?</b> a<b", "a<b and <b>bold?</b> a<b", "a<b and <b>bold?</b> a<b"},
        {"quote", "\"quoted\" 'single'", "\"quoted\" 'single'", "\"quoted\" 'single'"},
        {"script", "<script>document.title='owned'</script>", "<script>document.title='owned'</script>",
         "<script>document.title='owned'</script>"},
        {"line breaks", "first\nsecond\r\nthird", "first\nsecond\nthird", "first"},
        {"non-ASCII", QStringLiteral("W\u00fcrfel \u00e9t\u00e9 \u7acb\u65b9\u4f53"),
         QStringLiteral("W\u00fcrfel \u00e9t\u00e9 \u7acb\u65b9\u4f53"),
         QStringLiteral("W\u00fcrfel \u00e9t\u00e9 \u7acb\u65b9\u4f53")},
        {"emoji", QStringLiteral("Sun \u2600\ufe0f \U0001F3D6"), QStringLiteral("Sun \u2600\ufe0f \U0001F3D6"),
         QStringLiteral("Sun \u2600\ufe0f \U0001F3D6")},
        {"spaces kept", "  two  spaces", "  two  spaces", "two spaces"},
        {"empty", "", "", "Vexilo"},
    };
    return captions;
}
} // namespace

// The built cube page in real browsers (headless Chromium and Firefox), from
// a folder on disk, from a web server on the loopback interface that sends
// "nosniff", and as the single file Cube.html alone in a folder; each in a
// laptop's and a phone's window.
class TestCubePage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void playsFromFolder();
    void playsFromNosniffServer();
    void singleFilePlaysAlone();
    void webCubeIsTheEditorsCube_data();
    void webCubeIsTheEditorsCube();
    void captionShownAsTyped_data();
    void captionShownAsTyped();
    void playsInFirefox_data();
    void playsInFirefox();
    void flickSpinsInFirefox();
    void cubeIsVisible();
    void checkCatchesFaults();

private:
    QString profile() { return m_env->path(QStringLiteral("profile%1").arg(++m_run)); }
    QString writeCheckPage(const QString &folder, const QString &name, const QList<QPair<QString, QSize>> &frames);
    QString checkBothSizes(const QString &folder, const QString &page);
    void verifyPlays(const Findings &found, const QString &base);

    TestEnvironment *m_env = nullptr;
    QString m_folder;
    QString m_alone;
    Findings m_fromFolder;
    int m_run = 0;
};

void TestCubePage::initTestCase()
{
    if (!HeadlessBrowser::HaveChromium())
        QSKIP("chromium is not installed (scripts/install-deps installs it)");
    m_env = new TestEnvironment;
    m_folder = m_env->path(QStringLiteral("site"));
    CubeFromFaces cube;
    for (int n = 1; n <= 6; ++n)
        QVERIFY(cube.SetFace(n, WriteFile(m_env->path(QStringLiteral("photos/%1.jpg").arg(n)),
                                          Encode(Solid(QSize(400, 400), kFaceColours[n - 1]), "jpeg"))));
    cube.SetCaption(QStringLiteral("Sommer & Sonne \u2600 <b>2026</b>"));
    SilentProgress progress;
    QVERIFY(cube.Build(progress, false));
    QVERIFY(!cube.CopyTo(m_folder).failed());
    m_alone = m_env->path(QStringLiteral("alone"));
    QVERIFY(QDir().mkpath(m_alone));
    QVERIFY(QFile::copy(m_folder + QStringLiteral("/Cube.html"), m_alone + QStringLiteral("/Cube.html")));
    qInfo("Cube.html: %lld bytes", QFileInfo(m_alone + QStringLiteral("/Cube.html")).size());
}

void TestCubePage::cleanupTestCase()
{
    delete m_env;
}

QString TestCubePage::writeCheckPage(const QString &folder, const QString &name,
                                     const QList<QPair<QString, QSize>> &frames)
{
    QStringList list;
    for (const auto &frame : frames)
        list
            << QStringLiteral("[\"%1\", %2, %3]").arg(frame.first).arg(frame.second.width()).arg(frame.second.height());
    QByteArray page = ReadFile(TestEnvironment::sourceDir() + QStringLiteral("/tests/publish/CheckPage.htm"));
    page.replace("/*FRAMES*/[]", ("[" + list.join(QStringLiteral(", ")) + "]").toUtf8());
    WriteFile(folder + QLatin1Char('/') + name, page);
    return name;
}

QString TestCubePage::checkBothSizes(const QString &folder, const QString &page)
{
    return writeCheckPage(folder, QStringLiteral("check-") + page, {{page, kLaptop}, {page, kPhone}});
}

// Both frames play the cube: 3D from the first paint, six faces, the player
// running (headless Chromium's virtual time gives too few animation frames
// to see the turning itself), sized to the window and not cut off, the fold-out not fetched, and nothing
// fetched from anywhere but base.
void TestCubePage::verifyPlays(const Findings &found, const QString &base)
{
    QVERIFY2(!found.lines.isEmpty() && found.lines.first() != QLatin1String("pending"),
             qPrintable(found.lines.join('\n')));
    QCOMPARE(found.console, QStringList());
    QMap<QString, FrameReport> reports = Reports(found.lines);
    QCOMPARE(reports[QStringLiteral("all")].value(QStringLiteral("verdict")), QStringLiteral("ok"));
    for (const QString &frame : {QStringLiteral("0"), QStringLiteral("1")}) {
        const FrameReport &r = reports[frame];
        QCOMPARE(r.value(QStringLiteral("class")), QStringLiteral("cube3d"));
        QCOMPARE(r.value(QStringLiteral("faces")), QStringLiteral("6"));
        QCOMPARE(r.value(QStringLiteral("sheet")), QStringLiteral("none"));
        QCOMPARE(r.value(QStringLiteral("main")), QStringLiteral("1"));
        for (const QString &resource : r.values(QStringLiteral("res")))
            QVERIFY2(resource.startsWith(base) && !resource.contains(QLatin1String("cubefold")), qPrintable(resource));
        qInfo("frame %s: first 3D frame at %s ms, cube edge %s px", qPrintable(frame),
              qPrintable(r.value(QStringLiteral("first-frame"))), qPrintable(r.value(QStringLiteral("edge"))));
    }
    // The cube follows the window: larger on the laptop, most of the phone's
    // width (the whole cube within it, as checked above).
    const int laptopEdge = reports[QStringLiteral("0")].value(QStringLiteral("edge")).toInt();
    const int phoneEdge = reports[QStringLiteral("1")].value(QStringLiteral("edge")).toInt();
    QVERIFY2(laptopEdge >= 300 && phoneEdge >= kPhone.width() / 2 && phoneEdge <= kPhone.width() * 2 / 3,
             qPrintable(QStringLiteral("%1 %2").arg(laptopEdge).arg(phoneEdge)));
}

void TestCubePage::playsFromFolder()
{
    const QString base = QUrl::fromLocalFile(m_folder + QLatin1Char('/')).toString();
    m_fromFolder = HeadlessBrowser::ChromiumFindings(base + checkBothSizes(m_folder, QStringLiteral("Vexilo.htm")),
                                                     profile(), kWindow);
    verifyPlays(m_fromFolder, base);
    const FrameReport r = Reports(m_fromFolder.lines)[QStringLiteral("0")];
    QCOMPARE(r.value(QStringLiteral("caption")), QStringLiteral("Sommer & Sonne \u2600 <b>2026</b>"));
    QCOMPARE(r.value(QStringLiteral("alt1")), QStringLiteral("1.jpg"));
}

// A server that labels the player's file as Java and forbids sniffing: the
// page plays all the same, and a viewer fetches only the page and the faces,
// at the size each frame's window needs.
void TestCubePage::playsFromNosniffServer()
{
    QProcess server;
    const QString base = HeadlessBrowser::ServeFolder(server, m_folder);
    QVERIFY2(!base.isEmpty(), server.readAllStandardError().constData());
    const Findings found = HeadlessBrowser::ChromiumFindings(
        base + checkBothSizes(m_folder, QStringLiteral("Vexilo.htm")), profile(), kWindow);
    HeadlessBrowser::StopServer(server);
    verifyPlays(found, base);

    QSet<QString> fetched;
    for (const QString &request : HeadlessBrowser::ServedRequests(server)) {
        const QStringList parts = request.split(QLatin1Char(' '));
        QCOMPARE(parts.value(1), QStringLiteral("200"));
        fetched << parts.value(0).mid(1);
    }
    fetched.remove(QStringLiteral("check-Vexilo.htm"));
    QVERIFY(fetched.remove(QStringLiteral("Vexilo.htm")));
    const QRegularExpression face(QStringLiteral("^image([1-6])(@[23]x)?\\.jpg$"));
    QSet<QString> faces;
    qint64 bytes = 0;
    for (const QString &name : fetched) {
        const QRegularExpressionMatch m = face.match(name);
        QVERIFY2(m.hasMatch(), qPrintable(name));
        faces << m.captured(1);
        bytes += QFileInfo(m_folder + QLatin1Char('/') + name).size();
    }
    QCOMPARE(faces.size(), 6);
    qInfo("the two frames' viewers download %lld bytes of faces", bytes);
}

void TestCubePage::singleFilePlaysAlone()
{
    QCOMPARE(QDir(m_alone).entryList(QDir::Files), QStringList{QStringLiteral("Cube.html")});
    const QString base = QUrl::fromLocalFile(m_alone + QLatin1Char('/')).toString();
    const QString check = checkBothSizes(m_alone, QStringLiteral("Cube.html"));
    const Findings found = HeadlessBrowser::ChromiumFindings(base + check, profile(), kWindow);
    QFile::remove(m_alone + QLatin1Char('/') + check);
    verifyPlays(found, base);
    const QByteArray single = ReadFile(m_alone + QStringLiteral("/Cube.html"));
    QVERIFY(!single.contains("src=\"image") && !single.contains("cubefold.pdf"));
}

void TestCubePage::webCubeIsTheEditorsCube_data()
{
    QTest::addColumn<int>("face");
    for (int n = 1; n <= 6; ++n)
        QTest::addRow("face %d", n) << n;
}

// Each face's transform in the page, as the browser computed it, turns the
// face onto the side of the cube where the editor's cross puts it, upright.
void TestCubePage::webCubeIsTheEditorsCube()
{
    QFETCH(int, face);
    if (m_fromFolder.lines.isEmpty())
        QSKIP("the page did not load");
    const QString css = Reports(m_fromFolder.lines)[QStringLiteral("0")].value(QStringLiteral("transform%1").arg(face));
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^matrix3d\\((.*)\\)$")).match(css);
    QVERIFY2(m.hasMatch(), qPrintable(css));
    const QStringList values = m.captured(1).split(QLatin1Char(','));
    QCOMPARE(values.size(), 16);
    float column[16];
    for (int i = 0; i < 16; ++i)
        column[i] = values[i].trimmed().toFloat();
    const QMatrix4x4 transform = QMatrix4x4(column).transposed(); // matrix3d lists columns
    // The page's y runs downwards; the cube's space has y up.
    const auto toCube = [](const QVector4D &v) { return QVector3D(v.x(), -v.y(), v.z()); };
    const QVector3D side = toCube(transform.map(QVector4D(0, 0, 1, 0)));
    const QVector3D top = toCube(transform.map(QVector4D(0, -1, 0, 0)));
    const CubeFolding::Placement cross = CubeFolding::EditorsCube().at(face - 1);
    QCOMPARE(CubeFolding::Name(side), CubeFolding::Name(cross.side));
    QCOMPARE(CubeFolding::Name(top), CubeFolding::Name(cross.top));
}

void TestCubePage::captionShownAsTyped_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < Captions().size(); ++i)
        QTest::newRow(Captions().at(i).name) << i;
}

// Every caption as its own cube, all read in one browser run.
void TestCubePage::captionShownAsTyped()
{
    QFETCH(int, index);
    static QMap<QString, FrameReport> reports;
    static QStringList console;
    if (reports.isEmpty()) {
        const QString folder = m_env->path(QStringLiteral("captions"));
        QList<QPair<QString, QSize>> frames;
        for (int i = 0; i < Captions().size(); ++i) {
            CubeFromFaces cube;
            cube.SetCaption(Captions().at(i).typed);
            SilentProgress progress;
            QVERIFY(cube.Build(progress, false));
            QVERIFY(!cube.CopyTo(folder + QStringLiteral("/%1").arg(i)).failed());
            frames << qMakePair(QStringLiteral("%1/Vexilo.htm").arg(i), QSize(400, 300));
        }
        const QString base = QUrl::fromLocalFile(folder + QLatin1Char('/')).toString();
        const Findings found = HeadlessBrowser::ChromiumFindings(
            base + writeCheckPage(folder, QStringLiteral("check.htm"), frames), profile(), QSize(1200, 900), 3000);
        reports = Reports(found.lines);
        console = found.console;
    }
    QCOMPARE(console, QStringList());
    const Caption &caption = Captions().at(index);
    const FrameReport r = reports.value(QString::number(index));
    QCOMPARE(r.value(QStringLiteral("caption")), caption.shown);
    QCOMPARE(r.value(QStringLiteral("title")), caption.title);
    QCOMPARE(r.value(QStringLiteral("headings")), caption.typed.isEmpty() ? QStringLiteral("0") : QStringLiteral("1"));
    QCOMPARE(r.value(QStringLiteral("class")), QStringLiteral("cube3d")); // no caption stops the player
}

void TestCubePage::playsInFirefox_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("folder") << "folder";
    QTest::newRow("nosniff server") << "server";
    QTest::newRow("Cube.html alone") << "alone";
}

// Firefox tells its findings by the colour of the check page's corner.
void TestCubePage::playsInFirefox()
{
    QFETCH(QString, where);
    if (!HeadlessBrowser::HaveFirefox())
        QSKIP("firefox-esr is not installed (scripts/install-deps installs it)");
    const QString folder = where == QLatin1String("alone") ? m_alone : m_folder;
    const QString page = where == QLatin1String("alone") ? QStringLiteral("Cube.html") : QStringLiteral("Vexilo.htm");
    const QString check = checkBothSizes(folder, page);
    QProcess server;
    QString base = QUrl::fromLocalFile(folder + QLatin1Char('/')).toString();
    if (where == QLatin1String("server"))
        base = HeadlessBrowser::ServeFolder(server, folder);
    QStringList console;
    const QImage shot = HeadlessBrowser::FirefoxScreenshot(base + check, profile(), kWindow, &console);
    if (where == QLatin1String("server"))
        HeadlessBrowser::StopServer(server);
    if (where == QLatin1String("alone"))
        QFile::remove(folder + QLatin1Char('/') + check);
    QVERIFY(!shot.isNull());
    QVERIFY2(Near(shot.pixelColor(30, 30), Qt::green, 30), qPrintable(shot.pixelColor(30, 30).name()));
    QCOMPARE(console, QStringList());
}

// A flick whose release comes a frame after its last move leaves the cube
// spinning, and the spin slows; the check page tells by its corner's colour.
void TestCubePage::flickSpinsInFirefox()
{
    if (!HeadlessBrowser::HaveFirefox())
        QSKIP("firefox-esr is not installed (scripts/install-deps installs it)");
    QByteArray check = ReadFile(TestEnvironment::sourceDir() + QStringLiteral("/tests/publish/FlickCheck.htm"));
    check.replace("/*PAGE*/", "Vexilo.htm");
    WriteFile(m_folder + QStringLiteral("/check-flick.htm"), check);
    QStringList console;
    const QImage shot = HeadlessBrowser::FirefoxScreenshot(
        QUrl::fromLocalFile(m_folder + QStringLiteral("/check-flick.htm")).toString(), profile(), kWindow, &console);
    QVERIFY(!shot.isNull());
    QVERIFY2(Near(shot.pixelColor(30, 30), Qt::green, 30), qPrintable(shot.pixelColor(30, 30).name()));
    QCOMPARE(console, QStringList());
}

void TestCubePage::cubeIsVisible()
{
    for (const QSize &window : {kLaptop, kPhone}) {
        const QImage image = HeadlessBrowser::ChromiumScreenshot(
            QUrl::fromLocalFile(m_folder + QStringLiteral("/Vexilo.htm")).toString(), profile(), window);
        QVERIFY(!image.isNull());
        // The cube turns, so count how many face colours show and how much of each.
        int facesShown = 0;
        for (const QColor &colour : kFaceColours) {
            int pixels = 0;
            for (int y = 0; y < image.height(); y += 2)
                for (int x = 0; x < image.width(); x += 2)
                    pixels += Near(image.pixelColor(x, y), colour, 30);
            facesShown += pixels > 1500;
        }
        QVERIFY2(facesShown >= 2 && facesShown <= 3, qPrintable(QString::number(facesShown)));
    }
}

// A page with a failing script and a picture from another host must be
// caught, and so must a page whose player is missing.
void TestCubePage::checkCatchesFaults()
{
    WriteFile(m_folder + QStringLiteral("/bad.js"), "throw new Error('boom');\n");
    QByteArray page = ReadFile(m_folder + QStringLiteral("/Vexilo.htm"));
    page.replace("</body>", "<script src=\"bad.js\"></script><img src=\"http://192.0.2.1/x.png\"></body>");
    WriteFile(m_folder + QStringLiteral("/Bad.htm"), page);
    QByteArray flat = ReadFile(m_folder + QStringLiteral("/Vexilo.htm"));
    flat.replace("\"use strict\";", "\"use strict\"; return;");
    WriteFile(m_folder + QStringLiteral("/Flat.htm"), flat);
    const QString base = QUrl::fromLocalFile(m_folder + QLatin1Char('/')).toString();
    const Findings found = HeadlessBrowser::ChromiumFindings(
        base + writeCheckPage(m_folder, QStringLiteral("checkbad.htm"), {{"Bad.htm", kLaptop}, {"Flat.htm", kPhone}}),
        profile(), kWindow);
    QVERIFY(!found.console.isEmpty());
    const QMap<QString, FrameReport> reports = Reports(found.lines);
    QVERIFY(
        reports[QStringLiteral("0")].values(QStringLiteral("res")).contains(QStringLiteral("http://192.0.2.1/x.png")));
    QVERIFY2(reports[QStringLiteral("all")].value(QStringLiteral("verdict")).contains(QLatin1String("1 flat")),
             qPrintable(found.lines.join('\n')));
}

QTEST_MAIN(TestCubePage)
#include "tst_cubepage.moc"
