#include "components/tbrowser/CatalogFile.h"
#include "components/tbrowser/FileUrl.h"
#include "photosource/FolderCatalog.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFormats.h"
#include "tests/support/TestPictures.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QTest>

#include <algorithm>
#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace TestPictures;

namespace {

// Every file below a folder with its size and modification time.
QStringList Snapshot(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        files << QStringLiteral("%1 %2 %3")
                     .arg(info.filePath())
                     .arg(info.size())
                     .arg(info.lastModified().toMSecsSinceEpoch());
    }
    files.sort();
    return files;
}

QStringList Paths(const FolderCatalog &catalog)
{
    QStringList paths;
    for (const FolderCatalog::Photo &photo : catalog.photos())
        paths << photo.path;
    return paths;
}

QByteArray Jpeg(const QColor &colour, QSize size = QSize(320, 240))
{
    return Encode(Solid(size, colour), "jpeg");
}

// A file named by bytes that need not be UTF-8, in folders made alike, and
// taken away again: Qt's removal of the test's folder passes over such names.
class RawFile
{
public:
    RawFile(const QByteArray &path, const QByteArray &content)
        : m_path(path)
    {
        for (qsizetype slash = path.indexOf('/', 1); slash > 0; slash = path.indexOf('/', slash + 1))
            if (::mkdir(path.left(slash).constData(), 0755) == 0)
                m_folders.prepend(path.left(slash));
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        m_written = fd >= 0 && ::write(fd, content.constData(), content.size()) == content.size();
        m_written = fd >= 0 && ::close(fd) == 0 && m_written;
    }
    ~RawFile()
    {
        ::unlink(m_path.constData());
        for (const QByteArray &folder : m_folders)
            ::rmdir(folder.constData());
    }
    bool written() const { return m_written; }

private:
    QByteArray m_path;
    QList<QByteArray> m_folders; // made for the file, innermost first
    bool m_written = false;
};

} // namespace

// A photo folder's catalog through its life: made, brought up to date,
// and the folders and caches that are not what they should be.
class TestFolderCatalog : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { m_env.reset(); }
    void madeOnFirstOpen();
    void secondOpenMakesNothing();
    void refreshAddsDropsAndRemakes();
    void cameraPreviewStandsIn_data();
    void cameraPreviewStandsIn();
    void namesOfFolders();
    void linkLoopEnds();
    void unreadableFoldersAreCounted_data();
    void unreadableFoldersAreCounted();
    void namesThatAreNotUtf8_data();
    void namesThatAreNotUtf8();
    void manyFiles();
    void photoRemovedBeforeItsThumbnail();
    void cacheThatCannotBeWritten();
    void fullCacheKeepsCatalog();
    void cacheFollowsNoLink();

private:
    QString photo(const QString &name) const { return m_folder + QLatin1Char('/') + name; }
    QString thumbnailOf(const FolderCatalog &catalog, int row) const;

    QScopedPointer<TestEnvironment> m_env;
    QString m_folder;
    QString m_root;
};

void TestFolderCatalog::init()
{
    m_env.reset(new TestEnvironment);
    m_folder = m_env->path("photos");
    m_root = m_env->path("cache");
    WriteFile(photo("b.jpg"), Jpeg(Qt::red));
    WriteFile(photo("a.png"), Encode(Solid(QSize(100, 300), Qt::blue), "png"));
    WriteFile(photo("trip/c.webp"), Encode(Solid(QSize(200, 100), Qt::green), "webp", 90));
    WriteFile(photo("trip/d.heic"), TestFormats::HeifEnc(Solid(QSize(128, 64), Qt::yellow), false));
    WriteFile(photo("notes.txt"), "not a photo");
    WriteFile(photo("fake.jpg"), "not a picture either");
}

QString TestFolderCatalog::thumbnailOf(const FolderCatalog &catalog, int row) const
{
    return QFileInfo(catalog.catalogFile()).absolutePath() + QLatin1Char('/') + catalog.photos().at(row).thumbnail;
}

void TestFolderCatalog::madeOnFirstOpen()
{
    const QStringList before = Snapshot(m_folder);
    FolderCatalog catalog(m_folder, m_root);
    QVERIFY(catalog.Update());
    QCOMPARE(Paths(catalog), (QStringList{photo("a.png"), photo("b.jpg"), photo("fake.jpg"), photo("trip/c.webp"),
                                          photo("trip/d.heic")}));
    QCOMPARE(catalog.Pending(), (QList<int>{0, 1, 2, 3, 4}));
    const auto listed = CatalogFile::read(catalog.catalogFile());
    QVERIFY(listed);
    QCOMPARE(listed->size(), 5);
    QCOMPARE(*FileUrl::toPath(listed->at(1).url), QFile::encodeName(photo("b.jpg")));

    const std::optional<QStringList> unreadable = FolderCatalog(m_folder, m_root).MakeOrRefresh();
    QVERIFY(unreadable);
    QCOMPARE(*unreadable, QStringList{photo("fake.jpg")});
    const QColor colours[] = {Qt::blue, Qt::red, Qt::white, Qt::green, Qt::yellow};
    for (int row : {0, 1, 3, 4}) {
        const QImage thumbnail(thumbnailOf(catalog, row));
        QCOMPARE(thumbnail.size(), QSize(160, 160));
        QVERIFY2(Near(thumbnail.pixelColor(80, 80), colours[row], 50), qPrintable(QString::number(row)));
    }
    QVERIFY(!QFile::exists(thumbnailOf(catalog, 2)));
    QCOMPARE(catalog.catalogFile(), m_root + "/" + catalog.name() + "/" + catalog.name() + ".sac");
    QCOMPARE(Snapshot(m_folder), before);
}

void TestFolderCatalog::secondOpenMakesNothing()
{
    QVERIFY(FolderCatalog(m_folder, m_root).MakeOrRefresh());
    FolderCatalog again(m_folder, m_root);
    const QStringList cache = Snapshot(m_root);
    QVERIFY(again.Update());
    // Only the file that is no picture is tried again.
    QCOMPARE(again.Pending(), QList<int>{2});
    QCOMPARE(Snapshot(m_root), cache);
}

void TestFolderCatalog::refreshAddsDropsAndRemakes()
{
    FolderCatalog first(m_folder, m_root);
    QVERIFY(first.MakeOrRefresh());
    const QString oldThumbnail = thumbnailOf(first, 1);
    QVERIFY(QFile::exists(oldThumbnail));
    const QString removedThumbnail = thumbnailOf(first, 0);

    WriteFile(photo("trip/new.jpg"), Jpeg(Qt::cyan));
    QVERIFY(QFile::remove(photo("a.png")));
    WriteFile(photo("b.jpg"), Jpeg(Qt::magenta, QSize(300, 300)));

    FolderCatalog second(m_folder, m_root);
    QVERIFY(second.Update());
    QCOMPARE(Paths(second), (QStringList{photo("b.jpg"), photo("fake.jpg"), photo("trip/c.webp"), photo("trip/d.heic"),
                                         photo("trip/new.jpg")}));
    QCOMPARE(second.Pending(), (QList<int>{0, 1, 4}));
    QVERIFY(!QFile::exists(oldThumbnail));
    QVERIFY(!QFile::exists(removedThumbnail));
    QCOMPARE(CatalogFile::read(second.catalogFile())->size(), 5);
    QVERIFY(second.MakeThumbnail(0));
    QVERIFY(Near(QImage(thumbnailOf(second, 0)).pixelColor(80, 80), Qt::magenta, 50));
}

void TestFolderCatalog::cameraPreviewStandsIn_data()
{
    QTest::addColumn<QSize>("previewSize");
    QTest::addColumn<QColor>("expected");
    QTest::newRow("preview as large as the thumbnail") << QSize(160, 120) << QColor(Qt::blue);
    QTest::newRow("preview too small") << QSize(80, 60) << QColor(Qt::red);
}

void TestFolderCatalog::cameraPreviewStandsIn()
{
    QFETCH(QSize, previewSize);
    QFETCH(QColor, expected);
    // The preview shows another colour than the photo, to tell which was read.
    const QByteArray preview = Encode(Solid(previewSize, Qt::blue), "jpeg");
    WriteFile(photo("camera/IMG_0001.JPG"), WithExifOrientation(Jpeg(Qt::red, QSize(640, 480)), 1, preview));
    FolderCatalog catalog(m_folder + "/camera", m_root);
    QVERIFY(catalog.MakeOrRefresh());
    const QImage thumbnail(thumbnailOf(catalog, 0));
    QCOMPARE(thumbnail.size(), QSize(160, 160));
    QVERIFY(Near(thumbnail.pixelColor(80, 80), expected, 50));
    // Landscape 4:3 in the square: bands of the browser's grey above and below.
    QVERIFY(Near(thumbnail.pixelColor(80, 5), QColor(189, 189, 181), 12));
}

void TestFolderCatalog::namesOfFolders()
{
    const QString a = FolderCatalog::NameFor(QStringLiteral("/home/u/Pictures"));
    QVERIFY(a.startsWith(QStringLiteral("Pictures-")));
    QCOMPARE(FolderCatalog::NameFor(QStringLiteral("/home/u/Pictures/")), a);
    QVERIFY(FolderCatalog::NameFor(QStringLiteral("/home/v/Pictures")) != a);
    const QString odd = FolderCatalog::NameFor(QStringLiteral("/tmp/../x/We: \"a\\b\""));
    QVERIFY(!odd.contains(QLatin1Char('/')) && !odd.contains(QLatin1Char('\\')) && !odd.contains(QLatin1Char('"')));
    QVERIFY(FolderCatalog::NameFor(QStringLiteral("/")).startsWith(QStringLiteral("root-")));
}

void TestFolderCatalog::linkLoopEnds()
{
    QVERIFY(QFile::link(m_folder, photo("trip/back")));
    QVERIFY(QFile::link(photo("loop-b"), photo("loop-a")));
    QVERIFY(QFile::link(photo("loop-a"), photo("loop-b")));
    FolderCatalog catalog(m_folder, m_root);
    QVERIFY(catalog.Update());
    QCOMPARE(catalog.photos().size(), 5);
    // A folder that is itself a link loop has no photos.
    FolderCatalog loop(photo("loop-a"), m_root);
    QVERIFY(loop.Update());
    QVERIFY(loop.photos().isEmpty());
}

void TestFolderCatalog::unreadableFoldersAreCounted_data()
{
    QTest::addColumn<QStringList>("locked");
    QTest::addColumn<bool>("folderOpened");
    QTest::addColumn<QStringList>("skipped");
    QTest::addColumn<int>("photos");
    QTest::newRow("subfolder") << QStringList{"trip"} << true << QStringList{"trip"} << 4;
    QTest::newRow("two subfolders, one inside the other")
        << QStringList{"trip/deeper", "x/y"} << true << QStringList{"trip/deeper", "x/y"} << 5;
    QTest::newRow("the folder itself") << QStringList{""} << false << QStringList{} << 0;
}

void TestFolderCatalog::unreadableFoldersAreCounted()
{
    QFETCH(QStringList, locked);
    QFETCH(bool, folderOpened);
    QFETCH(QStringList, skipped);
    QFETCH(int, photos);
    WriteFile(photo("trip/deeper/e.jpg"), Jpeg(Qt::red));
    WriteFile(photo("x/y/f.jpg"), Jpeg(Qt::red));
    for (const QString &folder : locked)
        QVERIFY(QFile::setPermissions(photo(folder), {}));
    QFile::setPermissions(m_env->root(), QFileDevice::Permissions(0x7777));
    QDir().mkpath(m_root);
    QFile::setPermissions(m_root, QFileDevice::Permissions(0x7777));
    const uid_t before = setfsuid(geteuid() == 0 ? 65534 : geteuid());
    FolderCatalog catalog(m_folder, m_root);
    const bool updated = catalog.Update();
    setfsuid(before);
    for (const QString &folder : locked)
        QFile::setPermissions(photo(folder), QFileDevice::Permissions(0x7700));
    QVERIFY(updated);
    QCOMPARE(catalog.folderOpened(), folderOpened);
    QStringList skippedPaths;
    for (const QString &folder : skipped)
        skippedPaths << photo(folder);
    QCOMPARE(catalog.skippedFolders(), skippedPaths);
    QCOMPARE(catalog.photos().size(), photos);
}

void TestFolderCatalog::namesThatAreNotUtf8_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("Latin-1 photo") << QByteArray("caf\xe9.jpg");
    QTest::newRow("photo in a Latin-1 folder") << QByteArray("\xe9t\xe9/plage.jpg");
    QTest::newRow("byte that begins no character") << QByteArray("\xff\xfe.png");
}

void TestFolderCatalog::namesThatAreNotUtf8()
{
    QFETCH(QByteArray, name);
    const QByteArray file = QFile::encodeName(m_folder) + '/' + name;
    const RawFile raw(file, Encode(Solid(QSize(200, 100), Qt::magenta), name.endsWith(".png") ? "png" : "jpeg"));
    QVERIFY(raw.written());
    FolderCatalog catalog(m_folder, m_root);
    const std::optional<QStringList> unreadable = catalog.MakeOrRefresh();
    QVERIFY(unreadable);
    QCOMPARE(*unreadable, QStringList{photo("fake.jpg")});
    QCOMPARE(catalog.photos().size(), 6);
    const auto found = std::find_if(catalog.photos().cbegin(), catalog.photos().cend(),
                                    [&](const FolderCatalog::Photo &photo) { return photo.file == file; });
    QVERIFY(found != catalog.photos().cend());
    const int row = int(found - catalog.photos().cbegin());
    const auto listed = CatalogFile::read(catalog.catalogFile());
    QVERIFY(listed);
    QCOMPARE(*FileUrl::toPath(listed->at(row).url), file);
    const QImage thumbnail(thumbnailOf(catalog, row));
    QCOMPARE(thumbnail.size(), QSize(160, 160));
    QVERIFY(Near(thumbnail.pixelColor(80, 80), Qt::magenta, 50));
}

void TestFolderCatalog::manyFiles()
{
    const QString big = m_env->path("big");
    QDir().mkpath(big);
    for (int i = 0; i < 20000; ++i) {
        QFile file(QStringLiteral("%1/%2.%3").arg(big).arg(i, 5, 10, QLatin1Char('0')).arg(i % 4 ? "txt" : "jpg"));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    FolderCatalog catalog(big, m_root);
    QVERIFY(catalog.Update());
    QCOMPARE(catalog.photos().size(), 5000);
    QCOMPARE(catalog.photos().constFirst().path, big + "/00000.jpg");
    QCOMPARE(CatalogFile::read(catalog.catalogFile())->size(), 5000);
    QVERIFY(!catalog.MakeThumbnail(0));
}

void TestFolderCatalog::photoRemovedBeforeItsThumbnail()
{
    FolderCatalog catalog(m_folder, m_root);
    QVERIFY(catalog.Update());
    QVERIFY(QFile::remove(photo("b.jpg")));
    QVERIFY(!catalog.MakeThumbnail(1));
    QVERIFY(!QFile::exists(thumbnailOf(catalog, 1)));
    QVERIFY(catalog.MakeThumbnail(0));
}

void TestFolderCatalog::cacheThatCannotBeWritten()
{
    const QString notAFolder = WriteFile(m_env->path("file"), "x");
    const QStringList before = Snapshot(m_folder);
    FolderCatalog catalog(m_folder, notAFolder + "/cache");
    QVERIFY(!catalog.Update());
    QVERIFY(!catalog.MakeOrRefresh());
    QCOMPARE(Snapshot(m_folder), before);
}

void TestFolderCatalog::fullCacheKeepsCatalog()
{
    FolderCatalog catalog(m_folder, m_root);
    QVERIFY(catalog.Update());
    const QByteArray written = ReadFile(catalog.catalogFile());
    WriteFile(photo("later.jpg"), Jpeg(Qt::cyan));
    FolderCatalog again(m_folder, m_root);
    const FileSizeLimit full(16);
    QVERIFY(!again.Update());
    QCOMPARE(ReadFile(catalog.catalogFile()), written);
    QVERIFY(!again.MakeThumbnail(0));
}

// A catalog, or a catalog's folder, that is a link to a file or folder
// outside the cache is replaced by a file of the cache's own; what the link
// pointed to stays as it was, and the cache's folders are the user's alone.
void TestFolderCatalog::cacheFollowsNoLink()
{
    FolderCatalog catalog(m_folder, m_root);
    QVERIFY(catalog.Update());
    const QString outside = WriteFile(m_env->path("outside/precious.txt"), "keep me");
    QFile::remove(catalog.catalogFile());
    QVERIFY(QFile::link(outside, catalog.catalogFile()));
    WriteFile(photo("later.jpg"), Jpeg(Qt::cyan));
    QVERIFY(FolderCatalog(m_folder, m_root).Update());
    QCOMPARE(ReadFile(outside), QByteArray("keep me"));
    QVERIFY(!QFileInfo(catalog.catalogFile()).isSymLink());
    QCOMPARE(CatalogFile::read(catalog.catalogFile())->size(), 6);

    const QString entry = QFileInfo(catalog.catalogFile()).absolutePath();
    const QString elsewhere = m_env->path("elsewhere");
    QDir().mkpath(elsewhere);
    QVERIFY(QDir(entry).removeRecursively());
    QVERIFY(QFile::link(elsewhere, entry));
    QVERIFY(FolderCatalog(m_folder, m_root).MakeOrRefresh());
    QCOMPARE(QDir(elsewhere).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QVERIFY(!QFileInfo(entry).isSymLink());
    for (const QString &folder : {m_root, entry})
        QCOMPARE(QFileInfo(folder).permissions() & 0x7077, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QTEST_MAIN(TestFolderCatalog)
#include "tst_foldercatalog.moc"
