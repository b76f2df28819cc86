#include "core/Settings.h"
#include "platform/registry/RegEdit.h"
#include "tests/support/TestEnvironment.h"

#include <QTest>

namespace {
const QString kProgramKey = QStringLiteral("Software\\Norvane\\Vexilo");
const QString kAppPaths = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Vexilo.exe");
const QString kPictureCd = QStringLiteral("Software\\Adobe\\Kodak Picture CD\\Setup");
const QString kMediaBrowser = QStringLiteral("Software\\Adobe\\Media Browser");

QString StoredProgramValue(const QString &name)
{
    return GetRegistryText(HKEY_CURRENT_USER, kProgramKey, name);
}

// Reads every value start-up keeps for the run.
Settings &ReadAtStartUp()
{
    Settings &settings = Settings::instance();
    settings.ReadMailServer();
    settings.ReadFromAddress();
    settings.ReadCatalogDirectory();
    settings.ReadCubeDirectory();
    return settings;
}
} // namespace

class TestSettings : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void defaultsWhenAbsent();
    void valuesOfOtherSoftware();
    void mailServerRule_data();
    void mailServerRule();
    void mailServerIsReadAtStartUp_data();
    void mailServerIsReadAtStartUp();
    void mailServerChoiceIsKeptAndStored_data();
    void mailServerChoiceIsKeptAndStored();
    void roundTrips_data();
    void roundTrips();
    void recentFoldersKeepTheirOrder_data();
    void recentFoldersKeepTheirOrder();
    void brokenHiveLeavesDefaults();
    void choiceOnABrokenHiveHoldsForTheRun();

private:
    QScopedPointer<TestEnvironment> m_env;
};

void TestSettings::init()
{
    m_env.reset(new TestEnvironment);
}

void TestSettings::cleanup()
{
    m_env.reset();
}

void TestSettings::defaultsWhenAbsent()
{
    const Settings &settings = ReadAtStartUp();
    QCOMPARE(settings.mailServer(), (MailServerChoice{QStringLiteral("localhost"), true}));
    QCOMPARE(settings.fromAddress(), QString());
    QCOMPARE(settings.catalogDirectory(), QString());
    QCOMPARE(settings.cubeDirectory(), m_env->home() + QStringLiteral("/Vexilo"));
    QCOMPARE(Settings::mediaBrowserDirectory(), QString());
    QCOMPARE(Settings::baseDirectory(), m_env->path(QStringLiteral("home/.cache/vexilo")));
    QCOMPARE(Settings::workDirectory(), m_env->path(QStringLiteral("home/.cache/vexilo/CubeTemp")));
    QCOMPARE(Settings::attachWebPage(), false);
    QCOMPARE(Settings::newPhotosFill(), false);
    QCOMPARE(Settings::caCertificateFile(), QString());
    QCOMPARE(Settings::photoFolder(), QString());
    QCOMPARE(Settings::recentFolders(), QStringList());
}

void TestSettings::valuesOfOtherSoftware()
{
    SetRegistryString(HKEY_LOCAL_MACHINE, kPictureCd, QStringLiteral("CatalogPath"), QStringLiteral("C:\\Catalogs\\"));
    SetRegistryString(HKEY_LOCAL_MACHINE, kMediaBrowser, QStringLiteral("Path"), QStringLiteral("/opt/media browser"));
    SetRegistryString(HKEY_LOCAL_MACHINE, kAppPaths, QStringLiteral("Path"), QStringLiteral("D:\\Apps\\Vexilo"));
    const Settings &settings = ReadAtStartUp();
    QCOMPARE(settings.catalogDirectory(), QStringLiteral("C:\\Catalogs\\"));
    QCOMPARE(Settings::mediaBrowserDirectory(), QStringLiteral("/opt/media browser"));
    QCOMPARE(Settings::baseDirectory(), QStringLiteral("D:\\Apps\\Vexilo"));
    QCOMPARE(Settings::workDirectory(), QStringLiteral("D:\\Apps\\Vexilo\\CubeTemp"));
    QCOMPARE(settings.cubeDirectory(), QStringLiteral("D:\\Vexilo"));
}

void TestSettings::mailServerRule_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("server");
    QTest::addColumn<bool>("useDefault");
    QTest::newRow("none stored") << QString() << "relay.example.org" << true;
    QTest::newRow("host") << "mail" << "mail" << false;
    QTest::newRow("one blank") << " " << " " << false;
    QTest::newRow("URL with port") << "smtps://me@mx.example.net:465"
                                   << "smtps://me@mx.example.net:465" << false;
}

void TestSettings::mailServerRule()
{
    QFETCH(QString, stored);
    QFETCH(QString, server);
    QFETCH(bool, useDefault);
    QCOMPARE(MailServerChoice::FromSetting(stored, QStringLiteral("relay.example.org")),
             (MailServerChoice{server, useDefault}));
}

void TestSettings::mailServerIsReadAtStartUp_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("server");
    QTest::addColumn<bool>("useDefault");
    QTest::newRow("none stored") << QString() << "localhost" << true;
    QTest::newRow("alternate") << "mail" << "mail" << false;
}

void TestSettings::mailServerIsReadAtStartUp()
{
    QFETCH(QString, stored);
    QFETCH(QString, server);
    QFETCH(bool, useDefault);
    // What an earlier run kept must not survive into this one.
    Settings::instance().setMailServer(QStringLiteral("earlier"));
    SetRegistryString(HKEY_CURRENT_USER, kProgramKey, QStringLiteral("SMTPServer"), stored);
    Settings::instance().ReadMailServer();
    QCOMPARE(Settings::instance().mailServer(), (MailServerChoice{server, useDefault}));
}

void TestSettings::mailServerChoiceIsKeptAndStored_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<bool>("useDefault");
    QTest::newRow("alternate chosen") << QString() << "mx.example.net:587" << false;
    QTest::newRow("another alternate") << "mx" << "mx2" << false;
    QTest::newRow("default again") << "mx" << QString() << true;
}

void TestSettings::mailServerChoiceIsKeptAndStored()
{
    QFETCH(QString, before);
    QFETCH(QString, chosen);
    QFETCH(bool, useDefault);
    SetRegistryString(HKEY_CURRENT_USER, kProgramKey, QStringLiteral("SMTPServer"), before);
    Settings &settings = ReadAtStartUp();
    settings.setMailServer(chosen);
    const MailServerChoice expected{useDefault ? QStringLiteral("localhost") : chosen, useDefault};
    QCOMPARE(settings.mailServer(), expected);
    QCOMPARE(StoredProgramValue(QStringLiteral("SMTPServer")), chosen);
    settings.ReadMailServer();
    QCOMPARE(settings.mailServer(), expected);
}

void TestSettings::roundTrips_data()
{
    QTest::addColumn<QString>("valueName");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("readBack");
    QTest::newRow("sender") << "FromAddress" << "me@example.org" << "me@example.org" << "me@example.org";
    QTest::newRow("sender emptied") << "FromAddress" << QString() << QString() << QString();
    QTest::newRow("web page wanted") << "AttachWebPage" << "yes" << "1" << "yes";
    QTest::newRow("web page not wanted") << "AttachWebPage" << "no" << "0" << "no";
    QTest::newRow("new photos fill") << "NewPhotosFill" << "yes" << "1" << "yes";
    QTest::newRow("new photos fit") << "NewPhotosFill" << "no" << "0" << "no";
    QTest::newRow("photo folder") << "PhotoFolder" << "/srv/photos/2001" << "/srv/photos/2001"
                                  << "/srv/photos/2001";
    QTest::newRow("photo folder emptied") << "PhotoFolder" << QString() << QString() << QString();
    // The program's own settings read back whole; the sender is read through
    // a buffer of 255 bytes, as it always was.
    const QString longPath = QStringLiteral("/srv/") + QString(300, QLatin1Char('p'));
    QTest::newRow("photo folder of 305 bytes") << "PhotoFolder" << longPath << longPath << longPath;
    const QString longSender = QString(300, QLatin1Char('s')) + QStringLiteral("@example.org");
    QTest::newRow("sender of 312 bytes") << "FromAddress" << longSender << longSender << QString();
}

void TestSettings::roundTrips()
{
    QFETCH(QString, valueName);
    QFETCH(QString, written);
    QFETCH(QString, stored);
    QFETCH(QString, readBack);
    Settings &settings = ReadAtStartUp();
    // Every row starts from a value that is there, so that emptying shows.
    SetRegistryString(HKEY_CURRENT_USER, kProgramKey, valueName, QStringLiteral("before"));
    QString read;
    if (valueName == QLatin1String("FromAddress")) {
        settings.setFromAddress(written);
        QCOMPARE(settings.fromAddress(), written);
        settings.ReadFromAddress();
        read = settings.fromAddress();
    } else if (valueName == QLatin1String("AttachWebPage")) {
        Settings::setAttachWebPage(written == QLatin1String("yes"));
        read = Settings::attachWebPage() ? QStringLiteral("yes") : QStringLiteral("no");
    } else if (valueName == QLatin1String("NewPhotosFill")) {
        Settings::setNewPhotosFill(written == QLatin1String("yes"));
        read = Settings::newPhotosFill() ? QStringLiteral("yes") : QStringLiteral("no");
    } else {
        Settings::setPhotoFolder(written);
        read = Settings::photoFolder();
    }
    QCOMPARE(StoredProgramValue(valueName), stored);
    QCOMPARE(read, readBack);
}

void TestSettings::recentFoldersKeepTheirOrder_data()
{
    QTest::addColumn<QStringList>("written");
    QTest::addColumn<QStringList>("readBack");
    QTest::newRow("none") << QStringList() << QStringList();
    QTest::newRow("two") << QStringList{"/b", "/a"} << QStringList{"/b", "/a"};
    QTest::newRow("five") << QStringList{"/5", "/4", "/3", "/2", "/1"} << QStringList{"/5", "/4", "/3", "/2", "/1"};
    QTest::newRow("more than kept") << QStringList{"/6", "/5", "/4", "/3", "/2", "/1"}
                                    << QStringList{"/6", "/5", "/4", "/3", "/2"};
}

void TestSettings::recentFoldersKeepTheirOrder()
{
    QFETCH(QStringList, written);
    QFETCH(QStringList, readBack);
    // A longer list before: what the new one does not fill is removed.
    Settings::setRecentFolders({"/old1", "/old2", "/old3", "/old4", "/old5"});
    Settings::setRecentFolders(written);
    QCOMPARE(Settings::recentFolders(), readBack);
    QCOMPARE(StoredProgramValue(QStringLiteral("RecentFolder1")), readBack.value(0));
    QCOMPARE(StoredProgramValue(QStringLiteral("RecentFolder5")), readBack.value(4));
}

void TestSettings::brokenHiveLeavesDefaults()
{
    const QByteArray garbage("\x00\x01garbage[[[\"unterminated", 25);
    m_env->writeHive(QStringLiteral("user.reg"), garbage);
    m_env->writeHive(QStringLiteral("system.reg"), garbage);
    Settings &settings = ReadAtStartUp();
    QCOMPARE(settings.mailServer(), (MailServerChoice{QStringLiteral("localhost"), true}));
    QCOMPARE(settings.fromAddress(), QString());
    QCOMPARE(settings.catalogDirectory(), QString());
    QCOMPARE(Settings::baseDirectory(), Settings::windowsDirectory());

    settings.setFromAddress(QStringLiteral("me@example.org"));
    Settings::setAttachWebPage(true);
    Settings::setPhotoFolder(QStringLiteral("/srv/photos"));
    Settings::setRecentFolders({QStringLiteral("/srv/photos")});
    QCOMPARE(m_env->readHive(QStringLiteral("user.reg")), garbage);
    QCOMPARE(m_env->readHive(QStringLiteral("system.reg")), garbage);
    QCOMPARE(Settings::attachWebPage(), false);
    QCOMPARE(Settings::photoFolder(), QString());
}

void TestSettings::choiceOnABrokenHiveHoldsForTheRun()
{
    const QByteArray garbage("REGEDIT4\n[HKEY_CURRENT_USER\\Software\n\"SMTPServer\"=\"unterminated\n");
    m_env->writeHive(QStringLiteral("user.reg"), garbage);
    Settings &settings = ReadAtStartUp();
    settings.setMailServer(QStringLiteral("mx"));
    settings.setFromAddress(QStringLiteral("me@example.org"));
    QCOMPARE(settings.mailServer(), (MailServerChoice{QStringLiteral("mx"), false}));
    QCOMPARE(settings.fromAddress(), QStringLiteral("me@example.org"));
    QCOMPARE(m_env->readHive(QStringLiteral("user.reg")), garbage);
    // The next run starts from the defaults again.
    ReadAtStartUp();
    QCOMPARE(settings.mailServer(), (MailServerChoice{QStringLiteral("localhost"), true}));
    QCOMPARE(settings.fromAddress(), QString());
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
