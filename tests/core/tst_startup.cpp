#include "core/AppPaths.h"
#include "core/Globals.h"
#include "core/Settings.h"
#include "core/Startup.h"
#include "platform/registry/RegEdit.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QTest>

namespace {
const QString kAppPaths = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Vexilo.exe");
const QString kVexilo = QStringLiteral("Software\\Norvane\\Vexilo");
} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void cubeDirectoryFor_data();
    void cubeDirectoryFor();
    void defaultsWithEmptyRegistry();
    void valuesFromRegistry();
    void pathIsReplacedAndRemembered();
    void baseDirectoryThatCannotBeCreated();
    void corruptHivesDoNotStopStartUp();
};

void TestStartup::cubeDirectoryFor_data()
{
    QTest::addColumn<QString>("temp");
    QTest::addColumn<QString>("expected");
    QTest::newRow("Windows directory") << "C:\\WINDOWS\\CubeTemp"
                                       << "C:\\Vexilo";
    QTest::newRow("App Paths on D:") << "D:\\Apps\\Vexilo\\CubeTemp"
                                     << "D:\\Vexilo";
    QTest::newRow("lower-case drive") << "e:\\CubeTemp"
                                      << "e:\\Vexilo";
    QTest::newRow("no drive part") << "/opt/vexilo/CubeTemp"
                                   << "/home/u/Vexilo";
    QTest::newRow("relative path") << "CubeTemp"
                                   << "/home/u/Vexilo";
}

void TestStartup::cubeDirectoryFor()
{
    QFETCH(QString, temp);
    QFETCH(QString, expected);
    QCOMPARE(Settings::cubeDirectoryFor(temp, QStringLiteral("/home/u")), expected);
}

void TestStartup::defaultsWithEmptyRegistry()
{
    TestEnvironment env;
    Startup::Run();
    QCOMPARE(gAppTitle, QStringLiteral("Norvane\u00ae Vexilo"));
    const Settings &settings = Settings::instance();
    QCOMPARE(Settings::defaultMailServer(), QStringLiteral("localhost"));
    QCOMPARE(settings.mailServer().server, Settings::defaultMailServer());
    QVERIFY(settings.mailServer().useDefault);
    QCOMPARE(settings.fromAddress(), QString());
    QCOMPARE(settings.catalogDirectory(), QString());
    QCOMPARE(Startup::WorkDirectory(), env.path(QStringLiteral("home/.cache/vexilo/CubeTemp")));
    QCOMPARE(settings.cubeDirectory(), env.home() + QStringLiteral("/Vexilo"));
    QVERIFY(QDir(settings.cubeDirectory()).exists());
    // The work directory itself is made by the editor, not here.
    QVERIFY(!QDir(Startup::WorkDirectory()).exists());
}

void TestStartup::valuesFromRegistry()
{
    TestEnvironment env;
    const QString base = env.path(QStringLiteral("apps/Vexilo"));
    QDir().mkpath(base);
    SetRegistryString(HKEY_LOCAL_MACHINE, kAppPaths, QStringLiteral("Path"), base);
    SetRegistryString(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Adobe\\Kodak Picture CD\\Setup"),
                      QStringLiteral("CatalogPath"), QStringLiteral("/media/catalogs/"));
    SetRegistryString(HKEY_CURRENT_USER, kVexilo, QStringLiteral("SMTPServer"), QStringLiteral("mail"));
    SetRegistryString(HKEY_CURRENT_USER, kVexilo, QStringLiteral("FromAddress"), QStringLiteral("me@example.org"));
    Startup::Run();
    QCOMPARE(Startup::WorkDirectory(), base + QStringLiteral("/CubeTemp"));
    const Settings &settings = Settings::instance();
    QCOMPARE(settings.catalogDirectory(), QStringLiteral("/media/catalogs/"));
    QCOMPARE(settings.mailServer().server, QStringLiteral("mail"));
    QVERIFY(!settings.mailServer().useDefault);
    QCOMPARE(settings.fromAddress(), QStringLiteral("me@example.org"));
}

void TestStartup::pathIsReplacedAndRemembered()
{
    TestEnvironment env;
    const QByteArray before = qgetenv("PATH");
    Startup::DoSetPath();
    QCOMPARE(qgetenv("PATH"), QByteArray());
    SetRegistryString(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Adobe\\Media Browser"), QStringLiteral("Path"),
                      QStringLiteral("/opt/media browser"));
    Startup::DoSetPath();
    QCOMPARE(qgetenv("PATH"), QByteArray("/opt/media browser"));
    QCOMPARE(AppPaths::savedPath().toUtf8(), before);
}

void TestStartup::baseDirectoryThatCannotBeCreated()
{
    TestEnvironment env;
    const QString blocker = WriteFile(env.path(QStringLiteral("file")), "x");
    SetRegistryString(HKEY_LOCAL_MACHINE, kAppPaths, QStringLiteral("Path"), blocker + QStringLiteral("/base"));
    qputenv("HOME", (blocker + QStringLiteral("/home")).toUtf8());
    Startup::Run();
    QCOMPARE(Startup::WorkDirectory(), blocker + QStringLiteral("/base/CubeTemp"));
    QCOMPARE(Settings::instance().cubeDirectory(), blocker + QStringLiteral("/home/Vexilo"));
    QCOMPARE(Settings::instance().mailServer().server, QStringLiteral("localhost"));
}

void TestStartup::corruptHivesDoNotStopStartUp()
{
    TestEnvironment env;
    const QByteArray garbage("\x00\x01garbage[[[\"unterminated", 25);
    env.writeHive(QStringLiteral("user.reg"), garbage);
    env.writeHive(QStringLiteral("system.reg"), garbage);
    Startup::Run();
    QVERIFY(Settings::instance().mailServer().useDefault);
    QCOMPARE(Settings::instance().catalogDirectory(), QString());
    QCOMPARE(env.readHive(QStringLiteral("user.reg")), garbage);
    QCOMPARE(env.readHive(QStringLiteral("system.reg")), garbage);
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
