#include "tests/support/SmallDisk.h"
#include "tests/support/TestEnvironment.h"
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

private:
    QProcess *run(const QStringList &args) const;
    QString photo(const QColor &colour) const;

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
    QStringList expected{"Cube.html",  "Vexilo.htm", "cubefold.jpg", "cubefold.pdf", "image1.jpg",       "image2.jpg",
                         "image3.jpg", "image4.jpg", "image5.jpg",   "image6.jpg",   "imagevexilo.class"};
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

QTEST_GUILESS_MAIN(TestBuildCommand)
#include "tst_buildcommand.moc"
