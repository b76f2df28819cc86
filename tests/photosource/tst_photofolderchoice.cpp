#include "photosource/PhotoFolderChoice.h"
#include "platform/registry/RegEdit.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QMimeData>
#include <QTest>
#include <QUrl>

namespace {
const QString kKey = QStringLiteral("Software\\Norvane\\Vexilo");
} // namespace

// Which folder the browser shows without a Picture CD, and the recent ones.
class TestPhotoFolderChoice : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { m_env.reset(); }
    void lastFolderOverPicturesOverHome_data();
    void lastFolderOverPicturesOverHome();
    void recentKeepsFiveLatestFirst();
    void droppedFolder_data();
    void droppedFolder();

private:
    QScopedPointer<TestEnvironment> m_env;
};

void TestPhotoFolderChoice::init()
{
    m_env.reset(new TestEnvironment);
}

void TestPhotoFolderChoice::lastFolderOverPicturesOverHome_data()
{
    QTest::addColumn<QString>("last"); // relative to the test's root, or empty
    QTest::addColumn<bool>("pictures"); // the Pictures folder exists
    QTest::addColumn<QString>("expected");
    QTest::newRow("last folder") << "chosen" << true << "chosen";
    QTest::newRow("last folder gone") << "gone" << true << "home/Bilder";
    QTest::newRow("no last folder") << "" << true << "home/Bilder";
    QTest::newRow("no Pictures folder") << "" << false << "home";
}

void TestPhotoFolderChoice::lastFolderOverPicturesOverHome()
{
    QFETCH(QString, last);
    QFETCH(bool, pictures);
    QFETCH(QString, expected);
    QDir().mkpath(m_env->path("chosen"));
    // The desktop's own setting names the Pictures folder, as xdg-user-dir reads it.
    WriteFile(m_env->home() + "/.config/user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
    if (pictures)
        QDir().mkpath(m_env->home() + "/Bilder");
    if (!last.isEmpty())
        SetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("PhotoFolder"), m_env->path(last));
    QCOMPARE(PhotoFolderChoice::Folder(), m_env->path(expected));
}

void TestPhotoFolderChoice::recentKeepsFiveLatestFirst()
{
    for (const char *name : {"a", "b", "c", "d", "e", "f", "c"})
        PhotoFolderChoice::Remember(m_env->path(QString::fromLatin1(name)));
    QStringList expected;
    for (const char *name : {"c", "f", "e", "d", "b"})
        expected << m_env->path(QString::fromLatin1(name));
    QCOMPARE(PhotoFolderChoice::Recent(), expected);
    QCOMPARE(GetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("PhotoFolder")), m_env->path("c"));
    QVERIFY(m_env->readHive("user.reg").contains("\"PhotoFolder\"="));
}

void TestPhotoFolderChoice::droppedFolder_data()
{
    QTest::addColumn<QStringList>("dropped"); // relative to the test's root; "http:" for a remote one
    QTest::addColumn<QString>("expected");
    QTest::newRow("one folder") << QStringList{"photos"} << "photos";
    QTest::newRow("file, then folder") << QStringList{"photos/a.jpg", "photos"} << "photos";
    QTest::newRow("only a file") << QStringList{"photos/a.jpg"} << "";
    QTest::newRow("gone folder") << QStringList{"gone"} << "";
    QTest::newRow("remote") << QStringList{"http:"} << "";
}

void TestPhotoFolderChoice::droppedFolder()
{
    QFETCH(QStringList, dropped);
    QFETCH(QString, expected);
    WriteFile(m_env->path("photos/a.jpg"), "x");
    QList<QUrl> urls;
    for (const QString &name : dropped)
        urls << (name == QLatin1String("http:") ? QUrl(QStringLiteral("http://example.org/photos/"))
                                                : QUrl::fromLocalFile(m_env->path(name)));
    QMimeData data;
    data.setUrls(urls);
    QCOMPARE(PhotoFolderChoice::DroppedFolder(&data), expected.isEmpty() ? QString() : m_env->path(expected));
}

QTEST_MAIN(TestPhotoFolderChoice)
#include "tst_photofolderchoice.moc"
