#include "components/tbrowser/CatalogFile.h"
#include "components/tbrowser/FileUrl.h"
#include "photosource/FolderCatalog.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFormats.h"
#include "tests/support/TestPictures.h"

#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QTest>

#include <grp.h>
#include <unistd.h>

using namespace TestPictures;

// vexilo-cube catalog, run as a user runs it.
class TestCatalogCommand : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void makesCatalogOfDisc();
    void refusesDisc_data();
    void refusesDisc();
    void unreadableAndNonUtf8NamesAreSkipped();
    void makesAndRefreshesFolderCatalog();
    void refusesFolder_data();
    void refusesFolder();
    void unreadableFoldersReported_data();
    void unreadableFoldersReported();

private:
    QProcess *run(const QStringList &args);
    // Run as another user than the super-user, who opens every folder; all
    // of the test's files are open to that user but the locked folders.
    QProcess *runAsAnotherUser(const QStringList &args, const QStringList &locked);
    QScopedPointer<TestEnvironment> m_env;
    QString m_disc;
};

void TestCatalogCommand::init()
{
    m_env.reset(new TestEnvironment);
    m_disc = m_env->path("disc");
    QDir().mkpath(m_disc);
}

void TestCatalogCommand::cleanup()
{
    m_env.reset();
}

QProcess *TestCatalogCommand::run(const QStringList &args)
{
    auto *p = new QProcess;
    p->start(TestEnvironment::appDir() + QStringLiteral("/vexilo-cube"), QStringList{"catalog"} + args);
    p->waitForFinished(60000);
    return p;
}

QProcess *TestCatalogCommand::runAsAnotherUser(const QStringList &args, const QStringList &locked)
{
    const auto all = QFileDevice::Permissions(0x7777);
    QFile::setPermissions(m_env->root(), all);
    QDirIterator it(m_env->root(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        QFile::setPermissions(it.next(), all);
    for (const QString &folder : locked)
        QFile::setPermissions(folder, {});
    auto *p = new QProcess;
    if (geteuid() == 0) {
        // That user's own runtime folder, as Qt wants it, inside the test's.
        const QString runtime = m_env->path("runtime-nobody");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        if (::chown(QFile::encodeName(runtime).constData(), 65534, 65534) != 0)
            return p;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        p->setProcessEnvironment(environment);
        p->setChildProcessModifier([] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(127);
        });
    }
    p->start(TestEnvironment::appDir() + QStringLiteral("/vexilo-cube"), QStringList{"catalog"} + args);
    p->waitForFinished(60000);
    return p;
}

void TestCatalogCommand::makesCatalogOfDisc()
{
    WriteFile(m_disc + "/info.cd", "orderid = 0042\ndate = 1999:10:15 12:30:05\n");
    WriteFile(m_disc + "/PICTURES/b photo.JPG", Encode(Solid(QSize(400, 200), Qt::red), "jpeg"));
    WriteFile(m_disc + "/PICTURES/a.bmp", Encode(Solid(QSize(100, 300), Qt::blue), "bmp"));
    WriteFile(m_disc + "/Zürich/deep/c.jpeg", Encode(Solid(QSize(50, 50), Qt::green), "jpeg"));
    WriteFile(m_disc + "/PICTURES/notes.txt", "not a photo");
    WriteFile(m_disc + "/PICTURES/d.png", Encode(Solid(QSize(50, 50), Qt::green), "png"));
    QScopedPointer<QProcess> p(run({"--disc", m_disc, "--catalogs", m_env->path("catalogs")}));
    QCOMPARE(p->exitCode(), 0);
    QCOMPARE(p->readAllStandardOutput(), QByteArray("1999_10_15-12_30_05-0042\n"));
    const QString folder = m_env->path("catalogs/1999_10_15-12_30_05-0042");
    const auto photos = CatalogFile::read(folder + "/1999_10_15-12_30_05-0042.sac");
    QVERIFY(photos);
    QStringList paths;
    for (const CatalogPhoto &photo : *photos) {
        paths << QString::fromUtf8(*FileUrl::toPath(photo.url));
        const QImage thumb(folder + "/" + photo.thumbnail);
        QCOMPARE(thumb.size(), QSize(160, 160));
    }
    QCOMPARE(paths, (QStringList{m_disc + "/PICTURES/a.bmp", m_disc + "/PICTURES/b photo.JPG",
                                 m_disc + "/Zürich/deep/c.jpeg"}));
    QVERIFY(AreaIs(QImage(folder + "/" + photos->at(1).thumbnail), QRect(20, 60, 120, 40), Qt::red));

    // Made again, the same catalog.
    QScopedPointer<QProcess> again(run({"--disc", m_disc, "--catalogs", m_env->path("catalogs")}));
    QCOMPARE(again->exitCode(), 0);
    QCOMPARE(CatalogFile::read(folder + "/1999_10_15-12_30_05-0042.sac"), photos);
}

void TestCatalogCommand::refusesDisc_data()
{
    QTest::addColumn<QByteArray>("info");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("no info.cd") << QByteArray() << QByteArray("info.cd: No such file or directory");
    QTest::newRow("no order id") << QByteArray("date = 1999:10:15 12:30:05\n") << QByteArray("no orderid or no date");
    QTest::newRow("no date") << QByteArray("orderid = 1\n") << QByteArray("no orderid or no date");
    QTest::newRow("order id ends at =") << QByteArray("orderid =\ndate = 1\n") << QByteArray("cannot read");
    QTest::newRow("name leaves folder") << QByteArray("orderid = /../../x\ndate = a\n")
                                        << QByteArray("no usable catalog name");
    QTest::newRow("binary garbage") << QByteArray("\x00\xff\x13=\x80\n", 6) << QByteArray("no orderid or no date");
}

void TestCatalogCommand::refusesDisc()
{
    QFETCH(QByteArray, info);
    QFETCH(QByteArray, message);
    if (!info.isNull())
        WriteFile(m_disc + "/info.cd", info);
    QScopedPointer<QProcess> p(run({"--disc", m_disc, "--catalogs", m_env->path("catalogs")}));
    QCOMPARE(p->exitCode(), 1);
    QCOMPARE(p->readAllStandardOutput(), QByteArray());
    QVERIFY(p->readAllStandardError().contains(message));
    QVERIFY(QDir(m_env->path("catalogs")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
    QVERIFY(!QFile::exists(m_env->root() + "/x"));
}

void TestCatalogCommand::unreadableAndNonUtf8NamesAreSkipped()
{
    WriteFile(m_disc + "/info.cd", "orderid = 7\ndate = 2000:01:01 00:00:00\n");
    WriteFile(m_disc + "/good.jpg", Encode(Solid(QSize(40, 40), Qt::red), "jpeg"));
    WriteFile(m_disc + "/broken.jpg", "not a JPEG");
    const QByteArray latin1Name = QFile::encodeName(m_disc) + "/caf\xe9.jpg";
    FILE *f = fopen(latin1Name.constData(), "wb");
    QVERIFY(f);
    const QByteArray jpeg = Encode(Solid(QSize(40, 40), Qt::red), "jpeg");
    fwrite(jpeg.constData(), 1, size_t(jpeg.size()), f);
    fclose(f);
    QScopedPointer<QProcess> p(run({"--disc", m_disc, "--catalogs", m_env->path("catalogs")}));
    QCOMPARE(p->exitCode(), 0);
    const QByteArray err = p->readAllStandardError();
    QVERIFY(err.contains("skipped") && err.contains("broken.jpg"));
    const auto photos = CatalogFile::read(m_env->path("catalogs/2000_01_01-00_00_00-7/2000_01_01-00_00_00-7.sac"));
    QVERIFY(photos);
    QCOMPARE(photos->size(), 1);
    QCOMPARE(*FileUrl::toPath(photos->first().url), QFile::encodeName(m_disc + "/good.jpg"));
}

void TestCatalogCommand::makesAndRefreshesFolderCatalog()
{
    const QString folder = m_env->path("photos");
    WriteFile(folder + "/a.jpg", Encode(Solid(QSize(80, 40), Qt::red), "jpeg"));
    WriteFile(folder + "/sub/b.heic", TestFormats::HeifEnc(Solid(QSize(64, 64), Qt::blue), false));
    WriteFile(folder + "/sub/c.webp", Encode(Solid(QSize(64, 64), Qt::green), "webp", 90));
    WriteFile(folder + "/broken.png", "not a PNG");
    QScopedPointer<QProcess> p(run({"--folder", folder}));
    QCOMPARE(p->exitCode(), 0);
    const QString name = FolderCatalog::NameFor(folder);
    QCOMPARE(p->readAllStandardOutput(), name.toUtf8() + "\n");
    QVERIFY(p->readAllStandardError().contains("skipped " + QFile::encodeName(folder) + "/broken.png"));
    const QString sac = m_env->home() + "/.cache/vexilo/folders/" + name + "/" + name + ".sac";
    const auto photos = CatalogFile::read(sac);
    QVERIFY(photos);
    QCOMPARE(photos->size(), 4);
    QCOMPARE(QImage(QFileInfo(sac).absolutePath() + "/" + photos->at(2).thumbnail).size(), QSize(160, 160));

    QFile::remove(folder + "/a.jpg");
    QScopedPointer<QProcess> again(run({"--folder", folder}));
    QCOMPARE(again->exitCode(), 0);
    QCOMPARE(CatalogFile::read(sac)->size(), 3);
}

void TestCatalogCommand::refusesFolder_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("missing") << "nowhere";
    QTest::newRow("a file") << "file.jpg";
}

void TestCatalogCommand::refusesFolder()
{
    QFETCH(QString, folder);
    WriteFile(m_env->path("file.jpg"), "x");
    QScopedPointer<QProcess> p(run({"--folder", m_env->path(folder)}));
    QCOMPARE(p->exitCode(), 1);
    QCOMPARE(p->readAllStandardOutput(), QByteArray());
    QVERIFY(p->readAllStandardError().contains("is not a folder"));
}

void TestCatalogCommand::unreadableFoldersReported_data()
{
    QTest::addColumn<QString>("locked");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("subfolder") << "photos/locked" << 0 << "skipped %1/locked: cannot open the folder";
    QTest::newRow("the folder itself") << "photos" << 1 << "cannot open %1";
}

void TestCatalogCommand::unreadableFoldersReported()
{
    QFETCH(QString, locked);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    const QString folder = m_env->path("photos");
    WriteFile(folder + "/a.jpg", Encode(Solid(QSize(80, 40), Qt::red), "jpeg"));
    WriteFile(folder + "/locked/b.jpg", Encode(Solid(QSize(80, 40), Qt::red), "jpeg"));
    QScopedPointer<QProcess> p(runAsAnotherUser({"--folder", folder}, {m_env->path(locked)}));
    QCOMPARE(p->exitCode(), exitCode);
    const QByteArray err = p->readAllStandardError();
    QVERIFY2(err.contains(message.arg(folder).toUtf8()), err.constData());
}

QTEST_GUILESS_MAIN(TestCatalogCommand)
#include "tst_catalogcommand.moc"
