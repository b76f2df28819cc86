#include "core/Globals.h"
#include "core/Settings.h"
#include "photosource/CatalogSearch.h"
#include "photosource/DiscPrompt.h"
#include "platform/registry/RegEdit.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

// Finding the catalog of the disc in the drive: info.cd, catalog names and
// the disc line of the disc prompt.
class TestCatalogSearch : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void cleanInfoValue_data();
    void cleanInfoValue();
    void infoFile_data();
    void infoFile();
    void laterLineWins();
    void discInAnyDrive();
    void unreadableDriveRootIsPassedOver();
    void orderIdEndingAtEqualsEndsTheSearch();
    void twoMatchingCatalogsLaterWins();
    void catalogWithoutSacIsNeverChosen();
    void catalogPathWithoutSeparator();
    void noCatalogDirectory();
    void discLine_data();
    void discLine();

private:
    QString disc(const QString &name, const QByteArray &info);
    void catalog(const QString &name, bool withSac = true);
    // Picture CD's setting as start-up reads it.
    static void useCatalogDirectory(const QString &directory);

    QScopedPointer<TestEnvironment> m_env;
    QStringList m_drives;
};

void TestCatalogSearch::init()
{
    m_env.reset(new TestEnvironment);
    m_drives.clear();
    useCatalogDirectory(m_env->path("catalogs/"));
}

void TestCatalogSearch::useCatalogDirectory(const QString &directory)
{
    SetRegistryString(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Adobe\\Kodak Picture CD\\Setup"),
                      QStringLiteral("CatalogPath"), directory);
    Settings::instance().ReadCatalogDirectory();
}

void TestCatalogSearch::cleanup()
{
    m_env.reset();
}

QString TestCatalogSearch::disc(const QString &name, const QByteArray &info)
{
    const QString root = m_env->path("drives/" + name);
    QDir().mkpath(root);
    if (!info.isNull())
        WriteFile(root + "/info.cd", info);
    m_drives.append(root);
    qputenv("VEXILO_CDROM_ROOTS", m_drives.join(':').toUtf8());
    return root;
}

void TestCatalogSearch::catalog(const QString &name, bool withSac)
{
    const QString catalogs = Settings::instance().catalogDirectory();
    QDir().mkpath(catalogs + name);
    if (withSac)
        WriteFile(catalogs + name + "/" + name + ".sac", "VEXILO-CATALOG\t1\nend\t0\n");
}

void TestCatalogSearch::cleanInfoValue_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("clean");
    QTest::newRow("plain") << "0042"
                           << "0042";
    QTest::newRow("comment") << "0042   # the order"
                             << "0042";
    QTest::newRow("leading blanks") << "   0042"
                                    << "0042";
    QTest::newRow("tab tail") << "0042\tmore text"
                              << "0042";
    QTest::newRow("comment before tab") << "0042#x\ty"
                                        << "0042";
    QTest::newRow("only a comment") << "# nothing"
                                    << "";
    QTest::newRow("blank before tab stays") << "0042 \tx"
                                            << "0042 ";
    QTest::newRow("empty") << ""
                           << "";
}

void TestCatalogSearch::cleanInfoValue()
{
    QFETCH(QString, value);
    QFETCH(QString, clean);
    QCOMPARE(CleanInfoValue(value), clean);
}

void TestCatalogSearch::infoFile_data()
{
    QTest::addColumn<QByteArray>("info");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<QString>("name");
    const QString example = QStringLiteral("1999_10_15-12_30_05-0042");
    QTest::newRow("example") << QByteArray("orderid = 0042\ndate = 1999:10:15 12:30:05\n") << true << example;
    QTest::newRow("comments and blanks") << QByteArray(
        "[disc]\n# a comment\n  orderid = 0042   # order\ndate = 1999:10:15 12:30:05\t# taken\n")
                                         << true << example;
    QTest::newRow("keys in upper case") << QByteArray("ORDERID = 0042\nDate = 1999:10:15 12:30:05\n") << true
                                        << example;
    QTest::newRow("CRLF line ends") << QByteArray("orderid = 0042\r\ndate = 1999:10:15 12:30:05\r\n") << true
                                    << example;
    QTest::newRow("first character after = skipped")
        << QByteArray("orderid=90042\ndate=x1999:10:15 12:30:05\n") << true << example;
    QTest::newRow("tabs around key") << QByteArray("orderid\t= 0042\ndate = 1999:10:15 12:30:05\n") << true
                                     << "1999_10_15-12_30_05-";
    QTest::newRow("order id missing") << QByteArray("date = 1999:10:15 12:30:05\n") << true << "1999_10_15-12_30_05-";
    QTest::newRow("both missing") << QByteArray("rollid = 7\n") << true << "-";
    QTest::newRow("order id ends at =") << QByteArray("orderid =\ndate = 1999:10:15 12:30:05\n") << false << "";
    QTest::newRow("date ends at =") << QByteArray("orderid = 0042\ndate=\n") << false << "";
    QTest::newRow("other key ends at =") << QByteArray("orderid = 0042\nrollid=\ndate = 1999:10:15 12:30:05\n") << true
                                         << example;
    QByteArray garbage(4096, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 7919 + 13) % 256);
    QTest::newRow("binary garbage") << garbage << true << "-";
    QTest::newRow("1 MB line") << QByteArray("orderid = 0042\n") + QByteArray(1024 * 1024, 'x')
                                      + QByteArray("\ndate = 1999:10:15 12:30:05\n")
                               << true << example;
    QTest::newRow("1 MB value") << QByteArray("orderid = ") + QByteArray(1024 * 1024, '7') + '\n'
                                << true << "-" + QString(1024 * 1024, '7');
    QTest::newRow("too large for an info.cd") << QByteArray(5 * 1024 * 1024, '=') << false << "";
}

void TestCatalogSearch::infoFile()
{
    QFETCH(QByteArray, info);
    QFETCH(bool, readable);
    QFETCH(QString, name);
    const QString root = disc("D", info);
    const std::optional<DiscInfo> read = ReadInfoCd(root + "/info.cd");
    QCOMPARE(read.has_value(), readable);
    if (readable)
        QCOMPARE(CatalogNameFor(*read), name);
    if (readable && !name.startsWith('-') && !name.endsWith('-'))
        QCOMPARE(IsVevudedEDPresent(name), True);
}

void TestCatalogSearch::laterLineWins()
{
    disc("D", "orderid = 1\ndate = 2000:01:01 00:00:00\norderid = 0042\n");
    QCOMPARE(IsVevudedEDPresent("2000_01_01-00_00_00-0042"), True);
    QCOMPARE(IsVevudedEDPresent("2000_01_01-00_00_00-1"), False);
    QCOMPARE(IsVevudedEDPresent("2000_01_01-00_00_00-42"), False);
    QCOMPARE(IsVevudedEDPresent("2000_01_01-00_00_00-0042 "), False);
}

void TestCatalogSearch::discInAnyDrive()
{
    disc("D-empty", QByteArray());
    disc("E", "orderid = 7\ndate = 2001:02:03 04:05:06\n");
    disc("F", "orderid = 8\ndate = 2001:02:03 04:05:06\n");
    QCOMPARE(IsVevudedEDPresent("2001_02_03-04_05_06-7"), True);
    QCOMPARE(IsVevudedEDPresent("2001_02_03-04_05_06-8"), True);
    QCOMPARE(IsVevudedEDPresent("2001_02_03-04_05_06-9"), False);
}

void TestCatalogSearch::unreadableDriveRootIsPassedOver()
{
    if (geteuid() == 0)
        QSKIP("root reads every folder");
    const QString locked = disc("D", "orderid = 1\ndate = 2001:02:03 04:05:06\n");
    disc("E", "orderid = 2\ndate = 2001:02:03 04:05:06\n");
    QVERIFY(QFile::setPermissions(locked, {}));
    QCOMPARE(IsVevudedEDPresent("2001_02_03-04_05_06-1"), False);
    QCOMPARE(IsVevudedEDPresent("2001_02_03-04_05_06-2"), True);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestCatalogSearch::orderIdEndingAtEqualsEndsTheSearch()
{
    disc("D", "orderid =\n");
    disc("E", "orderid = 2\ndate = 2001:02:03 04:05:06\n");
    QCOMPARE(IsVevudedEDPresent("2001_02_03-04_05_06-2"), False);
}

void TestCatalogSearch::twoMatchingCatalogsLaterWins()
{
    disc("D", "orderid = 1\ndate = 2001:02:03 04:05:06\n");
    disc("E", "orderid = 2\ndate = 2001:02:03 04:05:06\n");
    catalog("2001_02_03-04_05_06-2");
    catalog("2001_02_03-04_05_06-1");
    catalog("1999_01_01-00_00_00-5");
    QCOMPARE(FindCatalog(), QStringLiteral("2001_02_03-04_05_06-2"));
}

void TestCatalogSearch::catalogWithoutSacIsNeverChosen()
{
    disc("D", "orderid = 1\ndate = 2001:02:03 04:05:06\n");
    disc("E", "orderid = 2\ndate = 2001:02:03 04:05:06\n");
    catalog("2001_02_03-04_05_06-1");
    catalog("2001_02_03-04_05_06-2", false);
    WriteFile(Settings::instance().catalogDirectory() + "2001_02_03-04_05_06-2/other.sac", "VEXILO-CATALOG\t1\nend\t0\n");
    QCOMPARE(FindCatalog(), QStringLiteral("2001_02_03-04_05_06-1"));
}

void TestCatalogSearch::catalogPathWithoutSeparator()
{
    disc("D", "orderid = 1\ndate = 2001:02:03 04:05:06\n");
    catalog("2001_02_03-04_05_06-1");
    const QString withoutSeparator = m_env->path("catalogs");
    useCatalogDirectory(withoutSeparator);
    QCOMPARE(FindCatalog(), QStringLiteral("2001_02_03-04_05_06-1"));
    QCOMPARE(CatalogFileFor(withoutSeparator, "N"), withoutSeparator + "/N/N.sac");
    QCOMPARE(CatalogFileFor("C:\\Catalogs", "N"), QStringLiteral("C:\\Catalogs\\N\\N.sac"));
}

void TestCatalogSearch::noCatalogDirectory()
{
    disc("D", "orderid = 1\ndate = 2001:02:03 04:05:06\n");
    QDir::setCurrent(m_env->root());
    // A catalog in the current folder must not be taken for one below an empty setting.
    WriteFile(m_env->path("2001_02_03-04_05_06-1/2001_02_03-04_05_06-1.sac"), "VEXILO-CATALOG\t1\nend\t0\n");
    useCatalogDirectory(QString());
    QCOMPARE(FindCatalog(), QString());
    useCatalogDirectory(m_env->path("nowhere/"));
    QCOMPARE(FindCatalog(), QString());
}

void TestCatalogSearch::discLine_data()
{
    QTest::addColumn<QString>("catalog");
    QTest::addColumn<QString>("line");
    QTest::newRow("example") << "1999_10_15-12_30_05-0042"
                             << "10/15/1999, #0042";
    QTest::newRow("no underscore") << "Holiday"
                                   << "//, #";
    QTest::newRow("empty") << ""
                           << "//, #";
    QTest::newRow("one underscore") << "1999_10"
                                    << "//1999, #";
    QTest::newRow("no dash") << "1999_10_15"
                             << "10//1999, #";
    QTest::newRow("one dash") << "1999_10_15-12_30_05"
                              << "10/15/1999, #";
    QTest::newRow("order id with dash") << "1999_10_15-12-0042-7"
                                        << "10/15/1999, #0042-7";
}

void TestCatalogSearch::discLine()
{
    QFETCH(QString, catalog);
    QFETCH(QString, line);
    QCOMPARE(DiscLine(catalog), line);
}

QTEST_GUILESS_MAIN(TestCatalogSearch)
#include "tst_catalogsearch.moc"
