#include "core/CubeFile.h"
#include "tests/support/SmallDisk.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFormats.h"
#include "tests/support/TestPictures.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTest>
#include <sys/mount.h>

using namespace TestPictures;

// vexilo-cube build, run as a user runs it.
class TestBuildCommand : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void buildsIntoNewFolder();
    void gnuStyleOptions();
    void facesNotNamedStayDefault();
    void badArguments_data();
    void badArguments();
    void unreadablePhoto_data();
    void unreadablePhoto();
    void outputCannotBeMade();
    void readOnlyOutputLosesNothing();
    void fullDiskLosesNothing();
    void cubeDocument_data();
    void cubeDocument();
    void savedCubeReadsBack();
    void savedCubeCannotBeWritten();
    void turnsAreKept();
    void framingOptions();
    void cropOutsideThePhoto_data();
    void cropOutsideThePhoto();
    void unusableDocument_data();
    void unusableDocument();
    void gonePhotoReplacedOnTheCommandLine();

private:
    QProcess *run(const QStringList &args) const;
    QString photo(const QColor &colour) const;
    // docs/cube.vexilo: blue photo on face 2, a pasted red picture on face 5.
    CubeContent saveDocument() const;

    TestEnvironment *m_env = nullptr;
};

void TestBuildCommand::init()
{
    m_env = new TestEnvironment;
}

void TestBuildCommand::cleanup()
{
    delete m_env;
}

QProcess *TestBuildCommand::run(const QStringList &args) const
{
    auto *p = new QProcess;
    p->setWorkingDirectory(m_env->root());
    p->start(TestEnvironment::appDir() + QStringLiteral("/vexilo-cube"), QStringList{QStringLiteral("build")} + args);
    p->waitForFinished(60000);
    return p;
}

QString TestBuildCommand::photo(const QColor &colour) const
{
    return WriteFile(m_env->path(QStringLiteral("photos/%1.jpg").arg(colour.name().mid(1))),
                     Encode(Solid(QSize(320, 320), colour), "jpeg"));
}

CubeContent TestBuildCommand::saveDocument() const
{
    CubeContent content;
    content.caption = QStringLiteral("From the document");
    content.faces[1] = CubeFace::Photo(photo(Qt::blue));
    content.faces[4] = CubeFace::Pasted(Solid(QSize(320, 320), Qt::red).convertToFormat(QImage::Format_RGB32));
    QDir(m_env->root()).mkpath(QStringLiteral("docs"));
    if (!CubeFile::Save(content, m_env->path(QStringLiteral("docs/cube.vexilo"))))
        qFatal("cannot write the test's cube document");
    return content;
}

void TestBuildCommand::buildsIntoNewFolder()
{
    QScopedPointer<QProcess> p(run({"--face", "2=" + photo(Qt::blue), "--caption", QStringLiteral("Gr\u00fc\u00dfe <3"),
                                    "--out", "out/new/cube"}));
    QCOMPARE(p->exitCode(), 0);
    const QByteArray err = p->readAllStandardError();
    QVERIFY(err.contains("Building Vexilo..."));
    QVERIFY(err.contains("Creating Image Files..."));
    QVERIFY(err.endsWith("[10/10]\nDone.\n"));
    const QString out = m_env->path(QStringLiteral("out/new/cube"));
    QStringList expected{"Cube.html", "Vexilo.htm", "cubefold.jpg", "cubefold.pdf", "imagevexilo.class", "preview.jpg"};
    for (int n = 1; n <= 6; ++n)
        expected << QStringLiteral("image%1.jpg").arg(n) << QStringLiteral("image%1@2x.jpg").arg(n)
                 << QStringLiteral("image%1@3x.jpg").arg(n);
    expected.sort();
    QCOMPARE(QDir(out).entryList(QDir::Files, QDir::Name), expected);
    QVERIFY(ReadFile(out + QStringLiteral("/Vexilo.htm"))
                .contains(QStringLiteral(">Gr\u00fc\u00dfe &lt;3</h1>\r\n").toUtf8()));
    const QImage foldOut(out + QStringLiteral("/cubefold.jpg"));
    QVERIFY(AreaIs(foldOut, QRect(35 + 6, 210 + 6, 196, 196), Qt::blue));
    QVERIFY(AreaIs(QImage(out + QStringLiteral("/image2.jpg")), QRect(4, 4, 242, 242), Qt::blue));
}

void TestBuildCommand::gnuStyleOptions()
{
    QScopedPointer<QProcess> p(
        run({"--face=1=" + photo(Qt::red), "--caption=Hello", "--out=gnu", "--face", "6=" + photo(Qt::green)}));
    QCOMPARE(p->exitCode(), 0);
    const QString out = m_env->path(QStringLiteral("gnu"));
    QVERIFY(AreaIs(QImage(out + QStringLiteral("/image1.jpg")), QRect(4, 4, 242, 242), Qt::red));
    QVERIFY(AreaIs(QImage(out + QStringLiteral("/image6.jpg")), QRect(4, 4, 242, 242), Qt::green));
    QVERIFY(ReadFile(out + QStringLiteral("/Vexilo.htm")).contains(">Hello</h1>"));
}

void TestBuildCommand::facesNotNamedStayDefault()
{
    QScopedPointer<QProcess> p(run({"--out", "plain"}));
    QCOMPARE(p->exitCode(), 0);
    for (int n = 1; n <= 6; ++n)
        QCOMPARE(ReadFile(m_env->path(QStringLiteral("plain/image%1.jpg").arg(n))),
                 ReadFile(TestEnvironment::appDir() + QStringLiteral("/Template/image%1.jpg").arg(n)));
}

void TestBuildCommand::badArguments_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("no output") << QStringList{};
    QTest::newRow("face 7") << QStringList{"--face", "7=x.jpg", "--out", "o"};
    QTest::newRow("face 0") << QStringList{"--face", "0=x.jpg", "--out", "o"};
    QTest::newRow("face without path") << QStringList{"--face", "1=", "--out", "o"};
    QTest::newRow("unknown option") << QStringList{"--out", "o", "--colour", "red"};
    QTest::newRow("option without value") << QStringList{"--out"};
    QTest::newRow("empty output") << QStringList{"--out="};
    QTest::newRow("face 7, GNU style") << QStringList{"--face=7=x.jpg", "--out", "o"};
    QTest::newRow("stray argument") << QStringList{"--out", "o", "x.jpg"};
    QTest::newRow("empty cube document") << QStringList{"--cube=", "--out", "o"};
    QTest::newRow("cube document without value") << QStringList{"--out", "o", "--cube"};
    QTest::newRow("empty document to save") << QStringList{"--out", "o", "--save-cube="};
    QTest::newRow("turn 45") << QStringList{"--turn", "1=45", "--out", "o"};
    QTest::newRow("turn of face 7") << QStringList{"--turn", "7=90", "--out", "o"};
    QTest::newRow("turn without face") << QStringList{"--turn", "90", "--out", "o"};
    QTest::newRow("fill of face 7") << QStringList{"--fill", "7", "--out", "o"};
    QTest::newRow("fit of no face") << QStringList{"--fit", "every", "--out", "o"};
    QTest::newRow("crop without size") << QStringList{"--crop", "1=0,0", "--out", "o"};
    QTest::newRow("crop of size 0") << QStringList{"--crop", "1=0,0,0", "--out", "o"};
    QTest::newRow("crop left of the photo") << QStringList{"--crop", "1=-5,0,800", "--out", "o"};
}

void TestBuildCommand::badArguments()
{
    QFETCH(QStringList, args);
    QScopedPointer<QProcess> p(run(args));
    QCOMPARE(p->exitCode(), 2);
    const QByteArray err = p->readAllStandardError();
    QVERIFY(err.contains("vexilo-cube build: "));
    QVERIFY(err.contains("usage: vexilo-cube build"));
    QVERIFY(err.contains("Try 'vexilo-cube build --help' for more information."));
    QVERIFY(!QFileInfo::exists(m_env->path(QStringLiteral("o"))));
}

void TestBuildCommand::unreadablePhoto_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("package");
    QTest::addColumn<QByteArray>("reason");
    const QByteArray png = Encode(Solid(QSize(320, 320), Qt::red), "png");
    QTest::newRow("text named jpg") << "notes.jpg" << QByteArray("just text") << false << QByteArray("notes.jpg: ");
    QTest::newRow("gone") << "" << QByteArray() << false << QByteArray("gone.jpg: No such file or directory");
    QTest::newRow("png claiming 30000 square") << "huge.png" << TestFormats::PngClaiming(Solid(QSize(20, 20), Qt::red), 30000, 30000)
                                               << false << QByteArray("huge.png is too large to open");
    // Its header is whole: only the build's decode finds the damage.
    QTest::newRow("truncated png") << "cut.png" << png.left(png.size() - 200) << false
                                   << QByteArray("cut.png: not a picture that can be read");
    QTest::newRow("truncated png, packed") << "cut.png" << png.left(png.size() - 200) << true
                                           << QByteArray("cut.png: not a picture that can be read");
}

void TestBuildCommand::unreadablePhoto()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, package);
    QFETCH(QByteArray, reason);
    const QString path = name.isEmpty() ? m_env->path(QStringLiteral("gone.jpg")) : WriteFile(m_env->path(name), bytes);
    QStringList args{"--face", "1=" + photo(Qt::blue), "--face", "3=" + path, "--out", "o"};
    if (package)
        args << "--package";
    QScopedPointer<QProcess> p(run(args));
    QCOMPARE(p->exitCode(), 1);
    const QByteArray err = p->readAllStandardError();
    QVERIFY2(err.contains("vexilo-cube: face 3: ") && err.contains(reason), err.constData());
    QCOMPARE(err.count("vexilo-cube: face"), 1);
    QVERIFY(!QFileInfo::exists(m_env->path(QStringLiteral("o"))));
}

void TestBuildCommand::outputCannotBeMade()
{
    WriteFile(m_env->path(QStringLiteral("afile")), "x");
    QScopedPointer<QProcess> p(run({"--out", "afile/cube"}));
    QCOMPARE(p->exitCode(), 1);
    const QByteArray err = p->readAllStandardError();
    QVERIFY(err.contains("cannot write " + m_env->path(QStringLiteral("afile/cube")).toUtf8() + ": Not a directory"));
    QCOMPARE(err.count("cannot write"), 1);
}

void TestBuildCommand::readOnlyOutputLosesNothing()
{
    const QString mountPoint = m_env->path(QStringLiteral("ro"));
    SmallDisk disk(mountPoint, 1024);
    if (!disk.isMounted())
        QSKIP("mounting a file system needs root");
    WriteFile(mountPoint + QStringLiteral("/Vexilo.htm"), "earlier page");
    QVERIFY(::mount(nullptr, QFile::encodeName(mountPoint).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0);
    QScopedPointer<QProcess> p(run({"--face", "1=" + photo(Qt::red), "--out", mountPoint}));
    QCOMPARE(p->exitCode(), 1);
    // Once, with the system's reason, not once for every file.
    const QByteArray err = p->readAllStandardError();
    QVERIFY(err.contains("cannot write " + mountPoint.toUtf8() + "/.vexilo-saving: Read-only file system"));
    QVERIFY2(err.count("cannot write") == 1, err.constData());
    QCOMPARE(ReadFile(mountPoint + QStringLiteral("/Vexilo.htm")), QByteArray("earlier page"));
}

void TestBuildCommand::fullDiskLosesNothing()
{
    SmallDisk disk(m_env->path(QStringLiteral("small")), 256);
    if (!disk.isMounted())
        QSKIP("mounting a file system needs root");
    WriteFile(disk.path() + QStringLiteral("/cubefold.jpg"), "earlier fold-out");
    disk.fill();
    QScopedPointer<QProcess> p(run({"--face", "1=" + photo(Qt::red), "--out", disk.path()}));
    QCOMPARE(p->exitCode(), 1);
    const QByteArray err = p->readAllStandardError();
    QVERIFY(err.contains(": No space left on device"));
    QCOMPARE(err.count("No space left on device"), 1);
    QCOMPARE(ReadFile(disk.path() + QStringLiteral("/cubefold.jpg")), QByteArray("earlier fold-out"));
    QCOMPARE(QDir(disk.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             (QStringList{QStringLiteral(".filler"), QStringLiteral("cubefold.jpg")}));
}

void TestBuildCommand::cubeDocument_data()
{
    QTest::addColumn<QStringList>("given");
    QTest::addColumn<QColor>("face2");
    QTest::addColumn<QColor>("face5");
    QTest::addColumn<QString>("caption");
    const QString green = QStringLiteral("photos/00ff00.jpg");
    const QString caption = QStringLiteral("From the document");
    QTest::newRow("the document's faces and caption") << QStringList{} << QColor(Qt::blue) << QColor(Qt::red)
                                                      << caption;
    QTest::newRow("a photo face replaced") << QStringList{"--face", "2=" + green} << QColor(Qt::green)
                                           << QColor(Qt::red) << caption;
    QTest::newRow("a pasted face replaced") << QStringList{"--face=5=" + green} << QColor(Qt::blue)
                                            << QColor(Qt::green) << caption;
    QTest::newRow("the caption replaced") << QStringList{"--caption", "Given"} << QColor(Qt::blue) << QColor(Qt::red)
                                          << QStringLiteral("Given");
    QTest::newRow("the caption emptied") << QStringList{"--caption="} << QColor(Qt::blue) << QColor(Qt::red)
                                         << QString();
}

void TestBuildCommand::cubeDocument()
{
    QFETCH(QStringList, given);
    QFETCH(QColor, face2);
    QFETCH(QColor, face5);
    QFETCH(QString, caption);
    saveDocument();
    photo(Qt::green);
    QScopedPointer<QProcess> p(run(QStringList{"--cube", "docs/cube.vexilo", "--out", "o"} + given));
    QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
    const QString out = m_env->path(QStringLiteral("o"));
    QVERIFY(AreaIs(QImage(out + QStringLiteral("/image2.jpg")), QRect(4, 4, 242, 242), face2));
    QVERIFY(AreaIs(QImage(out + QStringLiteral("/image5.jpg")), QRect(4, 4, 242, 242), face5));
    // A page without a caption has no heading.
    const QByteArray page = ReadFile(out + QStringLiteral("/Vexilo.htm"));
    QVERIFY(caption.isEmpty() ? !page.contains("<h1") : page.contains(">" + caption.toUtf8() + "</h1>"));
    QCOMPARE(ReadFile(out + QStringLiteral("/image1.jpg")),
             ReadFile(TestEnvironment::appDir() + QStringLiteral("/Template/image1.jpg")));
}

// Saved over the document it was built from, with one face and the caption
// given beside it.
void TestBuildCommand::savedCubeReadsBack()
{
    CubeContent expected = saveDocument();
    expected.faces[1] = CubeFace::Photo(photo(Qt::green));
    expected.faces[5] = CubeFace::Photo(photo(Qt::yellow));
    expected.caption = QStringLiteral("Gr\u00fc\u00dfe");
    const QString document = m_env->path(QStringLiteral("docs/cube.vexilo"));
    QScopedPointer<QProcess> p(run({"--cube", document, "--face", "2=photos/00ff00.jpg", "--face",
                                    "6=" + expected.faces[5].photo(), "--caption", expected.caption, "--out", "o",
                                    "--save-cube", "docs/cube.vexilo"}));
    QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
    const CubeFile::Reading reading = CubeFile::Load(document);
    QCOMPARE(int(reading.status), int(CubeFile::Status::Read));
    QVERIFY(reading.gonePhotos.isEmpty());
    QVERIFY(reading.content == expected);
}

// A turn given on the command line replaces the document's, and a turn of
// a face without a photo is refused.
void TestBuildCommand::turnsAreKept()
{
    CubeContent expected = saveDocument();
    const QString document = m_env->path(QStringLiteral("docs/cube.vexilo"));
    expected.faces[1] = CubeFace::Photo(photo(Qt::green)).Turned(270);
    QVERIFY(CubeFile::Save(expected, document));
    expected.faces[1] = expected.faces[1].Turned(-270 + 180);
    QScopedPointer<QProcess> p(run({"--cube", document, "--turn", "2=180", "--out", "o", "--save-cube", document}));
    QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
    QVERIFY(CubeFile::Load(document).content == expected);

    QScopedPointer<QProcess> empty(run({"--cube", document, "--turn", "4=90", "--out", "o2"}));
    QCOMPARE(empty->exitCode(), 1);
    QVERIFY(empty->readAllStandardError().contains("--turn 4: face 4 holds no photo"));
}

namespace {
// 2400 x 1200 in three upright bands: red, blue, green.
QImage Bands()
{
    QImage bands = Solid(QSize(2400, 1200), Qt::blue);
    for (int y = 0; y < 1200; ++y)
        for (int x = 0; x < 2400; ++x)
            if (x < 800 || x >= 1600)
                bands.setPixelColor(x, y, x < 800 ? Qt::red : Qt::green);
    return bands;
}
} // namespace

// The framing given shows on the built faces and is what the saved document
// keeps; "all" passes over the faces without a photo.
void TestBuildCommand::framingOptions()
{
    const QString bands = WriteFile(m_env->path(QStringLiteral("photos/bands.png")), Encode(Bands(), "png"));
    const QString document = m_env->path(QStringLiteral("framed.vexilo"));
    QScopedPointer<QProcess> p(run({"--face", "1=" + bands, "--face", "2=" + bands, "--face", "3=" + bands, "--fill",
                                    "all", "--fit", "3", "--crop", "2=1600,100,800", "--turn", "2=90", "--out", "o",
                                    "--save-cube", document}));
    QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
    const QString out = m_env->path(QStringLiteral("o"));
    const QImage filled(out + QStringLiteral("/image1.jpg"));
    QVERIFY(AreaIs(filled, QRect(4, 4, 30, 242), Qt::red));
    QVERIFY(AreaIs(filled, QRect(50, 4, 150, 242), Qt::blue));
    QVERIFY(AreaIs(filled, QRect(216, 4, 30, 242), Qt::green));
    QVERIFY(AreaIs(QImage(out + QStringLiteral("/image2.jpg")), QRect(4, 4, 242, 242), Qt::green));
    const QImage fitted(out + QStringLiteral("/image3.jpg"));
    QVERIFY(AreaIs(fitted, QRect(4, 4, 242, 50), Qt::white));
    QVERIFY(AreaIs(fitted, QRect(100, 70, 50, 110), Qt::blue));

    const CubeContent saved = CubeFile::Load(document).content;
    QCOMPARE(saved.faces[0].framing(), FaceFraming().Filled());
    QCOMPARE(saved.faces[1].framing(), FaceFraming().Filled(QRect(1600, 100, 800, 800)).Turned(90));
    QCOMPARE(saved.faces[2].framing(), FaceFraming());
    QVERIFY(saved.faces[3].isEmpty());
}

void TestBuildCommand::cropOutsideThePhoto_data()
{
    QTest::addColumn<QString>("crop");
    QTest::addColumn<QString>("reason");
    QTest::newRow("past the right edge") << "1=2000,0,800" << "not inside face 1's photo, which is 2400 x 1200 pixels";
    QTest::newRow("past the bottom") << "1=0,500,800" << "not inside face 1's photo, which is 2400 x 1200 pixels";
    QTest::newRow("beyond the zoom") << "1=0,0,500" << "SIZE must be at least 720 pixels";
}

void TestBuildCommand::cropOutsideThePhoto()
{
    QFETCH(QString, crop);
    QFETCH(QString, reason);
    const QString bands = WriteFile(m_env->path(QStringLiteral("photos/bands.png")), Encode(Bands(), "png"));
    QScopedPointer<QProcess> p(run({"--face", "1=" + bands, "--crop", crop, "--out", "o"}));
    QCOMPARE(p->exitCode(), 2);
    const QByteArray err = p->readAllStandardError();
    QVERIFY2(err.contains(reason.toUtf8()), err.constData());
    QVERIFY(!QFileInfo::exists(m_env->path(QStringLiteral("o"))));
}

void TestBuildCommand::savedCubeCannotBeWritten()
{
    WriteFile(m_env->path(QStringLiteral("afile")), "x");
    QScopedPointer<QProcess> p(run({"--face", "1=" + photo(Qt::red), "--out", "o", "--save-cube", "afile/c.vexilo"}));
    QCOMPARE(p->exitCode(), 1);
    const QByteArray err = p->readAllStandardError();
    QVERIFY2(err.contains("vexilo-cube build: cannot write afile/c.vexilo: "), err.constData());
    QVERIFY(!err.trimmed().endsWith("c.vexilo:"));
    QCOMPARE(ReadFile(m_env->path(QStringLiteral("afile"))), QByteArray("x"));
}

void TestBuildCommand::unusableDocument_data()
{
    QTest::addColumn<QByteArray>("bytes"); // null: no document at all
    QTest::addColumn<QByteArray>("message");
    const QByteArray cannotRead = "vexilo-cube: cannot read the cube docs/cube.vexilo: ";
    const QByteArray faces = R"("faces": [{}, {}, {}, {}, {}, {}])";
    QTest::newRow("missing") << QByteArray() << cannotRead + "No such file or directory";
    QTest::newRow("damaged") << QByteArray("{\"format\": \"vexilo-cube\", \"version\": 1, ")
                             << cannotRead + "not a cube document, or a damaged one";
    QTest::newRow("not a cube") << QByteArray("\x89PNG\r\n\x1a\n") << cannotRead + "not a cube document";
    QTest::newRow("newer version") << R"({"format": "vexilo-cube", "version": 2, )" + faces + "}"
                                   << cannotRead + "made by a newer version of Vexilo";
    QTest::newRow("a photo gone")
        << QByteArray(R"({"format": "vexilo-cube", "version": 1, "faces": [{}, {"photo": "/nowhere/gone 1.jpg", )"
                      R"("relative": "gone 1.jpg"}, {}, {}, {}, {}]})")
        << QByteArray("vexilo-cube: docs/cube.vexilo: the photo /nowhere/gone 1.jpg is gone");
}

void TestBuildCommand::unusableDocument()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, message);
    if (!bytes.isNull())
        WriteFile(m_env->path(QStringLiteral("docs/cube.vexilo")), bytes);
    QScopedPointer<QProcess> p(run({"--cube", "docs/cube.vexilo", "--face", "1=" + photo(Qt::red), "--out", "o"}));
    QCOMPARE(p->exitCode(), 1);
    const QByteArray err = p->readAllStandardError();
    QVERIFY2(err.contains(message), err.constData());
    QVERIFY(!QFileInfo::exists(m_env->path(QStringLiteral("o"))));
}

// The document's face whose photo has gone can be given anew with --face.
void TestBuildCommand::gonePhotoReplacedOnTheCommandLine()
{
    WriteFile(m_env->path(QStringLiteral("docs/cube.vexilo")),
              R"({"format": "vexilo-cube", "version": 1, "faces": [{}, {"photo": "/nowhere/gone 1.jpg", )"
              R"("relative": "gone 1.jpg"}, {}, {}, {}, {}]})");
    QScopedPointer<QProcess> p(run({"--cube", "docs/cube.vexilo", "--face", "2=" + photo(Qt::red), "--out", "o"}));
    QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
    QVERIFY(QFileInfo::exists(m_env->path(QStringLiteral("o/Vexilo.htm"))));
}

QTEST_GUILESS_MAIN(TestBuildCommand)
#include "tst_buildcommand.moc"
