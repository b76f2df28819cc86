#include "components/pakwell/Pakwell.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QLibrary>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

using FileSet = QMap<QString, QByteArray>; // name -> content

QByteArray RandomBytes(int size, quint32 seed)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &b : bytes)
        b = char(generator.bounded(256));
    return bytes;
}

QByteArray PageText()
{
    QByteArray page;
    for (int i = 0; i < 2000; ++i)
        page += "<p class=\"face\">Line " + QByteArray::number(i) + " of the cube page</p>\r\n";
    return page;
}

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run RunProgram(const QString &program, const QStringList &args,
               const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment(), int timeoutMs = 60000)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, args);
    Run run;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        run.err = "timed out";
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QString WindowsPath(const QString &path)
{
    return QStringLiteral("Z:") + QDir::toNativeSeparators(path).replace(QLatin1Char('/'), QLatin1Char('\\'));
}

QStringList FilesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

// The folders a double-clicked package unpacked into, below the prefix's users.
QStringList UnpackedFolders(const QString &users)
{
    QStringList folders;
    QDirIterator it(users, {QStringLiteral("Vexilo Cube *")}, QDir::Dirs, QDirIterator::Subdirectories);
    while (it.hasNext())
        folders << it.next();
    folders.sort();
    return folders;
}

} // namespace

class TestPakwell : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void packageIsProgramAndArchive_data();
    void packageIsProgramAndArchive();
    void stubUnpacksIdenticalFiles_data();
    void stubUnpacksIdenticalFiles();
    void doubleClickUnpacksIntoTempAndOpensPage();
    void doubleClickOnDamagedPackageWritesNothing();
    void replacesEarlierPackageWhenComplete();
    void badInputFailsCleanly_data();
    void badInputFailsCleanly();
    void incompressibleIsStoredAndTextDeflated();
    void stubRefusesCraftedPackage_data();
    void stubRefusesCraftedPackage();
    void stubRefusesDamagedPackage_data();
    void stubRefusesDamagedPackage();
    void stubKeepsFilesAlreadyInFolder();
    void stubUnpacksIntoFolder_data();
    void stubUnpacksIntoFolder();
    void doubleClickReusesItsFolder();

private:
    QString writeInputs(const FileSet &files, const QString &folder = QStringLiteral("in"));
    QString listOf(const FileSet &files, const QString &folder = QStringLiteral("in"));
    int build(const QString &exe, const QString &list, const QByteArray &openAfter = "Vexilo.htm");
    Run wine(const QString &exe, const QStringList &args);
    FileSet cubeFiles() const;

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<QTemporaryDir> m_work;
    QTemporaryDir m_prefix;
    QLibrary m_library;
    BuildSelfExtractingFileFunction m_build = nullptr;
    QString m_wine;
};

void TestPakwell::initTestCase()
{
    m_env = std::make_unique<TestEnvironment>();
    m_library.setFileName(TestEnvironment::appDir() + QStringLiteral("/libPakwell.so"));
    m_build = reinterpret_cast<BuildSelfExtractingFileFunction>(m_library.resolve("BuildSelfExtractingFile"));
    QVERIFY2(m_build, qPrintable(m_library.errorString()));

    for (const QString &candidate :
         {QStandardPaths::findExecutable(QStringLiteral("wine64")), QStringLiteral("/usr/lib/wine/wine64"),
          QStandardPaths::findExecutable(QStringLiteral("wine"))})
        if (m_wine.isEmpty() && QFileInfo(candidate).isExecutable())
            m_wine = candidate;
    QVERIFY2(!m_wine.isEmpty(), "wine64 is needed to run Cube.exe");
    QVERIFY(m_prefix.isValid());
}

void TestPakwell::cleanupTestCase()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("WINEPREFIX"), m_prefix.path());
    const QString server = QFileInfo(m_wine).dir().filePath(QStringLiteral("wineserver"));
    RunProgram(QFileInfo(server).isExecutable() ? server : QStringLiteral("wineserver"), {QStringLiteral("-k")}, env);
    m_env.reset();
}

void TestPakwell::init()
{
    m_work = std::make_unique<QTemporaryDir>(m_env->path(QStringLiteral("work-XXXXXX")));
    QVERIFY(m_work->isValid());
}

QString TestPakwell::writeInputs(const FileSet &files, const QString &folder)
{
    for (auto it = files.begin(); it != files.end(); ++it)
        WriteFile(m_work->filePath(folder + QLatin1Char('/') + it.key()), it.value());
    return listOf(files, folder);
}

QString TestPakwell::listOf(const FileSet &files, const QString &folder)
{
    QStringList paths;
    for (const QString &name : files.keys())
        paths << m_work->filePath(folder + QLatin1Char('/') + name);
    return paths.join(QLatin1Char('|'));
}

int TestPakwell::build(const QString &exe, const QString &list, const QByteArray &openAfter)
{
    return m_build(exe.toLocal8Bit().constData(), list.toLocal8Bit().constData(), openAfter.constData(), "");
}

// Runs a Windows program in this test's own wine prefix (made by the first run).
Run TestPakwell::wine(const QString &exe, const QStringList &args)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("WINEPREFIX"), m_prefix.path());
    env.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    env.insert(QStringLiteral("WINEDLLOVERRIDES"), QStringLiteral("mscoree,mshtml="));
    env.remove(QStringLiteral("DISPLAY"));
    return RunProgram(m_wine, QStringList{exe} + args, env, 240000);
}

FileSet TestPakwell::cubeFiles() const
{
    FileSet files;
    files[QStringLiteral("Vexilo.htm")] = PageText();
    files[QStringLiteral("imagevexilo.class")] = "var cube = {};\n" + PageText().left(8000);
    for (int i = 1; i <= 6; ++i)
        files[QStringLiteral("image%1.jpg").arg(i)] = RandomBytes(60000 + i, quint32(i));
    files[QStringLiteral("cubefold.jpg")] = RandomBytes(150000, 7);
    return files;
}

void TestPakwell::packageIsProgramAndArchive_data()
{
    QTest::addColumn<FileSet>("files");
    QTest::newRow("cube files") << cubeFiles();
    QTest::newRow("spaces and non-ASCII names") << FileSet{
        {QStringLiteral("my page.htm"), PageText()}, {QStringLiteral("Würfel ½ 立方体.jpg"), RandomBytes(5000, 1)}};
    QTest::newRow("empty file") << FileSet{{QStringLiteral("Vexilo.htm"), PageText()},
                                           {QStringLiteral("empty.txt"), QByteArray()}};
}

// unzip, Python's zipfile and file(1) all read the package; unzip without a warning.
void TestPakwell::packageIsProgramAndArchive()
{
    QFETCH(FileSet, files);
    const QString exe = m_work->filePath(QStringLiteral("Cube.exe"));
    QVERIFY(build(exe, writeInputs(files)) != 0);

    const Run unzip = RunProgram(QStringLiteral("unzip"), {QStringLiteral("-t"), exe});
    QCOMPARE(unzip.exitCode, 0);
    QVERIFY2(!unzip.out.contains("warning") && unzip.err.isEmpty(), unzip.out + unzip.err);
    QVERIFY(unzip.out.contains("No errors detected"));

    const QString script = QStringLiteral(
        "import sys, zipfile\n"
        "z = zipfile.ZipFile(sys.argv[1])\n"
        "assert z.testzip() is None\n"
        "for i in z.infolist():\n"
        "    d = z.read(i)\n"
        "    sys.stdout.buffer.write(i.filename.encode() + b'\\0' + str(len(d)).encode() + b'\\0' + d)\n");
    const Run python = RunProgram(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, exe});
    QVERIFY2(python.exitCode == 0, python.err);
    FileSet read;
    for (qsizetype at = 0; at < python.out.size();) {
        const qsizetype nameEnd = python.out.indexOf('\0', at);
        const qsizetype sizeEnd = python.out.indexOf('\0', nameEnd + 1);
        const qsizetype size = python.out.mid(nameEnd + 1, sizeEnd - nameEnd - 1).toLongLong();
        read[QString::fromUtf8(python.out.mid(at, nameEnd - at))] = python.out.mid(sizeEnd + 1, size);
        at = sizeEnd + 1 + size;
    }
    QCOMPARE(read, files);

    QVERIFY(ReadFile(exe).contains(QByteArray("PAKWELL-OPEN-AFTER:Vexilo.htm\0", 30)));

    const Run type = RunProgram(QStringLiteral("file"), {QStringLiteral("-b"), exe});
    QVERIFY2(type.out.startsWith("PE32+ executable (GUI)") && type.out.contains("for MS Windows"), type.out);
}

void TestPakwell::stubUnpacksIdenticalFiles_data()
{
    QTest::addColumn<FileSet>("files");
    QTest::addColumn<QString>("target");
    QTest::newRow("cube files into a new folder") << cubeFiles() << QStringLiteral("out");
    QTest::newRow("names with spaces and non-ASCII")
        << FileSet{{QStringLiteral("my page.htm"), PageText()},
                   {QStringLiteral("Würfel ½ 立方体.jpg"), RandomBytes(5000, 1)},
                   {QStringLiteral("empty.txt"), QByteArray()}}
        << QStringLiteral("out folder ü");
}

void TestPakwell::stubUnpacksIdenticalFiles()
{
    QFETCH(FileSet, files);
    QFETCH(QString, target);
    const QString exe = m_work->filePath(QStringLiteral("Cube.exe"));
    QVERIFY(build(exe, writeInputs(files)) != 0);

    const QString out = m_work->filePath(target);
    const Run run = wine(exe, {QStringLiteral("/x"), WindowsPath(out)});
    QVERIFY2(run.exitCode == 0, run.err);
    QVERIFY2(run.err.contains("Cube.exe: unpacked " + QByteArray::number(files.size()) + " files"), run.err);
    QCOMPARE(FilesIn(out), QStringList(files.keys()));
    for (auto it = files.begin(); it != files.end(); ++it)
        QVERIFY2(ReadFile(out + QLatin1Char('/') + it.key()) == it.value(), qPrintable(it.key()));
}

// Without arguments the package unpacks into a new folder under %TEMP% and
// opens the page; wine hands the page to the browser its registry names,
// here a script that writes down what it was asked to open.
void TestPakwell::doubleClickUnpacksIntoTempAndOpensPage()
{
    const QString opened = m_work->filePath(QStringLiteral("opened.txt"));
    const QString browser = WriteFile(m_work->filePath(QStringLiteral("browser.sh")),
                                      "#!/bin/sh\necho \"$1\" > '" + opened.toUtf8() + "'\n");
    QFile(browser).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QStringList reg{QStringLiteral("reg"), QStringLiteral("add")};
    const Run browserSet = wine(reg.first(), reg.mid(1)
                                                 + QStringList{QStringLiteral("HKCU\\Software\\Wine\\WineBrowser"),
                                                               QStringLiteral("/v"), QStringLiteral("Browsers"),
                                                               QStringLiteral("/d"), browser, QStringLiteral("/f")});
    QVERIFY2(browserSet.exitCode == 0, browserSet.err);
    // As on Windows, pages are "htmlfile"s, opened by the browser.
    const Run pageType =
        wine(reg.first(), reg.mid(1)
                              + QStringList{QStringLiteral("HKCR\\.htm"), QStringLiteral("/ve"), QStringLiteral("/d"),
                                            QStringLiteral("htmlfile"), QStringLiteral("/f")});
    QVERIFY2(pageType.exitCode == 0, pageType.err);

    const FileSet files{{QStringLiteral("Vexilo.htm"), PageText()},
                        {QStringLiteral("image1.jpg"), RandomBytes(20000, 5)}};
    const QString exe = m_work->filePath(QStringLiteral("Cube.exe"));
    QVERIFY(build(exe, writeInputs(files)) != 0);
    const Run run = wine(exe, {});
    QVERIFY2(run.exitCode == 0, run.err);
    // Wine hands the page on through its own services, which a loaded
    // machine can take minutes to start in a new prefix.
    QTRY_VERIFY_WITH_TIMEOUT(!ReadFile(opened).isEmpty(), 180000);

    const QUrl page = QUrl::fromEncoded(ReadFile(opened).trimmed());
    const QFileInfo pageFile(page.toLocalFile());
    QCOMPARE(pageFile.fileName(), QStringLiteral("Vexilo.htm"));
    QVERIFY2(pageFile.path().contains(QStringLiteral("/Temp/Vexilo Cube ")), qPrintable(pageFile.path()));
    QVERIFY(pageFile.canonicalFilePath().startsWith(
        QFileInfo(m_prefix.filePath(QStringLiteral("drive_c/users"))).canonicalFilePath()));
    QCOMPARE(FilesIn(pageFile.path()), QStringList(files.keys()));
    for (auto it = files.begin(); it != files.end(); ++it)
        QVERIFY2(ReadFile(pageFile.path() + QLatin1Char('/') + it.key()) == it.value(), qPrintable(it.key()));
}

// A damaged package says so in a message box (which wine without a display
// answers at once) and unpacks nothing into %TEMP%.
void TestPakwell::doubleClickOnDamagedPackageWritesNothing()
{
    const FileSet files{{QStringLiteral("Vexilo.htm"), PageText()}};
    const QString exe = m_work->filePath(QStringLiteral("Cube.exe"));
    QVERIFY(build(exe, writeInputs(files)) != 0);
    QByteArray package = ReadFile(exe);
    package.chop(1);
    WriteFile(exe, package);

    const auto unpackedFolders = [this] { return UnpackedFolders(m_prefix.filePath(QStringLiteral("drive_c/users"))); };
    const QStringList before = unpackedFolders();
    const Run run = wine(exe, {});
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(unpackedFolders(), before);
}

void TestPakwell::replacesEarlierPackageWhenComplete()
{
    const QString exe = m_work->filePath(QStringLiteral("Cube.exe"));
    WriteFile(exe, "an earlier package");
    const FileSet files{{QStringLiteral("Vexilo.htm"), PageText()}};
    QVERIFY(build(exe, writeInputs(files)) != 0);
    QVERIFY(ReadFile(exe).startsWith("MZ"));
    QCOMPARE(FilesIn(m_work->path()), QStringList({QStringLiteral("Cube.exe"), QStringLiteral("in")}));
    QCOMPARE(QFileInfo(exe).permissions() & QFileDevice::ReadOther, QFileDevice::ReadOther);
}

void TestPakwell::badInputFailsCleanly_data()
{
    QTest::addColumn<FileSet>("files");
    QTest::addColumn<QString>("list"); // %1 = the input folder
    QTest::addColumn<QString>("exe"); // %1 = the work folder
    QTest::addColumn<QByteArray>("openAfter");

    const FileSet page{{QStringLiteral("Vexilo.htm"), PageText()}};
    const QString exe = QStringLiteral("%1/Cube.exe");
    QTest::newRow("file gone since the list was made")
        << page << "%1/Vexilo.htm|%1/image1.jpg" << exe << QByteArray("Vexilo.htm");
    QTest::newRow("empty list") << page << "" << exe << QByteArray("Vexilo.htm");
    QTest::newRow("empty path in list") << page << "%1/Vexilo.htm|" << exe << QByteArray("Vexilo.htm");
    QTest::newRow("folder in list") << page << "%1/Vexilo.htm|%1" << exe << QByteArray("Vexilo.htm");
    QTest::newRow("same name twice") << page << "%1/Vexilo.htm|%1/../in/Vexilo.htm" << exe << QByteArray("Vexilo.htm");
    QTest::newRow("names differing in case") << FileSet{{QStringLiteral("a.jpg"), "1"}, {QStringLiteral("A.JPG"), "2"}}
                                             << "%1/a.jpg|%1/A.JPG" << exe << QByteArray("Vexilo.htm");
    QTest::newRow("names differing in non-ASCII case")
        << FileSet{{QStringLiteral("\u00e9t\u00e9.jpg"), "1"}, {QStringLiteral("\u00c9T\u00c9.jpg"), "2"}}
        << "%1/\u00e9t\u00e9.jpg|%1/\u00c9T\u00c9.jpg" << exe << QByteArray("Vexilo.htm");
    QTest::newRow("page name over 255 UTF-16 units")
        << page << "%1/Vexilo.htm" << exe << QString::fromUcs4(U"\U0001F600").repeated(150).toUtf8();
    QTest::newRow("device name") << FileSet{{QStringLiteral("nul.txt"), "1"}} << "%1/nul.txt" << exe
                                 << QByteArray("Vexilo.htm");
    QTest::newRow("drive-letter colon") << FileSet{{QStringLiteral("c:x"), "1"}} << "%1/c:x" << exe
                                        << QByteArray("Vexilo.htm");
    QTest::newRow("backslash in name") << FileSet{{QStringLiteral("a\\b"), "1"}} << "%1/a\\b" << exe
                                       << QByteArray("Vexilo.htm");
    QTest::newRow("page to open leaves folder") << page << "%1/Vexilo.htm" << exe << QByteArray("../Vexilo.htm");
    QTest::newRow("target folder missing")
        << page << "%1/Vexilo.htm" << QStringLiteral("%1/missing/Cube.exe") << QByteArray("Vexilo.htm");
    QTest::newRow("target folder read-only")
        << page << "%1/Vexilo.htm" << QStringLiteral("/proc/self/Cube.exe") << QByteArray("Vexilo.htm");
    QTest::newRow("target is a folder") << page << "%1/Vexilo.htm" << QStringLiteral("%1/in")
                                        << QByteArray("Vexilo.htm");
}

// Fails with 0, leaves no file behind and an earlier package as it was.
void TestPakwell::badInputFailsCleanly()
{
    QFETCH(FileSet, files);
    QFETCH(QString, list);
    QFETCH(QString, exe);
    QFETCH(QByteArray, openAfter);
    writeInputs(files);
    const QString earlier = m_work->filePath(QStringLiteral("Cube.exe"));
    WriteFile(earlier, "an earlier package");
    const QStringList before = FilesIn(m_work->path());
    const QStringList inputsBefore = FilesIn(m_work->filePath(QStringLiteral("in")));

    QCOMPARE(build(exe.arg(m_work->path()), list.arg(m_work->filePath(QStringLiteral("in"))), openAfter), 0);
    QCOMPARE(FilesIn(m_work->path()), before);
    QCOMPARE(FilesIn(m_work->filePath(QStringLiteral("in"))), inputsBefore);
    QCOMPARE(ReadFile(earlier), QByteArray("an earlier package"));
}

void TestPakwell::incompressibleIsStoredAndTextDeflated()
{
    const FileSet files{{QStringLiteral("Vexilo.htm"), PageText()},
                        {QStringLiteral("image1.jpg"), RandomBytes(60000, 3)}};
    const QString exe = m_work->filePath(QStringLiteral("Cube.exe"));
    QVERIFY(build(exe, writeInputs(files)) != 0);
    const Run listing = RunProgram(QStringLiteral("unzip"), {QStringLiteral("-v"), exe});
    QCOMPARE(listing.exitCode, 0);
    const QList<QByteArray> lines = listing.out.split('\n');
    const auto lineOf = [&](const QByteArray &name) {
        for (const QByteArray &line : lines)
            if (line.endsWith(name))
                return line.simplified();
        return QByteArray();
    };
    QVERIFY2(lineOf("Vexilo.htm").contains(" Defl:N "), lineOf("Vexilo.htm"));
    QVERIFY2(lineOf("image1.jpg").contains(" Stored "), lineOf("image1.jpg"));
}

void TestPakwell::stubRefusesCraftedPackage_data()
{
    QTest::addColumn<QString>("craft");
    for (const char *name : {"../x", "..\\x", "C:\\x", "C:x", "/abs", "\\abs", "sub/../../x", "CON", "nul.txt", "COM1",
                             "lpt9.htm", "CONIN$", "aux .txt", "name.", "a:stream", "..", "symlink", "comment",
                             "overlap", "too large"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// A package with an entry that would leave its folder, a link, or an
// ambiguous end of archive: refused, with nothing written anywhere.
void TestPakwell::stubRefusesCraftedPackage()
{
    QFETCH(QString, craft);
    const QString exe = m_work->filePath(QStringLiteral("crafted.exe"));
    const QString script = TestEnvironment::sourceDir() + QStringLiteral("/tests/components/pakwell/craft_package.py");
    const Run crafting =
        RunProgram(QStringLiteral("/usr/bin/python3"), {script, QStringLiteral(PAKWELL_STUB_EXE), exe, craft});
    QVERIFY2(crafting.exitCode == 0, crafting.err);

    const QString out = m_work->filePath(QStringLiteral("deep/er/out"));
    QDir().mkpath(QFileInfo(out).path());
    const Run run = wine(exe, {QStringLiteral("/x"), WindowsPath(out)});
    QVERIFY2(run.exitCode == 2, run.err);
    QVERIFY2(run.err.startsWith("Cube.exe: This package is damaged"), run.err);
    QVERIFY(!QFileInfo::exists(out));
    QCOMPARE(FilesIn(m_work->path()), QStringList({QStringLiteral("crafted.exe"), QStringLiteral("deep")}));
    QCOMPARE(FilesIn(m_work->filePath(QStringLiteral("deep"))), QStringList({QStringLiteral("er")}));
    QCOMPARE(FilesIn(m_work->filePath(QStringLiteral("deep/er"))), QStringList());
}

void TestPakwell::stubRefusesDamagedPackage_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("flipped byte in the last file") << "flip";
    QTest::newRow("truncated") << "truncate";
    QTest::newRow("trailing junk") << "junk";
    QTest::newRow("end record only") << "stub only";
}

void TestPakwell::stubRefusesDamagedPackage()
{
    QFETCH(QString, damage);
    const QByteArray last = RandomBytes(30000, 9);
    const FileSet files{{QStringLiteral("a.htm"), PageText()}, {QStringLiteral("z.jpg"), last}};
    const QString exe = m_work->filePath(QStringLiteral("Cube.exe"));
    QVERIFY(build(exe, writeInputs(files)) != 0);
    QByteArray package = ReadFile(exe);
    if (damage == QLatin1String("flip")) {
        const qsizetype at = package.indexOf(last);
        QVERIFY(at > 0);
        package[at + last.size() / 2] = char(package[at + last.size() / 2] ^ 0x20);
    } else if (damage == QLatin1String("truncate")) {
        package.chop(30);
    } else if (damage == QLatin1String("junk")) {
        package += "junk after the archive";
    } else {
        package = ReadFile(QStringLiteral(PAKWELL_STUB_EXE));
    }
    WriteFile(exe, package);

    const QString out = m_work->filePath(QStringLiteral("out"));
    const Run run = wine(exe, {QStringLiteral("/x"), WindowsPath(out)});
    QVERIFY2(run.exitCode == 2, run.err);
    QVERIFY2(run.err.startsWith("Cube.exe: This package is damaged"), run.err);
    QVERIFY(!QFileInfo::exists(out));
}

// Unpacking never replaces a file that is there already, and a failure
// removes only what this run wrote.
void TestPakwell::stubKeepsFilesAlreadyInFolder()
{
    const FileSet files{{QStringLiteral("a.htm"), PageText()}, {QStringLiteral("b.jpg"), RandomBytes(1000, 4)}};
    const QString exe = m_work->filePath(QStringLiteral("Cube.exe"));
    QVERIFY(build(exe, writeInputs(files)) != 0);
    const QString out = m_work->filePath(QStringLiteral("out"));
    WriteFile(out + QStringLiteral("/b.jpg"), "mine");

    const Run run = wine(exe, {QStringLiteral("/x"), WindowsPath(out)});
    QVERIFY2(run.exitCode == 3, run.err);
    QCOMPARE(FilesIn(out), QStringList{QStringLiteral("b.jpg")});
    QCOMPARE(ReadFile(out + QStringLiteral("/b.jpg")), QByteArray("mine"));
}

void TestPakwell::stubUnpacksIntoFolder_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("before"); // what the target holds before
    QTest::newRow("existing empty folder") << "out"
                                           << "empty";
    QTest::newRow("missing parents") << "a/b c/ü/out"
                                     << "missing";
    QTest::newRow("unpacked there before") << "out"
                                           << "unpacked";
    QTest::newRow("other files beside") << "out"
                                        << "other";
}

void TestPakwell::stubUnpacksIntoFolder()
{
    QFETCH(QString, target);
    QFETCH(QString, before);
    const FileSet files{{QStringLiteral("Vexilo.htm"), PageText()},
                        {QStringLiteral("image1.jpg"), RandomBytes(9000, 2)}};
    const QString exe = m_work->filePath(QStringLiteral("Cube.exe"));
    QVERIFY(build(exe, writeInputs(files)) != 0);
    const QString out = m_work->filePath(target);
    FileSet expected = files;
    if (before == QLatin1String("empty"))
        QVERIFY(QDir().mkpath(out));
    if (before == QLatin1String("unpacked"))
        QVERIFY(wine(exe, {QStringLiteral("/x"), WindowsPath(out)}).exitCode == 0);
    if (before == QLatin1String("other")) {
        WriteFile(out + QStringLiteral("/notes.txt"), "mine");
        expected[QStringLiteral("notes.txt")] = "mine";
    }

    const Run run = wine(exe, {QStringLiteral("/x"), WindowsPath(out)});
    QVERIFY2(run.exitCode == 0, run.err);
    QCOMPARE(FilesIn(out), QStringList(expected.keys()));
    for (auto it = expected.begin(); it != expected.end(); ++it)
        QVERIFY2(ReadFile(out + QLatin1Char('/') + it.key()) == it.value(), qPrintable(it.key()));
}

// Opening the same package again unpacks into the same folder; a folder in
// which a packed file has been changed is left as it is for a new one.
void TestPakwell::doubleClickReusesItsFolder()
{
    const QString users = m_prefix.filePath(QStringLiteral("drive_c/users"));
    const auto unpackedFolders = [&] { return UnpackedFolders(users); };
    const FileSet files{{QStringLiteral("Vexilo.htm"), "<p>reused " + RandomBytes(16, 11).toHex() + "</p>"}};
    const QString exe = m_work->filePath(QStringLiteral("Cube.exe"));
    QVERIFY(build(exe, writeInputs(files)) != 0);
    const QStringList before = unpackedFolders();
    QCOMPARE(wine(exe, {}).exitCode, 0);
    const QStringList once = unpackedFolders();
    QCOMPARE(once.size(), before.size() + 1);
    QCOMPARE(wine(exe, {}).exitCode, 0);
    QCOMPARE(unpackedFolders(), once);

    QString made;
    for (const QString &folder : once)
        if (!before.contains(folder))
            made = folder;
    WriteFile(made + QStringLiteral("/Vexilo.htm"), "changed by the reader");
    QCOMPARE(wine(exe, {}).exitCode, 0);
    const QStringList twice = unpackedFolders();
    QCOMPARE(twice.size(), once.size() + 1);
    QCOMPARE(ReadFile(made + QStringLiteral("/Vexilo.htm")), QByteArray("changed by the reader"));
    for (const QString &folder : twice)
        if (!once.contains(folder)) {
            QVERIFY2(folder.startsWith(made + QStringLiteral(" (2)")), qPrintable(folder));
            QCOMPARE(ReadFile(folder + QStringLiteral("/Vexilo.htm")), files.first());
        }
}

QTEST_GUILESS_MAIN(TestPakwell)
#include "tst_pakwell.moc"
